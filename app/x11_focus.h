// Handing the X keyboard focus to a window of another process. Without a
// window manager nobody gives the focus back when a window that held it
// closes: it falls to the root window and typed keys reach no window. The
// help viewer uses this to return the keyboard to the window it was opened
// from, as a dialog returns it to its owner.
#pragma once

#include <QtGlobal>

class QWidget;

// The native window id of a top-level widget's window on X11, 0 on any
// other platform (or for a null widget).
quint64 X11WindowOf(QWidget* pWidget);

// Gives the X input focus to window nWindow when this process runs on X11
// and no window manager is running (a window manager decides the focus
// itself). false when nothing was done or X refused it (the window is gone
// or not shown).
bool HandX11FocusTo(quint64 nWindow);
