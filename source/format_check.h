// Each FORMAT of a file checked against the I/O lists that use it: what the
// run time refuses or stops at, what it takes but transfers as bytes or
// bits, items reversion puts in new records, labels that name no FORMAT,
// FORMAT statements no statement uses, READ through a character constant
// edit, formats that cannot be read, and formats given by a variable, which
// are not checked. Findings are values with places (lines and columns from
// 1), for a front end to present; FindingText gives one its words.
#pragma once

#include <string>
#include <vector>

#include "declarations.h"
#include "item_matching.h"
#include "result.h"
#include "source_file.h"

class CDescriptorList;

enum class CheckRule : int {
    REFUSED,             // the run time stops: "Expected REAL for item 2 in formatted transfer, got INTEGER"
    CRASHES,             // the run time stops with an internal error
    ODD,                 // taken, but the item's bytes or bits are transferred
    NO_DATA_EDIT,        // items, and no data edit descriptor to take them
    NEW_RECORDS,         // items that reversion puts in new records
    LABEL_NOT_FORMAT,    // a label that names no FORMAT statement of the program unit
    UNUSED_FORMAT,       // a FORMAT statement no I/O statement uses
    READ_INTO_CONSTANT,  // a READ whose format reaches a character constant edit
    UNREADABLE_FORMAT,   // a format that cannot be read
    NOT_CHECKED,         // a format given by a variable or an expression
    PORTABILITY,         // a form beyond --std=, or one compilers read differently
};

// The rules' ids, as SARIF and JSON name them, by CheckRule.
inline constexpr const char* kCheckRuleIds[] = {
    "refused-item",  "run-time-crash",     "bytes-transferred", "no-data-edit", "new-records", "label-not-format",
    "unused-format", "read-into-constant", "unreadable-format", "not-checked",  "portability",
};

enum class CheckSeverity : int { ERROR, WARNING, NOTE };

struct SCheckPlace {
    long long nLine = 0;  // 0: no place
    long long nColumn = 0;
};

struct SCheckFinding {
    CheckRule rule = CheckRule::ODD;
    CheckSeverity severity = CheckSeverity::WARNING;
    SCheckPlace place;    // the I/O statement's (UNUSED_FORMAT: the FORMAT statement's; UNREADABLE_FORMAT: where
                          // reading fails)
    SCheckPlace field;    // the field concerned, in the FORMAT statement or inside the format string
    SCheckPlace related;  // the FORMAT statement the I/O statement names
    long long nItem = 0;  // the run time's item numbers (from 1), 0 for none
    long long nLastItem = 0;
    int nLabel = 0;
    std::string strExpected;     // REFUSED: the type the edit expects, in the run time's words
    std::string strGot;          // REFUSED: the item's; ODD, CRASHES: the item's type
    std::string strField;        // the field's descriptor
    std::string strItem;         // the item as written; NOT_CHECKED: the format as written
    long long nFailColumn = 0;   // UNREADABLE_FORMAT: where in the format's list reading fails (from 1)
    SMessage portability;        // PORTABILITY: what is not portable (the model's words, with their values)
    long long nFieldIndex = -1;  // the field concerned, counted in its format from 0 (-1: none)
};

// Why a data edit edits no item: the list ran out before the run time
// reached it, or a ":" stopped the transfer before it.
enum class NoItem : int { NONE, LIST_ENDED, COLON };

// One field of a format as one use of it goes through: the items it edits
// (as written, each once), whether reversion used it again, and, for a data
// edit that edits none, why.
struct SFieldItems {
    std::string strField;
    SCheckPlace place;
    std::vector<std::string> items;
    bool bReused = false;
    NoItem noItem = NoItem::NONE;
    std::vector<SItemType> types;  // the types of the elements it edits in the first record it edits
};

// One I/O statement and its format.
struct SFormatUseReport {
    SCheckPlace place;      // the I/O statement
    SCheckPlace format;     // the FORMAT statement, or the format string's opening quote
    SCheckPlace formatEnd;  // the format item's end (the format string's closing quote)
    SCheckPlace item;       // the format item in the I/O statement (a label, a string, a name)
    SCheckPlace itemEnd;    // its last character
    SCheckPlace constant;   // a named constant's: where its value is given ("FMT = '(I5)'"), when in this file
    SCheckPlace constantEnd;
    bool bInput = false;
    bool bFormatStatement = false;  // the format is a FORMAT statement's
    bool bChecked = false;          // its format was found and read
    std::vector<SFieldItems> fields;
    long long nRecords = -1;  // the records one execution transfers; -1 when not known
    std::vector<SCheckFinding> findings;
    std::string strStatement;            // its keyword and control list as written: "WRITE (6, 100)"
    std::vector<SIoItem> items;          // its items, typed, to match them again
    std::vector<std::string> itemTexts;  // the items of its list at the top level, as written
};

struct SCheckOptions {
    int bFixedForm = 1;
    std::string strIncludeFolder;           // where INCLUDE files are looked for ("" for nowhere)
    const ModuleTable* pModules = nullptr;  // the run's modules (ReadModules)
    std::string strStandard;                // --std=: the standard the code is held to ("" for none)
};

struct SFileCheck {
    std::vector<SCheckFinding> findings;  // in the order of their places
    std::vector<SFormatUseReport> uses;   // in the order of the statements
    bool bRead = true;                    // false: the file could not be read
};

// The modules the file defines, added to modules (the first pass of a run).
void ReadModules(CLineReader& reader, int bFixedForm, ModuleTable& modules);

// The modules defined by the Fortran files of a file's own folder (not of
// the folders below it): what a file checked alone may USE.
ModuleTable ModulesBeside(const std::string& strFile, SourceForm form);

// The file checked.
SFileCheck CheckFile(CLineReader& reader, const SCheckOptions& options);

// The use matched again against its format as it now reads (after an
// edit): its fields, records and the findings of the matching. The fields
// keep the places they had by their order.
void MatchAgain(SFormatUseReport& report, const CDescriptorList& list);

// A finding's words (from the string table).
std::string FindingText(const SCheckFinding& finding);

// A severity as a finding line says it: "error", "warning" or "note".
const char* SeverityWord(CheckSeverity severity);

// The Fortran source files among the paths: files as given, folders searched
// (their files in name order) for the suffixes compilers read as Fortran.
// unreadable receives the paths that are neither.
std::vector<std::string> FortranFilesUnder(const std::vector<std::string>& paths, std::vector<std::string>& unreadable);

// A standard named as --std= names it: f77 f90 f95 f2003 f2008 f2018.
bool IsKnownStandard(const std::string& strStandard);
