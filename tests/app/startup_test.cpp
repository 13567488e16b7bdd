// Start-up: the command line, the window it opens, and what a bad one does.
#include "field_strip.h"
#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <climits>
#include <unistd.h>

#include "command_line.h"
#include "editor_app.h"
#include "editor_frame.h"
#include "gui_helpers.h"
#include "recording_presenter.h"
#include "string_table.h"

using Words = std::vector<std::string>;

class StartUpTest : public QObject {
    Q_OBJECT

private slots:
    void showsTheProgramIconWithoutLoadingImagePlugins();
    void splitsAQuotedFirstWordWithBlanks();
    void takesTheShellsWordsAsTheyAre();
    void acceptsThreeToFiveWordsAndTheTwoOptions_data();
    void acceptsThreeToFiveWordsAndTheTwoOptions();
    void readsTheTwoSettingsOptionsBesideTheOthers();
    void leavesTheToolkitsOptionsOut();
    void readsTheFileAfterTheEndOfOptionsAsAFile();
    void refusesALogThatIsTheSourceFileBeforeOpeningIt();
    void createsTheDebugLogEvenWhenTheOtherOptionIsBad();
    void convertsLineWordsAsTheCLibraryDoes();
    void titlesTheWindowWithTheAbsolutePathAndTheLineAsTyped();
    void rejectsABadCommandLineThroughTheHelpTopic_data();
    void rejectsABadCommandLineThroughTheHelpTopic();
    void opensTheStatementWithItsButtonsAndHotKeys();
    void savesByItselfInDebugMode();
    void startsANewLabelledStatementInTheChosenForm();
    void endsWithoutAWindowWhenTheStatementIsNotFound();
};

namespace {

// The image format plug-ins mapped into this process (Linux), -1 where that cannot be read.
int ImagePluginsLoaded()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return -1;
    return static_cast<int>(maps.readAll().count("/imageformats/"));
}

}  // namespace

// First, while nothing else in this process has read an image: the window's
// icon is the program's PNG, pixel for pixel, and getting it loads no image
// format plug-in (Qt's image reader loads them all, which costs the start).
void StartUpTest::showsTheProgramIconWithoutLoadingImagePlugins()
{
    if (ImagePluginsLoaded() != 0)
        QSKIP("the image format plug-ins cannot be watched here");
    CTestRun run;
    CDescriptorList list;
    CStatementSite site;
    {
        CEditorFrame frame(list, site, run.Context());
        const QImage icon = frame.windowIcon().pixmap(64, 64).toImage();
        QCOMPARE(ImagePluginsLoaded(), 0);
        QCOMPARE(icon.convertToFormat(QImage::Format_ARGB32_Premultiplied),
                 QImage(QUILLMARK_ICON_SOURCE).convertToFormat(QImage::Format_ARGB32_Premultiplied));
    }
}

void StartUpTest::splitsAQuotedFirstWordWithBlanks()
{
    QCOMPARE(SplitCommandLine("\"my prog.for\" 12 7 -fps4"), (Words{"my prog.for", "12", "7", "-fps4"}));
    QCOMPARE(SplitCommandLine("prog.for\t12   7"), (Words{"prog.for", "12", "7"}));
    // Without its closing quote the text is split as a whole, quote included.
    QCOMPARE(SplitCommandLine("\"my prog.for 12 7"), (Words{"\"my", "prog.for", "12", "7"}));
    // Only a quote at the very start groups a word.
    QCOMPARE(SplitCommandLine(" \"a b\" 1 2"), (Words{"\"a", "b\"", "1", "2"}));

    const SCommandLine commandLine = ParseCommandLine(SplitCommandLine("\"my prog.for\" 12 7 -fps4"));
    QCOMPARE(commandLine.bError, 0);
    QCOMPARE(commandLine.bStrictTable, 1);
    QCOMPARE(commandLine.arrWords[0], std::string("my prog.for"));
}

void StartUpTest::takesTheShellsWordsAsTheyAre()
{
    // A name with blanks arrives from the shell as one argument and stays one word.
    QCOMPARE(CommandLineWords({"my prog.for", "12", "7", "-fps4"}), (Words{"my prog.for", "12", "7", "-fps4"}));
    // A whole command line handed over as one argument is split as a command line.
    QCOMPARE(CommandLineWords({"\"my prog.for\" 12 7 -fps4"}), (Words{"my prog.for", "12", "7", "-fps4"}));
    QCOMPARE(CommandLineWords({"prog.for"}), (Words{"prog.for"}));
}

