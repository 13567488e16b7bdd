// The one reader of number texts into a decimal value, and the simplified
// layouts of that value (integer, fixed point and exponent, digits cut).
#include <gtest/gtest.h>

#include <climits>

#include "sample_number.h"

namespace {

struct SParseCase {
    const char* text;
    bool result;
    bool bNeg;
    const char* digits;  // without leading and trailing zeros: "" for zero
    long long exponent;  // the value is 0.digits x 10^exponent (0 for zero)
};

void PrintTo(const SParseCase& c, std::ostream* os)
{
    *os << "'" << c.text << "'";
}

class ParseNumber : public ::testing::TestWithParam<SParseCase> {};

TEST_P(ParseNumber, GivesSignDigitsAndExponent)
{
    const SParseCase& c = GetParam();
    exact::SDecimal v;
    ASSERT_EQ(exact::ReadDecimal(c.text, SYNTAX_LOOSE, v), c.result) << c.text;
    if (!c.result)
        return;
    EXPECT_EQ(v.bNeg, c.bNeg) << c.text;
    EXPECT_EQ(v.digits, c.digits) << c.text;
    EXPECT_EQ(v.nExp, c.exponent) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseNumber,
    ::testing::Values(SParseCase{"42", true, false, "42", 2}, SParseCase{"123.45", true, false, "12345", 3},
                      SParseCase{"0.00123", true, false, "123", -2}, SParseCase{"007", true, false, "7", 1},
                      SParseCase{"10.0", true, false, "1", 2}, SParseCase{"100", true, false, "1", 3},
                      SParseCase{"-0.0", true, true, "", 0}, SParseCase{"0.05", true, false, "5", -1},
                      SParseCase{"1E3", true, false, "1", 4}, SParseCase{"1D3", true, false, "1", 4},
                      SParseCase{"1.5+3", true, false, "15", 4}, SParseCase{"1.5 3", true, false, "15", 4},
                      SParseCase{" + 1 . 5 E - 2 ", true, false, "15", -1}, SParseCase{"-.5", true, true, "5", 0},
                      SParseCase{"5.", true, false, "5", 1}, SParseCase{"+", true, false, "", 0},
                      SParseCase{".", true, false, "", 0}, SParseCase{"E", true, false, "", 0},
                      SParseCase{"   ", true, false, "", 0}, SParseCase{"1E-", true, false, "1", 1},
                      SParseCase{"1E003", true, false, "1", 4}, SParseCase{"1.5e3", false, false, "", 0},
                      SParseCase{"1.5d3", false, false, "", 0}, SParseCase{"abc", false, false, "", 0},
                      SParseCase{"1 2", true, false, "1", 3}, SParseCase{"1 2 3", false, false, "", 0},
                      SParseCase{"--1", true, true, "", 0}, SParseCase{"1.2.3", false, false, "", 0}));

TEST(ParseNumber, TheCompilersSyntaxIsStricter)
{
    exact::SDecimal v;
    ASSERT_TRUE(exact::ReadDecimal(" -1,5q-2 ", SYNTAX_FORTRAN, v));
    EXPECT_TRUE(v.bNeg);
    EXPECT_EQ(v.digits, "15");
    EXPECT_EQ(v.nExp, -1);
    for (const char* text : {"1 2", "1E", ".", "1.5 E3", "E5", "--1"})
        EXPECT_FALSE(exact::ReadDecimal(text, SYNTAX_FORTRAN, v)) << text;
}

TEST(ParseNumber, HugeExponentsSaturateInsteadOfWrapping)
{
    exact::SDecimal v;
    ASSERT_TRUE(exact::ReadDecimal("1E99999999999999999999", SYNTAX_LOOSE, v));
    EXPECT_TRUE(exact::HasHugeExponent(v));
    EXPECT_GT(v.nExp, 0);
    ASSERT_TRUE(exact::ReadDecimal("1E-99999999999999999999", SYNTAX_LOOSE, v));
    EXPECT_TRUE(exact::HasHugeExponent(v));
    EXPECT_LT(v.nExp, 0);
    ASSERT_TRUE(exact::ReadDecimal("1E3000000000", SYNTAX_LOOSE, v));
    EXPECT_FALSE(exact::HasHugeExponent(v));
    EXPECT_EQ(v.nExp, 3000000001);
    ASSERT_TRUE(exact::ReadDecimal("0E99999999999999999999", SYNTAX_LOOSE, v));
    EXPECT_TRUE(v.digits.empty()) << "a zero is a zero whatever its exponent";
}

struct SLayoutCase {
    const char* value;
    int scale;
    int plus;
    char form;  // 'I', 'F' or 'E'
    int w, d, e;
    const char* out;  // nullptr when the layout must answer 0
};

void PrintTo(const SLayoutCase& c, std::ostream* os)
{
    *os << "'" << c.form << c.w << "." << c.d << " <- " << c.value << "'";
}

class Layout : public ::testing::TestWithParam<SLayoutCase> {};

TEST_P(Layout, FitsTheNumberIntoItsWidth)
{
    const SLayoutCase& c = GetParam();
    SNumberModes modes;
    modes.nScale = c.scale;
    modes.nPlus = c.plus;
    exact::SDecimal v;
    ASSERT_TRUE(exact::ReadDecimal(c.value, SYNTAX_LOOSE, v));
    std::string out;
    bool result = false;
    switch (c.form) {
    case 'I': result = exact::CutInteger(v, modes, c.w, c.d, out); break;
    case 'F': result = exact::CutFixed(v, modes, c.w, c.d, out); break;
    default: result = exact::CutExponent(v, modes, c.w, c.d, c.e, out); break;
    }
    if (c.out == nullptr) {
        EXPECT_FALSE(result) << c.value << " gave '" << out << "'";
    } else {
        ASSERT_TRUE(result) << c.value;
        EXPECT_EQ(out, c.out) << c.value;
        EXPECT_EQ(out.size(), static_cast<std::size_t>(c.w));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Integer, Layout,
    ::testing::Values(SLayoutCase{"42", 0, 0, 'I', 5, 0, 0, "   42"}, SLayoutCase{"-42", 0, 0, 'I', 5, 0, 0, "  -42"},
                      SLayoutCase{"42", 0, 1, 'I', 5, 0, 0, "  +42"}, SLayoutCase{"0", 0, 0, 'I', 3, 0, 0, "  0"},
                      SLayoutCase{"0", 0, 1, 'I', 3, 0, 0, " +0"}, SLayoutCase{"7", 0, 0, 'I', 5, 3, 0, "  007"},
                      SLayoutCase{"-7", 0, 0, 'I', 5, 3, 0, " -007"}, SLayoutCase{"1E3", 0, 0, 'I', 5, 0, 0, " 1000"},
                      SLayoutCase{"4.2", 0, 0, 'I', 5, 0, 0, nullptr},
                      SLayoutCase{"123456", 0, 0, 'I', 5, 0, 0, nullptr},
                      SLayoutCase{"-0", 0, 0, 'I', 5, 0, 0, "    0"}, SLayoutCase{"12345", 0, 0, 'I', 5, 0, 0, "12345"},
                      SLayoutCase{"-1234", 0, 0, 'I', 5, 0, 0, "-1234"},
                      SLayoutCase{"-12345", 0, 0, 'I', 5, 0, 0, nullptr},
                      SLayoutCase{"42", 5, 0, 'I', 5, 0, 0, "   42"}, SLayoutCase{"0", 0, 0, 'I', 5, 5, 0, "00000"},
                      SLayoutCase{"1E2147483647", 0, 0, 'I', 5, 0, 0, nullptr}));

INSTANTIATE_TEST_SUITE_P(
    Fixed, Layout,
    ::testing::Values(
        SLayoutCase{"3.14159", 0, 0, 'F', 7, 3, 0, "  3.141"}, SLayoutCase{"-2.5", 0, 0, 'F', 7, 3, 0, " -2.500"},
        SLayoutCase{"100", 0, 0, 'F', 7, 2, 0, " 100.00"}, SLayoutCase{"0.05", 0, 0, 'F', 7, 3, 0, "   .050"},
        SLayoutCase{"0.0001", 0, 0, 'F', 6, 2, 0, "   .00"}, SLayoutCase{"0", 0, 0, 'F', 5, 2, 0, " 0.00"},
        SLayoutCase{"12345", 0, 0, 'F', 5, 1, 0, nullptr}, SLayoutCase{"0.5", 2, 0, 'F', 7, 3, 0, " 50.000"},
        SLayoutCase{"2.5", 0, 1, 'F', 6, 2, 0, " +2.50"}, SLayoutCase{"0.5", 0, 0, 'F', 5, 2, 0, "  .50"},
        SLayoutCase{"123", -5, 0, 'F', 7, 3, 0, "   .001"}, SLayoutCase{"1.5", 0, 0, 'F', 5, INT_MAX, 0, nullptr},
        SLayoutCase{"1.5", INT_MAX, 0, 'F', 999, 3, 0, nullptr},
        SLayoutCase{"1.5", INT_MIN, 0, 'F', 7, 3, 0, "   .000"},
        SLayoutCase{"1E99999999999999999999", 0, 0, 'F', 999, 3, 0, nullptr}));

INSTANTIATE_TEST_SUITE_P(Exponent, Layout,
                         ::testing::Values(SLayoutCase{"3.14159", 0, 0, 'E', 15, 8, 3, "  .31415900+001"},
                                           SLayoutCase{"3.14159", 1, 0, 'E', 15, 8, 3, " 3.14159000+000"},
                                           SLayoutCase{"-0.00123", 0, 0, 'E', 12, 4, 3, "  -.1230-002"},
                                           SLayoutCase{"1.5", 0, 0, 'E', 15, 7, 2, "    .1500000+01"},
                                           SLayoutCase{"0", 0, 0, 'E', 10, 3, 3, "  .000+001"},
                                           SLayoutCase{"1E200", 0, 0, 'E', 9, 2, 3, "  .10+201"},
                                           SLayoutCase{"1.5", -2, 0, 'E', 10, 3, 2, "   .001+03"},
                                           SLayoutCase{"123.456", 5, 0, 'E', 14, 2, 2, "   12345.60-02"},
                                           SLayoutCase{"1.5", 0, 0, 'E', 7, 2, INT_MAX, nullptr},
                                           SLayoutCase{"1.5", 0, 0, 'E', 7, INT_MAX, 2, nullptr},
                                           SLayoutCase{"1.5", INT_MAX, 0, 'E', 999, 2, 2, nullptr},
                                           SLayoutCase{"1.5", INT_MIN, 0, 'E', 20, 2, 2, "      .00+2147483649"},
                                           SLayoutCase{"1E-99999999999999999999", 0, 0, 'E', 999, 2, 2, nullptr}));

}  // namespace
