// The main frame's 3-D environment with the game's libraries on SDL's dummy display, the window at
// its 812 x 570: rebuilding the environment (the framework, the device objects, the textures
// restored, the sprite effects), and one tick's frame (the scene's animation, the room and table,
// the painted rack, the hand-over to the display) on one rasterizer thread and on the default.
#include "app/MainFrame.h"
#include "foundation/Folders.h"
#include "foundation/LibraryLists.h"
#include "platform/TempFolder.h"
#include "platform/dx/Device.h"
#include "platform/win32/Files.h"
#include "platform/win32/Messages.h"
#include "platform/window/Window.h"
#include "render/D3DEnum.h"
#include "render/D3DFramework.h"
#include "render/TextureManager.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <memory>

namespace
{
/// A started frame in a program folder of its own; everything undone at the end.
class CBenchFrame
{
public:
    CBenchFrame()
    {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        OverrideProgramFilePath((m_folder.Path() / "Vorn").string());
        FindDataFolder();
        InitIniFilePath();
        for (const char* szLib : {"Imagery1.dll", "Imagery.dll"})
            g_astrArtworkLibraries.Add((std::string(VORN_GAME_DIR) + szLib).c_str());
        g_astrBallSetLibraries.Add((std::string(VORN_GAME_DIR) + "VornBall.dat").c_str());
        if (!StartDisplay() || InstallSystemDisplayAdapter() == nullptr)
            return;
        m_pFrame = new CMainFrame;
        if (!m_pFrame->LoadFrame(128))
        {
            m_pFrame = nullptr;
            return;
        }
        m_hWnd = m_pFrame->m_hWnd;
        Pump();
    }
    ~CBenchFrame()
    {
        if (m_hWnd != nullptr && IsWindow(m_hWnd))
            m_pFrame->DestroyWindow();
        Pump();
        DeleteAllTextures();
        g_astrArtworkLibraries.RemoveAll();
        g_astrBallSetLibraries.RemoveAll();
        FreeDriverList();
        StopDisplay();
        OverrideProgramFilePath("");
    }
    CBenchFrame(const CBenchFrame&) = delete;
    CBenchFrame& operator=(const CBenchFrame&) = delete;

    static void Pump()
    {
        MSG msg;
        while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessage(&msg);
    }
    CMainFrame* Frame(benchmark::State& state) const
    {
        if (m_pFrame == nullptr || !m_pFrame->IsGameStarted())
            state.SkipWithError("no frame: set VORN_GAME_DIR's libraries up and a display");
        return m_pFrame != nullptr && m_pFrame->IsGameStarted() ? m_pFrame : nullptr;
    }
    HWND Window() const { return m_hWnd; }

private:
    CTempFolder m_folder;
    CMainFrame* m_pFrame = nullptr;
    HWND m_hWnd = nullptr;
};

void BM_EnvironmentChange(benchmark::State& state)
{
    const CBenchFrame bench;
    CMainFrame* pFrame = bench.Frame(state);
    if (pFrame == nullptr)
        return;
    for (auto _ : state)
        benchmark::DoNotOptimize(pFrame->Change3DEnvironment(bench.Window()));
}
BENCHMARK(BM_EnvironmentChange)->Unit(benchmark::kMillisecond);

/// Argument: the rasterizer's threads (0: its default).
void BM_FrameTick(benchmark::State& state)
{
    const CBenchFrame bench;
    CMainFrame* pFrame = bench.Frame(state);
    if (pFrame == nullptr)
        return;
    if (state.range(0) > 0)
        pFrame->GetFramework()->GetD3DDevice()->SetRenderThreads(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(pFrame->Render3DFrame());
}
BENCHMARK(BM_FrameTick)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
} // namespace
