// The splitter: finds where each descriptor of a descriptor-list text begins
// and ends and appends it to the list, which evaluates it. Groups become a
// "(" or "n(" descriptor, their contents, and a ")" descriptor. It reads the
// text as the scanner's tokens, so a constant or a Hollerith constant is one
// token whatever separators it holds.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "char_class.h"
#include "descriptor_list.h"
#include "format_scanner.h"
#include "string_table.h"

namespace {

// Deeper nesting than any real FORMAT uses; beyond it the scan fails instead
// of recursing without bound on hostile input.
constexpr int kMaxNesting = 256;

bool IsMark(FormatTokenKind kind)
{
    return kind == TOKEN_SLASH || kind == TOKEN_BACKSLASH || kind == TOKEN_COLON;
}

}  // namespace

class CListSplitter {
public:
    CListSplitter(CDescriptorList& list, std::string_view text, SSplitLayout& layout)
        : m_list(list), m_text(text), m_layout(layout)
    {
        CFormatScanner scanner(text, CFormatScanner::MODE_LIST);
        for (SFormatToken token = scanner.NextToken();; token = scanner.NextToken()) {
            m_tokens.push_back(token);
            if (token.kind == TOKEN_END)
                break;
        }
    }

    // Scans the list; true with the layout's closing parenthesis set, or
    // false with nFail at the position where the scan stopped.
    bool Run(std::size_t& nFail)
    {
        std::size_t k = 0;
        std::size_t nClose = 0;
        if (!ScanGroupList(k, 0, nClose)) {
            nFail = m_nFail;
            return false;
        }
        m_layout.nClose = nClose;
        return true;
    }

private:
    enum State { ITEM_START, ITEM_END, AFTER_MARK, AFTER_SEP };

    const SFormatToken& Tok(std::size_t k) const { return m_tokens[std::min(k, m_tokens.size() - 1)]; }

    bool Fail(std::size_t nAt)
    {
        m_nFail = nAt;
        return false;
    }

    // Passes blanks, line ends and comments (keeping where each comment stood).
    void SkipLayout(std::size_t& k)
    {
        while (IsLayoutToken(Tok(k).kind)) {
            if (Tok(k).kind == TOKEN_COMMENT)
                m_layout.comments.push_back({Tok(k).nOffset, Tok(k).nLength});
            ++k;
        }
    }

    bool Append(std::size_t nFrom, std::size_t nTo)
    {
        if (!m_list.InsertDescriptor(m_list.size(), std::string(m_text.substr(nFrom, nTo - nFrom)).c_str()))
            return false;
        m_layout.descriptors.push_back({nFrom, nTo - nFrom});
        return true;
    }

    // The white space between a descriptor and its separator is layout, not
    // text: a line end there would show in the field and move with it. The
    // counted characters of a Hollerith constant are text, blanks or not.
    bool AppendItem(std::size_t nFrom, std::size_t nTo, std::size_t nKept)
    {
        const std::size_t nFloor = std::max(nFrom, nKept);
        while (nTo > nFloor && IsBlank(m_text[nTo - 1]))
            --nTo;
        if (Append(nFrom, nTo))
            return true;
        return m_list.Table().ExtendedForms() && nKept <= nFrom && AppendPieces(nFrom, nTo);
    }

    // The default table reads an item that no row accepts whole as the items
    // that blanks part in it with no comma between them, as the compilers
    // that accept a missing comma do ("(A A A)", "(I5 2X)"): each piece is
    // the shortest run up to a blank that is a descriptor. Nothing is
    // appended unless every piece is one.
    bool AppendPieces(std::size_t nFrom, std::size_t nTo)
    {
        std::vector<std::pair<std::size_t, std::size_t>> pieces;
        for (std::size_t nStart = nFrom; nStart < nTo;) {
            std::size_t nEnd = nStart;
            for (;;) {
                nEnd = std::min(m_text.find_first_of(" \t\n\v\f\r", nEnd + 1), nTo);
                if (ParseDescriptor(m_text.substr(nStart, nEnd - nStart), m_list.Table()).IsValid())
                    break;
                if (nEnd == nTo)
                    return false;
            }
            pieces.emplace_back(nStart, nEnd);
            nStart = nEnd;
            while (nStart < nTo && IsBlank(m_text[nStart]))
                ++nStart;
        }
        if (pieces.size() < 2)
            return false;
        const int nSize = m_list.size();
        for (const auto& [nStart, nEnd] : pieces) {
            if (!Append(nStart, nEnd)) {
                while (m_list.size() > nSize)
                    m_list.RemoveDescriptor(m_list.size() - 1);
                m_layout.descriptors.resize(static_cast<std::size_t>(nSize));
                return false;
            }
        }
        return true;
    }

