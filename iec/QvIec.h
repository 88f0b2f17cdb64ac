// Sizing a circuit to the installation standard (IEC 60364-5-52): the inputs, the figures of
// each size of a list (tabulated current, correction factors, Iz, voltage drop, short-circuit
// withstand) and the chosen size with the checks that govern it. Plain data in, plain data out;
// the window, its exports and the help page build on these.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace qv::iec {

// Inputs outside their domain (not a number, negative, a method and arrangement that do not go
// together, more than 20 circuits). The message says which input and why.
class EIecInputError : public std::invalid_argument {
  public:
    using std::invalid_argument::invalid_argument;
};

enum class TMaterial : std::uint8_t { Copper, Aluminium };
// PVC runs at 70 °C, XLPE (or EPR) at 90 °C.
enum class TInsulation : std::uint8_t { PVC, XLPE };
// The reference installation methods.
enum class TMethod : std::uint8_t { A1, A2, B1, B2, C, D1, D2, E };
inline constexpr TMethod kMethods[] = {TMethod::A1, TMethod::A2, TMethod::B1, TMethod::B2,
                                       TMethod::C,  TMethod::D1, TMethod::D2, TMethod::E};
// How grouped circuits lie. The first five are for cables in air, the last two for the ground.
enum class TArrangement : std::uint8_t {
    Bunched,            // bunched in air, on a surface, embedded or enclosed
    SingleLayerWall,    // single layer on a wall, floor or unperforated tray
    SingleLayerCeiling, // single layer fixed directly under a ceiling
    PerforatedTray,     // single layer on a perforated tray
    Ladder,             // single layer on a ladder or cleats
    DuctsTouching,      // cables in ducts in the ground, ducts touching
    DirectTouching,     // cables direct in the ground, touching
};
enum class TDevice : std::uint8_t { None, CircuitBreaker, FuseGG };
// The checks a size goes through, as bits of TIecRow::Failed and TIecAnswer::Governing.
enum class TCheck : std::uint8_t { Current = 1, Device = 2, VoltageDrop = 4, ShortCircuit = 8 };
inline constexpr TCheck kChecks[] = {TCheck::Current, TCheck::Device, TCheck::VoltageDrop,
                                     TCheck::ShortCircuit};
inline bool Has(unsigned set, TCheck check) {
    return (set & static_cast<unsigned>(check)) != 0;
}

// "A1" ... "E".
const char* MethodName(TMethod method);
// The standard's short description of a method, for a picker.
const char* MethodDescription(TMethod method);
// "current", "device", "voltage drop", "short circuit".
const char* CheckName(TCheck check);
// The arrangement assumed when the caller names none: A1 to B2 bunched, C single layer on a
// wall, E perforated tray, D1 ducts touching, D2 direct touching.
TArrangement DefaultArrangement(TMethod method);
// Whether an arrangement can be used with a method (air ones in air, ground ones in the ground).
bool ArrangementFits(TMethod method, TArrangement arrangement);
// The factor k of the adiabatic check, A·√s/mm²: 115, 143, 76 or 94.
double AdiabaticK(TMaterial material, TInsulation insulation);
// The current I2 that operates the device within its conventional time, A.
double OperatingCurrent(TDevice device, double rating);

struct TIecInputs {
    TMaterial Material = TMaterial::Copper;
    TInsulation Insulation = TInsulation::PVC;
    TMethod Method = TMethod::C;
    int LoadedConductors = 2;      // 2 single phase, 3 three phase
    double AirTemperature = 30;    // °C, for every method but D1 and D2
    double GroundTemperature = 20; // °C, for D1 and D2
    double SoilResistivity = 2.5;  // K·m/W, for D1 and D2
    int Circuits = 1;
    std::optional<TArrangement> Arrangement; // none: DefaultArrangement(Method)
    double DesignCurrent = 0;                // Ib, A
    TDevice Device = TDevice::None;
    double DeviceRating = 0; // In, A; with a device only
    double Length = 0;       // m, one way
    // Un, V; 0 takes 230 V for two loaded conductors and 400 V for three.
    double NominalVoltage = 0;
    double PowerFactor = 1;
    double AllowedDrop = 5; // % of U0
    // Prospective fault current, kA, and its duration, s; no fault current, no short-circuit check.
    std::optional<double> FaultCurrent;
    double FaultTime = 0;
};

// What a size the tables do not rate shows in place of its figures.
inline constexpr const char* kNotRated = "not rated";
// What a size shows whose current the library does not hold confirmed (see TIecRow::Unconfirmed).
inline constexpr const char* kUnconfirmed = "unconfirmed";

// The figures of one size of the caller's list.
struct TIecRow {
    double Area = 0;    // mm²
    bool Rated = false; // the table gives a current for this size
    // The standard lists the size, but no two reproductions of its table agreed on the current,
    // so the library does not rate it either.
    bool Unconfirmed = false;
    double Tabulated = 0; // It, A; 0 when not rated
    double Iz = 0;        // It · k_temperature · k_grouping · k_soil, A
    double DropPercent = 0;
    // The smallest area the fault allows, mm², and whether this size has it; none without a
    // fault current.
    std::optional<double> WithstandArea;
    std::optional<bool> Withstands;
    unsigned Failed = 0; // TCheck bits; only for rated sizes
    bool Passes() const { return Rated && Failed == 0; }
    // kNotRated or kUnconfirmed, for a size without a rating.
    const char* NoRatingText() const { return Unconfirmed ? kUnconfirmed : kNotRated; }
};

struct TIecAnswer {
    // The factors shared by every size.
    double KTemperature = 1;
    double KGrouping = 1;
    double KSoil = 1;
    TArrangement Arrangement = TArrangement::Bunched;
    double DesignCurrent = 0;
    double PhaseVoltage = 0; // U0, V
    std::vector<TIecRow> Rows;
    // The position in Rows of the chosen size; none when no size may be used.
    std::optional<std::size_t> Chosen;
    unsigned Governing = 0; // the checks that fail one size below the chosen one
    // What an engineer reads: the size and why, or why there is none.
    std::string Reason;
    // Remarks beside the answer (the fault time outside the adiabatic formula's range).
    std::vector<std::string> Notes;
};

// Every size of `sizes` (mm², ascending) against the inputs. Raises EIecInputError for inputs
// outside their domain; conditions the tables exclude (too hot, too dry a soil, a device below
// Ib) come back as an answer without a chosen size and the reason.
TIecAnswer SizeToStandard(const TIecInputs& inputs, const std::vector<double>& sizes);

} // namespace qv::iec
