#include "statement_writer.h"

#include <filesystem>

#include <algorithm>
#include <climits>

#include "safe_file_writer.h"
#include "source_file.h"
#include "string_table.h"

namespace {

ISaveAsDialog* g_pSaveAsDialog = nullptr;

// How the statement is laid out in each source form.
struct SLayout {
    const char* pszContinuation;  // what a continuation line starts with
    const char* pszLineEnd;       // what ends a line that is continued
};

constexpr SLayout kFixedLayout = {"     +", ""};
constexpr SLayout kFreeLayout = {"      &", "&"};

constexpr std::size_t kSplitColumn = 72;  // a split fills the line to here
constexpr std::size_t kFitLimit = 73;     // length + remaining + 4 must not pass this
constexpr std::size_t kFitSlack = 4;
constexpr std::size_t kSplitOver = 62;    // a text longer than this is split rather than moved

// Builds the statement's lines: the text is appended piece by piece, lines
// are broken with the continuation marks of the form.
class CStatementBuilder {
public:
    explicit CStatementBuilder(bool bFixedForm) : m_layout(bFixedForm ? kFixedLayout : kFreeLayout) {}

    void Start(const std::string& head) { m_line = head; m_bFresh = false; }

    // Appends a descriptor text, moving it to a new line or splitting it
    // where it does not fit. A line end inside the text breaks the line there.
    void AppendDescriptor(const std::string& text)
    {
        std::size_t nFrom = 0;
        for (;;) {
            const std::size_t nEol = text.find('\n', nFrom);
            AppendPiece(text.substr(nFrom, nEol == std::string::npos ? std::string::npos : nEol - nFrom));
            if (nEol == std::string::npos)
                return;
            Continue(true);
            nFrom = nEol + 1;
        }
    }

    // Appends text that is never moved or split (separators, parentheses);
    // line ends inside it break the line as in a descriptor.
    void AppendFixed(const std::string& text)
    {
        std::size_t nFrom = 0;
        for (std::size_t nEol; (nEol = text.find('\n', nFrom)) != std::string::npos; nFrom = nEol + 1) {
            m_line.append(text, nFrom, nEol - nFrom);
            Continue(true);
        }
        m_line.append(text, nFrom, std::string::npos);
        m_bFresh = m_bFresh && nFrom == text.size();
    }

    std::string& Line() { return m_line; }

    // Ends the statement's last line.
    std::vector<std::string> Finish()
    {
        m_lines.push_back(m_line);
        return std::move(m_lines);
    }

    // Ends the current line as continued and starts a continuation line;
    // bSplit: the next text continues one that was broken, so no blank.
    void Continue(bool bSplit)
    {
        m_lines.push_back(m_line + m_layout.pszLineEnd);
        m_line = m_layout.pszContinuation;
        if (!bSplit)
            m_line += ' ';
        m_bFresh = true;
    }

private:
    void AppendPiece(const std::string& text)
    {
        std::string remaining = text;
        for (;;) {
            const std::size_t nLength = m_line.size();
            const bool bFits = nLength + remaining.size() + kFitSlack <= kFitLimit;
            const bool bSplit = remaining.size() > kSplitOver;
            // A text too long to fit on a fresh continuation line but too
            // short to be split (62 characters in free form) is placed there
            // whole: moving it on would only start one new line after another.
            if (bFits || (m_bFresh && !bSplit) || remaining.empty()) {
                m_line += remaining;
                m_bFresh = m_bFresh && remaining.empty();
                return;
            }
            if (bSplit && nLength < kSplitColumn) {
                const std::size_t nTake = kSplitColumn - nLength;
                m_line.append(remaining, 0, nTake);
                remaining.erase(0, nTake);
            }
            Continue(bSplit);
        }
    }

