// A document's file: URI and the path of its file, both ways. The two
// families of systems write a path differently, so each conversion takes
// the style it writes or reads; the server uses the style of the system it
// was built for, and the tests run both on any system.
#pragma once

#include <string>

// POSIX: "/dir/x.f90". Windows: "C:\dir\x.f90", or "\\server\share\x.f90"
// for a file on another machine.
enum class PathStyle { POSIX, WINDOWS };

#ifdef _WIN32
inline constexpr PathStyle kNativePathStyle = PathStyle::WINDOWS;
#else
inline constexpr PathStyle kNativePathStyle = PathStyle::POSIX;
#endif

// The path a file: URI names, percent escapes decoded; "" for another
// scheme, or for an escape that stands for a NUL byte (no file's name holds
// one, and the system would read the name only up to it). POSIX: what
// follows "file://", as it stands. Windows: the drive's letter in upper
// case ("file:///c%3A/x.f90" is "C:\x.f90"), a host other than localhost
// the machine of a UNC path, backslashes between the names.
std::string PathOfUri(const std::string& strUri, PathStyle style = kNativePathStyle);

// The file: URI of an absolute path, every byte but letters, digits and
// "-._~" escaped (and "/", and on Windows a drive's ":").
std::string UriOfPath(const std::string& strPath, PathStyle style = kNativePathStyle);
