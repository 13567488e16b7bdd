// The field strip: creation, placement, the cells' layout and the focus
// hand-over to the in-place editor.
#include "field_strip.h"

#include <QAccessible>
#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QFrame>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>
#include <QToolTip>
#include <algorithm>

#include "descriptor_list.h"
#include "edit_history.h"
#include "field_description.h"
#include "field_edit.h"
#include "field_layout.h"
#include "field_strip_accessible.h"
#include "strip_text.h"

CFieldStrip::CFieldStrip(QWidget* pParent) : QWidget(pParent)
{
    InstallFieldStripAccessibility();
    setFocusPolicy(Qt::NoFocus);  // it takes the focus only when given it, and hands it on
    setAttribute(Qt::WA_OpaquePaintEvent);
    hide();
}

CFieldStrip::~CFieldStrip()
{
    // The cells go first (their areas are the strip's); the frame is a
    // sibling and goes with the parent, the editor and scroll bar with the strip.
    if (m_wndEdit != nullptr)
        m_wndEdit->SetEditing(false);
    m_arrTextCells.clear();
    m_arrSampleCells.clear();
}

int CFieldStrip::Create(const QString& strCaption, const QRect& rect, QWidget* pParent, CDescriptorList* pList, int nId)
{
    m_pList = pList;
    m_pHistory = std::make_unique<CEditHistory>(*pList);
    if (parentWidget() != pParent)
        setParent(pParent);

    m_wndFrame = new QFrame(pParent);
    m_wndFrame->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_wndFrame->setLineWidth(1);
    m_wndFrame->setEnabled(false);
    m_wndFrame->setGeometry(rect);
    m_wndFrame->setObjectName(QStringLiteral("fieldStripFrame"));
    m_wndFrame->installEventFilter(this);
    m_wndFrame->show();

    m_bCreating = 1;
    setObjectName(QStringLiteral("fieldStrip%1").arg(nId));
    setWindowTitle(strCaption);
    setGeometry(rect.adjusted(1, 0, -1, 0));
    m_pScrollBar = new QScrollBar(Qt::Horizontal, this);
    m_pScrollBar->setFocusPolicy(Qt::NoFocus);
    m_pScrollBar->setTracking(false);
    m_pScrollBar->setAccessibleName(tr("Fields"));
    m_pScrollBar->installEventFilter(this);
    connect(m_pScrollBar, &QScrollBar::actionTriggered, this,
            [this](int nAction) { Scroll(static_cast<QAbstractSlider::SliderAction>(nAction)); });
    connect(m_pScrollBar, &QScrollBar::sliderReleased, this, [this] { ScrollTo(m_pScrollBar->sliderPosition()); });
    show();
    m_wndFrame->stackUnder(this);
    m_bCreating = 0;

    SetStripFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    CreateCells(0, rect);

    m_wndEdit = new CFieldEdit(this);
    m_wndEdit->Create(true, QRect(0, 0, 10, 10));
    m_wndEdit->setFont(m_hFont);
    m_wndEdit->SetHistory(m_pHistory.get());
    m_wndEdit->installEventFilter(this);  // its tooltip is the field's
    ConnectEditor();

    SetScrollRange(m_pList->size());
    m_pScrollBar->setValue(0);
    Resize(rect, true);
    Rebuild(0);  // a hidden widget hears of its size only when shown
    return 1;
}

void CFieldStrip::Resize(const QRect& rect, bool bRepaint)
{
    if (m_wndFrame != nullptr)
        m_wndFrame->setGeometry(rect.left(), rect.top(), rect.width(), GetLayoutY(LAYOUT_HEIGHT) + 1);
    FollowFrame();
    if (bRepaint)
        update();
}

void CFieldStrip::FollowFrame()
{
    // The strip's caption stands on the frame's top edge; its left, right
    // and bottom edges are drawn whole around the strip.
    if (m_wndFrame == nullptr)
        return;
    const QRect frame = m_wndFrame->geometry();
    setGeometry(frame.left() + 1, frame.top(), std::max(0, frame.width() - 2), GetLayoutY(LAYOUT_HEIGHT));
}

