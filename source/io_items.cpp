#include "io_items.h"

namespace {

using Tokens = std::vector<SFortranToken>;

bool IsOperator(const SFortranToken& token, std::string_view text)
{
    return token.kind == FortranToken::OPERATOR && token.strText == text;
}

// The tokens [nFrom, nTo) cut at their top-level commas.
std::vector<std::pair<std::size_t, std::size_t>> SplitAtCommas(const Tokens& tokens, std::size_t nFrom, std::size_t nTo,
                                                               bool& bOk)
{
    std::vector<std::pair<std::size_t, std::size_t>> parts;
    int nDepth = 0;
    std::size_t nStart = nFrom;
    for (std::size_t i = nFrom; i < nTo; ++i) {
        if (tokens[i].kind == FortranToken::OPEN)
            ++nDepth;
        else if (tokens[i].kind == FortranToken::CLOSE && --nDepth < 0)
            bOk = false;
        else if (tokens[i].kind == FortranToken::COMMA && nDepth == 0) {
            parts.emplace_back(nStart, i);
            nStart = i + 1;
        }
    }
    bOk = bOk && nDepth == 0;
    if (nTo > nFrom)
        parts.emplace_back(nStart, nTo);
    return parts;
}

// The "(" at tokens[nOpen] closes at the returned index (nTo when it does not).
std::size_t Closing(const Tokens& tokens, std::size_t nOpen, std::size_t nTo)
{
    int nDepth = 0;
    for (std::size_t i = nOpen; i < nTo; ++i) {
        nDepth += tokens[i].kind == FortranToken::OPEN ? 1 : tokens[i].kind == FortranToken::CLOSE ? -1 : 0;
        if (nDepth == 0)
            return i;
    }
    return nTo;
}

// Whether the parenthesised part [nOpen, nClose] holds a ":" at its own level.
bool HoldsColon(const Tokens& tokens, std::size_t nOpen, std::size_t nClose)
{
    int nDepth = 0;
    for (std::size_t i = nOpen; i <= nClose; ++i) {
        nDepth += tokens[i].kind == FortranToken::OPEN ? 1 : tokens[i].kind == FortranToken::CLOSE ? -1 : 0;
        if (nDepth == 1 && tokens[i].kind == FortranToken::COLON)
            return true;
    }
    return false;
}

class CItemReader {
public:
    CItemReader(std::string_view text, const Tokens& tokens) : m_text(text), m_tokens(tokens) {}

    std::vector<SIoListItem> List(std::size_t nFrom, std::size_t nTo)
    {
        std::vector<SIoListItem> items;
        for (const auto& [nStart, nEnd] : SplitAtCommas(m_tokens, nFrom, nTo, m_bOk))
            if (nEnd > nStart)
                items.push_back(Item(nStart, nEnd));
        return items;
    }

    bool Ok() const { return m_bOk; }

private:
    std::string Text(std::size_t nFrom, std::size_t nTo) const
    {
        return std::string(m_text.substr(m_tokens[nFrom].nOffset, m_tokens[nTo - 1].nEnd - m_tokens[nFrom].nOffset));
    }

    SIoListItem Item(std::size_t nFrom, std::size_t nTo)
    {
        SIoListItem item;
        item.nOffset = m_tokens[nFrom].nOffset;
        item.nEnd = m_tokens[nTo - 1].nEnd;
        const SFortranToken& first = m_tokens[nFrom];
        if (first.kind == FortranToken::OPEN && m_nDepth < kMaxDepth && Closing(m_tokens, nFrom, nTo) == nTo - 1 &&
            ImpliedDo(nFrom, nTo, item))
            return item;
        if (nTo - nFrom == 1 && first.kind != FortranToken::NAME && first.kind != FortranToken::OPEN) {
            item.shape = first.kind == FortranToken::OPERATOR ? IoItemShape::EXPRESSION : IoItemShape::CONSTANT;
            item.constant = first.kind;
            return item;
        }
        if (first.kind == FortranToken::NAME)
            Designator(nFrom, nTo, item);
        return item;
    }

    // A name, followed only by components, subscripts and a substring
    // range: a name, a reference or a section; else an expression.
    void Designator(std::size_t nFrom, std::size_t nTo, SIoListItem& item)
    {
        bool bSection = false;
        bool bParens = false;
        std::size_t i = nFrom + 1;
        while (i < nTo) {
            if (m_tokens[i].kind == FortranToken::OPEN) {
                const std::size_t nClose = Closing(m_tokens, i, nTo);
                if (nClose >= nTo)
                    return;
                bSection = bSection || HoldsColon(m_tokens, i, nClose);
                bParens = true;
                i = nClose + 1;
            } else if (m_tokens[i].kind == FortranToken::PERCENT && i + 1 < nTo &&
                       m_tokens[i + 1].kind == FortranToken::NAME) {
                i += 2;
            } else {
                return;  // an operator: an expression
            }
        }
        item.strName = m_tokens[nFrom].strText;
        item.shape = bSection ? IoItemShape::SECTION : bParens ? IoItemShape::REFERENCE : IoItemShape::NAME;
    }

    // (list, v = start, end [, step]): the last two or three parts are the
    // bounds, the one before them starts with "v =".
    bool ImpliedDo(std::size_t nFrom, std::size_t nTo, SIoListItem& item)
    {
        bool bOk = true;
        const auto parts = SplitAtCommas(m_tokens, nFrom + 1, nTo - 1, bOk);
        for (std::size_t nBounds : {std::size_t{2}, std::size_t{3}}) {
            if (!bOk || parts.size() < nBounds + 1)
                continue;
            const auto [nControl, nControlEnd] = parts[parts.size() - nBounds];
            if (nControlEnd - nControl < 3 || m_tokens[nControl].kind != FortranToken::NAME ||
                !IsOperator(m_tokens[nControl + 1], "="))
                continue;
            item.shape = IoItemShape::IMPLIED_DO;
            item.strVariable = m_tokens[nControl].strText;
            item.bounds.push_back(Text(nControl + 2, nControlEnd));
            for (std::size_t k = parts.size() - nBounds + 1; k < parts.size(); ++k)
                item.bounds.push_back(Text(parts[k].first, parts[k].second));
            ++m_nDepth;
            item.items = List(nFrom + 1, parts[parts.size() - nBounds - 1].second);
            --m_nDepth;
            return true;
        }
        return false;
    }

    std::string_view m_text;
    const Tokens& m_tokens;
    bool m_bOk = true;
    // Implied-DO lists nested deeper than any compiler takes are read as
    // expressions, so that no text can exhaust the stack.
    static constexpr int kMaxDepth = 64;
    int m_nDepth = 0;
};

}  // namespace

std::vector<SIoListItem> ReadIoItems(std::string_view text, bool* pOk)
{
    const Tokens tokens = FortranTokens(text);
    CItemReader reader(text, tokens);
    std::vector<SIoListItem> items = reader.List(0, tokens.size());
    if (pOk != nullptr)
        *pOk = reader.Ok();
    return items;
}
