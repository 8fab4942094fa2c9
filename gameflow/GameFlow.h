// The game flow's state and its judging core: the two players and whose turn it is, the referee
// pair of the game type, the ball lists by number, the cue's stroke state, and the operations that
// change the mode, pass the turn, judge a finished shot into points, fouls, put-backs and racks,
// and count racks into a match. Nothing here needs a window or a 3-D device: what the flow asks
// of the scene and the dialogs goes through IFlowHost.
#pragma once

#include "gameflow/BallObjects.h"
#include "gameflow/CameraFraming.h"
#include "gameflow/FlowCamera.h"
#include "gameflow/FlowHost.h"
#include "gameflow/FlowInput.h"
#include "gameflow/GameMode.h"
#include "platform/mfc/CString.h"
#include "render/CameraFlight.h"
#include "simulation/GamePlugin.h"
#include "simulation/Player.h"
#include "simulation/Referee.h"
#include "simulation/ShotInfo.h"

#include <array>
#include <memory>
#include <span>
#include <vector>

class CBallEngine;
struct SShotPlannerSetup;
class CGamePlugins;

/// The settings the flow reads.
struct SFlowSettings
{
    int nCompetitionType = 1;      ///< "Competition Type": 0 practice (one person plays both sides)
    int nGamesGoal = 1;            ///< "Games Goal": racks needed to win the match
    int nAiDefaultLevel = 5;       ///< "AI Default Level": 1 to 9
    int nBallPath1 = 1;            ///< "BallPath1": the first aiming-aid path is shown
    int nOverheadView = 0;         ///< "OverHead View"
    int nRecommendedShot = 0;      ///< "RecommendedShot"
    int nHitVelocity = 7;          ///< "HitVelocity": the full swing's speed (m/s)
    int nCameraMotion = 0;         ///< "Camera Motion": 0, 1 or 2, how the camera follows a shot
    int nViewType = 0;             ///< "View Type": 0, 1 or 2, how the camera comes to the computer's shot
    int nDrawLevel = 0;            ///< "DrawLevel": the camera stays inside the room
    int nAimingAid = 0;            ///< the frame's option bit 0x80: the aiming aid is on
    LONG nMatchGoal = 50;          ///< the points a game is played to, as the game was set up or resumed
    std::array<int, 6> anTrophy{}; ///< "Trophy0" to "Trophy5", each 0 to 7
};

/// The cue's stroke state the flow reads and writes.
struct SCueStroke
{
    float fPullBack = 0.0f; ///< how far the cue is drawn back
    float fMin = 0.0f;      ///< the stroke range
    float fMax = 1.0f;
    float fAim = SFlowCamera::DEFAULT_YAW; ///< aim angle around the cue ball (degrees), along the camera's rest view
    float fElevation = 5.0f;               ///< the elevation the stroke uses (degrees)
    float fRequestedElevation = 5.0f;      ///< what the player set (degrees)
    float fTipX = 0.0f;                    ///< the cue tip's offset on the ball's face
    float fTipY = 0.0f;
};

/// The last stroke as handed to the engine.
struct SLastStroke
{
    float fSpeed = 0.0f;     ///< m/s
    float fDirection = 0.0f; ///< radians
    float fElevation = 0.0f; ///< radians
    float fTipX = 0.0f;
    float fTipY = 0.0f;
};

/// The computer's animated stroke.
enum EStrokePhase : int
{
    phaseSwing = 0,
    phasePreshot = 1,
    phaseFinalSwing = 2,
    phaseShot = 3,
};

/// Trophy values: adding a trophy to a slot's set of three.
enum ETrophy : int
{
    TROPHY_BRONZE = 1,
    TROPHY_SILVER = 2,
    TROPHY_GOLD = 3,
};
/// The trophy set after adding one; a value outside the table stays.
int AddTrophy(int nSet, ETrophy eTrophy);
/// The trophy slot of a game type.
int GetTrophySlot(int nGameType);
/// The statistics section of a game type.
int GetStatsSection(int nGameType);
/// The ball count of a referee, held to the sixteen balls a table has, and the mask of those balls.
int GetTableBallCount(const CReferee& referee);
WORD GetBallsMask(int nBalls);
/// The lowest numbered object ball (1 and up) of a ball mask below nLimit; nLimit when none is.
int LowestBall(WORD wMask, int nLimit);

