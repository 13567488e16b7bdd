// The compiler-exact samples. A real value is taken apart into the exact
// decimal digits of its double, rounded in the two steps gfortran's run-time
// library takes (the C conversion to nearest, then its own rounding by the
// mode in force) and laid out as that library lays out F, E, D, ES, EN and G
// fields, including the quirks the differential tests found; the integer,
// logical and character kinds are laid out directly.
#include "exact_sample.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <functional>

#include "char_class.h"
#include "descriptor_kind.h"
#include "exact_field.h"
#include "exact_real.h"
#include "sample_number.h"

using namespace exact;

namespace {

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
    SDecimal v;
    if (!ReadDecimal(s.c_str(), SYNTAX_FORTRAN, v))
        return false;
    // The decimal value, correctly rounded to the nearest double (an
    // exponent too large for any field reads as an infinity or a zero).
    c = (v.bNeg ? "-0." : "0.") + v.digits + "e" + std::to_string(v.nExp);
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
    constexpr std::size_t kEntries = 16384;
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

// ---------------------------------------------------------------------------
// Integers, bits, logicals and characters.

// Iw, Iw.m and the bit forms: m is -1 when not written. A zero with m
// written as 0 prints only blanks, a number too wide asterisks.
std::string LayWholeNumber(const std::string& sign, const std::string& digits, bool bZero, long long w, long long m)
{
    if (m == 0 && bZero)
        return Blanks(w == 0 ? 1 : w);
    std::string out;
    return LayDigits(sign, digits, m, w, out) ? out : Asterisks(w);
}

std::string LayInteger(long long v, long long w, long long m, const SNumberModes& modes)
{
    const bool bNeg = v < 0;
    const unsigned long long u = bNeg ? 0ULL - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
    return LayWholeNumber(SignOf(bNeg, modes), std::to_string(u), v == 0, w, m);
}

// The bits of the INTEGER(8), as an unsigned number in the base.
std::string LayBits(long long v, long long w, long long m, int base)
{
    // The library tests for a zero in the low 32 bits only (its count of
    // bits is passed on as an int), so that 2^32 with m = 0 prints blanks.
    const auto u = static_cast<unsigned long long>(v);
    return LayWholeNumber("", DigitsInBase(u, base), static_cast<std::uint32_t>(u) == 0, w, m);
}

// ---------------------------------------------------------------------------
// The default values.

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

std::string DefaultValueOf(const SParsedDescriptor& p, const SNumberModes& modes);

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

std::string ExactDefaultValue(const SParsedDescriptor& p, const SNumberModes& modes)
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

std::string DefaultValueOf(const SParsedDescriptor& p, const SNumberModes& modes)
{
    const DescriptorKind kind = p.nKind;
    const DescriptorFamily family = FamilyOf(kind);
    // The widths bounded as the samples bound them.
    const SFormWidths given = FormWidths(p);
    const SFormWidths wd{std::min(given.w, kMaxExactWidth), std::min(given.d, kMaxExactWidth),
                         std::min(given.e, kMaxExactWidth)};
    const long long s = modes.nPlus ? 1 : 0;
    switch (family) {
    case FAMILY_CHARACTER: return AlphabetRun(wd.w);
    case FAMILY_LOGICAL: return "T";
    case FAMILY_INTEGER: {
        const bool bWithM = IsWrittenWithDigits(kind);
        std::string digits = !bWithM || wd.d == 0 ? CountingRun(wd.w == 0 ? 7 : wd.w - s) : CountingRun(wd.d - s, 0);
        digits = digits.substr(0, 18);
        return digits.empty() ? "0" : digits;
    }
    case FAMILY_BINARY:
    case FAMILY_OCTAL:
    case FAMILY_HEX: {
        const int base = RadixOf(family);
        const bool bWithM = IsWrittenWithDigits(kind);
        std::string digits = !bWithM || wd.d == 0 ? CountingRun(wd.w == 0 ? (base == 8 ? 7 : 8) : wd.w, 1, base)
                                                  : CountingRun(wd.d - s, 0, base);
        digits = digits.substr(0, base == 2 ? 63 : base == 8 ? 21 : 15);
        // The digits as a decimal value text.
        unsigned long long u = 0;
        return ValueOfDigits(digits, base, u) ? std::to_string(u) : "0";
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
    if (!IsRealFamily(family) || family == FAMILY_HEX_REAL)
        return std::string();
    // The exponent has e digits (one for Ew.dE0) where E, EN and ES have an
    // exponent width, else two.
    const long long e = HasExponentWidth(kind) && family != FAMILY_GENERAL ? std::max(wd.e, 1LL) : 2;
    return RealDefault(CountingRun(std::min(wd.w - wd.d - e - 3 - s, 300LL)), CountingRun(wd.d), CountingRun(e));
}

}  // namespace

namespace {

// A, L, I, B, O and Z: the value laid out directly. -1 for another family.
int LayDataSample(const SParsedDescriptor& p, const SFormWidths& wd, const SNumberModes& modes,
                  const std::string& value, std::string& sample)
{
    const DescriptorKind kind = p.nKind;
    const DescriptorFamily family = FamilyOf(kind);
    switch (family) {
    case FAMILY_CHARACTER: sample = p.bHasWidth ? RightAligned(value, wd.w) : value; return 1;
    case FAMILY_LOGICAL:
        if (!LayLogical(value, SYNTAX_FORTRAN, wd.w, sample))
            sample = Asterisks(wd.w);
        return 1;
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
        const long long m = IsWrittenWithDigits(kind) ? wd.d : -1;
        sample = family == FAMILY_INTEGER ? LayInteger(v, wd.w, m, modes) : LayBits(v, wd.w, m, RadixOf(family));
        return 1;
    }
    default: return -1;
    }
}

// The reading of a value text: the one the field keeps, brought up to date,
// or one made now.
const SRealReading& ReadingOf(const std::string& value, SRealReading* pReading, SRealReading& local)
{
    SRealReading& reading = pReading != nullptr ? *pReading : local;
    if (!reading.bTaken || reading.strText != value) {
        reading.strText = value;
        reading.bTaken = true;
        reading.bRead = ReadExactReal(value, reading.x);
        reading.exact = reading.bRead && std::isfinite(reading.x) ? ExactDecimal(reading.x) : SDecimal();
    }
    return reading;
}

// F, D, E, EN, ES and G.
int LayRealSample(const SParsedDescriptor& p, const SFormWidths& wd, const SNumberModes& modes,
                  const std::string& value, std::string& sample, SRealReading* pReading)
{
    const DescriptorKind kind = p.nKind;
    const DescriptorFamily family = FamilyOf(kind);
    // G0, G0.d and G0.dEe have a layout of their own; an exponent width after
    // a letter other than E (E12.3D2) the library refuses.
    const bool bGeneralMinimal = wd.w == 0 && family == FAMILY_GENERAL;
    if (p.bHasWidth && HasExponentWidth(kind) && ToUpper(p.chExponentLetter) != 'E')
        return 0;
    SRealReading local;
    const SRealReading& reading = ReadingOf(value, pReading, local);
    if (!reading.bRead) {
        sample = Asterisks(std::max(wd.w, 1LL));
        return 1;
    }
    const long long e = HasExponentWidth(kind) ? wd.e : -1;
    // E0.0, ES0.0, EN0.0 and D0.0 show the 17 digits after the point that
    // the library takes for a REAL(8) when the form gives none.
    const long long d = wd.w == 0 && wd.d == 0 && family != FAMILY_FIXED && family != FAMILY_GENERAL ? 17 : wd.d;
    const SRealInput in{reading.x, reading.exact, wd.w, d, e, modes};
    if (!std::isfinite(reading.x)) {
        sample = NotFinite(in);
        return 1;
    }
    // F0.d prints every digit before the point: past the bound on a
    // sample's width the exact samples leave it.
    if (family == FAMILY_FIXED && wd.w == 0 && reading.exact.nExp + modes.nScale > kMaxExactWidth)
        return 0;
    switch (family) {
    case FAMILY_FIXED: sample = LayFixed(in, modes.nScale, modes.nRound); return 1;
    case FAMILY_DOUBLE: return LayExponent(in, 'D', sample);
    case FAMILY_EXPONENT: return LayExponent(in, 'E', sample);
    case FAMILY_ENGINEERING: return LayEngineering(in, sample);
    case FAMILY_SCIENTIFIC: return LayScientific(in, sample);
    default: return bGeneralMinimal ? LayGeneralMinimal(in, sample) : LayGeneral(in, sample);
    }
}

}  // namespace

int ExactSample(const SParsedDescriptor& p, const SNumberModes& modes, const std::string& valueText,
                std::string& sample, SRealReading* pReading)
{
    const SFormWidths wd = FormWidths(p);
    if (wd.w > kMaxExactWidth || wd.d > kMaxExactWidth || wd.e > kMaxExactWidth || wd.w < 0)
        return 0;
    const std::string strDefault = valueText.empty() ? ExactDefaultValue(p, modes) : std::string();
    const std::string& value = valueText.empty() ? strDefault : valueText;
    const int nData = LayDataSample(p, wd, modes, value, sample);
    if (nData >= 0)
        return nData;
    if (!IsRealFamily(FamilyOf(p.nKind)) || FamilyOf(p.nKind) == FAMILY_HEX_REAL)
        return 0;
    return LayRealSample(p, wd, modes, value, sample, pReading);
}
