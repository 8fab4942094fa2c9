#include "app/Replay.h"

#include "foundation/GameModeWord.h"
#include "gameflow/GameFlow.h"

namespace
{
/// The game-mode bits a replay sets while it plays.
constexpr DWORD REPLAY_MODE_BITS = 0x10000 | 0x80000;
} // namespace

void CReplay::StartReplay(int nMode)
{
    // Nothing is ever recorded, so there is nothing to play: the replay ends at once, back in the
    // mode it was asked in.
    m_nReturnMode = nMode;
    Stop();
}

void CReplay::Stop()
{
    // The balls on the table and the frame's ball list are left as they are: a replay with no
    // frames has nothing to put on the table, and emptying it would lose the game in progress.
    if (m_pOwner != nullptr)
        m_pOwner->SelectCueBall(0);
    g_nGameMode &= ~REPLAY_MODE_BITS;
    if (m_pOwner != nullptr)
    {
        m_pOwner->SetCameraFlight(nullptr);
        // The game goes on in the mode the replay was asked in (a ball in hand stays in hand), at
        // the end of the flight back when there is a view to fly back to.
        if (m_savedView.IsValid())
        {
            auto pFlight = std::make_unique<CCameraFlight>();
            pFlight->Start(m_pOwner->GetCurrentView(), m_savedView, m_nReturnMode, 0);
            m_pOwner->SetCameraFlight(std::move(pFlight));
            m_pOwner->EnterMode(REPLAY_FLIGHT_MODE);
        }
        else
            m_pOwner->EnterMode(m_nReturnMode);
        m_pOwner->ShowCue();
    }
    m_nState = 0;
    m_nReturnMode = REPLAY_AIM_MODE;
    m_bActive = FALSE;
}

void CReplay::Reset()
{
    m_frames.clear();
    m_frameTimes.clear();
    m_nReturnMode = REPLAY_AIM_MODE;
}

void CFlowReplayHost::SelectCueBall(int nFlags) { m_flow.SelectCueBall(nFlags); }

CViewRecord CFlowReplayHost::GetCurrentView() { return m_flow.GetCurrentView(); }

void CFlowReplayHost::SetCameraFlight(std::unique_ptr<CViewTransition> pFlight)
{
    m_flow.SetFlight(std::move(pFlight));
}

void CFlowReplayHost::EnterMode(int nMode) { m_flow.SetGameMode(static_cast<DWORD>(nMode)); }
