#include "statement_locator.h"

#include <algorithm>
#include <cctype>
#include <climits>

#include "file_messages.h"
#include "format_placement.h"
#include "format_scanner.h"
#include "safe_file_writer.h"
#include "source_lines.h"
#include "statement_reader.h"
#include "statement_text.h"
#include "string_table.h"

namespace {

int ClampToInt(long long n)
{
    return static_cast<int>(std::clamp<long long>(n, INT_MIN, INT_MAX));
}

// The opening quote of the constant the cursor is in or after: the latest
// one that opens a constant before the cursor column, in the statement the
// cursor is in (a ";" ends one).
std::size_t FindOpeningQuote(const std::string& line, long long column)
{
    if (column <= 0)
        return std::string::npos;
    const std::size_t nEnd = static_cast<std::size_t>(std::min<long long>(column, static_cast<long long>(line.size())));
    std::size_t nOpening = std::string::npos;
    CFormatScanner scanner(std::string_view(line).substr(0, nEnd), CFormatScanner::MODE_STATEMENT);
    for (SFormatToken t = scanner.NextToken(); t.kind != TOKEN_END; t = scanner.NextToken()) {
        if (t.kind == TOKEN_CONSTANT)
            nOpening = t.nOffset;
        else if (t.kind == TOKEN_PUNCT && line[t.nOffset] == ';')
            nOpening = std::string::npos;
        else if (t.kind == TOKEN_COMMENT)
            break;
    }
    return nOpening;
}

// Whether a "!" outside character constants makes a comment of the line's
// text from somewhere before nEnd.
bool CommentBefore(const std::string& line, std::size_t nEnd, bool bFixedForm)
{
    std::string text = line.substr(0, std::min(nEnd, line.size()));
    if (bFixedForm && text.size() >= kFixedTextStart)
        text[kFixedTextStart - 1] = ' ';  // the continuation column holds a mark, not a comment
    return ScanPiece(text, CFormatScanner::MODE_STATEMENT, SScanState()).nComment != std::string::npos;
}

enum CollectResult {
    COLLECT_FOUND,
    COLLECT_BLANK,
    COLLECT_FORMAT_COLUMN,  // a FORMAT keyword left of column 7 in fixed form
    COLLECT_NO_LIST,        // neither FORMAT nor a constant at the cursor
    COLLECT_BAD_BYTE,       // a statement line holds a NUL byte or a carriage return (nBadLine)
    COLLECT_CONDITIONAL,    // a preprocessor condition chooses statement lines (nBadLine)
    COLLECT_UNCLOSED,       // a fixed-form format string has no closing quote
};

// Whether a FORMAT keyword that ends at nAfter is the last thing on its line
// (but for a comment; in free form, an & that continues the line), so that
// the list starts on the next line. Then nHeadEnd is where the line's
// statement text ends and strComment holds its comment.
bool ListOnNextLine(const std::string& lineText, std::size_t nAfter, bool bFixedForm, std::size_t& nHeadEnd,
                    std::string& strComment)
{
    std::size_t nNext = lineText.find_first_not_of(" \t\r", nAfter);
    if (!bFixedForm) {
        if (nNext == std::string::npos || lineText[nNext] != '&' || !BlankOrCommentFrom(lineText, nNext + 1))
            return false;
        nHeadEnd = nNext + 1;
        nNext = lineText.find_first_not_of(" \t\r", nHeadEnd);
    } else {
        if (nNext != std::string::npos && lineText[nNext] != '!')
            return false;
        nHeadEnd = lineText.find_last_not_of(" \t\r", nNext == std::string::npos ? std::string::npos : nNext - 1);
        nHeadEnd = nHeadEnd == std::string::npos ? 0 : nHeadEnd + 1;
    }
    strComment = nNext == std::string::npos ? std::string() : lineText.substr(nNext);
    return true;
}

// What the collector found besides the text.
struct SStatementText {
    SCollected collected;
    int nBadLine = 0;
    bool bNulByte = false;
};

// A FORMAT statement whose keyword ends at nAfterKeyword: the head up to the
// list's "(" (over two lines when the keyword ends its line), then the list.
CollectResult CollectFormatStatement(const SCollector& c, const SStatementLine& first, std::size_t nAfterKeyword)
{
    CStatementSite& site = c.site;
    const bool bFixed = site.m_bFixedForm != 0;
    const std::string& text = first.Text();
    site.m_chDelimiter = 'f';
    std::size_t nHeadEnd = 0;
    std::string strComment;
    if (!ListOnNextLine(text, nAfterKeyword, bFixed, nHeadEnd, strComment)) {
        std::size_t nListStart = text.find('(', nAfterKeyword);
        if (nListStart == std::string::npos)
            nListStart = text.size();
        if (CommentBefore(text, nListStart, bFixed))
            return COLLECT_NO_LIST;  // a FORMAT commented out
        site.m_strHead = text.substr(0, nListStart);
        site.m_nParenBlanks = ParenBlanks(text, nListStart);
        (bFixed ? CollectFixedFormat : CollectFreeFormat)(c, first, nListStart);
        return COLLECT_FOUND;
    }
    // The head runs over two lines: the keyword's line (with the free-form
    // &) and the next line's text up to the parenthesis.
    c.out.Take(site, first.nLine);
    site.m_arrLineComments.back() = strComment;
    SStatementLine next;
    const bool bFound = c.lines.Continue(true, false, next);
    const std::string& nextText = next.Text();
    const std::size_t nListStart = bFound ? nextText.find_first_not_of(" \t", next.nFrom) : std::string::npos;
    if (nListStart == std::string::npos || nextText[nListStart] != '(')
        return COLLECT_NO_LIST;
    site.m_strHead = text.substr(0, nHeadEnd) + "\n" + nextText.substr(0, nListStart);
    site.m_nParenBlanks = ParenBlanks(nextText, nListStart);
    (bFixed ? CollectFixedFormat : CollectFreeFormat)(c, std::move(next), nListStart);
    return COLLECT_FOUND;
}

// The format string of an I/O statement: the constant that opens last at or
// before the cursor column.
CollectResult CollectFormatString(const SCollector& c, const SStatementLine& first, long long column)
{
    CStatementSite& site = c.site;
    const bool bFixed = site.m_bFixedForm != 0;
    const std::string& text = first.Text();
    const std::size_t nQuote = FindOpeningQuote(text, column);
    if (nQuote == std::string::npos || CommentBefore(text, nQuote, bFixed))
        return COLLECT_NO_LIST;
    site.m_strHead = text.substr(0, nQuote);
    site.m_nParenBlanks = 0;
    site.m_chDelimiter = text[nQuote];
    (bFixed ? CollectFixedString : CollectFreeString)(c, first, nQuote + 1, text[nQuote]);
    return bFixed && !c.out.bClosed ? COLLECT_UNCLOSED : COLLECT_FOUND;
}

// What makes the statement's lines impossible to rewrite as they are: a NUL
// byte (it would cut a text short, and the save would drop what followed), a
// carriage return inside a line (it would be taken for a line end once the
// line is rewritten), a preprocessor condition between them.
CollectResult CheckStatementLines(const CStatementSite& site, long long line, SStatementText& out)
{
    for (const int nStatementLine : site.m_arrLines) {
        const std::string& original = site.m_arrOriginalLines[static_cast<std::size_t>(nStatementLine - line)];
        if (original.find_first_of(std::string("\0\r", 2)) != std::string::npos) {
            out.nBadLine = nStatementLine;
            out.bNulByte = original.find('\0') != std::string::npos;
            return COLLECT_BAD_BYTE;
        }
    }
    if (const long long nConditional = ConditionalLine(site); nConditional != 0) {
        out.nBadLine = ClampToInt(nConditional);
        return COLLECT_CONDITIONAL;
    }
    return COLLECT_FOUND;
}

// Collects the statement whose first line (line, already read: raw) the
// reader has just passed: sets the site's fields that the text gives (head,
// lines, delimiter, blanks, line comments, original lines) and the
// descriptor-list text to split.
CollectResult CollectStatement(CStatementSite& site, long long line, long long column, const std::string& raw,
                               SStatementText& out, CLineReader& reader)
{
    const SStatementLine first(line, raw, site.m_bFixedForm, 0);
    site.m_arrLines.clear();
    site.m_arrLineComments.clear();
    site.m_arrOriginalLines.assign(1, raw);
    site.m_nFirstLine = ClampToInt(line);
    if (IsBlankLine(first.Text()))
        return COLLECT_BLANK;

    CStatementStream lines(reader, site.m_bFixedForm, line);
    lines.OnRead([&site](const std::string& read) { site.m_arrOriginalLines.push_back(read); });
    const SCollector c{lines, site, out.collected};
    CollectResult result = COLLECT_FOUND;
    const std::size_t k = FormatKeywordAt(first.Text());
    if (k != std::string::npos)
        result = site.m_bFixedForm && k < kFixedTextStart ? COLLECT_FORMAT_COLUMN
                                                          : CollectFormatStatement(c, first, k + 6);
    else
        result = CollectFormatString(c, first, column);
    if (result == COLLECT_FORMAT_COLUMN || result == COLLECT_NO_LIST)
        return result;
    // The original lines run to the statement's last line, not to the line
    // that ended it.
    const long long nLast = site.m_arrLines.empty() ? line : site.m_arrLines.back();
    site.m_arrOriginalLines.resize(static_cast<std::size_t>(nLast - line + 1));
    const CollectResult checked = CheckStatementLines(site, line, out);
    return checked != COLLECT_FOUND ? checked : result;
}

void ForgetDescriptorPlaces(CStatementSite& site)
{
    site.m_arrDescriptorPlaces.clear();
    site.m_arrDescriptorEnds.clear();
    site.m_arrDescriptorTexts.clear();
    site.m_arrDescriptorIdentities.clear();
}

// "FORMAT parse failed" at the place in the file where the scan stopped:
// the column in the file, and the line when the statement has several.
SMessage ParseFailure(const CStatementSite& site, const SCollected& collected, std::size_t nFail)
{
    const SSourcePlace place = PlaceOf(collected, nFail);
    SMessage message = site.m_arrLines.size() > 1 ? Message(IDS_PARSE_FAILED_AT_LINE, place.nLine, place.nColumn)
                                                  : Message(IDS_PARSE_FAILED, place.nColumn);
    return message.At(place.nLine, place.nColumn);
}

// Splits the collected text and fills the rest of the site from where its
// parts stood: the tail, each descriptor's place, the comments' lines.
CResult SplitCollected(CDescriptorList& list, CStatementSite& site, SCollected& collected)
{
    std::string& text = collected.text;
    if (site.m_chDelimiter == 'f' && !text.empty() && text.back() != '\n')
        text += '\n';
    SSplitLayout layout;
    const CResult split = list.Split(text, &layout);
    if (!split.Ok()) {
        const long long nColumn = split.Messages().front().nColumn;
        return ParseFailure(site, collected, static_cast<std::size_t>(std::max<long long>(nColumn - 1, 0)));
    }
    const std::string after = text.substr(layout.nClose + 1);
    if (site.m_chDelimiter == 'f') {
        site.m_strInnerTail.clear();
        site.m_strTail = after;
        // A constant that the text after the list opens and a line end
        // leaves open goes on on the next line: its blanks hang on the
        // columns of the line it starts on.
        for (const std::size_t nFill : collected.fills)
            if (nFill > layout.nClose)
                return Message(IDS_TAIL_CONSTANT_CONTINUED, PlaceOf(collected, nFill).nLine + 1)
                    .At(PlaceOf(collected, nFill).nLine);
    } else {
        // In fixed form the blanks that fill a line inside the string are
        // its text: after the list they would move once the lines are laid
        // out anew.
        for (const std::size_t nFill : collected.fills)
            if (nFill > layout.nClose)
                return Message(IDS_STRING_GOES_ON, PlaceOf(collected, nFill).nLine + 1)
                    .At(PlaceOf(collected, nFill).nLine);
        site.m_strInnerTail = after;
        site.m_strTail = collected.strAfterQuote + "\n";
        if (collected.nTailContinued != 0)
            return Message(IDS_TAIL_CONSTANT_CONTINUED, collected.nTailContinued).At(collected.nTailContinued);
    }
    ForgetDescriptorPlaces(site);
    for (std::size_t i = 0; i < layout.descriptors.size(); ++i) {
        const SSplitLayout::SSpan& span = layout.descriptors[i];
        site.m_arrDescriptorPlaces.push_back(PlaceOf(collected, span.nOffset));
        SSourcePlace end = PlaceOf(collected, span.End() - std::min<std::size_t>(span.nLength, 1));
        ++end.nColumn;
        // In a format string a quote character of the text stands doubled.
        if (site.m_chDelimiter != 'f' && span.nLength > 0 && text[span.End() - 1] == site.m_chDelimiter)
            ++end.nColumn;
        site.m_arrDescriptorEnds.push_back(end);
        const int nIndex = static_cast<int>(i);
        site.m_arrDescriptorTexts.push_back(nIndex < list.size() ? list.At(nIndex).StatementText() : std::string());
        site.m_arrDescriptorIdentities.push_back(nIndex < list.size() ? list.At(nIndex).Identity() : 0);
    }
    // Each comment that stood between the descriptors goes with its line.
    for (const SSplitLayout::SSpan& comment : layout.comments) {
        const std::size_t nLine = LineIndexAt(collected, comment.nOffset);
        if (nLine < site.m_arrLineComments.size())
            site.m_arrLineComments[nLine] = text.substr(comment.nOffset, comment.nLength);
    }
    return CResult();
}

void ForgetStatement(CStatementSite& site)
{
    site.m_arrLines.clear();
    site.m_arrLineComments.clear();
    site.m_arrOriginalLines.clear();
    ForgetDescriptorPlaces(site);
    site.m_strFileName.clear();
    site.m_nFirstLineOffset = -1;
}

// Reads the file up to the statement's line; false (with the result) when
// the line is not there. In free form bOpenBefore tells whether the lines
// before it leave a statement open.
bool ReadUpToLine(CLineReader& reader, CStatementSite& site, const SStatementRequest& request, std::string& raw,
                  bool& bOpenBefore, CResult& result)
{
    site.m_strLineEnd = "\n";
    bool bLineEndKnown = false;
    const auto noteLineEnd = [&](const std::string&) {
        if (!bLineEndKnown && !reader.LineEnd().empty()) {
            site.m_strLineEnd = reader.LineEnd() == "\r\n" ? "\r\n" : "\n";
            bLineEndKnown = true;
        }
    };
    long long nReads = 0;
    if (!site.m_bFixedForm) {
        CStatementStream before(reader, 0);
        before.StopAfter(request.nLine - 1);
        before.OnRead(noteLineEnd);
        for (SSourceStatement statement; before.Next(statement);) {
        }
        bOpenBefore = before.Open();
        nReads = before.Line();
    }
    while (nReads < request.nLine) {
        site.m_nFirstLineOffset = reader.Offset();
        if (!reader.ReadExistingLine(raw))
            break;
        ++nReads;
        noteLineEnd(raw);
        // In fixed form no line before the statement's own is looked at:
        // once the line end is known they are passed over without being
        // copied out of the buffer.
        if (bLineEndKnown && nReads < request.nLine - 1)
            nReads += reader.CopyLines(request.nLine - 1 - nReads, [](const char*, std::size_t) { return true; });
    }
    if (reader.Failed() || nReads < request.nLine) {
        const std::string strLine = request.strLineDigits.empty() ? std::to_string(request.nLine)
                                                                  : request.strLineDigits;
        result = Message(IDS_LINE_NOT_FOUND, strLine, request.strFile);
        return false;
    }
    return true;
}

// A blank line may start a new statement unless a statement around it
// would take the new one as its continuation.
LocateResult BlankLine(CStatementSite& site, CLineReader& reader, bool bOpenBefore, long long nLine, CResult& result)
{
    const SMessage refusal = Message(IDS_CONTINUATION_AFTER_BLANK, ClampToInt(nLine)).At(nLine);
    SStatementLine next;
    if (site.m_bFixedForm ? CStatementStream(reader, 1, nLine).Continue(false, false, next) : bOpenBefore) {
        result = refusal;
        return LOCATE_FAILED;
    }
    return LOCATE_BLANK;
}

}  // namespace

