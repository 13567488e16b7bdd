// Writing the edited statement back: the statement rebuilt from its head,
// descriptor texts and tail, broken into lines with the continuation marks of
// its source form, and the whole file replaced safely through a temporary
// file beside it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "descriptor_list.h"
#include "result.h"
#include "statement_questions.h"
#include "statement_site.h"

// How the statement is written back: rebuilt whole with the writer's own
// layout (the default), or in the file's own layout, where only what the
// edits changed is written anew (kept_layout.h). What cannot be kept that
// way is rebuilt.
enum WriteWay { WRITE_REBUILD, WRITE_KEEP_LAYOUT };

// Writes the list's statement into its file in place of the old one. Success
// when the file (or the file chosen with questions.ChooseOtherFile) now holds
// the edited statement; otherwise the file is untouched and the result says
// why. pWrittenTo, when given, receives the name of the file written. With
// WRITE_KEEP_LAYOUT a statement whose lines would come out as they are is not
// written at all: the file keeps its bytes and its modification time, and the
// result is success with pWrittenTo naming the file.
CResult WriteStatement(const CDescriptorList& list, const CStatementSite& site, IStatementQuestions& questions,
                       std::string* pWrittenTo = nullptr, WriteWay nWay = WRITE_REBUILD);

// How long a statement line may grow: 72 columns in fixed form; 132
// characters in free form, or as long as the statement's longest line was.
std::size_t StatementLineLimit(const CStatementSite& site);

// How the writer continues a statement on a new line in each source form:
// what the continuation line starts with, and what ends the line continued.
struct SContinuationMarks {
    const char* pszContinuation;
    const char* pszLineEnd;
};
SContinuationMarks ContinuationMarks(bool bFixedForm);

// True when the two names are the same file (an existing one).
bool IsSameFile(const std::string& strFirst, const std::string& strSecond);

// The statement's lines as they will be written, each without its line end.
// *pCutsCharacter, when given, tells whether a line break had to cut a UTF-8
// character in two (such lines are not written).
std::vector<std::string> BuildStatementLines(const CDescriptorList& list, const CStatementSite& site,
                                             bool* pCutsCharacter = nullptr);

// The descriptor text with every quote character doubled.
std::string QuoteText(const std::string& text, char quote);
