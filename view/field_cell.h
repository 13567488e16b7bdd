// One cell of the field strip: a descriptor text (text cell) or a sample
// (sample cell) in a framed box. A cell is a light item that the strip
// places, paints and hit-tests; its ID says which field and row it is.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <string>

class CFieldStrip;
class QPainter;

enum CellKind : int {
    CELL_PLAIN = 0,  // as constructed
    CELL_SAMPLE = 1,
    CELL_TEXT = 2,
};

class CFieldCell {
public:
    // A hidden cell with its text and ID, sized to its text, its top-left
    // corner at rect's.
    CFieldCell(CFieldStrip* pParent, int nId, const std::string& strText, const QRect& rect);
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

    // A click: the strip makes this cell current.
    void OnLeftButtonDown() const;

    void Show(bool bShow);
    bool IsVisible() const { return m_bVisible; }

    int Id() const { return m_nId; }
    int Kind() const { return m_nCellKind; }
    const std::string& Text() const { return m_strText; }
    QRect Rect() const { return m_rect; }
    int Width() const { return m_rect.width(); }

private:
    void Invalidate() const;

    CFieldStrip* m_pParent;
    int m_nId;
    int m_nCellKind = CELL_PLAIN;
    std::string m_strText;
    QRect m_rect;
    bool m_bVisible = false;
};
