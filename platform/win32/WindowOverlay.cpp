#include "platform/win32/WindowOverlay.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <set>

namespace
{
std::mutex s_mutex;
std::map<HWND, std::vector<SWindowOverlay>> s_overlays; // guarded by s_mutex
std::map<HWND, SWindowMenuBar> s_menuBars;              // guarded by s_mutex
std::set<HWND> s_overClient;                            // guarded by s_mutex
std::function<void(HWND)> s_listener;                   // guarded by s_mutex

void Tell(HWND hOwner)
{
    std::function<void(HWND)> listener;
    {
        std::lock_guard lock(s_mutex);
        listener = s_listener;
    }
    if (listener)
        listener(hOwner);
}
} // namespace

void ShowWindowOverlay(HWND hOwner, SWindowOverlay overlay)
{
    {
        std::lock_guard lock(s_mutex);
        std::vector<SWindowOverlay>& aStack = s_overlays[hOwner];
        const auto it =
            std::find_if(aStack.begin(), aStack.end(), [&](const auto& o) { return o.hWnd == overlay.hWnd; });
        if (it != aStack.end())
            *it = std::move(overlay);
        else
            aStack.push_back(std::move(overlay));
    }
    Tell(hOwner);
}

void RemoveWindowOverlay(HWND hOwner, HWND hWnd)
{
    {
        std::lock_guard lock(s_mutex);
        const auto itOwner = s_overlays.find(hOwner);
        if (itOwner == s_overlays.end())
            return;
        std::erase_if(itOwner->second, [&](const SWindowOverlay& o) { return o.hWnd == hWnd; });
        if (itOwner->second.empty())
            s_overlays.erase(itOwner);
    }
    Tell(hOwner);
}

void ShowWindowMenuBar(HWND hWnd, SWindowMenuBar bar)
{
    if (bar.nHeight <= 0)
    {
        RemoveWindowMenuBar(hWnd);
        return;
    }
    {
        std::lock_guard lock(s_mutex);
        s_menuBars[hWnd] = std::move(bar);
    }
    Tell(hWnd);
}

void RemoveWindowMenuBar(HWND hWnd)
{
    {
        std::lock_guard lock(s_mutex);
        if (s_menuBars.erase(hWnd) == 0)
            return;
    }
    Tell(hWnd);
}

SWindowMenuBar GetWindowMenuBar(HWND hWnd)
{
    std::lock_guard lock(s_mutex);
    const auto it = s_menuBars.find(hWnd);
    return it == s_menuBars.end() ? SWindowMenuBar{} : it->second;
}

void SetMenuBarOverClient(HWND hWnd, bool bOverClient)
{
    std::lock_guard lock(s_mutex);
    if (bOverClient)
        s_overClient.insert(hWnd);
    else
        s_overClient.erase(hWnd);
}

bool IsMenuBarOverClient(HWND hWnd)
{
    std::lock_guard lock(s_mutex);
    return s_overClient.contains(hWnd);
}

std::vector<SWindowOverlay> GetWindowOverlays(HWND hOwner)
{
    std::lock_guard lock(s_mutex);
    const auto it = s_overlays.find(hOwner);
    return it == s_overlays.end() ? std::vector<SWindowOverlay>{} : it->second;
}

HWND OverlayInputTarget(HWND hOwner, POINT* pAt)
{
    std::lock_guard lock(s_mutex);
    const auto it = s_overlays.find(hOwner);
    *pAt = POINT{};
    if (it == s_overlays.end() || it->second.empty())
        return hOwner;
    *pAt = it->second.back().ptAt;
    return it->second.back().hWnd;
}

HWND OverlayOwner(HWND hWnd)
{
    std::lock_guard lock(s_mutex);
    for (const auto& [hOwner, aStack] : s_overlays)
        for (const SWindowOverlay& overlay : aStack)
            if (overlay.hWnd == hWnd && hOwner != hWnd)
                return hOwner;
    return nullptr;
}

void SetWindowOverlayListener(std::function<void(HWND hOwner)> listener)
{
    std::lock_guard lock(s_mutex);
    s_listener = std::move(listener);
}

void DrawWindowOverlays(const std::vector<SWindowOverlay>& aOverlays, std::vector<DWORD>& aFrame, int nWidth,
                        int nHeight)
{
    for (const SWindowOverlay& overlay : aOverlays)
    {
        if (overlay.nWidth <= 0 || overlay.nHeight <= 0 ||
            overlay.aPixels.size() <
                static_cast<std::size_t>(overlay.nWidth) * static_cast<std::size_t>(overlay.nHeight))
            continue;
        const int x0 = std::max<int>(0, overlay.ptAt.x);
        const int y0 = std::max<int>(0, overlay.ptAt.y);
        const int x1 = std::min<int>(nWidth, overlay.ptAt.x + overlay.nWidth);
        const int y1 = std::min<int>(nHeight, overlay.ptAt.y + overlay.nHeight);
        for (int y = y0; y < y1; ++y)
        {
            const DWORD* pFrom =
                overlay.aPixels.data() +
                static_cast<std::size_t>(y - overlay.ptAt.y) * static_cast<std::size_t>(overlay.nWidth) +
                (x0 - overlay.ptAt.x);
            auto itTo = aFrame.begin() + static_cast<std::ptrdiff_t>(y) * nWidth + x0;
            if (!overlay.bKeyed)
                std::copy(pFrom, pFrom + std::max(0, x1 - x0), itTo);
            else
                for (const DWORD* p = pFrom; p < pFrom + std::max(0, x1 - x0); ++p, ++itTo)
                    if (*p != OVERLAY_CLEAR)
                        *itTo = *p;
        }
    }
}
