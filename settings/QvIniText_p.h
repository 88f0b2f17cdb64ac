// The INI text engine: reads and edits "[section]" / "key=value" text the way the Windows
// profile functions answer, so that the INI store behaves the same on every platform.
//
// Reading rules:
// - Section and key names match without regard to (ASCII) case.
// - Blanks, tabs and other control characters (codes up to 32) are trimmed around names and
//   values, and around the names a caller passes.
// - One matching pair of outer quotes ("v" or 'v') is stripped from a value.
// - A line whose first non-blank character is ";" is a comment: it is no key and no section.
//   "#" and an inline "; ..." are ordinary text.
// - A header is a line whose first non-blank character is "["; the section name runs to the
//   last "]" on the line, and a line without "]" is no header. Text after that "]" is ignored.
// - A line without "=" is no key. The key is the text before the first "=", the value the text
//   after it; "k=" gives the empty text, not the default.
// - The first of duplicate sections and of duplicate keys wins; lists name each once.
// - Empty names never appear in a list (the profile functions would end the list there).
// - CR LF, LF and CR line ends all read alike; a UTF-8 byte-order mark is skipped.
// - Reading never changes a file; a missing or unreadable file reads as an empty one.
//
// Writing rules:
// - A write changes only the line it must: every other byte, comments, blank lines, spelling
//   and order included, stays as it was.
// - An existing key keeps its line up to the "=" and the blanks after it; only the value changes.
// - A new key goes after the last line of its section that is neither blank nor a comment; a new
//   section goes at the end of the file. New lines use the line end the file already uses.
// - A delete removes the first match: a key line, or a section from its header to the next one.
// - A value that would not read back as written (blanks or control characters at an end, or
//   enclosed in a matching pair of quotes) is written inside double quotes, so it round-trips.
// - Names or values that would change the file's structure are refused: line breaks or NUL
//   anywhere, an empty name, a key with "=" or starting with ";" or "[".
// - Files are replaced atomically (temporary file in the same folder, then rename) and keep
//   their mode; a write to a read-only file or into a missing folder fails.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qv {

// Operations on INI text held in memory. Pure: no file access.
namespace initext {

// The value of key in the first matching section, or nothing when either is missing.
std::optional<std::string> FindValue(std::string_view text, std::string_view section,
                                     std::string_view key);
// Key names of the first matching section, in order, each once.
std::vector<std::string> KeyNames(std::string_view text, std::string_view section);
// Key names and values of the first matching section in one pass, as KeyNames and FindValue give.
std::vector<std::pair<std::string, std::string>> KeyValues(std::string_view text,
                                                           std::string_view section);
// Section names in order, each once.
std::vector<std::string> SectionNames(std::string_view text);

// The edits return false, leaving text alone, when the names or value are refused.
bool SetValue(std::string& text, std::string_view section, std::string_view key,
              std::string_view value);
bool DeleteKey(std::string& text, std::string_view section, std::string_view key);
bool DeleteSection(std::string& text, std::string_view section);

// The whole file as bytes; false when it does not exist or cannot be read as a regular file.
bool ReadFile(const std::string& path, std::string& text);
// Replaces the file atomically with text, keeping its mode; creates it when missing.
bool ReplaceFile(const std::string& path, const std::string& text);

} // namespace initext

// The profile functions over a file path. Reads return what a missing file gives when the file
// cannot be read; writes return false when the file cannot be written.
std::optional<std::string> IniReadValue(const std::string& path, std::string_view section,
                                        std::string_view key);
std::vector<std::string> IniReadKeyNames(const std::string& path, std::string_view section);
std::vector<std::pair<std::string, std::string>> IniReadKeyValues(const std::string& path,
                                                                  std::string_view section);
std::vector<std::string> IniReadSectionNames(const std::string& path);
bool IniWriteValue(const std::string& path, std::string_view section, std::string_view key,
                   std::string_view value);
bool IniDeleteKey(const std::string& path, std::string_view section, std::string_view key);
bool IniDeleteSection(const std::string& path, std::string_view section);

} // namespace qv
