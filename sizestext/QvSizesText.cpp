// The Cable Sizes window's rows, verdict, cells and export text.
#include "sizestext/QvSizesText.h"

#include "text/QvCsv.h"
#include "settings/QvSysUtils.h"
#include "units/QvConv.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <initializer_list>

namespace qv {

namespace {

constexpr int kTableDigits = 3;
// Inputs are shown as typed rather than rounded: enough digits for any field's text.
constexpr int kInputDigits = 6;
constexpr int kMaxDigits = 17;

struct TShownUnit {
    std::string Label;
    double Factor = 1;
    double Offset = 0;
    double Of(double base) const { return ConvertToUnit(base, Factor, Offset); }
};

TShownUnit ShownUnit(TUnitsType type, int shown, int base) {
    TShownUnit u;
    std::string format;
    GetUnitInfo(type, ClampUnitIndex(type, shown), base, u.Label, u.Factor, u.Offset, format);
    return u;
}

struct TShown {
    explicit TShown(const TSizesUnits& units)
        : Area(ShownUnit(utArea, units.Area, 2)), Length(ShownUnit(utLengthPrim, units.Length, 0)),
          Power(ShownUnit(utPower, units.Power, 0)) {}
    TShownUnit Area, Length, Power;
};

// A size as the list gives it when shown in the list's own unit; converted ones to four digits.
std::string SizeNumber(const TShownUnit& unit, double area) {
    return unit.Factor == 1 && unit.Offset == 0 ? ExactText(area)
                                                : SignificantText(unit.Of(area), 4);
}

double ReadBack(const std::string& text) {
    double v = 0;
    return TryStrToFloat(text, v) ? v : std::nan("");
}

int Sign(double v) {
    return (v > 0) - (v < 0);
}

// The fewest significant digits, from three, at which each value's text compares with the
// reference's text as the values themselves compare. The reference is shown with at least
// `refDigits`.
int DigitsApart(double ref, int refDigits, std::initializer_list<double> values) {
    for (int d = kTableDigits; d < kMaxDigits; ++d) {
        const double r = ReadBack(SignificantText(ref, std::max(d, refDigits)));
        bool apart = true;
        for (double v : values)
            apart = apart && Sign(ReadBack(SignificantText(v, d)) - r) == Sign(v - ref);
        if (apart)
            return d;
    }
    return kMaxDigits;
}

// The size with the largest area below `area`, or none.
const TSizeRow* NextSmaller(const std::vector<TSizeRow>& rows, double area) {
    const TSizeRow* best = nullptr;
    for (const TSizeRow& r : rows)
        if (r.Fault.empty() && r.Area < area && (!best || r.Area > best->Area))
            best = &r;
    return best;
}

const TSizeRow& Largest(const std::vector<TSizeRow>& rows) {
    return *std::max_element(rows.begin(), rows.end(),
                             [](const TSizeRow& a, const TSizeRow& b) { return a.Area < b.Area; });
}

// Whether a row's drop at the current tells what its drop limit tells: over the allowed drop
// exactly when the current is over the limit.
bool ByVolts(const TSizesView& view, const TSizeRow& r) {
    const bool fails = view.Circuit.Current > r.DropLimit;
    return r.VoltDrop && std::isfinite(*r.VoltDrop) &&
           (*r.VoltDrop > view.Circuit.MaxVoltDrop) == fails;
}

// Builds the verdict's sentences with one set of digits for every current and one for every
// voltage in them.
class TVerdict {
  public:
    TVerdict(const TSizesView& view, int digits, int voltDigits = kTableDigits)
        : m_view(view), m_shown(view.Units), m_digits(digits), m_voltDigits(voltDigits) {}