namespace {

// Why a statement that was collected cannot be edited, and what that says
// of the place: no list there, or a statement that cannot be rewritten.
// Such a statement is left as it is.
LocateResult CollectFailure(CollectResult collected, const SStatementText& text, long long nLine, CResult& result)
{
    switch (collected) {
    case COLLECT_FORMAT_COLUMN: result = Message(IDS_FORMAT_COLUMN).At(nLine); return LOCATE_FAILED;
    case COLLECT_NO_LIST: result = Message(IDS_NO_LIST).At(nLine); return LOCATE_NO_LIST;
    case COLLECT_BAD_BYTE:
        result = Message(text.bNulByte ? IDS_NUL_BYTE : IDS_CARRIAGE_RETURN, text.nBadLine).At(text.nBadLine);
        return LOCATE_FAILED;
    case COLLECT_CONDITIONAL:
        result = Message(IDS_PREPROCESSOR_CONDITION, text.nBadLine).At(text.nBadLine);
        return LOCATE_FAILED;
    case COLLECT_UNCLOSED: result = Message(IDS_NO_CLOSING_QUOTE, ClampToInt(nLine)).At(nLine); return LOCATE_FAILED;
    default: return LOCATE_FOUND;
    }
}

// Opens the file and asks what a read-only one needs; the reader is then at
// its first line.
bool OpenSource(const SStatementRequest& request, CLineReader& reader, CStatementSite& site,
                IStatementQuestions& questions, CResult& result)
{
    const std::string& fileName = request.strFile;
    if (!reader.Open(fileName)) {
        result = CannotOpenFile(fileName, reader.Error());
        return false;
    }
    // The file as it is now: a save checks that it is still so.
    ReadFileIdentity(fileName, site.m_fileIdentity);
    site.m_bFixedForm = IsFixedForm(fileName, request.form);
    if (IsReadOnlyFile(fileName) && !questions.ContinueReadOnly(Message(IDS_READ_ONLY, fileName))) {
        result = CResult::Declined();
        return false;
    }
    // Line 0, and a negative number that would read no line at all.
    if (request.nLine <= 0) {
        result = Message(IDS_LINE_NOT_NUMBER);
        return false;
    }
    return true;
}

}  // namespace

