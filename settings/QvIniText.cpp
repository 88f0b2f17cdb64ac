// The INI text engine: a line scanner over the file's bytes, the edits that splice one line in or
// out, and the atomic file replacement. The rules are listed in QvIniText_p.h.
#include "settings/QvIniText_p.h"
#include "settings/QvFileUtils_p.h"
#include "settings/QvTextUtils.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_set>

namespace qv {
namespace initext {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

std::string_view Unquote(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

enum class Kind { Blank, Comment, Header, Key, Other };

struct Line {
    std::size_t begin = 0; // first byte of the line
    std::size_t end = 0;   // one past its last byte, before the line end
    std::size_t next = 0;  // first byte of the next line
    Kind kind = Kind::Blank;
    std::string_view name;  // section or key name, trimmed
    std::size_t equals = 0; // position of "=" in a key line
};

class LineScanner {
  public:
    explicit LineScanner(std::string_view text)
        : text_(text), pos_(text.substr(0, kBom.size()) == kBom ? kBom.size() : 0) {}

    bool Next(Line& line) {
        const std::size_t size = text_.size();
        if (pos_ >= size)
            return false;
        const char* data = text_.data();
        // memchr is vectorised; a line is searched for LF first, then for a lone CR before it.
        const void* lf = std::memchr(data + pos_, '\n', size - pos_);
        std::size_t end = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - data) : size;
        if (const void* cr = std::memchr(data + pos_, '\r', end - pos_))
            end = static_cast<std::size_t>(static_cast<const char*>(cr) - data);
        line.begin = pos_;
        line.end = end;
        if (end < size)
            line.next =
                (data[end] == '\r' && end + 1 < size && data[end + 1] == '\n') ? end + 2 : end + 1;
        else
            line.next = end;
        pos_ = line.next;
        Classify(line);
        return true;
    }

  private:
    void Classify(Line& line) const {
        std::string_view s = text_.substr(line.begin, line.end - line.begin);
        std::size_t lead = 0;
        while (lead < s.size() && IsControlOrBlank(s[lead]))
            ++lead;
        line.name = {};
        if (lead == s.size()) {
            line.kind = Kind::Blank;
            return;
        }
        if (s[lead] == ';') {
            line.kind = Kind::Comment;
            return;
        }
        if (s[lead] == '[') {
            std::size_t close = s.rfind(']');
            if (close != std::string_view::npos && close > lead) {
                line.kind = Kind::Header;
                line.name = TrimControls(s.substr(lead + 1, close - lead - 1));
                return;
            }
        }
        const void* eq = std::memchr(s.data() + lead, '=', s.size() - lead);
        if (eq == nullptr) {
            line.kind = Kind::Other;
            return;
        }
        std::size_t at = static_cast<std::size_t>(static_cast<const char*>(eq) - s.data());
        line.kind = Kind::Key;
        line.name = TrimControls(s.substr(0, at));
        line.equals = line.begin + at;
    }

    std::string_view text_;
    std::size_t pos_;
};

std::string_view ValueOf(std::string_view text, const Line& line) {
    return Unquote(TrimControls(text.substr(line.equals + 1, line.end - line.equals - 1)));
}

// The line end the file already uses, so that new lines match it.
std::string_view LineEndOf(std::string_view text) {
    std::size_t at = text.find_first_of("\r\n");
    if (at == std::string_view::npos)
        return "\n";
    if (text[at] == '\r')
        return (at + 1 < text.size() && text[at + 1] == '\n') ? "\r\n" : "\r";
    return "\n";
}

bool HasBreakOrNul(std::string_view s) {
    return s.find_first_of(std::string_view("\r\n\0", 3)) != s.npos;
}

bool ValidSection(std::string_view section) {
    return !HasBreakOrNul(section) && !TrimControls(section).empty();
}

bool ValidKey(std::string_view key) {
    std::string_view k = TrimControls(key);
    return !HasBreakOrNul(key) && !k.empty() && k.find('=') == k.npos && k.front() != ';' &&
           k.front() != '[';
}

// A value that the reading rules would alter goes inside quotes, which reading strips again.
std::string EncodeValue(std::string_view value) {
    bool quote =
        !value.empty() && (IsControlOrBlank(value.front()) || IsControlOrBlank(value.back()) ||
                           (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                            value.back() == value.front()));
    if (!quote)
        return std::string(value);
    std::string out;
    out.reserve(value.size() + 2);
    out += '"';
    out += value;
    out += '"';
    return out;
}

bool EndsWithLineEnd(std::string_view text) {
    return !text.empty() && (text.back() == '\n' || text.back() == '\r');
}

// The line of the first matching key in the first matching section (the first of duplicates wins).
std::optional<Line> FindKeyLine(std::string_view text, std::string_view section,
                                std::string_view key) {
    section = TrimControls(section);
    key = TrimControls(key);
    LineScanner scan(text);
    Line line;
    bool inSection = false;
    while (scan.Next(line)) {
        if (line.kind == Kind::Header) {
            if (inSection)
                return std::nullopt;
            inSection = SameNameAscii(line.name, section);
        } else if (inSection && line.kind == Kind::Key && SameNameAscii(line.name, key)) {
            return line;
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> FindValue(std::string_view text, std::string_view section,
                                     std::string_view key) {
    if (std::optional<Line> line = FindKeyLine(text, section, key))
        return std::string(ValueOf(text, *line));
    return std::nullopt;
}

std::vector<std::pair<std::string, std::string>> KeyValues(std::string_view text,
                                                           std::string_view section) {
    section = TrimControls(section);
    std::vector<std::pair<std::string, std::string>> pairs;
    std::unordered_set<std::string> seen;
    LineScanner scan(text);
    Line line;
    bool inSection = false;
    while (scan.Next(line)) {
        if (line.kind == Kind::Header) {
            if (inSection)
                break;
            inSection = SameNameAscii(line.name, section);
        } else if (inSection && line.kind == Kind::Key && !line.name.empty()) {
            if (seen.insert(FoldCaseAscii(line.name)).second)
                pairs.emplace_back(std::string(line.name), std::string(ValueOf(text, line)));
        }
    }
    return pairs;
}

std::vector<std::string> KeyNames(std::string_view text, std::string_view section) {
    std::vector<std::string> names;
    for (auto& pair : KeyValues(text, section))
        names.push_back(std::move(pair.first));
    return names;
}

std::vector<std::string> SectionNames(std::string_view text) {
    std::vector<std::string> names;
    std::unordered_set<std::string> seen;
    LineScanner scan(text);
    Line line;
    while (scan.Next(line)) {
        if (line.kind == Kind::Header && !line.name.empty() &&
            seen.insert(FoldCaseAscii(line.name)).second)
            names.emplace_back(line.name);
    }
    return names;
}

bool SetValue(std::string& text, std::string_view section, std::string_view key,
              std::string_view value) {
    if (!ValidSection(section) || !ValidKey(key) || HasBreakOrNul(value))
        return false;
    section = TrimControls(section);
    key = TrimControls(key);
    const std::string encoded = EncodeValue(value);
    const std::string_view nl = LineEndOf(text);

    LineScanner scan(text);
    Line line;
    bool inSection = false;
    std::size_t insertAt = 0;     // just past the section's last line that has content
    bool insertAtFileEnd = false; // that line is the file's last and has no line end
    while (scan.Next(line)) {
        if (line.kind == Kind::Header) {
            if (inSection)
                break;
            inSection = SameNameAscii(line.name, section);
        } else if (!inSection || line.kind == Kind::Blank || line.kind == Kind::Comment) {
            continue;
        } else if (line.kind == Kind::Key && SameNameAscii(line.name, key)) {
            std::size_t from = line.equals + 1;
            while (from < line.end && (text[from] == ' ' || text[from] == '\t'))
                ++from;
            text.replace(from, line.end - from, encoded);
            return true;
        }
        if (inSection) {
            insertAt = line.next;
            insertAtFileEnd = line.next == line.end;
        }
    }

    std::string keyLine;
    keyLine.reserve(key.size() + encoded.size() + 3);
    keyLine.append(key).append("=").append(encoded);
    if (inSection) {
        if (insertAtFileEnd)
            text.insert(insertAt, std::string(nl) + keyLine);
        else
            text.insert(insertAt, keyLine + std::string(nl));
        return true;
    }
    if (!text.empty() && text != kBom && !EndsWithLineEnd(text))
        text += nl;
    text.append("[").append(section).append("]").append(nl);
    text.append(keyLine).append(nl);
    return true;
}

bool DeleteKey(std::string& text, std::string_view section, std::string_view key) {
    if (std::optional<Line> line = FindKeyLine(text, section, key))
        text.erase(line->begin, line->next - line->begin);
    return true;
}

bool DeleteSection(std::string& text, std::string_view section) {
    section = TrimControls(section);
    LineScanner scan(text);
    Line line;
    bool found = false;
    std::size_t from = 0;
    while (scan.Next(line)) {
        if (line.kind != Kind::Header)
            continue;
        if (found) {
            text.erase(from, line.begin - from);
            return true;
        }
        if (SameNameAscii(line.name, section)) {
            found = true;
            from = line.begin;
        }
    }
    if (found)
        text.erase(from);
    return true;
}

bool ReadFile(const std::string& path, std::string& text) {
    return ReadWholeFile(path, text) == TReadResult::Ok;
}

bool ReplaceFile(const std::string& path, const std::string& text) {
    const std::string target = WriteTarget(path);
    struct stat st {};
    const bool exists = ::stat(target.c_str(), &st) == 0;
    if (exists && !IsWritableFile(target, st))
        return false;
    // 0666 less the umask: the mode any other program would give a new file here.
    return ReplaceFileAtomically(target, text, 0666);
}

} // namespace initext

namespace {

// Applies one edit to the file; an edit that changes nothing still needs a writable file.
template <typename Edit> bool EditFile(const std::string& path, Edit edit, bool createMissing) {
    std::string text;
    const TReadResult loaded = ReadWholeFile(path, text);
    if (loaded != TReadResult::Ok && loaded != TReadResult::Missing)
        return false;
    if (loaded == TReadResult::Missing && !createMissing)
        return true;
    std::string edited = text;
    if (!edit(edited))
        return false;
    if (edited == text && loaded == TReadResult::Ok) {
        struct stat st {};
        const std::string target = WriteTarget(path);
        return ::stat(target.c_str(), &st) == 0 && IsWritableFile(target, st);
    }
    return initext::ReplaceFile(path, edited);
}

} // namespace

std::optional<std::string> IniReadValue(const std::string& path, std::string_view section,
                                        std::string_view key) {
    std::string text;
    if (!initext::ReadFile(path, text))
        return std::nullopt;
    return initext::FindValue(text, section, key);
}

std::vector<std::string> IniReadKeyNames(const std::string& path, std::string_view section) {
    std::string text;
    if (!initext::ReadFile(path, text))
        return {};
    return initext::KeyNames(text, section);
}

std::vector<std::pair<std::string, std::string>> IniReadKeyValues(const std::string& path,
                                                                  std::string_view section) {
    std::string text;
    if (!initext::ReadFile(path, text))
        return {};
    return initext::KeyValues(text, section);
}

std::vector<std::string> IniReadSectionNames(const std::string& path) {
    std::string text;
    if (!initext::ReadFile(path, text))
        return {};
    return initext::SectionNames(text);
}

bool IniWriteValue(const std::string& path, std::string_view section, std::string_view key,
                   std::string_view value) {
    return EditFile(
        path, [&](std::string& t) { return initext::SetValue(t, section, key, value); }, true);
}

bool IniDeleteKey(const std::string& path, std::string_view section, std::string_view key) {
    return EditFile(
        path, [&](std::string& t) { return initext::DeleteKey(t, section, key); }, false);
}

bool IniDeleteSection(const std::string& path, std::string_view section) {
    return EditFile(
        path, [&](std::string& t) { return initext::DeleteSection(t, section); }, false);
}

} // namespace qv
