// quillmark-text --check and --items end to end: small Fortran files, one
// for each kind of finding (and the places they name across continuation
// lines and inside format strings), modules used from another file of the
// run, INCLUDE files beside a file, the three forms of diagnostics and the
// exit statuses.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "process_runner.h"
#include "temp_dir.h"

namespace {

SProcessResult Text(const std::vector<std::string>& args, const std::string& strDir)
{
    return RunProcess(QUILLMARK_TEXT, args, strDir);
}

struct SCase {
    const char* pszName;
    const char* pszFile;
    const char* pszSource;
    const char* pszExpected;  // --check's lines
};

const SCase kCases[] = {
    {"a clean file", "clean.f90",
     "program p\n  integer :: n\n  real :: x\n  write (6, 100) n, x\n100 format (I5, F8.3)\nend program\n", ""},
    {"a refused item, its field on a continuation line", "refused.f",
     "      PROGRAM P\n      INTEGER N\n      WRITE (6, 100) N, N\n  100 FORMAT (I5,\n     $        F8.3)\n      END\n",
     "refused.f:3:7: error: Expected REAL for item 2 in formatted transfer, got INTEGER\n"},
    {"the field inside a format string with doubled quotes", "string.f90",
     "program p\n  character(4) :: s\n  print '(''it''''s'', I3)', s\nend program\n",
     "string.f90:3:3: error: Expected INTEGER for item 1 in formatted transfer, got CHARACTER\n"},
    {"bytes under A, an implied-DO list's items counted", "bytes.f",
     "      PROGRAM P\n      INTEGER IA(3)\n      WRITE (6, '(3I4, A)') (IA(J), J = 1, 3), IA(1)\n      END\n",
     "bytes.f:3:7: warning: Bytes transferred: INTEGER item 4 (IA(1)) under A is transferred as bytes or bits, "
     "not as its value\n"},
    {"no data edit, a READ through a constant", "nodata.f90",
     "program p\n  integer :: n\n  write (6, '(1X)') n\n  read (5, '(''x'', I3)') n\nend program\n",
     "nodata.f90:3:3: error: Insufficient data descriptors in format after reversion: no data edit descriptor for "
     "item 1 (n)\n"
     "nodata.f90:4:3: error: Constant string in input format: READ through the character constant edit 'x'\n"},
    {"reversion, a named constant as the format", "reversion.f90",
     "program p\n  character(*), parameter :: f = '(2I4)'\n  integer :: a(5)\n  write (6, f) a\nend program\n",
     "reversion.f90:4:3: note: items 3 to 5 start a new record at the group of line 4\n"},
    {"a missing and an unused label, a variable format", "labels.f",
     "      SUBROUTINE S(F)\n      CHARACTER*(*) F\n      WRITE (6, F) 1\n      END\n"
     "      PROGRAM P\n      WRITE (6, 200) 1\n  100 FORMAT (I5)\n      END\n",
     "labels.f:3:17: note: Format not checked: it is given by the variable or expression F\n"
     "labels.f:6:17: error: FORMAT label 200 not defined in this program unit\n"
     "labels.f:7:7: warning: FORMAT label 100 defined but not used\n"},
    {"a namelist group where a format stands is namelist output", "namelist.f90",
     "program p\n  integer :: n\n  namelist /grp/ n\n  write (6, grp)\n  read (5, grp)\nend program\n", ""},
    {"an unreadable format", "unreadable.f90", "program p\n  write (6, '(I3, W5)') 1\nend program\n",
     "unreadable.f90:2:21: error: Format not read: it cannot be read from column 8 of its list on\n"},
    {"a module of another file is read first; one not read leaves names unknown", "uses.f90",
     "program p\n  use shapes\n  use elsewhere, only: k\n  write (6, '(I5)') area, k\nend program\n",
     "uses.f90:4:3: error: Expected INTEGER for item 1 in formatted transfer, got REAL\n"},
    {"an INCLUDE file beside the file declares", "included.f",
     "      PROGRAM P\n      INCLUDE 'decl.h'\n      WRITE (6, '(F8.2)') NSIZE\n      END\n",
     "included.f:3:7: error: Expected REAL for item 1 in formatted transfer, got CHARACTER\n"},
};

const char kModule[] = "module shapes\n  real :: area\nend module\n";
const char kInclude[] = "      CHARACTER*8 NSIZE\n";

TEST(Check, EachFindingIsOneLineWithItsPlace)
{
    CTempDir dir;
    dir.Write("shapes.f90", kModule);
    dir.Write("decl.h", kInclude);
    for (const SCase& c : kCases) {
        SCOPED_TRACE(c.pszName);
        dir.Write(c.pszFile, c.pszSource);
        const SProcessResult run = Text({"--check", c.pszFile, "shapes.f90"}, dir.Path().string());
        EXPECT_EQ(run.strOut, c.pszExpected);
        EXPECT_EQ(run.nExitStatus, *c.pszExpected == '\0' ? 0 : 1) << run.strErr;
    }
}

// Portability is said at the field, once for a FORMAT statement whatever
// uses it; a form of a later standard only when --std= names an earlier one.
TEST(Check, PortabilityAtTheFieldAndByTheStandardAsked)
{
    CTempDir dir;
    dir.Write("port.f", "      PROGRAM P\n      WRITE (6, 100) 1\n      WRITE (6, 100) 2\n"
                        "  100 FORMAT (I5,\n     $        G0, $)\n      PRINT '(A A)', 'x', 'y'\n      END\n");
    const std::string strForms =
        "port.f:5:19: warning: $ is an extension that keeps the record open: some compilers refuse it, write "
        "ADVANCE='NO' instead\n"
        "port.f:6:16: warning: no comma after A: compilers that accept the items without it may read them "
        "differently\n";
    const SProcessResult any = Text({"--check", "port.f"}, dir.Path().string());
    EXPECT_EQ(any.strOut, strForms);
    const SProcessResult f95 = Text({"--check", "--std=f95", "port.f"}, dir.Path().string());
    EXPECT_EQ(f95.strOut, "port.f:5:15: warning: G0 is a form of Fortran 2008, later than the standard checked "
                          "against\n" +
                              strForms);
    EXPECT_EQ(Text({"--check", "--std=f2008", "port.f"}, dir.Path().string()).strOut, strForms);
}

TEST(Check, FoldersJsonSarifAndTheExitStatuses)
{
    CTempDir dir;
    std::filesystem::create_directories(dir.Path() / "src" / "deep");
    dir.Write("shapes.f90", kModule);
    dir.Write("decl.h", kInclude);
    for (const SCase& c : kCases)
        dir.Write(std::string("src/deep/") + c.pszFile, c.pszSource);
    dir.Write("src/notes.txt", "write (6, 100) x\n");  // no Fortran suffix: not read
    std::size_t nExpected = 0;
    for (const SCase& c : kCases)
        for (const char* p = c.pszExpected; *p != '\0'; ++p)
            nExpected += *p == '\n' ? 1 : 0;
    const std::string root = dir.Path().string();
    const SProcessResult gcc = Text({"--check", "."}, root);
    EXPECT_EQ(gcc.nExitStatus, 1);
    EXPECT_EQ(static_cast<std::size_t>(std::count(gcc.strOut.begin(), gcc.strOut.end(), '\n')), nExpected - 1)
        << gcc.strOut;  // the module is read, but the INCLUDE file is not beside the files in src/deep

    const SProcessResult json = Text({"--check", "--diagnostics=json", "src", "shapes.f90"}, root);
    const nlohmann::json document = nlohmann::json::parse(json.strOut);
    std::size_t nFindings = 0;
    for (const auto& file : document.at("files"))
        for (const auto& finding : file.at("findings")) {
            ++nFindings;
            EXPECT_TRUE(finding.at("severity") == "error" || finding.at("severity") == "warning" ||
                        finding.at("severity") == "note");
            EXPECT_GE(finding.at("line").get<int>(), 1);
            EXPECT_FALSE(finding.at("message").get<std::string>().empty());
        }
    EXPECT_EQ(nFindings, nExpected - 1);  // the module is read: only the included file's finding is missing

    const SProcessResult sarif = Text({"--check", "--diagnostics", "sarif", "src", "shapes.f90"}, root);
    const nlohmann::json log = nlohmann::json::parse(sarif.strOut);
    EXPECT_EQ(log.at("version"), "2.1.0");
    ASSERT_EQ(log.at("runs").size(), 1u);
    const auto& run = log.at("runs")[0];
    std::set<std::string> ruleIds;
    for (const auto& rule : run.at("tool").at("driver").at("rules"))
        ruleIds.insert(rule.at("id").get<std::string>());
    EXPECT_EQ(run.at("tool").at("driver").at("name"), "quillmark-text");
    EXPECT_EQ(run.at("results").size(), nFindings);
    for (const auto& result : run.at("results")) {
        EXPECT_EQ(ruleIds.count(result.at("ruleId").get<std::string>()), 1u);
        EXPECT_FALSE(result.at("message").at("text").get<std::string>().empty());
        const auto& location = result.at("locations").at(0).at("physicalLocation");
        EXPECT_FALSE(location.at("artifactLocation").at("uri").get<std::string>().empty());
        EXPECT_GE(location.at("region").at("startLine").get<int>(), 1);
        EXPECT_GE(location.at("region").at("startColumn").get<int>(), 1);
    }

    EXPECT_EQ(Text({"--check", "src/deep/clean.f90"}, root).nExitStatus, 0);
    EXPECT_EQ(Text({"--check", "no-such-folder"}, root).nExitStatus, 1);
    for (const std::vector<std::string>& bad : {std::vector<std::string>{"--check"},
                                                {"--check", "--diagnostics=xml", "."},
                                                {"--check", "--std=f66", "."},
                                                {"--diagnostics=json", "src/deep/clean.f90", "1", "1"},
                                                {"--check", "--write", "."}})
        EXPECT_EQ(Text(bad, root).nExitStatus, 2) << bad[1];
}

TEST(Check, ItemsShowEachFieldsItemsForEachUse)
{
    CTempDir dir;
    dir.Write("items.f",
              "      PROGRAM P\n      INTEGER N\n      REAL X(2), Y(3)\n      WRITE (6, 100) N, X(1), (Y(J), J=1,3)\n"
              "      WRITE (6, 100) N\n  100 FORMAT (I5, 2F8.3,\n     $        :, 1X, (F6.1))\n      END\n");
    const SProcessResult run = Text({"--items", "--json", "items.f", "7", "9"}, dir.Path().string());
    ASSERT_EQ(run.nExitStatus, 0) << run.strErr;
    const nlohmann::json document = nlohmann::json::parse(run.strOut);
    const auto& uses = document.at("uses");
    ASSERT_EQ(uses.size(), 2u);
    const auto& fields = uses[0].at("fields");
    ASSERT_EQ(fields.size(), 7u);  // I5, 2F8.3, :, 1X, (, F6.1, )
    EXPECT_EQ(fields[0].at("items"), nlohmann::json::array({"N"}));
    EXPECT_EQ(fields[1].at("items"), nlohmann::json::array({"X(1)", "(Y(J), J=1,3)"}));
    EXPECT_EQ(fields[5].at("items"), nlohmann::json::array({"(Y(J), J=1,3)"}));
    EXPECT_EQ(fields[5].at("line"), 7);
    EXPECT_EQ(fields[5].at("column"), 23);
    EXPECT_EQ(fields[5].at("reused"), true);  // Y(3) by reversion to the group (F6.1)
    EXPECT_EQ(fields[1].at("reused"), false);
    EXPECT_EQ(uses[0].at("records"), 2);
    EXPECT_EQ(uses[1].at("records"), 1);
    EXPECT_EQ(uses[0].at("status"), "WRITE (6, 100) at line 4: 3 items, 2 records");
    EXPECT_EQ(uses[1].at("status"), "WRITE (6, 100) at line 5: 1 item, 1 record");
    EXPECT_EQ(fields[1].at("no_item"), nullptr);
    EXPECT_EQ(uses[1].at("fields")[1].at("no_item"), "list-ended");  // N alone: the list ends at 2F8.3
    EXPECT_EQ(uses[1].at("fields")[5].at("no_item"), "list-ended");
    EXPECT_EQ(Text({"--items", "items.f", "2", "9"}, dir.Path().string()).nExitStatus, 1);
    // A format string's statement, the cursor past the string: the window
    // opens the string there, and --items lists its use.
    dir.Write("string.f90", "program p\n  write (6, '(1x,i5)') 42\nend program p\n");
    const SProcessResult past = Text({"--items", "string.f90", "2", "25"}, dir.Path().string());
    EXPECT_EQ(past.nExitStatus, 0) << past.strErr;
    EXPECT_EQ(past.strOut,
              "WRITE on line 2, column 3: 1 record\n  0\t1x\t\tsample \" \"\n  1\ti5\t42\tsample \"12345\"\n");
}

// Each field's sample as the window shows it for the statement's items: a
// CHARACTER*3 under A in its length, an integer under G as under I, and a
// field that edits no item its own, in text and JSON.
TEST(Check, ItemsShowEachFieldsSampleForItsItems)
{
    CTempDir dir;
    dir.Write("typed.f90", "program p\n  character(len=3) :: c\n  integer :: n\n"
                           "  write (*, '(A, G6.1, F5.1)') c, n\nend program\n");
    const SProcessResult json = Text({"--items", "--json", "typed.f90", "4", "15"}, dir.Path().string());
    ASSERT_EQ(json.nExitStatus, 0) << json.strErr;
    const nlohmann::json document = nlohmann::json::parse(json.strOut);
    const auto& fields = document.at("uses")[0].at("fields");
    ASSERT_EQ(fields.size(), 3u);
    EXPECT_EQ(fields[0].at("sample"), "abc");
    EXPECT_EQ(fields[0].at("typed_sample"), true);
    EXPECT_EQ(fields[1].at("sample"), "123456");
    EXPECT_EQ(fields[1].at("typed_sample"), true);
    EXPECT_EQ(fields[2].at("sample"), "123.1");
    EXPECT_EQ(fields[2].at("typed_sample"), false);
    const SProcessResult text = Text({"--items", "typed.f90", "4", "15"}, dir.Path().string());
    ASSERT_EQ(text.nExitStatus, 0) << text.strErr;
    EXPECT_NE(text.strOut.find("  0\tA\tc\tsample \"abc\"\n"), std::string::npos) << text.strOut;
    EXPECT_NE(text.strOut.find("\tsample \"123.1\"\n"), std::string::npos) << text.strOut;
}

// A file looked at alone sees the modules of the files in its folder, not
// those of the folders below it.
TEST(Check, ItemsSeeTheModulesBesideTheFile)
{
    CTempDir dir;
    dir.Write("shapes.f90", kModule);
    std::filesystem::create_directory(dir.Path() / "deeper");
    dir.Write("deeper/more.f90", "module more\n  integer :: k\nend module\n");
    dir.Write("uses.f90", "program p\n  use shapes\n  use more\n  write (6, '(I5, F5.1)') area, k\nend program\n");
    const SProcessResult run = Text({"--items", "uses.f90", "4", "14"}, dir.Path().string());
    EXPECT_EQ(run.nExitStatus, 0) << run.strErr;
    EXPECT_NE(run.strOut.find("uses.f90:4:3: error: Expected INTEGER for item 1 in formatted transfer, got REAL"),
              std::string::npos)
        << run.strOut;
    EXPECT_EQ(run.strOut.find("item 2"), std::string::npos) << run.strOut;  // k: not known
}

}  // namespace
