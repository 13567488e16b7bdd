// The field strip: typing and leaving fields, moving between fields and
// rows, cell and editor sizes, layout and scrolling, painting of the ruler
// and the connector, and what assistive technology is told.
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QFrame>
#include <QMenu>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>
#include <QtTest>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#ifdef QUILLMARK_HAVE_QPA
#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#endif

#include "descriptor_list.h"
#include "edit_history.h"
#include "field_edit.h"
#include "field_strip.h"

namespace {

// A shown strip over a list of the given descriptors, the editor on the
// text cell of field 0.
struct SStrip {
    explicit SStrip(const std::vector<std::string>& texts, int nWidth = 600)
    {
        for (const std::string& strText : texts)
            if (!list.InsertDescriptor(list.size(), strText.c_str()))
                qFatal("not a descriptor: %s", strText.c_str());
        parent.resize(nWidth + 20, 320);
        pStrip = new CFieldStrip(&parent);
        pStrip->Create(QStringLiteral("&Format Statement"), QRect(10, 10, nWidth, 50), &parent, &list, 1);
        parent.show();
        if (!QTest::qWaitForWindowActive(&parent))
            qFatal("the window did not become active");
        pStrip->GiveFocus();
    }

    CFieldEdit* Editor() const { return pStrip->Editor(); }

    // Keys go where the focus is, and the moves they post are carried out.
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, int nTimes = 1)
    {
        for (int i = 0; i < nTimes; ++i) {
            QTest::keyClick(QApplication::focusWidget(), key, modifiers);
            QCoreApplication::processEvents();
        }
    }
    void Type(const char* pszText)
    {
        QTest::keyClicks(QApplication::focusWidget(), QString::fromLatin1(pszText));
        QCoreApplication::processEvents();
    }
    void SelectAll() { Key(Qt::Key_A, Qt::ControlModifier); }

    // Paints the strip now, as the next paint would.
    QImage Picture() const { return pStrip->grab().toImage(); }

    std::string Text(int i) const { return list.At(i).Text(); }
    std::string Sample(int i) const { return list.At(i).Sample(); }
    std::string CellText(SCellRef cell) const { return pStrip->Cell(cell)->Text(); }
    SCellRef Current() const { return pStrip->CurrentId(); }

    CDescriptorList list;
    QWidget parent;
    CFieldStrip* pStrip = nullptr;
};

// Every field's cells hold its descriptor's text and repeated sample.
void VerifyCellsShowTheList(const CFieldStrip& strip, const CDescriptorList& list)
{
    QCOMPARE(strip.CellCount(), list.size());
    for (int i = 0; i < list.size(); ++i) {
        std::string strRepeated;
        list.GetRepeatedSample(i, strRepeated);
        QCOMPARE(strip.TextCell(i)->Text(), list.At(i).Text());
        QCOMPARE(strip.SampleCell(i)->Text(), strRepeated);
        QCOMPARE(strip.TextCell(i)->Id(), TextCellId(i));
        QCOMPARE(strip.SampleCell(i)->Id(), SampleCellId(i));
    }
}

// The length of the tick at x below the ruler line: dark pixels in a run
// from the line down.
int TickLength(const QImage& image, int x, int y)
{
    int n = 0;
    while (y + 1 + n < image.height() && qGray(image.pixel(x, y + 1 + n)) < 128)
        ++n;
    return n + 1;  // the ruler line's own pixel counts, as a tick starts on it
}

}  // namespace

class FieldStripTest : public QObject {
    Q_OBJECT

private slots:
    void typesCharacterByCharacterWithALiveSample();
    void leavingAnInvalidTextTakesItBack();
    void aTypedSampleDerivesATextAndShowsTheStandardSampleOnLeaving();
    void keysTypedAheadOfAFieldMoveGoToTheNewField();
    void upAndDownStayInTheField();
    void plainArrowsMoveTheCaretOnly();
    void fieldKeysStopAtTheEnds();
    void theEditorCoversItsOwnCellAndShowsItsWholeText();
    void cellsFitTheirTextsAndShareBorders();
    void theStripIsAsHighAsItsFontSays();
    void laysOutWhatFitsAndCountsTheFirstFieldAsFitting();
    void ctrlRightPastTheLastVisibleFieldScrollsAPage();
    void ctrlEndShowsTheLastField();
    void aCurrentSampleWiderThanTheStripShowsItsStart();
    void scrollRequestsMoveTheFirstVisibleField();
    void scrollingLeavesTheEditorOutOfSightAndTypingBringsItBack();
    void clickingACellMakesItCurrent();
    void cellsFollowTheListAsFieldsComeAndGo();
    void aModeChangeReloadsTheLaterFields();
    void theRulerCountsColumnsOfTheRecord_data();
    void theRulerCountsColumnsOfTheRecord();
    void theConnectorFollowsTheCurrentField();
    void tellsAssistiveTechnologyWhatIsCurrent();
    void theEditorsDescriptionFollowsWhatIsTyped();
    void typingKeepsTheAccessibleFocusOnTheEditor();
    void theEditorsUndoIsTheStripsHistory();
    void pastingMoreThanAFieldHoldsSaysWhatWasCut();
};

void FieldStripTest::typesCharacterByCharacterWithALiveSample()
{
    SStrip s({"I5", "1X"});
    s.SelectAll();
    s.Key(Qt::Key_Delete);
    QCOMPARE(s.Text(0), std::string());
    QCOMPARE(s.CellText(SampleCellId(0)), std::string(INVALID_MARKER));
    // After each keystroke the list holds the text and the sample row shows
    // what it prints, "??????" while it is no descriptor.
    const std::pair<const char*, const char*> steps[] = {
        {"F", "1234567.1234567"}, {"F7", INVALID_MARKER}, {"F7.", INVALID_MARKER}, {"F7.3", "123.123"}};
    for (const auto& [pszText, pszSample] : steps) {
        s.Type(&pszText[std::strlen(pszText) - 1]);
        QCOMPARE(s.Text(0), std::string(pszText));
        QCOMPARE(s.CellText(TextCellId(0)), std::string(pszText));
        QCOMPARE(s.CellText(SampleCellId(0)), std::string(pszSample));
        QCOMPARE(s.list.m_bInvalid, std::string(pszSample) == INVALID_MARKER ? 1 : 0);
    }
    // The later field's column follows on the next paint.
    s.Picture();
    QCOMPARE(s.pStrip->SampleCell(1)->Rect().left(), s.pStrip->SampleCell(0)->Rect().right());
}

