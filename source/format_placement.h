// Where a new FORMAT statement may stand: inside a main program, a
// subroutine or a function, before its CONTAINS. Anywhere else (a module's
// specification part, an interface block, a derived type's definition,
// between internal procedures, before a program unit or after the last one)
// the compiler rejects it, and the file that compiled before no longer would.
#pragma once

#include <string>
#include <vector>

#include "source_file.h"

// Whether a FORMAT statement may stand at line nLine, read from the reader
// at its first line through the file's end (a line at a time). The program
// units are followed by their opening and closing statements; a statement
// not recognised leaves the place as it was, so an unusual file is refused
// only where the units around the line are certain.
bool FormatMayStandAt(CLineReader& reader, long long nLine, int bFixedForm);

// What an I/O statement's label leads to: the label that the statement on a
// line names as its format (0 when it names none: a format string, "*", a
// variable, or no READ, WRITE or PRINT starts there), and the line of the
// FORMAT statement with that label in the same scoping unit (0 when there is
// none). Labels compare as numbers (0100 is 100).
struct SLabelledFormat {
    int nLabel = 0;  // -1: the statement's format is a character constant
    long long nFormatLine = 0;
    long long nFormatColumn = 1;  // a constant: the column just inside its quote
    // Not found: the files the statement's scoping unit INCLUDEs, by the
    // names they are given, where a FORMAT statement may stand too.
    std::vector<std::string> arrIncludes;
};

// The FORMAT statement labelled nLabel in a file that is brought in by an
// INCLUDE line: its line, or 0 when none stands there.
long long FindFormatLabelIn(CLineReader& reader, int nLabel, int bFixedForm);

// Reads the file from the reader's first line, a statement at a time, and
// follows the program units as FormatMayStandAt does: the scoping unit of a
// statement is the innermost main program, subroutine, function, module or
// interface body open around it, so an internal procedure's labels are its
// own and not its host's. nColumn picks the statement when several share the
// line. The reading stops at the FORMAT statement found after the line, or
// at the file's end.
SLabelledFormat FindLabelledFormat(CLineReader& reader, long long nLine, long long nColumn, int bFixedForm);
