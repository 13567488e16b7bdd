// quillmark-help's window: the help document in a text browser, listening on
// the help channel for the program's requests.
#pragma once

#include <QMainWindow>
#include <QString>

class QLocalServer;
class QLocalSocket;
class QTextBrowser;
struct SHelpRequest;

enum ListenResult {
    LISTEN_OK,            // this viewer now serves the channel
    LISTEN_OTHER_VIEWER,  // a viewer already serves it: hand the request over and end
    LISTEN_FAILED,        // the channel cannot be opened; the viewer works without it
};

class CHelpViewer : public QMainWindow {
    Q_OBJECT

public:
    explicit CHelpViewer(QWidget* pParent = nullptr);

    // Shows the topic of a HELP_KEY or HELP_CONTEXT request in the file, at
    // the top of the document when it has no such topic.
    void ShowTopic(const QString& strFile, int nCommand, const QString& strData);

    // The window that asked for the topic shown (X11), which gets the
    // keyboard back when the viewer closes; 0 for none.
    void SetOwner(quint64 nOwner) { m_nOwner = nOwner; }

    // Starts serving the channel; a channel left behind by a viewer that
    // has ended is taken over.
    ListenResult Listen(const QString& strChannel);

protected:
    void closeEvent(QCloseEvent* pEvent) override;

private:
    void FitToScreen();
    void OnConnection();
    void OnReadyRead(QLocalSocket* pSocket);
    void Handle(const SHelpRequest& request, QLocalSocket* pSocket);

    QTextBrowser* m_pBrowser;
    QLocalServer* m_pServer;
    QString m_strFile;
    QString m_strAnchor;
    quint64 m_nOwner = 0;
};
