// The Cable Sizes window on paper: inputs, verdicts, table and chart on one page of a printer or a
// PDF writer.
#pragma once

#include "sizestext/QvSizesIec.h"
#include "sizestext/QvSizesText.h"

#include <QFont>
#include <QString>

class QPagedPaintDevice;

namespace qv {

// What the page shows: the window's title, view and words, in its font.
struct TSizesPage {
    QString Title;
    const TSizesView& View;
    QString Verdict;
    // Empty when the inputs have not changed since the calculation shown.
    QString Note;
    QFont Font;
    // The standard's answer: its inputs follow the circuit's, its verdict Ampwise's, and its
    // columns the present ones.
    const TIecView* Iec = nullptr;
    QString IecVerdict;
};

// The page as one job named `jobName`; throws std::runtime_error when the device cannot be
// painted on.
void PrintSizesPage(QPagedPaintDevice& device, const TSizesPage& page, const QString& jobName);

} // namespace qv
