// Writes a source file, locates a statement in it, optionally edits it,
// saves it as OK does, and reads the saved statement back, checking that the
// file holds exactly what was saved and nothing else changed.
//
// Input: the first line is the header, the rest of the input the file's
// bytes. The header's first byte is its separator; its first field is
// "FORM LINE COLUMN", where FORM "f" names the file src.f90 (free form), "F"
// src.F90, anything else src.for (fixed form); every further field is one
// edit (fuzz_support.h), applied when the statement is found. On a blank
// line a new statement is started, as quillmark-text does.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "fuzz_support.h"
#include "statement_index.h"
#include "statement_locator.h"
#include "statement_session.h"
#include "statement_writer.h"
#include "string_table.h"

namespace fs = std::filesystem;

namespace {

using fuzz::Escaped;

constexpr std::size_t kMaxOps = 16;

// The folder the source file is written into, made once per process and
// removed at its end (and before it aborts on a failed check).
class CScratchFolder {
public:
    CScratchFolder()
    {
        // A folder in memory where there is one: every save syncs the file and
        // its folder, which on a disk costs far more than the save itself.
        std::error_code ec;
        fs::path base = fs::temp_directory_path(ec);
        if (std::getenv("TMPDIR") == nullptr && fs::is_directory("/dev/shm", ec) && access("/dev/shm", W_OK) == 0)
            base = "/dev/shm";
        RemoveOrphans(base);
        std::string strTemplate = (base / ("quillmark-fuzz-" + std::to_string(getpid()) + "-XXXXXX")).string();
        if (mkdtemp(strTemplate.data()) == nullptr) {
            std::fprintf(stderr, "cannot create a folder in %s\n", base.string().c_str());
            std::abort();
        }
        m_path = strTemplate;
        fuzz::FailureCleanup() = [this] { Remove(); };
    }
    ~CScratchFolder() { Remove(); }
    CScratchFolder(const CScratchFolder&) = delete;
    CScratchFolder& operator=(const CScratchFolder&) = delete;

    const fs::path& Path() const { return m_path; }

    // A sanitizer report or a timeout ends the process without removing its
    // folder; the next run removes the folders of processes that are gone.
    static void RemoveOrphans(const fs::path& base)
    {
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(base, ec)) {
            const std::string strName = entry.path().filename().string();
            static const std::string kPrefix = "quillmark-fuzz-";
            if (strName.compare(0, kPrefix.size(), kPrefix) != 0)
                continue;
            const std::string strPid = strName.substr(kPrefix.size(),
                                                      strName.find('-', kPrefix.size()) - kPrefix.size());
            if (strPid.empty() || strPid.find_first_not_of("0123456789") != std::string::npos)
                continue;
            std::error_code ecAlive;
            if (!fs::exists(fs::path("/proc") / strPid, ecAlive))
                fs::remove_all(entry.path(), ec);
        }
    }

    void Remove()
    {
        if (m_path.empty())
            return;
        std::error_code ec;
        fs::remove_all(m_path, ec);
        m_path.clear();
    }

    // The names of what the folder holds, for a report.
    std::string Listing() const
    {
        std::string s;
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(m_path, ec))
            s += Escaped(entry.path().filename().string()) + " ";
        return s;
    }

    bool Empty() const
    {
        std::error_code ec;
        return fs::is_empty(m_path, ec) && !ec;
    }

private:
    fs::path m_path;
};

CScratchFolder& Scratch()
{
    static CScratchFolder folder;
    return folder;
}

// Removes the source file when a run ends, however it ends.
class CSourceFile {
public:
    explicit CSourceFile(std::string path) : m_strPath(std::move(path)) {}
    ~CSourceFile()
    {
        std::error_code ec;
        fs::remove(m_strPath, ec);
    }
    CSourceFile(const CSourceFile&) = delete;
    CSourceFile& operator=(const CSourceFile&) = delete;
    const std::string& Path() const { return m_strPath; }

private:
    std::string m_strPath;
};

