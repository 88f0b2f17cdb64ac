// The sizing arithmetic, as plain functions and a size table: the line current of a load, and
// every standard size against its two limits (carrying capacity and voltage drop). The engine and
// every other sizer share these, so they can never disagree: each figure is formed in long
// double, stored as a double and checked as the engine does, and the first fitting row of a
// table is the engine's XArea bit for bit. Base units: kW, m, A, mm², m/(Ω·mm²), V.
#pragma once

#include "core/QvAmpwise.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qv {

// The highest power the main window sizes for a load type and phase, kW: 84 for a resistive
// load, 5.5 for a single-phase and 110 for a three-phase inductive one.
double PowerLimit(std::uint8_t loadType, std::uint8_t phase);

// The limit that sets a size's permitted current.
enum class TLimit : std::uint8_t { CarryingCapacity, VoltageDrop };
// "carrying capacity" or "voltage drop".
const char* LimitName(TLimit limit);

// The line current of a load, A: resistive loads by the phase's factor, inductive ones by the
// first motor rating at or above the power, else by the built-in motor data. Raises EMathError.
double LineCurrent(std::uint8_t loadType, std::uint8_t phase, double power,
                   const std::vector<MotorRatingRec>& ratings);
// The power factor the line current assumes: 1 for a resistive load, that of the motor rating
// LineCurrent used for an inductive one, and 0.7 (the built-in motor data) where it fell back.
double LoadPowerFactor(std::uint8_t loadType, std::uint8_t phase, double power,
                       const std::vector<MotorRatingRec>& ratings);
// 12.278 · A^0.6037 (0 for an area of 0); raises EInvalidOp for a negative area.
double CarryingCapacity(double area);
// The largest current whose drop over the length stays within maxVoltDrop:
// conductivity · area · maxVoltDrop / length, formed left to right. Raises EMathError.
double DropLimit(double conductivity, double area, double maxVoltDrop, double length);
// current · length / (conductivity · area), V. Raises EMathError.
double VoltageDrop(double current, double length, double conductivity, double area);
// The engine's test of a size: the smaller limit covers the current (equality accepts).
inline bool Permits(double current, double capacity, double dropLimit) {
    return current <= (dropLimit < capacity ? dropLimit : capacity);
}
// The engine's walk over a size list, working out each capacity on the way: the position of the
// first size that carries the current within maxVoltDrop, or -1. Raises EMathError.
std::ptrdiff_t FirstFittingSize(const std::vector<double>& sizes, double current,
                                double conductivity, double length, double maxVoltDrop);

// One standard size for the present inputs.
struct TSizeRow {
    double Area = 0;      // mm²
    double Capacity = 0;  // carrying capacity, A
    double DropLimit = 0; // drop-limited current, A
    double Permitted = 0; // the smaller of the two, A
    TLimit Governs = TLimit::CarryingCapacity;
    bool Fits = false; // the current is within Permitted
    // The drop at the present current, V, and the longest run that still carries it within the
    // allowed drop, m; none where no finite figure exists (an area or a current of 0), and no run
    // for a size whose carrying capacity is below the current.
    std::optional<double> VoltDrop;
    std::optional<double> LongestRun;
    // For a size past the chosen one whose figures the arithmetic cannot form (a negative area):
    // the floating-point error's message; the figures are then 0. The engine never reaches it.
    std::string Fault;
};

// The present inputs of one circuit, in base units.
struct TSizingInputs {
    double Conductivity = 0;
    std::uint8_t LoadType = 0;
    std::uint8_t Phase = 0;
    double Length = 0;
    double Power = 0;
    double MaxVoltDrop = 0;
};

// The engine's answer for one circuit.
struct TSizing {
    double Current = 0;
    // The engine's XArea: -1 when no size fits; only an area above 0 counts as solved.
    double Area = -1;
    // At the chosen size; none when no size fits.
    std::optional<double> VoltDrop;
    std::optional<TLimit> LimitedBy;
};

// A size list with the carrying capacity of each size, which depends on nothing else, so it is
// worked out once per loaded list rather than once per circuit.
class TSizeTable {
  public:
    explicit TSizeTable(const std::vector<double>& sizes = {});

    std::size_t Count() const { return m_sizes.size(); }
    double Area(std::size_t i) const { return m_sizes[i].Area; }

    // The position of the first size that carries the current within maxVoltDrop, or -1.
    // Raises the EMathError the engine raises for the same inputs, at the same size.
    std::ptrdiff_t Select(double current, double conductivity, double length,
                          double maxVoltDrop) const;
    // Every size, in list order. Raises as Select does.
    std::vector<TSizeRow> Rows(double current, double conductivity, double length,
                               double maxVoltDrop) const;
    // Current, chosen size, drop and governing limit, as TAmpwiser::Calculate and VoltDrop give
    // them for the same inputs. Raises EAmpwiseRangeError for a code outside the tables and
    // EMathError where the engine raises.
    TSizing Size(const TSizingInputs& in, const std::vector<MotorRatingRec>& ratings) const;

  private:
    struct TEntry {
        double Area;
        double Capacity;
        bool Negative; // raising the area to a fractional power is an invalid operation
    };
    double CapacityAt(std::size_t i) const;
    // Select, also giving the limit that governs the chosen size when asked.
    std::ptrdiff_t Find(double current, double conductivity, double length, double maxVoltDrop,
                        std::optional<TLimit>* limitedBy) const;

    // The largest of a figure (area or capacity) over the sizes up to each one: no size before
    // the first whose running largest reaches a need can meet it.
    class TRunningLargest {
      public:
        void Add(double value);
        // Ends the list at its first n values and indexes them.
        void Index(std::size_t n);
        // How many of the values are below x, or fewer: one look-up where the values span a
        // moderate range, else a search.
        std::size_t Below(double x) const;

      private:
        std::vector<double> m_values;
        std::size_t m_count = 0;
        // For each run of 1/64 of a power of two among positive doubles from m_firstKey on
        // (their bits shifted right by kKeyShift), how many values are below its start.
        static constexpr int kKeyShift = 46;
        std::uint64_t m_firstKey = 0;
        std::vector<std::uint16_t> m_below;
    };

    std::vector<TEntry> m_sizes;
    TRunningLargest m_areaUpTo;
    TRunningLargest m_capacityUpTo;
    double m_largest = 0; // the largest area's magnitude
};

} // namespace qv
