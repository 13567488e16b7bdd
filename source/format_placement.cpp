#include "format_placement.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "char_class.h"
#include "format_scanner.h"
#include "io_format.h"
#include "source_lines.h"
#include "statement_stream.h"
#include "statement_text.h"

namespace {

enum UnitKind {
    UNIT_MAIN,       // a main program, with or without its PROGRAM statement
    UNIT_PROCEDURE,  // a subroutine or function, a module procedure's body
    UNIT_MODULE,     // a module or submodule
    UNIT_BLOCK_DATA,
    UNIT_INTERFACE,  // an interface block, and the interface bodies in it
    UNIT_TYPE,       // a derived type's definition
};

struct SUnit {
    UnitKind kind;
    bool bContains = false;  // its CONTAINS has been read
    bool bInInterface = false;
    long long nSerial = 0;  // which unit of the file it is: each unit opened gets the next number
};

bool StartsWith(std::string_view s, std::string_view prefix)
{
    return s.substr(0, prefix.size()) == prefix;
}

// Past a parenthesised part at s[i] == '(' (nested ones included); npos
// when it does not close.
std::size_t SkipParens(std::string_view s, std::size_t i)
{
    int nDepth = 0;
    for (; i < s.size(); ++i) {
        if (s[i] == '(')
            ++nDepth;
        else if (s[i] == ')' && --nDepth == 0)
            return i + 1;
    }
    return std::string_view::npos;
}

// Whether s holds "=" (an assignment, an initialisation) outside parentheses.
bool HasTopLevelEquals(std::string_view s)
{
    int nDepth = 0;
    for (const char c : s) {
        nDepth += c == '(' ? 1 : c == ')' ? -1 : 0;
        if (c == '=' && nDepth == 0)
            return true;
    }
    return false;
}

// Past one word of a procedure's prefix at s[i]: RECURSIVE, PURE, ..., or a
// type with its kind or length; npos when none stands there.
std::size_t SkipPrefixWord(std::string_view s, std::size_t i)
{
    static constexpr std::string_view kWords[] = {"recursive", "nonrecursive", "non_recursive", "pure",
                                                  "impure",    "elemental",    "module",        "simple"};
    static constexpr std::string_view kTypes[] = {"integer", "real",    "doubleprecision", "doublecomplex",
                                                  "complex", "logical", "character",       "byte"};
    const std::string_view rest = s.substr(i);
    for (const std::string_view word : kWords)
        if (StartsWith(rest, word))
            return i + word.size();
    for (const std::string_view type : {std::string_view("type("), std::string_view("class(")})
        if (StartsWith(rest, type))
            return SkipParens(s, i + type.size() - 1);
    for (const std::string_view type : kTypes) {
        if (!StartsWith(rest, type))
            continue;
        std::size_t j = i + type.size();
        if (j < s.size() && s[j] == '*') {
            ++j;
            if (j < s.size() && s[j] == '(')
                return SkipParens(s, j);
            while (j < s.size() && IsDigit(s[j]))
                ++j;
            return j;
        }
        return j < s.size() && s[j] == '(' ? SkipParens(s, j) : j;
    }
    return std::string_view::npos;
}

// "[prefix...] SUBROUTINE name..." or "[prefix...] FUNCTION name(...)...",
// blanks removed.
bool IsProcedureHeader(std::string_view s)
{
    std::size_t i = 0;
    for (;;) {
        for (const std::string_view keyword : {std::string_view("subroutine"), std::string_view("function")})
            if (StartsWith(s.substr(i), keyword) && i + keyword.size() < s.size() && IsLetter(s[i + keyword.size()]))
                return true;
        const std::size_t j = SkipPrefixWord(s, i);
        if (j == std::string_view::npos || j == i)
            return false;
        i = j;
    }
}

// "TYPE name", "TYPE, attributes :: name", "TYPE :: name", "TYPE name(k)";
// not "TYPE(name) variable" nor the guard "TYPE IS (...)".
bool IsTypeDefinition(std::string_view s)
{
    if (!StartsWith(s, "type") || s.size() == 4)
        return false;
    const char c = s[4];
    return c == ',' || StartsWith(s.substr(4), "::") || (IsLetter(c) && !StartsWith(s, "typeis("));
}

bool IsUnitEnd(std::string_view s)
{
    if (s == "end")
        return true;
    static constexpr std::string_view kUnits[] = {"endprogram",   "endsubroutine", "endfunction", "endmodule",
                                                  "endsubmodule", "endblockdata",  "endprocedure"};
    for (const std::string_view unit : kUnits)
        if (StartsWith(s, unit))
            return true;
    return false;
}

// The unit a statement opens (blanks removed, lower case), if any. Inside
// an interface block a procedure's header opens an interface body, and MODULE
// PROCEDURE names procedures instead of opening one's body.
bool OpensUnit(std::string_view s, bool bInInterface, UnitKind& kind)
{
    if (StartsWith(s, "moduleprocedure")) {
        kind = UNIT_PROCEDURE;
        return !bInInterface;
    }
    static constexpr struct {
        std::string_view strPrefix;
        UnitKind kind;
    } kOpeners[] = {{"program", UNIT_MAIN},
                    {"blockdata", UNIT_BLOCK_DATA},
                    {"submodule(", UNIT_MODULE},
                    {"interface", UNIT_INTERFACE},
                    {"abstractinterface", UNIT_INTERFACE}};
    for (const auto& opener : kOpeners)
        if (StartsWith(s, opener.strPrefix)) {
            kind = opener.kind;
            return true;
        }
    if (IsProcedureHeader(s))
        kind = UNIT_PROCEDURE;
    else if (StartsWith(s, "module"))
        kind = UNIT_MODULE;
    else if (IsTypeDefinition(s))
        kind = UNIT_TYPE;
    else
        return false;
    return true;
}

// The program units open around the lines read so far.
class CUnitStack {
public:
    // One statement, lower case, without blanks, constants or comment.
    void Statement(std::string_view s)
    {
        if (s.empty() || (!HasTopLevelEquals(s) && Structure(s)))
            return;
        // Statements outside every unit make a main program without PROGRAM.
        if (m_units.empty())
            m_units.push_back(SUnit{UNIT_MAIN, false, false, ++m_nOpened});
    }

