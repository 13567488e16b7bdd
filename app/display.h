// Whether the program can show windows, decided before the toolkit starts:
// the toolkit ends the process when its platform cannot start, so a missing
// display must be noticed first.
#pragma once

#include <string>

enum PlatformChoice {
    PLATFORM_NATIVE,     // a display is there, or QT_QPA_PLATFORM names the platform
    PLATFORM_OFFSCREEN,  // no display, but an unattended run needs none: draw off screen
    PLATFORM_NONE,       // no display and a user is needed: the program cannot run
};

// On X11 and Wayland systems a display is there when DISPLAY or
// WAYLAND_DISPLAY is set; other systems always have one.
bool HasDisplay();

// The platform for this run: bUnattended is the debug mode (-d:1:).
PlatformChoice ChoosePlatform(bool bUnattended);

// Makes the toolkit use the choice: for PLATFORM_OFFSCREEN it selects the
// offscreen platform. Call before the application object is constructed.
void UsePlatform(PlatformChoice choice);

// The one line that says why the program cannot run without a display.
std::string NoDisplayMessage(const char* pszProgram);
