#include "settings/QvApplicationPath.h"

namespace qv {

std::string ProgramFilesPath;
std::string CommonFilesPath;
std::string AppPath;
std::string MakerPath;
std::string SharedDataPath;

} // namespace qv
