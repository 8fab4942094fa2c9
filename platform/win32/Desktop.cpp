#include "platform/win32/Desktop.h"

#include <mutex>

namespace
{
std::mutex s_mutex;
RECT s_rcDesktop{0, 0, 1024, 768}; // guarded by s_mutex
} // namespace

RECT GetDesktopWindowRect()
{
    std::lock_guard lock(s_mutex);
    return s_rcDesktop;
}

void SetDesktopWindowRect(const RECT& rc)
{
    std::lock_guard lock(s_mutex);
    s_rcDesktop = rc;
}

BOOL GetDesktopWindowPlacement(WINDOWPLACEMENT* pwp)
{
    if (pwp == nullptr || pwp->length != sizeof(WINDOWPLACEMENT))
        return FALSE;
    pwp->flags = 0;
    pwp->showCmd = SW_SHOWNORMAL;
    pwp->ptMinPosition = {-1, -1};
    pwp->ptMaxPosition = {-1, -1};
    pwp->rcNormalPosition = GetDesktopWindowRect();
    return TRUE;
}
