// The motor rating picker window.
#include "mainwindow/QvSelectFromList.h"

#include "settings/QvSysUtils.h"

#include <QKeyEvent>
#include <QListWidget>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <array>

namespace qv {

namespace {
constexpr std::array<double, 11> kSinglePhase{0.25, 0.37, 0.55, 0.75, 1.1, 1.5,
                                              2.2,  3,    4,    5.5,  7.5};
constexpr std::array<double, 21> kThreePhase{0.37, 0.55, 0.75, 1.1, 1.5, 2.2, 3,  4,  5.5, 7.5, 11,
                                             15,   18.5, 22,   30,  37,  45,  55, 75, 90,  110};
} // namespace

const std::span<const double> SinglePhaseMotorList(kSinglePhase);
const std::span<const double> ThreePhaseMotorList(kThreePhase);

TSelectFromList::TSelectFromList(QWidget* parent) : QDialog(parent) {
    setObjectName("SelectFromList");
    setWindowTitle("Select...");

    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName("ToolBar1");
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextOnly);
    ToolButton1 = new QToolButton(ToolBar1);
    ToolButton1->setObjectName("ToolButton1");
    ToolButton1->setText("Accept");
    ToolButton2 = new QToolButton(ToolBar1);
    ToolButton2->setObjectName("ToolButton2");
    ToolButton2->setText("Cancel");
    ToolBar1->addWidget(ToolButton1);
    ToolBar1->addWidget(ToolButton2);

    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName("ListBox1");
    ListBox1->setAccessibleName("Motor ratings");
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName("StatusBar1");
    StatusBar1->setSizeGripEnabled(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(ToolBar1);
    layout->addWidget(ListBox1, 1);
    layout->addWidget(StatusBar1);
    resize(214, 246);

    // An empty selection is no number for the Power field, so Accept waits for a row.
    ToolButton1->setEnabled(false);

    // Selection, not the current row: the list makes its first row current on focus alone.
    connect(ListBox1, &QListWidget::itemSelectionChanged, this, [this] { ListBox1Click(); });
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, [this] {
        ListBox1Click();
        ToolButton1Click();
    });
    connect(ToolButton1, &QToolButton::clicked, this, [this] { ToolButton1Click(); });
    connect(ToolButton2, &QToolButton::clicked, this, [this] { ToolButton2Click(); });
}

void TSelectFromList::LoadValues(std::span<const double> values) {
    ListBox1->clear();
    for (double v : values)
        ListBox1->addItem(QString::fromStdString(FloatToStr(v)));
}

void TSelectFromList::ListBox1Click() {
    const QList<QListWidgetItem*> chosen = ListBox1->selectedItems();
    m_selection = chosen.isEmpty() ? QString() : chosen.first()->text();
    ToolButton1->setEnabled(!m_selection.isEmpty());
}

void TSelectFromList::ToolButton1Click() {
    if (m_selection.isEmpty())
        return;
    accept();
}

void TSelectFromList::ToolButton2Click() {
    reject();
}

void TSelectFromList::keyPressEvent(QKeyEvent* e) {
    // The list passes Enter on; a dialog without push buttons would drop it.
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) &&
        !(e->modifiers() & ~Qt::KeypadModifier)) {
        ToolButton1Click();
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

void TSelectFromList::reject() {
    m_selection.clear();
    QDialog::reject();
}

} // namespace qv
