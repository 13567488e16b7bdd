// The server run as an editor runs it: messages framed on its standard
// input, its answers and notifications read back from its standard output.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "language_server.h"
#include "message_stream.h"
#include "process_runner.h"
#include "temp_dir.h"

using nlohmann::json;

namespace {

const char* const kUri = "file:///work/prog.f";

// A fixed-form program whose FORMAT two WRITEs use, one of them with an
// item of the wrong type.
const char* const kProgram = "      PROGRAM P\n"
                             "      INTEGER N\n"
                             "      REAL X\n"
                             "      LOGICAL L\n"
                             "      WRITE (6, 100) N, X\n"
                             "      WRITE (6, 100) N, L\n"
                             "  100 FORMAT (I5, F8.2)\n"
                             "      END\n";

std::string Framed(const json& message)
{
    const std::string body = message.dump();
    return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

json Request(int id, const char* method, json params)
{
    return {{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", std::move(params)}};
}

json Notification(const char* method, json params)
{
    return {{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}};
}

json At(int line, int character)
{
    return {{"textDocument", {{"uri", kUri}}}, {"position", {{"line", line}, {"character", character}}}};
}

// The messages the server wrote.
std::vector<json> Messages(const std::string& output)
{
    std::istringstream in(output);
    std::vector<json> messages;
    std::string body;
    while (ReadMessage(in, body) == MessageRead::MESSAGE)
        messages.push_back(json::parse(body));
    return messages;
}

const json* Answer(const std::vector<json>& messages, int id)
{
    for (const json& m : messages)
        if (m.contains("id") && m["id"] == id)
            return &m;
    return nullptr;
}

std::vector<json> Published(const std::vector<json>& messages)
{
    std::vector<json> published;
    for (const json& m : messages)
        if (m.value("method", "") == "textDocument/publishDiagnostics")
            published.push_back(m["params"]);
    return published;
}

// Runs the server program over the input; its messages and exit status.
// Each run has a folder of its own: the tests run in parallel.
std::vector<json> RunServer(const std::string& input, int& nExit)
{
    const CTempDir dir;
    const std::string file = dir.Write("lsp_input", input);
    const SProcessResult result = RunProcess("/bin/sh", {"-c", "exec \"$0\" < \"$1\"", QUILLMARK_LSP, file});
    nExit = result.nExitStatus;
    return Messages(result.strOut);
}

// The text a Range covers in a document's text (ASCII, so UTF-16 units are bytes).
std::string TextOf(const std::string& text, const json& range)
{
    std::vector<std::size_t> starts = {0};
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n')
            starts.push_back(i + 1);
    const auto offset = [&](const json& p) {
        return starts.at(p["line"].get<std::size_t>()) + p["character"].get<std::size_t>();
    };
    return text.substr(offset(range["start"]), offset(range["end"]) - offset(range["start"]));
}

}  // namespace

TEST(LanguageServer, DefinitionOfANamedFormatIsWhereItsValueIsGiven)
{
    // each program: where "definition" is asked (the first of the word
    // marked in the line marked), and the text its answer covers ("" for none)
    const struct {
        const char* pszUri;
        const char* pszText;
        const char* pszAskedLine;
        const char* pszAskedWord;
        const char* pszGiven;
    } kCases[] = {
        {"file:///w/free.f90",
         "program p\n  character(*), parameter :: fmt = '(I5)'\n  integer :: n = 1\n  write (6, fmt) n\nend program "
         "p\n",
         "write", "fmt", "fmt = '(I5)'"},
        {"file:///w/head.f",
         "      PROGRAM P\n      CHARACTER*8 HEAD\n      PARAMETER (N = 2, HEAD = '(A)')\n"
         "      WRITE (*, FMT=HEAD) 'X'\n      END\n",
         "WRITE", "HEAD", "HEAD = '(A)'"},
        {"file:///w/print.f",
         "      PROGRAM P\n      CHARACTER*(*) FMT\n      PARAMETER (FMT =\n     &  '(F8.2)')\n"
         "      PRINT FMT, 1.0\n      END\n",
         "PRINT", "FMT", "FMT =\n     &  '(F8.2)'"},
        {"file:///w/host.f90",
         "program p\n  character(*), parameter :: rfmt = \"(I5)\"\ncontains\n  subroutine s(n)\n"
         "    integer :: n\n    read (5, rfmt) n\n  end subroutine s\nend program p\n",
         "read", "rfmt", "rfmt = \"(I5)\""},
        {"file:///w/variable.f90",
         "program p\n  character(8) :: fmt\n  fmt = '(I5)'\n  write (6, fmt) 1\nend program p\n", "write", "fmt", ""},
        {"file:///w/module.f90",
         "module m\n  character(*), parameter :: mfmt = '(I5)'\nend module m\nprogram p\n  use m\n"
         "  write (6, mfmt) 1\nend program p\n",
         "write", "mfmt", ""},
    };
    for (const auto& c : kCases) {
        const std::string text = c.pszText;
        const std::size_t nLineStart = text.rfind('\n', text.find(c.pszAskedLine)) + 1;
        const std::size_t nAsked = text.find(c.pszAskedWord, text.find(c.pszAskedLine) + 5);
        const long long nLine = std::count(text.begin(), text.begin() + static_cast<long>(nLineStart), '\n');
        std::ostringstream out;
        CLanguageServer server(out);
        server.Receive(Request(1, "initialize", {{"capabilities", json::object()}}).dump());
        server.Receive(Notification("textDocument/didOpen",
                                    {{"textDocument", {{"uri", c.pszUri}, {"version", 1}, {"text", text}}}})
                           .dump());
        // on the name's first character and on its last
        for (const std::size_t nAt : {nAsked, nAsked + std::strlen(c.pszAskedWord) - 1}) {
            server.Receive(Request(2, "textDocument/definition",
                                   {{"textDocument", {{"uri", c.pszUri}}},
                                    {"position", {{"line", nLine}, {"character", nAt - nLineStart}}}})
                               .dump());
            const std::vector<json> messages = Messages(out.str());
            const json result = messages.back()["result"];
            EXPECT_EQ(result.is_null() ? "" : TextOf(text, result["range"]), c.pszGiven) << c.pszUri;
            EXPECT_EQ(result.is_null() ? c.pszUri : result["uri"], c.pszUri);
        }
    }
}

TEST(LanguageServer, AnEditorsSessionFromInitializeToExit)
{
    std::string input = Framed(Request(1, "initialize", {{"capabilities", json::object()}}));
    input += Framed(Notification("initialized", json::object()));
    input += Framed(Notification(
        "textDocument/didOpen",
        {{"textDocument", {{"uri", kUri}, {"languageId", "fortran"}, {"version", 1}, {"text", kProgram}}}}));
    input += Framed(Request(2, "textDocument/hover", At(6, 20)));       // on F8.2
    input += Framed(Request(3, "textDocument/definition", At(4, 17)));  // on the 100 of the first WRITE
    json references = At(6, 10);
    references["context"] = {{"includeDeclaration", false}};
    input += Framed(Request(4, "textDocument/references", references));
    input += Framed(Request(5, "textDocument/documentSymbol", {{"textDocument", {{"uri", kUri}}}}));
    // the second WRITE's L becomes X: the mismatch goes
    const json range = {{"start", {{"line", 5}, {"character", 24}}}, {"end", {{"line", 5}, {"character", 25}}}};
    json change = {{"textDocument", {{"uri", kUri}, {"version", 2}}}};
    change["contentChanges"] = json::array({json{{"range", range}, {"text", "X"}}});
    input += Framed(Notification("textDocument/didChange", change));
    input += Framed(Request(6, "textDocument/hover", At(6, 15)));  // on I5
    input += Framed(Request(7, "shutdown", nullptr));
    input += Framed(Notification("exit", nullptr));
    int nExit = -1;
    const std::vector<json> messages = RunServer(input, nExit);
    EXPECT_EQ(nExit, 0);

    const json* pInit = Answer(messages, 1);
    ASSERT_NE(pInit, nullptr);
    EXPECT_EQ((*pInit)["result"]["capabilities"]["positionEncoding"], "utf-16");
    EXPECT_EQ((*pInit)["result"]["capabilities"]["textDocumentSync"]["change"], 2);

    const json hover = (*Answer(messages, 2))["result"];
    const std::string text = hover["contents"]["value"];
    EXPECT_NE(text.find("F8.2: real, 8 wide, 2 decimals, columns 6 to 13"), std::string::npos) << text;
    EXPECT_NE(text.find("WRITE (6, 100) at line 5: 2 items, 1 record: edits X"), std::string::npos) << text;
    EXPECT_NE(text.find("WRITE (6, 100) at line 6: 2 items, 1 record: edits L; Expected REAL"), std::string::npos)
        << text;
    EXPECT_EQ(hover["range"]["start"], json({{"line", 6}, {"character", 18}}));
    EXPECT_EQ(hover["range"]["end"], json({{"line", 6}, {"character", 22}}));

    EXPECT_EQ((*Answer(messages, 3))["result"]["range"]["start"]["line"], 6);
    const json found = (*Answer(messages, 4))["result"];
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0]["range"]["start"]["line"], 4);
    EXPECT_EQ(found[1]["range"]["start"]["line"], 5);
    const json symbols = (*Answer(messages, 5))["result"];
    ASSERT_EQ(symbols.size(), 1u);
    EXPECT_EQ(symbols[0]["name"], "100 FORMAT");

    const std::vector<json> published = Published(messages);
    ASSERT_EQ(published.size(), 2u);
    ASSERT_EQ(published[0]["diagnostics"].size(), 1u);
    const json d = published[0]["diagnostics"][0];
    EXPECT_EQ(d["code"], "refused-item");
    EXPECT_EQ(d["range"]["start"]["line"], 5);
    EXPECT_EQ(d["relatedInformation"][0]["location"]["range"]["start"]["line"], 6);
    EXPECT_TRUE(published[1]["diagnostics"].empty()) << published[1].dump();
    const std::string after = (*Answer(messages, 6))["result"]["contents"]["value"];
    EXPECT_NE(after.find("WRITE (6, 100) at line 6: 2 items, 1 record: edits N"), std::string::npos) << after;
    EXPECT_EQ((*Answer(messages, 7))["result"], nullptr);
}

TEST(LanguageServer, BadInputGetsAnErrorAndTheServerGoesOn)
{
    std::ostringstream out;
    CLanguageServer server(out);
    const std::vector<std::pair<std::string, int>> cases = {
        {Request(1, "textDocument/hover", At(0, 0)).dump(), -32002},  // before initialize
        {Request(2, "initialize", {{"capabilities", {{"general", {{"positionEncodings", {"utf-8"}}}}}}}).dump(), 0},
        {"{not json", -32700},
        {"[1, 2]", -32600},
        {Request(3, "textDocument/noSuchThing", json::object()).dump(), -32601},
        {Request(4, "textDocument/hover", {{"textDocument", 5}}).dump(), -32602},
        {Request(5, "textDocument/hover", At(0, 0)).dump(), 0},  // a document not open: no hover
        // numbers that are no integers (1e300 is past what a line number can be)
        {R"({"jsonrpc":"2.0","id":8,"method":"textDocument/hover","params":{"textDocument":{"uri":"file:///x.f"},)"
         R"("position":{"line":1e300,"character":0}}})",
         -32602},
        {R"({"jsonrpc":"2.0","id":9,"method":"textDocument/definition","params":{"textDocument":{"uri":"file:///x.f"},)"
         R"("position":{"line":0,"character":-2.5}}})",
         -32602},
        {Request(6, "shutdown", nullptr).dump(), 0},
        {Request(7, "textDocument/hover", At(0, 0)).dump(), -32600},  // after shutdown
    };
    for (const auto& [body, nCode] : cases)
        server.Receive(body);
    server.ReceiveBadHeader();
    const std::vector<json> messages = Messages(out.str());
    ASSERT_EQ(messages.size(), cases.size() + 1);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const int nCode = messages[i].contains("error") ? messages[i]["error"]["code"].get<int>() : 0;
        EXPECT_EQ(nCode, cases[i].second) << cases[i].first;
    }
    EXPECT_EQ(messages[1]["result"]["capabilities"]["positionEncoding"], "utf-8");
    EXPECT_EQ(messages.back()["error"]["code"], -32700);
    EXPECT_FALSE(server.Exited());
    server.Receive(Notification("exit", nullptr).dump());
    EXPECT_TRUE(server.Exited());
    EXPECT_EQ(server.ExitCode(), 0);

