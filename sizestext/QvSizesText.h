// The words and figures of the Cable Sizes window: every standard size for one calculation of the
// main window, the verdict that says why the chosen size and not a smaller one, the table's cells,
// and the table as tab-separated and CSV text. Pure C++: the window only shows what this gives.
#pragma once

#include "core/QvCableSizes.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace qv {

// The display unit indexes of the main window's area, length and power fields.
struct TSizesUnits {
    int Area = 2;   // utArea: mm²
    int Length = 0; // utLengthPrim: m
    int Power = 0;  // utPower: kW
};

// One calculation of the main window, in base units.
struct TSizesCircuit {
    std::string Material;
    double Conductivity = 0; // m/(Ω·mm²)
    std::uint8_t LoadType = 0;
    std::uint8_t Phase = 0;
    double Power = 0;       // kW
    double Length = 0;      // m
    double MaxVoltDrop = 0; // V
    double Current = 0;     // A, as the engine worked it out
};

// The circuit of the engine's last calculation.
TSizesCircuit SizesCircuit(const TAmpwiser& engine, double maxVoltDrop);

// Every size of the list against the circuit, and the engine's choice among them.
struct TSizesView {
    TSizesCircuit Circuit;
    TSizesUnits Units;
    std::vector<TSizeRow> Rows;
    // The first size that fits, and the chosen one: the same row, unless that size is not above
    // 0, which the engine does not count as a size. -1 for none.
    std::ptrdiff_t FirstFit = -1;
    std::ptrdiff_t Chosen = -1;
};

// Raises the EMathError the engine raises for the same circuit.
TSizesView MakeSizesView(const TSizeTable& table, const TSizesCircuit& circuit,
                         const TSizesUnits& units);

enum TSizesColumn : int {
    scSize,
    scCapacity,
    scDropLimit,
    scPermitted,
    scGoverns,
    scVoltDrop,
    scLongestRun,
};
inline constexpr int SizesColumnCount = 7;

// "Size (mm²)", "Carrying capacity (A)", "Current at drop limit (A)", ..., "Longest run (m)": areas
// and lengths in the units the main window's fields show.
std::string SizesHeader(const TSizesView& view, int column);
// A cell as the table shows it: three significant digits, sizes as listed; "-" where no figure
// exists, and the fault's message in the governs column of a size whose figures cannot be formed.
std::string SizesCell(const TSizesView& view, std::size_t row, int column);

// An area in the unit the main window's area field shows, and that unit's label.
double ShownArea(const TSizesView& view, double area);
std::string AreaUnitLabel(const TSizesView& view);

// Why this size and not the next smaller one, or why none fits; every figure is shown with the
// digits it needs to compare with the current as it really does.
std::string SizesVerdict(const TSizesView& view);

// The inputs the figures rest on, as caption and text, in the units the main window shows.
std::vector<std::pair<std::string, std::string>> SizesInputs(const TSizesView& view);

// The table as shown, tab between cells, one line per row after the header, and a last column
// "Fits" ("chosen", "yes", "no"): spreadsheets paste it as columns.
std::string SizesTabText(const TSizesView& view);

// Columns another part of the window adds after the table's own ("Fits" and, in CSV, the
// circuit's inputs): their headers, and the fields of each row as text.
struct TSizesExtraColumns {
    std::vector<std::string> Headers;
    std::vector<std::vector<std::string>> Rows; // one per row of the view, as many as Headers
};
std::string SizesTabText(const TSizesView& view, const TSizesExtraColumns& extra);
// The table as CSV with full-precision numbers, the column "Fits" ("chosen", "yes", "no"), then
// the circuit's inputs in the units shown (the same on every row); one LF-ended line per row
// after the header.
std::string SizesCsv(const TSizesView& view);
std::string SizesCsv(const TSizesView& view, const TSizesExtraColumns& extra);

// A value to `digits` significant digits without trailing zeros, locale-independent ("28.4",
// "4.27", "625", "0.000123"); very large and very small magnitudes in exponent form.
std::string SignificantText(double value, int digits);
// The shortest text that reads back as exactly the value ("14.358137207107191").
std::string ExactText(double value);

} // namespace qv
