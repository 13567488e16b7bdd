// The in-place editor: a single-line edit that sits on the strip's current
// cell, grows and shrinks with its text, and turns the keys that move between
// fields into notifications for the strip. Every other key edits the text.
//
//   Ctrl+Right, Ctrl+Left      FEN_NEXT, FEN_PREV
//   Ctrl+Home, Ctrl+End        FEN_FIRST, FEN_LAST
//   Up, Down                   FEN_UP, FEN_DOWN
//   Ctrl+Up, Ctrl+Down         FEN_CTRL_UP, FEN_CTRL_DOWN
//   Ctrl+Z                     FEN_UNDO (the window's history, not the line edit's)
//   Ctrl+Shift+Z, Ctrl+Y       FEN_REDO
//
// The text's changes, losing the focus to another control and the field
// keys all reach the strip at once (TextUpdated, KillFocus, Notify), before
// any key typed after them.
#pragma once

#include <QLineEdit>
#include <QRect>

class QKeyEvent;

class QAction;

// FEN_UNDO or FEN_REDO for the keys of Undo and Redo, 0 for any other key.
int HistoryKeyCode(const QKeyEvent* pEvent);
// FEN_UNDO or FEN_REDO for the Undo and Redo items of a line edit's standard
// context menu, 0 for any other item.
int EditorMenuHistoryCode(const QAction* pAction);

class CFieldEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit CFieldEdit(QWidget* pParent);

    // Sets the editor up hidden at rect; with bBorder it is one letter wider
    // than its text. Returns 1.
    int Create(bool bBorder, const QRect& rect);

    // Moves the editor to rect, then fits its width to its text.
    void MoveTo(const QRect& rect, bool bRepaint);

    // Where the text starts, in pixels from the editor's left edge (so that
    // it stands where the cell under the editor shows it).
    void SetTextIndent(int nIndent);
    int TextIndent() const { return m_nIndent; }

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
    void Notify(int nCode);
    void TextUpdated();
    void KillFocus();

protected:
    void keyPressEvent(QKeyEvent* pEvent) override;
    void paintEvent(QPaintEvent* pEvent) override;
    void focusOutEvent(QFocusEvent* pEvent) override;
    // The line edit's own menu, then the strip's settings, so that the
    // context menu key reaches them while a field is being edited.
    void contextMenuEvent(QContextMenuEvent* pEvent) override;

private:
    void UpdateTextMargins();
    int LetterWidth() const;

    int m_bBorder = 0;
    int m_nIndent = 0;
    bool m_bEditing = false;
};
