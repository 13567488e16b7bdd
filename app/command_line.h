// The program's command line: FILE LINE COLUMN [-d:1:LOG] [-fps4] [--exact]
// [--keep-layout] [--free-form | --fixed-form], or the
// options first and FILE LINE COLUMN after a word "--".
// Toolkit-free, so that the program can read it before the toolkit starts
// (the debug option decides whether a display is needed at all).
#pragma once

#include <string>
#include <vector>

#include "flags.h"
#include "number_word.h"
#include "source_file.h"

// A debug log the command line names (-d:1:LOG).
struct SDebugLog {
    std::string strName;
    bool bIsSourceFile = false;  // it names the source file itself: a command-line error
};

struct SCommandLine {
    std::vector<std::string> arrWords;               // FILE LINE COLUMN (when given), then the options; no "--"
    std::vector<SDebugLog> arrDebugLogs;             // the debug options, in order
    int bError = 0;                                  // other than three words FILE LINE COLUMN or more than three
                                                     // options, a line that is no number, an unknown option,
                                                     // both source forms, or a debug log that is the source file
    int bDebug = 0;                                  // a debug option was given
    int bStrictTable = 0;                            // -fps4 was given
    SourceForm nSourceForm = SOURCE_FORM_BY_SUFFIX;  // --free-form or --fixed-form
    int bExact = 0;                                  // --exact was given
    int bKeepLayout = 0;                             // --keep-layout was given
    int bPickStatement = 0;                          // FILE alone ("quillmark FILE", or the options, "--"
                                                     // and FILE): the statement is chosen from a list
};

// Splits a command-line text into words at blanks and tabs. When the text
// starts with a double quote and another one follows, the text between them
// is the first word, blanks included; without the closing quote the text is
// split as a whole, the opening quote included.
std::vector<std::string> SplitCommandLine(const std::string& strText);

// The words of the program's arguments. The shell has already split them,
// so each argument is one word (a quoted file name with blanks arrives
// whole); a single argument that holds blanks or tabs is a whole command
// line handed over as one text, as some tools do, and is split as above.
std::vector<std::string> CommandLineWords(const std::vector<std::string>& args);

// The words without the toolkit's own options, which the toolkit reads from
// the same arguments when it starts: -style, -stylesheet, -platform and the
// others that take a value (as "-style fusion" or "-style=fusion", with one
// dash or two), and -reverse and the other flags. A word "--" ends them.
std::vector<std::string> WithoutToolkitOptions(const std::vector<std::string>& words);

// Checks the word count and reads the options; changes nothing outside.
// A file alone (one word that is no option, or FILE alone after "--" with
// the options before it) asks for the list of its statements to choose from
// (bPickStatement); it cannot run unattended, so -d:1: with it is an error.
// Without a word "--", FILE LINE COLUMN are the first three words and the
// options follow them; with one, the options stand before it and FILE LINE
// COLUMN after it, so that a file named like an option can be given.
SCommandLine ParseCommandLine(const std::vector<std::string>& words);

// True when the two names reach the same file: the same name made absolute,
// through a link, or another link to the same file.
bool NamesSameFile(const std::string& strFirst, const std::string& strSecond);

// Sets the run's flags from a parsed command line, turns the echo of
// the messages on standard error on for the command line's file, and
// creates the debug log (with its single line end) for each debug option,
// in order. A log that names the source file is never opened: debug mode
// comes on without it. A log that cannot be written is reported on
// standard error, where its messages go instead.
void ApplyCommandLine(const SCommandLine& commandLine, CProcessFlags& flags);

// The main window's title: "Quillmark - ABSOLUTE PATH - line LINEWORD", the
// path made absolute from the current directory, the line word as typed;
// for a new statement " - label LABEL" follows, the label it was given.
std::string MakeWindowTitle(const std::string& strFileWord, const std::string& strLineWord,
                            const std::string& strNewLabel = std::string());

// One line that tells how the program is called.
const char* CommandLineUsage();

// What was wrong with a rejected command line when the usage line does not
// say it (a debug log that is the source file); empty otherwise.
std::string CommandLineProblem(const SCommandLine& commandLine);

// A request answered without opening a statement: the program's version or
// its help, asked for by "--version", or "--help" ("-h"), as the only word.
enum InfoRequest {
    INFO_NONE,
    INFO_VERSION,
    INFO_HELP,
};
InfoRequest ReadInfoRequest(const std::vector<std::string>& words);

// The text "--help" prints: the usage line, the arguments and options, the
// exit status.
const char* CommandLineHelp();
