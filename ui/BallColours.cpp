#include "ui/BallColours.h"

namespace
{
// 0x00RRGGBB: the cue ball, the seven colours, the eight.
constexpr DWORD BALL_COLOURS[9] = {0xFFFFFF, 0xC4C41F, 0x2E2EF0, 0xDD2525, 0xBA25BA,
                                   0xF26E25, 0x257625, 0x704323, 0x252525};
constexpr int LAST_BALL = 15;
constexpr int FIRST_STRIPE = 9;

bool SolidPathsOnly(int nGameType) { return nGameType == 16 || nGameType == 17; }
} // namespace

COLORREF GetBallColour(int nBall)
{
    if (nBall < 0 || nBall > LAST_BALL)
        return CLR_INVALID;
    const DWORD c = BALL_COLOURS[nBall == 8 ? 8 : nBall % 8];
    return RGB(static_cast<BYTE>(c >> 16), static_cast<BYTE>(c >> 8), static_cast<BYTE>(c));
}

HPEN CreateBallPen(int nBall, int nWidth, int nGameType)
{
    if (nBall < 0 || nBall > LAST_BALL)
        return nullptr;
    const int nStyle = nBall >= FIRST_STRIPE && !SolidPathsOnly(nGameType) ? PS_DOT : PS_SOLID;
    return CreatePen(nStyle, nWidth, GetBallColour(nBall));
}

COLORREF PathColour(int nBall, int nGameType)
{
    constexpr int PYRAMID = 16, AMERICAN = 17, BONUS = 101;
    if (nGameType == BONUS)
        return RGB(255, 0, 0);
    if (nBall == 6 && nGameType != PYRAMID && nGameType != AMERICAN)
        return RGB(18, 217, 14);
    return CLR_INVALID;
}

COLORREF PathEndColour(int nBall, int nCueBall, bool bPocketed, int nGameType)
{
    constexpr int AMERICAN = 17, BONUS = 101;
    if (bPocketed)
        return RGB(255, 255, 0);
    if (nBall == nCueBall && nGameType != AMERICAN && nGameType != BONUS)
        return RGB(255, 0, 0);
    return RGB(255, 255, 255);
}
