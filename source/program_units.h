// The program units of a file, followed statement by statement: main
// programs (with or without PROGRAM), subroutines and functions, modules and
// submodules, block data, interface blocks and their bodies, derived type
// definitions, CONTAINS and the END statements. A statement's scoping unit is
// the innermost unit open around it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

enum UnitKind {
    UNIT_MAIN,       // a main program, with or without its PROGRAM statement
    UNIT_PROCEDURE,  // a subroutine or function, a module procedure's body
    UNIT_MODULE,     // a module or submodule
    UNIT_BLOCK_DATA,
    UNIT_INTERFACE,  // an interface block, and the interface bodies in it
    UNIT_TYPE,       // a derived type's definition
};

struct SUnit {
    UnitKind kind;
    bool bContains = false;  // its CONTAINS has been read
    bool bInInterface = false;
    long long nSerial = 0;  // which unit of the file it is: each unit opened gets the next number
};

// The program units open around the statements read so far.
class CUnitStack {
public:
    // One statement, lower case, without blanks, constants or comment.
    void Statement(std::string_view s);

    // The scoping unit the statements read last stand in: the innermost
    // unit open (0 outside every unit). Statement labels are local to it.
    long long Scope() const { return m_units.empty() ? 0 : m_units.back().nSerial; }
    // The unit around it (its host; 0 for none).
    long long Host() const { return m_units.size() < 2 ? 0 : m_units[m_units.size() - 2].nSerial; }

    // No unit is open: whether a FORMAT may stand depends on what follows.
    bool Empty() const { return m_units.empty(); }
    bool AllowsFormat() const;

private:
    bool Structure(std::string_view s);

    std::vector<SUnit> m_units;
    long long m_nOpened = 0;
};

// Whether a statement (as CUnitStack takes it) opens a program unit.
bool OpensProgramUnit(std::string_view s);

// A line's statements, lower case, without blanks, constants, comment or a
// continuing "&"; a statement per ";".
std::vector<std::string> StatementsOf(std::string_view text);
