// Help: where the help file is found, the requests, and the viewer process.
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "gui_helpers.h"
#include "help.h"
#include "help_channel.h"
#include "help_link.h"
#include "help_viewer.h"
#include "recording_presenter.h"

namespace {

// The status of the viewer on a channel, waiting up to ten seconds for it to listen.
bool WaitForStatus(const QString& strChannel, QString& strFile, QString& strAnchor)
{
    SHelpRequest status;
    status.nKind = HELP_REQUEST_STATUS;
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        QByteArray reply;
        if (SendHelpRequest(strChannel, status, &reply))
            return DecodeHelpStatus(reply, strFile, strAnchor);
        QTest::qWait(50);
    }
    return false;
}

bool SendQuit(const QString& strChannel)
{
    SHelpRequest quit;
    quit.nKind = HELP_REQUEST_QUIT;
    return SendHelpRequest(strChannel, quit);
}

QString UniqueChannel(const char* pszTest)
{
    return QStringLiteral("quillmark-test-%1-%2").arg(QCoreApplication::applicationPid()).arg(pszTest);
}

std::string Canonical(const std::filesystem::path& path)
{
    return std::filesystem::canonical(path).string();
}

// A viewer's stand-in on a plain local socket: it takes one connection,
// reads the request line, then answers as its script says (pieces of bytes,
// each after a pause) and holds the connection a while before closing it.
class CScriptedListener {
public:
    struct SPiece {
        int nPauseMs;
        QByteArray bytes;
    };

    explicit CScriptedListener(const QString& strPath) : m_path(QFile::encodeName(strPath))
    {
        m_nFd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, m_path.constData(), static_cast<std::size_t>(m_path.size()));
        m_bListening = m_nFd >= 0 && ::bind(m_nFd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                       ::listen(m_nFd, 1) == 0;
    }
    ~CScriptedListener()
    {
        if (m_thread.joinable())
            m_thread.join();
        ::close(m_nFd);
        ::unlink(m_path.constData());
    }
    bool Listening() const { return m_bListening; }
    QByteArray Request() const { return m_request; }

    void Serve(std::vector<SPiece> script, int nHoldMs)
    {
        m_thread = std::thread([this, script = std::move(script), nHoldMs] {
            const int nConnection = ::accept(m_nFd, nullptr, nullptr);
            if (nConnection < 0)
                return;
            char ch = 0;
            while (!m_request.endsWith('\n') && ::recv(nConnection, &ch, 1, 0) == 1)
                m_request += ch;
            for (const SPiece& piece : script) {
                std::this_thread::sleep_for(std::chrono::milliseconds(piece.nPauseMs));
                ::send(nConnection, piece.bytes.constData(), static_cast<std::size_t>(piece.bytes.size()),
                       MSG_NOSIGNAL);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(nHoldMs));
            ::close(nConnection);
        });
    }

private:
    QByteArray m_path;
    int m_nFd = -1;
    bool m_bListening = false;
    QByteArray m_request;
    std::thread m_thread;
};

}  // namespace

Q_DECLARE_METATYPE(std::vector<CScriptedListener::SPiece>)

class HelpTest : public QObject {
    Q_OBJECT

private slots:
    void findsTheHelpFileAboveOrBesideTheProgram();
    void findsTheBuiltHelpFileFromTheBuiltProgram();
    void reportsString19WhenThereIsNoHelpFile();
    void quittingNeedsNoHelpFile();
    void encodesRequestsWhateverTheFileName();
    void namesTheTopicsTheDocumentHolds();
    void channelAddressIsWhereQtListensForTheName();
    void channelClientGivesUpOnABadOrSilentViewer_data();
    void channelClientGivesUpOnABadOrSilentViewer();
    void channelClientFailsWithoutAListener();
    void viewerShowsTopicsHandsOverAndQuits();
    void viewerHasTheIconAndClosesOnEscape();
    void viewerFitsTheScreenItOpensOn();
    void programStartsTheViewerAndClosesIt();
};

