#include "app/MainFrame.h"

#include "app/FrameHud.h"
#include "app/StartupFiles.h"
#include "app/VornApp.h"
#include "foundation/ErrorBox.h"
#include "foundation/Folders.h"
#include "foundation/GlobalOrder.h"
#include "foundation/LibraryLists.h"
#include "foundation/Settings.h"
#include "foundation/Stopwatch.h"
#include "gameflow/GameFlow.h"
#include "media/DirectInputDevices.h"
#include "media/MusicPlayer.h"
#include "media/Speech.h"
#include "platform/mfc/CFile.h"
#include "platform/mfc/WinApp.h"
#include "platform/win32/Clock.h"
#include "platform/win32/DebugLog.h"
#include "platform/win32/MessageBox.h"
#include "platform/win32/Messages.h"
#include "platform/win32/SystemParameters.h"
#include "render/CameraFlight.h"
#include "render/D3DEnum.h"
#include "render/D3DFramework.h"
#include "render/SceneReader.h"
#include "render/TextureManager.h"
#include "simulation/BallEngine.h"
#include "simulation/GamePlugins.h"
#include "simulation/PhysicsCoefficients.h"
#include "ui/ClickPanels.h"
#include "ui/ControlBar.h"
#include "ui/GameWidgets.h"
#include "ui/TextMessages.h"
#include "ui/WindowPlacement.h"

#include <algorithm>
#include <cstdio>

VORN_GLOBAL_ROW(GLOBAL_ROW_DISABLE_TEXTURE) CString g_strDisableTexture = "Disable.bmp";
VORN_GLOBAL_ROW_BUILT(GLOBAL_ROW_DISABLE_TEXTURE);
VORN_GLOBAL_ROW(GLOBAL_ROW_CHAT_TEXTURE) CString g_strChatTexture = "Chat.bmp";
VORN_GLOBAL_ROW_BUILT(GLOBAL_ROW_CHAT_TEXTURE);

namespace
{
/// How long the scene keeps rendering after the exit command before the window closes, in ms.
constexpr DWORD EXIT_RENDER_MS = 2000;
/// Record counts of the devices' event buffers.
constexpr DWORD KEYBOARD_BUFFER_RECORDS = 128;
constexpr DWORD MOUSE_BUFFER_RECORDS = 256;
/// The error when no 3-D environment can be made for the window.
constexpr UINT IDS_NO_3D_ENVIRONMENT = 21514;
/// The longest camera flight the settings can ask for, seconds.
constexpr int MAX_FLIGHT_SECONDS = 60;

/// The user's own links of the ini file ("Link 1".."Link 4") take the scene's link places 1 to 4,
/// or are appended when the scene has fewer; one whose picture file is missing is passed over.
void AddIniLinks()
{
    for (int n = 1; n <= 4; ++n)
    {
        CString strKey;
        strKey.Format("Link %d", n);
        const CString strValue = GetArtworkIniString(strKey, "");
        CLinkRec rec;
        CFileStatus status;
        if (strValue.IsEmpty() || !rec.Parse(strValue) || !CFile::GetStatus(rec.m_strPicture, status))
            continue;
        WriteArtworkIniString(strKey, strValue);
        if (n - 1 < g_linkList.GetSize())
            g_linkList.SetAt(n - 1, rec);
        else
            g_linkList.Add(rec);
    }
}

/// The debug log's line of a named texture made (with the size of its picture) or not found.
void NoteTextureMade(const char* szName, HRESULT hr)
{
    BITMAP bitmap{};
    const HBITMAP hPicture = SUCCEEDED(hr) ? GetTextureBitmap(szName) : nullptr;
    char szLine[TEXTURE_MAX_NAME + 64];
    if (hPicture != nullptr && GetObject(hPicture, sizeof bitmap, &bitmap) != 0)
        std::snprintf(szLine, sizeof szLine, "Textures: %s made, %ld x %ld\n", szName,
                      static_cast<long>(bitmap.bmWidth), static_cast<long>(bitmap.bmHeight));
    else
        std::snprintf(szLine, sizeof szLine, "Textures: %s is not in the artwork libraries\n", szName);
    OutputDebugString(szLine);
}
} // namespace

