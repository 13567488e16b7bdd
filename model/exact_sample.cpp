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

std::string LayInteger(long long v, long long w, long long m, const SNumberModes& modes)
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

SFormWidths WidthsOf(const SParsedDescriptor& p)
{
    return FormWidths(p.nKind, p.nW, p.nD, p.nE);
}

// "1234567890123..." of n digits (none for n <= 0).
std::string CountingRun(long long n, long long from = 1, int base = 10)
{
    return DigitRun(from, from + std::min(n, kMaxExactWidth) - 1, base);
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
    const SFormWidths wd = WidthsOf(p);
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
    const SFormWidths wd = WidthsOf(p);
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
