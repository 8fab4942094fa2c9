#include "platform/mfc/Dialog.h"

#include "platform/mfc/AfxResource.h"
#include "platform/win32/Clock.h"
#include "platform/win32/Cursor.h"
#include "platform/win32/DebugLog.h"
#include "platform/win32/KeyState.h"
#include "platform/win32/MessageBox.h"
#include "platform/win32/Modules.h"
#include "platform/win32/WindowOverlay.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string_view>

namespace
{
constexpr LPCSTR DIALOG_CLASS = "VornDialog";
constexpr LPCSTR ITEM_CLASS = "VornDialogItem";

// The dialogs' look: the felt green of the game's panels, cream text, brass frames.
constexpr COLORREF BACKGROUND = RGB(24, 64, 40);
constexpr COLORREF FACE = RGB(44, 92, 62);
constexpr COLORREF FACE_PRESSED = RGB(20, 44, 30);
constexpr COLORREF TEXT = RGB(238, 232, 210);
constexpr COLORREF TEXT_DISABLED = RGB(120, 140, 124);
constexpr COLORREF FRAME = RGB(196, 170, 104);
constexpr COLORREF FIELD = RGB(250, 248, 240);
constexpr COLORREF FIELD_TEXT = RGB(16, 16, 16);
constexpr int LIST_ROW_PADDING = 2; // pixels above and below a list row's text

struct SDataExchangeFailed
{
};

LRESULT ItemProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (auto* pDlg = dynamic_cast<CDialog*>(CWnd::FromHandle(GetParent(hWnd))); pDlg != nullptr)
        return pDlg->OnItemMessage(hWnd, uMsg, wParam, lParam);
    return DefWindowProc(hWnd, uMsg, wParam, lParam);
}

void RegisterDialogClasses()
{
    static const bool s_bRegistered = []
    {
        WNDCLASS wc;
        wc.lpfnWndProc = &AfxWndProc;
        wc.lpszClassName = DIALOG_CLASS;
        RegisterClass(&wc);
        wc.lpfnWndProc = &ItemProc;
        wc.lpszClassName = ITEM_CLASS;
        RegisterClass(&wc);
        return true;
    }();
    (void)s_bRegistered;
}

bool IsButton(EDialogControl eKind)
{
    return eKind == EDialogControl::PushButton || eKind == EDialogControl::DefaultButton ||
           eKind == EDialogControl::CheckBox || eKind == EDialogControl::OwnerDrawButton;
}

bool Contains(const RECT& rc, POINT pt)
{
    return pt.x >= rc.left && pt.x < rc.right && pt.y >= rc.top && pt.y < rc.bottom;
}

void Fill(HDC hDC, const RECT& rc, COLORREF cr)
{
    HBRUSH hBrush = CreateSolidBrush(cr);
    FillRect(hDC, &rc, hBrush);
    DeleteObject(hBrush);
}

void Frame(HDC hDC, const RECT& rc, COLORREF cr)
{
    HBRUSH hBrush = CreateSolidBrush(cr);
    FrameRect(hDC, &rc, hBrush);
    DeleteObject(hBrush);
}

void Text(HDC hDC, const CString& str, RECT rc, COLORREF cr, UINT nFormat)
{
    SetTextColor(hDC, cr);
    DrawText(hDC, str.GetString(), str.GetLength(), &rc, nFormat);
}

int ListRowHeight(HDC hDC)
{
    TEXTMETRIC metrics;
    GetTextMetrics(hDC, &metrics);
    return std::max<int>(1, metrics.tmHeight + 2 * LIST_ROW_PADDING);
}

CString WindowText(HWND hWnd)
{
    char sz[1024] = {};
    GetWindowText(hWnd, sz, static_cast<int>(sizeof sz));
    return CString(sz);
}
} // namespace

void CDataExchange::Fail(LPCSTR szMessage)
{
    ::MessageBox(m_pDlgWnd->m_hWnd, szMessage, "Vorn", MB_OK | MB_ICONEXCLAMATION);
    if (m_hLastControl != nullptr)
        ::SetFocus(m_hLastControl);
    throw SDataExchangeFailed{};
}

HWND CDataExchange::PrepareCtrl(int nIDC)
{
    m_hLastControl = m_pDlgWnd->GetDlgItem(nIDC);
    return m_hLastControl;
}

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value)
{
    pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
        value = pDX->m_pDlgWnd->GetDlgItemText(nIDC);
    else
        pDX->m_pDlgWnd->SetDlgItemText(nIDC, value.GetString());
}

