#include "format_check.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <tuple>

#include "descriptor_kind.h"
#include "descriptor_list.h"
#include "format_portability.h"
#include "format_uses.h"
#include "item_matching.h"
#include "result.h"
#include "string_table.h"
#include "typed_sample.h"

namespace {

// A format's text as the descriptor lists read it, with where each of its
// characters stands in its statement's text.
struct SFormatText {
    std::string text;
    std::vector<std::size_t> offsets;
};

// A FORMAT statement's list: its characters stand as they are.
SFormatText ListText(const SFormatStatement& format)
{
    SFormatText text{format.strList, {}};
    for (std::size_t i = 0; i < format.strList.size(); ++i)
        text.offsets.push_back(format.nListFrom + i);
    return text;
}

// A format string's value: a doubled quote is one, at its first place.
SFormatText StringText(const std::string& item, std::size_t nFrom)
{
    SFormatText text;
    const std::size_t nQuote = item.find_first_of("'\"");
    if (nQuote == std::string::npos)
        return text;
    const char chQuote = item[nQuote];
    for (std::size_t i = nQuote + 1; i < item.size(); ++i) {
        if (item[i] == chQuote && (i + 1 >= item.size() || item[i + 1] != chQuote))
            break;
        text.text += item[i];
        text.offsets.push_back(nFrom + i);
        i += item[i] == chQuote ? 1 : 0;
    }
    return text;
}

SCheckPlace PlaceIn(const SSourceStatement& places, std::size_t nOffset)
{
    SCheckPlace place;
    places.PlaceOf(nOffset, place.nLine, place.nColumn);
    return place;
}

const char* TypeName(const SItemType& type)
{
    constexpr const char* kNames[] = {"INTEGER", "REAL", "COMPLEX", "LOGICAL", "CHARACTER", "derived-type", "unknown"};
    return kNames[static_cast<std::size_t>(type.type)];
}

constexpr std::pair<CheckRule, CheckSeverity> kSeverities[] = {
    {CheckRule::REFUSED, CheckSeverity::ERROR},
    {CheckRule::CRASHES, CheckSeverity::ERROR},
    {CheckRule::ODD, CheckSeverity::WARNING},
    {CheckRule::NO_DATA_EDIT, CheckSeverity::ERROR},
    {CheckRule::NEW_RECORDS, CheckSeverity::NOTE},
    {CheckRule::LABEL_NOT_FORMAT, CheckSeverity::ERROR},
    {CheckRule::UNUSED_FORMAT, CheckSeverity::WARNING},
    {CheckRule::READ_INTO_CONSTANT, CheckSeverity::ERROR},
    {CheckRule::UNREADABLE_FORMAT, CheckSeverity::ERROR},
    {CheckRule::NOT_CHECKED, CheckSeverity::NOTE},
    {CheckRule::PORTABILITY, CheckSeverity::WARNING},
};

SCheckFinding Finding(CheckRule rule, SCheckPlace place)
{
    SCheckFinding finding;
    finding.rule = rule;
    finding.place = place;
    for (const auto& [r, severity] : kSeverities)
        if (r == rule)
            finding.severity = severity;
    return finding;
}

// One use's format, read: its fields and where each stands.
struct SReadFormat {
    std::vector<SFormatEdit> edits;
    std::vector<std::string> texts;
    std::vector<SCheckPlace> places;
    bool bOk = false;
    long long nFailColumn = 0;
    SCheckPlace failPlace;
    std::vector<SCheckFinding> portability;  // placed at their fields
};

// What a format holds that is beyond the standard asked for, or that
// compilers read differently.
std::vector<SCheckFinding> PortabilityOf(const CDescriptorList& descriptors, const SSplitLayout& layout,
                                         const std::string& list, const SPortabilityQuery& asked,
                                         const std::function<SCheckPlace(std::size_t)>& placeOf)
{
    SPortabilityQuery query;
    query.standard = asked.standard;
    query.nUses = asked.nUses;
    query.text = list;
    query.pLayout = &layout;
    std::vector<SCheckFinding> findings;
    for (const SPortabilityFinding& found : PortabilityFindings(descriptors, query)) {
        const auto nField = static_cast<std::size_t>(std::max(0, found.nField));
        const std::size_t nAt = found.kind == PORT_MISSING_COMMA     ? found.nOffset
                                : nField < layout.descriptors.size() ? layout.descriptors[nField].nOffset
                                                                     : 0;
        SCheckFinding finding = Finding(CheckRule::PORTABILITY, placeOf(nAt));
        finding.field = finding.place;
        if (nField < static_cast<std::size_t>(descriptors.size()))
            finding.strField = descriptors.At(found.nField).Text();
        finding.portability = PortabilityMessage(found, descriptors);
        findings.push_back(finding);
    }
    return findings;
}

SReadFormat ReadFormat(const SFormatText& text, const SSourceStatement& places, const SPortabilityQuery& query)
{
    SReadFormat format;
    // What follows the list's closing parenthesis is not read by the run time.
    std::string list = text.text;
    const std::size_t nStart = list.find_first_not_of(" \t");
    if (nStart == std::string::npos || list[nStart] != '(') {
        format.nFailColumn = 1;
        format.failPlace = PlaceIn(places, text.offsets.empty() ? 0 : text.offsets.front());
        return format;
    }
    CDescriptorList descriptors;
    SSplitLayout layout;
    const CResult result = descriptors.Split(list, &layout);
    const auto placeOf = [&](std::size_t nAt) {
        return PlaceIn(places, text.offsets.empty() ? 0 : text.offsets[std::min(nAt, text.offsets.size() - 1)]);
    };
    if (!result.Ok()) {
        format.nFailColumn = result.Messages().empty() ? 1 : std::max(1LL, result.Messages().front().nColumn);
        format.failPlace = placeOf(static_cast<std::size_t>(format.nFailColumn - 1));
        return format;
    }
    format.edits = FormatEditsOf(descriptors);
    for (int i = 0; i < descriptors.size(); ++i) {
        const auto n = static_cast<std::size_t>(i);
        format.texts.push_back(descriptors.At(i).Text());
        format.places.push_back(n < layout.descriptors.size() ? placeOf(layout.descriptors[n].nOffset) : placeOf(0));
    }
    format.portability = PortabilityOf(descriptors, layout, list, query, placeOf);
    format.bOk = true;
    return format;
}

// A use's items, as the matching takes them and as they are written.
struct SUseItems {
    const std::vector<SIoItem>& items;
    const std::vector<std::string>& texts;  // by SIoItem::nSource

