// The questions that opening or saving a statement asks the user, which only
// a front end can put: the window in a message box (or, unattended, its
// debug log, which answers No), quillmark-text on standard error. The
// question's text is a message of the string table.
#pragma once

#include <string>

#include "result.h"

class IStatementQuestions {
public:
    virtual ~IStatementQuestions() = default;

    // The file is read-only (string 24): true to open it all the same, its
    // changes to be saved elsewhere.
    virtual bool ContinueReadOnly(const SMessage& question) = 0;

    // The file cannot be written (string 25): true with path set to another
    // file to save into (Save As, listing the files of the source form);
    // path comes in as the name to propose.
    virtual bool ChooseOtherFile(const SMessage& question, bool bFixedForm, std::string& path) = 0;
    // Something the user must know that asks nothing (a file put back as it
    // was before an interrupted save).
    virtual void Tell(const SMessage& note) = 0;
};

// Answers every question No, as an unattended run does.
class CNoQuestions : public IStatementQuestions {
public:
    bool ContinueReadOnly(const SMessage&) override { return false; }
    bool ChooseOtherFile(const SMessage&, bool, std::string&) override { return false; }
    void Tell(const SMessage&) override {}  // nobody to tell
};
