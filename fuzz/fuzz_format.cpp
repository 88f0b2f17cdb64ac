// Fuzzes applying a format: any format text and any double must give a text or the named format
// error, and a format the system uses must never fail.
#include "units/QvConv.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    double value = 0;
    if (size < sizeof value)
        return 0;
    std::memcpy(&value, data, sizeof value);
    const std::string format(reinterpret_cast<const char*>(data) + sizeof value,
                             size - sizeof value);
    try {
        (void)qv::FormatFloat(format, value);
    } catch (const qv::EConvertError&) {
    }
    const int decimals = qv::DecimalsOfFormat(format);
    for (qv::TFormatType type : {qv::ft_Auto, qv::ft_Fixed, qv::ft_AutoOverride, qv::ft_Manual})
        (void)qv::FormatValue(value, type, "%0." + std::to_string(decimals) + "f", 5, decimals);
    (void)qv::FormatFloat("%0." + std::to_string(decimals) + "g", value);
    return 0;
}
