#include "app/FrameHud.h"

#include "fixtures/HudPictures.h"
#include "fixtures/StartScreenAnswer.h"
#include "fixtures/WaitFor.h"
#include "tests/app/AppFolder.h"
#include "tests/app/GlobalState.h"
#include "tests/platform/EnvScope.h"

#include "app/MainFrame.h"
#include "foundation/ErrorBox.h"
#include "foundation/GameModeWord.h"
#include "foundation/LibraryLists.h"
#include "foundation/RunningStat.h"
#include "foundation/Settings.h"
#include "gameflow/GameFlow.h"
#include "platform/dx/DirectDraw.h"
#include "platform/dx/SurfacePng.h"
#include "platform/mfc/AfxResource.h"
#include "platform/mfc/StringResources.h"
#include "platform/win32/Clock.h"
#include "platform/win32/Modules.h"
#include "platform/win32/ResourceLibrary.h"
#include "platform/window/Window.h"
#include "render/D3DEnum.h"
#include "render/D3DFramework.h"
#include "render/Environment3D.h"
#include "render/Light.h"
#include "render/TextureManager.h"
#include "simulation/Ball.h"
#include "simulation/BallEngine.h"
#include "simulation/CallRecord.h"
#include "simulation/GamePlugin.h"
#include "simulation/PhysicsConstants.h"
#include "ui/ControlBar.h"
#include "ui/GameWidgets.h"
#include "ui/HudPanels.h"
#include "ui/IntroSequence.h"
#include "ui/TextMessages.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace
{
constexpr DWORD TITLE_INK = 0xFFFFFF;
constexpr DWORD HUD_INK = 0xEBEB85;
constexpr DWORD MESSAGE_INK = 0xFAFAFA;
constexpr DWORD RATE_INK = 0xFFFF00;
constexpr DWORD HEAD_STRING_INK = 0x316339;
constexpr DWORD MODE_AIM = 0x20;

/// Runs what is queued for this thread, as the main loop would; the code of a quit met, else -1.
int Pump()
{
    int nQuit = -1;
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        if (msg.message == WM_QUIT)
            nQuit = static_cast<int>(msg.wParam);
        DispatchMessage(&msg);
    }
    return nQuit;
}

/// The game's window on the headless display, started with the HUD's pictures in the artwork
/// libraries (after the scene's), for one test.
class CHudFrameTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_Settings.SetDefaults();
        g_Settings.m_nFullScreen = 0; // the clicks are measured in the frame's own window
        ResetWidgetInputState();
        m_app.AddArtworkLibrary();
        std::string strError;
        ASSERT_TRUE(WriteHudPictureLibrary(m_app.Folder().File("Hud.dll"), strError)) << strError;
        g_astrArtworkLibraries.Add(CString(m_app.Folder().File("Hud.dll").c_str()));
        // The display's texts come from the program's library, as after start-up.
        m_hResources = LoadLibrary(m_app.Folder().File("Imagery.dll").c_str());
        AfxSetResourceHandle(m_hResources);
    }

    void TearDown() override
    {
        if (m_pFrame != nullptr && IsWindow(m_hWnd))
            m_pFrame->DestroyWindow();
        Pump();
        g_nGameMode = 0;
        g_TextMessages.Clear();
        g_pausedPanel.Hide();
        ResetWidgetInputState();
        FreeDriverList();
        DeleteAllTextures();
        g_hDDrawModule = nullptr;
        g_pfnDirectDrawCreate = nullptr;
        SetErrorBoxHandler({});
        AfxSetResourceHandle(nullptr);
        FreeLibrary(m_hResources);
        StopDisplay();
    }

    /// Starts the display (playing the input script when there is one), creates the window and
    /// starts the game; the quit code posted on the way, else -1.
    int Start(const std::string& strScript = "")
    {
        if (!strScript.empty())
        {
            m_app.Folder().Write("script.txt", strScript);
            m_pScript = std::make_unique<CEnvScope>("VORN_INPUT_SCRIPT", m_app.Folder().File("script.txt").c_str());
        }
        EXPECT_TRUE(StartDisplay());
        EXPECT_NE(nullptr, InstallSystemDisplayAdapter());
        m_pFrame = new CMainFrame;
        EXPECT_TRUE(m_pFrame->LoadFrame(128));
        m_hWnd = m_pFrame->m_hWnd;
        const CStartScreenAnswer answer(VORN_APP_FIXTURE_DIR "VornRes.dll");
        return Pump();
    }

    const CAppFolder m_app;
    CDisplayAdapterScope m_adapter{LoadDisplayAdapter()};
    CMainFrame* m_pFrame = nullptr;
    HWND m_hWnd = nullptr;
    HINSTANCE m_hResources = nullptr;
    std::unique_ptr<CEnvScope> m_pScript;
    const CLiveSettingsRestore m_settings;
};

