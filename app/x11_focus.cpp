#include "x11_focus.h"

#include <QGuiApplication>
#include <QWidget>
#include <cstdlib>

#ifdef QUILLMARK_HAVE_XCB
#include <xcb/xcb.h>

#include <cstdint>
#include <cstring>
#endif

namespace {

bool IsX11()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

}  // namespace

quint64 X11WindowOf(QWidget* pWidget)
{
    if (pWidget == nullptr || !IsX11())
        return 0;
    return static_cast<quint64>(pWidget->window()->winId());
}

#ifdef QUILLMARK_HAVE_XCB
namespace {

xcb_atom_t InternAtom(xcb_connection_t* pConnection, const char* pszName)
{
    xcb_intern_atom_reply_t* pReply = xcb_intern_atom_reply(
        pConnection, xcb_intern_atom(pConnection, 1, static_cast<std::uint16_t>(std::strlen(pszName)), pszName),
        nullptr);
    const xcb_atom_t atom = pReply != nullptr ? pReply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    std::free(pReply);
    return atom;
}

// A window manager that follows the desktop conventions names its check
// window on the root window.
bool HasWindowManager(xcb_connection_t* pConnection, xcb_window_t root)
{
    const xcb_atom_t check = InternAtom(pConnection, "_NET_SUPPORTING_WM_CHECK");
    if (check == XCB_ATOM_NONE)
        return false;
    xcb_get_property_reply_t* pReply = xcb_get_property_reply(
        pConnection, xcb_get_property(pConnection, 0, root, check, XCB_ATOM_WINDOW, 0, 1), nullptr);
    const bool bFound = pReply != nullptr && xcb_get_property_value_length(pReply) >= 4;
    std::free(pReply);
    return bFound;
}

}  // namespace
#endif

bool HandX11FocusTo(quint64 nWindow)
{
#ifdef QUILLMARK_HAVE_XCB
    if (nWindow == 0 || !IsX11())
        return false;
    auto* pX11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* pConnection = pX11 != nullptr ? pX11->connection() : nullptr;
    if (pConnection == nullptr)
        return false;
    const xcb_screen_t* pScreen = xcb_setup_roots_iterator(xcb_get_setup(pConnection)).data;
    if (pScreen == nullptr || HasWindowManager(pConnection, pScreen->root))
        return false;
    // Checked, so that a window that has gone away meanwhile is a refusal
    // here and not an error report from the toolkit's event loop.
    xcb_generic_error_t* pError = xcb_request_check(
        pConnection, xcb_set_input_focus_checked(pConnection, XCB_INPUT_FOCUS_PARENT,
                                                 static_cast<xcb_window_t>(nWindow), XCB_CURRENT_TIME));
    const bool bDone = pError == nullptr;
    std::free(pError);
    return bDone;
#else
    (void)nWindow;
    return false;
#endif
}