    // Whether the item from nStart up to token k holds only an optional
    // repeat count, the letters DT and an optional constant: a user-defined
    // descriptor, whose constant and value list may hold separators.
    bool IsUserDefinedItem(std::size_t kStart, std::size_t k) const
    {
        std::size_t i = kStart;
        const auto skip = [&] {
            while (i < k && IsLayoutToken(Tok(i).kind))
                ++i;
        };
        skip();
        if (i < k && Tok(i).kind == TOKEN_NUMBER) {
            ++i;
            skip();
        }
        if (i >= k || Tok(i).kind != TOKEN_LETTERS ||
            !EqualsNoCase(std::string(m_text.substr(Tok(i).nOffset, Tok(i).nLength)), "DT"))
            return false;
        ++i;
        skip();
        if (i < k && Tok(i).kind == TOKEN_CONSTANT) {
            ++i;
            skip();
        }
        return i == k;
    }

    // Whether token k, or the last token before it that is no layout, is a
    // character or Hollerith constant, or that token closes a group ("2(I5)
    // I5" reads as compilers that accept a missing comma read it).
    bool NextToConstant(std::size_t k) const
    {
        const auto isConstant = [](FormatTokenKind kind) { return kind == TOKEN_CONSTANT || kind == TOKEN_HOLLERITH; };
        if (isConstant(Tok(k).kind))
            return true;
        while (k > 0 && IsLayoutToken(Tok(k - 1).kind))
            --k;
        return k > 0 && (isConstant(Tok(k - 1).kind) || Tok(k - 1).kind == TOKEN_CLOSE);
    }

    // A group: the opener's text runs from nStart to the "(" at token k;
    // blanks and line ends after it are the file's layout, as between any
    // two descriptors. The group's list follows. On success k is past the
    // group's ")" and nStart at it.
    bool Group(std::size_t& k, std::size_t& nStart, int nDepth)
    {
        const std::size_t g = Tok(k).nOffset + 1;
        if (!Append(nStart, g))
            return Fail(g);
        if (nDepth + 1 >= kMaxNesting)
            return Fail(Tok(k).nOffset);
        std::size_t nClose = 0;
        if (!ScanGroupList(k, nDepth + 1, nClose))
            return false;
        nStart = nClose;  // the group's ")" is the next descriptor
        return true;
    }

    // A count that blanks follow is a group's repeat count: what comes next
    // must open the group.
    bool CountThenBlank(std::size_t& k, std::size_t& nStart, int nDepth)
    {
        SkipLayout(k);
        if (Tok(k).kind == TOKEN_END)
            return Fail(m_text.size());
        if (Tok(k).kind != TOKEN_OPEN)
            return Fail(Tok(k).nOffset);
        return Group(k, nStart, nDepth);
    }

    // An item that is no count, constant, mark or group: it runs to the
    // next separator.
    bool PlainItem(std::size_t& k, std::size_t kStart)
    {
        const bool bExtended = m_list.Table().ExtendedForms();
        for (;; ++k) {
            const SFormatToken& t = Tok(k);
            if (t.kind == TOKEN_END)
                return Fail(m_text.size());
            if (t.kind == TOKEN_COMMENT)
                m_layout.comments.push_back({t.nOffset, t.nLength});
            if (bExtended && (t.kind == TOKEN_CONSTANT || t.kind == TOKEN_OPEN) && IsUserDefinedItem(kStart, k)) {
                if (t.kind == TOKEN_CONSTANT && t.bOpen)
                    return Fail(m_text.size());
                if (t.kind == TOKEN_OPEN) {
                    // The value list runs to its ")".
                    while (Tok(k).kind != TOKEN_CLOSE) {
                        if (Tok(++k).kind == TOKEN_END)
                            return Fail(m_text.size());
                    }
                }
                continue;
            }
            if (IsSeparatorToken(t.kind))
                return true;
            // The default table ends the item before a constant that
            // follows it without a comma (X'a').
            if (bExtended && t.kind == TOKEN_CONSTANT && k > kStart)
                return true;
            // A constant in an item that takes none cannot make it a
            // descriptor: the item is refused at the first separator in it.
            if (t.kind == TOKEN_CONSTANT) {
                const std::size_t nSeparator = m_text.substr(t.nOffset, t.nLength).find_first_of(",)/\\:");
                if (nSeparator != std::string_view::npos)
                    return Fail(t.nOffset + nSeparator);
            }
        }
    }