void StartUpTest::acceptsThreeToFiveWordsAndTheTwoOptions_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<int>("error");
    QTest::addColumn<int>("debug");
    QTest::addColumn<int>("strict");
    QTest::addColumn<int>("form");  // the source form chosen (SourceForm)
    QTest::newRow("three words") << QStringList{"p.for", "12", "7"} << 0 << 0 << 0 << 0;
    QTest::newRow("no column") << QStringList{"p.for", "12"} << 1 << 0 << 0 << 0;
    QTest::newRow("no words") << QStringList{} << 1 << 0 << 0 << 0;
    QTest::newRow("nine words") << QStringList{"p.for",         "12", "7", "-fps4", "-d:1:l", "--free-form", "--exact",
                                               "--keep-layout", "x"}
                                << 1 << 0 << 0 << 0;
    // A source form beside the other two options, in any order and case.
    QTest::newRow("free form") << QStringList{"p.F", "12", "7", "--free-form"} << 0 << 0 << 0 << 2;
    QTest::newRow("all three") << QStringList{"p.f90", "12", "7", "--FIXED-form", "-d:1:l", "-fps4"} << 0 << 1 << 1
                               << 1;
    QTest::newRow("form first") << QStringList{"p.for", "12", "7", "--Free-Form", "-fps4"} << 0 << 0 << 1 << 2;
    QTest::newRow("same form twice") << QStringList{"p.for", "12", "7", "--free-form", "--free-form"} << 0 << 0 << 0
                                     << 2;
    QTest::newRow("both forms") << QStringList{"p.for", "12", "7", "--free-form", "--fixed-form"} << 1 << 0 << 0 << 2;
    QTest::newRow("form misspelt") << QStringList{"p.for", "12", "7", "--free"} << 1 << 0 << 0 << 0;
    QTest::newRow("unknown option") << QStringList{"p.for", "12", "7", "-x"} << 1 << 0 << 0 << 0;
    QTest::newRow("unknown after strict") << QStringList{"p.for", "12", "7", "-fps4", "-x"} << 1 << 0 << 1 << 0;
    QTest::newRow("debug, any case") << QStringList{"p.for", "12", "7", "-D:1:log.txt"} << 0 << 1 << 0 << 0;
    QTest::newRow("strict, any case") << QStringList{"p.for", "12", "7", "-FPS4"} << 0 << 0 << 1 << 0;
    QTest::newRow("both, strict first") << QStringList{"p.for", "12", "7", "-fps4", "-d:1:l"} << 0 << 1 << 1 << 0;
    QTest::newRow("both, debug first") << QStringList{"p.for", "12", "7", "-d:1:l", "-fps4"} << 0 << 1 << 1 << 0;
    QTest::newRow("option as third word") << QStringList{"p.for", "12", "-fps4"} << 0 << 0 << 0 << 0;
    QTest::newRow("short option") << QStringList{"p.for", "12", "7", "-d:1"} << 1 << 0 << 0 << 0;
    // A line must start with a number: "12abc" is line 12, "abc" no line.
    QTest::newRow("line with a tail") << QStringList{"p.for", "12abc", "7"} << 0 << 0 << 0 << 0;
    QTest::newRow("line below 1") << QStringList{"p.for", " -3", "7"} << 1 << 0 << 0 << 0;
    QTest::newRow("line no number") << QStringList{"p.for", "abc", "7"} << 1 << 0 << 0 << 0;
    QTest::newRow("line empty") << QStringList{"p.for", "", "7"} << 1 << 0 << 0 << 0;
    QTest::newRow("line a sign alone") << QStringList{"p.for", "+", "7", "-fps4"} << 1 << 0 << 1 << 0;
    // "--" ends the options: they stand before it, FILE LINE COLUMN after it.
    QTest::newRow("end of options") << QStringList{"-fps4", "-d:1:l", "--", "-x.for", "12", "7"} << 0 << 1 << 1 << 0;
    QTest::newRow("end of options alone") << QStringList{"--", "--free-form", "12", "7"} << 0 << 0 << 0 << 0;
    QTest::newRow("end of options last") << QStringList{"p.for", "12", "7", "--"} << 1 << 0 << 0 << 0;
    QTest::newRow("four words after the end") << QStringList{"--", "p.for", "12", "7", "-fps4"} << 1 << 0 << 0 << 0;
    QTest::newRow("unknown before the end") << QStringList{"-x", "--", "p.for", "12", "7"} << 1 << 0 << 0 << 0;
    // FILE alone picks the statement from a list; it cannot run unattended,
    // and a word that looks like an option is one unless "--" came first.
    QTest::newRow("file alone") << QStringList{"p.for"} << 0 << 0 << 0 << 0;
    QTest::newRow("file alone after the end")
        << QStringList{"-fps4", "--free-form", "--", "-x.for"} << 0 << 0 << 1 << 2;
    QTest::newRow("option alone") << QStringList{"-fps4"} << 1 << 0 << 0 << 0;
    QTest::newRow("file and an option") << QStringList{"p.for", "-fps4"} << 1 << 0 << 0 << 0;
    QTest::newRow("file alone unattended") << QStringList{"-d:1:l", "--", "p.for"} << 1 << 1 << 0 << 0;
    QTest::newRow("end of options alone, no file") << QStringList{"--"} << 1 << 0 << 0 << 0;
    QTest::newRow("an empty file name alone") << QStringList{""} << 1 << 0 << 0 << 0;
}

