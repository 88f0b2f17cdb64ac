// The cable sizing engine and its electrical data: the process-wide tables read from
// "ElecData.ini" (standard sizes, motor ratings, materials) and TAmpwiser, which works out the
// line current, picks the smallest standard size that carries it within the allowed voltage drop,
// and reports the drop. Base units throughout: kW, m, A, mm², m/(Ω·mm²), V.
#pragma once

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace qv {

// Floating-point faults of the engine's arithmetic, raised instead of letting NaN or infinity
// reach a result.
class EMathError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};
class EZeroDivide : public EMathError {
  public:
    EZeroDivide() : EMathError("Floating point division by zero") {}
};
class EInvalidOp : public EMathError {
  public:
    EInvalidOp() : EMathError("Invalid floating point operation") {}
};
class EOverflow : public EMathError {
  public:
    EOverflow() : EMathError("Floating point overflow") {}
};

// A code or position handed to the engine that names nothing.
class EAmpwiseRangeError : public std::out_of_range {
  public:
    using std::out_of_range::out_of_range;
};

struct MotorRatingRec {
    double RatingKW;
    double PowerFactor;
    double EfficiencyPct;

    bool operator==(const MotorRatingRec&) const = default;
};

struct MaterialRec {
    std::string Name;
    double Conductivity;

    bool operator==(const MaterialRec&) const = default;
};

// The standard sizes used when the data file gives none.
extern const std::string DefaultSizeList;
// The motor data used for a rating whose value has fewer than two numbers.
extern const std::string DefaultMotorRating;

extern std::vector<double> StandardSizes;
extern std::vector<MotorRatingRec> MotorRatings;
extern std::vector<MaterialRec> Materials;
// Allowed voltage drop along the cable, V.
extern double MaxVoltDrop;

// Positions are the engine's codes for load type and phase.
extern const std::array<std::string, 2> LoadTypeNames;
extern const std::array<std::string, 2> PhaseNames;

// The contents of one electrical data file.
struct TElecData {
    std::vector<double> Sizes;
    std::vector<MotorRatingRec> Ratings;
    std::vector<MaterialRec> Materials;
    std::string MaterialList; // the material names as one comma list

    bool operator==(const TElecData&) const = default;
};

// Reads the electrical data file at path. A missing file, section or key gives the defaults;
// a size or motor rating that is not a number raises EConvertError.
TElecData ReadElecData(const std::string& path);

class TAmpwiser;

// Reads SharedDataPath + "ElecData.ini" into the tables and the engine's MaterialList. The tables
// change only when the whole file has been read; a conversion error leaves them as they were.
void LoadData(TAmpwiser& engine);

class TAmpwiser {
  public:
    // Loads the electrical data; an error while loading leaves no engine.
    TAmpwiser();

    std::uint8_t LoadType = 0;
    std::uint8_t Phase = 0;
    double Current = 0;
    double Power = 0;
    double Length = 0;
    double XArea = 0;
    std::int32_t MaterialIndex = 0;
    double Conductivity = 0;
    std::string MaterialList;

    // Selects the material at index in Materials; raises EAmpwiseRangeError outside the table.
    void SetMaterial(std::int32_t index);
    // Note the order: length before power. True when a standard size fits. Raises
    // EAmpwiseRangeError for a load type or phase other than 0 and 1 (nothing is stored then),
    // and EMathError when the arithmetic fails (XArea then keeps its previous value).
    bool Calculate(std::uint8_t loadType, std::uint8_t phase, double length, double power);
    // Voltage drop along one conductor at the selected size, V; -1 when no size was selected.
    double VoltDrop() const;

  private:
    double SelectSize() const;
};

} // namespace qv
