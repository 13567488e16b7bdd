#include "format_portability.h"

#include <algorithm>
#include <array>
#include <string>

#include "char_class.h"
#include "string_table.h"

namespace {

// Where each kind stands in the standards: the first standard that has it,
// the first that has its zero form (w = 0 for a data edit, n = 0 for T, TL,
// TR and nX; STD_NONE where there is no zero form), and the standard that
// deleted it. gfortran 12's -std= verdicts decide where it has one; where
// it is more lenient than the standard, the standard decides (the tests
// say where).
struct SStandardRow {
    DescriptorKind kind;
    FortranStandard first;
    FortranStandard zero = STD_NONE;
    FortranStandard deleted = STD_NONE;
};

constexpr FortranStandard F77 = STD_F77, F90 = STD_F90, F95 = STD_F95, F2003 = STD_F2003, F2008 = STD_F2008,
                          F2018 = STD_F2018, EXT = STD_EXTENSION;

constexpr SStandardRow kStandardRows[] = {
    {KIND_NONE, EXT},
    {KIND_STRING, F77},
    {KIND_HOLLERITH, F77, STD_NONE, F95},
    {KIND_T, F77, EXT},
    {KIND_TL, F77, EXT},
    {KIND_TR, F77, EXT},
    {KIND_NX, F77, EXT},
    {KIND_X, EXT},
    {KIND_A, F77},
    {KIND_AW, F77, EXT},
    {KIND_I, EXT},
    {KIND_IW, F77, F95},
    {KIND_IWM, F77, F95},
    {KIND_F, EXT},
    {KIND_FWD, F77, F95},
    {KIND_D, EXT},
    {KIND_DWD, F77, F2018},
    {KIND_E, EXT},
    {KIND_EWD, F77, F2018},
    {KIND_EWDE, F77, F2018},
    {KIND_G, EXT},
    {KIND_GWD, F77, F2008},
    {KIND_GWDE, F77, EXT},
    {KIND_EN, EXT},
    {KIND_ENWD, F90, F2018},
    {KIND_ENWDE, F90, F2018},
    {KIND_ES, EXT},
    {KIND_ESWD, F90, F2018},
    {KIND_ESWDE, F90, F2018},
    {KIND_L, EXT},
    {KIND_LW, F77, EXT},
    {KIND_B, EXT},
    {KIND_BW, F90, F95},
    {KIND_BWM, F90, F95},
    {KIND_O, EXT},
    {KIND_OW, F90, F95},
    {KIND_OWM, F90, F95},
    {KIND_Z, EXT},
    {KIND_ZW, F90, F95},
    {KIND_ZWM, F90, F95},
    {KIND_OPEN, F77},
    {KIND_CLOSE, F77},
    {KIND_SS, F77},
    {KIND_SP, F77},
    {KIND_S, F77},
    {KIND_P, F77},
    {KIND_BN, F77},
    {KIND_BZ, F77},
    {KIND_Q, EXT},
    {KIND_NSLASH, F90},
    {KIND_SLASH, F77},
    {KIND_BACKSLASH, EXT},
    {KIND_COLON, F77},
    {KIND_OPEN_ANY, F2008},
    {KIND_ROUND, F2003},
    {KIND_DC, F2003},
    {KIND_DP, F2003},
    {KIND_EX, EXT},
    {KIND_EXWD, F2018, F2018},
    {KIND_EXWDE, F2018, F2018},
    {KIND_DT, F2003},
    {KIND_GW, F2008, F2008},
    {KIND_EMPTY, F77},
};

constexpr std::array<SStandardRow, KIND_COUNT> kStandards = [] {
    static_assert(sizeof kStandardRows / sizeof kStandardRows[0] == KIND_COUNT, "every kind has a row");
    std::array<SStandardRow, KIND_COUNT> rows{};
    for (const SStandardRow& row : kStandardRows)
        rows[static_cast<std::size_t>(row.kind)] = row;
    return rows;
}();

// Whether the descriptor is written in its zero form: T0, 0X, I0, F0.3 ...
bool IsZeroForm(const SParsedDescriptor& parsed)
{
    const DescriptorFamily family = FamilyOf(parsed.nKind);
    if (family == FAMILY_TAB || family == FAMILY_TAB_LEFT || family == FAMILY_TAB_RIGHT || parsed.nKind == KIND_NX)
        return parsed.nCount == 0;
    return parsed.bHasWidth && parsed.nW == 0;
}

struct SStandardWord {
    const char* pszWord;
    FortranStandard standard;
    int nNameId;
};

constexpr SStandardWord kStandardWords[] = {
    {"f77", STD_F77, IDS_WHAT_STD_F77},       {"f90", STD_F90, IDS_WHAT_STD_F90},
    {"f95", STD_F95, IDS_WHAT_STD_F95},       {"f2003", STD_F2003, IDS_WHAT_STD_F2003},
    {"f2008", STD_F2008, IDS_WHAT_STD_F2008}, {"f2018", STD_F2018, IDS_WHAT_STD_F2018},
};

}  // namespace

