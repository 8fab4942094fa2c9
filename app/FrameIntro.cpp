// The main window's side of the intro's lamp sequence: whether the game opens with it, the
// frame's painting while it runs, and the game's first turn at its end. Main thread only.
#include "app/MainFrame.h"
#include "foundation/Settings.h"
#include "gameflow/GameFlow.h"
#include "media/Speech.h"
#include "platform/win32/DebugLog.h"
#include "render/Environment3D.h"
#include "ui/IntroSequence.h"

namespace
{
/// The game types that open without the intro: aiming at once, and the resumed last game.
constexpr int GAME_DIRECT_AIM = 32;
constexpr int GAME_RESUME_LAST = 33;
} // namespace

bool CMainFrame::OpensWithIntro(int nGameType)
{
    return nGameType != GAME_DIRECT_AIM && nGameType != GAME_RESUME_LAST && g_Settings.m_nAdvancedLighting == 1;
}

void CMainFrame::StartIntro()
{
    OutputDebugString("Intro: the lamps come on\n");
    g_IntroSequence.Start(this);
}

void CMainFrame::PaintFrame(int nFlags)
{
    // While the intro runs, its step paints the frame with its own lighting.
    if (!g_IntroSequence.IsFinished())
        g_IntroSequence.Run();
    else
        DrawScene(nFlags);
}

void CMainFrame::BringIntroWindowToFront()
{
    SetForegroundWindow();
    BringWindowToTop();
}

void CMainFrame::DrawIntroPanels()
{
    ClearPanel();
    DrawScene(g_bViewChanged ? 0 : 3);
}

void CMainFrame::BeginPlayAfterIntro()
{
    OutputDebugString("Intro: finished\n");
    // The key that ended the intro is the intro's, not the game's.
    ReadInputDevices();
    SetForegroundWindow();
    g_Speech.StartComment();
    g_Speech.ResumeSound();
    StartPlay();
}
