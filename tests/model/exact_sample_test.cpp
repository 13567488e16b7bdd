// The compiler-exact samples against the compiler itself: a small Fortran
// program, built with gfortran at test time, writes many (modes, descriptor,
// value) triples through formatted WRITE statements, and every line it prints
// must be the engine's sample byte for byte. The triples are random (with a
// fixed seed, so that a failure repeats) over every family the engine lays
// out, plus the values where layouts turn: zeros of both signs, carries into
// a new digit, exact ties, the largest and smallest doubles, infinities and
// values too wide for their fields.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "char_class.h"
#include "exact_sample.h"
#include "model_helpers.h"
#include "process_runner.h"
#include "temp_dir.h"

namespace {

// What the program reads for one triple: the variable's type, the format
// text and the value text.
struct SExactCase {
    char chType;           // R: REAL(8), I: INTEGER(8), L: LOGICAL, A: CHARACTER
    std::string strModes;  // the mode descriptors before the field ("SP,2P,")
    SNumberModes modes;
    std::string strDescriptor;
    std::string strValue;
};

// Reads records of three lines (type and character length, format, value),
// writes the value through the format into a line and prints it; a line that
// the compiler's library refuses prints as !ERR.
constexpr const char* kProgram = R"(program exact_samples
  implicit none
  character(len=400) :: kindline, fmt, val
  character(len=4000) :: buf
  real(8) :: x
  integer(8) :: i
  logical :: l
  integer :: ios, n
  open(unit=10, file='cases.txt', status='old', action='read')
  do
    read(10, '(A)', iostat=ios) kindline
    if (ios /= 0) exit
    read(10, '(A)') fmt
    read(10, '(A)') val
    buf = ' '
    select case (kindline(1:1))
    case ('R')
      read(val, *, iostat=ios) x
      if (ios == 0) write(buf, fmt, iostat=ios) x
    case ('I')
      read(val, *, iostat=ios) i
      if (ios == 0) write(buf, fmt, iostat=ios) i
    case ('L')
      read(val, *, iostat=ios) l
      if (ios == 0) write(buf, fmt, iostat=ios) l
    case default
      read(kindline(2:), *) n
      write(buf, fmt, iostat=ios) val(1:n)
    end select
    if (ios /= 0) then
      write(*, '(A)') '!ERR'
    else
      write(*, '(A)') trim(buf)
    end if
  end do
end program
)";

// The seed of a random set: its fixed one, or QUILLMARK_EXACT_SEED plus it,
// so that a longer search can run the same test over other triples.
std::uint64_t SeedOf(std::uint64_t fixed)
{
    const char* extra = std::getenv("QUILLMARK_EXACT_SEED");
    return fixed + (extra != nullptr ? std::strtoull(extra, nullptr, 10) : 0);
}

// ---------------------------------------------------------------------------
// The triples.

class CCaseMaker {
public:
    explicit CCaseMaker(std::uint64_t seed) : m_rng(seed) {}

    long long Int(long long lo, long long hi) { return std::uniform_int_distribution<long long>(lo, hi)(m_rng); }
    bool Chance(int percent) { return Int(1, 100) <= percent; }
    template <class T>
    const T& Pick(const std::vector<T>& items)
    {
        return items[static_cast<std::size_t>(Int(0, static_cast<long long>(items.size()) - 1))];
    }

    // Random mode descriptors: the sign mode, the decimal mode, the rounding
    // mode and, for the real forms, a scale factor in the range kP takes.
    void Modes(SExactCase& c, bool bScale, long long kLo, long long kHi)
    {
        c.strModes.clear();
        c.modes = SNumberModes{};
        static const std::vector<std::string> kSigns{"", "", "SP,", "SS,", "S,"};
        const std::string sign = Pick(kSigns);
        c.strModes += sign;
        c.modes.nPlus = sign == "SP," ? 1 : 0;
        if (Chance(25)) {
            c.strModes += "DC,";
            c.modes.nComma = 1;
        } else if (Chance(10)) {
            c.strModes += "DP,";
        }
        static const std::vector<std::string> kRounds{"", "", "RU", "RD", "RZ", "RN", "RC", "RP"};
        const std::string round = Pick(kRounds);
        if (!round.empty()) {
            c.strModes += round + ",";
            c.modes.nRound = RoundingOfText(round);
        }
        if (bScale && Chance(40)) {
            const long long k = Int(kLo, kHi);
            c.strModes += std::to_string(k) + "P,";
            c.modes.nScale = k;
        }
    }

