#include "field_cell.h"

#include <QFont>
#include <QPainter>
#include <QPalette>

#include "strip_text.h"

CFieldCell::CFieldCell(ICellHost* pHost, SCellRef cell, const std::string& strText, const QRect& rect)
    : m_pParent(pHost), m_cell(cell), m_strText(strText), m_rect(rect.topLeft(), QSize(0, 0))
{
    Fit();  // a cell has its proper size from birth, at the corner it was created at
}

CFieldCell::~CFieldCell()
{
    Invalidate();
}

void CFieldCell::SetText(const std::string& strText)
{
    m_strText = strText;
    Fit(&strText);
}

void CFieldCell::SetKind(int nKind)
{
    if (nKind == m_nCellKind)
        return;
    m_nCellKind = nKind;
    Fit();
}

void CFieldCell::Fit(const std::string* pText)
{
    if (Measure(pText) != m_rect.size())
        MoveTo(m_rect.topLeft());
}

void CFieldCell::MoveTo(const QPoint& point)
{
    const QRect newRect(point, Measure());
    if (newRect == m_rect)
        return;
    Invalidate();
    m_rect = newRect;
    Invalidate();
}

QSize CFieldCell::Measure(const std::string* pText) const
{
    // The strip's font is fixed-pitch and every byte takes one character
    // cell, so a text's extent is its length in cells.
    const std::string& strText = pText != nullptr ? *pText : m_strText;
    const int cw = m_pParent->GetFontCharWidth();
    const int h = m_pParent->GetFontHeight();
    const long long nTextWidth = static_cast<long long>(strText.size()) * cw;
    long long nWidth = nTextWidth + 1;
    int nHeight = h;
    if (m_nCellKind == CELL_TEXT)
        nWidth += cw;  // the extent of "a"
    if (m_nCellKind == CELL_TEXT || m_nCellKind == CELL_SAMPLE)
        nHeight += (2 * h) / 3;
    // A sample may be a megabyte long; a widget coordinate may not.
    constexpr long long kMaxWidth = 1 << 24;
    return QSize(static_cast<int>(nWidth < kMaxWidth ? nWidth : kMaxWidth), nHeight);
}

void CFieldCell::Paint(QPainter& painter) const
{
    const QPalette& palette = m_pParent->CellPalette();
    painter.fillRect(m_rect, palette.color(QPalette::Window));
    const int cw = m_pParent->GetFontCharWidth();
    const int h = m_pParent->GetFontHeight();
    const bool bRowCell = m_nCellKind == CELL_TEXT || m_nCellKind == CELL_SAMPLE;
    const int x = m_nCellKind == CELL_TEXT ? cw / 2 : 0;
    const int y = bRowCell ? h / 2 - 1 : 0;
    painter.setPen(palette.color(QPalette::WindowText));
    painter.setFont(m_pParent->GetStripFont());
    painter.save();
    painter.setClipRect(m_rect, Qt::IntersectClip);
    DrawFixedText(painter, m_rect.left() + x, m_rect.top() + y, m_strText);
    painter.restore();
    painter.drawRect(m_rect.adjusted(0, 0, -1, -1));  // the one-pixel border
}

void CFieldCell::Show(bool bShow)
{
    if (bShow == m_bVisible)
        return;
    if (m_bVisible)
        Invalidate();  // what it leaves is painted over
    m_bVisible = bShow;
    Invalidate();
}

void CFieldCell::Invalidate() const
{
    if (m_bVisible && !m_rect.isEmpty())
        m_pParent->InvalidateCell(m_rect);
}
