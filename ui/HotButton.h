// An image button with a cursor of its own: the dialog names the cursor when it sets the button up,
// from the system's cursors or from the program's resource library, and the mouse over the button
// shows it. The button's looks do not follow the mouse (see CHoverButton for that).
#pragma once

#include "foundation/ResourceBitmaps.h"
#include "platform/win32/Cursor.h"

class CHotButton : public CImageWnd
{
public:
    /// Keeps the cursor szName names: the system's when bSystem is not 0, else the resource
    /// library's. A name that loads no cursor keeps the one kept so far, so the pointer never vanishes.
    virtual void SetCursorName(LPCSTR szName, BOOL bSystem);
    /// Shows the kept cursor (the system's arrow until a name is set).
    bool OnDialogSetCursor() override;

private:
    HCURSOR m_hCursor = nullptr; // null: the system's arrow
};
