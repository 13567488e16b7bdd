// Owner handles of messages and dialogs: in the window they are widgets.
#pragma once

#include "message.h"

class QWidget;

OwnerHandle OwnerOf(QWidget* pWidget);

// The live widget behind a handle, or nullptr for any other value (a
// handle whose widget is gone included).
QWidget* WidgetOf(OwnerHandle owner);
