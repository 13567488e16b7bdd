#include "statement_index.h"

#include <span>

#include "descriptor_list.h"
#include "file_messages.h"
#include "io_format.h"
#include "source_lines.h"
#include "statement_locator.h"
#include "statement_stream.h"

namespace {

// The place that opens a statement, if it holds a list: a FORMAT statement
// at its keyword, a format string inside its opening quote, on whichever of
// the statement's lines the quote stands (the locator reads a statement
// from any of its lines on).
bool OpeningPlace(const SSourceStatement& statement, int bFixedForm, SIndexedStatement& entry)
{
    std::size_t nKeyword = 0;
    entry.nLabel = FormatStatementLabel(statement, bFixedForm, &nKeyword);
    if (entry.nLabel != 0) {
        entry.nColumn = static_cast<long long>(nKeyword) + 1;
        return true;
    }
    for (const SIoFormat& format : ReadIoFormats(statement.text)) {
        if (format.kind != IO_FORMAT_CONSTANT)
            continue;
        entry.bString = true;
        entry.nLabel = LineLabel(statement.lines.front(), bFixedForm);
        statement.PlaceOf(format.nOffset, entry.nLine, entry.nColumn);
        ++entry.nColumn;  // inside the quote
        return true;
    }
    return false;
}

}  // namespace

bool IndexStatements(CLineReader& reader, int bFixedForm, const CDescriptorTable& table,
                     std::vector<SIndexedStatement>& statements)
{
    statements.clear();
    CStatementStream stream(reader, bFixedForm);
    SSourceStatement statement;
    CDescriptorList list(table);
    CStatementSite site;
    while (stream.Next(statement)) {
        SIndexedStatement entry;
        entry.nLine = statement.nLine;
        entry.nLastLine = statement.nLine + static_cast<long long>(statement.lines.size()) - 1;
        if (!OpeningPlace(statement, bFixedForm, entry))
            continue;
        // The locator reads on from the line that opens it.
        const auto lines = std::span<const std::string>(statement.lines)
                               .subspan(static_cast<std::size_t>(entry.nLine - statement.nLine));
        if (LocateStatementLines(lines, entry.nLine, entry.nColumn, bFixedForm, list, site, entry.strList) ==
            LOCATE_FOUND)
            statements.push_back(std::move(entry));
    }
    return !reader.Failed();
}

CResult IndexStatements(const std::string& strFile, SourceForm form, const CDescriptorTable& table,
                        std::vector<SIndexedStatement>& statements)
{
    statements.clear();
    CLineReader reader;
    if (!reader.Open(strFile) || !IndexStatements(reader, IsFixedForm(strFile, form), table, statements))
        return CannotOpenFile(strFile, reader.Error());
    return CResult();
}
