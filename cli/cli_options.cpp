#include "cli_options.h"

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <utility>

#include "format_check.h"

#include "number_word.h"

namespace {

// The edits, by the setting of their option.
struct SEditOption {
    OptionSetting nSetting;
    EditAction action;
    bool bTakesText;
};

constexpr SEditOption kEditOptions[] = {
    {SET_INSERT, EDIT_INSERT, true}, {SET_REMOVE, EDIT_REMOVE, false}, {SET_TEXT, EDIT_TEXT, true},
    {SET_SAMPLE, EDIT_SAMPLE, true}, {SET_VALUE, EDIT_VALUE, true},
};

// The flags, by the setting of their option.
constexpr std::pair<OptionSetting, bool SCliOptions::*> kFlags[] = {
    {SET_STRICT_TABLE, &SCliOptions::bStrict},
    {SET_JSON, &SCliOptions::bJson},
    {SET_LIVE, &SCliOptions::bLive},
    {SET_WRITE, &SCliOptions::bWrite},
    {SET_EXACT, &SCliOptions::bExact},
    {SET_KEEP_LAYOUT, &SCliOptions::bKeepLayout},
    {SET_LIST_STATEMENTS, &SCliOptions::bListStatements},
    {SET_CHECK, &SCliOptions::bCheck},
    {SET_ITEMS, &SCliOptions::bItems},
};

// The options that take a word, by their setting.
constexpr std::pair<OptionSetting, std::string SCliOptions::*> kWords[] = {
    {SET_DIAGNOSTICS, &SCliOptions::strDiagnostics},
    {SET_STANDARD, &SCliOptions::strStandard},
};

// A field index: decimal digits only, kept in range of long long.
bool ParseIndex(const std::string& s, long long& nIndex)
{
    if (s.empty() || s.size() > 12)
        return false;
    nIndex = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            return false;
        nIndex = nIndex * 10 + (c - '0');
    }
    return true;
}

bool ParseEdit(const SEditOption& option, const SOptionWord& word, SEdit& edit, std::string& strError)
{
    const std::string& strArgument = word.strArgument;
    edit.action = option.action;
    edit.strOption = word.strName + " " + strArgument;
    std::string strIndex = strArgument;
    if (option.bTakesText) {
        const std::size_t nColon = strArgument.find(':');
        if (nColon == std::string::npos) {
            strError = word.strName + " needs INDEX:TEXT, got '" + strArgument + "'";
            return false;
        }
        strIndex = strArgument.substr(0, nColon);
        edit.strText = strArgument.substr(nColon + 1);
    }
    if (!ParseIndex(strIndex, edit.nIndex)) {
        strError = word.strName + ": '" + strIndex + "' is not a field index";
        return false;
    }
    return true;
}

// Takes one option read without an error into the options: PARSE_RUN to go on.
ParseOutcome TakeOption(const SOptionWord& word, SCliOptions& options, std::string& strError)
{
    const OptionSetting nSetting = word.pRow->nSetting;
    if (nSetting == SET_HELP || nSetting == SET_VERSION)
        return nSetting == SET_HELP ? PARSE_HELP : PARSE_VERSION;
    for (const auto& [nFlag, pMember] : kFlags)
        if (nFlag == nSetting)
            options.*pMember = true;
    for (const auto& [nWord, pMember] : kWords)
        if (nWord == nSetting)
            options.*pMember = word.strArgument;
    if (nSetting == SET_LIST) {
        options.bHasList = true;
        options.strList = word.strArgument;
    }
    for (const SEditOption& option : kEditOptions) {
        SEdit edit{};
        if (option.nSetting != nSetting)
            continue;
        if (!ParseEdit(option, word, edit, strError))
            return PARSE_USAGE_ERROR;
        options.edits.push_back(edit);
    }
    return PARSE_RUN;
}

// --list-statements FILE: the file alone, with --json, --fps4 and a source
// form; no edits, no list, no write.
ParseOutcome ReadListStatements(const std::vector<std::string>& positional, SCliOptions& options, std::string& strError)
{
    if (positional.size() != 1) {
        strError = "--list-statements needs FILE alone (one word), not " + std::to_string(positional.size());
        return PARSE_USAGE_ERROR;
    }
    if (options.bHasList || options.bWrite || options.bLive || options.bExact || !options.edits.empty()) {
        strError = "--list-statements takes only --json, --fps4, --free-form or --fixed-form";
        return PARSE_USAGE_ERROR;
    }
    options.strFile = positional[0];
    return PARSE_RUN;
}

// --check PATH...: paths, with --diagnostics, --std, --fps4 and a source
// form; no edits, no list, no write.
ParseOutcome ReadCheck(const std::vector<std::string>& positional, SCliOptions& options, std::string& strError)
{
    if (positional.empty())
        strError = "--check needs at least one PATH (a file or a folder)";
    else if (options.bHasList || options.bWrite || options.bLive || options.bExact || options.bItems ||
             options.bListStatements || !options.edits.empty())
        strError = "--check takes only --diagnostics, --std, --fps4, --free-form or --fixed-form";
    options.checkPaths = positional;
    return strError.empty() ? PARSE_RUN : PARSE_USAGE_ERROR;
}

