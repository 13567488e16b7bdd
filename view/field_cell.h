// One cell of the field strip: a descriptor text (text cell) or a sample
// (sample cell) in a framed box. A cell is a light item that the strip
// places, paints and hit-tests; its reference says which field and row it is.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <string>

#include "field_commands.h"

class QFont;
class QPainter;
class QPalette;

// A cell of the strip: the field's index and the row, text or sample.
struct SCellRef {
    int nIndex = 0;
    FieldRow row = ROW_TEXT;
    friend bool operator==(const SCellRef&, const SCellRef&) = default;
};

constexpr SCellRef TextCellId(int nIndex)
{
    return {nIndex, ROW_TEXT};
}
constexpr SCellRef SampleCellId(int nIndex)
{
    return {nIndex, ROW_SAMPLE};
}
constexpr int CellIndex(SCellRef cell)
{
    return cell.nIndex;
}
constexpr bool IsSampleRow(SCellRef cell)
{
    return cell.row == ROW_SAMPLE;
}

// What a cell needs of the widget it is painted on: the fixed-pitch letter
// it is measured in, the font and colours it is painted with, and a repaint
// of an area it leaves or takes.
class ICellHost {
public:
    virtual int GetFontHeight() const = 0;
    virtual int GetFontCharWidth() const = 0;
    virtual const QFont& GetStripFont() const = 0;
    virtual const QPalette& CellPalette() const = 0;
    virtual void InvalidateCell(const QRect& rect) = 0;

protected:
    ~ICellHost() = default;
};

enum CellKind : int {
    CELL_PLAIN = 0,  // as constructed
    CELL_SAMPLE = 1,
    CELL_TEXT = 2,
};

class CFieldCell {
public:
    // A hidden cell of its host with its text, sized to the text, its
    // top-left corner at rect's.
    CFieldCell(ICellHost* pHost, SCellRef cell, const std::string& strText, const QRect& rect);
    virtual ~CFieldCell();
    CFieldCell(const CFieldCell&) = delete;
    CFieldCell& operator=(const CFieldCell&) = delete;

    // Sets the text and resizes the cell to it.
    void SetText(const std::string& strText);
    void SetKind(int nKind);

    // Resizes the cell to a text (its own when null), keeping its top-left corner.
    void Fit(const std::string* pText = nullptr);

    // Puts the top-left corner at point (strip client coordinates) with the
    // size the cell's own text gives it.
    void MoveTo(const QPoint& point);

    // The size a text needs (the cell's own when null): one pixel wider than
    // the text for the border neighbours share; a text cell one letter wider
    // still; text and sample cells two thirds of a letter higher.
    QSize Measure(const std::string* pText = nullptr) const;

    void Paint(QPainter& painter) const;

    void Show(bool bShow);
    bool IsVisible() const { return m_bVisible; }

    SCellRef Id() const { return m_cell; }
    int Kind() const { return m_nCellKind; }
    const std::string& Text() const { return m_strText; }
    QRect Rect() const { return m_rect; }
    int Width() const { return m_rect.width(); }

private:
    void Invalidate() const;

    ICellHost* m_pParent;
    SCellRef m_cell;
    int m_nCellKind = CELL_PLAIN;
    std::string m_strText;
    QRect m_rect;
    bool m_bVisible = false;
};
