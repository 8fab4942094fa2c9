#include "platform/window/Window.h"

#include "platform/dx/DirectDraw.h"

#include <SDL.h>
#include <algorithm>
#include <cstdio>
#include <memory>

namespace
{
/// SDL's video subsystem is started by the first user and stopped by the last.
int s_nVideoUsers = 0;

bool AcquireVideo()
{
    if (s_nVideoUsers == 0 && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
    {
        std::fprintf(stderr, "Cannot start the display: %s\n", SDL_GetError());
        return false;
    }
    ++s_nVideoUsers;
    return true;
}

void ReleaseVideo()
{
    if (s_nVideoUsers > 0 && --s_nVideoUsers == 0)
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

class CWindowOutput : public ISurfaceOutput
{
public:
    explicit CWindowOutput(HWND hWnd) : m_hWnd(hWnd) {}
    void Show(const CDirectDrawSurface& surface) override;

private:
    HWND m_hWnd;
};
} // namespace

struct HWND__
{
    SDL_Window* pWindow = nullptr;
    SDL_Renderer* pRenderer = nullptr;
    SDL_Texture* pTexture = nullptr;
    int nTextureWidth = 0, nTextureHeight = 0;
    std::vector<DWORD> aUpload; // a frame converted to 32 bits, kept between frames
    bool bFullScreen = false;
    int nPresents = 0;
    std::unique_ptr<CWindowOutput> pOutput;
};

namespace
{
/// Copies the part of the primary that the window shows into a 32-bit buffer of the window's size.
void GatherFrame(HWND h, const CDirectDrawSurface& surface, int w, int hgt)
{
    RECT rcSource{0, 0, static_cast<LONG>(surface.GetWidth()), static_cast<LONG>(surface.GetHeight())};
    if (!h->bFullScreen)
    {
        POINT pt;
        ClientToScreen(h, &pt);
        rcSource = RECT{pt.x, pt.y, pt.x + w, pt.y + hgt};
    }
    h->aUpload.assign(static_cast<size_t>(w) * hgt, 0);
    const int sw = static_cast<int>(rcSource.right - rcSource.left);
    const int sh = static_cast<int>(rcSource.bottom - rcSource.top);
    for (int y = 0; y < hgt; ++y)
    {
        const int sy = static_cast<int>(rcSource.top) + y * sh / hgt;
        for (int x = 0; x < w; ++x)
        {
            const int sx = static_cast<int>(rcSource.left) + x * sw / w;
            if (sx >= 0 && sy >= 0)
                h->aUpload[static_cast<size_t>(y) * w + x] =
                    surface.GetPixelXrgb(static_cast<DWORD>(sx), static_cast<DWORD>(sy));
        }
    }
}

void CWindowOutput::Show(const CDirectDrawSurface& surface)
{
    HWND h = m_hWnd;
    int w = 0, hgt = 0;
    SDL_GetRendererOutputSize(h->pRenderer, &w, &hgt);
    if (w <= 0 || hgt <= 0)
        return;
    if (h->pTexture == nullptr || h->nTextureWidth != w || h->nTextureHeight != hgt)
    {
        if (h->pTexture != nullptr)
            SDL_DestroyTexture(h->pTexture);
        h->pTexture = SDL_CreateTexture(h->pRenderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, w, hgt);
        h->nTextureWidth = w;
        h->nTextureHeight = hgt;
        if (h->pTexture == nullptr)
            return;
    }
    GatherFrame(h, surface, w, hgt);
    SDL_UpdateTexture(h->pTexture, nullptr, h->aUpload.data(), w * 4);
    SDL_RenderClear(h->pRenderer);
    SDL_RenderCopy(h->pRenderer, h->pTexture, nullptr, nullptr);
    SDL_RenderPresent(h->pRenderer);
    ++h->nPresents;
    // Keep the window responsive: the window model proper turns these events into messages.
    SDL_PumpEvents();
}
} // namespace

HWND CreateGameWindow(const SWindowDesc& desc)
{
    if (desc.nClientWidth <= 0 || desc.nClientHeight <= 0 || !AcquireVideo())
        return nullptr;
    auto h = std::make_unique<HWND__>();
    h->bFullScreen = desc.bFullScreen;
    const Uint32 dwFlags = desc.bFullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : SDL_WINDOW_SHOWN;
    h->pWindow = SDL_CreateWindow(desc.strTitle.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                  desc.nClientWidth, desc.nClientHeight, dwFlags);
    if (h->pWindow != nullptr)
        h->pRenderer = SDL_CreateRenderer(h->pWindow, -1, SDL_RENDERER_SOFTWARE);
    if (h->pRenderer == nullptr)
    {
        std::fprintf(stderr, "Cannot open the window: %s\n", SDL_GetError());
        if (h->pWindow != nullptr)
            SDL_DestroyWindow(h->pWindow);
        ReleaseVideo();
        return nullptr;
    }
    h->pOutput = std::make_unique<CWindowOutput>(h.get());
    SDL_PumpEvents();
    return h.release();
}

void DestroyGameWindow(HWND hWnd)
{
    if (hWnd == nullptr)
        return;
    const std::unique_ptr<HWND__> h(hWnd);
    if (h->pTexture != nullptr)
        SDL_DestroyTexture(h->pTexture);
    SDL_DestroyRenderer(h->pRenderer);
    SDL_DestroyWindow(h->pWindow);
    ReleaseVideo();
}

BOOL GetClientRect(HWND hWnd, RECT* pRect)
{
    if (hWnd == nullptr || pRect == nullptr)
        return FALSE;
    int w = 0, h = 0;
    SDL_GetWindowSize(hWnd->pWindow, &w, &h);
    *pRect = RECT{0, 0, w, h};
    return TRUE;
}

BOOL ClientToScreen(HWND hWnd, POINT* pPoint)
{
    if (hWnd == nullptr || pPoint == nullptr)
        return FALSE;
    int x = 0, y = 0;
    SDL_GetWindowPosition(hWnd->pWindow, &x, &y);
    pPoint->x += x;
    pPoint->y += y;
    return TRUE;
}

void SetClientPosition(HWND hWnd, int x, int y)
{
    if (hWnd != nullptr)
        SDL_SetWindowPosition(hWnd->pWindow, x, y);
}

ISurfaceOutput* GetWindowOutput(HWND hWnd) { return hWnd != nullptr ? hWnd->pOutput.get() : nullptr; }

int GetPresentCount(HWND hWnd) { return hWnd != nullptr ? hWnd->nPresents : 0; }

bool ReadWindowPixels(HWND hWnd, std::vector<DWORD>& aPixels, int* pWidth, int* pHeight)
{
    if (hWnd == nullptr || pWidth == nullptr || pHeight == nullptr)
        return false;
    int w = 0, h = 0;
    SDL_GetRendererOutputSize(hWnd->pRenderer, &w, &h);
    if (w <= 0 || h <= 0)
        return false;
    aPixels.assign(static_cast<size_t>(w) * h, 0);
    if (SDL_RenderReadPixels(hWnd->pRenderer, nullptr, SDL_PIXELFORMAT_RGB888, aPixels.data(), w * 4) != 0)
        return false;
    for (DWORD& p : aPixels)
        p &= 0x00FFFFFF;
    *pWidth = w;
    *pHeight = h;
    return true;
}

bool GetDesktopInfo(SDesktopInfo& info)
{
    if (!AcquireVideo())
        return false;
    SDL_DisplayMode mode;
    const bool bOk = SDL_GetDesktopDisplayMode(0, &mode) == 0;
    if (bOk)
    {
        info.nWidth = mode.w;
        info.nHeight = mode.h;
        info.nBits = SDL_BITSPERPIXEL(mode.format) > 16 ? 32 : 16;
        info.aModes.clear();
        const int nModes = SDL_GetNumDisplayModes(0);
        for (int i = 0; i < nModes; ++i)
        {
            SDL_DisplayMode m;
            if (SDL_GetDisplayMode(0, i, &m) != 0)
                continue;
            const SIZE size{m.w, m.h};
            if (std::find(info.aModes.begin(), info.aModes.end(), size) == info.aModes.end())
                info.aModes.push_back(size);
        }
        if (info.aModes.empty())
            info.aModes.push_back(SIZE{mode.w, mode.h});
    }
    ReleaseVideo();
    return bOk;
}

CDisplayAdapter* InstallSystemDisplayAdapter()
{
    SDesktopInfo info;
    if (!GetDesktopInfo(info))
        return nullptr;
    // Full screen scales the frame onto the desktop, so the game's smallest sizes are always offered.
    for (const SIZE size : {SIZE{640, 480}, SIZE{800, 600}})
        if (std::find(info.aModes.begin(), info.aModes.end(), size) == info.aModes.end())
            info.aModes.push_back(size);
    std::sort(info.aModes.begin(), info.aModes.end(),
              [](const SIZE& a, const SIZE& b) { return a.cx != b.cx ? a.cx < b.cx : a.cy < b.cy; });
    static CDisplayAdapter s_adapter;
    s_adapter = CDisplayAdapter::MakeSoftware(static_cast<DWORD>(info.nWidth), static_cast<DWORD>(info.nHeight),
                                              static_cast<DWORD>(info.nBits), info.aModes);
    s_adapter.pfnWindowOutput = &GetWindowOutput;
    SetDisplayAdapter(&s_adapter);
    return &s_adapter;
}
