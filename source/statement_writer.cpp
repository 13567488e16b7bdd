#include "statement_writer.h"

#include <filesystem>

#include <algorithm>
#include <climits>
#include <cstring>

#include "safe_file_writer.h"
#include "source_file.h"
#include "source_lines.h"
#include "statement_locator.h"
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
constexpr std::size_t kFreeLineLength = 132;

// Builds the statement's lines: the text is appended piece by piece, lines
// are broken with the continuation marks of the form.
class CStatementBuilder {
public:
    explicit CStatementBuilder(bool bFixedForm) : m_layout(bFixedForm ? kFixedLayout : kFreeLayout) {}

    // Starts with the head. A head that runs over lines (a FORMAT keyword
    // whose list starts on the next line) keeps its lines as they stand:
    // they carry their own continuation marks.
    void Start(const std::string& head)
    {
        std::size_t nFrom = 0;
        for (std::size_t nEol; (nEol = head.find('\n', nFrom)) != std::string::npos; nFrom = nEol + 1)
            m_lines.push_back(head.substr(nFrom, nEol - nFrom));
        m_line = head.substr(nFrom);
        m_bFresh = false;
    }

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
    bool IsFresh() const { return m_bFresh; }
    // How long a fresh continuation line is before its text.
    std::size_t ContinuationLength() const { return std::strlen(m_layout.pszContinuation) + 1; }

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

// The list's closing parenthesis, the format string's closing quote and the
// tail go on the last line when they fit there, else together onto a
// continuation line of their own, never split: a statement continues there
// as its reader expects (a format string is still open at the break, a
// FORMAT list still unclosed), so it reads back the same.
// The tail without the statement's own line end.
std::string TailText(const std::string& tail)
{
    return !tail.empty() && tail.back() == '\n' ? tail.substr(0, tail.size() - 1) : tail;
}

// What of the tail stands on the statement's last line.
std::string TailFirstLine(const std::string& tail)
{
    const std::string strTail = TailText(tail);
    return strTail.substr(0, std::min(strTail.find('\n'), strTail.size()));
}

void AppendClosing(CStatementBuilder& builder, const std::string& strClosing, const std::string& tail,
                   std::size_t nLimit)
{
    if (!builder.IsFresh() && builder.Line().size() + strClosing.size() + TailFirstLine(tail).size() > nLimit)
        builder.Continue(true);
    builder.AppendFixed(strClosing + TailText(tail));
}

// How long a statement line may grow: 72 columns in fixed form; 132
// characters in free form, or as long as the statement's longest line was.
std::size_t LineLimit(const CDescriptorList& list)
{
    if (list.m_bFixedForm)
        return kSplitColumn;
    std::size_t nLimit = kFreeLineLength;
    for (const std::string& strLine : list.m_arrOriginalLines)
        nLimit = std::max(nLimit, strLine.size());
    return nLimit;
}

// The physical lines that stand for the statement: each built line with the
// comment and the sequence number of the old line whose place it takes, a
// comment that does not fit on its line as a comment line after it; then
// the comments of old lines that no new line replaces.
struct SStatementOutput {
    std::vector<std::vector<std::string>> groups;  // per built line
    std::vector<std::string> trailing;             // comment lines for the old lines left over
};

// Whether a character constant is still open at the end of each line of a
// FORMAT statement (a constant split over lines).
std::vector<bool> OpenConstants(const std::vector<std::string>& lines)
{
    std::vector<bool> open;
    SQuoteState state;
    for (const std::string& line : lines) {
        state.ScanFixed(line, 0);
        open.push_back(state.chQuote != 0);
    }
    return open;
}

SStatementOutput DressStatementLines(const CDescriptorList& list, const std::vector<std::string>& built)
{
    SStatementOutput output;
    const std::size_t nLimit = LineLimit(list);
    const auto oldComment = [&](std::size_t k) {
        return k < list.m_arrLineComments.size() ? list.m_arrLineComments[k] : std::string();
    };
    // A comment may stand at the end of a FORMAT statement's line before the
    // one that closes the list, outside a constant; anywhere else it would
    // join the tail or a constant, so it becomes a comment line of its own.
    const std::string strTail = TailText(list.m_strTail);
    const std::size_t nClosingLine =
        built.size() - 1 - std::min<std::size_t>(built.size() - 1, static_cast<std::size_t>(std::count(strTail.begin(), strTail.end(), '\n')));
    const std::vector<bool> open = OpenConstants(built);
    for (std::size_t k = 0; k < built.size(); ++k) {
        std::string line = built[k];
        std::vector<std::string> commentLines;
        const std::string strComment = oldComment(k);
        if (!strComment.empty()) {
            // ... and only after a separator, the opening parenthesis or a
            // free-form continuation mark: after a descriptor it would become
            // part of that descriptor's text.
            const std::size_t nLast = line.find_last_not_of(' ');
            const bool bAfterSeparator =
                nLast != std::string::npos && (line[nLast] == ',' || line[nLast] == '(' || line[nLast] == '&');
            const bool bInline = list.m_chDelimiter == 'f' && k < nClosingLine && !open[k] && bAfterSeparator &&
                                 line.size() + 1 + strComment.size() <= nLimit;
            // (a blank goes between the line and the comment unless it ends in one)
            if (bInline)
                line += (line.empty() || line.back() != ' ' ? " " : "") + strComment;
            else
                commentLines.push_back(strComment);
        }
        if (list.m_bFixedForm && k < list.m_arrLines.size()) {
            const std::size_t nOld = static_cast<std::size_t>(list.m_arrLines[k] - list.m_nFirstLine);
            const std::string strSequence =
                nOld < list.m_arrOriginalLines.size() ? FixedSequenceField(list.m_arrOriginalLines[nOld]) : std::string();
            if (!strSequence.empty()) {
                if (line.size() < kSplitColumn)
                    line.append(kSplitColumn - line.size(), ' ');
                line += strSequence;
            }
        }
        commentLines.insert(commentLines.begin(), std::move(line));
        output.groups.push_back(std::move(commentLines));
    }
    for (std::size_t k = built.size(); k < list.m_arrLineComments.size(); ++k)
        if (!list.m_arrLineComments[k].empty())
            output.trailing.push_back(list.m_arrLineComments[k]);
    return output;
}

enum AttemptResult {
    ATTEMPT_WRITTEN,
    ATTEMPT_SOURCE_UNREADABLE,  // string 2
    ATTEMPT_SOURCE_CHANGED,     // string 8
    ATTEMPT_TARGET_FAILED,      // string 25: another place may do
    ATTEMPT_BACKUP_KEPT,        // the file was touched; its new contents are in a backup beside it
};

// Replaces the target with what the writer holds. When the target is the
// source file, nobody may have changed it since it was read; when it is
// another file (Save As), the source must still be as it was read too.
AttemptResult CommitAttempt(CSafeFileWriter& writer, const CDescriptorList& list, std::string& strBackup)
{
    const bool bSource = IsSameFile(writer.ResolvedTarget(), list.m_strFileName);
    if (!bSource && list.m_fileIdentity.bKnown) {
        SFileIdentity now;
        if (!ReadFileIdentity(list.m_strFileName, now) || !(now == list.m_fileIdentity)) {
            writer.Abandon();
            return ATTEMPT_SOURCE_CHANGED;
        }
    }
    switch (writer.Commit(bSource ? &list.m_fileIdentity : nullptr)) {
    case COMMIT_WRITTEN: return ATTEMPT_WRITTEN;
    case COMMIT_CHANGED: return ATTEMPT_SOURCE_CHANGED;
    case COMMIT_FAILED_BACKUP_KEPT: strBackup = writer.BackupPath(); return ATTEMPT_BACKUP_KEPT;
    case COMMIT_FAILED: break;
    }
    return ATTEMPT_TARGET_FAILED;
}

// Streams the source into a replacement of target: the lines before the
// statement, the new statement in place of the old lines (comment lines
// between them kept), and every line after it.
AttemptResult WriteAttempt(const CDescriptorList& list, const SStatementOutput& statement,
                           const std::string& target, std::string& strBackup)
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
    std::string strLastEnd = "\n";  // the line end of the last old line read
    bool bLastEmpty = false;        // and whether it was empty
    // Reads the next source line of the old statement's stretch and checks
    // that it still reads as it did when the statement was located.
    auto readChecked = [&](std::string& out) {
        const std::size_t nIndex = static_cast<std::size_t>(nCurrent - list.m_nFirstLine);
        if (reader.AtEnd())
            return false;
        reader.ReadSourceLine(out);
        strLastEnd = reader.LineEnd();
        bLastEmpty = out.empty();
        ++nCurrent;
        return !reader.Failed() && nIndex < list.m_arrOriginalLines.size() && out == list.m_arrOriginalLines[nIndex];
    };
    // Each line's end is written when the next line comes, so that the file's
    // last line keeps having none when it had none.
    std::string strPending;
    auto put = [&](const std::string& text, const std::string& end) {
        const bool bOk = writer.Write(strPending) && writer.Write(text);
        strPending = end;
        return bOk;
    };