void CFieldStrip::SetStripFont(const QFont& font)
{
    const QFontMetrics metrics(font);
    m_nFontHeight = std::max(1, metrics.height());
    m_nCharWidth = std::max(1, metrics.averageCharWidth());
    m_hFont = GridFont(font, m_nCharWidth);
    setFont(m_hFont);
    if (m_wndEdit != nullptr)
        m_wndEdit->setFont(m_hFont);
    // A layout gives the frame the height the font asks, and any width.
    if (m_wndFrame != nullptr) {
        m_wndFrame->setFixedHeight(GetLayoutY(LAYOUT_HEIGHT) + 1);
        m_wndFrame->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }
}

int CFieldStrip::GetLayoutY(int nWhich) const
{
    const int h = m_nFontHeight;
    switch (nWhich) {
    case LAYOUT_TEXT_ROW: return 2 * h;
    case LAYOUT_SAMPLE_ROW: return 5 * h + 2 * (h / 2);
    case LAYOUT_RULER: return 7 * h + 2 * (h / 2);
    default: return 11 * h + 2 * (h / 2) + 8;
    }
}

int CFieldStrip::ScrollBarHeight() const
{
    return m_pScrollBar != nullptr ? style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_pScrollBar) : 0;
}

QRect CFieldStrip::ClientRect() const
{
    return QRect(0, 0, width(), std::max(0, height() - ScrollBarHeight()));
}

QRect CFieldStrip::PaintedRect() const
{
    return m_pScrollBar != nullptr && m_pScrollBar->isHidden() ? rect() : ClientRect();
}

void CFieldStrip::SetScrollRange(int nFields)
{
    if (m_pScrollBar == nullptr)
        return;
    const QSignalBlocker blocker(m_pScrollBar);
    m_pScrollBar->setRange(0, std::max(0, nFields - 1));
    m_pScrollBar->setEnabled(nFields > 1);
}

CFieldCell* CFieldStrip::TextCell(int nIndex) const
{
    return nIndex >= 0 && nIndex < CellCount() ? m_arrTextCells[static_cast<std::size_t>(nIndex)].get() : nullptr;
}

CFieldCell* CFieldStrip::SampleCell(int nIndex) const
{
    return nIndex >= 0 && nIndex < CellCount() ? m_arrSampleCells[static_cast<std::size_t>(nIndex)].get() : nullptr;
}

CFieldCell* CFieldStrip::Cell(SCellRef cell) const
{
    return IsSampleRow(cell) ? SampleCell(CellIndex(cell)) : TextCell(CellIndex(cell));
}

void CFieldStrip::InvalidateCell(const QRect& rect)
{
    if (!m_bPainting)
        update(rect);
}

void CFieldStrip::CreateCells(int nIndex, const QRect& rect)
{
    std::string strText;
    m_pList->GetText(nIndex, strText);
    auto pText = std::make_unique<CFieldCell>(this, TextCellId(nIndex), strText, rect);
    pText->SetKind(CELL_TEXT);
    m_arrTextCells.push_back(std::move(pText));

    ShownSample(nIndex, strText);
    auto pSample = std::make_unique<CFieldCell>(this, SampleCellId(nIndex), strText, rect);
    pSample->SetKind(CELL_SAMPLE);
    m_arrSampleCells.push_back(std::move(pSample));
}

bool CFieldStrip::ShowsEveryField() const
{
    if (m_pList == nullptr || static_cast<int>(m_arrShownRevisions.size()) != m_pList->size())
        return false;
    for (int i = 0; i < m_pList->size(); ++i)
        if (m_arrShownRevisions[static_cast<std::size_t>(i)] != m_pList->Revision(i))
            return false;
    return true;
}

void CFieldStrip::Rebuild(int bRefreshAll)
{
    if (m_pList == nullptr)
        return;
    const int nSize = m_pList->size();
    m_nFirst = std::clamp(m_nFirst, 0, std::max(0, nSize - 1));
    if (m_pScrollBar != nullptr && m_pScrollBar->value() != m_nFirst && !m_pScrollBar->isSliderDown()) {
        const QSignalBlocker blocker(m_pScrollBar);
        m_pScrollBar->setValue(m_nFirst);
    }
    MatchCellsToList(bRefreshAll != 0);
    PlaceCellsBeforeFirst();
    const bool bAllFit = PlaceCellsFromFirst();
    m_nLaidOutFirst = m_nFirst;
    // A field scrolled away or cut off is something to scroll to; one field
    // alone has nowhere to scroll.
    m_bOverflows = nSize > 1 && (m_nFirst > 0 || !bAllFit);
    if (m_pScrollBar != nullptr) {
        m_pScrollBar->setPageStep(std::max(1, std::min(m_nLastText, m_nLastSample) - m_nFirst + 1));
        if (m_pScrollBar->isHidden() == m_bOverflows) {
            m_pScrollBar->setVisible(m_bOverflows);
            update(QRect(0, ClientRect().height() - 1, width(), ScrollBarHeight() + 1));  // the bottom line moves
        }
    }
    if (m_wndEdit != nullptr && m_wndEdit->isVisible())
        m_wndEdit->raise();
}

