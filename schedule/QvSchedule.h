// A cable schedule: circuits read from CSV by their header, each sized with the engine's
// arithmetic and data, and written back as CSV or JSON lines with the results after the input
// columns. Pure standard C++, shared by the command-line sizer and any window that holds a
// schedule, so the two can never disagree.
#pragma once

#include "core/QvCableSizes.h"
#include "text/QvNumberText.h"
#include "text/QvTextBuffer.h"
#include "units/QvConv.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

// Input the run cannot go on with (a header without a needed column, say).
class EScheduleError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The columns a schedule knows. Input columns come first, then the result columns; a result
// column found in the input (a schedule sized before) is worked out afresh, not copied. The
// installation columns and the answer to the installation standard come after Other, so that
// the positions of the others never move; a layout reads them only beside a Method column.
enum class TColumn : std::uint8_t {
    Circuit,
    Material,
    LoadType,
    Phase,
    Power,
    Length,
    MaxVoltDrop,
    Current,
    Size,
    VoltageDrop,
    LimitedBy,
    Status,
    Other,
    // The installation, each optional but Method.
    Method,
    Insulation,
    Ambient,
    SoilResistivity,
    GroupedCircuits,
    Arrangement,
    Device,
    DeviceRating,
    Voltage,
    PowerFactor,
    MaxDrop,
    FaultCurrent,
    FaultTime,
    // The answer to the installation standard.
    IecSize,
    Iz,
    IecVoltageDrop,
    IecLimitedBy,
    IecStatus,
};
inline constexpr std::size_t kInputColumnCount = 7;
inline constexpr std::size_t kResultColumnCount = 5;
inline constexpr std::size_t kIecInputColumnCount = 13;
inline constexpr std::size_t kIecResultColumnCount = 5;
inline constexpr TColumn kFirstIecInput = TColumn::Method;
inline constexpr TColumn kFirstIecResult = TColumn::IecSize;
// Position of an installation column among them (Method 0 ... Fault Time 12).
inline constexpr std::size_t IecInputIndex(TColumn column) {
    return static_cast<std::size_t>(column) - static_cast<std::size_t>(kFirstIecInput);
}
inline constexpr bool IsIecInput(TColumn column) {
    return column >= kFirstIecInput && column < kFirstIecResult;
}
inline constexpr bool IsIecResult(TColumn column) {
    return column >= kFirstIecResult && column <= TColumn::IecStatus;
}

// The name a column is written with ("Load Type", "Current (A)", "Grouped Circuits").
const char* ColumnName(TColumn column);
// A header name compared without regard to ASCII case, blanks, "_" and "-". Power, Length, Max
// Volt Drop and the installation's quantities may be followed by a unit in parentheses or
// brackets ("Length [ft]", "Ambient (°F)"). The kind goes by the name alone: whether a layout
// reads an installation column depends on the header having a Method column.
TColumn ColumnOf(std::string_view headerName);
// The unit text a header name gives after a quantity's name ("ft" of "Length [ft]"), blanks
// trimmed; empty when it gives none.
std::string_view HeaderUnitText(std::string_view headerName);
// The one unit an installation quantity is written in ("A" for Device Rating, "K·m/W" for Soil
// Resistivity); nullptr for a column without a unit or with one of the unit catalogue's types
// (Ambient, whose type ColumnUnitsType gives).
const char* ColumnUnit(TColumn column);
// The unit catalogue's type of a column read in the catalogue's units: utPower, utLengthPrim,
// utTemperature for Ambient; utNone for every other.
TUnitsType ColumnUnitsType(TColumn column);

