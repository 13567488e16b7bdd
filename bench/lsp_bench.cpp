// The language server on a fixed-form file of 10,000 lines with 500 FORMAT
// statements, each used by a WRITE: a keystroke's change to the diagnostics
// published for it, and a hover on a descriptor of the last FORMAT. Both go
// through the server's message handling as a client's messages do. And
// what an open document costs in memory beyond its text: N copies of a
// 2,000-line file opened in one server.
#include <benchmark/benchmark.h>

#include <malloc.h>
#include <unistd.h>

#include <fstream>
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

namespace {

// A 2,000-line program as a code base has them: declarations, named
// formats, FORMAT statements and format strings, each used by a WRITE or a
// READ, and lines of comments and assignments between them.
std::string RealisticProgram()
{
    std::string text = "      PROGRAM REPORT\n      IMPLICIT NONE\n      INTEGER N, K, IDS(10)\n"
                       "      REAL X, Y(3)\n      DOUBLE PRECISION D\n      CHARACTER*12 NAME\n"
                       "      CHARACTER*(*) HEAD\n      PARAMETER (HEAD = '(A, I5, F10.3)')\n";
    int nLine = 8;
    for (int i = 0; nLine < 2000 - 1; ++i) {
        const std::string label = std::to_string(100 + i);
        text += "C     SECTION " + label + ": THE TOTALS OF THE RUN, WRITTEN AND READ BACK\n";
        text += "      WRITE (6, " + label + ") N, X, (Y(K), K = 1, 3), D\n";
        text += "  " + label + " FORMAT (1X, 'COUNT', I6, 2X, F10.3, 3ES12.4, ' D=', D15.7)\n";
        text += "      WRITE (6, '(A12, 10I5)') NAME, IDS\n";
        text += "      READ (5, HEAD) NAME, N, X\n";
        nLine += 5;
        for (int k = 0; k < 15 && nLine < 2000 - 1; ++k, ++nLine)
            text += k % 3 ? "      X = X + Y(1) * 2.5 - D / 3.0\n" : "C     THE NEXT STEP OF THE COMPUTATION\n";
    }
    return text + "      END\n";
}

// The bytes a process holds: resident, and allocated on the heap (freed
// heap returned first, so that one measurement does not use another's).
struct SMemory {
    long long nResident = 0;
    long long nHeap = 0;
};

SMemory MemoryNow()
{
    malloc_trim(0);
    SMemory memory;
    long long nPages = 0, nResident = 0;
    std::ifstream("/proc/self/statm") >> nPages >> nResident;
    memory.nResident = nResident * sysconf(_SC_PAGESIZE);
    memory.nHeap = static_cast<long long>(mallinfo2().uordblks);
    return memory;
}

}  // namespace

// N copies of the 2,000-line program open under different URIs: what each
// adds to the process, resident and on the heap, in KiB, beside its text.
void MemoryPerOpenDocument(benchmark::State& state)
{
    const std::string text = RealisticProgram();
    const auto nDocuments = static_cast<int>(state.range(0));
    for (auto _ : state) {
        std::ostringstream out;
        const SMemory before = MemoryNow();
        {
            CLanguageServer server(out);
            server.Receive(Message("initialize", {{"capabilities", json::object()}}, 1).dump());
            for (int i = 0; i < nDocuments; ++i) {
                const std::string uri = "file:///bench/copy" + std::to_string(i) + ".f";
                server.Receive(Message("textDocument/didOpen",
                                       {{"textDocument",
                                         {{"uri", uri}, {"languageId", "fortran"}, {"version", 1}, {"text", text}}}})
                                   .dump());
                out.str(std::string());
            }
            const SMemory after = MemoryNow();
            state.counters["resident_KiB_per_file"] = static_cast<double>(after.nResident - before.nResident) / 1024.0 /
                                                      nDocuments;
            state.counters["heap_KiB_per_file"] = static_cast<double>(after.nHeap - before.nHeap) / 1024.0 / nDocuments;
        }
    }
    state.counters["text_KiB"] = static_cast<double>(text.size()) / 1024.0;
}
BENCHMARK(MemoryPerOpenDocument)->Arg(1)->Arg(50)->Arg(200)->Arg(500)->Iterations(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
