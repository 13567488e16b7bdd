// The statement opened as the I/O statements that use it see it: which
// statements they are (a FORMAT statement's, first by line; a format
// string's own), and for the one in view, what each field edits, whether
// reversion uses it again, whether it edits no item and the finding on it,
// with the status line's words. The window and quillmark-text --items both
// read it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "format_check.h"
#include "source_file.h"
#include "statement_site.h"

class CDescriptorList;

// One field as one use goes through it.
struct SFieldUse {
    std::vector<std::string> items;  // the items it edits as written, each once
    std::string strItems;            // the same, ", " between
    std::string strShown;            // strItems shortened with "…" when long
    bool bReused = false;            // reversion uses it again, for the items of later records
    NoItem noItem = NoItem::NONE;    // a data edit that edits no item, and why
    std::string strFinding;          // the finding on it, as --items words it ("" for none)
    CheckSeverity severity = CheckSeverity::NOTE;
    std::string strSample;      // the sample it shows for this statement's items (its own, repeated, when not typed)
    bool bTypedSample = false;  // strSample is laid out by the items' types, not the field's own
};

// One I/O statement that uses the statement opened.
struct SStatementUse {
    SFormatUseReport report;
    std::vector<SFieldUse> fields;
    std::string strStatus;  // "WRITE (6, 100) at line 214: 3 items, 1 record"
};

struct SFormatItems {
    std::vector<SStatementUse> uses;  // first by line
    std::string strNone;              // no statement uses it: the words that say so ("" when some do)
};

// The characters a field's items show before they are shortened.
inline constexpr std::size_t kShownItemLength = 16;

// The uses of the format that stands at LINE COLUMN of a checked file: a
// FORMAT statement on any of its lines, a format string between its quotes.
SFormatItems FormatItemsAt(const SFileCheck& check, long long nLine, long long nColumn);

// The same for a file read alone, as --items and the window read it: with
// the modules of the files beside it and its INCLUDE files from its folder,
// held to strStandard ("" for none). bRead false when it cannot be read.
SFormatItems FormatItemsInFile(const std::string& strFile, SourceForm form, const std::string& strStandard,
                               long long nLine, long long nColumn, bool* pRead = nullptr);

// The uses of the statement the locator opened in a file (the window and
// --items open it alike, wherever on the statement the cursor stood): read
// at its first descriptor, or its first line. None for a new statement.
SFormatItems FormatItemsOfStatement(const CStatementSite& site, SourceForm form, const std::string& strStandard,
                                    bool* pRead = nullptr);

// The file checked with the modules given, its INCLUDE files from its folder.
SFileCheck CheckFileWith(const std::string& strFile, SourceForm form, const std::string& strStandard,
                         const ModuleTable& modules);

// One use in words: its fields and its status line.
SStatementUse DescribeUse(const SFormatUseReport& report);

// The use matched again against its format as it now reads, after an edit,
// its fields' samples from the list's.
void MatchUseAgain(SStatementUse& use, const CDescriptorList& list);

// Each field's sample for the use's items (TypedSamples), from the list its
// format reads as.
void SampleUse(SStatementUse& use, const CDescriptorList& list);

// A field's use in words, for its tooltip, the status line and the screen
// reader: the items it edits (or that it edits none, and why), whether
// reversion uses it again, the finding on it; "" for a field that edits
// nothing and has nothing said of it.
std::string FieldUseText(const SFieldUse& field);

// Each use as --items writes it: the statement and its records, a line per
// field (its index, text and items, used again, why it edits none), and
// its findings as FILE:LINE:COLUMN: severity: words.
std::string UsesText(const std::string& strFile, const SFormatItems& found);

// Why a field edits no item, in words ("" for NONE).
std::string NoItemText(NoItem why);

// A text cut to nMax characters (UTF-8), ending in "…" when it was cut.
std::string ShortenedText(const std::string& text, std::size_t nMax);
