// The status line's words for a field: what each family of descriptors
// means with its numbers and output columns, and for a text or sample that
// does not evaluate, why, as the parser, the renderer or the deriver said.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "field_commands.h"
#include "field_description.h"
#include "model_helpers.h"

namespace {

struct SDescribeCase {
    std::vector<std::string> texts;  // the list, every text valid
    int index;                       // the field described
    const char* typed;               // typed into it first, or nullptr
    FieldRow row;                    // the row typed into
    const char* expected;
};

void CheckCases(const std::vector<SDescribeCase>& cases)
{
    for (const SDescribeCase& c : cases) {
        CDescriptorList list(TestTable());
        ASSERT_TRUE(Append(list, c.texts)) << c.expected;
        if (c.typed != nullptr)
            TypeIntoField(list, c.index, c.row, c.typed);
        EXPECT_EQ(DescribeField(list, c.index), c.expected) << (c.typed != nullptr ? c.typed : c.texts[0]);
    }
}

}  // namespace

TEST(FieldDescription, EveryFamilyWithItsNumbersAndColumns)
{
    CheckCases({
        // The data descriptors: width, digits, exponent digits, repeats.
        {{"I5", "6X", "F11.3"}, 2, nullptr, ROW_TEXT, "F11.3: real, 11 wide, 3 decimals, columns 12 to 22"},
        {{"F7.1"}, 0, nullptr, ROW_TEXT, "F7.1: real, 7 wide, 1 decimal, columns 1 to 7"},
        {{"I5.3"}, 0, nullptr, ROW_TEXT, "I5.3: integer, 5 wide, at least 3 digits, columns 1 to 5"},
        {{"I"}, 0, nullptr, ROW_TEXT, "I: integer, default width, columns 1 to 7"},
        {{"I0"}, 0, nullptr, ROW_TEXT, "I0: integer, as wide as needed, columns 1 to 7"},
        {{"3I2"}, 0, nullptr, ROW_TEXT, "3I2: integer, 2 wide, 3 times, columns 1 to 6"},
        {{"B8.1"}, 0, nullptr, ROW_TEXT, "B8.1: binary integer, 8 wide, at least 1 digit, columns 1 to 8"},
        {{"o7"}, 0, nullptr, ROW_TEXT, "o7: octal integer, 7 wide, columns 1 to 7"},
        {{"Z1"}, 0, nullptr, ROW_TEXT, "Z1: hexadecimal integer, 1 wide, column 1"},
        {{"E12.4E3"},
         0,
         nullptr,
         ROW_TEXT,
         "E12.4E3: real with an exponent, 12 wide, 4 decimals, 3 exponent digits, columns 1 to 12"},
        {{"E12.3E0"},
         0,
         nullptr,
         ROW_TEXT,
         "E12.3E0: real with an exponent, 12 wide, 3 decimals, as few exponent digits as needed, columns 1 to 12"},
        {{"D15.8"}, 0, nullptr, ROW_TEXT, "D15.8: real with a D exponent, 15 wide, 8 decimals, columns 1 to 15"},
        {{"ES10.3E1"},
         0,
         nullptr,
         ROW_TEXT,
         "ES10.3E1: real, scientific notation, 10 wide, 3 decimals, 1 exponent digit, columns 1 to 10"},
        {{"2EN12.3"},
         0,
         nullptr,
         ROW_TEXT,
         "2EN12.3: real, engineering notation, 12 wide, 3 decimals, 2 times, columns 1 to 24"},
        {{"G0"}, 0, nullptr, ROW_TEXT, "G0: any type, general form, as wide as needed, columns 1 to 15"},
        {{"EX20.4"},
         0,
         nullptr,
         ROW_TEXT,
         "EX20.4: real, hexadecimal significand, 20 wide, 4 decimals, columns 1 to 20"},
        {{"L"}, 0, nullptr, ROW_TEXT, "L: logical, default width, columns 1 to 2"},
        {{"A"}, 0, nullptr, ROW_TEXT, "A: character, as wide as the item, columns 1 to 10"},
        {{"I2", "/", "A4"}, 2, nullptr, ROW_TEXT, "A4: character, 4 wide, record 2, columns 1 to 4"},
        // Constants: their characters counted, a long one cut, a control
        // character shown as the strip shows it.
        {{"'abc'"}, 0, nullptr, ROW_TEXT, "'abc': character constant, 3 characters, columns 1 to 3"},
        {{"1Hx"}, 0, nullptr, ROW_TEXT, "1Hx: Hollerith constant, 1 character, column 1"},
        {{"'abcdefghijklmnopqrstuvwxyz'"},
         0,
         nullptr,
         ROW_TEXT,
         "'abcdefghijklmnopqrstuvw...: character constant, 26 characters, columns 1 to 26"},
        {{"'a\x01z'"}, 0, nullptr, ROW_TEXT, "'a~z': character constant, 3 characters, columns 1 to 3"},
        // Positioning, which prints blanks or nothing.
        {{"I5", "X"}, 1, nullptr, ROW_TEXT, "X: skip 1 column, column 6"},
        {{"I5", "4X"}, 1, nullptr, ROW_TEXT, "4X: skip 4 columns, columns 6 to 9"},
        {{"I5", "T20"}, 1, nullptr, ROW_TEXT, "T20: go to column 20, columns 6 to 20"},
        {{"I5", "TL3"}, 1, nullptr, ROW_TEXT, "TL3: back 3 columns"},
        {{"I5", "TR1"}, 1, nullptr, ROW_TEXT, "TR1: forward 1 column, column 6"},
        // Record ends, modes and groups take no columns.
        {{"/"}, 0, nullptr, ROW_TEXT, "/: end of record"},
        {{"3/"}, 0, nullptr, ROW_TEXT, "3/: end of 3 records"},
        {{"$"}, 0, nullptr, ROW_TEXT, "$: end of record, no line end"},
        {{":"}, 0, nullptr, ROW_TEXT, ":: stop here when no items remain"},
        {{"-1P"}, 0, nullptr, ROW_TEXT, "-1P: scale factor -1"},
        {{"SP"}, 0, nullptr, ROW_TEXT, "SP: plus signs from here on"},
        {{"SS"}, 0, nullptr, ROW_TEXT, "SS: no plus signs from here on"},
        {{"BZ"}, 0, nullptr, ROW_TEXT, "BZ: blanks in input numbers read as zeros"},
        {{"RC"}, 0, nullptr, ROW_TEXT, "RC: round to nearest, ties away from zero, from here on"},
        {{"DC"}, 0, nullptr, ROW_TEXT, "DC: decimal comma from here on"},
        {{"2(", "I3", ")"}, 0, nullptr, ROW_TEXT, "2(: group repeated 2 times"},
        {{"3(", "I3", ")"}, 2, nullptr, ROW_TEXT, "): end of group, 2 more passes, columns 4 to 9"},
        {{"(", "2(", "I1", ")", ")"}, 4, nullptr, ROW_TEXT, "): end of group"},
        {{"*(", "I3", ")"}, 2, nullptr, ROW_TEXT, "): end of group"},
        {{"*(", "I3", ")"}, 0, nullptr, ROW_TEXT, "*(: group repeated while items remain"},
        {{"DT'list'(2,-1)"}, 0, nullptr, ROW_TEXT, "DT'list'(2,-1): user-defined output"},
        // A typed sample gives a new descriptor, described as such.
        {{"I2", "F7.3"}, 1, "12.5", ROW_SAMPLE, "F4.1: real, 4 wide, 1 decimal, columns 3 to 6"},
    });
}

