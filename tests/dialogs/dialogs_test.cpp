// The dialogs: New Field and Change Value filled and closed as a user would
// (never run modally), the Save As dialog's set-up, and owner handles.
#include <QApplication>
#include <QButtonGroup>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>
#include <QWidget>
#include <QtTest>
#include <memory>

#include "change_value_dialog.h"
#include "message.h"
#include "new_field_dialog.h"
#include "owner_window.h"
#include "save_as_dialog.h"
#include "statement_picker_dialog.h"
#include "string_table.h"

namespace {

// An owner window away from the screen's corner, shown.
struct SOwner {
    SOwner()
    {
        window.setGeometry(200, 150, 700, 400);
        window.show();
    }
    QWidget window;
};

void Press(QWidget* pWidget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(pWidget, key, modifiers);
    QCoreApplication::processEvents();
}

}  // namespace

class DialogsTest : public QObject {
    Q_OBJECT

private slots:
    void newFieldShowsTheTypesWithTheirDescriptors();
    void theCustomBoxIsUsableExactlyWhileCustomIsChosen();
    void newFieldEndsWithWhereToInsertAndWhat();
    void newFieldIsDrivenByItsKeys();
    void eachTypeStandsForItsDescriptor();
    void changeValueShowsTheValueAndNamesTheField();
    void setToDefaultClearsTheValueWhateverWasTyped();
    void changeValueEndsWithOkOrCancel();
    void dialogsOpenCentredOnTheirOwner();
    void saveAsOffersTheFilesOfTheStatementsForm();
    void ownsTheBoxByALiveWidgetOnly();
    void turnsTheSaveFilterIntoQtNameFilters();
    void pickerFiltersByLineLabelOrList();
    void pickerEnterGivesTheChosenStatement();
    void pickerCancelAndAnEmptyFilterChooseNothing();
};

void DialogsTest::newFieldShowsTheTypesWithTheirDescriptors()
{
    const CNewFieldDlg fresh;
    QCOMPARE(fresh.m_nType, -1);
    QVERIFY(fresh.m_strCustom.empty());
    CNewFieldDlg dialog(nullptr, TYPE_STRING);
    const QStringList labels{"Character &String",   "Character &Variable (A10)",    "&Logical (L2)", "&Integer (I5)",
                             "&Fixed-point (F7.3)", "Scientific &Notation (E15.8)", "&Custom:"};
    for (int nType = 0; nType < TYPE_COUNT; ++nType)
        QCOMPARE(dialog.TypeButton(nType)->text(), labels[nType]);
    QVERIFY(dialog.TypeButton(TYPE_STRING)->isChecked());
    QCOMPARE(dialog.windowTitle(), QString("New Field"));
    QVERIFY(dialog.InsertBeforeButton()->isDefault());
    QCOMPARE(dialog.InsertBeforeButton()->text(), QString("Insert &Before Current Field"));
    QCOMPARE(dialog.InsertAfterButton()->text(), QString("Insert &After Current Field"));

    // No type set: no button checked.
    CNewFieldDlg none;
    for (int nType = 0; nType < TYPE_COUNT; ++nType)
        QVERIFY(!none.TypeButton(nType)->isChecked());
    none.OnInsertBefore();
    QCOMPARE(none.m_nType, -1);
}

void DialogsTest::theCustomBoxIsUsableExactlyWhileCustomIsChosen()
{
    CNewFieldDlg dialog(nullptr, TYPE_STRING);
    QVERIFY(!dialog.CustomBox()->isEnabled());
    dialog.TypeButton(TYPE_CUSTOM)->click();
    QVERIFY(dialog.CustomBox()->isEnabled());
    dialog.TypeButton(TYPE_LOGICAL)->click();
    QVERIFY(!dialog.CustomBox()->isEnabled());
    // Opened on Custom, the box starts usable.
    CNewFieldDlg custom(nullptr, TYPE_CUSTOM, "2(I3)");
    QVERIFY(custom.CustomBox()->isEnabled());
    QCOMPARE(custom.CustomBox()->text(), QString("2(I3)"));
}