    // A REAL(8) value text: random digits at any exponent, exact bit
    // patterns, digits that carry when rounded, exact ties and the edges.
    std::string RealValue()
    {
        static const std::vector<std::string> kEdges{"0",
                                                     "-0.0",
                                                     "0.5",
                                                     "-0.5",
                                                     "0.125",
                                                     "-2.5",
                                                     "0.05",
                                                     "9.9999",
                                                     "-9.9999",
                                                     "99.995",
                                                     "999.5",
                                                     "0.099999",
                                                     "0.1",
                                                     "1",
                                                     "1e308",
                                                     "-1.7976931348623157e308",
                                                     "2.2250738585072014e-308",
                                                     "4.9e-324",
                                                     "1e-310",
                                                     "1e100",
                                                     "1e-100",
                                                     "1e99",
                                                     "1e-99",
                                                     "9.9999999e99",
                                                     "1e999",
                                                     "-1e999",
                                                     "123456789012345678901234567890",
                                                     "0.000123456",
                                                     "1000",
                                                     "999999.5",
                                                     "0.95",
                                                     "-0.004"};
        if (Chance(8))
            return Pick(kEdges);
        if (Chance(25)) {
            // Any finite double, as its shortest exact text.
            double x = 0;
            do
                x = std::bit_cast<double>(static_cast<std::uint64_t>(m_rng()));
            while (!std::isfinite(x));
            char buf[40];
            std::snprintf(buf, sizeof buf, "%.17g", x);
            return buf;
        }
        std::string digits;
        const long long nDigits = Int(1, 12);
        const bool bNines = Chance(15);
        for (long long i = 0; i < nDigits; ++i)
            digits += bNines ? '9' : static_cast<char>('0' + Int(0, 9));
        if (Chance(15))
            digits += "5";  // a tie in decimal (not always in binary)
        const long long nExp = Chance(70) ? Int(-8, 8) : Int(-320, 308);
        return std::string(Chance(30) ? "-" : "") + "0." + digits + "e" + std::to_string(nExp);
    }

    std::string IntegerValue()
    {
        static const std::vector<std::string> kEdges{"0",
                                                     "-1",
                                                     "1",
                                                     "9223372036854775807",
                                                     "-9223372036854775808",
                                                     "-9223372036854775807",
                                                     "255",
                                                     "-256",
                                                     "99999",
                                                     "100000",
                                                     "4294967296",
                                                     "-4294967296",
                                                     "8589934592",
                                                     "4294967297"};
        if (Chance(10))
            return Pick(kEdges);
        const long long nDigits = Int(1, 18);
        long long v = 0;
        for (long long i = 0; i < nDigits; ++i)
            v = v * 10 + Int(0, 9);
        return (Chance(30) ? "-" : "") + std::to_string(v);
    }

    SExactCase Real()
    {
        SExactCase c;
        c.chType = 'R';
        c.strValue = RealValue();
        const long long w = Int(1, 40);
        const long long d = Int(0, std::max(0LL, std::min(w, 18LL)));
        const long long e = Int(1, 4);
        switch (Int(0, 8)) {
        case 0:
        case 1:
            Modes(c, true, -6, 6);
            c.strDescriptor = "F" + std::to_string(w) + "." + std::to_string(d);
            break;
        case 2: {
            const long long dd = std::max(1LL, d);
            Modes(c, true, -dd + 1, dd + 1);  // the scale factors E and D take
            const bool bE = Chance(50);
            const std::string letter = Chance(25) ? "D" : "E";
            c.strDescriptor = letter + std::to_string(w) + "." + std::to_string(dd);
            if (bE && letter == "E")
                c.strDescriptor += "E" + std::to_string(e);
            break;
        }
        case 3:
        case 4: {
            Modes(c, true, -3, 3);  // no effect on ES and EN
            c.strDescriptor = (Chance(50) ? "ES" : "EN") + std::to_string(w) + "." + std::to_string(d);
            if (Chance(40))
                c.strDescriptor += "E" + std::to_string(e);
            break;
        }
        default: {
            const long long dd = std::max(1LL, d);
            Modes(c, true, -dd + 1, dd + 1);
            c.strDescriptor = "G" + std::to_string(w) + "." + std::to_string(dd);
            if (Chance(30))
                c.strDescriptor += "E" + std::to_string(e);
            break;
        }
        }
        return c;
    }

    SExactCase Integer()
    {
        SExactCase c;
        c.chType = 'I';
        c.strValue = IntegerValue();
        Modes(c, false, 0, 0);
        static const std::vector<std::string> kLetters{"I", "I", "B", "O", "Z"};
        c.strDescriptor = Pick(kLetters);
        const long long w = Chance(5) ? 0 : Int(1, c.strDescriptor == "B" ? 70 : 30);
        c.strDescriptor += std::to_string(w);
        if (Chance(50))
            c.strDescriptor += "." + std::to_string(Int(0, w == 0 ? 5 : w));
        return c;
    }

    SExactCase Logical()
    {
        SExactCase c;
        c.chType = 'L';
        static const std::vector<std::string> kValues{"T", "F", ".TRUE.", ".false.", "t", ".F."};
        c.strValue = Pick(kValues);
        Modes(c, false, 0, 0);
        c.strDescriptor = "L" + std::to_string(Int(1, 6));
        return c;
    }

    SExactCase Character()
    {
        SExactCase c;
        c.chType = 'A';
        const long long n = Int(1, 20);
        for (long long i = 0; i < n; ++i)
            c.strValue += static_cast<char>(Chance(10) ? ' ' : 'a' + Int(0, 25));
        Modes(c, false, 0, 0);
        c.strDescriptor = Chance(15) ? "A" : "A" + std::to_string(Int(1, 25));
        return c;
    }