void CFieldStrip::MatchCellsToList(bool bRefreshAll)
{
    // Grow and shrink: cell i always belongs to descriptor i, by position.
    const int nSize = m_pList->size();
    for (int i = CellCount(); i < nSize; ++i)
        CreateCells(i, QRect());
    if (CellCount() > nSize) {
        m_arrTextCells.resize(static_cast<std::size_t>(nSize));
        m_arrSampleCells.resize(static_cast<std::size_t>(nSize));
    }
    m_arrShownRevisions.resize(static_cast<std::size_t>(nSize), 0);

    // Refresh the texts of the fields that changed since they were shown.
    std::string strText;
    for (int i = 0; i < nSize; ++i) {
        unsigned long long& nShown = m_arrShownRevisions[static_cast<std::size_t>(i)];
        if (!bRefreshAll && nShown == m_pList->Revision(i))
            continue;
        m_pList->GetText(i, strText);
        TextCell(i)->SetText(strText);
        ShownSample(i, strText);
        SampleCell(i)->SetText(strText);
        nShown = m_pList->Revision(i);
    }
}

void CFieldStrip::PlaceCellsBeforeFirst()
{
    // The fields before the first visible one end at the left margin, the
    // nearest showing its right end there.
    const int yText = GetLayoutY(LAYOUT_TEXT_ROW);
    const int ySample = GetLayoutY(LAYOUT_SAMPLE_ROW);
    int x1 = m_nCharWidth;
    int x2 = m_nCharWidth;
    for (int j = m_nFirst - 1; j >= 0; --j) {
        CFieldCell* pText = TextCell(j);
        x1 -= pText->Width();
        pText->MoveTo(QPoint(x1, yText));
        pText->Show(true);
        CFieldCell* pSample = SampleCell(j);
        x2 -= pSample->Width();
        pSample->MoveTo(QPoint(x2, ySample));
        pSample->Show(true);
    }
}

bool CFieldStrip::PlaceCellsFromFirst()
{
    // Rightwards, until neither row fits: neighbouring cells share their
    // one-pixel border, and the cell that reaches the edge is still placed.
    const int nSize = m_pList->size();
    const int yText = GetLayoutY(LAYOUT_TEXT_ROW);
    const int ySample = GetLayoutY(LAYOUT_SAMPLE_ROW);
    const int nRight = ClientRect().width();
    int x1 = m_nCharWidth;
    int x2 = m_nCharWidth;
    m_nLastText = m_nLastSample = nSize - 1;
    bool bTextFits = true;
    bool bSampleFits = true;
    int k = m_nFirst;
    for (; k < nSize && (bTextFits || bSampleFits); ++k) {
        const auto place = [&](CFieldCell* pCell, int& x, int y, bool& bFits, int& nLast) {
            const int w = pCell->Width();
            if (bFits && x + w >= nRight) {
                bFits = false;
                nLast = k == m_nFirst ? k : k - 1;
            }
            pCell->MoveTo(QPoint(x, y));
            pCell->Show(true);
            x += w - 1;
        };
        place(TextCell(k), x1, yText, bTextFits, m_nLastText);
        place(SampleCell(k), x2, ySample, bSampleFits, m_nLastSample);
    }
    m_nPlacedEnd = k;
    for (; k < nSize; ++k) {
        TextCell(k)->Show(false);
        SampleCell(k)->Show(false);
    }
    return bTextFits && bSampleFits;
}

bool CFieldStrip::IsPlaced(int nIndex) const
{
    return nIndex >= m_nFirst && nIndex < m_nPlacedEnd;
}

int CFieldStrip::LastFitting(bool bSampleRow) const
{
    return bSampleRow ? m_nLastSample : m_nLastText;
}

