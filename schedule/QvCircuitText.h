// One circuit given as the texts a schedule row holds (material, load type and phase by name,
// power and length with their units; see TCircuitText), read against the lists a window offers
// before the window changes anything.
#pragma once

#include "schedule/QvSchedule.h"

#include <string>
#include <vector>

namespace qv {

// What the texts choose: a position in each list, and power (kW) and length (m) in base units
// with the position in the units catalogue of the unit each was written in.
struct TCircuitChoice {
    int Material = 0;
    int LoadType = 0;
    int Phase = 0;
    double Power = 0;
    int PowerUnit = 0;
    double Length = 0;
    int LengthUnit = 0;
};

// Names match the first list item equal to them without regard to letter case (ASCII) or blanks
// around them. Raises EScheduleError for the first text, in the order of TCircuitText, that
// names nothing in its list or is not a quantity. MaxVoltDrop is not read.
TCircuitChoice ReadCircuitText(const TCircuitText& circuit,
                               const std::vector<std::string>& materials,
                               const std::vector<std::string>& loadTypes,
                               const std::vector<std::string>& phases);

} // namespace qv
