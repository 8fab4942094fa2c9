// Saved games (a ".sav" file, and "lastgame", which start-up resumes) read from any bytes.
// Properties: a refused file leaves the snapshot as it was; an accepted one is written again as
// bytes that read back to the same bytes.
#include "tests/fuzz/FuzzTarget.h"

#include "gameflow/SavedGame.h"
#include "simulation/RefereeTypes.h"

namespace
{
/// The snapshot the seeds are written from: a game of the referee's type after its break.
std::vector<BYTE> Written(CReferee& referee, int nGameType, DWORD nGameMode)
{
    CSavedGame game("C:\\Vorn\\Saved\\lastgame");
    game.m_View.Set(30.5f, 12.0f, 1.75f, 0.1f, 26.0f, -0.3f, 0.25f, -0.5f, 45.0f, 5.0f, 0.0f);
    for (int i = 0; i < 16; ++i)
        game.m_apBalls[static_cast<std::size_t>(i)] =
            std::make_unique<CBall>(i, 0.05f * static_cast<float>(i) - 0.4f, 0.3f);
    game.m_apBalls[5] = std::make_unique<CBall>(5); // pocketed
    game.m_Player1.GetNameRef() = "Anna";
    game.m_Player1.SetLocal();
    game.m_Player2.GetNameRef() = "Computer";
    game.m_Player2.SetLevel(5);
    game.m_nCurrentPlayer = 2;
    game.m_nBreakPlayed = 1;
    referee.Init(nGameType);
    referee.SetFlags(REF_BREAK_MADE);
    int nSize = 0;
    const BYTE* pState = referee.PackState(&nSize, 0);
    game.m_abRefereeState.assign(pState, pState + nSize);
    game.m_nPutBackMask = 0x20;
    game.m_nGameMode = nGameMode;
    game.m_Shot.Set(4, 0, 9, -1, 1.25, 2, -0.0625);
    game.m_Settings = {1, 0, 1, nGameType, 1, 2, 0x336699, 0};
    std::vector<BYTE> bytes = game.Build();
    FuzzCheck(!bytes.empty(), "the game writes no seed");
    return bytes;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    static CSavedGame s_read("C:\\Vorn\\Saved\\lastgame");
    static CSavedGame s_again("C:\\Vorn\\Saved\\again.sav");
    const std::vector<BYTE> before = s_read.Build();
    if (!s_read.ReadBytes(std::span<const BYTE>(pData, nSize)))
    {
        FuzzCheck(!s_read.GetReason().IsEmpty(), "a file refused without a reason");
        FuzzCheck(s_read.Build() == before, "a refused file changed the snapshot");
        return 0;
    }
    const std::vector<BYTE> bytes = s_read.Build();
    FuzzCheck(!bytes.empty(), "an accepted file cannot be written again");
    FuzzCheck(s_again.ReadBytes(bytes) == TRUE && s_again.Build() == bytes, "a file written again reads otherwise");
    return 0;
}

std::vector<std::vector<BYTE>> FuzzSeeds()
{
    CReferee8Ball eight;
    CReferee9Ball nine;
    CReferee14_1 straight;
    CReferee3Ball three;
    return {Written(eight, GAME_8BALL, 0x20 | 0x400), Written(nine, GAME_9BALL, 0x20),
            Written(straight, GAME_14_1, 0x20), Written(three, GAME_3BALL, 0x20)};
}
