// The folders the program works in, computed once at start-up before any window exists.
// Every folder variable ends in "/".
#pragma once

#include <string>

namespace qv {

extern std::string ProgramFilesPath;
extern std::string CommonFilesPath;
extern std::string AppPath;
extern std::string MakerPath;
extern std::string SharedDataPath;

} // namespace qv
