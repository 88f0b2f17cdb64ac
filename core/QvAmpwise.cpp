// The cable sizing engine: loading the electrical data file, and the engine's calculation on the
// shared sizing arithmetic (QvCableSizes), so that every sizer agrees with it to the bit.
#include "core/QvAmpwise.h"

#include "core/QvCableSizes.h"
#include "settings/QvApplicationPath.h"
#include "settings/QvIniFiles.h"
#include "settings/QvSysUtils.h"
#include "units/QvConv.h"

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

std::string RangeText(int value, std::size_t count) {
    return std::to_string(value) + " is out of range (0.." + std::to_string(count - 1) + ")";
}

} // namespace

TElecData ReadElecData(const std::string& path) {
    TIniFile ini(path);
    TElecData data;
    data.Sizes = ParseDoubleList(ini.ReadText("Cable", "Size", DefaultSizeList));

    std::vector<std::string> keys;
    ini.ReadKeyNames("MotorRating", keys);
    data.Ratings.reserve(keys.size());
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
        data.Ratings.push_back(row);
    }

    keys.clear();
    ini.ReadKeyNames("Conductivity", keys);
    data.MaterialList = CommaText(keys);
    data.Materials.reserve(keys.size());
    for (const std::string& key : keys)
        data.Materials.push_back({key, ini.ReadReal("Conductivity", key, 1.0)});
    return data;
}

void LoadData(TAmpwiser& engine) {
    TElecData data = ReadElecData(SharedDataPath + "ElecData.ini");
    StandardSizes = std::move(data.Sizes);
    MotorRatings = std::move(data.Ratings);
    Materials = std::move(data.Materials);
    engine.MaterialList = std::move(data.MaterialList);
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

    Current = LineCurrent(LoadType, Phase, Power, MotorRatings);
    XArea = SelectSize();
    return XArea > 0;
}

double TAmpwiser::SelectSize() const {
    const std::ptrdiff_t i =
        FirstFittingSize(StandardSizes, Current, Conductivity, Length, MaxVoltDrop);
    return i < 0 ? -1 : StandardSizes[static_cast<std::size_t>(i)];
}

double TAmpwiser::VoltDrop() const {
    if (!(XArea > 0))
        return -1;
    return VoltageDrop(Current, Length, Conductivity, XArea);
}

} // namespace qv
