// The streaming CSV reader and the field writer (see QvCsv.h).
#include "schedule/QvCsv.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <unistd.h>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace qv {

namespace {

constexpr std::size_t kChunk = 64 * 1024;
// Bytes kept past the end of the buffer, so that a field's end can be looked for sixteen bytes at
// a time without reading outside it.
constexpr std::size_t kSlack = TCsvReader::kReadPast + 1;

std::string LineText(std::size_t line) {
    return "line " + std::to_string(line) + ": ";
}

// The line breaks in a quoted field's text: LF, and CR not followed by LF (the field's end is not
// a line feed).
std::size_t LineBreaks(const char* from, const char* to) {
    std::size_t n = 0;
    for (const char* p = from; p != to; ++p)
        n += *p == '\n' || (*p == '\r' && (p + 1 == to || p[1] != '\n'));
    return n;
}

} // namespace

TCsvReader::TCsvReader(TSource source, std::size_t maxRecordBytes)
    : m_source(std::move(source)), m_maxRecordBytes(maxRecordBytes), m_buf(kChunk + kSlack) {}

TCsvReader TCsvReader::Continuing(TSource source, std::size_t maxRecordBytes,
                                  std::size_t firstLine) {
    TCsvReader reader(std::move(source), maxRecordBytes);
    reader.m_started = true;
    reader.m_line = firstLine;
    return reader;
}

TCsvReader TCsvReader::InPlace(std::string_view text) {
    TCsvReader reader(TSource(), SIZE_MAX / 2);
    reader.m_buf.clear();
    reader.m_text = text.data();
    reader.m_end = text.size();
    reader.m_eof = true;
    reader.m_started = true;
    return reader;
}

std::size_t TCsvReader::ReadRaw(char* buf, std::size_t cap) {
    if (m_pos < m_end) {
        const std::size_t n = std::min(cap, m_end - m_pos);
        std::memcpy(buf, Text() + m_pos, n);
        m_pos += n;
        return n;
    }
    if (m_eof)
        return 0;
    const std::size_t n = m_source(buf, cap);
    m_eof = n == 0;
    return n;
}

bool TCsvReader::Next(std::vector<std::string_view>& fields) {
    if (!m_started) {
        m_started = true;
        // A pipe may hand over fewer bytes than a byte-order mark at first.
        while (!m_eof && m_end < 3) {
            const std::size_t n = m_source(m_buf.data() + m_end, Capacity() - m_end);
            m_eof = n == 0;
            m_end += n;
        }
        if (m_end >= 3 && std::memcmp(m_buf.data(), "\xEF\xBB\xBF", 3) == 0)
            m_pos = 3;
    }
    for (;;) {
        switch (Scan(fields)) {
        case TScan::Record:
            return true;
        case TScan::End:
            return false;
        case TScan::NeedMore:
        case TScan::Quoted: // not given by Scan
            ReadMore();
            break;
        }
    }
}

void TCsvReader::ReadMore() {
    const std::size_t pending = m_end - m_pos;
    if (pending >= m_maxRecordBytes)
        throw ECsvError(LineText(m_line) + "a record longer than " +
                        std::to_string(m_maxRecordBytes >> 20) + " MiB");
    if (m_pos > 0) {
        std::memmove(m_buf.data(), m_buf.data() + m_pos, pending);
        m_pos = 0;
        m_end = pending;
    }
    if (m_end == Capacity())
        m_buf.resize(std::min(Capacity() * 2, m_maxRecordBytes + kChunk) + kSlack);
    // A long record is rescanned after every read, so it gets a full buffer each time; a short
    // one gets what is there, so that a line typed into a pipe is answered at once.
    do {
        const std::size_t n = m_source(m_buf.data() + m_end, Capacity() - m_end);
        m_eof = n == 0;
        m_end += n;
    } while (!m_eof && m_end > kChunk && m_end < Capacity());
}

// One record from the unread text, or NeedMore when the text read so far ends inside it. The
// buffer is left as it is, so a record cut short is simply scanned again once more is read.
std::size_t TCsvReader::Capacity() const {
    return m_buf.size() - kSlack;
}

const char* TCsvReader::Text() const {
    return m_text ? m_text : m_buf.data();
}

// A record none of whose fields starts with a double quote, which most are: its fields are views
// of the text as it is. Quoted when some field is quoted, for Scan to read.
TCsvReader::TScan TCsvReader::ScanUnquoted(std::vector<std::string_view>& fields) {
    const char* const b = Text();
    const std::size_t end = m_end;
    std::size_t count = 0;
    bool quoteSeen = false;
    std::size_t from = m_pos; // the present field's start
    std::size_t stop = end;   // the record's end, when found before the text's
    // Fields go straight into the caller's vector, grown only past the last record's count.
    std::string_view* out = fields.data();
    std::size_t room = fields.size();
    auto emit = [&](std::size_t to) {
        if (count == room) {
            fields.resize(2 * room + 8);
            out = fields.data();
            room = fields.size();
        }
        out[count++] = std::string_view(b + from, to - from);
    };
#if defined(__SSE2__)
    // Every comma, line break and quote of sixteen bytes at a time, as bits.
    const __m128i comma = _mm_set1_epi8(',');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i quote = _mm_set1_epi8('"');
    for (std::size_t block = m_pos; block < end && stop == end; block += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + block));
        const __m128i breaks = _mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, cr));
        auto stops = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_or_si128(breaks, _mm_cmpeq_epi8(v, comma))));
        auto quotes = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, quote)));
        if (end - block < 16) {
            const unsigned read = (1u << (end - block)) - 1;
            stops &= read;
            quotes &= read;
        }
        for (; stops; stops &= stops - 1) {
            const std::size_t at = block + static_cast<unsigned>(__builtin_ctz(stops));
            if ((quoteSeen || quotes) && b[from] == '"')
                return TScan::Quoted;
            emit(at);
            from = at + 1;
            if (b[at] != ',') {
                stop = at;
                quotes &= (1u << (at - block)) - 1;
                break;
            }
        }
        quoteSeen = quoteSeen || quotes != 0;
    }
