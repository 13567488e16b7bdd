// The compiler-exact samples. A real value is taken apart into the exact
// decimal digits of its double, rounded in the two steps gfortran's run-time
// library takes (the C conversion to nearest, then its own rounding by the
// mode in force) and laid out as that library lays out F, E, D, ES, EN and G
// fields, including the quirks the differential tests found; the integer,
// logical and character kinds are laid out directly.
#include "exact_sample.h"

#include <algorithm>
#include <array>
#include <bit>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>

#include "char_class.h"
#include "descriptor_kind.h"

namespace {

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
constexpr long long kMaxExactWidth = 1 << 20;

std::string Repeated(long long n, char c)
{
    return n > 0 ? std::string(static_cast<std::size_t>(n), c) : std::string();
}
std::string Asterisks(long long w)
{
    return Repeated(w, '*');
}

// ---------------------------------------------------------------------------
// Reading a value text.

// A real as Fortran reads it: an optional sign, digits with an optional
// decimal point (a comma too), an optional exponent with E, D or Q or with
// its sign alone; Inf, Infinity and NaN in any case. Blanks around it.
bool ParseReal(const std::string& text, double& x)
{
    std::size_t i = 0, n = text.size();
    while (i < n && IsBlank(text[i]))
        ++i;
    while (n > i && IsBlank(text[n - 1]))
        --n;
    std::string s = text.substr(i, n - i);
    if (s.empty())
        return false;
    std::size_t k = 0;
    std::string c;
    if (s[k] == '+' || s[k] == '-')
        c += s[k++];
    const std::string rest = s.substr(k);
    if (EqualsNoCase(rest, "INF") || EqualsNoCase(rest, "INFINITY")) {
        x = c == "-" ? -HUGE_VAL : HUGE_VAL;
        return true;
    }
    if (EqualsNoCase(rest, "NAN")) {
        x = std::nan("");
        return true;
    }
    bool bDigits = false, bPoint = false;
    for (; k < s.size(); ++k) {
        if (IsDigit(s[k])) {
            bDigits = true;
            c += s[k];
        } else if ((s[k] == '.' || s[k] == ',') && !bPoint) {
            bPoint = true;
            c += '.';
        } else {
            break;
        }
    }
    if (!bDigits)
        return false;
    if (k < s.size()) {
        const char chLetter = ToUpper(s[k]);
        if (chLetter == 'E' || chLetter == 'D' || chLetter == 'Q')
            ++k;
        else if (s[k] != '+' && s[k] != '-')
            return false;
        c += 'e';
        if (k < s.size() && (s[k] == '+' || s[k] == '-'))
            c += s[k++];
        if (k == s.size())
            return false;
        for (; k < s.size(); ++k) {
            if (!IsDigit(s[k]))
                return false;
            c += s[k];
        }
    }
    x = std::strtod(c.c_str(), nullptr);
    return true;
}

// Each keystroke reads the same value texts again (the default values of
// the samples laid out anew): the latest readings are kept in a small table.
struct SReading {
    std::string text;
    bool bRead = false;
    double x = 0;
};

}  // namespace

bool ReadExactReal(const std::string& text, double& x)
{
    constexpr std::size_t kEntries = 4096;
    auto& table = ThreadTable<std::array<SReading, kEntries>>();
    SReading& entry = table[std::hash<std::string>{}(text) % kEntries];
    if (entry.text != text || text.empty()) {
        entry.text = text;
        entry.bRead = ParseReal(text, entry.x);
    }
    x = entry.x;
    return entry.bRead;
}

namespace {

// An INTEGER(8): an optional sign and decimal digits, blanks around them.
bool ReadInteger(const std::string& text, long long& v)
{
    std::size_t i = 0, n = text.size();
    while (i < n && IsBlank(text[i]))
        ++i;
    while (n > i && IsBlank(text[n - 1]))
        --n;
    if (i == n)
        return false;
    bool bNeg = false;
    if (text[i] == '+' || text[i] == '-')
        bNeg = text[i++] == '-';
    if (i == n)
        return false;
    unsigned long long u = 0;
    const unsigned long long limit = bNeg ? 9223372036854775808ULL : 9223372036854775807ULL;
    for (; i < n; ++i) {
        if (!IsDigit(text[i]))
            return false;
        const unsigned digit = static_cast<unsigned>(text[i] - '0');
        if (u > (limit - digit) / 10)
            return false;
        u = u * 10 + digit;
    }
    v = bNeg ? static_cast<long long>(0ULL - u) : static_cast<long long>(u);
    return true;
}

// A LOGICAL as Fortran reads it: an optional point, then T or F, then anything.
bool ReadLogical(const std::string& text, bool& b)
{
    std::size_t i = text.find_first_not_of(" \t");
    if (i == std::string::npos)
        return false;
    if (text[i] == '.')
        ++i;
    if (i >= text.size())
        return false;
    const char c = ToUpper(text[i]);
    if (c != 'T' && c != 'F')
        return false;
    b = c == 'T';
    return true;
}

// ---------------------------------------------------------------------------
// Exact decimal digits and rounding.

// |x| = 0.digits × 10^nExp, digits without leading or trailing zeros (empty for zero).
struct SDecimal {
    bool bNeg = false;
    std::string digits;
    long long nExp = 0;
};

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
    std::array<char, 900> buf{};
    const int n = std::snprintf(buf.data(), buf.size(), "%.*e", ExactDigitCount(x), std::fabs(x));
    const std::string s(buf.data(), static_cast<std::size_t>(std::max(n, 0)));
    const std::size_t e = s.find('e');
    v.digits = s.substr(0, 1) + s.substr(2, e - 2);
    v.nExp = std::strtoll(s.c_str() + e + 1, nullptr, 10) + 1;
    const std::size_t last = v.digits.find_last_not_of('0');
    v.digits.resize(last + 1);
    return v;
}

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
    constexpr std::size_t kEntries = 4096;
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

