// Number text without locale: std::from_chars / std::to_chars do the exact conversions.
#include "settings/QvSysUtils.h"
#include "settings/QvTextUtils.h"

#include <cctype>
#include <charconv>
#include <clocale>
#include <algorithm>
#include <cmath>
#include <system_error>

namespace qv {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Checks the shape from_chars would otherwise be lenient or strict about in other ways
// (it rejects a leading "+", accepts "inf" and "nan").
bool IsDecimalShape(std::string_view s) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    std::size_t digits = 0;
    while (i < s.size() && IsDigit(s[i]))
        ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && IsDigit(s[i]))
            ++i, ++digits;
    }
    if (digits == 0)
        return false;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            ++i;
        std::size_t expDigits = 0;
        while (i < s.size() && IsDigit(s[i]))
            ++i, ++expDigits;
        if (expDigits == 0)
            return false;
    }
    return i == s.size();
}

// For a text of decimal shape: the power of ten of its first significant digit, plus one
// (positive when the value is at least 1). Only the sign matters to the caller.
long long DecimalMagnitude(std::string_view s) {
    std::size_t i = 0;
    if (s[i] == '+' || s[i] == '-')
        ++i;
    long long mag = 0;
    bool significant = false;
    for (; i < s.size() && IsDigit(s[i]); ++i) {
        significant = significant || s[i] != '0';
        if (significant)
            ++mag;
    }
    if (i < s.size() && s[i] == '.') {
        for (++i; i < s.size() && IsDigit(s[i]) && !significant; ++i) {
            if (s[i] != '0')
                significant = true;
            else
                --mag;
        }
        while (i < s.size() && IsDigit(s[i]))
            ++i;
    }
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
        long long exp = 0;
        bool negative = s[i + 1] == '-';
        for (i += (s[i + 1] == '+' || s[i + 1] == '-') ? 2 : 1; i < s.size(); ++i)
            exp = std::min(exp * 10 + (s[i] - '0'), 1'000'000'000LL);
        mag += negative ? -exp : exp;
    }
    return mag;
}

} // namespace

int HexDigitValue(char c) {
    if (IsDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool TryStrToFloat(std::string_view text, double& value) {
    std::string_view s = TrimBlanks(text);
    if (!IsDecimalShape(s))
        return false;
    if (s.front() == '+')
        s.remove_prefix(1);
    double v = 0;
    auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec == std::errc::result_out_of_range) {
        // Underflow to zero is a number; overflow is not.
        if (DecimalMagnitude(s) > 0)
            return false;
        v = s.front() == '-' ? -0.0 : 0.0;
    } else if (ec != std::errc() || ptr != s.data() + s.size()) {
        return false;
    }
    if (!std::isfinite(v))
        return false;
    value = v;
    return true;
}

double StrToFloat(std::string_view text) {
    double v = 0;
    if (!TryStrToFloat(text, v))
        throw EConvertError("'" + std::string(text) + "' is not a valid floating point value");
    return v;
}

bool TryStrToInt(std::string_view text, std::int32_t& value) {
    std::string_view s = text;
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.empty())
        return false;

    bool hex = false;
    if (s.front() == '$' || s.front() == 'x' || s.front() == 'X') {
        hex = true;
        s.remove_prefix(1);
    } else if (s.size() >= 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        hex = true;
        s.remove_prefix(2);
    }

    if (hex) {
        if (s.empty() || s.size() > 8)
            return false;
        std::uint32_t u = 0;
        for (char c : s) {
            int d = HexDigitValue(c);
            if (d < 0)
                return false;
            u = (u << 4) | static_cast<std::uint32_t>(d);
        }
        if (negative)
            u = 0u - u;
        value = static_cast<std::int32_t>(u);
        return true;
    }

    std::int64_t v = 0;
    for (char c : s) {
        if (!IsDigit(c))
            return false;
        v = v * 10 + (c - '0');
        if (v > std::int64_t{1} << 31)
            return false;
    }
    if (negative)
        v = -v;
    if (v > INT32_MAX || v < INT32_MIN)
        return false;
    value = static_cast<std::int32_t>(v);
    return true;
}

std::int32_t StrToInt(std::string_view text) {
    std::int32_t v = 0;
    if (!TryStrToInt(text, v))
        throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
    return v;
}

std::string FloatToStr(double value) {
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    if (value == 0)
        return "0";

    // 15 significant digits, correctly rounded: d.dddddddddddddde±x
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
    std::string_view sci(buf, static_cast<std::size_t>(res.ptr - buf));
    bool negative = sci.front() == '-';
    if (negative)
        sci.remove_prefix(1);
    std::size_t ePos = sci.find('e');
    std::string digits;
    for (char c : sci.substr(0, ePos))
        if (c != '.')
            digits += c;
    int exp10 = 0;
    std::from_chars(sci.data() + ePos + 1 + (sci[ePos + 1] == '+' ? 1 : 0), sci.data() + sci.size(),
                    exp10);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    // The value is 0.d1d2... x 10^e with e = exp10 + 1.
    const int e = exp10 + 1;
    std::string out = negative ? "-" : "";
    if (e > 15 || e < -3) {
        out += digits[0];
        if (digits.size() > 1) {
            out += '.';
            out.append(digits, 1);
        }
        out += 'E';
        out += std::to_string(exp10);
    } else if (e <= 0) {
        out += "0.";
        out.append(static_cast<std::size_t>(-e), '0');
        out += digits;
    } else if (static_cast<std::size_t>(e) >= digits.size()) {
        out += digits;
        out.append(static_cast<std::size_t>(e) - digits.size(), '0');
    } else {
        out.append(digits, 0, static_cast<std::size_t>(e));
        out += '.';
        out.append(digits, static_cast<std::size_t>(e));
    }
    return out;
}

void FixNumberSeparators() {
    std::setlocale(LC_NUMERIC, "C");
}

} // namespace qv
