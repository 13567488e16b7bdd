// quillmark-text run as a process: splitting, edits, both outputs, refused
// operations, usage errors, and arbitrary bytes as input.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <random>
#include <regex>
#include <sstream>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "process_runner.h"
#include "temp_dir.h"

namespace {

SProcessResult RunText(const std::vector<std::string>& args)
{
    return RunProcess(QUILLMARK_TEXT, args);
}

// The values of one member of every field object, in order.
std::vector<std::string> Member(const std::string& strJson, const std::string& strName)
{
    std::vector<std::string> values;
    const std::regex re("\"" + strName + "\": (\"((\\\\.|[^\"\\\\])*)\"|-?[0-9]+|true|false)");
    for (auto it = std::sregex_iterator(strJson.begin(), strJson.end(), re); it != std::sregex_iterator(); ++it)
        values.push_back((*it)[2].matched ? (*it)[2].str() : (*it)[1].str());
    return values;
}

using Strings = std::vector<std::string>;

// A message as standard error carries it: one line, its line ends blanks.
std::string OnStandardError(const std::string& strPlace, std::string strMessage)
{
    for (std::size_t n; (n = strMessage.find("\n\n")) != std::string::npos;)
        strMessage.erase(n, 1);
    std::replace(strMessage.begin(), strMessage.end(), '\n', ' ');
    return "quillmark: " + strPlace + strMessage + "\n";
}

TEST(ListText, SplitsAsTheEditorDoesAndShowsEveryField)
{
    const SProcessResult r = RunText({"--list", "(1PE12.4/2(I3,:,'a,b'))", "--json"});
    ASSERT_EQ(r.nExitStatus, 0) << r.strErr;
    EXPECT_EQ(Member(r.strOut, "text"), (Strings{"1P", "E12.4", "/", "2(", "I3", ":", "'a,b'", ")"}));
    EXPECT_EQ(Member(r.strOut, "sample"), (Strings{"", "123.1234E+12", "", "", "123", "", "a,b", "123a,b"}));
    EXPECT_EQ(Member(r.strOut, "kind"), (Strings{"45", "18", "50", "40", "11", "52", "1", "41"}));
    EXPECT_EQ(Member(r.strOut, "repeat"), (Strings{"1", "1", "1", "2", "1", "1", "1", "1"}));
    EXPECT_EQ(Member(r.strOut, "column"), (Strings{"0", "0", "12", "0", "0", "3", "3", "6"}));
    EXPECT_EQ(Member(r.strOut, "scale"), (Strings(8, "1")));
    EXPECT_NE(r.strOut.find("\"balanced\": true"), std::string::npos);
    EXPECT_NE(r.strOut.find("\"messages\": []"), std::string::npos);
    EXPECT_TRUE(r.strErr.empty()) << r.strErr;
}

TEST(ListText, PlainOutputPlacesTextsOverSamplesWithARuler)
{
    const SProcessResult r = RunText({"--list", "(I5, 2X, 'x=', SP, 2I3/F7.3)"});
    ASSERT_EQ(r.nExitStatus, 0) << r.strErr;
    EXPECT_EQ(r.strOut, "I5   2X  SP    /\n"
                        "       'x='\n"
                        "         2I3\n"
                        "12345  x=+12+12\n"
                        "....:....|....:\n"
                        "        10\n"
                        "\n"
                        "F7.3\n"
                        "+12.123\n"
                        "....:..\n"
                        "\n"
                        "field   col  text  sample\n"
                        "    0     1  I5    |12345|\n"
                        "    1     6  2X    |  |\n"
                        "    2     8  'x='  |x=|\n"
                        "    3    10  SP    ||\n"
                        "    4    10  2I3   |+12+12|\n"
                        "    5    16  /     ||\n"
                        "    6     1  F7.3  |+12.123|\n");
}

TEST(Edits, AreAppliedInOrderAsTheEditorAppliesThem)
{
    const SProcessResult r = RunText({"--list", "(I3, F7.3)", "--insert", "0:SP", "--sample", "1:  -42", "--value",
                                      "2:1.5", "--remove", "0", "--text", "1:F6.1", "--json"});
    ASSERT_EQ(r.nExitStatus, 0) << r.strErr;
    EXPECT_EQ(Member(r.strOut, "text"), (Strings{"I5", "F6.1"}));
    EXPECT_EQ(Member(r.strOut, "sample"), (Strings{"12345", "   1.5"}));
    EXPECT_EQ(Member(r.strOut, "value"), (Strings{"", "1.5"}));
    EXPECT_EQ(Member(r.strOut, "plus"), (Strings{"false", "false"}));
}

TEST(Edits, ATypedTextThatDoesNotEvaluateIsTakenBackUnlessLive)
{
    const SProcessResult left = RunText({"--list", "(I5, F7.3)", "--text", "0:Q5", "--json"});
    ASSERT_EQ(left.nExitStatus, 0);
    EXPECT_EQ(Member(left.strOut, "text"), (Strings{"I5", "F7.3"}));
    EXPECT_NE(left.strErr.find("does not evaluate"), std::string::npos);

    const SProcessResult live = RunText({"--list", "(I5, F7.3)", "--text", "0:Q5", "--live", "--json"});
    ASSERT_EQ(live.nExitStatus, 0);
    EXPECT_EQ(Member(live.strOut, "text"), (Strings{"Q5", "F7.3"}));
    EXPECT_EQ(Member(live.strOut, "sample"), (Strings{"??????", "123.123"}));

    const SProcessResult sample = RunText({"--list", "(F7.3)", "--sample", "0:125", "--live", "--json"});
    EXPECT_EQ(Member(sample.strOut, "text"), (Strings{"??????"}));
    EXPECT_EQ(Member(sample.strOut, "sample"), (Strings{"125"}));

    const SProcessResult plain = RunText({"--list", "(I5, F7.3)", "--text", "1:F7.", "--live"});
    EXPECT_NE(plain.strOut.find("\n     ^^^^^^  <- invalid\n"), std::string::npos) << plain.strOut;
}

TEST(Edits, ALiveSampleShowsTheDerivedTextBeforeItIsEvaluatedAgain)
{
    const SProcessResult live = RunText({"--list", "(3I5)", "--sample", "0:12", "--live", "--json"});
    EXPECT_EQ(Member(live.strOut, "text"), (Strings{"3I2"}));
    EXPECT_EQ(Member(live.strOut, "sample"), (Strings{"12"}));
    const SProcessResult left = RunText({"--list", "(3I5)", "--sample", "0:  -42", "--json"});
    EXPECT_EQ(Member(left.strOut, "sample"), (Strings{"12345"}));
    EXPECT_EQ(Member(left.strOut, "repeated_sample"), (Strings{"123451234512345"}));
}

TEST(Edits, AColonInsideTheTextBelongsToTheText)
{
    // Only the first colon ends the index, in either spelling of the option.
    struct SCase {
        Strings args;
        Strings texts;
        Strings samples;
        Strings values;
    };
    const SCase cases[] = {
        {{"--text", "0:'a:b'"}, {"'a:b'", "F7.3"}, {"a:b", "123.123"}, {"", ""}},
        {{"--text=1:':'"}, {"A5", "':'"}, {"abcde", ":"}, {"", ""}},
        {{"--text", "1::"}, {"A5", ":"}, {"abcde", ""}, {"", ""}},
        {{"--value", "0:a:b"}, {"A5", "F7.3"}, {"  a:b", "123.123"}, {"a:b", ""}},
        {{"--value=0:::"}, {"A5", "F7.3"}, {"   ::", "123.123"}, {"::", ""}},
        {{"--sample", "0:x:y", "--live"}, {"A3", "F7.3"}, {"x:y", "123.123"}, {"", ""}},
        {{"--insert", "1:'12:30'"}, {"A5", "'12:30'", "F7.3"}, {"abcde", "12:30", "123.123"}, {"", "", ""}},
    };
    for (const SCase& c : cases) {
        Strings args = {"--list", "(A5, F7.3)", "--json"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const SProcessResult r = RunText(args);
        ASSERT_EQ(r.nExitStatus, 0) << ::testing::PrintToString(c.args) << r.strErr;
        EXPECT_EQ(r.strErr, "") << ::testing::PrintToString(c.args);
        EXPECT_EQ(Member(r.strOut, "text"), c.texts) << ::testing::PrintToString(c.args);
        EXPECT_EQ(Member(r.strOut, "sample"), c.samples) << ::testing::PrintToString(c.args);
        EXPECT_EQ(Member(r.strOut, "value"), c.values) << ::testing::PrintToString(c.args);
    }
}

TEST(Edits, LiveKeepsOnlyTheLastTypedEditAsTyped)
{
    // Every typed edit before the last is left as the editor leaves a
    // field: one that does not evaluate is taken back, in the same field
    // or another, from its text or its sample.
    struct SCase {
        Strings edits;
        Strings texts;
        Strings samples;
        int nTakenBack;
    };
    const SCase cases[] = {
        {{"--text", "0:Q5", "--text", "1:F8.2"}, {"I5", "F8.2"}, {"12345", "12345.12"}, 1},
        {{"--text", "0:Q5", "--text", "1:F8."}, {"I5", "F8."}, {"12345", "??????"}, 1},
        {{"--text", "0:Q5", "--text", "0:I7"}, {"I7", "F7.3"}, {"1234567", "123.123"}, 1},
        {{"--sample", "1:abc", "--text", "0:I3"}, {"I3", "F7.3"}, {"123", "123.123"}, 1},
        {{"--text", "1:F7.", "--insert", "0:1X", "--text", "2:Q9"}, {"1X", "I5", "Q9"}, {" ", "12345", "??????"}, 1},
        {{"--text", "0:Q5", "--text", "1:Q6", "--text", "0:I2"}, {"I2", "F7.3"}, {"12", "123.123"}, 2},
    };
    for (const SCase& c : cases) {
        Strings args = {"--list", "(I5, F7.3)", "--live", "--json"};
        args.insert(args.end(), c.edits.begin(), c.edits.end());
        const SProcessResult r = RunText(args);
        ASSERT_EQ(r.nExitStatus, 0) << ::testing::PrintToString(c.edits) << r.strErr;
        EXPECT_EQ(Member(r.strOut, "text"), c.texts) << ::testing::PrintToString(c.edits);
        EXPECT_EQ(Member(r.strOut, "sample"), c.samples) << ::testing::PrintToString(c.edits);
        int nNotes = 0;
        for (std::size_t n = 0; (n = r.strErr.find("does not evaluate", n)) != std::string::npos; ++n)
            ++nNotes;
        EXPECT_EQ(nNotes, c.nTakenBack) << ::testing::PrintToString(c.edits) << r.strErr;
    }
}

struct SRefusal {
    Strings args;
    const char* message;
};

void PrintTo(const SRefusal& c, std::ostream* os)
{
    for (const std::string& a : c.args)
        *os << a << ' ';
}

class Refused : public ::testing::TestWithParam<SRefusal> {};

TEST_P(Refused, PrintsTheSystemsMessageChangesNothingAndExitsOne)
{
    Strings args = GetParam().args;
    args.push_back("--json");
    const SProcessResult r = RunText(args);
    EXPECT_EQ(r.nExitStatus, 1);
    EXPECT_EQ(r.strErr, OnStandardError("", GetParam().message));
    std::string strEscaped;
    for (char c : std::string(GetParam().message))
        strEscaped += c == '\n' ? std::string("\\n") : c == '"' ? std::string("\\\"") : std::string(1, c);
    EXPECT_NE(r.strOut.find("\"messages\": [\"" + strEscaped + "\"]"), std::string::npos) << r.strOut;
}

INSTANTIATE_TEST_SUITE_P(Operations, Refused,
                         ::testing::Values(SRefusal{{"--list", "(I5"}, "FORMAT parse failed in column 5"},
                                           SRefusal{{"--list", "(I5,Q7)"}, "FORMAT parse failed in column 7"},
                                           SRefusal{{"--list", "(F)", "--fps4"}, "FORMAT parse failed in column 3"},
                                           SRefusal{{"--list", "(I5)", "--insert", "1:F7."},
                                                    "\"F7.\" is not a valid descriptor\n\nInsertion aborted"},
                                           SRefusal{{"--list", "(I5)", "--remove", "0"},
                                                    "A Format statement must have at least one descriptor"},
                                           SRefusal{{"--list", "(1X, 2(I5))", "--remove", "2"},
                                                    "A group must hold at least one descriptor"},
                                           SRefusal{{"--list", "(1X, I5)", "--insert", "1:2(", "--insert", "2:)"},
                                                    "A group must hold at least one descriptor"}));

TEST(Accepted, ADescriptorTooNarrowForItsDigitsShowsAsterisksWithAValueOrWithout)
{
    // Typed into a field with a value, F3.3 is judged as it is alone: a
    // descriptor that prints asterisks, which a file can hold too.
    const SProcessResult r = RunText(
        {"--list", "(F7.3)", "--value", "0:0", "--text", "0:F3.3", "--value", "0:", "--json"});
    EXPECT_EQ(r.nExitStatus, 0) << r.strErr;
    EXPECT_EQ(Member(r.strOut, "text"), (Strings{"F3.3"}));
    EXPECT_EQ(Member(r.strOut, "sample"), (Strings{"***"}));
    EXPECT_EQ(RunText({"--list", "(F3.3)"}).nExitStatus, 0);
}

TEST(Refused, LaterEditsAreNotAppliedAndTheStateBeforeTheRefusalShows)
{
    const SProcessResult r = RunText(
        {"--list", "(I5)", "--insert", "1:A3", "--insert", "0:Q9", "--insert", "0:L2", "--json"});
    EXPECT_EQ(r.nExitStatus, 1);
    EXPECT_EQ(Member(r.strOut, "text"), (Strings{"I5", "A3"}));
}

TEST(Refused, AListThatDoesNotSplitShowsNoFields)
{
    const SProcessResult plain = RunText({"--list", "(I5,,A3)"});
    EXPECT_EQ(plain.nExitStatus, 1);
    EXPECT_EQ(plain.strOut, "");
    const SProcessResult json = RunText({"--list", "(I5,,A3)", "--json"});
    EXPECT_NE(json.strOut.find("{\"fields\": []"), std::string::npos) << json.strOut;
}

TEST(Usage, ErrorsExitTwoWithTheUsageText)
{
    for (const Strings& args :
         {Strings{}, Strings{"--json"}, Strings{"--list"}, Strings{"--list", "(I5)", "--bogus"},
          Strings{"--list", "(I5)", "--remove", "x"}, Strings{"--list", "(I5)", "--text", "0"},
          Strings{"--list", "(I5)", "--text", "3:I6"}, Strings{"--list", "(I5)", "--insert", "2:I6"},
          Strings{"--list", "(I5)", "--remove", "99999999999999999999"}, Strings{"--list", "(I5)", "--list", "(I6)"},
          Strings{"--json=yes", "--list", "(I5)"}}) {
        const SProcessResult r = RunText(args);
        EXPECT_EQ(r.nExitStatus, 2) << ::testing::PrintToString(args);
        EXPECT_NE(r.strErr.find("Usage: quillmark-text"), std::string::npos);
        EXPECT_EQ(r.strOut, "");
    }
    const SProcessResult help = RunText({"--help"});
    EXPECT_EQ(help.nExitStatus, 0);
    EXPECT_NE(help.strOut.find("--sample I:TEXT"), std::string::npos);
    const SProcessResult version = RunText({"--version"});
    EXPECT_EQ(version.nExitStatus, 0);
    // The project's version, and no toolkit's: the text front end links none.
    EXPECT_EQ(version.strOut, "quillmark-text " QUILLMARK_PROJECT_VERSION "\nno toolkit (text front end)\n");
}

// --exact: the samples are what gfortran's WRITE prints, the custom values
// as given and every other field's value the number its simplified sample
// shows (which a run without --exact reports), through the modes the list
// sets. The option is a flag: --exact=yes is a usage error.
TEST(Exact, SamplesAreTheLineGfortranWritesForTheSameValues)
{
    const std::string gfortran = FindOnPath("gfortran");
    if (gfortran.empty())
        GTEST_SKIP() << "gfortran is not installed";
    const std::string list = "(SP,2P,RU,F10.3,DC,E12.4E3,RN,G11.4,SS,I6.4,Z5,L3,A4,'|')";
    const Strings values{"3:-2.71828", "5:6.02214076e23", "12:abcdefg"};
    Strings args{"--list", list, "--json"};
    for (const std::string& v : values) {
        args.push_back("--value");
        args.push_back(v);
    }
    const SProcessResult simplified = RunText(args);
    ASSERT_EQ(simplified.nExitStatus, 0) << simplified.strErr;
    args.push_back("--exact");
    const SProcessResult exact = RunText(args);
    ASSERT_EQ(exact.nExitStatus, 0) << exact.strErr;
    EXPECT_EQ(Member(exact.strOut, "text"), Member(simplified.strOut, "text"));

    // The simplified samples of the fields without a custom value, as numbers.
    const Strings shown = Member(simplified.strOut, "sample");
    ASSERT_EQ(shown.size(), 14u);
    auto number = [](std::string s) {
        s.erase(std::remove(s.begin(), s.end(), ' '), s.end());
        std::replace(s.begin(), s.end(), ',', '.');
        return s;
    };
    const std::string program = "program exact_line\n"
                                "  write(*, '" +
                                list.substr(0, list.size() - 4) + "''|'')') -2.71828_8, 6.02214076e23_8, " +
                                number(shown[7]) + "_8, " + number(shown[9]) + "_8, int(z'" + number(shown[10]) +
                                "', 8), .true., 'abcdefg'\nend program\n";
    CTempDir dir;
    dir.Write("exact_line.f90", program);
    const SProcessResult build = RunProcess(
        gfortran, {"-ffree-line-length-none", "-o", dir.File("exact_line"), dir.File("exact_line.f90")});
    ASSERT_EQ(build.nExitStatus, 0) << build.strErr << program;
    const SProcessResult line = RunProcess(dir.File("exact_line"), {});
    ASSERT_EQ(line.nExitStatus, 0);
    std::string joined;
    for (const std::string& sample : Member(exact.strOut, "sample"))
        joined += sample;
    EXPECT_EQ(joined + "\n", line.strOut) << program;
    EXPECT_NE(joined, [&shown] {
        std::string s;
        for (const std::string& sample : shown)
            s += sample;
        return s;
    }());

    const SProcessResult withArgument = RunText({"--list", "(I5)", "--exact=yes"});
    EXPECT_EQ(withArgument.nExitStatus, 2);
}

TEST(Json, EscapesEveryByteSoThatTheStringsComeBackExactly)
{
    const SProcessResult r = RunText({"--list", "('say \"hi\"\\', 3H\x01\xe9\t, A3)", "--value", "2:\x7f\"", "--json"});
    ASSERT_EQ(r.nExitStatus, 0) << r.strErr;
    EXPECT_EQ(Member(r.strOut, "text"), (Strings{"'say \\\"hi\\\"\\\\'", "3H\\u0001\\u00e9\\t", "A3"}));
    EXPECT_EQ(Member(r.strOut, "sample"), (Strings{"say \\\"hi\\\"\\\\", "\\u0001\\u00e9\\t", " \\u007f\\\""}));
}

TEST(AnyBytes, EndInAResultOrAMessageNeverACrash)
{
    std::mt19937 rng(20261208);
    const std::string strAlphabet = "()'\",/\\:!$ -+.0123456789IFEDGLAXTPSHhQBOZNe\n\t\x01\x7f\x80\xff";
    auto randomText = [&](std::size_t nMax) {
        std::string s;
        const std::size_t n = std::uniform_int_distribution<std::size_t>(0, nMax)(rng);
        for (std::size_t i = 0; i < n; ++i)
            s += strAlphabet[std::uniform_int_distribution<std::size_t>(0, strAlphabet.size() - 1)(rng)];
        return s;
    };
    for (int round = 0; round < 150; ++round) {
        const std::string strList = round % 3 == 0 ? "(" + randomText(30) + ")" : "(I5, 2(F7.3, A), SP, T10)";
        Strings args = {"--list", strList};
        if (round % 2)
            args.push_back("--json");
        for (int e = 0; e < 3; ++e) {
            const char* const kOptions[] = {"--text", "--sample", "--value", "--insert"};
            args.push_back(kOptions[std::uniform_int_distribution<int>(0, 3)(rng)]);
            args.push_back(std::to_string(std::uniform_int_distribution<int>(0, 3)(rng)) + ":" + randomText(12));
        }
        const SProcessResult r = RunText(args);
        EXPECT_EQ(r.nSignal, 0) << ::testing::PrintToString(args);
        EXPECT_TRUE(r.nExitStatus == 0 || r.nExitStatus == 1 || r.nExitStatus == 2)
            << ::testing::PrintToString(args) << " exited " << r.nExitStatus << "\n"
            << r.strErr;
        if (r.nExitStatus != 0) {
            EXPECT_FALSE(r.strErr.empty()) << ::testing::PrintToString(args);
        }
    }
}

}  // namespace

// --- a statement in a source file --------------------------------------------

namespace {

class FileMode : public ::testing::Test {
protected:
    std::string Write(const std::string& strName, const std::string& strContents)
    {
        m_strFile = m_dir.Write(strName, strContents);
        return m_strFile;
    }
    std::string Contents() const { return ReadWholeFile(m_strFile); }

