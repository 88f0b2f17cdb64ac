// A circuit's texts read against a window's lists: which item each name picks, the quantities and
// their units, and which text an error names when several are wrong.
#include "schedule/QvCircuitText.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

const std::vector<std::string> kMaterials = {"Copper", "Aluminium", "copper"};
const std::vector<std::string> kLoadTypes = {"Resistive", "Inductive"};
const std::vector<std::string> kPhases = {"Single", "Three"};

TEST(CircuitText, ChoosesListItemsAndQuantities) {
    struct Case {
        TCircuitText text;
        TCircuitChoice want;
    } cases[] = {
        {{"Aluminium", "Inductive", "Three", "7.5 kW", "120 ft", {}},
         {1, 1, 1, 7.5, 0, 120 / 3.2808398950131235, 4}},
        // Any letter case, blanks around a name; the first of two equal names.
        {{" COPPER\t", "resistive", "single\n", "2200w", "1500 mm", {}}, {0, 0, 0, 2.2, 1, 1.5, 2}},
        // No unit: the base unit.
        {{"Copper", "Resistive", "Single", "5.5", "40", {}}, {0, 0, 0, 5.5, 0, 40, 0}},
        {{"copper", "Resistive", "Single", "10 HP", "3 feet", {}},
         {0, 0, 0, 10 / 1.341021858656296, 2, 3 / 3.2808398950131235, 4}},
    };
    for (const Case& c : cases) {
        const TCircuitChoice got = ReadCircuitText(c.text, kMaterials, kLoadTypes, kPhases);
        EXPECT_EQ(got.Material, c.want.Material) << c.text.Material;
        EXPECT_EQ(got.LoadType, c.want.LoadType) << c.text.LoadType;
        EXPECT_EQ(got.Phase, c.want.Phase) << c.text.Phase;
        EXPECT_DOUBLE_EQ(got.Power, c.want.Power) << c.text.Power;
        EXPECT_EQ(got.PowerUnit, c.want.PowerUnit) << c.text.Power;
        EXPECT_DOUBLE_EQ(got.Length, c.want.Length) << c.text.Length;
        EXPECT_EQ(got.LengthUnit, c.want.LengthUnit) << c.text.Length;
    }
}

TEST(CircuitText, FirstWrongTextIsNamed) {
    struct Case {
        TCircuitText text;
        const char* message; // the start of the error's message
    } cases[] = {
        {{"Gold", "Bad", "Bad", "x", "x", {}}, "Material \"Gold\" is not in the window's list"},
        {{"Copper", "Capacitive", "Bad", "x", "x", {}},
         "Load Type \"Capacitive\" is not in the window's list"},
        {{"Copper", "Resistive", " Two ", "x", "x", {}},
         "Phase \" Two \" is not in the window's list"},
        {{"Copper", "Resistive", "Single", "5 kVA", "x", {}},
         "Power \"5 kVA\" has an unknown unit"},
        {{"Copper", "Resistive", "Single", "5", "", {}}, "Length is empty"},
        // A name is matched whole, not as a prefix.
        {{"Copp", "Resistive", "Single", "5", "1", {}},
         "Material \"Copp\" is not in the window's list"},
        {{"", "Resistive", "Single", "5", "1", {}}, "Material \"\" is not in the window's list"},
    };
    for (const Case& c : cases) {
        try {
            ReadCircuitText(c.text, kMaterials, kLoadTypes, kPhases);
            ADD_FAILURE() << c.message;
        } catch (const EScheduleError& e) {
            EXPECT_EQ(std::string(e.what()).rfind(c.message, 0), 0u) << e.what();
        }
    }
}

} // namespace
} // namespace qv
