#include "statement_writer.h"

#include <filesystem>

#include <algorithm>
#include <climits>
#include <cstring>

#include "file_messages.h"
#include "kept_layout.h"
#include "safe_file_writer.h"
#include "source_file.h"
#include "statement_locator.h"
#include "statement_stream.h"
#include "statement_text.h"
#include "string_table.h"

namespace {

constexpr SContinuationMarks kFixedLayout = {"     +", ""};
constexpr SContinuationMarks kFreeLayout = {"      &", "&"};

constexpr std::size_t kSplitColumn = 72;  // a split fills the line to here
constexpr std::size_t kFitLimit = 73;     // length + remaining + 4 must not pass this
constexpr std::size_t kFitSlack = 4;
constexpr std::size_t kSplitOver = 62;  // a text longer than this is split rather than moved
constexpr std::size_t kFreeLineLength = 132;

// Builds the statement's lines: the text is appended piece by piece, lines
// are broken with the continuation marks of the form.
class CStatementBuilder {
public:
    explicit CStatementBuilder(bool bFixedForm) : m_layout(ContinuationMarks(bFixedForm)), m_bFixedForm(bFixedForm) {}

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
    // nSplitFrom: a constant may be split from this character on (after its
    // opening quote, or a Hollerith constant's H), where the reader takes the
    // next line's text as going on with it; npos for a text never split.
    void AppendDescriptor(const std::string& text, std::size_t nSplitFrom)
    {
        std::size_t nFrom = 0;
        for (;;) {
            const std::size_t nEol = text.find('\n', nFrom);
            AppendPiece(text.substr(nFrom, nEol == std::string::npos ? std::string::npos : nEol - nFrom),
                        nFrom == 0 ? nSplitFrom : std::string::npos);
            if (nEol == std::string::npos)
                return;
            Continue(true);
            nFrom = nEol + 1;
        }
    }

    // Appends a separator: in fixed form, where it would pass column 72,
    // without its blank, or on the next line.
    void AppendSeparator(const std::string& text)
    {
        if (m_bFixedForm && !m_bFresh && m_line.size() + text.size() > kSplitColumn) {
            const std::string strBare = text.substr(0, text.find_last_not_of(' ') + 1);
            if (m_line.size() + strBare.size() <= kSplitColumn) {
                m_line += strBare;
                return;
            }
            Continue(false);
        }
        AppendFixed(text);
    }

