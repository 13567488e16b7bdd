// The in-place editor: a single-line edit that sits on the strip's current
// cell, grows and shrinks with its text, and turns the keys that move between
// fields into signals for the strip. Every other key edits the text.
//
//   Ctrl+Right, Ctrl+Left      nextField, previousField
//   Ctrl+Home, Ctrl+End        firstField, lastField
//   Up, Ctrl+Up                textRow
//   Down, Ctrl+Down            sampleRow
//   Ctrl+Z                     undoRequested (the window's history, not the line edit's)
//   Ctrl+Shift+Z, Ctrl+Y       redoRequested
//
// The text's changes (textChanged), losing the focus to another control
// (focusLost) and the field keys all reach the strip at once, before any key
// typed after them.
#pragma once

#include <QLineEdit>
#include <QRect>

class CEditHistory;
class QAction;
class QKeyEvent;

// A step through the window's history of edits.
enum class HistoryStep {
    NONE,
    UNDO,
    REDO,
};

// The step the keys of Undo and Redo ask for (Ctrl+Z; Ctrl+Shift+Z and
// Ctrl+Y; and the platform's own); NONE for any other key.
HistoryStep HistoryStepOfKey(const QKeyEvent* pEvent);
// The step the Undo and Redo items of a line edit's standard context menu
// stand for; NONE for any other item.
HistoryStep HistoryStepOfMenuItem(const QAction* pAction);

class CFieldEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit CFieldEdit(QWidget* pParent);

    // Sets the editor up hidden at rect; with bBorder it is one letter wider
    // than its text. Returns 1.
    int Create(bool bBorder, const QRect& rect);

    // Moves the editor to rect, then fits its width to its text.
    void MoveTo(const QRect& rect, bool bRepaint);

    // The history its context menu's Undo and Redo are enabled by.
    void SetHistory(const CEditHistory* pHistory) { m_pHistory = pHistory; }

    // Where the text starts, in pixels from the editor's left edge (so that
    // it stands where the cell under the editor shows it).
    void SetTextIndent(int nIndent);

    // Keeps the left edge, top and height and makes the editor as wide as
    // its text plus one letter of its own font, the border included: as wide
    // as a text cell, so that it covers its own cell and no neighbour. The
    // text, the margins inside the line edit and the caret all fit in that
    // slack, so the text never scrolls out of sight. Returns the rectangle
    // after fitting.
    QRect FitToText();

    // 1 while the editor holds an edit: from its placement on a cell until
    // it loses the focus.
    bool IsEditing() const { return m_bEditing; }
    void SetEditing(bool bEditing) { m_bEditing = bEditing; }

signals:
    void nextField();
    void previousField();
    void firstField();
    void lastField();
    void textRow();
    void sampleRow();
    void undoRequested();
    void redoRequested();
    void focusLost();

protected:
    void keyPressEvent(QKeyEvent* pEvent) override;
    void paintEvent(QPaintEvent* pEvent) override;
    void focusOutEvent(QFocusEvent* pEvent) override;
    // The line edit's own menu, then the strip's settings, so that the
    // context menu key reaches them while a field is being edited.
    void contextMenuEvent(QContextMenuEvent* pEvent) override;

private:
    void EmitHistoryStep(HistoryStep step);
    void UpdateTextMargins();
    int LetterWidth() const;

    const CEditHistory* m_pHistory = nullptr;
    int m_bBorder = 0;
    int m_nIndent = 0;
    bool m_bEditing = false;
};
