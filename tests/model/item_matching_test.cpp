// Items matched to fields, checked against gfortran at test time: random
// formats (random_format.h: data edits of every family, constants, "/",
// ":", "T", groups with repeat counts, "*(") written with random I/O lists (scalars, arrays and
// implied-DO lists of every type) in one program. For each statement the
// run time's verdict (refused, and at which item, or not) must be the
// matching's, and where it writes, the records it writes must be the
// number the matching counts.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "descriptor_list.h"
#include "item_matching.h"
#include "process_runner.h"
#include "random_format.h"
#include "temp_dir.h"

namespace {

struct SVariable {
    const char* pszName;
    SItemType type;
};

// Declared in the program: each scalar and a 3-element array of it.
const SVariable kVariables[] = {
    {"n", {ItemType::INTEGER, 4}},   {"k8", {ItemType::INTEGER, 8}}, {"x", {ItemType::REAL, 4}},
    {"d", {ItemType::REAL, 8}},      {"z", {ItemType::COMPLEX, 4}},  {"t", {ItemType::LOGICAL, 4}},
    {"s", {ItemType::CHARACTER, 0}},
};
const char* const kDeclarations = "  integer :: n = 7, an(3) = 7\n  integer(8) :: k8 = 8, ak8(3) = 8\n"
                                  "  real :: x = 1.5, ax(3) = 1.5\n  real(8) :: d = 2.5d0, ad(3) = 2.5d0\n"
                                  "  complex :: z = (1.0, 2.0), az(3) = (1.0, 2.0)\n"
                                  "  logical :: t = .true., at(3) = .true.\n"
                                  "  character(4) :: s = 'abcd', as(3) = 'abcd'\n  integer :: i\n";

struct SStatement {
    std::string format;
    std::string items;
    std::vector<SIoItem> list;
};

SStatement RandomStatement(std::mt19937& random, CKindTally& kinds)
{
    SStatement statement;
    SFormatStyle style;
    style.chQuote = '"';
    style.bTabs = true;
    std::set<std::string> formatKinds;
    statement.format = RandomFormat(random, style, &formatKinds);
    kinds.Add(formatKinds);
    const int nItems = static_cast<int>(random() % 5);
    for (int i = 0; i < nItems; ++i) {
        const SVariable& v = kVariables[random() % std::size(kVariables)];
        const unsigned nShape = random() % 3;
        const std::string name = v.pszName;
        if (!statement.items.empty())
            statement.items += ", ";
        if (nShape == 0) {
            statement.items += name;
            statement.list.push_back({v.type, 1});
        } else if (nShape == 1) {
            statement.items += "a" + name;
            statement.list.push_back({v.type, 3});
        } else {
            statement.items += "(a" + name + "(i), i = 1, 2)";
            statement.list.push_back({v.type, 2});
        }
    }
    return statement;
}

// Each statement writes to an internal file whose records are first filled
// with a mark: the records written are those that no longer hold it (the
// bytes an A edit writes of a number may hold a line end). It prints its
// IOSTAT, the records written and its message.
std::string Program(const std::vector<SStatement>& statements)
{
    std::string s = "program matching\n  implicit none\n  integer :: ios\n  character(200) :: msg\n"
                    "  character(300) :: rec(400)\n";
    s += kDeclarations;
    for (const SStatement& statement : statements) {
        s += "  msg = ''\n  rec = repeat(achar(1), 300)\n  write (rec, '(" + statement.format +
             ")', iostat=ios, iomsg=msg) " + statement.items +
             "\n  print '(i0,1x,i0,1x,a)', ios, count(rec /= repeat(achar(1), 300)), trim(msg)\n";
    }
    return s + "end program\n";
}

TEST(ItemMatching, VerdictsAndRecordsAreTheRunTimes)
{
    const std::string gfortran = FindOnPath("gfortran");
    if (gfortran.empty())
        GTEST_SKIP() << "gfortran is not installed";
    std::mt19937 random(20261210);
    std::vector<SStatement> statements;
    CKindTally kinds;
    for (int i = 0; i < 1500; ++i)
        statements.push_back(RandomStatement(random, kinds));
    // every edit family, with and without widths, every control edit, groups
    // nested and not, "*(": each in some statement
    std::vector<std::string> required = FormatKinds(false);
    required.push_back("T30");
    EXPECT_EQ(kinds.Missing(required), std::vector<std::string>());
    CTempDir dir;
    dir.Write("matching.f90", Program(statements));
    const SProcessResult build = RunProcess(
        gfortran, {"-O0", "-w", "-ffree-line-length-none", "-o", dir.File("matching"), dir.File("matching.f90")},
        dir.Path());
    ASSERT_EQ(build.nExitStatus, 0) << build.strErr.substr(0, 2000);
    const SProcessResult run = RunProcess(dir.File("matching"), {}, dir.Path());
    ASSERT_EQ(run.nExitStatus, 0) << run.strErr;

    // Each statement's line: IOSTAT, records, message (whose later lines,
    // the format and a caret, start otherwise).
    std::vector<std::string> verdicts;
    std::vector<long long> records;
    std::stringstream out(run.strOut);
    for (std::string line; std::getline(out, line);) {
        std::stringstream fields(line);
        std::string ios;
        long long nRecords = 0;
        if (!(fields >> ios >> nRecords) || (ios[0] != '-' && (ios[0] < '0' || ios[0] > '9')))
            continue;
        std::string message;
        std::getline(fields, message);
        verdicts.push_back(ios + message.substr(0, message.find_last_not_of(' ') + 1));
        records.push_back(nRecords);
    }
    ASSERT_EQ(verdicts.size(), statements.size());

    int nRefused = 0;
    int nWritten = 0;
    for (std::size_t k = 0; k < statements.size(); ++k) {
        const SStatement& statement = statements[k];
        SCOPED_TRACE("write (rec, '(" + statement.format + ")') " + statement.items);
        CDescriptorList list;
        ASSERT_TRUE(list.Split("(" + statement.format + ")").Ok());
        const SItemMatch match = MatchItems(FormatEditsOf(list), statement.list, false);
        std::string expected = "0";
        for (const SMatchFinding& finding : match.findings) {
            if (finding.kind == MatchFinding::REFUSED) {
                expected = "5006 " + RefusalText(finding.transfer, finding.nTransfer);
                break;
            }
            if (finding.kind == MatchFinding::NO_DATA_EDIT) {
                expected = "5006 Insufficient data descriptors in format after reversion";
                break;
            }
        }
        EXPECT_EQ(verdicts[k], expected);
        if (expected == "0") {
            EXPECT_EQ(match.nRecords, records[k]);
            ++nWritten;
        } else {
            ++nRefused;
        }
    }
    std::printf("%zu statements through gfortran: %d refused as the matching said, %d written with its records\n",
                statements.size(), nRefused, nWritten);
}

}  // namespace