    // a change that gives no version after the largest one: the version
    // cannot go past it
    std::ostringstream last;
    CLanguageServer highest(last);
    highest.Receive(Request(1, "initialize", {{"capabilities", json::object()}}).dump());
    highest.Receive(Notification("textDocument/didOpen",
                                 {{"textDocument", {{"uri", kUri}, {"version", LLONG_MAX}, {"text", kProgram}}}})
                        .dump());
    highest.Receive(Notification("textDocument/didChange",
                                 {{"textDocument", {{"uri", kUri}}}, {"contentChanges", {{{"text", kProgram}}}}})
                        .dump());
    EXPECT_EQ(Published(Messages(last.str())).back()["version"], LLONG_MAX);

    // exit without shutdown: the protocol's exit code 1; a cut stream ends the run too
    int nExit = -1;
    RunServer(Framed(Notification("exit", nullptr)), nExit);
    EXPECT_EQ(nExit, 1);
    RunServer("Content-Length: 500\r\n\r\n{\"jsonrpc\"", nExit);
    EXPECT_EQ(nExit, 1);
}

TEST(LanguageServer, TheCodeActionStartsTheWindowOnTheFileAsSaved)
{
    const CTempDir temp;
    const std::filesystem::path dir = temp.Path();
    const std::filesystem::path file = dir / "prog.f", said = dir / "said", window = dir / "window";
    std::ofstream(file, std::ios::binary) << kProgram;
    // a stand-in window that writes down the words it was started with
    std::ofstream(window) << "#!/bin/sh\nprintf '%s|' \"$@\" > \"" + said.string() + ".part\"; mv \"" + said.string() +
                                 ".part\" \"" + said.string() + "\"\n";
    std::filesystem::permissions(window, std::filesystem::perms::owner_all);
    const std::string uri = "file://" + file.string();

    std::ostringstream out;
    CLanguageServer server(out);
    server.Receive(
        Request(1, "initialize",
                {{"capabilities", json::object()}, {"initializationOptions", {{"windowPath", window.string()}}}})
            .dump());
    server.Receive(
        Notification("textDocument/didOpen", {{"textDocument", {{"uri", uri}, {"version", 1}, {"text", kProgram}}}})
            .dump());
    const json range = {{"start", {{"line", 4}, {"character", 0}}}, {"end", {{"line", 4}, {"character", 0}}}};
    server.Receive(
        Request(2, "textDocument/codeAction",
                {{"textDocument", {{"uri", uri}}}, {"range", range}, {"context", {{"diagnostics", json::array()}}}})
            .dump());
    server.Receive(
        Request(3, "textDocument/codeAction",
                {{"textDocument", {{"uri", uri}}},
                 {"range", {{"start", {{"line", 1}, {"character", 0}}}, {"end", {{"line", 1}, {"character", 0}}}}}})
            .dump());
    std::vector<json> messages = Messages(out.str());
    const json actions = (*Answer(messages, 2))["result"];
    ASSERT_EQ(actions.size(), 1u);
    EXPECT_EQ(actions[0]["title"], "Edit FORMAT in Quillmark");
    EXPECT_TRUE((*Answer(messages, 3))["result"].empty());  // a declaration holds no format

    server.Receive(Request(4, "workspace/executeCommand", actions[0]["command"]).dump());
    for (int i = 0; i < 100 && !std::filesystem::exists(said); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::ifstream in(said);
    std::string words;
    std::getline(in, words);
    EXPECT_EQ(words, file.string() + "|5|17|");  // the WRITE's line and the column of its label

    // a change not saved: the window would not see it
    server.Receive(
        Notification("textDocument/didChange", {{"textDocument", {{"uri", uri}, {"version", 2}}},
                                                {"contentChanges", {{{"text", std::string(kProgram) + "C\n"}}}}})
            .dump());
    server.Receive(Request(5, "workspace/executeCommand", actions[0]["command"]).dump());
    // no such program
    server.Receive(Notification("workspace/didChangeConfiguration",
                                {{"settings", {{"quillmark", {{"windowPath", (dir / "none").string()}}}}}})
                       .dump());
    std::ofstream(file, std::ios::binary) << kProgram << "C\n";
    server.Receive(Request(6, "workspace/executeCommand", actions[0]["command"]).dump());
    messages = Messages(out.str());
    const json unsaved = (*Answer(messages, 5))["error"];
    EXPECT_EQ(unsaved["code"], -32803);
    EXPECT_NE(unsaved["message"].get<std::string>().find("not saved"), std::string::npos) << unsaved;
    const json missing = (*Answer(messages, 6))["error"];
    EXPECT_NE(missing["message"].get<std::string>().find("cannot start"), std::string::npos) << missing;
}

TEST(LanguageServer, TheCommandOnAFileThatIsNoRegularFileIsRefusedWithoutReadingIt)
{
    // a pipe no one writes to: opening it to compare would wait for ever
    const CTempDir temp;
    const std::filesystem::path pipe = temp.Path() / "prog.f";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    const std::string uri = "file://" + pipe.string();
    std::ostringstream out;
    bool bStarted = false;
    CLanguageServer server(out, [&](const std::string&, const std::vector<std::string>&, std::string&) {
        bStarted = true;
        return true;
    });
    server.Receive(Request(1, "initialize", {{"capabilities", json::object()}}).dump());
    server.Receive(
        Notification("textDocument/didOpen", {{"textDocument", {{"uri", uri}, {"version", 1}, {"text", kProgram}}}})
            .dump());
    server.Receive(Request(2, "workspace/executeCommand",
                           {{"command", "quillmark.server.editFormat"}, {"arguments", {uri, 5, 17}}})
                       .dump());
    const json error = (*Answer(Messages(out.str()), 2))["error"];
    EXPECT_EQ(error["code"], -32803);
    EXPECT_FALSE(bStarted);
}
