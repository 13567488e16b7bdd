#include "number_word.h"

#include <cctype>
#include <cstdlib>

bool IsNumberWord(const std::string& strWord)
{
    std::size_t i = 0;
    while (i < strWord.size() && std::isspace(static_cast<unsigned char>(strWord[i])))
        ++i;
    if (i < strWord.size() && (strWord[i] == '+' || strWord[i] == '-'))
        ++i;
    return i < strWord.size() && std::isdigit(static_cast<unsigned char>(strWord[i]));
}

std::string NumberWordDigits(const std::string& strWord)
{
    std::size_t i = 0;
    while (i < strWord.size() && (std::isspace(static_cast<unsigned char>(strWord[i])) || strWord[i] == '+'))
        ++i;
    std::size_t nEnd = i;
    while (nEnd < strWord.size() && std::isdigit(static_cast<unsigned char>(strWord[nEnd])))
        ++nEnd;
    while (i + 1 < nEnd && strWord[i] == '0')
        ++i;
    return strWord.substr(i, nEnd - i);
}

long long ConvertNumber(const std::string& strWord)
{
    return std::strtoll(strWord.c_str(), nullptr, 10);
}