    std::string Size(const TSizeRow& r) const {
        return SizeNumber(m_shown.Area, r.Area) + " " + m_shown.Area.Label;
    }
    std::string Amps(double a) const { return SignificantText(a, m_digits) + " A"; }
    std::string Needed() const { return Amps(m_view.Circuit.Current); }
    double ShownLength(double metres) const { return m_shown.Length.Of(metres); }
    std::string Length(int digits = kInputDigits) const {
        return SignificantText(ShownLength(m_view.Circuit.Length), digits) + " " +
               m_shown.Length.Label;
    }
    std::string Run(double metres, int digits) const {
        return SignificantText(ShownLength(metres), digits) + " " + m_shown.Length.Label;
    }
    std::string Allowed() const {
        return SignificantText(m_view.Circuit.MaxVoltDrop, std::max(m_voltDigits, kInputDigits)) +
               " V";
    }
    // "it carries only 21.3 A (23.9 A needed)"
    std::string Carries(const TSizeRow& r, bool only) const {
        return (only ? "carries only " : "carries ") + Amps(r.Capacity) + " (" + Needed() +
               " needed)";
    }
    // The drop at the design current against the allowed drop, "drop 6.83 V (5.5 V allowed)",
    // naming the current when the sentence has not. Where the drop cannot be formed, or rounding
    // makes it compare with the allowed drop otherwise than the current with the drop limit, the
    // limit itself is given: "allows only 19.3 A within 5.5 V (23.9 A needed)".
    std::string Drop(const TSizeRow& r, const char* verb, bool atCurrent) const {
        const bool fails = m_view.Circuit.Current > r.DropLimit;
        if (ByVolts(m_view, r))
            return std::string(verb) + " " + SignificantText(*r.VoltDrop, m_voltDigits) + " V" +
                   (atCurrent ? " at " + Needed() : "") + " (" + Allowed() + " allowed)";
        return (fails ? "allows only " : "allows ") + Amps(r.DropLimit) + " within " + Allowed() +
               " (" + Needed() + " needed)";
    }

