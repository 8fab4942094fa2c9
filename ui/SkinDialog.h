// The skinned dialog: a modal dialog whose client area is covered by a JPEG picture of the
// resource library and whose IDOK and IDCANCEL buttons are image buttons.
#pragma once

#include "platform/mfc/Dialog.h"
#include "ui/HoverButton.h"

#include <array>

class CSkinDialog : public CDialog
{
public:
    /// A template id of -1 names template 65535; only the low 16 bits of the background id count.
    CSkinDialog(int nIDTemplate, LPCSTR szResourceType, int nResourceId, CWnd* pParent);

    /// Loads image set 0 (the IDOK button) or 1 (IDCANCEL): nSecond is the normal look, nFirst the
    /// pressed one, nThird the focused one (nSecond again for -1). Whether the normal look loaded;
    /// 0 for any other set.
    BOOL SetButtonImages(int nSet, UINT nFirst, UINT nSecond, int nThird = -1);
    /// With the flag, the window takes the size of its picture when it opens, keeping its top-left corner.
    void SetFitToBackground(BOOL bFit) { m_bFitToBackground = bFit; }
    /// Also shows the system's cursor, so that the pointer is there while the dialog is up.
    BOOL OnInitDialog() override;
    bool IsBackgroundLoaded() const { return m_bBackgroundLoaded; }
    /// WM_SETCURSOR shows the system's cursor again before the cursor is chosen.
    void SetShowCursorOnSetCursor() { m_bShowCursorOnSetCursor = TRUE; }
    LRESULT WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override;

protected:
    /// Moves the window to the middle of its owner (of the desktop without one), keeping its size.
    void CenterOnOwner();
    /// Stretches the picture over the whole client area; with no picture nothing is painted.
    BOOL OnEraseBkgnd(HDC hDC) override;

private:
    void LoadBackgroundResource();

    std::array<CHoverButton, 2> m_aButtons;
    std::array<BOOL, 2> m_abSetLoaded{FALSE, FALSE};
    bool m_bBackgroundLoaded = false;
    CBitmap m_background;
    LONG m_nWidth = 0;  // of the picture, pixels
    LONG m_nHeight = 0; // of the picture, pixels
    LPCSTR m_szResourceType;
    int m_nResourceId;
    BOOL m_bFitToBackground = FALSE;
    BOOL m_bShowCursorOnSetCursor = FALSE;
};

/// Show-cursor calls until the system's count is at least 0.
void ShowSystemCursorNow();