    // A count (digits and signs) that starts an item: a scale factor, a
    // repeated slash, a group's repeat count, or the count of a descriptor.
    bool CountItem(std::size_t& k, std::size_t& nStart, int nDepth, State& state)
    {
        const std::size_t kStart = k;
        for (;;) {
            if (Tok(k).kind == TOKEN_NUMBER || Tok(k).kind == TOKEN_SIGN) {
                ++k;
                continue;
            }
            // Blanks are no separator between digits: "1 0X" is 10X.
            std::size_t j = k;
            while (Tok(j).kind == TOKEN_BLANK || Tok(j).kind == TOKEN_LINE_END)
                ++j;
            if (j == k || Tok(j).kind != TOKEN_NUMBER || Tok(k - 1).kind != TOKEN_NUMBER)
                break;
            k = j;
        }
        const SFormatToken& t = Tok(k);
        const bool bScale = t.kind == TOKEN_LETTERS && t.nLength == 1 &&
                            (m_text[t.nOffset] == 'P' || m_text[t.nOffset] == 'p');
        if (bScale || t.kind == TOKEN_SLASH) {
            if (!Append(nStart, t.End()))
                return Fail(t.End());
            ++k;
            state = AFTER_MARK;
            return true;
        }
        if (IsLayoutToken(t.kind)) {
            if (!CountThenBlank(k, nStart, nDepth))
                return false;
        } else if (t.kind == TOKEN_OPEN) {
            if (!Group(k, nStart, nDepth))
                return false;
        } else if (t.kind == TOKEN_END) {
            return Fail(m_text.size());
        } else {
            if (!PlainItem(k, kStart))
                return false;
            state = ITEM_END;
            return true;
        }
        state = ITEM_END;
        return true;
    }

    // One item from token k (its first token after the layout before it).
    bool Item(std::size_t& k, std::size_t& nStart, std::size_t& nKept, int nDepth, State& state)
    {
        const SFormatToken& t = Tok(k);
        nStart = t.nOffset;
        state = ITEM_END;
        switch (t.kind) {
        case TOKEN_NUMBER:
        case TOKEN_SIGN: return CountItem(k, nStart, nDepth, state);
        case TOKEN_CONSTANT:
        case TOKEN_HOLLERITH:
            if (t.bOpen)
                return Fail(m_text.size());
            ++k;
            if (t.kind == TOKEN_HOLLERITH)
                nKept = t.End();
            return true;
        case TOKEN_SLASH:
        case TOKEN_BACKSLASH:
        case TOKEN_COLON:
            if (!Append(t.nOffset, t.End()))
                return Fail(t.nOffset);
            ++k;
            state = AFTER_MARK;
            return true;
        case TOKEN_OPEN: return Group(k, nStart, nDepth);
        case TOKEN_PUNCT:
            if (m_text[t.nOffset] == '*' && m_list.Table().ExtendedForms()) {
                // "*(" opens a group repeated as long as data remain.
                std::size_t q = k + 1;
                while (Tok(q).kind == TOKEN_BLANK || Tok(q).kind == TOKEN_LINE_END)
                    ++q;
                if (Tok(q).kind == TOKEN_OPEN) {
                    k = q;
                    return Group(k, nStart, nDepth);
                }
            }
            break;
        default: break;
        }
        const std::size_t kStart = k;
        return PlainItem(k, kStart);
    }

    // Where the scan of one group's list stands.
    struct SGroupScan {
        int nDepth = 0;
        int nSizeAtStart = 0;    // the descriptors before the group's first
        bool bExtended = false;  // the table in force knows the later forms
        State state = ITEM_START;
        std::size_t nStart = 0;  // where the current descriptor begins
        std::size_t nKept = 0;   // where the last Hollerith constant ended
    };
    // What one token did to the scan: the scan goes on, the group closed, or
    // the scan failed (Fail noted where).
    enum Step { STEP_ON, STEP_CLOSED, STEP_FAILED };

