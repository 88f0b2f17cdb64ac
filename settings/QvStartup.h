// The settings and environment steps of start-up, run before any window exists.
#pragma once

#include <functional>

namespace qv {

// Runs, in this order: ReadMakerDetails, FixNumberSeparators, messagePoolStep,
// InitApplicationPaths, programTableStep. Empty steps are skipped.
void RunStartupSteps(const std::function<void()>& messagePoolStep = {},
                     const std::function<void()>& programTableStep = {});

} // namespace qv
