// What an operation below the front ends reports: success, or the messages
// that say what went wrong, each with the string table's ID, its arguments
// and the place in the source file it concerns. The front ends decide how a
// message is shown (a box, the debug log, a line on standard error, JSON).
#pragma once

#include <string>
#include <utility>
#include <variant>
#include <vector>

// One argument of a message: a number for %d, a text for %s.
using MessageArgument = std::variant<long long, std::string>;

struct SMessage {
    int nStringId = 0;
    std::vector<MessageArgument> args;
    long long nLine = 0;    // the source line it concerns (1-based); 0 for none
    long long nColumn = 0;  // the column in that line (1-based, in bytes); 0 for none

    // Sets the place the message concerns.
    SMessage& At(long long line, long long column = 0)
    {
        nLine = line;
        nColumn = column;
        return *this;
    }
};

inline MessageArgument ToMessageArgument(const std::string& s)
{
    return s;
}
inline MessageArgument ToMessageArgument(std::string&& s)
{
    return std::move(s);
}
inline MessageArgument ToMessageArgument(const char* s)
{
    return std::string(s != nullptr ? s : "");
}
inline MessageArgument ToMessageArgument(long long n)
{
    return n;
}
inline MessageArgument ToMessageArgument(int n)
{
    return static_cast<long long>(n);
}

// A message with its arguments, in the order the string's %d and %s take them.
template <typename... Args>
SMessage Message(int nStringId, Args&&... args)
{
    SMessage message;
    message.nStringId = nStringId;
    (message.args.push_back(ToMessageArgument(std::forward<Args>(args))), ...);
    return message;
}

// The message's text: its string formatted with its arguments (%d, %s, %%),
// cut to 511 characters as the message boxes show it. A missing argument
// reads as 0 or an empty text.
std::string MessageText(const SMessage& message);

class CResult {
public:
    // Success.
    CResult() = default;
    // A failure that one message explains.
    CResult(SMessage message) : m_bFailed(true) { m_messages.push_back(std::move(message)); }  // NOLINT

    // A failure that needs no message of its own: the user declined a
    // question that already said what was wrong.
    static CResult Declined()
    {
        CResult result;
        result.m_bFailed = true;
        return result;
    }

    bool Ok() const { return !m_bFailed; }
    explicit operator bool() const { return Ok(); }

    // The messages, the first one the most specific.
    const std::vector<SMessage>& Messages() const { return m_messages; }
    // The string ID of the first message; 0 on success.
    int StringId() const { return m_messages.empty() ? 0 : m_messages.front().nStringId; }

    // Adds a message that follows the ones already there (a failure then).
    CResult& Then(SMessage message)
    {
        m_bFailed = true;
        m_messages.push_back(std::move(message));
        return *this;
    }

private:
    bool m_bFailed = false;
    std::vector<SMessage> m_messages;
};
