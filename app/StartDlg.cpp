#include "app/StartDlg.h"

#include "app/HelpDlg.h"
#include "app/MainFrame.h"
#include "app/ProductKey.h"
#include "app/SplashScreen.h"
#include "app/VornApp.h"
#include "foundation/DialogResultMask.h"
#include "foundation/ErrorBox.h"
#include "foundation/Folders.h"
#include "foundation/ResourceBitmaps.h"
#include "foundation/Settings.h"
#include "gameflow/GameMode.h"
#include "platform/mfc/AfxResource.h"
#include "platform/mfc/WinApp.h"
#include "platform/win32/Clock.h"
#include "platform/win32/Cursor.h"
#include "platform/win32/DebugLog.h"
#include "platform/win32/MessageBox.h"
#include "platform/win32/Modules.h"
#include "render/Picking.h"
#include "simulation/GamePlugins.h"
#include "ui/SetupDlg.h"
#include "ui/StatisticsDialog.h"
#include "ui/TextMessages.h"

#include <algorithm>
#include <memory>

namespace
{
constexpr UINT WM_STOPSPLASH = WM_USER + 1;
constexpr int ID_DESCRIPTION = 1152;
constexpr int ID_PICTURE = 1169;
constexpr int ID_FIRST_TROPHY = 1183;
constexpr int ID_OPTIONS = 1020;
constexpr int ID_CLOSE = 1021;
constexpr int ID_LEAVE_TOO = 1022;
constexpr int ID_RESUME = 1023;
constexpr int ID_LEAVE = 1051;
constexpr int ID_PLAY = 1056;
constexpr int ID_LINK = 1061;
constexpr int ID_STATISTICS = 1114;
constexpr int ID_HELP = 1132;
constexpr UINT HELP_NORMAL = 842, HELP_PRESSED = 843;
constexpr int ID_PRACTICE = 1124;
constexpr int ID_COMPUTER = 1125;
constexpr int ID_TWO_PLAYERS = 1126;
constexpr int ID_MORE_GAMES = 1190;
/// The picture frame's size, in pixels: a plug-in's picture is fitted into it.
constexpr int PICTURE_WIDTH = 210;
constexpr int PICTURE_HEIGHT = 220;
constexpr UINT FIRST_DESCRIPTION = 134;
constexpr UINT FIRST_TROPHY_PICTURE = 926;
constexpr int DIALOG_WIDTH = 812;  // pixels
constexpr int DIALOG_HEIGHT = 600; // pixels
constexpr int SMALLEST_WIDTH = 800;
constexpr int SMALLEST_HEIGHT = 600;
constexpr DWORD LINK_REPEAT_MS = 1000;
constexpr DWORD LINK_ADDRESS_SIZE = 1024;
constexpr DWORD LINK_IMAGE_SIZE = 51;

/// The match-kind buttons in the order of their kinds: id, normal, selected and hot looks, place.
struct SMatchButton
{
    int nId;
    std::array<UINT, 3> anLooks;
    POINT pt;
};
constexpr std::array<SMatchButton, 3> MATCH_BUTTONS = {{{ID_PRACTICE, {804, 805, 806}, {66, 453}},
                                                        {ID_COMPUTER, {812, 813, 814}, {250, 453}},
                                                        {ID_TWO_PLAYERS, {808, 809, 810}, {435, 453}}}};

/// Whether a trophy value holds trophy t (0 first, 1 second, 2 third): 1 first, 2 second, 3 third,
/// 4 first and second, 5 first and third, 6 second and third, 7 all three.
bool HoldsTrophy(int nValue, int t)
{
    constexpr bool HOLDS[8][3] = {{false, false, false}, {true, false, false}, {false, true, false},
                                  {false, false, true},  {true, true, false},  {true, false, true},
                                  {false, true, true},   {true, true, true}};
    return nValue >= 0 && nValue <= 7 && HOLDS[nValue][t];
}

CWnd* MainWindowOr(CWnd* pFallback) { return AfxGetMainWnd() != nullptr ? AfxGetMainWnd() : pFallback; }

void MoveControl(HWND hItem, POINT pt) { ::SetWindowPos(hItem, nullptr, pt.x, pt.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER); }

/// The rule plug-ins' game types, each once, in the order the plug-ins were found.
std::vector<int> PluginGameTypes()
{
    std::vector<int> anTypes;
    for (int i = 0; i < g_GamePlugins.GetCount(); ++i)
        if (const int nType = g_GamePlugins.GetEntry(i)->nType;
            std::find(anTypes.begin(), anTypes.end(), nType) == anTypes.end())
            anTypes.push_back(nType);
    return anTypes;
}

/// A picture stretched into the picture frame's size; the source is deleted. Null for null.
HBITMAP FitToPictureFrame(HBITMAP hSource)
{
    BITMAP bm{};
    if (hSource == nullptr || GetObject(hSource, sizeof bm, &bm) == 0)
        return hSource;
    const HDC hScreen = GetDC(nullptr);
    const HDC hFrom = CreateCompatibleDC(hScreen), hTo = CreateCompatibleDC(hScreen);
    const HBITMAP hFitted = CreateCompatibleBitmap(hScreen, PICTURE_WIDTH, PICTURE_HEIGHT);
    const HGDIOBJ hOldFrom = SelectObject(hFrom, hSource), hOldTo = SelectObject(hTo, hFitted);
    StretchBlt(hTo, 0, 0, PICTURE_WIDTH, PICTURE_HEIGHT, hFrom, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
    SelectObject(hFrom, hOldFrom);
    SelectObject(hTo, hOldTo);
    DeleteDC(hFrom);
    DeleteDC(hTo);
    ReleaseDC(nullptr, hScreen);
    DeleteObject(hSource);
    return hFitted;
}
} // namespace

int NextPluginGameType(int nGameType, const std::vector<int>& anTypes)
{
    if (anTypes.empty())
        return 0;
    const auto it = std::find(anTypes.begin(), anTypes.end(), nGameType);
    return it == anTypes.end() || std::next(it) == anTypes.end() ? anTypes.front() : *std::next(it);
}

int StartRowOfGameType(int nGameType)
{
    for (std::size_t r = 0; r < START_GAME_ROWS.size(); ++r)
        if (START_GAME_ROWS[r].nGameType == nGameType)
            return static_cast<int>(r);
    return -1;
}

int StartTrophyEarned(const int (&anTrophies)[6])
{
    int nEarned = 0;
    for (int t = 0; t < 3; ++t)
    {
        int nCount = 0;
        for (const int nValue : anTrophies)
            nCount += HoldsTrophy(nValue, t) ? 1 : 0;
        // A later trophy wins over an earlier one.
        if (nCount == 6)
            nEarned = t + 1;
    }
    return nEarned;
}

INT_PTR RunStartDialog(CWnd* pParent)
{
    const INT_PTR nResult = CStartDlg(pParent).DoModal();
    if (nResult == -1)
    {
        CString strText;
        strText.Format("The start screen (dialog %d) is missing from the program library.", IDD_START);
        ShowErrorBoxText(strText);
    }
    return nResult;
}

CStartDlg::CStartDlg(CWnd* pParent)
    : CSkinDialog(IDD_START, g_strDefaultResourceType.GetString(), IDB_START_BACKGROUND, pParent)
{
}

// ---------------------------------------------------------------------------------------------------------------------
// Opening
// ---------------------------------------------------------------------------------------------------------------------

BOOL CStartDlg::OnInitDialog()
{
    g_nDialogOkMask &= ~DLGOK_START;
    CSkinDialog::OnInitDialog();
    if (RefuseSmallScreen())
        return FALSE;
    SetWindowPos(nullptr, 0, 0, DIALOG_WIDTH, DIALOG_HEIGHT, SWP_NOMOVE | SWP_NOZORDER);
    SetUpLink();
    SetUpButtons();
    SetUpTrophies();
    m_nMatchKind = g_Settings.m_nCompetitionType == 0 ? MatchPractice
                   : g_Settings.m_nPlayerLevel2 != 0  ? MatchComputer
                                                      : MatchTwoPlayers;
    DrawMatchKinds(-1);
    SetGameType(g_Settings.m_nGameType);
    PlaceControls();
    PostMessage(WM_STOPSPLASH);
    return TRUE;
}

bool CStartDlg::RefuseSmallScreen()
{
    if (GetSystemMetrics(SM_CXSCREEN) >= SMALLEST_WIDTH && GetSystemMetrics(SM_CYSCREEN) >= SMALLEST_HEIGHT)
        return false;
    MessageBox(m_pParentWnd != nullptr ? m_pParentWnd->m_hWnd : nullptr,
               "The minimum resolution for this game is 800x600 with 16bit color depth or 32bit color depth.",
               "Unsupported Resolution", MB_OK);
    // The program ends through its own loop, so everything it holds is let go in order.
    PostQuitMessage(0);
    EndDialog(IDCANCEL);
    return true;
}

void CStartDlg::SetUpLink()
{
    m_link.LoadBitmaps(800, 802);
    m_link.SubclassDlgItem(ID_LINK, this);
    ::ShowWindow(GetDlgItem(ID_LINK), GetProductRegDword("SHOWLINK", 1) != 0 ? SW_SHOW : SW_HIDE);
    char szImage[LINK_IMAGE_SIZE] = {};
    if (GetProductRegString("ILINK", szImage, sizeof(szImage), "") == 0)
        return;
    // A picture of the link's own, when its file can be read; else the button keeps its looks.
    if (const HBITMAP hNormal = LoadJpegBitmapFile(szImage); hNormal != nullptr)
        m_link.AttachBitmaps(hNormal, LoadJpegBitmapFile(szImage));
}

void CStartDlg::SetUpButtons()
{
    struct SButton
    {
        CHoverButton* pButton;
        int nId;
        UINT nNormal;
        UINT nPressed;
    };
    const SButton aButtons[] = {{&m_play, ID_PLAY, 826, 825},           {&m_leave, ID_LEAVE, 816, 819},
                                {&m_options, ID_OPTIONS, 822, 823},     {&m_resume, ID_RESUME, 835, 832},
                                {&m_close, ID_CLOSE, 835, 832},         {&m_statistics, ID_STATISTICS, 949, 950},
                                {&m_moreGames, ID_MORE_GAMES, 846, 847}};
    for (const SButton& b : aButtons)
    {
        b.pButton->LoadBitmaps(b.nNormal, b.nPressed);
        b.pButton->SubclassDlgItem(static_cast<UINT>(b.nId), this);
    }
    // Help keeps its look under the mouse; the game's own hand shows that it can be pressed.
    m_help.LoadBitmaps(HELP_NORMAL, HELP_PRESSED);
    m_help.SubclassDlgItem(ID_HELP, this);
    m_help.SetCursorName(MAKEINTRESOURCE(CURSOR_HAND), FALSE);
    for (std::size_t r = 0; r < START_GAME_ROWS.size(); ++r)
        m_aTypeButtons[r].SubclassDlgItem(static_cast<UINT>(START_GAME_ROWS[r].nButtonId), this);
    for (std::size_t k = 0; k < MATCH_BUTTONS.size(); ++k)
        m_aMatchButtons[k].SubclassDlgItem(static_cast<UINT>(MATCH_BUTTONS[k].nId), this);
    m_picture.SubclassDlgItem(ID_PICTURE, this);
    m_description.SubclassDlgItem(ID_DESCRIPTION, this);
    // The rule plug-ins' games are offered when there are any.
    ::ShowWindow(GetDlgItem(ID_MORE_GAMES), g_GamePlugins.GetCount() > 0 ? SW_SHOW : SW_HIDE);
}

void CStartDlg::SetUpTrophies()
{
    for (std::size_t r = 0; r < m_aTrophies.size(); ++r)
    {
        const int nValue = g_Settings.m_anTrophies[r];
        const int nId = ID_FIRST_TROPHY + static_cast<int>(r);
        const bool bShown = nValue >= 1 && nValue <= 7;
        if (bShown)
            m_aTrophies[r].LoadBitmaps(FIRST_TROPHY_PICTURE + static_cast<UINT>(nValue),
                                       FIRST_TROPHY_PICTURE + static_cast<UINT>(nValue));
        m_aTrophies[r].SubclassDlgItem(static_cast<UINT>(nId), this);
        ::ShowWindow(GetDlgItem(nId), bShown ? SW_SHOW : SW_HIDE);
    }
    if (const int nEarned = StartTrophyEarned(g_Settings.m_anTrophies); nEarned != 0)
        g_Settings.m_nTrophy = nEarned;
    g_Settings.Save();
}

void CStartDlg::PlaceControls()
{
    const auto Place = [this](CBitmapButton& button, int nId, POINT pt)
    {
        MoveControl(GetDlgItem(nId), pt);
        button.SizeToContent();
    };
    for (std::size_t r = 0; r < START_GAME_ROWS.size(); ++r)
    {
        Place(m_aTypeButtons[r], START_GAME_ROWS[r].nButtonId, START_GAME_ROWS[r].ptButton);
        Place(m_aTrophies[r], ID_FIRST_TROPHY + static_cast<int>(r), START_GAME_ROWS[r].ptTrophy);
    }
    for (std::size_t k = 0; k < MATCH_BUTTONS.size(); ++k)
        Place(m_aMatchButtons[k], MATCH_BUTTONS[k].nId, MATCH_BUTTONS[k].pt);
    Place(m_play, ID_PLAY, POINT{638, 451});
    Place(m_leave, ID_LEAVE, POINT{402, 503});
    Place(m_options, ID_OPTIONS, POINT{250, 503});
    Place(m_resume, ID_RESUME, POINT{187, 503});
    m_close.SizeToContent();
    m_help.SizeToContent();
    Place(m_statistics, ID_STATISTICS, POINT{289, 516});
    Place(m_moreGames, ID_MORE_GAMES, POINT{676, 503});
    Place(m_link, ID_LINK, POINT{25, 521});
    Place(m_picture, ID_PICTURE, POINT{304, 124});
    ::MoveWindow(GetDlgItem(ID_DESCRIPTION), 297, 353, 220, 100, FALSE);
}

// ---------------------------------------------------------------------------------------------------------------------
// What is shown
// ---------------------------------------------------------------------------------------------------------------------

void CStartDlg::SetGameType(int nGameType)
{
    StartBlink();
    g_Settings.m_nGameType = nGameType;
    const int nSelected = StartRowOfGameType(nGameType);
    for (std::size_t r = 0; r < START_GAME_ROWS.size(); ++r)
    {
        const UINT nBase = START_GAME_ROWS[r].nButtonBase;
        if (static_cast<int>(r) == nSelected)
            m_aTypeButtons[r].LoadBitmaps(nBase + 1, nBase + 1);
        else
            m_aTypeButtons[r].LoadBitmaps(nBase, nBase + 2);
    }
    // A rule plug-in's game shows its own picture and name; another type outside the six selects
    // no row and keeps the picture shown.
    if (nSelected < 0)
        ShowPluginGame(nGameType);
    else
        ShowRow(nSelected);
}

void CStartDlg::ShowPluginGame(int nGameType)
{
    if (nGameType == m_nShownPlugin)
        return;
    for (int i = 0; i < g_GamePlugins.GetCount(); ++i)
    {
        const SGamePluginEntry* pEntry = g_GamePlugins.GetEntry(i);
        if (pEntry->nType != nGameType)
            continue;
        // Without a picture of its own the game keeps the picture shown.
        if (const std::unique_ptr<CGamePicture> pPicture = g_GamePlugins.GetPicture(i); pPicture != nullptr)
            if (const HBITMAP hPicture = FitToPictureFrame(pPicture->CreateBitmap()); hPicture != nullptr)
                m_picture.AttachBitmaps(hPicture);
        SetDlgItemText(ID_DESCRIPTION, pEntry->strName);
        m_nShownRow = -1;
        m_nShownDescription = 0;
        m_nShownPlugin = nGameType;
        OutputDebugString(("Start screen: the rule plug-in's game " + pEntry->strName.Str() + " shown\n").c_str());
        return;
    }
}

void CStartDlg::ShowRow(int nRow)
{
    if (nRow < 0 || nRow == m_nShownRow)
        return;
    m_nShownRow = nRow;
    m_nShownPlugin = 0;
    m_picture.LoadBitmaps(START_GAME_ROWS[static_cast<std::size_t>(nRow)].nPicture);
    const UINT nDescription = FIRST_DESCRIPTION + 2 * static_cast<UINT>(nRow);
    if (nDescription == m_nShownDescription)
        return;
    m_nShownDescription = nDescription;
    char szText[1024] = {};
    LoadString(AfxGetResourceHandle(), nDescription, szText, sizeof(szText));
    SetDlgItemText(ID_DESCRIPTION, szText);
}

void CStartDlg::DrawMatchKinds(int nHovered)
{
    for (std::size_t k = 0; k < MATCH_BUTTONS.size(); ++k)
    {
        const int nKind = static_cast<int>(k);
        const std::size_t nLook = nKind == m_nMatchKind ? 1 : nKind == nHovered ? 2 : 0;
        const UINT nPicture = MATCH_BUTTONS[k].anLooks[nLook];
        if (m_anMatchLooks[k] == nPicture)
            continue;
        m_anMatchLooks[k] = nPicture;
        m_aMatchButtons[k].LoadBitmaps(nPicture, nPicture);
    }
}

int CStartDlg::HoveredControl(POINT pt) const
{
    const auto Contains = [this, pt](int nId)
    {
        const HWND hItem = GetDlgItem(nId);
        RECT rc;
        return hItem != nullptr && ::IsWindowVisible(hItem) && ::GetWindowRect(hItem, &rc) && pt.x >= rc.left &&
               pt.x < rc.right && pt.y >= rc.top && pt.y < rc.bottom;
    };
    for (const SMatchButton& b : MATCH_BUTTONS)
        if (Contains(b.nId))
            return b.nId;
    for (const SStartGameRow& row : START_GAME_ROWS)
        if (Contains(row.nButtonId))
            return row.nButtonId;
    return 0;
}

BOOL CStartDlg::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_MOUSEMOVE && pMsg->hwnd == m_hWnd)
    {
        const int nId = HoveredControl(POINT{GET_X_LPARAM(pMsg->lParam), GET_Y_LPARAM(pMsg->lParam)});
        int nHoveredKind = -1;
        for (std::size_t k = 0; k < MATCH_BUTTONS.size(); ++k)
            if (MATCH_BUTTONS[k].nId == nId)
                nHoveredKind = static_cast<int>(k);
        DrawMatchKinds(nHoveredKind);
        int nRow = StartRowOfGameType(g_Settings.m_nGameType);
        for (std::size_t r = 0; r < START_GAME_ROWS.size(); ++r)
            if (START_GAME_ROWS[r].nButtonId == nId)
                nRow = static_cast<int>(r);
        // Off the rows, a rule plug-in's game chosen shows again.
        if (nRow < 0)
            ShowPluginGame(g_Settings.m_nGameType);
        else
            ShowRow(nRow);
    }
    return CSkinDialog::PreTranslateMessage(pMsg);
}

