#include "ui/SmallDialogs.h"

#include "foundation/ResourceBitmaps.h"
#include "foundation/Settings.h"
#include "platform/mfc/AfxResource.h"
#include "platform/win32/DebugLog.h"
#include "platform/win32/MessageBox.h"
#include "platform/win32/Modules.h"
#include "platform/win32/Registry.h"
#include "simulation/PhysicsCoefficients.h"

#include <algorithm>
#include <atomic>
#include <string>

namespace
{
constexpr const char* WAIT_QUESTION =
    "\nAnother Vorn game\nis waiting for opponent.\nDo you want to terminate it and \nstart new game?";

/// The physics dialog's edit controls and the coefficients they stand for, in table order.
struct SCoefficientField
{
    int nId;
    std::atomic<float> SPhysicsCoefficients::*pCoefficient;
};
constexpr SCoefficientField COEFFICIENT_FIELDS[CPhysicsDlg::COEFFICIENTS] = {
    {1003, &SPhysicsCoefficients::accelRollDeceler},      {1046, &SPhysicsCoefficients::BallBallFriction},
    {1005, &SPhysicsCoefficients::SideSpinDeceleration},  {1004, &SPhysicsCoefficients::m_dMaxFlightHeightPerR},
    {1040, &SPhysicsCoefficients::SideSpinCoeff},         {1041, &SPhysicsCoefficients::ForwardSpinCoeff},
    {1042, &SPhysicsCoefficients::VerticalVelocityCoeff}, {1043, &SPhysicsCoefficients::Decay},
    {1044, &SPhysicsCoefficients::SideSpinDecay},         {1045, &SPhysicsCoefficients::SideSpinInfluence},
};
} // namespace

// ---------------------------------------------------------------------------------------------------------------------
// The start-up question

CWaitOpponentDlg::CWaitOpponentDlg(CWnd* pParent) : CDialog(1300, pParent) {}

INT_PTR CWaitOpponentDlg::DoModal()
{
    if (const std::optional<int> nAnswer = TakeUnattendedAnswer(MB_OKCANCEL))
        return *nAnswer == IDOK ? IDOK : IDCANCEL;
    return CDialog::DoModal();
}

int AskToEndWaitingGame(const CString& strLibrary)
{
    OutputDebugString("A game is waiting for an opponent: the player is asked whether to end it\n");
    INT_PTR nAnswer = -1;
    if (const HMODULE hLibrary = LoadLibrary(strLibrary))
    {
        const HINSTANCE hPrevious = AfxGetResourceHandle();
        AfxSetResourceHandle(hLibrary);
        nAnswer = CWaitOpponentDlg(nullptr).DoModal();
        AfxSetResourceHandle(hPrevious);
        FreeLibrary(hLibrary);
    }
    if (nAnswer == IDOK || nAnswer == IDCANCEL)
        return static_cast<int>(nAnswer);
    return MessageBox(nullptr, "A game is waiting for an opponent. End it and start Vorn?", "Vorn",
                      MB_OKCANCEL | MB_ICONQUESTION) == IDOK
               ? IDOK
               : IDCANCEL;
}

void CWaitOpponentDlg::DoDataExchange(CDataExchange* pDX) { DDX_Check(pDX, IDC_WAIT_DO_NOT_ASK, m_nDoNotAsk); }

void CWaitOpponentDlg::OnOK()
{
    StoreDoNotAsk();
    EndDialog(IDOK);
}

void CWaitOpponentDlg::OnCancel()
{
    StoreDoNotAsk();
    EndDialog(IDCANCEL);
}

void CWaitOpponentDlg::StoreDoNotAsk()
{
    UpdateData(TRUE);
    HKEY hKey = nullptr;
    DWORD dwDisposition = 0;
    // A key that cannot be opened is ignored: the question comes again at the next start.
    if (RegCreateKeyEx(HKEY_LOCAL_MACHINE, "Software\\Tamberlin\\Vorn", 0, nullptr, REG_OPTION_NON_VOLATILE,
                       KEY_ALL_ACCESS, nullptr, &hKey, &dwDisposition) != ERROR_SUCCESS)
        return;
    const DWORD dwValue = static_cast<DWORD>(m_nDoNotAsk);
    RegSetValueEx(hKey, "Vorn warning", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwValue), sizeof dwValue);
    RegCloseKey(hKey);
}

