// The version block an executable carries: its layout, the name of the ELF section it lives in,
// and a builder that works at compile time (to embed it) and at run time (to test the reader).
//
// Layout, all integers least significant byte first:
//   0   8  magic "QVVERBLK"
//   8   4  total size of the block in bytes, header included
//   12  4  number of entries
//   16  .. entries, each: key length K (4), value length V (4), K key bytes, V value bytes,
//          zero padding to a multiple of 4.
// Keys are the sub-block paths of a version resource: "\" for the 52-byte fixed file info,
// "\VarFileInfo\Translation" for the translation table, "\StringFileInfo\<lang><cp>\<Name>" for
// the NUL-terminated strings.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace qv {

inline constexpr std::string_view VersionSectionName = "qv_version_info";
inline constexpr std::string_view VersionBlockMagic = "QVVERBLK";
inline constexpr std::size_t VersionBlockHeaderSize = 16;
inline constexpr std::size_t FixedFileInfoSize = 52;
inline constexpr std::uint32_t FixedFileInfoSignature = 0xFEEF04BDu;

struct TVersionString {
    std::string_view Key;
    std::string_view Value;
};

struct TVersionSpec {
    std::array<std::uint16_t, 4> FileVersion{};
    std::uint16_t Language = 0x0409; // US English
    std::uint16_t CodePage = 0x04B0; // Unicode (the strings are UTF-8)
    std::span<const TVersionString> Strings;
};

namespace verblock_detail {

inline constexpr std::string_view StringPrefix = "\\StringFileInfo\\";
inline constexpr std::string_view TranslationKey = "\\VarFileInfo\\Translation";
inline constexpr std::string_view FixedKey = "\\";

constexpr std::size_t Pad4(std::size_t n) {
    return (n + 3) & ~std::size_t{3};
}

constexpr std::size_t EntrySize(std::size_t keyLen, std::size_t valueLen) {
    return Pad4(8 + keyLen + valueLen);
}

constexpr char HexDigit(unsigned v) {
    return "0123456789abcdef"[v & 0xF];
}

// Writes through `put(byte)` so that one routine fills a constexpr array and a vector alike.
template <class Put> constexpr void PutU32(Put& put, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        put(static_cast<std::uint8_t>((v >> (8 * i)) & 0xFF));
}

template <class Put> constexpr void PutText(Put& put, std::string_view s) {
    for (char c : s)
        put(static_cast<std::uint8_t>(c));
}

template <class Put> constexpr void PutPadding(Put& put, std::size_t written) {
    for (std::size_t i = written; i < Pad4(written); ++i)
        put(std::uint8_t{0});
}

} // namespace verblock_detail

constexpr std::size_t VersionBlockSize(const TVersionSpec& block) {
    using namespace verblock_detail;
    std::size_t size = VersionBlockHeaderSize;
    size += EntrySize(FixedKey.size(), FixedFileInfoSize);
    size += EntrySize(TranslationKey.size(), 4);
    for (const TVersionString& s : block.Strings)
        size += EntrySize(StringPrefix.size() + 9 + s.Key.size(), s.Value.size() + 1);
    return size;
}

template <class Put> constexpr void WriteVersionBlock(const TVersionSpec& block, Put& put) {
    using namespace verblock_detail;
    PutText(put, VersionBlockMagic);
    PutU32(put, static_cast<std::uint32_t>(VersionBlockSize(block)));
    PutU32(put, static_cast<std::uint32_t>(2 + block.Strings.size()));

    // Fixed file info: the layout of the platform structure it stands for, 13 double words.
    const auto& v = block.FileVersion;
    const std::uint32_t ms = (std::uint32_t{v[0]} << 16) | v[1];
    const std::uint32_t ls = (std::uint32_t{v[2]} << 16) | v[3];
    PutU32(put, static_cast<std::uint32_t>(FixedKey.size()));
    PutU32(put, static_cast<std::uint32_t>(FixedFileInfoSize));
    PutText(put, FixedKey);
    const std::uint32_t fixed[13] = {FixedFileInfoSignature,
                                     0x00010000u,
                                     ms,
                                     ls,
                                     ms,
                                     ls,
                                     0x3Fu,
                                     0,
                                     0x00040004u /* NT, 32-bit windows */,
                                     1 /* application */,
                                     0,
                                     0,
                                     0};
    for (std::uint32_t d : fixed)
        PutU32(put, d);
    PutPadding(put, 8 + FixedKey.size() + FixedFileInfoSize);

    PutU32(put, static_cast<std::uint32_t>(TranslationKey.size()));
    PutU32(put, 4);
    PutText(put, TranslationKey);
    PutU32(put, (std::uint32_t{block.CodePage} << 16) | block.Language);
    PutPadding(put, 8 + TranslationKey.size() + 4);

    for (const TVersionString& s : block.Strings) {
        const std::size_t keyLen = StringPrefix.size() + 9 + s.Key.size();
        PutU32(put, static_cast<std::uint32_t>(keyLen));
        PutU32(put, static_cast<std::uint32_t>(s.Value.size() + 1));
        PutText(put, StringPrefix);
        for (int shift = 12; shift >= 0; shift -= 4)
            put(static_cast<std::uint8_t>(HexDigit(block.Language >> shift)));
        for (int shift = 12; shift >= 0; shift -= 4)
            put(static_cast<std::uint8_t>(HexDigit(block.CodePage >> shift)));
        put(static_cast<std::uint8_t>('\\'));
        PutText(put, s.Key);
        PutText(put, s.Value);
        put(std::uint8_t{0});
        PutPadding(put, 8 + keyLen + s.Value.size() + 1);
    }
}

// Compile-time form: `Size` must be VersionBlockSize(block).
template <std::size_t Size>
constexpr std::array<std::uint8_t, Size> BuildVersionBlock(const TVersionSpec& block) {
    std::array<std::uint8_t, Size> out{};
    std::size_t at = 0;
    auto put = [&](std::uint8_t b) {
        if (at < Size)
            out[at] = b;
        ++at;
    };
    WriteVersionBlock(block, put);
    return out;
}

inline std::vector<std::uint8_t> BuildVersionBlock(const TVersionSpec& block) {
    std::vector<std::uint8_t> out;
    out.reserve(VersionBlockSize(block));
    auto put = [&](std::uint8_t b) { out.push_back(b); };
    WriteVersionBlock(block, put);
    return out;
}

} // namespace qv
