// Column matching, reading a circuit's text, sizing it and writing the results (see QvSchedule.h).
#include "schedule/QvSchedule.h"

#include "text/QvCsv.h"
#include "text/QvNumberText.h"
#include "settings/QvSysUtils.h"
#include "settings/QvTextUtils.h"
#include "units/QvEditRules.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstring>
#include <cmath>

namespace qv {

namespace {

struct TColumnInfo {
    const char* Name;
    const char* Key; // the name as ColumnKey gives it
};

const std::array<TColumnInfo, 12> kColumns{{
    {"Circuit", "circuit"},
    {"Material", "material"},
    {"Load Type", "loadtype"},
    {"Phase", "phase"},
    {"Power", "power"},
    {"Length", "length"},
    {"Max Volt Drop", "maxvoltdrop"},
    {"Current (A)", "current(a)"},
    {"Size (mm²)", "size(mm²)"},
    {"Voltage Drop (V)", "voltagedrop(v)"},
    {"Limited By", "limitedby"},
    {"Status", "status"},
}};

// The installation columns and the answer to the standard, from TColumn::Method on, with the
// one unit of those that have one (Ambient's are the catalogue's).
struct TIecColumnInfo {
    const char* Name;
    const char* Key;
    const char* Unit;
};

const std::array<TIecColumnInfo, kIecInputColumnCount + kIecResultColumnCount> kIecColumns{{
    {"Method", "method", nullptr},
    {"Insulation", "insulation", nullptr},
    {"Ambient", "ambient", nullptr},
    {"Soil Resistivity", "soilresistivity", "K·m/W"},
    {"Grouped Circuits", "groupedcircuits", nullptr},
    {"Arrangement", "arrangement", nullptr},
    {"Device", "device", nullptr},
    {"Device Rating", "devicerating", "A"},
    {"Voltage", "voltage", "V"},
    {"Power Factor", "powerfactor", nullptr},
    {"Max Drop", "maxdrop", "%"},
    {"Fault Current", "faultcurrent", "kA"},
    {"Fault Time", "faulttime", "s"},
    {"IEC Size (mm²)", "iecsize(mm²)", nullptr},
    {"Iz (A)", "iz(a)", nullptr},
    {"IEC Voltage Drop (%)", "iecvoltagedrop(%)", nullptr},
    {"IEC Limited By", "ieclimitedby", nullptr},
    {"IEC Status", "iecstatus", nullptr},
}};

const TIecColumnInfo* IecInfo(TColumn column) {
    const auto i = static_cast<std::size_t>(column) - static_cast<std::size_t>(kFirstIecInput);
    return column >= kFirstIecInput && i < kIecColumns.size() ? &kIecColumns[i] : nullptr;
}

constexpr std::array<TColumn, 5> kNeeded{TColumn::Material, TColumn::LoadType, TColumn::Phase,
                                         TColumn::Power, TColumn::Length};

std::string ColumnKey(std::string_view name) {
    std::string key;
    key.reserve(name.size());
    for (char c : name)
        if (c != ' ' && c != '\t' && c != '_' && c != '-')
            key.push_back(LowerAscii(c));
    return key;
}

// User text inside a message: quoted, short, and with no control characters.
std::string Shown(std::string_view text) {
    constexpr std::size_t kMax = 40;
    std::string s = "\"";
    std::size_t n = text.size();
    if (n > kMax) {
        n = kMax;
        while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80)
            --n; // never cut a character in two
    }
    for (std::size_t i = 0; i < n; ++i)
        s.push_back(static_cast<unsigned char>(text[i]) < 0x20 ? '?' : text[i]);
    if (n < text.size())
        s += "…";
    return s + "\"";
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Blanks around a cell's parts: those of TrimBlanks, and the no-break space that spreadsheets put
// between a number and its unit.
std::string_view TrimCell(std::string_view s) {
    for (;;) {
        const std::string_view t = TrimBlanks(s);
        if (t.substr(0, 2) == "\xC2\xA0")
            s = t.substr(2);
        else if (t.size() >= 2 && t.substr(t.size() - 2) == "\xC2\xA0")
            s = t.substr(0, t.size() - 2);
        else
            return t;
    }
}

// The length of the number at the start of t as a file writes it: an optional "-", digits with
// at most one decimal point, and an optional exponent; 0 when t starts with none.
std::size_t NumberLength(std::string_view t, bool decimalComma) {
    std::size_t i = 0;
    const std::size_t n = t.size();
    if (i < n && t[i] == '-')
        ++i;
    std::size_t digits = 0;
    for (; i < n && IsDigit(t[i]); ++i)
        ++digits;
    if (i < n && (t[i] == '.' || (decimalComma && t[i] == ',')))
        for (++i; i < n && IsDigit(t[i]); ++i)
            ++digits;
    if (digits == 0)
        return 0;
    if (i < n && (t[i] == 'e' || t[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < n && (t[j] == '+' || t[j] == '-'))
            ++j;
        if (j < n && IsDigit(t[j])) {
            while (j < n && IsDigit(t[j]))
                ++j;
            i = j;
        }
    }
    return i;
}

[[noreturn]] void NotANumber(const char* what, std::string_view t) {
    throw EScheduleError(std::string(what) + " " + Shown(t) + " is not a number");
}

// A trimmed cell's number and the unit text after it. What follows the number must read as a
// unit: more digits or another sign or point make the cell no number.
std::pair<std::string_view, std::string_view> SplitQuantity(std::string_view t, const char* what,
                                                            bool decimalComma) {
    const std::size_t n = NumberLength(t, decimalComma);
    if (n == 0)
        NotANumber(what, t);
    const std::string_view unit = TrimCell(t.substr(n));
    if (!unit.empty() && (unit.find_first_of("0123456789") != std::string_view::npos ||
                          std::string_view(".,-+/").find(unit.front()) != std::string_view::npos))
        NotANumber(what, t);
    return {t.substr(0, n), unit};
}

// The number of SplitQuantity as a double; one too large for a double is out of range.
double ReadNumber(std::string_view number, std::string_view t, const char* what) {
    double x = 0;
    if (ReadPlainDecimal(number, x) || TryStrToFloat(number, x))
        return x;
    if (const std::size_t comma = number.find(','); comma != std::string_view::npos) {
        std::string pointed(number);
        pointed[comma] = '.';
        if (TryStrToFloat(pointed, x))
            return x;
    }
    throw EScheduleError(std::string(what) + " " + Shown(t) + " is out of range");
}

// The position of a unit label or plain name in the catalogue of a type, any letter case; -1.
int UnitIndex(TUnitsType type, std::string_view unit) {
    for (int i = 0; i < UnitCount(type); ++i) {
        const TUnitRec& u = UnitRecord(type, i);
        if (SameNameAscii(unit, u.Label) || SameNameAscii(unit, u.PlainName))
            return i;
    }
    return -1;
}

std::string KnownUnits(TUnitsType type) {
    std::string known;
    for (int i = 0; i < UnitCount(type); ++i)
        known += std::string(i == 0 ? "" : ", ") + UnitRecord(type, i).Label;
    return known;
}

std::string NumberText(double value) {
    std::string s;
    AppendNumber(s, value);
    return s;
}

// A figure to `digits` significant digits without trailing zeros, whole numbers written out in
// full ("598", "190.9"); exponent form only far from the figures a circuit has.
std::string SignificantText(double value, int digits) {
    char buf[64];
    const double magnitude = std::fabs(value);
    std::to_chars_result r{};
    if (magnitude >= 1e-4 && magnitude < 1e15) {
        const int first = static_cast<int>(std::floor(std::log10(magnitude)));
        r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed,
                          std::max(0, digits - 1 - first));
        std::string_view t(buf, static_cast<std::size_t>(r.ptr - buf));
        if (t.find('.') != std::string_view::npos) {
            while (t.back() == '0')
                t.remove_suffix(1);
            if (t.back() == '.')
                t.remove_suffix(1);
        }
        return std::string(t);
    }
    r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, digits);
    return std::string(buf, r.ptr);
}

std::uint8_t Choice(std::string_view text, const std::array<std::string, 2>& names,
                    const char* what) {
    for (std::uint8_t i = 0; i < names.size(); ++i)
        if (text == names[i]) // as most are written
            return i;
    const std::string_view t = TrimBlanks(text);
    if (t.empty())
        throw EScheduleError(std::string(what) + " is empty");
    for (std::uint8_t i = 0; i < names.size(); ++i)
        if (SameNameAscii(t, names[i]))
            return i;
    throw EScheduleError(std::string(what) + " " + Shown(t) + " is neither " + names[0] + " nor " +
                         names[1]);
}

// A unit as written against the one a quantity has, without regard to ASCII case, blanks and
// the ways of writing a product ("K.m/W", "K*m/W" and "Km/W" for "K·m/W").
bool SameUnit(std::string_view written, std::string_view unit) {
    auto key = [](std::string_view u) {
        std::string k;
        for (std::size_t i = 0; i < u.size(); ++i) {
            if (u.substr(i, 2) == "\xC2\xB7") {
                ++i;
                continue;
            }
            if (u[i] != ' ' && u[i] != '.' && u[i] != '*')
                k.push_back(LowerAscii(u[i]));
        }
        return k;
    };
    return key(written) == key(unit);
}

// The number of a trimmed cell with no unit or `unit` after it.
double ReadFixed(std::string_view t, const char* unit, const char* what, bool decimalComma) {
    const auto [number, written] = SplitQuantity(t, what, decimalComma);
    if (!written.empty() && (unit == nullptr || !SameUnit(written, unit)))
        throw EScheduleError(
            std::string(what) + " " + Shown(t) +
            (unit ? " has an unknown unit " + Shown(written) + " (known: " + unit + ")"
                  : " is not a number"));
    return ReadNumber(number, t, what);
}

double ParseVolts(std::string_view text, bool decimalComma) {
    return ReadFixed(TrimCell(text), "V", "Max Volt Drop", decimalComma);
}

const char* LoadDescription(std::uint8_t loadType, std::uint8_t phase) {
    if (loadType == 0)
        return "a resistive load";
    return phase == 0 ? "a single-phase inductive load" : "a three-phase inductive load";
}

} // namespace

