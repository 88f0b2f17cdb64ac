// The cable sizing engine: loading the electrical data file and the sizing arithmetic. The
// arithmetic runs in long double and each result is stored as a double; the faults a floating-point
// unit would trap (division by zero, invalid operation, overflow) are checked for and raised.
#include "core/QvAmpwise.h"

#include "settings/QvApplicationPath.h"
#include "settings/QvIniFiles.h"
#include "settings/QvSysUtils.h"
#include "units/QvConv.h"

#include <cfloat>
#include <cmath>

namespace qv {

const std::string DefaultSizeList =
    "0.4,0.5,0.75,1.0,1.5,2.5,4,6,10,16,25,35,50,70,95,120,150,185,240,300,400,500,625";
const std::string DefaultMotorRating = "0.7,58";

std::vector<double> StandardSizes;
std::vector<MotorRatingRec> MotorRatings;
std::vector<MaterialRec> Materials;
double MaxVoltDrop = 5.5;

const std::array<std::string, 2> LoadTypeNames = {"Resistive", "Inductive"};
const std::array<std::string, 2> PhaseNames = {"Single", "Three"};

namespace {

// The constants are stored to their stated decimals, never computed from one another.
constexpr long double kSinglePhaseFactor = 0.23L;               // kW to A at 230 V
constexpr long double kThreePhaseFactor = 0.692820323028L;      // √3 × 0.4 kV
constexpr long double kSingleMotorFallback = 0.09338L;          // 0.23 × 0.7 × 0.58
constexpr long double kThreeMotorFallback = 0.281285051149368L; // 0.692820323028 × 0.7 × 0.58
constexpr long double kPercent = 100.0L;
constexpr long double kCapacityCoefficient = 12.278L;
constexpr long double kCapacityExponent = 0.6037L;

// Rounds an extended result to double, raising what the floating-point unit would have.
double Stored(long double v) {
    if (std::isnan(v))
        throw EInvalidOp();
    if (std::isinf(v) || std::fabs(v) > DBL_MAX)
        throw EOverflow();
    return static_cast<double>(v);
}

long double Divide(long double numerator, long double denominator) {
    if (denominator == 0) {
        if (numerator == 0 || std::isnan(numerator))
            throw EInvalidOp();
        throw EZeroDivide();
    }
    return numerator / denominator;
}

std::string RangeText(int value, std::size_t count) {
    return std::to_string(value) + " is out of range (0.." + std::to_string(count - 1) + ")";
}

} // namespace

void LoadData(TAmpwiser& engine) {
    TIniFile ini(SharedDataPath + "ElecData.ini");

    std::vector<double> sizes = ParseDoubleList(ini.ReadText("Cable", "Size", DefaultSizeList));

    std::vector<std::string> keys;
    ini.ReadKeyNames("MotorRating", keys);
    std::vector<MotorRatingRec> ratings;
    ratings.reserve(keys.size());
    for (const std::string& key : keys) {
        MotorRatingRec row{};
        row.RatingKW = StrToFloat(key);
        std::vector<double> numbers =
            ParseDoubleList(ini.ReadText("MotorRating", key, DefaultMotorRating));
        // A row needs both numbers; a short one gets the built-in motor data.
        if (numbers.size() < 2)
            numbers = ParseDoubleList(DefaultMotorRating);
        row.PowerFactor = numbers[0];
        row.EfficiencyPct = numbers[1];
        ratings.push_back(row);
    }

    keys.clear();
    ini.ReadKeyNames("Conductivity", keys);
    std::string materialList = CommaText(keys);
    std::vector<MaterialRec> materials;
    materials.reserve(keys.size());
    for (const std::string& key : keys)
        materials.push_back({key, ini.ReadReal("Conductivity", key, 1.0)});

    StandardSizes = std::move(sizes);
    MotorRatings = std::move(ratings);
    Materials = std::move(materials);
    engine.MaterialList = std::move(materialList);
}

TAmpwiser::TAmpwiser() {
    LoadData(*this);
}

void TAmpwiser::SetMaterial(std::int32_t index) {
    if (index < 0 || static_cast<std::size_t>(index) >= Materials.size()) {
        if (Materials.empty())
            throw EAmpwiseRangeError("Material " + std::to_string(index) +
                                     " is out of range: no materials are loaded");
        throw EAmpwiseRangeError("Material " + RangeText(index, Materials.size()));
    }
    MaterialIndex = index;
    Conductivity = Materials[static_cast<std::size_t>(index)].Conductivity;
}

bool TAmpwiser::Calculate(std::uint8_t loadType, std::uint8_t phase, double length, double power) {
    if (loadType >= LoadTypeNames.size())
        throw EAmpwiseRangeError("Load type " + RangeText(loadType, LoadTypeNames.size()));
    if (phase >= PhaseNames.size())
        throw EAmpwiseRangeError("Phase " + RangeText(phase, PhaseNames.size()));
    if (!std::isfinite(length) || !std::isfinite(power))
        throw EInvalidOp();

    LoadType = loadType;
    Phase = phase;
    Length = length;
    Power = power;

    if (LoadType == 0) {
        Current = Stored(Divide(Power, Phase == 0 ? kSinglePhaseFactor : kThreePhaseFactor));
    } else {
        double current = MotorCurrent();
        if (current == -1)
            current =
                Stored(Divide(Power, Phase == 0 ? kSingleMotorFallback : kThreeMotorFallback));
        Current = current;
    }

    XArea = SelectSize();
    return XArea > 0;
}

double TAmpwiser::MotorCurrent() const {
    for (const MotorRatingRec& row : MotorRatings) {
        // Written so that a comparison with a value that is not a number skips the row too.
        if (!(row.RatingKW >= Power))
            continue;
        const long double factor = Phase == 0 ? kSinglePhaseFactor : kThreePhaseFactor;
        const long double numerator = kPercent * row.RatingKW;
        const long double denominator = factor * row.PowerFactor * row.EfficiencyPct;
        return Stored(Divide(numerator, denominator));
    }
    return -1;
}

double TAmpwiser::SelectSize() const {
    for (double size : StandardSizes) {
        const long double area = size;
        if (area < 0) // a negative number raised to a fractional power
            throw EInvalidOp();
        const double capacity =
            Stored(area == 0 ? 0.0L : kCapacityCoefficient * std::pow(area, kCapacityExponent));
        const double dropLimit =
            Stored(Divide(static_cast<long double>(Conductivity) * area * MaxVoltDrop, Length));
        const double permitted = dropLimit < capacity ? dropLimit : capacity;
        if (Current <= permitted)
            return size;
    }
    return -1;
}

double TAmpwiser::VoltDrop() const {
    if (!(XArea > 0))
        return -1;
    return Stored(Divide(static_cast<long double>(Current) * Length,
                         static_cast<long double>(Conductivity) * XArea));
}

} // namespace qv
