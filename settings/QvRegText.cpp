// REGEDIT4 text: the document with its key index, parsing and writing.
#include "settings/QvRegText_p.h"
#include "settings/QvSysUtils.h"
#include "settings/QvTextUtils.h"

#include <algorithm>
#include <bit>
#include <cstdio>

namespace qv::reg {

namespace {

constexpr std::string_view kHeader = "REGEDIT4";
// Blanks, and the CR of a CR LF line end.
std::string_view Trim(std::string_view s) {
    return TrimWhere(s, [](char c) { return c == ' ' || c == '\t' || c == '\r'; });
}

// Reads a quoted string with \\ and \" escapes starting at s[pos] == '"'; pos ends after it.
bool ParseQuoted(std::string_view s, std::size_t& pos, std::string& out) {
    if (pos >= s.size() || s[pos] != '"')
        return false;
    ++pos;
    out.clear();
    while (pos < s.size()) {
        char c = s[pos++];
        if (c == '"')
            return true;
        if (c == '\\') {
            if (pos >= s.size())
                return false;
            char e = s[pos++];
            if (e != '\\' && e != '"')
                return false;
            out += e;
        } else {
            out += c;
        }
    }
    return false;
}

std::string Quote(std::string_view s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    out += '"';
    return out;
}

// Parses "aa,bb,..." possibly continued over lines ending in "\". `next` fetches the next line.
bool ParseHexList(std::string_view first, const std::function<bool(std::string_view&)>& next,
                  std::vector<std::uint8_t>& out, std::string& reason) {
    std::string_view line = Trim(first);
    out.clear();
    bool expectMore = false; // a comma was seen, so a byte must follow
    for (;;) {
        bool continued = false;
        if (!line.empty() && line.back() == '\\') {
            continued = true;
            line = Trim(line.substr(0, line.size() - 1));
        }
        std::size_t i = 0;
        while (i < line.size()) {
            std::string_view rest = Trim(line.substr(i));
            i = line.size() - rest.size();
            if (rest.empty())
                break;
            if (rest.size() < 2 || HexDigitValue(rest[0]) < 0 || HexDigitValue(rest[1]) < 0) {
                reason = "bad hexadecimal byte";
                return false;
            }
            out.push_back(
                static_cast<std::uint8_t>(HexDigitValue(rest[0]) * 16 + HexDigitValue(rest[1])));
            i += 2;
            rest = Trim(line.substr(i));
            i = line.size() - rest.size();
            expectMore = false;
            if (rest.empty())
                break;
            if (rest[0] != ',') {
                reason = "bad hexadecimal list";
                return false;
            }
            ++i;
            expectMore = true;
        }
        if (!continued)
            break;
        if (!next(line)) {
            reason = "value cut short";
            return false;
        }
        line = Trim(line);
    }
    if (expectMore) {
        reason = "value cut short";
        return false;
    }
    return true;
}

// `lastLine`: the line is the file's last and has no line end, so it may have been cut short.
bool ParseData(std::string_view data, const std::function<bool(std::string_view&)>& next,
               bool lastLine, TRegValue& value, std::string& reason) {
    if (!data.empty() && data[0] == '"') {
        std::size_t pos = 0;
        std::string text;
        if (!ParseQuoted(data, pos, text) || !Trim(data.substr(pos)).empty()) {
            reason = "unfinished text value";
            return false;
        }
        value.Kind = REG_SZ;
        value.Data = TextData(text);
        return true;
    }
    auto startsWith = [&](std::string_view p) {
        if (data.size() < p.size())
            return false;
        for (std::size_t i = 0; i < p.size(); ++i)
            if (LowerAscii(data[i]) != p[i])
                return false;
        return true;
    };
    if (startsWith("dword:")) {
        std::string_view digits = Trim(data.substr(6));
        // Hand edits may drop leading zeros; a file cut short mid-dword may not pass for one.
        if (digits.empty() || digits.size() > 8 || (lastLine && digits.size() != 8)) {
            reason = lastLine ? "value cut short" : "bad dword";
            return false;
        }
        std::uint32_t v = 0;
        for (char c : digits) {
            int d = HexDigitValue(c);
            if (d < 0) {
                reason = "bad dword";
                return false;
            }
            v = v * 16 + static_cast<std::uint32_t>(d);
        }
        value.Kind = REG_DWORD;
        value.Data = DWordData(v);
        return true;
    }
    if (startsWith("hex:")) {
        value.Kind = REG_BINARY;
        return ParseHexList(data.substr(4), next, value.Data, reason);
    }
    if (startsWith("hex(")) {
        std::size_t close = data.find(')');
        if (close == std::string_view::npos || close == 4 || close > 12 ||
            close + 1 >= data.size() || data[close + 1] != ':') {
            reason = "bad value kind";
            return false;
        }
        std::uint64_t kind = 0;
        for (std::size_t i = 4; i < close; ++i) {
            int d = HexDigitValue(data[i]);
            if (d < 0) {
                reason = "bad value kind";
                return false;
            }
            kind = kind * 16 + static_cast<std::uint64_t>(d);
        }
        if (kind > 0xFFFFFFFFu) {
            reason = "bad value kind";
            return false;
        }
        value.Kind = static_cast<std::uint32_t>(kind);
        return ParseHexList(data.substr(close + 2), next, value.Data, reason);
    }
    reason = "unknown value kind";
    return false;
}

std::string HexList(const std::vector<std::uint8_t>& data, std::size_t prefixLen) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    std::size_t col = prefixLen;
    for (std::size_t i = 0; i < data.size(); ++i) {
        out += digits[data[i] >> 4];
        out += digits[data[i] & 15];
        col += 2;
        if (i + 1 < data.size()) {
            out += ',';
            ++col;
            // Keep lines short as the registry editor does, continuing with "\".
            if (col > 76) {
                out += "\\\n  ";
                col = 2;
            }
        }
    }
    return out;
}

std::string ValueText(const TRegValue& v) {
    std::string name = v.Name.empty() ? "@" : Quote(v.Name);
    if (v.Kind == REG_SZ && !v.Data.empty() && v.Data.back() == 0) {
        bool plain = std::none_of(v.Data.begin(), v.Data.end() - 1,
                                  [](std::uint8_t b) { return b == 0 || b == '\n' || b == '\r'; });
        if (plain)
            return name + "=" +
                   Quote(std::string_view(reinterpret_cast<const char*>(v.Data.data()),
                                          v.Data.size() - 1));
    }
    if (v.Kind == REG_DWORD && v.Data.size() == 4) {
        std::uint32_t x = static_cast<std::uint32_t>(v.Data[0]) |
                          static_cast<std::uint32_t>(v.Data[1]) << 8 |
                          static_cast<std::uint32_t>(v.Data[2]) << 16 |
                          static_cast<std::uint32_t>(v.Data[3]) << 24;
        char buf[16];
        std::snprintf(buf, sizeof buf, "dword:%08x", x);
        return name + "=" + buf;
    }
    std::string prefix;
    if (v.Kind == REG_BINARY) {
        prefix = "hex:";
    } else {
        char buf[24];
        std::snprintf(buf, sizeof buf, "hex(%x):", v.Kind);
        prefix = buf;
    }
    std::string head = name + "=" + prefix;
    return head + HexList(v.Data, head.size());
}

// Adds a parsed value to its key; a later duplicate wins, as an import into the registry would
// have it. A key's few values are scanned; one with many gets an index by folded name, so that no
// file makes parsing grow with the square of its values, and small keys cost no index at all.
class TValuePlacer {
  public:
    void Place(TRegKey& key, std::size_t keyIndex, TRegValue&& value) {
        constexpr std::size_t kScanLimit = 8;
        if (key.Values.size() < kScanLimit) {
            for (TRegValue& v : key.Values)
                if (NamesEqual(v.Name, value.Name)) {
                    v = std::move(value);
                    return;
                }
            key.Values.push_back(std::move(value));
            return;
        }
        auto& index = m_big[keyIndex];
        if (index.empty())
            for (std::size_t i = 0; i < key.Values.size(); ++i)
                index.try_emplace(FoldCaseAscii(key.Values[i].Name), i);
        auto [it, added] = index.try_emplace(FoldCaseAscii(value.Name), key.Values.size());
        if (added)
            key.Values.push_back(std::move(value));
        else
            key.Values[it->second] = std::move(value);
    }

