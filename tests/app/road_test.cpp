// The program as a process: the unattended road from the command line to
// the rewritten file, the exit status, a bad command line and its help, and
// running without a display.
#include <QDeadlineTimer>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "gui_helpers.h"
#include "help_channel.h"
#include "process_runner.h"

namespace {

namespace fs = std::filesystem;

// No display, and no platform named: the program has to decide by itself.
const std::vector<std::string> kHeadless = {"DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM="};

SProcessResult RunQuillmark(const std::vector<std::string>& args,
                            const std::vector<std::string>& environment = kHeadless,
                            const std::string& strProgram = QUILLMARK_PROGRAM)
{
    return RunProcess(strProgram, args, std::string(), environment);
}

// What an unattended run logs when it meets no message: the items each
// statement that uses the format gives its fields, as quillmark-text
// --items lists them; a format nothing uses leaves an empty line.
std::string ItemsListed(const std::string& strFile, const std::string& strLine, const std::string& strColumn)
{
    const SProcessResult items = RunProcess(QUILLMARK_TEXT_PROGRAM, {"--items", strFile, strLine, strColumn});
    return items.strOut.empty() ? std::string("\n") : items.strOut;
}

std::string Describe(const SProcessResult& result)
{
    return "exit " + std::to_string(result.nExitStatus) + " signal " + std::to_string(result.nSignal) +
           "\nstderr: " + result.strErr;
}

// A bad command line with a viewer that records its arguments.
std::vector<std::string> FakeViewerEnvironment(const std::string& strArgsFile)
{
    return {"QT_QPA_PLATFORM=offscreen", "QUILLMARK_HELP_VIEWER=" FAKE_HELP_VIEWER,
            "QUILLMARK_FAKE_HELP_LOG=" + strArgsFile};
}

// The viewer's arguments, one a line, once it has written them.
QStringList WaitForViewerArgs(const std::string& strArgsFile)
{
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        const std::string strText = ReadWholeFile(strArgsFile);
        if (!strText.empty() && strText.back() == '\n')
            return QString::fromStdString(strText).split('\n', Qt::SkipEmptyParts);
        QTest::qWait(50);
    }
    return {};
}

// Ends a process the test has caused to be started, however the test ends.
struct SStopOnExit {
    pid_t pid;
    ~SStopOnExit() { ::kill(pid, SIGTERM); }
};

}  // namespace

class RoadTest : public QObject {
    Q_OBJECT

private slots:
    void init() { QVERIFY(m_dir.isValid()); }

    void rewritesAFileOfEitherFormUnattended_data();
    void rewritesAFileOfEitherFormUnattended();
    void rewritesTheBundledExamples();
    void takesAQuotedNameWithBlanksAndOptionsInAnyOrder();
    void leavesAReadOnlyFileUntouched();
    void echoesEachMessageOnStandardErrorWhereverTheLogIs();
    void failsCleanlyPastTheFileSizeLimit();
    void logsAMissingFileAndALinePastTheEnd();
    void needsADisplayUnlessUnattended();
    void rejectsABadCommandLineWithItsHelpTopic();
    void leavesTheViewerOpenAfterABadCommandLine();
    void startsTheViewerAwayFromTheCallersStreams();
    void refusesALogThatIsTheSourceFile();
    void takesAFileNamedLikeAnOptionAfterTwoDashes();
    void leavesTheToolkitsOwnOptionsToTheToolkit();
    void keepsTheLayoutOnlyWhenTheCommandLineAsks();
    void findsTheHelpFileInAnInstalledTree();
    void answersVersionAndHelpWithoutADisplay();

private:
    std::string Path(const std::string& strName) const
    {
        return QDir(m_dir.path()).filePath(QString::fromStdString(strName)).toStdString();
    }

    QTemporaryDir m_dir;
};

void RoadTest::rewritesAFileOfEitherFormUnattended_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::newRow("fixed form, continued") << "prog.for"
                                           << "7"
                                           << "C     Two records\n  100 FORMAT(I5,\n     +       F7.3)\n      END\n"
                                           << "C     Two records\n  100 FORMAT(I5, F7.3)\n      END\n";
    QTest::newRow("free form, format string") << "prog.f90"
                                              << "25"
                                              << "program p\n  write (6, '(1x,i5)') 42\nend program p\n"
                                              << "program p\n  write (6, '(1x, i5)') 42\nend program p\n";
}

