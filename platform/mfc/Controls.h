// The framework's plain child controls made in code (not from a dialog template): a button and a
// one-line edit, each a child window of its parent at a rectangle of the parent's client area.
// Their classes draw nothing of their own; the classes derived from them paint what they show.
#pragma once

#include "platform/mfc/Wnd.h"

class CChildControl : public CWnd
{
public:
    UINT GetDlgCtrlID() const { return m_nCtrlId; }

protected:
    /// Creates the child window of a class of that name (registered on first use).
    BOOL CreateChild(LPCSTR szClass, LPCSTR szText, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

private:
    UINT m_nCtrlId = 0;
};

class CButton : public CChildControl
{
public:
    BOOL Create(LPCSTR szCaption, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
    {
        return CreateChild("Button", szCaption, dwStyle, rect, pParentWnd, nID);
    }
};

/// The edit line scrolls its text sideways as it is typed past its end.
inline constexpr DWORD ES_AUTOHSCROLL = 0x0080;

class CEdit : public CChildControl
{
public:
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
    {
        return CreateChild("Edit", "", dwStyle, rect, pParentWnd, nID);
    }
};