// What --diagnostics and --std name, and where they may stand.
bool CheckWords(SCliOptions& options, const SOptionReading& reading, std::string& strError)
{
    static constexpr const char* kDiagnostics[] = {"gcc", "json", "sarif"};
    if (std::find(std::begin(kDiagnostics), std::end(kDiagnostics), options.strDiagnostics) == std::end(kDiagnostics))
        strError = "--diagnostics takes gcc, json or sarif, not '" + options.strDiagnostics + "'";
    else if (!options.strStandard.empty() && !IsKnownStandard(options.strStandard))
        strError = "--std takes f77, f90, f95, f2003, f2008 or f2018, not '" + options.strStandard + "'";
    else if (reading.Has(SET_DIAGNOSTICS) && !options.bCheck)
        strError = "--diagnostics needs --check";
    else if (reading.Has(SET_STANDARD) && !options.bCheck && !options.bItems)
        strError = "--std needs --check or --items";
    return strError.empty();
}

// FILE LINE COLUMN, and the options that need them or exclude them.
ParseOutcome ReadStatementWords(const std::vector<std::string>& positional, SCliOptions& options, std::string& strError)
{
    if (positional.size() == 3) {
        options.bHasFile = true;
        options.strFile = positional[0];
        options.strLine = positional[1];
        options.nLine = ConvertNumber(positional[1]);
        options.nColumn = ConvertNumber(positional[2]);
        if (!IsNumberWord(positional[1]))
            strError = "LINE must be a number, not '" + positional[1] + "'";
        else if (options.nLine < 1)
            strError = "LINE must be a line number from 1 up, not '" + positional[1] + "'";
    } else if (!positional.empty()) {
        strError = "give FILE LINE COLUMN (three words), not " + std::to_string(positional.size());
    }
    if (!strError.empty())
        return PARSE_USAGE_ERROR;
    if (options.bHasList == options.bHasFile)
        strError = options.bHasList ? "give either --list 'TEXT' or FILE LINE COLUMN, not both"
                                    : "nothing to show: give FILE LINE COLUMN or --list 'TEXT'";
    else if (options.bWrite && !options.bHasFile)
        strError = "--write needs FILE LINE COLUMN";
    else if (options.bKeepLayout && !options.bWrite)
        strError = "--keep-layout needs --write";
    else if (options.bItems && (!options.bHasFile || options.bWrite || options.bLive || !options.edits.empty()))
        strError = "--items needs FILE LINE COLUMN, and takes no edits";
    return strError.empty() ? PARSE_RUN : PARSE_USAGE_ERROR;
}

}  // namespace

ParseOutcome ParseCliOptions(const std::vector<std::string>& args, SCliOptions& options, std::string& strError)
{
    const SOptionReading reading = ReadOptions(args, PROGRAM_TEXT);
    for (const SOptionWord& word : reading.options) {
        strError = word.strError;
        const ParseOutcome outcome = strError.empty() ? TakeOption(word, options, strError) : PARSE_USAGE_ERROR;
        if (outcome != PARSE_RUN)
            return outcome;
    }
    options.nSourceForm = reading.nSourceForm;
    if (!CheckWords(options, reading, strError))
        return PARSE_USAGE_ERROR;
    if (options.bCheck)
        return ReadCheck(reading.positional, options, strError);
    if (options.bListStatements)
        return ReadListStatements(reading.positional, options, strError);
    return ReadStatementWords(reading.positional, options, strError);
}

std::string CliUsageText()
{
    constexpr std::size_t kHelpColumn = 21;  // where an option's help starts
    return "Usage: quillmark-text [options] FILE LINE COLUMN\n"
           "       quillmark-text [options] --list 'TEXT'\n"
           "       quillmark-text [--json] --list-statements FILE\n"
           "       quillmark-text [--diagnostics=KIND] --check PATH...\n"
           "       quillmark-text [--json] --items FILE LINE COLUMN\n"
           "\n"
           "Shows the edit descriptors of a Fortran FORMAT statement as fields:\n"
           "each descriptor's text above what it prints, with a column ruler, and\n"
           "applies edits to them. FILE LINE COLUMN names the statement that starts\n"
           "on LINE of a source file (COLUMN, the cursor column, picks the format\n"
           "string of a WRITE, PRINT or READ); a blank line starts a new FORMAT\n"
           "with a label of its own.\n"
           "\n"
           "Options:\n" +
           OptionHelp(PROGRAM_TEXT, SECTION_OPTIONS, kHelpColumn) +
           "\n"
           "Edits, applied in the order given (fields are numbered from 0):\n" +
           OptionHelp(PROGRAM_TEXT, SECTION_EDITS, kHelpColumn) +
           "\n"
           "Checking formats against the I/O lists that use them:\n" +
           OptionHelp(PROGRAM_TEXT, SECTION_CHECK, kHelpColumn) +
           "\n"
           "A typed text or sample that does not evaluate is taken back, as in the\n"
           "editor. Each message goes to standard error as one line:\n"
           "quillmark: FILE:LINE: text. Exit status: 0 done (with --write: the file\n"
           "holds the edited statement), 1 the statement was not found or an\n"
           "operation or the save was refused (the message says why), 2 a usage\n"
           "error. With --check: 0 no findings, 1 findings (or a PATH that could\n"
           "not be read), 2 a usage error.\n";
}
