// Recognition: lexing descriptor texts into tokens, classifying them against
// the default and the strict table, and reading numbers.
#include <gtest/gtest.h>

#include <climits>
#include <set>

#include "descriptor.h"
#include "descriptor_table.h"
#include "char_class.h"
#include "model_helpers.h"

namespace {

struct SLexCase {
    const char* text;
    int result;
    const char* classes;
    std::vector<std::string> tokens;
};

void PrintTo(const SLexCase& c, std::ostream* os)
{
    *os << "'" << c.text << "'";
}

class LexTable : public ::testing::TestWithParam<SLexCase> {};

TEST_P(LexTable, CutsTheTextIntoClassedTokens)
{
    const SLexCase& c = GetParam();
    std::string classes = "stale";
    CStringArray tokens = {"stale"};
    ASSERT_EQ(CDescriptor::Lex(c.text, classes, tokens), c.result) << c.text;
    if (c.result) {
        EXPECT_EQ(classes, c.classes) << c.text;
        EXPECT_EQ(tokens, c.tokens) << c.text;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LexTable,
    ::testing::Values(
        SLexCase{"F7.3", 1, "TW.W", {"F", "7", ".", "3"}},
        SLexCase{"3I5", 1, "WTW", {"3", "I", "5"}},
        SLexCase{"E15.8E3", 1, "TW.WTW", {"E", "15", ".", "8", "E", "3"}},
        SLexCase{"-2P", 1, "ST", {"-2", "P"}},
        SLexCase{"+1P", 1, "ST", {"+1", "P"}},
        SLexCase{"2(", 1, "WP", {"2", "("}},
        SLexCase{"3Habc", 1, "WTT", {"3", "H", "abc"}},
        SLexCase{"5hh,i'j", 1, "WTT", {"5", "h", "h,i'j"}},  // any characters, case kept
        SLexCase{"0H", 1, "WTT", {"0", "H", ""}},
        SLexCase{"2H", 0, "", {}},                         // two characters still owed
        SLexCase{"'x='", 1, "Q", {"'x='"}},
        SLexCase{"'it''s'", 1, "Q", {"'it''s'"}},
        SLexCase{"'AB'X", 1, "Q", {"'AB'"}},                // one character after it is passed over
        SLexCase{"'AB'XY", 1, "QT", {"'AB'", "Y"}},
        SLexCase{"'open", 0, "", {}},
        SLexCase{"F7.", 1, "TW.", {"F", "7", "."}},
        SLexCase{"  f 7 . 3  ", 1, "TW.W", {"f", "7", ".", "3"}},
        SLexCase{"THE", 1, "T", {"THE"}},                 // an H after letters is a letter
        SLexCase{"H5", 1, "TW", {"H", "5"}},              // and so is one that starts the text
        SLexCase{"(+", 1, "P", {"(+"}},                   // punctuation runs take signs
        SLexCase{"+", 0, "", {}},
        SLexCase{"", 1, "", {}},
        SLexCase{"   ", 1, "", {}},
        SLexCase{"I5\x01", 0, "", {}},                    // a control character
        SLexCase{"A\xc3\xa9", 0, "", {}},                // a byte above the ASCII range
        SLexCase{"\"a\"\"b\"", 1, "Q", {"\"a\"\"b\""}},   // a double-quoted constant
        SLexCase{"\"a'b\"", 1, "Q", {"\"a'b\""}},
        SLexCase{"'a\"b'", 1, "Q", {"'a\"b'"}},
        SLexCase{"\"open", 0, "", {}},
        SLexCase{"* (", 1, "P", {"*("}},                   // blanks inside punctuation are layout
        SLexCase{"DT'x'( 1, -2 )", 1, "TQV", {"DT", "'x'", "(1,-2)"}},
        SLexCase{"DT(3)", 1, "TV", {"DT", "(3)"}},
        SLexCase{"DT(x)", 1, "TPTP", {"DT", "(", "x", ")"}},  // no value list
        SLexCase{"2(", 1, "WP", {"2", "("}}));

TEST(Lex, AHollerithCountOfSixDigitsOwesMoreThanAnyTextHolds)
{
    std::string classes;
    CStringArray tokens;
    EXPECT_EQ(CDescriptor::Lex("100000Habc", classes, tokens), 0);
}

struct SClassifyCase {
    const char* text;
    int kind;
    int hasRepeat;
    int upperCase;
};

void PrintTo(const SClassifyCase& c, std::ostream* os)
{
    *os << "'" << c.text << "'";
}

int ClassifyText(const char* text, int& hasRepeat, int& upperCase)
{
    std::string classes;
    CStringArray tokens;
    if (!CDescriptor::Lex(text, classes, tokens))
        return -1;
    hasRepeat = upperCase = -7;
    return CDescriptor::Classify(classes.c_str(), tokens, hasRepeat, upperCase);
}

class ClassifyDefault : public ::testing::TestWithParam<SClassifyCase> {};

TEST_P(ClassifyDefault, FindsKindRepeatAndCase)
{
    const SClassifyCase& c = GetParam();
    int hasRepeat = 0, upperCase = 0;
    ASSERT_EQ(ClassifyText(c.text, hasRepeat, upperCase), c.kind) << c.text;
    if (c.kind != KIND_NONE) {
        EXPECT_EQ(hasRepeat, c.hasRepeat) << c.text;
        EXPECT_EQ(upperCase, c.upperCase) << c.text;
    } else {
        EXPECT_EQ(hasRepeat, -7) << "left untouched on no match";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ClassifyDefault,
    ::testing::Values(SClassifyCase{"'abc'", KIND_STRING, 0, 1}, SClassifyCase{"3Habc", KIND_HOLLERITH, 0, 1},
                      SClassifyCase{"3habc", KIND_HOLLERITH, 0, 0}, SClassifyCase{"T10", KIND_T, 0, 1},
                      SClassifyCase{"TL5", KIND_TL, 0, 1}, SClassifyCase{"tr5", KIND_TR, 0, 0},
                      SClassifyCase{"TLR5", KIND_NONE, 0, 0}, SClassifyCase{"2X", KIND_NX, 0, 1},
                      SClassifyCase{"X", KIND_X, 0, 1}, SClassifyCase{"2A", KIND_A, 1, 1},
                      SClassifyCase{"2A10", KIND_AW, 1, 1}, SClassifyCase{"I", KIND_I, 0, 1},
                      SClassifyCase{"3I", KIND_I, 1, 1}, SClassifyCase{"I5.3", KIND_IWM, 0, 1},
                      SClassifyCase{"f7.3", KIND_FWD, 0, 0}, SClassifyCase{"F7.3", KIND_FWD, 0, 1},
                      SClassifyCase{"3f7.3", KIND_FWD, 1, 0}, SClassifyCase{"D15.8", KIND_DWD, 0, 1},
                      SClassifyCase{"E15.8E3", KIND_EWDE, 0, 1}, SClassifyCase{"G12.4E2", KIND_GWDE, 0, 1},
                      SClassifyCase{"en12.3", KIND_ENWD, 0, 0}, SClassifyCase{"ES12.3E2", KIND_ESWDE, 0, 1},
                      SClassifyCase{"ES", KIND_ES, 0, 1}, SClassifyCase{"L2", KIND_LW, 0, 1},
                      SClassifyCase{"B8.8", KIND_BWM, 0, 1}, SClassifyCase{"O6", KIND_OW, 0, 1},
                      SClassifyCase{"z", KIND_Z, 0, 0}, SClassifyCase{"(", KIND_OPEN, 0, 0},
                      SClassifyCase{"2(", KIND_OPEN, 1, 0}, SClassifyCase{")", KIND_CLOSE, 0, 0},
                      SClassifyCase{"2)", KIND_NONE, 0, 0}, SClassifyCase{"SS", KIND_SS, 0, 1},
                      SClassifyCase{"sp", KIND_SP, 0, 0}, SClassifyCase{"S", KIND_S, 0, 1},
                      SClassifyCase{"2P", KIND_P, 0, 1}, SClassifyCase{"-2P", KIND_P, 0, 1},
                      SClassifyCase{"BN", KIND_BN, 0, 1}, SClassifyCase{"BZ", KIND_BZ, 0, 1},
                      SClassifyCase{"Q", KIND_Q, 0, 1}, SClassifyCase{"3/", KIND_NSLASH, 0, 0},
                      SClassifyCase{"/", KIND_SLASH, 0, 0}, SClassifyCase{"\\", KIND_BACKSLASH, 0, 0},
                      SClassifyCase{"$", KIND_BACKSLASH, 0, 0}, SClassifyCase{":", KIND_COLON, 0, 0},
                      SClassifyCase{"F7.3E2", KIND_NONE, 0, 0}, SClassifyCase{"Q5", KIND_NONE, 0, 0},
                      SClassifyCase{"", KIND_NONE, 0, 0}, SClassifyCase{"2SP", KIND_NONE, 0, 0},
                      SClassifyCase{"2X5", KIND_NONE, 0, 0}));

TEST(ClassifyStrict, LacksTheWidthlessFormsAndDollar)
{
    CStrictTable strict;
    int hasRepeat = 0, upperCase = 0;
    for (const char* text : {"I", "F", "2F", "D", "E", "G", "EN", "ES", "L", "$"})
        EXPECT_EQ(ClassifyText(text, hasRepeat, upperCase), KIND_NONE) << text;
    EXPECT_EQ(ClassifyText("F7.3", hasRepeat, upperCase), KIND_FWD);
    EXPECT_EQ(ClassifyText("\\", hasRepeat, upperCase), KIND_BACKSLASH);
    EXPECT_EQ(ClassifyText("A", hasRepeat, upperCase), KIND_A);  // A, B, O and Z keep their width-less forms
    EXPECT_EQ(ClassifyText("B", hasRepeat, upperCase), KIND_B);
}

TEST(DescriptorTables, HaveTheirRowsInKindOrder)
{
    const auto def = DefaultDescriptorTable();
    const auto strict = StrictDescriptorTable();
    EXPECT_EQ(def.size(), 71u);
    EXPECT_EQ(strict.size(), 45u);
    for (std::size_t i = 1; i < def.size(); ++i)
        EXPECT_LE(def[i - 1].nKind, def[i].nKind) << "row " << i + 1;
    // Every kind 1..61 has a row in the default table.
    std::set<int> kinds;
    for (const auto& row : def)
        kinds.insert(row.nKind);
    EXPECT_EQ(kinds.size(), 61u);
    EXPECT_EQ(*kinds.begin(), 1);
    EXPECT_EQ(*kinds.rbegin(), 61);
    // The strict table has none of the later kinds.
    for (const auto& row : strict)
        EXPECT_LE(row.nKind, KIND_COLON);
}

TEST(DescriptorTables, NoTextIsAcceptedByTwoRows)
{
    // 2X can only be row 6, 2A only row 8: for each row, build a text it
    // accepts and check that no earlier row takes it first.
    for (const char* text : {"2X", "2A", "2P", "3/", "2(", "X", "A", "S", "SS", "T5", "TL5", "TR5"}) {
        std::string classes;
        CStringArray tokens;
        ASSERT_TRUE(CDescriptor::Lex(text, classes, tokens));
        int nMatches = 0;
        for (const auto& row : DefaultDescriptorTable()) {
            const bool bPlain = classes == row.pszPattern &&
                                (!row.pszLetters || EqualsNoCase(tokens[row.nLettersIndex], row.pszLetters));
            const bool bRepeated = row.bRepeatAllowed && classes[0] == 'W' && classes.substr(1) == row.pszPattern &&
                                   (!row.pszLetters || EqualsNoCase(tokens[row.nLettersIndex + 1], row.pszLetters));
            nMatches += bPlain || bRepeated;
        }
        EXPECT_EQ(nMatches, 1) << text;
    }
}

TEST(CountValue, ReadsUpToFiveCharactersAndSaturatesAtSix)
{
    EXPECT_EQ(CountValue("15"), 15);
    EXPECT_EQ(CountValue("-2"), -2);
    EXPECT_EQ(CountValue("+7"), 7);
    EXPECT_EQ(CountValue("99999"), 99999);
    EXPECT_EQ(CountValue("00007"), 7);
    EXPECT_EQ(CountValue("100000"), INT_MAX);
    EXPECT_EQ(CountValue("000001"), INT_MAX);
    EXPECT_EQ(CountValue("-9999"), -9999);
    EXPECT_EQ(CountValue(" 12"), 12);
    EXPECT_EQ(CountValue("1-2"), 1);
    EXPECT_EQ(CountValue(""), 0);
    EXPECT_EQ(CountValue("x"), 0);
}

TEST(IsOctalDigit, AcceptsZeroToSeven)
{
    std::string octal;
    for (int c = 0; c < 256; ++c)
        if (IsOctalDigit(static_cast<char>(c)))
            octal += static_cast<char>(c);
    EXPECT_EQ(octal, "01234567");
}

}  // namespace