    SLayout m_layout;
    std::string m_line;
    std::vector<std::string> m_lines;
    bool m_bFresh = false;  // the line holds nothing but its continuation mark
};

// The tail goes on the last line when it fits there (fixed form: up to
// column 72), else on a continuation line of its own, never split.
void AppendTail(CStatementBuilder& builder, const std::string& tail, bool bFixedForm)
{
    std::string strTail = tail;
    if (!strTail.empty() && strTail.back() == '\n')
        strTail.pop_back();  // the statement's own line end
    if (bFixedForm && builder.Line().size() + strTail.size() > kSplitColumn)
        builder.Continue(false);
    builder.AppendFixed(strTail);
}

enum AttemptResult {
    ATTEMPT_WRITTEN,
    ATTEMPT_SOURCE_UNREADABLE,  // string 2
    ATTEMPT_SOURCE_CHANGED,     // string 8
    ATTEMPT_TARGET_FAILED,      // string 25: another place may do
};

// Streams the source into a replacement of target: the lines before the
// statement, the new statement in place of the old lines (comment lines
// between them kept), and every line after it.
AttemptResult WriteAttempt(const CDescriptorList& list, const std::vector<std::string>& statement,
                           const std::string& target)
{
    CLineReader reader;
    if (!reader.Open(list.m_strFileName))
        return ATTEMPT_SOURCE_UNREADABLE;
    CSafeFileWriter writer;
    if (!writer.Begin(target))
        return ATTEMPT_TARGET_FAILED;
    auto sink = [&writer](const char* p, std::size_t n) { return writer.Write(p, n); };

    const long long nBefore = static_cast<long long>(list.m_nFirstLine) - 1;
    const long long nCopied = reader.CopyLines(nBefore, sink);
    if (nCopied < 0)
        return ATTEMPT_TARGET_FAILED;
    if (nCopied < nBefore || reader.Failed())
        return ATTEMPT_SOURCE_CHANGED;

    // The old statement's lines: the listed ones are replaced, the others
    // between them (comment lines) are copied through. A new statement takes
    // the place of its blank line.
    std::vector<long long> oldLines(list.m_arrLines.begin(), list.m_arrLines.end());
    if (oldLines.empty())
        oldLines.push_back(list.m_nFirstLine);
    const std::string& strEnd = list.m_strLineEnd;
    std::size_t nOld = 0;
    long long nCurrent = list.m_nFirstLine;
    std::string line;
    // Reads the next source line of the old statement's stretch and checks
    // that it still reads as it did when the statement was located.
    auto readChecked = [&](std::string& out) {
        const std::size_t nIndex = static_cast<std::size_t>(nCurrent - list.m_nFirstLine);
        if (reader.AtEnd())
            return false;
        reader.ReadSourceLine(out);
        ++nCurrent;
        return !reader.Failed() && nIndex < list.m_arrOriginalLines.size() && out == list.m_arrOriginalLines[nIndex];
    };

    for (std::size_t k = 0; k < statement.size(); ++k) {
        while (nOld < oldLines.size() && nCurrent < oldLines[nOld]) {
            if (!readChecked(line))
                return ATTEMPT_SOURCE_CHANGED;
            if (!writer.Write(line) || !writer.Write(reader.LineEnd()))
                return ATTEMPT_TARGET_FAILED;
        }
        if (!writer.Write(statement[k]) || !writer.Write(strEnd))
            return ATTEMPT_TARGET_FAILED;
        if (nOld < oldLines.size()) {
            if (!readChecked(line))
                return ATTEMPT_SOURCE_CHANGED;
            ++nOld;
        }
    }
    // The rest of the old statement: its remaining lines are dropped, the
    // comment lines between them kept.
    while (nOld < oldLines.size()) {
        if (!readChecked(line))
            return ATTEMPT_SOURCE_CHANGED;
        if (nCurrent - 1 == oldLines[nOld])
            ++nOld;
        else if (!writer.Write(line) || !writer.Write(reader.LineEnd()))
            return ATTEMPT_TARGET_FAILED;
    }
    if (reader.CopyLines(LLONG_MAX, sink) < 0)
        return ATTEMPT_TARGET_FAILED;
    if (reader.Failed())
        return ATTEMPT_SOURCE_UNREADABLE;
    return writer.Commit() ? ATTEMPT_WRITTEN : ATTEMPT_TARGET_FAILED;
}

}  // namespace