/// The frame's pixels as 0x00RRGGBB.
class CPixels
{
public:
    explicit CPixels(CDirectDrawSurface& surface)
    {
        DDSURFACEDESC2 desc{};
        EXPECT_EQ(DD_OK, surface.Lock(nullptr, &desc, DDLOCK_WAIT, nullptr));
        m_nWidth = static_cast<LONG>(desc.dwWidth);
        m_nHeight = static_cast<LONG>(desc.dwHeight);
        for (LONG y = 0; y < m_nHeight; ++y)
            for (LONG x = 0; x < m_nWidth; ++x)
                m_pixels.push_back(static_cast<const DWORD*>(desc.lpSurface)[y * desc.lPitch / 4 + x] & 0xFFFFFF);
        surface.Unlock(nullptr);
    }
    /// Whether any pixel of the area is not black.
    bool Painted(const RECT& rc) const
    {
        for (LONG y = std::max<LONG>(0, rc.top); y < std::min(m_nHeight, rc.bottom); ++y)
            for (LONG x = std::max<LONG>(0, rc.left); x < std::min(m_nWidth, rc.right); ++x)
                if (m_pixels[static_cast<std::size_t>(y * m_nWidth + x)] != 0)
                    return true;
        return false;
    }
    /// The bounding box of the pixels of one colour inside an area; empty when there are none.
    RECT Ink(DWORD dwColour, RECT rcArea = RECT{0, 0, 1 << 20, 1 << 20}) const
    {
        RECT rc{m_nWidth, m_nHeight, 0, 0};
        for (LONG y = std::max<LONG>(0, rcArea.top); y < std::min(m_nHeight, rcArea.bottom); ++y)
            for (LONG x = std::max<LONG>(0, rcArea.left); x < std::min(m_nWidth, rcArea.right); ++x)
                if (m_pixels[static_cast<std::size_t>(y * m_nWidth + x)] == dwColour)
                    rc = RECT{std::min(rc.left, x), std::min(rc.top, y), std::max(rc.right, x + 1),
                              std::max(rc.bottom, y + 1)};
        return rc;
    }

    /// The pixels of one colour that lie in none of the places and outside the area left out.
    int Stray(DWORD dwColour, const std::vector<RECT>& places, const RECT& rcLeftOut) const
    {
        int nStray = 0;
        const auto in = [](const RECT& rc, LONG x, LONG y)
        { return x >= rc.left && x < rc.right && y >= rc.top && y < rc.bottom; };
        for (LONG y = 0; y < m_nHeight; ++y)
            for (LONG x = 0; x < m_nWidth; ++x)
                if (m_pixels[static_cast<std::size_t>(y * m_nWidth + x)] == dwColour && !in(rcLeftOut, x, y) &&
                    std::ranges::none_of(places, [&](const RECT& rc) { return in(rc, x, y); }))
                    ++nStray;
        return nStray;
    }

private:
    LONG m_nWidth = 0;
    LONG m_nHeight = 0;
    std::vector<DWORD> m_pixels;
};

bool Inside(const RECT& inner, const RECT& outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}
bool HasInk(const RECT& rc) { return rc.right > rc.left && rc.bottom > rc.top; }

/// Waits until the aiming aid's simulation of the aimed shot has brought every ball to rest: the
/// paths it drew before are only part of the shot.
void WaitForTheAimingAid()
{
    ASSERT_TRUE(WaitFor([] { return g_BallEngineAux.WaitForPark(10) && g_BallEngineAux.AllBallsStopped(); }));
}