  private:
    const TSizesView& m_view;
    TShown m_shown;
    int m_digits;
    int m_voltDigits;
};

// Digits for the drops a verdict gives, so that each reads against the allowed drop as it is.
int VoltDigits(const TSizesView& view, std::initializer_list<const TSizeRow*> rows) {
    std::vector<double> drops;
    for (const TSizeRow* r : rows)
        if (r && ByVolts(view, *r))
            drops.push_back(*r->VoltDrop);
    int digits = kTableDigits;
    for (double d : drops)
        digits = std::max(digits, DigitsApart(view.Circuit.MaxVoltDrop, kInputDigits, {d}));
    return digits;
}

std::string ChosenVerdict(const TSizesView& view) {
    const double current = view.Circuit.Current;
    const TSizeRow& c = view.Rows[static_cast<std::size_t>(view.Chosen)];
    const TSizeRow* below = NextSmaller(view.Rows, c.Area);
    const bool capFails = below && current > below->Capacity;
    const bool dropFails = below && current > below->DropLimit;
    const bool viaCapacity = c.Governs == TLimit::CarryingCapacity;
    // Only the currents the verdict gives: a drop limit is given where its drop cannot be.
    const int digits =
        DigitsApart(current, 0,
                    {viaCapacity        ? c.Capacity
                     : ByVolts(view, c) ? current
                                        : c.DropLimit,
                     capFails ? below->Capacity : current,
                     dropFails && !ByVolts(view, *below) ? below->DropLimit : current});
    const TVerdict v(view, digits,
                     VoltDigits(view, {viaCapacity ? nullptr : &c, dropFails ? below : nullptr}));

    std::string out = v.Size(c) + " chosen, limited by ";
    if (viaCapacity)
        out += "its carrying capacity: it " + v.Carries(c, false) + ".";
    else
        out += "the voltage drop: over " + v.Length() + " it " + v.Drop(c, "drops", true) + ".";

    if (!below)
        return out + " It is the smallest size listed.";
    if (below->Fits)
        return out + " " + v.Size(*below) + " would carry " + v.Needed() +
               " too, but comes after it in the size list.";
    out += " " + v.Size(*below) + " fails: ";
    if (capFails)
        out += "it " + v.Carries(*below, true);
    if (capFails && dropFails)
        out += ", and ";
    if (dropFails)
        out += "over " + v.Length() + " it " + v.Drop(*below, "would drop", !capFails);
    return out + ".";
}

std::string NoneFitsVerdict(const TSizesView& view) {
    const double current = view.Circuit.Current;
    const TSizeRow& big = Largest(view.Rows);
    const bool capFails = current > big.Capacity;
    const bool dropFails = current > big.DropLimit;
    if (!capFails && !dropFails)
        return "No size fits.";
    const int digits = DigitsApart(current, 0,
                                   {capFails ? big.Capacity : current,
                                    dropFails && !ByVolts(view, big) ? big.DropLimit : current});
    const TVerdict v(view, digits, VoltDigits(view, {dropFails ? &big : nullptr}));

    // The run at which the largest size would do must read shorter than the length; a current a
    // hair over the drop limit gives a run that rounds to the length itself, which says nothing.
    const bool reaches = !capFails && big.LongestRun &&
                         v.ShownLength(*big.LongestRun) < v.ShownLength(view.Circuit.Length);
    const int runDigits = reaches ? DigitsApart(v.ShownLength(view.Circuit.Length), kInputDigits,
                                                {v.ShownLength(*big.LongestRun)})
                                  : kInputDigits;
    const std::string length = v.Length(std::max(runDigits, kInputDigits));

    std::string out = "No size fits: ";
    if (capFails) {
        out += "the largest, " + v.Size(big) + ", " + v.Carries(big, true);
        if (dropFails)
            out += ", and over " + length + " it " + v.Drop(big, "would drop", false);
    } else {
        out += "over " + length + " the largest, " + v.Size(big) + ", " +
               v.Drop(big, "would drop", true);
    }
    out += ".";
    if (capFails)
        return out + " It cannot carry that at any length.";
    if (!reaches)
        return out;
    return out + " It would stay within " + v.Allowed() + " up to " +
           v.Run(*big.LongestRun, runDigits) + ".";
}

} // namespace

TSizesCircuit SizesCircuit(const TAmpwiser& engine, double maxVoltDrop) {
    TSizesCircuit c;
    const auto material = static_cast<std::size_t>(engine.MaterialIndex);
    if (engine.MaterialIndex >= 0 && material < Materials.size())
        c.Material = Materials[material].Name;
    c.Conductivity = engine.Conductivity;
    c.LoadType = engine.LoadType;
    c.Phase = engine.Phase;
    c.Power = engine.Power;
    c.Length = engine.Length;
    c.MaxVoltDrop = maxVoltDrop;
    c.Current = engine.Current;
    return c;
}

TSizesView MakeSizesView(const TSizeTable& table, const TSizesCircuit& circuit,
                         const TSizesUnits& units) {
    TSizesView view;
    view.Circuit = circuit;
    view.Units = units;
    view.Rows =
        table.Rows(circuit.Current, circuit.Conductivity, circuit.Length, circuit.MaxVoltDrop);
    view.FirstFit =
        table.Select(circuit.Current, circuit.Conductivity, circuit.Length, circuit.MaxVoltDrop);
    if (view.FirstFit >= 0 && view.Rows[static_cast<std::size_t>(view.FirstFit)].Area > 0)
        view.Chosen = view.FirstFit;
    return view;
}

std::string SignificantText(double value, int digits) {
    if (!std::isfinite(value))
        return FormatFloat("%g", value);
    if (value == 0)
        return "0";
    digits = std::clamp(digits, 1, kMaxDigits);
    const int e = static_cast<int>(std::floor(std::log10(std::fabs(value))));
    if (e >= 9 || e < -6)
        return FormatFloat("%0." + std::to_string(digits) + "g", value);
    int decimals = std::clamp(digits - 1 - e, 0, 18);
    std::string text = FormatFloat("%0." + std::to_string(decimals) + "f", value);
    // Rounded up into the next power of ten: one digit too many.
    if (decimals > 0 && std::fabs(ReadBack(text)) >= std::pow(10.0, e + 1))
        text = FormatFloat("%0." + std::to_string(--decimals) + "f", value);
    if (text.find('.') != std::string::npos) {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.')
            text.pop_back();
    }
    return text == "-0" ? "0" : text;
}

std::string ExactText(double value) {
    char buf[32];
    const std::to_chars_result r = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, r.ptr);
}

