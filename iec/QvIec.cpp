// The rules that size a circuit from the installation standard's tables: the factors, each
// size's checks, the chosen size and the checks that govern it, and the text that says why.
#include "iec/QvIec.h"

#include "iec/QvIecTables.h"

#include <charconv>
#include <cmath>

namespace qv::iec {
namespace {

// Annex G of the standard: resistivity at the conductor's running temperature, Ω·mm²/m, and
// the reactance per unit length, Ω/m.
constexpr long double kRhoCopper = 0.0225L;
constexpr long double kRhoAluminium = 0.036L;
constexpr long double kLambda = 0.08e-3L;
// The adiabatic formula holds for faults of 0.1 s to 5 s.
constexpr double kShortestFault = 0.1;
constexpr double kLongestFault = 5;

// Locale-independent number text: the shortest round trip, or a fixed number of decimals.
std::string Num(double value, int decimals = -1) {
    char buffer[64];
    const auto result = decimals < 0 ? std::to_chars(buffer, buffer + sizeof buffer, value)
                                     : std::to_chars(buffer, buffer + sizeof buffer, value,
                                                     std::chars_format::fixed, decimals);
    return std::string(buffer, result.ptr);
}

std::string Amps(double value, int decimals = 1) {
    return Num(value, decimals) + " A";
}

double Rounded(double value, int decimals) {
    const std::string text = Num(value, decimals);
    double shown = value;
    std::from_chars(text.data(), text.data() + text.size(), shown);
    return shown;
}

int Order(double a, double b) {
    return (a > b) - (a < b);
}

// The decimals, one or more, at which `value` and `other` (rounded alike, or shown exactly as a
// typed limit is) still read in the order the comparison found, so that no line reads
// "Iz 32.0 A < In 32 A". A strict comparison (< or >) must keep its order; ≥ and ≤ may show two
// equal figures.
int Decimals(double value, double other, bool otherRounded, bool strict) {
    const int order = Order(value, other);
    for (int decimals = 1;; ++decimals) {
        const int shown =
            Order(Rounded(value, decimals), otherRounded ? Rounded(other, decimals) : other);
        if (shown == order || (!strict && shown == 0) || decimals >= 17) {
            return decimals;
        }
    }
}

const char* MaterialText(TMaterial material) {
    return material == TMaterial::Copper ? "copper" : "aluminium";
}

const char* InsulationText(TInsulation insulation) {
    return insulation == TInsulation::PVC ? "PVC" : "XLPE";
}

bool InGround(TMethod method) {
    return method == TMethod::D1 || method == TMethod::D2;
}

void RequireFinite(double value, const char* what) {
    if (!std::isfinite(value)) {
        throw EIecInputError(std::string(what) + " is not a number.");
    }
}

void RequireAtLeastZero(double value, const char* what) {
    RequireFinite(value, what);
    if (value < 0) {
        throw EIecInputError(std::string(what) + " is negative.");
    }
}

void RequireAboveZero(double value, const char* what) {
    RequireFinite(value, what);
    if (value <= 0) {
        throw EIecInputError(std::string(what) + " must be above 0.");
    }
}

void Validate(const TIecInputs& in, const std::vector<double>& sizes) {
    if (static_cast<unsigned>(in.Material) > 1 || static_cast<unsigned>(in.Insulation) > 1 ||
        static_cast<unsigned>(in.Method) > 7 || static_cast<unsigned>(in.Device) > 2) {
        throw EIecInputError("An input names a choice that does not exist.");
    }
    if (in.LoadedConductors != 2 && in.LoadedConductors != 3) {
        throw EIecInputError("The loaded conductors must be 2 (single phase) or 3 (three phase).");
    }
    RequireFinite(in.AirTemperature, "The air temperature");
    RequireFinite(in.GroundTemperature, "The ground temperature");
    RequireAboveZero(in.SoilResistivity, "The soil thermal resistivity");
    if (in.Circuits < 1) {
        throw EIecInputError("The number of circuits must be at least 1.");
    }
    if (in.Circuits > 20) {
        throw EIecInputError("More than 20 circuits grouped: the grouping tables stop at 20.");
    }
    if (in.Arrangement && (static_cast<unsigned>(*in.Arrangement) > 6 ||
                           !ArrangementFits(in.Method, *in.Arrangement))) {
        throw EIecInputError(std::string("That arrangement does not go with method ") +
                             MethodName(in.Method) + ".");
    }
    RequireAtLeastZero(in.DesignCurrent, "The design current Ib");
    if (in.Device != TDevice::None) {
        RequireAboveZero(in.DeviceRating, "The device rating In");
    }
    RequireAtLeastZero(in.Length, "The length");
    RequireAtLeastZero(in.NominalVoltage, "The nominal voltage");
    RequireAboveZero(in.PowerFactor, "The power factor");
    if (in.PowerFactor > 1) {
        throw EIecInputError("The power factor must not be above 1.");
    }
    RequireAboveZero(in.AllowedDrop, "The allowed voltage drop");
    if (in.FaultCurrent) {
        RequireAtLeastZero(*in.FaultCurrent, "The fault current");
        RequireAboveZero(in.FaultTime, "The disconnection time");
    }
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        RequireAboveZero(sizes[i], "A conductor size");
        if (i > 0 && sizes[i] <= sizes[i - 1]) {
            throw EIecInputError("The conductor sizes must rise.");
        }
    }
}

// "the device check", "the current, device and voltage drop checks".
std::string CheckList(unsigned checks) {
    std::vector<const char*> names;
    for (TCheck check : kChecks) {
        if (Has(checks, check)) {
            names.push_back(CheckName(check));
        }
    }
    std::string text = "the ";
    for (std::size_t i = 0; i < names.size(); ++i) {
        text += i == 0 ? "" : i + 1 == names.size() ? " and " : ", ";
        text += names[i];
    }
    return text + (names.size() > 1 ? " checks" : " check");
}

// Why a size fails, one figure per failed check: "Iz 26.7 A < In 32 A".
std::string FailureFigures(const TIecRow& row, const TIecInputs& in) {
    std::string text;
    auto add = [&text](const std::string& part) { text += (text.empty() ? "" : ", ") + part; };
    if (Has(row.Failed, TCheck::Current)) {
        const int d = Decimals(row.Iz, in.DesignCurrent, true, true);
        add("Iz " + Amps(row.Iz, d) + " < Ib " + Amps(in.DesignCurrent, d));
    }
    if (Has(row.Failed, TCheck::Device)) {
        if (in.DeviceRating < in.DesignCurrent) {
            const int d = Decimals(in.DesignCurrent, in.DeviceRating, false, true);
            add("In " + Num(in.DeviceRating) + " A < Ib " + Amps(in.DesignCurrent, d));
        } else {
            const double i2 = OperatingCurrent(in.Device, in.DeviceRating);
            if (in.DeviceRating > row.Iz) {
                const int d = Decimals(row.Iz, in.DeviceRating, false, true);
                add("Iz " + Amps(row.Iz, d) + " < In " + Num(in.DeviceRating) + " A");
            } else {
                const int d = Decimals(i2, 1.45 * row.Iz, true, true);
                add("I2 " + Amps(i2, d) + " > 1.45 Iz " + Amps(1.45 * row.Iz, d));
            }
        }
    }
    if (Has(row.Failed, TCheck::VoltageDrop)) {
        const int d = Decimals(row.DropPercent, in.AllowedDrop, false, true);
        add("drop " + Num(row.DropPercent, d) + " % > " + Num(in.AllowedDrop) + " %");
    }
    if (Has(row.Failed, TCheck::ShortCircuit) && row.WithstandArea) {
        add("the fault needs " +
            Num(*row.WithstandArea, Decimals(*row.WithstandArea, row.Area, false, true)) + " mm²");
    }
    return text;
}

} // namespace

