#include "platform/mfc/MessageBoxDialog.h"

#include <algorithm>

namespace
{
constexpr int POINT_SIZE = 8;
constexpr const char* FACE = "MS Sans Serif";
// Dialog units.
constexpr LONG MARGIN = 8;
constexpr LONG BUTTON_WIDTH = 50;
constexpr LONG BUTTON_HEIGHT = 14;
constexpr LONG BUTTON_GAP = 6;
constexpr LONG MIN_WIDTH = 120;
constexpr int MAX_TEXT_WIDTH_PX = 320;

const char* ButtonText(int nId)
{
    switch (nId)
    {
    case IDCANCEL:
        return "Cancel";
    case IDABORT:
        return "Abort";
    case IDRETRY:
        return "Retry";
    case IDIGNORE:
        return "Ignore";
    case IDYES:
        return "Yes";
    case IDNO:
        return "No";
    default:
        return "OK";
    }
}

/// The text's size in pixels, wrapped on words at MAX_TEXT_WIDTH_PX, in the dialogs' font.
SIZE MeasureText(const std::string& strText)
{
    HDC hDC = CreateCompatibleDC(nullptr);
    HFONT hFont =
        CreateFont(-((POINT_SIZE * 96 + 36) / 72), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, FACE);
    HGDIOBJ hOld = SelectObject(hDC, hFont);
    RECT rc{0, 0, MAX_TEXT_WIDTH_PX, 0};
    DrawText(hDC, strText.c_str(), static_cast<int>(strText.size()), &rc, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(hDC, hOld);
    DeleteObject(hFont);
    DeleteDC(hDC);
    return SIZE{rc.right - rc.left, rc.bottom - rc.top};
}

LONG PixelsToUnits(LONG nPixels, LONG nPerUnits, LONG nUnits) { return (nPixels * nUnits + nPerUnits - 1) / nPerUnits; }

class CToolkitMessageBox : public CDialog
{
public:
    CToolkitMessageBox(CWnd* pOwner, UINT uType)
        : CDialog(0, pOwner), m_aButtons(MessageBoxButtons(uType)), m_nDefault(MessageBoxDefaultButton(uType))
    {
    }

    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        ::SetFocus(GetDlgItem(m_nDefault)); // the focus starts on the default button
        return FALSE;
    }

    BOOL OnCommand(WPARAM wParam, LPARAM) override
    {
        const int nId = LOWORD(static_cast<DWORD>(wParam));
        if (std::find(m_aButtons.begin(), m_aButtons.end(), nId) != m_aButtons.end())
            EndDialog(nId);
        // Escape reaches here as IDCANCEL: a box of one OK button takes it as OK.
        else if (nId == IDCANCEL && m_aButtons == std::vector<int>{IDOK})
            EndDialog(IDOK);
        return TRUE;
    }

private:
    std::vector<int> m_aButtons;
    int m_nDefault;
};
} // namespace

SDialogTemplate MakeMessageBoxTemplate(const SMessageBoxRequest& request)
{
    const SIZE base = DialogBaseUnits(POINT_SIZE, FACE);
    const SIZE text = MeasureText(request.strText);
    const LONG nTextWidth = PixelsToUnits(text.cx, base.cx, 4);
    const LONG nTextHeight = PixelsToUnits(text.cy, base.cy, 8);
    const std::vector<int> aButtons = MessageBoxButtons(request.uType);
    const LONG nRowWidth = static_cast<LONG>(aButtons.size()) * (BUTTON_WIDTH + BUTTON_GAP) - BUTTON_GAP;
    const LONG nWidth = std::max({MIN_WIDTH, nTextWidth + 2 * MARGIN, nRowWidth + 2 * MARGIN});
    const LONG nButtonTop = MARGIN + nTextHeight + MARGIN;

    SDialogTemplate box;
    box.rcUnits = RECT{0, 0, nWidth, nButtonTop + BUTTON_HEIGHT + MARGIN};
    box.strCaption = request.strCaption;
    box.nPointSize = POINT_SIZE;
    box.strFace = FACE;
    SDialogControlTemplate label;
    label.nId = 0xFFFF;
    label.rcUnits = RECT{MARGIN, MARGIN, nWidth - MARGIN, MARGIN + nTextHeight};
    label.strText = request.strText;
    box.aControls.push_back(label);
    const int nDefault = MessageBoxDefaultButton(request.uType);
    LONG x = (nWidth - nRowWidth) / 2;
    for (const int nId : aButtons)
    {
        SDialogControlTemplate button;
        button.eKind = nId == nDefault ? EDialogControl::DefaultButton : EDialogControl::PushButton;
        button.nId = nId;
        button.rcUnits = RECT{x, nButtonTop, x + BUTTON_WIDTH, nButtonTop + BUTTON_HEIGHT};
        button.strText = ButtonText(nId);
        button.bTabStop = true;
        box.aControls.push_back(button);
        x += BUTTON_WIDTH + BUTTON_GAP;
    }
    return box;
}

int ShowToolkitMessageBox(HWND hOwner, const SMessageBoxRequest& request)
{
    // The owner may be a window with no framework object: lend it one for the run.
    CWnd owner;
    owner.m_hWnd = hOwner;
    CToolkitMessageBox box(&owner, request.uType);
    const INT_PTR nResult = box.DoModalIndirect(MakeMessageBoxTemplate(request));
    owner.m_hWnd = nullptr;
    return nResult > 0 ? static_cast<int>(nResult) : MessageBoxDefaultButton(request.uType);
}

void InstallToolkitMessageBoxes() { SetToolkitMessageBox(&ShowToolkitMessageBox); }
