#include "ui/SaveGameDialog.h"

#include "foundation/DialogResultMask.h"
#include "foundation/ErrorBox.h"
#include "foundation/ResourceBitmaps.h"
#include "foundation/Settings.h"
#include "platform/win32/Files.h"

#include <algorithm>
#include <string>

namespace
{
constexpr int BACKGROUND = 627;
constexpr UINT TITLE_LOAD = 625, TITLE_SAVE = 624, HEADING = 626;
constexpr UINT OK_PRESSED = 622, OK_NORMAL = 623, CANCEL_PRESSED = 620, CANCEL_NORMAL = 621;
constexpr int IDC_NAME = 1102;
constexpr int IDC_LIST = 1156;
constexpr int IDC_NAME_LABEL = 1164;
constexpr int IDC_TITLE = 1165;
constexpr int IDC_HEADING = 1166;
/// The dialog's size and where its controls lie, in pixels: laid out over the background.
constexpr int DIALOG_W = 420, DIALOG_H = 400;
constexpr RECT LIST_RECT{40, 92, 380, 262};
constexpr RECT LABEL_RECT{40, 276, 100, 300};
constexpr RECT NAME_RECT{104, 276, 380, 300};
constexpr POINT TITLE_AT{80, 14}, HEADING_AT{40, 66}, OK_AT{80, 340}, CANCEL_AT{220, 340};
constexpr const char* EXTENSION = ".sav";
constexpr int EXTENSION_LENGTH = 4;

bool EndsWithExtension(const std::string& s)
{
    return s.size() >= EXTENSION_LENGTH && CString(s.substr(s.size() - EXTENSION_LENGTH)).CompareNoCase(EXTENSION) == 0;
}

bool IsControl(char ch) { return static_cast<unsigned char>(ch) < 0x20 || ch == 0x7f; }
} // namespace

CSaveGameDialog::CSaveGameDialog(BOOL bSaveMode, CWnd* pParent)
    : CSkinDialog(SAVE_GAME_TEMPLATE, g_strDefaultResourceType.GetString(), BACKGROUND, pParent), m_bSaveMode(bSaveMode)
{
    SetButtonImages(0, OK_PRESSED, OK_NORMAL);
    SetButtonImages(1, CANCEL_PRESSED, CANCEL_NORMAL);
}

std::vector<CString> CSaveGameDialog::ListSavedGames(const CString& strFolder)
{
    std::vector<CString> astrNames;
    for (const std::string& strFile : FindFiles((strFolder + "*.sav").GetString()))
        if (EndsWithExtension(strFile) && strFile.size() > EXTENSION_LENGTH)
            astrNames.emplace_back(strFile.substr(0, strFile.size() - EXTENSION_LENGTH));
    std::sort(astrNames.begin(), astrNames.end(), [](const CString& a, const CString& b) { return a.Str() < b.Str(); });
    return astrNames;
}

CString CSaveGameDialog::CheckName(const CString& strTyped, CString& strReason)
{
    std::string s = strTyped.Str();
    if (EndsWithExtension(s))
        s.resize(s.size() - EXTENSION_LENGTH);
    if (s.empty())
        strReason = "Please type a name for the saved game.";
    else if (s.find_first_of("\\/") != std::string::npos || s.find("..") != std::string::npos)
        strReason = "A saved game's name cannot hold \"\\\", \"/\" or \"..\".";
    else if (s.front() == '.')
        strReason = "A saved game's name cannot begin with a dot.";
    else if (std::any_of(s.begin(), s.end(), IsControl))
        strReason = "A saved game's name cannot hold control characters.";
    else if (static_cast<int>(s.size()) > SAVE_GAME_MAX_NAME)
        strReason.Format("A saved game's name can be at most %d characters long.", SAVE_GAME_MAX_NAME);
    else
    {
        strReason.Empty();
        return CString(s);
    }
    return CString();
}

BOOL CSaveGameDialog::OnInitDialog()
{
    g_nDialogOkMask &= ~DLGOK_GAME_CHOSEN;
    CSkinDialog::OnInitDialog();
    LayOut();
    ::ShowWindow(GetDlgItem(IDC_NAME), m_bSaveMode ? SW_SHOW : SW_HIDE);
    ::ShowWindow(GetDlgItem(IDC_NAME_LABEL), m_bSaveMode ? SW_SHOW : SW_HIDE);
    m_astrNames = ListSavedGames(CSettings::GetSavedDirectory());
    HWND hList = GetDlgItem(IDC_LIST);
    for (const CString& strName : m_astrNames)
        ::SendMessage(hList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(strName.GetString()));
    if (!m_astrNames.empty())
        ::SendMessage(hList, LB_SETCURSEL, 0, 0);
    return TRUE;
}

