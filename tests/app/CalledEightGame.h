// A saved eight-ball game for the tests to resume: Ann on the eight with the call made, the cue
// ball lined up to drop the eight into a side pocket.
#pragma once

#include "tests/app/SavedRefereeState.h"

#include "gameflow/GameMode.h"
#include "gameflow/SavedGame.h"
#include "render/TableSpace.h"
#include "simulation/PhysicsConstants.h"
#include "simulation/RefereeTypes.h"

#include <filesystem>
#include <gtest/gtest.h>

/// The side pocket at the table's left long side, and the one across from it.
inline constexpr int LEFT_SIDE_POCKET = 1;
inline constexpr int RIGHT_SIDE_POCKET = 4;
/// The shot record's kind of a call made.
inline constexpr int SHOT_KIND_CALLED = 1;

/// Ann (solids, all down) on the eight, the eight near the left side pocket and the cue ball
/// behind it across the table; Bob's stripes lie far up the table. The call is the eight into
/// nCalledPocket; the cue is aimed across the table at the left side pocket.
inline void WriteCalledEight(const std::filesystem::path& file, int nCalledPocket)
{
    std::filesystem::create_directories(file.parent_path());
    CSavedGame save(CString(file.string()));
    const float fSide = TABLE_LENGTH_M / 2.0f;
    // Struck along -x a little off the eight's centre, the cue ball glances off it away from
    // the pocket.
    const CVector3 vCue(0.30f, fSide - 0.012f, 0.0f);
    for (int i = 9; i < 16; ++i)
        save.m_apBalls[static_cast<std::size_t>(i)]->SetPosition(
            CVector3(0.15f + 0.11f * static_cast<float>(i - 9), 1.90f, 0.0f));
    save.m_apBalls[0]->SetPosition(vCue);
    save.m_apBalls[8]->SetPosition(CVector3(0.12f, fSide, 0.0f));
    CReferee8Ball referee;
    referee.Init(GAME_8BALL);
    for (int n = 1; n <= 7; ++n)
        referee.GetBallTable()->SetPocketedBefore(n, TRUE);
    referee.SetTarget(CReferee8Ball::SOLIDS);
    referee.SetFinalBallFlag(TRUE);
    KeepRefereeAfterBreak(save, referee);
    save.m_Player1.GetNameRef() = "Ann";
    save.m_Player1.SetGroup(0);
    save.m_Player2.GetNameRef() = "Bob";
    save.m_Player2.SetGroup(1);
    for (CPlayer* pPlayer : {&save.m_Player1, &save.m_Player2})
        pPlayer->SetLocal();
    save.m_nCurrentPlayer = 1;
    save.m_nGameMode = modeAim;
    save.m_Shot.Set(nCalledPocket, 0, 8, -1, 0.0, SHOT_KIND_CALLED, 0.0);
    // The camera and the cue look along -x, from the cue ball over the eight at the pocket.
    const CVector3 vLookAt = TableToScene(vCue);
    constexpr float AIM_ALONG_MINUS_X = 90.0f;
    save.m_View.Set(AIM_ALONG_MINUS_X, 345.0f, 136.0f, vLookAt.x, vLookAt.y, vLookAt.z, 0.0f, 0.0f, AIM_ALONG_MINUS_X,
                    5.0f, 0.0f);
    save.m_Settings = SSavedSettings{0, 0, 0, GAME_8BALL, 1, 1, 0x336633, 0};
    ASSERT_TRUE(save.Write()) << save.GetReason().Str();
}
