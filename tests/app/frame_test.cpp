// The main window: its size, its keyboard model and its commands.
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolTip>
#include <QtTest>
#include <memory>

#include "control_table.h"
#include "descriptor_list.h"
#include "dialog_runner.h"
#include "edit_history.h"
#include "editor_frame.h"
#include "exact_sample.h"
#include "field_cell.h"
#include "field_description.h"
#include "field_edit.h"
#include "field_strip.h"
#include "format_items.h"
#include "gui_helpers.h"
#include "preferences.h"
#include "recording_presenter.h"
#include "statement_locator.h"
#include "statement_site.h"
#include "string_table.h"

namespace {

const char* const kUnbalanced = "Mismatched repeatables detected in Format statement\nExit aborted";
const char* const kSaveFailed = "Unable to save FORMAT statement to file\nExit anyway?";
const char* const kNoHelpFile = "Unable to find the helpfile \"KELDRANO.HLP\"";

// Answers each box the window runs (the question before discarding) by
// clicking the button with the given caption, and notes what it asked.
class CAnsweringBoxes : public IDialogRunner {
public:
    explicit CAnsweringBoxes(const char* pszAnswer) : m_strAnswer(pszAnswer) {}
    CAnsweringBoxes(const CAnsweringBoxes&) = delete;
    CAnsweringBoxes& operator=(const CAnsweringBoxes&) = delete;

    int Run(QDialog& dialog) override
    {
        auto* pBox = qobject_cast<QMessageBox*>(&dialog);
        if (pBox == nullptr)
            return dialog.result();
        m_questions << pBox->text();
        QStringList captions;
        for (QAbstractButton* pButton : pBox->buttons())
            captions << pButton->text();
        m_captions = captions;
        // The standard buttons, in the order of the enum.
        m_roles.clear();
        for (const auto& [button, strName] :
             {std::pair{QMessageBox::Save, "Save"}, {QMessageBox::Discard, "Discard"}, {QMessageBox::Cancel, "Cancel"}})
            if (pBox->button(button) != nullptr)
                m_roles << strName;
        m_strDefault = pBox->defaultButton() != nullptr ? pBox->defaultButton()->text() : QString();
        m_strEscape = pBox->escapeButton() != nullptr ? pBox->escapeButton()->text() : QString();
        for (QAbstractButton* pButton : pBox->buttons())
            if (pButton->text() == m_strAnswer)
                pButton->click();
        return dialog.result();
    }

    QString m_strAnswer;
    QStringList m_questions;
    QStringList m_captions;
    QStringList m_roles;
    QString m_strDefault;
    QString m_strEscape;
};

const char* const kSave = "&Save";
const char* const kDiscard = "&Discard";
const char* const kKeepEditing = "&Keep editing";
const char* const kDiscardQuestion = "Discard the changes to the FORMAT statement?";

// A shown main window over a list of the given descriptors, whose file
// does not exist; or over the statement located at a line of a real file.
struct SWindow {
    explicit SWindow(const std::vector<const char*>& texts, const SStandIns& standIns = {}) : run(standIns)
    {
        for (const char* pszText : texts)
            list.InsertDescriptor(list.size(), pszText);
        site.m_strFileName = "/no/such/dir/prog.for";
        site.m_nFirstLine = 1;
        site.m_arrLines = {1};
        site.m_strHead = "  100 FORMAT";
        site.m_strTail = "\n";
        site.m_bFixedForm = 1;
        site.m_chDelimiter = 'f';
        Open();
    }
    SWindow(const std::string& strFile, long long nLine, const SStandIns& standIns = {}, bool bUses = false)
        : run(standIns)
    {
        SStatementRequest request;
        request.strFile = strFile;
        request.nLine = nLine;
        request.nColumn = 7;
        CNoQuestions questions;
        CResult result;
        bLocated = LocateStatement(request, list, site, questions, result) == LOCATE_FOUND;
        // the statements that use it, as start-up reads them
        Open(bUses ? FormatItemsInFile(strFile, SOURCE_FORM_BY_SUFFIX, "", nLine, 7) : SFormatItems());
    }
    void Open(SFormatItems uses = {})
    {
        pFrame = std::make_unique<CEditorFrame>(list, site, run.Context());
        pFrame->SetUses(std::move(uses));
        pFrame->CreateControls();
        pFrame->SetCurrentControl(kStripRow);
        pFrame->show();
    }
    QWidget* Focus() const { return QApplication::focusWidget(); }
    // The control holding the focus: the strip while its editor has it.
    QWidget* FocusControl() const
    {
        QWidget* pFocus = Focus();
        return pFocus != nullptr && pFocus->parentWidget() == pFrame->Control(0) ? pFocus->parentWidget() : pFocus;
    }
    QPushButton* Button(int nRow) const { return qobject_cast<QPushButton*>(pFrame->Control(nRow)); }

    CTestRun run;
    CDescriptorList list;
    CStatementSite site;
    bool bLocated = false;
    std::unique_ptr<CEditorFrame> pFrame;
};

}  // namespace

class FrameTest : public QObject {
    Q_OBJECT

private slots:
    void aDroppedFileStartsItsOwnProgramAndLeavesTheWindow();

    void keepsItsHeightAndAMinimumWidthOf76Characters();
    void laysTheButtonsOutInsideTheWindowWithoutOverlap_data();
    void laysTheButtonsOutInsideTheWindowWithoutOverlap();
    void tabAndShiftTabCycleThroughTheControlsWithTheDefaultButton();
    void enterInTheStripActsAsOk();
    void enterOnAButtonActsAsThatButton();
    void escapeActsAsCancelFromAnyControl();
    void altLetterMakesItsControlCurrentAndRunsItsCommand();
    void aClickMakesItsControlCurrent();
    void okRefusesUnbalancedParentheses();
    void okAsksToExitAnywayWhenTheWriteFails();
    void okInDebugModeClosesAfterAFailedWrite();
    void okTakesTheCurrentFieldBackToItsLastGoodState();
    void keysReachTheEditorButEnterEscapeAndTabKeepTheirMeaning();
    void aRefusedOkShowsTheFieldTakenBack();
    void closingQuitsTheHelpViewerUnlessTheCommandLineWasBad();
    void theStripsSettingsSwitchTheSamplesAndAreStoredWhenAsked();
    void theWindowIsAFrameToAssistiveTechnology();
    void theStatusLineFollowsTheCurrentFieldAndEveryKey();
    void theWindowGrewByExactlyTheStatusLine();
    void theButtonsTipsNameTheirKeysAndAFieldsTipIsItsStatus();
    void undoAndRedoKeysGoToTheWindowsHistory();
    void theStatementsThatUseTheFormatMarkItsFieldsAndGoByKeys();
    void aFormatNoStatementUsesSaysSo();
    void theDiscardQuestionComesOnlyAfterAChange();

private:
    // A fixed-form source file holding the text, in this test's own folder.
    std::string SourceFile(const char* pszText)
    {
        const std::string strFile = QDir(m_dir.path()).filePath("prog.for").toStdString();
        WriteWholeFile(strFile, pszText);
        return strFile;
    }

    QTemporaryDir m_dir;
};

// Local files dropped on the window each start a program of their own; a
// drop of anything else is refused; the window's statement stays as it is.
void FrameTest::aDroppedFileStartsItsOwnProgramAndLeavesTheWindow()
{
    SWindow window({"I5"});
    CEditorFrame& frame = *window.pFrame;
    QStringList opened;
    frame.SetDroppedFileOpener([&opened](const QString& strFile) { opened.append(strFile); });
    QVERIFY(frame.acceptDrops());

    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/a b.for")), QUrl(QStringLiteral("https://x/y.f")),
                   QUrl::fromLocalFile(QStringLiteral("/tmp/-c.f90"))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&frame, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&frame, &drop);
    QCOMPARE(opened, (QStringList{QStringLiteral("/tmp/a b.for"), QStringLiteral("/tmp/-c.f90")}));

    QMimeData text;
    text.setText(QStringLiteral("I5"));
    QDragEnterEvent refused(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    refused.setAccepted(false);
    QApplication::sendEvent(&frame, &refused);
    QVERIFY(!refused.isAccepted());
    QCOMPARE(opened.size(), 2);
    QCOMPARE(window.list.size(), 1);
    QCOMPARE(window.list.At(0).Text(), std::string("I5"));
}