void StartUpTest::acceptsThreeToFiveWordsAndTheTwoOptions()
{
    QFETCH(QStringList, words);
    QFETCH(int, error);
    QFETCH(int, debug);
    QFETCH(int, strict);
    QFETCH(int, form);
    Words arrWords;
    for (const QString& word : words)
        arrWords.push_back(word.toStdString());
    const SCommandLine commandLine = ParseCommandLine(arrWords);
    QCOMPARE(commandLine.bError, error);
    QCOMPARE(commandLine.bDebug, debug);
    QCOMPARE(commandLine.bStrictTable, strict);
    QCOMPARE(int(commandLine.nSourceForm), form);
}

void StartUpTest::readsTheTwoSettingsOptionsBesideTheOthers()
{
    const SCommandLine all = ParseCommandLine(
        {"p.for", "12", "7", "--Exact", "-d:1:l", "--keep-layout", "-fps4", "--free-form"});
    QCOMPARE(all.bError, 0);
    QCOMPARE(all.bExact, 1);
    QCOMPARE(all.bKeepLayout, 1);
    QCOMPARE(all.bDebug, 1);
    QCOMPARE(all.bStrictTable, 1);
    const SCommandLine before = ParseCommandLine({"--keep-layout", "--", "p.for", "12", "7"});
    QCOMPARE(before.bError, 0);
    QCOMPARE(before.bExact, 0);
    QCOMPARE(before.bKeepLayout, 1);
    QCOMPARE(ParseCommandLine({"p.for", "12", "7", "--exactly"}).bError, 1);
    // A line below 1 names no line: a usage error, as in the text program.
    for (const char* pszLine : {"0", "-1", "00"})
        QCOMPARE(ParseCommandLine({"p.for", pszLine, "7"}).bError, 1);
    QCOMPARE(ParseCommandLine({"p.for", "12", "7", "--exact", "--exact", "--exact", "--exact", "--exact", "-x"}).bError,
             1);
}

void StartUpTest::leavesTheToolkitsOptionsOut()
{
    QCOMPARE(WithoutToolkitOptions({"-style", "fusion", "p.for", "12", "--platform=xcb", "7", "-reverse", "-fps4"}),
             (Words{"p.for", "12", "7", "-fps4"}));
    QCOMPARE(WithoutToolkitOptions({"-reverse", "--", "-style", "12", "7"}), (Words{"--", "-style", "12", "7"}));
    QCOMPARE(WithoutToolkitOptions({"p.for", "12", "7", "-styles"}), (Words{"p.for", "12", "7", "-styles"}));
    QCOMPARE(ParseCommandLine(WithoutToolkitOptions({"p.for", "12", "7", "-stylesheet", "a.qss"})).bError, 0);
}

void StartUpTest::readsTheFileAfterTheEndOfOptionsAsAFile()
{
    const SCommandLine commandLine = ParseCommandLine({"--fixed-form", "--", "-fps4", "12", "7"});
    QCOMPARE(commandLine.bError, 0);
    QCOMPARE(commandLine.bStrictTable, 0);
    QCOMPARE(int(commandLine.nSourceForm), int(SOURCE_FORM_FIXED));
    QCOMPARE(commandLine.arrWords, (Words{"-fps4", "12", "7", "--fixed-form"}));
    // Only the first "--" ends the options; a later one is the file's name.
    QCOMPARE(ParseCommandLine({"--", "--", "12", "7"}).arrWords, (Words{"--", "12", "7"}));
}

