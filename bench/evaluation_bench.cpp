// One keystroke's evaluation in long descriptor lists: the edit of the first
// descriptor (SP to SS and back) re-evaluates every descriptor after it.
#include <benchmark/benchmark.h>

#include <string>

#include "descriptor_list.h"
#include "message.h"

namespace {

// "(SP," then groups "2(I5,2X)," until the list holds about n descriptors:
// each group is four descriptors, and its ")" depends on what precedes it.
std::string GroupedList(long long n)
{
    std::string s = "(SP";
    for (long long i = 0; i < n / 4; ++i)
        s += ",2(I5,2X)";
    return s + ")\n";
}

// Splits the grouped list of about state.range(0) descriptors into list.
bool SetUp(benchmark::State& state, CDescriptorList& list)
{
    if (list.Split(GroupedList(state.range(0)).c_str()))
        return true;
    state.SkipWithError("list did not split");
    return false;
}

void EditFirstDescriptor(benchmark::State& state)
{
    CDescriptorList list;
    if (!SetUp(state, list))
        return;
    bool bPlus = false;
    for (auto _ : state) {
        benchmark::DoNotOptimize(list.SetText(0, bPlus ? "SP" : "SS"));
        bPlus = !bPlus;
    }
    state.SetComplexityN(list.size());
    state.counters["descriptors"] = list.size();
}
BENCHMARK(EditFirstDescriptor)
    ->Arg(1000)
    ->Arg(2000)
    ->Arg(4000)
    ->Arg(10000)
    ->Arg(20000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMicrosecond);

// The same edit over real fields, each with a value of its own, with the
// compiler's samples: every F and E sample is laid out again from its value.
void EditFirstDescriptorValuesExact(benchmark::State& state)
{
    CDescriptorList list;
    list.SetExact(true);
    std::string strList = "(SP";
    for (long long i = 0; i < state.range(0) / 4; ++i)
        strList += ",2(F11.3,E13.5)";
    if (!list.Split(strList + ")\n")) {
        state.SkipWithError("list did not split");
        return;
    }
    for (int i = 0; i < list.size(); ++i) {
        const int nKind = list.At(i).Kind();
        if (nKind == KIND_FWD || nKind == KIND_EWD)
            list.SetValue(i, (std::to_string(i * 37 % 100000) + "." + std::to_string(i)).c_str());
    }
    bool bPlus = false;
    for (auto _ : state) {
        benchmark::DoNotOptimize(list.SetText(0, bPlus ? "SP" : "SS"));
        bPlus = !bPlus;
    }
    state.SetComplexityN(list.size());
}
BENCHMARK(EditFirstDescriptorValuesExact)
    ->Arg(2000)
    ->Arg(8000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMicrosecond);

// A keystroke that changes no mode: only the later ")" descriptors are due.
void EditFirstGroupContent(benchmark::State& state)
{
    CDescriptorList list;
    if (!SetUp(state, list))
        return;
    bool bWide = false;
    for (auto _ : state) {
        benchmark::DoNotOptimize(list.SetText(2, bWide ? "I6" : "I5"));
        bWide = !bWide;
    }
    state.SetComplexityN(list.size());
}
BENCHMARK(EditFirstGroupContent)->Arg(1000)->Arg(10000)->Complexity(benchmark::oN)->Unit(benchmark::kMicrosecond);

// Removing the first descriptor re-evaluates every other one once.
void RemoveAndInsertFirst(benchmark::State& state)
{
    CDescriptorList list;
    if (!SetUp(state, list))
        return;
    for (auto _ : state) {
        list.RemoveDescriptor(0);
        list.InsertDescriptor(0, "SP");
    }
    state.SetComplexityN(list.size());
}
BENCHMARK(RemoveAndInsertFirst)->Arg(1000)->Arg(10000)->Complexity(benchmark::oN)->Unit(benchmark::kMicrosecond);

void SplitList(benchmark::State& state)
{
    const std::string strText = GroupedList(state.range(0));
    CDescriptorList list;
    for (auto _ : state)
        benchmark::DoNotOptimize(list.Split(strText.c_str()));
    state.SetComplexityN(list.size());
}
BENCHMARK(SplitList)->Arg(1000)->Arg(10000)->Complexity(benchmark::oN)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