double FlightDurationOfSettings(const CSettings& settings)
{
    // "AutoPlaceTime" in seconds; a value below 0 lands flights at once, and one past a minute
    // would hold the camera far longer than any flight shows anything.
    return std::clamp(settings.m_nAutoPlaceTime, 0, MAX_FLIGHT_SECONDS);
}

DWORD SetModeFlags(DWORD dwFlags)
{
    g_nGameMode |= dwFlags;
    return g_nGameMode;
}

void ApplyPhysicsCoefficients(const CSettings& settings)
{
    using D = SPhysicsCoefficients;
    const std::pair<const CString*, std::atomic<float> D::*> aCoefficients[] = {
        {&settings.m_strAccelRollDeceler, &D::accelRollDeceler},
        {&settings.m_strSideSpinDeceleration_rads, &D::SideSpinDeceleration},
        {&settings.m_strMaxFlightHeightPerR, &D::m_dMaxFlightHeightPerR},
        {&settings.m_strBallBallFriction, &D::BallBallFriction},
        {&settings.m_strSideSpinCoeff, &D::SideSpinCoeff},
        {&settings.m_strForwardSpinCoeff, &D::ForwardSpinCoeff},
        {&settings.m_strVerticalVelocityCoeff, &D::VerticalVelocityCoeff},
        {&settings.m_strDecay, &D::Decay},
        {&settings.m_strSideSpinDecay, &D::SideSpinDecay},
        {&settings.m_strSideSpinInfluence, &D::SideSpinInfluence},
    };
    for (const auto& [pText, pCoefficient] : aCoefficients)
    {
        float f = 0;
        if (std::sscanf(pText->GetString(), "%f", &f) != 1)
            continue;
        std::atomic<float>& coefficient = g_PhysicsCoefficients.*pCoefficient;
        // A value outside the physical range is refused as a non-number is: the table would gain
        // energy or never come to rest.
        if (const SCoefficientRange& range = CoefficientRange(pCoefficient); !range.Holds(f))
        {
            CString strLine;
            strLine.Format("Settings: %s %s is outside %g to %g: the coefficient stays %g\n", range.szName,
                           pText->GetString(), static_cast<double>(range.fLow), static_cast<double>(range.fHigh),
                           static_cast<double>(Coef(coefficient)));
            OutputDebugString(strLine.GetString());
            continue;
        }
        coefficient = f;
    }
}

void SetUpPlayers(CPlayer& first, CPlayer& second, const CSettings& settings)
{
    for (CPlayer* pPlayer : {&first, &second})
    {
        pPlayer->SetGames(0);
        pPlayer->SetLocal();
    }
    first.SetLevel(settings.m_nPlayerLevel1);
    second.SetLevel(settings.m_nPlayerLevel2);
    first.GetNameRef() = settings.GetPlayerName(1);
    if (settings.m_nCompetitionType == 0)
    {
        second.SetDead();
        second.GetNameRef() = " ";
    }
    else
    {
        second.GetNameRef() = settings.GetPlayerName(2);
        if (first.GetNameRef() == second.GetNameRef())
        {
            first.AppendName("(1)");
            second.AppendName("(2)");
        }
    }
    LoadPlayersStats(first, second);
}

void LoadPlayersStats(CPlayer& first, CPlayer& second)
{
    for (CPlayer* pPlayer : {&first, &second})
        if (!pPlayer->IsDead())
            pPlayer->GetStats().Load(pPlayer->GetName());
}

const char* RegisterWindowClass(const char* szName)
{
    if (GetClassInfo(nullptr, szName, nullptr))
        return szName;
    WNDCLASS wc;
    wc.lpfnWndProc = &DefWindowProc;
    wc.lpszClassName = szName;
    if (RegisterClass(&wc))
        return szName;
    return nullptr; // the framework's own frame class
}

CMainFrame::CMainFrame() : m_pGameFlow(MakeGameFlow())
{
    SystemParametersInfo(SPI_GETSCREENSAVEACTIVE, 0, &m_bSavedScreenSaver, 0);
    SystemParametersInfo(SPI_SETSCREENSAVEACTIVE, FALSE, nullptr, 0);
    ClipCursor(nullptr);
}

