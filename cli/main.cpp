// quillmark-text: the FORMAT statement at a line of a Fortran source file,
// or a descriptor list alone, shown and edited from a terminal or a script.
#include <iostream>
#include <string>
#include <vector>

#include "cli_options.h"
#include "descriptor_list.h"
#include "edit_script.h"
#include "field_output.h"
#include "flags.h"
#include "message.h"
#include "statement_locator.h"
#include "source_file.h"
#include "statement_writer.h"
#include "quillmark_version.h"
#include "string_table.h"

namespace {

enum ExitStatus { EXIT_DONE = 0, EXIT_REFUSED = 1, EXIT_USAGE = 2 };

// Every message the system raises goes to standard error and into the JSON
// output. Questions take their negative answer, as in an unattended run,
// unless the run only shows the statement: then "Continue anyway?" is yes.
class CCollectingPresenter : public IMessagePresenter {
public:
    explicit CCollectingPresenter(bool bAgree) : m_bAgree(bAgree) {}

    int Present(OwnerHandle, unsigned style, const std::string& text, const std::string&) override
    {
        std::cerr << text << '\n';
        m_messages.push_back(text);
        switch (style & MB_TYPEMASK) {
        case MB_OK: return IDOK;
        case MB_YESNO: return m_bAgree ? IDYES : IDNO;
        default: return IDCANCEL;
        }
    }
    const std::vector<std::string>& Messages() const { return m_messages; }

private:
    bool m_bAgree;
    std::vector<std::string> m_messages;
};

int UsageError(const std::string& strError)
{
    std::cerr << "quillmark-text: " << strError << "\n\n" << CliUsageText();
    return EXIT_USAGE;
}

// Fills the list from the options: a list text split as the locator hands
// it over, or the statement located in a file. False when there is none.
// bNew tells whether a blank line started a new statement.
bool LoadStatement(const SCliOptions& options, CDescriptorList& list, bool& bNew)
{
    bNew = false;
    if (options.bHasList) {
        std::string strList = options.strList;
        if (!strList.empty() && strList.back() != '\n')
            strList += '\n';
        return list.Split(strList.c_str()) != 0;
    }
    switch (LocateStatement(list, options.nLine, options.nColumn, options.strFile, options.bWrite ? 0 : 1,
                            options.nSourceForm)) {
    case LOCATE_FOUND: return true;
    case LOCATE_BLANK:
        bNew = NewStatement(list, options.nLine, options.strFile, NEW_STATEMENT_TEXT, options.nSourceForm) != 0;
        return bNew;
    default: return false;
    }
}

std::string StatementJson(const CDescriptorList& list, bool bNew)
{
    std::string strLines = "[";
    for (std::size_t i = 0; i < list.m_arrLines.size(); ++i)
        strLines += (i ? ", " : "") + std::to_string(list.m_arrLines[i]);
    strLines += "]";
    return "\"statement\": {\"file\": " + JsonString(list.m_strFileName) +
           ", \"first_line\": " + std::to_string(list.m_nFirstLine) + ", \"lines\": " + strLines +
           ", \"head\": " + JsonString(list.m_strHead) + ", \"tail\": " + JsonString(list.m_strTail) +
           ", \"paren_blanks\": " + std::to_string(list.m_nParenBlanks) +
           ", \"fixed_form\": " + (list.m_bFixedForm ? "true" : "false") +
           ", \"delimiter\": " + JsonString(std::string(1, list.m_chDelimiter)) +
           ", \"label\": " + JsonString(StatementLabel(list)) + ", \"new\": " + (bNew ? "true" : "false") + "}";
}

}  // namespace

int main(int argc, char** argv)
{
    IgnoreFileSizeSignal();
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

    CCollectingPresenter presenter(!options.bWrite);
    SetMessagePresenter(&presenter);
    ProcessFlags().m_bStrictTable = options.bStrict ? 1 : 0;

    CDescriptorList list;
    int nStatus = EXIT_DONE;
    bool bNew = false;
    if (!LoadStatement(options, list, bNew)) {
        list.Clear();  // a statement that was not found is not shown in part
        nStatus = EXIT_REFUSED;
    } else {
        const SEditReport report = ApplyEdits(list, options.edits, options.bLive);
        for (const std::string& note : report.notes)
            std::cerr << "quillmark-text: " << note << '\n';
        if (report.outcome == EDITS_USAGE_ERROR) {
            SetMessagePresenter(nullptr);
            return UsageError(report.strError);
        }
        if (report.outcome == EDITS_REFUSED)
            nStatus = EXIT_REFUSED;
        else if (options.bWrite && !CommitStatement(list, report.nCurrent, list.m_hOwnerWnd, 0))
            nStatus = EXIT_REFUSED;
    }

    if (options.bJson) {
        JsonMembers extra;
        if (options.bHasFile)
            extra.push_back(StatementJson(list, bNew));
        WriteJson(std::cout, list, presenter.Messages(), extra);
    } else if (list.size() > 0) {
        if (bNew)
            std::cout << "New FORMAT statement " << StatementLabel(list) << " on line " << list.m_nFirstLine << "\n\n";
        WritePlain(std::cout, list);
    }
    std::cout.flush();
    SetMessagePresenter(nullptr);
    return nStatus;
}
