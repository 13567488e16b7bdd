#include "window_questions.h"

#include "flags.h"

namespace {

// An unattended run answers every question No, whatever the log says.
bool Interactive()
{
    return ProcessFlags().m_bDebug == 0;
}

}  // namespace

bool CWindowQuestions::ContinueReadOnly(const SMessage& question)
{
    return ShowMessage(m_owner, kYesNoQuestion, question) == MessageAnswer::YES && Interactive();
}

bool CWindowQuestions::ChooseOtherFile(const SMessage& question, bool bFixedForm, std::string& path)
{
    const MessageAnswer answer = ShowMessage(m_owner, kOkCancelQuestion, question);
    return answer == MessageAnswer::OK && Interactive() && m_saveAs.AskFileName(m_owner, bFixedForm, path);
}

void CWindowQuestions::Tell(const SMessage& note)
{
    ShowMessage(m_owner, kPlainMessage, note);
}
