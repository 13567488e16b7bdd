// The samples a field shows for items of a known type, checked against
// gfortran at test time: a table of forms (G, Gw.d, G0, A, Aw shorter and
// longer than the item, L, I, a repeated edit and a repeated group) by item
// types (INTEGER, REAL, LOGICAL, CHARACTER*5), one program writing every
// case between brackets. Where the types lay a field out, the record the
// run time writes for the sample's own value is the fields' samples, blank
// for blank (its width, its justification, its T, its letters); where they
// do not, or the run time refuses the item, the field keeps its sample.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "descriptor_list.h"
#include "field_description.h"
#include "process_runner.h"
#include "temp_dir.h"
#include "typed_sample.h"

namespace {

struct SItemKind {
    const char* pszDeclaration;
    SItemType type;
    const char* pszName;
    const char* pszDefault;  // the value written where no typed sample gives one
};

const SItemKind kTypes[] = {
    {"integer(8)", {ItemType::INTEGER, 8}, "vi", "123"},
    {"real(4)", {ItemType::REAL, 4}, "vr", "1.5"},
    {"logical(4)", {ItemType::LOGICAL, 4}, "vl", ".true."},
    {"character(5)", {ItemType::CHARACTER, 0, 5}, "vc", "'abcde'"},
};

struct SForm {
    const char* pszList;  // the descriptors, without the parentheses
    long long nElements;  // the array elements written
};

const SForm kForms[] = {
    {"G12.4", 1},    {"G3.1", 1},   {"G", 1},       {"G0", 1},          {"G0.3", 1},     {"G12.4E3", 1},
    {"SP,G12.4", 1}, {"SP,G0", 1},  {"A", 1},       {"A3", 1},          {"A8", 1},       {"L4", 1},
    {"L", 1},        {"I5", 1},     {"3G6.1", 3},   {"3G6.1", 2},       {"2(A8,1X)", 2}, {"3(L2)", 3},
    {"2A", 2},       {"1X,3A3", 3}, {"2(G9.2)", 1}, {"I7,2(1X,G0)", 2},
};

struct SCase {
    const SForm* pForm;
    const SItemKind* pType;
    std::vector<std::string> samples;  // each field's: typed, else its own repeated one
    std::vector<bool> typedFields;     // each field's sample typed
    std::vector<int> kinds;            // each field's kind
    bool bTyped = false;
    std::string value;  // what the program writes
};

// The digits (with their sign) of an integer sample, or "".
std::string IntegerIn(const std::string& sample)
{
    const std::size_t n = sample.find_first_not_of(' ');
    if (n == std::string::npos)
        return std::string();
    std::size_t nEnd = n + (sample[n] == '+' || sample[n] == '-' ? 1 : 0);
    const std::size_t nDigits = sample.find_first_not_of("0123456789", nEnd);
    const std::string digits = sample.substr(nEnd, nDigits == std::string::npos ? nDigits : nDigits - nEnd);
    return digits.empty() || digits.size() > 18 ? std::string() : sample.substr(n, nEnd - n) + digits;
}

SCase MakeCase(const SForm& form, const SItemKind& type)
{
    SCase c{&form, &type, {}, {}, {}, false, type.pszDefault};
    CDescriptorList list;
    EXPECT_TRUE(list.Split(std::string("(") + form.pszList + ")\n").Ok()) << form.pszList;
    // The elements go to the data fields in order, as the matching gives them.
    std::vector<SFormatEdit> edits = FormatEditsOf(list);
    const SItemMatch match = MatchItems(edits, {{type.type, form.nElements}}, false);
    const std::vector<std::optional<std::string>> typed = TypedSamples(
        list, FirstRecordTypes(match, {{type.type, form.nElements}}, static_cast<std::size_t>(list.size())));
    for (int i = 0; i < list.size(); ++i) {
        const std::optional<std::string>& own = typed[static_cast<std::size_t>(i)];
        std::string shown;
        c.bTyped = c.bTyped || own.has_value();
        if (own)
            shown = *own;
        else
            list.GetRepeatedSample(i, shown);
        c.samples.push_back(shown);
        c.typedFields.push_back(own.has_value());
        c.kinds.push_back(list.At(i).Kind());
        // An integer's sample (one pass of it) says the value it shows.
        std::string pass;
        const CDescriptor& d = list.At(i);
        if (own && type.type.type == ItemType::INTEGER && TypedPassSample(d.GoodParsed(), type.type, d.Modes(), pass) &&
            !IntegerIn(pass).empty() && c.value == type.pszDefault)
            c.value = IntegerIn(pass) + "_8";
    }
    return c;
}

// The program: each case's record between brackets, after its IOSTAT.
std::string Program(const std::vector<SCase>& cases)
{
    std::string s = "program typed\n  implicit none\n  integer :: ios, k\n  character(200) :: buf, fmt\n";
    for (const SItemKind& type : kTypes)
        s += std::string("  ") + type.pszDeclaration + " :: " + type.pszName + "(3)\n";
    for (const SCase& c : cases) {
        const std::string name = c.pType->pszName;
        s += "  " + name + " = " + c.value + "\n  buf = ''\n  fmt = '(\"[\"," + c.pForm->pszList + ",\"]\")'\n";
        s += "  write (buf, fmt, iostat=ios) (" + name + "(k), k = 1, " + std::to_string(c.pForm->nElements) +
             ")\n  print '(i0,1x,a)', ios, trim(buf)\n";
    }
    return s + "end program\n";
}

// The record between its brackets: the closing one is not written when
// the items run out before it (*pEnded), nor the blanks the positioning
// before the next data edit would begin.
std::string Record(const std::string& line, bool* pEnded)
{
    const std::size_t nOpen = line.find('[');
    if (nOpen == std::string::npos)
        return std::string();
    const std::string rest = line.substr(nOpen + 1);
    *pEnded = rest.empty() || rest.back() != ']';
    return *pEnded ? rest : rest.substr(0, rest.size() - 1);
}

TEST(TypedSample, EachFormAndTypeIsLaidOutAsGfortranWritesIt)
{
    const std::string gfortran = FindOnPath("gfortran");
    if (gfortran.empty())
        GTEST_SKIP() << "gfortran is not installed";
    std::vector<SCase> cases;
    for (const SForm& form : kForms)
        for (const SItemKind& type : kTypes)
            cases.push_back(MakeCase(form, type));
    CTempDir dir;
    dir.Write("typed.f90", Program(cases));
    const SProcessResult build = RunProcess(gfortran, {"-O0", "-w", "-o", dir.File("typed"), dir.File("typed.f90")},
                                            dir.Path());
    ASSERT_EQ(build.nExitStatus, 0) << build.strErr;
    const SProcessResult run = RunProcess(dir.File("typed"), {}, dir.Path());
    ASSERT_EQ(run.nExitStatus, 0) << run.strErr;

    std::map<std::string, int> counts;
    std::size_t nFrom = 0;
    for (const SCase& c : cases) {
        const std::size_t nEnd = run.strOut.find('\n', nFrom);
        ASSERT_NE(nEnd, std::string::npos);
        const std::string line = run.strOut.substr(nFrom, nEnd - nFrom);
        nFrom = nEnd + 1;
        SCOPED_TRACE(std::string(c.pType->pszDeclaration) + " under (" + c.pForm->pszList + "): " + line);
        const bool bRefused = line.rfind("0 ", 0) != 0;
        if (bRefused) {
            // the finding says it; the refused field's sample stays
            for (std::size_t i = 0; i < c.kinds.size(); ++i) {
                const TransferVerdict verdict = JudgeTransfer(c.kinds[i], c.pType->type, false).verdict;
                EXPECT_FALSE(c.typedFields[i] && verdict == TransferVerdict::REFUSED) << i;
            }
            ++counts["refused, sample kept"];
            continue;
        }
        if (!c.bTyped) {
            ++counts["taken, sample kept"];
            continue;
        }
        std::string shown;
        for (const std::string& sample : c.samples)
            shown += sample;
        bool bEnded = false;
        const std::string record = Record(line, &bEnded);
        if (bEnded)
            shown.erase(shown.find_last_not_of(' ') + 1);
        EXPECT_EQ(shown, record);
        ++counts["typed, as written"];
    }
    std::string summary;
    for (const auto& [what, n] : counts)
        summary += " " + what + ": " + std::to_string(n) + ";";
    std::printf("%zu typed samples run through gfortran:%s\n", cases.size(), summary.c_str());
    EXPECT_GE(counts["typed, as written"], 40);
}

// A real item, a type not known, one the run time takes as bytes and a
// character item of unknown length leave the field's sample as it is; a
// value or sample of the user's own is kept.
TEST(TypedSample, WhatTheTypesDoNotLayOutKeepsItsSample)
{
    CDescriptorList list;
    ASSERT_TRUE(list.Split("(G12.4, A, I5, L3, A7)\n").Ok());
    const std::vector<std::vector<SItemType>> types = {{{ItemType::REAL, 4}},
                                                       {{ItemType::CHARACTER, 0, -1}},
                                                       {{ItemType::INTEGER, 4}},
                                                       {{ItemType::INTEGER, 4}},
                                                       {{ItemType::UNKNOWN, 0}}};
    for (const std::optional<std::string>& sample : TypedSamples(list, types))
        EXPECT_FALSE(sample.has_value()) << *sample;
    CDescriptorList custom;
    ASSERT_TRUE(custom.Split("(G12.4, A, L5)\n").Ok());
    const std::vector<std::vector<SItemType>> typed = {
        {{ItemType::INTEGER, 4}}, {{ItemType::CHARACTER, 0, 3}}, {{ItemType::LOGICAL, 4}}};
    EXPECT_EQ(TypedSamples(custom, typed)[1], "abc");
    ASSERT_TRUE(custom.SetValue(0, "42"));
    ASSERT_TRUE(custom.SetSample(1, "xyz"));
    const std::vector<std::optional<std::string>> kept = TypedSamples(custom, typed);
    EXPECT_FALSE(kept[0].has_value());
    EXPECT_FALSE(kept[1].has_value());
    EXPECT_EQ(kept[2], "    T");
}

// A repeated edit over many elements builds its samples once per pass,
// cut to the longest sample, and an unlimited group shows no later passes.
TEST(TypedSample, LongRunsAreCutAndUnlimitedGroupsShowNoLaterPasses)
{
    CDescriptorList list;
    ASSERT_TRUE(list.Split("(1000000000A9, *(G0))\n").Ok());
    std::vector<std::vector<SItemType>> types(static_cast<std::size_t>(list.size()));
    types[0].assign(200000, {ItemType::CHARACTER, 0, 9});
    types[2].assign(3, {ItemType::INTEGER, 4});
    const std::vector<std::optional<std::string>> samples = TypedSamples(list, types);
    ASSERT_TRUE(samples[0].has_value());
    EXPECT_EQ(static_cast<long long>(samples[0]->size()), MAX_SAMPLE_LENGTH);
    EXPECT_EQ(samples[2], "1234567");
    EXPECT_FALSE(samples[3].has_value());
}

// Where typed samples change a field's width, what follows stands where
// it would after a field written with that width: a Tn's blanks reach
// column n from where the typed samples end, and every field's record and
// columns are those of the list written out. Each case: the list, the
// items it edits, the same list with the widths the items give.
TEST(TypedSample, FieldsAfterATypedSampleStandWhereItsWidthPutsThem)
{
    const SItemType c5{ItemType::CHARACTER, 0, 5};
    const SItemType c12{ItemType::CHARACTER, 0, 12};
    const SItemType i4{ItemType::INTEGER, 4};
    const SItemType l4{ItemType::LOGICAL, 4};
    struct SCase {
        const char* pszList;
        std::vector<std::pair<SItemType, long long>> items;
        const char* pszWritten;
    } const kCases[] = {
        {"(A, T20, A)", {{c5, 2}}, "(A5, T20, A5)"},
        {"(A, T20, A)", {{c12, 1}, {c5, 1}}, "(A12, T20, A5)"},
        {"(A, T3, I3)", {{c12, 1}, {i4, 1}}, "(A12, T3, I3)"},
        {"(G0, 1X, G0, T30, L2)", {{i4, 2}, {l4, 1}}, "(I0, 1X, I0, T30, L2)"},
        {"(2(A, 1X), T25, A)", {{c5, 3}}, "(2(A5, 1X), T25, A5)"},
        {"(A, /, T10, G4.1, T20, I2)", {{c12, 1}, {l4, 1}, {i4, 1}}, "(A12, /, T10, L4, T20, I2)"},
        {"(T5, A, T40)", {{c12, 1}}, "(T5, A12, T40)"},
    };
    for (const SCase& c : kCases) {
        SCOPED_TRACE(c.pszList);
        CDescriptorList list, written;
        ASSERT_TRUE(list.Split(std::string(c.pszList) + "\n").Ok());
        ASSERT_TRUE(written.Split(std::string(c.pszWritten) + "\n").Ok());
        std::vector<SIoItem> items;
        for (const auto& [type, nElements] : c.items)
            items.push_back({type, nElements});
        const SItemMatch match = MatchItems(FormatEditsOf(list), items, false);
        const std::vector<std::optional<std::string>> typed = TypedSamples(
            list, FirstRecordTypes(match, items, static_cast<std::size_t>(list.size())));
        std::vector<long long> widths;
        for (int i = 0; i < list.size(); ++i) {
            std::string shown, expected;
            const std::optional<std::string>& own = typed[static_cast<std::size_t>(i)];
            if (own)
                shown = *own;
            else
                list.GetRepeatedSample(i, shown);
            written.GetRepeatedSample(i, expected);
            EXPECT_EQ(shown, expected) << "field " << i;
            widths.push_back(own ? static_cast<long long>(own->size()) : -1);
        }
        const std::vector<SFieldPlace> places = LayOutFields(list, widths);
        const std::vector<SFieldPlace> expected = LayOutFields(written);
        for (std::size_t i = 0; i < places.size(); ++i) {
            EXPECT_EQ(places[i].nRecord, expected[i].nRecord) << "field " << i;
            EXPECT_EQ(places[i].nColumn, expected[i].nColumn) << "field " << i;
            EXPECT_EQ(places[i].nWidth, expected[i].nWidth) << "field " << i;
        }
        // the status line's columns are the laid-out ones
        EXPECT_NE(DescribeField(list, list.size() - 1, widths).find(ColumnsText(expected.back())), std::string::npos);
    }
}

}  // namespace
