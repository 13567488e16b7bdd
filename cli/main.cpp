// quillmark-text: the FORMAT statement at a line of a Fortran source file,
// or a descriptor list alone, shown and edited from a terminal or a script.
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "check_output.h"
#include "cli_options.h"
#include "descriptor_list.h"
#include "diagnostic_line.h"
#include "edit_script.h"
#include "field_output.h"
#include "file_messages.h"
#include "interrupted_save.h"
#include "number_word.h"
#include "quillmark_version.h"
#include "result.h"
#include "safe_file_writer.h"
#include "source_file.h"
#include "statement_index.h"
#include "statement_session.h"
#include "string_table.h"

namespace {

SMessage AtTerminal(const SMessage& message);

enum ExitStatus { EXIT_DONE = 0, EXIT_REFUSED = 1, EXIT_USAGE = 2 };

std::string SignalName(int nSignal)
{
    constexpr std::pair<int, const char*> kNames[] = {
        {SIGINT, "SIGINT"},
        {SIGTERM, "SIGTERM"},
#if defined(SIGHUP)  // not on Windows
        {SIGHUP, "SIGHUP"},
#endif
    };
    for (const auto& [nNumber, pszName] : kNames)
        if (nNumber == nSignal)
            return pszName;
    return std::to_string(nSignal);
}

// Every message goes to standard error as it comes, one line a message that
// names the file and the line it concerns, and into the JSON output.
// Questions take their negative answer, as in an unattended run, unless the
// run only shows the statement: then "Continue anyway?" is yes.
class CCliReporter : public IStatementQuestions {
public:
    // strFile: the source file as given, empty for a list alone.
    CCliReporter(bool bAgree, const std::string& strFile) : m_bAgree(bAgree), m_strFile(strFile) {}

    // The line for the messages that name no line of their own: the line
    // asked for, then the statement's first line once it is located.
    // strGiven: the line's word as given (its digits), until the statement
    // is located.
    void SetStatementLine(long long nLine, const std::string& strGiven = std::string())
    {
        m_nStatementLine = nLine;
        m_strGivenLine = strGiven;
    }

    void Report(const SMessage& shown)
    {
        const SMessage message = AtTerminal(shown);
        const std::string text = MessageText(message);
        std::cerr << DiagnosticLine(m_strFile, DiagnosticLineText(message.nLine, m_nStatementLine, m_strGivenLine),
                                    text)
                  << '\n';
        m_texts.push_back(text);
        m_messages.push_back(message);
    }
    void Report(const CResult& result)
    {
        for (const SMessage& message : result.Messages())
            Report(message);
    }

    bool ContinueReadOnly(const SMessage& question) override
    {
        Report(question);
        return m_bAgree;
    }
    bool ChooseOtherFile(const SMessage& question, bool, std::string&) override
    {
        Report(question);
        return false;
    }
    void Tell(const SMessage& note) override { Report(note); }

    const std::vector<std::string>& Texts() const { return m_texts; }

