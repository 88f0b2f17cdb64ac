// The installation's named values read back from what people write, and the names written.
#include "iec/QvIecNames.h"

#include <gtest/gtest.h>

namespace qv::iec {
namespace {

TEST(IecNames, ReadInAnyCaseAndSpacing) {
    struct Case {
        const char* text;
        std::optional<TMethod> method;
        std::optional<TInsulation> insulation;
        std::optional<TArrangement> arrangement;
        std::optional<TDevice> device;
    } cases[] = {
        {"B2", TMethod::B2, {}, {}, {}},
        {" d1 ", TMethod::D1, {}, {}, {}},
        {"e", TMethod::E, {}, {}, {}},
        {"F", {}, {}, {}, {}},
        {"A", {}, {}, {}, {}},
        {"A12", {}, {}, {}, {}},
        {"pvc", {}, TInsulation::PVC, {}, {}},
        {"XLPE", {}, TInsulation::XLPE, {}, {}},
        {"Epr", {}, TInsulation::XLPE, {}, {}},
        {"Single Layer", {}, {}, TArrangement::SingleLayerWall, {}},
        {"single-layer", {}, {}, TArrangement::SingleLayerWall, {}},
        {"UNDER CEILING", {}, {}, TArrangement::SingleLayerCeiling, {}},
        {"perforated_tray", {}, {}, TArrangement::PerforatedTray, {}},
        {"ladder", {}, {}, TArrangement::Ladder, {}},
        {"bunched", {}, {}, TArrangement::Bunched, {}},
        {"ducts touching", {}, {}, TArrangement::DuctsTouching, {}},
        {"Direct Touching", {}, {}, TArrangement::DirectTouching, {}},
        {"single", {}, {}, {}, {}},
        {"Breaker", {}, {}, {}, TDevice::CircuitBreaker},
        {"circuit breaker", {}, {}, {}, TDevice::CircuitBreaker},
        {"GG", {}, {}, {}, TDevice::FuseGG},
        {"gG fuse", {}, {}, {}, TDevice::FuseGG},
        {"none", {}, {}, {}, TDevice::None},
        {"fuse", {}, {}, {}, {}},
        {"", {}, {}, {}, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseMethod(c.text), c.method) << c.text;
        EXPECT_EQ(ParseInsulation(c.text), c.insulation) << c.text;
        EXPECT_EQ(ParseArrangement(c.text), c.arrangement) << c.text;
        EXPECT_EQ(ParseDevice(c.text), c.device) << c.text;
    }
}

// Every name a picker offers reads back as the value it was written for.
TEST(IecNames, WrittenNamesReadBack) {
    for (TMethod m : kMethods)
        EXPECT_EQ(ParseMethod(MethodName(m)), m);
    for (const char* name : kArrangementNames)
        EXPECT_STREQ(ArrangementName(*ParseArrangement(name)), name);
    for (const char* name : kDeviceNames)
        EXPECT_STREQ(DeviceName(*ParseDevice(name)), name);
    for (TInsulation i : {TInsulation::PVC, TInsulation::XLPE})
        EXPECT_EQ(ParseInsulation(InsulationName(i)), i);
    EXPECT_EQ(MethodNames(), "A1, A2, B1, B2, C, D1, D2, E");
}

} // namespace
} // namespace qv::iec