// Where a header put the columns.
struct TScheduleLayout {
    // Position of each input column (TColumn::Circuit to MaxVoltDrop); -1 when absent.
    std::array<int, kInputColumnCount> Input{};
    // For Power and Length, the catalogue position of the unit the header names, in which the
    // column's cells that carry no unit of their own are read; 0, the base unit, by default.
    std::array<int, kInputColumnCount> Unit{};
    // Position of each installation column (TColumn::Method to FaultTime); all -1 without a Method
    // column, when a column of such a name is only a column to keep. Ambient's unit as for Power.
    std::array<int, kIecInputColumnCount> IecInput = NoColumns();
    int AmbientUnit = 0;
    // Positions of the input fields copied to the output, in order: all but result columns.
    std::vector<std::size_t> Kept;
    std::size_t Width = 0; // fields in the header
    // How the file is written, which its output keeps: the field separator (with ";", numbers
    // have a decimal comma, as spreadsheets write them where the comma is the decimal mark) and
    // whether it starts with a byte-order mark.
    char Separator = ',';
    bool ByteOrderMark = false;
    bool DecimalComma() const { return Separator == ';'; }
    // Whether the schedule is answered to the installation standard too (it has a Method column).
    bool HasIec() const { return IecInput[0] >= 0; }
    int Position(TColumn column) const {
        const auto i = static_cast<std::size_t>(column);
        if (i < kInputColumnCount)
            return Input[i];
        return IsIecInput(column) ? IecInput[IecInputIndex(column)] : -1;
    }
    int UnitOf(TColumn column) const {
        const auto i = static_cast<std::size_t>(column);
        return i < kInputColumnCount ? Unit[i] : column == TColumn::Ambient ? AmbientUnit : 0;
    }

  private:
    static constexpr std::array<int, kIecInputColumnCount> NoColumns() {
        std::array<int, kIecInputColumnCount> a{};
        a.fill(-1);
        return a;
    }
};

// Raises EScheduleError naming every needed column that is missing, one that appears twice, or a
// unit in a header that is not one of its quantity's.
TScheduleLayout MatchHeader(const std::vector<std::string>& header);

// One circuit's installation as written, for its answer to the installation standard. An empty
// cell takes the standard library's default; an empty Method cell asks for no such answer.
struct TInstallationText {
    std::array<std::string_view, kIecInputColumnCount> Cells{}; // by IecInputIndex
    int AmbientUnit = 0; // the catalogue position of the unit of an Ambient cell that has none
    bool DecimalComma = false;
    bool Present = false; // the schedule has a Method column
    // column: an installation column (IsIecInput).
    std::string_view Cell(TColumn column) const { return Cells[IecInputIndex(column)]; }
    std::string_view& Cell(TColumn column) { return Cells[IecInputIndex(column)]; }
};

// One circuit's inputs as written. An empty MaxVoltDrop takes the schedule's default.
struct TCircuitText {
    std::string_view Material;
    std::string_view LoadType;
    std::string_view Phase;
    std::string_view Power;  // number and an optional power unit; kW without one
    std::string_view Length; // number and an optional length unit; m without one
    std::string_view MaxVoltDrop;
    // The catalogue positions of the units of Power and Length cells that carry none.
    int PowerUnit = 0;
    int LengthUnit = 0;
    bool DecimalComma = false; // "," is read as the decimal point
    TInstallationText Installation{};
};
// The circuit's fields of a record laid out as the header says; missing fields read as empty.
TCircuitText CircuitOf(const std::vector<std::string_view>& record, const TScheduleLayout& layout);

enum class TRowStatus : std::uint8_t { Solved, NotSolved, Error };

// A circuit's answer to the installation standard, as a schedule shows it.
struct TIecRowResult {
    TRowStatus Status = TRowStatus::Error;
    std::optional<double> Size;        // mm², when solved
    std::optional<double> Iz;          // A, of the chosen size
    std::optional<double> DropPercent; // % of U0, of the chosen size
    // The checks that fail one size down ("current", "device and voltage drop"); empty when none
    // does (the smallest size of the list passes, or the one below is not rated).
    std::string LimitedBy;
    std::string Error;  // why, naming the cell, when Status is Error
    std::string Reason; // why no size may be used, when Status is NotSolved
    // "Solved", "Not Solved: " and why, or "Error: " and the message.
    std::string StatusText() const;
};

