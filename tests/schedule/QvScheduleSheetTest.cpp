// A schedule held in memory: read in steps and written back, it gives the bytes ampwise-schedule's
// streaming run gives; spreadsheet text in and out; pasted rows mapped onto the header; the unit
// written after a quantity.
#include "schedule/QvScheduleRun.h"
#include "schedule/QvScheduleSheet.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

TElecData TestData() {
    TElecData d;
    d.Sizes = {1.5, 2.5, 4, 6, 10, 16, 25, 35, 50, 70, 95};
    d.Ratings = {{1.1, 0.78, 81.4}, {5.5, 0.84, 87.7}, {110, 0.88, 94.5}};
    d.Materials = {{"Copper", 56}, {"Aluminium", 35}};
    return d;
}

std::string Streamed(const std::string& input, const TScheduleSizer& sizer) {
    TCsvReader reader(TextSource(input));
    std::string out;
    RunSchedule(reader, sizer, TOutputFormat::Csv, [&](std::string_view s) { out += s; });
    return out;
}

std::string Held(const std::string& input, const TScheduleSizer& sizer, std::size_t step) {
    TScheduleReader reader(TextSource(input));
    std::vector<TScheduleRow> rows;
    while (reader.ReadRows(rows, step, sizer)) {
    }
    std::string out;
    WriteScheduleCsv(reader.Header(), reader.Layout(), rows, [&](std::string_view s) { out += s; });
    return out;
}

TEST(ScheduleSheet, HeldAndWrittenAsTheProgramWritesIt) {
    const TScheduleSizer sizer(TestData(), 5.5);
    const std::string h = "Circuit,Material,Load Type,Phase,Power,Length\n";
    struct Case {
        const char* name;
        std::string input;
    } cases[] = {
        {"Plain",
         h + "P1,Copper,Inductive,Three,7.5 kW,120 ft\nH,copper,resistive,single,5.5,40\n"},
        {"ByteOrderMarkAndCrLf", "\xEF\xBB\xBF"
                                 "Material,LoadType,Phase,Power,Length\r\n"
                                 "Copper,Resistive,Single,1,10\r\n"},
        {"BlankLinesSkipped", "\n\n" + h +
                                  "A,Copper,Resistive,Single,1,1\n\n\nB,Copper,Resistive,"
                                  "Single,2,2\n"},
        {"QuotedAndOtherColumns", "Note,Material,Load Type,Phase,Power,Length,Max Volt Drop,Panel\n"
                                  "\"a, \"\"b\"\"\nc\",Copper,Resistive,Single,5.5,400,11,DB-1\n"},
        {"OldResultsWorkedOutAfresh",
         h.substr(0, h.size() - 1) + ",Status,Current (A)\nX,Copper,Resistive,Single,1,1,old,9\n"},
        {"ShortAndLongRows",
         h + "S,Copper,Resistive,Single,1\nL,Copper,Resistive,Single,1,1,extra,more\n"},
        {"EveryStatus", h + "E,Gold,Resistive,Single,1,1\nN,Aluminium,Resistive,Three,84,2000\n"},
        {"HeaderOnly", h},
    };
    for (const Case& c : cases) {
        const std::string expected = Streamed(c.input, sizer);
        // A row at a time and all at once, so the steps' seams are covered.
        EXPECT_EQ(Held(c.input, sizer, 1), expected) << c.name;
        EXPECT_EQ(Held(c.input, sizer, 1000), expected) << c.name;
    }
}

TEST(ScheduleSheet, DamageIsReportedWithItsLine) {
    const TScheduleSizer sizer(TestData(), 5.5);
    struct Case {
        const char* name;
        std::string input;
        bool atHeader;
        const char* message; // the start of the ECsvError's text
    } cases[] = {
        {"Empty", "", true, "the input is empty"},
        {"NoNeededColumns", "Name,Value\n1,2\n", true, "line 1: the header lacks the column(s)"},
        {"UnterminatedQuote",
         "Material,Load Type,Phase,Power,Length\nCopper,Resistive,Single,1,1\n\"Copper,R\n", false,
         "line 3:"},
    };
    for (const Case& c : cases) {
        try {
            TScheduleReader reader(TextSource(c.input));
            EXPECT_FALSE(c.atHeader) << c.name;
            std::vector<TScheduleRow> rows;
            while (reader.ReadRows(rows, 1, sizer)) {
            }
            ADD_FAILURE() << c.name << ": read " << rows.size() << " rows";
        } catch (const ECsvError& e) {
            EXPECT_EQ(std::string(e.what()).rfind(c.message, 0), 0u) << c.name << ": " << e.what();
        }
    }
}

