// What a READ or WRITE will do with its items, from the source alone,
// checked against gfortran at test time: generated programs declare
// variables in every form (old and new type declarations, kinds, DIMENSION,
// implicit typing by first letter and by IMPLICIT, named constants as
// bounds and kinds), write them and read them (from what a WRITE of the
// same items through the same format wrote) through labelled FORMAT
// statements and format strings (random_format.h), and print each
// statement's IOSTAT and message. For every statement the file's reading
// (its FORMAT found by label, its items typed by the declarations, matched
// to the fields) must give the run time's verdict: no error, or the refusal
// at the same item, or the character constant a READ stops at. Each set
// must hold every kind of declaration, edit, group and item it means to:
// the kinds are counted, and one that no statement holds fails the test.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "descriptor_list.h"
#include "format_check.h"
#include "format_uses.h"
#include "fortran_tokens.h"
#include "item_matching.h"
#include "process_runner.h"
#include "random_format.h"
#include "statement_writer.h"
#include "temp_dir.h"

namespace {

// A declaration and the kind of declaration it is.
struct SForm {
    const char* pszDeclaration;  // "" for none: the implicit rules type the name
    const char* pszKind;
};

// Each variable: its declarations in three forms (one picked per program),
// its type ('I' integer, 'R' real, 'Z' complex, 'L' logical, 'C'
// character) and whether it is an array of 3 elements (NE is a named
// constant 3).
struct SVariable {
    const char* pszName;
    SForm forms[3];
    char chType;
    bool bArray;
};

const SVariable kVariables[] = {
    {"n", {{"INTEGER N", "INTEGER"}, {"integer :: n", "INTEGER"}, {"", "implicit by first letter"}}, 'I', false},
    {"k1",
     {{"INTEGER*1 K1", "INTEGER*1"}, {"integer(kind=1) :: k1", "INTEGER(KIND=k)"}, {"integer(1) k1", "INTEGER(k)"}},
     'I',
     false},
    {"k2",
     {{"INTEGER*2 K2", "INTEGER*2"}, {"integer(2) :: k2", "INTEGER(k)"}, {"integer(kind=2) k2", "INTEGER(KIND=k)"}},
     'I',
     false},
    {"k4",
     {{"INTEGER*4 K4", "INTEGER*4"}, {"integer(kind=4) :: k4", "INTEGER(KIND=k)"}, {"integer(4) k4", "INTEGER(k)"}},
     'I',
     false},
    {"k8",
     {{"INTEGER*8 K8", "INTEGER*8"}, {"integer(kind=8) :: k8", "INTEGER(KIND=k)"}, {"integer(8) k8", "INTEGER(k)"}},
     'I',
     false},
    {"x", {{"REAL X", "REAL"}, {"real :: x", "REAL"}, {"", "implicit by first letter"}}, 'R', false},
    {"r4", {{"REAL*4 R4", "REAL*4"}, {"real(kind=4) :: r4", "REAL(KIND=k)"}, {"real(4) r4", "REAL(k)"}}, 'R', false},
    {"d",
     {{"DOUBLE PRECISION D", "DOUBLE PRECISION"}, {"real(8) :: d", "REAL(8)"}, {"REAL*8 D", "REAL*8"}},
     'R',
     false},
    {"e",
     {{"real(kind=dp) :: e", "REAL(KIND=dp)"},
      {"REAL(dp) E", "REAL(dp)"},
      {"double precision :: e", "DOUBLE PRECISION"}},
     'R',
     false},
    {"w", {{"", "IMPLICIT statement"}, {"REAL*8 W", "REAL*8"}, {"", "IMPLICIT statement"}}, 'R', false},
    {"z", {{"COMPLEX Z", "COMPLEX"}, {"complex :: z", "COMPLEX"}, {"complex(4) z", "COMPLEX(k)"}}, 'Z', false},
    {"zd",
     {{"COMPLEX*16 ZD", "COMPLEX*16"},
      {"double complex :: zd", "DOUBLE COMPLEX"},
      {"complex(kind=8) zd", "COMPLEX(KIND=k)"}},
     'Z',
     false},
    {"q", {{"", "IMPLICIT statement"}, {"DOUBLE COMPLEX Q", "DOUBLE COMPLEX"}, {"", "IMPLICIT statement"}}, 'Z', false},
    {"t", {{"LOGICAL T", "LOGICAL"}, {"logical :: t", "LOGICAL"}, {"logical(4) t", "LOGICAL(k)"}}, 'L', false},
    {"l1",
     {{"LOGICAL*1 L1", "LOGICAL*1"}, {"logical(1) :: l1", "LOGICAL(k)"}, {"logical(kind=1) l1", "LOGICAL(KIND=k)"}},
     'L',
     false},
    {"l2",
     {{"LOGICAL*2 L2", "LOGICAL*2"}, {"logical(kind=2) :: l2", "LOGICAL(KIND=k)"}, {"logical(2) l2", "LOGICAL(k)"}},
     'L',
     false},
    {"l4",
     {{"LOGICAL*4 L4", "LOGICAL*4"}, {"logical(4) :: l4", "LOGICAL(k)"}, {"logical(kind=4) l4", "LOGICAL(KIND=k)"}},
     'L',
     false},
    {"l8",
     {{"LOGICAL*8 L8", "LOGICAL*8"}, {"logical(kind=8) :: l8", "LOGICAL(KIND=k)"}, {"logical(8) l8", "LOGICAL(k)"}},
     'L',
     false},
    {"u", {{"", "IMPLICIT statement"}, {"LOGICAL U", "LOGICAL"}, {"", "IMPLICIT statement"}}, 'L', false},
    {"s",
     {{"CHARACTER*8 S", "CHARACTER*8"},
      {"character(len=20) :: s", "CHARACTER(LEN=20)"},
      {"character(20) s", "CHARACTER(20)"}},
     'C',
     false},
    {"c",
     {{"", "IMPLICIT statement"}, {"CHARACTER C*4", "CHARACTER name*4"}, {"character(len=8) :: c", "CHARACTER(LEN=8)"}},
     'C',
     false},
    {"ia",
     {{"INTEGER IA(NE)", "INTEGER"},
      {"integer, dimension(ne) :: ia", "INTEGER"},
      {"DIMENSION IA(3)", "implicit by first letter"}},
     'I',
     true},
    {"ka",
     {{"INTEGER*2 KA(3)", "INTEGER*2"},
      {"integer(kind=8), dimension(ne) :: ka", "INTEGER(KIND=k)"},
      {"integer(1) ka(ne)", "INTEGER(k)"}},
     'I',
     true},
    {"xa",
     {{"REAL XA(3)", "REAL"}, {"real :: xa(1:ne)", "REAL"}, {"DIMENSION XA(0:2)", "implicit by first letter"}},
     'R',
     true},
    {"da",
     {{"DOUBLE PRECISION DA(3)", "DOUBLE PRECISION"},
      {"real(kind=dp) :: da(ne)", "REAL(KIND=dp)"},
      {"REAL*8 DA(NE)", "REAL*8"}},
     'R',
     true},
    {"wa",
     {{"DIMENSION WA(3)", "IMPLICIT statement"},
      {"real(8) wa(3)", "REAL(8)"},
      {"dimension wa(0:2)", "IMPLICIT statement"}},
     'R',
     true},
    {"za",
     {{"COMPLEX ZA(NE)", "COMPLEX"}, {"complex, dimension(3) :: za", "COMPLEX"}, {"complex*16 za(3)", "COMPLEX*16"}},
     'Z',
     true},
    {"ta",
     {{"LOGICAL TA(3)", "LOGICAL"},
      {"logical(kind=1), dimension(ne) :: ta", "LOGICAL(KIND=k)"},
      {"LOGICAL*8 TA(NE)", "LOGICAL*8"}},
     'L',
     true},
    {"sa",
     {{"CHARACTER*4 SA(3)", "CHARACTER*4"},
      {"character(len=4), dimension(ne) :: sa", "CHARACTER(LEN=4)"},
      {"character(4) sa(3)", "CHARACTER(4)"}},
     'C',
     true},
};

// The implicit rules of the program (and of the module that declares its
// variables), which type w, q, u and c where nothing declares them.
const char* const kImplicit = "  IMPLICIT DOUBLE PRECISION (W), COMPLEX*16 (Q), LOGICAL (U), CHARACTER*8 (C)\n";
const char* const kParameters = "  integer, parameter :: ne = 3, dp = kind(1.0d0)\n";

// The kinds each generated set must hold: the forms of declaration, and
// the forms of the items (a READ's are variables only).
const std::vector<std::string> kDeclarationKinds = {
    "INTEGER",
    "INTEGER*1",
    "INTEGER*2",
    "INTEGER*4",
    "INTEGER*8",
    "INTEGER(KIND=k)",
    "REAL",
    "REAL*4",
    "REAL*8",
    "REAL(8)",
    "REAL(KIND=dp)",
    "DOUBLE PRECISION",
    "COMPLEX",
    "COMPLEX*16",
    "DOUBLE COMPLEX",
    "LOGICAL",
    "LOGICAL*1",
    "LOGICAL*2",
    "LOGICAL*4",
    "LOGICAL*8",
    "CHARACTER*8",
    "CHARACTER(LEN=20)",
    "CHARACTER(20)",
    "implicit by first letter",
    "IMPLICIT statement",
};
const std::vector<std::string> kVariableItemKinds = {
    "scalar",           "array element", "whole array", "section", "implied-DO", "implied-DO with another item",
    "nested implied-DO"};
const std::vector<std::string> kExpressionKinds = {
    "expression with promotion", "INT()", "REAL()", "DBLE()", "LEN()", "TRIM()", "constant item"};

struct SStatement {
    std::string format;
    std::string items;
    bool bString = false;
    bool bRead = false;
    std::vector<std::string> names;  // the variables its items name
    std::set<std::string> kinds;     // of its format and items (its variables' declarations are the program's)
};

const SVariable& RandomVariable(std::mt19937& random, const char* pszTypes, bool bArray)
{
    for (;;) {
        const SVariable& v = kVariables[random() % std::size(kVariables)];
        if (v.bArray == bArray && std::strchr(pszTypes, v.chType) != nullptr)
            return v;
    }
}

// A variable item: a scalar, or an array, its element or section, or an
// implied-DO list of its elements (with another item in each trip, or
// nested).
std::string VariableItem(std::mt19937& random, SStatement& statement)
{
    const SVariable& v = kVariables[random() % std::size(kVariables)];
    const std::string name = v.pszName;
    statement.names.push_back(name);
    if (!v.bArray) {
        statement.kinds.insert("scalar");
        return name;
    }
    constexpr const char* kShapes[] = {
        "whole array", "array element", "section", "implied-DO", "implied-DO with another item", "nested implied-DO"};
    const unsigned nShape = random() % std::size(kShapes);
    statement.kinds.insert(kShapes[nShape]);
    if (nShape == 1)
        return name + "(2)";
    if (nShape == 2)
        return name + "(1:2)";
    if (nShape == 3)
        return "(" + name + "(j), j = 1, 2)";
    if (nShape == 4) {
        const SVariable& other = RandomVariable(random, "IRZLC", false);
        statement.names.push_back(other.pszName);
        return std::string("(") + other.pszName + ", " + name + "(j), j = 1, " + std::to_string(1 + random() % 3) + ")";
    }
    if (nShape == 5)
        return "((" + name + "(j), j = 1, 2), k = 1, 2)";
    return name;
}

// An item a WRITE alone may have: an expression of two types, an intrinsic
// function's value, a constant.
std::string ExpressionItem(std::mt19937& random, SStatement& statement)
{
    constexpr const char* kConstants[] = {"7", "2.5", "1.0d0", "'ab'", ".true.", "(1.0, 2.0)"};
    const unsigned nPick = random() % 7;
    if (nPick == 0) {
        const SVariable& a = RandomVariable(random, "I", false);
        const SVariable& b = RandomVariable(random, "RZ", false);
        statement.kinds.insert("expression with promotion");
        return std::string(a.pszName) + (random() % 2 == 0 ? " + " : " * ") + b.pszName;
    }
    if (nPick <= 3) {
        constexpr const char* kNumeric[] = {"INT", "REAL", "DBLE"};
        const char* pszFunction = kNumeric[nPick - 1];
        statement.kinds.insert(std::string(pszFunction) + "()");
        std::string call = std::string(pszFunction) + "(" + RandomVariable(random, "IRZ", false).pszName + ")";
        std::transform(call.begin(), call.end(), call.begin(),
                       [](char ch) { return static_cast<char>(std::tolower(ch)); });
        return call;
    }
    if (nPick <= 5) {
        const char* pszFunction = nPick == 4 ? "LEN" : "TRIM";
        statement.kinds.insert(std::string(pszFunction) + "()");
        return std::string(nPick == 4 ? "len(" : "trim(") + RandomVariable(random, "C", false).pszName + ")";
    }
    statement.kinds.insert("constant item");
    return kConstants[random() % std::size(kConstants)];
}

// A READ or WRITE (one in nReads a READ), its format a format string one
// time in nStrings.
SStatement RandomStatement(std::mt19937& random, unsigned nReads, unsigned nStrings)
{
    SStatement statement;
    statement.bRead = random() % nReads == 0;
    SFormatStyle style;
    style.bInput = statement.bRead;
    statement.format = RandomFormat(random, style, &statement.kinds);
    statement.bString = random() % nStrings == 0;
    const int nItems = static_cast<int>(random() % 4);
    for (int i = 0; i < nItems; ++i) {
        statement.items += statement.items.empty() ? "" : ", ";
        statement.items += !statement.bRead && random() % 4 == 0 ? ExpressionItem(random, statement)
                                                                 : VariableItem(random, statement);
    }
    return statement;
}

// The value every variable is given before a READ's statements: what
// every edit writes and reads back (no bits that B8 cannot write, no
// blanks that L cannot read).
std::string ResetOf(const std::vector<std::string>& names)
{
    std::string s;
    for (const std::string& name : names) {
        const SVariable* pVariable = nullptr;
        for (const SVariable& v : kVariables)
            pVariable = v.pszName == name ? &v : pVariable;
        const char type = pVariable->chType;
        s += s.empty() ? "  " : "; ";
        s += name + " = " +
             (type == 'L'   ? std::string(".false.")
              : type == 'C' ? "repeat(achar(0), len(" + name + "))"
                            : "0");
    }
    return s.empty() ? s : s + "\n";
}

std::vector<std::string> AllNames()
{
    std::vector<std::string> names;
    for (const SVariable& v : kVariables)
        names.push_back(v.pszName);
    return names;
}

// One statement's lines: a WRITE with its IOSTAT and message; a READ
// reads what a WRITE of its items through the same format has written
// (what each edit writes, it reads), then prints its IOSTAT and message.
std::string StatementLines(const SStatement& statement, const std::string& format)
{
    std::string s = "  msg = ''\n  rec = ' '\n";
    if (statement.bRead)
        s += ResetOf(statement.names) + "  write (rec, " + format + ", iostat=ios) " + statement.items + "\n";
    s += std::string("  ") + (statement.bRead ? "read" : "write") + " (rec, " + format + ", iostat=ios, iomsg=msg) " +
         statement.items + "\n";
    return s + "  print '(i0,1x,a)', ios, trim(msg)\n";
}

// One program: its declarations in one form each, then each statement
// through a labelled FORMAT (or, for some, a format string).
std::string Program(const std::vector<SStatement>& statements, unsigned nForm)
{
    std::string s = std::string("program uses\n") + kImplicit + kParameters +
                    "  integer :: ios, j, k\n  character(200) :: msg\n  character(300) :: rec(400)\n";
    for (const SVariable& v : kVariables)
        if (*v.forms[nForm].pszDeclaration != '\0')
            s += std::string("  ") + v.forms[nForm].pszDeclaration + "\n";
    s += ResetOf(AllNames());
    int nLabel = 100;
    for (const SStatement& statement : statements) {
        if (statement.bString) {
            s += StatementLines(statement, "\"(" + statement.format + ")\"");
        } else {
            s += StatementLines(statement, std::to_string(nLabel));
            s += std::to_string(nLabel++) + " format (" + statement.format + ")\n";
        }
    }
    return s + "end program\n";
}

// The sources compiled into one program and run: the IOSTAT and message
// it prints for each statement.
void RunVerdicts(const std::string& gfortran, const std::vector<std::string>& sources, const CTempDir& dir,
                 std::vector<std::string>& verdicts)
{
    std::vector<std::string> args = {"-O0", "-w", "-ffree-line-length-none", "-o", dir.File("uses")};
    args.insert(args.end(), sources.begin(), sources.end());
    const SProcessResult build = RunProcess(gfortran, args, dir.Path());
    ASSERT_EQ(build.nExitStatus, 0) << build.strErr.substr(0, 2000);
    const SProcessResult run = RunProcess(dir.File("uses"), {}, dir.Path());
    ASSERT_EQ(run.nExitStatus, 0) << run.strErr;
    std::stringstream out(run.strOut);
    for (std::string line; std::getline(out, line);)
        if (!line.empty() && (line[0] == '-' || (line[0] >= '0' && line[0] <= '9')))
            verdicts.push_back(line.substr(0, line.find_last_not_of(' ') + 1));
}

// The statements' uses among a file's: a READ's is the second of its two.
template <typename TUse>
std::vector<const TUse*> StatementUses(const std::vector<TUse>& uses, const std::vector<SStatement>& statements)
{
    std::vector<const TUse*> found;
    std::size_t nUse = 0;
    for (const SStatement& statement : statements) {
        nUse += statement.bRead ? 1 : 0;
        found.push_back(nUse < uses.size() ? &uses[nUse] : nullptr);
        nUse += 2;  // the statement and the PRINT of its verdict
    }
    return found;
}

// The kinds a set of statements holds, READ and WRITE apart, with the
// declarations of the variables each names in its program's form.
struct SCrossing {
    CKindTally reads;
    CKindTally writes;
    int nRefusedReads = 0;
    int nRefusedWrites = 0;

