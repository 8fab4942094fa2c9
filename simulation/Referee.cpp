#include "simulation/Referee.h"

#include "platform/win32/DebugLog.h"
#include "simulation/CueBall.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace
{
/// The program-wide comment flag: set while the cue ball's drop is being commented on. Main thread.
BOOL s_bCommentFlag = FALSE;

void PutWordLE(BYTE* p, int nWord, unsigned nValue)
{
    p[2 * nWord] = static_cast<BYTE>(nValue & 0xFF);
    p[2 * nWord + 1] = static_cast<BYTE>((nValue >> 8) & 0xFF);
}

WORD GetWordLE(const BYTE* p, int nWord) { return static_cast<WORD>(p[2 * nWord] | (p[2 * nWord + 1] << 8)); }

/// Two bytes in one word: low first.
unsigned PairOfBytes(int nLow, int nHigh) { return (static_cast<unsigned>(nLow) & 0xFF) | ((nHigh & 0xFFu) << 8); }

int SignedByte(unsigned nByte) { return static_cast<signed char>(static_cast<BYTE>(nByte)); }
} // namespace

CReferee::CReferee()
{
    // The ball table starts empty (its own ResetAll); virtual calls here reach the base's Init.
    CReferee::Init(GAME_BASE);
}

CReferee::~CReferee() = default;

// ----------------------------------------------------------------------------------------------
// Rule state
// ----------------------------------------------------------------------------------------------

CReferee* CReferee::Assign(const CReferee& other)
{
    m_nShotScore = other.m_nShotScore;
    m_nBallCount = other.m_nBallCount;
    m_nFoul = other.m_nFoul;
    m_bBreakMade = other.m_bBreakMade;
    m_nGameType = other.m_nGameType;
    m_nTarget = other.m_nTarget;
    m_nSecondBall = other.m_nSecondBall;
    m_wOffTable = other.m_wOffTable;
    m_BallTable.Assign(other.m_BallTable);
    m_wFlags = other.m_wFlags;
    m_bJudged = other.m_bJudged;
    m_nCueBall = other.m_nCueBall;
    return this;
}

void CReferee::Init(int nGameType)
{
    Reset();
    m_nEventIndex = 0;
    m_nShotScore = 0;
    m_nFoul = 0;
    m_wFlags = 0;
    m_nGameType = nGameType;
    m_nTarget = 255;
    m_nSecondBall = 255;
    m_bBreakMade = FALSE;
    m_wOffTable = 0;
    m_nCueBall = 0;
    SetJudged(FALSE);
    switch (nGameType)
    {
    case GAME_DEMO:
        m_nBallCount = 5;
        break;
    case GAME_3BALL:
        m_nBallCount = 4;
        break;
    case GAME_9BALL:
        m_nBallCount = 10;
        break;
    default:
        m_nBallCount = 16;
        break;
    }
}

void CReferee::Reset()
{
    m_nShotScore = 0;
    m_nFoul = 0;
    m_bBreakMade = FALSE;
    m_nTarget = -1;
    m_nSecondBall = 255;
    m_BallTable.ResetAll();
    m_wOffTable = 0;
    SetJudged(FALSE);
}

void CReferee::BeginShot(int nTarget, int nSecond)
{
    m_nShotScore = 0;
    m_nFoul = 0;
    m_nTarget = nTarget;
    m_nSecondBall = nSecond;
    m_wOffTable = 0;
    // Not ResetAll: the balls pocketed in earlier shots stay pocketed.
    m_BallTable.Reset();
    SetJudged(FALSE);
}

int CReferee::SetType(int nGameType) { return SetOwnType(nGameType, GAME_BASE, "CReferee"); }

int CReferee::SetOwnType(int nGameType, int nOwnType, const char* szClass)
{
    if (nGameType != nOwnType)
    {
        char szText[96];
        std::snprintf(szText, sizeof szText, "%s::SetType() Bad game type %d\n", szClass, nGameType);
        OutputDebugString(szText);
    }
    m_nGameType = nOwnType;
    return m_nGameType;
}

void CReferee::SetCueBall(int n)
{
    m_nCueBall = n;
    SetCueBallNumber(n);
}

void CReferee::SetOffTable(int i, BOOL b) { SetBallFlag(m_wOffTable, i, b); }

int CReferee::CountPocketedNow() const
{
    int n = 0;
    for (int i = 0; i < REFEREE_BALLS; ++i)
        n += IsPocketedNow(i) && !WasPocketedBefore(i);
    return n;
}

