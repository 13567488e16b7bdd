// A message presenter for tests: records every message and answers as told.
#pragma once

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
        return m_nAnswer;
    }

    std::vector<SRecordedMessage> m_messages;
    int m_nAnswer;
};