void SetSaveAsDialog(ISaveAsDialog* pDialog)
{
    g_pSaveAsDialog = pDialog;
}

std::string QuoteText(const std::string& text, char quote)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        out += c;
        if (c == quote)
            out += c;
    }
    return out;
}

std::vector<std::string> BuildStatementLines(const CDescriptorList& list)
{
    const bool bString = list.m_chDelimiter != 'f';
    CStatementBuilder builder(list.m_bFixedForm != 0);
    builder.Start(list.m_strHead);
    if (bString)
        builder.AppendFixed(std::string(1, list.m_chDelimiter));
    builder.AppendFixed("(" + std::string(static_cast<std::size_t>(std::max(0, list.m_nParenBlanks)), ' '));
    for (int i = 0; i < list.size(); ++i) {
        const std::string& text = list.At(i).Text();
        builder.AppendDescriptor(bString ? QuoteText(text, list.m_chDelimiter) : text);
        if (list.At(i).NeedsComma())
            builder.AppendFixed(", ");
    }
    builder.AppendFixed(")");
    if (bString)
        builder.AppendFixed(std::string(1, list.m_chDelimiter));
    AppendTail(builder, list.m_strTail, list.m_bFixedForm != 0);
    return builder.Finish();
}

int CommitStatement(CDescriptorList& list, int nCurrentIndex, OwnerHandle owner, int interactive,
                    std::string* pWrittenTo)
{
    if (nCurrentIndex >= 0 && nCurrentIndex < list.size())
        list.RevertToGood(nCurrentIndex);
    if (!list.IsBalanced()) {
        ShowMessage(owner, MB_OK, IDS_UNBALANCED);
        return 0;
    }
    return WriteStatement(list, interactive, pWrittenTo);
}

int WriteStatement(const CDescriptorList& list, int interactive, std::string* pWrittenTo)
{
    if (list.m_strFileName.empty())
        return 0;
    const OwnerHandle owner = list.m_hOwnerWnd;
    const std::vector<std::string> statement = BuildStatementLines(list);
    std::string target = list.m_strFileName;
    for (;;) {
        const AttemptResult result = IsReadOnlyFile(target) ? ATTEMPT_TARGET_FAILED : WriteAttempt(list, statement, target);
        switch (result) {
        case ATTEMPT_WRITTEN:
            if (pWrittenTo != nullptr)
                *pWrittenTo = target;
            return 1;
        case ATTEMPT_SOURCE_UNREADABLE:
            ShowMessage(owner, MB_ICONEXCLAMATION, IDS_CANNOT_OPEN_FILE, list.m_strFileName.c_str());
            return 0;
        case ATTEMPT_SOURCE_CHANGED:
            ShowMessage(owner, MB_ICONEXCLAMATION, IDS_FILE_CHANGED, list.m_strFileName.c_str());
            return 0;
        case ATTEMPT_TARGET_FAILED: break;
        }
        const int nAnswer = ShowMessage(owner, MB_OKCANCEL | MB_ICONEXCLAMATION, IDS_CANNOT_WRITE, target.c_str());
        if (nAnswer != IDOK || !interactive)
            return 0;
        std::string chosen = target;
        if (g_pSaveAsDialog == nullptr || !g_pSaveAsDialog->AskFileName(owner, list.m_bFixedForm != 0, chosen) ||
            chosen.empty())
            return 0;
        target = chosen;
    }
}

bool IsSameFile(const std::string& strFirst, const std::string& strSecond)
{
    std::error_code error;
    return std::filesystem::equivalent(strFirst, strSecond, error) && !error;
}
