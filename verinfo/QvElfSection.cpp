// ELF section lookup by name, for 32- and 64-bit files of either byte order.
#include "verinfo/QvElfSection_p.h"

#include "settings/QvFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace qv {

namespace {

// Bound on what we load to find the name: the section header table and its string table.
constexpr std::uint64_t MaxTableBytes = 16u << 20;

constexpr std::uint16_t ShnXIndex = 0xFFFF;
constexpr std::uint32_t ShtNoBits = 8;

// Reads exactly `size` bytes at `offset`, or fails; the caller has checked the range already.
bool ReadAt(int fd, std::uint64_t offset, std::uint64_t size, std::vector<std::uint8_t>& out) {
    out.assign(static_cast<std::size_t>(size), 0);
    std::uint64_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, out.data() + done, static_cast<std::size_t>(size - done),
                                  static_cast<off_t>(offset + done));
        if (n <= 0)
            return false;
        done += static_cast<std::uint64_t>(n);
    }
    return true;
}

// True when [offset, offset + size) lies inside a file of `fileSize` bytes, without overflow.
bool InFile(std::uint64_t offset, std::uint64_t size, std::uint64_t fileSize) {
    return offset <= fileSize && size <= fileSize - offset;
}

class TFields {
  public:
    TFields(const std::vector<std::uint8_t>& bytes, bool bigEndian)
        : m_bytes(bytes), m_big(bigEndian) {}
    // The caller guarantees at + width <= size.
    std::uint64_t Get(std::size_t at, int width) const {
        std::uint64_t v = 0;
        for (int i = 0; i < width; ++i) {
            const std::uint64_t b = m_bytes[at + static_cast<std::size_t>(i)];
            v |= m_big ? b << (8 * (width - 1 - i)) : b << (8 * i);
        }
        return v;
    }

  private:
    const std::vector<std::uint8_t>& m_bytes;
    bool m_big;
};

struct TSection {
    std::uint32_t Name = 0;
    std::uint32_t Type = 0;
    std::uint64_t Offset = 0;
    std::uint64_t Size = 0;
    std::uint32_t Link = 0;
};

} // namespace

TElfSectionResult ReadElfSection(const std::string& path, std::string_view name,
                                 std::vector<std::uint8_t>& data) {
    data.clear();
    // O_NONBLOCK: opening a FIFO must not hang us; anything but a regular file is refused below.
    TFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.Get() < 0)
        return TElfSectionResult::Missing;
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode))
        return TElfSectionResult::Missing;
    const auto fileSize = static_cast<std::uint64_t>(st.st_size);

    std::vector<std::uint8_t> header;
    if (fileSize < 52 || !ReadAt(fd.Get(), 0, std::min<std::uint64_t>(64, fileSize), header))
        return TElfSectionResult::Missing;
    if (std::memcmp(header.data(),
                    "\x7F"
                    "ELF",
                    4) != 0)
        return TElfSectionResult::Missing;
    const std::uint8_t elfClass = header[4];
    const std::uint8_t elfData = header[5];
    if ((elfClass != 1 && elfClass != 2) || (elfData != 1 && elfData != 2))
        return TElfSectionResult::Missing;
    const bool is64 = elfClass == 2;
    if (is64 && header.size() < 64)
        return TElfSectionResult::Missing;
    const TFields eh(header, elfData == 2);

    const std::uint64_t shoff = is64 ? eh.Get(40, 8) : eh.Get(32, 4);
    const std::uint64_t shentsize = is64 ? eh.Get(58, 2) : eh.Get(46, 2);
    std::uint64_t shnum = is64 ? eh.Get(60, 2) : eh.Get(48, 2);
    std::uint64_t shstrndx = is64 ? eh.Get(62, 2) : eh.Get(50, 2);
    const std::uint64_t minEntSize = is64 ? 64 : 40;
    if (shoff == 0 || shentsize < minEntSize)
        return TElfSectionResult::Missing;

    auto readSection = [&](const std::vector<std::uint8_t>& table, std::uint64_t index) {
        const TFields f(table, elfData == 2);
        const auto at = static_cast<std::size_t>(index * shentsize);
        TSection s;
        s.Name = static_cast<std::uint32_t>(f.Get(at, 4));
        s.Type = static_cast<std::uint32_t>(f.Get(at + 4, 4));
        s.Offset = is64 ? f.Get(at + 24, 8) : f.Get(at + 16, 4);
        s.Size = is64 ? f.Get(at + 32, 8) : f.Get(at + 20, 4);
        s.Link = static_cast<std::uint32_t>(is64 ? f.Get(at + 40, 4) : f.Get(at + 24, 4));
        return s;
    };

    // Extended numbering: with many sections the real count and string table index sit in
    // section 0.
    if (shnum == 0 || shstrndx == ShnXIndex) {
        std::vector<std::uint8_t> first;
        if (!InFile(shoff, shentsize, fileSize) || !ReadAt(fd.Get(), shoff, shentsize, first))
            return TElfSectionResult::Missing;
        const TSection s0 = readSection(first, 0);
        if (shnum == 0)
            shnum = s0.Size;
        if (shstrndx == ShnXIndex)
            shstrndx = s0.Link;
    }
    if (shnum == 0 || shnum > MaxTableBytes / shentsize || shstrndx >= shnum)
        return TElfSectionResult::Missing;
    const std::uint64_t tableBytes = shnum * shentsize;
    std::vector<std::uint8_t> table;
    if (!InFile(shoff, tableBytes, fileSize) || !ReadAt(fd.Get(), shoff, tableBytes, table))
        return TElfSectionResult::Missing;

    const TSection strtab = readSection(table, shstrndx);
    if (strtab.Type == ShtNoBits || strtab.Size == 0 || strtab.Size > MaxTableBytes ||
        !InFile(strtab.Offset, strtab.Size, fileSize))
        return TElfSectionResult::Missing;
    std::vector<std::uint8_t> names;
    if (!ReadAt(fd.Get(), strtab.Offset, strtab.Size, names))
        return TElfSectionResult::Missing;

    for (std::uint64_t i = 0; i < shnum; ++i) {
        const TSection s = readSection(table, i);
        if (s.Name >= names.size())
            continue;
        const auto* start = reinterpret_cast<const char*>(names.data()) + s.Name;
        const std::size_t room = names.size() - s.Name;
        const std::size_t len = strnlen(start, room);
        if (len == room || std::string_view(start, len) != name)
            continue;
        if (s.Size == 0)
            return TElfSectionResult::Missing;
        if (s.Type == ShtNoBits || s.Size > MaxElfSectionSize ||
            !InFile(s.Offset, s.Size, fileSize))
            return TElfSectionResult::Unreadable;
        if (!ReadAt(fd.Get(), s.Offset, s.Size, data)) {
            data.clear();
            return TElfSectionResult::Unreadable;
        }
        return TElfSectionResult::Found;
    }
    return TElfSectionResult::Missing;
}

} // namespace qv