void RoadTest::rewritesAFileOfEitherFormUnattended()
{
    QFETCH(QString, name);
    QFETCH(QString, column);
    QFETCH(QString, before);
    QFETCH(QString, after);
    const std::string strFile = Path(name.toStdString());
    const std::string strLog = Path("run.log");
    WriteWholeFile(strFile, before.toStdString());
    const std::string strItems = ItemsListed(strFile, "2", column.toStdString());
    const SProcessResult result = RunQuillmark({strFile, "2", column.toStdString(), "-d:1:" + strLog});
    QVERIFY2(result.nExitStatus == 0, Describe(result).c_str());
    QCOMPARE(ReadWholeFile(strFile), after.toStdString());
    QCOMPARE(ReadWholeFile(strLog), strItems);
    QCOMPARE(result.strErr, std::string());  // a script sees the log and the status, nothing else
}

void RoadTest::rewritesTheBundledExamples()
{
    struct SExample {
        const char* pszName;
        const char* pszLine;
        const char* pszColumn;
        const char* pszRewritten;
    };
    for (const SExample& e : {SExample{"report.for", "16", "7", "  110 FORMAT(1X, I6, 4X, F11.3, 4X, E13.5)\n"},
                              SExample{"report.f90", "14", "1", "110 format(1x, i6, 4x, f11.3, 4x, es13.5)\n"}}) {
        const std::string strFile = Path(e.pszName);
        const std::string strLog = Path("run.log");
        fs::copy_file(fs::path(QUILLMARK_EXAMPLES) / e.pszName, strFile, fs::copy_options::overwrite_existing);
        const std::string strBefore = ReadWholeFile(strFile);
        // The log holds the items each WRITE gives the fields, as the text
        // front end lists them.
        const std::string strItems = ItemsListed(strFile, e.pszLine, e.pszColumn);
        QVERIFY2(strItems.find("WRITE on line") == 0, strItems.c_str());
        const SProcessResult result = RunQuillmark({strFile, e.pszLine, e.pszColumn, "-d:1:" + strLog});
        QVERIFY2(result.nExitStatus == 0, Describe(result).c_str());
        QCOMPARE(ReadWholeFile(strLog), strItems);
        const std::string strAfter = ReadWholeFile(strFile);
        QVERIFY2(strAfter.find(e.pszRewritten) != std::string::npos, strAfter.c_str());
        // Everything before the statement is as it was.
        const std::size_t nStatement = strBefore.find(std::string(e.pszRewritten).substr(0, 12));
        QCOMPARE(strAfter.substr(0, nStatement), strBefore.substr(0, nStatement));
    }
}

void RoadTest::takesAQuotedNameWithBlanksAndOptionsInAnyOrder()
{
    const std::string strFile = Path("my prog.for");
    const std::string strLog = Path("run log.txt");
    const std::string strLog2 = Path("log2");
    // As the shell hands the words over, and as one command-line text.
    const std::vector<std::vector<std::string>> runs = {
        {strFile, "1", "7", "-FPS4", "-D:1:" + strLog},
        {"\"" + strFile + "\" 1 7 -fps4 -d:1:" + strLog2},
    };
    for (const std::vector<std::string>& args : runs) {
        WriteWholeFile(strFile, "  100 FORMAT(I5,F7.3)\n");
        const SProcessResult result = RunQuillmark(args);
        QVERIFY2(result.nExitStatus == 0, Describe(result).c_str());
        QCOMPARE(ReadWholeFile(strFile), std::string("  100 FORMAT(I5, F7.3)\n"));
    }
    QCOMPARE(ReadWholeFile(strLog), std::string("\n"));
    QCOMPARE(ReadWholeFile(strLog2), std::string("\n"));
}

