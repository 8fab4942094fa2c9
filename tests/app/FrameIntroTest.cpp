// The end of the intro on the real main frame: a person's game flies the camera from the dark
// room to the default camera over the table, or to the top view the settings hold the game in,
// and begins ball in hand there; the computer's first turn flies to its own aim instead.
#include "tests/app/AppFolder.h"
#include "tests/app/FrameScope.h"

#include "app/MainFrame.h"
#include "foundation/LibraryLists.h"
#include "foundation/Settings.h"
#include "gameflow/GameFlow.h"
#include "gameflow/GameMode.h"
#include "platform/win32/Clock.h"
#include "platform/win32/DebugLog.h"
#include "render/CameraFlight.h"
#include "render/SceneObject.h"
#include "render/TableSpace.h"
#include "ui/IntroSequence.h"

#include <gtest/gtest.h>
#include <string>

namespace
{
TEST(FrameIntroTest, TheIntrosEndFliesAPersonToTheTableOrTheTopViewAndBallInHand)
{
    enum class EFlight
    {
        Table,   // to the default camera over the table's bed
        TopView, // to the top view, held there
        Aim      // the computer's own flight to its aim
    };
    struct SCase
    {
        const char* szName;
        int nFirstLevel; // the first player's computer level: the first to play
        int nOverheadView;
        EFlight eFlight;
    };
    const SCase aCases[] = {{"a person plays first", 0, 0, EFlight::Table},
                            {"a person plays first in the top view", 0, 1, EFlight::TopView},
                            {"the computer plays first", 5, 0, EFlight::Aim},
                            {"the computer plays first in the top view", 5, 1, EFlight::Aim}};
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CTestClockScope clock(5000);
        const CAppFolder app;
        // The game's own art: its scene has the table object.
        for (const char* szLib : {"Imagery1.dll", "Imagery.dll"})
            g_astrArtworkLibraries.Add((std::string(VORN_GAME_DIR) + "/" + szLib).c_str());
        g_Settings.SetDefaults();
        g_Settings.m_nCompetitionType = 1;
        g_Settings.m_nPlayerLevel2 = 0;
        g_Settings.m_nAdvancedLighting = 1;
        g_Settings.m_nOverHeadView = c.nOverheadView;
        std::string strLog;
        SetDebugLogSink([&](const std::string& strLine) { strLog += strLine; });
        {
            CFrameScope scope(true);
            ASSERT_TRUE(scope.m_bCreated);
            CMainFrame& frame = *scope.m_pFrame;
            ASSERT_FALSE(g_IntroSequence.IsFinished()) << "the game opens with the intro";
            CGameFlow& flow = frame.GetGameFlow();
            flow.Current().SetLevel(c.nFirstLevel);
            const CViewRecord before = flow.GetCurrentView();
            g_IntroSequence.Finish();
            EXPECT_EQ(modeCameraFlight, g_nGameMode & MODE_FIELD);
            EXPECT_EQ(c.eFlight == EFlight::Table,
                      strLog.find("Intro: the camera flies to the table") != std::string::npos);
            EXPECT_EQ(c.eFlight == EFlight::TopView,
                      strLog.find("Intro: the camera flies to the top view") != std::string::npos);
            const auto* pFlight = dynamic_cast<const CCameraFlight*>(flow.GetFlight());
            ASSERT_NE(nullptr, pFlight);
            if (c.eFlight == EFlight::Aim)
            {
                EXPECT_NE(modeBallInHand, flow.GetFlightEndMode());
                // Held at the top view, the computer's flight ends there.
                EXPECT_EQ(c.nOverheadView != 0, HasGameFlag(gmKeepView));
                const CViewRecord top = flow.GetTopViewRecord();
                EXPECT_EQ(c.nOverheadView != 0, (flow.GetCurrentView().m_vCamera - top.m_vCamera).LengthSq() < 1e-4f);
            }
            else
            {
                EXPECT_EQ(modeBallInHand, flow.GetFlightEndMode());
                EXPECT_EQ(c.eFlight == EFlight::TopView, dynamic_cast<const CCameraFlightG*>(pFlight) != nullptr);
                EXPECT_LT((flow.GetCurrentView().m_vCamera - before.m_vCamera).LengthSq(), 1e-6f)
                    << "the flight starts where the camera stands";
                const CViewRecord target = pFlight->GetViewRecord();
                if (c.eFlight == EFlight::Table)
                {
                    // From where the camera stood to the default camera triple round the table's bed
                    // (the table object stands on the floor).
                    CVector3 vTable;
                    ASSERT_NE(nullptr, frame.GetTableObject());
                    frame.GetTableObject()->GetPosition(nullptr, vTable);
                    vTable.y += SCENE_BED_HEIGHT;
                    EXPECT_LT((target.m_vCamera - CCameraObject::GetDefaultPosition()).LengthSq(), 1e-6f);
                    EXPECT_LT((target.m_vViewPoint - vTable).LengthSq(), 1e-6f);
                }
                else
                {
                    EXPECT_LT((flow.Current().GetViewRecord().m_vCamera - before.m_vCamera).LengthSq(), 1e-6f)
                        << "the player's own view is kept for the way back";
                }
                for (int k = 0; k < 200 && (g_nGameMode & MODE_FIELD) == modeCameraFlight; ++k)
                {
                    clock.Advance(50);
                    ASSERT_TRUE(frame.OnFrame());
                }
                EXPECT_EQ(modeBallInHand, g_nGameMode & MODE_FIELD) << "ball in hand at the flight's end";
                EXPECT_LT((flow.GetCurrentView().m_vCamera - target.m_vCamera).LengthSq(), 1e-4f);
                EXPECT_EQ(c.eFlight == EFlight::TopView, HasGameFlag(gmKeepView)) << "held at the top view";
            }
        }
        SetDebugLogSink(nullptr);
        g_nGameMode = 0;
        g_Settings.SetDefaults();
    }
}
} // namespace