int CFieldStrip::FirstFieldShowing(int nIndex, bool bSampleRow) const
{
    // The first visible field that shows field nIndex wholly at the right,
    // laid out as Rebuild lays out the row: right edge = cw + the widths of
    // the fields before it, less their shared borders, + its own width.
    const auto width = [&](int i) { return (bSampleRow ? SampleCell(i) : TextCell(i))->Width(); };
    const int nRight = ClientRect().width();
    int x = m_nCharWidth + width(nIndex);
    int nFirst = nIndex;
    while (nFirst > 0 && x + width(nFirst - 1) - 1 < nRight) {
        x += width(nFirst - 1) - 1;
        --nFirst;
    }
    return nFirst;
}

void CFieldStrip::ShowCurrentField()
{
    if (m_nLaidOutFirst != m_nFirst)
        Rebuild(0);
    const int i = CurrentIndex();
    const bool bSampleRow = IsSampleRow(m_nCurrentId);
    int nFirst = m_nFirst;
    if (i < m_nFirst)
        nFirst = i;
    else if (i > LastFitting(bSampleRow))
        nFirst = FirstFieldShowing(i, bSampleRow);
    // A sample wider than the strip (a group's many passes) shows only in
    // part whichever field comes first; laid out after others it may show
    // its middle, or nothing, with no connector. The field comes first then,
    // so that the sample's start shows below its text, the connector joins
    // them, and the ruler starts at the field's first column.
    const long long nSampleRight = static_cast<long long>(m_nCharWidth) + SampleCell(i)->Width();
    if (nSampleRight >= ClientRect().width())
        nFirst = i;
    if (nFirst != m_nFirst) {
        m_nFirst = nFirst;
        Rebuild(0);
        update();
    }
}

void CFieldStrip::GiveFocus()
{
    // The editor keeps the keyboard while it moves from field to field:
    // the field it leaves is left as losing the focus would leave it.
    if (m_wndEdit->IsEditing())
        EndEdit();
    OnSetFocus();
}

void CFieldStrip::focusInEvent(QFocusEvent* pEvent)
{
    QWidget::focusInEvent(pEvent);
    if (m_pList == nullptr || m_wndEdit == nullptr)
        return;
    if (m_wndEdit->IsEditing())
        OnEditKillFocus();
    OnSetFocus();
}

void CFieldStrip::OnSetFocus()
{
    const int nSize = m_pList->size();
    if (nSize <= 0)
        return;
    // A focus target past the end (fields were removed) means the last field.
    if (CellIndex(m_nFocusId) >= nSize || CellIndex(m_nFocusId) < 0)
        m_nFocusId = (IsSampleRow(m_nFocusId) ? SampleCellId(nSize - 1) : TextCellId(nSize - 1));
    InvalidateConnectorBand();
    m_nCurrentId = m_nFocusId;
    ShowCurrentField();
    LoadEditor();
    // An editor that has the keyboard already gets no focus event from the
    // toolkit; for assistive technology it is a new field all the same.
    const bool bHadFocus = m_wndEdit->hasFocus();
    PlaceEditor();
    InvalidateConnectorBand();
    NotifyAccessibility(bHadFocus);
    emit StatusChanged();
}

void CFieldStrip::LoadEditor()
{
    const int i = CurrentIndex();
    if (IsSampleRow(m_nCurrentId))
        m_pList->GetSample(i, m_strLoadedBytes);
    else
        m_pList->GetText(i, m_strLoadedBytes);
    m_strLoaded = ToScreen(m_strLoadedBytes);
    // The loaded text is the list's own: it is not typed, so it is not
    // evaluated again (that would derive a new text from a sample nobody typed).
    const QSignalBlocker blocker(m_wndEdit);
    m_wndEdit->setText(m_strLoaded);
}

void CFieldStrip::PlaceEditor()
{
    const CFieldCell* pCell = Cell(m_nCurrentId);
    if (pCell == nullptr)
        return;
    // The text stands where the cell shows it: half a letter in from the
    // left. A text cell has that room of its own and the editor covers it
    // exactly; a sample cell has none, so the editor starts half a letter
    // further left and its letter of slack reaches as far past the right.
    const int nIndent = m_nCharWidth / 2;
    QRect r = pCell->Rect();
    if (IsSampleRow(m_nCurrentId))
        r.setLeft(r.left() - nIndent);
    m_wndEdit->SetTextIndent(nIndent);
    if (!IsPlaced(CurrentIndex())) {
        // Scrolled out of view: the editor keeps the keys but is drawn out
        // of sight; typing brings its field back into view.
        r.moveRight(-1 - width());
    }
    m_wndEdit->MoveTo(r, true);
    m_wndEdit->SetEditing(true);
    m_wndEdit->show();
    m_wndEdit->setFocus(Qt::OtherFocusReason);
    m_wndEdit->raise();
    // The name only when it changes: each change makes a screen reader read
    // the field again.
    const QString strName = CurrentFieldName();
    if (m_wndEdit->accessibleName() != strName)
        m_wndEdit->setAccessibleName(strName);
    m_wndEdit->setAccessibleDescription(CurrentFieldDetails());
}

