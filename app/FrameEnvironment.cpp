// The main frame's 3-D environment: created with the window, rebuilt for each change of the
// window's size or mode (falling back to the software device when a hardware one fails), its
// device objects set up in a fixed order after each device creation and released before the
// next, and one frame a tick: the scene's animation, the drawing, the hand-over to the display
// and the clearing for the next frame. Main thread only.
#include "app/MainFrame.h"
#include "app/StartupFiles.h"
#include "foundation/Folders.h"
#include "foundation/GameModeWord.h"
#include "foundation/LibraryLists.h"
#include "foundation/Matrix.h"
#include "foundation/Settings.h"
#include "media/AviClips.h"
#include "media/DirectInputDevices.h"
#include "platform/dx/Device.h"
#include "platform/win32/Clock.h"
#include "platform/win32/DebugLog.h"
#include "platform/win32/KeyState.h"
#include "platform/win32/WindowTable.h"
#include "render/CursorManager.h"
#include "render/D3DEnum.h"
#include "render/D3DFramework.h"
#include "render/Environment3D.h"
#include "render/Light.h"
#include "render/SceneObject.h"
#include "render/SpriteEffects.h"
#include "render/TextureManager.h"
#include "ui/GameWidgets.h"
#include "ui/TextMessages.h"
#include "ui/Widget.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

CD3DFramework* g_pFramework = nullptr;
int g_nPanelHeight = 0;

namespace
{
/// The frame's background where nothing is drawn.
constexpr D3DCOLOR CLEAR_COLOUR = 0x000000;
/// The flag of the game-mode word and the call-the-shot mode that ask for the wider field of view
/// at a device change, as does holding X.
constexpr DWORD GM_WIDE_VIEW = 0x100000;
constexpr DWORD MODE_CALL_SHOT = 0x4000;
/// The window's smallest size; a smaller one is centred at this size.
constexpr int MIN_FRAME_WIDTH = 812;
constexpr int MIN_FRAME_HEIGHT = 570;
/// The windowed switch: set again by every window creation and environment change, as the
/// settings ask; the device then decides (a device that cannot draw into a window runs full screen).
BOOL s_bWindowed = TRUE;

/// The windowed switch as the settings ask: off, for the exclusive full screen, when "FullScreen" is
/// on and the device took the display mode "Mode" names; a full screen without a mode of its own is
/// a window over the whole screen.
BOOL WindowedFromSettings()
{
    DeviceInfo* pDevice = nullptr;
    if (g_Settings.m_nFullScreen == 0 || g_Settings.m_strMode.IsEmpty() ||
        FAILED(GetSelectedDriver(nullptr, &pDevice)) || pDevice == nullptr || pDevice->pCurrentMode == nullptr)
        return TRUE;
    return g_Settings.m_strMode.Str() != pDevice->pCurrentMode->strDesc ? TRUE : FALSE;
}

D3DCOLORVALUE White() { return {1.0f, 1.0f, 1.0f, 1.0f}; }

/// The part of the render area the panel strip takes at the bottom.
RECT PanelRect(const CD3DFramework& framework)
{
    const auto nWidth = static_cast<LONG>(framework.GetRenderWidth());
    const auto nHeight = static_cast<LONG>(framework.GetRenderHeight());
    return {0, nHeight - g_nPanelHeight, nWidth, nHeight};
}

/// Packs a lamp's colour record into 0xFFRRGGBB (rounded: an ambient lamp's record holds bytes / 255).
DWORD PackColour(const D3DCOLORVALUE& c)
{
    const auto byte = [](float f) { return static_cast<DWORD>(std::lround(std::clamp(f, 0.0f, 1.0f) * 255.0f)); };
    return 0xFF000000u | byte(c.r) << 16 | byte(c.g) << 8 | byte(c.b);
}
} // namespace

RECT CentredFrameRect(int nScreenWidth, int nScreenHeight)
{
    const int x = (nScreenWidth - MIN_FRAME_WIDTH) / 2, y = (nScreenHeight - MIN_FRAME_HEIGHT) / 2;
    return {x, y, x + MIN_FRAME_WIDTH, y + MIN_FRAME_HEIGHT};
}

RECT PlaceEnvironmentWindow(const RECT& rcWindow, BOOL bFullScreen, int nScreenWidth, int nScreenHeight)
{
    if (bFullScreen)
        return {0, 0, nScreenWidth, nScreenHeight};
    if (rcWindow.right - rcWindow.left < MIN_FRAME_WIDTH || rcWindow.bottom - rcWindow.top < MIN_FRAME_HEIGHT)
        return CentredFrameRect(nScreenWidth, nScreenHeight);
    return rcWindow;
}