const char* ColumnName(TColumn column) {
    const auto i = static_cast<std::size_t>(column);
    if (const TIecColumnInfo* info = IecInfo(column))
        return info->Name;
    return i < kColumns.size() ? kColumns[i].Name : "";
}

const char* ColumnUnit(TColumn column) {
    if (column == TColumn::MaxVoltDrop)
        return "V";
    const TIecColumnInfo* info = IecInfo(column);
    return info ? info->Unit : nullptr;
}

TUnitsType ColumnUnitsType(TColumn column) {
    switch (column) {
    case TColumn::Power:
        return utPower;
    case TColumn::Length:
        return utLengthPrim;
    case TColumn::Ambient:
        return utTemperature;
    default:
        return utNone;
    }
}

namespace {

// A header name's column, and the unit text it gives after a quantity's name.
TColumn ColumnAndUnit(std::string_view headerName, std::string_view& unit) {
    unit = {};
    const std::string key = ColumnKey(headerName);
    for (std::size_t i = 0; i < kColumns.size(); ++i)
        if (key == kColumns[i].Key)
            return static_cast<TColumn>(i);
    if (key == "size(mm2)")
        return TColumn::Size;
    if (key == "iecsize(mm2)")
        return TColumn::IecSize;
    for (std::size_t i = 0; i < kIecColumns.size(); ++i)
        if (key == kIecColumns[i].Key)
            return static_cast<TColumn>(static_cast<std::size_t>(kFirstIecInput) + i);
    const std::string_view t = TrimBlanks(headerName);
    if (t.empty() || (t.back() != ')' && t.back() != ']'))
        return TColumn::Other;
    const std::size_t open = t.rfind(t.back() == ')' ? '(' : '[');
    if (open == std::string_view::npos || open == 0)
        return TColumn::Other;
    const std::string base = ColumnKey(t.substr(0, open));
    for (TColumn c : {TColumn::Power, TColumn::Length, TColumn::MaxVoltDrop, TColumn::Ambient,
                      TColumn::SoilResistivity, TColumn::DeviceRating, TColumn::Voltage,
                      TColumn::MaxDrop, TColumn::FaultCurrent, TColumn::FaultTime}) {
        const TIecColumnInfo* info = IecInfo(c);
        if (base == (info ? info->Key : kColumns[static_cast<std::size_t>(c)].Key)) {
            unit = TrimBlanks(t.substr(open + 1, t.size() - open - 2));
            return c;
        }
    }
    return TColumn::Other;
}

} // namespace

