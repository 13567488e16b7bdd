// The format an I/O statement names: WRITE (u, f), READ (u, f), their
// keyword forms (FMT=f), PRINT f, ... and READ f, ..., also behind a logical
// IF. Read from a statement's joined text with the descriptor lists'
// scanner.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

enum IoFormatKind : int {
    IO_FORMAT_LABEL,     // a statement label: the FORMAT statement it names
    IO_FORMAT_CONSTANT,  // a character constant: the format string
    IO_FORMAT_OTHER,     // a name or an expression (only when asked for): a variable, or a named constant
};

struct SIoFormat {
    IoFormatKind kind = IO_FORMAT_LABEL;
    int nLabel = 0;              // IO_FORMAT_LABEL: its value (0100 is 100)
    std::size_t nOffset = 0;     // where the format starts in the text (a constant: its opening quote)
    std::size_t nStatement = 0;  // where its statement starts (after a ";" that ends another)
    bool bInput = false;         // READ
    std::size_t nListFrom = 0;   // where its I/O list stands in the text (an empty range: none)
    std::size_t nListTo = 0;
    std::size_t nFormatTo = 0;  // where the format item ends in the text
};

// The formats of the READ, WRITE and PRINT statements in a statement's text
// (statements separated by ";" each count) whose format is a label or a
// character constant; a list-directed "*", a variable, an expression or a
// namelist names none.
// With bOthers, those whose format is a name or another expression as well
// (IO_FORMAT_OTHER; not "*").
std::vector<SIoFormat> ReadIoFormats(std::string_view text, bool bOthers = false);