const char* MethodName(TMethod method) {
    static const char* const names[] = {"A1", "A2", "B1", "B2", "C", "D1", "D2", "E"};
    return names[static_cast<int>(method) & 7];
}

const char* MethodDescription(TMethod method) {
    switch (method) {
    case TMethod::A1:
        return "Insulated conductors or single-core cables in conduit in a thermally insulated "
               "wall";
    case TMethod::A2:
        return "Multi-core cable in conduit in a thermally insulated wall";
    case TMethod::B1:
        return "Insulated conductors or single-core cables in conduit on a wooden or masonry "
               "wall";
    case TMethod::B2:
        return "Multi-core cable in conduit on a wooden or masonry wall";
    case TMethod::C:
        return "Single-core or multi-core cable on a wooden or masonry wall";
    case TMethod::D1:
        return "Multi-core or single-core cables in conduit or in cable ducting in the ground";
    case TMethod::D2:
        return "Sheathed single-core or multi-core cables direct in the ground";
    case TMethod::E:
        return "Multi-core cable in free air";
    }
    return "";
}

const char* CheckName(TCheck check) {
    switch (check) {
    case TCheck::Current:
        return "current";
    case TCheck::Device:
        return "device";
    case TCheck::VoltageDrop:
        return "voltage drop";
    case TCheck::ShortCircuit:
        return "short circuit";
    }
    return "";
}

