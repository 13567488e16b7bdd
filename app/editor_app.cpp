#include "editor_app.h"

#include <QApplication>
#include <cstdio>
#include <cstring>

#include "command_line.h"
#include "display.h"
#include "editor_frame.h"
#include "help.h"
#include "interrupted_save.h"
#include "number_word.h"
#include "owner_window.h"
#include "preferences.h"
#include "program_icon.h"
#include "quillmark_version.h"
#include "source_file.h"
#include "statement_index.h"
#include "statement_picker_dialog.h"
#include "statement_session.h"
#include "string_table.h"
#include "window_questions.h"

namespace {

// Off screen, nobody reads the toolkit's notes about the desktop it misses;
// a script reads the log and the exit status. Only real errors get through.
void QuietToolkitMessages(QtMsgType type, const QMessageLogContext&, const QString& strMessage)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", qPrintable(strMessage));
}

}  // namespace

CEditorApp::CEditorApp(const SStandIns& standIns) : m_run(standIns), m_saveAsDialog(m_run.Dialogs())
{
}

CEditorApp::~CEditorApp() = default;

OwnerHandle CEditorApp::Owner() const
{
    return m_pFrame != nullptr ? OwnerOf(m_pFrame.get()) : nullptr;
}

int CEditorApp::Run(int argc, char** argv)
{
    IgnoreFileSizeSignal();
    // Ctrl-C, SIGTERM and SIGHUP end the window as before; a save they
    // interrupt leaves no temporary file. The handler touches nothing of Qt.
    RemoveTemporaryFileOnSignals();
    const std::vector<std::string> words = WithoutToolkitOptions(
        CommandLineWords(std::vector<std::string>(argv + 1, argv + argc)));
    switch (ReadInfoRequest(words)) {
    case INFO_VERSION:
        // The Qt the program runs with, and the one it was built against when they differ.
        std::printf("quillmark %s\nQt %s", QUILLMARK_VERSION, qVersion());
        if (std::strcmp(qVersion(), QT_VERSION_STR) != 0)
            std::printf(" (built against %s)", QT_VERSION_STR);
        std::printf("\n");
        return EXIT_INFO_SHOWN;
    case INFO_HELP: std::fputs(CommandLineHelp(), stdout); return EXIT_INFO_SHOWN;
    case INFO_NONE: break;
    }
    const SCommandLine commandLine = ParseCommandLine(words);
    const PlatformChoice platform = ChoosePlatform(commandLine.bDebug != 0);
    if (commandLine.bError) {
        const std::string strProblem = CommandLineProblem(commandLine);
        if (!strProblem.empty())
            std::fprintf(stderr, "quillmark: %s\n", strProblem.c_str());
        std::fprintf(stderr, "quillmark: %s\n", CommandLineUsage());
    }
    if (platform == PLATFORM_NONE) {
        if (!commandLine.bError)
            std::fprintf(stderr, "%s\n", NoDisplayMessage("quillmark").c_str());
        return commandLine.bError ? EXIT_BAD_COMMAND_LINE : EXIT_NOT_WRITTEN;
    }
    UsePlatform(platform);
    m_run.Flags().m_bNoDisplay = platform == PLATFORM_OFFSCREEN ? 1 : 0;
    if (platform == PLATFORM_OFFSCREEN)
        qInstallMessageHandler(QuietToolkitMessages);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quillmark"));
    QApplication::setWindowIcon(ProgramIcon());
    // The installed desktop entry (quillmark.desktop): where the desktop
    // takes the window's icon from the entry rather than from the window.
    QGuiApplication::setDesktopFileName(QStringLiteral("quillmark"));
    if (InitInstance(words)) {
        QObject::connect(m_pFrame.get(), &CEditorFrame::Closed, &app, &QCoreApplication::quit, Qt::QueuedConnection);
        QApplication::exec();
    }
    return ExitInstance();
}

bool CEditorApp::InitInstance(const std::vector<std::string>& words)
{
    m_list.Clear();
    m_site = CStatementSite();
    m_pFrame = std::make_unique<CEditorFrame>(m_list, m_site, m_run);

    const SCommandLine commandLine = ParseCommandLine(words);
    ApplyCommandLine(commandLine, m_run.Flags());
    if (commandLine.bError) {
        ShowHelp(m_run.Help(), m_run.Messages(), Owner(), HELP_KEY, "command line");
        return false;
    }
    ApplySettings(commandLine);
    SStatementRequest request;
    std::string strLine;
    if (!RequestStatement(commandLine, request, strLine))
        return false;
    CWindowQuestions questions(Owner(), m_run.Messages(), m_saveAsDialog);
    const CResult opened = OpenStatement(request, m_list, m_site, questions);
    if (!opened.Ok()) {
        m_run.Messages().ShowResult(Owner(), opened);
        return false;
    }
    m_run.Flags().m_nStatementLine = m_site.m_nFirstLine;
    m_run.Flags().m_strGivenLine.clear();
    // A label followed to its FORMAT statement: the title names that line.
    if (!m_site.m_bNew && m_site.m_nFirstLine != request.nLine)
        strLine = std::to_string(m_site.m_nFirstLine);
    // The empty list "()" shows one empty field to start from; it is not
    // written back, so OK without an edit keeps "()".
    if (m_list.size() == 0)
        m_list.InsertEmptyField(0);
    // The I/O statements that use it, read from the file as it was opened.
    SFormatItems uses = FormatItemsOfStatement(m_site, request.form, std::string());
    // An unattended run logs them as quillmark-text --items writes them.
    if (!uses.uses.empty()) {
        std::string strText = UsesText(request.strFile, uses);
        strText.pop_back();  // the log adds the last line end
        m_run.Messages().Log(strText);
    }
    m_pFrame->SetUses(std::move(uses));
    ShowFrame(request.strFile, strLine);
    return true;
}

