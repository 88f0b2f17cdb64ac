// INI syntax colouring: the tokenizer and the QScintilla lexer around it.
#include "inieditor/QvIniLexer_p.h"

#include "widgets/QvAccessibility.h"

#include <Qsci/qsciscintilla.h>

#include <QApplication>
#include <QPalette>

#include <algorithm>

namespace qv {

namespace {

void StyleValueText(std::string_view line, std::size_t from, std::vector<std::uint8_t>& styles) {
    std::size_t i = from;
    while (i < line.size()) {
        const char c = line[i];
        if (c != '"' && c != '\'') {
            ++i;
            continue;
        }
        // An unclosed quote runs to the end of the line, as the reader sees it while typing.
        const std::size_t close = line.find(c, i + 1);
        const std::size_t stop = close == std::string_view::npos ? line.size() : close + 1;
        for (std::size_t k = i; k < stop; ++k)
            styles[k] = isString;
        i = stop;
    }
}

} // namespace

void StyleIniLine(std::string_view line, std::vector<std::uint8_t>& styles) {
    styles.assign(line.size(), isDefault);
    if (line.empty())
        return;
    if (line.front() == ';') {
        styles.assign(line.size(), isComment);
        return;
    }
    if (line.front() == '[') {
        const std::size_t close = line.find(']');
        const std::size_t stop = close == std::string_view::npos ? line.size() : close + 1;
        for (std::size_t k = 0; k < stop; ++k)
            styles[k] = isSection;
        return;
    }
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) {
        StyleValueText(line, 0, styles);
        return;
    }
    for (std::size_t k = 0; k < eq; ++k)
        styles[k] = isKey;
    StyleValueText(line, eq + 1, styles);
}

TIniLexer::TIniLexer(QObject* parent) : QsciLexerCustom(parent) {}

QString TIniLexer::description(int style) const {
    switch (style) {
    case isDefault:
        return QStringLiteral("Default");
    case isComment:
        return QStringLiteral("Comment");
    case isSection:
        return QStringLiteral("Section");
    case isKey:
        return QStringLiteral("Key");
    case isString:
        return QStringLiteral("String");
    default:
        return {};
    }
}

QColor TIniLexer::defaultColor(int style) const {
    // The colours read well on a light page; on a dark one each becomes the nearest colour of its
    // hue that still does. The section header brings its own page.
    switch (style) {
    case isComment:
        return ReadableOn(QColor(0, 128, 0), defaultPaper(style));
    case isSection:
        return QColor(255, 255, 255);
    case isKey:
        return ReadableOn(QColor(128, 0, 0), defaultPaper(style));
    case isString:
        return ReadableOn(QColor(0, 115, 170), defaultPaper(style));
    default:
        return QApplication::palette().color(QPalette::WindowText);
    }
}

QColor TIniLexer::defaultPaper(int style) const {
    if (style == isSection)
        return QColor(0, 128, 255);
    return QApplication::palette().color(QPalette::Base);
}

QFont TIniLexer::defaultFont(int style) const {
    QFont f(QStringLiteral("Courier New"), 10);
    f.setStyleHint(QFont::Monospace);
    f.setBold(false);
    f.setItalic(style == isComment);
    return f;
}

bool TIniLexer::defaultEolFill(int) const {
    return false;
}

void TIniLexer::styleText(int start, int end) {
    QsciScintilla* ed = editor();
    if (!ed || end <= start)
        return;
    // Whole lines only: the tokenizer needs to see where each line begins.
    const long first = ed->SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION, start);
    const long last = ed->SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION, end);
    start = static_cast<int>(ed->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, first));
    end = static_cast<int>(ed->SendScintilla(QsciScintillaBase::SCI_GETLINEENDPOSITION, last));
    // bytes() adds room for a terminating zero that is not part of the text.
    const QByteArray text = ed->bytes(start, end);
    const std::string_view all(
        text.constData(), static_cast<std::size_t>(std::min<qsizetype>(text.size(), end - start)));

    startStyling(start);
    std::vector<std::uint8_t> styles;
    std::size_t pos = 0;
    while (pos < all.size()) {
        std::size_t eol = all.find_first_of("\r\n", pos);
        if (eol == std::string_view::npos)
            eol = all.size();
        StyleIniLine(all.substr(pos, eol - pos), styles);
        // Runs of one style keep the number of calls into the editor small.
        std::size_t i = 0;
        while (i < styles.size()) {
            std::size_t j = i + 1;
            while (j < styles.size() && styles[j] == styles[i])
                ++j;
            setStyling(static_cast<int>(j - i), styles[i]);
            i = j;
        }
        std::size_t next = eol;
        if (next < all.size() && all[next] == '\r')
            ++next;
        if (next < all.size() && all[next] == '\n')
            ++next;
        if (next > eol)
            setStyling(static_cast<int>(next - eol), isDefault);
        pos = next;
    }
}

} // namespace qv
