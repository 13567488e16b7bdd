// Declarations of one scoping unit: every form of type declaration a real
// code base uses, the implicit rules, DIMENSION, COMMON and PARAMETER, and
// what a name's type and element count then are. Each row declares, then
// asks for names: "name TYPE KIND [LENGTH] [xELEMENTS]".
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "declarations.h"

namespace {

std::string Described(const CDeclarations& decl, const std::string& name)
{
    static const char* const kTypes[] = {"integer", "real", "complex", "logical", "character", "derived", "unknown"};
    const SItemType type = decl.TypeOf(name);
    std::string s = name + " " + kTypes[static_cast<int>(type.type)] + " " + std::to_string(type.nKind);
    if (const SDeclaredName* p = decl.Find(name)) {
        if (type.type == ItemType::CHARACTER)
            s += " len" + std::to_string(p->nLength);
        if (p->bArray)
            s += " x" + std::to_string(p->nElements);
        if (p->value)
            s += " =" + std::to_string(*p->value);
        if (p->bCharacterConstant)
            s += " ='" + p->strCharacterValue + "'";
    }
    return s;
}

struct SDeclarationCase {
    std::vector<const char*> statements;
    std::vector<const char*> names;  // each "name ..." as Described gives it
};

const SDeclarationCase kCases[] = {
    {{}, {"i integer 0", "n integer 0", "x real 0", "a real 0", "o real 0"}},
    {{"INTEGER N, M(10)", "REAL X", "DOUBLE PRECISION D", "LOGICAL L"},
     {"n integer 0", "m integer 0 x10", "x real 0", "d real 8", "l logical 0"}},
    {{"INTEGER*8 K", "REAL*8 R(0:9, 3)", "COMPLEX*16 Z", "CHARACTER*8 NAME, TITLE*20", "DOUBLE COMPLEX DZ"},
     {"k integer 8", "r real 8 x30", "z complex 8", "name character 0 len8", "title character 0 len20",
      "dz complex 8"}},
    {{"integer, parameter :: dp = 8, n = 4 * 2 + 1", "real(dp) :: a(n)", "real(kind=dp), dimension(3, n) :: b",
      "complex(4) :: c", "integer(kind=2) :: s2"},
     {"dp integer 0 =8", "n integer 0 =9", "a real 8 x9", "b real 8 x27", "c complex 4", "s2 integer 2"}},
    {{"character(len=20) :: label", "character(12) :: c12", "character(len=*), intent(in) :: arg", "character*(*) old",
      "character(len=5, kind=1) :: k5", "CHARACTER(*), PARAMETER :: FMT = '(I5, F8.3)'"},
     {"label character 0 len20", "c12 character 0 len12", "arg character 0 len-1", "old character 0 len-1",
      "k5 character 1 len5", "fmt character 0 len-1 ='(I5, F8.3)'"}},
    {{"type(point) :: p, ps(4)", "class(shape), allocatable :: s", "real, allocatable :: v(:)"},
     {"p derived 0", "ps derived 0 x4", "s derived 0", "v real 0 x-1"}},
    {{"IMPLICIT DOUBLE PRECISION (A-H, O-Z)", "IMPLICIT INTEGER*8 (I-K)"},
     {"a real 8", "h real 8", "z real 8", "i integer 8", "k integer 8", "l integer 0", "n integer 0"}},
    {{"implicit none", "integer :: n"}, {"n integer 0", "x unknown 0"}},
    {{"implicit real(8) (a-h), logical (l)", "implicit none"}, {"b real 8", "l logical 0", "x unknown 0"}},
    {{"PARAMETER (NMAX = 100, NHALF = NMAX / 2)", "DIMENSION A(NMAX), B(NHALF, 2), C(*)",
      "COMMON /BLK/ W(5), X, /C2/ Y(2:4)"},
     {"nmax integer 0 =100", "a real 0 x100", "b real 0 x100", "c real 0 x-1", "w real 0 x5", "x real 0",
      "y real 0 x3"}},
    {{"real function f(x)", "integer = 3", "type point", "real :: u(n)"}, {"f real 0", "u real 0 x-1"}},
    {{"INTEGER, PARAMETER :: BIG = 999999999999 * 999999999999, NEG = -(-9 - 99999999999999999 / 10)",
      "REAL H(BIG), G(999999999999, 999999999999)"},
     {"big integer 0", "neg integer 0 =10000000000000008", "h real 0 x-1", "g real 0 x-1"}},
};

TEST(Declarations, EveryFormAndWhatItGivesAName)
{
    for (const SDeclarationCase& c : kCases) {
        CDeclarations decl;
        for (const char* pszStatement : c.statements)
            decl.Read(pszStatement);
        for (const char* pszName : c.names) {
            const std::string expected = pszName;
            EXPECT_EQ(Described(decl, expected.substr(0, expected.find(' '))), expected)
                << (c.statements.empty() ? "(nothing declared)" : c.statements.front());
        }
    }
}

TEST(Declarations, ACharacterConstantKeepsWhereItsValueIsGiven)
{
    // each offset of the statement on line 7, at its column
    const PlaceOfOffset placeOf = [](std::size_t n) { return std::make_pair(7LL, static_cast<long long>(n) + 1); };
    const struct {
        const char* pszStatement;
        const char* pszName;
        const char* pszGiven;  // "" for no place
    } kCases[] = {
        {"CHARACTER(*), PARAMETER :: FMT = '(I5)'", "fmt", "FMT = '(I5)'"},
        {"character(len=*), parameter :: a = '(A)', fmt='(2I3, ''it''''s'')'", "fmt", "fmt='(2I3, ''it''''s'')'"},
        {"character*(*) , parameter :: s*4 = \"(A)\"", "s", "s*4 = \"(A)\""},
        {"PARAMETER (N = 3, HEAD = '(A)')", "head", "HEAD = '(A)'"},
        {"CHARACTER*8 HEAD", "head", ""},
        {"CHARACTER*8 HEAD = '(A)'", "head", ""},  // no PARAMETER: a variable's first value
        {"INTEGER, PARAMETER :: N = 3", "n", ""},
    };
    for (const auto& c : kCases) {
        CDeclarations decl;
        decl.Read(c.pszStatement, placeOf);
        const SDeclaredName* p = decl.Find(c.pszName);
        ASSERT_NE(p, nullptr) << c.pszStatement;
        const SValuePlace& at = p->valuePlace;
        const std::string statement = c.pszStatement;
        const std::string given = at.nLine == 0
                                      ? std::string()
                                      : statement.substr(static_cast<std::size_t>(at.nColumn - 1),
                                                         static_cast<std::size_t>(at.nEndColumn - at.nColumn + 1));
        EXPECT_EQ(given, c.pszGiven) << c.pszStatement;
        EXPECT_EQ(at.nLine, *c.pszGiven == '\0' ? 0 : 7) << c.pszStatement;
        // read without places, or brought by USE from another file: none
        CDeclarations unplaced, user;
        unplaced.Read(c.pszStatement);
        EXPECT_EQ(unplaced.Find(c.pszName)->valuePlace.nLine, 0) << c.pszStatement;
        user.Import(decl, {}, false);
        EXPECT_EQ(user.Find(c.pszName)->valuePlace.nLine, 0) << c.pszStatement;
    }
}

TEST(Declarations, BrokenStatementsDeclareWhatTheyCanAndNeverCrash)
{
    for (const char* pszStatement : {"integer ::", "real (", "character*(", "dimension a(", "parameter (n =",
                                     "implicit real (a-", "common /", "integer, dimension(", "real*", "type("}) {
        CDeclarations decl;
        decl.Read(pszStatement);
        EXPECT_NE(decl.TypeOf("x").type, ItemType::DERIVED) << pszStatement;
    }
}

}  // namespace
