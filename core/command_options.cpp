#include "command_options.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

constexpr std::size_t kWindowPrefixLength = 5;  // the window reads an option's first five characters

// Each program's options in the order its --help lists them.
constexpr SOptionRow kOptionRows[] = {
    {PROGRAM_WINDOW, "-d:1:", ARGUMENT_REQUIRED, SET_DEBUG_LOG, SECTION_OPTIONS, "-d:1:LOG",
     "unattended: messages go into the file LOG, questions are\n"
     "answered No and OK is pressed by itself (off screen when\n"
     "there is no display); LOG must be another file than FILE"},
    {PROGRAM_WINDOW, "-fps4", ARGUMENT_IGNORED, SET_STRICT_TABLE, SECTION_OPTIONS, "-fps4",
     "recognise only the standard descriptor forms"},
    {PROGRAM_WINDOW, "--exact", ARGUMENT_NONE, SET_EXACT, SECTION_OPTIONS, "--exact",
     "show each sample exactly as gfortran prints the value\n"
     "(REAL(8), INTEGER(8)) instead of the simplified layout"},
    {PROGRAM_WINDOW, "--keep-layout", ARGUMENT_NONE, SET_KEEP_LAYOUT, SECTION_OPTIONS, "--keep-layout",
     "OK changes only the text of the fields that changed and\n"
     "keeps the statement's lines, blanks and comments\n"
     "(the two settings of the strip's context menu; an\n"
     "option turns its setting on for this run)"},
    {PROGRAM_WINDOW, "--free-form", ARGUMENT_NONE, SET_FREE_FORM, SECTION_OPTIONS, "--free-form",
     "read FILE in free source form, whatever its suffix"},
    {PROGRAM_WINDOW, "--fixed-form", ARGUMENT_NONE, SET_FIXED_FORM, SECTION_OPTIONS, "--fixed-form",
     "read FILE in fixed source form, whatever its suffix\n"
     "(by suffix: .f90 .f95 .f03 .f08 free form, in any case;\n"
     "every other suffix fixed form)"},
    {PROGRAM_WINDOW, "--", ARGUMENT_NONE, SET_END_OF_OPTIONS, SECTION_OPTIONS, "--",
     "ends the options: FILE LINE COLUMN follow it, so that a\n"
     "FILE named like an option is read as a file"},

    {PROGRAM_TEXT, "--list", ARGUMENT_ONCE, SET_LIST, SECTION_OPTIONS, "--list TEXT",
     "a descriptor list alone, parentheses included:\n"
     "'(I5, 2X, 3(F7.3))'"},
    {PROGRAM_TEXT, "--list-statements", ARGUMENT_NONE, SET_LIST_STATEMENTS, SECTION_OPTIONS, "--list-statements",
     "list FILE's FORMAT statements and format strings, one\n"
     "a line: LINE COLUMN LABEL (- for none) LIST, tab\n"
     "separated; LINE COLUMN open it"},
    {PROGRAM_TEXT, "--write", ARGUMENT_NONE, SET_WRITE, SECTION_OPTIONS, "--write",
     "after the edits, write the statement back into FILE"},
    {PROGRAM_TEXT, "--keep-layout", ARGUMENT_NONE, SET_KEEP_LAYOUT, SECTION_OPTIONS, "--keep-layout",
     "with --write: keep the statement's own layout (the\n"
     "unchanged fields' bytes, lines, comments); only\n"
     "what the edits changed is written anew, and a\n"
     "statement that did not change is not written"},
    {PROGRAM_TEXT, "--free-form", ARGUMENT_NONE, SET_FREE_FORM, SECTION_OPTIONS, "--free-form",
     "read FILE in free source form, whatever its suffix"},
    {PROGRAM_TEXT, "--fixed-form", ARGUMENT_NONE, SET_FIXED_FORM, SECTION_OPTIONS, "--fixed-form",
     "read FILE in fixed source form, whatever its suffix\n"
     "(by suffix: .f90 .f95 .f03 .f08 free form, in any\n"
     "case; every other suffix fixed form)"},
    {PROGRAM_TEXT, "--fps4", ARGUMENT_NONE, SET_STRICT_TABLE, SECTION_OPTIONS, "--fps4",
     "recognise only descriptors with explicit widths\n"
     "(no I, F, E, ... without a width, no $)"},
    {PROGRAM_TEXT, "-fps4", ARGUMENT_NONE, SET_STRICT_TABLE, SECTION_HIDDEN, "", ""},
    {PROGRAM_TEXT, "--json", ARGUMENT_NONE, SET_JSON, SECTION_OPTIONS, "--json", "print the fields as one JSON object"},
    {PROGRAM_TEXT, "--exact", ARGUMENT_NONE, SET_EXACT, SECTION_OPTIONS, "--exact",
     "show each sample exactly as gfortran prints the\n"
     "value (REAL(8), INTEGER(8)) through the descriptor,\n"
     "instead of the simplified layout"},
    {PROGRAM_TEXT, "--live", ARGUMENT_NONE, SET_LIVE, SECTION_OPTIONS, "--live",
     "leave the last typed field as typed, even when it\n"
     "does not evaluate (shows the marker ?\?\?\?\?\?)"},
    {PROGRAM_TEXT, "--help", ARGUMENT_IGNORED, SET_HELP, SECTION_OPTIONS, "--help, --version", ""},
    {PROGRAM_TEXT, "-h", ARGUMENT_IGNORED, SET_HELP, SECTION_HIDDEN, "", ""},
    {PROGRAM_TEXT, "--version", ARGUMENT_IGNORED, SET_VERSION, SECTION_HIDDEN, "", ""},
    {PROGRAM_TEXT, "--", ARGUMENT_IGNORED, SET_END_OF_OPTIONS, SECTION_OPTIONS, "--",
     "ends the options: FILE LINE COLUMN follow, so that a\n"
     "FILE named like an option is read as a file"},
    {PROGRAM_TEXT, "--check", ARGUMENT_NONE, SET_CHECK, SECTION_CHECK, "--check PATH...",
     "check the FORMAT statements and format strings of the\n"
     "Fortran files under each PATH (folders searched, files\n"
     "chosen by suffix) against the I/O lists that use them;\n"
     "one line a finding: FILE:LINE:COLUMN: error: text (or\n"
     "warning:, note:)"},
    {PROGRAM_TEXT, "--diagnostics", ARGUMENT_ONCE, SET_DIAGNOSTICS, SECTION_CHECK, "--diagnostics=KIND",
     "with --check: gcc (the lines above, the default), json\n"
     "(one object) or sarif (SARIF 2.1.0)"},
    {PROGRAM_TEXT, "--items", ARGUMENT_NONE, SET_ITEMS, SECTION_CHECK, "--items",
     "with FILE LINE COLUMN: for each I/O statement using the\n"
     "format there, each field and the items it edits, the\n"
     "records, the findings (with --json: as one object)"},
    {PROGRAM_TEXT, "--std", ARGUMENT_ONCE, SET_STANDARD, SECTION_CHECK, "--std=STANDARD",
     "the standard the code is held to: f77 f90 f95 f2003\n"
     "f2008 f2018"},
    {PROGRAM_TEXT, "--insert", ARGUMENT_REQUIRED, SET_INSERT, SECTION_EDITS, "--insert I:TEXT",
     "insert a field with descriptor TEXT before field I\n"
     "(I may be the number of fields: append)"},
    {PROGRAM_TEXT, "--remove", ARGUMENT_REQUIRED, SET_REMOVE, SECTION_EDITS, "--remove I", "remove field I"},
    {PROGRAM_TEXT, "--text", ARGUMENT_REQUIRED, SET_TEXT, SECTION_EDITS, "--text I:TEXT",
     "type TEXT as field I's descriptor text"},
    {PROGRAM_TEXT, "--sample", ARGUMENT_REQUIRED, SET_SAMPLE, SECTION_EDITS, "--sample I:TEXT",
     "type TEXT as field I's sample; the descriptor is\n"
     "rebuilt to print it"},
    {PROGRAM_TEXT, "--value", ARGUMENT_REQUIRED, SET_VALUE, SECTION_EDITS, "--value I:VALUE",
     "give field I a custom sample value (empty: default)"},
};

