#include "declarations.h"

#include <algorithm>
#include <limits>
#include <tuple>
#include <vector>

#include "fortran_tokens.h"

namespace {

using Tokens = std::vector<SFortranToken>;

bool IsName(const Tokens& t, std::size_t i, std::string_view name)
{
    return i < t.size() && t[i].kind == FortranToken::NAME && t[i].strText == name;
}

bool Is(const Tokens& t, std::size_t i, FortranToken kind)
{
    return i < t.size() && t[i].kind == kind;
}

bool IsOp(const Tokens& t, std::size_t i, std::string_view op)
{
    return Is(t, i, FortranToken::OPERATOR) && t[i].strText == op;
}

// The index of the ")" closing the "(" at i; t.size() when none does.
std::size_t Closing(const Tokens& t, std::size_t i)
{
    int nDepth = 0;
    for (; i < t.size(); ++i) {
        nDepth += Is(t, i, FortranToken::OPEN) ? 1 : Is(t, i, FortranToken::CLOSE) ? -1 : 0;
        if (nDepth == 0)
            return i;
    }
    return t.size();
}

// [nFrom, nTo) cut at its top-level commas.
std::vector<std::pair<std::size_t, std::size_t>> Parts(const Tokens& t, std::size_t nFrom, std::size_t nTo)
{
    std::vector<std::pair<std::size_t, std::size_t>> parts;
    int nDepth = 0;
    std::size_t nStart = nFrom;
    for (std::size_t i = nFrom; i < nTo; ++i) {
        nDepth += Is(t, i, FortranToken::OPEN) ? 1 : Is(t, i, FortranToken::CLOSE) ? -1 : 0;
        if (nDepth == 0 && Is(t, i, FortranToken::COMMA)) {
            parts.emplace_back(nStart, i);
            nStart = i + 1;
        }
    }
    if (nTo > nStart)
        parts.emplace_back(nStart, nTo);
    return parts;
}

// An integer expression of literals, named constants, + - * / and
// parentheses; nothing when any part is not known.
class CValueReader {
public:
    CValueReader(const CDeclarations& decl, const Tokens& tokens) : m_decl(decl), m_t(tokens) {}

    std::optional<long long> Value(std::size_t nFrom, std::size_t nTo) const
    {
        std::size_t i = nFrom;
        const std::optional<long long> value = Sum(i, nTo);
        return i == nTo ? value : std::nullopt;
    }

    std::optional<long long> Sum(std::size_t& i, std::size_t nTo) const
    {
        const bool bNegative = IsOp(m_t, i, "-");
        if (bNegative || IsOp(m_t, i, "+"))
            ++i;
        std::optional<long long> value = Product(i, nTo);
        if (value && bNegative)
            value = *value == std::numeric_limits<long long>::min() ? std::nullopt : std::optional<long long>(-*value);
        while (value && i < nTo && (IsOp(m_t, i, "+") || IsOp(m_t, i, "-"))) {
            const bool bMinus = IsOp(m_t, i++, "-");
            const std::optional<long long> next = Product(i, nTo);
            long long nResult = 0;
            const bool bOverflow = !next || (bMinus ? __builtin_sub_overflow(*value, *next, &nResult)
                                                    : __builtin_add_overflow(*value, *next, &nResult));
            value = bOverflow ? std::nullopt : std::optional<long long>(nResult);
        }
        return value;
    }

    std::optional<long long> Product(std::size_t& i, std::size_t nTo) const
    {
        std::optional<long long> value = Primary(i, nTo);
        while (value && i < nTo && (IsOp(m_t, i, "*") || IsOp(m_t, i, "/"))) {
            const bool bDivide = IsOp(m_t, i++, "/");
            const std::optional<long long> next = Primary(i, nTo);
            long long nResult = 0;
            if (!next ||
                (bDivide && (*next == 0 || (*next == -1 && *value == std::numeric_limits<long long>::min()))) ||
                (!bDivide && __builtin_mul_overflow(*value, *next, &nResult)))
                return std::nullopt;  // not known, or past what a count can be
            value = bDivide ? *value / *next : nResult;
        }
        return value;
    }

