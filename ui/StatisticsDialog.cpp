#include "ui/StatisticsDialog.h"

#include "foundation/Folders.h"
#include "foundation/ResourceBitmaps.h"
#include "foundation/Settings.h"
#include "platform/win32/Files.h"
#include "platform/win32/Profile.h"
#include "simulation/Player.h"

#include <cstdio>
#include <string>

namespace
{
constexpr int TEMPLATE = 582;
constexpr int BACKGROUND = 945;
constexpr UINT CLOSE_PRESSED = 935, CLOSE_NORMAL = 936;
// The page pictures of pages 0 to 5.
constexpr UINT PAGE_PICTURES[CStatisticsDialog::PAGES] = {938, 939, 940, 943, 942, 941};
constexpr UINT FIRST_PICTURE = 939;
constexpr int ROW_TOP = 118, ROW_STEP = 39, ROW_HEIGHT = 30;

/// The settings files that share the data folder: never players.
constexpr const char* SETTINGS_FILES[] = {"Vorn.ini", "Gralbeck.ini", "Tessaview.ini"};

CString Number(int n) { return CString(std::to_string(n).c_str()); }

CString Pair(int a, int b) { return CString((std::to_string(a) + " / " + std::to_string(b)).c_str()); }
} // namespace

bool IsPlayerStatisticsFile(const std::string& strName)
{
    // A dot file is hidden on this system.
    if (strName.size() < 5 || strName[0] == '.' ||
        CString(strName.c_str() + strName.size() - 4).CompareNoCase(".ini") != 0)
        return false;
    for (const char* szSettings : SETTINGS_FILES)
        if (CString(strName.c_str()).CompareNoCase(szSettings) == 0)
            return false;
    return true;
}

CString PlayerNameOfFile(const std::string& strName)
{
    std::string strPlayer = strName;
    for (std::size_t nAt = strPlayer.find(".ini"); nAt != std::string::npos; nAt = strPlayer.find(".ini", nAt))
        strPlayer.erase(nAt, 4);
    return CString(strPlayer.c_str());
}

CStatisticsDialog::CStatisticsDialog(CWnd* pParent)
    : CSkinDialog(TEMPLATE, g_strDefaultResourceType.GetString(), BACKGROUND, pParent)
{
    SetButtonImages(0, CLOSE_PRESSED, CLOSE_NORMAL);
    SetShowCursorOnSetCursor();
}

BOOL CStatisticsDialog::OnInitDialog()
{
    CSkinDialog::OnInitDialog();
    const int x0 = (GetSystemMetrics(SM_CXSCREEN) - 812) / 2;
    const int y0 = (GetSystemMetrics(SM_CYSCREEN) - 600) / 2;
    MoveWindow(x0 + 124, y0 + 22, 490, 550, TRUE);
    PlaceColumn(m_names, IDC_STATS_NAME, 23, 109);
    PlaceColumn(m_rounds, IDC_STATS_ROUNDS, 136, 65);
    PlaceColumn(m_matches, IDC_STATS_MATCHES, 214, 65);
    PlaceColumn(m_scratches, IDC_STATS_SCRATCHES, 289, 65);
    PlaceColumn(m_streaks, IDC_STATS_STREAK, 385, 65);
    m_next.LoadBitmaps(947, 948);
    PlaceButton(m_next, IDC_STATS_NEXT, 378, 19);
    m_prev.LoadBitmaps(944, 946);
    PlaceButton(m_prev, IDC_STATS_PREV, 81, 19);
    m_page.LoadBitmaps(FIRST_PICTURE, FIRST_PICTURE, FIRST_PICTURE);
    m_nPagePicture = FIRST_PICTURE;
    PlaceButton(m_page, IDC_STATS_PAGE, 114, 15);
    // The page of the game type's own statistics column; a type without one keeps its figures in
    // column 0, so that page shows them.
    m_nCurrentPage = CPlayer::GetStatsColumn(g_Settings.m_nGameType);
    FillPage(m_nCurrentPage);
    return TRUE;
}

