// The portability of a format: each form's first standard, checked against
// gfortran's -std= verdicts at test time, and the forms compilers read
// differently, one case each.
#include <gtest/gtest.h>

#include <algorithm>
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

// A form that compilers read differently, in a list; what gfortran 12 does
// with it beside each.
struct SFormCase {
    const char* list;
    unsigned nUses;
    std::vector<std::pair<int, PortabilityKind>> findings;  // field and kind
};

constexpr unsigned OUT = FORMAT_USE_OUTPUT, IN = FORMAT_USE_INPUT;

const SFormCase kFormCases[] = {
    // Refused at compile time in every mode: "Nonnegative width required in
    // format string".
    {"(I)", OUT, {{0, PORT_WIDTH_LEFT_OUT}}},
    // Accepted by gfortran in every mode, L written in one column ("xT").
    {"(A,L)", OUT, {{1, PORT_WIDTH_LEFT_OUT}}},
    // -std=f2018 and gnu write "0.150E+1" for 1.5; -std=f2008 refuses it:
    // "Fortran 2018: positive width required".
    {"(E0.3)", OUT, {{0, PORT_ZERO_WIDTH_EXPONENT}}},
    // Compiles; the READ fails at run time: "Zero width in format descriptor".
    {"(E0.3)", IN, {{0, PORT_ZERO_WIDTH_INPUT}}},
    {"(ES0.3,D0.4)", OUT, {{0, PORT_ZERO_WIDTH_EXPONENT}, {1, PORT_ZERO_WIDTH_EXPONENT}}},
    // As a constant format: "Zero width in format descriptor" at compile
    // time; in a variable, IOSTAT 5006 with the same words at run time.
    {"(G0)", IN, {{0, PORT_ZERO_WIDTH_INPUT}}},
    {"(G0)", OUT, {}},
    // "Positive width required in format string" at compile time; at run
    // time "Positive integer required in format".
    {"(I0,F0.2)", IN, {{0, PORT_ZERO_WIDTH_INPUT}, {1, PORT_ZERO_WIDTH_INPUT}}},
    {"(I0,F0.2)", OUT, {}},
    // gnu writes "abc"; -std=f95 and later: "GNU Extension: Missing comma".
    {"(A A A)", OUT, {{0, PORT_MISSING_COMMA}, {1, PORT_MISSING_COMMA}}},
    {"('x='I5)", OUT, {{0, PORT_MISSING_COMMA}}},
    {"(2(I5) I5)", OUT, {{2, PORT_MISSING_COMMA}}},
    // gnu reads E12.3E12 and refuses the rest: "Unexpected element '.'".
    {"(E12.3 E12.3)", OUT, {{0, PORT_MISSING_COMMA}}},
    // No comma is due around a slash or a colon, nor after kP before the
    // real edit it scales: accepted under every -std=.
    {"(1PE12.3, I5/I5: I5 /I5, 2P F8.2)", OUT, {}},
    // Accepted under every -std= and written as one record ("  1  2"):
    // the standard wants the unlimited group last in the outermost list.
    {"(*(I3), A)", OUT, {{0, PORT_UNLIMITED_NOT_LAST}}},
    {"(2(*(I3)))", OUT, {{1, PORT_UNLIMITED_NOT_LAST}}},
    {"(A, *(I3))", OUT, {}},
    // -std=f95 and later: "GNU Extension: $ descriptor"; gnu keeps the
    // record open.
    {"(I3,$)", OUT, {{1, PORT_RECORD_MARK}}},
    // "Unexpected element '\'" in every mode.
    {"(I3,\\)", OUT, {{1, PORT_RECORD_MARK}}},
    // -std=f95 and later warn: "The H format specifier ... is a Fortran 95
    // deleted feature"; gnu writes "abc".
    {"(3Habc)", OUT, {{0, PORT_HOLLERITH}}},
    {"(3HabcI5)", OUT, {{0, PORT_HOLLERITH}, {0, PORT_MISSING_COMMA}}},
    // -std=f95 and later: "GNU Extension: X descriptor requires leading
    // space count"; gnu skips one column.
    {"(X,I3)", OUT, {{0, PORT_X_WITHOUT_COUNT}}},
    // Compile in every mode; the run time refuses the value: "Scale factor
    // out of range in format specifier 'E' or 'D'" (IOSTAT 5006), for G
    // when the value takes the exponent form (1.5E10 under G12.3).
    {"(5P,E12.3)", OUT, {{1, PORT_SCALE_AGAINST_DIGITS}}},
    {"(-3P,E12.3)", OUT, {{1, PORT_SCALE_AGAINST_DIGITS}}},
    {"(-4P,D12.3)", OUT, {{1, PORT_SCALE_AGAINST_DIGITS}}},
    {"(5P,G12.3)", OUT, {{1, PORT_SCALE_AGAINST_DIGITS}}},
    // Within range: gfortran writes "1500.E-03" and " -0.002E+03"; ES and
    // F take no limit ("  1.500E+10").
    {"(4P,E12.3,-2P,E12.3,5P,ES12.3,F9.1,0P,E12.3)", OUT, {}},
};

