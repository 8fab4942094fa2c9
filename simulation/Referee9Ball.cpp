#include "simulation/RefereeTypes.h"

// ----------------------------------------------------------------------------------------------
// Demo (0): the base rules
// ----------------------------------------------------------------------------------------------

CRefereeDemo::CRefereeDemo() { CRefereeDemo::Init(GAME_DEMO); }

int CRefereeDemo::SetType(int nGameType) { return SetOwnType(nGameType, GAME_DEMO, "CRefereeDemo"); }

// ----------------------------------------------------------------------------------------------
// 9-ball (9)
// ----------------------------------------------------------------------------------------------

CReferee9Ball::CReferee9Ball() { CReferee9Ball::Init(GAME_9BALL); }

int CReferee9Ball::SetType(int nGameType) { return SetOwnType(nGameType, GAME_9BALL, "CReferee9Ball"); }

BOOL CReferee9Ball::IsContactFoul() const { return IsPocketedNow(0) || NoBallHit() || FirstHit() != m_nTarget; }

int CReferee9Ball::FinishJudgement(BOOL bFoul)
{
    m_bBreakMade = TRUE;
    m_nFoul = static_cast<BYTE>(bFoul);
    CReferee::UpdateFlags();
    return bFoul;
}

int CReferee9Ball::JudgeShot()
{
    BOOL bFoul = IsContactFoul();
    if (!bFoul && CountPocketedNow() == 0)
    {
        const int nCushions = SumCushionsInPlay(0, REFEREE_BALLS - 1);
        // Without a ball dropped, the break needs four cushion contacts in all, later shots one.
        bFoul = m_bBreakMade ? nCushions == 0 : nCushions < 4;
    }
    return FinishJudgement(bFoul);
}

BOOL CReferee9Ball::IsOnFinalBall() const { return CountOnTable() == 2; }

BOOL CReferee9Ball::IsGameWon() const { return m_nFoul == 0 && IsPocketedNow(9); }

// ----------------------------------------------------------------------------------------------
// 3-ball (3)
// ----------------------------------------------------------------------------------------------

CReferee3Ball::CReferee3Ball() { CReferee3Ball::Init(GAME_3BALL); }

int CReferee3Ball::SetType(int nGameType) { return SetOwnType(nGameType, GAME_3BALL, "CReferee3Ball"); }

int CReferee3Ball::JudgeShot()
{
    // No break rule: without a ball dropped, one cushion contact is enough.
    const BOOL bFoul = IsContactFoul() || (CountPocketedNow() == 0 && SumCushionsInPlay(0, REFEREE_BALLS - 1) == 0);
    return FinishJudgement(bFoul);
}

BOOL CReferee3Ball::IsGameWon() const { return m_nFoul == 0 && IsPocketedNow(3); }
