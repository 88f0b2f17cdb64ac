// What assistive technology is told of a units label: a button that opens the unit list.
#pragma once

namespace qv {

// Registers the units label's accessible interface with Qt, once per process.
void InstallUnitsLabelAccessible();

} // namespace qv