    const std::string* TextOf(std::size_t nItem) const
    {
        return nItem < items.size() && items[nItem].nSource < texts.size() ? &texts[items[nItem].nSource] : nullptr;
    }
};

// The finding of the matching, placed.
SCheckFinding MatchFindingOf(const SMatchFinding& found, const SUseItems& use, const SReadFormat& format,
                             SCheckPlace place, SCheckPlace related)
{
    constexpr std::pair<MatchFinding, CheckRule> kRules[] = {
        {MatchFinding::REFUSED, CheckRule::REFUSED},
        {MatchFinding::CRASHES, CheckRule::CRASHES},
        {MatchFinding::ODD, CheckRule::ODD},
        {MatchFinding::NO_DATA_EDIT, CheckRule::NO_DATA_EDIT},
        {MatchFinding::NEW_RECORDS, CheckRule::NEW_RECORDS},
        {MatchFinding::READ_CONSTANT, CheckRule::READ_INTO_CONSTANT},
    };
    CheckRule rule = CheckRule::ODD;
    for (const auto& [kind, r] : kRules)
        if (kind == found.kind)
            rule = r;
    SCheckFinding finding = Finding(rule, place);
    finding.related = related;
    finding.nItem = found.nTransfer;
    finding.nLastItem = found.nLastTransfer;
    if (found.nField < format.places.size()) {
        finding.field = format.places[found.nField];
        finding.strField = format.texts[found.nField];
        finding.nFieldIndex = static_cast<long long>(found.nField);
    }
    if (const std::string* pText = use.TextOf(found.nItem)) {
        finding.strItem = *pText;
        finding.strGot = TypeName(use.items[found.nItem].type);
    }
    if (rule == CheckRule::REFUSED) {
        finding.strExpected = found.transfer.pszExpected;
        finding.strGot = found.transfer.pszGot;
    }
    return finding;
}

// Why the data edits no element reached edit none: the transfer ends at the
// field of the last element (or before the first field), and the run time
// goes on from there to the next data edit, or to a ":" that stops it.
void MarkUnused(std::vector<SFieldItems>& fields, const std::vector<SFormatEdit>& edits, const SItemMatch& match)
{
    const std::size_t nFrom = match.edits.empty() ? 0 : match.edits.back().nField + 1;
    NoItem why = NoItem::LIST_ENDED;
    for (std::size_t i = nFrom; i < edits.size() && !IsDataFamily(FamilyOf(edits[i].nKind)); ++i)
        if (edits[i].nKind == KIND_COLON) {
            why = NoItem::COLON;
            break;
        }
    for (std::size_t i = 0; i < fields.size() && i < edits.size(); ++i)
        if (IsDataFamily(FamilyOf(edits[i].nKind)) && fields[i].items.empty())
            fields[i].noItem = i >= nFrom ? why : NoItem::LIST_ENDED;
}

// The fields and the items each edits, as written, each once.
std::vector<SFieldItems> FieldItems(const SUseItems& use, const SReadFormat& format, const SItemMatch& match)
{
    std::vector<SFieldItems> fields;
    for (std::size_t i = 0; i < format.texts.size(); ++i)
        fields.push_back({format.texts[i], format.places[i], {}, false, NoItem::NONE, {}});
    for (const SItemEdit& edit : match.edits) {
        const std::string* pText = use.TextOf(edit.nItem);
        if (edit.nField >= fields.size() || edit.nItem >= use.items.size())
            continue;
        SFieldItems& field = fields[edit.nField];
        field.bReused = field.bReused || edit.bReverted;
        if (pText != nullptr && std::find(field.items.begin(), field.items.end(), *pText) == field.items.end())
            field.items.push_back(*pText);
    }
    std::vector<std::vector<SItemType>> types = FirstRecordTypes(match, use.items, fields.size());
    for (std::size_t i = 0; i < fields.size(); ++i)
        fields[i].types = std::move(types[i]);
    if (match.bComplete)
        MarkUnused(fields, format.edits, match);
    return fields;
}

bool IsMatchRule(CheckRule rule)
{
    constexpr CheckRule kMatchRules[] = {CheckRule::REFUSED,     CheckRule::CRASHES,
                                         CheckRule::ODD,         CheckRule::NO_DATA_EDIT,
                                         CheckRule::NEW_RECORDS, CheckRule::READ_INTO_CONSTANT};
    return std::find(std::begin(kMatchRules), std::end(kMatchRules), rule) != std::end(kMatchRules);
}

// A read format matched with a use's items: the report's fields, records
// and the findings of the matching.
void MatchRead(SFormatUseReport& report, const SReadFormat& format)
{
    report.bChecked = true;
    const SUseItems use{report.items, report.itemTexts};
    const SItemMatch match = MatchItems(format.edits, report.items, report.bInput);
    bool bStopped = false;  // the run time stops at the first refusal: what would follow it is not said
    for (const SMatchFinding& found : match.findings) {
        const bool bStops = found.kind == MatchFinding::REFUSED || found.kind == MatchFinding::CRASHES ||
                            found.kind == MatchFinding::NO_DATA_EDIT || found.kind == MatchFinding::READ_CONSTANT;
        // nor a record after it
        if (!((bStops || found.kind == MatchFinding::NEW_RECORDS) && bStopped))
            report.findings.push_back(MatchFindingOf(found, use, format, report.place, report.format));
        bStopped = bStopped || bStops;
    }
    report.fields = FieldItems(use, format, match);
    report.nRecords = match.nRecords;
}

// The items of a list at its top level, as written.
std::vector<std::string> ItemTexts(const SFormatUse& use)
{
    std::vector<std::string> texts;
    for (const SIoListItem& written : use.listItems)
        texts.push_back(use.strList.substr(written.nOffset, written.nEnd - written.nOffset));
    return texts;
}

class CFileChecker {
public:
    CFileChecker(const SFileFormats& file, FortranStandard standard) : m_file(file), m_standard(standard) {}

