// The checks of a library file before it is loaded (see QvPartFile.h).
#include "ondemand/QvPartFile.h"

#include "settings/QvFiles.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <elf.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qv {

namespace {

bool ReadAt(int fd, void* buf, std::size_t size, std::uint64_t offset) {
    auto* out = static_cast<char*>(buf);
    while (size > 0) {
        const ssize_t n = ::pread(fd, out, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        out += n;
        size -= static_cast<std::size_t>(n);
        offset += static_cast<std::uint64_t>(n);
    }
    return true;
}

// Whether count items of `each` bytes from `offset` lie within `size`, without overflow.
bool Within(std::uint64_t offset, std::uint64_t count, std::uint64_t each, std::uint64_t size) {
    if (offset > size || (each != 0 && count > (size - offset) / each))
        return false;
    return true;
}

} // namespace

std::string PartFileProblem(const std::string& path) {
    // Not blocking: a FIFO opens at once and is then refused.
    const TFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.Get() < 0)
        return std::strerror(errno);
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0)
        return std::strerror(errno);
    if (!S_ISREG(st.st_mode))
        return "it is not a regular file";
    const auto size = static_cast<std::uint64_t>(st.st_size);

    Elf64_Ehdr h{};
    if (!ReadAt(fd.Get(), &h, sizeof h, 0))
        return "the file is cut short (" + std::to_string(size) + " bytes)";
    if (std::memcmp(h.e_ident, ELFMAG, SELFMAG) != 0)
        return "it is not an ELF file";
    const unsigned char data =
        __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ ? ELFDATA2LSB : ELFDATA2MSB;
    if (h.e_ident[EI_CLASS] != ELFCLASS64 || h.e_ident[EI_DATA] != data)
        return "it is not a library for this machine";
    if (h.e_phentsize != sizeof(Elf64_Phdr))
        return "its program headers are damaged";
    if (!Within(h.e_phoff, h.e_phnum, sizeof(Elf64_Phdr), size))
        return "the file is cut short (" + std::to_string(size) + " bytes)";
    if (h.e_shnum != 0 && (h.e_shentsize != sizeof(Elf64_Shdr) ||
                           !Within(h.e_shoff, h.e_shnum, sizeof(Elf64_Shdr), size)))
        return "the file is cut short (" + std::to_string(size) + " bytes)";
    for (std::uint16_t i = 0; i < h.e_phnum; ++i) {
        Elf64_Phdr p{};
        if (!ReadAt(fd.Get(), &p, sizeof p, h.e_phoff + std::uint64_t{i} * sizeof p))
            return "the file is cut short (" + std::to_string(size) + " bytes)";
        if (p.p_type == PT_LOAD && !Within(p.p_offset, p.p_filesz, 1, size))
            return "the file is cut short (" + std::to_string(size) + " bytes)";
    }
    return {};
}

} // namespace qv
