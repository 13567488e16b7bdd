// The Save As dialog the writer offers when the source file cannot be
// replaced: a QFileDialog that proposes the file's own name, shows the files
// of the statement's source form first, keeps the file's own suffix as the
// default one and asks before overwriting.
#pragma once

#include <QStringList>
#include <string>

#include "message.h"

class IDialogRunner;
class QFileDialog;

// A file-type filter in the pipe form "Text (*.x) | *.x | ... ||" turned into
// Qt's name filters ("Text (*.x)"). The pattern "*.*" means every file, as
// it does where the pipe form comes from, and becomes "*".
QStringList QtNameFilters(const char* pszFilter);

// Sets the dialog up for a statement of the given form whose file was
// strProposed.
void ConfigureSaveAsDialog(QFileDialog& dialog, bool bFixedForm, const std::string& strProposed);

// Asks for a file name for a statement of the given source form; path comes
// in as the name to propose (the file that could not be written) and goes
// out as the one chosen. False when cancelled.
class ISaveAsDialog {
public:
    virtual ~ISaveAsDialog() = default;
    virtual bool AskFileName(OwnerHandle owner, bool bFixedForm, std::string& path) = 0;
};

// The program's: a QFileDialog run by the runner it is given, which the
// caller keeps alive while this lives.
class CSaveAsDialog : public ISaveAsDialog {
public:
    explicit CSaveAsDialog(IDialogRunner& dialogs) : m_dialogs(dialogs) {}
    bool AskFileName(OwnerHandle owner, bool bFixedForm, std::string& path) override;

private:
    IDialogRunner& m_dialogs;
};
