// The statistics dialog: the win and loss records of every player who has played on this machine,
// one page per statistics column, read from the players' files in the data folder. It writes
// nothing of its own but saves the settings when closed with OK. Callers run
// CStatisticsDialog(pParent).DoModal().
#pragma once

#include "ui/LabelStatic.h"
#include "ui/SkinDialog.h"

#include <array>

/// The statistics dialog's controls.
enum EStatisticsControl : int
{
    IDC_STATS_NEXT = 1117,
    IDC_STATS_PREV = 1157,
    IDC_STATS_PAGE = 1116,
    IDC_STATS_NAME = 1185, // the first cell of each column; the column's rows follow
    IDC_STATS_ROUNDS = 1196,
    IDC_STATS_MATCHES = 1206,
    IDC_STATS_SCRATCHES = 1216,
    IDC_STATS_STREAK = 1226,
};

class CStatisticsDialog : public CSkinDialog
{
public:
    static constexpr int ROWS = 10; // players listed on a page
    static constexpr int PAGES = 6; // one per statistics column

    explicit CStatisticsDialog(CWnd* pParent);

    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    /// Saves the settings, then ends with IDOK.
    void OnOK() override;
    /// Fills every row with the page's figures of the players' files, the first ten found.
    void FillPage(int nPage);
    void OnNextPage();
    void OnPrevPage();

    int m_nCurrentPage = 0;
    /// The picture shown for the page now.
    UINT m_nPagePicture = 0;

private:
    using CColumn = std::array<CLabelStatic, ROWS + 1>; // the last cell is never attached

    void PlaceColumn(CColumn& column, int nFirstId, int x, int nWidth);
    void PlaceButton(CImageWnd& button, int nID, int x, int y);
    void ShowPagePicture(int nPage);

    CColumn m_names;
    CColumn m_rounds;
    CColumn m_matches;
    CColumn m_scratches;
    CColumn m_streaks;
    CImageWnd m_next;
    CImageWnd m_prev;
    CImageWnd m_page;
};

/// Whether a file of the data folder is a player's statistics file: "*.ini" in any case, not hidden,
/// and none of the settings files of this program and its two siblings.
bool IsPlayerStatisticsFile(const std::string& strName);
/// The player's name shown for a file: its name with every ".ini" (exactly so written) taken out.
CString PlayerNameOfFile(const std::string& strName);
