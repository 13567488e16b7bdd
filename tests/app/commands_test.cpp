// The window's field commands: New Field, Remove Field and Change Value, run
// with their dialogs filled as a user would fill them; and where OK leaves
// the exit status when Save As put the statement into another file.
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>
#include <deque>
#include <functional>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

#include "change_value_dialog.h"
#include "control_table.h"
#include "descriptor_list.h"
#include "dialog_runner.h"
#include "edit_history.h"
#include "editor_app.h"
#include "editor_frame.h"
#include "field_strip.h"
#include "gui_helpers.h"
#include "new_field_dialog.h"
#include "recording_presenter.h"
#include "statement_site.h"
#include "statement_writer.h"

namespace {

using DialogStep = std::function<void(QDialog&)>;

// Runs each dialog with the next step of a script instead of a user; a
// dialog the script has no step for is cancelled.
class CScriptedDialogs : public IDialogRunner {
public:
    CScriptedDialogs() = default;
    CScriptedDialogs(const CScriptedDialogs&) = delete;
    CScriptedDialogs& operator=(const CScriptedDialogs&) = delete;

    int Run(QDialog& dialog) override
    {
        m_titles.push_back(dialog.windowTitle());
        if (m_steps.empty()) {
            dialog.reject();
        } else {
            const DialogStep step = m_steps.front();
            m_steps.pop_front();
            step(dialog);
        }
        return dialog.result();
    }

    std::deque<DialogStep> m_steps;
    QStringList m_titles;
};

// New Field steps: choose a type (and type a custom text), then insert.
DialogStep Insert(int nType, bool bAfter, const char* pszCustom = "")
{
    return [=](QDialog& d) {
        auto& dialog = dynamic_cast<CNewFieldDlg&>(d);
        QVERIFY(dialog.TypeButton(TYPE_STRING)->isChecked());  // how it opens
        QVERIFY(!dialog.CustomBox()->isEnabled());
        dialog.TypeButton(nType)->click();
        if (nType == TYPE_CUSTOM)
            dialog.CustomBox()->setText(QString::fromLatin1(pszCustom));
        (bAfter ? dialog.InsertAfterButton() : dialog.InsertBeforeButton())->click();
    };
}

// Change Value steps: type a value and press OK, or press Set to Default.
// The box opens with the value shown, selected, so that typing replaces it.
DialogStep Value(const char* pszValue, const char* pszShown = nullptr)
{
    return [=](QDialog& d) {
        auto& dialog = dynamic_cast<CChangeValueDlg&>(d);
        if (pszShown != nullptr) {
            QCOMPARE(dialog.ValueBox()->text(), QString::fromLatin1(pszShown));
            QCOMPARE(dialog.ValueBox()->selectedText(), QString::fromLatin1(pszShown));
        }
        if (pszValue != nullptr)
            dialog.ValueBox()->setText(QString::fromLatin1(pszValue));
        dialog.OkButton()->click();
    };
}

DialogStep SetToDefault(const char* pszTyped)
{
    return [=](QDialog& d) {
        auto& dialog = dynamic_cast<CChangeValueDlg&>(d);
        dialog.ValueBox()->setText(QString::fromLatin1(pszTyped));
        dialog.SetToDefaultButton()->click();
    };
}

// A shown main window over the given descriptors; its file does not exist.
struct SWindow {
    explicit SWindow(const std::vector<const char*>& texts, const SStandIns& standIns = {}, bool bStrictTable = false)
        : run(standIns)
    {
        // The table the command line chose (-fps4), as start-up gives it the list.
        list.SetTable(bStrictTable ? StrictDescriptorTable() : DefaultDescriptorTable());
        for (const char* pszText : texts)
            list.InsertDescriptor(list.size(), pszText);
        site.m_strFileName = "/no/such/dir/prog.for";
        site.m_strHead = "  100 FORMAT";
        site.m_bFixedForm = 1;
        site.m_chDelimiter = 'f';
        pFrame = std::make_unique<CEditorFrame>(list, site, run.Context());
        pFrame->CreateControls();
        pFrame->SetCurrentControl(kStripRow);
        pFrame->show();
        if (!QTest::qWaitForWindowActive(pFrame.get()))
            qFatal("the window did not become active");
    }

    CFieldStrip& Strip() const { return *pFrame->Strip(); }
    std::vector<std::string> Texts() const
    {
        std::vector<std::string> texts;
        for (int i = 0; i < list.size(); ++i)
            texts.push_back(list.At(i).Text());
        return texts;
    }
    void Command(int nCommand) { pFrame->CommandAction(nCommand)->trigger(); }
    void GoTo(SCellRef cell)
    {
        Strip().SetFocusId(cell);
        Strip().GiveFocus();
    }

