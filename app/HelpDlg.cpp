#include "app/HelpDlg.h"

#include "app/MainFrame.h"
#include "app/VornApp.h"
#include "foundation/ErrorBox.h"
#include "foundation/Folders.h"
#include "foundation/ResourceBitmaps.h"
#include "foundation/Settings.h"
#include "platform/mfc/CFile.h"
#include "platform/mfc/WinApp.h"
#include "platform/win32/Cursor.h"
#include "platform/win32/Shell.h"
#include "ui/MessageDlg.h"

#include <cstdint>
#include <initializer_list>

namespace
{
CString FirstExisting(std::initializer_list<CString> astrPaths)
{
    CFileStatus status;
    for (const CString& strPath : astrPaths)
        if (CFile::GetStatus(strPath, status))
            return strPath;
    return CString();
}

CString Lowered(CString strText)
{
    strText.MakeLower();
    return strText;
}

/// In full screen a running game gives the screen up for the page: the player is asked first,
/// and on OK its window is minimised. Whether the page is to be opened.
bool MakeRoomForThePage()
{
    auto* pFrame = dynamic_cast<CMainFrame*>(AfxGetMainWnd());
    if (g_Settings.m_nFullScreen == 0 || pFrame == nullptr || !pFrame->IsGameStarted())
        return true;
    CMsgDlg567 question(pFrame);
    if (question.DoModal() != IDOK)
        return false;
    pFrame->MinimizeWindow();
    return true;
}
} // namespace

INT_PTR RunHelpDialog(CWnd* pParent)
{
    CHelpDlg dlg(pParent);
    const INT_PTR nResult = dlg.DoModal();
    if (nResult == -1)
    {
        CString strText;
        strText.Format("The help dialog (dialog %d) is missing from the program library.", IDD_HELP);
        ShowErrorBoxText(strText);
    }
    return nResult;
}

CHelpDlg::CHelpDlg(CWnd* pParent)
    : CSkinDialog(IDD_HELP, g_strDefaultResourceType.GetString(), IDB_HELP_BACKGROUND, pParent)
{
    SetFitToBackground(TRUE);
}

CHelpDlg::~CHelpDlg()
{
    while (ShowCursor(FALSE) >= 0)
    {
    }
}

BOOL CHelpDlg::OnInitDialog()
{
    CSkinDialog::OnInitDialog();
    m_open.LoadBitmaps(338, 339, 338);
    m_open.SubclassDlgItem(IDC_OPEN_HELP, this);
    return TRUE;
}

void CHelpDlg::OnOpenHelp()
{
    const CString strDefault = GetProgramFolder() + "Help\\Help.htm";
    const CString strKept = GetArtworkIniString("Help", strDefault);
    const CString strPath = FirstExisting({strKept, strDefault, GetDefaultArtworkFolder() + "Help\\Help.htm"});
    if (strPath.IsEmpty())
    {
        ShowErrorBoxWith(IDS_HELP_NOT_OPENED, Lowered(strKept));
        WriteArtworkIniString("Help", strKept);
        return;
    }
    WriteArtworkIniString("Help", strPath);
    if (!MakeRoomForThePage())
    {
        EndDialog(IDCANCEL);
        return;
    }
    const auto nOpened =
        reinterpret_cast<std::intptr_t>(ShellExecute(nullptr, "open", strPath, nullptr, nullptr, SW_SHOWNORMAL));
    if (nOpened <= 32)
        ShowErrorBoxWith(IDS_HELP_NOT_OPENED, Lowered(strPath));
    EndDialog(IDOK);
}

const SMessageMap* CHelpDlg::GetThisMessageMap()
{
    static const SMessageEntry s_aEntries[] = {MapCommand<&CHelpDlg::OnOpenHelp>(IDC_OPEN_HELP)};
    static const SMessageMap s_map{CSkinDialog::GetThisMessageMap(), s_aEntries};
    return &s_map;
}
