// Derivation: from a typed sample and the descriptor's last good form, a new
// descriptor text of the same kind whose widths fit the sample. The repeat
// prefix and the case of the letters are kept.
#include <algorithm>
#include <array>
#include <iterator>
#include <string>

#include "char_class.h"
#include "descriptor.h"
#include "exact_field.h"
#include "sample_derive.h"

namespace {

struct SDeriveInput {
    const std::string& sample;
    const SParsedDescriptor& p;  // the last good text, read
    DescriptorKind kind;
    bool upperCase;

    long long L() const { return static_cast<long long>(sample.size()); }
    std::string Prefix() const { return RepeatPrefix(p); }
    std::string Letters(const char* letters) const { return Cased(letters, upperCase); }
};

using DeriveFn = int (*)(const SDeriveInput&, long long column, std::string&);

// The constant keeps its own delimiter, apostrophe or double quote.
int DeriveString(const SDeriveInput& in, long long, std::string& text)
{
    const char q = in.p.chQuote != 0 ? in.p.chQuote : '\'';
    text = std::string(1, q);
    for (char c : in.sample) {
        text += c;
        if (c == q)
            text += q;
    }
    text += q;
    return 1;
}

int DeriveHollerith(const SDeriveInput& in, long long, std::string& text)
{
    text = std::to_string(in.L()) + in.Letters("H") + in.sample;
    return 1;
}

int DeriveTab(const SDeriveInput& in, long long column, std::string& text)
{
    if (in.sample.empty())
        return 0;
    text = in.Letters("T") + std::to_string(column + in.L());
    return 1;
}

int DeriveTabRight(const SDeriveInput& in, long long, std::string& text)
{
    text = in.Letters("TR") + std::to_string(in.L());
    return 1;
}

int DeriveSkip(const SDeriveInput& in, long long, std::string& text)
{
    text = (in.kind == KIND_X && in.sample.empty()) ? in.Letters("X") : std::to_string(in.L()) + in.Letters("X");
    return 1;
}

// A and L: the width is the sample's length; the width-less form stays when
// the sample has its default width.
int DeriveWidthOnly(const SDeriveInput& in, long long, std::string& text)
{
    text = in.Prefix() + in.Letters(FamilyOf(in.kind) == FAMILY_CHARACTER ? "A" : "L");
    if (!IsDefaultForm(in.kind, in.L(), 0))
        text += std::to_string(in.L());
    return 1;
}

// The letter, the form with m and the base of the digits a sample's digits
// are looked for in, of the integer and radix families (B's are decimal).
struct SDigitFamily {
    DescriptorFamily family;
    const char* pszLetter;
    DescriptorKind withM;
    int nBase;
};

const SDigitFamily& DigitFamilyOf(DescriptorKind kind)
{
    static constexpr SDigitFamily kFamilies[] = {
        {FAMILY_INTEGER, "I", KIND_IWM, 10},
        {FAMILY_BINARY, "B", KIND_BWM, 10},
        {FAMILY_OCTAL, "O", KIND_OWM, 8},
        {FAMILY_HEX, "Z", KIND_ZWM, 16},
    };
    for (const SDigitFamily& family : kFamilies)
        if (family.family == FamilyOf(kind))
            return family;
    return kFamilies[0];
}

int DeriveDigits(const SDeriveInput& in, long long, std::string& text)
{
    if (in.sample.empty())
        return 0;
    const SDigitFamily& family = DigitFamilyOf(in.kind);
    const long long w = in.L();
    long long m = 0;
    std::size_t nFirst = 0;
    while (nFirst < in.sample.size() && exact::DigitValue(in.sample[nFirst], family.nBase) < 0)
        ++nFirst;
    if (nFirst < in.sample.size() && in.sample[nFirst] == '0') {
        m = static_cast<long long>(in.sample.size() - nFirst);  // a leading zero asks for digits
    } else if (in.kind == family.withM) {
        m = in.p.nD;
        if (m > w)
            m = w;
    }
    text = in.Prefix() + in.Letters(family.pszLetter);
    if (IsDefaultForm(in.kind, w, m))
        return 1;
    text += std::to_string(w);
    if (m > 0)
        text += "." + std::to_string(m);
    return 1;
}

int DeriveFixed(const SDeriveInput& in, long long, std::string& text)
{
    const std::size_t nPoint = in.sample.find('.');
    if (nPoint == std::string::npos)
        return 0;
    const long long B = static_cast<long long>(nPoint);
    const long long d = in.L() - B - 1;
    const long long w = B + 1 + d;
    text = in.Prefix() + in.Letters("F");
    if (!IsDefaultForm(in.kind, w, d))
        text += WidthsText(w, d, 0, 0, in.upperCase);
    return 1;
}

int DeriveDouble(const SDeriveInput& in, long long, std::string& text)
{
    const std::size_t nPoint = in.sample.find('.');
    if (nPoint == std::string::npos)
        return 0;
    std::size_t nEnd = in.sample.find('D', nPoint + 1);
    if (nEnd == std::string::npos)
        nEnd = in.sample.size();
    const long long B = static_cast<long long>(nPoint);
    const long long d = static_cast<long long>(nEnd - nPoint - 1);
    const long long w = B + d + 5;  // the exponent always takes four characters
    text = in.Prefix() + in.Letters("D");
    if (!IsDefaultForm(in.kind, w, d))
        text += WidthsText(w, d, 0, 0, in.upperCase);
    return 1;
}

int DeriveExponent(const SDeriveInput& in, long long, std::string& text)
{
    SExponentShape shape;
    if (!ReadExponentShape(in.sample, SYNTAX_LOOSE, shape))
        return 0;
    const long long w = in.L(), d = shape.nAfter, e = shape.nExponentDigits;
    text = in.Prefix() + in.Letters(ExponentFormLetters(FamilyOf(in.kind)));
    if (IsDefaultForm(in.kind, w, d) && e == 2)
        return 1;
    const char chLetter = IsWrittenWithExponent(in.kind) ? in.p.chExponentLetter : 'E';
    text += WidthsText(w, d, e == 2 && chLetter == 'E' ? 0 : chLetter, e, in.upperCase);
    return 1;
}

// EX: the sample 0X1.hhhP+ee gives w, the hexadecimal digits d and the
// exponent digits e; two exponent digits need no Ee part.
int DeriveHexSignificand(const SDeriveInput& in, long long, std::string& text)
{
    const std::string& s = in.sample;
    const std::size_t nPoint = s.find('.');
    const std::size_t nMark = s.find_first_of("Pp", nPoint == std::string::npos ? 0 : nPoint + 1);
    if (nPoint == std::string::npos || nMark == std::string::npos || nMark + 1 >= s.size() ||
        (s[nMark + 1] != '+' && s[nMark + 1] != '-'))
        return 0;
    const long long w = in.L();
    const long long d = static_cast<long long>(nMark - nPoint - 1);
    const long long e = static_cast<long long>(s.size() - nMark - 2);
    text = in.Prefix() + in.Letters("EX");
    if (IsDefaultForm(in.kind, w, d) && e == 2)
        return 1;
    const char chLetter = in.kind == KIND_EXWDE ? in.p.chExponentLetter : 'E';
    text += WidthsText(w, d, e != 2 || in.kind == KIND_EXWDE ? chLetter : 0, e, in.upperCase);
    return 1;
}

// Whether the kind is written with a width token after its letters, which
// may be 0 for the minimal width.
bool HasWidthToken(int kind)
{
    static constexpr int kKinds[] = {KIND_IW,   KIND_IWM,  KIND_FWD,   KIND_DWD,  KIND_EWD,   KIND_EWDE,  KIND_GWD,
                                     KIND_GWDE, KIND_ENWD, KIND_ENWDE, KIND_ESWD, KIND_ESWDE, KIND_BW,    KIND_BWM,
                                     KIND_OW,   KIND_OWM,  KIND_ZW,    KIND_ZWM,  KIND_EXWD,  KIND_EXWDE, KIND_GW};
    return std::find(std::begin(kKinds), std::end(kKinds), kind) != std::end(kKinds);
}

constexpr std::array<DeriveFn, KIND_COUNT> kDerivers = [] {
    std::array<DeriveFn, KIND_COUNT> fns{};
    fns[KIND_STRING] = DeriveString;
    fns[KIND_HOLLERITH] = DeriveHollerith;
    fns[KIND_T] = DeriveTab;
    fns[KIND_TR] = DeriveTabRight;
    fns[KIND_NX] = DeriveSkip;
    fns[KIND_X] = DeriveSkip;
    fns[KIND_A] = fns[KIND_AW] = DeriveWidthOnly;
    fns[KIND_L] = fns[KIND_LW] = DeriveWidthOnly;
    for (int kind :
         {KIND_I, KIND_IW, KIND_IWM, KIND_B, KIND_BW, KIND_BWM, KIND_O, KIND_OW, KIND_OWM, KIND_Z, KIND_ZW, KIND_ZWM})
        fns[static_cast<std::size_t>(kind)] = DeriveDigits;
    fns[KIND_F] = fns[KIND_FWD] = DeriveFixed;
    fns[KIND_D] = fns[KIND_DWD] = DeriveDouble;
    for (int kind : {KIND_E, KIND_EWD, KIND_EWDE, KIND_G, KIND_GWD, KIND_GWDE, KIND_EN, KIND_ENWD, KIND_ENWDE, KIND_ES,
                     KIND_ESWD, KIND_ESWDE})
        fns[static_cast<std::size_t>(kind)] = DeriveExponent;
    fns[KIND_EX] = fns[KIND_EXWD] = fns[KIND_EXWDE] = DeriveHexSignificand;
    return fns;
}();

}  // namespace

