// The OK command's save: the statement checked and written back.
#pragma once

#include <string>

#include "descriptor_list.h"
#include "message.h"
#include "statement_questions.h"
#include "statement_site.h"
#include "statement_writer.h"

// Takes field nCurrentIndex back to its last good state (an edit in progress
// that never became valid is dropped), refuses unbalanced parentheses and
// empty groups, and writes the statement into its file the way nWay says. Returns 1 when the
// window may close: the statement was written, or the write failed and the
// user chose to exit anyway, or the run is not interactive; 0 when the
// window must stay open. bWritten is 1 only when the file that was opened
// now holds the statement; when Save As put it into another file,
// strSavedElsewhere names that file. Messages go among `messages`, owned
// by `owner`.
int SaveStatement(CDescriptorList& list, const CStatementSite& site, int nCurrentIndex, const CMessages& messages,
                  OwnerHandle owner, IStatementQuestions& questions, WriteWay nWay, int& bWritten,
                  std::string& strSavedElsewhere);
