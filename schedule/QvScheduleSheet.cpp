// A schedule in memory: stepwise reading, CSV writing and tab-separated text (see
// QvScheduleSheet.h).
#include "schedule/QvScheduleSheet.h"

#include "schedule/QvScheduleRun.h"
#include "settings/QvTextUtils.h"

namespace qv {

namespace {

constexpr std::size_t kWriteBytes = 64 * 1024;

std::vector<std::string_view> Views(const std::vector<std::string>& fields) {
    return {fields.begin(), fields.end()};
}

// For each cell of a pasted header row, the field it fills (-1: none), and how many of them name
// columns a schedule reads.
std::pair<std::vector<int>, int> HeaderTargets(const std::vector<std::string>& names,
                                               const std::vector<std::string>& header,
                                               const TScheduleLayout& layout) {
    std::vector<int> targets(names.size(), -1);
    int known = 0;
    // A kept field the layout reads as no column of its own (installation columns are such
    // without a Method column).
    auto plain = [&](std::size_t k) {
        const TColumn c = ColumnOf(header[k]);
        return c == TColumn::Other || (IsIecInput(c) && layout.Position(c) < 0) ||
               (IsIecResult(c) && !layout.HasIec());
    };
    for (std::size_t i = 0; i < names.size(); ++i) {
        const TColumn c = ColumnOf(names[i]);
        if (static_cast<std::size_t>(c) < kInputColumnCount ||
            (IsIecInput(c) && layout.Position(c) >= 0)) {
            ++known;
            targets[i] = layout.Position(c);
        } else if (c == TColumn::Other || IsIecInput(c) || (IsIecResult(c) && !layout.HasIec())) {
            for (std::size_t k : layout.Kept)
                if (plain(k) && SameNameAscii(TrimBlanks(header[k]), TrimBlanks(names[i])))
                    targets[i] = static_cast<int>(k);
        }
    }
    return {targets, known};
}

} // namespace

const std::vector<std::string>& DefaultScheduleHeader() {
    static const std::vector<std::string> header = [] {
        std::vector<std::string> h;
        for (TColumn c : {TColumn::Circuit, TColumn::Material, TColumn::LoadType, TColumn::Phase,
                          TColumn::Power, TColumn::Length})
            h.emplace_back(ColumnName(c));
        return h;
    }();
    return header;
}

TRowResult SizeFields(const TScheduleSizer& sizer, const TScheduleLayout& layout,
                      const std::vector<std::string>& fields) {
    return sizer.SizeRecord(Views(fields), layout);
}

std::vector<std::string> MakeFields(const TScheduleLayout& layout,
                                    const std::vector<std::pair<TColumn, std::string>>& values) {
    std::vector<std::string> fields(layout.Width);
    for (const auto& [column, text] : values) {
        const int i = layout.Position(column);
        if (i >= 0)
            fields[static_cast<std::size_t>(i)] = text;
    }
    return fields;
}

TScheduleReader::TScheduleReader(TCsvReader::TSource source) : m_reader(std::move(source)) {
    m_layout = ReadScheduleHeader(m_reader, m_header);
}

bool TScheduleReader::ReadRows(std::vector<TScheduleRow>& rows, std::size_t count,
                               const TScheduleSizer& sizer) {
    for (std::size_t n = 0; n < count && !m_done;) {
        if (!m_reader.Next(m_record)) {
            m_done = true;
            break;
        }
        if (IsBlankRecord(m_record))
            continue;
        TScheduleRow& row = rows.emplace_back();
        row.Fields.assign(m_record.begin(), m_record.end());
        row.Result = sizer.SizeRecord(m_record, m_layout);
        ++n;
    }
    return !m_done;
}

void WriteScheduleCsv(const std::vector<std::string>& header, const TScheduleLayout& layout,
                      const std::vector<TScheduleRow>& rows,
                      const std::function<void(std::string_view)>& write) {
    const TScheduleFormatter formatter(TOutputFormat::Csv, header, layout);
    std::string out;
    formatter.AppendHeader(out);
    std::vector<std::string_view> record;
    for (const TScheduleRow& row : rows) {
        record.assign(row.Fields.begin(), row.Fields.end());
        formatter.AppendRow(out, record, row.Result);
        if (out.size() >= kWriteBytes) {
            write(out);
            out.clear();
        }
    }
    write(out);
}

std::array<std::string, kResultColumnCount> ResultCells(const TRowResult& result) {
    std::array<std::string, kResultColumnCount> cells;
    const std::optional<double>* numbers[] = {&result.Current, &result.Size, &result.VoltDrop};
    for (std::size_t i = 0; i < 3; ++i)
        if (*numbers[i])
            AppendNumber(cells[i], **numbers[i]);
    if (result.LimitedBy)
        cells[3] = LimitName(*result.LimitedBy);
    cells[4] = result.StatusText();
    return cells;
}

std::array<std::string, kIecResultColumnCount> IecResultCells(const TRowResult& result) {
    std::array<std::string, kIecResultColumnCount> cells;
    if (!result.Iec)
        return cells;
    const TIecRowResult& iec = *result.Iec;
    const std::optional<double>* numbers[] = {&iec.Size, &iec.Iz, &iec.DropPercent};
    for (std::size_t i = 0; i < 3; ++i)
        if (*numbers[i])
            AppendNumber(cells[i], **numbers[i]);
    cells[3] = iec.LimitedBy;
    cells[4] = iec.StatusText();
    return cells;
}

std::vector<std::vector<std::string>> ParseTabText(std::string_view text) {
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> row;
    std::string cell;
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n) {
        if (text[i] == '"') {
            // Quoted: up to the lone closing quote; anything after it joins the cell as typed.
            ++i;
            while (i < n) {
                if (text[i] == '"' && i + 1 < n && text[i + 1] == '"') {
                    cell.push_back('"');
                    i += 2;
                } else if (text[i] == '"') {
                    ++i;
                    break;
                } else {
                    cell.push_back(text[i++]);
                }
            }
        }
        while (i < n && text[i] != '\t' && text[i] != '\n' && text[i] != '\r')
            cell.push_back(text[i++]);
        row.push_back(std::move(cell));
        cell.clear();
        if (i >= n)
            break;
        if (text[i] == '\t') {
            ++i;
            if (i == n)
                row.emplace_back(); // a tab at the very end leaves an empty last cell
            continue;
        }
        i += text[i] == '\r' && i + 1 < n && text[i + 1] == '\n' ? 2 : 1;
        rows.push_back(std::move(row));
        row.clear();
    }
    if (!row.empty())
        rows.push_back(std::move(row));
    return rows;
}

