#include "app/MainFrame.h"

#include "foundation/Settings.h"
#include "platform/win32/SystemParameters.h"
#include "simulation/PhysicsCoefficients.h"

#include <gtest/gtest.h>

namespace
{
class CTestFrame : public CMainFrame
{
public:
    using CMainFrame::OnKillFocus;
    using CMainFrame::OnSetFocus;
};

BOOL ScreenSaverActive()
{
    BOOL bActive = -1;
    SystemParametersInfo(SPI_GETSCREENSAVEACTIVE, 0, &bActive, 0);
    return bActive;
}

TEST(MainFrameTest, ScreenSaverIsOffWhileTheFrameLivesAndComesBackAsItWas)
{
    for (const BOOL bBefore : {TRUE, FALSE})
    {
        SCOPED_TRACE(bBefore);
        SystemParametersInfo(SPI_SETSCREENSAVEACTIVE, static_cast<UINT>(bBefore), nullptr, 0);
        {
            CTestFrame frame;
            EXPECT_FALSE(ScreenSaverActive());
        }
        EXPECT_EQ(bBefore, ScreenSaverActive());
    }
    SystemParametersInfo(SPI_SETSCREENSAVEACTIVE, TRUE, nullptr, 0);
}

TEST(MainFrameTest, RegainedFocusRestoresOnlyAModeSavedWhenItWent)
{
    struct SCase
    {
        const char* szName;
        DWORD dwAtLoss;    // the word when the focus goes
        DWORD dwWhileAway; // what the game made of it meanwhile
        DWORD dwAfterGain; // the word once the focus is back
    };
    const SCase aCases[] = {
        {"aiming comes back", 0x20 | gmStartupFlag, 0x1000, 0x20 | gmStartupFlag},
        {"no mode: nothing was saved, nothing is put back", 0x10002, 0x20, 0x20},
        {"waiting keeps its word", modeWaiting, modeWaiting | 0x2, modeWaiting | 0x2},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CTestFrame frame;
        g_nGameMode = c.dwAtLoss;
        frame.OnKillFocus(nullptr);
        g_nGameMode = c.dwWhileAway;
        frame.OnSetFocus(nullptr);
        EXPECT_EQ(c.dwAfterGain, g_nGameMode);
    }
    g_nGameMode = 0;
}

TEST(MainFrameTest, WindowClassIsRegisteredOnceAndItsNameNeverWritten)
{
    const char szName[] = "Vorn class";
    EXPECT_STREQ("Vorn class", RegisterWindowClass(szName));
    EXPECT_STREQ("Vorn class", RegisterWindowClass(szName)) << "an existing class is used as it is";
    EXPECT_STREQ("Vorn class", szName);
}
TEST(MainFrameTest, PlayersAreSetUpFromTheSettings)
{
    struct SCase
    {
        const char* szName;
        int nCompetition;
        const char *szName1, *szName2;
        int nLevel2;
        const char *szExpected1, *szExpected2;
        BOOL bSecondDead;
    };
    const SCase aCases[] = {
        {"practice: the second is absent", 0, "Ann", "Bob", 0, "Ann", " ", TRUE},
        {"two players", 1, "Ann", "Bob", 0, "Ann", "Bob", FALSE},
        {"same names are told apart", 1, "Ann", "Ann", 0, "Ann(1)", "Ann(2)", FALSE},
        {"practice keeps a same name", 0, "Ann", "Ann", 0, "Ann", " ", TRUE},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CSettings settings;
        settings.m_nCompetitionType = c.nCompetition;
        settings.m_strPlayer1 = c.szName1;
        settings.m_strPlayer2 = c.szName2;
        settings.m_nPlayerLevel1 = 0;
        settings.m_nPlayerLevel2 = c.nLevel2;
        CPlayer first, second;
        second.SetDead();
        SetUpPlayers(first, second, settings);
        EXPECT_EQ(CString(c.szExpected1), first.GetNameRef());
        EXPECT_EQ(CString(c.szExpected2), second.GetNameRef());
        EXPECT_EQ(c.bSecondDead, second.IsDead());
        EXPECT_FALSE(first.IsDead());
        EXPECT_EQ(0, first.GetGames());
    }
}

TEST(MainFrameTest, PhysicsTextsThatAreNumbersSetTheirCoefficients)
{
    CSettings settings;
    settings.m_strAccelRollDeceler = "0.25";
    settings.m_strSideSpinInfluence = "0.5 and more";
    settings.m_strDecay = "soft";
    settings.m_strBallBallFriction = "";
    g_PhysicsCoefficients.Decay = 0.7f;
    g_PhysicsCoefficients.BallBallFriction = 0.05f;
    ApplyPhysicsCoefficients(settings);
    EXPECT_FLOAT_EQ(0.25f, g_PhysicsCoefficients.accelRollDeceler);
    EXPECT_FLOAT_EQ(0.5f, g_PhysicsCoefficients.SideSpinInfluence) << "read as far as it is a number";
    EXPECT_FLOAT_EQ(0.7f, g_PhysicsCoefficients.Decay) << "not a number: unchanged";
    EXPECT_FLOAT_EQ(0.05f, g_PhysicsCoefficients.BallBallFriction);
    g_PhysicsCoefficients.accelRollDeceler = DEFAULT_ACCEL_ROLL_DECELER;
    g_PhysicsCoefficients.SideSpinInfluence = DEFAULT_SIDE_SPIN_INFLUENCE;
}
} // namespace

namespace
{
TEST(MainFrameTest, EnvironmentChangePlacesTheWindow)
{
    struct SCase
    {
        const char* szName;
        RECT rcWindow;
        BOOL bFullScreen;
        RECT rcExpected;
    };
    // A 1024 x 768 screen.
    const SCase aCases[] = {
        {"full screen takes the whole screen", {10, 20, 500, 400}, TRUE, {0, 0, 1024, 768}},
        {"the frame's size stays", {5, 6, 817, 576}, FALSE, {5, 6, 817, 576}},
        {"larger stays", {0, 0, 1000, 700}, FALSE, {0, 0, 1000, 700}},
        {"too narrow: centred at the frame's size", {5, 6, 816, 700}, FALSE, {106, 99, 918, 669}},
        {"too low: centred at the frame's size", {5, 6, 1000, 575}, FALSE, {106, 99, 918, 669}},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        const RECT rc = PlaceEnvironmentWindow(c.rcWindow, c.bFullScreen, 1024, 768);
        EXPECT_EQ(c.rcExpected.left, rc.left);
        EXPECT_EQ(c.rcExpected.top, rc.top);
        EXPECT_EQ(c.rcExpected.right, rc.right);
        EXPECT_EQ(c.rcExpected.bottom, rc.bottom);
    }
}
} // namespace
