#include "lsp_features.h"

#include <span>

#include "char_class.h"
#include "descriptor_list.h"
#include "field_description.h"
#include "format_items.h"
#include "result.h"
#include "statement_locator.h"
#include "string_table.h"

using nlohmann::json;

namespace {

// A place of the source layer (line and byte column from 1) as a Position.
json PositionOf(const SFeatureInput& in, long long nLine, long long nColumn)
{
    const auto& lines = in.doc.Lines();
    long long nCharacter = nColumn - 1;
    if (nLine >= 1 && nLine <= static_cast<long long>(lines.size()))
        nCharacter = CharacterOfByte(lines[static_cast<std::size_t>(nLine - 1)],
                                     static_cast<std::size_t>(std::max(nColumn - 1, 0LL)), in.encoding);
    return {{"line", std::max(nLine - 1, 0LL)}, {"character", std::max(nCharacter, 0LL)}};
}

// The byte column (from 1) of a Position in its line.
long long ByteColumnOf(const SFeatureInput& in, STextPosition pos)
{
    const auto& lines = in.doc.Lines();
    if (pos.nLine < 0 || pos.nLine >= static_cast<long long>(lines.size()))
        return 0;
    return static_cast<long long>(
               ByteOfCharacter(lines[static_cast<std::size_t>(pos.nLine)], pos.nCharacter, in.encoding)) +
           1;
}

// The word at a place: letters, digits and underscores from it on, or its
// one character.
long long WordEnd(const SFeatureInput& in, long long nLine, long long nColumn)
{
    const auto& lines = in.doc.Lines();
    if (nLine < 1 || nLine > static_cast<long long>(lines.size()))
        return nColumn + 1;
    const std::string& line = lines[static_cast<std::size_t>(nLine - 1)];
    auto i = static_cast<std::size_t>(std::max(nColumn - 1, 0LL));
    const std::size_t nFrom = i;
    while (i < line.size() && (IsLetter(line[i]) || IsDigit(line[i]) || line[i] == '_'))
        ++i;
    return static_cast<long long>(std::max(i, nFrom + 1)) + 1;
}

json RangeOf(const SFeatureInput& in, SCheckPlace from, SCheckPlace to)
{
    return {{"start", PositionOf(in, from.nLine, from.nColumn)}, {"end", PositionOf(in, to.nLine, to.nColumn)}};
}

json WordRange(const SFeatureInput& in, SCheckPlace at)
{
    return RangeOf(in, at, {at.nLine, WordEnd(in, at.nLine, at.nColumn)});
}

json LocationOf(const SFeatureInput& in, const json& range)
{
    return {{"uri", in.doc.Uri()}, {"range", range}};
}

bool operator<=(SCheckPlace a, SCheckPlace b)
{
    return a.nLine < b.nLine || (a.nLine == b.nLine && a.nColumn <= b.nColumn);
}

// The statement at pos read as the locator reads it, with the index of the
// descriptor whose text holds pos; -1 for none.
int DescriptorAt(const SFeatureInput& in, STextPosition pos, CDescriptorList& list, CStatementSite& site,
                 const SIndexedStatement*& pStatement)
{
    const SCheckPlace at{pos.nLine + 1, ByteColumnOf(in, pos)};
    pStatement = StatementAt(in.analysis, at.nLine);
    if (pStatement == nullptr || at.nColumn == 0)
        return -1;
    const auto lines = std::span<const std::string>(in.doc.Lines())
                           .subspan(static_cast<std::size_t>(pStatement->nLine - 1),
                                    static_cast<std::size_t>(pStatement->nLastLine - pStatement->nLine + 1));
    std::string strList;
    if (LocateStatementLines(lines, pStatement->nLine, pStatement->nColumn, in.analysis.bFixedForm, list, site,
                             strList) != LOCATE_FOUND)
        return -1;
    for (std::size_t i = 0; i < site.m_arrDescriptorPlaces.size() && i < site.m_arrDescriptorEnds.size(); ++i) {
        const SSourcePlace& from = site.m_arrDescriptorPlaces[i];
        const SSourcePlace& end = site.m_arrDescriptorEnds[i];
        if (SCheckPlace{from.nLine, from.nColumn} <= at && !(SCheckPlace{end.nLine, end.nColumn} <= at))
            return static_cast<int>(i);
    }
    return -1;
}

// What each statement that uses the format does with field i, in the
// words of the window's status line: the statement, then what the field
// edits and the finding on it.
std::string UsesText(const SFeatureInput& in, const SIndexedStatement& statement, int i)
{
    std::string text;
    const SFormatItems uses = FormatItemsAt(in.analysis.check, statement.nLine, statement.nColumn);
    for (const SStatementUse& use : uses.uses) {
        text += "\n\n" + use.strStatus;
        if (i < static_cast<int>(use.fields.size())) {
            const std::string words = FieldUseText(use.fields[static_cast<std::size_t>(i)]);
            text += words.empty() ? "" : ": " + words;
        }
    }
    return uses.strNone.empty() ? text : "\n\n" + uses.strNone;
}

// A sample in a Markdown code span that shows its blanks: backquotes
// enough to hold any it has.
std::string CodeSpan(const std::string& s)
{
    std::string fence = "`";
    while (s.find(fence) != std::string::npos)
        fence += '`';
    return fence + " " + s + " " + fence;
}

}  // namespace

