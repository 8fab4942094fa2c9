// Racking, placing balls on the rack spots, re-spotting a ball and the table zones of a ball.
#include "foundation/RandomPermutation.h"
#include "platform/win32/CrtRandom.h"
#include "simulation/BallEngine.h"
#include "simulation/CueBall.h"
#include "simulation/PhysicsConstants.h"
#include "simulation/PointList.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr double W = TABLE_WIDTH_M;
constexpr double L = TABLE_LENGTH_M;
constexpr double R = BALL_RADIUS_M;
/// Distance between two candidate places of a re-spotted ball, in radii.
constexpr double RESPOT_STEP_RADII = 1.1;
/// A re-spotted cue ball is shifted by up to nine of these per try, in x and y. Metres.
constexpr double RESPOT_JITTER_M = (L - R) / 1000.0;

/// Where each ball of a rack goes: a spot of the rack, or FREE_LIST_SPOT for the next random
/// free spot. Fixed spots are placed before random ones, so no random draw takes a fixed spot.
struct SRackLayout
{
    int nGameType;
    int nBalls;
    std::array<int, MAX_BALLS> aSpots;
};

constexpr int F = FREE_LIST_SPOT;
constexpr SRackLayout RACKS[] = {
    {GAME_TYPE_DEMO, 5, {0, 1, F, F, F}},
    {GAME_TYPE_3BALL, 4, {0, 1, 2, 3}},
    {GAME_TYPE_9BALL, 10, {0, 1, F, F, F, F, F, F, F, 5}},
    {GAME_TYPE_15, 16, {0, F, F, F, F, F, F, F, F, F, F, F, F, F, F, F}},
    {GAME_TYPE_PYRAMID, 16, {0, 12, 11, 15, 1, 2, 3, 4, 6, 7, 10, 14, 13, 9, 8, 5}},
    {GAME_TYPE_AMERICAN, 16, {0, F, F, F, F, F, F, F, F, F, F, F, F, F, F, F}},
    {GAME_TYPE_14_1, 16, {0, F, F, F, F, F, F, F, F, F, F, F, F, F, F, F}},
    {GAME_TYPE_BONUS, 16, {0, 13, 10, 12, 7, 4, 8, 5, 9, 1, 15, 2, 14, 6, 11, 3}},
};
/// The 8-ball rack: 16 balls, the 8 in the middle, a solid and a stripe in the back corners.
constexpr int EIGHT_BALL_COUNT = 16;
constexpr int EIGHT_BALL_SPOT = 5;
constexpr int SOLID_CORNER_SPOT = 11;
constexpr int STRIPE_CORNER_SPOT = 15;

const SRackLayout* FindRack(int nGameType)
{
    for (const SRackLayout& rack : RACKS)
        if (rack.nGameType == nGameType)
            return &rack;
    return nullptr;
}

/// The head spot (a quarter of the length from the first end) and the foot spot, on the bed.
void GetHeadAndFootSpots(double& hx, double& hy, double& fx, double& fy)
{
    const CVector3 vA = GetTableSpotA();
    const CVector3 vB = GetTableSpotB();
    hx = vA.x;
    hy = vA.z;
    fx = vB.x;
    fy = vB.z;
}

struct SPointMm
{
    long long x;
    long long y;
};

SPointMm ToMm(double x, double y) { return {static_cast<long long>(x * 1000.0), static_cast<long long>(y * 1000.0)}; }

/// Whether p lies in the triangle as a filled polygon region counts it: on the scan line through
/// p, between the left crossing (inclusive) and the right one (exclusive), and rows from the top
/// vertex (inclusive) to the bottom one (exclusive). So points on left and top edges are inside,
/// points on right and bottom edges outside.
bool IsInTriangleRegion(const std::array<SPointMm, 3>& tri, SPointMm p)
{
    double dLeft = 0.0;
    double dRight = 0.0;
    int nCrossings = 0;
    for (std::size_t i = 0; i < tri.size(); ++i)
    {
        const SPointMm a = tri[i];
        const SPointMm b = tri[(i + 1) % tri.size()];
        if (a.y == b.y || p.y < std::min(a.y, b.y) || p.y >= std::max(a.y, b.y))
            continue;
        const double x =
            static_cast<double>(a.x) + static_cast<double>((p.y - a.y) * (b.x - a.x)) / static_cast<double>(b.y - a.y);
        dLeft = nCrossings == 0 ? x : std::min(dLeft, x);
        dRight = nCrossings == 0 ? x : std::max(dRight, x);
        ++nCrossings;
    }
    const double px = static_cast<double>(p.x);
    return nCrossings >= 2 && px >= dLeft && px < dRight;
}

bool IsWithin(double x, double y, double cx, double cy, double dDist)
{
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) < dDist * dDist;
}
} // namespace

