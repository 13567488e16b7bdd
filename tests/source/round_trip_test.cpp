// Every statement of real fixed- and free-form files, located and written
// back without an edit, reads the same afterwards, and the file still
// compiles.
#include "source_helpers.h"

namespace {

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
    CSourceRecorder presenter(MessageAnswer::NO);
    const CRecordingInto recording(presenter);
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
            CLocatedStatement before;
            presenter.m_messages.clear();
            if (LocateStatement(before, nLine, nColumn, strFile, 1) != LOCATE_FOUND)
                continue;  // no descriptor list there
            if (nColumn == 1 && before.m_chDelimiter != 'f')
                continue;  // the same constant is tried at its own column
            ++nStatements;
            const std::string strWhere = strName + ":" + std::to_string(nLine) + ":" + std::to_string(nColumn);
            ASSERT_EQ(WriteStatement(before, 0), 1) << strWhere;
            CLocatedStatement after;
            ASSERT_EQ(LocateStatement(after, nLine, nColumn, strFile, 1), LOCATE_FOUND) << strWhere << "\n"
                                                                                        << ReadWholeFile(strFile);
            EXPECT_EQ(Texts(after), Texts(before)) << strWhere;
            EXPECT_EQ(after.m_strTail, before.m_strTail) << strWhere;
            EXPECT_EQ(after.m_strHead, before.m_strHead) << strWhere;
            // Lines outside the statement are untouched; between them stand
            // the new statement's lines and comment lines, and every comment
            // the statement held is still there.
            const std::vector<std::string> rewritten = SplitLines(ReadWholeFile(strFile));
            const std::size_t nBefore = static_cast<std::size_t>(nLine) - 1;
            const std::size_t nAfter = lines.size() - static_cast<std::size_t>(before.m_arrLines.back());
            ASSERT_GE(rewritten.size(), nBefore + nAfter + after.m_arrLines.size()) << strWhere;
            for (std::size_t n = 0; n < nBefore; ++n)
                EXPECT_EQ(rewritten[n], lines[n]);
            for (std::size_t n = 1; n <= nAfter; ++n)
                EXPECT_EQ(rewritten[rewritten.size() - n], lines[lines.size() - n]) << strWhere;
            std::string strMiddle;
            std::size_t nCode = 0;
            for (std::size_t n = nBefore; n + nAfter < rewritten.size(); ++n) {
                strMiddle += rewritten[n] + "\n";
                const std::size_t nFirst = rewritten[n].find_first_not_of(' ');
                const bool bComment = nFirst == std::string::npos || rewritten[n][nFirst] == '!' ||
                                      rewritten[n][nFirst] == '#' ||
                                      (before.m_bFixedForm && (rewritten[n][0] == 'C' || rewritten[n][0] == 'c'));
                nCode += bComment ? 0 : 1;
            }
            EXPECT_EQ(nCode, after.m_arrLines.size()) << strWhere;
            for (const std::string& strComment : before.m_arrLineComments)
                EXPECT_NE(strMiddle.find(strComment), std::string::npos) << strWhere << ": " << strComment;
            if (HaveCompiler()) {
                EXPECT_TRUE(Compiles(strFile, dir.Path())) << strWhere << "\n" << ReadWholeFile(strFile);
            }
        }
    }
    EXPECT_GE(nStatements, strName.rfind("layout", 0) == 0 ? 3 : 10);
}

INSTANTIATE_TEST_SUITE_P(Samples, RoundTrip,
                         ::testing::Values("report.for", "analysis.f90", "layout.F90", "layout.F",
                                           "later_standards.for", "later_standards.f90"));

}  // namespace
