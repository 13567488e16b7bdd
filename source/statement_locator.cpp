#include "statement_locator.h"

#include <algorithm>
#include <cctype>
#include <climits>

#include "safe_file_writer.h"
#include "source_lines.h"
#include "string_table.h"

namespace {

constexpr std::size_t kFixedLineLength = 72;
constexpr std::size_t kFixedTextStart = 6;  // column 7

bool IsWhite(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsBlankLine(const std::string& line)
{
    return std::all_of(line.begin(), line.end(), IsWhite);
}

int ClampToInt(long long n)
{
    return static_cast<int>(std::clamp<long long>(n, INT_MIN, INT_MAX));
}

// A fixed-form comment line: C, c, * or ! in column 1, or a first non-blank
// ! anywhere but in the continuation column. A label's digits in column 1
// do not make one.
bool IsFixedComment(const std::string& expanded)
{
    if (expanded.empty())
        return false;
    const char c = expanded[0];
    if (c == 'C' || c == 'c' || c == '*' || c == '!')
        return true;
    const std::size_t nFirst = expanded.find_first_not_of(" \t");
    return nFirst != std::string::npos && expanded[nFirst] == '!' && nFirst != kFixedTextStart - 1;
}

// A fixed-form line that continues the statement: column 6 holds a mark,
// anything but a blank or a zero (a zero there starts a new statement).
bool IsFixedContinuation(const std::string& expanded)
{
    if (expanded.size() < kFixedTextStart)
        return false;
    const char chMark = expanded[kFixedTextStart - 1];
    return chMark != ' ' && chMark != '0';
}

// A free-form comment line: its first non-blank character is !.
bool IsFreeComment(const std::string& line)
{
    const std::size_t nFirst = line.find_first_not_of(" \t");
    return nFirst != std::string::npos && line[nFirst] == '!';
}

// Where a free-form continuation line's text resumes: after a leading &,
// else at its first character.
std::size_t FreeContinuationStart(const std::string& line)
{
    const std::size_t nFirst = line.find_first_not_of(" \t");
    return (nFirst != std::string::npos && line[nFirst] == '&') ? nFirst + 1 : 0;
}

bool OnlyWhiteFrom(const std::string& s, std::size_t nFrom)
{
    return std::all_of(s.begin() + static_cast<std::ptrdiff_t>(std::min(nFrom, s.size())), s.end(), IsWhite);
}

// Reads the statement's lines after its first one, counting their numbers
// and keeping each as it reads, so the writer can later notice a change.
class CStatementReader {
public:
    CStatementReader(CLineReader& reader, CDescriptorList& list, long long nLine)
        : m_reader(reader), m_list(list), m_nLine(nLine)
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
        m_list.m_arrOriginalLines.push_back(raw);
        return true;
    }

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

    // The current line belongs to the statement; its text begins at
    // nTextOffset of the collected list text.
    void Take(std::size_t nTextOffset)
    {
        // The preprocessor lines since the statement's last line must
        // close every condition they open, and choose nothing outside them.
        if ((m_nGapDepth != 0 || m_bGapChooses) && m_nConditionalLine == 0)
            m_nConditionalLine = m_nLine;
        m_nGapDepth = 0;
        m_bGapChooses = false;
        m_list.m_arrLines.push_back(static_cast<int>(std::min<long long>(m_nLine, INT_MAX)));
        m_lineStarts.push_back(nTextOffset);
        m_list.m_arrLineComments.emplace_back();
    }

    // The current line ends with a comment that the collected text leaves out.
    void Comment(const std::string& strComment) { m_list.m_arrLineComments.back() = strComment; }

    // The statement line whose text holds offset nTextOffset of the collected text.
    std::size_t LineAt(std::size_t nTextOffset) const
    {
        const auto it = std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), nTextOffset);
        return it == m_lineStarts.begin() ? 0 : static_cast<std::size_t>(it - m_lineStarts.begin()) - 1;
    }