// The digit of v at 10^p ('0' outside its digits).
char DigitAt(const SDecimal& v, long long p)
{
    const long long i = v.nExp - 1 - p;
    return i >= 0 && i < static_cast<long long>(v.digits.size()) ? v.digits[static_cast<std::size_t>(i)] : '0';
}

// The digits of v from 10^hi down to 10^lo.
std::string DigitsFrom(const SDecimal& v, long long hi, long long lo)
{
    std::string s;
    for (long long p = hi; p >= lo; --p)
        s += DigitAt(v, p);
    return s;
}

// ---------------------------------------------------------------------------
// Laying out a real. gfortran converts in two steps, and the samples follow
// them: the C library's conversion, rounded to nearest at a precision the
// descriptor fixes, and then, under RU, RD, RZ, RN and RC, its own rounding of
// those digits to the ones shown. For its own rounding it converts 20 guard
// digits more than it shows (2 × 8 + 4 for a REAL(8)), so a value whose
// digits lie beyond them rounds as if it were zero.

constexpr long long kGuardDigits = 2 * 8 + 4;

struct SRealInput {
    double x;
    long long w, d;
    long long e;  // the exponent digits of a w.dEe form; -1 without
    const SExactModes& modes;
};

// Whether the library rounds the digits itself (else the C conversion's
// rounding to nearest is all the rounding there is).
bool OwnRounding(ExactRounding mode)
{
    return mode != EXACT_ROUND_NONE && mode != EXACT_ROUND_PROCESSOR;
}

// A negative precision is converted to nearest by the library's own rounding.
ExactRounding EffectiveRounding(ExactRounding mode, long long nPrecision)
{
    return nPrecision < 0 && !OwnRounding(mode) ? EXACT_ROUND_NEAREST : mode;
}

// The digits the C conversion gives for nDigits significant digits (at
// least one), or for a precision that includes the guard digits.
SDecimal Converted(const SDecimal& exact, long long nSignificant)
{
    return Rounded(exact, nSignificant, EXACT_ROUND_NEAREST);
}

// The library's own rounding of converted digits to the first nKeep.
SDecimal OwnRounded(const SDecimal& v, long long nKeep, ExactRounding mode)
{
    return OwnRounding(mode) ? Rounded(v, nKeep, mode) : v;
}

std::string SignOf(bool bNeg, const SExactModes& modes)
{
    return bNeg ? "-" : (modes.nPlus ? "+" : "");
}

// Infinity and NaN: "Infinity" where it fits with its sign, else "Inf".
std::string NotFinite(const SRealInput& in)
{
    const bool bNeg = std::signbit(in.x);
    const bool bSign = bNeg || in.modes.nPlus;
    const bool bNaN = std::isnan(in.x);
    long long nb = in.w;
    if (nb == 0)
        nb = bNaN ? 3 : (bSign ? 4 : 3);
    if (nb < 3)
        return Asterisks(nb);
    std::string s = Repeated(nb, ' ');
    if (bNaN)
        return s.replace(static_cast<std::size_t>(nb - 3), 3, "NaN");
    if (bNeg && nb == 3)
        return Asterisks(nb);
    const long long mark = bSign ? 8 : 7;
    if (nb > mark)
        s.replace(static_cast<std::size_t>(nb - 8), 8, "Infinity");
    else
        s.replace(static_cast<std::size_t>(nb - 3), 3, "Inf");
    const char chSign = bNeg ? '-' : '+';
    if (bSign && nb > 3 && nb < 9)
        s[static_cast<std::size_t>(nb - 4)] = chSign;
    else if (bSign && nb > 8)
        s[static_cast<std::size_t>(nb - 9)] = chSign;
    return s;
}

// One number in its field: sign, the digits before the point (an empty
// string: the zero there is shown only where a blank is left for it), the
// point, the digits after it and the exponent part. A width of 0 (F0.d) is
// the number's own width. Asterisks where it does not fit, in a field of one
// character, or of two with a sign.
std::string Lay(const std::string& sign, const std::string& whole, const std::string& fraction,
                const std::string& exponent, long long w, bool bZero, const SExactModes& modes)
{
    const long long nSign = static_cast<long long>(sign.size());
    const long long nBody = static_cast<long long>(whole.size() + fraction.size() + exponent.size()) + 1;
    if (w <= 0) {
        const long long d = static_cast<long long>(fraction.size());
        w = bZero ? d + nSign + 1 + (d == 0 ? 1 : 0) : std::max(nBody + nSign, 2LL);
    }
    long long nBlanks = w - nBody - nSign;
    if (nBlanks < 0 || w == 1 || (w == 2 && nSign > 0))
        return Asterisks(w);
    const bool bLeadZero = whole.empty() && nBlanks > 0;
    if (bLeadZero)
        --nBlanks;
    return Repeated(nBlanks, ' ') + sign + (bLeadZero ? "0" : "") + whole + (modes.nComma ? "," : ".") + fraction +
           exponent;
}

