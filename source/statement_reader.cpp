#include "statement_reader.h"

#include <algorithm>
#include <climits>

#include "fortran_tokens.h"
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

void SCollected::Take(CStatementSite& site, long long nLine)
{
    site.m_arrLines.push_back(ClampToInt(nLine));
    site.m_arrLineComments.emplace_back();
    lineStarts.push_back(text.size());
}

long long ConditionalLine(const CStatementSite& site)
{
    // The preprocessor lines between two statement lines must close every
    // condition they open, and choose nothing outside them.
    for (std::size_t k = 1; k < site.m_arrLines.size(); ++k) {
        int nDepth = 0;
        bool bChooses = false;
        for (long long n = site.m_arrLines[k - 1] + 1; n < site.m_arrLines[k]; ++n) {
            const std::string& raw = site.m_arrOriginalLines[static_cast<std::size_t>(n - site.m_nFirstLine)];
            if (!IsPreprocessorLine(raw, site.m_bFixedForm))
                continue;
            const DirectiveKind kind = ClassifyDirective(raw);
            bChooses = bChooses || kind == DIRECTIVE_INCLUDE ||
                       (nDepth == 0 && (kind == DIRECTIVE_BRANCH || kind == DIRECTIVE_CLOSE));
            nDepth += kind == DIRECTIVE_OPEN ? 1 : kind == DIRECTIVE_CLOSE && nDepth > 0 ? -1 : 0;
        }
        if (nDepth != 0 || bChooses)
            return site.m_arrLines[k];
    }
    return 0;
}

