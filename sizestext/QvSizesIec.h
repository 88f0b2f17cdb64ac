// The Cable Sizes window's second answer, the installation standard's, beside the engine's: the
// Installation panel's fields as text (typed, stored, read back), the inputs they make with the
// main window's circuit, each size's figures, the verdict line, and the exports with the new
// columns after the present ones. Pure C++, and a library of its own, so that only the part of
// the program loaded on first use carries the standard's tables.
#pragma once

#include "iec/QvIec.h"
#include "sizestext/QvSizesText.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qv {

// The most circuits the panel's field takes; the standard's tables stop at 20, and the answer
// says so above that.
inline constexpr int kMaxPanelCircuits = 99;

// The Installation panel's fields: choices as the library's values, numbers as typed. A blank
// number takes the default the panel names beside it.
struct TIecFields {
    iec::TInsulation Insulation = iec::TInsulation::PVC;
    iec::TMethod Method = iec::TMethod::C;
    std::string AirTemperature = "30";
    std::string GroundTemperature = "20";
    std::string SoilResistivity = "2.5";
    int Circuits = 1;
    iec::TArrangement Arrangement = iec::TArrangement::SingleLayerWall;
    iec::TDevice Device = iec::TDevice::None;
    std::string DeviceRating;
    std::string NominalVoltage; // blank: 230 V single phase, 400 V three phase
    std::string PowerFactor;    // blank: the load's
    std::string AllowedDrop = "5";
    std::string FaultCurrent; // kA; blank: no fault level
    std::string FaultTime;    // s
};

// "PVC 70 °C", "XLPE/EPR 90 °C".
const char* InsulationLabel(iec::TInsulation insulation);
// "A1 — Insulated conductors ...".
std::string MethodLabel(iec::TMethod method);
// "Bunched", "Single layer on a wall, floor or unperforated tray", ...
const char* ArrangementLabel(iec::TArrangement arrangement);
// "None", "Circuit breaker", "gG fuse".
const char* DeviceLabel(iec::TDevice device);
// The arrangements a method's picker offers, the default first.
std::vector<iec::TArrangement> Arrangements(iec::TMethod method);
// The arrangement after the method changes: one left at the old method's default, or one that
// does not go with the new method, becomes the new method's default; a chosen one that fits stays.
iec::TArrangement ArrangementAfter(iec::TMethod from, iec::TMethod to,
                                   iec::TArrangement arrangement);

// The fields' inputs. A power factor of 0 (or not a number) stands for "the load's". A number that
// cannot be read keeps the value it had in `previous` and adds a sentence to `Errors`, naming the
// field and what is used instead; nothing typed is thrown away.
struct TIecParsed {
    iec::TIecInputs Inputs;
    std::vector<std::string> Errors;
};
TIecParsed ParseIecFields(const TIecFields& fields, const iec::TIecInputs& previous);
// The fields that show inputs (a power factor outside (0, 1] shows blank, for the load's; a
// nominal voltage of 0 blank, for the phase's).
TIecFields IecFieldsOf(const iec::TIecInputs& inputs);

// The fields as kept in the window's settings section, key and text, beside its other keys.
std::vector<std::pair<std::string, std::string>> IecStoredFields(const TIecFields& fields);
// The fields read back; `read` gives a key's text, or none when it is missing or unreadable.
// Anything that is not what the panel writes (a name it does not know, a number it cannot take,
// an over-long text) takes that field's default.
TIecFields
IecFieldsFromStored(const std::function<std::optional<std::string>(const std::string& key)>& read);

// The standard's answer for the sizes view.
struct TIecView {
    // Whether there is a calculation to size; no answer and no verdict without one.
    bool Shown = false;
    iec::TIecInputs Inputs; // as sized: the panel's with the circuit's
    std::optional<iec::TIecAnswer> Answer;
    // For each row of the sizes view, its figures in Answer->Rows; none for a size the standard
    // has no place for (0 or less).
    std::vector<std::optional<std::size_t>> RowOf;
    // The standard's size and why, or why there is none.
    std::string Verdict;
    // The two answers side by side, where one exists; says plainly which is smaller.
    std::string Comparison;
    // The power factor is the load's, not one typed.
    bool PowerFactorOfLoad = false;
    // The answer's factors were formed (a cable too hot, in too dry a soil or in a group the
    // tables hold no factor for has none).
    bool Derated = false;
};

// The circuit's material as the standard's tables name it: "copper" or "aluminium" whatever the
// letter case; none for any other.
std::optional<iec::TMaterial> IecMaterial(const std::string& name);

// The installation's inputs with the circuit's material, loaded conductors (2 single phase, 3
// three phase), design current (the line current), length and, when the installation leaves it
// to the load, power factor: the one the engine's line current assumes, from the loaded motor
// ratings. Raises EIecInputError for a material the tables do not hold, and what the engine
// raises for the load.
iec::TIecInputs IecCircuitInputs(const TSizesCircuit& circuit, const iec::TIecInputs& installation);

TIecView MakeIecView(const TSizesView& view, const iec::TIecInputs& installation);

enum TIecColumn : int { icTabulated, icIz, icDrop, icShortCircuit };
inline constexpr int IecColumnCount = 4;

// "It (A)", "Iz (A)", "Drop (%)", "Short circuit".
std::string IecHeader(int column);
// A row's figure: three significant digits; kNotRated for It and Iz of a size the table does not
// rate; "withstands" or "fails" for the short circuit; "-" where no figure exists.
std::string IecCell(const TIecView& iec, std::size_t row, int column);
// "chosen", "yes", "no" or kNotRated; "-" without an answer.
std::string IecFits(const TIecView& iec, std::size_t row);
bool IecChosen(const TIecView& iec, std::size_t row);
bool IecPasses(const TIecView& iec, std::size_t row);

// The installation's inputs, caption and text, as sized (defaults filled in).
std::vector<std::pair<std::string, std::string>> IecInputsText(const TIecView& iec);

// The table as Copy gives it: the present columns and "Fits", then the standard's columns and
// "IEC fits"; after a blank line, the installation's inputs, the standard's verdict and the
// comparison of the two answers.
std::string IecTabText(const TSizesView& view, const TIecView& iec);
// The CSV with the standard's columns (full precision, the withstand area on its own) and the
// installation's inputs after the present columns, on every row.
std::string IecCsv(const TSizesView& view, const TIecView& iec);

} // namespace qv