TEST_F(CHudFrameTest, AGameOnScreenPaintsItsPanelsInsideTheirPlaces)
{
    g_Settings.m_nGameType = 8;
    g_Settings.m_nCompetitionType = 1;
    g_Settings.m_nGamesGoal = 3;
    g_Settings.m_nScore = 1;
    g_Settings.m_nFrameRate = 1;
    g_Settings.m_nSpecular = 0;
    g_Settings.m_nHeadLine = 1;
    g_Settings.m_nBallPath1 = g_Settings.m_nBallPath2 = 0; // the predicted paths are no panel's
    ASSERT_EQ(-1, Start());
    ASSERT_TRUE(m_pFrame->IsGameStarted());
    ASSERT_TRUE(g_controlBar.IsLoaded()) << "the panel loader made the bar from its pictures";
    g_IntroSequence.Finish(); // a game under way, past the intro
    m_pFrame->GetGameFlow().CreateReferee(8);
    m_pFrame->GetGameFlow().SetBallLists(0xFFFF & ~0x0808, 0x0808); // balls 3 and 11 pocketed
    m_pFrame->GetGameFlow().Player1().GetNameRef() = "Ann";
    m_pFrame->GetGameFlow().Player1().SetPoints(5);
    m_pFrame->GetGameFlow().Player1().SetGames(1);
    m_pFrame->GetGameFlow().Player2().SetGames(2);
    g_nGameMode = MODE_AIM;
    g_pausedPanel.Show();
    RECT rcPanel;
    m_pFrame->GetPanelRect(rcPanel);
    g_TextMessages.AddText("Call The Shot: choose the pocket for the eight ball before you shoot, or the shot does "
                           "not count and the table passes to your opponent",
                           "", MESSAGE_FOREVER, 0);
    g_TextMessages.Update(timeGetTime(), rcPanel, 0);

    ASSERT_TRUE(m_pFrame->OnFrame()); // the camera's view is set for the head string and the ball label
    // The called ball's number stands over it: ball 5, moved to the head end of the table where its
    // label, 50 by 20 with its corner where the ball's centre is seen, lies clear of the bar and
    // the paused panel drawn after it.
    const RECT rcPaused{(rcPanel.right - HUD_PAUSED_SIZE.cx) / 2, (rcPanel.bottom - HUD_PAUSED_SIZE.cy) / 2,
                        (rcPanel.right + HUD_PAUSED_SIZE.cx) / 2, (rcPanel.bottom + HUD_PAUSED_SIZE.cy) / 2};
    CBall& ball5 = *g_BallEngineMain.FindBall(5);
    RECT rcLabel{};
    bool bClear = false;
    for (float x = 0.1f; x < TABLE_WIDTH_M && !bClear; x += 0.05f)
    {
        ball5.SetPosition(CVector3(x, 0.1f, ball5.GetPosition()->z));
        CVector3 vBall, vScreen;
        ASSERT_TRUE(m_pFrame->GetGameFlow().GetBallScenePosition(5, vBall));
        ProjectToScreen(&vScreen, &vBall);
        const auto xLabel = static_cast<LONG>(vScreen.x), yLabel = static_cast<LONG>(vScreen.y);
        rcLabel = RECT{xLabel, yLabel, xLabel + 50, yLabel + 20};
        bClear = rcLabel.top > 45 && rcLabel.bottom < rcPanel.bottom - HUD_BAR_SIZE.cy &&
                 (rcLabel.right <= rcPaused.left || rcLabel.left >= rcPaused.right || rcLabel.bottom <= rcPaused.top ||
                  rcLabel.top >= rcPaused.bottom);
    }
    ASSERT_TRUE(bClear) << "a place at the head end clear of the panels";
    g_CallRecord.nBall = 5;
    // The whole frame, for a person to look at, and its order.
    CDirectDrawSurface& frame = *g_pFramework->GetBackBuffer();
    DDBLTFX fx{};
    frame.Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
    std::vector<ESceneStep> log;
    m_pFrame->GetHud().m_pDrawLog = &log;
    m_pFrame->DrawScene(0);
    m_pFrame->GetHud().m_pDrawLog = nullptr;
    std::filesystem::create_directories(VORN_TEST_OUTPUT_DIR);
    EXPECT_TRUE(SaveSurfaceToPng(frame, (std::filesystem::path(VORN_TEST_OUTPUT_DIR) / "HudGame.png").string()));
    SSceneOrderState state;
    state.bPocketBehind = IsPocketBehind(m_pFrame->GetCameraHeading(), -1); // no pocket called
    const SScenePlan plan = PlanScene(state);
    EXPECT_EQ(std::vector<ESceneStep>(plan.Get().begin(), plan.Get().end()), log) << "the whole frame's order";
    EXPECT_EQ(3, g_controlBar.GetMode()) << "a person's turn while aiming asks for the plain tip";

    // The same steps but the room's and the balls' on a black frame, so that every pixel of a
    // panel's own colour is the panel's (the balls' stripes and numbers are white).
    constexpr ESceneStep SCENE_STEPS[] = {ESceneStep::Background,    ESceneStep::BallsInside, ESceneStep::BallsInJaws,
                                          ESceneStep::PocketedBalls, ESceneStep::BallsBehind, ESceneStep::BallsFront};
    SScenePlan overlay;
    for (const ESceneStep step : plan.Get())
        if (std::ranges::find(SCENE_STEPS, step) == std::end(SCENE_STEPS))
            overlay.Add(step);
    frame.Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
    m_pFrame->PaintScenePlan(overlay, 0);

    const LONG x0 = (rcPanel.right - rcPanel.left - HUD_DESIGN_WIDTH) / 2;
    const CPixels pixels(frame);
    const struct
    {
        const char* szName;
        DWORD dwInk;
        std::vector<RECT> places; // the ink lies in these, and each has some
    } panels[] = {
        {"title", TITLE_INK, {{x0 + 124, 3, x0 + 124 + 288, 3 + 38}}},
        {"banner, scores and the ball label",
         HUD_INK,
         {{x0 + 311, 4, x0 + 311 + 288, 4 + 38},
          {rcPanel.right - 109, rcPanel.bottom - 46, rcPanel.right, rcPanel.bottom - 26},
          {rcPanel.right - 109, rcPanel.bottom - 23, rcPanel.right, rcPanel.bottom - 3},
          rcLabel}},
        {"frame rate", RATE_INK, {{(rcPanel.right - 108) / 2, 2, (rcPanel.right + 108) / 2, 22}}},
        {"control bar",
         HUD_BAR_COLOUR,
         {{(rcPanel.right - HUD_BAR_SIZE.cx) / 2, rcPanel.bottom - HUD_BAR_SIZE.cy,
           (rcPanel.right + HUD_BAR_SIZE.cx) / 2, rcPanel.bottom}}},
        {"paused panel", HUD_PAUSED_COLOUR, {rcPaused}},
    };
    // Everywhere but the pocketed balls' row at the top right, whose icons have white highlights.
    const RECT rcRow{x0 + 786 - 19 - 10, 0, rcPanel.right, 13 + 10};
    for (const auto& panel : panels)
    {
        SCOPED_TRACE(panel.szName);
        EXPECT_EQ(0, pixels.Stray(panel.dwInk, panel.places, rcRow));
        for (const RECT& rcPlace : panel.places)
            EXPECT_TRUE(HasInk(pixels.Ink(panel.dwInk, rcPlace)))
                << rcPlace.left << "," << rcPlace.top << "," << rcPlace.right << "," << rcPlace.bottom;
    }
    // The head string runs across the table, wide and flat.
    const RECT rcHead = pixels.Ink(HEAD_STRING_INK);
    EXPECT_GT(rcHead.right - rcHead.left, 100);
    EXPECT_GT(rcHead.right - rcHead.left, 4 * (rcHead.bottom - rcHead.top));

    // A changed match repaints the title at the next frame.
    const RECT rcTitleBefore = pixels.Ink(TITLE_INK, RECT{0, 0, x0 + 412, 41});
    g_Settings.m_nCompetitionType = 0;
    frame.Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
    m_pFrame->PaintScenePlan(overlay, 0);
    const RECT rcTitleAfter = CPixels(frame).Ink(TITLE_INK, RECT{0, 0, x0 + 412, 41});
    EXPECT_NE(rcTitleBefore.right - rcTitleBefore.left, rcTitleAfter.right - rcTitleAfter.left)
        << "\"8-Ball - Practice\" is not as wide as \"8-Ball - Best of 5\"";

    // The pocketed balls' icons, 19 pixels across, from the right: two, and nothing after them.
    for (const LONG nPlace : {0, 1, 2})
    {
        SCOPED_TRACE(nPlace);
        const LONG x = x0 + 786 - 19 * nPlace;
        EXPECT_EQ(nPlace < 2, pixels.Painted(RECT{x - 4, 13 - 4, x + 5, 13 + 5}));
    }
    // The message's box: the panel area less 40 pixels at the sides and an eighth of its height
    // above and below (the title's and the icons' grey edges lie outside it).
    const LONG nEighth = (rcPanel.bottom - rcPanel.top) / 8;
    const RECT rcMessageBox{rcPanel.left + 40, rcPanel.top + nEighth, rcPanel.right - 40, rcPanel.bottom - nEighth};
    const RECT rcMessage = pixels.Ink(MESSAGE_INK, rcMessageBox);
    EXPECT_TRUE(HasInk(rcMessage));
    const LONG nCentreX = (rcMessage.left + rcMessage.right) - (rcPanel.left + rcPanel.right);
    EXPECT_LE(std::abs(nCentreX), 2) << "the message is centred within a pixel"; // twice the centre's offset
    EXPECT_GT(rcMessage.bottom - rcMessage.top, 30) << "on two lines";
    ResetCallRecords();
}

