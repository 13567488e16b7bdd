// A document's URI and its file's path, in the two styles of path, both
// ways: the URIs editors send (VS Code escapes a drive's ":" and writes its
// letter in lower case), and paths that come back as they went.
#include <gtest/gtest.h>

#include <string>

#include "file_uri.h"

namespace {

struct SUriCase {
    const char* pszUri;
    PathStyle style;
    const char* pszPath;  // "" for none
};

constexpr PathStyle P = PathStyle::POSIX, W = PathStyle::WINDOWS;

const SUriCase kUriCases[] = {
    // POSIX: what follows the scheme, escapes decoded
    {"file:///work/prog.f", P, "/work/prog.f"},
    {"file:///w/free%20form.f90", P, "/w/free form.f90"},
    {"file:///w/%C3%A9t%c3%a9.f", P, "/w/\xC3\xA9t\xC3\xA9.f"},
    {"file:///w/100%.f", P, "/w/100%.f"},  // a "%" that starts no escape
    {"file:///w/a%2", P, "/w/a%2"},
    {"file:///c:/w/x.f", P, "/c:/w/x.f"},
    {"file://host/w/x.f", P, "host/w/x.f"},
    {"file:///w/x.f%00.txt", P, ""},  // the system would read /w/x.f
    {"untitled:Untitled-1", P, ""},
    {"FILE:///w/x.f", P, ""},
    // Windows: a drive in either case, its ":" escaped or not
    {"file:///C:/dir/x.f90", W, "C:\\dir\\x.f90"},
    {"file:///c%3A/dir/x.f90", W, "C:\\dir\\x.f90"},
    {"file:///c%3a/My%20Code/%C3%A9.f", W, "C:\\My Code\\\xC3\xA9.f"},
    {"file:///z:", W, "Z:"},
    {"file://localhost/D:/x.f", W, "D:\\x.f"},
    {"file:///dir/x.f", W, "\\dir\\x.f"},  // the current drive's root
    {"file:///c:x.f", W, "\\c:x.f"},       // no drive letter
    {"file:///cd:/x.f", W, "\\cd:\\x.f"},
    {"file://server/share/x.f", W, "\\\\server\\share\\x.f"},
    {"file://server/share/a%2Fb.f", W, "\\\\server\\share\\a\\b.f"},
    {"file:///C:/x%00.f", W, ""},
    {"file://%00/C:/x.f", W, ""},
    {"https://example.org/x.f", W, ""},
};

TEST(FileUri, PathOfUri)
{
    for (const SUriCase& c : kUriCases)
        EXPECT_EQ(PathOfUri(c.pszUri, c.style), c.pszPath) << c.pszUri << (c.style == W ? " (Windows)" : " (POSIX)");
}

// The URIs written for paths.
const SUriCase kPathCases[] = {
    {"file:///work/prog.f", P, "/work/prog.f"},
    {"file:///w/free%20form.f90", P, "/w/free form.f90"},
    {"file:///w/a%3Ab%5Cc%231%3F.f", P, "/w/a:b\\c#1?.f"},
    {"file:///w/%C3%A9.f", P, "/w/\xC3\xA9.f"},
    {"file:///C:/dir/x.f90", W, "C:\\dir\\x.f90"},
    {"file:///C:/My%20Code/a%3Ab%23.f", W, "C:\\My Code\\a:b#.f"},
    {"file:///d:/dir/x.f90", W, "d:/dir/x.f90"},
    {"file://server/share/x.f", W, "\\\\server\\share\\x.f"},
    {"file:///dir/x.f", W, "\\dir\\x.f"},
};

TEST(FileUri, UriOfPath)
{
    for (const SUriCase& c : kPathCases)
        EXPECT_EQ(UriOfPath(c.pszPath, c.style), c.pszUri) << c.pszPath << (c.style == W ? " (Windows)" : " (POSIX)");
}

TEST(FileUri, APathComesBackFromItsUri)
{
    // every byte but NUL in a name, on each side of a separator
    for (const PathStyle style : {P, W}) {
        const std::string root = style == W ? "C:\\" : "/";
        for (int n = 1; n < 256; ++n) {
            if (style == W && (n == '/' || n == '\\'))
                continue;  // one separator in a Windows path: "\"
            const std::string path = root + "a" + static_cast<char>(n) + "b" + (style == W ? "\\" : "/") +
                                     static_cast<char>(n) + ".f";
            EXPECT_EQ(PathOfUri(UriOfPath(path, style), style), path) << n;
        }
    }
}

}  // namespace
