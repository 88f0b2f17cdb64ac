// Vector pictures of the main window. Each shape is drawn on a 24 x 24 grid and scaled to the
// pixels asked for, so a 2x screen gets a 48 x 48 drawing rather than a blown-up bitmap.
#include "mainwindow/QvAmpwiseIcons.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <cmath>
#include <numbers>

namespace qv {

namespace {

const QColor kInk(0x37, 0x47, 0x4f);
const QColor kAccent(0x1e, 0x88, 0xe5);
const QColor kCopper(0xd9, 0x7b, 0x29);
const QColor kPaper(0xff, 0xff, 0xff);

QPen InkPen(const QColor& c, qreal width) {
    return QPen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void DrawCalculate(QPainter& p, const QColor& ink, const QColor& accent) {
    p.setPen(InkPen(ink, 1.5));
    p.setBrush(kPaper);
    p.drawRoundedRect(QRectF(4.75, 2.75, 14.5, 18.5), 2, 2);
    p.setPen(Qt::NoPen);
    p.setBrush(accent);
    p.drawRect(QRectF(7, 5, 10, 4));
    p.setBrush(ink);
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col)
            p.drawRect(QRectF(7 + col * 3.75, 11 + row * 3.25, 2.5, 2));
}

void DrawReport(QPainter& p, const QColor& ink, const QColor& accent) {
    QPainterPath sheet;
    sheet.moveTo(5.75, 2.75);
    sheet.lineTo(14.5, 2.75);
    sheet.lineTo(18.25, 6.5);
    sheet.lineTo(18.25, 21.25);
    sheet.lineTo(5.75, 21.25);
    sheet.closeSubpath();
    p.setPen(InkPen(ink, 1.5));
    p.setBrush(kPaper);
    p.drawPath(sheet);
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({QPointF(14.5, 2.75), QPointF(14.5, 6.5), QPointF(18.25, 6.5)}));
    p.setPen(InkPen(accent, 1.5));
    for (int i = 0; i < 4; ++i) {
        const qreal y = 10 + i * 2.75;
        p.drawLine(QPointF(8.5, y), QPointF(i == 3 ? 12.5 : 15.5, y));
    }
}

void DrawReset(QPainter& p, const QColor& ink, const QColor& accent) {
    // Three quarters of a circle turning back, with its arrow head.
    p.setPen(InkPen(accent, 2.25));
    p.setBrush(Qt::NoBrush);
    const QRectF circle(4.5, 4.5, 15, 15);
    p.drawArc(circle, 120 * 16, 270 * 16);
    const qreal a = 120 * std::numbers::pi / 180;
    const QPointF tip(12 + 7.5 * std::cos(a), 12 - 7.5 * std::sin(a));
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawPolygon(
        QPolygonF({tip + QPointF(-4.5, -2.0), tip + QPointF(2.2, -3.2), tip + QPointF(0.6, 3.4)}));
}

void DrawSettings(QPainter& p, const QColor& ink, const QColor& accent) {
    // A gear: eight teeth around a ring, with a hole.
    QPainterPath gear;
    const int teeth = 8;
    const qreal outer = 9.5, inner = 7.0;
    for (int i = 0; i < teeth * 4; ++i) {
        const qreal angle = (i - 0.5) * std::numbers::pi * 2 / (teeth * 4);
        const qreal r = (i % 4 == 1 || i % 4 == 2) ? outer : inner;
        const QPointF pt(12 + r * std::cos(angle), 12 + r * std::sin(angle));
        if (i == 0)
            gear.moveTo(pt);
        else
            gear.lineTo(pt);
    }
    gear.closeSubpath();
    gear.addEllipse(QPointF(12, 12), 3, 3);
    gear.setFillRule(Qt::OddEvenFill);
    p.setPen(InkPen(ink, 1.25));
    p.setBrush(accent);
    p.drawPath(gear);
}

void DrawRoundSign(QPainter& p, const QColor& ink, const QColor& accent, bool question) {
    p.setPen(InkPen(ink, 1.5));
    p.setBrush(accent);
    p.drawEllipse(QPointF(12, 12), 9.25, 9.25);
    p.setPen(InkPen(kPaper, 2.25));
    p.setBrush(Qt::NoBrush);
    if (question) {
        QPainterPath hook;
        hook.moveTo(9.0, 9.5);
        hook.cubicTo(9.0, 5.5, 15.0, 5.5, 15.0, 9.5);
        hook.cubicTo(15.0, 12.0, 12.0, 11.75, 12.0, 14.25);
        p.drawPath(hook);
        p.setPen(Qt::NoPen);
        p.setBrush(kPaper);
        p.drawEllipse(QPointF(12, 17.5), 1.4, 1.4);
    } else {
        p.drawLine(QPointF(12, 11), QPointF(12, 17.5));
        p.setPen(Qt::NoPen);
        p.setBrush(kPaper);
        p.drawEllipse(QPointF(12, 7.25), 1.4, 1.4);
    }
}

void DrawMotor(QPainter& p, const QColor& ink, const QColor& accent) {
    // The circle-and-M of a motor on a wiring diagram, with its shaft.
    p.setPen(InkPen(ink, 1.5));
    p.setBrush(kPaper);
    p.drawEllipse(QPointF(11, 12), 8, 8);
    p.drawLine(QPointF(19, 12), QPointF(22.5, 12));
    p.setPen(InkPen(accent, 2));
    p.drawPolyline(QPolygonF(
        {QPointF(7, 16), QPointF(7, 8), QPointF(11, 13), QPointF(15, 8), QPointF(15, 16)}));
}

void DrawProgram(QPainter& p, const QColor&, const QColor&) {
    // A cable cut across: sheath, insulation and the copper core, crossed by a spark.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x26, 0x32, 0x38));
    p.drawEllipse(QPointF(12, 12), 11, 11);
    p.setBrush(QColor(0x42, 0xa5, 0xf5));
    p.drawEllipse(QPointF(12, 12), 8.5, 8.5);
    p.setBrush(kCopper);
    p.drawEllipse(QPointF(12, 12), 5.5, 5.5);
    p.setBrush(QColor(0xff, 0xd5, 0x4f));
    p.setPen(InkPen(QColor(0x26, 0x32, 0x38), 0.8));
    p.drawPolygon(QPolygonF({QPointF(13.5, 2.5), QPointF(7.5, 13), QPointF(11.5, 13),
                             QPointF(10, 21.5), QPointF(16.5, 10.5), QPointF(12.5, 10.5)}));
}

class TPaintedIconEngine : public QIconEngine {
  public:
    explicit TPaintedIconEngine(TAmpwiseIcon kind) : m_kind(kind) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        const bool disabled = mode == QIcon::Disabled;
        const QColor ink = disabled ? QColor(0xa0, 0xa0, 0xa0) : kInk;
        const QColor accent = disabled ? QColor(0xd0, 0xd0, 0xd0) : kAccent;
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        const qreal side = std::min(rect.width(), rect.height());
        painter->translate(rect.x() + (rect.width() - side) / 2.0,
                           rect.y() + (rect.height() - side) / 2.0);
        painter->scale(side / 24.0, side / 24.0);
        switch (m_kind) {
        case TAmpwiseIcon::Calculate:
            DrawCalculate(*painter, ink, accent);
            break;
        case TAmpwiseIcon::Report:
            DrawReport(*painter, ink, accent);
            break;
        case TAmpwiseIcon::Reset:
            DrawReset(*painter, ink, accent);
            break;
        case TAmpwiseIcon::Settings:
            DrawSettings(*painter, ink, accent);
            break;
        case TAmpwiseIcon::Help:
            DrawRoundSign(*painter, ink, accent, true);
            break;
        case TAmpwiseIcon::About:
            DrawRoundSign(*painter, ink, accent, false);
            break;
        case TAmpwiseIcon::Motor:
            DrawMotor(*painter, ink, accent);
            break;
        case TAmpwiseIcon::Program:
            DrawProgram(*painter, ink, accent);
            break;
        }
        painter->restore();
    }

    // QIcon hands over the size already multiplied by the device pixel ratio, so painting at
    // exactly this size is what keeps the icon sharp.
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        QPixmap pm(size);
        pm.fill(Qt::transparent);
        QPainter painter(&pm);
        paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        return pm;
    }

    QIconEngine* clone() const override { return new TPaintedIconEngine(m_kind); }

  private:
    TAmpwiseIcon m_kind;
};

} // namespace

QIcon AmpwiseIcon(TAmpwiseIcon kind) {
    return QIcon(new TPaintedIconEngine(kind));
}

} // namespace qv
