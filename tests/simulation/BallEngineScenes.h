// Scenes that the ball engine tests and benchmarks share: a racked table of any game type and the
// break shot from the cue ball's spot at the apex of the rack.
#pragma once

#include "simulation/BallEngine.h"
#include "simulation/CueBall.h"
#include "simulation/PointList.h"

#include <cmath>

/// The stroke speed of a full stroke with the default settings ("HitVelocity" 7). m/s.
inline constexpr float FULL_STROKE_SPEED_MPS = 7.0f;
/// One frame of the frame tick at 60 frames per second. ms.
inline constexpr DWORD FRAME_MS = LIVE_FRAME_MS;

/// Balls a rack of the game type holds (the cue ball included).
inline int RackBallCount(int nGameType)
{
    switch (nGameType)
    {
    case GAME_TYPE_DEMO:
        return 5;
    case GAME_TYPE_3BALL:
        return 4;
    case GAME_TYPE_9BALL:
        return 10;
    default:
        return 16;
    }
}

/// Adds balls 0 to n - 1 and racks them for the game type from the given seed.
inline void RackGame(CBallEngine& engine, int nGameType, unsigned int nSeed)
{
    engine.RemoveAllBalls();
    for (int i = 0; i < RackBallCount(nGameType); ++i)
        engine.AddBall(i);
    SetCueBallNumber(0);
    g_nRackSeed = nSeed;
    engine.RackBalls(nGameType);
}

/// The stroke direction that sends the cue ball at the centre of the given ball (the stroke's
/// azimuth is minus its direction).
inline float DirectionTowards(CBallEngine& engine, int nTarget)
{
    CVector3 vCue, vTarget;
    engine.GetBallPosition(GetCueBallNumber(), vCue, nullptr);
    engine.GetBallPosition(nTarget, vTarget, nullptr);
    return static_cast<float>(-std::atan2(vTarget.y - vCue.y, vTarget.x - vCue.x));
}

/// The number of the ball at the apex of the rack (spot 1), or -1.
inline int ApexBall(CBallEngine& engine)
{
    const SRackSpot& apex = g_PointList.GetSpots().at(1);
    for (int i = 0; i < engine.GetBallCount(); ++i)
    {
        const CVector3& p = *engine.GetBallAt(i)->GetPosition();
        if (std::abs(p.x - apex.x) < 1e-4 && std::abs(p.y - apex.y) < 1e-4)
            return engine.GetBallAt(i)->GetIndex();
    }
    return -1;
}

/// Racks the game and breaks: a centre-ball stroke at the apex.
inline void RackAndBreak(CBallEngine& engine, int nGameType, unsigned int nSeed, float fSpeed)
{
    RackGame(engine, nGameType, nSeed);
    engine.BeginShot(fSpeed, DirectionTowards(engine, ApexBall(engine)), 0.0f, 0.0f, 0.0f);
}

/// Advances the live table frame by frame until it rests; the number of frames, or -1 when it
/// still moves after nMaxFrames.
inline int AdvanceToRest(CBallEngine& engine, int nMaxFrames = 10000)
{
    for (int nFrames = 0; nFrames < nMaxFrames; ++nFrames)
    {
        if (engine.AllBallsStopped())
            return nFrames;
        engine.Advance(FRAME_MS);
    }
    return -1;
}
