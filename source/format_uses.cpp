#include "format_uses.h"

#include <map>

#include "declarations.h"
#include "fortran_tokens.h"
#include "io_items.h"
#include "item_types.h"
#include "program_units.h"
#include "statement_stream.h"

namespace {

// The statements of a text, cut at the ";" outside constants.
std::vector<std::string_view> Statements(std::string_view text)
{
    std::vector<std::string_view> statements;
    std::size_t nFrom = 0;
    for (const SFortranToken& token : FortranTokens(text))
        if (token.kind == FortranToken::OTHER && token.strText == ";") {
            statements.push_back(text.substr(nFrom, token.nOffset - nFrom));
            nFrom = token.nEnd;
        }
    statements.push_back(text.substr(nFrom));
    return statements;
}

// The list of a FORMAT statement's text: from the "(" after its keyword.
std::string FormatList(const std::string& text)
{
    const std::vector<SFortranToken> tokens = FortranTokens(text);
    for (std::size_t i = 0; i + 1 < tokens.size(); ++i)
        if (tokens[i].kind == FortranToken::NAME && tokens[i].strText == "format" &&
            tokens[i + 1].kind == FortranToken::OPEN)
            return text.substr(tokens[i + 1].nOffset);
    return std::string();
}

bool IsName(const std::vector<SFortranToken>& t, std::size_t i, std::string_view name = {})
{
    return i < t.size() && t[i].kind == FortranToken::NAME && (name.empty() || t[i].strText == name);
}

// The module a MODULE statement opens ("" for any other statement).
std::string ModuleName(const std::vector<SFortranToken>& t)
{
    return IsName(t, 0, "module") && IsName(t, 1) && t.size() == 2 && t[1].strText != "procedure" ? t[1].strText
                                                                                                  : std::string();
}

// A USE statement: the module, and the names it lists (local, the
// module's) after ONLY or as renames.
struct SUse {
    std::string strModule;
    std::vector<std::pair<std::string, std::string>> names;
    bool bOnly = false;
};

bool ReadUse(const std::vector<SFortranToken>& t, SUse& use)
{
    if (!IsName(t, 0, "use"))
        return false;
    std::size_t i = 1;
    for (std::size_t k = 1; k + 1 < t.size(); ++k)
        if (t[k].kind == FortranToken::COLON && t[k + 1].kind == FortranToken::COLON)
            i = k + 2;  // USE, INTRINSIC :: name
    if (!IsName(t, i))
        return false;
    use.strModule = t[i].strText;
    for (std::size_t k = i + 1; k < t.size(); ++k) {
        use.bOnly = use.bOnly || (IsName(t, k, "only") && k + 1 < t.size() && t[k + 1].kind == FortranToken::COLON);
        const bool bRename = k + 2 < t.size() && t[k + 1].kind == FortranToken::OPERATOR && t[k + 1].strText == "=>";
        if (IsName(t, k) && bRename && IsName(t, k + 2)) {
            use.names.emplace_back(t[k].strText, t[k + 2].strText);
            k += 2;
        } else if (IsName(t, k) && use.bOnly && !IsName(t, k, "only") && !bRename) {
            use.names.emplace_back(t[k].strText, t[k].strText);
        }
    }
    return true;
}

// An I/O statement's keyword and control list as written ("WRITE (6, 100)",
// "PRINT 100"): from its keyword (past a logical IF) to its list, without
// the comma before the list.
std::string StatementHead(std::string_view text, const SIoFormat& format)
{
    const std::size_t nTo = format.nListTo > format.nListFrom ? format.nListFrom : text.size();
    const std::string_view head = text.substr(format.nStatement, nTo - format.nStatement);
    std::size_t nFrom = 0;
    int nDepth = 0;
    for (const SFortranToken& token : FortranTokens(head)) {
        nDepth += token.kind == FortranToken::OPEN ? 1 : token.kind == FortranToken::CLOSE ? -1 : 0;
        if (nDepth == 0 && token.kind == FortranToken::NAME &&
            (token.strText == "read" || token.strText == "write" || token.strText == "print")) {
            nFrom = token.nOffset;
            break;
        }
    }
    const std::size_t nEnd = head.find_last_not_of(" \t,");
    return nEnd == std::string_view::npos || nEnd < nFrom ? std::string()
                                                          : std::string(head.substr(nFrom, nEnd + 1 - nFrom));
}

class CFormatReader {
public:
    CFormatReader(int bFixedForm, const SFormatContext& context) : m_bFixedForm(bFixedForm), m_context(context) {}

    void Statement(const SSourceStatement& statement)
    {
        for (const std::string_view part : Statements(statement.text)) {
            const std::vector<SFortranToken> tokens = FortranTokens(part);
            for (const std::string& lowered : StatementsOf(part))
                m_units.Statement(lowered);
            if (const std::string module = ModuleName(tokens); !module.empty())
                m_modules[m_units.Scope()] = module;
            if (!UseOrInclude(tokens))
                Declarations().Read(part, [&](std::size_t nOffset) {
                    std::pair<long long, long long> place;
                    statement.PlaceOf(static_cast<std::size_t>(part.data() - statement.text.data()) + nOffset,
                                      place.first, place.second);
                    return place;
                });
        }
        if (const int nLabel = FormatStatementLabel(statement, m_bFixedForm); nLabel != 0)
            Format(statement, nLabel);
        for (const SIoFormat& format : ReadIoFormats(statement.text, m_context.bOtherFormats))
            Use(statement, format);
    }

