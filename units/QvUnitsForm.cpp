// The pop-up unit list (see QvUnitsForm.h).
#include "units/QvUnitsForm.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include <algorithm>

#include "units/QvConv.h"
#include "units/QvEditRules.h"
#include "units/QvFmtEdit.h"

namespace qv {

namespace {

// Every row exactly ItemHeight pixels high, so the form's height rule fits the rows.
class TFixedRowDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(TUnitsForm::ItemHeight);
        return size;
    }
};

} // namespace

void TUnitsListBox::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton)
        QListWidget::mousePressEvent(e);
    else
        e->accept();
    emit MouseDown();
}

TUnitsForm::TUnitsForm(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("UnitsForm"));
    setWindowTitle(QStringLiteral("Units"));
    setModal(true);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    setFont(font);
    resize(135, 147);

    ListBox1 = new TUnitsListBox(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setAccessibleName(QStringLiteral("Units"));
    ListBox1->setFrameShape(QFrame::NoFrame);
    ListBox1->setItemDelegate(new TFixedRowDelegate(ListBox1));
    ListBox1->setUniformItemSizes(true);
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ListBox1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ListBox1->installEventFilter(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(ListBox1);
    connect(ListBox1, &TUnitsListBox::MouseDown, this, [this] { done(QDialog::Accepted); });
}

void TUnitsForm::FillList() {
    ListBox1->clear();
    const TUnitsType type = ClientEdit ? ClientEdit->unitsType() : utNone;
    const int n = UnitCount(type);
    int widest = 0;
    const QFontMetrics metrics(ListBox1->font());
    for (int i = 0; i < n; ++i) {
        const QString label = QString::fromStdString(UnitLabel(type, i));
        ListBox1->addItem(label);
        widest = std::max(widest, metrics.horizontalAdvance(label));
    }
    if (ClientEdit && ClientEdit->unitsValue() >= 0 && ClientEdit->unitsValue() < n)
        ListBox1->setCurrentRow(ClientEdit->unitsValue());
    int height = this->height();
    if (n > 0)
        height = UnitListHeight(ItemHeight, n);
    // Frameless, so the window is the client area.
    setFixedSize(UnitListWidth(widest), height);
}

void TUnitsForm::done(int result) {
    setFixedHeight(ItemHeight);
    QDialog::done(result);
}

void TUnitsForm::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    ListBox1->setFocus(Qt::ActiveWindowFocusReason);
}

bool TUnitsForm::eventFilter(QObject* watched, QEvent* e) {
    if (watched == ListBox1 && e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
            done(QDialog::Accepted);
            return true;
        }
    }
    return QDialog::eventFilter(watched, e);
}

} // namespace qv
