// The whole-state check: a state that no game could reach is refused with its reason.
#include "gameflow/GameFlow.h"
#include "simulation/Ball.h"
#include "simulation/BallEngine.h"
#include "simulation/GamePlugins.h"
#include "simulation/PhysicsConstants.h"
#include "simulation/TableBounds.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <vector>

namespace
{
/// How far a ball may sit above or below the bed, and two balls may overlap (metres).
constexpr double PLACE_TOLERANCE_M = 0.001;

bool IsBuiltInType(int nGameType)
{
    constexpr int aTypes[] = {GAME_DEMO,    GAME_3BALL,    GAME_8BALL, GAME_9BALL, GAME_BASE,
                              GAME_PYRAMID, GAME_AMERICAN, GAME_14_1,  GAME_BONUS};
    return std::find(std::begin(aTypes), std::end(aTypes), nGameType) != std::end(aTypes);
}

bool IsOnBed(const CVector3& v)
{
    const CVector3& lo = g_TableBounds.vMin;
    const CVector3& hi = g_TableBounds.vMax;
    return std::fabs(v.z) <= PLACE_TOLERANCE_M && v.x >= lo.x && v.x <= hi.x && v.y >= lo.z && v.y <= hi.z;
}

/// The reason into strReason; always false.
__attribute__((format(printf, 2, 3))) bool Refuse(CString& strReason, const char* szFormat, ...)
{
    char szText[256];
    va_list args;
    va_start(args, szFormat);
    std::vsnprintf(szText, sizeof(szText), szFormat, args);
    va_end(args);
    strReason = szText;
    return false;
}
} // namespace

bool CGameFlow::CheckState(CString& strReason, bool bBallInHandFollows) const
{
    if (!IsBuiltInType(m_nGameType) && (m_pPlugins == nullptr || m_pPlugins->FindByType(m_nGameType) == nullptr))
        return Refuse(strReason, "Game type %d is not installed.", m_nGameType);
    if (m_pReferee == nullptr)
        return Refuse(strReason, "There is no referee.");
    const int nBalls = GetTableBallCount(*m_pReferee);
    std::vector<CVector3> places(static_cast<std::size_t>(REFEREE_BALLS));
    for (int n = 0; n < REFEREE_BALLS; ++n)
    {
        const WORD wBit = RefereeBallBit(n);
        const bool bOn = (m_wOnTable & wBit) != 0;
        const bool bDown = (m_wPocketed & wBit) != 0;
        CBall* pBall = m_Engine.FindBall(n);
        if (n >= nBalls)
        {
            if (bOn || bDown || pBall != nullptr)
                return Refuse(strReason, "Ball %d is not one of this game's balls.", n);
            continue;
        }
        if (bOn == bDown)
            return Refuse(strReason, "Ball %d must be either on the table or in a pocket.", n);
        if (bOn != (pBall != nullptr))
            return Refuse(strReason, "Ball %d is not where the table has it.", n);
        if (bOn == (m_pReferee->IsPocketedNow(n) || m_pReferee->WasPocketedBefore(n)))
            return Refuse(strReason, "The referee's record of ball %d differs from the table.", n);
        if (pBall == nullptr)
            continue;
        const CVector3& v = *pBall->GetPosition();
        if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z))
            return Refuse(strReason, "Ball %d has no place.", n);
        if (!IsOnBed(v))
            return Refuse(strReason, "Ball %d is not on the bed.", n);
        places[static_cast<std::size_t>(n)] = v;
        for (int k = 0; k < n; ++k)
            if ((m_wOnTable & RefereeBallBit(k)) != 0 &&
                (v - places[static_cast<std::size_t>(k)]).Length() < 2.0 * BALL_RADIUS_M - PLACE_TOLERANCE_M)
                return Refuse(strReason, "Balls %d and %d overlap.", k, n);
    }
    const int nCue = m_pReferee->GetCueBall();
    if (!bBallInHandFollows && (m_wOnTable & RefereeBallBit(nCue)) == 0)
        return Refuse(strReason, "The ball to strike (%d) is not on the table.", nCue);
    strReason.Empty();
    return true;
}
