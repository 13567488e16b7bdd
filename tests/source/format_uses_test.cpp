// What a WRITE will do with its items, from the source alone, checked
// against gfortran at test time: generated programs declare variables in
// every form (old and new type declarations, DIMENSION, implicit typing,
// named constants as bounds), write them through labelled FORMAT statements
// and format strings, and print each statement's IOSTAT and message. For
// every statement the file's reading (its FORMAT found by label, its items
// typed by the declarations, matched to the fields) must give the run
// time's verdict: no error, or the refusal at the same item.
#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "descriptor_list.h"
#include "format_check.h"
#include "format_uses.h"
#include "fortran_tokens.h"
#include "item_matching.h"
#include "process_runner.h"
#include "statement_writer.h"
#include "temp_dir.h"

namespace {

// Each variable: its declarations in three forms (one picked per program),
// and its name. Arrays have 3 elements (NE is a named constant 3).
struct SVariable {
    const char* pszName;
    const char* pszForms[3];
    const char* pszValue;
};

const SVariable kVariables[] = {
    {"n", {"INTEGER N", "integer :: n", ""}, "7"},
    {"k8", {"INTEGER*8 K8", "integer(kind=8) :: k8", "integer(8) k8"}, "8"},
    {"x", {"REAL X", "real :: x", ""}, "1.5"},
    {"d", {"DOUBLE PRECISION D", "real(8) :: d", "REAL*8 D"}, "2.5d0"},
    {"z", {"COMPLEX Z", "complex :: z", "complex(4) z"}, "(1.0, 2.0)"},
    {"t", {"LOGICAL T", "logical :: t", "logical(4) t"}, ".true."},
    {"s", {"CHARACTER*4 S", "character(len=4) :: s", "character(4) s"}, "'abcd'"},
    {"ia", {"INTEGER IA(NE)", "integer, dimension(ne) :: ia", "DIMENSION IA(3)"}, "1"},
    {"xa", {"REAL XA(3)", "real :: xa(1:ne)", "DIMENSION XA(0:2)"}, "2.0"},
    {"za", {"COMPLEX ZA(NE)", "complex, dimension(3) :: za", "complex za(3)"}, "(1.0, 2.0)"},
    {"sa", {"CHARACTER*4 SA(3)", "character(len=4), dimension(ne) :: sa", "character(4) sa(3)"}, "'abcd'"},
};

const char* const kDataEdits[] = {"I5", "F8.2", "E12.4", "ES11.3", "D12.4", "G12.4", "L3", "A", "B8", "Z9", "2I4"};
const char* const kOtherEdits[] = {"1X", "'|'", "/", ":"};

struct SStatement {
    std::string format;
    std::string items;
    bool bString = false;
};

std::string RandomFormat(std::mt19937& random, int nDepth)
{
    std::string s;
    const int nFields = 1 + static_cast<int>(random() % 4);
    for (int i = 0; i < nFields; ++i) {
        s += s.empty() ? "" : ", ";
        const unsigned nPick = random() % 10;
        if (nPick < 6)
            s += kDataEdits[random() % std::size(kDataEdits)];
        else if (nPick < 8 || nDepth > 0)
            s += kOtherEdits[random() % std::size(kOtherEdits)];
        else
            s += std::to_string(1 + random() % 3) + "(" + RandomFormat(random, nDepth + 1) + ")";
    }
    return s;
}

// bMixed: implied-DO lists of an array's elements with another item in each
// trip, and nested ones, as well.
std::string RandomItems(std::mt19937& random, bool bMixed = false)
{
    std::string s;
    const int nItems = static_cast<int>(random() % 4);
    for (int i = 0; i < nItems; ++i) {
        const SVariable& v = kVariables[random() % std::size(kVariables)];
        const std::string name = v.pszName;
        s += s.empty() ? "" : ", ";
        const bool bArray = name.size() == 2 && name[1] == 'a';
        const unsigned nShape = random() % (bMixed ? 5 : 3);
        if (bArray && nShape == 1)
            s += name + "(2)";
        else if (bArray && nShape == 2)
            s += "(" + name + "(j), j = 1, 2)";
        else if (bArray && nShape == 3)
            s += std::string("(") + kVariables[random() % std::size(kVariables)].pszName + ", " + name +
                 "(j), j = 1, " + std::to_string(1 + random() % 3) + ")";
        else if (bArray && nShape == 4)
            s += "((" + name + "(j), j = 1, 2), k = 1, 2)";
        else
            s += name;
    }
    return s;
}

// One program: its declarations in one form each, then each statement
// through a labelled FORMAT (or, for some, a format string).
std::string Program(const std::vector<SStatement>& statements, unsigned nForm)
{
    std::string s = "program uses\n  integer, parameter :: ne = 3\n  integer :: ios, j\n  character(200) :: msg\n"
                    "  character(300) :: rec(400)\n";
    for (const SVariable& v : kVariables) {
        const char* pszForm = v.pszForms[nForm];
        if (*pszForm != '\0')
            s += std::string("  ") + pszForm + "\n";
        // (the DIMENSION forms leave the type to the implicit rules)
    }
    for (const SVariable& v : kVariables)
        s += std::string("  ") + v.pszName + " = " + v.pszValue + "\n";
    int nLabel = 100;
    for (const SStatement& statement : statements) {
        s += "  msg = ''\n  rec = ' '\n";
        if (statement.bString) {
            s += "  write (rec, \"(" + statement.format + ")\", iostat=ios, iomsg=msg) " + statement.items + "\n";
        } else {
            s += "  write (rec, " + std::to_string(nLabel) + ", iostat=ios, iomsg=msg) " + statement.items + "\n";
            s += std::to_string(nLabel) + " format (" + statement.format + ")\n";
            ++nLabel;
        }
        s += "  print '(i0,1x,a)', ios, trim(msg)\n";
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

TEST(FormatUses, WhatTheRunTimeDoesWithTheItemsIsReadFromTheSource)
{
    const std::string gfortran = FindOnPath("gfortran");
    if (gfortran.empty())
        GTEST_SKIP() << "gfortran is not installed";
    std::mt19937 random(1210);
    int nCompared = 0;
    int nRefused = 0;
    for (unsigned nForm = 0; nForm < 3; ++nForm) {
        std::vector<SStatement> statements;
        for (int i = 0; i < 700; ++i)
            statements.push_back({RandomFormat(random, 0), RandomItems(random), random() % 5 == 0});
        CTempDir dir;
        const std::string source = dir.Write("uses.f90", Program(statements, nForm));
        std::vector<std::string> verdicts;
        ASSERT_NO_FATAL_FAILURE(RunVerdicts(gfortran, {source}, dir, verdicts));

        CLineReader reader;
        ASSERT_TRUE(reader.Open(source));
        const SFileFormats file = ReadFileFormats(reader, 0);
        std::vector<const SFormatUse*> writes;
        for (const SFormatUse& use : file.uses)
            if (use.strList.find("ios") == std::string::npos)  // not the PRINT of the verdict
                writes.push_back(&use);
        ASSERT_EQ(writes.size(), statements.size());
        ASSERT_EQ(verdicts.size(), statements.size());
        for (std::size_t k = 0; k < writes.size(); ++k) {
            const SFormatUse& use = *writes[k];
            SCOPED_TRACE("line " + std::to_string(use.nLine) + ": (" + statements[k].format + ") " +
                         statements[k].items);
            std::string format = use.strFormat;
            for (const SFormatStatement& statement : file.formats)
                if (use.kind == IO_FORMAT_LABEL && statement.nLabel == use.nLabel && statement.nScope == use.nScope)
                    format = statement.strList;
            CDescriptorList list;
            ASSERT_TRUE(list.Split(format).Ok()) << format;
            const SItemMatch match = MatchItems(FormatEditsOf(list), use.items, use.bInput);
            std::string expected = "0";
            for (const SMatchFinding& finding : match.findings)
                if (finding.kind == MatchFinding::REFUSED || finding.kind == MatchFinding::NO_DATA_EDIT) {
                    expected = finding.kind == MatchFinding::REFUSED
                                   ? "5006 " + RefusalText(finding.transfer, finding.nTransfer)
                                   : "5006 Insufficient data descriptors in format after reversion";
                    break;
                }
            EXPECT_EQ(verdicts[k], expected);
            ++nCompared;
            nRefused += expected != "0" ? 1 : 0;
        }
    }
    std::printf("%d WRITE statements read from their source as gfortran runs them (%d refused)\n", nCompared, nRefused);
}

// The same statements, their variables declared in a module of another
// file that the program USEs, their format strings in apostrophes (the
// constants in them doubled), checked by the file checker of a run that
// read the module first: its errors must be the run time's refusals.
std::string ModuleOf(unsigned nForm)
{
    std::string s = "module vars\n  integer, parameter :: ne = 3\n";
    for (const SVariable& v : kVariables)
        if (*v.pszForms[nForm] != '\0')
            s += std::string("  ") + v.pszForms[nForm] + "\n";
    return s + "end module\n";
}

std::string UsingProgram(const std::vector<SStatement>& statements)
{
    std::string s = "program uses\n  use vars\n  integer :: ios, j, k\n  character(200) :: msg\n"
                    "  character(300) :: rec(400)\n";
    for (const SVariable& v : kVariables)
        s += std::string("  ") + v.pszName + " = " + v.pszValue + "\n";
    int nLabel = 100;
    for (const SStatement& statement : statements) {
        std::string format;
        for (const char ch : statement.format)
            format += ch == '\'' && statement.bString ? std::string("''") : std::string(1, ch);
        s += "  msg = ''\n  rec = ' '\n";
        if (statement.bString)
            s += "  write (rec, '(" + format + ")', iostat=ios, iomsg=msg) " + statement.items + "\n";
        else
            s += "  write (rec, fmt=" + std::to_string(nLabel) + ", iostat=ios, iomsg=msg) " + statement.items + "\n" +
                 std::to_string(nLabel) + " format (" + format + ")\n";
        nLabel += statement.bString ? 0 : 1;
        s += "  print '(i0,1x,a)', ios, trim(msg)\n";
    }
    return s + "end program\n";
}

// The first error the checker finds for a use, as the run time would print it.
std::string CheckedVerdict(const SFormatUseReport& use)
{
    for (const SCheckFinding& finding : use.findings)
        if (finding.severity == CheckSeverity::ERROR)
            return finding.rule == CheckRule::NO_DATA_EDIT
                       ? "5006 Insufficient data descriptors in format after reversion"
                       : "5006 " + FindingText(finding);
    return "0";
}

TEST(FormatUses, TheCheckersErrorsAreTheRunTimesRefusals)
{
    const std::string gfortran = FindOnPath("gfortran");
    if (gfortran.empty())
        GTEST_SKIP() << "gfortran is not installed";
    std::mt19937 random(3210);
    int nCompared = 0, nRefused = 0, nWarnings = 0;
    for (unsigned nForm = 0; nForm < 3; ++nForm) {
        std::vector<SStatement> statements;
        for (int i = 0; i < 700; ++i)
            statements.push_back({RandomFormat(random, 0), RandomItems(random, true), random() % 3 == 0});
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
        // a WRITE, then the PRINT of its verdict
        ASSERT_EQ(check.uses.size(), 2 * statements.size());
        ASSERT_EQ(verdicts.size(), statements.size());
        for (std::size_t k = 0; k < statements.size(); ++k) {
            const SFormatUseReport& use = check.uses[2 * k];
            SCOPED_TRACE("line " + std::to_string(use.place.nLine) + ": (" + statements[k].format + ") " +
                         statements[k].items);
            ASSERT_TRUE(use.bChecked);
            const std::string expected = CheckedVerdict(use);
            EXPECT_EQ(verdicts[k], expected);
            ++nCompared;
            nRefused += expected != "0" ? 1 : 0;
            for (const SCheckFinding& finding : use.findings)
                nWarnings += finding.severity == CheckSeverity::WARNING ? 1 : 0;
        }
    }
    std::printf("%d WRITE statements checked as gfortran runs them (%d refused, %d warnings)\n", nCompared, nRefused,
                nWarnings);
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
