// The cable schedule as a table model (see QvScheduleModel.h).
#include "schedulewindow/QvScheduleModel.h"

#include "schedulewindow/QvScheduleCommands.h"
#include "scheduleiec/QvScheduleIec.h"
#include "units/QvConv.h"

#include <QBrush>
#include <QColor>
#include <QUndoStack>

namespace qv {

namespace {

const QColor kNotSolvedBack(0xff, 0xf0, 0xc2);
const QColor kErrorBack(0xf9, 0xd6, 0xd5);
const QColor kMarkedText(0x20, 0x20, 0x20);

QString Number(const std::optional<double>& v, const char* format) {
    return v ? QString::fromStdString(FormatFloat(format, *v)) : QString();
}

// The status a row is marked with: the worse of its own answer and the standard's.
TRowStatus RowLook(const TRowResult& r) {
    const TRowStatus iec = r.Iec ? r.Iec->Status : TRowStatus::Solved;
    if (r.Status == TRowStatus::Error || iec == TRowStatus::Error)
        return TRowStatus::Error;
    if (r.Status == TRowStatus::NotSolved || iec == TRowStatus::NotSolved)
        return TRowStatus::NotSolved;
    return TRowStatus::Solved;
}

} // namespace

TScheduleModel::TScheduleModel(QObject* parent)
    : QAbstractTableModel(parent),
      m_sizer(std::make_shared<const TScheduleSizer>(TElecData{}, 5.5,
                                                     std::make_shared<const TIecScheduleSizer>())) {
    m_header = DefaultScheduleHeader();
    m_layout = MatchHeader(m_header);
    KeepKinds();
}

TScheduleModel::~TScheduleModel() = default;

void TScheduleModel::SetSizer(std::shared_ptr<const TScheduleSizer> sizer) {
    m_sizer = std::move(sizer);
    for (TScheduleRow& row : m_rows)
        SizeRow(row);
    Recount();
    if (!m_rows.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

void TScheduleModel::Reset(std::vector<std::string> header, TScheduleLayout layout,
                           std::vector<TScheduleRow> rows) {
    beginResetModel();
    m_header = std::move(header);
    m_layout = std::move(layout);
    KeepKinds();
    m_rows = std::move(rows);
    endResetModel();
    Recount();
}

void TScheduleModel::Clear() {
    Reset(DefaultScheduleHeader(), MatchHeader(DefaultScheduleHeader()), {});
}

TColumn TScheduleModel::ColumnKind(int column) const {
    const auto kept = static_cast<int>(m_layout.Kept.size());
    if (column < 0 || column >= columnCount())
        return TColumn::Other;
    if (column >= kept)
        return m_resultKinds[static_cast<std::size_t>(column - kept)];
    return m_keptKinds[static_cast<std::size_t>(column)];
}

void TScheduleModel::KeepKinds() {
    m_keptKinds.clear();
    for (std::size_t k : m_layout.Kept) {
        const TColumn kind = ColumnOf(m_header[k]);
        // Without a Method column an installation's name is only a column to keep.
        m_keptKinds.push_back(IsIecInput(kind) && !m_layout.HasIec() ? TColumn::Other : kind);
    }
    // The results as the CSV writes them: the standard's answer only beside a Method column.
    m_resultKinds.clear();
    for (std::size_t i = 0; i < kResultColumnCount; ++i)
        m_resultKinds.push_back(static_cast<TColumn>(kInputColumnCount + i));
    if (m_layout.HasIec())
        for (std::size_t i = 0; i < kIecResultColumnCount; ++i)
            m_resultKinds.push_back(
                static_cast<TColumn>(static_cast<std::size_t>(kFirstIecResult) + i));
}

int TScheduleModel::ColumnOfKind(TColumn kind) const {
    for (int c = 0; c < columnCount(); ++c)
        if (ColumnKind(c) == kind)
            return c;
    return -1;
}

bool TScheduleModel::IsInputColumn(int column) const {
    return column >= 0 && column < static_cast<int>(m_layout.Kept.size());
}

std::size_t TScheduleModel::FieldPosition(int column) const {
    return m_layout.Kept[static_cast<std::size_t>(column)];
}

std::string TScheduleModel::Field(int row, int column) const {
    const std::vector<std::string>& fields = m_rows[static_cast<std::size_t>(row)].Fields;
    const std::size_t i = FieldPosition(column);
    return i < fields.size() ? fields[i] : std::string();
}

void TScheduleModel::SizeRow(TScheduleRow& row) const {
    row.Result = SizeFields(*m_sizer, m_layout, row.Fields);
}

void TScheduleModel::Count(const TRowResult& result, int sign) {
    if (result.Status == TRowStatus::NotSolved)
        m_notSolved += sign;
    else if (result.Status == TRowStatus::Error)
        m_errors += sign;
    if (!result.Iec)
        return;
    if (result.Iec->Status == TRowStatus::NotSolved)
        m_iecNotSolved += sign;
    else if (result.Iec->Status == TRowStatus::Error)
        m_iecErrors += sign;
}

void TScheduleModel::Recount() {
    m_notSolved = 0;
    m_errors = 0;
    m_iecNotSolved = 0;
    m_iecErrors = 0;
    for (const TScheduleRow& row : m_rows)
        Count(row.Result, 1);
    emit CountsChanged();
}

void TScheduleModel::SetField(int row, int column, const std::string& text) {
    if (row < 0 || row >= rowCount() || !IsInputColumn(column))
        return;
    TScheduleRow& r = m_rows[static_cast<std::size_t>(row)];
    const std::size_t i = FieldPosition(column);
    if (r.Fields.size() <= i)
        r.Fields.resize(i + 1);
    r.Fields[i] = text;
    Count(r.Result, -1);
    SizeRow(r);
    Count(r.Result, 1);
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    emit CountsChanged();
}

void TScheduleModel::InsertRows(int position, std::vector<TScheduleRow> rows) {
    if (rows.empty())
        return;
    position = std::clamp(position, 0, rowCount());
    beginInsertRows({}, position, position + static_cast<int>(rows.size()) - 1);
    for (TScheduleRow& row : rows) {
        SizeRow(row);
        Count(row.Result, 1);
    }
    m_rows.insert(m_rows.begin() + position, std::make_move_iterator(rows.begin()),
                  std::make_move_iterator(rows.end()));
    endInsertRows();
    emit CountsChanged();
}

std::vector<TScheduleRow> TScheduleModel::TakeRows(int position, int count) {
    count = std::min(count, rowCount() - position);
    if (position < 0 || count <= 0)
        return {};
    beginRemoveRows({}, position, position + count - 1);
    const auto first = m_rows.begin() + position;
    std::vector<TScheduleRow> taken(std::make_move_iterator(first),
                                    std::make_move_iterator(first + count));
    m_rows.erase(first, first + count);
    endRemoveRows();
    for (const TScheduleRow& row : taken)
        Count(row.Result, -1);
    emit CountsChanged();
    return taken;
}

void TScheduleModel::AppendColumns(const std::vector<std::string>& names) {
    if (names.empty())
        return;
    std::vector<std::string> header = m_header;
    header.insert(header.end(), names.begin(), names.end());
    TScheduleLayout layout = MatchHeader(header); // raises before anything changes
    // The file's own separator and byte-order mark stay.
    layout.Separator = m_layout.Separator;
    layout.ByteOrderMark = m_layout.ByteOrderMark;
    const std::size_t width = m_layout.Width;
    beginResetModel();
    for (TScheduleRow& row : m_rows) {
        // A row short of the header reads its missing fields as empty, and one longer than it
        // keeps its extra fields past the header, so that it stays the error it was.
        if (row.Fields.size() < width)
            row.Fields.resize(width);
        row.Fields.insert(row.Fields.begin() + static_cast<std::ptrdiff_t>(width), names.size(),
                          std::string());
    }
    TakeHeader(std::move(header), std::move(layout));
}

void TScheduleModel::RemoveLastColumns(std::size_t count) {
    count = std::min(count, m_header.size());
    if (count == 0)
        return;
    std::vector<std::string> header(m_header.begin(),
                                    m_header.end() - static_cast<std::ptrdiff_t>(count));
    TScheduleLayout layout = MatchHeader(header);
    layout.Separator = m_layout.Separator;
    layout.ByteOrderMark = m_layout.ByteOrderMark;
    const std::size_t width = layout.Width;
    beginResetModel();
    for (TScheduleRow& row : m_rows) {
        if (row.Fields.size() > width) {
            const auto from = row.Fields.begin() + static_cast<std::ptrdiff_t>(width);
            row.Fields.erase(from, from + static_cast<std::ptrdiff_t>(
                                              std::min(count, row.Fields.size() - width)));
        }
    }
    TakeHeader(std::move(header), std::move(layout));
}

void TScheduleModel::TakeHeader(std::vector<std::string> header, TScheduleLayout layout) {
    m_header = std::move(header);
    m_layout = std::move(layout);
    KeepKinds();
    // Every row read as the new header lays it out.
    for (TScheduleRow& row : m_rows)
        SizeRow(row);
    endResetModel();
    Recount();
}

std::string TScheduleModel::TabText(const std::vector<int>& rows, bool header) const {
    std::string out;
    std::vector<std::string> cells;
    if (header) {
        for (int c = 0; c < columnCount(); ++c)
            cells.push_back(headerData(c, Qt::Horizontal).toString().toStdString());
        AppendTabRow(out, cells);
    }
    for (int r : rows) {
        if (r < 0 || r >= rowCount())
            continue;
        cells.clear();
        for (std::size_t c = 0; c < m_layout.Kept.size(); ++c)
            cells.push_back(Field(r, static_cast<int>(c)));
        const TRowResult& result = m_rows[static_cast<std::size_t>(r)].Result;
        for (std::string& s : ResultCells(result))
            cells.push_back(std::move(s));
        if (m_layout.HasIec())
            for (std::string& s : IecResultCells(result))
                cells.push_back(std::move(s));
        AppendTabRow(out, cells);
    }
    return out;
}

int TScheduleModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int TScheduleModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_layout.Kept.size() + m_resultKinds.size());
}

QVariant TScheduleModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    const TScheduleRow& row = m_rows[static_cast<std::size_t>(index.row())];
    const TRowResult& r = row.Result;
    const TColumn kind = ColumnKind(index.column());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
    case Qt::ToolTipRole:
        if (IsInputColumn(index.column()))
            return role == Qt::ToolTipRole
                       ? QVariant()
                       : QString::fromStdString(Field(index.row(), index.column()));
        switch (kind) {
        case TColumn::Current:
            return Number(r.Current, "%0.2f");
        case TColumn::Size:
            return Number(r.Size, "%g");
        case TColumn::VoltageDrop:
            return Number(r.VoltDrop, "%0.2f");
        case TColumn::LimitedBy:
            return r.LimitedBy ? QString::fromLatin1(LimitName(*r.LimitedBy)) : QString();
        case TColumn::Status:
            return QString::fromStdString(r.StatusText());
        case TColumn::IecSize:
            return r.Iec ? Number(r.Iec->Size, "%g") : QString();
        case TColumn::Iz:
            return r.Iec ? Number(r.Iec->Iz, "%0.2f") : QString();
        case TColumn::IecVoltageDrop:
            return r.Iec ? Number(r.Iec->DropPercent, "%0.2f") : QString();
        case TColumn::IecLimitedBy:
            return r.Iec ? QString::fromStdString(r.Iec->LimitedBy) : QString();
        case TColumn::IecStatus:
            return r.Iec ? QString::fromStdString(r.Iec->StatusText()) : QString();
        default:
            return {};
        }
    case Qt::TextAlignmentRole:
        if (kind == TColumn::Current || kind == TColumn::Size || kind == TColumn::VoltageDrop ||
            kind == TColumn::IecSize || kind == TColumn::Iz || kind == TColumn::IecVoltageDrop)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::BackgroundRole:
        // Rows that need a look stand out from the solved ones, whichever answer needs it.
        switch (RowLook(r)) {
        case TRowStatus::NotSolved:
            return QBrush(kNotSolvedBack);
        case TRowStatus::Error:
            return QBrush(kErrorBack);
        default:
            return {};
        }
    case Qt::ForegroundRole:
        return RowLook(r) == TRowStatus::Solved ? QVariant() : QVariant(QBrush(kMarkedText));
    default:
        return {};
    }
}

QVariant TScheduleModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    if (section < 0 || section >= columnCount())
        return {};
    if (IsInputColumn(section))
        return QString::fromStdString(m_header[FieldPosition(section)]);
    return QString::fromUtf8(ColumnName(ColumnKind(section)));
}

Qt::ItemFlags TScheduleModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (IsInputColumn(index.column()))
        f |= Qt::ItemIsEditable;
    return f;
}

bool TScheduleModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole || !IsInputColumn(index.column()))
        return false;
    const QByteArray utf8 = value.toString().toUtf8();
    std::string text(utf8.constData(), static_cast<std::size_t>(utf8.size()));
    if (text == Field(index.row(), index.column()))
        return true;
    if (m_undo)
        m_undo->push(new TEditFieldCommand(this, index.row(), index.column(), std::move(text)));
    else
        SetField(index.row(), index.column(), text);
    return true;
}

} // namespace qv