TArrangement DefaultArrangement(TMethod method) {
    switch (method) {
    case TMethod::C:
        return TArrangement::SingleLayerWall;
    case TMethod::E:
        return TArrangement::PerforatedTray;
    case TMethod::D1:
        return TArrangement::DuctsTouching;
    case TMethod::D2:
        return TArrangement::DirectTouching;
    default:
        return TArrangement::Bunched;
    }
}

bool ArrangementFits(TMethod method, TArrangement arrangement) {
    if (method == TMethod::D1) {
        return arrangement == TArrangement::DuctsTouching;
    }
    if (method == TMethod::D2) {
        return arrangement == TArrangement::DirectTouching;
    }
    return arrangement != TArrangement::DuctsTouching &&
           arrangement != TArrangement::DirectTouching;
}

double AdiabaticK(TMaterial material, TInsulation insulation) {
    if (material == TMaterial::Copper) {
        return insulation == TInsulation::PVC ? 115 : 143;
    }
    return insulation == TInsulation::PVC ? 76 : 94;
}

double OperatingCurrent(TDevice device, double rating) {
    if (device == TDevice::FuseGG) {
        const long double factor = rating >= 16 ? 1.6L : rating > 4 ? 1.9L : 2.1L;
        return static_cast<double>(factor * rating);
    }
    return static_cast<double>(1.45L * rating);
}

