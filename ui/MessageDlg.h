// The game's message dialogs and the error box: skinned dialogs sized to their picture, with one or
// two image buttons (three for the exit choice) and, for some, a text label.
#pragma once

#include "ui/LinkCtrl.h"
#include "ui/SkinDialog.h"

/// The label control of the dialogs that show a text.
inline constexpr UINT IDC_MESSAGE_LABEL = 1134;

/// What tells one kind of message dialog from another.
struct SMessageDlgLook
{
    int nTemplate;
    int nBackground;
    UINT anSet0[2]; // IDOK's pressed and normal images
    UINT anSet1[2]; // IDCANCEL's pressed and normal images
    const char* szSound;
};

class CMessageDlg : public CSkinDialog
{
public:
    CMessageDlg(const SMessageDlgLook& look, CWnd* pParent);
    ~CMessageDlg() override;

    /// The message dialog open now (the innermost when they nest), null when none is. Main thread.
    static CMessageDlg* GetOpen();
    BOOL OnInitDialog() override;
    /// Gives the open-dialog pointer back to the dialog under this one, then destroys the window.
    BOOL DestroyWindow() override;

    CString m_strSound; // the sound handed to the commentary as the dialog opens (silent with it off)

protected:
    /// Moves a control to (x, y) of the client area, keeping its size.
    void MoveControl(int nID, int x, int y);
    /// Styles the label: colour, 14-pixel bold, no underline, transparent.
    void StyleLabel(CLinkCtrl& label, COLORREF crText);

private:
    CMessageDlg* m_pUnder = nullptr; // the message dialog that was open when this one opened
    bool m_bOpen = false;
};

class CErrorDlg : public CMessageDlg
{
public:
    CErrorDlg(const CString& strText, CWnd* pParent);
    BOOL OnInitDialog() override;
    CString m_strText;
    CLinkCtrl m_label;
};

class CMsgLostDlg : public CMessageDlg
{
public:
    explicit CMsgLostDlg(CWnd* pParent);
};

class CMsgSureDlg : public CMessageDlg
{
public:
    CMsgSureDlg(CWnd* pParent, int nBackground);
    BOOL OnInitDialog() override;

protected:
    CMsgSureDlg(CWnd* pParent, int nBackground, const char* szSound);
};

class CMsgNewGameDlg : public CMsgSureDlg
{
public:
    CMsgNewGameDlg(CWnd* pParent, int nBackground);
};

/// The game-type card: only IDCANCEL (or Escape) closes it.
class CMsgDlg299 : public CMessageDlg
{
public:
    CMsgDlg299(CWnd* pParent, int nBackground);
    BOOL OnInitDialog() override;
};

class CMsgTextDlg : public CMessageDlg
{
public:
    /// Without a text (null) the label is hidden.
    CMsgTextDlg(const char* szText, CWnd* pParent, int nBackground);
    BOOL OnInitDialog() override;
    CString m_strText;
    bool m_bHasText;
    CLinkCtrl m_label;
};

class CMsgCloseDlg : public CMessageDlg
{
public:
    explicit CMsgCloseDlg(CWnd* pParent);
};

class CMsgDlg567 : public CMessageDlg
{
public:
    explicit CMsgDlg567(CWnd* pParent);
};

/// The exit choice: IDOK, IDCANCEL, or 4 from its third button.
class CMsgExitDlg : public CMessageDlg
{
public:
    explicit CMsgExitDlg(CWnd* pParent);
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    CHoverButton m_third;

private:
    BOOL m_bThirdLoaded;
};

/// The error box: shows the text with the game's modal mode on and returns when it is closed; a
/// plain message box shows the text when the error box's template is missing. The text also goes
/// to standard error; an unattended answer (see TakeUnattendedAnswer) closes it unseen.
void ShowErrorBoxDialog(const char* szText);
/// Makes the error box the foundation's error-box handler.
void InstallErrorBoxDialog();