    // After every command the strip is current, OK the default button, and
    // the editor holds the current field.
    void VerifyBackOnTheStrip() const
    {
        QCOMPARE(pFrame->CurrentControl(), kStripRow);
        QVERIFY(qobject_cast<QPushButton*>(pFrame->Control(kOkRow))->isDefault());
        QCOMPARE(QApplication::focusWidget()->parentWidget(), pFrame->Control(kStripRow));
        std::string strText;
        const int i = Strip().CurrentIndex();
        if (IsSampleRow(Strip().CurrentId()))
            list.GetSample(i, strText);
        else
            list.GetText(i, strText);
        QCOMPARE(qobject_cast<QLineEdit*>(QApplication::focusWidget())->text().toStdString(), strText);
        QCOMPARE(Strip().CellCount(), list.size());
    }

    CTestRun run;
    CDescriptorList list;
    CStatementSite site;
    std::unique_ptr<CEditorFrame> pFrame;
};

using Texts = std::vector<std::string>;

// Standard error into a file for the life of the object.
class CStandardErrorCapture {
public:
    explicit CStandardErrorCapture(const std::string& strFile)
    {
        std::fflush(stderr);
        m_nSaved = dup(STDERR_FILENO);
        std::FILE* pFile = std::freopen(strFile.c_str(), "w", stderr);
        (void)pFile;
    }
    ~CStandardErrorCapture()
    {
        std::fflush(stderr);
        dup2(m_nSaved, STDERR_FILENO);
        close(m_nSaved);
    }
    CStandardErrorCapture(const CStandardErrorCapture&) = delete;
    CStandardErrorCapture& operator=(const CStandardErrorCapture&) = delete;

private:
    int m_nSaved;
};

}  // namespace

class CommandsTest : public QObject {
    Q_OBJECT

private slots:
    void newFieldInsertsBeforeOrAfterAndTheNewFieldIsCurrent();
    void newFieldRefusesATextThatIsNoDescriptor();
    void theStrictTableRefusesACustomF();
    void removeFieldKeepsOneAndMovesToTheNewLast();
    void changeValueShowsTheValueOrTheDefault();
    void saveAsIntoAnotherFileIsNoRewrite();
    void theEmptyListStartsFromAnEmptyFieldAndOkKeepsIt();
};

void CommandsTest::newFieldInsertsBeforeOrAfterAndTheNewFieldIsCurrent()
{
    CRecordingPresenter presenter;
    CScriptedDialogs dialogs;
    SWindow window({"1X", "I5", "F7.2"}, {.pPresenter = &presenter, .pDialogs = &dialogs});
    dialogs.m_steps = {Insert(TYPE_CUSTOM, true, "3X")};
    window.Command(CMD_NEW_FIELD);
    QCOMPARE(window.Texts(), (Texts{"1X", "3X", "I5", "F7.2"}));
    QCOMPARE(window.Strip().CurrentId(), TextCellId(1));
    window.VerifyBackOnTheStrip();

    // Before the last field, in the sample row: the new field takes its
    // place and is current, in the same row.
    window.GoTo(SampleCellId(3));
    dialogs.m_steps = {Insert(TYPE_INTEGER, false)};
    window.Command(CMD_NEW_FIELD);
    QCOMPARE(window.Texts(), (Texts{"1X", "3X", "I5", "I5", "F7.2"}));
    QCOMPARE(window.Strip().CurrentId(), SampleCellId(3));
    window.VerifyBackOnTheStrip();

    // After the last field: appended. Before the first: prepended.
    window.GoTo(TextCellId(4));
    dialogs.m_steps = {Insert(TYPE_SCIENTIFIC, true)};
    window.Command(CMD_NEW_FIELD);
    QCOMPARE(window.list.At(5).Text(), std::string("E15.8"));
    QCOMPARE(window.Strip().CurrentId(), TextCellId(5));
    window.GoTo(TextCellId(0));
    dialogs.m_steps = {Insert(TYPE_STRING, false)};
    window.Command(CMD_NEW_FIELD);
    QCOMPARE(window.list.At(0).Text(), std::string("'Character String'"));
    QCOMPARE(window.Strip().CurrentId(), TextCellId(0));
    window.VerifyBackOnTheStrip();

    // Cancel changes nothing and still returns to the strip.
    window.pFrame->SetCurrentControl(1);
    window.Command(CMD_NEW_FIELD);
    QCOMPARE(window.list.size(), 7);
    window.VerifyBackOnTheStrip();
    QCOMPARE(dialogs.m_titles, (QStringList(5, "New Field")));
    QVERIFY(presenter.m_messages.empty());
}

