// Fuzzes the ELF section reader, which reads other programs' files: any bytes give a section, no
// section or an unreadable one, never a crash or a read outside the file; a section found is
// bytes of the file, of the size the reader allows.
#include "verinfo/QvElfSection_p.h"
#include "verinfo/QvVerInfoBlock_p.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

// The reader takes a path; a memory file behind /proc/self/fd is a regular file without disk
// traffic, one per process, rewritten for each input.
int InputFile() {
    static const int fd = memfd_create("elf-input", MFD_CLOEXEC);
    return fd;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const int fd = InputFile();
    if (fd < 0 || ftruncate(fd, 0) != 0)
        __builtin_trap();
    for (std::size_t done = 0; done < size;) {
        const ssize_t n = pwrite(fd, data + done, size - done, static_cast<off_t>(done));
        if (n <= 0)
            __builtin_trap();
        done += static_cast<std::size_t>(n);
    }
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    // The program's own section, and the name table's, which every file that has names holds.
    for (std::string_view name : {qv::VersionSectionName, std::string_view(".shstrtab")}) {
        std::vector<std::uint8_t> section{1, 2, 3};
        switch (qv::ReadElfSection(path, name, section)) {
        case qv::TElfSectionResult::Found:
            if (section.empty() || section.size() > qv::MaxElfSectionSize ||
                !memmem(data, size, section.data(), section.size()))
                __builtin_trap();
            break;
        case qv::TElfSectionResult::Missing:
        case qv::TElfSectionResult::Unreadable:
            if (!section.empty())
                __builtin_trap();
            break;
        }
    }
    return 0;
}
