// Moving the current cell between fields and rows, and horizontal scrolling.
#include <QAbstractSlider>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>

#include "descriptor_list.h"
#include "field_edit.h"
#include "field_strip.h"
#include "strip_text.h"

void CFieldStrip::NextField()
{
    const int i = CurrentIndex();
    const bool bSampleRow = IsSampleRow(m_nCurrentId);
    if (i >= m_pList->size() - 1)
        return;
    if (i >= LastFitting(bSampleRow))
        SetFirst(i + 1);  // past the last wholly visible field: a page on
    m_nFocusId = bSampleRow ? SampleCellId(i + 1) : TextCellId(i + 1);
    GiveFocus();
}

void CFieldStrip::PrevField()
{
    const int i = CurrentIndex();
    const bool bSampleRow = IsSampleRow(m_nCurrentId);
    if (i <= 0)
        return;
    if (i <= m_nFirst)
        SetFirst(i - 1);
    m_nFocusId = bSampleRow ? SampleCellId(i - 1) : TextCellId(i - 1);
    GiveFocus();
}

void CFieldStrip::FirstField()
{
    const bool bSampleRow = IsSampleRow(m_nCurrentId);
    if (CurrentIndex() <= 0)
        return;
    SetFirst(0);
    m_nFocusId = bSampleRow ? SampleCellId(0) : TextCellId(0);
    GiveFocus();
}

void CFieldStrip::LastField()
{
    const int nLast = m_pList->size() - 1;
    const bool bSampleRow = IsSampleRow(m_nCurrentId);
    if (CurrentIndex() >= nLast)
        return;
    // A page to the right; when the last field is further still, the strip
    // goes on until it shows (the focus hand-over sees to that).
    SetFirst(LastFitting(bSampleRow));
    m_nFocusId = bSampleRow ? SampleCellId(nLast) : TextCellId(nLast);
    GiveFocus();
}

void CFieldStrip::ToTextRow()
{
    if (!IsSampleRow(m_nCurrentId))
        return;
    m_nFocusId = TextCellId(CurrentIndex());
    GiveFocus();
}

void CFieldStrip::ToSampleRow()
{
    if (IsSampleRow(m_nCurrentId))
        return;
    m_nFocusId = SampleCellId(CurrentIndex());
    GiveFocus();
}

void CFieldStrip::SelectCell(SCellRef cell)
{
    const int i = CellIndex(cell);
    if (m_pList == nullptr || i < 0 || i >= m_pList->size())
        return;  // a click on a cell that has gone since
    if (i > LastFitting(IsSampleRow(cell)) || i < m_nFirst)
        SetFirst(i);
    m_nFocusId = cell;
    GiveFocus();
}

void CFieldStrip::SetFirst(int nFirst)
{
    m_nFirst = nFirst;
    update();
}

int CFieldStrip::PageLeft() const
{
    // A page is the client width in characters; go back over whole fields
    // until either row has filled it.
    const int nPage = ClientRect().width() / m_nCharWidth;
    int i = m_nFirst;
    long long t = m_pList->GetTextLength(i);
    long long s = m_pList->GetSampleLength(i);
    while (t < nPage && s < nPage) {
        if (i == 0)
            return 0;
        --i;
        t += m_pList->GetTextLength(i);
        s += m_pList->GetSampleLength(i);
    }
    if (i == 0)
        return 0;
    return i == m_nFirst ? m_nFirst - 1 : i + 1;
}

void CFieldStrip::Scroll(QAbstractSlider::SliderAction action)
{
    if (m_pList == nullptr)
        return;
    if (!m_bOverflows)
        return ResetThumb();  // every field shows: nothing to scroll to
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
        if (m_nFirst <= 0)
            return ResetThumb();
        return ScrollFirstTo(m_nFirst - 1);
    case QAbstractSlider::SliderSingleStepAdd:
        if (m_nFirst >= CellCount() - 1)
            return ResetThumb();
        return ScrollFirstTo(m_nFirst + 1);
    case QAbstractSlider::SliderPageStepSub: return ScrollFirstTo(PageLeft());
    case QAbstractSlider::SliderPageStepAdd: return ScrollFirstTo(std::min(m_nLastText, m_nLastSample));
    case QAbstractSlider::SliderMove: return;  // the thumb is being dragged: it acts when let go
    default: return ResetThumb();
    }
}

void CFieldStrip::ScrollTo(int nFirst)
{
    if (m_pList == nullptr)
        return;
    if (!m_bOverflows)
        return ResetThumb();
    ScrollFirstTo(std::clamp(nFirst, 0, std::max(0, m_pList->size() - 1)));
}

void CFieldStrip::ScrollFirstTo(int nFirst)
{
    m_nFirst = nFirst;
    Rebuild(1);
    // Scrolling never changes the current cell; the editor follows it when
    // it holds the edit (else the focus stays where it is).
    if (m_wndEdit->IsEditing())
        PlaceEditor();
    update();
    ResetThumb();
}

void CFieldStrip::ResetThumb()
{
    if (m_pScrollBar == nullptr || m_pScrollBar->isSliderDown())
        return;
    const QSignalBlocker blocker(m_pScrollBar);
    m_pScrollBar->setSliderPosition(m_nFirst);
    m_pScrollBar->setValue(m_nFirst);
}

void CFieldStrip::wheelEvent(QWheelEvent* pEvent)
{
    // A turn of the wheel, on the strip or its scroll bar, moves a field.
    const QPoint delta = pEvent->angleDelta();
    const int nDelta = delta.x() != 0 ? delta.x() : delta.y();
    if (nDelta != 0)
        Scroll(nDelta > 0 ? QAbstractSlider::SliderSingleStepSub : QAbstractSlider::SliderSingleStepAdd);
    pEvent->accept();
}

bool CFieldStrip::eventFilter(QObject* pObject, QEvent* pEvent)
{
    if (pObject == m_wndEdit && pEvent->type() == QEvent::ToolTip && m_pList != nullptr) {
        const auto* pHelp = static_cast<QHelpEvent*>(pEvent);
        ShowFieldTip(pHelp->globalPos(), CurrentIndex(), m_wndEdit->geometry());
        return true;
    }
    // Wherever a layout puts the frame, the strip lies inside it.
    if (pObject == m_wndFrame && (pEvent->type() == QEvent::Move || pEvent->type() == QEvent::Resize))
        FollowFrame();
    if (pObject == m_pScrollBar && pEvent->type() == QEvent::Wheel) {
        wheelEvent(static_cast<QWheelEvent*>(pEvent));
        return true;
    }
    return QWidget::eventFilter(pObject, pEvent);
}
