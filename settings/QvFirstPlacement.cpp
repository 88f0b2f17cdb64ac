// A new window's first placement beside another (see QvFirstPlacement.h).
#include "settings/QvFirstPlacement.h"

#include "settings/QvRegistry.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <array>

namespace qv {

namespace {

// Room for a frame the window manager has not drawn yet (title bar and borders).
const QSize kFrameGuess(16, 48);

qint64 Area(const QRect& r) {
    return r.isEmpty() ? 0 : qint64(r.width()) * r.height();
}

int Clamp(int at, int low, int length, int room) {
    return std::max(low, std::min(at, low + room - length));
}

} // namespace

QRect PlaceBeside(const QRect& anchor, QSize size, QSize minimum, const QRect& screen, int gap) {
    size = size.boundedTo(screen.size());
    minimum = minimum.boundedTo(size);
    // Room on each side of the anchor, then where a window of width w (or height h) goes there.
    const int right = screen.right() - anchor.right() - gap;
    const int left = anchor.left() - gap - screen.left();
    const int below = screen.bottom() - anchor.bottom() - gap;
    const int above = anchor.top() - gap - screen.top();
    const auto sideways = [&](int room, bool toRight) {
        const int w = std::clamp(room, 0, size.width());
        const int x = toRight ? anchor.right() + 1 + gap : anchor.left() - gap - w;
        const int y = Clamp(anchor.top(), screen.top(), size.height(), screen.height());
        return QRect(x, y, w, size.height());
    };
    const auto upright = [&](int room, bool toBelow) {
        const int h = std::clamp(room, 0, size.height());
        const int y = toBelow ? anchor.bottom() + 1 + gap : anchor.top() - gap - h;
        const int x = Clamp(anchor.left(), screen.left(), size.width(), screen.width());
        return QRect(x, y, size.width(), h);
    };
    const std::array<QRect, 4> beside = {sideways(right, true), sideways(left, false),
                                         upright(below, true), upright(above, false)};
    // Whole, in that order of preference.
    for (const QRect& r : beside)
        if (r.size() == size)
            return r;
    // Narrowed or shortened: the biggest that is still big enough.
    const QRect* best = nullptr;
    for (const QRect& r : beside)
        if (r.width() >= minimum.width() && r.height() >= minimum.height() &&
            (!best || Area(r) > Area(*best)))
            best = &r;
    if (best)
        return *best;
    // At its size, pushed onto the screen from each side: where it covers least of the anchor.
    const auto onScreen = [&](int x, int y) {
        return QRect(Clamp(x, screen.left(), size.width(), screen.width()),
                     Clamp(y, screen.top(), size.height(), screen.height()), size.width(),
                     size.height());
    };
    const std::array<QRect, 4> pushed = {
        onScreen(anchor.right() + 1 + gap, anchor.top()),
        onScreen(anchor.left() - gap - size.width(), anchor.top()),
        onScreen(anchor.left(), anchor.bottom() + 1 + gap),
        onScreen(anchor.left(), anchor.top() - gap - size.height())};
    const QRect* least = &pushed[0];
    for (const QRect& r : pushed)
        if (Area(r.intersected(anchor)) < Area(least->intersected(anchor)))
            least = &r;
    return *least;
}

void PlaceWindowBeside(QWidget* window, const QWidget* anchor, QSize size, QSize minimum) {
    if (!anchor)
        return;
    const QScreen* screen = anchor->screen();
    if (!screen)
        return;
    if (size.isEmpty())
        size = window->size();
    if (minimum.isEmpty())
        minimum = window->minimumSizeHint().expandedTo(window->minimumSize());
    const QRect frame = PlaceBeside(anchor->frameGeometry(), size + kFrameGuess,
                                    minimum + kFrameGuess, screen->availableGeometry());
    window->resize(frame.size() - kFrameGuess);
    window->move(frame.topLeft());
}

void PlaceBesideUnlessKept(QWidget* window, const QWidget* anchor, const TRegistryIniFile& store) {
    if (!store.ValueExists(window->objectName().toStdString(), "Left"))
        PlaceWindowBeside(window, anchor);
}

} // namespace qv
