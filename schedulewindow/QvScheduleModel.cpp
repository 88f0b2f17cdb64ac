// The cable schedule as a table model (see QvScheduleModel.h).
#include "schedulewindow/QvScheduleModel.h"

#include "schedulewindow/QvScheduleCommands.h"
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

} // namespace

TScheduleModel::TScheduleModel(QObject* parent)
    : QAbstractTableModel(parent),
      m_sizer(std::make_shared<const TScheduleSizer>(TElecData{}, 5.5)) {
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
        return static_cast<TColumn>(kInputColumnCount + static_cast<std::size_t>(column - kept));
    return m_keptKinds[static_cast<std::size_t>(column)];
}

void TScheduleModel::KeepKinds() {
    m_keptKinds.clear();
    for (std::size_t k : m_layout.Kept)
        m_keptKinds.push_back(ColumnOf(m_header[k]));
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
}

void TScheduleModel::Recount() {
    m_notSolved = 0;
    m_errors = 0;
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
        for (std::string& s : ResultCells(m_rows[static_cast<std::size_t>(r)].Result))
            cells.push_back(std::move(s));
        AppendTabRow(out, cells);
    }
    return out;
}

int TScheduleModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int TScheduleModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_layout.Kept.size() + kResultColumnCount);
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
        default:
            return {};
        }
    case Qt::TextAlignmentRole:
        if (kind == TColumn::Current || kind == TColumn::Size || kind == TColumn::VoltageDrop)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::BackgroundRole:
        // Rows that need a look stand out from the solved ones.
        if (r.Status == TRowStatus::NotSolved)
            return QBrush(kNotSolvedBack);
        if (r.Status == TRowStatus::Error)
            return QBrush(kErrorBack);
        return {};
    case Qt::ForegroundRole:
        return r.Status == TRowStatus::Solved ? QVariant() : QVariant(QBrush(kMarkedText));
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
