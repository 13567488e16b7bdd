#include "sample_number.h"

#include <algorithm>
#include <utility>

#include "char_class.h"
#include "exact_field.h"
#include "exact_real.h"

namespace {

// Exponents of up to this many significant digits are computed with in 64
// bits, where the sums with a scale factor of any int cannot overflow.
constexpr std::size_t kMaxExponentDigits = 17;

const char* SkipBlanks(const char* p)
{
    while (IsBlank(*p))
        ++p;
    return p;
}

const char* TakeDigits(const char* p, std::string& out)
{
    while (IsDigit(*p))
        out += *p++;
    return p;
}

const char* SkipInner(const char* p, NumberSyntax syntax)
{
    return syntax == SYNTAX_LOOSE ? SkipBlanks(p) : p;
}

bool IsPoint(char c, NumberSyntax syntax)
{
    return c == '.' || (syntax == SYNTAX_FORTRAN && c == ',');
}

bool IsExponentLetter(char c, NumberSyntax syntax)
{
    if (syntax == SYNTAX_FORTRAN)
        c = ToUpper(c);
    return c == 'E' || c == 'D' || (syntax == SYNTAX_FORTRAN && c == 'Q');
}

// The exponent the parts write, or +-kHugeExponent past 17 significant digits.
long long ExponentOf(const SNumberParts& parts)
{
    const std::string& digits = parts.strExponent;
    const std::size_t nFirst = std::min(digits.find_first_not_of('0'), digits.size());
    long long n = 0;
    if (digits.size() - nFirst > kMaxExponentDigits)
        n = exact::kHugeExponent;
    else
        for (std::size_t i = nFirst; i < digits.size(); ++i)
            n = n * 10 + (digits[i] - '0');
    return parts.chExpSign == '-' ? -n : n;
}

}  // namespace

bool ScanNumber(const char* p, NumberSyntax syntax, SNumberParts& parts)
{
    p = SkipBlanks(p);
    if (*p == '+' || *p == '-') {
        parts.chSign = *p++;
        p = SkipInner(p, syntax);
    }
    p = SkipInner(TakeDigits(p, parts.strInteger), syntax);
    if (IsPoint(*p, syntax)) {
        parts.bPoint = true;
        p = SkipInner(TakeDigits(SkipInner(p + 1, syntax), parts.strFraction), syntax);
    }
    bool bMark = false;  // a letter or a sign opens the exponent
    if (IsExponentLetter(*p, syntax)) {
        p = SkipInner(p + 1, syntax);
        bMark = true;
    }
    if (*p == '+' || *p == '-') {
        parts.chExpSign = *p++;
        p = SkipInner(p, syntax);
        bMark = true;
    }
    p = SkipBlanks(TakeDigits(p, parts.strExponent));
    if (*p != '\0')
        return false;
    if (syntax == SYNTAX_LOOSE)
        return true;
    const bool bDigits = !parts.strInteger.empty() || !parts.strFraction.empty();
    return bDigits && bMark == !parts.strExponent.empty();
}

