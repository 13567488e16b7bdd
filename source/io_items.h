// The items of an I/O list, as written: names, array elements or function
// references, sections, implied-DO lists with their items and bounds,
// constants and other expressions; each with its place in the text. What
// they are (an array or a function, their types) the declarations say.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "fortran_tokens.h"

enum class IoItemShape {
    NAME,        // n, or x%y
    REFERENCE,   // a(i, j) or f(x): an element, or a function's value
    SECTION,     // a(1:n), s(2:5), a(:, j)
    IMPLIED_DO,  // (a(i), i = 1, n)
    CONSTANT,    // 3, 2.5, 'text', .true.
    EXPRESSION,  // anything else: x + 1, (x), -n
};

struct SIoListItem {
    IoItemShape shape = IoItemShape::EXPRESSION;
    std::size_t nOffset = 0;  // where the item starts and ends in the text
    std::size_t nEnd = 0;
    std::string strName;                          // NAME, REFERENCE, SECTION: the name it starts with (lower case)
    FortranToken constant = FortranToken::OTHER;  // CONSTANT: its kind of token
    std::vector<SIoListItem> items;               // IMPLIED_DO: the items it repeats
    std::string strVariable;                      // IMPLIED_DO: its variable
    std::vector<std::string> bounds;              // IMPLIED_DO: the texts of its start, end and step
};

// The items of the list that text holds (from its first character to its
// end); an empty list for an empty text. bOk false when the parentheses do
// not balance.
std::vector<SIoListItem> ReadIoItems(std::string_view text, bool* pOk = nullptr);
