#include "simulation/CallRecord.h"
#include "simulation/RefereeTypes.h"

// ----------------------------------------------------------------------------------------------
// Pyramid (16)
// ----------------------------------------------------------------------------------------------

CRefereePyramid::CRefereePyramid() { CRefereePyramid::Init(GAME_PYRAMID); }

int CRefereePyramid::SetType(int nGameType) { return SetOwnType(nGameType, GAME_PYRAMID, "CRefereePyramid"); }

void CRefereePyramid::BeginShot(int nTarget, int nSecond)
{
    CReferee::BeginShot(nTarget, nSecond);
    m_wStrokeOffTable = 0;
}

void CRefereePyramid::Reset()
{
    CReferee::Reset();
    m_wStrokeOffTable = 0;
}

void CRefereePyramid::SetOffTable(int i, BOOL b)
{
    CReferee::SetOffTable(i, b);
    // Clearing the ball's mark again does not undo that it left the table during this stroke.
    if (b)
        m_wStrokeOffTable |= RefereeBallBit(i);
}

BOOL CRefereePyramid::CallAllowsScore() { return !g_bCallTheShot || GetCallFlag() == 1; }

int CRefereePyramid::JudgeShot()
{
    return RecordJudgement(IsPocketedNow(0) || NoBallHit() || IsOffTable(0) || Contacts(0) == 0);
}

void CRefereePyramid::UpdateFlags()
{
    m_wFlags = BuildFlags();
    if (CallAllowsScore())
        m_wFlags |= REF_JUDGEMENT;
    if (m_nFoul != 0)
        return;
    // Each new ball scores its number, ball 1 counting 11; clearing the table down to one ball
    // adds 10.
    m_nShotScore += SumNewlyPocketed([](int nBall) { return nBall == 1 ? 11 : nBall; });
    if (CountOnTable() < 2)
        m_nShotScore += 10;
}

// ----------------------------------------------------------------------------------------------
// 14.1 continuous (18)
// ----------------------------------------------------------------------------------------------

CReferee14_1::CReferee14_1()
{
    CReferee14_1::Init(GAME_14_1);
    m_bCountShot = FALSE;
}

int CReferee14_1::SetType(int nGameType) { return SetOwnType(nGameType, GAME_14_1, "CReferee14_1"); }

// The break is left to the game flow (SetBreakMade). The result is not always the foul: a scratch
// on the break returns 0 with m_nFoul 1, so callers read the foul from m_nFoul and the flags.
int CReferee14_1::JudgeShot()
{
    SetJudged(TRUE);
    m_bCountShot = FALSE;
    const int nResult = m_bBreakMade ? JudgeAfterBreak() : JudgeBreak();
    UpdateFlags();
    return nResult;
}

int CReferee14_1::JudgeBreak()
{
    const BOOL bScratch = IsPocketedNow(0) || IsOffTable(0);
    const int nObjectCushions = SumCushions(1, REFEREE_BALLS - 1);
    // A break must hit a ball and drive two object balls' worth of cushion contacts, or bring the
    // cue ball to a cushion; a scratch is judged as a scratch instead.
    const BOOL bBad = !bScratch && (NoBallHit() || (Cushions(0) == 0 && nObjectCushions < 2));
    if (!bBad && !bScratch && CountPocketedNow() > 0)
        m_bCountShot = TRUE;
    m_nFoul = bScratch ? 1 : (bBad ? 2 : 0);
    return bBad;
}

int CReferee14_1::JudgeAfterBreak()
{
    BOOL bFoul = IsPocketedNow(0) || NoBallHit() || IsOffTable(0);
    if (CountPocketedNow() == 0 && SumCushions(0, REFEREE_BALLS - 1) == 0)
        bFoul = TRUE;
    // With the call-the-shot option every shot must be called; without it nothing is called and
    // every shot counts.
    if (g_bCallTheShot && (GetCalledBall() == -1 || GetCalledPocket() == -1))
        bFoul = TRUE;
    m_nFoul = static_cast<BYTE>(bFoul);
    m_bCountShot = CallAllowsScore();
    return bFoul;
}

void CReferee14_1::UpdateFlags()
{
    m_wFlags = BuildFlags();
    if (m_nFoul == 0 && m_bCountShot)
        m_wFlags |= REF_JUDGEMENT;
    if (m_nFoul == 0 && HasJudgement())
        m_nShotScore += SumNewlyPocketed([](int) { return 1; });
}
