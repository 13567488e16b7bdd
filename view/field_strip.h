// The field strip: the whole descriptor list as a strip of fields across the
// top of the main window. Each field is two cells, its descriptor text in
// the upper row and its sample in the lower row; the rows are laid out
// independently, a connector joins the current field's two cells, and a
// column ruler runs under the samples. The in-place editor sits on the
// current cell and holds the keyboard focus; what is typed there goes into
// the list at once.
//
// Cells are painted by the strip itself (they are light items, not widgets),
// so that a statement of thousands of fields lays out and paints in time
// with the keys. The editor is a real line edit, a child of the strip; it
// tells the strip of its keys and its text with signals, and the strip
// finds the cell a click falls on itself, so that neither calls back up.
#pragma once

#include <QAbstractSlider>
#include <QFont>
#include <QLine>
#include <QRect>
#include <QString>
#include <QWidget>
#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "field_cell.h"
#include "result.h"

// A text as assistive technology reads it: a text of blanks only as how
// many blanks it is ("4 blanks"), an empty one as "empty".
QString SpokenText(const QString& strText);

// What a field edits for the I/O statement in view, as the strip marks it:
// the items over its text cell, a sign when reversion uses it again, a sign
// dimmed for a field that edits no item, a field with a finding in colour
// and with a sign. A field whose items' types lay its sample out otherwise
// shows that sample in its sample row.
struct SFieldItemMark {
    QString strShown;  // the items over the field, shortened
    QString strWords;  // the field's use in words: its tooltip, the status line, the screen reader
    bool bReused = false;
    bool bNoItem = false;
    bool bFinding = false;
    bool bTypedSample = false;
    std::string strSample;  // with bTypedSample: the sample the items show, in the list's bytes
};

class CDescriptorList;
class CEditHistory;
class CFieldEdit;
class QFrame;
class QScrollBar;

// Which vertical position GetLayoutY gives.
enum LayoutY : int {
    LAYOUT_TEXT_ROW = 0,
    LAYOUT_SAMPLE_ROW = 1,
    LAYOUT_RULER = 2,
    LAYOUT_HEIGHT = 3,
};

class CFieldStrip : public QWidget, public ICellHost {
    Q_OBJECT

public:
    // The characters a field's text or sample holds; the editor cuts off
    // what is typed or pasted beyond them and says so.
    static constexpr int kFieldLength = 32767;

    explicit CFieldStrip(QWidget* pParent);
    ~CFieldStrip() override;
    CFieldStrip(const CFieldStrip&) = delete;
    CFieldStrip& operator=(const CFieldStrip&) = delete;

    // Creates the strip with its caption at rect in the parent, over the
    // list (which must hold at least one descriptor), with the cells of the
    // first field and the hidden editor; the first layout follows from the
    // size it is given. Returns 1.
    int Create(const QString& strCaption, const QRect& rect, QWidget* pParent, CDescriptorList* pList, int nId);

    // Places the frame and the strip for a rectangle in the parent's
    // coordinates. The strip's height follows its font, not the rectangle;
    // the frame is one pixel wider on each side and one lower. A layout may
    // place the frame instead: the strip follows it.
    void Resize(const QRect& rect, bool bRepaint);

    // Brings the cells in line with the list and lays them out: with
    // bRefreshAll every cell's text is reloaded, else only those of the
    // fields that report a change.
    void Rebuild(int bRefreshAll);

    // Moves the editor onto the current cell, shows it and gives it the
    // focus. When the current cell lies outside the client area, the editor
    // keeps the focus but is drawn out of sight, not over another field.
    void PlaceEditor();

    // Gives the strip the focus: the editor first leaves its field (the edit
    // is kept or taken back), then the focus target becomes the current cell
    // and the editor moves there and takes the keyboard. The one way a new
    // current cell takes effect. The keyboard goes to the editor directly,
    // never through the strip, so that assistive technology hears of the
    // editor alone.
    void GiveFocus();

    // Layout metrics, from the strip's fixed-pitch font.
    int GetLayoutY(int nWhich) const;
    int GetFontHeight() const override { return m_nFontHeight; }
    int GetFontCharWidth() const override { return m_nCharWidth; }

    // The strip's font, fixed-pitch on a grid of whole pixels; cells and the
    // editor measure and draw in it.
    void SetStripFont(const QFont& font);
    const QFont& GetStripFont() const override { return m_hFont; }

    // Moving the current cell (the editor's keys and clicks on cells).
    void NextField();
    void PrevField();
    void FirstField();
    void LastField();
    void ToTextRow();
    void ToSampleRow();
    void SelectCell(SCellRef cell);

    // Horizontal scrolling, as the scroll bar and the wheel ask for it: a
    // field or a page either way (the thumb being dragged, and every other
    // action, moves nothing), or the thumb let go at field nFirst.
    void Scroll(QAbstractSlider::SliderAction action);
    void ScrollTo(int nFirst);

