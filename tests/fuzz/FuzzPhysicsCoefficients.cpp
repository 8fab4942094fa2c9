// The physics coefficients' texts of the settings (the input's lines, in the order below), applied
// as the game start applies them, then a hard break with spin played for a few seconds. Property:
// whatever the texts, every ball stays a finite number near the table (a damping factor that adds
// energy, or a number that is none, would throw the balls away). A rack of three balls keeps the
// simulation cheap; the cushions, the spin and the jumps are the same.
#include "tests/fuzz/FuzzTarget.h"
#include "tests/simulation/BallEngineScenes.h"

#include "app/MainFrame.h"
#include "foundation/Settings.h"
#include "simulation/PhysicsCoefficients.h"
#include "simulation/PhysicsConstants.h"

#include <array>
#include <cmath>

namespace
{
/// The texts in the order of the lines.
constexpr std::array<CString CSettings::*, 10> TEXTS = {
    &CSettings::m_strAccelRollDeceler,      &CSettings::m_strSideSpinDeceleration_rads,
    &CSettings::m_strMaxFlightHeightPerR,   &CSettings::m_strBallBallFriction,
    &CSettings::m_strSideSpinCoeff,         &CSettings::m_strForwardSpinCoeff,
    &CSettings::m_strVerticalVelocityCoeff, &CSettings::m_strDecay,
    &CSettings::m_strSideSpinDecay,         &CSettings::m_strSideSpinInfluence};

/// Simulated time after the stroke: long enough for the break to reach every cushion.
constexpr int FRAMES = 180;
/// How far from the bed a ball may be and still be near the table: one that jumped off rolls on
/// the floor, but no stroke sends it this far in the time simulated. Metres.
constexpr float NEAR_TABLE_M = 50.0f;

bool IsNearTable(const CVector3& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z) && v.x > -NEAR_TABLE_M &&
           v.x < TABLE_WIDTH_M + NEAR_TABLE_M && v.y > -NEAR_TABLE_M && v.y < TABLE_LENGTH_M + NEAR_TABLE_M &&
           std::abs(v.z) < NEAR_TABLE_M;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    CSettings settings;
    settings.SetDefaults();
    const std::string text = FuzzText(pData, nSize);
    std::size_t nAt = 0;
    for (CString CSettings::*pText : TEXTS)
    {
        const std::size_t nEnd = std::min(text.find('\n', nAt), text.size());
        settings.*pText = CString(text.substr(std::min(nAt, text.size()), nEnd - std::min(nAt, nEnd)));
        nAt = nEnd + 1;
    }
    g_PhysicsCoefficients.Reset();
    ApplyPhysicsCoefficients(settings);

    static CBallEngineMain s_engine;
    RackGame(s_engine, GAME_TYPE_3BALL, 7);
    s_engine.BeginShot(FULL_STROKE_SPEED_MPS, DirectionTowards(s_engine, ApexBall(s_engine)), 0.0f, 0.5f, 0.3f);
    for (int nFrame = 0; nFrame < FRAMES && !s_engine.AllBallsStopped(); ++nFrame)
        s_engine.Advance(FRAME_MS);
    for (int i = 0; i < s_engine.GetBallCount(); ++i)
        FuzzCheck(IsNearTable(*s_engine.GetBallAt(i)->GetPosition()), "a ball was thrown far from the table");
    return 0;
}

std::vector<std::vector<BYTE>> FuzzSeeds()
{
    // A fresh settings file holds no texts, so the coefficients keep their defaults; a player who
    // edits it writes numbers such as these.
    return {FuzzBytes("\n\n\n\n\n\n\n\n\n"), FuzzBytes("0.15\n9\n5\n0.05\n5\n1.4\n0.3\n0.7\n0.9\n0.3\n"),
            FuzzBytes("0.3\n4.5\n2\n0.1\n2.5\n0.7\n0.6\n0.95\n0.5\n0.6")};
}
