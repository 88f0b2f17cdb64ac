// The installation standard's tables (IEC 60364-5-52, Annex B), each value checked against two
// or more public reproductions (see iec/README.md). Cells the standard leaves empty are kNo;
// cells no two reproductions agreed on are kUnconfirmedCell and never used.
#include "iec/QvIecTables.h"

#include <algorithm>
#include <cmath>

namespace qv::iec {
namespace {

constexpr double kNo = 0;
constexpr double kUnconfirmedCell = -1;
constexpr double kUnc = kUnconfirmedCell; // short, to keep the table's rows on a line

// [insulation][loaded conductors - 2][material][method A1..E][size of kTableSizes], A, for
// conductors at their full temperature in 30 °C air or 20 °C ground of 2.5 K·m/W.
// Tables B.52.2 (PVC, 2 loaded), B.52.3 (XLPE, 2 loaded), B.52.4 (PVC, 3 loaded) and B.52.5
// (XLPE, 3 loaded) give methods A1 to D2; method E is the multi-core column of Tables B.52.10
// (PVC, copper), B.52.11 (PVC, aluminium), B.52.12 (XLPE, copper) and B.52.13 (XLPE,
// aluminium).
// clang-format off
constexpr double kCapacity[2][2][2][8][16] = {
    { // PVC
        { // 2 loaded conductors: Table B.52.2 (A1 to D2), the two-core column of Tables B.52.10 and B.52.11 (E)
            { // copper
                {14.5, 19.5, 26, 34, 46, 61, 80, 99, 119, 151, 182, 210, 240, 273, 321, 367}, // A1
                {14, 18.5, 25, 32, 43, 57, 75, 92, 110, 139, 167, 192, 219, 248, 291, 334}, // A2
                {17.5, 24, 32, 41, 57, 76, 101, 125, 151, 192, 232, 269, 300, 341, 400, 458}, // B1
                {16.5, 23, 30, 38, 52, 69, 90, 111, 133, 168, 201, 232, 258, 294, 344, 394}, // B2
                {19.5, 27, 36, 46, 63, 85, 112, 138, 168, 213, 258, 299, 344, 392, 461, 530}, // C
                {22, 29, 37, 46, 60, 78, 99, 119, 140, 173, 204, 231, 261, 292, 336, 379}, // D1
                {22, 28, 38, 48, 64, 83, 110, 132, 156, 192, 230, 261, 293, 331, 382, 427}, // D2
                {22, 30, 40, 51, 70, 94, 119, 148, 180, 232, 282, 328, 379, 434, 514, 593}, // E
            },
            { // aluminium
                {kNo, kUnc, kUnc, kUnc, kUnc, 48, 63, 77, 93, 118, 142, 164, 189, 215, 252, 289}, // A1
                {kNo, kUnc, kUnc, kUnc, kUnc, 44, 58, 71, 86, 108, 130, 150, 172, 195, 229, 263}, // A2
                {kNo, kUnc, kUnc, kUnc, kUnc, 60, 79, 97, 118, 150, 181, 210, 234, 266, 312, 358}, // B1
                {kNo, 17.5, 24, 30, 41, 54, 71, 86, 104, 131, 157, 181, 201, 230, 269, 308}, // B2
                {kNo, 21, 28, 36, 49, 66, 83, 103, 125, 160, 195, 226, 261, 298, 352, 406}, // C
                {kNo, 22, 29, 36, 47, 61, 77, 93, 109, 135, 159, 180, 204, 228, 262, 296}, // D1
                {kNo, kNo, kNo, kNo, kNo, 63, 82, 98, 117, 145, 173, 200, 224, 255, 298, 336}, // D2
                {kNo, 23, 31, 39, 54, 73, 89, 111, 135, 173, 210, 244, 282, 322, 380, 439}, // E
            },
        },
        { // 3 loaded conductors: Table B.52.4 (A1 to D2), the three-core column of Tables B.52.10 and B.52.11 (E)
            { // copper
                {13.5, 18, 24, 31, 42, 56, 73, 89, 108, 136, 164, 188, 216, 245, 286, 328}, // A1
                {13, 17.5, 23, 29, 39, 52, 68, 83, 99, 125, 150, 172, 196, 223, 261, 298}, // A2
                {15.5, 21, 28, 36, 50, 68, 89, 110, 134, 171, 207, 239, 262, 296, 346, 394}, // B1
                {15, 20, 27, 34, 46, 62, 80, 99, 118, 149, 179, 206, 225, 255, 297, 339}, // B2
                {17.5, 24, 32, 41, 57, 76, 96, 119, 144, 184, 223, 259, 299, 341, 403, 464}, // C
                {18, 24, 30, 38, 50, 64, 82, 98, 116, 143, 169, 192, 217, 243, 280, 316}, // D1
                {19, 24, 33, 41, 54, 70, 92, 110, 130, 162, 193, 220, 246, 278, 320, 359}, // D2
                {18.5, 25, 34, 43, 60, 80, 101, 126, 153, 196, 238, 276, 319, 364, 430, 497}, // E
            },
            { // aluminium
                {kNo, 14, 18.5, 24, 32, 43, 57, 70, 84, 107, 129, 149, 170, 194, 227, 261}, // A1
                {kNo, 13.5, 17.5, 23, 31, 41, 53, 65, 78, 98, 118, 135, 155, 176, 207, 237}, // A2
                {kNo, 16.5, 22, 28, 39, 53, 70, 86, 104, 133, 161, 186, 204, 230, 269, 306}, // B1
                {kNo, 15.5, 21, 27, 36, 48, 62, 77, 92, 116, 139, 160, 176, 199, 232, 265}, // B2
                {kNo, 18.5, 25, 32, 44, 59, 73, 90, 110, 140, 170, 197, 227, 259, 305, 351}, // C
                {kNo, 18.5, 24, 30, 39, 50, 64, 77, 91, 112, 132, 150, 169, 190, 218, 247}, // D1
                {kNo, kNo, kNo, kNo, kNo, 53, 69, 83, 99, 122, 148, 169, 189, 214, 250, 282}, // D2
                {kNo, 19.5, 26, 33, 46, 61, 78, 96, 117, 150, 183, 212, 245, 280, 330, 381}, // E
            },
        },
    },
    { // XLPE or EPR
        { // 2 loaded conductors: Table B.52.3 (A1 to D2), the two-core column of Tables B.52.12 and B.52.13 (E)
            { // copper
                {19, 26, 35, 45, 61, 81, 106, 131, 158, 200, 241, 278, 318, 362, 424, 486}, // A1
                {18.5, 25, 33, 42, 57, 76, 99, 121, 145, 183, 220, 253, 290, 329, 386, 442}, // A2
                {23, 31, 42, 54, 75, 100, 133, 164, 198, 253, 306, 354, 393, 449, 528, 603}, // B1
                {22, 30, 40, 51, 69, 91, 119, 146, 175, 221, 265, 305, 334, 384, 459, 532}, // B2
                {24, 33, 45, 58, 80, 107, 138, 171, 209, 269, 328, 382, 441, 506, 599, 693}, // C
                {25, 33, 43, 53, 71, 91, 116, 139, 164, 203, 239, 271, 306, 343, 395, 446}, // D1
                {27, 35, 46, 58, 77, 100, 129, 155, 183, 225, 270, 306, 343, 387, 448, 502}, // D2
                {26, 36, 49, 63, 86, 115, 149, 185, 225, 289, 352, 410, 473, 542, 641, 741}, // E
            },
            { // aluminium
                {kNo, 20, 27, 35, 48, 64, 84, 103, 125, 158, 191, 220, 253, 288, 338, 387}, // A1
                {kNo, 19.5, 26, 33, 45, 60, 78, 96, 115, 145, 175, 201, 230, 262, 307, 352}, // A2
                {kNo, 25, 33, 43, 59, 79, 105, 130, 157, 200, 242, 281, 307, 351, 412, 471}, // B1
                {kNo, 23, 31, 40, 54, 72, 94, 115, 138, 175, 210, 242, 261, 300, 358, 415}, // B2
                {kNo, 26, 35, 45, 62, 84, 101, 126, 154, 198, 241, 280, 324, 371, 439, 508}, // C
                {kNo, 26, 33, 42, 55, 71, 90, 108, 128, 158, 186, 211, 238, 267, 307, 346}, // D1
                {kNo, kNo, kNo, kNo, kNo, 76, 98, 117, 139, 170, 204, 233, 261, 296, 343, 386}, // D2
                {kNo, 28, 38, 49, 67, 91, 108, 135, 164, 211, 257, 300, 346, 397, 470, 543}, // E
            },
        },
        { // 3 loaded conductors: Table B.52.5 (A1 to D2), the three-core column of Tables B.52.12 and B.52.13 (E)
            { // copper
                {17, 23, 31, 40, 54, 73, 95, 117, 141, 179, 216, 249, 285, 324, 380, 435}, // A1
                {16.5, 22, 30, 38, 51, 68, 89, 109, 130, 164, 197, 227, 259, 295, 346, 396}, // A2
                {20, 28, 37, 48, 66, 88, 117, 144, 175, 222, 269, 312, 342, 384, 450, 514}, // B1
                {19.5, 26, 35, 44, 60, 80, 105, 128, 154, 194, 233, 268, 300, 340, 398, 455}, // B2
                {22, 30, 40, 52, 71, 96, 119, 147, 179, 229, 278, 322, 371, 424, 500, 576}, // C
                {21, 28, 36, 44, 58, 75, 96, 115, 135, 167, 197, 223, 251, 281, 324, 365}, // D1
                {23, 30, 39, 49, 65, 84, 107, 129, 153, 188, 226, 257, 287, 324, 375, 419}, // D2
                {23, 32, 42, 54, 75, 100, 127, 158, 192, 246, 298, 346, 399, 456, 538, 621}, // E
            },
            { // aluminium
                {kNo, 19, 25, 32, 44, 58, 76, 94, 113, 142, 171, 197, 226, 256, 300, 344}, // A1
                {kNo, 18, 24, 31, 41, 55, 71, 87, 104, 131, 157, 180, 206, 233, 273, 313}, // A2
                {kNo, 22, 29, 38, 52, 71, 93, 116, 140, 179, 217, 251, 267, 300, 351, 402}, // B1
                {kNo, 21, 28, 35, 48, 64, 84, 103, 124, 156, 188, 216, 240, 272, 318, 364}, // B2
                {kNo, 24, 32, 41, 57, 76, 90, 112, 136, 174, 211, 245, 283, 323, 382, 440}, // C
                {kNo, 22, 28, 35, 46, 59, 75, 90, 106, 130, 154, 174, 197, 220, 253, 286}, // D1
                {kNo, kNo, kNo, kNo, kNo, 64, 82, 98, 117, 144, 172, 197, 220, 250, 290, 326}, // D2
                {kNo, 24, 32, 42, 58, 77, 97, 120, 146, 187, 227, 263, 304, 347, 409, 471}, // E
            },
        },
    },
};
// clang-format on

struct TFactorRow {
    double Key;
    double Factor;
};

// Table B.52.14: ambient air temperature other than 30 °C.
constexpr TFactorRow kAirPVC[] = {{10, 1.22}, {15, 1.17}, {20, 1.12}, {25, 1.06},
                                  {30, 1.00}, {35, 0.94}, {40, 0.87}, {45, 0.79},
                                  {50, 0.71}, {55, 0.61}, {60, 0.50}};
constexpr TFactorRow kAirXLPE[] = {{10, 1.15}, {15, 1.12}, {20, 1.08}, {25, 1.04}, {30, 1.00},
                                   {35, 0.96}, {40, 0.91}, {45, 0.87}, {50, 0.82}, {55, 0.76},
                                   {60, 0.71}, {65, 0.65}, {70, 0.58}, {75, 0.50}, {80, 0.41}};
// Table B.52.15: ground temperature other than 20 °C.
constexpr TFactorRow kGroundPVC[] = {{10, 1.10}, {15, 1.05}, {20, 1.00}, {25, 0.95},
                                     {30, 0.89}, {35, 0.84}, {40, 0.77}, {45, 0.71},
                                     {50, 0.63}, {55, 0.55}, {60, 0.45}};
constexpr TFactorRow kGroundXLPE[] = {{10, 1.07}, {15, 1.04}, {20, 1.00}, {25, 0.96}, {30, 0.93},
                                      {35, 0.89}, {40, 0.85}, {45, 0.80}, {50, 0.76}, {55, 0.71},
                                      {60, 0.65}, {65, 0.60}, {70, 0.53}, {75, 0.46}, {80, 0.38}};
// Table B.52.16: soil thermal resistivity other than 2.5 K·m/W, K·m/W.
constexpr TFactorRow kSoilDucts[] = {{0.5, 1.28}, {0.7, 1.20}, {1, 1.18}, {1.5, 1.10},
                                     {2, 1.05},   {2.5, 1.00}, {3, 0.96}};
constexpr TFactorRow kSoilDirect[] = {{0.5, 1.88}, {0.7, 1.62}, {1, 1.50}, {1.5, 1.28},
                                      {2, 1.12},   {2.5, 1.00}, {3, 0.90}};

// Table B.52.17, items 1 to 5, by number of circuits. The single-layer items stop at nine.
constexpr TFactorRow kBunched[] = {{1, 1.00}, {2, 0.80},  {3, 0.70},  {4, 0.65},
                                   {5, 0.60}, {6, 0.57},  {7, 0.54},  {8, 0.52},
                                   {9, 0.50}, {12, 0.45}, {16, 0.41}, {20, 0.38}};
constexpr TFactorRow kWall[] = {{1, 1.00}, {2, 0.85}, {3, 0.79}, {4, 0.75}, {5, 0.73},
                                {6, 0.72}, {7, 0.72}, {8, 0.71}, {9, 0.70}};
constexpr TFactorRow kCeiling[] = {{1, 0.95}, {2, 0.81}, {3, 0.72}, {4, 0.68}, {5, 0.66},
                                   {6, 0.64}, {7, 0.63}, {8, 0.62}, {9, 0.61}};
constexpr TFactorRow kPerforated[] = {{1, 1.00}, {2, 0.88}, {3, 0.82}, {4, 0.77}, {5, 0.75},
                                      {6, 0.73}, {7, 0.73}, {8, 0.72}, {9, 0.72}};
constexpr TFactorRow kLadder[] = {{1, 1.00}, {2, 0.87}, {3, 0.82}, {4, 0.80}, {5, 0.80},
                                  {6, 0.79}, {7, 0.79}, {8, 0.78}, {9, 0.78}};
// Table B.52.18, cables direct in the ground touching (D2); one circuit is not reduced.
constexpr TFactorRow kDirect[] = {{1, 1.00}, {2, 0.75},  {3, 0.65},  {4, 0.60},
                                  {5, 0.55}, {6, 0.50},  {7, 0.45},  {8, 0.43},
                                  {9, 0.41}, {12, 0.36}, {16, 0.32}, {20, 0.29}};
// Table B.52.19, multi-core cables in ducts in the ground, ducts touching (D1), 1 to 20 ducts.
constexpr TFactorRow kDucts[] = {{1, 1.00},  {2, 0.85},  {3, 0.75},  {4, 0.70},  {5, 0.65},
                                 {6, 0.60},  {7, 0.57},  {8, 0.54},  {9, 0.52},  {10, 0.49},
                                 {11, 0.47}, {12, 0.45}, {13, 0.44}, {14, 0.42}, {15, 0.41},
                                 {16, 0.39}, {17, 0.38}, {18, 0.37}, {19, 0.35}, {20, 0.34}};

// The first row whose key is at or above `key`; none past the last row.
template <std::size_t N> std::optional<double> AtOrAbove(const TFactorRow (&rows)[N], double key) {
    for (const TFactorRow& row : rows) {
        if (key <= row.Key) {
            return row.Factor;
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<std::size_t> TableSizeIndex(double area) {
    // The caller's sizes come from decimal text, so the same decimal gives the same double; the
    // tolerance only absorbs a size that went through arithmetic. The sizes are far enough apart
    // that only the first at or above the area, less the tolerance, can match.
    const auto at = std::lower_bound(kTableSizes.begin(), kTableSizes.end(), area,
                                     [](double size, double a) { return size + size * 1e-9 < a; });
    if (at != kTableSizes.end() && std::fabs(area - *at) <= *at * 1e-9) {
        return static_cast<std::size_t>(at - kTableSizes.begin());
    }
    return std::nullopt;
}

TTabulated Tabulated(TInsulation insulation, int loadedConductors, TMaterial material,
                     TMethod method, std::size_t sizeIndex) {
    if ((loadedConductors != 2 && loadedConductors != 3) || sizeIndex >= kTableSizes.size()) {
        return {};
    }
    const double cell = kCapacity[static_cast<int>(insulation)][loadedConductors - 2]
                                 [static_cast<int>(material)][static_cast<int>(method)][sizeIndex];
    if (cell == kUnconfirmedCell) {
        return {TTabulated::Unconfirmed, 0};
    }
    if (cell == kNo) {
        return {TTabulated::NotListed, 0};
    }
    return {TTabulated::Value, cell};
}

double LastAirRow(TInsulation insulation) {
    return insulation == TInsulation::PVC ? std::end(kAirPVC)[-1].Key : std::end(kAirXLPE)[-1].Key;
}

double LastGroundRow(TInsulation insulation) {
    return insulation == TInsulation::PVC ? std::end(kGroundPVC)[-1].Key
                                          : std::end(kGroundXLPE)[-1].Key;
}

std::optional<double> AirTemperatureFactor(TInsulation insulation, double temperature) {
    return insulation == TInsulation::PVC ? AtOrAbove(kAirPVC, temperature)
                                          : AtOrAbove(kAirXLPE, temperature);
}

std::optional<double> GroundTemperatureFactor(TInsulation insulation, double temperature) {
    return insulation == TInsulation::PVC ? AtOrAbove(kGroundPVC, temperature)
                                          : AtOrAbove(kGroundXLPE, temperature);
}

std::optional<double> SoilFactor(bool inDucts, double resistivity) {
    return inDucts ? AtOrAbove(kSoilDucts, resistivity) : AtOrAbove(kSoilDirect, resistivity);
}

std::optional<double> GroupingFactor(TArrangement arrangement, int circuits) {
    if (circuits < 1 || circuits > 20) {
        return std::nullopt;
    }
    // Beyond nine circuits in a single layer the standard gives no further reduction.
    const int layerCount = circuits > 9 ? 9 : circuits;
    switch (arrangement) {
    case TArrangement::Bunched:
        return AtOrAbove(kBunched, circuits);
    case TArrangement::SingleLayerWall:
        return AtOrAbove(kWall, layerCount);
    case TArrangement::SingleLayerCeiling:
        return AtOrAbove(kCeiling, layerCount);
    case TArrangement::PerforatedTray:
        return AtOrAbove(kPerforated, layerCount);
    case TArrangement::Ladder:
        return AtOrAbove(kLadder, layerCount);
    case TArrangement::DuctsTouching:
        return AtOrAbove(kDucts, circuits);
    case TArrangement::DirectTouching:
        return AtOrAbove(kDirect, circuits);
    }
    return std::nullopt;
}

} // namespace qv::iec
