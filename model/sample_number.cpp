#include "sample_number.h"

#include "char_class.h"

#include <algorithm>
#include <climits>

namespace {

// Exponents are held as digit strings; up to this many significant digits
// they are also computed with in 64 bits, where the sums with a scale factor
// of any int cannot overflow. A number with a larger exponent fits no field.
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

std::size_t SignificantLength(const std::string& digits)
{
    std::size_t nFirst = digits.find_first_not_of('0');
    return nFirst == std::string::npos ? 0 : digits.size() - nFirst;
}

long long DigitsValue(const std::string& digits)
{
    long long n = 0;
    for (char c : digits)
        n = n * 10 + (c - '0');
    return n;
}

long long Clamp(long long n, long long lo, long long hi)
{
    return std::min(std::max(n, lo), hi);
}

void Append(std::string& out, long long n, char c)
{
    if (n > 0)
        out.append(static_cast<std::size_t>(n), c);
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

CSampleNumber::CSampleNumber()
{
    SetZero();
}

void CSampleNumber::SetZero()
{
    m_chSign = '+';
    m_chExpSign = '+';
    m_strDigits = "0";
    m_strExponent = "1";
}

bool CSampleNumber::ExponentTooLarge() const
{
    return SignificantLength(m_strExponent) > kMaxExponentDigits;
}

long long CSampleNumber::Exponent() const
{
    if (ExponentTooLarge())
        return m_chExpSign == '-' ? LLONG_MIN / 2 : LLONG_MAX / 2;
    long long n = DigitsValue(m_strExponent);  // leading zeros add nothing
    return m_chExpSign == '-' ? -n : n;
}

int CSampleNumber::GetExponent() const
{
    return static_cast<int>(Clamp(Exponent(), INT_MIN, INT_MAX));
}

int CSampleNumber::Parse(const char* text)
{
    SNumberParts parts;
    if (!ScanNumber(text, SYNTAX_LOOSE, parts))
        return 0;
    m_chSign = parts.chSign;
    if (!parts.strFraction.empty())
        m_strDigits = parts.strInteger + "." + parts.strFraction;
    else
        m_strDigits = parts.strInteger.empty() ? "0" : parts.strInteger;
    if (!parts.strExponent.empty()) {
        m_chExpSign = parts.chExpSign;
        m_strExponent = parts.strExponent;
    } else {
        m_chExpSign = '+';
        m_strExponent = "0";
    }
    Normalize();
    return 1;
}

// Strips leading and trailing zeros and the point from m_strDigits, moving
// the exponent so that it counts the digits before the point.
void CSampleNumber::Normalize()
{
    const std::string& s = m_strDigits;
    std::size_t p = s.find_first_not_of("0.");
    if (p == std::string::npos) {
        SetZero();
        return;
    }
    std::size_t q = s.find('.');
    if (q == std::string::npos)
        q = s.size();
    std::size_t t = s.size() - 1;
    while (t > p && s[t] == '0')
        --t;  // stops at the point too: zeros before it remain

    std::string strDigits;
    strDigits.reserve(t - p + 1);
    for (std::size_t i = p; i <= t; ++i)
        if (s[i] != '.')
            strDigits += s[i];

    if (!ExponentTooLarge()) {
        long long nShift = p < q ? static_cast<long long>(q - p)
                                 : static_cast<long long>(q) - static_cast<long long>(p) + 1;
        long long nExponent = Exponent() + nShift;
        m_chExpSign = nExponent < 0 ? '-' : '+';
        m_strExponent = std::to_string(nExponent < 0 ? -nExponent : nExponent);
    }
    m_strDigits = std::move(strDigits);
}

int CSampleNumber::FormatInteger(std::string& out, int w, int m) const
{
    if (ExponentTooLarge())
        return 0;
    const long long E = Exponent();
    const long long c = static_cast<long long>(m_strDigits.size());
    const long long f = SignWidth();
    if (E < c)
        return 0;  // the number has a fraction
    const long long z = std::max(0LL, m - E);
    if (E + z + f > w)
        return 0;
    out.clear();
    Append(out, w - E - z - f, ' ');
    if (f)
        out += m_chSign == '-' ? '-' : '+';
    Append(out, z, '0');
    out += m_strDigits;
    Append(out, E - c, '0');
    return 1;
}

// b blanks, the sign, the digits before the point and their trailing zeros,
// the point, the zeros after it, the digits after it and the zeros that
// fill the d places.
void CSampleNumber::AppendPointed(std::string& out, long long b, const SPointLayout& layout) const
{
    out.clear();
    Append(out, b, ' ');
    if (SignWidth())
        out += m_chSign == '-' ? '-' : '+';
    out.append(m_strDigits, 0, static_cast<std::size_t>(layout.L));
    Append(out, layout.IZ, '0');
    out += '.';
    Append(out, layout.Z, '0');
    out.append(m_strDigits, static_cast<std::size_t>(layout.L), static_cast<std::size_t>(std::max(0LL, layout.D)));
    Append(out, layout.T, '0');
}

int CSampleNumber::FormatFixed(std::string& out, int w, int d) const
{
    if (ExponentTooLarge())
        return 0;
    const long long c = static_cast<long long>(m_strDigits.size());
    const long long P = Exponent() + m_nScale;
    SPointLayout layout;
    layout.L = Clamp(P, 0, c);
    layout.IZ = std::max(0LL, P - c);
    layout.Z = P < 0 ? std::min(-P, static_cast<long long>(d)) : 0;
    layout.D = c - layout.L;
    layout.T = d - layout.D - layout.Z;
    if (layout.T < 0) {
        layout.D = d - layout.Z;  // the digits beyond the d places are dropped
        layout.T = 0;
    }
    const long long b = w - (SignWidth() + layout.Width());
    if (b < 0)
        return 0;
    AppendPointed(out, b, layout);
    return 1;
}

int CSampleNumber::FormatExponent(std::string& out, int w, int d, int e) const
{
    if (ExponentTooLarge())
        return 0;
    const long long c = static_cast<long long>(m_strDigits.size());
    const long long k = m_nScale;
    const long long X = Exponent() - k;
    SPointLayout layout;
    layout.L = Clamp(k, 0, c);
    layout.IZ = std::max(0LL, k - c);
    layout.Z = std::min(std::max(0LL, -k), static_cast<long long>(d));
    layout.D = c - layout.L;
    if (layout.Z + layout.D > d)
        layout.D = d - layout.Z;
    layout.T = d - layout.D - layout.Z;
    const std::string x = std::to_string(X < 0 ? -X : X);
    const long long EZ = std::max(0LL, e - static_cast<long long>(x.size()));
    const long long b = w - (SignWidth() + layout.Width() + 1 + EZ + static_cast<long long>(x.size()));
    if (b < 0)
        return 0;
    AppendPointed(out, b, layout);
    out += X < 0 ? '-' : '+';
    Append(out, EZ, '0');
    out += x;
    return 1;
}