// -- Random draws and spots ------------------------------------------------------------------------

void CBallEngine::PickRandomBalls(int nFirst, int nLast, CDWordArray& out) const
{
    // Every draw starts from the shared seed, so a rack is the same for the same seed.
    CrtSrand(g_nRackSeed);
    CDWordArray order;
    MakeRandomPermutation(nLast - nFirst + 1, order, 0);
    for (DWORD v : order)
        out.Add(v + static_cast<DWORD>(nFirst));
}

void CBallEngine::PlaceBallAtSpot(int nNumber, int nSpot, CDWordArray& freeSpots)
{
    std::lock_guard lock(m_Lock);
    if (FindBall(nNumber) == nullptr)
        return;
    int nTake = nSpot;
    if (nSpot >= 0 && nSpot < g_PointList.GetCount())
    {
        const auto at = std::find(freeSpots.begin(), freeSpots.end(), static_cast<DWORD>(nSpot));
        if (at != freeSpots.end())
            freeSpots.RemoveAt(static_cast<int>(at - freeSpots.begin()));
    }
    else
    {
        if (freeSpots.IsEmpty())
            return;
        nTake = static_cast<int>(freeSpots.GetAt(0));
        freeSpots.RemoveAt(0);
    }
    double x = 0.0;
    double y = 0.0;
    if (!g_PointList.TakeSpot(nTake, x, y))
        return;
    SetBallPosition(nNumber, x, y);
}

void CBallEngine::PlaceOnFreeSpots(std::span<const int> numbers, CDWordArray& freeSpots)
{
    for (int nNumber : numbers)
        PlaceBallAtSpot(nNumber, FREE_LIST_SPOT, freeSpots);
}

void CBallEngine::PlaceBallsOnSpots(std::span<const int> numbers)
{
    std::lock_guard lock(m_Lock);
    g_PointList.Build(W, L, R, MAX_BALLS);
    CDWordArray freeSpots;
    PickRandomBalls(0, MAX_BALLS - 1, freeSpots);
    for (std::size_t i = 0; i < numbers.size(); ++i)
        PlaceBallAtSpot(numbers[i], static_cast<int>(i), freeSpots);
}

void CBallEngine::PlaceRackExcept(int nNumber)
{
    std::lock_guard lock(m_Lock);
    g_PointList.Build(W, L, R, MAX_BALLS);
    CDWordArray freeSpots;
    PickRandomBalls(nNumber >= 0 ? 2 : 1, MAX_BALLS - 1, freeSpots);
    for (int i = 1; i < MAX_BALLS; ++i)
        if (i != nNumber)
            PlaceBallAtSpot(i, FREE_LIST_SPOT, freeSpots);
}

// -- Racking ---------------------------------------------------------------------------------------

void CBallEngine::RackBalls(int nGameType)
{
    std::lock_guard lock(m_Lock);
    if (nGameType == GAME_TYPE_8BALL)
    {
        g_PointList.Build(W, L, R, EIGHT_BALL_COUNT);
        CDWordArray freeSpots, solids, stripes;
        PickRandomBalls(0, EIGHT_BALL_COUNT - 1, freeSpots);
        PickRandomBalls(1, 7, solids);
        PickRandomBalls(9, 15, stripes);
        PlaceBallAtSpot(0, 0, freeSpots);
        PlaceBallAtSpot(8, EIGHT_BALL_SPOT, freeSpots);
        PlaceBallAtSpot(static_cast<int>(solids[0]), SOLID_CORNER_SPOT, freeSpots);
        PlaceBallAtSpot(static_cast<int>(stripes[0]), STRIPE_CORNER_SPOT, freeSpots);
        for (const CDWordArray* pGroup : {&solids, &stripes})
            for (int i = 1; i < pGroup->GetSize(); ++i)
                PlaceBallAtSpot(static_cast<int>(pGroup->GetAt(i)), FREE_LIST_SPOT, freeSpots);
        return;
    }
    const SRackLayout* pRack = FindRack(nGameType);
    if (pRack == nullptr)
        return;
    g_PointList.Build(W, L, R, pRack->nBalls);
    CDWordArray freeSpots;
    PickRandomBalls(0, pRack->nBalls - 1, freeSpots);
    for (const bool bFixed : {true, false})
        for (int i = 0; i < pRack->nBalls; ++i)
        {
            const int nSpot = pRack->aSpots[static_cast<std::size_t>(i)];
            if ((nSpot != FREE_LIST_SPOT) == bFixed)
                PlaceBallAtSpot(i, nSpot, freeSpots);
        }
    if (nGameType == GAME_TYPE_BONUS)
        for (const auto& pBall : m_Balls)
            pBall->ResetOrientation();
}