TColumn ColumnOf(std::string_view headerName) {
    std::string_view unit;
    return ColumnAndUnit(headerName, unit);
}

std::string_view HeaderUnitText(std::string_view headerName) {
    std::string_view unit;
    ColumnAndUnit(headerName, unit);
    return unit;
}

TScheduleLayout MatchHeader(const std::vector<std::string>& header) {
    TScheduleLayout layout;
    layout.Input.fill(-1);
    layout.Width = header.size();
    // Without a Method column the installation's names are anybody's columns, kept as they are,
    // so that such a schedule reads exactly as it did before they were known.
    const bool iec = std::any_of(header.begin(), header.end(), [](const std::string& name) {
        return ColumnOf(name) == TColumn::Method;
    });
    for (std::size_t i = 0; i < header.size(); ++i) {
        std::string_view unitText;
        TColumn c = ColumnAndUnit(header[i], unitText);
        if (!iec && (IsIecInput(c) || IsIecResult(c)))
            c = TColumn::Other;
        const auto k = static_cast<std::size_t>(c);
        if (c == TColumn::Other || k < kInputColumnCount || IsIecInput(c))
            layout.Kept.push_back(i);
        if (k >= kInputColumnCount && !IsIecInput(c))
            continue;
        int& position = IsIecInput(c) ? layout.IecInput[IecInputIndex(c)] : layout.Input[k];
        if (position >= 0)
            throw EScheduleError("the header names the column " + Shown(ColumnName(c)) +
                                 " twice (fields " + std::to_string(position + 1) + " and " +
                                 std::to_string(i + 1) + ")");
        position = static_cast<int>(i);
        if (unitText.data() == nullptr)
            continue;
        // A header's unit must be one its quantity has: a column of volts under "Power (V)" is
        // a mistake to stop at, not a column to read in kW.
        const TUnitsType type = ColumnUnitsType(c);
        const char* fixed = ColumnUnit(c);
        const int unit = fixed ? (SameUnit(unitText, fixed) ? 0 : -1) : UnitIndex(type, unitText);
        if (unit < 0)
            throw EScheduleError(
                "the header gives the column " + Shown(TrimBlanks(header[i])) + " the unit " +
                Shown(unitText) + ", which is not a unit of " + ColumnName(c) +
                " (known: " + (fixed ? std::string(fixed) : KnownUnits(type)) + ")");
        if (c == TColumn::Ambient)
            layout.AmbientUnit = unit;
        else if (k < kInputColumnCount)
            layout.Unit[k] = unit;
    }
    std::string missing;
    for (TColumn c : kNeeded)
        if (layout.Position(c) < 0)
            missing += (missing.empty() ? "" : ", ") + std::string(ColumnName(c));
    if (!missing.empty())
        throw EScheduleError("the header lacks the column(s) " + missing +
                             "; it needs Material, Load Type, Phase, Power and Length");
    return layout;
}

