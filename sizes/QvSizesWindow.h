// What the main window asks of the Cable Sizes window, which lives in the part of the program
// loaded on first use (see ondemand/QvOnDemand.h).
#pragma once

class QWidget;

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

  protected:
    ~TSizesWindow() = default;
};

} // namespace qv
