// Arguments, the main window's settings file, the all-or-nothing output file and the streaming
// run of the command-line sizer (see QvScheduleRun.h).
#include "schedule/QvScheduleRun.h"

#include "settings/QvApplicationPath.h"
#include "settings/QvSysUtils.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qv {

namespace {

constexpr std::size_t kFlushBytes = 64 * 1024;

bool Exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

[[noreturn]] void Fail(const std::string& what, const std::string& path) {
    throw EScheduleError(what + " " + path + ": " + std::strerror(errno));
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

TOutputFile::TOutputFile(const std::string& path) : m_path(path) {
    if (path.empty() || path == "-")
        return;
    m_file = true;
    const std::string folder = FolderOf(path);
    struct stat st {};
    const bool exists = ::stat(path.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode))
        throw EScheduleError("cannot write " + path + ": it is a folder");
    // An unnamed file leaves nothing behind even when the run is killed.
    m_fd = ::access("/proc/self/fd", X_OK) == 0
               ? ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666)
               : -1;
    if (m_fd < 0) {
        std::string name = path + ".tmp-XXXXXX";
        m_fd = ::mkostemp(name.data(), O_CLOEXEC);
        if (m_fd < 0)
            Fail("cannot create a file beside", path);
        m_tempName = name;
        const mode_t mask = ::umask(0);
        ::umask(mask);
        if (!exists)
            (void)::fchmod(m_fd, 0666 & ~mask);
    }
    if (exists)
        (void)::fchmod(m_fd, st.st_mode & 07777);
}

TOutputFile::~TOutputFile() {
    if (!m_file || m_done)
        return;
    ::close(m_fd);
    if (!m_tempName.empty())
        ::unlink(m_tempName.c_str());
}

void TOutputFile::Write(std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::write(m_fd, data.data(), data.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            Fail("cannot write", m_file ? m_path : std::string("the output"));
        data.remove_prefix(static_cast<std::size_t>(n));
    }
}

void TOutputFile::Commit() {
    if (!m_file || m_done)
        return;
    if (::fsync(m_fd) != 0)
        Fail("cannot write", m_path);
    if (m_tempName.empty()) {
        // Give the unnamed file a name beside the target, then move it into place.
        const std::string proc = "/proc/self/fd/" + std::to_string(m_fd);
        for (int attempt = 0; m_tempName.empty(); ++attempt) {
            const std::string name =
                m_path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
            if (::linkat(AT_FDCWD, proc.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0)
                m_tempName = name;
            else if (errno != EEXIST || attempt > 100)
                Fail("cannot write", m_path);
        }
    }
    const bool closed = ::close(m_fd) == 0;
    m_done = true;
    if (!closed || ::rename(m_tempName.c_str(), m_path.c_str()) != 0) {
        const int error = errno;
        ::unlink(m_tempName.c_str());
        errno = error;
        Fail("cannot write", m_path);
    }
}

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
                const std::function<void(std::string_view)>& write) {
    std::vector<std::string> header;
    const TScheduleLayout layout = ReadScheduleHeader(reader, header);
    const TScheduleFormatter formatter(format, header, layout);

    std::vector<std::string_view> record;
    std::string out;
    formatter.AppendHeader(out);
    bool allSolved = true;
    while (reader.Next(record)) {
        if (IsBlankRecord(record))
            continue;
        const TRowResult r = sizer.SizeRecord(record, layout);
        allSolved = allSolved && r.Status == TRowStatus::Solved;
        formatter.AppendRow(out, record, r, reader.PlainRecordText());
        if (out.size() >= kFlushBytes) {
            write(out);
            out.clear();
        }
    }
    write(out);
    return allSolved ? 0 : 1;
}

} // namespace qv
