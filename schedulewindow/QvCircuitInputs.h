// One circuit's inputs as the main window shows them, as the Cable Schedule window and the main
// window trade them.
#pragma once

#include "iec/QvIec.h"

#include <QString>

#include <optional>

namespace qv {

// The list texts, and power and length as a number, a blank and the unit's label ("7.500 kW").
struct TCircuitInputs {
    QString Material;
    QString LoadType;
    QString Phase;
    QString Power;
    QString Length;
    // The circuit's installation, for the Cable Sizes window's panel, when the schedule's row
    // names a method. Plain data: whoever passes it on needs none of the library's code.
    std::optional<iec::TIecInputs> Installation;
};

} // namespace qv
