// The base protocol of the Language Server Protocol: each message a header
// part (Content-Length, and Content-Type which is read past) and a blank
// line, then that many bytes of JSON.
#pragma once

#include <iosfwd>
#include <string>

enum class MessageRead {
    MESSAGE,     // body holds one message's content
    END,         // the input ended between messages
    BAD_HEADER,  // a header part without a usable Content-Length; what follows is read as the next message
};

// The largest content a message may announce: what a client sends for the
// largest source file, with room to spare, and bounded so that a corrupt
// header cannot make the server hold gigabytes.
inline constexpr std::size_t kMaxContentLength = 256u << 20;

MessageRead ReadMessage(std::istream& in, std::string& body);
void WriteMessage(std::ostream& out, const std::string& body);
