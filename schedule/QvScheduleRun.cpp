// The streaming run of the command-line sizer (see QvScheduleRun.h).
#include "schedule/QvScheduleRun.h"

#include "settings/QvApplicationPath.h"
#include "settings/QvSysUtils.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <tuple>
#include <utility>
#include <sys/stat.h>
#include <unistd.h>

namespace qv {

namespace {

constexpr std::size_t kFlushBytes = 64 * 1024;

} // namespace

void TScheduleTally::Append(const TScheduleTally& later, std::size_t lineOffset) {
    if (NotSolved == 0 && later.NotSolved)
        FirstNotSolvedLine = later.FirstNotSolvedLine + lineOffset;
    if (Errors == 0 && later.Errors)
        FirstErrorLine = later.FirstErrorLine + lineOffset;
    if (IecNotSolved == 0 && later.IecNotSolved)
        FirstIecNotSolvedLine = later.FirstIecNotSolvedLine + lineOffset;
    if (IecErrors == 0 && later.IecErrors)
        FirstIecErrorLine = later.FirstIecErrorLine + lineOffset;
    Circuits += later.Circuits;
    NotSolved += later.NotSolved;
    Errors += later.Errors;
    IecNotSolved += later.IecNotSolved;
    IecErrors += later.IecErrors;
}

std::string TScheduleTally::Summary() const {
    auto part = [](std::size_t n, const char* what, std::size_t line) {
        return std::to_string(n) + " " + what + " (" + (n == 1 ? "on" : "the first on") + " line " +
               std::to_string(line) + ")";
    };
    std::string s = std::to_string(Circuits) + (Circuits == 1 ? " circuit: " : " circuits: ");
    if (NotSolved == 0 && Errors == 0)
        s += "all solved";
    if (NotSolved)
        s += part(NotSolved, "not solved", FirstNotSolvedLine);
    if (Errors)
        s += std::string(NotSolved ? ", " : "") + part(Errors, "in error", FirstErrorLine);
    if (IecNotSolved || IecErrors)
        s += "; IEC: ";
    if (IecNotSolved)
        s += part(IecNotSolved, "not solved", FirstIecNotSolvedLine);
    if (IecErrors)
        s += std::string(IecNotSolved ? ", " : "") + part(IecErrors, "in error", FirstIecErrorLine);
    return s;
}

namespace {

// Sizes and writes every record the reader gives, appending to out; with a writer, hands out over
// in pieces.
void SizeRecords(TCsvReader& reader, const TScheduleSizer& sizer, const TScheduleLayout& layout,
                 const TScheduleFormatter& formatter, TTextBuffer& out,
                 const std::function<void(std::string_view)>* write, TScheduleTally& tally) {
    std::vector<std::string_view> record;
    while (reader.Next(record)) {
        if (IsBlankRecord(record))
            continue;
        const TRowResult r = sizer.SizeRecord(record, layout);
        tally.Add(r, reader.RecordLine());
        formatter.AppendRow(out, record, r, reader.PlainRecordText());
        if (write && out.Size() >= kFlushBytes) {
            (*write)(out.View());
            out.Clear();
        }
    }
}

// Sizes and writes the records of text held in memory (followed by TCsvReader::kReadPast readable
// bytes), a batch at a time: all of a batch are sized, then all written, so that the processor
// works on several rows at once rather than waiting on each row's arithmetic in turn. Returns
// the line breaks read; the tally counts lines from the text's start.
std::size_t SizeRecordsInPlace(std::string_view text, const TScheduleSizer& sizer,
                               const TScheduleLayout& layout, const TScheduleFormatter& formatter,
                               TTextBuffer& out, TScheduleTally& tally) {
    constexpr std::size_t kBatch = 32;
    TCsvReader reader = TCsvReader::InPlace(text);
    reader.SetSeparator(layout.Separator);
    std::vector<std::string_view> record;
    std::array<std::string_view, kBatch> plain;
    std::array<TCircuitText, kBatch> circuits;
    std::array<TRowResult, kBatch> results;
    std::array<std::size_t, kBatch> lines;
    std::size_t n = 0;
    // A batched record has every field of the header (CircuitOf, without its checks).
    auto field = [&](TColumn c) {
        const int i = layout.Position(c);
        return i < 0 ? std::string_view() : record[static_cast<std::size_t>(i)];
    };
    auto flush = [&] {
        for (std::size_t k = 0; k < n; ++k)
            sizer.Size(circuits[k], results[k]);
        for (std::size_t k = 0; k < n; ++k) {
            tally.Add(results[k], lines[k]);
            formatter.AppendTextRow(out, plain[k], results[k]);
        }
        n = 0;
    };
    while (reader.Next(record)) {
        if (IsBlankRecord(record))
            continue;
        // A row written as its text as read waits in the batch; any other, in its turn, now.
        if (!formatter.WritesTextAsRead(record.size(), reader.PlainRecordText())) {
            flush();
            const TRowResult r = sizer.SizeRecord(record, layout);
            tally.Add(r, reader.RecordLine());
            formatter.AppendRow(out, record, r, reader.PlainRecordText());
            continue;
        }
        plain[n] = reader.PlainRecordText();
        lines[n] = reader.RecordLine();
        if (layout.HasIec())
            circuits[n] = CircuitOf(record, layout);
        else
            circuits[n] = {field(TColumn::Material),      field(TColumn::LoadType),
                           field(TColumn::Phase),         field(TColumn::Power),
                           field(TColumn::Length),        field(TColumn::MaxVoltDrop),
                           layout.UnitOf(TColumn::Power), layout.UnitOf(TColumn::Length),
                           layout.DecimalComma()};
        if (++n == kBatch)
            flush();
    }
    flush();
    return reader.NextLine() - 1;
}

// A piece of the input cut between records, and what sizing it gave.
struct TChunk {
    TTextBuffer In;
    TTextBuffer Out;
    TScheduleTally Tally;
    std::size_t Lines = 0; // line breaks in In
    std::exception_ptr Error;
    bool Done = false;
};

// Threads that size chunks in turn as they are queued; each chunk's Done is set under the lock.
// Stops and joins its threads when it goes, whatever the caller is unwinding from.
class TChunkWorkers {
  public:
    TChunkWorkers(unsigned threads, std::vector<TChunk>& chunks, const TScheduleSizer& sizer,
                  const TScheduleLayout& layout, const TScheduleFormatter& formatter)
        : m_chunks(chunks) {
        for (unsigned t = 0; t < threads; ++t)
            m_threads.emplace_back([=, this, &sizer, &layout] {
                // A formatter of its own: it keeps texts of numbers it has written.
                const TScheduleFormatter own = formatter;
                while (TChunk* c = Take()) {
                    try {
                        // A chunk is whole records without quotes, which read without error
                        // however long (the chunk's own length is bounded where it is cut).
                        c->Lines =
                            SizeRecordsInPlace(c->In.View(), sizer, layout, own, c->Out, c->Tally);
                    } catch (...) {
                        c->Error = std::current_exception();
                    }
                    {
                        const std::lock_guard<std::mutex> lock(m_mutex);
                        c->Done = true;
                    }
                    m_done.notify_all();
                }
            });
    }
    ~TChunkWorkers() {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_work.notify_all();
        for (std::thread& t : m_threads)
            t.join();
    }
    TChunkWorkers(const TChunkWorkers&) = delete;
    TChunkWorkers& operator=(const TChunkWorkers&) = delete;

