// Rendering: the sample one pass of a classified descriptor prints, either a
// default built from its widths or a custom value laid out as it would print.
#include <algorithm>
#include <array>

#include "char_class.h"
#include "descriptor.h"
#include "sample_number.h"

namespace {

constexpr long long kMaxWidth = 999;
constexpr int kMaxGroupRepeat = 99;

// What a renderer needs besides the descriptor itself.
struct SRenderInput {
    const CStringArray& tokens;
    int r;                  // 1 when a repeat count leads the text
    DescriptorKind kind;
    const std::string& value;
    bool bWidthless;        // written without a width: the defaults below apply
    int nPlus;              // the plus-sign mode in force
    int nScale;             // the scale factor in force

    long long Number(int offset) const { return CountValue(tokens[static_cast<std::size_t>(r + offset)].c_str()); }
};

std::string Blanks(long long n) { return n > 0 ? std::string(static_cast<std::size_t>(n), ' ') : std::string(); }
std::string Asterisks(long long w) { return w > 0 ? std::string(static_cast<std::size_t>(w), '*') : std::string(); }

// The digits of i mod base for i = from .. to, with 10 to 15 written A to F.
std::string DigitRun(long long from, long long to, int base)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string s;
    for (long long i = from; i <= to; ++i)
        s += kDigits[i % base];
    return s;
}

std::string CountingRun1(long long n) { return DigitRun(1, n, 10); }
std::string SignPrefix(int nPlus) { return nPlus ? "+" : ""; }

// The value's first min(length, w) characters, right-aligned in w.
std::string RightAligned(const std::string& value, long long w)
{
    long long n = std::min(static_cast<long long>(value.size()), w);
    return Blanks(w - n) + value.substr(0, static_cast<std::size_t>(std::max(0LL, n)));
}

// ".TRUE."/".T." and ".FALSE."/".F." as an L field shows them; 0 for another value.
int LogicalValue(const std::string& value, long long w, std::string& sample)
{
    char chLetter = 0;
    if (EqualsNoCase(value, ".TRUE.") || EqualsNoCase(value, ".T."))
        chLetter = 'T';
    else if (EqualsNoCase(value, ".FALSE.") || EqualsNoCase(value, ".F."))
        chLetter = 'F';
    if (chLetter == 0)
        return 0;
    sample = Blanks(w - 1) + chLetter;
    return 1;
}

CSampleNumber NumberFor(const SRenderInput& in)
{
    CSampleNumber number;
    number.SetScale(in.nScale);
    number.SetPlus(in.nPlus);
    return number;
}

// Width, digits and exponent digits of a numeric descriptor, its defaults
// when it was written without a width.
struct SWidths {
    long long w, d, e;
};

SWidths ReadWidths(const SRenderInput& in, SWidths defaults, bool bHasD, bool bHasE)
{
    if (in.bWidthless)
        return defaults;
    return {in.Number(1), bHasD ? in.Number(3) : 0, bHasE ? in.Number(5) : 0};
}

int RenderInteger(const SRenderInput& in, std::string& sample)
{
    const SWidths wd = ReadWidths(in, {7, 0, 0}, in.kind == KIND_IWM, false);
    const long long w = wd.w, m = wd.d;
    if (w > kMaxWidth || m > w)
        return 0;
    if (!in.value.empty()) {
        CSampleNumber number = NumberFor(in);
        if (!number.Parse(in.value.c_str()) || !number.FormatInteger(sample, static_cast<int>(w), static_cast<int>(m)))
            sample = Asterisks(w);
        return 1;
    }
    const int s = in.nPlus;
    if (m == 0)
        sample = SignPrefix(s) + CountingRun1(w - s);
    else
        sample = SignPrefix(s) + Blanks(w - m) + DigitRun(0, m - s - 1, 10);
    return 1;
}

int RenderFixed(const SRenderInput& in, std::string& sample)
{
    const SWidths wd = ReadWidths(in, {15, 7, 0}, true, false);
    const long long w = wd.w, d = wd.d;
    if (w > kMaxWidth)
        return 0;
    if (!in.value.empty()) {
        CSampleNumber number = NumberFor(in);
        if (!number.Parse(in.value.c_str()) || !number.FormatFixed(sample, static_cast<int>(w), static_cast<int>(d)))
            sample = Asterisks(w);
        return 1;
    }
    if (w - d - 1 < 0)
        return 0;
    const int s = in.nPlus;
    sample = SignPrefix(s) + CountingRun1(w - d - 1 - s) + "." + CountingRun1(d);
    return 1;
}

