// The icon engine of drawn icons.
#include "widgets/QvPaintedIcon.h"

#include "widgets/QvStoredPng.h"

#include <QFile>
#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <utility>
#include <vector>

namespace qv {

namespace {

const QColor kInk(0x37, 0x47, 0x4f);
const QColor kAccent(0x1e, 0x88, 0xe5);

class TPaintedIconEngine : public QIconEngine {
  public:
    TPaintedIconEngine(TIconDrawing drawing, TStoredSizes stored)
        : m_drawing(drawing), m_stored(std::move(stored)) {}

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
        QPixmap pm = disabled ? QPixmap() : Stored(size);
        if (pm.isNull()) {
            pm = QPixmap(size);
            pm.fill(Qt::transparent);
            QPainter painter(&pm);
            paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        }
        m_drawn.push_back({size, disabled, pm});
        return pm;
    }

    QIconEngine* clone() const override { return new TPaintedIconEngine(m_drawing, m_stored); }

  private:
    // The stored file of this size, if there is one and it reads as that size.
    QPixmap Stored(const QSize& size) const {
        if (size.width() != size.height() || std::find(m_stored.Sides.begin(), m_stored.Sides.end(),
                                                       size.width()) == m_stored.Sides.end())
            return {};
        QFile file(m_stored.Path.arg(size.width()));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QImage image = ReadStoredPng(file.readAll());
        if (image.size() != size)
            return {};
        return QPixmap::fromImage(std::move(image));
    }

    struct TDrawn {
        QSize Size;
        bool Disabled; // the only mode drawn differently
        QPixmap Pixmap;
    };
    TIconDrawing m_drawing;
    TStoredSizes m_stored;
    std::vector<TDrawn> m_drawn;
};

} // namespace

QIcon PaintedIcon(TIconDrawing drawing, TStoredSizes stored) {
    return QIcon(new TPaintedIconEngine(drawing, std::move(stored)));
}

} // namespace qv
