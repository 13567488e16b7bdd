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
    {3, "Line %s was not found in file \"%s\""},
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
    // What a field is (model/field_description): the meaning of its kind,
    // its widths and digits, and the output columns it prints in.
    {67, "integer"},
    {68, "binary integer"},
    {69, "octal integer"},
    {70, "hexadecimal integer"},
    {71, "real"},
    {72, "real with a D exponent"},
    {73, "real with an exponent"},
    {74, "real, engineering notation"},
    {75, "real, scientific notation"},
    {76, "any type, general form"},
    {77, "real, hexadecimal significand"},
    {78, "logical"},
    {79, "character"},
    {80, "character constant, %d characters"},
    {81, "character constant, 1 character"},
    {82, "Hollerith constant, %d characters"},
    {83, "Hollerith constant, 1 character"},
    {84, "%d wide"},
    {85, "as wide as needed"},
    {86, "default width"},
    {87, "as wide as the item"},
    {88, "%d decimals"},
    {89, "1 decimal"},
    {90, "at least %d digits"},
    {91, "at least 1 digit"},
    {92, "%d exponent digits"},
    {93, "1 exponent digit"},
    {94, "%d times"},
    {95, "once"},
    {96, "skip %d columns"},
    {97, "skip 1 column"},
    {98, "go to column %d"},
    {99, "back %d columns"},
    {100, "back 1 column"},
    {101, "forward %d columns"},
    {102, "forward 1 column"},
    {103, "end of record"},
    {104, "end of %d records"},
    {105, "end of 1 record"},
    {106, "end of record, no line end"},
    {107, "stop here when no items remain"},
    {108, "scale factor %d"},
    {109, "plus signs from here on"},
    {110, "no plus signs from here on"},
    {111, "signs as usual from here on"},
    {112, "blanks in input numbers ignored"},
    {113, "blanks in input numbers read as zeros"},
    {114, "characters left in the input record"},
    {115, "round up from here on"},
    {116, "round down from here on"},
    {117, "round toward zero from here on"},
    {118, "round to nearest from here on"},
    {119, "round to nearest, ties away from zero, from here on"},
    {120, "round as the processor chooses from here on"},
    {121, "decimal comma from here on"},
    {122, "decimal point from here on"},
    {123, "group"},
    {124, "group repeated %d times"},
    {125, "group, once"},
    {126, "group repeated while items remain"},
    {127, "end of group"},
    {128, "end of group, %d more passes"},
    {129, "end of group, 1 more pass"},
    {130, "user-defined output"},
    {131, "empty field: type a descriptor"},
    {132, "no columns"},
    {133, "column %d"},
    {134, "columns %d to %d"},
    {135, "record %d, %s"},
    // Why a text or sample does not evaluate.
    {136, "no descriptor starts with %s"},
    {137, "%s is written %s"},
    {138, " or "},
    {139, "%s takes no repeat count"},
    {140, "a repeat count of 0 is not allowed"},
    {141, "a repeat count goes up to %d"},
    {142, "only a group may follow a count and a blank"},
    {143, "a carriage return cannot stand in a descriptor"},
    {144, "the character constant has no closing quote"},
    {145, "the Hollerith constant has fewer characters than its count"},
    {146, "\"%s\" cannot stand in a descriptor"},
    {147, "not a descriptor"},
    {148, "nothing typed"},
    {149, "%d is above the largest allowed, %d"},
    {150, "%d digits do not fit in width %d"},
    {151, "a width of 0 is not allowed here"},
    {152, "the exponent needs at least one digit"},
    {153, "G with a width alone is only G0"},
    {154, "a group repeats at most %d times here"},
    {155, "the group would print more than %d characters"},
    {156, "no descriptor like %s prints this sample"},
    {157, "\"%s\" was taken back"},
    // The buttons' tooltips: the keys that run each command.
    {158, "New Field - Alt+N"},
    {159, "Remove Field - Alt+R"},
    {160, "Change Value - Alt+C"},
    {161, "OK - Enter"},
    {162, "Cancel - Escape"},
    {163, "Help - Alt+H"},
    {164, "Field status"},
    // Cancel, Escape or closing the window after a change asks first.
    {165, "Discard the changes to the FORMAT statement?"},
    {166, "&Discard"},
    {167, "&Keep editing"},
    // The picker of a start with a file alone.
    {168, "No FORMAT statement or format string in file \"%s\""},
    {169, "Quillmark - Open a Statement - %1"},
    {170, "&Filter:"},
    {171, "Filter by line, label or list"},
    {172, "FORMAT statements and format strings"},
    {173, "Line"},
    {174, "Label"},
    {175, "List"},
    {176, "Unable to open file \"%s\"\nNot a regular file (a device, a pipe or a socket)"},
    // The settings' menu, and the descriptor table the title names.
    {177, "&Settings"},
    {178, "default table"},
    {179, "strict table"},
    // Ew.dE0: the exponent takes the digits it needs.
    {180, "as few exponent digits as needed"},
    // The question before discarding a change also offers to save it, as OK does.
    {181, "&Save"},
    // Text typed or pasted past what a field holds: the rest is left out.
    {182, "cut to %d characters, all a field holds; %d more were left out"},
    {300, "File \"%s\" was left part written by a save that was interrupted\nIts contents from before that save have "
          "been put back"},
    {301, "File \"%s\" was left part written by a save that was interrupted\nIts contents from before that save are "
          "kept in \"%s\" and could not be put back: %s"},
    {302, "Unable to write to file \"%s\"\n%s\nIts old contents are kept in \"%s\"; opening the file again puts "
          "them back"},
    {303, "Signal %s came while the file was being saved: the save was finished first"},
    // A READ, WRITE or PRINT whose label names no FORMAT statement.
    {320, "Line %d names FORMAT label %d, but no FORMAT statement of its program unit has that label"},
    {321, "Line %d names FORMAT label %d, but no FORMAT statement of its program unit, nor of the files it includes "
          "(%s), has that label"},
    // A line end typed or pasted into a character constant.
    {322, "a line end cannot stand in a character constant"},
    // The text front end's refused save says what can be done at a terminal.
    {340, "Unable to write to file \"%s\"\nThe file is left as it was: make it writable or free space on its disk and "
          "run again, or copy the file and edit the copy"},
    {341, "Unable to write to file \"%s\"\n%s\nThe file is left as it was: make it writable or free space on its "
          "disk and run again, or copy the file and edit the copy"},
    {342, "Unable to write to file \"%s\"\nAnother program held its lock for 60 seconds\nThe file is left as it was: "
          "run again once that program has saved it, or copy the file and edit the copy"},
    {343, "Waiting up to 60 seconds for the lock on file \"%s\": another program holds it while it saves the file"},
    // The check of formats against the I/O lists that use them.
    {400, "Expected %s for item %d in formatted transfer, got %s"},
    {401, "Run-time crash: %s item %d (%s) under %s stops the run time with an internal error"},
    {402, "Bytes transferred: %s item %d (%s) under %s is transferred as bytes or bits, not as its value"},
    {403, "Insufficient data descriptors in format after reversion: no data edit descriptor for item %d (%s)"},
    {404, "items %d to %d start a new record at the group of line %d"},
    {405, "item %d starts a new record at the group of line %d"},
    {406, "FORMAT label %d not defined in this program unit"},
    {407, "FORMAT label %d defined but not used"},
    {408, "Constant string in input format: READ through the character constant edit %s"},
    {409, "Format not read: it cannot be read from column %d of its list on"},
    {410, "Format not checked: it is given by the variable or expression %s"},
    // A form of a later standard than the one checked against (--std=), a form
    // in none, and a form deleted by then.
    {460, "%s is a form of %s, later than the standard checked against"},
    {461, "%s is in no Fortran standard: an extension that some compilers refuse"},
    {462, "%s was deleted from the standard in %s"},
    // The forms compilers are known to read differently.
    {463, "%s has no width: compilers that accept it give it different widths, and gfortran refuses it for most "
          "descriptors"},
    {464, "%s has a zero width, a form of Fortran 2018 output that older compilers refuse"},
    {465, "%s has a zero width, which is for output only: a READ with it fails at run time"},
    {466, "no comma after %s: compilers that accept the items without it may read them differently"},
    {467, "%s is not the last item of the format: an unlimited group must end the outermost list"},
    {468, "%s is an extension that keeps the record open: some compilers refuse it, write ADVANCE='NO' instead"},
    {469, "%s is a Hollerith constant, deleted from Fortran 95 on: write it as a character constant"},
    {470, "%s has no count: an extension that some compilers refuse, write 1X"},
    {471, "%s under scale factor %dP: k must lie above -d and below d+2, else the run time refuses the value"},
    {480, "FORTRAN 77"},
    {481, "Fortran 90"},
    {482, "Fortran 95"},
    {483, "Fortran 2003"},
    {484, "Fortran 2008"},
    {485, "Fortran 2018"},
    {500, "%s at line %d: %s, %s"},
    {501, "%d items"},
    {502, "1 item"},
    {503, "%d records"},
    {504, "1 record"},
    {505, "records not known"},
    {506, "No READ, WRITE or PRINT statement uses this FORMAT statement"},
    {507, "edits %s"},
    {508, "used again by reversion, for the items of later records"},
    {509, "edits no item: the I/O list has ended before it"},
    {510, "edits no item: a colon (:) ends the transfer before it"},
    {511, "Statements that use this format"},
    // The language server.
    {540, "prints"},
    {543, "the format these items go through"},
    {544, "the statement whose items go through this format"},
    {545, "the server has not been initialized"},
    {546, "the message is not a JSON-RPC request or notification: %s"},
    {547, "no such method: %s"},
    {548, "the parameters are not what %s takes"},
    {549, "a message header without a Content-Length"},
    {550, "the server is shutting down"},
    {551, "Usage: quillmark-lsp [--help | --version]\n\n"
          "The Fortran FORMAT language server: speaks the Language Server Protocol\n"
          "over standard input and output, for an editor to start. See quillmark-lsp(1).\n"},
    {552, "Edit FORMAT in Quillmark"},
    {553, "%s has changes that are not saved: save it, then open the FORMAT in Quillmark"},
    {554, "cannot start %s: %s"},
};

}  // namespace

const char* LoadResourceString(int id)
{
    const auto* pEnd = std::end(kStrings);
    const auto* p = std::lower_bound(std::begin(kStrings), pEnd, id,
                                     [](const SStringEntry& e, int n) { return e.nId < n; });
    return (p != pEnd && p->nId == id) ? p->pszText : nullptr;
}
