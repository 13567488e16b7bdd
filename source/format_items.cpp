#include "format_items.h"

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <tuple>

#include "descriptor_list.h"
#include "statement_locator.h"
#include "string_table.h"
#include "typed_sample.h"

namespace {

// Where the statement the locator opened reads from: its first descriptor,
// or its first line.
SSourcePlace FirstDescriptorPlace(const CStatementSite& site)
{
    return site.m_arrDescriptorPlaces.empty() ? SSourcePlace{site.m_nFirstLine, 1} : site.m_arrDescriptorPlaces.front();
}

// Opens nothing for writing and asks nobody: a read-only file is read all the same.
class CReadOnlyQuestions : public IStatementQuestions {
public:
    bool ContinueReadOnly(const SMessage&) override { return true; }
    bool ChooseOtherFile(const SMessage&, bool, std::string&) override { return false; }
    void Tell(const SMessage&) override {}
};

// The place of the format the locator opens at (nLine, nColumn): the
// place itself where it opens none.
SSourcePlace LocatedFormat(const std::string& strFile, SourceForm form, long long nLine, long long nColumn)
{
    SStatementRequest request;
    request.strFile = strFile;
    request.nLine = nLine;
    request.nColumn = nColumn;
    request.form = form;
    CDescriptorList list;
    CStatementSite site;
    CReadOnlyQuestions questions;
    CResult result;
    if (LocateStatement(request, list, site, questions, result) != LOCATE_FOUND || site.m_bNew)
        return {nLine, nColumn};
    return FirstDescriptorPlace(site);
}

template <typename... Args>
std::string Words(int nStringId, Args&&... args)
{
    return MessageText(Message(nStringId, std::forward<Args>(args)...));
}

// A count in words: string nStringId for n, the one after it for 1.
std::string Counted(int nStringId, long long n)
{
    return n == 1 ? Words(nStringId + 1) : Words(nStringId, n);
}

// Whether a format stands at LINE COLUMN: a FORMAT statement on any of its
// lines, a format string between its quotes.
bool FormatAt(const SFormatUseReport& use, long long nLine, long long nColumn)
{
    const SCheckPlace& from = use.format;
    const SCheckPlace& to = use.formatEnd;
    if (nLine < from.nLine || nLine > to.nLine)
        return false;
    return use.bFormatStatement ||
           ((nLine != from.nLine || nColumn >= from.nColumn) && (nLine != to.nLine || nColumn <= to.nColumn));
}

std::string Joined(const std::vector<std::string>& items)
{
    std::string text;
    for (const std::string& item : items)
        text += (text.empty() ? "" : ", ") + item;
    return text;
}

// The first finding on each field, the most severe first.
void PlaceFindings(const SFormatUseReport& report, std::vector<SFieldUse>& fields)
{
    for (const SCheckFinding& finding : report.findings) {
        if (finding.nFieldIndex < 0 || static_cast<std::size_t>(finding.nFieldIndex) >= fields.size())
            continue;
        SFieldUse& field = fields[static_cast<std::size_t>(finding.nFieldIndex)];
        if (field.strFinding.empty() || finding.severity < field.severity) {
            field.strFinding = FindingText(finding);
            field.severity = finding.severity;
        }
    }
}

// The list a use's format reads as, from its fields' texts.
void ReadList(const SFormatUseReport& report, CDescriptorList& list)
{
    for (const SFieldItems& field : report.fields)
        if (!list.InsertDescriptor(list.size(), field.strField.c_str()))
            list.InsertEmptyField(list.size());
}

}  // namespace

std::string ShortenedText(const std::string& text, std::size_t nMax)
{
    std::size_t nChars = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
            continue;  // within a character
        if (++nChars == nMax && i + 1 < text.size()) {
            std::size_t nNext = i + 1;
            while (nNext < text.size() && (static_cast<unsigned char>(text[nNext]) & 0xC0) == 0x80)
                ++nNext;
            if (nNext < text.size())
                return text.substr(0, i) + "\xE2\x80\xA6";  // the last character gives way to the ellipsis
        }
    }
    return text;
}

SStatementUse DescribeUse(const SFormatUseReport& report)
{
    SStatementUse use;
    use.report = report;
    for (const SFieldItems& field : report.fields) {
        SFieldUse shown;
        shown.items = field.items;
        shown.strItems = Joined(field.items);
        shown.strShown = ShortenedText(shown.strItems, kShownItemLength);
        shown.bReused = field.bReused;
        shown.noItem = field.noItem;
        use.fields.push_back(std::move(shown));
    }
    PlaceFindings(report, use.fields);
    const std::string records = report.nRecords >= 0 ? Counted(IDS_STATUS_USE_RECORDS, report.nRecords)
                                                     : Words(IDS_STATUS_USE_RECORDS_UNKNOWN);
    use.strStatus = Words(IDS_STATUS_USE, report.strStatement, report.place.nLine,
                          Counted(IDS_STATUS_USE_ITEMS, static_cast<long long>(report.itemTexts.size())), records);
    return use;
}

void MatchUseAgain(SStatementUse& use, const CDescriptorList& list)
{
    SFormatUseReport report = use.report;
    MatchAgain(report, list);
    use = DescribeUse(report);
    SampleUse(use, list);
}