LocateResult LocateStatement(const SStatementRequest& request, CDescriptorList& list, CStatementSite& site,
                             IStatementQuestions& questions, CResult& result)
{
    result = CResult();
    list.Clear();
    site = CStatementSite();
    CLineReader reader;
    std::string raw;
    bool bOpenBefore = false;  // free form: the lines before the line leave a statement open
    if (!OpenSource(request, reader, site, questions, result) ||
        !ReadUpToLine(reader, site, request, raw, bOpenBefore, result))
        return LOCATE_FAILED;

    SStatementText text;
    const CollectResult collected = CollectStatement(site, request.nLine, request.nColumn, raw, text, reader);
    if (collected == COLLECT_BLANK)
        return BlankLine(site, reader, bOpenBefore, request.nLine, result);
    const LocateResult failed = CollectFailure(collected, text, request.nLine, result);
    if (failed != LOCATE_FOUND) {
        ForgetStatement(site);
        return failed;
    }
    const CResult split = SplitCollected(list, site, text.collected);
    if (!split.Ok()) {
        list.Clear();
        ForgetStatement(site);
        result = split;
        if (split.StringId() == IDS_PARSE_FAILED || split.StringId() == IDS_PARSE_FAILED_AT_LINE) {
            result.Then(Message(IDS_INVALID_LIST).At(request.nLine));
            return LOCATE_NO_LIST;
        }
        return LOCATE_FAILED;
    }
    site.m_strFileName = request.strFile;
    return LOCATE_FOUND;
}