class CGameFlow : public ICameraFlightHost
{
public:
    /// The engine, plug-in manager and host must outlive the flow; plug-ins may be null.
    CGameFlow(CBallEngine& engine, CGamePlugins* pPlugins, IFlowHost& host);
    ~CGameFlow() override;
    CGameFlow(const CGameFlow&) = delete;
    CGameFlow& operator=(const CGameFlow&) = delete;

    /// The rule plug-in's game of the game type played; null when the type is no plug-in's.
    CPluginGame* GetPluginGame() const;

    // Modes.
    void SetGameMode(DWORD dwNewMode);
    /// The power widget's value as the last mode change showed it.
    float GetPowerValue() const { return m_fPowerValue; }

    // The stroke.
    /// One tick of the computer's animated stroke: 1 while it goes on, 0 when it has ended.
    int RunShotPhase(float fInputFactor);
    void StrikeCueBall();
    int GetStrokePhase() const { return m_nPhase; }
    const SLastStroke& GetLastStroke() const { return m_LastStroke; }

    // The mouse and keyboard. Each handler runs once per tick on the reading HandleMouse took.
    /// The source of the reading; null asks the host.
    void SetInput(IFlowInput* pInput) { m_pInput = pInput; }
    const SFlowInput& GetInput() const { return m_Input; }
    SMouseResponse& Response() { return m_Response; }
    /// One tick of input: the steps common to every mode, then the handler of the mode.
    void HandleMouse();
    void HandleAimKeys(float fFactor);
    /// The elevation handler.
    void HandleKeys(float fFactor);
    void HandleMouseStroke(float fFactor);
    void HandleZoom(float fFactor);
    /// The english handler: the cue tip over the ball's face.
    void HandleCueTipMode(float fFactor);
    /// The handler while no mode is set.
    void HandleIdleModeKeys();
    /// The handler of the pause, of calling the shot and of the overhead view's aiming.
    void HandlePanelInput(float fFactor);
    /// The camera's yaw and zoom while the computer's cue strokes.
    void SteerCameraDuringStroke(float fFactor);
    void TogglePause();
    /// The pause's panel closed and the clock running again, the mode left as it is; nothing when
    /// the game is not paused.
    void ResumeFromPause();
    /// The overhead view's panel opened for a person to aim from: the game waits on it, unpaused.
    void OpenOverheadPanel();
    bool IsPaused() const { return m_bPaused; }
    /// The aiming aid's preview time by the mouse (key F held).
    void AdjustPreviewTime(float fFactor);
    /// Seconds the aiming aid simulates of the aimed shot, 0.1 to 10.
    double GetPreviewTime() const { return m_dPreviewTime; }
    /// Ticks an arrow key has been held.
    int GetKeyRepeat() const { return m_nKeyRepeat; }

