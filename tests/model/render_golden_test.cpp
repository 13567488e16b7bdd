// Temporary: records every sample and derived text of a large table of
// descriptors, modes and values, and compares with what was recorded.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "descriptor_list.h"

namespace {

std::string Escaped(const std::string& s)
{
    std::string out;
    for (char c : s)
        out += (c == '\n') ? std::string("\\n") : std::string(1, c);
    return out;
}

std::string Record()
{
    const std::vector<std::string> descriptors = {
        "I", "I0", "I1", "I5", "I12", "I5.3", "I5.0", "I0.4", "I3.5", "F", "F0.0", "F0.3", "F1.0", "F3.3", "F5.1",
        "F10.3", "F12.0", "F25.12", "D", "D0.3", "D10.3", "D6.3", "E", "E0.0", "E0.4", "E10.3", "E12.4", "E6.3",
        "E12.3E0", "E12.3E1", "E14.4E3", "E0.4E2", "E8.2E4", "E12.3D2", "EN", "EN0.2", "EN12.3", "EN14.3E3", "ES",
        "ES0.3", "ES12.3", "ES14.3E3", "G", "G0", "G0.4", "G0.4E3", "G10.3", "G12.5", "G6.2", "G12.3E2", "G12.3E0",
        "L", "L0", "L1", "L4", "A", "A1", "A5", "A12", "B", "B0", "B8", "B8.6", "O", "O0", "O6", "O6.4", "Z", "Z0",
        "Z6", "Z8.8", "EX", "EX0.3", "EX14.3", "EX16.4E3", "G5", "T5", "TL2", "TR3", "3X", "X", "'ab'", "3Habc",
        "2(I3)", "(F5.1,I2)", "I1000", "F2000.3"};
    const std::vector<std::string> modes = {"", "SP", "SS", "2P", "-2P", "1P", "-1P", "5P", "DC", "RU", "RD",
                                            "RZ", "RN", "RC", "RP", "SP,DC,1P,RU", "SP,-3P,RN", "3P,RZ,DC"};
    const std::vector<std::string> values = {"",
                                             "0",
                                             "1",
                                             "-1",
                                             "7",
                                             "1.5",
                                             "-2.5",
                                             "0.5",
                                             "-0.0005",
                                             "123456789",
                                             "1234567890123456789012",
                                             "1.5E3",
                                             " + 1 . 5 E - 2 ",
                                             "1.5+3",
                                             "1e400",
                                             "1e-400",
                                             "1.0E99999999999999999999",
                                             "Inf",
                                             "-Infinity",
                                             "nan",
                                             ".TRUE.",
                                             "F",
                                             ".f.",
                                             "abc",
                                             "777",
                                             "1011",
                                             "FF",
                                             "1,5",
                                             "9.9999",
                                             "0.125",
                                             "99999.5",
                                             "-0.0",
                                             "3.14159265358979",
                                             ".",
                                             "+",
                                             "E5",
                                             "1.5Q2",
                                             "2D-3",
                                             "  42  ",
                                             "-000123.4500",
                                             "1.5e-310",
                                             "65536",
                                             "4294967296"};
    const std::vector<std::string> typedSamples = {"12.5", "  1.500E+03", "-3", "T", "abc", "0.125E+01", "1,5",
                                                   "  ***", "+1.23", "1.2E+6"};
    std::ostringstream out;
    for (const CDescriptorTable* pTable : {&DefaultDescriptorTable(), &StrictDescriptorTable()}) {
        for (bool bExact : {false, true}) {
            for (const std::string& mode : modes) {
                for (const std::string& d : descriptors) {
                    const std::string list = "(" + (mode.empty() ? std::string() : mode + ",") + d + ")\n";
                    CDescriptorList l(*pTable);
                    l.SetExact(bExact);
                    if (!l.Split(list)) {
                        out << list << " SPLIT FAILED\n";
                        continue;
                    }
                    const int n = l.size() - 1;
                    for (const std::string& v : values) {
                        const int nOk = l.SetValue(n, v.c_str());
                        std::string s;
                        l.GetSample(n, s);
                        out << bExact << pTable->ExtendedForms() << "|" << mode << "|" << d << "|" << v << "|" << nOk
                            << "|" << Escaped(s) << "|" << l.At(n).Refusal().nStringId << "\n";
                    }
                    l.SetValue(n, "");
                    for (const std::string& t : typedSamples) {
                        const int nOk = l.SetSample(n, t.c_str());
                        std::string text;
                        l.GetText(n, text);
                        out << "D" << bExact << pTable->ExtendedForms() << "|" << mode << "|" << d << "|" << t << "|"
                            << nOk << "|" << Escaped(text) << "\n";
                        l.RevertToGood(n);
                    }
                }
            }
        }
    }
    return out.str();
}

}  // namespace

TEST(RenderGolden, SamplesAreAsRecorded)
{
    const std::string path = QUILLMARK_GOLDEN_FILE;
    const std::string now = Record();
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::ofstream(path, std::ios::binary) << now;
        GTEST_SKIP() << "recorded " << path;
    }
    std::stringstream was;
    was << in.rdbuf();
    std::istringstream a(was.str()), b(now);
    std::string la, lb;
    int nDiff = 0, nLines = 0;
    while (std::getline(a, la)) {
        ++nLines;
        if (!std::getline(b, lb))
            lb = "<missing>";
        if (la != lb && ++nDiff <= 40)
            ADD_FAILURE() << "was: " << la << "\nnow: " << lb;
    }
    EXPECT_EQ(nDiff, 0) << "of " << nLines;
    EXPECT_FALSE(std::getline(b, lb)) << "extra output";
}
