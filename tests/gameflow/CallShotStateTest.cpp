#include "gameflow/CallShotState.h"

#include "gameflow/GameMode.h"
#include "simulation/CallRecord.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace
{
// A frame that answers from its fields and writes down what it is asked to do.
class CFakeHost : public ICallShotHost
{
public:
    CViewRecord GetCurrentView() const override { return {}; }
    void ApplyViewRecord(const CViewRecord& view) override { Log("view " + std::to_string(view.m_vCamera.x)); }
    void UpdateAimCamera(int n) override { Log("aim camera " + std::to_string(n)); }
    DWORD GetViewFlags() const override { return m_nViewFlags; }
    void SetViewFlags(DWORD n) override { m_nViewFlags = n; }
    void SetFieldOfView(float f) override { Log("fov " + std::to_string(f)); }
    void SetGameMode(DWORD n) override { m_nMode = n; }
    void BeginBallInHand(int) override { m_nMode = modeBallInHand; }
    void SelectCueBall(int n) override { Log("select cue ball " + std::to_string(n)); }
    void ClipCursorToView() override { Log("clip"); }
    bool StartAimFlight(float fYaw, DWORD nEndMode) override
    {
        m_fFlightYaw = fYaw;
        m_nFlightEndMode = nEndMode;
        return m_bFlightPossible;
    }
    int GetPressedKey() override { return std::exchange(m_nKey, 0); }
    bool WasLeftReleased() override { return std::exchange(m_bClick, false); }
    void DiscardInput() override { ++m_nDiscards; }
    POINT GetCursorPoint() const override { return m_cursor; }
    int PickBall() override { return m_nBallUnderCursor; }
    int GetCueBallNumber() const override { return 0; }
    bool ProjectPocket(int i, POINT& pt) const override
    {
        pt = POINT{100 * i, 50}; // pocket i at (100 i, 50)
        return true;
    }
    CVector3 GetCueBallPosition() const override { return CVector3(0, 0, 0); }
    CVector3 GetCushionPoint(int nPocket) const override
    {
        return nPocket == 1 ? CVector3(1, 0, 0) : CVector3(0, 1, 0);
    }
    void TintBall(int nBall, bool bCalled) override
    {
        Log("tint " + std::to_string(nBall) + (bCalled ? " called" : " normal"));
    }
    void ResetBallOrientation(int nBall) override { Log("orient " + std::to_string(nBall)); }
    void PostPanelCommand(WPARAM w) override { Log("post " + std::to_string(w)); }
    void SetCursorResource(int nId) override { m_nCursor = nId; }
    void ToggleDrawLevel() override { Log("draw level"); }
    void PanelKeyAction(int nKey) override { Log("panel key " + std::to_string(nKey)); }
    void UpdatePocketArrow() override { Log("arrow"); }
    void SetPanelRepaint() override {}
    bool IsCurrentPlayerOne() const override { return m_bPlayerOne; }
    bool IsPlayer2Computer() const override { return m_bPlayer2Computer; }
    DWORD GetTickCount() const override { return m_nTick; }

    void Log(const std::string& s) { m_aLog.push_back(s); }
    int Count(const std::string& s) const { return static_cast<int>(std::count(m_aLog.begin(), m_aLog.end(), s)); }

    DWORD m_nViewFlags = 0x81;
    DWORD m_nMode = modeAim;
    float m_fFlightYaw = 0;
    DWORD m_nFlightEndMode = 0;
    bool m_bFlightPossible = true;
    int m_nKey = 0;
    bool m_bClick = false;
    int m_nDiscards = 0;
    POINT m_cursor{500, 500};
    int m_nBallUnderCursor = -1;
    int m_nCursor = 0;
    bool m_bPlayerOne = true;
    bool m_bPlayer2Computer = false;
    DWORD m_nTick = 1000;
    std::vector<std::string> m_aLog;
};

class CallShotStateTest : public ::testing::Test
{
protected:
    ~CallShotStateTest() override { ResetCallRecords(); }

    void Tick(CCallShotState& state)
    {
        state.HandleInput();
        if (state.IsDone() == TRUE)
            state.Leave(); // as the per-tick dispatcher does
    }
    void ClickBall(CCallShotState& state, int nBall)
    {
        m_host.m_nBallUnderCursor = nBall;
        m_host.m_bClick = true;
        Tick(state);
    }
    void ClickPocket(CCallShotState& state, int nPocket)
    {
        m_host.m_nBallUnderCursor = -1;
        m_host.m_cursor = POINT{100 * nPocket + 10, 60};
        m_host.m_bClick = true;
        Tick(state);
    }

    CFakeHost m_host;
    CViewRecord m_view;
};
} // namespace