// ---------------------------------------------------------------------------------------------------------------------
// The default button's blink
// ---------------------------------------------------------------------------------------------------------------------

void CStartDlg::StartBlink()
{
    StopBlink();
    m_play.SetState(FALSE);
    m_nBlinkTicks = 0;
    m_nBlinkTimer = SetTimer(BLINK_TIMER_ID, BLINK_PERIOD_MS, nullptr);
}

void CStartDlg::StopBlink()
{
    if (m_nBlinkTimer != 0)
        KillTimer(m_nBlinkTimer);
    m_nBlinkTimer = 0;
}

void CStartDlg::OnBlinkTimer()
{
    ++m_nBlinkTicks;
    const BOOL bLit = (m_nBlinkTicks % 2) != 0 ? TRUE : FALSE;
    if (m_play.GetState() != bLit)
        m_play.SetState(bLit);
    if (m_nBlinkTicks <= 9)
        return;
    // The blink ends lit only while the button has the focus.
    m_play.SetState(::GetFocus() == GetDlgItem(ID_PLAY) ? TRUE : FALSE);
    StopBlink();
}

void CStartDlg::OnTimer(UINT_PTR nIdEvent)
{
    if (nIdEvent == BLINK_TIMER_ID)
        OnBlinkTimer();
}

// ---------------------------------------------------------------------------------------------------------------------
// Commands
// ---------------------------------------------------------------------------------------------------------------------