double ShownArea(const TSizesView& view, double area) {
    return TShown(view.Units).Area.Of(area);
}

std::string AreaUnitLabel(const TSizesView& view) {
    return TShown(view.Units).Area.Label;
}

std::string SizesHeader(const TSizesView& view, int column) {
    const TShown shown(view.Units);
    switch (column) {
    case scSize:
        return "Size (" + shown.Area.Label + ")";
    case scCapacity:
        return "Carrying capacity (A)";
    case scDropLimit:
        return "Current at drop limit (A)";
    case scPermitted:
        return "Permitted (A)";
    case scGoverns:
        return "Governs";
    case scVoltDrop:
        return "Voltage drop (V)";
    case scLongestRun:
        return "Longest run (" + shown.Length.Label + ")";
    default:
        return {};
    }
}

std::string SizesCell(const TSizesView& view, std::size_t row, int column) {
    const TSizeRow& r = view.Rows[row];
    const TShown shown(view.Units);
    if (column == scSize)
        return SizeNumber(shown.Area, r.Area);
    if (!r.Fault.empty())
        return column == scGoverns ? r.Fault : "-";
    switch (column) {
    case scCapacity:
        return SignificantText(r.Capacity, kTableDigits);
    case scDropLimit:
        return SignificantText(r.DropLimit, kTableDigits);
    case scPermitted:
        return SignificantText(r.Permitted, kTableDigits);
    case scGoverns:
        return LimitName(r.Governs);
    case scVoltDrop:
        return r.VoltDrop ? SignificantText(*r.VoltDrop, kTableDigits) : "-";
    case scLongestRun:
        return r.LongestRun ? SignificantText(shown.Length.Of(*r.LongestRun), kTableDigits) : "-";
    default:
        return {};
    }
}

std::string SizesVerdict(const TSizesView& view) {
    if (view.Rows.empty())
        return "The data file lists no sizes.";
    if (view.Chosen >= 0)
        return ChosenVerdict(view);
    if (view.FirstFit >= 0) {
        const TVerdict v(view, kTableDigits);
        return "No size chosen: the first size listed that carries " + v.Needed() + " is " +
               v.Size(view.Rows[static_cast<std::size_t>(view.FirstFit)]) +
               ", which is no conductor.";
    }
    return NoneFitsVerdict(view);
}

std::vector<std::pair<std::string, std::string>> SizesInputs(const TSizesView& view) {
    const TShown shown(view.Units);
    const TSizesCircuit& c = view.Circuit;
    const auto name = [](const auto& names, std::uint8_t i) {
        return i < names.size() ? names[i] : std::to_string(i);
    };
    return {
        {"Material", c.Material + ", " + SignificantText(c.Conductivity, kInputDigits) +
                         " m/(\u03A9\u00B7mm\u00B2)"},
        {"Load Type", name(LoadTypeNames, c.LoadType)},
        {"Phase", name(PhaseNames, c.Phase)},
        {"Power", SignificantText(shown.Power.Of(c.Power), kInputDigits) + " " + shown.Power.Label},
        {"Cable Length",
         SignificantText(shown.Length.Of(c.Length), kInputDigits) + " " + shown.Length.Label},
        {"MaxVoltDrop", SignificantText(c.MaxVoltDrop, kInputDigits) + " V"},
        {"Line Current", SignificantText(c.Current, kTableDigits) + " A"},
    };
}

namespace {

// How a row stands: the chosen size, another that fits, or one that does not.
const char* FitsText(const TSizesView& view, std::size_t row) {
    return static_cast<std::ptrdiff_t>(row) == view.Chosen ? "chosen"
           : view.Rows[row].Fits                           ? "yes"
                                                           : "no";
}

} // namespace

