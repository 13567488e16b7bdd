#include "format_placement.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fortran_tokens.h"
#include "io_format.h"
#include "program_units.h"
#include "statement_stream.h"

bool FormatMayStandAt(CLineReader& reader, long long nLine, int bFixedForm)
{
    CUnitStack units;
    CStatementStream stream(reader, bFixedForm);
    SSourceStatement statement;
    bool bAfter = false;  // a statement after the line has been read
    while (!bAfter && stream.Next(statement)) {
        bAfter = statement.nLine > nLine;
        if (statement.nLine < nLine)
            for (const std::string& text : StatementsOf(statement.text))
                units.Statement(text);
    }
    if (!units.Empty())
        return units.AllowsFormat();
    // Outside every unit: the FORMAT opens a main program of its own, which
    // holds only if statements follow that are not another unit.
    for (; bAfter; bAfter = stream.Next(statement))
        for (const std::string& text : StatementsOf(statement.text))
            if (!text.empty())
                return !OpensProgramUnit(text);
    return false;
}

namespace {

// The file an INCLUDE line names ("INCLUDE 'file'"); empty for another
// statement.
std::string IncludedName(const std::string& text)
{
    const std::vector<SFortranToken> tokens = FortranTokens(text);
    if (tokens.size() < 2 || tokens[0].strText != "include" || tokens[1].kind != FortranToken::CHARACTER ||
        tokens[0].nOffset != text.find_first_not_of(" \t"))
        return std::string();
    const std::size_t nQuote = tokens[1].nOffset;
    const SCharacterRest name = ReadCharacterRest(std::string_view(text).substr(nQuote + 1), text[nQuote]);
    return name.bClosed ? name.strValue : std::string();
}

}  // namespace

long long FindFormatLabelIn(CLineReader& reader, int nLabel, int bFixedForm)
{
    CStatementStream stream(reader, bFixedForm);
    SSourceStatement statement;
    while (stream.Next(statement))
        if (FormatStatementLabel(statement, bFixedForm) == nLabel)
            return statement.nLine;
    return 0;
}

namespace {

// The format of the I/O statement the cursor is in, when several statements
// share the line; none when the statement names no format.
std::optional<SIoFormat> FormatAtCursor(const SSourceStatement& statement, long long nColumn)
{
    const long long nCursor = nColumn - 1 - static_cast<long long>(statement.TextStart());
    std::optional<SIoFormat> chosen;
    for (const SIoFormat& format : ReadIoFormats(statement.text))
        if (!chosen || static_cast<long long>(format.nStatement) <= nCursor)
            chosen = format;
    return chosen;
}

}  // namespace

SLabelledFormat FindLabelledFormat(CLineReader& reader, long long nLine, long long nColumn, int bFixedForm)
{
    struct SUnitName {
        int nLabel;  // a FORMAT statement's label (0 for an INCLUDE line)
        long long nScope;
        long long nLine;
        std::string strInclude;
    };
    std::vector<SUnitName> before;  // the labelled FORMAT statements before the line
    std::vector<SUnitName> includes;
    SLabelledFormat found;
    long long nScope = -1;  // the I/O statement's scoping unit, once it is read
    CUnitStack units;
    CStatementStream stream(reader, bFixedForm);
    SSourceStatement statement;
    while (stream.Next(statement)) {
        for (const std::string& text : StatementsOf(statement.text))
            units.Statement(text);
        if (std::string name = IncludedName(statement.text); !name.empty())
            includes.push_back({0, units.Scope(), statement.nLine, std::move(name)});
        const int nFormatLabel = FormatStatementLabel(statement, bFixedForm);
        if (nScope >= 0 || statement.nLine < nLine) {
            if (nFormatLabel != 0)
                before.push_back({nFormatLabel, units.Scope(), statement.nLine, {}});
        } else if (statement.nLine != nLine) {
            return found;  // the line starts no statement
        } else if (const std::optional<SIoFormat> format = FormatAtCursor(statement, nColumn);
                   format && format->kind != IO_FORMAT_LABEL) {
            found.nLabel = -1;  // a format string: the constant itself opens
            statement.PlaceOf(format->nOffset + 1, found.nFormatLine, found.nFormatColumn);
            return found;
        } else {
            found.nLabel = format ? std::max(format->nLabel, 0) : 0;
            if (found.nLabel == 0)
                return found;
            nScope = units.Scope();
        }
        // The FORMAT statement with the label in the I/O statement's unit,
        // before it or after it.
        for (const SUnitName& candidate : before)
            if (nScope >= 0 && candidate.nLabel == found.nLabel && candidate.nScope == nScope) {
                found.nFormatLine = candidate.nLine;
                return found;
            }
        if (nScope >= 0)
            before.clear();
    }
    for (SUnitName& include : includes)
        if (include.nScope == nScope)
            found.arrIncludes.push_back(std::move(include.strInclude));
    return found;
}
