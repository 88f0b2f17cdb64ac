// The sizing arithmetic shared by the engine and the other sizers. Each figure runs in long
// double and is stored as a double; the faults a floating-point unit would trap (division by
// zero, invalid operation, overflow) are checked for and raised.
#include "core/QvCableSizes.h"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>

namespace qv {

namespace {

// The constants are stored to their stated decimals, never computed from one another.
constexpr long double kSinglePhaseFactor = 0.23L;               // kW to A at 230 V
constexpr long double kThreePhaseFactor = 0.692820323028L;      // √3 × 0.4 kV
constexpr long double kSingleMotorFallback = 0.09338L;          // 0.23 × 0.7 × 0.58
constexpr long double kThreeMotorFallback = 0.281285051149368L; // 0.692820323028 × 0.7 × 0.58
// The power factor those fallbacks assume.
constexpr double kFallbackPowerFactor = 0.7;
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

// The first motor rating at or above the power, or none.
const MotorRatingRec* MotorRow(double power, const std::vector<MotorRatingRec>& ratings) {
    for (const MotorRatingRec& row : ratings) {
        // Written so that a comparison with a value that is not a number skips the row too.
        if (row.RatingKW >= power)
            return &row;
    }
    return nullptr;
}

// -1 when there is no rating.
double MotorCurrent(std::uint8_t phase, const MotorRatingRec* row) {
    if (row == nullptr)
        return -1;
    const long double factor = phase == 0 ? kSinglePhaseFactor : kThreePhaseFactor;
    const long double numerator = kPercent * row->RatingKW;
    const long double denominator = factor * row->PowerFactor * row->EfficiencyPct;
    return Stored(Divide(numerator, denominator));
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
    const double current = MotorCurrent(phase, MotorRow(power, ratings));
    if (current != -1)
        return current;
    return Stored(Divide(power, phase == 0 ? kSingleMotorFallback : kThreeMotorFallback));
}

double LoadPowerFactor(std::uint8_t loadType, std::uint8_t phase, double power,
                       const std::vector<MotorRatingRec>& ratings) {
    if (loadType == 0)
        return 1;
    // The same row and the same -1 test as LineCurrent, so the two never disagree on the load.
    const MotorRatingRec* row = MotorRow(power, ratings);
    return MotorCurrent(phase, row) != -1 ? row->PowerFactor : kFallbackPowerFactor;
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

void TSizeTable::TRunningLargest::Add(double value) {
    m_values.push_back(m_values.empty() ? value : std::max(m_values.back(), value));
}

void TSizeTable::TRunningLargest::Index(std::size_t n) {
    m_values.resize(n);
    m_count = n;
    m_below.clear();
    // The values before a negative area are 0 or more; the index covers the positive ones.
    double smallest = HUGE_VAL;
    for (double v : m_values)
        if (v > 0)
            smallest = std::min(smallest, v);
    if (n == 0 || n > UINT16_MAX || !(smallest < HUGE_VAL) || !std::isfinite(m_values.back()))
        return;
    m_firstKey = std::bit_cast<std::uint64_t>(smallest) >> kKeyShift;
    const std::uint64_t lastKey = (std::bit_cast<std::uint64_t>(m_values.back()) >> kKeyShift) + 1;
    if (lastKey - m_firstKey >= 4096) // a span too wide to index
        return;
    for (std::uint64_t key = m_firstKey; key <= lastKey; ++key) {
        const double start = std::bit_cast<double>(key << kKeyShift);
        m_below.push_back(static_cast<std::uint16_t>(CountBelow(m_values.data(), n, start)));
    }
}

std::size_t TSizeTable::TRunningLargest::Below(double x) const {
    if (m_below.empty())
        return CountBelow(m_values.data(), m_count, x);
    if (!(x > 0)) // 0, negative or not a number: none, at least
        return 0;
    // Every x of a run is at least its start, so counts at least as many values below it; the
    // last run starts past the largest value, as does every run after it.
    const std::uint64_t key = std::bit_cast<std::uint64_t>(x) >> kKeyShift;
    if (key < m_firstKey)
        return 0;
    return m_below[std::min<std::uint64_t>(key - m_firstKey, m_below.size() - 1)];
}

TSizeTable::TSizeTable(const std::vector<double>& sizes) {
    m_sizes.reserve(sizes.size());
    std::size_t beforeNegative = 0;
    bool negativeSeen = false;
    for (double area : sizes) {
        m_largest = std::max(m_largest, std::fabs(area));
        const bool negative = area < 0;
        const double capacity = negative ? 0.0 : CarryingCapacity(area);
        m_sizes.push_back({area, capacity, negative});
        m_areaUpTo.Add(area);
        m_capacityUpTo.Add(capacity);
        negativeSeen = negativeSeen || negative;
        beforeNegative += !negativeSeen;
    }
    m_areaUpTo.Index(beforeNegative);
    m_capacityUpTo.Index(beforeNegative);
}

double TSizeTable::CapacityAt(std::size_t i) const {
    if (m_sizes[i].Negative)
        throw EInvalidOp();
    return m_sizes[i].Capacity;
}

std::ptrdiff_t TSizeTable::Find(double current, double conductivity, double length,
                                double maxVoltDrop, std::optional<TLimit>* limitedBy) const {
    // When no drop limit can fail, a size that provably cannot fit is passed over without working
    // out its drop limit. None fails when the length is neither 0 nor infinite and the largest
    // area's limit stays within the double range: the product of the magnitudes in double is
    // then within a few roundings of the extended one (or, below the normal range, too small
    // for any finite quotient to overflow), and a quarter of the range leaves room for them.
    const double bound = std::fabs(conductivity * m_largest * maxVoltDrop);
    const bool dropLimitsHold = length != 0 && std::isfinite(length) && std::isfinite(bound) &&
                                bound <= std::fabs(length) * (DBL_MAX / 4);
    // While every figure is of ordinary magnitude (nothing on the way overflows or loses
    // precision below the normal range), a drop limit worked out in double is within a few
    // roundings of the engine's; a margin far above those decides most comparisons with it, and
    // the engine's arithmetic decides the rest.
    auto ordinary = [](double v) { return v >= 1e-50 && v <= 1e50; };
    const bool estimates = dropLimitsHold && ordinary(current) && ordinary(length) &&
                           ordinary(conductivity) && ordinary(maxVoltDrop);
    constexpr double kMargin = 1e-9;
    const double perArea = estimates ? conductivity * maxVoltDrop / length : 0;
    std::size_t i = 0;
    if (dropLimitsHold) {
        // Sizes whose capacity is below the current cannot fit, nor can those whose area is too
        // small for the drop.
        const double need = estimates ? current / perArea * (1 - kMargin) : 0;
        const std::size_t byCapacity = m_capacityUpTo.Below(current);
        const std::size_t byArea = m_areaUpTo.Below(need);
        i = std::max(byCapacity, byArea);
    }
    for (; i < m_sizes.size(); ++i) {
        const double c = CapacityAt(i);
        if (dropLimitsHold && current > c)
            continue;
        const double area = m_sizes[i].Area;
        const double estimate = area * perArea;
        std::optional<double> v; // the engine's drop limit, once worked out
        auto exact = [&] {
            if (!v)
                v = DropLimit(conductivity, area, maxVoltDrop, length);
            return *v;
        };
        bool fits = false;
        if (estimates && estimate >= current * (1 + kMargin))
            fits = true; // and the capacity covers the current
        else if (estimates && estimate <= current * (1 - kMargin))
            fits = false;
        else
            fits = Permits(current, c, exact());
        if (!fits)
            continue;
        if (limitedBy) {
            if (estimates && estimate >= c * (1 + kMargin))
                *limitedBy = TLimit::CarryingCapacity;
            else if (estimates && estimate <= c * (1 - kMargin))
                *limitedBy = TLimit::VoltageDrop;
            else
                *limitedBy = exact() < c ? TLimit::VoltageDrop : TLimit::CarryingCapacity;
        }
        return static_cast<std::ptrdiff_t>(i);
    }
    return -1;
}

std::ptrdiff_t TSizeTable::Select(double current, double conductivity, double length,
                                  double maxVoltDrop) const {
    return Find(current, conductivity, length, maxVoltDrop, nullptr);
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
        // A size that cannot carry the current overheats at any length, so it has no run.
        if (current <= row.Capacity)
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
    std::optional<TLimit> limitedBy;
    const std::ptrdiff_t i =
        Find(out.Current, in.Conductivity, in.Length, in.MaxVoltDrop, &limitedBy);
    if (i < 0)
        return out;
    const TEntry& size = m_sizes[static_cast<std::size_t>(i)];
    out.Area = size.Area;
    if (!(out.Area > 0)) // the engine counts only a positive area as a size
        return out;
    out.LimitedBy = limitedBy;
    out.VoltDrop = VoltageDrop(out.Current, in.Length, in.Conductivity, out.Area);
    return out;
}

} // namespace qv
