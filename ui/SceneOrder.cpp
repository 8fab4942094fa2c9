#include "ui/SceneOrder.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <initializer_list>
#include <numbers>

namespace
{
/// The eight cases of a whole heading: the four axes and the four quadrants between them.
enum EHeadingCase
{
    AT_0,
    Q_0_90,
    AT_90,
    Q_90_180,
    AT_180,
    Q_180_270,
    AT_270,
    Q_270_360,
    HEADING_CASES
};

EHeadingCase HeadingCase(int h)
{
    if (h == 0 || h == 360)
        return AT_0;
    if (h % 90 == 0)
        return static_cast<EHeadingCase>(h / 90 * 2);
    return static_cast<EHeadingCase>(h / 90 * 2 + 1);
}

struct SSideRow
{
    STableSides nearSides;
    STableSides farSides;
};

constexpr STableSides Sides(std::initializer_list<ETableSide> sides)
{
    STableSides s;
    for (const ETableSide side : sides)
        s.aSides[static_cast<std::size_t>(s.nCount++)] = side;
    return s;
}

// The sides in front of the balls are drawn after them, those behind before them.
constexpr std::array<SSideRow, HEADING_CASES> SIDE_ROWS = {{
    {Sides({SIDE_B}), Sides({SIDE_A, SIDE_C, SIDE_D})},
    {Sides({SIDE_B, SIDE_D}), Sides({SIDE_A, SIDE_C})},
    {Sides({SIDE_D}), Sides({SIDE_C, SIDE_A, SIDE_B})},
    {Sides({SIDE_D, SIDE_A}), Sides({SIDE_C, SIDE_B})},
    {Sides({SIDE_A}), Sides({SIDE_B, SIDE_C, SIDE_D})},
    {Sides({SIDE_A, SIDE_C}), Sides({SIDE_B, SIDE_D})},
    {Sides({SIDE_C}), Sides({SIDE_A, SIDE_D, SIDE_B})},
    {Sides({SIDE_B, SIDE_C}), Sides({SIDE_A, SIDE_D})},
}};

/// Per heading case: the pockets it names and whether those are the far ones (else the near ones).
struct SPocketRow
{
    std::array<int, 3> aPockets;
    int nCount;
    bool bListedAreFar;
};
constexpr std::array<SPocketRow, HEADING_CASES> POCKET_ROWS = {{
    {{0, 3, 0}, 2, false},
    {{3, 4, 0}, 2, false},
    {{0, 1, 2}, 3, true},
    {{4, 5, 0}, 2, false},
    {{2, 5, 0}, 2, false},
    {{1, 2, 0}, 2, false},
    {{3, 4, 5}, 3, true},
    {{0, 1, 0}, 2, false},
}};
} // namespace

int NormaliseHeading(float fDegrees)
{
    if (!std::isfinite(fDegrees))
        return 0;
    // Whole degrees; the modulo keeps huge headings from overflowing the integer.
    const long long nWhole = static_cast<long long>(std::fmod(static_cast<double>(fDegrees), 360.0 * 1000.0));
    if (nWhole > 360)
        return static_cast<int>(nWhole % 360);
    if (nWhole < 0)
        return static_cast<int>(360 - (std::llabs(nWhole) % 360));
    return static_cast<int>(nWhole);
}

STableSides GetTableSides(float fHeading, bool bFar)
{
    const SSideRow& row = SIDE_ROWS[HeadingCase(NormaliseHeading(fHeading))];
    return bFar ? row.farSides : row.nearSides;
}

bool IsPocketBehind(float fHeading, int nPocket)
{
    const SPocketRow& row = POCKET_ROWS[HeadingCase(NormaliseHeading(fHeading))];
    bool bListed = false;
    for (int i = 0; i < row.nCount; ++i)
        bListed = bListed || row.aPockets[static_cast<std::size_t>(i)] == nPocket;
    return bListed == row.bListedAreFar;
}

bool IsInScenePass(EScenePass pass, int nKind, int nOrder, int nPassField, int nTableOrder, bool bSplit)
{
    if (pass == EScenePass::Specular)
        return nPassField != 0;
    if (nPassField == SPECULAR_ONLY)
        return false;
    const bool bOwnStep =
        nKind == KIND_BALLS || nKind == KIND_POCKET_ARROW || nKind == KIND_WATERMARK || nKind == KIND_TROPHY ||
        std::ranges::find(TABLE_SIDE_KINDS, nKind) != TABLE_SIDE_KINDS.end() || (bSplit && nKind == KIND_CUE);
    if (bOwnStep)
        return false;
    return pass == EScenePass::Background ? nOrder < nTableOrder : nOrder > nTableOrder;
}

