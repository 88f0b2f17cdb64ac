// Locale-independent number text used everywhere numbers meet text: files, the settings store
// and the screen. "." is the decimal separator and there are no thousands separators, whatever
// the user's regional settings.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace qv {

// The conversion error of the number routines; its message names the offending text.
class EConvertError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Decimal floating-point text: leading and trailing blanks, an optional sign, digits with an
// optional "." fraction (at least one digit), an optional exponent "E"/"e" with optional sign.
// Fails on anything else, and on values outside the double range.
bool TryStrToFloat(std::string_view text, double& value);
// As TryStrToFloat; throws EConvertError "'%s' is not a valid floating point value".
double StrToFloat(std::string_view text);

// Integer text: leading blanks, an optional "+" or "-", then decimal digits that fit a signed
// 32-bit integer, or "$", "x", "X", "0x", "0X" and one to eight hexadecimal digits (eight digits
// give the two's-complement value, "$FFFFFFFF" is -1). Nothing may follow.
bool TryStrToInt(std::string_view text, std::int32_t& value);
// As TryStrToInt; throws EConvertError "'%s' is not a valid integer value".
std::int32_t StrToInt(std::string_view text);

// The value of one hexadecimal digit of either case, or -1.
int HexDigitValue(char c);

// Shortest general form with at most 15 significant digits: "5.5", "0.0001", "1E-5", "1E15".
std::string FloatToStr(double value);

// Pins the C library's numeric locale to "C", so that nothing in the process reads or writes
// numbers with a comma, even after a toolkit applied the user's locale.
void FixNumberSeparators();

} // namespace qv
