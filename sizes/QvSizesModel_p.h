// TSizesModel: the Cable Sizes table as an item model, over the window's view of the sizes and the
// standard's figures after its own columns, with the fixed colours that the window and its
// printed page share.
#pragma once

#include "sizestext/QvSizesIec.h"
#include "sizestext/QvSizesText.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QFont>
#include <QPalette>

namespace qv {

// The page's colours, and the window's on a light theme: a page prints as the window shows it
// there. Each text keeps a contrast of 4.5 on white.
inline const QColor kSizesText(0x21, 0x21, 0x21);
inline const QColor kSizesGreyText(0x75, 0x75, 0x75);
inline const QColor kSizesChosenRow(0xff, 0xe0, 0x82);
inline const QColor kSizesNote(0xb2, 0x6a, 0x00);

// Every column of the table: the present ones, then the standard's.
inline constexpr int kSizesAllColumns = SizesColumnCount + IecColumnCount;

// A cell's text, header and standing, whichever part of the table it is in.
std::string SizesAnyHeader(const TSizesView& view, int column);
std::string SizesAnyCell(const TSizesView& view, const TIecView& iec, std::size_t row, int column);
// Whether a cell is of the chosen size, and of one that fits, by its own part's answer.
bool SizesCellChosen(const TSizesView& view, const TIecView& iec, std::size_t row, int column);
bool SizesCellFits(const TSizesView& view, const TIecView& iec, std::size_t row, int column);

class TSizesModel : public QAbstractTableModel {
  public:
    TSizesModel(const TSizesView& view, const TIecView& iec, QObject* parent)
        : QAbstractTableModel(parent), m_view(view), m_iec(iec) {}

    // The view changed under the model.
    void Reset();

    int rowCount(const QModelIndex& parent) const override;
    int columnCount(const QModelIndex& parent) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The table's own font in bold.
    QFont ChosenFont;

    // The view's palette: the page's colours stay where they stand out on its ground, the others
    // give way to its own text or to a readable shade of theirs.
    void SetPalette(const QPalette& palette);
    // The text of the sizes that fit, as drawn on the table's ground.
    QColor TextColor() const { return m_text; }

  private:
    const TSizesView& m_view;
    const TIecView& m_iec;
    QColor m_text = kSizesText;
    QColor m_grey = kSizesGreyText;
};

} // namespace qv