std::optional<FortranStandard> StandardFromWord(std::string_view word)
{
    for (const SStandardWord& entry : kStandardWords)
        if (EqualsNoCase(std::string(word), entry.pszWord))
            return entry.standard;
    return std::nullopt;
}

SStandardSpan StandardsOf(const SParsedDescriptor& parsed)
{
    const SStandardRow& row = IsKind(parsed.nKind) ? kStandards[static_cast<std::size_t>(parsed.nKind)] : kStandards[0];
    SStandardSpan span{row.first, row.deleted};
    if (row.zero != STD_NONE && IsZeroForm(parsed))
        span.first = std::max(span.first, row.zero);
    if (parsed.nKind == KIND_STRING && parsed.chQuote == '"')
        span.first = std::max(span.first, STD_F90);  // FORTRAN 77 has apostrophes only
    if (IsWrittenWithExponent(parsed.nKind) && parsed.nE == 0)
        span.first = std::max(span.first, STD_F2018);  // Ew.dE0: the exponent takes the digits it needs
    return span;
}

namespace {

bool WidthLeftOut(const CDescriptor& field, unsigned)
{
    const SKindTraits& traits = KindTraits(field.Kind());
    return traits.nParts == PARTS_NONE && traits.nDefaultParts != PARTS_NONE &&
           traits.family != FAMILY_CHARACTER;  // A alone takes the item's length in every standard
}

bool IsZeroWidthData(const CDescriptor& field)
{
    return IsDataFamily(FamilyOf(field.Kind())) && field.GoodParsed().bHasWidth && field.GoodParsed().nW == 0;
}

bool ZeroWidthExponent(const CDescriptor& field, unsigned nUses)
{
    const DescriptorFamily family = FamilyOf(field.Kind());
    const bool bExponentFamily = family == FAMILY_EXPONENT || family == FAMILY_DOUBLE || family == FAMILY_ENGINEERING ||
                                 family == FAMILY_SCIENTIFIC;
    return (nUses & FORMAT_USE_OUTPUT) != 0 && bExponentFamily && IsZeroWidthData(field);
}

bool ZeroWidthInput(const CDescriptor& field, unsigned nUses)
{
    return (nUses & FORMAT_USE_INPUT) != 0 && IsZeroWidthData(field);
}

bool IsKindOf(const CDescriptor& field, DescriptorKind kind)
{
    return field.Kind() == kind;
}

// kP in force on E or D editing (and on G, when the value takes the
// exponent form) needs -d < k <= 0 or 0 < k < d+2; the run time refuses
// the value otherwise ("Scale factor out of range in format specifier 'E'
// or 'D'").
bool ScaleAgainstDigits(const CDescriptor& field, unsigned)
{
    const DescriptorFamily family = FamilyOf(field.Kind());
    if (family != FAMILY_EXPONENT && family != FAMILY_DOUBLE && family != FAMILY_GENERAL)
        return false;
    const long long k = field.Modes().nScale;
    const SParsedDescriptor& parsed = field.GoodParsed();
    const long long d = parsed.bHasWidth ? parsed.nD : DefaultWidths(field.Kind()).d;
    if (family == FAMILY_GENERAL && parsed.bHasWidth && parsed.nW == 0)
        return false;  // G0 and G0.d take no scale factor into account
    return k != 0 && (k <= -d || k >= d + 2);
}

struct SFieldCheck {
    PortabilityKind kind;
    bool (*pCheck)(const CDescriptor&, unsigned);
    bool bOwnForm;  // the finding speaks of the field's own form: no standard finding besides
};

constexpr SFieldCheck kFieldChecks[] = {
    {PORT_WIDTH_LEFT_OUT, WidthLeftOut, true},
    {PORT_ZERO_WIDTH_EXPONENT, ZeroWidthExponent, true},
    {PORT_ZERO_WIDTH_INPUT, ZeroWidthInput, true},
    {PORT_RECORD_MARK, [](const CDescriptor& f, unsigned) { return IsKindOf(f, KIND_BACKSLASH); }, true},
    {PORT_HOLLERITH, [](const CDescriptor& f, unsigned) { return IsKindOf(f, KIND_HOLLERITH); }, true},
    {PORT_X_WITHOUT_COUNT, [](const CDescriptor& f, unsigned) { return IsKindOf(f, KIND_X); }, true},
    {PORT_SCALE_AGAINST_DIGITS, ScaleAgainstDigits, false},
};

void FieldFindings(const CDescriptorList& list, int index, const SPortabilityQuery& query,
                   std::vector<SPortabilityFinding>& out)
{
    const CDescriptor& field = list.At(index);
    bool bOwnForm = false;
    for (const SFieldCheck& check : kFieldChecks) {
        if (!check.pCheck(field, query.nUses))
            continue;
        out.push_back({index, check.kind});
        bOwnForm = bOwnForm || check.bOwnForm;
    }
    if (query.standard == STD_NONE || bOwnForm)
        return;
    const SStandardSpan span = StandardsOf(field.GoodParsed());
    if (span.Has(query.standard))
        return;
    const bool bDeleted = span.first <= query.standard;
    out.push_back({index, PORT_BEYOND_STANDARD, bDeleted ? span.deleted : span.first, bDeleted});
}

// Whether two neighbouring items may stand without a comma between them:
// around a group's parentheses, a slash or a colon, and after kP before
// the real edit it scales (1PE12.3).
bool CommaOptional(const CDescriptor& before, const CDescriptor& after)
{
    const auto isMark = [](int kind) {
        return kind == KIND_SLASH || kind == KIND_NSLASH || kind == KIND_COLON || kind == KIND_BACKSLASH;
    };
    if (OpensGroup(before.Kind()) || after.Kind() == KIND_CLOSE || isMark(before.Kind()) || isMark(after.Kind()))
        return true;
    const DescriptorFamily family = FamilyOf(after.Kind());
    return before.Kind() == KIND_P && IsRealFamily(family);
}

// Whether the text between two items holds a comma (a "!" comment runs to
// its line end and holds none that counts).
bool HasComma(std::string_view gap)
{
    for (std::size_t i = 0; i < gap.size(); ++i) {
        if (gap[i] == ',')
            return true;
        if (gap[i] == '!')
            i = std::min(gap.find('\n', i), gap.size());
    }
    return false;
}

void MissingCommaFindings(const CDescriptorList& list, const SPortabilityQuery& query,
                          std::vector<SPortabilityFinding>& out)
{
    if (query.pLayout == nullptr)
        return;
    const auto& spans = query.pLayout->descriptors;
    const std::size_t n = std::min(spans.size(), static_cast<std::size_t>(list.size()));
    for (std::size_t i = 0; i + 1 < n; ++i) {
        const int index = static_cast<int>(i);
        const std::size_t nEnd = spans[i].End();
        if (nEnd > spans[i + 1].nOffset || spans[i + 1].nOffset > query.text.size())
            continue;
        if (CommaOptional(list.At(index), list.At(index + 1)) ||
            HasComma(query.text.substr(nEnd, spans[i + 1].nOffset - nEnd)))
            continue;
        out.push_back({index, PORT_MISSING_COMMA, STD_NONE, false, nEnd});
    }
}

// The group a "(" or "*(" at index opens ends at the index returned.
int GroupEnd(const CDescriptorList& list, int index)
{
    int nDepth = 0;
    for (int i = index; i < list.size(); ++i) {
        nDepth += OpensGroup(list.At(i).Kind()) ? 1 : list.At(i).Kind() == KIND_CLOSE ? -1 : 0;
        if (nDepth == 0)
            return i;
    }
    return list.size() - 1;
}

// "*(" is the last item of the outermost list, or it is not portable.
void UnlimitedFindings(const CDescriptorList& list, std::vector<SPortabilityFinding>& out)
{
    int nDepth = 0;
    for (int i = 0; i < list.size(); ++i) {
        const int kind = list.At(i).Kind();
        if (kind == KIND_OPEN_ANY && (nDepth > 0 || GroupEnd(list, i) + 1 < list.size()))
            out.push_back({i, PORT_UNLIMITED_NOT_LAST});
        nDepth += OpensGroup(kind) ? 1 : kind == KIND_CLOSE ? -1 : 0;
    }
}

}  // namespace

