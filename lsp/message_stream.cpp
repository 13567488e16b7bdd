#include "message_stream.h"

#include <algorithm>
#include <charconv>
#include <istream>
#include <ostream>

#include "char_class.h"

namespace {

// A header line without its CR LF (or LF) end; false at the input's end.
bool ReadHeaderLine(std::istream& in, std::string& line)
{
    if (!std::getline(in, line))
        return false;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return true;
}

// The value of a Content-Length header line; false for any other line or a
// value that is no length.
bool ContentLength(const std::string& line, std::size_t& n)
{
    static constexpr std::string_view kName = "content-length:";
    if (line.size() < kName.size())
        return false;
    for (std::size_t i = 0; i < kName.size(); ++i)
        if (ToLower(line[i]) != kName[i])
            return false;
    std::size_t i = kName.size();
    while (i < line.size() && IsBlank(line[i]))
        ++i;
    const char* last = line.data() + line.size();
    const auto [end, error] = std::from_chars(line.data() + i, last, n);
    return error == std::errc() && end == last && end != line.data() + i;
}

// The n bytes of a body, read a part at a time: a length that the input
// does not hold takes no more memory than the input does. False when the
// input ends first.
bool ReadBody(std::istream& in, std::size_t n, std::string& body)
{
    constexpr std::size_t kPart = std::size_t{1} << 16;
    body.clear();
    while (body.size() < n) {
        const std::size_t nHad = body.size();
        const std::size_t nPart = std::min(kPart, n - nHad);
        body.resize(nHad + nPart);
        in.read(body.data() + nHad, static_cast<std::streamsize>(nPart));
        if (static_cast<std::size_t>(in.gcount()) != nPart)
            return false;
    }
    return true;
}

}  // namespace

MessageRead ReadMessage(std::istream& in, std::string& body)
{
    std::string line;
    std::size_t n = 0;
    bool bLength = false, bAny = false;
    while (ReadHeaderLine(in, line)) {
        if (line.empty()) {
            if (!bAny)
                continue;  // blank lines between messages
            if (!bLength || n > kMaxContentLength)
                return MessageRead::BAD_HEADER;
            return ReadBody(in, n, body) ? MessageRead::MESSAGE : MessageRead::END;
        }
        bAny = true;
        std::size_t nValue = 0;
        if (ContentLength(line, nValue)) {
            n = nValue;
            bLength = true;
        }
    }
    return MessageRead::END;
}

void WriteMessage(std::ostream& out, const std::string& body)
{
    out << "Content-Length: " << body.size() << "\r\n\r\n" << body;
    out.flush();
}
