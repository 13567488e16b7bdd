// The one reading of both programs' options: how each program's words name
// an option, their arguments and the errors.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "command_options.h"

namespace {

using Words = std::vector<std::string>;

struct SReadCase {
    OptionProgram nProgram;
    Words words;
    std::string strError;  // the first error; empty for none
    SourceForm nForm;
    Words positional;
    std::string strLastArgument;  // the last option's argument
};

TEST(CommandOptions, EachProgramNamesItsOptionsByItsOwnRule)
{
    const SReadCase cases[] = {
        // The window: the first five characters in any case, the rest an
        // argument; a longer name as the whole word in any case.
        {PROGRAM_WINDOW, {"-FPS4"}, "", SOURCE_FORM_BY_SUFFIX, {}, ""},
        {PROGRAM_WINDOW, {"-fps4x"}, "", SOURCE_FORM_BY_SUFFIX, {}, ""},
        {PROGRAM_WINDOW, {"-D:1:run.log"}, "", SOURCE_FORM_BY_SUFFIX, {}, "run.log"},
        {PROGRAM_WINDOW, {"-d:1"}, "unknown option '-d:1'", SOURCE_FORM_BY_SUFFIX, {}, ""},
        {PROGRAM_WINDOW, {"--Free-Form"}, "", SOURCE_FORM_FREE, {}, ""},
        {PROGRAM_WINDOW, {"--exactly"}, "unknown option '--exactly'", SOURCE_FORM_BY_SUFFIX, {}, ""},
        {PROGRAM_WINDOW, {"--json"}, "unknown option '--json'", SOURCE_FORM_BY_SUFFIX, {}, ""},
        {PROGRAM_WINDOW,
         {"--FIXED-FORM", "--free-form"},
         "--free-form and --fixed-form exclude each other",
         SOURCE_FORM_FIXED,
         {},
         ""},
        // quillmark-text: --name exactly (the forms in any case), its
        // argument after "=" or in the next word.
        {PROGRAM_TEXT, {"--list", "(I5)"}, "", SOURCE_FORM_BY_SUFFIX, {}, "(I5)"},
        {PROGRAM_TEXT, {"--list=(I5,A3)"}, "", SOURCE_FORM_BY_SUFFIX, {}, "(I5,A3)"},
        {PROGRAM_TEXT, {"--list"}, "--list needs an argument", SOURCE_FORM_BY_SUFFIX, {}, ""},
        {PROGRAM_TEXT, {"--list", "a", "--list", "b"}, "--list may be given only once", SOURCE_FORM_BY_SUFFIX, {}, "b"},
        {PROGRAM_TEXT, {"--json=yes"}, "--json takes no argument", SOURCE_FORM_BY_SUFFIX, {}, ""},
        {PROGRAM_TEXT, {"--JSON"}, "unknown option '--JSON'", SOURCE_FORM_BY_SUFFIX, {}, ""},
        {PROGRAM_TEXT, {"-fps4x"}, "unknown option '-fps4x'", SOURCE_FORM_BY_SUFFIX, {}, ""},
        {PROGRAM_TEXT, {"--FREE-FORM", "--free-form"}, "", SOURCE_FORM_FREE, {}, ""},
        {PROGRAM_TEXT, {"-free-form"}, "unknown option '-free-form'", SOURCE_FORM_BY_SUFFIX, {}, ""},
        {PROGRAM_TEXT, {"--free-formx"}, "unknown option '--free-formx'", SOURCE_FORM_BY_SUFFIX, {}, ""},
        {PROGRAM_TEXT,
         {"--free-form", "--fixed-form"},
         "--free-form and --fixed-form exclude each other",
         SOURCE_FORM_FREE,
         {},
         ""},
        // Words that are no options, and every word after "--".
        {PROGRAM_TEXT,
         {"p.for", "-5", "-", "--", "--json", "-x"},
         "",
         SOURCE_FORM_BY_SUFFIX,
         {"p.for", "-5", "-", "--json", "-x"},
         ""},
        {PROGRAM_WINDOW, {"x", "-fps4"}, "", SOURCE_FORM_BY_SUFFIX, {"x"}, ""},
    };
    for (const SReadCase& c : cases) {
        const SOptionReading reading = ReadOptions(c.words, c.nProgram);
        std::string strError;
        for (const SOptionWord& option : reading.options)
            if (strError.empty())
                strError = option.strError;
        const std::string strWhere = ::testing::PrintToString(c.words);
        EXPECT_EQ(strError, c.strError) << strWhere;
        EXPECT_EQ(reading.bError, !c.strError.empty()) << strWhere;
        EXPECT_EQ(reading.nSourceForm, c.nForm) << strWhere;
        EXPECT_EQ(reading.positional, c.positional) << strWhere;
        if (!reading.options.empty()) {
            EXPECT_EQ(reading.options.back().strArgument, c.strLastArgument) << strWhere;
        }
    }
}

TEST(CommandOptions, ReadingGoesOnAfterAnErrorAndKnowsWhatWasSet)
{
    const SOptionReading reading = ReadOptions({"-x", "-d:1:a.log", "--exact", "-fps4"}, PROGRAM_WINDOW);
    EXPECT_TRUE(reading.bError);
    ASSERT_EQ(reading.options.size(), 4u);
    EXPECT_TRUE(reading.Has(SET_DEBUG_LOG));
    EXPECT_TRUE(reading.Has(SET_EXACT));
    EXPECT_TRUE(reading.Has(SET_STRICT_TABLE));
    EXPECT_FALSE(reading.Has(SET_KEEP_LAYOUT));
    // An option given with an error sets nothing.
    EXPECT_FALSE(ReadOptions({"--exact=1"}, PROGRAM_TEXT).Has(SET_EXACT));
}

TEST(CommandOptions, HelpListsEachOptionOfTheProgramWithItsLinesAligned)
{
    const std::string strWindow = OptionHelp(PROGRAM_WINDOW, SECTION_OPTIONS, 17);
    EXPECT_EQ(strWindow.rfind("  -d:1:LOG       unattended: messages go into the file LOG, questions are\n"
                              "                 answered No",
                              0),
              0u)
        << strWindow;
    EXPECT_EQ(strWindow.find("--json"), std::string::npos);
    const std::string strEdits = OptionHelp(PROGRAM_TEXT, SECTION_EDITS, 21);
    EXPECT_EQ(strEdits.substr(0, strEdits.find('\n', strEdits.find('\n') + 1) + 1),
              "  --insert I:TEXT    insert a field with descriptor TEXT before field I\n"
              "                     (I may be the number of fields: append)\n");
    // A row without help is its name alone, a hidden one not there at all.
    const std::string strText = OptionHelp(PROGRAM_TEXT, SECTION_OPTIONS, 21);
    EXPECT_NE(strText.find("\n  --help, --version\n"), std::string::npos) << strText;
    EXPECT_EQ(strText.find("\n  -fps4"), std::string::npos) << strText;
}

}  // namespace
