#include "platform/win32/KeyState.h"

#include "platform/win32/SystemParameters.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>

namespace
{
std::array<std::atomic<bool>, 256> s_abDown{};
std::array<std::atomic<bool>, 256> s_abPressed{}; // pressed since the key's last query
std::mutex s_listenerMutex;
std::function<void(const SRawInputEvent&)> s_listener; // guarded by s_listenerMutex
std::atomic<std::int64_t> s_nCursor{0};                // x in the low and y in the high 32 bits

void SetDown(int nVirtKey, bool bDown)
{
    if (nVirtKey <= 0 || nVirtKey >= static_cast<int>(s_abDown.size()))
        return;
    s_abDown[static_cast<size_t>(nVirtKey)] = bDown;
    if (bDown)
        s_abPressed[static_cast<size_t>(nVirtKey)] = true;
}

/// The left and right keys of a pair also count as the generic key.
void SetDownWithGeneric(int nVirtKey, bool bDown)
{
    SetDown(nVirtKey, bDown);
    const int nGeneric = nVirtKey == VK_LSHIFT || nVirtKey == VK_RSHIFT       ? VK_SHIFT
                         : nVirtKey == VK_LCONTROL || nVirtKey == VK_RCONTROL ? VK_CONTROL
                         : nVirtKey == VK_LMENU || nVirtKey == VK_RMENU       ? VK_MENU
                                                                              : 0;
    if (nGeneric != 0)
    {
        const int nLeft = nGeneric == VK_SHIFT ? VK_LSHIFT : nGeneric == VK_CONTROL ? VK_LCONTROL : VK_LMENU;
        SetDown(nGeneric, s_abDown[static_cast<size_t>(nLeft)] || s_abDown[static_cast<size_t>(nLeft + 1)]);
    }
}
} // namespace

short GetAsyncKeyState(int nVirtKey)
{
    if (nVirtKey <= 0 || nVirtKey >= static_cast<int>(s_abDown.size()))
        return 0;
    const auto i = static_cast<size_t>(nVirtKey);
    const short nPressed = s_abPressed[i].exchange(false) ? 1 : 0;
    return static_cast<short>((s_abDown[i] ? 0x8000 : 0) | nPressed);
}

void SetRawInputListener(std::function<void(const SRawInputEvent&)> listener)
{
    std::lock_guard lock(s_listenerMutex);
    s_listener = std::move(listener);
}

void ReportRawInput(const SRawInputEvent& event)
{
    if (event.eKind == SRawInputEvent::Key || event.eKind == SRawInputEvent::MouseButton)
        SetDownWithGeneric(event.nVirtKey, event.bDown);
    std::lock_guard lock(s_listenerMutex);
    if (s_listener)
        s_listener(event);
}

void RecordCursorPos(LONG x, LONG y)
{
    s_nCursor = static_cast<std::int64_t>((static_cast<std::uint64_t>(static_cast<std::uint32_t>(y)) << 32) |
                                          static_cast<std::uint32_t>(x));
}

BOOL GetCursorPos(POINT* pPoint)
{
    if (pPoint == nullptr)
        return FALSE;
    const auto n = static_cast<std::uint64_t>(s_nCursor.load());
    pPoint->x = static_cast<LONG>(static_cast<std::int32_t>(n & 0xFFFFFFFFu));
    pPoint->y = static_cast<LONG>(static_cast<std::int32_t>(n >> 32));
    return TRUE;
}

BOOL SetCursorPos(int x, int y)
{
    RecordCursorPos(x, y);
    RequestCursor(SCursorRequest{SCursorRequest::Place, POINT{x, y}, {}});
    return TRUE;
}

void ReleaseAllKeys()
{
    for (auto& bDown : s_abDown)
        bDown = false;
    for (auto& bPressed : s_abPressed)
        bPressed = false;
}