    SFileCheck Check()
    {
        SFileCheck check;
        for (const SFormatUse& use : m_file.uses)
            check.uses.push_back(Use(use));
        for (const SFormatUseReport& report : check.uses)
            check.findings.insert(check.findings.end(), report.findings.begin(), report.findings.end());
        Unused(check.findings);
        check.findings.insert(check.findings.end(), m_formatFindings.begin(), m_formatFindings.end());
        std::stable_sort(check.findings.begin(), check.findings.end(), [](const auto& a, const auto& b) {
            return std::tie(a.place.nLine, a.place.nColumn) < std::tie(b.place.nLine, b.place.nColumn);
        });
        return check;
    }

private:
    const SFormatStatement* FormatNamed(const SFormatUse& use) const
    {
        for (const SFormatStatement& format : m_file.formats)
            if (format.nLabel == use.nLabel && format.nScope == use.nScope)
                return &format;
        return nullptr;
    }

    SFormatUseReport Use(const SFormatUse& use)
    {
        SFormatUseReport report;
        report.place = {use.nLine, use.nColumn};
        report.bInput = use.bInput;
        report.format = PlaceIn(use.places, use.nFormatFrom);
        report.formatEnd = PlaceIn(use.places, use.nFormatTo > 0 ? use.nFormatTo - 1 : 0);
        report.item = report.format;
        report.itemEnd = report.formatEnd;
        report.strStatement = use.strStatement;
        report.items = use.items;
        report.itemTexts = ItemTexts(use);
        if (use.kind == IO_FORMAT_LABEL) {
            m_used.insert({use.nScope, use.nLabel});
            const SFormatStatement* pFormat = FormatNamed(use);
            if (pFormat == nullptr) {
                SCheckFinding finding = Finding(CheckRule::LABEL_NOT_FORMAT, report.format);
                finding.nLabel = use.nLabel;
                report.findings.push_back(finding);
                return report;
            }
            report.format = {pFormat->nLine, pFormat->nColumn};
            report.bFormatStatement = true;
            report.formatEnd = PlaceIn(pFormat->places, pFormat->nListFrom + pFormat->strList.size());
            Match(use, ListText(*pFormat), pFormat->places, report, pFormat);
        } else if (use.kind == IO_FORMAT_CONSTANT) {
            Match(use, StringText(use.strFormatItem, use.nFormatFrom), use.places, report, nullptr);
        } else if (use.bFormatConstant) {
            // a named constant: its fields stand where the name does
            report.constant = {use.constant.nLine, use.constant.nColumn};
            report.constantEnd = {use.constant.nEndLine, use.constant.nEndColumn};
            SFormatText text{use.strFormat, std::vector<std::size_t>(use.strFormat.size(), use.nFormatFrom)};
            Match(use, text, use.places, report, nullptr);
        } else {
            m_variableScopes.insert(use.nScope);
            SCheckFinding finding = Finding(CheckRule::NOT_CHECKED, report.format);
            finding.strItem = use.strFormatItem;
            report.findings.push_back(finding);
        }
        return report;
    }