private:
    CLineReader& m_reader;
    CDescriptorList& m_list;
    long long m_nLine;
    std::vector<std::size_t> m_lineStarts;
    int m_nGapDepth = 0;          // conditions opened since the last statement line
    bool m_bGapChooses = false;   // a branch, close or include outside them
    long long m_nConditionalLine = 0;
};


// Reads past comment and preprocessor lines to the next continuation line
// and gives its image (ExpandFixedLine); false when the statement has ended.
bool NextFixedContinuationLine(CStatementReader& lines, std::string& expanded)
{
    std::string raw;
    for (;;) {
        if (!lines.Next(raw))
            return false;
        if (IsPreprocessorLine(raw, 1)) {
            lines.SkipDirective(raw);
            continue;
        }
        expanded = ExpandFixedLine(raw);
        if (!IsFixedComment(expanded))
            break;
    }
    return IsFixedContinuation(expanded);
}

// The same, giving the continuation line's text from column 7.
bool NextFixedContinuation(CStatementReader& lines, std::string& piece, std::size_t& nLineLength)
{
    std::string expanded;
    if (!NextFixedContinuationLine(lines, expanded))
        return false;
    piece = expanded.substr(kFixedTextStart);
    nLineLength = expanded.size();
    return true;
}

void CollectFixedFormat(CStatementReader& lines, const std::string& firstLine, std::size_t nListStart,
                        std::string& text)
{
    SQuoteState state;
    std::string piece = firstLine.substr(nListStart);
    std::size_t nLineLength = firstLine.size();
    for (;;) {
        lines.Take(text.size());
        state.ScanFixed(piece, 0);
        // A constant still open goes on on the next line: this one reads as
        // filled to column 72. Blanks at the end of a line outside a
        // constant mean nothing, and neither do those at the end of the
        // statement's last line.
        const std::size_t nFill = kFixedLineLength - std::min(nLineLength, kFixedLineLength);
        const bool bOpen = state.chQuote != 0;
        const std::size_t nTrailing = piece.size() - (piece.find_last_not_of(' ') + 1);
        if (!bOpen)
            piece.erase(piece.size() - nTrailing);
        text += piece;
        if (!bOpen)
            text += '\n';
        if (!NextFixedContinuation(lines, piece, nLineLength)) {
            if (bOpen)
                text.erase(text.size() - nTrailing);
            return;
        }
        if (bOpen)
            text.append(nFill, ' ');
    }
}

void CollectFixedString(CStatementReader& lines, const std::string& firstLine, std::size_t nAfterQuote, char quote,
                        std::string& text)
{
    std::string piece = firstLine.substr(nAfterQuote);
    std::size_t nLineLength = firstLine.size();
    for (;;) {
        lines.Take(text.size());
        const int bClosed = Unquote(piece, quote, false);
        if (bClosed)
            piece.erase(piece.find_last_not_of(' ') + 1);  // blanks after the statement mean nothing
        text += piece;
        if (bClosed)
            return;
        const std::size_t nFill = kFixedLineLength - std::min(nLineLength, kFixedLineLength);
        if (!NextFixedContinuation(lines, piece, nLineLength))
            return;
        text.append(nFill, ' ');  // the constant goes on: blanks up to column 72
    }
}

// Whether the rest of a line from nFrom is blank or a comment.
bool BlankOrCommentFrom(const std::string& line, std::size_t nFrom)
{
    const std::size_t nNext = line.find_first_not_of(" \t\r", nFrom);
    return nNext == std::string::npos || line[nNext] == '!';
}