    // verdict: the run time's, as the test prints it ("0": no error).
    void Add(const SStatement& statement, unsigned nForm, const std::string& verdict, bool bReversion)
    {
        const bool bRefused = verdict != "0";
        std::set<std::string> kinds = statement.kinds;
        for (const std::string& name : statement.names)
            for (const SVariable& v : kVariables)
                if (v.pszName == name)
                    kinds.insert(v.forms[nForm].pszKind);
        kinds.insert(statement.bString ? "format string" : "FORMAT statement");
        if (bReversion)
            kinds.insert("reversion");
        kinds.insert(bRefused ? "refused" : "not refused");
        if (bRefused)
            kinds.insert(verdict.find("Constant") != std::string::npos       ? "stopped at a constant"
                         : verdict.find("Insufficient") != std::string::npos ? "no data edit"
                                                                             : "refused item");
        (statement.bRead ? reads : writes).Add(kinds);
        (statement.bRead ? nRefusedReads : nRefusedWrites) += bRefused ? 1 : 0;
    }

    // Every kind held by some statement, READ and WRITE each.
    void ExpectCrossed() const
    {
        std::vector<std::string> common = kDeclarationKinds;
        common.insert(common.end(), kVariableItemKinds.begin(), kVariableItemKinds.end());
        for (const char* pszKind : {"format string", "FORMAT statement", "reversion", "refused", "not refused",
                                    "refused item", "no data edit"})
            common.push_back(pszKind);
        std::vector<std::string> readKinds = common;
        readKinds.push_back("stopped at a constant");
        const std::vector<std::string> inputFormats = FormatKinds(true);
        readKinds.insert(readKinds.end(), inputFormats.begin(), inputFormats.end());
        std::vector<std::string> writeKinds = common;
        const std::vector<std::string> outputFormats = FormatKinds(false);
        writeKinds.insert(writeKinds.end(), outputFormats.begin(), outputFormats.end());
        writeKinds.insert(writeKinds.end(), kExpressionKinds.begin(), kExpressionKinds.end());
        EXPECT_EQ(reads.Missing(readKinds), std::vector<std::string>()) << "kinds no READ holds";
        EXPECT_EQ(writes.Missing(writeKinds), std::vector<std::string>()) << "kinds no WRITE holds";
    }