// The called ball's number stands over the ball; nothing called, or a shot running, shows none.
TEST_F(CHudFrameTest, TheCalledBallsNumberStandsOverTheBall)
{
    g_Settings.m_nGameType = 8; // a rack with ball 5 on the table
    ASSERT_EQ(-1, Start());
    ASSERT_TRUE(m_pFrame->OnFrame()); // the view is set
    CDirectDrawSurface& frame = *g_pFramework->GetBackBuffer();
    SScenePlan labelOnly;
    labelOnly.Add(ESceneStep::BallLabel);
    const struct
    {
        const char* szName;
        int nCalled;
        DWORD dwMode;
        bool bShown;
    } cases[] = {
        {"ball 5 called", 5, MODE_AIM, true},
        {"nothing called", -1, MODE_AIM, false},
        {"a shot runs", 5, MODE_AIM | gmShotRunning, false},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.szName);
        g_CallRecord.nBall = c.nCalled;
        g_nGameMode = c.dwMode;
        DDBLTFX fx{};
        frame.Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
        m_pFrame->PaintScenePlan(labelOnly, 0);
        const RECT rcInk = CPixels(frame).Ink(HUD_INK);
        EXPECT_EQ(c.bShown, HasInk(rcInk));
        CVector3 vBall, vScreen;
        ASSERT_TRUE(m_pFrame->GetGameFlow().GetBallScenePosition(5, vBall));
        ProjectToScreen(&vScreen, &vBall);
        const auto x = static_cast<LONG>(vScreen.x), y = static_cast<LONG>(vScreen.y);
        if (c.bShown)
        {
            EXPECT_TRUE(Inside(rcInk, RECT{x - 50, y - 20, x + 50, y + 20}))
                << rcInk.left << ", " << rcInk.top << " against " << x << ", " << y;
        }
    }
    ResetCallRecords();
}

/// A rule plug-in's game that paints its score panels: a plate in its colour with the player's
/// name where a score panel has its left text, after asking once for a wider panel; every call is kept.
class CPanelPaintingGame : public CPluginGame
{
public:
    static constexpr std::int32_t WIDTH = 150;
    static constexpr DWORD PLATE = 0x204060;
    static constexpr DWORD TEXT = 0xF0F0F0;

    struct SCall
    {
        std::int32_t nWidth, nHeight, nPlayer, nPoints;
        bool bRepaint, bTurn;
        std::string strName;
    };
    std::vector<SCall> m_calls;

