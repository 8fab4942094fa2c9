// The framework's bitmap button: a dialog's button drawn from four bitmaps, one per look (normal,
// selected, focused, disabled). Bound to a control of a running dialog, it draws that control and
// is told where the mouse moves over the dialog.
#pragma once

#include "platform/mfc/Bitmap.h"
#include "platform/mfc/Dialog.h"
#include "platform/mfc/Wnd.h"

class CBitmapButton : public CBoundControl
{
public:
    /// Binds this object to the dialog's control nID for the rest of the dialog's run; FALSE when
    /// the dialog has no such control.
    BOOL SubclassDlgItem(UINT nID, CDialog* pParent) override;
    /// Sizes the control to the normal bitmap, keeping its top-left corner.
    void SizeToContent();
    /// Draws the look of the state: disabled, selected (pressed), focused, else normal; a missing
    /// look falls back to the normal bitmap.
    void DrawItem(const DRAWITEMSTRUCT* pDrawItem) override;
    /// The pushed look, as BM_SETSTATE sets it.
    void SetState(BOOL bPushed) { m_bPushed = bPushed; }
    BOOL GetState() const { return m_bPushed; }
    bool IsPushed() const override { return m_bPushed != FALSE; }

    CBitmap m_bitmap;         // normal
    CBitmap m_bitmapSel;      // selected (pressed)
    CBitmap m_bitmapFocus;    // focused
    CBitmap m_bitmapDisabled; // disabled

private:
    BOOL m_bPushed = FALSE;
};