void HelpTest::findsTheHelpFileAboveOrBesideTheProgram()
{
    QTemporaryDir dir;
    const std::filesystem::path root = dir.path().toStdString();
    std::filesystem::create_directories(root / "bin");
    const std::string strProgram = (root / "bin" / "quillmark").string();
    QCOMPARE(FindHelpFile(strProgram), std::string());

    // Beside the program.
    WriteWholeFile(root / "bin" / "KELDRANO.HLP", "beside");
    QCOMPARE(FindHelpFile(strProgram), Canonical(root / "bin" / "KELDRANO.HLP"));

    // An installed tree's share/quillmark/ comes before the program's folder.
    std::filesystem::create_directories(root / "share" / "quillmark");
    WriteWholeFile(root / "share" / "quillmark" / "KELDRANO.HLP", "installed");
    QCOMPARE(FindHelpFile(strProgram), Canonical(root / "share" / "quillmark" / "KELDRANO.HLP"));

    // help/ one level up (the build tree) comes first.
    std::filesystem::create_directories(root / "help");
    WriteWholeFile(root / "help" / "KELDRANO.HLP", "above");
    QCOMPARE(FindHelpFile(strProgram), Canonical(root / "help" / "KELDRANO.HLP"));

    // A folder of that name is no help file; the name's case counts.
    std::filesystem::remove(root / "help" / "KELDRANO.HLP");
    std::filesystem::remove(root / "share" / "quillmark" / "KELDRANO.HLP");
    std::filesystem::remove(root / "bin" / "KELDRANO.HLP");
    std::filesystem::create_directories(root / "help" / "KELDRANO.HLP");
    WriteWholeFile(root / "bin" / "keldrano.hlp", "lower case");
    QCOMPARE(FindHelpFile(strProgram), std::string());
}

void HelpTest::findsTheBuiltHelpFileFromTheBuiltProgram()
{
    const std::string strFound = FindHelpFile(QUILLMARK_PROGRAM);
    QCOMPARE(strFound, Canonical(QUILLMARK_BUILT_HELP));
    QVERIFY(ReadWholeFile(strFound).find("<a name=\"command-line\">") != std::string::npos);
}

void HelpTest::reportsString19WhenThereIsNoHelpFile()
{
    // The test program's folder has no help file, neither above nor beside.
    CProcessFlags flags;
    CRecordingPresenter presenter;
    CRecordingHelpViewer viewer;
    int owner = 0;
    ShowHelp(viewer, CMessages(flags, presenter), &owner, HELP_CONTEXT, "1");
    QCOMPARE(presenter.m_messages.size(), size_t(1));
    QCOMPARE(presenter.m_messages[0].text, std::string("Unable to find the helpfile \"KELDRANO.HLP\""));
    QCOMPARE(presenter.m_messages[0].style, kPlainMessage);
    QCOMPARE(presenter.m_messages[0].owner, static_cast<OwnerHandle>(&owner));
    QVERIFY(viewer.m_shows.empty());
}

void HelpTest::quittingNeedsNoHelpFile()
{
    CProcessFlags flags;
    CRecordingPresenter presenter;
    CRecordingHelpViewer viewer;
    ShowHelp(viewer, CMessages(flags, presenter), nullptr, HELP_QUIT);
    QVERIFY(presenter.m_messages.empty());
    QCOMPARE(viewer.m_nQuits, 1);
}