void DDX_Text(CDataExchange* pDX, int nIDC, int& value)
{
    pDX->PrepareCtrl(nIDC);
    if (!pDX->m_bSaveAndValidate)
    {
        pDX->m_pDlgWnd->SetDlgItemText(nIDC, std::to_string(value).c_str());
        return;
    }
    const CString str = pDX->m_pDlgWnd->GetDlgItemText(nIDC);
    char* pEnd = nullptr;
    errno = 0;
    const long nValue = std::strtol(str.GetString(), &pEnd, 10);
    while (pEnd != nullptr && *pEnd == ' ')
        ++pEnd;
    if (str.GetLength() == 0 || pEnd == str.GetString() || *pEnd != '\0' || errno == ERANGE ||
        nValue < std::numeric_limits<int>::min() || nValue > std::numeric_limits<int>::max())
        pDX->Fail("Please enter an integer.");
    value = static_cast<int>(nValue);
}

void DDX_Text(CDataExchange* pDX, int nIDC, float& value)
{
    pDX->PrepareCtrl(nIDC);
    if (!pDX->m_bSaveAndValidate)
    {
        char sz[32];
        std::snprintf(sz, sizeof sz, "%.*g", std::numeric_limits<float>::digits10, static_cast<double>(value));
        pDX->m_pDlgWnd->SetDlgItemText(nIDC, sz);
        return;
    }
    const CString str = pDX->m_pDlgWnd->GetDlgItemText(nIDC);
    char* pEnd = nullptr;
    const double dValue = std::strtod(str.GetString(), &pEnd);
    while (pEnd != nullptr && *pEnd == ' ')
        ++pEnd;
    if (str.GetLength() == 0 || pEnd == str.GetString() || *pEnd != '\0' || !std::isfinite(dValue) ||
        std::fabs(dValue) > std::numeric_limits<float>::max())
        pDX->Fail("Please enter a number.");
    value = static_cast<float>(dValue);
}

void DDV_MinMaxFloat(CDataExchange* pDX, float value, float minVal, float maxVal)
{
    if (!pDX->m_bSaveAndValidate || (value >= minVal && value <= maxVal))
        return;
    char sz[96];
    std::snprintf(sz, sizeof sz, "Please enter a number between %g and %g.", static_cast<double>(minVal),
                  static_cast<double>(maxVal));
    pDX->Fail(sz);
}

void DDX_Check(CDataExchange* pDX, int nIDC, int& value)
{
    pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
        value = pDX->m_pDlgWnd->IsDlgButtonChecked(nIDC);
    else
        pDX->m_pDlgWnd->CheckDlgButton(nIDC, value);
}

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd) : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

CDialog::~CDialog()
{
    if (m_hFont != nullptr)
        DeleteObject(m_hFont);
}

INT_PTR CDialog::DoModal()
{
    HMODULE hModule = AfxGetResourceHandle();
    HRSRC hInfo = FindResource(hModule, MAKEINTRESOURCE(static_cast<WORD>(m_nIDTemplate)), RT_DIALOG);
    const auto* pData =
        hInfo != nullptr ? static_cast<const char*>(LockResource(LoadResource(hModule, hInfo))) : nullptr;
    SDialogTemplate dialogTemplate;
    std::string strError;
    if (pData == nullptr ||
        !ParseDialogTemplate(std::string_view(pData, SizeofResource(hModule, hInfo)), dialogTemplate, strError))
        return -1;
    return DoModalIndirect(dialogTemplate);
}

INT_PTR CDialog::DoModalIndirect(const SDialogTemplate& dialogTemplate)
{
    const HWND hOwner = m_pParentWnd != nullptr ? m_pParentWnd->m_hWnd : nullptr;
    const BOOL bOwnerWasDisabled = hOwner != nullptr ? EnableWindow(hOwner, FALSE) : TRUE;
    const HWND hFocusBefore = ::GetFocus();
    m_bEnded = false;
    m_nResult = IDCANCEL;
    const bool bCreated = CreateFromTemplate(dialogTemplate);
    if (bCreated)
    {
        m_hOverlayOwner = hOwner == nullptr ? m_hWnd : OverlayOwner(hOwner) != nullptr ? OverlayOwner(hOwner) : hOwner;
        if (SendMessage(WM_INITDIALOG, 0, 0) != 0)
            MoveFocus(false);
        m_bShown = true;
        Redraw();
        RunModalLoop();
        m_bShown = false;
        RemoveWindowOverlay(m_hOverlayOwner, m_hWnd);
        DestroyWindow();
    }
    else
        m_nResult = -1;
    if (hOwner != nullptr && !bOwnerWasDisabled)
        EnableWindow(hOwner, TRUE);
    // The window that had the keyboard before the dialog has it again, as after a modal dialog on
    // Windows; when that window is gone (another thread's, closed meanwhile), the owner has it.
    const HWND hFocusAfter = hFocusBefore != nullptr && IsWindow(hFocusBefore) ? hFocusBefore : hOwner;
    if (hFocusAfter != nullptr && IsWindow(hFocusAfter) && ::GetFocus() != hFocusAfter)
        ::SetFocus(hFocusAfter);
    // The log tells a script driving the dialog when it has gone and how it ended; it comes once the
    // owner takes input again, so that the script's next click or close reaches the owner.
    if (bCreated)
    {
        char szLine[64];
        std::snprintf(szLine, sizeof szLine, "Dialog %u: ended with %d\n", m_nIDTemplate, static_cast<int>(m_nResult));
        OutputDebugString(szLine);
    }
    for (const SItem& item : m_aItems)
        if (item.pView != nullptr)
            item.pView->Unbind();
    m_aItems.clear();
    return m_nResult;
}

