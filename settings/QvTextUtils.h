// The one place for trimming and for comparing names without regard to letter case, which the
// number text, the INI store and the settings store share. ASCII only: names in these files are
// matched byte for byte apart from the letters A-Z. No Qt.
#pragma once

#include <string>
#include <string_view>

namespace qv {

// `s` without the characters at either end for which `trimmed` holds.
template <typename Pred> std::string_view TrimWhere(std::string_view s, Pred trimmed) {
    while (!s.empty() && trimmed(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && trimmed(s.back()))
        s.remove_suffix(1);
    return s;
}

// Blanks and every other control character (codes up to 32), as the INI rules trim.
inline bool IsControlOrBlank(char c) {
    return static_cast<unsigned char>(c) <= 32;
}
inline std::string_view TrimControls(std::string_view s) {
    return TrimWhere(s, IsControlOrBlank);
}

// Spaces and tabs only, as number text is trimmed.
inline bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
inline std::string_view TrimBlanks(std::string_view s) {
    return TrimWhere(s, IsBlank);
}

inline char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline bool SameNameAscii(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    return true;
}

// The form under which case-blind names are kept in an index.
inline std::string FoldCaseAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = LowerAscii(c);
    return out;
}

} // namespace qv