void HelpTest::encodesRequestsWhateverTheFileName()
{
    SHelpRequest request;
    request.nKind = HELP_REQUEST_SHOW;
    request.nCommand = HELP_KEY;
    request.strFile = "/tmp/my help %20/K E.HLP\nx";
    request.strData = "command line";
    const QByteArray line = EncodeHelpRequest(request);
    QCOMPARE(line.count('\n'), 1);
    QVERIFY(line.endsWith('\n'));
    SHelpRequest decoded;
    QVERIFY(DecodeHelpRequest(line, decoded));
    QCOMPARE(decoded.nKind, HELP_REQUEST_SHOW);
    QCOMPARE(decoded.nCommand, int(HELP_KEY));
    QCOMPARE(decoded.strFile, request.strFile);
    QCOMPARE(decoded.strData, request.strData);
    QCOMPARE(decoded.nOwner, quint64(0));
    // The asking window, which gets the keyboard back when the viewer closes.
    request.nOwner = 0x1e00007;
    QVERIFY(DecodeHelpRequest(EncodeHelpRequest(request), decoded));
    QCOMPARE(decoded.nOwner, request.nOwner);
    QCOMPARE(decoded.strData, request.strData);

    QVERIFY(DecodeHelpRequest("quit\n", decoded));
    QCOMPARE(decoded.nKind, HELP_REQUEST_QUIT);
    for (const char* pszBad :
         {"", "show 1 f", "show 2 f d", "show x f d", "show 1  d", "hello", "show 1 f d w", "show 1 f d 7 8"})
        QVERIFY2(!DecodeHelpRequest(pszBad, decoded), pszBad);

    QString strFile, strAnchor;
    QVERIFY(DecodeHelpStatus(EncodeHelpStatus("/a b/c", "context-1"), strFile, strAnchor));
    QCOMPARE(strFile, QString("/a b/c"));
    QCOMPARE(strAnchor, QString("context-1"));
}

void HelpTest::namesTheTopicsTheDocumentHolds()
{
    QCOMPARE(HelpAnchor(HELP_KEY, "command line"), QString("command-line"));
    QCOMPARE(HelpAnchor(HELP_KEY, "  Command   Line "), QString("command-line"));
    QCOMPARE(HelpAnchor(HELP_CONTEXT, "1"), QString("context-1"));

    // Every topic the program asks for, and every link inside, is there.
    QFile file(QUILLMARK_HELP_SOURCE);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString strText = QString::fromUtf8(file.readAll());
    QSet<QString> anchors;
    for (const QRegularExpressionMatch& m : QRegularExpression("<a name=\"([^\"]+)\">").globalMatch(strText))
        anchors.insert(m.captured(1));
    QVERIFY(anchors.contains(HelpAnchor(HELP_KEY, "command line")));
    QVERIFY(anchors.contains(HelpAnchor(HELP_CONTEXT, "1")));
    for (const QRegularExpressionMatch& m : QRegularExpression("href=\"#([^\"]+)\"").globalMatch(strText))
        QVERIFY2(anchors.contains(m.captured(1)), qPrintable(m.captured(1)));
}

void HelpTest::channelAddressIsWhereQtListensForTheName()
{
    // A bare name: the socket Qt's QLocalServer makes for it, so that the
    // window's plain client finds a viewer that listens by name.
    const QString strName = UniqueChannel("address");
    QLocalServer server;
    QVERIFY(server.listen(strName));
    QCOMPARE(HelpChannelAddress(strName), server.fullServerName());
    SHelpRequest quit;
    quit.nKind = HELP_REQUEST_QUIT;
    QVERIFY(SendHelpRequest(strName, quit));
    QVERIFY(server.waitForNewConnection(5000));
    QLocalSocket* pSocket = server.nextPendingConnection();
    QVERIFY(pSocket != nullptr);
    QTRY_VERIFY(pSocket->canReadLine());
    QCOMPARE(pSocket->readLine(), QByteArray("quit\n"));

    // A path stays the path.
    QTemporaryDir dir;
    const QString strPath = dir.filePath(QStringLiteral("channel"));
    QCOMPARE(HelpChannelAddress(strPath), strPath);
}