#else
    for (std::size_t i = from; i < end; ++i) {
        const char c = b[i];
        if (c == '"') {
            if (i == from)
                return TScan::Quoted;
            quoteSeen = true;
        } else if (c == ',' || c == '\n' || c == '\r') {
            emit(i);
            from = i + 1;
            if (c != ',') {
                stop = i;
                break;
            }
        }
    }
#endif
    std::size_t next = stop + 1;
    if (stop == end) { // the text ends inside the record
        if (!m_eof)
            return TScan::NeedMore;
        if (from < end && b[from] == '"')
            return TScan::Quoted;
        emit(end);
        next = end;
    } else if (b[stop] == '\r') {
        if (next == end && !m_eof)
            return TScan::NeedMore; // a line feed may follow
        if (next < end && b[next] == '\n')
            ++next;
    }
    fields.resize(count);
    m_plain = quoteSeen ? std::string_view() : std::string_view(b + m_pos, stop - m_pos);
    m_recordLine = m_line;
    m_line += stop != end;
    m_pos = next;
    return TScan::Record;
}

TCsvReader::TScan TCsvReader::Scan(std::vector<std::string_view>& fields) {
    const char* const b = Text();
    const std::size_t end = m_end;
    std::size_t i = m_pos;
    if (i == end)
        return m_eof ? TScan::End : TScan::NeedMore;
    if (const TScan s = ScanUnquoted(fields); s != TScan::Quoted)
        return s;

    std::size_t count = 0;
    auto add = [&](TField f) {
        if (count == m_fields.size())
            m_fields.push_back(f);
        else
            m_fields[count] = f;
        ++count;
    };
    m_unquoted.clear();
    bool quoteSeen = false;
    std::size_t newlines = 0;
    std::size_t recordEnd = 0;
    for (;;) {
        if (i < end && b[i] == '"') {
            quoteSeen = true;
            const std::size_t from = m_unquoted.size();
            ++i;
            for (;;) {
                const auto* quote = static_cast<const char*>(std::memchr(b + i, '"', end - i));
                if (!quote) {
                    if (m_eof)
                        throw ECsvError(LineText(m_line + newlines) +
                                        "a quoted field is not closed");
                    return TScan::NeedMore;
                }
                m_unquoted.append(b + i, quote);
                newlines += LineBreaks(b + i, quote);
                i = static_cast<std::size_t>(quote - b) + 1;
                if (i == end && !m_eof)
                    return TScan::NeedMore; // a doubled quote may follow
                if (i < end && b[i] == '"') {
                    m_unquoted.push_back('"');
                    ++i;
                    continue;
                }
                break;
            }
            std::size_t j = i;
            while (j < end && b[j] != ',' && b[j] != '\n' && b[j] != '\r')
                ++j;
            m_unquoted.append(b + i, b + j);
            i = j;
            add({true, from, m_unquoted.size() - from});
        } else {
            std::size_t j = i;
            char c = 0;
            while (j < end && (c = b[j]) != ',' && c != '\n' && c != '\r') {
                quoteSeen = quoteSeen || c == '"';
                ++j;
            }
            add({false, i, j - i});
            i = j;
        }

        if (i == end) {
            if (!m_eof)
                return TScan::NeedMore;
            recordEnd = i;
            break;
        }
        if (b[i] == ',') {
            ++i;
            continue;
        }
        recordEnd = i;
        if (b[i] == '\r') {
            if (i + 1 == end && !m_eof)
                return TScan::NeedMore; // a line feed may follow
            if (i + 1 < end && b[i + 1] == '\n')
                ++i;
        }
        ++i;
        ++newlines;
        break;
    }

    fields.resize(count);
    for (std::size_t k = 0; k < count; ++k) {
        const TField& f = m_fields[k];
        fields[k] = f.Unquoted ? std::string_view(m_unquoted).substr(f.Offset, f.Size)
                               : std::string_view(b + f.Offset, f.Size);
    }
    m_plain = quoteSeen ? std::string_view() : std::string_view(b + m_pos, recordEnd - m_pos);
    m_recordLine = m_line;
    m_line += newlines;
    m_pos = i;
    return TScan::Record;
}

TCsvReader::TSource FdSource(int fd) {
    return [fd](char* buf, std::size_t cap) -> std::size_t {
        for (;;) {
            const ssize_t n = ::read(fd, buf, cap);
            if (n >= 0)
                return static_cast<std::size_t>(n);
            if (errno != EINTR)
                throw ECsvError(std::string("cannot read the input: ") + std::strerror(errno));
        }
    };
}

TCsvReader::TSource TextSource(std::string_view text) {
    return [text](char* buf, std::size_t cap) mutable -> std::size_t {
        const std::size_t n = std::min(cap, text.size());
        if (n == 0)
            return 0;
        std::memcpy(buf, text.data(), n);
        text.remove_prefix(n);
        return n;
    };
}

void AppendCsvField(std::string& out, std::string_view field) {
    bool plain = true;
    for (char c : field)
        plain = plain && c != ',' && c != '"' && c != '\r' && c != '\n';
    if (plain)
        out.append(field);
    else
        AppendQuoted(out, field);
}

void AppendQuoted(std::string& out, std::string_view field) {
    out.push_back('"');
    for (char c : field) {
        if (c == '"')
            out.push_back('"');
        out.push_back(c);
    }
    out.push_back('"');
}

} // namespace qv