void CStatisticsDialog::PlaceColumn(CColumn& column, int nFirstId, int x, int nWidth)
{
    for (int i = 0; i < ROWS; ++i)
    {
        CLabelStatic& cell = column[static_cast<std::size_t>(i)];
        if (!cell.SubclassDlgItem(static_cast<UINT>(nFirstId + i), this))
            continue;
        cell.m_bCentred = 1;
        ::SetWindowPos(cell.m_hWnd, nullptr, x, ROW_TOP + ROW_STEP * i, nWidth, ROW_HEIGHT, SWP_NOZORDER);
    }
}

void CStatisticsDialog::PlaceButton(CImageWnd& button, int nID, int x, int y)
{
    if (!button.SubclassDlgItem(static_cast<UINT>(nID), this))
        return;
    button.SizeToContent();
    ::SetWindowPos(button.m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void CStatisticsDialog::FillPage(int nPage)
{
    const CString strFolder = GetDataFolder();
    char szSection[16];
    std::snprintf(szSection, sizeof szSection, "%d", nPage);
    int nRow = 0;
    for (const std::string& strName : FindFiles((strFolder + "*.ini").GetString()))
    {
        if (!IsPlayerStatisticsFile(strName))
            continue;
        if (nRow == ROWS)
            break;
        const std::string strPath = std::string(strFolder.GetString()) + strName;
        int anValue[STATS_LONGEST_STREAK + 1];
        for (int k = 0; k <= STATS_LONGEST_STREAK; ++k)
            anValue[k] = static_cast<int>(
                GetPrivateProfileInt(szSection, g_aszStatsKeys[static_cast<std::size_t>(k)], 0, strPath.c_str()));
        const auto row = static_cast<std::size_t>(nRow);
        ::SetWindowText(m_names[row].m_hWnd, PlayerNameOfFile(strName).GetString());
        ::SetWindowText(m_rounds[row].m_hWnd, Pair(anValue[STATS_ROUNDS_WON], anValue[STATS_ROUNDS_LOST]).GetString());
        ::SetWindowText(m_matches[row].m_hWnd,
                        Pair(anValue[STATS_MATCHES_WON], anValue[STATS_MATCHES_LOST]).GetString());
        ::SetWindowText(m_scratches[row].m_hWnd, Number(anValue[STATS_SCRATCHES]).GetString());
        ::SetWindowText(m_streaks[row].m_hWnd, Number(anValue[STATS_LONGEST_STREAK]).GetString());
        ++nRow;
    }
    // The picture names the page even when no player has played yet.
    ShowPagePicture(nPage);
}

void CStatisticsDialog::ShowPagePicture(int nPage)
{
    if (nPage < 0 || nPage >= PAGES)
        return;
    const UINT nPicture = PAGE_PICTURES[nPage];
    if (m_page.LoadBitmaps(nPicture, nPicture, nPicture))
        m_nPagePicture = nPicture;
}

BOOL CStatisticsDialog::OnCommand(WPARAM wParam, LPARAM lParam)
{
    switch (LOWORD(static_cast<DWORD>(wParam)))
    {
    case IDC_STATS_NEXT:
        OnNextPage();
        return TRUE;
    case IDC_STATS_PREV:
        OnPrevPage();
        return TRUE;
    case IDC_STATS_PAGE:
        return TRUE;
    default:
        return CSkinDialog::OnCommand(wParam, lParam);
    }
}

void CStatisticsDialog::OnNextPage()
{
    m_nCurrentPage = m_nCurrentPage + 1 >= PAGES ? 0 : m_nCurrentPage + 1;
    FillPage(m_nCurrentPage);
}

void CStatisticsDialog::OnPrevPage()
{
    m_nCurrentPage = m_nCurrentPage - 1 < 0 ? PAGES - 1 : m_nCurrentPage - 1;
    FillPage(m_nCurrentPage);
}

void CStatisticsDialog::OnOK()
{
    g_Settings.Save();
    EndDialog(IDOK);
}
