// What every layout of samples uses: a per-thread table of the latest
// results, the bound on a sample's width, runs of one character or of
// digits, and the sign.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "number_modes.h"

namespace exact {

// A table of the latest results, one per thread, allocated by its first use.
// It lives on the heap, not in static thread-local storage: that storage is
// laid out again, zeroed, for every thread the process starts (the toolkit
// starts several before the window's first paint), and these tables are
// hundreds of kilobytes that only the thread computing samples uses.
template <typename T>
T& ThreadTable()
{
    thread_local std::unique_ptr<T> pTable;
    if (pTable == nullptr)
        pTable = std::make_unique<T>();
    return *pTable;
}

// Sample widths stay bounded whatever the descriptor says.
inline constexpr long long kMaxExactWidth = 1 << 20;

inline std::string Repeated(long long n, char c)
{
    return n > 0 ? std::string(static_cast<std::size_t>(n), c) : std::string();
}
inline std::string Asterisks(long long w)
{
    return Repeated(w, '*');
}

// The digits of i mod base for i = from .. to, with 10 to 15 written A to F.
inline std::string DigitRun(long long from, long long to, int base)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string s(to >= from ? static_cast<std::size_t>(to - from + 1) : 0, '0');
    long long nDigit = from % base;
    for (char& c : s) {
        c = kDigits[nDigit];
        nDigit = nDigit + 1 == base ? 0 : nDigit + 1;
    }
    return s;
}

// The decimal digits of |n|.
inline std::string MagnitudeDigits(long long n)
{
    return std::to_string(n < 0 ? -n : n);
}

// An exponent's sign and its digits, with zeros before them up to nMin
// digits: what every exponent part, exact or cut, is made of.
inline std::string SignedExponent(long long nExp, long long nMin)
{
    const std::string digits = MagnitudeDigits(nExp);
    return (nExp < 0 ? "-" : "+") + Repeated(nMin - static_cast<long long>(digits.size()), '0') + digits;
}

inline std::string SignOf(bool bNeg, const SNumberModes& modes)
{
    return bNeg ? "-" : (modes.nPlus ? "+" : "");
}

}  // namespace exact
