// The sizing arithmetic shared by the engine and the other sizers. Each figure runs in long
// double and is stored as a double; the faults a floating-point unit would trap (division by
// zero, invalid operation, overflow) are checked for and raised.
#include "core/QvCableSizes.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace qv {

namespace {

// The constants are stored to their stated decimals, never computed from one another.
constexpr long double kSinglePhaseFactor = 0.23L;               // kW to A at 230 V
constexpr long double kThreePhaseFactor = 0.692820323028L;      // √3 × 0.4 kV
constexpr long double kSingleMotorFallback = 0.09338L;          // 0.23 × 0.7 × 0.58
constexpr long double kThreeMotorFallback = 0.281285051149368L; // 0.692820323028 × 0.7 × 0.58
constexpr long double kPercent = 100.0L;
constexpr long double kCapacityCoefficient = 12.278L;
constexpr long double kCapacityExponent = 0.6037L;

[[noreturn, gnu::cold, gnu::noinline]] void RaiseStored(long double v) {
    if (std::isnan(v))
        throw EInvalidOp();
    throw EOverflow();
}

[[noreturn, gnu::cold, gnu::noinline]] void RaiseDivide(long double numerator) {
    if (numerator == 0 || std::isnan(numerator))
        throw EInvalidOp();
    throw EZeroDivide();
}

// Rounds an extended result to double, raising what the floating-point unit would have. Inline,
// with the raising kept apart, as sizing a schedule runs this for every size of every circuit.
inline double Stored(long double v) {
    if (!(std::fabs(v) <= DBL_MAX)) [[unlikely]] // not a number, infinite or beyond double
        RaiseStored(v);
    return static_cast<double>(v);
}

inline long double Divide(long double numerator, long double denominator) {
    if (denominator == 0) [[unlikely]]
        RaiseDivide(numerator);
    return numerator / denominator;
}

// How many of the first n values of an ascending list are below x, by halving without branches.
std::size_t CountBelow(const double* list, std::size_t n, double x) {
    const double* base = list;
    while (n > 1) {
        const std::size_t half = n / 2;
        base = base[half - 1] < x ? base + half : base;
        n -= half;
    }
    return static_cast<std::size_t>(base - list) + (n == 1 && *base < x);
}

// A quotient shown for information only: none when it has no finite double value.
std::optional<double> Ratio(long double numerator, long double denominator) {
    if (denominator == 0)
        return std::nullopt;
    const long double v = numerator / denominator;
    if (!std::isfinite(v) || std::fabs(v) > DBL_MAX)
        return std::nullopt;
    return static_cast<double>(v);
}

// -1 when no rating is at or above the power.
double MotorCurrent(std::uint8_t phase, double power, const std::vector<MotorRatingRec>& ratings) {
    for (const MotorRatingRec& row : ratings) {
        // Written so that a comparison with a value that is not a number skips the row too.
        if (!(row.RatingKW >= power))
            continue;
        const long double factor = phase == 0 ? kSinglePhaseFactor : kThreePhaseFactor;
        const long double numerator = kPercent * row.RatingKW;
        const long double denominator = factor * row.PowerFactor * row.EfficiencyPct;
        return Stored(Divide(numerator, denominator));
    }
    return -1;
}

} // namespace

double PowerLimit(std::uint8_t loadType, std::uint8_t phase) {
    if (loadType == 0)
        return 84;
    return phase == 0 ? 5.5 : 110;
}

const char* LimitName(TLimit limit) {
    return limit == TLimit::VoltageDrop ? "voltage drop" : "carrying capacity";
}

double LineCurrent(std::uint8_t loadType, std::uint8_t phase, double power,
                   const std::vector<MotorRatingRec>& ratings) {
    if (loadType == 0)
        return Stored(Divide(power, phase == 0 ? kSinglePhaseFactor : kThreePhaseFactor));
    const double current = MotorCurrent(phase, power, ratings);
    if (current != -1)
        return current;
    return Stored(Divide(power, phase == 0 ? kSingleMotorFallback : kThreeMotorFallback));
}

double CarryingCapacity(double area) {
    const long double a = area;
    if (a < 0) // a negative number raised to a fractional power
        throw EInvalidOp();
    return Stored(a == 0 ? 0.0L : kCapacityCoefficient * std::pow(a, kCapacityExponent));
}

double DropLimit(double conductivity, double area, double maxVoltDrop, double length) {
    return Stored(Divide(static_cast<long double>(conductivity) * area * maxVoltDrop, length));
}

double VoltageDrop(double current, double length, double conductivity, double area) {
    return Stored(Divide(static_cast<long double>(current) * length,
                         static_cast<long double>(conductivity) * area));
}

std::ptrdiff_t FirstFittingSize(const std::vector<double>& sizes, double current,
                                double conductivity, double length, double maxVoltDrop) {
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        const double c = CarryingCapacity(sizes[i]);
        const double v = DropLimit(conductivity, sizes[i], maxVoltDrop, length);
        if (Permits(current, c, v))
            return static_cast<std::ptrdiff_t>(i);
    }
    return -1;
}

TSizeTable::TSizeTable(const std::vector<double>& sizes) {
    m_sizes.reserve(sizes.size());
    double areaUpTo = -HUGE_VAL, capacityUpTo = -HUGE_VAL;
    bool negativeSeen = false;
    for (double area : sizes) {
        m_largest = std::max(m_largest, std::fabs(area));
        const bool negative = area < 0;
        const double capacity = negative ? 0.0 : CarryingCapacity(area);
        areaUpTo = std::max(areaUpTo, area);
        capacityUpTo = std::max(capacityUpTo, capacity);
        m_sizes.push_back({area, capacity, negative});
        m_areaUpTo.push_back(areaUpTo);
        m_capacityUpTo.push_back(capacityUpTo);
        negativeSeen = negativeSeen || negative;
        m_beforeNegative += !negativeSeen;
    }
}

