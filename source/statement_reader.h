// Collecting a statement's lines, as the stream gives them, into the text the
// splitter reads: each line's text joined with the scanner's reading of where
// constants open and close, and where each character stood.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "statement_site.h"
#include "statement_stream.h"
#include "statement_text.h"

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
    // The statement takes the line (its comment is yet to be known).
    void Take(CStatementSite& site, long long nLine);
};

// The collectors read the statement's lines from the stream, from its first
// line (first) on, and record in the site which lines it takes and the
// comments the text leaves out.
struct SCollector {
    CStatementStream& lines;
    CStatementSite& site;
    SCollected& out;
};

// A FORMAT statement's list from its "(" at nListStart of the first line.
void CollectFixedFormat(const SCollector& c, SStatementLine first, std::size_t nListStart);
void CollectFreeFormat(const SCollector& c, SStatementLine first, std::size_t nListStart);

// A format string's content from after its opening quote at nAfterQuote.
void CollectFixedString(const SCollector& c, SStatementLine first, std::size_t nAfterQuote, char chQuote);
void CollectFreeString(const SCollector& c, SStatementLine first, std::size_t nAfterQuote, char chQuote);

// The first statement line that a preprocessor condition (or an include)
// between the statement's lines makes depend on the preprocessor; 0 when
// there is none. Such a statement cannot be rewritten: its lines are broken
// anew, so the condition would choose other text.
long long ConditionalLine(const CStatementSite& site);

// The place in the file of an offset of the collected text; its end maps
// after its last character (to the end of the last line's text when that is
// a line end).
SSourcePlace PlaceOf(const SCollected& collected, std::size_t nOffset);

// The statement line whose text holds an offset of the collected text.
std::size_t LineIndexAt(const SCollected& collected, std::size_t nOffset);
