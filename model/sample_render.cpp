// Rendering: the sample one pass of a classified descriptor prints, either a
// default built from its widths or a custom value laid out as it would print.
#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "char_class.h"
#include "descriptor_kind.h"
#include "exact_field.h"
#include "exact_sample.h"
#include "sample_number.h"
#include "sample_render.h"
#include "string_table.h"

namespace {

// The strict table's largest width, digit count and position.
constexpr long long kMaxStrictWidth = 999;

// What a renderer needs besides the descriptor itself.
struct SRenderInput {
    const SParsedDescriptor& p;
    DescriptorKind kind;
    const std::string& value;
    const SNumberModes& modes;
    bool bExtended;       // the table in force knows the later forms
    long long nMaxWidth;  // the largest width, digit count or position the table takes
    SMessage* pWhy;       // receives why the descriptor is refused (may be nullptr)
    bool bJudgeOnly;      // only whether the descriptor is valid is asked: its default is not built
};

// Refuses the descriptor, saying why: 0, as a renderer returns it then.
int Refuse(const SRenderInput& in, SMessage why)
{
    if (in.pWhy != nullptr)
        *in.pWhy = std::move(why);
    return 0;
}

// Refuses a width, digit count or position above what the table takes.
int RefuseAbove(const SRenderInput& in, long long n)
{
    return Refuse(in, Message(IDS_WHY_ABOVE_LIMIT, n, in.nMaxWidth));
}

using exact::AlphabetRun;
using exact::Asterisks;
using exact::AtLeastDigits;
using exact::Blanks;
using exact::CountingRun;
using exact::RightAligned;
using exact::SignOf;

// A real field too narrow for any number, its digits and its exponent (F3.3,
// E8.2E4) is still a descriptor: it prints w asterisks, whatever the value.
// A width of 0 that is no minimal width prints nothing at all: no descriptor.
int FieldTooNarrow(const SRenderInput& in, long long w, std::string& sample)
{
    if (w <= 0)
        return Refuse(in, Message(IDS_WHY_ZERO_WIDTH));
    sample = Asterisks(w);
    return 1;
}

// The custom value as the simplified samples read it, cut into w characters
// in the layout of the letter: I with m = n digits, F with d = n, E with
// d = n and e exponent digits; false when it is no number or does not fit.
bool CutCustom(const SRenderInput& in, char chLayout, long long w, long long n, long long e, std::string& out)
{
    exact::SDecimal v;
    if (!exact::ReadDecimal(in.value.c_str(), SYNTAX_LOOSE, v))
        return false;
    if (chLayout == 'I')
        return exact::CutInteger(v, in.modes, w, n, out);
    if (chLayout == 'F')
        return exact::CutFixed(v, in.modes, w, n, out);
    return exact::CutExponent(v, in.modes, w, n, e, out);
}

// The custom value cut into its field, or w asterisks.
int CustomOrAsterisks(const SRenderInput& in, char chLayout, long long w, long long n, long long e, std::string& sample)
{
    if (!CutCustom(in, chLayout, w, n, e, sample))
        sample = Asterisks(w);
    return 1;
}

// A width of 0 asks for the minimal width (I0, F0.d, E0.d, G0 ...): the
// default value, 1234567 or 1234567.1234567, as the descriptor prints it with
// no blanks; a custom value laid out in the widest field and its blanks cut.
// Only the default table knows these forms.
bool IsMinimalWidth(const SRenderInput& in, long long w)
{
    return w == 0 && in.bExtended;
}

std::string WithoutLeadingBlanks(const std::string& s)
{
    const std::size_t n = s.find_first_not_of(' ');
    return n == std::string::npos ? std::string() : s.substr(n);
}

// A custom value in a minimal width: laid out in the widest field, its
// blanks cut; an asterisk where it does not print.
std::string MinimalCustom(const SRenderInput& in, char chLayout, long long n, long long e)
{
    std::string out;
    return CutCustom(in, chLayout, kMaxStrictWidth, n, e, out) ? WithoutLeadingBlanks(out) : std::string("*");
}

int RenderMinimalInteger(const SRenderInput& in, long long m, std::string& sample)
{
    if (m > in.nMaxWidth)
        return RefuseAbove(in, m);
    sample = in.value.empty() ? SignOf(false, in.modes) + AtLeastDigits("1234567", m) : MinimalCustom(in, 'I', m, 0);
    return 1;
}

int RenderMinimalFixed(const SRenderInput& in, long long d, std::string& sample)
{
    if (d > in.nMaxWidth)
        return RefuseAbove(in, d);
    sample = in.value.empty() ? SignOf(false, in.modes) + "1234567." + CountingRun(d) : MinimalCustom(in, 'F', d, 0);
    return 1;
}

// The exponent letter of a form: that of w.dEe as typed, in upper case,
// else D for the D forms and E for the others.
char ExponentLetter(const SRenderInput& in)
{
    if (IsWrittenWithExponent(in.kind))
        return ToUpper(in.p.chExponentLetter);
    return FamilyOf(in.kind) == FAMILY_DOUBLE ? 'D' : 'E';
}

// The default sample of a real field of width w: its digits counted from 1
// before and after the d places of the point, then the exponent part.
std::string CountedReal(const SRenderInput& in, long long w, long long d, const std::string& exponent)
{
    const int s = in.modes.nPlus;
    const long long nBefore = w - d - 1 - static_cast<long long>(exponent.size()) - s;
    return SignOf(false, in.modes) + CountingRun(nBefore) + "." + CountingRun(d) + exponent;
}

// E0.d, D0.d, ES0.d, EN0.d and G0.d print the default value 1234567.1234567
// as 0.123E+7, or, scaled to one or up to three digits, as 1.235E+6.
int RenderMinimalExponent(const SRenderInput& in, long long d, long long e, std::string& sample)
{
    if (d > in.nMaxWidth || e > in.nMaxWidth)
        return RefuseAbove(in, std::max({d, e}));
    if (!in.value.empty()) {
        sample = MinimalCustom(in, 'E', d, std::max(1LL, e));
        return 1;
    }
    const DescriptorFamily family = FamilyOf(in.kind);
    const bool bScaled = family == FAMILY_ENGINEERING || family == FAMILY_SCIENTIFIC;
    sample = SignOf(false, in.modes) + (bScaled ? "1." : "0.") + CountingRun(d) + ExponentLetter(in) + "+" +
             AtLeastDigits(bScaled ? "6" : "7", e);
    return 1;
}

int RenderMinimalRadix(const SRenderInput& in, long long m, int base, std::string& sample);

// A custom value that G0 and G0.d print as a logical or an integer, without
// blanks; false when it is neither.
bool GeneralValueWithoutBlanks(const SRenderInput& in, std::string& sample)
{
    if (exact::LayLogical(in.value, SYNTAX_LOOSE, 1, sample))
        return true;
    std::string out;
    if (!CutCustom(in, 'I', kMaxStrictWidth, 0, 0, out))
        return false;
    sample = WithoutLeadingBlanks(out);
    return true;
}

// G0: the value in the form its type prints in, without blanks.
int RenderGeneralMinimal(const SRenderInput& in, std::string& sample)
{
    if (in.p.nW != 0 || !in.bExtended)
        return Refuse(in, Message(IDS_WHY_G_WIDTH));  // Gw without .d is only valid with a width of 0
    if (in.value.empty())
        sample = SignOf(false, in.modes) + "1234567.1234567";
    else if (!GeneralValueWithoutBlanks(in, sample))
        sample = in.value;
    return 1;
}

int RenderInteger(const SRenderInput& in, std::string& sample)
{
    const SFormWidths wd = FormWidths(in.p);
    const long long w = wd.w, m = wd.d;
    if (IsMinimalWidth(in, w))
        return RenderMinimalInteger(in, m, sample);
    if (w > in.nMaxWidth)
        return RefuseAbove(in, w);
    if (m > w)
        return Refuse(in, Message(IDS_WHY_DIGITS_ABOVE_WIDTH, m, w));
    if (!in.value.empty())
        return CustomOrAsterisks(in, 'I', w, m, 0, sample);
    if (in.bJudgeOnly)
        return 1;
    const int s = in.modes.nPlus;
    if (m == 0)
        sample = SignOf(false, in.modes) + CountingRun(w - s);
    else
        sample = SignOf(false, in.modes) + Blanks(w - m) + CountingRun(m - s, 0);
    return 1;
}

int RenderFixed(const SRenderInput& in, std::string& sample)
{
    const SFormWidths wd = FormWidths(in.p);
    const long long w = wd.w, d = wd.d;
    if (IsMinimalWidth(in, w))
        return RenderMinimalFixed(in, d, sample);
    if (w > in.nMaxWidth || d > in.nMaxWidth)
        return RefuseAbove(in, std::max({w, d}));
    if (!in.value.empty())
        return CustomOrAsterisks(in, 'F', w, d, 0, sample);
    if (w - d - 1 < 0)
        return FieldTooNarrow(in, w, sample);
    if (in.bJudgeOnly)
        return 1;
    sample = CountedReal(in, w, d, std::string());
    return 1;
}

// An exponent width of 0 (E12.3E0) asks for as few exponent digits as the
// exponent needs, at least one; the default table reads it so, as gfortran
// prints it, the strict table refuses it: an exponent part holds a digit.
bool RefusesExponentWidth(const SRenderInput& in, long long e)
{
    return !IsWrittenAlone(in.kind) && e < 1 && !in.bExtended;
}

// Dw.d, Ew.d, ENw.d and ESw.d, their w.dEe forms and D, E, EN and ES alone:
// the exponent takes e digits, where the form has an exponent width, else
// two after its letter and sign (three without the letter in a custom one).
int RenderExponent(const SRenderInput& in, std::string& sample)
{
    const SFormWidths wd = FormWidths(in.p);
    const bool bExponentWidth = HasExponentWidth(in.kind);
    const long long w = wd.w, d = wd.d, e = wd.e;
    if (IsMinimalWidth(in, w))
        return RenderMinimalExponent(in, d, e, sample);
    if (w > in.nMaxWidth || d > in.nMaxWidth || e > in.nMaxWidth)
        return RefuseAbove(in, std::max({w, d, e}));
    if (bExponentWidth && RefusesExponentWidth(in, e))
        return Refuse(in, Message(IDS_WHY_NO_EXPONENT_DIGIT));
    // The default sample of Ew.dE0 counts one exponent digit.
    const long long nDigits = bExponentWidth ? std::max(e, 1LL) : 2;
    if (w - d - nDigits - 3 < 0)
        return FieldTooNarrow(in, w, sample);
    if (!in.value.empty())
        return CustomOrAsterisks(in, 'E', w, d, bExponentWidth ? e : 3, sample);
    if (!in.bJudgeOnly)
        sample = CountedReal(in, w, d, ExponentLetter(in) + ("+" + CountingRun(nDigits)));
    return 1;
}

int RenderGeneral(const SRenderInput& in, std::string& sample)
{
    const bool bExponentWidth = IsWrittenWithExponent(in.kind);
    const SFormWidths wd = FormWidths(in.p);
    const long long w = wd.w, d = wd.d;
    if (IsMinimalWidth(in, w) && (in.kind == KIND_GWD || bExponentWidth)) {
        if (!in.value.empty() && GeneralValueWithoutBlanks(in, sample))
            return 1;
        return RenderMinimalExponent(in, d, wd.e, sample);
    }
    if (w > in.nMaxWidth || d > in.nMaxWidth || wd.e > in.nMaxWidth)
        return RefuseAbove(in, std::max({w, d, wd.e}));
    if (bExponentWidth && RefusesExponentWidth(in, wd.e))
        return Refuse(in, Message(IDS_WHY_NO_EXPONENT_DIGIT));
    if (w - d - 5 < 0)
        return FieldTooNarrow(in, w, sample);
    if (!in.value.empty()) {
        if (exact::LayLogical(in.value, SYNTAX_LOOSE, w, sample))
            return 1;
        if (CutCustom(in, 'I', w, 0, 0, sample) || CutCustom(in, 'E', w, d, 3, sample))
            return 1;
        sample = RightAligned(in.value, w);
        return 1;
    }
    if (in.bJudgeOnly)
        return 1;
    sample = CountedReal(in, w, d, ExponentLetter(in) + std::string("+12"));
    return 1;
}

int RenderLogical(const SRenderInput& in, std::string& sample)
{
    const long long w = FormWidths(in.p).w;
    if (w > in.nMaxWidth)
        return RefuseAbove(in, w);
    if (!in.value.empty()) {
        if (!exact::LayLogical(in.value, SYNTAX_LOOSE, w, sample))
            sample = Asterisks(w);
        return 1;
    }
    sample = Blanks(w - 1) + "T";
    return 1;
}

int RenderCharacter(const SRenderInput& in, std::string& sample)
{
    const long long w = FormWidths(in.p).w;
    if (w > in.nMaxWidth)
        return RefuseAbove(in, w);
    if (!in.value.empty()) {
        sample = IsWrittenAlone(in.kind) ? in.value : RightAligned(in.value, w);
        return 1;
    }
    sample = AlphabetRun(w);
    return 1;
}

// A custom value keeps its w low-order digits, padded with zeros on the left;
// any character that is no digit of the base gives asterisks.
std::string RadixValue(const std::string& value, long long w, int base)
{
    if (!std::all_of(value.begin(), value.end(), [base](char c) { return exact::DigitValue(c, base) >= 0; }))
        return Asterisks(w);
    const long long L = static_cast<long long>(value.size());
    return L <= w ? AtLeastDigits(value, w) : value.substr(static_cast<std::size_t>(L - w));
}

int RenderRadix(const SRenderInput& in, std::string& sample)
{
    const int base = RadixOf(FamilyOf(in.kind));
    const SFormWidths wd = FormWidths(in.p);
    const long long w = wd.w, m = wd.d;
    if (IsMinimalWidth(in, w))
        return RenderMinimalRadix(in, m, base, sample);
    if (w > in.nMaxWidth)
        return RefuseAbove(in, w);
    if (m > w)
        return Refuse(in, Message(IDS_WHY_DIGITS_ABOVE_WIDTH, m, w));
    if (!in.value.empty())
        sample = RadixValue(in.value, w, base);
    else if (m == 0)
        sample = CountingRun(w, 1, base);
    else
        sample = Blanks(w - m) + CountingRun(m - in.modes.nPlus, 0, base);
    return 1;
}

// B0, O0 and Z0: the default digits, or the custom value's, with no blanks
// (brought up to m digits with zeros).
int RenderMinimalRadix(const SRenderInput& in, long long m, int base, std::string& sample)
{
    if (m > in.nMaxWidth)
        return RefuseAbove(in, m);
    if (in.value.empty()) {
        sample = AtLeastDigits(CountingRun(base == 8 ? 7 : 8, 1, base), m);
        return 1;
    }
    const long long L = static_cast<long long>(in.value.size());
    sample = L > kMaxStrictWidth ? Asterisks(1) : RadixValue(in.value, std::max(L, m), base);
    return 1;
}

// EXw.d, EXw.dEe and EX alone (taken as EX15.7): a hexadecimal significand,
// 0X1.hhhP+ee. The default counts its digits; a custom value is converted.
int RenderHexSignificand(const SRenderInput& in, std::string& sample)
{
    const SFormWidths wd = FormWidths(in.p);
    const long long w = wd.w, d = wd.d;
    // EXw.dE0 takes the exponent digits it needs: one in the default sample.
    const long long e = IsWrittenWithExponent(in.kind) ? std::max(wd.e, 1LL) : 2;
    const bool bMinimal = IsMinimalWidth(in, w) || in.kind == KIND_EX;
    if (w > in.nMaxWidth || d > in.nMaxWidth || e > in.nMaxWidth)
        return RefuseAbove(in, std::max({w, d, e}));
    if (!bMinimal && w - d - e - 6 < 0)
        return FieldTooNarrow(in, w, sample);
    if (in.value.empty()) {
        const std::string body = "0X1." + CountingRun(d, 1, 16) + "P+" + CountingRun(e);
        sample = bMinimal ? SignOf(false, in.modes) + body
                          : SignOf(false, in.modes) + Blanks(w - d - e - 6 - in.modes.nPlus) + body;
        return 1;
    }
    char* pEnd = nullptr;
    const double x = std::strtod(in.value.c_str(), &pEnd);
    while (pEnd != nullptr && IsBlank(*pEnd))
        ++pEnd;
    if (pEnd == in.value.c_str() || *pEnd != '\0' || !std::isfinite(x)) {
        sample = Asterisks(bMinimal ? 1 : w);
        return 1;
    }
    std::string text(static_cast<std::size_t>(d) + 32, '\0');
    text.resize(static_cast<std::size_t>(std::snprintf(text.data(), text.size(), "%.*A", static_cast<int>(d), x)));
    // The exponent has at least e digits when EXw.dEe asks for them.
    const std::size_t nExp = text.find('P') + 2;  // past the P and its sign
    const long long nDigits = static_cast<long long>(text.size() - nExp);
    if (IsWrittenWithExponent(in.kind) && nDigits < e)
        text.insert(nExp, static_cast<std::size_t>(e - nDigits), '0');
    if (in.modes.nPlus && text[0] != '-')
        text.insert(0, "+");
    if (bMinimal)
        sample = text;
    else
        sample = static_cast<long long>(text.size()) > w ? Asterisks(w)
                                                         : Blanks(w - static_cast<long long>(text.size())) + text;
    return 1;
}

// A character constant in apostrophes or double quotes prints its characters.
int RenderString(const SRenderInput& in, std::string& sample)
{
    sample = in.p.strConstant;
    return 1;
}

int RenderHollerith(const SRenderInput& in, std::string& sample)
{
    if (in.p.nCount > in.nMaxWidth)
        return RefuseAbove(in, in.p.nCount);
    sample = in.p.strConstant;
    return 1;
}

int RenderEmpty(const SRenderInput&, std::string& sample)
{
    sample.clear();
    return 1;
}

int RenderOneBlank(const SRenderInput&, std::string& sample)
{
    sample = " ";
    return 1;
}

// TRn and nX: n blanks.
int RenderCountedBlanks(const SRenderInput& in, std::string& sample)
{
    if (in.p.nCount > in.nMaxWidth)
        return RefuseAbove(in, in.p.nCount);
    sample = Blanks(in.p.nCount);
    return 1;
}

using RenderFn = int (*)(const SRenderInput&, std::string&);

// How each kind is rendered; the kinds with their own members (T, the group
// close and the mode descriptors) are handled by CDescriptor::Render itself.
constexpr std::array<RenderFn, KIND_COUNT> kRenderers = [] {
    std::array<RenderFn, KIND_COUNT> rules{};
    auto set = [&rules](int kind, RenderFn fn) { rules[static_cast<std::size_t>(kind)] = fn; };
    set(KIND_STRING, RenderString);
    set(KIND_HOLLERITH, RenderHollerith);
    set(KIND_TL, RenderEmpty);
    set(KIND_TR, RenderCountedBlanks);
    set(KIND_NX, RenderCountedBlanks);
    set(KIND_X, RenderOneBlank);
    set(KIND_A, RenderCharacter);
    set(KIND_AW, RenderCharacter);
    set(KIND_I, RenderInteger);
    set(KIND_IW, RenderInteger);
    set(KIND_IWM, RenderInteger);
    set(KIND_F, RenderFixed);
    set(KIND_FWD, RenderFixed);
    set(KIND_D, RenderExponent);
    set(KIND_DWD, RenderExponent);
    set(KIND_E, RenderExponent);
    set(KIND_EWD, RenderExponent);
    set(KIND_EWDE, RenderExponent);
    set(KIND_G, RenderGeneral);
    set(KIND_GWD, RenderGeneral);
    set(KIND_GWDE, RenderGeneral);
    set(KIND_EN, RenderExponent);
    set(KIND_ENWD, RenderExponent);
    set(KIND_ENWDE, RenderExponent);
    set(KIND_ES, RenderExponent);
    set(KIND_ESWD, RenderExponent);
    set(KIND_ESWDE, RenderExponent);
    set(KIND_L, RenderLogical);
    set(KIND_LW, RenderLogical);
    set(KIND_B, RenderRadix);
    set(KIND_BW, RenderRadix);
    set(KIND_BWM, RenderRadix);
    set(KIND_O, RenderRadix);
    set(KIND_OW, RenderRadix);
    set(KIND_OWM, RenderRadix);
    set(KIND_Z, RenderRadix);
    set(KIND_ZW, RenderRadix);
    set(KIND_ZWM, RenderRadix);
    for (int kind : {KIND_OPEN, KIND_BN, KIND_BZ, KIND_Q, KIND_NSLASH, KIND_SLASH, KIND_BACKSLASH, KIND_COLON,
                     KIND_OPEN_ANY, KIND_ROUND, KIND_DT})
        set(kind, RenderEmpty);
    set(KIND_EX, RenderHexSignificand);
    set(KIND_EXWD, RenderHexSignificand);
    set(KIND_EXWDE, RenderHexSignificand);
    set(KIND_GW, RenderGeneralMinimal);
    return rules;
}();

// Whether the sample is a number whose decimal point the decimal mode turns
// into a comma: the real kinds, and a G field unless it shows a value as text.
bool ShowsDecimalPoint(DescriptorKind kind, const std::string& value)
{
    if (!IsRealFamily(FamilyOf(kind)))
        return false;
    const bool bGeneral = FamilyOf(kind) == FAMILY_GENERAL;
    exact::SDecimal v;
    return !bGeneral || value.empty() || exact::ReadDecimal(value.c_str(), SYNTAX_LOOSE, v);
}

}  // namespace

