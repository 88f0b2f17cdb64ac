// Arguments, the main window's settings file and the streaming run of the command-line sizer (see
// QvScheduleRun.h).
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

bool Exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

} // namespace

TScheduleOptions ParseArguments(const std::vector<std::string>& args) {
    TScheduleOptions o;
    bool haveInput = false;
    bool optionsEnd = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string name = a;
        std::optional<std::string> inlineValue;
        if (!optionsEnd && a.rfind("--", 0) == 0 && a.find('=') != std::string::npos) {
            name = a.substr(0, a.find('='));
            inlineValue = a.substr(a.find('=') + 1);
        } else if (!optionsEnd && a.size() > 2 && a.rfind("-o", 0) == 0) {
            name = "-o";
            inlineValue = a.substr(2);
        }
        auto value = [&]() -> std::string {
            if (inlineValue)
                return *inlineValue;
            if (i + 1 >= args.size())
                throw EUsageError("option " + name + " needs a value");
            return args[++i];
        };

        if (optionsEnd || a == "-" || a.empty() || a[0] != '-') {
            if (haveInput)
                throw EUsageError("one input file at most, not also '" + a + "'");
            o.Input = a;
            haveInput = true;
        } else if (a == "--") {
            optionsEnd = true;
        } else if (name == "-h" || name == "--help") {
            o.Help = true;
        } else if (name == "--version") {
            o.Version = true;
        } else if (name == "-o" || name == "--output") {
            o.Output = value();
        } else if (name == "--data") {
            o.DataFile = value();
            if (o.DataFile.empty())
                throw EUsageError("--data needs a file name");
        } else if (name == "--max-volt-drop") {
            const std::string v = value();
            double x = 0;
            if (!TryStrToFloat(v, x) || x < 0)
                throw EUsageError("--max-volt-drop needs a number of volts, 0 or more, not '" + v +
                                  "'");
            o.MaxVoltDrop = x;
        } else if (name == "--format") {
            const std::string v = value();
            if (v == "csv")
                o.Format = TOutputFormat::Csv;
            else if (v == "jsonl")
                o.Format = TOutputFormat::Jsonl;
            else
                throw EUsageError("--format is csv or jsonl, not '" + v + "'");
        } else {
            throw EUsageError("unknown option '" + a + "'");
        }
    }
    return o;
}

std::string UsageText() {
    return "Usage: ampwise-schedule [OPTION]... [INPUT]\n"
           "Size every circuit of a CSV cable schedule with Ampwise's engine and data.\n"
           "Reads INPUT, or standard input when INPUT is absent or \"-\".\n"
           "\n"
           "  -o, --output FILE        write FILE, which appears only when the run is complete\n"
           "      --data FILE          the electrical data file (default: the one Ampwise reads)\n"
           "      --max-volt-drop V    the allowed voltage drop in volts (default: Ampwise's\n"
           "                           setting, else 5.5)\n"
           "      --format csv|jsonl   CSV with a header row, or one JSON object a line (csv)\n"
           "  -h, --help               show this help and exit\n"
           "      --version            show the version and exit\n"
           "\n"
           "The header names the columns, in any order and without regard to case, blanks, \"_\"\n"
           "and \"-\": Circuit (optional), Material, Load Type (Resistive or Inductive), Phase\n"
           "(Single or Three), Power (kW, W or HP; kW without a unit), Length (m, cm, mm, inch\n"
           "or ft; m without a unit), Max Volt Drop (optional, volts). Other columns are copied\n"
           "through. Added: Current (A), Size (mm²), Voltage Drop (V), Limited By, Status.\n"
           "\n"
           "Exit status: 0 every circuit solved, 1 some circuit not solved or in error,\n"
           "2 a usage, file or data error.\n";
}