    // Appends text that is never split (the list's opening parenthesis): in
    // fixed form it goes on the next line where it would pass column 72.
    void AppendWhole(const std::string& text)
    {
        if (m_bFixedForm && !m_bFresh && m_line.size() + text.size() > kSplitColumn)
            Continue(true);
        AppendFixed(text);
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
    // Whether nLength more characters fit on the line as a descriptor does.
    bool Fits(std::size_t nLength) const { return m_line.size() + nLength + kFitSlack <= kFitLimit; }
    bool CutsCharacter() const { return m_bCutsCharacter; }
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
    void AppendPiece(const std::string& text, std::size_t nSplitFrom)
    {
        std::string remaining = text;
        for (;;) {
            const bool bFits = Fits(remaining.size());
            // Only a constant is split, and only inside it: anywhere else the
            // reader would take the line break for a line end in the text.
            const bool bSplit = remaining.size() > kSplitOver && nSplitFrom != std::string::npos;
            // A text too long to fit on a fresh continuation line but too
            // short to be split (62 characters in free form) is placed there
            // whole: moving it on would only start one new line after another.
            if (bFits || (m_bFresh && !bSplit) || remaining.empty()) {
                m_line += remaining;
                m_bFresh = m_bFresh && remaining.empty();
                return;
            }
            const std::size_t nTake = bSplit ? SplitPoint(remaining, nSplitFrom) : 0;
            const bool bInside = nTake > 0;
            if (bInside) {
                m_line.append(remaining, 0, nTake);
                remaining.erase(0, nTake);
                nSplitFrom = 0;  // the rest is all inside the constant
                if (remaining.empty()) {
                    m_bFresh = false;
                    return;  // the text ended with the line: nothing goes on
                }
            }
            Continue(bInside);
        }
    }

    // How much of a constant's text goes on the line before the line breaks
    // inside it; 0 when it cannot break there. A break never cuts a UTF-8
    // character in two. A fixed-form line must reach column 72 (the reader
    // fills it with blanks that would join the constant): where that would
    // cut a character, the constant starts a few columns later, after
    // blanks, so that each of its breaks falls between characters.
    std::size_t SplitPoint(const std::string& text, std::size_t nSplitFrom)
    {
        const std::size_t nLength = m_line.size();
        if (nLength >= kSplitColumn || kSplitColumn - nLength <= nSplitFrom)
            return 0;
        std::size_t nRoom = kSplitColumn - nLength;
        if (!m_bFixedForm) {
            while (nRoom > nSplitFrom && SplitsCharacter(text, nRoom))
                --nRoom;
            return nRoom > nSplitFrom ? nRoom : 0;
        }
        const std::size_t nStep = kSplitColumn - std::strlen(m_layout.pszContinuation);
        const auto aligned = [&](std::size_t nFirst) {
            for (std::size_t n = nFirst; n < text.size(); n += nStep)
                if (SplitsCharacter(text, n))
                    return false;
            return true;
        };
        // Blanks right after the list's "(" would read back as blanks kept
        // there: such a constant moves to the next line instead.
        const bool bMayShift = nSplitFrom > 0 && m_line.find_last_not_of(' ') != std::string::npos &&
                               m_line[m_line.find_last_not_of(' ')] != '(';
        for (std::size_t nShift = 0; nShift == 0 || (bMayShift && nRoom - nShift > nSplitFrom); ++nShift)
            if (aligned(nRoom - nShift)) {
                m_line.append(nShift, ' ');
                return nRoom - nShift;
            }
        if (nSplitFrom > 0 && !m_bFresh)
            return 0;  // perhaps a fresh line has the room
        m_bCutsCharacter = true;
        return nRoom;
    }

    SContinuationMarks m_layout;
    bool m_bFixedForm;
    bool m_bCutsCharacter = false;  // a line break cuts a character that no layout keeps whole
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
                   std::size_t nLimit, bool bSplittable)
{
    const std::size_t nTail = TailFirstLine(tail).size();
    if (!builder.IsFresh() && builder.Line().size() + strClosing.size() + nTail > nLimit)
        builder.Continue(true);
    // A format string's closing that no line holds (what stood after the
    // list inside it) is split inside the string, as a constant is.
    if (bSplittable && builder.Line().size() + strClosing.size() + nTail > nLimit) {
        builder.AppendDescriptor(strClosing, 0);
        builder.AppendFixed(TailText(tail));
        return;
    }
    builder.AppendFixed(strClosing + TailText(tail));
}

// The physical lines that stand for the statement: each built line with the
// comment and the sequence number of the old line whose place it takes, a
// comment that does not fit on its line as a comment line after it; and the
// comments of the old lines that no new line replaces, each to stand as a
// comment line where its old line stood, so that no comment changes order.
struct SStatementOutput {
    std::vector<std::vector<std::string>> groups;  // per built line
    std::vector<std::string> dropped;              // the comment of each old line left over, in order (may be empty)
    // The old lines whose places the groups take, one for each; empty for
    // the statement's own lines (site.m_arrLines).
    std::vector<long long> replaced;
};

// Whether a character or Hollerith constant is still open at the end of each
// line of a FORMAT statement (a constant split over lines), as the statement
// stream reads the lines.
std::vector<bool> OpenConstants(const std::vector<std::string>& lines, bool bFixedForm)
{
    std::vector<bool> open(lines.size(), false);
    CLineReader reader;
    reader.OpenLines(lines);
    CStatementStream stream(reader, bFixedForm ? 1 : 0);
    for (SSourceStatement statement; stream.Next(statement);)
        for (const STextPiece& piece : statement.pieces)
            if (const auto k = static_cast<std::size_t>(statement.nLine - 1) + piece.nLine; k < open.size())
                open[k] = piece.bOpen;
    return open;
}

SStatementOutput DressStatementLines(const CStatementSite& site, const std::vector<std::string>& built)
{
    SStatementOutput output;
    const std::size_t nLimit = StatementLineLimit(site);
    const auto oldComment = [&](std::size_t k) {
        return k < site.m_arrLineComments.size() ? site.m_arrLineComments[k] : std::string();
    };
    // A comment may stand at the end of a FORMAT statement's line before the
    // one that closes the list, outside a constant; anywhere else it would
    // join the tail or a constant, so it becomes a comment line of its own.
    const std::string strTail = TailText(site.m_strTail);
    const std::size_t nClosingLine = built.size() - 1 -
                                     std::min<std::size_t>(
                                         built.size() - 1,
                                         static_cast<std::size_t>(std::count(strTail.begin(), strTail.end(), '\n')));
    const std::vector<bool> open = OpenConstants(built, site.m_bFixedForm != 0);
    for (std::size_t k = 0; k < built.size(); ++k) {
        std::string line = built[k];
        std::vector<std::string> commentLines;
        const std::string strComment = oldComment(k);
        if (!strComment.empty()) {
            // ... and only after a separator, the opening parenthesis or a
            // free-form continuation mark: after a descriptor it would become
            // part of that descriptor's text.
            const std::size_t nLast = line.find_last_not_of(' ');
            const bool bAfterSeparator = nLast != std::string::npos &&
                                         (line[nLast] == ',' || line[nLast] == '(' || line[nLast] == '&');
            const bool bInline = site.m_chDelimiter == 'f' && k < nClosingLine && !open[k] && bAfterSeparator &&
                                 line.size() + 1 + strComment.size() <= nLimit;
            // (a blank goes between the line and the comment unless it ends in one)
            if (bInline)
                line += (line.empty() || line.back() != ' ' ? " " : "") + strComment;
            else
                commentLines.push_back(strComment);
        }
        if (site.m_bFixedForm && k < site.m_arrLines.size()) {
            const std::size_t nOld = static_cast<std::size_t>(site.m_arrLines[k] - site.m_nFirstLine);
            const std::string strSequence = nOld < site.m_arrOriginalLines.size()
                                                ? FixedSequenceField(site.m_arrOriginalLines[nOld])
                                                : std::string();
            if (!strSequence.empty()) {
                if (line.size() < kSplitColumn)
                    line.append(kSplitColumn - line.size(), ' ');
                line += strSequence;
            }
        }
        commentLines.insert(commentLines.begin(), std::move(line));
        output.groups.push_back(std::move(commentLines));
    }
    for (std::size_t k = built.size(); k < site.m_arrLineComments.size(); ++k)
        output.dropped.push_back(site.m_arrLineComments[k]);
    return output;
}

enum AttemptResult {
    ATTEMPT_WRITTEN,
    ATTEMPT_SOURCE_UNREADABLE,  // string 2 (63 with the reason)
    ATTEMPT_SOURCE_CHANGED,     // string 8
    ATTEMPT_TARGET_FAILED,      // string 25 (64 with the reason): another place may do
    ATTEMPT_BACKUP_KEPT,        // the file was touched; its old contents are in the journal beside it
};

// How an attempt to write one target ended.
struct SAttempt {
    AttemptResult result = ATTEMPT_WRITTEN;
    int nError = 0;         // the system's reason for a failure; 0 for none
    std::string strBackup;  // ATTEMPT_BACKUP_KEPT: the journal that holds the old contents
};

// Replaces the target with what the writer holds. When the target is the
// source file, nobody may have changed it since it was read; when it is
// another file (Save As), the source must still be as it was read too.
AttemptResult CommitAttempt(CSafeFileWriter& writer, const CStatementSite& site, std::string& strBackup)
{
    const bool bSource = IsSameFile(writer.ResolvedTarget(), site.m_strFileName);
    if (!bSource && site.m_fileIdentity.bKnown) {
        SFileIdentity now;
        if (!ReadFileIdentity(site.m_strFileName, now) || !(now == site.m_fileIdentity)) {
            writer.Abandon();
            return ATTEMPT_SOURCE_CHANGED;
        }
    }
    switch (writer.Commit(bSource ? &site.m_fileIdentity : nullptr)) {
    case COMMIT_WRITTEN: return ATTEMPT_WRITTEN;
    case COMMIT_CHANGED: return ATTEMPT_SOURCE_CHANGED;
    case COMMIT_FAILED_BACKUP_KEPT: strBackup = writer.BackupPath(); return ATTEMPT_BACKUP_KEPT;
    case COMMIT_FAILED: break;
    }
    return ATTEMPT_TARGET_FAILED;
}

// The attempt goes on: each step below returns this when it went well.
constexpr AttemptResult kGoOn = ATTEMPT_WRITTEN;

#if !defined(_WIN32)
AttemptResult CopyFailure(CopyResult copied)
{
    return copied == COPY_READ_FAILED ? ATTEMPT_SOURCE_UNREADABLE : ATTEMPT_TARGET_FAILED;
}

// Whether the reader's file is still the one the statement was located in,
// with the offset of its first line known.
bool FirstLineOffsetHolds(const CStatementSite& site, const CLineReader& reader)
{
    SFileIdentity opened;
    return site.m_nFirstLineOffset >= 0 && site.m_fileIdentity.bKnown && reader.Descriptor() >= 0 &&
           ReadOpenFileIdentity(reader.Descriptor(), opened) && opened == site.m_fileIdentity;
}
#endif

// Passes the lines before the statement on to the writer, the reader then
// at its first line. In the file the statement was located in they are the
// bytes before that line's offset, which are copied as they stand (within
// the kernel where the file systems allow) and need not be read here.
AttemptResult CopyLinesBefore(const CStatementSite& site, CLineReader& reader, CSafeFileWriter& writer)
{
#if !defined(_WIN32)
    if (FirstLineOffsetHolds(site, reader)) {
        long long nCopied = 0;
        const CopyResult copied = writer.Append(reader.Descriptor(), 0, site.m_nFirstLineOffset, nCopied);
        if (copied != COPY_DONE)
            return CopyFailure(copied);
        if (nCopied < site.m_nFirstLineOffset)
            return ATTEMPT_SOURCE_CHANGED;
        return reader.SkipTo(nCopied) ? kGoOn : ATTEMPT_SOURCE_UNREADABLE;
    }
#endif
    auto sink = [&writer](const char* p, std::size_t n) { return writer.Write(p, n); };
    if (reader.SkippedByteOrderMark() && !writer.Write("\xEF\xBB\xBF"))
        return ATTEMPT_TARGET_FAILED;
    const long long nBefore = static_cast<long long>(site.m_nFirstLine) - 1;
    const long long nCopied = reader.CopyLines(nBefore, sink);
    if (nCopied < 0)
        return ATTEMPT_TARGET_FAILED;
    if (nCopied < nBefore || reader.Failed())
        return ATTEMPT_SOURCE_CHANGED;
    return kGoOn;
}

// Passes the rest of the file, from where the reader stands, on to the
// writer: copied as it stands where the system can.
AttemptResult CopyRest(CLineReader& reader, CSafeFileWriter& writer)
{
#if !defined(_WIN32)
    if (reader.Descriptor() >= 0) {
        long long nCopied = 0;
        const CopyResult copied = writer.Append(reader.Descriptor(), reader.Offset(), -1, nCopied);
        return copied == COPY_DONE ? kGoOn : CopyFailure(copied);
    }
#endif
    auto sink = [&writer](const char* p, std::size_t n) { return writer.Write(p, n); };
    if (reader.CopyLines(LLONG_MAX, sink) < 0)
        return ATTEMPT_TARGET_FAILED;
    return reader.Failed() ? ATTEMPT_SOURCE_UNREADABLE : kGoOn;
}

// Writes the stretch of the file that the old statement's lines take: the
// listed lines are replaced, the others between them (comment lines) are
// copied through, each read line checked against what the statement was
// located in.
class CStretchCopy {
public:
    CStretchCopy(const CStatementSite& site, CLineReader& reader, CSafeFileWriter& writer)
        : m_site(site), m_reader(reader), m_writer(writer), m_nCurrent(site.m_nFirstLine), m_strEnd(site.m_strLineEnd)
    {
    }

