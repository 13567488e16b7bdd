#include "statement_text.h"

#include <algorithm>
#include <cctype>

#include "source_lines.h"

SFixedLine::SFixedLine(const std::string& raw)
{
    std::size_t i = 0;
    for (; i < raw.size() && image.size() < kFixedTextStart; ++i) {
        const char c = raw[i];
        if (c != '\t') {
            image += c;
            continue;
        }
        // A tab before a letter (or what may start the statement text) goes
        // to column 7; before a digit, to the continuation column.
        const char next = i + 1 < raw.size() ? raw[i + 1] : '\0';
        const bool bToText = next == '\0' || std::isalpha(static_cast<unsigned char>(next)) || next == '$' ||
                             next == ' ' || next == '\t' || next == '!';
        const std::size_t nColumn = bToText ? kFixedTextStart : kFixedTextStart - 1;
        if (image.size() < nColumn)
            image.append(nColumn - image.size(), ' ');
    }
    nTextRaw = i;
    for (; i < raw.size() && image.size() < kFixedLineLength; ++i)
        image += raw[i];
    nUsed = i;
}

long long SFixedLine::RawColumn(std::size_t nIndex) const
{
    if (nIndex < kFixedTextStart)
        return static_cast<long long>(nIndex) + 1;
    return static_cast<long long>(nTextRaw + (nIndex - kFixedTextStart)) + 1;
}