void AppendTabRow(std::string& out, const std::vector<std::string>& cells) {
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i)
            out.push_back('\t');
        const std::string& c = cells[i];
        if (c.find_first_of("\t\r\n") == std::string::npos && (c.empty() || c[0] != '"'))
            out += c;
        else
            AppendQuoted(out, c);
    }
    out.push_back('\n');
}

std::vector<std::vector<std::string>>
RecordsFromTable(const std::vector<std::vector<std::string>>& table,
                 const std::vector<std::string>& header, const TScheduleLayout& layout) {
    std::vector<int> targets;
    std::size_t first = 0;
    if (!table.empty()) {
        auto [named, known] = HeaderTargets(table[0], header, layout);
        if (known >= 2) {
            targets = std::move(named);
            first = 1;
        }
    }
    if (first == 0)
        for (std::size_t k : layout.Kept)
            targets.push_back(static_cast<int>(k));

    std::vector<std::vector<std::string>> records;
    for (std::size_t r = first; r < table.size(); ++r) {
        const std::vector<std::string>& cells = table[r];
        bool any = false;
        for (const std::string& c : cells)
            any = any || !c.empty();
        if (!any)
            continue;
        std::vector<std::string> fields(layout.Width);
        for (std::size_t i = 0; i < cells.size() && i < targets.size(); ++i)
            if (targets[i] >= 0)
                fields[static_cast<std::size_t>(targets[i])] = cells[i];
        records.push_back(std::move(fields));
    }
    return records;
}

} // namespace qv
