// The standard's answer in the Cable Sizes window: the panel's fields, the view, cells and exports.
#include "sizesiec/QvSizesIec.h"

#include "iec/QvIecNames.h"

#include "core/QvAmpwise.h"
#include "settings/QvSysUtils.h"
#include "text/QvCsv.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace qv {

using namespace iec;

namespace {

constexpr int kDigits = 3;
constexpr int kInputDigits = 6;
// No number the panel writes comes near this; a longer stored text is not the panel's.
constexpr std::size_t kLongestNumber = 32;
constexpr const char* kHead = "IEC 60364-5-52: ";

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string Number(double value) {
    return std::isfinite(value) ? ExactText(value) : std::string();
}

bool ReadNumber(const std::string& text, double& value) {
    return text.size() <= kLongestNumber && TryStrToFloat(text, value) && std::isfinite(value);
}

bool InGround(TMethod method) {
    return method == TMethod::D1 || method == TMethod::D2;
}

const char* ArrangementKey(TArrangement arrangement) {
    switch (arrangement) {
    case TArrangement::Bunched:
        return "Bunched";
    case TArrangement::SingleLayerWall:
        return "SingleLayerWall";
    case TArrangement::SingleLayerCeiling:
        return "SingleLayerCeiling";
    case TArrangement::PerforatedTray:
        return "PerforatedTray";
    case TArrangement::Ladder:
        return "Ladder";
    case TArrangement::DuctsTouching:
        return "DuctsTouching";
    case TArrangement::DirectTouching:
        return "DirectTouching";
    }
    return "";
}

constexpr TArrangement kArrangements[] = {
    TArrangement::Bunched,        TArrangement::SingleLayerWall, TArrangement::SingleLayerCeiling,
    TArrangement::PerforatedTray, TArrangement::Ladder,          TArrangement::DuctsTouching,
    TArrangement::DirectTouching};
constexpr TDevice kDevices[] = {TDevice::None, TDevice::CircuitBreaker, TDevice::FuseGG};
constexpr TInsulation kInsulations[] = {TInsulation::PVC, TInsulation::XLPE};

const char* DeviceKey(TDevice device) {
    return device == TDevice::None             ? "None"
           : device == TDevice::CircuitBreaker ? "CircuitBreaker"
                                               : "FuseGG";
}

const char* InsulationKey(TInsulation insulation) {
    return insulation == TInsulation::PVC ? "PVC" : "XLPE";
}

// The field names the messages use, with their units.
constexpr const char* kAirName = "Ambient air temperature (°C)";
constexpr const char* kGroundName = "Ground temperature (°C)";
constexpr const char* kSoilName = "Soil resistivity (K·m/W)";
constexpr const char* kRatingName = "Rating In (A)";
constexpr const char* kVoltageName = "Nominal voltage (V)";
constexpr const char* kPowerFactorName = "Power factor";
constexpr const char* kDropName = "Allowed drop (%)";
constexpr const char* kFaultName = "Fault current (kA)";
constexpr const char* kTimeName = "Fault time (s)";

} // namespace

const char* InsulationLabel(TInsulation insulation) {
    return insulation == TInsulation::PVC ? "PVC 70 °C" : "XLPE/EPR 90 °C";
}

std::string MethodLabel(TMethod method) {
    return std::string(MethodName(method)) + " — " + MethodDescription(method);
}

const char* ArrangementLabel(TArrangement arrangement) {
    switch (arrangement) {
    case TArrangement::Bunched:
        return "Bunched, on a surface, embedded or enclosed";
    case TArrangement::SingleLayerWall:
        return "Single layer on a wall, floor or unperforated tray";
    case TArrangement::SingleLayerCeiling:
        return "Single layer fixed under a ceiling";
    case TArrangement::PerforatedTray:
        return "Single layer on a perforated tray";
    case TArrangement::Ladder:
        return "Single layer on a ladder or cleats";
    case TArrangement::DuctsTouching:
        return "Ducts in the ground, touching";
    case TArrangement::DirectTouching:
        return "Direct in the ground, touching";
    }
    return "";
}