TCircuitText CircuitOf(const std::vector<std::string_view>& record, const TScheduleLayout& layout) {
    auto field = [&](TColumn c) -> std::string_view {
        const int i = layout.Position(c);
        return i >= 0 && static_cast<std::size_t>(i) < record.size()
                   ? record[static_cast<std::size_t>(i)]
                   : std::string_view();
    };
    TCircuitText circuit{
        field(TColumn::Material),      field(TColumn::LoadType),       field(TColumn::Phase),
        field(TColumn::Power),         field(TColumn::Length),         field(TColumn::MaxVoltDrop),
        layout.UnitOf(TColumn::Power), layout.UnitOf(TColumn::Length), layout.DecimalComma()};
    if (layout.HasIec()) {
        TInstallationText& in = circuit.Installation;
        for (std::size_t k = 0; k < kIecInputColumnCount; ++k)
            in.Cells[k] = field(static_cast<TColumn>(static_cast<std::size_t>(kFirstIecInput) + k));
        in.AmbientUnit = layout.AmbientUnit;
        in.DecimalComma = layout.DecimalComma();
        in.Present = true;
    }
    return circuit;
}

namespace {

// Both answers of a row say how they ended in the same words.
std::string StatusWords(TRowStatus status, const std::string& reason, const std::string& error) {
    switch (status) {
    case TRowStatus::Solved:
        return "Solved";
    case TRowStatus::NotSolved:
        return reason.empty() ? "Not Solved" : "Not Solved: " + reason;
    case TRowStatus::Error:
        break;
    }
    return "Error: " + error;
}

} // namespace

std::string TIecRowResult::StatusText() const {
    return StatusWords(Status, Reason, Error);
}

std::string TRowResult::StatusText() const {
    return StatusWords(Status, Reason, Error);
}

int QuantityUnit(std::string_view text, TUnitsType type, int unit) {
    const std::string_view t = TrimCell(text);
    const std::size_t last = t.find_last_of("0123456789");
    const std::string_view written =
        last == std::string_view::npos ? std::string_view() : TrimCell(t.substr(last + 1));
    return written.empty() ? unit : UnitIndex(type, written);
}

std::string CellWithUnit(std::string_view text, TUnitsType type, int unit, bool decimalComma) {
    const std::string_view t = TrimCell(text);
    const std::size_t n = NumberLength(t, decimalComma);
    if (n == 0) // no number, for whoever reads it to refuse
        return std::string(text);
    std::string cell(t);
    if (const std::size_t comma = cell.find(','); comma < n)
        cell[comma] = '.';
    if (unit != 0 && TrimCell(t.substr(n)).empty())
        cell += std::string(" ") + UnitRecord(type, unit).Label;
    return cell;
}

double ParseFixedQuantity(std::string_view text, const char* unit, const char* what,
                          bool decimalComma) {
    const std::string_view t = TrimCell(text);
    if (t.empty())
        throw EScheduleError(std::string(what) + " is empty");
    return ReadFixed(t, unit, what, decimalComma);
}