std::string ReadWhole(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The file's lines, each with its own "\n" (the last one may have none).
std::vector<std::string> LinesWithEnds(const std::string& s)
{
    std::vector<std::string> lines;
    std::size_t nFrom = 0;
    while (nFrom < s.size()) {
        const std::size_t n = s.find('\n', nFrom);
        const std::size_t nEnd = n == std::string::npos ? s.size() : n + 1;
        lines.push_back(s.substr(nFrom, nEnd - nFrom));
        nFrom = nEnd;
    }
    return lines;
}

// Compares the lines outside the statement: the lines before its first
// line and after its last one are the same in both files, byte for byte;
// the lines that stood between the statement's lines (comment lines) are
// all still there, in their order, in the stretch the statement now
// occupies (the writer may move them after the statement's lines, and may
// give a comment that ended one of its lines a line of its own; one that
// becomes the last line of a file without a final line end has none). Returns an
// empty string, or what differs. nRegionEnd receives the last line of the
// new file's stretch.
std::string CompareOutside(const std::string& original, const std::string& saved, int nFirstLine,
                           const std::vector<int>& oldLines, std::size_t& nRegionEnd)
{
    const std::vector<std::string> before = LinesWithEnds(original);
    const std::vector<std::string> after = LinesWithEnds(saved);
    const std::size_t nPrefix = static_cast<std::size_t>(nFirstLine - 1);
    const std::size_t nLastOld = static_cast<std::size_t>(oldLines.back());
    const std::size_t nSuffix = before.size() > nLastOld ? before.size() - nLastOld : 0;
    nRegionEnd = after.size() >= nSuffix ? after.size() - nSuffix : 0;
    if (after.size() < nPrefix + nSuffix)
        return "the file lost lines";
    for (std::size_t i = 0; i < nPrefix && i < before.size(); ++i)
        if (after[i] != before[i])
            return "line " + std::to_string(i + 1) + " before the statement: " + Escaped(after[i]);
    for (std::size_t i = 1; i <= nSuffix; ++i)
        if (after[after.size() - i] != before[before.size() - i])
            return "line " + std::to_string(before.size() - i + 1) + " after the statement: was " +
                   Escaped(before[before.size() - i]) + ", now " + Escaped(after[after.size() - i]);
    const std::set<int> statement(oldLines.begin(), oldLines.end());
    std::size_t k = nPrefix;
    for (std::size_t n = nPrefix + 1; n < nLastOld && n <= before.size(); ++n) {
        if (statement.count(static_cast<int>(n)) != 0)
            continue;
        // The file's last line keeps the file's end: a comment line moved
        // there has no line end when the file had none, or the lone carriage
        // return the file ended with.
        const auto same = [&](std::size_t nAfter) {
            if (after[nAfter] == before[n - 1])
                return true;
            const std::string& b = before[n - 1];
            const std::size_t nEnd = b.size() >= 2 && b.compare(b.size() - 2, 2, "\r\n") == 0
                                         ? 2
                                         : (!b.empty() && b.back() == '\n' ? 1 : 0);
            const std::string strBare = b.substr(0, b.size() - nEnd);
            return nAfter + 1 == after.size() && saved.back() != '\n' &&
                   (after[nAfter] == strBare || (original.back() == '\r' && after[nAfter] == strBare + "\r"));
        };
        while (k < nRegionEnd && !same(k))
            ++k;
        if (k == nRegionEnd)
            return "line " + std::to_string(n) + " between the statement's lines is gone: " + Escaped(before[n - 1]);
        ++k;
    }
    return std::string();
}

// A signed number of at most twelve digits, from pos on; blanks before it
// are skipped.
long long ReadNumber(const std::string& s, std::size_t& pos)
{
    while (pos < s.size() && s[pos] == ' ')
        ++pos;
    bool bNegative = false;
    if (pos < s.size() && (s[pos] == '-' || s[pos] == '+'))
        bNegative = s[pos++] == '-';
    long long n = 0;
    for (int nDigits = 0; pos < s.size() && s[pos] >= '0' && s[pos] <= '9'; ++pos)
        if (nDigits++ < 12)
            n = n * 10 + (s[pos] - '0');
    return bNegative ? -n : n;
}

std::vector<std::string> TextsOf(const CDescriptorList& list)
{
    std::vector<std::string> texts;
    for (int i = 0; i < list.size(); ++i)
        texts.push_back(list.At(i).Text());
    return texts;
}

// The texts as the statement holds them: without the white space around
// them, which the writer does not write.
std::vector<std::string> StatementTextsOf(const CDescriptorList& list)
{
    std::vector<std::string> texts;
    for (int i = 0; i < list.size(); ++i)
        texts.push_back(list.At(i).StatementText());
    return texts;
}

// A statement as the front ends hold it: its descriptors and its site.
struct SStatement {
    explicit SStatement(const CDescriptorTable& table) : list(table) {}
    CDescriptorList list;
    CStatementSite site;
};

std::string DescribeStatement(const SStatement& statement)
{
    const CStatementSite& site = statement.site;
    std::string s = "  first line " + std::to_string(site.m_nFirstLine) + ", lines";
    for (int n : site.m_arrLines)
        s += " " + std::to_string(n);
    s += "\n  head " + Escaped(site.m_strHead) + "\n  inner tail " + Escaped(site.m_strInnerTail) + "\n  tail " +
         Escaped(site.m_strTail) + "\n  form " + (site.m_bFixedForm ? "fixed" : "free") + ", delimiter " +
         Escaped(std::string(1, site.m_chDelimiter)) + ", paren blanks " + std::to_string(site.m_nParenBlanks) +
         "\n  texts";
    for (const std::string& t : TextsOf(statement.list))
        s += " " + Escaped(t);
    return s + "\n";
}

// The messages of a result, for a report.
std::string DescribeResult(const CResult& result)
{
    std::string s;
    for (const SMessage& message : result.Messages())
        s += Escaped(MessageText(message)) + " ";
    return s;
}

// Whether the located statement runs on over a free-form line that does not
// continue it: every line of a free-form statement but its last must hold
// the "&" that continues it.
bool RunsOnWithoutAmpersand(const CStatementSite& site)
{
    if (site.m_bFixedForm || site.m_arrLines.size() < 2)
        return false;
    for (std::size_t k = 0; k + 1 < site.m_arrLines.size(); ++k) {
        const std::size_t nOld = static_cast<std::size_t>(site.m_arrLines[k] - site.m_nFirstLine);
        if (nOld < site.m_arrOriginalLines.size() && site.m_arrOriginalLines[nOld].find('&') == std::string::npos)
            return true;
    }
    return false;
}

// The cursor column that picks the statement again: any column for a
// FORMAT statement, the opening quote of a format string.
long long ReadBackColumn(const CStatementSite& site)
{
    return site.m_chDelimiter == 'f' ? 1 : static_cast<long long>(site.m_strHead.size()) + 1;
}

// Compares a statement read back with the one it was saved from: every
// descriptor, the text around the list, the form and the delimiter.
void CompareReadBack(const SStatement& saved, const SStatement& back, const CResult& located,
                     const std::string& strContext)
{
    const auto strBack = [&] {
        return strContext + (located.Ok() ? DescribeStatement(back) : "  not found: " + DescribeResult(located) + "\n");
    };
    FUZZ_CHECK(located.Ok() && !back.site.m_bNew, "the saved statement does not read back\n" + strBack());
    FUZZ_CHECK(TextsOf(back.list) == StatementTextsOf(saved.list), "the descriptors read back differ\n" + strBack());
    FUZZ_CHECK(back.site.m_strHead == saved.site.m_strHead, "the head read back differs\n" + strBack());
    FUZZ_CHECK(back.site.m_strInnerTail == saved.site.m_strInnerTail,
               "the text after the list inside the string read back differs\n" + strBack());
    FUZZ_CHECK(back.site.m_strTail == saved.site.m_strTail, "the tail read back differs\n" + strBack());
    FUZZ_CHECK(back.site.m_bFixedForm == saved.site.m_bFixedForm && back.site.m_chDelimiter == saved.site.m_chDelimiter,
               "the form or delimiter read back differs\n" + strBack());
}

void ApplyEdit(fuzz::CFieldSession& session, const fuzz::SEditOp& op)
{
    CDescriptorList& list = session.List();
    const int n = list.size();
    if (n == 0)
        return;
    const char* pszText = op.strText.c_str();
    switch (op.code) {
    case 'i': {
        session.Leave();
        const int index = fuzz::Reduce(op.nNumber, n + 1);
        if (InsertField(list, index, pszText).Ok())
            session.SetCurrent(index);
        break;
    }
    case 'r': {
        session.Leave();
        const int index = fuzz::Reduce(op.nNumber, n);
        RemoveField(list, index);
        session.SetCurrent(std::min(index, list.size() - 1));
        break;
    }
    case 't':
    case 's': {
        int bValid = 0;
        session.Type(fuzz::Reduce(op.nNumber, n), op.code == 's' ? ROW_SAMPLE : ROW_TEXT, pszText, bValid);
        break;
    }
    case 'l': session.Leave(); break;
    case 'v': {
        session.Leave();
        const int index = fuzz::Reduce(op.nNumber, n);
        ChangeFieldValue(list, index, pszText);
        session.SetCurrent(index);
        break;
    }
    case 'R': session.Revert(fuzz::Reduce(op.nNumber, n)); break;
    default: break;
    }
}

// The statement list names what opens: each entry the file's index lists
// (the first few) is found at its line and column, as the kind it is listed
// as, starting on that line.
void CheckIndex(const std::string& strFile, const CDescriptorTable& table, const std::string& strCase)
{
    std::vector<SIndexedStatement> entries;
    if (!IndexStatements(strFile, SOURCE_FORM_BY_SUFFIX, table, entries).Ok())
        return;
    CNoQuestions questions;
    for (std::size_t i = 0; i < entries.size() && i < 4; ++i) {
        const SIndexedStatement& entry = entries[i];
        SStatement found(table);
        SStatementRequest request;
        request.strFile = strFile;
        request.nLine = entry.nLine;
        request.nColumn = entry.nColumn;
        CResult located;
        const std::string strEntry = strCase + "  listed at line " + std::to_string(entry.nLine) + " column " +
                                     std::to_string(entry.nColumn) + ": " + Escaped(entry.strList) + "\n";
        FUZZ_CHECK(LocateStatement(request, found.list, found.site, questions, located) == LOCATE_FOUND,
                   "a listed statement does not open: " + DescribeResult(located) + "\n" + strEntry);
        FUZZ_CHECK(found.site.m_nFirstLine == entry.nLine && (found.site.m_chDelimiter != 'f') == entry.bString,
                   "a listed statement opens elsewhere or as another kind\n" + strEntry + DescribeStatement(found));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t nHeaderEnd = input.find('\n');
    if (nHeaderEnd == std::string::npos)
        return 0;
    const std::vector<std::string> fields = fuzz::SplitFields(std::string_view(input).substr(0, nHeaderEnd));
    if (fields.empty() || fields[0].empty())
        return 0;
    const std::string original = input.substr(nHeaderEnd + 1);

    const char chForm = fields[0][0];
    std::size_t nPos = 1;
    const long long nLine = ReadNumber(fields[0], nPos);
    const long long nColumn = ReadNumber(fields[0], nPos);
    const CDescriptorTable* pTable = nullptr;
    const std::vector<fuzz::SEditOp> ops = fuzz::ReadScript(fields, kMaxOps, &pTable);

    const char* pszName = chForm == 'f' ? "src.f90" : chForm == 'F' ? "src.F90" : "src.for";
    const CSourceFile file((Scratch().Path() / pszName).string());
    {
        std::ofstream out(file.Path(), std::ios::binary | std::ios::trunc);
        out.write(original.data(), static_cast<std::streamsize>(original.size()));
        if (!out)
            return 0;
    }
    const std::string strCase = "file " + std::string(pszName) + " line " + std::to_string(nLine) + " column " +
                                std::to_string(nColumn) + "\n  contents " + Escaped(original) + "\n";

    CheckIndex(file.Path(), *pTable, strCase);

    // Opened as both front ends open it: the statement there, or a new one
    // on a blank line. An unattended run answers every question No.
    CNoQuestions questions;
    SStatement statement(*pTable);
    CDescriptorList& list = statement.list;
    CStatementSite& site = statement.site;
    SStatementRequest request;
    request.strFile = file.Path();
    request.nLine = nLine;
    request.nColumn = nColumn;
    const CResult opened = OpenStatement(request, list, site, questions);
    FUZZ_CHECK(ReadWhole(file.Path()) == original, "opening changed the file\n" + strCase);
    // QUILLMARK_FUZZ_TRACE=1 shows what each run found, for reading a
    // reproducer or checking a seed.
    static const bool bTrace = std::getenv("QUILLMARK_FUZZ_TRACE") != nullptr;
    if (bTrace)
        std::fprintf(stderr, "opened: %s\n%s", opened.Ok() ? "yes" : DescribeResult(opened).c_str(),
                     opened.Ok() ? DescribeStatement(statement).c_str() : "");
    if (opened.Ok()) {
        // A free-form statement goes on to the next line only after an "&".
        FUZZ_CHECK(!RunsOnWithoutAmpersand(site), "the statement was taken over a line that does not continue it\n" +
                                                      strCase + DescribeStatement(statement));
        fuzz::CFieldSession session(list);
        std::string strEdits;
        for (const fuzz::SEditOp& op : ops) {
            ApplyEdit(session, op);
            strEdits += std::string(" '") + op.code + std::to_string(op.nNumber) + ":" + Escaped(op.strText) + "'";
        }
        const std::string strWhat = strCase + "  edits" + strEdits + "\n";

        // The lines the statement occupied; a new statement takes the place
        // of its blank line.
        std::vector<int> oldLines = site.m_arrLines;
        if (oldLines.empty())
            oldLines.push_back(site.m_nFirstLine);
        const CResult saved = CommitStatement(list, site, session.Current(), questions);
        const std::string strSaved = ReadWhole(file.Path());
        if (bTrace)
            std::fprintf(stderr, "saved: %s\n%sfile now %s\n", saved.Ok() ? "yes" : DescribeResult(saved).c_str(),
                         DescribeStatement(statement).c_str(), Escaped(strSaved).c_str());
        const std::string strState = strWhat + "saved statement:\n" + DescribeStatement(statement) + "file now " +
                                     Escaped(strSaved) + "\n";

        if (!saved.Ok()) {
            // A save that failed leaves the file as it was, and OK refuses
            // only a statement that is no FORMAT list as it stands: unbalanced
            // parentheses or a group that holds nothing. Whatever the fields
            // show otherwise is written and reads back as shown.
            FUZZ_CHECK(strSaved == original, "a failed save changed the file\n" + strState);
            FUZZ_CHECK(saved.StringId() == IDS_UNBALANCED || saved.StringId() == IDS_EMPTY_GROUP_EXIT,
                       "a save was refused after the edits were accepted: " + DescribeResult(saved) + "\n" + strState);
        } else {
            // A save that succeeded: the file holds the statement as it was
            // saved, at the same line, and every other line as it was.
            SStatement back(*pTable);
            SStatementRequest again = request;
            again.nLine = site.m_nFirstLine;
            again.nColumn = ReadBackColumn(site);
            CResult located;
            const int nBack = LocateStatement(again, back.list, back.site, questions, located);
            if (nBack != LOCATE_FOUND && located.Ok())
                located = CResult::Declined();
            CompareReadBack(statement, back, located, strState + "read back:\n");
            // Every line outside the statement is as it was.
            std::size_t nRegionEnd = 0;
            const std::string strOutside = CompareOutside(original, strSaved, site.m_nFirstLine, oldLines, nRegionEnd);
            FUZZ_CHECK(strOutside.empty(), "a line outside the statement changed: " + strOutside + "\n" + strState);
            // The statement read back starts where it was written and ends
            // within the stretch it was written to.
            FUZZ_CHECK(!back.site.m_arrLines.empty() && back.site.m_arrLines.front() == site.m_nFirstLine &&
                           static_cast<std::size_t>(back.site.m_arrLines.back()) <= nRegionEnd,
                       "the statement read back does not occupy the lines written\n" + strState);
        }
    }
    std::error_code ec;
    fs::remove(file.Path(), ec);
    FUZZ_CHECK(Scratch().Empty(), "files left behind: " + Scratch().Listing() + "\n" + strCase);
    return 0;
}
