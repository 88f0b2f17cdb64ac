// Version information: the block built programs carry, and hand-made ELF files that lie about
// their sizes and offsets.
#include "verinfo/QvVerInfo.h"
#include "verinfo/QvVerInfoBlock_p.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// A version block written entry by entry, so that tests can leave entries out or bend them.
struct TEntry {
    std::string Key;
    Bytes Value;
};

void PutLe(Bytes& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

Bytes Text(std::string_view s, bool zero = true) {
    Bytes b(s.begin(), s.end());
    if (zero)
        b.push_back(0);
    return b;
}

Bytes Fixed(std::uint32_t ms, std::uint32_t ls, std::size_t size = 52) {
    Bytes b;
    for (std::uint32_t d : {0xFEEF04BDu, 0x10000u, ms, ls})
        PutLe(b, d);
    b.resize(size, 0);
    return b;
}

Bytes Translation(std::uint16_t lang, std::uint16_t cp) {
    Bytes b;
    PutLe(b, std::uint32_t{cp} << 16 | lang);
    return b;
}

Bytes Block(const std::vector<TEntry>& entries) {
    Bytes b(qv::VersionBlockMagic.begin(), qv::VersionBlockMagic.end());
    PutLe(b, 0);
    PutLe(b, static_cast<std::uint32_t>(entries.size()));
    for (const TEntry& e : entries) {
        PutLe(b, static_cast<std::uint32_t>(e.Key.size()));
        PutLe(b, static_cast<std::uint32_t>(e.Value.size()));
        b.insert(b.end(), e.Key.begin(), e.Key.end());
        b.insert(b.end(), e.Value.begin(), e.Value.end());
        b.resize((b.size() + 3) & ~std::size_t{3}, 0);
    }
    const auto size = static_cast<std::uint32_t>(b.size());
    for (int i = 0; i < 4; ++i)
        b[8 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(size >> (8 * i));
    return b;
}

std::vector<TEntry> GoodEntries() {
    return {{"\\", Fixed(0x00020007, 0x000D0001)},
            {"\\VarFileInfo\\Translation", Translation(0x0407, 0x04E4)},
            {"\\StringFileInfo\\040704e4\\ProductName", Text("Ampwise")},
            {"\\StringFileInfo\\040704e4\\FileDescription", Text("Kabelrechner")},
            // A second language the reader must never look at.
            {"\\StringFileInfo\\040904b0\\Comments", Text("other language")}};
}

// A minimal ELF file: null section, the named data section, the section name table.
struct TElf {
    bool Is64 = true;
    bool Big = false;
    Bytes Image;
    std::size_t ShOff = 0;

    std::size_t EntSize() const { return Is64 ? 64 : 40; }

    void Put(std::size_t at, int width, std::uint64_t v) {
        if (Image.size() < at + static_cast<std::size_t>(width))
            Image.resize(at + static_cast<std::size_t>(width), 0);
        for (int i = 0; i < width; ++i) {
            const int shift = Big ? 8 * (width - 1 - i) : 8 * i;
            Image[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> shift);
        }
    }
    void SetShOff(std::uint64_t v) { Is64 ? Put(40, 8, v) : Put(32, 4, v); }
    void SetShNum(std::uint64_t v) { Is64 ? Put(60, 2, v) : Put(48, 2, v); }
    void SetShStrNdx(std::uint64_t v) { Is64 ? Put(62, 2, v) : Put(50, 2, v); }
    void SetName(int i, std::uint64_t v) { Put(ShOff + EntSize() * std::size_t(i), 4, v); }
    void SetType(int i, std::uint64_t v) { Put(ShOff + EntSize() * std::size_t(i) + 4, 4, v); }
    void SetOffset(int i, std::uint64_t v) {
        Is64 ? Put(ShOff + 64 * std::size_t(i) + 24, 8, v)
             : Put(ShOff + 40 * std::size_t(i) + 16, 4, v);
    }
    void SetSize(int i, std::uint64_t v) {
        Is64 ? Put(ShOff + 64 * std::size_t(i) + 32, 8, v)
             : Put(ShOff + 40 * std::size_t(i) + 20, 4, v);
    }
    void SetLink(int i, std::uint64_t v) {
        Is64 ? Put(ShOff + 64 * std::size_t(i) + 40, 4, v)
             : Put(ShOff + 40 * std::size_t(i) + 24, 4, v);
    }
};

TElf MakeElf(const Bytes& section, bool is64 = true, bool big = false,
             std::string_view name = qv::VersionSectionName) {
    TElf e;
    e.Is64 = is64;
    e.Big = big;
    const std::size_t ehSize = is64 ? 64 : 52;
    e.Image.assign(ehSize, 0);
    const std::uint8_t ident[] = {
        0x7F, 'E', 'L', 'F', std::uint8_t(is64 ? 2 : 1), std::uint8_t(big ? 2 : 1), 1};
    std::copy(std::begin(ident), std::end(ident), e.Image.begin());
    const std::size_t dataAt = e.Image.size();
    e.Image.insert(e.Image.end(), section.begin(), section.end());
    const std::size_t namesAt = e.Image.size();
    std::string names = std::string(1, '\0') + std::string(name) + '\0' + ".shstrtab" + '\0';
    e.Image.insert(e.Image.end(), names.begin(), names.end());
    e.ShOff = (e.Image.size() + 7) & ~std::size_t{7};
    e.Image.resize(e.ShOff + 3 * e.EntSize(), 0);
    e.SetShOff(e.ShOff);
    is64 ? e.Put(58, 2, 64) : e.Put(46, 2, 40);
    e.SetShNum(3);
    e.SetShStrNdx(2);
    e.SetName(1, 1);
    e.SetType(1, 1);
    e.SetOffset(1, dataAt);
    e.SetSize(1, section.size());
    e.SetName(2, 1 + name.size() + 1);
    e.SetType(2, 3);
    e.SetOffset(2, namesAt);
    e.SetSize(2, names.size());
    return e;
}

class VerInfoFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/qvverinfo-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        m_dir = tmpl;
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string Write(const std::string& name, const Bytes& bytes) {
        const std::string path = (m_dir / name).string();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return path;
    }
    static Bytes Slurp(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }

    fs::path m_dir;
};

TEST(VerInfoBuiltProgram, CarriesTheProjectVersionAndStrings) {
    const qv::TVerInfoRes info(QV_VERSIONED_EXE);
    EXPECT_EQ(info.FileVersionText(), "1.0.1.0");
    EXPECT_EQ(info.ReadStandardValue(7), "Ampwise");
    EXPECT_EQ(info.ReadStandardValue(1), "Ampwise Cable Sizing Calculator");
    EXPECT_EQ(info.ReadStandardValue(0), "Brannoworks");
    EXPECT_EQ(info.ReadStringValue("productversion"), "1.0.1.0") << "keys ignore letter case";
    EXPECT_EQ(info.ReadStandardValue(9), "") << "Comments is not embedded";
    EXPECT_EQ(info.ReadStandardValue(10), "");
    EXPECT_EQ(info.ReadStandardValue(-1), "");
    EXPECT_EQ(info.Language(), 0x0409);
    EXPECT_EQ(info.CodePage(), 0x04B0);

    EXPECT_EQ(qv::GetProductTitle(std::string(QV_VERSIONED_EXE)), "Ampwise 1.0.1.0");
    EXPECT_EQ(qv::GetFileVersionText(std::string(QV_VERSIONED_EXE)), "1.0.1.0");
    EXPECT_EQ(qv::GetFileDescriptionText(std::string(QV_VERSIONED_EXE)),
              "Ampwise Cable Sizing Calculator");
}

TEST(VerInfoBuiltProgram, PartsInOrderWithoutLeadingZerosAndEscapedStrings) {
    const qv::TVerInfoRes info(QV_VERSIONED_ALT_EXE);
    EXPECT_EQ(info.FileVersionText(), "3.14.159.65535");
    EXPECT_EQ(info.ReadStandardValue(7), "Odd \"Quoted\" \\Name");
    EXPECT_EQ(info.ReadStandardValue(1), "Kälte – Rechner");
}

TEST(VerInfoBuiltProgram, ThisTestProgramHasNone) {
    try {
        qv::TVerInfoRes info("/proc/self/exe");
        FAIL() << "no error raised";
    } catch (const qv::ENoVerInfoError& e) {
        EXPECT_STREQ(e.what(), "No Version Info Available.");
    }
}

TEST(VerInfoBlock, CompileTimeAndRunTimeBuildersAgree) {
    static constexpr qv::TVersionString strings[] = {{"ProductName", "X"},
                                                     {"Comments", "odd length"}};
    static constexpr qv::TVersionSpec block{{9, 8, 7, 6}, 0x0409, 0x04B0, strings};
    constexpr auto fixed = qv::BuildVersionBlock<qv::VersionBlockSize(block)>(block);
    const Bytes dynamic = qv::BuildVersionBlock(block);
    ASSERT_EQ(dynamic.size(), fixed.size());
    EXPECT_TRUE(std::equal(fixed.begin(), fixed.end(), dynamic.begin()));
    EXPECT_EQ(dynamic.size() % 4, 0u);
}

TEST_F(VerInfoFiles, FirstTranslationOnlyAndMissingStringsAreEmpty) {
    auto entries = GoodEntries();
    entries.erase(entries.begin() + 2); // no ProductName
    const std::string path = Write("noname", MakeElf(Block(entries)).Image);
    const qv::TVerInfoRes info(path);
    EXPECT_EQ(info.FileVersionText(), "2.7.13.1");
    EXPECT_EQ(info.ReadStringValue("FileDescription"), "Kabelrechner");
    EXPECT_EQ(info.ReadStringValue("Comments"), "") << "strings of another language are not read";
    EXPECT_EQ(qv::GetProductTitle(path), " 2.7.13.1");
}

TEST_F(VerInfoFiles, StringWithoutTerminatorStopsAtItsEntry) {
    auto entries = GoodEntries();
    entries[2].Value = Text("Amp", false);
    const qv::TVerInfoRes info(Write("unterminated", MakeElf(Block(entries)).Image));
    EXPECT_EQ(info.ReadStandardValue(7), "Amp");
}

TEST_F(VerInfoFiles, OtherElfKindsRead) {
    struct Row {
        const char* name;
        bool is64, big;
    };
    for (const Row& r :
         {Row{"32-bit little endian", false, false}, Row{"32-bit big endian", false, true},
          Row{"64-bit big endian", true, true}}) {
        SCOPED_TRACE(r.name);
        const std::string path = Write(r.name, MakeElf(Block(GoodEntries()), r.is64, r.big).Image);
        EXPECT_EQ(qv::TVerInfoRes(path).FileVersionText(), "2.7.13.1");
    }
}

TEST_F(VerInfoFiles, ExtendedSectionNumbering) {
    TElf e = MakeElf(Block(GoodEntries()));
    e.SetShNum(0);
    e.SetShStrNdx(0xFFFF);
    e.SetSize(0, 3);
    e.SetLink(0, 2);
    EXPECT_EQ(qv::TVerInfoRes(Write("extended", e.Image)).FileVersionText(), "2.7.13.1");
}

enum class Want { NoInfo, Cannot, NoLanguage, NoFixed };

TEST_F(VerInfoFiles, HostileFilesRaiseTheNamedErrorAndStayUnchanged) {
    const Bytes good = Block(GoodEntries());
    auto elf = [&](std::function<void(TElf&)> bend, const Bytes& block) {
        TElf e = MakeElf(block);
        bend(e);
        return e.Image;
    };
    auto bent = [&](std::function<void(TElf&)> bend) { return elf(std::move(bend), good); };
    auto without = [&](std::size_t index) {
        auto entries = GoodEntries();
        entries.erase(entries.begin() + std::ptrdiff_t(index));
        return MakeElf(Block(entries)).Image;
    };
    auto withEntry = [&](std::size_t index, Bytes value) {
        auto entries = GoodEntries();
        entries[index].Value = std::move(value);
        return MakeElf(Block(entries)).Image;
    };
    const Bytes goodImage = MakeElf(good).Image;
    Bytes truncatedTable = goodImage;
    truncatedTable.resize(truncatedTable.size() - 10);
    Bytes hugeKey = good;
    hugeKey[16] = hugeKey[17] = hugeKey[18] = hugeKey[19] = 0xFF; // first entry's key length

    struct Row {
        const char* name;
        Bytes bytes;
        Want want;
    };
    const std::vector<Row> rows = {
        {"empty file", {}, Want::NoInfo},
        {"text file", Text("[Settings]\nMaxVoltDrop=5.5\n"), Want::NoInfo},
        {"header cut short", Bytes(goodImage.begin(), goodImage.begin() + 30), Want::NoInfo},
        {"unknown ELF class", bent([](TElf& e) { e.Image[4] = 7; }), Want::NoInfo},
        {"section table far past the end", bent([](TElf& e) { e.SetShOff(1ull << 62); }),
         Want::NoInfo},
        {"section table offset wraps around", bent([](TElf& e) { e.SetShOff(~0ull - 8); }),
         Want::NoInfo},
        {"65535 sections claimed", bent([](TElf& e) { e.SetShNum(0xFFFF); }), Want::NoInfo},
        {"entry size too small", bent([](TElf& e) { e.Put(58, 2, 12); }), Want::NoInfo},
        {"name table index out of range", bent([](TElf& e) { e.SetShStrNdx(9); }), Want::NoInfo},
        {"name table outside the file", bent([](TElf& e) { e.SetOffset(2, 1ull << 40); }),
         Want::NoInfo},
        {"section name offset outside the table", bent([](TElf& e) { e.SetName(1, 5000); }),
         Want::NoInfo},
        {"section name runs to the end of the table unterminated",
         bent([](TElf& e) { e.SetSize(2, 1 + qv::VersionSectionName.size()); }), Want::NoInfo},
        {"name table without file bytes", bent([](TElf& e) { e.SetType(2, 8); }), Want::NoInfo},
        {"extended string table index out of range", bent([](TElf& e) {
             e.SetShStrNdx(0xFFFF);
             e.SetLink(0, 3);
         }),
         Want::NoInfo},
        {"extended count larger than the file", bent([](TElf& e) {
             e.SetShNum(0);
             e.SetSize(0, 1ull << 40);
         }),
         Want::NoInfo},
        {"section table cut off", truncatedTable, Want::NoInfo},
        {"section of another name", MakeElf(good, true, false, ".rodata").Image, Want::NoInfo},
        {"section of size zero", bent([](TElf& e) { e.SetSize(1, 0); }), Want::NoInfo},
        {"section data past the end", bent([](TElf& e) { e.SetOffset(1, 1ull << 33); }),
         Want::Cannot},
        {"section size enormous", bent([](TElf& e) { e.SetSize(1, ~0ull); }), Want::Cannot},
        {"section without file bytes", bent([](TElf& e) { e.SetType(1, 8); }), Want::Cannot},
        {"block with wrong magic", elf([](TElf&) {}, Text("NOTABLOCK and some more bytes")),
         Want::Cannot},
        {"block shorter than its header", elf([](TElf&) {}, Text("QVVERBLK", false)), Want::Cannot},
        {"block size beyond the section",
         elf([](TElf&) {},
             [&] {
                 Bytes b = good;
                 b[11] = 0x7F;
                 return b;
             }()),
         Want::Cannot},
        {"entry key length runs off the block", elf([](TElf&) {}, hugeKey), Want::NoLanguage},
        {"no translation", without(1), Want::NoLanguage},
        {"translation of two bytes", withEntry(1, Bytes{9, 4}), Want::NoLanguage},
        {"no fixed info", without(0), Want::NoFixed},
        {"fixed info of 51 bytes", withEntry(0, Fixed(1, 2, 51)), Want::NoFixed},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const std::string path = Write("hostile", r.bytes);
        try {
            qv::TVerInfoRes info(path);
            ADD_FAILURE() << "no error raised";
        } catch (const qv::ENoVerInfoError& e) {
            EXPECT_EQ(r.want, Want::NoInfo) << e.what();
            EXPECT_STREQ(e.what(), "No Version Info Available.");
        } catch (const qv::EVerInfoError& e) {
            EXPECT_TRUE(r.want == Want::Cannot || r.want == Want::NoLanguage) << e.what();
            EXPECT_STREQ(e.what(), r.want == Want::Cannot ? "Cannot obtain version info."
                                                          : "No language info.");
        } catch (const qv::eNoFixeVerInfo& e) {
            EXPECT_EQ(r.want, Want::NoFixed) << e.what();
            EXPECT_STREQ(e.what(), "No fixed file info");
        }
        EXPECT_EQ(Slurp(path), r.bytes) << "the file was changed";
    }
}

TEST_F(VerInfoFiles, PathsThatAreNotFilesRaiseNoInfoWithoutBlocking) {
    const std::string fifo = (m_dir / "fifo").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path :
         {fifo, m_dir.string(), (m_dir / "absent").string(), std::string()}) {
        SCOPED_TRACE(path);
        EXPECT_THROW(qv::TVerInfoRes info(path), qv::ENoVerInfoError);
    }
}

} // namespace
