#include "io_format.h"

#include <string>

#include "char_class.h"
#include "format_scanner.h"

namespace {

constexpr std::size_t kLabelDigits = 5;

struct SToken {
    FormatTokenKind kind;
    std::string_view text;
    std::size_t nOffset;
};

using Tokens = std::vector<SToken>;

bool IsWord(const SToken& token, std::string_view word)
{
    if (token.kind != TOKEN_LETTERS || token.text.size() != word.size())
        return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (ToLower(token.text[i]) != word[i])
            return false;
    return true;
}

bool IsPunct(const SToken& token, char ch)
{
    return token.kind == TOKEN_PUNCT && token.text.size() == 1 && token.text[0] == ch;
}

// The statements of the text, each as its tokens without layout.
std::vector<Tokens> StatementTokens(std::string_view text)
{
    std::vector<Tokens> statements(1);
    CFormatScanner scanner(text, CFormatScanner::MODE_STATEMENT);
    for (SFormatToken t = scanner.NextToken(); t.kind != TOKEN_END; t = scanner.NextToken()) {
        if (t.kind == TOKEN_COMMENT)
            break;
        if (IsLayoutToken(t.kind))
            continue;
        const SToken token{t.kind, scanner.TextOf(t), t.nOffset};
        if (IsPunct(token, ';'))
            statements.emplace_back();
        else
            statements.back().push_back(token);
    }
    return statements;
}

// Past the parenthesised part that opens at tokens[i]; tokens.size() when it
// does not close.
std::size_t SkipParens(const Tokens& tokens, std::size_t i)
{
    int nDepth = 0;
    for (; i < tokens.size(); ++i) {
        nDepth += tokens[i].kind == TOKEN_OPEN ? 1 : tokens[i].kind == TOKEN_CLOSE ? -1 : 0;
        if (nDepth == 0)
            return i + 1;
    }
    return tokens.size();
}

struct SItem {
    std::size_t nFrom;
    std::size_t nTo;
};

// The items of a control list whose "(" is tokens[nOpen], split at its
// top-level commas; empty when the list does not close.
std::vector<SItem> ControlItems(const Tokens& tokens, std::size_t nOpen)
{
    std::vector<SItem> items;
    int nDepth = 0;
    std::size_t nFrom = nOpen + 1;
    for (std::size_t i = nOpen; i < tokens.size(); ++i) {
        const FormatTokenKind kind = tokens[i].kind;
        nDepth += kind == TOKEN_OPEN ? 1 : kind == TOKEN_CLOSE ? -1 : 0;
        if ((kind == TOKEN_COMMA && nDepth == 1) || nDepth == 0) {
            items.push_back({nFrom, i});
            nFrom = i + 1;
        }
        if (nDepth == 0)
            return items;
    }
    return {};
}

// "NAME =" starts the item (not "=="): it is given by keyword.
bool HasKeyword(const Tokens& tokens, const SItem& item)
{
    return item.nTo - item.nFrom >= 2 && tokens[item.nFrom].kind == TOKEN_LETTERS &&
           IsPunct(tokens[item.nFrom + 1], '=') &&
           (item.nFrom + 2 >= item.nTo || !IsPunct(tokens[item.nFrom + 2], '='));
}

bool ReadLabelOrConstant(const Tokens& tokens, SItem item, SIoFormat& format);

// What a format item holds: digits only (blanks between them, as fixed form
// reads them) make a label; one constant is a format string.
bool ReadFormatItem(const Tokens& tokens, SItem item, SIoFormat& format, bool bOthers)
{
    if (item.nFrom >= item.nTo)
        return false;
    if (ReadLabelOrConstant(tokens, item, format))
        return true;
    // a name or an expression; "*" is list-directed
    if (!bOthers || (item.nTo - item.nFrom == 1 && IsPunct(tokens[item.nFrom], '*')))
        return false;
    format = {IO_FORMAT_OTHER, 0, tokens[item.nFrom].nOffset};
    format.nFormatTo = tokens[item.nTo - 1].nOffset + tokens[item.nTo - 1].text.size();
    return true;
}

bool ReadLabelOrConstant(const Tokens& tokens, SItem item, SIoFormat& format)
{
    if (item.nTo - item.nFrom == 1 && tokens[item.nFrom].kind == TOKEN_CONSTANT) {
        format = {IO_FORMAT_CONSTANT, 0, tokens[item.nFrom].nOffset};
        format.nFormatTo = tokens[item.nFrom].nOffset + tokens[item.nFrom].text.size();
        return true;
    }
    std::string strDigits;
    for (std::size_t i = item.nFrom; i < item.nTo; ++i) {
        if (tokens[i].kind != TOKEN_NUMBER)
            return false;
        strDigits += tokens[i].text;
    }
    const std::size_t nFirst = strDigits.find_first_not_of('0');
    if (nFirst == std::string::npos || strDigits.size() - nFirst > kLabelDigits)
        return false;  // 0 is no label, nor a number of six digits
    format = {IO_FORMAT_LABEL, std::stoi(strDigits.substr(nFirst)), tokens[item.nFrom].nOffset};
    format.nFormatTo = tokens[item.nTo - 1].nOffset + tokens[item.nTo - 1].text.size();
    return true;
}

// The format item of a control list: FMT= anywhere, or the second item when
// the first two are given without keywords; none with a namelist.
bool ControlListFormat(const Tokens& tokens, std::size_t nOpen, SIoFormat& format, bool bOthers)
{
    const std::vector<SItem> items = ControlItems(tokens, nOpen);
    for (const SItem& item : items) {
        if (!HasKeyword(tokens, item))
            continue;
        if (IsWord(tokens[item.nFrom], "fmt"))
            return ReadFormatItem(tokens, {item.nFrom + 2, item.nTo}, format, bOthers);
        if (IsWord(tokens[item.nFrom], "nml"))
            return false;
    }
    return items.size() >= 2 && !HasKeyword(tokens, items[0]) && !HasKeyword(tokens, items[1]) &&
           ReadFormatItem(tokens, items[1], format, bOthers);
}

// PRINT f [, list] and READ f [, list]: the format up to the first comma.
bool LeadingFormat(const Tokens& tokens, std::size_t nFrom, SIoFormat& format, bool bOthers)
{
    std::size_t nTo = nFrom;
    while (nTo < tokens.size() && tokens[nTo].kind != TOKEN_COMMA)
        ++nTo;
    return ReadFormatItem(tokens, {nFrom, nTo}, format, bOthers);
}

// The I/O list: the tokens from i to the statement's end.
void SetList(const Tokens& tokens, std::size_t i, std::size_t nEnd, SIoFormat& format)
{
    if (i < tokens.size()) {
        format.nListFrom = tokens[i].nOffset;
        format.nListTo = nEnd;
    }
}

bool StatementFormat(const Tokens& tokens, std::size_t nEnd, SIoFormat& format, bool bOthers)
{
    std::size_t i = 0;
    // IF (condition) statement
    if (tokens.size() > 1 && IsWord(tokens[0], "if") && tokens[1].kind == TOKEN_OPEN)
        i = SkipParens(tokens, 1);
    if (i + 1 >= tokens.size())
        return false;
    const SToken& keyword = tokens[i];
    const bool bOpen = tokens[i + 1].kind == TOKEN_OPEN;
    if ((IsWord(keyword, "write") || IsWord(keyword, "read")) && bOpen) {
        // WRITE(1, 2) = 3 assigns to an array element.
        const std::size_t nAfter = SkipParens(tokens, i + 1);
        if ((nAfter < tokens.size() && IsPunct(tokens[nAfter], '=')) ||
            !ControlListFormat(tokens, i + 1, format, bOthers))
            return false;
        format.bInput = IsWord(keyword, "read");
        SetList(tokens, nAfter, nEnd, format);
        return true;
    }
    if (IsWord(keyword, "print") || (IsWord(keyword, "read") && !bOpen)) {
        if (!LeadingFormat(tokens, i + 1, format, bOthers))
            return false;
        format.bInput = IsWord(keyword, "read");
        std::size_t nComma = i + 1;
        while (nComma < tokens.size() && tokens[nComma].kind != TOKEN_COMMA)
            ++nComma;
        SetList(tokens, nComma + 1, nEnd, format);
        return true;
    }
    return false;
}

}  // namespace

std::vector<SIoFormat> ReadIoFormats(std::string_view text, bool bOthers)
{
    std::vector<SIoFormat> formats;
    for (const Tokens& tokens : StatementTokens(text)) {
        SIoFormat format;
        // the statement ends before the ";" after its last token, or at the text's end
        const std::size_t nEnd = tokens.empty() ? 0 : tokens.back().nOffset + tokens.back().text.size();
        if (StatementFormat(tokens, nEnd, format, bOthers)) {
            format.nStatement = tokens.front().nOffset;
            formats.push_back(format);
        }
    }
    return formats;
}
