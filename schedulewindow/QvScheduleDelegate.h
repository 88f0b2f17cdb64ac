// The editors of a schedule's cells: lists for Material (the data file's materials), Load Type
// and Phase and the installation's named values (Method, Insulation, Arrangement, Device), and
// for Power, Length and the installation's numbers a number field typed and cleaned as the main
// window's fields are, beside a list of the units it may be given in where the catalogue has them
// (opened from the keyboard with Alt+Down, F4 or the menu key).
#pragma once

#include "units/QvConv.h"

#include <QStyledItemDelegate>
#include <QWidget>

#include <optional>

class QComboBox;

namespace qv {

class TFmtEdit;

// A number with its unit ("7.500 kW"). A unit picked for the cell's own value converts it; a unit
// picked after typing a number is the unit of that number.
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
    // Shows the list of units, as a click on it does.
    void ShowUnits();
    // The column's title, which names the field to a screen reader, with the unit shown
    // ("Power, kW"), and its list of units.
    void SetColumnName(const QString& name);
    // For a number of no catalogue type: the one unit it is in ("A"; nullptr for none), which
    // only names the field, the cell holding the number alone, and how it is written ("%0.2f").
    void SetFixedUnit(const char* unit, const QString& format);

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
    void PickUnit(int index);
    // Names the field again after its unit: the name says what a number typed there means.
    void NameFields();

    TUnitsType m_type;
    int m_unit = 0;
    bool m_decimalComma = false;
    QString m_name;
    const char* m_fixedUnit = nullptr;
    bool m_touched = false;
    // A number typed since SetText: a unit picked then names its unit.
    bool m_typed = false;
    // The cell's value in the base unit while no number is typed over it, so that conversions
    // keep it whole instead of the field's rounded text.
    std::optional<double> m_base;
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