    void Print(const char* pszWhat) const
    {
        std::printf(
            "%s: %d READ statements (%d refused), %d WRITE statements (%d refused)\nREAD kinds:\n%sWRITE kinds:\n%s",
            pszWhat, reads.Count("refused") + reads.Count("not refused"), nRefusedReads,
            writes.Count("refused") + writes.Count("not refused"), nRefusedWrites, reads.Table().c_str(),
            writes.Table().c_str());
    }
};

// The run time's verdict as the matching gives it: no error, or the first
// that stops the transfer.
std::string MatchVerdict(const SItemMatch& match)
{
    for (const SMatchFinding& finding : match.findings) {
        if (finding.kind == MatchFinding::REFUSED)
            return "5006 " + RefusalText(finding.transfer, finding.nTransfer);
        if (finding.kind == MatchFinding::NO_DATA_EDIT)
            return "5006 Insufficient data descriptors in format after reversion";
        if (finding.kind == MatchFinding::READ_CONSTANT)
            return "5006 Constant string in input format";
    }
    return "0";
}

bool HasNewRecords(const SItemMatch& match)
{
    return std::any_of(match.findings.begin(), match.findings.end(),
                       [](const SMatchFinding& f) { return f.kind == MatchFinding::NEW_RECORDS; });
}

TEST(FormatUses, WhatTheRunTimeDoesWithTheItemsIsReadFromTheSource)
{
    const std::string gfortran = FindOnPath("gfortran");
    if (gfortran.empty())
        GTEST_SKIP() << "gfortran is not installed";
    std::mt19937 random(1210);
    SCrossing crossing;
    for (unsigned nForm = 0; nForm < 3; ++nForm) {
        std::vector<SStatement> statements;
        for (int i = 0; i < 700; ++i)
            statements.push_back(RandomStatement(random, 3, 5));
        CTempDir dir;
        const std::string source = dir.Write("uses.f90", Program(statements, nForm));
        std::vector<std::string> verdicts;
        ASSERT_NO_FATAL_FAILURE(RunVerdicts(gfortran, {source}, dir, verdicts));

        CLineReader reader;
        ASSERT_TRUE(reader.Open(source));
        const SFileFormats file = ReadFileFormats(reader, 0);
        ASSERT_EQ(verdicts.size(), statements.size());
        const std::vector<const SFormatUse*> uses = StatementUses(file.uses, statements);
        for (std::size_t k = 0; k < statements.size(); ++k) {
            ASSERT_NE(uses[k], nullptr);
            const SFormatUse& use = *uses[k];
            SCOPED_TRACE("line " + std::to_string(use.nLine) + ": (" + statements[k].format + ") " +
                         statements[k].items);
            ASSERT_EQ(use.bInput, statements[k].bRead);
            std::string format = use.strFormat;
            for (const SFormatStatement& statement : file.formats)
                if (use.kind == IO_FORMAT_LABEL && statement.nLabel == use.nLabel && statement.nScope == use.nScope)
                    format = statement.strList;
            CDescriptorList list;
            ASSERT_TRUE(list.Split(format).Ok()) << format;
            const SItemMatch match = MatchItems(FormatEditsOf(list), use.items, use.bInput);
            EXPECT_EQ(verdicts[k], MatchVerdict(match));
            crossing.Add(statements[k], nForm, verdicts[k], HasNewRecords(match));
        }
    }
    crossing.ExpectCrossed();
    crossing.Print("read from their source as gfortran runs them");
}

// The same statements, their variables declared in a module of another
// file that the program USEs, their format strings in apostrophes (the
// constants in them doubled), checked by the file checker of a run that
// read the module first: its errors must be the run time's refusals.
std::string ModuleOf(unsigned nForm)
{
    std::string s = std::string("module vars\n") + kImplicit + kParameters;
    for (const SVariable& v : kVariables)
        if (*v.forms[nForm].pszDeclaration != '\0')
            s += std::string("  ") + v.forms[nForm].pszDeclaration + "\n";
    return s + "end module\n";
}

std::string UsingProgram(const std::vector<SStatement>& statements)
{
    std::string s = std::string("program uses\n  use vars\n") + kImplicit +
                    "  integer :: ios, j, k\n  character(200) :: msg\n  character(300) :: rec(400)\n" +
                    ResetOf(AllNames());
    int nLabel = 100;
    for (const SStatement& statement : statements) {
        std::string format;
        for (const char ch : statement.format)
            format += ch == '\'' && statement.bString ? std::string("''") : std::string(1, ch);
        if (statement.bString) {
            s += StatementLines(statement, "'(" + format + ")'");
        } else {
            s += StatementLines(statement, "fmt=" + std::to_string(nLabel));
            s += std::to_string(nLabel++) + " format (" + format + ")\n";
        }
    }
    return s + "end program\n";
}

// The first error the checker finds for a use, as the run time would print it.
std::string CheckedVerdict(const SFormatUseReport& use)
{
    for (const SCheckFinding& finding : use.findings) {
        if (finding.severity != CheckSeverity::ERROR)
            continue;
        if (finding.rule == CheckRule::NO_DATA_EDIT)
            return "5006 Insufficient data descriptors in format after reversion";
        if (finding.rule == CheckRule::READ_INTO_CONSTANT)
            return "5006 Constant string in input format";
        return "5006 " + FindingText(finding);
    }
    return "0";
}

TEST(FormatUses, TheCheckersErrorsAreTheRunTimesRefusals)
{
    const std::string gfortran = FindOnPath("gfortran");
    if (gfortran.empty())
        GTEST_SKIP() << "gfortran is not installed";
    std::mt19937 random(3210);
    SCrossing crossing;
    int nWarnings = 0;
    for (unsigned nForm = 0; nForm < 3; ++nForm) {
        std::vector<SStatement> statements;
        for (int i = 0; i < 700; ++i)
            statements.push_back(RandomStatement(random, 3, 3));
        CTempDir dir;
        const std::string module = dir.Write("vars.f90", ModuleOf(nForm));
        const std::string source = dir.Write("uses.f90", UsingProgram(statements));
        std::vector<std::string> verdicts;
        ASSERT_NO_FATAL_FAILURE(RunVerdicts(gfortran, {module, source}, dir, verdicts));

        ModuleTable modules;
        CLineReader moduleReader;
        ASSERT_TRUE(moduleReader.Open(module));
        ReadModules(moduleReader, 0, modules);
        CLineReader reader;
        ASSERT_TRUE(reader.Open(source));
        SCheckOptions options;
        options.bFixedForm = 0;
        options.pModules = &modules;
        const SFileCheck check = CheckFile(reader, options);
        ASSERT_EQ(verdicts.size(), statements.size());
        const std::vector<const SFormatUseReport*> uses = StatementUses(check.uses, statements);
        for (std::size_t k = 0; k < statements.size(); ++k) {
            ASSERT_NE(uses[k], nullptr);
            const SFormatUseReport& use = *uses[k];
            SCOPED_TRACE("line " + std::to_string(use.place.nLine) + ": (" + statements[k].format + ") " +
                         statements[k].items);
            ASSERT_TRUE(use.bChecked);
            ASSERT_EQ(use.bInput, statements[k].bRead);
            const std::string expected = CheckedVerdict(use);
            EXPECT_EQ(verdicts[k], expected);
            const bool bReversion = std::any_of(use.findings.begin(), use.findings.end(), [](const SCheckFinding& f) {
                return f.rule == CheckRule::NEW_RECORDS;
            });
            crossing.Add(statements[k], nForm, verdicts[k], bReversion);
            for (const SCheckFinding& finding : use.findings)
                nWarnings += finding.severity == CheckSeverity::WARNING ? 1 : 0;
        }
    }
    crossing.ExpectCrossed();
    crossing.Print("checked as gfortran runs them");
    std::printf("%d warnings\n", nWarnings);
}

// A character constant continued over fixed-form lines takes the blanks that
// fill each of its lines up to column 72. Generated programs write strings
// through FORMAT statements, format strings and named constants whose
// constants are cut over lines at random places (never between the two
// quotes of a doubled one); what gfortran prints for each must be the text
// of the strings in the format the file's reading joined.
struct SContinuedWrite {
    int nKind = 0;  // 0: a FORMAT statement, 1: a format string, 2: a named constant
    std::vector<std::string> strings;
    char chQuote = '\'';  // a format string's or named constant's own delimiter
};

// The strings as a format's list: "('ab','c''d')".
std::string StringsList(const std::vector<std::string>& strings)
{
    std::string list = "(";
    for (const std::string& text : strings)
        list += (list.size() > 1 ? "," : "") + ("'" + QuoteText(text, '\'') + "'");
    return list + ")";
}

// The statement's lines: text cut at random places after nFrom (each line
// at most 72 columns; never between two quotes, which may be a doubled one),
// the first line after six blanks or its label, the others after a
// continuation mark.
std::vector<std::string> CutLines(std::mt19937& random, const std::string& first, const std::string& text,
                                  std::size_t nFrom)
{
    std::vector<std::string> lines;
    std::string line = first;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool bQuotes = i > 0 && (text[i] == '\'' || text[i] == '"') && text[i - 1] == text[i];
        if (i > nFrom && !bQuotes && (line.size() >= 60 || random() % 12 == 0)) {
            lines.push_back(line);
            line = "     &";
        }
        line += text[i];
    }
    lines.push_back(line);
    return lines;
}

