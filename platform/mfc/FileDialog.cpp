#include "platform/mfc/FileDialog.h"

#include "platform/win32/DebugLog.h"
#include "platform/win32/DialogTemplate.h"
#include "platform/win32/Files.h"
#include "platform/win32/MessageBox.h"

#include <algorithm>
#include <cstdio>
#include <set>
#include <sstream>

namespace
{
// Dialog units.
constexpr LONG WIDTH = 220;
constexpr LONG MARGIN = 8;
constexpr LONG LINE_HEIGHT = 10;
constexpr LONG EDIT_HEIGHT = 12;
constexpr LONG LIST_HEIGHT = 76;
constexpr LONG BUTTON_WIDTH = 50;
constexpr LONG BUTTON_HEIGHT = 14;
constexpr LONG BUTTON_GAP = 6;

SDialogControlTemplate Control(EDialogControl eKind, int nId, RECT rcUnits, const char* szText, bool bTabStop)
{
    SDialogControlTemplate control;
    control.eKind = eKind;
    control.nId = nId;
    control.rcUnits = rcUnits;
    control.strText = szText;
    control.bTabStop = bTabStop;
    return control;
}

SDialogTemplate MakeTemplate(bool bOpen, const CString& strKind)
{
    SDialogTemplate dialog;
    dialog.strCaption = bOpen ? "Open" : "Save As";
    dialog.nPointSize = 8;
    dialog.strFace = "MS Sans Serif";
    const LONG nListTop = MARGIN + LINE_HEIGHT;
    const LONG nEditTop = nListTop + LIST_HEIGHT + MARGIN / 2;
    const LONG nButtonTop = nEditTop + EDIT_HEIGHT + MARGIN;
    dialog.rcUnits = RECT{0, 0, WIDTH, nButtonTop + BUTTON_HEIGHT + MARGIN};
    dialog.aControls = {
        Control(EDialogControl::Static, IDC_FILE_DIALOG_KIND, RECT{MARGIN, MARGIN, WIDTH - MARGIN, nListTop},
                strKind.GetString(), false),
        Control(EDialogControl::Edit, IDC_FILE_DIALOG_NAME,
                RECT{MARGIN, nEditTop, WIDTH - MARGIN, nEditTop + EDIT_HEIGHT}, "", true),
        Control(EDialogControl::ListBox, IDC_FILE_DIALOG_LIST,
                RECT{MARGIN, nListTop, WIDTH - MARGIN, nListTop + LIST_HEIGHT}, "", true),
        Control(EDialogControl::DefaultButton, IDOK,
                RECT{WIDTH - MARGIN - 2 * BUTTON_WIDTH - BUTTON_GAP, nButtonTop,
                     WIDTH - MARGIN - BUTTON_WIDTH - BUTTON_GAP, nButtonTop + BUTTON_HEIGHT},
                bOpen ? "Open" : "Save", true),
        Control(EDialogControl::PushButton, IDCANCEL,
                RECT{WIDTH - MARGIN - BUTTON_WIDTH, nButtonTop, WIDTH - MARGIN, nButtonTop + BUTTON_HEIGHT}, "Cancel",
                true),
    };
    return dialog;
}

/// The folder a search starts in: the caller's, else the current one.
CString SearchFolder(LPCSTR szFolder)
{
    CString strFolder = szFolder != nullptr && *szFolder != '\0' ? CString(szFolder) : CString(".");
    if (strFolder.Right(1) != "\\" && strFolder.Right(1) != "/")
        strFolder += "\\";
    return strFolder;
}
} // namespace

CFileDialog::CFileDialog(BOOL bOpenFileDialog, LPCSTR szDefExt, LPCSTR szFileName, DWORD dwFlags, LPCSTR szFilter,
                         CWnd* pParentWnd)
    : CDialog(0, pParentWnd), m_bOpen(bOpenFileDialog), m_strDefExt(szDefExt != nullptr ? szDefExt : ""),
      m_strFileName(szFileName != nullptr ? szFileName : "")
{
    m_ofn.Flags = dwFlags;
    const CString strFilter(szFilter != nullptr ? szFilter : "");
    const int nBar = strFilter.Find('|');
    m_strKind = nBar >= 0 ? strFilter.Left(nBar) : strFilter;
    if (nBar >= 0)
    {
        m_strPatterns = strFilter.Mid(nBar + 1);
        if (const int nEnd = m_strPatterns.Find('|'); nEnd >= 0)
            m_strPatterns = m_strPatterns.Left(nEnd);
    }
}

