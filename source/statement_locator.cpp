#include "statement_locator.h"

#include <algorithm>
#include <cctype>
#include <climits>

#include "format_scanner.h"
#include "safe_file_writer.h"
#include "source_lines.h"
#include "statement_text.h"
#include "string_table.h"

namespace {

int ClampToInt(long long n)
{
    return static_cast<int>(std::clamp<long long>(n, INT_MIN, INT_MAX));
}

// Reads the statement's lines after its first one, counting their numbers
// and keeping each as it reads, so the writer can later notice a change.
class CStatementReader {
public:
    CStatementReader(CLineReader& reader, CStatementSite& site, long long nLine)
        : m_reader(reader), m_site(site), m_nLine(nLine)
    {
    }

    // The next line, or false when the file has no further line.
    bool Next(std::string& raw)
    {
        if (m_reader.AtEnd())
            return false;
        if (m_reader.ReadSourceLine(raw) == 2 && raw.empty() && m_reader.LineEnd().empty())
            return false;
        ++m_nLine;
        m_site.m_arrOriginalLines.push_back(raw);
        return true;
    }

    long long Line() const { return m_nLine; }

    // The current line is a preprocessor line that the statement passes over.
    void SkipDirective(const std::string& raw)
    {
        switch (ClassifyDirective(raw)) {
        case DIRECTIVE_OPEN: ++m_nGapDepth; break;
        case DIRECTIVE_BRANCH: m_bGapChooses = m_bGapChooses || m_nGapDepth == 0; break;
        case DIRECTIVE_CLOSE:
            m_bGapChooses = m_bGapChooses || m_nGapDepth == 0;
            m_nGapDepth = std::max(0, m_nGapDepth - 1);
            break;
        case DIRECTIVE_INCLUDE: m_bGapChooses = true; break;
        case DIRECTIVE_OTHER: break;
        }
    }

    // The first statement line that a preprocessor condition (or an
    // include) between the statement's lines makes depend on the
    // preprocessor; 0 when there is none. Such a statement cannot be
    // rewritten: its lines are broken anew, so the condition would choose
    // other text.
    long long ConditionalLine() const { return m_nConditionalLine; }

    // The current line belongs to the statement.
    void Take()
    {
        // The preprocessor lines since the statement's last line must
        // close every condition they open, and choose nothing outside them.
        if ((m_nGapDepth != 0 || m_bGapChooses) && m_nConditionalLine == 0)
            m_nConditionalLine = m_nLine;
        m_nGapDepth = 0;
        m_bGapChooses = false;
        m_site.m_arrLines.push_back(ClampToInt(m_nLine));
        m_site.m_arrLineComments.emplace_back();
    }

    // The current line ends with a comment that the collected text leaves out.
    void Comment(const std::string& strComment) { m_site.m_arrLineComments.back() = strComment; }

private:
    CLineReader& m_reader;
    CStatementSite& m_site;
    long long m_nLine;
    int m_nGapDepth = 0;          // conditions opened since the last statement line
    bool m_bGapChooses = false;   // a branch, close or include outside them
    long long m_nConditionalLine = 0;
};

// Reads past comment and preprocessor lines to the next continuation line
// and gives it; false when the statement has ended.
bool NextFixedContinuation(CStatementReader& lines, SFixedLine& line)
{
    std::string raw;
    for (;;) {
        if (!lines.Next(raw))
            return false;
        if (IsPreprocessorLine(raw, 1)) {
            lines.SkipDirective(raw);
            continue;
        }
        line = SFixedLine(raw);
        if (!IsFixedComment(line.image))
            break;
    }
    return IsFixedContinuation(line.image);
}

// Reads past free-form comment and preprocessor lines; false at the end of
// the file.
bool NextFreeLine(CStatementReader& lines, std::string& raw)
{
    for (;;) {
        if (!lines.Next(raw))
            return false;
        if (IsPreprocessorLine(raw, 0))
            lines.SkipDirective(raw);
        else if (!IsFreeComment(raw))
            return true;
    }
}

// The statement's text as it is collected from its lines, with where each
// character stood in the file.
struct SCollected {
    std::string text;                     // the list text, or a format string's content
    std::vector<SSourcePlace> places;     // for each character of text
    std::vector<std::size_t> lineStarts;  // where each statement line's text begins in text
    std::vector<std::size_t> fills;       // where blanks fill a fixed-form line to column 72
    bool bClosed = true;                  // a format string's closing quote was found
    std::string strAfterQuote;            // what follows it on its line
    long long nTailContinued = 0;         // the line on which a constant after the statement goes on

