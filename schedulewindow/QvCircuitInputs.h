// One circuit's inputs as the main window shows them, as the Cable Schedule window and the main
// window trade them.
#pragma once

#include <QString>

namespace qv {

// The list texts, and power and length as a number, a blank and the unit's label ("7.500 kW").
struct TCircuitInputs {
    QString Material;
    QString LoadType;
    QString Phase;
    QString Power;
    QString Length;
};

} // namespace qv
