// The motor rating picker: a small modal list of standard motor ratings in kW, and the two
// built-in rating lists it is filled from.
#pragma once

#include <QDialog>
#include <QString>

#include <span>

class QKeyEvent;
class QListWidget;
class QStatusBar;
class QToolBar;
class QToolButton;

namespace qv {

// Standard motor ratings offered by the picker, in kW and display order.
extern const std::span<const double> SinglePhaseMotorList;
extern const std::span<const double> ThreePhaseMotorList;

class TSelectFromList : public QDialog {
    Q_OBJECT

  public:
    explicit TSelectFromList(QWidget* parent = nullptr);

    // One row per value, in order, each in its shortest plain decimal form.
    void LoadValues(std::span<const double> values);
    QString GetSelection() const { return m_selection; }

    void ListBox1Click();
    void ToolButton1Click();
    void ToolButton2Click();

    // Escape and the title bar's close box cancel like the Cancel button.
    void reject() override;

    QToolBar* ToolBar1;
    QToolButton* ToolButton1;
    QToolButton* ToolButton2;
    QListWidget* ListBox1;
    QStatusBar* StatusBar1;

  protected:
    // Enter accepts the chosen row, as a double click does.
    void keyPressEvent(QKeyEvent* e) override;

  private:
    QString m_selection;
};

} // namespace qv