    AttemptResult Write(const SStatementOutput& statement)
    {
        // A new statement takes the place of its blank line.
        std::vector<long long> oldLines(m_site.m_arrLines.begin(), m_site.m_arrLines.end());
        if (!statement.replaced.empty())
            oldLines = statement.replaced;
        if (oldLines.empty())
            oldLines.push_back(m_site.m_nFirstLine);
        std::size_t nOld = 0;
        for (const std::vector<std::string>& group : statement.groups) {
            if (nOld < oldLines.size()) {
                if (const AttemptResult passed = PassTo(oldLines[nOld++]); passed != kGoOn)
                    return passed;
                // Each new line ends as the old line whose place it takes
                // ended (a file may mix line ends); lines beyond the old
                // ones as the last of them.
                if (m_reader.LineEnd() == "\n" || m_reader.LineEnd() == "\r\n")
                    m_strEnd = m_reader.LineEnd();
            }
            for (const std::string& strLine : group)
                if (!Put(strLine, m_strEnd))
                    return ATTEMPT_TARGET_FAILED;
        }
        // The rest of the old statement: its remaining lines are dropped
        // (their comments kept as comment lines in their places), the
        // comment lines between them kept.
        for (std::size_t nDropped = 0; nOld < oldLines.size(); ++nDropped) {
            if (const AttemptResult passed = PassTo(oldLines[nOld++]); passed != kGoOn)
                return passed;
            if (nDropped < statement.dropped.size() && !statement.dropped[nDropped].empty() &&
                !Put(statement.dropped[nDropped], m_strEnd))
                return ATTEMPT_TARGET_FAILED;
        }
        return Close() ? kGoOn : ATTEMPT_TARGET_FAILED;
    }

private:
    // Copies the lines before an old line of the statement through, then
    // reads that line; each line read must still read as it did when the
    // statement was located.
    AttemptResult PassTo(long long nOldLine)
    {
        std::string line;
        for (;;) {
            const std::size_t nIndex = static_cast<std::size_t>(m_nCurrent - m_site.m_nFirstLine);
            if (m_reader.AtEnd())
                return ATTEMPT_SOURCE_CHANGED;
            m_reader.ReadSourceLine(line);
            m_strLastEnd = m_reader.LineEnd();
            m_bLastEmpty = line.empty();
            if (m_reader.Failed() || nIndex >= m_site.m_arrOriginalLines.size() ||
                line != m_site.m_arrOriginalLines[nIndex])
                return ATTEMPT_SOURCE_CHANGED;
            if (m_nCurrent++ >= nOldLine)
                return kGoOn;
            if (!Put(line, m_reader.LineEnd()))
                return ATTEMPT_TARGET_FAILED;
        }
    }

