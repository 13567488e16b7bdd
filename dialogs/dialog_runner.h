// Runs a modal dialog. The window's commands run their dialogs through here,
// so that the commands can be tested without a user: a test installs a
// runner that fills the dialog and closes it as a user would.
#pragma once

class QDialog;

class IDialogRunner {
public:
    virtual ~IDialogRunner() = default;
    // Runs the dialog and returns the result it ended with.
    virtual int Run(QDialog& dialog) = 0;
};

// Installs the runner (nullptr: dialogs run modally, as for a user). The
// caller keeps ownership.
void SetDialogRunner(IDialogRunner* pRunner);

// The dialog's exec(), or the runner's answer: QDialog::Accepted or Rejected
// for a dialog, the button's code for a message box.
int RunDialog(QDialog& dialog);
