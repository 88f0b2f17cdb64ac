// The installation's named values as a schedule or a picker writes them ("B2", "XLPE", "single
// layer", "gG"), and reading them back from text in any letter case.
#pragma once

#include "iec/QvIec.h"

#include <optional>
#include <string>
#include <string_view>

namespace qv::iec {

// The names a cell may hold, in the order a picker lists them. "EPR" is insulation that runs at
// 90 °C, read as XLPE.
inline constexpr const char* kInsulationNames[] = {"PVC", "XLPE", "EPR"};
inline constexpr const char* kArrangementNames[] = {
    "bunched", "single layer",   "under ceiling",  "perforated tray",
    "ladder",  "ducts touching", "direct touching"};
inline constexpr const char* kDeviceNames[] = {"breaker", "gG"};

// "PVC", "XLPE".
const char* InsulationName(TInsulation insulation);
// One of kArrangementNames.
const char* ArrangementName(TArrangement arrangement);
// "breaker", "gG"; "" for none.
const char* DeviceName(TDevice device);

// Text read without regard to ASCII case, blanks around it, and blanks, "_" and "-" between its
// words ("Single-Layer"); none for text that names nothing. The device also reads "circuit
// breaker", "gG fuse" and "none".
std::optional<TMethod> ParseMethod(std::string_view text);
std::optional<TInsulation> ParseInsulation(std::string_view text);
std::optional<TArrangement> ParseArrangement(std::string_view text);
std::optional<TDevice> ParseDevice(std::string_view text);
// A material as the electrical data file names it: "Copper", "Aluminium" (or "Aluminum").
std::optional<TMaterial> ParseMaterial(std::string_view text);

// The names joined for a message: "A1, A2, B1, B2, C, D1, D2, E".
std::string MethodNames();
std::string InsulationNames();
std::string ArrangementNames();
std::string DeviceNames();

} // namespace qv::iec
