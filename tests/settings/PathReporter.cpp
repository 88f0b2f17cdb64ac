// Test program: takes its folder variables at start, writes "ready", and after one line on its
// standard input writes its executable path, its registry key and its settings file, a line each.
#include "settings/QvApplicationPath.h"
#include "settings/QvRegistry.h"

#include <cstdio>

int main() {
    qv::InitApplicationPaths();
    std::puts("ready");
    std::fflush(stdout);
    char line[64];
    if (!std::fgets(line, sizeof line, stdin))
        return 1;
    std::printf("%s\n%s\n%s\n", qv::ExecutablePath().c_str(), qv::AppRegistryKey("").c_str(),
                qv::SettingsIniPath().c_str());
    return 0;
}
