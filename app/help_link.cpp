#include "help_link.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QThread>
#include <cstdio>
#include <signal.h>

#include "help_channel.h"
#include "owner_window.h"
#include "x11_focus.h"

namespace {

// How long a quit request waits for a viewer that this run started and that
// has not begun to listen yet.
constexpr int kQuitWaitMs = 3000;
constexpr int kQuitRetryMs = 50;

// True while the process runs (not ended, and on Linux not a zombie).
bool IsRunning(qint64 nPid)
{
    if (nPid <= 0 || ::kill(static_cast<pid_t>(nPid), 0) != 0)
        return false;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(nPid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray line = stat.readAll();
    const qsizetype nClose = line.lastIndexOf(')');
    return nClose < 0 || nClose + 2 >= line.size() || line[nClose + 2] != 'Z';
}

}  // namespace

QString CHelpViewerProcess::ViewerProgram()
{
    const QString strOverride = qEnvironmentVariable("QUILLMARK_HELP_VIEWER");
    if (!strOverride.isEmpty())
        return strOverride;
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("quillmark-help"));
}

void CHelpViewerProcess::Show(OwnerHandle owner, const std::string& strFile, int nCommand, const std::string& strData)
{
    SHelpRequest request;
    request.nKind = HELP_REQUEST_SHOW;
    request.nCommand = nCommand;
    request.strFile = QString::fromStdString(strFile);
    request.strData = QString::fromStdString(strData);
    // The viewer gives the keyboard back to the asking window when it closes.
    request.nOwner = X11WindowOf(WidgetOf(owner));
    const QString strChannel = DefaultHelpChannel();
    m_bAsked = true;
    if (SendHelpRequest(strChannel, request))
        return;  // a viewer is open already and now shows the topic

    if (m_flags.m_bNoDisplay) {
        std::fprintf(stderr, "quillmark: help: %s, topic \"%s\" (no display to show it on)\n", strFile.c_str(),
                     strData.c_str());
        return;
    }
    const QString strProgram = ViewerProgram();
    QStringList args = {QStringLiteral("--channel"),
                        strChannel,
                        QStringLiteral("--file"),
                        request.strFile,
                        nCommand == HELP_CONTEXT ? QStringLiteral("--context") : QStringLiteral("--keyword"),
                        request.strData};
    // Only the program's own viewer is told the window (another viewer
    // program gets the documented arguments alone).
    if (request.nOwner != 0 && qEnvironmentVariable("QUILLMARK_HELP_VIEWER").isEmpty())
        args << QStringLiteral("--owner") << QString::number(request.nOwner);
    // The viewer outlives this run: it holds none of the caller's streams
    // (an editor or a script reading them would wait for the viewer to
    // close), and startDetached runs it in a session of its own (setsid),
    // away from the terminal's job control.
    QProcess viewer;
    viewer.setProgram(strProgram);
    viewer.setArguments(args);
    viewer.setStandardInputFile(QProcess::nullDevice());
    viewer.setStandardOutputFile(QProcess::nullDevice());
    viewer.setStandardErrorFile(QProcess::nullDevice());
    qint64 nPid = 0;
    if (!viewer.startDetached(&nPid)) {
        std::fprintf(stderr, "quillmark: cannot start the help viewer %s\n", qPrintable(strProgram));
        return;
    }
    m_nStartedPid = nPid;
}

void CHelpViewerProcess::Quit()
{
    // Only a viewer this run has used is closed (a shared channel may serve
    // other runs that never asked this one for anything).
    if (!m_bAsked)
        return;
    SHelpRequest request;
    request.nKind = HELP_REQUEST_QUIT;
    const QString strChannel = DefaultHelpChannel();
    const QDeadlineTimer deadline(kQuitWaitMs);
    // A viewer started moments ago may not listen yet: wait for it while it runs.
    while (!SendHelpRequest(strChannel, request)) {
        if (!IsRunning(m_nStartedPid) || deadline.hasExpired())
            break;
        QThread::msleep(kQuitRetryMs);
    }
    m_bAsked = false;
    m_nStartedPid = 0;
}