EBallPlace GetBallPlace(float x, float z, bool bOffTable, const STableBounds& bounds)
{
    if (bOffTable)
        return EBallPlace::Off;
    const bool bInside = x >= bounds.fMinX && x <= bounds.fMaxX && z >= bounds.fMinZ && z <= bounds.fMaxZ;
    return bInside ? EBallPlace::Inside : EBallPlace::Jaws;
}

float HeadingTowards(float dx, float dz)
{
    // A camera of heading h looks along (-sin h, 0, -cos h).
    const float fDegrees = std::atan2(-dx, -dz) * 180.0f / std::numbers::pi_v<float>;
    return fDegrees < 0.0f ? fDegrees + 360.0f : fDegrees;
}

void SplitBallsByHeading(float d, float fTrophyDistance, std::span<const SSplitBall> balls, SBallSplit& split)
{
    split.Clear();
    for (const SSplitBall& ball : balls)
    {
        bool bFront = false;
        if (ball.nBall == 0)
            bFront = d <= 90.0f || d >= 270.0f;
        else if (d < 10.0f || d > 350.0f)
            bFront = true;
        else if (d > 170.0f && d < 190.0f)
            bFront = ball.fDistance > fTrophyDistance;
        else
            bFront = ball.bBeforeObject;
        (bFront ? split.front : split.behind).push_back(ball.nBall);
    }
}

double CapPathLength(std::vector<POINT>& points, std::size_t nFrom, double dLimit)
{
    double dUsed = 0;
    for (std::size_t i = nFrom + 1; i < points.size(); ++i)
    {
        if (dUsed >= dLimit)
        {
            points.resize(i); // the limit fell on a point: nothing of the rest is drawn
            return dUsed;
        }
        const double dx = points[i].x - points[i - 1].x;
        const double dy = points[i].y - points[i - 1].y;
        const double dLength = std::hypot(dx, dy);
        if (dUsed + dLength <= dLimit)
        {
            dUsed += dLength;
            continue;
        }
        // This segment crosses the limit: it ends where the limit is reached, the rest goes.
        const double t = (dLimit - dUsed) / dLength;
        points[i].x = points[i - 1].x + static_cast<LONG>(std::lround(dx * t));
        points[i].y = points[i - 1].y + static_cast<LONG>(std::lround(dy * t));
        points.resize(i + 1);
        return dLimit;
    }
    return dUsed;
}

std::size_t ShortPathPointCount(std::span<const int> kinds, bool bStruck)
{
    constexpr int CUSHION = 3;
    const std::size_t nMost = std::min<std::size_t>(kinds.size(), bStruck ? 3 : 2);
    if (!bStruck)
        return nMost;
    for (std::size_t i = 1; i < nMost; ++i)
        if (kinds[i] == CUSHION)
            return i + 1;
    return nMost;
}

SScenePlan PlanScene(const SSceneOrderState& state)
{
    using enum ESceneStep;
    SScenePlan plan;
    if (!state.bSceneHidden)
    {
        if (state.bSpecular)
            plan.Add(SpecularPass);
        plan.Add(Background);
        if (state.bSplit)
        {
            for (const ESceneStep step : {FarSides, Watermark, CalledPocket})
                plan.Add(step);
            if (state.bPocketBehind)
                plan.Add(PocketArrowFar);
            for (const ESceneStep step : {AimingPaths, BallsBehind, Trophy, BallsFront, BallLabel, NearSides})
                plan.Add(step);
        }
        else
        {
            for (const ESceneStep step : {BallsInside, FarSides, BallsInJaws, Watermark, CalledPocket})
                plan.Add(step);
            if (state.bPocketBehind)
                plan.Add(PocketArrowFar);
            for (const ESceneStep step : {PocketedBalls, BallLabel, NearSides, Trophy})
                plan.Add(step);
        }
        if (!state.bPocketBehind)
            plan.Add(PocketArrowNear);
        for (const ESceneStep step :
             {Foreground, Effects, PanelWidget, AimingPaths, Widgets, FrameRate, GamePanels, TextMessage})
            plan.Add(step);
    }
    plan.Add(MatchTitle);
    plan.Add(RestoreLights);
    return plan;
}

const char* SceneStepName(ESceneStep step)
{
    static constexpr const char* NAMES[] = {
        "SpecularPass", "Background",   "BallsInside",     "FarSides",      "BallsInJaws",
        "Watermark",    "CalledPocket", "PocketArrowFar",  "PocketedBalls", "BallLabel",
        "NearSides",    "Trophy",       "PocketArrowNear", "AimingPaths",   "BallsBehind",
        "BallsFront",   "Foreground",   "Effects",         "PanelWidget",   "Widgets",
        "FrameRate",    "GamePanels",   "TextMessage",     "MatchTitle",    "RestoreLights",
    };
    static_assert(std::size(NAMES) == static_cast<std::size_t>(ESceneStep::RestoreLights) + 1);
    return NAMES[static_cast<std::size_t>(step)];
}