    // The camera.
    SFlowCamera& Camera() { return m_Camera; }
    /// The camera the frame views the table through: the flow's own, or while X is held the look
    /// along the cue at the cue ball, which leaves the flow's camera where it is.
    SFlowCamera GetViewCamera() const;
    /// Turns the camera by two angles (degrees) unless, with "DrawLevel", it would stand in the room's furniture.
    void TurnView(float fYaw, float fPitch);
    /// Places the camera behind the cue ball from its yaw, pitch, distance and shift; with
    /// nAlignCue the cue is lifted clear and aligned too.
    void UpdateAimCamera(int nAlignCue);
    /// In the top view of the American and bonus games, a person free to choose the ball to strike
    /// picks it by a click; true when a ball lies under the cursor (the tick ends there).
    bool ChooseCueBallByClick();
    /// While a person aims (the aim, elevation, english and zoom modes), the host may comment on
    /// the pause.
    void OfferIdleComment();
    /// Gives the host the one-line help of the current mode; modes without one leave it as it is.
    void UpdateModeHint();
    /// The cue ball's object turned to face the cue (called by the cue's alignment); false, the
    /// object left alone, while a shot runs, in the bonus game or without a cue ball.
    bool TurnCueBallToAim();
    /// The ball's size on screen: the screen scale over the camera's distance to the ball; 0 when
    /// the ball is not on the table.
    float GetBallScreenScale(int nBall) const;
    /// The projection's scale (1.0 until the frame sets it): a ball's size on screen one unit away.
    void SetScreenScale(float fScale) { m_fScreenScale = fScale; }
    /// The view's opening (the field of view in radians) and size in pixels.
    void SetViewport(float fFov, float fWidth, float fHeight);
    /// The camera as the pinhole model sees it.
    SViewModel GetViewModel() const;
    /// The camera moved sideways and back just enough that every moving ball stays in view; 1.
    int FollowMovingBalls();
    /// The same unless the camera is held at the top view; 0.
    int FollowMovingBallsUnlessLocked();
    /// Where the camera must stand back along its direction to see all the points (the camera
    /// itself is left where it was).
    CVector3 BackUpToFitPoints(const SViewModel& view, std::span<const CVector3> points);
    /// The camera at P looking along its direction onto the table plane.
    void PlaceCameraLookingAtTable(const CVector3& P);
    /// A place from which the whole table fills the view; the camera is left near it.
    CVector3 FrameTable();
    /// The ball's centre in the scene; false when it is not on the table.
    bool GetBallScenePosition(int nBall, CVector3& v) const;
    /// The lowest elevation from the requested one up to 60 degrees at which the cue clears the
    /// balls and cushions; 0.0 when it is clear already. Always 1.
    int FindClearElevation(float* pElevation);

    // The ball objects of the scene.
    CBallObjects& BallObjects() { return m_BallObjects; }
    /// Balls 0 to n - 1 put on the table: their objects drawn and the balls in the live engine.
    void AddBalls(int n);
    /// The drawn and pocketed ball objects follow the ball lists, and each drawn one is placed.
    void RefreshBallObjects();
    /// Ball n's object where the live engine has the ball; nothing when it has none.
    void PlaceBallObject(int n);

    // Rolling balls.
    /// One tick while balls roll: the balls' events recorded for the referee, and the end of the shot.
    void StepBalls(int nEvaluate);
    /// The balls' contacts, drops and departures since the last call, into the referee's record.
    void ReplaceBalls(int nSilent);
    /// The referee's ball to strike becomes the cue ball, when it is on the table.
    void SelectCueBall(int nAimCamera);
    /// Whether the ball to strike is on the table.
    bool HasCueBall() const;