// The library's digit buffer for F with a negative scale factor that moves
// the point past every digit before it. The library edits its converted
// text in place there, and what it prints follows from those edits, with
// their quirks (with a scale factor far below -d it shows a 1, or digits
// left over from the conversion, where the value has none), so they are
// followed step by step: `buf` is the text "+digits.digits" and `o` where
// the digits start in it.
struct SShiftedBuffer {
    std::string buf;
    long long o = 1;
    char At(long long i) const
    {
        const long long j = o + i;
        return j >= 0 && j < static_cast<long long>(buf.size()) ? buf[static_cast<std::size_t>(j)] : '\0';
    }
    void Set(long long i, char c)
    {
        const long long j = o + i;
        if (j >= 0 && j < static_cast<long long>(buf.size()))
            buf[static_cast<std::size_t>(j)] = c;
    }
    // memmove(digits + to, digits + from, n)
    void Move(long long to, long long from, long long n)
    {
        if (n <= 0)
            return;
        std::string part;
        for (long long i = 0; i < n; ++i)
            part += At(from + i);
        for (long long i = 0; i < n; ++i)
            Set(to + i, part[static_cast<std::size_t>(i)]);
    }
};

std::string LayFixedShiftedOut(const SRealInput& in, const SDecimal& converted, long long nBefore, long long nPlaces,
                               long long k, ExactRounding mode, bool bExactZero)
{
    const bool bOwn = OwnRounding(mode);
    const long long d = in.d;
    SShiftedBuffer b;
    b.buf = "+" + DigitsFrom(converted, nBefore - 1, 0) + "." + DigitsFrom(converted, -1, -nPlaces) + '\0';
    long long nDigits = nBefore + nPlaces;
    long long nZero = -(nBefore + k);
    b.Move(1, 0, nBefore);
    long long nAfter = d - nZero;
    if (nAfter == 0 && d > 0) {
        b.Move(1, 0, nDigits - 1);
        b.Set(1, '0');
        nAfter = 1;
        nZero = d - 1;
    } else if (nAfter < 0) {
        for (long long i = 0; i < nDigits; ++i)
            b.Set(i, '0');
        b.Set(nDigits - 1, '1');
        nAfter = d;
        nZero = 0;
    }
    long long nShownBefore = 0;
    if (bOwn)
        b.Move(0, 1, nDigits);

    // The library's own rounding of the digits.
    const bool bNeg = converted.bNeg;
    char chRound = 0;  // the digit from which it rounds up; 0: no rounding
    if (!bExactZero) {
        switch (mode) {
        case EXACT_ROUND_UP:
        case EXACT_ROUND_DOWN:
            if (bNeg == (mode == EXACT_ROUND_DOWN))
                for (long long i = nAfter; i < nDigits && chRound == 0; ++i)
                    if (b.At(i) != '0')
                        chRound = '0';
            break;
        case EXACT_ROUND_NEAREST: {
            chRound = '5';
            if (b.At(nAfter) == '5') {
                bool bTie = true;
                for (long long i = nAfter + 1; i < nDigits; ++i)
                    bTie = bTie && b.At(i) == '0';
                const char chLast = b.At(nAfter - 1);
                if (bTie && !(IsDigit(chLast) && (chLast - '0') % 2 == 1))
                    chRound = 0;
            }
            break;
        }
        case EXACT_ROUND_COMPATIBLE: chRound = '5'; break;
        default: break;
        }
    }
    if (chRound != 0 && nAfter == 0) {
        nDigits = 0;
        if (b.At(0) >= chRound) {
            nShownBefore = 1;
            --b.o;
            b.Set(0, '1');
            nDigits = 1;
        }
    } else if (chRound != 0 && nAfter < nDigits) {
        long long i = nDigits = nAfter;
        if (b.At(i) >= chRound) {
            for (--i; i >= 0; --i) {
                if (b.At(i) != '9') {
                    b.Set(i, static_cast<char>(b.At(i) + 1));
                    break;
                }
                b.Set(i, '0');
            }
            if (i < 0) {
                --b.o;
                b.Set(0, '1');
                if (nZero > 0) {
                    --nZero;
                    ++nAfter;
                } else {
                    ++nShownBefore;
                }
            }
        }
    }
    bool bZero = true;
    for (long long i = 0; i < nDigits; ++i)
        bZero = bZero && b.At(i) == '0';

    std::string whole, fraction;
    long long pos = 0;
    for (long long i = 0; i < nShownBefore; ++i)
        whole += i < nDigits ? b.At(pos + i) : '0';
    pos += nShownBefore;
    nDigits = std::max(nDigits - nShownBefore, 0LL);
    if (!bOwn)
        ++pos;
    fraction = Repeated(nZero, '0');
    for (long long i = 0; i < nAfter; ++i)
        fraction += i < nDigits ? b.At(pos + i) : '0';
    return Lay(SignOf(bNeg, in.modes), whole, fraction, "", in.w, bZero, in.modes);
}

// Whether the library's own rounding leaves converted digits as they are,
// without cutting them to the first nKeep: under RZ, RU for a negative and
// RD for a positive number, and RN on a tie that stays even.
bool OwnRoundingKeepsDigits(const SDecimal& v, long long nKeep, ExactRounding mode)
{
    switch (mode) {
    case EXACT_ROUND_ZERO: return true;
    case EXACT_ROUND_UP: return v.bNeg;
    case EXACT_ROUND_DOWN: return !v.bNeg;
    case EXACT_ROUND_NEAREST: {
        const long long n = static_cast<long long>(v.digits.size());
        if (nKeep < 0 || nKeep >= n || v.digits[static_cast<std::size_t>(nKeep)] != '5' || nKeep + 1 < n)
            return false;
        const char chLast = nKeep > 0 ? v.digits[static_cast<std::size_t>(nKeep - 1)] : '0';
        return (chLast - '0') % 2 == 0;
    }
    default: return false;
    }
}

