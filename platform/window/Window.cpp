#include "platform/window/Window.h"

#include "platform/dx/DirectDraw.h"
#include "platform/dx/FrameConvert.h"
#include "platform/dx/WorkerPool.h"
#include "platform/win32/Desktop.h"
#include "platform/window/DisplayFrames.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>

namespace
{
/// Hands a primary surface's frames to the display: the drawing thread converts the rows shown, shared by a pool
/// of threads, and the display thread shows them.
class CWindowOutput : public ISurfaceOutput
{
public:
    explicit CWindowOutput(HWND hWnd) : m_hWnd(hWnd) {}
    void Show(const CDirectDrawSurface& surface) override;

private:
    /// Below this many pixels a frame is converted on the thread that shows it alone.
    static constexpr int MIN_SHARED_PIXELS = 256 * 256;

    HWND m_hWnd;
    SHandedFrame m_frame;                 // a frame's copy, its storage reused between frames
    std::unique_ptr<CWorkerPool> m_pPool; // made for the first large frame
};

void CWindowOutput::Show(const CDirectDrawSurface& surface)
{
    RECT rcWindow;
    if (!GetWindowRect(m_hWnd, &rcWindow))
        return;
    RECT rcSource{0, 0, static_cast<LONG>(surface.GetWidth()), static_cast<LONG>(surface.GetHeight())};
    int w = rcWindow.right - rcWindow.left, hgt = rcWindow.bottom - rcWindow.top;
    if (IsWindowFullScreen(m_hWnd))
    {
        const RECT rcDesktop = GetDesktopWindowRect();
        w = rcDesktop.right - rcDesktop.left;
        hgt = rcDesktop.bottom - rcDesktop.top;
    }
    else
        rcSource = rcWindow;
    if (w <= 0 || hgt <= 0)
        return;
    // In a window the primary's pixels under the window, in full screen the whole primary scaled to fit with its
    // shape kept (black bars where the desktop's shape differs).
    m_frame.rcDest =
        IsWindowFullScreen(m_hWnd) ? FitFrame(rcSource.right, rcSource.bottom, w, hgt) : RECT{0, 0, w, hgt};
    m_frame.nWidth = w;
    m_frame.nHeight = hgt;
    const int pw = rcSource.right - rcSource.left, ph = rcSource.bottom - rcSource.top;
    m_frame.nPictureWidth = pw;
    m_frame.nPictureHeight = ph;
    m_frame.aPixels.resize(static_cast<size_t>(pw) * static_cast<size_t>(ph));
    if (pw * ph >= MIN_SHARED_PIXELS && m_pPool == nullptr && CWorkerPool::UsableCores() > 1)
        m_pPool = std::make_unique<CWorkerPool>(CWorkerPool::UsableCores());
    ConvertFrame(surface, rcSource, m_frame.aPixels.data(), pw, ph, RECT{0, 0, pw, ph},
                 pw * ph >= MIN_SHARED_PIXELS ? m_pPool.get() : nullptr);
    HandFrameToDisplay(m_hWnd, m_frame);
}

/// Outputs live as long as the program: a primary surface may still point at the output of a window
/// that has gone, and then shows nowhere.
std::mutex s_outputMutex;
std::map<HWND, std::unique_ptr<CWindowOutput>> s_outputs; // guarded by s_outputMutex

constexpr const char* GAME_WINDOW_CLASS = "Vorn game window";
} // namespace

HWND CreateGameWindow(const SWindowDesc& desc)
{
    if (desc.nClientWidth <= 0 || desc.nClientHeight <= 0 || !StartDisplay())
        return nullptr;
    WNDCLASS wc;
    wc.lpfnWndProc = &DefWindowProc;
    wc.lpszClassName = GAME_WINDOW_CLASS;
    RegisterClass(&wc); // fails harmlessly once the class exists
    const RECT rcDesktop = GetDesktopWindowRect();
    const int x = desc.bFullScreen ? 0 : std::max(0, static_cast<int>(rcDesktop.right - desc.nClientWidth) / 2);
    const int y = desc.bFullScreen ? 0 : std::max(0, static_cast<int>(rcDesktop.bottom - desc.nClientHeight) / 2);
    HWND hWnd = CreateWindowEx(0, GAME_WINDOW_CLASS, desc.strTitle.c_str(), WS_POPUP, x, y, desc.nClientWidth,
                               desc.nClientHeight, nullptr, nullptr, nullptr, nullptr);
    if (hWnd == nullptr)
    {
        std::fprintf(stderr, "Cannot open the window\n");
        return nullptr;
    }
    SetWindowFullScreen(hWnd, desc.bFullScreen);
    ShowWindow(hWnd, SW_SHOW);
    return hWnd;
}

void DestroyGameWindow(HWND hWnd) { DestroyWindow(hWnd); }

void SetClientPosition(HWND hWnd, int x, int y)
{
    SetWindowPos(hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

ISurfaceOutput* GetWindowOutput(HWND hWnd)
{
    if (!IsWindow(hWnd))
        return nullptr;
    std::lock_guard lock(s_outputMutex);
    auto& pOutput = s_outputs[hWnd];
    if (pOutput == nullptr)
        pOutput = std::make_unique<CWindowOutput>(hWnd);
    return pOutput.get();
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
    s_adapter.pfnSetWindowFullScreen = &SetWindowFullScreen;
    SetDisplayAdapter(&s_adapter);
    return &s_adapter;
}
