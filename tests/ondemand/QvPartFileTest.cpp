// The check of a library file before loading: the built plugin passes; copies cut short, damaged
// headers pointing past the end, a FIFO, a folder and files that are not libraries are refused
// with a reason, at once.
#include "ondemand/QvPartFile.h"
#include "tests/testsupport/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <elf.h>
#include <sys/stat.h>

namespace qv {
namespace {

const std::string& Plugin() {
    static const std::string bytes = test::ReadFile(AMPWISE_ONDEMAND_FILE);
    return bytes;
}

// The plugin with its first load segment's file range changed.
std::string WithFirstLoad(std::uint64_t offset, std::uint64_t size) {
    std::string bytes = Plugin();
    Elf64_Ehdr h;
    std::memcpy(&h, bytes.data(), sizeof h);
    for (std::uint16_t i = 0; i < h.e_phnum; ++i) {
        Elf64_Phdr p;
        char* at = bytes.data() + h.e_phoff + i * sizeof p;
        std::memcpy(&p, at, sizeof p);
        if (p.p_type == PT_LOAD) {
            p.p_offset = offset;
            p.p_filesz = size;
            std::memcpy(at, &p, sizeof p);
            break;
        }
    }
    return bytes;
}

// The plugin with one header field changed.
template <typename T> std::string WithHeader(T Elf64_Ehdr::*field, T value) {
    std::string bytes = Plugin();
    Elf64_Ehdr h;
    std::memcpy(&h, bytes.data(), sizeof h);
    h.*field = value;
    std::memcpy(bytes.data(), &h, sizeof h);
    return bytes;
}

TEST(PartFile, RefusedWithAReason) {
    const std::string whole = Plugin();
    ASSERT_GT(whole.size(), 4096u);
    const std::string cut = "the file is cut short";
    struct Case {
        const char* what;
        std::string bytes;
        std::string reason; // the start of the reason; empty: accepted
    } cases[] = {
        {"the plugin", whole, ""},
        {"empty", "", cut},
        {"part of the ELF header", whole.substr(0, 20), cut},
        {"the ELF header alone", whole.substr(0, sizeof(Elf64_Ehdr)), cut},
        {"half", whole.substr(0, whole.size() / 2), cut},
        // Section headers come last: only they are cut.
        {"all but the last byte", whole.substr(0, whole.size() - 1), cut},
        {"a load segment past the end", WithFirstLoad(whole.size() - 8, 16), cut},
        {"a load segment whose end overflows", WithFirstLoad(UINT64_MAX - 4, 16), cut},
        {"program headers past the end",
         WithHeader(&Elf64_Ehdr::e_phoff, static_cast<Elf64_Off>(whole.size())), cut},
        {"section headers past the end",
         WithHeader(&Elf64_Ehdr::e_shoff, static_cast<Elf64_Off>(UINT64_MAX - 64)), cut},
        {"odd program header size", WithHeader(&Elf64_Ehdr::e_phentsize, Elf64_Half{40}),
         "its program headers are damaged"},
        {"text", std::string(200, 'x'), "it is not an ELF file"},
        {"32-bit",
         [&] {
             std::string b = whole;
             b[EI_CLASS] = ELFCLASS32;
             return b;
         }(),
         "it is not a library for this machine"},
    };
    test::TempFolder dir;
    for (const Case& c : cases) {
        const std::string file = dir / "libpart.so";
        test::WriteFile(file, c.bytes);
        const std::string got = PartFileProblem(file);
        if (c.reason.empty())
            EXPECT_EQ(got, "") << c.what;
        else
            EXPECT_EQ(got.rfind(c.reason, 0), 0u) << c.what << ": " << got;
    }
}

TEST(PartFile, OnlyRegularFilesAreOpened) {
    test::TempFolder dir;
    const std::string fifo = dir / "fifo.so";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    struct Case {
        std::string path;
        const char* reason;
    } cases[] = {
        // Nobody writes to it: a blocking open would never return.
        {fifo, "it is not a regular file"},
        {dir.Path(), "it is not a regular file"},
        {dir / "missing.so", "No such file or directory"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PartFileProblem(c.path), c.reason) << c.path;
}

} // namespace
} // namespace qv