// Fw.d with the scale factor k: the value times 10^k.
std::string LayFixed(const SRealInput& in, long long k, ExactRounding mode)
{
    const long long nPrecision = in.d + k;
    mode = EffectiveRounding(mode, nPrecision);
    const SDecimal& exact = ExactDecimal(in.x);
    const long long nPlaces = OwnRounding(mode) ? std::max(nPrecision + kGuardDigits, 0LL) : nPrecision;
    SDecimal v = Converted(exact, exact.nExp + nPlaces);
    // The digits before the point that the conversion printed ("0" for a
    // value below one).
    const long long nBefore = IsZero(v) ? 1 : std::max(v.nExp, 1LL);
    // The library converts into a buffer sized for the field and the
    // precision, and fills a field with asterisks when the digits before the
    // point outgrow it, even where a negative scale factor would shift them
    // into the field.
    if (in.w > 0 && nBefore > in.w + 1 + nPlaces + 2)
        return Asterisks(in.w);
    if (k < 0 && nBefore + k < 0)
        return LayFixedShiftedOut(in, v, nBefore, nPlaces, k, mode, exact.digits.empty());
    if (!IsZero(v))
        v.nExp += k;
    // Whether the number is zero is judged on the digits shown, or, where
    // the library's own rounding leaves the digits as converted, on all of
    // them (F0.0 of -0.09 under RU prints asterisks, not -0.).
    const bool bAllDigits = OwnRoundingKeepsDigits(v, v.nExp + in.d, mode);
    const bool bZeroConverted = IsZero(v);
    v = OwnRounded(v, v.nExp + in.d, mode);
    const std::string whole = v.nExp > 0 ? DigitsFrom(v, v.nExp - 1, 0) : std::string();
    return Lay(SignOf(v.bNeg, in.modes), whole, DigitsFrom(v, -1, -in.d), "", in.w,
               bAllDigits ? bZeroConverted : IsZero(v), in.modes);
}

// The exponent part of an E, D, ES or EN field: with e digits when e is
// given, else the letter and two digits, or three digits without the letter.
// In a field of width 0 an exponent of 0 is left out, and without e the
// exponent has as many digits as it needs: e is then kMinimalExponent, or
// kMinimalExponent - e when e is given.
constexpr long long kMinimalExponent = -2;
long long MinimalExponentWidth(long long w, long long e)
{
    return w != 0 ? e : e <= 0 ? kMinimalExponent : kMinimalExponent - e;
}

// A number in a field of width 0 with an exponent form: no blanks, and the
// zero before the point where the number with it takes at most 25
// characters (the library's default width of a REAL(8) field).
constexpr std::size_t kDefaultRealWidth = 25;

// The asterisks of a field of width 0 whose exponent does not fit in e
// digits: one for each digit and the sign, and one for the zero before the
// point of an E or D field without digits there while the count stays
// within the default width.
long long MinimalStars(long long nDigits, bool bNeg, const SExactModes& modes, bool bPointZero)
{
    const long long n = nDigits + ((bNeg || modes.nPlus) ? 1 : 0);
    return bPointZero && n + 1 <= static_cast<long long>(kDefaultRealWidth) ? n + 1 : n;
}

std::string LayMinimal(const std::string& sign, const std::string& whole, const std::string& fraction,
                       const std::string& exponent, const SExactModes& modes)
{
    const std::string point = modes.nComma ? "," : ".";
    if (whole.empty() && sign.size() + 2 + fraction.size() + exponent.size() > kDefaultRealWidth)
        return sign + point + fraction + exponent;
    return sign + (whole.empty() ? "0" : whole) + point + fraction + exponent;
}

bool ExponentPart(long long nExp, long long e, char chLetter, std::string& out)
{
    const std::string sign = nExp < 0 ? "-" : "+";
    const std::string digits = std::to_string(nExp < 0 ? -nExp : nExp);
    const long long n = static_cast<long long>(digits.size());
    if (e == kMinimalExponent || (e < kMinimalExponent && nExp == 0)) {
        out = nExp == 0 ? std::string() : std::string(1, chLetter) + sign + digits;
        return true;
    }
    if (e < kMinimalExponent)
        e = -e + kMinimalExponent;  // a width of 0 with e digits
    if (e > 0) {
        if (n > e)
            return false;
        out = std::string(1, chLetter) + sign + Repeated(e - n, '0') + digits;
        return true;
    }
    if (n <= 2)
        out = std::string(1, chLetter) + sign + Repeated(2 - n, '0') + digits;
    else if (n == 3)
        out = sign + digits;
    else
        return false;
    return true;
}

