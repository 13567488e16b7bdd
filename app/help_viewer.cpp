#include "help_viewer.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QScreen>
#include <QTextBrowser>
#include <QToolBar>
#include <QUrl>

#include "help.h"
#include "help_channel.h"
#include "program_icon.h"
#include "x11_focus.h"

namespace {

constexpr int kViewerWidth = 720;
constexpr int kViewerHeight = 640;
// The share of the screen's free area the viewer may take at most, in
// tenths, leaving room for the window manager's frame and for the window
// that asked for help.
constexpr int kScreenTenths = 9;

}  // namespace

CHelpViewer::CHelpViewer(QWidget* pParent)
    : QMainWindow(pParent), m_pBrowser(new QTextBrowser(this)), m_pServer(new QLocalServer(this))
{
    setWindowTitle(tr("Quillmark Help"));
    setWindowIcon(ProgramIcon());
    setCentralWidget(m_pBrowser);
    m_pBrowser->setOpenExternalLinks(true);

    QToolBar* pToolBar = addToolBar(tr("Navigation"));
    pToolBar->setMovable(false);
    QAction* pBack = pToolBar->addAction(tr("&Back"), m_pBrowser, &QTextBrowser::backward);
    pBack->setShortcut(QKeySequence::Back);
    QAction* pForward = pToolBar->addAction(tr("&Forward"), m_pBrowser, &QTextBrowser::forward);
    pForward->setShortcut(QKeySequence::Forward);
    pToolBar->addAction(tr("&Contents"), this, [this] {
        if (!m_strFile.isEmpty())
            ShowTopic(m_strFile, HELP_KEY, QStringLiteral("contents"));
    });
    QAction* pClose = pToolBar->addAction(tr("C&lose"), this, &QWidget::close);
    // Escape closes the viewer as it closes a dialog; the platform's Close key too.
    QList<QKeySequence> closeKeys = QKeySequence::keyBindings(QKeySequence::Close);
    closeKeys.append(QKeySequence(Qt::Key_Escape));
    pClose->setShortcuts(closeKeys);
    connect(m_pBrowser, &QTextBrowser::backwardAvailable, pBack, &QAction::setEnabled);
    connect(m_pBrowser, &QTextBrowser::forwardAvailable, pForward, &QAction::setEnabled);
    pBack->setEnabled(false);
    pForward->setEnabled(false);

    connect(m_pServer, &QLocalServer::newConnection, this, &CHelpViewer::OnConnection);
    resize(kViewerWidth, kViewerHeight);
}

void CHelpViewer::ShowTopic(const QString& strFile, int nCommand, const QString& strData)
{
    m_strFile = strFile;
    m_strAnchor = HelpAnchor(nCommand, strData);
    if (!QFileInfo(strFile).isReadable()) {
        m_pBrowser->setPlainText(tr("The help file \"%1\" cannot be read.").arg(strFile));
    } else {
        QUrl url = QUrl::fromLocalFile(QFileInfo(strFile).absoluteFilePath());
        if (!m_strAnchor.isEmpty())
            url.setFragment(m_strAnchor);
        m_pBrowser->setSource(url, QTextDocument::HtmlResource);
    }
    if (!isVisible())
        FitToScreen();
    show();
    raise();
    activateWindow();
}

void CHelpViewer::FitToScreen()
{
    // A large font or scale factor makes the screen small in the viewer's
    // units: the window keeps inside the free area of the screen it opens
    // on, and a window that would stand partly off it is centred on it.
    const QScreen* pScreen = screen();
    if (pScreen == nullptr)
        return;
    const QRect available = pScreen->availableGeometry();
    const QSize frame = frameGeometry().size() - geometry().size();
    const QSize room = available.size() * kScreenTenths / 10 - frame;
    resize(QSize(kViewerWidth, kViewerHeight).boundedTo(room));
    if (!available.contains(frameGeometry())) {
        QRect placed = frameGeometry();
        placed.moveCenter(available.center());
        move(placed.topLeft());
    }
}

ListenResult CHelpViewer::Listen(const QString& strChannel)
{
    // The address the window's side of the channel connects to, spelt out
    // rather than left to the server's own rule for a bare name.
    const QString strAddress = HelpChannelAddress(strChannel);
    if (m_pServer->listen(strAddress))
        return LISTEN_OK;
    QLocalSocket probe;
    probe.connectToServer(strAddress);
    if (probe.waitForConnected(1000))
        return LISTEN_OTHER_VIEWER;
    // Nobody answers: the name is left over from a viewer that has ended.
    QLocalServer::removeServer(strAddress);
    return m_pServer->listen(strAddress) ? LISTEN_OK : LISTEN_FAILED;
}

void CHelpViewer::closeEvent(QCloseEvent* pEvent)
{
    // Closed while it holds the keyboard (Escape, Close): the window that
    // asked for help takes it back, as from a dialog. Without a window
    // manager the focus would otherwise fall to no window at all.
    const bool bHadKeyboard = isActiveWindow();
    QMainWindow::closeEvent(pEvent);
    if (pEvent->isAccepted() && bHadKeyboard)
        HandX11FocusTo(m_nOwner);
}

void CHelpViewer::OnConnection()
{
    while (QLocalSocket* pSocket = m_pServer->nextPendingConnection()) {
        connect(pSocket, &QLocalSocket::readyRead, this, [this, pSocket] { OnReadyRead(pSocket); });
        connect(pSocket, &QLocalSocket::disconnected, pSocket, &QObject::deleteLater);
        if (pSocket->canReadLine())
            OnReadyRead(pSocket);
    }
}

void CHelpViewer::OnReadyRead(QLocalSocket* pSocket)
{
    while (pSocket->canReadLine()) {
        SHelpRequest request;
        if (DecodeHelpRequest(pSocket->readLine(), request))
            Handle(request, pSocket);
    }
}

void CHelpViewer::Handle(const SHelpRequest& request, QLocalSocket* pSocket)
{
    switch (request.nKind) {
    case HELP_REQUEST_SHOW:
        SetOwner(request.nOwner);
        ShowTopic(request.strFile, request.nCommand, request.strData);
        break;
    case HELP_REQUEST_STATUS:
        pSocket->write(EncodeHelpStatus(m_strFile, m_strAnchor));
        pSocket->flush();
        break;
    case HELP_REQUEST_QUIT:
        m_pServer->close();
        close();
        QCoreApplication::quit();
        break;
    }
}
