// Character tests of the C run-time in its default locale, safe for any byte.
#pragma once

#include <cctype>
#include <cstring>
#include <string>

inline bool IsBlank(char c)
{
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}
inline bool IsDigit(char c)
{
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}
inline bool IsLetter(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) != 0;
}
inline bool IsPunct(char c)
{
    return std::ispunct(static_cast<unsigned char>(c)) != 0;
}
inline bool IsUpper(char c)
{
    return std::isupper(static_cast<unsigned char>(c)) != 0;
}
inline char ToUpper(char c)
{
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}
inline char ToLower(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

// Whether text equals letters without regard to case.
inline bool EqualsNoCase(const std::string& text, const char* letters)
{
    const std::size_t n = std::strlen(letters);
    if (text.size() != n)
        return false;
    for (std::size_t i = 0; i < n; ++i)
        if (ToUpper(text[i]) != ToUpper(letters[i]))
            return false;
    return true;
}
