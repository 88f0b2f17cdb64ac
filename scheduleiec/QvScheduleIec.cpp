// Reading a row's installation and answering it to the standard (see QvScheduleIec.h).
#include "scheduleiec/QvScheduleIec.h"

#include "iec/QvIecNames.h"
#include "settings/QvTextUtils.h"

#include <cmath>
#include <stdexcept>

namespace qv {

namespace {

using namespace iec;

[[noreturn]] void Refuse(const std::string& message) {
    throw EScheduleError(message);
}

std::string Named(TColumn column, std::string_view text) {
    return std::string(ColumnName(column)) + " " + QuotedCell(TrimBlanks(text));
}

// A quantity cell in its column's one unit; none when empty.
std::optional<double> Fixed(const TInstallationText& cells, TColumn column) {
    const std::string_view text = cells.Cell(column);
    if (TrimBlanks(text).empty())
        return std::nullopt;
    return ParseFixedQuantity(text, ColumnUnit(column), ColumnName(column), cells.DecimalComma) +
           0.0;
}

// A quantity that must be above 0.
std::optional<double> Positive(const TInstallationText& cells, TColumn column) {
    const std::optional<double> x = Fixed(cells, column);
    if (x && !(*x > 0))
        Refuse(std::string(ColumnName(column)) + " must be greater than 0");
    return x;
}

TMaterial MaterialOf(std::string_view name) {
    if (const std::optional<TMaterial> material = ParseMaterial(name))
        return *material;
    Refuse("Material " + QuotedCell(TrimBlanks(name)) +
           " is not in the standard's tables, which hold copper and aluminium");
}

} // namespace

TIecInputs IecInputsOf(const TInstallationText& cells, const TCircuitFacts& facts) {
    TIecInputs in;
    auto text = [&](TColumn c) { return TrimBlanks(cells.Cell(c)); };

    in.Material = MaterialOf(facts.Material);
    if (text(TColumn::Method).empty())
        Refuse("Method is empty");
    const std::optional<TMethod> method = ParseMethod(text(TColumn::Method));
    if (!method)
        Refuse(Named(TColumn::Method, text(TColumn::Method)) + " is not a method (" +
               MethodNames() + ")");
    in.Method = *method;
    const bool ground = in.Method == TMethod::D1 || in.Method == TMethod::D2;

    if (!text(TColumn::Insulation).empty()) {
        const std::optional<TInsulation> insulation = ParseInsulation(text(TColumn::Insulation));
        if (!insulation)
            Refuse(Named(TColumn::Insulation, text(TColumn::Insulation)) + " is not one of " +
                   InsulationNames());
        in.Insulation = *insulation;
    }
    in.LoadedConductors = facts.Phase == 0 ? 2 : 3;

    if (!text(TColumn::Ambient).empty()) {
        const double t = ParseQuantity(cells.Cell(TColumn::Ambient), utTemperature, "Ambient",
                                       cells.AmbientUnit, cells.DecimalComma) +
                         0.0;
        (ground ? in.GroundTemperature : in.AirTemperature) = t;
    }
    if (const auto soil = Positive(cells, TColumn::SoilResistivity))
        in.SoilResistivity = *soil;

    if (const auto circuits = Fixed(cells, TColumn::GroupedCircuits)) {
        const std::string shown = Named(TColumn::GroupedCircuits, text(TColumn::GroupedCircuits));
        if (*circuits != std::floor(*circuits))
            Refuse(shown + " is not a whole number");
        if (*circuits < 1)
            Refuse(shown + " is below 1");
        if (*circuits > 20)
            Refuse(shown + " is more than 20: the grouping tables stop at 20");
        in.Circuits = static_cast<int>(*circuits);
    }

    if (!text(TColumn::Arrangement).empty()) {
        const std::optional<TArrangement> arrangement =
            ParseArrangement(text(TColumn::Arrangement));
        if (!arrangement)
            Refuse(Named(TColumn::Arrangement, text(TColumn::Arrangement)) + " is not one of " +
                   ArrangementNames());
        if (!ArrangementFits(in.Method, *arrangement)) {
            std::vector<std::string> fit;
            for (const char* name : kArrangementNames)
                if (ArrangementFits(in.Method, *ParseArrangement(name)))
                    fit.emplace_back(name);
            std::string list;
            for (std::size_t i = 0; i < fit.size(); ++i)
                list += (i == 0 ? "" : i + 1 == fit.size() ? " or " : ", ") + fit[i];
            Refuse(Named(TColumn::Arrangement, text(TColumn::Arrangement)) +
                   " does not go with method " + MethodName(in.Method) + ", which takes " + list);
        }
        in.Arrangement = *arrangement;
    }

    if (!text(TColumn::Device).empty()) {
        const std::optional<TDevice> device = ParseDevice(text(TColumn::Device));
        if (!device)
            Refuse(Named(TColumn::Device, text(TColumn::Device)) + " is not one of " +
                   DeviceNames());
        in.Device = *device;
    }
    const std::optional<double> rating = Positive(cells, TColumn::DeviceRating);
    if (in.Device != TDevice::None && !rating)
        Refuse(std::string("Device Rating is empty: a ") + DeviceName(in.Device) +
               " needs its rating");
    if (in.Device == TDevice::None && rating)
        Refuse("Device Rating is given without a Device");
    in.DeviceRating = rating.value_or(0);

    in.NominalVoltage = Positive(cells, TColumn::Voltage).value_or(0);
    in.PowerFactor = facts.PowerFactor;
    if (const auto pf = Fixed(cells, TColumn::PowerFactor)) {
        if (!(*pf > 0 && *pf <= 1))
            Refuse(Named(TColumn::PowerFactor, text(TColumn::PowerFactor)) +
                   " is not above 0 and at most 1");
        in.PowerFactor = *pf;
    }
    if (const auto drop = Positive(cells, TColumn::MaxDrop))
        in.AllowedDrop = *drop;

    const std::optional<double> fault = Fixed(cells, TColumn::FaultCurrent);
    if (fault && *fault < 0)
        Refuse("Fault Current must not be negative");
    const std::optional<double> time = Positive(cells, TColumn::FaultTime);
    if (fault && !time)
        Refuse("Fault Time is empty: a fault current needs its disconnection time");
    if (!fault && time)
        Refuse("Fault Time is given without a Fault Current");
    in.FaultCurrent = fault;
    in.FaultTime = time.value_or(0);

    in.DesignCurrent = facts.Current;
    in.Length = facts.Length;
    return in;
}

TIecInputs IecInputsOf(const TScheduleSizer& sizer, const TCircuitText& circuit) {
    return IecInputsOf(circuit.Installation, sizer.Facts(circuit));
}

std::string GoverningText(unsigned governing) {
    std::string text;
    for (TCheck check : kChecks)
        if (Has(governing, check))
            text += std::string(text.empty() ? "" : " and ") + CheckName(check);
    return text;
}

TIecRowResult IecRowResultOf(const TIecAnswer& answer) {
    TIecRowResult r;
    if (answer.Chosen && *answer.Chosen < answer.Rows.size()) {
        const TIecRow& row = answer.Rows[*answer.Chosen];
        r.Status = TRowStatus::Solved;
        r.Size = row.Area;
        r.Iz = row.Iz;
        r.DropPercent = row.DropPercent;
        r.LimitedBy = GoverningText(answer.Governing);
        return r;
    }
    // The column says whose answer it is; the reason need not.
    std::string_view reason = answer.Reason;
    constexpr std::string_view head = "IEC 60364-5-52: ";
    if (reason.substr(0, head.size()) == head)
        reason.remove_prefix(head.size());
    if (!reason.empty() && reason.back() == '.')
        reason.remove_suffix(1);
    r.Status = TRowStatus::NotSolved;
    r.Reason = reason;
    return r;
}

void TIecScheduleSizer::Size(const TInstallationText& cells, const TCircuitFacts& facts,
                             TIecRowResult& into) const {
    static const std::vector<double> kNoSizes;
    try {
        into = IecRowResultOf(
            SizeToStandard(IecInputsOf(cells, facts), facts.Sizes ? *facts.Sizes : kNoSizes));
    } catch (const std::exception& e) {
        into = TIecRowResult{};
        into.Error = e.what();
        if (!into.Error.empty() && into.Error.back() == '.') // as the schedule's own errors
            into.Error.pop_back();
    }
}

} // namespace qv
