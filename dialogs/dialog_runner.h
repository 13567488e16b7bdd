// Runs a modal dialog. The window's commands run their dialogs and message
// boxes through a runner they are given, so that the commands can be tested
// without a user: a test gives one that fills the dialog and closes it as a
// user would.
#pragma once

class QDialog;

class IDialogRunner {
public:
    virtual ~IDialogRunner() = default;
    // Runs the dialog and returns the result it ended with: QDialog::Accepted
    // or Rejected for a dialog, the button's code for a message box.
    virtual int Run(QDialog& dialog) = 0;
};

// The program's runner: the dialog's exec(), modal, for the user.
class CModalDialogRunner : public IDialogRunner {
public:
    int Run(QDialog& dialog) override;
};