    SFileFormats Take()
    {
        if (m_context.pDefined != nullptr)
            for (const auto& [nScope, name] : m_modules)
                if (const auto it = m_declarations.find(nScope); it != m_declarations.end())
                    (*m_context.pDefined)[name] = it->second;
        return std::move(m_files);
    }

private:
    // The declarations of the current scoping unit; a unit met for the
    // first time starts from its host's (host association).
    CDeclarations& Declarations()
    {
        const long long nScope = m_units.Scope();
        auto it = m_declarations.find(nScope);
        if (it == m_declarations.end()) {
            const auto host = m_declarations.find(m_units.Host());
            it = m_declarations
                     .emplace(nScope,
                              host != m_declarations.end() && m_units.Host() != 0 ? host->second : CDeclarations())
                     .first;
        }
        return it->second;
    }

    // USE and INCLUDE: what they bring, when the run has read it.
    bool UseOrInclude(const std::vector<SFortranToken>& tokens)
    {
        SUse use;
        if (ReadUse(tokens, use)) {
            const ModuleTable* pModules = m_context.pModules;
            const auto it = pModules != nullptr ? pModules->find(use.strModule) : ModuleTable::const_iterator();
            if (pModules != nullptr && it != pModules->end())
                Declarations().Import(it->second, use.names, use.bOnly);
            else if (!use.bOnly)
                Declarations().OpenNames();
            else
                Declarations().Import(CDeclarations(), use.names, true);  // the names listed, not known
            return true;
        }
        if (IsName(tokens, 0, "include") && tokens.size() == 2 && tokens[1].kind == FortranToken::CHARACTER) {
            Include(tokens[1].strText);
            return true;
        }
        return false;
    }

    // An INCLUDE file beside the file: its declarations (one level deep).
    void Include(const std::string& name)
    {
        CLineReader reader;
        if (m_context.strIncludeFolder.empty() || !reader.Open(m_context.strIncludeFolder + "/" + name)) {
            Declarations().OpenNames();
            return;
        }
        CStatementStream stream(reader, m_bFixedForm);
        SSourceStatement statement;
        while (stream.Next(statement))
            for (const std::string_view part : Statements(statement.text))
                Declarations().Read(part);
    }

    void Format(const SSourceStatement& statement, int nLabel)
    {
        SFormatStatement format;
        format.nLabel = nLabel;
        format.nLine = statement.nLine;
        format.nScope = m_units.Scope();
        format.strList = FormatList(statement.text);
        format.nListFrom = statement.text.size() - format.strList.size();
        format.places = Places(statement);
        long long nLine = 0;
        statement.PlaceOf(0, nLine, format.nColumn);
        m_files.formats.push_back(std::move(format));
    }

    static SSourceStatement Places(const SSourceStatement& statement)
    {
        SSourceStatement places;
        places.nLine = statement.nLine;
        places.pieces = statement.pieces;
        return places;
    }

    void Use(const SSourceStatement& statement, const SIoFormat& format)
    {
        SFormatUse use;
        statement.PlaceOf(format.nStatement, use.nLine, use.nColumn);
        use.places = Places(statement);
        use.nFormatFrom = format.nOffset;
        use.nFormatTo = format.nFormatTo;
        use.strFormatItem = statement.text.substr(format.nOffset, format.nFormatTo - format.nOffset);
        use.nListFrom = format.nListFrom;
        use.nScope = m_units.Scope();
        use.bInput = format.bInput;
        use.kind = format.kind;
        use.nLabel = format.nLabel;
        use.strStatement = StatementHead(statement.text, format);
        if (format.kind == IO_FORMAT_CONSTANT) {
            const std::vector<SFortranToken> tokens = FortranTokens(
                std::string_view(statement.text).substr(format.nOffset));
            if (!tokens.empty() && tokens.front().kind == FortranToken::CHARACTER)
                use.strFormat = tokens.front().strText;
        }
        if (format.kind == IO_FORMAT_OTHER) {
            const std::string name = statement.text.substr(format.nOffset, format.nFormatTo - format.nOffset);
            const std::vector<SFortranToken> tokens = FortranTokens(name);
            const SDeclaredName* p = tokens.size() == 1 && IsName(tokens, 0) ? Declarations().Find(tokens[0].strText)
                                                                             : nullptr;
            if (p != nullptr && p->bNamelist)
                return;  // WRITE (u, group): namelist output, no format
            use.bFormatConstant = p != nullptr && p->bCharacterConstant;
            use.strFormat = use.bFormatConstant ? p->strCharacterValue : std::string();
            use.constant = use.bFormatConstant ? p->valuePlace : SValuePlace();
        }
        use.strList = statement.text.substr(format.nListFrom, format.nListTo - format.nListFrom);
        use.listItems = ReadIoItems(use.strList);
        use.items = TypeItems(use.listItems, use.strList, Declarations());
        m_files.uses.push_back(std::move(use));
    }

    int m_bFixedForm;
    SFormatContext m_context;
    std::map<long long, std::string> m_modules;  // the modules' scopes
    CUnitStack m_units;
    std::map<long long, CDeclarations> m_declarations;
    SFileFormats m_files;
};

}  // namespace

SFileFormats ReadFileFormats(CLineReader& reader, int bFixedForm, const SFormatContext& context)
{
    CFormatReader formats(bFixedForm, context);
    CStatementStream stream(reader, bFixedForm);
    SSourceStatement statement;
    while (stream.Next(statement))
        formats.Statement(statement);
    return formats.Take();
}
