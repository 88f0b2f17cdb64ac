// Version information of an executable file: the fixed file version and the version strings of
// its first language, read back from the version block the build embeds in the file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#if defined(QT_CORE_LIB)
#include <QString>
#endif

namespace qv {

class ENoVerInfoError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class EVerInfoError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class eNoFixeVerInfo : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The standard version-string keys, by index.
inline constexpr std::array<std::string_view, 10> VersionKeyNames = {
    "CompanyName",     "FileDescription",  "FileVersion", "InternalName",   "LegalCopyright",
    "LegalTrademarks", "OriginalFilename", "ProductName", "ProductVersion", "Comments"};

class TVerInfoRes {
  public:
    // Reads and checks the file's version block; throws ENoVerInfoError, EVerInfoError or
    // eNoFixeVerInfo.
    explicit TVerInfoRes(std::string fileName);

    const std::string& FileName() const { return m_fileName; }
    // The string stored under `keyName` for the first translation, or empty text.
    std::string ReadStringValue(std::string_view keyName) const;
    // ReadStringValue(VersionKeyNames[index]); empty text for an index outside 0..9.
    std::string ReadStandardValue(int index) const;
    // The fixed file version as "%d.%d.%d.%d", most significant part first.
    std::string FileVersionText() const;

    std::uint16_t Language() const { return static_cast<std::uint16_t>(m_translation & 0xFFFF); }
    std::uint16_t CodePage() const { return static_cast<std::uint16_t>(m_translation >> 16); }

  private:
    // The value stored under a sub-block path, or false; case of the path is not significant.
    bool QueryValue(std::string_view subBlock, const std::uint8_t*& value,
                    std::size_t& length) const;

    std::string m_fileName;
    std::vector<std::uint8_t> m_data;
    std::uint32_t m_translation = 0;
    std::size_t m_fixedOffset = 0;
};

std::string GetFileVersionText(const std::string& path);
std::string GetFileDescriptionText(const std::string& path);
// Product name, one blank, file version.
std::string GetProductTitle(const std::string& path);

#if defined(QT_CORE_LIB)
// The same for window code, which holds its paths as QString.
inline QString GetFileVersionText(const QString& path) {
    return QString::fromStdString(GetFileVersionText(path.toStdString()));
}
inline QString GetFileDescriptionText(const QString& path) {
    return QString::fromStdString(GetFileDescriptionText(path.toStdString()));
}
inline QString GetProductTitle(const QString& path) {
    return QString::fromStdString(GetProductTitle(path.toStdString()));
}
#endif

} // namespace qv