namespace {

// The extra fields of a row, each after the separator; none where the extra rows stop short.
void AppendExtra(std::string& out, const TSizesExtraColumns& extra, std::size_t row, bool csv) {
    if (row >= extra.Rows.size())
        return;
    for (const std::string& field : extra.Rows[row]) {
        out += csv ? ',' : '\t';
        if (csv)
            AppendCsvField(out, field);
        else
            out += field;
    }
}

void AppendExtraHeaders(std::string& out, const TSizesExtraColumns& extra, bool csv) {
    for (const std::string& header : extra.Headers) {
        out += csv ? ',' : '\t';
        if (csv)
            AppendCsvField(out, header);
        else
            out += header;
    }
}

} // namespace

std::string SizesTabText(const TSizesView& view) {
    return SizesTabText(view, {});
}

std::string SizesTabText(const TSizesView& view, const TSizesExtraColumns& extra) {
    std::string out;
    for (int col = 0; col < SizesColumnCount; ++col)
        out += SizesHeader(view, col) + '\t';
    out += "Fits";
    AppendExtraHeaders(out, extra, false);
    out += '\n';
    for (std::size_t row = 0; row < view.Rows.size(); ++row) {
        for (int col = 0; col < SizesColumnCount; ++col)
            out += SizesCell(view, row, col) + '\t';
        out += FitsText(view, row);
        AppendExtra(out, extra, row, false);
        out += '\n';
    }
    return out;
}

std::string SizesCsv(const TSizesView& view) {
    return SizesCsv(view, {});
}

std::string SizesCsv(const TSizesView& view, const TSizesExtraColumns& extra) {
    const TShown shown(view.Units);
    const TSizesCircuit& c = view.Circuit;
    const auto name = [](const auto& names, std::uint8_t i) {
        return i < names.size() ? names[i] : std::to_string(i);
    };
    // The circuit on every row, so that a row copied elsewhere still says what it was sized for.
    const std::vector<std::pair<std::string, std::string>> circuit = {
        {"Material", c.Material},
        {"Conductivity (m/(\u03A9\u00B7mm\u00B2))", ExactText(c.Conductivity)},
        {"Load Type", name(LoadTypeNames, c.LoadType)},
        {"Phase", name(PhaseNames, c.Phase)},
        {"Power (" + shown.Power.Label + ")", ExactText(shown.Power.Of(c.Power))},
        {"Cable Length (" + shown.Length.Label + ")", ExactText(shown.Length.Of(c.Length))},
        {"MaxVoltDrop (V)", ExactText(c.MaxVoltDrop)},
        {"Line Current (A)", ExactText(c.Current)},
    };
    std::string out;
    for (int col = 0; col < SizesColumnCount; ++col) {
        AppendCsvField(out, SizesHeader(view, col));
        out += ',';
    }
    out += "Fits";
    for (const auto& [caption, value] : circuit) {
        out += ',';
        AppendCsvField(out, caption);
    }
    AppendExtraHeaders(out, extra, true);
    out += '\n';
    std::string circuitFields;
    for (const auto& [caption, value] : circuit) {
        circuitFields += ',';
        AppendCsvField(circuitFields, value);
    }
    for (std::size_t i = 0; i < view.Rows.size(); ++i) {
        const TSizeRow& r = view.Rows[i];
        const bool sound = r.Fault.empty();
        const auto number = [&](double v) { return sound ? ExactText(v) : std::string(); };
        out += ExactText(shown.Area.Of(r.Area));
        out +=
            ',' + number(r.Capacity) + ',' + number(r.DropLimit) + ',' + number(r.Permitted) + ',';
        AppendCsvField(out, sound ? LimitName(r.Governs) : r.Fault);
        out += ',' + (sound && r.VoltDrop ? ExactText(*r.VoltDrop) : "") + ',' +
               (sound && r.LongestRun ? ExactText(shown.Length.Of(*r.LongestRun)) : "") + ',';
        out += FitsText(view, i);
        out += circuitFields;
        AppendExtra(out, extra, i, true);
        out += '\n';
    }
    return out;
}

} // namespace qv