const char* DeviceLabel(TDevice device) {
    return device == TDevice::None             ? "None"
           : device == TDevice::CircuitBreaker ? "Circuit breaker"
                                               : "gG fuse";
}

std::vector<TArrangement> Arrangements(TMethod method) {
    std::vector<TArrangement> out{DefaultArrangement(method)};
    for (TArrangement a : kArrangements)
        if (a != out.front() && ArrangementFits(method, a))
            out.push_back(a);
    return out;
}

TArrangement ArrangementAfter(TMethod from, TMethod to, TArrangement arrangement) {
    if (arrangement == DefaultArrangement(from) || !ArrangementFits(to, arrangement))
        return DefaultArrangement(to);
    return arrangement;
}

TIecParsed ParseIecFields(const TIecFields& fields, const TIecInputs& previous) {
    TIecParsed out;
    TIecInputs& in = out.Inputs;
    in = previous;
    in.Insulation = fields.Insulation;
    in.Method = fields.Method;
    in.Circuits = fields.Circuits;
    in.Arrangement = ArrangementFits(fields.Method, fields.Arrangement)
                         ? fields.Arrangement
                         : DefaultArrangement(fields.Method);
    in.Device = fields.Device;

    // A blank field takes `blank`; text that is no number keeps the value held and says so.
    const auto take = [&out](const std::string& typed, const char* name, double& value,
                             std::optional<double> blank) {
        const std::string text = Trimmed(typed);
        double read = 0;
        if (text.empty()) {
            value = blank.value_or(0);
        } else if (ReadNumber(text, read)) {
            value = read;
        } else {
            // A field that may be left blank shows 0 as blank.
            const std::string held =
                !blank && value == 0 ? std::string("blank") : SignificantText(value, kInputDigits);
            out.Errors.push_back(std::string(name) + ": \"" + typed.substr(0, kLongestNumber) +
                                 (typed.size() > kLongestNumber ? "..." : "") +
                                 "\" is not a number; " + held + " is used until it is corrected.");
        }
    };
    const TIecInputs defaults;
    take(fields.AirTemperature, kAirName, in.AirTemperature, defaults.AirTemperature);
    take(fields.GroundTemperature, kGroundName, in.GroundTemperature, defaults.GroundTemperature);
    take(fields.SoilResistivity, kSoilName, in.SoilResistivity, defaults.SoilResistivity);
    take(fields.DeviceRating, kRatingName, in.DeviceRating, std::nullopt);
    take(fields.NominalVoltage, kVoltageName, in.NominalVoltage, std::nullopt);
    take(fields.PowerFactor, kPowerFactorName, in.PowerFactor, std::nullopt);
    take(fields.AllowedDrop, kDropName, in.AllowedDrop, defaults.AllowedDrop);
    double fault = previous.FaultCurrent.value_or(0);
    const std::size_t errors = out.Errors.size();
    take(fields.FaultCurrent, kFaultName, fault, std::nullopt);
    if (Trimmed(fields.FaultCurrent).empty())
        in.FaultCurrent.reset();
    else if (out.Errors.size() == errors)
        in.FaultCurrent = fault;
    take(fields.FaultTime, kTimeName, in.FaultTime, std::nullopt);
    return out;
}

