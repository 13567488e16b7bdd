#include "dialog_runner.h"

#include <QDialog>

int CModalDialogRunner::Run(QDialog& dialog)
{
    return dialog.exec();
}
