// Every statement of real fixed- and free-form files, located and written
// back without an edit, reads the same afterwards, and the file still
// compiles.
#include <cstdlib>

#include "source_helpers.h"

namespace {

bool HaveCompiler()
{
    static const bool bHave = std::system("gfortran --version > /dev/null 2>&1") == 0;
    return bHave;
}

bool Compiles(const std::string& strFile, const std::filesystem::path& dir)
{
    const std::string strCommand = "cd '" + dir.string() + "' && gfortran -fsyntax-only '" + strFile + "' > /dev/null 2>&1";
    return std::system(strCommand.c_str()) == 0;
}

std::vector<std::string> SplitLines(const std::string& s)
{
    std::vector<std::string> lines;
    std::size_t nFrom = 0;
    for (std::size_t n; (n = s.find('\n', nFrom)) != std::string::npos; nFrom = n + 1)
        lines.push_back(s.substr(nFrom, n - nFrom));
    if (nFrom < s.size())
        lines.push_back(s.substr(nFrom));
    return lines;
}

// The 1-based columns of the quotes that open constants on a line.
std::vector<long long> OpeningQuotes(const std::string& line)
{
    std::vector<long long> columns;
    char chQuote = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (chQuote == 0 && (line[i] == '\'' || line[i] == '"')) {
            chQuote = line[i];
            columns.push_back(static_cast<long long>(i) + 1);
        } else if (chQuote != 0 && line[i] == chQuote) {
            if (i + 1 < line.size() && line[i + 1] == chQuote)
                ++i;
            else
                chQuote = 0;
        }
    }
    return columns;
}

class RoundTrip : public ::testing::TestWithParam<const char*> {};

TEST_P(RoundTrip, EveryStatementWrittenBackUnchangedReadsTheSameAndCompiles)
{
    const std::string strName = GetParam();
    const std::string strOriginal = ReadWholeFile(std::string(QUILLMARK_SOURCE_DATA) + "/" + strName);
    ASSERT_FALSE(strOriginal.empty());
    CTempDir dir;
    CRecordingPresenter presenter(IDNO);
    if (HaveCompiler()) {
        ASSERT_TRUE(Compiles(dir.Write(strName, strOriginal), dir.Path())) << "the sample itself must compile";
    }

    const std::vector<std::string> lines = SplitLines(strOriginal);
    int nStatements = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const long long nLine = static_cast<long long>(i) + 1;
        std::vector<long long> columns = OpeningQuotes(lines[i]);
        columns.insert(columns.begin(), 1);  // a FORMAT statement needs no column
        for (long long nColumn : columns) {
            const std::string strFile = dir.Write(strName, strOriginal);
            CDescriptorList before;
            presenter.m_messages.clear();
            if (LocateStatement(before, nLine, nColumn, strFile, 1) != LOCATE_FOUND)
                continue;  // no descriptor list there
            if (nColumn == 1 && before.m_chDelimiter != 'f')
                continue;  // the same constant is tried at its own column
            ++nStatements;
            const std::string strWhere = strName + ":" + std::to_string(nLine) + ":" + std::to_string(nColumn);
            ASSERT_EQ(WriteStatement(before, 0), 1) << strWhere;
            CDescriptorList after;
            ASSERT_EQ(LocateStatement(after, nLine, nColumn, strFile, 1), LOCATE_FOUND)
                << strWhere << "\n" << ReadWholeFile(strFile);
            EXPECT_EQ(Texts(after), Texts(before)) << strWhere;
            EXPECT_EQ(after.m_strTail, before.m_strTail) << strWhere;
            EXPECT_EQ(after.m_strHead, before.m_strHead) << strWhere;
            // Lines outside the statement are untouched.
            const std::vector<std::string> rewritten = SplitLines(ReadWholeFile(strFile));
            const std::size_t nOld = before.m_arrLines.size(), nNew = after.m_arrLines.size();
            ASSERT_EQ(rewritten.size() + nOld, lines.size() + nNew) << strWhere;
            for (long long n = 1; n < nLine; ++n)
                EXPECT_EQ(rewritten[static_cast<std::size_t>(n - 1)], lines[static_cast<std::size_t>(n - 1)]);
            for (std::size_t n = 1; n + static_cast<std::size_t>(before.m_arrLines.back()) <= lines.size(); ++n)
                EXPECT_EQ(rewritten[rewritten.size() - n], lines[lines.size() - n]) << strWhere;
            if (HaveCompiler()) {
                EXPECT_TRUE(Compiles(strFile, dir.Path())) << strWhere << "\n" << ReadWholeFile(strFile);
            }
        }
    }
    EXPECT_GE(nStatements, 10);
}

INSTANTIATE_TEST_SUITE_P(Samples, RoundTrip, ::testing::Values("report.for", "analysis.f90"));

}  // namespace
