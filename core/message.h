// The one reporting function and the debug log. Toolkit-free: the window
// installs a presenter that shows a real message box; without one a message
// goes to standard error.
#pragma once

#include <string>
#include <utility>

#include "result.h"

// An opaque owner window handle; only the presenter interprets it.
using OwnerHandle = void*;

// The buttons a message box offers, in the order it shows them.
enum class MessageButtons {
    OK,
    OK_CANCEL,
    YES_NO_CANCEL,
    YES_NO,
};

enum class MessageIcon {
    NONE,
    WARNING,
};

// How a message is shown: its buttons, its icon, and the button Enter
// presses, counted from 0 in the order shown (the first when out of range).
struct SMessageStyle {
    MessageButtons buttons = MessageButtons::OK;
    MessageIcon icon = MessageIcon::NONE;
    int nDefaultButton = 0;
    friend bool operator==(const SMessageStyle&, const SMessageStyle&) = default;
};

// The styles the program's messages are shown in: a plain notice and a
// warning with OK alone, and the questions (those with No have No as their
// default).
constexpr SMessageStyle kPlainMessage{};
constexpr SMessageStyle kWarningMessage{MessageButtons::OK, MessageIcon::WARNING};
constexpr SMessageStyle kOkCancelQuestion{MessageButtons::OK_CANCEL, MessageIcon::WARNING};
constexpr SMessageStyle kYesNoQuestion{MessageButtons::YES_NO, MessageIcon::WARNING, 1};
constexpr SMessageStyle kYesNoCancelQuestion{MessageButtons::YES_NO_CANCEL, MessageIcon::WARNING, 1};

// The button that closed a message box; NONE when nobody was asked (the
// message went to the debug log).
enum class MessageAnswer {
    NONE,
    OK,
    CANCEL,
    YES,
    NO,
};

// Shows one formatted message and returns the button that closed it.
class IMessagePresenter {
public:
    virtual ~IMessagePresenter() = default;
    virtual MessageAnswer Present(OwnerHandle owner, const SMessageStyle& style, const std::string& text,
                                  const std::string& caption) = 0;
};

// Installs the presenter used outside debug mode; nullptr restores the
// default, which writes the text to standard error and gives each question
// the answer that changes nothing: No, or Cancel where there is no No. The caller keeps ownership.
void SetMessagePresenter(IMessagePresenter* pPresenter);
IMessagePresenter* GetMessagePresenter();

// Shows a message's text (MessageText): writes it to the debug log (debug
// mode; result NONE) or hands it to the presenter (result: the button
// pressed).
MessageAnswer ShowMessage(OwnerHandle owner, const SMessageStyle& style, const SMessage& message);

// The same for string `messageId` with its arguments (numbers and texts).
template <typename... Args>
MessageAnswer ShowMessage(OwnerHandle owner, const SMessageStyle& style, int messageId, Args&&... args)
{
    return ShowMessage(owner, style, Message(messageId, std::forward<Args>(args)...));
}

// The box style a message of the string table is shown with when it tells
// rather than asks: a warning, but for the plain refusals of OK.
SMessageStyle MessageStyle(int nStringId);

// Shows every message of a result in turn, each in its style.
void ShowResult(OwnerHandle owner, const CResult& result);

// Debug mode: sets the debug flag, remembers the log's name and creates (or
// empties) the log with a single line end. Returns 1 when the log could be
// written, 0 otherwise (debug mode is on either way).
int StartDebugLog(const std::string& strLogName);
