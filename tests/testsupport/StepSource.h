// A source for the CSV reader over text the caller keeps, handing over at most `step` bytes a
// call, as a pipe may: nothing may rely on a whole line arriving at once.
#pragma once

#include "text/QvCsv.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string_view>

namespace qv::test {

inline TCsvReader::TSource StepSource(std::string_view text, std::size_t step) {
    return [text, step, at = std::size_t{0}](char* buf, std::size_t cap) mutable {
        const std::size_t n = std::min({cap, step, text.size() - at});
        if (n)
            std::memcpy(buf, text.data() + at, n);
        at += n;
        return n;
    };
}

} // namespace qv::test
