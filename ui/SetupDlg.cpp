#include "ui/SetupDlg.h"

#include "foundation/ResourceBitmaps.h"
#include "foundation/Settings.h"
#include "platform/dx/DirectDraw.h"
#include "platform/win32/MessageBox.h"

#include <cstdio>
#include <cstdlib>

namespace
{
constexpr int TEMPLATE = 231;
constexpr int BACKGROUND = 177;
constexpr UINT OK_PRESSED = 422, OK_NORMAL = 423;

// The path buttons' looks by their state in the cycle: full path, short path, no path.
constexpr UINT PATH_IMAGES[3] = {902, 900, 901};
constexpr UINT LEVEL_OFF = 711, LEVEL_ON = 712;
constexpr UINT FULLSCREEN_OFF = 713, FULLSCREEN_ON = 714;
constexpr UINT OVERHEAD_ON_OFF = 715, OVERHEAD_ON_ON = 716;
constexpr UINT OVERHEAD_OFF_OFF = 717, OVERHEAD_OFF_ON = 718;
constexpr UINT VOLUME_MARKER = 719;
constexpr int LEVELS[3] = {1, 5, 9};
constexpr POINT LEVEL_PLACES[3] = {{220, 446}, {309, 446}, {403, 446}};
constexpr POINT PATH_PLACES[2] = {{220, 371}, {338, 371}};

/// A volume step: where a release chooses it (left and top edges inside), its value and where the
/// marker goes.
struct SVolumeStep
{
    RECT rcHit;
    int nVolume;
    POINT ptMarker;
};
constexpr SVolumeStep VOLUME_STEPS[3] = {
    {{277, 219, 295, 240}, 5000, {277, 219}},
    {{306, 219, 324, 240}, 20000, {306, 219}},
    {{333, 219, 351, 240}, 40000, {335, 219}},
};

constexpr const char* UNSUPPORTED_TEXT =
    "Vorn Deluxe requires a Video Card that can run at 800x600 resolution and 32bit color depth. Your video card "
    "does not seem to support this feature. Please write to support@vorn-game.example for help.";

int& BallPath(int nPlayer) { return nPlayer == 0 ? g_Settings.m_nBallPath1 : g_Settings.m_nBallPath2; }
int& ShortPath(int nPlayer) { return nPlayer == 0 ? g_Settings.m_nShortPath1 : g_Settings.m_nShortPath2; }
} // namespace

bool HasFullScreenMode()
{
    const CDisplayAdapter* pAdapter = LoadDisplayAdapter();
    if (pAdapter == nullptr)
        return false;
    for (const SAdapterDriver& driver : pAdapter->aDrivers)
    {
        if (driver.bHasGuid) // the primary display is the driver without a GUID
            continue;
        for (const DDSURFACEDESC2& mode : driver.aModes)
            if (mode.dwWidth == 800 && mode.dwHeight == 600 && mode.ddpfPixelFormat.dwRGBBitCount >= 32)
                return true;
    }
    return false;
}

CSetupDlg::CSetupDlg(CWnd* pParent) : CSkinDialog(TEMPLATE, g_strDefaultResourceType.GetString(), BACKGROUND, pParent)
{
    SetButtonImages(0, OK_PRESSED, OK_NORMAL);
    SetShowCursorOnSetCursor();
}

