// What both front ends share about fields: where each prints, the ruler's
// marks, and the field commands with their refusals.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "field_commands.h"
#include "field_layout.h"
#include "model_helpers.h"

namespace {

struct SPlaceCase {
    std::vector<std::string> texts;
    std::vector<SFieldPlace> places;
};

}  // namespace

TEST(LayOutFields, RecordsColumnsAndWidthsOfEveryField)
{
    const SPlaceCase cases[] = {
        // Repeated samples count every pass; modes, groups' openers and
        // record ends take no columns; a record end starts the next record.
        {{"I5", "3I2", "SP", "F6.2", "/", "A3"}, {{0, 0, 5}, {0, 5, 6}, {0, 11, 0}, {0, 11, 6}, {0, 17, 0}, {1, 0, 3}}},
        {{"'ab'", "2(", "I1", ")", "2/", "X", "\\", "L2"},
         {{0, 0, 2}, {0, 2, 0}, {0, 2, 1}, {0, 3, 1}, {0, 4, 0}, {1, 0, 1}, {1, 1, 0}, {2, 0, 2}}},
        {{}, {}},
    };
    for (const SPlaceCase& c : cases) {
        CDescriptorList list;
        ASSERT_TRUE(Append(list, c.texts));
        const std::vector<SFieldPlace> places = LayOutFields(list);
        ASSERT_EQ(places.size(), c.places.size());
        for (std::size_t i = 0; i < places.size(); ++i) {
            EXPECT_EQ(places[i].nRecord, c.places[i].nRecord) << "field " << i;
            EXPECT_EQ(places[i].nColumn, c.places[i].nColumn) << "field " << i;
            EXPECT_EQ(places[i].nWidth, c.places[i].nWidth) << "field " << i;
        }
    }
}

TEST(LayOutFields, AgreesWithEachDescriptorsColumnOnRandomLists)
{
    // The one-pass layout and the model's own walk back must never differ.
    const std::vector<std::string> pool = {"I5",  "2I3", "SP",  "SS", "1P", "F7.3", "/",     "2(", ")",
                                           "'x'", "T10", "TR2", "3X", ":",  "A",    "E12.4", "BN"};
    std::mt19937 random(7);
    for (int nList = 0; nList < 200; ++nList) {
        CDescriptorList list;
        const int nSize = 1 + static_cast<int>(random() % 30);
        for (int i = 0; i < nSize; ++i)
            list.InsertDescriptor(list.size(), pool[random() % pool.size()].c_str());
        const std::vector<SFieldPlace> places = LayOutFields(list);
        // A prefix is laid out as the whole list lays it out.
        const int nCount = static_cast<int>(random() % (list.size() + 2));
        const std::vector<SFieldPlace> prefix = LayOutFields(list, nCount);
        ASSERT_EQ(prefix.size(), static_cast<std::size_t>(std::min(nCount, list.size())));
        for (std::size_t i = 0; i < prefix.size(); ++i)
            ASSERT_EQ(prefix[i].nColumn, places[i].nColumn);
        for (int i = 0; i < list.size(); ++i) {
            std::string strRepeated;
            list.GetRepeatedSample(i, strRepeated);
            ASSERT_EQ(places[static_cast<std::size_t>(i)].nColumn, list.At(i).GetColumn());
            ASSERT_EQ(places[static_cast<std::size_t>(i)].nWidth, static_cast<long long>(strRepeated.size()));
        }
    }
}

TEST(RulerTickAt, LongEveryTenMediumEveryFive)
{
    const std::pair<long long, RulerTick> ticks[] = {
        {0, TICK_LONG},     {1, TICK_SHORT},  {4, TICK_SHORT},           {5, TICK_MEDIUM},
        {9, TICK_SHORT},    {10, TICK_LONG},  {23, TICK_SHORT},          {25, TICK_MEDIUM},
        {105, TICK_MEDIUM}, {110, TICK_LONG}, {2147483650LL, TICK_LONG},
    };
    for (const auto& [nColumn, tick] : ticks)
        EXPECT_EQ(RulerTickAt(nColumn), tick) << nColumn;
    EXPECT_EQ(ShownChar('\0'), '~');
    EXPECT_EQ(ShownChar('\t'), '~');
    EXPECT_EQ(ShownChar('\x7f'), '~');
    EXPECT_EQ(ShownChar('\xe9'), '\xe9');
    EXPECT_EQ(ShownChar('A'), 'A');
}

TEST(LeaveField, KeepsAValidEditAndTakesAnInvalidOneBack)
{
    CDescriptorList list;
    ASSERT_TRUE(Append(list, {"SP", "I5", "F7.3"}));
    EXPECT_EQ(TypeIntoField(list, 1, ROW_TEXT, "I8"), 1);
    EXPECT_EQ(LeaveField(list, 1, ROW_TEXT), 0);
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"SP", "I8", "F7.3"}));

    EXPECT_EQ(TypeIntoField(list, 1, ROW_TEXT, "I8x"), 0);
    EXPECT_EQ(list.At(1).Sample(), INVALID_MARKER);
    EXPECT_EQ(LeaveField(list, 1, ROW_TEXT), 1);
    EXPECT_EQ(list.At(1).Text(), "I8");
    EXPECT_EQ(list.At(1).Sample(), "+1234567");
    EXPECT_EQ(list.m_bInvalid, 0);

    // A typed sample: the text is derived while typing, and leaving shows
    // the standard sample of that text.
    EXPECT_EQ(TypeIntoField(list, 2, ROW_SAMPLE, "-12.5"), 1);
    EXPECT_EQ(list.At(2).Text(), "F5.1");
    EXPECT_EQ(list.At(2).Sample(), "-12.5");
    EXPECT_EQ(LeaveField(list, 2, ROW_SAMPLE), 0);
    EXPECT_EQ(list.At(2).Sample(), "+12.1");
}

