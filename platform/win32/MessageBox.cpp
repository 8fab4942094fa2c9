#include "platform/win32/MessageBox.h"

#include "platform/win32/DebugLog.h"
#include "platform/win32/WindowTable.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <mutex>

namespace
{
std::mutex s_mutex;
std::function<int(const SMessageBoxRequest&)> s_handler;          // guarded by s_mutex
std::function<std::optional<int>(UINT)> s_answerSource;           // guarded by s_mutex
std::function<int(HWND, const SMessageBoxRequest&)> s_toolkitBox; // guarded by s_mutex

/// The window a toolkit box shows over: the one given, else the active or first visible top-level
/// window; null before any window is shown.
HWND BoxOwner(HWND hWnd)
{
    if (hWnd != nullptr && IsWindow(hWnd))
        return hWnd;
    for (HWND hCandidate : {GetActiveWindow(), GetFirstTopLevelWindow()})
        if (hCandidate != nullptr && IsWindowVisible(hCandidate))
            return hCandidate;
    return nullptr;
}

template <typename T> T Copy(const T& value)
{
    std::lock_guard lock(s_mutex);
    return value;
}
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
    if (const auto toolkitBox = Copy(s_toolkitBox); toolkitBox)
        if (const HWND hOwner = BoxOwner(hWnd); hOwner != nullptr)
        {
            if (const std::optional<int> nAnswer = TakeUnattendedAnswer(uType))
                return *nAnswer;
            return toolkitBox(hOwner, request);
        }
    const auto handler = Copy(s_handler);
    return handler ? handler(request) : MessageBoxDefaultButton(uType);
}

void SetMessageBoxAnswerSource(std::function<std::optional<int>(UINT uType)> source)
{
    std::lock_guard lock(s_mutex);
    s_answerSource = std::move(source);
}

std::optional<int> TakeUnattendedAnswer(UINT uType)
{
    const auto source = Copy(s_answerSource);
    return source ? source(uType) : std::nullopt;
}

void SetToolkitMessageBox(std::function<int(HWND hOwner, const SMessageBoxRequest&)> box)
{
    std::lock_guard lock(s_mutex);
    s_toolkitBox = std::move(box);
}

void SetMessageBoxHandler(std::function<int(const SMessageBoxRequest&)> handler)
{
    std::lock_guard lock(s_mutex);
    s_handler = std::move(handler);
}

namespace
{
std::atomic<int> s_nBeeps{0};
} // namespace

BOOL MessageBeep(UINT uType)
{
    ++s_nBeeps;
    char szLine[48];
    std::snprintf(szLine, sizeof(szLine), "MessageBeep 0x%X\n", uType);
    OutputDebugString(szLine);
    return TRUE;
}

int GetMessageBeepCount() { return s_nBeeps.load(); }