    for (const std::vector<std::string>& group : statement.groups) {
        while (nOld < oldLines.size() && nCurrent < oldLines[nOld]) {
            if (!readChecked(line))
                return ATTEMPT_SOURCE_CHANGED;
            if (!put(line, reader.LineEnd()))
                return ATTEMPT_TARGET_FAILED;
        }
        if (nOld < oldLines.size()) {
            if (!readChecked(line))
                return ATTEMPT_SOURCE_CHANGED;
            ++nOld;
        }
        for (const std::string& strLine : group)
            if (!put(strLine, strEnd))
                return ATTEMPT_TARGET_FAILED;
    }
    // The rest of the old statement: its remaining lines are dropped (their
    // comments kept as comment lines), the comment lines between them kept.
    std::size_t nTrailing = 0;
    while (nOld < oldLines.size()) {
        if (!readChecked(line))
            return ATTEMPT_SOURCE_CHANGED;
        if (nCurrent - 1 == oldLines[nOld])
            ++nOld;
        else if (!put(line, reader.LineEnd()))
            return ATTEMPT_TARGET_FAILED;
    }
    for (; nTrailing < statement.trailing.size(); ++nTrailing)
        if (!put(statement.trailing[nTrailing], strEnd))
            return ATTEMPT_TARGET_FAILED;
    // The old stretch ended the file with a line that had no line end: so
    // does the new one. (An empty "line" at the end is only the place after
    // the file's last line end.)
    const bool bLastLineOpen = strLastEnd.empty() && reader.AtEnd() && !bLastEmpty;
    if (!bLastLineOpen && !writer.Write(strPending))
        return ATTEMPT_TARGET_FAILED;
    if (reader.CopyLines(LLONG_MAX, sink) < 0)
        return ATTEMPT_TARGET_FAILED;
    if (reader.Failed())
        return ATTEMPT_SOURCE_UNREADABLE;
    return CommitAttempt(writer, list, strBackup);
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
    const auto written = [&](int i) {
        const std::string text = list.At(i).StatementText();
        return bString ? QuoteText(text, list.m_chDelimiter) : text;
    };
    const std::string strClosing = bString ? ")" + std::string(1, list.m_chDelimiter) : std::string(")");
    const std::size_t nLimit = LineLimit(list);

