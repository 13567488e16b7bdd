#include "exact_real.h"

#include <algorithm>
#include <cmath>

#include "char_class.h"
#include "exact_decimal.h"
#include "exact_field.h"

namespace exact {

// Laying out a real. gfortran converts in two steps, and the samples follow
// them: the C library's conversion, rounded to nearest at a precision the
// descriptor fixes, and then, under RU, RD, RZ, RN and RC, its own rounding of
// those digits to the ones shown. For its own rounding it converts 20 guard
// digits more than it shows (2 × 8 + 4 for a REAL(8)), so a value whose
// digits lie beyond them rounds as if it were zero.

namespace {

constexpr long long kGuardDigits = 2 * 8 + 4;

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
SDecimal OwnRounded(SDecimal v, long long nKeep, ExactRounding mode)
{
    return OwnRounding(mode) ? Rounded(v, nKeep, mode) : v;
}

}  // namespace

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
    std::string s = Blanks(nb);
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

bool LayInField(const SFieldParts& parts, long long w, FieldRule rule, const SNumberModes& modes, std::string& out)
{
    const bool bCompiler = rule == FIELD_COMPILER;
    const long long nSign = static_cast<long long>(parts.sign.size());
    const long long nBody = static_cast<long long>(parts.whole.size() + parts.fraction.size() + parts.exponent.size()) +
                            1;
    if (w <= 0 && bCompiler) {
        const long long d = static_cast<long long>(parts.fraction.size());
        w = parts.bZero ? d + nSign + 1 + (d == 0 ? 1 : 0) : std::max(nBody + nSign, 2LL);
    }
    long long nBlanks = w - nBody - nSign;
    if (nBlanks < 0 || (bCompiler && (w == 1 || (w == 2 && nSign > 0)))) {
        out = bCompiler ? Asterisks(w) : std::string();
        return false;
    }
    const bool bLeadZero = bCompiler && parts.whole.empty() && nBlanks > 0;
    if (bLeadZero)
        --nBlanks;
    out.clear();
    out.reserve(static_cast<std::size_t>(w));
    out.append(static_cast<std::size_t>(nBlanks), ' ').append(parts.sign);
    if (bLeadZero)
        out += '0';
    out.append(parts.whole).append(1, bCompiler && modes.nComma ? ',' : '.').append(parts.fraction);
    out.append(parts.exponent);
    return true;
}

namespace {

// One number in its field under the compiler's rule; asterisks where it
// does not fit.
std::string Lay(const std::string& sign, const std::string& whole, const std::string& fraction,
                const std::string& exponent, long long w, bool bZero, const SNumberModes& modes)
{
    std::string out;
    LayInField(SFieldParts{sign, whole, fraction, exponent, bZero}, w, FIELD_COMPILER, modes, out);
    return out;
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

// Where the shifted digits stand in the buffer: nDigits of them, nZero zeros
// after the point before them, nAfter places after the point, nShownBefore
// digits before it.
struct SShiftedDigits {
    SShiftedBuffer b;
    long long nDigits = 0, nZero = 0, nAfter = 0, nShownBefore = 0;
};

// The library's shift of the converted digits past the point.
SShiftedDigits Shifted(const SDecimal& converted, long long nBefore, long long nPlaces, long long d, long long k,
                       bool bOwn)
{
    SShiftedDigits s;
    SShiftedBuffer& b = s.b;
    b.buf = "+" + DigitsFrom(converted, nBefore - 1, 0) + "." + DigitsFrom(converted, -1, -nPlaces) + '\0';
    s.nDigits = nBefore + nPlaces;
    s.nZero = -(nBefore + k);
    b.Move(1, 0, nBefore);
    s.nAfter = d - s.nZero;
    if (s.nAfter == 0 && d > 0) {
        b.Move(1, 0, s.nDigits - 1);
        b.Set(1, '0');
        s.nAfter = 1;
        s.nZero = d - 1;
    } else if (s.nAfter < 0) {
        for (long long i = 0; i < s.nDigits; ++i)
            b.Set(i, '0');
        b.Set(s.nDigits - 1, '1');
        s.nAfter = d;
        s.nZero = 0;
    }
    if (bOwn)
        b.Move(0, 1, s.nDigits);
    return s;
}

// The digit from which the library's own rounding rounds the shifted digits
// up; 0 for no rounding.
char RoundingDigit(const SShiftedDigits& s, ExactRounding mode, bool bNeg)
{
    switch (mode) {
    case EXACT_ROUND_UP:
    case EXACT_ROUND_DOWN:
        if (bNeg == (mode == EXACT_ROUND_DOWN))
            for (long long i = s.nAfter; i < s.nDigits; ++i)
                if (s.b.At(i) != '0')
                    return '0';
        return 0;
    case EXACT_ROUND_NEAREST: {
        if (s.b.At(s.nAfter) != '5')
            return '5';
        bool bTie = true;
        for (long long i = s.nAfter + 1; i < s.nDigits; ++i)
            bTie = bTie && s.b.At(i) == '0';
        const char chLast = s.b.At(s.nAfter - 1);
        return bTie && !(IsDigit(chLast) && (chLast - '0') % 2 == 1) ? 0 : '5';
    }
    case EXACT_ROUND_COMPATIBLE: return '5';
    default: return 0;
    }
}

// The library's own rounding of the shifted digits from chRound up.
void RoundShifted(SShiftedDigits& s, char chRound)
{
    SShiftedBuffer& b = s.b;
    if (s.nAfter == 0) {
        s.nDigits = 0;
        if (b.At(0) >= chRound) {
            s.nShownBefore = 1;
            --b.o;
            b.Set(0, '1');
            s.nDigits = 1;
        }
        return;
    }
    if (s.nAfter >= s.nDigits)
        return;
    long long i = s.nDigits = s.nAfter;
    if (b.At(i) < chRound)
        return;
    for (--i; i >= 0; --i) {
        if (b.At(i) != '9') {
            b.Set(i, static_cast<char>(b.At(i) + 1));
            return;
        }
        b.Set(i, '0');
    }
    --b.o;
    b.Set(0, '1');
    if (s.nZero > 0) {
        --s.nZero;
        ++s.nAfter;
    } else {
        ++s.nShownBefore;
    }
}

std::string LayFixedShiftedOut(const SRealInput& in, const SDecimal& converted, long long nBefore, long long nPlaces,
                               long long k, ExactRounding mode, bool bExactZero)
{
    const bool bOwn = OwnRounding(mode);
    SShiftedDigits s = Shifted(converted, nBefore, nPlaces, in.d, k, bOwn);
    const char chRound = bExactZero ? 0 : RoundingDigit(s, mode, converted.bNeg);
    if (chRound != 0)
        RoundShifted(s, chRound);
    bool bZero = true;
    for (long long i = 0; i < s.nDigits; ++i)
        bZero = bZero && s.b.At(i) == '0';

    std::string whole, fraction;
    long long pos = 0;
    for (long long i = 0; i < s.nShownBefore; ++i)
        whole += i < s.nDigits ? s.b.At(pos + i) : '0';
    pos += s.nShownBefore;
    const long long nDigits = std::max(s.nDigits - s.nShownBefore, 0LL);
    if (!bOwn)
        ++pos;
    fraction = Repeated(s.nZero, '0');
    for (long long i = 0; i < s.nAfter; ++i)
        fraction += i < nDigits ? s.b.At(pos + i) : '0';
    return Lay(SignOf(converted.bNeg, in.modes), whole, fraction, "", in.w, bZero, in.modes);
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

}  // namespace

// Fw.d with the scale factor k: the value times 10^k.
std::string LayFixed(const SRealInput& in, long long k, ExactRounding mode)
{
    const long long nPrecision = in.d + k;
    mode = EffectiveRounding(mode, nPrecision);
    const SDecimal& exact = in.exact;
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
    // More digits before the point than the field holds: its asterisks,
    // without building the digits (a scale factor may ask for millions).
    if (in.w > 0 && v.nExp > in.w)
        return Asterisks(in.w);
    // Whether the number is zero is judged on the digits shown, or, where
    // the library's own rounding leaves the digits as converted, on all of
    // them (F0.0 of -0.09 under RU prints asterisks, not -0.).
    const bool bAllDigits = OwnRoundingKeepsDigits(v, v.nExp + in.d, mode);
    const bool bZeroConverted = IsZero(v);
    const long long nKeep = v.nExp + in.d;
    v = OwnRounded(std::move(v), nKeep, mode);
    const std::string whole = v.nExp > 0 ? DigitsFrom(v, v.nExp - 1, 0) : std::string();
    return Lay(SignOf(v.bNeg, in.modes), whole, DigitsFrom(v, -1, -in.d), "", in.w,
               bAllDigits ? bZeroConverted : IsZero(v), in.modes);
}

namespace {

// The exponent part of an E, D, ES or EN field: with e digits when e is
// given, else (e is -1) the letter and two digits, or three digits without
// the letter; an e of 0 (E12.3E0) gives the letter and as many digits as the
// exponent needs. In a field of width 0 an exponent of 0 is left out, and
// without e the exponent has as many digits as it needs: e is then
// kMinimalExponent, or kMinimalExponent - e when e is given.
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
long long MinimalStars(long long nDigits, bool bNeg, const SNumberModes& modes, bool bPointZero)
{
    const long long n = nDigits + ((bNeg || modes.nPlus) ? 1 : 0);
    return bPointZero && n + 1 <= static_cast<long long>(kDefaultRealWidth) ? n + 1 : n;
}

std::string LayMinimal(const std::string& sign, const std::string& whole, const std::string& fraction,
                       const std::string& exponent, const SNumberModes& modes)
{
    const std::string point = modes.nComma ? "," : ".";
    if (whole.empty() && sign.size() + 2 + fraction.size() + exponent.size() > kDefaultRealWidth)
        return sign + point + fraction + exponent;
    return sign + (whole.empty() ? "0" : whole) + point + fraction + exponent;
}

bool ExponentPart(long long nExp, long long e, char chLetter, std::string& out)
{
    const long long n = static_cast<long long>(MagnitudeDigits(nExp).size());
    if (e == kMinimalExponent || (e < kMinimalExponent && nExp == 0)) {
        out = nExp == 0 ? std::string() : chLetter + SignedExponent(nExp, 0);
        return true;
    }
    if (e < kMinimalExponent)
        e = -e + kMinimalExponent;  // a width of 0 with e digits
    if (e == 0)
        e = n;
    if (e > 0 ? n > e : n > 3)
        return false;
    // Without e: the letter and two digits, or three digits without the letter.
    out = e > 0    ? chLetter + SignedExponent(nExp, e)
          : n <= 2 ? chLetter + SignedExponent(nExp, 2)
                   : SignedExponent(nExp, 3);
    return true;
}

}  // namespace

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
    const SDecimal& exact = in.exact;
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

namespace {

// 10^n as the library computes it: repeated products, and the reciprocal
// for a negative n.
double PowerOfTen(long long n)
{
    double r = 1.0;
    for (long long i = 0; i < (n >= 0 ? n : -n) && r < HUGE_VAL; ++i)
        r *= 10;
    return n >= 0 ? r : 1.0 / r;
}

}  // namespace

// ESw.d and ESw.dEe: one digit before the point; the scale factor has no effect.
int LayScientific(const SRealInput& in, std::string& sample)
{
    const ExactRounding mode = in.modes.nRound;
    const long long nConverted = OwnRounding(mode) ? in.d + kGuardDigits : in.d;
    const SDecimal v = OwnRounded(Converted(in.exact, nConverted + 1), in.d + 1, mode);
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
    const SDecimal& exact = in.exact;
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

namespace {

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

}  // namespace

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
    const SRealInput fixed{in.x, in.exact, in.w - nPad, nFixed, -1, in.modes};
    const std::string body = LayFixed(fixed, 0, in.modes.nRound);
    sample = body.find('*') != std::string::npos ? Asterisks(in.w) : body + Blanks(nPad);
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
        const SRealInput exponent{in.x, in.exact, 0, d - nCompensate, in.e, in.modes};
        return LayExponent(exponent, 'E', sample);
    }
    // The fixed form in a field wide enough for every double, its blanks cut.
    const SRealInput fixed{in.x, in.exact, nFixed + 400, nFixed, -1, in.modes};
    sample = LayFixed(fixed, 0, in.modes.nRound);
    sample.erase(0, std::min(sample.find_first_not_of(' '), sample.size()));
    const std::size_t nZero = sample.find_first_not_of("+-");
    if (sample.size() > kDefaultRealWidth && nZero != std::string::npos && nZero + 1 < sample.size() &&
        sample[nZero] == '0' && !IsDigit(sample[nZero + 1]))
        sample.erase(nZero, 1);
    return 1;
}

}  // namespace exact