namespace exact {

bool ReadDecimal(const char* text, NumberSyntax syntax, SDecimal& v)
{
    SNumberParts parts;
    if (!ScanNumber(text, syntax, parts))
        return false;
    v.bNeg = parts.chSign == '-';
    // The digits without their leading and trailing zeros; the exponent
    // counts the integer digits after the leading zeros.
    const std::string all = parts.strInteger + parts.strFraction;
    const std::size_t nFirst = all.find_first_not_of('0');
    if (nFirst == std::string::npos) {
        v.digits.clear();
        v.nExp = 0;
        return true;
    }
    const std::size_t nLast = all.find_last_not_of('0');
    v.digits = all.substr(nFirst, nLast - nFirst + 1);
    const long long nExp = ExponentOf(parts);
    const long long nShift = static_cast<long long>(parts.strInteger.size()) - static_cast<long long>(nFirst);
    v.nExp = nExp >= kHugeExponent || nExp <= -kHugeExponent ? nExp : nExp + nShift;
    return true;
}

bool ReadInteger(const std::string& text, long long& v)
{
    SNumberParts parts;
    if (!ScanNumber(text.c_str(), SYNTAX_FORTRAN, parts) || parts.bPoint || !parts.strExponent.empty())
        return false;
    const bool bNeg = parts.chSign == '-';
    unsigned long long u = 0;
    constexpr unsigned long long kLargest = 9223372036854775807ULL;
    if (!ValueOfDigits(parts.strInteger, 10, u) || u > kLargest + (bNeg ? 1 : 0))
        return false;
    v = bNeg ? static_cast<long long>(0ULL - u) : static_cast<long long>(u);
    return true;
}

bool ReadLogical(const std::string& text, NumberSyntax syntax, bool& b)
{
    if (syntax == SYNTAX_LOOSE) {
        static constexpr std::pair<const char*, bool> kSpellings[] = {
            {".TRUE.", true}, {".T.", true}, {".FALSE.", false}, {".F.", false}};
        for (const auto& [spelling, bValue] : kSpellings)
            if (EqualsNoCase(text, spelling)) {
                b = bValue;
                return true;
            }
        return false;
    }
    std::size_t i = text.find_first_not_of(" \t");
    if (i == std::string::npos)
        return false;
    if (text[i] == '.')
        ++i;
    const char c = i < text.size() ? ToUpper(text[i]) : '\0';
    if (c != 'T' && c != 'F')
        return false;
    b = c == 'T';
    return true;
}

bool LayLogical(const std::string& text, NumberSyntax syntax, long long w, std::string& out)
{
    bool b = false;
    if (!ReadLogical(text, syntax, b))
        return false;
    out = Blanks(w - 1) + (b ? "T" : "F");
    return true;
}

namespace {

// The value zero stands in the cut layouts as its one digit, 0.0 × 10^1.
SDecimal CutView(const SDecimal& v)
{
    if (!IsZero(v))
        return v;
    SDecimal zero;
    zero.digits = "0";
    zero.nExp = 1;
    return zero;
}

std::string CutSign(const SDecimal& v, const SNumberModes& modes)
{
    return SignOf(v.bNeg && !IsZero(v), modes);
}

// The sign, the digits of v before the point (those from 10^(nBefore - 1)
// down), the point, the d digits after it and the exponent part,
// right-aligned in w under the simplified rule; false where they do not fit.
// The digits are built only for a field that holds them.
bool CutPointed(const SDecimal& v, const SNumberModes& modes, long long w, long long nBefore, long long d,
                const std::string& exponent, std::string& out)
{
    SFieldParts parts;
    parts.sign = CutSign(v, modes);
    const long long nWidth = static_cast<long long>(parts.sign.size() + exponent.size()) + std::max(nBefore, 0LL) + 1 +
                             d;
    if (nWidth > w)
        return false;
    const SDecimal shown = CutView(v);
    parts.whole = DigitsFrom(shown, nBefore - 1, 0);
    parts.fraction = DigitsFrom(shown, -1, -d);
    parts.exponent = exponent;
    return LayInField(parts, w, FIELD_SIMPLIFIED, modes, out);
}

}  // namespace

bool CutInteger(const SDecimal& v, const SNumberModes& modes, long long w, long long m, std::string& out)
{
    if (HasHugeExponent(v))
        return false;
    const SDecimal shown = CutView(v);
    const long long nDigits = std::max(shown.nExp, m);
    const std::string sign = CutSign(v, modes);
    if (shown.nExp < static_cast<long long>(shown.digits.size()) || nDigits + static_cast<long long>(sign.size()) > w)
        return false;  // a fraction, or too wide
    return LayDigits(sign, DigitsFrom(shown, shown.nExp - 1, 0), m, w, out);
}

bool CutFixed(const SDecimal& v, const SNumberModes& modes, long long w, long long d, std::string& out)
{
    if (HasHugeExponent(v))
        return false;
    SDecimal scaled = CutView(v);
    scaled.nExp += modes.nScale;
    return CutPointed(scaled, modes, w, scaled.nExp, d, std::string(), out);
}

bool CutExponent(const SDecimal& v, const SNumberModes& modes, long long w, long long d, long long e, std::string& out)
{
    if (HasHugeExponent(v))
        return false;
    const long long k = modes.nScale;
    const long long nExp = CutView(v).nExp - k;
    if (1 + std::max(e, static_cast<long long>(MagnitudeDigits(nExp).size())) > w)
        return false;  // the exponent alone does not fit (and is not built)
    SDecimal scaled = CutView(v);
    scaled.nExp = k;
    return CutPointed(scaled, modes, w, k, d, SignedExponent(nExp, e), out);
}

}  // namespace exact
