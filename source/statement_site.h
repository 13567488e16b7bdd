// Where a statement lives in its source file: which file and lines, what the
// lines held when they were read, the text around the descriptor list, the
// comments between its lines, and where each descriptor and each character
// of the list stood. The locator fills it, the writer reads it; the list of
// descriptors itself is the model's (CDescriptorList).
#pragma once

#include <string>
#include <vector>

#include "source_file.h"

// A place in the source file: its line and the column in that line, both
// from 1, the column counted in bytes as compilers count fixed-form columns.
struct SSourcePlace {
    long long nLine = 0;
    long long nColumn = 0;
};

class CStatementSite {
public:
    std::string m_strFileName;    // the source file as named on the command line
    int m_nFirstLine = 0;         // the line at which the statement starts
    std::vector<int> m_arrLines;  // the source lines the statement occupies
    int m_bFixedForm = 0;         // 1 for fixed source form
    char m_chDelimiter = 0;       // 'f' for FORMAT, else the format string's quote
    std::string m_strHead;        // the statement text before the descriptor list (or its quote)
    int m_nParenBlanks = 0;       // blanks after the opening parenthesis
    // A format string: what stands after the list's ")" inside the string.
    std::string m_strInnerTail;
    // What follows the list's ")" (a FORMAT statement) or the format
    // string's closing quote, to the end of the statement, with its line end.
    std::string m_strTail;

    // What the writer checks and keeps: the source lines from the first line
    // to the statement's last, as they read when it was located (to notice a
    // file changed meanwhile), and the file's line end ("\n" or "\r\n").
    std::vector<std::string> m_arrOriginalLines;
    std::string m_strLineEnd = "\n";
    // The source file as it was when the statement was read.
    SFileIdentity m_fileIdentity;
    // Where the statement's first line starts in that file; -1 when not
    // known. A save copies the bytes before it as they stand.
    long long m_nFirstLineOffset = -1;

    // The comment that ended each statement line ("" for a line without one),
    // which the writer puts back.
    std::vector<std::string> m_arrLineComments;

    // Where each descriptor's text began in the file, in list order (empty
    // for a new statement).
    std::vector<SSourcePlace> m_arrDescriptorPlaces;
    // For each of them, what writing in the file's own layout needs to find
    // its bytes again after the list was edited: the place just after its
    // text's last character (a doubled quote of a format string counted
    // whole), its text as read, and the identity of the model's descriptor
    // that holds it (CDescriptor::Identity).
    std::vector<SSourcePlace> m_arrDescriptorEnds;
    std::vector<std::string> m_arrDescriptorTexts;
    std::vector<unsigned long long> m_arrDescriptorIdentities;

    // A new statement on a blank line: the label it was given.
    bool m_bNew = false;

    // The label that starts the head (its first word, when that is digits);
    // empty when it has none.
    std::string Label() const;
};
