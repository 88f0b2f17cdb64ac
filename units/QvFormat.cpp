// Number formatting exact to the digit: a value is first written as 18 significant decimal digits
// (correctly rounded), and every format then cuts that digit string with halves away from zero,
// so the text never depends on the C library's printf or on the locale.
#include "units/QvConv.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace qv {

namespace {

constexpr int SigDigits = 18;

// value = (negative ? -1 : 1) * 0.Digits * 10^Exp, Digits holding exactly SigDigits digits whose
// first is non-zero (all zero for a zero value).
struct TDecimal {
    bool Negative = false;
    std::string Digits;
    int Exp = 0;
};

TDecimal ToDecimal(double value) {
    char buf[64];
    const auto res =
        std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, SigDigits - 1);
    std::string_view sci(buf, static_cast<std::size_t>(res.ptr - buf));
    TDecimal d;
    d.Negative = sci.front() == '-';
    if (d.Negative)
        sci.remove_prefix(1);
    const std::size_t ePos = sci.find('e');
    for (char c : sci.substr(0, ePos))
        if (c != '.')
            d.Digits += c;
    std::string_view exp = sci.substr(ePos + 1);
    if (exp.front() == '+')
        exp.remove_prefix(1);
    int e = 0;
    std::from_chars(exp.data(), exp.data() + exp.size(), e);
    d.Exp = e + 1;
    return d;
}

// Keeps the first `keep` digits, raising the last kept one when the first dropped one is 5 or
// more. A carry out of the first digit gives "1" and one more in the exponent.
void RoundDigits(TDecimal& d, int keep) {
    if (keep < 0) {
        d.Digits.clear();
        return;
    }
    if (keep >= static_cast<int>(d.Digits.size()))
        return;
    const bool up = d.Digits[static_cast<std::size_t>(keep)] >= '5';
    d.Digits.resize(static_cast<std::size_t>(keep));
    if (!up)
        return;
    int i = keep - 1;
    while (i >= 0 && d.Digits[static_cast<std::size_t>(i)] == '9')
        d.Digits[static_cast<std::size_t>(i--)] = '0';
    if (i >= 0) {
        ++d.Digits[static_cast<std::size_t>(i)];
    } else {
        d.Digits.insert(d.Digits.begin(), '1');
        d.Digits.pop_back();
        if (d.Digits.empty())
            d.Digits.assign(1, '1');
        ++d.Exp;
    }
}

bool AllZero(const std::string& s) {
    return s.find_first_not_of('0') == std::string::npos;
}

std::string NonFinite(double value) {
    if (std::isnan(value))
        return "NAN";
    return value < 0 ? "-INF" : "INF";
}

std::string FormatFixed(double value, int decimals) {
    if (!std::isfinite(value))
        return NonFinite(value);
    TDecimal d = ToDecimal(value);
    if (AllZero(d.Digits))
        d.Digits.clear();
    else
        RoundDigits(d, d.Exp + decimals);

    std::string intPart, fraction;
    if (d.Exp <= 0 || d.Digits.empty()) {
        intPart = "0";
        if (!d.Digits.empty())
            fraction = std::string(static_cast<std::size_t>(-d.Exp), '0') + d.Digits;
    } else {
        const auto e = static_cast<std::size_t>(d.Exp);
        intPart = d.Digits.substr(0, e);
        intPart.append(e - intPart.size(), '0');
        if (d.Digits.size() > e)
            fraction = d.Digits.substr(e);
    }
    fraction.resize(static_cast<std::size_t>(decimals), '0');

    // A value that shows as zero shows no sign.
    std::string out = d.Negative && !(AllZero(intPart) && AllZero(fraction)) ? "-" : "";
    out += intPart;
    if (decimals > 0)
        out += '.' + fraction;
    return out;
}

std::string FormatGeneral(double value, int precision) {
    if (!std::isfinite(value))
        return NonFinite(value);
    if (value == 0)
        return "0";
    TDecimal d = ToDecimal(value);
    RoundDigits(d, precision);
    while (d.Digits.size() > 1 && d.Digits.back() == '0')
        d.Digits.pop_back();

    std::string out = d.Negative ? "-" : "";
    const int len = static_cast<int>(d.Digits.size());
    if (d.Exp >= -3 && d.Exp <= precision) {
        if (d.Exp <= 0) {
            out += "0." + std::string(static_cast<std::size_t>(-d.Exp), '0') + d.Digits;
        } else if (d.Exp >= len) {
            out += d.Digits + std::string(static_cast<std::size_t>(d.Exp - len), '0');
        } else {
            out += d.Digits.substr(0, static_cast<std::size_t>(d.Exp)) + '.' +
                   d.Digits.substr(static_cast<std::size_t>(d.Exp));
        }
        return out;
    }
    out += d.Digits[0];
    if (len > 1)
        out += '.' + d.Digits.substr(1);
    out += 'E';
    const int exp = d.Exp - 1;
    if (exp < 0)
        out += '-';
    std::string expText = std::to_string(exp < 0 ? -exp : exp);
    if (expText.size() < 3)
        expText.insert(0, 3 - expText.size(), '0');
    return out + expText;
}

