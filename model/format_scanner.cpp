#include "format_scanner.h"

#include <algorithm>
#include <climits>

#include "char_class.h"

namespace {

// Blanks other than the line end, which is a token of its own.
bool IsInlineBlank(char c)
{
    return c != '\n' && IsBlank(c);
}

bool IsQuote(char c)
{
    return c == '\'' || c == '"';
}

struct SPunctuation {
    char ch;
    FormatTokenKind kind;
    bool bStartsItem;  // the next token may start a list item
};

constexpr SPunctuation kPunctuation[] = {
    {',', TOKEN_COMMA, true},   {'(', TOKEN_OPEN, true},       {')', TOKEN_CLOSE, false},
    {'/', TOKEN_SLASH, true},   {'\\', TOKEN_BACKSLASH, true}, {':', TOKEN_COLON, true},
    {'.', TOKEN_PERIOD, false}, {'+', TOKEN_SIGN, false},      {'-', TOKEN_SIGN, false},
};

const SPunctuation* PunctuationOf(char c)
{
    for (const SPunctuation& p : kPunctuation)
        if (p.ch == c)
            return &p;
    return nullptr;
}

}  // namespace

CFormatScanner::CFormatScanner(std::string_view text, Mode mode, const SScanState& state)
    : m_text(text), m_mode(mode), m_state(state)
{
}

SFormatToken CFormatScanner::Make(FormatTokenKind kind, std::size_t nFrom)
{
    SFormatToken token;
    token.kind = kind;
    token.nOffset = nFrom;
    token.nLength = m_nPos - nFrom;
    return token;
}

// The characters of a constant from nFrom up to and including its closing
// quote, or to the end of the text when it does not close there.
SFormatToken CFormatScanner::ConstantRest(std::size_t nFrom)
{
    const char q = m_state.chQuote;
    bool bClosed = false;
    while (m_nPos < m_text.size()) {
        const char c = m_text[m_nPos++];
        if (c != q)
            continue;
        if (m_nPos < m_text.size() && m_text[m_nPos] == q) {
            ++m_nPos;  // a doubled quote stands for one
            continue;
        }
        bClosed = true;
        break;
    }
    SFormatToken token = Make(TOKEN_CONSTANT, nFrom);
    token.bOpen = !bClosed;
    if (bClosed)
        m_state.chQuote = 0;
    EndItem(false);
    return token;
}

SFormatToken CFormatScanner::HollerithRest(std::size_t nFrom, bool bContinued)
{
    const long long nAvailable = static_cast<long long>(m_text.size() - m_nPos);
    const long long nTake = m_state.nHollerithLeft < nAvailable ? m_state.nHollerithLeft : nAvailable;
    m_nPos += static_cast<std::size_t>(nTake);
    m_state.nHollerithLeft -= nTake;
    SFormatToken token = Make(TOKEN_HOLLERITH, nFrom);
    token.bOpen = m_state.nHollerithLeft > 0;
    token.bContinued = bContinued;
    EndItem(false);
    return token;
}

// A count that starts an item, followed at once by H: a Hollerith constant.
bool CFormatScanner::HollerithStarts(std::size_t nDigitsEnd) const
{
    return m_mode == MODE_LIST && m_state.bItemStart && nDigitsEnd < m_text.size() &&
           (m_text[nDigitsEnd] == 'H' || m_text[nDigitsEnd] == 'h');
}

SFormatToken CFormatScanner::NextToken()
{
    const std::size_t nFrom = m_nPos;
    if (m_nPos >= m_text.size())
        return Make(TOKEN_END, m_text.size());
    if (m_state.chQuote != 0) {
        SFormatToken token = ConstantRest(nFrom);
        token.bContinued = true;
        return token;
    }
    if (m_state.nHollerithLeft > 0)
        return HollerithRest(nFrom, true);
    // The first character tells which kind of token starts here.
    struct SStart {
        bool (*starts)(char);
        SFormatToken (CFormatScanner::*scan)(std::size_t);
    };
    static constexpr SStart kStarts[] = {
        {[](char c) { return c == '\n'; }, &CFormatScanner::LineEnd},
        {[](char c) { return c == '\r'; }, &CFormatScanner::CarriageReturn},
        {IsInlineBlank, &CFormatScanner::Blanks},
        {[](char c) { return c == '!'; }, &CFormatScanner::Comment},
        {IsDigit, &CFormatScanner::Count},
        {IsQuote, &CFormatScanner::Constant},
        {IsLetter, &CFormatScanner::Letters},
    };
    const char c = m_text[m_nPos];
    for (const SStart& start : kStarts)
        if (start.starts(c))
            return (this->*start.scan)(nFrom);
    return Punctuation(nFrom);
}

SFormatToken CFormatScanner::LineEnd(std::size_t nFrom)
{
    ++m_nPos;
    return Make(TOKEN_LINE_END, nFrom);
}

