// The streaming CSV reader and the field writer (see QvCsv.h).
#include "text/QvCsv.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <unistd.h>
// AMPWISE_CSV_SCALAR builds the portable path on any processor, so that it is tested where the
// vector path is the one shipped.
#if defined(__SSE2__) && !defined(AMPWISE_CSV_SCALAR)
#define AMPWISE_CSV_SSE2 1
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

// A source of UTF-8 from one of UTF-16 whose byte-order mark is read: surrogate pairs joined,
// and a unit that is no character (a lone surrogate, an odd last byte) as U+FFFD.
TCsvReader::TSource Utf16Source(TCsvReader::TSource raw, bool bigEndian, std::string pending) {
    struct TState {
        TCsvReader::TSource Raw;
        bool BigEndian;
        std::string In;  // bytes read, not yet decoded
        std::string Out; // UTF-8 not yet handed over
        std::size_t OutPos = 0;
        unsigned High = 0; // a high surrogate waiting for its pair
        bool Eof = false;
    };
    auto state = std::make_shared<TState>();
    state->Raw = std::move(raw);
    state->BigEndian = bigEndian;
    state->In = std::move(pending);
    auto put = [](std::string& out, unsigned c) {
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | c >> 6));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | c >> 12));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | c >> 18));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    };
    return [state, put](char* buf, std::size_t cap) -> std::size_t {
        TState& s = *state;
        while (s.OutPos == s.Out.size() && !(s.Eof && s.In.empty() && !s.High)) {
            s.Out.clear();
            s.OutPos = 0;
            if (!s.Eof) {
                const std::size_t have = s.In.size();
                s.In.resize(have + kChunk);
                const std::size_t n = s.Raw(s.In.data() + have, kChunk);
                s.In.resize(have + n);
                s.Eof = n == 0;
            }
            std::size_t i = 0;
            for (; i + 1 < s.In.size(); i += 2) {
                const auto b0 = static_cast<unsigned char>(s.In[i]);
                const auto b1 = static_cast<unsigned char>(s.In[i + 1]);
                const unsigned u = s.BigEndian ? (b0 << 8 | b1) : (b1 << 8 | b0);
                if (s.High && u >= 0xDC00 && u <= 0xDFFF) {
                    put(s.Out, 0x10000 + ((s.High - 0xD800) << 10) + (u - 0xDC00));
                    s.High = 0;
                    continue;
                }
                if (s.High)
                    put(s.Out, 0xFFFD);
                s.High = 0;
                if (u >= 0xD800 && u <= 0xDBFF)
                    s.High = u;
                else
                    put(s.Out, u >= 0xDC00 && u <= 0xDFFF ? 0xFFFD : u);
            }
            s.In.erase(0, i);
            if (s.Eof) { // what is left is no character
                if (s.High || !s.In.empty())
                    put(s.Out, 0xFFFD);
                s.High = 0;
                s.In.clear();
            }
        }
        const std::size_t n = std::min(cap, s.Out.size() - s.OutPos);
        std::memcpy(buf, s.Out.data() + s.OutPos, n);
        s.OutPos += n;
        return n;
    };
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

void TCsvReader::Start() {
    if (m_started)
        return;
    m_started = true;
    // A pipe may hand over fewer bytes than a byte-order mark at first.
    while (!m_eof && m_end < 3) {
        const std::size_t n = m_source(m_buf.data() + m_end, Capacity() - m_end);
        m_eof = n == 0;
        m_end += n;
    }
    if (m_end >= 3 && std::memcmp(m_buf.data(), "\xEF\xBB\xBF", 3) == 0) {
        m_pos = 3;
        m_bom = true;
    } else if (m_end >= 2 && (std::memcmp(m_buf.data(), "\xFF\xFE", 2) == 0 ||
                              std::memcmp(m_buf.data(), "\xFE\xFF", 2) == 0)) {
        // From here on the reader reads UTF-8 made from the UTF-16 after the mark.
        m_bom = true;
        m_source = Utf16Source(std::move(m_source), m_buf[0] == '\xFE',
                               std::string(m_buf.data() + 2, m_end - 2));
        m_end = 0;
        m_eof = false;
    }
}

char TCsvReader::DetectSeparator() {
    Start();
    for (;;) {
        // Each line from the unread text's start, until one holds more than blanks and
        // separators; a quoted field's line breaks are not the line's end.
        const char* const b = Text();
        bool quoted = false, content = false, ended = false;
        std::size_t counts[3] = {0, 0, 0};
        for (std::size_t i = m_pos; i < m_end; ++i) {
            const char c = b[i];
            if (c == '"') {
                quoted = !quoted;
                content = true;
            } else if (quoted) {
                continue;
            } else if (c == '\n' || c == '\r') {
                if ((ended = content))
                    break;
                counts[0] = counts[1] = counts[2] = 0;
            } else if (c == ',' || c == ';' || c == '\t') {
                ++counts[c == ',' ? 0 : c == ';' ? 1 : 2];
            } else if (c != ' ') {
                content = true;
            }
        }
        if (m_eof || ended || m_end - m_pos >= m_maxRecordBytes) {
            const char seps[3] = {',', ';', '\t'};
            std::size_t best = 0;
            for (std::size_t k = 1; k < 3; ++k)
                if (counts[k] > counts[best])
                    best = k;
            m_sep = seps[best];
            return m_sep;
        }
        ReadMore();
    }
}

bool TCsvReader::Next(std::vector<std::string_view>& fields) {
    Start();
    for (;;) {
        const std::size_t start = m_pos;
        switch (Scan(fields)) {
        case TScan::Record:
            // A record is too long whether it came in one read or in many (ReadMore refuses it
            // part-way), so that how a file arrives never changes what it reads as.
            if (m_pos - start > m_maxRecordBytes)
                throw RecordTooLong(m_recordLine);
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
    // The record read so far is its start, so it is longer than this in the end too.
    const std::size_t pending = m_end - m_pos;
    if (pending > m_maxRecordBytes)
        throw RecordTooLong(m_line);
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

ECsvError TCsvReader::RecordTooLong(std::size_t line) const {
    return ECsvError(LineText(line) + "a record longer than " +
                     std::to_string(m_maxRecordBytes >> 20) + " MiB");
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
#if defined(AMPWISE_CSV_SSE2)
    // Every comma, line break and quote of sixteen bytes at a time, as bits.
    const __m128i comma = _mm_set1_epi8(m_sep);
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
            if (b[at] != m_sep) {
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
        } else if (c == m_sep || c == '\n' || c == '\r') {
            emit(i);
            from = i + 1;
            if (c != m_sep) {
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
            while (j < end && b[j] != m_sep && b[j] != '\n' && b[j] != '\r')
                ++j;
            m_unquoted.append(b + i, b + j);
            i = j;
            add({true, from, m_unquoted.size() - from});
        } else {
            std::size_t j = i;
            char c = 0;
            while (j < end && (c = b[j]) != m_sep && c != '\n' && c != '\r') {
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
        if (b[i] == m_sep) {
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

void AppendCsvField(std::string& out, std::string_view field, char separator) {
    bool plain = true;
    for (char c : field)
        plain = plain && c != separator && c != '"' && c != '\r' && c != '\n';
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
