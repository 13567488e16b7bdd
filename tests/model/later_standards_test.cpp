// Forms of Fortran 90 to 2018 that the default table knows: double-quoted
// constants, repeat counts above 99, the empty list, minimal widths,
// unlimited groups, rounding and decimal modes, EX and DT. The strict table
// keeps refusing them (double-quoted constants aside), and neither table
// takes a repeat count of 0.
#include <gtest/gtest.h>

#include <climits>

#include "field_layout.h"
#include "model_helpers.h"

namespace {

struct SFormCase {
    const char* text;
    int kind;            // with the default table
    const char* sample;  // with the default table
    const char* strict;  // the sample with the strict table, "??????" when refused
};

void PrintTo(const SFormCase& c, std::ostream* os)
{
    *os << "'" << c.text << "'";
}

class LaterForm : public ::testing::TestWithParam<SFormCase> {};

TEST_P(LaterForm, HasItsKindAndSampleInTheDefaultTableOnly)
{
    const SFormCase& c = GetParam();
    {
        CDescriptorList list(TestTable());
        ASSERT_TRUE(list.InsertDescriptor(0, c.text)) << c.text;
        EXPECT_EQ(list.At(0).Kind(), c.kind) << c.text;
        if (c.sample != nullptr)
            EXPECT_EQ(list.At(0).Sample(), c.sample) << c.text;
        else  // wider than the longest sample: shown cut to it
            EXPECT_EQ(list.At(0).Sample().size(),
                      static_cast<std::size_t>(std::min<long long>(list.At(0).GoodParsed().nW, MAX_SAMPLE_LENGTH)))
                << c.text;
    }
    CStrictTable strict;
    EXPECT_EQ(SampleOf(c.text), c.strict) << c.text;
}

constexpr const char* NO = "??????";

INSTANTIATE_TEST_SUITE_P(
    Families, LaterForm,
    ::testing::Values(
        // Double-quoted constants, in both tables; a doubled quote of the
        // constant's own kind shows once.
        SFormCase{"\"x =\"", KIND_STRING, "x =", "x ="},
        SFormCase{"\"say \"\"hi\"\"\"", KIND_STRING, "say \"hi\"", "say \"hi\""},
        SFormCase{"\"it's\"", KIND_STRING, "it's", "it's"},
        SFormCase{"'say \"hi\"'", KIND_STRING, "say \"hi\"", "say \"hi\""}, SFormCase{"\"\"", KIND_STRING, "", ""},
        // Repeat counts above 99 (one pass is the sample).
        SFormCase{"100A", KIND_A, "abcdefghij", NO}, SFormCase{"999F10.4", KIND_FWD, "12345.1234", NO},
        SFormCase{"1000000E15.7", KIND_EWD, "123.1234567E+12", NO}, SFormCase{"2147483647I2", KIND_IW, "12", NO},
        // Minimal widths: the default value 1234567(.1234567) without blanks.
        // I0 kept its old empty sample in the strict table.
        SFormCase{"I0", KIND_IW, "1234567", ""}, SFormCase{"I0.9", KIND_IWM, "001234567", NO},
        SFormCase{"I0.3", KIND_IWM, "1234567", NO}, SFormCase{"B0", KIND_BW, "10101010", ""},
        SFormCase{"O0", KIND_OW, "1234567", ""}, SFormCase{"Z0", KIND_ZW, "12345678", ""},
        SFormCase{"F0.3", KIND_FWD, "1234567.123", NO}, SFormCase{"F0.0", KIND_FWD, "1234567.", NO},
        SFormCase{"G0", KIND_GW, "1234567.1234567", NO}, SFormCase{"G0.3", KIND_GWD, "0.123E+7", NO},
        SFormCase{"E0.3", KIND_EWD, "0.123E+7", NO}, SFormCase{"E0.3E2", KIND_EWDE, "0.123E+07", NO},
        SFormCase{"ES0.3", KIND_ESWD, "1.123E+6", NO}, SFormCase{"EN0.4", KIND_ENWD, "1.1234E+6", NO},
        SFormCase{"D0.3", KIND_DWD, "0.123D+7", NO},
        // An exponent width of 0: as few exponent digits as needed, one in
        // the default sample; G0.dEe as E0.dEe.
        SFormCase{"E12.3E0", KIND_EWDE, "12345.123E+1", NO}, SFormCase{"EN12.3E0", KIND_ENWDE, "12345.123E+1", NO},
        SFormCase{"es12.3e0", KIND_ESWDE, "12345.123E+1", NO}, SFormCase{"G12.3E0", KIND_GWDE, "1234.123E+12", NO},
        SFormCase{"E6.3E0", KIND_EWDE, "******", NO}, SFormCase{"G0.3E0", KIND_GWDE, "0.123E+7", NO},
        SFormCase{"G0.3E2", KIND_GWDE, "0.123E+07", NO}, SFormCase{"EX14.3E0", KIND_EXWDE, "    0X1.123P+1", NO},
        // Unlimited groups, rounding and decimal modes, EX, DT.
        SFormCase{"*(", KIND_OPEN_ANY, "", NO}, SFormCase{"* (", KIND_OPEN_ANY, "", NO},
        SFormCase{"RU", KIND_ROUND, "", NO}, SFormCase{"rd", KIND_ROUND, "", NO}, SFormCase{"RZ", KIND_ROUND, "", NO},
        SFormCase{"RN", KIND_ROUND, "", NO}, SFormCase{"RC", KIND_ROUND, "", NO}, SFormCase{"RP", KIND_ROUND, "", NO},
        SFormCase{"DC", KIND_DC, "", NO}, SFormCase{"DP", KIND_DP, "", NO},
        SFormCase{"EX", KIND_EX, "0X1.1234567P+12", NO}, SFormCase{"EX20.3", KIND_EXWD, "         0X1.123P+12", NO},
        SFormCase{"EX12.3E3", KIND_EXWDE, "0X1.123P+123", NO}, SFormCase{"EX0.2", KIND_EXWD, "0X1.12P+12", NO},
        SFormCase{"DT", KIND_DT, "", NO}, SFormCase{"DT'list'", KIND_DT, "", NO},
        SFormCase{"DT\"list\"(10, -2)", KIND_DT, "", NO}, SFormCase{"DT(3)", KIND_DT, "", NO},
        SFormCase{"2DT'x'(1)", KIND_DT, "", NO},
        // 0P stays a scale factor.
        SFormCase{"0P", KIND_P, "", ""},
        // Widths and positions above 999, up to what an int holds.
        SFormCase{"A1000", KIND_AW, nullptr, NO}, SFormCase{"TR2147483647", KIND_TR, nullptr, NO},
        SFormCase{"I5000000.2", KIND_IWM, nullptr, NO}));

TEST(LaterForm, ImpossibleOnesAreRefusedByBothTables)
{
    for (bool bStrict : {false, true}) {
        CStrictTable table(bStrict);
        // A repeat count of 0 is not Fortran; a count or width beyond an int
        // is none either.
        for (const char* text : {"0E16.8", "0I5", "00A", "0(", "2147483648I5", "A2147483648", "G5", "G0.3E2x", "DT()",
                                 "DT'x'(1,)", "**(", "1*(", "D12.3E0", "D12.3E2"})
            EXPECT_EQ(SampleOf(text), "??????") << text << (bStrict ? " strict" : "");
        // Too narrow for its digits, a field prints asterisks, as Fortran
        // prints them.
        EXPECT_EQ(SampleOf("EX8.3"), bStrict ? "??????" : "********");
        // Digit counts above 999 only in the default table.
        EXPECT_EQ(SampleOf("I0.1000"), bStrict ? "??????" : std::string(993, '0') + "1234567");
        EXPECT_EQ(SampleOf("F0.1000").size(), bStrict ? 6u : 1008u);
    }
}

TEST(LaterForm, ARepeatedSampleAndItsGroupAreCutNotRefused)
{
    CDescriptorList list(TestTable());
    ASSERT_TRUE(Append(list, {"1000000E15.7", "2147483647(", "I1", ")", "2147483647(", "/", ")", "T5"}));
    std::string strRepeated;
    list.GetRepeatedSample(0, strRepeated);
    EXPECT_EQ(static_cast<long long>(strRepeated.size()), MAX_SAMPLE_LENGTH);
    EXPECT_EQ(strRepeated.substr(0, 30), "123.1234567E+12123.1234567E+12");
    EXPECT_EQ(list.At(0).Repeat(), 1000000);
    EXPECT_EQ(static_cast<long long>(list.At(3).Sample().size()), MAX_SAMPLE_LENGTH);
    EXPECT_EQ(list.At(3).Sample().find_first_not_of('1'), std::string::npos);
    EXPECT_EQ(list.At(6).Sample(), "");  // a group that prints nothing prints nothing, however often
    list.GetRepeatedSample(1, strRepeated);
    EXPECT_EQ(strRepeated, "");
    const std::vector<SFieldPlace> places = LayOutFields(list);
    EXPECT_EQ(places[0].nWidth, MAX_SAMPLE_LENGTH);
    EXPECT_EQ(places[3].nColumn, MAX_SAMPLE_LENGTH + 1);
}

TEST(LaterForm, TheDecimalModeTurnsPointsIntoCommasUntilDP)
{
    CDescriptorList list(TestTable());
    ASSERT_TRUE(Append(list, {"F7.3", "DC", "F7.3", "E12.4", "I5", "G0", "DP", "F0.1"}));
    std::vector<std::string> samples;
    for (int i = 0; i < list.size(); ++i)
        samples.push_back(list.At(i).Sample());
    EXPECT_EQ(samples, (std::vector<std::string>{"123.123", "", "123,123", "123,1234E+12", "12345", "1234567,1234567",
                                                 "", "1234567.1"}));
    ASSERT_TRUE(list.SetValue(2, "2.5"));
    EXPECT_EQ(list.At(2).Sample(), "  2,500");
    // A G field showing a value as text keeps it as typed.
    ASSERT_TRUE(list.SetValue(5, "a.b"));
    EXPECT_EQ(list.At(5).Sample(), "a.b");
    // DC is a mode descriptor: turning it into DP reaches every later field.
    ASSERT_TRUE(list.SetText(1, "DP"));
    EXPECT_EQ(list.At(3).Sample(), "123.1234E+12");
    ASSERT_TRUE(list.SetText(1, "DC"));
    EXPECT_EQ(list.At(3).Sample(), "123,1234E+12");
    // A sample typed with a decimal comma derives as one with a point.
    ASSERT_TRUE(list.SetSample(2, "12,5"));
    EXPECT_EQ(list.At(2).Text(), "F4.1");
    ASSERT_TRUE(list.EvaluateFromText(2));
    EXPECT_EQ(list.At(2).Sample(), " 2,5");  // its custom value 2.5 in the new width
    // Removing it brings the points back; RevertToGood restores its mode.
    ASSERT_TRUE(list.RemoveDescriptor(1));
    EXPECT_EQ(list.At(2).Sample(), "123.1234E+12");
    ASSERT_TRUE(list.InsertDescriptor(1, "DC"));
    EXPECT_FALSE(list.SetText(1, "DQ"));
    list.RevertToGood(1);
    EXPECT_EQ(list.At(1).Modes().nComma, 1);
}

TEST(LaterForm, MinimalWidthsLayOutCustomValuesWithoutBlanks)
{
    EXPECT_EQ(SampleOf("I0", "42"), "42");
    EXPECT_EQ(SampleOf("I0", "-42"), "-42");
    EXPECT_EQ(SampleOf("I0.4", "42"), "0042");
    EXPECT_EQ(SampleOf("I0", "4.2"), "*");
    EXPECT_EQ(SampleOf("F0.2", "-3.14159"), "-3.14");
    EXPECT_EQ(SampleOf("F0.3", "-0.5"), "-.500");  // as gfortran prints it
    EXPECT_EQ(SampleOf("E0.3", "1234567"), ".123+7");
    // Ew.dE0 of a custom value: the exponent's digits and no more.
    EXPECT_EQ(SampleOf("E12.3E0", "0.1"), "      .100+0");
    EXPECT_EQ(SampleOf("ES12.3E0", "-12345.678"), "     -.123+5");
    EXPECT_EQ(SampleOf("E12.3E0", "1E100"), "    .100+101");
    EXPECT_EQ(SampleOf("Z0", "ff"), "ff");
    EXPECT_EQ(SampleOf("B0", "102"), "***");
    EXPECT_EQ(SampleOf("G0", ".true."), "T");
    EXPECT_EQ(SampleOf("G0", "12"), "12");
    EXPECT_EQ(SampleOf("G0", "abc"), "abc");
    EXPECT_EQ(SampleOf("G0.3", "12"), "12");
    EXPECT_EQ(SampleOf("EX0.2", "1.5"), "0X1.80P+0");
    EXPECT_EQ(SampleOf("EX12.1E2", "-3"), "  -0X1.8P+01");
    EXPECT_EQ(SampleOf("EX9.1", "1.5"), " 0X1.8P+0");
    EXPECT_EQ(SampleOf("EX9.1", "-1.5"), "-0X1.8P+0");
    EXPECT_EQ(SampleOf("EX9.1", "-12345.5"), "*********");
    EXPECT_EQ(SampleOf("EX9.1", "abc"), "*********");
    EXPECT_EQ(SampleOf("EX9.1", "inf"), "*********");
    CDescriptorList list(TestTable());
    ASSERT_TRUE(Append(list, {"SP", "I0", "F0.1", "E0.2"}));
    EXPECT_EQ(list.At(1).Sample(), "+1234567");
    EXPECT_EQ(list.At(2).Sample(), "+1234567.1");
    EXPECT_EQ(list.At(3).Sample(), "+0.12E+7");
}

TEST(LaterForm, AnUnlimitedGroupShowsNoExtraPassesAndBalances)
{
    CDescriptorList list(TestTable());
    ASSERT_TRUE(list.Split("(A, *(1X, F8.3))\n"));
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"A", "*(", "1X", "F8.3", ")"}));
    EXPECT_EQ(list.At(4).Sample(), "");
    EXPECT_EQ(list.IsBalanced(), 1);
    EXPECT_EQ(list.At(1).NeedsComma(), 0);
    // A counted group inside an unlimited one still shows its passes.
    ASSERT_TRUE(list.Split("(*(I5, :, ','), 2(I1))\n"));
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"*(", "I5", ":", "','", ")", "2(", "I1", ")"}));
    EXPECT_EQ(list.At(4).Sample(), "");
    EXPECT_EQ(list.At(7).Sample(), "1");
    ASSERT_TRUE(list.Split("(* (I2))\n"));
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"* (", "I2", ")"}));
}