    Step Closed(std::size_t& k, const SFormatToken& t, std::size_t& nClose)
    {
        nClose = t.nOffset;
        ++k;
        return STEP_CLOSED;
    }
    Step Failed(std::size_t nAt)
    {
        Fail(nAt);
        return STEP_FAILED;
    }

    Step AtItemStart(std::size_t& k, const SFormatToken& t, SGroupScan& scan, std::size_t& nClose)
    {
        // The empty list, "()", prints an empty record (default table).
        if (t.kind == TOKEN_CLOSE && scan.nDepth == 0 && scan.bExtended && m_list.size() == scan.nSizeAtStart)
            return Closed(k, t, nClose);
        return Item(k, scan.nStart, scan.nKept, scan.nDepth, scan.state) ? STEP_ON : STEP_FAILED;
    }

    Step AtItemEnd(std::size_t& k, const SFormatToken& t, SGroupScan& scan, std::size_t& nClose)
    {
        if (!IsSeparatorToken(t.kind)) {
            // The default table reads a constant and the item beside it as
            // two items with no comma between them, as compilers do
            // ("x="2X, 'a' 'b').
            if (!scan.bExtended || !NextToConstant(k) || !AppendItem(scan.nStart, t.nOffset, scan.nKept))
                return Failed(t.nOffset);
            scan.state = ITEM_START;
            return STEP_ON;
        }
        if (!AppendItem(scan.nStart, t.nOffset, scan.nKept))
            return Failed(t.nOffset);
        if (t.kind == TOKEN_CLOSE)
            return Closed(k, t, nClose);
        if (t.kind == TOKEN_COMMA) {
            ++k;
            scan.state = ITEM_START;
        } else {
            scan.state = AFTER_SEP;
        }
        return STEP_ON;
    }

    Step AfterSeparator(std::size_t& k, const SFormatToken& t, SGroupScan& scan, std::size_t& nClose)
    {
        if (scan.state == AFTER_SEP && IsMark(t.kind)) {
            if (!Append(t.nOffset, t.End()))
                return Failed(t.nOffset);
            ++k;
        } else if (t.kind == TOKEN_CLOSE) {
            return Closed(k, t, nClose);
        } else {
            if (t.kind == TOKEN_COMMA)
                ++k;
            scan.state = ITEM_START;
        }
        return STEP_ON;
    }

    // Scans one parenthesised list whose "(" is the first token at or after
    // k (after layout). True with nClose at its ")" and k past it.
    bool ScanGroupList(std::size_t& k, int nDepth, std::size_t& nClose)
    {
        SkipLayout(k);
        if (Tok(k).kind != TOKEN_OPEN)
            return Fail(Tok(k).kind == TOKEN_END ? m_text.size() : Tok(k).nOffset);
        ++k;
        SGroupScan scan;
        scan.nDepth = nDepth;
        scan.nSizeAtStart = m_list.size();
        scan.bExtended = m_list.Table().ExtendedForms();
        for (;;) {
            SkipLayout(k);
            const SFormatToken& t = Tok(k);
            if (t.kind == TOKEN_END)
                return Fail(m_text.size());
            Step step = STEP_ON;
            if (scan.state == ITEM_START)
                step = AtItemStart(k, t, scan, nClose);
            else if (scan.state == ITEM_END)
                step = AtItemEnd(k, t, scan, nClose);
            else
                step = AfterSeparator(k, t, scan, nClose);
            if (step != STEP_ON)
                return step == STEP_CLOSED;
        }
    }

    CDescriptorList& m_list;
    std::string_view m_text;
    SSplitLayout& m_layout;
    std::vector<SFormatToken> m_tokens;
    std::size_t m_nFail = 0;
};

CResult CDescriptorList::Split(std::string_view text, SSplitLayout* pLayout)
{
    Clear();
    SSplitLayout layout;
    CListSplitter splitter(*this, text, layout);
    std::size_t nFail = 0;
    const bool bOk = splitter.Run(nFail);
    if (pLayout != nullptr)
        *pLayout = std::move(layout);
    if (bOk)
        return CResult();
    const long long nColumn = static_cast<long long>(nFail) + 1;
    return Message(IDS_PARSE_FAILED, nColumn).At(0, nColumn);
}
