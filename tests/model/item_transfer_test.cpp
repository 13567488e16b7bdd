// Items under the data edits that take them, checked against gfortran at
// test time: a program built once runs each case (one type and kind, one
// edit, input or output) in a process of its own, since one case stops the
// run time outright. Every case the run time refuses must be judged
// REFUSED with its message, every case it stops on CRASHES, and every
// case it takes FITS or ODD.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "descriptor_list.h"
#include "item_transfer.h"
#include "process_runner.h"
#include "temp_dir.h"

namespace {

struct SItemCase {
    const char* pszDeclaration;
    SItemType type;
    const char* pszValue;
};

const SItemCase kItems[] = {
    {"integer(1)", {ItemType::INTEGER, 1}, "3"},
    {"integer(2)", {ItemType::INTEGER, 2}, "3"},
    {"integer(4)", {ItemType::INTEGER, 4}, "3"},
    {"integer(8)", {ItemType::INTEGER, 8}, "3"},
    {"integer(16)", {ItemType::INTEGER, 16}, "3"},
    {"real(4)", {ItemType::REAL, 4}, "2.5"},
    {"real(8)", {ItemType::REAL, 8}, "2.5"},
    {"real(10)", {ItemType::REAL, 10}, "2.5"},
    {"real(16)", {ItemType::REAL, 16}, "2.5"},
    {"complex(4)", {ItemType::COMPLEX, 4}, "(1.5,2.5)"},
    {"complex(8)", {ItemType::COMPLEX, 8}, "(1.5,2.5)"},
    {"logical(1)", {ItemType::LOGICAL, 1}, ".true."},
    {"logical(4)", {ItemType::LOGICAL, 4}, ".true."},
    {"logical(8)", {ItemType::LOGICAL, 8}, ".true."},
    {"character(5)", {ItemType::CHARACTER, 0}, "'abcde'"},
};

// Each edit twice, so that a complex item takes both parts; the forms
// without a width only on output, where gfortran reads them.
const char* const kEdits[] = {"I5",      "I5.3",   "I0",     "B8",    "O8",    "Z8", "F8.2", "F0.2", "E12.4",
                              "E12.4E3", "ES12.4", "EN12.4", "D12.4", "G12.4", "G0", "L3",   "A",    "A8"};

bool OutputOnly(const std::string& edit)
{
    return edit == "I0" || edit == "F0.2" || edit == "G0";
}

struct SCase {
    std::size_t nItem;
    std::string edit;
    bool bInput;
};

std::vector<SCase> Cases()
{
    std::vector<SCase> cases;
    for (std::size_t i = 0; i < std::size(kItems); ++i)
        for (const char* pszEdit : kEdits)
            for (const bool bInput : {false, true})
                if (!bInput || !OutputOnly(pszEdit))
                    cases.push_back({i, pszEdit, bInput});
    return cases;
}

// What a field of the edit reads: a logical under L or G reads T.
std::string InputFor(const SCase& c)
{
    const bool bLogical = c.edit[0] == 'L' || (c.edit[0] == 'G' && kItems[c.nItem].type.type == ItemType::LOGICAL);
    return bLogical ? "  T  T  T  T" : "    1    1    1";
}

// The program: case n of the command line does its one transfer, then
// prints IOSTAT and IOMSG.
std::string Program(const std::vector<SCase>& cases)
{
    std::string s = "program transfer\n  implicit none\n  integer :: ios, n\n  character(200) :: msg\n"
                    "  character(60) :: buf\n  character(8) :: arg\n";
    for (std::size_t i = 0; i < std::size(kItems); ++i)
        s += "  " + std::string(kItems[i].pszDeclaration) + " :: v" + std::to_string(i) + "\n";
    for (std::size_t i = 0; i < std::size(kItems); ++i)
        s += "  v" + std::to_string(i) + " = " + kItems[i].pszValue + "\n";
    s += "  call get_command_argument(1, arg)\n  read (arg, *) n\n  msg = ''\n  ios = 0\n  select case (n)\n";
    for (std::size_t k = 0; k < cases.size(); ++k) {
        const SCase& c = cases[k];
        const std::string item = "v" + std::to_string(c.nItem);
        s += "  case (" + std::to_string(k) + ")\n";
        s += c.bInput
                 ? "    buf = '" + InputFor(c) + "'\n    read (buf, '(2" + c.edit + ")', iostat=ios, iomsg=msg) " + item
                 : "    write (buf, '(2" + c.edit + ")', iostat=ios, iomsg=msg) " + item;
        s += "\n";
    }
    s += "  end select\n  print '(i0,1x,a)', ios, trim(msg)\nend program\n";
    return s;
}

TEST(ItemTransfer, EveryTypeUnderEveryDataEditIsJudgedAsGfortranDoesIt)
{
    const std::string gfortran = FindOnPath("gfortran");
    if (gfortran.empty())
        GTEST_SKIP() << "gfortran is not installed";
    const std::vector<SCase> cases = Cases();
    CTempDir dir;
    dir.Write("transfer.f90", Program(cases));
    const SProcessResult build = RunProcess(
        gfortran, {"-O0", "-w", "-o", dir.File("transfer"), dir.File("transfer.f90")}, dir.Path());
    ASSERT_EQ(build.nExitStatus, 0) << build.strErr;

    std::map<std::string, int> counts;
    for (std::size_t k = 0; k < cases.size(); ++k) {
        const SCase& c = cases[k];
        const SItemCase& item = kItems[c.nItem];
        SCOPED_TRACE(std::string(item.pszDeclaration) + " under " + c.edit + (c.bInput ? " on input" : " on output"));
        CDescriptorList list;
        ASSERT_TRUE(list.InsertDescriptor(0, c.edit.c_str()));
        const STransfer judged = JudgeTransfer(list.At(0).Kind(), item.type, c.bInput);
        const SProcessResult run = RunProcess(dir.File("transfer"), {std::to_string(k)}, dir.Path());
        if (run.nExitStatus != 0 || run.strErr.find("Internal Error") != std::string::npos) {
            EXPECT_EQ(judged.verdict, TransferVerdict::CRASHES) << run.strErr;
            ++counts["stopped by the run time"];
            continue;
        }
        const std::string ios = run.strOut.substr(0, run.strOut.find(' '));
        if (ios == "5006") {
            EXPECT_EQ(judged.verdict, TransferVerdict::REFUSED) << run.strOut;
            // (the message goes on with the format and a caret under the edit)
            EXPECT_EQ(run.strOut.substr(0, run.strOut.find('\n')), "5006 " + RefusalText(judged, 1));
            ++counts["refused"];
        } else {
            EXPECT_EQ(ios, "0") << run.strOut;
            EXPECT_TRUE(judged.verdict == TransferVerdict::FITS || judged.verdict == TransferVerdict::ODD)
                << static_cast<int>(judged.verdict);
            ++counts[judged.verdict == TransferVerdict::FITS ? "taken, fits" : "taken, odd"];
        }
    }
    std::string summary;
    for (const auto& [what, n] : counts)
        summary += " " + what + ": " + std::to_string(n) + ";";
    std::printf("%zu transfers run through gfortran:%s\n", cases.size(), summary.c_str());
}

// What takes no item, or a type nobody knows, is never judged.
TEST(ItemTransfer, WhatTakesNoItemOrAnUnknownTypeIsNeverJudged)
{
    for (const char* pszEdit : {"'x'", "1X", "T5", "/", "SP", "2P", "(", ")", ":", "DT"}) {
        CDescriptorList list;
        ASSERT_TRUE(list.InsertDescriptor(0, pszEdit)) << pszEdit;
        EXPECT_EQ(JudgeTransfer(list.At(0).Kind(), {ItemType::INTEGER, 4}, false).verdict, TransferVerdict::UNKNOWN)
            << pszEdit;
    }
    for (const ItemType type : {ItemType::DERIVED, ItemType::UNKNOWN})
        EXPECT_EQ(JudgeTransfer(KIND_IW, {type, 0}, false).verdict, TransferVerdict::UNKNOWN);
}

}  // namespace
