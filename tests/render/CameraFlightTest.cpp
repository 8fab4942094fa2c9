// Camera flights stepped on the test clock through the frame stopwatch.
#include "render/CameraFlight.h"

#include "foundation/GameModeWord.h"
#include "foundation/Settings.h"
#include "foundation/Stopwatch.h"
#include "platform/win32/Clock.h"

#include <cmath>
#include <gtest/gtest.h>

namespace
{
constexpr float TWO_PI = 6.2831855f;
constexpr float DEG = 0.017453292519444445f;

CViewRecord View(float fYaw, float fPitch, float fDistance, float fCueYaw = 0.0f)
{
    CViewRecord r;
    r.Set(fYaw, fPitch, fDistance, 0, 26, 0, 0, 0, fCueYaw, 0, 0);
    return r;
}

/// The test clock, a 2-second flight, settings that are never written.
class CameraFlightTest : public testing::Test
{
protected:
    void SetUp() override
    {
        g_dFlightDuration = 2.0;
        g_Settings.m_nOverHeadView = 0;
        m_dwSavedMode = g_nGameMode;
        g_nGameMode |= gmSettingsPreview;
        g_FrameStopwatch.Tick();
    }
    void TearDown() override
    {
        g_nGameMode = m_dwSavedMode;
        g_dFlightDuration = 1.4;
        g_fViewWidthFactor = 0.4f;
    }
    /// One frame of ms milliseconds.
    int Frame(CViewTransition& flight, DWORD ms, ICameraFlightHost* pHost = nullptr)
    {
        AdvanceTestClock(ms);
        g_FrameStopwatch.Tick();
        return flight.Update(pHost);
    }
    CTestClockScope m_clock{1000};
    DWORD m_dwSavedMode = 0;
};

struct SHost : ICameraFlightHost
{
    BOOL AnyBallMoving() override { return bMoving; }
    float GetCameraDistance() override { return fDistance; }
    void SetCameraDistance(float f) override { fDistance = f; }
    BOOL FollowViewPoint(CVector3& v) override
    {
        v.y = 99.0f;
        return FALSE;
    }
    float GetViewWidthFactor() override { return 0.8f; }
    BOOL bMoving = TRUE;
    float fDistance = 20.0f;
};
} // namespace

TEST_F(CameraFlightTest, EasedChannelAtHalfAndFullDuration)
{
    CCameraFlight flight;
    EXPECT_TRUE(flight.IsDone()) << "constructed done";
    flight.Start(View(0, 10, 10), View(0, 10, 20), 0x20, 0);
    EXPECT_FALSE(flight.IsDone());
    for (int k = 0; k < 10; ++k)
        EXPECT_EQ(Frame(flight, 100), 0);
    EXPECT_NEAR(flight.GetCurrentCamera().z, 15.0f, 1e-3) << "the midpoint at D/2";
    EXPECT_FLOAT_EQ(flight.GetCurrentCamera().y, 10.0f * DEG) << "an unchanged channel lands at once";
    for (int k = 0; k < 5; ++k)
        Frame(flight, 100);
    EXPECT_NEAR(flight.GetCurrentCamera().z, 20.0f - 5.0f * 0.25f, 1e-3) << "slowing down: target - a (D - t)^2";
    for (int k = 0; k < 5; ++k)
        Frame(flight, 100);
    EXPECT_FLOAT_EQ(flight.GetCurrentCamera().z, 20.0f) << "landed at D";
    // The update that lands a channel is not yet the finished one; the next one reports done.
    EXPECT_EQ(Frame(flight, 100), 1);
}