    // Values where the layouts turn: next to the limits between G's fixed
    // and exponent forms, EN's powers of a thousand and the carries into a
    // new digit, as exact doubles and their neighbours.
    std::string BoundaryValue(long long d)
    {
        const long long n = Int(-4, 12);
        double x = std::pow(10.0, static_cast<double>(n)) * (1 - 0.5 * std::pow(10.0, static_cast<double>(-d)));
        if (Chance(30))
            x = std::pow(10.0, static_cast<double>(n));
        for (long long i = Int(-2, 2); i != 0; i += i > 0 ? -1 : 1)
            x = std::nextafter(x, i > 0 ? HUGE_VAL : 0.0);
        char buf[40];
        std::snprintf(buf, sizeof buf, "%.17g", Chance(30) ? -x : x);
        return buf;
    }

    // The letter of a w.dEe form: mostly E, sometimes e, and D, which the
    // library refuses there.
    std::string ExponentLetter()
    {
        static const std::vector<std::string> kLetters{"E", "E", "E", "e", "D"};
        return Pick(kLetters);
    }

    // Fields of width 0 (E0.d, ES0.dEe, F0.d, I0.m, ...): the width is the
    // number's own, the exponent as long as it needs.
    SExactCase Minimal()
    {
        SExactCase c;
        c.chType = 'R';
        c.strValue = Chance(30) ? BoundaryValue(Int(1, 8)) : RealValue();
        const std::string d = std::to_string(Int(0, 24));
        static const std::vector<std::string> kLetters{"E", "D", "ES", "EN", "F", "G"};
        const std::string letter = Pick(kLetters);
        const long long dd = std::stoll(d);
        const bool bScaleRange = letter == "E" || letter == "D" || letter == "G";
        Modes(c, true, bScaleRange ? -dd + 1 : -4, bScaleRange ? dd + 1 : 4);
        c.strDescriptor = letter == "G" && Chance(30) ? "G0" : letter + "0." + d;
        if (letter != "D" && letter != "F" && c.strDescriptor != "G0" && Chance(letter == "G" ? 5 : 30))
            c.strDescriptor += "E" + std::to_string(Int(1, 4));
        if (Chance(20)) {
            c.chType = 'I';
            c.strValue = IntegerValue();
            static const std::vector<std::string> kIntegers{"I0", "B0", "O0", "Z0", "I0.5", "Z0.0", "B0.12"};
            c.strDescriptor = Pick(kIntegers);
            Modes(c, false, 0, 0);
        }
        return c;
    }

    // The forms at the edges of what the library takes: widths of 0, no
    // digits after the point, scale factors far out, infinities, long
    // expansions of many digits and value texts in every spelling.
    SExactCase Edge()
    {
        SExactCase c;
        c.chType = 'R';
        static const std::vector<std::string> kOdd{"Inf",       "-Infinity", "+inf",    "NaN", "1.5D3",
                                                   "+2.",       ".5",        "-.25e-2", "7",   "1e-320",
                                                   "-4.9e-324", "0.1",       "1+5",     "2-3"};
        const long long d = Int(0, 12);
        c.strValue = Chance(20) ? Pick(kOdd) : Chance(50) ? BoundaryValue(std::max(1LL, d)) : RealValue();
        const long long w = Chance(10) ? 0 : Int(1, 45);
        const std::string wd = std::to_string(w) + "." + std::to_string(d);
        switch (Int(0, 6)) {
        case 0:
            Modes(c, true, -30, 8);
            c.strDescriptor = "F" + wd;
            break;
        case 1:
            Modes(c, true, -3, 3);
            c.strDescriptor = "G" + std::to_string(std::max(1LL, w)) + "." + std::to_string(d);
            if (Chance(30))
                c.strDescriptor += ExponentLetter() + std::to_string(Int(1, 4));
            break;
        case 2:
        case 3:
            Modes(c, true, -3, 3);
            c.strDescriptor = (Chance(50) ? "EN" : "ES") + std::to_string(w) + "." + std::to_string(d);
            if (Chance(30))
                c.strDescriptor += ExponentLetter() + std::to_string(Int(1, 4));
            break;
        case 4:
            // Scale factors inside and outside the range E and D take.
            Modes(c, true, -d - 1, d + 2);
            c.strDescriptor = (Chance(30) ? "D" : "E") + std::to_string(w) + "." + std::to_string(d);
            break;
        case 5:
            Modes(c, true, -30, 30);
            c.strDescriptor = "F" + std::to_string(Int(30, 60)) + "." + std::to_string(Int(20, 28));
            break;
        default: {
            c.chType = 'I';
            c.strValue = IntegerValue();
            Modes(c, false, 0, 0);
            static const std::vector<std::string> kLetters{"I", "B", "O", "Z"};
            c.strDescriptor = Pick(kLetters) + std::to_string(Chance(40) ? 0 : Int(1, 25));
            if (Chance(60))
                c.strDescriptor += "." + std::to_string(Int(0, 3));
            break;
        }
        }
        return c;
    }

private:
    std::mt19937_64 m_rng;
};

std::string FormatOf(const SExactCase& c)
{
    return "(" + c.strModes + c.strDescriptor + ",\"|\")";
}

