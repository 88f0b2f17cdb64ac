// The Cable Sizes chart: series, axes, title and the ranges that fit them.
#include "sizes/QvSizesChart_p.h"

#include <QChart>
#include <QFontMetrics>
#include <QLegend>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QPen>
#include <QScatterSeries>

#include <algorithm>
#include <cmath>

namespace qv {

namespace {

const QColor kCapacityLine(0x1e, 0x88, 0xe5);
const QColor kDropLine(0xe5, 0x39, 0x35);
const QColor kCurrentLine(0x37, 0x47, 0x4f);
const QColor kChosenMark(0x2e, 0x7d, 0x32);
const QColor kIzLine(0x8e, 0x24, 0xaa);

// Point markers help reading a short list; on a long one they would hide the lines.
constexpr std::size_t kMaxMarkedPoints = 60;
// Both limits are powers of the size, straight lines on log-log axes: a long list is drawn
// through every so many of its points (and its ends), which looks the same and maps faster.
constexpr qsizetype kMaxDrawnPoints = 200;

QList<QPointF> Thinned(const QList<QPointF>& points) {
    if (points.size() <= kMaxDrawnPoints)
        return points;
    QList<QPointF> out;
    out.reserve(kMaxDrawnPoints + 1);
    const double step = static_cast<double>(points.size() - 1) / (kMaxDrawnPoints - 1);
    for (qsizetype i = 0; i < kMaxDrawnPoints; ++i)
        out.append(points[static_cast<qsizetype>(std::lround(static_cast<double>(i) * step))]);
    return out;
}

// The power of ten at or below (`up` false) or at or above a positive value.
double Decade(double v, bool up) {
    const double e = std::log10(v);
    return std::pow(10.0, up ? std::ceil(e) : std::floor(e));
}

// A format that writes every power of ten from `lowest` up as a plain number: "%g" would write
// a million as "1e+06". Decades below 0.0001, which "%g" writes with an exponent, get as many
// decimals as the lowest needs.
QString PlainFormat(double lowest) {
    const int decimals = static_cast<int>(std::lround(-std::log10(lowest)));
    return decimals > 4 ? QStringLiteral("%.%1f").arg(decimals) : QStringLiteral("%.15g");
}

} // namespace

TSizesChart::TSizesChart(QChart* chart) : m_chart(chart) {
    chart->setBackgroundRoundness(0);
    chart->setDropShadowEnabled(false);
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->legend()->setAlignment(Qt::AlignBottom);
    QFont small = chart->legend()->font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    chart->legend()->setFont(small);
    chart->setMargins(QMargins(4, 4, 4, 4));

    Capacity = Line(kCapacityLine, Qt::SolidLine, QStringLiteral("Carrying capacity"));
    Drop = Line(kDropLine, Qt::SolidLine, QStringLiteral("Drop limit"));
    Current = Line(kCurrentLine, Qt::DashLine, QStringLiteral("Line current"));
    Chosen = new QScatterSeries(chart);
    Chosen->setMarkerShape(QScatterSeries::MarkerShapeCircle);
    Chosen->setMarkerSize(11);
    Chosen->setColor(kChosenMark);
    Chosen->setBorderColor(kChosenMark.darker(130));
    Chosen->setName(QStringLiteral("Chosen size"));
    chart->addSeries(Chosen);
    // After the present series, so that their order in the legend stays.
    Iz = Line(kIzLine, Qt::DashDotLine, QStringLiteral("Iz"));

    X = Axis();
    Y = Axis();
    Y->setTitleText(QStringLiteral("Current (A)"));
    chart->addAxis(X, Qt::AlignBottom);
    chart->addAxis(Y, Qt::AlignLeft);
    for (QXYSeries* s : Series()) {
        s->attachAxis(X);
        s->attachAxis(Y);
    }
}

QList<QXYSeries*> TSizesChart::Series() const {
    return {Capacity, Drop, Current, Chosen, Iz};
}

int TSizesChart::LegendWidth() const {
    // Each name follows a marker as tall as a line of text, with gaps about it that come to
    // under two and a half lines' height; the legend shortens names it has no room for.
    const QFontMetrics metrics(m_chart->legend()->font());
    int width = 0;
    for (const QXYSeries* s : Series())
        width += metrics.horizontalAdvance(s->name()) + 5 * metrics.height() / 2;
    const QMargins margins = m_chart->margins();
    return width + margins.left() + margins.right() + 3 * metrics.height() / 2;
}

namespace {

// The chosen size and both limits at it; with none chosen, the largest size whose figures exist,
// as the one that comes nearest.
QString LimitsText(const TSizesView& view) {
    std::ptrdiff_t at = view.Chosen;
    QString what = QStringLiteral(" chosen");
    if (at < 0) {
        what = QStringLiteral(" the largest");
        for (std::size_t i = 0; i < view.Rows.size(); ++i)
            if (view.Rows[i].Fault.empty() &&
                (at < 0 || view.Rows[i].Area > view.Rows[static_cast<std::size_t>(at)].Area))
                at = static_cast<std::ptrdiff_t>(i);
    }
    if (at < 0)
        return QStringLiteral("No size fits");
    const auto row = static_cast<std::size_t>(at);
    const auto cell = [&](int column) {
        return QString::fromStdString(SizesCell(view, row, column));
    };
    const QString limits = QStringLiteral("carrying capacity %1 A, current at drop limit %2 A")
                               .arg(cell(scCapacity), cell(scDropLimit));
    const QString size = cell(scSize) + " " + QString::fromStdString(AreaUnitLabel(view));
    return view.Chosen >= 0
               ? size + what + ": " + limits
               : QStringLiteral("No size fits; at ") + size + "," + what + ", " + limits;
}

} // namespace

void TSizesChart::Update(const TSizesView& view, const TIecView& iec) {
    QList<QPointF> capacity, drop, iz;
    double xLo = 0, xHi = 0, yLo = 0, yHi = 0;
    const auto take = [](double v, double& lo, double& hi) {
        lo = lo == 0 ? v : std::min(lo, v);
        hi = std::max(hi, v);
    };
    for (const TSizeRow& r : view.Rows) {
        const double x = ShownArea(view, r.Area);
        // A logarithmic axis has no place for 0 or less.
        if (!r.Fault.empty() || !(x > 0))
            continue;
        if (r.Capacity > 0) {
            capacity.append(QPointF(x, r.Capacity));
            take(r.Capacity, yLo, yHi);
        }
        if (r.DropLimit > 0) {
            drop.append(QPointF(x, r.DropLimit));
            take(r.DropLimit, yLo, yHi);
        }
        if (r.Capacity > 0 || r.DropLimit > 0)
            take(x, xLo, xHi);
    }
    for (std::size_t i = 0; i < view.Rows.size() && iec.Derated; ++i) {
        const double x = ShownArea(view, view.Rows[i].Area);
        if (!(x > 0) || i >= iec.RowOf.size() || !iec.RowOf[i])
            continue;
        const iec::TIecRow& r = iec.Answer->Rows[*iec.RowOf[i]];
        if (r.Rated && r.Iz > 0) {
            iz.append(QPointF(x, r.Iz));
            take(r.Iz, yLo, yHi);
            take(x, xLo, xHi);
        }
    }
    const auto byArea = [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); };
    std::sort(capacity.begin(), capacity.end(), byArea);
    std::sort(drop.begin(), drop.end(), byArea);
    std::sort(iz.begin(), iz.end(), byArea);