TEST_F(CameraFlightTest, YawTurnsTheShortWayRound)
{
    struct SCase
    {
        float fFrom, fTo, fMidDeg;
    } cases[] = {{350, 10, 360}, {10, 350, 0}, {90, 180, 135}};
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.fFrom);
        CCameraFlight flight;
        flight.Start(View(c.fFrom, 0, 10, c.fFrom), View(c.fTo, 0, 10, c.fTo), 0, 0);
        for (int k = 0; k < 10; ++k)
            Frame(flight, 100);
        const float fMid = flight.GetCurrentCamera().x / DEG;
        EXPECT_NEAR(std::fmod(fMid + 720.0f, 360.0f), std::fmod(c.fMidDeg, 360.0f), 0.01f);
        EXPECT_NEAR(flight.GetCurrentCue().x, flight.GetCurrentCamera().x, 1e-5) << "the cue's angle turns alike";
        while (!Frame(flight, 100))
        {
        }
        EXPECT_NEAR(std::fmod(flight.GetCurrentCamera().x + TWO_PI, TWO_PI), c.fTo * DEG, 1e-4);
    }
}

TEST_F(CameraFlightTest, DelaysAndZeroDuration)
{
    CCameraFlight skip;
    skip.Start(View(0, 0, 10), View(0, 0, 20), 0, -1);
    EXPECT_EQ(Frame(skip, 500), 0);
    EXPECT_FLOAT_EQ(skip.GetCurrentCamera().z, 10.0f) << "the first update moves nothing";
    Frame(skip, 100);
    EXPECT_GT(skip.GetCurrentCamera().z, 10.0f);

    CCameraFlight delayed;
    delayed.Start(View(0, 0, 10), View(0, 0, 20), 0, 300);
    Frame(delayed, 200);
    EXPECT_FLOAT_EQ(delayed.GetCurrentCamera().z, 10.0f) << "waiting";
    Frame(delayed, 200);
    EXPECT_GT(delayed.GetCurrentCamera().z, 10.0f);

    for (double dDuration : {0.0, -1.0})
    {
        SCOPED_TRACE(dDuration);
        g_dFlightDuration = dDuration;
        CCameraFlight instant;
        instant.Start(View(0, 0, 10), View(90, 30, 20), 0, 0);
        EXPECT_EQ(Frame(instant, 16), 0);
        EXPECT_FLOAT_EQ(instant.GetCurrentCamera().z, 20.0f) << "every channel lands in the first moving update";
        EXPECT_EQ(Frame(instant, 16), 1);
    }
    // The base transition has no easing: it lands in its first moving update.
    g_dFlightDuration = 2.0;
    CViewTransition plain;
    plain.Start(View(0, 0, 10), View(0, 0, 20), 0, 0);
    Frame(plain, 16);
    EXPECT_FLOAT_EQ(plain.GetCurrentCamera().z, 20.0f);
}

TEST_F(CameraFlightTest, OverheadMovesOnlyTheCueAndFinishWritesTheSetting)
{
    g_Settings.m_nOverHeadView = 1;
    CCameraFlight overhead;
    overhead.Start(View(0, 0, 10, 0), View(90, 30, 20, 45), 0x1000, 0);
    while (!Frame(overhead, 100))
    {
    }
    EXPECT_FLOAT_EQ(overhead.GetCurrentCamera().z, 10.0f);
    EXPECT_NEAR(overhead.GetCurrentCue().x, 45 * DEG, 1e-5);

    g_Settings.m_nOverHeadView = 0;
    g_nGameMode |= 0x100000;
    CCameraFlight flight;
    flight.Start(View(0, 0, 10), View(90, 30, 20), 0x1020, 0);
    Frame(flight, 100);
    g_Settings.m_nOverHeadView = 1; // set meanwhile: Finish writes it off
    flight.Finish(nullptr);
    EXPECT_EQ(g_Settings.m_nOverHeadView, 0);
    EXPECT_EQ(g_nGameMode & 0x100000, 0u);
    EXPECT_FLOAT_EQ(flight.GetCurrentCamera().z, 20.0f) << "snapped onto the target";
    EXPECT_EQ(flight.GetNextMode(), 0x1020);
    const CViewRecord target = flight.GetViewRecord();
    EXPECT_NEAR(target.m_vCamera.x, 90.0f, 1e-3) << "degrees, like every view record";
    EXPECT_NEAR(target.m_vCamera.y, 30.0f, 1e-3);
}