struct TRowResult {
    TRowStatus Status = TRowStatus::Error;
    std::optional<double> Current;   // A
    std::optional<double> Size;      // mm², when solved
    std::optional<double> VoltDrop;  // V, when solved
    std::optional<TLimit> LimitedBy; // for the chosen size
    std::string Error;               // why, when Status is Error
    std::string Reason;              // why no size fits, when Status is NotSolved
    // The answer to the installation standard; none without a Method column or with an empty
    // Method cell.
    std::optional<TIecRowResult> Iec;
    // "Solved", "Not Solved" (and ": " and why, when known) or "Error: " and the message.
    std::string StatusText() const;
};

// What a circuit's own sizing found that its answer to the installation standard starts from.
struct TCircuitFacts {
    std::string_view Material; // as the data file names it
    std::uint8_t LoadType = 0; // position in LoadTypeNames
    std::uint8_t Phase = 0;    // position in PhaseNames
    double Power = 0;          // kW
    double Length = 0;         // m
    double Current = 0;        // the line current, A
    double PowerFactor = 1;    // the one the line current assumes (LoadPowerFactor)
    const std::vector<double>* Sizes = nullptr; // the data file's sizes, mm², ascending
};

// Answers a circuit to the installation standard. The schedule library only calls it, so that
// what links the schedule alone carries none of the standard's tables (see scheduleiec/).
class TInstallationSizer {
  public:
    virtual ~TInstallationSizer() = default;
    // Never raises: a cell that does not read gives an Error answer naming it.
    virtual void Size(const TInstallationText& cells, const TCircuitFacts& facts,
                      TIecRowResult& into) const = 0;
};

// A value in the base unit of a unit type from a cell as a file holds it: a plain decimal number
// ("-", digits, one ".", an exponent), blanks around it, optionally followed by a unit label of
// the catalogue (any letter case); in unit `unit` without one. Text the main window's cleaning
// would read as some other number ("40-50", "7.5.1", "1 2") is refused, as a typing slip in a
// file must never be sized. Raises EScheduleError naming `what`.
double ParseQuantity(std::string_view text, TUnitsType type, const char* what, int unit = 0,
                     bool decimalComma = false);
// The same for a quantity of one unit (`unit`, as ColumnUnit gives it; nullptr for a plain
// number), which the cell may write after its number. An empty cell is an error too.
double ParseFixedQuantity(std::string_view text, const char* unit, const char* what,
                          bool decimalComma = false);
// The position in the catalogue of the unit written after a quantity's number: `unit` when none
// is written (or there is no number), -1 when the unit is not one of the type's.
int QuantityUnit(std::string_view text, TUnitsType type, int unit = 0);
// The cell as it reads without its file: with the label of `unit` after its number when it
// carries no unit of its own, and a decimal comma (decimalComma) as a point.
std::string CellWithUnit(std::string_view text, TUnitsType type, int unit,
                         bool decimalComma = false);

// Sizes circuits against one electrical data set.
class TScheduleSizer {
  public:
    // With `installation`, rows of a schedule with a Method column are answered to the
    // installation standard too; without it, such rows get an Error answer saying so.
    TScheduleSizer(TElecData data, double maxVoltDrop,
                   std::shared_ptr<const TInstallationSizer> installation = nullptr);

    // A bad circuit (unknown material, a number that does not parse, a zero length, a power
    // above the limit of its load, the arithmetic's own error) gives an Error row; nothing raises.
    TRowResult Size(const TCircuitText& circuit) const;
    // The same into a result already there, which saves making one for every row.
    void Size(const TCircuitText& circuit, TRowResult& into) const;
    // A record laid out as the header says; one with more fields than the header is an Error row.
    TRowResult SizeRecord(const std::vector<std::string_view>& record,
                          const TScheduleLayout& layout) const;

    // What the circuit's own sizing finds that its answer to the installation standard starts
    // from; raises EScheduleError for a circuit whose own row is an Error row, with its message.
    TCircuitFacts Facts(const TCircuitText& circuit) const;

