// The field strip.
#include <QtTest>

#include "descriptor_list.h"
#include "field_strip.h"

class FieldStripTest : public QObject {
    Q_OBJECT
private slots:
    void creates();
};

void FieldStripTest::creates()
{
    CDescriptorList list;
    list.InsertDescriptor(0, "I5");
    QWidget parent;
    auto* pStrip = new CFieldStrip(&parent);
    pStrip->Create("&Format Statement", QRect(10, 10, 600, 50), &parent, &list, 1);
    QCOMPARE(pStrip->CellCount(), 1);
}

QTEST_MAIN(FieldStripTest)
#include "field_strip_test.moc"
