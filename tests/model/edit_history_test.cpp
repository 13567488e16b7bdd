// The edit history: sequences of field commands with Undo and Redo, each
// checked against the texts and values it must leave, against a list
// evaluated afresh from those (so every sample is as evaluation makes it),
// and against the list it started from once everything is undone, the
// descriptors' identities included.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "edit_history.h"
#include "model_helpers.h"

namespace {

// One field's state as a test compares it.
struct SFieldState {
    std::string strText;
    std::string strSample;
    std::string strValue;
    unsigned long long nIdentity;
    bool operator==(const SFieldState&) const = default;
};

std::vector<SFieldState> States(const CDescriptorList& list)
{
    std::vector<SFieldState> states;
    for (int i = 0; i < list.size(); ++i) {
        std::string strSample;
        list.GetRepeatedSample(i, strSample);
        states.push_back({list.At(i).Text(), strSample, list.At(i).Value(), list.At(i).Identity()});
    }
    return states;
}

// The command steps of a case, one string each:
//   tI:TEXT  type TEXT into field I's text and leave it (one visit)
//   sI:TEXT  the same in field I's sample row
//   kI:TEXT  type TEXT into field I's text and stay (a visit in progress)
//   iI:TEXT  New Field TEXT before field I      rI  Remove Field I
//   vI:TEXT  Change Value of field I            u   Undo     y  Redo
void RunStep(CEditHistory& history, const std::string& strStep)
{
    if (strStep == "u") {
        history.Undo();
        return;
    }
    if (strStep == "y") {
        history.Redo();
        return;
    }
    const char chCommand = strStep[0];
    const std::size_t nColon = strStep.find(':');
    const int index = std::stoi(strStep.substr(1, nColon == std::string::npos ? std::string::npos : nColon - 1));
    const std::string strText = nColon == std::string::npos ? std::string() : strStep.substr(nColon + 1);
    const FieldRow row = chCommand == 's' ? ROW_SAMPLE : ROW_TEXT;
    switch (chCommand) {
    case 't':
    case 's':
    case 'k':
        // Key by key, as the editor reports each change of its text.
        for (std::size_t n = 1; n <= strText.size(); ++n)
            history.Type(index, row, strText.substr(0, n).c_str());
        if (chCommand != 'k')
            history.Leave(index, row);
        break;
    case 'i': history.Insert(index, strText.c_str()); break;
    case 'r': history.Remove(index); break;
    case 'v': history.ChangeValue(index, strText.c_str()); break;
    default: FAIL() << "unknown step " << strStep;
    }
}

// The list a case starts from; "" stands for the empty field.
void Fill(CDescriptorList& list, const std::vector<std::string>& texts)
{
    for (const std::string& strText : texts)
        if (strText.empty())
            list.InsertEmptyField(list.size());
        else
            ASSERT_TRUE(list.InsertDescriptor(list.size(), strText.c_str())) << strText;
}

struct SCase {
    const char* pszName;
    std::vector<std::string> start;
    std::vector<std::string> steps;
    std::vector<std::string> texts;   // afterwards
    std::vector<std::string> values;  // afterwards, empty: none has one
    bool bChanged;
    bool bCanRedo;
};

const std::vector<std::string> kList = {"1X", "I5", "F7.2"};

const SCase kCases[] = {
    {"a visit's typing is one step", kList, {"t1:I8", "u"}, kList, {}, false, true},
    {"redo makes it again", kList, {"t1:I8", "u", "y"}, {"1X", "I8", "F7.2"}, {}, true, false},
    {"two visits are two steps", kList, {"t1:I8", "t2:F8.3", "u"}, {"1X", "I8", "F7.2"}, {}, true, true},
    {"a typed sample is undone to the text", kList, {"s2:12.5", "u"}, kList, {}, false, true},
    {"a typed sample is redone", kList, {"s2:12.5", "u", "y"}, {"1X", "I5", "F4.1"}, {}, true, false},
    {"typing back to the same text is no step", kList, {"t1:I5"}, kList, {}, false, false},
    {"undo during typing takes that typing back", kList, {"t0:2X", "k1:I9", "u"}, {"2X", "I5", "F7.2"}, {}, true, true},
    {"undo of typing that never evaluated takes only it back",
     kList,
     {"t0:2X", "k1:I5x", "u"},
     {"2X", "I5", "F7.2"},
     {},
     true,
     false},
    {"redo during typing that changed the field is a new edit",
     kList,
     {"t1:I8", "u", "k2:F9.1", "y"},
     {"1X", "I5", "F9.1"},
     {},
     true,
     false},
    {"New Field and Remove Field, undone", kList, {"i1:3X", "r0", "u", "u"}, kList, {}, false, true},
    {"New Field and Remove Field, redone",
     kList,
     {"i1:3X", "r0", "u", "u", "y", "y"},
     {"3X", "I5", "F7.2"},
     {},
     true,
     false},
    {"a removed mode descriptor comes back with its modes",
     {"SP", "I5", "2P", "F7.2"},
     {"r0", "r1", "u", "u"},
     {"SP", "I5", "2P", "F7.2"},
     {},
     false,
     true},
    {"Change Value is undone and redone", kList, {"v1:42", "v2:3.5", "u", "u", "y"}, kList, {"", "42", ""}, true, true},
    {"a new edit drops the redo tail",
     kList,
     {"t1:I8", "t1:I9", "u", "t2:F8.2", "y"},
     {"1X", "I8", "F8.2"},
     {},
     true,
     false},
    {"refused commands are no steps", {"I5"}, {"r0", "i0:3(I5", "i1:F7."}, {"I5"}, {}, false, false},
    {"the empty field comes back", {""}, {"t0:I5", "u"}, {""}, {}, false, true},
    {"undo before the first step does nothing", kList, {"u", "u", "t1:I6", "u", "u"}, kList, {}, false, true},
    {"a value goes with its removed field", kList, {"v1:42", "r1", "u"}, kList, {"", "42", ""}, true, true},
};

class EditHistoryTable : public ::testing::TestWithParam<SCase> {};

TEST_P(EditHistoryTable, LeavesTheListAsEvaluationMakesItAndUndoesToTheStart)
{
    const SCase& c = GetParam();
    CDescriptorList list(TestTable());
    Fill(list, c.start);
    const std::vector<SFieldState> start = States(list);
    CEditHistory history(list);
    for (const std::string& strStep : c.steps)
        RunStep(history, strStep);

    // An edit in progress counts as a change until the field is left.
    EXPECT_EQ(history.IsChanged(), c.bChanged);
    EXPECT_EQ(history.CanRedo(), c.bCanRedo);
    if (!c.steps.empty() && c.steps.back()[0] == 'k') {
        const int index = std::stoi(c.steps.back().substr(1));
        history.Leave(index, ROW_TEXT);
    }
    ASSERT_EQ(Texts(list), c.texts);
    std::vector<std::string> values(c.texts.size());
    if (!c.values.empty())
        values = c.values;
    CDescriptorList fresh(TestTable());
    Fill(fresh, c.texts);
    for (int i = 0; i < list.size(); ++i) {
        const auto k = static_cast<std::size_t>(i);
        EXPECT_EQ(list.At(i).Value(), values[k]) << i;
        if (!values[k].empty()) {
            ASSERT_TRUE(fresh.SetValue(i, values[k].c_str()));
        }
        std::string strSample, strExpected;
        list.GetRepeatedSample(i, strSample);
        fresh.GetRepeatedSample(i, strExpected);
        EXPECT_EQ(strSample, strExpected) << "field " << i;
        EXPECT_EQ(list.At(i).Prev(), i == 0 ? nullptr : &list.At(i - 1));
    }

    // Everything undone is the list it started as, every descriptor the same
    // one; everything redone and undone again, too.
    while (history.CanUndo())
        history.Undo();
    EXPECT_EQ(States(list), start);
    EXPECT_FALSE(history.IsChanged());
    while (history.CanRedo())
        history.Redo();
    while (history.CanUndo())
        history.Undo();
    EXPECT_EQ(States(list), start);
}

INSTANTIATE_TEST_SUITE_P(Sequences, EditHistoryTable, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<SCase>& info) {
                             std::string strName;
                             for (const char* p = info.param.pszName; *p != '\0'; ++p)
                                 strName += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return strName;
                         });

