// The lexer: cuts one descriptor text into tokens and writes one class letter
// per token (W unsigned number, S signed number, T letters or Hollerith
// parts, . period, Q character constant, P punctuation).
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
            return c == '\'' ? LEX_STRING_QUOTE : LEX_STRING;
        case LEX_STRING_QUOTE:
            if (c == '\'') { Take(); return LEX_STRING; }  // doubled apostrophe
            if (c != '\0')
                ++m_p;  // one character after the closing apostrophe is passed over
            Emit('Q');
            return LEX_START;
        case LEX_PUNCT:
            if (IsPunct(c) && c != '.' && c != '\'') { Take(); return LEX_PUNCT; }
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
        if (c == '\'') { Take(); return LEX_STRING; }
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
    std::string m_token;
    std::string& m_classes;
    CStringArray& m_tokens;
};

}  // namespace

int CDescriptor::Lex(const char* text, std::string& classes, CStringArray& tokens)
{
    return CLexer(text, classes, tokens).Run();
}