// A carriage return outside a line end would be taken for one once the text
// is written into a line: no text holds one.
SFormatToken CFormatScanner::CarriageReturn(std::size_t nFrom)
{
    ++m_nPos;
    EndItem(false);
    return Make(TOKEN_OTHER, nFrom);
}

SFormatToken CFormatScanner::Blanks(std::size_t nFrom)
{
    while (m_nPos < m_text.size() && IsInlineBlank(m_text[m_nPos]))
        ++m_nPos;
    return Make(TOKEN_BLANK, nFrom);
}

SFormatToken CFormatScanner::Comment(std::size_t nFrom)
{
    while (m_nPos < m_text.size() && m_text[m_nPos] != '\n')
        ++m_nPos;
    return Make(TOKEN_COMMENT, nFrom);
}

// Digits: a count, or the count of a Hollerith constant that its H follows.
SFormatToken CFormatScanner::Count(std::size_t nFrom)
{
    while (m_nPos < m_text.size() && IsDigit(m_text[m_nPos]))
        ++m_nPos;
    if (HollerithStarts(m_nPos)) {
        m_state.nHollerithLeft = CountValue(m_text.substr(nFrom, m_nPos - nFrom));
        ++m_nPos;  // the H
        return HollerithRest(nFrom, false);
    }
    m_state.bCountLeads = m_state.bItemStart || m_state.bCountLeads;
    m_state.bItemStart = false;
    return Make(TOKEN_NUMBER, nFrom);
}

SFormatToken CFormatScanner::Constant(std::size_t nFrom)
{
    m_state.chQuote = m_text[m_nPos++];
    return ConstantRest(nFrom);
}

SFormatToken CFormatScanner::Letters(std::size_t nFrom)
{
    const char c = m_text[m_nPos];
    // A P right after a count ends a scale factor (2PF7.3 is 2P, F7.3).
    if (m_mode == MODE_LIST && m_state.bCountLeads && (c == 'P' || c == 'p')) {
        ++m_nPos;
        EndItem(true);
        return Make(TOKEN_LETTERS, nFrom);
    }
    while (m_nPos < m_text.size() && IsLetter(m_text[m_nPos]))
        ++m_nPos;
    EndItem(false);
    return Make(TOKEN_LETTERS, nFrom);
}

SFormatToken CFormatScanner::Punctuation(std::size_t nFrom)
{
    const char c = m_text[m_nPos++];
    if (const SPunctuation* p = PunctuationOf(c)) {
        // A sign may lead a count (-2P); anything else ends what leads.
        m_state.bCountLeads = p->kind == TOKEN_SIGN && (m_state.bItemStart || m_state.bCountLeads);
        m_state.bItemStart = p->bStartsItem;
        return Make(p->kind, nFrom);
    }
    EndItem(false);
    return Make(IsPunct(c) ? TOKEN_PUNCT : TOKEN_OTHER, nFrom);
}

void CFormatScanner::EndItem(bool bNextStartsItem)
{
    m_state.bItemStart = bNextStartsItem;
    m_state.bCountLeads = false;
}

bool IsSeparatorToken(FormatTokenKind kind)
{
    return kind == TOKEN_COMMA || kind == TOKEN_CLOSE || kind == TOKEN_SLASH || kind == TOKEN_BACKSLASH ||
           kind == TOKEN_COLON;
}

bool IsLayoutToken(FormatTokenKind kind)
{
    return kind == TOKEN_BLANK || kind == TOKEN_LINE_END || kind == TOKEN_COMMENT;
}

std::string ConstantContent(std::string_view token, char chQuote, bool bContinued, bool bOpen)
{
    std::size_t nFrom = bContinued ? 0 : 1;
    std::size_t nEnd = bOpen ? token.size() : (token.empty() ? 0 : token.size() - 1);
    std::string out;
    for (std::size_t i = nFrom; i < nEnd; ++i) {
        out += token[i];
        if (token[i] == chQuote && i + 1 < nEnd && token[i + 1] == chQuote)
            ++i;
    }
    return out;
}

namespace {

// Blanks (and line ends) are insignificant between the digits of a count.
std::string WithoutBlanks(std::string_view text)
{
    std::string out;
    for (const char c : text)
        if (!IsBlank(c))
            out += c;
    return out;
}

}  // namespace

int CountValue(std::string_view digits)
{
    // At most five characters: a decimal conversion in the manner of atoi.
    const std::string packed = WithoutBlanks(digits);
    return packed.size() >= 6 ? INT_MAX : static_cast<int>(WideCountValue(packed));
}

long long WideCountValue(std::string_view digits)
{
    constexpr long long kTooLarge = static_cast<long long>(INT_MAX) + 1;
    const std::string packed = WithoutBlanks(digits);
    std::size_t i = 0;
    long long nSign = 1;
    if (i < packed.size() && (packed[i] == '+' || packed[i] == '-'))
        nSign = packed[i++] == '-' ? -1 : 1;
    long long nValue = 0;
    while (i < packed.size() && IsDigit(packed[i]))
        nValue = std::min(nValue * 10 + (packed[i++] - '0'), kTooLarge);
    return nSign * nValue;
}