TIecFields IecFieldsOf(const TIecInputs& inputs) {
    TIecFields f;
    f.Insulation = inputs.Insulation;
    f.Method = inputs.Method;
    f.AirTemperature = Number(inputs.AirTemperature);
    f.GroundTemperature = Number(inputs.GroundTemperature);
    f.SoilResistivity = Number(inputs.SoilResistivity);
    f.Circuits = inputs.Circuits;
    const TArrangement arrangement = inputs.Arrangement.value_or(DefaultArrangement(inputs.Method));
    f.Arrangement = ArrangementFits(inputs.Method, arrangement) ? arrangement
                                                                : DefaultArrangement(inputs.Method);
    f.Device = inputs.Device;
    f.DeviceRating = inputs.Device == TDevice::None && inputs.DeviceRating == 0
                         ? std::string()
                         : Number(inputs.DeviceRating);
    f.NominalVoltage = inputs.NominalVoltage == 0 ? std::string() : Number(inputs.NominalVoltage);
    f.PowerFactor = inputs.PowerFactor == 0 ? std::string() : Number(inputs.PowerFactor);
    f.AllowedDrop = Number(inputs.AllowedDrop);
    f.FaultCurrent = inputs.FaultCurrent ? Number(*inputs.FaultCurrent) : std::string();
    f.FaultTime =
        !inputs.FaultCurrent && inputs.FaultTime == 0 ? std::string() : Number(inputs.FaultTime);
    return f;
}

std::vector<std::pair<std::string, std::string>> IecStoredFields(const TIecFields& f) {
    return {
        {"IecInsulation", InsulationKey(f.Insulation)},
        {"IecMethod", MethodName(f.Method)},
        {"IecAirTemperature", f.AirTemperature},
        {"IecGroundTemperature", f.GroundTemperature},
        {"IecSoilResistivity", f.SoilResistivity},
        {"IecCircuits", std::to_string(f.Circuits)},
        {"IecArrangement", ArrangementKey(f.Arrangement)},
        {"IecDevice", DeviceKey(f.Device)},
        {"IecDeviceRating", f.DeviceRating},
        {"IecNominalVoltage", f.NominalVoltage},
        {"IecPowerFactor", f.PowerFactor},
        {"IecAllowedDrop", f.AllowedDrop},
        {"IecFaultCurrent", f.FaultCurrent},
        {"IecFaultTime", f.FaultTime},
    };
}

TIecFields
IecFieldsFromStored(const std::function<std::optional<std::string>(const std::string& key)>& read) {
    TIecFields f;
    const auto choice = [&read](const char* key, auto& value, const auto& all, auto nameOf) {
        if (const std::optional<std::string> text = read(key))
            for (const auto& candidate : all)
                if (*text == nameOf(candidate))
                    value = candidate;
    };
    choice("IecInsulation", f.Insulation, kInsulations, InsulationKey);
    choice("IecMethod", f.Method, kMethods, MethodName);
    f.Arrangement = DefaultArrangement(f.Method);
    TArrangement arrangement = f.Arrangement;
    choice("IecArrangement", arrangement, kArrangements, ArrangementKey);
    if (ArrangementFits(f.Method, arrangement))
        f.Arrangement = arrangement;
    choice("IecDevice", f.Device, kDevices, DeviceKey);
    const auto number = [&read](const char* key, std::string& value, bool blankAllowed) {
        const std::optional<std::string> text = read(key);
        double v = 0;
        if (text && ((blankAllowed && Trimmed(*text).empty()) || ReadNumber(*text, v)))
            value = Trimmed(*text);
    };
    number("IecAirTemperature", f.AirTemperature, false);
    number("IecGroundTemperature", f.GroundTemperature, false);
    number("IecSoilResistivity", f.SoilResistivity, false);
    number("IecDeviceRating", f.DeviceRating, true);
    number("IecNominalVoltage", f.NominalVoltage, true);
    number("IecPowerFactor", f.PowerFactor, true);
    number("IecAllowedDrop", f.AllowedDrop, false);
    number("IecFaultCurrent", f.FaultCurrent, true);
    number("IecFaultTime", f.FaultTime, true);
    std::int32_t circuits = 0;
    if (const std::optional<std::string> text = read("IecCircuits");
        text && text->size() <= kLongestNumber && TryStrToInt(*text, circuits) && circuits >= 1 &&
        circuits <= kMaxPanelCircuits)
        f.Circuits = circuits;
    return f;
}

std::optional<TMaterial> IecMaterial(const std::string& name) {
    return ParseMaterial(name);
}