bool IsWhite(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsBlankLine(const std::string& line)
{
    return line.find_first_not_of(" \t") == std::string::npos;
}

bool IsFixedComment(const std::string& image)
{
    if (IsBlankLine(image))
        return true;
    const char c = image[0];
    if (c == 'C' || c == 'c' || c == '*' || c == '!')
        return true;
    const std::size_t nFirst = image.find_first_not_of(" \t");
    return nFirst != std::string::npos && image[nFirst] == '!' && nFirst != kFixedTextStart - 1;
}

bool IsFixedContinuation(const std::string& image)
{
    if (image.size() < kFixedTextStart)
        return false;
    const char chMark = image[kFixedTextStart - 1];
    return chMark != ' ' && chMark != '0';
}

bool IsFreeComment(const std::string& line)
{
    const std::size_t nFirst = line.find_first_not_of(" \t");
    return nFirst == std::string::npos || line[nFirst] == '!';
}

bool IsPassedOver(const std::string& raw, int bFixedForm)
{
    if (IsPreprocessorLine(raw, bFixedForm))
        return true;
    return bFixedForm ? IsFixedComment(SFixedLine(raw).image) : IsFreeComment(raw);
}

std::size_t FreeContinuationStart(const std::string& line, bool bInConstant)
{
    const std::size_t nFirst = line.find_first_not_of(" \t");
    if (nFirst != std::string::npos && line[nFirst] == '&')
        return nFirst + 1;
    return bInConstant && nFirst != std::string::npos ? nFirst : 0;
}

bool BlankOrCommentFrom(const std::string& line, std::size_t nFrom)
{
    const std::size_t nNext = line.find_first_not_of(" \t\r", nFrom);
    return nNext == std::string::npos || line[nNext] == '!';
}

namespace {

// Where the second word of a line starts (npos when there is none).
std::size_t SecondWord(const std::string& line)
{
    std::size_t i = line.find_first_not_of(" \t\n\v\f\r");
    if (i == std::string::npos)
        return i;
    while (i < line.size() && !IsWhite(line[i]))
        ++i;
    while (i < line.size() && IsWhite(line[i]))
        ++i;
    return i < line.size() ? i : std::string::npos;
}

// Whether the word before position k (the second word) is a statement
// label. "write(u,'(''Molden Format'')')" has FORMAT as its second word too,
// inside a constant: only a label before it makes a FORMAT statement.
bool FirstWordIsLabel(const std::string& line, std::size_t k)
{
    const std::size_t nFirst = line.find_first_not_of(" \t\n\v\f\r");
    std::size_t nEnd = k;
    while (nEnd > nFirst && IsWhite(line[nEnd - 1]))
        --nEnd;
    return nFirst < nEnd &&
           std::all_of(line.begin() + static_cast<std::ptrdiff_t>(nFirst),
                       line.begin() + static_cast<std::ptrdiff_t>(nEnd), [](char c) { return c >= '0' && c <= '9'; });
}

// Whether the keyword FORMAT (any case) starts at k.
bool StartsWithFormat(const std::string& line, std::size_t k)
{
    static const char kKeyword[] = "FORMAT";
    if (line.size() < k + 6)
        return false;
    for (std::size_t i = 0; i < 6; ++i)
        if (std::toupper(static_cast<unsigned char>(line[k + i])) != kKeyword[i])
            return false;
    return true;
}

}  // namespace

std::size_t FormatKeywordAt(const std::string& line)
{
    const std::size_t k = SecondWord(line);
    return k != std::string::npos && FirstWordIsLabel(line, k) && StartsWithFormat(line, k) ? k : std::string::npos;
}

int ParenBlanks(const std::string& line, std::size_t nOpen)
{
    std::size_t nBlanks = 0;
    while (nOpen + 1 + nBlanks < line.size() && line[nOpen + 1 + nBlanks] == ' ')
        ++nBlanks;
    if (nOpen + 1 + nBlanks >= line.size() || line[nOpen + 1 + nBlanks] == '!')
        return 0;
    return static_cast<int>(nBlanks);
}

std::size_t LastNonWhite(std::string_view text)
{
    std::size_t n = text.size();
    while (n > 0 && IsWhite(text[n - 1]))
        --n;
    return n == 0 ? std::string::npos : n - 1;
}

bool EndsWithAmpersand(std::string_view text)
{
    const std::size_t n = LastNonWhite(text);
    return n != std::string::npos && text[n] == '&';
}

SPieceScan ScanPiece(std::string_view piece, CFormatScanner::Mode mode, const SScanState& state, bool bFreeForm)
{
    SPieceScan scan;
    CFormatScanner scanner(piece, mode, state);
    for (SFormatToken t = scanner.NextToken(); t.kind != TOKEN_END; t = scanner.NextToken()) {
        if (t.kind == TOKEN_COMMENT && scan.nComment == std::string::npos)
            scan.nComment = t.nOffset;
        if (t.kind != TOKEN_BLANK && t.kind != TOKEN_LINE_END)
            scan.nKeep = t.End();
        scan.chLastClosingQuote = 0;
        if (t.kind == TOKEN_CONSTANT && !t.bOpen && t.End() == piece.size())
            scan.chLastClosingQuote = piece[t.End() - 1];
    }
    scan.state = scanner.State();
    scan.nTrimmed = piece.find_last_not_of(" \t");
    scan.nTrimmed = scan.nTrimmed == std::string::npos ? 0 : scan.nTrimmed + 1;
    // A comment ends where its text does, not with the blanks after it.
    if (scan.nComment != std::string::npos && scan.nKeep > scan.nComment)
        scan.nKeep = std::max(scan.nComment + 1, scan.nTrimmed);
    scan.nContentEnd = piece.size();
    if (!bFreeForm)
        return scan;
    // Free form: an "&" that ends the text before a comment continues the
    // statement, inside a constant or not; the text ends before it.
    const std::size_t nAmpersand = LastNonWhite(piece.substr(0, std::min(scan.nComment, piece.size())));
    if (nAmpersand == std::string::npos || piece[nAmpersand] != '&')
        return scan;
    scan.bContinues = true;
    scan.nContentEnd = nAmpersand;
    CFormatScanner content(piece.substr(0, nAmpersand), mode, state);
    while (content.NextToken().kind != TOKEN_END) {
    }
    scan.state = content.State();
    return scan;
}

bool SplitsCharacter(std::string_view text, std::size_t n)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    if (n == 0 || n >= text.size() || (byte(n) & 0xC0) != 0x80)
        return false;
    for (std::size_t k = 1; k <= 3 && k <= n; ++k) {
        const unsigned char lead = byte(n - k);
        if ((lead & 0xC0) == 0x80)
            continue;
        const std::size_t nLength = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        return k < nLength;
    }
    return false;
}
