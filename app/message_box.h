// The window's message presenter: a modal QMessageBox whose icon, buttons
// and default button follow the message-box style bits, and whose answer is
// mapped back to IDOK, IDCANCEL, IDYES or IDNO.
#pragma once

#include <QMessageBox>
#include <QString>

#include "message.h"
#include "owner_window.h"

// Gives the box its caption, plain text, icon, buttons and default button.
void ConfigureMessageBox(QMessageBox& box, unsigned style, const QString& strText, const QString& strCaption);

// The answer a button stands for; IDCANCEL for anything else.
int AnswerOf(QMessageBox::StandardButton button);

// The answers to the question before discarding a change.
enum class ChangesAnswer {
    SAVE,          // save as OK does
    DISCARD,       // close without saving
    KEEP_EDITING,  // back to the statement
};

// Asks whether to discard the changes to the statement, in a box of the
// presenter's style with the standard buttons Save, Discard and Cancel (the
// last captioned Keep editing); Keep editing is the default and the answer
// to Escape and to closing the box. Run through RunDialog, so that tests
// answer it.
ChangesAnswer AskDiscardChanges(QWidget* pOwner);

class CMessageBoxPresenter : public IMessagePresenter {
public:
    int Present(OwnerHandle owner, unsigned style, const std::string& text, const std::string& caption) override;
};
