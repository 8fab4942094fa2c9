// What the game window sets up as it is made and as its first game starts, on the real frame on the
// headless display: the panels' textures and the input line, the flights' time and the display
// options taken from the settings, the players' own views, and the start's texts.
#include "tests/app/ScriptedFrame.h"

#include "platform/mfc/Controls.h"
#include "platform/win32/WindowTable.h"
#include "render/CameraFlight.h"
#include "render/TextureManager.h"
#include "ui/InputEdit.h"
#include "ui/TextMessages.h"
#include "ui/WindowPlacement.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
class CFrameStartTest : public CScriptedFrameTest
{
protected:
    void SetUp() override
    {
        CScriptedFrameTest::SetUp();
        // The game's own pictures behind the test library, which keeps giving the scene text.
        std::filesystem::copy_file(VORN_GAME_DIR "/Imagery.dll", m_app.Folder().File("Imagery0.dll"));
        g_astrArtworkLibraries.Add("Imagery0.dll");
    }
    void TearDown() override
    {
        g_dFlightDuration = 1.4;
        g_TextMessages.Clear();
        CScriptedFrameTest::TearDown();
    }
};

TEST_F(CFrameStartTest, TheWindowMakesThePanelsTexturesItsInputLineAndTakesItsOptionsFromTheSettings)
{
    g_Settings.m_nAutoPlaceTime = 3;
    g_Settings.m_nScore = 0;
    g_Settings.m_nHeadLine = 1;
    g_Settings.m_nFrameRate = 1;
    g_Settings.m_nBallPath1 = 0;
    g_Settings.m_nMusicEnable = 0;
    CFrameScope scope(true, true);
    ASSERT_TRUE(scope.m_bCreated);
    CMainFrame& frame = *scope.m_pFrame;
    ASSERT_TRUE(frame.IsGameStarted());
    ASSERT_TRUE(frame.OnFrame());

    for (const char* szTexture : {"Disable.bmp", "Chat.bmp"})
    {
        SCOPED_TRACE(szTexture);
        EXPECT_NE(nullptr, GetTextureSurface(szTexture)) << "on the device by the first frame";
    }
    EXPECT_DOUBLE_EQ(3.0, g_dFlightDuration) << "flights last the settings' seconds";

    // The input line: an unseen child on the lowest strip of the banner, in yellow italic Arial.
    ASSERT_TRUE(IsWindow(g_InputEdit.m_hWnd));
    EXPECT_EQ(frame.m_hWnd, GetParent(g_InputEdit.m_hWnd));
    EXPECT_EQ(123u, g_InputEdit.GetDlgCtrlID());
    EXPECT_EQ(WS_CHILD | ES_AUTOHSCROLL, g_InputEdit.GetStyle());
    RECT rcClient{};
    frame.GetClientRect(&rcClient);
    const RECT rcBanner = CalcBannerRectTopRight(rcClient);
    RECT rcLine{};
    GetWindowRect(g_InputEdit.m_hWnd, &rcLine);
    EXPECT_EQ((RECT{rcBanner.left, rcBanner.bottom - 20, rcBanner.right, rcBanner.bottom}), rcLine);
    EXPECT_STREQ("Arial", g_InputEdit.m_logFont.lfFaceName);
    EXPECT_TRUE(g_InputEdit.m_logFont.lfItalic);
    EXPECT_EQ(RGB(250, 250, 0), g_InputEdit.m_crText);

    EXPECT_EQ(OPTION_INITIAL | OPTION_HEAD_LINE | OPTION_FRAME_RATE, frame.GetOptionWord());
    EXPECT_EQ(0u, frame.GetMusicWord() & MUSIC_WORD_ON);
    CGameFlow& flow = frame.GetGameFlow();
    EXPECT_TRUE(flow.Player1().GetViewRecord().IsValid()) << "each player has a view to come back to";
    EXPECT_TRUE(flow.Player1().GetViewRecord() == flow.Player2().GetViewRecord());
}

/// The texts queued for the screen, in their order: each shown in turn until the next.
std::vector<std::string> ShownTexts(CTestClockScope& clock)
{
    std::vector<std::string> aTexts;
    const RECT rc = g_TextMessages.GetRect();
    for (int i = 0; i < 8 && !g_TextMessages.IsEmpty(); ++i)
    {
        g_TextMessages.Update(timeGetTime(), rc, 0);
        aTexts.emplace_back(g_TextMessages.GetHeadText());
        clock.Advance(5000);
        g_TextMessages.Update(timeGetTime(), rc, 1); // its time is up, or it is dismissed
    }
    return aTexts;
}

TEST_F(CFrameStartTest, AMatchGreetsThePlayerWhoBreaksAndThePersonFirstToPlayIsToldOfTheMouseOnceARun)
{
    const std::string strHint = "Use the mouse to aim, and click to shoot.";
    struct SCase
    {
        const char* szName;
        int nCompetitionType;
        int nGameType;
        bool bGreeting;
        bool bHint;
    };
    const SCase aCases[] = {
        {"a match: the greeting, then the hint", 1, GAME_8BALL, true, true},
        {"the next game of the run is not told of the mouse again", 1, GAME_9BALL, true, false},
        {"practice greets nobody", 0, GAME_8BALL, false, false},
        {"a game aimed at once starts without texts", 1, GAME_DIRECT_AIM, false, false},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        g_Settings.m_nCompetitionType = c.nCompetitionType;
        g_Settings.m_nGameType = c.nGameType;
        g_TextMessages.Clear();
        CFrameScope scope(true, true);
        ASSERT_TRUE(scope.m_bCreated);
        ASSERT_TRUE(scope.m_pFrame->IsGameStarted());
        std::vector<std::string> aExpected;
        if (c.bGreeting)
            aExpected.push_back("Good luck, " + std::string(scope.m_pFrame->GetGameFlow().Current().GetName()) + "!");
        if (c.bHint)
            aExpected.push_back(strHint);
        EXPECT_EQ(aExpected, ShownTexts(m_clock));
    }
}
} // namespace
