// The maker's programs that the Tools menu offers, and the fixed sequences (groupings) in which
// a program lists them. Filled once at start-up, after the folder variables.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace qv {

struct TToolProgram {
    std::string Path;    // the executable
    std::string Caption; // "Name - Description", as the menu shows it
};

inline constexpr std::size_t ToolProgramCount = 31;
extern std::array<TToolProgram, ToolProgramCount> ToolPrograms;

// The row that describes Ampwise itself.
inline constexpr std::size_t AmpwiseToolRow = 0;

// Start-up step: fills ToolPrograms from MakerPath and ProgramFilesPath.
void FillToolPrograms();

// One entry of a grouping: a row of ToolPrograms, or a separator.
inline constexpr int ToolSeparator = -1;
inline constexpr int ToolGroupingCount = 12;

// The sequence of grouping 0..11, in the order it is handed to the menu; empty for any other
// number.
std::vector<int> ToolGrouping(int grouping);

} // namespace qv
