// The words of the window's command line on Windows: quoted so that the C
// run time's reading of the line (CommandLineToArgvW's rules, written out
// here as the reference) gives each back whole.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "window_launch.h"

namespace {

// The words the C run time reads from a command line: blanks part words
// outside quotes; 2n backslashes and a quote are n backslashes and open or
// close a quoted part, 2n+1 and a quote are n and a quote; other
// backslashes stand as they are.
std::vector<std::string> ReadCommandLine(const std::string& line)
{
    std::vector<std::string> words;
    std::string word;
    bool bInWord = false, bQuoted = false;
    std::size_t nBackslashes = 0;
    for (const char c : line) {
        if (c == '\\') {
            ++nBackslashes;
            bInWord = true;
            continue;
        }
        if (c == '"') {
            word.append(nBackslashes / 2, '\\');
            if (nBackslashes % 2 == 1)
                word += '"';
            else
                bQuoted = !bQuoted;
            nBackslashes = 0;
            bInWord = true;
            continue;
        }
        word.append(nBackslashes, '\\');
        nBackslashes = 0;
        if ((c == ' ' || c == '\t') && !bQuoted) {
            if (bInWord)
                words.push_back(word);
            word.clear();
            bInWord = false;
            continue;
        }
        word += c;
        bInWord = true;
    }
    word.append(nBackslashes, '\\');
    if (bInWord)
        words.push_back(word);
    return words;
}

TEST(WindowLaunch, WordsAreQuotedOnlyWhereTheyMustBe)
{
    const struct {
        const char* pszWord;
        const char* pszQuoted;
    } kCases[] = {
        {"quillmark", "quillmark"},
        {"C:\\dir\\x.f90", "C:\\dir\\x.f90"},  // backslashes alone are no escapes
        {"C:\\My Code\\x.f90", "\"C:\\My Code\\x.f90\""},
        {"C:\\Program Files\\Quillmark\\", "\"C:\\Program Files\\Quillmark\\\\\""},
        {"", "\"\""},
        {"a\tb", "\"a\tb\""},
        {"say \"hi\"", "\"say \\\"hi\\\"\""},
        {"a\\\"b", "\"a\\\\\\\"b\""},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(QuotedArgument(c.pszWord), c.pszQuoted) << c.pszWord;
        EXPECT_EQ(ReadCommandLine(QuotedArgument(c.pszWord)), std::vector<std::string>{c.pszWord}) << c.pszWord;
    }
}

TEST(WindowLaunch, ALineOfQuotedWordsReadsBackAsTheWords)
{
    // words of the characters that matter to the reading, joined with a
    // space as _spawnvp joins them
    std::mt19937 random(7);
    const std::string kAlphabet = "a \\\"\t:";
    for (int nCase = 0; nCase < 2000; ++nCase) {
        std::vector<std::string> words(1 + random() % 4);
        std::string line;
        for (std::string& word : words) {
            for (std::size_t n = random() % 8; n > 0; --n)
                word += kAlphabet[random() % kAlphabet.size()];
            line += (line.empty() ? "" : " ") + QuotedArgument(word);
        }
        ASSERT_EQ(ReadCommandLine(line), words) << line;
    }
}

}  // namespace
