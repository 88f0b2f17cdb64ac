// The REGEDIT4 text engine: exact text of each value kind, round trips, and hostile files.
#include "settings/QvRegFile_p.h"

#include <gtest/gtest.h>

namespace qv::reg {
namespace {

const std::string kKey = "HKEY_CURRENT_USER\\Software\\Brannoworks\\Ampwise\\Settings";

std::string ValueLine(std::uint32_t kind, std::vector<std::uint8_t> data,
                      const std::string& name = "V") {
    TRegDocument doc;
    doc.SetValue(kKey, name, kind, std::move(data));
    std::string text = SerializeReg(doc);
    std::size_t at = text.find(']');
    std::string line = text.substr(at + 2);
    while (!line.empty() && line.back() == '\n')
        line.pop_back();
    return line;
}

TEST(RegFileText, EachKindIsWrittenInItsRegeditForm) {
    struct Row {
        const char* what;
        std::uint32_t kind;
        std::vector<std::uint8_t> data;
        std::string name;
        std::string line;
    };
    const Row rows[] = {
        {"plain text", REG_SZ, TextData("Verdana"), "FontName", R"("FontName"="Verdana")"},
        {"quotes and backslashes escaped", REG_SZ, TextData(R"(C:\a "b")"), "P",
         R"("P"="C:\\a \"b\"")"},
        {"line break kept as hex(1)", REG_SZ, TextData("a\nb"), "V", "\"V\"=hex(1):61,0a,62,00"},
        {"dword zero-padded", REG_DWORD, DWordData(0), "Material", R"("Material"=dword:00000000)"},
        {"negative dword", REG_DWORD, DWordData(static_cast<std::uint32_t>(-20)), "Top",
         R"("Top"=dword:ffffffec)"},
        {"double 5.5 least significant byte first", REG_BINARY, DoubleData(5.5), "Power",
         R"("Power"=hex:00,00,00,00,00,00,16,40)"},
        {"empty binary", REG_BINARY, {}, "E", R"("E"=hex:)"},
        {"other kinds by number", 0xb, {1, 2}, "Q", R"("Q"=hex(b):01,02)"},
        {"default value", REG_SZ, TextData("x"), "", R"(@="x")"},
        {"name with a quote", REG_DWORD, DWordData(1), "a\"b", R"("a\"b"=dword:00000001)"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(ValueLine(r.kind, r.data, r.name), r.line) << r.what;
}

TEST(RegFileText, EveryKindSurvivesWriteAndRead) {
    TRegDocument doc;
    std::vector<std::uint8_t> big(3000);
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<std::uint8_t>(i * 7);
    doc.SetValue(kKey, "Text", REG_SZ, TextData("x \\ \" ; # [y] = é"));
    doc.SetValue(kKey, "Lines", REG_SZ, TextData("one\r\ntwo"));
    doc.SetValue(kKey, "Expand", REG_EXPAND_SZ, TextData("$HOME/x"));
    doc.SetValue(kKey, "Int", REG_DWORD, DWordData(0x80000000u));
    doc.SetValue(kKey, "Big", REG_BINARY, big);
    doc.SetValue(kKey, "", REG_SZ, TextData("default"));
    doc.SetValue("HKEY_CURRENT_USER\\Other", "Short", REG_DWORD, {1, 2}); // odd size kept as hex(4)

    TRegDocument back;
    ASSERT_FALSE(ParseRegText(SerializeReg(doc), back));
    ASSERT_EQ(back.Keys.size(), doc.Keys.size());
    for (std::size_t k = 0; k < doc.Keys.size(); ++k) {
        EXPECT_EQ(back.Keys[k].Path, doc.Keys[k].Path);
        ASSERT_EQ(back.Keys[k].Values.size(), doc.Keys[k].Values.size());
        for (std::size_t v = 0; v < doc.Keys[k].Values.size(); ++v) {
            const TRegValue& a = doc.Keys[k].Values[v];
            const TRegValue& b = back.Keys[k].Values[v];
            EXPECT_EQ(b.Name, a.Name);
            EXPECT_EQ(b.Kind, a.Kind) << a.Name;
            EXPECT_EQ(b.Data, a.Data) << a.Name;
        }
    }
}

TEST(RegFileText, ReadsWhatHandsAndOtherToolsWrite) {
    struct Row {
        const char* what;
        std::string text;
        std::string name;
        std::uint32_t kind;
        std::vector<std::uint8_t> data;
    };
    const std::string head = "REGEDIT4\n\n[" + kKey + "]\n";
    const Row rows[] = {
        {"CR LF line ends", "REGEDIT4\r\n\r\n[" + kKey + "]\r\n\"A\"=dword:0000001a\r\n", "A",
         REG_DWORD, DWordData(26)},
        {"byte-order mark", "\xEF\xBB\xBF" + head + "\"A\"=\"x\"\n", "A", REG_SZ, TextData("x")},
        {"comments and blank lines", head + "; note\n\n\"A\"=\"x\"\n", "A", REG_SZ, TextData("x")},
        {"upper-case kind and digits", head + "\"A\"=DWORD:0000001A\n", "A", REG_DWORD,
         DWordData(26)},
        {"continued hex list",
         head + "\"A\"=hex:01,02,\\\n  03,04\n",
         "A",
         REG_BINARY,
         {1, 2, 3, 4}},
        {"names without regard to case", head + "\"left\"=dword:00000001\n", "LEFT", REG_DWORD,
         DWordData(1)},
        {"a later duplicate wins", head + "\"A\"=\"1\"\n\"a\"=\"2\"\n", "A", REG_SZ, TextData("2")},
        {"key headers without regard to case",
         "REGEDIT4\n[" + kKey +
             "]\n\"A\"=\"1\"\n[HKEY_CURRENT_USER\\SOFTWARE\\brannoworks\\"
             "AMPWISE\\settings]\n\"B\"=\"2\"\n",
         "B", REG_SZ, TextData("2")},
        {"no final line end", head + "\"A\"=\"x\"", "A", REG_SZ, TextData("x")},
        {"hand-written dword without leading zeros", head + "\"A\"=dword:1a\n", "A", REG_DWORD,
         DWordData(26)},
        {"full dword without a final line end", head + "\"A\"=dword:0000001a", "A", REG_DWORD,
         DWordData(26)},
    };
    for (const Row& r : rows) {
        TRegDocument doc;
        auto err = ParseRegText(r.text, doc);
        ASSERT_FALSE(err) << r.what << ": " << err->Reason;
        EXPECT_EQ(doc.Keys.size(), 1u) << r.what;
        const TRegValue* v = doc.FindValue(kKey, r.name);
        ASSERT_TRUE(v) << r.what;
        EXPECT_EQ(v->Kind, r.kind) << r.what;
        EXPECT_EQ(v->Data, r.data) << r.what;
    }
}

TEST(RegFileText, EmptyOrBlankTextIsAnEmptyStore) {
    for (std::string text : {"", "\n\n", "  \r\n", "\xEF\xBB\xBF"}) {
        TRegDocument doc;
        doc.AddKey("x");
        EXPECT_FALSE(ParseRegText(text, doc));
        EXPECT_TRUE(doc.Keys.empty());
    }
}

TEST(RegFileText, DamagedTextIsReportedWithItsLine) {
    struct Row {
        const char* what;
        std::string text;
        std::size_t line;
    };
    const std::string head = "REGEDIT4\n\n[" + kKey + "]\n"; // values start on line 4
    const Row rows[] = {
        {"binary bytes", std::string("REGEDIT4\n\0\x01\xff", 12), 0},
        {"not the format", "[Settings]\nPower=5\n", 1},
        {"text cut short", head + "\"FontName\"=\"Verd", 4},
        {"value name cut short", head + "\"Font", 4},
        {"dword cut short", head + "\"A\"=dword:0000", 4},
        {"dword not hexadecimal", head + "\"A\"=dword:0000000g", 4},
        {"dword too long", head + "\"A\"=dword:000000001\n", 4},
        {"dword without digits", head + "\"A\"=dword:\n", 4},
        {"hex list ends in a comma", head + "\"A\"=hex:01,02,", 4},
        {"hex continuation missing", head + "\"A\"=hex:01,02,\\", 4},
        {"half a byte", head + "\"A\"=hex:01,0", 4},
        {"bad kind number", head + "\"A\"=hex(zz):01", 4},
        {"unknown kind", head + "\"A\"=qword:01", 4},
        {"text then rubbish", head + "\"A\"=\"x\" y", 4},
        {"unknown escape", head + "\"A\"=\"a\\nb\"", 4},
        {"no equals sign", head + "\"A\" \"x\"", 4},
        {"value before any key", "REGEDIT4\n\"A\"=\"x\"\n", 2},
        {"key header cut short", "REGEDIT4\n\n[HKEY_CURRENT_USER\\Soft", 3},
        {"key deletion line", "REGEDIT4\n\n[-HKEY_CURRENT_USER\\x]\n", 3},
        {"key path that normalises to a deletion", "REGEDIT4\n\n[\\-x]\n", 3},
        {"rubbish line", head + "Power=5.5\n", 4},
    };
    for (const Row& r : rows) {
        TRegDocument doc;
        auto err = ParseRegText(r.text, doc);
        ASSERT_TRUE(err) << r.what;
        EXPECT_EQ(err->Line, r.line) << r.what << ": " << err->Reason;
        EXPECT_FALSE(err->Reason.empty()) << r.what;
    }
}

TEST(RegFileDocument, DeletingAKeyTakesItsSubkeysOnly) {
    TRegDocument doc;
    doc.AddKey("R\\A");
    doc.AddKey("R\\A\\B");
    doc.AddKey("R\\AB");
    EXPECT_TRUE(doc.DeleteKey("r\\a"));
    ASSERT_EQ(doc.Keys.size(), 1u);
    EXPECT_EQ(doc.Keys[0].Path, "R\\AB");
}

TEST(RegFileDocument, KeyPathsAreTidied) {
    EXPECT_EQ(JoinKeyPath("Software\\", "Brannoworks"), "Software\\Brannoworks");
    EXPECT_EQ(JoinKeyPath("\\\\A\\\\B\\", "\\C\\"), "A\\B\\C");
    EXPECT_EQ(JoinKeyPath("A", ""), "A");
}

TEST(RegFileDocument, KeysAreFoundWithoutRegardToCaseAfterAddsAndDeletes) {
    TRegDocument doc;
    for (int i = 0; i < 50; ++i)
        doc.SetValue("R\\K" + std::to_string(i), "v", REG_DWORD, DWordData(1));
    doc.AddKey("R\\K7\\Sub");
    ASSERT_TRUE(doc.DeleteKey("r\\k7"));
    EXPECT_EQ(doc.FindKey("R\\K7"), nullptr);
    EXPECT_EQ(doc.FindKey("R\\K7\\Sub"), nullptr);
    ASSERT_NE(doc.FindKey("r\\k8"), nullptr);
    EXPECT_EQ(doc.FindKey("r\\k8")->Path, "R\\K8");
    EXPECT_EQ(&doc.AddKey("R\\k49"), doc.FindKey("R\\K49")); // found, not added again
    doc.AddKey("R\\K7");
    EXPECT_EQ(doc.Keys.back().Path, "R\\K7");
    EXPECT_EQ(doc.Keys.size(), 50u);
    const TRegDocument copy = doc;
    EXPECT_NE(copy.FindValue("R\\K3", "V"), nullptr);
    doc.Clear();
    EXPECT_EQ(doc.FindKey("R\\K3"), nullptr);
}

// Stores for the flush rule: nothing, keys only, or keys with a value.
void NoKeys(TRegDocument&) {}
void KeysOnly(TRegDocument& d) {
    d.AddKey("HKEY_CURRENT_USER\\Software");
    d.AddKey(kKey);
}
void WithNumber(TRegDocument& d) {
    KeysOnly(d);
    d.SetValue(kKey, "Power", REG_DWORD, DWordData(5));
}
void WithEmptyText(TRegDocument& d) {
    KeysOnly(d);
    d.SetValue(kKey, "Name", REG_SZ, TextData(""));
}

TEST(RegFileStore, OnlyAStoreWithValuesIsWaitedOnToReachTheDisk) {
    using TStep = void (*)(TRegDocument&);
    struct Row {
        const char* what;
        TStep before, after;
        bool flush;
    };
    const Row rows[] = {
        {"a first start creating its first key", NoKeys, KeysOnly, false},
        {"a key opened in a store of keys only", KeysOnly, KeysOnly, false},
        {"the first value saved", KeysOnly, WithNumber, true},
        {"an empty text is still a value", KeysOnly, WithEmptyText, true},
        {"a key created beside saved values", WithNumber, WithNumber, true},
        {"the last value deleted", WithNumber, KeysOnly, true},
    };
    for (const Row& r : rows) {
        TRegDocument before, after;
        r.before(before);
        r.after(after);
        EXPECT_EQ(WriteMustFlush(before, after), r.flush) << r.what;
    }
}

} // namespace
} // namespace qv::reg
