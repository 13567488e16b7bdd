// Where a new FORMAT statement may stand. Each case is checked against the
// compiler too, where it is installed: the file with a FORMAT statement on
// the blank line compiles exactly where the place is taken as allowed.
#include <algorithm>

#include "format_placement.h"
#include "source_helpers.h"
#include "statement_session.h"
#include "string_table.h"

namespace {

struct SPlace {
    const char* pszName;
    const char* pszFile;  // "@" is the blank line
    bool bAllowed;
};

const SPlace kFreePlaces[] = {
    {"main program", "program p\n@\nprint *, 1\nend program\n", true},
    {"main program without PROGRAM", "x = 1\n@\nprint *, x\nend\n", true},
    {"before a headless main program's first statement", "@\nprint *, 1\nend\n", true},
    {"before PROGRAM", "@\nprogram p\nprint *, 1\nend program\n", false},
    {"after the last unit", "program p\nend program p\n@\n", false},
    {"between two subroutines", "subroutine a\nend\n@\nsubroutine b\nend\n", false},
    {"after a unit ended on a line with another statement", "subroutine a; end subroutine a\n@\nsubroutine b\nend\n",
     false},
    {"module's specification part",
     "module m\n  implicit none\n@\n  integer :: x\ncontains\n  subroutine s\n  end subroutine\nend module\n", false},
    {"module procedure", "module m\ncontains\n  subroutine s\n@\n    print *, 1\n  end subroutine s\nend module m\n",
     true},
    {"between module procedures",
     "module m\ncontains\n  subroutine a\n  end subroutine\n@\n  subroutine b\n  end subroutine\nend module\n", false},
    {"typed function with a prefix and a result",
     "module m\ncontains\n  elemental real(kind(1.d0)) function f(x) result(y)\n@\n    real(kind(1.d0)), "
     "intent(in) :: x\n    y = x\n  end function\nend module\n",
     true},
    {"interface body",
     "program p\ninterface\n  subroutine s(x)\n@\n    real x\n  end subroutine\nend interface\nend program\n", false},
    {"after an interface block",
     "program p\ninterface\n  subroutine s(x)\n    real x\n  end subroutine\nend interface\n@\nprint *, 1\nend "
     "program\n",
     true},
    {"derived type's definition", "program p\ntype t\n@\n  integer :: i\nend type t\nprint *, 1\nend\n", false},
    {"after CONTAINS of a program", "program p\ncall s\ncontains\n@\nsubroutine s\nend subroutine\nend program\n",
     false},
    {"internal procedure", "program p\ncall s\ncontains\nsubroutine s\n@\nprint *, 1\nend subroutine\nend program\n",
     true},
    {"after constructs that end with END",
     "subroutine s(n)\ninteger n, i\nif (n > 0) then\nn = 1\nend if\n@\ndo i = 1, 2\nend do\nend subroutine\n", true},
    {"separate module procedure",
     "module m\ninterface\nmodule subroutine s()\nend subroutine\nend interface\nend module\nsubmodule (m) sm\n"
     "contains\nmodule procedure s\n@\nprint *, 1\nend procedure\nend submodule\n",
     true},
};

const SPlace kFixedPlaces[] = {
    {"between units",
     "      SUBROUTINE A\n      END\n@\n      DOUBLE PRECISION FUNCTION F(X)\n      F = X\n      END\n", false},
    {"typed function", "      DOUBLEPRECISION FUNCTION F(X)\n@\n      DOUBLE PRECISION X\n      F=X\n      END\n",
     true},
    {"block data", "      BLOCK DATA B\n@\n      COMMON /C/ X\n      DATA X /1.0/\n      END\n", false},
    {"continued header", "      SUBROUTINE S(A,\n     +             B)\n@\n      REAL A, B\n      A = B\n      END\n",
     true},
    {"comment lines and a label",
     "C     a comment\n      PROGRAM P\n   10 CONTINUE\n@\n      END\nC     SUBROUTINE X\n", true},
};

std::string FileWith(const char* pszFile, const std::string& strLine)
{
    std::string s = pszFile;
    s.replace(s.find('@'), 1, strLine);
    return s;
}

long long MarkedLine(const char* pszFile)
{
    const std::string s = pszFile;
    return 1 + std::count(s.begin(), s.begin() + static_cast<long>(s.find('@')), '\n');
}

void CheckPlaces(const SPlace* pPlaces, std::size_t nPlaces, int bFixedForm)
{
    CTempDir dir;
    const std::string strName = bFixedForm ? "p.f" : "p.f90";
    const std::string strFormat = bFixedForm ? "  900 FORMAT(I5)" : "900 format(i5)";
    for (std::size_t i = 0; i < nPlaces; ++i) {
        const SPlace& place = pPlaces[i];
        CLineReader reader;
        reader.OpenText(FileWith(place.pszFile, ""));
        EXPECT_EQ(FormatMayStandAt(reader, MarkedLine(place.pszFile), bFixedForm), place.bAllowed) << place.pszName;
        if (!HaveCompiler())
            continue;
        const std::string strFile = dir.Write(strName, FileWith(place.pszFile, ""));
        ASSERT_TRUE(Compiles(strFile, dir.Path())) << place.pszName << ": the file itself does not compile";
        dir.Write(strName, FileWith(place.pszFile, strFormat));
        EXPECT_EQ(Compiles(strFile, dir.Path()), place.bAllowed) << place.pszName << ": the compiler disagrees";
    }
}

TEST(FormatPlacement, FreeFormAgreesWithTheCompiler)
{
    CheckPlaces(kFreePlaces, std::size(kFreePlaces), 0);
}

TEST(FormatPlacement, FixedFormAgreesWithTheCompiler)
{
    CheckPlaces(kFixedPlaces, std::size(kFixedPlaces), 1);
}

// The open use case refuses the place, names the line, and the file stays
// as it was.
TEST(FormatPlacement, ANewStatementIsRefusedWhereItMayNotStand)
{
    CTempDir dir;
    const std::string strText = FileWith(kFreePlaces[7].pszFile, "");
    const std::string strFile = dir.Write("m.f90", strText);
    SStatementRequest request;
    request.strFile = strFile;
    request.nLine = MarkedLine(kFreePlaces[7].pszFile);
    request.nColumn = 1;
    CDescriptorList list;
    CStatementSite site;
    CSourceRecorder questions;
    const CResult result = OpenStatement(request, list, site, questions);
    ASSERT_FALSE(result.Ok());
    EXPECT_EQ(result.StringId(), IDS_FORMAT_NOT_HERE);
    EXPECT_EQ(result.Messages().front().nLine, request.nLine);
    EXPECT_EQ(ReadWholeFile(strFile), strText);
}

}  // namespace
