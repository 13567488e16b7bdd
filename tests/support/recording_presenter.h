// A message presenter for tests: records every message and answers as told.
#pragma once

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
    explicit CRecordingPresenter(MessageAnswer answer = MessageAnswer::OK) : m_answer(answer)
    {
        SetMessagePresenter(this);
    }
    ~CRecordingPresenter() override { SetMessagePresenter(nullptr); }
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
