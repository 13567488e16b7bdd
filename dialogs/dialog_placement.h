// Where a dialog opens: centred on the window that owns it.
#pragma once

class QWidget;

void CentreOnOwner(QWidget& dialog);
