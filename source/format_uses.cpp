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

class CFormatReader {
public:
    explicit CFormatReader(int bFixedForm) : m_bFixedForm(bFixedForm) {}

    void Statement(const SSourceStatement& statement)
    {
        for (const std::string_view part : Statements(statement.text)) {
            for (const std::string& lowered : StatementsOf(part))
                m_units.Statement(lowered);
            Declarations().Read(part);
        }
        if (const int nLabel = FormatStatementLabel(statement, m_bFixedForm); nLabel != 0)
            m_files.formats.push_back({nLabel, statement.nLine, m_units.Scope(), FormatList(statement.text)});
        for (const SIoFormat& format : ReadIoFormats(statement.text))
            Use(statement, format);
    }

    SFileFormats Take() { return std::move(m_files); }

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

    void Use(const SSourceStatement& statement, const SIoFormat& format)
    {
        SFormatUse use;
        statement.PlaceOf(format.nStatement, use.nLine, use.nColumn);
        use.nScope = m_units.Scope();
        use.bInput = format.bInput;
        use.kind = format.kind;
        use.nLabel = format.nLabel;
        if (format.kind == IO_FORMAT_CONSTANT) {
            const std::vector<SFortranToken> tokens = FortranTokens(
                std::string_view(statement.text).substr(format.nOffset));
            if (!tokens.empty() && tokens.front().kind == FortranToken::CHARACTER)
                use.strFormat = tokens.front().strText;
        }
        use.strList = statement.text.substr(format.nListFrom, format.nListTo - format.nListFrom);
        use.items = TypeItems(ReadIoItems(use.strList), use.strList, Declarations());
        m_files.uses.push_back(std::move(use));
    }

    int m_bFixedForm;
    CUnitStack m_units;
    std::map<long long, CDeclarations> m_declarations;
    SFileFormats m_files;
};

}  // namespace

SFileFormats ReadFileFormats(CLineReader& reader, int bFixedForm)
{
    CFormatReader formats(bFixedForm);
    CStatementStream stream(reader, bFixedForm);
    SSourceStatement statement;
    while (stream.Next(statement))
        formats.Statement(statement);
    return formats.Take();
}
