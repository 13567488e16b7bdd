// The Save As dialog the writer offers when the source file cannot be
// replaced: a QFileDialog with the filter of string 44, the default suffix
// "for" and the overwrite prompt on.
#pragma once

#include <QStringList>

#include "statement_writer.h"

// A file-type filter in the pipe form "Text (*.x) | *.x | ... ||" turned into
// Qt's name filters ("Text (*.x)"). The pattern "*.*" means every file, as
// it does where the pipe form comes from, and becomes "*".
QStringList QtNameFilters(const char* pszFilter);

class CSaveAsDialog : public ISaveAsDialog {
public:
    bool AskFileName(OwnerHandle owner, std::string& path) override;
};
