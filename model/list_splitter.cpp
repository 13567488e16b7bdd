// The splitter: finds where each descriptor of a descriptor-list text begins
// and ends and appends it to the list, which evaluates it. Groups become a
// "(" or "n(" descriptor, their contents, and a ")" descriptor.
#include <algorithm>
#include <string>

#include "char_class.h"
#include "descriptor_list.h"
#include "descriptor_table.h"
#include "string_table.h"

namespace {

// Deeper nesting than any real FORMAT uses; beyond it the scan fails instead
// of recursing without bound on hostile input.
constexpr int kMaxNesting = 256;

enum ScanState {
    SCAN_BEFORE_LIST,
    SCAN_ITEM_START,
    SCAN_ITEM,
    SCAN_ITEM_END,
    SCAN_STRING,
    SCAN_STRING_QUOTE,
    SCAN_NUMBER,
    SCAN_HOLLERITH,
    SCAN_NUMBER_BLANK,
    SCAN_GROUP,
    SCAN_AFTER_MARK,
    SCAN_AFTER_SEP,
    SCAN_ITEM_STRING,  // a character constant inside an item (DT'text')
    SCAN_ITEM_VALUES,  // the value list of a user-defined item (DT(10,2))
};

bool IsSeparator(char c) { return c == ',' || c == ')' || c == '/' || c == '\\' || c == ':'; }
bool IsMark(char c) { return c == '/' || c == '\\' || c == ':'; }

// States in which "!" starts a comment that runs to the end of its line.
bool TakesComments(ScanState state)
{
    return state != SCAN_STRING && state != SCAN_STRING_QUOTE && state != SCAN_HOLLERITH && state != SCAN_GROUP &&
           state != SCAN_ITEM_STRING;
}

bool IsQuote(char c) { return c == '\'' || c == '"'; }

// Whether the item from pStart to p is the letters DT so far (blanks
// aside), possibly with its character constant: a user-defined descriptor,
// whose constant and value list may hold separators.
bool IsUserDefinedItem(const char* pStart, const char* p)
{
    std::string letters;
    for (const char* q = pStart; q < p && !IsQuote(*q); ++q)
        if (!IsBlank(*q))
            letters += ToUpper(*q);
    return letters == "DT";
}

const char* SkipComment(const char* p)
{
    while (*p != '\0' && *p != '\n')
        ++p;
    return *p == '\n' ? p + 1 : p;
}

}  // namespace

int CDescriptorList::Split(const char* text)
{
    Clear();
    m_arrComments.clear();
    m_pSplitText = text;
    const char* pEnd = text;
    if (ScanList(text, &pEnd)) {
        m_strTail = pEnd + 1;
        return 1;
    }
    ShowMessage(m_hOwnerWnd, MB_ICONEXCLAMATION | MB_OK, IDS_PARSE_FAILED, static_cast<int>(pEnd - text) + 1);
    return 0;
}

int CDescriptorList::ScanList(const char* text, const char** end)
{
    if (m_pSplitText == nullptr) {
        m_arrComments.clear();
        m_pSplitText = text;
    }
    const int nResult = ScanGroupList(text, end, 0);
    m_pSplitText = nullptr;
    return nResult;
}

