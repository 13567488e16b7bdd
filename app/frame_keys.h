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

class QAction;
class QKeyEvent;
class QWidget;

// What the filter does to the window it watches, in the rows of the control
// table: the window implements it, so that the filter needs no more of it.
class IKeyedWindow {
public:
    virtual int CurrentControl() const = 0;
    virtual void SetCurrentControl(int nRow) = 0;
    // The row of a control (-1 for none), the row a hot key stands for (-1
    // for none).
    virtual int RowOfControl(const QWidget* pControl) const = 0;
    virtual int HotKeyRow(int nKey) const = 0;
    // Triggers a command's action once the event loop comes round to it.
    virtual void PostCommand(int nCommandId) = 0;
    virtual QAction* UndoAction() const = 0;
    virtual QAction* RedoAction() const = 0;

protected:
    ~IKeyedWindow() = default;
};

class CFrameKeyFilter : public QObject {
public:
    // Installs itself on the window and each of its widgets, and on each
    // widget added later; a child of the window, so it ends (and is
    // removed) with it. `keyed` is the window's own side of the keys.
    CFrameKeyFilter(QWidget* pWindow, IKeyedWindow& keyed);

protected:
    bool eventFilter(QObject* pObject, QEvent* pEvent) override;

private:
    void Watch(QWidget* pWidget);
    bool OnKeyPress(QKeyEvent* pEvent);
    bool OnHotKey(QKeyEvent* pEvent, bool bOverrideOnly);
    void MakeClickedControlCurrent(QWidget* pWidget);

    QWidget* m_pWindow;
    IKeyedWindow& m_keyed;
};
