// A player's statistics file read from any bytes, kept in memory. Property: statistics saved and
// read again are the same numbers.
#include "tests/fuzz/FuzzTarget.h"

#include "foundation/Folders.h"
#include "platform/win32/Files.h"
#include "platform/win32/Profile.h"
#include "simulation/Player.h"

namespace
{
// The data folder is the fuzz folder, set once.
void UseFuzzDataFolder()
{
    static const bool s_bSet = []
    {
        OverrideProgramFilePath(FuzzFolder() + "Vorn");
        FindDataFolder();
        FuzzCheck(GetDataFolder().Str() == FuzzFolder(), "the statistics are not where the target puts them");
        return true;
    }();
    (void)s_bSet;
}

bool SameNumbers(const CPlayerStats& a, const CPlayerStats& b)
{
    for (int nKey = 0; nKey < STATS_KEY_COUNT; ++nKey)
        for (int nColumn = 0; nColumn < STATS_COLUMN_COUNT; ++nColumn)
            if (a.Get(static_cast<EStatsKey>(nKey), nColumn) != b.Get(static_cast<EStatsKey>(nKey), nColumn))
                return false;
    return true;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    UseFuzzDataFolder();
    FuzzProfileFile("Fuzzer.ini", pData, nSize);
    CPlayerStats stats;
    stats.Load("Fuzzer");
    FuzzCheck(stats.Save() == TRUE, "the statistics cannot be saved");
    CPlayerStats again;
    again.Load("Fuzzer");
    FuzzCheck(SameNumbers(stats, again), "statistics read again differ");
    return 0;
}

std::vector<std::vector<BYTE>> FuzzSeeds()
{
    UseFuzzDataFolder();
    FuzzProfileFile("Seed.ini", nullptr, 0);
    CPlayerStats stats;
    stats.Load("Seed");
    for (int nKey = 0; nKey < STATS_KEY_COUNT; ++nKey)
        for (int nColumn = 0; nColumn < STATS_SECTION_COUNT; ++nColumn)
            stats.Set(static_cast<EStatsKey>(nKey), nColumn, nKey * 10 + nColumn - 3);
    stats.Save();
    return {FuzzBytes(GetProfileFileForTest((FuzzFolder() + "Seed.ini").c_str()).value_or(""))};
}
