// The window's message boxes.
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "message_box.h"
#include "string_table.h"

class MessageBoxTest : public QObject {
    Q_OBJECT

private slots:
    void followsTheStyleBits_data();
    void followsTheStyleBits();
    void showsTheTextAsPlainText();
    void answersWithTheButtonPressed_data();
    void answersWithTheButtonPressed();
};

using Buttons = QList<QMessageBox::StandardButton>;

void MessageBoxTest::followsTheStyleBits_data()
{
    QTest::addColumn<unsigned>("style");
    QTest::addColumn<int>("icon");
    QTest::addColumn<Buttons>("buttons");
    QTest::addColumn<int>("defaultButton");
    QTest::newRow("OK") << unsigned(MB_OK) << int(QMessageBox::NoIcon) << Buttons{QMessageBox::Ok}
                        << int(QMessageBox::Ok);
    QTest::newRow("OK, exclamation") << unsigned(MB_ICONEXCLAMATION) << int(QMessageBox::Warning)
                                     << Buttons{QMessageBox::Ok} << int(QMessageBox::Ok);
    QTest::newRow("OK Cancel") << unsigned(MB_OKCANCEL | MB_ICONEXCLAMATION) << int(QMessageBox::Warning)
                               << Buttons{QMessageBox::Ok, QMessageBox::Cancel} << int(QMessageBox::Ok);
    QTest::newRow("Yes No, second default")
        << unsigned(MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2) << int(QMessageBox::Warning)
        << Buttons{QMessageBox::Yes, QMessageBox::No} << int(QMessageBox::No);
    QTest::newRow("Yes No Cancel, second default")
        << unsigned(MB_YESNOCANCEL | MB_ICONEXCLAMATION | MB_DEFBUTTON2) << int(QMessageBox::Warning)
        << Buttons{QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel} << int(QMessageBox::No);
    QTest::newRow("second default of one button") << unsigned(MB_OK | MB_DEFBUTTON2) << int(QMessageBox::NoIcon)
                                                  << Buttons{QMessageBox::Ok} << int(QMessageBox::Ok);
}

void MessageBoxTest::followsTheStyleBits()
{
    QFETCH(unsigned, style);
    QFETCH(int, icon);
    QFETCH(Buttons, buttons);
    QFETCH(int, defaultButton);
    QMessageBox box;
    ConfigureMessageBox(box, style, "text", "Quillmark");
    QCOMPARE(box.windowTitle(), QString("Quillmark"));
    QCOMPARE(int(box.icon()), icon);
    Buttons actual;
    for (QAbstractButton* pButton : box.buttons())
        actual << box.standardButton(pButton);
    std::sort(actual.begin(), actual.end());
    std::sort(buttons.begin(), buttons.end());
    QCOMPARE(actual, buttons);
    QVERIFY(box.defaultButton() != nullptr);
    QCOMPARE(int(box.standardButton(box.defaultButton())), defaultButton);
}

void MessageBoxTest::showsTheTextAsPlainText()
{
    QMessageBox box;
    ConfigureMessageBox(box, MB_OK, "Unable to open file \"<b>x</b>.for\"\nline two", "Quillmark");
    QCOMPARE(box.textFormat(), Qt::PlainText);
    QCOMPARE(box.text(), QString("Unable to open file \"<b>x</b>.for\"\nline two"));
}

void MessageBoxTest::answersWithTheButtonPressed_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("answer");
    QTest::newRow("Yes") << int(QMessageBox::Yes) << int(IDYES);
    QTest::newRow("No") << int(QMessageBox::No) << int(IDNO);
    QTest::newRow("Cancel") << int(QMessageBox::Cancel) << int(IDCANCEL);
}

void MessageBoxTest::answersWithTheButtonPressed()
{
    QFETCH(int, button);
    QFETCH(int, answer);
    QCOMPARE(AnswerOf(QMessageBox::StandardButton(button)), answer);
    QCOMPARE(AnswerOf(QMessageBox::Ok), int(IDOK));

    // The real box, shown modally and answered by a click.
    QString strShownText;
    QTimer::singleShot(0, this, [&] {
        auto* pBox = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(pBox != nullptr);
        strShownText = pBox->text();
        pBox->button(QMessageBox::StandardButton(button))->click();
    });
    CMessageBoxPresenter presenter;
    const int nResult = presenter.Present(nullptr, MB_YESNOCANCEL | MB_ICONEXCLAMATION | MB_DEFBUTTON2,
                                          "Unable to save FORMAT statement to file\nExit anyway?", "Quillmark");
    QCOMPARE(nResult, answer);
    QCOMPARE(strShownText, QString("Unable to save FORMAT statement to file\nExit anyway?"));
}

QTEST_MAIN(MessageBoxTest)
#include "message_box_test.moc"
