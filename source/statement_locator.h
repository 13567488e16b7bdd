// Finding the statement in a Fortran source file: the FORMAT statement or
// the format string of an I/O statement that starts on a given line, followed
// over its continuation lines in fixed or free source form.
#pragma once

#include <string>
#include <vector>

#include "descriptor_list.h"
#include "source_file.h"

enum LocateResult : int {
    LOCATE_FAILED = 0,   // a message has been shown
    LOCATE_BLANK = 1,    // the line is blank: no statement there
    LOCATE_NO_LIST = 2,  // no valid descriptor list at this place; a message has been shown
    LOCATE_FOUND = 3,    // split into descriptors, every statement field set
};

// Locates the statement starting on `line` (1-based). `column` is the 1-based
// cursor column that bounds the search for a character constant.
// `interactive` is 0 in debug mode (questions then take their negative
// answer). Messages are owned by list.m_hOwnerWnd. `form` overrides the
// source form that the file's suffix gives.
int LocateStatement(CDescriptorList& list, long long line, long long column, const std::string& fileName,
                    int interactive, SourceForm form = SOURCE_FORM_BY_SUFFIX);

// True when the statement's lines, as the writer builds them, read back to
// the list's statement: the same descriptor texts, head, tail, blanks after
// the parenthesis and delimiter.
bool StatementReadsBack(const CDescriptorList& list, const std::vector<std::string>& statementLines);

// The one descriptor a new statement starts with.
inline constexpr const char* NEW_STATEMENT_TEXT = "'First Descriptor'";

// Starts a new FORMAT statement holding the one descriptor firstText at the
// blank line `line`, labelled with the smallest multiple of 10 from 100 up
// that no statement of the file uses. 0 when that descriptor cannot be
// inserted, or (after a message) when the file cannot be read or has no such
// label free.
int NewStatement(CDescriptorList& list, long long line, const std::string& fileName, const char* firstText,
                 SourceForm form = SOURCE_FORM_BY_SUFFIX);

// The label that starts the statement's head (the first word, when it is
// digits); empty when it has none.
std::string StatementLabel(const CDescriptorList& list);

// The fixed-form image of a raw line: tabs in the label and continuation
// field expanded, at most 72 characters.
std::string ExpandFixedLine(const std::string& source);

// What a fixed-form line holds beyond column 72 (a sequence number, or
// nothing), as it stands in the line.
std::string FixedSequenceField(const std::string& source);

// Takes the content of a character constant out of text, in place: doubled
// quotes become single, and after the closing quote the rest of the text is
// kept behind the content. With stopAtAmpersand an "&" followed only by white
// space ends the text (and is dropped). 1 when the closing quote was found.
int Unquote(std::string& text, char quote, bool stopAtAmpersand);