TEST(ScheduleSheet, TabText) {
    using Table = std::vector<std::vector<std::string>>;
    struct Case {
        const char* name;
        const char* text;
        Table table;
    } cases[] = {
        {"Empty", "", {}},
        {"FinalBreakEndsTheRow", "a\tb\nc\td\n", {{"a", "b"}, {"c", "d"}}},
        {"NoFinalBreak", "a\tb", {{"a", "b"}}},
        {"CrLfAndCr", "a\r\nb\rc", {{"a"}, {"b"}, {"c"}}},
        {"EmptyCells", "\ta\t\n\t\t", {{"", "a", ""}, {"", "", ""}}},
        {"QuotedCell", "\"x\ty\n\"\"z\"\"\"\tw\n", {{"x\ty\n\"z\"", "w"}}},
        {"QuoteInsideIsText", "12\" pipe\tb", {{"12\" pipe", "b"}}},
        {"BlankLine", "a\n\nb\n", {{"a"}, {""}, {"b"}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseTabText(c.text), c.table) << c.name;

    const std::vector<std::string> tricky = {"plain",      "tab\there", "line\nbreak",
                                             "\"quoted\"", "",          "mid\"quote"};
    std::string out;
    AppendTabRow(out, tricky);
    AppendTabRow(out, {"second"});
    EXPECT_EQ(ParseTabText(out), (Table{tricky, {"second"}}));
}

TEST(ScheduleSheet, PastedRowsMappedOntoTheHeader) {
    const std::vector<std::string> header = {"Circuit", "Material", "Load Type", "Phase",
                                             "Power",   "Length",   "Panel"};
    const TScheduleLayout layout = MatchHeader(header);
    using Table = std::vector<std::vector<std::string>>;
    struct Case {
        const char* name;
        Table pasted;
        Table records;
    } cases[] = {
        {"InShownOrderResultsDropped",
         {{"P1", "Copper", "Inductive", "Three", "7.5 kW", "40", "DB1", "14.3", "2.5"}},
         {{"P1", "Copper", "Inductive", "Three", "7.5 kW", "40", "DB1"}}},
        {"ShortRowPadded", {{"P2", "Copper"}}, {{"P2", "Copper", "", "", "", "", ""}}},
        {"HeaderRowByName",
         {{"length", "PANEL", "power", "Material", "Unknown"}, {"10", "DB2", "3", "Copper", "z"}},
         {{"", "Copper", "", "", "3", "10", "DB2"}}},
        // A circuit may well be called "Power".
        {"OneKnownNameIsData",
         {{"Power", "Copper", "Resistive"}},
         {{"Power", "Copper", "Resistive", "", "", "", ""}}},
        {"BlankRowsLeftOut", {{"", ""}, {"A"}, {""}}, {{"A", "", "", "", "", "", ""}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RecordsFromTable(c.pasted, header, layout), c.records) << c.name;
}

TEST(ScheduleSheet, UnitWrittenAfterAQuantity) {
    struct Case {
        const char* text;
        TUnitsType type;
        int unit;
    } cases[] = {
        {"7.5", utPower, 0},         {"7.5 kW", utPower, 0},      {"2200w", utPower, 1},
        {"10 HP", utPower, 2},       {"5 kVA", utPower, -1},      {"", utPower, 0},
        {"120 ft", utLengthPrim, 4}, {"3 feet", utLengthPrim, 4}, {"1500 mm ", utLengthPrim, 2},
    };
    for (const Case& c : cases)
        EXPECT_EQ(QuantityUnit(c.text, c.type), c.unit) << c.text;
}

} // namespace
} // namespace qv
