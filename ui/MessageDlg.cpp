#include "ui/MessageDlg.h"

#include "foundation/ErrorBox.h"
#include "foundation/Settings.h"
#include "media/Speech.h"
#include "platform/win32/MessageBox.h"
#include "render/Environment3D.h"

#include <cstdio>

namespace
{
constexpr int CONTROL_THIRD = 4;
constexpr COLORREF WHITE = RGB(255, 255, 255);
constexpr COLORREF YELLOW = RGB(250, 250, 0);

CMessageDlg* s_pOpen = nullptr; // main thread only

SMessageDlgLook SureLook(int nBackground, const char* szSound)
{
    return SMessageDlgLook{299, nBackground, {314, 315}, {316, 317}, szSound};
}
} // namespace

CMessageDlg::CMessageDlg(const SMessageDlgLook& look, CWnd* pParent)
    : CSkinDialog(look.nTemplate, "_DATA", look.nBackground, pParent), m_strSound(look.szSound)
{
    SetButtonImages(0, look.anSet0[0], look.anSet0[1]);
    SetButtonImages(1, look.anSet1[0], look.anSet1[1]);
    SetFitToBackground(TRUE);
}

CMessageDlg::~CMessageDlg()
{
    if (m_bOpen)
        s_pOpen = m_pUnder;
}

CMessageDlg* CMessageDlg::GetOpen() { return s_pOpen; }

BOOL CMessageDlg::OnInitDialog()
{
    CSkinDialog::OnInitDialog();
    m_pUnder = s_pOpen;
    s_pOpen = this;
    m_bOpen = true;
    CenterOnOwner();
    // The commentary held back is let go while the dialog is up, and the dialog's own sound is handed
    // to it (silent while the commentary switch is off).
    g_Speech.ResumeSound();
    if (g_Settings.m_nSpeechMode != 0 && !m_strSound.IsEmpty())
        g_Speech.SayText(m_strSound);
    return TRUE;
}

BOOL CMessageDlg::DestroyWindow()
{
    if (m_bOpen)
    {
        s_pOpen = m_pUnder;
        m_bOpen = false;
    }
    return CSkinDialog::DestroyWindow();
}

void CMessageDlg::MoveControl(int nID, int x, int y)
{
    ::SetWindowPos(GetDlgItem(nID), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void CMessageDlg::StyleLabel(CLinkCtrl& label, COLORREF crText)
{
    label.SetTextColor(crText).SetUnderline(0).SetFontSize(14).SetBold(true).SetTransparent(true);
}

CErrorDlg::CErrorDlg(const CString& strText, CWnd* pParent)
    : CMessageDlg(SMessageDlgLook{294, 324, {489, 490}, {489, 490}, "MSG_ERROR.WAV"}, pParent), m_strText(strText)
{
}

BOOL CErrorDlg::OnInitDialog()
{
    CMessageDlg::OnInitDialog();
    if (m_label.SubclassDlgItem(IDC_MESSAGE_LABEL, this))
    {
        m_label.SetText(m_strText);
        StyleLabel(m_label, WHITE);
        m_label.FitPathText();
    }
    MoveControl(IDOK, 64, 150);
    return TRUE;
}

CMsgLostDlg::CMsgLostDlg(CWnd* pParent)
    : CMessageDlg(SMessageDlgLook{296, 326, {306, 307}, {306, 307}, "MSG_LOST.WAV"}, pParent)
{
}

CMsgSureDlg::CMsgSureDlg(CWnd* pParent, int nBackground) : CMsgSureDlg(pParent, nBackground, "MSG_SURE.WAV") {}

CMsgSureDlg::CMsgSureDlg(CWnd* pParent, int nBackground, const char* szSound)
    : CMessageDlg(SureLook(nBackground, szSound), pParent)
{
}

BOOL CMsgSureDlg::OnInitDialog()
{
    CMessageDlg::OnInitDialog();
    MoveControl(IDOK, 64, 150);
    MoveControl(IDCANCEL, 203, 150);
    return TRUE;
}

CMsgNewGameDlg::CMsgNewGameDlg(CWnd* pParent, int nBackground) : CMsgSureDlg(pParent, nBackground, "MSG_NewGame.WAV") {}

CMsgDlg299::CMsgDlg299(CWnd* pParent, int nBackground)
    : CMessageDlg(SMessageDlgLook{299, nBackground, {487, 488}, {487, 488}, ""}, pParent)
{
}

BOOL CMsgDlg299::OnInitDialog()
{
    CMessageDlg::OnInitDialog();
    ::ShowWindow(GetDlgItem(IDOK), SW_HIDE);
    MoveControl(IDCANCEL, 256, 457);
    return TRUE;
}

CMsgTextDlg::CMsgTextDlg(const char* szText, CWnd* pParent, int nBackground)
    : CMessageDlg(SMessageDlgLook{298, nBackground, {487, 488}, {487, 488}, ""}, pParent),
      m_strText(szText != nullptr ? szText : ""), m_bHasText(szText != nullptr)
{
}

BOOL CMsgTextDlg::OnInitDialog()
{
    CMessageDlg::OnInitDialog();
    if (m_bHasText && m_label.SubclassDlgItem(IDC_MESSAGE_LABEL, this))
    {
        StyleLabel(m_label, YELLOW);
        m_label.SetText(m_strText);
    }
    else
        ::ShowWindow(GetDlgItem(IDC_MESSAGE_LABEL), SW_HIDE);
    MoveControl(IDOK, 131, 150);
    return TRUE;
}

CMsgCloseDlg::CMsgCloseDlg(CWnd* pParent)
    : CMessageDlg(SMessageDlgLook{477, 472, {475, 476}, {473, 474}, "MSG_CLOSE.WAV"}, pParent)
{
}

CMsgDlg567::CMsgDlg567(CWnd* pParent) : CMessageDlg(SMessageDlgLook{567, 568, {570, 569}, {572, 571}, ""}, pParent) {}

CMsgExitDlg::CMsgExitDlg(CWnd* pParent)
    : CMessageDlg(SMessageDlgLook{-1, 651, {646, 645}, {650, 649}, ""}, pParent),
      m_bThirdLoaded(m_third.LoadBitmaps(647, 648))
{
}

BOOL CMsgExitDlg::OnInitDialog()
{
    CMessageDlg::OnInitDialog();
    if (m_bThirdLoaded && m_third.SubclassDlgItem(CONTROL_THIRD, this))
        m_third.SizeToContent();
    return TRUE;
}

BOOL CMsgExitDlg::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(static_cast<DWORD>(wParam)) == CONTROL_THIRD)
    {
        EndDialog(CONTROL_THIRD);
        return TRUE;
    }
    return CMessageDlg::OnCommand(wParam, lParam);
}

void ShowErrorBoxDialog(const char* szText)
{
    const char* szShown = szText != nullptr ? szText : "";
    // As with every box, the text is kept on standard error, and where nobody could close the box
    // (no screen, or the input script answers it) it is not shown.
    std::fprintf(stderr, "Vorn: %s\n", szShown);
    if (TakeUnattendedAnswer(MB_OK).has_value())
        return;
    const CModalModeScope modal;
    CErrorDlg dlg(CString(szShown), nullptr);
    // Without its template the error would go unseen: the plain box tells it instead.
    if (dlg.DoModal() == -1)
        ::MessageBox(nullptr, szShown, "Vorn", MB_OK | MB_ICONHAND);
}

void InstallErrorBoxDialog() { SetErrorBoxHandler(&ShowErrorBoxDialog); }
