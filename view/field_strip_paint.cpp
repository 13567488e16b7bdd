// What the strip paints around its cells: the caption on the top line, the
// connector between the current field's two cells, the column ruler under
// the samples, and the bottom line.
#include <QApplication>
#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <string>

#include "descriptor_list.h"
#include "field_layout.h"
#include "field_strip.h"
#include "strip_text.h"

namespace {

// Tick lengths by ruler mark, and where the labels start below the line.
constexpr int kTickLength[] = {2, 4, 6};
constexpr int kLabelGap = 8;

// The signs of the items' marks, before the items: a finding's and
// reversion's; a field that edits no item's, alone; and the colour of a finding, which the sign and a frame
// around the field carry without colour too.
const QString kFindingSign = QStringLiteral("! ");
const QString kReusedSign = QStringLiteral("\u21BB ");
const QString kNoItemSign = QStringLiteral("\u2205");
const QColor kFindingColour(0xC0, 0x00, 0x00);

}  // namespace

void CFieldStrip::paintEvent(QPaintEvent* pEvent)
{
    if (m_bLayoutOnPaint) {
        // Typing changed widths: lay out now, once for all the keys since the
        // last paint. The whole strip is being painted, so the cells need not
        // ask for it again.
        m_bLayoutOnPaint = 0;
        m_bPainting = true;
        Rebuild(0);
        m_bPainting = false;
        if (!pEvent->rect().contains(ClientRect()))
            update();  // cells may have moved outside this paint's area
    }
    const QRect area = pEvent->rect() & PaintedRect();
    QPainter painter(this);
    painter.setClipRect(area);
    // The strip is opaque: the area is filled first, which also clears what
    // shrinking cells and a shorter ruler leave behind.
    painter.fillRect(area, palette().color(QPalette::Window));
    ForEachShownCell(area, [&](const CFieldCell& cell) { cell.Paint(painter); });
    painter.setFont(m_hFont);
    DrawConnector(painter);
    DrawItemMarks(painter, area);
    DrawRuler(painter, area);
    DrawFrame(painter);
}

void CFieldStrip::DrawConnector(QPainter& painter)
{
    // The connector of the previous paint goes first.
    painter.setPen(QPen(palette().color(QPalette::Window), 1));
    for (const QLine& line : m_connector)
        if (!line.isNull())
            painter.drawLine(line);

    const int i = CurrentIndex();
    const CFieldCell* pText = TextCell(i);
    const CFieldCell* pSample = SampleCell(i);
    m_connector = {};
    if (pText == nullptr || pSample == nullptr || !pText->IsVisible() || !pSample->IsVisible())
        return;  // a field out of view has no connector
    // Right and bottom one past the last pixel.
    const QRect t = pText->Rect();
    const QRect s = pSample->Rect();
    m_connector = {QLine(t.left(), t.top() + t.height(), s.left(), s.top()),
                   QLine(t.left() + t.width(), t.top() + t.height(), s.left() + s.width(), s.top())};
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1));
    for (const QLine& line : m_connector)
        painter.drawLine(line);
}

// The items each shown field edits, in the line between the caption and the
// text cells, cut to the room up to the next field.
void CFieldStrip::DrawItemMarks(QPainter& painter, const QRect& area)
{
    const int h = m_nFontHeight;
    const int nEnd = std::min(m_nPlacedEnd, CellCount());
    if (m_itemMarks.empty() || area.bottom() < h)
        return;
    const QFontMetrics metrics(m_hFont);
    for (int j = m_nFirst; j < nEnd; ++j) {
        const SFieldItemMark* pMark = ItemMark(j);
        const CFieldCell* pCell = TextCell(j);
        if (pMark == nullptr || pCell == nullptr || !pCell->IsVisible())
            continue;
        const QRect cell = pCell->Rect();
        // The room runs to the next field with items of its own, or to the
        // sign of one with none, which stands at its right end.
        int nNext = j + 1;
        while (nNext < nEnd &&
               (ItemMark(nNext) == nullptr || (ItemMark(nNext)->strShown.isEmpty() && !ItemMark(nNext)->bNoItem)))
            ++nNext;
        const QRect next = nNext < nEnd ? TextCell(nNext)->Rect() : QRect();
        const int nSign = metrics.horizontalAdvance(kNoItemSign);
        const int nRight = nNext >= nEnd              ? ClientRect().right()
                           : ItemMark(nNext)->bNoItem ? next.right() - nSign - m_nCharWidth / 2
                                                      : next.left() - m_nCharWidth / 2;
        // The signs first, where cutting never takes them.
        const QString strLabel = (pMark->bFinding ? kFindingSign : QString()) +
                                 (pMark->bReused ? kReusedSign : QString()) + pMark->strShown;
        const QColor colour = pMark->bFinding  ? kFindingColour
                              : pMark->bNoItem ? palette().color(QPalette::Disabled, QPalette::WindowText)
                                               : palette().color(QPalette::WindowText);
        painter.setPen(colour);
        if (pMark->bNoItem && !pMark->bFinding) {
            painter.drawText(QRect(cell.right() + 1 - nSign, h, nSign, h), Qt::AlignLeft | Qt::AlignVCenter,
                             kNoItemSign);
        } else {
            const int nWidth = std::max(m_nCharWidth, nRight - cell.left());
            painter.drawText(QRect(cell.left(), h, nWidth, h), Qt::AlignLeft | Qt::AlignVCenter,
                             metrics.elidedText(strLabel, Qt::ElideRight, nWidth));
        }
        if (pMark->bFinding) {
            painter.setPen(QPen(kFindingColour, 2));
            painter.drawRect(cell.adjusted(-1, -1, 1, 1));
        }
    }
}

