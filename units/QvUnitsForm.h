// The pop-up unit list a units label opens: a frameless, modal, always-on-top list of the units
// of one field's quantity, closed by Enter, Escape or any mouse press on the list.
#pragma once

#include <QDialog>
#include <QListWidget>

namespace qv {

class QvCustomEdit;

// The list box: a press of any button closes the pop-up; the left button first picks the item
// under the pointer, the others leave the selection alone.
class TUnitsListBox : public QListWidget {
    Q_OBJECT

  public:
    using QListWidget::QListWidget;

  signals:
    void MouseDown();

  protected:
    void mousePressEvent(QMouseEvent* e) override;
};

class TUnitsForm : public QDialog {
    Q_OBJECT

  public:
    static constexpr int ItemHeight = 13;

    explicit TUnitsForm(QWidget* parent = nullptr);

    // Fills the list with the units of ClientEdit's type, selects its shown unit and sizes the
    // form to the list.
    void FillList();

    QvCustomEdit* ClientEdit = nullptr;
    TUnitsListBox* ListBox1 = nullptr;

    // Closes the pop-up; the choice is whatever item is selected then.
    void done(int result) override;

  protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
};

} // namespace qv
