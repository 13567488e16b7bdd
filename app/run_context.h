// What the window's parts share for one run: the run's flags, and where its
// messages, its dialogs and its help requests go. The application object
// owns the program's one context (a test builds its own) and hands it by
// reference to each part that needs it; the context outlives them all.
#pragma once

#include "dialog_runner.h"
#include "flags.h"
#include "help_link.h"
#include "message.h"
#include "message_box.h"

// Stand-ins a test puts in place of the program's own services; nullptr
// keeps the program's own. The test owns them and keeps them alive while
// the context lives.
struct SStandIns {
    IMessagePresenter* pPresenter = nullptr;  // else message boxes
    IDialogRunner* pDialogs = nullptr;        // else modal dialogs
    IHelpViewer* pHelp = nullptr;             // else the help viewer process
};

class CRunContext {
public:
    explicit CRunContext(const SStandIns& standIns = {})
        : m_helpViewer(m_flags),
          m_messages(m_flags, standIns.pPresenter != nullptr ? *standIns.pPresenter : m_messageBoxes),
          m_dialogs(standIns.pDialogs != nullptr ? *standIns.pDialogs : m_modalDialogs),
          m_help(standIns.pHelp != nullptr ? *standIns.pHelp : m_helpViewer)
    {
    }
    CRunContext(const CRunContext&) = delete;
    CRunContext& operator=(const CRunContext&) = delete;

    // Set by start-up from the command line; the messages read them.
    CProcessFlags& Flags() { return m_flags; }
    const CProcessFlags& Flags() const { return m_flags; }
    const CMessages& Messages() const { return m_messages; }
    IDialogRunner& Dialogs() const { return m_dialogs; }
    IHelpViewer& Help() const { return m_help; }

private:
    CProcessFlags m_flags;
    CMessageBoxPresenter m_messageBoxes;
    CModalDialogRunner m_modalDialogs;
    CHelpViewerProcess m_helpViewer;
    CMessages m_messages;
    IDialogRunner& m_dialogs;
    IHelpViewer& m_help;
};
