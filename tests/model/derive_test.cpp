// Derivation: a typed sample turns the descriptor into one of the same kind
// whose widths fit it, keeping the repeat prefix and the letter case.
#include <gtest/gtest.h>

#include "model_helpers.h"

namespace {

struct SDeriveCase {
    const char* text;
    const char* sample;
    const char* derived;  // nullptr when no descriptor can be derived
};

void PrintTo(const SDeriveCase& c, std::ostream* os)
{
    *os << "'" << c.text << " <- " << c.sample << "'";
}

class DeriveFromSample : public ::testing::TestWithParam<SDeriveCase> {};

TEST_P(DeriveFromSample, WritesTheMatchingText)
{
    const SDeriveCase& c = GetParam();
    CDescriptorList list;
    ASSERT_TRUE(list.InsertDescriptor(0, c.text)) << c.text;
    const int result = list.SetSample(0, c.sample);
    if (c.derived == nullptr) {
        EXPECT_EQ(result, 0) << c.text << " <- '" << c.sample << "' gave " << list.At(0).Text();
        EXPECT_EQ(list.At(0).Text(), "??????");
        EXPECT_EQ(list.At(0).Sample(), c.sample) << "the typed sample stays";
        EXPECT_EQ(list.m_bInvalid, 1);
    } else {
        ASSERT_EQ(result, 1) << c.text << " <- '" << c.sample << "'";
        EXPECT_EQ(list.At(0).Text(), c.derived) << c.text << " <- '" << c.sample << "'";
        EXPECT_EQ(list.At(0).GoodText(), c.derived);
        EXPECT_EQ(list.At(0).GoodSample(), c.sample);
        EXPECT_EQ(list.m_bInvalid, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Integer, DeriveFromSample,
                         ::testing::Values(SDeriveCase{"I5", "  -42", "I5"}, SDeriveCase{"I5", " 0042", "I5.4"},
                                           SDeriveCase{"I5", "123", "I3"}, SDeriveCase{"I5", "abc", "I3"},
                                           SDeriveCase{"I8.3", "    42", "I6.3"}, SDeriveCase{"I8.3", "42", "I2.2"},
                                           SDeriveCase{"3I5", "12", "3I2"}, SDeriveCase{"i5", "1234", "i4"},
                                           SDeriveCase{"I", "1234567", "I"}, SDeriveCase{"I", "12", "I2"},
                                           SDeriveCase{"I", "0000007", "I7.7"}, SDeriveCase{"I5", "", nullptr}));

INSTANTIATE_TEST_SUITE_P(Radix, DeriveFromSample,
                         ::testing::Values(SDeriveCase{"B8.4", "0101", "B4.4"}, SDeriveCase{"B8.4", "  11", "B4.4"},
                                           SDeriveCase{"Z8", "00ff", "Z4.4"}, SDeriveCase{"Z8", "ff", "Z2"},
                                           SDeriveCase{"O", "1234567", "O"}, SDeriveCase{"O", "89", "O2"},
                                           SDeriveCase{"z8", "ab", "z2"}, SDeriveCase{"2B8", "1", "2B1"},
                                           SDeriveCase{"Z8", "", nullptr}));

INSTANTIATE_TEST_SUITE_P(
    Real, DeriveFromSample,
    ::testing::Values(SDeriveCase{"F7.3", "12.5", "F4.1"}, SDeriveCase{"F", "1234567.1234567", "F"},
                      SDeriveCase{"F7.3", "125", nullptr}, SDeriveCase{"F7.3", ".", "F1.0"},
                      SDeriveCase{"2f7.3", "1.25", "2f4.2"}, SDeriveCase{"D15.7", "12.34D+05", "D9.2"},
                      SDeriveCase{"D", "123.1234567D+12", "D"}, SDeriveCase{"D15.7", "1.5", "D7.1"},
                      SDeriveCase{"D15.7", "15", nullptr}, SDeriveCase{"E15.8", "1.5E+03", "E7.1"},
                      SDeriveCase{"E15.8", "1.5E+003", "E8.1E3"}, SDeriveCase{"E15.8", "1.5+003", "E7.1E3"},
                      SDeriveCase{"E15.8", "1.5E-03", nullptr}, SDeriveCase{"E15.8", "1.5", nullptr},
                      SDeriveCase{"E15.8", "15E+03", nullptr}, SDeriveCase{"E15.8", "1.5E", nullptr},
                      SDeriveCase{"EN12.3", "12.345E+06", "EN10.3"}, SDeriveCase{"es12.3", "1.5e+02", "es7.1"},
                      SDeriveCase{"E", "123.1234567E+12", "E"}, SDeriveCase{"G", "123.1234567E+12", "G"},
                      SDeriveCase{"G12.3E4", "1.5E+1234", "G9.1E4"}, SDeriveCase{"E12.3e2", "1.5E+12", "E7.1E2"},
                      SDeriveCase{"e12.3E3", "1.5E+12", "e7.1"}, SDeriveCase{"E12.3e2", "1.5d+012", "E8.1E3"},
                      SDeriveCase{"2ES12.3", "1.25E+123", "2ES9.2E3"}));

INSTANTIATE_TEST_SUITE_P(CharacterAndLogical, DeriveFromSample,
                         ::testing::Values(SDeriveCase{"L2", ".TRUE.", "L6"}, SDeriveCase{"L", "TF", "L"},
                                           SDeriveCase{"L5", "", "L0"}, SDeriveCase{"A10", "hello", "A5"},
                                           SDeriveCase{"2A4", "xy", "2A2"}, SDeriveCase{"A", "abcdefghij", "A"},
                                           SDeriveCase{"a", "xyz", "a3"}, SDeriveCase{"'abc'", "It's", "'It''s'"},
                                           SDeriveCase{"'abc'", "", "''"}, SDeriveCase{"5Hhello", "hi", "2Hhi"},
                                           SDeriveCase{"5hhello", "hi", "2hhi"}));

INSTANTIATE_TEST_SUITE_P(Position, DeriveFromSample,
                         ::testing::Values(SDeriveCase{"TR4", "  ", "TR2"}, SDeriveCase{"3X", "    ", "4X"},
                                           SDeriveCase{"3x", "", "0x"}, SDeriveCase{"X", "", "X"},
                                           SDeriveCase{"X", " ", "1X"}, SDeriveCase{"T10", "", nullptr},
                                           SDeriveCase{"T10", "   ", "T3"}));

INSTANTIATE_TEST_SUITE_P(NotDerivable, DeriveFromSample,
                         ::testing::Values(SDeriveCase{"SP", "", nullptr}, SDeriveCase{"2P", "x", nullptr},
                                           SDeriveCase{"BN", "", nullptr}, SDeriveCase{"BZ", "", nullptr},
                                           SDeriveCase{"Q", "", nullptr}, SDeriveCase{"TL4", "  ", nullptr},
                                           SDeriveCase{"SS", "", nullptr}, SDeriveCase{"S", "", nullptr},
                                           SDeriveCase{"2(", "", nullptr}, SDeriveCase{"3/", "", nullptr},
                                           SDeriveCase{"/", "", nullptr}, SDeriveCase{"\\", "", nullptr},
                                           SDeriveCase{"$", "", nullptr}, SDeriveCase{":", "", nullptr}));

TEST(DeriveFromSample, ATabCountsFromItsPrintColumn)
{
    CDescriptorList list;
    ASSERT_TRUE(Append(list, {"I5", "T10"}));
    ASSERT_TRUE(list.SetSample(1, "   "));
    EXPECT_EQ(list.At(1).Text(), "T8");
}

TEST(DeriveFromSample, KeepsTheKindAndTheRepeatCountOfTheGoodText)
{
    CDescriptorList list;
    ASSERT_TRUE(list.InsertDescriptor(0, "3I5"));
    ASSERT_TRUE(list.SetSample(0, "12"));
    EXPECT_EQ(list.At(0).Repeat(), 3);
    EXPECT_EQ(list.At(0).Kind(), KIND_IW);
    // The direction stays sample to text until the text is evaluated again,
    // which renders the default sample in the new width.
    EXPECT_EQ(list.At(0).IsFromText(), 0);
    ASSERT_TRUE(list.EvaluateFromText(0));
    EXPECT_EQ(list.At(0).Sample(), "12");
    ASSERT_TRUE(list.SetSample(0, "  -42"));
    ASSERT_TRUE(list.EvaluateFromText(0));
    EXPECT_EQ(list.At(0).Text(), "3I5");
    EXPECT_EQ(list.At(0).Sample(), "12345");
}

TEST(DeriveFromSample, ATypedSampleDoesNotBecomeTheValue)
{
    CDescriptorList list;
    ASSERT_TRUE(list.InsertDescriptor(0, "I3"));
    ASSERT_TRUE(list.SetValue(0, "7"));
    ASSERT_TRUE(list.SetSample(0, "  -42"));
    EXPECT_EQ(list.At(0).Value(), "7");
    ASSERT_TRUE(list.EvaluateFromText(0));
    EXPECT_EQ(list.At(0).Sample(), "    7");
}

TEST(DeriveFromSample, DerivesFromTheLastGoodTextNotAnInvalidOne)
{
    CDescriptorList list;
    ASSERT_TRUE(list.InsertDescriptor(0, "F7.3"));
    EXPECT_FALSE(list.SetText(0, "F7."));
    ASSERT_TRUE(list.SetSample(0, "1.25"));
    EXPECT_EQ(list.At(0).Text(), "F4.2");
}

}  // namespace
