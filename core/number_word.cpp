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

long long ConvertNumber(const std::string& strWord)
{
    return std::strtoll(strWord.c_str(), nullptr, 10);
}