void DialogsTest::newFieldEndsWithWhereToInsertAndWhat()
{
    struct SCase {
        int nType;
        const char* pszTyped;
        bool bAfter;
    };
    for (const SCase& c :
         {SCase{TYPE_INTEGER, "", false}, SCase{TYPE_CUSTOM, "3(I5", true}, SCase{TYPE_CUSTOM, "", false}}) {
        CNewFieldDlg dialog(nullptr, TYPE_STRING);
        dialog.TypeButton(c.nType)->click();
        if (dialog.CustomBox()->isEnabled())
            dialog.CustomBox()->setText(QString::fromLatin1(c.pszTyped));
        (c.bAfter ? dialog.InsertAfterButton() : dialog.InsertBeforeButton())->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.m_bAfter, c.bAfter);
        QCOMPARE(dialog.m_nType, c.nType);
        QCOMPARE(dialog.m_strCustom, std::string(c.pszTyped));  // returned as typed, even empty
    }
    CNewFieldDlg cancelled;
    cancelled.reject();
    QCOMPARE(cancelled.result(), int(QDialog::Rejected));
}

void DialogsTest::newFieldIsDrivenByItsKeys()
{
    SOwner owner;
    CNewFieldDlg dialog(&owner.window, TYPE_STRING);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    // Alt+C chooses Custom (a mnemonic clicks its button a moment later)
    // and puts the keyboard in its box, so that typing goes there.
    Press(&dialog, Qt::Key_C, Qt::AltModifier);
    QTRY_VERIFY(dialog.TypeButton(TYPE_CUSTOM)->isChecked());
    QTRY_COMPARE(QApplication::focusWidget(), dialog.CustomBox());
    QTest::keyClicks(QApplication::focusWidget(), "3X");
    // Alt+I chooses Integer, Alt+A inserts after.
    Press(QApplication::focusWidget(), Qt::Key_I, Qt::AltModifier);
    QTRY_VERIFY(dialog.TypeButton(TYPE_INTEGER)->isChecked());
    QVERIFY(!dialog.CustomBox()->isEnabled());
    Press(QApplication::focusWidget(), Qt::Key_A, Qt::AltModifier);
    QTRY_COMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(dialog.m_bAfter);
    QCOMPARE(dialog.m_nType, int(TYPE_INTEGER));
    QCOMPARE(dialog.m_strCustom, std::string("3X"));

    // A click on Custom does the same; a text already there is selected.
    CNewFieldDlg clicked(&owner.window, TYPE_STRING, "2(I3)");
    clicked.show();
    QVERIFY(QTest::qWaitForWindowActive(&clicked));
    QTest::mouseClick(clicked.TypeButton(TYPE_CUSTOM), Qt::LeftButton);
    QTRY_COMPARE(QApplication::focusWidget(), clicked.CustomBox());
    QCOMPARE(clicked.CustomBox()->selectedText(), QString("2(I3)"));
    clicked.reject();

    // Enter presses Insert Before, Escape cancels.
    CNewFieldDlg again(&owner.window, TYPE_STRING);
    again.show();
    QVERIFY(QTest::qWaitForWindowActive(&again));
    Press(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(again.result(), int(QDialog::Accepted));
    QVERIFY(!again.m_bAfter);
    CNewFieldDlg escaped(&owner.window);
    escaped.show();
    QVERIFY(QTest::qWaitForWindowActive(&escaped));
    Press(QApplication::focusWidget(), Qt::Key_Escape);
    QCOMPARE(escaped.result(), int(QDialog::Rejected));
}

void DialogsTest::eachTypeStandsForItsDescriptor()
{
    const char* const texts[] = {"'Character String'", "A10", "L2", "I5", "F7.3", "E15.8"};
    for (int nType = 0; nType < TYPE_CUSTOM; ++nType)
        QCOMPARE(NewFieldText(nType, "ignored"), std::string(texts[nType]));
    QCOMPARE(NewFieldText(TYPE_CUSTOM, "2(I3)"), std::string("2(I3)"));
    QCOMPARE(NewFieldText(-1, ""), std::string());
}

void DialogsTest::changeValueShowsTheValueAndNamesTheField()
{
    CChangeValueDlg empty;
    QVERIFY(empty.ValueBox()->text().isEmpty());
    QCOMPARE(empty.windowTitle(), QString("Change Value"));

    CChangeValueDlg dialog(nullptr, "F7.3", "3.14159");
    QCOMPARE(dialog.ValueBox()->text(), QString("3.14159"));
    QCOMPARE(dialog.windowTitle(), QString("Change Value for F7.3"));
    QCOMPARE(dialog.ValueLabel()->text(), QString("Custom &Value:"));
    QCOMPARE(dialog.ValueLabel()->buddy(), dialog.ValueBox());
    QVERIFY(dialog.OkButton()->isDefault());
    // Bytes beyond ASCII come back as they went in.
    CChangeValueDlg bytes(nullptr, "", "caf\xe9");
    bytes.accept();
    QCOMPARE(bytes.m_strValue, std::string("caf\xe9"));
}

void DialogsTest::setToDefaultClearsTheValueWhateverWasTyped()
{
    SOwner owner;
    CChangeValueDlg dialog(&owner.window, "I5", "42");
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    // Alt+V reaches the box through its label.
    Press(QApplication::focusWidget(), Qt::Key_V, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), dialog.ValueBox());
    QTest::keyClicks(dialog.ValueBox(), "123");
    Press(QApplication::focusWidget(), Qt::Key_S, Qt::AltModifier);
    QTRY_COMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(dialog.m_strValue.empty());
}