// Ew.d, Ew.dEe and Dw.d with the scale factor k; 0 where the library stops
// with an error (k out of its range, or no digits at all).
int LayExponent(const SRealInput& in, char chLetter, std::string& sample)
{
    const long long k = in.modes.nScale, d = in.d;
    if ((d <= 0 && k == 0) || k <= -d || k >= d + 2)
        return 0;
    const long long nPrecision = k <= 0 ? d + k - 1 : d;
    const ExactRounding mode = EffectiveRounding(in.modes.nRound, nPrecision);
    const long long nConverted = OwnRounding(mode) ? std::max(nPrecision + kGuardDigits, 0LL) : nPrecision;
    const SDecimal& exact = ExactDecimal(in.x);
    const SDecimal v = OwnRounded(Converted(exact, nConverted + 1), k > 0 ? d + 1 : d + k, mode);
    const long long nExp = IsZero(v) ? 0 : v.nExp - k;
    std::string exponent;
    if (!ExponentPart(nExp, MinimalExponentWidth(in.w, in.e), chLetter, exponent)) {
        sample = Asterisks(in.w == 0 ? MinimalStars(k > 0 ? d + 1 : d, v.bNeg, in.modes, k <= 0) : in.w);
        return 1;
    }
    // The digits start at 10^(v.nExp - 1): k of them before the point.
    const long long top = IsZero(v) ? -1 : v.nExp - 1;
    const std::string whole = k > 0 ? DigitsFrom(v, top, top - k + 1) : std::string();
    const std::string fraction = k > 0 ? DigitsFrom(v, top - k, top - d) : DigitsFrom(v, top - k, top - k - d + 1);
    sample = in.w == 0 ? LayMinimal(SignOf(v.bNeg, in.modes), whole, fraction, exponent, in.modes)
                       : Lay(SignOf(v.bNeg, in.modes), whole, fraction, exponent, in.w, IsZero(v), in.modes);
    return 1;
}

// 10^n as the library computes it: repeated products, and the reciprocal
// for a negative n.
double PowerOfTen(long long n)
{
    double r = 1.0;
    for (long long i = 0; i < (n >= 0 ? n : -n) && r < HUGE_VAL; ++i)
        r *= 10;
    return n >= 0 ? r : 1.0 / r;
}

// ESw.d and ESw.dEe: one digit before the point; the scale factor has no effect.
int LayScientific(const SRealInput& in, std::string& sample)
{
    const ExactRounding mode = in.modes.nRound;
    const long long nConverted = OwnRounding(mode) ? in.d + kGuardDigits : in.d;
    const SDecimal v = OwnRounded(Converted(ExactDecimal(in.x), nConverted + 1), in.d + 1, mode);
    const long long top = IsZero(v) ? 0 : v.nExp - 1;
    std::string exponent;
    if (!ExponentPart(top, MinimalExponentWidth(in.w, in.e), 'E', exponent)) {
        sample = Asterisks(in.w == 0 ? MinimalStars(in.d + 1, v.bNeg, in.modes, false) : in.w);
        return 1;
    }
    const std::string whole = DigitsFrom(v, top, top), fraction = DigitsFrom(v, top - 1, top - in.d);
    sample = in.w == 0 ? LayMinimal(SignOf(v.bNeg, in.modes), whole, fraction, exponent, in.modes)
                       : Lay(SignOf(v.bNeg, in.modes), whole, fraction, exponent, in.w, IsZero(v), in.modes);
    return 1;
}

// ENw.d and ENw.dEe: an exponent that is a multiple of three and one to three
// digits before the point. The library converts with as many digits as a
// first estimate of the leading ones asks for, and lays out what that gives.
int LayEngineering(const SRealInput& in, std::string& sample)
{
    const ExactRounding mode = in.modes.nRound;
    const SDecimal& exact = ExactDecimal(in.x);
    // The estimate: the power of ten of the value rounded to one digit, one
    // less when that digit is a 1 that rounding carried into.
    const SDecimal one = Converted(exact, 1);
    long long nPower = IsZero(one) ? 0 : one.nExp - 1;
    if (!IsZero(one) && one.digits == "1") {
        volatile double t = PowerOfTen(-nPower) * std::fabs(in.x);
        t = 1.0 - t;
        if (t > 0)
            --nPower;
    }
    const long long nEstimate = ((nPower % 3) + 3) % 3;
    const long long nConverted = in.d + nEstimate + (OwnRounding(mode) ? kGuardDigits : 0);
    const SDecimal converted = Converted(exact, nConverted + 1);
    const long long top = IsZero(converted) ? 0 : converted.nExp - 1;
    long long nBefore = ((top % 3) + 3) % 3 + 1;
    long long nExp = top - nBefore + 1;
    const SDecimal v = OwnRounded(converted, nBefore + in.d, mode);
    if (!IsZero(v) && v.nExp > converted.nExp && ++nBefore == 4) {
        nBefore = 1;  // a carry into a new power of ten
        nExp += 3;
    }
    std::string exponent;
    if (!ExponentPart(nExp, MinimalExponentWidth(in.w, in.e), 'E', exponent)) {
        sample = Asterisks(in.w == 0 ? MinimalStars(nBefore + in.d, v.bNeg, in.modes, false) : in.w);
        return 1;
    }
    const long long first = nExp + nBefore - 1;
    const std::string whole = DigitsFrom(v, first, first - nBefore + 1);
    const std::string fraction = DigitsFrom(v, first - nBefore, first - nBefore - in.d + 1);
    sample = in.w == 0 ? LayMinimal(SignOf(v.bNeg, in.modes), whole, fraction, exponent, in.modes)
                       : Lay(SignOf(v.bNeg, in.modes), whole, fraction, exponent, in.w, IsZero(v), in.modes);
    return 1;
}