std::string ContinuedProgram(std::mt19937& random, const std::vector<SContinuedWrite>& writes)
{
    std::string declarations, statements;
    int nLabel = 100;
    for (const SContinuedWrite& write : writes) {
        const std::string list = StringsList(write.strings);
        const std::string constant = std::string(1, write.chQuote) + QuoteText(list, write.chQuote) + write.chQuote;
        std::vector<std::string> lines;
        if (write.nKind == 0) {
            statements += "      WRITE(*," + std::to_string(nLabel) + ")\n";
            lines = CutLines(random, "  " + std::to_string(nLabel++) + " ", "FORMAT" + list, 7);
        } else if (write.nKind == 1) {
            lines = CutLines(random, "      ", "WRITE(*," + constant + ")", 9);
        } else {
            const std::string name = "F" + std::to_string(nLabel++);
            declarations += "      CHARACTER*(*) " + name + "\n";
            statements += "      WRITE(*," + name + ")\n";
            const std::string text = "PARAMETER (" + name + " = " + constant + ")";
            for (const std::string& line : CutLines(random, "      ", text, text.find(write.chQuote) + 1))
                declarations += line + "\n";
        }
        for (const std::string& line : lines)
            statements += line + "\n";
    }
    return "      PROGRAM CONT\n" + declarations + statements + "      END\n";
}