void RoadTest::leavesAReadOnlyFileUntouched()
{
    const std::string strFile = Path("locked.for");
    const std::string strLog = Path("run.log");
    const std::string strText = "  100 FORMAT(I5,F7.3)\n";
    WriteWholeFile(strFile, strText);
    fs::permissions(strFile, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const SProcessResult result = RunQuillmark({strFile, "1", "7", "-d:1:" + strLog});
    QVERIFY2(result.nExitStatus == 1, Describe(result).c_str());
    QCOMPARE(ReadWholeFile(strLog), "The file \"" + strFile +
                                        "\" is read-only; changes will be saved to a different file\n"
                                        "Continue anyway?\n");
    QCOMPARE(ReadWholeFile(strFile), strText);
    QCOMPARE(fs::status(strFile).permissions(), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
}

void RoadTest::echoesEachMessageOnStandardErrorWhereverTheLogIs()
{
    // The log holds the message as the box would show it; standard error
    // holds it as one line that names the file and the statement's line.
    const std::string strFile = Path("locked.for");
    const std::string strLog = Path("run.log");
    WriteWholeFile(strFile, "C     Report\n  100 FORMAT(I5,F7.3)\n");
    fs::permissions(strFile, fs::perms::owner_read);
    SProcessResult result = RunQuillmark({strFile, "2", "7", "-d:1:" + strLog});
    QVERIFY2(result.nExitStatus == 1, Describe(result).c_str());
    const std::string strQuestion = "The file \"" + strFile +
                                    "\" is read-only; changes will be saved to a different file";
    QCOMPARE(ReadWholeFile(strLog), strQuestion + "\nContinue anyway?\n");
    QCOMPARE(result.strErr, "quillmark: " + strFile + ":2: " + strQuestion + " Continue anyway?\n");

    // A log that cannot be written: its messages go to standard error, and
    // the program says why they are there.
    const std::string strMissing = Path("missing.for");
    const std::string strBadLog = Path("no-such-folder/run.log");
    result = RunQuillmark({strMissing, "1", "7", "-d:1:" + strBadLog});
    QVERIFY2(result.nExitStatus == 1, Describe(result).c_str());
    QCOMPARE(result.strErr, "quillmark: cannot write the log \"" + strBadLog +
                                "\"; its messages go to standard error\n"
                                "quillmark: " +
                                strMissing + ":1: Unable to open file \"" + strMissing +
                                "\" No such file or directory\n");
    QVERIFY(!fs::exists(Path("no-such-folder")));
}

void RoadTest::failsCleanlyPastTheFileSizeLimit()
{
    // A 36 KB file under a 20 KB file-size limit: the save fails as on a
    // full disk, reported in the log, and nothing is left behind.
    const fs::path folder = fs::path(Path("limit"));
    fs::create_directories(folder);
    const std::string strFile = (folder / "big.f").string();
    const std::string strLog = (folder / "limit.log").string();
    std::string strText = "      PROGRAM P\n  100 FORMAT(I5, F7.3)\n";
    while (strText.size() < 36 * 1024)
        strText += "C     padding line to make the file larger than the limit\n";
    strText += "      END\n";
    WriteWholeFile(strFile, strText);
    const SProcessResult result = RunProcess(
        "/bin/sh", {"-c", "ulimit -f 20; exec \"$0\" \"$1\" 2 7 \"-d:1:$2\"", QUILLMARK_PROGRAM, strFile, strLog},
        std::string(), kHeadless);
    QVERIFY2(result.nExitStatus == 1, Describe(result).c_str());
    QCOMPARE(ReadWholeFile(strLog), std::string("Unable to save FORMAT statement to file\nExit anyway?\n"));
    QCOMPARE(ReadWholeFile(strFile), strText);
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    QCOMPARE(names, (std::vector<std::string>{"big.f", "limit.log"}));
}

void RoadTest::logsAMissingFileAndALinePastTheEnd()
{
    const std::string strLog = Path("run.log");
    const std::string strMissing = Path("missing.for");
    SProcessResult result = RunQuillmark({strMissing, "1", "7", "-d:1:" + strLog});
    QVERIFY2(result.nExitStatus == 1, Describe(result).c_str());
    QCOMPARE(ReadWholeFile(strLog), "Unable to open file \"" + strMissing + "\"\nNo such file or directory\n");
    QVERIFY(!fs::exists(strMissing));

    const std::string strFile = Path("short.for");
    WriteWholeFile(strFile, "  100 FORMAT(I5)\n      END\n");
    result = RunQuillmark({strFile, "9", "7", "-d:1:" + strLog});
    QVERIFY2(result.nExitStatus == 1, Describe(result).c_str());
    QCOMPARE(ReadWholeFile(strLog), "Line 9 was not found in file \"" + strFile + "\"\n");
    QCOMPARE(ReadWholeFile(strFile), std::string("  100 FORMAT(I5)\n      END\n"));

    // Line 0 names no line: a bad command line, with the usage.
    result = RunQuillmark({strFile, "0", "7", "-d:1:" + strLog});
    QVERIFY2(result.nExitStatus == 2, Describe(result).c_str());
    QVERIFY2(result.strErr.find("usage: quillmark FILE LINE COLUMN") != std::string::npos, result.strErr.c_str());
}

void RoadTest::needsADisplayUnlessUnattended()
{
    const std::string strFile = Path("prog.for");
    WriteWholeFile(strFile, "  100 FORMAT(I5,F7.3)\n");
    const SProcessResult result = RunQuillmark({strFile, "1", "7"});
    QVERIFY2(result.nExitStatus == 1, Describe(result).c_str());
    QCOMPARE(std::count(result.strErr.begin(), result.strErr.end(), '\n'), 1L);
    QVERIFY2(result.strErr.find("no display") != std::string::npos, result.strErr.c_str());
    QVERIFY2(result.strErr.find("-d:1:") != std::string::npos, result.strErr.c_str());
    QCOMPARE(ReadWholeFile(strFile), std::string("  100 FORMAT(I5,F7.3)\n"));
}

void RoadTest::rejectsABadCommandLineWithItsHelpTopic()
{
    const std::string strArgs = Path("viewer-args");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"p.for", "12"}, std::vector<std::string>{"p.for", "12", "7", "-fps4", "-fps4", "x"},
          std::vector<std::string>{"p.for", "12", "7", "-x"}, std::vector<std::string>{"p.for", "abc", "7"}}) {
        fs::remove(strArgs);
        const SProcessResult result = RunQuillmark(args, FakeViewerEnvironment(strArgs));
        QVERIFY2(result.nExitStatus == 2, Describe(result).c_str());
        QVERIFY2(result.strErr.find("usage: quillmark FILE LINE COLUMN") != std::string::npos, result.strErr.c_str());
        const QStringList viewerArgs = WaitForViewerArgs(strArgs);
        QCOMPARE(viewerArgs.size(), 6);
        QCOMPARE(viewerArgs[0], QString("--channel"));
        QCOMPARE(viewerArgs[2], QString("--file"));
        QCOMPARE(viewerArgs[3].toStdString(), fs::canonical(QUILLMARK_BUILT_HELP).string());
        QCOMPARE(viewerArgs[4], QString("--keyword"));
        QCOMPARE(viewerArgs[5], QString("command line"));
    }
}

