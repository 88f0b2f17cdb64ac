// The rules of the formatted numeric field, as plain functions over text and numbers so that
// they are tested without a widget: which typed characters are allowed, reading a field's text
// as a value, the range check with its tolerance, re-formatting a finished entry, and the size
// of the pop-up unit list. Pure standard C++.
#pragma once

#include <optional>
#include <string>

#include "units/QvConv.h"

namespace qv {

// Digits, "-" and "."; "e"/"E" too when the format is a general one (holds "g" or "G").
bool IsAllowedEntryChar(char32_t c, const std::string& formatStr);

// CleanNumberText, then parse: the number in shown units, or nothing when the text is no number.
std::optional<double> ParseShownNumber(const std::string& text);

// The text as a value in base units, or nothing when it is no number (or does not convert).
std::optional<double> TextToBaseValue(const std::string& text, double factor, double offset);

// Holds x (shown units) inside [RangeLo, RangeHi] given in base units. No range when the two
// bounds are (almost) equal or both 0. A value at most 0.5 % outside a bound is accepted as it
// is; further out, x becomes the bound and the result is false.
bool CheckRange(double& x, double rangeLo, double rangeHi, double factor, double offset);

// The outcome of finishing an entry.
struct TValidation {
    bool ok = true;       // false when the value was brought into range
    bool changed = false; // false when the text is no number and stays as typed
    std::string text;     // the re-formatted text when changed
};

struct TFieldFormat {
    TFormatType formatType = ft_Fixed;
    std::string formatStr = "%0.1f";
    int sigDigs = 5;
    int formatDecimals = 0;
    double rangeLo = 0;
    double rangeHi = 0;
    double factor = 1;
    double offset = 0;
};

TValidation ValidateEntryText(const std::string& text, const TFieldFormat& format);

// Pop-up unit list: item height times (n + 0.5), an exact half going to the even neighbour.
int UnitListHeight(int itemHeight, int itemCount);
// Pop-up unit list: 10 pixels more than the wider of 50 and the widest item.
int UnitListWidth(int widestItem);

} // namespace qv
