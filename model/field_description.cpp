#include "field_description.h"

#include <array>
#include <utility>
#include <vector>

#include "string_table.h"

namespace {

using CParts = std::vector<std::string>;

template <typename... Args>
std::string Words(int nStringId, Args&&... args)
{
    return MessageText(Message(nStringId, std::forward<Args>(args)...));
}

// A count with its noun: the plural text of nStringId, or for 1 the
// singular text the table keeps right after it.
std::string Counted(int nStringId, long long n)
{
    return n == 1 ? Words(nStringId + 1) : Words(nStringId, n);
}

// A text as the line shows it: control characters as "~" (as the strip
// shows them), cut after kShownLength characters.
constexpr std::size_t kShownLength = 24;

std::string Shown(const std::string& strText)
{
    std::string out;
    for (std::size_t i = 0; i < strText.size() && i < kShownLength; ++i)
        out += ShownChar(strText[i]);
    if (strText.size() > kShownLength)
        out += "...";
    return out;
}

std::string Joined(const CParts& parts)
{
    std::string out;
    for (const std::string& part : parts)
        out += (out.empty() ? "" : ", ") + part;
    return out;
}

// The kinds that say one fixed thing.
struct SKindWords {
    DescriptorKind kind;
    int nStringId;
};

constexpr SKindWords kKindWords[] = {
    {KIND_SLASH, IDS_WHAT_RECORD_END}, {KIND_BACKSLASH, IDS_WHAT_NO_LINE_END}, {KIND_COLON, IDS_WHAT_COLON},
    {KIND_SP, IDS_WHAT_SIGN_PLUS},     {KIND_SS, IDS_WHAT_SIGN_SUPPRESS},      {KIND_S, IDS_WHAT_SIGN_DEFAULT},
    {KIND_BN, IDS_WHAT_BLANK_NULL},    {KIND_BZ, IDS_WHAT_BLANK_ZERO},         {KIND_Q, IDS_WHAT_Q},
    {KIND_DC, IDS_WHAT_DECIMAL_COMMA}, {KIND_DP, IDS_WHAT_DECIMAL_POINT},      {KIND_OPEN_ANY, IDS_WHAT_GROUP_ANY},
    {KIND_DT, IDS_WHAT_USER},          {KIND_EMPTY, IDS_WHAT_EMPTY},
};

// The rounding modes by the letter after R.
struct SRoundingWords {
    char chLetter;
    int nStringId;
};

constexpr SRoundingWords kRoundingWords[] = {
    {'U', IDS_WHAT_ROUND_UP},      {'D', IDS_WHAT_ROUND_DOWN},       {'Z', IDS_WHAT_ROUND_ZERO},
    {'N', IDS_WHAT_ROUND_NEAREST}, {'C', IDS_WHAT_ROUND_COMPATIBLE}, {'P', IDS_WHAT_ROUND_PROCESSOR},
};

// What each family of data descriptors prints.
struct SFamilyWords {
    DescriptorFamily family;
    int nStringId;
};

constexpr SFamilyWords kDataWords[] = {
    {FAMILY_INTEGER, IDS_WHAT_INTEGER},       {FAMILY_BINARY, IDS_WHAT_BINARY},
    {FAMILY_OCTAL, IDS_WHAT_OCTAL},           {FAMILY_HEX, IDS_WHAT_HEX},
    {FAMILY_FIXED, IDS_WHAT_FIXED},           {FAMILY_DOUBLE, IDS_WHAT_DOUBLE},
    {FAMILY_EXPONENT, IDS_WHAT_EXPONENT},     {FAMILY_ENGINEERING, IDS_WHAT_ENGINEERING},
    {FAMILY_SCIENTIFIC, IDS_WHAT_SCIENTIFIC}, {FAMILY_GENERAL, IDS_WHAT_GENERAL},
    {FAMILY_HEX_REAL, IDS_WHAT_HEX_REAL},     {FAMILY_LOGICAL, IDS_WHAT_LOGICAL},
    {FAMILY_CHARACTER, IDS_WHAT_CHARACTER},
};

// The kinds written with .d (or .m), and those written with Ee too.
constexpr DescriptorKind kWithDigits[] = {
    KIND_IWM, KIND_BWM,  KIND_OWM,  KIND_ZWM,   KIND_FWD,  KIND_DWD,   KIND_EWD,  KIND_EWDE,
    KIND_GWD, KIND_GWDE, KIND_ENWD, KIND_ENWDE, KIND_ESWD, KIND_ESWDE, KIND_EXWD, KIND_EXWDE,
};
constexpr DescriptorKind kWithExponentDigits[] = {KIND_EWDE, KIND_GWDE, KIND_ENWDE, KIND_ESWDE, KIND_EXWDE};

template <std::size_t N>
bool IsOneOf(DescriptorKind kind, const DescriptorKind (&kinds)[N])
{
    for (DescriptorKind k : kinds)
        if (k == kind)
            return true;
    return false;
}

bool IsDigitsFamily(DescriptorFamily family)
{
    return family == FAMILY_INTEGER || family == FAMILY_BINARY || family == FAMILY_OCTAL || family == FAMILY_HEX;
}

// A descriptor that takes a list item: what it prints, its width, its
// digits, and how many items it takes.
void DataParts(const SParsedDescriptor& p, CParts& parts)
{
    const DescriptorFamily family = FamilyOf(p.nKind);
    for (const SFamilyWords& words : kDataWords)
        if (words.family == family)
            parts.push_back(Words(words.nStringId));
    if (!p.bHasWidth)
        parts.push_back(Words(family == FAMILY_CHARACTER ? IDS_WHAT_ITEM_WIDTH : IDS_WHAT_DEFAULT_WIDTH));
    else
        parts.push_back(p.nW == 0 ? Words(IDS_WHAT_MINIMAL_WIDTH) : Words(IDS_WHAT_WIDTH, p.nW));
    if (IsOneOf(p.nKind, kWithDigits))
        parts.push_back(Counted(IsDigitsFamily(family) ? IDS_WHAT_MIN_DIGITS : IDS_WHAT_DECIMALS, p.nD));
    if (IsOneOf(p.nKind, kWithExponentDigits))
        parts.push_back(p.nE == 0 ? Words(IDS_WHAT_NEEDED_EXPONENT_DIGITS) : Counted(IDS_WHAT_EXPONENT_DIGITS, p.nE));
    if (p.nRepeat > 1)
        parts.push_back(Counted(IDS_WHAT_TIMES, p.nRepeat));
}

// The repeat count of the group a ")" closes (1 for none, 0 for *( ).
long long GroupRepeat(const CDescriptor& close)
{
    int nDepth = 1;
    for (const CDescriptor* p = close.Prev(); p != nullptr; p = p->Prev()) {
        if (p->Kind() == KIND_CLOSE)
            ++nDepth;
        else if (OpensGroup(p->Kind()) && --nDepth == 0)
            return p->Kind() == KIND_OPEN_ANY ? 0 : p->Repeat();
    }
    return 1;
}

// The descriptors that take no list item.
void ControlParts(const CDescriptor& d, const SParsedDescriptor& p, CParts& parts)
{
    for (const SKindWords& words : kKindWords)
        if (words.kind == p.nKind)
            return parts.push_back(Words(words.nStringId));
    switch (p.nKind) {
    case KIND_STRING: return parts.push_back(Counted(IDS_WHAT_STRING, static_cast<long long>(p.strConstant.size())));
    case KIND_HOLLERITH: return parts.push_back(Counted(IDS_WHAT_HOLLERITH, p.nCount));
    case KIND_X: return parts.push_back(Counted(IDS_WHAT_SKIP, 1));
    case KIND_NX: return parts.push_back(Counted(IDS_WHAT_SKIP, p.nCount));
    case KIND_T: return parts.push_back(Words(IDS_WHAT_TAB, p.nCount));
    case KIND_TL: return parts.push_back(Counted(IDS_WHAT_TAB_LEFT, p.nCount));
    case KIND_TR: return parts.push_back(Counted(IDS_WHAT_TAB_RIGHT, p.nCount));
    case KIND_NSLASH: return parts.push_back(Counted(IDS_WHAT_RECORD_ENDS, p.nCount));
    case KIND_P: return parts.push_back(Words(IDS_WHAT_SCALE, p.nCount));
    case KIND_OPEN:
        return parts.push_back(p.nRepeat > 1 ? Counted(IDS_WHAT_GROUP_REPEATED, p.nRepeat) : Words(IDS_WHAT_GROUP));
    case KIND_CLOSE: {
        const long long c = GroupRepeat(d);
        return parts.push_back(c > 1 ? Counted(IDS_WHAT_GROUP_END_PASSES, c - 1) : Words(IDS_WHAT_GROUP_END));
    }
    case KIND_ROUND:
        for (const SRoundingWords& words : kRoundingWords)
            if (words.chLetter == p.chRounding)
                parts.push_back(Words(words.nStringId));
        return;
    default: return;
    }
}

}  // namespace