    // Appends piece[nFrom, nTo) of a line whose piece starts at raw column nColumn.
    void Append(std::string_view piece, std::size_t nFrom, std::size_t nTo, long long nLine, long long nColumn)
    {
        for (std::size_t i = nFrom; i < nTo; ++i) {
            text += piece[i];
            places.push_back({nLine, nColumn + static_cast<long long>(i)});
        }
    }
    // Appends characters of no line: a line end, or blanks that fill a line.
    void AppendMade(char ch, std::size_t n, long long nLine, long long nColumn)
    {
        for (std::size_t i = 0; i < n; ++i) {
            text += ch;
            places.push_back({nLine, nColumn});
        }
    }
    void Take(CStatementReader& lines)
    {
        lines.Take();
        lineStarts.push_back(text.size());
    }
};

// A fixed-form line whose text runs to column 72 and ends with a quote that
// closes a constant, followed by a continuation line whose text starts with
// the same quote: the two are one doubled quote (the constant goes on).
bool DoubledAcrossLines(const SFixedLine& line, const SPieceScan& scan, const SFixedLine& next)
{
    return line.image.size() == kFixedLineLength && scan.chLastClosingQuote != 0 &&
           next.image.size() > kFixedTextStart && next.image[kFixedTextStart] == scan.chLastClosingQuote;
}

// A FORMAT statement's list over fixed-form lines: each line's text from
// column 7 (the first from the list's parenthesis) up to column 72. A
// constant or Hollerith constant still open at a line's end goes on on the
// next line, the line read as filled with blanks to column 72; elsewhere a
// line end separates the lines' texts.
void CollectFixedFormat(CStatementReader& lines, const SFixedLine& first, std::size_t nListStart, SCollected& out)
{
    SFixedLine line = first;
    std::size_t nFrom = nListStart;
    SScanState state;
    for (;;) {
        out.Take(lines);
        const long long nLine = lines.Line();
        const std::string_view piece = std::string_view(line.image).substr(nFrom);
        const SPieceScan scan = ScanPiece(piece, CFormatScanner::MODE_LIST, state);
        const long long nColumn = line.RawColumn(nFrom);
        SFixedLine next;
        const bool bNext = NextFixedContinuation(lines, next);
        const bool bDoubled = !scan.state.InConstant() && bNext && DoubledAcrossLines(line, scan, next);
        if (scan.state.InConstant() || bDoubled) {
            // (blanks that end the statement's last line mean nothing, even
            // in a constant that never closes)
            out.Append(piece, 0, bNext ? piece.size() : scan.nTrimmed, nLine, nColumn);
            state = scan.state;
            if (!bNext)
                return;
            const std::size_t nFill = kFixedLineLength - std::min(line.image.size(), kFixedLineLength);
            out.fills.push_back(out.text.size());
            out.AppendMade(' ', nFill, nLine, nColumn + static_cast<long long>(piece.size()));
            state = ScanPiece(std::string(nFill, ' '), CFormatScanner::MODE_LIST, state).state;
            if (bDoubled)
                state.chQuote = scan.chLastClosingQuote;  // the next line's first quote is the pair's second
        } else {
            // Blanks at the end of a line outside a constant mean nothing.
            out.Append(piece, 0, scan.nKeep, nLine, nColumn);
            out.AppendMade('\n', 1, nLine, nColumn + static_cast<long long>(scan.nKeep));
            state = scan.state;
            if (!bNext)
                return;
        }
        line = next;
        nFrom = kFixedTextStart + (bDoubled ? 1 : 0);
        if (bDoubled)
            out.AppendMade(scan.chLastClosingQuote, 1, lines.Line(), line.RawColumn(kFixedTextStart));
    }
}

// A FORMAT statement's list over free-form lines: a line goes on on the next
// one (after comment lines) when its text, up to a comment, ends with "&";
// the next line's text starts after its own leading "&".
void CollectFreeFormat(CStatementReader& lines, const std::string& firstLine, std::size_t nListStart, SCollected& out)
{
    std::string raw = firstLine;
    std::size_t nFrom = nListStart;
    SScanState state;
    for (;;) {
        out.Take(lines);
        const long long nLine = lines.Line();
        const std::string_view piece = std::string_view(raw).substr(nFrom);
        const SPieceScan scan = ScanPiece(piece, CFormatScanner::MODE_LIST, state, true);
        if (!scan.bContinues) {
            out.Append(piece, 0, piece.size(), nLine, static_cast<long long>(nFrom) + 1);
            out.AppendMade('\n', 1, nLine, static_cast<long long>(raw.size()) + 1);
            return;
        }
        out.Append(piece, 0, scan.nContentEnd, nLine, static_cast<long long>(nFrom) + 1);
        // What follows the & is a comment or nothing.
        const std::size_t nComment = piece.find_first_not_of(" \t", scan.nContentEnd + 1);
        if (nComment != std::string::npos)
            lines.Comment(std::string(piece.substr(nComment)));
        state = scan.state;
        if (!NextFreeLine(lines, raw))
            return;
        nFrom = FreeContinuationStart(raw);
    }
}

// A format string's content over fixed-form lines, from after its opening
// quote: the constant goes on over continuation lines, each read as filled
// to column 72, until its closing quote; doubled quotes are one character.
void CollectFixedString(CStatementReader& lines, const SFixedLine& first, std::size_t nAfterQuote, char chQuote,
                        SCollected& out)
{
    SFixedLine line = first;
    std::size_t nFrom = nAfterQuote;
    SScanState state;
    state.chQuote = chQuote;
    for (;;) {
        out.Take(lines);
        const long long nLine = lines.Line();
        const std::string_view piece = std::string_view(line.image).substr(nFrom);
        const long long nColumn = line.RawColumn(nFrom);
        const SConstantPiece constant = ReadConstantPiece(piece, chQuote);
        for (const SConstantPiece::SChar& c : constant.chars)
            out.AppendMade(c.ch, 1, nLine, nColumn + static_cast<long long>(c.nOffset));
        SFixedLine next;
        const bool bFull = line.image.size() == kFixedLineLength;
        if (constant.bClosed) {
            const std::string_view after = piece.substr(constant.nEnd);
            const bool bNext = NextFixedContinuation(lines, next);
            if (bNext && bFull && constant.nEnd == piece.size() && next.image.size() > kFixedTextStart &&
                next.image[kFixedTextStart] == chQuote) {
                // A quote in column 72 and one in column 7: one doubled quote.
                out.AppendMade(chQuote, 1, nLine, nColumn + static_cast<long long>(piece.size()) - 1);
                line = next;
                nFrom = kFixedTextStart + 1;
                continue;
            }
            // Blanks after the statement mean nothing.
            const std::size_t nLast = after.find_last_not_of(' ');
            out.strAfterQuote = std::string(after.substr(0, nLast == std::string::npos ? 0 : nLast + 1));
            if (bNext && ScanPiece(after, CFormatScanner::MODE_STATEMENT, SScanState()).state.InConstant())
                out.nTailContinued = lines.Line();
            return;
        }
        if (!NextFixedContinuation(lines, next)) {
            out.bClosed = false;
            return;
        }
        out.fills.push_back(out.text.size());
        out.AppendMade(' ', kFixedLineLength - std::min(line.image.size(), kFixedLineLength), nLine,
                       nColumn + static_cast<long long>(piece.size()));
        line = next;
        nFrom = kFixedTextStart;
    }
}

// A format string's content over free-form lines: an "&" that ends a line
// inside the constant continues it after the next line's leading "&". A
// constant left open without one ends with its line.
void CollectFreeString(CStatementReader& lines, const std::string& firstLine, std::size_t nAfterQuote, char chQuote,
                       SCollected& out)
{
    std::string raw = firstLine;
    std::size_t nFrom = nAfterQuote;
    for (;;) {
        out.Take(lines);
        const long long nLine = lines.Line();
        const std::string_view piece = std::string_view(raw).substr(nFrom);
        const SConstantPiece constant = ReadConstantPiece(piece, chQuote);
        const bool bContinued = !constant.bClosed && EndsWithAmpersand(piece);
        for (const SConstantPiece::SChar& c : constant.chars) {
            if (bContinued && c.nOffset >= LastNonWhite(piece))
                break;
            out.AppendMade(c.ch, 1, nLine, static_cast<long long>(nFrom + c.nOffset) + 1);
        }
        if (constant.bClosed) {
            const std::string_view after = piece.substr(constant.nEnd);
            // A quote right before the "&" that ends the line, and one right
            // after the next line's leading "&": one doubled quote.
            if (EndsWithAmpersand(after) && LastNonWhite(after) == 0) {
                std::string next;
                if (NextFreeLine(lines, next) && FreeContinuationStart(next) > 0 &&
                    FreeContinuationStart(next) < next.size() && next[FreeContinuationStart(next)] == chQuote) {
                    out.AppendMade(chQuote, 1, nLine, static_cast<long long>(nFrom + constant.nEnd));
                    raw = next;
                    nFrom = FreeContinuationStart(next) + 1;
                    continue;
                }
            }
            out.strAfterQuote = std::string(after);
            return;
        }
        if (!bContinued || !NextFreeLine(lines, raw))
            return;  // a constant left open without an & ends with its line
        nFrom = FreeContinuationStart(raw);
    }
}

// The opening quote of the constant the cursor is in or after: the latest
// one that opens a constant before the cursor column.
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

// Collects the statement whose first line (line, already read: raw) the
// reader has just passed: sets the site's fields that the text gives (head,
// lines, delimiter, blanks, line comments, original lines) and the
// descriptor-list text to split.
CollectResult CollectStatement(CStatementSite& site, long long line, long long column, const std::string& raw,
                               SStatementText& out, CStatementReader& lines)
{
    const bool bFixed = site.m_bFixedForm != 0;
    const SFixedLine fixedLine(raw);
    const std::string lineText = bFixed ? fixedLine.image : raw;
    site.m_arrLines.clear();
    site.m_arrLineComments.clear();
    site.m_arrOriginalLines.assign(1, raw);
    site.m_nFirstLine = ClampToInt(line);
    if (IsBlankLine(lineText))
        return COLLECT_BLANK;

    SCollected& collected = out.collected;
    const std::size_t k = SecondWord(lineText);
    if (k != std::string::npos && FirstWordIsLabel(lineText, k) && StartsWithFormat(lineText, k)) {
        if (bFixed && k < kFixedTextStart)
            return COLLECT_FORMAT_COLUMN;
        std::size_t nHeadEnd = 0;
        std::string strComment;
        if (ListOnNextLine(lineText, k + 6, bFixed, nHeadEnd, strComment)) {
            // The head runs over two lines: the keyword's line (with the
            // free-form &) and the next line's text up to the parenthesis.
            lines.Take();
            if (!strComment.empty())
                lines.Comment(strComment);
            std::string nextRaw;
            SFixedLine next;
            std::size_t nTextStart = 0;
            bool bFound = false;
            if (bFixed) {
                bFound = NextFixedContinuation(lines, next);
                nextRaw = next.image;
                nTextStart = kFixedTextStart;
            } else {
                bFound = NextFreeLine(lines, nextRaw);
                nTextStart = FreeContinuationStart(nextRaw);
            }
            if (!bFound)
                return COLLECT_NO_LIST;
            const std::size_t nListStart = nextRaw.find_first_not_of(" \t", nTextStart);
            if (nListStart == std::string::npos || nextRaw[nListStart] != '(')
                return COLLECT_NO_LIST;
            site.m_strHead = lineText.substr(0, nHeadEnd) + "\n" + nextRaw.substr(0, nListStart);
            site.m_nParenBlanks = ParenBlanks(nextRaw, nListStart);
            if (bFixed)
                CollectFixedFormat(lines, next, nListStart, collected);
            else
                CollectFreeFormat(lines, nextRaw, nListStart, collected);
        } else {
            std::size_t nListStart = lineText.find('(', k + 6);
            if (nListStart == std::string::npos)
                nListStart = lineText.size();
            if (CommentBefore(lineText, nListStart, bFixed))
                return COLLECT_NO_LIST;  // a FORMAT commented out
            site.m_strHead = lineText.substr(0, nListStart);
            site.m_nParenBlanks = ParenBlanks(lineText, nListStart);
            if (bFixed)
                CollectFixedFormat(lines, fixedLine, nListStart, collected);
            else
                CollectFreeFormat(lines, raw, nListStart, collected);
        }
        site.m_chDelimiter = 'f';
    } else {
        const std::size_t nQuote = FindOpeningQuote(lineText, column);
        if (nQuote == std::string::npos || CommentBefore(lineText, nQuote, bFixed))
            return COLLECT_NO_LIST;
        site.m_strHead = lineText.substr(0, nQuote);
        site.m_nParenBlanks = 0;
        site.m_chDelimiter = lineText[nQuote];
        if (bFixed)
            CollectFixedString(lines, fixedLine, nQuote + 1, lineText[nQuote], collected);
        else
            CollectFreeString(lines, raw, nQuote + 1, lineText[nQuote], collected);
    }
    // The original lines run to the statement's last line, not to the line
    // that ended it.
    const long long nLast = site.m_arrLines.empty() ? line : site.m_arrLines.back();
    site.m_arrOriginalLines.resize(static_cast<std::size_t>(nLast - line + 1));

    // The descriptors are text: a NUL byte in the statement would cut it
    // short, and the save would drop what followed; a carriage return inside
    // a line would be taken for a line end once the line is rewritten.
    for (const int nStatementLine : site.m_arrLines) {
        const std::string& original = site.m_arrOriginalLines[static_cast<std::size_t>(nStatementLine - line)];
        if (original.find_first_of(std::string("\0\r", 2)) != std::string::npos) {
            out.nBadLine = nStatementLine;
            out.bNulByte = original.find('\0') != std::string::npos;
            return COLLECT_BAD_BYTE;
        }
    }
    if (lines.ConditionalLine() != 0) {
        out.nBadLine = ClampToInt(lines.ConditionalLine());
        return COLLECT_CONDITIONAL;
    }
    if (bFixed && site.m_chDelimiter != 'f' && !collected.bClosed)
        return COLLECT_UNCLOSED;
    return COLLECT_FOUND;
}

// The place in the file of an offset of the collected text; its end maps
// after its last character (to the end of the last line's text when that is
// a line end).
SSourcePlace PlaceOf(const SCollected& collected, std::size_t nOffset)
{
    if (nOffset < collected.places.size())
        return collected.places[nOffset];
    if (collected.places.empty())
        return SSourcePlace();
    SSourcePlace place = collected.places.back();
    if (collected.text.empty() || collected.text.back() != '\n')
        ++place.nColumn;
    return place;
}

// The statement line whose text holds an offset of the collected text.
std::size_t LineIndexAt(const SCollected& collected, std::size_t nOffset)
{
    const auto it = std::upper_bound(collected.lineStarts.begin(), collected.lineStarts.end(), nOffset);
    return it == collected.lineStarts.begin() ? 0 : static_cast<std::size_t>(it - collected.lineStarts.begin()) - 1;
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
    site.m_arrDescriptorPlaces.clear();
    for (const SSplitLayout::SSpan& span : layout.descriptors)
        site.m_arrDescriptorPlaces.push_back(PlaceOf(collected, span.nOffset));
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
    site.m_arrDescriptorPlaces.clear();
    site.m_strFileName.clear();
}

// Reads the file up to the statement's line; false (with the result) when
// the line is not there. before follows the lines before it in free form.
bool ReadUpToLine(CLineReader& reader, CStatementSite& site, const SStatementRequest& request, std::string& raw,
                  CFreeContinuation& before, CResult& result)
{
    long long nReads = 0;
    site.m_strLineEnd = "\n";
    bool bLineEndKnown = false;
    while (nReads < request.nLine && !reader.AtEnd()) {
        if (nReads > 0 && !site.m_bFixedForm)
            before.Read(raw);
        reader.ReadSourceLine(raw);
        ++nReads;
        if (!bLineEndKnown && !reader.LineEnd().empty()) {
            site.m_strLineEnd = reader.LineEnd() == "\r\n" ? "\r\n" : "\n";
            bLineEndKnown = true;
        }
    }
    if (reader.Failed() || nReads < request.nLine) {
        result = Message(IDS_LINE_NOT_FOUND, ClampToInt(request.nLine), request.strFile);
        return false;
    }
    return true;
}

// A blank line may start a new statement unless a statement around it
// would take the new one as its continuation.
LocateResult BlankLine(CStatementSite& site, CStatementReader& lines, const CFreeContinuation& before, long long nLine,
                       CResult& result)
{
    const SMessage refusal = Message(IDS_CONTINUATION_AFTER_BLANK, ClampToInt(nLine)).At(nLine);
    if (!site.m_bFixedForm && before.Open()) {
        result = refusal;
        return LOCATE_FAILED;
    }
    if (site.m_bFixedForm) {
        SFixedLine next;
        if (NextFixedContinuation(lines, next)) {
            result = refusal;
            return LOCATE_FAILED;
        }
        site.m_arrOriginalLines.resize(1);  // the lines looked at are none of the statement's
    }
    return LOCATE_BLANK;
}

}  // namespace