void RoadTest::leavesTheViewerOpenAfterABadCommandLine()
{
    const QString strChannel = QStringLiteral("quillmark-road-%1").arg(QCoreApplication::applicationPid());
    const SProcessResult result = RunQuillmark({"p.for", "12"}, {"QT_QPA_PLATFORM=offscreen",
                                                                 "QUILLMARK_HELP_CHANNEL=" + strChannel.toStdString(),
                                                                 "QUILLMARK_HELP_VIEWER=" QUILLMARK_HELP_PROGRAM});
    QVERIFY2(result.nExitStatus == 2, Describe(result).c_str());
    // The program has ended; its viewer is still there, on the topic.
    SHelpRequest status;
    status.nKind = HELP_REQUEST_STATUS;
    QByteArray reply;
    const QDeadlineTimer deadline(10000);
    while (!SendHelpRequest(strChannel, status, &reply) && !deadline.hasExpired())
        QTest::qWait(50);
    SHelpRequest quit;
    quit.nKind = HELP_REQUEST_QUIT;
    const bool bQuit = SendHelpRequest(strChannel, quit);
    QString strFile, strAnchor;
    QVERIFY(DecodeHelpStatus(reply, strFile, strAnchor));
    QCOMPARE(strAnchor, QString("command-line"));
    QCOMPARE(strFile.toStdString(), fs::canonical(QUILLMARK_BUILT_HELP).string());
    QVERIFY(bQuit);
}

void RoadTest::startsTheViewerAwayFromTheCallersStreams()
{
    // An editor reads the program's output through a pipe until its end:
    // a viewer that stays on screen must not hold the pipe open, nor sit
    // in the caller's session.
    const std::string strPidFile = Path("viewer-pid");
    std::vector<std::string> environment = FakeViewerEnvironment(Path("viewer-args"));
    environment.push_back("QUILLMARK_FAKE_HELP_PID=" + strPidFile);
    environment.push_back("QUILLMARK_FAKE_HELP_STAY=120");
    const SPipeResult result = RunProcessThroughPipe(QUILLMARK_PROGRAM, {"p.for", "12"}, environment, 30);
    const QDeadlineTimer deadline(10000);
    while (ReadWholeFile(strPidFile).empty() && !deadline.hasExpired())
        QTest::qWait(50);
    const pid_t viewer = static_cast<pid_t>(std::atol(ReadWholeFile(strPidFile).c_str()));
    QVERIFY2(viewer > 0, "the viewer did not start");
    const SStopOnExit stopViewer{viewer};
    QVERIFY2(result.bEndOfOutput, ("the output did not end: " + result.strOutput).c_str());
    QCOMPARE(result.nExitStatus, 2);
    QVERIFY2(result.strOutput.find("usage: quillmark") != std::string::npos, result.strOutput.c_str());
    QCOMPARE(::kill(viewer, 0), 0);  // the viewer is still there
    for (int fd = 0; fd <= 2; ++fd) {
        const fs::path stream = fs::path("/proc") / std::to_string(viewer) / "fd" / std::to_string(fd);
        QCOMPARE(fs::read_symlink(stream).string(), std::string("/dev/null"));
    }
    QVERIFY(::getsid(viewer) != ::getsid(0));
}

