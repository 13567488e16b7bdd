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

class CMessageBoxPresenter : public IMessagePresenter {
public:
    int Present(OwnerHandle owner, unsigned style, const std::string& text, const std::string& caption) override;
};