// A FORMAT statement's list over fixed-form lines: each line's text from
// column 7 (the first from the list's parenthesis) up to column 72. A
// constant or Hollerith constant still open at a line's end goes on on the
// next line, the line read as filled with blanks to column 72; elsewhere a
// line end separates the lines' texts.
void CollectFixedFormat(const SCollector& c, SStatementLine line, std::size_t nListStart)
{
    SCollected& out = c.out;
    std::size_t nFrom = nListStart;
    SScanState state;
    for (;;) {
        out.Take(c.site, line.nLine);
        const long long nLine = line.nLine;
        const std::string_view piece = std::string_view(line.fixed.image).substr(nFrom);
        const SPieceScan scan = ScanPiece(piece, CFormatScanner::MODE_LIST, state);
        const long long nColumn = line.fixed.RawColumn(nFrom);
        SStatementLine next;
        const bool bNext = c.lines.Continue(false, false, next);
        const bool bDoubled = !scan.state.InConstant() && bNext &&
                              DoubledAcrossLines(line.fixed, scan.chLastClosingQuote, next.fixed);
        if (scan.state.InConstant() || bDoubled) {
            // (blanks that end the statement's last line mean nothing, even
            // in a constant that never closes)
            out.Append(piece, 0, bNext ? piece.size() : scan.nTrimmed, nLine, nColumn);
            state = scan.state;
            if (!bNext)
                return;
            const std::size_t nFill = kFixedLineLength - std::min(line.fixed.image.size(), kFixedLineLength);
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
        line = std::move(next);
        nFrom = kFixedTextStart + (bDoubled ? 1 : 0);
        if (bDoubled)
            out.AppendMade(scan.chLastClosingQuote, 1, line.nLine, line.fixed.RawColumn(kFixedTextStart));
    }
}

// A FORMAT statement's list over free-form lines: a line goes on on the next
// one when its text, up to a comment, ends with "&".
void CollectFreeFormat(const SCollector& c, SStatementLine line, std::size_t nListStart)
{
    std::size_t nFrom = nListStart;
    SScanState state;
    for (;;) {
        c.out.Take(c.site, line.nLine);
        const long long nLine = line.nLine;
        const std::string_view piece = std::string_view(line.raw).substr(nFrom);
        const SPieceScan scan = ScanPiece(piece, CFormatScanner::MODE_LIST, state, true);
        SStatementLine next;
        // An & that no line follows continues nothing: the line ends the
        // statement with all it holds.
        if (!c.lines.Continue(scan.bContinues, scan.state.InConstant(), next)) {
            c.out.Append(piece, 0, piece.size(), nLine, static_cast<long long>(nFrom) + 1);
            c.out.AppendMade('\n', 1, nLine, static_cast<long long>(line.raw.size()) + 1);
            return;
        }
        c.out.Append(piece, 0, scan.nContentEnd, nLine, static_cast<long long>(nFrom) + 1);
        // What follows the & is a comment or nothing.
        const std::size_t nComment = piece.find_first_not_of(" \t", scan.nContentEnd + 1);
        if (nComment != std::string::npos)
            c.site.m_arrLineComments.back() = std::string(piece.substr(nComment));
        state = scan.state;
        nFrom = next.nFrom;
        line = std::move(next);
    }
}

// A format string's content over fixed-form lines, from after its opening
// quote: the constant goes on over continuation lines, each read as filled
// to column 72, until its closing quote; doubled quotes are one character.
void CollectFixedString(const SCollector& c, SStatementLine line, std::size_t nAfterQuote, char chQuote)
{
    SCollected& out = c.out;
    std::size_t nFrom = nAfterQuote;
    for (;;) {
        out.Take(c.site, line.nLine);
        const long long nLine = line.nLine;
        const std::string_view piece = std::string_view(line.fixed.image).substr(nFrom);
        const long long nColumn = line.fixed.RawColumn(nFrom);
        const SCharacterRest constant = ReadCharacterRest(piece, chQuote);
        for (std::size_t i = 0; i < constant.strValue.size(); ++i)
            out.AppendMade(constant.strValue[i], 1, nLine, nColumn + static_cast<long long>(constant.offsets[i]));
        SStatementLine next;
        if (constant.bClosed) {
            const std::string_view after = piece.substr(constant.nEnd);
            const bool bNext = c.lines.Continue(false, false, next);
            if (bNext && constant.nEnd == piece.size() && DoubledAcrossLines(line.fixed, chQuote, next.fixed)) {
                // A quote in column 72 and one in column 7: one doubled quote.
                out.AppendMade(chQuote, 1, nLine, nColumn + static_cast<long long>(piece.size()) - 1);
                line = std::move(next);
                nFrom = kFixedTextStart + 1;
                continue;
            }
            // Blanks after the statement mean nothing.
            const std::size_t nLast = after.find_last_not_of(' ');
            out.strAfterQuote = std::string(after.substr(0, nLast == std::string::npos ? 0 : nLast + 1));
            if (bNext && ScanPiece(after, CFormatScanner::MODE_STATEMENT, SScanState()).state.InConstant())
                out.nTailContinued = next.nLine;
            return;
        }
        if (!c.lines.Continue(false, false, next)) {
            out.bClosed = false;
            return;
        }
        out.fills.push_back(out.text.size());
        out.AppendMade(' ', kFixedLineLength - std::min(line.fixed.image.size(), kFixedLineLength), nLine,
                       nColumn + static_cast<long long>(piece.size()));
        line = std::move(next);
        nFrom = kFixedTextStart;
    }
}

// A format string's content over free-form lines: an "&" that ends a line
// inside the constant continues it after the next line's leading "&". A
// constant left open without one ends with its line.
void CollectFreeString(const SCollector& c, SStatementLine line, std::size_t nAfterQuote, char chQuote)
{
    std::size_t nFrom = nAfterQuote;
    for (;;) {
        c.out.Take(c.site, line.nLine);
        const long long nLine = line.nLine;
        const std::string_view piece = std::string_view(line.raw).substr(nFrom);
        const SCharacterRest constant = ReadCharacterRest(piece, chQuote);
        const bool bContinued = !constant.bClosed && EndsWithAmpersand(piece);
        for (std::size_t i = 0; i < constant.strValue.size(); ++i) {
            if (bContinued && constant.offsets[i] >= LastNonWhite(piece))
                break;
            c.out.AppendMade(constant.strValue[i], 1, nLine, static_cast<long long>(nFrom + constant.offsets[i]) + 1);
        }
        SStatementLine next;
        if (constant.bClosed) {
            const std::string_view after = piece.substr(constant.nEnd);
            // A quote right before the "&" that ends the line, and one right
            // after the next line's leading "&": one doubled quote.
            if (EndsWithAmpersand(after) && LastNonWhite(after) == 0 && c.lines.Continue(true, false, next) &&
                next.nFrom > 0 && next.nFrom < next.raw.size() && next.raw[next.nFrom] == chQuote) {
                c.out.AppendMade(chQuote, 1, nLine, static_cast<long long>(nFrom + constant.nEnd));
                nFrom = next.nFrom + 1;
                line = std::move(next);
                continue;
            }
            c.out.strAfterQuote = std::string(after);
            return;
        }
        if (!bContinued || !c.lines.Continue(true, true, next))
            return;  // a constant left open without an & ends with its line
        nFrom = next.nFrom;
        line = std::move(next);
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
