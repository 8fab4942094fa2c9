// The cursor the game wants (an arrow, a hand over a ball or link, the aiming cursors) and how it
// shows: as the window's cursor, or, in full screen, drawn by the game onto the render target after
// each frame (the software cursor). One global instance; main thread.
#pragma once

#include "platform/win32/Cursor.h"
#include "platform/win32/WinTypes.h"

class CCursorManager
{
public:
    virtual ~CCursorManager() { m_hCursor = nullptr; }

    /// Makes the cursor current and takes its hot spot; whether one is set (a null handle unsets).
    BOOL SetCursor(HCURSOR hCursor);
    /// The same with a system cursor (IDC_ARROW, IDC_HAND).
    BOOL SetSystemCursor(LPCSTR szId);
    /// SetSystemCursor, then the counted show; the result of the first.
    BOOL ShowSystemCursor(LPCSTR szId);
    /// A cursor is set and the software count shows it.
    BOOL IsVisible() const { return m_bValid && m_nDisplayCount >= 0; }
    /// Where the hot spot is drawn: client coordinates in a window, screen ones in full screen.
    BOOL SetPosition(int x, int y);
    /// Draws the software cursor on the framework's render target at the position less the hot
    /// spot; 1 when drawn.
    BOOL Draw();
    /// The software cursor is in use: a cursor is set, the 3-D environment is ready and full
    /// screen, and no menu loop runs.
    BOOL IsSoftwareCursor() const;
    /// The main window's menu loop (entered, left): the system cursor shows while it runs.
    void SetMenuLoop(BOOL bActive) { m_bMenuLoop = bActive; }
    BOOL IsMenuLoop() const { return m_bMenuLoop; }

    HCURSOR GetCursorHandle() const { return m_hCursor; }
    int GetDisplayCount() const { return m_nDisplayCount; }
    POINT GetHotSpot() const { return m_ptHotSpot; }

private:
    friend int ShowCursorCounted(BOOL bShow);

    POINT m_ptHotSpot = {0, 0};
    POINT m_ptPosition = {0, 0};
    int m_nDisplayCount = -1; // software cursor: 0 shown, -1 hidden
    BOOL m_bValid = FALSE;
    HCURSOR m_hCursor = nullptr; // shared, never freed here
    BOOL m_bMenuLoop = FALSE;
};

extern CCursorManager g_CursorManager;

/// Shows or hides the cursor: with the software cursor the system's is hidden whatever the
/// earlier calls and the software count is 0 or -1; otherwise the system's count is brought to
/// exactly 0 or -1 and the software cursor stays hidden. The new count (0 shown, -1 hidden).
int ShowCursorCounted(BOOL bShow);

/// Makes a cursor of the resource library current in the manager and, when it is not the
/// window's cursor yet, the window's; the arrow when the library has none of that id.
void SelectLibraryCursor(int nId);
