// The main frame's 3-D environment on the headless display with the game's own art: a frame drawn
// after the environment is rebuilt (a too-small window re-centred at the frame's size) is the
// same to the pixel as the one before; the field of view a change sets up by the game mode.
#include "fixtures/StartScreenAnswer.h"
#include "tests/app/AppFolder.h"
#include "tests/app/GlobalState.h"
#include "tests/render/FakeAdapter.h"

#include "app/MainFrame.h"
#include "foundation/ErrorBox.h"
#include "foundation/GameModeWord.h"
#include "foundation/LibraryLists.h"
#include "foundation/Matrix.h"
#include "foundation/Settings.h"
#include "platform/dx/DirectDraw.h"
#include "platform/win32/Clock.h"
#include "platform/win32/CrtRandom.h"
#include "platform/win32/LocalTime.h"
#include "platform/win32/WindowTable.h"
#include "platform/window/Window.h"
#include "render/ClockObject.h"
#include "render/D3DEnum.h"
#include "render/D3DFramework.h"
#include "render/Environment3D.h"
#include "render/SceneObject.h"
#include "render/TextureManager.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <numeric>

namespace
{
void Pump()
{
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessage(&msg);
}

/// A started frame on the headless display, the game's art in its libraries, on the test clock.
class FrameEnvironmentTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char* szLib : {"Imagery1.dll", "Imagery.dll"})
            g_astrArtworkLibraries.Add((std::string(VORN_GAME_DIR) + "/" + szLib).c_str());
        g_astrBallSetLibraries.Add((std::string(VORN_GAME_DIR) + "/VornBall.dat").c_str());
        ASSERT_TRUE(StartDisplay());
        ASSERT_NE(nullptr, InstallSystemDisplayAdapter());
        m_pFrame = new CMainFrame;
        ASSERT_TRUE(m_pFrame->LoadFrame(128));
        m_hWnd = m_pFrame->m_hWnd;
        {
            const CStartScreenAnswer answer(VORN_APP_FIXTURE_DIR "VornRes.dll");
            Pump();
        }
        ASSERT_TRUE(m_pFrame->IsGameStarted());
        // The game rests: past the intro, with no flight or stroke moving between the frames compared.
        g_IntroSequence.Finish();
        g_nGameMode = 0;
    }
    void TearDown() override
    {
        if (IsWindow(m_hWnd))
            m_pFrame->DestroyWindow();
        Pump();
        DeleteAllTextures();
        g_astrBallSetLibraries.RemoveAll();
        FreeDriverList();
        g_hDDrawModule = nullptr;
        g_pfnDirectDrawCreate = nullptr;
        g_nGameMode = 0;
        StopDisplay();
    }

    /// One tick's frame as the window shows it; the lamps flicker the same way each time.
    std::vector<DWORD> Frame(int& nWidth, int& nHeight)
    {
        CrtSrand(11);
        EXPECT_TRUE(m_pFrame->OnFrame());
        std::vector<DWORD> aPixels;
        EXPECT_TRUE(ReadWindowPixels(m_hWnd, aPixels, &nWidth, &nHeight));
        return aPixels;
    }

    const CAppFolder m_app;
    CTestClockScope m_clock{5000};
    CMainFrame* m_pFrame = nullptr;
    HWND m_hWnd = nullptr;
};

