#include "exact_decimal.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "exact_field.h"

namespace exact {

namespace {

// A bound on the significant decimal digits of the exact expansion of a
// finite non-zero double: |x| = m × 2^e with m odd has as many as m × 2^e
// (e >= 0) or m × 5^-e (e < 0), plus a digit of margin for the logarithms.
int ExactDigitCount(double x)
{
    int k = 0;
    const double f = std::frexp(std::fabs(x), &k);
    auto m = static_cast<unsigned long long>(std::ldexp(f, 53));
    long long e = k - 53;
    while (m % 2 == 0) {
        m /= 2;
        ++e;
    }
    const double dLog = std::log10(static_cast<double>(m)) +
                        static_cast<double>(e) * std::log10(e >= 0 ? 2.0 : 5.0) * (e >= 0 ? 1.0 : -1.0);
    return static_cast<int>(dLog) + 2;
}

SDecimal ConvertExactly(double x)
{
    SDecimal v;
    v.bNeg = std::signbit(x);
    if (x == 0)
        return v;
    // The conversion is exact when it is asked for as many digits as the
    // expansion has (at most 767); converting more only adds zeros, and
    // costs time proportional to them.
    // to_chars prints the same digits as printf's %.*e, several times as fast.
    std::array<char, 900> buf{};
    const auto result = std::to_chars(buf.data(), buf.data() + buf.size(), std::fabs(x), std::chars_format::scientific,
                                      ExactDigitCount(x));
    const std::string s(buf.data(), result.ptr);
    const std::size_t e = s.find('e');
    v.digits = s.substr(0, 1) + s.substr(2, e - 2);
    v.nExp = std::strtoll(s.c_str() + e + 1, nullptr, 10) + 1;
    const std::size_t last = v.digits.find_last_not_of('0');
    v.digits.resize(last + 1);
    return v;
}

// Whether the digits dropped past the first nKeep ask for the kept ones to
// grow by one unit under the mode (nKeep may be 0 or negative: all digits
// are dropped and the kept part is zero).
bool RoundsAway(const SDecimal& v, long long nKeep, ExactRounding mode)
{
    const long long n = static_cast<long long>(v.digits.size());
    if (nKeep >= n)
        return false;  // nothing but zeros dropped
    switch (mode) {
    case EXACT_ROUND_ZERO: return false;
    case EXACT_ROUND_UP: return !v.bNeg;
    case EXACT_ROUND_DOWN: return v.bNeg;
    default: break;
    }
    if (nKeep < 0)
        return false;  // the first dropped digit is a leading zero: below half
    const char first = v.digits[static_cast<std::size_t>(nKeep)];
    if (first != '5')
        return first > '5';
    if (mode == EXACT_ROUND_COMPATIBLE || nKeep + 1 < n)
        return true;  // half and away, or above half (no trailing zeros are stored)
    // An exact tie: to the even neighbour.
    const char lastKept = nKeep > 0 ? v.digits[static_cast<std::size_t>(nKeep - 1)] : '0';
    return (lastKept - '0') % 2 != 0;
}

}  // namespace

// The expansion of x. A keystroke lays out every later sample again, most of
// them with the values they had before, so the latest expansions are kept in
// a small table indexed by the value's bits.
const SDecimal& ExactDecimal(double x)
{
    struct SEntry {
        std::uint64_t nBits = 0;
        bool bUsed = false;
        SDecimal value;
    };
    constexpr std::size_t kEntries = 16384;
    auto& table = ThreadTable<std::array<SEntry, kEntries>>();
    const auto nBits = std::bit_cast<std::uint64_t>(x);
    SEntry& entry = table[(nBits ^ (nBits >> 29) ^ (nBits >> 47)) % kEntries];
    if (!entry.bUsed || entry.nBits != nBits) {
        entry.value = ConvertExactly(x);
        entry.nBits = nBits;
        entry.bUsed = true;
    }
    return entry.value;
}

bool IsZero(const SDecimal& v)
{
    return v.digits.empty();
}

// v rounded to its first nKeep significant digits (counted from 10^(nExp-1)).
SDecimal Rounded(const SDecimal& v, long long nKeep, ExactRounding mode)
{
    if (IsZero(v) || nKeep >= static_cast<long long>(v.digits.size()))
        return v;
    SDecimal r;
    r.bNeg = v.bNeg;
    const bool bUp = RoundsAway(v, nKeep, mode);
    if (nKeep <= 0) {
        if (bUp) {
            r.digits = "1";
            r.nExp = v.nExp - nKeep + 1;
        }
        return r;
    }
    r.digits = v.digits.substr(0, static_cast<std::size_t>(nKeep));
    r.nExp = v.nExp;
    if (bUp) {
        long long i = nKeep - 1;
        for (; i >= 0 && r.digits[static_cast<std::size_t>(i)] == '9'; --i)
            r.digits[static_cast<std::size_t>(i)] = '0';
        if (i < 0) {
            r.digits.insert(r.digits.begin(), '1');
            ++r.nExp;
        } else {
            ++r.digits[static_cast<std::size_t>(i)];
        }
    }
    const std::size_t last = r.digits.find_last_not_of('0');
    r.digits.resize(last == std::string::npos ? 0 : last + 1);
    if (r.digits.empty())
        r.nExp = 0;
    return r;
}

// The digits of v from 10^hi down to 10^lo.
std::string DigitsFrom(const SDecimal& v, long long hi, long long lo)
{
    std::string s(hi >= lo ? static_cast<std::size_t>(hi - lo + 1) : 0, '0');
    // The digits stand at 10^(nExp - 1) down to 10^(nExp - size); zeros around them.
    const long long top = std::min(hi, v.nExp - 1);
    const long long bottom = std::max(lo, v.nExp - static_cast<long long>(v.digits.size()));
    if (top >= bottom)
        s.replace(static_cast<std::size_t>(hi - top), static_cast<std::size_t>(top - bottom + 1), v.digits,
                  static_cast<std::size_t>(v.nExp - 1 - top), static_cast<std::size_t>(top - bottom + 1));
    return s;
}

}  // namespace exact