// Scans a free-form piece from nFrom: returns the position of the & that
// continues the statement, or npos when the statement ends with this piece.
std::size_t ScanFree(const std::string& piece, SQuoteState& state, std::size_t nFrom = 0)
{
    for (std::size_t i = nFrom; i < piece.size(); ++i) {
        const char c = piece[i];
        if (state.chQuote == 0) {
            if (c == '!')
                return std::string::npos;  // a comment: an & in it continues nothing
            if (c == '&' && BlankOrCommentFrom(piece, i + 1))
                return i;  // (an & with more text after it continues nothing either)
            if (c == '\'' || c == '"')
                state.chQuote = c;
        } else if (c == state.chQuote) {
            if (i + 1 < piece.size() && piece[i + 1] == state.chQuote)
                ++i;
            else
                state.chQuote = 0;
        } else if (c == '&' && OnlyWhiteFrom(piece, i + 1)) {
            return i;  // the constant goes on on the next line
        }
    }
    return std::string::npos;
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

// Follows free-form lines as they are read before a line, to tell whether
// the last one holding statement text ends with an & that continues it:
// then the next such line, past blank, comment and preprocessor lines, goes
// on with that statement.
class CFreeContinuation {
public:
    void Read(const std::string& raw)
    {
        if (IsBlankLine(raw) || IsFreeComment(raw) || IsPreprocessorLine(raw, 0))
            return;
        if (!m_bOpen)
            m_state.chQuote = 0;
        m_bOpen = ScanFree(raw, m_state, m_bOpen ? FreeContinuationStart(raw) : 0) != std::string::npos;
    }
    bool Open() const { return m_bOpen; }

private:
    SQuoteState m_state;
    bool m_bOpen = false;
};

void CollectFreeFormat(CStatementReader& lines, const std::string& firstLine, std::size_t nListStart,
                       std::string& text)
{
    SQuoteState state;
    std::string piece = firstLine.substr(nListStart);
    for (;;) {
        lines.Take(text.size());
        const std::size_t nAmpersand = ScanFree(piece, state);
        if (nAmpersand == std::string::npos) {
            text += piece;
            text += '\n';
            return;
        }
        text.append(piece, 0, nAmpersand);
        // What follows the & is a comment or nothing.
        const std::size_t nComment = piece.find_first_not_of(" \t", nAmpersand + 1);
        if (nComment != std::string::npos)
            lines.Comment(piece.substr(nComment));
        std::string raw;
        if (!NextFreeLine(lines, raw))
            return;
        piece = raw.substr(FreeContinuationStart(raw));
    }
}

void CollectFreeString(CStatementReader& lines, const std::string& firstLine, std::size_t nAfterQuote, char quote,
                       std::string& text)
{
    std::string piece = firstLine.substr(nAfterQuote);
    for (;;) {
        lines.Take(text.size());
        const std::size_t nLast = piece.find_last_not_of(" \t");
        const bool bContinued = nLast != std::string::npos && piece[nLast] == '&';
        const int bClosed = Unquote(piece, quote, true);
        text += piece;
        if (bClosed) {
            text += '\n';
            return;
        }
        if (!bContinued)
            return;  // a constant left open without an & ends with its line
        std::string raw;
        if (!NextFreeLine(lines, raw))
            return;
        piece = raw.substr(FreeContinuationStart(raw));
    }
}

// The opening quote of the constant the cursor is in or after: the latest
// one that opens a constant before the cursor column.
std::size_t FindOpeningQuote(const std::string& line, long long column)
{
    std::size_t nOpening = std::string::npos;
    if (column <= 0)
        return nOpening;
    const std::size_t nEnd = static_cast<std::size_t>(std::min<long long>(column, static_cast<long long>(line.size())));
    char chQuote = 0;
    for (std::size_t i = 0; i < nEnd; ++i) {
        const char c = line[i];
        if (chQuote == 0) {
            if (c == '\'' || c == '"') {
                chQuote = c;
                nOpening = i;
            }
        } else if (c == chQuote) {
            if (i + 1 < nEnd && line[i + 1] == chQuote)
                ++i;
            else
                chQuote = 0;
        }
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
    SQuoteState state;
    return state.ScanFixed(text, 0) < text.size();
}

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
// label: digits only. "write(u,'(''Molden Format'')')" has FORMAT as its
// second word too, inside a constant.
bool FirstWordIsLabel(const std::string& line, std::size_t k)
{
    const std::size_t nFirst = line.find_first_not_of(" \t\n\v\f\r");
    std::size_t nEnd = k;
    while (nEnd > nFirst && IsWhite(line[nEnd - 1]))
        --nEnd;
    return nFirst < nEnd && std::all_of(line.begin() + static_cast<std::ptrdiff_t>(nFirst),
                                        line.begin() + static_cast<std::ptrdiff_t>(nEnd),
                                        [](char c) { return c >= '0' && c <= '9'; });
}

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

void ForgetStatement(CDescriptorList& list)
{
    list.m_arrLines.clear();
    list.m_arrLineComments.clear();
    list.m_arrOriginalLines.clear();
    list.m_strFileName.clear();
}

}  // namespace

namespace {

// The image of the line's first 72 columns, and how many of the line's
// characters it took.
std::string ExpandFixedImage(const std::string& source, std::size_t& nUsed)
{
    std::string target;
    std::size_t i = 0;
    for (; i < source.size() && target.size() < kFixedTextStart; ++i) {
        const char c = source[i];
        if (c != '\t') {
            target += c;
            continue;
        }
        // A tab before a letter (or what may start the statement text) goes
        // to column 7; before a digit, to the continuation column.
        const char next = i + 1 < source.size() ? source[i + 1] : '\0';
        const bool bToText = next == '\0' || std::isalpha(static_cast<unsigned char>(next)) || next == '$' ||
                             next == ' ' || next == '\t' || next == '!';
        const std::size_t nColumn = bToText ? kFixedTextStart : kFixedTextStart - 1;
        if (target.size() < nColumn)
            target.append(nColumn - target.size(), ' ');
    }
    for (; i < source.size() && target.size() < kFixedLineLength; ++i)
        target += source[i];
    nUsed = i;
    return target;
}

}  // namespace

std::string ExpandFixedLine(const std::string& source)
{
    std::size_t nUsed = 0;
    return ExpandFixedImage(source, nUsed);
}

std::string FixedSequenceField(const std::string& source)
{
    std::size_t nUsed = 0;
    ExpandFixedImage(source, nUsed);
    return source.substr(nUsed);
}

int Unquote(std::string& text, char quote, bool stopAtAmpersand)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == quote) {
            if (i + 1 < text.size() && text[i + 1] == quote) {
                out += quote;  // a doubled quote
                ++i;
                continue;
            }
            out.append(text, i + 1, std::string::npos);  // the closing quote and what follows it
            text = out;
            return 1;
        }
        if (stopAtAmpersand && c == '&' && OnlyWhiteFrom(text, i + 1)) {
            text = out;
            return 0;
        }
        out += c;
    }
    text = out;
    return 0;
}

