// The settings and environment steps of start-up, in the order the rest of the program relies on.
#include "settings/QvStartup.h"

#include "settings/QvApplicationPath.h"
#include "settings/QvRegistry.h"
#include "settings/QvSysUtils.h"

namespace qv {

void RunStartupSteps(const std::function<void()>& messagePoolStep,
                     const std::function<void()>& programTableStep) {
    ReadMakerDetails();
    FixNumberSeparators();
    if (messagePoolStep)
        messagePoolStep();
    InitApplicationPaths();
    if (programTableStep)
        programTableStep();
}

} // namespace qv