void HelpTest::channelClientGivesUpOnABadOrSilentViewer_data()
{
    using Script = std::vector<CScriptedListener::SPiece>;
    QTest::addColumn<Script>("script");
    QTest::addColumn<int>("holdMs");
    QTest::addColumn<bool>("answered");
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("one piece") << Script{{0, "/h/K.HLP context-1\n"}} << 0 << true
                               << QByteArray("/h/K.HLP context-1\n");
    QTest::newRow("in pieces, more behind the line")
        << Script{{0, "/h/K"}, {200, ".HLP x\nnext"}} << 0 << true << QByteArray("/h/K.HLP x\n");
    QTest::newRow("closes without an answer") << Script{} << 0 << false << QByteArray();
    QTest::newRow("closes inside the line") << Script{{0, "/h/K.HLP"}} << 0 << false << QByteArray();
    QTest::newRow("a line without end") << Script{{0, QByteArray(kHelpReplyLimit + 10, 'x')}} << 5000 << false
                                        << QByteArray();
    QTest::newRow("silent") << Script{} << 4000 << false << QByteArray();
}

void HelpTest::channelClientGivesUpOnABadOrSilentViewer()
{
    QFETCH(std::vector<CScriptedListener::SPiece>, script);
    QFETCH(int, holdMs);
    QFETCH(bool, answered);
    QFETCH(QByteArray, reply);
    QTemporaryDir dir;
    const QString strChannel = dir.filePath(QStringLiteral("viewer"));
    CScriptedListener listener(strChannel);
    QVERIFY(listener.Listening());
    listener.Serve(script, holdMs);

    SHelpRequest status;
    status.nKind = HELP_REQUEST_STATUS;
    QByteArray got = "untouched";
    const auto start = std::chrono::steady_clock::now();
    QCOMPARE(SendHelpRequest(strChannel, status, &got), answered);
    // A viewer that never ends its line costs the reply's time-out, no more.
    QVERIFY(std::chrono::steady_clock::now() - start < std::chrono::seconds(4));
    QCOMPARE(got, answered ? reply : QByteArray("untouched"));
    QCOMPARE(listener.Request(), QByteArray("status\n"));
}