int CReferee::CountOnTable() const
{
    int n = 0;
    for (int i = 0; i < m_nBallCount; ++i)
        n += !IsPocketedNow(i) && !WasPocketedBefore(i);
    return n;
}

int CReferee::SumCushionsInPlay(int nFirst, int nLast) const
{
    int nSum = 0;
    for (int i = nFirst; i <= nLast; ++i)
        if (!WasPocketedBefore(i))
            nSum += Cushions(i);
    return nSum;
}

int CReferee::SumCushions(int nFirst, int nLast) const
{
    int nSum = 0;
    for (int i = nFirst; i <= nLast; ++i)
        nSum += Cushions(i);
    return nSum;
}

int CReferee::GetContactBits() const
{
    int nBits = 0;
    if (NoBallHit())
        nBits |= 1;
    if (IsOffTable(m_nCueBall))
        nBits |= 2;
    if (!NoBallHit() && IsOffTable(FirstHit()))
        nBits |= 4;
    return nBits;
}

// ----------------------------------------------------------------------------------------------
// Judging (the base game type)
// ----------------------------------------------------------------------------------------------

int CReferee::JudgeShot()
{
    BOOL bFoul = IsPocketedNow(0) || NoBallHit();
    // The break must drive the balls still in play to three cushion contacts in all.
    if (!bFoul && !m_bBreakMade && SumCushionsInPlay(0, m_nBallCount - 1) < 3)
        bFoul = TRUE;
    return RecordJudgement(bFoul);
}

int CReferee::RecordJudgement(BOOL bFoul)
{
    SetJudged(TRUE);
    // The break is made by the first judged shot that keeps the cue ball on the table.
    if (!IsPocketedNow(0))
        m_bBreakMade = TRUE;
    m_nFoul = static_cast<BYTE>(bFoul);
    UpdateFlags();
    return bFoul;
}

WORD CReferee::BuildFlags() const
{
    WORD w = 0;
    if (AnyBallDropped())
        w |= REF_POCKETED;
    if (IsPocketedNow(0))
        w |= REF_CUE_POCKETED;
    if (IsGameLost())
        w |= REF_LOST;
    if (IsOnFinalBall())
        w |= REF_FINAL_BALL;
    if (IsGameWon())
        w |= REF_WON;
    if (m_wOffTable != 0)
        w |= REF_OFF_TABLE;
    if (m_nFoul != 0)
        w |= REF_FOUL;
    if (m_bBreakMade)
        w |= REF_BREAK_MADE;
    return w;
}

void CReferee::UpdateFlags()
{
    m_wFlags = static_cast<WORD>(BuildFlags() | REF_JUDGEMENT);
    if (m_nFoul != 0 && !m_bBreakMade)
        m_nShotScore = -2; // a break on which the cue ball dropped
    else if (AnyBallDropped())
        m_nShotScore = CountPocketedNow();
}

// ----------------------------------------------------------------------------------------------
// Packed state for saved games: six little-endian words
//   0 flags | 1 pocketed-now mask | 2 pocketed-before mask | 3 shot score, target |
//   4 second ball, game type | 5 cue ball, the caller's extra byte
// ----------------------------------------------------------------------------------------------

const BYTE* CReferee::PackState(int* pOutSize, int nExtra)
{
    const int nSize = GetPackedSize();
    m_pPacked = std::make_unique<BYTE[]>(static_cast<std::size_t>(std::max(nSize, REFEREE_PACKED_SIZE)));
    m_nPackedSize = nSize;
    // A pyramid shot can score more than a byte holds: it saturates rather than wrapping into the
    // negative foul codes.
    const int nScore = std::clamp(m_nShotScore, static_cast<int>(std::numeric_limits<signed char>::min()),
                                  static_cast<int>(std::numeric_limits<signed char>::max()));
    BYTE* p = m_pPacked.get();
    PutWordLE(p, 0, m_wFlags);
    PutWordLE(p, 1, m_BallTable.m_wPocketedNow);
    PutWordLE(p, 2, m_BallTable.m_wPocketedBefore);
    PutWordLE(p, 3, PairOfBytes(nScore, m_nTarget));
    PutWordLE(p, 4, PairOfBytes(m_nSecondBall, m_nGameType));
    PutWordLE(p, 5, PairOfBytes(m_nCueBall, nExtra));
    if (pOutSize != nullptr)
        *pOutSize = nSize;
    return p;
}

