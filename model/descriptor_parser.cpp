#include "descriptor_parser.h"

#include <algorithm>
#include <vector>

#include "char_class.h"
#include "format_scanner.h"
#include "string_table.h"

namespace {

// The significant tokens of a text (blanks and line ends left out), and
// whether it reads as tokens at all.
struct STokens {
    std::vector<SFormatToken> tokens;
    std::string_view text;
    bool bReadable = true;
    SMessage why;  // why it does not read as tokens
    // A leading count (digits and signs) that blanks follow before another
    // token: only a group may follow it ("2 (").
    bool bCountThenBlank = false;

    std::string_view Text(std::size_t i) const { return text.substr(tokens[i].nOffset, tokens[i].nLength); }
    FormatTokenKind Kind(std::size_t i) const { return i < tokens.size() ? tokens[i].kind : TOKEN_END; }
    std::size_t Size() const { return tokens.size(); }
};

STokens ReadTokens(std::string_view text)
{
    STokens out;
    out.text = text;
    // A carriage return would be taken for a line end once the text stands
    // in a source line, inside a constant too.
    if (text.find('\r') != std::string_view::npos) {
        out.bReadable = false;
        out.why = Message(IDS_WHY_CARRIAGE_RETURN);
        return out;
    }
    CFormatScanner scanner(text, CFormatScanner::MODE_LIST);
    bool bLeadingCount = true;  // only signs and digits so far
    bool bBlankAfterCount = false;
    for (SFormatToken token = scanner.NextToken(); token.kind != TOKEN_END; token = scanner.NextToken()) {
        switch (token.kind) {
        case TOKEN_BLANK:
        case TOKEN_LINE_END: bBlankAfterCount = bLeadingCount && !out.tokens.empty(); continue;
        case TOKEN_COMMENT:
        case TOKEN_OTHER:
            out.bReadable = false;
            out.why = Message(IDS_WHY_CHARACTER, std::string(text.substr(token.nOffset, 1)));
            return out;
        case TOKEN_CONSTANT:
        case TOKEN_HOLLERITH:
            // A constant goes on over a continuation line by the file's
            // layout, never by a line end of its own: the file could not
            // hold it as typed.
            if (text.substr(token.nOffset, token.nLength).find('\n') != std::string_view::npos) {
                out.bReadable = false;
                out.why = Message(IDS_WHY_LINE_END_IN_CONSTANT);
                return out;
            }
            if (token.bOpen) {
                out.bReadable = false;  // characters still owed, or a constant never closed
                out.why = Message(token.kind == TOKEN_CONSTANT ? IDS_WHY_OPEN_CONSTANT : IDS_WHY_SHORT_HOLLERITH);
                return out;
            }
            break;
        default: break;
        }
        // Blanks are no separator between digits: "1 0" is ten.
        if (token.kind == TOKEN_NUMBER && !out.tokens.empty() && out.tokens.back().kind == TOKEN_NUMBER) {
            out.tokens.back().nLength = token.End() - out.tokens.back().nOffset;
            bBlankAfterCount = false;
            continue;
        }
        if (bBlankAfterCount && token.kind != TOKEN_OPEN)
            out.bCountThenBlank = true;
        const bool bCountToken = token.kind == TOKEN_NUMBER || token.kind == TOKEN_SIGN;
        bLeadingCount = bLeadingCount && bCountToken && !bBlankAfterCount;
        bBlankAfterCount = false;
        out.tokens.push_back(token);
    }
    return out;
}

bool IsMarkToken(FormatTokenKind kind)
{
    return kind == TOKEN_OPEN || kind == TOKEN_CLOSE || kind == TOKEN_SLASH || kind == TOKEN_BACKSLASH ||
           kind == TOKEN_COLON || kind == TOKEN_COMMA || kind == TOKEN_PUNCT;
}

// What the tokens from a position on are: the shape, its letters (or
// marks) and the positions of its numbers.
struct SShape {
    DescriptorShape shape = SHAPE_NONE;
    std::string letters;
    std::size_t nLetters = 0;  // the token that holds the letters
    std::size_t nFirst = 0;    // the first token of the shape
};

// A run of marks from i to the end: their characters without the blanks.
bool MarkRun(const STokens& t, std::size_t i, std::string& marks)
{
    if (i >= t.Size())
        return false;
    marks.clear();
    for (; i < t.Size(); ++i) {
        if (!IsMarkToken(t.Kind(i)))
            return false;
        marks += t.Text(i);
    }
    return true;
}

bool Adjacent(const STokens& t, std::size_t i)
{
    return t.tokens[i].End() == t.tokens[i + 1].nOffset;
}

// A list of signed or unsigned integers in parentheses from i to the end,
// as in DT(10,-2); a sign stands right before its digits.
bool ValueList(const STokens& t, std::size_t i)
{
    if (t.Kind(i) != TOKEN_OPEN || t.Kind(t.Size() - 1) != TOKEN_CLOSE)
        return false;
    ++i;
    for (;;) {
        if (t.Kind(i) == TOKEN_SIGN) {
            if (t.Kind(i + 1) != TOKEN_NUMBER || !Adjacent(t, i))
                return false;
            ++i;
        }
        if (t.Kind(i) != TOKEN_NUMBER)
            return false;
        ++i;
        if (t.Kind(i) == TOKEN_CLOSE)
            return i + 1 == t.Size();
        if (t.Kind(i) != TOKEN_COMMA)
            return false;
        ++i;
    }
}

bool IsExponentLetter(std::string_view letters)
{
    return letters.size() == 1 && (ToUpper(letters[0]) == 'E' || ToUpper(letters[0]) == 'D');
}

SShape LettersShape(const STokens& t, std::size_t i)
{
    SShape s{SHAPE_NONE, std::string(t.Text(i)), i, i};
    const std::size_t n = t.Size() - i;
    if (n == 1) {
        s.shape = SHAPE_LETTERS;
    } else if (t.Kind(i + 1) == TOKEN_NUMBER) {
        if (n == 2)
            s.shape = SHAPE_LETTERS_W;
        else if (n == 4 && t.Kind(i + 2) == TOKEN_PERIOD && t.Kind(i + 3) == TOKEN_NUMBER)
            s.shape = SHAPE_LETTERS_WD;
        else if (n == 6 && t.Kind(i + 2) == TOKEN_PERIOD && t.Kind(i + 3) == TOKEN_NUMBER &&
                 t.Kind(i + 4) == TOKEN_LETTERS && IsExponentLetter(t.Text(i + 4)) && t.Kind(i + 5) == TOKEN_NUMBER)
            s.shape = SHAPE_LETTERS_WDE;
    } else if (t.Kind(i + 1) == TOKEN_CONSTANT) {
        if (n == 2)
            s.shape = SHAPE_LETTERS_CONSTANT;
        else if (ValueList(t, i + 2))
            s.shape = SHAPE_LETTERS_CONSTANT_VALUES;
    } else if (ValueList(t, i + 1)) {
        s.shape = SHAPE_LETTERS_VALUES;
    }
    return s;
}

SShape ShapeAt(const STokens& t, std::size_t i)
{
    SShape s;
    s.nFirst = i;
    const std::size_t n = t.Size() - i;
    if (n == 0)
        return s;
    switch (t.Kind(i)) {
    case TOKEN_LETTERS: return LettersShape(t, i);
    case TOKEN_NUMBER:
        if (n == 2 && t.Kind(i + 1) == TOKEN_LETTERS) {
            s.shape = SHAPE_COUNT_LETTERS;
            s.letters = t.Text(i + 1);
            s.nLetters = i + 1;
        } else if (MarkRun(t, i + 1, s.letters)) {
            s.shape = SHAPE_COUNT_MARK;
            s.nLetters = i + 1;
        }
        return s;
    case TOKEN_SIGN:
        if (n == 3 && t.Kind(i + 1) == TOKEN_NUMBER && Adjacent(t, i) && t.Kind(i + 2) == TOKEN_LETTERS) {
            s.shape = SHAPE_SIGNED_LETTERS;
            s.letters = t.Text(i + 2);
            s.nLetters = i + 2;
        }
        return s;
    case TOKEN_CONSTANT:
        if (n == 1)
            s.shape = SHAPE_CONSTANT;
        return s;
    case TOKEN_HOLLERITH:
        if (n == 1)
            s.shape = SHAPE_HOLLERITH;
        return s;
    default:
        if (MarkRun(t, i, s.letters)) {
            s.shape = SHAPE_MARK;
            s.nLetters = i;
        }
        return s;
    }
}

bool LettersMatch(const SDescriptorRow& row, const SShape& shape)
{
    return row.shape == shape.shape && (row.pszLetters == nullptr || EqualsNoCase(shape.letters, row.pszLetters));
}

// The row that accepts the tokens, with whether it took a leading repeat
// count; nullptr when none does.
struct SMatch {
    const SDescriptorRow* pRow = nullptr;
    bool bRepeat = false;
    SShape shape;
};

SMatch MatchRow(const STokens& t, const CDescriptorTable& table)
{
    SMatch match;
    if (!t.bReadable || t.bCountThenBlank || t.Size() == 0)
        return match;
    const SShape plain = ShapeAt(t, 0);
    const SShape repeated = (t.Kind(0) == TOKEN_NUMBER && t.Size() > 1) ? ShapeAt(t, 1) : SShape();
    for (const SDescriptorRow& row : table.Rows()) {
        if (LettersMatch(row, plain)) {
            match = {&row, false, plain};
            return match;
        }
        if (row.bRepeatAllowed && LettersMatch(row, repeated)) {
            match = {&row, true, repeated};
            return match;
        }
    }
    return match;
}

// How a row's descriptor is written, as a user reads it: "Fw.d", "nX", "kP".
std::string RowForm(const SDescriptorRow& row)
{
    const std::string letters = row.pszLetters != nullptr ? row.pszLetters : "";
    const DescriptorFamily family = FamilyOf(row.nKind);
    const bool bPosition = family == FAMILY_TAB || family == FAMILY_TAB_LEFT || family == FAMILY_TAB_RIGHT;
    const bool bDigits = family == FAMILY_INTEGER || family == FAMILY_BINARY || family == FAMILY_OCTAL ||
                         family == FAMILY_HEX;
    switch (row.shape) {
    case SHAPE_LETTERS_W: return letters + (bPosition ? "n" : "w");
    case SHAPE_LETTERS_WD: return letters + (bDigits ? "w.m" : "w.d");
    case SHAPE_LETTERS_WDE: return letters + "w.dEe";
    case SHAPE_COUNT_LETTERS:
    case SHAPE_SIGNED_LETTERS: return (row.nKind == KIND_P ? "k" : "n") + letters;
    case SHAPE_COUNT_MARK: return "n" + letters;
    case SHAPE_LETTERS_CONSTANT: return letters + "'text'";
    case SHAPE_LETTERS_VALUES: return letters + "(v,...)";
    case SHAPE_LETTERS_CONSTANT_VALUES: return letters + "'text'(v,...)";
    default: return letters;
    }
}

// The forms the table writes the descriptors of these letters in, "I, Iw or
// Iw.m"; empty when no row has them.
std::string FormsOf(const std::string& letters, const CDescriptorTable& table)
{
    std::vector<std::string> forms;
    for (const SDescriptorRow& row : table.Rows()) {
        if (row.pszLetters == nullptr || !EqualsNoCase(letters, row.pszLetters))
            continue;
        std::string form = RowForm(row);
        if (std::find(forms.begin(), forms.end(), form) == forms.end())
            forms.push_back(std::move(form));
    }
    std::string out;
    for (std::size_t i = 0; i < forms.size(); ++i) {
        if (i > 0)
            out += i + 1 == forms.size() ? LoadResourceString(IDS_WHY_OR) : ", ";
        out += forms[i];
    }
    return out;
}

std::string Upper(std::string text)
{
    for (char& c : text)
        c = ToUpper(c);
    return text;
}

// Why no row accepts the tokens: the letters no descriptor has, the letters
// in a form their descriptor is not written in, a repeat count before one
// that takes none.
SMessage WhyNoRow(const STokens& t, const CDescriptorTable& table)
{
    if (!t.bReadable)
        return t.why;
    if (t.Size() == 0)
        return Message(IDS_WHY_EMPTY);
    if (t.bCountThenBlank)
        return Message(IDS_WHY_COUNT_BLANK);
    const SShape plain = ShapeAt(t, 0);
    const SShape repeated = (t.Kind(0) == TOKEN_NUMBER && t.Size() > 1) ? ShapeAt(t, 1) : SShape();
    const SShape& named = !plain.letters.empty() ? plain : repeated;
    if (named.letters.empty())
        return Message(IDS_WHY_NOT_DESCRIPTOR);
    const std::string forms = FormsOf(named.letters, table);
    if (forms.empty())
        return Message(t.Kind(named.nLetters) == TOKEN_LETTERS ? IDS_WHY_NO_SUCH_LETTERS : IDS_WHY_NOT_DESCRIPTOR,
                       named.letters);
    for (const SDescriptorRow& row : table.Rows())
        if (!row.bRepeatAllowed && LettersMatch(row, repeated))
            return Message(IDS_WHY_NO_REPEAT, Upper(named.letters));
    return Message(IDS_WHY_WRITTEN_AS, Upper(named.letters), forms);
}

// Why the table refuses a repeat count.
SMessage WhyNoRepeat(const std::string& digits, const CDescriptorTable& table)
{
    if (digits.find_first_not_of('0') == std::string::npos)
        return Message(IDS_WHY_REPEAT_ZERO);
    return Message(IDS_WHY_REPEAT_ABOVE, table.MaxRepeatCount());
}

bool UpperCaseOf(const SMatch& match)
{
    return match.pRow->pszLetters == nullptr || IsUpper(match.shape.letters.empty() ? 'a' : match.shape.letters[0]);
}

// A width or digit count: up to five characters in the strict table, of
// any length in the default one.
long long Number(const STokens& t, std::size_t i, bool bWide)
{
    return bWide ? WideCountValue(t.Text(i)) : CountValue(t.Text(i));
}

void ReadNumbers(const STokens& t, const SShape& s, bool bWide, SParsedDescriptor& out)
{
    const std::size_t i = s.nFirst;
    const auto number = [&t, bWide](std::size_t k) { return Number(t, k, bWide); };
    switch (s.shape) {
    case SHAPE_LETTERS_WDE:
        out.nE = number(i + 5);
        out.chExponentLetter = t.Text(i + 4)[0];
        [[fallthrough]];
    case SHAPE_LETTERS_WD: out.nD = number(i + 3); [[fallthrough]];
    case SHAPE_LETTERS_W:
        out.bHasWidth = true;
        out.nW = number(i + 1);
        out.nCount = out.nW;  // Tn, TLn, TRn
        break;
    case SHAPE_COUNT_LETTERS:
    case SHAPE_COUNT_MARK: out.nCount = number(i); break;
    case SHAPE_SIGNED_LETTERS:
        out.nCount = CountValue(t.text.substr(t.tokens[i].nOffset, t.tokens[i + 1].End() - t.tokens[i].nOffset));
        break;
    case SHAPE_CONSTANT:
    case SHAPE_LETTERS_CONSTANT:
    case SHAPE_LETTERS_CONSTANT_VALUES: {
        const std::size_t k = s.shape == SHAPE_CONSTANT ? i : i + 1;
        out.chQuote = t.Text(k)[0];
        out.strConstant = ConstantContent(t.Text(k), out.chQuote, false, false);
        break;
    }
    case SHAPE_HOLLERITH: {
        const std::string_view token = t.Text(i);
        std::size_t nH = 0;
        while (nH < token.size() && IsDigit(token[nH]))
            ++nH;
        out.nCount = CountValue(token.substr(0, nH));
        out.strConstant = std::string(token.substr(nH + 1));
        out.bUpperCase = token[nH] == 'H';
        break;
    }
    default: break;
    }
}

}  // namespace