// -- Re-spotting -----------------------------------------------------------------------------------

BOOL CBallEngine::IsPlaceFree(int nNumber, double x, double y)
{
    for (const auto& pBall : m_Balls)
    {
        if (pBall->GetIndex() == nNumber || pBall->IsPocketed())
            continue;
        const CVector3& p = *pBall->GetPosition();
        if (IsWithin(p.x, p.y, x, y, 2.0 * R))
            return FALSE;
    }
    return TRUE;
}

BOOL CBallEngine::FindFreePlaceAlongRail(const CBall& ball, double dSpotX, double& x, double& y)
{
    // Along the far rail, alternately left and right of the spot, moving out a step each round.
    y = L - R;
    for (int k = 0;; ++k)
    {
        const double xl = dSpotX - k * RESPOT_STEP_RADII * R;
        const double xr = dSpotX + k * RESPOT_STEP_RADII * R;
        if (xl <= R || xr >= W - R)
            return FALSE;
        for (double xc : {xl, xr})
            if (IsPlaceFree(ball.GetIndex(), xc, y))
            {
                x = xc;
                return TRUE;
            }
    }
}

BOOL CBallEngine::FindFreePlaceAlongAxis(const CBall& ball, double dSpotX, double dSpotY, double& x, double& y)
{
    // Object balls walk towards the foot end, the cue ball towards the head end (with a little
    // random shift per try); at the end of the bed the walk starts over the other way, and after
    // both ways it gives up.
    const bool bCue = ball.GetIndex() == GetCueBallNumber();
    const double dFirst = bCue ? -1.0 : 1.0;
    for (const double dDir : {dFirst, -dFirst})
        for (int k = 0;; ++k)
        {
            const double yc = dSpotY + dDir * k * RESPOT_STEP_RADII * R;
            if (yc <= R || yc >= L - R)
                break;
            x = dSpotX;
            y = yc;
            if (bCue)
            {
                x += (CrtRand() % 10) * RESPOT_JITTER_M;
                y += (CrtRand() % 10) * RESPOT_JITTER_M;
            }
            if (IsPlaceFree(ball.GetIndex(), x, y))
                return TRUE;
        }
    return FALSE;
}

void CBallEngine::RespotBall(int nNumber, int nGameType)
{
    std::lock_guard lock(m_Lock);
    CBall* pBall = FindBall(nNumber);
    if (pBall == nullptr)
        return;
    double hx, hy, fx, fy;
    GetHeadAndFootSpots(hx, hy, fx, fy);
    const bool bCue = nNumber == GetCueBallNumber();
    const double dSpotX = bCue ? hx : fx;
    const double dSpotY = bCue ? hy : fy;
    double x = 0.0;
    double y = 0.0;
    const bool bRail = nGameType == GAME_TYPE_AMERICAN || nGameType == GAME_TYPE_BONUS;
    const BOOL bFound =
        bRail ? FindFreePlaceAlongRail(*pBall, dSpotX, x, y) : FindFreePlaceAlongAxis(*pBall, dSpotX, dSpotY, x, y);
    if (!bFound)
        return;
    pBall->SetPosition(CVector3(static_cast<float>(x), static_cast<float>(y), pBall->GetPosition()->z));
    pBall->SetPocketed(FALSE, TRUE, -1);
}

// -- Zones -----------------------------------------------------------------------------------------

int CBallEngine::IsBallInZone(int nNumber)
{
    std::lock_guard lock(m_Lock);
    const CBall* pBall = FindBall(nNumber);
    if (pBall == nullptr)
        return -1;
    double hx, hy, fx, fy;
    GetHeadAndFootSpots(hx, hy, fx, fy);
    const CVector3& p = *pBall->GetPosition();
    const std::array<SPointMm, 3> rack = {ToMm(fx, fy - 3.0 * R), ToMm(fx - 8.0 * R, fy + 12.0 * R),
                                          ToMm(fx + 8.0 * R, fy + 12.0 * R)};
    if (IsInTriangleRegion(rack, ToMm(p.x, p.y)))
        return 1;
    const SPointMm ball = ToMm(p.x, p.y);
    const SPointMm head = ToMm(hx, hy);
    const SPointMm centre = ToMm(hx, (hy + fy) / 2.0);
    const double dReach = 2.0 * R * 1000.0;
    if (IsWithin(static_cast<double>(ball.x), static_cast<double>(ball.y), static_cast<double>(head.x),
                 static_cast<double>(head.y), dReach))
        return 3;
    if (IsWithin(static_cast<double>(ball.x), static_cast<double>(ball.y), static_cast<double>(centre.x),
                 static_cast<double>(centre.y), dReach))
        return 4;
    return 0;
}
