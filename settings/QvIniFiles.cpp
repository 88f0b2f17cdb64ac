// The INI store: the typed operations of TCustomIniFile over ReadText / WriteText, and TIniFile's
// primitives over the INI text engine with the read limits of the profile functions.
#include "settings/QvIniFiles.h"

#include "settings/QvIniText_p.h"
#include "settings/QvSysUtils.h"
#include "settings/QvTextUtils.h"

#include <cmath>
#include <cstdio>
#include <istream>
#include <iterator>

namespace qv {

namespace {

std::string Trimmed(const std::string& s) {
    return std::string(TrimControls(s));
}

// --- dates: days since 30 December 1899 ----------------------------------------------------

constexpr long long kMsPerDay = 86400000;

constexpr long long DaysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, long long& y, unsigned& m, unsigned& d) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = static_cast<long long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y += m <= 2;
}

constexpr long long kEpoch = DaysFromCivil(1899, 12, 30);

bool IsLeap(long long y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

unsigned DaysInMonth(long long y, unsigned m) {
    static const unsigned days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

// Splits a date-time into its day and the milliseconds of the day; false outside years 1..9999.
bool SplitDateTime(TDateTime v, long long& day, long long& ms) {
    if (!std::isfinite(v) || v < -693593.0 || v >= 2958466.0)
        return false;
    const long double whole = std::trunc(static_cast<long double>(v));
    const long double frac = std::fabs(static_cast<long double>(v) - whole);
    day = static_cast<long long>(whole);
    ms = std::llround(frac * kMsPerDay);
    if (ms >= kMsPerDay)
        ms = kMsPerDay - 1;
    return true;
}

std::string FormatDate(long long day) {
    long long y = 0;
    unsigned m = 0, d = 0;
    CivilFromDays(day + kEpoch, y, m, d);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04lld-%02u-%02u", y, m, d);
    return buf;
}

std::string FormatTime(long long ms) {
    const long long s = ms / 1000;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
    return buf;
}

// Reads 1..maxDigits decimal digits at pos.
bool Digits(const std::string& s, std::size_t& pos, std::size_t maxDigits, long long& out) {
    std::size_t start = pos;
    out = 0;
    while (pos < s.size() && pos - start < maxDigits && s[pos] >= '0' && s[pos] <= '9')
        out = out * 10 + (s[pos++] - '0');
    return pos > start;
}

bool ParseDate(const std::string& s, std::size_t& pos, long long& day) {
    long long y = 0, m = 0, d = 0;
    if (!Digits(s, pos, 4, y) || pos >= s.size() || s[pos++] != '-' || !Digits(s, pos, 2, m) ||
        pos >= s.size() || s[pos++] != '-' || !Digits(s, pos, 2, d))
        return false;
    if (y < 1 || m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, static_cast<unsigned>(m)))
        return false;
    day = DaysFromCivil(y, static_cast<unsigned>(m), static_cast<unsigned>(d)) - kEpoch;
    return true;
}

bool ParseTime(const std::string& s, std::size_t& pos, long long& ms) {
    long long h = 0, n = 0, sec = 0, milli = 0;
    if (!Digits(s, pos, 2, h) || pos >= s.size() || s[pos++] != ':' || !Digits(s, pos, 2, n))
        return false;
    if (pos < s.size() && s[pos] == ':') {
        ++pos;
        if (!Digits(s, pos, 2, sec))
            return false;
        if (pos < s.size() && s[pos] == '.') {
            ++pos;
            std::size_t start = pos;
            if (!Digits(s, pos, 3, milli))
                return false;
            for (std::size_t i = pos - start; i < 3; ++i)
                milli *= 10;
        }
    }
    if (h > 23 || n > 59 || sec > 59)
        return false;
    ms = ((h * 60 + n) * 60 + sec) * 1000 + milli;
    return true;
}

TDateTime Combine(long long day, long long ms) {
    const long double t = static_cast<long double>(ms) / kMsPerDay;
    return static_cast<double>(day >= 0 ? day + t : day - t);
}

template <typename Parse>
TDateTime ReadConverted(TCustomIniFile& ini, const std::string& section, const std::string& key,
                        TDateTime def, Parse parse) {
    std::string text = ini.ReadText(section, key, "");
    TDateTime value = def;
    if (!text.empty() && parse(text, value))
        return value;
    return def;
}

} // namespace