std::string ClassOf(const SExactCase& c)
{
    std::string s;
    for (char ch : c.strDescriptor) {
        if (IsDigit(ch) || ch == '.')
            break;
        s += ch;
    }
    return s;
}

// Writes every case through the compiled program and compares its lines with
// the engine's samples; what the library refuses (a run-time error) the
// engine must refuse too. Returns the number of samples compared.
int CompareWithGfortran(const std::vector<SExactCase>& cases)
{
    const std::string gfortran = FindOnPath("gfortran");
    CTempDir dir;
    dir.Write("exact_samples.f90", kProgram);
    const SProcessResult build = RunProcess(
        gfortran, {"-O0", "-o", dir.File("exact_samples"), dir.File("exact_samples.f90")}, dir.Path());
    EXPECT_EQ(build.nExitStatus, 0) << build.strErr;
    // An empty value stands for the descriptor's default value, which the
    // program is given as text.
    std::string input;
    for (const SExactCase& c : cases) {
        const std::string value = c.strValue.empty()
                                      ? ExactDefaultValue(ParseDescriptor(c.strDescriptor, DefaultDescriptorTable()),
                                                          c.modes)
                                      : c.strValue;
        input += c.chType;
        input += c.chType == 'A' ? std::to_string(value.size()) : std::string();
        input += "\n" + FormatOf(c) + "\n" + value + "\n";
    }
    dir.Write("cases.txt", input);
    const SProcessResult run = RunProcess(dir.File("exact_samples"), {}, dir.Path());
    EXPECT_EQ(run.nExitStatus, 0) << run.strErr;

    std::vector<std::string> lines;
    std::stringstream out(run.strOut);
    for (std::string line; std::getline(out, line);)
        lines.push_back(line);
    EXPECT_EQ(lines.size(), cases.size());
    if (lines.size() != cases.size())
        return 0;

    int nCompared = 0, nRefused = 0;
    std::map<std::string, int> mismatches, refusals;
    std::string examples;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const SExactCase& c = cases[i];
        const SParsedDescriptor parsed = ParseDescriptor(c.strDescriptor, DefaultDescriptorTable());
        EXPECT_TRUE(parsed.IsValid()) << c.strDescriptor;
        std::string sample;
        const int nOk = ExactSample(parsed, c.modes, c.strValue, sample);
        const bool bRefused = lines[i] == "!ERR";
        const std::string expected = bRefused ? std::string() : lines[i].substr(0, lines[i].size() - 1);
        ++(bRefused ? nRefused : nCompared);
        if (bRefused)
            ++refusals[ClassOf(c)];
        if (bRefused ? nOk == 0 : nOk != 0 && sample == expected)
            continue;
        ++mismatches[ClassOf(c) + (bRefused ? " (refused by gfortran)" : "")];
        if (examples.size() < 6000)
            examples += FormatOf(c) + " " + c.strValue + ": gfortran [" + (bRefused ? "!ERR" : expected) +
                        "] engine [" + (nOk ? sample : std::string("(none)")) + "]\n";
    }
    std::string refused;
    for (const auto& [name, n] : refusals)
        refused += " " + name + ":" + std::to_string(n);
    std::printf("exact samples compared with gfortran: %d, refused by both: %d%s\n", nCompared, nRefused,
                refused.c_str());
    std::string summary;
    for (const auto& [name, n] : mismatches)
        summary += name + ": " + std::to_string(n) + "\n";
    EXPECT_TRUE(mismatches.empty()) << summary << examples;
    return nCompared;
}

}  // namespace

TEST(ExactSample, AgreesByteForByteWithGfortranOnRandomTriples)
{
    if (FindOnPath("gfortran").empty())
        GTEST_SKIP() << "gfortran is not installed";
    CCaseMaker maker(SeedOf(20261208));
    std::vector<SExactCase> cases;
    for (int i = 0; i < 24000; ++i) {
        const long long pick = maker.Int(0, 99);
        cases.push_back(pick < 70   ? maker.Real()
                        : pick < 88 ? maker.Integer()
                        : pick < 94 ? maker.Logical()
                                    : maker.Character());
        if (maker.Chance(10))
            cases.back().strValue.clear();  // the default value
    }
    EXPECT_GE(CompareWithGfortran(cases), 20000);
}

TEST(ExactSample, AgreesByteForByteWithGfortranAtTheEdges)
{
    if (FindOnPath("gfortran").empty())
        GTEST_SKIP() << "gfortran is not installed";
    CCaseMaker maker(SeedOf(8122026));
    std::vector<SExactCase> cases;
    for (int i = 0; i < 12000; ++i)
        cases.push_back(i % 4 == 3 ? maker.Minimal() : maker.Edge());
    EXPECT_GE(CompareWithGfortran(cases), 10000);
}