TEST(FieldDescription, RefusalsSayWhyInTheRefusingCodesWords)
{
    CheckCases({
        // The parser: letters no descriptor has, letters in a form their
        // descriptor is not written in, a repeat count where none may stand.
        {{"I5"}, 0, "K7", ROW_TEXT, "K7: no descriptor starts with K"},
        {{"I5"}, 0, "I5x", ROW_TEXT, "I5x: I is written I, Iw or Iw.m"},
        {{"I5"}, 0, "e5.2e", ROW_TEXT, "e5.2e: E is written E, Ew.d or Ew.dEe"},
        {{"I5"}, 0, "2SP", ROW_TEXT, "2SP: SP takes no repeat count"},
        {{"I5"}, 0, "2T5", ROW_TEXT, "2T5: T takes no repeat count"},
        {{"I5"}, 0, "0I5", ROW_TEXT, "0I5: a repeat count of 0 is not allowed"},
        {{"I5"}, 0, "2147483648I5", ROW_TEXT, "2147483648I5: a repeat count goes up to 2147483647"},
        {{"I5"}, 0, "2 I5", ROW_TEXT, "2 I5: only a group may follow a count and a blank"},
        {{"I5"}, 0, "'abc", ROW_TEXT, "'abc: the character constant has no closing quote"},
        {{"I5"}, 0, "5Habc", ROW_TEXT, "5Habc: the Hollerith constant has fewer characters than its count"},
        {{"I5"}, 0, "I5!", ROW_TEXT, "I5!: \"!\" cannot stand in a descriptor"},
        {{"I5"}, 0, "I\x01", ROW_TEXT, "I~: \"~\" cannot stand in a descriptor"},
        {{"I5"}, 0, "'a\nb'", ROW_TEXT, "'a~b': a line end cannot stand in a character constant"},
        {{"I5"}, 0, "3Ha\nb", ROW_TEXT, "3Ha~b: a line end cannot stand in a character constant"},
        {{"I5"}, 0, "7", ROW_TEXT, "7: not a descriptor"},
        {{"I5"}, 0, "", ROW_TEXT, "nothing typed"},
        // The renderer: numbers no field can have.
        {{"I5"}, 0, "I5.6", ROW_TEXT, "I5.6: 6 digits do not fit in width 5"},
        {{"I5"}, 0, "Z2.3", ROW_TEXT, "Z2.3: 3 digits do not fit in width 2"},
        {{"I5"}, 0, "G5", ROW_TEXT, "G5: G with a width alone is only G0"},
        {{"I5"}, 0, "I2147483648", ROW_TEXT, "I2147483648: 2147483648 is above the largest allowed, 2147483647"},
        // The deriver: a sample the field's kind does not print.
        {{"F7.3"}, 0, "12a", ROW_SAMPLE, "\"12a\": no descriptor like F7.3 prints this sample"},
    });
}

