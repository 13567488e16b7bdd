// The dialogs' support: owner handles and the Save As filter.
#include <QWidget>
#include <QtTest>
#include <memory>

#include "owner_window.h"
#include "save_as_dialog.h"
#include "string_table.h"

class DialogsTest : public QObject {
    Q_OBJECT

private slots:
    void ownsTheBoxByALiveWidgetOnly();
    void turnsTheSaveFilterIntoQtNameFilters();
};

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

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