void StartUpTest::refusesALogThatIsTheSourceFileBeforeOpeningIt()
{
    QTemporaryDir dir;
    const QDir folder(dir.path());
    const std::string strFile = folder.filePath("prog.for").toStdString();
    const std::string strText = "  100 FORMAT(I5)\n";
    WriteWholeFile(strFile, strText);
    const std::string strSymlink = folder.filePath("link.for").toStdString();
    const std::string strHardLink = folder.filePath("hard.for").toStdString();
    QVERIFY(QFile::link(QString::fromStdString(strFile), QString::fromStdString(strSymlink)));
    QCOMPARE(::link(strFile.c_str(), strHardLink.c_str()), 0);
    QVERIFY(folder.mkdir("sub"));
    const std::string strRoundabout = folder.filePath("sub/.././prog.for").toStdString();
    for (const std::string& strLog : {strFile, strSymlink, strHardLink, strRoundabout}) {
        CProcessFlags flags;
        const SCommandLine commandLine = ParseCommandLine({strFile, "1", "7", "-fps4", "-D:1:" + strLog});
        QVERIFY2(commandLine.bError, strLog.c_str());
        QCOMPARE(CommandLineProblem(commandLine),
                 "the log \"" + strLog + "\" is the source file \"" + strFile + "\" itself");
        ApplyCommandLine(commandLine, flags);
        QCOMPARE(flags.m_bCommandLineError, 1);
        QCOMPARE(flags.m_bDebug, 1);  // unattended all the same
        QCOMPARE(flags.m_strDebugLog, std::string());
        QCOMPARE(ReadWholeFile(strFile), strText);
    }
    // Another file is a log like any other.
    const SCommandLine other = ParseCommandLine(
        {strFile, "1", "7", "-d:1:" + folder.filePath("prog.log").toStdString()});
    QCOMPARE(other.bError, 0);
    QCOMPARE(CommandLineProblem(other), std::string());
}

void StartUpTest::createsTheDebugLogEvenWhenTheOtherOptionIsBad()
{
    CProcessFlags flags;
    QTemporaryDir dir;
    const std::string strLog = QDir(dir.path()).filePath("run.log").toStdString();
    WriteWholeFile(strLog, "old contents\n");
    ApplyCommandLine(ParseCommandLine({"p.for", "1", "1", "-d:1:" + strLog, "-bad"}), flags);
    QCOMPARE(flags.m_bDebug, 1);
    QCOMPARE(flags.m_bCommandLineError, 1);
    QCOMPARE(flags.m_strDebugLog, strLog);
    QCOMPARE(ReadWholeFile(strLog), std::string("\n"));
}

void StartUpTest::convertsLineWordsAsTheCLibraryDoes()
{
    QCOMPARE(ConvertNumber("12"), 12LL);
    QCOMPARE(ConvertNumber("12abc"), 12LL);
    QCOMPARE(ConvertNumber("  +7"), 7LL);
    QCOMPARE(ConvertNumber("-3"), -3LL);
    QCOMPARE(ConvertNumber("abc"), 0LL);
    QCOMPARE(ConvertNumber(""), 0LL);
    QCOMPARE(ConvertNumber("99999999999999999999999999"), LLONG_MAX);
}

void StartUpTest::titlesTheWindowWithTheAbsolutePathAndTheLineAsTyped()
{
    QTemporaryDir dir;
    const QString strOld = QDir::currentPath();
    QDir::setCurrent(dir.path());
    const std::string strTitle = MakeWindowTitle("src/../prog.for", "12abc");
    QDir::setCurrent(strOld);
    const std::string strDir = QDir(dir.path()).canonicalPath().toStdString();
    const std::string strExpected = "Quillmark - " + strDir + "/prog.for - line 12abc";
    // The temporary folder may be reached through a link; the title keeps
    // the current directory's own spelling.
    QVERIFY2(strTitle == strExpected ||
                 strTitle == "Quillmark - " + dir.path().toStdString() + "/prog.for - line 12abc",
             strTitle.c_str());
    QCOMPARE(MakeWindowTitle("/abs/prog.for", "7"), std::string("Quillmark - /abs/prog.for - line 7"));
    QCOMPARE(MakeWindowTitle("/abs/prog.for", "7", "120"),
             std::string("Quillmark - /abs/prog.for - line 7 - label 120"));
}

