// Default samples: what each kind of descriptor shows without a custom
// value, alone, after a plus-sign mode, in groups and at tab positions.
#include <gtest/gtest.h>

#include "model_helpers.h"

namespace {

struct SSampleCase {
    const char* text;
    const char* sample;  // "??????" when the descriptor must not evaluate
};

void PrintTo(const SSampleCase& c, std::ostream* os)
{
    *os << "'" << c.text << "'";
}

class DefaultSample : public ::testing::TestWithParam<SSampleCase> {};

TEST_P(DefaultSample, IsExactToTheLastBlank)
{
    EXPECT_EQ(SampleOf(GetParam().text), GetParam().sample) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, DefaultSample,
    ::testing::Values(SSampleCase{"I5", "12345"}, SSampleCase{"I", "1234567"}, SSampleCase{"I12", "123456789012"},
                      SSampleCase{"I5.3", "  012"}, SSampleCase{"I5.5", "01234"}, SSampleCase{"I5.6", "??????"},
                      SSampleCase{"F7.3", "123.123"}, SSampleCase{"F", "1234567.1234567"}, SSampleCase{"F4.3", ".123"},
                      SSampleCase{"F3.3", "***"}, SSampleCase{"E15.8", "12.12345678E+12"},
                      SSampleCase{"D", "123.1234567D+12"}, SSampleCase{"D15.7", "123.1234567D+12"},
                      SSampleCase{"ES15.7", "123.1234567E+12"}, SSampleCase{"EN12.3", "1234.123E+12"},
                      SSampleCase{"E12.4E3", "12.1234E+123"}, SSampleCase{"E12.4e3", "12.1234E+123"},
                      SSampleCase{"E", "123.1234567E+12"}, SSampleCase{"EN", "123.1234567E+12"},
                      SSampleCase{"E4.0", "****"}, SSampleCase{"E5.0", ".E+12"}, SSampleCase{"E8.2E4", "********"},
                      SSampleCase{"E9.2E4", ".12E+1234"}, SSampleCase{"G15.7", "123.1234567E+12"},
                      SSampleCase{"G", "123.1234567E+12"}, SSampleCase{"G12.3E4", "1234.123E+12"},
                      SSampleCase{"G12.3d4", "1234.123D+12"}, SSampleCase{"L2", " T"}, SSampleCase{"L5", "    T"},
                      SSampleCase{"L", " T"}, SSampleCase{"A10", "abcdefghij"}, SSampleCase{"A", "abcdefghij"},
                      SSampleCase{"A30", "abcdefghijklmnopqrstuvwxyzabcd"}, SSampleCase{"O8.3", "     012"},
                      SSampleCase{"B", "10101010"}, SSampleCase{"O", "1234567"}, SSampleCase{"Z", "12345678"},
                      SSampleCase{"Z16", "123456789ABCDEF0"}, SSampleCase{"B8.4", "    0101"},
                      SSampleCase{"Z20.12", "        0123456789AB"}, SSampleCase{"B4.5", "??????"},
                      SSampleCase{"'It''s'", "It's"}, SSampleCase{"''", ""}, SSampleCase{"5Hhello", "hello"},
                      SSampleCase{"6Hhello", "??????"}, SSampleCase{"3X", "   "}, SSampleCase{"X", " "},
                      SSampleCase{"TR4", "    "}, SSampleCase{"TL4", ""}, SSampleCase{"T3", "   "},
                      SSampleCase{"2P", ""}, SSampleCase{"SP", ""}, SSampleCase{"BN", ""}, SSampleCase{"/", ""},
                      SSampleCase{"3/", ""}, SSampleCase{"2(", ""}, SSampleCase{")", "??????"},
                      SSampleCase{"99I5", "12345"}));

TEST(DefaultSample, WidthsAbove999FailInTheStrictTableAndLargeNumbersNeverWrap)
{
    for (bool bStrict : {true, false}) {
        CStrictTable table(bStrict);
        const auto wide = [bStrict](const char* text, std::size_t nSize) {
            const std::string sample = SampleOf(text);
            EXPECT_EQ(bStrict ? sample == "??????" : sample.size() == nSize, true) << text << " " << bStrict;
        };
        EXPECT_EQ(SampleOf("I999").size(), 999u);
        wide("I1000", 1000);
        wide("A1000", 1000);
        wide("1000X", 1000);
        wide("T1000", 1000);
        wide("TR1000", 1000);
        wide("I999999", 999999);
        // d, m and e beyond the width: asterisks or no descriptor.
        wide("E7.999999E999999", 7);
        wide("E999.99999E99999", 999);
        wide("F7.999999", 7);
        EXPECT_EQ(SampleOf("I5.999999"), "??????");
        EXPECT_EQ(SampleOf("Z5.100000"), "??????");
        EXPECT_EQ(SampleOf("999Habc"), "??????");
        // Beyond what an int holds, in neither table.
        EXPECT_EQ(SampleOf("I2147483648"), "??????");
        EXPECT_EQ(SampleOf("F7.2147483648"), "??????");
    }
}

TEST(DefaultSample, PlusModeAddsASignOrShortensTheRun)
{
    CDescriptorList list(TestTable());
    ASSERT_TRUE(Append(list, {"SP", "I5", "I5.3", "F7.3", "E15.8", "B8.4", "Z4.2", "L2", "A3"}));
    EXPECT_EQ(list.At(1).Sample(), "+1234");
    EXPECT_EQ(list.At(2).Sample(), "+  01");
    EXPECT_EQ(list.At(3).Sample(), "+12.123");
    EXPECT_EQ(list.At(4).Sample(), "+1.12345678E+12");
    EXPECT_EQ(list.At(5).Sample(), "    010");  // no sign written, the run one shorter
    EXPECT_EQ(list.At(6).Sample(), "  0");
    EXPECT_EQ(list.At(7).Sample(), " T");
    EXPECT_EQ(list.At(8).Sample(), "abc");
}

TEST(DefaultSample, AScaleFactorChangesNoDefault)
{
    CDescriptorList list(TestTable());
    ASSERT_TRUE(Append(list, {"2P", "F7.3", "E15.8", "I5"}));
    EXPECT_EQ(list.At(1).Sample(), "123.123");
    EXPECT_EQ(list.At(2).Sample(), "12.12345678E+12");
    EXPECT_EQ(list.At(3).Sample(), "12345");
}

TEST(GroupSample, TheCloseShowsTheExtraPasses)
{
    CDescriptorList a;
    ASSERT_TRUE(Append(a, {"3(", "I2", "2X", ")"}));
    EXPECT_EQ(a.At(3).Sample(), "12  12  ");

    CDescriptorList b;
    ASSERT_TRUE(Append(b, {"2(", "I3", ")"}));
    EXPECT_EQ(b.At(2).Sample(), "123");

    CDescriptorList c;
    ASSERT_TRUE(Append(c, {"(", "I3", ")"}));
    EXPECT_EQ(c.At(2).Sample(), "");

    CDescriptorList d;
    ASSERT_TRUE(Append(d, {"2(", "3(", "I1", ")", ")"}));
    EXPECT_EQ(d.At(3).Sample(), "11");
    EXPECT_EQ(d.At(4).Sample(), "111");

    CDescriptorList e;
    ASSERT_TRUE(Append(e, {"I2", ")"}));
    EXPECT_EQ(e.At(1).Sample(), "??????");
    EXPECT_EQ(e.At(1).Kind(), KIND_CLOSE);  // unmatched, but not a failure

    // Repeated descriptors inside the group count with their repeat count.
    CDescriptorList f;
    ASSERT_TRUE(Append(f, {"2(", "2I1", "'x'", ")"}));
    EXPECT_EQ(f.At(3).Sample(), "11x");
}

TEST(GroupSample, AnOpenerAbove99IsInvalidAndDoesNotCountUnderTheStrictTable)
{
    CStrictTable strict;
    CDescriptorList list(TestTable());
    EXPECT_FALSE(list.InsertDescriptor(0, "100("));
    EXPECT_TRUE(list.InsertDescriptor(0, "99("));
    ASSERT_TRUE(Append(list, {"I1", ")"}));
    EXPECT_EQ(list.At(2).Sample(), std::string(98, '1'));
}

TEST(GroupSample, AGroupPrintingMoreThanTheLimitIsInvalidUnderTheStrictTable)
{
    CStrictTable strict;
    CDescriptorList list(TestTable());
    ASSERT_TRUE(Append(list, {"99(", "99(", "99(", "99(", "I1", ")", ")", ")"}));
    EXPECT_EQ(list.At(5).Sample().size(), 98u);
    EXPECT_EQ(list.At(6).Sample().size(), 98u * 99u);
    EXPECT_EQ(list.At(7).Sample().size(), 98u * 99u * 99u);
    EXPECT_FALSE(list.InsertDescriptor(list.size(), ")"));  // about 95 million characters
    EXPECT_EQ(list.size(), 8);
}

TEST(TabSample, FillsUpToTheColumnInTheCurrentRecord)
{
    CDescriptorList list(TestTable());
    ASSERT_TRUE(Append(list, {"I5", "T10", "T3", "/", "T4", "2I2", "T7"}));
    EXPECT_EQ(list.At(1).Sample(), "     ");  // column 5 to 10
    EXPECT_EQ(list.At(2).Sample(), "");       // already past column 3
    EXPECT_EQ(list.At(4).Sample(), "    ");   // a slash starts a new record
    EXPECT_EQ(list.At(6).Sample(), "");       // 4 + 2 x 2 = 8 characters already printed
}

}  // namespace
