#include "command_line.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <strings.h>
#include <system_error>

#include "flags.h"
#include "message.h"
#include "string_table.h"

namespace {

constexpr std::size_t kMinWords = 3;
constexpr std::size_t kMaxWords = 6;  // FILE LINE COLUMN, -d:1:LOG, -fps4, a source form
constexpr std::size_t kOptionPrefixLength = 5;

bool IsBlank(char ch)
{
    return ch == ' ' || ch == '\t';
}

// Appends the words of text[from...] split at blanks and tabs.
void SplitWords(const std::string& strText, std::size_t nFrom, std::vector<std::string>& words)
{
    std::size_t i = nFrom;
    while (i < strText.size()) {
        while (i < strText.size() && IsBlank(strText[i]))
            ++i;
        const std::size_t nStart = i;
        while (i < strText.size() && !IsBlank(strText[i]))
            ++i;
        if (i > nStart)
            words.push_back(strText.substr(nStart, i - nStart));
    }
}

// The first five characters of the word equal the option, regardless of case.
bool StartsWithOption(const std::string& strWord, const char* pszOption)
{
    return strWord.size() >= kOptionPrefixLength && strncasecmp(strWord.c_str(), pszOption, kOptionPrefixLength) == 0;
}

}  // namespace

std::vector<std::string> SplitCommandLine(const std::string& strText)
{
    std::vector<std::string> words;
    std::size_t nFrom = 0;
    if (!strText.empty() && strText[0] == '"') {
        const std::size_t nClose = strText.find('"', 1);
        if (nClose != std::string::npos) {
            words.push_back(strText.substr(1, nClose - 1));
            nFrom = nClose + 1;
        }
    }
    SplitWords(strText, nFrom, words);
    return words;
}

std::vector<std::string> CommandLineWords(const std::vector<std::string>& args)
{
    if (args.size() == 1 && args[0].find_first_of(" \t") != std::string::npos)
        return SplitCommandLine(args[0]);
    return args;
}

SCommandLine ParseCommandLine(const std::vector<std::string>& words)
{
    SCommandLine commandLine;
    commandLine.arrWords = words;
    if (words.size() < kMinWords || words.size() > kMaxWords) {
        commandLine.bError = 1;
        return commandLine;
    }
    // A line that is no number at all is a bad command line too; one that
    // starts with digits is taken as far as they go (12abc is line 12).
    if (!IsNumberWord(words[1]))
        commandLine.bError = 1;
    for (std::size_t i = kMinWords; i < words.size(); ++i) {
        const std::string& strWord = words[i];
        const SourceFormOption formOption = ReadSourceFormOption(strWord, commandLine.nSourceForm);
        if (formOption != FORM_OPTION_NONE) {
            commandLine.arrOptions.push_back({OPTION_SOURCE_FORM, strWord});
            if (formOption == FORM_OPTION_CONFLICT)
                commandLine.bError = 1;
        } else if (StartsWithOption(strWord, "-d:1:")) {
            commandLine.arrOptions.push_back({OPTION_DEBUG_LOG, strWord.substr(kOptionPrefixLength)});
            commandLine.bDebug = 1;
        } else if (StartsWithOption(strWord, "-fps4")) {
            commandLine.arrOptions.push_back({OPTION_STRICT_TABLE, std::string()});
            commandLine.bStrictTable = 1;
        } else {
            commandLine.arrOptions.push_back({OPTION_UNKNOWN, strWord});
            commandLine.bError = 1;
        }
    }
    return commandLine;
}

void ApplyCommandLine(const SCommandLine& commandLine)
{
    CProcessFlags& flags = ProcessFlags();
    for (const SCommandOption& option : commandLine.arrOptions) {
        if (option.nKind == OPTION_DEBUG_LOG)
            StartDebugLog(option.strArgument);  // a log that cannot be created is passed over
        else if (option.nKind == OPTION_STRICT_TABLE)
            flags.m_bStrictTable = 1;
    }
    if (commandLine.bError)
        flags.m_bCommandLineError = 1;
}

bool IsNumberWord(const std::string& strWord)
{
    std::size_t i = 0;
    while (i < strWord.size() && std::isspace(static_cast<unsigned char>(strWord[i])))
        ++i;
    if (i < strWord.size() && (strWord[i] == '+' || strWord[i] == '-'))
        ++i;
    return i < strWord.size() && std::isdigit(static_cast<unsigned char>(strWord[i]));
}

long long ConvertNumber(const std::string& strWord)
{
    return std::strtoll(strWord.c_str(), nullptr, 10);
}

std::string MakeWindowTitle(const std::string& strFileWord, const std::string& strLineWord,
                            const std::string& strNewLabel)
{
    std::error_code error;
    std::filesystem::path path = std::filesystem::absolute(strFileWord, error);
    const std::string strPath = error ? strFileWord : path.lexically_normal().string();
    std::string strTitle = std::string(LoadResourceString(IDS_TITLE)) + " - " + strPath +
                           LoadResourceString(IDS_TITLE_LINE) + strLineWord;
    if (!strNewLabel.empty())
        strTitle += LoadResourceString(IDS_TITLE_LABEL) + strNewLabel;
    return strTitle;
}

const char* CommandLineUsage()
{
    return "usage: quillmark FILE LINE COLUMN [-d:1:LOG] [-fps4] [--free-form | --fixed-form]";
}

InfoRequest ReadInfoRequest(const std::vector<std::string>& words)
{
    if (words.size() != 1)
        return INFO_NONE;
    if (words[0] == "--version")
        return INFO_VERSION;
    if (words[0] == "--help" || words[0] == "-h")
        return INFO_HELP;
    return INFO_NONE;
}

const char* CommandLineHelp()
{
    return "Usage: quillmark FILE LINE COLUMN [-d:1:LOG] [-fps4] [--free-form | --fixed-form]\n"
           "       quillmark --help | --version\n"
           "\n"
           "Opens the FORMAT statement (or the format string of a WRITE, PRINT or READ)\n"
           "that starts on LINE of the Fortran source FILE in a window that shows each\n"
           "edit descriptor as a field; OK writes the statement back into FILE.\n"
           "COLUMN, the cursor column, picks the format string on its line. A blank\n"
           "line starts a new FORMAT statement with a label of its own.\n"
           "\n"
           "Options (in any order and any case):\n"
           "  -d:1:LOG       unattended: messages go into the file LOG, questions are\n"
           "                 answered No and OK is pressed by itself (off screen when\n"
           "                 there is no display)\n"
           "  -fps4          recognise only the standard descriptor forms\n"
           "  --free-form    read FILE in free source form, whatever its suffix\n"
           "  --fixed-form   read FILE in fixed source form, whatever its suffix\n"
           "                 (by suffix: .f90 .f95 .f03 .f08 free form, in any case;\n"
           "                 every other suffix fixed form)\n"
           "\n"
           "Exit status: 0 the file was written, 1 it was not (Cancel, a refused or\n"
           "failed save, no statement there, no display), 2 a bad command line.\n";
}
