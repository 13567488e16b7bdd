#include "file_uri.h"

#include <algorithm>
#include <string_view>

#include "char_class.h"

namespace {

constexpr std::string_view kScheme = "file://";

int HexValue(char c)
{
    if (IsDigit(c))
        return c - '0';
    const char u = ToUpper(c);
    return u >= 'A' && u <= 'F' ? u - 'A' + 10 : -1;
}

// The bytes a part of a URI stands for, its percent escapes decoded (a "%"
// that starts none is itself); false when one of them is a NUL.
bool Decode(std::string_view part, std::string& bytes)
{
    bytes.clear();
    for (std::size_t i = 0; i < part.size(); ++i) {
        if (part[i] == '%' && i + 2 < part.size() && HexValue(part[i + 1]) >= 0 && HexValue(part[i + 2]) >= 0) {
            bytes += static_cast<char>(HexValue(part[i + 1]) * 16 + HexValue(part[i + 2]));
            i += 2;
        } else {
            bytes += part[i];
        }
    }
    return bytes.find('\0') == std::string::npos;
}

bool IsDriveAt(const std::string& path, std::size_t i)
{
    return path.size() >= i + 2 && IsLetter(path[i]) && path[i + 1] == ':' &&
           (path.size() == i + 2 || path[i + 2] == '/' || path[i + 2] == '\\');
}

// The decoded path of a URI made a Windows path, given its decoded host:
// "/c:/x" is on drive C:, a host names the machine of a UNC path.
void MakeWindowsPath(const std::string& host, std::string& path)
{
    if (host.empty() || EqualsNoCase(host, "localhost")) {
        if (path.size() > 1 && path[0] == '/' && IsDriveAt(path, 1)) {
            path.erase(0, 1);
            path[0] = ToUpper(path[0]);
        }
    } else {
        path = "//" + host + path;
    }
    for (char& c : path)
        if (c == '/')
            c = '\\';
}

}  // namespace

std::string PathOfUri(const std::string& strUri, PathStyle style)
{
    if (strUri.compare(0, kScheme.size(), kScheme) != 0)
        return std::string();
    const std::string_view rest = std::string_view(strUri).substr(kScheme.size());
    std::string path;
    if (style == PathStyle::POSIX)
        return Decode(rest, path) ? path : std::string();
    const std::size_t nSlash = std::min(rest.find('/'), rest.size());
    std::string host;
    if (!Decode(rest.substr(0, nSlash), host) || !Decode(rest.substr(nSlash), path))
        return std::string();
    MakeWindowsPath(host, path);
    return path;
}

std::string UriOfPath(const std::string& strPath, PathStyle style)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string path = strPath;
    if (style == PathStyle::WINDOWS) {
        for (char& c : path)
            if (c == '\\')
                c = '/';
        if (path.compare(0, 2, "//") == 0)
            path.erase(0, 2);  // the host stands where a local file's empty one does
        else if (IsDriveAt(path, 0))
            path.insert(0, 1, '/');
    }
    const std::size_t nDriveColon = style == PathStyle::WINDOWS && IsDriveAt(path, 1) ? 2 : std::string::npos;
    std::string uri(kScheme);
    for (std::size_t i = 0; i < path.size(); ++i) {
        const char c = path[i];
        if (IsLetter(c) || IsDigit(c) || std::string_view("/-._~").find(c) != std::string_view::npos ||
            i == nDriveColon) {
            uri += c;
        } else {
            const auto u = static_cast<unsigned char>(c);
            uri += '%';
            uri += kHex[u >> 4];
            uri += kHex[u & 15];
        }
    }
    return uri;
}
