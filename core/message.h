// The run's messages and the debug log. Toolkit-free: the window gives the
// messages a presenter that shows a real message box.
#pragma once

#include <string>
#include <utility>

#include "flags.h"
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

// The run's messages: each one is written to the debug log in debug mode
// (the answer NONE) or else handed to the presenter (the answer: the button
// pressed); with the echo on it is also one line on standard error. Reads
// the run's flags as they stand at each message. Both are the owner's, who
// keeps them alive while this lives.
class CMessages {
public:
    CMessages(const CProcessFlags& flags, IMessagePresenter& presenter) : m_flags(flags), m_presenter(presenter) {}

    // Shows a message's text (MessageText).
    MessageAnswer Show(OwnerHandle owner, const SMessageStyle& style, const SMessage& message) const;

    // The same for string `messageId` with its arguments (numbers and texts).
    template <typename... Args>
    MessageAnswer Show(OwnerHandle owner, const SMessageStyle& style, int messageId, Args&&... args) const
    {
        return Show(owner, style, Message(messageId, std::forward<Args>(args)...));
    }

    // Shows every message of a result in turn, each in its style (MessageStyle).
    void ShowResult(OwnerHandle owner, const CResult& result) const;

    // Debug mode: nobody is asked, OK is pressed by itself and every
    // question is answered No, whatever the log says.
    bool Unattended() const { return m_flags.m_bDebug != 0; }

    // Debug mode: the log holds the text (what the window shows besides
    // its messages), until a message takes its place. Nothing otherwise.
    void Log(const std::string& text) const;

private:
    const CProcessFlags& m_flags;
    IMessagePresenter& m_presenter;
};

// The box style a message of the string table is shown with when it tells
// rather than asks: a warning, but for the plain refusals of OK.
SMessageStyle MessageStyle(int nStringId);

// Debug mode: sets the debug flag, remembers the log's name and creates (or
// empties) the log with a single line end. Returns 1 when the log could be
// written, 0 otherwise (debug mode is on either way).
int StartDebugLog(CProcessFlags& flags, const std::string& strLogName);
