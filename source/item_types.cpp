#include "item_types.h"

#include <algorithm>
#include <map>

namespace {

using Tokens = std::vector<SFortranToken>;

// The intrinsics whose result type does not follow their argument.
const std::map<std::string, ItemType, std::less<>>& FixedResults()
{
    static const std::map<std::string, ItemType, std::less<>> kResults = {
        {"int", ItemType::INTEGER},       {"nint", ItemType::INTEGER},      {"len", ItemType::INTEGER},
        {"len_trim", ItemType::INTEGER},  {"size", ItemType::INTEGER},      {"ichar", ItemType::INTEGER},
        {"iachar", ItemType::INTEGER},    {"index", ItemType::INTEGER},     {"real", ItemType::REAL},
        {"dble", ItemType::REAL},         {"cmplx", ItemType::COMPLEX},     {"trim", ItemType::CHARACTER},
        {"adjustl", ItemType::CHARACTER}, {"adjustr", ItemType::CHARACTER}, {"char", ItemType::CHARACTER},
        {"achar", ItemType::CHARACTER},   {"repeat", ItemType::CHARACTER},
    };
    return kResults;
}

// The intrinsics whose result has their (first) argument's type.
bool KeepsArgumentType(std::string_view name)
{
    static constexpr std::string_view kNames[] = {"abs",  "mod",  "max",    "min",  "sqrt", "exp",  "log",  "log10",
                                                  "sin",  "cos",  "tan",    "asin", "acos", "atan", "sinh", "cosh",
                                                  "tanh", "sign", "modulo", "dim",  "aint", "anint"};
    return std::find(std::begin(kNames), std::end(kNames), name) != std::end(kNames);
}

int Rank(ItemType type)
{
    return type == ItemType::INTEGER ? 0 : type == ItemType::REAL ? 1 : type == ItemType::COMPLEX ? 2 : -1;
}

SItemType ConstantType(const SFortranToken& token)
{
    switch (token.kind) {
    case FortranToken::INTEGER: return {ItemType::INTEGER, 0};
    case FortranToken::REAL: return {ItemType::REAL, token.strText.find('d') != std::string::npos ? 8 : 0};
    case FortranToken::CHARACTER: return {ItemType::CHARACTER, 0, static_cast<long long>(token.strText.size())};
    case FortranToken::LOGICAL: return {ItemType::LOGICAL, 0};
    default: return {};
    }
}

class CTyper {
public:
    CTyper(std::string_view text, const CDeclarations& decl) : m_text(text), m_decl(decl) {}

    void Add(const SIoListItem& item, long long nTimes, std::vector<SIoItem>& out) const
    {
        if (item.shape == IoItemShape::IMPLIED_DO) {
            ImpliedDo(item, Times(Trips(item), nTimes), out);
            return;
        }
        SIoItem typed = Typed(item);
        typed.nCount = Times(typed.nCount, nTimes);
        if (typed.nCount != 0)
            out.push_back(typed);
    }

private:
    // An implied-DO list goes through its items once a trip: items of one
    // type may be counted together, others are repeated in their order.
    void ImpliedDo(const SIoListItem& item, long long nTrips, std::vector<SIoItem>& out) const
    {
        constexpr long long kMaxElements = 100000;  // past that the matching stops anyway
        std::vector<SIoItem> once;
        for (const SIoListItem& inner : item.items)
            Add(inner, 1, once);
        const bool bOneType = std::all_of(once.begin(), once.end(), [&](const SIoItem& typed) {
            return typed.type.type == once.front().type.type && typed.type.nKind == once.front().type.nKind;
        });
        long long nElements = 0;  // in one trip; -1 when not known
        for (const SIoItem& typed : once)
            if (nElements >= 0 && (typed.nCount < 0 || __builtin_add_overflow(nElements, typed.nCount, &nElements)))
                nElements = -1;
        if (nTrips == 0)
            return;
        if (bOneType) {
            for (SIoItem typed : once)
                if ((typed.nCount = Times(typed.nCount, nTrips)) != 0)
                    out.push_back(typed);
        } else if (nTrips < 0 || nElements < 0 || Times(nElements, nTrips) < 0 ||
                   Times(nElements, nTrips) > kMaxElements) {
            out.push_back({once.front().type, -1});  // the order is not followed so far
        } else {
            for (long long nTrip = 0; nTrip < nTrips; ++nTrip)
                out.insert(out.end(), once.begin(), once.end());
        }
    }

    // A count times another; -1 (not known) when either is, or past what
    // a count can be.
    static long long Times(long long nCount, long long nTimes)
    {
        long long nProduct = 0;
        return nCount < 0 || nTimes < 0 || __builtin_mul_overflow(nCount, nTimes, &nProduct) ? -1 : nProduct;
    }