std::vector<SPortabilityFinding> PortabilityFindings(const CDescriptorList& list, const SPortabilityQuery& query)
{
    std::vector<SPortabilityFinding> findings;
    for (int i = 0; i < list.size(); ++i)
        FieldFindings(list, i, query, findings);
    MissingCommaFindings(list, query, findings);
    UnlimitedFindings(list, findings);
    std::stable_sort(findings.begin(), findings.end(),
                     [](const SPortabilityFinding& a, const SPortabilityFinding& b) { return a.nField < b.nField; });
    return findings;
}

namespace {

struct SKindMessage {
    PortabilityKind kind;
    int nStringId;
};

constexpr SKindMessage kKindMessages[] = {
    {PORT_WIDTH_LEFT_OUT, IDS_PORT_WIDTH_LEFT_OUT},
    {PORT_ZERO_WIDTH_EXPONENT, IDS_PORT_ZERO_WIDTH_EXPONENT},
    {PORT_ZERO_WIDTH_INPUT, IDS_PORT_ZERO_WIDTH_INPUT},
    {PORT_MISSING_COMMA, IDS_PORT_MISSING_COMMA},
    {PORT_UNLIMITED_NOT_LAST, IDS_PORT_UNLIMITED_NOT_LAST},
    {PORT_RECORD_MARK, IDS_PORT_RECORD_MARK},
    {PORT_HOLLERITH, IDS_PORT_HOLLERITH},
    {PORT_X_WITHOUT_COUNT, IDS_PORT_X_WITHOUT_COUNT},
    {PORT_SCALE_AGAINST_DIGITS, IDS_PORT_SCALE_AGAINST_DIGITS},
};

std::string StandardName(FortranStandard standard)
{
    for (const SStandardWord& entry : kStandardWords)
        if (entry.standard == standard)
            return LoadResourceString(entry.nNameId);
    return std::string();
}

SMessage StandardMessage(const SPortabilityFinding& finding, const std::string& strText)
{
    if (finding.bDeleted)
        return Message(IDS_PORT_DELETED, strText, StandardName(finding.standard));
    if (finding.standard == STD_EXTENSION)
        return Message(IDS_PORT_NO_STANDARD, strText);
    return Message(IDS_PORT_BEYOND_STANDARD, strText, StandardName(finding.standard));
}

}  // namespace

SMessage PortabilityMessage(const SPortabilityFinding& finding, const CDescriptorList& list)
{
    const bool bField = finding.nField >= 0 && finding.nField < list.size();
    const std::string strText = bField ? list.At(finding.nField).StatementText() : std::string();
    if (finding.kind == PORT_BEYOND_STANDARD)
        return StandardMessage(finding, strText);
    if (finding.kind == PORT_SCALE_AGAINST_DIGITS && bField)
        return Message(IDS_PORT_SCALE_AGAINST_DIGITS, strText, list.At(finding.nField).Modes().nScale);
    for (const SKindMessage& entry : kKindMessages)
        if (entry.kind == finding.kind)
            return Message(entry.nStringId, strText);
    return Message(IDS_PORT_NO_STANDARD, strText);
}