BOOL CReferee::UnpackState(const BYTE* pRecord, int nSize, int* pOutExtra)
{
    // Refused, and the referee left as it was: a record too short to hold the state, another game
    // type's state, or a struck-ball number that is no ball.
    if (pRecord == nullptr || nSize < REFEREE_PACKED_SIZE)
        return FALSE;
    const WORD wTypeAndSecond = GetWordLE(pRecord, 4);
    const WORD wCueAndExtra = GetWordLE(pRecord, 5);
    if ((wTypeAndSecond >> 8) != (static_cast<unsigned>(m_nGameType) & 0xFF))
        return FALSE;
    const int nCueBall = SignedByte(wCueAndExtra & 0xFF);
    if (!IsRefereeBall(nCueBall))
        return FALSE;

    m_wFlags = GetWordLE(pRecord, 0);
    m_BallTable.m_wPocketedNow = GetWordLE(pRecord, 1);
    m_BallTable.m_wPocketedBefore = GetWordLE(pRecord, 2);
    const WORD wScoreAndTarget = GetWordLE(pRecord, 3);
    m_nShotScore = SignedByte(wScoreAndTarget & 0xFF);
    m_nTarget = SignedByte(wScoreAndTarget >> 8);
    m_nSecondBall = SignedByte(wTypeAndSecond & 0xFF);
    m_nCueBall = nCueBall;
    m_bBreakMade = HasBreakMade();
    if (pOutExtra != nullptr)
        *pOutExtra = SignedByte(wCueAndExtra >> 8);
    return TRUE;
}

// ----------------------------------------------------------------------------------------------
// Comment triggers
// ----------------------------------------------------------------------------------------------

BOOL CReferee::EventsDone() const { return m_nEventIndex >= m_Events.GetSize() || s_bCommentFlag; }

void CReferee::ReleaseEvents()
{
    for (CRefereeEvent& event : m_Events)
        event.bFired = FALSE;
    s_bCommentFlag = FALSE;
}

int CReferee::NextEvent(const SRefereeEventContext* pContext, BOOL* pOutIsCueEvent)
{
    while (m_nEventIndex < m_Events.GetSize())
    {
        CRefereeEvent& event = m_Events[m_nEventIndex++];
        if (!HandleEvent(event, pContext))
            continue;
        event.bFired = TRUE;
        if (pOutIsCueEvent != nullptr)
            *pOutIsCueEvent = event.nKind == 0;
        return event.nValue;
    }
    return -1;
}

BOOL CReferee::HandleEvent(const CRefereeEvent& event, const SRefereeEventContext* pContext)
{
    if (event.nKind == -1 || event.bFired)
        return FALSE;
    // Only the runs of kinds 2 and 3 are measured against the context's reference length; without
    // a context those two never fire, and the others are decided as usual.
    if (pContext == nullptr && (event.nKind == 2 || event.nKind == 3))
        return FALSE;
    const CRefereeBallTable& t = m_BallTable;
    // How far a ball travelled along the table during the shot, against the reference length L.
    const double dL = pContext != nullptr ? std::fabs(pContext->dLengthA - pContext->dLengthB) : 0.0;
    auto distance = [&t](int i)
    {
        const std::size_t k = static_cast<std::size_t>(i);
        return std::fabs(static_cast<double>(t.m_SavedPos[k].z) - static_cast<double>(t.m_Pos[k].z));
    };
    const int nDropped = t.m_nFirstPocketed;
    const BOOL bDroppedFirstHit = AnyBallDropped() && nDropped == t.m_nFirstHit;
    switch (event.nKind)
    {
    case 0:
        s_bCommentFlag = IsPocketedNow(0);
        return s_bCommentFlag;
    case 2: // a combination, a bank or a long pot
        if (!AnyBallDropped())
            return FALSE;
        return !bDroppedFirstHit || t.m_nCushionsAtPocket > 0 || distance(nDropped) >= 2.0 * dL / 3.0;
    case 3: // a pot after the cue ball came off a cushion, or a long cue-ball run to a pot
        if (!bDroppedFirstHit)
            return FALSE;
        if (t.m_nCueCushionsAtHit > 0)
            return TRUE;
        return distance(0) >= 2.0 * dL / 3.0 && distance(nDropped) >= 6.0 * dL / 88.0;
    case 4:
        return m_bJudged && NoBallHit();
    default:
        return FALSE;
    }
}