    // The descriptors after the last separator belong with the closing
    // parenthesis: a line may only break after a separator (or the opening
    // parenthesis), where the reader passes over the blanks a break brings.
    int nKeepFrom = 0;
    std::size_t nKeep = strClosing.size() + TailFirstLine(list.m_strTail).size();
    for (int i = list.size() - 1; i >= 0; --i) {
        nKeep += written(i).size();
        if (i > 0 && list.At(i - 1).NeedsComma()) {
            nKeepFrom = i;
            break;
        }
    }

    CStatementBuilder builder(list.m_bFixedForm != 0);
    builder.Start(list.m_strHead);
    if (bString)
        builder.AppendFixed(std::string(1, list.m_chDelimiter));
    builder.AppendFixed("(" + std::string(static_cast<std::size_t>(std::max(0, list.m_nParenBlanks)), ' '));
    for (int i = 0; i < list.size(); ++i) {
        if (i == nKeepFrom && !builder.IsFresh() && builder.Line().size() + nKeep > nLimit &&
            builder.ContinuationLength() + nKeep <= nLimit)
            builder.Continue(false);
        builder.AppendDescriptor(written(i));
        if (list.At(i).NeedsComma())
            builder.AppendFixed(", ");
    }
    AppendClosing(builder, strClosing, list.m_strTail, nLimit);
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
    const std::vector<std::string> built = BuildStatementLines(list);
    const SStatementOutput statement = DressStatementLines(list, built);
    // Whatever is written must read back as the statement it was built from;
    // what would not (the reader would take it otherwise) is not written.
    std::vector<std::string> physical;
    for (const std::vector<std::string>& group : statement.groups)
        physical.insert(physical.end(), group.begin(), group.end());
    if (!StatementReadsBack(list, physical)) {
        ShowMessage(owner, MB_ICONEXCLAMATION, IDS_WOULD_NOT_READ_BACK, list.m_strFileName.c_str());
        return 0;
    }
    std::string target = list.m_strFileName;
    for (;;) {
        std::string strBackup;
        const AttemptResult result =
            IsReadOnlyFile(target) ? ATTEMPT_TARGET_FAILED : WriteAttempt(list, statement, target, strBackup);
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
        case ATTEMPT_BACKUP_KEPT:
            ShowMessage(owner, MB_ICONEXCLAMATION, IDS_BACKUP_KEPT, target.c_str(), strBackup.c_str());
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