double TSizeTable::CapacityAt(std::size_t i) const {
    if (m_sizes[i].Negative)
        throw EInvalidOp();
    return m_sizes[i].Capacity;
}

std::ptrdiff_t TSizeTable::Find(double current, double conductivity, double length,
                                double maxVoltDrop, double& dropLimit) const {
    // When no drop limit can fail (a length other than 0, and no quotient past the double range,
    // which the largest area bounds), a size that provably cannot fit is passed over without
    // working out its drop limit.
    const long double bound =
        std::fabs(static_cast<long double>(conductivity) * m_largest * maxVoltDrop);
    const long double reach = std::fabs(static_cast<long double>(length)) * (DBL_MAX / 2);
    const bool dropLimitsHold =
        length != 0 && std::isfinite(length) && std::isfinite(bound) && bound <= reach;
    std::size_t i = 0;
    if (dropLimitsHold) {
        // Sizes whose capacity is below the current cannot fit, nor can those too small for the
        // drop: the area a drop limit of the current needs, less a margin far above the
        // rounding of either figure, is a bound while every figure is of ordinary magnitude
        // (then nothing on the way overflows or loses precision below the normal range).
        double need = 0;
        const double k = conductivity * maxVoltDrop;
        auto ordinary = [](double v) { return v >= 1e-50 && v <= 1e50; };
        if (ordinary(current) && ordinary(length) && ordinary(conductivity) &&
            ordinary(maxVoltDrop))
            need = current * length / k * (1 - 1e-9);
        const std::size_t byCapacity = CountBelow(m_capacityUpTo.data(), m_beforeNegative, current);
        const std::size_t byArea = CountBelow(m_areaUpTo.data(), m_beforeNegative, need);
        i = std::max(byCapacity, byArea);
    }
    for (; i < m_sizes.size(); ++i) {
        const double c = CapacityAt(i);
        if (dropLimitsHold && current > c)
            continue;
        const double v = DropLimit(conductivity, m_sizes[i].Area, maxVoltDrop, length);
        if (Permits(current, c, v)) {
            dropLimit = v;
            return static_cast<std::ptrdiff_t>(i);
        }
    }
    return -1;
}

std::ptrdiff_t TSizeTable::Select(double current, double conductivity, double length,
                                  double maxVoltDrop) const {
    double dropLimit = 0;
    return Find(current, conductivity, length, maxVoltDrop, dropLimit);
}

std::vector<TSizeRow> TSizeTable::Rows(double current, double conductivity, double length,
                                       double maxVoltDrop) const {
    // The engine stops at the first fit: a fault up to there is raised, one past it is shown.
    const std::ptrdiff_t chosen = Select(current, conductivity, length, maxVoltDrop);
    const std::size_t raisedUpTo = chosen < 0 ? m_sizes.size() : static_cast<std::size_t>(chosen);
    std::vector<TSizeRow> rows;
    rows.reserve(m_sizes.size());
    for (std::size_t i = 0; i < m_sizes.size(); ++i) {
        TSizeRow row;
        row.Area = m_sizes[i].Area;
        try {
            row.Capacity = CapacityAt(i);
            row.DropLimit = DropLimit(conductivity, row.Area, maxVoltDrop, length);
        } catch (const EMathError& e) {
            if (i <= raisedUpTo)
                throw;
            row = TSizeRow{};
            row.Area = m_sizes[i].Area;
            row.Fault = e.what();
            rows.push_back(row);
            continue;
        }
        row.Governs = row.DropLimit < row.Capacity ? TLimit::VoltageDrop : TLimit::CarryingCapacity;
        row.Permitted = row.Governs == TLimit::VoltageDrop ? row.DropLimit : row.Capacity;
        row.Fits = Permits(current, row.Capacity, row.DropLimit);
        row.VoltDrop = Ratio(static_cast<long double>(current) * length,
                             static_cast<long double>(conductivity) * row.Area);
        row.LongestRun =
            Ratio(static_cast<long double>(conductivity) * row.Area * maxVoltDrop, current);
        rows.push_back(row);
    }
    return rows;
}

TSizing TSizeTable::Size(const TSizingInputs& in,
                         const std::vector<MotorRatingRec>& ratings) const {
    if (in.LoadType >= LoadTypeNames.size())
        throw EAmpwiseRangeError("Load type " + std::to_string(in.LoadType) + " is out of range");
    if (in.Phase >= PhaseNames.size())
        throw EAmpwiseRangeError("Phase " + std::to_string(in.Phase) + " is out of range");
    if (!std::isfinite(in.Length) || !std::isfinite(in.Power))
        throw EInvalidOp();

    TSizing out;
    out.Current = LineCurrent(in.LoadType, in.Phase, in.Power, ratings);
    double dropLimit = 0;
    const std::ptrdiff_t i =
        Find(out.Current, in.Conductivity, in.Length, in.MaxVoltDrop, dropLimit);
    if (i < 0)
        return out;
    const TEntry& size = m_sizes[static_cast<std::size_t>(i)];
    out.Area = size.Area;
    if (!(out.Area > 0)) // the engine counts only a positive area as a size
        return out;
    out.LimitedBy = dropLimit < size.Capacity ? TLimit::VoltageDrop : TLimit::CarryingCapacity;
    out.VoltDrop = VoltageDrop(out.Current, in.Length, in.Conductivity, out.Area);
    return out;
}

} // namespace qv