// The text of the strings in a format: its character constants' values.
std::string StringsOf(const std::string& format)
{
    std::string text;
    for (const SFortranToken& token : FortranTokens(format))
        if (token.kind == FortranToken::CHARACTER)
            text += token.strText;
    return text;
}

TEST(FormatUses, ConstantsContinuedOverFixedFormLinesAreReadAsGfortranReadsThem)
{
    const std::string gfortran = FindOnPath("gfortran");
    if (gfortran.empty())
        GTEST_SKIP() << "gfortran is not installed";
    std::mt19937 random(7210);
    const char kLetters[] = "ab XY'\"";
    std::vector<SContinuedWrite> writes;
    for (int i = 0; i < 300; ++i) {
        SContinuedWrite write;
        write.nKind = static_cast<int>(random() % 3);
        write.chQuote = random() % 2 == 0 ? '\'' : '"';
        for (unsigned n = 1 + random() % 3; n > 0; --n) {
            std::string text;
            // (no two quotes side by side: a run of quotes, doubled twice,
            // would keep a line from being cut before column 72)
            for (unsigned k = 1 + random() % 60; k > 0; --k) {
                const char ch = kLetters[random() % (sizeof kLetters - 1)];
                text += (ch == '\'' || ch == '"') && !text.empty() && (text.back() == '\'' || text.back() == '"') ? 'a'
                                                                                                                  : ch;
            }
            write.strings.push_back(text);
        }
        writes.push_back(write);
    }
    CTempDir dir;
    const std::string source = dir.Write("cont.f", ContinuedProgram(random, writes));
    const SProcessResult build = RunProcess(gfortran, {"-w", "-o", dir.File("cont"), source}, dir.Path());
    ASSERT_EQ(build.nExitStatus, 0) << build.strErr.substr(0, 2000);
    const SProcessResult run = RunProcess(dir.File("cont"), {}, dir.Path());
    ASSERT_EQ(run.nExitStatus, 0) << run.strErr;
    std::vector<std::string> printed;
    std::stringstream out(run.strOut);
    for (std::string line; std::getline(out, line);)
        printed.push_back(line);

    CLineReader reader;
    ASSERT_TRUE(reader.Open(source));
    SFormatContext context;
    context.bOtherFormats = true;
    const SFileFormats file = ReadFileFormats(reader, 1, context);
    ASSERT_EQ(file.uses.size(), writes.size());
    ASSERT_EQ(printed.size(), writes.size());
    int nFilled = 0;
    for (std::size_t k = 0; k < writes.size(); ++k) {
        const SFormatUse& use = file.uses[k];
        SCOPED_TRACE("line " + std::to_string(use.nLine) + ": " + StringsList(writes[k].strings));
        std::string format = use.strFormat;
        for (const SFormatStatement& statement : file.formats)
            if (use.kind == IO_FORMAT_LABEL && statement.nLabel == use.nLabel)
                format = statement.strList;
        EXPECT_EQ(StringsOf(format), printed[k]);
        std::size_t nWritten = 0;
        for (const std::string& text : writes[k].strings)
            nWritten += text.size();
        nFilled += printed[k].size() > nWritten ? 1 : 0;
    }
    // (most constants were cut on lines shorter than 72 columns)
    EXPECT_GT(nFilled, static_cast<int>(writes.size()) / 2);
    std::printf("%zu continued constants read as gfortran prints them (%d with blanks filled in)\n", writes.size(),
                nFilled);
}

}  // namespace