// The exponent letter of a Gw.dEe or Ew.dEe form: the letter as typed, in upper case.
char ExponentLetter(const SRenderInput& in)
{
    return ToUpper(in.tokens[static_cast<std::size_t>(in.r + 4)][0]);
}

int CustomExponent(const SRenderInput& in, long long w, long long d, long long e, std::string& sample)
{
    CSampleNumber number = NumberFor(in);
    if (!number.Parse(in.value.c_str()) ||
        !number.FormatExponent(sample, static_cast<int>(w), static_cast<int>(d), static_cast<int>(e)))
        sample = Asterisks(w);
    return 1;
}

// Dw.d, Ew.d, ENw.d and ESw.d (and D alone): the exponent takes four characters.
int RenderExponentWD(const SRenderInput& in, std::string& sample)
{
    const SWidths wd = ReadWidths(in, {15, 7, 0}, true, false);
    const long long w = wd.w, d = wd.d;
    if (w > kMaxWidth || w - d - 5 < 0)
        return 0;
    if (!in.value.empty())
        return CustomExponent(in, w, d, 3, sample);
    const int s = in.nPlus;
    const bool bDouble = in.kind == KIND_D || in.kind == KIND_DWD;
    sample = SignPrefix(s) + CountingRun1(w - d - 5 - s) + "." + CountingRun1(d) + (bDouble ? "D+12" : "E+12");
    return 1;
}

// Ew.dEe, ENw.dEe and ESw.dEe, and E, EN and ES alone.
int RenderExponentWDE(const SRenderInput& in, std::string& sample)
{
    const SWidths wd = ReadWidths(in, {15, 7, 2}, true, true);
    const long long w = wd.w, d = wd.d, e = wd.e;
    if (w > kMaxWidth || w - d - e - 3 < 0)
        return 0;
    if (!in.value.empty())
        return CustomExponent(in, w, d, e, sample);
    const int s = in.nPlus;
    const char chLetter = in.bWidthless ? 'E' : ExponentLetter(in);
    sample = SignPrefix(s) + CountingRun1(w - d - e - 3 - s) + "." + CountingRun1(d) + chLetter + "+" + CountingRun1(e);
    return 1;
}

int RenderGeneral(const SRenderInput& in, std::string& sample)
{
    const SWidths wd = ReadWidths(in, {15, 7, 0}, true, false);
    const long long w = wd.w, d = wd.d;
    if (w > kMaxWidth || w - d - 5 < 0)
        return 0;
    if (!in.value.empty()) {
        if (LogicalValue(in.value, w, sample))
            return 1;
        CSampleNumber number = NumberFor(in);
        if (number.Parse(in.value.c_str()) &&
            (number.FormatInteger(sample, static_cast<int>(w), 0) ||
             number.FormatExponent(sample, static_cast<int>(w), static_cast<int>(d), 3)))
            return 1;
        sample = RightAligned(in.value, w);
        return 1;
    }
    const int s = in.nPlus;
    const char chLetter = in.kind == KIND_GWDE ? ExponentLetter(in) : 'E';
    sample = SignPrefix(s) + CountingRun1(w - d - 5 - s) + "." + CountingRun1(d) + chLetter + "+12";
    return 1;
}

int RenderLogical(const SRenderInput& in, std::string& sample)
{
    const long long w = in.bWidthless ? 2 : in.Number(1);
    if (w > kMaxWidth)
        return 0;
    if (!in.value.empty()) {
        if (!LogicalValue(in.value, w, sample))
            sample = Asterisks(w);
        return 1;
    }
    sample = Blanks(w - 1) + "T";
    return 1;
}

int RenderCharacter(const SRenderInput& in, std::string& sample)
{
    const long long w = in.bWidthless ? 10 : in.Number(1);
    if (w > kMaxWidth)
        return 0;
    if (!in.value.empty()) {
        sample = in.bWidthless ? in.value : RightAligned(in.value, w);
        return 1;
    }
    sample.clear();
    for (long long i = 0; i < w; ++i)
        sample += static_cast<char>('a' + i % 26);
    return 1;
}