// A Custom text that is no descriptor keeps the dialog open: the reason is
// shown inside it (the status line's words, no message box), the text
// stays, selected, and a corrected text inserts. A Character String
// inserted has its characters selected, so that typing replaces them.
void CommandsTest::newFieldRefusesATextThatIsNoDescriptor()
{
    CRecordingPresenter presenter;
    CScriptedDialogs dialogs;
    SWindow window({"I5", "F7.2", ")"}, {.pPresenter = &presenter, .pDialogs = &dialogs});
    window.GoTo(TextCellId(1));
    dialogs.m_steps = {[&](QDialog& d) {
        auto& dialog = dynamic_cast<CNewFieldDlg&>(d);
        const std::pair<const char*, const char*> refused[] = {
            {"F7.", "F7.: F is written F or Fw.d"},
            {"3(I5", "3(I5: ( is written ("},
            {"", "nothing typed"},
        };
        for (const auto& [pszTyped, pszReason] : refused) {
            Insert(TYPE_CUSTOM, false, pszTyped)(d);
            QCOMPARE(d.result(), 0);  // not ended
            QCOMPARE(window.Texts(), (Texts{"I5", "F7.2", ")"}));
            QCOMPARE(dialog.CustomBox()->text(), QString(pszTyped));
            QCOMPARE(dialog.CustomBox()->selectedText(), QString(pszTyped));
            QVERIFY(!dialog.ReasonLabel()->isHidden());
            QCOMPARE(dialog.ReasonLabel()->text(), QString(pszReason));
            dialog.TypeButton(TYPE_STRING)->click();
        }
        // Typing again clears the reason.
        dialog.TypeButton(TYPE_CUSTOM)->click();
        dialog.CustomBox()->setText("F7.");
        dialog.InsertBeforeButton()->click();
        QTest::keyClick(dialog.CustomBox(), Qt::Key_End);
        QTest::keyClicks(dialog.CustomBox(), "3");
        QVERIFY(dialog.ReasonLabel()->isHidden());
        dialog.InsertBeforeButton()->click();
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QVERIFY(!dialog.m_bAfter);
    }};
    window.Command(CMD_NEW_FIELD);
    QCOMPARE(window.Texts(), (Texts{"I5", "F7.3", "F7.2", ")"}));
    QCOMPARE(window.Strip().CurrentId(), TextCellId(1));
    window.VerifyBackOnTheStrip();
    QVERIFY(presenter.m_messages.empty());

    // A group opener right before a ")" gives the model's own reason.
    window.GoTo(TextCellId(3));
    dialogs.m_steps = {[&](QDialog& d) {
        auto& dialog = dynamic_cast<CNewFieldDlg&>(d);
        Insert(TYPE_CUSTOM, false, "2(")(d);
        QCOMPARE(dialog.ReasonLabel()->text(), QString("A group must hold at least one descriptor"));
    }};
    window.Command(CMD_NEW_FIELD);
    QCOMPARE(window.list.size(), 4);

    dialogs.m_steps = {Insert(TYPE_STRING, true)};
    window.Command(CMD_NEW_FIELD);
    auto* pEditor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    QCOMPARE(pEditor->selectedText(), QString("Character String"));
    QTest::keyClicks(pEditor, "Total:");
    QCOMPARE(window.list.At(4).Text(), std::string("'Total:'"));
    QVERIFY(presenter.m_messages.empty());
}

void CommandsTest::theStrictTableRefusesACustomF()
{
    for (int bStrict : {1, 0}) {
        CRecordingPresenter presenter;
        CScriptedDialogs dialogs;
        SWindow window({"I5"}, {.pPresenter = &presenter, .pDialogs = &dialogs}, bStrict);
        QString strReason;
        dialogs.m_steps = {[&](QDialog& d) {
            Insert(TYPE_CUSTOM, true, "F")(d);
            strReason = dynamic_cast<CNewFieldDlg&>(d).ReasonLabel()->text();
        }};
        window.Command(CMD_NEW_FIELD);
        QCOMPARE(window.Texts(), (bStrict ? Texts{"I5"} : Texts{"I5", "F"}));
        QCOMPARE(strReason.isEmpty(), !bStrict);
        QVERIFY(presenter.m_messages.empty());
        window.VerifyBackOnTheStrip();
    }
}