BOOL CSetupDlg::OnInitDialog()
{
    m_nSpare = 0;
    CSkinDialog::OnInitDialog();
    const int x = (GetSystemMetrics(SM_CXSCREEN) - 812) / 2 + 124;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - 600) / 2 + 22;
    MoveWindow(x, y, 550, 555, TRUE);
    for (std::size_t i = 0; i < m_aLevel.size(); ++i)
        PlaceButton(m_aLevel[i],
                    i == 0   ? IDC_SETUP_LEVEL1
                    : i == 1 ? IDC_SETUP_LEVEL5
                             : IDC_SETUP_LEVEL9,
                    LEVEL_OFF, LEVEL_PLACES[i].x, LEVEL_PLACES[i].y);
    PlaceButton(m_fullScreen, IDC_SETUP_FULLSCREEN, FULLSCREEN_OFF, 189, 219);
    ::ShowWindow(GetDlgItem(IDC_SETUP_FULLSCREEN), SW_HIDE);
    PlaceButton(m_volume, IDC_SETUP_VOLUME, VOLUME_MARKER, 0, 0);
    PlaceButton(m_overheadOn, IDC_SETUP_OVERHEAD_ON, OVERHEAD_ON_OFF, 83, 95);
    PlaceButton(m_overheadOff, IDC_SETUP_OVERHEAD_OFF, OVERHEAD_OFF_OFF, 287, 95);
    PlaceVolumeMarker();
    InitPathButton(0);
    InitPathButton(1);
    if (g_Settings.m_nFullScreen != 0)
        ShowImage(m_fullScreen, FULLSCREEN_ON);
    if (g_Settings.m_nOverHeadView == 0)
        ShowImage(m_overheadOff, OVERHEAD_OFF_ON);
    else
        ShowImage(m_overheadOn, OVERHEAD_ON_ON);
    const int nLevel = g_Settings.m_nAIDefaultLevel;
    if (nLevel < 11) // 11 or more marks none
        ShowImage(m_aLevel[nLevel < 4 ? 0 : nLevel < 8 ? 1 : 2], LEVEL_ON);
    m_gamesUp.LoadBitmaps(906, 905, 905);
    PlaceButton(m_gamesUp, IDC_SETUP_GAMES_UP, 0, 338, 309);
    m_gamesDown.LoadBitmaps(904, 903, 903);
    PlaceButton(m_gamesDown, IDC_SETUP_GAMES_DOWN, 0, 338, 325);
    char szText[32];
    std::snprintf(szText, sizeof szText, "%d", g_Settings.m_nGamesGoal * 2 - 1);
    PlaceLabel(m_games, IDC_SETUP_GAMES, RECT{304, 312, 334, 342}, szText);
    std::snprintf(szText, sizeof szText, "v%d.%d", 1, 7);
    PlaceLabel(m_version, IDC_SETUP_VERSION, RECT{329, 8, 379, 22}, szText);
    MoveControl(IDOK, 212, 516);
    return TRUE;
}

void CSetupDlg::ShowImage(CHoverButton& button, UINT nImage)
{
    button.LoadBitmaps(nImage, nImage, nImage);
    button.SizeToContent();
}

void CSetupDlg::PlaceButton(CHoverButton& button, int nID, UINT nImage, int x, int y)
{
    if (!button.SubclassDlgItem(static_cast<UINT>(nID), this))
        return;
    if (nImage != 0)
        ShowImage(button, nImage);
    else
        button.SizeToContent();
    MoveControl(nID, x, y);
}

void CSetupDlg::PlaceLabel(CLabelStatic& label, int nID, const RECT& rc, const char* szText)
{
    if (!label.SubclassDlgItem(static_cast<UINT>(nID), this))
        return;
    label.m_bCentred = 1;
    ::SetWindowPos(label.m_hWnd, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, SWP_NOZORDER);
    ::SetWindowText(label.m_hWnd, szText);
}

