#include "owner_window.h"

#include <QApplication>
#include <QWidget>

OwnerHandle OwnerOf(QWidget* pWidget)
{
    return static_cast<OwnerHandle>(pWidget);
}

QWidget* WidgetOf(OwnerHandle owner)
{
    if (owner == nullptr)
        return nullptr;
    for (QWidget* pWidget : QApplication::allWidgets())
        if (OwnerOf(pWidget) == owner)
            return pWidget;
    return nullptr;
}
