// What the game flow asks of the window, the scene and the dialogs. The flow itself needs no
// window: the main frame implements these with its camera flights, text messages and dialogs, and
// a headless harness with a record of what was asked. Every operation has a default that does the
// least the flow needs, so a harness overrides only what it watches.
#pragma once

#include "foundation/Vector3.h"
#include "platform/win32/Messages.h"
#include "platform/win32/WinTypes.h"

#include <string>
#include <vector>

/// A message the flow posts to the main thread's queue (WM_USER + n).
struct SFlowMessage
{
    UINT nMsg = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

class CMainFrame;
class CReferee;
class ICueScene;
struct SFlowCamera;
struct SFlowInput;

class IFlowHost
{
public:
    virtual ~IFlowHost() = default;

    /// Posts a message to the main frame; by default it waits in PostedMessages for the caller's
    /// pump.
    virtual void PostFlowMessage(UINT nMsg, WPARAM wParam, LPARAM lParam)
    {
        m_Posted.push_back(SFlowMessage{nMsg, wParam, lParam});
    }
    /// An on-screen text for nMs milliseconds (-1: it stays).
    virtual void ShowText(const char* szText, int nMs)
    {
        (void)szText;
        (void)nMs;
    }
    /// An on-screen text from the program's strings for nMs milliseconds; an empty string shows
    /// nothing.
    virtual void ShowStringText(UINT nId, int nMs)
    {
        (void)nId;
        (void)nMs;
    }
    /// A string of the program; empty when it has none.
    virtual std::string LoadFlowString(UINT nId)
    {
        (void)nId;
        return {};
    }
    /// The current mode's one-line help, a string of the program (0: an empty text).
    virtual void SetModeHint(UINT nId) { (void)nId; }
    /// The ball under the cursor, -1 when none; the cursor shows whether one is there.
    virtual int PickBallUnderCursor() { return -1; }
    /// Drops every on-screen text, shown or waiting.
    virtual void ClearTexts() {}
    /// Steps the on-screen texts once a tick; bDismiss: this tick's click may end a text that
    /// allows it.
    virtual void StepTexts(bool bDismiss) { (void)bDismiss; }
    /// Writes the settings (a trophy was added).
    virtual void SaveSettings() {}
    /// The end-of-match dialogs, shown in modal mode; by default nothing is shown.
    virtual void ShowMatchResult(const char* szWinner, bool bHumanWon)
    {
        (void)szWinner;
        (void)bHumanWon;
    }
    /// The match-won dialog with the name, shown in modal mode; by default nothing is shown.
    virtual void ShowMatchWon(const char* szName) { (void)szName; }
    /// The cue's sound: 0 soft, 1 medium, 2 hard.
    virtual void PlayCueSound(int nSlot) { (void)nSlot; }
    /// A collision or drop of the shot, as the engine recorded it, at its table position (metres).
    virtual void PlayShotEvent(int nKind, int nLevel, const CVector3& vAt)
    {
        (void)nKind;
        (void)nLevel;
        (void)vAt;
    }
    /// Ball nBall dropped into pocket nPocket (0 to 5): the pocket's effect starts there.
    virtual void StartPocketEffect(int nBall, int nPocket)
    {
        (void)nBall;
        (void)nPocket;
    }
    /// The shot record's planned shot becomes the call made: finished, and shown by the pocket arrow.
    virtual void CallTheRecordedShot() {}
    // The commentary: comments on the game, spoken or written, chosen by the frame's speech rules.
    /// A shot was judged: the comments on it and on the coming shot are chosen (not yet played).
    virtual void CommentOnShot(bool bRobot, const CReferee& referee)
    {
        (void)bRobot;
        (void)referee;
    }
    /// In the American and bonus games, after a good shot: the shooter's count reached the last ball
    /// or passed half way.
    virtual void CommentOnCount(bool bRobot, bool bLastBall, bool bHalfWay)
    {
        (void)bRobot;
        (void)bLastBall;
        (void)bHalfWay;
    }
    /// The comments chosen for the judged shot are played.
    virtual void PlayShotComments() {}
    /// Comments waiting to be spoken may play now.
    virtual void ResumeCommentary() {}
    /// Each tick while a person aims: a comment on a long pause, when the commentary has been quiet
    /// long enough.
    virtual void OfferIdleComment(int nGameType) { (void)nGameType; }
    /// A new rack of the match begins (before the balls are racked): the commentary starts
    /// afresh and the rounding switches follow the mode word. Nothing to do without a window.
    virtual void PrepareNewRack() {}
    /// Calling the shot begun again for the game type, returning to dwReturnMode; without a
    /// window there is no call to make.
    virtual void EnterCallShotMode(int nGameType, DWORD dwReturnMode)
    {
        (void)nGameType;
        (void)dwReturnMode;
    }
    /// Before a stroke from the keys: the panels, hints and sliders give the table to the shot and
    /// the power widget's tip goes. Nothing to hide without a window.
    virtual void HideStrokeWidgets() {}
    /// The main frame a rule plug-in's records carry; none without a window.
    virtual CMainFrame* GetMainFrame() { return nullptr; }
    /// The DirectInput mouse taken again after the computer's shot, which may have released it.
    virtual void AcquireMouse() {}
    /// The arrow over the called pocket hidden: the call it marked has been judged.
    virtual void HidePocketArrow() {}
    /// A shot has been judged, or a new rack set up: the scene's object of number 32, when it has
    /// one, is marked shown. Nothing to mark without a scene.
    virtual void MarkSceneShown() {}
    /// A new rack: the call-the-shot state ends and the arrow over its pocket is hidden.
    virtual void EndCallShot() {}