// The sample of a descriptor that prints: its default or its value, in the
// simplified layouts or, where it can, as the compiler prints it.
int RenderSample(const SSampleInput& in, std::string& sample, SMessage* pWhy)
{
    const SParsedDescriptor& parsed = in.parsed;
    const DescriptorKind kind = parsed.nKind;
    const RenderFn render = kRenderers[static_cast<std::size_t>(kind)];
    const long long nMax = in.bExtended ? INT_MAX : kMaxStrictWidth;
    // The descriptor is judged by its default sample, whatever its value: a
    // text that is valid with one value is valid with every other.
    static const std::string kNoValue;
    // Where the compiler's sample replaces it, the default is only judged.
    SRenderInput standard{parsed, kind, kNoValue, in.modes, in.bExtended, nMax, pWhy, in.bExact};
    if (!render(standard, sample))
        return 0;
    // The exact mode shows what gfortran prints where it can; the forms it
    // leaves (those without a value, EX, and those the library stops on,
    // such as a scale factor out of E's range) keep the simplified sample.
    if (in.bExact) {
        std::string strExact;
        if (ExactSample(parsed, in.modes, in.value, strExact, in.pReading)) {
            sample = std::move(strExact);
            return 1;
        }
        standard.bJudgeOnly = false;
        if (!render(standard, sample))
            return 0;
    }
    if (!in.value.empty()) {
        const SRenderInput custom{parsed, kind, in.value, in.modes, in.bExtended, nMax, pWhy, false};
        if (!render(custom, sample))
            return 0;
    }
    if (in.modes.nComma && ShowsDecimalPoint(kind, in.value))
        std::replace(sample.begin(), sample.end(), '.', ',');
    return 1;
}

long long MaxFieldNumber(bool bExtended)
{
    return bExtended ? INT_MAX : kMaxStrictWidth;
}