    // Turn start and the camera's flights. A flight runs in modeCameraFlight, one step a tick.
    /// The computer's turn: its aim planned, the camera flown to it in 500 ms, then its stroke.
    void StartTurnFlight();
    /// A person's turn: the camera flies behind the cue ball (along the computer's planned aim
    /// with nRobotAim) and the mode becomes aiming.
    void FlyToAimView(int nRobotAim);
    /// A person's turn with the ball in hand: the camera flies to the head of the table and ball
    /// in hand begins at the flight's end.
    void FlyToBallInHandView();
    /// Ball in hand: anywhere on the bed (nAnywhere non-zero) or behind the head string.
    void BeginBallInHand(int nAnywhere);
    /// Whether the ball in hand must stay behind the head string: in nine-ball and three-ball
    /// until the rack is broken.
    bool IsCueBallHeldBehindHeadString() const;
    /// The aiming view chosen by "View Type", after a computer's shot.
    void FlyToAimViewByViewType();
    /// A called shot: the camera flies behind the cue ball at that yaw (degrees), the cue aimed
    /// along it, and the flight's end enters dwEndMode.
    void FlyToCalledLine(float fYawDeg, DWORD dwEndMode);
    /// The camera follows the struck shot ("Camera Motion").
    void StartFollowFlight();
    /// Where the computer's turn camera stands round the ball: cameraOut (yaw, pitch, distance)
    /// with the default pitch, and the orbit point in pointOut.
    void FindTurnCameraSpot(const CVector3& vBall, CVector3& vCameraOut, CVector3& vPointOut);
    /// The computer's aim in radians as the cue's aim angle times pi / 180: the planner's shot,
    /// or without one the nearest ball (else the camera's yaw); the shot's ball to strike becomes
    /// the cue ball.
    float PlanRobotShot();
    /// The cue's elevation lifted clear for the computer's stroke at full swing.
    void PrepareAutoStroke();
    /// One tick of the camera flight: steered by the mouse where the settings allow, ended by
    /// Space with a pause, and at its end the mode it names or the computer's stroke.
    void TickCameraFlight(float fInputFactor);
    /// The presentation: the tour round the table runs in place of the game, whose mode word and
    /// flight are kept until it ends.
    void StartPresentation(std::unique_ptr<CViewTransition> pTour);
    /// One tick of the presentation: the camera's yaw follows the tour, G flips "DrawLevel", and
    /// Space or the tour's end gives the game back.
    void TickPresentationFlight();
    /// The game as the presentation found it: its mode word and flight, the top view re-applied
    /// when it was held there.
    void RestoreSavedState();
    /// The current flight, null when none.
    CViewTransition* GetFlight() const { return m_pFlight.get(); }
    /// Replaces the flight (null deletes it) by one its giver has started.
    void SetFlight(std::unique_ptr<CViewTransition> pFlight)
    {
        m_pFlight = std::move(pFlight);
        m_bFlightFinished = false;
    }
    /// The camera and cue as a view record, and back.
    CViewRecord GetCurrentView() const;
    void ApplyViewRecord(const CViewRecord& view) override;
    /// A view kept earlier (a player's, a saved game's): applied when it is valid, else the
    /// camera and the cue stay as they are.
    void RestoreViewRecord(const CViewRecord& view);
    /// The point the camera looks at; the camera follows at its next re-aim.
    void SetCameraTarget(float x, float y, float z) { m_Camera.vLookAt = CVector3(x, y, z); }
    /// The top view: straight down (yaw 90, pitch 270) from 100 units over the middle of the table,
    /// 2.0 across it, with the cue as it is.
    CViewRecord GetTopViewRecord() const;
    /// Puts the camera at the top view; its pitch lies below those the mouse and keys can reach.
    void ApplyTopView();

    // What a flight asks of the flow.
    BOOL HoldAimPath() override;
    BOOL FollowViewPoint(CVector3& vViewPoint) override;
    BOOL TakeEscape() override;
    BOOL AnyBallMoving() override;
    float GetCameraDistance() override { return m_Camera.fDistance; }
    void SetCameraDistance(float fDistance) override;
    void SetCameraBoundsFirst(float fValue) override { m_Host.SetCameraBoundsFirst(fValue); }
    float GetViewWidthFactor() override { return m_Host.GetViewWidthFactor(); }

    /// An aim from the planner at a skill level (the computer's own for its turn) and the ball
    /// the shot strikes; false when it found no shot.
    bool PlanAim(int nLevel, float& fAimDegrees, int* pBall = nullptr);
    /// The computer's aim of a rule plug-in's game, in degrees: the plug-in's own aim, or the
    /// planner set up as the plug-in asks; false when the game is no plug-in's or nothing was found.
    bool PlanPluginShot(float& fAimDegrees, int* pBall);
    /// One tick of the game's steps: the rolling balls, then the computer's stroke or the flight.
    void Tick(DWORD dwMs);
    /// Time spent planning the computer's shots (ns), and the shots struck.
    long long GetPlannerNs() const { return m_nPlannerNs; }
    /// Time spent stepping the live engine in the tick (ns).
    long long GetEngineNs() const { return m_nEngineNs; }
    int GetShotCount() const { return m_nShots; }

    // Referees and targets.
    void CreateReferee(int nGameType);
    /// Lets go of both referees: a plug-in's go back to its game object, built-in ones are freed.
    /// Until the next CreateReferee there is none.
    void ReleaseReferees();
    int GetTargetBall() const;