TIecInputs IecCircuitInputs(const TSizesCircuit& circuit, const TIecInputs& installation) {
    TIecInputs in = installation;
    const std::optional<TMaterial> material = IecMaterial(circuit.Material);
    if (!material)
        throw EIecInputError("the standard's tables hold copper and aluminium only, not \"" +
                             circuit.Material + "\".");
    in.Material = *material;
    in.LoadedConductors = circuit.Phase == 1 ? 3 : 2;
    in.DesignCurrent = circuit.Current;
    in.Length = circuit.Length;
    if (installation.PowerFactor == 0 || std::isnan(installation.PowerFactor))
        in.PowerFactor =
            LoadPowerFactor(circuit.LoadType, circuit.Phase, circuit.Power, MotorRatings);
    return in;
}

namespace {

std::string Area(double area) {
    return SignificantText(area, kInputDigits) + " mm²";
}

std::string Comparison(const TSizesView& view, const TIecView& iec) {
    const std::optional<double> own =
        view.Chosen >= 0
            ? std::optional<double>(view.Rows[static_cast<std::size_t>(view.Chosen)].Area)
            : std::nullopt;
    std::optional<double> standard;
    if (iec.Answer && iec.Answer->Chosen)
        standard = iec.Answer->Rows[*iec.Answer->Chosen].Area;
    if (own && standard) {
        if (*own == *standard)
            return "Both answers agree: " + Area(*own) + ".";
        if (*own < *standard)
            return "Ampwise's own size, " + Area(*own) +
                   ", is smaller than the standard allows for this installation: use " +
                   Area(*standard) + " or larger.";
        return "Ampwise's own size, " + Area(*own) + ", is larger than the standard needs (" +
               Area(*standard) + ").";
    }
    if (own)
        return "Ampwise's own size is " + Area(*own) +
               "; the standard allows no size of the list for this installation.";
    if (standard)
        return "Ampwise finds no size; the standard allows " + Area(*standard) + ".";
    return {};
}

} // namespace

TIecView MakeIecView(const TSizesView& view, const TIecInputs& installation) {
    TIecView out;
    out.Shown = true;
    out.Inputs = installation;
    out.RowOf.resize(view.Rows.size());
    out.PowerFactorOfLoad = installation.PowerFactor == 0 || std::isnan(installation.PowerFactor);
    try {
        out.Inputs = IecCircuitInputs(view.Circuit, installation);
        // The standard sizes a rising list of areas above 0; each row finds its own again.
        std::vector<double> sizes;
        for (const TSizeRow& r : view.Rows)
            if (r.Fault.empty() && r.Area > 0 && std::isfinite(r.Area))
                sizes.push_back(r.Area);
        std::sort(sizes.begin(), sizes.end());
        sizes.erase(std::unique(sizes.begin(), sizes.end()), sizes.end());
        out.Answer = SizeToStandard(out.Inputs, sizes);
        for (std::size_t i = 0; i < view.Rows.size(); ++i) {
            const auto at = std::lower_bound(sizes.begin(), sizes.end(), view.Rows[i].Area);
            if (at != sizes.end() && *at == view.Rows[i].Area && view.Rows[i].Fault.empty())
                out.RowOf[i] = static_cast<std::size_t>(at - sizes.begin());
        }
    } catch (const std::exception& e) {
        out.Answer.reset();
        out.Verdict = std::string(kHead) + "no answer: " + e.what();
        out.Comparison = Comparison(view, out);
        return out;
    }
    const TIecAnswer& a = *out.Answer;
    // Every rated size has an Iz above 0 once the factors are formed; a list the table rates
    // nowhere is still worked through (its drops are there), unless a factor was refused first.
    bool anyRated = false;
    for (const TIecRow& r : a.Rows) {
        anyRated = anyRated || r.Rated;
        out.Derated = out.Derated || (r.Rated && r.Iz > 0);
    }
    if (!anyRated)
        out.Derated = a.Reason.find("may not be used") == std::string::npos &&
                      a.Reason.find("no confirmed grouping") == std::string::npos;
    out.Verdict = a.Reason;
    for (const std::string& note : a.Notes)
        out.Verdict += " " + note;
    out.Comparison = Comparison(view, out);
    return out;
}

