// Calling the shot: while the game is in modeCallShot the state steers the mouse and keys. A
// click on a ball calls or uncalls it (never the cue ball), a click near a pocket calls or
// uncalls that pocket; once both are called the state ends and the camera flies to a view along
// the called line. The call lives in the two call records (CallRecord.h) the rest of the game reads.
//
//   state              event                                   next
//   calling            click ball / pocket                     calling (call or uncall)
//   calling            both called                             both called (completion time kept)
//   both called        player 1, or player 2 a person          done
//   both called        player 2 the computer, > 3000 ms        done (the call stays on screen)
//   any                Escape, E, A, B, M                      Finish: done, call reset, Leave
//   done               the dispatcher's Leave                  flight to the called line (both
//                                                              called) or the return mode
#pragma once

#include "foundation/Vector3.h"
#include "foundation/ViewRecord.h"
#include "platform/win32/WinTypes.h"

/// What the call-the-shot state asks of the main frame, its scene and its input.
class ICallShotHost
{
public:
    virtual ~ICallShotHost() = default;

    // Camera and modes.
    virtual CViewRecord GetCurrentView() const = 0;
    virtual void ApplyViewRecord(const CViewRecord& view) = 0;
    virtual void UpdateAimCamera(int nMoveCamera) = 0;
    virtual DWORD GetViewFlags() const = 0;
    virtual void SetViewFlags(DWORD nFlags) = 0;
    virtual void SetFieldOfView(float fFov) = 0;
    virtual void SetGameMode(DWORD nMode) = 0;
    virtual void BeginBallInHand(int nAnywhere) = 0;
    virtual void SelectCueBall(int nMoveCamera) = 0;
    virtual void ClipCursorToView() = 0;
    /// Starts the flight to the aim at that yaw (degrees) whose end enters the mode; false when
    /// the flight cannot be made.
    virtual bool StartAimFlight(float fYawDeg, DWORD nEndMode) = 0;

    // Input of this tick.
    /// The earliest key pressed since the last read (a DirectInput scan code), 0 when none.
    virtual int GetPressedKey() = 0;
    virtual bool WasLeftReleased() = 0;
    /// Reads the mouse and keyboard once and forgets what they held.
    virtual void DiscardInput() = 0;
    /// The cursor in client pixels of the main window.
    virtual POINT GetCursorPoint() const = 0;

    // The table.
    /// The ball under the cursor (the hover picker), -1 when none.
    virtual int PickBall() = 0;
    virtual int GetCueBallNumber() const = 0;
    /// Pocket i's place at the table height projected to window pixels; false when it has none.
    virtual bool ProjectPocket(int i, POINT& pt) const = 0;
    /// The cue ball's position and a pocket's cushion point on the table (x, y).
    virtual CVector3 GetCueBallPosition() const = 0;
    virtual CVector3 GetCushionPoint(int nPocket) const = 0;
    /// A ball's tint: called (1, 1, 1, 1) or normal (1, 1, 1, 0); the object is re-placed.
    virtual void TintBall(int nBall, bool bCalled) = 0;
    virtual void ResetBallOrientation(int nBall) = 0;

    // The frame.
    virtual void PostPanelCommand(WPARAM wParam) = 0;
    virtual void SetCursorResource(int nId) = 0;
    virtual void ToggleDrawLevel() = 0;
    virtual void PanelKeyAction(int nKey) = 0;
    virtual void UpdatePocketArrow() = 0;
    virtual void SetPanelRepaint() = 0;
    virtual bool IsCurrentPlayerOne() const = 0;
    /// Player 2 is the computer (its "Player level 2" setting is not 0).
    virtual bool IsPlayer2Computer() const = 0;
    virtual DWORD GetTickCount() const = 0;
};

/// The panel command a call change posts (WM_USER + 5).
inline constexpr WPARAM CALL_SHOT_PANEL_COMMAND = 0x10022;
/// How long a computer player 2's finished call stays on screen. Milliseconds.
inline constexpr DWORD CALL_SHOT_ROBOT_WAIT_MS = 3000;
/// How near the cursor must be to a pocket's projected place. Pixels.
inline constexpr int CALL_SHOT_POCKET_RADIUS = 30;

class CCallShotState
{
public:
    /// Both call records reset; the return mode modeAim.
    explicit CCallShotState(ICallShotHost& host);
    /// The current call's flag back to 1 and both call records reset.
    virtual ~CCallShotState();
    CCallShotState(const CCallShotState&) = delete;
    CCallShotState& operator=(const CCallShotState&) = delete;

    virtual void Begin(const CViewRecord& view, DWORD nReturnMode);
    virtual BOOL IsDone() const { return m_bDone; }
    virtual void Finish();
    /// Ends the state; runs once however often it is called.
    virtual void Leave();
    virtual void HandleInput();
    /// 1 the "call" cursor (262), 2 the "called" cursor (263), else the arrow (32649).
    virtual void SetCursorKind(int nKind);
    /// The first pocket whose projected place lies within 30 pixels of the cursor, -1 when none.
    virtual int PocketUnderCursor() const;

    /// A call resumed from a saved game while it was being made (after Begin): what was called
    /// is called again; with both called the state ends as a finished call would.
    void Resume(int nBall, int nPocket);
    /// A call made before the game was saved: the state is over, the call current and saved.
    void RestoreFinished(int nBall, int nPocket);

    DWORD GetReturnMode() const { return m_nReturnMode; }
    int GetPickedBall() const { return m_nPickedBall; }
    BOOL AreBothCalled() const { return m_bBothCalled; }

protected:
    ICallShotHost& m_host;

private:
    /// Finish, then the key's own mode.
    void FinishInto(DWORD nMode);
    void HandlePointer();
    void ClickPocket(int nPocket);
    void ClickBall(int nBall);
    void NoteCompletion();
    void FlyToCall();

    BOOL m_bDone = FALSE;
    CViewRecord m_View;
    DWORD m_nSavedViewFlags = 0;
    DWORD m_nCompletionTime = 0;
    BOOL m_bBothCalled = FALSE;
    DWORD m_nReturnMode;
    int m_nPickedBall = -1;
    bool m_bLeft = false;
};

/// A state that, when it finishes, restores a preset call: the constructor stores the ball and
/// pocket as the saved call, and Finish makes it the current call again.
class CCallShotStatePreset : public CCallShotState
{
public:
    CCallShotStatePreset(ICallShotHost& host, int nBall, int nPocket);
    void Finish() override;
};

/// The state while a shot is being called, null otherwise; the main frame owns it. Main thread.
extern CCallShotState* g_pCallShotState;
