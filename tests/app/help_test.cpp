// Help: where the help file is found, the requests, and the viewer process.
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>

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

}  // namespace

class HelpTest : public QObject {
    Q_OBJECT

private slots:
    void findsTheHelpFileAboveOrBesideTheProgram();
    void findsTheBuiltHelpFileFromTheBuiltProgram();
    void reportsString19WhenThereIsNoHelpFile();
    void quittingNeedsNoHelpFile();
    void encodesRequestsWhateverTheFileName();
    void namesTheTopicsTheDocumentHolds();
    void viewerShowsTopicsHandsOverAndQuits();
    void viewerHasTheIconAndClosesOnEscape();
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
    CRecordingPresenter presenter;
    CRecordingHelpViewer viewer;
    int owner = 0;
    ShowHelp(&owner, HELP_CONTEXT, "1");
    QCOMPARE(presenter.m_messages.size(), size_t(1));
    QCOMPARE(presenter.m_messages[0].text, std::string("Unable to find the helpfile \"KELDRANO.HLP\""));
    QCOMPARE(presenter.m_messages[0].style, unsigned(MB_OK));
    QCOMPARE(presenter.m_messages[0].owner, static_cast<OwnerHandle>(&owner));
    QVERIFY(viewer.m_shows.empty());
}

void HelpTest::quittingNeedsNoHelpFile()
{
    CRecordingPresenter presenter;
    CRecordingHelpViewer viewer;
    ShowHelp(nullptr, HELP_QUIT);
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
    const QImage programIcon = QIcon(":/quillmark/quillmark.png").pixmap(64, 64).toImage();
    QVERIFY(!programIcon.isNull());
    QCOMPARE(viewer.windowIcon().pixmap(64, 64).toImage(), programIcon);
    viewer.ShowTopic(QUILLMARK_HELP_SOURCE, HELP_KEY, "command line");
    QVERIFY(QTest::qWaitForWindowActive(&viewer));
    QVERIFY(viewer.isVisible());
    // Escape reaches the viewer with the document's text browser focused.
    QWidget* pFocus = QApplication::focusWidget();
    QVERIFY(pFocus != nullptr);
    QTest::keyClick(pFocus, Qt::Key_Escape);
    QTRY_VERIFY(!viewer.isVisible());
}

void HelpTest::programStartsTheViewerAndClosesIt()
{
    const QString strChannel = UniqueChannel("program");
    qputenv("QUILLMARK_HELP_CHANNEL", strChannel.toUtf8());
    qputenv("QUILLMARK_HELP_VIEWER", QUILLMARK_HELP_PROGRAM);
    QCOMPARE(DefaultHelpChannel(), strChannel);
    QCOMPARE(CHelpViewerProcess::ViewerProgram(), QString(QUILLMARK_HELP_PROGRAM));
    {
        CHelpViewerProcess link;
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