    // Turns and match progress; the winner argument is 1 for player 2.
    void NextTurn();
    int AdvanceMatchByGames(int nWinnerIsPlayer2);
    int AdvanceMatchOtherTypes(int nWinnerIsPlayer2);
    int AdvancePractice(int nWinnerIsPlayer2);
    int GameOver(int nWinnerIsPlayer2);
    /// A rule plug-in's game decides the rack and the match.
    int GameOverPlugin(int nWinnerIsPlayer2);
    int AdvancePracticePlugin(int nWinnerIsPlayer2);
    /// The match-progress message: the operation of the game type.
    void OnMatchProgress(int nWinnerIsPlayer2);
    /// The autoplay switch: on while a person's seat is handed to a computer level.
    void SetAutoplay(bool bOn) { m_bAutoplay = bOn; }
    /// Whether a pyramid match's end holds the screen: for two seconds the ticks only draw the
    /// table and its display, then the match's end goes on.
    bool IsHoldingMatchEnd() const { return m_eHold != EMatchEndHold::None; }

    // Judging a finished shot.
    void EvaluateShot();
    void ApplyShotOutcome(const CShotOutcome& outcome, bool bShooterWasPlayer1);

    /// A new rack of the current game type: the call of the last rack ended (its state, records
    /// and arrow) and the respot notice cleared, the referee pair reset, every ball of the type
    /// back on the table and racked.
    void StartNewRack(int nKeepGroups);
    /// A new rack of the match from the game's side: the host prepares it, the mode word is
    /// cleared (its callers keep the flags they want), the balls are racked with the groups
    /// open, both players' fouls (and with bResetScores their points) are cleared and the goal is
    /// the game's own again.
    void StartMatchRack(bool bResetScores);
    /// The camera back at its rest pose over the middle of the table: the camera the frame views
    /// the table through is the flow's own.
    void ResetCamera();
    /// The camera's zoom, tilt and shifts back at their rest values; it keeps its heading and the
    /// point it looks at, so the player still faces what they were looking at.
    void ResetCameraFraming();

    /// Whether a game can go on from the state as it stands (a restored or handed-in state is
    /// checked whole before play): a known game type, every ball once in the lists and the engine,
    /// finite places on the bed with no two balls overlapping by over 1 mm, the referee's record
    /// agreeing with the lists, and the ball to strike on the table unless ball in hand follows.
    /// FALSE with the reason otherwise.
    bool CheckState(CString& strReason, bool bBallInHandFollows) const;

    // State.
    CPlayer& Player1() { return m_Player1; }
    CPlayer& Player2() { return m_Player2; }
    CPlayer& Current() { return *m_pCurrent; }
    const CPlayer& Current() const { return *m_pCurrent; }
    bool IsPlayer1Current() const { return m_pCurrent == &m_Player1; }
    void SetCurrent(bool bPlayer1) { m_pCurrent = bPlayer1 ? &m_Player1 : &m_Player2; }
    /// The player who is not the current one.
    CPlayer& GetOtherPlayer() { return IsPlayer1Current() ? m_Player2 : m_Player1; }
    CReferee* GetReferee() const { return m_pReferee; }
    CReferee* GetShadowReferee() const { return m_pShadow; }
    int GetGameType() const { return m_nGameType; }
    SFlowSettings& Settings() { return m_Settings; }
    SCueStroke& Cue() { return m_Cue; }
    CBallEngine& Engine() { return m_Engine; }
    /// Ball lists by number: bit n set when ball n's object is on the table or in a pocket.
    WORD GetOnTableMask() const { return m_wOnTable; }
    WORD GetPocketedMask() const { return m_wPocketed; }
    void SetBallLists(WORD wOnTable, WORD wPocketed);
    /// The points a game is played to (practice, base games, 14.1 continuous, pyramid): the
    /// program-wide goal, which the players' records carry into a saved game and back.
    static LONG GetMatchGoal() { return g_nGoal; }
    static void SetMatchGoal(LONG n) { g_nGoal = n; }
    /// The mode the present flight ends in (ball in hand or aim); modeNone without a flight or
    /// when the computer strikes at its end.
    DWORD GetFlightEndMode() const;
    /// The ball mask put back by the last outcome.
    WORD GetPutBackMask() const { return m_wPutBack; }
    /// A resumed game's mask of the balls its last shot put back.
    void SetPutBackMask(WORD wMask) { m_wPutBack = wMask; }
    /// The game's shot record: none in a fresh game; a resumed game's is the one it was saved
    /// with, and a save without a call in progress keeps it.
    CShotInfo& ShotRecord() { return m_ShotRecord; }
    bool IsReRackBallInHand() const { return m_bReRackBallInHand; }
    /// The last foul text's string id, 0 when the last shot was no foul.
    int GetLastFoulText() const { return m_nLastFoulText; }

protected:
    // Outcome handlers by game type.
    void OutcomeBase();
    void Outcome14_1();
    void Outcome9Ball();
    void Outcome8Ball();
    void OutcomePyramid();
    void OutcomeAmerican();