LRESULT CStartDlg::OnStopSplash(WPARAM, LPARAM)
{
    StopSplashScreen();
    if (m_pParentWnd != nullptr)
        m_pParentWnd->ShowWindow(SW_SHOWNORMAL);
    return 0;
}

bool CStartDlg::IsGameInProgress()
{
    const auto* pFrame = dynamic_cast<const CMainFrame*>(AfxGetMainWnd());
    return pFrame != nullptr && pFrame->IsGameStarted();
}

void CStartDlg::OnCloseRunning()
{
    if (!IsGameInProgress())
        return;
    g_Settings.Save();
    EndDialog(IDOK);
}

void CStartDlg::OnResume()
{
    SetDialogOkBit(DLGOK_START);
    g_bPanelRedraw = TRUE;
    EndDialog(IDOK);
}

void CStartDlg::OnOptions()
{
    g_Settings.Save();
    CSetupDlg(this).DoModal();
    m_options.LoadBitmaps(822, 823);
    if (IsOpponentDlgOk())
        g_bPanelRedraw = TRUE;
}

void CStartDlg::OnStatistics() { CStatisticsDialog(this).DoModal(); }

void CStartDlg::OnMoreGames()
{
    if (const int nType = NextPluginGameType(g_Settings.m_nGameType, PluginGameTypes()); nType != 0)
        SetGameType(nType);
}

