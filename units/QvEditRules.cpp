// The numeric field's rules over plain text and numbers (see QvEditRules.h).
#include "units/QvEditRules.h"

#include <cfenv>
#include <cmath>
#include <exception>

#include "settings/QvSysUtils.h"

namespace qv {

bool IsAllowedEntryChar(char32_t c, const std::string& formatStr) {
    if ((c >= U'0' && c <= U'9') || c == U'-' || c == U'.')
        return true;
    if (c == U'e' || c == U'E')
        return formatStr.find_first_of("gG") != std::string::npos;
    return false;
}

std::optional<double> ParseShownNumber(const std::string& text) {
    double x = 0;
    try {
        if (!TryStrToFloat(CleanNumberText(text), x))
            return std::nullopt;
    } catch (const std::exception&) {
        // A malformed exponent: the text simply is no number.
        return std::nullopt;
    }
    return x;
}

std::optional<double> TextToBaseValue(const std::string& text, double factor, double offset) {
    std::optional<double> x = ParseShownNumber(text);
    if (!x)
        return std::nullopt;
    try {
        double v = ConvertFromUnit(*x, factor, offset);
        if (!std::isfinite(v))
            return std::nullopt;
        return v;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

bool CheckRange(double& x, double rangeLo, double rangeHi, double factor, double offset) {
    const long double lo = ConvertToUnit(rangeLo, factor, offset);
    const long double hi = ConvertToUnit(rangeHi, factor, offset);
    if (std::fabs(lo - hi) < 0.00001L || (lo == 0 && hi == 0))
        return true;
    const long double v = x;
    if (v < lo && (lo == 0 || std::fabs((lo - v) / lo) > 0.005L)) {
        x = static_cast<double>(lo);
        return false;
    }
    if (v > hi && (hi == 0 || std::fabs((v - hi) / hi) > 0.005L)) {
        x = static_cast<double>(hi);
        return false;
    }
    return true;
}

TValidation ValidateEntryText(const std::string& text, const TFieldFormat& format) {
    TValidation result;
    std::optional<double> parsed = ParseShownNumber(text);
    if (!parsed)
        return result;
    double x = *parsed;
    try {
        result.ok = CheckRange(x, format.rangeLo, format.rangeHi, format.factor, format.offset);
        result.text = FormatValue(x, format.formatType, format.formatStr, format.sigDigs,
                                  format.formatDecimals);
    } catch (const std::exception&) {
        // Nothing the field can show: leave the typed text as it is.
        return TValidation{};
    }
    result.changed = true;
    return result;
}

int UnitListHeight(int itemHeight, int itemCount) {
    const long double h = static_cast<long double>(itemHeight) * (itemCount + 0.5L);
    const int previous = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const long double rounded = std::nearbyint(h);
    std::fesetround(previous);
    return static_cast<int>(rounded);
}

int UnitListWidth(int widestItem) {
    return 10 + (widestItem > 50 ? widestItem : 50);
}

} // namespace qv
