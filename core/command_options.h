// The options of both programs, the window (quillmark) and the text front
// end (quillmark-text), in one table, and the one reading of them: which
// option a word names, its argument, the errors, and each program's --help.
// The programs differ only in how a word names an option: the window's by
// its first five characters in any case (a longer name by the whole word in
// any case), an argument following those five characters; quillmark-text's
// as "--name" exactly (the source forms in any case, as in the window), its
// argument after "=" or in the next word.
#pragma once

#include <string>
#include <vector>

// How a file's source form is chosen: by the suffix of its name, as
// compilers choose it, or by a command-line option that overrides the suffix
// (code bases that keep free-form code in .F files compile it with a switch).
enum SourceForm : int {
    SOURCE_FORM_BY_SUFFIX = 0,
    SOURCE_FORM_FIXED = 1,  // --fixed-form
    SOURCE_FORM_FREE = 2,   // --free-form
};

enum OptionProgram : int {
    PROGRAM_WINDOW,  // quillmark
    PROGRAM_TEXT,    // quillmark-text
};

// What an option sets.
enum OptionSetting : int {
    SET_DEBUG_LOG,        // -d:1:LOG
    SET_STRICT_TABLE,     // -fps4
    SET_FREE_FORM,        // --free-form
    SET_FIXED_FORM,       // --fixed-form
    SET_EXACT,            // --exact
    SET_KEEP_LAYOUT,      // --keep-layout
    SET_JSON,             // --json
    SET_LIVE,             // --live
    SET_WRITE,            // --write
    SET_LIST,             // --list TEXT
    SET_LIST_STATEMENTS,  // --list-statements
    SET_INSERT,           // --insert I:TEXT
    SET_REMOVE,           // --remove I
    SET_TEXT,             // --text I:TEXT
    SET_SAMPLE,           // --sample I:TEXT
    SET_VALUE,            // --value I:VALUE
    SET_HELP,             // --help
    SET_VERSION,          // --version
    SET_END_OF_OPTIONS,   // --: the words after it are no options
    SET_CHECK,            // --check PATH...
    SET_DIAGNOSTICS,      // --diagnostics=gcc|json|sarif
    SET_ITEMS,            // --items
    SET_STANDARD,         // --std=f77|f90|f95|f2003|f2008|f2018
};

enum OptionArgument : int {
    ARGUMENT_NONE,      // a flag: an argument is an error
    ARGUMENT_REQUIRED,  // it takes one
    ARGUMENT_ONCE,      // it takes one, and may be given only once
    ARGUMENT_IGNORED,   // whatever follows the name is passed over
};

// Where --help lists an option.
enum OptionSection : int {
    SECTION_HIDDEN,   // not listed (another spelling of a listed one)
    SECTION_OPTIONS,  // "Options"
    SECTION_EDITS,    // quillmark-text's "Edits"
    SECTION_CHECK,    // quillmark-text's "Checking formats against I/O lists"
};

struct SOptionRow {
    OptionProgram nProgram;
    const char* pszName;  // as the program's rule matches it
    OptionArgument nArgument;
    OptionSetting nSetting;
    OptionSection nSection;
    const char* pszShown;  // the option in --help, its argument named
    const char* pszHelp;   // its help, lines separated by '\n'; "" for none
};

// One option word read (with the next word when that is its argument).
struct SOptionWord {
    const SOptionRow* pRow = nullptr;  // nullptr: no option of the program
    std::string strName;               // the word's name part, for messages
    std::string strArgument;
    std::string strError;  // what is wrong with it; empty when nothing
};

struct SOptionReading {
    std::vector<SOptionWord> options;     // in the order given, errors among them
    std::vector<std::string> positional;  // the words that are no options
    SourceForm nSourceForm = SOURCE_FORM_BY_SUFFIX;
    bool bError = false;  // some option word has an error

    // Whether an option that sets nSetting was read without an error.
    bool Has(OptionSetting nSetting) const;
};

// Reads the words as options of the program. A word that starts with "-",
// is more than "-" and is no negative number is an option; the others, and
// every word after "--", are positional. Errors: an unknown option, an
// argument missing or given to a flag, an option given twice that may be
// given once, and both source forms (the first one stays chosen). Reading
// goes on after an error, so that every option is seen.
SOptionReading ReadOptions(const std::vector<std::string>& words, OptionProgram nProgram);

// The options of one section of the program's --help, one a line, their
// help starting in column nHelpColumn (counted from 0).
std::string OptionHelp(OptionProgram nProgram, OptionSection nSection, std::size_t nHelpColumn);