void DialogsTest::changeValueEndsWithOkOrCancel()
{
    CChangeValueDlg emptied(nullptr, "", "42");
    emptied.ValueBox()->clear();
    emptied.OkButton()->click();
    QCOMPARE(emptied.result(), int(QDialog::Accepted));
    QVERIFY(emptied.m_strValue.empty());  // the default again

    CChangeValueDlg typed;
    typed.ValueBox()->setText("abc");
    typed.accept();
    QCOMPARE(typed.result(), int(QDialog::Accepted));
    QCOMPARE(typed.m_strValue, std::string("abc"));

    CChangeValueDlg cancelled(nullptr, "", "7");
    cancelled.ValueBox()->setText("8");
    cancelled.reject();
    QCOMPARE(cancelled.result(), int(QDialog::Rejected));
    QCOMPARE(cancelled.m_strValue, std::string("7"));
}

void DialogsTest::dialogsOpenCentredOnTheirOwner()
{
    SOwner owner;
    CNewFieldDlg newField(&owner.window);
    CChangeValueDlg changeValue(&owner.window);
    for (QWidget* pDialog : {static_cast<QWidget*>(&newField), static_cast<QWidget*>(&changeValue)}) {
        const QPoint offset = pDialog->frameGeometry().center() - owner.window.frameGeometry().center();
        QVERIFY2(offset.manhattanLength() <= 2, qPrintable(QString("off by %1, %2").arg(offset.x()).arg(offset.y())));
    }
}

void DialogsTest::saveAsOffersTheFilesOfTheStatementsForm()
{
    struct SCase {
        bool bFixedForm;
        const char* pszFile;
        QStringList filters;
        QString strSuffix;
    };
    const QStringList free{"Free-form Fortran Files (*.f90 *.f95 *.f03 *.f08)", "All Files (*)"};
    const QStringList fixed{"Fixed-form Fortran Files (*.for *.f *.ftn)", "All Files (*)"};
    const SCase cases[] = {
        {false, "ro.f90", free, "f90"}, {true, "ro.for", fixed, "for"}, {true, "old.f", fixed, "f"},
        {true, "noext", fixed, ""},     {false, "noext", free, "f90"},
    };
    QTemporaryDir dir;
    const QString strDir = QFileInfo(dir.path()).canonicalFilePath();
    for (const SCase& c : cases) {
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        ConfigureSaveAsDialog(dialog, c.bFixedForm, QDir(strDir).filePath(c.pszFile).toStdString());
        QCOMPARE(dialog.acceptMode(), QFileDialog::AcceptSave);
        QCOMPARE(dialog.nameFilters(), c.filters);
        QCOMPARE(dialog.defaultSuffix(), c.strSuffix);
        QCOMPARE(dialog.directory().absolutePath(), strDir);
        // The file's own name is proposed (with the suffix a free-form file needs).
        const QString strName = QString(c.pszFile) + (c.strSuffix.isEmpty() || QString(c.pszFile).contains('.')
                                                          ? QString()
                                                          : "." + c.strSuffix);
        QCOMPARE(QFileInfo(dialog.selectedFiles().value(0)).fileName(), strName);
    }
}

void DialogsTest::ownsTheBoxByALiveWidgetOnly()
{
    auto pWidget = std::make_unique<QWidget>();
    const OwnerHandle owner = OwnerOf(pWidget.get());
    QCOMPARE(WidgetOf(owner), pWidget.get());
    QCOMPARE(WidgetOf(nullptr), nullptr);
    pWidget.reset();
    QCOMPARE(WidgetOf(owner), nullptr);  // a handle whose window is gone owns nothing
    int notAWidget = 0;
    QCOMPARE(WidgetOf(&notAWidget), nullptr);
}

