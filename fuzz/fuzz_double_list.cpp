// Fuzzes the comma lists: the number list of the data file and string-list comma text. Any
// input must end in numbers or the named conversion error, and comma text must read back.
#include "settings/QvSysUtils.h"
#include "units/QvConv.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    try {
        (void)qv::ParseDoubleList(input);
    } catch (const qv::EConvertError&) {
    }
    const std::vector<std::string> items = qv::ParseCommaText(input);
    if (qv::ParseCommaText(qv::CommaText(items)) != items)
        __builtin_trap();
    // Quoted lists leave inner quotes as they are, so only quote-free items must come back.
    bool quoteFree = true;
    for (const std::string& item : items)
        quoteFree = quoteFree && item.find('"') == std::string::npos;
    if (quoteFree && qv::ParseCommaText(qv::QuotedCommaText(items)) != items)
        __builtin_trap();
    return 0;
}