void CSetupDlg::MoveControl(int nID, int x, int y)
{
    ::SetWindowPos(GetDlgItem(nID), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void CSetupDlg::InitPathButton(int nPlayer)
{
    int& nState = m_anPathState[static_cast<std::size_t>(nPlayer)];
    nState = BallPath(nPlayer) == 0 ? 2 : ShortPath(nPlayer) == 0 ? 0 : 1;
    const POINT pt = PATH_PLACES[nPlayer];
    PlaceButton(m_aPath[static_cast<std::size_t>(nPlayer)], nPlayer == 0 ? IDC_SETUP_PATH1 : IDC_SETUP_PATH2,
                PATH_IMAGES[nState], pt.x, pt.y);
}

void CSetupDlg::PlaceVolumeMarker()
{
    const int nVolume = g_Settings.m_nVolume;
    MoveControl(IDC_SETUP_VOLUME, nVolume < 11000 ? 277 : nVolume < 35000 ? 306 : 335, 219);
}

BOOL CSetupDlg::OnCommand(WPARAM wParam, LPARAM lParam)
{
    switch (LOWORD(static_cast<DWORD>(wParam)))
    {
    case IDC_SETUP_PATH1:
        CyclePath(0);
        return TRUE;
    case IDC_SETUP_PATH2:
        CyclePath(1);
        return TRUE;
    case IDC_SETUP_GAMES_UP:
        ChangeGames(true);
        return TRUE;
    case IDC_SETUP_GAMES_DOWN:
        ChangeGames(false);
        return TRUE;
    case IDC_SETUP_LEVEL1:
        ChooseLevel(0);
        return TRUE;
    case IDC_SETUP_LEVEL5:
        ChooseLevel(1);
        return TRUE;
    case IDC_SETUP_LEVEL9:
        ChooseLevel(2);
        return TRUE;
    case IDC_SETUP_OVERHEAD_ON:
        ChooseOverhead(true);
        return TRUE;
    case IDC_SETUP_OVERHEAD_OFF:
        ChooseOverhead(false);
        return TRUE;
    case IDC_SETUP_FULLSCREEN:
        ToggleFullScreen();
        return TRUE;
    case IDC_SETUP_VOLUME:
        return TRUE;
    default:
        return CSkinDialog::OnCommand(wParam, lParam);
    }
}

void CSetupDlg::CyclePath(int nPlayer)
{
    int& nState = m_anPathState[static_cast<std::size_t>(nPlayer)];
    nState = (nState + 1) % 3;
    // The third state switches the path off and leaves the short-path choice as it was.
    BallPath(nPlayer) = nState == 2 ? 0 : 1;
    if (nState != 2)
        ShortPath(nPlayer) = nState;
    ShowImage(m_aPath[static_cast<std::size_t>(nPlayer)], PATH_IMAGES[nState]);
    g_Settings.Save();
}

void CSetupDlg::ChangeGames(bool bUp)
{
    const int nShown = std::atoi(m_games.GetWindowText().GetString());
    int nNew = bUp ? nShown + 2 : nShown - 2;
    if (!bUp && nNew < 3)
        nNew = 1;
    char szText[32];
    std::snprintf(szText, sizeof szText, "%d", nNew);
    ::SetWindowText(m_games.m_hWnd, szText);
    g_Settings.m_nGamesGoal = nNew / 2 + 1;
    g_Settings.Save();
}

void CSetupDlg::ChooseLevel(int nButton)
{
    g_Settings.m_nAIDefaultLevel = LEVELS[nButton];
    g_Settings.m_nPlayerLevel2 = LEVELS[nButton];
    for (std::size_t i = 0; i < m_aLevel.size(); ++i)
        ShowImage(m_aLevel[i], static_cast<int>(i) == nButton ? LEVEL_ON : LEVEL_OFF);
    g_Settings.Save();
}

void CSetupDlg::ChooseOverhead(bool bOn)
{
    g_Settings.m_nOverHeadView = bOn ? 1 : 0;
    ShowImage(m_overheadOn, bOn ? OVERHEAD_ON_ON : OVERHEAD_ON_OFF);
    ShowImage(m_overheadOff, bOn ? OVERHEAD_OFF_OFF : OVERHEAD_OFF_ON);
}

void CSetupDlg::ToggleFullScreen()
{
    if (!HasFullScreenMode())
    {
        ::MessageBox(m_hWnd, UNSUPPORTED_TEXT, "Unsupported Resolution", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    g_Settings.m_nFullScreen = g_Settings.m_nFullScreen != 0 ? 0 : 1;
    ShowImage(m_fullScreen, g_Settings.m_nFullScreen != 0 ? FULLSCREEN_ON : FULLSCREEN_OFF);
}

void CSetupDlg::ChooseVolume(POINT pt)
{
    for (const SVolumeStep& step : VOLUME_STEPS)
        if (pt.x >= step.rcHit.left && pt.x < step.rcHit.right && pt.y >= step.rcHit.top && pt.y < step.rcHit.bottom)
        {
            g_Settings.m_nVolume = step.nVolume;
            MoveControl(IDC_SETUP_VOLUME, step.ptMarker.x, step.ptMarker.y);
            break;
        }
    g_Settings.Save();
}

void CSetupDlg::OnOK()
{
    g_Settings.Save();
    EndDialog(IDOK);
}

LRESULT CSetupDlg::WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_LBUTTONUP)
    {
        ChooseVolume(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    }
    return CSkinDialog::WindowProc(uMsg, wParam, lParam);
}
