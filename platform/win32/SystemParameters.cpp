#include "platform/win32/SystemParameters.h"

#include "platform/win32/Desktop.h"

#include <mutex>

namespace
{
std::mutex s_mutex;
bool s_bScreenSaverActive = true;                           // guarded by s_mutex
std::function<void(bool)> s_screenSaverHandler;             // guarded by s_mutex
bool s_bClipped = false;                                    // guarded by s_mutex
RECT s_rcClip{};                                            // guarded by s_mutex
std::function<void(const SCursorRequest&)> s_cursorHandler; // guarded by s_mutex
} // namespace

UINT GetDoubleClickTime() { return 500; }

BOOL SystemParametersInfo(UINT uiAction, UINT uiParam, void* pvParam, UINT)
{
    std::function<void(bool)> handler;
    bool bActive = false;
    {
        std::lock_guard lock(s_mutex);
        if (uiAction == SPI_GETSCREENSAVEACTIVE)
        {
            if (pvParam == nullptr)
                return FALSE;
            *static_cast<BOOL*>(pvParam) = s_bScreenSaverActive ? TRUE : FALSE;
            return TRUE;
        }
        if (uiAction != SPI_SETSCREENSAVEACTIVE)
            return FALSE;
        s_bScreenSaverActive = uiParam != 0;
        bActive = s_bScreenSaverActive;
        handler = s_screenSaverHandler;
    }
    if (handler)
        handler(bActive);
    return TRUE;
}

void SetScreenSaverHandler(std::function<void(bool)> handler)
{
    std::lock_guard lock(s_mutex);
    s_screenSaverHandler = std::move(handler);
}

void SetCursorRequestHandler(std::function<void(const SCursorRequest&)> handler)
{
    std::lock_guard lock(s_mutex);
    s_cursorHandler = std::move(handler);
}

void RequestCursor(const SCursorRequest& request)
{
    std::function<void(const SCursorRequest&)> handler;
    {
        std::lock_guard lock(s_mutex);
        handler = s_cursorHandler;
    }
    if (handler)
        handler(request);
}

BOOL ClipCursor(const RECT* pRect)
{
    {
        std::lock_guard lock(s_mutex);
        s_bClipped = pRect != nullptr;
        if (pRect != nullptr)
            s_rcClip = *pRect;
    }
    RequestCursor(pRect != nullptr ? SCursorRequest{SCursorRequest::Confine, {}, *pRect} : SCursorRequest{});
    return TRUE;
}

BOOL GetClipCursor(RECT* pRect)
{
    if (pRect == nullptr)
        return FALSE;
    std::lock_guard lock(s_mutex);
    *pRect = s_bClipped ? s_rcClip : GetDesktopWindowRect();
    return TRUE;
}
