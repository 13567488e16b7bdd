#include "command_line.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <strings.h>
#include <system_error>

#include "flags.h"
#include "message.h"
#include "string_table.h"

namespace {

constexpr std::size_t kPlaceWords = 3;  // FILE LINE COLUMN
constexpr std::size_t kMaxOptions = 5;  // -d:1:LOG, -fps4, a source form, --exact, --keep-layout
constexpr std::size_t kOptionPrefixLength = 5;
constexpr const char* kEndOfOptions = "--";

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

// Without "--": FILE LINE COLUMN first, the options after them; with it:
// the options before it, FILE LINE COLUMN after it.
void SplitPlaceAndOptions(const std::vector<std::string>& words, std::vector<std::string>& place,
                          std::vector<std::string>& options)
{
    const auto end = std::find(words.begin(), words.end(), kEndOfOptions);
    if (end != words.end()) {
        options.assign(words.begin(), end);
        place.assign(end + 1, words.end());
        return;
    }
    const auto split = words.begin() + static_cast<std::ptrdiff_t>(std::min(words.size(), kPlaceWords));
    place.assign(words.begin(), split);
    options.assign(split, words.end());
}

// Reads one option word into the command line; strFile is the source file.
void ReadOption(const std::string& strWord, const std::string& strFile, SCommandLine& commandLine)
{
    const SourceFormOption formOption = ReadSourceFormOption(strWord, commandLine.nSourceForm);
    if (formOption != FORM_OPTION_NONE) {
        commandLine.arrOptions.push_back({OPTION_SOURCE_FORM, strWord});
        if (formOption == FORM_OPTION_CONFLICT)
            commandLine.bError = 1;
    } else if (StartsWithOption(strWord, "-d:1:")) {
        // The log is emptied before the file is read: a log that is the
        // file itself would destroy it.
        const std::string strLog = strWord.substr(kOptionPrefixLength);
        const bool bIsFile = NamesSameFile(strLog, strFile);
        commandLine.arrOptions.push_back({bIsFile ? OPTION_LOG_IS_FILE : OPTION_DEBUG_LOG, strLog});
        commandLine.bDebug = 1;
        commandLine.bError = commandLine.bError || bIsFile;
    } else if (strcasecmp(strWord.c_str(), "--exact") == 0) {
        commandLine.arrOptions.push_back({OPTION_EXACT, std::string()});
        commandLine.bExact = 1;
    } else if (strcasecmp(strWord.c_str(), "--keep-layout") == 0) {
        commandLine.arrOptions.push_back({OPTION_KEEP_LAYOUT, std::string()});
        commandLine.bKeepLayout = 1;
    } else if (StartsWithOption(strWord, "-fps4")) {
        commandLine.arrOptions.push_back({OPTION_STRICT_TABLE, std::string()});
        commandLine.bStrictTable = 1;
    } else {
        commandLine.arrOptions.push_back({OPTION_UNKNOWN, strWord});
        commandLine.bError = 1;
    }
}

// The name made absolute, with the links of the part that exists resolved.
std::filesystem::path ResolvedName(const std::string& strName)
{
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(strName, error);
    if (error)
        return std::filesystem::path(strName).lexically_normal();
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(absolute, error);
    return error ? absolute.lexically_normal() : resolved;
}

// Creates a debug log; one that cannot be written is reported once.
void StartLog(const std::string& strLog)
{
    if (!StartDebugLog(strLog))
        std::fprintf(stderr, "quillmark: cannot write the log \"%s\"; its messages go to standard error\n",
                     strLog.c_str());
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

std::vector<std::string> WithoutToolkitOptions(const std::vector<std::string>& words)
{
    static const std::array<const char*, 12> kWithValue{
        "-style",   "-stylesheet",      "-platform",     "-platformpluginpath", "-platformtheme", "-plugin",
        "-session", "-qwindowgeometry", "-qwindowtitle", "-qwindowicon",        "-display",       "-geometry"};
    static const std::array<const char*, 5> kFlags{"-reverse", "-widgetcount", "-nograb", "-dograb", "-sync"};
    std::vector<std::string> kept;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (words[i] == kEndOfOptions) {
            kept.insert(kept.end(), words.begin() + static_cast<std::ptrdiff_t>(i), words.end());
            break;
        }
        // "--style" is "-style" to the toolkit.
        std::string strWord = words[i].rfind("--", 0) == 0 ? words[i].substr(1) : words[i];
        const std::size_t nEqual = strWord.find('=');
        const std::string strName = strWord.substr(0, nEqual);
        const auto named = [&strName](const char* pszOption) { return strName == pszOption; };
        if (std::any_of(kWithValue.begin(), kWithValue.end(), named)) {
            if (nEqual == std::string::npos)
                ++i;  // its value is the next word
            continue;
        }
        if (nEqual == std::string::npos && std::any_of(kFlags.begin(), kFlags.end(), named))
            continue;
        kept.push_back(words[i]);
    }
    return kept;
}

SCommandLine ParseCommandLine(const std::vector<std::string>& words)
{
    SCommandLine commandLine;
    std::vector<std::string> place, options;
    SplitPlaceAndOptions(words, place, options);
    commandLine.arrWords = place;
    commandLine.arrWords.insert(commandLine.arrWords.end(), options.begin(), options.end());
    const bool bEndOfOptions = std::find(words.begin(), words.end(), kEndOfOptions) != words.end();
    if (place.size() == 1 && !place[0].empty() && (bEndOfOptions || (options.empty() && place[0].rfind('-', 0) != 0)) &&
        options.size() <= kMaxOptions) {
        commandLine.bPickStatement = 1;
        for (const std::string& strWord : options)
            ReadOption(strWord, place[0], commandLine);
        commandLine.bError = commandLine.bError || commandLine.bDebug;
        return commandLine;
    }
    if (place.size() != kPlaceWords || options.size() > kMaxOptions) {
        commandLine.bError = 1;
        return commandLine;
    }
    // A line that is no number at all is a bad command line too; one that
    // starts with digits is taken as far as they go (12abc is line 12).
    // Line 0 or below names no line: a bad command line as well.
    if (!IsNumberWord(place[1]) || ConvertNumber(place[1]) < 1)
        commandLine.bError = 1;
    for (const std::string& strWord : options)
        ReadOption(strWord, place[0], commandLine);
    return commandLine;
}

bool NamesSameFile(const std::string& strFirst, const std::string& strSecond)
{
    std::error_code error;
    if (std::filesystem::equivalent(strFirst, strSecond, error))
        return true;
    return ResolvedName(strFirst) == ResolvedName(strSecond);
}

void ApplyCommandLine(const SCommandLine& commandLine)
{
    CProcessFlags& flags = ProcessFlags();
    flags.m_bEchoMessages = 1;
    if (!commandLine.bError) {
        flags.m_strSourceFile = commandLine.arrWords[0];
        flags.m_nStatementLine = commandLine.bPickStatement ? 0 : std::max(0LL, ConvertNumber(commandLine.arrWords[1]));
        flags.m_strGivenLine = flags.m_nStatementLine > 0 ? NumberWordDigits(commandLine.arrWords[1]) : std::string();
    }
    for (const SCommandOption& option : commandLine.arrOptions) {
        if (option.nKind == OPTION_DEBUG_LOG)
            StartLog(option.strArgument);
        else if (option.nKind == OPTION_LOG_IS_FILE)
            flags.m_bDebug = 1;  // unattended all the same, but the file is not opened as a log
        else if (option.nKind == OPTION_STRICT_TABLE)
            flags.m_bStrictTable = 1;
    }
    if (commandLine.bError)
        flags.m_bCommandLineError = 1;
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
    return "usage: quillmark FILE LINE COLUMN [-d:1:LOG] [-fps4] [--exact] [--keep-layout] [--free-form | "
           "--fixed-form] | quillmark FILE";
}

std::string CommandLineProblem(const SCommandLine& commandLine)
{
    for (const SCommandOption& option : commandLine.arrOptions)
        if (option.nKind == OPTION_LOG_IS_FILE)
            return "the log \"" + option.strArgument + "\" is the source file \"" + commandLine.arrWords[0] +
                   "\" itself";
    return std::string();
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
    return "Usage: quillmark FILE LINE COLUMN [OPTION...]\n"
           "       quillmark [OPTION...] -- FILE LINE COLUMN\n"
           "       quillmark FILE\n"
           "       quillmark [OPTION...] -- FILE\n"
           "       quillmark --help | --version\n"
           "\n"
           "Opens the FORMAT statement (or the format string of a WRITE, PRINT or READ)\n"
           "that starts on LINE of the Fortran source FILE in a window that shows each\n"
           "edit descriptor as a field; OK writes the statement back into FILE.\n"
           "COLUMN, the cursor column, picks the format string on its line. A blank\n"
           "line starts a new FORMAT statement with a label of its own. A READ, WRITE\n"
           "or PRINT whose format is a label opens the FORMAT statement it names.\n"
           "With FILE alone, a list of FILE's FORMAT statements and format strings\n"
           "comes first: type to filter it, Enter opens the chosen one (-d:1: needs\n"
           "LINE and COLUMN).\n"
           "\n"
           "Options (in any order and any case):\n"
           "  -d:1:LOG       unattended: messages go into the file LOG, questions are\n"
           "                 answered No and OK is pressed by itself (off screen when\n"
           "                 there is no display); LOG must be another file than FILE\n"
           "  -fps4          recognise only the standard descriptor forms\n"
           "  --exact        show each sample exactly as gfortran prints the value\n"
           "                 (REAL(8), INTEGER(8)) instead of the simplified layout\n"
           "  --keep-layout  OK changes only the text of the fields that changed and\n"
           "                 keeps the statement's lines, blanks and comments\n"
           "                 (the two settings of the strip's context menu; an\n"
           "                 option turns its setting on for this run)\n"
           "  --free-form    read FILE in free source form, whatever its suffix\n"
           "  --fixed-form   read FILE in fixed source form, whatever its suffix\n"
           "                 (by suffix: .f90 .f95 .f03 .f08 free form, in any case;\n"
           "                 every other suffix fixed form)\n"
           "  --             ends the options: FILE LINE COLUMN follow it, so that a\n"
           "                 FILE named like an option is read as a file\n"
           "  Qt's own options (-style, -stylesheet, -platform, -reverse, ...) go to\n"
           "                 the toolkit\n"
           "\n"
           "Every message the window shows or the log receives is also written to\n"
           "standard error as one line: quillmark: FILE:LINE: text\n"
           "\n"
           "Exit status: 0 the file was written, 1 it was not (Cancel, a refused or\n"
           "failed save, no statement there, no display), 2 a bad command line.\n";
}