    void Match(const SFormatUse& use, const SFormatText& text, const SSourceStatement& places, SFormatUseReport& report,
               const SFormatStatement* pStatement)
    {
        SPortabilityQuery query;
        query.standard = m_standard;
        query.nUses = use.bInput ? FORMAT_USE_INPUT : FORMAT_USE_OUTPUT;
        const SReadFormat format = ReadFormat(text, places, query);
        Portability(format, report, pStatement);
        if (!format.bOk) {
            // said once for a FORMAT statement, however many statements use it
            if (pStatement == nullptr || m_unreadable.insert(pStatement).second) {
                SCheckFinding finding = Finding(CheckRule::UNREADABLE_FORMAT, format.failPlace);
                finding.nFailColumn = format.nFailColumn;
                finding.related = report.place;
                (pStatement != nullptr ? m_formatFindings : report.findings).push_back(finding);
            }
            return;
        }
        MatchRead(report, format);
    }

    // A FORMAT statement's portability is said once, whatever uses it (a
    // READ may add what input alone makes unportable); a format string's
    // with its statement.
    void Portability(const SReadFormat& format, SFormatUseReport& report, const SFormatStatement* pStatement)
    {
        for (SCheckFinding finding : format.portability) {
            finding.related = report.place;
            if (pStatement == nullptr)
                report.findings.push_back(finding);
            else if (m_portable.insert({finding.place.nLine, finding.place.nColumn, MessageText(finding.portability)})
                         .second)
                m_formatFindings.push_back(finding);
        }
    }