void DialogsTest::turnsTheSaveFilterIntoQtNameFilters()
{
    QCOMPARE(QtNameFilters(LoadResourceString(IDS_SAVE_FILTER)),
             (QStringList{"FORTRAN Files (*.for)", "All Files (*)"}));
    QCOMPARE(QtNameFilters("Fortran (*.f;*.for) | *.f;*.for ||"), QStringList{"Fortran (*.f *.for)"});
    QCOMPARE(QtNameFilters(""), QStringList{});
}

namespace {

std::vector<SIndexedStatement> PickerStatements()
{
    return {{13, 18, 0, true, "(1X, 'Ambient:', F6.1)"},
            {15, 7, 100, false, "(1X, 'Minute', 4X, 'Temperature')"},
            {16, 7, 110, false, "(1X,I6,4X,F11.3,4X, E13.5)"},
            {1100, 9, 0, true, "(A)"}};
}

// The line of the row the list shows at nRow.
int ShownLine(CStatementPickerDlg& picker, int nRow)
{
    return picker.List()->model()->index(nRow, 0).data().toInt();
}

}  // namespace

// Typing keeps the rows whose line, label or list holds the text, in any
// case; the first row kept is the current one.
void DialogsTest::pickerFiltersByLineLabelOrList()
{
    CStatementPickerDlg picker(nullptr, "report.for", PickerStatements());
    picker.show();
    QVERIFY(QTest::qWaitForWindowExposed(&picker));
    QCOMPARE(picker.FilterBox()->accessibleName().isEmpty(), false);
    QCOMPARE(picker.List()->accessibleName().isEmpty(), false);
    QCOMPARE(picker.ShownRows(), 4);
    struct {
        const char* pszTyped;
        std::vector<int> lines;
    } const kCases[] = {
        {"110", {16, 1100}},  // a label and a line
        {"e13", {16}},        // the list, in any case
        {"ambient", {13}},   {"15", {15}}, {"zz", {}},
    };
    for (const auto& c : kCases) {
        picker.FilterBox()->clear();
        QTest::keyClicks(picker.FilterBox(), QString::fromLatin1(c.pszTyped));
        QCOMPARE(picker.ShownRows(), static_cast<int>(c.lines.size()));
        for (std::size_t i = 0; i < c.lines.size(); ++i)
            QCOMPARE(ShownLine(picker, static_cast<int>(i)), c.lines[i]);
        if (!c.lines.empty())
            QCOMPARE(picker.List()->currentIndex().row(), 0);
    }
}

// Enter in the filter opens the current row; Down moves to the next one
// first. The statement comes back with its line and column.
void DialogsTest::pickerEnterGivesTheChosenStatement()
{
    CStatementPickerDlg picker(nullptr, "report.for", PickerStatements());
    picker.show();
    QVERIFY(QTest::qWaitForWindowExposed(&picker));
    QTest::keyClicks(picker.FilterBox(), QStringLiteral("1x"));
    QCOMPARE(picker.ShownRows(), 3);
    QTest::keyClick(picker.FilterBox(), Qt::Key_Down);
    QTest::keyClick(picker.FilterBox(), Qt::Key_Return);
    QCOMPARE(picker.result(), int(QDialog::Accepted));
    QVERIFY(picker.Chosen() != nullptr);
    QCOMPARE(picker.Chosen()->nLine, 15LL);
    QCOMPARE(picker.Chosen()->nColumn, 7LL);

    CStatementPickerDlg second(nullptr, "report.for", PickerStatements());
    second.show();
    QVERIFY(QTest::qWaitForWindowExposed(&second));
    QTest::keyClicks(second.FilterBox(), QStringLiteral("ambient"));
    QTest::keyClick(second.FilterBox(), Qt::Key_Enter);
    QVERIFY(second.Chosen() != nullptr);
    QCOMPARE(second.Chosen()->nLine, 13LL);
    QCOMPARE(second.Chosen()->nColumn, 18LL);
}

void DialogsTest::pickerCancelAndAnEmptyFilterChooseNothing()
{
    CStatementPickerDlg picker(nullptr, "report.for", PickerStatements());
    picker.show();
    QVERIFY(QTest::qWaitForWindowExposed(&picker));
    QTest::keyClicks(picker.FilterBox(), QStringLiteral("nothing like it"));
    QTest::keyClick(picker.FilterBox(), Qt::Key_Return);
    QVERIFY(picker.isVisible());  // no row to open: the dialog stays
    QVERIFY(picker.Chosen() == nullptr);
    QTest::keyClick(picker.FilterBox(), Qt::Key_Escape);
    QCOMPARE(picker.result(), int(QDialog::Rejected));
    QVERIFY(picker.Chosen() == nullptr);
}

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