TEST_F(CallShotStateTest, ClicksCallAndUncallBallsAndPocketsButNeverTheCueBall)
{
    CCallShotState state(m_host);
    state.Begin(m_view, modeAim);
    EXPECT_EQ(modeCallShot, m_host.m_nMode);
    EXPECT_EQ(0x01u, m_host.m_nViewFlags) << "bit 0x80 off while calling";

    ClickBall(state, 0);
    EXPECT_EQ(-1, GetCalledBall()) << "the cue ball is never called";
    EXPECT_EQ(32649, m_host.m_nCursor);
    ClickBall(state, 5);
    EXPECT_EQ(5, GetCalledBall());
    EXPECT_EQ(1, m_host.Count("tint 5 called"));
    EXPECT_EQ(1, m_host.Count("orient 5"));
    m_host.m_nBallUnderCursor = 5;
    Tick(state);
    EXPECT_EQ(263, m_host.m_nCursor) << "the called ball shows the called cursor";
    ClickBall(state, 5);
    EXPECT_EQ(-1, GetCalledBall()) << "clicked again: uncalled";
    EXPECT_EQ(1, m_host.Count("tint 5 normal"));

    ClickPocket(state, 2);
    EXPECT_EQ(2, GetCalledPocket());
    ClickPocket(state, 2);
    EXPECT_EQ(-1, GetCalledPocket());
    ClickPocket(state, 4);
    EXPECT_EQ(FALSE, state.AreBothCalled());
    ClickBall(state, 9);
    EXPECT_EQ(TRUE, state.AreBothCalled());
    EXPECT_EQ(FALSE, state.IsDone());
    // Two people play: done at the next tick, and the flight along the called line starts.
    Tick(state);
    EXPECT_EQ(TRUE, state.IsDone());
    EXPECT_EQ(modeCameraFlight, m_host.m_nMode);
    EXPECT_EQ(modeAim, m_host.m_nFlightEndMode);
    EXPECT_FLOAT_EQ(180.0f, m_host.m_fFlightYaw) << "pocket 4's cushion point straight along +y";
    EXPECT_EQ(9, g_SavedCallRecord.nBall);
    EXPECT_EQ(4, g_SavedCallRecord.nPocket);
    EXPECT_EQ(0, GetCallFlag());
    EXPECT_EQ(0x81u, m_host.m_nViewFlags) << "view flags back";
    state.Leave();
    EXPECT_EQ(1, m_host.m_nDiscards) << "Leave runs once";
}

TEST_F(CallShotStateTest, PocketsAreFoundWithinThirtyPixels)
{
    CCallShotState state(m_host);
    const struct
    {
        POINT cursor;
        int nPocket;
    } cases[] = {{{0, 50}, 0}, {{29, 50}, 0}, {{30, 50}, -1}, {{100, 79}, 1}, {{500, 50}, 5}, {{560, 80}, -1}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.cursor.x) + ", " + std::to_string(c.cursor.y));
        m_host.m_cursor = c.cursor;
        EXPECT_EQ(c.nPocket, state.PocketUnderCursor());
    }
}