void RoadTest::refusesALogThatIsTheSourceFile()
{
    const std::string strFile = Path("prog.for");
    const std::string strText = "  100 FORMAT(I5,F7.3)\n";
    WriteWholeFile(strFile, strText);
    fs::create_symlink(strFile, Path("link.for"));
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{strFile, "1", "7", "-d:1:" + strFile},
          std::vector<std::string>{strFile, "1", "7", "-fps4", "-d:1:" + Path("link.for")},
          std::vector<std::string>{"-d:1:" + strFile, "--", strFile, "1", "7"}}) {
        const SProcessResult result = RunQuillmark(args);
        QVERIFY2(result.nExitStatus == 2, Describe(result).c_str());
        QVERIFY2(result.strErr.find("quillmark: the log \"") != std::string::npos, result.strErr.c_str());
        QVERIFY2(result.strErr.find("usage: quillmark FILE LINE COLUMN") != std::string::npos, result.strErr.c_str());
        QCOMPARE(ReadWholeFile(strFile), strText);
    }
}

void RoadTest::takesAFileNamedLikeAnOptionAfterTwoDashes()
{
    WriteWholeFile(Path("-x.for"), "  100 FORMAT(I5,F7.3)\n");
    const SProcessResult result = RunProcess(QUILLMARK_PROGRAM, {"-d:1:run.log", "-fps4", "--", "-x.for", "1", "7"},
                                             m_dir.path().toStdString(), kHeadless);
    QVERIFY2(result.nExitStatus == 0, Describe(result).c_str());
    QCOMPARE(ReadWholeFile(Path("-x.for")), std::string("  100 FORMAT(I5, F7.3)\n"));
    QCOMPARE(ReadWholeFile(Path("run.log")), std::string("\n"));
}

// Qt's standard options (-style, -stylesheet, -platform, -reverse, with one
// dash or two, a value as the next word or after "=") reach the toolkit and
// are not a bad command line; after "--" a word like them is the file.
void RoadTest::leavesTheToolkitsOwnOptionsToTheToolkit()
{
    WriteWholeFile(Path("p.for"), "  100 FORMAT(I5,F7.3)\n");
    const SProcessResult result = RunProcess(
        QUILLMARK_PROGRAM,
        {"-style", "fusion", "p.for", "1", "7", "-d:1:run.log", "-reverse", "--stylesheet=", "-platform", "offscreen"},
        m_dir.path().toStdString(), kHeadless);
    QVERIFY2(result.nExitStatus == 0, Describe(result).c_str());
    QCOMPARE(ReadWholeFile(Path("p.for")), std::string("  100 FORMAT(I5, F7.3)\n"));
    WriteWholeFile(Path("-reverse"), "  100 FORMAT(I5,F7.3)\n");
    const SProcessResult file = RunProcess(QUILLMARK_PROGRAM, {"-d:1:run.log", "--", "-reverse", "1", "7"},
                                           m_dir.path().toStdString(), kHeadless);
    QVERIFY2(file.nExitStatus == 0, Describe(file).c_str());
    QCOMPARE(ReadWholeFile(Path("-reverse")), std::string("  100 FORMAT(I5, F7.3)\n"));
}