void StartUpTest::rejectsABadCommandLineThroughTheHelpTopic_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::newRow("two words") << QStringList{"p.for", "12"};
    QTest::newRow("seven words") << QStringList{"p.for", "12", "7", "-fps4", "-fps4", "--free-form", "x"};
    QTest::newRow("both source forms") << QStringList{"p.for", "12", "7", "--fixed-form", "--free-form"};
    QTest::newRow("unknown option") << QStringList{"p.for", "12", "7", "-x"};
}

void StartUpTest::rejectsABadCommandLineThroughTheHelpTopic()
{
    QFETCH(QStringList, words);
    CRecordingPresenter presenter;
    CRecordingHelpViewer viewer;
    CEditorApp app({.pPresenter = &presenter, .pHelp = &viewer});
    Words arrWords;
    for (const QString& word : words)
        arrWords.push_back(word.toStdString());
    QVERIFY(!app.InitInstance(arrWords));
    QCOMPARE(app.Flags().m_bCommandLineError, 1);
    QVERIFY(!app.Frame()->isVisible());
    // No help file lies beside the test program, so the help request ends
    // in string 19 (with a help file the keyword topic opens: road_test).
    QCOMPARE(presenter.m_messages.size(), size_t(1));
    QCOMPARE(presenter.m_messages[0].text, std::string("Unable to find the helpfile \"KELDRANO.HLP\""));
    QCOMPARE(presenter.m_messages[0].owner, app.Owner());
    QCOMPARE(app.ExitInstance(), int(EXIT_BAD_COMMAND_LINE));
    QCOMPARE(viewer.m_nQuits, 0);  // the help stays open after the program
}

void StartUpTest::opensTheStatementWithItsButtonsAndHotKeys()
{
    QTemporaryDir dir;
    const std::string strFile = QDir(dir.path()).filePath("prog.for").toStdString();
    WriteWholeFile(strFile, "C     Report\n  100 FORMAT(I5,F7.3)\n      END\n");
    CRecordingPresenter presenter;
    CRecordingHelpViewer viewer;
    CEditorApp app({.pPresenter = &presenter, .pHelp = &viewer});
    QVERIFY(app.InitInstance({strFile, "2abc", "7", "-fps4"}));
    CEditorFrame* pFrame = app.Frame();
    QCOMPARE(app.Flags().m_bStrictTable, 1);
    QCOMPARE(app.List().size(), 2);
    // The title names the table in force.
    QCOMPARE(pFrame->windowTitle(), QString::fromStdString("Quillmark - " + strFile + " - line 2abc - strict table"));
    QVERIFY(QTest::qWaitForWindowActive(pFrame));
    // The settings are the menu of a button the window shows, the very
    // items of the strip's context menu, and a screen reader lists it.
    QPushButton* pSettings = pFrame->SettingsButton();
    QVERIFY(pSettings->isVisible());
    QCOMPARE(pSettings->text(), QString("&Settings"));
    QCOMPARE(pSettings->menu()->actions(), pFrame->Strip()->actions());
    QAccessibleInterface* pWindow = QAccessible::queryAccessibleInterface(pFrame);
    QVERIFY(pWindow->indexOfChild(QAccessible::queryAccessibleInterface(pSettings)) >= 0);
    // Dialogs and message boxes keep the desktop's colours.
    QCOMPARE(QApplication::palette("QDialog"), QApplication::palette());
    QCOMPARE(QApplication::palette("QMessageBox"), QApplication::palette());

    const char* const captions[] = {"&New Field...", "&Remove Field", "&Change Value...", "OK", "Cancel", "&Help"};
    for (int nRow = 1; nRow <= 6; ++nRow) {
        auto* pButton = qobject_cast<QPushButton*>(pFrame->Control(nRow));
        QVERIFY(pButton != nullptr);
        QCOMPARE(pButton->text(), QString::fromLatin1(captions[nRow - 1]));
        QVERIFY(pButton->isVisible());
    }
    QCOMPARE(pFrame->Control(0)->windowTitle(), QString("&Format Statement"));
    QCOMPARE(pFrame->Control(7), nullptr);

    const char letters[] = {'F', 'N', 'R', 'C', 0, 0, 'H', 0};
    for (int nRow = 0; nRow < 8; ++nRow)
        QCOMPARE(pFrame->HotKeyLetter(nRow), letters[nRow]);
    QCOMPARE(pFrame->HotKeyRow(Qt::Key_F), 0);
    QCOMPARE(pFrame->HotKeyRow(Qt::Key_N), 1);
    QCOMPARE(pFrame->HotKeyRow(Qt::Key_R), 2);
    QCOMPARE(pFrame->HotKeyRow(Qt::Key_C), 3);
    QCOMPARE(pFrame->HotKeyRow(Qt::Key_H), 6);
    QCOMPARE(pFrame->HotKeyRow(Qt::Key_O), -1);
    QCOMPARE(pFrame->HotKeyRow(0), -1);  // OK and Cancel have no key

    QCOMPARE(pFrame->CurrentControl(), 0);
    QCOMPARE(QApplication::focusWidget()->parentWidget(), pFrame->Control(0));  // the strip's editor
    QVERIFY(qobject_cast<QPushButton*>(pFrame->Control(4))->isDefault());
    QVERIFY(presenter.m_messages.empty());

    QCOMPARE(app.ExitInstance(), int(EXIT_NOT_WRITTEN));
    QCOMPARE(viewer.m_nQuits, 1);
    QCOMPARE(ReadWholeFile(strFile), std::string("C     Report\n  100 FORMAT(I5,F7.3)\n      END\n"));
}