// Which form Gw.d chooses: the digits after the point of its fixed form,
// with d significant digits for a value from about 0.1 to below 10^d, or -1
// for the exponent form. The limits are those the library computes in double
// precision, moved by the rounding mode.
long long GeneralFixedDigits(double x, long long d, ExactRounding mode)
{
    const double m = std::fabs(x);
    const bool bNeg = std::signbit(x);
    double r = 0.5;
    switch (mode) {
    case EXACT_ROUND_ZERO: r = 0.0; break;
    case EXACT_ROUND_UP: r = bNeg ? 0.0 : 1.0; break;
    case EXACT_ROUND_DOWN: r = bNeg ? 1.0 : 0.0; break;
    default: break;
    }
    const double expD = PowerOfTen(d);
    const double rSc = 1 - r / expD;
    volatile double temp = 0.1 * rSc;
    if ((m > 0.0 && (m < temp || (r < 1 && r >= expD - m) || (r == 1 && 1 > expD - m))) || d == 0)
        return -1;
    long long mid = 0, low = 0, high = d + 1, lbound = 0, ubound = d + 1;
    while (low <= high) {
        mid = (low + high) / 2;
        temp = PowerOfTen(mid - 1) * rSc;
        if (m < temp) {
            ubound = mid;
            if (ubound == lbound + 1)
                break;
            high = mid - 1;
        } else if (m > temp) {
            lbound = mid;
            if (ubound == lbound + 1) {
                ++mid;
                break;
            }
            low = mid + 1;
        } else {
            ++mid;
            break;
        }
    }
    return m == 0.0 ? d - 1 : d - mid + 1;
}

// Gw.d and Gw.dEe: the fixed form followed by blanks (four, or e + 2), or
// the exponent form with the scale factor.
int LayGeneral(const SRealInput& in, std::string& sample)
{
    const long long nFixed = GeneralFixedDigits(in.x, in.d, in.modes.nRound);
    if (nFixed < 0)
        return LayExponent(in, 'E', sample);
    long long nPad = in.e <= 0 ? 4 : in.e + 2;
    if (nPad >= in.w)
        nPad = in.w - 1;
    const SRealInput fixed{in.x, in.w - nPad, nFixed, -1, in.modes};
    const std::string body = LayFixed(fixed, 0, in.modes.nRound);
    sample = body.find('*') != std::string::npos ? Asterisks(in.w) : body + Repeated(nPad, ' ');
    return 1;
}

// G0, G0.d and G0.dEe: the general form in the number's own width. G0 takes
// 17 digits, one fewer in the exponent form under a positive scale factor.
// The exponent form is laid out as E0.d; the fixed form has no blanks after
// it and the zero before the point where the number stays within 25
// characters, as in E0.d.
int LayGeneralMinimal(const SRealInput& in, std::string& sample)
{
    const bool bDefaultDigits = in.d == 0;
    const long long d = bDefaultDigits ? 17 : in.d;
    const long long nFixed = GeneralFixedDigits(in.x, d, in.modes.nRound);
    if (nFixed < 0) {
        const long long nCompensate = bDefaultDigits && in.modes.nScale > 0 ? 1 : 0;
        const SRealInput exponent{in.x, 0, d - nCompensate, in.e, in.modes};
        return LayExponent(exponent, 'E', sample);
    }
    // The fixed form in a field wide enough for every double, its blanks cut.
    const SRealInput fixed{in.x, nFixed + 400, nFixed, -1, in.modes};
    sample = LayFixed(fixed, 0, in.modes.nRound);
    sample.erase(0, std::min(sample.find_first_not_of(' '), sample.size()));
    const std::size_t nZero = sample.find_first_not_of("+-");
    if (sample.size() > kDefaultRealWidth && nZero != std::string::npos && nZero + 1 < sample.size() &&
        sample[nZero] == '0' && !IsDigit(sample[nZero + 1]))
        sample.erase(nZero, 1);
    return 1;
}

// ---------------------------------------------------------------------------
// Integers, bits, logicals and characters.

// Iw, Iw.m and the bit forms: m is -1 when not written. A zero with m
// written as 0 prints only blanks.
std::string LayDigits(const std::string& sign, std::string digits, bool bZero, long long w, long long m)
{
    if (m == 0 && bZero)
        return Repeated(w == 0 ? 1 : w, ' ');
    const long long n = static_cast<long long>(digits.size());
    if (m > n)
        digits.insert(0, static_cast<std::size_t>(m - n), '0');
    const std::string body = sign + digits;
    const long long nBody = static_cast<long long>(body.size());
    if (w == 0)
        return body;
    return nBody > w ? Asterisks(w) : Repeated(w - nBody, ' ') + body;
}

std::string LayInteger(long long v, long long w, long long m, const SExactModes& modes)
{
    const bool bNeg = v < 0;
    const unsigned long long u = bNeg ? 0ULL - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
    return LayDigits(bNeg ? "-" : (modes.nPlus ? "+" : ""), std::to_string(u), v == 0, w, m);
}

// The bits of the INTEGER(8), as an unsigned number in the base.
std::string LayBits(long long v, long long w, long long m, int base)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    unsigned long long u = static_cast<unsigned long long>(v);
    std::string digits;
    do {
        digits.insert(digits.begin(), kDigits[u % static_cast<unsigned>(base)]);
        u /= static_cast<unsigned>(base);
    } while (u != 0);
    // The library tests for a zero in the low 32 bits only (its count of
    // bits is passed on as an int), so that 2^32 with m = 0 prints blanks.
    return LayDigits("", digits, static_cast<std::uint32_t>(static_cast<unsigned long long>(v)) == 0, w, m);
}