void CommandsTest::removeFieldKeepsOneAndMovesToTheNewLast()
{
    CRecordingPresenter presenter;
    SWindow window({"1X", "I5", "F7.2"}, {.pPresenter = &presenter});
    // The last of several, from the sample row: the new last field is
    // current, in the sample row.
    window.GoTo(SampleCellId(2));
    window.Command(CMD_REMOVE_FIELD);
    QCOMPARE(window.Texts(), (Texts{"1X", "I5"}));
    QCOMPARE(window.Strip().CurrentId(), SampleCellId(1));
    window.VerifyBackOnTheStrip();
    // One in the middle: the next one takes its place.
    window.GoTo(TextCellId(0));
    window.Command(CMD_REMOVE_FIELD);
    QCOMPARE(window.Texts(), (Texts{"I5"}));
    QCOMPARE(window.Strip().CurrentId(), TextCellId(0));
    // The last one stays.
    window.Command(CMD_REMOVE_FIELD);
    QCOMPARE(window.Texts(), (Texts{"I5"}));
    QCOMPARE(presenter.m_messages.size(), size_t(1));
    QCOMPARE(presenter.m_messages[0].text, std::string("A Format statement must have at least one descriptor"));
    QCOMPARE(presenter.m_messages[0].style, kWarningMessage);
    window.VerifyBackOnTheStrip();
}

void CommandsTest::changeValueShowsTheValueOrTheDefault()
{
    CRecordingPresenter presenter;
    CScriptedDialogs dialogs;
    SWindow window({"1X", "I5", "A"}, {.pPresenter = &presenter, .pDialogs = &dialogs});
    window.GoTo(TextCellId(1));
    // The dialog opens beside the field, below it, not over its text or
    // sample, and on the screen.
    const QRect text = window.Strip().TextCell(1)->Rect();
    const QRect field((text | window.Strip().SampleCell(1)->Rect()).translated(window.Strip().mapToGlobal(QPoint())));
    dialogs.m_steps = {[&](QDialog& d) {
        const QRect placed = d.frameGeometry();
        QVERIFY2(!placed.intersects(field), qPrintable(QString("at %1,%2").arg(placed.x()).arg(placed.y())));
        QVERIFY(d.screen()->availableGeometry().contains(placed));
        QCOMPARE(placed.left(), field.left());
        QVERIFY(placed.top() > field.bottom() && placed.top() - field.bottom() < text.height());
        Value(nullptr, "12345")(d);  // OK on the sample shown: still the default
    }};
    window.Command(CMD_CHANGE_VALUE);
    QCOMPARE(window.list.At(1).Value(), std::string());
    QVERIFY(!window.Strip().History().IsChanged());
    dialogs.m_steps = {Value("42", "12345"), Value("abc", "42"), SetToDefault("7")};
    window.Command(CMD_CHANGE_VALUE);
    QCOMPARE(window.Strip().SampleCell(1)->Text(), std::string("   42"));
    QCOMPARE(window.list.At(1).Text(), std::string("I5"));
    window.VerifyBackOnTheStrip();
    // A value the field cannot print shows as asterisks; it is no refusal.
    window.Command(CMD_CHANGE_VALUE);
    QCOMPARE(window.Strip().SampleCell(1)->Text(), std::string("*****"));
    // Set to Default after typing: the default sample again.
    window.Command(CMD_CHANGE_VALUE);
    QCOMPARE(window.list.At(1).Value(), std::string());
    QCOMPARE(window.Strip().SampleCell(1)->Text(), std::string("12345"));
    QVERIFY(presenter.m_messages.empty());
    QCOMPARE(dialogs.m_titles, (QStringList(4, "Change Value for I5")));

    // A value of the character field: shown as it is.
    window.GoTo(TextCellId(2));
    dialogs.m_steps = {Value("kept")};
    window.Command(CMD_CHANGE_VALUE);
    QCOMPARE(window.Strip().SampleCell(2)->Text(), std::string("kept"));
    window.VerifyBackOnTheStrip();
}

