#include "cli_options.h"

#include <cstddef>

#include "number_word.h"

namespace {

struct SEditOption {
    const char* pszName;
    EditAction action;
    bool bTakesText;
};

constexpr SEditOption kEditOptions[] = {
    {"--insert", EDIT_INSERT, true}, {"--remove", EDIT_REMOVE, false}, {"--text", EDIT_TEXT, true},
    {"--sample", EDIT_SAMPLE, true}, {"--value", EDIT_VALUE, true},
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

bool ParseEdit(const SEditOption& option, const std::string& strArgument, SEdit& edit, std::string& strError)
{
    edit.action = option.action;
    edit.strOption = std::string(option.pszName) + " " + strArgument;
    std::string strIndex = strArgument;
    if (option.bTakesText) {
        const std::size_t nColon = strArgument.find(':');
        if (nColon == std::string::npos) {
            strError = std::string(option.pszName) + " needs INDEX:TEXT, got '" + strArgument + "'";
            return false;
        }
        strIndex = strArgument.substr(0, nColon);
        edit.strText = strArgument.substr(nColon + 1);
    }
    if (!ParseIndex(strIndex, edit.nIndex)) {
        strError = std::string(option.pszName) + ": '" + strIndex + "' is not a field index";
        return false;
    }
    return true;
}

// Splits "--name=value" into name and value; other words are left whole.
void SplitInlineValue(std::string& strWord, std::string& strValue, bool& bHasValue)
{
    bHasValue = false;
    if (strWord.rfind("--", 0) != 0)
        return;
    const std::size_t nEq = strWord.find('=');
    if (nEq == std::string::npos)
        return;
    strValue = strWord.substr(nEq + 1);
    strWord.resize(nEq);
    bHasValue = true;
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

}  // namespace

ParseOutcome ParseCliOptions(const std::vector<std::string>& args, SCliOptions& options, std::string& strError)
{
    std::vector<std::string> positional;
    bool bPositionalOnly = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (bPositionalOnly) {
            positional.push_back(args[i]);
            continue;
        }
        std::string strWord = args[i];
        std::string strValue;
        bool bHasValue = false;
        SplitInlineValue(strWord, strValue, bHasValue);

        // The argument of an option: after "=" or the next word.
        auto takeValue = [&](std::string& out) {
            if (bHasValue) {
                out = strValue;
                return true;
            }
            if (i + 1 >= args.size()) {
                strError = strWord + " needs an argument";
                return false;
            }
            out = args[++i];
            return true;
        };
        auto flagOnly = [&]() {
            if (bHasValue)
                strError = strWord + " takes no argument";
            return !bHasValue;
        };

        if (strWord == "--help" || strWord == "-h")
            return PARSE_HELP;
        if (strWord == "--version")
            return PARSE_VERSION;
        if (strWord == "--fps4" || strWord == "-fps4") {
            if (!flagOnly())
                return PARSE_USAGE_ERROR;
            options.bStrict = true;
            continue;
        }
        switch (ReadSourceFormOption(strWord, options.nSourceForm)) {
        case FORM_OPTION_TAKEN:
            if (!flagOnly())
                return PARSE_USAGE_ERROR;
            continue;
        case FORM_OPTION_CONFLICT:
            strError = "--free-form and --fixed-form exclude each other";
            return PARSE_USAGE_ERROR;
        case FORM_OPTION_NONE: break;
        }
        if (strWord == "--list-statements") {
            if (!flagOnly())
                return PARSE_USAGE_ERROR;
            options.bListStatements = true;
            continue;
        }
        if (strWord == "--json" || strWord == "--live" || strWord == "--write" || strWord == "--exact" ||
            strWord == "--keep-layout") {
            if (!flagOnly())
                return PARSE_USAGE_ERROR;
            (strWord == "--json"          ? options.bJson
             : strWord == "--live"        ? options.bLive
             : strWord == "--exact"       ? options.bExact
             : strWord == "--keep-layout" ? options.bKeepLayout
                                          : options.bWrite) = true;
            continue;
        }
        if (strWord == "--list") {
            if (options.bHasList) {
                strError = "--list may be given only once";
                return PARSE_USAGE_ERROR;
            }
            if (!takeValue(options.strList))
                return PARSE_USAGE_ERROR;
            options.bHasList = true;
            continue;
        }
        bool bEdit = false;
        for (const SEditOption& option : kEditOptions) {
            if (strWord != option.pszName)
                continue;
            std::string strArgument;
            SEdit edit{};
            if (!takeValue(strArgument) || !ParseEdit(option, strArgument, edit, strError))
                return PARSE_USAGE_ERROR;
            options.edits.push_back(edit);
            bEdit = true;
        }
        if (bEdit)
            continue;
        const bool bNumber = strWord.size() > 1 && strWord[1] >= '0' && strWord[1] <= '9';
        if (strWord.rfind("-", 0) == 0 && strWord.size() > 1 && !bNumber) {
            if (strWord == "--") {
                bPositionalOnly = true;
                continue;
            }
            strError = "unknown option '" + args[i] + "'";
            return PARSE_USAGE_ERROR;
        }
        positional.push_back(args[i]);
    }
    if (options.bListStatements)
        return ReadListStatements(positional, options, strError);
    if (positional.size() == 3) {
        options.bHasFile = true;
        options.strFile = positional[0];
        options.strLine = positional[1];
        options.nLine = ConvertNumber(positional[1]);
        options.nColumn = ConvertNumber(positional[2]);
        if (!IsNumberWord(positional[1])) {
            strError = "LINE must be a number, not '" + positional[1] + "'";
            return PARSE_USAGE_ERROR;
        }
        if (options.nLine < 1) {
            strError = "LINE must be a line number from 1 up, not '" + positional[1] + "'";
            return PARSE_USAGE_ERROR;
        }
    } else if (!positional.empty()) {
        strError = "give FILE LINE COLUMN (three words), not " + std::to_string(positional.size());
        return PARSE_USAGE_ERROR;
    }
    if (options.bHasList == options.bHasFile) {
        strError = options.bHasList ? "give either --list 'TEXT' or FILE LINE COLUMN, not both"
                                    : "nothing to show: give FILE LINE COLUMN or --list 'TEXT'";
        return PARSE_USAGE_ERROR;
    }
    if (options.bWrite && !options.bHasFile) {
        strError = "--write needs FILE LINE COLUMN";
        return PARSE_USAGE_ERROR;
    }
    if (options.bKeepLayout && !options.bWrite) {
        strError = "--keep-layout needs --write";
        return PARSE_USAGE_ERROR;
    }
    return PARSE_RUN;
}

const char* CliUsageText()
{
    return "Usage: quillmark-text [options] FILE LINE COLUMN\n"
           "       quillmark-text [options] --list 'TEXT'\n"
           "       quillmark-text [--json] --list-statements FILE\n"
           "\n"
           "Shows the edit descriptors of a Fortran FORMAT statement as fields:\n"
           "each descriptor's text above what it prints, with a column ruler, and\n"
           "applies edits to them. FILE LINE COLUMN names the statement that starts\n"
           "on LINE of a source file (COLUMN, the cursor column, picks the format\n"
           "string of a WRITE, PRINT or READ); a blank line starts a new FORMAT\n"
           "with a label of its own.\n"
           "\n"
           "Options:\n"
           "  --list TEXT        a descriptor list alone, parentheses included:\n"
           "                     '(I5, 2X, 3(F7.3))'\n"
           "  --list-statements  list FILE's FORMAT statements and format strings, one\n"
           "                     a line: LINE COLUMN LABEL (- for none) LIST, tab\n"
           "                     separated; LINE COLUMN open it\n"
           "  --write            after the edits, write the statement back into FILE\n"
           "  --keep-layout      with --write: keep the statement's own layout (the\n"
           "                     unchanged fields' bytes, lines, comments); only\n"
           "                     what the edits changed is written anew, and a\n"
           "                     statement that did not change is not written\n"
           "  --free-form        read FILE in free source form, whatever its suffix\n"
           "  --fixed-form       read FILE in fixed source form, whatever its suffix\n"
           "                     (by suffix: .f90 .f95 .f03 .f08 free form, in any\n"
           "                     case; every other suffix fixed form)\n"
           "  --fps4             recognise only descriptors with explicit widths\n"
           "                     (no I, F, E, ... without a width, no $)\n"
           "  --json             print the fields as one JSON object\n"
           "  --exact            show each sample exactly as gfortran prints the\n"
           "                     value (REAL(8), INTEGER(8)) through the descriptor,\n"
           "                     instead of the simplified layout\n"
           "  --live             leave the last typed field as typed, even when it\n"
           "                     does not evaluate (shows the marker ?\?\?\?\?\?)\n"
           "  --help, --version\n"
           "  --                 ends the options: FILE LINE COLUMN follow, so that a\n"
           "                     FILE named like an option is read as a file\n"
           "\n"
           "Edits, applied in the order given (fields are numbered from 0):\n"
           "  --insert I:TEXT    insert a field with descriptor TEXT before field I\n"
           "                     (I may be the number of fields: append)\n"
           "  --remove I         remove field I\n"
           "  --text I:TEXT      type TEXT as field I's descriptor text\n"
           "  --sample I:TEXT    type TEXT as field I's sample; the descriptor is\n"
           "                     rebuilt to print it\n"
           "  --value I:VALUE    give field I a custom sample value (empty: default)\n"
           "\n"
           "A typed text or sample that does not evaluate is taken back, as in the\n"
           "editor. Each message goes to standard error as one line:\n"
           "quillmark: FILE:LINE: text. Exit status: 0 done (with --write: the file\n"
           "holds the edited statement), 1 the statement was not found or an\n"
           "operation or the save was refused (the message says why), 2 a usage\n"
           "error.\n";
}
