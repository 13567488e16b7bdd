#include "fortran_tokens.h"

#include <array>
#include <cctype>

namespace {

bool IsNameChar(char ch)
{
    return std::isalnum(static_cast<unsigned char>(ch)) != 0 || ch == '_';
}

bool IsDigit(char ch)
{
    return std::isdigit(static_cast<unsigned char>(ch)) != 0;
}

std::string Lower(std::string_view text)
{
    std::string s(text);
    for (char& ch : s)
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return s;
}

class CLexer {
public:
    explicit CLexer(std::string_view text) : m_text(text) {}

    std::vector<SFortranToken> Run()
    {
        while (m_nPos < m_text.size()) {
            const char ch = m_text[m_nPos];
            if (ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r') {
                ++m_nPos;
            } else if (ch == '!') {
                break;
            } else if (ch == '\'' || ch == '"') {
                Character(ch);
            } else if (IsDigit(ch) || (ch == '.' && IsDigit(At(m_nPos + 1)))) {
                Number();
            } else if (std::isalpha(static_cast<unsigned char>(ch)) != 0) {
                Name();
            } else if (ch == '.' && Dotted()) {
                continue;
            } else {
                Punctuation();
            }
        }
        return std::move(m_tokens);
    }

private:
    char At(std::size_t n) const { return n < m_text.size() ? m_text[n] : '\0'; }

    void Push(FortranToken kind, std::size_t nFrom, std::string text)
    {
        m_tokens.push_back({kind, std::move(text), nFrom, m_nPos});
    }

    void Character(char chQuote)
    {
        const std::size_t nFrom = m_nPos++;
        SCharacterRest rest = ReadCharacterRest(m_text.substr(m_nPos), chQuote);
        m_nPos += rest.nEnd;
        Push(FortranToken::CHARACTER, nFrom, std::move(rest.strValue));
    }

    // Digits, a fraction (not the start of ".eq."), an exponent, a kind.
    void Number()
    {
        const std::size_t nFrom = m_nPos;
        bool bReal = false;
        while (IsDigit(At(m_nPos)))
            ++m_nPos;
        if (At(m_nPos) == '.' && !std::isalpha(static_cast<unsigned char>(At(m_nPos + 1)))) {
            bReal = true;
            ++m_nPos;
            while (IsDigit(At(m_nPos)))
                ++m_nPos;
        } else if (At(m_nPos) == '.' && IsExponentAfterPeriod()) {
            bReal = true;
            ++m_nPos;
        }
        const char chExp = static_cast<char>(std::tolower(static_cast<unsigned char>(At(m_nPos))));
        const std::size_t nSign = At(m_nPos + 1) == '+' || At(m_nPos + 1) == '-' ? 1 : 0;
        if ((chExp == 'e' || chExp == 'd' || chExp == 'q') && IsDigit(At(m_nPos + 1 + nSign))) {
            bReal = true;
            m_nPos += 1 + nSign;
            while (IsDigit(At(m_nPos)))
                ++m_nPos;
        }
        Kind();
        Push(bReal ? FortranToken::REAL : FortranToken::INTEGER, nFrom, Lower(m_text.substr(nFrom, m_nPos - nFrom)));
    }

    // "1.e5": an exponent right after the period, not an operator (1.eq.2).
    bool IsExponentAfterPeriod() const
    {
        const char ch = static_cast<char>(std::tolower(static_cast<unsigned char>(At(m_nPos + 1))));
        const std::size_t nSign = At(m_nPos + 2) == '+' || At(m_nPos + 2) == '-' ? 1 : 0;
        return (ch == 'e' || ch == 'd' || ch == 'q') && IsDigit(At(m_nPos + 2 + nSign));
    }

    void Kind()
    {
        if (At(m_nPos) == '_' && IsNameChar(At(m_nPos + 1))) {
            ++m_nPos;
            while (IsNameChar(At(m_nPos)))
                ++m_nPos;
        }
    }

    void Name()
    {
        const std::size_t nFrom = m_nPos;
        while (IsNameChar(At(m_nPos)))
            ++m_nPos;
        Push(FortranToken::NAME, nFrom, Lower(m_text.substr(nFrom, m_nPos - nFrom)));
    }

    // .true., .and., .eq. ...: letters between two periods.
    bool Dotted()
    {
        std::size_t n = m_nPos + 1;
        while (std::isalpha(static_cast<unsigned char>(At(n))) != 0)
            ++n;
        if (n == m_nPos + 1 || At(n) != '.')
            return false;
        const std::size_t nFrom = m_nPos;
        const std::string word = Lower(m_text.substr(nFrom, n + 1 - nFrom));
        m_nPos = n + 1;
        const bool bLogical = word == ".true." || word == ".false.";
        if (bLogical)
            Kind();
        Push(bLogical ? FortranToken::LOGICAL : FortranToken::OPERATOR, nFrom, word);
        return true;
    }

    void Punctuation()
    {
        static constexpr std::array<std::string_view, 7> kPairs = {"**", "//", "==", "/=", "<=", ">=", "=>"};
        const std::size_t nFrom = m_nPos;
        for (const std::string_view pair : kPairs) {
            if (m_text.substr(m_nPos, 2) == pair) {
                m_nPos += 2;
                Push(FortranToken::OPERATOR, nFrom, std::string(pair));
                return;
            }
        }
        constexpr std::pair<char, FortranToken> kSingles[] = {
            {'(', FortranToken::OPEN},     {')', FortranToken::CLOSE},    {',', FortranToken::COMMA},
            {':', FortranToken::COLON},    {'%', FortranToken::PERCENT},  {'+', FortranToken::OPERATOR},
            {'-', FortranToken::OPERATOR}, {'*', FortranToken::OPERATOR}, {'/', FortranToken::OPERATOR},
            {'<', FortranToken::OPERATOR}, {'>', FortranToken::OPERATOR}, {'=', FortranToken::OPERATOR},
        };
        const char ch = m_text[m_nPos++];
        FortranToken kind = FortranToken::OTHER;
        for (const auto& [chSingle, single] : kSingles)
            if (ch == chSingle)
                kind = single;
        Push(kind, nFrom, std::string(1, ch));
    }

    std::string_view m_text;
    std::size_t m_nPos = 0;
    std::vector<SFortranToken> m_tokens;
};

}  // namespace

SCharacterRest ReadCharacterRest(std::string_view text, char chQuote)
{
    SCharacterRest rest;
    std::size_t i = 0;
    for (; i < text.size(); ++i) {
        if (text[i] == chQuote && (i + 1 >= text.size() || text[i + 1] != chQuote)) {
            rest.bClosed = true;
            ++i;
            break;
        }
        rest.strValue += text[i];
        rest.offsets.push_back(i);
        if (text[i] == chQuote)
            ++i;  // a doubled quote stands for one
    }
    rest.nEnd = i;
    return rest;
}

std::vector<SFortranToken> FortranTokens(std::string_view text)
{
    return CLexer(text).Run();
}
