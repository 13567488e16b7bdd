#include "statement_reader.h"

#include <algorithm>
#include <climits>

#include "source_lines.h"

namespace {

int ClampToInt(long long n)
{
    return static_cast<int>(std::clamp<long long>(n, INT_MIN, INT_MAX));
}

// A fixed-form line whose text runs to column 72 and ends with a quote that
// closes a constant, followed by a continuation line whose text starts with
// the same quote: the two are one doubled quote (the constant goes on).
bool DoubledAcrossLines(const SFixedLine& line, char chQuote, const SFixedLine& next)
{
    return line.image.size() == kFixedLineLength && chQuote != 0 && next.image.size() > kFixedTextStart &&
           next.image[kFixedTextStart] == chQuote;
}

}  // namespace

bool CStatementReader::Next(std::string& raw)
{
    if (!m_reader.ReadExistingLine(raw))
        return false;
    ++m_nLine;
    m_site.m_arrOriginalLines.push_back(raw);
    return true;
}

void CStatementReader::SkipDirective(const std::string& raw)
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

void CStatementReader::Take()
{
    // The preprocessor lines since the statement's last line must close
    // every condition they open, and choose nothing outside them.
    if ((m_nGapDepth != 0 || m_bGapChooses) && m_nConditionalLine == 0)
        m_nConditionalLine = m_nLine;
    m_nGapDepth = 0;
    m_bGapChooses = false;
    m_site.m_arrLines.push_back(ClampToInt(m_nLine));
    m_site.m_arrLineComments.emplace_back();
}

bool CStatementReader::NextTextLine(std::string& raw, int bFixedForm)
{
    return ::NextTextLine(
        raw, bFixedForm, [this](std::string& line) { return Next(line); },
        [this, bFixedForm](const std::string& line) {
            if (IsPreprocessorLine(line, bFixedForm))
                SkipDirective(line);
        });
}

bool NextFixedContinuation(CStatementReader& lines, SFixedLine& line)
{
    std::string raw;
    if (!lines.NextTextLine(raw, 1))
        return false;
    line = SFixedLine(raw);
    return IsFixedContinuation(line.image);
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
        const bool bDoubled = !scan.state.InConstant() && bNext &&
                              DoubledAcrossLines(line, scan.chLastClosingQuote, next);
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
        std::string next;
        // An & that no line follows continues nothing: the line ends the
        // statement with all it holds.
        if (!scan.bContinues || !lines.NextTextLine(next, 0)) {
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
        raw = std::move(next);
        nFrom = FreeContinuationStart(raw, state.InConstant());
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
        if (constant.bClosed) {
            const std::string_view after = piece.substr(constant.nEnd);
            const bool bNext = NextFixedContinuation(lines, next);
            if (bNext && constant.nEnd == piece.size() && DoubledAcrossLines(line, chQuote, next)) {
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
                if (lines.NextTextLine(next, 0) && FreeContinuationStart(next) > 0 &&
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
        if (!bContinued || !lines.NextTextLine(raw, 0))
            return;  // a constant left open without an & ends with its line
        nFrom = FreeContinuationStart(raw, true);
    }
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