bool CDialog::CreateFromTemplate(const SDialogTemplate& dialogTemplate)
{
    RegisterDialogClasses();
    if (m_hFont != nullptr)
        DeleteObject(m_hFont);
    m_hFont = CreateFont(-((dialogTemplate.nPointSize * 96 + 36) / 72), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0,
                         0, 0, 0, dialogTemplate.strFace.c_str());
    m_baseUnits = DialogBaseUnits(dialogTemplate.nPointSize, dialogTemplate.strFace);
    const RECT rc = DialogUnitsToPixels(dialogTemplate.rcUnits, m_baseUnits);
    m_nWidth = rc.right - rc.left;
    m_nHeight = rc.bottom - rc.top;
    // Placed in the middle of its owner, or of the desktop without one.
    RECT rcOwner{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (m_pParentWnd != nullptr)
        ::GetWindowRect(m_pParentWnd->m_hWnd, &rcOwner);
    const int x = rcOwner.left + (rcOwner.right - rcOwner.left - m_nWidth) / 2;
    const int y = rcOwner.top + (rcOwner.bottom - rcOwner.top - m_nHeight) / 2;
    if (!CreateEx(WS_EX_DLGMODALFRAME, DIALOG_CLASS, dialogTemplate.strCaption.c_str(), WS_POPUP | WS_VISIBLE, x, y,
                  m_nWidth, m_nHeight, m_pParentWnd != nullptr ? m_pParentWnd->m_hWnd : nullptr, nullptr))
        return false;
    m_aItems.clear();
    m_aItems.reserve(dialogTemplate.aControls.size());
    for (const SDialogControlTemplate& control : dialogTemplate.aControls)
    {
        SItem item;
        item.control = control;
        const RECT rcItem = DialogUnitsToPixels(control.rcUnits, m_baseUnits);
        DWORD dwStyle = WS_CHILD | (control.bHidden ? 0 : WS_VISIBLE) | (control.bDisabled ? WS_DISABLED : 0);
        item.hWnd = CreateWindowEx(0, ITEM_CLASS, control.strText.c_str(), dwStyle, rcItem.left, rcItem.top,
                                   rcItem.right - rcItem.left, rcItem.bottom - rcItem.top, m_hWnd,
                                   reinterpret_cast<void*>(static_cast<std::uintptr_t>(control.nId)), nullptr, nullptr);
        m_aItems.push_back(std::move(item));
    }
    return true;
}

void CDialog::RunModalLoop()
{
    while (!m_bEnded && IsWindow(m_hWnd))
    {
        MSG msg;
        if (GetMessage(&msg, nullptr, 0, 0) == 0)
        {
            PostQuitMessage(static_cast<int>(msg.wParam)); // the outer loop ends too
            m_nResult = IDCANCEL;
            return;
        }
        if (!PreTranslateMessage(&msg) && !IsDialogMessage(&msg))
            DispatchMessage(&msg);
        if (IsWindow(m_hWnd))
            Redraw();
    }
}

void CDialog::EndDialog(int nResult)
{
    m_nResult = nResult;
    m_bEnded = true;
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (UpdateData(TRUE))
        EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL CDialog::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    try
    {
        DoDataExchange(&dx);
    }
    catch (const SDataExchangeFailed&)
    {
        return FALSE;
    }
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

HWND CDialog::GetDlgItem(int nID) const
{
    const SItem* pItem = FindItemById(nID);
    return pItem != nullptr ? pItem->hWnd : nullptr;
}

void CDialog::SetDlgItemText(int nID, LPCSTR szText) { ::SetWindowText(GetDlgItem(nID), szText); }

CString CDialog::GetDlgItemText(int nID) const { return WindowText(GetDlgItem(nID)); }

void CDialog::CheckDlgButton(int nID, int nCheck) { ::SendMessage(GetDlgItem(nID), BM_SETCHECK, nCheck, 0); }

int CDialog::IsDlgButtonChecked(int nID) const
{
    return static_cast<int>(::SendMessage(GetDlgItem(nID), BM_GETCHECK, 0, 0));
}

LRESULT CDialog::WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_INITDIALOG)
        return OnInitDialog();
    if (uMsg == WM_ERASEBKGND)
        return OnEraseBkgnd(reinterpret_cast<HDC>(wParam));
    if (uMsg == WM_PAINT)
    {
        PaintNow();
        return 0;
    }
    if (uMsg == WM_CLOSE)
    {
        OnCancel();
        return 0;
    }
    return CWnd::WindowProc(uMsg, wParam, lParam);
}

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (CWnd::OnCommand(wParam, lParam))
        return TRUE;
    const UINT nID = LOWORD(static_cast<DWORD>(wParam));
    if (nID == IDOK)
        OnOK();
    else if (nID == IDCANCEL)
        OnCancel();
    else
        return FALSE;
    return TRUE;
}