    /// The rack's object-ball spots freed, then every spot a ball of the game lies on marked taken:
    /// after a shot the spots' marks follow the table, not the rack.
    void RefreshSpotOccupancy();
    /// Ball n back on the table: its lists, the engine, its referee bit, a free place.
    void PutBallBack(int n, int nKind);
    /// Every ball that dropped in this shot and not before goes back (turned as racked in pyramid and
    /// straight pool).
    void PutBackNewlyPocketed(int nKind);
    /// The rule table takes the positions of the balls on the table (all sixteen with bAll).
    void SyncRuleTable(bool bAll);
    /// The cue ball back on the table when nothing else is; returns the balls on the table.
    int KeepCueBallOnTable();
    /// Decides the rack: the flag, the referee's fresh state, and the match-progress message.
    void DecideRack(bool bShooterWins, bool bShooterWasPlayer1, LPARAM lParam = 0);
    /// Fourteen (or fifteen) balls racked again around what is left.
    void ReRack(bool bOnlyCue);
    /// How the next rack after a decided one is begun.
    struct SNextRack
    {
        bool bResetScores = false;  ///< both players' points start again from 0
        bool bRememberFlags = true; ///< the mode word's rack flags survive the rack
        bool bWinnerBreaks = true;  ///< the rack's winner is the next to play
        bool bWinnerIsPlayer2 = false;
        bool bTopViewBySetting = false; ///< the top view comes back by "OverHead View", not by the keep flag
    };
    /// The next rack after a rack was decided (the match-progress steps 7 to 9): the camera
    /// reset (unless held at the top view), the rack, the winner to play, the top view re-applied
    /// where the game was held there, and the first turn: the computer's flight or a person's
    /// ball in hand.
    void NextRack(const SNextRack& next);
    /// The games-counted match after a decided rack: the winner's game, the match's end or the
    /// next rack (the top view by "OverHead View" with bTopViewBySetting, else by the keep flag).
    int AdvanceMatch(int nWinnerIsPlayer2, bool bTopViewBySetting);
    /// The first turn of a rack: the computer's flight (entering the flight's mode with
    /// bModeChange) or a person's ball in hand.
    void BeginRackTurn(bool bModeChange);
    /// The flight towards the next stroke (along the recommended shot when "RecommendedShot" is
    /// on), or the computer's turn.
    void StartTurn(bool bBallInHand);
    /// The groups the finished shot gives (the plug-in's, or eight-ball's first clean pot); true
    /// when it gave them.
    bool AssignGroups();
    /// Who plays which group, on the screen for two seconds.
    void ShowGroups();
    /// Balls that fell below the table: reported to the referee, off the engine, in the pocketed list.
    void RemovePocketedBalls();
    /// Ball n off the engine and from the table's list into the pocketed one.
    void TakeBallOff(int n);
    /// The commentary's choice of comments on the judged shot (before its outcome is applied).
    void CommentOnShot(bool bFoul);
    /// The shooter's streak after a shot, and the foul message's string.
    void KeepStreak(bool bFoul, int nFoulBits);
    CShotOutcome FillOutcome(bool bShooterWasPlayer1) const;
    /// The handler of the game type; false when no one judges the type (the program quits).
    bool DispatchOutcome(CShotOutcome& outcome, bool bShooterWasPlayer1);
    void FinishPointsGame(bool bLost, bool bShooterWasPlayer1);
    void PutBackNewlyPocketedWhen(bool bCondition);
    /// A foul in a points game; three in a row lose the rack and hold the count at nHeld.
    bool CountFoul(CPlayer& shooter, LONG nHeld);
    /// Put back as American and plug-in games do: also out of the earlier-shot mask, and shown.
    void PutBallBackCounted(int n, int nKind);
    int FindDownBefore() const;
    /// The lowest ball the engine holds becomes the ball to strike; FALSE when there is none.
    bool SelectLowestBall();
    void CountGames(int nWinnerIsPlayer2);
    /// The plug-in game's rack: its balls on the rack spots in its order.
    void PlacePluginRack(CPluginGame& game, int nBalls);
    /// The counters of a plug-in's record back into the players (the second may be null); a
    /// record with a counter below 0 changes nothing. False when it was refused.
    bool TakeCounters(const CShotOutcome& record, CPlayer& first, CPlayer* pSecond);
    /// The match's end: GAME OVER stays on the screen in a game the program started, else the
    /// match-end message.
    void EndMatch();
    void AwardTrophies();

private:
    /// What a pyramid match's end does once its hold has passed.
    enum class EMatchEndHold
    {
        None,
        CloseOrEnd, ///< autoplay: the window closes in a game the program started, else the match ends
        Results,    ///< the result dialogs, then GAME OVER or the trophies and the match-won dialog
    };
    /// The rack's winner and "wins the rack" or "takes the rack" as an on-screen text for 2 s.
    void ShowRackWinner(const CPlayer& winner, bool bHumanWon);
    void StartMatchEndHold(EMatchEndHold eThen, const CPlayer& winner, bool bHumanWon, bool bTrophies);
    /// True while the match's end holds the screen; the tick at its end goes on with the match's end.
    bool TickMatchEndHold();
    void FinishMatchEndHold();