TEST_F(CameraFlightTest, VariantsRows)
{
    SHost host;
    CCameraFlightA a;
    a.Start(View(0, 0, 10), View(0, 0, 20), 0, 0);
    EXPECT_EQ(Frame(a, 100, &host), 0) << "held while the aiming path runs";
    EXPECT_EQ(Frame(a, 100), 1) << "no frame: done at once";

    CCameraFlightB b;
    b.Start(View(0, 0, 10), View(0, 0, 20), 0, 0);
    EXPECT_EQ(Frame(b, 100, &host), 0);
    EXPECT_FLOAT_EQ(b.GetCurrentViewPoint().y, 99.0f);

    CCameraFlightC c;
    c.Start(View(0, 0, 10, 0), View(0, 0, 10, 0), 0, 0);
    CViewRecord to = View(0, 0, 10, 0);
    to.m_vCue.y = 40.0f;
    c.Start(View(0, 0, 10), to, 0, 0);
    Frame(c, 100, &host);
    EXPECT_FLOAT_EQ(c.GetCurrentCue().y, 0.0f) << "the cue's second angle stays";

    CCameraFlightD d;
    d.Start(View(0, 0, 10), View(0, 0, 10), 0, 0);
    d.m_bStepDistance = TRUE;
    while (d.m_nPhase == 0)
        EXPECT_EQ(Frame(d, 100, &host), 0) << "phase 1 follows";
    host.fDistance = 7.5f;
    EXPECT_EQ(Frame(d, 100, &host), 0) << "a step of one is not the end";
    EXPECT_FLOAT_EQ(host.fDistance, 6.5f);
    EXPECT_EQ(Frame(d, 100, &host), 0);
    EXPECT_FLOAT_EQ(host.fDistance, 5.5f);
    EXPECT_EQ(Frame(d, 100, &host), 1) << "within one unit: set and done";
    EXPECT_FLOAT_EQ(host.fDistance, 5.0f);

    CCameraFlightE e;
    e.Start(View(30, 0, 10), View(30, 0, 10), 0, 0);
    EXPECT_EQ(Frame(e, 100), 0);
    EXPECT_EQ(Frame(e, 2500), 0);
    EXPECT_GT(e.GetCurrentCamera().x, 30 * DEG);
    EXPECT_EQ(Frame(e, 2600), 1) << "one turn in 5 s";

    CCameraFlightF f;
    f.Start(View(0, 0, 10), View(0, 0, 10), 0, 0);
    EXPECT_EQ(Frame(f, 100, &host), 0);
    EXPECT_EQ(Frame(f, 100, &host), 0) << "balls still moving";
    host.bMoving = FALSE;
    EXPECT_EQ(Frame(f, 100, &host), 1);

    g_Settings.m_nOverHeadView = 1;
    CCameraFlightG g;
    g.Start(View(0, 0, 10), View(0, 0, 20), 0, 0);
    Frame(g, 1000, &host);
    EXPECT_NEAR(g_fViewWidthFactor, 0.6f, 1e-4) << "half way at D/2";
    EXPECT_NEAR(g.GetCurrentCamera().z, 15.0f, 1e-3) << "the whole record is flown";
    Frame(g, 5000, &host);
    EXPECT_NEAR(g_fViewWidthFactor, 0.8f, 1e-4) << "the fraction stops at 1";
    g.Finish(&host);
    EXPECT_FLOAT_EQ(g_fViewWidthFactor, 0.4f);
    EXPECT_NE(g_nGameMode & 0x100000, 0u);
    EXPECT_TRUE(g.IsOverhead());
    EXPECT_FLOAT_EQ(GetLevelA(), 26.1f);
    EXPECT_FLOAT_EQ(GetLevelB(), 0.25f);
}
