#include "format_placement.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "char_class.h"
#include "format_scanner.h"
#include "io_format.h"
#include "program_units.h"
#include "source_lines.h"
#include "statement_stream.h"
#include "statement_text.h"

namespace {

// The statement text of a line that starts a statement: without its label
// (and in fixed form without the sequence field); empty for a line that
// starts none (a comment, a preprocessor line, a continuation line).
class CStatementLines {
public:
    explicit CStatementLines(int bFixedForm) : m_bFixedForm(bFixedForm) {}

    std::string Text(const std::string& raw)
    {
        const bool bContinuation = !m_bFixedForm && m_free.Open();
        if (!m_bFixedForm)
            m_free.Read(raw);
        if (bContinuation || IsPassedOver(raw, m_bFixedForm))
            return {};
        if (m_bFixedForm) {
            const SFixedLine line(raw);
            if (IsFixedContinuation(line.image) || line.image.size() <= kFixedTextStart)
                return {};
            return line.image.substr(kFixedTextStart);
        }
        std::size_t i = raw.find_first_not_of(" \t");
        while (i < raw.size() && IsDigit(raw[i]))
            ++i;
        return raw.substr(i);
    }

private:
    int m_bFixedForm;
    CFreeContinuation m_free;
};

}  // namespace

bool FormatMayStandAt(CLineReader& reader, long long nLine, int bFixedForm)
{
    CUnitStack units;
    CStatementLines lines(bFixedForm);
    std::string raw;
    for (long long n = 1; n < nLine && reader.ReadExistingLine(raw); ++n)
        for (const std::string& statement : StatementsOf(lines.Text(raw)))
            units.Statement(statement);
    if (!units.Empty())
        return units.AllowsFormat();
    // Outside every unit: the FORMAT opens a main program of its own, which
    // holds only if statements follow that are not another unit.
    reader.ReadExistingLine(raw);  // the line itself
    while (reader.ReadExistingLine(raw)) {
        for (const std::string& statement : StatementsOf(lines.Text(raw))) {
            if (!statement.empty())
                return !OpensProgramUnit(statement);
        }
    }
    return false;
}

namespace {

// The file an INCLUDE line names ("INCLUDE 'file'"); empty for another
// statement.
std::string IncludedName(const std::string& text)
{
    std::size_t i = text.find_first_not_of(" \t");
    if (i == std::string::npos || text.size() - i < 8)
        return std::string();
    for (const char c : std::string_view("include"))
        if (ToLower(text[i++]) != c)
            return std::string();
    i = text.find_first_not_of(" \t", i);
    if (i == std::string::npos || (text[i] != '\'' && text[i] != '"'))
        return std::string();
    const std::size_t nClose = text.find(text[i], i + 1);
    return nClose == std::string::npos ? std::string() : text.substr(i + 1, nClose - i - 1);
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
