// The default help viewer: quillmark-help, run as a process of its own and
// reached over the help channel. The viewer outlives the program unless the
// program asks it to quit, so that help opened for a bad command line stays
// on screen after the program has ended.
#pragma once

#include <QString>
#include <QtGlobal>

#include "flags.h"
#include "help.h"

class CHelpViewerProcess : public IHelpViewer {
public:
    // Reads the run's flags (without a display no viewer is started); they
    // outlive it.
    explicit CHelpViewerProcess(const CProcessFlags& flags) : m_flags(flags) {}

    void Show(OwnerHandle owner, const std::string& strFile, int nCommand, const std::string& strData) override;
    void Quit() override;

    // The viewer program: QUILLMARK_HELP_VIEWER when set, else quillmark-help
    // beside this program.
    static QString ViewerProgram();

private:
    const CProcessFlags& m_flags;
    bool m_bAsked = false;     // this run has asked the viewer for a topic
    qint64 m_nStartedPid = 0;  // the viewer this run started, 0 for none
};