CDialog::SItem* CDialog::FindItem(HWND hWnd)
{
    for (SItem& item : m_aItems)
        if (item.hWnd == hWnd)
            return &item;
    return nullptr;
}

const CDialog::SItem* CDialog::FindItemById(int nID) const
{
    for (const SItem& item : m_aItems)
        if (item.control.nId == nID)
            return &item;
    return nullptr;
}

CDialog::SItem* CDialog::ItemAt(POINT pt)
{
    for (SItem& item : m_aItems)
        if (::IsWindowVisible(item.hWnd) && IsWindowEnabled(item.hWnd) && Contains(ItemClientRect(item), pt) &&
            item.control.eKind != EDialogControl::Static)
            return &item;
    return nullptr;
}

LRESULT CDialog::OnItemMessage(HWND hItem, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    SItem* pItem = FindItem(hItem);
    if (pItem == nullptr)
        return DefWindowProc(uMsg, wParam, lParam);
    SItem& item = *pItem;
    switch (uMsg)
    {
    case BM_GETCHECK:
        return item.nCheck;
    case BM_SETCHECK:
        item.nCheck = static_cast<int>(wParam);
        return 0;
    case BM_CLICK:
        Press(item);
        return 0;
    case LB_ADDSTRING:
        item.aRows.emplace_back(reinterpret_cast<LPCSTR>(lParam));
        return static_cast<LRESULT>(item.aRows.size()) - 1;
    case LB_RESETCONTENT:
        item.aRows.clear();
        item.nCurSel = LB_ERR;
        item.nTopIndex = 0;
        return 0;
    case LB_SETCURSEL:
        item.nCurSel =
            static_cast<int>(wParam) < static_cast<int>(item.aRows.size()) ? static_cast<int>(wParam) : LB_ERR;
        if (item.nCurSel != LB_ERR)
            ScrollList(item, std::min(item.nTopIndex, item.nCurSel));
        return item.nCurSel;
    case LB_GETTOPINDEX:
        return item.nTopIndex;
    case LB_SETTOPINDEX:
        if (static_cast<int>(wParam) >= static_cast<int>(item.aRows.size()))
            return LB_ERR;
        ScrollList(item, static_cast<int>(wParam));
        return 0;
    case LB_GETITEMRECT:
    {
        if (static_cast<int>(wParam) >= static_cast<int>(item.aRows.size()) || lParam == 0)
            return LB_ERR;
        const RECT rc = ItemClientRect(item);
        const int nRowHeight = ListRowPixels();
        const LONG nTop = static_cast<LONG>((static_cast<int>(wParam) - item.nTopIndex) * nRowHeight);
        *reinterpret_cast<RECT*>(lParam) = RECT{1, nTop, rc.right - rc.left - 1, nTop + nRowHeight};
        return 0;
    }
    case LB_GETCURSEL:
        return item.nCurSel;
    case LB_GETCOUNT:
        return static_cast<LRESULT>(item.aRows.size());
    case WM_PAINT: // the dialog draws its controls
        PaintNow();
        return 0;
    case WM_CHAR:
        if (item.control.eKind == EDialogControl::Edit)
        {
            CString str = WindowText(hItem);
            if (wParam == VK_BACK)
                str = CString(
                    std::string_view(str.GetString(), static_cast<std::size_t>(std::max(0, str.GetLength() - 1))));
            else if (wParam >= 0x20 && wParam != 0x7F)
                str += CString(static_cast<char>(wParam));
            ::SetWindowText(hItem, str.GetString());
            ::SendMessage(m_hWnd, WM_COMMAND, MAKEWPARAM(item.control.nId, EN_CHANGE), reinterpret_cast<LPARAM>(hItem));
        }
        return 0;
    default:
        return ::DefWindowProc(hItem, uMsg, wParam, lParam);
    }
}

void CDialog::Press(SItem& item)
{
    if (!IsButton(item.control.eKind) || !IsWindowEnabled(item.hWnd))
        return;
    if (item.control.eKind == EDialogControl::CheckBox)
        item.nCheck = item.nCheck == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
    SendMessage(WM_COMMAND, MAKEWPARAM(item.control.nId, BN_CLICKED), reinterpret_cast<LPARAM>(item.hWnd));
}

