// The icon engine of drawn icons.
#include "widgets/QvPaintedIcon.h"

#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <vector>

namespace qv {

namespace {

const QColor kInk(0x37, 0x47, 0x4f);
const QColor kAccent(0x1e, 0x88, 0xe5);

class TPaintedIconEngine : public QIconEngine {
  public:
    TPaintedIconEngine(TIconDrawing drawing, std::span<const TBakedPixels> baked)
        : m_drawing(drawing), m_baked(baked) {}

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
    // exactly this size is what keeps the icon sharp. Each size is drawn once: a window's icon
    // is asked for in six sizes, twice, as the window is made, and a tool bar asks at every
    // repaint.
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        const bool disabled = mode == QIcon::Disabled;
        for (const TDrawn& d : m_drawn)
            if (d.Size == size && d.Disabled == disabled)
                return d.Pixmap;
        QPixmap pm = disabled ? QPixmap() : Baked(size);
        if (pm.isNull()) {
            pm = QPixmap(size);
            pm.fill(Qt::transparent);
            QPainter painter(&pm);
            paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        }
        m_drawn.push_back({size, disabled, pm});
        return pm;
    }

    QIconEngine* clone() const override { return new TPaintedIconEngine(m_drawing, m_baked); }

  private:
    QPixmap Baked(const QSize& size) const {
        for (const TBakedPixels& b : m_baked)
            if (size == QSize(b.Side, b.Side))
                return QPixmap::fromImage(QImage(reinterpret_cast<const uchar*>(b.Pixels), b.Side,
                                                 b.Side, QImage::Format_ARGB32_Premultiplied));
        return {};
    }

    struct TDrawn {
        QSize Size;
        bool Disabled; // the only mode drawn differently
        QPixmap Pixmap;
    };
    TIconDrawing m_drawing;
    std::span<const TBakedPixels> m_baked;
    std::vector<TDrawn> m_drawn;
};

} // namespace

QIcon PaintedIcon(TIconDrawing drawing, std::span<const TBakedPixels> baked) {
    return QIcon(new TPaintedIconEngine(drawing, baked));
}

} // namespace qv
