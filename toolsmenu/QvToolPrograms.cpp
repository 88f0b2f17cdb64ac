// The maker's building-services calculators and the groupings of the Tools menu.
#include "toolsmenu/QvToolPrograms.h"

#include "settings/QvApplicationPath.h"

namespace qv {

std::array<TToolProgram, ToolProgramCount> ToolPrograms;

namespace {

enum TBase { InMakerFolder, InProgramFiles };

struct TRow {
    TBase Base;
    const char* Relative;
    const char* Caption;
};

// Rows 0-7 electrical, 8-15 water and heating, 16-23 air, the rest general tools.
constexpr TRow Rows[ToolProgramCount] = {
    {InMakerFolder, "Ampwise/Ampwise", "Ampwise - Cable Sizing Calculator"},
    {InMakerFolder, "Faultline/Faultline", "Faultline - Fault Current Calculator"},
    {InMakerFolder, "Earthwise/Earthwise", "Earthwise - Earth Electrode Resistance"},
    {InMakerFolder, "Gensizer/Gensizer", "Gensizer - Standby Generator Sizing"},
    {InMakerFolder, "Demandia/Demandia", "Demandia - Maximum Demand Estimator"},
    {InMakerFolder, "Lumenary/Lumenary", "Lumenary - Lighting Level Calculator"},
    {InMakerFolder, "Trayfill/Trayfill", "Trayfill - Cable Tray and Conduit Fill"},
    {InMakerFolder, "Powerfix/Powerfix", "Powerfix - Power Factor Correction"},
    {InMakerFolder, "Hydronics/Pipewise/Pipewise", "Pipewise - Water Pipe Sizing"},
    {InMakerFolder, "Hydronics/Pumphead/Pumphead", "Pumphead - Pump Head Calculator"},
    {InMakerFolder, "Hydronics/Expanse/Expanse", "Expanse - Expansion Vessel Sizing"},
    {InMakerFolder, "Hotstore/Hotstore", "Hotstore - Hot Water Storage Sizing"},
    {InMakerFolder, "Gasline/Gasline", "Gasline - Gas Pipe Sizing"},
    {InMakerFolder, "Drainflow/Drainflow", "Drainflow - Drainage Pipe Sizing"},
    {InMakerFolder, "Steamline/Steamline", "Steamline - Steam Pipe Sizing"},
    {InMakerFolder, "Lagwise/Lagwise", "Lagwise - Pipe Insulation Thickness"},
    {InMakerFolder, "Airside/Ductwise/Ductwise", "Ductwise - Duct Sizing Calculator"},
    {InMakerFolder, "Airside/Fanlaw/Fanlaw", "Fanlaw - Fan Law Calculator"},
    {InMakerFolder, "Psychro/Psychro", "Psychro - Psychrometric Calculator"},
    {InMakerFolder, "Heatloss/Heatloss", "Heatloss - Room Heat Loss Calculator"},
    {InMakerFolder, "Coolcalc/Coolcalc", "Coolcalc - Cooling Load Estimator"},
    {InMakerFolder, "Grillesel/Grillesel", "Grillesel - Grille and Diffuser Selection"},
    {InMakerFolder, "Ductnoise/Ductnoise", "Ductnoise - Duct Noise Calculator"},
    {InMakerFolder, "Ventrate/Ventrate", "Ventrate - Ventilation Rate Calculator"},
    {InMakerFolder, "Convertor/Convertor", "Convertor - Engineering Unit Converter"},
    {InMakerFolder, "Condensa/Condensa", "Condensa - Condensation Risk Check"},
    {InMakerFolder, "Uvalue/Uvalue", "Uvalue - U-Value Calculator"},
    {InMakerFolder, "Solargain/Solargain", "Solargain - Solar Gain Calculator"},
    {InMakerFolder, "Refrigia/Refrigia", "Refrigia - Refrigerant Pipe Sizing"},
    {InProgramFiles, "BrannoUpdate", "BrannoUpdate - Check for Program Updates"},
    {InProgramFiles, "BrannoLicence", "BrannoLicence - Licence Manager"},
};

constexpr int S = ToolSeparator;

// Blocks: electrical (with separators of its own), water and heating, air.
const std::vector<int> Block8 = {0, 1, 2, S, 3, 4, S, 5, 6, S, 7};
const std::vector<int> Block9 = {8, 9, 10, 11, 12, 13, 14, 15};
const std::vector<int> Block10 = {16, 17, 18, 19, 20, 21, 22, 23};

std::vector<int> Join(std::initializer_list<std::vector<int>> parts) {
    std::vector<int> out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

} // namespace

void FillToolPrograms() {
    for (std::size_t i = 0; i < ToolProgramCount; ++i) {
        const std::string& base = Rows[i].Base == InMakerFolder ? MakerPath : ProgramFilesPath;
        ToolPrograms[i] = {base + Rows[i].Relative, Rows[i].Caption};
    }
}

std::vector<int> ToolGrouping(int grouping) {
    switch (grouping) {
    case 0:
        return Join({Block10, {S}, Block9, {S}, Block8});
    case 1:
        return Join({{24, 25, 26}, Block10, {S}, Block9, {S}, Block8});
    case 2:
        return Join({Block8, {S, 24}});
    case 3:
        return Join({Block9, {S, 24}});
    case 4:
        return Join({Block10, {S, 24}});
    case 5:
        return {26, 27, 25, S, 19, 20};
    case 6:
        return Join({Block9, {S}, Block10});
    case 7:
        return {28, 14, S, 20, 18};
    case 8:
        return Block8;
    case 9:
        return Block9;
    case 10:
        return Block10;
    case 11:
        return {24, S, 29, 30};
    default:
        return {};
    }
}

} // namespace qv