int CDialog::ListRowPixels() const
{
    HDC hDC = CreateCompatibleDC(nullptr);
    HGDIOBJ hOld = SelectObject(hDC, m_hFont);
    const int nHeight = ListRowHeight(hDC);
    SelectObject(hDC, hOld);
    DeleteDC(hDC);
    return nHeight;
}

void CDialog::ScrollList(SItem& item, int nTop)
{
    const RECT rc = ItemClientRect(item);
    const int nPage = std::max<int>(1, static_cast<int>(rc.bottom - rc.top) / ListRowPixels());
    const int nLastTop = std::max(0, static_cast<int>(item.aRows.size()) - nPage);
    item.nTopIndex = std::clamp(nTop, 0, nLastTop);
}

void CDialog::SelectListRow(SItem& item, int nRow)
{
    if (nRow < 0 || nRow >= static_cast<int>(item.aRows.size()))
        return;
    const RECT rc = ItemClientRect(item);
    const int nPage = std::max<int>(1, static_cast<int>(rc.bottom - rc.top) / ListRowPixels());
    if (nRow < item.nTopIndex)
        ScrollList(item, nRow);
    else if (nRow >= item.nTopIndex + nPage)
        ScrollList(item, nRow - nPage + 1);
    if (nRow == item.nCurSel)
        return;
    item.nCurSel = nRow;
    SendMessage(WM_COMMAND, MAKEWPARAM(item.control.nId, LBN_SELCHANGE), reinterpret_cast<LPARAM>(item.hWnd));
}

void CDialog::PressListRow(SItem& item, int nRow, DWORD dwTime)
{
    SelectListRow(item, nRow);
    if (nRow < 0 || nRow >= static_cast<int>(item.aRows.size()))
        return;
    // Timed when the user pressed, so that a busy dialog that reads the presses late still tells
    // a double click.
    const bool bDouble =
        item.hWnd == m_hListPressed && nRow == m_nListRowPressed && dwTime - m_dwListPressed <= DOUBLE_CLICK_MS;
    // A third press starts a new double click, as it does on the desktop.
    m_hListPressed = bDouble ? nullptr : item.hWnd;
    m_nListRowPressed = nRow;
    m_dwListPressed = dwTime;
    if (bDouble)
        SendMessage(WM_COMMAND, MAKEWPARAM(item.control.nId, LBN_DBLCLK), reinterpret_cast<LPARAM>(item.hWnd));
}

void CDialog::MoveFocus(bool bBackward)
{
    std::vector<SItem*> aStops;
    for (SItem& item : m_aItems)
        if (item.control.bTabStop && ::IsWindowVisible(item.hWnd) && IsWindowEnabled(item.hWnd))
            aStops.push_back(&item);
    if (aStops.empty())
        return;
    const HWND hFocus = ::GetFocus();
    std::size_t nAt = aStops.size(); // none focused: the first (or last) stop
    for (std::size_t i = 0; i < aStops.size(); ++i)
        if (aStops[i]->hWnd == hFocus)
            nAt = i;
    std::size_t nNext = 0;
    if (nAt == aStops.size())
        nNext = bBackward ? aStops.size() - 1 : 0;
    else
        nNext = bBackward ? (nAt + aStops.size() - 1) % aStops.size() : (nAt + 1) % aStops.size();
    ::SetFocus(aStops[nNext]->hWnd);
}