    const std::uint8_t* GetPictureData(std::int32_t, std::uint32_t*) override { return nullptr; }
    std::int32_t GetGameType() override { return 42; }
    const char* GetTextureSetName(std::int32_t*) override { return ""; }
    void CreateReferees(CReferee**, CReferee**) override {}
    void ReleaseReferees(CReferee**, CReferee**) override {}
    const std::int32_t* GetRackBalls(std::int32_t, std::int32_t*) override { return nullptr; }
    void PlanShot(SPluginShotRequest*) override {}
    std::int32_t GetTargetBall() override { return 1; }
    void FillStepBlock(SPluginStepBlock*) override {}
    void AssignGroups(SPluginGroups*) override {}
    void FillShotOutcome(CShotOutcome*) override {}
    std::uint8_t ShotOutcomeDone(CShotOutcome*) override { return 0; }
    void DecideRack(CShotOutcome*) override {}
    void DecidePracticeRack(CShotOutcome*) override {}
    void PaintScorePanel(SPluginScorePanel* p) override
    {
        m_calls.push_back(
            SCall{p->nWidth, p->nHeight, p->nPlayer, p->nPoints, p->bRepaint != 0, p->bTurn != 0, p->szName});
        p->nBall = p->nPlayer == 0 ? 1 : 9;
        p->nNeedWidth = WIDTH;
        p->nNeedHeight = p->nHeight;
        if (p->nWidth >= WIDTH && p->bRepaint != 0)
        {
            p->pfnFill(p->pCanvas, nullptr, PLATE);
            p->pfnDrawText(p->pCanvas, p->szName, &p->rcLeft, TEXT, PLUGIN_TEXT_RIGHT | PLUGIN_TEXT_VCENTRE);
        }
    }
};

// The light editor's label names the selected lamp at the bottom left in place of the scores; a
// timing run shows its statistics in the middle and samples the frame rate at their interval; a
// rule plug-in's game paints its own score panels, which stand at the view's lower corners.
TEST_F(CHudFrameTest, TheLightLabelTheTimingTextAndAPluginsPanelsLieInTheirPlaces)
{
    constexpr DWORD LIGHT_INK = 0x00FA00;
    constexpr DWORD TIMING_INK = 0xFAFA00;
    g_Settings.m_nGameType = 8;
    g_Settings.m_nScore = 1;
    ASSERT_EQ(-1, Start());
    g_IntroSequence.Finish();
    ASSERT_TRUE(m_pFrame->OnFrame());
    CDirectDrawSurface& frame = *g_pFramework->GetBackBuffer();
    RECT rcView;
    m_pFrame->GetPanelRect(rcView);
    const auto paint = [&](ESceneStep step)
    {
        DDBLTFX fx{};
        frame.Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
        SScenePlan plan;
        plan.Add(step);
        m_pFrame->PaintScenePlan(plan, 0);
        return CPixels(frame);
    };

    // The light editor: the lamp's name on one line at the bottom, from 20 pixels in; no scores.
    CSceneLight* pLamp = CLightTable::Create(nullptr); // the test scene has none of its own
    ASSERT_NE(nullptr, pLamp);
    pLamp->m_strName = "Down";
    const int nLamp = pLamp->m_nIndex;
    g_LightSources.SetCurrent(nLamp);
    g_nGameMode = MODE_AIM | gmLightEdit;
    {
        const CPixels pixels = paint(ESceneStep::GamePanels);
        const RECT rcLabel = pixels.Ink(LIGHT_INK);
        EXPECT_TRUE(HasInk(rcLabel));
        EXPECT_TRUE(Inside(rcLabel, RECT{20, rcView.bottom - 20, rcView.right, rcView.bottom}));
        EXPECT_FALSE(HasInk(pixels.Ink(HUD_INK, RECT{0, rcView.bottom - 50, rcView.right, rcView.bottom})));
    }
    g_LightSources.SetCurrent(-1); // none selected: no label
    EXPECT_FALSE(HasInk(paint(ESceneStep::GamePanels).Ink(LIGHT_INK)));
    g_LightSources.SetCurrent(0);

    // A timing run: its text centred in the view, in place of the frame rate; at five frames 20 ms
    // apart the statistic has a sample of 50 frames a second.
    {
        CTestClockScope clock(1000);
        CRunningStat& stat = g_FrameRateStat;
        stat.SetEnabled(1);
        g_nGameMode = MODE_AIM | gmPresentation;
        const CPixels pixels = paint(ESceneStep::FrameRate);
        const RECT rcText = pixels.Ink(TIMING_INK);
        ASSERT_TRUE(HasInk(rcText));
        EXPECT_LE(std::abs((rcText.left + rcText.right) - (rcView.left + rcView.right)), 2) << "centred across";
        EXPECT_LE(std::abs((rcText.top + rcText.bottom) - (rcView.top + rcView.bottom)), 12) << "and down";
        EXPECT_FALSE(HasInk(pixels.Ink(RATE_INK)));
        for (int i = 0; i < 5; ++i)
        {
            clock.Advance(20);
            paint(ESceneStep::FrameRate);
        }
        EXPECT_DOUBLE_EQ(50.0, stat.GetAverage());
        EXPECT_DOUBLE_EQ(50.0, stat.GetMax());
    }

    // A plug-in's panels: made wider when it asks, painted whole once, the second player's only
    // in a match.
    g_nGameMode = MODE_AIM;
    m_pFrame->GetGameFlow().Player1().GetNameRef() = "Ann";
    m_pFrame->GetGameFlow().Player2().GetNameRef() = "Bob";
    m_pFrame->GetGameFlow().Player1().SetPoints(4);
    const RECT rcLeft{rcView.left, rcView.bottom - 16, rcView.left + CPanelPaintingGame::WIDTH, rcView.bottom};
    const RECT rcRight{rcView.right - CPanelPaintingGame::WIDTH, rcView.bottom - 16, rcView.right, rcView.bottom};
    for (const int nCompetition : {0, 1})
    {
        SCOPED_TRACE(nCompetition);
        g_Settings.m_nCompetitionType = nCompetition;
        CPanelPaintingGame game;
        m_pFrame->ReleaseHud(); // new panels
        for (int nFrame = 0; nFrame < 2; ++nFrame)
        {
            DDBLTFX fx{};
            frame.Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
            m_pFrame->DrawPluginScorePanels(game, rcView);
        }
        EXPECT_TRUE(SaveSurfaceToPng(frame, (std::filesystem::path(VORN_TEST_OUTPUT_DIR) /
                                             ("HudPluginPanels" + std::to_string(nCompetition) + ".png"))
                                                .string()));
        const CPixels pixels(frame);
        const RECT rcPlates = pixels.Ink(CPanelPaintingGame::PLATE);
        EXPECT_TRUE(Inside(rcPlates, RECT{rcView.left, rcView.bottom - 16, rcView.right, rcView.bottom}));
        EXPECT_TRUE(HasInk(pixels.Ink(CPanelPaintingGame::TEXT, rcLeft))) << "Ann's name";
        EXPECT_EQ(nCompetition != 0, HasInk(pixels.Ink(CPanelPaintingGame::TEXT, rcRight))) << "Bob's name";
        EXPECT_EQ(nCompetition != 0, HasInk(pixels.Ink(CPanelPaintingGame::PLATE, rcRight)));
        // The icon of the ball the game names, 18 across, over the plate's left end.
        EXPECT_TRUE(pixels.Painted(RECT{rcLeft.left + 5, rcLeft.top + 4, rcLeft.left + 13, rcLeft.top + 12}));
        // Per player: the small panel, then the wider one painted whole; the next frame asks it
        // again without a repaint.
        const std::string strTurn1 = m_pFrame->GetGameFlow().IsPlayer1Current() ? " turn " : " wait ";
        const std::string strTurn2 = strTurn1 == " turn " ? " wait " : " turn ";
        std::vector<std::string> log;
        for (const auto& c : game.m_calls)
            log.push_back(std::to_string(c.nPlayer) + (c.bTurn ? " turn " : " wait ") + std::to_string(c.nWidth) + "x" +
                          std::to_string(c.nHeight) + (c.bRepaint ? " new " : " ") + c.strName + " " +
                          std::to_string(c.nPoints));
        std::vector<std::string> expected = {"0" + strTurn1 + "109x16 new Ann 4", "0" + strTurn1 + "150x16 new Ann 4"};
        if (nCompetition != 0)
            expected.insert(expected.end(), {"1" + strTurn2 + "109x16 new Bob 0", "1" + strTurn2 + "150x16 new Bob 0"});
        expected.push_back("0" + strTurn1 + "150x16 Ann 4");
        if (nCompetition != 0)
            expected.push_back("1" + strTurn2 + "150x16 Bob 0");
        EXPECT_EQ(expected, log);
    }
}