namespace {

// The list text as a line shows it: no comments nor line ends, one blank
// for each run of blanks.
std::string ListTextShown(std::string_view text)
{
    std::string shown;
    CFormatScanner scanner(text, CFormatScanner::MODE_LIST);
    for (SFormatToken t = scanner.NextToken(); t.kind != TOKEN_END; t = scanner.NextToken()) {
        if (t.kind == TOKEN_COMMENT)
            continue;
        if (IsLayoutToken(t.kind)) {
            if (!shown.empty() && shown.back() != ' ')
                shown += ' ';
            continue;
        }
        shown += scanner.TextOf(t);
    }
    while (!shown.empty() && shown.back() == ' ')
        shown.pop_back();
    return shown;
}

// Collects a statement from its lines as if they stood in a file, the first
// as line nLine (a line that ends in a carriage return of its own is refused
// for it, as it is when read from the file).
CollectResult CollectStatementLines(std::span<const std::string> statementLines, long long nLine, long long nColumn,
                                    CStatementSite& site, SStatementText& text)
{
    CLineReader reader;
    reader.OpenLines(statementLines);
    std::string raw;
    if (!reader.ReadExistingLine(raw))
        return COLLECT_BLANK;
    return CollectStatement(site, nLine, nColumn, raw, text, reader);
}

}  // namespace

