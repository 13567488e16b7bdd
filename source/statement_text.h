// How statement text stands in Fortran source lines: the columns of a
// fixed-form line, comment and continuation lines, and the reading of one
// line's text with the descriptor lists' scanner (where a constant or a
// Hollerith constant opens and closes, where a comment starts, whether a
// free-form line goes on).
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

#include "format_scanner.h"

inline constexpr std::size_t kFixedLineLength = 72;
inline constexpr std::size_t kFixedTextStart = 6;  // column 7

// A fixed-form line: its image (tabs in the label and continuation field
// expanded, at most 72 characters), how many of the raw line's characters the
// image took, and where the raw line's column 7 starts.
struct SFixedLine {
    SFixedLine() = default;
    explicit SFixedLine(const std::string& raw);

    std::string image;
    std::size_t nUsed = 0;
    std::size_t nTextRaw = kFixedTextStart;

    // The raw line's 1-based column of the image's character at nIndex.
    long long RawColumn(std::size_t nIndex) const;
};

bool IsWhite(char c);

// A line of nothing but blanks and tabs (a form feed or any other character
// makes it a line with text).
bool IsBlankLine(const std::string& line);

// A fixed-form comment line: a blank line, C, c, * or ! in column 1, or a
// first non-blank ! anywhere but in the continuation column.
bool IsFixedComment(const std::string& image);

// A fixed-form line that continues the statement: column 6 holds a mark,
// anything but a blank or a zero.
bool IsFixedContinuation(const std::string& image);

// A free-form comment line: a blank line, or one whose first non-blank
// character is !.
bool IsFreeComment(const std::string& line);

// A line that holds no statement text: a comment line or a preprocessor
// line. Every reading of a statement passes over such lines between its
// lines.
bool IsPassedOver(const std::string& raw, int bFixedForm);

// Where a free-form continuation line's text resumes: after a leading &,
// else at its first character; but inside a constant that the line goes on
// with, at its first non-blank, as compilers read a continued constant whose
// line lacks the & (its leading blanks are no part of the constant).
std::size_t FreeContinuationStart(const std::string& line, bool bInConstant = false);

// Whether the rest of a line from nFrom is blank or a comment.
bool BlankOrCommentFrom(const std::string& line, std::size_t nFrom);

// Where the keyword FORMAT (any case) starts when it is a line's second
// word and a statement label its first; npos for any other line.
std::size_t FormatKeywordAt(const std::string& line);

// The spaces right after a list's "(" at nOpen, which the writer keeps; 0
// when they end the line or come before a comment (they lay nothing out).
int ParenBlanks(const std::string& line, std::size_t nOpen);

// What one line's text holds, read by the scanner from a state that an
// earlier line left.
struct SPieceScan {
    std::size_t nComment = std::string::npos;  // where a comment starts
    std::size_t nKeep = 0;                     // the end of the text but for blanks after it
    std::size_t nTrimmed = 0;                  // the end of the text but for blanks, inside a constant too
    // Free form: the text (up to a comment) ends with an "&" that continues
    // the statement; the text that belongs to it ends before that "&".
    bool bContinues = false;
    std::size_t nContentEnd = 0;
    // The quote that closes a constant as the text's very last character.
    char chLastClosingQuote = 0;
    SScanState state;  // at the text's end (free form: at nContentEnd)
};

SPieceScan ScanPiece(std::string_view piece, CFormatScanner::Mode mode, const SScanState& state,
                     bool bFreeForm = false);

// Where the text a line gives its statement ends: at a comment, and in free
// form before an "&" that continues the statement.
inline std::size_t PieceEnd(const SPieceScan& scan, std::size_t nSize)
{
    return scan.bContinues ? scan.nContentEnd : std::min(scan.nComment, nSize);
}

// Whether a line broken before text[n] would cut a UTF-8 character in two:
// text[n] continues a sequence that a lead byte before it opened. (Bytes of
// other encodings never count as cut.)
bool SplitsCharacter(std::string_view text, std::size_t n);

// The index of the last character that is not white (npos for none), and
// whether it is an "&".
std::size_t LastNonWhite(std::string_view text);
bool EndsWithAmpersand(std::string_view text);