[[noreturn]] void BadFormat(const std::string& format) {
    throw EConvertError("Format '" + format + "' invalid or incompatible with argument");
}

// Reads a run of digits as a count, refusing anything longer than `limit`.
int ReadCount(const std::string& format, std::size_t& i, int limit) {
    int n = 0;
    while (i < format.size() && format[i] >= '0' && format[i] <= '9') {
        n = n * 10 + (format[i++] - '0');
        if (n > limit)
            BadFormat(format);
    }
    return n;
}

} // namespace

std::string FormatFloat(const std::string& format, double value) {
    constexpr int MaxWidth = 1024;
    std::string out;
    bool used = false;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            out += format[i];
            continue;
        }
        ++i;
        if (i < format.size() && format[i] == '%') {
            out += '%';
            continue;
        }
        if (used)
            BadFormat(format); // there is only one value to format
        used = true;
        const bool left = i < format.size() && format[i] == '-';
        if (left)
            ++i;
        const int width = ReadCount(format, i, MaxWidth);
        int precision = -1;
        if (i < format.size() && format[i] == '.') {
            ++i;
            precision = ReadCount(format, i, MaxWidth);
        }
        if (i >= format.size())
            BadFormat(format);
        std::string text;
        switch (format[i]) {
        case 'f':
        case 'F':
            text = FormatFixed(value, std::min(precision < 0 ? 2 : precision, SigDigits));
            break;
        case 'g':
        case 'G':
            text = FormatGeneral(value, std::clamp(precision < 0 ? 15 : precision, 1, SigDigits));
            break;
        default:
            BadFormat(format);
        }
        if (static_cast<int>(text.size()) < width)
            text.insert(left ? text.size() : 0, static_cast<std::size_t>(width) - text.size(), ' ');
        out += text;
    }
    return out;
}

int AutoDecimals(int sigDigs, int maxDecimals, double value) {
    const int maxDec = std::clamp(maxDecimals, 0, SigDigits);
    const std::string s = FormatFixed(value, maxDec);
    const std::size_t dot = s.find('.');
    const int k = static_cast<int>(dot == std::string::npos ? s.size() : dot);
    int result;
    if (k == 1) {
        result = 3;
        if (dot != std::string::npos) {
            const std::size_t nonZero = s.find_first_not_of('0', dot + 1);
            if (nonZero != std::string::npos)
                result += static_cast<int>(nonZero - dot - 1);
        }
    } else {
        result = sigDigs > k ? sigDigs - k : 0;
    }
    return std::min(result, maxDec);
}

std::string AutoFormatStr(int sigDigs, int maxDecimals, double value) {
    return "%0." + std::to_string(AutoDecimals(sigDigs, maxDecimals, value)) + "f";
}

int DecimalsOfFormat(const std::string& formatStr) {
    const std::size_t dot = formatStr.find('.');
    if (dot == std::string::npos || dot + 1 >= formatStr.size())
        return 0;
    const char c = formatStr[dot + 1];
    return c >= '0' && c <= '9' ? c - '0' : 0;
}

std::string FormatValue(double value, TFormatType formatType, const std::string& formatStr,
                        int sigDigs, int formatDecimals) {
    bool automatic = formatType == ft_Auto;
    if (formatType == ft_AutoOverride) {
        // The threshold is computed in single precision: with three decimals it is 0.1f, a
        // shade above 0.1, so 0.1 itself still takes the automatic branch.
        const int power = std::clamp(2 - formatDecimals, -60, 60);
        long double exact = 1;
        for (int i = 0; i < (power < 0 ? -power : power); ++i)
            exact *= 10;
        const float threshold = static_cast<float>(power < 0 ? 1 / exact : exact);
        automatic = static_cast<double>(threshold) > value;
    }
    if (automatic)
        return FormatFixed(value, AutoDecimals(sigDigs, 12, value));
    return FormatFloat(formatStr, value);
}

} // namespace qv
