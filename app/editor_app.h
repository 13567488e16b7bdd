// The application: start-up from the command line to the shown window, the
// run, and the exit status that tells an editor whether to reload the file.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "descriptor_list.h"
#include "run_context.h"
#include "save_as_dialog.h"
#include "statement_locator.h"
#include "statement_site.h"

class CEditorFrame;
struct SCommandLine;

enum ExitStatus : int {
    EXIT_WRITTEN = 0,           // OK wrote the file
    EXIT_NOT_WRITTEN = 1,       // ended without writing it: Cancel, a refused or failed save,
                                // a statement that could not be located, no display
    EXIT_BAD_COMMAND_LINE = 2,  // the command line was rejected
    EXIT_INFO_SHOWN = 0,        // --version or --help was answered; no file was opened
};

class CEditorApp {
public:
    // With the program's own services, or the stand-ins a test gives.
    explicit CEditorApp(const SStandIns& standIns = {});
    ~CEditorApp();
    CEditorApp(const CEditorApp&) = delete;
    CEditorApp& operator=(const CEditorApp&) = delete;

    // The whole program: reads the arguments, picks the display platform,
    // starts the toolkit, runs start-up and the window. Returns the exit status.
    int Run(int argc, char** argv);

    // Start-up with the command line's words, on a running toolkit: true when
    // the window is shown and the event loop should run, false when the
    // program ends at once (a bad command line, a statement not located).
    bool InitInstance(const std::vector<std::string>& words);

    // Ends the window (the help viewer is closed unless the command line was
    // bad) and returns the exit status.
    int ExitInstance();

    CEditorFrame* Frame() const { return m_pFrame.get(); }
    CDescriptorList& List() { return m_list; }
    const CStatementSite& Site() const { return m_site; }
    const CProcessFlags& Flags() const { return m_run.Flags(); }
    // The owner of the messages start-up shows: the main window.
    OwnerHandle Owner() const;

private:
    // With the file alone: the list of its statements, and the one chosen
    // into request's line and column. False when there is none, the file
    // cannot be read, or the list is cancelled (each said in a message but
    // the last).
    bool PickStatement(SStatementRequest& request);
    // The parts of start-up: the descriptor table and the settings the
    // command line and the stored preferences give; the statement asked
    // for (the line as the title names it), false when the list of the
    // file's statements ends without one; the window shown on it.
    void ApplySettings(const SCommandLine& commandLine);
    bool RequestStatement(const SCommandLine& commandLine, SStatementRequest& request, std::string& strLine);
    void ShowFrame(const std::string& strFile, const std::string& strLine);

    // The run's context first: the window and the dialogs use it.
    CRunContext m_run;
    CDescriptorList m_list;
    CStatementSite m_site;
    CSaveAsDialog m_saveAsDialog;
    std::unique_ptr<CEditorFrame> m_pFrame;
};
