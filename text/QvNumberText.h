// Number text for schedules, where every row writes and reads several numbers: the shortest text
// that reads back as the same double, and plain decimal text read as a double. Both give exactly
// what std::to_chars and std::from_chars give, sooner for the figures a schedule holds.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qv {

// The shortest text that reads back as the same double, as std::to_chars(first, last, value)
// writes it; buf holds at least kShortestMax characters. Returns the end of the text.
inline constexpr std::size_t kShortestMax = 32;
char* WriteShortest(char* buf, double value);

// Appends the shortest text that reads back as the same double.
void AppendNumber(std::string& out, double value);

// Reads text of the form [-]digits[.digits] (at least one digit, nothing else) with fifteen or
// so significant digits and a dozen or so decimals, as std::from_chars would. False for any
// other text, which the caller reads the long way.
bool ReadPlainDecimal(std::string_view text, double& value);

} // namespace qv