    CBallEngine& m_Engine;
    CGamePlugins* m_pPlugins;
    IFlowHost& m_Host;
    CPlayer m_Player1;
    CPlayer m_Player2;
    CPlayer* m_pCurrent = &m_Player1;
    CReferee* m_pReferee = nullptr;
    CReferee* m_pShadow = nullptr;
    bool m_bPluginReferees = false;
    int m_nGameType = GAME_BASE;
    SFlowSettings m_Settings;
    SCueStroke m_Cue;
    float m_fPowerValue = 0.0f;
    WORD m_wOnTable = 0;
    WORD m_wPocketed = 0;
    CBallObjects m_BallObjects;
    WORD m_wPutBack = 0;
    CShotInfo m_ShotRecord;
    SLastStroke m_LastStroke;
    int m_nPhase = phaseSwing;
    bool m_bStrokeStarted = false;
    bool m_bStrokeWaiting = false;
    DWORD m_dwWaitStart = 0;
    int m_nCueBall = 0;
    bool m_bHasCueBall = false;
    int m_nSoundedEvents = 0;
    long long m_nPlannerNs = 0;
    long long m_nEngineNs = 0;
    int m_nShots = 0;
    bool m_bReRackBallInHand = false;
    /// The ball in hand may go anywhere on the bed, else only behind the head string.
    bool m_bBallInHandAnywhere = true;
    int m_nLastFoulText = 0;
    /// The mouse stroke clears the texts when it is first used after the start or after a shot.
    bool m_bClearTextsOnStroke = true;
    bool m_bAutoplay = false;
    EMatchEndHold m_eHold = EMatchEndHold::None;
    DWORD m_dwHoldStart = 0;
    CString m_strHoldWinner;
    bool m_bHoldHumanWon = false;
    bool m_bHoldTrophies = false; ///< the winner is player 1 against a computer

