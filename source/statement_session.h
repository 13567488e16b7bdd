// The two things both front ends do with a statement in a file: open it (the
// statement at a line, or a new one on a blank line), and save it (what OK
// does). Each returns a result; the front end shows its messages.
#pragma once

#include <string>

#include "descriptor_list.h"
#include "result.h"
#include "statement_locator.h"
#include "statement_questions.h"
#include "statement_site.h"
#include "statement_writer.h"

// Opens the statement the request names into list and site: the statement
// that starts on the line, or, on a blank line, a new FORMAT statement
// holding NEW_STATEMENT_TEXT (site.m_bNew). The empty list "()" opens with
// no descriptor. A READ, WRITE or PRINT whose format is a statement label
// (WRITE (6, 100) X, PRINT 100, X) opens the FORMAT statement with that
// label in its scoping unit, as if the request had named that line; when
// there is none the statement's own message stands.
CResult OpenStatement(const SStatementRequest& request, CDescriptorList& list, CStatementSite& site,
                      IStatementQuestions& questions);

// What OK does before it decides whether the window may close: takes field
// nCurrentIndex back to its last good state (an edit in progress that never
// became valid is dropped), refuses unbalanced parentheses and groups that
// hold nothing, and writes the statement. Success when the file (or the one
// chosen with questions.ChooseOtherFile, named in pWrittenTo) holds the
// edited statement. nWay chooses how it is written (WriteStatement): with
// WRITE_KEEP_LAYOUT a statement that comes out as it was is not written, and
// that is success too.
CResult CommitStatement(CDescriptorList& list, const CStatementSite& site, int nCurrentIndex,
                        IStatementQuestions& questions, std::string* pWrittenTo = nullptr,
                        WriteWay nWay = WRITE_REBUILD);

// The first group of the list that holds no descriptor ("2(" followed at once
// by its ")"); -1 when there is none.
int FindEmptyGroup(const CDescriptorList& list);
