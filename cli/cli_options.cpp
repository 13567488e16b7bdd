#include "cli_options.h"

#include <cstddef>

namespace {

struct SEditOption {
    const char* pszName;
    EditAction action;
    bool bTakesText;
};

constexpr SEditOption kEditOptions[] = {
    {"--insert", EDIT_INSERT, true},
    {"--remove", EDIT_REMOVE, false},
    {"--text", EDIT_TEXT, true},
    {"--sample", EDIT_SAMPLE, true},
    {"--value", EDIT_VALUE, true},
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

}  // namespace

ParseOutcome ParseCliOptions(const std::vector<std::string>& args, SCliOptions& options, std::string& strError)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
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
        if (strWord == "--json" || strWord == "--live") {
            if (!flagOnly())
                return PARSE_USAGE_ERROR;
            (strWord == "--json" ? options.bJson : options.bLive) = true;
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
        strError = "unknown option or argument '" + args[i] + "'";
        return PARSE_USAGE_ERROR;
    }
    if (!options.bHasList) {
        strError = "nothing to show: give --list 'TEXT'";
        return PARSE_USAGE_ERROR;
    }
    return PARSE_RUN;
}

const char* CliUsageText()
{
    return "Usage: quillmark-text [options] --list 'TEXT'\n"
           "\n"
           "Shows the edit descriptors of a Fortran descriptor list such as\n"
           "'(I5, 2X, 3(F7.3))' as fields: each descriptor's text above what it\n"
           "prints, with a column ruler, and applies edits to them.\n"
           "\n"
           "Options:\n"
           "  --list TEXT        the descriptor list, parentheses included\n"
           "  --fps4             recognise only descriptors with explicit widths\n"
           "                     (no I, F, E, ... without a width, no $)\n"
           "  --json             print the fields as one JSON object\n"
           "  --live             leave the last typed field as typed, even when it\n"
           "                     does not evaluate (shows the marker ?\?\?\?\?\?)\n"
           "  --help, --version\n"
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
           "editor. Exit status: 0 done, 1 an operation was refused (the message\n"
           "says why), 2 a usage error.\n";
}