// ---------------------------------------------------------------------------
// The descriptor's widths, its defaults when written without one (the
// widths the simplified samples take for F, E, I ... alone).

struct SFieldWidths {
    long long w, d, e;
};

SFieldWidths WidthsOf(const SParsedDescriptor& p, SFieldWidths defaults)
{
    if (!p.bHasWidth)
        return defaults;
    return {p.nW, p.nD, p.nE};
}

int BaseOf(DescriptorFamily family)
{
    return family == FAMILY_BINARY ? 2 : family == FAMILY_OCTAL ? 8 : 16;
}

bool HasExponentWidth(DescriptorKind kind)
{
    return kind == KIND_EWDE || kind == KIND_ENWDE || kind == KIND_ESWDE || kind == KIND_GWDE || kind == KIND_E ||
           kind == KIND_EN || kind == KIND_ES;
}

// The default widths of the forms written without a width.
SFieldWidths DefaultWidths(DescriptorKind kind)
{
    switch (FamilyOf(kind)) {
    case FAMILY_INTEGER: return {7, 0, 0};
    case FAMILY_BINARY:
    case FAMILY_HEX: return {8, 0, 0};
    case FAMILY_OCTAL: return {7, 0, 0};
    case FAMILY_LOGICAL: return {2, 0, 0};
    case FAMILY_CHARACTER: return {10, 0, 0};
    default: return {15, 7, HasExponentWidth(kind) ? 2 : 0};
    }
}

// "1234567890123..." of n digits (none for n <= 0).
std::string CountingRun(long long n, long long from = 1, int base = 10)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string s;
    for (long long i = from; i < from + n && i - from < kMaxExactWidth; ++i)
        s += kDigits[i % base];
    return s;
}

std::string RealDefault(const std::string& whole, const std::string& fraction, const std::string& exponent)
{
    std::string text = (whole.empty() ? "0" : whole) + "." + fraction;
    double x = 0;
    if (!exponent.empty() && ReadExactReal(text + "E+" + exponent, x) && std::isfinite(x))
        return text + "E+" + exponent;
    if (!exponent.empty())
        return text + "E+" + exponent.substr(0, 2);
    return text;
}

std::string DefaultValueOf(const SParsedDescriptor& p, const SExactModes& modes);

}  // namespace

ExactRounding RoundingOfText(const std::string& text)
{
    static const std::array<std::pair<const char*, ExactRounding>, 6> kModes{{
        {"RU", EXACT_ROUND_UP},
        {"RD", EXACT_ROUND_DOWN},
        {"RZ", EXACT_ROUND_ZERO},
        {"RN", EXACT_ROUND_NEAREST},
        {"RC", EXACT_ROUND_COMPATIBLE},
        {"RP", EXACT_ROUND_PROCESSOR},
    }};
    for (const auto& [letters, mode] : kModes)
        if (EqualsNoCase(text, letters))
            return mode;
    return EXACT_ROUND_NONE;
}

std::string ExactDefaultValue(const SParsedDescriptor& p, const SExactModes& modes)
{
    // It depends on the kind, the widths and the sign mode alone, and every
    // keystroke asks again for the defaults of the samples it lays out anew:
    // the latest are kept in a small table.
    struct SEntry {
        std::array<long long, 6> key{};
        bool bUsed = false;
        std::string value;
    };
    constexpr std::size_t kEntries = 256;
    auto& table = ThreadTable<std::array<SEntry, kEntries>>();
    const std::array<long long, 6> key{p.nKind, p.bHasWidth ? 1 : 0, p.nW, p.nD, p.nE, modes.nPlus};
    std::size_t nHash = 0;
    for (long long n : key)
        nHash = nHash * 1000003u ^ static_cast<std::size_t>(n);
    SEntry& entry = table[nHash % kEntries];
    if (!entry.bUsed || entry.key != key) {
        entry.value = DefaultValueOf(p, modes);
        entry.key = key;
        entry.bUsed = true;
    }
    return entry.value;
}

