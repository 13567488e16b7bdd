// I/O lists read into items: every shape an item takes, nested implied-DO
// lists, the places of the items in the text, and lists that do not
// balance. Each row's items are written back in a short form.
#include <gtest/gtest.h>

#include <string>

#include "io_items.h"

namespace {

std::string Shown(const std::vector<SIoListItem>& items, std::string_view text)
{
    std::string s;
    for (const SIoListItem& item : items) {
        if (!s.empty())
            s += "; ";
        switch (item.shape) {
        case IoItemShape::NAME: s += "name " + item.strName; break;
        case IoItemShape::REFERENCE: s += "ref " + item.strName; break;
        case IoItemShape::SECTION: s += "section " + item.strName; break;
        case IoItemShape::CONSTANT:
            s += "constant " + std::string(text.substr(item.nOffset, item.nEnd - item.nOffset));
            break;
        case IoItemShape::EXPRESSION:
            s += "expr " + std::string(text.substr(item.nOffset, item.nEnd - item.nOffset));
            break;
        case IoItemShape::IMPLIED_DO:
            s += "do " + item.strVariable + "=";
            for (std::size_t i = 0; i < item.bounds.size(); ++i)
                s += (i > 0 ? "," : "") + item.bounds[i];
            s += " [" + Shown(item.items, text) + "]";
            break;
        }
    }
    return s;
}

struct SItemsCase {
    const char* pszList;
    const char* pszItems;
};

const SItemsCase kCases[] = {
    {"N, X, NAME", "name n; name x; name name"},
    {"x(i), a(1:n), s(2:5), a(:, j), f(x)(1:3)", "ref x; section a; section s; section a; section f"},
    {"(y(j), j = 1, 3)", "do j=1,3 [ref y]"},
    {"((a(i,j), i=1,2), j=1,n,2), k", "do j=1,n,2 [do i=1,2 [ref a]]; name k"},
    {"(b(i), c(i), i = lo + 1, hi - 1)", "do i=lo + 1,hi - 1 [ref b; ref c]"},
    {"'it''s', 2.5, 3, 1.5d0, .true., 7_8, 1.e3", "constant 'it''s'; constant 2.5; constant 3; constant 1.5d0; "
                                                  "constant .true.; constant 7_8; constant 1.e3"},
    {"x + 1, (x), -n, a(i)*2, n.eq.1, trim(s)//'!'", "expr x + 1; expr (x); expr -n; expr a(i)*2; expr n.eq.1; "
                                                     "expr trim(s)//'!'"},
    {"t%v, t%a(2)%b, p % q", "name t; ref t; name p"},
    {"(1.0, 2.0)", "expr (1.0, 2.0)"},
    {"", ""},
    {"  x  ! a comment, y", "name x"},
};

TEST(IoItems, EveryShapeAnItemTakes)
{
    for (const SItemsCase& c : kCases) {
        bool bOk = false;
        const std::vector<SIoListItem> items = ReadIoItems(c.pszList, &bOk);
        EXPECT_TRUE(bOk) << c.pszList;
        EXPECT_EQ(Shown(items, c.pszList), c.pszItems) << c.pszList;
    }
}

TEST(IoItems, UnbalancedListsAreSaidSoAndNeverCrash)
{
    // implied-DO lists nested 100,000 deep
    std::string deep;
    for (int i = 0; i < 100000; ++i)
        deep += "(";
    deep += "x";
    for (int i = 0; i < 100000; ++i)
        deep += ", i = 1, 2)";
    bool bDeep = false;
    EXPECT_EQ(ReadIoItems(deep, &bDeep).size(), 1U);
    EXPECT_TRUE(bDeep);
    for (const char* pszList : {"a(1, b", "x)", "(y(j), j=1", "((", ")))", "a(((((((((("}) {
        bool bOk = true;
        ReadIoItems(pszList, &bOk);
        EXPECT_FALSE(bOk) << pszList;
    }
}

}  // namespace