void CStartDlg::OnHelp()
{
    RunHelpDialog(this);
    while (ShowCursor(TRUE) < 0)
    {
    }
}

LRESULT CStartDlg::OnHelpKey(WPARAM, LPARAM)
{
    OnHelp();
    return TRUE;
}

void CStartDlg::OnLink()
{
    const DWORD dwNow = timeGetTime();
    if (m_bLinkClicked && dwNow - m_dwLastLinkMs <= LINK_REPEAT_MS)
        return;
    m_bLinkClicked = true;
    m_dwLastLinkMs = dwNow;
    // No address set: the game's own help page, so nothing goes to the network unasked.
    const CString strDefault = GetProgramFolder() + "Help\\Help.htm";
    char szUrl[LINK_ADDRESS_SIZE] = {};
    GetProductRegString("LAUNCHURL", szUrl, sizeof(szUrl), strDefault);
    OpenUrl(szUrl);
}

void CStartDlg::RunLeaveSteps()
{
    StopBlink();
    g_Settings.Save();
    if (CWnd* pMain = MainWindowOr(m_pParentWnd); pMain != nullptr)
        pMain->PostMessage(WM_CLOSENOW);
}

void CStartDlg::OnLeave()
{
    RunLeaveSteps();
    EndDialog(START_LEAVE);
}