TEST(FormatPortability, FindsTheFormsCompilersReadDifferently)
{
    for (const SFormCase& c : kFormCases) {
        CDescriptorList list;
        SSplitLayout layout;
        ASSERT_TRUE(list.Split(c.list, &layout)) << c.list;
        SPortabilityQuery query = Query(STD_NONE, c.nUses);
        query.text = c.list;
        query.pLayout = &layout;
        std::vector<std::pair<int, PortabilityKind>> found;
        for (const SPortabilityFinding& f : PortabilityFindings(list, query)) {
            found.emplace_back(f.nField, f.kind);
            if (f.kind == PORT_MISSING_COMMA) {  // due right after the field's text
                EXPECT_EQ(f.nOffset, layout.descriptors[static_cast<std::size_t>(f.nField)].End()) << c.list;
            }
        }
        EXPECT_EQ(found, c.findings) << c.list << (c.nUses == IN ? " (input)" : " (output)");
    }
}

TEST(FormatPortability, AFormFindingStandsForTheStandardFindingOfItsField)
{
    // $ is in no standard: its own finding says so, once; G0 beside it is
    // beyond Fortran 95, E0.3 (zero width) is not repeated as beyond it.
    CDescriptorList list;
    ASSERT_TRUE(list.Split("(G0, E0.3, $)"));
    const auto findings = PortabilityFindings(list, Query(STD_F95));
    const std::vector<SPortabilityFinding> expected = {
        {0, PORT_BEYOND_STANDARD, STD_F2008}, {1, PORT_ZERO_WIDTH_EXPONENT}, {2, PORT_RECORD_MARK}};
    EXPECT_EQ(findings, expected);
    // Without a layout no comma is looked for; without a standard, none is
    // checked against.
    ASSERT_TRUE(list.Split("('a'I5, Q)"));
    EXPECT_TRUE(PortabilityFindings(list, Query(STD_NONE)).empty());
    const std::vector<SPortabilityFinding> beyond = {{2, PORT_BEYOND_STANDARD, STD_EXTENSION}};
    EXPECT_EQ(PortabilityFindings(list, Query(STD_F2018)), beyond);
}

TEST(FormatPortability, EachFindingReadsAsItsMessageWithTheFieldsText)
{
    CDescriptorList list;
    ASSERT_TRUE(list.Split("(3Habc, G0, Q, 5P, E12.3)"));
    const std::vector<std::pair<SPortabilityFinding, std::string>> cases = {
        {{1, PORT_BEYOND_STANDARD, STD_F2008}, "G0 is a form of Fortran 2008, later than the standard checked against"},
        {{2, PORT_BEYOND_STANDARD, STD_EXTENSION}, "Q is in no Fortran standard"},
        {{0, PORT_BEYOND_STANDARD, STD_F95, true}, "3Habc was deleted from the standard in Fortran 95"},
        {{4, PORT_SCALE_AGAINST_DIGITS}, "E12.3 under scale factor 5P: k must lie above -d and below d+2"},
        {{0, PORT_HOLLERITH}, "3Habc is a Hollerith constant"},
        {{0, PORT_MISSING_COMMA}, "no comma after 3Habc:"},
    };
    for (const auto& [finding, words] : cases)
        EXPECT_EQ(MessageText(PortabilityMessage(finding, list)).rfind(words, 0), 0u) << words;
    // Every kind has a message of its own, naming the field.
    std::vector<int> ids;
    for (int kind = PORT_WIDTH_LEFT_OUT; kind <= PORT_SCALE_AGAINST_DIGITS; ++kind) {
        const SMessage message = PortabilityMessage({4, static_cast<PortabilityKind>(kind)}, list);
        EXPECT_NE(MessageText(message).find("E12.3"), std::string::npos) << kind;
        EXPECT_TRUE(message.nStringId >= 460 && message.nStringId < 500) << kind;
        ids.push_back(message.nStringId);
    }
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(std::unique(ids.begin(), ids.end()), ids.end());
}

}  // namespace
