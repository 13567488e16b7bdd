// Recognition: lexing descriptor texts into tokens, classifying them against
// the default and the strict table, and reading numbers.
#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <set>

#include "char_class.h"
#include "descriptor.h"
#include "descriptor_parser.h"
#include "descriptor_table.h"
#include "format_scanner.h"
#include "model_helpers.h"

namespace {

// The scanner's tokens of a text, layout left out, each as "kind:text"
// (kind letters: L letters, N number, S sign, . period, C constant,
// H Hollerith, P other punctuation, ( ) , / \ : themselves, O anything else,
// ! a comment; a constant or Hollerith constant that the text ends inside
// is marked with a trailing "~").
std::string TokensOf(const char* text)
{
    static const std::map<FormatTokenKind, char> kLetters = {
        {TOKEN_NUMBER, 'N'},     {TOKEN_SIGN, 'S'},  {TOKEN_LETTERS, 'L'}, {TOKEN_PERIOD, '.'}, {TOKEN_CONSTANT, 'C'},
        {TOKEN_HOLLERITH, 'H'},  {TOKEN_COMMA, ','}, {TOKEN_OPEN, '('},    {TOKEN_CLOSE, ')'},  {TOKEN_SLASH, '/'},
        {TOKEN_BACKSLASH, '\\'}, {TOKEN_COLON, ':'}, {TOKEN_PUNCT, 'P'},   {TOKEN_OTHER, 'O'},  {TOKEN_COMMENT, '!'}};
    CFormatScanner scanner(text);
    std::string out;
    for (SFormatToken t = scanner.NextToken(); t.kind != TOKEN_END; t = scanner.NextToken()) {
        if (t.kind == TOKEN_BLANK || t.kind == TOKEN_LINE_END)
            continue;
        out += std::string(out.empty() ? "" : " ") + kLetters.at(t.kind) + ":" + std::string(scanner.TextOf(t)) +
               (t.bOpen ? "~" : "");
    }
    return out;
}

struct SScanCase {
    const char* text;
    const char* tokens;
    bool readable;  // a descriptor may be made of them (whether one is, the table says)
};

void PrintTo(const SScanCase& c, std::ostream* os)
{
    *os << "'" << c.text << "'";
}

class ScanTable : public ::testing::TestWithParam<SScanCase> {};

// The tokens, layout included, cover the text from its first character to
// its last, each where the one before it ended.
std::string Retraced(std::string_view text, const SScanState& state = SScanState(), SScanState* pEnd = nullptr)
{
    CFormatScanner scanner(text, CFormatScanner::MODE_LIST, state);
    std::string out;
    std::size_t nAt = 0;
    for (SFormatToken t = scanner.NextToken(); t.kind != TOKEN_END; t = scanner.NextToken()) {
        if (t.nOffset != nAt || t.nLength == 0)
            return "gap at " + std::to_string(nAt);
        out += scanner.TextOf(t);
        nAt = t.End();
    }
    if (pEnd != nullptr)
        *pEnd = scanner.State();
    return out;
}

TEST_P(ScanTable, CutsTheTextIntoTokensWithTheirPositions)
{
    const SScanCase& c = GetParam();
    EXPECT_EQ(TokensOf(c.text), c.tokens) << c.text;
    EXPECT_EQ(Retraced(c.text), c.text);
    // Read in two pieces, the state of the first carried into the second,
    // a text reads as it does whole: a constant or Hollerith constant that
    // the first piece leaves open goes on in the second.
    const std::string strText = c.text;
    SScanState whole;
    Retraced(strText, SScanState(), &whole);
    for (std::size_t nCut = 0; nCut <= strText.size(); ++nCut) {
        SScanState middle, end;
        const std::string strFirst = Retraced(std::string_view(strText).substr(0, nCut), SScanState(), &middle);
        const std::string strSecond = Retraced(std::string_view(strText).substr(nCut), middle, &end);
        EXPECT_EQ(strFirst + strSecond, strText) << c.text << " cut at " << nCut;
        if (!IsDigit(strText[nCut > 0 ? nCut - 1 : 0]) && !IsLetter(strText[nCut > 0 ? nCut - 1 : 0])) {
            EXPECT_EQ(end.chQuote, whole.chQuote) << c.text << " cut at " << nCut;
            EXPECT_EQ(end.nHollerithLeft, whole.nHollerithLeft) << c.text << " cut at " << nCut;
        }
    }
    // Whatever a text holds, an unreadable one is no descriptor.
    if (!c.readable) {
        EXPECT_EQ(ClassifyText(c.text, DefaultDescriptorTable()), KIND_NONE) << c.text;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ScanTable,
    ::testing::Values(SScanCase{"F7.3", "L:F N:7 .:. N:3", true}, SScanCase{"3I5", "N:3 L:I N:5", true},
                      SScanCase{"E15.8E3", "L:E N:15 .:. N:8 L:E N:3", true}, SScanCase{"-2P", "S:- N:2 L:P", true},
                      SScanCase{"+1P", "S:+ N:1 L:P", true},
                      SScanCase{"2PF7.3", "N:2 L:P L:F N:7 .:. N:3", true},  // a P after a count ends a scale factor
                      SScanCase{"2(", "N:2 (:(", true}, SScanCase{"3Habc", "H:3Habc", true},
                      SScanCase{"5hh,i'j", "H:5hh,i'j", true},                         // any characters, case kept
                      SScanCase{"0H", "H:0H", true}, SScanCase{"2H", "H:2H~", false},  // two characters still owed
                      SScanCase{"100000Habc", "H:100000Habc~",
                                false},  // a count of six digits owes more than any text holds
                      SScanCase{"X3Habc", "L:X N:3 L:Habc", true},  // only a count that starts an item opens one
                      SScanCase{"'x='", "C:'x='", true}, SScanCase{"'it''s'", "C:'it''s'", true},
                      SScanCase{"'AB'X", "C:'AB' L:X", true},  // the constant ends at its closing quote
                      SScanCase{"'open", "C:'open~", false}, SScanCase{"F7.", "L:F N:7 .:.", true},
                      SScanCase{"  f 7 . 3  ", "L:f N:7 .:. N:3", true},
                      SScanCase{"THE", "L:THE", true},   // an H after letters is a letter
                      SScanCase{"H5", "L:H N:5", true},  // and so is one that starts the text
                      SScanCase{"(+", "(:( S:+", true}, SScanCase{"+", "S:+", true}, SScanCase{"", "", true},
                      SScanCase{"   ", "", true}, SScanCase{"I5\x01", "L:I N:5 O:\x01", false},  // a control character
                      SScanCase{"I5\r", "L:I N:5 O:\r", false},            // a carriage return is no blank
                      SScanCase{"A\xc3\xa9", "L:A O:\xc3 O:\xa9", false},  // bytes above the ASCII range
                      SScanCase{"\"a\"\"b\"", "C:\"a\"\"b\"", true},       // a double-quoted constant
                      SScanCase{"\"a'b\"", "C:\"a'b\"", true}, SScanCase{"'a\"b'", "C:'a\"b'", true},
                      SScanCase{"\"open", "C:\"open~", false}, SScanCase{"* (", "P:* (:(", true},
                      SScanCase{"I5 ! note", "L:I N:5 !:! note", false},  // a comment runs to the line end
                      SScanCase{"DT'x'( 1, -2 )", "L:DT C:'x' (:( N:1 ,:, S:- N:2 ):)", true},
                      SScanCase{"DT(x)", "L:DT (:( L:x ):)", true}));

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
    hasRepeat = upperCase = -7;
    bool bRepeat = false, bUpper = false;
    const int nKind = ClassifyText(text, TestTable(), &bRepeat, &bUpper);
    if (nKind != KIND_NONE) {
        hasRepeat = bRepeat ? 1 : 0;
        upperCase = bUpper ? 1 : 0;
    }
    return nKind;
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
    ::testing::Values(
        SClassifyCase{"'abc'", KIND_STRING, 0, 1}, SClassifyCase{"3Habc", KIND_HOLLERITH, 0, 1},
        SClassifyCase{"3habc", KIND_HOLLERITH, 0, 0}, SClassifyCase{"T10", KIND_T, 0, 1},
        SClassifyCase{"TL5", KIND_TL, 0, 1}, SClassifyCase{"tr5", KIND_TR, 0, 0},
        SClassifyCase{"TLR5", KIND_NONE, 0, 0}, SClassifyCase{"2X", KIND_NX, 0, 1}, SClassifyCase{"X", KIND_X, 0, 1},
        SClassifyCase{"2A", KIND_A, 1, 1}, SClassifyCase{"2A10", KIND_AW, 1, 1}, SClassifyCase{"I", KIND_I, 0, 1},
        SClassifyCase{"3I", KIND_I, 1, 1}, SClassifyCase{"I5.3", KIND_IWM, 0, 1}, SClassifyCase{"f7.3", KIND_FWD, 0, 0},
        SClassifyCase{"F7.3", KIND_FWD, 0, 1}, SClassifyCase{"3f7.3", KIND_FWD, 1, 0},
        SClassifyCase{"D15.8", KIND_DWD, 0, 1}, SClassifyCase{"E15.8E3", KIND_EWDE, 0, 1},
        SClassifyCase{"G12.4E2", KIND_GWDE, 0, 1}, SClassifyCase{"en12.3", KIND_ENWD, 0, 0},
        SClassifyCase{"ES12.3E2", KIND_ESWDE, 0, 1}, SClassifyCase{"ES", KIND_ES, 0, 1},
        SClassifyCase{"L2", KIND_LW, 0, 1}, SClassifyCase{"B8.8", KIND_BWM, 0, 1}, SClassifyCase{"O6", KIND_OW, 0, 1},
        SClassifyCase{"z", KIND_Z, 0, 0}, SClassifyCase{"(", KIND_OPEN, 0, 0}, SClassifyCase{"2(", KIND_OPEN, 1, 0},
        SClassifyCase{")", KIND_CLOSE, 0, 0}, SClassifyCase{"2)", KIND_NONE, 0, 0}, SClassifyCase{"SS", KIND_SS, 0, 1},
        SClassifyCase{"sp", KIND_SP, 0, 0}, SClassifyCase{"S", KIND_S, 0, 1}, SClassifyCase{"2P", KIND_P, 0, 1},
        SClassifyCase{"-2P", KIND_P, 0, 1}, SClassifyCase{"BN", KIND_BN, 0, 1}, SClassifyCase{"BZ", KIND_BZ, 0, 1},
        SClassifyCase{"Q", KIND_Q, 0, 1}, SClassifyCase{"3/", KIND_NSLASH, 0, 0}, SClassifyCase{"/", KIND_SLASH, 0, 0},
        SClassifyCase{"\\", KIND_BACKSLASH, 0, 0}, SClassifyCase{"$", KIND_BACKSLASH, 0, 0},
        SClassifyCase{":", KIND_COLON, 0, 0}, SClassifyCase{"F7.3E2", KIND_NONE, 0, 0},
        SClassifyCase{"Q5", KIND_NONE, 0, 0}, SClassifyCase{"", KIND_NONE, 0, 0}, SClassifyCase{"2SP", KIND_NONE, 0, 0},
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
    const auto def = DefaultDescriptorTable().Rows();
    const auto strict = StrictDescriptorTable().Rows();
    EXPECT_EQ(def.size(), 71u);
    EXPECT_EQ(strict.size(), 45u);
    for (std::size_t i = 1; i < def.size(); ++i)
        EXPECT_LE(def[i - 1].nKind, def[i].nKind) << "row " << i + 1;
    // Every kind but "no descriptor" and the empty field has a row in the
    // default table.
    std::set<int> kinds;
    for (const auto& row : def)
        kinds.insert(row.nKind);
    EXPECT_EQ(kinds.size(), static_cast<std::size_t>(KIND_COUNT - 2));
    EXPECT_EQ(kinds.count(KIND_NONE), 0u);
    EXPECT_EQ(kinds.count(KIND_EMPTY), 0u);
    // The strict table has none of the later kinds.
    for (const auto& row : strict)
        EXPECT_FALSE(KindTraits(row.nKind).bLaterStandard) << row.nKind;
}

TEST(DescriptorTables, NoTextIsAcceptedByTwoRows)
{
    // 2X can only be the nX row, 2A only the A row: for each text, every
    // row is tried alone, and exactly one of them accepts it.
    for (const char* text : {"2X", "2A", "2P", "3/", "2(", "X", "A", "S", "SS", "T5", "TL5", "TR5", "-2P", "E12.4E3",
                             "3Habc", "'a'", "$", "*(", "DT'x'(1)"}) {
        int nMatches = 0;
        for (const SDescriptorRow& row : DefaultDescriptorTable().Rows()) {
            const CDescriptorTable alone(std::span<const SDescriptorRow>(&row, 1), true);
            nMatches += ClassifyText(text, alone) != KIND_NONE;
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

}  // namespace
