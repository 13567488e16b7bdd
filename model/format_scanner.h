// The one tokenizer of descriptor lists. Every layer reads a list through it:
// the parser of a single descriptor text, the splitter of a whole list, and
// the source layer where it follows a statement over its lines (where a
// character constant or a Hollerith constant opens and closes, where a
// comment starts). Each token has a kind, an offset and a length in the text.
//
// A text may be read in pieces (one source line after another): the state at
// the end of one piece goes in with the next, so that a constant that a line
// leaves open goes on in the next one.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

enum FormatTokenKind : int {
    TOKEN_END,        // no more text
    TOKEN_BLANK,      // a run of blanks: space, tab, vertical tab, form feed
    TOKEN_LINE_END,   // "\n"
    TOKEN_COMMENT,    // "!" up to the line end (not included)
    TOKEN_NUMBER,     // unsigned digits
    TOKEN_SIGN,       // + or -
    TOKEN_LETTERS,    // a run of letters
    TOKEN_PERIOD,     // .
    TOKEN_CONSTANT,   // 'text' or "text"; a doubled quote of its own kind stands for one
    TOKEN_HOLLERITH,  // nHtext: the count, the H and n characters of any kind
    TOKEN_COMMA,
    TOKEN_OPEN,   // (
    TOKEN_CLOSE,  // )
    TOKEN_SLASH,
    TOKEN_BACKSLASH,
    TOKEN_COLON,
    TOKEN_PUNCT,  // any other printable punctuation, one character: $ * & ; ...
    TOKEN_OTHER,  // a carriage return, another control character, a byte above the ASCII range
};

struct SFormatToken {
    FormatTokenKind kind = TOKEN_END;
    std::size_t nOffset = 0;
    std::size_t nLength = 0;
    // A constant or Hollerith constant that the text ends inside: it goes on
    // in the next piece (the scanner's state says so).
    bool bOpen = false;
    // A constant or Hollerith constant that began in an earlier piece: this
    // token is its rest, without the quote or count that opened it.
    bool bContinued = false;

    std::size_t End() const { return nOffset + nLength; }
};

// What the scanner carries from the end of one piece into the next.
struct SScanState {
    char chQuote = 0;              // inside a constant opened by this quote; 0 outside
    long long nHollerithLeft = 0;  // characters still owed to a Hollerith constant
    bool bItemStart = true;        // the next token may start a list item
    bool bCountLeads = false;      // an item so far only holds a count (digits and signs)

    // Inside a constant or a Hollerith constant.
    bool InConstant() const { return chQuote != 0 || nHollerithLeft > 0; }
};

class CFormatScanner {
public:
    enum Mode : int {
        // A descriptor list or one descriptor of it: a count that starts an
        // item and is followed by H opens a Hollerith constant, and a P right
        // after a count (2P, -1P) ends a scale factor.
        MODE_LIST,
        // Plain Fortran statement text (an I/O statement around its format
        // string): constants and comments, no Hollerith constants.
        MODE_STATEMENT,
    };

    explicit CFormatScanner(std::string_view text, Mode mode = MODE_LIST, const SScanState& state = SScanState());

    // The next token; TOKEN_END at the end of the text (and after it).
    SFormatToken NextToken();

    // The state after the tokens read so far.
    const SScanState& State() const { return m_state; }
    std::string_view Text() const { return m_text; }
    std::string_view TextOf(const SFormatToken& token) const { return m_text.substr(token.nOffset, token.nLength); }

private:
    SFormatToken Make(FormatTokenKind kind, std::size_t nFrom);
    // The tokens by their first character.
    SFormatToken LineEnd(std::size_t nFrom);
    SFormatToken CarriageReturn(std::size_t nFrom);
    SFormatToken Blanks(std::size_t nFrom);
    SFormatToken Comment(std::size_t nFrom);
    SFormatToken Count(std::size_t nFrom);
    SFormatToken Constant(std::size_t nFrom);
    SFormatToken Letters(std::size_t nFrom);
    SFormatToken Punctuation(std::size_t nFrom);
    // What comes next may start an item (after a scale factor's P), or not.
    void EndItem(bool bNextStartsItem);
    SFormatToken ConstantRest(std::size_t nFrom);
    SFormatToken HollerithRest(std::size_t nFrom, bool bContinued);
    bool HollerithStarts(std::size_t nDigitsEnd) const;

    std::string_view m_text;
    Mode m_mode;
    SScanState m_state;
    std::size_t m_nPos = 0;
};

// Whether a token separates list items: , ) / \ and :.
bool IsSeparatorToken(FormatTokenKind kind);

// Whether a token is layout only: blanks, line ends and comments.
bool IsLayoutToken(FormatTokenKind kind);

// The characters of a constant token without its quotes, each doubled quote
// taken as one (the rest of a continued or open constant as it stands).
std::string ConstantContent(std::string_view token, char chQuote, bool bContinued, bool bOpen);

// The value of a count of at most five characters (a decimal conversion:
// a sign, the leading digits; blanks anywhere are insignificant, as "1 0"
// is ten); 2147483647 for a count of six characters or more.
int CountValue(std::string_view digits);

// The same conversion for a count of any length; a value above 2147483647
// gives 2147483648, which no width or count may take.
long long WideCountValue(std::string_view digits);