LocateResult LocateStatementLines(std::span<const std::string> statementLines, long long nLine, long long nColumn,
                                  int bFixedForm, CDescriptorList& list, CStatementSite& site, std::string& strListText)
{
    list.Clear();
    site = CStatementSite();
    site.m_bFixedForm = bFixedForm;
    SStatementText text;
    const CollectResult collected = CollectStatementLines(statementLines, nLine, nColumn, site, text);
    if (collected == COLLECT_BLANK)
        return LOCATE_BLANK;
    CResult ignored;
    const LocateResult failed = CollectFailure(collected, text, nLine, ignored);
    if (failed != LOCATE_FOUND)
        return failed;
    strListText = ListTextShown(text.collected.text);
    if (!SplitCollected(list, site, text.collected).Ok()) {
        list.Clear();
        return LOCATE_NO_LIST;
    }
    return LOCATE_FOUND;
}

bool StatementReadsBack(const CDescriptorList& list, const CStatementSite& site,
                        const std::vector<std::string>& statementLines)
{
    CStatementSite copySite;
    copySite.m_bFixedForm = site.m_bFixedForm;
    SStatementText text;
    // The cursor on the format string's opening quote, where the head ends.
    const long long nColumn = static_cast<long long>(site.m_strHead.size()) + 1;
    if (CollectStatementLines(statementLines, 1, nColumn, copySite, text) != COLLECT_FOUND)
        return false;
    CDescriptorList copy(list.Table());
    if (!SplitCollected(copy, copySite, text.collected).Ok())
        return false;
    if (copySite.m_strHead != site.m_strHead || copySite.m_strTail != site.m_strTail ||
        copySite.m_strInnerTail != site.m_strInnerTail || copySite.m_nParenBlanks != site.m_nParenBlanks ||
        copySite.m_chDelimiter != site.m_chDelimiter)
        return false;
    // The empty field is not written: the others must read back in order,
    // each with the text written, or with its own text as it was read (a
    // kept line holds the blanks after a group's parenthesis as before).
    int nCopy = 0;
    for (int i = 0; i < list.size(); ++i) {
        if (list.At(i).Kind() == KIND_EMPTY)
            continue;
        if (nCopy >= copy.size())
            return false;
        const std::string& strBack = copy.At(nCopy++).Text();
        if (strBack != list.At(i).StatementText() && strBack != list.At(i).Text())
            return false;
    }
    return nCopy == copy.size();
}