  private:
    std::unordered_map<std::size_t, std::unordered_map<std::string, std::size_t>> m_big;
};

} // namespace

bool NamesEqual(std::string_view a, std::string_view b) {
    return SameNameAscii(a, b);
}

std::string JoinKeyPath(std::string_view a, std::string_view b) {
    std::string out;
    auto addParts = [&out](std::string_view s) {
        std::size_t i = 0;
        while (i <= s.size()) {
            std::size_t j = s.find('\\', i);
            if (j == std::string_view::npos)
                j = s.size();
            if (j > i) {
                if (!out.empty())
                    out += '\\';
                out.append(s.substr(i, j - i));
            }
            i = j + 1;
        }
    };
    addParts(a);
    addParts(b);
    return out;
}

std::optional<std::size_t> TRegDocument::IndexOf(std::string_view path) const {
    if (m_index.size() != Keys.size()) {
        m_index.clear();
        for (std::size_t i = 0; i < Keys.size(); ++i)
            m_index.try_emplace(FoldCaseAscii(Keys[i].Path), i);
    }
    auto it = m_index.find(FoldCaseAscii(path));
    if (it == m_index.end())
        return std::nullopt;
    return it->second;
}

TRegKey* TRegDocument::FindKey(std::string_view path) {
    const auto i = IndexOf(path);
    return i ? &Keys[*i] : nullptr;
}