double ParseQuantity(std::string_view text, TUnitsType type, const char* what, int unit,
                     bool decimalComma) {
    double x = 0;
    if (unit == 0 && ReadPlainDecimal(text, x)) // a number in the base unit, as most are written
        return x;
    const std::string_view t = TrimCell(text);
    if (t.empty())
        throw EScheduleError(std::string(what) + " is empty");
    const auto [number, unitText] = SplitQuantity(t, what, decimalComma);
    const int index = unitText.empty() ? unit : UnitIndex(type, unitText);
    if (index < 0)
        throw EScheduleError(std::string(what) + " " + Shown(t) + " has an unknown unit " +
                             Shown(unitText) + " (known: " + KnownUnits(type) + ")");
    x = ReadNumber(number, t, what);
    if (index == 0)
        return x;
    std::string label, format;
    double factor = 1, offset = 0;
    GetUnitInfo(type, index, 0, label, factor, offset, format);
    double v = 0;
    try {
        v = ConvertFromUnit(x, factor, offset);
    } catch (const std::exception&) {
        v = HUGE_VAL;
    }
    if (!std::isfinite(v))
        throw EScheduleError(std::string(what) + " " + Shown(t) + " is out of range");
    return v;
}

TScheduleSizer::TScheduleSizer(TElecData data, double maxVoltDrop,
                               std::shared_ptr<const TInstallationSizer> installation)
    : m_data(std::move(data)), m_table(m_data.Sizes), m_maxVoltDrop(maxVoltDrop),
      m_installation(std::move(installation)), m_ascendingSizes(m_data.Sizes) {
    std::sort(m_ascendingSizes.begin(), m_ascendingSizes.end());
    m_ascendingSizes.erase(std::unique(m_ascendingSizes.begin(), m_ascendingSizes.end()),
                           m_ascendingSizes.end());
    const std::vector<MaterialRec>& materials = m_data.Materials;
    for (std::size_t i = 0; i < materials.size(); ++i) {
        bool exact = TrimBlanks(materials[i].Name) == materials[i].Name;
        for (std::size_t j = 0; exact && j < i; ++j)
            exact = !SameNameAscii(materials[j].Name, materials[i].Name);
        if (exact)
            m_exactNames.push_back(i);
    }
}

const MaterialRec& TScheduleSizer::Material(std::string_view name) const {
    for (std::size_t i : m_exactNames) // as most are written
        if (name == m_data.Materials[i].Name)
            return m_data.Materials[i];
    const std::string_view t = TrimBlanks(name);
    if (t.empty())
        throw EScheduleError("Material is empty");
    for (const MaterialRec& m : m_data.Materials)
        if (SameNameAscii(t, m.Name))
            return m;
    std::string known;
    for (const MaterialRec& m : m_data.Materials)
        known += (known.empty() ? "" : ", ") + m.Name;
    throw EScheduleError("unknown material " + Shown(t) + "; the data file has " +
                         (known.empty() ? std::string("no materials") : known));
}

TRowResult TScheduleSizer::Size(const TCircuitText& circuit) const {
    TRowResult r;
    Size(circuit, r);
    return r;
}

void TScheduleSizer::Size(const TCircuitText& circuit, TRowResult& r) const {
    r.Status = TRowStatus::Error;
    r.Current.reset();
    r.Size.reset();
    r.VoltDrop.reset();
    r.LimitedBy.reset();
    r.Error.clear();
    r.Reason.clear();
    r.Iec.reset();
    TCircuitFacts facts;
    try {
        SizeOwn(circuit, r, circuit.Installation.Present ? &facts : nullptr);
    } catch (const std::runtime_error& e) {
        r = TRowResult{};
        r.Error = e.what();
    } catch (const std::logic_error& e) {
        r = TRowResult{};
        r.Error = e.what();
    }
    if (circuit.Installation.Present)
        SizeInstallation(circuit, facts, r);
}

TCircuitFacts TScheduleSizer::Facts(const TCircuitText& circuit) const {
    TRowResult r;
    TCircuitFacts facts;
    try {
        SizeOwn(circuit, r, &facts);
    } catch (const EScheduleError&) {
        throw;
    } catch (const std::exception& e) {
        throw EScheduleError(e.what());
    }
    return facts;
}

