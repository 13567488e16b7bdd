// The one reporting function and the debug log. Toolkit-free: the window
// installs a presenter that shows a real message box; without one a message
// goes to standard error.
#pragma once

#include <string>

#include "result.h"

// An opaque owner window handle; only the presenter interprets it.
using OwnerHandle = void*;

#if defined(_WIN32)
// The platform defines the style bits and answers itself, with these values.
#include "windows_api.h"
#else
// Message-box style bits, as the callers pass them through unchanged.
enum MessageStyle : unsigned {
    MB_OK = 0x00000000u,
    MB_OKCANCEL = 0x00000001u,
    MB_YESNOCANCEL = 0x00000003u,
    MB_YESNO = 0x00000004u,
    MB_ICONEXCLAMATION = 0x00000030u,
    MB_DEFBUTTON2 = 0x00000100u,
    MB_TYPEMASK = 0x0000000Fu,
    MB_ICONMASK = 0x000000F0u,
    MB_DEFMASK = 0x00000F00u,
};

// The buttons a message box answers with.
enum MessageAnswer : int {
    IDOK = 1,
    IDCANCEL = 2,
    IDYES = 6,
    IDNO = 7,
};
#endif

// Shows one formatted message and returns the button that closed it.
class IMessagePresenter {
public:
    virtual ~IMessagePresenter() = default;
    virtual int Present(OwnerHandle owner, unsigned style, const std::string& text, const std::string& caption) = 0;
};

// Installs the presenter used outside debug mode; nullptr restores the
// default, which writes the text to standard error and answers IDCANCEL for
// questions (IDOK for a plain OK box). The caller keeps ownership.
void SetMessagePresenter(IMessagePresenter* pPresenter);
IMessagePresenter* GetMessagePresenter();

// Loads string `messageId`, formats it printf-style with the arguments into at
// most 511 characters, and either writes it to the debug log (debug mode;
// result 0) or hands it to the presenter (result: the button pressed).
int ShowMessage(OwnerHandle owner, unsigned style, int messageId, ...);

// A message of a result, shown as ShowMessage shows one (the debug log in
// debug mode); returns the button pressed.
int ShowMessage(OwnerHandle owner, unsigned style, const SMessage& message);

// The box style a message of the string table is shown with when it tells
// rather than asks: a warning, but for the plain refusals of OK.
unsigned MessageStyle(int nStringId);

// Shows every message of a result in turn, each in its style.
void ShowResult(OwnerHandle owner, const CResult& result);

// The formatting step alone: the text ShowMessage would show.
std::string FormatMessageText(int messageId, ...);

// Debug mode: sets the debug flag, remembers the log's name and creates (or
// empties) the log with a single line end. Returns 1 when the log could be
// written, 0 otherwise (debug mode is on either way).
int StartDebugLog(const std::string& strLogName);
