#include "statement_index.h"

#include "descriptor_list.h"
#include "file_messages.h"
#include "io_format.h"
#include "source_lines.h"
#include "statement_locator.h"
#include "statement_stream.h"

namespace {

// The place that opens a statement, if it holds a list: a FORMAT statement
// at its keyword, a format string that opens on the first line inside its
// quote. (One that opens on a continuation line cannot be named by a
// column.)
bool OpeningPlace(const SSourceStatement& statement, int bFixedForm, SIndexedStatement& entry)
{
    std::size_t nKeyword = 0;
    entry.nLabel = FormatStatementLabel(statement, bFixedForm, &nKeyword);
    if (entry.nLabel != 0) {
        entry.nColumn = static_cast<long long>(nKeyword) + 1;
        return true;
    }
    for (const SIoFormat& format : ReadIoFormats(statement.text)) {
        if (format.kind != IO_FORMAT_CONSTANT || format.nOffset >= statement.nFirstLength)
            continue;
        entry.bString = true;
        entry.nLabel = LineLabel(statement.lines.front(), bFixedForm);
        entry.nColumn = static_cast<long long>(statement.nTextStart + format.nOffset) + 2;
        return true;
    }
    return false;
}

}  // namespace

CResult IndexStatements(const std::string& strFile, SourceForm form, const CDescriptorTable& table,
                        std::vector<SIndexedStatement>& statements)
{
    statements.clear();
    CLineReader reader;
    if (!reader.Open(strFile))
        return CannotOpenFile(strFile, reader.Error());
    const int bFixedForm = IsFixedForm(strFile, form);
    CStatementStream stream(reader, bFixedForm);
    SSourceStatement statement;
    CDescriptorList list(table);
    CStatementSite site;
    while (stream.Next(statement)) {
        SIndexedStatement entry;
        entry.nLine = statement.nLine;
        if (!OpeningPlace(statement, bFixedForm, entry))
            continue;
        if (LocateStatementLines(statement.lines, entry.nLine, entry.nColumn, bFixedForm, list, site, entry.strList) ==
            LOCATE_FOUND)
            statements.push_back(std::move(entry));
    }
    if (reader.Failed())
        return CannotOpenFile(strFile, reader.Error());
    return CResult();
}