    CTempDir m_dir;
    std::string m_strFile;
};

TEST_F(FileMode, ShowsTheStatementAndItsPlaceInTheFile)
{
    Write("p.for", "      PROGRAM P\n  100 FORMAT(I5,\nC     note\n     +  F7.3)\n      END\n");
    const SProcessResult r = RunText({m_strFile, "2", "7", "--json"});
    ASSERT_EQ(r.nExitStatus, 0) << r.strErr;
    EXPECT_EQ(Member(r.strOut, "text"), (Strings{"I5", "F7.3"}));
    EXPECT_NE(r.strOut.find("\"statement\": {\"file\": \"" + m_strFile +
                            "\", \"first_line\": 2, \"lines\": [2, 4], \"field_lines\": [2, 4], \"head\": \"  100 "
                            "FORMAT\", \"tail\": \"\\n\", "
                            "\"paren_blanks\": 0, \"fixed_form\": true, \"delimiter\": \"f\", \"label\": \"100\", "
                            "\"new\": false}"),
              std::string::npos)
        << r.strOut;
}

// A group opener at a line end shows as "2(": the line end after it is the
// file's, not the field's.
TEST_F(FileMode, AGroupOpenerAtALineEndShowsNoLineEnd)
{
    Write("g.f", "      PROGRAM P\n  100 FORMAT(E12.3E1, 2( \n     &I5))\n      END\n");
    const SProcessResult r = RunText({m_strFile, "2", "1", "--json"});
    ASSERT_EQ(r.nExitStatus, 0) << r.strErr;
    EXPECT_EQ(Member(r.strOut, "text"), (Strings{"E12.3E1", "2(", "I5", ")"}));
}

TEST_F(FileMode, WritesTheEditedStatementBack)
{
    Write("w.for", "      WRITE (6, '(1X, I5)') N\n      END\n");
    const SProcessResult r = RunText({m_strFile, "1", "17", "--text", "1:I8", "--insert", "1:'x='", "--write"});
    ASSERT_EQ(r.nExitStatus, 0) << r.strErr;
    EXPECT_EQ(Contents(), "      WRITE (6, '(1X, ''x='', I8)') N\n      END\n");
    EXPECT_EQ(m_dir.Listing(), "w.for ");
}

// --keep-layout: the retyped field alone changes, in its place; a statement
// that comes out as it was is not written at all (its time stays); the
// option goes with --write only and takes no argument.
TEST_F(FileMode, KeepLayoutChangesOnlyTheEditedFieldAndWritesNothingUnchanged)
{
    const std::string strBefore = "      PROGRAM P\n  100 FORMAT(1X,I6,4X, ! widths\nC     note\n"
                                  "     $       E13.5)\n      END\n";
    Write("k.for", strBefore);
    const SProcessResult edited = RunText({m_strFile, "2", "1", "--text", "1:I8", "--write", "--keep-layout"});
    ASSERT_EQ(edited.nExitStatus, 0) << edited.strErr;
    EXPECT_EQ(Contents(), "      PROGRAM P\n  100 FORMAT(1X,I8,4X, ! widths\nC     note\n"
                          "     $       E13.5)\n      END\n");

    Write("k.for", strBefore);
    const std::filesystem::file_time_type old = std::filesystem::file_time_type::clock::now() - std::chrono::hours(48);
    std::filesystem::last_write_time(m_strFile, old);
    for (const Strings& edits : {Strings{}, Strings{"--text", "1:I7", "--text", "1:I6"}}) {
        Strings args = {m_strFile, "2", "1", "--write", "--keep-layout"};
        args.insert(args.end(), edits.begin(), edits.end());
        const SProcessResult unchanged = RunText(args);
        EXPECT_EQ(unchanged.nExitStatus, 0) << unchanged.strErr;
        EXPECT_EQ(Contents(), strBefore);
        EXPECT_EQ(std::filesystem::last_write_time(m_strFile), old);
    }
    // Without the option the statement is rebuilt and written.
    ASSERT_EQ(RunText({m_strFile, "2", "1", "--write"}).nExitStatus, 0);
    EXPECT_NE(std::filesystem::last_write_time(m_strFile), old);

    EXPECT_EQ(RunText({m_strFile, "2", "1", "--keep-layout"}).nExitStatus, 2);
    EXPECT_EQ(RunText({m_strFile, "2", "1", "--write", "--keep-layout=yes"}).nExitStatus, 2);
}

TEST_F(FileMode, ABlankLineStartsANewStatementWithALabelOfItsOwn)
{
    // The first multiple of 10 from 100 that no statement uses; the source
    // form from the suffix, or from the option that overrides it.
    struct SCase {
        const char* pszName;
        std::string strContents;
        Strings options;
        std::string strWritten;
    };
    const SCase cases[] = {
        {"n.f90", "x = 1\n\ny = 2\n", {}, "x = 1\n100 FORMAT(I5)\ny = 2\n"},
        {"n.F08", "100 x = 1\n\n 110 y = 2\n", {}, "100 x = 1\n120 FORMAT(I5)\n 110 y = 2\n"},
        {"n.for", "  100 X = 1\n\n      END\n", {}, "  100 X = 1\n  110 FORMAT(I5)\n      END\n"},
        {"n.F", "100 x = 1\n\nend\n", {"--free-form"}, "100 x = 1\n110 FORMAT(I5)\nend\n"},
        {"n.f90", "  100 X = 1\n\n      END\n", {"--FIXED-FORM"}, "  100 X = 1\n  110 FORMAT(I5)\n      END\n"},
    };
    for (const SCase& c : cases) {
        Write(c.pszName, c.strContents);
        Strings args = {m_strFile, "2", "1", "--text", "0:I5", "--write"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const SProcessResult r = RunText(args);
        EXPECT_EQ(r.nExitStatus, 0) << c.pszName << ": " << r.strErr;
        EXPECT_EQ(Contents(), c.strWritten) << c.pszName;
    }
    // The output names the label, in both forms of output.
    Write("s.for", "  100 X = 1\n\n");
    SProcessResult r = RunText({m_strFile, "2", "1"});
    ASSERT_EQ(r.nExitStatus, 0) << r.strErr;
    EXPECT_EQ(r.strOut.rfind("New FORMAT statement 110 on line 2\n\n'First Descriptor'\n", 0), 0u) << r.strOut;
    r = RunText({m_strFile, "2", "1", "--json"});
    EXPECT_NE(r.strOut.find("\"head\": \"  110 FORMAT\""), std::string::npos) << r.strOut;
    EXPECT_NE(r.strOut.find("\"label\": \"110\", \"new\": true}"), std::string::npos) << r.strOut;
}

TEST_F(FileMode, SourceFormOptionsAreFlags)
{
    Write("f.F", "100 format (i5)\n");
    EXPECT_EQ(RunText({m_strFile, "1", "1", "--free-form", "--fixed-form"}).nExitStatus, 2);
    EXPECT_EQ(RunText({m_strFile, "1", "1", "--free-form=yes"}).nExitStatus, 2);
    EXPECT_EQ(RunText({m_strFile, "1", "1"}).nExitStatus, 1) << "fixed form by the suffix: label field only";
    const SProcessResult r = RunText({"--free-form", m_strFile, "1", "1", "--json"});
    EXPECT_EQ(r.nExitStatus, 0) << r.strErr;
    EXPECT_EQ(Member(r.strOut, "text"), (Strings{"i5"}));
}

TEST_F(FileMode, WhatCannotBeLocatedGivesTheEditorsMessage)
{
    Write("m.for", "  100 FORMAT(I5)\n");
    struct SCase {
        Strings args;
        std::string message;
    };
    // Standard error names the file and the line asked for (none when it
    // is no line). A LINE that is no number at all is a usage error.
    const std::string strNone = m_dir.File("none.for");
    const SCase cases[] = {
        {{m_strFile, "3", "7"}, "quillmark: " + m_strFile + ":3: Line 3 was not found in file \"" + m_strFile + "\""},
        // Beyond the range of a line number: the number as given, in the
        // prefix as in the text.
        {{m_strFile, "99999999999999999999", "7"},
         "quillmark: " + m_strFile + ":99999999999999999999: Line 99999999999999999999 was not found in file \"" +
             m_strFile + "\""},
        {{m_strFile, "0099999999999999999999x", "7"},
         "quillmark: " + m_strFile + ":99999999999999999999: Line 99999999999999999999 was not found in file \"" +
             m_strFile + "\""},
        {{strNone, "1", "7"},
         "quillmark: " + strNone + ":1: Unable to open file \"" + strNone + "\" No such file or directory"},
    };
    for (const SCase& c : cases) {
        const SProcessResult r = RunText(c.args);
        EXPECT_EQ(r.nExitStatus, 1) << c.message;
        EXPECT_EQ(r.strErr, c.message + "\n");
        EXPECT_EQ(r.strOut, "");
        // JSON: no fields, and a statement that stands nowhere.
        Strings json = c.args;
        json.push_back("--json");
        const SProcessResult j = RunText(json);
        EXPECT_EQ(j.nExitStatus, 1) << c.message;
        EXPECT_NE(j.strOut.find("{\"fields\": [],"), std::string::npos) << j.strOut;
        EXPECT_NE(j.strOut.find("\"statement\": null,"), std::string::npos) << j.strOut;
    }
}

TEST_F(FileMode, ALineBelowOneIsAUsageError)
{
    Write("m.for", "  100 FORMAT(I5)\n");
    for (const char* pszLine : {"0", "-1", "00", "-5"}) {
        const SProcessResult r = RunText({m_strFile, pszLine, "7"});
        EXPECT_EQ(r.nExitStatus, 2) << pszLine;
        EXPECT_NE(r.strErr.find(std::string("not '") + pszLine + "'"), std::string::npos) << r.strErr;
        EXPECT_EQ(r.strOut, "");
    }
}

TEST_F(FileMode, AnUnbalancedListIsNotWritten)
{
    const std::string strContents = "  100 FORMAT(2(I5))\n";
    Write("u.for", strContents);
    const SProcessResult r = RunText({m_strFile, "1", "7", "--remove", "0", "--write"});
    EXPECT_EQ(r.nExitStatus, 1);
    EXPECT_EQ(r.strErr,
              "quillmark: " + m_strFile + ":1: Mismatched repeatables detected in Format statement Exit aborted\n");
    EXPECT_EQ(Contents(), strContents);
}

TEST_F(FileMode, WritingTakesTheLastTypedFieldBackToItsGoodState)
{
    Write("g.for", "  100 FORMAT(I5, F7.3)\n");
    const SProcessResult r = RunText({m_strFile, "1", "7", "--text", "0:I6", "--text", "1:F7.", "--live", "--write"});
    ASSERT_EQ(r.nExitStatus, 0) << r.strErr;
    EXPECT_EQ(Contents(), "  100 FORMAT(I6, F7.3)\n");
}

TEST_F(FileMode, AReadOnlyFileIsShownButNotWritten)
{
    const std::string strContents = "  100 FORMAT(I5)\n";
    Write("ro.for", strContents);
    ASSERT_EQ(chmod(m_strFile.c_str(), 0444), 0);
    const SProcessResult shown = RunText({m_strFile, "1", "7"});
    EXPECT_EQ(shown.nExitStatus, 0);
    EXPECT_NE(shown.strErr.find("is read-only"), std::string::npos);
    const SProcessResult written = RunText({m_strFile, "1", "7", "--text", "0:I6", "--write"});
    EXPECT_EQ(written.nExitStatus, 1);
    EXPECT_EQ(written.strErr, "quillmark: " + m_strFile + ":1: The file \"" + m_strFile +
                                  "\" is read-only; changes will be saved to a different file Continue anyway?\n");
    EXPECT_EQ(Contents(), strContents);
}

TEST_F(FileMode, AFailedWriteIsReportedAndLeavesTheFileWhole)
{
    std::string strContents;
    for (int i = 0; i < 3000; ++i)
        strContents += "C     filler " + std::to_string(i) + "\n";
    strContents += "  100 FORMAT(I5)\n";
    Write("f.for", strContents);
    // A file-size limit of 8 blocks: the save fails like a full disk.
    const SProcessResult r = RunProcess("/bin/sh", {"-c", "ulimit -f 8 && exec \"$0\" \"$@\"", QUILLMARK_TEXT,
                                                    m_strFile, "3001", "7", "--text", "0:I6", "--write"});
    EXPECT_EQ(r.nSignal, 0);
    EXPECT_EQ(r.nExitStatus, 1);
    EXPECT_EQ(r.strErr, "quillmark: " + m_strFile + ":3001: Unable to write to file \"" + m_strFile +
                            "\" File too large"
                            " The file is left as it was: make it writable or free space on its disk and run again, or "
                            "copy the file and edit the copy\n");
    EXPECT_EQ(Contents(), strContents);
    EXPECT_EQ(m_dir.Listing(), "f.for ");
}

// A save that meets another program's lock on the file says once, at the
// start, that it waits and for what, then saves when the lock is let go.
TEST_F(FileMode, ASaveThatWaitsForALockSaysSoOnce)
{
    Write("l.for", "  100 FORMAT(I5)\n");
    const int fd = open(m_strFile.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(flock(fd, LOCK_EX), 0);
    std::thread release([fd] {
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        close(fd);
    });
    const SProcessResult r = RunText({m_strFile, "1", "7", "--text", "0:I6", "--write"});
    release.join();
    EXPECT_EQ(r.nExitStatus, 0) << r.strErr;
    EXPECT_EQ(r.strErr, "quillmark-text: Waiting up to 60 seconds for the lock on file \"" + m_strFile +
                            "\": another program holds it while it saves the file\n");
    EXPECT_EQ(Contents(), "  100 FORMAT(I6)\n");
    // No lock held: not a word.
    EXPECT_EQ(RunText({m_strFile, "1", "7", "--text", "0:I7", "--write"}).strErr, "");
}

TEST_F(FileMode, TwoDashesEndTheOptions)
{
    // After "--" every word is FILE, LINE or COLUMN, a file named like an
    // option too; the options stand before it.
    Write("-x.for", "  100 FORMAT(I5)\n");
    const std::string strDir = m_dir.Path().string();
    SProcessResult r = RunProcess(QUILLMARK_TEXT, {"--text", "0:I6", "--write", "--", "-x.for", "1", "7"}, strDir);
    ASSERT_EQ(r.nExitStatus, 0) << r.strErr;
    EXPECT_EQ(Contents(), "  100 FORMAT(I6)\n");
    r = RunProcess(QUILLMARK_TEXT, {"--", "-x.for", "1", "7", "--json"}, strDir);
    EXPECT_EQ(r.nExitStatus, 2);
    EXPECT_NE(r.strErr.find("give FILE LINE COLUMN (three words), not 4"), std::string::npos) << r.strErr;
    r = RunProcess(QUILLMARK_TEXT, {"-x.for", "1", "7"}, strDir);
    EXPECT_EQ(r.nExitStatus, 2);
    EXPECT_NE(r.strErr.find("unknown option '-x.for'"), std::string::npos) << r.strErr;
}

// quillmark-text run by a user without privileges: as root, as nobody (the
// permission bits bind root no more). False when that cannot be done here.
bool RunUnprivileged(const Strings& args, SProcessResult& r)
{
    if (geteuid() != 0) {
        r = RunText(args);
        return true;
    }
    const std::string strSetpriv = "/usr/bin/setpriv";
    if (access(strSetpriv.c_str(), X_OK) != 0)
        return false;
    Strings all = {"--reuid=65534", "--regid=65534", "--clear-groups", QUILLMARK_TEXT};
    all.insert(all.end(), args.begin(), args.end());
    r = RunProcess(strSetpriv, all);
    return true;
}

// A reason the user can act on is named: a folder that takes no new file
// (the temporary one), a source file that cannot be read.
TEST_F(FileMode, AFolderThatTakesNoFileAndAFileThatCannotBeReadSayWhy)
{
    const std::string strContents = "  100 FORMAT(I5)\n";
    Write("p.for", strContents);
    ASSERT_EQ(chmod(m_strFile.c_str(), 0666), 0);
    ASSERT_EQ(chmod(m_dir.Path().c_str(), 0555), 0);
    SProcessResult r;
    if (!RunUnprivileged({m_strFile, "1", "7", "--text", "0:I7", "--write"}, r))
        GTEST_SKIP() << "no way to run without privileges";
    EXPECT_EQ(r.nExitStatus, 1);
    EXPECT_EQ(r.strErr, "quillmark: " + m_strFile + ":1: Unable to write to file \"" + m_strFile +
                            "\" Permission denied"
                            " The file is left as it was: make it writable or free space on its disk and run again, or "
                            "copy the file and edit the copy\n");
    EXPECT_EQ(Contents(), strContents);

    ASSERT_EQ(chmod(m_dir.Path().c_str(), 0755), 0);
    ASSERT_EQ(chmod(m_strFile.c_str(), 0200), 0);
    ASSERT_TRUE(RunUnprivileged({m_strFile, "1", "7"}, r));
    EXPECT_EQ(r.nExitStatus, 1);
    EXPECT_EQ(r.strErr,
              "quillmark: " + m_strFile + ":1: Unable to open file \"" + m_strFile + "\" Permission denied\n");
    EXPECT_EQ(m_dir.Listing(), "p.for ");
}

// A member of a file's group saves a file another user owns: the file stays
// that user's, in that group, with its bits, as a file written in place.
// The group member may give the new file neither owner, and a rename would
// have passed the file to the group member.
TEST_F(FileMode, AGroupMemberSavesAFileThatStaysItsOwners)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "only root can give a file to another owner";
    const std::string strContents = "      X = 1\n  100 FORMAT(I5)\n      END\n";
    Write("g.for", strContents);
    ASSERT_EQ(chown(m_strFile.c_str(), 0, 65534), 0);
    ASSERT_EQ(chmod(m_strFile.c_str(), 0664), 0);
    ASSERT_EQ(chmod(m_dir.Path().c_str(), 0777), 0);  // room for the group member's backup
    struct stat before {};
    ASSERT_EQ(stat(m_strFile.c_str(), &before), 0);
    SProcessResult r;
    if (!RunUnprivileged({m_strFile, "2", "7", "--text", "0:I7", "--write"}, r))
        GTEST_SKIP() << "no way to run without privileges";
    ASSERT_EQ(r.nExitStatus, 0) << r.strErr;
    EXPECT_EQ(Contents(), "      X = 1\n  100 FORMAT(I7)\n      END\n");
    struct stat after {};
    ASSERT_EQ(stat(m_strFile.c_str(), &after), 0);
    EXPECT_EQ(after.st_uid, 0u) << "the file was passed to the group member";
    EXPECT_EQ(after.st_gid, 65534u);
    EXPECT_EQ(after.st_mode & 07777, 0664u);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(m_dir.Listing(), "g.for ") << "the backup is removed";
}

// Two saves of one file at once, each of its own statement, round after
// round: each saved its edit or was refused because the other changed the
// file first, and the file holds every edit reported saved. A file with two
// names is written in place, the other one renamed over.
TEST_F(FileMode, TwoSavesAtOnceLoseNoEdit)
{
    namespace fs = std::filesystem;
    for (const bool bTwoNames : {false, true}) {
        SCOPED_TRACE(bTwoNames ? "two names" : "one name");
        const std::string strName = bTwoNames ? "two.for" : "one.for";
        std::string strFirst = "  100 FORMAT(I5)";
        std::string strSecond = "  200 FORMAT(F7.2)";
        Write(strName, strFirst + "\n" + strSecond + "\n");
        if (bTwoNames)
            fs::create_hard_link(m_strFile, m_dir.File("other.for"));
        // The later save may first say that it waits for the other's lock.
        const auto changed = [this](const std::string& strErr, const char* pszLine) {
            const std::string strChanged = "quillmark: " + m_strFile + ":" + pszLine + ": File \"" + m_strFile +
                                           "\" has changed since last read\n";
            const std::string strWait = "quillmark-text: Waiting up to 60 seconds for the lock on file \"" + m_strFile +
                                        "\"";
            return strErr == strChanged || (strErr.starts_with(strWait) && strErr.ends_with("\n" + strChanged));
        };
        const int nRounds = bTwoNames ? 40 : 100;
        int nBothSaved = 0;
        for (int nRound = 0; nRound < nRounds; ++nRound) {
            const std::string strWidth = std::to_string(10 + nRound);
            SStartedProcess first = StartProcess(QUILLMARK_TEXT,
                                                 {m_strFile, "1", "7", "--text", "0:I" + strWidth, "--write"});
            SStartedProcess second = StartProcess(QUILLMARK_TEXT,
                                                  {m_strFile, "2", "7", "--text", "0:F" + strWidth + ".2", "--write"});
            const SProcessResult r1 = WaitProcess(first);
            const SProcessResult r2 = WaitProcess(second);
            for (const auto& [r, pszLine] : {std::pair{&r1, "1"}, std::pair{&r2, "2"}})
                EXPECT_TRUE(r->nExitStatus == 0 || (r->nExitStatus == 1 && changed(r->strErr, pszLine)))
                    << "round " << nRound << ": exit " << r->nExitStatus << ", signal " << r->nSignal << "\n"
                    << r->strErr;
            if (r1.nExitStatus == 0)
                strFirst = "  100 FORMAT(I" + strWidth + ")";
            if (r2.nExitStatus == 0)
                strSecond = "  200 FORMAT(F" + strWidth + ".2)";
            nBothSaved += r1.nExitStatus == 0 && r2.nExitStatus == 0;
            ASSERT_EQ(Contents(), strFirst + "\n" + strSecond + "\n") << "round " << nRound << " lost an edit";
        }
        RecordProperty(bTwoNames ? "both_saved_two_names" : "both_saved_one_name", nBothSaved);
    }
    EXPECT_EQ(m_dir.Listing(), "one.for other.for two.for ") << "no temporary file is left";
}

// Ctrl-C, SIGTERM or SIGHUP in the middle of saving a large file: the
// temporary file (as large as the file) is removed, the file stays as it
// was, and the process ends as the signal ends it.
TEST_F(FileMode, ASignalDuringALargeSaveLeavesNoTemporaryFile)
{
    // (the END ends the statement at once: comment lines alone would have
    // it look through the whole file for a continuation line first)
    std::string strContents = "  100 FORMAT(I5)\n      END\n";
    const std::string strLine = "C" + std::string(78, '-') + "\n";
    strContents.reserve(105 * 1000 * 1000);
    while (strContents.size() < 100 * 1000 * 1000)
        strContents += strLine;
    Write("big.for", strContents);
    for (const int nSignal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(strsignal(nSignal));
        SStartedProcess process = StartProcess(QUILLMARK_TEXT, {m_strFile, "1", "7", "--text", "0:I7", "--write"});
        // The signal comes as soon as the temporary file is there: named
        // beside the file, or made without a name (O_TMPFILE), which the
        // process then holds open as "FOLDER/#INODE (deleted)".
        bool bSeen = false;
        const std::string strFolder = "/proc/" + std::to_string(process.pid) + "/fd";
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!bSeen && std::chrono::steady_clock::now() < deadline) {
            std::error_code error;
            for (const auto& entry : std::filesystem::directory_iterator(m_dir.Path()))
                bSeen = bSeen || entry.path().filename().string().rfind(".big.for.", 0) == 0;
            for (const auto& entry : std::filesystem::directory_iterator(strFolder, error)) {
                const std::string strLink = std::filesystem::read_symlink(entry.path(), error).string();
                bSeen = bSeen || (strLink.rfind(m_dir.Path().string() + "/#", 0) == 0 &&
                                  strLink.find("(deleted)") != std::string::npos);
            }
            if (!bSeen)
                usleep(200);
        }
        kill(process.pid, nSignal);
        const SProcessResult r = WaitProcess(process);
        EXPECT_TRUE(bSeen) << "no temporary file appeared";
        EXPECT_EQ(r.nSignal, nSignal) << "exit " << r.nExitStatus << "\n" << r.strErr;
        EXPECT_EQ(m_dir.Listing(), "big.for ");
        EXPECT_TRUE(Contents() == strContents) << "the file changed";
    }
}

TEST_F(FileMode, UsageErrors)
{
    Write("x.for", "  100 FORMAT(I5)\n");
    // A LINE that is no number at all is a usage error, as in the window's
    // command line; one that starts with digits is read as far as they go.
    for (const Strings& args :
         {Strings{m_strFile, "1"}, Strings{m_strFile, "1", "7", "9"}, Strings{"--list", "(I5)", "--write"},
          Strings{m_strFile, "1", "7", "--list", "(I5)"}, Strings{m_strFile, "abc", "7"}, Strings{m_strFile, "", "7"},
          Strings{"no-such-file.for", "x1", "7"}}) {
        const SProcessResult r = RunText(args);
        EXPECT_EQ(r.nExitStatus, 2) << ::testing::PrintToString(args);
        EXPECT_EQ(Contents(), "  100 FORMAT(I5)\n");
    }
    EXPECT_EQ(RunText({m_strFile, "1abc", "7"}).nExitStatus, 0);
}

// --list-statements: one line per statement that opens (tab separated:
// line, column, label or -, list), the same as JSON; each line and column
// given back opens that statement; the file is never changed.
TEST_F(FileMode, ListStatementsGivesWhatOpensInTextAndJson)
{
    const std::string strText = "      PROGRAM P\n"
                                "      WRITE (6, 100) X\n"
                                "  100 FORMAT (1X, 'Sum:',\n"
                                "     +        F10.3)\n"
                                "      PRINT '(I3, \"\"\"a\")', N\n"
                                "      WRITE (6, *) N\n"
                                "      END\n";
    Write("s.for", strText);
    const SProcessResult r = RunText({"--list-statements", m_strFile});
    ASSERT_EQ(r.nExitStatus, 0) << r.strErr;
    EXPECT_EQ(r.strOut, "3\t7\t100\t(1X, 'Sum:', F10.3)\n5\t14\t-\t(I3, \"\"\"a\")\n");
    EXPECT_TRUE(r.strErr.empty()) << r.strErr;

    const SProcessResult j = RunText({"--json", "--list-statements", m_strFile});
    ASSERT_EQ(j.nExitStatus, 0) << j.strErr;
    EXPECT_EQ(Member(j.strOut, "line"), (Strings{"3", "5"}));
    EXPECT_EQ(Member(j.strOut, "column"), (Strings{"7", "14"}));
    EXPECT_EQ(Member(j.strOut, "kind"), (Strings{"format", "string"}));
    EXPECT_EQ(Member(j.strOut, "list"), (Strings{"(1X, 'Sum:', F10.3)", "(I3, \\\"\\\"\\\"a\\\")"}));
    EXPECT_NE(j.strOut.find("\"label\": 100"), std::string::npos) << j.strOut;
    EXPECT_NE(j.strOut.find("\"label\": null"), std::string::npos) << j.strOut;

    // The WRITE of line 2 opens the FORMAT statement its label names.
    const SProcessResult followed = RunText({m_strFile, "2", "7", "--json"});
    ASSERT_EQ(followed.nExitStatus, 0) << followed.strErr;
    EXPECT_EQ(Member(followed.strOut, "first_line"), (Strings{"3"}));
    EXPECT_EQ(Contents(), strText);
}

TEST_F(FileMode, ListStatementsOfAFileWithoutAndOfNoFile)
{
    Write("none.f90", "program p\n  print *, 1\nend program p\n");
    const SProcessResult r = RunText({"--list-statements", m_strFile, "--json"});
    EXPECT_EQ(r.nExitStatus, 0) << r.strErr;
    EXPECT_NE(r.strOut.find("\"statements\": []"), std::string::npos) << r.strOut;
    const SProcessResult missing = RunText({"--list-statements", m_dir.File("missing.for")});
    EXPECT_EQ(missing.nExitStatus, 1);
    EXPECT_NE(missing.strErr.find("Unable to open file"), std::string::npos) << missing.strErr;
    for (const Strings& args :
         {Strings{"--list-statements"}, Strings{"--list-statements", m_strFile, "1", "7"},
          Strings{"--list-statements", m_strFile, "--write"}, Strings{"--list-statements=x", m_strFile}}) {
        EXPECT_EQ(RunText(args).nExitStatus, 2) << ::testing::PrintToString(args);
    }
}

}  // namespace

// --- forms of Fortran 90 to 2018 -----------------------------------------------

namespace {

struct SLaterList {
    const char* list;
    Strings texts;
    Strings samples;
    const char* strict;  // the message with --fps4, or nullptr when it opens there too
};

void PrintTo(const SLaterList& c, std::ostream* os)
{
    *os << c.list;
}

class LaterList : public ::testing::TestWithParam<SLaterList> {};

TEST_P(LaterList, OpensWithTheDefaultTableAndAsBeforeWithFps4)
{
    const SLaterList& c = GetParam();
    const SProcessResult r = RunText({"--list", c.list, "--json"});
    ASSERT_EQ(r.nExitStatus, 0) << r.strErr;
    EXPECT_EQ(Member(r.strOut, "text"), c.texts);
    EXPECT_EQ(Member(r.strOut, "sample"), c.samples);
    const SProcessResult strict = RunText({"--list", c.list, "--fps4"});
    if (c.strict == nullptr) {
        EXPECT_EQ(strict.nExitStatus, 0) << strict.strErr;
    } else {
        EXPECT_EQ(strict.nExitStatus, 1);
        EXPECT_EQ(strict.strErr, OnStandardError("", c.strict));
    }
}

INSTANTIATE_TEST_SUITE_P(Families, LaterList,
                         ::testing::Values(SLaterList{"(\"x =\", F8.3, \"say \"\"hi\"\"\")",
                                                      {"\\\"x =\\\"", "F8.3", "\\\"say \\\"\\\"hi\\\"\\\"\\\""},
                                                      {"x =", "1234.123", "say \\\"hi\\\""},
                                                      nullptr},
                                           SLaterList{"(100A2, 999F10.4)",
                                                      {"100A2", "999F10.4"},
                                                      {"ab", "12345.1234"},
                                                      "FORMAT parse failed in column 7"},
                                           SLaterList{"(I0, I0.9, B0, F0.3, G0, G0.3, E0.3E2, D0.3)",
                                                      {"I0", "I0.9", "B0", "F0.3", "G0", "G0.3", "E0.3E2", "D0.3"},
                                                      {"1234567", "001234567", "10101010", "1234567.123",
                                                       "1234567.1234567", "0.123E+7", "0.123E+07", "0.123D+7"},
                                                      "FORMAT parse failed in column 10"},
                                           SLaterList{"(A, *(1X, F8.3))",
                                                      {"A", "*(", "1X", "F8.3", ")"},
                                                      {"abcdefghij", "", " ", "1234.123", ""},
                                                      "FORMAT parse failed in column 9"},
                                           SLaterList{"(RU, DC, F6.2, DP, F6.2, EX, DT'x'(1,2))",
                                                      {"RU", "DC", "F6.2", "DP", "F6.2", "EX", "DT'x'(1,2)"},
                                                      {"", "", "123,12", "", "123.12", "0X1.1234567P+12", ""},
                                                      "FORMAT parse failed in column 4"}));

TEST(LaterList, TheEmptyListOpensWithNoFieldsAndARepeatCountOfZeroIsRefused)
{
    const SProcessResult plain = RunText({"--list", "()"});
    EXPECT_EQ(plain.nExitStatus, 0) << plain.strErr;
    EXPECT_EQ(plain.strOut, "");
    const SProcessResult json = RunText({"--list", "()", "--json"});
    EXPECT_NE(json.strOut.find("{\"fields\": []"), std::string::npos) << json.strOut;
    EXPECT_NE(json.strOut.find("\"balanced\": true"), std::string::npos) << json.strOut;
    const SProcessResult inserted = RunText({"--list", "()", "--insert", "0:I0", "--json"});
    EXPECT_EQ(Member(inserted.strOut, "sample"), (Strings{"1234567"}));
    for (bool bStrict : {false, true}) {
        Strings args = {"--list", "(0E16.8)"};
        if (bStrict)
            args.push_back("--fps4");
        const SProcessResult zero = RunText(args);
        EXPECT_EQ(zero.nExitStatus, 1);
        EXPECT_EQ(zero.strErr, "quillmark: FORMAT parse failed in column 8\n");
    }
}

TEST(LaterList, AHugeRepeatCountShowsCutAndQuickly)
{
    const SProcessResult r = RunText({"--list", "(2147483647(1000000E15.7))"});
    ASSERT_EQ(r.nExitStatus, 0) << r.strErr;
    EXPECT_LT(r.strOut.size(), 20u * 1024 * 1024);
    EXPECT_NE(r.strOut.find("123.1234567E+12123.1234567E+12"), std::string::npos);
}

TEST_F(FileMode, ADoubleQuotedConstantIsWrittenIntoEitherFormatString)
{
    Write("d.f90", "print \"(\"\"n =\"\", I6)\", n\nwrite(*, '(\"n =\", I6)') n\nend\n");
    const SProcessResult first = RunText({m_strFile, "1", "7", "--sample", "0:say \"x\"", "--write"});
    ASSERT_EQ(first.nExitStatus, 0) << first.strErr;
    const SProcessResult second = RunText({m_strFile, "2", "10", "--sample", "0:it's", "--write"});
    ASSERT_EQ(second.nExitStatus, 0) << second.strErr;
    EXPECT_EQ(Contents(), "print \"(\"\"say \"\"\"\"x\"\"\"\"\"\", I6)\", n\nwrite(*, '(\"it''s\", I6)') n\nend\n");
}

}  // namespace