    // The editor's text changed, and the editor lost the focus.
    void OnEditUpdate();
    void OnEditKillFocus();

    // The window's commands on the current field. InsertField inserts a
    // descriptor before or after it and makes the new field current;
    // RemoveField removes it (the last one stays); SetFieldValue gives it a
    // value of its own for its sample. A refusal comes back with its message
    // for the window to show; nothing has changed then.
    CResult InsertField(const std::string& strText, bool bAfter);
    CResult RemoveField();
    int GetFieldValue(std::string& strValue) const;
    CResult SetFieldValue(const std::string& strValue);

    // Undo and Redo of the edits above and of typing (see edit_history.h):
    // the field being typed in is left first, and the field the step touched
    // becomes the focus target, in the row that shows the change. False when
    // there was nothing to undo or redo. The caller then gives the strip the
    // focus (GiveFocus), which puts the editor there with the restored text.
    bool Undo();
    bool Redo();
    // The same, with the editor put on the field at once (the editor's own
    // menu asks for these).
    void UndoInPlace();
    void RedoInPlace();
    // The history of the edits made through the strip since it was created.
    const CEditHistory& History() const { return *m_pHistory; }

    // The horizontal scroll range: 0 .. nFields − 1.
    void SetScrollRange(int nFields);

    // Whether every field's cells show the field as the list now holds it.
    bool ShowsEveryField() const;

    // State, for the main window and the tests.
    CDescriptorList* List() const { return m_pList; }
    SCellRef CurrentId() const { return m_nCurrentId; }
    int CurrentIndex() const { return CellIndex(m_nCurrentId); }
    void SetFocusId(SCellRef cell) { m_nFocusId = cell; }
    int First() const { return m_nFirst; }
    int LastText() const { return m_nLastText; }
    int LastSample() const { return m_nLastSample; }
    int CellCount() const { return static_cast<int>(m_arrTextCells.size()); }
    CFieldCell* TextCell(int nIndex) const;
    CFieldCell* SampleCell(int nIndex) const;
    CFieldCell* Cell(SCellRef cell) const;
    CFieldEdit* Editor() const { return m_wndEdit; }
    QScrollBar* ScrollBar() const { return m_pScrollBar; }
    QFrame* Frame() const { return m_wndFrame; }

    // The client area: the strip without its scroll bar along the bottom.
    // The bar's room stays reserved when the bar is hidden, so that the strip
    // keeps its height whether or not its fields fit.
    QRect ClientRect() const;
    int ScrollBarHeight() const;
    // True when the last layout could not show every field wholly from the
    // first one (fields cut off at the right, or scrolled away at the left):
    // only then is the scroll bar shown and do scroll requests move the fields.
    bool Overflows() const { return m_bOverflows; }

    // What cells paint with, and a repaint where a cell changed (none while
    // a paint lays the cells out).
    const QPalette& CellPalette() const override { return palette(); }
    void InvalidateCell(const QRect& rect) override;

    // The current field's two cells, as far as the strip shows them, in
    // global coordinates (where a dialog about the field must not stand).
    QRect CurrentFieldArea() const;

    // The connector's two segments as last drawn.
    const std::array<QLine, 2>& Connector() const { return m_connector; }

    // The current field for assistive technology. Its name says which field
    // and row ("Field 4 of 6, text row") and stays while the field is typed
    // in; its details say its descriptor, its sample (blanks counted) and the
    // output columns it prints in ("descriptor F11.3, sample "1234567.123",
    // columns 12 to 22"). The description is the two together.
    QString CurrentFieldName() const;
    QString CurrentFieldDetails() const;
    QString CurrentFieldDescription() const;

    // The status line of the current field (model/field_description): what
    // its descriptor means and the columns it prints in, or why what was
    // typed does not evaluate; after an edit was taken back on leaving a
    // field, a note that it was comes first, until the next key, move or
    // change (Undo, Redo and the commands).
    QString StatusText() const;