CMainFrame::~CMainFrame()
{
    SystemParametersInfo(SPI_SETSCREENSAVEACTIVE, static_cast<UINT>(m_bSavedScreenSaver), nullptr, 0);
    g_IntroSequence.Abandon(this);
}

const SMessageMap* CMainFrame::GetThisMessageMap()
{
    static const SMessageEntry s_aEntries[] = {
        MapMessage<&CMainFrame::OnCreate>(WM_CREATE),
        MapMessage<&CMainFrame::OnInitGameMsg>(WM_INITGAME),
        MapMessage<&CMainFrame::OnClose>(WM_CLOSE),
        MapMessage<&CMainFrame::OnCloseNow>(WM_CLOSENOW),
        MapMessage<&CMainFrame::OnDestroy>(WM_DESTROY),
        MapMessage<&CMainFrame::OnEnterMenuLoop>(WM_ENTERMENULOOP),
        MapMessage<&CMainFrame::OnExitMenuLoop>(WM_EXITMENULOOP),
        MapMessage<&CMainFrame::OnPaint>(WM_PAINT),
        MapMessage<&CMainFrame::OnSysCommand>(WM_SYSCOMMAND),
        MapMessage<&CMainFrame::OnKillFocus>(WM_KILLFOCUS),
        MapMessage<&CMainFrame::OnSetFocus>(WM_SETFOCUS),
        MapMessage<&CMainFrame::OnActivateApp>(WM_ACTIVATEAPP),
        MapMessage<&CMainFrame::OnShotOutcome>(FLOW_MSG_MATCH_PROGRESS),
        MapMessage<&CMainFrame::OnEnterCallShotMsg>(FLOW_MSG_CALL_SHOT),
        MapMessage<&CMainFrame::OnNewGameQuestion2>(FLOW_MSG_MATCH_END),
    };
    static const SMessageMap s_map{GetCommandMap(), s_aEntries};
    return &s_map;
}

BOOL CMainFrame::PreCreateWindow(CREATESTRUCT& cs)
{
    cs.x = (GetSystemMetrics(SM_CXSCREEN) - FRAME_WIDTH) / 2;
    cs.y = (GetSystemMetrics(SM_CYSCREEN) - FRAME_HEIGHT) / 2;
    cs.cx = FRAME_WIDTH;
    cs.cy = FRAME_HEIGHT;
    cs.dwExStyle = (cs.dwExStyle & ~WS_EX_TOOLWINDOW) | WS_EX_APPWINDOW;
    cs.style |= static_cast<LONG>(WS_VISIBLE);
    // The frame keeps its menu as the window's menu bar: through it a player reaches the commands
    // that no key or panel sends (restart rack, pass turn, the physics dialog and others).
    cs.lpszClass = RegisterWindowClass(FRAME_CLASS_NAME);
    return CFrameWnd::PreCreateWindow(cs);
}

LRESULT CMainFrame::WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    // Keys are read by the game's input devices, never through the message map.
    if (uMsg == WM_KEYDOWN)
        return 0;
    if (uMsg == MM_MCINOTIFY)
    {
        OutputDebugString("Music: a track ended\n");
        OnMusicNotify(wParam, lParam);
        return 0;
    }
    return CFrameWnd::WindowProc(uMsg, wParam, lParam);
}

int CMainFrame::OnCreate(CREATESTRUCT*)
{
    ModifyStyle(WS_CAPTION | WS_THICKFRAME, 0);
    CenterWindow();
    // The scene text, meshes and textures are read from the libraries opened once.
    const CLibraryListHold artwork(g_astrArtworkLibraries);
    if (FAILED(EnumerateDirect3DDrivers(nullptr)))
    {
        AfxMessageBox("No 3-D device could be found.", MB_ICONHAND);
        return -1;
    }
    // The scene text's reader shows its own error box when the text is missing or of another version.
    if (!g_sceneReader.Open())
        return -1;
    g_sceneReader.ReadLevels(m_astrLevels);
    g_sceneReader.ReadLinks();
    AddIniLinks();
    SelectDeviceFromSettings();
    if (FAILED(Create3DEnvironment(m_hWnd)))
    {
        MessageBeep(static_cast<UINT>(-1));
        Cleanup3DEnvironment();
        ShowErrorBox(IDS_NO_3D_ENVIRONMENT);
        return -1;
    }
    g_b3DReady = TRUE;
    g_dFlightDuration = FlightDurationOfSettings(g_Settings);
    // The banner's text list was laid out by the device set-up; the panels' two named textures
    // and the input line join it.
    for (const CString* pTexture : {&g_strDisableTexture, &g_strChatTexture})
        NoteTextureMade(pTexture->GetString(), CreateTexture(pTexture->GetString()));
    if (!CreateInputLine())
        OutputDebugString("Window: the input line could not be made\n");
    PostMessage(WM_INITGAME);
    g_FrameRateStat.Reset();
    return 0;
}