void StartUpTest::savesByItselfInDebugMode()
{
    QTemporaryDir dir;
    const std::string strFile = QDir(dir.path()).filePath("prog.for").toStdString();
    const std::string strLog = QDir(dir.path()).filePath("run.log").toStdString();
    WriteWholeFile(strFile, "  100 FORMAT(I5,F7.3)\n      END\n");
    CRecordingPresenter presenter;
    CRecordingHelpViewer viewer;
    CEditorApp app({.pPresenter = &presenter, .pHelp = &viewer});
    QVERIFY(app.InitInstance({strFile, "1", "7", "-d:1:" + strLog}));
    QCOMPARE(ReadWholeFile(strLog), std::string("\n"));
    QTRY_VERIFY(!app.Frame()->isVisible());
    QVERIFY(app.Frame()->FileWritten());
    QCOMPARE(ReadWholeFile(strFile), std::string("  100 FORMAT(I5, F7.3)\n      END\n"));
    QCOMPARE(ReadWholeFile(strLog), std::string("\n"));
    QVERIFY(presenter.m_messages.empty());
    QCOMPARE(app.ExitInstance(), int(EXIT_WRITTEN));
}

void StartUpTest::startsANewLabelledStatementInTheChosenForm()
{
    // A .F file holding free-form code: --free-form reads it so, and the new
    // statement on the blank line gets the first label the file leaves free,
    // at the start of the line; the title names it.
    QTemporaryDir dir;
    const std::string strFile = QDir(dir.path()).filePath("prog.F").toStdString();
    const std::string strLog = QDir(dir.path()).filePath("run.log").toStdString();
    WriteWholeFile(strFile, "program p\n100 format (i3)\n\nend program p\n");
    CRecordingPresenter presenter;
    CRecordingHelpViewer viewer;
    CEditorApp app({.pPresenter = &presenter, .pHelp = &viewer});
    QVERIFY(app.InitInstance({strFile, "3", "1", "-d:1:" + strLog, "--FREE-FORM"}));
    QCOMPARE(app.Frame()->windowTitle(),
             QString::fromStdString("Quillmark - " + strFile + " - line 3 - label 110 - default table"));
    QTRY_VERIFY(!app.Frame()->isVisible());
    QCOMPARE(ReadWholeFile(strFile),
             std::string("program p\n100 format (i3)\n110 FORMAT('First Descriptor')\nend program p\n"));
    QCOMPARE(ReadWholeFile(strLog), std::string("\n"));
    QCOMPARE(app.ExitInstance(), int(EXIT_WRITTEN));
}

void StartUpTest::endsWithoutAWindowWhenTheStatementIsNotFound()
{
    QTemporaryDir dir;
    const std::string strFile = QDir(dir.path()).filePath("prog.for").toStdString();
    WriteWholeFile(strFile, "      X = 1\n      END\n");
    CRecordingPresenter presenter;
    CEditorApp app({.pPresenter = &presenter});
    QVERIFY(!app.InitInstance({strFile, "1", "7"}));
    QVERIFY(!app.Frame()->isVisible());
    QCOMPARE(presenter.m_messages.size(), size_t(1));
    QCOMPARE(presenter.m_messages[0].owner, app.Owner());
    QCOMPARE(app.ExitInstance(), int(EXIT_NOT_WRITTEN));
}

QTEST_MAIN(StartUpTest)
#include "startup_test.moc"