void CFieldStrip::InvalidateConnectorBand()
{
    // The connector runs between the rows; the band holds all of it.
    const CFieldCell* pText = TextCell(CurrentIndex());
    const int nTop = pText != nullptr ? pText->Rect().top() : 0;
    update(QRect(0, nTop, width(), GetLayoutY(LAYOUT_SAMPLE_ROW) - nTop + 1 + m_nFontHeight));
}

void CFieldStrip::resizeEvent(QResizeEvent* pEvent)
{
    QWidget::resizeEvent(pEvent);
    if (m_pScrollBar != nullptr)
        m_pScrollBar->setGeometry(0, height() - ScrollBarHeight(), width(), ScrollBarHeight());
    if (!m_bCreating && m_pList != nullptr)
        Rebuild(0);
}

void CFieldStrip::mousePressEvent(QMouseEvent* pEvent)
{
    if (pEvent->button() == Qt::LeftButton && m_pList != nullptr) {
        if (const CFieldCell* pCell = CellAt(pEvent->position().toPoint()))
            SelectCell(pCell->Id());  // at once, so that keys typed right after the click reach it
        else if (QApplication::focusWidget() != this)
            GiveFocus();  // the editor leaves its field and comes back to it
    }
    QWidget::mousePressEvent(pEvent);
}

const CFieldCell* CFieldStrip::CellAt(const QPoint& point) const
{
    const CFieldCell* pFound = nullptr;
    ForEachShownCell(QRect(point, QSize(1, 1)), [&](const CFieldCell& cell) { pFound = &cell; });
    return pFound;
}

QRect CFieldStrip::CurrentFieldArea() const
{
    const CFieldCell* pText = TextCell(CurrentIndex());
    const CFieldCell* pSample = SampleCell(CurrentIndex());
    if (pText == nullptr || pSample == nullptr)
        return QRect();
    const QRect area = (pText->Rect() | pSample->Rect()) & ClientRect();
    return area.isEmpty() ? QRect() : QRect(mapToGlobal(area.topLeft()), area.size());
}

QString SpokenText(const QString& strText)
{
    if (strText.isEmpty())
        return CFieldStrip::tr("empty");
    for (const QChar ch : strText)
        if (ch != QLatin1Char(' '))
            return strText;
    return strText.size() == 1 ? CFieldStrip::tr("1 blank") : CFieldStrip::tr("%1 blanks").arg(strText.size());
}

QString CFieldStrip::CurrentFieldName() const
{
    const int i = CurrentIndex();
    if (m_pList == nullptr || i < 0 || i >= m_pList->size())
        return QString();
    return tr("Field %1 of %2, %3")
        .arg(i + 1)
        .arg(m_pList->size())
        .arg(IsSampleRow(m_nCurrentId) ? tr("sample row") : tr("text row"));
}

QString CFieldStrip::CurrentFieldDetails() const
{
    const int i = CurrentIndex();
    if (m_pList == nullptr || i < 0 || i >= m_pList->size())
        return QString();
    std::string strText, strSample;
    m_pList->GetText(i, strText);
    ShownSample(i, strSample);
    const QString strShown = ToScreen(strSample);
    const QString strSpoken = SpokenText(strShown);
    // The columns as the user counts them, from 1 in each record.
    const SFieldPlace place = LayOutFields(*m_pList, ShownWidths(), i + 1)[static_cast<std::size_t>(i)];
    const QString strColumns = ToScreen(ColumnsText(place));
    return tr("descriptor %1, sample %2, %3")
               .arg(ToScreen(strText),
                    strSpoken == strShown && !strShown.isEmpty() ? QStringLiteral("\"%1\"").arg(strShown) : strSpoken,
                    strColumns) +
           (CurrentItemWords().isEmpty() ? QString() : QStringLiteral("; ") + CurrentItemWords());
}