std::string MainWindowSettingsPath(const std::string& appPath) {
    const std::string folder = appPath.empty() ? std::string("./") : appPath;
    const std::string beside = folder + "Ampwise.ini";
    const bool besideWritable = ::access(folder.c_str(), W_OK) == 0 &&
                                (!Exists(beside) || ::access(beside.c_str(), W_OK) == 0);
    if (besideWritable)
        return beside;
    const std::string own = UserConfigFolder() + "Ampwise.ini";
    return Exists(own) ? own : beside;
}

namespace {

// Sizes and writes every record the reader gives, appending to out; with a writer, hands out over
// in pieces. False when some circuit is not solved.
bool SizeRecords(TCsvReader& reader, const TScheduleSizer& sizer, const TScheduleLayout& layout,
                 const TScheduleFormatter& formatter, TTextBuffer& out,
                 const std::function<void(std::string_view)>* write) {
    std::vector<std::string_view> record;
    bool allSolved = true;
    while (reader.Next(record)) {
        if (IsBlankRecord(record))
            continue;
        const TRowResult r = sizer.SizeRecord(record, layout);
        allSolved = allSolved && r.Status == TRowStatus::Solved;
        formatter.AppendRow(out, record, r, reader.PlainRecordText());
        if (write && out.Size() >= kFlushBytes) {
            (*write)(out.View());
            out.Clear();
        }
    }
    return allSolved;
}

// Sizes and writes the records of text held in memory (followed by TCsvReader::kReadPast readable
// bytes), a batch at a time: all of a batch are sized, then all written, so that the processor
// works on several rows at once rather than waiting on each row's arithmetic in turn. Returns
// false when some circuit is not solved, and the line breaks read.
std::pair<bool, std::size_t> SizeRecordsInPlace(std::string_view text, const TScheduleSizer& sizer,
                                                const TScheduleLayout& layout,
                                                const TScheduleFormatter& formatter,
                                                TTextBuffer& out) {
    constexpr std::size_t kBatch = 32;
    TCsvReader reader = TCsvReader::InPlace(text);
    std::vector<std::string_view> record;
    std::array<std::string_view, kBatch> plain;
    std::array<TCircuitText, kBatch> circuits;
    std::array<TRowResult, kBatch> results;
    std::size_t n = 0;
    bool allSolved = true;
    // A batched record has every field of the header (CircuitOf, without its checks).
    auto field = [&](TColumn c) {
        const int i = layout.Position(c);
        return i < 0 ? std::string_view() : record[static_cast<std::size_t>(i)];
    };
    auto flush = [&] {
        for (std::size_t k = 0; k < n; ++k)
            sizer.Size(circuits[k], results[k]);
        for (std::size_t k = 0; k < n; ++k) {
            allSolved = allSolved && results[k].Status == TRowStatus::Solved;
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
            allSolved = allSolved && r.Status == TRowStatus::Solved;
            formatter.AppendRow(out, record, r, reader.PlainRecordText());
            continue;
        }
        plain[n] = reader.PlainRecordText();
        circuits[n] = {field(TColumn::Material), field(TColumn::LoadType),
                       field(TColumn::Phase),    field(TColumn::Power),
                       field(TColumn::Length),   field(TColumn::MaxVoltDrop)};
        if (++n == kBatch)
            flush();
    }
    flush();
    return {allSolved, reader.NextLine() - 1};
}

// A piece of the input cut between records, and what sizing it gave.
struct TChunk {
    TTextBuffer In;
    TTextBuffer Out;
    bool AllSolved = true;
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
                        std::tie(c->AllSolved, c->Lines) =
                            SizeRecordsInPlace(c->In.View(), sizer, layout, own, c->Out);
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

// Reads raw input onto the end of text, up to `want` bytes; false at the end of the input.
bool ReadOnto(TCsvReader& reader, TTextBuffer& text, std::size_t want) {
    char* at = text.Room(want);
    const std::size_t n = reader.ReadRaw(at, want);
    text.Advance(at + n);
    return n > 0;
}

// The rows after the header on several threads: the input is cut after a line feed into chunks
// that the threads size in turn, and the caller's thread writes each chunk's output in input
// order. A chunk holding a double quote cannot be cut without reading it as the reader does, so
// from there on the rows are sized here, in order, by the reader.
bool SizeRecordsOnThreads(TCsvReader& reader, const TScheduleSizer& sizer,
                          const TScheduleLayout& layout, const TScheduleFormatter& formatter,
                          const std::function<void(std::string_view)>& write,
                          const TScheduleRunOptions& options, unsigned threads) {
    const std::size_t slots = 2 * std::size_t{threads};
    const std::size_t chunkBytes = std::max<std::size_t>(options.ChunkBytes, 1);
    const std::size_t maxRecordBytes = reader.MaxRecordBytes();
    std::vector<TChunk> chunks(slots);
    TChunkWorkers workers(threads, chunks, sizer, layout, formatter);

    bool allSolved = true;
    std::size_t line = reader.NextLine();
    std::size_t queued = 0, written = 0;
    auto writeNext = [&] {
        TChunk& c = chunks[written % slots];
        workers.WaitFor(c);
        if (c.Error)
            std::rethrow_exception(c.Error);
        write(c.Out.View());
        allSolved = allSolved && c.AllSolved;
        line += c.Lines;
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
        // Read until the chunk holds a whole record, at least, and ends after a line feed; an
        // unbroken run of text reads on to the longest record the reader takes.
        bool quoted = rest.find('"') != std::string::npos;
        std::size_t lf = rest.rfind('\n');
        std::size_t cut = std::string::npos;
        while (!quoted) {
            const std::size_t from = c.In.Size();
            if (more) // up to the chunk's size, or as much again for a record longer than that
                more = ReadOnto(reader, c.In, from < chunkBytes ? chunkBytes - from : from);
            const std::string_view read = c.In.View().substr(from);
            quoted = read.find('"') != std::string_view::npos;
            if (const std::size_t at = read.rfind('\n'); at != std::string_view::npos)
                lf = from + at;
            if (!more) {
                cut = c.In.Size();
                break;
            }
            if (c.In.Size() < chunkBytes)
                continue;
            if (lf != std::string::npos) {
                cut = lf + 1;
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
            TTextBuffer out;
            allSolved = SizeRecords(tail, sizer, layout, formatter, out, &write) && allSolved;
            write(out.View());
            return allSolved;
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
    return allSolved;
}

} // namespace

TScheduleLayout ReadScheduleHeader(TCsvReader& reader, std::vector<std::string>& header) {
    std::vector<std::string_view> record;
    bool any = false;
    while ((any = reader.Next(record)) && IsBlankRecord(record)) {
    }
    if (!any)
        throw ECsvError("the input is empty: it needs a header row naming the columns");
    header.assign(record.begin(), record.end());
    try {
        return MatchHeader(header);
    } catch (const EScheduleError& e) {
        throw ECsvError("line " + std::to_string(reader.RecordLine()) + ": " + e.what());
    }
}

int RunSchedule(TCsvReader& reader, const TScheduleSizer& sizer, TOutputFormat format,
                const std::function<void(std::string_view)>& write,
                const TScheduleRunOptions& options) {
    std::vector<std::string> header;
    const TScheduleLayout layout = ReadScheduleHeader(reader, header);
    const TScheduleFormatter formatter(format, header, layout);

    std::string headerText;
    formatter.AppendHeader(headerText);
    TTextBuffer out;
    out.Append(headerText);
    unsigned threads = options.Threads;
    if (threads == 0)
        threads = std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
    bool allSolved = true;
    if (threads > 1) {
        write(out.View());
        allSolved = SizeRecordsOnThreads(reader, sizer, layout, formatter, write, options, threads);
    } else {
        allSolved = SizeRecords(reader, sizer, layout, formatter, out, &write);
        write(out.View());
    }
    return allSolved ? 0 : 1;
}

} // namespace qv
