// Derivation: from a typed sample and the descriptor's last good form, a new
// descriptor text of the same kind whose widths fit the sample. The repeat
// prefix and the case of the letters are kept.
#include <algorithm>
#include <array>
#include <iterator>
#include <string>

#include "char_class.h"
#include "descriptor.h"

namespace {

struct SDeriveInput {
    const std::string& sample;
    const SParsedDescriptor& p;  // the last good text, read
    DescriptorKind kind;
    bool upperCase;

    long long L() const { return static_cast<long long>(sample.size()); }
    std::string Prefix() const { return p.bHasRepeat ? p.strRepeat : std::string(); }
    // Letters in the case the old text was written in.
    std::string Letters(const char* letters) const
    {
        std::string s(letters);
        for (char& c : s)
            c = upperCase ? ToUpper(c) : ToLower(c);
        return s;
    }
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
    const bool bCharacter = in.kind == KIND_A || in.kind == KIND_AW;
    const char* pszLetter = bCharacter ? "A" : "L";
    const bool bWidthless = in.kind == (bCharacter ? KIND_A : KIND_L);
    const long long nDefault = bCharacter ? 10 : 2;
    text = in.Prefix() + in.Letters(pszLetter);
    if (!(bWidthless && in.L() == nDefault))
        text += std::to_string(in.L());
    return 1;
}

// The letter, digit test and defaults of the integer and radix families.
struct SDigitFamily {
    const char* pszLetter;
    DescriptorKind widthless;
    DescriptorKind withM;
    long long nDefaultWidth;
    bool (*isDigit)(char);
};

bool IsDecimalDigit(char c)
{
    return IsDigit(c);
}
bool IsOctal(char c)
{
    return IsOctalDigit(c) != 0;
}

const SDigitFamily& DigitFamilyOf(DescriptorKind kind)
{
    static const SDigitFamily kFamilies[] = {
        {"I", KIND_I, KIND_IWM, 7, IsDecimalDigit},
        {"B", KIND_B, KIND_BWM, 8, IsDecimalDigit},
        {"O", KIND_O, KIND_OWM, 7, IsOctal},
        {"Z", KIND_Z, KIND_ZWM, 8, IsHexDigit},
    };
    switch (FamilyOf(kind)) {
    case FAMILY_BINARY: return kFamilies[1];
    case FAMILY_OCTAL: return kFamilies[2];
    case FAMILY_HEX: return kFamilies[3];
    default: return kFamilies[0];
    }
}

int DeriveDigits(const SDeriveInput& in, long long, std::string& text)
{
    if (in.sample.empty())
        return 0;
    const SDigitFamily& family = DigitFamilyOf(in.kind);
    const long long w = in.L();
    long long m = 0;
    std::size_t nFirst = 0;
    while (nFirst < in.sample.size() && !family.isDigit(in.sample[nFirst]))
        ++nFirst;
    if (nFirst < in.sample.size() && in.sample[nFirst] == '0') {
        m = static_cast<long long>(in.sample.size() - nFirst);  // a leading zero asks for digits
    } else if (in.kind == family.withM) {
        m = in.p.nD;
        if (m > w)
            m = w;
    }
    text = in.Prefix() + in.Letters(family.pszLetter);
    if (in.kind == family.widthless && w == family.nDefaultWidth && m == 0)
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
    if (!(in.kind == KIND_F && w == 15 && d == 7))
        text += std::to_string(w) + "." + std::to_string(d);
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
    if (!(in.kind == KIND_D && w == 15 && d == 7))
        text += std::to_string(w) + "." + std::to_string(d);
    return 1;
}

// The letters of the exponent family a kind belongs to.
const char* ExponentLetters(DescriptorKind kind)
{
    switch (FamilyOf(kind)) {
    case FAMILY_GENERAL: return "G";
    case FAMILY_ENGINEERING: return "EN";
    case FAMILY_SCIENTIFIC: return "ES";
    default: return "E";
    }
}

bool IsWidthlessExponent(DescriptorKind kind)
{
    return kind == KIND_E || kind == KIND_G || kind == KIND_EN || kind == KIND_ES;
}

int DeriveExponent(const SDeriveInput& in, long long, std::string& text)
{
    const std::string& s = in.sample;
    const std::size_t nPoint = s.find('.');
    if (nPoint == std::string::npos)
        return 0;
    const std::size_t nMark = s.find_first_of("EDed+", nPoint + 1);
    if (nMark == std::string::npos)
        return 0;
    const bool bLetter = s[nMark] != '+';
    std::size_t nDigits = nMark + 1;
    if (bLetter) {
        if (nDigits >= s.size() || s[nDigits] != '+')
            return 0;  // only a + exponent sign is taken
        ++nDigits;
    }
    const long long B = static_cast<long long>(nPoint);
    const long long d = static_cast<long long>(nMark - nPoint - 1);
    const long long e = static_cast<long long>(s.size() - nDigits);
    const long long w = B + 1 + d + (bLetter ? 1 : 0) + 1 + e;

    text = in.Prefix() + in.Letters(ExponentLetters(in.kind));
    if (IsWidthlessExponent(in.kind) && w == 15 && d == 7 && e == 2)
        return 1;
    text += std::to_string(w) + "." + std::to_string(d);
    const char chLetter = IsWrittenWithExponent(in.kind) ? in.p.chExponentLetter : 'E';
    if (e == 2 && chLetter == 'E')
        return 1;
    text += in.upperCase ? ToUpper(chLetter) : ToLower(chLetter);
    text += std::to_string(e);
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
    if (in.kind == KIND_EX && w == 15 && d == 7 && e == 2)
        return 1;
    text += std::to_string(w) + "." + std::to_string(d);
    if (e != 2 || in.kind == KIND_EXWDE) {
        const char chLetter = in.kind == KIND_EXWDE ? in.p.chExponentLetter : 'E';
        text += in.upperCase ? ToUpper(chLetter) : ToLower(chLetter);
        text += std::to_string(e);
    }
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