void TScheduleSizer::SizeOwn(const TCircuitText& circuit, TRowResult& r,
                             TCircuitFacts* facts) const {
    const MaterialRec& material = Material(circuit.Material);
    const std::uint8_t loadType = Choice(circuit.LoadType, LoadTypeNames, "Load Type");
    const std::uint8_t phase = Choice(circuit.Phase, PhaseNames, "Phase");
    // "-0" is 0: a sign on nothing must not show in the figures.
    const double power =
        ParseQuantity(circuit.Power, utPower, "Power", circuit.PowerUnit, circuit.DecimalComma) +
        0.0;
    const double length = ParseQuantity(circuit.Length, utLengthPrim, "Length", circuit.LengthUnit,
                                        circuit.DecimalComma) +
                          0.0;
    const double maxVoltDrop = TrimCell(circuit.MaxVoltDrop).empty()
                                   ? m_maxVoltDrop
                                   : ParseVolts(circuit.MaxVoltDrop, circuit.DecimalComma) + 0.0;

    if (power < 0)
        throw EScheduleError("Power must not be negative");
    const double limit = PowerLimit(loadType, phase);
    if (power > limit)
        throw EScheduleError("Power " + NumberText(power) + " kW is above the " +
                             NumberText(limit) + " kW limit for " +
                             LoadDescription(loadType, phase));
    if (!(length > 0))
        throw EScheduleError("Length must be greater than 0");
    if (maxVoltDrop < 0)
        throw EScheduleError("Max Volt Drop must not be negative");

    const TSizing s = m_table.Size(
        {material.Conductivity, loadType, phase, length, power, maxVoltDrop}, m_data.Ratings);
    r.Current = s.Current;
    if (facts)
        *facts = {material.Name,
                  loadType,
                  phase,
                  power,
                  length,
                  s.Current,
                  LoadPowerFactor(loadType, phase, power, m_data.Ratings),
                  &m_ascendingSizes};
    if (s.Area > 0) {
        r.Status = TRowStatus::Solved;
        r.Size = s.Area;
        r.VoltDrop = s.VoltDrop;
        // No current: neither limit has anything to limit.
        if (power > 0)
            r.LimitedBy = s.LimitedBy;
    } else {
        r.Status = TRowStatus::NotSolved;
        r.Reason = NotSolvedReason(material.Conductivity, length, maxVoltDrop, s.Current);
    }
}

void TScheduleSizer::SizeInstallation(const TCircuitText& circuit, const TCircuitFacts& facts,
                                      TRowResult& r) const {
    if (TrimCell(circuit.Installation.Cell(TColumn::Method)).empty())
        return;
    TIecRowResult& iec = r.Iec.emplace();
    // The standard's answer starts from the circuit's own current, which an error leaves unknown.
    if (r.Status == TRowStatus::Error) {
        iec.Error = r.Error;
        return;
    }
    if (!m_installation) {
        iec.Error = "this program holds no installation standard's tables";
        return;
    }
    m_installation->Size(circuit.Installation, facts, iec);
}

std::string TScheduleSizer::NotSolvedReason(double conductivity, double length, double maxVoltDrop,
                                            double current) const {
    if (m_table.Count() == 0)
        return "the data file lists no sizes";
    double area = m_table.Area(0);
    for (std::size_t i = 1; i < m_table.Count(); ++i)
        area = std::max(area, m_table.Area(i));
    double capacity = 0, dropLimit = 0;
    try {
        capacity = CarryingCapacity(area);
        dropLimit = DropLimit(conductivity, area, maxVoltDrop, length);
    } catch (const std::exception&) {
        return {};
    }
    const double permitted = std::min(capacity, dropLimit);
    if (!(current > permitted))
        return {}; // the largest size carries it, but is no conductor
    // The need, and the limit that stops it, with the digits it takes to tell them apart.
    int digits = 4;
    while (digits < 17 && SignificantText(current, digits) == SignificantText(permitted, digits))
        ++digits;
    const bool capacityStops = capacity <= dropLimit;
    const std::string wire = NumberText(area) + " mm²";
    return wire + " carries " + SignificantText(capacity, capacityStops ? digits : 3) +
           " A and over " + NumberText(length) + " m allows " +
           SignificantText(dropLimit, capacityStops ? 3 : digits) + " A within " +
           NumberText(maxVoltDrop) + " V; " + SignificantText(current, digits) + " A is needed";
}

TRowResult TScheduleSizer::SizeRecord(const std::vector<std::string_view>& record,
                                      const TScheduleLayout& layout) const {
    if (record.size() > layout.Width) {
        TRowResult r;
        r.Error = "the row has " + std::to_string(record.size()) + " fields; the header has " +
                  std::to_string(layout.Width);
        // Its installation cannot be told from its extra fields either.
        if (layout.HasIec() &&
            !TrimCell(record[static_cast<std::size_t>(layout.Position(TColumn::Method))]).empty())
            r.Iec.emplace().Error = r.Error;
        return r;
    }
    return Size(CircuitOf(record, layout));
}

