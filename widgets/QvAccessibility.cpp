// What the windows tell assistive technology (see QvAccessibility.h).
#include "widgets/QvAccessibility.h"

#include <QColor>
#include <QString>
#include <QToolBar>
#include <QToolButton>

#include <cmath>

namespace qv {

void AnnounceStatus(QWidget* statusBar, const QString& text) {
    // Setting the name raises the name-change event itself.
    if (statusBar && statusBar->accessibleName() != text)
        statusBar->setAccessibleName(text);
}

namespace {

double Luminance(const QColor& c) {
    const auto linear = [](double v) {
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    const QColor rgb = c.toRgb();
    return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF()) +
           0.0722 * linear(rgb.blueF());
}

} // namespace

double ContrastRatio(const QColor& a, const QColor& b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor ReadableOn(const QColor& ink, const QColor& paper, double ratio) {
    if (ContrastRatio(ink, paper) >= ratio)
        return ink;
    // Towards white or towards black, whichever can stand out more against this paper.
    const bool lighter = ContrastRatio(Qt::white, paper) >= ContrastRatio(Qt::black, paper);
    const QColor hsl = ink.toHsl();
    const QColor end = lighter ? QColor(Qt::white) : QColor(Qt::black);
    if (ContrastRatio(end, paper) < ratio)
        return end;
    // The least change of lightness that reaches the ratio: halve the interval 30 times.
    double from = hsl.lightnessF(), to = lighter ? 1.0 : 0.0;
    for (int i = 0; i < 30; ++i) {
        const double mid = (from + to) / 2;
        const QColor c = QColor::fromHslF(hsl.hslHueF(), hsl.hslSaturationF(), mid);
        (ContrastRatio(c, paper) >= ratio ? to : from) = mid;
    }
    return QColor::fromHslF(hsl.hslHueF(), hsl.hslSaturationF(), to).toRgb();
}

void NameToolBarExtension(QToolBar* bar) {
    if (auto* more = bar->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button")))
        more->setAccessibleName(QStringLiteral("More commands"));
}

} // namespace qv
