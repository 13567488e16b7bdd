#include "help.h"

#include <QCoreApplication>
#include <filesystem>
#include <system_error>

#include "statement_locator.h"
#include "string_table.h"

namespace {

std::string HelpFileName()
{
    return std::string(LoadResourceString(IDS_HELP_BASE_NAME)) + ".HLP";
}

}  // namespace

std::string FindHelpFile(const std::string& strProgramPath)
{
    const std::filesystem::path programDir = std::filesystem::path(strProgramPath).parent_path();
    for (const std::filesystem::path& candidate :
         {programDir / ".." / "help" / HelpFileName(), programDir / ".." / "share" / "quillmark" / HelpFileName(),
          programDir / HelpFileName()}) {
        if (IsRegularFile(candidate.string())) {
            std::error_code error;
            const std::filesystem::path canonical = std::filesystem::canonical(candidate, error);
            return error ? candidate.string() : canonical.string();
        }
    }
    return std::string();
}

void ShowHelp(IHelpViewer& viewer, const CMessages& messages, OwnerHandle owner, int nCommand,
              const std::string& strData)
{
    // Closing the viewer needs no help file: a missing file is reported when
    // help is asked for, not again when the window closes.
    if (nCommand == HELP_QUIT) {
        viewer.Quit();
        return;
    }
    const std::string strFile = FindHelpFile(QCoreApplication::applicationFilePath().toStdString());
    if (strFile.empty()) {
        messages.Show(owner, kPlainMessage, IDS_NO_HELP_FILE, HelpFileName().c_str());
        return;
    }
    viewer.Show(owner, strFile, nCommand, strData);
}