// The aiming aid's re-simulation of the aimed shot is drawn as the balls' paths inside the view,
// and not at all with the paths switched off for the player.
TEST_F(CHudFrameTest, TheAimedShotsPathsAreDrawnWhenTheAimingAidHasThem)
{
    g_Settings.m_nGameType = 8;
    ASSERT_EQ(-1, Start());
    ASSERT_TRUE(m_pFrame->OnFrame()); // the view is set
    g_nGameMode = MODE_AIM;
    CDirectDrawSurface& frame = *g_pFramework->GetBackBuffer();
    SScenePlan pathsOnly;
    pathsOnly.Add(ESceneStep::AimingPaths);
    RECT rcView;
    m_pFrame->GetPanelRect(rcView);
    for (const int nBallPath : {1, 0})
    {
        SCOPED_TRACE(nBallPath);
        g_Settings.m_nBallPath1 = nBallPath;
        g_Settings.m_nBallPath2 = nBallPath;
        g_Settings.m_nShortPath1 = 0;
        g_Settings.m_nShortPath2 = 0;
        m_pFrame->UpdateAimPreview();
        WaitForTheAimingAid();
        DDBLTFX fx{};
        frame.Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
        m_pFrame->PaintScenePlan(pathsOnly, 0);
        const CPixels pixels(frame);
        EXPECT_EQ(nBallPath != 0, pixels.Painted(rcView));
        EXPECT_FALSE(pixels.Painted(RECT{rcView.left, rcView.bottom, rcView.right, rcView.bottom + 1000}));
    }
}

