// Message presenters for tests: one records every message and answers as
// told; the other writes to standard error.
#pragma once

#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "message.h"

struct SRecordedMessage {
    OwnerHandle owner;
    SMessageStyle style;
    std::string text;
    std::string caption;
};

class CRecordingPresenter : public IMessagePresenter {
public:
    explicit CRecordingPresenter(MessageAnswer answer = MessageAnswer::OK) : m_answer(answer) {}
    CRecordingPresenter(const CRecordingPresenter&) = delete;
    CRecordingPresenter& operator=(const CRecordingPresenter&) = delete;

    MessageAnswer Present(OwnerHandle owner, const SMessageStyle& style, const std::string& text,
                          const std::string& caption) override
    {
        m_messages.push_back({owner, style, text, caption});
        if (m_answers.empty())
            return m_answer;
        const MessageAnswer answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }

    std::vector<SRecordedMessage> m_messages;
    MessageAnswer m_answer;               // the answer once m_answers has run out
    std::deque<MessageAnswer> m_answers;  // answers for the next messages, in order
};

// Writes each text to standard error and gives each question the answer
// that changes nothing: No, or Cancel where there is no No.
class CStandardErrorPresenter : public IMessagePresenter {
public:
    MessageAnswer Present(OwnerHandle, const SMessageStyle& style, const std::string& text, const std::string&) override
    {
        std::fprintf(stderr, "%s\n", text.c_str());
        switch (style.buttons) {
        case MessageButtons::OK: return MessageAnswer::OK;
        case MessageButtons::YES_NO: return MessageAnswer::NO;
        default: return MessageAnswer::CANCEL;
        }
    }
};