// An exponent width of 0 (E12.3E0) asks for as few exponent digits as the
// exponent needs: every E, EN, ES and G form with it, in fields wide enough,
// too narrow and of width 0, over values whose exponents take one, two and
// three digits, zeros of both signs, with and without a plus sign, a scale
// factor, rounding up and a decimal comma. gfortran 12 prints E12.3E0 of 1
// as 0.100E+1, of 1e100 as 0.100E+101; it refuses E12.0E0 and G12.0E0, as
// the engine must.
TEST(ExactSample, ExponentWidthZeroTakesTheDigitsTheExponentNeeds)
{
    if (FindOnPath("gfortran").empty())
        GTEST_SKIP() << "gfortran is not installed";
    const std::vector<std::string> values{"0",     "-0.0",     "0.1",   "-0.1",   "1",         "7",
                                          "0.95",  "9.9999",   "999.5", "-1e10",  "12345.678", "9.9996e9",
                                          "-5e-5", "-1.5e-12", "1e100", "1e-300", "-2.5e-100", ""};
    std::vector<SExactCase> cases;
    for (const char* letter : {"E", "EN", "ES", "G"})
        for (const char* widths : {"12.3", "14.5", "9.1", "8.3", "6.2", "12.0", "0.3", "0.0"})
            for (const char* modes : {"", "SP,", "2P,", "-1P,", "RU,DC,"})
                for (const std::string& value : values) {
                    SExactCase c;
                    c.chType = 'R';
                    c.strModes = modes;
                    c.modes.nPlus = c.strModes == "SP," ? 1 : 0;
                    c.modes.nScale = c.strModes == "2P," ? 2 : c.strModes == "-1P," ? -1 : 0;
                    c.modes.nComma = c.strModes == "RU,DC," ? 1 : 0;
                    c.modes.nRound = c.strModes == "RU,DC," ? EXACT_ROUND_UP : EXACT_ROUND_NONE;
                    c.strDescriptor = std::string(letter) + widths + "E0";
                    c.strValue = value;
                    cases.push_back(c);
                }
    EXPECT_GE(CompareWithGfortran(cases), 2000);
}

// The default value is the number the simplified default sample shows: that
// sample read back as a number (blanks dropped, D read as E) is the value the
// exact mode writes, for every width and digit count, with and without a
// plus sign.
TEST(ExactSample, DefaultValueIsTheNumberTheSimplifiedSampleShows)
{
    std::vector<std::string> texts{"I", "F", "E", "D", "G", "EN", "ES", "B", "O", "Z"};
    for (int w = 1; w <= 18; ++w) {
        texts.push_back("I" + std::to_string(w));
        for (const char* letter : {"B", "O", "Z"})
            texts.push_back(letter + std::to_string(std::min(w, 15)));
        for (int d = 0; d <= w; ++d) {
            texts.push_back("I" + std::to_string(w) + "." + std::to_string(d));
            texts.push_back("F" + std::to_string(w) + "." + std::to_string(d));
            for (const char* letter : {"E", "D", "G", "EN", "ES"})
                texts.push_back(letter + std::to_string(w + 5) + "." + std::to_string(d));
            for (const char* letter : {"E", "EN", "ES"})
                texts.push_back(letter + std::to_string(w + 6) + "." + std::to_string(d) + "E" + std::to_string(d % 4));
        }
    }
    int nChecked = 0;
    for (const bool bPlus : {false, true}) {
        for (const std::string& text : texts) {
            CDescriptorList list(DefaultDescriptorTable());
            ASSERT_TRUE(list.Split("(" + std::string(bPlus ? "SP," : "") + text + ")\n").Ok()) << text;
            std::string shown = list.At(list.size() - 1).Sample();
            if (shown.find('*') != std::string::npos || shown == INVALID_MARKER)
                continue;
            SNumberModes modes;
            modes.nPlus = bPlus ? 1 : 0;
            const SParsedDescriptor parsed = ParseDescriptor(text, DefaultDescriptorTable());
            const std::string value = ExactDefaultValue(parsed, modes);
            shown.erase(std::remove(shown.begin(), shown.end(), ' '), shown.end());
            if (shown.find_first_of("0123456789ABCDEF") == std::string::npos)
                shown = "0";  // a sign alone: no digits fit beside it
            const DescriptorFamily family = FamilyOf(parsed.nKind);
            if (family == FAMILY_BINARY || family == FAMILY_OCTAL || family == FAMILY_HEX) {
                const int base = family == FAMILY_BINARY ? 2 : family == FAMILY_OCTAL ? 8 : 16;
                EXPECT_EQ(std::stoull(shown, nullptr, base), std::stoull(value)) << text;
            } else if (family == FAMILY_INTEGER) {
                EXPECT_EQ(std::stoll(shown), std::stoll(value)) << text;
            } else {
                std::replace(shown.begin(), shown.end(), 'D', 'E');
                EXPECT_EQ(std::strtod(shown.c_str(), nullptr), std::strtod(value.c_str(), nullptr))
                    << text << " shows " << shown << ", the exact mode writes " << value;
            }
            ++nChecked;
        }
    }
    EXPECT_GT(nChecked, 2000);
    // The minimal widths show the simplified samples' value 1234567.1234567
    // (their simplified samples show it rounded: 0.123E+7).
    for (const char* text : {"E0.3", "D0.2", "ES0.5", "EN0.1", "G0", "G0.4", "F0.7"}) {
        const std::string value = ExactDefaultValue(ParseDescriptor(text, DefaultDescriptorTable()), SNumberModes{});
        EXPECT_EQ(std::strtod(value.c_str(), nullptr), 1234567.1234567) << text;
    }
}