    // The FORMAT statements no statement names; a program unit that names a
    // format by a variable (ASSIGN) may use any of its own.
    void Unused(std::vector<SCheckFinding>& findings) const
    {
        for (const SFormatStatement& format : m_file.formats) {
            if (m_used.count({format.nScope, format.nLabel}) != 0 || m_variableScopes.count(format.nScope) != 0)
                continue;
            SCheckFinding finding = Finding(CheckRule::UNUSED_FORMAT, {format.nLine, format.nColumn});
            finding.nLabel = format.nLabel;
            findings.push_back(finding);
        }
    }

    const SFileFormats& m_file;
    std::set<std::pair<long long, int>> m_used;
    std::set<long long> m_variableScopes;
    std::set<const SFormatStatement*> m_unreadable;
    std::set<std::tuple<long long, long long, std::string>> m_portable;
    FortranStandard m_standard;
    std::vector<SCheckFinding> m_formatFindings;
};

// The Fortran files in a folder (with Iterator recursive, below it too), in
// name order.
template <class Iterator>
std::vector<std::string> FortranFilesIn(const std::filesystem::path& folder)
{
    std::vector<std::string> found;
    std::error_code error;
    const auto options = std::filesystem::directory_options::skip_permission_denied;
    for (auto it = Iterator(folder, options, error); !error && it != Iterator(); it.increment(error))
        if (it->is_regular_file(error) && HasFortranSuffix(it->path().string()))
            found.push_back(it->path().string());
    std::sort(found.begin(), found.end());
    return found;
}

}  // namespace

void ReadModules(CLineReader& reader, int bFixedForm, ModuleTable& modules)
{
    SFormatContext context;
    context.pDefined = &modules;
    ReadFileFormats(reader, bFixedForm, context);
}

SFileCheck CheckFile(CLineReader& reader, const SCheckOptions& options)
{
    SFormatContext context;
    context.pModules = options.pModules;
    context.strIncludeFolder = options.strIncludeFolder;
    context.bOtherFormats = true;
    const SFileFormats file = ReadFileFormats(reader, options.bFixedForm, context);
    SFileCheck check = CFileChecker(file, StandardFromWord(options.strStandard).value_or(STD_NONE)).Check();
    check.bRead = !reader.Failed();
    return check;
}