namespace {

// The record of a text; the repeat count's value is checked against the
// table only when bCheckRepeat is set.
SParsedDescriptor Parse(std::string_view text, const CDescriptorTable& table, bool bCheckRepeat)
{
    SParsedDescriptor out;
    const STokens t = ReadTokens(text);
    const SMatch match = MatchRow(t, table);
    if (match.pRow == nullptr) {
        out.refusal = WhyNoRow(t, table);
        return out;
    }
    out.bUpperCase = UpperCaseOf(match);
    // The default table reads widths, digit counts and positions of any
    // length; a scale factor keeps the count's conversion.
    const bool bWide = table.ExtendedForms() && match.pRow->nKind != KIND_P;
    ReadNumbers(t, match.shape, bWide, out);
    if (match.bRepeat) {
        out.bHasRepeat = true;
        out.strRepeat = t.Text(0);
        out.nRepeat = table.RepeatCount(out.strRepeat);
        if (bCheckRepeat && out.nRepeat < 1) {
            SParsedDescriptor refused;
            refused.refusal = WhyNoRepeat(out.strRepeat, table);
            return refused;
        }
    }
    out.nKind = static_cast<DescriptorKind>(match.pRow->nKind);
    if (out.nKind == KIND_ROUND && match.pRow->pszLetters != nullptr)
        out.chRounding = ToUpper(match.pRow->pszLetters[1]);
    return out;
}

}  // namespace

DescriptorKind ClassifyText(std::string_view text, const CDescriptorTable& table, bool* pHasRepeat, bool* pUpperCase)
{
    const SParsedDescriptor parsed = Parse(text, table, false);
    if (parsed.IsValid()) {
        if (pHasRepeat != nullptr)
            *pHasRepeat = parsed.bHasRepeat;
        if (pUpperCase != nullptr)
            *pUpperCase = parsed.bUpperCase;
    }
    return parsed.nKind;
}

SParsedDescriptor ParseDescriptor(std::string_view text, const CDescriptorTable& table)
{
    return Parse(text, table, true);
}