TScheduleFormatter::TScheduleFormatter(TOutputFormat format, const std::vector<std::string>& header,
                                       TScheduleLayout layout, char separator)
    : m_format(format), m_layout(std::move(layout)) {
    m_sep = separator ? separator : m_layout.Separator;
    m_decimalComma = m_sep == ';';
    m_keepsAll = m_layout.Kept.size() == m_layout.Width;
    std::vector<std::string> names;
    for (std::size_t i : m_layout.Kept)
        names.push_back(header[i]);
    for (std::size_t c = kInputColumnCount; c < kInputColumnCount + kResultColumnCount; ++c)
        names.push_back(ColumnName(static_cast<TColumn>(c)));
    if (m_layout.HasIec())
        for (std::size_t c = 0; c < kIecResultColumnCount; ++c)
            names.push_back(
                ColumnName(static_cast<TColumn>(static_cast<std::size_t>(kFirstIecResult) + c)));
    for (const std::string& name : names) {
        std::string s;
        if (m_format == TOutputFormat::Jsonl) {
            AppendJsonString(s, name);
            s.push_back(':');
        } else {
            AppendCsvField(s, name, m_sep);
        }
        m_names.push_back(std::move(s));
    }
}

void TScheduleFormatter::AppendHeader(std::string& out) const {
    if (m_format == TOutputFormat::Jsonl)
        return;
    if (m_layout.ByteOrderMark)
        out += "\xEF\xBB\xBF";
    for (std::size_t i = 0; i < m_names.size(); ++i) {
        if (i)
            out.push_back(m_sep);
        out += m_names[i];
    }
    out.push_back('\n');
}

void TScheduleFormatter::AppendRow(std::string& out, const std::vector<std::string_view>& record,
                                   const TRowResult& result, std::string_view plainText) const {
    std::size_t written = 0;
    if (WritesTextAsRead(record.size(), plainText)) {
        out += plainText;
        written = m_layout.Kept.size();
    }
    AppendRowFrom(out, record, result, written);
}

bool TScheduleFormatter::WritesTextAsRead(std::size_t fields, std::string_view plainText) const {
    return m_format == TOutputFormat::Csv && m_keepsAll && !plainText.empty() &&
           fields == m_layout.Width && m_sep == m_layout.Separator;
}

void TScheduleFormatter::AppendRowFrom(std::string& out,
                                       const std::vector<std::string_view>& record,
                                       const TRowResult& result, std::size_t n) const {
    const bool json = m_format == TOutputFormat::Jsonl;
    auto name = [&] {
        if (json)
            out += n == 0 ? "{" : ",";
        else if (n)
            out.push_back(m_sep);
        if (json)
            out += m_names[n];
        ++n;
    };
    auto number = [&](const std::optional<double>& v) {
        name();
        if (v) {
            const std::size_t from = out.size();
            AppendNumber(out, *v);
            if (m_decimalComma && !json)
                std::replace(out.begin() + static_cast<std::ptrdiff_t>(from), out.end(), '.', ',');
        } else if (json) {
            out += "null";
        }
    };
    auto text = [&](std::string_view s) {
        name();
        if (json)
            AppendJsonString(out, s);
        else
            AppendCsvField(out, s, m_sep);
    };

    for (std::size_t k = n; k < m_layout.Kept.size(); ++k) {
        const std::size_t i = m_layout.Kept[k];
        text(i < record.size() ? record[i] : std::string_view());
    }
    number(result.Current);
    number(result.Size);
    number(result.VoltDrop);
    if (result.LimitedBy) {
        text(LimitName(*result.LimitedBy));
    } else {
        name();
        if (json)
            out += "null";
    }
    text(result.StatusText());
    if (m_layout.HasIec()) {
        const TIecRowResult* iec = result.Iec ? &*result.Iec : nullptr;
        number(iec ? iec->Size : std::nullopt);
        number(iec ? iec->Iz : std::nullopt);
        number(iec ? iec->DropPercent : std::nullopt);
        auto optionalText = [&](bool has, const std::string& s) {
            if (has) {
                text(s);
                return;
            }
            name();
            if (json)
                out += "null";
        };
        optionalText(iec && !iec->LimitedBy.empty(), iec ? iec->LimitedBy : std::string());
        optionalText(iec != nullptr, iec ? iec->StatusText() : std::string());
    }
    // Fields past the header's, which only an error row has, are kept after the results (where
    // they stand past the header's columns, as in the input).
    if (record.size() > m_layout.Width) {
        if (json)
            out += ",\"Fields past the header\":[";
        for (std::size_t i = m_layout.Width; i < record.size(); ++i) {
            if (json) {
                if (i > m_layout.Width)
                    out.push_back(',');
                AppendJsonString(out, record[i]);
            } else {
                out.push_back(m_sep);
                AppendCsvField(out, record[i], m_sep);
            }
        }
        if (json)
            out.push_back(']');
    }
    out += json ? "}\n" : "\n";
}

