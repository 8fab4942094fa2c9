// The options screen over the game window: each choice is written into the live settings and, but
// for the camera view and full screen, into the settings file at once; OK saves them all.
#include "GameDialogFixture.h"

#include "foundation/Settings.h"
#include "platform/TempFolder.h"
#include "platform/win32/Profile.h"
#include "ui/SetupDlg.h"

#include <functional>
#include <string>

namespace
{
using Driver = CDialogDriver;

class GameSetupDialogTest : public CGameDialogFixture
{
protected:
    /// The value of a key of the settings file, -1 when it is not there.
    int Saved(const char* szKey) const
    {
        return static_cast<int>(GetPrivateProfileInt("Settings", szKey, -1, m_folder.File("Vorn.ini").c_str()));
    }

    /// Runs the dialog with the steps played one after another, then Escape.
    INT_PTR Run(CSetupDlg& dlg, std::vector<std::function<void()>> aSteps)
    {
        aSteps.push_back([&dlg] { Driver::Key(dlg, VK_ESCAPE); });
        Driver::Play(std::move(aSteps), true);
        return dlg.DoModal();
    }

    CTempFolder m_folder;
    CLiveSettingsScope m_settings{m_folder};
};

TEST_F(GameSetupDialogTest, ThePathButtonCyclesThroughItsThreeStatesAndSavesEach)
{
    g_Settings.m_nBallPath1 = 1;
    g_Settings.m_nShortPath1 = 0;
    CSetupDlg dlg(&m_game);
    struct SAfter
    {
        int nState, nBallPath, nShortPath;
    };
    std::vector<SAfter> aAfter;
    const auto note = [&] { aAfter.push_back({dlg.m_anPathState[0], Saved("BallPath1"), Saved("ShortPath1")}); };
    EXPECT_EQ(IDCANCEL, Run(dlg, {note, [&] { Driver::ClickControl(dlg, IDC_SETUP_PATH1); }, note,
                                  [&] { Driver::ClickControl(dlg, IDC_SETUP_PATH1); }, note,
                                  [&] { Driver::ClickControl(dlg, IDC_SETUP_PATH1); }, note}));
    ASSERT_EQ(4u, aAfter.size());
    const SAfter aExpected[] = {{0, -1, -1}, {1, 1, 1}, {2, 0, 1}, {0, 1, 0}};
    for (std::size_t i = 0; i < aAfter.size(); ++i)
    {
        SCOPED_TRACE(i);
        EXPECT_EQ(aExpected[i].nState, aAfter[i].nState);
        EXPECT_EQ(aExpected[i].nBallPath, aAfter[i].nBallPath);
        EXPECT_EQ(aExpected[i].nShortPath, aAfter[i].nShortPath);
    }
}

TEST_F(GameSetupDialogTest, TheGamesOfAMatchNeverGoBelowOne)
{
    struct SCase
    {
        int nGoal;
        bool bUp;
        const char* szShown;
        int nSavedGoal;
    };
    const SCase aCases[] = {
        {1, false, "1", 1}, {2, false, "1", 1}, {3, false, "3", 2}, {1, true, "3", 2}, {3, true, "7", 4},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(std::to_string(c.nGoal) + (c.bUp ? " up" : " down"));
        g_Settings.m_nGamesGoal = c.nGoal;
        CSetupDlg dlg(&m_game);
        CString strShown;
        Run(dlg, {[&] { Driver::ClickControl(dlg, c.bUp ? IDC_SETUP_GAMES_UP : IDC_SETUP_GAMES_DOWN); },
                  [&] { strShown = dlg.GetDlgItemText(IDC_SETUP_GAMES); }});
        EXPECT_EQ(std::string(c.szShown), strShown.GetString());
        EXPECT_EQ(c.nSavedGoal, Saved("Games Goal"));
    }
}

TEST_F(GameSetupDialogTest, LevelsSetBothTheDefaultAndTheSecondPlayer)
{
    g_Settings.m_nAIDefaultLevel = 11; // no button marked
    CSetupDlg dlg(&m_game);
    Run(dlg, {[&] { Driver::ClickControl(dlg, IDC_SETUP_LEVEL5); }});
    EXPECT_EQ(5, Saved("AI Default Level"));
    EXPECT_EQ(5, Saved("Player level 2"));
    EXPECT_EQ(5, g_Settings.m_nAIDefaultLevel);
}

TEST_F(GameSetupDialogTest, AReleaseInAVolumeRectangleChoosesItsStep)
{
    struct SCase
    {
        const char* szName;
        int nVolumeBefore;
        POINT pt;
        int nVolume;
        LONG nMarkerBefore, nMarker;
    };
    const SCase aCases[] = {
        {"first, top left corner", 40000, {277, 219}, 5000, 335, 277},
        {"first, last pixel", 34999, {294, 239}, 5000, 306, 277},
        {"first, right edge: outside", 10999, {295, 219}, 10999, 277, 277},
        {"second, left edge", 0, {306, 230}, 20000, 277, 306},
        {"exactly 11000 marks the second", 11000, {280, 225}, 5000, 306, 277},
        {"second, bottom edge: outside", 35000, {310, 240}, 35000, 335, 335},
        {"third, left half", 0, {333, 219}, 40000, 277, 335},
        {"third, right half", 0, {350, 239}, 40000, 277, 335},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        g_Settings.m_nVolume = c.nVolumeBefore;
        CSetupDlg dlg(&m_game);
        LONG nBefore = -1;
        LONG nAfter = -1;
        Run(dlg, {[&]
                  {
                      nBefore = Driver::ControlRect(dlg, IDC_SETUP_VOLUME).left;
                      Driver::Click(dlg, c.pt);
                  },
                  [&] { nAfter = Driver::ControlRect(dlg, IDC_SETUP_VOLUME).left; }});
        EXPECT_EQ(c.nMarkerBefore, nBefore);
        EXPECT_EQ(c.nMarker, nAfter);
        EXPECT_EQ(c.nVolume, Saved("Volume")) << "saved in every case";
    }
}

TEST_F(GameSetupDialogTest, FullScreenNeedsEightHundredBySixHundredAtThirtyTwoBits)
{
    struct SCase
    {
        const char* szName;
        std::vector<SIZE> aModes;
        DWORD dwBits;
        int nFullScreen;
        int nBoxes;
    };
    const SCase aCases[] = {
        {"800 x 600 x 32 offered", {{1024, 768}, {800, 600}}, 32, 1, 0},
        {"no 800 x 600", {{1024, 768}, {640, 480}}, 32, 0, 1},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CDisplayAdapter adapter = CDisplayAdapter::MakeSoftware(1024, 768, c.dwBits, c.aModes);
        const CDisplayAdapterScope scope(&adapter);
        int nBoxes = 0;
        std::string strCaption;
        SetMessageBoxHandler(
            [&](const SMessageBoxRequest& request)
            {
                ++nBoxes;
                strCaption = request.strCaption;
                return IDOK;
            });
        g_Settings.m_nFullScreen = 0;
        CSetupDlg dlg(&m_game);
        Run(dlg, {[&] { ::PostMessage(dlg.m_hWnd, WM_COMMAND, IDC_SETUP_FULLSCREEN, 0); }});
        SetMessageBoxHandler(nullptr);
        EXPECT_EQ(c.nFullScreen, g_Settings.m_nFullScreen);
        EXPECT_EQ(c.nBoxes, nBoxes);
        EXPECT_EQ(nBoxes != 0 ? "Unsupported Resolution" : "", strCaption);
        EXPECT_EQ(-1, Saved("FullScreen")) << "saved by OK only";
    }
}

TEST_F(GameSetupDialogTest, TheCameraViewIsSavedByOkAndEscapeKeepsTheLiveChoice)
{
    g_Settings.m_nOverHeadView = 0;
    {
        CSetupDlg dlg(&m_game);
        EXPECT_EQ(IDCANCEL,
                  Run(dlg, {[&] { Driver::ClickControl(dlg, IDC_SETUP_OVERHEAD_ON); }, [&] { Shot("SetupDialog"); }}));
        EXPECT_EQ(1, g_Settings.m_nOverHeadView);
        EXPECT_EQ(-1, Saved("OverHead View"));
    }
    CSetupDlg dlg(&m_game);
    Driver::Play({[&] { Driver::ClickControl(dlg, IDC_SETUP_OVERHEAD_OFF); }, [&] { Driver::ClickControl(dlg, IDOK); }},
                 true);
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ(0, Saved("OverHead View"));
    EXPECT_EQ(0, g_Settings.m_nOverHeadView);
}
} // namespace