    std::optional<long long> Primary(std::size_t& i, std::size_t nTo) const
    {
        if (i >= nTo)
            return std::nullopt;
        if (Is(m_t, i, FortranToken::OPEN)) {
            const std::size_t nClose = Closing(m_t, i);
            if (nClose >= nTo)
                return std::nullopt;
            const std::optional<long long> value = Value(i + 1, nClose);
            i = nClose + 1;
            return value;
        }
        const SFortranToken& token = m_t[i++];
        if (token.kind == FortranToken::INTEGER && token.strText.find('_') == std::string::npos &&
            token.strText.size() < 18)
            return std::stoll(token.strText);
        if (token.kind == FortranToken::NAME && !Is(m_t, i, FortranToken::OPEN))
            if (const SDeclaredName* p = m_decl.Find(token.strText))
                return p->value;
        return std::nullopt;
    }

private:
    const CDeclarations& m_decl;
    const Tokens& m_t;
};

}  // namespace

// Reads the statements of one scoping unit into its declarations.
class CDeclarationReader {
public:
    CDeclarationReader(CDeclarations& decl, Tokens tokens, const PlaceOfOffset& placeOf)
        : m_decl(decl), m_t(std::move(tokens)), m_placeOf(placeOf)
    {
    }

    bool Statement()
    {
        if (m_t.empty())
            return false;
        if (IsName(m_t, 0, "implicit"))
            return Implicit();
        if (IsName(m_t, 0, "dimension"))
            return Entities(1, nullptr);
        if (IsName(m_t, 0, "parameter") && Is(m_t, 1, FortranToken::OPEN))
            return Parameters(2, Closing(m_t, 1));
        if (IsName(m_t, 0, "common"))
            return Common();
        if (IsName(m_t, 0, "namelist"))
            return Namelist();
        SItemType type;
        long long nLength = -1;
        const std::size_t nAfter = TypeSpec(0, type, nLength);
        if (nAfter == 0 || IsName(m_t, nAfter, "function") || IsOp(m_t, nAfter, "="))
            return false;
        return TypeDeclaration(nAfter, type, nLength);
    }

private:
    std::optional<long long> Value(std::size_t nFrom, std::size_t nTo) const
    {
        return CValueReader(m_decl, m_t).Value(nFrom, nTo);
    }

    // A type keyword with its kind or length: the index after it, 0 when the
    // statement does not start with one.
    std::size_t TypeSpec(std::size_t i, SItemType& type, long long& nLength) const
    {
        static constexpr std::pair<std::string_view, ItemType> kTypes[] = {
            {"integer", ItemType::INTEGER},       {"real", ItemType::REAL},
            {"complex", ItemType::COMPLEX},       {"logical", ItemType::LOGICAL},
            {"character", ItemType::CHARACTER},   {"doubleprecision", ItemType::REAL},
            {"doublecomplex", ItemType::COMPLEX}, {"type", ItemType::DERIVED},
            {"class", ItemType::DERIVED},
        };
        if (!Is(m_t, i, FortranToken::NAME))
            return 0;
        std::string word = m_t[i].strText;
        if (word == "double" && Is(m_t, i + 1, FortranToken::NAME))
            word += m_t[++i].strText;
        type = {};
        for (const auto& [keyword, itemType] : kTypes)
            if (word == keyword)
                type.type = itemType;
        if (type.type == ItemType::UNKNOWN)
            return 0;
        if (word.rfind("double", 0) == 0)
            type.nKind = 8;
        ++i;
        if (type.type == ItemType::DERIVED)
            return Is(m_t, i, FortranToken::OPEN) ? Closing(m_t, i) + 1 : 0;  // TYPE t defines, TYPE(t) declares
        if (IsOp(m_t, i, "*"))
            return Star(i + 1, type, nLength);
        if (Is(m_t, i, FortranToken::OPEN)) {
            const std::size_t nClose = Closing(m_t, i);
            Selector(i + 1, nClose, type, nLength);
            return nClose + 1;
        }
        return i;
    }