bool SameIgnoringCase(const std::string& strWord, const std::string& strName)
{
    return strWord.size() == strName.size() &&
           std::equal(strWord.begin(), strWord.end(), strName.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
           });
}

// How a word names an option: its name part, the argument it carries (after
// the window's five characters, after quillmark-text's "="), and whether it
// carries one.
struct SNamedWord {
    std::string strName;
    std::string strArgument;
    bool bHasArgument = false;
};

bool IsForm(OptionSetting nSetting)
{
    return nSetting == SET_FREE_FORM || nSetting == SET_FIXED_FORM;
}

SourceForm FormOf(OptionSetting nSetting)
{
    return nSetting == SET_FREE_FORM ? SOURCE_FORM_FREE : SOURCE_FORM_FIXED;
}

// The word split as the row's program reads it.
SNamedWord SplitWord(const std::string& strWord, const SOptionRow& row)
{
    const std::size_t nNameLength = std::strlen(row.pszName);
    if (row.nProgram == PROGRAM_WINDOW && nNameLength == kWindowPrefixLength) {
        const std::string strArgument = strWord.size() > nNameLength ? strWord.substr(nNameLength) : "";
        return {strWord.substr(0, nNameLength), strArgument, true};
    }
    const std::size_t nEqual = row.nProgram == PROGRAM_TEXT && strWord.rfind("--", 0) == 0 ? strWord.find('=')
                                                                                           : std::string::npos;
    if (nEqual == std::string::npos)
        return {strWord, "", false};
    return {strWord.substr(0, nEqual), strWord.substr(nEqual + 1), true};
}

