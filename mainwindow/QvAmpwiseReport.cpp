// Composes the calculation report text.
#include "mainwindow/QvAmpwiseReport.h"

#include "units/QvConv.h"

namespace qv {

namespace {
QString Num(const char* format, double v) {
    return QString::fromStdString(FormatFloat(format, v));
}
QString Row(const QString& a, const QString& b) {
    return a + '\t' + b;
}
QString Row(const QString& a, const QString& b, const QString& c) {
    return a + '\t' + b + '\t' + c;
}
} // namespace

QStringList ComposeReportLines(const TReportInputs& in) {
    return {
        QString(),
        in.Title,
        QStringLiteral("Report"),
        QString(),
        Row(in.MaterialCaption, in.MaterialText),
        Row(QStringLiteral("Conductivity"), Num("%0.3g", in.Conductivity), kConductivityUnit),
        Row(in.LoadTypeCaption, in.LoadTypeText),
        Row(in.PowerCaption, in.PowerText, in.PowerUnit),
        Row(in.PhaseCaption, in.PhaseText),
        Row(in.LengthCaption, in.LengthText, in.LengthUnit),
        // The shortest general form through the same formatting as every other number.
        Row(QStringLiteral("MaxVoltDrop"), Num("%0.15g", in.MaxVoltDrop), QStringLiteral("Volts")),
        QString(),
        Row(in.CurrentCaption, in.CurrentText, in.CurrentUnit),
        Row(QStringLiteral("Voltage Drop"), Num("%0.1g", in.VoltDrop), QStringLiteral("Volts")),
        Row(in.AreaCaption, in.AreaText, in.AreaUnit),
        QString(),
        QString(55, QChar('-')),
        kReportNotice,
    };
}

} // namespace qv
