// The installation standard's tables as data: tabulated currents by insulation, loaded
// conductors, material and method, and the correction factors for temperature, soil and
// grouping. Lookups take the next higher row or column and never interpolate.
#pragma once

#include "iec/QvIec.h"

#include <array>
#include <cstddef>
#include <optional>

namespace qv::iec {

// The conductor sizes the capacity tables list, mm².
inline constexpr std::array<double, 16> kTableSizes = {1.5, 2.5, 4,  6,   10,  16,  25,  35,
                                                       50,  70,  95, 120, 150, 185, 240, 300};

// The position of an area in kTableSizes, or none.
std::optional<std::size_t> TableSizeIndex(double area);

// What the capacity tables hold for one cell.
struct TTabulated {
    enum TKind : std::uint8_t { Value, NotListed, Unconfirmed } Kind = NotListed;
    double Current = 0; // A, for Value
};
TTabulated Tabulated(TInsulation insulation, int loadedConductors, TMaterial material,
                     TMethod method, std::size_t sizeIndex);

// The last row of the air (B.52.14) and ground (B.52.15) temperature tables, °C.
double LastAirRow(TInsulation insulation);
double LastGroundRow(TInsulation insulation);
// Temperature factors: the row at or above the temperature, the first row below it; none above
// the last row, where the cable may not be used.
std::optional<double> AirTemperatureFactor(TInsulation insulation, double temperature);
std::optional<double> GroundTemperatureFactor(TInsulation insulation, double temperature);
// Soil resistivity factor for cables in ducts (D1) or direct in the ground (D2): the row at or
// above the resistivity; none above 3 K·m/W.
std::optional<double> SoilFactor(bool inDucts, double resistivity);
// Grouping factor for 1 to 20 circuits: the column at or above the count; the single-layer
// arrangements take their nine-circuit value beyond nine. None outside 1 to 20.
std::optional<double> GroupingFactor(TArrangement arrangement, int circuits);

} // namespace qv::iec