BOOL CDialog::IsDialogMessage(const MSG* pMsg)
{
    if (pMsg->hwnd != m_hWnd && GetParent(pMsg->hwnd) != m_hWnd)
        return FALSE;
    SItem* pFocus = FindItem(::GetFocus());
    if (pMsg->message == WM_KEYDOWN)
    {
        switch (static_cast<int>(pMsg->wParam))
        {
        case VK_TAB:
            MoveFocus((GetAsyncKeyState(VK_SHIFT) & 0x8000) != 0);
            return TRUE;
        case VK_ESCAPE:
            SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            return TRUE;
        case VK_F1:
            SendMessage(WM_HELP, 0, 0);
            return TRUE;
        case VK_BACK:
            if (pFocus == nullptr || pFocus->control.eKind != EDialogControl::Edit)
                return FALSE;
            OnItemMessage(pFocus->hWnd, WM_CHAR, VK_BACK, 0);
            return TRUE;
        case VK_UP:
        case VK_DOWN:
            if (pFocus == nullptr || pFocus->control.eKind != EDialogControl::ListBox)
                return FALSE;
            SelectListRow(*pFocus, pFocus->nCurSel == LB_ERR                 ? pFocus->nTopIndex
                                   : static_cast<int>(pMsg->wParam) == VK_UP ? pFocus->nCurSel - 1
                                                                             : pFocus->nCurSel + 1);
            return TRUE;
        case VK_SPACE:
            if (pFocus != nullptr && IsButton(pFocus->control.eKind))
                Press(*pFocus);
            return pFocus == nullptr || pFocus->control.eKind != EDialogControl::Edit ? TRUE : FALSE;
        case VK_RETURN:
        {
            if (pFocus != nullptr && pFocus->control.eKind != EDialogControl::Edit && IsButton(pFocus->control.eKind) &&
                pFocus->control.eKind != EDialogControl::CheckBox)
            {
                Press(*pFocus);
                return TRUE;
            }
            for (SItem& item : m_aItems)
                if (item.control.eKind == EDialogControl::DefaultButton && IsWindowEnabled(item.hWnd) &&
                    ::IsWindowVisible(item.hWnd))
                {
                    Press(item);
                    return TRUE;
                }
            // A hidden or disabled OK button cannot be pressed from the keyboard either.
            if (const SItem* pOk = FindItemById(IDOK);
                pOk == nullptr || (IsWindowEnabled(pOk->hWnd) && ::IsWindowVisible(pOk->hWnd)))
                SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            return TRUE;
        }
        default:
            return FALSE;
        }
    }
    if (pMsg->message == WM_CHAR)
    {
        if (pFocus != nullptr && pFocus->control.eKind == EDialogControl::Edit)
            OnItemMessage(pFocus->hWnd, WM_CHAR, pMsg->wParam, pMsg->lParam);
        return TRUE;
    }
    if (pMsg->message == WM_MOUSEWHEEL)
    {
        // Three rows a notch, away from the user scrolling down.
        SItem* pList = pFocus != nullptr && pFocus->control.eKind == EDialogControl::ListBox ? pFocus : nullptr;
        for (SItem& item : m_aItems)
            if (pList == nullptr && item.control.eKind == EDialogControl::ListBox)
                pList = &item;
        if (pList != nullptr)
            ScrollList(*pList,
                       pList->nTopIndex - 3 * static_cast<short>(HIWORD(static_cast<DWORD>(pMsg->wParam))) / 120);
        return TRUE;
    }
    if (pMsg->message == WM_MOUSEMOVE && pMsg->hwnd == m_hWnd)
    {
        // A control under the mouse that sets its own cursor is asked first; else the dialog
        // chooses, as on each move over a window, and the arrow is the cursor otherwise.
        const POINT pt{GET_X_LPARAM(pMsg->lParam), GET_Y_LPARAM(pMsg->lParam)};
        const SItem* pUnder = ItemAt(pt);
        const bool bSetByControl = pUnder != nullptr && pUnder->pView != nullptr && pUnder->pView->OnDialogSetCursor();
        if (!bSetByControl &&
            SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(m_hWnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)) == FALSE)
            ::SetCursor(LoadCursor(nullptr, IDC_ARROW));
        for (const SItem& item : m_aItems)
            if (item.pView != nullptr)
                item.pView->OnDialogMouseMove(POINT{pt.x - ItemClientRect(item).left, pt.y - ItemClientRect(item).top});
        return TRUE;
    }
    if (pMsg->message == WM_LBUTTONDOWN || pMsg->message == WM_LBUTTONUP)
    {
        POINT pt{GET_X_LPARAM(pMsg->lParam), GET_Y_LPARAM(pMsg->lParam)};
        if (pMsg->hwnd != m_hWnd)
            if (const SItem* pFrom = FindItem(pMsg->hwnd); pFrom != nullptr)
                pt = POINT{pt.x + ItemClientRect(*pFrom).left, pt.y + ItemClientRect(*pFrom).top};
        const bool bOnSurface = pMsg->hwnd == m_hWnd && ItemAt(pt) == nullptr;
        OnMouse(pMsg->message, pt, pMsg->time);
        // A release on the dialog's own surface, over no control, also reaches the dialog's handlers.
        return bOnSurface && pMsg->message == WM_LBUTTONUP ? FALSE : TRUE;
    }
    return FALSE;
}

void CDialog::OnMouse(UINT uMsg, POINT pt, DWORD dwTime)
{
    SItem* pItem = ItemAt(pt);
    if (uMsg == WM_LBUTTONDOWN)
    {
        m_hPressed = pItem != nullptr ? pItem->hWnd : nullptr;
        if (pItem != nullptr && pItem->control.bTabStop)
            ::SetFocus(pItem->hWnd);
        if (pItem != nullptr && pItem->control.eKind == EDialogControl::ListBox)
            PressListRow(*pItem, pItem->nTopIndex + (pt.y - ItemClientRect(*pItem).top) / ListRowPixels(), dwTime);
        return;
    }
    const HWND hPressed = m_hPressed;
    m_hPressed = nullptr;
    if (pItem != nullptr && pItem->hWnd == hPressed) // released over the control it was pressed on
        Press(*pItem);
}

