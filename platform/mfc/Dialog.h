// Modal dialogs: CDialog builds its window and controls from a dialog template of the current
// resource library, runs a nested message loop on the caller's thread with its owner disabled, and
// draws itself on a memory surface of its own, shown as an overlay of its owner's top-level window
// (see WindowOverlay.h), placed in the middle of the owner and kept inside its client area; a dialog
// without an owner is a top-level window of its own. Controls are child windows whose state the dialog
// keeps; they answer the button, list-box and edit messages below.
//
// Keys: Tab and Shift+Tab move the focus among the enabled tab stops, Enter presses the focused
// push button or else the default button (IDOK without one), Space presses a focused button,
// Escape is IDCANCEL, typed characters go to a focused edit, Up and Down move a focused list's
// selection and the wheel scrolls a list (the focused one, else the first). A click presses the
// control under it;
// a release over no control is handed on to the dialog's window procedure as WM_LBUTTONUP.
#pragma once

#include "platform/mfc/CString.h"
#include "platform/mfc/Wnd.h"
#include "platform/win32/DialogTemplate.h"
#include "platform/win32/Gdi.h"
#include "platform/win32/MessageBox.h"

#include <cstdint>
#include <vector>

using INT_PTR = std::intptr_t;

inline constexpr UINT WM_INITDIALOG = 0x0110;
inline constexpr UINT WM_ERASEBKGND = 0x0014;
inline constexpr UINT WM_DRAWITEM = 0x002B;
/// Asked of the dialog before a list box is drawn: wParam the context, lParam the list's window;
/// the answer is the brush of its background, or 0 for the toolkit's own.
inline constexpr UINT WM_CTLCOLORLISTBOX = 0x0134;
/// Asked of the dialog before a static text or a check box is drawn: wParam the context, lParam the
/// control's window; a non-zero answer says the dialog set the context's text colour for it.
inline constexpr UINT WM_CTLCOLORSTATIC = 0x0138;
inline constexpr UINT BM_GETCHECK = 0x00F0;
inline constexpr UINT BM_SETCHECK = 0x00F1;
inline constexpr UINT BM_CLICK = 0x00F5;
inline constexpr UINT LB_ADDSTRING = 0x0180;
inline constexpr UINT LB_RESETCONTENT = 0x0184;
inline constexpr UINT LB_SETCURSEL = 0x0186;
inline constexpr UINT LB_GETCURSEL = 0x0188;
inline constexpr UINT LB_GETCOUNT = 0x018B;
inline constexpr UINT LB_GETTOPINDEX = 0x018E;
inline constexpr UINT LB_SETTOPINDEX = 0x0197;
/// lParam a RECT the row wParam's rectangle goes into, in the list's client coordinates.
inline constexpr UINT LB_GETITEMRECT = 0x0198;
inline constexpr UINT BN_CLICKED = 0;
inline constexpr UINT LBN_SELCHANGE = 1;
inline constexpr UINT LBN_DBLCLK = 2;
/// The longest time between the two presses of a double click, in milliseconds.
inline constexpr DWORD DOUBLE_CLICK_MS = 500;
inline constexpr UINT EN_CHANGE = 0x0300;
inline constexpr int BST_UNCHECKED = 0;
inline constexpr int BST_CHECKED = 1;
inline constexpr int LB_ERR = -1;

inline constexpr UINT ODT_LISTBOX = 2;
inline constexpr UINT ODT_BUTTON = 4;
inline constexpr UINT ODS_SELECTED = 0x0001;
inline constexpr UINT ODS_DISABLED = 0x0004;
inline constexpr UINT ODS_FOCUS = 0x0010;

/// What WM_DRAWITEM hands the dialog for an owner-drawn button or list row.
struct DRAWITEMSTRUCT
{
    UINT CtlType = 0;
    UINT CtlID = 0;
    UINT itemID = 0; // the row of a list box
    UINT itemAction = 0;
    UINT itemState = 0;
    HWND hwndItem = nullptr;
    HDC hDC = nullptr;
    RECT rcItem; // in the dialog's client coordinates
    std::uintptr_t itemData = 0;
};

class CDialog;

/// An object that draws one control of a running dialog in place of the dialog's own look (image
/// buttons, styled labels) and is told where the mouse moves over the dialog.
class IDialogItemView
{
public:
    virtual ~IDialogItemView() = default;
    virtual void DrawItem(const DRAWITEMSTRUCT* pDrawItem) = 0;
    /// ptClient is in the control's own coordinates.
    virtual void OnDialogMouseMove(POINT ptClient) { (void)ptClient; }
    /// The mouse has moved over the control: true when it has set the cursor, so that the dialog
    /// does not choose one (WM_SETCURSOR reaches the window under the mouse first).
    virtual bool OnDialogSetCursor() { return false; }
    /// Whether the control shows pushed.
    virtual bool IsPushed() const { return false; }
    /// The dialog's run is over: the control is gone.
    virtual void Unbind() = 0;
};

/// Moves data between a dialog's controls and its members; a refused value fails the exchange.
class CDataExchange
{
public:
    CDataExchange(CDialog* pDlg, BOOL bSaveAndValidate) : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlg) {}
    BOOL m_bSaveAndValidate;
    CDialog* m_pDlgWnd;
    /// Tells the user, focuses the control last prepared and ends the exchange as failed.
    [[noreturn]] void Fail(LPCSTR szMessage);
    HWND PrepareCtrl(int nIDC);

