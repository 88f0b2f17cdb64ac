// A cable schedule held whole in memory, as a window holds it: its rows with their results, read
// from CSV a few rows at a time, written back exactly as ampwise-schedule writes the same input,
// and the tab-separated text that spreadsheets copy and paste. Pure standard C++.
#pragma once

#include "text/QvCsv.h"
#include "schedule/QvSchedule.h"

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qv {

// One circuit: its fields as the header lays them out (a row may hold fewer, or more, which is
// an error of that row), and what sizing them gave.
struct TScheduleRow {
    std::vector<std::string> Fields;
    TRowResult Result;
};

// The header of a new schedule: Circuit, Material, Load Type, Phase, Power, Length.
const std::vector<std::string>& DefaultScheduleHeader();

// Sizes a row's fields as ampwise-schedule sizes the same record.
TRowResult SizeFields(const TScheduleSizer& sizer, const TScheduleLayout& layout,
                      const std::vector<std::string>& fields);

// A record as wide as the header with the given input columns filled in; columns the header
// lacks are left out.
std::vector<std::string> MakeFields(const TScheduleLayout& layout,
                                    const std::vector<std::pair<TColumn, std::string>>& values);

// Reads a schedule in steps: the header at once, then the rows as many at a time as the caller
// asks, so that a window can show its progress and stay responsive in between.
class TScheduleReader {
  public:
    // Reads the header; raises ECsvError for input without a usable one (see ReadScheduleHeader).
    explicit TScheduleReader(TCsvReader::TSource source);

    const std::vector<std::string>& Header() const { return m_header; }
    const TScheduleLayout& Layout() const { return m_layout; }

    // Reads up to `count` more rows, sizes them and appends them to `rows`; blank lines are
    // skipped. False once the input is done. Raises ECsvError for a record that cannot be read.
    bool ReadRows(std::vector<TScheduleRow>& rows, std::size_t count, const TScheduleSizer& sizer);

  private:
    TCsvReader m_reader;
    std::vector<std::string> m_header;
    TScheduleLayout m_layout;
    std::vector<std::string_view> m_record;
    bool m_done = false;
};

// Writes the schedule as CSV, header first, handing the text to `write` in pieces: the same bytes
// ampwise-schedule writes for the same input.
void WriteScheduleCsv(const std::vector<std::string>& header, const TScheduleLayout& layout,
                      const std::vector<TScheduleRow>& rows,
                      const std::function<void(std::string_view)>& write);

// The result columns' text as the CSV holds it: Current (A), Size (mm²), Voltage Drop (V),
// Limited By, Status.
std::array<std::string, kResultColumnCount> ResultCells(const TRowResult& result);
// The same of the answer to the installation standard: IEC Size (mm²), Iz (A), IEC Voltage Drop
// (%), IEC Limited By, IEC Status; all empty for a row without one.
std::array<std::string, kIecResultColumnCount> IecResultCells(const TRowResult& result);

// Tab-separated text as spreadsheets put it on the clipboard: cells split at tabs, rows at CR LF,
// LF or CR; a cell starting with a double quote is quoted and may hold tabs, line breaks and
// doubled quotes. A line break at the end closes the last row rather than starting another.
std::vector<std::vector<std::string>> ParseTabText(std::string_view text);
// Appends one row and a line break; a cell holding a tab or a line break, or starting with a
// double quote, is quoted.
void AppendTabRow(std::string& out, const std::vector<std::string>& cells);

// Pasted rows as records of the header. When the first row names at least two of the columns a
// schedule reads, it is a header: cells go by those names (other names match the header's own
// columns without regard to ASCII case) and it is not a circuit. Otherwise cells go in the order
// of the kept input columns, and cells past them (results copied with the rows) are dropped.
// Rows with no text at all are left out.
std::vector<std::vector<std::string>>
RecordsFromTable(const std::vector<std::vector<std::string>>& table,
                 const std::vector<std::string>& header, const TScheduleLayout& layout);

} // namespace qv
