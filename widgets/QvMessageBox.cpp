// Message box sizing.
#include "widgets/QvMessageBox.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QSpacerItem>

#include <algorithm>

namespace qv {

namespace {

// Beside the title a window frame draws the window's icon and three buttons.
constexpr int kFrameRoom = 160;
// Left of the text: the box's margins, its icon and the gap after it, with some to spare.
constexpr int kBesideText = 120;

} // namespace

void FitMessageBox(QMessageBox& box) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    const int at = grid && label ? grid->indexOf(label) : -1;
    if (at < 0)
        return;
    int row = 0, column = 0, rows = 0, columns = 0; // where the text is
    grid->getItemPosition(at, &row, &column, &rows, &columns);

    const QFontMetrics text(label->font());
    int widest = 0;
    for (const QString& line : box.text().split(QLatin1Char('\n')))
        widest = std::max({widest, text.horizontalAdvance(line), text.boundingRect(line).width()});
    const QFontMetrics title(QApplication::font("QMdiSubWindowTitleBar"));
    const int titleWidth = title.horizontalAdvance(box.windowTitle()) + kFrameRoom;

    // Past this width the toolkit gives up on the box's size and breaks lines anywhere.
    const QScreen* screen = box.screen();
    const int screenWidth = screen ? screen->availableGeometry().width() : 1024;
    const int hardLimit = screenWidth <= 1024 ? screenWidth : std::min(screenWidth - 480, 1000);

    // Spacers hold the box open: under the text for its lines, across the box for its title.
    const QMargins margins = grid->contentsMargins();
    const int textWidth = std::min(widest + 4, hardLimit - kBesideText);
    const int boxWidth = std::min(titleWidth, hardLimit) - margins.left() - margins.right();
    const int below = grid->rowCount();
    grid->addItem(new QSpacerItem(textWidth, 0, QSizePolicy::Fixed, QSizePolicy::Minimum), below,
                  column);
    grid->addItem(new QSpacerItem(boxWidth, 0, QSizePolicy::Fixed, QSizePolicy::Minimum), below + 1,
                  0, 1, grid->columnCount());
}

QString ApplicationTitle() {
    const QString title = QGuiApplication::applicationDisplayName();
    return title.isEmpty() ? QStringLiteral("Ampwise") : title;
}

void ShowPlainError(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Critical, ApplicationTitle(), text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    FitMessageBox(box);
    box.exec();
}

} // namespace qv
