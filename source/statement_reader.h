// Reading a statement's lines from a source file into the text the splitter
// reads: the lines that belong to it (continuation lines, past comment and
// preprocessor lines), each line's text joined with the scanner's reading
// of where constants open and close, and where each character stood.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "source_file.h"
#include "statement_site.h"
#include "statement_text.h"

// Reads the statement's lines after its first one, counting their numbers
// and keeping each as it reads in the site, so the writer can later notice a
// change; it records which lines the statement takes.
class CStatementReader {
public:
    CStatementReader(CLineReader& reader, CStatementSite& site, long long nLine)
        : m_reader(reader), m_site(site), m_nLine(nLine)
    {
    }

    long long Line() const { return m_nLine; }

    // The next line that holds statement text, past comment and preprocessor
    // lines; false at the end of the file.
    bool NextTextLine(std::string& raw, int bFixedForm);

    // The first statement line that a preprocessor condition (or an
    // include) between the statement's lines makes depend on the
    // preprocessor; 0 when there is none. Such a statement cannot be
    // rewritten: its lines are broken anew, so the condition would choose
    // other text.
    long long ConditionalLine() const { return m_nConditionalLine; }

    // The current line belongs to the statement.
    void Take();

    // The current line ends with a comment that the collected text leaves out.
    void Comment(const std::string& strComment) { m_site.m_arrLineComments.back() = strComment; }

private:
    // The next line, or false when the file has no further line.
    bool Next(std::string& raw);
    // A preprocessor line that the statement passes over.
    void SkipDirective(const std::string& raw);

    CLineReader& m_reader;
    CStatementSite& m_site;
    long long m_nLine;
    int m_nGapDepth = 0;         // conditions opened since the last statement line
    bool m_bGapChooses = false;  // a branch, close or include outside them
    long long m_nConditionalLine = 0;
};

// The statement's text as it is collected from its lines, with where each
// character stood in the file.
struct SCollected {
    std::string text;                     // the list text, or a format string's content
    std::vector<SSourcePlace> places;     // for each character of text
    std::vector<std::size_t> lineStarts;  // where each statement line's text begins in text
    std::vector<std::size_t> fills;       // where blanks fill a fixed-form line to column 72
    bool bClosed = true;                  // a format string's closing quote was found
    std::string strAfterQuote;            // what follows it on its line
    long long nTailContinued = 0;         // the line on which a constant after the statement goes on

    // Appends piece[nFrom, nTo) of a line whose piece starts at raw column nColumn.
    void Append(std::string_view piece, std::size_t nFrom, std::size_t nTo, long long nLine, long long nColumn)
    {
        for (std::size_t i = nFrom; i < nTo; ++i) {
            text += piece[i];
            places.push_back({nLine, nColumn + static_cast<long long>(i)});
        }
    }
    // Appends characters of no line: a line end, or blanks that fill a line.
    void AppendMade(char ch, std::size_t n, long long nLine, long long nColumn)
    {
        for (std::size_t i = 0; i < n; ++i) {
            text += ch;
            places.push_back({nLine, nColumn});
        }
    }
    void Take(CStatementReader& lines)
    {
        lines.Take();
        lineStarts.push_back(text.size());
    }
};

// Reads past comment and preprocessor lines to the next line that continues
// a fixed-form statement, and gives it; false when the statement has ended.
bool NextFixedContinuation(CStatementReader& lines, SFixedLine& line);

// A FORMAT statement's list from its "(" at nListStart of the first line.
void CollectFixedFormat(CStatementReader& lines, const SFixedLine& first, std::size_t nListStart, SCollected& out);
void CollectFreeFormat(CStatementReader& lines, const std::string& firstLine, std::size_t nListStart, SCollected& out);

// A format string's content from after its opening quote at nAfterQuote.
void CollectFixedString(CStatementReader& lines, const SFixedLine& first, std::size_t nAfterQuote, char chQuote,
                        SCollected& out);
void CollectFreeString(CStatementReader& lines, const std::string& firstLine, std::size_t nAfterQuote, char chQuote,
                       SCollected& out);

// The place in the file of an offset of the collected text; its end maps
// after its last character (to the end of the last line's text when that is
// a line end).
SSourcePlace PlaceOf(const SCollected& collected, std::size_t nOffset);

// The statement line whose text holds an offset of the collected text.
std::size_t LineIndexAt(const SCollected& collected, std::size_t nOffset);
