// An I/O list's items typed by the declarations of their scoping unit:
// scalars, whole arrays, elements and substrings, implied-DO lists with
// constant and unknown bounds, constants, expressions and intrinsics.
// Each row gives the items as "type kind xcount".
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "item_types.h"

namespace {

std::string Shown(const std::vector<SIoItem>& items)
{
    static const char* const kTypes[] = {"integer", "real", "complex", "logical", "character", "derived", "unknown"};
    std::string s;
    for (const SIoItem& item : items)
        s += std::string(s.empty() ? "" : "; ") + kTypes[static_cast<int>(item.type.type)] + " " +
             std::to_string(item.type.nKind) + " x" + std::to_string(item.nCount);
    return s;
}

const std::vector<const char*> kDeclarations = {"integer, parameter :: n = 4, big = 999999999999999",
                                                "real(8) :: a(n, 2), x",
                                                "integer :: k(10), m",
                                                "character(len=8) :: s, names(3)",
                                                "complex :: z(n)",
                                                "logical :: flag",
                                                "type(point) :: p",
                                                "real, allocatable :: v(:)"};

const std::pair<const char*, const char*> kCases[] = {
    {"m, x, flag, s", "integer 0 x1; real 8 x1; logical 0 x1; character 0 x1"},
    {"a, k, names, z", "real 8 x8; integer 0 x10; character 0 x3; complex 0 x4"},
    {"a(1, 2), k(m), s(2:5), names(2)(1:3)", "real 8 x1; integer 0 x1; character 0 x1; character 0 x1"},
    {"(k(i), i = 1, n), (a(i, 1), x, i = 1, 10, 3)", "integer 0 x4; real 8 x4; real 8 x4"},
    {"((a(i, j), i = 1, n), j = 1, 2)", "real 8 x8"},
    {"(k(i), i = 1, m)", "integer 0 x-1"},
    {"3, 2.5, 1.5d0, 'text', .true.", "integer 0 x1; real 0 x1; real 8 x1; character 0 x1; logical 0 x1"},
    // complex constants, against a parenthesized expression and a list
    {"(1.0, 2.0), (-1, +2.5d0), (1.0 + x), (m, i = 1, 2)", "complex 0 x1; complex 8 x1; real 8 x1; integer 0 x2"},
    {"m + 1, m * x, z(1) + 1, m > 1, s // 'x', -m", "integer 0 x1; real 8 x1; complex 0 x1; logical 0 x1; "
                                                    "character 0 x1; integer 0 x1"},
    {"int(x), nint(x), real(m), dble(m), len(s), trim(s), abs(x), sqrt(a(1, 1)), mod(m, 3)",
     "integer 0 x1; integer 0 x1; real 0 x1; real 8 x1; integer 0 x1; character 0 x1; real 8 x1; real 8 x1; "
     "integer 0 x1"},
    {"p, p%x, myfunc(x), v, a(1:2, 1), undeclared_thing", "derived 0 x1; unknown 0 x1; unknown 0 x1; real 0 x-1; "
                                                          "real 8 x2; unknown 0 x1"},
    // sections: constant bounds (named constants too), steps, ":" over one
    // dimension, and what is not known
    {"k(2:5), k(1:n), k(1:10:3), k(:), k(5:1), a(:, 1), a(1:n, 1:2), k(1:m), k(m:), k(:n)",
     "integer 0 x4; integer 0 x4; integer 0 x4; integer 0 x10; real 8 x-1; real 8 x8; integer 0 x-1; "
     "integer 0 x-1; integer 0 x-1"},
    {"(k(i), i = 5, 1)", ""},
    {"((a(i, j), i = 1, big), j = 1, big)", "real 8 x-1"},
};

TEST(ItemTypes, EveryItemTakesTheTypeAndCountItsDeclarationsGive)
{
    CDeclarations decl;
    for (const char* pszStatement : kDeclarations)
        decl.Read(pszStatement);
    decl.Read("implicit none");
    for (const auto& [pszList, pszExpected] : kCases) {
        const std::vector<SIoListItem> items = ReadIoItems(pszList);
        EXPECT_EQ(Shown(TypeItems(items, pszList, decl)), pszExpected) << pszList;
    }
}

}  // namespace
