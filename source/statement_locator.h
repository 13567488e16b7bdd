// Finding the statement in a Fortran source file: the FORMAT statement or
// the format string of an I/O statement that starts on a given line, followed
// over its continuation lines in fixed or free source form, read with the
// same scanner that reads the descriptor list.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "descriptor_list.h"
#include "result.h"
#include "source_file.h"
#include "statement_questions.h"
#include "statement_site.h"

enum LocateResult : int {
    LOCATE_FAILED = 0,   // the result says why
    LOCATE_BLANK = 1,    // the line is blank: no statement there
    LOCATE_NO_LIST = 2,  // no valid descriptor list at this place; the result says why
    LOCATE_FOUND = 3,    // split into descriptors, the site filled
};

// Which statement to open: the file, the 1-based line it starts on, the
// 1-based cursor column that picks a format string (the constant that opens
// last at or before it), and the source form when not the suffix's.
struct SStatementRequest {
    std::string strFile;
    long long nLine = 0;
    long long nColumn = 0;
    SourceForm form = SOURCE_FORM_BY_SUFFIX;
    // The line as the command line gave it, for the messages that name it
    // (beyond the range of nLine); empty: nLine says it.
    std::string strLineDigits = {};
};

// Locates the statement the request names: fills the list with its
// descriptors and the site with where it stands. A read-only file is opened
// only when questions.ContinueReadOnly agrees. result receives what went
// wrong (nothing for LOCATE_FOUND and LOCATE_BLANK).
LocateResult LocateStatement(const SStatementRequest& request, CDescriptorList& list, CStatementSite& site,
                             IStatementQuestions& questions, CResult& result);

// Locates the statement whose lines (as they stand in the file, the first
// one being line nLine) are given, with the locator's own reading: what
// LocateStatement gives for (nLine, nColumn) when the file holds these lines
// there. strListText receives the list as it reads: the FORMAT statement's
// list or the format string's characters, comments and line ends left out,
// each run of blanks one blank.
LocateResult LocateStatementLines(std::span<const std::string> lines, long long nLine, long long nColumn,
                                  int bFixedForm, CDescriptorList& list, CStatementSite& site,
                                  std::string& strListText);

// True when the statement's lines, as the writer builds them, read back to
// the list's statement: the same descriptor texts, head, tail, blanks after
// the parenthesis and delimiter.
bool StatementReadsBack(const CDescriptorList& list, const CStatementSite& site,
                        const std::vector<std::string>& statementLines);

// The one descriptor a new statement starts with.
inline constexpr const char* NEW_STATEMENT_TEXT = "'First Descriptor'";

// Starts a new FORMAT statement holding the one descriptor firstText at the
// blank line `line`, labelled with the smallest multiple of 10 from 100 up
// that no statement of the file uses. Fails when that descriptor cannot be
// inserted, when the file cannot be read or has no such label free.
CResult NewStatement(CDescriptorList& list, CStatementSite& site, long long line, const std::string& fileName,
                     const char* firstText, SourceForm form = SOURCE_FORM_BY_SUFFIX);

// What a fixed-form line holds beyond column 72 (a sequence number, or
// nothing), as it stands in the line.
std::string FixedSequenceField(const std::string& source);