    /// This tick's reading of the keyboard and the mouse; by default nothing is pressed or moved.
    virtual void ReadFlowInput(SFlowInput& input) { (void)input; }
    /// Hands this tick's cursor and buttons to the in-game widgets; true when one of them lies
    /// under the cursor, and the flow's own mouse handling then skips the tick. None by default.
    virtual bool RouteMouseToWidgets() { return false; }

    // The aim and the camera.
    /// The flow's camera has moved: the frame puts its camera object and the sound listener there.
    virtual void PlaceCamera(const SFlowCamera& camera) { (void)camera; }
    /// Keeps a camera place inside the room (the "DrawLevel" switch), coming from vFrom.
    virtual void ClampCameraToRoom(CVector3& vPosition, const CVector3& vFrom)
    {
        (void)vPosition;
        (void)vFrom;
    }
    /// Whether the room blocks the camera at that place: it would stand outside it.
    virtual bool IsCameraBlocked(const SFlowCamera& camera)
    {
        (void)camera;
        return false;
    }
    /// The cue follows its aim, elevation, english and pull-back (the cue's pose in the scene).
    virtual void AlignCue() {}
    /// The cue shows or hides by the game-mode word: hidden while a shot runs, shown otherwise.
    virtual void RefreshCue() {}
    /// The cue as the obstruction test sees it; null when nothing can obstruct it.
    virtual ICueScene* GetCueScene() { return nullptr; }
    /// The aiming aid simulates the aimed shot again.
    virtual void RestartAimPreview() {}
    /// At the strike, before the shot begins: the aiming aid copies the live balls, so that it shows
    /// the table as it was before the shot.
    virtual void CopyBallsToAimingAid() {}
    /// The main view's width factor: 1.333 over its width-to-height ratio, times 0.7 (a 4:3 view's
    /// by default); a zooming flight moves the view's width towards it.
    virtual float GetViewWidthFactor() { return 0.7f; }
    /// Stores the first value of the box the camera is kept in (a flight's last value).
    virtual void SetCameraBoundsFirst(float fValue) { (void)fValue; }
    /// One of the thirteen power-step sounds (0 to 12).
    virtual void PlayPowerStep(int nStep) { (void)nStep; }
    /// The warning beep of a blocked cue.
    virtual void Beep() {}
    /// Whether the player's command may run now (key M's free placement); a refusal beeps.
    virtual bool CanAcceptCommand() { return true; }
    /// Confines the cursor to the view again.
    virtual void ClipCursorToView() {}
    /// Whether the main window has the focus.
    virtual bool HasFocus() { return true; }
    /// The "DrawLevel" switch flipped (key G).
    virtual void ToggleDrawLevel() {}
    /// Esc, Space or Enter during a settings preview: the saved settings back and the preview's end.
    virtual void EndSettingsPreview() {}
    /// The pause panel shown (the game paused) or hidden.
    virtual void ShowPausePanel(bool bShow) { (void)bShow; }
    /// The links of the room under the cursor: hovered, and opened on a click.
    virtual void HandleLinks() {}
    /// Tab held: the mouse leaves the game and works the panels and the links only.
    virtual void HandleMenuScreenMouse() {}
    /// Each tick out of Tab's cursor mode: the mode ended when it was on.
    virtual void HideHoverWidgets() {}

    // Ball in hand and free placement: the frame drags a ball's object over the table. By default
    // nothing is dragged, and a drop is taken where the ball lies.
    /// Begins dragging ball nBall, lifted, from the cursor: as a ball in hand (kept one radius
    /// inside the cushions, behind the head string unless bAnywhere) or freely placed.
    virtual void BeginBallDrag(int nBall, bool bBallInHand, bool bAnywhere)
    {
        (void)nBall;
        (void)bBallInHand;
        (void)bAnywhere;
    }
    virtual bool IsBallDragging() { return false; }
    /// Moves the dragged ball along the camera's axes on the table (scene units); the engine
    /// takes the table point under it.
    virtual void DragBall(float dx, float dy)
    {
        (void)dx;
        (void)dy;
    }
    /// Sets the dragged ball down: true when the table took it (the engine has it there), false
    /// when the drop was refused (a beep) and the drag goes on.
    virtual bool DropBall() { return true; }
    /// The drag undone: the ball back where it was taken up. Nothing without a drag.
    virtual void CancelBallDrag() {}
    /// The ball under the cursor, highlighted; -1 when none.
    virtual int HighlightBall() { return -1; }

    std::vector<SFlowMessage>& PostedMessages() { return m_Posted; }

private:
    std::vector<SFlowMessage> m_Posted;
};

/// The match-progress, call-the-shot and end-of-match messages of the flow.
inline constexpr UINT FLOW_MSG_MATCH_PROGRESS = WM_USER + 3;
inline constexpr UINT FLOW_MSG_CALL_SHOT = WM_USER + 8;
inline constexpr UINT FLOW_MSG_CLOSE_NOW = WM_USER + 14;
inline constexpr UINT FLOW_MSG_MATCH_END = WM_USER + 15;
