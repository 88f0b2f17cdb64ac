// Reads one named section out of an ELF file on disk, trusting nothing in the file: every offset
// and size is checked against the file before it is used, and sizes are capped.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

enum class TElfSectionResult {
    Found,      // the section's bytes are in `data`
    Missing,    // no such file, not a readable ELF file, or no section of that name
    Unreadable, // the section is named but its bytes can't be read (outside the file, too large)
};

// Sections larger than this are refused: a version block is a few hundred bytes.
inline constexpr std::uint64_t MaxElfSectionSize = 1u << 20;

TElfSectionResult ReadElfSection(const std::string& path, std::string_view name,
                                 std::vector<std::uint8_t>& data);

} // namespace qv