const TRegKey* TRegDocument::FindKey(std::string_view path) const {
    const auto i = IndexOf(path);
    return i ? &Keys[*i] : nullptr;
}

TRegKey& TRegDocument::AddKey(std::string_view path) {
    if (TRegKey* k = FindKey(path))
        return *k;
    m_index.try_emplace(FoldCaseAscii(path), Keys.size());
    Keys.push_back(TRegKey{std::string(path), {}});
    return Keys.back();
}

void TRegDocument::Clear() {
    Keys.clear();
    m_index.clear();
}

TRegValue* TRegDocument::FindValue(TRegKey& key, std::string_view name) {
    for (auto& v : key.Values)
        if (NamesEqual(v.Name, name))
            return &v;
    return nullptr;
}

const TRegValue* TRegDocument::FindValue(const TRegKey& key, std::string_view name) {
    for (const auto& v : key.Values)
        if (NamesEqual(v.Name, name))
            return &v;
    return nullptr;
}

const TRegValue* TRegDocument::FindValue(std::string_view path, std::string_view name) const {
    const TRegKey* k = FindKey(path);
    return k ? FindValue(*k, name) : nullptr;
}

void TRegDocument::SetValue(std::string_view path, std::string_view name, std::uint32_t kind,
                            std::vector<std::uint8_t> data) {
    TRegKey& k = AddKey(path);
    if (TRegValue* v = FindValue(k, name)) {
        v->Kind = kind;
        v->Data = std::move(data);
        return;
    }
    k.Values.push_back(TRegValue{std::string(name), kind, std::move(data)});
}

bool TRegDocument::DeleteValue(std::string_view path, std::string_view name) {
    TRegKey* k = FindKey(path);
    if (!k)
        return false;
    auto it = std::find_if(k->Values.begin(), k->Values.end(),
                           [&](const TRegValue& v) { return NamesEqual(v.Name, name); });
    if (it == k->Values.end())
        return false;
    k->Values.erase(it);
    return true;
}