RECT CSaveGameDialog::ControlPlace(int nId)
{
    const auto at = [](POINT pt) { return RECT{pt.x, pt.y, pt.x, pt.y}; };
    switch (nId)
    {
    case IDC_LIST:
        return LIST_RECT;
    case IDC_NAME_LABEL:
        return LABEL_RECT;
    case IDC_NAME:
        return NAME_RECT;
    case IDOK:
        return at(OK_AT);
    case IDCANCEL:
        return at(CANCEL_AT);
    default:
        return RECT{};
    }
}

void CSaveGameDialog::LayOut()
{
    SetWindowPos(nullptr, 0, 0, DIALOG_W, DIALOG_H, SWP_NOMOVE | SWP_NOZORDER);
    CenterOnOwner();
    for (const int nId : {IDC_LIST, IDC_NAME_LABEL, IDC_NAME})
    {
        const RECT rc = ControlPlace(nId);
        ::MoveWindow(GetDlgItem(nId), rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, TRUE);
    }
    PlacePicture(m_title, IDC_TITLE, m_bSaveMode ? TITLE_SAVE : TITLE_LOAD, TITLE_AT);
    PlacePicture(m_heading, IDC_HEADING, HEADING, HEADING_AT);
    for (const int nId : {IDOK, IDCANCEL})
    {
        const RECT rc = ControlPlace(nId);
        ::SetWindowPos(GetDlgItem(nId), nullptr, rc.left, rc.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    }
}

void CSaveGameDialog::PlacePicture(CImageWnd& picture, int nId, UINT nPicture, POINT pt)
{
    // Without its picture the control stays as the template has it: a blank button.
    if (!picture.SubclassDlgItem(static_cast<UINT>(nId), this) || !picture.LoadBitmaps(nPicture, nPicture, nPicture))
        return;
    picture.SizeToContent();
    ::SetWindowPos(picture.m_hWnd, nullptr, pt.x, pt.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

BOOL CSaveGameDialog::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const UINT nId = LOWORD(wParam);
    const UINT nCode = HIWORD(wParam);
    if (nId == IDC_LIST && nCode == LBN_DBLCLK)
    {
        OnOK();
        return TRUE;
    }
    if (nId == IDC_NAME_LABEL && nCode == BN_CLICKED)
    {
        ::InvalidateRect(GetDlgItem(IDC_NAME), nullptr, TRUE);
        return TRUE;
    }
    // In save mode a chosen game's name becomes the name to save under.
    const LRESULT nRow = ::SendMessage(GetDlgItem(IDC_LIST), LB_GETCURSEL, 0, 0);
    if (m_bSaveMode && nId == IDC_LIST && nCode == LBN_SELCHANGE && nRow >= 0 &&
        static_cast<std::size_t>(nRow) < m_astrNames.size())
        SetDlgItemText(IDC_NAME, m_astrNames[static_cast<std::size_t>(nRow)].GetString());
    return CSkinDialog::OnCommand(wParam, lParam);
}

LRESULT CSaveGameDialog::WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_DRAWITEM && wParam == static_cast<WPARAM>(IDC_LIST) && lParam != 0)
    {
        DrawListRow(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    }
    if (uMsg == WM_CTLCOLORLISTBOX && reinterpret_cast<HWND>(lParam) == GetDlgItem(IDC_LIST))
        return reinterpret_cast<LRESULT>(static_cast<HBRUSH>(m_list.m_brBackground));
    return CSkinDialog::WindowProc(uMsg, wParam, lParam);
}

void CSaveGameDialog::DrawListRow(const DRAWITEMSTRUCT& dis) const
{
    RECT rc = dis.rcItem;
    FillRect(dis.hDC, &rc, m_list.m_brBackground);
    if (dis.itemID >= m_astrNames.size())
        return;
    const HGDIOBJ hOldFont = SelectObject(dis.hDC, m_list.m_font.GetSafeHandle());
    SetTextColor(dis.hDC, (dis.itemState & ODS_SELECTED) != 0 ? m_list.m_crHighlightText : m_list.m_crText);
    SetBkMode(dis.hDC, TRANSPARENT);
    rc.left += 2;
    DrawText(dis.hDC, m_astrNames[dis.itemID].GetString(), -1, &rc, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dis.hDC, hOldFont);
}

void CSaveGameDialog::OnOK()
{
    CString strTyped = m_bSaveMode ? GetDlgItemText(IDC_NAME) : CString();
    const LRESULT nRow = ::SendMessage(GetDlgItem(IDC_LIST), LB_GETCURSEL, 0, 0);
    if (strTyped.IsEmpty() && nRow >= 0 && static_cast<std::size_t>(nRow) < m_astrNames.size())
        strTyped = m_astrNames[static_cast<std::size_t>(nRow)];
    // A name that cannot be a file of the folder keeps the dialog open with the reason.
    CString strReason;
    const CString strName = CheckName(strTyped, strReason);
    if (strName.IsEmpty())
    {
        ShowErrorBoxText(strReason.GetString());
        return;
    }
    m_strFileName = strName + EXTENSION;
    SetDialogOkBit(DLGOK_GAME_CHOSEN);
    CSkinDialog::OnOK();
}
