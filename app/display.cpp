#include "display.h"

#include <cstdlib>
#include <string>

namespace {

bool IsSet(const char* pszName)
{
    const char* pszValue = std::getenv(pszName);
    return pszValue != nullptr && *pszValue != '\0';
}

}  // namespace

bool HasDisplay()
{
#if defined(__unix__) && !defined(__APPLE__)
    return IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY");
#else
    return true;
#endif
}

PlatformChoice ChoosePlatform(bool bUnattended)
{
    if (HasDisplay() || IsSet("QT_QPA_PLATFORM"))
        return PLATFORM_NATIVE;
    return bUnattended ? PLATFORM_OFFSCREEN : PLATFORM_NONE;
}

void UsePlatform(PlatformChoice choice)
{
    if (choice != PLATFORM_OFFSCREEN)
        return;
#if defined(_WIN32)
    _putenv_s("QT_QPA_PLATFORM", "offscreen");
#else
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
#endif
}

std::string NoDisplayMessage(const char* pszProgram)
{
    return std::string(pszProgram) + ": no display (neither DISPLAY nor WAYLAND_DISPLAY is set); run it on a desktop, "
                                     "or add -d:1:LOGFILE to run unattended";
}
