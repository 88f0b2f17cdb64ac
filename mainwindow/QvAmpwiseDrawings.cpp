// Vector pictures of the main window, each drawn on the 24 x 24 grid of a painted icon.
#include "mainwindow/QvAmpwiseDrawings.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <iterator>
#include <numbers>

namespace qv {

namespace {

const QColor kCopper(0xd9, 0x7b, 0x29);
const QColor& kPaper = PaintedIconPaper;

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

void DrawSizes(QPainter& p, const QColor& ink, const QColor& accent) {
    // Three cables cut across, smallest to largest, on a rising line; the middle one is chosen.
    p.setPen(InkPen(ink, 1.25));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(2.5, 21.5), QPointF(21.5, 2.5));
    const struct {
        QPointF centre;
        qreal radius;
    } cables[] = {{{5.5, 17.5}, 2.75}, {{11, 12.5}, 3.75}, {{17.5, 6.75}, 5}};
    for (const auto& c : cables) {
        p.setPen(InkPen(ink, 1.25));
        p.setBrush(kPaper);
        p.drawEllipse(c.centre, c.radius, c.radius);
        p.setPen(Qt::NoPen);
        p.setBrush(&c == &cables[1] ? accent : ink);
        p.drawEllipse(c.centre, c.radius * 0.55, c.radius * 0.55);
    }
}

void DrawSchedule(QPainter& p, const QColor& ink, const QColor& accent) {
    // A sheet ruled as a table: a coloured header row over three rows of circuits.
    const QRectF sheet(3.75, 4.75, 16.5, 14.5);
    p.setPen(InkPen(ink, 1.5));
    p.setBrush(kPaper);
    p.drawRoundedRect(sheet, 1.5, 1.5);
    p.setPen(Qt::NoPen);
    p.setBrush(accent);
    p.drawRect(QRectF(4.5, 5.5, 15, 3.25));
    p.setPen(InkPen(ink, 1));
    for (int i = 0; i < 3; ++i) {
        const qreal y = 8.75 + i * 3.5;
        p.drawLine(QPointF(4.5, y), QPointF(19.5, y));
    }
    p.drawLine(QPointF(9.5, 5.5), QPointF(9.5, 18.5));
    p.drawLine(QPointF(14.5, 5.5), QPointF(14.5, 18.5));
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

void DrawHelp(QPainter& p, const QColor& ink, const QColor& accent) {
    DrawRoundSign(p, ink, accent, true);
}

void DrawAbout(QPainter& p, const QColor& ink, const QColor& accent) {
    DrawRoundSign(p, ink, accent, false);
}

} // namespace

TIconDrawing AmpwiseDrawing(TAmpwiseIcon kind) {
    switch (kind) {
    case TAmpwiseIcon::Calculate:
        return DrawCalculate;
    case TAmpwiseIcon::Report:
        return DrawReport;
    case TAmpwiseIcon::Sizes:
        return DrawSizes;
    case TAmpwiseIcon::Schedule:
        return DrawSchedule;
    case TAmpwiseIcon::Reset:
        return DrawReset;
    case TAmpwiseIcon::Settings:
        return DrawSettings;
    case TAmpwiseIcon::Help:
        return DrawHelp;
    case TAmpwiseIcon::About:
        return DrawAbout;
    case TAmpwiseIcon::Motor:
        return DrawMotor;
    case TAmpwiseIcon::Program:
        return DrawProgram;
    }
    return nullptr;
}

std::vector<int> BakedSides(TAmpwiseIcon kind) {
    switch (kind) {
    case TAmpwiseIcon::Program:
        // The window icon's sizes, on a plain screen and on a 2x one.
        return {16, 32, 64, 128, 256};
    case TAmpwiseIcon::Motor:
        return {20, 40};
    default:
        // The tool bar's.
        return {24, 48};
    }
}

QString StoredIconPath(TAmpwiseIcon kind) {
    static constexpr const char* names[] = {"calculate", "report", "sizes", "schedule", "reset",
                                            "settings",  "help",   "about", "motor",    "program"};
    static_assert(std::size(names) == AllAmpwiseIcons.size());
    return QStringLiteral(":/mainwindow/icons/%1-%2.png")
        .arg(QString::fromLatin1(names[static_cast<int>(kind)]), QStringLiteral("%1"));
}

} // namespace qv