LRESULT CMainFrame::OnInitGameMsg(WPARAM, LPARAM)
{
    if (!::IsWindow(m_hWnd) || m_bClosing)
        return -1;
    if (InitGame())
    {
        // A window is centred at the frame's size; a full screen stays as it is.
        if (!IsFullScreenNow())
        {
            const RECT rc = CentredFrameRect(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
            MoveWindow(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, TRUE);
        }
        UpdateWindow();
        return 0;
    }
    if (::IsWindow(m_hWnd) && !m_bClosing)
    {
        m_bWindowActive = FALSE;
        m_bClosing = TRUE;
        DestroyWindow();
    }
    else
        PostQuitMessage(15);
    return -1;
}

BOOL CMainFrame::ChangeToTheSettingsDisplay()
{
    SelectDeviceFromSettings();
    g_b3DReady = FALSE;
    if (!ChangeEnvironmentForWindow())
        return FALSE;
    g_b3DReady = TRUE;
    return TRUE;
}

void CMainFrame::StartSound()
{
    if (!m_Sound.Create(m_hWnd))
        OutputDebugString("Sound: the device refused to open; the game runs silent\n");
    LoadGameSounds();
    SetMusicOwner(m_hWnd, m_Sound.GetDirectSound());
}

void CMainFrame::CreateInputDevices()
{
    SetDirectInputWindow(m_hWnd);
    // While the game takes typed text, its keys are not the game's.
    SetInputOffTest([] { return (g_nGameMode & gmInputOff) != 0; });
    if (g_DIKeyboard.Create())
        g_DIKeyboard.SetBufferSize(KEYBOARD_BUFFER_RECORDS);
    if (g_DIMouse.Create())
        g_DIMouse.SetBufferSize(MOUSE_BUFFER_RECORDS);
}

void CMainFrame::ApplySoundSettings()
{
    m_Sound.SetVolume(g_Settings.m_nVolume);
    m_Sound.SetMuted(false);
    // Music switched on at the start counts as on: losing the focus pauses it too.
    m_dwMusicWord = g_Settings.m_nMusicEnable != 0 ? m_dwMusicWord | MUSIC_WORD_ON : m_dwMusicWord & ~MUSIC_WORD_ON;
    StartMusic();
    // Start from a clean slate: no key press or movement from before the game.
    g_DIKeyboard.ReadDIKeyboardBuffer();
    g_DIMouse.ReadDIMouseState();
    g_DIMouse.ReadDIMouseState();
}

BOOL CMainFrame::InitGame()
{
    StartSound();
    if (!RunStartScreen())
        return FALSE;
    ApplyPhysicsCoefficients(g_Settings);
    if (g_Settings.m_nGameType > 100)
        g_Settings.m_nGameType = 3;
    g_Settings.m_nAdDisplayEnable = 0;
    CreateInputDevices();
    // The panels' pictures, the ball sets and the scene's textures are read from the libraries
    // opened once.
    const CLibraryListHold artwork(g_astrArtworkLibraries);
    const CLibraryListHold ballSets(g_astrBallSetLibraries);
    if (!LoadPanels())
    {
        PostQuitMessage(7);
        return FALSE;
    }
    g_nGameMode &= gmStartupFlag | 0x10 | 0x8 | 0x4;
    const DWORD dwKept = g_nGameMode;
    const int nStartType = g_Settings.m_nGameType;
    const bool bIntro = OpensWithIntro(nStartType);
    if (!SetupGame())
        return FALSE;
    SetOptionsFromSettings();
    g_nGameMode |= dwKept;
    StartAimingAid();
    // The rack's preview was asked for before the aid's worker ran: it is made now.
    UpdateAimPreview();
    ApplySoundSettings();
    if (!ChangeToTheSettingsDisplay())
    {
        PostQuitMessage(8);
        return FALSE;
    }
    // A window kept where a larger desktop had room comes back onto this one when it is next
    // restored; the side bars wait for the cursor mode.
    FitWindowRectToDesktop(&g_Settings.m_WindowPlacement.rcNormalPosition);
    g_leftBar.Hide();
    g_rightBar.Hide();
    AnnounceGame(nStartType);
    g_Settings.Save();
    SetForegroundWindow();
    m_bGameStarted = TRUE;
    OutputDebugString("Game started\n");
    if (bIntro)
        StartIntro();
    return TRUE;
}

void CMainFrame::SetOptionsFromSettings()
{
    const auto bit = [](int nSetting, DWORD dwBit) { return nSetting != 0 ? dwBit : 0; };
    const DWORD dwFromSettings =
        bit(g_Settings.m_nBallPath1, OPTION_AIMING_AID) | bit(g_Settings.m_nScore, OPTION_SCORE) |
        bit(g_Settings.m_nHeadLine, OPTION_HEAD_LINE) | bit(g_Settings.m_nFrameRate, OPTION_FRAME_RATE);
    constexpr DWORD FROM_SETTINGS = OPTION_AIMING_AID | OPTION_SCORE | OPTION_HEAD_LINE | OPTION_FRAME_RATE;
    m_dwOptionWord = (m_dwOptionWord & ~FROM_SETTINGS) | dwFromSettings;
}

void CMainFrame::OnClose()
{
    if ((g_nGameMode & gmGameOver) != 0)
    {
        OnCloseNow(0, 0);
        return;
    }
    if (!m_bGameStarted)
    {
        m_bClosing = TRUE;
        DestroyWindow();
        return;
    }
    if ((g_nGameMode & gmSettingsPreview) != 0)
        return;
    // The game stands paused behind the question and goes on as it was when it is declined.
    CGameFlow& flow = *m_pGameFlow;
    const bool bPausedHere = !flow.IsPaused();
    if (bPausedHere)
    {
        flow.TogglePause();
        // One frame shows the game paused under the question.
        if (g_b3DReady)
            Render3DFrame();
    }
    int nAnswer = IDCANCEL;
    {
        const CModalModeScope modal;
        nAnswer = AskToLeave();
    }
    if (bPausedHere && flow.IsPaused())
        flow.TogglePause();
    if (nAnswer == IDOK)
    {
        m_bClosing = TRUE;
        DestroyWindow();
    }
}

LRESULT CMainFrame::OnCloseNow(WPARAM, LPARAM)
{
    m_bClosing = TRUE;
    DestroyWindow();
    return 0;
}

void CMainFrame::OnDestroy()
{
    Sleep(100);
    if ((g_nGameMode & gmSettingsPreview) == 0)
        g_Settings.Save();
    m_bWindowActive = FALSE;
    ClipCursor(nullptr);
    CloseMusic();
    g_TextMessages.DeleteFont();
    g_Speech.Shutdown();
    ReleasePluginGame();
    Cleanup3DEnvironment();
    g_BallPainter.FreeTablesData();
    g_BallPainter.FreeBallTextures();
    g_BallPainter.ResetBallImages();
    g_BallEngineQueued.Release();
    g_BallEngineMain.Release();
    g_BallEngineAux.Release();
    g_DIMouse.Release();
    g_DIKeyboard.Release();
    FreeDriverList();
    Default();
}

void CMainFrame::ReleasePluginGame()
{
    // A plug-in's referees and game object run its library's code: they go now, the referees
    // through the game object first, while nothing else can have freed the library.
    if (!g_GamePlugins.IsGameLoaded())
        return;
    m_pGameFlow->ReleaseReferees();
    g_GamePlugins.ReleaseGame();
}

void CMainFrame::OnPaint()
{
    if (m_pFramework != nullptr)
        m_pFramework->ShowFrame();
}

void CMainFrame::OnSysCommand(UINT nID, LPARAM)
{
    if ((nID & 0xFFF0) == SC_SCREENSAVE)
        return;
    Default();
}

void CMainFrame::OnKillFocus(CWnd*)
{
    // Keep the mode to restore it with the focus; a waiting game keeps the snapshot it has.
    const DWORD dwMode = g_nGameMode & MODE_BITS;
    if (dwMode != 0 && dwMode != modeWaiting)
    {
        m_dwSavedMode = g_nGameMode;
        m_bModeSaved = TRUE;
    }
    m_pGameFlow->UpdateModeHint();
    // No release reaches the game while another window has the mouse: nothing stays pressed or
    // dragged, and the cue drawn back goes back to rest.
    ReleaseMouseHolds();
    ClipCursor(nullptr);
}

void CMainFrame::ReleaseMouseHolds()
{
    g_mouseArea.SetArmed(0);
    g_mouseArea.m_nRightDragActive = 0;
    g_mouseArea.m_nRightDragState = 0;
    m_bPowerControlActive = false;
    if (CWidget* pActive = CWidget::GetHoveredWidget(); pActive != nullptr)
        pActive->m_bPressed = 0;
    g_controlBar.SetValue(0.0);
    SCueStroke& cue = m_pGameFlow->Cue();
    cue.fPullBack = cue.fMin;
    AlignCue();
}

void CMainFrame::OnSetFocus(CWnd*)
{
    // Only a snapshot taken when the focus went is put back: the word may have moved on since.
    if ((g_nGameMode & MODE_BITS) != modeWaiting && m_bModeSaved)
        g_nGameMode = m_dwSavedMode;
    m_bModeSaved = FALSE;
    g_DIKeyboard.ReadDIKeyboardBuffer(); // keys pressed elsewhere are not the game's
    m_pGameFlow->UpdateModeHint();
    ClipCursorToView();
    // The panels' surfaces are made again at their next drawing.
    ReleaseHud();
}

BOOL CMainFrame::OnFrame()
{
    if (IsIconic())
        return FALSE;
    g_FrameStopwatch.Tick();
    if (m_bExitInProgress)
    {
        if (timeGetTime() - m_dwExitStamp > EXIT_RENDER_MS)
        {
            PostMessage(WM_CLOSENOW);
            return FALSE;
        }
        DrawFrame();
        return TRUE;
    }
    if (!m_bGameStarted || ::GetFocus() != m_hWnd || !::IsWindow(m_hWnd) || !m_bWindowActive || g_bModalMode)
        return FALSE;
    SampleTabHeld();
    const bool bFlightView = IsFlightViewTick(); // before the balls' step can end the shot
    ReadInputDevices();
    // A running replay takes the tick's frame (none runs: nothing is ever recorded).
    if (GetReplay().Tick() == 0 && g_IntroSequence.IsFinished())
        m_pGameFlow->Tick(0); // the rolling balls, the computer's stroke and the turn's flight
    // An aim that has rested a little is re-simulated by the aiming aid.
    ThrottleAimPreview(FALSE);
    if (bFlightView)
        TickTextMessages();
    NoteShotProgress();
    NoteSavesOpen();
    DrawFrame();
    NoteCallTargets();
    return TRUE;
}

void CMainFrame::DrawFrame()
{
    PlaceBallObjects();
    if (!ViewFromFlowCamera())
        m_rackScene.UpdateView();
    KeepCursorOnLiftedBall();
    if (g_b3DReady)
        Render3DFrame();
}

void CMainFrame::ReadInputDevices()
{
    g_DIKeyboard.ReadState();
    g_DIKeyboard.ReadDIKeyboardBuffer();
    g_DIMouse.ReadDIMouseState();
    g_DIMouse.UpdateDIMouse();
    // Nothing acts on the input yet; the debug log shows what reached the game.
    if (const int nKey = g_DIKeyboard.GetDIPressedKey(); nKey != 0)
    {
        CString strKey;
        strKey.Format("Input: key 0x%02X pressed\n", nKey);
        OutputDebugString(strKey.GetString());
    }
}