namespace {

std::string DefaultValueOf(const SParsedDescriptor& p, const SExactModes& modes)
{
    const DescriptorKind kind = p.nKind;
    const DescriptorFamily family = FamilyOf(kind);
    const SFieldWidths wd = WidthsOf(p, DefaultWidths(kind));
    const long long s = modes.nPlus ? 1 : 0;
    switch (family) {
    case FAMILY_CHARACTER: {
        std::string t;
        for (long long i = 0; i < wd.w && i < kMaxExactWidth; ++i)
            t += static_cast<char>('a' + i % 26);
        return t;
    }
    case FAMILY_LOGICAL: return "T";
    case FAMILY_INTEGER: {
        const bool bWithM = kind == KIND_IWM;
        std::string digits = !bWithM || wd.d == 0 ? CountingRun(wd.w == 0 ? 7 : wd.w - s) : CountingRun(wd.d - s, 0);
        digits = digits.substr(0, 18);
        return digits.empty() ? "0" : digits;
    }
    case FAMILY_BINARY:
    case FAMILY_OCTAL:
    case FAMILY_HEX: {
        const int base = BaseOf(family);
        const bool bWithM = kind == KIND_BWM || kind == KIND_OWM || kind == KIND_ZWM;
        std::string digits = !bWithM || wd.d == 0 ? CountingRun(wd.w == 0 ? (base == 8 ? 7 : 8) : wd.w, 1, base)
                                                  : CountingRun(wd.d - s, 0, base);
        digits = digits.substr(0, base == 2 ? 63 : base == 8 ? 21 : 15);
        // The digits as a decimal value text.
        unsigned long long u = 0;
        for (char c : digits)
            u = u * static_cast<unsigned>(base) + static_cast<unsigned>(IsDigit(c) ? c - '0' : c - 'A' + 10);
        return std::to_string(u);
    }
    case FAMILY_FIXED:
        if (wd.w == 0)
            return "1234567." + CountingRun(wd.d);
        return RealDefault(CountingRun(std::min(wd.w - wd.d - 1 - s, 300LL)), CountingRun(wd.d), "");
    default: break;
    }
    // The minimal widths of the exponent forms and G0 show 1234567.1234567.
    if (wd.w == 0)
        return "1234567.1234567";
    switch (family) {
    case FAMILY_DOUBLE:
    case FAMILY_GENERAL: return RealDefault(CountingRun(std::min(wd.w - wd.d - 5 - s, 300LL)), CountingRun(wd.d), "12");
    case FAMILY_EXPONENT:
    case FAMILY_ENGINEERING:
    case FAMILY_SCIENTIFIC:
        if (wd.e > 0)
            return RealDefault(CountingRun(std::min(wd.w - wd.d - wd.e - 3 - s, 300LL)), CountingRun(wd.d),
                               CountingRun(wd.e));
        return RealDefault(CountingRun(std::min(wd.w - wd.d - 5 - s, 300LL)), CountingRun(wd.d), "12");
    default: return std::string();
    }
}

}  // namespace

int ExactSample(const SParsedDescriptor& p, const SExactModes& modes, const std::string& valueText, std::string& sample)
{
    const DescriptorKind kind = p.nKind;
    const DescriptorFamily family = FamilyOf(kind);
    const SFieldWidths wd = WidthsOf(p, DefaultWidths(kind));
    if (wd.w > kMaxExactWidth || wd.d > kMaxExactWidth || wd.e > kMaxExactWidth || wd.w < 0)
        return 0;
    const std::string value = valueText.empty() ? ExactDefaultValue(p, modes) : valueText;
    switch (family) {
    case FAMILY_CHARACTER:
        if (!p.bHasWidth)
            sample = value;
        else if (static_cast<long long>(value.size()) >= wd.w)
            sample = value.substr(0, static_cast<std::size_t>(wd.w));
        else
            sample = Repeated(wd.w - static_cast<long long>(value.size()), ' ') + value;
        return 1;
    case FAMILY_LOGICAL: {
        bool b = false;
        sample = ReadLogical(value, b) ? Repeated(wd.w - 1, ' ') + (b ? "T" : "F") : Asterisks(wd.w);
        return 1;
    }
    case FAMILY_INTEGER:
    case FAMILY_BINARY:
    case FAMILY_OCTAL:
    case FAMILY_HEX: {
        if (wd.d > wd.w && wd.w > 0)
            return 0;
        long long v = 0;
        if (!ReadInteger(value, v)) {
            sample = Asterisks(std::max(wd.w, 1LL));
            return 1;
        }
        const bool bWithM = kind == KIND_IWM || kind == KIND_BWM || kind == KIND_OWM || kind == KIND_ZWM;
        const long long m = bWithM ? wd.d : -1;
        sample = family == FAMILY_INTEGER ? LayInteger(v, wd.w, m, modes) : LayBits(v, wd.w, m, BaseOf(family));
        return 1;
    }
    case FAMILY_FIXED:
    case FAMILY_DOUBLE:
    case FAMILY_EXPONENT:
    case FAMILY_ENGINEERING:
    case FAMILY_SCIENTIFIC:
    case FAMILY_GENERAL: break;
    default: return 0;
    }
    // G0, G0.d and G0.dEe have a layout of their own; an exponent width after
    // a letter other than E (E12.3D2) the library refuses.
    const bool bGeneralMinimal = wd.w == 0 && family == FAMILY_GENERAL;
    if (p.bHasWidth && HasExponentWidth(kind) && ToUpper(p.chExponentLetter) != 'E')
        return 0;
    double x = 0;
    if (!ReadExactReal(value, x)) {
        sample = Asterisks(std::max(wd.w, 1LL));
        return 1;
    }
    const long long e = HasExponentWidth(kind) ? wd.e : -1;
    // E0.0, ES0.0, EN0.0 and D0.0 show the 17 digits after the point that
    // the library takes for a REAL(8) when the form gives none.
    const long long d = wd.w == 0 && wd.d == 0 && family != FAMILY_FIXED && family != FAMILY_GENERAL ? 17 : wd.d;
    const SRealInput in{x, wd.w, d, e, modes};
    if (!std::isfinite(x)) {
        sample = NotFinite(in);
        return 1;
    }
    switch (family) {
    case FAMILY_FIXED: sample = LayFixed(in, modes.nScale, modes.nRound); return 1;
    case FAMILY_DOUBLE: return LayExponent(in, 'D', sample);
    case FAMILY_EXPONENT: return LayExponent(in, 'E', sample);
    case FAMILY_ENGINEERING: return LayEngineering(in, sample);
    case FAMILY_SCIENTIFIC: return LayScientific(in, sample);
    default: return bGeneralMinimal ? LayGeneralMinimal(in, sample) : LayGeneral(in, sample);
    }
}
