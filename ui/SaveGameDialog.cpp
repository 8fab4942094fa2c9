#include "ui/SaveGameDialog.h"

#include "foundation/DialogResultMask.h"
#include "foundation/ErrorBox.h"
#include "foundation/Settings.h"
#include "platform/win32/Files.h"

#include <algorithm>
#include <string>

namespace
{
constexpr int BACKGROUND = 627;
constexpr int IDC_NAME = 1102;
constexpr int IDC_LIST = 1156;
constexpr const char* EXTENSION = ".sav";
constexpr int EXTENSION_LENGTH = 4;

bool EndsWithExtension(const std::string& s)
{
    return s.size() >= EXTENSION_LENGTH && CString(s.substr(s.size() - EXTENSION_LENGTH)).CompareNoCase(EXTENSION) == 0;
}

bool IsControl(char ch) { return static_cast<unsigned char>(ch) < 0x20 || ch == 0x7f; }
} // namespace

CSaveGameDialog::CSaveGameDialog(BOOL bSaveMode, CWnd* pParent)
    : CSkinDialog(SAVE_GAME_TEMPLATE, "_DATA", BACKGROUND, pParent), m_bSaveMode(bSaveMode)
{
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
    ::ShowWindow(GetDlgItem(IDC_NAME), m_bSaveMode ? SW_SHOW : SW_HIDE);
    m_astrNames = ListSavedGames(CSettings::GetSavedDirectory());
    HWND hList = GetDlgItem(IDC_LIST);
    for (const CString& strName : m_astrNames)
        ::SendMessage(hList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(strName.GetString()));
    if (!m_astrNames.empty())
        ::SendMessage(hList, LB_SETCURSEL, 0, 0);
    return TRUE;
}

BOOL CSaveGameDialog::OnCommand(WPARAM wParam, LPARAM lParam)
{
    // In save mode a chosen game's name becomes the name to save under.
    const LRESULT nRow = ::SendMessage(GetDlgItem(IDC_LIST), LB_GETCURSEL, 0, 0);
    if (m_bSaveMode && LOWORD(wParam) == IDC_LIST && HIWORD(wParam) == LBN_SELCHANGE && nRow >= 0 &&
        static_cast<std::size_t>(nRow) < m_astrNames.size())
        SetDlgItemText(IDC_NAME, m_astrNames[static_cast<std::size_t>(nRow)].GetString());
    return CSkinDialog::OnCommand(wParam, lParam);
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
