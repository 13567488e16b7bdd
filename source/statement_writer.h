// Writing the edited statement back: the statement rebuilt from its head,
// descriptor texts and tail, broken into lines with the continuation marks of
// its source form, and the whole file replaced safely through a temporary
// file beside it.
#pragma once

#include <string>

#include "descriptor_list.h"
#include "message.h"

// The Save As dialog the writer offers when the file cannot be replaced.
class ISaveAsDialog {
public:
    virtual ~ISaveAsDialog() = default;
    // Asks for a file name for a statement of the given source form; path
    // comes in as the name to propose (the file that could not be written)
    // and goes out as the one chosen. False when cancelled.
    virtual bool AskFileName(OwnerHandle owner, bool bFixedForm, std::string& path) = 0;
};

// Installs the dialog (nullptr: none, so every Save As counts as cancelled).
// The caller keeps ownership.
void SetSaveAsDialog(ISaveAsDialog* pDialog);

// Writes the list's statement into its file in place of the old one. 1 when
// the file (or the file chosen in Save As) now holds the edited statement; 0
// otherwise, after a message, with the file untouched. `interactive` is 0 in
// debug mode. pWrittenTo, when given, receives the name of the file written.
int WriteStatement(const CDescriptorList& list, int interactive, std::string* pWrittenTo = nullptr);

// What OK does before it decides whether the window may close: takes field
// nCurrentIndex back to its last good state (an edit in progress that never
// became valid is dropped), refuses unbalanced parentheses (string 23, owned
// by `owner`), and writes the statement. 1 when the file (or the one chosen
// in Save As, named in pWrittenTo) holds the edited statement.
int CommitStatement(CDescriptorList& list, int nCurrentIndex, OwnerHandle owner, int interactive,
                    std::string* pWrittenTo = nullptr);

// True when the two names are the same file (an existing one).
bool IsSameFile(const std::string& strFirst, const std::string& strSecond);

// The statement's lines as they will be written, each without its line end,
// for the form the list's statement fields say.
std::vector<std::string> BuildStatementLines(const CDescriptorList& list);

// The descriptor text with every quote character doubled.
std::string QuoteText(const std::string& text, char quote);
