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
    void followsTheStyle_data();
    void followsTheStyle();
    void showsTheTextAsPlainText();
    void answersWithTheButtonPressed_data();
    void answersWithTheButtonPressed();
};

using Buttons = QList<QMessageBox::StandardButton>;

void MessageBoxTest::followsTheStyle_data()
{
    QTest::addColumn<SMessageStyle>("style");
    QTest::addColumn<int>("icon");
    QTest::addColumn<Buttons>("buttons");
    QTest::addColumn<int>("defaultButton");
    QTest::newRow("OK") << kPlainMessage << int(QMessageBox::NoIcon) << Buttons{QMessageBox::Ok}
                        << int(QMessageBox::Ok);
    QTest::newRow("OK, exclamation") << kWarningMessage << int(QMessageBox::Warning) << Buttons{QMessageBox::Ok}
                                     << int(QMessageBox::Ok);
    QTest::newRow("OK Cancel") << kOkCancelQuestion << int(QMessageBox::Warning)
                               << Buttons{QMessageBox::Ok, QMessageBox::Cancel} << int(QMessageBox::Ok);
    QTest::newRow("Yes No, second default") << kYesNoQuestion << int(QMessageBox::Warning)
                                            << Buttons{QMessageBox::Yes, QMessageBox::No} << int(QMessageBox::No);
    QTest::newRow("Yes No Cancel, second default")
        << kYesNoCancelQuestion << int(QMessageBox::Warning)
        << Buttons{QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel} << int(QMessageBox::No);
    QTest::newRow("second default of one button")
        << SMessageStyle{MessageButtons::OK, MessageIcon::NONE, 1} << int(QMessageBox::NoIcon)
        << Buttons{QMessageBox::Ok} << int(QMessageBox::Ok);
}

void MessageBoxTest::followsTheStyle()
{
    QFETCH(SMessageStyle, style);
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
    ConfigureMessageBox(box, kPlainMessage, "Unable to open file \"<b>x</b>.for\"\nline two", "Quillmark");
    QCOMPARE(box.textFormat(), Qt::PlainText);
    QCOMPARE(box.text(), QString("Unable to open file \"<b>x</b>.for\"\nline two"));
}

void MessageBoxTest::answersWithTheButtonPressed_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<MessageAnswer>("answer");
    QTest::newRow("Yes") << int(QMessageBox::Yes) << MessageAnswer::YES;
    QTest::newRow("No") << int(QMessageBox::No) << MessageAnswer::NO;
    QTest::newRow("Cancel") << int(QMessageBox::Cancel) << MessageAnswer::CANCEL;
}

void MessageBoxTest::answersWithTheButtonPressed()
{
    QFETCH(int, button);
    QFETCH(MessageAnswer, answer);
    QCOMPARE(AnswerOf(QMessageBox::StandardButton(button)), answer);
    QCOMPARE(AnswerOf(QMessageBox::Ok), MessageAnswer::OK);

    // The real box, shown modally and answered by a click.
    QString strShownText;
    QTimer::singleShot(0, this, [&] {
        auto* pBox = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(pBox != nullptr);
        strShownText = pBox->text();
        pBox->button(QMessageBox::StandardButton(button))->click();
    });
    CMessageBoxPresenter presenter;
    const MessageAnswer result = presenter.Present(
        nullptr, kYesNoCancelQuestion, "Unable to save FORMAT statement to file\nExit anyway?", "Quillmark");
    QCOMPARE(result, answer);
    QCOMPARE(strShownText, QString("Unable to save FORMAT statement to file\nExit anyway?"));
}

QTEST_MAIN(MessageBoxTest)
#include "message_box_test.moc"
