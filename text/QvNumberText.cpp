// Shortest double text and plain decimal reading (see QvNumberText.h). The shortest text is
// worked out exactly in 128-bit integers for the magnitudes a schedule's figures have; any other
// value goes to std::to_chars.
#include "text/QvNumberText.h"

#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>

namespace qv {

namespace {

__extension__ using u128 = unsigned __int128;

constexpr std::uint64_t kPow10[] = {1,
                                    10,
                                    100,
                                    1000,
                                    10000,
                                    100000,
                                    1000000,
                                    10000000,
                                    100000000,
                                    1000000000,
                                    10000000000,
                                    100000000000,
                                    1000000000000,
                                    10000000000000,
                                    100000000000000,
                                    1000000000000000,
                                    10000000000000000,
                                    100000000000000000,
                                    1000000000000000000,
                                    10000000000000000000u};

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233"
    "34353637383940414243444546474849505152535455565758596061626364656667"
    "6869707172737475767778798081828384858687888990919293949596979899";

// The number of decimal digits of v > 0: from its bit length, then one comparison.
int DigitCount(std::uint64_t v) {
    const int guess = (std::bit_width(v) * 1233) >> 12; // ⌊bits · log10 2⌋
    return guess + (guess < 20 && v >= kPow10[guess]);
}

// Eight decimal digits of v < 10^8 as eight characters in memory order (on a little-endian
// machine): the halves, quarters and digits are split side by side in the lanes of one word.
std::uint64_t EightDigits(std::uint64_t v) {
    const std::uint64_t halves = v / 10000 | (v % 10000) << 32;
    const std::uint64_t hundreds = ((halves * 10486) >> 20) & 0x0000007F0000007F;
    const std::uint64_t quarters = hundreds | (halves - hundreds * 100) << 16;
    const std::uint64_t tens = ((quarters * 103) >> 10) & 0x000F000F000F000F;
    return (tens | (quarters - tens * 10) << 8) + 0x3030303030303030;
}

// The shortest digits of a positive double from 2^-6 to below 2^49 that is no power of two: of
// the decimals that read back as it, those with fewest digits, then the closest to it, then an
// even last digit (which is what std::to_chars chooses). value = digits · 10^exp10.
struct TDecimal {
    std::uint64_t Digits;
    int Exp10;
};
constexpr int kFirstBiased = 1023 - 6;
constexpr int kLastBiased = 1023 + 48;

TDecimal ShortestDecimal(std::uint64_t bits) {
    const auto biased = static_cast<int>(bits >> 52);
    const std::uint64_t m = (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
    // value = m · 2^e with e = biased − 1075, from −58 to −4. Scaled by 10^scale (scale from 3 to
    // 19, scale = 1 − ⌊e · log10 2⌋), a step of the last bit is 10 to 100 units long, below 2^64
    // with all that follows; the values that read back as it lie within half a step either side.
    const int floorLog10 = ((biased - 1075) * 78913) >> 18; // ⌊e · log10 2⌋
    const int scale = 1 - floorLog10;
    const std::uint64_t p = kPow10[scale];
    const int shift = 1077 - biased; // value · 10^scale = 4m · p / 2^shift, shift from 6 to 60
    const u128 x = u128{4 * m} * p;
    const u128 high = x + 2 * u128{p};
    const u128 low = x - 2 * u128{p};
    const std::uint64_t mask = (std::uint64_t{1} << shift) - 1;
    auto whole = [shift](u128 v) {
        return static_cast<std::uint64_t>(v) >> shift | static_cast<std::uint64_t>(v >> 64)
                                                            << (64 - shift);
    };
    auto part = [mask](u128 v) { return static_cast<std::uint64_t>(v) & mask; };

    // The integers within the interval; its ends read back as the value only when m is even.
    const bool inclusive = (m & 1) == 0;
    const std::uint64_t below = whole(low) - (inclusive && part(low) == 0);
    const std::uint64_t hi = whole(high) - (!inclusive && part(high) == 0);

    // The interval is over ten units long, so it holds a multiple of 10; drop more digits while
    // it holds a multiple of the next power of ten (of 10^4 and more, rarely). q is the value's
    // integer part with as many digits dropped.
    // The second step is taken about half the time, so it is chosen without a branch.
    const std::uint64_t v = whole(x);
    const std::uint64_t a1 = hi / 10, b1 = below / 10, q1 = v / 10;
    const std::uint64_t a2 = hi / 100, b2 = below / 100, q2 = v / 100;
    const bool second = a2 > b2;
    std::uint64_t a = second ? a2 : a1, b = second ? b2 : b1, q = second ? q2 : q1;
    int dropped = 1 + second;
    if (second && a / 10 > b / 10) {
        while (a / 10 > b / 10) {
            a /= 10;
            b /= 10;
            q /= 10;
            ++dropped;
        }
    }
    // Of the multiples of 10^dropped within it, the one closest to the value: the part of the
    // value past q, doubled, is twice r plus the fraction's top bit, and h below that.
    const std::uint64_t unit = kPow10[dropped];
    const std::uint64_t r = v - q * unit;
    const std::uint64_t g = 2 * r + (part(x) >> (shift - 1));
    const std::uint64_t h = part(x) & (mask >> 1);
    const bool up = g > unit || (g == unit && (h != 0 || (q & 1)));
    std::uint64_t c = q + up;
    if (c > a)
        c = q;
    else if (c <= b)
        c = q + 1;
    return {c, dropped - scale};
}

} // namespace

char* WriteShortest(char* buf, double value) {
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const auto biased = static_cast<int>((bits >> 52) & 0x7FF);
    const bool powerOfTwo = (bits & ((std::uint64_t{1} << 52) - 1)) == 0;
    if (std::endian::native != std::endian::little || biased < kFirstBiased ||
        biased > kLastBiased || powerOfTwo)
        return std::to_chars(buf, buf + kShortestMax, value).ptr;
    char* p = buf;
    if (bits >> 63)
        *p++ = '-';
    const TDecimal d = ShortestDecimal(bits & ~(std::uint64_t{1} << 63));
    const int n = DigitCount(d.Digits); // 17 at most
    const int e = n - 1 + d.Exp10;      // the power of ten of the first digit

    // The digits as 17 characters, padded with '0's: the first in the low byte of `text`, the
    // 17th in `last`. Everything is put together in registers and stored whole, as reading back
    // characters just stored stalls the processor.
    const std::uint64_t padded = d.Digits * kPow10[17 - n];
    const std::uint64_t first = padded / 10000000000000000;
    const std::uint64_t rest = padded - first * 10000000000000000;
    const std::uint64_t high = EightDigits(rest / 100000000);
    const std::uint64_t low = EightDigits(rest % 100000000);
    const std::uint64_t text0 = ('0' + first) | high << 8; // characters 0 to 7
    const std::uint64_t text1 = high >> 56 | low << 8;     // 8 to 15
    const char last = static_cast<char>(low >> 56);

    // Plain or scientific notation, whichever is shorter; plain on a tie.
    const int scientific = n + (n > 1) + 4; // "d.ddde+XX": the exponent has two digits here
    const int plain = e >= 0 ? (n <= e + 1 ? e + 1 : n + 1) : n + 1 - e;
    if (plain <= scientific && e < 0) { // 0.000ddd
        std::memcpy(p, "0.000000", 8);
        p += 1 - e;
        std::memcpy(p, &text0, 8);
        std::memcpy(p + 8, &text1, 8);
        p[16] = last;
        return p + n;
    }
    if (plain <= scientific && n <= e + 1) { // ddd000
        std::memcpy(p, &text0, 8);
        std::memcpy(p + 8, &text1, 8);
        p[16] = last;
        return p + e + 1;
    }
    // The point after `at` digits (1 to 15): the characters from there move up by one.
    const int at = plain <= scientific ? e + 1 : 1;
    std::uint64_t pointed0 = 0, pointed1 = 0;
    if (at < 8) {
        const std::uint64_t before = (std::uint64_t{1} << (8 * at)) - 1;
        pointed0 = (text0 & before) | std::uint64_t{'.'} << (8 * at) | (text0 & ~before) << 8;
        pointed1 = text1 << 8 | text0 >> 56;
    } else {
        const std::uint64_t before = (std::uint64_t{1} << (8 * (at - 8))) - 1;
        pointed0 = text0;
        pointed1 = (text1 & before) | std::uint64_t{'.'} << (8 * (at - 8)) | (text1 & ~before) << 8;
    }
    std::memcpy(p, &pointed0, 8);
    std::memcpy(p + 8, &pointed1, 8);
    p[16] = static_cast<char>(text1 >> 56);
    p[17] = last;
    if (plain <= scientific)
        return p + n + 1;
    p += n > 1 ? n + 1 : 1;
    p[0] = 'e';
    p[1] = e < 0 ? '-' : '+';
    std::memcpy(p + 2, kDigitPairs + (e < 0 ? -e : e) * 2, 2);
    return p + 4;
}

void AppendNumber(std::string& out, double value) {
    // Written in place, since a copy would read back what was just stored.
    const std::size_t size = out.size();
    out.resize(size + kShortestMax);
    out.resize(static_cast<std::size_t>(WriteShortest(out.data() + size, value) - out.data()));
}

bool ReadPlainDecimal(std::string_view text, double& value) {
    // Integers up to 2^53 and powers of ten up to 10^22 are exact doubles, so one division
    // rounds their quotient correctly, as from_chars does.
    static constexpr double kExact10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                          1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                          1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    constexpr std::uint64_t kExactLimit = std::uint64_t{1} << 53;
    const char* p = text.data();
    const char* const end = p + text.size();
    const bool negative = p != end && *p == '-';
    p += negative;
    const char* const first = p;
    const char* point = nullptr;
    std::uint64_t w = 0;
    for (; p != end; ++p) {
        const unsigned d = static_cast<unsigned>(static_cast<unsigned char>(*p)) - '0';
        if (d < 10) {
            w = w * 10 + d;
        } else if (*p == '.' && !point) {
            point = p;
        } else {
            return false;
        }
    }
    const std::ptrdiff_t decimals = point ? end - point - 1 : 0;
    const std::ptrdiff_t digits = (end - first) - (point != nullptr);
    if (digits == 0 || decimals > 22)
        return false;
    // Up to 15 digits, w is below 10^15 < 2^53; past that it may have wrapped, so the digits
    // that weigh (those after the leading zeros) are counted afresh.
    if (digits > 15) {
        std::uint64_t exact = 0;
        for (const char* q = first; q != end; ++q) {
            if (*q == '.')
                continue;
            exact = exact * 10 + static_cast<unsigned>(*q - '0');
            if (exact > kExactLimit)
                return false;
        }
    }
    if (w > kExactLimit)
        return false;
    const double v = static_cast<double>(w) / kExact10[decimals];
    value = negative ? -v : v;
    return true;
}

} // namespace qv
