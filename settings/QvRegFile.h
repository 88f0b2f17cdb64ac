// The REGEDIT4 text file engine behind the settings store: parsing and writing the format, value
// kinds, and committing a change to a file atomically under an advisory lock. No Qt.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
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

// ---- Files ----

enum class TLoadStatus { Ok, Missing, Damaged, Unreadable };

// Reads and parses a file without changing anything. A damaged file leaves doc empty and puts
// what is wrong in *error.
TLoadStatus LoadRegFile(const std::string& path, TRegDocument& doc,
                        TRegParseError* error = nullptr);

// Reads the per-user store. A damaged file is set aside under a new name (path + ".damaged-<time>",
// under the lock, so two programs never both do it) and doc starts empty; the one-sentence report
// goes to *damageReport. An unreadable file reads as empty.
void LoadStoreFile(const std::string& path, TRegDocument& doc, std::string* damageReport);

// Commits a change: takes the advisory lock (path + ".lock"), re-reads the file so other
// programs' values written meanwhile are kept (setting a damaged file aside as above), applies
// `change`, writes a temporary file in the same folder, flushes it to disk and renames it over
// the file. On success doc holds what is now in the file and true is returned; on failure the
// file is untouched and *error says why.
bool UpdateStoreFile(const std::string& path, const std::function<void(TRegDocument&)>& change,
                     TRegDocument& doc, std::string* damageReport, std::string* error);

} // namespace qv::reg
