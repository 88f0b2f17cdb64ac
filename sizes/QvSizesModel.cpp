// The Cable Sizes table model: cells, alignment, the chosen row's highlight and the greyed rows.
#include "sizes/QvSizesModel_p.h"

#include "widgets/QvAccessibility.h"

#include <cstdlib>

namespace qv {

namespace {

// "Carrying capacity": a longer name takes two lines.
constexpr qsizetype kLongestName = 17;

} // namespace

std::string SizesAnyHeader(const TSizesView& view, int column) {
    return column < SizesColumnCount ? SizesHeader(view, column)
                                     : IecHeader(column - SizesColumnCount);
}

std::string SizesAnyCell(const TSizesView& view, const TIecView& iec, std::size_t row, int column) {
    return column < SizesColumnCount ? SizesCell(view, row, column)
                                     : IecCell(iec, row, column - SizesColumnCount);
}

bool SizesCellChosen(const TSizesView& view, const TIecView& iec, std::size_t row, int column) {
    return column < SizesColumnCount ? static_cast<std::ptrdiff_t>(row) == view.Chosen
                                     : IecChosen(iec, row);
}

bool SizesCellFits(const TSizesView& view, const TIecView& iec, std::size_t row, int column) {
    return column < SizesColumnCount ? view.Rows[row].Fits : IecPasses(iec, row);
}

void TSizesModel::SetPalette(const QPalette& palette) {
    const QColor base = palette.color(QPalette::Base);
    m_text = ContrastRatio(kSizesText, base) >= 4.5
                 ? kSizesText
                 : ReadableOn(palette.color(QPalette::Text), base);
    m_grey = ReadableOn(kSizesGreyText, base);
    if (rowCount({}) > 0)
        emit dataChanged(index(0, 0), index(rowCount({}) - 1, kSizesAllColumns - 1),
                         {Qt::ForegroundRole});
}

void TSizesModel::Reset() {
    beginResetModel();
    endResetModel();
}

int TSizesModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_view.Rows.size());
}

int TSizesModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kSizesAllColumns;
}

QVariant TSizesModel::data(const QModelIndex& index, int role) const {
    const auto row = static_cast<std::size_t>(index.row());
    if (!index.isValid() || row >= m_view.Rows.size())
        return {};
    const TSizeRow& r = m_view.Rows[row];
    // The standard's columns stand by the standard's answer, the others by Ampwise's.
    const bool chosen = SizesCellChosen(m_view, m_iec, row, index.column());
    const bool fits = SizesCellFits(m_view, m_iec, row, index.column());
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromStdString(SizesAnyCell(m_view, m_iec, row, index.column()));
    case Qt::TextAlignmentRole:
        return index.column() == scGoverns || index.column() == SizesColumnCount + icShortCircuit
                   ? int(Qt::AlignLeft | Qt::AlignVCenter)
                   : int(Qt::AlignRight | Qt::AlignVCenter);
    case Qt::BackgroundRole:
        return chosen ? QVariant(kSizesChosenRow) : QVariant();
    case Qt::ForegroundRole:
        // The chosen row keeps its own ground whatever the theme, and so the page's ink on it.
        if (chosen)
            return ReadableOn(fits ? kSizesText : kSizesGreyText, kSizesChosenRow);
        return fits ? m_text : m_grey;
    case Qt::FontRole:
        return chosen ? QVariant(ChosenFont) : QVariant();
    case Qt::ToolTipRole:
        return r.Fault.empty() ? QVariant() : QVariant(QString::fromStdString(r.Fault));
    default:
        return {};
    }
}

QVariant TSizesModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    // The unit on a line of its own keeps the columns narrow; a name longer than that of the
    // widest figure's column is broken in two instead, the unit after it.
    const QString header = QString::fromStdString(SizesAnyHeader(m_view, section));
    const qsizetype unit = header.indexOf(QStringLiteral(" ("));
    if (unit < 0)
        return header;
    QString name = header.left(unit);
    if (name.size() <= kLongestName)
        return name + "\n" + header.mid(unit + 1);
    qsizetype split = -1;
    for (qsizetype i = 0; i < name.size(); ++i)
        if (name[i] == ' ' &&
            (split < 0 || std::abs(2 * i - name.size()) < std::abs(2 * split - name.size())))
            split = i;
    return split < 0 ? name + "\n" + header.mid(unit + 1)
                     : name.replace(split, 1, "\n") + header.mid(unit);
}

} // namespace qv
