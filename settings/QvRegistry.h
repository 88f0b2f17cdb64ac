// The registry settings store: typed values under keys of the current user, kept in the per-user
// REGEDIT4 file $XDG_CONFIG_HOME/Brannoworks/user.reg, plus the maker's key names and contact
// details. Each write commits at once; other programs' values written meanwhile are kept.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

namespace qv {

// "Invalid data type for '%s'", "Failed to get data for '%s'", "Failed to set data for '%s'",
// "Failed to create key %s".
class ERegistryException : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A write refused because the store file is one the user has already been told is not used (not
// a regular file, or damaged and not set aside). The message is the usual one; a window that let
// the report through may leave this one out, as it follows from it.
class ERegistryStoreNotUsed : public ERegistryException {
  public:
    using ERegistryException::ERegistryException;
};

// "Software\\Brannoworks\\": the root of all of the maker's programs under the current user.
extern const std::string RegistryRoot;

// RegistryRoot + the executable's file name without its extension ("my.tool" for
// "/x/my.tool.exe"); an empty path means the running executable.
std::string AppRegistryKey(const std::string& exePath = "");

// $XDG_CONFIG_HOME/Brannoworks/user.reg (XDG_CONFIG_HOME defaults to ~/.config).
std::string UserRegistryPath();

// A store opened on a key path under HKEY_CURRENT_USER ("Software\\Brannoworks\\Ampwise");
// sections are subkeys, keys are values. Opening creates the key when it is missing (silently
// left out when the file can't be written: reads still give their defaults). Reads of missing
// subkeys or values give the default. Names compare without regard to letter case.
class TRegistryIniFile {
  public:
    explicit TRegistryIniFile(const std::string& keyPath);
    ~TRegistryIniFile();
    TRegistryIniFile(const TRegistryIniFile&) = delete;
    TRegistryIniFile& operator=(const TRegistryIniFile&) = delete;

    const std::string& KeyPath() const { return m_keyPath; }

    // Text of a text value (REG_SZ or REG_EXPAND_SZ) up to its first zero character.
    std::string ReadText(const std::string& section, const std::string& key,
                         const std::string& def);
    void WriteText(const std::string& section, const std::string& key, const std::string& value);
    // A 32-bit integer value, or a text value converted as the INI store converts it.
    std::int32_t ReadInt(const std::string& section, const std::string& key, std::int32_t def);
    // Written as a 32-bit integer, or as decimal text when the value already exists as text.
    void WriteInt(const std::string& section, const std::string& key, std::int32_t value);
    bool ReadFlag(const std::string& section, const std::string& key, bool def);
    void WriteFlag(const std::string& section, const std::string& key, bool value); // "1"/"0"
    // A binary value of exactly 8 bytes: the IEEE double, least significant byte first.
    double ReadReal(const std::string& section, const std::string& key, double def);
    void WriteReal(const std::string& section, const std::string& key, double value);

    // Writes (and deletes) made between BeginUpdate and the matching EndUpdate are committed
    // together in one locked write of the file, so saving a window's state costs one commit;
    // reads see them at once. EndUpdate raises the error the first of them would have raised on
    // its own. Pairs may nest; the outermost EndUpdate commits.
    void BeginUpdate();
    void EndUpdate();

    bool SectionExists(const std::string& section) const;
    bool ValueExists(const std::string& section, const std::string& key) const;
    void DeleteKey(const std::string& section, const std::string& key);
    void EraseSection(const std::string& section);

  private:
    struct TImpl;
    std::string m_keyPath;
    TImpl* m_impl;
};

// A damaged store file is set aside (renamed) and a fresh one started. The report of that, one
// clear sentence naming both files, waits here until the user interface takes it and shows it;
// taking it clears it, so it is shown once. Empty when nothing was set aside.
std::string TakeRegistryDamageReport();
// When set, the handler gets the report at once instead (and it is not kept for Take...).
void SetRegistryDamageHandler(std::function<void(const std::string&)> handler);

// The maker's web address, from the store on "Software\\", section "Brannoworks", value "web";
// the built-in default when it is missing or unreadable.
extern std::string MakerWebAddress;
extern const std::string DefaultMakerWebAddress;
void ReadMakerDetails();

} // namespace qv
