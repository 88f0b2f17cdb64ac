// The icon engine of drawn icons.
#include "support/QvPaintedIcon.h"

#include <QIconEngine>
#include <QPainter>
#include <QPixmap>

#include <algorithm>

namespace qv {

namespace {

const QColor kInk(0x37, 0x47, 0x4f);
const QColor kAccent(0x1e, 0x88, 0xe5);

class TPaintedIconEngine : public QIconEngine {
  public:
    explicit TPaintedIconEngine(TIconDrawing drawing) : m_drawing(drawing) {}

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
        m_drawing(*painter, ink, accent);
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

    QIconEngine* clone() const override { return new TPaintedIconEngine(m_drawing); }

  private:
    TIconDrawing m_drawing;
};

} // namespace

QIcon PaintedIcon(TIconDrawing drawing) {
    return QIcon(new TPaintedIconEngine(drawing));
}

} // namespace qv
