// What the frame painter draws for the scene until the game sets its own up: the racked table's
// room and table objects in list order and its balls.
#include "app/MainFrame.h"
#include "render/D3DFramework.h"

void CMainFrame::SetUpInterimScene()
{
    m_rackScene.SetUp(*m_pFramework, m_ballPainter);
    m_sceneAnimation.SetClock(m_rackScene.GetClock());
}

void CMainFrame::DrawInterimScene(int nFlags)
{
    if (m_pFramework == nullptr)
        return;
    // Flags 3: the view did not change, so unchanged balls are copied from their images.
    m_ballPainter.SetViewChanged(nFlags != 3);
    m_rackScene.Draw(*m_pFramework, m_ballPainter);
}
