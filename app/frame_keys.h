// The main window's key and mouse handling before dispatch: an event filter
// on the window and every control in it, which sees their events before
// they do (message boxes, dialogs and menus are windows of their own and keep
// their keys).
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

class CFrameKeyFilter : public QObject {
public:
    // Installs itself on the frame and each of its widgets, and on each
    // widget added later; a child of the frame, so it ends (and is removed)
    // with it.
    explicit CFrameKeyFilter(CEditorFrame* pFrame);

protected:
    bool eventFilter(QObject* pObject, QEvent* pEvent) override;

private:
    void Watch(QWidget* pWidget);
    bool OnKeyPress(QKeyEvent* pEvent);
    bool OnHotKey(QKeyEvent* pEvent, bool bOverrideOnly);
    void MakeClickedControlCurrent(QWidget* pWidget);

    CEditorFrame* m_pFrame;
};
