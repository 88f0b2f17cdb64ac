// The report text composed from plain values: its 18 lines and the number formats it applies.
#include "mainwindow/QvAmpwiseReport.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

TReportInputs Defaults() {
    TReportInputs in;
    in.Title = "Ampwise 1.0.1.0";
    in.MaterialCaption = "Material";
    in.MaterialText = "Copper";
    in.Conductivity = 56;
    in.LoadTypeCaption = "Load Type";
    in.LoadTypeText = "Resistive";
    in.PowerCaption = "Power";
    in.PowerText = "5.500";
    in.PowerUnit = "kW";
    in.PhaseCaption = "Phase";
    in.PhaseText = "Single";
    in.LengthCaption = "Cable Length";
    in.LengthText = "40.000";
    in.LengthUnit = "m";
    in.MaxVoltDrop = 5.5;
    in.CurrentCaption = "Line Current";
    in.CurrentText = "23.9";
    in.CurrentUnit = "Amps";
    in.VoltDrop = 4.7;
    in.AreaCaption = "Cable X Area";
    in.AreaText = "4";
    in.AreaUnit = QString::fromUtf8("mm\u00B2");
    return in;
}

TEST(ComposeReportLines, DefaultCalculationGivesTheEighteenLines) {
    const QStringList lines = ComposeReportLines(Defaults());
    const QString mu = QString::fromUtf8("m/o\u00B7mm\u00B2");
    const QStringList expected = {
        "",
        "Ampwise 1.0.1.0",
        "Report",
        "",
        "Material\tCopper",
        "Conductivity\t56\t" + mu,
        "Load Type\tResistive",
        "Power\t5.500\tkW",
        "Phase\tSingle",
        "Cable Length\t40.000\tm",
        "MaxVoltDrop\t5.5\tVolts",
        "",
        "Line Current\t23.9\tAmps",
        "Voltage Drop\t5\tVolts",
        QString::fromUtf8("Cable X Area\t4\tmm\u00B2"),
        "",
        "-------------------------------------------------------",
        kReportNotice,
    };
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(lines[16].size(), 55);
    EXPECT_FALSE(lines[17].isEmpty());
}

// Hand-checked general formats with one and three significant digits.
TEST(ComposeReportLines, NumberFormats) {
    struct Row {
        const char* name;
        double conductivity, voltDrop, maxVoltDrop;
        const char* line6;
        const char* line11;
        const char* line14;
    };
    const Row rows[] = {
        {"small drop keeps one digit", 35.7, 0.46, 5.5, "35.7", "5.5", "0.5"},
        {"two-digit drop goes exponential", 56, 12, 10, "56", "10", "1E001"},
        {"no size found shows -1", 1, -1, 3.25, "1", "3.25", "-1"},
        {"conductivity rounds to three digits", 57.14, 4.7, 0.1, "57.1", "0.1", "5"},
        {"large conductivity goes exponential", 1234, 0.04, 100, "1.23E003", "100", "0.04"},
        {"tiny limit has a three-digit exponent", 56, 4.7, 9.43000596359504E-5, "56",
         "9.43000596359504E-005", "5"},
        {"huge limit has a three-digit exponent", 56, 4.7, 1e15, "56", "1E015", "5"},
        {"sixteen digits round from eighteen", 56, 4.7, 840.4592718641685, "56", "840.459271864169",
         "5"},
        {"fifteen digits stay", 56, 4.7, 123456789012345, "56", "123456789012345", "5"},
        // Beyond the three digits the other lines show, the limit keeps all of its own.
        {"four-digit limit", 56, 4.7, 11.25, "56", "11.25", "5"},
        {"thousands limit", 56, 4.7, 1250, "56", "1250", "5"},
    };
    for (const Row& r : rows) {
        TReportInputs in = Defaults();
        in.Conductivity = r.conductivity;
        in.VoltDrop = r.voltDrop;
        in.MaxVoltDrop = r.maxVoltDrop;
        const QStringList lines = ComposeReportLines(in);
        ASSERT_EQ(lines.size(), 18) << r.name;
        EXPECT_EQ(lines[5].section('\t', 1, 1), r.line6) << r.name;
        EXPECT_EQ(lines[10].section('\t', 1, 1), r.line11) << r.name;
        EXPECT_EQ(lines[13].section('\t', 1, 1), r.line14) << r.name;
    }
}

} // namespace
} // namespace qv
