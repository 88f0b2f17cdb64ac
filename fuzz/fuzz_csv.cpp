// Fuzzes the CSV reader: any input ends in records or the reader's own error, whatever sizes the
// input arrives in, and records written back with the field writer read back the same.
#include "text/QvCsv.h"
#include "tests/testsupport/StepSource.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Records = std::vector<std::vector<std::string>>;

// All records, or the error's text as a record of its own.
Records ReadAll(const std::string& text, std::size_t step, std::size_t maxRecord = 4096) {
    qv::TCsvReader reader(qv::test::StepSource(text, step), maxRecord);
    Records out;
    std::vector<std::string_view> fields;
    try {
        while (reader.Next(fields))
            out.emplace_back(fields.begin(), fields.end());
    } catch (const qv::ECsvError& e) {
        out.push_back({"error", e.what()});
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    // The first byte chooses how many bytes each read hands over.
    const std::size_t step = 1 + data[0] % 17;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    const Records whole = ReadAll(text, text.size() + 1);
    if (ReadAll(text, step) != whole)
        __builtin_trap();
    if (!whole.empty() && whole.back().size() == 2 && whole.back()[0] == "error")
        return 0;
    std::string written;
    for (const auto& record : whole) {
        for (std::size_t i = 0; i < record.size(); ++i) {
            if (i)
                written.push_back(',');
            qv::AppendCsvField(written, record[i]);
        }
        written.push_back('\n');
    }
    // Quoting makes a record longer, so the written text may exceed the first limit.
    const Records back = ReadAll(written, written.size() + 1, std::size_t{1} << 20);
    // Text that starts with a byte-order mark (UTF-8, or UTF-16 of either order) is read as what
    // the mark says, not as bytes, so a first field that starts with one does not read back.
    if (!whole.empty() && !whole[0].empty()) {
        const std::string& first = whole[0][0];
        for (const char* mark : {"\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"})
            if (first.rfind(mark, 0) == 0)
                return 0;
    }
    if (back != whole)
        __builtin_trap();
    return 0;
}
