#include "statement_stream.h"

#include <algorithm>

#include "source_lines.h"
#include "statement_text.h"

bool CStatementStream::ReadLine(std::string& raw)
{
    if (m_bHeld) {
        m_bHeld = false;
        raw = std::move(m_strHeld);
        return true;
    }
    if (!m_reader.ReadExistingLine(raw))
        return false;
    ++m_nLine;
    return true;
}

void CStatementStream::HoldBack(std::string raw)
{
    m_strHeld = std::move(raw);
    m_bHeld = true;
}

bool CStatementStream::NextTextLine(std::string& raw, std::vector<std::string>* pPassed)
{
    return ::NextTextLine(
        raw, m_bFixedForm, [this](std::string& line) { return ReadLine(line); },
        [pPassed](const std::string& line) {
            if (pPassed != nullptr)
                pPassed->push_back(line);
        });
}

// Where a line's statement text starts: in fixed form at column 7; in free
// form after the first line's label, or after a continuation line's leading
// "&".
std::size_t CStatementStream::TextStart(const std::string& raw, const SScanState* pContinued) const
{
    if (m_bFixedForm)
        return kFixedTextStart;
    if (pContinued != nullptr)
        return FreeContinuationStart(raw, pContinued->InConstant());
    std::size_t nFrom = raw.find_first_not_of(" \t");
    while (nFrom < raw.size() && raw[nFrom] >= '0' && raw[nFrom] <= '9')
        ++nFrom;
    return nFrom;
}

// A line that is no comment, no preprocessor line and, in fixed form, no
// continuation line starts a statement. Its text (from column 7 to 72 in
// fixed form, up to a comment) goes on in each line that continues it: in
// fixed form a line with a mark in column 6, in free form the next line
// after one whose text ends with "&". The comment and preprocessor lines
// between its lines are its lines too.
bool CStatementStream::Next(SSourceStatement& statement)
{
    statement = SSourceStatement();
    std::string raw;
    do {
        if (!NextTextLine(raw, nullptr))
            return false;
    } while (m_bFixedForm && IsFixedContinuation(SFixedLine(raw).image));  // (one that follows no statement)
    statement.nLine = m_nLine;
    SScanState state;
    std::size_t nFrom = TextStart(raw, nullptr);
    std::vector<std::string> between;  // comment lines that may stand inside the statement
    for (;;) {
        statement.lines.push_back(raw);
        const std::string text = m_bFixedForm ? SFixedLine(raw).image : std::move(raw);
        const std::size_t nStart = std::min(nFrom, text.size());
        const std::string_view piece = std::string_view(text).substr(nStart);
        const SPieceScan scan = ScanPiece(piece, CFormatScanner::MODE_STATEMENT, state, !m_bFixedForm);
        statement.pieces.push_back({statement.lines.size() - 1, m_bFixedForm ? nFrom : nStart, statement.text.size()});
        statement.text += piece.substr(0, PieceEnd(scan, piece.size()));
        state = scan.state;
        if ((!m_bFixedForm && !scan.bContinues) || !NextTextLine(raw, &between))
            return true;
        if (m_bFixedForm && !IsFixedContinuation(SFixedLine(raw).image)) {
            HoldBack(std::move(raw));
            return true;
        }
        statement.lines.insert(statement.lines.end(), between.begin(), between.end());
        between.clear();
        nFrom = TextStart(raw, &state);
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
