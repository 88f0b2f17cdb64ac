// Fuzzes the settings store's REGEDIT4 parser: any bytes must give a document or a parse error,
// never a crash, and a document that was read must be written and read back unchanged.
#include "settings/QvRegFile_p.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    qv::reg::TRegDocument doc;
    if (qv::reg::ParseRegText(text, doc))
        return 0;
    const std::string once = qv::reg::SerializeReg(doc);
    qv::reg::TRegDocument again;
    if (qv::reg::ParseRegText(once, again) || qv::reg::SerializeReg(again) != once)
        __builtin_trap();
    return 0;
}