    const TSizesCircuit& c = view.Circuit;
    QList<QPointF> current, chosen;
    if (c.Current > 0 && xHi > 0) {
        current = {QPointF(xLo, c.Current), QPointF(xHi, c.Current)};
        take(c.Current, yLo, yHi);
    }
    QString chosenText = QStringLiteral("no size fits");
    if (view.Chosen >= 0) {
        const TSizeRow& r = view.Rows[static_cast<std::size_t>(view.Chosen)];
        chosenText =
            QString::fromStdString(SizesCell(view, static_cast<std::size_t>(view.Chosen), scSize)) +
            " " + QString::fromStdString(AreaUnitLabel(view)) + " chosen";
        if (r.Permitted > 0)
            chosen = {QPointF(ShownArea(view, r.Area), r.Permitted)};
    }

    Capacity->replace(Thinned(capacity));
    Drop->replace(Thinned(drop));
    // The standard's capacities step from size to size: every point is drawn.
    Iz->replace(iz);
    Current->replace(current);
    Chosen->replace(chosen);
    const bool marked = capacity.size() <= static_cast<qsizetype>(kMaxMarkedPoints);
    Capacity->setPointsVisible(marked);
    Drop->setPointsVisible(marked);
    Iz->setPointsVisible(iz.size() <= static_cast<qsizetype>(kMaxMarkedPoints));

    // The legend stays short; what the curves are drawn for goes above them.
    if (view.Rows.empty()) {
        m_chart->setTitle(QString());
        Description = QStringLiteral("No sizes to show.");
    } else {
        const auto input = [&](const char* caption) {
            for (const auto& [name, value] : SizesInputs(view))
                if (name == caption)
                    return QString::fromStdString(value);
            return QString();
        };
        m_chart->setTitle(QStringLiteral("%1 over %2 within %3: %4")
                              .arg(input("Line Current"), input("Cable Length"),
                                   input("MaxVoltDrop"), chosenText));
        Description = LimitsText(view) + "; " + input("Line Current") + " needed";
    }
    X->setTitleText(QString::fromStdString(SizesHeader(view, scSize)));
    // Whole decades, so that each axis has labelled ticks however narrow its range.
    if (xHi > 0)
        X->setRange(Decade(xLo, false), Decade(xHi, true));
    if (yHi > 0)
        Y->setRange(Decade(yLo, false), Decade(yHi, true));
    for (QLogValueAxis* a : {X, Y})
        a->setLabelFormat(PlainFormat(a->min()));
}

QLineSeries* TSizesChart::Line(const QColor& color, Qt::PenStyle style, const QString& name) {
    auto* s = new QLineSeries(m_chart);
    s->setName(name);
    // Not cosmetic: on a page the lines keep their weight at the printer's resolution.
    s->setPen(QPen(color, 2, style));
    s->setColor(color);
    m_chart->addSeries(s);
    return s;
}

QLogValueAxis* TSizesChart::Axis() {
    auto* a = new QLogValueAxis(m_chart);
    a->setBase(10);
    a->setLabelFormat(PlainFormat(1));
    a->setMinorTickCount(-1);
    a->setRange(1, 10);
    return a;
}

} // namespace qv