// What gfortran cannot be asked: the forms the exact mode leaves to the
// simplified samples, values that cannot be read into the variable, and
// widths far beyond any real field, which must stay quick and bounded.
TEST(ExactSample, RefusesWhatItCannotShowAndStarsWhatItCannotRead)
{
    const auto exact = [](const std::string& text, const std::string& value, std::string& sample) {
        const SParsedDescriptor parsed = ParseDescriptor(text, DefaultDescriptorTable());
        EXPECT_TRUE(parsed.IsValid()) << text;
        return ExactSample(parsed, SNumberModes{}, value, sample);
    };
    std::string sample;
    for (const char* text : {"EX", "EX12.3", "EX20.6E3", "'text'", "3X", "SP", "/"})
        EXPECT_EQ(exact(text, "", sample), 0) << text;

    struct SUnreadable {
        const char* text;
        const char* value;
    };
    for (const SUnreadable& c : {SUnreadable{"F8.3", "abc"}, SUnreadable{"E12.4", "1.5x"}, SUnreadable{"G10.3", "--1"},
                                 SUnreadable{"I5", "1.5"}, SUnreadable{"I5", "99999999999999999999"},
                                 SUnreadable{"Z6", "12AB"}, SUnreadable{"L3", "yes"}, SUnreadable{"F6.2", "1e"}}) {
        ASSERT_EQ(exact(c.text, c.value, sample), 1) << c.text;
        const SParsedDescriptor parsed = ParseDescriptor(c.text, DefaultDescriptorTable());
        EXPECT_EQ(sample, std::string(static_cast<std::size_t>(parsed.nW), '*')) << c.text << " " << c.value;
    }

    for (const char* text :
         {"F1000000.999990", "E1000000.999990", "ES1000000.999990", "G1000000.999990", "I1000000", "A1000000"}) {
        ASSERT_EQ(exact(text, "", sample), 1) << text;
        EXPECT_EQ(sample.size(), 1000000u) << text;
    }
    // Scale factors as large as a kP takes, with narrow and wide fields.
    for (const long long k : {99999LL, -99999LL}) {
        SNumberModes modes;
        modes.nScale = k;
        for (const char* text : {"F20.5", "E20.5", "D20.5", "G20.5", "F1000000.999990", "E1000000.999990"}) {
            const SParsedDescriptor parsed = ParseDescriptor(text, DefaultDescriptorTable());
            if (ExactSample(parsed, modes, "-1.5e300", sample)) {
                EXPECT_EQ(sample.size(), static_cast<std::size_t>(parsed.nW)) << text << " " << k;
            }
        }
    }
    // A scale factor as large as an int (a kP count too large saturates to
    // it): F shows its asterisks without building a digit before the point
    // for each power of ten, and F0.d, which would print them all, is left to
    // the simplified sample.
    SNumberModes huge;
    huge.nScale = INT_MAX;
    ASSERT_EQ(ExactSample(ParseDescriptor("F10.3", DefaultDescriptorTable()), huge, "1.5", sample), 1);
    EXPECT_EQ(sample, "**********");
    EXPECT_EQ(ExactSample(ParseDescriptor("F0.3", DefaultDescriptorTable()), huge, "1.5", sample), 0);
}