int CDescriptorList::ScanGroupList(const char* text, const char** end, int nDepth)
{
    const char* p = text;
    const char* pStart = text;  // where the current descriptor begins
    ScanState state = SCAN_BEFORE_LIST;
    char chQuote = '\'';        // the quote of the character constant being passed
    const bool bExtended = ExtendedFormsInForce();
    const int nSizeAtStart = size();

    auto fail = [end](const char* pAt) {
        *end = pAt;
        return 0;
    };
    auto append = [this](const char* pFrom, const char* pTo) {
        return InsertDescriptor(size(), std::string(pFrom, pTo).c_str());
    };
    // The white space between a descriptor and its separator is layout, not
    // text: a line end there would show in the field and move with it. The
    // counted characters of a Hollerith constant are text, blanks or not.
    const char* pKept = text;
    auto appendItem = [&](const char* pTo) {
        const char* pFloor = std::max(pStart, pKept);
        while (pTo > pFloor && IsBlank(pTo[-1]))
            --pTo;
        return append(pStart, pTo);
    };

    for (;;) {
        const char c = *p;
        if (c == '\0')
            return fail(p);
        if (c == '!' && TakesComments(state)) {
            // The comment is no descriptor, but it is the user's text: it is
            // kept, with where it stood, for the statement's writer.
            const char* pAfter = SkipComment(p);
            const char* pStop = (pAfter > p && pAfter[-1] == '\n') ? pAfter - 1 : pAfter;
            if (m_pSplitText != nullptr)
                m_arrComments.push_back({static_cast<std::size_t>(p - m_pSplitText), std::string(p, pStop)});
            p = pAfter;
            continue;
        }
        switch (state) {
        case SCAN_BEFORE_LIST:
            if (IsBlank(c))
                ++p;
            else if (c == '(') {
                ++p;
                state = SCAN_ITEM_START;
            } else
                return fail(p);
            break;

        case SCAN_ITEM_START:
            if (IsBlank(c)) {
                ++p;
                break;
            }
            // The empty list, "()", prints an empty record (default table).
            if (c == ')' && nDepth == 0 && bExtended && size() == nSizeAtStart) {
                *end = p;
                return 1;
            }
            pStart = p;
            if (IsDigit(c) || c == '+' || c == '-')
                state = SCAN_NUMBER;
            else if (IsQuote(c)) {
                chQuote = c;
                ++p;
                state = SCAN_STRING;
            } else if (c == '*' && bExtended) {
                // "*(" opens a group repeated as long as data remain.
                const char* q = p + 1;
                while (IsBlank(*q))
                    ++q;
                if (*q == '(') {
                    p = q;
                    state = SCAN_GROUP;
                } else {
                    state = SCAN_ITEM;
                }
            } else if (IsMark(c)) {
                if (!append(p, p + 1))
                    return fail(p);
                ++p;
                state = SCAN_AFTER_MARK;
            } else if (c == '(')
                state = SCAN_GROUP;
            else
                state = SCAN_ITEM;
            break;

        case SCAN_ITEM:
            if (bExtended && (IsQuote(c) || c == '(') && IsUserDefinedItem(pStart, p)) {
                if (IsQuote(c))
                    chQuote = c;
                state = IsQuote(c) ? SCAN_ITEM_STRING : SCAN_ITEM_VALUES;
                ++p;
            } else if (IsSeparator(c))
                state = SCAN_ITEM_END;
            else
                ++p;
            break;

        case SCAN_ITEM_STRING:
            // A doubled quote closes and opens again: the same state follows.
            ++p;
            if (c == chQuote)
                state = SCAN_ITEM;
            break;

        case SCAN_ITEM_VALUES:
            ++p;
            if (c == ')')
                state = SCAN_ITEM;
            break;

        case SCAN_ITEM_END:
            if (IsBlank(c)) {
                ++p;
                break;
            }
            if (!IsSeparator(c) || !appendItem(p))
                return fail(p);
            if (c == ')') {
                *end = p;
                return 1;
            }
            if (c == ',') {
                ++p;
                state = SCAN_ITEM_START;
            } else {
                state = SCAN_AFTER_SEP;
            }
            break;

        case SCAN_STRING:
            ++p;
            if (c == chQuote)
                state = SCAN_STRING_QUOTE;
            break;

        case SCAN_STRING_QUOTE:
            if (c == chQuote) {
                ++p;  // a doubled apostrophe
                state = SCAN_STRING;
            } else {
                state = SCAN_ITEM_END;
            }
            break;

        case SCAN_NUMBER:
            if (IsDigit(c) || c == '+' || c == '-')
                ++p;
            else if (c == 'H' || c == 'h')
                state = SCAN_HOLLERITH;
            else if (IsBlank(c))
                state = SCAN_NUMBER_BLANK;
            else if (c == '(')
                state = SCAN_GROUP;
            else if (c == 'P' || c == 'p' || c == '/') {
                ++p;  // a scale factor such as 2P, or a repeated slash such as 3/
                if (!append(pStart, p))
                    return fail(p);
                state = SCAN_AFTER_MARK;
            } else
                state = SCAN_ITEM;
            break;

        case SCAN_HOLLERITH: {
            // The characters of a Hollerith constant are skipped by count, so
            // they may hold separators.
            const int n = CountValue(std::string(pStart, p).c_str());
            ++p;
            for (int i = 0; i < n; ++i, ++p)
                if (*p == '\0')
                    return fail(p);
            pKept = p;
            state = SCAN_ITEM_END;
            break;
        }

        case SCAN_NUMBER_BLANK:
            if (IsBlank(c))
                ++p;
            else
                state = SCAN_GROUP;  // the number is a group's repeat count
            break;

        case SCAN_GROUP: {
            const char* g = p + 1;
            while (IsBlank(*g))
                ++g;
            if (!append(pStart, g))
                return fail(g);
            if (nDepth + 1 >= kMaxNesting)
                return fail(p);
            const char* pClose = p;
            if (!ScanGroupList(p, &pClose, nDepth + 1))
                return fail(pClose);
            pStart = pClose;  // the group's ")" is the next descriptor
            p = pClose + 1;
            state = SCAN_ITEM_END;
            break;
        }

        case SCAN_AFTER_MARK:
            if (IsBlank(c))
                ++p;
            else if (c == ')') {
                *end = p;
                return 1;
            } else {
                if (c == ',')
                    ++p;
                state = SCAN_ITEM_START;
            }
            break;

        case SCAN_AFTER_SEP:
            if (IsBlank(c))
                ++p;
            else if (IsMark(c)) {
                if (!append(p, p + 1))
                    return fail(p);
                ++p;
            } else if (c == ')') {
                *end = p;
                return 1;
            } else {
                if (c == ',')
                    ++p;
                state = SCAN_ITEM_START;
            }
            break;
        }
    }
}