private:
    HWND m_hLastControl = nullptr;
};

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
/// A whole decimal number in int's range; anything else is refused.
void DDX_Text(CDataExchange* pDX, int nIDC, int& value);
/// A finite number that fits a float; anything else is refused.
void DDX_Text(CDataExchange* pDX, int nIDC, float& value);
/// After the DDX_Text of the same control: a number outside minVal..maxVal is refused.
void DDV_MinMaxFloat(CDataExchange* pDX, float value, float minVal, float maxVal);
void DDX_Check(CDataExchange* pDX, int nIDC, int& value);

class CDialog : public CWnd
{
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    /// Shows the dialog until EndDialog; its result, or -1 when the template cannot be loaded (nothing
    /// is shown then). A quit request met meanwhile ends it with IDCANCEL and is passed on.
    virtual INT_PTR DoModal();
    /// The same with a template the caller made.
    INT_PTR DoModalIndirect(const SDialogTemplate& dialogTemplate);
    void EndDialog(int nResult);
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
    virtual void DoDataExchange(CDataExchange* pDX);

    HWND GetDlgItem(int nID) const;
    void SetDlgItemText(int nID, LPCSTR szText);
    CString GetDlgItemText(int nID) const;
    void CheckDlgButton(int nID, int nCheck);
    int IsDlgButtonChecked(int nID) const;
    /// The dialog's keyboard handling of a message of its own or of a control; TRUE when it took it.
    BOOL IsDialogMessage(const MSG* pMsg);
    /// Draws the whole dialog at the context's origin; owner-drawn parts through WM_DRAWITEM.
    void DrawDialog(HDC hDC);
    /// The dialog as last drawn on its own surface (0x00RRGGBB rows), redrawn after each message and
    /// at once when it or a control is painted (RedrawWindow with RDW_UPDATENOW).
    const std::vector<DWORD>& GetSurfacePixels(int* pWidth, int* pHeight) const;

    LRESULT WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

    /// What a control window asks of the dialog that keeps its state.
    LRESULT OnItemMessage(HWND hItem, UINT uMsg, WPARAM wParam, LPARAM lParam);
    /// Lets pView draw the control nID and follow the mouse over it until the run ends.
    bool BindItem(int nID, IDialogItemView* pView);

protected:
    /// Paints the client area under the controls; TRUE when it did (the base fills the panel colour).
    virtual BOOL OnEraseBkgnd(HDC hDC);

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

private:
    struct SItem
    {
        SDialogControlTemplate control;
        HWND hWnd = nullptr;
        IDialogItemView* pView = nullptr; // draws the control when bound
        int nCheck = BST_UNCHECKED;
        std::vector<CString> aRows;
        int nCurSel = LB_ERR;
        int nTopIndex = 0; // the first row shown
    };

    bool CreateFromTemplate(const SDialogTemplate& dialogTemplate);
    void RunModalLoop();
    SItem* FindItem(HWND hWnd);
    const SItem* FindItemById(int nID) const;
    SItem* ItemAt(POINT pt);
    void MoveFocus(bool bBackward);
    /// The pixel height of a list row in the dialog's font.
    int ListRowPixels() const;
    /// Scrolls a list so that nTop is its first row shown, kept between 0 and the last full page.
    void ScrollList(SItem& item, int nTop);
    /// Selects a row of a list (telling the dialog when it changes) and scrolls it into view.
    void SelectListRow(SItem& item, int nRow);
    /// A press on a list's row: selects it, and a second press on the same row soon after tells the
    /// owner of a double click.
    /// A press on a row at the time the press happened (the message's time).
    void PressListRow(SItem& item, int nRow, DWORD dwTime);
    void Press(SItem& item);
    void OnMouse(UINT uMsg, POINT pt, DWORD dwTime);
    void DrawItem(HDC hDC, const SItem& item);
    static RECT ItemClientRect(const SItem& item);
    /// What a button's drawing is told: its rectangle and its pushed, disabled and focused state.
    DRAWITEMSTRUCT ButtonDrawItem(HDC hDC, const SItem& item) const;
    void Redraw();
    /// A WM_PAINT of the dialog or of a control: the dialog is drawn again at once while it is shown.
    void PaintNow();
    POINT OverlayPosition() const;

    std::vector<SItem> m_aItems;
    HFONT m_hFont = nullptr;
    SIZE m_baseUnits;
    HWND m_hPressed = nullptr;
    // The last press on a list's row, which a second press on the same row soon after makes a
    // double click.
    HWND m_hListPressed = nullptr;
    int m_nListRowPressed = -1;
    DWORD m_dwListPressed = 0;
    bool m_bEnded = false;
    bool m_bShown = false; // from the end of WM_INITDIALOG to the end of the run
    int m_nResult = IDCANCEL;
    HWND m_hOverlayOwner = nullptr; // the window whose frames show this dialog (itself without an owner)
    std::vector<DWORD> m_aPixels;
    int m_nWidth = 0;
    int m_nHeight = 0;
};

/// A framework object bound to one control of a running dialog: it draws the control while the
/// dialog keeps the control's state. The binding ends with the dialog's run.
class CBoundControl : public CWnd, public IDialogItemView
{
public:
    ~CBoundControl() override { m_hWnd = nullptr; } // bound, never attached: nothing to detach
    /// Binds to the dialog's control nID; FALSE when the dialog has none.
    virtual BOOL SubclassDlgItem(UINT nID, CDialog* pParent);
    void Unbind() override { m_hWnd = nullptr; }
    CString GetWindowText() const;
};