    // What each field edits for the I/O statement in view (none: nothing is
    // shown over the fields); by field, as the list stands.
    void SetItemMarks(std::vector<SFieldItemMark> marks);
    const SFieldItemMark* ItemMark(int nIndex) const;
    // The sample field nIndex's cell shows: its mark's typed sample, else
    // its own repeated one.
    void ShownSample(int nIndex, std::string& out) const;
    // The widths of the typed samples by field (-1 where a field shows its
    // own), for LayOutFields: the columns as the cells show them.
    std::vector<long long> ShownWidths() const;
    // The current field's use in words ("" for none).
    QString CurrentItemWords() const;

signals:
    // The status line changed: a key was typed, the current field moved or
    // was left.
    void StatusChanged();

protected:
    bool event(QEvent* pEvent) override;
    void paintEvent(QPaintEvent* pEvent) override;
    void resizeEvent(QResizeEvent* pEvent) override;
    void focusInEvent(QFocusEvent* pEvent) override;
    void mousePressEvent(QMouseEvent* pEvent) override;
    void wheelEvent(QWheelEvent* pEvent) override;
    bool eventFilter(QObject* pObject, QEvent* pEvent) override;

private:
    bool CutToFieldLength();
    void ConnectEditor();
    void OnSetFocus();
    void FollowFrame();
    void CreateCells(int nIndex, const QRect& rect);
    // The parts of Rebuild: a cell pair per descriptor with its texts up to
    // date; the fields before the first visible one placed leftwards; the
    // rest rightwards until neither row fits (true when all of them fit).
    void MatchCellsToList(bool bRefreshAll);
    void PlaceCellsBeforeFirst();
    bool PlaceCellsFromFirst();
    const CFieldCell* CellAt(const QPoint& point) const;
    template <typename F>
    void ForEachShownCell(const QRect& area, F&& visit) const;
    int LastFitting(bool bSampleRow) const;
    bool IsPlaced(int nIndex) const;
    int FirstFieldShowing(int nIndex, bool bSampleRow) const;
    void ShowCurrentField();
    void SetFirst(int nFirst);  // the first visible field; invalidates the strip
    void ScrollFirstTo(int nFirst);
    QRect PaintedRect() const;  // what the strip paints: the client area, and the bar's room while it is hidden
    void ResetThumb();
    int PageLeft() const;
    void LoadEditor();
    void InvalidateConnectorBand();
    void NotifyAccessibility(bool bFocus);
    void ShowFieldTip(const QPoint& globalPos, int nIndex, const QRect& area);
    void EndEdit();
    bool ShowStep(int nIndex, bool bSampleRow);

    void DrawConnector(QPainter& painter);
    void DrawRuler(QPainter& painter, const QRect& updateRect);
    void DrawFrame(QPainter& painter);
    void DrawItemMarks(QPainter& painter, const QRect& area);

    CDescriptorList* m_pList = nullptr;
    std::unique_ptr<CEditHistory> m_pHistory;  // every edit goes through it
    CFieldEdit* m_wndEdit = nullptr;           // a child of the strip
    std::vector<std::unique_ptr<CFieldCell>> m_arrTextCells;
    std::vector<std::unique_ptr<CFieldCell>> m_arrSampleCells;
    // The revision of each field's descriptor that its two cells show.
    std::vector<unsigned long long> m_arrShownRevisions;
    int m_nFirst = 0;
    int m_nLastText = 0;
    int m_nLastSample = 0;
    SCellRef m_nCurrentId;
    SCellRef m_nFocusId;
    QFont m_hFont;
    QFrame* m_wndFrame = nullptr;  // a sibling in the parent; its border is the strip's left and right edge
    int m_bLayoutOnPaint = 0;
    int m_bCreating = 0;

    // Of our own: the scroll bar along the bottom, the metrics of the font,
    // how many fields the last layout placed, the connector last drawn, and
    // what the editor was last loaded with (so that a program-set text keeps
    // its exact bytes).
    QScrollBar* m_pScrollBar = nullptr;
    int m_nFontHeight = 1;
    int m_nCharWidth = 1;
    int m_nPlacedEnd = 0;     // fields m_nFirst .. m_nPlacedEnd − 1 were placed by the last layout
    int m_nLaidOutFirst = 0;  // m_nFirst of the last layout
    bool m_bOverflows = false;
    std::array<QLine, 2> m_connector{};
    QString m_strLoaded;
    std::string m_strLoadedBytes;
    std::string m_strNote;  // the note of the edit last taken back or cut, until the next key or move
    bool m_bPainting = false;
    std::vector<SFieldItemMark> m_itemMarks;
};

// Visits the cells that are shown and meet area, in both rows: the placed
// ones and those before the first visible field whose right end still
// reaches into the left margin.
template <typename F>
void CFieldStrip::ForEachShownCell(const QRect& area, F&& visit) const
{
    for (const auto* pRow : {&m_arrTextCells, &m_arrSampleCells}) {
        const auto& row = *pRow;
        const int nEnd = std::min(m_nPlacedEnd, static_cast<int>(row.size()));
        for (int j = std::min(m_nFirst, nEnd) - 1; j >= 0 && row[static_cast<std::size_t>(j)]->Rect().right() >= 0; --j)
            if (row[static_cast<std::size_t>(j)]->IsVisible() &&
                row[static_cast<std::size_t>(j)]->Rect().intersects(area))
                visit(*row[static_cast<std::size_t>(j)]);
        for (int j = m_nFirst; j < nEnd; ++j) {
            const CFieldCell& cell = *row[static_cast<std::size_t>(j)];
            if (cell.Rect().left() > area.right())
                break;
            if (cell.IsVisible() && cell.Rect().intersects(area))
                visit(cell);
        }
    }
}