    void Queue(std::size_t slot) {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_queue.push_back(slot);
        }
        m_work.notify_one();
    }
    void WaitFor(const TChunk& c) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_done.wait(lock, [&] { return c.Done; });
    }

  private:
    TChunk* Take() {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_work.wait(lock, [&] { return m_stop || !m_queue.empty(); });
        if (m_stop)
            return nullptr;
        TChunk* c = &m_chunks[m_queue.front()];
        m_queue.pop_front();
        return c;
    }

    std::vector<TChunk>& m_chunks;
    std::mutex m_mutex;
    std::condition_variable m_work, m_done;
    std::deque<std::size_t> m_queue;
    bool m_stop = false;
    std::vector<std::thread> m_threads;
};

// Where the last line break of text from `from` on ends, or npos: a CR at the text's very end
// is no line's end yet, as its LF may follow.
std::size_t LastLineEnd(std::string_view text, std::size_t from) {
    // Only the text from `from` on is looked at, as it grows by small reads.
    const std::string_view tail = text.substr(from);
    std::size_t at = tail.find_last_of("\r\n");
    if (at != std::string_view::npos && tail[at] == '\r' && at + 1 == tail.size())
        at = at == 0 ? std::string_view::npos : tail.find_last_of("\r\n", at - 1);
    return at == std::string_view::npos ? at : from + at + 1;
}

// Reads raw input onto the end of text, up to `want` bytes; false at the end of the input.
bool ReadOnto(TCsvReader& reader, TTextBuffer& text, std::size_t want) {
    char* at = text.Room(want);
    const std::size_t n = reader.ReadRaw(at, want);
    text.Advance(at + n);
    return n > 0;
}