    // The scoping unit the statements read last stand in: the innermost
    // unit open (0 outside every unit). Statement labels are local to it.
    long long Scope() const { return m_units.empty() ? 0 : m_units.back().nSerial; }

    // No unit is open: whether a FORMAT may stand depends on what follows.
    bool Empty() const { return m_units.empty(); }
    bool AllowsFormat() const
    {
        const SUnit& unit = m_units.back();
        return (unit.kind == UNIT_MAIN || unit.kind == UNIT_PROCEDURE) && !unit.bContains && !unit.bInInterface;
    }

private:
    // Follows a statement that opens or closes a unit, or CONTAINS; false
    // for any other.
    bool Structure(std::string_view s)
    {
        if (IsUnitEnd(s)) {
            while (!m_units.empty() && (m_units.back().kind == UNIT_INTERFACE || m_units.back().kind == UNIT_TYPE))
                m_units.pop_back();
            if (!m_units.empty())
                m_units.pop_back();
            return true;
        }
        if (StartsWith(s, "endinterface") || StartsWith(s, "endtype")) {
            const UnitKind kind = s[3] == 'i' ? UNIT_INTERFACE : UNIT_TYPE;
            if (!m_units.empty() && m_units.back().kind == kind)
                m_units.pop_back();
            return true;
        }
        if (s == "contains") {
            if (!m_units.empty())
                m_units.back().bContains = true;
            return true;
        }
        const bool bInInterface = !m_units.empty() && m_units.back().kind == UNIT_INTERFACE;
        UnitKind kind = UNIT_MAIN;
        if (!OpensUnit(s, bInInterface, kind))
            return StartsWith(s, "moduleprocedure");
        m_units.push_back(SUnit{kind, false, bInInterface && kind == UNIT_PROCEDURE, ++m_nOpened});
        return true;
    }

    std::vector<SUnit> m_units;
    long long m_nOpened = 0;
};

// A line's statements, lower case, without blanks, constants, comment or a
// continuing "&"; a statement per ";".
std::vector<std::string> StatementsOf(std::string_view text)
{
    std::vector<std::string> statements(1);
    CFormatScanner scanner(text, CFormatScanner::MODE_STATEMENT);
    for (SFormatToken t = scanner.NextToken(); t.kind != TOKEN_END && t.kind != TOKEN_COMMENT;
         t = scanner.NextToken()) {
        if (t.kind == TOKEN_CONSTANT)
            continue;
        for (const char c : scanner.TextOf(t)) {
            if (c == ';')
                statements.emplace_back();
            else if (c != ' ' && c != '\t' && c != '&')
                statements.back() += ToLower(c);
        }
    }
    return statements;
}

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
            UnitKind kind = UNIT_MAIN;
            if (!statement.empty())
                return HasTopLevelEquals(statement) || !OpensUnit(statement, false, kind);
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