    // Input and the camera.
    /// The power widget after a change of the pull-back.
    void ShowPower();
    /// Whether the cue at that elevation (and the present aim and tip) touches a ball or cushion.
    bool IsCueObstructedAt(float fElevation);
    /// One arrow-key step of the aim: the yaw (or, in the overhead view, the cue's aim) turned.
    float ArrowYawStep() const;
    /// The pull-back moved by fDelta within its range, shown and sounded.
    void StepPullBack(float fDelta, bool bSound);
    /// The yaw (and the cue's aim with it) turned by fDelta degrees.
    void TurnYaw(float fDelta);
    /// The zoom response applied to the camera distance above fMin, undone when the cue ball's
    /// screen size would leave 1 to fMaxScale or a step out would take the camera out of the room.
    void ZoomCamera(float fDelta, float fMin, float fMaxScale);
    /// Whether the room blocks the camera placed on its orbit (only while the room is drawn).
    bool IsBlockedByRoom(const SFlowCamera& camera);
    /// Shared keys of the aiming modes: E, A, B, G and Space; true when one acted.
    bool HandleModeKeys(int nKey, DWORD dwOnE, DWORD dwOnA, DWORD dwOnB);
    /// The zoom bit ORed in beside the mode while the right button is held.
    void StartZoom();
    /// A left click starts the mouse stroke, the right button the zoom; true when one did.
    bool StrokeOrZoomByButtons();
    void DispatchMode(float fFactor);
    void HandleBallInHand(float fFactor);
    /// Leaving ball in hand or free placement with nothing dragged: the cue ball set down where
    /// it lies, selected, the aiming aid and the cue following it.
    void SetDownCueBall();
    void HandlePlaceCueBall(float fFactor);
    /// Shift and Ctrl held: the mouse turns the camera (the cue's aim following the yaw).
    void TurnCameraByMouse(float fFactor);
    /// The dragged ball moved by the mouse's counts times fScale; a ball in hand (bFollowBall) is
    /// carried with the camera looking at it.
    void DragBallByMouse(float fScale, bool bFollowBall);
    /// An accepted ball in hand: the flight behind the cue ball (in the overhead view aiming at once).
    void EndBallInHand();
    void HandleCallShot(float fFactor);

    /// The camera of a struck shot: the follow flight, or with "Camera Motion" 2 or the overhead
    /// view the flight that lasts until every ball rests.
    void StartShotCamera();
    /// While the follow flight of "Camera Motion" 0 runs, the camera keeps the moving balls in
    /// view (unless it is held at the top view).
    void FollowShotWithCamera();
    bool PlanWith(const SShotPlannerSetup& setup, float& fAimDegrees, int* pBall);
    /// The flight replaced by a new one, started from the present view to the target.
    void StartFlight(std::unique_ptr<CViewTransition> pFlight, const CViewRecord& target, int nNextMode, int nDelay);
    /// The target view behind the cue ball at that yaw (degrees) from the camera's pitch and
    /// distance, the cue aimed along it.
    CViewRecord AimViewAt(float fYaw, float fPitch, float fDistance) const;
    /// The target of the computer's turn by "View Type", the cue aimed at fAim.
    CViewRecord TurnTarget(float fAim);
    /// The camera and cue from the flight's present values.
    void ApplyFlightValues();
    /// Mouse steering of a running flight.
    void SteerFlight(float fFactor);
    /// The flight's end: the mode it names, or the computer's stroke.
    void EndFlight();

    std::unique_ptr<CViewTransition> m_pFlight;
    bool m_bFlightFinished = false; ///< Space put the flight at its end view ahead of time
    /// What the presentation keeps of the game while its tour runs.
    DWORD m_dwSavedMode = 0;
    std::unique_ptr<CViewTransition> m_pSavedFlight;
    bool m_bLookFromCue = false; ///< X held this tick: the view looks along the cue
    /// The camera's orbit kept by the strike for the next turn's aiming view.
    SFlowCamera m_StoredCamera;
    IFlowInput* m_pInput = nullptr;
    SFlowInput m_Input;
    SMouseResponse m_Response;
    SFlowCamera m_Camera;
    float m_fScreenScale = 1.0f;
    SViewModel m_View; ///< the view's opening and size (its pose comes from the camera)
    std::vector<CVector3> m_MovingBalls;
    int m_nKeyRepeat = 0;
    double m_dPreviewTime = 6.0;
    bool m_bPaused = false;
    float m_fStrokeMark = 0.0f;      ///< the mouse stroke's furthest drawn-back position
    float m_fStrokeReference = 0.0f; ///< where the push forward began
};