TEST_F(FrameEnvironmentTest, FrameAfterAnEnvironmentChangeIsTheSameToThePixel)
{
    int nWidth = 0, nHeight = 0;
    const std::vector<DWORD> aBefore = Frame(nWidth, nHeight);
    ASSERT_EQ(FRAME_WIDTH, nWidth);
    ASSERT_EQ(FRAME_HEIGHT, nHeight);
    // The scene is there: the frame is not one colour.
    EXPECT_NE(std::count(aBefore.begin(), aBefore.end(), aBefore.front()), static_cast<long>(aBefore.size()));

    struct SCase
    {
        const char* szName;
        int nWidth, nHeight; // the window's size before the change; 0 leaves it
    };
    const SCase aCases[] = {{"the same window", 0, 0}, {"a too-small window comes back at the frame's size", 640, 480}};
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        if (c.nWidth > 0)
            SetWindowPos(m_hWnd, nullptr, 0, 0, c.nWidth, c.nHeight, SWP_NOMOVE);
        ASSERT_EQ(S_OK, m_pFrame->Change3DEnvironment(m_hWnd));
        RECT rc;
        GetWindowRect(m_hWnd, &rc);
        EXPECT_EQ(FRAME_WIDTH, rc.right - rc.left);
        EXPECT_EQ(FRAME_HEIGHT, rc.bottom - rc.top);
        EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - FRAME_WIDTH) / 2, rc.left);
        int nAfterWidth = 0, nAfterHeight = 0;
        const std::vector<DWORD> aAfter = Frame(nAfterWidth, nAfterHeight);
        ASSERT_EQ(nWidth, nAfterWidth);
        ASSERT_EQ(nHeight, nAfterHeight);
        const auto nDiffering = std::inner_product(aBefore.begin(), aBefore.end(), aAfter.begin(), 0L, std::plus<>(),
                                                   std::not_equal_to<>());
        EXPECT_EQ(0, nDiffering);
    }
    const std::filesystem::path dir = VORN_TEST_OUTPUT_DIR;
    std::filesystem::create_directories(dir);
    EXPECT_TRUE(SaveWindowPng(m_hWnd, (dir / "FrameAfterChange.png").string()));
}

TEST_F(FrameEnvironmentTest, ChangeSetsTheWideViewInTheCallShotModeAndItsFlag)
{
    struct SCase
    {
        const char* szName;
        DWORD dwMode;
        float fFov;
    };
    const SCase aCases[] = {
        {"aiming: the stored field of view", 0x20, g_fFieldOfView},
        {"calling the shot", 0x4000, NARROW_FIELD_OF_VIEW},
        {"the wide-view flag", 0x20 | 0x100000, NARROW_FIELD_OF_VIEW},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        g_nGameMode = c.dwMode;
        ASSERT_EQ(S_OK, m_pFrame->Change3DEnvironment(m_hWnd));
        const D3DMATRIX actual = g_matProjection;
        const CD3DFramework& framework = *m_pFrame->GetFramework();
        ASSERT_EQ(S_OK, BuildProjection(c.fFov, framework.GetRenderWidth(), framework.GetRenderHeight(), nullptr));
        EXPECT_EQ(0, std::memcmp(&actual, &g_matProjection, sizeof actual));
    }
}

/// The hands' poses: the hour hand's matrix, then the minute hand's.
std::array<D3DMATRIX, 2> HandPoses(const CClockObject& clock)
{
    return {clock.GetHourHand()->GetFrame()->Matrix(), clock.GetMinuteHand()->GetFrame()->Matrix()};
}

bool SamePoses(const std::array<D3DMATRIX, 2>& a, const std::array<D3DMATRIX, 2>& b)
{
    return std::memcmp(a.data(), b.data(), sizeof a) == 0;
}

TEST_F(FrameEnvironmentTest, TheRoomsClockFollowsTheTimeFrameByFrame)
{
    CClockObject* pClock = m_pFrame->GetSceneAnimation().GetClock();
    ASSERT_NE(nullptr, pClock) << "the scene's clock object carries the hands";
    int nWidth = 0, nHeight = 0;
    // A frame that falls across a change of the minute is taken again.
    for (int nTry = 0; nTry < 3; ++nTry)
    {
        SYSTEMTIME before, after;
        GetLocalTime(&before);
        // Half a day and half an hour off: the frame's tick sees another minute.
        pClock->SetTime((before.wHour + 6) % 24, (before.wMinute + 30) % 60);
        const std::array<D3DMATRIX, 2> aWrong = HandPoses(*pClock);
        Frame(nWidth, nHeight);
        const std::array<D3DMATRIX, 2> aShown = HandPoses(*pClock);
        GetLocalTime(&after);
        if (after.wMinute != before.wMinute)
            continue;
        pClock->SetTime(after.wHour, after.wMinute);
        EXPECT_TRUE(SamePoses(aShown, HandPoses(*pClock))) << "the hands show the time";
        EXPECT_FALSE(SamePoses(aShown, aWrong));
        // The next frame in the same minute leaves them.
        pClock->SetTime((after.wHour + 3) % 24, after.wMinute);
        const std::array<D3DMATRIX, 2> aKept = HandPoses(*pClock);
        m_clock.Advance(1000);
        Frame(nWidth, nHeight);
        EXPECT_TRUE(SamePoses(aKept, HandPoses(*pClock)));
        return;
    }
    FAIL() << "every frame fell across a change of the minute";
}

