// The statements of a source file that can be opened: each FORMAT statement
// and each format string of a READ, WRITE or PRINT (a character constant as
// its format), with the line and column that open it, its label and its
// list. The file is read once, a statement at a time.
#pragma once

#include <string>
#include <vector>

#include "descriptor_table.h"
#include "result.h"
#include "source_file.h"

struct SIndexedStatement {
    long long nLine = 0;      // the line it starts on
    long long nColumn = 0;    // the column that opens it (a format string: inside its opening quote)
    int nLabel = 0;           // the statement's label; 0 when it has none
    bool bString = false;     // a format string, not a FORMAT statement
    std::string strList;      // its descriptor list as it reads, on one line
    long long nLastLine = 0;  // the statement's last line
};

// Fills statements with the file's statements that LocateStatement opens at
// their line and column, in the order of the file. Fails (with the message)
// only when the file cannot be read.
CResult IndexStatements(const std::string& strFile, SourceForm form, const CDescriptorTable& table,
                        std::vector<SIndexedStatement>& statements);
// The same over an opened reader (a file or a text held in memory); false
// when reading failed.
bool IndexStatements(CLineReader& reader, int bFixedForm, const CDescriptorTable& table,
                     std::vector<SIndexedStatement>& statements);
