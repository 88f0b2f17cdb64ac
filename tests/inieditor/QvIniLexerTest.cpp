// INI colouring: the line tokenizer, the lexer's colours and fonts, and the styles the editor ends
// up with for real text.
#include "inieditor/QvIniEdit.h"
#include "inieditor/QvIniLexer_p.h"
#include "tests/testsupport/Palettes.h"
#include "widgets/QvAccessibility.h"

#include <QApplication>
#include <QPalette>
#include <gtest/gtest.h>

#include <string>

namespace qv {
namespace {

// One letter per byte: d default, c comment, s section, k key, q quoted string.
std::string Styles(std::string_view line) {
    std::vector<std::uint8_t> styles;
    StyleIniLine(line, styles);
    std::string out;
    for (std::uint8_t s : styles)
        out += "dcskq"[s];
    return out;
}

struct TLineCase {
    const char* name;
    std::string_view line;
    const char* styles;
};

class IniLineStyles : public ::testing::TestWithParam<TLineCase> {};

TEST_P(IniLineStyles, StyleEveryByte) {
    EXPECT_EQ(Styles(GetParam().line), GetParam().styles) << GetParam().line;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Lines, IniLineStyles, ::testing::Values(
    TLineCase{"empty", "", ""},
    TLineCase{"section_to_closing_bracket", "[Settings] x", "ssssssssssdd"},
    TLineCase{"section_without_close_runs_to_end", "[Sett", "sssss"},
    TLineCase{"indented_bracket_is_no_section", " [a]", "dddd"},
    TLineCase{"key_up_to_equals", "MaxVoltDrop=5.5", "kkkkkkkkkkkdddd"},
    TLineCase{"blank_value", "k=", "kd"},
    TLineCase{"double_quoted_value", "k=\"a b\"", "kdqqqqq"},
    TLineCase{"single_quoted_value", "k='v' x", "kdqqqdd"},
    TLineCase{"quote_in_key_stays_key", "a\"b=1", "kkkdd"},
    TLineCase{"unclosed_quote_to_end", "k=\"ab", "kdqqq"},
    TLineCase{"mixed_quotes_close_by_kind", "k=\"a'b\"c", "kdqqqqqd"},
    TLineCase{"comment_line", ";k=\"v\"", "cccccc"},
    TLineCase{"indented_semicolon_is_no_comment", " ;x", "ddd"},
    TLineCase{"hash_is_plain_text", "#x", "dd"},
    TLineCase{"quotes_without_equals", "say 'hi'", "ddddqqqq"},
    TLineCase{"second_equals_is_value", "a=b=c", "kdddd"},
    TLineCase{"binary_bytes", std::string_view("\x01\xff=\0", 4), "kkdd"}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

TEST(IniLexer, ColoursFontsAndPapersAsTheEditorShowsThem) {
    TIniEdit edit;
    TIniLexer* lexer = edit.IniLexer();
    ASSERT_EQ(edit.lexer(), lexer);
    EXPECT_EQ(lexer->color(isSection), QColor(255, 255, 255));
    EXPECT_EQ(lexer->paper(isSection), QColor(0, 128, 255));
    EXPECT_EQ(lexer->color(isKey), QColor(128, 0, 0));
    EXPECT_EQ(lexer->color(isString), QColor(0, 115, 170));
    EXPECT_EQ(lexer->color(isComment), QColor(0, 128, 0));
    EXPECT_EQ(lexer->color(isDefault), QApplication::palette().color(QPalette::WindowText));
    EXPECT_NE(lexer->paper(isKey), lexer->paper(isSection));
    for (int style = 0; style < IniStyleCount; ++style) {
        const QFont f = lexer->font(style);
        EXPECT_EQ(f.family(), "Courier New") << style;
        EXPECT_EQ(f.pointSize(), 10) << style;
        EXPECT_FALSE(f.bold()) << style;
        EXPECT_EQ(f.italic(), style == isComment) << style;
    }
}

// Every coloured style stays readable (4.5:1) on its page under a light and a dark palette; on
// the light one the colours are exactly those above. The section header keeps its own page.
TEST(IniLexer, ColoursStayReadableInLightAndDarkPalettes) {
    const QPalette saved = QApplication::palette();
    for (const auto& [name, palette] :
         {std::pair{"light", test::LightPalette()}, std::pair{"dark", test::DarkPalette()}}) {
        QApplication::setPalette(palette);
        TIniEdit edit;
        TIniLexer* lexer = edit.IniLexer();
        for (int style : {isDefault, isComment, isKey, isString})
            EXPECT_GE(ContrastRatio(lexer->color(style), lexer->paper(style)), 4.5)
                << name << " style " << style;
        if (std::string(name) == "light") {
            EXPECT_EQ(lexer->color(isComment), QColor(0, 128, 0));
        }
    }
    QApplication::setPalette(saved);
}

TEST(IniLexer, EditorStylesLoadedText) {
    TIniEdit edit;
    edit.SetBytes("[S]\r\n;c\r\nk=\"v\" 1\r\n");
    edit.SendScintilla(QsciScintillaBase::SCI_COLOURISE, 0L, -1L);
    const auto styleAt = [&](long pos) {
        return edit.SendScintilla(QsciScintillaBase::SCI_GETSTYLEAT, pos);
    };
    EXPECT_EQ(styleAt(0), isSection);
    EXPECT_EQ(styleAt(2), isSection);
    EXPECT_EQ(styleAt(5), isComment);  // ';'
    EXPECT_EQ(styleAt(9), isKey);      // 'k'
    EXPECT_EQ(styleAt(10), isDefault); // '='
    EXPECT_EQ(styleAt(11), isString);  // '"'
    EXPECT_EQ(styleAt(13), isString);  // closing '"'
    EXPECT_EQ(styleAt(15), isDefault); // '1'

    // Editing one line restyles it: the key line becomes a comment.
    edit.SendScintilla(QsciScintillaBase::SCI_INSERTTEXT, 9L, ";");
    edit.SendScintilla(QsciScintillaBase::SCI_COLOURISE, 0L, -1L);
    EXPECT_EQ(styleAt(9), isComment);
    EXPECT_EQ(styleAt(12), isComment);
}

} // namespace
} // namespace qv
