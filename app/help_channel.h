// The channel between the program and its help viewer: a local socket named
// per run (or by QUILLMARK_HELP_CHANNEL), carrying one request per line.
//
//   show COMMAND FILE DATA [OWNER]
//                            show a topic (COMMAND 257 keyword, 1 context);
//                            OWNER is the asking window's X11 id, in decimal
//   quit                     close the viewer
//   status                   the viewer answers "FILE ANCHOR" of what it shows
//
// FILE, DATA and the answer's fields are percent-encoded, so blanks and line
// ends inside them cannot break a line apart.
#pragma once

#include <QByteArray>
#include <QString>

enum HelpRequestKind {
    HELP_REQUEST_SHOW,
    HELP_REQUEST_QUIT,
    HELP_REQUEST_STATUS,
};

struct SHelpRequest {
    HelpRequestKind nKind = HELP_REQUEST_SHOW;
    int nCommand = 0;  // HELP_KEY or HELP_CONTEXT, for a show request
    QString strFile;
    QString strData;
    quint64 nOwner = 0;  // the window that asked (X11), 0 for none
};

QByteArray EncodeHelpRequest(const SHelpRequest& request);
// false for a line that is no request.
bool DecodeHelpRequest(const QByteArray& line, SHelpRequest& request);

// The answer to a status request.
QByteArray EncodeHelpStatus(const QString& strFile, const QString& strAnchor);
bool DecodeHelpStatus(const QByteArray& line, QString& strFile, QString& strAnchor);

// The anchor in the help document that a request names: the keyword in
// lower case with every run of other characters than letters and digits
// made one '-' ("command line" -> "command-line"), or "context-N".
QString HelpAnchor(int nCommand, const QString& strData);

// This run's channel: QUILLMARK_HELP_CHANNEL when set (so that several runs,
// or a script, can share one viewer), else one of this process's own.
QString DefaultHelpChannel();

// Where the viewer listens for a channel's name. On Linux and macOS a local
// (AF_UNIX) socket: a name that is an absolute path is the socket's path,
// any other name a socket in QDir::tempPath() (where Qt's QLocalServer puts
// it too). On Windows the name of the named pipe, unchanged.
QString HelpChannelAddress(const QString& strChannel);

// Sends one request to the viewer listening on the channel; with pReply it
// waits for the one-line answer (at most kHelpReplyLimit bytes, its line end
// included). false when no viewer listens, or it did not take the request or
// answer within the time. The window's side of the channel: on Linux and
// macOS it needs no network library, which the program would otherwise
// load at every start.
bool SendHelpRequest(const QString& strChannel, const SHelpRequest& request, QByteArray* pReply = nullptr);

constexpr int kHelpReplyLimit = 64 * 1024;