// Seen from above, the cue ball's picture stands where the aimed shot first touches a ball, at the
// ball's size there; seen from the cue only the paths cross that place.
TEST_F(CHudFrameTest, FromAboveTheCueBallShowsWhereTheAimedShotFirstTouchesABall)
{
    g_Settings.m_nGameType = 8;
    g_Settings.m_nBallPath1 = g_Settings.m_nBallPath2 = 1;
    g_Settings.m_nShortPath1 = g_Settings.m_nShortPath2 = 0;
    ASSERT_EQ(-1, Start());
    ASSERT_TRUE(m_pFrame->OnFrame()); // the view is set
    g_nGameMode = MODE_AIM;
    m_pFrame->UpdateAimPreview();
    WaitForTheAimingAid();
    // The struck ball's first touch of another ball, on the screen.
    CVector3 vContact;
    {
        const auto lock = g_BallEngineAux.AcquireLock();
        const CBall* pCue = g_BallEngineAux.FindBall(0);
        ASSERT_NE(nullptr, pCue);
        const auto& kinds = pCue->GetTrackKinds();
        const auto it = std::find(kinds.begin(), kinds.end(), TRACK_POINT_BALL);
        ASSERT_NE(kinds.end(), it) << "the break touches the rack";
        const CVector3 vScene = TableToScene(pCue->GetTrackPoints()[static_cast<std::size_t>(it - kinds.begin())]);
        ProjectToScreen(&vContact, &vScene);
    }
    const LONG x = std::lround(vContact.x), y = std::lround(vContact.y);
    CDirectDrawSurface& frame = *g_pFramework->GetBackBuffer();
    SScenePlan pathsOnly;
    pathsOnly.Add(ESceneStep::AimingPaths);
    // The cue ball stops by the rack, where its path's end mark blinks: the marks stay off here.
    const CTestClockScope clock(timeGetTime());
    m_pFrame->GetHud().m_dwPathMarksTime = timeGetTime();
    m_pFrame->GetHud().m_bPathMarks = false;
    for (const int nOverhead : {1, 0})
    {
        SCOPED_TRACE(nOverhead);
        g_Settings.m_nOverHeadView = nOverhead;
        DDBLTFX fx{};
        frame.Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
        m_pFrame->PaintScenePlan(pathsOnly, 0);
        const CPixels pixels(frame);
        int nPainted = 0;
        for (LONG dy = -2; dy <= 2; ++dy)
            for (LONG dx = -2; dx <= 2; ++dx)
                nPainted += pixels.Painted(RECT{x + dx, y + dy, x + dx + 1, y + dy + 1}) ? 1 : 0;
        if (nOverhead != 0)
            EXPECT_EQ(25, nPainted) << "the ball's picture covers its middle";
        else
            EXPECT_LT(nPainted, 15) << "the paths' lines only";
    }
    g_Settings.m_nOverHeadView = 0;
}

TEST_F(CHudFrameTest, ASceneWithoutItsObjectsOrItsTableEndsTheStartWithQuitCodeSeven)
{
    struct SCase
    {
        const char* szName;
        std::string strScene;
        const char* szError; // the one error box's text: its string's number
    };
    const std::string strHead = "Version = 3\n\n[Levels]\n0, Table;\n\n";
    const SCase aCases[] = {
        {"no objects", strHead + "[Table]\n", "#21535"},
        {"no table", strHead + "[Objects]\n", "#21536"},
    };
    SetStringResourceSource(
        [](UINT nId, CString& strText)
        {
            strText.Format("#%u", nId);
            return true;
        });
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        // A library listed first whose scene text lacks a section.
        CResourceLibraryWriter writer;
        std::string strError;
        writer.Add(SResourceKey::Name("SET"), SResourceKey::Name("3-DVORN.ART"), 0,
                   std::vector<BYTE>(c.strScene.begin(), c.strScene.end()), strError);
        const std::string strLibrary = m_app.Folder().File(std::string(c.szName) + ".dll");
        ASSERT_TRUE(writer.WriteFile(strLibrary, strError)) << strError;
        g_astrArtworkLibraries.InsertAt(0, CString(strLibrary.c_str()));
        std::vector<std::string> errors;
        SetErrorBoxHandler([&](const char* szText) { errors.emplace_back(szText); });

        EXPECT_EQ(7, Start());
        EXPECT_FALSE(IsWindow(m_hWnd)) << "the window is gone";
        EXPECT_EQ(std::vector<std::string>{c.szError}, errors) << "one error box tells why";
        g_astrArtworkLibraries.RemoveAt(0);
        StopDisplay();
    }
    SetStringResourceSource(nullptr);
}

/// One step of a click test: the script's actions in one frame and the panel commands the frame
/// after it posts (code and lParam).
struct SClickStep
{
    const char* szName;
    std::string strActions; // lines without their "frame n" prefix, separated by '|'
    std::vector<std::pair<int, LPARAM>> commands;
};

LPARAM Packed(LONG x, LONG y)
{
    return static_cast<LPARAM>(static_cast<WORD>(x) | (static_cast<DWORD>(static_cast<WORD>(y)) << 16));
}

