// The shot replay: it would play the last shot back from recorded frames of ball states. No
// frame is ever recorded, so asking for a replay ends it at once: the camera flies back to the
// saved view (or the game goes on at once without one) and the table stays exactly as it was.
#pragma once

#include "foundation/Vector3.h"
#include "foundation/ViewRecord.h"
#include "platform/win32/WinTypes.h"
#include "render/CameraFlight.h"
#include "simulation/Ball.h"

#include <memory>
#include <vector>

/// The game mode of a flight back from a replay, and of aiming.
inline constexpr int REPLAY_FLIGHT_MODE = 0x1000;
inline constexpr int REPLAY_AIM_MODE = 0x20;

/// What a replay's end asks of the main frame.
class IReplayHost
{
public:
    virtual ~IReplayHost() = default;
    /// Selects the struck ball again.
    virtual void SelectCueBall(int nFlags) = 0;
    /// The camera's current view (degrees).
    virtual CViewRecord GetCurrentView() = 0;
    /// Replaces the current camera flight (null deletes it) and, when one is given, starts it.
    virtual void SetCameraFlight(std::unique_ptr<CViewTransition> pFlight) = 0;
    /// Enters a game mode.
    virtual void EnterMode(int nMode) = 0;
    /// Shows the cue again.
    virtual void ShowCue() = 0;
};

class CGameFlow;

/// The replay's end as the game flow carries it out: the flow selects the struck ball, gives the
/// view, runs the flight back and enters the modes; no cue is drawn, so showing it does nothing.
class CFlowReplayHost : public IReplayHost
{
public:
    explicit CFlowReplayHost(CGameFlow& flow) : m_flow(flow) {}
    void SelectCueBall(int nFlags) override;
    CViewRecord GetCurrentView() override;
    void SetCameraFlight(std::unique_ptr<CViewTransition> pFlight) override;
    void EnterMode(int nMode) override;
    void ShowCue() override {}

private:
    CGameFlow& m_flow;
};

class CReplay
{
public:
    explicit CReplay(IReplayHost* pOwner) : m_pOwner(pOwner) {}

    /// With recorded frames this would start playing; with none it stops at once. nMode: the
    /// mode the game goes on in afterwards.
    void StartReplay(int nMode);
    /// Ends the replay: the struck ball selected again, the replay bits of the game-mode word
    /// cleared, a flight back to the saved view (mode 0x1000) into the mode to return to, or that
    /// mode at once without a view; the mode to return to is aiming (0x20) again afterwards.
    void Stop();
    /// Advances a running replay; 0 while none runs (always).
    int Tick() { return m_bActive ? 1 : 0; }
    void ClearState() { m_nState = 0; }
    /// Forgets every frame.
    void Reset();

    BOOL IsActive() const { return m_bActive; }
    void SetSavedView(const CViewRecord& view) { m_savedView = view; }
    int GetReturnMode() const { return m_nReturnMode; }

private:
    IReplayHost* m_pOwner;
    int m_nState = 0;
    BOOL m_bActive = FALSE;
    CViewRecord m_savedView;
    std::vector<DWORD> m_frameTimes;          // ms, one per frame
    std::vector<std::vector<CBall>> m_frames; // sixteen ball states a frame
    int m_nReturnMode = REPLAY_AIM_MODE;
};
