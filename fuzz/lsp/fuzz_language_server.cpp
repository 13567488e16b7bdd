// Feeds the language server what a client might send on its standard
// input: the bytes are read as framed messages, as quillmark-lsp reads
// them, until exit or their end. An input that starts as JSON ('{' or '[')
// is taken whole as one message's body by a server already initialized, as
// a body the framing let through would be. Whatever comes in, the server
// must answer in framed messages of JSON, and must never crash, hang or
// leak; the window it would start is never started.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "language_server.h"
#include "message_stream.h"

namespace {

bool NeverStart(const std::string&, const std::vector<std::string>&, std::string& strWhy)
{
    strWhy = "not started while fuzzing";
    return false;
}

// What the server wrote: messages framed one after another, each JSON.
void CheckWritten(const std::string& written)
{
    std::istringstream in(written);
    std::string body;
    for (MessageRead read; (read = ReadMessage(in, body)) != MessageRead::END;) {
        if (read != MessageRead::MESSAGE || nlohmann::json::parse(body, nullptr, false).is_discarded())
            std::abort();
    }
    if (in.clear(), in.tellg() != static_cast<std::streamoff>(written.size()))
        std::abort();  // bytes after the last message
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::ostringstream out;
    CLanguageServer server(out, NeverStart);
    if (!input.empty() && (input.front() == '{' || input.front() == '[')) {
        server.Receive(R"({"jsonrpc": "2.0", "id": 0, "method": "initialize", "params": {"capabilities": {}}})");
        server.Receive(input);
    } else {
        std::istringstream in(input);
        server.Run(in);
    }
    CheckWritten(out.str());
    return 0;
}
