// Reading a circuit's texts against a window's lists (see QvCircuitText.h).
#include "schedule/QvCircuitText.h"

#include "settings/QvTextUtils.h"

namespace qv {

namespace {

// What a list's own search trims: blanks and line ends.
bool IsSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

int Position(const std::vector<std::string>& list, std::string_view text, const char* what) {
    const std::string_view name = TrimWhere(text, IsSpace);
    for (std::size_t i = 0; i < list.size(); ++i)
        if (SameNameAscii(list[i], name))
            return static_cast<int>(i);
    throw EScheduleError(std::string(what) + " \"" + std::string(text) +
                         "\" is not in the window's list");
}

} // namespace

TCircuitChoice ReadCircuitText(const TCircuitText& circuit,
                               const std::vector<std::string>& materials,
                               const std::vector<std::string>& loadTypes,
                               const std::vector<std::string>& phases) {
    TCircuitChoice c;
    c.Material = Position(materials, circuit.Material, "Material");
    c.LoadType = Position(loadTypes, circuit.LoadType, "Load Type");
    c.Phase = Position(phases, circuit.Phase, "Phase");
    c.Power = ParseQuantity(circuit.Power, utPower, "Power");
    c.PowerUnit = QuantityUnit(circuit.Power, utPower);
    c.Length = ParseQuantity(circuit.Length, utLengthPrim, "Length");
    c.LengthUnit = QuantityUnit(circuit.Length, utLengthPrim);
    return c;
}

} // namespace qv
