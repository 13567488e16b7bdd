#include "window_questions.h"

// An unattended run answers every question No, whatever the log says.
bool CWindowQuestions::ContinueReadOnly(const SMessage& question)
{
    return m_messages.Show(m_owner, kYesNoQuestion, question) == MessageAnswer::YES && !m_messages.Unattended();
}

bool CWindowQuestions::ChooseOtherFile(const SMessage& question, bool bFixedForm, std::string& path)
{
    const MessageAnswer answer = m_messages.Show(m_owner, kOkCancelQuestion, question);
    return answer == MessageAnswer::OK && !m_messages.Unattended() && m_saveAs.AskFileName(m_owner, bFixedForm, path);
}

void CWindowQuestions::Tell(const SMessage& note)
{
    m_messages.Show(m_owner, kPlainMessage, note);
}
