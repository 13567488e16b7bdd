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

#include "flags.h"
#include "fuzz_support.h"
#include "statement_locator.h"
#include "statement_writer.h"

namespace fs = std::filesystem;

namespace {

using fuzz::Escaped;

constexpr std::size_t kMaxOps = 16;

// The characters the lexer and the splitter pass over as blanks.
constexpr const char* kWhite = " \t\n\v\f\r";

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
            const std::string strPid = strName.substr(kPrefix.size(), strName.find('-', kPrefix.size()) - kPrefix.size());
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
        // there has no line end when the file had none.
        const auto same = [&](std::size_t nAfter) {
            if (after[nAfter] == before[n - 1])
                return true;
            const std::string& b = before[n - 1];
            const std::size_t nEnd = b.size() >= 2 && b.compare(b.size() - 2, 2, "\r\n") == 0 ? 2 : (!b.empty() && b.back() == '\n' ? 1 : 0);
            return nAfter + 1 == after.size() && saved.back() != '\n' && after[nAfter] == b.substr(0, b.size() - nEnd);
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

std::string DescribeStatement(const CDescriptorList& list)
{
    std::string s = "  first line " + std::to_string(list.m_nFirstLine) + ", lines";
    for (int n : list.m_arrLines)
        s += " " + std::to_string(n);
    s += "\n  head " + Escaped(list.m_strHead) + "\n  tail " + Escaped(list.m_strTail) + "\n  form " +
         (list.m_bFixedForm ? "fixed" : "free") + ", delimiter " + Escaped(std::string(1, list.m_chDelimiter)) +
         ", paren blanks " + std::to_string(list.m_nParenBlanks) + "\n  texts";
    for (const std::string& t : TextsOf(list))
        s += " " + Escaped(t);
    return s + "\n";
}

// Whether the located statement runs on over a free-form line that does not
// continue it: every line of a free-form statement but its last must hold
// the "&" that continues it.
bool RunsOnWithoutAmpersand(const CDescriptorList& list)
{
    if (list.m_bFixedForm || list.m_arrLines.size() < 2)
        return false;
    for (std::size_t k = 0; k + 1 < list.m_arrLines.size(); ++k) {
        const std::size_t nOld = static_cast<std::size_t>(list.m_arrLines[k] - list.m_nFirstLine);
        if (nOld < list.m_arrOriginalLines.size() && list.m_arrOriginalLines[nOld].find('&') == std::string::npos)
            return true;
    }
    return false;
}

// Known faults, kept out of the read-back checks until they are mended.
// Each makes the writer build lines that would not read back as the fields
// show them; the save's own read-back check then refuses the statement and
// leaves the file as it was, so what they cost is a refused OK, not data.
// Returns the name of the one that applies to a statement, or nullptr.
const char* KnownReadBackFault(const CDescriptorList& list, const std::vector<std::string>& originalTexts)
{
    if (!fuzz::KeepKnownFaultsOut())
        return nullptr;
    // A field's text that is refused on its own (fuzz_support.h) would be
    // refused when the file is read again.
    if (fuzz::KnownTextRefusedAloneIn(list))
        return "a text refused on its own";
    // A stray quote in the text after a fixed-form list that no quote
    // closes leaves a constant open to the statement's end: when a
    // continuation line follows, the blanks up to column 72 are read into
    // it, and a rebuilt statement whose lines break elsewhere reads back with
    // other blanks.
    // Any quote in the text after the list may pair with a quote the
    // rebuilt lines hold elsewhere, in either form, once the statement is
    // laid out anew.
    if (list.m_strTail.find_first_of("'\"") != std::string::npos)
        return "a quote in the text after the list";
    // So does a fixed-form format string whose closing quote is missing.
    if (list.m_bFixedForm) {
        char chOpen = 0;
        const auto scan = [&chOpen](const std::string& text) {
            for (const char c : text)
                if (chOpen == 0 && (c == '\'' || c == '"'))
                    chOpen = c;
                else if (c == chOpen)
                    chOpen = 0;
        };
        scan(list.m_strTail);
        if (chOpen != 0)
            return "a constant the text after the list leaves open";
        if (list.m_chDelimiter != 'f') {
            for (const std::string& line : list.m_arrOriginalLines)
                scan(&line == &list.m_arrOriginalLines.front() ? line.substr(std::min(line.size(), list.m_strHead.size()))
                                                               : line);
            if (chOpen != 0)
                return "a format string whose closing quote is missing";
        }
    }
    // A Hollerith constant holding "!", "&" or a quote ("5Hab!cd") is read
    // as a comment, a continuation mark or a constant by the locator's scan
    // of the statement's lines: once the statement is written on more than
    // one line, or when a constant continued on the next line follows it in
    // the file, what reads back differs, or does not read at all.
    std::vector<std::string> texts = TextsOf(list);
    texts.insert(texts.end(), originalTexts.begin(), originalTexts.end());
    for (const std::string& text : texts) {
        const std::size_t nLetter = text.find_first_not_of("0123456789");
        if (nLetter != 0 && nLetter != std::string::npos && (text[nLetter] == 'H' || text[nLetter] == 'h') &&
            text.find_first_of("!&'\"", nLetter) != std::string::npos)
            return "a Hollerith constant holding a comment mark, an ampersand or a quote";
    }
    // The lexer passes over one character after a character constant's
    // closing quote (of either kind), so "'a')" or "'a'x" is taken as the
    // constant 'a'; saved, the extra character ends the list early or joins
    // the next descriptor.
    for (int i = 0; i < list.size(); ++i) {
        const std::string& text = list.At(i).Text();
        const std::size_t nFirst = text.find_first_not_of(kWhite);
        const std::size_t nLast = text.find_last_not_of(kWhite);
        if (nFirst != std::string::npos && (text[nFirst] == '\'' || text[nFirst] == '"') && text[nLast] != text[nFirst])
            return "a character after a constant's closing quote";
    }
    // A repeat count followed by a blank ("2 I5", valid Fortran) is accepted
    // as a typed text, but the splitter takes a number followed by a blank
    // as a group's repeat count and refuses the list when no "(" follows.
    for (int i = 0; i < list.size(); ++i) {
        const std::string& text = list.At(i).Text();
        std::size_t k = text.find_first_not_of(kWhite);
        const std::size_t nDigits = k == std::string::npos ? 0 : text.find_first_not_of("0123456789", k);
        if (k != std::string::npos && nDigits != std::string::npos && nDigits > k &&
            std::string_view(kWhite).find(text[nDigits]) != std::string_view::npos) {
            k = text.find_first_not_of(kWhite, nDigits);
            if (k != std::string::npos && text[k] != '(')
                return "a repeat count followed by a blank";
        }
    }
    // A descriptor longer than a line that is no character constant (a
    // long Hollerith constant "70Haaa...") is split at column 72 like one,
    // but in fixed form the locator joins the lines with a line end outside
    // quotes: the Hollerith count then ends early, or the text gains a line
    // end.
    if (list.m_bFixedForm)
        for (int i = 0; i < list.size(); ++i) {
            const std::string& text = list.At(i).Text();
            const std::size_t nFirst = text.find_first_not_of(kWhite);
            if (text.size() > 62 && nFirst != std::string::npos && text[nFirst] != '\'')
                return "a long descriptor split outside quotes";
        }
    // A written line whose text ends with a carriage return (a CR byte in
    // the tail, the line cut at column 72 after it) reads back with that CR
    // taken for the line end's; a save refuses a statement with a CR byte
    // inside its lines as one that would not read back.
    for (const std::string& line : BuildStatementLines(list))
        if (line.find('\r') != std::string::npos)
            return "a carriage return in a written line";
    // Text that is never moved or split (the opening quote and parenthesis,
    // separators, the closing parenthesis) is appended past column 72 when
    // the line is full (a format string that opens in column 72); the
    // locator, like a compiler, ignores what stands beyond column 72.
    if (list.m_bFixedForm)
        for (const std::string& line : BuildStatementLines(list))
            if (line.size() > 72)
                return "a fixed-form line written past column 72";
    // Remove Field takes the last descriptor out of a group and leaves an
    // empty group ("2()"); OK saves it, and the splitter refuses it.
    for (int i = 0; i + 1 < list.size(); ++i)
        if (list.At(i).Kind() == KIND_OPEN && list.At(i + 1).Kind() == KIND_CLOSE)
            return "an empty group";
    // A doubled quote that the writer splits between its two quotes ("'aa'"
    // on one line, "'bb'" on the next, with the continuation marks of the
    // form) reads back as a closing quote at the end of the line.
    {
        const std::string strMark = list.m_bFixedForm ? "     +" : "      &";
        const std::string strEnd = list.m_bFixedForm ? "" : "&";
        const std::vector<std::string> lines = BuildStatementLines(list);
        for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
            const std::string& line = lines[i];
            const std::string& next = lines[i + 1];
            if (line.size() <= strEnd.size() || line.compare(line.size() - strEnd.size(), strEnd.size(), strEnd) != 0)
                continue;
            const char chLast = line[line.size() - strEnd.size() - 1];
            if ((chLast == '\'' || chLast == '"') && next.size() > strMark.size() &&
                next.compare(0, strMark.size(), strMark) == 0 && next[strMark.size()] == chLast)
                return "a doubled quote split between two lines";
        }
    }
    return nullptr;
}

// The cursor column that picks the statement again: any column for a
// FORMAT statement, the opening quote of a format string.
long long ReadBackColumn(const CDescriptorList& list)
{
    return list.m_chDelimiter == 'f' ? 1 : static_cast<long long>(list.m_strHead.size()) + 1;
}

std::string DescribeReadBack(const CDescriptorList& back, int nBack)
{
    return nBack == LOCATE_FOUND ? DescribeStatement(back) : "  not found (" + std::to_string(nBack) + ")\n";
}

enum ReadBackMatch {
    READ_BACK_EXACT,  // everything reads back as it was saved
    READ_BACK_KNOWN,  // it does not, for a known reason
};

// Compares a statement read back with the list it was saved from; a
// difference that no known fault explains fails the run.
int CompareReadBack(const CDescriptorList& list, const std::vector<std::string>& originalTexts,
                    const CDescriptorList& back, int nBack, const std::string& strContext)
{
    const auto strBack = [&] { return strContext + DescribeReadBack(back, nBack); };
    const char* pszKnown = KnownReadBackFault(list, originalTexts);
    static const bool bTrace = std::getenv("QUILLMARK_FUZZ_TRACE") != nullptr;
    if (pszKnown != nullptr) {
        if (bTrace)
            std::fprintf(stderr, "read-back checks left out: %s\n", pszKnown);
        return READ_BACK_KNOWN;
    }
    FUZZ_CHECK(nBack == LOCATE_FOUND, "the saved statement does not read back\n" + strBack());
    FUZZ_CHECK(TextsOf(back) == StatementTextsOf(list),
               "the descriptors read back differ\n" + strBack());
    FUZZ_CHECK(back.m_strHead == list.m_strHead, "the head read back differs\n" + strBack());
    FUZZ_CHECK(back.m_strTail == list.m_strTail,
               "the tail read back differs\n" + strBack());
    FUZZ_CHECK(back.m_bFixedForm == list.m_bFixedForm && back.m_chDelimiter == list.m_chDelimiter,
               "the form or delimiter read back differs\n" + strBack());
    const bool bExact = TextsOf(back) == StatementTextsOf(list) && back.m_strTail == list.m_strTail;
    if (!bExact && bTrace)
        std::fprintf(stderr, "read back with a known difference in blanks or tail\n");
    return bExact ? READ_BACK_EXACT : READ_BACK_KNOWN;
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
        if (InsertField(list, index, pszText))
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static fuzz::CQuietPresenter presenter;
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
    const std::vector<fuzz::SEditOp> ops = fuzz::ReadScript(fields, kMaxOps);

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

    CDescriptorList list;
    const int nLocated = LocateStatement(list, nLine, nColumn, file.Path(), 0);
    FUZZ_CHECK(ReadWhole(file.Path()) == original, "locating changed the file\n" + strCase);
    bool bStatement = nLocated == LOCATE_FOUND;
    if (nLocated == LOCATE_BLANK)
        bStatement = NewStatement(list, nLine, file.Path(), NEW_STATEMENT_TEXT) != 0;
    // QUILLMARK_FUZZ_TRACE=1 shows what each run found, for reading a
    // reproducer or checking a seed.
    static const bool bTrace = std::getenv("QUILLMARK_FUZZ_TRACE") != nullptr;
    if (bTrace)
        std::fprintf(stderr, "located: %d%s\n%s", nLocated, bStatement ? "" : (" " + Escaped(presenter.m_strLast)).c_str(),
                     bStatement ? DescribeStatement(list).c_str() : "");
    if (bStatement) {
        // A free-form statement goes on to the next line only after an "&".
        FUZZ_CHECK(!RunsOnWithoutAmpersand(list),
                   "the statement was taken over a line that does not continue it\n" + strCase +
                       DescribeStatement(list));
        const std::vector<std::string> originalTexts = TextsOf(list);
        fuzz::CFieldSession session(list);
        std::string strEdits;
        for (const fuzz::SEditOp& op : ops) {
            ApplyEdit(session, op);
            strEdits += std::string(" '") + op.code + std::to_string(op.nNumber) + ":" + Escaped(op.strText) + "'";
        }
        const std::string strWhat = strCase + "  edits" + strEdits + "\n";

        // The lines the statement occupied; a new statement takes the place
        // of its blank line.
        std::vector<int> oldLines = list.m_arrLines;
        if (oldLines.empty())
            oldLines.push_back(list.m_nFirstLine);
        const int nCurrent = session.Current();
        const int bSaved = CommitStatement(list, nCurrent, nullptr, 0);
        const std::string saved = ReadWhole(file.Path());
        if (bTrace)
            std::fprintf(stderr, "saved: %d\n%sfile now %s\n", bSaved, DescribeStatement(list).c_str(),
                         Escaped(saved).c_str());
        const std::string strState = strWhat + "saved statement:\n" + DescribeStatement(list) + "file now " +
                                     Escaped(saved) + "\n";

        if (!bSaved) {
            // A save that failed leaves the file as it was.
            FUZZ_CHECK(saved == original, "a failed save changed the file\n" + strState);
            // OK refuses unbalanced parentheses (after taking the current
            // field back). A balanced statement is refused only when what
            // would be written does not read back as it is shown, and then
            // for a known reason: the statement's lines are read back from a
            // file of their own to see.
            if (list.IsBalanced()) {
                const std::string strRefusal = "a balanced statement was not saved: " + Escaped(presenter.m_strLast) + "\n";
                const CSourceFile side((Scratch().Path() / ("alone" + fs::path(pszName).extension().string())).string());
                {
                    std::ofstream out(side.Path(), std::ios::binary | std::ios::trunc);
                    for (const std::string& line : BuildStatementLines(list))
                        out << line << list.m_strLineEnd;
                }
                CDescriptorList back;
                const int nBack = LocateStatement(back, 1, ReadBackColumn(list), side.Path(), 0);
                const int nMatch = CompareReadBack(list, originalTexts, back, nBack,
                                                   strRefusal + strState + "its lines alone read back:\n");
                FUZZ_CHECK(nMatch == READ_BACK_KNOWN, strRefusal + strState + "though its lines alone read back as saved");
            }
        } else {
            // A save that succeeded: the file holds the statement as it was
            // saved, at the same line, and every other line as it was.
            CDescriptorList back;
            const int nBack = LocateStatement(back, list.m_nFirstLine, ReadBackColumn(list), file.Path(), 0);
            const int nMatch = CompareReadBack(list, originalTexts, back, nBack, strState + "read back:\n");
            const std::string strBack = strState + "read back:\n" + DescribeReadBack(back, nBack);
            // Every line outside the statement is as it was.
            std::size_t nRegionEnd = 0;
            const std::string strOutside = CompareOutside(original, saved, list.m_nFirstLine, oldLines, nRegionEnd);
            FUZZ_CHECK(strOutside.empty(),
                       "a line outside the statement changed: " + strOutside + "\n" + strBack);
            // The statement read back starts where it was written and ends
            // within the stretch it was written to.
            if (nMatch == READ_BACK_EXACT)
                FUZZ_CHECK(!back.m_arrLines.empty() && back.m_arrLines.front() == list.m_nFirstLine &&
                               static_cast<std::size_t>(back.m_arrLines.back()) <= nRegionEnd,
                           "the statement read back does not occupy the lines written\n" + strBack);
        }
    }
    std::error_code ec;
    fs::remove(file.Path(), ec);
    FUZZ_CHECK(Scratch().Empty(), "files left behind: " + Scratch().Listing() + "\n" + strCase);
    return 0;
}
