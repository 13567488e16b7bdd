// The window's answers to the questions of opening and saving a statement:
// each put in a message box owned by the window (unattended, into the debug
// log, answered No), and Save As for another file.
#pragma once

#include "message.h"
#include "save_as_dialog.h"
#include "statement_questions.h"

class CWindowQuestions : public IStatementQuestions {
public:
    CWindowQuestions(OwnerHandle owner, const CMessages& messages, ISaveAsDialog& saveAs)
        : m_owner(owner), m_messages(messages), m_saveAs(saveAs)
    {
    }

    bool ContinueReadOnly(const SMessage& question) override;
    bool ChooseOtherFile(const SMessage& question, bool bFixedForm, std::string& path) override;
    void Tell(const SMessage& note) override;

private:
    OwnerHandle m_owner;
    const CMessages& m_messages;
    ISaveAsDialog& m_saveAs;
};