void MatchAgain(SFormatUseReport& report, const CDescriptorList& list)
{
    SReadFormat format;
    format.edits = FormatEditsOf(list);
    for (int i = 0; i < list.size(); ++i) {
        const auto n = static_cast<std::size_t>(i);
        format.texts.push_back(list.At(i).Text());
        format.places.push_back(n < report.fields.size() ? report.fields[n].place
                                : report.fields.empty()  ? report.format
                                                         : report.fields.back().place);
    }
    std::erase_if(report.findings, [](const SCheckFinding& finding) { return IsMatchRule(finding.rule); });
    MatchRead(report, format);
    std::stable_sort(report.findings.begin(), report.findings.end(), [](const auto& a, const auto& b) {
        return std::tie(a.place.nLine, a.place.nColumn) < std::tie(b.place.nLine, b.place.nColumn);
    });
}

const char* SeverityWord(CheckSeverity severity)
{
    constexpr const char* kSeverityWords[] = {"error", "warning", "note"};
    return kSeverityWords[static_cast<std::size_t>(severity)];
}

std::string FindingText(const SCheckFinding& f)
{
    switch (f.rule) {
    case CheckRule::REFUSED: return MessageText(Message(IDS_CHECK_REFUSED, f.strExpected, f.nItem, f.strGot));
    case CheckRule::CRASHES: return MessageText(Message(IDS_CHECK_CRASHES, f.strGot, f.nItem, f.strItem, f.strField));
    case CheckRule::ODD: return MessageText(Message(IDS_CHECK_ODD, f.strGot, f.nItem, f.strItem, f.strField));
    case CheckRule::NO_DATA_EDIT: return MessageText(Message(IDS_CHECK_NO_DATA_EDIT, f.nItem, f.strItem));
    case CheckRule::NEW_RECORDS:
        return f.nLastItem > f.nItem ? MessageText(Message(IDS_CHECK_NEW_RECORDS, f.nItem, f.nLastItem, f.field.nLine))
                                     : MessageText(Message(IDS_CHECK_NEW_RECORD, f.nItem, f.field.nLine));
    case CheckRule::LABEL_NOT_FORMAT: return MessageText(Message(IDS_CHECK_LABEL_NOT_FORMAT, f.nLabel));
    case CheckRule::UNUSED_FORMAT: return MessageText(Message(IDS_CHECK_UNUSED_FORMAT, f.nLabel));
    case CheckRule::READ_INTO_CONSTANT: return MessageText(Message(IDS_CHECK_READ_INTO_CONSTANT, f.strField));
    case CheckRule::UNREADABLE_FORMAT: return MessageText(Message(IDS_CHECK_UNREADABLE_FORMAT, f.nFailColumn));
    case CheckRule::NOT_CHECKED: return MessageText(Message(IDS_CHECK_NOT_CHECKED, f.strItem));
    case CheckRule::PORTABILITY: return MessageText(f.portability);
    }
    return std::string();
}

std::vector<std::string> FortranFilesUnder(const std::vector<std::string>& paths, std::vector<std::string>& unreadable)
{
    std::vector<std::string> files;
    for (const std::string& path : paths) {
        std::error_code error;
        if (std::filesystem::is_regular_file(path, error)) {
            files.push_back(path);
            continue;
        }
        if (!std::filesystem::is_directory(path, error)) {
            unreadable.push_back(path);
            continue;
        }
        const std::vector<std::string> found = FortranFilesIn<std::filesystem::recursive_directory_iterator>(path);
        files.insert(files.end(), found.begin(), found.end());
    }
    return files;
}

ModuleTable ModulesBeside(const std::string& strFile, SourceForm form)
{
    const std::filesystem::path folder = std::filesystem::path(strFile).parent_path();
    ModuleTable modules;
    for (const std::string& file : FortranFilesIn<std::filesystem::directory_iterator>(folder.empty() ? "." : folder)) {
        CLineReader reader;
        if (reader.Open(file))
            ReadModules(reader, IsFixedForm(file, form), modules);
    }
    return modules;
}

bool IsKnownStandard(const std::string& strStandard)
{
    return StandardFromWord(strStandard).has_value();
}