int RadixOf(DescriptorKind kind)
{
    if (kind >= KIND_B && kind <= KIND_BWM)
        return 2;
    return (kind >= KIND_O && kind <= KIND_OWM) ? 8 : 16;
}

bool IsRadixDigit(char c, int base)
{
    if (base == 2)
        return c == '0' || c == '1';
    if (base == 8)
        return IsOctalDigit(c) != 0;
    return IsHexDigit(c);
}

// A custom value keeps its w low-order digits, padded with zeros on the left;
// any character that is no digit of the base gives asterisks.
std::string RadixValue(const std::string& value, long long w, int base)
{
    if (!std::all_of(value.begin(), value.end(), [base](char c) { return IsRadixDigit(c, base); }))
        return Asterisks(w);
    const long long L = static_cast<long long>(value.size());
    if (L <= w)
        return std::string(static_cast<std::size_t>(w - L), '0') + value;
    return value.substr(static_cast<std::size_t>(L - w));
}

int RenderRadix(const SRenderInput& in, std::string& sample)
{
    const int base = RadixOf(in.kind);
    const bool bWithM = in.kind == KIND_BWM || in.kind == KIND_OWM || in.kind == KIND_ZWM;
    const SWidths wd = ReadWidths(in, {base == 8 ? 7 : 8, 0, 0}, bWithM, false);
    const long long w = wd.w, m = wd.d;
    if (w > kMaxWidth || m > w)
        return 0;
    if (!in.value.empty())
        sample = RadixValue(in.value, w, base);
    else if (m == 0)
        sample = DigitRun(1, w, base);
    else
        sample = Blanks(w - m) + DigitRun(0, m - in.nPlus - 1, base);
    return 1;
}

int RenderString(const SRenderInput& in, std::string& sample)
{
    const std::string& token = in.tokens[0];
    if (token.empty() || token[0] != '\'')
        return 0;
    sample.clear();
    std::size_t i = 1;
    for (; i < token.size(); ++i) {
        if (token[i] != '\'') {
            sample += token[i];
        } else if (i + 1 < token.size() && token[i + 1] == '\'') {
            sample += '\'';
            ++i;
        } else {
            break;  // the closing apostrophe
        }
    }
    return (i < token.size() && i + 1 == token.size()) ? 1 : 0;
}

int RenderHollerith(const SRenderInput& in, std::string& sample)
{
    const long long n = in.Number(0);
    if (n > kMaxWidth || n != static_cast<long long>(in.tokens[2].size()))
        return 0;
    sample = in.tokens[2];
    return 1;
}

int RenderBlanks(long long n, std::string& sample)
{
    if (n > kMaxWidth)
        return 0;
    sample = Blanks(n);
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

int RenderTabRight(const SRenderInput& in, std::string& sample) { return RenderBlanks(in.Number(1), sample); }
int RenderSkip(const SRenderInput& in, std::string& sample) { return RenderBlanks(in.Number(0), sample); }

using RenderFn = int (*)(const SRenderInput&, std::string&);

struct SRenderRule {
    RenderFn fn;
    bool bWidthless;
};

// How each kind is rendered; the kinds with their own members (T, the group
// close and the mode descriptors) are handled by CDescriptor::Render itself.
constexpr std::array<SRenderRule, KIND_LAST + 1> kRules = [] {
    std::array<SRenderRule, KIND_LAST + 1> rules{};
    auto set = [&rules](int kind, RenderFn fn, bool bWidthless = false) { rules[static_cast<std::size_t>(kind)] = {fn, bWidthless}; };
    set(KIND_STRING, RenderString);
    set(KIND_HOLLERITH, RenderHollerith);
    set(KIND_TL, RenderEmpty);
    set(KIND_TR, RenderTabRight);
    set(KIND_NX, RenderSkip);
    set(KIND_X, RenderOneBlank);
    set(KIND_A, RenderCharacter, true);
    set(KIND_AW, RenderCharacter);
    set(KIND_I, RenderInteger, true);
    set(KIND_IW, RenderInteger);
    set(KIND_IWM, RenderInteger);
    set(KIND_F, RenderFixed, true);
    set(KIND_FWD, RenderFixed);
    set(KIND_D, RenderExponentWD, true);
    set(KIND_DWD, RenderExponentWD);
    set(KIND_E, RenderExponentWDE, true);
    set(KIND_EWD, RenderExponentWD);
    set(KIND_EWDE, RenderExponentWDE);
    set(KIND_G, RenderGeneral, true);
    set(KIND_GWD, RenderGeneral);
    set(KIND_GWDE, RenderGeneral);
    set(KIND_EN, RenderExponentWDE, true);
    set(KIND_ENWD, RenderExponentWD);
    set(KIND_ENWDE, RenderExponentWDE);
    set(KIND_ES, RenderExponentWDE, true);
    set(KIND_ESWD, RenderExponentWD);
    set(KIND_ESWDE, RenderExponentWDE);
    set(KIND_L, RenderLogical, true);
    set(KIND_LW, RenderLogical);
    set(KIND_B, RenderRadix, true);
    set(KIND_BW, RenderRadix);
    set(KIND_BWM, RenderRadix);
    set(KIND_O, RenderRadix, true);
    set(KIND_OW, RenderRadix);
    set(KIND_OWM, RenderRadix);
    set(KIND_Z, RenderRadix, true);
    set(KIND_ZW, RenderRadix);
    set(KIND_ZWM, RenderRadix);
    for (int kind : {KIND_OPEN, KIND_BN, KIND_BZ, KIND_Q, KIND_NSLASH, KIND_SLASH, KIND_BACKSLASH, KIND_COLON})
        set(kind, RenderEmpty);
    return rules;
}();

}  // namespace