// OK that keeps the layout, unattended: a statement over two lines that was
// not edited is not written at all (its bytes and time stay), where the
// rebuild lays it out anew. The unattended road takes the setting from the
// command line only, never from the stored settings.
void RoadTest::keepsTheLayoutOnlyWhenTheCommandLineAsks()
{
    const std::string strText = "      PROGRAM P\n  100 FORMAT(1X,I6,4X,F11.3,4X,\n     +       E13.5)\n      END\n";
    const std::string strConfig = Path("config");
    fs::create_directories(fs::path(strConfig) / "quillmark");
    WriteWholeFile(fs::path(strConfig) / "quillmark" / "quillmark.ini", "[save]\nkeepLayout=true\n");
    std::vector<std::string> environment = kHeadless;
    environment.push_back("XDG_CONFIG_HOME=" + strConfig);

    WriteWholeFile(Path("p.for"), strText);
    const fs::file_time_type before = fs::last_write_time(Path("p.for")) - std::chrono::seconds(10);
    fs::last_write_time(Path("p.for"), before);
    const SProcessResult kept = RunProcess(QUILLMARK_PROGRAM, {"p.for", "2", "7", "-d:1:run.log", "--keep-layout"},
                                           m_dir.path().toStdString(), environment);
    QVERIFY2(kept.nExitStatus == 0, Describe(kept).c_str());
    QCOMPARE(ReadWholeFile(Path("p.for")), strText);
    QVERIFY(fs::last_write_time(Path("p.for")) == before);

    const SProcessResult rebuilt = RunProcess(QUILLMARK_PROGRAM, {"p.for", "2", "7", "-d:1:run.log"},
                                              m_dir.path().toStdString(), environment);
    QVERIFY2(rebuilt.nExitStatus == 0, Describe(rebuilt).c_str());
    QCOMPARE(ReadWholeFile(Path("p.for")),
             std::string("      PROGRAM P\n  100 FORMAT(1X, I6, 4X, F11.3, 4X, E13.5)\n      END\n"));
    // Nothing was stored by either run.
    QCOMPARE(ReadWholeFile(fs::path(strConfig) / "quillmark" / "quillmark.ini"),
             std::string("[save]\nkeepLayout=true\n"));
}

void RoadTest::findsTheHelpFileInAnInstalledTree()
{
    const std::string strPrefix = Path("prefix");
    const SProcessResult install = RunProcess(CMAKE_COMMAND, {"--install", QUILLMARK_BUILD_DIR, "--prefix", strPrefix},
                                              std::string(), {});
    QVERIFY2(install.nExitStatus == 0, (install.strOut + install.strErr).c_str());
    QVERIFY(fs::is_regular_file(fs::path(strPrefix) / "bin" / "quillmark"));
    QVERIFY(fs::is_regular_file(fs::path(strPrefix) / "bin" / "quillmark-help"));

    const std::string strArgs = Path("viewer-args");
    // (FILE alone is no bad command line: it lists the file's statements.)
    const SProcessResult result = RunQuillmark({"p.for", "12"}, FakeViewerEnvironment(strArgs),
                                               (fs::path(strPrefix) / "bin" / "quillmark").string());
    QVERIFY2(result.nExitStatus == 2, Describe(result).c_str());
    const QStringList viewerArgs = WaitForViewerArgs(strArgs);
    QCOMPARE(viewerArgs.value(3).toStdString(),
             fs::canonical(fs::path(strPrefix) / "share" / "quillmark" / "KELDRANO.HLP").string());
}

void RoadTest::answersVersionAndHelpWithoutADisplay()
{
    // No display: both are answered on standard output before the toolkit
    // starts (otherwise the program would end with status 1 or 2).
    const SProcessResult version = RunQuillmark({"--version"});
    QVERIFY2(version.nExitStatus == 0, Describe(version).c_str());
    QCOMPARE(version.strOut.substr(0, version.strOut.find('\n')), std::string("quillmark " QUILLMARK_PROJECT_VERSION));
    QVERIFY2(version.strOut.find("\nQt " + std::string(qVersion())) != std::string::npos, version.strOut.c_str());
    QCOMPARE(version.strErr, std::string());

    for (const char* pszHelp : {"--help", "-h"}) {
        const SProcessResult help = RunQuillmark({pszHelp});
        QVERIFY2(help.nExitStatus == 0, Describe(help).c_str());
        QVERIFY2(help.strOut.rfind("Usage: quillmark FILE LINE COLUMN", 0) == 0, help.strOut.c_str());
        QVERIFY2(help.strOut.find("-d:1:LOG") != std::string::npos, help.strOut.c_str());
    }
    // Beside other words they are no request but a bad command line.
    const SProcessResult mixed = RunQuillmark({"--version", "12", "7", "-x"});
    QCOMPARE(mixed.nExitStatus, 2);
}

QTEST_MAIN(RoadTest)
#include "road_test.moc"
