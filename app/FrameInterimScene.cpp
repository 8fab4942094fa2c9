// The scene the frame painter draws until the game sets its own up: the racked table's room and
// table objects and its balls.
#include "app/MainFrame.h"
#include "render/D3DFramework.h"

void CMainFrame::SetUpInterimScene()
{
    m_rackScene.SetUp(*m_pFramework, m_ballPainter);
    m_sceneAnimation.SetClock(m_rackScene.GetClock());
}
