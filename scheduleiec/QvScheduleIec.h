// A schedule's circuits answered to the installation standard: a row's installation cells read
// into the standard library's inputs, and its answer as the schedule's IEC columns show it. Kept
// apart from the schedule library, which the program links at start, so that the standard's
// tables load only with what sizes to them (the command-line sizer, the part loaded on first
// use).
#pragma once

#include "iec/QvIec.h"
#include "schedule/QvSchedule.h"

#include <string>

namespace qv {

// The standard's inputs of a circuit from its installation cells and what its own sizing found.
// An empty cell takes the library's default: PVC, 30 °C in air or 20 °C in the ground, 2.5
// K·m/W, one circuit, the method's arrangement, no device, 230 V or 400 V, 5 %, no fault; an
// empty Power Factor takes the circuit's own. Raises EScheduleError naming the cell that does
// not read or lies outside its domain (a Method cell that is empty too).
iec::TIecInputs IecInputsOf(const TInstallationText& cells, const TCircuitFacts& facts);

// The same for a circuit as a schedule holds it (CircuitOf), with the facts its own sizing finds
// (TScheduleSizer::Facts): the inputs a window gives the standard's other views for a row.
iec::TIecInputs IecInputsOf(const TScheduleSizer& sizer, const TCircuitText& circuit);

// The governing checks as IEC Limited By writes them: "current", "device and voltage drop".
std::string GoverningText(unsigned governing);

// The answer as a schedule shows it: the chosen size and its figures, or why there is none.
TIecRowResult IecRowResultOf(const iec::TIecAnswer& answer);

// The installation sizer that ampwise-schedule and the Cable Schedule window give their
// TScheduleSizer: every answer is SizeToStandard's for IecInputsOf the row, over the data file's
// sizes.
class TIecScheduleSizer final : public TInstallationSizer {
  public:
    void Size(const TInstallationText& cells, const TCircuitFacts& facts,
              TIecRowResult& into) const override;
};

} // namespace qv