TEST(FieldCommands, RefuseWithTheirMessagesAndChangeNothing)
{
    CDescriptorList list;
    ASSERT_TRUE(Append(list, {"I5"}));
    EXPECT_EQ(MessageOf(RemoveField(list, 0)), "A Format statement must have at least one descriptor");
    EXPECT_EQ(MessageOf(InsertField(list, 1, "Q7")), "\"Q7\" is not a valid descriptor\n\nInsertion aborted");
    EXPECT_TRUE(ChangeFieldValue(list, 0, "12345678").Ok());  // shown as asterisks: accepted
    EXPECT_EQ(list.At(0).Sample(), "*****");
    EXPECT_EQ(Texts(list), std::vector<std::string>{"I5"});

    // A value is refused only when the field's own text does not evaluate
    // (as while it is being typed); the old value stays.
    ASSERT_TRUE(ChangeFieldValue(list, 0, "7").Ok());
    TypeIntoField(list, 0, ROW_TEXT, "I5x");
    EXPECT_EQ(MessageOf(ChangeFieldValue(list, 0, "8")), "Illegal value for default value\nDefault value unchanged");
    EXPECT_EQ(list.At(0).Value(), "7");
    LeaveField(list, 0, ROW_TEXT);
    EXPECT_EQ(list.At(0).Sample(), "    7");

    EXPECT_TRUE(InsertField(list, 1, "A3").Ok());
    EXPECT_TRUE(RemoveField(list, 0).Ok());
    EXPECT_EQ(Texts(list), std::vector<std::string>{"A3"});
    EXPECT_TRUE(IsFieldIndex(list, 0));
    EXPECT_FALSE(IsFieldIndex(list, 1));
    EXPECT_FALSE(IsFieldIndex(list, -1));
    EXPECT_TRUE(IsInsertionIndex(list, 1));
    EXPECT_FALSE(IsInsertionIndex(list, 2));
}

TEST(LeaveField, ASampleThatDerivesNoDescriptorIsTakenBack)
{
    // A sample wider than any descriptor of the strict table (I1000) or one
    // that derives a text that cannot print its own sample is refused as it
    // is typed, and leaving the field takes it back; a valid sample typed
    // after a refused one gives the field its kind again.
    for (const auto& [pszText, strSample] :
         {std::pair<const char*, std::string>{"I5", std::string(1000, '7')}, {"E12.4", ".+"}}) {
        CDescriptorList list(StrictDescriptorTable());
        ASSERT_TRUE(Append(list, {pszText, "A3"}));
        EXPECT_EQ(TypeIntoField(list, 0, ROW_SAMPLE, strSample.c_str()), 0) << pszText;
        EXPECT_EQ(list.At(0).Text(), INVALID_MARKER);
        EXPECT_EQ(LeaveField(list, 0, ROW_SAMPLE), 1);
        EXPECT_EQ(list.At(0).Text(), pszText);
        EXPECT_FALSE(IsInvalidField(list.At(0)));
    }
    CDescriptorList wide;  // the default table knows widths above 999
    ASSERT_TRUE(Append(wide, {"I5"}));
    EXPECT_EQ(TypeIntoField(wide, 0, ROW_SAMPLE, std::string(1000, '7').c_str()), 1);
    EXPECT_EQ(wide.At(0).Text(), "I1000");
    CDescriptorList list(StrictDescriptorTable());
    ASSERT_TRUE(Append(list, {"I5"}));
    EXPECT_EQ(TypeIntoField(list, 0, ROW_SAMPLE, std::string(1000, '7').c_str()), 0);
    EXPECT_EQ(TypeIntoField(list, 0, ROW_SAMPLE, "-42"), 1);
    EXPECT_EQ(list.At(0).Text(), "I3");
    EXPECT_EQ(list.At(0).Kind(), KIND_IW);
    EXPECT_EQ(LeaveField(list, 0, ROW_SAMPLE), 0);
    EXPECT_EQ(list.At(0).Sample(), "123");
}

TEST(RevertToGood, ShowsWhatTheGoodTextPrints)
{
    // A sample typed into an X field derives 3X; taken back later (OK's
    // take-back, leaving an invalid text), the field shows three blanks,
    // not the letters typed.
    CDescriptorList list;
    ASSERT_TRUE(Append(list, {"I2", "X", "A1"}));
    ASSERT_EQ(TypeIntoField(list, 1, ROW_SAMPLE, "abc"), 1);
    EXPECT_EQ(list.At(1).Text(), "3X");
    list.RevertToGood(1);
    EXPECT_EQ(list.At(1).Text(), "3X");
    EXPECT_EQ(list.At(1).Sample(), "   ");
    EXPECT_EQ(list.At(2).GetColumn(), 5);
}
