#include "program_units.h"

#include "char_class.h"
#include "fortran_tokens.h"

namespace {

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

}  // namespace

void CUnitStack::Statement(std::string_view s)
{
    if (s.empty() || (!HasTopLevelEquals(s) && Structure(s)))
        return;
    // Statements outside every unit make a main program without PROGRAM.
    if (m_units.empty())
        m_units.push_back(SUnit{UNIT_MAIN, false, false, ++m_nOpened});
}

bool CUnitStack::AllowsFormat() const
{
    const SUnit& unit = m_units.back();
    return (unit.kind == UNIT_MAIN || unit.kind == UNIT_PROCEDURE) && !unit.bContains && !unit.bInInterface;
}

// Follows a statement that opens or closes a unit, or CONTAINS; false for
// any other.
bool CUnitStack::Structure(std::string_view s)
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

bool OpensProgramUnit(std::string_view s)
{
    UnitKind kind = UNIT_MAIN;
    return !HasTopLevelEquals(s) && OpensUnit(s, false, kind);
}

std::vector<std::string> StatementsOf(std::string_view text)
{
    std::vector<std::string> statements(1);
    for (const SFortranToken& token : FortranTokens(text)) {
        if (token.kind == FortranToken::CHARACTER || token.strText == "&")
            continue;
        if (token.strText == ";")
            statements.emplace_back();
        else
            statements.back() += token.strText;
    }
    return statements;
}
