// The one reading of a Fortran source file's statements over their lines:
// which lines a statement takes (its continuation lines, past the comment
// and preprocessor lines between them), where each line's text starts and
// the statement's text joined over those lines without label, comments and
// continuation marks, read with the descriptor lists' scanner (a FORMAT
// statement's list as a list). A fixed-form line that ends inside a constant
// going on on the next line gives the constant blanks up to column 72, as
// compilers read it. Every reader of statements takes its lines
// from here: the statement list, the locator, label following, FORMAT
// placement and the writer's read-back. One line is held back at a time; the
// file is never held whole.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "format_scanner.h"
#include "source_file.h"
#include "statement_text.h"

// What one of a statement's lines gives to its text: the line (an index
// into the statement's lines), where the piece starts in that line as the
// locator reads it (the fixed-form image, or the free-form line) and where
// it starts in the text.
struct STextPiece {
    std::size_t nLine = 0;
    std::size_t nColumn = 0;
    std::size_t nOffset = 0;
    bool bOpen = false;  // a constant is still open at the line's end
};

struct SSourceStatement {
    long long nLine = 0;             // the 1-based line it starts on
    std::vector<std::string> lines;  // its lines as they stand, from the first to the last
    std::string text;                // its text, the lines' texts joined
    std::vector<STextPiece> pieces;  // one for each line that is no comment, in order

    // Where the text starts in the first line (0-based, as the locator reads it).
    std::size_t TextStart() const { return pieces.empty() ? 0 : pieces.front().nColumn; }
    // The 1-based line and column where the text's character at nOffset
    // stands.
    void PlaceOf(std::size_t nOffset, long long& nPlaceLine, long long& nPlaceColumn) const;
};

// One line of a statement that holds statement text.
struct SStatementLine {
    SStatementLine() = default;
    SStatementLine(long long nNumber, std::string strRaw, int bFixedForm, std::size_t nTextFrom)
        : nLine(nNumber), raw(std::move(strRaw)), nFrom(nTextFrom), bFixed(bFixedForm != 0)
    {
        if (bFixed)
            fixed = SFixedLine(raw);
    }

    long long nLine = 0;    // its 1-based number
    std::string raw;        // as it stands in the file
    SFixedLine fixed;       // fixed form: its image
    std::size_t nFrom = 0;  // where its statement text starts in Text()
    bool bFixed = false;

    // The line as the statement's reading sees it: the fixed-form image, or
    // the free-form line as it stands.
    const std::string& Text() const { return bFixed ? fixed.image : raw; }
};

// The label of a FORMAT statement as the locator finds one (a label, then
// the keyword FORMAT, in fixed form from column 7 on); 0 for any other
// statement. pKeyword receives where the keyword starts in the first line.
int FormatStatementLabel(const SSourceStatement& statement, int bFixedForm, std::size_t* pKeyword = nullptr);

class CStatementStream {
public:
    // nLinesRead: the lines the reader has already given (the next one read
    // is number nLinesRead + 1).
    CStatementStream(CLineReader& reader, int bFixedForm, long long nLinesRead = 0)
        : m_reader(reader), m_bFixedForm(bFixedForm), m_nLine(nLinesRead)
    {
    }

    // Reads no line past line nLast.
    void StopAfter(long long nLast) { m_nLast = nLast; }
    // Hands each line read from now on to read(raw), as it is read.
    void OnRead(std::function<void(const std::string&)> read) { m_onRead = std::move(read); }

    // The next statement; false at the end of the file (or when reading fails).
    bool Next(SSourceStatement& statement);

    // The next line of the statement whose line was given last (past comment
    // and preprocessor lines): in fixed form the next line when it is a
    // continuation line (any other is held back for the next statement); in
    // free form, when that line's text ended with an "&" that continues it
    // (bGoesOn), the next line, its text resuming after its leading "&" (or,
    // inside a constant, bInConstant, at its first non-blank). False when
    // the statement has ended.
    bool Continue(bool bGoesOn, bool bInConstant, SStatementLine& line);

    // Free form: the statement read last goes on past the lines read (its
    // last line ends with an "&" and no line followed).
    bool Open() const { return m_bOpen; }
    // The number of the line read last.
    long long Line() const { return m_nLine; }

private:
    bool ReadLine(std::string& raw);
    bool NextTextLine(std::string& raw, std::vector<std::string>* pPassed);
    std::size_t FirstTextStart(const std::string& raw) const;
    void Fill(SSourceStatement& statement, std::size_t nImage, CFormatScanner::Mode mode, SScanState& state) const;

    CLineReader& m_reader;
    int m_bFixedForm;
    long long m_nLine = 0;  // the number of the line read last
    long long m_nLast = -1;
    bool m_bHeld = false;
    bool m_bOpen = false;
    std::string m_strHeld;
    std::vector<std::string> m_passed;  // the lines passed over since the last line given
    std::function<void(const std::string&)> m_onRead;
};
