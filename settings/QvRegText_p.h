// The REGEDIT4 text format behind the settings store: the document of keys and typed values, with
// an index by key path so that big stores stay linear, and parsing and writing the text. No Qt.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qv::reg {

// Value kinds, numbered as the registry numbers them (hex(N) in the text format).
enum : std::uint32_t {
    REG_NONE = 0,
    REG_SZ = 1,
    REG_EXPAND_SZ = 2,
    REG_BINARY = 3,
    REG_DWORD = 4,
};

// Data is kept as the registry keeps it: text with its terminating zero, a DWORD as 4 bytes
// least significant first.
struct TRegValue {
    std::string Name; // empty for the key's default value ("@")
    std::uint32_t Kind = REG_NONE;
    std::vector<std::uint8_t> Data;
};

struct TRegKey {
    std::string Path; // full path with its root: "HKEY_CURRENT_USER\Software\Brannoworks"
    std::vector<TRegValue> Values;
};

// Names of keys and values compare without regard to letter case (ASCII letters).
bool NamesEqual(std::string_view a, std::string_view b);
// Joins and tidies key paths with single backslashes between parts; empty parts are dropped,
// so "Software\\" + "Brannoworks" gives "Software" + one backslash + "Brannoworks".
std::string JoinKeyPath(std::string_view a, std::string_view b);

class TRegDocument {
  public:
    // Read freely; change only through the methods below, which keep the index by key path.
    std::vector<TRegKey> Keys;

    TRegKey* FindKey(std::string_view path);
    const TRegKey* FindKey(std::string_view path) const;
    TRegKey& AddKey(std::string_view path); // finds or appends
    static TRegValue* FindValue(TRegKey& key, std::string_view name);
    static const TRegValue* FindValue(const TRegKey& key, std::string_view name);
    const TRegValue* FindValue(std::string_view path, std::string_view name) const;
    // Creates the key when needed; replaces an existing value of the same name, keeping its place.
    void SetValue(std::string_view path, std::string_view name, std::uint32_t kind,
                  std::vector<std::uint8_t> data);
    bool DeleteValue(std::string_view path, std::string_view name);
    bool DeleteKey(std::string_view path); // with its subkeys
    void Clear();

  private:
    std::optional<std::size_t> IndexOf(std::string_view path) const;
    // Key path folded to lower case -> position in Keys. Rebuilt when Keys no longer matches it.
    mutable std::unordered_map<std::string, std::size_t> m_index;
};

struct TRegParseError {
    std::size_t Line = 0; // 1-based; 0 for the file as a whole
    std::string Reason;
};

// Parses REGEDIT4 text. Empty (or blank) text is an empty document. Anything the writer would not
// have produced in a recognisable form is an error: the caller decides what to do with the file.
std::optional<TRegParseError> ParseRegText(std::string_view text, TRegDocument& doc);
// Writes the document; text values with line breaks or zeros go out as hex(1) so lines stay whole.
std::string SerializeReg(const TRegDocument& doc);
// A name or key path that the text format can't hold (a line break or a zero in it).
bool IsStorableName(std::string_view name);

// Helpers to build and take apart value data.
std::vector<std::uint8_t> TextData(std::string_view text);   // with the terminating zero
std::string DataText(const std::vector<std::uint8_t>& data); // up to the first zero
std::vector<std::uint8_t> DWordData(std::uint32_t value);    // 4 bytes, LSB first
std::vector<std::uint8_t> DoubleData(double value);          // 8 bytes, LSB first

} // namespace qv::reg
