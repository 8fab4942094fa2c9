// A player who holds a trophy sees it on its cabinet by the far wall with the medal of that
// trophy, bronze, silver or gold; a player without one sees no trophy. The balls are painted
// around it: those behind it before it, those in front of it after it.
#include "tests/app/WholeFrame.h"

#include "app/MainFrame.h"
#include "foundation/Settings.h"
#include "gameflow/FlowCamera.h"
#include "gameflow/GameFlow.h"
#include "platform/win32/Clock.h"
#include "render/RackScene.h"
#include "render/SceneObject.h"
#include "render/TableSpace.h"
#include "ui/SceneOrder.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
/// The pixels where two frames differ.
std::vector<std::size_t> Differing(const std::vector<DWORD>& a, const std::vector<DWORD>& b)
{
    std::vector<std::size_t> at;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        if (a[i] != b[i])
            at.push_back(i);
    return at;
}

/// The mean red, green and blue of a frame over some of its pixels.
std::array<double, 3> MeanColour(const std::vector<DWORD>& aPixels, const std::vector<std::size_t>& at)
{
    std::array<double, 3> sum{};
    for (const std::size_t i : at)
        for (int c = 0; c < 3; ++c)
            sum[static_cast<std::size_t>(c)] += (aPixels[i] >> (16 - 8 * c)) & 0xFF;
    for (double& d : sum)
        d /= static_cast<double>(std::max<std::size_t>(at.size(), 1));
    return sum;
}

/// The flow's camera turned to a heading, looking down at the table's middle.
void TurnCamera(CMainFrame& frame, float fYaw)
{
    SFlowCamera& camera = frame.GetGameFlow().Camera();
    camera.fYaw = fYaw;
    camera.SetPitch(SFlowCamera::DEFAULT_PITCH);
    camera.fDistance = SFlowCamera::DEFAULT_DISTANCE;
    camera.fShift1 = camera.fShift2 = 0.0f;
    camera.vLookAt = CVector3(0.0f, SCENE_BED_HEIGHT, 0.0f);
    camera.Place();
}
} // namespace

TEST(FrameTrophyTest, APlayerWithATrophySeesItsMedalByTheTable)
{
    const CTestClockScope clock(5000);
    CWholeFrame whole(32);
    ASSERT_TRUE(whole.FillTheScreen());
    g_Settings.m_nTrophy = 0;
    const std::vector<DWORD> aNone = whole.Tick();
    EXPECT_TRUE(whole.SavePng("TrophyNone.png"));
    const struct
    {
        int nTrophy;
        const char* szPng;
    } aCases[] = {{1, "TrophyBronze.png"}, {2, "TrophySilver.png"}, {3, "TrophyGold.png"}};
    std::vector<std::vector<DWORD>> aFrames;
    for (const auto& c : aCases)
    {
        g_Settings.m_nTrophy = c.nTrophy;
        aFrames.push_back(whole.Tick());
        EXPECT_TRUE(whole.SavePng(c.szPng));
    }
    // The bronze trophy (whose watermark is the plain one) is all it adds: a small part of the frame.
    const std::vector<std::size_t> trophy = Differing(aNone, aFrames[0]);
    ASSERT_FALSE(trophy.empty()) << "a trophy stands in the room";
    EXPECT_LT(trophy.size(), aNone.size() / 50);
    // Each medal in its own metal there: silver the bluest, gold yellower than bronze.
    const std::array<double, 3> bronze = MeanColour(aFrames[0], trophy);
    const std::array<double, 3> silver = MeanColour(aFrames[1], trophy);
    const std::array<double, 3> gold = MeanColour(aFrames[2], trophy);
    EXPECT_GT(silver[2] / silver[0], bronze[2] / bronze[0]) << "silver is bluer than bronze";
    EXPECT_GT(silver[2] / silver[0], gold[2] / gold[0]) << "silver is bluer than gold";
    EXPECT_GT(gold[1] / gold[0], bronze[1] / bronze[0]) << "gold is yellower than bronze";
    // The display made anew (the scene's objects with it) still shows the gold medal.
    ASSERT_TRUE(whole.FillTheScreen());
    EXPECT_EQ(aFrames[2], whole.Tick()) << "the gold medal after a change of the display";
    // A value that is no trophy shows none.
    g_Settings.m_nTrophy = 9;
    EXPECT_EQ(aNone, whole.Tick());
}

TEST(FrameTrophyTest, BallsBehindTheTrophyArePaintedBeforeItAndTheOthersAfter)
{
    constexpr int BALLS = 0x10;
    const CTestClockScope clock(5000);
    CWholeFrame whole(32);
    ASSERT_TRUE(whole.FillTheScreen());
    CMainFrame& frame = whole.Frame();
    g_Settings.m_nTrophy = 3;
    const CSceneObject* pTrophy = frame.GetShownTrophy();
    ASSERT_NE(nullptr, pTrophy);
    const float fTrophy = frame.GetTrophyHeading(*pTrophy);
    const struct
    {
        const char* szName;
        float fTurn; // the camera's heading less the trophy's
        std::vector<int> golden;
    } aCases[] = {
        // Looking at it across the table, every ball is in front of it.
        {"looking towards the trophy", 5.0f, {KIND_TROPHY, BALLS}},
        // Turned aside, the cue ball is behind it and the others in front by the sight line.
        {"turned away to the side", -135.0f, {BALLS, KIND_TROPHY, BALLS}},
        // Turned away, every ball is nearer than the trophy, and behind it.
        {"turned right away", 180.0f, {BALLS, KIND_TROPHY}},
    };
    for (const auto& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        TurnCamera(frame, std::fmod(fTrophy + c.fTurn + 360.0f, 360.0f));
        std::vector<int> log;
        frame.GetTableScene().SetDrawLog(&log);
        whole.Tick();
        frame.GetTableScene().SetDrawLog(nullptr);
        std::erase_if(log, [](int nKind) { return nKind != BALLS && nKind != KIND_TROPHY; });
        EXPECT_EQ(c.golden, log);
    }
    // Without a trophy the balls are drawn in their groups on the cloth, in the jaws and off it,
    // and no trophy among them.
    g_Settings.m_nTrophy = 0;
    std::vector<int> log;
    frame.GetTableScene().SetDrawLog(&log);
    whole.Tick();
    frame.GetTableScene().SetDrawLog(nullptr);
    EXPECT_EQ(0, std::ranges::count(log, KIND_TROPHY));
    EXPECT_EQ(1, std::ranges::count(log, BALLS)) << "the racked balls all lie on the cloth";
}
