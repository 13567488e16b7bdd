// The lexer: cuts one descriptor text into tokens and writes one class letter
// per token (W unsigned number, S signed number, T letters or Hollerith
// parts, . period, Q character constant in apostrophes or double quotes,
// P punctuation, V the value list of a user-defined descriptor).
#include "char_class.h"
#include "descriptor.h"

namespace {

enum LexState {
    LEX_START,
    LEX_DIGITS,
    LEX_SIGN,
    LEX_SIGNED_DIGITS,
    LEX_LETTERS,
    LEX_PERIOD,
    LEX_STRING,
    LEX_STRING_QUOTE,
    LEX_PUNCT,
    LEX_HOLLERITH,
    LEX_SUCCESS,
    LEX_FAILURE,
};

class CLexer {
public:
    CLexer(const char* text, std::string& classes, CStringArray& tokens)
        : m_p(text), m_classes(classes), m_tokens(tokens)
    {
        m_classes.clear();
        m_tokens.clear();
    }

    int Run()
    {
        LexState state = LEX_START;
        while (state != LEX_SUCCESS && state != LEX_FAILURE)
            state = Step(state);
        return state == LEX_SUCCESS ? 1 : 0;
    }

private:
    void Emit(char chClass)
    {
        m_classes += chClass;
        m_tokens.push_back(m_token);
    }

    // Takes the current character into the token and moves on.
    void Take() { m_token += *m_p++; }

    LexState Step(LexState state)
    {
        const char c = *m_p;
        switch (state) {
        case LEX_START: return Start(c);
        case LEX_DIGITS:
            if (IsDigit(c)) { Take(); return LEX_DIGITS; }
            Emit('W');
            return LEX_START;
        case LEX_SIGN:
            return IsDigit(c) ? LEX_SIGNED_DIGITS : LEX_FAILURE;
        case LEX_SIGNED_DIGITS:
            if (IsDigit(c)) { Take(); return LEX_SIGNED_DIGITS; }
            Emit('S');
            return LEX_START;
        case LEX_LETTERS:
            if (IsLetter(c)) { Take(); return LEX_LETTERS; }
            Emit('T');
            return LEX_START;
        case LEX_PERIOD:
            m_token = ".";
            ++m_p;
            Emit('.');
            return LEX_START;
        case LEX_STRING:
            if (c == '\0')
                return LEX_FAILURE;  // unclosed constant
            Take();
            return c == m_chQuote ? LEX_STRING_QUOTE : LEX_STRING;
        case LEX_STRING_QUOTE:
            if (c == m_chQuote) { Take(); return LEX_STRING; }  // a doubled quote
            // One character after the closing quote is passed over; not the
            // value list that may follow the constant of a DT descriptor.
            if (c != '\0' && !(c == '(' && !m_classes.empty() && m_classes.back() == 'T'))
                ++m_p;
            Emit('Q');
            return LEX_START;
        case LEX_PUNCT:
            if (IsRunPunct(c)) { Take(); return LEX_PUNCT; }
            // Blanks inside a run of punctuation ("* (") are layout: the run
            // goes on. No valid text had blanks there, so none reads anew.
            if (IsBlank(c)) {
                const char* q = m_p;
                while (IsBlank(*q))
                    ++q;
                if (IsRunPunct(*q)) {
                    m_p = q;
                    return LEX_PUNCT;
                }
            }
            Emit('P');
            return LEX_START;
        case LEX_HOLLERITH: return Hollerith();
        default: return LEX_FAILURE;
        }
    }

    LexState Start(char c)
    {
        if (c == '\0')
            return LEX_SUCCESS;
        if (IsBlank(c)) {
            ++m_p;
            return LEX_START;
        }
        m_token.clear();
        if (IsDigit(c))
            return LEX_DIGITS;
        if (c == '+' || c == '-') { Take(); return LEX_SIGN; }
        if (c == '\'' || c == '"') {
            m_chQuote = c;
            Take();
            return LEX_STRING;
        }
        if (c == '(' && !m_classes.empty() && (m_classes.back() == 'T' || m_classes.back() == 'Q') && ValueList())
            return LEX_START;
        if (c == '.')
            return LEX_PERIOD;
        if (c == 'H' || c == 'h')
            return LEX_HOLLERITH;
        if (IsLetter(c))
            return LEX_LETTERS;
        if (IsPunct(c))
            return LEX_PUNCT;
        return LEX_FAILURE;
    }

    static bool IsRunPunct(char c) { return IsPunct(c) && c != '.' && c != '\'' && c != '"'; }

    // A parenthesised list of signed or unsigned integers after letters or a
    // character constant, as in DT'text'(10,2): one V token, blanks left out.
    // Anything else leaves the parenthesis to the punctuation rules.
    bool ValueList()
    {
        const char* q = m_p + 1;
        std::string token = "(";
        for (;;) {
            while (IsBlank(*q))
                ++q;
            if (*q == '+' || *q == '-')
                token += *q++;
            if (!IsDigit(*q))
                return false;
            while (IsDigit(*q))
                token += *q++;
            while (IsBlank(*q))
                ++q;
            if (*q == ')')
                break;
            if (*q != ',')
                return false;
            token += *q++;
        }
        m_token = token + ")";
        m_p = q + 1;
        Emit('V');
        return true;
    }

    // An H after a number starts a Hollerith constant of that many
    // characters; anywhere else it is an ordinary letter.
    LexState Hollerith()
    {
        if (m_classes.empty() || m_classes.back() != 'W')
            return LEX_LETTERS;
        const int n = CountValue(m_tokens.back().c_str());
        m_token = std::string(1, *m_p++);
        Emit('T');
        m_token.clear();
        for (int i = 0; i < n; ++i) {
            if (*m_p == '\0')
                return LEX_FAILURE;  // characters still owed
            Take();
        }
        Emit('T');
        return LEX_START;
    }

    const char* m_p;
    char m_chQuote = '\'';  // the quote that opened the current constant
    std::string m_token;
    std::string& m_classes;
    CStringArray& m_tokens;
};

}  // namespace

int CDescriptor::Lex(const char* text, std::string& classes, CStringArray& tokens)
{
    return CLexer(text, classes, tokens).Run();
}
