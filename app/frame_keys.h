// The main window's key and mouse handling before dispatch: an
// application-wide event filter that sees the events of every widget in the
// main window (and only those: message boxes and dialogs keep their keys).
//
//   Tab, Shift+Tab   the next or previous control becomes current
//   Enter            the current button's command; OK while the strip is current
//   Escape           Cancel
//   Ctrl+Z           Undo; Ctrl+Shift+Z and Ctrl+Y Redo (from any control)
//   Shift+F10        the context menu of the control with the keyboard, as the Menu key
//   (F1, Help, is the window's QAction of the platform's help key)
//   Alt+letter       the control with that hot key becomes current, and its command runs
//   a left click     makes the clicked control current, then acts as usual
#pragma once

#include <QObject>

class CEditorFrame;
class QKeyEvent;
class QWidget;

class CFramePreTranslator : public QObject {
public:
    // Installs itself on the application; a child of the frame, so it ends
    // (and is removed) with it.
    explicit CFramePreTranslator(CEditorFrame* pFrame);

protected:
    bool eventFilter(QObject* pObject, QEvent* pEvent) override;

private:
    bool OnKeyPress(QKeyEvent* pEvent);
    bool OnHotKey(QKeyEvent* pEvent, bool bOverrideOnly);
    void OnLeftButtonDown(QWidget* pWidget);

    CEditorFrame* m_pFrame;
};