void CDialog::DrawItem(HDC hDC, const SItem& item)
{
    if (!::IsWindowVisible(item.hWnd))
        return;
    const bool bEnabled = IsWindowEnabled(item.hWnd) != FALSE;
    const bool bFocus = ::GetFocus() == item.hWnd;
    const CString strText = WindowText(item.hWnd);
    COLORREF crText = bEnabled ? TEXT : TEXT_DISABLED;
    if (bEnabled && (item.control.eKind == EDialogControl::Static || item.control.eKind == EDialogControl::CheckBox) &&
        SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(hDC), reinterpret_cast<LPARAM>(item.hWnd)) != 0)
        crText = GetTextColor(hDC);
    RECT rc = ItemClientRect(item);
    if (item.pView != nullptr)
    {
        const DRAWITEMSTRUCT dis = ButtonDrawItem(hDC, item);
        item.pView->DrawItem(&dis);
        return;
    }
    switch (item.control.eKind)
    {
    case EDialogControl::Static:
        Text(hDC, strText, rc, crText, DT_LEFT | DT_WORDBREAK);
        break;
    case EDialogControl::PushButton:
    case EDialogControl::DefaultButton:
        Fill(hDC, rc, m_hPressed == item.hWnd ? FACE_PRESSED : FACE);
        Frame(hDC, rc, FRAME);
        if (item.control.eKind == EDialogControl::DefaultButton || bFocus)
            Frame(hDC, RECT{rc.left + 1, rc.top + 1, rc.right - 1, rc.bottom - 1}, FRAME);
        Text(hDC, strText, rc, crText, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        break;
    case EDialogControl::CheckBox:
    {
        const int nBox = std::min<int>(rc.bottom - rc.top, 13);
        const RECT rcBox{rc.left, rc.top + (rc.bottom - rc.top - nBox) / 2, rc.left + nBox,
                         rc.top + (rc.bottom - rc.top + nBox) / 2};
        Fill(hDC, rcBox, FIELD);
        Frame(hDC, rcBox, FRAME);
        if (item.nCheck == BST_CHECKED)
            Fill(hDC, RECT{rcBox.left + 3, rcBox.top + 3, rcBox.right - 3, rcBox.bottom - 3}, FIELD_TEXT);
        Text(hDC, strText, RECT{rc.left + nBox + 4, rc.top, rc.right, rc.bottom}, crText,
             DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        break;
    }
    case EDialogControl::OwnerDrawButton:
    {
        DRAWITEMSTRUCT dis = ButtonDrawItem(hDC, item);
        SendMessage(WM_DRAWITEM, static_cast<WPARAM>(item.control.nId), reinterpret_cast<LPARAM>(&dis));
        break;
    }
    case EDialogControl::Edit:
        Fill(hDC, rc, FIELD);
        Frame(hDC, rc, bFocus ? FRAME : TEXT_DISABLED);
        Text(hDC, strText + (bFocus ? CString("|") : CString()), RECT{rc.left + 3, rc.top, rc.right - 2, rc.bottom},
             FIELD_TEXT, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        break;
    case EDialogControl::ListBox:
    {
        if (const auto hBrush = reinterpret_cast<HBRUSH>(
                SendMessage(WM_CTLCOLORLISTBOX, reinterpret_cast<WPARAM>(hDC), reinterpret_cast<LPARAM>(item.hWnd)));
            hBrush != nullptr)
            FillRect(hDC, &rc, hBrush);
        else
            Fill(hDC, rc, FIELD);
        Frame(hDC, rc, FRAME);
        const int nRowHeight = ListRowHeight(hDC);
        for (auto i = static_cast<std::size_t>(item.nTopIndex); i < item.aRows.size(); ++i)
        {
            const LONG nTop = rc.top + static_cast<LONG>(i - static_cast<std::size_t>(item.nTopIndex)) * nRowHeight;
            if (nTop >= rc.bottom)
                break;
            DRAWITEMSTRUCT dis;
            dis.CtlType = ODT_LISTBOX;
            dis.CtlID = static_cast<UINT>(item.control.nId);
            dis.itemID = static_cast<UINT>(i);
            dis.itemState = static_cast<int>(i) == item.nCurSel ? ODS_SELECTED : 0;
            dis.hwndItem = item.hWnd;
            dis.hDC = hDC;
            dis.rcItem = RECT{rc.left + 1, nTop, rc.right - 1, std::min<LONG>(nTop + nRowHeight, rc.bottom)};
            if (SendMessage(WM_DRAWITEM, static_cast<WPARAM>(item.control.nId), reinterpret_cast<LPARAM>(&dis)) == 0)
            {
                if (dis.itemState == ODS_SELECTED)
                    Fill(hDC, dis.rcItem, FACE);
                Text(hDC, item.aRows[i], RECT{dis.rcItem.left + 2, dis.rcItem.top, dis.rcItem.right, dis.rcItem.bottom},
                     dis.itemState == ODS_SELECTED ? TEXT : FIELD_TEXT, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
            }
        }
        break;
    }
    }
}

void CDialog::DrawDialog(HDC hDC)
{
    HGDIOBJ hOldFont = SelectObject(hDC, m_hFont);
    SetBkMode(hDC, TRANSPARENT);
    OnEraseBkgnd(hDC);
    for (const SItem& item : m_aItems)
        DrawItem(hDC, item);
    SelectObject(hDC, hOldFont);
}

BOOL CDialog::OnEraseBkgnd(HDC hDC)
{
    Fill(hDC, RECT{0, 0, m_nWidth, m_nHeight}, BACKGROUND);
    Frame(hDC, RECT{0, 0, m_nWidth, m_nHeight}, FRAME);
    return TRUE;
}

RECT CDialog::ItemClientRect(const SItem& item)
{
    RECT rc; // the window table keeps a child's rectangle in its parent's client coordinates
    ::GetWindowRect(item.hWnd, &rc);
    return rc;
}

DRAWITEMSTRUCT CDialog::ButtonDrawItem(HDC hDC, const SItem& item) const
{
    const bool bPushed = m_hPressed == item.hWnd || (item.pView != nullptr && item.pView->IsPushed());
    DRAWITEMSTRUCT dis;
    dis.CtlType = ODT_BUTTON;
    dis.CtlID = static_cast<UINT>(item.control.nId);
    dis.itemState = (bPushed ? ODS_SELECTED : 0) | (IsWindowEnabled(item.hWnd) ? 0 : ODS_DISABLED) |
                    (::GetFocus() == item.hWnd ? ODS_FOCUS : 0);
    dis.hwndItem = item.hWnd;
    dis.hDC = hDC;
    dis.rcItem = ItemClientRect(item);
    return dis;
}

bool CDialog::BindItem(int nID, IDialogItemView* pView)
{
    for (SItem& item : m_aItems)
        if (item.control.nId == nID)
        {
            item.pView = pView;
            return true;
        }
    return false;
}

void CDialog::PaintNow()
{
    // Before the run shows the dialog there is nothing on screen to bring up to date.
    if (m_bShown)
        Redraw();
}

void CDialog::Redraw()
{
    RECT rcClient;
    ::GetClientRect(m_hWnd, &rcClient);
    m_nWidth = rcClient.right - rcClient.left;
    m_nHeight = rcClient.bottom - rcClient.top;
    m_aPixels.assign(static_cast<std::size_t>(m_nWidth) * static_cast<std::size_t>(m_nHeight), 0);
    if (m_aPixels.empty())
        return;
    SGdiPixels pixels;
    pixels.pBits = reinterpret_cast<BYTE*>(m_aPixels.data());
    pixels.nWidth = m_nWidth;
    pixels.nHeight = m_nHeight;
    pixels.nPitch = m_nWidth * 4;
    HDC hDC = CreatePixelsDC(pixels);
    DrawDialog(hDC);
    DeleteDC(hDC);
    ShowWindowOverlay(m_hOverlayOwner, SWindowOverlay{m_hWnd, m_aPixels, m_nWidth, m_nHeight, OverlayPosition()});
}

POINT CDialog::OverlayPosition() const
{
    if (m_hOverlayOwner == m_hWnd)
        return POINT{};
    RECT rcOwner;
    RECT rcDialog;
    ::GetWindowRect(m_hOverlayOwner, &rcOwner);
    ::GetWindowRect(m_hWnd, &rcDialog);
    const auto clamp = [](LONG n, LONG nSpace) { return std::max<LONG>(0, std::min(n, nSpace)); };
    return POINT{clamp(rcDialog.left - rcOwner.left, rcOwner.right - rcOwner.left - m_nWidth),
                 clamp(rcDialog.top - rcOwner.top, rcOwner.bottom - rcOwner.top - m_nHeight)};
}

const std::vector<DWORD>& CDialog::GetSurfacePixels(int* pWidth, int* pHeight) const
{
    *pWidth = m_nWidth;
    *pHeight = m_nHeight;
    return m_aPixels;
}

BOOL CBoundControl::SubclassDlgItem(UINT nID, CDialog* pParent)
{
    if (pParent == nullptr || !pParent->BindItem(static_cast<int>(nID), this))
        return FALSE;
    m_hWnd = pParent->GetDlgItem(static_cast<int>(nID));
    return TRUE;
}

CString CBoundControl::GetWindowText() const { return WindowText(m_hWnd); }
