#include "simulation/RefereeBallTable.h"

#include <algorithm>

void CRefereeBallTable::SetBall(int i, const CVector3* pPos)
{
    m_nFirstPocketed = REFEREE_NO_BALL;
    m_nFirstHit = REFEREE_NO_BALL;
    m_nCueCushionsAtHit = 0;
    m_nCushionsAtPocket = 0;
    if (!IsRefereeBall(i))
        return;
    const std::size_t k = static_cast<std::size_t>(i);
    m_Pos[k] = pPos != nullptr ? *pPos : CVector3();
    m_SavedPos[k] = m_Pos[k];
    SetBallCountLow(i, 0);
    SetBallCountHigh(i, 0);
    if (IsPocketedNow(i))
        SetPocketedBefore(i, TRUE);
    SetPocketedNow(i, FALSE);
}

void CRefereeBallTable::Reset()
{
    m_List.fill(-1);
    m_nListCount = 0;
    for (int i = 0; i < REFEREE_BALLS; ++i)
        SetBall(i);
}

void CRefereeBallTable::ResetAll()
{
    Reset();
    m_wPocketedBefore = 0;
}

void CRefereeBallTable::Assign(const CRefereeBallTable& other)
{
    m_Pos = other.m_Pos;
    m_SavedPos = other.m_SavedPos;
    m_Counts = other.m_Counts;
    m_wPocketedBefore = other.m_wPocketedBefore;
    m_nFirstPocketed = other.m_nFirstPocketed;
    m_nFirstHit = other.m_nFirstHit;
    m_nCueCushionsAtHit = other.m_nCueCushionsAtHit;
    m_nCushionsAtPocket = other.m_nCushionsAtPocket;
    m_wPocketedNow = other.m_wPocketedNow;
}

void CRefereeBallTable::NoteFirstHit(int nBall, int nCueCushions)
{
    if (m_nFirstHit != REFEREE_NO_BALL || !IsRefereeBall(nBall))
        return;
    m_nFirstHit = static_cast<BYTE>(nBall);
    m_nCueCushionsAtHit = static_cast<BYTE>(std::clamp(nCueCushions, 0, 255));
}

void CRefereeBallTable::NotePocketed(int nBall, int nCushions)
{
    if (!IsRefereeBall(nBall))
        return;
    SetPocketedNow(nBall, TRUE);
    if (m_nFirstPocketed != REFEREE_NO_BALL)
        return;
    m_nFirstPocketed = static_cast<BYTE>(nBall);
    m_nCushionsAtPocket = static_cast<BYTE>(std::clamp(nCushions, 0, 255));
}
