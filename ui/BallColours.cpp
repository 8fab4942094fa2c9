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
