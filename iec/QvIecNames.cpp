// Names of the installation's values and reading them (see QvIecNames.h).
#include "iec/QvIecNames.h"

#include <array>

namespace qv::iec {

namespace {

// Lower case without blanks, "_" and "-", so that every way of writing a name compares equal.
std::string Key(std::string_view text) {
    std::string key;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '_' || c == '-')
            continue;
        key.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
    }
    return key;
}

template <std::size_t N> std::string Joined(const char* const (&names)[N]) {
    std::string text;
    for (std::size_t i = 0; i < N; ++i)
        text += std::string(i ? ", " : "") + names[i];
    return text;
}

constexpr TArrangement kArrangements[] = {
    TArrangement::Bunched,        TArrangement::SingleLayerWall, TArrangement::SingleLayerCeiling,
    TArrangement::PerforatedTray, TArrangement::Ladder,          TArrangement::DuctsTouching,
    TArrangement::DirectTouching};

} // namespace

const char* InsulationName(TInsulation insulation) {
    return insulation == TInsulation::XLPE ? "XLPE" : "PVC";
}

const char* ArrangementName(TArrangement arrangement) {
    const auto i = static_cast<std::size_t>(arrangement);
    return i < std::size(kArrangementNames) ? kArrangementNames[i] : "";
}

const char* DeviceName(TDevice device) {
    switch (device) {
    case TDevice::CircuitBreaker:
        return kDeviceNames[0];
    case TDevice::FuseGG:
        return kDeviceNames[1];
    case TDevice::None:
        break;
    }
    return "";
}

std::optional<TMethod> ParseMethod(std::string_view text) {
    const std::string key = Key(text);
    for (TMethod m : kMethods)
        if (key == Key(MethodName(m)))
            return m;
    return std::nullopt;
}

std::optional<TInsulation> ParseInsulation(std::string_view text) {
    const std::string key = Key(text);
    if (key == "pvc")
        return TInsulation::PVC;
    if (key == "xlpe" || key == "epr")
        return TInsulation::XLPE;
    return std::nullopt;
}

std::optional<TArrangement> ParseArrangement(std::string_view text) {
    const std::string key = Key(text);
    for (std::size_t i = 0; i < std::size(kArrangements); ++i)
        if (key == Key(kArrangementNames[i]))
            return kArrangements[i];
    return std::nullopt;
}

std::optional<TMaterial> ParseMaterial(std::string_view text) {
    const std::string key = Key(text);
    if (key == "copper")
        return TMaterial::Copper;
    if (key == "aluminium" || key == "aluminum")
        return TMaterial::Aluminium;
    return std::nullopt;
}

std::optional<TDevice> ParseDevice(std::string_view text) {
    const std::string key = Key(text);
    if (key == "breaker" || key == "circuitbreaker")
        return TDevice::CircuitBreaker;
    if (key == "gg" || key == "ggfuse")
        return TDevice::FuseGG;
    if (key == "none")
        return TDevice::None;
    return std::nullopt;
}

std::string MethodNames() {
    std::string text;
    for (TMethod m : kMethods)
        text += std::string(text.empty() ? "" : ", ") + MethodName(m);
    return text;
}

std::string InsulationNames() {
    return Joined(kInsulationNames);
}

std::string ArrangementNames() {
    return Joined(kArrangementNames);
}

std::string DeviceNames() {
    return Joined(kDeviceNames);
}

} // namespace qv::iec
