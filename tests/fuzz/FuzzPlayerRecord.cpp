// Player records of saved games read from any bytes; the first byte picks the record version.
// Property: a record read and written again reads back to the same bytes.
#include "tests/fuzz/FuzzTarget.h"

#include "simulation/Player.h"

namespace
{
std::vector<BYTE> Written(const CPlayer& player)
{
    CByteWriter writer;
    player.Write(writer);
    return writer.Take();
}

constexpr int VERSIONS[] = {53, 54, 55};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    if (nSize == 0)
        return 0;
    static CPlayer s_read;
    static CPlayer s_again;
    const int nVersion = VERSIONS[pData[0] % 3];
    if (s_read.Read(pData + 1, nSize - 1, nVersion) == 0)
        return 0;
    const std::vector<BYTE> bytes = Written(s_read);
    FuzzCheck(s_again.Read(bytes.data(), bytes.size(), 55) == static_cast<int>(bytes.size()),
              "a record written cannot be read whole");
    FuzzCheck(Written(s_again) == bytes, "a record read and written again differs");
    return 0;
}

std::vector<std::vector<BYTE>> FuzzSeeds()
{
    CPlayer player;
    player.SetId(17);
    player.GetNameRef() = "Zoe";
    player.SetGames(3);
    player.SetPoints(42);
    player.SetLevel(7);
    player.SetGroup(1);
    CViewRecord view;
    view.Set(10.5f, 20.25f, 3.0f, 0.5f, 0.25f, -1.0f, 0.125f, -0.5f, 45.0f, 90.0f, 7.75f);
    player.SetViewRecord(view);
    std::vector<std::vector<BYTE>> seeds;
    for (BYTE nVersion = 0; nVersion < 3; ++nVersion)
    {
        std::vector<BYTE> seed = {nVersion};
        std::vector<BYTE> record = Written(player);
        // Older records lack the level (at 28) and, before that, the identifier (at 0).
        if (nVersion < 2)
            record.erase(record.begin() + 28, record.begin() + 32);
        if (nVersion < 1)
            record.erase(record.begin(), record.begin() + 4);
        seed.insert(seed.end(), record.begin(), record.end());
        seeds.push_back(seed);
    }
    return seeds;
}