TEST(FieldDescription, TheStrictTableRefusesAtItsOwnEdges)
{
    const CStrictTable strict;
    CheckCases({
        {{"I999"}, 0, nullptr, ROW_TEXT, "I999: integer, 999 wide, columns 1 to 999"},
        {{"I5"}, 0, "I1000", ROW_TEXT, "I1000: 1000 is above the largest allowed, 999"},
        {{"99I1"}, 0, nullptr, ROW_TEXT, "99I1: integer, 1 wide, 99 times, columns 1 to 99"},
        {{"I5"}, 0, "100I1", ROW_TEXT, "100I1: a repeat count goes up to 99"},
        {{"I5"}, 0, "F", ROW_TEXT, "F: F is written Fw.d"},
        {{"I5"}, 0, "F0.3", ROW_TEXT, "F0.3: a width of 0 is not allowed here"},
        {{"I5"}, 0, "$", ROW_TEXT, "$: not a descriptor"},
        {{"I5"}, 0, "E10.3E0", ROW_TEXT, "E10.3E0: the exponent needs at least one digit"},
        {{"I5"}, 0, "G10.3E0", ROW_TEXT, "G10.3E0: the exponent needs at least one digit"},
    });
}

// Leaving a field takes an invalid edit back; the line then says so, and the
// field is described as it is again.
TEST(FieldDescription, ATakenBackEditIsNamedWithTheTextItWentBackTo)
{
    CDescriptorList list(TestTable());
    ASSERT_TRUE(Append(list, {"I5", "F7.2"}));
    TypeIntoField(list, 0, ROW_TEXT, "I5x");
    const std::string strTyped = list.At(0).Text();
    EXPECT_EQ(DescribeField(list, 0), "I5x: I is written I, Iw or Iw.m");
    ASSERT_EQ(LeaveField(list, 0, ROW_TEXT), 1);
    EXPECT_EQ(TakenBackText(list.At(0).Text(), strTyped), "I5: \"I5x\" was taken back");
    EXPECT_EQ(DescribeField(list, 0), "I5: integer, 5 wide, columns 1 to 5");
    // A valid edit stays, and says nothing of a refusal.
    TypeIntoField(list, 1, ROW_TEXT, "F9.2");
    ASSERT_EQ(LeaveField(list, 1, ROW_TEXT), 0);
    EXPECT_EQ(DescribeField(list, 1), "F9.2: real, 9 wide, 2 decimals, columns 6 to 14");
}
