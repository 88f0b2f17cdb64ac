// Unit conversion, the cleaning of typed number text, and the comma lists: the number lists of
// the data file, string-list comma text and the quoted lists of the drop-down boxes.
#include "units/QvConv.h"

#include <cmath>
#include <stdexcept>

namespace qv {

namespace {

// Bytes at or below the blank end an unquoted item; UTF-8 bytes (>= 0x80) never do.
bool IsSeparatorBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

// A non-finite result is an arithmetic error, never a value shown to the user.
double CheckedResult(long double r, bool divisionByZero) {
    const double d = static_cast<double>(r);
    if (std::isfinite(d))
        return d;
    if (divisionByZero)
        throw std::domain_error("Floating point division by zero");
    if (std::isnan(d))
        throw std::domain_error("Invalid floating point operation");
    throw std::overflow_error("Floating point overflow");
}

// Deletes every occurrence of c after its first one.
void KeepFirst(std::string& s, char c) {
    std::size_t first = s.find(c);
    if (first == std::string::npos)
        return;
    std::string out = s.substr(0, first + 1);
    for (std::size_t i = first + 1; i < s.size(); ++i)
        if (s[i] != c)
            out += s[i];
    s = std::move(out);
}

// Reads one item at text[pos] for the comma-text setter: a quoted item loses its quotes and
// reads a doubled quote as one; an unquoted item runs to a comma or a blank/control character.
std::string ReadItem(const std::string& text, std::size_t& pos) {
    std::string item;
    if (text[pos] == '"') {
        ++pos;
        while (pos < text.size()) {
            if (text[pos] == '"') {
                if (pos + 1 < text.size() && text[pos + 1] == '"') {
                    item += '"';
                    pos += 2;
                    continue;
                }
                ++pos;
                return item;
            }
            item += text[pos++];
        }
        return item; // an unclosed quote runs to the end of the text
    }
    while (pos < text.size() && !IsSeparatorBlank(text[pos]) && text[pos] != ',')
        item += text[pos++];
    return item;
}

void SkipBlanks(const std::string& text, std::size_t& pos) {
    while (pos < text.size() && IsSeparatorBlank(text[pos]))
        ++pos;
}

} // namespace

double ConvertToUnit(double value, double factor, double offset) {
    return CheckedResult(static_cast<long double>(value) * factor + offset, false);
}

double ConvertFromUnit(double value, double factor, double offset) {
    return CheckedResult((static_cast<long double>(value) - offset) / factor, factor == 0);
}

void GetUnitInfo(TUnitsType type, int shown, int base, std::string& label, double& factor,
                 double& offset, std::string& formatStr) {
    label = UnitLabel(type, shown);
    formatStr = UnitFormat(type, shown);
    if (UnitCount(type) == 0)
        return;
    offset = 0;
    factor = static_cast<double>(static_cast<long double>(UnitFactor(type, shown)) /
                                 UnitFactor(type, base));
    if (type == utTemperature)
        offset = UnitOffset(type, shown);
}

std::string RemoveSpaces(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != ' ')
            out += c;
    return out;
}

std::string StripTrailingComma(const std::string& text) {
    if (!text.empty() && text.back() == ',')
        return text.substr(0, text.size() - 1);
    return text;
}

std::string CleanNumberText(const std::string& text) {
    std::string s = RemoveSpaces(text);

    // A fraction: each side is a number of its own.
    const std::size_t slash = s.find('/');
    if (slash != std::string::npos) {
        std::string after;
        for (std::size_t i = slash + 1; i < s.size(); ++i)
            if (s[i] != '/')
                after += s[i];
        return CleanNumberText(s.substr(0, slash)) + "/" + CleanNumberText(after);
    }

    if (s.empty())
        s.assign(1, '0');

    for (char& c : s)
        if (c == 'e')
            c = 'E';
    KeepFirst(s, 'E');

    if (s.size() > 1) {
        std::string out(1, s[0]);
        for (std::size_t i = 1; i < s.size(); ++i)
            if (s[i] != '-' || out.back() == 'E')
                out += s[i];
        s = std::move(out);
    }

    if (s == "-")
        s.assign(1, '0');

    KeepFirst(s, '.');

    if (s.front() == 'E')
        s.insert(s.begin(), '1');

    const std::size_t ePos = s.find('E');
    if (ePos != std::string::npos && ePos + 1 < s.size()) {
        std::string exponent = s.substr(ePos + 1);
        const std::size_t dot = exponent.find('.');
        if (dot != std::string::npos)
            exponent.erase(dot, 1);
        // Beyond 300 the value would overflow or vanish; two characters keep the sign and scale.
        const std::int32_t e = StrToInt(exponent);
        if (e > 300 || e < -300)
            exponent = exponent.substr(0, 2);
        s = s.substr(0, ePos + 1) + exponent;
    }
    return s;
}

std::string QuotedCommaText(const std::vector<std::string>& items) {
    std::string out;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0)
            out += ',';
        out += '"';
        out += items[i];
        out += '"';
    }
    return out;
}

std::vector<std::string> ParseCommaText(const std::string& text) {
    std::vector<std::string> items;
    std::size_t pos = 0;
    SkipBlanks(text, pos);
    while (pos < text.size()) {
        items.push_back(ReadItem(text, pos));
        SkipBlanks(text, pos);
        if (pos < text.size() && text[pos] == ',') {
            ++pos;
            if (pos == text.size())
                items.emplace_back(); // a comma at the very end ends one more, empty item
            SkipBlanks(text, pos);
        }
    }
    return items;
}

std::string CommaText(const std::vector<std::string>& items) {
    std::string out;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const std::string& item = items[i];
        bool quote = item.empty();
        for (char c : item)
            if (IsSeparatorBlank(c) || c == '"' || c == ',')
                quote = true;
        if (i > 0)
            out += ',';
        if (!quote) {
            out += item;
            continue;
        }
        out += '"';
        for (char c : item) {
            if (c == '"')
                out += '"';
            out += c;
        }
        out += '"';
    }
    return out;
}

std::vector<double> ParseDoubleList(const std::string& text) {
    const std::vector<std::string> items = ParseCommaText(StripTrailingComma(RemoveSpaces(text)));
    std::vector<double> values(items.size(), 0.0);
    for (std::size_t i = 0; i < items.size(); ++i)
        values[i] = StrToFloat(items[i]);
    return values;
}

} // namespace qv
