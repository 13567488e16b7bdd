// A message presenter for tests: records every message and answers as told.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "message.h"

struct SRecordedMessage {
    OwnerHandle owner;
    unsigned style;
    std::string text;
    std::string caption;
};

class CRecordingPresenter : public IMessagePresenter {
public:
    explicit CRecordingPresenter(int nAnswer = IDOK) : m_nAnswer(nAnswer) { SetMessagePresenter(this); }
    ~CRecordingPresenter() override { SetMessagePresenter(nullptr); }
    CRecordingPresenter(const CRecordingPresenter&) = delete;
    CRecordingPresenter& operator=(const CRecordingPresenter&) = delete;

    int Present(OwnerHandle owner, unsigned style, const std::string& text, const std::string& caption) override
    {
        m_messages.push_back({owner, style, text, caption});
        if (m_answers.empty())
            return m_nAnswer;
        const int nAnswer = m_answers.front();
        m_answers.pop_front();
        return nAnswer;
    }

    std::vector<SRecordedMessage> m_messages;
    int m_nAnswer;              // the answer once m_answers has run out
    std::deque<int> m_answers;  // answers for the next messages, in order
};
