// The Cable Sizes table model: cells, alignment, the chosen row's highlight and the greyed rows.
#include "sizes/QvSizesModel_p.h"

namespace qv {

namespace {

QString Text(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

void TSizesModel::Reset() {
    beginResetModel();
    endResetModel();
}

int TSizesModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_view.Rows.size());
}

int TSizesModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : SizesColumnCount;
}

QVariant TSizesModel::data(const QModelIndex& index, int role) const {
    const auto row = static_cast<std::size_t>(index.row());
    if (!index.isValid() || row >= m_view.Rows.size())
        return {};
    const TSizeRow& r = m_view.Rows[row];
    const bool chosen = index.row() == m_view.Chosen;
    switch (role) {
    case Qt::DisplayRole:
        return Text(SizesCell(m_view, row, index.column()));
    case Qt::TextAlignmentRole:
        return index.column() == scGoverns ? int(Qt::AlignLeft | Qt::AlignVCenter)
                                           : int(Qt::AlignRight | Qt::AlignVCenter);
    case Qt::BackgroundRole:
        return chosen ? QVariant(kSizesChosenRow) : QVariant();
    case Qt::ForegroundRole:
        return r.Fits ? kSizesText : kSizesGreyText;
    case Qt::FontRole:
        return chosen ? QVariant(ChosenFont) : QVariant();
    case Qt::ToolTipRole:
        return r.Fault.empty() ? QVariant() : QVariant(Text(r.Fault));
    default:
        return {};
    }
}

QVariant TSizesModel::headerData(int section, Qt::Orientation orientation, int role) const {
    // The unit on a line of its own keeps the columns narrow.
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return Text(SizesHeader(m_view, section)).replace(QStringLiteral(" ("), "\n(");
    return {};
}

} // namespace qv
