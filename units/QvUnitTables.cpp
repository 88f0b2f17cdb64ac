// The unit catalogue: one constant list of units per physical quantity, and the table that maps
// every unit type to its caption and list. Types with the same units point at the same list.
#include "units/QvConv.h"

#include <array>
#include <cstddef>

namespace qv {

namespace {

template <std::size_t N> using Units = std::array<TUnitRec, N>;

const Units<5> AirFlowUnits{{
    {"m³/s", "m3/s", 1, 0, "%0.3f"},
    {"m³/min", "m3/min", 60, 0, "%0.2f"},
    {"m³/hr", "m3/hr", 3600, 0, "%0.0f"},
    {"l/s", "l/s", 1000, 0, "%0.0f"},
    {"cfm", "cfm", 2118.8800032893155, 0, "%0.2f"},
}};

const Units<3> AirFlowSmallUnits{{
    {"l/s", "l/s", 1, 0, "%0.1f"},
    {"m³/min", "m3/min", 0.06, 0, "%0.2f"},
    {"cfm", "cfm", 2.1188800032893154, 0, "%0.3f"},
}};

const Units<5> AirFlowRateUnits{{
    {"m³/s/m²", "m3/s/sqm", 1, 0, "%0.3f"},
    {"m³/min/m²", "m3/min/sqm", 60, 0, "%0.2f"},
    {"m³/hr/m²", "m3/hr/sqm", 3600, 0, "%0.0f"},
    {"l/s/m²", "l/s/sqm", 1000, 0, "%0.0f"},
    {"cfm/ft²", "cfm/sqft", 196.8503937007874, 0, "%0.2f"},
}};

const Units<8> PressureUnits{{
    {"kPa", "kPa", 1, 0, "%0.3f"},
    {"Pa", "Pa", 1000, 0, "%0.0f"},
    {"Psi", "Psi", 0.1450376807894691, 0, "%0.3f"},
    {"Bar", "Bar", 0.01, 0, "%0.5f"},
    {"Atm", "Atm", 0.00986923, 0, "%0.5f"},
    {"InchWg", "InchWg", 4.014630759755623, 0, "%0.4f"},
    {"InchHg", "InchHg", 0.295, 0, "%0.3f"},
    {"mHead", "mHead", 0.10197162129779283, 0, "%0.2f"},
}};
// The barometric list is the pressure list without "Pa" and "InchWg".
const std::array<std::uint8_t, 6> PressureBarIndices{0, 2, 3, 4, 6, 7};

const Units<2> AltitudeUnits{{
    {"m", "metres", 1, 0, "%0.1f"},
    {"ft", "feet", 3.2808398950131235, 0, "%0.1f"},
}};

const Units<2> AngularSpeedUnits{{
    {"rpm", "rpm", 1, 0, "%0.0f"},
    {"Rad/s", "Rad/s", 0.10471975511965978, 0, "%0.3f"},
}};

const Units<5> AreaUnits{{
    {"m²", "sqm", 1, 0, "%0.1f"},
    {"cm²", "sqcm", 10000, 0, "%0.1f"},
    {"mm²", "sqmm", 1000000, 0, "%0.0f"},
    {"inch²", "sqinch", 1550.0031000062, 0, "%0.2f"},
    {"ft²", "sqft", 10.763910416709722, 0, "%0.1f"},
}};

const Units<2> CondensateRateUnits{{
    {"g/s", "g/s", 1, 0, "%0.4g"},
    {"kg/s", "kg/s", 0.001, 0, "%0.4g"},
}};

const Units<3> ConductivityUnits{{
    {"W/mK", "W/mK", 1, 0, "%0.4g"},
    {"mW/mK", "mW/mK", 1000, 0, "%0.4g"},
    {"Btu/hr·ft°F", "Btu/hrftdegF", 0.5777007510109763, 0, "%0.4g"},
}};

const Units<2> DensityUnits{{
    {"kg/m³", "kg/m3", 1, 0, "%0.4g"},
    {"lb/ft³", "lb/ft3", 0.06242796057614461, 0, "%0.4g"},
}};

const Units<5> DiameterUnits{{
    {"m", "metres", 1, 0, "%0.3f"},
    {"mm", "millimetres", 1000, 0, "%0.0f"},
    {"inch", "inches", 39.37007874015748, 0, "%0.2f"},
    {"1/8\"", "eighthsOfAnInch", 314.96062992125985, 0, "%0.0f"},
    {"ft", "feet", 3.2808398950131235, 0, "%0.3f"},
}};

const Units<5> DutyUnits{{
    {"kW", "kW", 1, 0, "%0.3f"},
    {"W", "W", 1000, 0, "%0.0f"},
    {"Btu/hr", "Btu/hr", 3412.128220196008, 0, "%0.0f"},
    {"MBh", "MBh", 3.4121282201960077, 0, "%0.3f"},
    {"kcal/hr", "kcal/hr", 859.184, 0, "%0.1f"},
}};

const Units<5> DutyRateUnits{{
    {"W/m²", "W/sqm", 1, 0, "%0.1f"},
    {"kW/m²", "kW/sqm", 0.001, 0, "%0.3f"},
    {"Btu/hr·ft²", "Btu/hrsqft", 0.3169970845259985, 0, "%0.1f"},
    {"MBh/ft²", "MBh/sqft", 0.3169970845259985, 0, "%0.3f"},
    {"kcal/hr·ft²", "kcal/hrsqft", 0.07982080551936, 0, "%0.1f"},
}};

const Units<2> EnthalpyUnits{{
    {"kJ/kg", "kJ/kg", 1, 0, "%0.1f"},
    {"Btu/lb", "Btu/lb", 0.4299226139294927, 0, "%0.1f"},
}};

const Units<4> FinDensityUnits{{
    {"fpi", "fpi", 1, 0, "%0.4f"},
    {"fin/mm", "fin/mm", 0.03937007874015748, 0, "%0.5f"},
    {"fins/m", "fins/m", 39.37007874015748, 0, "%0.3f"},
    {"fins/ft", "fins/ft", 12, 0, "%0.3f"},
}};

const Units<2> HeatOfRespirUnits{{
    {"kJ/kg/day", "kJ/kg/day", 1, 0, "%0.2f"},
    {"Btu/lb/day", "Btu/lb/day", 0.4299226139294927, 0, "%0.2f"},
}};

const Units<2> HeatTransCoeffUnits{{
    {"W/m²°C", "W/sqmdegC", 1, 0, "%0.5g"},
    {"Btu/hr·ft²°F", "Btu/hrsqftdegF", 0.17611835153222966, 0, "%0.5g"},
}};

const Units<3> HumidityUnits{{
    {"kg/kg", "kg/kg", 1, 0, "%0.4f"},
    {"g/kg", "g/kg", 1000, 0, "%0.2f"},
    {"gr/lb", "gr/lb", 7000, 0, "%0.1f"},
}};

const Units<2> LengthBigUnits{{
    {"m", "metres", 1, 0, "%0.2f"},
    {"ft", "feet", 3.2808398950131235, 0, "%0.1f"},
}};

const Units<5> LengthUnits{{
    {"m", "metres", 1, 0, "%0.3f"},
    {"cm", "centimetres", 100, 0, "%0.2f"},
    {"mm", "millimetres", 1000, 0, "%0.1f"},
    {"inch", "inches", 39.37007874015748, 0, "%0.2f"},
    {"ft", "feet", 3.2808398950131235, 0, "%0.3f"},
}};

const Units<3> LengthSmallUnits{{
    {"mm", "millimetres", 1, 0, "%0.4f"},
    {"um", "micrometres", 1000, 0, "%0.1f"},
    {"Thou\"", "thou", 39.37007874015748, 0, "%0.3f"},
}};

const Units<3> MassUnits{{
    {"kg", "kg", 1, 0, "%0.0f"},
    {"ton SI", "tonSI", 0.001, 0, "%0.3f"},
    {"lb", "lb", 2.2046226218487757, 0, "%0.1f"},
}};

const Units<6> MassFlowUnits{{
    {"kg/s", "kg/s", 1, 0, "%0.3f"},
    {"g/s", "g/s", 1000, 0, "%0.0f"},
    {"kg/hr", "kg/hr", 3600, 0, "%0.1f"},
    {"lb/s", "lb/s", 2.2046226218487757, 0, "%0.4f"},
    {"lb/min", "lb/min", 132.27735731092656, 0, "%0.2f"},
    {"lb/hr", "lb/hr", 7936.6414386555925, 0, "%0.0f"},
}};

const Units<6> MassFluxUnits{{
    {"kg/m²s", "kg/sqms", 1, 0, "%0.3f"},
    {"g/m²s", "g/sqms", 1000, 0, "%0.0f"},
    {"kg/m²hr", "kg/sqmhr", 3600, 0, "%0.1f"},
    {"lb/ft²s", "lb/sqfts", 0.20481614362252168, 0, "%0.4f"},
    {"lb/ft²min", "lb/sqftmin", 12.288968617351301, 0, "%0.2f"},
    {"lb/ft²hr", "lb/sqfthr", 737.3381170410781, 0, "%0.0f"},
}};

const Units<2> MetRateUnits{{
    {"W/P", "W/P", 1, 0, "%0.1f"},
    {"Btu/hr/P", "Btu/hr/P", 3.4121282201960077, 0, "%0.0f"},
}};

const Units<2> PeopleDensityUnits{{
    {"m²/P", "sqm/P", 1, 0, "%0.1f"},
    {"ft²/P", "sqft/P", 10.763910416709722, 0, "%0.2f"},
}};

const Units<3> PowerUnits{{
    {"kW", "kW", 1, 0, "%0.3f"},
    {"W", "W", 1000, 0, "%0.0f"},
    {"HP", "HP", 1.341021858656296, 0, "%0.2f"},
}};

const Units<4> PressureRateUnits{{
    {"Pa/m", "Pa/m", 1, 0, "%0.2f"},
    {"kPa/m", "kPa/m", 0.001, 0, "%0.5f"},
    {"iwg/100'", "iwg/100ft", 0.12236594555735139, 0, "%0.4f"},
    {"Psi/ft", "Psi/ft", 4.4207485104630184e-05, 0, "%0.6f"},
}};

const Units<3> ProportionUnits{{
    {"fraction", "fraction", 1, 0, "%0.3f"},
    {"%", "percent", 100, 0, "%0.1f"},
    {"ratio", "ratio", 1, 0, "%0.3f"},
}};

const Units<2> SpecificHeatUnits{{
    {"kJ/kg·K", "kJ/kgK", 1, 0, "%0.4g"},
    {"Btu/lb°F", "Btu/lbdegF", 0.23883448770002388, 0, "%0.4g"},
}};

const Units<2> SpecificVolUnits{{
    {"m³/kg", "m3/kg", 1, 0, "%0.3f"},
    {"ft³/lb", "ft3/lb", 16.018463373960138, 0, "%0.3f"},
}};

// The offsets apply to utTemperature only; a temperature change converts by factor alone.
const Units<3> TemperatureUnits{{
    {"°C", "degC", 1, 0, "%0.1f"},
    {"°F", "degF", 1.8, 32, "%0.1f"},
    {"K", "degK", 1, 273.15, "%0.2f"},
}};

const Units<2> ThermalCapacityUnits{{
    {"W-hr/m²°C", "W-hr/sqmdegC", 1, 0, "%0.1f"},
    {"Btu/ft²°F", "Btu/sqftdegF", 0.5705947521467973, 0, "%0.1f"},
}};

const Units<2> ThermalResistUnits{{
    {"m²°C/W", "sqmdegC/W", 1, 0, "%0.4f"},
    {"ft²·hr·°F/Btu", "sqfthrdegF/Btu", 5.67828566212688, 0, "%0.3f"},
}};

const Units<2> VelocityUnits{{
    {"m/s", "m/s", 1, 0, "%0.2f"},
    {"fpm", "fpm", 196.8503937007874, 0, "%0.1f"},
}};

const Units<7> ViscosityUnits{{
    {"kg/m·s", "kg/ms", 1, 0, "%0.4g"},
    {"N·s/m²", "Ns/sqm", 1, 0, "%0.4g"},
    {"Pa·s", "Pas", 1, 0, "%0.4g"},
    {"cP", "cP", 1000, 0, "%0.4g"},
    {"lbm/ft·s", "lbm/fts", 0.0671955, 0, "%0.4g"},
    {"lbf·s/ft²", "lbfs/sqft", 0.020885, 0, "%0.4g"},
    {"lbf·hr/ft²", "lbfhr/sqft", 5.8014e-06, 0, "%0.4g"},
}};

const Units<5> VolumeUnits{{
    {"m³", "m3", 1, 0, "%0.4f"},
    {"litre", "l", 1000, 0, "%0.2f"},
    {"cc", "cc", 1000000, 0, "%0.0f"},
    {"ft³", "ft3", 35.32, 0, "%0.4f"},
    {"inch³", "inch3", 61023, 0, "%0.1f"},
}};

const Units<6> WaterFlowUnits{{
    {"l/s", "l/s", 1, 0, "%0.3f"},
    {"l/min", "l/min", 60, 0, "%0.2f"},
    {"dm³/hr", "dm3/hr", 3600, 0, "%0.2f"},
    {"m³/hr", "m3/hr", 3.6, 0, "%0.2f"},
    {"m³/s", "m3/s", 0.001, 0, "%0.4f"},
    {"usgpm", "usgpm", 15.850323141488905, 0, "%0.1f"},
}};

struct TTypeRec {
    const char* Caption;
    const TUnitRec* Units;
    std::uint8_t Count;
    const std::uint8_t* Indices; // a subset of Units, in this order; nullptr: all of them
    bool Offsets;
};

template <std::size_t N> constexpr TTypeRec Type(const char* caption, const Units<N>& units) {
    return {caption, units.data(), static_cast<std::uint8_t>(N), nullptr, false};
}

const std::array<TTypeRec, UnitsTypeCount> Types{{
    {"None", nullptr, 0, nullptr, false},
    Type("Air Flow - Primary", AirFlowUnits),
    Type("Air Flow - Secondary", AirFlowUnits),
    Type("Air Flow - Small", AirFlowSmallUnits),
    Type("Air Flow Rate", AirFlowRateUnits),
    Type("Air Pressure Drop", PressureUnits),
    Type("Altitude", AltitudeUnits),
    Type("Angular Speed", AngularSpeedUnits),
    Type("Area", AreaUnits),
    Type("Condensate Rate", CondensateRateUnits),
    Type("Conductivity", ConductivityUnits),
    Type("Density", DensityUnits),
    Type("Diameter", DiameterUnits),
    Type("Duty - Primary", DutyUnits),
    Type("Duty - Secondary", DutyUnits),
    Type("Duty Rate", DutyRateUnits),
    Type("Enthalpy", EnthalpyUnits),
    Type("Fin Density", FinDensityUnits),
    Type("Heat of Respiration", HeatOfRespirUnits),
    Type("Heat Transfer Coefficient", HeatTransCoeffUnits),
    Type("Humidity", HumidityUnits),
    Type("Length - Big", LengthBigUnits),
    Type("Length - Measurement", LengthUnits),
    Type("Length - Primary", LengthUnits),
    Type("Length - Secondary", LengthUnits),
    Type("Length - Small", LengthSmallUnits),
    Type("Mass", MassUnits),
    Type("MassFlow", MassFlowUnits),
    Type("MassFlow - Refrig./Steam", MassFlowUnits),
    Type("MassFlux", MassFluxUnits),
    Type("Metabolic Rate", MetRateUnits),
    Type("People Density", PeopleDensityUnits),
    Type("Power", PowerUnits),
    Type("Pressure - Absolute or Gauge", PressureUnits),
    {"Pressure - Barometric", PressureUnits.data(),
     static_cast<std::uint8_t>(PressureBarIndices.size()), PressureBarIndices.data(), false},
    Type("Pressure - Steam", PressureUnits),
    Type("Pressure Rate - Gas", PressureRateUnits),
    Type("Pressure Rate - Liquid", PressureRateUnits),
    Type("Proportion", ProportionUnits),
    Type("Specific Heat", SpecificHeatUnits),
    Type("Specific Volume", SpecificVolUnits),
    {"Temperature", TemperatureUnits.data(), 3, nullptr, true},
    Type("Temperature Change", TemperatureUnits),
    Type("Thermal Capacity", ThermalCapacityUnits),
    Type("Thermal Resistance", ThermalResistUnits),
    Type("Velocity", VelocityUnits),
    Type("Viscosity", ViscosityUnits),
    Type("Volume", VolumeUnits),
    Type("Water Flow", WaterFlowUnits),
    Type("Water Pressure Drop", PressureUnits),
}};

const TTypeRec& TypeOf(TUnitsType type) {
    // A byte read from outside may hold any value; anything past the end is treated as utNone.
    return static_cast<int>(type) < UnitsTypeCount ? Types[type] : Types[utNone];
}

} // namespace

int UnitCount(TUnitsType type) {
    return TypeOf(type).Count;
}

const TUnitRec& UnitRecord(TUnitsType type, int index) {
    static const TUnitRec NoUnit{"", "", 1, 0, "%0.1f"};
    const TTypeRec& t = TypeOf(type);
    if (t.Count == 0)
        return NoUnit;
    // Callers clamp first; clamping again keeps a stray index from reading past the list.
    index = ClampUnitIndex(type, index);
    const int i = t.Indices ? t.Indices[index] : index;
    return t.Units[i];
}

std::string UnitLabel(TUnitsType type, int index) {
    return UnitRecord(type, index).Label;
}

std::string UnitPlainName(TUnitsType type, int index) {
    return UnitRecord(type, index).PlainName;
}

std::string UnitFormat(TUnitsType type, int index) {
    return UnitRecord(type, index).Format;
}

double UnitFactor(TUnitsType type, int index) {
    return UnitRecord(type, index).Factor;
}

double UnitOffset(TUnitsType type, int index) {
    return TypeOf(type).Offsets ? UnitRecord(type, index).Offset : 0.0;
}

std::string UnitsTypeCaption(TUnitsType type) {
    return TypeOf(type).Caption;
}

int ClampUnitIndex(TUnitsType type, int index) {
    const int n = UnitCount(type);
    if (n == 0)
        return index;
    if (index < 0)
        return 0;
    return index > n - 1 ? n - 1 : index;
}

} // namespace qv
