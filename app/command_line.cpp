#include "command_line.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "flags.h"
#include "message.h"
#include "string_table.h"

namespace {

constexpr std::size_t kPlaceWords = 3;   // FILE LINE COLUMN
constexpr std::size_t kMaxOptions = 5;   // -d:1:LOG, -fps4, a source form, --exact, --keep-layout
constexpr std::size_t kHelpColumn = 17;  // where --help starts an option's help
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

// Reads the option words into the command line; strFile is the source file.
void ReadWindowOptions(const std::vector<std::string>& options, const std::string& strFile, SCommandLine& commandLine)
{
    const SOptionReading reading = ReadOptions(options, PROGRAM_WINDOW);
    for (const SOptionWord& option : reading.options) {
        // The log is emptied before the file is read: a log that is the
        // file itself would destroy it.
        if (option.strError.empty() && option.pRow->nSetting == SET_DEBUG_LOG)
            commandLine.arrDebugLogs.push_back({option.strArgument, NamesSameFile(option.strArgument, strFile)});
    }
    const bool bLogIsFile = std::any_of(commandLine.arrDebugLogs.begin(), commandLine.arrDebugLogs.end(),
                                        [](const SDebugLog& log) { return log.bIsSourceFile; });
    commandLine.bDebug = !commandLine.arrDebugLogs.empty();
    commandLine.bStrictTable = reading.Has(SET_STRICT_TABLE);
    commandLine.bExact = reading.Has(SET_EXACT);
    commandLine.bKeepLayout = reading.Has(SET_KEEP_LAYOUT);
    commandLine.nSourceForm = reading.nSourceForm;
    // A word among the options that is none is an error too.
    commandLine.bError = commandLine.bError || reading.bError || !reading.positional.empty() || bLogIsFile;
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
void StartLog(CProcessFlags& flags, const std::string& strLog)
{
    if (!StartDebugLog(flags, strLog))
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
    const bool bPick = place.size() == 1 && !place[0].empty() &&
                       (bEndOfOptions || (options.empty() && place[0].rfind('-', 0) != 0)) &&
                       options.size() <= kMaxOptions;
    if (!bPick && (place.size() != kPlaceWords || options.size() > kMaxOptions)) {
        commandLine.bError = 1;
        return commandLine;
    }
    commandLine.bPickStatement = bPick;
    // A line that is no number at all is a bad command line too; one that
    // starts with digits is taken as far as they go (12abc is line 12).
    // Line 0 or below names no line: a bad command line as well. A file
    // alone cannot run unattended.
    commandLine.bError = bPick ? 0 : !IsNumberWord(place[1]) || ConvertNumber(place[1]) < 1;
    ReadWindowOptions(options, place[0], commandLine);
    commandLine.bError = commandLine.bError || (bPick && commandLine.bDebug);
    return commandLine;
}

bool NamesSameFile(const std::string& strFirst, const std::string& strSecond)
{
    std::error_code error;
    if (std::filesystem::equivalent(strFirst, strSecond, error))
        return true;
    return ResolvedName(strFirst) == ResolvedName(strSecond);
}

void ApplyCommandLine(const SCommandLine& commandLine, CProcessFlags& flags)
{
    flags.m_bEchoMessages = 1;
    if (!commandLine.bError) {
        flags.m_strSourceFile = commandLine.arrWords[0];
        flags.m_nStatementLine = commandLine.bPickStatement ? 0 : std::max(0LL, ConvertNumber(commandLine.arrWords[1]));
        flags.m_strGivenLine = flags.m_nStatementLine > 0 ? NumberWordDigits(commandLine.arrWords[1]) : std::string();
    }
    for (const SDebugLog& log : commandLine.arrDebugLogs) {
        if (log.bIsSourceFile)
            flags.m_bDebug = 1;  // unattended all the same, but the file is not opened as a log
        else
            StartLog(flags, log.strName);
    }
    if (commandLine.bStrictTable)
        flags.m_bStrictTable = 1;
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
    for (const SDebugLog& log : commandLine.arrDebugLogs)
        if (log.bIsSourceFile)
            return "the log \"" + log.strName + "\" is the source file \"" + commandLine.arrWords[0] + "\" itself";
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
    static const std::string strHelp = "Usage: quillmark FILE LINE COLUMN [OPTION...]\n"
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
                                       "Options (in any order and any case):\n" +
                                       OptionHelp(PROGRAM_WINDOW, SECTION_OPTIONS, kHelpColumn) +
                                       "  Qt's own options (-style, -stylesheet, -platform, -reverse, ...) go to\n"
                                       "                 the toolkit\n"
                                       "\n"
                                       "Every message the window shows or the log receives is also written to\n"
                                       "standard error as one line: quillmark: FILE:LINE: text\n"
                                       "\n"
                                       "Exit status: 0 the file was written, 1 it was not (Cancel, a refused or\n"
                                       "failed save, no statement there, no display), 2 a bad command line.\n";
    return strHelp.c_str();
}
