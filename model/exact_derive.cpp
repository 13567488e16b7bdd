// Derivation when the samples are the compiler's: a typed sample is read as
// what gfortran prints (the exponent letter or the sign alone before three
// exponent digits, a negative exponent, the leading zero, G's trailing
// blanks), its shape gives the descriptor, and that descriptor must then
// print the sample's own value exactly as it was typed. A sample that no
// descriptor of the kind prints is refused.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "descriptor.h"
#include "exact_field.h"
#include "sample_derive.h"

namespace {

constexpr long long kDefaultExponentDigits = 2;
// How many doubles on either side of a sample's value are tried.
constexpr int kNeighbours = 2;
// Characters of G's trailing blanks beyond the exponent's digits: the
// exponent letter and its sign.
constexpr long long kGeneralBlanksBeyondDigits = 2;

// E, D, EN, ES, and G in its exponent form. Ew.d prints d digits after the
// point, or d - k + 1 of them after a positive scale factor k.
bool DeriveExponentForm(const std::string& s, const SParsedDescriptor& good, long long nScale, std::string& text)
{
    SExponentShape shape;
    if (!ReadExponentShape(s, SYNTAX_FORTRAN, shape))
        return false;
    const DescriptorFamily family = FamilyOf(good.nKind);
    const bool bScaled = family == FAMILY_EXPONENT || family == FAMILY_DOUBLE || family == FAMILY_GENERAL;
    const long long d = shape.nAfter + (bScaled && nScale > 0 ? nScale - 1 : 0);
    const long long w = static_cast<long long>(s.size());
    // Without a letter the exponent took three digits in the form without Ee.
    long long e = 0;
    if (shape.bLetter && (shape.nExponentDigits != kDefaultExponentDigits || IsWrittenWithExponent(good.nKind)))
        e = shape.nExponentDigits;
    if (family == FAMILY_DOUBLE && e > 0)
        return false;
    text = RepeatPrefix(good) + Cased(ExponentFormLetters(family), good.bUpperCase);
    if (IsDefaultForm(good.nKind, w, d) && e == 0)
        return true;
    text += WidthsText(w, d, e > 0 ? 'E' : 0, e, good.bUpperCase);
    return true;
}

// G in its fixed form: F(w - n).(d - k) followed by n blanks, n the exponent's
// width plus two and k the digits before the point (none for a value below
// one; a zero shows d - 1 digits after it).
bool DeriveGeneralFixedForm(const std::string& s, const SParsedDescriptor& good, std::string& text)
{
    const std::size_t nEnd = s.find_last_not_of(' ');
    if (nEnd == std::string::npos)
        return false;
    const long long nBlanks = static_cast<long long>(s.size() - nEnd - 1);
    const long long e = nBlanks - kGeneralBlanksBeyondDigits;
    const std::size_t nPoint = s.find('.');
    if (e < 1 || nPoint == std::string::npos || nPoint > nEnd)
        return false;
    const std::size_t nFirst = s.find_first_of("0123456789");
    const std::string strWhole = nFirst < nPoint ? s.substr(nFirst, nPoint - nFirst) : std::string();
    const long long nAfter = static_cast<long long>(nEnd - nPoint);
    const bool bZeroWhole = strWhole.find_first_not_of('0') == std::string::npos;
    const bool bZero = bZeroWhole && s.find_first_of("123456789", nPoint) > nEnd;
    const long long d = bZero ? nAfter + 1 : nAfter + (bZeroWhole ? 0 : static_cast<long long>(strWhole.size()));
    const long long w = static_cast<long long>(s.size());
    text = RepeatPrefix(good) + Cased("G", good.bUpperCase);
    const bool bExponentWidth = e != kDefaultExponentDigits || IsWrittenWithExponent(good.nKind);
    if (IsDefaultForm(good.nKind, w, d) && !bExponentWidth)
        return true;
    text += WidthsText(w, d, bExponentWidth ? 'E' : 0, e, good.bUpperCase);
    return true;
}

// The value a typed sample holds, as a value text the exact samples read:
// the sample without its blanks, and B, O and Z digits as a decimal
// INTEGER(8) (their bits, so a negative number's 64 bits read back as it).
bool SampleValue(const std::string& s, DescriptorFamily family, std::string& value)
{
    const std::size_t nFirst = s.find_first_not_of(' ');
    if (nFirst == std::string::npos)
        return false;
    value = s.substr(nFirst, s.find_last_not_of(' ') - nFirst + 1);
    if (family != FAMILY_BINARY && family != FAMILY_OCTAL && family != FAMILY_HEX)
        return true;
    unsigned long long u = 0;
    if (!exact::ValueOfDigits(value, RadixOf(family), u))
        return false;
    value = std::to_string(static_cast<long long>(u));
    return true;
}

// The families whose samples show a value the compiler's way (A shows the
// value itself, and EX keeps the simplified sample).
bool PrintsValue(DescriptorFamily family)
{
    return IsDataFamily(family) && family != FAMILY_CHARACTER && family != FAMILY_HEX_REAL;
}

// Whether some value prints as the sample: the value the sample shows, or,
// as a rounding mode other than to nearest may have moved the last digit
// shown by one, one of the doubles next to it.
bool PrintsSample(const SParsedDescriptor& parsed, const SNumberModes& modes, const std::string& value,
                  const std::string& sample)
{
    std::string printed;
    if (ExactSample(parsed, modes, value, printed) && printed == sample)
        return true;
    double x = 0;
    if (!IsRealFamily(FamilyOf(parsed.nKind)) || !ReadExactReal(value, x))
        return false;
    // A zero shown by F after a scale factor: the library prints a zero
    // value itself differently there, but a value too small for the digits
    // shown prints as the sample.
    if (x == 0 && FamilyOf(parsed.nKind) == FAMILY_FIXED && modes.nScale != 0) {
        const std::string tiny = std::string(std::signbit(x) ? "-" : "") + "1E" +
                                 std::to_string(-parsed.nD - 1 - modes.nScale);
        if (ExactSample(parsed, modes, tiny, printed) && printed == sample)
            return true;
    }
    if (modes.nRound == EXACT_ROUND_NONE)
        return false;
    char buffer[40];
    for (double toward : {HUGE_VAL, -HUGE_VAL}) {
        double y = x;
        for (int i = 0; i < kNeighbours; ++i) {
            y = std::nextafter(y, toward);
            std::snprintf(buffer, sizeof buffer, "%.17g", y);
            if (ExactSample(parsed, modes, buffer, printed) && printed == sample)
                return true;
        }
    }
    return false;
}

}  // namespace

