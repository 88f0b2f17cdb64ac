// The units catalogue (unit types, their units, labels, factors and display formats), conversion
// between units, and the number text routines every numeric field goes through: formatting a
// value exactly to the digit, cleaning typed number text, and the comma lists of the data file
// and the drop-down boxes. Pure standard C++; every number text is locale-independent.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "settings/QvSysUtils.h"

namespace qv {

// The physical quantity a numeric field carries. Stored in files and the registry by ordinal,
// so members are only ever appended.
enum TUnitsType : std::uint8_t {
    utNone,
    utAirFlowPrim,
    utAirFlowSec,
    utAirFlowSmall,
    utAirFlowRate,
    utAirPressDrop,
    utAltitude,
    utAngularSpeed,
    utArea,
    utCondensateRate,
    utConductivity,
    utDensity,
    utDiameter,
    utDutyPrim,
    utDutySec,
    utDutyRate,
    utEnthalpy,
    utFinDensity,
    utHeatOfRespir,
    utHeatTransCoeff,
    utHumidity,
    utLengthBig,
    utLengthMeasure,
    utLengthPrim,
    utLengthSec,
    utLengthSmall,
    utMass,
    utMassFlow,
    utMassFlowGas,
    utMassFlux,
    utMetRate,
    utPeopleDensity,
    utPower,
    utPressure,
    utPressureBar,
    utPressureSteam,
    utPressureRateGas,
    utPressureRateLiquid,
    utProportion,
    utSpecificHeat,
    utSpecificVol,
    utTemperature,
    utTemperatureChange,
    utThermalCapacity,
    utThermalResist,
    utVelocity,
    utViscosity,
    utVolume,
    utWaterFlow,
    utWaterPressDrop,
};

inline constexpr int UnitsTypeCount = 50;

// How a field turns its value into text.
enum TFormatType : std::uint8_t { ft_Auto, ft_Fixed, ft_AutoOverride, ft_Manual };

// One unit of a type: a value v in the type's base unit reads v * Factor + Offset in this unit.
struct TUnitRec {
    const char* Label;     // UTF-8, what the units label shows
    const char* PlainName; // the same in plain ASCII
    double Factor;
    double Offset;
    const char* Format; // "%0.<d>f" or "%0.<d>g"
};

// Catalogue lookups. Callers pass the index through ClampUnitIndex; a stray index is clamped
// here too rather than read past the list. A type outside the enumeration answers as utNone.
int UnitCount(TUnitsType type);                         // 0 for utNone
const TUnitRec& UnitRecord(TUnitsType type, int index); // utNone: "", "", 1, 0, "%0.1f"
std::string UnitLabel(TUnitsType type, int index);      // "" for utNone
std::string UnitPlainName(TUnitsType type, int index);  // "" for utNone
std::string UnitFormat(TUnitsType type, int index);     // "%0.1f" for utNone
double UnitFactor(TUnitsType type, int index);          // 1 for utNone
double UnitOffset(TUnitsType type, int index);          // non-zero only for utTemperature
std::string UnitsTypeCaption(TUnitsType type);
// utNone: the index unchanged; otherwise the index limited to 0..UnitCount-1.
int ClampUnitIndex(TUnitsType type, int index);

double ConvertToUnit(double value, double factor, double offset);   // base -> shown
double ConvertFromUnit(double value, double factor, double offset); // shown -> base

// What a field needs to show unit `shown` while it holds its value in unit `base`. For utNone
// only label and formatStr are set; factor and offset keep the caller's values.
void GetUnitInfo(TUnitsType type, int shown, int base, std::string& label, double& factor,
                 double& offset, std::string& formatStr);

// Decimals of the automatic format: enough for sigDigs significant digits (at least three, more
// for small values), capped at maxDecimals.
int AutoDecimals(int sigDigs, int maxDecimals, double value);
std::string AutoFormatStr(int sigDigs, int maxDecimals, double value); // "%0.<d>f"
// The one digit after the first "." of formatStr; 0 when there is none.
int DecimalsOfFormat(const std::string& formatStr);

// Display text of a value already in shown units.
std::string FormatValue(double value, TFormatType formatType, const std::string& formatStr,
                        int sigDigs, int formatDecimals);

// Applies a format "%[-][width][.prec]f" or "...g" (with optional literal text around it, "%%"
// for a percent sign): the value rounded to 18 significant digits, then to the format's digits
// with halves away from zero. Without a precision "f" writes 2 decimals and "g" 15 digits; both
// stop at 18. NaN and infinities give "NAN", "INF", "-INF". Throws EConvertError
// "Format '%s' invalid or incompatible with argument" on any other format.
std::string FormatFloat(const std::string& format, double value);

// Normalises typed number text before it is parsed (spaces, repeated signs, points and
// exponents, over-long exponents; "a/b" cleans both halves). Throws EConvertError
// "'%s' is not a valid integer value" when an exponent is not an integer.
std::string CleanNumberText(const std::string& text);
std::string RemoveSpaces(const std::string& text);       // every 0x20 removed
std::string StripTrailingComma(const std::string& text); // one trailing "," removed

// "a","b","c": every item in double quotes, inner quotes left as they are. "" for no items.
std::string QuotedCommaText(const std::vector<std::string>& items);

// A comma list of numbers ("0.4, 0.5 ,0.63,"): blanks removed, one trailing comma dropped, then
// split as comma text. Throws EConvertError "'%s' is not a valid floating point value" naming
// the first item that is not a number (an empty item included).
std::vector<double> ParseDoubleList(const std::string& text);

// String-list comma text. CommaText quotes an item (doubling its inner quotes) when it is empty
// or holds a blank, a control character, a comma or a double quote; ParseCommaText splits at
// commas and at blanks/control characters outside quotes and strips the quotes again, so the
// two round-trip.
std::string CommaText(const std::vector<std::string>& items);
std::vector<std::string> ParseCommaText(const std::string& text);

} // namespace qv
