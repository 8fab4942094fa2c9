#include "platform/win32/SystemParameters.h"

#include <mutex>

namespace
{
std::mutex s_mutex;
bool s_bScreenSaverActive = true;               // guarded by s_mutex
std::function<void(bool)> s_screenSaverHandler; // guarded by s_mutex
} // namespace

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

BOOL ClipCursor(const RECT*) { return TRUE; }