int CDescriptor::DeriveExact(const std::string& sample, std::string& text, const SParsedDescriptor& good) const
{
    const DescriptorFamily family = FamilyOf(good.nKind);
    if (!PrintsValue(family))
        return DeriveSimplified(sample, text, good);
    std::string strSample = sample;
    if (m_modes.nComma && IsRealFamily(family))
        std::replace(strSample.begin(), strSample.end(), ',', '.');
    // A minimal width (I0, F0.3, G0) keeps its text when it prints the
    // sample; otherwise the sample's own width is taken.
    SParsedDescriptor from = good;
    if (from.bHasWidth && from.nW == 0)
        from.nW = 1;
    bool bDerived = false;
    if (family == FAMILY_GENERAL)
        bDerived = DeriveExponentForm(strSample, from, Scale(), text) || DeriveGeneralFixedForm(strSample, from, text);
    else if (family == FAMILY_EXPONENT || family == FAMILY_DOUBLE || family == FAMILY_ENGINEERING ||
             family == FAMILY_SCIENTIFIC)
        bDerived = DeriveExponentForm(strSample, from, Scale(), text);
    else
        bDerived = DeriveSimplified(strSample, text, from) != 0;

    // A field of asterisks shows no value's digits.
    std::string value;
    if (sample.find_first_not_of('*') == std::string::npos || !SampleValue(strSample, family, value))
        return 0;
    // F prints the value times 10^k after a scale factor k, and reads a
    // number without an exponent back divided by it.
    if (family == FAMILY_FIXED && Scale() != 0)
        value += "E" + std::to_string(-Scale());
    const SNumberModes& modes = m_modes;
    if (good.bHasWidth && good.nW == 0 && PrintsSample(good, modes, value, sample)) {
        text = m_strGoodText;
        return 1;
    }
    if (!bDerived)
        return 0;
    const SParsedDescriptor derived = ParseDescriptor(text, *m_pTable);
    if (!derived.IsValid())
        return 0;
    // A form the exact samples do not show keeps the simplified samples, and
    // so the simplified reading of the shape.
    std::string strPrinted;
    if (!ExactSample(derived, modes, value, strPrinted))
        return DeriveSimplified(sample, text, good);
    return PrintsSample(derived, modes, value, sample) ? 1 : 0;
}
