// Writing the edited statement back: the statement rebuilt from its head,
// descriptor texts and tail, broken into lines with the continuation marks of
// its source form, and the whole file replaced safely through a temporary
// file beside it.
#pragma once

#include <string>
#include <vector>

#include "descriptor_list.h"
#include "result.h"
#include "statement_questions.h"
#include "statement_site.h"

// How OK writes the statement: rebuilt from its texts and laid out afresh,
// or with its lines kept and only the texts of the changed fields replaced.
enum WriteWay { WRITE_REBUILD, WRITE_KEEP_LAYOUT };

// Writes the list's statement into its file in place of the old one. Success
// when the file (or the file chosen with questions.ChooseOtherFile) now holds
// the edited statement; otherwise the file is untouched and the result says
// why. pWrittenTo, when given, receives the name of the file written.
CResult WriteStatement(const CDescriptorList& list, const CStatementSite& site, IStatementQuestions& questions,
                       std::string* pWrittenTo = nullptr);

// True when the two names are the same file (an existing one).
bool IsSameFile(const std::string& strFirst, const std::string& strSecond);

// The statement's lines as they will be written, each without its line end.
// *pCutsCharacter, when given, tells whether a line break had to cut a UTF-8
// character in two (such lines are not written).
std::vector<std::string> BuildStatementLines(const CDescriptorList& list, const CStatementSite& site,
                                             bool* pCutsCharacter = nullptr);

// The descriptor text with every quote character doubled.
std::string QuoteText(const std::string& text, char quote);
