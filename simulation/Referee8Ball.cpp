#include "simulation/CallRecord.h"
#include "simulation/RefereeTypes.h"

namespace
{
bool IsSolid(int nBall) { return nBall >= 1 && nBall <= 7; }
bool IsStripe(int nBall) { return nBall >= 9 && nBall <= 15; }
} // namespace

CReferee8Ball::CReferee8Ball() { CReferee8Ball::Init(GAME_8BALL); }

int CReferee8Ball::SetType(int nGameType) { return SetOwnType(nGameType, GAME_8BALL, "CReferee8Ball"); }

// The break and m_bJudged are left as they are: the game flow marks the break with SetBreakMade.
int CReferee8Ball::JudgeShot()
{
    // Whether the shooter was on the 8 comes from the previous judgement's flags.
    const BOOL bOnEight = HasFinalBall();
    const BOOL bFoul = IsPocketedNow(0) || IsOffTable(0) || NoBallHit() || IsPhaseFoul(bOnEight);
    m_nFoul = static_cast<BYTE>(bFoul);
    UpdateFlags();
    return bFoul;
}

BOOL CReferee8Ball::IsPhaseFoul(BOOL bOnEight) const
{
    int nRailBalls = 0;
    for (int i = 1; i < REFEREE_BALLS; ++i)
        nRailBalls += Cushions(i) > 0;
    const BOOL bAnyRail = nRailBalls > 0 || Cushions(0) > 0;
    // Without a ball dropped, the break needs four object balls at a cushion, later shots one
    // cushion contact of any ball.
    const BOOL bNothingDropped = CountPocketedNow() == 0;
    const BOOL bNoRail = bNothingDropped && !bAnyRail;
    const int nHit = FirstHit();
    if (!m_bBreakMade)
        return bNothingDropped && nRailBalls < 4;
    if (m_nTarget == OPEN_TABLE)
        return bNoRail;
    if (!bOnEight)
    {
        if (m_nTarget == SOLIDS)
            return !IsSolid(nHit) || bNoRail;
        if (m_nTarget == STRIPES)
            return !IsStripe(nHit) || bNoRail;
        return FALSE;
    }
    return nHit != 8 || bNoRail;
}

void CReferee8Ball::UpdateFlags()
{
    // Judged while the flags still say whether the shooter was on the 8 before this shot.
    const BOOL bLost = IsGameLost();
    CReferee::UpdateFlags();
    SetLostFlag(bLost);
    if (!bLost && IsOnFinalBall())
        SetFinalBallFlag(TRUE);
}

int CReferee8Ball::CountOnTable() const
{
    int n = 0;
    for (int i = 0; i < REFEREE_BALLS; ++i)
    {
        if (!IsOnTable(i))
            continue;
        if (m_nTarget == SOLIDS)
            n += IsSolid(i);
        else if (m_nTarget == STRIPES)
            n += IsStripe(i);
        else
            ++n;
    }
    return n;
}

BOOL CReferee8Ball::IsOnFinalBall() const { return m_bBreakMade && CountOnTable() == 0; }

BOOL CReferee8Ball::IsGameLost() const
{
    if (IsOffTable(8))
        return TRUE;
    if (!IsPocketedNow(8))
        return FALSE;
    // The 8 before the group is cleared loses, except on the break.
    if (!HasFinalBall())
        return m_bBreakMade;
    // On the 8 it loses on a foul or a missed call.
    return m_nFoul != 0 || GetCallFlag() == 0;
}

int CReferee8Ball::GetDecidedGroup() const
{
    if (CountPocketedNow() != 1)
        return -1;
    for (int i = 1; i < REFEREE_BALLS; ++i)
    {
        if (!IsPocketedNow(i) || WasPocketedBefore(i))
            continue;
        if (IsSolid(i))
            return 0;
        return IsStripe(i) ? 1 : -1;
    }
    return -1;
}