void CStartDlg::OnPlay()
{
    StopBlink();
    if (IsGameInProgress())
    {
        ::ShowWindow(GetDlgItem(ID_CLOSE), SW_HIDE);
        ::ShowWindow(GetDlgItem(ID_RESUME), SW_HIDE);
    }
    g_TextMessages.Clear();
    g_Settings.m_nCompetitionType = m_nMatchKind == MatchPractice ? 0 : 1;
    if (m_nMatchKind != MatchPractice)
    {
        g_Settings.m_nPlayerLevel1 = 0;
        g_Settings.m_nPlayerLevel2 = m_nMatchKind == MatchComputer ? g_Settings.m_nAIDefaultLevel : 0;
    }
    g_nGameMode = 0;
    g_nPrevGameMode = g_nGameMode;
    g_Settings.Save();
    SetDialogOkBit(DLGOK_START);
    g_bPanelRedraw = TRUE;
    EndDialog(IDOK);
}

void CStartDlg::ChooseMatchKind(EMatchKind eKind)
{
    m_nMatchKind = eKind;
    g_Settings.m_nCompetitionType = eKind == MatchPractice ? 0 : 1;
    if (eKind != MatchPractice)
        g_Settings.m_nPlayerLevel2 = eKind == MatchComputer ? g_Settings.m_nAIDefaultLevel : 0;
    StartBlink();
    g_Settings.Save();
    DrawMatchKinds(-1);
}

