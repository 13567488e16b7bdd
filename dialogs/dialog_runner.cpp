#include "dialog_runner.h"

#include <QDialog>

namespace {

IDialogRunner* g_pRunner = nullptr;

}  // namespace

void SetDialogRunner(IDialogRunner* pRunner)
{
    g_pRunner = pRunner;
}

int RunDialog(QDialog& dialog)
{
    return g_pRunner != nullptr ? g_pRunner->Run(dialog) : dialog.exec();
}
