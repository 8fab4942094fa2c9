// The game window: its creation, the message that starts the game, the frame tick, focus handling,
// closing and destruction; it owns the sound effects and starts and stops speech, music and the
// keyboard and mouse devices. The 3-D scene, the game flow and the interface are not here yet: the window shows a
// cleared frame through the 3-D framework and the game never starts a rack (the README lists what is missing).
#pragma once

#include "gameflow/FlowHost.h"
#include "gameflow/GameMode.h"
#include "media/SoundSystem.h"
#include "platform/mfc/CString.h"
#include "platform/mfc/Wnd.h"
#include "render/RackScene.h"
#include "simulation/Player.h"

#include <array>
#include <memory>
#include <vector>

class CD3DFramework;
class CGameFlow;

/// Private messages of the frame.
inline constexpr UINT WM_INITGAME = WM_USER + 4;
inline constexpr UINT WM_CLOSENOW = WM_USER + 14;

/// The current mode's bits of the game-mode word.
inline constexpr DWORD MODE_BITS = MODE_FIELD;

/// Frame size and the window class by which a second start finds the first.
inline constexpr int FRAME_WIDTH = 812;
inline constexpr int FRAME_HEIGHT = 570;
inline constexpr const char* FRAME_CLASS_NAME = "Vorn class";

/// The window class to create the frame with: the existing class of that name, else that name newly
/// registered, else the framework's frame class. Writes nothing into its argument.
const char* RegisterWindowClass(const char* szName);

/// ORs flags into the game-mode word; the new word.
DWORD SetModeFlags(DWORD dwFlags);

/// The sound effect of an engine event: a cushion hit (kind 1) by its strength, levels 0-1, 2-3,
/// 4-5 and above; ball on ball (kind 2) by its level 0 to 7; a pocket (kind 3). 0 for no sound.
int GetEventSoundId(int nKind, int nLevel);

class CSettings;
/// The two players as a game starts: no games, at this machine, the settings' levels and names; in
/// practice (competition type 0) the second is absent and named with one blank; two present players
/// of the same name become "<name>(1)" and "<name>(2)".
void SetUpPlayers(CPlayer& first, CPlayer& second, const CSettings& settings);
/// Converts the settings' ten physics coefficient texts into the ball simulation's coefficients;
/// a text that is not a number leaves its coefficient as it is.
void ApplyPhysicsCoefficients(const CSettings& settings);

class CMainFrame : public CFrameWnd, public IFlowHost
{
public:
    CMainFrame();
    ~CMainFrame() override;

    /// The frame tick; TRUE when it did something (a frame drawn), FALSE when it had nothing to do
    /// (minimised, inactive, not started or modal), so that the loop may wait a little.
    BOOL OnFrame();

    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    LRESULT WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override;

    static const SMessageMap* GetThisMessageMap();
    const SMessageMap* GetMessageMap() const override { return GetThisMessageMap(); }

    BOOL IsGameStarted() const { return m_bGameStarted; }
    BOOL IsClosing() const { return m_bClosing; }
    /// Modal mode: the tick does nothing while a modal dialog runs.
    void SetModalMode(BOOL bOn) { m_bModal = bOn; }
    /// The game's sound effects.
    CSoundSystem& GetSoundSystem() { return m_Sound; }

    /// The game flow on the live engine: the two players and whose turn it is, the referees, the
    /// modes, the stroke and the judging of shots. It lives as long as the frame.
    CGameFlow& GetGameFlow() { return *m_pGameFlow; }

    // What the game flow asks of the window.
    void PostFlowMessage(UINT nMsg, WPARAM wParam, LPARAM lParam) override;
    void ShowText(const char* szText, int nMs) override;
    void SaveSettings() override;
    void PlayCueSound(int nSlot) override;
    void PlayShotEvent(int nKind, int nLevel, const CVector3& vAt) override;

    /// The sound of a collision (kind 1 cushion, 2 ball on ball, by level) or a drop (kind 3) at a
    /// scene position; other kinds sound nothing.
    void PlayEventSound(int nKind, float x, float y, float z, int nLevel);
    /// In the bonus game, a ball-on-ball or kind-5 event may add one of the bonus sounds.
    void PlayRandomEventSound(int nKind, float x, float y, float z);

protected:
    int OnCreate(CREATESTRUCT* pcs);
    LRESULT OnInitGameMsg(WPARAM wParam, LPARAM lParam);
    /// The flow's match-progress message: the game type's continuation after a decided rack.
    LRESULT OnShotOutcome(WPARAM wParam, LPARAM lParam);
    /// The flow's call-the-shot message: game type and the mode to return to.
    LRESULT OnEnterCallShotMsg(WPARAM wParam, LPARAM lParam);
    void EnterCallShotMode(int nGameType, DWORD dwReturnMode);
    /// The flow's end of a match.
    LRESULT OnNewGameQuestion2(WPARAM wParam, LPARAM lParam);
    BOOL InitGame();
    void LoadGameSounds();
    void OnClose();
    LRESULT OnCloseNow(WPARAM wParam, LPARAM lParam);
    void OnDestroy();
    void OnPaint();
    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnKillFocus(CWnd* pNewWnd);
    void OnSetFocus(CWnd* pOldWnd);
    void OnActivateApp(BOOL bActive, DWORD dwThreadId);

private:
    std::unique_ptr<CGameFlow> MakeGameFlow();
    void RenderFrame();
    /// Opens the sound device, loads the effects, starts speech and names the music's window.
    void StartSound();
    /// The keyboard and the mouse, with the buffer sizes the game reads.
    void CreateInputDevices();
    /// Sound volume and mute from the settings; the music when it is switched on.
    void ApplySoundSettings();
    /// The devices' state and the events since the last frame.
    static void ReadInputDevices();

    /// Built with the frame: its construction opens the sound library.
    CSoundSystem m_Sound;
    /// The slot of each of the game's effects (-1 when it did not load), the bonus sounds' slots
    /// and the three ball-animation sounds' slots.
    std::vector<int> m_anGameSounds;
    std::vector<int> m_anBonusSounds;
    std::array<int, 3> m_anBallAnimSounds{-1, -1, -1};
    std::unique_ptr<CGameFlow> m_pGameFlow;
    BOOL m_bSavedScreenSaver = TRUE;
    std::unique_ptr<CD3DFramework> m_pFramework;
    CRackScene m_rackScene; // the racked table shown until the game flow sets its scene up
    BOOL m_bGameStarted = FALSE;
    BOOL m_bClosing = FALSE;
    BOOL m_bWindowActive = FALSE;
    BOOL m_bModal = FALSE;
    /// The exit command's start: the tick renders for 2000 ms, then closes (0 while no exit runs).
    BOOL m_bExitInProgress = FALSE;
    DWORD m_dwExitStamp = 0;
    /// The game-mode word kept while the window has no focus, and whether one was kept.
    DWORD m_dwSavedMode = 0;
    BOOL m_bModeSaved = FALSE;
    /// The scene's detail levels, one line each, read when the window is created.
    CStringArray m_astrLevels;
};
