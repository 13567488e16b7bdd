#include "dialog_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

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

void PlaceBeside(QWidget& dialog, const QRect& area)
{
    dialog.adjustSize();
    const QScreen* pScreen = QGuiApplication::screenAt(area.center());
    if (pScreen == nullptr)
        pScreen = dialog.screen();
    const QRect free = pScreen->availableGeometry();
    // A window's position is its frame's (the window manager's border
    // included, once the dialog has one).
    const QSize frame = dialog.frameGeometry().size();
    const int nGap = dialog.fontMetrics().height() / 2;
    int nTop = area.bottom() + 1 + nGap;
    if (nTop + frame.height() > free.bottom() + 1)
        nTop = area.top() - nGap - frame.height();
    const int nLeft = std::clamp(area.left(), free.left(), std::max(free.left(), free.right() + 1 - frame.width()));
    nTop = std::clamp(nTop, free.top(), std::max(free.top(), free.bottom() + 1 - frame.height()));
    dialog.move(nLeft, nTop);
}