void FieldStripTest::leavingAnInvalidTextTakesItBack()
{
    SStrip s({"1X", "I5", "F7.2"});
    s.Key(Qt::Key_Right, Qt::ControlModifier);
    QCOMPARE(s.Current(), TextCellId(1));
    s.Type("x");
    QCOMPARE(s.Text(1), std::string("I5x"));
    QCOMPARE(s.CellText(SampleCellId(1)), std::string(INVALID_MARKER));
    s.Key(Qt::Key_Right, Qt::ControlModifier);
    QCOMPARE(s.Current(), TextCellId(2));
    QCOMPARE(s.Text(1), std::string("I5"));
    QCOMPARE(s.CellText(TextCellId(1)), std::string("I5"));
    QCOMPARE(s.CellText(SampleCellId(1)), std::string("12345"));
    QCOMPARE(s.list.m_bInvalid, 0);
    // A valid edit is kept.
    s.Key(Qt::Key_Left, Qt::ControlModifier);
    s.Key(Qt::Key_Backspace);
    s.Type("8");
    s.Key(Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(s.Text(1), std::string("I8"));
    QCOMPARE(s.CellText(SampleCellId(1)), std::string("12345678"));
    QCOMPARE(s.Editor()->text(), QString("1X"));
}

void FieldStripTest::aTypedSampleDerivesATextAndShowsTheStandardSampleOnLeaving()
{
    SStrip s({"1X", "F7.3"});
    s.Key(Qt::Key_End, Qt::ControlModifier);
    s.Key(Qt::Key_Down);
    QCOMPARE(s.Current(), SampleCellId(1));
    QCOMPARE(s.Editor()->text(), QString("123.123"));  // one repetition, as the list holds it
    s.SelectAll();
    s.Type("12.5");
    // While typing the sample row shows what was typed, the text is derived.
    QCOMPARE(s.Text(1), std::string("F4.1"));
    QCOMPARE(s.CellText(TextCellId(1)), std::string("F4.1"));
    QCOMPARE(s.CellText(SampleCellId(1)), std::string("12.5"));
    s.Key(Qt::Key_Up);
    QCOMPARE(s.Current(), TextCellId(1));
    QCOMPARE(s.Editor()->text(), QString("F4.1"));
    QCOMPARE(s.Sample(1), std::string("12.1"));  // the standard sample of F4.1
    QCOMPARE(s.CellText(SampleCellId(1)), std::string("12.1"));
}

void FieldStripTest::keysTypedAheadOfAFieldMoveGoToTheNewField()
{
    // Keys already waiting when a field key or a click is handled (a fast
    // typist, a busy machine, a macro) belong to the field moved to.
    SStrip s({"1X", "I5", "F7.2"});
    const auto post = [&](Qt::Key key, Qt::KeyboardModifiers modifiers, const QString& strText = QString()) {
        QCoreApplication::postEvent(s.Editor(), new QKeyEvent(QEvent::KeyPress, key, modifiers, strText));
        QCoreApplication::postEvent(s.Editor(), new QKeyEvent(QEvent::KeyRelease, key, modifiers, strText));
    };
    post(Qt::Key_Right, Qt::ControlModifier);
    post(Qt::Key_Backspace, Qt::NoModifier);
    post(Qt::Key_8, Qt::NoModifier, "8");
    post(Qt::Key_Down, Qt::NoModifier);
    post(Qt::Key_Right, Qt::ControlModifier);
    post(Qt::Key_A, Qt::ControlModifier);
    post(Qt::Key_1, Qt::NoModifier, "1");
    post(Qt::Key_Period, Qt::NoModifier, ".");
    post(Qt::Key_5, Qt::NoModifier, "5");
    QCoreApplication::processEvents();
    QCOMPARE(s.Text(0), std::string("1X"));
    QCOMPARE(s.Text(1), std::string("I8"));
    QCOMPARE(s.Current(), SampleCellId(2));
    QCOMPARE(s.Text(2), std::string("F3.1"));

    const QPoint cell = s.pStrip->TextCell(0)->Rect().center();
    QCoreApplication::postEvent(s.pStrip, new QMouseEvent(QEvent::MouseButtonPress, cell, s.pStrip->mapToGlobal(cell),
                                                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
    QCoreApplication::postEvent(s.pStrip, new QMouseEvent(QEvent::MouseButtonRelease, cell, s.pStrip->mapToGlobal(cell),
                                                          Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
    post(Qt::Key_2, Qt::NoModifier, "2");
    QCoreApplication::processEvents();
    QCOMPARE(s.Text(0), std::string("1X2"));
    QCOMPARE(s.Text(2), std::string("F3.1"));
}

void FieldStripTest::upAndDownStayInTheField()
{
    SStrip s({"SP", "2I3", "A4"});
    s.Key(Qt::Key_Right, Qt::ControlModifier);
    const std::pair<Qt::Key, Qt::KeyboardModifiers> moves[] = {
        {Qt::Key_Up, Qt::NoModifier},  // already in the text row: nothing
        {Qt::Key_Down, Qt::NoModifier},      {Qt::Key_Down, Qt::NoModifier}, {Qt::Key_Up, Qt::ControlModifier},
        {Qt::Key_Down, Qt::ControlModifier}, {Qt::Key_Up, Qt::NoModifier},
    };
    const SCellRef expected[] = {TextCellId(1), SampleCellId(1), SampleCellId(1),
                                 TextCellId(1), SampleCellId(1), TextCellId(1)};
    for (std::size_t k = 0; k < std::size(moves); ++k) {
        s.Key(moves[k].first, moves[k].second);
        QCOMPARE(s.Current(), expected[k]);
    }
    // Passing through the sample row without typing changes nothing.
    QCOMPARE(s.Text(1), std::string("2I3"));
    QCOMPARE(s.Sample(1), std::string("+12"));
    // Moving right and left keeps the row.
    s.Key(Qt::Key_Down);
    s.Key(Qt::Key_Right, Qt::ControlModifier);
    QCOMPARE(s.Current(), SampleCellId(2));
    s.Key(Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(s.Current(), SampleCellId(0));
    QCOMPARE(s.Text(0), std::string("SP"));  // an empty sample typed nowhere
}

void FieldStripTest::plainArrowsMoveTheCaretOnly()
{
    SStrip s({"F7.3", "I5"});
    QCOMPARE(s.Editor()->cursorPosition(), 4);
    s.Key(Qt::Key_Left);
    s.Key(Qt::Key_Left);
    QCOMPARE(s.Editor()->cursorPosition(), 2);
    s.Key(Qt::Key_Home);
    QCOMPARE(s.Editor()->cursorPosition(), 0);
    s.Type("1P");
    QCOMPARE(s.Text(0), std::string("1PF7.3"));
    s.Key(Qt::Key_End);
    s.Key(Qt::Key_Right);
    QCOMPARE(s.Editor()->cursorPosition(), 6);
    QCOMPARE(s.Current(), TextCellId(0));
    s.Key(Qt::Key_Right, Qt::ControlModifier);
    QCOMPARE(s.Current(), TextCellId(1));
}

void FieldStripTest::fieldKeysStopAtTheEnds()
{
    SStrip s({"I5", "I6"});
    for (auto key : {Qt::Key_Left, Qt::Key_Home}) {
        s.Key(key, Qt::ControlModifier);
        QCOMPARE(s.Current(), TextCellId(0));
    }
    s.Key(Qt::Key_End, Qt::ControlModifier);
    for (auto key : {Qt::Key_Right, Qt::Key_End}) {
        s.Key(key, Qt::ControlModifier);
        QCOMPARE(s.Current(), TextCellId(1));
    }
    QCOMPARE(s.pStrip->First(), 1);  // Ctrl+End went a page on
}

// Where the caret stands in the editor, in the editor's pixels (the line
// edit's cursor rectangle reaches five pixels left of the caret).
int CaretX(const CFieldEdit& edit)
{
    return edit.inputMethodQuery(Qt::ImCursorRectangle).toRect().left() + 5;
}

// The editor covers its own text cell exactly, so no neighbour is hidden,
// and shows its whole text where the cell shows it, with the caret after
// it inside the border and highlight (three pixels).
void VerifyEditorOnItsCell(SStrip& s, const QRect& cell, bool bSampleRow)
{
    CFieldEdit& edit = *s.Editor();
    const int nIndent = s.pStrip->GetFontCharWidth() / 2;
    const int nTextWidth = static_cast<int>(edit.text().size()) * s.pStrip->GetFontCharWidth();
    const QRect r = edit.geometry();
    if (bSampleRow) {
        // Half a letter left of the sample, as wide as a text cell would be.
        QCOMPARE(r.left(), cell.left() - nIndent);
        QCOMPARE(r.width(), cell.width() + s.pStrip->GetFontCharWidth());
    } else {
        QCOMPARE(r, cell);
    }
    QCOMPARE(r.top(), cell.top());
    QCOMPARE(r.height(), cell.height());
    s.Key(Qt::Key_Home);
    QCOMPARE(CaretX(edit), nIndent);  // the text is not scrolled
    s.Key(Qt::Key_End);
    QCOMPARE(CaretX(edit), nIndent + nTextWidth);
    QVERIFY2(CaretX(edit) + 1 <= r.width() - 3,
             qPrintable(QStringLiteral("caret at %1 of %2").arg(CaretX(edit)).arg(r.width())));
}

void FieldStripTest::theEditorCoversItsOwnCellAndShowsItsWholeText()
{
    SStrip s({"1X", "I6", "4X", "F11.3", "'Minute'", "I5", "F7.2"});
    for (int i = 0; i < s.list.size(); ++i) {
        QCOMPARE(s.Current(), TextCellId(i));
        VerifyEditorOnItsCell(s, s.pStrip->TextCell(i)->Rect(), false);
        if (i + 1 < s.list.size())  // the shared border at most
            QVERIFY(s.Editor()->geometry().right() <= s.pStrip->TextCell(i + 1)->Rect().left());
        s.Key(Qt::Key_Down);
        VerifyEditorOnItsCell(s, s.pStrip->SampleCell(i)->Rect(), true);
        s.Key(Qt::Key_Up);
        s.Key(Qt::Key_Right, Qt::ControlModifier);
    }
    // It follows its text as it grows and shrinks, down to nothing.
    s.Key(Qt::Key_Home, Qt::ControlModifier);
    for (const char* pszText : {"F17.13", "I5", ""}) {
        s.SelectAll();
        if (*pszText != '\0')
            s.Type(pszText);
        else
            s.Key(Qt::Key_Delete);
        QTRY_COMPARE(s.pStrip->TextCell(0)->Text(), std::string(pszText));
        VerifyEditorOnItsCell(s, s.pStrip->TextCell(0)->Rect(), false);
        QTRY_VERIFY(s.Editor()->geometry().right() <= s.pStrip->TextCell(1)->Rect().left());
    }
}

void FieldStripTest::cellsFitTheirTextsAndShareBorders()
{
    SStrip s({"F7.3", "3I2", "SP", "'ab'"});
    const int cw = s.pStrip->GetFontCharWidth();
    const int h = s.pStrip->GetFontHeight();
    const int nHeight = h + (2 * h) / 3;
    for (int i = 0; i < s.list.size(); ++i) {
        const CFieldCell* pText = s.pStrip->TextCell(i);
        const CFieldCell* pSample = s.pStrip->SampleCell(i);
        // A text cell: its text, one letter and the shared border; a sample
        // cell: its text and the border. Both rows equally high.
        QCOMPARE(pText->Rect().size(), QSize(static_cast<int>(pText->Text().size()) * cw + cw + 1, nHeight));
        QCOMPARE(pSample->Rect().size(), QSize(static_cast<int>(pSample->Text().size()) * cw + 1, nHeight));
        QCOMPARE(pText->Kind(), int(CELL_TEXT));
        QCOMPARE(pSample->Kind(), int(CELL_SAMPLE));
        if (i > 0) {  // neighbours share their one-pixel border
            QCOMPARE(pText->Rect().left(), s.pStrip->TextCell(i - 1)->Rect().right());
            QCOMPARE(pSample->Rect().left(), s.pStrip->SampleCell(i - 1)->Rect().right());
        }
    }
    QCOMPARE(s.CellText(SampleCellId(1)), std::string("121212"));  // the sample repeated
    // Both rows start one character in.
    QCOMPARE(s.pStrip->TextCell(0)->Rect().topLeft(), QPoint(cw, s.pStrip->GetLayoutY(LAYOUT_TEXT_ROW)));
    QCOMPARE(s.pStrip->SampleCell(0)->Rect().topLeft(), QPoint(cw, s.pStrip->GetLayoutY(LAYOUT_SAMPLE_ROW)));
}

void FieldStripTest::theStripIsAsHighAsItsFontSays()
{
    SStrip s({"I5"});
    CFieldStrip& strip = *s.pStrip;
    const int h = QFontMetrics(strip.GetStripFont()).height();
    QCOMPARE(strip.GetFontHeight(), h);
    const int nExpected[] = {2 * h, 5 * h + 2 * (h / 2), 7 * h + 2 * (h / 2), 11 * h + 2 * (h / 2) + 8};
    for (int nWhich = 0; nWhich < 4; ++nWhich)
        QCOMPARE(strip.GetLayoutY(nWhich), nExpected[nWhich]);
    // Whatever rectangle it is given, only its width counts; the frame is
    // one pixel wider on each side and one lower, so its edges show.
    strip.Resize(QRect(5, 7, 400, 20), true);
    QCOMPARE(strip.geometry(), QRect(6, 7, 398, nExpected[3]));
    QCOMPARE(strip.Frame()->geometry(), QRect(5, 7, 400, nExpected[3] + 1));
    QCOMPARE(strip.ClientRect().height(), nExpected[3] - strip.ScrollBar()->height());
}

void FieldStripTest::laysOutWhatFitsAndCountsTheFirstFieldAsFitting()
{
    SStrip all({"I5", "F7.3", "A3"});
    QCOMPARE(all.pStrip->LastText(), 2);
    QCOMPARE(all.pStrip->LastSample(), 2);
    for (int i = 0; i < 3; ++i)
        QVERIFY(all.pStrip->TextCell(i)->IsVisible() && all.pStrip->SampleCell(i)->IsVisible());
    // Every field shows: no scroll bar, and neither it nor the wheel scrolls;
    // its room stays, blank under the strip's bottom line.
    QVERIFY(!all.pStrip->Overflows());
    QVERIFY(!all.pStrip->ScrollBar()->isVisible());
    all.pStrip->Scroll(QAbstractSlider::SliderSingleStepAdd);
    QWheelEvent wheel(QPointF(5, 5), all.pStrip->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(all.pStrip, &wheel);
    QCOMPARE(all.pStrip->First(), 0);
    const QImage foot = all.Picture();
    QCOMPARE(qGray(foot.pixel(all.pStrip->width() / 2, all.pStrip->height() - 1)), 0);
    QVERIFY(qGray(foot.pixel(all.pStrip->width() / 2, all.pStrip->ClientRect().height() - 1)) > 128);
    // A field typed wider than the rest of the strip brings it out.
    all.Type(("'" + std::string(120, 'w') + "'").c_str());
    all.Picture();
    QVERIFY(all.pStrip->Overflows());
    QVERIFY(all.pStrip->ScrollBar()->isVisible());
    all.SelectAll();
    all.Type("I5");
    all.Picture();
    QVERIFY(!all.pStrip->ScrollBar()->isVisible());

    // A field wider than the strip still counts as the last visible one when
    // it is the first; the rows stop at different fields.
    std::vector<std::string> texts(40, "I4");
    texts[1] = "99A5";
    SStrip wide(texts, 300);
    CFieldStrip& strip = *wide.pStrip;
    QCOMPARE(strip.LastSample(), 0);
    QVERIFY(strip.LastText() > 2 && strip.LastText() < 39);
    // The row that still fits goes on; past both, cells are hidden.
    QVERIFY(strip.SampleCell(strip.LastText())->IsVisible());
    QVERIFY(!strip.TextCell(39)->IsVisible() && !strip.SampleCell(39)->IsVisible());
    QVERIFY(strip.ScrollBar()->isVisible());
    strip.Scroll(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(strip.First(), 1);
    QCOMPARE(strip.LastSample(), 1);
    // Those before the first visible field end at the left margin.
    QCOMPARE(strip.SampleCell(0)->Rect().right() + 1, strip.GetFontCharWidth());
    QCOMPARE(strip.TextCell(0)->Rect().right() + 1, strip.GetFontCharWidth());
}

void FieldStripTest::ctrlRightPastTheLastVisibleFieldScrollsAPage()
{
    std::vector<std::string> texts;
    for (int i = 0; i < 40; ++i)
        texts.push_back("F8." + std::to_string(i % 5));
    SStrip s(texts, 400);
    const int nLast = s.pStrip->LastSample();
    QVERIFY(nLast > 2 && nLast < 20);
    s.Key(Qt::Key_Down);
    s.Key(Qt::Key_Right, Qt::ControlModifier, nLast);
    QCOMPARE(s.pStrip->First(), 0);  // still in view: no scrolling
    s.Key(Qt::Key_Right, Qt::ControlModifier);
    QCOMPARE(s.Current(), SampleCellId(nLast + 1));
    QCOMPARE(s.pStrip->First(), nLast + 1);  // a page on: the new field is the first visible one
    // Stepping left onto the first visible field scrolls by one.
    s.Key(Qt::Key_Left, Qt::ControlModifier);
    QCOMPARE(s.Current(), SampleCellId(nLast));
    QCOMPARE(s.pStrip->First(), nLast);
    s.Key(Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(s.pStrip->First(), 0);
}

void FieldStripTest::ctrlEndShowsTheLastField()
{
    std::vector<std::string> texts(200, "I7");
    SStrip s(texts, 400);
    s.Key(Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(s.Current(), TextCellId(199));
    // More than a page on: the strip scrolls on until the last field shows
    // wholly, as the last visible one, the editor on it.
    QCOMPARE(s.pStrip->LastText(), 199);
    const int nFieldWidth = s.pStrip->TextCell(0)->Width() - 1;
    QCOMPARE(199 - s.pStrip->First() + 1,
             (s.pStrip->ClientRect().width() - 2 - s.pStrip->GetFontCharWidth()) / nFieldWidth);
    QVERIFY(s.pStrip->TextCell(199)->Rect().right() < s.pStrip->ClientRect().width());
    QCOMPARE(s.Editor()->geometry().left(), s.pStrip->TextCell(199)->Rect().left());
    QVERIFY(s.Editor()->isVisible());
}

void FieldStripTest::aCurrentSampleWiderThanTheStripShowsItsStart()
{
    // The group's ")" shows its 998 extra passes: a sample of 3992
    // characters after a record break, behind fields whose samples are far
    // wider than their texts.
    std::vector<std::string> texts(245, "A10");
    for (const char* pszText : {"/", "999(", "A4", ")"})
        texts.emplace_back(pszText);
    SStrip s(texts);
    const int nLast = static_cast<int>(texts.size()) - 1;
    const int cw = s.pStrip->GetFontCharWidth();
    QCOMPARE(s.pStrip->SampleCell(nLast)->Text().size(), std::size_t(3992));
    // From either row, at once and from the field before it.
    const auto verify = [&](const char* pszWhere) {
        QCOMPARE(s.pStrip->CurrentIndex(), nLast);
        s.Picture();  // lays the rows out as the screen shows them
        // The field comes first, so that the sample's start shows, joined to
        // its text by the connector, over the ruler's first column.
        const QRect text = s.pStrip->TextCell(nLast)->Rect();
        const QRect sample = s.pStrip->SampleCell(nLast)->Rect();
        QVERIFY2(s.pStrip->First() == nLast, pszWhere);
        QCOMPARE(sample.left(), cw);
        QCOMPARE(text.left(), cw);
        QVERIFY(s.pStrip->SampleCell(nLast)->IsVisible());
        QCOMPARE(s.pStrip->Connector()[0], QLine(text.left(), text.bottom() + 1, sample.left(), sample.top()));
    };
    s.Key(Qt::Key_End, Qt::ControlModifier);
    verify("Ctrl+End in the text row");
    s.Key(Qt::Key_Down);
    verify("its sample");
    s.Key(Qt::Key_Home, Qt::ControlModifier);
    s.Key(Qt::Key_End, Qt::ControlModifier);
    verify("Ctrl+End in the sample row");
    s.Key(Qt::Key_Up);
    s.Key(Qt::Key_Left, Qt::ControlModifier);
    s.Key(Qt::Key_Right, Qt::ControlModifier);
    verify("Ctrl+Right onto it");
}

void FieldStripTest::scrollRequestsMoveTheFirstVisibleField()
{
    std::vector<std::string> texts;
    for (int i = 0; i < 30; ++i)
        texts.push_back(i == 5 ? "'" + std::string(80, 'w') + "'" : "I4");
    SStrip s(texts, 400);
    CFieldStrip& strip = *s.pStrip;
    const int nPage = strip.ClientRect().width() / strip.GetFontCharWidth();
    QVERIFY(nPage < 80);

    strip.Scroll(QAbstractSlider::SliderSingleStepSub);  // already at the start
    QCOMPARE(strip.First(), 0);
    strip.Scroll(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(strip.First(), 1);
    strip.Scroll(QAbstractSlider::SliderSingleStepSub);
    QCOMPARE(strip.First(), 0);
    // Page right: the last field that both rows show wholly comes first.
    strip.Scroll(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(strip.First(), 4);
    strip.ScrollTo(20);
    QCOMPARE(strip.First(), 20);
    QCOMPARE(strip.ScrollBar()->value(), 20);
    strip.Scroll(QAbstractSlider::SliderMove);  // dragging: only the release counts
    strip.Scroll(QAbstractSlider::SliderToMinimum);
    strip.Scroll(QAbstractSlider::SliderNoAction);
    QCOMPARE(strip.First(), 20);
    // Page left goes back by whole fields until a row fills a page: here
    // the samples, four characters a field, counted from field 20 itself.
    const int nFieldsInAPage = (nPage + 3) / 4;
    strip.Scroll(QAbstractSlider::SliderPageStepSub);
    QCOMPARE(strip.First(), 20 - nFieldsInAPage + 2);
    // A first field at least a page wide: back by exactly one.
    strip.ScrollTo(5);
    strip.Scroll(QAbstractSlider::SliderPageStepSub);
    QCOMPARE(strip.First(), 4);
    // Line right stops when the last field is the first visible one.
    strip.ScrollTo(29);
    strip.Scroll(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(strip.First(), 29);
    // Scrolling never changes the current cell.
    QCOMPARE(s.Current(), TextCellId(0));

    // The scroll bar's own actions arrive as the same requests.
    strip.ScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    QCOMPARE(strip.First(), 28);
    QCOMPARE(strip.ScrollBar()->value(), 28);
    strip.ScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);  // ignored
    QCOMPARE(strip.First(), 28);
    QCOMPARE(strip.ScrollBar()->value(), 28);
}

void FieldStripTest::scrollingLeavesTheEditorOutOfSightAndTypingBringsItBack()
{
    std::vector<std::string> texts(60, "I4");
    SStrip s(texts, 400);
    s.Key(Qt::Key_Right, Qt::ControlModifier, 3);
    s.pStrip->ScrollTo(30);
    // Field 3 is out of view: the editor keeps the keys but is not drawn
    // over another field.
    QVERIFY(s.Editor()->hasFocus());
    QVERIFY(s.Editor()->geometry().right() < 0);
    s.Key(Qt::Key_Backspace);
    s.Type("9");
    // What was typed is kept, and the field is in view again under the editor.
    QCOMPARE(s.Text(3), std::string("I9"));
    QCOMPARE(s.Editor()->text(), QString("I9"));
    QCOMPARE(s.pStrip->First(), 3);
    QCOMPARE(s.Editor()->geometry().left(), s.pStrip->TextCell(3)->Rect().left());
}

void FieldStripTest::clickingACellMakesItCurrent()
{
    std::vector<std::string> texts(40, "F9.4");
    SStrip s(texts, 400);
    const CFieldCell* pSample = s.pStrip->SampleCell(2);
    QTest::mouseClick(s.pStrip, Qt::LeftButton, {}, pSample->Rect().center());
    QTRY_COMPARE(s.Current(), SampleCellId(2));
    QCOMPARE(s.Editor()->text(), QString("1234.1234"));
    QCOMPARE(s.pStrip->First(), 0);
    // The cut-off cell at the right edge becomes the first visible field.
    const int nCut = s.pStrip->LastText() + 1;
    const QRect cut = s.pStrip->TextCell(nCut)->Rect();
    QTest::mouseClick(s.pStrip, Qt::LeftButton, {}, QPoint(cut.left() + 3, cut.center().y()));
    QTRY_COMPARE(s.Current(), TextCellId(nCut));
    QCOMPARE(s.pStrip->First(), nCut);
    // A click beside the cells keeps the current one.
    QTest::mouseClick(s.pStrip, Qt::LeftButton, {}, QPoint(s.pStrip->width() / 2, 3));
    QCoreApplication::processEvents();
    QCOMPARE(s.Current(), TextCellId(nCut));
    QVERIFY(s.Editor()->hasFocus());
}

void FieldStripTest::cellsFollowTheListAsFieldsComeAndGo()
{
    SStrip s({"I1", "I2", "I3", "I4"});
    s.list.RemoveDescriptor(1);
    s.list.RemoveDescriptor(0);
    s.pStrip->Rebuild(1);
    VerifyCellsShowTheList(*s.pStrip, s.list);
    s.list.InsertDescriptor(0, "A7");
    s.list.InsertDescriptor(1, "SP");
    s.list.InsertDescriptor(4, "F5.1");
    s.pStrip->Rebuild(1);
    VerifyCellsShowTheList(*s.pStrip, s.list);
    QCOMPARE(s.CellText(TextCellId(2)), std::string("I3"));
    QCOMPARE(s.CellText(SampleCellId(2)), std::string("+12"));
    // A focus target past the end lands on the last field.
    s.pStrip->SetFocusId(SampleCellId(9));
    s.pStrip->GiveFocus();
    QCOMPARE(s.Current(), SampleCellId(4));
}

void FieldStripTest::aModeChangeReloadsTheLaterFields()
{
    SStrip s({"SS", "I3", "2(", "I2", ")", "F6.2"});
    s.Key(Qt::Key_Backspace);
    s.Type("P");
    s.Picture();  // the next paint reloads every changed field
    VerifyCellsShowTheList(*s.pStrip, s.list);
    QCOMPARE(s.CellText(SampleCellId(3)), std::string("+1"));
    QCOMPARE(s.CellText(SampleCellId(5)), std::string("+12.12"));
}

void FieldStripTest::theRulerCountsColumnsOfTheRecord_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<int>("first");
    QTest::addColumn<QList<int>>("ticks");  // the lengths of the first ticks
    QTest::addColumn<int>("labelTick");     // where the first label (its tens) stands
    // A field at column 23: short ticks, a medium one at 25, the first long
    // one (labelled "3") under the eighth tick.
    QTest::newRow("column 23") << QStringList{QString("'%1'").arg(QString(23, 'c')), "I5", "I4"} << 1
                               << QList<int>{2, 2, 4, 2, 2, 2, 2, 6, 2} << 7;
    // After a record break the columns start again at 0.
    QTest::newRow("record break") << QStringList{"I3", "/", "I12"} << 0
                                  << QList<int>{6, 2, 2, 6, 2, 2, 2, 2, 4, 2, 2, 2, 2, 6} << 0;
    // A repeated field takes all its columns: 3I5 is fifteen.
    QTest::newRow("repeat count") << QStringList{"3I5", "I9"} << 0
                                  << QList<int>{6, 2, 2, 2, 2, 4, 2, 2, 2, 2, 6, 2, 2, 2, 2, 4, 2} << 0;
    // Fields that print nothing take no columns.
    QTest::newRow("modes") << QStringList{"SP", "1P", "I6", "BN", "I6"} << 0
                           << QList<int>{6, 2, 2, 2, 2, 4, 2, 2, 2, 2, 6} << 0;
}

void FieldStripTest::theRulerCountsColumnsOfTheRecord()
{
    QFETCH(QStringList, texts);
    QFETCH(int, first);
    QFETCH(QList<int>, ticks);
    std::vector<std::string> strTexts;
    for (const QString& strText : texts)
        strTexts.push_back(strText.toStdString());
    if (first > 0)  // more fields after them, so that there is somewhere to scroll
        strTexts.insert(strTexts.end(), 100, "1X");
    SStrip s(strTexts);
    s.pStrip->ScrollTo(first);
    const QImage image = s.Picture();
    const int cw = s.pStrip->GetFontCharWidth();
    const int y = s.pStrip->GetLayoutY(LAYOUT_RULER);
    // Tick k stands at the left edge of the k-th character of the sample row.
    QCOMPARE(s.pStrip->SampleCell(first)->Rect().left(), cw);
    for (int k = 0; k < ticks.size(); ++k)
        QVERIFY2(TickLength(image, cw + k * cw, y) == ticks[k],
                 qPrintable(QString("tick %1 is %2 long").arg(k).arg(TickLength(image, cw + k * cw, y))));
    // Between ticks only the line.
    QCOMPARE(TickLength(image, cw + cw / 2, y), 1);
}

void FieldStripTest::theConnectorFollowsTheCurrentField()
{
    SStrip s({"I5", "'text'", "F7.3"});
    for (int i = 0; i < 3; ++i) {
        s.Picture();
        const QRect t = s.pStrip->TextCell(i)->Rect();
        const QRect c = s.pStrip->SampleCell(i)->Rect();
        const auto& lines = s.pStrip->Connector();
        QCOMPARE(lines[0], QLine(t.left(), t.bottom() + 1, c.left(), c.top()));
        QCOMPARE(lines[1], QLine(t.right() + 1, t.bottom() + 1, c.right() + 1, c.top()));
        // Drawn: the middle of each segment is dark.
        const QImage image = s.Picture();
        for (const QLine& line : lines) {
            const QPoint middle = line.center();
            int nDark = 0;
            for (int dx = -1; dx <= 1; ++dx)
                nDark += qGray(image.pixel(middle + QPoint(dx, 0))) < 128 ? 1 : 0;
            QVERIFY(nDark > 0);
        }
        s.Key(Qt::Key_Right, Qt::ControlModifier);
    }
}

void FieldStripTest::tellsAssistiveTechnologyWhatIsCurrent()
{
    SStrip s({"I5", "F7.3"});
    QAccessibleInterface* pStrip = QAccessible::queryAccessibleInterface(s.pStrip);
    QVERIFY(pStrip != nullptr);
    QCOMPARE(pStrip->text(QAccessible::Name), QString("Format Statement"));
    QCOMPARE(pStrip->text(QAccessible::Description),
             QString("Field 1 of 2, text row: descriptor I5, sample \"12345\", columns 1 to 5"));
    s.Key(Qt::Key_Right, Qt::ControlModifier);
    s.Key(Qt::Key_Down);
    QCOMPARE(pStrip->text(QAccessible::Description),
             QString("Field 2 of 2, sample row: descriptor F7.3, sample \"123.123\", columns 6 to 12"));
    QCOMPARE(s.Editor()->accessibleName() + ": " + s.Editor()->accessibleDescription(),
             pStrip->text(QAccessible::Description));

    // The cells are children with names, in field order, the current one selected.
    QStringList names;
    for (int k = 0; k < pStrip->childCount(); ++k) {
        QAccessibleInterface* pChild = pStrip->child(k);
        QVERIFY(pChild != nullptr);
        QCOMPARE(pStrip->indexOfChild(pChild), k);
        if (pChild->role() == QAccessible::Cell) {
            names << pChild->text(QAccessible::Name);
            QCOMPARE(pChild->state().selected, names.size() == 4);
            QCOMPARE(pChild->parent(), pStrip);
        }
    }
    QCOMPARE(names, (QStringList{"Field 1 descriptor: I5", "Field 1 sample: 12345", "Field 2 descriptor: F7.3",
                                 "Field 2 sample: 123.123"}));
    s.Key(Qt::Key_Up);
    s.Type("x");
    QCOMPARE(pStrip->child(pStrip->childCount() - 2)->text(QAccessible::Description), QString("not valid"));
}

void FieldStripTest::theEditorsDescriptionFollowsWhatIsTyped()
{
    SStrip s({"I5", "F7.3"});
    s.SelectAll();
    s.Type("I3");
    QCOMPARE(s.Editor()->accessibleName(), QString("Field 1 of 2, text row"));
    QCOMPARE(s.Editor()->accessibleDescription(), QString("descriptor I3, sample \"123\", columns 1 to 3"));
    s.Type("x");
    QCOMPARE(s.Editor()->accessibleDescription(), QString("descriptor I3x, sample \"??????\", columns 1 to 6"));
    s.Key(Qt::Key_Backspace);
    s.Key(Qt::Key_Right, Qt::ControlModifier);
    s.Key(Qt::Key_Down);
    s.SelectAll();
    s.Type("12.5");
    QCOMPARE(s.Editor()->accessibleName(), QString("Field 2 of 2, sample row"));
    QCOMPARE(s.Editor()->accessibleDescription(), QString("descriptor F4.1, sample \"12.5\", columns 4 to 7"));
    s.Key(Qt::Key_Backspace);
    QCOMPARE(s.Editor()->accessibleDescription(), QString("descriptor F3.0, sample \"12.\", columns 4 to 6"));
}

namespace {

// The accessibility events the strip sends, recorded while a test runs.
struct SAccessibleEvent {
    QAccessible::Event nType;
    QObject* pObject;
};
std::vector<SAccessibleEvent> g_accessibleEvents;

void RecordAccessibleEvent(QAccessibleEvent* pEvent)
{
    g_accessibleEvents.push_back({pEvent->type(), pEvent->object()});
}

int CountEvents(QAccessible::Event nType, const QObject* pObject = nullptr)
{
    int n = 0;
    for (const SAccessibleEvent& event : g_accessibleEvents)
        if (event.nType == nType && (pObject == nullptr || event.pObject == pObject))
            ++n;
    return n;
}

}  // namespace

void FieldStripTest::typingKeepsTheAccessibleFocusOnTheEditor()
{
    // The statement of the bundled example: F11.3 prints in columns 12 to 22.
#ifdef QUILLMARK_HAVE_QPA
    // As a screen reader switches it on.
    QPlatformAccessibility* pAccessibility = QGuiApplicationPrivate::platformIntegration()->accessibility();
    if (pAccessibility == nullptr)
        QSKIP("the platform has no accessibility");
    pAccessibility->setActive(true);
#else
    QSKIP("built without Qt's platform interface, which switches accessibility on");
#endif
    SStrip s({"1X", "I6", "4X", "F11.3", "/", "A4"});
    QVERIFY(QAccessible::isActive());
    QAccessible::installUpdateHandler(RecordAccessibleEvent);
    g_accessibleEvents.clear();
    QAccessibleInterface* pEditor = QAccessible::queryAccessibleInterface(s.Editor());
    QVERIFY(pEditor != nullptr);

    // Moving to a field: the focus comes to the editor once, and the field
    // and row are its name; what it holds and where it prints, its description.
    s.Key(Qt::Key_Right, Qt::ControlModifier, 3);
    QCOMPARE(CountEvents(QAccessible::Focus), 3);
    QCOMPARE(CountEvents(QAccessible::Focus, s.Editor()), 3);
    QCOMPARE(pEditor->text(QAccessible::Name), QString("Field 4 of 6, text row"));
    QCOMPARE(pEditor->text(QAccessible::Description),
             QString("descriptor F11.3, sample \"1234567.123\", columns 12 to 22"));

    // Typing: no focus event anywhere and the name stays, so that a screen
    // reader reads the keys and not the field again; the description follows.
    g_accessibleEvents.clear();
    s.Key(Qt::Key_Backspace);
    s.Type("2");
    s.Key(Qt::Key_Backspace);
    s.Type("4");
    QCOMPARE(s.Text(3), std::string("F11.4"));
    QCOMPARE(CountEvents(QAccessible::Focus), 0);
    QCOMPARE(CountEvents(QAccessible::NameChanged, s.Editor()), 0);
    QVERIFY(CountEvents(QAccessible::DescriptionChanged, s.Editor()) > 0);
    QCOMPARE(pEditor->text(QAccessible::Name), QString("Field 4 of 6, text row"));
    QCOMPARE(pEditor->text(QAccessible::Description),
             QString("descriptor F11.4, sample \"123456.1234\", columns 12 to 22"));
    QAccessibleInterface* pStrip = QAccessible::queryAccessibleInterface(s.pStrip);
    QCOMPARE(pStrip->focusChild(), pEditor);

    // Blanks are read as how many they are; a later record counts anew.
    s.Key(Qt::Key_Left, Qt::ControlModifier);
    s.Key(Qt::Key_Down);
    QCOMPARE(pEditor->text(QAccessible::Name), QString("Field 3 of 6, sample row"));
    QCOMPARE(pEditor->text(QAccessible::Description), QString("descriptor 4X, sample 4 blanks, columns 8 to 11"));
    QCOMPARE(pStrip->text(QAccessible::Description),
             QString("Field 3 of 6, sample row: descriptor 4X, sample 4 blanks, columns 8 to 11"));
    QStringList names;
    for (int k = 0; k < pStrip->childCount(); ++k)
        if (pStrip->child(k)->role() == QAccessible::Cell)
            names << pStrip->child(k)->text(QAccessible::Name);
    QCOMPARE(names.at(5), QString("Field 3 sample: 4 blanks"));
    QCOMPARE(names.at(1), QString("Field 1 sample: 1 blank"));
    s.Key(Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(pEditor->text(QAccessible::Description),
             QString("descriptor A4, sample \"abcd\", record 2, columns 1 to 4"));
    s.Key(Qt::Key_Left, Qt::ControlModifier);
    QCOMPARE(pEditor->text(QAccessible::Description), QString("descriptor /, sample empty, no columns"));

    // The scroll bar says what it scrolls.
    QAccessibleInterface* pScrollBar = QAccessible::queryAccessibleInterface(s.pStrip->ScrollBar());
    QCOMPARE(pScrollBar->text(QAccessible::Name), QString("Fields"));
    QAccessible::installUpdateHandler(nullptr);
}

// The editor has no history of its own: Ctrl+Z, Ctrl+Y and the Undo and
// Redo of its context menu all act on the strip's, a visit's typing at a
// time, and the editor shows the restored text.
void FieldStripTest::theEditorsUndoIsTheStripsHistory()
{
    SStrip s({"1X", "I5", "F7.2"});
    s.Key(Qt::Key_Right, Qt::ControlModifier);
    s.Key(Qt::Key_Backspace);
    s.Type("89");
    s.Key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(s.Text(1), std::string("I5"));
    QCOMPARE(s.Editor()->text(), QString("I5"));
    QCOMPARE(s.CellText(TextCellId(1)), std::string("I5"));
    QVERIFY(!s.Editor()->isUndoAvailable());
    s.Key(Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(s.Text(1), std::string("I89"));
    QCOMPARE(s.Editor()->text(), QString("I89"));

    // Every key the platform gives Undo and Redo acts on the strip's history
    // too, never on the line edit's.
    const QList<QKeySequence> undoKeys = QKeySequence::keyBindings(QKeySequence::Undo);
    const QList<QKeySequence> redoKeys = QKeySequence::keyBindings(QKeySequence::Redo);
    QVERIFY(!undoKeys.isEmpty() && !redoKeys.isEmpty());
    for (qsizetype k = 0; k < std::max(undoKeys.size(), redoKeys.size()); ++k) {
        const QKeyCombination redo = redoKeys[k % redoKeys.size()][0];
        const QKeyCombination undo = undoKeys[k % undoKeys.size()][0];
        s.Key(undo.key(), undo.keyboardModifiers());
        QCOMPARE(s.Text(1), std::string("I5"));
        QCOMPARE(s.Editor()->text(), QString("I5"));
        s.Key(redo.key(), redo.keyboardModifiers());
        QCOMPARE(s.Text(1), std::string("I89"));
        QCOMPARE(s.Editor()->text(), QString("I89"));
    }

    // The menu's Undo, enabled by the strip's history, takes the visit back.
    QStringList seen;
    QTimer::singleShot(0, [&] {
        auto* pMenu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (pMenu == nullptr)
            return;
        for (QAction* pAction : pMenu->actions())
            if (const HistoryStep step = HistoryStepOfMenuItem(pAction); step != HistoryStep::NONE)
                seen << (step == HistoryStep::UNDO ? "undo" : "redo") + QString(pAction->isEnabled() ? "+" : "-");
        for (QAction* pAction : pMenu->actions())
            if (HistoryStepOfMenuItem(pAction) == HistoryStep::UNDO)
                pAction->trigger();
        pMenu->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(2, 2), s.Editor()->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(s.Editor(), &event);
    QCoreApplication::processEvents();
    QCOMPARE(seen, (QStringList{"undo+", "redo-"}));
    QCOMPARE(s.Text(1), std::string("I5"));
    QCOMPARE(s.Editor()->text(), QString("I5"));
    QVERIFY(s.pStrip->History().CanRedo());
}

// A paste of 100,000 characters keeps what a field holds and the status line
// says how much was left out; the field evaluates what it kept, and the next
// key clears the note. A field read from the file keeps a longer text.
void FieldStripTest::pastingMoreThanAFieldHoldsSaysWhatWasCut()
{
    SStrip s({"'a'", "I5"});
    const QString strPasted = QString(100000, QLatin1Char('x'));
    QGuiApplication::clipboard()->setText(QLatin1Char('\'') + strPasted);
    s.SelectAll();
    s.Key(Qt::Key_V, Qt::ControlModifier);
    const auto nKept = static_cast<std::size_t>(CFieldStrip::kFieldLength);
    QCOMPARE(s.Editor()->text().size(), CFieldStrip::kFieldLength);
    QCOMPARE(s.Text(0), "'" + std::string(nKept - 1, 'x'));
    QVERIFY2(s.pStrip->StatusText().startsWith(
                 QStringLiteral("cut to 32767 characters, all a field holds; 67234 more were left out; ")),
             qPrintable(s.pStrip->StatusText().left(120)));
    s.Type("'");
    QCOMPARE(s.Editor()->text().size(), CFieldStrip::kFieldLength);  // still the limit: cut again
    s.Key(Qt::Key_Backspace);
    s.Key(Qt::Key_Backspace);
    s.Type("'");
    QCOMPARE(s.Text(0), "'" + std::string(nKept - 3, 'x') + "'");
    QVERIFY(!s.pStrip->StatusText().contains(QStringLiteral("cut to")));
    QCOMPARE(s.CellText(SampleCellId(0)), std::string(nKept - 3, 'x'));

    // A field read from the file longer than that is edited whole.
    const std::string strLong = "'" + std::string(40000, 'y') + "'";
    SStrip t({strLong, "I5"});
    t.Key(Qt::Key_End);
    t.Key(Qt::Key_Backspace, Qt::NoModifier, 2);
    t.Type("z'");
    QCOMPARE(t.Text(0), strLong.substr(0, strLong.size() - 2) + "z'");
}

QTEST_MAIN(FieldStripTest)
#include "field_strip_test.moc"
