// Where a new FORMAT statement may stand: inside a main program, a
// subroutine or a function, before its CONTAINS. Anywhere else (a module's
// specification part, an interface block, a derived type's definition,
// between internal procedures, before a program unit or after the last one)
// the compiler rejects it, and the file that compiled before no longer would.
#pragma once

#include "source_file.h"

// Whether a FORMAT statement may stand at line nLine, read from the reader
// at its first line through the file's end (a line at a time). The program
// units are followed by their opening and closing statements; a statement
// not recognised leaves the place as it was, so an unusual file is refused
// only where the units around the line are certain.
bool FormatMayStandAt(CLineReader& reader, long long nLine, int bFixedForm);