QString CFieldStrip::CurrentFieldDescription() const
{
    const QString strName = CurrentFieldName();
    return strName.isEmpty() ? QString() : strName + QStringLiteral(": ") + CurrentFieldDetails();
}

QString CFieldStrip::StatusText() const
{
    const int i = CurrentIndex();
    if (m_pList == nullptr || i < 0 || i >= m_pList->size())
        return QString();
    const std::string strField = DescribeField(*m_pList, i, ShownWidths());
    const QString strWords = CurrentItemWords();
    return ToScreen(m_strNote.empty() ? strField : m_strNote + "; " + strField) +
           (strWords.isEmpty() ? QString() : QStringLiteral("; ") + strWords);
}

void CFieldStrip::SetItemMarks(std::vector<SFieldItemMark> marks)
{
    m_itemMarks = std::move(marks);
    // A sample the types changed is laid out at the next paint.
    std::string strSample;
    for (int i = 0; m_pList != nullptr && i < std::min(CellCount(), m_pList->size()); ++i) {
        ShownSample(i, strSample);
        if (SampleCell(i)->Text() != strSample) {
            SampleCell(i)->SetText(strSample);
            m_bLayoutOnPaint = 1;
        }
    }
    if (m_wndEdit != nullptr && m_wndEdit->isVisible())
        m_wndEdit->setAccessibleDescription(CurrentFieldDetails());
    NotifyAccessibility(false);
    update();
}

const SFieldItemMark* CFieldStrip::ItemMark(int nIndex) const
{
    return nIndex >= 0 && static_cast<std::size_t>(nIndex) < m_itemMarks.size()
               ? &m_itemMarks[static_cast<std::size_t>(nIndex)]
               : nullptr;
}

void CFieldStrip::ShownSample(int nIndex, std::string& out) const
{
    const SFieldItemMark* pMark = ItemMark(nIndex);
    if (pMark != nullptr && pMark->bTypedSample)
        out = pMark->strSample;
    else
        m_pList->GetRepeatedSample(nIndex, out);
}

std::vector<long long> CFieldStrip::ShownWidths() const
{
    std::vector<long long> widths;
    widths.reserve(m_itemMarks.size());
    for (const SFieldItemMark& mark : m_itemMarks)
        widths.push_back(mark.bTypedSample ? static_cast<long long>(mark.strSample.size()) : -1);
    return widths;
}

QString CFieldStrip::CurrentItemWords() const
{
    const SFieldItemMark* pMark = ItemMark(CurrentIndex());
    return pMark != nullptr ? pMark->strWords : QString();
}

void CFieldStrip::ShowFieldTip(const QPoint& globalPos, int nIndex, const QRect& area)
{
    // One way for a cell and for the editor over the current one: the tip
    // belongs to the window, and the area it stays up over is given in the
    // window's coordinates.
    QWidget* pWindow = window();
    const QRect windowArea(mapTo(pWindow, area.topLeft()), area.size());
    const SFieldItemMark* pMark = ItemMark(nIndex);
    const QString strWords = pMark != nullptr && !pMark->strWords.isEmpty() ? QStringLiteral("\n") + pMark->strWords
                                                                            : QString();
    QToolTip::showText(globalPos, ToScreen(DescribeField(*m_pList, nIndex, ShownWidths())) + strWords, pWindow,
                       windowArea);
}

// A tooltip over a field, on a cell or on the editor over the current one,
// is the field's status line without any note.
bool CFieldStrip::event(QEvent* pEvent)
{
    if (pEvent->type() != QEvent::ToolTip || m_pList == nullptr)
        return QWidget::event(pEvent);
    const auto* pHelp = static_cast<QHelpEvent*>(pEvent);
    const CFieldCell* pCell = CellAt(pHelp->pos());
    const int i = pCell != nullptr ? CellIndex(pCell->Id()) : -1;
    if (i < 0 || i >= m_pList->size()) {
        QToolTip::hideText();
        pEvent->ignore();
        return true;
    }
    ShowFieldTip(pHelp->globalPos(), i, pCell->Rect());
    return true;
}

void CFieldStrip::NotifyAccessibility(bool bFocus)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleEvent event(this, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&event);
    if (bFocus && m_wndEdit != nullptr && m_wndEdit->hasFocus()) {
        QAccessibleEvent focus(m_wndEdit, QAccessible::Focus);
        QAccessible::updateAccessibility(&focus);
    }
}