void SampleUse(SStatementUse& use, const CDescriptorList& list)
{
    std::vector<std::vector<SItemType>> types;
    types.reserve(use.report.fields.size());
    for (const SFieldItems& field : use.report.fields)
        types.push_back(field.types);
    std::vector<std::optional<std::string>> typed = TypedSamples(list, types);
    for (std::size_t i = 0; i < use.fields.size() && i < typed.size(); ++i) {
        SFieldUse& field = use.fields[i];
        field.bTypedSample = typed[i].has_value();
        if (field.bTypedSample)
            field.strSample = std::move(*typed[i]);
        else
            list.GetRepeatedSample(static_cast<int>(i), field.strSample);
    }
}

namespace {

void WriteUse(std::ostream& out, const std::string& file, const SStatementUse& shown)
{
    const SFormatUseReport& use = shown.report;
    out << (use.bInput ? "READ" : "WRITE") << " on line " << use.place.nLine << ", column " << use.place.nColumn;
    if (use.nRecords >= 0)
        out << ": " << use.nRecords << (use.nRecords == 1 ? " record" : " records");
    out << '\n';
    for (std::size_t i = 0; i < use.fields.size(); ++i) {
        const SFieldItems& field = use.fields[i];
        out << "  " << i << '\t' << field.strField << '\t';
        for (std::size_t k = 0; k < field.items.size(); ++k)
            out << (k == 0 ? "" : ", ") << field.items[k];
        out << (field.bReused ? "\t(again by reversion)" : "");
        if (field.noItem != NoItem::NONE)
            out << "\t(" << NoItemText(field.noItem) << ')';
        if (i < shown.fields.size())
            out << "\tsample \"" << shown.fields[i].strSample << '"';
        out << '\n';
    }
    for (const SCheckFinding& finding : use.findings)
        out << "  " << file << ':' << finding.place.nLine << ':' << finding.place.nColumn << ": "
            << SeverityWord(finding.severity) << ": " << FindingText(finding) << '\n';
}

}  // namespace

std::string UsesText(const std::string& strFile, const SFormatItems& found)
{
    std::ostringstream out;
    for (const SStatementUse& use : found.uses)
        WriteUse(out, strFile, use);
    return out.str();
}

std::string NoItemText(NoItem why)
{
    constexpr std::pair<NoItem, int> kNoItemWords[] = {{NoItem::LIST_ENDED, IDS_STATUS_NO_ITEM_ENDED},
                                                       {NoItem::COLON, IDS_STATUS_NO_ITEM_COLON}};
    for (const auto& [reason, nId] : kNoItemWords)
        if (why == reason)
            return Words(nId);
    return std::string();
}

std::string FieldUseText(const SFieldUse& field)
{
    std::vector<std::string> parts;
    if (!field.items.empty())
        parts.push_back(Words(IDS_STATUS_FIELD_ITEMS, field.strItems));
    if (field.noItem != NoItem::NONE)
        parts.push_back(NoItemText(field.noItem));
    if (field.bReused)
        parts.push_back(Words(IDS_STATUS_FIELD_REUSED));
    if (!field.strFinding.empty())
        parts.push_back(field.strFinding);
    std::string text;
    for (const std::string& part : parts)
        text += (text.empty() ? "" : "; ") + part;
    return text;
}

SFormatItems FormatItemsAt(const SFileCheck& check, long long nLine, long long nColumn)
{
    SFormatItems items;
    for (const SFormatUseReport& report : check.uses)
        if (FormatAt(report, nLine, nColumn)) {
            items.uses.push_back(DescribeUse(report));
            CDescriptorList list;
            ReadList(report, list);
            SampleUse(items.uses.back(), list);
        }
    std::stable_sort(items.uses.begin(), items.uses.end(), [](const SStatementUse& a, const SStatementUse& b) {
        return std::tie(a.report.place.nLine, a.report.place.nColumn) <
               std::tie(b.report.place.nLine, b.report.place.nColumn);
    });
    if (items.uses.empty())
        items.strNone = Words(IDS_STATUS_NO_USE);
    return items;
}

SFileCheck CheckFileWith(const std::string& strFile, SourceForm form, const std::string& strStandard,
                         const ModuleTable& modules)
{
    CLineReader reader;
    if (!reader.Open(strFile)) {
        SFileCheck check;
        check.bRead = false;
        return check;
    }
    const std::string folder = std::filesystem::path(strFile).parent_path().string();
    SCheckOptions options;
    options.bFixedForm = IsFixedForm(strFile, form);
    options.strIncludeFolder = folder.empty() ? "." : folder;
    options.pModules = &modules;
    options.strStandard = strStandard;
    return CheckFile(reader, options);
}

SFormatItems FormatItemsInFile(const std::string& strFile, SourceForm form, const std::string& strStandard,
                               long long nLine, long long nColumn, bool* pRead)
{
    const SFileCheck check = CheckFileWith(strFile, form, strStandard, ModulesBeside(strFile, form));
    if (pRead != nullptr)
        *pRead = check.bRead;
    SFormatItems found = FormatItemsAt(check, nLine, nColumn);
    // No format there: the one the window opens on that line, wherever on
    // the statement the cursor stands (a format string's statement).
    if (found.uses.empty() && check.bRead) {
        const SSourcePlace at = LocatedFormat(strFile, form, nLine, nColumn);
        if (at.nLine != nLine || at.nColumn != nColumn)
            found = FormatItemsAt(check, at.nLine, at.nColumn);
    }
    return found;
}

SFormatItems FormatItemsOfStatement(const CStatementSite& site, SourceForm form, const std::string& strStandard,
                                    bool* pRead)
{
    if (site.m_bNew)
        return {};
    const SSourcePlace at = FirstDescriptorPlace(site);
    return FormatItemsInFile(site.m_strFileName, form, strStandard, at.nLine, at.nColumn, pRead);
}
