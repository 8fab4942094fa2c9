#include "platform/win32/MessageBox.h"

#include <algorithm>
#include <cstdio>
#include <mutex>

namespace
{
std::mutex s_mutex;
std::function<int(const SMessageBoxRequest&)> s_handler; // guarded by s_mutex
} // namespace

std::vector<int> MessageBoxButtons(UINT uType)
{
    switch (uType & 0xF)
    {
    case MB_OKCANCEL:
        return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE:
        return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL:
        return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO:
        return {IDYES, IDNO};
    case MB_RETRYCANCEL:
        return {IDRETRY, IDCANCEL};
    default:
        return {IDOK};
    }
}

int MessageBoxDefaultButton(UINT uType)
{
    const std::vector<int> aButtons = MessageBoxButtons(uType);
    const size_t nIndex = (uType & MB_DEFBUTTON3) != 0 ? 2 : (uType & MB_DEFBUTTON2) != 0 ? 1 : 0;
    return aButtons[std::min(nIndex, aButtons.size() - 1)];
}

int MessageBox(HWND hWnd, LPCSTR szText, LPCSTR szCaption, UINT uType)
{
    SMessageBoxRequest request{hWnd, szText != nullptr ? szText : "", szCaption != nullptr ? szCaption : "Error",
                               uType};
    std::fprintf(stderr, "%s: %s\n", request.strCaption.c_str(), request.strText.c_str());
    std::function<int(const SMessageBoxRequest&)> handler;
    {
        std::lock_guard lock(s_mutex);
        handler = s_handler;
    }
    return handler ? handler(request) : MessageBoxDefaultButton(uType);
}

void SetMessageBoxHandler(std::function<int(const SMessageBoxRequest&)> handler)
{
    std::lock_guard lock(s_mutex);
    s_handler = std::move(handler);
}