LocateResult LocateStatement(const SStatementRequest& request, CDescriptorList& list, CStatementSite& site,
                             IStatementQuestions& questions, CResult& result)
{
    result = CResult();
    list.Clear();
    site = CStatementSite();
    const std::string& fileName = request.strFile;
    CLineReader reader;
    if (!reader.Open(fileName)) {
        result = Message(IDS_CANNOT_OPEN_FILE, fileName);
        return LOCATE_FAILED;
    }
    // The file as it is now: a save checks that it is still so.
    ReadFileIdentity(fileName, site.m_fileIdentity);
    site.m_bFixedForm = IsFixedForm(fileName, request.form);
    if (IsReadOnlyFile(fileName) && !questions.ContinueReadOnly(Message(IDS_READ_ONLY, fileName))) {
        result = CResult::Declined();
        return LOCATE_FAILED;
    }
    // Line 0, and a negative number that would read no line at all.
    if (request.nLine <= 0) {
        result = Message(IDS_LINE_NOT_NUMBER);
        return LOCATE_FAILED;
    }
    std::string raw;
    CFreeContinuation before;  // free form: whether the lines before the line leave a statement open
    if (!ReadUpToLine(reader, site, request, raw, before, result))
        return LOCATE_FAILED;

    CStatementReader lines(reader, site, request.nLine);
    SStatementText text;
    const CollectResult collected = CollectStatement(site, request.nLine, request.nColumn, raw, text, lines);
    switch (collected) {
    case COLLECT_BLANK: return BlankLine(site, lines, before, request.nLine, result);
    case COLLECT_FORMAT_COLUMN: result = Message(IDS_FORMAT_COLUMN).At(request.nLine); return LOCATE_FAILED;
    case COLLECT_NO_LIST:
        ForgetStatement(site);
        result = Message(IDS_NO_LIST).At(request.nLine);
        return LOCATE_NO_LIST;
    case COLLECT_BAD_BYTE:
        // Such a statement is left as it is.
        ForgetStatement(site);
        result = Message(text.bNulByte ? IDS_NUL_BYTE : IDS_CARRIAGE_RETURN, text.nBadLine).At(text.nBadLine);
        return LOCATE_FAILED;
    case COLLECT_CONDITIONAL:
        ForgetStatement(site);
        result = Message(IDS_PREPROCESSOR_CONDITION, text.nBadLine).At(text.nBadLine);
        return LOCATE_FAILED;
    case COLLECT_UNCLOSED:
        ForgetStatement(site);
        result = Message(IDS_NO_CLOSING_QUOTE, ClampToInt(request.nLine)).At(request.nLine);
        return LOCATE_FAILED;
    case COLLECT_FOUND: break;
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
    site.m_strFileName = fileName;
    return LOCATE_FOUND;
}

bool StatementReadsBack(const CDescriptorList& list, const CStatementSite& site,
                        const std::vector<std::string>& statementLines)
{
    std::string strText;
    for (const std::string& strLine : statementLines)
        strText += strLine + "\n";
    CLineReader reader;
    reader.OpenText(std::move(strText));
    std::string raw;
    reader.ReadSourceLine(raw);

    CStatementSite copySite;
    copySite.m_bFixedForm = site.m_bFixedForm;
    CStatementReader lines(reader, copySite, 1);
    SStatementText text;
    // The cursor on the format string's opening quote, where the head ends.
    const long long nColumn = static_cast<long long>(site.m_strHead.size()) + 1;
    if (CollectStatement(copySite, 1, nColumn, raw, text, lines) != COLLECT_FOUND)
        return false;
    CDescriptorList copy(list.Table());
    if (!SplitCollected(copy, copySite, text.collected).Ok())
        return false;
    if (copySite.m_strHead != site.m_strHead || copySite.m_strTail != site.m_strTail ||
        copySite.m_strInnerTail != site.m_strInnerTail || copySite.m_nParenBlanks != site.m_nParenBlanks ||
        copySite.m_chDelimiter != site.m_chDelimiter)
        return false;
    // The empty field is not written: the others must read back in order.
    int nCopy = 0;
    for (int i = 0; i < list.size(); ++i) {
        if (list.At(i).Kind() == KIND_EMPTY)
            continue;
        if (nCopy >= copy.size() || copy.At(nCopy++).Text() != list.At(i).StatementText())
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
    const int nLabel = reader.Open(fileName) ? FindFreeLabel(reader, bFixedForm) : -1;
    if (nLabel < 0 || reader.Failed())
        return Message(IDS_CANNOT_OPEN_FILE, fileName);
    if (nLabel == 0)
        return Message(IDS_NO_FREE_LABEL, fileName);
    site.m_arrLines.clear();
    site.m_arrLineComments.clear();
    site.m_arrDescriptorPlaces.clear();
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

std::string ExpandFixedLine(const std::string& source)
{
    return SFixedLine(source).image;
}

std::string FixedSequenceField(const std::string& source)
{
    return source.substr(SFixedLine(source).nUsed);
}
