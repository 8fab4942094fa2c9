#include "platform/mfc/FileDialog.h"

#include "platform/win32/DialogTemplate.h"
#include "platform/win32/MessageBox.h"

#include <algorithm>

namespace
{
// Dialog units.
constexpr LONG WIDTH = 220;
constexpr LONG MARGIN = 8;
constexpr LONG LINE_HEIGHT = 10;
constexpr LONG EDIT_HEIGHT = 12;
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
    const LONG nEditTop = MARGIN + LINE_HEIGHT;
    const LONG nButtonTop = nEditTop + EDIT_HEIGHT + MARGIN;
    dialog.rcUnits = RECT{0, 0, WIDTH, nButtonTop + BUTTON_HEIGHT + MARGIN};
    dialog.aControls = {
        Control(EDialogControl::Static, IDC_FILE_DIALOG_KIND, RECT{MARGIN, MARGIN, WIDTH - MARGIN, nEditTop},
                strKind.GetString(), false),
        Control(EDialogControl::Edit, IDC_FILE_DIALOG_NAME,
                RECT{MARGIN, nEditTop, WIDTH - MARGIN, nEditTop + EDIT_HEIGHT}, "", true),
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
}

INT_PTR CFileDialog::DoModal() { return DoModalIndirect(MakeTemplate(m_bOpen != FALSE, m_strKind)); }

BOOL CFileDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_FILE_DIALOG_NAME, m_strFileName.GetString());
    ::SetFocus(GetDlgItem(IDC_FILE_DIALOG_NAME));
    return FALSE;
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