    const TElecData& Data() const { return m_data; }
    double MaxVoltDrop() const { return m_maxVoltDrop; }
    const std::shared_ptr<const TInstallationSizer>& Installation() const { return m_installation; }

  private:
    const MaterialRec& Material(std::string_view name) const;
    // Sizes the circuit into r, and gives its facts when asked; raises for an Error row.
    void SizeOwn(const TCircuitText& circuit, TRowResult& r, TCircuitFacts* facts) const;
    // What stops the largest size, for a row no size carries; empty when that cannot be said.
    std::string NotSolvedReason(double conductivity, double length, double maxVoltDrop,
                                double current) const;
    // The installation's answer for a circuit whose own sizing is in r.
    void SizeInstallation(const TCircuitText& circuit, const TCircuitFacts& facts,
                          TRowResult& r) const;

    TElecData m_data;
    TSizeTable m_table;
    double m_maxVoltDrop;
    std::shared_ptr<const TInstallationSizer> m_installation;
    std::vector<double> m_ascendingSizes; // the data file's sizes, sorted, once
    // The materials whose name, written exactly, can name no other (it has no blanks around it
    // and differs from every earlier name in more than letter case).
    std::vector<std::size_t> m_exactNames;
};

enum class TOutputFormat : std::uint8_t { Csv, Jsonl };

// Writes a schedule: the kept input columns, then the results. CSV has a header row; JSON lines
// give one object per circuit keyed by the same names, numbers as JSON numbers and null for none.
class TScheduleFormatter {
  public:
    // CSV is written with `separator` (0: the input's, from the layout) and, with ";", a decimal
    // comma in the numbers it adds.
    TScheduleFormatter(TOutputFormat format, const std::vector<std::string>& header,
                       TScheduleLayout layout, char separator = 0);

    void AppendHeader(std::string& out) const;
    // plainText, when given, is the record's text as read, which writing its fields would give
    // (TCsvReader::PlainRecordText); it is copied as it is where every field is kept.
    void AppendRow(std::string& out, const std::vector<std::string_view>& record,
                   const TRowResult& result, std::string_view plainText = {}) const;
    // The same, sooner for a solved row written as its text as read. It keeps the texts of sizes
    // it has written, so one formatter serves one thread.
    void AppendRow(TTextBuffer& out, const std::vector<std::string_view>& record,
                   const TRowResult& result, std::string_view plainText = {}) const;
    // Whether a record of that many fields and that text as read (TCsvReader::PlainRecordText)
    // is written as its text followed by the results; AppendTextRow then writes it.
    bool WritesTextAsRead(std::size_t fields, std::string_view plainText) const;
    void AppendTextRow(TTextBuffer& out, std::string_view text, const TRowResult& result) const;

  private:
    // The row from its n-th kept field on.
    void AppendRowFrom(std::string& out, const std::vector<std::string_view>& record,
                       const TRowResult& result, std::size_t n) const;
    // Writes the text of a number that recurs (a size of the table) from what it wrote before.
    char* WriteRecurring(char* p, double value) const;

    TOutputFormat m_format;
    TScheduleLayout m_layout;
    char m_sep = ',';
    bool m_decimalComma = false;
    bool m_keepsAll = false;          // every input field is kept, in place
    std::vector<std::string> m_names; // CSV: the header fields; JSON: the quoted keys and ":"
    struct TRecurring {
        std::uint64_t Bits = 0;
        std::uint8_t Size = 0; // 0: a free slot
        char Text[kShortestMax];
    };
    mutable std::array<TRecurring, 64> m_recurring;
    mutable std::string m_scratch;
};

// User text inside a message: quoted, cut to a few words, and without control characters.
std::string QuotedCell(std::string_view text);

// Appends text as a JSON string; bytes that are not UTF-8 become U+FFFD.
void AppendJsonString(std::string& out, std::string_view text);

} // namespace qv