std::string IecHeader(int column) {
    switch (column) {
    case icTabulated:
        return "It (A)";
    case icIz:
        return "Iz (A)";
    case icDrop:
        return "Drop (%)";
    case icShortCircuit:
        return "Short circuit";
    default:
        return {};
    }
}

namespace {

const TIecRow* RowAt(const TIecView& iec, std::size_t row) {
    if (!iec.Answer || row >= iec.RowOf.size() || !iec.RowOf[row])
        return nullptr;
    return &iec.Answer->Rows[*iec.RowOf[row]];
}

} // namespace

std::string IecCell(const TIecView& iec, std::size_t row, int column) {
    const TIecRow* r = RowAt(iec, row);
    if (!r)
        return "-";
    switch (column) {
    case icTabulated:
        return r->Rated ? SignificantText(r->Tabulated, kDigits) : r->NoRatingText();
    case icIz:
        return !r->Rated ? r->NoRatingText() : iec.Derated ? SignificantText(r->Iz, kDigits) : "-";
    case icDrop:
        return iec.Derated ? SignificantText(r->DropPercent, kDigits) : "-";
    case icShortCircuit:
        return !iec.Derated || !r->Withstands ? "-" : *r->Withstands ? "withstands" : "fails";
    default:
        return {};
    }
}

bool IecChosen(const TIecView& iec, std::size_t row) {
    return iec.Answer && iec.Answer->Chosen && row < iec.RowOf.size() &&
           iec.RowOf[row] == iec.Answer->Chosen;
}

bool IecPasses(const TIecView& iec, std::size_t row) {
    const TIecRow* r = RowAt(iec, row);
    // Without the factors no check was made, so nothing passes.
    return r && iec.Derated && r->Passes();
}

std::string IecFits(const TIecView& iec, std::size_t row) {
    const TIecRow* r = RowAt(iec, row);
    if (!r)
        return "-";
    if (!r->Rated)
        return r->NoRatingText();
    return IecChosen(iec, row) ? "chosen" : IecPasses(iec, row) ? "yes" : "no";
}

namespace {

std::string Figure(double value) {
    return SignificantText(value, kInputDigits);
}

double NominalVoltage(const TIecInputs& in) {
    return in.NominalVoltage != 0 ? in.NominalVoltage : in.LoadedConductors == 3 ? 400 : 230;
}

TArrangement ArrangementOf(const TIecView& iec) {
    return iec.Answer ? iec.Answer->Arrangement
                      : iec.Inputs.Arrangement.value_or(DefaultArrangement(iec.Inputs.Method));
}

} // namespace

std::vector<std::pair<std::string, std::string>> IecInputsText(const TIecView& iec) {
    const TIecInputs& in = iec.Inputs;
    std::vector<std::pair<std::string, std::string>> out = {
        {"Insulation", InsulationLabel(in.Insulation)},
        {"Installation method", MethodLabel(in.Method)},
    };
    if (InGround(in.Method)) {
        out.emplace_back("Ground temperature", Figure(in.GroundTemperature) + " °C");
        out.emplace_back("Soil resistivity", Figure(in.SoilResistivity) + " K·m/W");
    } else {
        out.emplace_back("Ambient air temperature", Figure(in.AirTemperature) + " °C");
    }
    std::string arrangement = ArrangementLabel(ArrangementOf(iec));
    arrangement[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(arrangement[0])));
    out.emplace_back("Circuits grouped", std::to_string(in.Circuits) + ", " + arrangement);
    std::string device = DeviceLabel(in.Device);
    if (in.Device != TDevice::None)
        device += ", In " + Figure(in.DeviceRating) + " A";
    out.emplace_back("Protective device", device);
    out.emplace_back("Nominal voltage", Figure(NominalVoltage(in)) + " V");
    out.emplace_back("Power factor", iec.PowerFactorOfLoad && iec.Answer
                                         ? Figure(in.PowerFactor) + " (the load's)"
                                     : iec.PowerFactorOfLoad ? std::string("the load's")
                                                             : Figure(in.PowerFactor));
    out.emplace_back("Allowed drop", Figure(in.AllowedDrop) + " %");
    out.emplace_back("Fault level", in.FaultCurrent ? Figure(*in.FaultCurrent) + " kA for " +
                                                          Figure(in.FaultTime) + " s"
                                                    : std::string("none"));
    return out;
}