namespace {

// One list for the list-level comparison: its descriptor texts, the value
// each data descriptor is given (empty: its default) and the Fortran
// constants of the WRITE statement's output items.
struct SExactList {
    std::vector<std::string> texts;
    std::vector<std::string> values;
    std::vector<std::string> items;
};

// A Fortran constant of the item's type for a value text.
std::string ConstantFor(DescriptorFamily family, const std::string& value)
{
    switch (family) {
    case FAMILY_CHARACTER: return "'" + value + "'";
    case FAMILY_LOGICAL: return value == "T" ? ".TRUE." : ".FALSE.";
    case FAMILY_INTEGER:
    case FAMILY_BINARY:
    case FAMILY_OCTAL:
    case FAMILY_HEX: return value + "_8";
    default: return value.find_first_of(".eEdD") == std::string::npos ? value + ".0_8" : value + "_8";
    }
}

// Whether a descriptor takes an item of the output list.
bool TakesItem(int kind)
{
    return IsDataFamily(FamilyOf(kind));
}

SExactList MakeList(CCaseMaker& maker)
{
    SExactList list;
    static const std::vector<std::string> kModes{"SP", "SS", "S", "DC", "DP", "RU", "RD", "RZ", "RN", "RC", "RP"};
    const long long nItems = maker.Int(1, 7);
    for (long long i = 0; i < nItems; ++i) {
        const long long pick = maker.Int(0, 99);
        if (pick < 25) {
            list.texts.push_back(maker.Chance(30) ? std::to_string(maker.Int(-2, 3)) + "P" : maker.Pick(kModes));
            continue;
        }
        if (pick < 30) {
            list.texts.push_back(maker.Chance(50) ? "\"ab\"" : std::to_string(maker.Int(1, 3)) + "X");
            continue;
        }
        const long long w = maker.Int(1, 16), d = maker.Int(4, 8);
        std::string text, value;
        switch (maker.Int(0, 9)) {
        case 0: text = "F" + std::to_string(w + 2) + "." + std::to_string(d - 4); break;
        case 1: text = "E" + std::to_string(w + 8) + "." + std::to_string(d); break;
        case 2: text = "D" + std::to_string(w + 8) + "." + std::to_string(d); break;
        case 3: text = "ES" + std::to_string(w + 8) + "." + std::to_string(d) + "E3"; break;
        case 4: text = "EN" + std::to_string(w + 8) + "." + std::to_string(d); break;
        case 5: text = "G" + std::to_string(w + 8) + "." + std::to_string(d); break;
        case 6: text = "I" + std::to_string(w) + (maker.Chance(50) ? "." + std::to_string(maker.Int(0, w)) : ""); break;
        case 7: text = std::string(maker.Chance(50) ? "Z" : "O") + std::to_string(w); break;
        case 8: text = "L" + std::to_string(maker.Int(1, 4)); break;
        default: text = "A" + std::to_string(maker.Int(1, 12)); break;
        }
        const DescriptorFamily family = FamilyOf(ParseDescriptor(text, DefaultDescriptorTable()).nKind);
        if (maker.Chance(50)) {
            if (family == FAMILY_CHARACTER)
                value = "xyz" + std::to_string(maker.Int(0, 999999));
            else if (family == FAMILY_LOGICAL)
                value = maker.Chance(50) ? "T" : "F";
            else if (family == FAMILY_INTEGER || family == FAMILY_HEX || family == FAMILY_OCTAL)
                value = std::to_string(maker.Int(-99999, 99999));
            else
                value = std::to_string(maker.Int(-9999, 9999)) + "." + std::to_string(maker.Int(0, 999)) + "e" +
                        std::to_string(maker.Int(-4, 4));
        }
        const long long nRepeat = maker.Chance(20) ? maker.Int(2, 3) : 1;
        if (nRepeat > 1)
            text = std::to_string(nRepeat) + text;
        list.texts.push_back(text);
        list.values.push_back(value);
        for (long long r = 0; r < nRepeat; ++r)
            list.items.push_back(value.empty() ? std::string() : ConstantFor(family, value));
    }
    return list;
}

}  // namespace

// Whole lists in the exact mode: the modes pass from descriptor to descriptor
// as the WRITE statement passes them, and the fields' repeated samples, one
// after the other, are the line gfortran prints. Switching back restores the
// simplified samples exactly.
TEST(ExactSample, ListInExactModePrintsTheLineOfItsWriteStatement)
{
    const std::string gfortran = FindOnPath("gfortran");
    if (gfortran.empty())
        GTEST_SKIP() << "gfortran is not installed";
    CCaseMaker maker(SeedOf(31415));
    std::vector<SExactList> lists;
    std::vector<std::string> expected;
    std::string program = "program exact_lists\n  implicit none\n";
    for (int n = 0; n < 400; ++n) {
        SExactList l = MakeList(maker);
        CDescriptorList list(DefaultDescriptorTable());
        ASSERT_TRUE(Append(list, l.texts));
        // The default values are what the exact mode writes; the items get
        // them in order.
        std::size_t nItem = 0;
        for (int i = 0; i < list.size(); ++i) {
            const SParsedDescriptor& parsed = list.At(i).GoodParsed();
            const DescriptorFamily family = FamilyOf(parsed.nKind);
            if (!TakesItem(parsed.nKind))
                continue;
            SNumberModes modes;
            modes.nPlus = list.At(i).Plus();
            for (int r = 0; r < list.At(i).Passes(); ++r, ++nItem)
                if (l.items[nItem].empty())
                    l.items[nItem] = ConstantFor(family, ExactDefaultValue(parsed, modes));
        }
        ASSERT_EQ(nItem, l.items.size());
        std::string format;
        for (const std::string& t : l.texts)
            format += t + ",";
        std::string items;
        for (const std::string& item : l.items)
            items += ", " + item;
        program += "  write(*, '(" + format + "\"|\")')" + (items.empty() ? "" : items.substr(1)) + "\n";
        lists.push_back(std::move(l));
    }
    program += "end program\n";

    CTempDir dir;
    dir.Write("exact_lists.f90", program);
    const SProcessResult build = RunProcess(
        gfortran, {"-O0", "-ffree-line-length-none", "-o", dir.File("exact_lists"), dir.File("exact_lists.f90")},
        dir.Path());
    ASSERT_EQ(build.nExitStatus, 0) << build.strErr;
    const SProcessResult run = RunProcess(dir.File("exact_lists"), {}, dir.Path());
    ASSERT_EQ(run.nExitStatus, 0) << run.strErr;
    std::stringstream out(run.strOut);

    int nFields = 0;
    for (const SExactList& l : lists) {
        std::string line;
        ASSERT_TRUE(std::getline(out, line));
        CDescriptorList list(DefaultDescriptorTable());
        ASSERT_TRUE(Append(list, l.texts));
        std::vector<std::string> simplified;
        for (int i = 0; i < list.size(); ++i)
            simplified.push_back(list.At(i).Sample());
        list.SetExact(true);
        std::size_t nValue = 0;
        for (int i = 0; i < list.size(); ++i)
            if (TakesItem(list.At(i).Kind())) {
                const std::string& value = l.values[nValue++];
                if (!value.empty()) {
                    ASSERT_TRUE(list.SetValue(i, value.c_str())) << value;
                }
            }
        std::string shown;
        for (int i = 0; i < list.size(); ++i) {
            std::string repeated;
            list.GetRepeatedSample(i, repeated);
            shown += repeated;
            ++nFields;
        }
        std::string format;
        for (const std::string& t : l.texts)
            format += t + ",";
        EXPECT_EQ(shown + "|", line) << format;
        for (int i = 0; i < list.size(); ++i)
            list.SetValue(i, "");
        list.SetExact(false);
        for (int i = 0; i < list.size(); ++i)
            EXPECT_EQ(list.At(i).Sample(), simplified[static_cast<std::size_t>(i)]) << format;
    }
    std::printf("exact lists compared with gfortran: %zu lines, %d fields\n", lists.size(), nFields);
}

