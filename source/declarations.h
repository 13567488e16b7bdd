// What one scoping unit declares, read from its statements' joined texts:
// the implicit typing rules (the default I-N integer, else real; IMPLICIT
// with letter ranges; IMPLICIT NONE), type declarations in their old and
// new forms with attributes and entity lists, DIMENSION and COMMON with
// array specifications, and integer named constants for array bounds. A
// name's type and its number of elements follow; what is not known is said
// so, never guessed.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "item_transfer.h"

// Where a named constant's value is given: from its name to the value's
// last character ("FMT = '(I5)'"), lines and columns from 1; 0: not known.
struct SValuePlace {
    long long nLine = 0;
    long long nColumn = 0;
    long long nEndLine = 0;
    long long nEndColumn = 0;
};

// The line and column (from 1) of an offset in a statement's text.
using PlaceOfOffset = std::function<std::pair<long long, long long>(std::size_t)>;

struct SDeclaredName {
    SItemType type;                  // UNKNOWN until declared (then the implicit rule applies)
    bool bTyped = false;             // given a type by a declaration
    bool bArray = false;             // given dimensions
    long long nElements = 1;         // an array's, -1 when a bound is not constant
    long long nLength = -1;          // CHARACTER: its length, -1 when not known
    std::optional<long long> value;  // an integer named constant's value
    std::string strCharacterValue;   // a character named constant's value
    bool bCharacterConstant = false;
    SValuePlace valuePlace;  // a character named constant's, in this unit's file (not a module's)
    bool bNamelist = false;  // a NAMELIST group's name
};

class CDeclarations {
public:
    // Reads one statement's joined text; statements that declare nothing are
    // passed over. Returns whether it declared something. With placeOf, a
    // character named constant keeps where its value is given.
    bool Read(std::string_view statement, const PlaceOfOffset& placeOf = {});

    // A name's type as declared, else by the implicit rules; UNKNOWN under
    // IMPLICIT NONE for an undeclared name.
    SItemType TypeOf(const std::string& name) const;
    // A name as declared; nullptr when nothing declares it.
    const SDeclaredName* Find(const std::string& name) const;
    // An integer expression of literals and named constants, when known.
    std::optional<long long> IntegerValue(std::string_view expression) const;

    // USE of a module whose declarations are known: the names it declares
    // (with bOnly, those of names alone, each as a local name and the
    // module's name for it; renames are added either way).
    void Import(const CDeclarations& module, const std::vector<std::pair<std::string, std::string>>& names, bool bOnly);
    // USE of a module not read, or an INCLUDE file not found: a name that no
    // declaration here types may come from there, so its type is not known.
    void OpenNames() { m_bOpenNames = true; }

private:
    std::map<std::string, SDeclaredName> m_names;  // lower case
    SItemType m_implicit[26] = {};
    bool m_bImplicitSet[26] = {};
    bool m_bImplicitNone = false;
    bool m_bOpenNames = false;
    friend class CDeclarationReader;
};

// The modules of a run by name (lower case): what each declares.
using ModuleTable = std::map<std::string, CDeclarations>;