void CEditorApp::ApplySettings(const SCommandLine& commandLine)
{
    m_list.SetTable(m_run.Flags().m_bStrictTable ? StrictDescriptorTable() : DefaultDescriptorTable());
    // The stored settings, each turned on for this run by its option; the
    // unattended road neither reads nor stores them, so that it runs the
    // same on every machine.
    const bool bStored = !m_run.Flags().m_bDebug;
    m_list.SetExact(commandLine.bExact != 0 || (bStored && LoadPreference(PREF_EXACT_SAMPLES)));
    m_pFrame->SetKeepLayout(commandLine.bKeepLayout != 0 || (bStored && LoadPreference(PREF_KEEP_LAYOUT)));
    m_pFrame->SetStoresSettings(bStored);
}

bool CEditorApp::RequestStatement(const SCommandLine& commandLine, SStatementRequest& request, std::string& strLine)
{
    request.strFile = commandLine.arrWords[0];
    request.form = commandLine.nSourceForm;
    if (commandLine.bPickStatement) {
        if (!PickStatement(request))
            return false;
        strLine = std::to_string(request.nLine);
        return true;
    }
    strLine = commandLine.arrWords[1];
    request.nLine = ConvertNumber(strLine);
    request.strLineDigits = NumberWordDigits(strLine);
    request.nColumn = ConvertNumber(commandLine.arrWords[2]);
    return true;
}

void CEditorApp::ShowFrame(const std::string& strFile, const std::string& strLine)
{
    const std::string strNewLabel = m_site.m_bNew ? m_site.Label() : std::string();
    // The title names the descriptor table in force as well.
    const char* pszTable = LoadResourceString(m_run.Flags().m_bStrictTable ? IDS_TITLE_TABLE_STRICT
                                                                           : IDS_TITLE_TABLE_DEFAULT);
    m_pFrame->setWindowTitle(
        QString::fromLocal8Bit((MakeWindowTitle(strFile, strLine, strNewLabel) + " - " + pszTable).c_str()));
    m_pFrame->CreateControls();
    m_pFrame->SetCurrentControl(kStripRow);
    m_pFrame->show();
    m_pFrame->TakeKeyboard();  // without a window manager nobody else gives it the keyboard
    if (m_run.Flags().m_bDebug)
        m_pFrame->PostCommand(CMD_OK);
}

bool CEditorApp::PickStatement(SStatementRequest& request)
{
    std::vector<SIndexedStatement> statements;
    const CResult indexed = IndexStatements(request.strFile, request.form, m_list.Table(), statements);
    if (!indexed.Ok()) {
        m_run.Messages().ShowResult(Owner(), indexed);
        return false;
    }
    if (statements.empty()) {
        m_run.Messages().ShowResult(Owner(), Message(IDS_NO_STATEMENTS, request.strFile));
        return false;
    }
    CStatementPickerDlg picker(nullptr, request.strFile, std::move(statements));
    if (m_run.Dialogs().Run(picker) != QDialog::Accepted || picker.Chosen() == nullptr)
        return false;  // Cancel: nothing opened, the file left alone
    request.nLine = picker.Chosen()->nLine;
    request.nColumn = picker.Chosen()->nColumn;
    return true;
}

int CEditorApp::ExitInstance()
{
    int nStatus = EXIT_NOT_WRITTEN;
    if (m_run.Flags().m_bCommandLineError)
        nStatus = EXIT_BAD_COMMAND_LINE;
    else if (m_pFrame != nullptr && m_pFrame->FileWritten())
        nStatus = EXIT_WRITTEN;
    else if (m_pFrame != nullptr && !m_pFrame->SavedElsewhere().empty())
        std::fprintf(stderr, "quillmark: the statement was saved in \"%s\"; \"%s\" is unchanged\n",
                     m_pFrame->SavedElsewhere().c_str(), m_site.m_strFileName.c_str());
    if (m_pFrame != nullptr) {
        m_pFrame->OnDestroy();
        m_pFrame.reset();
    }
    return nStatus;
}
