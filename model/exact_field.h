// What every layout of samples uses, the simplified and the compiler's
// alike: a per-thread table of the latest results, the bound on a sample's
// width, runs of one character, of digits or of letters, digits in a base,
// right alignment, and the sign.
#pragma once

#include <algorithm>
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
inline std::string Blanks(long long n)
{
    return Repeated(n, ' ');
}

// The digit characters of every base, 10 to 15 written A to F.
inline constexpr char kBaseDigits[] = "0123456789ABCDEF";

// The digits of i mod base for i = from .. to.
inline std::string DigitRun(long long from, long long to, int base)
{
    std::string s(to >= from ? static_cast<std::size_t>(to - from + 1) : 0, '0');
    long long nDigit = from % base;
    for (char& c : s) {
        c = kBaseDigits[nDigit];
        nDigit = nDigit + 1 == base ? 0 : nDigit + 1;
    }
    return s;
}

// What the default samples and values count with: n digits from `from` on
// ("1234567890123..." of n digits; none for n <= 0), and n letters
// "abc...zab...".
inline std::string CountingRun(long long n, long long from = 1, int base = 10)
{
    return DigitRun(from, from + n - 1, base);
}
inline std::string AlphabetRun(long long n)
{
    std::string s;
    for (long long i = 0; i < n; ++i)
        s += static_cast<char>('a' + i % 26);
    return s;
}

// The digits brought up to m digits with zeros before them.
inline std::string AtLeastDigits(const std::string& digits, long long m)
{
    return Repeated(m - static_cast<long long>(digits.size()), '0') + digits;
}

// The text's first min(length, w) characters, right-aligned in w: how A
// fields show a value, and the simplified samples a value they print as text.
inline std::string RightAligned(const std::string& text, long long w)
{
    const long long n = std::min(static_cast<long long>(text.size()), w);
    return Blanks(w - n) + text.substr(0, static_cast<std::size_t>(std::max(0LL, n)));
}

// Where every integer is laid out, in the simplified samples and the
// compiler's: the sign and the digits brought up to m digits with zeros,
// right-aligned in w characters (w = 0: in their own width); false where
// they do not fit.
inline bool LayDigits(const std::string& sign, const std::string& digits, long long m, long long w, std::string& out)
{
    const std::string body = sign + AtLeastDigits(digits, m);
    if (w != 0 && static_cast<long long>(body.size()) > w)
        return false;
    out = w == 0 ? body : RightAligned(body, w);
    return true;
}

// The digits of u in the base, without leading zeros.
inline std::string DigitsInBase(unsigned long long u, int base)
{
    std::string digits;
    do {
        digits.insert(digits.begin(), kBaseDigits[u % static_cast<unsigned>(base)]);
        u /= static_cast<unsigned>(base);
    } while (u != 0);
    return digits;
}

// The value of a digit of the base (hexadecimal letters in either case);
// -1 for a character that is none.
inline int DigitValue(char c, int base)
{
    const int n = c >= '0' && c <= '9'   ? c - '0'
                  : c >= 'A' && c <= 'F' ? c - 'A' + 10
                  : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                         : -1;
    return n < base ? n : -1;
}

// The unsigned number the digits write in the base; false for a text that
// is empty, holds a character that is no digit of the base, or overflows.
inline bool ValueOfDigits(const std::string& digits, int base, unsigned long long& u)
{
    u = 0;
    for (char c : digits) {
        const int n = DigitValue(c, base);
        const auto b = static_cast<unsigned long long>(base);
        if (n < 0 || u > (~0ULL - static_cast<unsigned long long>(n)) / b)
            return false;
        u = u * b + static_cast<unsigned long long>(n);
    }
    return !digits.empty();
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