TEST_F(CallShotStateTest, AComputerPlayerTwoKeepsTheCallOnScreenForThreeSeconds)
{
    m_host.m_bPlayerOne = false;
    m_host.m_bPlayer2Computer = true;
    m_host.m_nTick = 0xfffff000; // the tick count wraps during the wait
    CCallShotState state(m_host);
    state.Begin(m_view, modeAim);
    ClickBall(state, 3);
    ClickPocket(state, 1);
    EXPECT_EQ(TRUE, state.AreBothCalled());
    for (const DWORD nAfter : {0u, 1000u, 3000u})
    {
        m_host.m_nTick = 0xfffff000 + nAfter;
        Tick(state);
        EXPECT_EQ(FALSE, state.IsDone()) << nAfter;
    }
    m_host.m_nTick = 0xfffff000 + 3001;
    Tick(state);
    EXPECT_EQ(TRUE, state.IsDone());
    EXPECT_EQ(modeCameraFlight, m_host.m_nMode);
    EXPECT_FLOAT_EQ(270.0f, m_host.m_fFlightYaw) << "pocket 1's cushion point along +x";
}

// The keys that leave end the call (reset) and enter their own mode; without a flight the
// camera goes back to the view of Begin.
TEST_F(CallShotStateTest, KeysLeaveIntoTheirModes)
{
    const struct
    {
        int nKey;
        DWORD nBeginMode;
        DWORD nFinalMode;
    } cases[] = {
        {1, modeAim, modeAim},         {1, modeBallInHand, modeBallInHand}, {18, modeAim, modeEnglish},
        {30, modeBallInHand, modeAim}, {48, modeAim, modeElevation},        {50, modeAim, modeAim},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE("key " + std::to_string(c.nKey));
        m_host = CFakeHost();
        CCallShotState state(m_host);
        m_view.m_vCamera.x = 12.0f;
        state.Begin(m_view, c.nBeginMode);
        ClickBall(state, 6);
        m_host.m_nKey = c.nKey;
        Tick(state);
        EXPECT_EQ(TRUE, state.IsDone());
        EXPECT_EQ(c.nFinalMode, m_host.m_nMode);
        EXPECT_EQ(-1, GetCalledBall());
        EXPECT_EQ(1, GetCallFlag());
        EXPECT_EQ(2, m_host.Count("view 12.000000")) << "the camera back at the view of Begin";
        EXPECT_EQ(1, m_host.m_nDiscards);
        EXPECT_EQ(c.nKey == 50 ? 1 : 0, m_host.Count("panel key 50"));
    }
    m_host = CFakeHost();
    CCallShotState state(m_host);
    state.Begin(m_view, modeAim);
    m_host.m_nKey = 34;
    Tick(state);
    EXPECT_EQ(1, m_host.Count("draw level"));
    EXPECT_EQ(FALSE, state.IsDone());
}

TEST_F(CallShotStateTest, APresetCallComesBackWhenTheStateFinishes)
{
    {
        CCallShotStatePreset state(m_host, 7, 3);
        state.Begin(m_view, modeAim);
        m_host.m_nKey = 1;
        Tick(state);
        EXPECT_EQ(7, GetCalledBall());
        EXPECT_EQ(3, GetCalledPocket());
        EXPECT_EQ(0, GetCallFlag());
    }
    EXPECT_EQ(-1, GetCalledBall()) << "the destructor resets both records";
    EXPECT_EQ(-1, g_SavedCallRecord.nBall);
    EXPECT_EQ(1, GetCallFlag());
}

TEST_F(CallShotStateTest, WithoutAFlightTheReturnModeIsEnteredAtOnce)
{
    m_host.m_bFlightPossible = false;
    CCallShotState state(m_host);
    state.Begin(m_view, modeBallInHand);
    ClickBall(state, 2);
    ClickPocket(state, 0);
    Tick(state);
    EXPECT_EQ(modeBallInHand, m_host.m_nMode);
}