void CMainFrame::SelectDeviceFromSettings()
{
    SelectNamedDriver(g_Settings.m_strDriver.GetString(), g_Settings.m_strDevice.GetString(),
                      g_Settings.m_strMode.GetString());
}

bool CMainFrame::IsFullScreenNow() const
{
    RECT rc;
    return ::GetWindowRect(m_hWnd, &rc) && rc.left == 0 && rc.top == 0 && rc.right == GetSystemMetrics(SM_CXSCREEN) &&
           rc.bottom == GetSystemMetrics(SM_CYSCREEN);
}

HRESULT CMainFrame::Create3DEnvironment(HWND hWnd)
{
    // One-time set-up: the arrow cursor and the ball painter's tables.
    g_CursorManager.SetSystemCursor(IDC_ARROW);
    g_BallPainter.InitBallPainter(g_strTablesDatPath.GetString());
    m_sceneAnimation.SetClips(&CAviClipList::GetCount, [this](int nClip, int nLevel)
                              { return CAviClipList::UpdateClip(nClip, nLevel, m_pFramework->GetD3DDevice()); });
    s_bWindowed = WindowedFromSettings();
    m_pFramework = std::make_unique<CD3DFramework>();
    g_pFramework = m_pFramework.get();
    // "Triple Buffer" (switched off when it cannot be had) and "Wait flip" are the settings'.
    m_pFramework->BindSettings(&g_Settings.m_nTripleBuffer, &g_Settings.m_nWaitFlip);
    return Init3DEnvironment(hWnd);
}

HRESULT CMainFrame::Init3DEnvironment(HWND hWnd)
{
    DriverInfo* pDriver = nullptr;
    DeviceInfo* pDevice = nullptr;
    if (m_pFramework == nullptr || FAILED(GetSelectedDriver(&pDriver, &pDevice)) || pDevice == nullptr)
        return D3DFWERR_INITIALIZATIONFAILED;
    DWORD dwFlags = D3DFW_BACKBUFFER | D3DFW_ZBUFFER;
    if (!s_bWindowed || !pDevice->bWindowed)
        dwFlags |= D3DFW_FULLSCREEN;
    const DDSURFACEDESC2* pMode = pDevice->pCurrentMode != nullptr ? &pDevice->pCurrentMode->ddsd : nullptr;
    HRESULT hr = m_pFramework->Initialize(hWnd, pDriver->pGuid, pDevice->pGuid, pMode, dwFlags);
    if (SUCCEEDED(hr))
    {
        hr = InitDeviceObjects(m_pFramework->GetD3DDevice(), m_pFramework->GetViewport().get());
        if (SUCCEEDED(hr))
        {
            // Frames clear for the next one as they end; the first needs its depth cleared too.
            ClearViewport();
            return S_OK;
        }
        DeleteDeviceObjects();
        m_pFramework->DestroyObjects();
    }
    if (!pDevice->bIsHardware)
        return hr;
    // A hardware device that fails gives way to the first software one, once: when the selection
    // still names a hardware device there is nothing else to try.
    DisplayFrameworkError(hr, 2);
    DeviceInfo* pSoftware = nullptr;
    if (FAILED(SelectDefaultDriver(D3DENUM_SOFTWAREONLY)) || FAILED(GetSelectedDriver(nullptr, &pSoftware)) ||
        pSoftware == nullptr || pSoftware->bIsHardware)
        return hr;
    return Init3DEnvironment(hWnd);
}

HRESULT CMainFrame::Change3DEnvironment(HWND hWnd)
{
    g_bForceRedraw = TRUE;
    s_bWindowed = WindowedFromSettings();
    DeleteDeviceObjects();
    if (m_pFramework != nullptr)
        m_pFramework->DestroyObjects();

    RECT rcWindow;
    ::GetWindowRect(hWnd, &rcWindow);
    const RECT rc = PlaceEnvironmentWindow(rcWindow, g_Settings.m_nFullScreen != 0, GetSystemMetrics(SM_CXSCREEN),
                                           GetSystemMetrics(SM_CYSCREEN));
    ::SetWindowPos(hWnd, HWND_NOTOPMOST, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, SWP_SHOWWINDOW);

    const HRESULT hr = Init3DEnvironment(hWnd);
    if (FAILED(hr))
    {
        DisplayFrameworkError(hr, 1);
        ::DestroyWindow(hWnd);
        return hr;
    }
    ClearPanel();
    g_bForceRedraw = TRUE;
    return S_OK;
}