    // Each message with its string ID and the place in the file it concerns.
    JsonValue DiagnosticsJson() const
    {
        JsonValue diagnostics = JsonValue::array();
        for (std::size_t i = 0; i < m_messages.size(); ++i) {
            const SMessage& m = m_messages[i];
            diagnostics.push_back(
                {{"id", m.nStringId}, {"message", JsonText(m_texts[i])}, {"line", m.nLine}, {"column", m.nColumn}});
        }
        return diagnostics;
    }

private:
    bool m_bAgree;
    std::string m_strFile;
    long long m_nStatementLine = 0;
    std::string m_strGivenLine;
    std::vector<std::string> m_texts;
    std::vector<SMessage> m_messages;
};

// A refused save in the words of a terminal: the window's messages end with
// "Press OK to save under a different name", and this front end has no OK.
SMessage AtTerminal(const SMessage& message)
{
    SMessage said = message;
    if (message.nStringId == IDS_CANNOT_WRITE) {
        said.nStringId = IDS_TEXT_CANNOT_WRITE;
    } else if (message.nStringId == IDS_CANNOT_WRITE_BECAUSE && message.args.size() == 2) {
        // The writer gives up on a lock held too long with EWOULDBLOCK.
        const bool bLock = message.args[1] == MessageArgument(SystemReason(EWOULDBLOCK));
        said.nStringId = bLock ? IDS_TEXT_LOCK_TIMED_OUT : IDS_TEXT_CANNOT_WRITE_BECAUSE;
        if (bLock)
            said.args.pop_back();
    }
    return said;
}

int UsageError(const std::string& strError)
{
    std::cerr << "quillmark-text: " << strError << "\n\n" << CliUsageText();
    return EXIT_USAGE;
}

// Fills the list from the options: a list text split as the locator hands
// it over, or the statement opened in a file. False when there is none.
bool LoadStatement(const SCliOptions& options, CDescriptorList& list, CStatementSite& site, CCliReporter& reporter)
{
    CResult result;
    if (options.bHasList) {
        std::string strList = options.strList;
        if (!strList.empty() && strList.back() != '\n')
            strList += '\n';
        result = list.Split(strList);
    } else {
        SStatementRequest request;
        request.strFile = options.strFile;
        request.nLine = options.nLine;
        request.strLineDigits = NumberWordDigits(options.strLine);
        request.nColumn = options.nColumn;
        request.form = options.nSourceForm;
        reporter.SetStatementLine(std::max(0LL, options.nLine), request.strLineDigits);
        result = OpenStatement(request, list, site, reporter);
        if (result.Ok())
            reporter.SetStatementLine(site.m_nFirstLine);
    }
    reporter.Report(result);
    return result.Ok();
}

JsonValue StatementJson(const CStatementSite& site)
{
    // The line on which each descriptor's text began when it was read.
    JsonValue fieldLines = JsonValue::array();
    for (const auto& place : site.m_arrDescriptorPlaces)
        fieldLines.push_back(place.nLine);
    JsonValue statement = {{"file", JsonText(site.m_strFileName)},
                           {"first_line", site.m_nFirstLine},
                           {"lines", site.m_arrLines},
                           {"field_lines", fieldLines},
                           {"head", JsonText(site.m_strHead)},
                           {"tail", JsonText(site.m_strTail)},
                           {"paren_blanks", site.m_nParenBlanks},
                           {"fixed_form", site.m_bFixedForm != 0},
                           {"delimiter", JsonText(std::string(1, site.m_chDelimiter))},
                           {"label", JsonText(site.Label())},
                           {"new", site.m_bNew}};
    // A format string: what stands after the list inside it.
    if (site.m_chDelimiter != 'f')
        statement["inner_tail"] = JsonText(site.m_strInnerTail);
    return statement;
}

const CDescriptorTable& TableOf(const SCliOptions& options)
{
    return options.bStrict ? StrictDescriptorTable() : DefaultDescriptorTable();
}

// --list-statements: the file's statements, one a line or as JSON.
int ListStatements(const SCliOptions& options)
{
    std::vector<SIndexedStatement> statements;
    const CResult result = IndexStatements(options.strFile, options.nSourceForm, TableOf(options), statements);
    CCliReporter reporter(true, options.strFile);
    reporter.Report(result);
    if (options.bJson) {
        JsonValue list = JsonValue::array();
        for (const SIndexedStatement& s : statements)
            list.push_back({{"line", s.nLine},
                            {"column", s.nColumn},
                            {"label", s.nLabel != 0 ? JsonValue(s.nLabel) : JsonValue(nullptr)},
                            {"kind", s.bString ? "string" : "format"},
                            {"list", JsonText(s.strList)}});
        const JsonValue document = {
            {"file", JsonText(options.strFile)}, {"statements", list}, {"diagnostics", reporter.DiagnosticsJson()}};
        std::cout << JsonLine(document) << '\n';
    } else {
        for (const SIndexedStatement& s : statements)
            std::cout << s.nLine << '\t' << s.nColumn << '\t' << (s.nLabel != 0 ? std::to_string(s.nLabel) : "-")
                      << '\t' << s.strList << '\n';
    }
    std::cout.flush();
    return result.Ok() ? EXIT_DONE : EXIT_REFUSED;
}

// The edits and the write of a statement that was loaded: EXIT_DONE,
// EXIT_REFUSED, or EXIT_USAGE (said on standard error).
int EditAndWrite(const SCliOptions& options, CDescriptorList& list, CStatementSite& site, CCliReporter& reporter)
{
    const SEditReport report = ApplyEdits(list, options.edits, options.bLive);
    for (const std::string& note : report.notes)
        std::cerr << "quillmark-text: " << note << '\n';
    if (report.outcome == EDITS_USAGE_ERROR)
        return UsageError(report.strError);
    reporter.Report(report.refusal);
    if (report.outcome == EDITS_REFUSED)
        return EXIT_REFUSED;
    if (!options.bWrite)
        return EXIT_DONE;
    const CResult saved = CommitStatement(list, site, report.nCurrent, reporter, nullptr,
                                          options.bKeepLayout ? WRITE_KEEP_LAYOUT : WRITE_REBUILD);
    reporter.Report(saved);
    return saved.Ok() ? EXIT_DONE : EXIT_REFUSED;
}

// The fields as JSON, or for a person when there are any.
void WriteFields(const SCliOptions& options, const CDescriptorList& list, const CStatementSite& site, bool bLoaded,
                 const CCliReporter& reporter)
{
    if (options.bJson) {
        JsonValue document = FieldsJson(list, reporter.Texts());
        // A statement that was not found stands nowhere.
        if (options.bHasFile)
            document["statement"] = bLoaded ? StatementJson(site) : JsonValue(nullptr);
        document["diagnostics"] = reporter.DiagnosticsJson();
        WriteJson(std::cout, document);
    } else if (list.size() > 0) {
        if (site.m_bNew)
            std::cout << "New FORMAT statement " << site.Label() << " on line " << site.m_nFirstLine << "\n\n";
        WritePlain(std::cout, list);
    }
    std::cout.flush();
}

// A list, or the statement in a file: loaded, edited, written and shown.
int RunStatement(const SCliOptions& options)
{
    CCliReporter reporter(!options.bWrite, options.bHasFile ? options.strFile : std::string());
    CDescriptorList list(TableOf(options));
    list.SetExact(options.bExact);
    CStatementSite site;
    // Opening (which puts right a save that was cut short) and saving wait
    // up to a minute for another program's lock on the file: say so once,
    // before the wait.
    if (options.bHasFile && IsLockHeldByAnother(options.strFile))
        std::cerr << "quillmark-text: " << MessageText(Message(IDS_TEXT_WAITING_FOR_LOCK, options.strFile)) << '\n';
    const bool bLoaded = LoadStatement(options, list, site, reporter);
    if (!bLoaded)
        list.Clear();  // a statement that was not found is not shown in part
    const int nStatus = bLoaded ? EditAndWrite(options, list, site, reporter) : EXIT_REFUSED;
    if (nStatus == EXIT_USAGE)
        return nStatus;
    WriteFields(options, list, site, bLoaded, reporter);
    // A signal that came once the file was being put in place waited for
    // the save and for its report (the fields and the status): the run ends
    // as the save ended. One that comes from now on is put off too, so that
    // the status stays the save's.
    if (const int nSignal = DeferredSignal())
        reporter.Report(Message(IDS_SIGNAL_AFTER_SAVE, SignalName(nSignal)));
    return nStatus;
}

}  // namespace

int main(int argc, char** argv)
{
    IgnoreFileSizeSignal();
    RemoveTemporaryFileOnSignals();
    const std::vector<std::string> args(argv + 1, argv + argc);
    SCliOptions options;
    std::string strError;
    switch (ParseCliOptions(args, options, strError)) {
    case PARSE_HELP: std::cout << CliUsageText(); return EXIT_DONE;
    case PARSE_VERSION:
        // The text front end links no toolkit, so there is no Qt version to name.
        std::cout << "quillmark-text " << QUILLMARK_VERSION << "\nno toolkit (text front end)\n";
        return EXIT_DONE;
    case PARSE_USAGE_ERROR: return UsageError(strError);
    case PARSE_RUN: break;
    }
    if (options.bCheck)
        return RunCheck(options);
    if (options.bItems)
        return RunItems(options);
    return options.bListStatements ? ListStatements(options) : RunStatement(options);
}
