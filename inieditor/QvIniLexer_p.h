// INI syntax colouring for the INI editor: a line-by-line tokenizer over plain bytes, and the
// QScintilla lexer that applies it with the editor's colours.
#pragma once

#include <Qsci/qscilexercustom.h>

#include <cstdint>
#include <string_view>
#include <vector>

namespace qv {

enum TIniStyle : std::uint8_t {
    isDefault = 0, // numbers, plain words, "=" and blanks
    isComment = 1, // ";" at the start of a line, up to its end
    isSection = 2, // "[" at the start of a line, up to the closing "]"
    isKey = 3,     // from the start of a line up to its first "="
    isString = 4,  // between double quotes or between single quotes
};
constexpr int IniStyleCount = 5;

// One style per byte of `line` (which holds no line end). Lines are independent: INI has no
// construct that spans lines, so a change never needs more than its own lines restyled.
void StyleIniLine(std::string_view line, std::vector<std::uint8_t>& styles);

class TIniLexer : public QsciLexerCustom {
    Q_OBJECT
  public:
    explicit TIniLexer(QObject* parent = nullptr);

    const char* language() const override { return "INI"; }
    QString description(int style) const override;
    QColor defaultColor(int style) const override;
    QColor defaultPaper(int style) const override;
    QFont defaultFont(int style) const override;
    bool defaultEolFill(int style) const override;
    void styleText(int start, int end) override;
};

} // namespace qv