void CMainFrame::Cleanup3DEnvironment()
{
    FinalCleanup();
    g_pFramework = nullptr;
    m_pFramework.reset();
    g_b3DReady = FALSE;
}

HRESULT CMainFrame::InitDeviceObjects(CDirect3DDevice* pDevice, CDirect3DViewport* pViewport)
{
    if (pDevice == nullptr || pViewport == nullptr)
        return D3DFWERR_NO3DDEVICE;
    const CLibraryListHold libraries(g_astrArtworkLibraries); // the textures and panels restored below read from them
    MatrixSetIdentity(g_matWorld);
    MatrixSetIdentity(g_matView);
    const bool bWide = g_DIKeyboard.IsDIKeyDown(DIK_X) != 0 || (g_nGameMode & GM_WIDE_VIEW) != 0 ||
                       (g_nGameMode & MODE_BITS) == MODE_CALL_SHOT;
    const float fFieldOfView = bWide ? NARROW_FIELD_OF_VIEW : g_fFieldOfView;
    SetProjection(fFieldOfView, pDevice, pViewport);
    g_fLastFieldOfView = fFieldOfView; // the frames that follow change it only when theirs differs
    char szLine[64];
    std::snprintf(szLine, sizeof szLine, "Environment: field of view %.2f\n", static_cast<double>(fFieldOfView));
    OutputDebugString(szLine);
    pDevice->SetTransform(D3DTRANSFORMSTATE_WORLD, &g_matWorld);
    pDevice->SetTransform(D3DTRANSFORMSTATE_VIEW, &g_matView);
    RestoreAllTextures(pDevice);
    SetUpRenderStates(*pDevice);
    SetUpLamps(pDevice);
    UpdateClipTextures(pDevice);
    SetUpPanels();
    m_apSpriteEffects = CreateSpriteEffects(pDevice, GetDataFolder(), GetProgramFolder());
    return S_OK;
}

void CMainFrame::SetUpRenderStates(CDirect3DDevice& device)
{
    device.SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device.SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device.SetTextureStageState(0, D3DTSS_MINFILTER, D3DTFN_LINEAR);
    device.SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTFG_LINEAR);
    device.SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, TRUE);
    device.SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE);
    device.SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE);
    device.SetRenderState(D3DRENDERSTATE_DITHERENABLE, TRUE);
    device.SetRenderState(D3DRENDERSTATE_SPECULARENABLE, TRUE);
    // One white material for everything the device lights.
    m_pMaterial.reset();
    if (m_pFramework->GetDirect3D() != nullptr && SUCCEEDED(m_pFramework->GetDirect3D()->CreateMaterial(&m_pMaterial)))
    {
        D3DMATERIAL material;
        material.dwSize = sizeof material;
        material.diffuse = White();
        material.ambient = White();
        m_pMaterial->SetMaterial(&material);
        DWORD dwHandle = 0;
        if (SUCCEEDED(m_pMaterial->GetHandle(&device, &dwHandle)))
            device.SetLightState(D3DLIGHTSTATE_MATERIAL, dwHandle);
    }
}

void CMainFrame::SetUpLamps(CDirect3DDevice* pDevice)
{
    // The lamps outlive the device: each gets the new device and a new device light that takes
    // the whole record as it stands. An ambient lamp sets its colour on the new device; a lamp's
    // colour is never packed into bytes and back, which would shift it at every change.
    for (int i = 0; i < CLightTable::GetCount(); ++i)
        if (CSceneLight* pLamp = CLightTable::GetAt(i))
        {
            pLamp->SetDevice(pDevice);
            pLamp->Recreate();
            if (pLamp->GetType() == LIGHT_TYPE_AMBIENT)
                pLamp->SetColorRGB(PackColour(pLamp->GetColor()));
        }
    g_dwLightsOnMask = 0; // the new viewport holds no lamp yet
}

