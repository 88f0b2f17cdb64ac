// The icon engine that makes its icon on first use, and the style that defers with it.
#include "widgets/QvDeferredIcon.h"

#include <QIconEngine>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QStyleOption>

#include <memory>

namespace qv {

namespace {

// What the engine and its clones share: the maker until it has run, then its icon.
struct TDeferred {
    std::function<QIcon()> Make;
    QIcon Made;

    const QIcon& Icon() {
        if (Make) {
            Made = Make();
            Make = nullptr;
        }
        return Made;
    }
};

class TDeferredIconEngine : public QIconEngine {
  public:
    explicit TDeferredIconEngine(std::shared_ptr<TDeferred> deferred)
        : m_deferred(std::move(deferred)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        m_deferred->Icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return m_deferred->Icon().actualSize(size, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return m_deferred->Icon().pixmap(size, 1.0, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override {
        // `size` is in device pixels already; the made icon takes it in logical ones.
        return m_deferred->Icon().pixmap(size / scale, scale, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return m_deferred->Icon().availableSizes(mode, state);
    }
    QString iconName() override { return m_deferred->Icon().name(); }
    bool isNull() override { return m_deferred->Icon().isNull(); }
    QIconEngine* clone() const override { return new TDeferredIconEngine(m_deferred); }

  private:
    std::shared_ptr<TDeferred> m_deferred;
};

} // namespace

QIcon DeferredIcon(std::function<QIcon()> make) {
    auto deferred = std::make_shared<TDeferred>();
    deferred->Make = std::move(make);
    return QIcon(new TDeferredIconEngine(std::move(deferred)));
}

TDeferredIconStyle::TDeferredIconStyle(QStyle* base) : QProxyStyle(base) {}

QIcon TDeferredIconStyle::standardIcon(StandardPixmap standardIcon, const QStyleOption* option,
                                       const QWidget* widget) const {
    if (standardIcon != SP_ToolBarHorizontalExtensionButton &&
        standardIcon != SP_ToolBarVerticalExtensionButton)
        return QProxyStyle::standardIcon(standardIcon, option, widget);
    // The option and the widget may be gone by the time the icon is drawn: only the direction,
    // which picks the arrow, is kept.
    const Qt::LayoutDirection direction =
        option ? option->direction : (widget ? widget->layoutDirection() : Qt::LayoutDirectionAuto);
    const QPointer<const QStyle> base = baseStyle();
    return DeferredIcon([base, standardIcon, direction] {
        if (!base) // the style was replaced before the picture was ever drawn
            return QIcon();
        if (direction == Qt::LayoutDirectionAuto)
            return base->standardIcon(standardIcon);
        QStyleOption kept;
        kept.direction = direction;
        return base->standardIcon(standardIcon, &kept);
    });
}

} // namespace qv
