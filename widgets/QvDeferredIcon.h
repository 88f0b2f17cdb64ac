// Icons whose making waits until they are first drawn or asked about. A style's picture is read
// from image files, and the first read loads the image plugins: seconds of a slow disk, or
// milliseconds of every start, for pictures that a hidden window may never show.
#pragma once

#include <QIcon>
#include <QProxyStyle>

#include <functional>

namespace qv {

// An icon that calls `make` the first time it is drawn, sized or tested for nullness, and from
// then on answers as the icon `make` returned. Copies share the one made icon.
QIcon DeferredIcon(std::function<QIcon()> make);

// The application's style with the pictures of a tool bar's extension button deferred: every
// tool bar asks for them when it is made, and they show only when its buttons overflow it. All
// else, those pictures included once drawn, is the base style's.
class TDeferredIconStyle : public QProxyStyle {
    Q_OBJECT
  public:
    // Takes ownership of `base`, as QProxyStyle does.
    explicit TDeferredIconStyle(QStyle* base);

    QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
};

} // namespace qv