int CDescriptor::Render(std::string& sample, const char* value, DescriptorKind kind,
                        const CStringArray& tokens, int hasRepeat)
{
    if (kind < KIND_FIRST || kind > KIND_LAST)
        return 0;
    switch (kind) {
    case KIND_T: {
        const long long n = CountValue(tokens[1].c_str());
        return n > kMaxWidth ? 0 : RenderBlanks(n - PrintColumn(), sample);
    }
    case KIND_CLOSE: return RenderGroupClose(sample);
    case KIND_P:
        m_nScale = CountValue(tokens[0].c_str());
        sample.clear();
        return 1;
    case KIND_SP:
    case KIND_SS:
    case KIND_S:
        m_bPlus = kind == KIND_SP ? 1 : 0;
        sample.clear();
        return 1;
    default: break;
    }
    const SRenderRule& rule = kRules[static_cast<std::size_t>(kind)];
    const std::string strValue = value;
    const SRenderInput in{tokens, hasRepeat, kind, strValue, rule.bWidthless, m_bPlus, m_nScale};
    return rule.fn(in, sample);
}

// A group's ")" shows the group's extra passes: one pass is what the
// descriptors from the opener up to here print, written c - 1 times for an
// opener with repeat count c.
int CDescriptor::RenderGroupClose(std::string& sample) const
{
    sample.clear();
    const CDescriptor* pOpen = m_pPrev;
    for (int nDepth = 1; pOpen != nullptr; pOpen = pOpen->m_pPrev) {
        if (pOpen->m_nKind == KIND_CLOSE)
            ++nDepth;
        else if (pOpen->m_nKind == KIND_OPEN && --nDepth == 0)
            break;
    }
    if (pOpen == nullptr) {
        sample = INVALID_MARKER;
        return 1;
    }
    const int c = pOpen->m_nRepeat;
    if (c <= 1)
        return 1;
    if (c > kMaxGroupRepeat)
        return 0;

    long long nPass = 0;
    for (const CDescriptor* p = pOpen; p != this; p = p->m_pNext)
        nPass += static_cast<long long>(p->m_strSample.size()) * std::max(0, p->m_nRepeat);
    if (nPass * (c - 1) > MAX_SAMPLE_LENGTH)
        return 0;

    std::string strPass;
    strPass.reserve(static_cast<std::size_t>(nPass));
    for (const CDescriptor* p = pOpen; p != this; p = p->m_pNext)
        for (int i = 0; i < p->m_nRepeat; ++i)
            strPass += p->m_strSample;
    sample.reserve(static_cast<std::size_t>(nPass * (c - 1)));
    for (int i = 1; i < c; ++i)
        sample += strPass;
    return 1;
}
