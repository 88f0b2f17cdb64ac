// The About box and the program's emblem.
#include "verinfo/QvQuickAbout.h"

#include "settings/QvApplicationPath.h"
#include "verinfo/QvVerInfo.h"

#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>

#include <exception>

namespace qv {

namespace {

const char* const ByLineText = "Written by the Brannoworks engineering team";
const char* const CopyrightText = "Copyright \u00A9 2026 Brannoworks. All rights reserved.";

// A band whose only mark is a sunken line along its top edge.
class TTopBevel : public QFrame {
  public:
    using QFrame::QFrame;

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setPen(palette().color(QPalette::Dark));
        p.drawLine(0, 0, width() - 1, 0);
        p.setPen(palette().color(QPalette::Light));
        p.drawLine(0, 1, width() - 1, 1);
    }
};

// Labels are sized to their text when the box shows (see setVisible): measuring text loads its
// font, which a box made at start-up and perhaps never shown needn't do.
QLabel* MakeLabel(QWidget* parent, const char* name, int left, int top, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->move(left, top);
    return label;
}

} // namespace

TAboutForm::TAboutForm(QWidget* parent, const QString& exePath)
    : QDialog(parent,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_exePath(exePath) {
    setObjectName(QStringLiteral("AboutForm"));
    setWindowTitle(QStringLiteral("About"));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    setFixedSize(352, 156);
    move(304, 251);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(8, 8, 33, 33);
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    NameLabel = MakeLabel(this, "NameLabel", 56, 16, QStringLiteral("Editor"));
    NameLabel->setFont(QFont(QStringLiteral("MS Sans Serif"), 14));
    VersionLabel = MakeLabel(this, "VersionLabel", 8, 53, QStringLiteral("Version 1.0.0.0"));
    ByLine = MakeLabel(this, "ByLine", 8, 88, QString::fromUtf8(ByLineText));
    CopyrightLabel = MakeLabel(this, "CopyrightLabel", 8, 104, QString::fromUtf8(CopyrightText));

    Bevel1 = new TTopBevel(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setGeometry(0, height() - 32, width(), 32);
    // The band is background: a click on it closes the box like any other free spot.
    Bevel1->setAttribute(Qt::WA_TransparentForMouseEvents);

    try {
        FormCreate();
    } catch (const std::exception& e) {
        // The box lives on with its design texts; the error is shown once the loop runs, as
        // any other error escaping start-up work.
        m_createError = QString::fromUtf8(e.what());
        QTimer::singleShot(0, this, [this] {
            QMessageBox::critical(nullptr, QApplication::applicationDisplayName(), m_createError);
        });
    }
}

void TAboutForm::FormCreate() {
    const QString path = m_exePath.isEmpty() ? QString::fromStdString(ExecutablePath()) : m_exePath;
    // One read of the program's version block serves both labels.
    const TVerInfoRes info(path.toStdString());
    NameLabel->setText(QString::fromStdString(info.ReadStringValue("FileDescription")));
    VersionLabel->setText(QStringLiteral("Version ") +
                          QString::fromStdString(info.FileVersionText()));
    ByLine->setText(QString::fromUtf8(ByLineText));
    CopyrightLabel->setText(QString::fromUtf8(CopyrightText));
}

void TAboutForm::setVisible(bool visible) {
    if (visible) {
        for (QLabel* label : {NameLabel, VersionLabel, ByLine, CopyrightLabel})
            label->adjustSize();
        // Drawn for the screen the box shows on.
        const qreal ratio = devicePixelRatioF();
        if (Image1->pixmap().isNull() || Image1->pixmap().devicePixelRatio() != ratio)
            Image1->setPixmap(AmpwiseEmblem(32, ratio));
    }
    QDialog::setVisible(visible);
}

void TAboutForm::FormClick() {
    close();
}

void TAboutForm::mouseReleaseEvent(QMouseEvent* event) {
    // Labels and the picture pass their clicks up to us; only the free background counts.
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::LeftButton && rect().contains(pos) && childAt(pos) == nullptr) {
        event->accept();
        FormClick();
        return;
    }
    QDialog::mouseReleaseEvent(event);
}

void TAboutForm::keyPressEvent(QKeyEvent* event) {
    // The box closes by a click or its close box only, never by Escape.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

QPixmap AmpwiseEmblem(int size, qreal devicePixelRatio) {
    const int device = qRound(size * devicePixelRatio);
    QPixmap pixmap(device, device);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);

    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    // Drawn on a 32-unit grid and scaled, so every size comes from the same vector shapes.
    const qreal unit = size / 32.0;
    p.scale(unit, unit);

    // Cable sheath with three copper cores.
    QRadialGradient sheath(QPointF(11, 14), 14);
    sheath.setColorAt(0, QColor(0x5A, 0x66, 0x78));
    sheath.setColorAt(1, QColor(0x26, 0x2E, 0x3A));
    p.setPen(QPen(QColor(0x15, 0x1A, 0x22), 1.0));
    p.setBrush(sheath);
    p.drawEllipse(QPointF(14, 18), 12.5, 12.5);
    p.setPen(QPen(QColor(0x7A, 0x3E, 0x12), 0.8));
    p.setBrush(QColor(0xD9, 0x83, 0x3C));
    for (const QPointF& core : {QPointF(14, 11.5), QPointF(8.5, 21), QPointF(19.5, 21)})
        p.drawEllipse(core, 4.2, 4.2);

    // Lightning flash across the upper right.
    QPainterPath bolt;
    bolt.moveTo(23, 1);
    bolt.lineTo(16.5, 14);
    bolt.lineTo(21.5, 14);
    bolt.lineTo(17, 27);
    bolt.lineTo(30, 10.5);
    bolt.lineTo(24.5, 10.5);
    bolt.lineTo(29, 1);
    bolt.closeSubpath();
    p.setPen(QPen(QColor(0x6B, 0x4A, 0x00), 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(0xFF, 0xCC, 0x1A));
    p.drawPath(bolt);
    p.end();
    return pixmap;
}

} // namespace qv
