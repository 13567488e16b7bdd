// The program's icon, for its windows.
#pragma once

#include <QIcon>

// Built from pixels compiled into the program (res/quillmark.png, decoded
// when the program is built): no image is read and no image format plug-in
// is loaded on the way to the first paint. Needs a QGuiApplication.
QIcon ProgramIcon();
