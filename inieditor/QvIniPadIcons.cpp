// Scissors, two sheets and a clipboard, drawn on the 24 x 24 grid of a painted icon.
#include "inieditor/QvIniPadIcons_p.h"

#include "widgets/QvPaintedIcon.h"

#include <QPainter>

namespace qv {

namespace {

QPen InkPen(const QColor& c, qreal width) {
    return QPen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void DrawCut(QPainter& p, const QColor& ink, const QColor& accent) {
    p.setBrush(Qt::NoBrush);
    p.setPen(InkPen(ink, 1.75));
    p.drawLine(QPointF(9.4, 15.0), QPointF(17.0, 2.75));
    p.drawLine(QPointF(14.6, 15.0), QPointF(7.0, 2.75));
    p.setPen(InkPen(accent, 2.0));
    p.drawEllipse(QPointF(7.5, 18), 3.25, 3.25);
    p.drawEllipse(QPointF(16.5, 18), 3.25, 3.25);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawEllipse(QPointF(12, 10.8), 1.1, 1.1);
}

void DrawSheet(QPainter& p, const QColor& ink, const QColor& accent, const QRectF& sheet) {
    p.setPen(InkPen(ink, 1.5));
    p.setBrush(PaintedIconPaper);
    p.drawRect(sheet);
    p.setPen(InkPen(accent, 1.5));
    for (int i = 0; i < 3; ++i) {
        const qreal y = sheet.top() + 3.5 + i * 3;
        p.drawLine(QPointF(sheet.left() + 2.5, y), QPointF(sheet.right() - 2.5, y));
    }
}

void DrawCopy(QPainter& p, const QColor& ink, const QColor& accent) {
    DrawSheet(p, ink, accent, QRectF(3.75, 2.75, 11, 13.5));
    DrawSheet(p, ink, accent, QRectF(9.25, 7.75, 11, 13.5));
}

void DrawPaste(QPainter& p, const QColor& ink, const QColor& accent) {
    p.setPen(InkPen(ink, 1.5));
    p.setBrush(accent);
    p.drawRoundedRect(QRectF(4.75, 4.25, 14.5, 17), 1.5, 1.5);
    p.setBrush(ink);
    p.drawRoundedRect(QRectF(8.75, 2.75, 6.5, 3.5), 1, 1);
    DrawSheet(p, ink, ink, QRectF(8.25, 9.25, 8.5, 10));
}

} // namespace

QIcon IniPadIcon(TIniPadIcon kind) {
    switch (kind) {
    case TIniPadIcon::Cut:
        return PaintedIcon(DrawCut);
    case TIniPadIcon::Copy:
        return PaintedIcon(DrawCopy);
    case TIniPadIcon::Paste:
        return PaintedIcon(DrawPaste);
    }
    return {};
}

} // namespace qv