void CStartDlg::OnPractice() { ChooseMatchKind(MatchPractice); }
void CStartDlg::OnAgainstComputer() { ChooseMatchKind(MatchComputer); }
void CStartDlg::OnTwoPlayers() { ChooseMatchKind(MatchTwoPlayers); }

void CStartDlg::OnOK()
{
    StopBlink();
    g_bPanelRedraw = TRUE;
    g_Settings.Save();
    EndDialog(IDOK);
}

void CStartDlg::OnCancel()
{
    g_Settings.Save();
    RunLeaveSteps();
    EndDialog(IDCANCEL);
}

const SMessageMap* CStartDlg::GetThisMessageMap()
{
    static const SMessageEntry s_aEntries[] = {MapMessage<&CStartDlg::OnTimer>(WM_TIMER),
                                               MapMessage<&CStartDlg::OnStopSplash>(WM_STOPSPLASH),
                                               MapMessage<&CStartDlg::OnHelpKey>(WM_HELP),
                                               MapCommand<&CStartDlg::OnCloseRunning>(ID_CLOSE),
                                               MapCommand<&CStartDlg::OnResume>(ID_RESUME),
                                               MapCommand<&CStartDlg::OnNothing>(1015),
                                               MapCommand<&CStartDlg::OnNothing>(1130),
                                               MapCommand<&CStartDlg::OnNothing>(1133),
                                               MapCommand<&CStartDlg::OnNothing>(1135),
                                               MapCommand<&CStartDlg::OnOptions>(ID_OPTIONS),
                                               MapCommand<&CStartDlg::OnStatistics>(ID_STATISTICS),
                                               MapCommand<&CStartDlg::OnMoreGames>(ID_MORE_GAMES),
                                               MapCommand<&CStartDlg::OnHelp>(ID_HELP),
                                               MapCommand<&CStartDlg::OnLink>(ID_LINK),
                                               MapCommand<&CStartDlg::OnLeave>(ID_LEAVE),
                                               MapCommand<&CStartDlg::OnPlay>(ID_PLAY),
                                               MapCommand<&CStartDlg::OnLeave>(ID_LEAVE_TOO),
                                               MapCommand<&CStartDlg::OnGameTypeRow<0>>(1116),
                                               MapCommand<&CStartDlg::OnGameTypeRow<1>>(1117),
                                               MapCommand<&CStartDlg::OnGameTypeRow<2>>(1118),
                                               MapCommand<&CStartDlg::OnGameTypeRow<3>>(1119),
                                               MapCommand<&CStartDlg::OnGameTypeRow<4>>(1120),
                                               MapCommand<&CStartDlg::OnGameTypeRow<5>>(1121),
                                               MapCommand<&CStartDlg::OnAgainstComputer>(ID_COMPUTER),
                                               MapCommand<&CStartDlg::OnTwoPlayers>(ID_TWO_PLAYERS),
                                               MapCommand<&CStartDlg::OnPractice>(ID_PRACTICE)};
    static const SMessageMap s_map{CSkinDialog::GetThisMessageMap(), s_aEntries};
    return &s_map;
}