    // INTEGER*4, COMPLEX*16 (8 a part), CHARACTER*8, CHARACTER*(*), CHARACTER*(n).
    std::size_t Star(std::size_t i, SItemType& type, long long& nLength) const
    {
        std::optional<long long> value;
        std::size_t nNext = i + 1;
        if (Is(m_t, i, FortranToken::OPEN)) {
            nNext = Closing(m_t, i) + 1;
            value = Value(i + 1, nNext - 1);
        } else if (Is(m_t, i, FortranToken::INTEGER)) {
            value = Value(i, i + 1);
        }
        if (type.type == ItemType::CHARACTER)
            nLength = value.value_or(-1);
        else
            type.nKind = static_cast<int>(value.value_or(0) / (type.type == ItemType::COMPLEX ? 2 : 1));
        return nNext;
    }

    // (n), (KIND=n), (LEN=n, KIND=k), (n, k), (*).
    void Selector(std::size_t nFrom, std::size_t nTo, SItemType& type, long long& nLength) const
    {
        const auto parts = Parts(m_t, nFrom, nTo);
        for (std::size_t k = 0; k < parts.size(); ++k) {
            auto [nStart, nEnd] = parts[k];
            std::string key = k == 0 && type.type == ItemType::CHARACTER ? "len" : "kind";
            if (nEnd - nStart >= 2 && Is(m_t, nStart, FortranToken::NAME) && IsOp(m_t, nStart + 1, "=")) {
                key = m_t[nStart].strText;
                nStart += 2;
            }
            const std::optional<long long> value = Value(nStart, nEnd);
            if (key == "len")
                nLength = value.value_or(-1);
            else if (key == "kind" && value)
                type.nKind = static_cast<int>(*value);
        }
    }

    bool TypeDeclaration(std::size_t i, const SItemType& type, long long nLength)
    {
        bool bParameter = false;
        std::optional<std::pair<std::size_t, std::size_t>> dimension;
        // [, attribute]... ::
        while (Is(m_t, i, FortranToken::COMMA) && Is(m_t, i + 1, FortranToken::NAME)) {
            const std::string& attribute = m_t[i + 1].strText;
            bParameter = bParameter || attribute == "parameter";
            i += 2;
            if (Is(m_t, i, FortranToken::OPEN)) {
                const std::size_t nClose = Closing(m_t, i);
                if (attribute == "dimension")
                    dimension = std::make_pair(i + 1, nClose);
                i = nClose + 1;
            }
        }
        if (Is(m_t, i, FortranToken::COLON) && Is(m_t, i + 1, FortranToken::COLON))
            i += 2;
        SDeclared declared{type, nLength, bParameter, dimension};
        return Entities(i, &declared);
    }

    struct SDeclared {
        SItemType type;
        long long nLength;
        bool bParameter;
        std::optional<std::pair<std::size_t, std::size_t>> dimension;
    };

    // name [(array spec)] [*len] [= value], ...
    bool Entities(std::size_t nFrom, const SDeclared* pDeclared)
    {
        bool bAny = false;
        for (const auto& [nStart, nEnd] : Parts(m_t, nFrom, m_t.size())) {
            if (!Is(m_t, nStart, FortranToken::NAME))
                continue;
            SDeclaredName& name = m_decl.m_names[m_t[nStart].strText];
            std::size_t i = nStart + 1;
            if (Is(m_t, i, FortranToken::OPEN)) {
                const std::size_t nClose = Closing(m_t, i);
                Dimensions(i + 1, nClose, name);
                i = nClose + 1;
            } else if (pDeclared != nullptr && pDeclared->dimension) {
                Dimensions(pDeclared->dimension->first, pDeclared->dimension->second, name);
            }
            if (pDeclared != nullptr)
                Type(name, *pDeclared, nStart, i, nEnd);
            bAny = true;
        }
        return bAny;
    }

    void Type(SDeclaredName& name, const SDeclared& declared, std::size_t nName, std::size_t i, std::size_t nEnd)
    {
        name.type = declared.type;
        name.bTyped = true;
        name.nLength = declared.nLength;
        if (IsOp(m_t, i, "*"))
            i = Star(i + 1, name.type, name.nLength);
        if (!declared.bParameter || !IsOp(m_t, i, "="))
            return;
        if (name.type.type == ItemType::CHARACTER && i + 2 == nEnd && Is(m_t, i + 1, FortranToken::CHARACTER)) {
            CharacterConstant(name, nName, i + 1);
        } else if (name.type.type == ItemType::INTEGER) {
            name.value = Value(i + 1, nEnd);
        }
    }

