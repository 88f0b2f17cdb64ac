// The folders the program works in, computed once at start-up before any window exists, and
// the path of the program's settings INI file. Every folder variable ends in "/".
#pragma once

#include <string>

namespace qv {

extern std::string ProgramFilesPath; // system programs folder, default "/opt/"
extern std::string CommonFilesPath;  // system shared files folder, default "/opt/Common Files/"
extern std::string AppPath;          // folder of the running executable
extern std::string MakerPath;        // folder holding the maker's programs
extern std::string SharedDataPath;   // MakerPath + "Common Files/"

// The machine-wide store (REGEDIT4 text, read only): /etc/Brannoworks/machine.reg, or the file
// named by the environment variable AMPWISE_MACHINE_REG when that is set (tests, odd installs).
std::string MachineRegistryPath();

// The system folders from the machine-wide store, with a trailing "/", or the defaults "/opt/"
// and "/opt/Common Files/" when the store, its key or a non-empty value is missing or unreadable.
std::string QueryProgramFilesDir();
std::string QueryCommonFilesDir();
std::string QueryProgramFilesDir(const std::string& machineFile);
std::string QueryCommonFilesDir(const std::string& machineFile);

// The maker's folder from ProgramFilesPath and AppPath (both set first): the part of AppPath
// before the first "Brannoworks" (any letter case), else before the first "9qv", followed by that
// folder name as it is written in AppPath; otherwise ProgramFilesPath + "Brannoworks/".
std::string FindMakerPath();

// The running executable's full path, as it was when the program started: replacing or removing
// the file later changes nothing. Tests may pretend to be another executable with
// SetExecutablePath; an empty path goes back to the real one.
std::string ExecutablePath();
void SetExecutablePath(const std::string& path);

// The maker's per-user folder: $XDG_CONFIG_HOME/Brannoworks/ (XDG_CONFIG_HOME defaults to
// ~/.config; a relative value is ignored, as the XDG rules say).
std::string UserConfigFolder();

// Sets, in this order, ProgramFilesPath, CommonFilesPath, AppPath, MakerPath and SharedDataPath.
// A non-empty exePath is used as the running executable (see SetExecutablePath).
void InitApplicationPaths(const std::string& exePath = "");

// The program's settings INI file: the executable's path followed by ".ini" when its folder can
// be written; otherwise the per-user copy $XDG_CONFIG_HOME/Brannoworks/<exe name>.ini, seeded
// from the file beside the executable the first time. When even the per-user copy can't be made,
// the file beside the executable (reads work, writes report their error).
std::string SettingsIniPath(const std::string& exePath = "");
// The choice SettingsIniPath makes once it knows whether the file beside the executable (and its
// folder) can be written.
std::string ChooseSettingsIniPath(const std::string& exePath, bool besideWritable);

} // namespace qv
