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
    std::size_t nList = nKeyword == std::string::npos || (m_bFixedForm && nKeyword < kFixedTextStart)
                            ? std::string::npos
                            : line.Text().find('(', nKeyword + 6);
    CFormatScanner::Mode mode = CFormatScanner::MODE_STATEMENT;
    SScanState state;
    for (;;) {
        statement.lines.push_back(line.raw);
        const std::string& text = line.Text();
        const std::size_t nStart = std::min(line.nFrom, text.size());
        const std::string_view piece = std::string_view(text).substr(nStart);
        std::size_t nHead = 0;  // the FORMAT keyword before the list's "("
        if (nList != std::string::npos && nList >= nStart) {
            nHead = nList - nStart;
            mode = CFormatScanner::MODE_LIST;
            nList = std::string::npos;
        }
        const SPieceScan scan = ScanPiece(piece.substr(nHead), mode, state, !m_bFixedForm);
        statement.pieces.push_back(
            {statement.lines.size() - 1, m_bFixedForm ? line.nFrom : nStart, statement.text.size()});
        statement.text += piece.substr(0, nHead + PieceEnd(scan, piece.size() - nHead));
        state = scan.state;
        if (!Continue(scan.bContinues, state.InConstant(), line)) {
            m_bOpen = !m_bFixedForm && scan.bContinues;
            return true;
        }
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
