// The command-line sizer's arguments, usage text and the main window's settings file (see
// QvScheduleArgs.h).
#include "schedulecli/QvScheduleArgs.h"

#include "settings/QvApplicationPath.h"
#include "settings/QvSysUtils.h"

#include <sys/stat.h>
#include <unistd.h>

namespace qv {

namespace {

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
        } else if (name == "--delimiter" || name == "--output-delimiter") {
            const std::string v = value();
            const char d = v == "," ? ',' : v == ";" ? ';' : v == "tab" || v == "\t" ? '\t' : 0;
            if (!d)
                throw EUsageError(name + " is ',', ';' or tab, not '" + v + "'");
            (name == "--delimiter" ? o.Delimiter : o.OutputDelimiter) = d;
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
           "  -o, --output FILE        write FILE, which appears only once the run is done\n"
           "      --data FILE          the electrical data file (default: Ampwise's)\n"
           "      --max-volt-drop V    the allowed voltage drop along one conductor (V)\n"
           "                           (default: Ampwise's setting, else 5.5)\n"
           "      --format csv|jsonl   CSV with a header row (the default), or JSON lines\n"
           "      --delimiter D        the input's field separator: ',', ';' or tab\n"
           "                           (default: the one that splits the header row)\n"
           "      --output-delimiter D the output's separator (default: the input's)\n"
           "  -h, --help               show this help and exit\n"
           "      --version            show the version and exit\n"
           "\n"
           "The header names the columns, in any order and without regard to case, blanks,\n"
           "\"_\" and \"-\": Circuit (optional), Material, Load Type (Resistive or Inductive),\n"
           "Phase (Single or Three), Power (kW, W or HP), Length (m, cm, mm, inch or ft),\n"
           "Max Volt Drop (optional, V). A unit in the header, \"Length [ft]\", is that of\n"
           "the column's bare numbers (else kW, m); a cell's own unit wins. A cell holds a\n"
           "plain number and an optional unit: anything else is an error row. Other\n"
           "columns are copied through. Added: Current (A), Size (mm²), Voltage Drop (V),\n"
           "Limited By, Status. With ';' as separator numbers have a decimal comma.\n"
           "\n"
           "With a Method column, each circuit is also sized to IEC 60364-5-52. Optional\n"
           "columns (an empty cell takes the standard's default): Method (A1, A2, B1, B2,\n"
           "C, D1, D2, E), Insulation (PVC, XLPE, EPR), Ambient (°C, °F or K; air, or\n"
           "ground for D1, D2), Soil Resistivity (K·m/W), Grouped Circuits (1 to 20),\n"
           "Arrangement (bunched, single layer, under ceiling, perforated tray, ladder,\n"
           "ducts touching, direct touching), Device (breaker, gG), Device Rating (A),\n"
           "Voltage (V), Power Factor, Max Drop (%), Fault Current (kA), Fault Time (s).\n"
           "Added after the others: IEC Size (mm²), Iz (A), IEC Voltage Drop (%), IEC\n"
           "Limited By, IEC Status; empty for a row whose Method cell is empty.\n"
           "\n"
           "Exit status: 0 every circuit solved, 1 some circuit not solved or in error\n"
           "by either answer (counted on standard error), 2 a usage, file or data error.\n";
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

} // namespace qv
