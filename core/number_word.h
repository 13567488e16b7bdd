// The LINE and COLUMN words of both programs' command lines, read alike.
#pragma once

#include <string>

// A line or column word as the C library's decimal conversion reads it:
// leading white space, an optional sign, the leading digits; 0 when there
// are none. Values beyond the range of long long saturate.
long long ConvertNumber(const std::string& strWord);

// The line or column number as the word gives it, however large: its
// leading digits without leading zeros ("0" when all are zeros, "" when
// there are none). "99999999999999999999" stays as it is.
std::string NumberWordDigits(const std::string& strWord);

// True when the word starts (after blanks and a sign) with a digit: "12abc"
// is line 12, "abc" no line at all.
bool IsNumberWord(const std::string& strWord);
