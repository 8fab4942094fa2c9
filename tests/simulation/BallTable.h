// A table for tests and benchmarks: balls, the six cushions, the six pockets and the bed edge,
// stepped in safe time steps in the order a ball engine steps them (move every ball, then ball
// pairs, cushions, pockets, the bed edge).
#pragma once

#include "simulation/Ball.h"
#include "simulation/PhysicsConstants.h"
#include "simulation/PointList.h"
#include "simulation/TableParts.h"

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

class CTestTable
{
public:
    /// bDropping: pockets let caught balls drop first (the live table) or report them at once
    /// (the aiming aid).
    explicit CTestTable(BOOL bDropping = TRUE)
        : m_aCushions{CCushion(0), CCushion(1), CCushion(2), CCushion(3), CCushion(4), CCushion(5)},
          m_aPockets{CWorldObject(0), CWorldObject(1), CWorldObject(2),
                     CWorldObject(3), CWorldObject(4), CWorldObject(5)},
          m_bDropping(bDropping)
    {
        for (CWorldObject& pocket : m_aPockets)
        {
            const std::array<int, 2> jaws = CWorldObject::GetJawCushions(pocket.GetNumber());
            pocket.SetMouth(m_aCushions.at(static_cast<std::size_t>(jaws[0])),
                            m_aCushions.at(static_cast<std::size_t>(jaws[1])));
        }
    }

    /// A resting ball on the bed at (x, y).
    CBall& AddBall(int nNumber, float x, float y)
    {
        m_Balls.push_back(std::make_unique<CBall>(nNumber, x, y));
        m_Balls.back()->SetPocketed(FALSE, FALSE, -1);
        m_BallPtrs.push_back(m_Balls.back().get());
        return *m_Balls.back();
    }
    CBall& Ball(std::size_t i) { return *m_Balls.at(i); }
    std::size_t BallCount() const { return m_Balls.size(); }
    const std::array<CCushion, CUSHION_COUNT>& Cushions() const { return m_aCushions; }
    const std::array<CWorldObject, POCKET_COUNT>& Pockets() const { return m_aPockets; }

    int CountMoving() const
    {
        return static_cast<int>(
            std::count_if(m_Balls.begin(), m_Balls.end(), [](const auto& p) { return p->IsMoving(); }));
    }
    bool AllStopped() const { return CountMoving() == 0; }

    /// The longest step no ball objects to (milliseconds).
    double GetMaxStep() const
    {
        // As the engine counts them: a ball falling into a pocket is out of play.
        const int nMoving = static_cast<int>(std::count_if(
            m_Balls.begin(), m_Balls.end(), [](const auto& p) { return p->IsMoving() && !p->IsRollMode4(); }));
        const CVector3 lo(0.0f, 0.0f, 0.0f);
        const CVector3 hi(TABLE_WIDTH_M, TABLE_LENGTH_M, 0.0f);
        double dStep = 1000000.0;
        for (const auto& p : m_Balls)
            dStep = std::min(dStep, p->GetSafeTimeStep(m_BallPtrs, lo, hi, nMoving));
        return dStep;
    }

    /// One step of dMs milliseconds.
    void Step(double dMs)
    {
        for (const auto& p : m_Balls)
            p->Move(dMs);
        for (std::size_t i = 0; i < m_Balls.size(); ++i)
        {
            for (std::size_t j = i + 1; j < m_Balls.size(); ++j)
            {
                if (m_Balls[i]->IsApproaching(*m_Balls[j]))
                {
                    m_Balls[i]->Collide(*m_Balls[j]);
                    ++m_nBallContacts;
                }
            }
        }
        for (CCushion& cushion : m_aCushions)
        {
            for (const auto& p : m_Balls)
            {
                if (cushion.TestContact(*p))
                {
                    cushion.Respond(*p);
                    ++m_nCushionContacts;
                }
            }
        }
        for (CWorldObject& pocket : m_aPockets)
        {
            for (const auto& p : m_Balls)
            {
                if (pocket.TestCapture(*p, m_bDropping))
                    pocket.Respond(*p);
            }
        }
        for (const auto& p : m_Balls)
            m_BedEdge.TestContact(*p);
        ++m_nSteps;
    }

    /// Advances dMs milliseconds in safe steps; returns the number of steps.
    int Advance(double dMs)
    {
        int nSteps = 0;
        for (double dLeft = dMs; dLeft > 0.0 && !AllStopped(); ++nSteps)
        {
            const double dStep = std::min(GetMaxStep(), dLeft);
            Step(dStep);
            dLeft -= dStep;
        }
        return nSteps;
    }

    /// Advances in chunks of dChunkMs until every ball rests or dMaxMs has passed; returns the
    /// simulated time in milliseconds.
    double RunToRest(double dChunkMs, double dMaxMs = 60000.0)
    {
        double dTime = 0.0;
        while (!AllStopped() && dTime < dMaxMs)
        {
            Advance(dChunkMs);
            dTime += dChunkMs;
        }
        return dTime;
    }

    int m_nSteps = 0;
    int m_nBallContacts = 0;
    int m_nCushionContacts = 0;

private:
    std::vector<std::unique_ptr<CBall>> m_Balls;
    std::vector<const CBall*> m_BallPtrs;
    std::array<CCushion, CUSHION_COUNT> m_aCushions;
    std::array<CWorldObject, POCKET_COUNT> m_aPockets;
    CBedEdge m_BedEdge;
    BOOL m_bDropping;
};

// -- Scenes shared by the tests and the benchmarks -------------------------------------------------

/// A lone object ball sent diagonally at 2.5 m/s: several banks, then it rolls to rest.
inline void MakeLoneBankShot(CTestTable& table)
{
    CBall& ball = table.AddBall(1, 0.3f, 0.3f);
    ball.SetVelocity(CVector3(1.5f, 2.0f, 0.0f));
}

/// A sixteen-ball rack (CPointList spots) broken by the cue ball at 7 m/s, the stroke's top speed,
/// aimed a little off the apex so that the balls spread unevenly.
inline void MakeBreakShot(CTestTable& table)
{
    CPointList spots;
    spots.Build(TABLE_WIDTH_M, TABLE_LENGTH_M, BALL_RADIUS_M, 16);
    for (int i = 0; i < 16; ++i)
    {
        const SRackSpot& spot = spots.GetSpots()[static_cast<std::size_t>(i)];
        table.AddBall(i, static_cast<float>(spot.x), static_cast<float>(spot.y));
    }
    CBall& cue = table.Ball(0);
    const SRackSpot& apex = spots.GetSpots()[1];
    const CVector3 vAim =
        CVector3(static_cast<float>(apex.x) + 0.004f, static_cast<float>(apex.y), 0.0f) - *cue.GetPosition();
    cue.SetVelocity(vAim.GetNormalized() * 7.0f);
    cue.SetRollMode(ROLL_MODE_SLIDING);
}