void CFieldStrip::DrawRuler(QPainter& painter, const QRect& area)
{
    const int nSize = m_pList->size();
    if (nSize <= 0 || CellCount() < nSize)
        return;
    // The ruler runs on under the field cut off at the right edge.
    int nLast = std::max(m_nLastText, m_nLastSample);
    if (nLast < nSize - 1)
        ++nLast;
    const int cw = m_nCharWidth;
    const int y = GetLayoutY(LAYOUT_RULER);
    if (area.bottom() < y)
        return;  // the paint does not reach the ruler
    const QRect s = SampleCell(nLast)->Rect();
    // Past the client area nothing shows: a sample may be far wider.
    const long long nEnd = std::min<long long>(static_cast<long long>(s.left()) + s.width(), area.right() + 1LL + cw);
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1));
    painter.drawLine(cw, y, static_cast<int>(nEnd), y);

    // One tick per column of the fields from the first visible one on.
    const std::vector<SFieldPlace> places = LayOutFields(*m_pList, ShownWidths(), nLast + 1);
    const int nLabelTop = y + kLabelGap;
    long long nColumn = 0;
    long long nRemaining = 0;
    int i = m_nFirst;
    for (long long x = cw; x <= nEnd; x += cw, ++nColumn, --nRemaining) {
        while (nRemaining == 0 && i <= nLast) {
            nColumn = places[static_cast<std::size_t>(i)].nColumn;
            nRemaining = places[static_cast<std::size_t>(i)].nWidth;
            ++i;
        }
        if (x + 3 * cw < area.left())
            continue;  // left of what is being painted (a label reaches back)
        const RulerTick tick = RulerTickAt(nColumn);
        const int nX = static_cast<int>(x);
        painter.drawLine(nX, y, nX, y + kTickLength[tick] - 1);  // the tick's length counts the line's pixel
        if (tick == TICK_LONG) {
            const std::string strLabel = std::to_string(nColumn / 10);
            DrawFixedText(painter, nX - static_cast<int>(strLabel.size()) * cw / 2, nLabelTop, strLabel);
        }
    }
}

void CFieldStrip::DrawFrame(QPainter& painter)
{
    // Only the top and bottom lines of the frame fall inside the strip (the
    // bottom one over the scroll bar, or at the foot when there is none);
    // the frame window's border is the left and right edge.
    const QRect painted = PaintedRect();
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1));
    painter.drawLine(0, 0, painted.width() - 1, 0);
    painter.drawLine(0, painted.height() - 1, painted.width() - 1, painted.height() - 1);

    // The caption in the application font, on its own ground over the top
    // line; the character after an '&' is underlined and the '&' not drawn.
    const QFont plain = QApplication::font();
    QFont underlined(plain);
    underlined.setUnderline(true);
    const QFontMetrics metrics(plain);
    painter.setBackgroundMode(Qt::OpaqueMode);
    painter.setBackground(palette().color(QPalette::Window));
    int x = m_nCharWidth;
    const int nBaseline = -1 - metrics.leading() + metrics.ascent();
    bool bUnderline = false;
    const QString strCaption = windowTitle();
    for (const QChar ch : strCaption) {
        if (ch == QLatin1Char('&')) {
            bUnderline = true;
            continue;
        }
        painter.setFont(bUnderline ? underlined : plain);
        painter.drawText(x, nBaseline, QString(ch));
        x += metrics.horizontalAdvance(ch);
        bUnderline = false;
    }
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.setFont(m_hFont);
}
