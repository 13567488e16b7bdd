// A file's FORMAT statements and the READ, WRITE and PRINT statements that
// use a format, each I/O statement with its list's items typed by the
// declarations of its scoping unit (an internal procedure's host's
// declarations included). Read a statement at a time; the file is never
// held whole.
#pragma once

#include <string>
#include <vector>

#include "declarations.h"
#include "io_format.h"
#include "io_items.h"
#include "item_matching.h"
#include "source_file.h"
#include "statement_stream.h"

struct SFormatUse {
    long long nLine = 0;    // the I/O statement's first line
    long long nColumn = 1;  // where it starts
    long long nScope = 0;   // its scoping unit
    bool bInput = false;
    IoFormatKind kind = IO_FORMAT_LABEL;
    int nLabel = 0;              // IO_FORMAT_LABEL
    std::string strFormat;       // IO_FORMAT_CONSTANT: the format, the constant's value
    std::string strList;         // the I/O list as written
    std::vector<SIoItem> items;  // its items, typed
    // Where its parts stand: places.PlaceOf(offset) for an offset into the
    // statement's text (places holds the statement's pieces, not its text).
    SSourceStatement places;
    std::size_t nFormatFrom = 0;  // the format item in the text (a constant: its quotes included)
    std::size_t nFormatTo = 0;
    std::string strFormatItem;           // the format item as written
    std::size_t nListFrom = 0;           // the list in the text
    std::vector<SIoListItem> listItems;  // the list's items as written (offsets into strList)
    bool bFormatConstant = false;        // IO_FORMAT_OTHER: a named character constant (strFormat its value)
    SValuePlace constant;                // where that constant's value is given, when in this file
    std::string strStatement;            // its keyword and control list as written: "WRITE (6, 100)"
};

struct SFormatStatement {
    int nLabel = 0;
    long long nLine = 0;
    long long nScope = 0;
    std::string strList;  // "(...)" as joined from its lines
    long long nColumn = 1;
    SSourceStatement places;    // as SFormatUse's
    std::size_t nListFrom = 0;  // where strList starts in the statement's text
};

struct SFileFormats {
    std::vector<SFormatStatement> formats;
    std::vector<SFormatUse> uses;
};

// What a file may see beyond itself: the modules read before (nullptr:
// none; a module not among them brings unknown names), the folder where
// its INCLUDE files are looked for ("" for none: an INCLUDE brings unknown
// names), and a table that receives the modules it defines.
struct SFormatContext {
    const ModuleTable* pModules = nullptr;
    std::string strIncludeFolder;
    ModuleTable* pDefined = nullptr;
    bool bOtherFormats = false;  // uses whose format is a name or an expression too
};

SFileFormats ReadFileFormats(CLineReader& reader, int bFixedForm, const SFormatContext& context = {});
