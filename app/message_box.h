// The window's message presenter: a modal QMessageBox whose icon, buttons
// and default button follow the message's style, and whose answer is the
// button that closed it.
#pragma once

#include <QMessageBox>
#include <QString>

#include "message.h"
#include "owner_window.h"

class IDialogRunner;

// Gives the box its caption, plain text, icon, buttons and default button.
void ConfigureMessageBox(QMessageBox& box, const SMessageStyle& style, const QString& strText,
                         const QString& strCaption);

// The answer a button stands for; CANCEL for anything else.
MessageAnswer AnswerOf(QMessageBox::StandardButton button);

// The answers to the question before discarding a change.
enum class ChangesAnswer {
    SAVE,          // save as OK does
    DISCARD,       // close without saving
    KEEP_EDITING,  // back to the statement
};

// Asks whether to discard the changes to the statement, in a box of the
// presenter's style with the standard buttons Save, Discard and Cancel (the
// last captioned Keep editing); Keep editing is the default and the answer
// to Escape and to closing the box. Run by the dialogs' runner, so that
// tests answer it.
ChangesAnswer AskDiscardChanges(QWidget* pOwner, IDialogRunner& dialogs);

class CMessageBoxPresenter : public IMessagePresenter {
public:
    MessageAnswer Present(OwnerHandle owner, const SMessageStyle& style, const std::string& text,
                          const std::string& caption) override;
};
