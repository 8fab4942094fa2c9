// What the real frame tells of a shot and of the mode, driven by the input script: eight-ball's
// groups once the first clean pot gives them, the balls a shot dropped and the mode's one-line
// help under the turn banner.
#include "tests/app/ScriptedFrame.h"

#include "app/MainFrame.h"
#include "foundation/Settings.h"
#include "gameflow/GameFlow.h"
#include "gameflow/GameMode.h"
#include "platform/dx/DirectDraw.h"
#include "platform/dx/SurfacePng.h"
#include "render/D3DFramework.h"
#include "simulation/PhysicsConstants.h"
#include "simulation/Referee.h"
#include "ui/SceneOrder.h"
#include "ui/TextMessages.h"

#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace
{
/// The cue ball behind ball 3 across the table from the left side pocket, a little off its centre so
/// that it glances off it away from the pocket; a stripe far up the table.
const float SIDE = TABLE_LENGTH_M / 2.0f;
const SPlacedBall CLEAN_POT[] = {{0, 0.30f, SIDE - 0.012f}, {3, 0.12f, SIDE}, {12, 0.90f, 1.90f}};
/// The cue's aim along -x, at the left side pocket.
constexpr float AIM_ALONG_MINUS_X = 90.0f;
/// The notices' ink under the turn banner.
constexpr COLORREF NOTICE_INK = RGB(210, 225, 240);

using CFrameShotNoticesTest = CScriptedFrameTest;

/// Where the notices are inked in the strip under the turn banner, with only the text step painted
/// on a black frame: the pixels of their colour, by their place in the frame.
std::vector<LONG> NoticeInk(CMainFrame& frame)
{
    CDirectDrawSurface& surface = *g_pFramework->GetBackBuffer();
    DDBLTFX fx{};
    surface.Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
    SScenePlan textOnly;
    textOnly.Add(ESceneStep::TextMessage);
    frame.PaintScenePlan(textOnly, 0);
    RECT rcView;
    frame.GetPanelRect(rcView);
    DDSURFACEDESC2 desc{};
    EXPECT_EQ(DD_OK, surface.Lock(nullptr, &desc, DDLOCK_WAIT, nullptr));
    std::vector<LONG> ink;
    const DWORD dwInk = (GetRValue(NOTICE_INK) << 16) | (GetGValue(NOTICE_INK) << 8) | GetBValue(NOTICE_INK);
    for (LONG y = rcView.top + 44; y < rcView.top + 110; ++y)
        for (LONG x = rcView.left; x < rcView.right; ++x)
            if ((static_cast<const DWORD*>(desc.lpSurface)[y * desc.lPitch / 4 + x] & 0xFFFFFF) == dwInk)
                ink.push_back(y * 10000 + x);
    surface.Unlock(nullptr);
    return ink;
}

TEST_F(CFrameShotNoticesTest, TheFirstCleanPotOfEightBallTellsWhoPlaysWhichGroupAndTheBallDropped)
{
    g_Settings.m_nCompetitionType = 1;
    CCursor cursor;
    const auto aimAcross = [](CMainFrame& f)
    {
        CGameFlow& flow = f.GetGameFlow();
        CViewRecord view = flow.GetCurrentView();
        view.m_vCamera.x = view.m_vCue.x = AIM_ALONG_MINUS_X;
        flow.ApplyViewRecord(view);
        // Drawn back four steps of Up: a soft stroke that leaves the cue ball short of the pocket.
        flow.Cue().fPullBack = flow.Cue().fMin + 2.0f;
    };
    const SFrameStep steps[] = {
        {"the cursor brought into the view", nullptr, cursor.MoveBy(0, 0), nullptr},
        {"Enter strikes along -x", aimAcross, "key press Return",
         [](CMainFrame&) { ASSERT_TRUE(HasGameFlag(gmShotRunning)) << "the shot runs"; }},
    };
    RunFrameSteps(
        m_app.Folder().Path(), steps,
        [](CMainFrame& f)
        {
            LayTable(f, CLEAN_POT, true, modeAim);
            CGameFlow& flow = f.GetGameFlow();
            flow.GetReferee()->SetFlags(REF_BREAK_MADE);
            flow.Player1().GetNameRef() = "Ann";
            flow.Player2().GetNameRef() = "Bob";
        },
        [](CMainFrame& f)
        {
            bool bDropShown = false;
            for (int i = 0; i < 3000 && HasGameFlag(gmShotRunning); ++i)
            {
                AdvanceTestClock(LIVE_FRAME_MS);
                ASSERT_TRUE(f.OnFrame());
                bDropShown = bDropShown || (!f.GetGameFlow().GetReferee()->IsOnTable(3) && !NoticeInk(f).empty());
            }
            ASSERT_FALSE(HasGameFlag(gmShotRunning)) << "the shot was judged";
            CGameFlow& flow = f.GetGameFlow();
            ASSERT_EQ(0, flow.Player1().GetGroup()) << "the solid dropped cleanly";
            const char* szHead = g_TextMessages.GetHeadText();
            ASSERT_NE(nullptr, szHead);
            EXPECT_STREQ("Ann plays the solids, Bob the stripes.", szHead);
            EXPECT_TRUE(bDropShown) << "the ball dropped was named under the banner";
            // The whole frame once more, for a person to look at.
            f.DrawScene(0);
            std::filesystem::create_directories(VORN_TEST_OUTPUT_DIR);
            EXPECT_TRUE(
                SaveSurfaceToPng(*g_pFramework->GetBackBuffer(),
                                 (std::filesystem::path(VORN_TEST_OUTPUT_DIR) / "FrameGroupsTold.png").string()));
        });
}

TEST_F(CFrameShotNoticesTest, EachModesOneLineHelpIsDrawnUnderTheBanner)
{
    auto pAiming = std::make_shared<std::vector<LONG>>();
    const SFrameStep steps[] = {
        {"aiming", nullptr, "", [pAiming](CMainFrame& f) { *pAiming = NoticeInk(f); }},
        {"E: the english's help", nullptr, "key press E",
         [pAiming](CMainFrame& f)
         {
             const std::vector<LONG> english = NoticeInk(f);
             EXPECT_FALSE(pAiming->empty()) << "aiming's help";
             EXPECT_FALSE(english.empty());
             EXPECT_NE(*pAiming, english) << "another line";
         }},
    };
    RunFrameSteps(m_app.Folder().Path(), steps,
                  [](CMainFrame& f)
                  {
                      LayTable(f, CLEAN_POT, true, modeEnglish);
                      f.GetGameFlow().SetGameMode(modeAim);
                  });
}
} // namespace
