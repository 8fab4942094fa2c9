// Opening a resource library of about 1 MB with many small entries: the checks made at opening,
// the duplicate-entry check among them.
#include "platform/win32/ResourceLibrary.h"

#include <benchmark/benchmark.h>
#include <string>

namespace
{
std::vector<BYTE> MakeLibrary(int nEntries)
{
    CResourceLibraryWriter writer;
    std::string strError;
    for (int i = 0; i < nEntries; ++i)
    {
        // Names and ids mixed, as a game library holds them.
        const SResourceKey name = i % 2 == 0 ? SResourceKey::Id(static_cast<WORD>(i / 2 + 1))
                                             : SResourceKey::Name("ENTRY_" + std::to_string(i));
        writer.Add(SResourceKey::Name("_DATA"), name, 0, std::vector<BYTE>(48, static_cast<BYTE>(i)), strError);
    }
    return writer.Build();
}

void BM_OpenLibrary(benchmark::State& state)
{
    const std::vector<BYTE> bytes = MakeLibrary(static_cast<int>(state.range(0)));
    state.counters["bytes"] = static_cast<double>(bytes.size());
    std::string strError;
    for (auto _ : state)
        benchmark::DoNotOptimize(CResourceLibrary::FromBytes(bytes, strError));
}
BENCHMARK(BM_OpenLibrary)->Arg(1000)->Arg(16000)->Unit(benchmark::kMillisecond);
} // namespace