    // name = 'value': the name's token at nName, the value's at nValue.
    void CharacterConstant(SDeclaredName& name, std::size_t nName, std::size_t nValue) const
    {
        name.bCharacterConstant = true;
        name.strCharacterValue = m_t[nValue].strText;
        name.valuePlace = {};
        if (!m_placeOf)
            return;
        std::tie(name.valuePlace.nLine, name.valuePlace.nColumn) = m_placeOf(m_t[nName].nOffset);
        std::tie(name.valuePlace.nEndLine,
                 name.valuePlace.nEndColumn) = m_placeOf(std::max(m_t[nValue].nEnd, m_t[nValue].nOffset + 1) - 1);
    }

    void Dimensions(std::size_t nFrom, std::size_t nTo, SDeclaredName& name) const
    {
        name.bArray = true;
        long long nElements = 1;
        for (const auto& [nStart, nEnd] : Parts(m_t, nFrom, nTo)) {
            std::size_t nColon = nStart;
            while (nColon < nEnd && !Is(m_t, nColon, FortranToken::COLON))
                ++nColon;
            const std::optional<long long> lower = nColon < nEnd ? Value(nStart, nColon) : std::optional<long long>(1);
            const std::optional<long long> upper = Value(nColon < nEnd ? nColon + 1 : nStart, nEnd);
            if (!lower || !upper || nElements < 0) {
                nElements = -1;
                continue;
            }
            long long nExtent = 0;
            if (__builtin_sub_overflow(*upper, *lower, &nExtent) || __builtin_add_overflow(nExtent, 1LL, &nExtent) ||
                __builtin_mul_overflow(nElements, std::max(0LL, nExtent), &nElements))
                nElements = -1;
        }
        name.nElements = nElements;
    }

    // PARAMETER (n = 10, m = n * 2)
    bool Parameters(std::size_t nFrom, std::size_t nTo)
    {
        for (const auto& [nStart, nEnd] : Parts(m_t, nFrom, nTo)) {
            if (nEnd - nStart < 3 || !Is(m_t, nStart, FortranToken::NAME) || !IsOp(m_t, nStart + 1, "="))
                continue;
            SDeclaredName& name = m_decl.m_names[m_t[nStart].strText];
            if (Is(m_t, nStart + 2, FortranToken::CHARACTER) && nEnd == nStart + 3) {
                CharacterConstant(name, nStart, nStart + 2);
            } else {
                name.value = Value(nStart + 2, nEnd);
            }
        }
        return true;
    }

    // COMMON [/block/] a(10), b [, /c/ d]...: the dimensions it gives.
    bool Common()
    {
        std::vector<SFortranToken> kept(m_t.begin(), m_t.begin() + 1);
        for (std::size_t i = 1; i < m_t.size(); ++i) {
            if (IsOp(m_t, i, "/") || IsOp(m_t, i, "//")) {
                std::size_t j = i + 1;
                while (IsOp(m_t, i, "/") && j < m_t.size() && !IsOp(m_t, j, "/"))
                    ++j;
                i = IsOp(m_t, i, "/") ? j : i;
                if (!kept.empty() && !Is(kept, kept.size() - 1, FortranToken::COMMA))
                    kept.push_back({FortranToken::COMMA, ",", 0, 0});
                continue;
            }
            kept.push_back(m_t[i]);
        }
        m_t = std::move(kept);
        return Entities(1, nullptr);
    }

    // NAMELIST /group/ a, b [,] /other/ c: the groups' names, which a READ
    // or WRITE may give where a format stands.
    bool Namelist()
    {
        for (std::size_t i = 1; i + 2 < m_t.size(); ++i)
            if (IsOp(m_t, i, "/") && Is(m_t, i + 1, FortranToken::NAME) && IsOp(m_t, i + 2, "/"))
                m_decl.m_names[m_t[i + 1].strText].bNamelist = true;
        return true;
    }

