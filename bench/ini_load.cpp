// Loading the settings from a large ini file: 10,000 lines, the settings section last.
#include "tests/platform/TempFolder.h"

#include "foundation/Settings.h"
#include "platform/win32/Profile.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <string>
#include <thread>

namespace
{
constexpr int LINE_COUNT = 10000;

// Other programs' sections fill the file; the game's own section comes after all of them.
std::string MakeLargeIni()
{
    std::string text;
    int nLines = 0;
    for (int nSection = 0; nLines < LINE_COUNT - 100; ++nSection)
    {
        text += "[Other " + std::to_string(nSection) + "]\r\n";
        for (int nKey = 0; nKey < 9; ++nKey)
            text += "Key" + std::to_string(nKey) + "=value " + std::to_string(nSection * 9 + nKey) + "\r\n";
        nLines += 10;
    }
    CTempFolder dir;
    CSettings settings;
    settings.SetDefaults();
    settings.m_strIniFilePath = dir.File("defaults.ini").c_str();
    settings.Save();
    text += dir.Read("defaults.ini");
    return text;
}

// A file just written is read again at every lookup until it settles (its bytes compared, parsed
// only when they changed); a file that has settled is read once. The game's settings file has
// settled long before the game starts.
void SettleFiles(bool bSettled)
{
    if (bSettled)
        std::this_thread::sleep_for(std::chrono::seconds(3));
}

// Each load reads and parses the whole file: two copies are loaded in turn, so that no load
// finds the file it reads already parsed.
void BM_SettingsLoad10000Lines(benchmark::State& state)
{
    CTempFolder dir;
    const std::string text = MakeLargeIni();
    dir.Write("a.ini", text);
    dir.Write("b.ini", text);
    SettleFiles(state.range(0) != 0);
    CSettings settings;
    settings.SetDefaults();
    const CString files[] = {dir.File("a.ini").c_str(), dir.File("b.ini").c_str()};
    int i = 0;
    for (auto _ : state)
    {
        settings.m_strIniFilePath = files[i++ & 1];
        benchmark::DoNotOptimize(settings.Load());
    }
}
BENCHMARK(BM_SettingsLoad10000Lines)->ArgName("settled")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// One more key read from a file already parsed.
void BM_ProfileLookupInParsedFile(benchmark::State& state)
{
    CTempFolder dir;
    dir.Write("a.ini", MakeLargeIni());
    SettleFiles(state.range(0) != 0);
    const std::string file = dir.File("a.ini");
    char buffer[64];
    for (auto _ : state)
        benchmark::DoNotOptimize(
            GetPrivateProfileString("Other 500", "Key4", "", buffer, sizeof(buffer), file.c_str()));
}
BENCHMARK(BM_ProfileLookupInParsedFile)->ArgName("settled")->Arg(0)->Arg(1);
} // namespace
