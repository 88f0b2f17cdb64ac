// Version information reader over the embedded version block.
#include "verinfo/QvVerInfo.h"

#include "verinfo/QvElfSection_p.h"
#include "verinfo/QvVerInfoBlock_p.h"

#include <cstring>

namespace qv {

namespace {

std::uint32_t GetU32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
           std::uint32_t{p[3]} << 24;
}

bool SameKey(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

std::string Hex4(std::uint16_t v) {
    std::string s(4, '0');
    for (int i = 3; i >= 0; --i, v = static_cast<std::uint16_t>(v >> 4))
        s[static_cast<std::size_t>(i)] = "0123456789abcdef"[v & 0xF];
    return s;
}

} // namespace

TVerInfoRes::TVerInfoRes(std::string fileName) : m_fileName(std::move(fileName)) {
    std::vector<std::uint8_t> data;
    switch (ReadElfSection(m_fileName, VersionSectionName, data)) {
    case TElfSectionResult::Missing:
        throw ENoVerInfoError("No Version Info Available.");
    case TElfSectionResult::Unreadable:
        throw EVerInfoError("Cannot obtain version info.");
    case TElfSectionResult::Found:
        break;
    }
    // The block must say what it is and how long it is; the section may carry alignment padding.
    if (data.size() < VersionBlockHeaderSize ||
        std::memcmp(data.data(), VersionBlockMagic.data(), VersionBlockMagic.size()) != 0 ||
        GetU32(data.data() + 8) < VersionBlockHeaderSize || GetU32(data.data() + 8) > data.size())
        throw EVerInfoError("Cannot obtain version info.");
    data.resize(GetU32(data.data() + 8));
    m_data = std::move(data);

    const std::uint8_t* value = nullptr;
    std::size_t length = 0;
    if (!QueryValue("\\VarFileInfo\\Translation", value, length) || length < 4)
        throw EVerInfoError("No language info.");
    m_translation = GetU32(value);
    if (!QueryValue("\\", value, length) || length < FixedFileInfoSize)
        throw eNoFixeVerInfo("No fixed file info");
    m_fixedOffset = static_cast<std::size_t>(value - m_data.data());
}

bool TVerInfoRes::QueryValue(std::string_view subBlock, const std::uint8_t*& value,
                             std::size_t& length) const {
    const std::uint64_t total = m_data.size();
    const std::uint32_t count = GetU32(m_data.data() + 12);
    std::uint64_t at = VersionBlockHeaderSize;
    for (std::uint32_t i = 0; i < count && total - at >= 8; ++i) {
        const std::uint64_t keyLen = GetU32(m_data.data() + at);
        const std::uint64_t valueLen = GetU32(m_data.data() + at + 4);
        if (keyLen + valueLen > total - at - 8)
            return false;
        const auto* key = reinterpret_cast<const char*>(m_data.data() + at + 8);
        if (SameKey(std::string_view(key, static_cast<std::size_t>(keyLen)), subBlock)) {
            value = m_data.data() + at + 8 + keyLen;
            length = static_cast<std::size_t>(valueLen);
            return true;
        }
        at = (at + 8 + keyLen + valueLen + 3) & ~std::uint64_t{3};
        if (at > total)
            return false;
    }
    return false;
}

std::string TVerInfoRes::ReadStringValue(std::string_view keyName) const {
    std::string path = "\\StringFileInfo\\";
    path += Hex4(Language());
    path += Hex4(CodePage());
    path += '\\';
    path += keyName;
    const std::uint8_t* value = nullptr;
    std::size_t length = 0;
    if (!QueryValue(path, value, length))
        return {};
    const auto* text = reinterpret_cast<const char*>(value);
    return std::string(text, strnlen(text, length));
}

std::string TVerInfoRes::ReadStandardValue(int index) const {
    if (index < 0 || index >= static_cast<int>(VersionKeyNames.size()))
        return {};
    return ReadStringValue(VersionKeyNames[static_cast<std::size_t>(index)]);
}

std::string TVerInfoRes::FileVersionText() const {
    const std::uint32_t ms = GetU32(m_data.data() + m_fixedOffset + 8);
    const std::uint32_t ls = GetU32(m_data.data() + m_fixedOffset + 12);
    return std::to_string(ms >> 16) + '.' + std::to_string(ms & 0xFFFF) + '.' +
           std::to_string(ls >> 16) + '.' + std::to_string(ls & 0xFFFF);
}

std::string GetFileVersionText(const std::string& path) {
    return TVerInfoRes(path).FileVersionText();
}

std::string GetFileDescriptionText(const std::string& path) {
    return TVerInfoRes(path).ReadStringValue("FileDescription");
}

std::string GetProductTitle(const std::string& path) {
    const TVerInfoRes info(path);
    return info.ReadStandardValue(7) + ' ' + info.FileVersionText();
}

} // namespace qv