    // Each line's end is written when the next line comes, so that the
    // file's last line keeps having none when it had none.
    bool Put(const std::string& text, const std::string& end)
    {
        const bool bOk = m_writer.Write(m_strPending) && m_writer.Write(text);
        m_strPending = end;
        m_bLastPutEmpty = text.empty();
        return bOk;
    }

    // The old stretch ended the file with a line that had no line end: so
    // does the new one. (An empty "line" at the end is only the place after
    // the file's last line end; so a blank line that now comes last keeps
    // its end, or it would be gone.) A file whose last line ended with a
    // carriage return alone still does.
    bool Close()
    {
        const bool bLastLineOpen = m_strLastEnd.empty() && m_reader.AtEnd() && !m_bLastEmpty && !m_bLastPutEmpty;
        if (m_strLastEnd == "\r")
            m_strPending = m_strLastEnd;
        return bLastLineOpen || m_writer.Write(m_strPending);
    }

    const CStatementSite& m_site;
    CLineReader& m_reader;
    CSafeFileWriter& m_writer;
    long long m_nCurrent;
    std::string m_strEnd;
    std::string m_strLastEnd = "\n";  // the line end of the last old line read
    bool m_bLastEmpty = false;        // and whether it was empty
    std::string m_strPending;
    bool m_bLastPutEmpty = false;
};

// Streams the source into a replacement of target: the lines before the
// statement, the new statement in place of the old lines (comment lines
// between them kept), and every line after it. The writer begins first: it
// takes the target's lock, so that a source that is the target is read
// after any other Quillmark process's save of it has ended. A source that
// cannot be read says so even where the target cannot be begun either (a
// source gone with its folder): no other place would mend that.
AttemptResult WriteAttempt(const CStatementSite& site, const SStatementOutput& statement, const std::string& target,
                           CSafeFileWriter& writer, CLineReader& reader, std::string& strBackup)
{
    const bool bBegun = writer.Begin(target);
    if (!reader.Open(site.m_strFileName))
        return ATTEMPT_SOURCE_UNREADABLE;
    if (!bBegun)
        return ATTEMPT_TARGET_FAILED;
    const AttemptResult before = CopyLinesBefore(site, reader, writer);
    if (before != kGoOn)
        return before;
    const AttemptResult stretch = CStretchCopy(site, reader, writer).Write(statement);
    if (stretch != kGoOn)
        return stretch;
    const AttemptResult rest = CopyRest(reader, writer);
    if (rest != kGoOn)
        return rest;
    reader.Close();  // the source may be the target, which cannot be replaced while it is open on Windows
    return CommitAttempt(writer, site, strBackup);
}

// One attempt at writing target, with the reason the system gave for a
// failure. A read-only file is not tried: it has no reason of the system's.
SAttempt Attempt(const CStatementSite& site, const SStatementOutput& statement, const std::string& target)
{
    SAttempt attempt;
    if (IsReadOnlyFile(target)) {
        attempt.result = ATTEMPT_TARGET_FAILED;
        return attempt;
    }
    CSafeFileWriter writer;
    CLineReader reader;
    attempt.result = WriteAttempt(site, statement, target, writer, reader, attempt.strBackup);
    if (attempt.result == ATTEMPT_TARGET_FAILED || attempt.result == ATTEMPT_BACKUP_KEPT)
        attempt.nError = writer.Error();
    else if (attempt.result == ATTEMPT_SOURCE_UNREADABLE)
        attempt.nError = reader.Error() != 0 ? reader.Error() : writer.Error();  // the writer's when it copied
    return attempt;
}

}  // namespace

SContinuationMarks ContinuationMarks(bool bFixedForm)
{
    return bFixedForm ? kFixedLayout : kFreeLayout;
}

std::size_t StatementLineLimit(const CStatementSite& site)
{
    if (site.m_bFixedForm)
        return kSplitColumn;
    std::size_t nLimit = kFreeLineLength;
    for (const std::string& strLine : site.m_arrOriginalLines)
        nLimit = std::max(nLimit, strLine.size());
    return nLimit;
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

// Where a descriptor's written text may be split: inside its constant, after
// the opening quote or a Hollerith constant's H; npos for any other text.
std::size_t SplitFrom(const CDescriptor& d, const std::string& written)
{
    if (d.Kind() == KIND_STRING)
        return 1;
    if (d.Kind() == KIND_HOLLERITH) {
        const std::size_t nH = written.find_first_of("Hh");
        return nH == std::string::npos ? nH : nH + 1;
    }
    return std::string::npos;
}

namespace {

// The length of the group openers from i on and of the descriptor that
// follows them, written as they will be.
template <typename Written>
std::size_t OpeningRunLength(const CDescriptorList& list, int i, const Written& written)
{
    std::size_t nLength = 0;
    for (; i < list.size() && list.At(i).Kind() == KIND_OPEN; ++i)
        nLength += written(i).size();
    return i < list.size() ? nLength + written(i).size() : nLength;
}

}  // namespace

std::vector<std::string> BuildStatementLines(const CDescriptorList& list, const CStatementSite& site,
                                             bool* pCutsCharacter)
{
    const bool bString = site.m_chDelimiter != 'f';
    const auto written = [&](int i) {
        const std::string text = list.At(i).StatementText();
        return bString ? QuoteText(text, site.m_chDelimiter) : text;
    };
    // A format string closes after what stood after the list inside it.
    const std::string strClosing = bString ? ")" + QuoteText(site.m_strInnerTail, site.m_chDelimiter) +
                                                 std::string(1, site.m_chDelimiter)
                                           : std::string(")");
    const std::size_t nLimit = StatementLineLimit(site);

    // The descriptors after the last separator belong with the closing
    // parenthesis: a line may only break after a separator (or the opening
    // parenthesis), where the reader passes over the blanks a break brings.
    int nKeepFrom = 0;
    std::size_t nKeep = strClosing.size() + TailFirstLine(site.m_strTail).size();
    for (int i = list.size() - 1; i >= 0; --i) {
        nKeep += written(i).size();
        if (i > 0 && list.At(i - 1).NeedsComma()) {
            nKeepFrom = i;
            break;
        }
    }

    CStatementBuilder builder(site.m_bFixedForm != 0);
    builder.Start(site.m_strHead);
    if (bString)
        builder.AppendFixed(std::string(1, site.m_chDelimiter));
    builder.AppendWhole("(" + std::string(static_cast<std::size_t>(std::max(0, site.m_nParenBlanks)), ' '));
    for (int i = 0; i < list.size(); ++i) {
        if (i == nKeepFrom && !builder.IsFresh() && builder.Line().size() + nKeep > nLimit &&
            builder.ContinuationLength() + nKeep <= nLimit)
            builder.Continue(false);
        // A group's opening parenthesis goes on with the descriptor after it:
        // the blanks a line break brings right after it would be read as
        // part of its text.
        if (list.At(i).Kind() == KIND_OPEN && (i == 0 || list.At(i - 1).Kind() != KIND_OPEN) && !builder.IsFresh() &&
            !builder.Fits(OpeningRunLength(list, i, written)))
            builder.Continue(false);
        const std::string text = written(i);
        builder.AppendDescriptor(text, SplitFrom(list.At(i), text));
        if (list.At(i).NeedsComma())
            builder.AppendSeparator(", ");
    }
    AppendClosing(builder, strClosing, site.m_strTail, nLimit, bString);
    if (pCutsCharacter != nullptr)
        *pCutsCharacter = builder.CutsCharacter();
    return builder.Finish();
}

namespace {

// Whether the list holds exactly the descriptors the statement was read
// into, in their order and with their texts (the empty field aside, which
// is not written): then the statement would come out as it is.
bool ListAsRead(const CDescriptorList& list, const CStatementSite& site)
{
    std::size_t j = 0;
    for (int i = 0; i < list.size(); ++i) {
        const CDescriptor& d = list.At(i);
        if (d.Kind() == KIND_EMPTY)
            continue;
        if (j >= site.m_arrDescriptorIdentities.size() || j >= site.m_arrDescriptorTexts.size() ||
            d.Identity() != site.m_arrDescriptorIdentities[j] || d.StatementText() != site.m_arrDescriptorTexts[j])
            return false;
        ++j;
    }
    return j == site.m_arrDescriptorIdentities.size() && !site.m_bNew;
}

// The statement in the file's own layout, where it can be kept and reads
// back as the list's statement: false to rebuild it. bUnchanged when its
// lines would come out as they are.
bool KeepLayout(const CDescriptorList& list, const CStatementSite& site, SStatementOutput& statement, bool& bUnchanged)
{
    bUnchanged = ListAsRead(list, site);
    if (bUnchanged)
        return true;
    std::vector<std::vector<std::string>> groups;
    if (!BuildKeptLayout(list, site, groups))
        return false;
    std::vector<std::string> physical;
    for (const std::vector<std::string>& group : groups)
        physical.insert(physical.end(), group.begin(), group.end());
    bUnchanged = physical == site.m_arrOriginalLines;
    if (bUnchanged)
        return true;
    if (!StatementReadsBack(list, site, physical))
        return false;
    statement.groups = std::move(groups);
    for (std::size_t k = 0; k < statement.groups.size(); ++k)
        statement.replaced.push_back(static_cast<long long>(site.m_nFirstLine) + static_cast<long long>(k));
    return true;
}

}  // namespace

CResult WriteStatement(const CDescriptorList& list, const CStatementSite& site, IStatementQuestions& questions,
                       std::string* pWrittenTo, WriteWay nWay)
{
    if (site.m_strFileName.empty())
        return CResult::Declined();
    SStatementOutput statement;
    bool bUnchanged = false;
    if (nWay == WRITE_KEEP_LAYOUT && KeepLayout(list, site, statement, bUnchanged)) {
        if (bUnchanged) {
            // Nothing to write: the file stays as it is, its time included.
            if (pWrittenTo != nullptr)
                *pWrittenTo = site.m_strFileName;
            return CResult();
        }
    } else {
        bool bCutsCharacter = false;
        const std::vector<std::string> built = BuildStatementLines(list, site, &bCutsCharacter);
        if (bCutsCharacter)
            return Message(IDS_CUTS_CHARACTER, site.m_strFileName).At(site.m_nFirstLine);
        statement = DressStatementLines(site, built);
        // Whatever is written must read back as the statement it was built
        // from; what would not (the reader would take it otherwise) is not
        // written.
        std::vector<std::string> physical;
        for (const std::vector<std::string>& group : statement.groups)
            physical.insert(physical.end(), group.begin(), group.end());
        if (!StatementReadsBack(list, site, physical))
            return Message(IDS_WOULD_NOT_READ_BACK, site.m_strFileName).At(site.m_nFirstLine);
    }
    std::string target = site.m_strFileName;
    for (;;) {
        const SAttempt attempt = Attempt(site, statement, target);
        switch (attempt.result) {
        case ATTEMPT_WRITTEN:
            if (pWrittenTo != nullptr)
                *pWrittenTo = target;
            return CResult();
        case ATTEMPT_SOURCE_UNREADABLE: return CannotOpenFile(site.m_strFileName, attempt.nError);
        case ATTEMPT_SOURCE_CHANGED: return Message(IDS_FILE_CHANGED, site.m_strFileName);
        case ATTEMPT_BACKUP_KEPT:
            return Message(IDS_OLD_CONTENTS_KEPT, target, SystemReason(attempt.nError), attempt.strBackup);
        case ATTEMPT_TARGET_FAILED: break;
        }
        std::string chosen = target;
        if (!questions.ChooseOtherFile(CannotWriteFile(target, attempt.nError), site.m_bFixedForm != 0, chosen) ||
            chosen.empty())
            return CResult::Declined();
        target = chosen;
    }
}

bool IsSameFile(const std::string& strFirst, const std::string& strSecond)
{
    std::error_code error;
    return std::filesystem::equivalent(strFirst, strSecond, error) && !error;
}
