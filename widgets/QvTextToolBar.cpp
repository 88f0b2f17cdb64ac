// Tool bars of text buttons.
#include "widgets/QvTextToolBar.h"

#include <QToolBar>
#include <QToolButton>

namespace qv {

QToolBar* TextToolBar(QWidget* parent) {
    auto* bar = new QToolBar(parent);
    bar->setObjectName(QStringLiteral("ToolBar1"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return bar;
}

QToolButton* AddTextButton(QToolBar* bar, const char* name, const char* caption, const char* hint) {
    auto* b = new QToolButton(bar);
    b->setObjectName(QLatin1String(name));
    b->setText(QString::fromUtf8(caption));
    b->setToolTip(QString::fromUtf8(hint));
    b->setAutoRaise(true);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    bar->addWidget(b);
    return b;
}

} // namespace qv