BOOL CWaitOpponentDlg::OnEraseBkgnd(HDC hDC)
{
    RECT rcClient;
    GetClientRect(&rcClient);
    FillRect(hDC, &rcClient, GetSysColorBrush(COLOR_BTNFACE));
    const int nOldMode = SetBkMode(hDC, TRANSPARENT);
    const std::string strText = WAIT_QUESTION;
    RECT rcText{0, 0, 300, 300};
    DrawText(hDC, strText.c_str(), static_cast<int>(strText.size()), &rcText, DT_CALCRECT | DT_CENTER);
    const LONG nShift = std::max<LONG>(0, (rcClient.right - rcClient.left - (rcText.right - rcText.left)) / 2);
    rcText.left += nShift;
    rcText.right += nShift;
    DrawText(hDC, strText.c_str(), static_cast<int>(strText.size()), &rcText, DT_CENTER | DT_VCENTER);
    SetBkMode(hDC, nOldMode);
    return TRUE;
}

LRESULT CWaitOpponentDlg::WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg != WM_CTLCOLORSTATIC)
        return CDialog::WindowProc(uMsg, wParam, lParam);
    SetTextColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BTNTEXT));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

// ---------------------------------------------------------------------------------------------------------------------
// The physics coefficients

CPhysicsDlg::CPhysicsDlg(CWnd* pParent) : CDialog(150, pParent) {}

INT_PTR CPhysicsDlg::DoModal()
{
    for (std::size_t i = 0; i < m_adValue.size(); ++i)
        m_adValue[i] = static_cast<double>(Coef(g_PhysicsCoefficients.*COEFFICIENT_FIELDS[i].pCoefficient));
    const INT_PTR nResult = CDialog::DoModal();
    if (nResult == IDOK)
        for (std::size_t i = 0; i < m_adValue.size(); ++i)
            (g_PhysicsCoefficients.*COEFFICIENT_FIELDS[i].pCoefficient)
                .store(static_cast<float>(m_adValue[i]), std::memory_order_relaxed);
    return nResult;
}

void CPhysicsDlg::DoDataExchange(CDataExchange* pDX)
{
    // Every coefficient is kept as a float, so a typed value is taken with a float's precision, and
    // what does not fit a float is refused like a non-number; so is a value outside the range in
    // which the table stays physical.
    for (std::size_t i = 0; i < m_adValue.size(); ++i)
    {
        float fValue = static_cast<float>(m_adValue[i]);
        DDX_Text(pDX, COEFFICIENT_FIELDS[i].nId, fValue);
        const SCoefficientRange& range = CoefficientRange(COEFFICIENT_FIELDS[i].pCoefficient);
        DDV_MinMaxFloat(pDX, fValue, range.fLow, range.fHigh);
        m_adValue[i] = static_cast<double>(fValue);
    }
}

// ---------------------------------------------------------------------------------------------------------------------
// The match won

CMatchWonDlg::CMatchWonDlg(CWnd* pParent) : CSkinDialog(585, g_strDefaultResourceType.GetString(), 32216, pParent)
{
    SetButtonImages(0, 422, 423);
    SetShowCursorOnSetCursor();
}

void CMatchWonDlg::SetWinnerText(const char* szWinner)
{
    m_strText = CString((std::string(szWinner != nullptr ? szWinner : "") + " has won the match!").c_str());
}

BOOL CMatchWonDlg::OnInitDialog()
{
    CSkinDialog::OnInitDialog();
    const int x = (GetSystemMetrics(SM_CXSCREEN) - 812) / 2 + 124;
    const int y0 = (GetSystemMetrics(SM_CYSCREEN) - 600) / 2;
    MoveWindow(x, y0 + 122, 490, 193, TRUE);
    if (m_label.SubclassDlgItem(IDC_MATCH_WON_LABEL, this))
    {
        m_label.m_bCentred = 1;
        ::SetWindowPos(m_label.m_hWnd, nullptr, 0, 74, 490, 30, SWP_NOZORDER);
        ::SetWindowText(m_label.m_hWnd, m_strText.GetString());
    }
    ::SetWindowPos(GetDlgItem(IDOK), nullptr, 185, 144, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    CenterOnOwner(); // at last, as the game shows it
    return TRUE;
}

void CMatchWonDlg::OnOK()
{
    g_Settings.Save();
    EndDialog(IDOK);
}