std::string DateToIniText(TDateTime value) {
    long long day = 0, ms = 0;
    if (!SplitDateTime(value, day, ms))
        throw EConvertError("'" + FloatToStr(value) + "' is not a valid date");
    return FormatDate(day);
}

std::string TimeToIniText(TDateTime value) {
    long long day = 0, ms = 0;
    if (!SplitDateTime(value, day, ms))
        throw EConvertError("'" + FloatToStr(value) + "' is not a valid time");
    return FormatTime(ms);
}

std::string DateTimeToIniText(TDateTime value) {
    long long day = 0, ms = 0;
    if (!SplitDateTime(value, day, ms))
        throw EConvertError("'" + FloatToStr(value) + "' is not a valid date and time");
    std::string out = FormatDate(day);
    if (ms != 0) {
        out += ' ';
        out += FormatTime(ms);
    }
    return out;
}

bool TryIniTextToDate(const std::string& text, TDateTime& value) {
    std::string s = Trimmed(text);
    std::size_t pos = 0;
    long long day = 0;
    if (!ParseDate(s, pos, day) || pos != s.size())
        return false;
    value = static_cast<double>(day);
    return true;
}

bool TryIniTextToTime(const std::string& text, TDateTime& value) {
    std::string s = Trimmed(text);
    std::size_t pos = 0;
    long long ms = 0;
    if (!ParseTime(s, pos, ms) || pos != s.size())
        return false;
    value = Combine(0, ms);
    return true;
}

bool TryIniTextToDateTime(const std::string& text, TDateTime& value) {
    std::string s = Trimmed(text);
    std::size_t pos = 0;
    long long day = 0, ms = 0;
    if (ParseDate(s, pos, day)) {
        if (pos < s.size()) {
            std::size_t gap = pos;
            while (pos < s.size() && s[pos] == ' ')
                ++pos;
            if (pos == gap || !ParseTime(s, pos, ms))
                return false;
        }
    } else {
        pos = 0;
        day = 0;
        if (!ParseTime(s, pos, ms))
            return false;
    }
    if (pos != s.size())
        return false;
    value = Combine(day, ms);
    return true;
}

// --- TCustomIniFile ---------------------------------------------------------------------------

TCustomIniFile::TCustomIniFile(std::string path) : m_filePath(std::move(path)) {}

TCustomIniFile::~TCustomIniFile() = default;

std::int32_t TCustomIniFile::ReadInt(const std::string& section, const std::string& key,
                                     std::int32_t def) {
    std::string text = ReadText(section, key, "");
    if (text.size() >= 3 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.replace(0, 2, "$");
    std::int32_t value = 0;
    return TryStrToInt(text, value) ? value : def;
}

void TCustomIniFile::WriteInt(const std::string& section, const std::string& key,
                              std::int32_t value) {
    WriteText(section, key, std::to_string(value));
}

bool TCustomIniFile::ReadFlag(const std::string& section, const std::string& key, bool def) {
    return ReadInt(section, key, def ? 1 : 0) != 0;
}

void TCustomIniFile::WriteFlag(const std::string& section, const std::string& key, bool value) {
    WriteText(section, key, value ? "1" : "0");
}

std::int64_t TCustomIniFile::ReadBytes(const std::string& section, const std::string& key,
                                       std::iostream& stream) {
    const std::string text = ReadText(section, key, "");
    if (text.empty())
        return 0;
    // Decoding stops at the first pair that is not hexadecimal; the bytes after it stay zero.
    std::string bytes(text.size() / 2, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        int hi = HexDigitValue(text[2 * i]), lo = HexDigitValue(text[2 * i + 1]);
        if (hi < 0 || lo < 0)
            break;
        bytes[i] = static_cast<char>(hi * 16 + lo);
    }
    const std::streampos at = stream.tellp();
    stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    stream.seekp(at);
    stream.seekg(at);
    return static_cast<std::int64_t>(bytes.size());
}

void TCustomIniFile::WriteBytes(const std::string& section, const std::string& key,
                                std::istream& stream) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (std::istreambuf_iterator<char> it(stream), end; it != end; ++it) {
        const auto b = static_cast<unsigned char>(*it);
        text += digits[b >> 4];
        text += digits[b & 15];
    }
    WriteText(section, key, text);
}