CResult NewStatement(CDescriptorList& list, CStatementSite& site, long long line, const std::string& fileName,
                     const char* firstText, SourceForm form)
{
    list.Clear();
    if (!list.InsertDescriptor(0, firstText))
        return Message(IDS_INVALID_DESCRIPTOR, firstText);
    const int bFixedForm = IsFixedForm(fileName, form);
    // The statement gets a label of its own, so that the file compiles
    // as it is written.
    CLineReader reader;
    if (reader.Open(fileName) && !FormatMayStandAt(reader, line, bFixedForm) && !reader.Failed())
        return Message(IDS_FORMAT_NOT_HERE, ClampToInt(line)).At(line);
    const int nLabel = reader.Open(fileName) ? FindFreeLabel(reader, bFixedForm) : -1;
    if (nLabel < 0 || reader.Failed())
        return CannotOpenFile(fileName, reader.Error());
    if (nLabel == 0)
        return Message(IDS_NO_FREE_LABEL, fileName);
    site.m_arrLines.clear();
    site.m_arrLineComments.clear();
    ForgetDescriptorPlaces(site);
    if (ClampToInt(line) != site.m_nFirstLine)
        site.m_nFirstLineOffset = -1;  // known only for the blank line located
    site.m_nFirstLine = ClampToInt(line);
    site.m_strFileName = fileName;
    site.m_strHead = NewStatementHead(nLabel, bFixedForm);
    site.m_strInnerTail.clear();
    site.m_strTail = "\n";
    site.m_bFixedForm = bFixedForm;
    site.m_chDelimiter = 'f';
    site.m_bNew = true;
    return CResult();
}

std::string FixedSequenceField(const std::string& source)
{
    return source.substr(SFixedLine(source).nUsed);
}
