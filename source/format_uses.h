// A file's FORMAT statements and the READ, WRITE and PRINT statements that
// use a format, each I/O statement with its list's items typed by the
// declarations of its scoping unit (an internal procedure's host's
// declarations included). Read a statement at a time; the file is never
// held whole.
#pragma once

#include <string>
#include <vector>

#include "io_format.h"
#include "item_matching.h"
#include "source_file.h"

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
};

struct SFormatStatement {
    int nLabel = 0;
    long long nLine = 0;
    long long nScope = 0;
    std::string strList;  // "(...)" as joined from its lines
};

struct SFileFormats {
    std::vector<SFormatStatement> formats;
    std::vector<SFormatUse> uses;
};

SFileFormats ReadFileFormats(CLineReader& reader, int bFixedForm);
