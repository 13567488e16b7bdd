// A Fortran source file read statement by statement: each statement's first
// line number, its lines (continuation lines and the comment or preprocessor
// lines between them included) and its text joined over those lines without
// label, comments and continuation marks, read with the descriptor lists'
// scanner. One line is held back at a time; the file is never held whole.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "format_scanner.h"
#include "source_file.h"

// What one of a statement's lines gives to its text: the line (an index
// into the statement's lines), where the piece starts in that line as the
// locator reads it (the fixed-form image, or the free-form line) and where
// it starts in the text.
struct STextPiece {
    std::size_t nLine = 0;
    std::size_t nColumn = 0;
    std::size_t nOffset = 0;
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

// The label of a FORMAT statement as the locator finds one (a label, then
// the keyword FORMAT, in fixed form from column 7 on); 0 for any other
// statement. pKeyword receives where the keyword starts in the first line.
int FormatStatementLabel(const SSourceStatement& statement, int bFixedForm, std::size_t* pKeyword = nullptr);

class CStatementStream {
public:
    CStatementStream(CLineReader& reader, int bFixedForm) : m_reader(reader), m_bFixedForm(bFixedForm) {}

    // The next statement; false at the end of the file (or when reading fails).
    bool Next(SSourceStatement& statement);

private:
    bool ReadLine(std::string& raw);
    void HoldBack(std::string raw);
    bool NextTextLine(std::string& raw, std::vector<std::string>* pPassed);
    std::size_t TextStart(const std::string& raw, const SScanState* pContinued) const;

    CLineReader& m_reader;
    int m_bFixedForm;
    long long m_nLine = 0;  // the number of the line read last
    bool m_bHeld = false;
    std::string m_strHeld;
};
