// CSampleNumber: reading a typed number into digits and exponent, and the
// integer, fixed-point and exponent layouts, all on the digit string.
#include <gtest/gtest.h>

#include <climits>

#include "sample_number.h"

namespace {

struct SParseCase {
    const char* text;
    int result;
    char sign;
    const char* digits;
    int exponent;
};

void PrintTo(const SParseCase& c, std::ostream* os)
{
    *os << "'" << c.text << "'";
}

class ParseNumber : public ::testing::TestWithParam<SParseCase> {};

TEST_P(ParseNumber, GivesSignDigitsAndExponent)
{
    const SParseCase& c = GetParam();
    CSampleNumber n;
    ASSERT_EQ(n.Parse(c.text), c.result) << c.text;
    if (!c.result)
        return;
    EXPECT_EQ(n.Sign(), c.sign) << c.text;
    EXPECT_EQ(n.Digits(), c.digits) << c.text;
    EXPECT_EQ(n.GetExponent(), c.exponent) << c.text;
}

INSTANTIATE_TEST_SUITE_P(Texts, ParseNumber,
                         ::testing::Values(SParseCase{"42", 1, '+', "42", 2}, SParseCase{"123.45", 1, '+', "12345", 3},
                                           SParseCase{"0.00123", 1, '+', "123", -2}, SParseCase{"007", 1, '+', "7", 1},
                                           SParseCase{"10.0", 1, '+', "10", 2}, SParseCase{"100", 1, '+', "1", 3},
                                           SParseCase{"-0.0", 1, '+', "0", 1}, SParseCase{"0.05", 1, '+', "5", -1},
                                           SParseCase{"1E3", 1, '+', "1", 4}, SParseCase{"1D3", 1, '+', "1", 4},
                                           SParseCase{"1.5+3", 1, '+', "15", 4}, SParseCase{"1.5 3", 1, '+', "15", 4},
                                           SParseCase{" + 1 . 5 E - 2 ", 1, '+', "15", -1},
                                           SParseCase{"-.5", 1, '-', "5", 0}, SParseCase{"5.", 1, '+', "5", 1},
                                           SParseCase{"+", 1, '+', "0", 1}, SParseCase{".", 1, '+', "0", 1},
                                           SParseCase{"E", 1, '+', "0", 1}, SParseCase{"   ", 1, '+', "0", 1},
                                           SParseCase{"1E-", 1, '+', "1", 1}, SParseCase{"1E003", 1, '+', "1", 4},
                                           SParseCase{"1.5e3", 0, '+', "", 0}, SParseCase{"1.5d3", 0, '+', "", 0},
                                           SParseCase{"abc", 0, '+', "", 0}, SParseCase{"1 2", 1, '+', "1", 3},
                                           SParseCase{"1 2 3", 0, '+', "", 0}, SParseCase{"--1", 1, '+', "0", 1},
                                           SParseCase{"1.2.3", 0, '+', "", 0}));

TEST(ParseNumber, ParseSetsEveryPartAfresh)
{
    CSampleNumber n;
    ASSERT_TRUE(n.Parse("-1.5E-7"));
    ASSERT_TRUE(n.Parse("42"));
    EXPECT_EQ(n.Sign(), '+');
    EXPECT_EQ(n.Digits(), "42");
    EXPECT_EQ(n.GetExponent(), 2);
}

TEST(ParseNumber, HugeExponentsSaturateInsteadOfWrapping)
{
    CSampleNumber n;
    ASSERT_TRUE(n.Parse("1E99999999999999999999"));
    EXPECT_EQ(n.GetExponent(), INT_MAX);
    ASSERT_TRUE(n.Parse("1E-99999999999999999999"));
    EXPECT_EQ(n.GetExponent(), INT_MIN);
    ASSERT_TRUE(n.Parse("1E3000000000"));
    EXPECT_EQ(n.GetExponent(), INT_MAX);
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
    CSampleNumber n;
    n.SetScale(c.scale);
    n.SetPlus(c.plus);
    ASSERT_TRUE(n.Parse(c.value));
    std::string out;
    int result = 0;
    switch (c.form) {
    case 'I': result = n.FormatInteger(out, c.w, c.d); break;
    case 'F': result = n.FormatFixed(out, c.w, c.d); break;
    default: result = n.FormatExponent(out, c.w, c.d, c.e); break;
    }
    if (c.out == nullptr) {
        EXPECT_EQ(result, 0) << c.value << " gave '" << out << "'";
    } else {
        ASSERT_EQ(result, 1) << c.value;
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