namespace {

enum CollectResult {
    COLLECT_FOUND,
    COLLECT_BLANK,
    COLLECT_FORMAT_COLUMN,  // a FORMAT keyword left of column 7 in fixed form
    COLLECT_NO_LIST,        // neither FORMAT nor a constant at the cursor
    COLLECT_NUL,            // a statement line holds a NUL byte (nNulLine)
    COLLECT_CONDITIONAL,    // a preprocessor condition chooses statement lines (nBadLine)
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

// The line, after comment and preprocessor lines, on which a FORMAT list
// goes on from a line that ends after its keyword, and where its text starts
// there (its image, in fixed form). False when there is no such line.
bool NextListLine(CStatementReader& lines, bool bFixedForm, std::string& lineText, std::size_t& nTextStart)
{
    if (bFixedForm) {
        nTextStart = kFixedTextStart;
        return NextFixedContinuationLine(lines, lineText);
    }
    if (!NextFreeLine(lines, lineText))
        return false;
    nTextStart = FreeContinuationStart(lineText);
    return true;
}

// Collects the statement whose first line (line, already read: raw) the
// reader has just passed: sets the statement fields of the list that the
// text gives (head, lines, form's delimiter, blanks, line comments, original
// lines) and the descriptor-list text to split.
CollectResult CollectStatement(CDescriptorList& list, long long line, long long column, const std::string& raw,
                               std::string& text, CStatementReader& lines, int& nBadLine)
{
    const std::string lineText = list.m_bFixedForm ? ExpandFixedLine(raw) : raw;
    list.m_arrLines.clear();
    list.m_arrLineComments.clear();
    list.m_arrOriginalLines.assign(1, raw);
    list.m_nFirstLine = ClampToInt(line);
    if (IsBlankLine(lineText))
        return COLLECT_BLANK;

    const std::size_t k = SecondWord(lineText);
    if (k != std::string::npos && FirstWordIsLabel(lineText, k) && StartsWithFormat(lineText, k)) {
        if (list.m_bFixedForm && k < kFixedTextStart)
            return COLLECT_FORMAT_COLUMN;
        std::string listLine = lineText;  // the line on which the list starts
        std::size_t nListStart = 0;
        std::size_t nHeadEnd = 0;
        std::string strComment;
        if (ListOnNextLine(lineText, k + 6, list.m_bFixedForm != 0, nHeadEnd, strComment)) {
            // The head runs over two lines: the keyword's line (with the
            // free-form &) and the next line's text up to the parenthesis.
            lines.Take(0);
            if (!strComment.empty())
                lines.Comment(strComment);
            std::size_t nTextStart = 0;
            if (!NextListLine(lines, list.m_bFixedForm != 0, listLine, nTextStart))
                return COLLECT_NO_LIST;
            nListStart = listLine.find_first_not_of(" \t", nTextStart);
            if (nListStart == std::string::npos || listLine[nListStart] != '(')
                return COLLECT_NO_LIST;
            list.m_strHead = lineText.substr(0, nHeadEnd) + "\n" + listLine.substr(0, nListStart);
        } else {
            nListStart = lineText.find('(', k + 6);
            if (nListStart == std::string::npos)
                nListStart = lineText.size();
            if (CommentBefore(lineText, nListStart, list.m_bFixedForm))
                return COLLECT_NO_LIST;  // a FORMAT commented out
            list.m_strHead = lineText.substr(0, nListStart);
        }
        // The spaces (not tabs) right after the parenthesis.
        std::size_t nBlanks = 0;
        while (nListStart + 1 + nBlanks < listLine.size() && listLine[nListStart + 1 + nBlanks] == ' ')
            ++nBlanks;
        if (nListStart + 1 + nBlanks >= listLine.size() || listLine[nListStart + 1 + nBlanks] == '!')
            nBlanks = 0;  // blanks that end the line (or come before a comment) lay nothing out
        list.m_nParenBlanks = static_cast<int>(nBlanks);
        if (list.m_bFixedForm)
            CollectFixedFormat(lines, listLine, nListStart, text);
        else
            CollectFreeFormat(lines, listLine, nListStart, text);
        list.m_chDelimiter = 'f';
    } else {
        const std::size_t nQuote = FindOpeningQuote(lineText, column);
        if (nQuote == std::string::npos || CommentBefore(lineText, nQuote, list.m_bFixedForm))
            return COLLECT_NO_LIST;
        list.m_strHead = lineText.substr(0, nQuote);
        list.m_nParenBlanks = 0;
        list.m_chDelimiter = lineText[nQuote];
        if (list.m_bFixedForm)
            CollectFixedString(lines, lineText, nQuote + 1, lineText[nQuote], text);
        else
            CollectFreeString(lines, lineText, nQuote + 1, lineText[nQuote], text);
    }
    // The original lines run to the statement's last line, not to the line
    // that ended it.
    const long long nLast = list.m_arrLines.empty() ? line : list.m_arrLines.back();
    list.m_arrOriginalLines.resize(static_cast<std::size_t>(nLast - line + 1));

    // The descriptors are text: a NUL byte in the statement would cut it
    // short, and the save would drop what followed.
    for (const int nStatementLine : list.m_arrLines) {
        if (list.m_arrOriginalLines[static_cast<std::size_t>(nStatementLine - line)].find('\0') != std::string::npos) {
            nBadLine = nStatementLine;
            return COLLECT_NUL;
        }
    }
    if (lines.ConditionalLine() != 0) {
        nBadLine = ClampToInt(lines.ConditionalLine());
        return COLLECT_CONDITIONAL;
    }
    if (!text.empty() && text.back() != '\n')
        text += '\n';
    return COLLECT_FOUND;
}

// Puts each comment that the split found between the descriptors on the
// statement line it stood on.
void PlaceComments(CDescriptorList& list, const CStatementReader& lines)
{
    for (const CDescriptorList::SComment& comment : list.m_arrComments) {
        const std::size_t nLine = lines.LineAt(comment.nOffset);
        if (nLine < list.m_arrLineComments.size())
            list.m_arrLineComments[nLine] = comment.strText;
    }
}

}  // namespace

int LocateStatement(CDescriptorList& list, long long line, long long column, const std::string& fileName,
                    int interactive, SourceForm form)
{
    const OwnerHandle owner = list.m_hOwnerWnd;
    CLineReader reader;
    if (!reader.Open(fileName)) {
        ShowMessage(owner, MB_ICONEXCLAMATION, IDS_CANNOT_OPEN_FILE, fileName.c_str());
        return LOCATE_FAILED;
    }
    // The file as it is now: a save checks that it is still so.
    ReadFileIdentity(fileName, list.m_fileIdentity);
    list.m_bFixedForm = IsFixedForm(fileName, form);
    if (IsReadOnlyFile(fileName)) {
        const int nAnswer = ShowMessage(owner, MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2, IDS_READ_ONLY,
                                        fileName.c_str());
        if (nAnswer != IDYES || !interactive)
            return LOCATE_FAILED;
    }
    // Line 0, and a negative number that would read no line at all.
    if (line <= 0) {
        ShowMessage(owner, MB_ICONEXCLAMATION, IDS_LINE_NOT_NUMBER);
        return LOCATE_FAILED;
    }

    std::string raw;
    long long nReads = 0;
    list.m_strLineEnd = "\n";
    bool bLineEndKnown = false;
    CFreeContinuation before;  // free form: whether the lines before the line leave a statement open
    while (nReads < line && !reader.AtEnd()) {
        if (nReads > 0 && !list.m_bFixedForm)
            before.Read(raw);
        reader.ReadSourceLine(raw);
        ++nReads;
        if (!bLineEndKnown && !reader.LineEnd().empty()) {
            list.m_strLineEnd = reader.LineEnd() == "\r\n" ? "\r\n" : "\n";
            bLineEndKnown = true;
        }
    }
    if (reader.Failed() || nReads < line) {
        ShowMessage(owner, MB_ICONEXCLAMATION, IDS_LINE_NOT_FOUND, ClampToInt(line), fileName.c_str());
        return LOCATE_FAILED;
    }

    CStatementReader lines(reader, list, line);
    std::string text;
    int nBadLine = 0;
    switch (CollectStatement(list, line, column, raw, text, lines, nBadLine)) {
    case COLLECT_BLANK:
        // A free-form statement continued past the blank line would take
        // the new statement as its continuation.
        if (!list.m_bFixedForm && before.Open()) {
            ShowMessage(owner, MB_ICONEXCLAMATION, IDS_CONTINUATION_AFTER_BLANK, ClampToInt(line));
            return LOCATE_FAILED;
        }
        // A fixed-form continuation line after the blank line would go on
        // the new statement instead of the one it continues now.
        if (list.m_bFixedForm) {
            std::string piece;
            std::size_t nLength = 0;
            if (NextFixedContinuation(lines, piece, nLength)) {
                ShowMessage(owner, MB_ICONEXCLAMATION, IDS_CONTINUATION_AFTER_BLANK, ClampToInt(line));
                return LOCATE_FAILED;
            }
            list.m_arrOriginalLines.resize(1);  // the lines looked at are none of the statement's
        }
        return LOCATE_BLANK;
    case COLLECT_FORMAT_COLUMN: ShowMessage(owner, MB_ICONEXCLAMATION, IDS_FORMAT_COLUMN); return LOCATE_FAILED;
    case COLLECT_NO_LIST:
        ForgetStatement(list);
        ShowMessage(owner, MB_ICONEXCLAMATION, IDS_NO_LIST);
        return LOCATE_NO_LIST;
    case COLLECT_NUL:
        // Such a statement is left as it is.
        ForgetStatement(list);
        ShowMessage(owner, MB_ICONEXCLAMATION, IDS_NUL_BYTE, nBadLine);
        return LOCATE_FAILED;
    case COLLECT_CONDITIONAL:
        ForgetStatement(list);
        ShowMessage(owner, MB_ICONEXCLAMATION, IDS_PREPROCESSOR_CONDITION, nBadLine);
        return LOCATE_FAILED;
    case COLLECT_FOUND: break;
    }
    if (!list.Split(text.c_str())) {
        ForgetStatement(list);
        ShowMessage(owner, MB_ICONEXCLAMATION, IDS_INVALID_LIST);
        return LOCATE_NO_LIST;
    }
    PlaceComments(list, lines);
    list.m_strFileName = fileName;
    return LOCATE_FOUND;
}

bool StatementReadsBack(const CDescriptorList& list, const std::vector<std::string>& statementLines)
{
    std::string strText;
    for (const std::string& strLine : statementLines)
        strText += strLine + "\n";
    CLineReader reader;
    reader.OpenText(std::move(strText));
    std::string raw;
    reader.ReadSourceLine(raw);

    CDescriptorList copy;
    copy.m_bFixedForm = list.m_bFixedForm;
    CStatementReader lines(reader, copy, 1);
    std::string text;
    int nBadLine = 0;
    // The cursor on the format string's opening quote, where the head ends.
    const long long nColumn = static_cast<long long>(list.m_strHead.size()) + 1;
    if (CollectStatement(copy, 1, nColumn, raw, text, lines, nBadLine) != COLLECT_FOUND)
        return false;
    const char* pEnd = nullptr;
    if (!copy.ScanList(text.c_str(), &pEnd))
        return false;
    copy.m_strTail = pEnd + 1;
    if (copy.m_strHead != list.m_strHead || copy.m_strTail != list.m_strTail ||
        copy.m_nParenBlanks != list.m_nParenBlanks || copy.m_chDelimiter != list.m_chDelimiter)
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

int NewStatement(CDescriptorList& list, long long line, const std::string& fileName, const char* firstText,
                 SourceForm form)
{
    list.Clear();
    if (!list.InsertDescriptor(0, firstText))
        return 0;
    const int bFixedForm = IsFixedForm(fileName, form);
    // The statement gets a label of its own, so that the file compiles
    // as it is written.
    CLineReader reader;
    const int nLabel = reader.Open(fileName) ? FindFreeLabel(reader, bFixedForm) : -1;
    if (nLabel < 0 || reader.Failed()) {
        ShowMessage(list.m_hOwnerWnd, MB_ICONEXCLAMATION, IDS_CANNOT_OPEN_FILE, fileName.c_str());
        return 0;
    }
    if (nLabel == 0) {
        ShowMessage(list.m_hOwnerWnd, MB_ICONEXCLAMATION, IDS_NO_FREE_LABEL, fileName.c_str());
        return 0;
    }
    list.m_arrLines.clear();
    list.m_arrLineComments.clear();
    list.m_nFirstLine = ClampToInt(line);
    list.m_strFileName = fileName;
    list.m_strHead = NewStatementHead(nLabel, bFixedForm);
    list.m_strTail = "\n";
    list.m_bFixedForm = bFixedForm;
    list.m_chDelimiter = 'f';
    return 1;
}

std::string StatementLabel(const CDescriptorList& list)
{
    const std::size_t nStart = list.m_strHead.find_first_not_of(" \t");
    if (nStart == std::string::npos)
        return std::string();
    std::size_t nEnd = nStart;
    while (nEnd < list.m_strHead.size() && std::isdigit(static_cast<unsigned char>(list.m_strHead[nEnd])))
        ++nEnd;
    const bool bWord = nEnd > nStart && (nEnd == list.m_strHead.size() || IsWhite(list.m_strHead[nEnd]));
    return bWord ? list.m_strHead.substr(nStart, nEnd - nStart) : std::string();
}