std::string IecTabText(const TSizesView& view, const TIecView& iec) {
    TSizesExtraColumns extra;
    for (int c = 0; c < IecColumnCount; ++c)
        extra.Headers.push_back(IecHeader(c));
    extra.Headers.emplace_back("IEC fits");
    for (std::size_t i = 0; i < view.Rows.size(); ++i) {
        std::vector<std::string>& row = extra.Rows.emplace_back();
        for (int c = 0; c < IecColumnCount; ++c)
            row.push_back(IecCell(iec, i, c));
        row.push_back(IecFits(iec, i));
    }
    std::string out = SizesTabText(view, extra);
    if (!iec.Shown)
        return out;
    out += '\n';
    for (const auto& [caption, value] : IecInputsText(iec))
        out += caption + '\t' + value + '\n';
    out += iec.Verdict + '\n';
    if (!iec.Comparison.empty())
        out += iec.Comparison + '\n';
    return out;
}

std::string IecCsv(const TSizesView& view, const TIecView& iec) {
    const TIecInputs& in = iec.Inputs;
    const bool ground = InGround(in.Method);
    TSizesExtraColumns extra;
    extra.Headers = {"It (A)",
                     "Iz (A)",
                     "Drop (%)",
                     "Withstand area (mm²)",
                     "Short circuit",
                     "IEC fits",
                     "Insulation",
                     "Installation method",
                     "Ambient air temperature (°C)",
                     "Ground temperature (°C)",
                     "Soil resistivity (K·m/W)",
                     "Circuits grouped",
                     "Arrangement",
                     "Protective device",
                     "Rating In (A)",
                     "Nominal voltage (V)",
                     "Power factor",
                     "Allowed drop (%)",
                     "Fault current (kA)",
                     "Fault time (s)"};
    const std::vector<std::string> inputs = {
        InsulationLabel(in.Insulation),
        MethodName(in.Method),
        ground ? "" : ExactText(in.AirTemperature),
        ground ? ExactText(in.GroundTemperature) : "",
        ground ? ExactText(in.SoilResistivity) : "",
        std::to_string(in.Circuits),
        ArrangementLabel(ArrangementOf(iec)),
        DeviceLabel(in.Device),
        in.Device == TDevice::None ? "" : ExactText(in.DeviceRating),
        ExactText(NominalVoltage(in)),
        iec.PowerFactorOfLoad && !iec.Answer ? "" : ExactText(in.PowerFactor),
        ExactText(in.AllowedDrop),
        in.FaultCurrent ? ExactText(*in.FaultCurrent) : "",
        in.FaultCurrent ? ExactText(in.FaultTime) : ""};
    for (std::size_t i = 0; i < view.Rows.size(); ++i) {
        std::vector<std::string>& row = extra.Rows.emplace_back();
        const TIecRow* r = RowAt(iec, i);
        if (!r) {
            row.assign(6, "");
        } else {
            const bool derated = iec.Derated;
            row.push_back(r->Rated ? ExactText(r->Tabulated) : r->NoRatingText());
            row.push_back(!r->Rated ? r->NoRatingText() : derated ? ExactText(r->Iz) : "");
            row.push_back(derated ? ExactText(r->DropPercent) : "");
            row.push_back(derated && r->WithstandArea ? ExactText(*r->WithstandArea) : "");
            row.push_back(!derated || !r->Withstands ? ""
                          : *r->Withstands           ? "withstands"
                                                     : "fails");
            row.push_back(IecFits(iec, i));
        }
        row.insert(row.end(), inputs.begin(), inputs.end());
    }
    return SizesCsv(view, extra);
}

} // namespace qv