std::string ClickScript(const std::vector<SClickStep>& steps)
{
    std::string strScript;
    for (std::size_t i = 0; i < steps.size(); ++i)
    {
        const std::string strFrame = "frame " + std::to_string(i + 1) + " ";
        std::string strActions = steps[i].strActions;
        for (std::size_t nAt = 0; !strActions.empty();)
        {
            nAt = strActions.find('|');
            strScript += strFrame + strActions.substr(0, nAt) + "\n";
            strActions = nAt == std::string::npos ? "" : strActions.substr(nAt + 1);
        }
        // Last in each frame: a character the test waits for, so that the frame reads the input.
        strScript += strFrame + "text " + static_cast<char>('a' + i % 26) + "\n";
    }
    return strScript;
}

/// Pumps until the frame's sentinel character arrives; panel commands stay queued.
void WaitForSentinel(std::size_t i)
{
    MSG msg;
    while (GetMessage(&msg, nullptr, 0, 0))
    {
        if (msg.message == WM_CHAR && msg.wParam == static_cast<WPARAM>('a' + i % 26))
            return;
        DispatchMessage(&msg);
    }
}

std::vector<std::pair<int, LPARAM>> TakePanelCommands()
{
    std::vector<std::pair<int, LPARAM>> commands;
    MSG msg;
    while (PeekMessage(&msg, nullptr, WM_PANEL_COMMAND, WM_PANEL_COMMAND, PM_REMOVE))
        commands.emplace_back(static_cast<int>(msg.wParam - PANEL_COMMAND_BASE), msg.lParam);
    return commands;
}

TEST_F(CHudFrameTest, ClicksOfTheInputScriptPostTheirPanelCommandsOncePerPress)
{
    // The bar lies at the bottom centre of the 812 x 570 view, 800 x 190; the top panel at the top
    // centre; the paused panel in the middle; the mouse area everywhere, first in the list.
    const LONG bx = 6, by = 380;
    const auto at = [](LONG x, LONG y) { return std::to_string(x) + " " + std::to_string(y); };
    const std::string strEnglish = at(bx + 501 + 5, by + 148 - 3);
    const std::string strMenu = at(bx + 171, by + 175);
    const std::string strLamp = at(bx + 566, by + 160);
    std::vector<SClickStep> steps = {
        {"english: press", "mouse down left " + strEnglish, {{65, Packed(bx + 506, by + 145)}, {57, 5}, {58, -3}}},
        {"english: held", "mouse move " + strEnglish, {}},
        {"english: held on", "", {}},
        {"english: release", "mouse up left " + strEnglish, {{66, Packed(bx + 506, by + 145)}}},
    };
    // The menu opens at the button's release; each row, chosen with the menu open, sends its command.
    const struct
    {
        const char* szName;
        int nElement;
        int nCommand;
    } rows[] = {{"new game", 4, 29}, {"options", 5, 31}, {"rules", 6, 32}, {"exit", 7, 33}};
    for (const auto& row : rows)
    {
        const LONG x = bx + BAR_ELEMENTS[row.nElement].left + 40, y = by + BAR_ELEMENTS[row.nElement].top + 16;
        steps.push_back({"menu button: press", "mouse down left " + strMenu, {{65, Packed(bx + 171, by + 175)}}});
        steps.push_back(
            {"menu button: release", "mouse up left " + strMenu, {{66, Packed(bx + 171, by + 175)}, {34, 0}}});
        steps.push_back({row.szName, "mouse down left " + at(x, y), {{65, Packed(x, y)}}});
        steps.push_back({row.szName, "mouse up left " + at(x, y), {{66, Packed(x, y)}, {row.nCommand, 0}}});
    }
    for (SClickStep step : std::initializer_list<SClickStep>{
             {"lamps: the cursor comes over them", "mouse move " + strLamp, {}},
             {"lamps: press", "mouse down left " + strLamp, {{65, Packed(bx + 566, by + 160)}}},
             {"lamps: release", "mouse up left " + strLamp, {{66, Packed(bx + 566, by + 160)}, {56, 0}}},
             {"top panel: press", "mouse down left 406 20", {{65, Packed(406, 20)}, {59, 0}}},
             {"top panel: held", "", {}},
             {"top panel: release", "mouse up left 406 20", {{66, Packed(406, 20)}}},
             {"paused panel: press", "mouse down left 406 285", {{65, Packed(406, 285)}, {60, 0}}},
             {"paused panel: release", "mouse up left 406 285", {{66, Packed(406, 285)}}},
             {"area: right press", "mouse down right 100 100", {{62, Packed(100, 100)}}},
             {"area: right release", "mouse up right 100 100", {{63, Packed(100, 100)}}},
         })
        steps.push_back(step);
    ASSERT_EQ(-1, Start(ClickScript(steps)));
    ASSERT_TRUE(g_controlBar.IsLoaded());
    g_IntroSequence.Finish(); // a game under way, past the intro
    g_pausedPanel.Show();
    // The panel handler of the waiting game hands the mouse to the widgets.
    m_pFrame->GetGameFlow().SetGameMode(modeWaiting);
    ASSERT_TRUE(m_pFrame->OnFrame()); // the first frame: the script's first step follows it
    for (std::size_t i = 0; i < steps.size(); ++i)
    {
        SCOPED_TRACE(steps[i].szName);
        WaitForSentinel(i);
        ASSERT_TRUE(m_pFrame->OnFrame());
        EXPECT_EQ(steps[i].commands, TakePanelCommands());
    }
}
} // namespace
