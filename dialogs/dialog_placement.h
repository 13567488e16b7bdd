// Where a dialog opens: centred on the window that owns it, or beside what
// it is about.
#pragma once

class QRect;
class QWidget;

void CentreOnOwner(QWidget& dialog);

// Places the dialog next to area (global coordinates) without covering it:
// below it, left edges in line, or above it where the screen has no room
// below; always inside the free area of the screen that shows area.
void PlaceBeside(QWidget& dialog, const QRect& area);