std::string ColumnsText(const SFieldPlace& place)
{
    std::string strColumns;
    if (place.nWidth <= 0)
        strColumns = Words(IDS_COLUMNS_NONE);
    else if (place.nWidth == 1)
        strColumns = Words(IDS_COLUMNS_ONE, place.nColumn + 1);
    else
        strColumns = Words(IDS_COLUMNS_RANGE, place.nColumn + 1, place.nColumn + place.nWidth);
    if (place.nRecord > 0)
        strColumns = Words(IDS_COLUMNS_RECORD, place.nRecord + 1, strColumns);
    return strColumns;
}

std::string MeaningText(const CDescriptor& d)
{
    CParts parts;
    if (d.Kind() == KIND_EMPTY) {
        parts.push_back(Words(IDS_WHAT_EMPTY));
    } else {
        const SParsedDescriptor& p = d.GoodParsed();
        if (IsDataFamily(FamilyOf(p.nKind)))
            DataParts(p, parts);
        else
            ControlParts(d, p, parts);
    }
    return Joined(parts);
}

std::string RefusalText(const CDescriptor& d)
{
    if (!IsInvalidField(d))
        return std::string();
    const SMessage& why = d.Refusal();
    // A refused character may be a control character: it shows as the strip shows it.
    std::string strReason = MessageText(why.nStringId != 0 ? why : Message(IDS_WHY_NOT_DESCRIPTOR));
    for (char& ch : strReason)
        ch = ShownChar(ch);
    // A refused sample leaves the text row "??????": the sample is what was typed.
    const std::string strTyped = d.IsFromText() ? Shown(d.Text()) : "\"" + Shown(d.Sample()) + "\"";
    return d.IsFromText() && d.Text().find_first_not_of(" \t") == std::string::npos ? strReason
                                                                                    : strTyped + ": " + strReason;
}

