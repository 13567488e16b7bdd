// The portability of a format: each form's first standard, checked against
// gfortran's -std= verdicts at test time, and the forms compilers read
// differently, one case each.
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <string>
#include <vector>

#include "format_portability.h"
#include "process_runner.h"
#include "string_table.h"
#include "temp_dir.h"

namespace {

// A form and where it stands: "+" or "-" for each standard, FORTRAN 77,
// Fortran 90, 95, 2003, 2008 and 2018 (the model's verdicts), and for
// -std=f95, f2003, f2008 and f2018 (gfortran 12's: "-" when it reports an
// error or a warning).
struct SStandardCase {
    const char* text;  // a format item, written between parentheses
    const char* model;
    const char* gfortran;
};

constexpr FortranStandard kStandards[] = {STD_F77, STD_F90, STD_F95, STD_F2003, STD_F2008, STD_F2018};
constexpr const char* kGfortranStandards[] = {"f95", "f2003", "f2008", "f2018"};

const SStandardCase kStandardCases[] = {
    {"I5", "++++++", "++++"},
    {"I5.3", "++++++", "++++"},
    {"I0", "--++++", "++++"},
    {"I0.3", "--++++", "++++"},
    {"F8.3", "++++++", "++++"},
    {"F0.2", "--++++", "++++"},
    {"E12.3", "++++++", "++++"},
    {"E12.3E2", "++++++", "++++"},
    {"E12.3E0", "-----+", "---+"},  // "Fortran 2018: Positive exponent width required"
    {"E0.3", "-----+", "---+"},     // "Fortran 2018: positive width required"
    {"D12.3", "++++++", "++++"},
    {"D0.3", "-----+", "---+"},
    {"G12.3", "++++++", "++++"},
    {"G12.3E2", "++++++", "++++"},
    {"G0", "----++", "--++"},  // "Fortran 2008: 'G0' in format"
    {"G0.3", "----++", "--++"},
    {"G0.3E2", "------", "----"},  // "E specifier not allowed with g0 descriptor", in every mode
    {"EN12.3", "-+++++", "++++"},
    {"ES12.3", "-+++++", "++++"},
    {"EN0.3", "-----+", "---+"},
    {"ES0.3", "-----+", "---+"},
    {"ES12.3E3", "-+++++", "++++"},
    {"L2", "++++++", "++++"},
    // gfortran is more lenient than the standards: L without a width passes
    // every -std= (and writes T or F in one column).
    {"L", "------", "++++"},
    {"L0", "------", "----"},  // "Extension: Zero width after L descriptor"
    {"A", "++++++", "++++"},
    {"A10", "++++++", "++++"},
    {"A0", "------", "----"},  // "Zero width in format descriptor", in every mode
    {"B8", "-+++++", "++++"},
    {"B8.4", "-+++++", "++++"},
    {"O8", "-+++++", "++++"},
    {"Z8.2", "-+++++", "++++"},
    {"B0", "--++++", "++++"},
    {"O0", "--++++", "++++"},
    {"Z0", "--++++", "++++"},
    {"I", "------", "----"},  // "Nonnegative width required in format string", in every mode
    {"F", "------", "----"},
    {"E", "------", "----"},  // "Fortran 2018: positive width required"
    {"Z", "------", "----"},
    {"2X", "++++++", "++++"},
    {"X", "------", "----"},   // "GNU Extension: X descriptor requires leading space count"
    {"0X", "------", "----"},  // "Expected P edit descriptor", in every mode
    {"T5", "++++++", "++++"},
    {"TL2", "++++++", "++++"},
    {"TR2", "++++++", "++++"},
    {"T0", "------", "----"},  // "Positive width required with T descriptor"
    {"'a'", "++++++", "++++"},
    {"\"a\"", "-+++++", "++++"},  // FORTRAN 77 has apostrophes only; gfortran has no -std=f77
    {"3Habc", "++----", "----"},  // warning: "The H format specifier ... is a Fortran 95 deleted feature"
    {"2P", "++++++", "++++"},
    {"-2P", "++++++", "++++"},
    {"BN", "++++++", "++++"},
    {"BZ", "++++++", "++++"},
    {"S", "++++++", "++++"},
    {"SP", "++++++", "++++"},
    {"SS", "++++++", "++++"},
    {":", "++++++", "++++"},
    {"/", "++++++", "++++"},
    {"3/", "-+++++", "++++"},  // a repeat count on "/" came with Fortran 90
    {"2(I5)", "++++++", "++++"},
    {"DC", "---+++", "-+++"},  // "Fortran 2003: DC format specifier not allowed"
    {"DP", "---+++", "-+++"},
    {"DT", "---+++", "-+++"},  // "Fortran 2003: DT format specifier not allowed"
    {"DT'a'(1,2)", "---+++", "-+++"},
    // gfortran is more lenient than the standards: it passes the rounding
    // modes (Fortran 2003) and an unlimited group (Fortran 2008) under
    // -std=f95.
    {"RU", "---+++", "++++"},
    {"RD", "---+++", "++++"},
    {"RZ", "---+++", "++++"},
    {"RN", "---+++", "++++"},
    {"RC", "---+++", "++++"},
    {"RP", "---+++", "++++"},
    {"*(I5)", "----++", "++++"},
    // gfortran 12 is stricter than Fortran 2018: it does not know EX at all
    // ("Period required in format specifier E").
    {"EX12.3", "-----+", "----"},
    {"EX0.3", "-----+", "----"},
    {"Q", "------", "----"},   // "Unexpected element 'Q'", in every mode
    {"$", "------", "----"},   // "GNU Extension: $ descriptor"
    {"\\", "------", "----"},  // "Unexpected element '\'", in every mode
};

SPortabilityQuery Query(FortranStandard standard, unsigned nUses = FORMAT_USE_OUTPUT)
{
    SPortabilityQuery query;
    query.standard = standard;
    query.nUses = nUses;
    return query;
}

// The standards' verdicts on a whole list: a standard has the list when it
// has every field of it.
std::string ModelVerdicts(const CDescriptorList& list)
{
    std::string verdicts;
    for (FortranStandard standard : kStandards) {
        bool bHas = true;
        for (int i = 0; i < list.size(); ++i)
            bHas = bHas && StandardsOf(list.At(i).GoodParsed()).Has(standard);
        verdicts += bHas ? '+' : '-';
    }
    return verdicts;
}

// The FORMAT statements of the cases, one a line from line 2 on.
std::string Program()
{
    std::string program = "program p\n";
    int nLabel = 1000;
    for (const SStandardCase& c : kStandardCases)
        program += std::to_string(++nLabel) + " format (" + c.text + ")\n";
    return program + "end program p\n";
}

TEST(FormatPortability, EachFormHasTheStandardsTheTableGives)
{
    for (const SStandardCase& c : kStandardCases) {
        CDescriptorList list;
        ASSERT_TRUE(list.Split(std::string("(") + c.text + ")")) << c.text;
        EXPECT_EQ(ModelVerdicts(list), c.model) << c.text;
        // A standard that lacks the form has a finding: beyond it, naming
        // the first standard that has the form, or one about the form
        // itself (a width left out, a Hollerith constant ...). A standard
        // that has it has none beyond it.
        const std::string model = c.model;
        const std::size_t nFirst = model.find('+');
        for (std::size_t s = 0; s < std::size(kStandards); ++s) {
            const auto findings = PortabilityFindings(list, Query(kStandards[s]));
            bool bBeyond = false;
            for (const SPortabilityFinding& f : findings) {
                if (f.kind != PORT_BEYOND_STANDARD)
                    continue;
                bBeyond = true;
                EXPECT_EQ(f.standard, f.bDeleted                    ? STD_F95
                                      : nFirst == std::string::npos ? STD_EXTENSION
                                                                    : kStandards[nFirst])
                    << c.text;
            }
            if (model[s] == '+')
                EXPECT_FALSE(bBeyond) << c.text << " under " << kStandards[s];
            else
                EXPECT_FALSE(findings.empty()) << c.text << " under " << kStandards[s];
        }
    }
}

TEST(FormatPortability, GfortranGivesTheVerdictsTheTableRecords)
{
    const std::string gfortran = FindOnPath("gfortran");
    if (gfortran.empty())
        GTEST_SKIP() << "gfortran is not installed";
    CTempDir dir;
    const std::string file = dir.Write("forms.f90", Program());
    for (std::size_t s = 0; s < std::size(kGfortranStandards); ++s) {
        const SProcessResult result = RunProcess(
            gfortran, {std::string("-std=") + kGfortranStandards[s], "-fsyntax-only", "-fmax-errors=0", file},
            dir.Path());
        // Every error or warning names the line of its FORMAT statement.
        std::map<int, bool> refused;
        const std::regex place("forms\\.f90:([0-9]+):[0-9]+:");
        for (std::sregex_iterator it(result.strErr.begin(), result.strErr.end(), place), end; it != end; ++it)
            refused[std::stoi((*it)[1].str())] = true;
        for (std::size_t k = 0; k < std::size(kStandardCases); ++k) {
            const SStandardCase& c = kStandardCases[k];
            const bool bAccepted = refused.count(static_cast<int>(k) + 2) == 0;
            EXPECT_EQ(bAccepted, c.gfortran[s] == '+') << c.text << " under -std=" << kGfortranStandards[s] << "\n"
                                                       << result.strErr;
        }
    }
}

TEST(FormatPortability, ReadsTheStandardWordsOfStd)
{
    EXPECT_EQ(StandardFromWord("f77"), STD_F77);
    EXPECT_EQ(StandardFromWord("f90"), STD_F90);
    EXPECT_EQ(StandardFromWord("F95"), STD_F95);
    EXPECT_EQ(StandardFromWord("f2003"), STD_F2003);
    EXPECT_EQ(StandardFromWord("f2008"), STD_F2008);
    EXPECT_EQ(StandardFromWord("f2018"), STD_F2018);
    for (const char* word : {"", "f66", "f2023", "gnu", "legacy", "f9", "f950", "none"})
        EXPECT_FALSE(StandardFromWord(word).has_value()) << word;
}

}  // namespace
