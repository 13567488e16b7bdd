// The language server on a fixed-form file of 10,000 lines with 500 FORMAT
// statements, each used by a WRITE: a keystroke's change to the diagnostics
// published for it, and a hover on a descriptor of the last FORMAT. Both go
// through the server's message handling as a client's messages do.
#include <benchmark/benchmark.h>

#include <sstream>
#include <string>

#include <nlohmann/json.hpp>

#include "language_server.h"

using nlohmann::json;

namespace {

constexpr int kFormats = 500;
const char* const kUri = "file:///bench/large.f";

// 20 lines a FORMAT: declarations, a WRITE, the FORMAT, comments and
// assignments; 10,000 lines in all.
std::string LargeProgram()
{
    std::string text = "      PROGRAM LARGE\n      INTEGER N\n      REAL X(3)\n";
    int nLine = 3;
    for (int i = 0; i < kFormats; ++i) {
        const std::string label = std::to_string(1000 + i);
        text += "      WRITE (6, " + label + ") N, X\n";
        text += " " + label + " FORMAT (I5, 3F10.3, 2X, 'TOTAL', ES12.4)\n";
        nLine += 2;
        for (int k = 0; k < 18 && nLine < 10000 - 1; ++k, ++nLine)
            text += k % 2 ? "C     A COMMENT LINE\n" : "      N = N + 1\n";
    }
    return text + "      END\n";
}

json Message(const char* method, json params, int id = 0)
{
    json m = {{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}};
    if (id != 0)
        m["id"] = id;
    return m;
}

void Open(CLanguageServer& server)
{
    server.Receive(Message("initialize", {{"capabilities", json::object()}}, 1).dump());
    server.Receive(Message("textDocument/didOpen",
                           {{"textDocument",
                             {{"uri", kUri}, {"languageId", "fortran"}, {"version", 1}, {"text", LargeProgram()}}}})
                       .dump());
}

}  // namespace

// One character typed in the middle of the file, to its diagnostics.
void ChangeToDiagnostics(benchmark::State& state)
{
    std::ostringstream out;
    CLanguageServer server(out);
    Open(server);
    const json range = {{"start", {{"line", 5000}, {"character", 6}}}, {"end", {{"line", 5000}, {"character", 7}}}};
    long long nVersion = 2;
    for (auto _ : state) {
        json change = Message("textDocument/didChange", {{"textDocument", {{"uri", kUri}, {"version", nVersion}}}});
        change["params"]["contentChanges"] = json::array({json{{"range", range}, {"text", nVersion % 2 ? "M" : "N"}}});
        server.Receive(change.dump());
        ++nVersion;
        out.str(std::string());
    }
}
BENCHMARK(ChangeToDiagnostics)->Unit(benchmark::kMillisecond);

// A hover on the F10.3 of the last FORMAT statement.
void HoverOnDescriptor(benchmark::State& state)
{
    std::ostringstream out;
    CLanguageServer server(out);
    Open(server);
    const std::string hover = Message("textDocument/hover",
                                      {{"textDocument", {{"uri", kUri}}},
                                       {"position", {{"line", 3 + 20 * (kFormats - 1) + 1}, {"character", 22}}}},
                                      2)
                                  .dump();
    for (auto _ : state) {
        out.str(std::string());
        server.Receive(hover);
    }
    if (out.str().find("F10.3") == std::string::npos)
        state.SkipWithError("the hover did not describe F10.3");
}
BENCHMARK(HoverOnDescriptor)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
