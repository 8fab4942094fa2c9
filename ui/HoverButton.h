// Image buttons of the skinned dialogs: the hover button shows its pressed look while the mouse is
// over it, so a player sees which button a click will press.
#pragma once

#include "foundation/ResourceBitmaps.h"
#include "platform/win32/Cursor.h"

class CHoverButton : public CImageWnd
{
public:
    /// Hover tracking: entering the button pushes it, leaving releases it.
    void OnDialogMouseMove(POINT ptClient) override;
    /// The system's hand over the button, loaded the first time; when it cannot be loaded the
    /// dialog chooses the cursor.
    bool OnDialogSetCursor() override;
    bool IsHovering() const { return m_bHovering; }

private:
    bool m_bHovering = false;
    HCURSOR m_hCursor = nullptr;
};