void HelpTest::channelClientFailsWithoutAListener()
{
    QTemporaryDir dir;
    SHelpRequest quit;
    quit.nKind = HELP_REQUEST_QUIT;
    QVERIFY(!SendHelpRequest(dir.filePath(QStringLiteral("nobody")), quit));
    QVERIFY(!SendHelpRequest(QString(), quit));
    // A socket left behind by a viewer that has ended.
    const QString strStale = dir.filePath(QStringLiteral("stale"));
    const int nFd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(strStale);
    std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
    QCOMPARE(::bind(nFd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(nFd);  // the file stays, nobody listens
    QVERIFY(!SendHelpRequest(strStale, quit));
    // Longer than any socket's path can be.
    QVERIFY(!SendHelpRequest(dir.filePath(QString(200, QLatin1Char('n'))), quit));
}

void HelpTest::viewerShowsTopicsHandsOverAndQuits()
{
    const QString strChannel = UniqueChannel("viewer");
    QProcess viewer;
    viewer.start(QUILLMARK_HELP_PROGRAM,
                 {"--channel", strChannel, "--file", QUILLMARK_HELP_SOURCE, "--keyword", "command line"});
    QVERIFY(viewer.waitForStarted());
    QString strFile, strAnchor;
    QVERIFY(WaitForStatus(strChannel, strFile, strAnchor));
    QCOMPARE(strFile, QString(QUILLMARK_HELP_SOURCE));
    QCOMPARE(strAnchor, QString("command-line"));

    // A second viewer on the same channel hands its topic to the first and ends.
    QProcess second;
    second.start(QUILLMARK_HELP_PROGRAM, {"--channel", strChannel, "--file", QUILLMARK_HELP_SOURCE, "--context", "1"});
    QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.exitCode(), 0);
    QVERIFY(WaitForStatus(strChannel, strFile, strAnchor));
    QCOMPARE(strAnchor, QString("context-1"));

    QVERIFY(SendQuit(strChannel));
    QVERIFY(viewer.waitForFinished(10000));
    QCOMPARE(viewer.exitStatus(), QProcess::NormalExit);
    QCOMPARE(viewer.exitCode(), 0);
}

void HelpTest::viewerHasTheIconAndClosesOnEscape()
{
    CHelpViewer viewer;
    // The program's icon, not the platform's default one.
    const QImage programIcon = QImage(QUILLMARK_ICON_SOURCE).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QVERIFY(!programIcon.isNull());
    QCOMPARE(viewer.windowIcon().pixmap(64, 64).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
             programIcon);
    viewer.ShowTopic(QUILLMARK_HELP_SOURCE, HELP_KEY, "command line");
    QVERIFY(QTest::qWaitForWindowActive(&viewer));
    QVERIFY(viewer.isVisible());
    // Escape reaches the viewer with the document's text browser focused.
    QWidget* pFocus = QApplication::focusWidget();
    QVERIFY(pFocus != nullptr);
    QTest::keyClick(pFocus, Qt::Key_Escape);
    QTRY_VERIFY(!viewer.isVisible());
}

// The viewer opens inside the free area of its screen. CTest runs this
// once more with QT_SCALE_FACTOR=2, where the offscreen screen (800x800) is
// 400x400 in the viewer's units, smaller than its own size, as a
// 1280x1024 screen is at that factor.
void HelpTest::viewerFitsTheScreenItOpensOn()
{
    CHelpViewer viewer;
    viewer.ShowTopic(QUILLMARK_HELP_SOURCE, HELP_CONTEXT, "1");
    QVERIFY(QTest::qWaitForWindowExposed(&viewer));
    const QRect available = viewer.screen()->availableGeometry();
    const QRect frame = viewer.frameGeometry();
    QVERIFY2(available.contains(frame), qPrintable(QString("%1x%2 at %3,%4 on %5x%6")
                                                       .arg(frame.width())
                                                       .arg(frame.height())
                                                       .arg(frame.x())
                                                       .arg(frame.y())
                                                       .arg(available.width())
                                                       .arg(available.height())));
    QVERIFY(frame.width() * 2 >= available.width() && frame.height() * 2 >= available.height());
}

void HelpTest::programStartsTheViewerAndClosesIt()
{
    const QString strChannel = UniqueChannel("program");
    qputenv("QUILLMARK_HELP_CHANNEL", strChannel.toUtf8());
    qputenv("QUILLMARK_HELP_VIEWER", QUILLMARK_HELP_PROGRAM);
    QCOMPARE(DefaultHelpChannel(), strChannel);
    QCOMPARE(CHelpViewerProcess::ViewerProgram(), QString(QUILLMARK_HELP_PROGRAM));
    {
        const CProcessFlags flags;
        CHelpViewerProcess link(flags);
        link.Show(nullptr, QUILLMARK_HELP_SOURCE, HELP_CONTEXT, "1");
        QString strFile, strAnchor;
        const bool bUp = WaitForStatus(strChannel, strFile, strAnchor);
        if (bUp) {
            QCOMPARE(strAnchor, QString("context-1"));
            link.Show(nullptr, QUILLMARK_HELP_SOURCE, HELP_KEY, "command line");  // to the same viewer
            QVERIFY(WaitForStatus(strChannel, strFile, strAnchor));
            QCOMPARE(strAnchor, QString("command-line"));
        }
        link.Quit();
        QVERIFY(bUp);
    }
    // Quit has closed it: nobody listens on the channel any more.
    QDeadlineTimer deadline(10000);
    SHelpRequest status;
    status.nKind = HELP_REQUEST_STATUS;
    while (SendHelpRequest(strChannel, status) && !deadline.hasExpired())
        QTest::qWait(50);
    const bool bClosed = !SendHelpRequest(strChannel, status);
    if (!bClosed)
        SendQuit(strChannel);
    qunsetenv("QUILLMARK_HELP_CHANNEL");
    qunsetenv("QUILLMARK_HELP_VIEWER");
    QVERIFY(bClosed);
}

QTEST_MAIN(HelpTest)
#include "help_test.moc"