    // IMPLICIT NONE, or IMPLICIT type (a-h, o-z) [, type (i-n)]...
    bool Implicit()
    {
        if (IsName(m_t, 1, "none")) {
            m_decl.m_bImplicitNone = true;
            return true;
        }
        std::size_t i = 1;
        while (i < m_t.size()) {
            SItemType type;
            long long nLength = -1;
            std::size_t nOpen = TypeSpec(i, type, nLength);
            if (nOpen == 0)
                return false;
            if (!Is(m_t, nOpen, FortranToken::OPEN)) {
                // REAL(8) (A-H): the kind's parentheses were taken as the letters'
                nOpen = nOpen - 1;
                while (nOpen > i && !Is(m_t, nOpen, FortranToken::OPEN))
                    --nOpen;
            }
            const std::size_t nClose = Closing(m_t, nOpen);
            Letters(nOpen + 1, nClose, type);
            i = nClose + 2;  // past ")" and ","
        }
        return true;
    }

    void Letters(std::size_t nFrom, std::size_t nTo, const SItemType& type)
    {
        for (const auto& [nStart, nEnd] : Parts(m_t, nFrom, nTo)) {
            if (!Is(m_t, nStart, FortranToken::NAME) || m_t[nStart].strText.size() != 1)
                continue;
            const char chFirst = m_t[nStart].strText[0];
            char chLast = chFirst;
            if (nEnd == nStart + 3 && IsOp(m_t, nStart + 1, "-") && Is(m_t, nStart + 2, FortranToken::NAME))
                chLast = m_t[nStart + 2].strText[0];
            for (char ch = chFirst; ch >= 'a' && ch <= chLast && ch <= 'z'; ++ch) {
                m_decl.m_implicit[ch - 'a'] = type;
                m_decl.m_bImplicitSet[ch - 'a'] = true;
            }
        }
    }

    CDeclarations& m_decl;
    Tokens m_t;
    const PlaceOfOffset& m_placeOf;
};

bool CDeclarations::Read(std::string_view statement, const PlaceOfOffset& placeOf)
{
    return CDeclarationReader(*this, FortranTokens(statement), placeOf).Statement();
}

std::optional<long long> CDeclarations::IntegerValue(std::string_view expression) const
{
    const Tokens tokens = FortranTokens(expression);
    return CValueReader(*this, tokens).Value(0, tokens.size());
}

const SDeclaredName* CDeclarations::Find(const std::string& name) const
{
    const auto it = m_names.find(name);
    return it == m_names.end() ? nullptr : &it->second;
}

SItemType CDeclarations::TypeOf(const std::string& name) const
{
    const SDeclaredName* p = Find(name);
    if (p != nullptr && p->bTyped)
        return p->type;
    if (name.empty() || name[0] < 'a' || name[0] > 'z')
        return {};
    if (m_bOpenNames)
        return {};
    const int nLetter = name[0] - 'a';
    if (m_bImplicitSet[nLetter])
        return m_implicit[nLetter];
    if (m_bImplicitNone)
        return {};
    return {name[0] >= 'i' && name[0] <= 'n' ? ItemType::INTEGER : ItemType::REAL, 0};
}

void CDeclarations::Import(const CDeclarations& module, const std::vector<std::pair<std::string, std::string>>& names,
                           bool bOnly)
{
    // A name the module declares is taken with the type it has there (its
    // implicit rules included); the module's implicit rules stay in it.
    const auto take = [&](const std::string& local, const std::string& remote) {
        // (a name it does not declare, a procedure's, is not known)
        const SDeclaredName* p = module.Find(remote);
        SDeclaredName name = p != nullptr ? *p : SDeclaredName();
        name.type = p != nullptr ? module.TypeOf(remote) : SItemType();
        name.bTyped = true;
        name.valuePlace = {};  // the module's places are in its own file
        m_names[local] = name;
    };
    if (!bOnly)
        for (const auto& [name, declared] : module.m_names)
            take(name, name);
    for (const auto& [local, remote] : names)
        take(local, remote);
    // A module that brings names of modules not read brings unknown ones.
    m_bOpenNames = m_bOpenNames || (module.m_bOpenNames && !bOnly);
}