bool TRegDocument::DeleteKey(std::string_view path) {
    std::string prefix = std::string(path) + "\\";
    auto before = Keys.size();
    std::erase_if(Keys, [&](const TRegKey& k) {
        return NamesEqual(k.Path, path) ||
               (k.Path.size() > prefix.size() &&
                NamesEqual(std::string_view(k.Path).substr(0, prefix.size()), prefix));
    });
    if (Keys.size() == before)
        return false;
    m_index.clear(); // positions moved
    return true;
}

bool IsStorableName(std::string_view name) {
    return name.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

std::vector<std::uint8_t> TextData(std::string_view text) {
    std::vector<std::uint8_t> d(text.begin(), text.end());
    d.push_back(0);
    return d;
}

std::string DataText(const std::vector<std::uint8_t>& data) {
    auto end = std::find(data.begin(), data.end(), std::uint8_t{0});
    return std::string(data.begin(), end);
}

std::vector<std::uint8_t> DWordData(std::uint32_t value) {
    return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

std::vector<std::uint8_t> DoubleData(double value) {
    auto bits = std::bit_cast<std::uint64_t>(value);
    std::vector<std::uint8_t> d(8);
    for (int i = 0; i < 8; ++i)
        d[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(bits >> (8 * i));
    return d;
}

std::optional<TRegParseError> ParseRegText(std::string_view text, TRegDocument& doc) {
    doc.Clear();
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    if (text.find('\0') != std::string_view::npos)
        return TRegParseError{0, "binary data in the file"};

    std::size_t pos = 0;
    std::size_t lineNo = 0;
    bool unterminated = false;
    auto nextLine = [&](std::string_view& line) -> bool {
        if (pos >= text.size())
            return false;
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        line = text.substr(pos, end - pos);
        unterminated = end == text.size();
        pos = end + 1;
        ++lineNo;
        return true;
    };

    bool sawHeader = false;
    TRegKey* current = nullptr;
    std::size_t currentIndex = 0;
    TValuePlacer placer;
    std::string_view raw;
    while (nextLine(raw)) {
        std::string_view line = Trim(raw);
        if (line.empty())
            continue;
        if (!sawHeader) {
            if (line != kHeader)
                return TRegParseError{lineNo, "not a REGEDIT4 file"};
            sawHeader = true;
            continue;
        }
        if (line[0] == ';')
            continue;
        if (line[0] == '[') {
            if (line.back() != ']' || line.size() < 3 || line[1] == '-')
                return TRegParseError{lineNo, "bad key line"};
            std::string path = JoinKeyPath(line.substr(1, line.size() - 2), "");
            // A path that normalises to a leading "-" would be written back as a delete line.
            if (path.empty() || path[0] == '-')
                return TRegParseError{lineNo, "bad key line"};
            current = &doc.AddKey(path);
            currentIndex = static_cast<std::size_t>(current - doc.Keys.data());
            continue;
        }
        if (line[0] == '"' || line[0] == '@') {
            if (!current)
                return TRegParseError{lineNo, "value outside a key"};
            TRegValue value;
            std::size_t p = 0;
            if (line[0] == '@') {
                p = 1;
            } else if (!ParseQuoted(line, p, value.Name)) {
                return TRegParseError{lineNo, "unfinished value name"};
            }
            std::string_view rest = Trim(line.substr(p));
            if (rest.empty() || rest[0] != '=')
                return TRegParseError{lineNo, "value without \"=\""};
            std::size_t startLine = lineNo;
            std::string reason;
            if (!ParseData(Trim(rest.substr(1)), nextLine, unterminated, value, reason))
                return TRegParseError{startLine, reason};
            placer.Place(*current, currentIndex, std::move(value));
            continue;
        }
        return TRegParseError{lineNo, "unrecognised line"};
    }
    return std::nullopt;
}

std::string SerializeReg(const TRegDocument& doc) {
    std::string out = std::string(kHeader) + "\n";
    for (const auto& k : doc.Keys) {
        out += "\n[" + k.Path + "]\n";
        for (const auto& v : k.Values)
            out += ValueText(v) + "\n";
    }
    out += "\n";
    return out;
}

} // namespace qv::reg