std::string Cased(const std::string& letters, bool bUpper)
{
    std::string s = letters;
    for (char& c : s)
        c = bUpper ? ToUpper(c) : ToLower(c);
    return s;
}

const char* ExponentFormLetters(DescriptorFamily family)
{
    static const std::array<std::pair<DescriptorFamily, const char*>, 4> kLetters{{
        {FAMILY_DOUBLE, "D"},
        {FAMILY_ENGINEERING, "EN"},
        {FAMILY_SCIENTIFIC, "ES"},
        {FAMILY_GENERAL, "G"},
    }};
    for (const auto& [f, letters] : kLetters)
        if (f == family)
            return letters;
    return "E";
}

bool IsDefaultForm(DescriptorKind kind, long long w, long long d)
{
    const SFormWidths widths = DefaultWidths(kind);
    return IsWrittenAlone(kind) && widths.w == w && widths.d == d;
}

std::string WidthsText(long long w, long long d, char chLetter, long long e, bool bUpper)
{
    std::string text = std::to_string(w) + "." + std::to_string(d);
    if (chLetter != 0)
        text += Cased(std::string(1, chLetter), bUpper) + std::to_string(e);
    return text;
}

bool ReadExponentShape(const std::string& s, NumberSyntax syntax, SExponentShape& shape)
{
    const bool bLoose = syntax == SYNTAX_LOOSE;
    const std::size_t nPoint = s.find('.');
    if (nPoint == std::string::npos)
        return false;
    std::size_t i = nPoint + 1;
    if (bLoose)
        i = s.find_first_of("EDed+", i);
    else
        while (i < s.size() && IsDigit(s[i]))
            ++i;
    if (i == std::string::npos)
        return false;
    shape.nAfter = static_cast<long long>(i - nPoint - 1);
    shape.bLetter = i < s.size() && (ToUpper(s[i]) == 'E' || ToUpper(s[i]) == 'D');
    if (shape.bLetter)
        ++i;
    if (i >= s.size() || (s[i] != '+' && (bLoose || s[i] != '-')))
        return false;
    const std::size_t nDigits = ++i;
    while (i < s.size() && (bLoose || IsDigit(s[i])))
        ++i;
    shape.nExponentDigits = static_cast<long long>(i - nDigits);
    return i == s.size() && (bLoose || i > nDigits);
}

int CDescriptor::Derive(const std::string& sample, std::string& text, const SParsedDescriptor& good) const
{
    return m_bExact ? DeriveExact(sample, text, good) : DeriveSimplified(sample, text, good);
}

int CDescriptor::DeriveSimplified(const std::string& sample, std::string& text, const SParsedDescriptor& good) const
{
    const DescriptorKind kind = good.nKind;
    // A minimal width (I0, F0.3, G0) fits every sample: the text stays.
    if (HasWidthToken(kind) && good.nW == 0) {
        text = m_strGoodText;
        return 1;
    }
    if (!IsKind(kind) || kDerivers[static_cast<std::size_t>(kind)] == nullptr)
        return 0;
    std::string strSample = sample;
    // After DC a real number is typed with a decimal comma, as it is shown.
    if (m_modes.nComma && IsRealFamily(FamilyOf(kind)))
        std::replace(strSample.begin(), strSample.end(), ',', '.');
    const SDeriveInput in{strSample, good, kind, good.bUpperCase};
    const long long nColumn = kind == KIND_T ? PrintColumn() : 0;
    return kDerivers[static_cast<std::size_t>(kind)](in, nColumn, text);
}