TDateTime TCustomIniFile::ReadDateValue(const std::string& section, const std::string& key,
                                        TDateTime def) {
    return ReadConverted(*this, section, key, def, TryIniTextToDate);
}

TDateTime TCustomIniFile::ReadDateTimeValue(const std::string& section, const std::string& key,
                                            TDateTime def) {
    return ReadConverted(*this, section, key, def, TryIniTextToDateTime);
}

double TCustomIniFile::ReadReal(const std::string& section, const std::string& key, double def) {
    return ReadConverted(*this, section, key, def,
                         [](const std::string& t, double& v) { return TryStrToFloat(t, v); });
}

TDateTime TCustomIniFile::ReadTimeValue(const std::string& section, const std::string& key,
                                        TDateTime def) {
    return ReadConverted(*this, section, key, def, TryIniTextToTime);
}

void TCustomIniFile::WriteDateValue(const std::string& section, const std::string& key,
                                    TDateTime value) {
    WriteText(section, key, DateToIniText(value));
}

void TCustomIniFile::WriteDateTimeValue(const std::string& section, const std::string& key,
                                        TDateTime value) {
    WriteText(section, key, DateTimeToIniText(value));
}

void TCustomIniFile::WriteReal(const std::string& section, const std::string& key, double value) {
    WriteText(section, key, FloatToStr(value));
}

void TCustomIniFile::WriteTimeValue(const std::string& section, const std::string& key,
                                    TDateTime value) {
    WriteText(section, key, TimeToIniText(value));
}

// --- TIniFile ---------------------------------------------------------------------------------

namespace {

// Keeps whole names while they fit the list buffer of the profile functions.
void FillNameList(const std::vector<std::string>& names, std::vector<std::string>& list) {
    std::size_t used = 1; // the zero byte that ends the list
    for (const std::string& name : names) {
        if (used + name.size() + 1 > TIniFile::NameListBytes)
            break;
        used += name.size() + 1;
        list.push_back(name);
    }
}

std::string CutValue(std::string value) {
    if (value.size() > TIniFile::MaxValueLength)
        value.resize(TIniFile::MaxValueLength);
    return value;
}

} // namespace

TIniFile::TIniFile(std::string path) : TCustomIniFile(std::move(path)) {}

TIniFile::~TIniFile() {
    try {
        Flush();
    } catch (...) {
        // A destructor must not throw; Flush has nothing to report anyway.
    }
}

std::string TIniFile::ReadText(const std::string& section, const std::string& key,
                               const std::string& def) {
    if (Trimmed(section).empty() || Trimmed(key).empty())
        return def;
    auto value = IniReadValue(FilePath(), section, key);
    return CutValue(value ? std::move(*value) : def);
}

void TIniFile::WriteText(const std::string& section, const std::string& key,
                         const std::string& value) {
    if (!IniWriteValue(FilePath(), section, key, value))
        throw EIniFileException("Unable to write to " + FilePath());
}

void TIniFile::ReadKeyNames(const std::string& section, std::vector<std::string>& list) {
    if (Trimmed(section).empty())
        return;
    list.clear();
    FillNameList(IniReadKeyNames(FilePath(), section), list);
}

void TIniFile::ReadSectionNames(std::vector<std::string>& list) {
    list.clear();
    FillNameList(IniReadSectionNames(FilePath()), list);
}

void TIniFile::ReadKeyValues(const std::string& section, std::vector<std::string>& list) {
    list.clear();
    if (Trimmed(section).empty())
        return;
    // One read of the file for all keys, giving what ReadKeyNames and ReadText would.
    auto pairs = IniReadKeyValues(FilePath(), section);
    std::vector<std::string> names;
    names.reserve(pairs.size());
    for (const auto& p : pairs)
        names.push_back(p.first);
    std::vector<std::string> kept;
    FillNameList(names, kept);
    for (std::size_t i = 0; i < kept.size(); ++i)
        list.push_back(kept[i] + "=" + CutValue(std::move(pairs[i].second)));
}

void TIniFile::RemoveSection(const std::string& section) {
    if (!IniDeleteSection(FilePath(), section))
        throw EIniFileException("Unable to write to " + FilePath());
}

void TIniFile::RemoveKey(const std::string& section, const std::string& key) {
    (void)IniDeleteKey(FilePath(), section, key);
}

void TIniFile::Flush() {}

} // namespace qv
