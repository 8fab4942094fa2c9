// The main frame's shot replay: made over the game flow at first use and started by the replay
// command. Nothing is recorded, so it ends at once: the table stays as it was and the camera flies
// back to the view the replay was asked from, into the mode it was asked in.
#include "app/MainFrame.h"
#include "gameflow/GameFlow.h"

CReplay& CMainFrame::GetReplay()
{
    if (m_pReplay == nullptr)
    {
        m_pReplayHost = std::make_unique<CFlowReplayHost>(*m_pGameFlow);
        m_pReplay = std::make_unique<CReplay>(m_pReplayHost.get());
    }
    return *m_pReplay;
}

void CMainFrame::StartReplay()
{
    CReplay& replay = GetReplay();
    if (replay.IsActive())
        return;
    // The replay's end flies back to the view it was asked from.
    replay.SetSavedView(m_pGameFlow->GetCurrentView());
    replay.StartReplay(static_cast<int>(g_nGameMode & MODE_FIELD));
}
