#include "app/MainFrame.h"

#include "foundation/GameModeWord.h"
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
