// quillmark-text: the descriptor list of a FORMAT statement, shown and
// edited from a terminal or a script.
#include <iostream>
#include <string>
#include <vector>

#include "cli_options.h"
#include "descriptor_list.h"
#include "edit_script.h"
#include "field_output.h"
#include "flags.h"
#include "message.h"

#ifndef QUILLMARK_VERSION
#define QUILLMARK_VERSION "0"
#endif

namespace {

enum ExitStatus { EXIT_DONE = 0, EXIT_REFUSED = 1, EXIT_USAGE = 2 };

// Every message the system raises goes to standard error and into the JSON
// output; a question takes its negative answer, as in an unattended run.
class CCollectingPresenter : public IMessagePresenter {
public:
    int Present(OwnerHandle, unsigned style, const std::string& text, const std::string&) override
    {
        std::cerr << text << '\n';
        m_messages.push_back(text);
        switch (style & MB_TYPEMASK) {
        case MB_OK: return IDOK;
        case MB_YESNO: return IDNO;
        default: return IDCANCEL;
        }
    }
    const std::vector<std::string>& Messages() const { return m_messages; }

private:
    std::vector<std::string> m_messages;
};

int UsageError(const std::string& strError)
{
    std::cerr << "quillmark-text: " << strError << "\n\n" << CliUsageText();
    return EXIT_USAGE;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    SCliOptions options;
    std::string strError;
    switch (ParseCliOptions(args, options, strError)) {
    case PARSE_HELP: std::cout << CliUsageText(); return EXIT_DONE;
    case PARSE_VERSION: std::cout << "quillmark-text " << QUILLMARK_VERSION << '\n'; return EXIT_DONE;
    case PARSE_USAGE_ERROR: return UsageError(strError);
    case PARSE_RUN: break;
    }

    CCollectingPresenter presenter;
    SetMessagePresenter(&presenter);
    ProcessFlags().m_bStrictTable = options.bStrict ? 1 : 0;

    CDescriptorList list;
    int nStatus = EXIT_DONE;
    // As the locator hands it over: a list text ends with a line end.
    std::string strList = options.strList;
    if (!strList.empty() && strList.back() != '\n')
        strList += '\n';
    if (!list.Split(strList.c_str())) {
        list.Clear();  // a list that does not split is not shown in part
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
    }

    if (options.bJson)
        WriteJson(std::cout, list, presenter.Messages());
    else if (list.size() > 0)
        WritePlain(std::cout, list);
    std::cout.flush();
    SetMessagePresenter(nullptr);
    return nStatus;
}