TEST_F(FrameEnvironmentTest, TheFloatingObjectBobsByTheFramesTime)
{
    int nWidth = 0, nHeight = 0;
    Frame(nWidth, nHeight); // from here the frames' times are the test clock's steps
    const CSceneObject* pTable = m_pFrame->GetTableObject();
    ASSERT_NE(nullptr, pTable);
    CSceneObject arrow;
    arrow.CreateFrame();
    arrow.SetEnabled(true);
    arrow.SetPositionRelative(pTable, 20.0f, 0.0f, -44.0f);
    CSceneAnimation& animation = m_pFrame->GetSceneAnimation();
    animation.SetFloatingObject(&arrow, pTable, 27.0f);
    struct SStep
    {
        DWORD dwMs;
        float fPlacedAt;    // height above the base where this frame puts it
        float fOffsetAfter; // where the next frame will
    };
    // 4 units a second, turning at 4 and at 0.
    const SStep aSteps[] = {{500, 0.0f, 2.0f}, {250, 2.0f, 3.0f},  {500, 3.0f, 4.0f},
                            {500, 4.0f, 2.0f}, {1000, 2.0f, 0.0f}, {0, 0.0f, 0.0f}};
    for (const SStep& s : aSteps)
    {
        SCOPED_TRACE(s.fPlacedAt);
        m_clock.Advance(s.dwMs);
        Frame(nWidth, nHeight);
        CVector3 v;
        arrow.GetPosition(pTable, v);
        EXPECT_FLOAT_EQ(27.0f + s.fPlacedAt, v.y);
        EXPECT_FLOAT_EQ(20.0f, v.x);
        EXPECT_FLOAT_EQ(-44.0f, v.z);
        EXPECT_FLOAT_EQ(s.fOffsetAfter, animation.GetFloatingOffset());
    }
    animation.SetFloatingObject(nullptr, nullptr, 0.0f);
}
} // namespace

namespace
{
TEST(FrameEnvironmentFallbackTest, AFailingHardwareDeviceGivesWayToTheSoftwareOne)
{
    struct SCase
    {
        const char* szName;
        bool bHardwareDepth, bSoftwareDepth; // the device has a depth-buffer format
        bool bCreated;
        std::vector<std::string> astrErrors;
    };
    const SCase aCases[] = {
        {"the hardware device draws", true, true, true, {}},
        {"the hardware device fails: the software one draws",
         false,
         true,
         true,
         {"No ZBuffer\n\nSwitching to software rasterizer."}},
        {"both fail: the window is not made",
         false,
         false,
         false,
         {"No ZBuffer\n\nSwitching to software rasterizer.", "Error 21514."}},
    };
    const CAppFolder app;
    app.AddArtworkLibrary();
    ASSERT_TRUE(StartDisplay());
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        SAdapterDevice hardware = MakeFakeDevice(EFakeDevice::Hardware);
        SAdapterDevice software = MakeFakeDevice(EFakeDevice::RgbSoftware);
        if (!c.bHardwareDepth)
            hardware.aZBufferFormats.clear();
        if (!c.bSoftwareDepth)
            software.aZBufferFormats.clear();
        CDisplayAdapter adapter;
        adapter.aDrivers = {MakeFakeDriver(false, true, {hardware, software}, {{800, 600, 32}})};
        adapter.pfnWindowOutput = &GetWindowOutput;
        const CDisplayAdapterScope scope(&adapter);
        std::vector<std::string> astrErrors;
        SetErrorBoxHandler([&](const char* szText) { astrErrors.emplace_back(szText); });
        auto* pFrame = new CMainFrame;
        const BOOL bCreated = pFrame->LoadFrame(128);
        EXPECT_EQ(c.bCreated, bCreated != FALSE);
        EXPECT_EQ(c.astrErrors, astrErrors);
        if (bCreated)
        {
            DeviceInfo* pDevice = nullptr;
            ASSERT_EQ(S_OK, GetSelectedDriver(nullptr, &pDevice));
            EXPECT_EQ(c.bHardwareDepth, pDevice->bIsHardware != FALSE);
            EXPECT_NE(nullptr, pFrame->GetFramework()->GetD3DDevice());
            pFrame->DestroyWindow();
        }
        Pump();
        SetErrorBoxHandler({});
        FreeDriverList();
        g_hDDrawModule = nullptr;
        g_pfnDirectDrawCreate = nullptr;
    }
    StopDisplay();
}

