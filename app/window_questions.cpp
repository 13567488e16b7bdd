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
    const int nAnswer = ShowMessage(m_owner, MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2, question);
    return nAnswer == IDYES && Interactive();
}

bool CWindowQuestions::ChooseOtherFile(const SMessage& question, bool bFixedForm, std::string& path)
{
    const int nAnswer = ShowMessage(m_owner, MB_OKCANCEL | MB_ICONEXCLAMATION, question);
    return nAnswer == IDOK && Interactive() && m_saveAs.AskFileName(m_owner, bFixedForm, path);
}

void CWindowQuestions::Tell(const SMessage& note)
{
    ShowMessage(m_owner, MB_OK, note);
}
