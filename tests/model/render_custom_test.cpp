// Custom values: a value given to a field laid out as the descriptor prints
// it, under the modes in force, or asterisks when it cannot be printed.
#include <gtest/gtest.h>

#include "model_helpers.h"

namespace {

struct SValueCase {
    const char* before;  // a mode descriptor before the field, or ""
    const char* text;
    const char* value;
    const char* sample;
};

void PrintTo(const SValueCase& c, std::ostream* os)
{
    *os << "'" << c.before << " " << c.text << " <- " << c.value << "'";
}

class CustomValue : public ::testing::TestWithParam<SValueCase> {};

TEST_P(CustomValue, IsLaidOutAsTheFieldPrintsIt)
{
    const SValueCase& c = GetParam();
    CDescriptorList list;
    if (*c.before) {
        ASSERT_TRUE(list.InsertDescriptor(0, c.before));
    }
    ASSERT_TRUE(list.InsertDescriptor(list.size(), c.text));
    ASSERT_EQ(list.SetValue(list.size() - 1, c.value), 1) << "a value never makes a field fail";
    EXPECT_EQ(list.At(list.size() - 1).Sample(), c.sample) << c.before << " " << c.text << " <- " << c.value;
}

INSTANTIATE_TEST_SUITE_P(Integer, CustomValue,
                         ::testing::Values(SValueCase{"", "I5", "42", "   42"}, SValueCase{"", "I5", "-42", "  -42"},
                                           SValueCase{"", "I5", "1E3", " 1000"}, SValueCase{"", "I5", "4.2", "*****"},
                                           SValueCase{"", "I5", "123456", "*****"},
                                           SValueCase{"", "I5", "1e3", "*****"}, SValueCase{"", "I5", "abc", "*****"},
                                           SValueCase{"", "I5.3", "7", "  007"}, SValueCase{"", "I5.3", "-7", " -007"},
                                           SValueCase{"SP", "I5", "42", "  +42"}, SValueCase{"", "I", "42", "     42"},
                                           SValueCase{"2P", "I5", "42", "   42"}));

INSTANTIATE_TEST_SUITE_P(
    Real, CustomValue,
    ::testing::Values(
        SValueCase{"", "F7.3", "3.14159", "  3.141"}, SValueCase{"", "F7.3", "-2.5", " -2.500"},
        SValueCase{"2P", "F7.3", "0.5", " 50.000"}, SValueCase{"-1P", "F7.3", "5", "   .500"},
        SValueCase{"SP", "F6.2", "2.5", " +2.50"}, SValueCase{"", "F5.1", "12345", "*****"},
        SValueCase{"", "E15.8", "3.14159", "  .31415900+001"}, SValueCase{"1P", "E15.8", "3.14159", " 3.14159000+000"},
        SValueCase{"", "E12.4", "-0.00123", "  -.1230-002"}, SValueCase{"", "E", "1.5", "    .1500000+01"},
        SValueCase{"", "D15.7", "1.5", "   .1500000+001"}, SValueCase{"", "ES12.3E2", "2", "     .200+01"},
        SValueCase{"", "E9.2", "1E200", "  .10+201"}, SValueCase{"", "E9.2", "1E2000", " .10+2001"},
        SValueCase{"", "E9.2", "1E200000", "*********"}, SValueCase{"", "E9.2", "1E99999999999999999999", "*********"},
        SValueCase{"100000P", "F7.3", "1", "*******"}, SValueCase{"100000P", "E12.3", "1", "************"}));

INSTANTIATE_TEST_SUITE_P(
    General, CustomValue,
    ::testing::Values(SValueCase{"", "G10.3", ".T.", "         T"}, SValueCase{"", "G10.3", ".false.", "         F"},
                      SValueCase{"", "G10.3", "42", "        42"}, SValueCase{"", "G10.3", "abc", "       abc"},
                      SValueCase{"", "G10.3", "2.5", "  .250+001"}, SValueCase{"", "G5.0", "abcdefg", "abcde"},
                      SValueCase{"", "G10.3", "1.23456789E300", "  .123+301"}));

INSTANTIATE_TEST_SUITE_P(LogicalAndCharacter, CustomValue,
                         ::testing::Values(SValueCase{"", "L5", ".false.", "    F"},
                                           SValueCase{"", "L5", ".TRUE.", "    T"},
                                           SValueCase{"", "L5", "yes", "*****"}, SValueCase{"", "L1", ".t.", "T"},
                                           SValueCase{"", "A3", "hello", "hel"}, SValueCase{"", "A8", "hi", "      hi"},
                                           SValueCase{"", "A", "hello", "hello"},
                                           SValueCase{"", "A", "a much longer value", "a much longer value"}));

INSTANTIATE_TEST_SUITE_P(Radix, CustomValue,
                         ::testing::Values(SValueCase{"", "B8", "101", "00000101"}, SValueCase{"", "B2", "1101", "01"},
                                           SValueCase{"", "B4", "12", "****"}, SValueCase{"", "O3", "78", "***"},
                                           SValueCase{"", "Z4", "ff", "00ff"}, SValueCase{"", "Z2", "1aBc", "Bc"},
                                           SValueCase{"", "Z2", "g1", "**"}, SValueCase{"SP", "B8.4", "1", "00000001"},
                                           SValueCase{"", "O", "777", "0000777"}));

TEST(CustomValue, PositionAndStringKindsIgnoreIt)
{
    EXPECT_EQ(SampleOf("'abc'", "zzz"), "abc");
    EXPECT_EQ(SampleOf("3X", "zzz"), "   ");
    EXPECT_EQ(SampleOf("2Hab", "zzz"), "ab");
}

TEST(CustomValue, WhetherATextIsADescriptorNeverDependsOnTheValue)
{
    // F3.3 is too narrow for its digits: it prints asterisks with a value
    // and without one, so it is a descriptor in a field with a value as in
    // a new one, and one read from a file. F7.2147483648 asks for more
    // digits than any field holds: no descriptor, with a value or without.
    CDescriptorList list;
    ASSERT_TRUE(list.InsertDescriptor(0, "F7.3"));
    ASSERT_TRUE(list.SetValue(0, "0"));
    ASSERT_TRUE(list.SetText(0, "F3.3"));
    EXPECT_EQ(list.At(0).Sample(), "***");
    EXPECT_EQ(SampleOf("F3.3"), "***");
    EXPECT_FALSE(list.SetText(0, "F7.2147483648"));
    EXPECT_EQ(SampleOf("F7.2147483648"), "??????");
    list.RevertToGood(0);
    EXPECT_TRUE(list.SetValue(0, ""));
    EXPECT_EQ(list.At(0).Sample(), "***");
}

TEST(CustomValue, AnEmptyValueBringsTheDefaultBack)
{
    CDescriptorList list;
    ASSERT_TRUE(list.InsertDescriptor(0, "I5"));
    ASSERT_TRUE(list.SetValue(0, "42"));
    ASSERT_TRUE(list.SetValue(0, ""));
    EXPECT_EQ(list.At(0).Sample(), "12345");
}

TEST(CustomValue, AScaleFactorAppliesToValuesAfterIt)
{
    CDescriptorList list;
    ASSERT_TRUE(Append(list, {"F7.3", "2P", "F7.3", "E12.4"}));
    ASSERT_TRUE(list.SetValue(0, "1.5"));
    ASSERT_TRUE(list.SetValue(2, "1.5"));
    ASSERT_TRUE(list.SetValue(3, "1.5"));
    EXPECT_EQ(list.At(0).Sample(), "  1.500");
    EXPECT_EQ(list.At(2).Sample(), "150.000");
    EXPECT_EQ(list.At(3).Sample(), " 15.0000-001");
    // Changing the scale factor re-lays every value after it.
    ASSERT_TRUE(list.SetText(1, "-1P"));
    EXPECT_EQ(list.At(2).Sample(), "   .150");
    EXPECT_EQ(list.At(3).Sample(), "   .0150+002");
}

}  // namespace