    long long Trips(const SIoListItem& item) const
    {
        std::optional<long long> bounds[3] = {std::nullopt, std::nullopt, 1LL};
        for (std::size_t i = 0; i < item.bounds.size() && i < 3; ++i)
            bounds[i] = m_decl.IntegerValue(item.bounds[i]);
        long long nSpan = 0;
        if (!bounds[0] || !bounds[1] || !bounds[2] || *bounds[2] == 0 ||
            __builtin_sub_overflow(*bounds[1], *bounds[0], &nSpan) || __builtin_add_overflow(nSpan, *bounds[2], &nSpan))
            return -1;
        return std::max(0LL, nSpan / *bounds[2]);
    }

    SIoItem Typed(const SIoListItem& item) const
    {
        const std::string_view text = m_text.substr(item.nOffset, item.nEnd - item.nOffset);
        const Tokens tokens = FortranTokens(text);
        switch (item.shape) {
        case IoItemShape::NAME: return Named(item.strName, tokens.size() == 1);
        case IoItemShape::REFERENCE: return Reference(item.strName, tokens);
        case IoItemShape::SECTION: return Section(item.strName, tokens);
        case IoItemShape::CONSTANT: return {ConstantType(tokens.front()), 1};
        default: return {ComplexConstant(tokens) ? ComplexConstantType(tokens) : ExpressionType(tokens), 1};
        }
    }

    // A name alone: a scalar, or a whole array of its elements; a component
    // (x%y) is not known.
    SIoItem Named(const std::string& name, bool bAlone) const
    {
        if (!bAlone)
            return {{}, 1};
        const SDeclaredName* p = m_decl.Find(name);
        return {Declared(name, p), p != nullptr && p->bArray ? p->nElements : 1};
    }

    // A name's type, a character one with its declared length (a named
    // constant of length * its value's).
    SItemType Declared(const std::string& name, const SDeclaredName* p) const
    {
        SItemType type = m_decl.TypeOf(name);
        if (type.type == ItemType::CHARACTER && p != nullptr && p->bTyped)
            type.nLength = p->nLength >= 0 || !p->bCharacterConstant
                               ? p->nLength
                               : static_cast<long long>(p->strCharacterValue.size());
        return type;
    }

    SIoItem Reference(const std::string& name, const Tokens& tokens) const
    {
        const SDeclaredName* p = m_decl.Find(name);
        if (p != nullptr && p->bArray)
            return {Declared(name, p), 1};  // an element
        if (p != nullptr && p->type.type == ItemType::CHARACTER)
            return {m_decl.TypeOf(name), 1};  // a substring
        return {FunctionType(name, tokens), 1};
    }

    // A substring of a scalar or of an element is one item; an array
    // section has the product of its subscripts' extents, where each is
    // known: a subscript alone, a triplet whose bounds are constant, or ":"
    // alone over a one-dimensional array.
    SIoItem Section(const std::string& name, const Tokens& tokens) const
    {
        const SDeclaredName* p = m_decl.Find(name);
        if (p == nullptr || !p->bArray || tokens.size() < 2 || tokens[1].kind != FortranToken::OPEN)
            return {m_decl.TypeOf(name), 1};
        const std::size_t nClose = SkipParens(tokens, 1);
        // A section of whole elements keeps their length; one of substrings
        // has another.
        const SItemType type = nClose + 1 == tokens.size() ? Declared(name, p) : m_decl.TypeOf(name);
        long long nCount = 1;
        std::size_t nFrom = 2;
        for (std::size_t i = 2; i <= nClose && i < tokens.size(); ++i) {
            if (i < nClose && (tokens[i].kind == FortranToken::OPEN))
                i = SkipParens(tokens, i);
            else if (i == nClose || tokens[i].kind == FortranToken::COMMA) {
                const Tokens subscript(tokens.begin() + static_cast<std::ptrdiff_t>(nFrom),
                                       tokens.begin() + static_cast<std::ptrdiff_t>(i));
                const bool bOnly = nFrom == 2 && i == nClose;
                nCount = Times(nCount, Extent(subscript, bOnly ? p->nElements : -1));
                nFrom = i + 1;
            }
        }
        return {type, nCount};
    }

    // The elements one subscript selects: 1 for one alone; a triplet's
    // (":" alone: nWhole); -1 when not known.
    long long Extent(const Tokens& subscript, long long nWhole) const
    {
        std::string parts[3];
        std::size_t nPart = 0;
        for (const SFortranToken& token : subscript) {
            if (token.kind == FortranToken::COLON && nPart < 2)
                ++nPart;
            else
                parts[nPart] += token.strText + " ";
        }
        if (nPart == 0)
            return 1;
        if (parts[0].empty() && parts[1].empty() && parts[2].empty())
            return nWhole;
        const std::optional<long long> from = m_decl.IntegerValue(parts[0]);
        const std::optional<long long> to = m_decl.IntegerValue(parts[1]);
        const std::optional<long long> step = parts[2].empty() ? 1LL : m_decl.IntegerValue(parts[2]);
        long long nSpan = 0;
        if (!from || !to || !step || *step == 0 || __builtin_sub_overflow(*to, *from, &nSpan) ||
            __builtin_add_overflow(nSpan, *step, &nSpan))
            return -1;
        return std::max(0LL, nSpan / *step);
    }

