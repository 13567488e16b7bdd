#include "string_table.h"

#include <algorithm>
#include <iterator>

namespace {

struct SStringEntry {
    int nId;
    const char* pszText;
};

// Sorted by ID; there are no strings 4 and 15.
constexpr SStringEntry kStrings[] = {
    {1, "Quillmark"},
    {2, "Unable to open file \"%s\""},
    {3, "Line %d was not found in file \"%s\""},
    {5, "FORMAT parse failed in column %d"},
    {6, "Unable to save FORMAT statement to file\nExit anyway?"},
    {7, "Unable to create temporary filename"},
    {8, "File \"%s\" has changed since last read"},
    {9, "'Character String'"},
    {10, "A10"},
    {11, "L2"},
    {12, "I5"},
    {13, "F7.3"},
    {14, "E15.8"},
    {16, "\"%s\" is not a valid descriptor\n\nInsertion aborted"},
    {17, "Unable to delete the current descriptor\nDelete aborted"},
    {18, "Illegal value for default value\nDefault value unchanged"},
    {19, "Unable to find the helpfile \"%s\""},
    {20, "KELDRANO"},
    {21, "Second command line parameter must be a line number"},
    {22, "A Format statement must have at least one descriptor"},
    {23, "Mismatched repeatables detected in Format statement\nExit aborted"},
    {24, "The file \"%s\" is read-only; changes will be saved to a different file\nContinue anyway?"},
    {25, "Unable to write to file \"%s\"\nPress OK to save under a different name"},
    {26, "Character &String"},
    {27, "Character &Variable"},
    {28, "&Logical"},
    {29, "&Integer"},
    {30, "&Fixed-point"},
    {31, "Scientific &Notation"},
    {32, "Cannot find descriptor list\nThe cursor must be positioned on the first line of\na FORMAT statement or an "
         "I/O edit descriptor"},
    {33, "Not a valid descriptor list\nThe cursor must be positioned on the first line of\na FORMAT statement or an "
         "I/O edit descriptor"},
    {34, "Format statement must begin past column 6"},
    {35, "Quillmark"},
    {36, " - line "},
    {37, "&Format Statement"},
    {38, "&New Field..."},
    {39, "&Remove Field"},
    {40, "&Change Value..."},
    {41, "OK"},
    {42, "Cancel"},
    {43, "&Help"},
    {44, "FORTRAN Files (*.for) | *.for | All Files (*.*) | *.* ||"},
    // Save As for a file of each source form: its own kind of file first.
    {45, "Free-form Fortran Files (*.f90;*.f95;*.f03;*.f08) | *.f90;*.f95;*.f03;*.f08 | All Files (*.*) | *.* ||"},
    {46, "Fixed-form Fortran Files (*.for;*.f;*.ftn) | *.for;*.f;*.ftn | All Files (*.*) | *.* ||"},
    {47, "The statement holds a NUL byte in line %d\nIt cannot be edited without changing it"},
    {48, "The statement would not read back as it is shown\nFile \"%s\" is left as it was"},
    {49, "Unable to write to file \"%s\"\nIts new contents are kept in \"%s\""},
    {50, "A new statement cannot start on line %d\nThe line after it continues the statement before it"},
    {51,
     "No label is free for a new FORMAT statement in file \"%s\"\nEvery multiple of 10 from 100 to 99990 is in use"},
    {52, "Line %d of the statement stands inside a preprocessor condition or include\n"
         "The statement cannot be rewritten without changing what the preprocessor chooses"},
    {53, " - label "},
    {54, "FORMAT parse failed in line %d, column %d"},
    {55, "The statement holds a carriage return in line %d\nIt cannot be edited without changing it"},
    {56, "The format string that opens in line %d has no closing quote\nThe statement cannot be rewritten without "
         "guessing where it ends"},
    {57, "The character constant after the statement continues on line %d\nIts blanks would change if the statement "
         "were rewritten"},
    {58, "A group must hold at least one descriptor"},
    {59, "A group holds no descriptor in Format statement\nExit aborted"},
    {60, "The format string goes on after its descriptor list onto line %d\nThe statement cannot be rewritten without "
         "changing that text"},
    {61, "The statement cannot be laid out in lines without cutting a character in two\nFile \"%s\" is left as it was"},
    {62, "A new statement cannot start on line %d\nA FORMAT statement may stand only inside a main program, subroutine "
         "or function, before its CONTAINS"},
    // Strings 2 and 25 with the system's reason (a full disk, a read-only
    // folder) on a line of its own.
    {63, "Unable to open file \"%s\"\n%s"},
    {64, "Unable to write to file \"%s\"\n%s\nPress OK to save under a different name"},
    // The strip's context menu: the two settings kept for the next start.
    {65, "&Samples as Compiled"},
    {66, "&Keep Layout on OK"},
    // The picker of a start with a file alone.
    {67, "No FORMAT statement or format string in file \"%s\""},
    {68, "Quillmark - Open a Statement - %1"},
    {69, "&Filter:"},
    {70, "Filter by line, label or list"},
    {71, "FORMAT statements and format strings"},
    {72, "Line"},
    {73, "Label"},
    {74, "List"},
};

}  // namespace

const char* LoadResourceString(int id)
{
    const auto* pEnd = std::end(kStrings);
    const auto* p = std::lower_bound(std::begin(kStrings), pEnd, id,
                                     [](const SStringEntry& e, int n) { return e.nId < n; });
    return (p != pEnd && p->nId == id) ? p->pszText : nullptr;
}
