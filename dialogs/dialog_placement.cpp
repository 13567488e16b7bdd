#include "dialog_placement.h"

#include <QWidget>

void CentreOnOwner(QWidget& dialog)
{
    dialog.adjustSize();
    const QWidget* pOwner = dialog.parentWidget() != nullptr ? dialog.parentWidget()->window() : nullptr;
    if (pOwner == nullptr)
        return;
    QRect frame = dialog.frameGeometry();
    frame.moveCenter(pOwner->frameGeometry().center());
    dialog.move(frame.topLeft());
}
