// Every coefficient the settings or the physics dialog may set keeps the table physical across its
// whole range: breaks struck hard, with english, draw or as jumps come to rest in a bounded time,
// and the balls never hold more energy than the stroke gave them.
#include "tests/simulation/BallEngineScenes.h"
#include "tests/simulation/SimTestSupport.h"

#include <algorithm>
#include <cmath>

namespace
{
struct SStroke
{
    const char* szName;
    float fSpeed, fElevation, fSideAngle, fHeightAngle;
};
/// Strokes at the cue tip's limits (50 degrees) and at twice the full stroke.
constexpr SStroke STROKES[] = {
    {"centre", FULL_STROKE_SPEED_MPS, 0.0f, 0.0f, 0.0f},
    {"hard centre", 2.0f * FULL_STROKE_SPEED_MPS, 0.0f, 0.0f, 0.0f},
    {"top and right english", FULL_STROKE_SPEED_MPS, 0.0f, 50.0f, 50.0f},
    {"draw and left english", FULL_STROKE_SPEED_MPS, 0.0f, -50.0f, -50.0f},
    {"jump", FULL_STROKE_SPEED_MPS, 1.0f, 0.0f, 0.0f},
    {"hard jump with english", 2.0f * FULL_STROKE_SPEED_MPS, 1.0f, 50.0f, -50.0f},
};
/// 50 s of play: the slowest cloth and spin bounds rest within half of it.
constexpr int MAX_FRAMES = 3000;
/// The break's kinetic energy (per unit mass, the sum of the squared speeds) over the stroke's:
/// the struck cue ball's share of its spin taken into account.
constexpr double MAX_ENERGY_GAIN = 1.05;

struct SOutcome
{
    int nFramesToRest = -1;
    double dMaxEnergyGain = 0.0;
};

SOutcome Break(const SStroke& stroke)
{
    CBallEngineMain engine;
    RackGame(engine, GAME_TYPE_8BALL, 4);
    engine.BeginShot(stroke.fSpeed, DirectionTowards(engine, ApexBall(engine)), stroke.fElevation, stroke.fSideAngle,
                     stroke.fHeightAngle);
    SOutcome out;
    for (int n = 0; n < MAX_FRAMES && out.nFramesToRest < 0; ++n)
    {
        engine.Advance(FRAME_MS);
        double dEnergy = 0.0;
        for (int i = 0; i < engine.GetBallCount(); ++i)
            if (const CBall* pBall = engine.GetBallAt(i); pBall->IsMoving())
                dEnergy += pBall->GetSpeed() * pBall->GetSpeed();
        out.dMaxEnergyGain = std::max(out.dMaxEnergyGain, dEnergy / (stroke.fSpeed * stroke.fSpeed));
        if (engine.AllBallsStopped())
            out.nFramesToRest = n + 1;
    }
    return out;
}

void ExpectPhysical(const char* szSetting)
{
    for (const SStroke& stroke : STROKES)
    {
        SCOPED_TRACE(testing::Message() << szSetting << ", " << stroke.szName);
        const SOutcome out = Break(stroke);
        EXPECT_GT(out.nFramesToRest, 0) << "the table still moves after " << MAX_FRAMES << " frames";
        EXPECT_LE(out.dMaxEnergyGain, MAX_ENERGY_GAIN);
    }
}

class CPhysicalCoefficientsTest : public CSimulationTest
{
};

TEST_F(CPhysicalCoefficientsTest, EachCoefficientAtEitherEndOfItsRangeKeepsTheTablePhysical)
{
    for (const SCoefficientRange& range : COEFFICIENT_RANGES)
        for (const float f : {range.fLow, range.fHigh})
        {
            g_PhysicsCoefficients.Reset();
            (g_PhysicsCoefficients.*range.pCoefficient).store(f);
            ExpectPhysical((std::string(range.szName) + " = " + std::to_string(f)).c_str());
        }
}

TEST_F(CPhysicalCoefficientsTest, TheLiveliestTableTheRangesAllowStillComesToRest)
{
    // Every coefficient at the end that keeps the balls moving longest or gives them most speed.
    for (const SCoefficientRange& range : COEFFICIENT_RANGES)
        (g_PhysicsCoefficients.*range.pCoefficient).store(range.fHigh);
    for (auto pSlowest : {&SPhysicsCoefficients::accelRollDeceler, &SPhysicsCoefficients::SideSpinDeceleration})
        (g_PhysicsCoefficients.*pSlowest).store(CoefficientRange(pSlowest).fLow);
    ExpectPhysical("the liveliest table");
}

TEST_F(CPhysicalCoefficientsTest, ACushionDecayAboveOneAddsEnergy)
{
    // Why the cushion decay stops at 1: beyond it every cushion makes a ball faster.
    g_PhysicsCoefficients.Decay.store(1.2f);
    EXPECT_GT(Break(STROKES[0]).dMaxEnergyGain, 2.0);
}
} // namespace