// Where each step took effect, for the window to put its editor there.
TEST(EditHistory, UndoAndRedoSayWhichFieldAndRowTheyTouched)
{
    CDescriptorList list(TestTable());
    Fill(list, kList);
    CEditHistory history(list);
    RunStep(history, "s1:123");
    RunStep(history, "v2:1.5");
    RunStep(history, "r2");
    const auto place = [](SEditPlace p) { return std::make_pair(p.nIndex, p.row); };
    EXPECT_EQ(place(history.Undo()), std::make_pair(2, ROW_TEXT));    // F7.2 is back
    EXPECT_EQ(place(history.Undo()), std::make_pair(2, ROW_SAMPLE));  // its value
    EXPECT_EQ(place(history.Undo()), std::make_pair(1, ROW_SAMPLE));  // the typed sample
    EXPECT_EQ(history.Undo().nIndex, -1);
    history.Redo();
    history.Redo();
    EXPECT_EQ(place(history.Redo()), std::make_pair(1, ROW_TEXT));  // removed: the last field is current
    EXPECT_EQ(history.Redo().nIndex, -1);
}

// A step records what changed, not the list: a long statement typed into
// keystroke by keystroke gives one step and leaves every other descriptor
// as it was.
TEST(EditHistory, TypingIntoALongListKeepsOtherFieldsUntouched)
{
    CDescriptorList list(TestTable());
    std::vector<std::string> texts(2000, "I5");
    Fill(list, texts);
    CEditHistory history(list);
    const auto seen = Revisions(list);
    for (const char* pszKeys : {"I", "I6", "I67"})
        history.Type(1000, ROW_TEXT, pszKeys);
    history.Leave(1000, ROW_TEXT);
    EXPECT_EQ(history.StepCount(), 1u);
    EXPECT_EQ(ChangedSince(list, seen, 999), 0);
    EXPECT_EQ(ChangedSince(list, seen, 1001), 0);
    history.Undo();
    EXPECT_EQ(list.At(1000).Text(), "I5");
}

}  // namespace