std::string InsertRefusalText(const CDescriptorTable& table, const std::string& strText, const CResult& result)
{
    if (result.Ok())
        return std::string();
    // Read alone, as the list reads a new field first.
    CDescriptor d(table);
    d.SetText(strText.c_str());
    if (!d.Evaluate())
        return RefusalText(d);
    return result.Messages().empty() ? std::string() : MessageText(result.Messages().front());
}

std::string DescribeField(const CDescriptor& d, const SFieldPlace& place)
{
    if (IsInvalidField(d))
        return RefusalText(d);
    std::string strLine = d.Kind() == KIND_EMPTY ? MeaningText(d) : Shown(d.Text()) + ": " + MeaningText(d);
    if (place.nWidth > 0)
        strLine += ", " + ColumnsText(place);
    return strLine;
}

std::string DescribeField(const CDescriptorList& list, int index, const std::vector<long long>& widths)
{
    if (index < 0 || index >= list.size())
        return std::string();
    return DescribeField(list.At(index), LayOutFields(list, widths, index + 1)[static_cast<std::size_t>(index)]);
}

std::string TakenBackText(const std::string& strGood, const std::string& strTyped)
{
    return Shown(strGood) + ": " + Words(IDS_WHY_TAKEN_BACK, Shown(strTyped));
}

std::string TextCutText(std::size_t nKept, std::size_t nLeftOut)
{
    return Words(IDS_STATUS_TEXT_CUT, static_cast<long long>(nKept), static_cast<long long>(nLeftOut));
}