void TScheduleFormatter::AppendRow(TTextBuffer& out, const std::vector<std::string_view>& record,
                                   const TRowResult& result, std::string_view plainText) const {
    if (WritesTextAsRead(record.size(), plainText)) {
        AppendTextRow(out, plainText, result);
        return;
    }
    m_scratch.clear();
    AppendRowFrom(m_scratch, record, result, 0);
    out.Append(m_scratch);
}

void TScheduleFormatter::AppendTextRow(TTextBuffer& out, std::string_view text,
                                       const TRowResult& result) const {
    // The ends below are written with commas and decimal points.
    if (result.Status != TRowStatus::Solved || !result.Current || !result.Size ||
        !result.VoltDrop || !result.LimitedBy || m_sep != ',' || m_layout.HasIec()) {
        m_scratch.assign(text);
        AppendRowFrom(m_scratch, {}, result, m_layout.Kept.size());
        out.Append(m_scratch);
        return;
    }
    // The ends, padded to one length so that they copy without a call.
    static constexpr char kEnds[2][32] = {",carrying capacity,Solved\n", ",voltage drop,Solved\n"};
    // The texts of LimitName and TRowResult::StatusText, as the other rows write them.
    static constexpr std::size_t kEndSizes[2] = {std::string_view(kEnds[0]).size(),
                                                 std::string_view(kEnds[1]).size()};
    const bool drop = *result.LimitedBy == TLimit::VoltageDrop;
    char* p = out.Room(text.size() + 3 * (kShortestMax + 1) + sizeof kEnds[0]);
    std::memcpy(p, text.data(), text.size());
    p += text.size();
    *p++ = ',';
    p = WriteShortest(p, *result.Current);
    *p++ = ',';
    p = WriteRecurring(p, *result.Size);
    *p++ = ',';
    p = WriteShortest(p, *result.VoltDrop);
    std::memcpy(p, kEnds[drop], sizeof kEnds[drop]);
    out.Advance(p + kEndSizes[drop]);
}

char* TScheduleFormatter::WriteRecurring(char* p, double value) const {
    // Open addressing over a few slots from the hashed bits; once those are taken by other
    // values, the text is worked out each time.
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const std::size_t home = (bits * 0x9E3779B97F4A7C15) >> 58;
    for (std::size_t k = 0; k < 8; ++k) {
        TRecurring& r = m_recurring[(home + k) % m_recurring.size()];
        if (r.Size == 0) {
            r.Size = static_cast<std::uint8_t>(WriteShortest(r.Text, value) - r.Text);
            r.Bits = bits;
        }
        if (r.Bits == bits) {
            std::memcpy(p, r.Text, kShortestMax);
            return p + r.Size;
        }
    }
    return WriteShortest(p, value);
}

std::string QuotedCell(std::string_view text) {
    return Shown(text);
}

void AppendJsonString(std::string& out, std::string_view text) {
    static const char* const kHex = "0123456789abcdef";
    out.push_back('"');
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            if (c == '"' || c == '\\') {
                out.push_back('\\');
                out.push_back(static_cast<char>(c));
            } else if (c < 0x20) {
                out += "\\u00";
                out.push_back(kHex[c >> 4]);
                out.push_back(kHex[c & 15]);
            } else {
                out.push_back(static_cast<char>(c));
            }
            ++i;
            continue;
        }
        // The length of a well-formed UTF-8 sequence starting here, or 0.
        std::size_t len = c >= 0xC2 && c <= 0xDF   ? 2
                          : c >= 0xE0 && c <= 0xEF ? 3
                          : c >= 0xF0 && c <= 0xF4 ? 4
                                                   : 0;
        if (len && i + len <= text.size()) {
            const auto c1 = static_cast<unsigned char>(text[i + 1]);
            // The second byte's range rules out overlong forms, surrogates and code points
            // past U+10FFFF.
            const unsigned char lo = c == 0xE0 ? 0xA0 : c == 0xF0 ? 0x90 : 0x80;
            const unsigned char hi = c == 0xED ? 0x9F : c == 0xF4 ? 0x8F : 0xBF;
            bool ok = c1 >= lo && c1 <= hi;
            for (std::size_t k = 2; ok && k < len; ++k)
                ok = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
            if (!ok)
                len = 0;
        } else {
            len = 0;
        }
        if (len) {
            out.append(text.substr(i, len));
            i += len;
        } else {
            out += "\xEF\xBF\xBD";
            ++i;
        }
    }
    out.push_back('"');
}

} // namespace qv
