// Random formats for the tests that hold the matching of items to fields to
// gfortran's run time: data edits of every family (with and without widths
// where gfortran takes them), character constants, "/", ":", groups with
// repeat counts nested a level deep, "*(" at the end; and a tally of the
// kinds of statement a generated set holds, by which a test shows that its
// set crosses every kind it means to.
#pragma once

#include <cstddef>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

struct SFormatStyle {
    char chQuote = '\'';  // the quote of its character constants (the other one quotes the format string)
    bool bInput = false;  // for a READ: no zero widths, which gfortran refuses on input
    bool bTabs = false;   // T30 among the control edits
    int nUnlimited = 6;   // one format in nUnlimited ends with "*(" a data edit ")" (0: never)
};

// A format's list without its outer parentheses. Each kind of edit, group
// or ending it holds is added to pKinds when given ("edit F", "group",
// "nested group", "*(", ":", "constant", ...).
std::string RandomFormat(std::mt19937& random, const SFormatStyle& style, std::set<std::string>* pKinds = nullptr);

// The kinds of statement, each with the number of statements that hold it.
class CKindTally {
public:
    void Add(const std::set<std::string>& kinds);
    // Those of required that no statement holds.
    std::vector<std::string> Missing(const std::vector<std::string>& required) const;
    // One line per kind: its name and count.
    std::string Table() const;
    int Count(const std::string& kind) const;

private:
    std::map<std::string, int> m_counts;
};

// The kinds RandomFormat can give: the edits (input's and output's) and
// the forms of the list.
std::vector<std::string> FormatKinds(bool bInput);
