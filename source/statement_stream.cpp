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

bool CStatementStream::Next(SSourceStatement& statement)
{
    statement = SSourceStatement();
    return m_bFixedForm ? NextFixed(statement) : NextFree(statement);
}

// Fixed form: a line that is no comment, no preprocessor line and no
// continuation starts a statement; its text runs from column 7 to column 72,
// up to a comment, and goes on in each continuation line that follows.
bool CStatementStream::NextFixed(SSourceStatement& statement)
{
    std::string raw;
    SFixedLine line;
    for (;;) {
        if (!ReadLine(raw))
            return false;
        if (IsPreprocessorLine(raw, 1))
            continue;
        line = SFixedLine(raw);
        if (!IsFixedComment(line.image) && !IsFixedContinuation(line.image))
            break;  // (a continuation line that follows no statement is passed over)
    }
    statement.nLine = m_nLine;
    SScanState state;
    std::vector<std::string> between;  // comment lines that may stand inside the statement
    for (;;) {
        statement.lines.push_back(raw);
        const std::string_view piece = line.image.size() > kFixedTextStart
                                           ? std::string_view(line.image).substr(kFixedTextStart)
                                           : "";
        const SPieceScan scan = ScanPiece(piece, CFormatScanner::MODE_STATEMENT, state);
        statement.pieces.push_back({statement.lines.size() - 1, kFixedTextStart, statement.text.size()});
        statement.text += piece.substr(0, std::min(scan.nComment, piece.size()));
        state = scan.state;
        for (;;) {
            if (!ReadLine(raw))
                return true;
            line = SFixedLine(raw);
            if (!IsPreprocessorLine(raw, 1) && !IsFixedComment(line.image))
                break;
            between.push_back(raw);
        }
        if (!IsFixedContinuation(line.image)) {
            HoldBack(std::move(raw));
            return true;
        }
        statement.lines.insert(statement.lines.end(), between.begin(), between.end());
        between.clear();
    }
}

// Free form: a line that is no comment and no preprocessor line starts a
// statement, after its label; a line whose text ends with "&" goes on in the
// next such line, after that line's own leading "&".
bool CStatementStream::NextFree(SSourceStatement& statement)
{
    std::string raw;
    do {
        if (!ReadLine(raw))
            return false;
    } while (IsPreprocessorLine(raw, 0) || IsFreeComment(raw));
    statement.nLine = m_nLine;
    std::size_t nFrom = raw.find_first_not_of(" \t");
    while (nFrom < raw.size() && raw[nFrom] >= '0' && raw[nFrom] <= '9')
        ++nFrom;
    SScanState state;
    std::vector<std::string> between;
    for (;;) {
        statement.lines.push_back(raw);
        const std::string_view piece = std::string_view(raw).substr(std::min(nFrom, raw.size()));
        const SPieceScan scan = ScanPiece(piece, CFormatScanner::MODE_STATEMENT, state, true);
        const std::size_t nEnd = scan.bContinues ? scan.nContentEnd : std::min(scan.nComment, piece.size());
        statement.pieces.push_back({statement.lines.size() - 1, std::min(nFrom, raw.size()), statement.text.size()});
        statement.text += piece.substr(0, nEnd);
        state = scan.state;
        if (!scan.bContinues)
            return true;
        for (;;) {
            if (!ReadLine(raw))
                return true;
            if (!IsPreprocessorLine(raw, 0) && !IsFreeComment(raw))
                break;
            between.push_back(raw);
        }
        statement.lines.insert(statement.lines.end(), between.begin(), between.end());
        between.clear();
        nFrom = FreeContinuationStart(raw, state.InConstant());
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
    const std::size_t k = SecondWord(text);
    if (k == std::string::npos || !FirstWordIsLabel(text, k) || !StartsWithFormat(text, k) ||
        (bFixedForm && k < kFixedTextStart))
        return 0;
    if (pKeyword != nullptr)
        *pKeyword = k;
    return LineLabel(raw, bFixedForm);
}