void CMainFrame::SetUpPanels()
{
    // The widgets are rebuilt for the whole client area and placed again, as the panel loader placed them.
    const RECT rcClient{0, 0, static_cast<LONG>(m_pFramework->GetRenderWidth()),
                        static_cast<LONG>(m_pFramework->GetRenderHeight())};
    CWidget::BroadcastToAll(&rcClient, 0);
    PlaceGameWidgets(rcClient);
    const RECT rcPanel = PanelRect(*m_pFramework);
    for (CSceneObject* p = CSceneObject::GetFirst(); p != nullptr; p = p->GetNext())
        p->Restore();
    RECT rcArea;
    GetPanelRect(rcArea);
    LayOutSkinList(rcArea);
    g_TextMessages.SetRect(rcPanel.left, rcPanel.top, rcPanel.right, rcPanel.bottom);
    g_bForceRedraw = TRUE;
    SetTitleDirty(); // the title's surface is new
}

void CMainFrame::DeleteDeviceObjects()
{
    InvalidateAllTextures();
    for (int i = 0; i < CLightTable::GetCount(); ++i)
        if (CSceneLight* pLamp = CLightTable::GetAt(i))
            pLamp->Release();
    g_dwLightsOnMask = 0;
    m_pMaterial.reset();
    ReleaseGlobalList();
    ReleaseHud();
    m_apSpriteEffects.clear();
    g_BallPainter.ResetBallImages();
}

void CMainFrame::FinalCleanup()
{
    DeleteDeviceObjects();
    ExitAviFile();
    m_sceneAnimation.Reset(); // it holds the scene's clock and floating object
    m_rackScene.Release();    // the scene's objects and the lamps they brought
    CLightTable::DeleteAll();
}

void CMainFrame::ClearViewport()
{
    if (m_pFramework != nullptr && m_pFramework->GetViewport() != nullptr)
        m_pFramework->GetViewport()->Clear2(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, CLEAR_COLOUR, 1.0f, 0);
}

HRESULT CMainFrame::Render3DFrame()
{
    if (m_pFramework == nullptr || m_pFramework->GetD3DDevice() == nullptr)
        return S_OK;
    if (m_pFramework->GetDirectDraw() == nullptr || FAILED(m_pFramework->GetDirectDraw()->TestCooperativeLevel()))
    {
        ReleaseHud(); // the display is not ours: nothing is drawn
        return S_OK;
    }
    if (FAILED(RenderFrame()))
        return E_FAIL;
    if (FAILED(DrawScene(m_pFramework->GetD3DDevice(), m_pFramework->GetViewport().get(),
                         m_pFramework->GetViewportRect())))
        return E_FAIL;
    if (m_pFramework->ShowFrame() == DDERR_SURFACELOST)
        m_pFramework->RestoreSurfaces();
    ClearViewport();
    ClearPanel();
    return S_OK;
}

HRESULT CMainFrame::RenderFrame()
{
    const DWORD dwNow = timeGetTime();
    const float fSeconds = static_cast<float>(dwNow - m_dwLastFrameTime) * 0.001f;
    m_dwLastFrameTime = dwNow;
    SAnimationSettings settings;
    settings.nDrawLevel = g_Settings.m_nDrawLevel;
    settings.nAnimTV = g_Settings.m_nAnimTV;
    settings.bClipsStill = (g_nGameMode & GM_WIDE_VIEW) != 0 ? TRUE : FALSE;
    m_sceneAnimation.Animate(fSeconds, settings);
    return S_OK;
}

HRESULT CMainFrame::DrawScene(CDirect3DDevice* pDevice, CDirect3DViewport*, const RECT*)
{
    UpdateViewChanged();
    if (g_bTexturesDirty)
    {
        RestoreAllTextures(pDevice);
        g_bTexturesDirty = false;
    }
    HRESULT hr = pDevice->BeginScene();
    if (hr == D3DERR_SCENE_IN_SCENE)
    {
        pDevice->EndScene();
        hr = pDevice->BeginScene();
    }
    if (FAILED(hr))
        return S_OK;
    pDevice->SetTransform(D3DTRANSFORMSTATE_VIEW, &g_matView);
    // Flags 3: the view is the last frame's, so what did not move may be copied.
    PaintFrame(g_bViewChanged ? 0 : 3);
    DrawSoftwareCursor();
    pDevice->SetTexture(0, nullptr);
    pDevice->EndScene();
    return S_OK;
}

void CMainFrame::DrawSoftwareCursor()
{
    // Screen coordinates in full screen, the window's client coordinates in a window.
    POINT pt;
    GetCursorPos(&pt);
    if (!m_pFramework->IsFullscreen())
        ::ScreenToClient(m_hWnd, &pt);
    g_CursorManager.SetPosition(pt.x, pt.y);
    g_CursorManager.Draw();
}