// Whether the word names the row's option, and how.
bool NamesOption(const std::string& strWord, const SOptionRow& row, SNamedWord& named)
{
    named = SplitWord(strWord, row);
    const bool bAnyCase = row.nProgram == PROGRAM_WINDOW || IsForm(row.nSetting);
    return bAnyCase ? SameIgnoringCase(named.strName, row.pszName) : named.strName == row.pszName;
}

bool IsOptionWord(const std::string& strWord)
{
    return strWord.size() > 1 && strWord[0] == '-' && !std::isdigit(static_cast<unsigned char>(strWord[1]));
}

// What is wrong with an option just read, given what came before it.
std::string OptionError(const SOptionWord& option, const SOptionReading& reading, bool bHadArgument)
{
    const SOptionRow& row = *option.pRow;
    if (row.nArgument == ARGUMENT_ONCE && reading.Has(row.nSetting))
        return option.strName + " may be given only once";
    if (IsForm(row.nSetting) && reading.nSourceForm != SOURCE_FORM_BY_SUFFIX &&
        reading.nSourceForm != FormOf(row.nSetting))
        return "--free-form and --fixed-form exclude each other";
    if (row.nArgument == ARGUMENT_NONE && bHadArgument)
        return option.strName + " takes no argument";
    return std::string();
}

// Reads the option word at words[i] (and its argument); i ends on the last
// word it took.
SOptionWord ReadOption(const std::vector<std::string>& words, std::size_t& i, OptionProgram nProgram,
                       const SOptionReading& reading)
{
    SOptionWord option;
    SNamedWord named;
    for (const SOptionRow& row : kOptionRows)
        if (row.nProgram == nProgram && NamesOption(words[i], row, named)) {
            option.pRow = &row;
            break;
        }
    if (option.pRow == nullptr) {
        option.strName = words[i];
        option.strError = "unknown option '" + words[i] + "'";
        return option;
    }
    option.strName = named.strName;
    option.strError = OptionError(option, reading, named.bHasArgument);
    if (option.pRow->nArgument != ARGUMENT_REQUIRED && option.pRow->nArgument != ARGUMENT_ONCE)
        return option;
    // Taken even after an error, so that it is read as no other word.
    if (named.bHasArgument)
        option.strArgument = named.strArgument;
    else if (i + 1 < words.size())
        option.strArgument = words[++i];
    else if (option.strError.empty())
        option.strError = option.strName + " needs an argument";
    return option;
}

}  // namespace

bool SOptionReading::Has(OptionSetting nSetting) const
{
    return std::any_of(options.begin(), options.end(), [nSetting](const SOptionWord& option) {
        return option.pRow != nullptr && option.pRow->nSetting == nSetting && option.strError.empty();
    });
}

SOptionReading ReadOptions(const std::vector<std::string>& words, OptionProgram nProgram)
{
    SOptionReading reading;
    bool bPositionalOnly = false;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (bPositionalOnly || !IsOptionWord(words[i])) {
            reading.positional.push_back(words[i]);
            continue;
        }
        SOptionWord option = ReadOption(words, i, nProgram, reading);
        if (!option.strError.empty()) {
            reading.bError = true;
        } else {
            const OptionSetting nSetting = option.pRow->nSetting;
            bPositionalOnly = nSetting == SET_END_OF_OPTIONS;
            if (IsForm(nSetting))
                reading.nSourceForm = FormOf(nSetting);
        }
        reading.options.push_back(std::move(option));
    }
    return reading;
}

std::string OptionHelp(OptionProgram nProgram, OptionSection nSection, std::size_t nHelpColumn)
{
    std::string strHelp;
    for (const SOptionRow& row : kOptionRows) {
        if (row.nProgram != nProgram || row.nSection != nSection)
            continue;
        std::string strLine = std::string("  ") + row.pszShown;
        const std::string strRowHelp = row.pszHelp;
        for (std::size_t nStart = 0; nStart < strRowHelp.size();) {
            const std::size_t nEnd = std::min(strRowHelp.find('\n', nStart), strRowHelp.size());
            strLine.resize(std::max(strLine.size(), nHelpColumn), ' ');
            strHelp += strLine + strRowHelp.substr(nStart, nEnd - nStart) + '\n';
            strLine.clear();
            nStart = nEnd + 1;
        }
        if (!strLine.empty())
            strHelp += strLine + '\n';
    }
    return strHelp;
}
