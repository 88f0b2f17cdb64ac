// The editors of a schedule's cells: lists for Material (the data file's materials), Load Type
// and Phase, and for Power and Length a number field typed and cleaned as the main window's
// fields are, beside a list of the units it may be given in.
#pragma once

#include "units/QvConv.h"

#include <QStyledItemDelegate>
#include <QWidget>

class QComboBox;

namespace qv {

class TFmtEdit;

// A number with its unit ("7.500 kW"): the field converts its number when the unit changes.
class TQuantityEditor : public QWidget {
    Q_OBJECT

  public:
    // unit: the catalogue position of the unit the column's header names, for cells without one;
    // decimalComma: the file's numbers have a decimal comma.
    TQuantityEditor(TUnitsType type, QWidget* parent = nullptr, int unit = 0,
                    bool decimalComma = false);

    // Shows the cell's text: its number in the unit it names (the column's when none).
    void SetText(const QString& text);
    // The number as the field cleans and formats it, a blank and the unit's label.
    QString Text();
    // Whether the user changed the number or the unit since SetText.
    bool Touched() const { return m_touched; }

    TFmtEdit* Number;
    QComboBox* Unit;

  signals:
    // Enter, or the focus gone elsewhere: keep the edit.
    void Done();
    // Escape: drop it.
    void Cancelled();

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    TUnitsType m_type;
    int m_unit = 0;
    bool m_decimalComma = false;
    bool m_touched = false;
};

class TScheduleDelegate : public QStyledItemDelegate {
    Q_OBJECT

  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;
};

} // namespace qv