void FrameTest::keepsItsHeightAndAMinimumWidthOf76Characters()
{
    SWindow window({"I5"});
    CEditorFrame& frame = *window.pFrame;
    const QFontMetrics metrics(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // Never narrower than 76 characters, nor than the buttons ask for.
    const QRect minimum(QPoint(), frame.minimumSize());
    QVERIFY(minimum.width() >= 76 * metrics.averageCharWidth());
    const int nMinWidth = minimum.width();
    QVERIFY(minimum.height() > 60);  // the strip and a row of buttons

    frame.resize(nMinWidth + 200, minimum.height() + 300);
    QCOMPARE(frame.size(), QSize(nMinWidth + 200, minimum.height()));
    frame.resize(nMinWidth / 2, minimum.height() / 2);
    QCOMPARE(frame.size(), QSize(nMinWidth, minimum.height()));
    frame.resize(nMinWidth + 1, minimum.height() + 1);
    QCOMPARE(frame.size(), QSize(nMinWidth + 1, minimum.height()));
}

void FrameTest::laysTheButtonsOutInsideTheWindowWithoutOverlap_data()
{
    QTest::addColumn<QString>("styleSheet");
    QTest::addColumn<bool>("bReverse");
    QTest::newRow("plain") << QString() << false;
    QTest::newRow("padded buttons") << QStringLiteral("QPushButton { padding: 6px 16px; }") << false;
    QTest::newRow("right to left, padded") << QStringLiteral("QPushButton { padding: 6px 16px; }") << true;
}

void FrameTest::laysTheButtonsOutInsideTheWindowWithoutOverlap()
{
    QFETCH(QString, styleSheet);
    QFETCH(bool, bReverse);
    // As -stylesheet and -reverse set them, before the window is made.
    qApp->setStyleSheet(styleSheet);
    QApplication::setLayoutDirection(bReverse ? Qt::RightToLeft : Qt::LeftToRight);
    const auto restore = qScopeGuard([] {
        qApp->setStyleSheet(QString());
        QApplication::setLayoutDirection(Qt::LeftToRight);
    });
    SWindow window({"I5"});
    CEditorFrame& frame = *window.pFrame;
    for (int nWidth : {0, 400}) {
        frame.resize(frame.minimumWidth() + nWidth, frame.height());
        QApplication::processEvents();
        const QRect client = frame.rect();
        // The strip's frame draws its left, right and bottom edges whole
        // around the strip; its height follows its font.
        auto* pStrip = qobject_cast<CFieldStrip*>(frame.Control(0));
        const int nStripHeight = pStrip->GetLayoutY(LAYOUT_HEIGHT);
        QCOMPARE(pStrip->Frame()->geometry(), QRect(10, 10, client.width() - 20, nStripHeight + 1));
        QCOMPARE(pStrip->geometry(), QRect(11, 10, client.width() - 22, nStripHeight));
        // The controls, the Settings button last.
        const auto control = [&](int nRow) {
            return nRow < kSentinelRow ? frame.Control(nRow) : static_cast<QWidget*>(frame.SettingsButton());
        };
        for (int nRow = 0; nRow <= kSentinelRow; ++nRow) {
            const QRect r = control(nRow)->geometry();
            QVERIFY2(client.contains(r), qPrintable(QString("row %1 outside").arg(nRow)));
            for (int nOther = 0; nOther < nRow; ++nOther)
                QVERIFY2(!r.intersects(control(nOther)->geometry()),
                         qPrintable(QString("rows %1 and %2 overlap").arg(nOther).arg(nRow)));
            // A button is never narrower than its text asks: nothing clipped.
            if (nRow != kStripRow)
                QVERIFY2(r.width() >= control(nRow)->sizeHint().width(), qPrintable(QString("row %1").arg(nRow)));
        }
        // New Field starts the row and Help ends it, at the margins, on the
        // sides the reading direction puts them.
        const QRect first = frame.Control(1)->geometry();
        const QRect last = frame.Control(6)->geometry();
        QCOMPARE(bReverse ? client.width() - first.right() - 1 : first.left(), 10);
        QCOMPARE(bReverse ? last.left() : client.width() - last.right() - 1, 10);
    }
}

void FrameTest::tabAndShiftTabCycleThroughTheControlsWithTheDefaultButton()
{
    SWindow window({"I5"});
    CEditorFrame& frame = *window.pFrame;
    QVERIFY(QTest::qWaitForWindowActive(&frame));
    QCOMPARE(window.FocusControl(), frame.Control(0));
    for (int nStep = 1; nStep <= 7; ++nStep) {
        QTest::keyClick(window.Focus(), Qt::Key_Tab);
        const int nRow = nStep % 7;
        QCOMPARE(frame.CurrentControl(), nRow);
        QCOMPARE(window.FocusControl(), frame.Control(nRow));
        // The current button is the default one; while the strip is current, OK is.
        const int nDefaultRow = nRow == 0 ? kOkRow : nRow;
        for (int nButton = 1; nButton <= 6; ++nButton)
            QCOMPARE(window.Button(nButton)->isDefault(), nButton == nDefaultRow);
    }
    QTest::keyClick(window.Focus(), Qt::Key_Tab, Qt::ShiftModifier);
    QCOMPARE(frame.CurrentControl(), 6);
    QCOMPARE(window.FocusControl(), frame.Control(6));
    QTest::keyClick(window.Focus(), Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(frame.CurrentControl(), 5);
    QTest::keyClick(window.Focus(), Qt::Key_Tab);
    QTest::keyClick(window.Focus(), Qt::Key_Tab, Qt::ControlModifier);  // a held key changes nothing
    QCOMPARE(frame.CurrentControl(), 0);
    QVERIFY(window.Button(kOkRow)->isDefault());
    // Alt+Tab belongs to the desktop: neither the table nor the toolkit moves.
    QTest::keyClick(window.Focus(), Qt::Key_Tab, Qt::AltModifier);
    QCOMPARE(frame.CurrentControl(), 0);
    QCOMPARE(window.FocusControl(), frame.Control(0));
}

void FrameTest::enterInTheStripActsAsOk()
{
    CRecordingPresenter presenter;
    SWindow window({"2(", "I5"}, {.pPresenter = &presenter});  // unbalanced: OK refuses and says why
    QVERIFY(QTest::qWaitForWindowActive(window.pFrame.get()));
    QTest::keyClick(window.Focus(), Qt::Key_Return);
    QTRY_COMPARE(presenter.m_messages.size(), size_t(1));
    QCOMPARE(presenter.m_messages[0].text, std::string(kUnbalanced));
    QVERIFY(window.pFrame->isVisible());
}

void FrameTest::enterOnAButtonActsAsThatButton()
{
    CRecordingPresenter presenter;
    SWindow window({"I5"}, {.pPresenter = &presenter});
    CEditorFrame& frame = *window.pFrame;
    QVERIFY(QTest::qWaitForWindowActive(&frame));
    QTest::keyClick(window.Focus(), Qt::Key_Tab, Qt::ShiftModifier);  // Help
    QTest::keyClick(window.Focus(), Qt::Key_Enter);
    QTRY_COMPARE(presenter.m_messages.size(), size_t(1));
    QCOMPARE(presenter.m_messages[0].text, std::string(kNoHelpFile));
    QCOMPARE(presenter.m_messages[0].owner, static_cast<OwnerHandle>(&frame));
    QVERIFY(frame.isVisible());
    // After Help, as after every command, the statement is current again:
    // Enter is OK there, not Help once more.
    QTRY_COMPARE(frame.CurrentControl(), kStripRow);
    QCOMPARE(window.FocusControl(), frame.Control(kStripRow));

    QSignalSpy closed(&frame, &CEditorFrame::Closed);
    QTest::keyClick(window.Focus(), Qt::Key_Tab, Qt::ShiftModifier);  // Help
    QTest::keyClick(window.Focus(), Qt::Key_Tab, Qt::ShiftModifier);  // Cancel
    QCOMPARE(frame.CurrentControl(), 5);
    QTest::keyClick(window.Focus(), Qt::Key_Return);
    QTRY_COMPARE(closed.count(), 1);
    QVERIFY(!frame.isVisible());
    QVERIFY(!frame.FileWritten());
    QCOMPARE(presenter.m_messages.size(), size_t(1));  // Cancel saves nothing and asks nothing
}

void FrameTest::escapeActsAsCancelFromAnyControl()
{
    for (int nTabs : {0, 4}) {  // from the strip, and from OK
        CRecordingPresenter presenter;
        SWindow window({"I5"}, {.pPresenter = &presenter});
        QVERIFY(QTest::qWaitForWindowActive(window.pFrame.get()));
        for (int i = 0; i < nTabs; ++i)
            QTest::keyClick(window.Focus(), Qt::Key_Tab);
        QSignalSpy closed(window.pFrame.get(), &CEditorFrame::Closed);
        QTest::keyClick(window.Focus(), Qt::Key_Escape);
        QTRY_COMPARE(closed.count(), 1);
        QVERIFY(presenter.m_messages.empty());
        QVERIFY(!window.pFrame->FileWritten());
    }
}

void FrameTest::altLetterMakesItsControlCurrentAndRunsItsCommand()
{
    CRecordingPresenter presenter;
    SWindow window({"I5"}, {.pPresenter = &presenter});
    CEditorFrame& frame = *window.pFrame;
    QVERIFY(QTest::qWaitForWindowActive(&frame));

    QTest::keyClick(window.Focus(), Qt::Key_H, Qt::AltModifier);
    QCOMPARE(frame.CurrentControl(), 6);
    QCOMPARE(window.FocusControl(), frame.Control(6));
    QVERIFY(window.Button(6)->isDefault());
    QTRY_COMPARE(presenter.m_messages.size(), size_t(1));
    QCOMPARE(presenter.m_messages[0].text, std::string(kNoHelpFile));

    // Alt+F only moves to the strip: no OK in its place.
    QTest::keyClick(window.Focus(), Qt::Key_F, Qt::AltModifier);
    QCOMPARE(frame.CurrentControl(), 0);
    QCOMPARE(window.FocusControl(), frame.Control(0));
    QTest::qWait(50);
    QCOMPARE(presenter.m_messages.size(), size_t(1));
    QVERIFY(frame.isVisible());

    // A letter that no caption marks does nothing.
    QTest::keyClick(window.Focus(), Qt::Key_O, Qt::AltModifier);
    QTest::keyClick(window.Focus(), Qt::Key_X, Qt::AltModifier);
    QTest::qWait(50);
    QCOMPARE(frame.CurrentControl(), 0);
    QCOMPARE(presenter.m_messages.size(), size_t(1));
    QVERIFY(frame.isVisible());

    // The field commands return to the strip.
    QTest::keyClick(window.Focus(), Qt::Key_R, Qt::AltModifier);
    QCOMPARE(frame.CurrentControl(), 2);
    QTRY_COMPARE(frame.CurrentControl(), 0);
    QCOMPARE(window.FocusControl(), frame.Control(0));

    // The platform's help key is Help, from the editor and from a button.
    for (int nTabs : {0, 2}) {
        for (int i = 0; i < nTabs; ++i)
            QTest::keyClick(window.Focus(), Qt::Key_Tab);
        const std::size_t nBefore = presenter.m_messages.size();
        QTest::keyClick(window.Focus(), QKeySequence(QKeySequence::HelpContents)[0].key());
        QTRY_COMPARE(presenter.m_messages.size(), nBefore + 1);
        QCOMPARE(presenter.m_messages.back().text, std::string(kNoHelpFile));
        QTRY_COMPARE(frame.CurrentControl(), 0);
    }
}

void FrameTest::aClickMakesItsControlCurrent()
{
    CRecordingPresenter presenter;
    SWindow window({"I5"}, {.pPresenter = &presenter});
    CEditorFrame& frame = *window.pFrame;
    QVERIFY(QTest::qWaitForWindowActive(&frame));
    QTest::keyClick(window.Focus(), Qt::Key_Tab);
    QCOMPARE(frame.CurrentControl(), 1);
    QTest::mouseClick(frame.Control(0), Qt::LeftButton);
    QCOMPARE(frame.CurrentControl(), 0);
    QVERIFY(window.Button(kOkRow)->isDefault());

    QSignalSpy closed(&frame, &CEditorFrame::Closed);
    QTest::mouseClick(frame.Control(5), Qt::LeftButton);  // Cancel
    QCOMPARE(frame.CurrentControl(), 5);
    QCOMPARE(closed.count(), 1);
}

void FrameTest::okRefusesUnbalancedParentheses()
{
    const std::string strFile = SourceFile("  100 FORMAT(2(I5))\n");
    CRecordingPresenter presenter;
    SWindow window(strFile, 1, {.pPresenter = &presenter});
    QVERIFY(window.bLocated);
    QCOMPARE(window.list.size(), 3);
    window.list.RemoveDescriptor(2);  // the group's ")"
    window.pFrame->CommandAction(CMD_OK)->trigger();
    QCOMPARE(presenter.m_messages.size(), size_t(1));
    QCOMPARE(presenter.m_messages[0].text, std::string(kUnbalanced));
    QCOMPARE(presenter.m_messages[0].style, kPlainMessage);
    // Messages of the save are owned by the strip.
    QCOMPARE(presenter.m_messages[0].owner, static_cast<OwnerHandle>(window.pFrame->Control(0)));
    QVERIFY(window.pFrame->isVisible());
    QCOMPARE(ReadWholeFile(strFile), std::string("  100 FORMAT(2(I5))\n"));
}

void FrameTest::okAsksToExitAnywayWhenTheWriteFails()
{
    struct SCase {
        MessageAnswer answer;
        bool bCloses;
    };
    for (const SCase& c :
         {SCase{MessageAnswer::NO, false}, SCase{MessageAnswer::CANCEL, false}, SCase{MessageAnswer::YES, true}}) {
        CRecordingPresenter presenter;
        presenter.m_answers = {MessageAnswer::OK, c.answer};         // the write's own message, then string 6
        SWindow window({"I5", "F7.3"}, {.pPresenter = &presenter});  // its file does not exist
        QSignalSpy closed(window.pFrame.get(), &CEditorFrame::Closed);
        window.pFrame->CommandAction(CMD_OK)->trigger();
        QVERIFY(presenter.m_messages.size() >= 2);
        const SRecordedMessage& question = presenter.m_messages.back();
        QCOMPARE(question.text, std::string(kSaveFailed));
        QCOMPARE(question.style, kYesNoCancelQuestion);
        QCOMPARE(closed.count(), c.bCloses ? 1 : 0);
        QVERIFY(!window.pFrame->FileWritten());
    }
}

void FrameTest::okInDebugModeClosesAfterAFailedWrite()
{
    const std::string strLog = QDir(m_dir.path()).filePath("run.log").toStdString();
    CRecordingPresenter presenter;
    SWindow window({"I5"}, {.pPresenter = &presenter});
    StartDebugLog(window.run.Flags(), strLog);
    QSignalSpy closed(window.pFrame.get(), &CEditorFrame::Closed);
    window.pFrame->CommandAction(CMD_OK)->trigger();
    QCOMPARE(closed.count(), 1);
    QVERIFY(!window.pFrame->FileWritten());
    QVERIFY(presenter.m_messages.empty());
    QCOMPARE(ReadWholeFile(strLog), std::string(kSaveFailed) + "\n");
}

void FrameTest::okTakesTheCurrentFieldBackToItsLastGoodState()
{
    const std::string strFile = SourceFile("  100 FORMAT(I5, F7.3)\n");
    CRecordingPresenter presenter;
    SWindow window(strFile, 1, {.pPresenter = &presenter});
    QVERIFY(window.bLocated);
    // An edit in progress that never became valid is dropped, not written.
    window.list.SetText(0, "I5(");
    QCOMPARE(window.list.m_bInvalid, 1);
    QSignalSpy closed(window.pFrame.get(), &CEditorFrame::Closed);
    window.pFrame->CommandAction(CMD_OK)->trigger();
    QVERIFY2(presenter.m_messages.empty(), presenter.m_messages.empty() ? "" : presenter.m_messages[0].text.c_str());
    QCOMPARE(closed.count(), 1);
    QVERIFY(window.pFrame->FileWritten());
    QCOMPARE(ReadWholeFile(strFile), std::string("  100 FORMAT(I5, F7.3)\n"));
    QCOMPARE(window.list.m_bInvalid, 0);
}

void FrameTest::keysReachTheEditorButEnterEscapeAndTabKeepTheirMeaning()
{
    const std::string strFile = SourceFile("  100 FORMAT(1X, I5, F7.2)\n");
    CRecordingPresenter presenter;
    SWindow window(strFile, 1, {.pPresenter = &presenter});
    CEditorFrame& frame = *window.pFrame;
    QVERIFY(QTest::qWaitForWindowActive(&frame));
    auto* pEditor = qobject_cast<QLineEdit*>(window.Focus());
    QVERIFY(pEditor != nullptr);
    const auto key = [&](Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) {
        QTest::keyClick(window.Focus(), k, m);
        QCoreApplication::processEvents();
    };
    // Field keys, caret keys and typing all reach the editor.
    key(Qt::Key_Right, Qt::ControlModifier);
    QCOMPARE(frame.Strip()->CurrentIndex(), 1);
    key(Qt::Key_Home);
    key(Qt::Key_Right);
    key(Qt::Key_Delete);
    QTest::keyClicks(window.Focus(), "8");
    key(Qt::Key_End);
    QCOMPARE(pEditor->text(), QString("I8"));
    QCOMPARE(pEditor->cursorPosition(), 2);
    key(Qt::Key_Down);
    QVERIFY(IsSampleRow(frame.Strip()->CurrentId()));
    key(Qt::Key_Up);
    key(Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(frame.Strip()->CurrentIndex(), 2);
    // A click into the editor only moves its caret: the edit goes on.
    QTest::keyClicks(window.Focus(), "x");
    QTest::mouseClick(pEditor, Qt::LeftButton, {}, QPoint(pEditor->width() - 3, pEditor->height() / 2));
    QCOMPARE(window.list.At(2).Text(), std::string("F7.2x"));
    QCOMPARE(pEditor->text(), QString("F7.2x"));
    // Tab leaves the field (taking the invalid edit back) for New Field.
    key(Qt::Key_Tab);
    QCOMPARE(frame.CurrentControl(), 1);
    QCOMPARE(window.list.At(2).Text(), std::string("F7.2"));
    QVERIFY(!pEditor->isVisible());
    key(Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(window.Focus(), pEditor);
    QCOMPARE(frame.Strip()->CurrentIndex(), 2);
    // Enter on the strip is OK.
    QSignalSpy closed(&frame, &CEditorFrame::Closed);
    key(Qt::Key_Return);
    QTRY_COMPARE(closed.count(), 1);
    QVERIFY(frame.FileWritten());
    QCOMPARE(ReadWholeFile(strFile), std::string("  100 FORMAT(1X, I8, F7.2)\n"));

    // Escape is Cancel, from inside the editor too (after a change, once
    // the discarding is confirmed).
    CAnsweringBoxes boxes(kDiscard);
    WriteWholeFile(strFile, "  100 FORMAT(1X, I5, F7.2)\n");
    SWindow again(strFile, 1, {.pPresenter = &presenter, .pDialogs = &boxes});
    QVERIFY(QTest::qWaitForWindowActive(again.pFrame.get()));
    QTest::keyClicks(again.Focus(), "9");
    QSignalSpy cancelled(again.pFrame.get(), &CEditorFrame::Closed);
    QTest::keyClick(again.Focus(), Qt::Key_Escape);
    QTRY_COMPARE(cancelled.count(), 1);
    QVERIFY(!again.pFrame->FileWritten());
    QCOMPARE(ReadWholeFile(strFile), std::string("  100 FORMAT(1X, I5, F7.2)\n"));
}

void FrameTest::aRefusedOkShowsTheFieldTakenBack()
{
    const std::string strFile = SourceFile("  100 FORMAT(2(I5))\n");
    CRecordingPresenter presenter;
    SWindow window(strFile, 1, {.pPresenter = &presenter});
    QVERIFY(QTest::qWaitForWindowActive(window.pFrame.get()));
    window.list.RemoveDescriptor(2);  // the group's ")"
    QTest::keyClicks(window.Focus(), "x");
    QCOMPARE(window.list.At(0).Text(), std::string("2(x"));
    window.pFrame->CommandAction(CMD_OK)->trigger();
    QCOMPARE(presenter.m_messages.size(), size_t(1));
    QCOMPARE(presenter.m_messages[0].text, std::string(kUnbalanced));
    // The window stays, the field shows its last good text, and the editor
    // holds it again.
    CFieldStrip& strip = *window.pFrame->Strip();
    QCOMPARE(strip.TextCell(0)->Text(), std::string("2("));
    QCOMPARE(strip.CellCount(), 2);
    QCOMPARE(qobject_cast<QLineEdit*>(window.Focus())->text(), QString("2("));
    QCOMPARE(ReadWholeFile(strFile), std::string("  100 FORMAT(2(I5))\n"));
}

void FrameTest::closingQuitsTheHelpViewerUnlessTheCommandLineWasBad()
{
    CRecordingHelpViewer viewer;
    {
        SWindow window({"I5"}, {.pHelp = &viewer});
        window.pFrame->OnDestroy();
        QCOMPARE(viewer.m_nQuits, 1);
    }
    SWindow window({"I5"}, {.pHelp = &viewer});
    window.run.Flags().m_bCommandLineError = 1;
    window.pFrame->OnDestroy();
    QCOMPARE(viewer.m_nQuits, 1);
}

void FrameTest::theWindowIsAFrameToAssistiveTechnology()
{
    SWindow window({"1X", "I6", "4X", "F11.3"});
    CEditorFrame& frame = *window.pFrame;
    frame.setWindowTitle("Quillmark - prog.for - line 1");
    QVERIFY(QTest::qWaitForWindowActive(&frame));
    QAccessibleInterface* pTop = QAccessible::queryAccessibleInterface(&frame);
    QVERIFY(pTop != nullptr);
    QCOMPARE(pTop->role(), QAccessible::Window);
    QCOMPARE(pTop->text(QAccessible::Name), QString("Quillmark - prog.for - line 1"));
    // Its children: the statement, a group named after its caption, the
    // status line, the six buttons and the Settings button with its menu,
    // each named and found again at its
    // index; the border drawn around the statement is none of them. The
    // keyboard is on the statement's editor, named after the field and row.
    QStringList children;
    for (int k = 0; k < pTop->childCount(); ++k) {
        QAccessibleInterface* pChild = pTop->child(k);
        QVERIFY(pChild != nullptr);
        QCOMPARE(pTop->indexOfChild(pChild), k);
        QCOMPARE(pChild->parent()->object(), static_cast<QObject*>(&frame));
        children << QString::number(pChild->role()) + " " + pChild->text(QAccessible::Name);
    }
    const QString strButton = QString::number(QAccessible::Button) + " ";
    QCOMPARE(children, (QStringList{QString::number(QAccessible::Grouping) + " Format Statement",
                                    QString::number(QAccessible::StaticText) + " Field status",
                                    strButton + "New Field...", strButton + "Remove Field",
                                    strButton + "Change Value...", strButton + "OK", strButton + "Cancel",
                                    strButton + "Help", QString::number(QAccessible::ButtonMenu) + " Settings"}));
    QVERIFY(pTop->child(children.size()) == nullptr);
    QCOMPARE(pTop->indexOfChild(QAccessible::queryAccessibleInterface(frame.Strip()->Frame())), -1);
    QAccessibleInterface* pFocus = pTop->focusChild();
    while (pFocus != nullptr && pFocus->focusChild() != nullptr && pFocus->focusChild() != pFocus)
        pFocus = pFocus->focusChild();
    QVERIFY(pFocus != nullptr);
    QCOMPARE(pFocus->object(), static_cast<QObject*>(frame.Strip()->Editor()));
    QCOMPARE(pFocus->text(QAccessible::Name), QString("Field 1 of 4, text row"));
    // After Tab round to the statement again the keyboard is on the editor.
    for (int i = 0; i < 7; ++i)
        QTest::keyClick(window.Focus(), Qt::Key_Tab);
    QCOMPARE(window.Focus(), static_cast<QWidget*>(frame.Strip()->Editor()));
}

namespace {

// Whether the strip shows a pixel of the finding's colour around a cell.
bool ShowsFindingColour(CFieldStrip& strip, const QRect& cell)
{
    const QImage picture = strip.grab().toImage();
    const qreal scale = picture.devicePixelRatio();
    const QRect around = cell.adjusted(-2, -2, 2, 2);
    for (int y = around.top(); y <= around.bottom(); ++y)
        for (int x = around.left(); x <= around.right(); ++x) {
            const QColor colour = picture.pixelColor(qRound(x * scale), qRound(y * scale));
            if (colour.red() > 150 && colour.green() < 80 && colour.blue() < 80)
                return true;
        }
    return false;
}

}  // namespace

// A FORMAT used by two WRITEs: over each field the items it edits for the
// statement in view, first the first; Ctrl+PageDown and Ctrl+PageUp and the
// list go from one statement to the other (Ctrl+Up and Ctrl+Down still
// change the row); the finding on a field is in its colour and sign, its
// tooltip, the status line and its accessible description; typing matches
// again before the field is left.
void FrameTest::theStatementsThatUseTheFormatMarkItsFieldsAndGoByKeys()
{
    const std::string strFile = SourceFile("      PROGRAM P\n      INTEGER N, I\n      REAL X(3), Y(3)\n"
                                           "      CHARACTER*8 NAME\n  100 FORMAT (I5, F8.3, :, 1X, (F6.1))\n"
                                           "      WRITE (6, 100) N, X(I), (Y(J), J=1,3)\n"
                                           "      WRITE (6, 100) NAME\n      END\n");
    SWindow window(strFile, 5, {}, true);
    QVERIFY(window.bLocated);
    CEditorFrame& frame = *window.pFrame;
    CFieldStrip& strip = *frame.Strip();
    QVERIFY(QTest::qWaitForWindowActive(&frame));
    CStatusLine* pStatus = frame.StatusLine();
    // What shows fits the line; the whole is the screen reader's and the tip's.
    const auto fits = [pStatus] {
        const QStringList lines = pStatus->text().split('\n');
        const QFontMetrics metrics(pStatus->font());
        return lines.size() <= 2 && std::all_of(lines.begin(), lines.end(), [&](const QString& strLine) {
                   return metrics.horizontalAdvance(strLine) <= pStatus->contentsRect().width();
               });
    };
    const auto shown = [pStatus] { return pStatus->text().replace('\n', ' '); };
    QComboBox* pList = frame.UsesList();
    QVERIFY(pList != nullptr);
    QCOMPARE(pList->count(), 2);
    QVERIFY(!pList->accessibleName().isEmpty());
    QCOMPARE(pList->itemText(1), QString("WRITE (6, 100) at line 7: 1 item, 1 record"));
    QCOMPARE(frame.CurrentUse(), 0);
    QVERIFY2(pStatus->WholeText().endsWith("WRITE (6, 100) at line 6: 3 items, 3 records"),
             qPrintable(pStatus->text()));
    QCOMPARE(strip.ItemMark(0)->strShown, QString("N"));
    QCOMPARE(strip.ItemMark(1)->strShown, QString("X(I)"));
    QVERIFY(strip.ItemMark(5)->bReused);
    QVERIFY(!strip.ItemMark(0)->bFinding);
    QVERIFY(!ShowsFindingColour(strip, strip.TextCell(0)->Rect()));

    // The next statement: NAME under I5 is refused, the rest edits nothing.
    QTest::keyClick(window.Focus(), Qt::Key_PageDown, Qt::ControlModifier);
    QCOMPARE(frame.CurrentUse(), 1);
    QCOMPARE(pList->currentIndex(), 1);
    QCOMPARE(strip.CurrentId(), TextCellId(0));
    QCOMPARE(window.Focus(), static_cast<QWidget*>(strip.Editor()));
    const QString strRefused = "Expected INTEGER for item 1 in formatted transfer, got CHARACTER";
    QVERIFY(strip.ItemMark(0)->bFinding);
    QCOMPARE(strip.ItemMark(0)->strShown, QString("NAME"));
    QVERIFY(strip.ItemMark(1)->bNoItem);
    QVERIFY(strip.ItemMark(5)->bNoItem);
    QVERIFY2(shown().contains(strRefused), qPrintable(pStatus->text()));
    QVERIFY(fits());
    QCOMPARE(pStatus->accessibleDescription(), pStatus->WholeText());
    QCOMPARE(pStatus->toolTip(), pStatus->WholeText());
    QVERIFY2(pStatus->WholeText().endsWith("WRITE (6, 100) at line 7: 1 item, 1 record"), qPrintable(pStatus->text()));
    QVERIFY(strip.Editor()->accessibleDescription().contains(strRefused));
    QAccessibleInterface* pStripInterface = QAccessible::queryAccessibleInterface(&strip);
    QAccessibleInterface* pCell = nullptr;
    for (int k = 0; k < pStripInterface->childCount() && pCell == nullptr; ++k)
        if (pStripInterface->child(k)->role() == QAccessible::Cell)
            pCell = pStripInterface->child(k);  // the text cell of field 1
    QVERIFY(pCell != nullptr);
    QVERIFY2(pCell->text(QAccessible::Description).contains(strRefused),
             qPrintable(pCell->text(QAccessible::Description)));
    strip.update();
    QVERIFY(ShowsFindingColour(strip, strip.TextCell(0)->Rect()));
    const QPoint at = strip.TextCell(0)->Rect().center();
    QHelpEvent help(QEvent::ToolTip, at, strip.mapToGlobal(at));
    QApplication::sendEvent(&strip, &help);
    QTRY_VERIFY2(QToolTip::text().contains(strRefused), qPrintable(QToolTip::text()));

    // Typing matches again at once, before the field is left.
    QTest::keyClick(window.Focus(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(window.Focus(), "A8");
    QVERIFY(!strip.ItemMark(0)->bFinding);
    QVERIFY2(!shown().contains("Expected"), qPrintable(pStatus->text()));
    // The sample follows NAME's type: A alone is its eight characters wide
    // (A's own sample is ten), shown and said at once.
    QTest::keyClick(window.Focus(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(window.Focus(), "A");
    QCOMPARE(strip.SampleCell(0)->Text(), std::string("abcdefgh"));
    QVERIFY(strip.CurrentFieldDetails().contains("abcdefgh"));
    // Its columns are the ones it fills, and the next field's follow them.
    QVERIFY2(pStatus->WholeText().contains("columns 1 to 8;"), qPrintable(pStatus->WholeText()));
    QVERIFY(strip.CurrentFieldDetails().contains("columns 1 to 8;"));
    QCOMPARE(LayOutFields(*strip.List(), strip.ShownWidths())[1].nColumn, 8LL);
    QTest::keyClick(window.Focus(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(window.Focus(), "F8.2");
    QVERIFY(strip.ItemMark(0)->bFinding);
    QVERIFY2(shown().contains("Expected REAL for item 1"), qPrintable(pStatus->text()));
    QCOMPARE(strip.CurrentId(), TextCellId(0));

    // Ctrl+Down keeps its meaning; Ctrl+PageUp goes back, and round.
    QTest::keyClick(window.Focus(), Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(strip.CurrentId(), SampleCellId(0));
    QTest::keyClick(window.Focus(), Qt::Key_PageUp, Qt::ControlModifier);
    QCOMPARE(frame.CurrentUse(), 0);
    QVERIFY2(shown().contains("Expected REAL for item 1"), qPrintable(pStatus->text()));  // N under F8.2
    QTest::keyClick(window.Focus(), Qt::Key_PageUp, Qt::ControlModifier);
    QCOMPARE(frame.CurrentUse(), 1);
    // The list, as the mouse or a screen reader chooses in it.
    pList->setCurrentIndex(0);
    emit pList->activated(0);
    QCOMPARE(frame.CurrentUse(), 0);
    QCOMPARE(frame.CurrentControl(), kStripRow);
    QVERIFY2(pStatus->WholeText().endsWith("WRITE (6, 100) at line 6: 3 items, 3 records"),
             qPrintable(pStatus->text()));
    // Too narrow for the field's words too: they are cut with an ellipsis;
    // wide enough, the line shows whole, the statement too.
    pStatus->resize(pStatus->width() / 4, pStatus->height());
    QVERIFY2(pStatus->text().endsWith(QChar(0x2026)), qPrintable(pStatus->text()));
    QVERIFY(fits());
    pStatus->resize(4000, pStatus->height());
    QCOMPARE(pStatus->text(), pStatus->WholeText());
    // At the window's own width the whole line shows, in two lines at most.
    frame.adjustSize();
    QTRY_COMPARE(shown(), pStatus->WholeText());
    QVERIFY(fits());
}

void FrameTest::aFormatNoStatementUsesSaysSo()
{
    const std::string strFile = SourceFile("      PROGRAM P\n  100 FORMAT (I5)\n      END\n");
    SWindow window(strFile, 2, {}, true);
    QVERIFY(window.bLocated);
    QVERIFY(QTest::qWaitForWindowActive(window.pFrame.get()));
    QVERIFY(window.pFrame->UsesList() == nullptr);
    QVERIFY(
        window.pFrame->StatusLine()->text().endsWith("No READ, WRITE or PRINT statement uses this FORMAT statement"));
    QTest::keyClick(window.Focus(), Qt::Key_PageDown, Qt::ControlModifier);  // nothing to go to
    QCOMPARE(window.pFrame->CurrentUse(), 0);
}

QTEST_MAIN(FrameTest)
#include "frame_test.moc"

// The strip's context menu holds the two settings as check items: the
// samples switch between the simplified and the compiler's layout at once,
// and each change is stored for the next start only when the window stores
// its settings (not on the unattended road).
void FrameTest::theStripsSettingsSwitchTheSamplesAndAreStoredWhenAsked()
{
    QStandardPaths::setTestModeEnabled(true);
    StorePreference(PREF_EXACT_SAMPLES, false);
    StorePreference(PREF_KEEP_LAYOUT, false);
    SWindow window({"F7.3", "SP", "E15.8"});
    window.pFrame->SetStoresSettings(true);
    CFieldStrip& strip = *window.pFrame->Strip();
    QCOMPARE(strip.contextMenuPolicy(), Qt::ActionsContextMenu);
    const QList<QAction*> actions = strip.actions();
    QCOMPARE(actions.size(), 2);
    QVERIFY(actions[0]->isCheckable() && actions[1]->isCheckable());
    QVERIFY(!actions[0]->isChecked() && !actions[1]->isChecked());

    // Shift+F10 opens the menu of the field being typed in, as the Menu key
    // does: the editor's own items, then the settings.
    QVERIFY(QTest::qWaitForWindowActive(window.pFrame.get()));
    bool bSettingsShown = false;
    QTimer::singleShot(0, [&] {
        if (auto* pMenu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            bSettingsShown = pMenu->actions().contains(actions[0]) && pMenu->actions().contains(actions[1]);
            pMenu->close();
        }
    });
    QTest::keyClick(window.Focus(), Qt::Key_F10, Qt::ShiftModifier);
    QVERIFY(bSettingsShown);
    QVERIFY(strip.Editor()->IsEditing());  // a menu leaves the edit where it is

    const std::string strSimplified = strip.SampleCell(2)->Text();
    SNumberModes modes;
    modes.nPlus = 1;
    std::string strExact;
    QVERIFY(ExactSample(window.list.At(2).GoodParsed(), modes, std::string(), strExact));
    QVERIFY(strExact != strSimplified);

    actions[0]->trigger();
    QVERIFY(window.list.Exact());
    QCOMPARE(strip.SampleCell(2)->Text(), strExact);
    QVERIFY(LoadPreference(PREF_EXACT_SAMPLES));
    actions[1]->trigger();
    QVERIFY(window.pFrame->KeepsLayout());
    QVERIFY(LoadPreference(PREF_KEEP_LAYOUT));

    window.pFrame->SetStoresSettings(false);
    actions[0]->trigger();
    QCOMPARE(strip.SampleCell(2)->Text(), strSimplified);
    QVERIFY(LoadPreference(PREF_EXACT_SAMPLES));
    StorePreference(PREF_EXACT_SAMPLES, false);
    StorePreference(PREF_KEEP_LAYOUT, false);
}

void FrameTest::theStatusLineFollowsTheCurrentFieldAndEveryKey()
{
    SWindow window({"1X", "I6", "4X", "F11.3"});
    CEditorFrame& frame = *window.pFrame;
    QVERIFY(QTest::qWaitForWindowActive(&frame));
    QLabel* pStatus = frame.StatusLine();
    QVERIFY(pStatus != nullptr);
    QCOMPARE(pStatus->text(), QString("1X: skip 1 column, column 1"));
    QSignalSpy changes(frame.Strip(), &CFieldStrip::StatusChanged);

    QTest::keyClick(window.Focus(), Qt::Key_Right, Qt::ControlModifier);
    QCOMPARE(pStatus->text(), QString("I6: integer, 6 wide, columns 2 to 7"));
    // Every key: a refusal with its reason, then the field again.
    QTest::keyClick(window.Focus(), Qt::Key_X);
    QCOMPARE(pStatus->text(), QString("I6x: I is written I, Iw or Iw.m"));
    QTest::keyClick(window.Focus(), Qt::Key_Backspace);
    QCOMPARE(pStatus->text(), QString("I6: integer, 6 wide, columns 2 to 7"));
    QTest::keyClick(window.Focus(), Qt::Key_Backspace);
    QTest::keyClick(window.Focus(), Qt::Key_2);
    QCOMPARE(pStatus->text(), QString("I2: integer, 2 wide, columns 2 to 3"));
    QCOMPARE(changes.count(), 5);  // the move and four keys

    // Left with a bad text, the field goes back; the line says so until the
    // next key, which describes the field alone again.
    QTest::keyClicks(window.Focus(), "q");
    QTest::keyClick(window.Focus(), Qt::Key_Down);
    QCOMPARE(window.list.At(1).Text(), std::string("I2"));
    QCOMPARE(pStatus->text(), QString("I2: \"I2q\" was taken back; I2: integer, 2 wide, columns 2 to 3"));
    QTest::keyClick(window.Focus(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(window.Focus(), "123");
    QCOMPARE(pStatus->text(), QString("I3: integer, 3 wide, columns 2 to 4"));
    // A sample that no descriptor of the kind prints.
    QTest::keyClick(window.Focus(), Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(window.Focus(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(window.Focus(), "1a");
    QCOMPARE(pStatus->text(), QString("\"1a\": no descriptor like F11.3 prints this sample"));
    QTest::keyClick(window.Focus(), Qt::Key_Up);
    QCOMPARE(pStatus->text(),
             QString("F11.3: \"1a\" was taken back; F11.3: real, 11 wide, 3 decimals, columns 9 to 19"));
    // Undo, Redo and a command change the list: the note goes with them.
    QTest::keyClick(window.Focus(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(pStatus->text(), QString("I2: integer, 2 wide, columns 2 to 3"));
    QTest::keyClick(window.Focus(), Qt::Key_Up);
    QTest::keyClicks(window.Focus(), "q");
    QTest::keyClick(window.Focus(), Qt::Key_Right, Qt::ControlModifier);
    QVERIFY(pStatus->text().contains("was taken back"));
    QTest::keyClick(window.Focus(), Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(pStatus->text(), QString("I3: integer, 3 wide, columns 2 to 4"));
    QTest::keyClick(window.Focus(), Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(window.Focus(), Qt::Key_Up);
    QTest::keyClicks(window.Focus(), "q");
    QTest::keyClick(window.Focus(), Qt::Key_Left, Qt::ControlModifier);
    QVERIFY2(pStatus->text().contains("was taken back"), qPrintable(pStatus->text()));
    frame.CommandAction(CMD_REMOVE_FIELD)->trigger();
    QVERIFY2(!pStatus->text().contains("was taken back"), qPrintable(pStatus->text()));

    // The label is read by name and never takes the keyboard.
    QCOMPARE(pStatus->accessibleName(), QString("Field status"));
    QCOMPARE(pStatus->accessibleDescription(), pStatus->text());
    QCOMPARE(pStatus->focusPolicy(), Qt::NoFocus);
    QTest::mouseClick(pStatus, Qt::LeftButton);
    QCOMPARE(window.Focus(), static_cast<QWidget*>(frame.Strip()->Editor()));
}

void FrameTest::theWindowGrewByExactlyTheStatusLine()
{
    SWindow window({"I5"});
    CEditorFrame& frame = *window.pFrame;
    QApplication::processEvents();
    const QFontMetrics fixed(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    const int lh = fixed.height() + std::max(0, fixed.leading());
    const QLabel* pStatus = frame.StatusLine();
    QVERIFY(pStatus->height() >= QFontMetrics(pStatus->font()).height());
    // From the top: the strip's frame, half a line, the status line, half
    // a line, the buttons, a line; the window is exactly that high, so the
    // status line stands wholly below the frame, whose bottom edge shows.
    const QRect border = frame.Strip()->Frame()->geometry();
    const QRect line = pStatus->geometry();
    QCOMPARE(border.bottom(), frame.Strip()->geometry().bottom() + 1);
    QCOMPARE(line.top(), border.bottom() + 1 + lh / 2);
    for (int nRow = 1; nRow < kSentinelRow; ++nRow)
        QCOMPARE(frame.Control(nRow)->geometry().top(), line.bottom() + 1 + lh / 2);
    QCOMPARE(frame.height(), frame.Control(1)->geometry().bottom() + 1 + lh);
    // As wide as the strip's frame.
    QCOMPARE(line.left(), border.left());
    QCOMPARE(line.right(), border.right());
    // The frame's bottom edge is drawn, in the colour of its left edge.
    const QImage picture = frame.grab().toImage();
    const qreal scale = picture.devicePixelRatio();
    const auto pixel = [&](int x, int y) { return picture.pixel(qRound(x * scale), qRound(y * scale)); };
    QCOMPARE(pixel(border.center().x(), border.bottom()), pixel(border.left(), border.center().y()));
    QVERIFY(pixel(border.center().x(), border.bottom()) != pixel(border.center().x(), border.bottom() + 2));
}

void FrameTest::theButtonsTipsNameTheirKeysAndAFieldsTipIsItsStatus()
{
    SWindow window({"I5", "F7.2"});
    CEditorFrame& frame = *window.pFrame;
    QVERIFY(QTest::qWaitForWindowActive(&frame));
    // Each tip starts with its caption and names the hot key the window
    // really takes for it (from the captions' letters).
    for (int nRow = 1; nRow < kSentinelRow; ++nRow) {
        const QString strCaption = window.Button(nRow)->text().remove('&').remove("...");
        const QString strTip = window.Button(nRow)->toolTip();
        QVERIFY2(strTip.startsWith(strCaption + " - "), qPrintable(strTip));
        const char chLetter = frame.HotKeyLetter(nRow);
        if (chLetter != 0) {
            QVERIFY2(strTip.contains(QString("Alt+%1").arg(QChar(chLetter).toUpper())), qPrintable(strTip));
            QCOMPARE(frame.HotKeyRow(QChar(chLetter).toUpper().unicode()), nRow);
        }
    }
    QVERIFY(window.Button(kOkRow)->toolTip().contains("Enter"));
    QVERIFY(window.Button(kOkRow + 1)->toolTip().contains("Escape"));

    // Hovering the second field's sample shows its status line.
    CFieldStrip& strip = *frame.Strip();
    const QPoint at = strip.SampleCell(1)->Rect().center();
    QHelpEvent help(QEvent::ToolTip, at, strip.mapToGlobal(at));
    QApplication::sendEvent(&strip, &help);
    QTRY_COMPARE(QToolTip::text(), QString::fromStdString(DescribeField(window.list, 1)));
    QCOMPARE(QToolTip::text(), QString("F7.2: real, 7 wide, 2 decimals, columns 6 to 12"));
}

// Ctrl+Z typed in the field's editor undoes the window's last step, not the
// line edit's last key; Ctrl+Shift+Z and Ctrl+Y redo. After each, the field
// the step touched is current, its editor shows the restored text and holds
// the keyboard, also when Ctrl+Z came from a button.
void FrameTest::undoAndRedoKeysGoToTheWindowsHistory()
{
    CRecordingPresenter presenter;
    SWindow window({"1X", "I5", "SP", "F7.2"}, {.pPresenter = &presenter});
    CEditorFrame& frame = *window.pFrame;
    CFieldStrip& strip = *frame.Strip();
    QVERIFY(QTest::qWaitForWindowActive(&frame));
    const std::string strPlain = strip.SampleCell(3)->Text();
    const auto key = [&](Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) {
        QTest::keyClick(window.Focus(), k, m);
        QCoreApplication::processEvents();
    };
    const auto editorText = [&] { return qobject_cast<QLineEdit*>(window.Focus())->text(); };

    key(Qt::Key_Right, Qt::ControlModifier);
    key(Qt::Key_Backspace);
    QTest::keyClicks(window.Focus(), "89");
    QCOMPARE(window.list.At(1).Text(), std::string("I89"));
    key(Qt::Key_Right, Qt::ControlModifier);  // SP
    key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(window.list.At(1).Text(), std::string("I5"));  // the whole visit, not the 9 alone
    QCOMPARE(strip.CurrentIndex(), 1);
    QCOMPARE(window.Focus(), static_cast<QWidget*>(strip.Editor()));
    QCOMPARE(editorText(), QString("I5"));
    QCOMPARE(strip.TextCell(1)->Text(), std::string("I5"));
    key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(window.list.At(1).Text(), std::string("I89"));
    QCOMPARE(editorText(), QString("I89"));

    // Typing and Ctrl+Z in the same visit takes that typing back.
    QTest::keyClicks(window.Focus(), "x");
    key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(window.list.At(1).Text(), std::string("I89"));
    QCOMPARE(editorText(), QString("I89"));

    // Remove Field of SP, then Ctrl+Z from the Cancel button: SP is back
    // with its plus signs, current, and the statement has the keyboard.
    key(Qt::Key_Right, Qt::ControlModifier);
    frame.CommandAction(CMD_REMOVE_FIELD)->trigger();
    QCOMPARE(window.list.size(), 3);
    QVERIFY(strip.SampleCell(2)->Text() != strPlain);
    frame.SetCurrentControl(5);
    key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(window.list.size(), 4);
    QCOMPARE(window.list.At(2).Text(), std::string("SP"));
    QCOMPARE(strip.SampleCell(3)->Text(), strPlain);
    QCOMPARE(frame.CurrentControl(), kStripRow);
    QCOMPARE(strip.CurrentIndex(), 2);
    QCOMPARE(window.Focus(), static_cast<QWidget*>(strip.Editor()));
    QCOMPARE(editorText(), QString("SP"));
    key(Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(window.list.size(), 3);
    QCOMPARE(editorText(), QString::fromStdString(window.list.At(strip.CurrentIndex()).Text()));
    QVERIFY(presenter.m_messages.empty());
}

// Cancel, Escape and the window manager's close ask before a change is
// discarded, and only then: not without a change, not after the change was
// undone, not on the unattended road. Keep editing (the default, and the
// answer to Escape) keeps the window with the edit in progress.
void FrameTest::theDiscardQuestionComesOnlyAfterAChange()
{
    const std::string strFile = SourceFile("  100 FORMAT(1X, I5, F7.2)\n");
    {
        CAnsweringBoxes boxes(kKeepEditing);
        SWindow window(strFile, 1, {.pDialogs = &boxes});
        CEditorFrame& frame = *window.pFrame;
        QVERIFY(QTest::qWaitForWindowActive(&frame));
        QSignalSpy closed(&frame, &CEditorFrame::Closed);
        QTest::keyClicks(window.Focus(), "9");
        QTest::keyClick(window.Focus(), Qt::Key_Escape);
        QTRY_COMPARE(boxes.m_questions.size(), 1);
        QCOMPARE(boxes.m_questions[0], QString(kDiscardQuestion));
        QCOMPARE(boxes.m_captions.size(), 3);
        QVERIFY(boxes.m_captions.contains(kSave) && boxes.m_captions.contains(kDiscard) &&
                boxes.m_captions.contains(kKeepEditing));
        QCOMPARE(boxes.m_roles, (QStringList{"Save", "Discard", "Cancel"}));
        QCOMPARE(boxes.m_strDefault, QString(kKeepEditing));
        QCOMPARE(boxes.m_strEscape, QString(kKeepEditing));
        QCOMPARE(closed.count(), 0);
        // The edit goes on where it was.
        QCOMPARE(window.Focus(), static_cast<QWidget*>(frame.Strip()->Editor()));
        QCOMPARE(qobject_cast<QLineEdit*>(window.Focus())->text(), QString("1X9"));
        QTest::keyClicks(window.Focus(), "0");
        QCOMPARE(window.list.At(0).Text(), std::string("1X90"));

        // The window manager's close asks too; Cancel from its button as well.
        frame.close();
        QCOMPARE(boxes.m_questions.size(), 2);
        QVERIFY(frame.isVisible());
        frame.CommandAction(CMD_CANCEL)->trigger();
        QCOMPARE(boxes.m_questions.size(), 3);
        QCOMPARE(closed.count(), 0);
        QCOMPARE(frame.CurrentControl(), kStripRow);

        // Undone back to the opening list, it is no change: Escape closes.
        QTest::keyClick(window.Focus(), Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(!frame.Strip()->History().IsChanged());
        QTest::keyClick(window.Focus(), Qt::Key_Escape);
        QTRY_COMPARE(closed.count(), 1);
        QCOMPARE(boxes.m_questions.size(), 3);
    }
    {
        // Discard closes as Cancel: nothing written.
        CAnsweringBoxes boxes(kDiscard);
        SWindow window(strFile, 1, {.pDialogs = &boxes});
        QVERIFY(QTest::qWaitForWindowActive(window.pFrame.get()));
        QSignalSpy closed(window.pFrame.get(), &CEditorFrame::Closed);
        window.pFrame->CommandAction(CMD_REMOVE_FIELD)->trigger();
        window.pFrame->close();
        QCOMPARE(boxes.m_questions.size(), 1);
        QCOMPARE(closed.count(), 1);
        QVERIFY(!window.pFrame->FileWritten());
    }
    {
        // Save is OK: the change is written and the window closes, from
        // Escape and from the window manager's close alike.
        for (bool bEscape : {true, false}) {
            CAnsweringBoxes boxes(kSave);
            SWindow window(strFile, 1, {.pDialogs = &boxes});
            QVERIFY(QTest::qWaitForWindowActive(window.pFrame.get()));
            QSignalSpy closed(window.pFrame.get(), &CEditorFrame::Closed);
            QTest::keyClick(window.Focus(), Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(window.Focus(), bEscape ? "2X" : "3X");
            if (bEscape)
                QTest::keyClick(window.Focus(), Qt::Key_Escape);
            else
                window.pFrame->close();
            QTRY_COMPARE(closed.count(), 1);
            QCOMPARE(boxes.m_questions.size(), 1);
            QVERIFY(window.pFrame->FileWritten());
            const std::string strWritten = ReadWholeFile(strFile);
            QVERIFY2(strWritten == (bEscape ? "  100 FORMAT(2X, I5, F7.2)\n" : "  100 FORMAT(3X, I5, F7.2)\n"),
                     strWritten.c_str());
        }
        WriteWholeFile(strFile, "  100 FORMAT(1X, I5, F7.2)\n");
    }
    {
        // A save that is refused leaves the window open, as OK does.
        CRecordingPresenter presenter;
        CAnsweringBoxes boxes(kSave);
        SWindow window(strFile, 1, {.pPresenter = &presenter, .pDialogs = &boxes});
        QVERIFY(QTest::qWaitForWindowActive(window.pFrame.get()));
        QSignalSpy closed(window.pFrame.get(), &CEditorFrame::Closed);
        QTest::keyClick(window.Focus(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(window.Focus(), "2(");
        window.pFrame->CommandAction(CMD_CANCEL)->trigger();
        QCOMPARE(presenter.m_messages.size(), size_t(1));
        QCOMPARE(presenter.m_messages[0].text, std::string(kUnbalanced));
        QCOMPARE(closed.count(), 0);
        QVERIFY(window.pFrame->isVisible());
    }
    {
        // The unattended road never asks.
        CAnsweringBoxes boxes(kKeepEditing);
        SWindow window(strFile, 1, {.pDialogs = &boxes});
        StartDebugLog(window.run.Flags(), QDir(m_dir.path()).filePath("run.log").toStdString());
        QSignalSpy closed(window.pFrame.get(), &CEditorFrame::Closed);
        window.pFrame->CommandAction(CMD_REMOVE_FIELD)->trigger();
        window.pFrame->CommandAction(CMD_CANCEL)->trigger();
        QCOMPARE(closed.count(), 1);
        QVERIFY(boxes.m_questions.isEmpty());
    }
    QCOMPARE(ReadWholeFile(strFile), std::string("  100 FORMAT(1X, I5, F7.2)\n"));
}