json HoverAt(const SFeatureInput& in, STextPosition pos)
{
    CDescriptorList list(TableOf(in.settings));
    list.SetExact(in.settings.bExact);
    CStatementSite site;
    const SIndexedStatement* pStatement = nullptr;
    const int i = DescriptorAt(in, pos, list, site, pStatement);
    if (i < 0 || i >= list.size())
        return nullptr;
    std::string sample;
    list.GetRepeatedSample(i, sample);
    const SSourcePlace& from = site.m_arrDescriptorPlaces[static_cast<std::size_t>(i)];
    const SSourcePlace& end = site.m_arrDescriptorEnds[static_cast<std::size_t>(i)];
    std::string value = DescribeField(list, i);
    if (!sample.empty())
        value += "\n\n" + MessageText(Message(IDS_LSP_PRINTS)) + " " + CodeSpan(sample);
    value += UsesText(in, *pStatement, i);
    return {{"contents", {{"kind", "markdown"}, {"value", value}}},
            {"range", RangeOf(in, {from.nLine, from.nColumn}, {end.nLine, end.nColumn})}};
}

json DefinitionAt(const SFeatureInput& in, STextPosition pos)
{
    const SCheckPlace at{pos.nLine + 1, ByteColumnOf(in, pos)};
    for (const SFormatUseReport& use : in.analysis.check.uses) {
        if (!(use.item <= at) || !(at <= use.itemEnd))
            continue;
        if (use.bFormatStatement)
            return LocationOf(in, WordRange(in, use.format));
        if (use.constant.nLine != 0)  // a named constant: where its value is given
            return LocationOf(in, RangeOf(in, use.constant, {use.constantEnd.nLine, use.constantEnd.nColumn + 1}));
    }
    return nullptr;
}

json ReferencesAt(const SFeatureInput& in, STextPosition pos, bool bDeclaration)
{
    const SIndexedStatement* pStatement = StatementAt(in.analysis, pos.nLine + 1);
    json locations = json::array();
    if (pStatement == nullptr)
        return locations;
    const SCheckPlace format{pStatement->nLine, pStatement->nColumn};
    if (bDeclaration)
        locations.push_back(LocationOf(in, WordRange(in, format)));
    for (const SFormatUseReport& use : in.analysis.check.uses) {
        // a FORMAT statement is named by its keyword's place, a format string
        // holds its own
        const bool bUses = use.bFormatStatement ? use.format.nLine == format.nLine
                                                : use.item.nLine <= format.nLine && format.nLine <= use.itemEnd.nLine;
        if (bUses)
            locations.push_back(LocationOf(in, WordRange(in, use.place)));
    }
    return locations;
}

json DocumentSymbols(const SFeatureInput& in)
{
    json symbols = json::array();
    constexpr int kSymbolString = 15;
    for (const SIndexedStatement& s : in.analysis.statements) {
        if (s.bString)
            continue;
        const auto& lines = in.doc.Lines();
        const long long nEnd = static_cast<long long>(lines[static_cast<std::size_t>(s.nLastLine - 1)].size()) + 1;
        symbols.push_back({{"name", std::to_string(s.nLabel) + " FORMAT"},
                           {"detail", s.strList},
                           {"kind", kSymbolString},
                           {"range", RangeOf(in, {s.nLine, 1}, {s.nLastLine, nEnd})},
                           {"selectionRange", WordRange(in, {s.nLine, s.nColumn})}});
    }
    return symbols;
}

namespace {

constexpr int kSeverities[] = {1, 2, 3};  // by CheckSeverity: Error, Warning, Information

// A finding's other places: the FORMAT an I/O statement's items go through,
// or the I/O statement whose items meet a FORMAT's field.
json RelatedOf(const SFeatureInput& in, const SCheckFinding& f)
{
    json related = json::array();
    const SCheckPlace other = f.field.nLine != 0 ? f.field : f.related;
    if (other.nLine == 0 || (other.nLine == f.place.nLine && other.nColumn == f.place.nColumn))
        return related;
    const bool bFormat = f.field.nLine != 0 || f.rule == CheckRule::LABEL_NOT_FORMAT;
    related.push_back(json{{"location", LocationOf(in, WordRange(in, other))},
                           {"message", MessageText(Message(bFormat ? IDS_LSP_FORMAT_USED : IDS_LSP_USED_BY))}});
    return related;
}

}  // namespace

json Diagnostics(const SFeatureInput& in)
{
    json diagnostics = json::array();
    for (const SCheckFinding& f : in.analysis.check.findings) {
        if (f.place.nLine == 0)
            continue;
        json d = {{"range", WordRange(in, f.place)},
                  {"severity", kSeverities[static_cast<int>(f.severity)]},
                  {"code", kCheckRuleIds[static_cast<int>(f.rule)]},
                  {"source", "quillmark"},
                  {"message", FindingText(f)}};
        json related = RelatedOf(in, f);
        if (!related.empty())
            d["relatedInformation"] = std::move(related);
        diagnostics.push_back(std::move(d));
    }
    return diagnostics;
}

json CodeActionsAt(const SFeatureInput& in, STextPosition pos)
{
    const long long nLine = pos.nLine + 1;
    SCheckPlace open;
    if (const SIndexedStatement* pStatement = StatementAt(in.analysis, nLine))
        open = {pStatement->nLine, pStatement->nColumn};
    for (const SFormatUseReport& use : in.analysis.check.uses)
        if (open.nLine == 0 && use.bFormatStatement && use.place.nLine <= nLine && nLine <= use.itemEnd.nLine)
            open = use.item;  // the window follows the label from the statement's line
    json actions = json::array();
    if (open.nLine == 0)
        return actions;
    const std::string title = MessageText(Message(IDS_LSP_EDIT_FORMAT));
    const json command = {
        {"title", title}, {"command", kEditFormatCommand}, {"arguments", {in.doc.Uri(), open.nLine, open.nColumn}}};
    actions.push_back(json{{"title", title}, {"kind", "refactor"}, {"command", command}});
    return actions;
}