struct SSplitLaterCase {
    const char* text;
    std::vector<std::string> texts;
};

void PrintTo(const SSplitLaterCase& c, std::ostream* os)
{
    *os << "'" << c.text << "'";
}

class SplitLater : public ::testing::TestWithParam<SSplitLaterCase> {};

TEST_P(SplitLater, FindsEachDescriptor)
{
    CDescriptorList list(TestTable());
    SSplitLayout layout;
    ASSERT_TRUE(list.Split(GetParam().text, &layout)) << GetParam().text;
    EXPECT_EQ(Texts(list), GetParam().texts);
    EXPECT_EQ(std::string(GetParam().text).substr(layout.nClose + 1), "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Lists, SplitLater,
    ::testing::Values(SSplitLaterCase{"(\"x =\", F8.3)\n", {"\"x =\"", "F8.3"}},
                      SSplitLaterCase{"(\"say \"\"hi\"\"\")\n", {"\"say \"\"hi\"\"\""}},
                      SSplitLaterCase{"(\"a,b'c)\", 'd\"e', I2)\n", {"\"a,b'c)\"", "'d\"e'", "I2"}},
                      SSplitLaterCase{"()\n", {}}, SSplitLaterCase{"( )\n", {}},
                      SSplitLaterCase{"(100A, 999F10.4/1000000E15.7)\n", {"100A", "999F10.4", "/", "1000000E15.7"}},
                      SSplitLaterCase{"(I0, G0, F0.3, E0.3E2)\n", {"I0", "G0", "F0.3", "E0.3E2"}},
                      SSplitLaterCase{"(RU, DC, EX20.3, DP, RN)\n", {"RU", "DC", "EX20.3", "DP", "RN"}},
                      SSplitLaterCase{"(DT'a,b)'(10, 2), DT, dt(1), I2)\n", {"DT'a,b)'(10, 2)", "DT", "dt(1)", "I2"}},
                      SSplitLaterCase{"(DT \"x\"\"y,\" (1,2), ! comment\n I2)\n", {"DT \"x\"\"y,\" (1,2)", "I2"}},
                      // A constant and the item beside it need no comma.
                      SSplitLaterCase{"(\"residue:\"2x, I3)\n", {"\"residue:\"", "2x", "I3"}},
                      SSplitLaterCase{"(\"first part \"  \"second part\")\n", {"\"first part \"", "\"second part\""}},
                      SSplitLaterCase{"('a'x/X'b' 'c'(I2), 4Hx, y 2X)\n",
                                      {"'a'", "x", "/", "X", "'b'", "'c'", "(", "I2", ")", "4Hx, y", "2X"}},
                      SSplitLaterCase{"(I3'a''b')\n", {"I3", "'a''b'"}},
                      // Items that blanks part with no comma, as the compilers
                      // that accept a missing comma read them; the portability
                      // findings name each.
                      SSplitLaterCase{"(A A A)\n", {"A", "A", "A"}},
                      SSplitLaterCase{"(I5 5X, E12.3\n E12.3 1 0X)\n", {"I5", "5X", "E12.3", "E12.3", "1 0X"}},
                      SSplitLaterCase{"(2(I5) I5, 2(A)A)\n", {"2(", "I5", ")", "I5", "2(", "A", ")", "A"}}));

TEST(SplitLater, TheStrictTableRefusesTheLaterListsWhereItDidBefore)
{
    struct {
        const char* text;
        int column;
    } const cases[] = {{"()\n", 2},          {"(100(I5))\n", 6}, {"(*(I5))\n", 6}, {"(0E16.8)\n", 8},
                       {"(DT'a,b')\n", 6},   {"('a'x)\n", 5},    {"(A1000)\n", 7}, {"(4H)(,/I2)\n", 8},
                       {"(I5,T1000)\n", 10}, {"(A A A)\n", 7}};
    CStrictTable strict;
    for (const auto& c : cases) {
        CDescriptorList list(TestTable());
        const CResult result = list.Split(c.text);
        EXPECT_FALSE(result.Ok()) << c.text;
        ASSERT_EQ(result.Messages().size(), 1u) << c.text;
        EXPECT_EQ(MessageOf(result), "FORMAT parse failed in column " + std::to_string(c.column)) << c.text;
    }
    // Nested, an empty group is an empty item in either table.
    CStrictTable def(false);
    CDescriptorList list(TestTable());
    EXPECT_FALSE(list.Split("(I5, ())\n"));
}

struct SDeriveLaterCase {
    const char* text;
    const char* sample;
    const char* derived;  // nullptr: no descriptor derives
};

void PrintTo(const SDeriveLaterCase& c, std::ostream* os)
{
    *os << "'" << c.text << " <- " << c.sample << "'";
}

class DeriveLater : public ::testing::TestWithParam<SDeriveLaterCase> {};

TEST_P(DeriveLater, WritesTheMatchingTextOrRefuses)
{
    const SDeriveLaterCase& c = GetParam();
    CDescriptorList list(TestTable());
    ASSERT_TRUE(list.InsertDescriptor(0, c.text)) << c.text;
    const int result = list.SetSample(0, c.sample);
    if (c.derived == nullptr) {
        EXPECT_EQ(result, 0) << c.text << " gave " << list.At(0).Text();
        list.RevertToGood(0);
        EXPECT_EQ(list.At(0).Text(), c.text);
    } else {
        ASSERT_EQ(result, 1) << c.text;
        EXPECT_EQ(list.At(0).Text(), c.derived) << c.text;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, DeriveLater,
    ::testing::Values(SDeriveLaterCase{"\"x\"", "say \"hi\"", "\"say \"\"hi\"\"\""},
                      SDeriveLaterCase{"\"x\"", "it's", "\"it's\""},
                      SDeriveLaterCase{"'x'", "say \"hi\"", "'say \"hi\"'"}, SDeriveLaterCase{"1000I5", "12", "1000I2"},
                      SDeriveLaterCase{"I0", "  42", "I0"},  // a minimal width fits every sample
                      SDeriveLaterCase{"F0.3", "1.5", "F0.3"}, SDeriveLaterCase{"G0", "abc", "G0"},
                      SDeriveLaterCase{"EX20.3", "0X1.8P+1", "EX8.1E1"},
                      SDeriveLaterCase{"EX20.3", " 0X1.8P+01", "EX10.1"},
                      SDeriveLaterCase{"ex20.3e4", " 0X1.8P+01", "ex10.1e2"},
                      SDeriveLaterCase{"EX", "0X1.1234567P+12", "EX"}, SDeriveLaterCase{"EX20.3", "1.5", nullptr},
                      SDeriveLaterCase{"DC", "x", nullptr}, SDeriveLaterCase{"RU", "", nullptr},
                      SDeriveLaterCase{"DT'x'", "abc", nullptr}, SDeriveLaterCase{"*(", "", nullptr}));

}  // namespace

namespace {

TEST(EmptyField, PrintsNothingTakesNoCommaAndBecomesWhatIsTypedIntoIt)
{
    CDescriptorList list(TestTable());
    list.InsertEmptyField(0);
    EXPECT_EQ(list.At(0).Kind(), KIND_EMPTY);
    EXPECT_EQ(list.At(0).Sample(), "");
    EXPECT_EQ(list.IsBalanced(), 1);
    ASSERT_TRUE(Append(list, {"I5", "2(", "A"}));
    list.InsertEmptyField(4);
    ASSERT_TRUE(list.InsertDescriptor(5, ")"));
    list.InsertEmptyField(6);
    // The writer leaves empty fields out: no comma before a ")" or at the end.
    EXPECT_EQ(list.At(0).NeedsComma(), 0);
    EXPECT_EQ(list.At(1).NeedsComma(), 1);
    EXPECT_EQ(list.At(3).NeedsComma(), 0);
    EXPECT_EQ(list.At(5).NeedsComma(), 0);
    EXPECT_EQ(list.At(5).Sample(), "abcdefghij");
    // Blank text keeps it empty; a descriptor typed into it makes it that
    // descriptor, which then cannot be emptied again.
    EXPECT_TRUE(list.SetText(0, "  "));
    EXPECT_EQ(list.At(0).Kind(), KIND_EMPTY);
    EXPECT_FALSE(list.SetSample(0, "12"));
    list.RevertToGood(0);
    EXPECT_TRUE(list.SetText(0, "I0"));
    EXPECT_EQ(list.At(0).Sample(), "1234567");
    EXPECT_FALSE(list.SetText(0, ""));
    list.RevertToGood(0);
    EXPECT_EQ(list.At(0).Text(), "I0");
    // A blank text typed into an ordinary field stays refused.
    EXPECT_FALSE(list.SetText(1, ""));
}

}  // namespace
