#include "tests/gameflow/FlowTestSupport.h"

namespace
{
class CGameModeTest : public CFlowTest
{
protected:
    void SetUp() override
    {
        CFlowTest::SetUp();
        m_Flow.Cue() = SCueStroke{0.1f, 0.1f, 2.0f};
    }
};

TEST_F(CGameModeTest, ModeChangesKeepFlagsAndRememberTheWordBefore)
{
    struct SCase
    {
        const char* szName;
        DWORD dwStart;
        DWORD dwNew;
        DWORD dwExpected;
        DWORD dwExpectedPrev;
    };
    const SCase aCases[] = {
        {"same mode changes nothing", modeAim | gmShotRunning, modeAim, modeAim | gmShotRunning, 0x12345},
        {"from no mode the return is aim", gmStartupFlag, modeBallInHand, modeBallInHand | gmStartupFlag,
         modeAim | gmStartupFlag},
        {"from the pause the return is aim", modeWaiting | gmShotRunning, modeCameraFlight,
         modeCameraFlight | gmShotRunning, modeAim | gmShotRunning},
        {"flags survive", modeAim | gmShotRunning | gmRackDecided, modeEnglish,
         modeEnglish | gmShotRunning | gmRackDecided, modeAim | gmShotRunning | gmRackDecided},
        {"zoom bit is replaced with the field", modeAim | modeZoom, modeElevation, modeElevation, modeAim | modeZoom},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        g_nGameMode = c.dwStart;
        g_nPrevGameMode = 0x12345;
        m_Flow.SetGameMode(c.dwNew);
        EXPECT_EQ(g_nGameMode, c.dwExpected);
        EXPECT_EQ(g_nPrevGameMode, c.dwExpectedPrev);
    }
    g_nPrevGameMode = modeElevation | modeZoom;
    EXPECT_EQ(GetReturnMode(), static_cast<DWORD>(modeElevation));
}

TEST_F(CGameModeTest, AimOnAComputersTurnBecomesItsFlightWithTheCueSetForAiming)
{
    Start(GAME_8BALL);
    m_Flow.Current().SetLevel(3);
    g_nGameMode = modeBallInHand;
    m_Flow.SetGameMode(modeAim);
    EXPECT_EQ(GetModeField(), static_cast<DWORD>(modeCameraFlight));
    EXPECT_EQ(g_nPrevGameMode & MODE_FIELD, static_cast<DWORD>(modeAim));
    EXPECT_TRUE(HasGameFlag(gmRobotStroke));
    ASSERT_NE(m_Flow.GetFlight(), nullptr);
    EXPECT_EQ(m_Flow.GetFlightEndMode(), modeNone) << "the computer's stroke follows its flight";
    EXPECT_FLOAT_EQ(m_Flow.Cue().fPullBack, (2.0f / 2 - 0.1f) / 5);
}

TEST_F(CGameModeTest, CuePullBackAndPowerWidget)
{
    struct SCase
    {
        const char* szName;
        DWORD dwFrom;
        DWORD dwTo;
        int nOverhead;
        float fPullBack;
        float fExpectedPullBack;
        float fExpectedPower;
    };
    const SCase aCases[] = {
        {"aim rests a fifth into the swing", modeBallInHand, modeAim, 0, 0.5f, 0.18f, 0.18f},
        {"overhead aim rests at the minimum", modeBallInHand, modeAim, 1, 0.5f, 0.1f, 0.0f},
        {"leaving the mouse stroke brings the cue back", modeMouseStroke, modeEnglish, 0, 1.5f, 0.1f, 0.0f},
        {"zoom keeps the mouse stroke's pull", modeMouseStroke, modeZoom, 0, 1.5f, 1.5f, 1.5f},
        {"within 5 % of the range shows no power", modeEnglish, modeElevation, 0, 0.1f, 0.1f, 0.0f},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        m_Flow.Settings().nOverheadView = c.nOverhead;
        m_Flow.Cue().fPullBack = c.fPullBack;
        g_nGameMode = c.dwFrom;
        m_Flow.SetGameMode(c.dwTo);
        EXPECT_FLOAT_EQ(m_Flow.Cue().fPullBack, c.fExpectedPullBack);
        EXPECT_FLOAT_EQ(m_Flow.GetPowerValue(), c.fExpectedPower);
    }
}

TEST_F(CGameModeTest, ACueWithoutAStrokeRangeShowsNoPower)
{
    m_Flow.Cue() = SCueStroke{0.0f, 0.0f, 0.0f};
    g_nGameMode = modeBallInHand;
    m_Flow.SetGameMode(modeEnglish);
    EXPECT_EQ(m_Flow.GetPowerValue(), 0.0f);
}

TEST_F(CGameModeTest, CallingTheShotSaysSo)
{
    g_nGameMode = modeCameraFlight;
    m_Flow.SetGameMode(modeCallShot);
    ASSERT_EQ(m_Host.m_Texts.size(), 1u);
    EXPECT_EQ(m_Host.m_Texts[0], "Call The Shot@4000");
}
} // namespace
