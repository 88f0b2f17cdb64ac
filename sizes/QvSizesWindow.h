// What the main window asks of the Cable Sizes window, which lives in the part of the program
// loaded on first use (see ondemand/QvOnDemand.h).
#pragma once

class QWidget;

namespace qv::iec {
struct TIecInputs;
}

namespace qv {

struct TSizesCircuit;
struct TSizesUnits;

class TSizesWindow {
  public:
    virtual QWidget* Widget() = 0;
    // The main window's last calculation, in the units its fields show now.
    virtual void ShowCalculation(const TSizesCircuit& circuit, const TSizesUnits& units) = 0;
    // An input of the main window changed since the calculation shown.
    virtual void SetInputsChanged(bool changed) = 0;
    // Sets the Installation panel's inputs (every field but the design current, the length and
    // the power factor when it is left to the load) and remembers them as the panel does.
    virtual void SetInstallation(const iec::TIecInputs& installation) = 0;

  protected:
    ~TSizesWindow() = default;
};

} // namespace qv
