// Fuzzes typed number text: cleaning, then the parse and the formats a field applies to the
// result. Any input must end in a value or the named conversion error, and formatting a parsed
// value with 18 significant digits must read back as the same double.
#include "settings/QvSysUtils.h"
#include "units/QvConv.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

void CheckValue(double v) {
    using namespace qv;
    for (const char* format : {"%0.0f", "%0.3f", "%0.12f", "%0.4g", "%0.15g"})
        (void)FormatFloat(format, v);
    for (TFormatType type : {ft_Auto, ft_Fixed, ft_AutoOverride, ft_Manual})
        (void)FormatValue(v, type, "%0.2f", 5, 2);
    double back = 0;
    if (!TryStrToFloat(FormatFloat("%0.18g", v), back) || back != v)
        __builtin_trap();
}

void ParseAndCheck(const std::string& text) {
    double v = 0;
    if (qv::TryStrToFloat(text, v))
        CheckValue(v);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::string cleaned;
    try {
        cleaned = qv::CleanNumberText(input);
    } catch (const qv::EConvertError&) {
        return 0;
    }
    const std::size_t slash = cleaned.find('/');
    if (slash == std::string::npos) {
        ParseAndCheck(cleaned);
    } else {
        ParseAndCheck(cleaned.substr(0, slash));
        ParseAndCheck(cleaned.substr(slash + 1));
    }
    // Cleaning is settled after one pass, except that an over-long exponent may shrink again.
    if (cleaned.find('E') == std::string::npos && qv::CleanNumberText(cleaned) != cleaned)
        __builtin_trap();
    return 0;
}
