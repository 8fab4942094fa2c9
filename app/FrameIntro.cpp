// The main window's side of the intro's lamp sequence: whether the game opens with it, the
// frame's painting while it runs, and the game's first turn at its end. Main thread only.
#include "app/MainFrame.h"
#include "foundation/Settings.h"
#include "gameflow/GameFlow.h"
#include "media/Speech.h"
#include "platform/win32/DebugLog.h"
#include "render/CameraFlight.h"
#include "render/Environment3D.h"
#include "render/SceneObject.h"
#include "render/TableSpace.h"
#include "ui/IntroSequence.h"

#include <memory>

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
    // The computer's first turn flies to its own aim, held at the top view when the settings hold
    // the game there; a person's begins with the flight from the dark room to the default camera
    // over the table, or to the top view, and ball in hand at its end.
    if (IsComputerToPlay())
    {
        if (g_Settings.m_nOverHeadView != 0)
            HoldTopViewForComputer();
        StartPlay();
    }
    else if (g_Settings.m_nOverHeadView != 0)
        EnterPlayView();
    else
        FlyToTableAfterIntro();
}

void CMainFrame::EnterPlayView()
{
    SetModalMode(FALSE);
    ReleasePanelControls();
    g_Settings.Save();
    CGameFlow& flow = *m_pGameFlow;
    const CViewRecord from = flow.GetCurrentView();
    flow.Current().SetViewRecord(from);
    // The top view's flight sets the flag that holds the camera there when it lands.
    auto pFlight = std::make_unique<CCameraFlightG>();
    pFlight->Start(from, GetOverheadView(), static_cast<int>(modeBallInHand), 0);
    flow.SetFlight(std::move(pFlight));
    flow.SetGameMode(modeCameraFlight);
    OutputDebugString("Intro: the camera flies to the top view\n");
}

void CMainFrame::HoldTopViewForComputer()
{
    SetGameFlag(gmKeepView);
    m_pGameFlow->ApplyTopView();
    OutputDebugString("Intro: the computer plays from the top view\n");
}

void CMainFrame::FlyToTableAfterIntro()
{
    CGameFlow& flow = *m_pGameFlow;
    CViewRecord target = flow.GetCurrentView();
    const CVector3 vCamera = CCameraObject::GetDefaultPosition(); // yaw, pitch, distance
    // The camera looks at the table's bed: the table object stands on the floor, and a camera
    // looking at its foot would end below the rails, facing the table's side.
    CVector3 vTable = target.m_vViewPoint;
    if (const CSceneObject* pTable = GetTableObject(); pTable != nullptr)
    {
        pTable->GetPosition(nullptr, vTable);
        vTable.y += SCENE_BED_HEIGHT;
    }
    target.Set(vCamera.x, vCamera.y, vCamera.z, vTable.x, vTable.y, vTable.z, 0.0f, 0.0f, vCamera.x, target.m_vCue.y,
               0.0f);
    auto pFlight = std::make_unique<CCameraFlight>();
    pFlight->Start(flow.GetCurrentView(), target, static_cast<int>(modeBallInHand), 0);
    flow.SetFlight(std::move(pFlight));
    flow.SetGameMode(modeCameraFlight);
    OutputDebugString("Intro: the camera flies to the table\n");
}