void CommandsTest::saveAsIntoAnotherFileIsNoRewrite()
{
    QTemporaryDir dir;
    const std::string strFile = QDir(dir.path()).filePath("ro.f90").toStdString();
    const std::string strCopy = QDir(dir.path()).filePath("copy.f90").toStdString();
    const std::string strSource = "program p\n100 format(i5)\nend program p\n";
    WriteWholeFile(strFile, strSource);
    QCOMPARE(chmod(strFile.c_str(), 0444), 0);

    CRecordingPresenter presenter;
    CEditorApp app({.pPresenter = &presenter});
    presenter.m_answers = {MessageAnswer::YES, MessageAnswer::OK};  // show the read-only file; then save elsewhere
    struct CChooser : ISaveAsDialog {
        std::string strChosen;
        std::string strProposed;
        bool bFixed = true;
        bool AskFileName(OwnerHandle, bool bFixedForm, std::string& path) override
        {
            strProposed = path;
            bFixed = bFixedForm;
            path = strChosen;
            return true;
        }
    } chooser;
    chooser.strChosen = strCopy;
    QVERIFY(app.InitInstance({strFile, "2", "1"}));
    app.Frame()->SetSaveAsDialog(&chooser);
    app.Frame()->CommandAction(CMD_OK)->trigger();
    QCOMPARE(chooser.strProposed, strFile);
    QVERIFY(!chooser.bFixed);
    QCOMPARE(ReadWholeFile(strCopy), strSource);
    QVERIFY(!app.Frame()->FileWritten());
    QCOMPARE(app.Frame()->SavedElsewhere(), strCopy);

    // The opened file did not change: no reload, and standard error says
    // where the statement went.
    const std::string strErr = QDir(dir.path()).filePath("stderr.txt").toStdString();
    int nStatus = 0;
    {
        CStandardErrorCapture capture(strErr);
        nStatus = app.ExitInstance();
    }
    QCOMPARE(nStatus, int(EXIT_NOT_WRITTEN));
    QCOMPARE(ReadWholeFile(strErr),
             "quillmark: the statement was saved in \"" + strCopy + "\"; \"" + strFile + "\" is unchanged\n");
    QCOMPARE(ReadWholeFile(strFile), strSource);
}

QTEST_MAIN(CommandsTest)
// The empty list "()" opens as one empty field; OK without an edit writes
// "()" back, and New Field starts the list from it.
void CommandsTest::theEmptyListStartsFromAnEmptyFieldAndOkKeepsIt()
{
    CRecordingPresenter presenter;
    CRecordingHelpViewer viewer;
    CScriptedDialogs dialogs;
    QTemporaryDir dir;
    const std::string strFile = QDir(dir.path()).filePath("prog.for").toStdString();
    const std::string strOriginal = "      WRITE (6, 110)\n  110 FORMAT()\n      END\n";
    WriteWholeFile(strFile, strOriginal);
    {
        CEditorApp app({.pPresenter = &presenter, .pDialogs = &dialogs, .pHelp = &viewer});
        QVERIFY(app.InitInstance({strFile, "2", "7"}));
        QVERIFY(QTest::qWaitForWindowActive(app.Frame()));
        QCOMPARE(app.List().size(), 1);
        QCOMPARE(app.List().At(0).Kind(), int(KIND_EMPTY));
        QCOMPARE(app.Frame()->Strip()->CellCount(), 1);
        QCOMPARE(qobject_cast<QLineEdit*>(QApplication::focusWidget())->text(), QString());
        app.Frame()->CommandAction(CMD_OK)->trigger();
        QVERIFY(app.Frame()->FileWritten());
        QCOMPARE(ReadWholeFile(strFile), strOriginal);
    }
    {
        CEditorApp app({.pPresenter = &presenter, .pDialogs = &dialogs, .pHelp = &viewer});
        QVERIFY(app.InitInstance({strFile, "2", "7"}));
        QVERIFY(QTest::qWaitForWindowActive(app.Frame()));
        dialogs.m_steps = {Insert(TYPE_CUSTOM, true, "I0"), Insert(TYPE_CUSTOM, true, "\"n =\"")};
        app.Frame()->CommandAction(CMD_NEW_FIELD)->trigger();
        app.Frame()->CommandAction(CMD_NEW_FIELD)->trigger();
        QCOMPARE(app.List().size(), 3);
        QCOMPARE(app.Frame()->Strip()->CellCount(), 3);
        app.Frame()->CommandAction(CMD_OK)->trigger();
        QVERIFY(app.Frame()->FileWritten());
        QCOMPARE(ReadWholeFile(strFile), std::string("      WRITE (6, 110)\n  110 FORMAT(I0, \"n =\")\n      END\n"));
    }
    QVERIFY(presenter.m_messages.empty());
}

#include "commands_test.moc"