    // (re, im): two signed integer or real literals in parentheses.
    static bool ComplexConstant(const Tokens& tokens)
    {
        std::size_t i = 1;
        const auto part = [&tokens, &i] {
            if (i < tokens.size() && tokens[i].kind == FortranToken::OPERATOR &&
                (tokens[i].strText == "+" || tokens[i].strText == "-"))
                ++i;
            return i < tokens.size() &&
                   (tokens[i].kind == FortranToken::INTEGER || tokens[i].kind == FortranToken::REAL) && ++i > 0;
        };
        const bool bOpen = !tokens.empty() && tokens[0].kind == FortranToken::OPEN;
        if (!bOpen || !part() || i >= tokens.size() || tokens[i++].kind != FortranToken::COMMA || !part())
            return false;
        return i + 1 == tokens.size() && tokens[i].kind == FortranToken::CLOSE;
    }

    // Its parts' kind: the larger of a real part's.
    static SItemType ComplexConstantType(const Tokens& tokens)
    {
        SItemType type{ItemType::COMPLEX, 0};
        for (const SFortranToken& token : tokens)
            if (token.kind == FortranToken::REAL)
                type.nKind = std::max(type.nKind, ConstantType(token).nKind);
        return type;
    }

    SItemType FunctionType(const std::string& name, const Tokens& tokens) const
    {
        const auto it = FixedResults().find(name);
        if (it != FixedResults().end())
            return {it->second, name == "dble" ? 8 : 0};
        if (KeepsArgumentType(name) && tokens.size() > 3)
            return ExpressionType(Tokens(tokens.begin() + 2, tokens.end() - 1));
        return {};  // a function of the program's own: its type is not looked up
    }

    // The usual promotion over the operands when each is known: a
    // relational or logical operator gives LOGICAL, "//" CHARACTER.
    SItemType ExpressionType(const Tokens& tokens) const
    {
        for (const SFortranToken& token : tokens) {
            if (token.kind == FortranToken::OPERATOR && IsLogicalOperator(token.strText))
                return {ItemType::LOGICAL, 0};
            if (token.kind == FortranToken::OPERATOR && token.strText == "//")
                return {ItemType::CHARACTER, 0};
        }
        SItemType type{ItemType::INTEGER, 0};
        bool bAny = false;
        for (std::size_t i = 0; i < tokens.size(); ++i) {
            const SFortranToken& token = tokens[i];
            SItemType operand;
            if (token.kind == FortranToken::NAME) {
                const bool bCall = i + 1 < tokens.size() && tokens[i + 1].kind == FortranToken::OPEN;
                const SDeclaredName* p = m_decl.Find(token.strText);
                operand = bCall && (p == nullptr || !p->bArray) ? FunctionType(token.strText, {})
                                                                : m_decl.TypeOf(token.strText);
                if (bCall)
                    i = SkipParens(tokens, i + 1);
            } else if (token.kind == FortranToken::OPEN || token.kind == FortranToken::CLOSE ||
                       token.kind == FortranToken::OPERATOR || token.kind == FortranToken::COMMA) {
                continue;
            } else {
                operand = ConstantType(token);
            }
            if (Rank(operand.type) < 0)
                return {};
            if (!bAny || Rank(operand.type) > Rank(type.type) ||
                (Rank(operand.type) == Rank(type.type) && operand.nKind > type.nKind))
                type = operand;
            bAny = true;
        }
        return bAny ? type : SItemType{};
    }

    static bool IsLogicalOperator(const std::string& op)
    {
        static constexpr std::string_view kOperators[] = {
            "==",   "/=",   "<",    ">",     "<=",   ">=",    ".eq.",  ".ne.",  ".lt.",
            ".le.", ".gt.", ".ge.", ".and.", ".or.", ".not.", ".eqv.", ".neqv."};
        return std::find(std::begin(kOperators), std::end(kOperators), op) != std::end(kOperators);
    }

    static std::size_t SkipParens(const Tokens& tokens, std::size_t i)
    {
        int nDepth = 0;
        for (; i < tokens.size(); ++i) {
            nDepth += tokens[i].kind == FortranToken::OPEN ? 1 : tokens[i].kind == FortranToken::CLOSE ? -1 : 0;
            if (nDepth == 0)
                return i;
        }
        return tokens.size();
    }

    std::string_view m_text;
    const CDeclarations& m_decl;
};

}  // namespace

std::vector<SIoItem> TypeItems(const std::vector<SIoListItem>& items, std::string_view text,
                               const CDeclarations& declarations)
{
    std::vector<SIoItem> typed;
    const CTyper typer(text, declarations);
    for (std::size_t i = 0; i < items.size(); ++i) {
        const std::size_t nFirst = typed.size();
        typer.Add(items[i], 1, typed);
        for (std::size_t k = nFirst; k < typed.size(); ++k)
            typed[k].nSource = i;
    }
    return typed;
}