TEST(FrameEnvironmentStartTest, TheGameStartsOnTheDeviceTheSettingsNameOrQuitsWithEightWhenItCannotBeMade)
{
    struct SCase
    {
        const char* szName;
        const char* szDevice; // "Device" in the settings
        bool bChangeWorks;
        bool bHardware; // the device the started game draws with
        int nQuitCode;  // -1: none, the game started
    };
    const SCase aCases[] = {
        {"the software device named", "RGB Software Renderer", true, false, -1},
        {"no device named: the first that draws in a window", "", true, true, -1},
        {"the environment cannot be made for the game: quit code 8", "", false, false, 8},
    };
    const CAppFolder app;
    app.AddArtworkLibrary();
    ASSERT_TRUE(StartDisplay());
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        const CLiveSettingsRestore restore;
        g_Settings.m_nFullScreen = 0;
        g_Settings.m_strDriver = "Primary Videocard";
        g_Settings.m_strDevice = c.szDevice;
        CDisplayAdapter adapter;
        adapter.aDrivers = {MakeFakeDriver(
            false, true, {MakeFakeDevice(EFakeDevice::Hardware), MakeFakeDevice(EFakeDevice::RgbSoftware)},
            {{800, 600, 32}})};
        adapter.pfnWindowOutput = &GetWindowOutput;
        const CDisplayAdapterScope scope(&adapter);
        if (!c.bChangeWorks)
            CMainFrame::SetEnvironmentChangeForTests([] { return FALSE; });
        auto* pFrame = new CMainFrame;
        ASSERT_TRUE(pFrame->LoadFrame(128));
        const HWND hWnd = pFrame->m_hWnd;
        int nQuit = -1;
        {
            const CStartScreenAnswer answer(VORN_APP_FIXTURE_DIR "VornRes.dll");
            MSG msg;
            while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
                if (msg.message == WM_QUIT)
                    nQuit = static_cast<int>(msg.wParam);
                else
                    DispatchMessage(&msg);
        }
        CMainFrame::SetEnvironmentChangeForTests(nullptr);
        EXPECT_EQ(c.nQuitCode, nQuit);
        EXPECT_EQ(c.nQuitCode == -1, IsWindow(hWnd) != FALSE) << "a game that cannot be shown closes its window";
        if (IsWindow(hWnd))
        {
            EXPECT_TRUE(pFrame->IsGameStarted());
            DeviceInfo* pDevice = nullptr;
            ASSERT_EQ(S_OK, GetSelectedDriver(nullptr, &pDevice));
            EXPECT_EQ(c.bHardware, pDevice->bIsHardware != FALSE);
            EXPECT_NE(nullptr, pFrame->GetFramework()->GetD3DDevice());
            pFrame->DestroyWindow();
        }
        Pump();
        FreeDriverList();
        g_hDDrawModule = nullptr;
        g_pfnDirectDrawCreate = nullptr;
    }
    StopDisplay();
}
} // namespace
