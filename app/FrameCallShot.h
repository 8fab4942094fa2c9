// The main frame's side of calling the shot and of picking balls on the table: the frame answers
// the call-the-shot state's questions from its game flow, its camera, its input devices and its
// cursor, and lists the balls on the table the way the hover picker sees them.
#pragma once

#include "gameflow/CallShotState.h"
#include "render/Picking.h"

#include <vector>

class CMainFrame;
class CGameFlow;

/// The balls on the table as the picker sees them: ball number, scene centre and scene radius.
std::vector<SPickBall> GetPickableBalls(const CGameFlow& flow);
/// The cursor in client pixels of the window.
POINT GetClientCursor(HWND hWnd);
/// The rectangle the frame projects the scene into.
RECT GetSceneViewRect(const CMainFrame& frame);

/// The frame as the call-the-shot state's host. The frame owns it; it outlives the state it
/// serves and deletes a state still open when it goes.
class CFrameCallShotHost final : public ICallShotHost
{
public:
    explicit CFrameCallShotHost(CMainFrame& frame) : m_frame(frame) {}
    ~CFrameCallShotHost() override;
    CFrameCallShotHost(const CFrameCallShotHost&) = delete;
    CFrameCallShotHost& operator=(const CFrameCallShotHost&) = delete;

    CViewRecord GetCurrentView() const override;
    void ApplyViewRecord(const CViewRecord& view) override;
    void UpdateAimCamera(int nMoveCamera) override;
    DWORD GetViewFlags() const override;
    void SetViewFlags(DWORD nFlags) override;
    void SetFieldOfView(float fFov) override;
    void SetGameMode(DWORD nMode) override;
    void BeginBallInHand(int nAnywhere) override;
    void SelectCueBall(int nMoveCamera) override;
    void ClipCursorToView() override;
    bool StartAimFlight(float fYawDeg, DWORD nEndMode) override;

    int GetPressedKey() override;
    bool WasLeftReleased() override;
    void DiscardInput() override;
    POINT GetCursorPoint() const override;

    int PickBall() override;
    int GetCueBallNumber() const override;
    bool ProjectPocket(int i, POINT& pt) const override;
    CVector3 GetCueBallPosition() const override;
    CVector3 GetCushionPoint(int nPocket) const override;
    void TintBall(int nBall, bool bCalled) override;
    void ResetBallOrientation(int nBall) override;

    void PostPanelCommand(WPARAM wParam) override;
    void SetCursorResource(int nId) override;
    void ToggleDrawLevel() override;
    void PanelKeyAction(int nKey) override;
    void UpdatePocketArrow() override;
    void SetPanelRepaint() override;
    bool IsCurrentPlayerOne() const override;
    bool IsPlayer2Computer() const override;
    DWORD GetTickCount() const override;

    /// A new call: its targets are to be noted again.
    void BeginNotes() { m_bTargetsNoted = false; }
    /// The debug log's lines of where a click calls each ball and pocket, once a call; the view
    /// the frame was drawn with gives the places.
    void NoteTargets();

private:
    CGameFlow& Flow() const;

    CMainFrame& m_frame;
    bool m_bTargetsNoted = false;
};
