// The calculation report: the 18 lines the main window writes into the report window, composed
// from plain values so the text can be checked apart from any window.
#pragma once

#include <QString>
#include <QStringList>

namespace qv {

// What the report shows, as the main window holds it at composing time: captions and field texts
// exactly as displayed, plus the engine's numbers.
struct TReportInputs {
    QString Title;
    QString MaterialCaption, MaterialText;
    double Conductivity = 0;
    QString LoadTypeCaption, LoadTypeText;
    QString PowerCaption, PowerText, PowerUnit;
    QString PhaseCaption, PhaseText;
    QString LengthCaption, LengthText, LengthUnit;
    double MaxVoltDrop = 0;
    QString CurrentCaption, CurrentText, CurrentUnit;
    double VoltDrop = -1;
    QString AreaCaption, AreaText, AreaUnit;
};

// The unit text of a conductivity; "o" stands where an ohm sign would be.
inline const QString kConductivityUnit = QString::fromUtf8("m/o\u00B7mm\u00B2");

// The closing line under the report's rule.
inline const QString kReportNotice =
    QStringLiteral("Calculated with Ampwise by Brannoworks. Check the result against the "
                   "wiring rules that apply to the installation.");

QStringList ComposeReportLines(const TReportInputs& in);

} // namespace qv