// The rows after the header on several threads: the input is cut after a line break into chunks
// that the threads size in turn, and the caller's thread writes each chunk's output in input
// order. A chunk holding a double quote cannot be cut without reading it as the reader does, so
// from there on the rows are sized here, in order, by the reader.
void SizeRecordsOnThreads(TCsvReader& reader, const TScheduleSizer& sizer,
                          const TScheduleLayout& layout, const TScheduleFormatter& formatter,
                          const std::function<void(std::string_view)>& write,
                          const TScheduleRunOptions& options, unsigned threads,
                          TScheduleTally& tally) {
    const std::size_t slots = 2 * std::size_t{threads};
    const std::size_t chunkBytes = std::max<std::size_t>(options.ChunkBytes, 1);
    const std::size_t maxRecordBytes = reader.MaxRecordBytes();
    std::vector<TChunk> chunks(slots);
    TChunkWorkers workers(threads, chunks, sizer, layout, formatter);

    std::size_t line = reader.NextLine();
    std::size_t queued = 0, written = 0;
    auto writeNext = [&] {
        TChunk& c = chunks[written % slots];
        workers.WaitFor(c);
        if (c.Error)
            std::rethrow_exception(c.Error);
        write(c.Out.View());
        tally.Append(c.Tally, line - 1);
        line += c.Lines;
        c.Tally = {};
        c.In.Clear();
        c.Out.Clear();
        c.Done = false;
        ++written;
    };

    std::string rest; // input read past the last chunk's end
    bool more = true;
    for (;;) {
        if (queued - written == slots)
            writeNext();
        TChunk& c = chunks[queued % slots];
        c.In.Append(rest);
        // Read until the chunk holds a whole record, at least, and ends after a line break; an
        // unbroken run of text reads on to the longest record the reader takes.
        bool quoted = rest.find('"') != std::string::npos;
        std::size_t lineEnd = LastLineEnd(rest, 0);
        std::size_t cut = std::string::npos;
        while (!quoted) {
            const std::size_t from = c.In.Size();
            if (more) // up to the chunk's size, or as much again for a record longer than that
                more = ReadOnto(reader, c.In, from < chunkBytes ? chunkBytes - from : from);
            const std::string_view read = c.In.View().substr(from);
            quoted = read.find('"') != std::string_view::npos;
            // A CR that ended the last read is whole now.
            if (const std::size_t at = LastLineEnd(c.In.View(), from ? from - 1 : 0);
                at != std::string_view::npos)
                lineEnd = at;
            if (!more) {
                cut = c.In.Size();
                break;
            }
            if (c.In.Size() < chunkBytes)
                continue;
            if (lineEnd != std::string::npos) {
                cut = lineEnd;
                break;
            }
            if (c.In.Size() > maxRecordBytes)
                break;
        }
        // A chunk longer than the longest record may hold one, which the reader must refuse.
        if (quoted || cut == std::string::npos || cut > maxRecordBytes) {
            // Everything queued is written first; the reader then goes on from this chunk.
            while (written < queued)
                writeNext();
            std::string_view pending = c.In.View();
            TCsvReader tail = TCsvReader::Continuing(
                [&](char* buf, std::size_t cap) -> std::size_t {
                    if (pending.empty())
                        return reader.ReadRaw(buf, cap);
                    const std::size_t n = std::min(cap, pending.size());
                    std::memcpy(buf, pending.data(), n);
                    pending.remove_prefix(n);
                    return n;
                },
                maxRecordBytes, line);
            tail.SetSeparator(layout.Separator);
            TTextBuffer out;
            SizeRecords(tail, sizer, layout, formatter, out, &write, tally);
            write(out.View());
            return;
        }
        rest.assign(c.In.View().substr(cut));
        c.In.Advance(c.In.View().data() + cut);
        if (cut == 0)
            break;
        c.In.Room(TCsvReader::kReadPast); // the reader may look past the chunk's end
        workers.Queue(queued % slots);
        ++queued;
    }
    while (written < queued)
        writeNext();
}

} // namespace

TScheduleLayout ReadScheduleHeader(TCsvReader& reader, std::vector<std::string>& header,
                                   char separator) {
    if (separator)
        reader.SetSeparator(separator);
    else
        reader.DetectSeparator();
    std::vector<std::string_view> record;
    bool any = false;
    while ((any = reader.Next(record)) && IsBlankRecord(record)) {
    }
    if (!any)
        throw ECsvError("the input is empty: it needs a header row naming the columns");
    header.assign(record.begin(), record.end());
    try {
        TScheduleLayout layout = MatchHeader(header);
        layout.Separator = reader.Separator();
        layout.ByteOrderMark = reader.HadByteOrderMark();
        return layout;
    } catch (const EScheduleError& e) {
        throw ECsvError("line " + std::to_string(reader.RecordLine()) + ": " + e.what());
    }
}

int RunSchedule(TCsvReader& reader, const TScheduleSizer& sizer, TOutputFormat format,
                const std::function<void(std::string_view)>& write,
                const TScheduleRunOptions& options, TScheduleTally* tally) {
    std::vector<std::string> header;
    const TScheduleLayout layout = ReadScheduleHeader(reader, header, options.Separator);
    const TScheduleFormatter formatter(format, header, layout, options.OutputSeparator);

    std::string headerText;
    formatter.AppendHeader(headerText);
    TTextBuffer out;
    out.Append(headerText);
    unsigned threads = options.Threads;
    if (threads == 0)
        threads = std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
    TScheduleTally counted;
    if (threads > 1) {
        write(out.View());
        SizeRecordsOnThreads(reader, sizer, layout, formatter, write, options, threads, counted);
    } else {
        SizeRecords(reader, sizer, layout, formatter, out, &write, counted);
        write(out.View());
    }
    if (tally)
        *tally = counted;
    return counted.AllSolved() ? 0 : 1;
}

} // namespace qv
