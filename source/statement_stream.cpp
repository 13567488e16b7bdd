#include "statement_stream.h"

#include <algorithm>

#include "source_lines.h"

bool CStatementStream::ReadLine(std::string& raw)
{
    if (m_bHeld) {
        m_bHeld = false;
        raw = std::move(m_strHeld);
        return true;
    }
    if (m_nLine == m_nLast || !m_reader.ReadExistingLine(raw))
        return false;
    ++m_nLine;
    if (m_onRead)
        m_onRead(raw);
    return true;
}

// Reads up to the next line that holds statement text; the comment and
// preprocessor lines passed over go to pPassed.
bool CStatementStream::NextTextLine(std::string& raw, std::vector<std::string>* pPassed)
{
    while (ReadLine(raw)) {
        if (!IsPassedOver(raw, m_bFixedForm))
            return true;
        if (pPassed != nullptr)
            pPassed->push_back(raw);
    }
    return false;
}

// Where a statement's first line's text starts: in fixed form at column 7;
// in free form after its label.
std::size_t CStatementStream::FirstTextStart(const std::string& raw) const
{
    if (m_bFixedForm)
        return kFixedTextStart;
    std::size_t nFrom = raw.find_first_not_of(" \t");
    while (nFrom < raw.size() && raw[nFrom] >= '0' && raw[nFrom] <= '9')
        ++nFrom;
    return nFrom;
}

// A line continues the statement in fixed form when column 6 holds a mark;
// in free form when the text of the line before ended with "&". The comment
// and preprocessor lines between its lines are the statement's lines too.
bool CStatementStream::Continue(bool bGoesOn, bool bInConstant, SStatementLine& line)
{
    m_passed.clear();
    std::string raw;
    if ((!m_bFixedForm && !bGoesOn) || !NextTextLine(raw, &m_passed))
        return false;
    if (m_bFixedForm && !IsFixedContinuation(SFixedLine(raw).image)) {
        m_strHeld = std::move(raw);
        m_bHeld = true;
        return false;
    }
    const std::size_t nFrom = m_bFixedForm ? kFixedTextStart : FreeContinuationStart(raw, bInConstant);
    line = SStatementLine(m_nLine, std::move(raw), m_bFixedForm, nFrom);
    return true;
}

namespace {

// Where a FORMAT statement's list opens: its "(" as the first thing after the
// keyword (from nSeek, npos once found or not to be found), on the keyword's
// line or on a line after it. npos when the line does not open it.
std::size_t ListOpening(const std::string& text, std::size_t nFrom, std::size_t& nSeek)
{
    if (nSeek == std::string::npos)
        return nSeek;
    const std::size_t nNext = text.find_first_not_of(" \t", std::max(nSeek, nFrom));
    nSeek = nNext == std::string::npos || text[nNext] == '!' || text[nNext] == '&' ? 0 : std::string::npos;
    return nNext != std::string::npos && text[nNext] == '(' ? nNext : std::string::npos;
}

}  // namespace

// A fixed-form line that ends inside a constant that goes on on the next line
// is read as filled with blanks to column 72: the blanks are the constant's.
void CStatementStream::Fill(SSourceStatement& statement, std::size_t nImage, CFormatScanner::Mode mode,
                            SScanState& state) const
{
    if (!m_bFixedForm || !state.InConstant() || nImage >= kFixedLineLength)
        return;
    const std::string fill(kFixedLineLength - nImage, ' ');
    state = ScanPiece(fill, mode, state).state;
    statement.text += fill;
}

// A line that is no comment, no preprocessor line and, in fixed form, no
// continuation line starts a statement. Its text (from column 7 to 72 in
// fixed form, up to a comment) goes on in each line that continues it. A
// FORMAT statement's list, from its "(", is read as a list (its Hollerith
// constants may hold "!", "&" or quotes).
bool CStatementStream::Next(SSourceStatement& statement)
{
    std::string raw;
    do {
        if (!NextTextLine(raw, nullptr))
            return false;
    } while (m_bFixedForm && IsFixedContinuation(SFixedLine(raw).image));  // (one that follows no statement)
    statement = SSourceStatement();
    m_bOpen = false;
    const std::size_t nFirst = FirstTextStart(raw);
    SStatementLine line(m_nLine, std::move(raw), m_bFixedForm, nFirst);
    statement.nLine = line.nLine;
    const std::size_t nKeyword = FormatKeywordAt(line.Text());
    std::size_t nSeek = nKeyword == std::string::npos || (m_bFixedForm && nKeyword < kFixedTextStart)
                            ? std::string::npos
                            : nKeyword + 6;
    CFormatScanner::Mode mode = CFormatScanner::MODE_STATEMENT;
    SScanState state;
    for (;;) {
        statement.lines.push_back(line.raw);
        const std::string& text = line.Text();
        const std::size_t nStart = std::min(line.nFrom, text.size());
        const std::string_view piece = std::string_view(text).substr(nStart);
        std::size_t nHead = 0;  // the FORMAT keyword before the list's "("
        if (const std::size_t nList = ListOpening(text, nStart, nSeek); nList != std::string::npos) {
            nHead = nList - nStart;
            mode = CFormatScanner::MODE_LIST;
        }
        const SPieceScan scan = ScanPiece(piece.substr(nHead), mode, state, !m_bFixedForm);
        state = scan.state;
        statement.pieces.push_back({statement.lines.size() - 1, m_bFixedForm ? line.nFrom : nStart,
                                    statement.text.size(), state.InConstant()});
        statement.text += piece.substr(0, nHead + PieceEnd(scan, piece.size() - nHead));
        const std::size_t nImage = text.size();
        if (!Continue(scan.bContinues, state.InConstant(), line)) {
            m_bOpen = !m_bFixedForm && scan.bContinues;
            return true;
        }
        Fill(statement, nImage, mode, state);
        statement.lines.insert(statement.lines.end(), m_passed.begin(), m_passed.end());
    }
}

void SSourceStatement::PlaceOf(std::size_t nOffset, long long& nPlaceLine, long long& nPlaceColumn) const
{
    // The last piece that starts at or before the offset holds it (a piece
    // before it that starts at the same offset gives no text).
    STextPiece holder;
    for (const STextPiece& piece : pieces)
        if (piece.nOffset <= nOffset)
            holder = piece;
    nPlaceLine = nLine + static_cast<long long>(holder.nLine);
    nPlaceColumn = static_cast<long long>(holder.nColumn + (nOffset - holder.nOffset)) + 1;
}

int FormatStatementLabel(const SSourceStatement& statement, int bFixedForm, std::size_t* pKeyword)
{
    if (statement.lines.empty())
        return 0;
    const std::string& raw = statement.lines.front();
    const std::string text = bFixedForm ? SFixedLine(raw).image : raw;
    const std::size_t k = FormatKeywordAt(text);
    if (k == std::string::npos || (bFixedForm && k < kFixedTextStart))
        return 0;
    if (pKeyword != nullptr)
        *pKeyword = k;
    return LineLabel(raw, bFixedForm);
}