std::vector<CString> CFileDialog::ListFiles() const
{
    // Each pattern's files once, in name order; a filter without patterns lists every file.
    const CString strFolder = SearchFolder(m_ofn.lpstrInitialDir);
    std::set<std::string> names;
    std::istringstream patterns(m_strPatterns.IsEmpty() ? std::string("*") : m_strPatterns.Str());
    for (std::string strPattern; std::getline(patterns, strPattern, ';');)
        if (!strPattern.empty())
            for (const std::string& strFile : FindFiles((strFolder + CString(strPattern)).GetString()))
                names.insert(strFile);
    return std::vector<CString>(names.begin(), names.end());
}

INT_PTR CFileDialog::DoModal() { return DoModalIndirect(MakeTemplate(m_bOpen != FALSE, m_strKind)); }

BOOL CFileDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_FILE_DIALOG_NAME, m_strFileName.GetString());
    m_astrFiles = ListFiles();
    const HWND hList = GetDlgItem(IDC_FILE_DIALOG_LIST);
    RECT rcList{};
    ::GetWindowRect(hList, &rcList); // in the dialog's client coordinates
    for (const CString& strFile : m_astrFiles)
    {
        const auto nRow =
            static_cast<WPARAM>(::SendMessage(hList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(strFile.GetString())));
        // The log names where each row is, for a script that clicks one.
        RECT rcRow{};
        ::SendMessage(hList, LB_GETITEMRECT, nRow, reinterpret_cast<LPARAM>(&rcRow));
        char szLine[MAX_PATH + 64];
        std::snprintf(szLine, sizeof szLine, "File chooser: %s at %d %d\n", strFile.GetString(),
                      rcList.left + (rcRow.left + rcRow.right) / 2, rcList.top + (rcRow.top + rcRow.bottom) / 2);
        OutputDebugString(szLine);
    }
    ::SetFocus(GetDlgItem(IDC_FILE_DIALOG_NAME));
    return FALSE;
}

BOOL CFileDialog::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(static_cast<DWORD>(wParam)) != IDC_FILE_DIALOG_LIST)
        return CDialog::OnCommand(wParam, lParam);
    // A row chosen puts its name in the name line; a double click opens it at once.
    const LRESULT nRow = ::SendMessage(GetDlgItem(IDC_FILE_DIALOG_LIST), LB_GETCURSEL, 0, 0);
    if (nRow >= 0 && static_cast<std::size_t>(nRow) < m_astrFiles.size())
    {
        const CString& strFile = m_astrFiles[static_cast<std::size_t>(nRow)];
        SetDlgItemText(IDC_FILE_DIALOG_NAME, strFile.GetString());
        OutputDebugString(("File chooser: " + strFile + " selected\n").GetString());
    }
    if (HIWORD(static_cast<DWORD>(wParam)) == LBN_DBLCLK)
        OnOK();
    return TRUE;
}

void CFileDialog::OnOK()
{
    CString strName = GetDlgItemText(IDC_FILE_DIALOG_NAME);
    strName.Trim();
    if (strName.IsEmpty())
    {
        MessageBeep(0xFFFFFFFF);
        return;
    }
    m_strFileName = strName;
    CDialog::OnOK();
}

CString CFileDialog::GetPathName() const
{
    CString strPath;
    if (m_ofn.lpstrInitialDir != nullptr && *m_ofn.lpstrInitialDir != '\0')
    {
        strPath = m_ofn.lpstrInitialDir;
        if (strPath.Right(1) != "\\" && strPath.Right(1) != "/")
            strPath += "\\";
    }
    strPath += m_strFileName;
    const int nSlash = std::max(m_strFileName.ReverseFind('\\'), m_strFileName.ReverseFind('/'));
    if (!m_strDefExt.IsEmpty() && m_strFileName.ReverseFind('.') <= nSlash)
    {
        if (m_strDefExt.Left(1) != ".")
            strPath += ".";
        strPath += m_strDefExt;
    }
    return strPath;
}
