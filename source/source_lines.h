// What a Fortran source line holds besides statement text: preprocessor
// lines and their kind, and statement labels, which a new statement must not
// repeat.
#pragma once

#include <cstddef>
#include <string>

#include "source_file.h"

// A preprocessor line: "#" in column 1 in fixed form; "#" as the first
// non-blank character in free form. Compilers hand such lines to the
// preprocessor, never to the statement that stands around them.
bool IsPreprocessorLine(const std::string& raw, int bFixedForm);

enum DirectiveKind : int {
    DIRECTIVE_OTHER = 0,    // #define, #undef, #line, #pragma, ...: chooses no lines
    DIRECTIVE_OPEN = 1,     // #if, #ifdef, #ifndef
    DIRECTIVE_BRANCH = 2,   // #elif, #else
    DIRECTIVE_CLOSE = 3,    // #endif
    DIRECTIVE_INCLUDE = 4,  // #include: brings lines of another file in
};

// The kind of a preprocessor line.
DirectiveKind ClassifyDirective(const std::string& raw);

// The label a line's statement carries: the first word of a free-form line,
// columns 1 to 5 of a fixed-form line (blanks there mean nothing); 0 when it
// carries none. Only labels of at most five digits count.
int LineLabel(const std::string& raw, int bFixedForm);

// The smallest label that a new statement may take: the smallest multiple of
// 10 from 100 up that no line of the reader's file (read to its end) carries
// as its label; 0 when every one up to 99990 is taken. The file is read once,
// a line at a time.
int FindFreeLabel(CLineReader& reader, int bFixedForm);

// The label as a new statement's head writes it: in columns 1 to 5, right
// aligned, in fixed form; at the start of the line in free form.
std::string NewStatementHead(int nLabel, int bFixedForm);
