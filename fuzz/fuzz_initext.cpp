// Fuzzes the INI text engine that reads the data file and the settings file: any bytes must read
// without a crash, and a write that is accepted must read back as written without changing what
// the other sections hold.
#include "settings/QvIniText_p.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

// The input is "section\x01key\x01value\x01file text"; missing parts are empty.
std::string_view Part(std::string_view& rest) {
    const std::size_t at = rest.find('\x01');
    std::string_view part = rest.substr(0, at);
    rest = at == std::string_view::npos ? std::string_view() : rest.substr(at + 1);
    return part;
}

// Section names as the engine compares them: blanks trimmed, ASCII letters without case.
bool SameName(std::string_view a, std::string_view b) {
    auto trim = [](std::string_view s) {
        while (!s.empty() && static_cast<unsigned char>(s.front()) <= 32)
            s.remove_prefix(1);
        while (!s.empty() && static_cast<unsigned char>(s.back()) <= 32)
            s.remove_suffix(1);
        return s;
    };
    a = trim(a);
    b = trim(b);
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] + 32) : a[i];
        const char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] + 32) : b[i];
        if (x != y)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qv::initext;
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    const std::string_view section = Part(rest);
    const std::string_view key = Part(rest);
    const std::string_view value = Part(rest);
    const std::string text(rest);

    // Reading: the one-pass list agrees with the single-value lookup.
    const auto sections = SectionNames(text);
    for (const auto& [name, found] : KeyValues(text, section)) {
        const auto again = FindValue(text, section, name);
        if (!again || *again != found)
            __builtin_trap();
    }

    std::string edited = text;
    if (!SetValue(edited, section, key, value))
        return 0;
    const auto back = FindValue(edited, section, key);
    if (!back || *back != value)
        __builtin_trap();
    // Every other section keeps its keys and values. Each look-up scans the text, so a few
    // sections at either end are compared: all of them would make this check, not the engine,
    // grow with the square of the input.
    constexpr std::size_t kCompared = 16;
    for (std::size_t i = 0; i < sections.size(); ++i) {
        if (i >= kCompared && i + kCompared < sections.size())
            continue;
        const std::string& other = sections[i];
        if (SameName(other, section))
            continue;
        if (KeyValues(text, other) != KeyValues(edited, other))
            __builtin_trap();
    }
    // The deletes must not crash on whatever the edit produced.
    std::string removed = edited;
    DeleteKey(removed, section, key);
    DeleteSection(removed, section);
    return 0;
}
