// TSizesChart: the Cable Sizes chart's series and axes (both limits against size on log-log axes,
// the line current across, the chosen size marked, and the standard's Iz of each rated size), on a
// chart it does not own: the window's, or one made for a page.
#pragma once

#include "sizestext/QvSizesIec.h"
#include "sizestext/QvSizesText.h"

#include <QColor>
#include <QList>
#include <QString>

class QChart;
class QLineSeries;
class QLogValueAxis;
class QScatterSeries;
class QXYSeries;

namespace qv {

class TSizesChart {
  public:
    explicit TSizesChart(QChart* chart);

    QList<QXYSeries*> Series() const;
    // The width the chart needs for its legend to show every name whole, in its own pixels.
    int LegendWidth() const;
    // Draws the view's rows; an empty view leaves the lines empty. The standard's Iz where it
    // gives one.
    void Update(const TSizesView& view, const TIecView& iec = {});

    QLineSeries* Capacity = nullptr;
    QLineSeries* Drop = nullptr;
    QLineSeries* Current = nullptr;
    QScatterSeries* Chosen = nullptr;
    QLineSeries* Iz = nullptr;
    QLogValueAxis* X = nullptr;
    QLogValueAxis* Y = nullptr;
    // What the chart shows, in words, for those who cannot see it: the chosen size (or the
    // largest, when none fits), both limits there and the current needed.
    QString Description;

  private:
    QLineSeries* Line(const QColor& color, Qt::PenStyle style, const QString& name);
    QLogValueAxis* Axis();

    QChart* m_chart;
};

} // namespace qv