// A typed sample in the exact mode: every sample the compiler can print for
// a value (the random triples, the modes before them included) derives a
// descriptor that prints that same value as exactly the typed sample, and a
// sample of asterisks, which prints no value, is refused.
TEST(ExactSample, TypedSampleDerivesADescriptorThatPrintsIt)
{
    CCaseMaker maker(SeedOf(27182));
    int nDerived = 0, nSame = 0;
    std::string failures;
    for (int i = 0; i < 6000; ++i) {
        const long long pick = maker.Int(0, 99);
        const SExactCase c = pick < 60   ? maker.Real()
                             : pick < 85 ? maker.Integer()
                             : pick < 95 ? maker.Logical()
                                         : maker.Edge();
        const SParsedDescriptor parsed = ParseDescriptor(c.strDescriptor, DefaultDescriptorTable());
        std::string sample;
        if (c.strValue.empty() || !ExactSample(parsed, c.modes, c.strValue, sample) ||
            sample.find_first_not_of(' ') == std::string::npos || sample.find_first_of("IiNn") != std::string::npos)
            continue;  // no value printed, or Infinity and NaN
        // Scale factors beyond a double's digits make the library print zeros
        // and asterisks that the value shown does not give back, and digits
        // rounded up past the largest double read back as no REAL(8): such
        // samples may be refused.
        std::string shown = sample;
        std::replace(shown.begin(), shown.end(), ',', '.');
        double x = 0;
        if (c.modes.nScale > 5 || c.modes.nScale < -5 || (ReadExactReal(shown, x) && !std::isfinite(x)))
            continue;
        std::vector<std::string> texts;
        std::stringstream modes(c.strModes);
        for (std::string t; std::getline(modes, t, ',');)
            texts.push_back(t);
        texts.push_back(c.strDescriptor);
        CDescriptorList list(DefaultDescriptorTable());
        list.SetExact(true);
        ASSERT_TRUE(Append(list, texts)) << FormatOf(c);
        const int nLast = list.size() - 1;
        const bool bStars = sample.find_first_not_of('*') == std::string::npos;
        const int nOk = list.SetSample(nLast, sample.c_str());
        if (bStars) {
            EXPECT_EQ(nOk, 0) << FormatOf(c) << " [" << sample << "] derived " << list.At(nLast).Text();
            continue;
        }
        const std::string derived = list.At(nLast).Text();
        std::string printed;
        const bool bPrints = nOk &&
                             ExactSample(ParseDescriptor(derived, DefaultDescriptorTable()), c.modes, c.strValue,
                                         printed) &&
                             printed == sample;
        if (!bPrints && failures.size() < 4000)
            failures += FormatOf(c) + " " + c.strValue + " [" + sample + "] -> " + derived + " [" + printed + "]\n";
        nDerived += bPrints ? 1 : 0;
        nSame += derived == c.strDescriptor ? 1 : 0;
    }
    std::printf("typed exact samples derived: %d, the same descriptor: %d\n", nDerived, nSame);
    EXPECT_TRUE(failures.empty()) << failures;
    EXPECT_GE(nDerived, 3000);
}

// Samples no descriptor of the kind prints are refused in the exact mode,
// the simplified layouts' own shapes among them.
TEST(ExactSample, TypedSampleThatNothingPrintsIsRefused)
{
    const std::vector<std::pair<std::string, std::string>> kRefused{
        {"E15.8", "  .31415900+001"},
        {"E15.8", " 0.31415900E+1x"},
        {"F7.3", "  3.1x2"},
        {"F7.3", "*******"},
        {"G12.4", "   3.142"},
        {"G12.4", "   .3141+001"},
        {"I5", "  4 2"},
        {"I5", "  4.2"},
        {"L3", "  X"},
        {"Z4", "  FG"},
        {"D15.8", "0.31415900E+01"},
        {"ES13.5", "  0.12346E+03"},
    };
    for (const auto& [text, sample] : kRefused) {
        CDescriptorList list(DefaultDescriptorTable());
        list.SetExact(true);
        ASSERT_TRUE(list.InsertDescriptor(0, text.c_str()));
        EXPECT_EQ(list.SetSample(0, sample.c_str()), 0) << text << " [" << sample << "] gave " << list.At(0).Text();
    }
}