TIecAnswer SizeToStandard(const TIecInputs& in, const std::vector<double>& sizes) {
    Validate(in, sizes);
    TIecAnswer answer;
    answer.DesignCurrent = in.DesignCurrent;
    answer.Arrangement = in.Arrangement ? *in.Arrangement : DefaultArrangement(in.Method);
    const bool threePhase = in.LoadedConductors == 3;
    const double un = in.NominalVoltage > 0 ? in.NominalVoltage : threePhase ? 400 : 230;
    answer.PhaseVoltage = threePhase ? static_cast<double>(un / std::sqrt(3.0L)) : un;

    // Rows first, so that a refusal below still lists every size as the table gives it.
    bool unconfirmed = false;
    answer.Rows.reserve(sizes.size());
    for (double area : sizes) {
        TIecRow& row = answer.Rows.emplace_back();
        row.Area = area;
        if (const auto index = TableSizeIndex(area)) {
            const TTabulated cell =
                Tabulated(in.Insulation, in.LoadedConductors, in.Material, in.Method, *index);
            row.Rated = cell.Kind == TTabulated::Value;
            row.Tabulated = cell.Current;
            row.Unconfirmed = cell.Kind == TTabulated::Unconfirmed;
            unconfirmed |= row.Unconfirmed;
        }
    }

    const std::string cable = std::string(MaterialText(in.Material)) + " " +
                              InsulationText(in.Insulation) + ", method " + MethodName(in.Method);
    std::optional<double> kTemperature;
    if (InGround(in.Method)) {
        kTemperature = GroundTemperatureFactor(in.Insulation, in.GroundTemperature);
        if (!kTemperature) {
            answer.Reason =
                "IEC 60364-5-52: the cable may not be used at a ground temperature of " +
                Num(in.GroundTemperature) + " °C: the " + InsulationText(in.Insulation) +
                " table stops at " + Num(LastGroundRow(in.Insulation)) + " °C.";
            return answer;
        }
        const std::optional<double> kSoil =
            SoilFactor(in.Method == TMethod::D1, in.SoilResistivity);
        if (!kSoil) {
            answer.Reason = "IEC 60364-5-52: the cable may not be used in soil of " +
                            Num(in.SoilResistivity) + " K·m/W: the table stops at 3 K·m/W.";
            return answer;
        }
        answer.KSoil = *kSoil;
    } else {
        kTemperature = AirTemperatureFactor(in.Insulation, in.AirTemperature);
        if (!kTemperature) {
            answer.Reason = "IEC 60364-5-52: the cable may not be used at an air temperature of " +
                            Num(in.AirTemperature) + " °C: the " + InsulationText(in.Insulation) +
                            " table stops at " + Num(LastAirRow(in.Insulation)) + " °C.";
            return answer;
        }
    }
    answer.KTemperature = *kTemperature;
    const std::optional<double> kGrouping = GroupingFactor(answer.Arrangement, in.Circuits);
    if (!kGrouping) // the count was checked above; kept so a table gap can never read as 1
        throw EIecInputError("no grouping factor for " + std::to_string(in.Circuits) + " circuits");
    answer.KGrouping = *kGrouping;

    const long double factors =
        static_cast<long double>(answer.KTemperature) * answer.KGrouping * answer.KSoil;
    const long double ib = in.DesignCurrent;
    const long double rho = in.Material == TMaterial::Copper ? kRhoCopper : kRhoAluminium;
    const long double cosPhi = in.PowerFactor;
    const long double sinPhi = std::sqrt(std::fmax(0.0L, 1 - cosPhi * cosPhi));
    const long double b = threePhase ? 1 : 2;
    // In amperes as a double, so that a decimal kA gives the whole amperes it names.
    const long double faultAmps = in.FaultCurrent ? *in.FaultCurrent * 1000.0 : 0;
    const long double k = AdiabaticK(in.Material, in.Insulation);
    const bool deviceBelowIb = in.Device != TDevice::None && in.DeviceRating < in.DesignCurrent;

    for (TIecRow& row : answer.Rows) {
        const long double area = row.Area;
        const long double drop =
            b * (rho * in.Length * cosPhi / area + kLambda * in.Length * sinPhi) * ib;
        row.DropPercent = static_cast<double>(100 * drop / answer.PhaseVoltage);
        if (in.FaultCurrent) {
            row.WithstandArea = static_cast<double>(
                faultAmps * std::sqrt(static_cast<long double>(in.FaultTime)) / k);
            row.Withstands = area * area * k * k >= faultAmps * faultAmps * in.FaultTime;
        }
        if (!row.Rated) {
            continue;
        }
        // Iz stays unrounded in every comparison.
        const long double iz = row.Tabulated * factors;
        row.Iz = static_cast<double>(iz);
        if (iz < ib) {
            row.Failed |= static_cast<unsigned>(TCheck::Current);
        }
        if (in.Device != TDevice::None) {
            const long double rating = in.DeviceRating;
            const long double i2 = OperatingCurrent(in.Device, in.DeviceRating);
            if (deviceBelowIb || rating > iz || i2 > 1.45L * iz) {
                row.Failed |= static_cast<unsigned>(TCheck::Device);
            }
        }
        // The figure shown is the one compared, so a drop shown equal to the limit passes.
        if (row.DropPercent > in.AllowedDrop) {
            row.Failed |= static_cast<unsigned>(TCheck::VoltageDrop);
        }
        if (row.Withstands && !*row.Withstands) {
            row.Failed |= static_cast<unsigned>(TCheck::ShortCircuit);
        }
    }

    if (in.FaultCurrent && (in.FaultTime < kShortestFault || in.FaultTime > kLongestFault)) {
        answer.Notes.push_back("The disconnection time of " + Num(in.FaultTime) +
                               " s is outside the adiabatic formula's range of 0.1 s to 5 s; "
                               "the short-circuit figures are computed all the same.");
    }

    for (std::size_t i = 0; i < answer.Rows.size(); ++i) {
        if (answer.Rows[i].Passes()) {
            answer.Chosen = i;
            break;
        }
    }
    const std::string head = "IEC 60364-5-52: ";
    if (deviceBelowIb) {
        answer.Reason =
            head + "no size: the device rating In " + Num(in.DeviceRating) + " A is below Ib " +
            Amps(in.DesignCurrent, Decimals(in.DesignCurrent, in.DeviceRating, false, true)) +
            ", so every size fails the device check.";
        return answer;
    }
    if (!answer.Chosen) {
        const TIecRow* largest = nullptr;
        for (const TIecRow& row : answer.Rows) {
            largest = row.Rated ? &row : largest;
        }
        if (!largest) {
            answer.Reason =
                head + "no size of the list is rated for " + cable +
                (unconfirmed ? " (the library holds no confirmed values for it)." : ".");
        } else {
            answer.Reason = head + "no size of the list passes; the largest rated, " +
                            Num(largest->Area) + " mm², fails " + CheckList(largest->Failed) +
                            ", " + FailureFigures(*largest, in) + ".";
        }
        return answer;
    }

    const TIecRow& chosen = answer.Rows[*answer.Chosen];
    const bool device = in.Device != TDevice::None;
    // Iz against In, or against Ib (rounded alike, which rounding can never turn round).
    const int dIz = device ? Decimals(chosen.Iz, in.DeviceRating, false, false) : 1;
    const int dIb = device ? Decimals(in.DesignCurrent, in.DeviceRating, false, false) : 1;
    std::string text = head + Num(chosen.Area) + " mm² — Iz " + Amps(chosen.Iz, dIz) + " ≥ ";
    if (device) {
        text += "In " + Num(in.DeviceRating) + " A ≥ ";
    }
    text += "Ib " + Amps(in.DesignCurrent, dIb) + ", drop " +
            Num(chosen.DropPercent, Decimals(chosen.DropPercent, in.AllowedDrop, false, false)) +
            " % ≤ " + Num(in.AllowedDrop) + " %";
    if (chosen.WithstandArea) {
        text +=
            ", withstands the fault (needs " +
            Num(*chosen.WithstandArea, Decimals(*chosen.WithstandArea, chosen.Area, false, false)) +
            " mm²)";
    }
    if (*answer.Chosen == 0) {
        text += "; it is the smallest size of the list";
    } else {
        const TIecRow& below = answer.Rows[*answer.Chosen - 1];
        if (!below.Rated) {
            text += "; " + Num(below.Area) +
                    (below.Unconfirmed ? " mm² has no confirmed table value here"
                                       : " mm² is not rated");
        } else {
            answer.Governing = below.Failed;
            text += "; " + Num(below.Area) + " mm² fails " + CheckList(below.Failed) + ", " +
                    FailureFigures(below, in);
        }
    }
    answer.Reason = text;
    return answer;
}

} // namespace qv::iec
