// The ball engines: each owns the balls of one table with its six cushions, six pockets and bed
// edge, racks the balls for a game type, strikes the cue ball and steps the table in safe time steps.
//
// Three engines exist for the whole run:
//   g_BallEngineMain    the live table, stepped on the main thread by the frame tick (Advance);
//   g_BallEngineAux     the aiming aid: it copies the resting live table (SyncFrom), is handed the
//                       aimed shot (BeginShot) and re-simulates it on its own worker thread,
//                       recording every ball's track for the panels;
//   g_BallEngineQueued  a third engine of the live kind whose worker is created but never woken.
//
// Worker protocol (aiming aid). The worker parks between periods; the main thread wakes it.
//
//   worker state | how it is entered                      | m_bPaused | m_hEvent
//   -------------+----------------------------------------+-----------+---------
//   not started  | StartThread (created suspended)        | 1         | set
//   parked       | Pause, when no wake-up is pending      | 1         | set
//   stepping     | Resume (wake flag set under the mutex) | 0         | reset
//   stopped      | StopThread (stop flag, then join)      | -         | -
//
// A wake-up is a flag set under the park mutex, so a Resume that comes while the worker is still
// stepping is not lost: the worker finds the flag when it parks and runs another period at once.
// The main thread changes the worker's table only while the worker is parked: SyncFrom and
// BeginShot ask the worker to end its period (m_bInterrupt), wait at most 500 ms for it to park,
// and give up when it does not. Every step runs under m_Lock; SyncFrom holds both engines' locks,
// taken in address order, while it copies. Only the main thread calls Resume, SyncFrom, BeginShot,
// StartThread and StopThread.
#pragma once

#include "foundation/Polyline.h"
#include "foundation/RecordArrays.h"
#include "foundation/Vector3.h"
#include "platform/mfc/Arrays.h"
#include "platform/win32/Sync.h"
#include "platform/win32/WinTypes.h"
#include "simulation/Ball.h"
#include "simulation/TableParts.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

/// Kinds of engine (m_nKind).
enum : int
{
    ENGINE_KIND_BASE = 0,
    ENGINE_KIND_MAIN = 1,
    ENGINE_KIND_AUX = 2,
    ENGINE_KIND_QUEUED = 3,
};

/// Kinds of the events an engine notes in its event list.
enum : int
{
    BALL_EVENT_CUSHION = 1, ///< a cushion or the bed's edge
    BALL_EVENT_BALL = 2,    ///< two balls
    BALL_EVENT_POCKET = 3,  ///< a ball dropped into a pocket
};

/// Game types the racking knows.
enum : int
{
    GAME_TYPE_DEMO = 0,
    GAME_TYPE_3BALL = 3,
    GAME_TYPE_8BALL = 8,
    GAME_TYPE_9BALL = 9,
    GAME_TYPE_15 = 15,
    GAME_TYPE_PYRAMID = 16,
    GAME_TYPE_AMERICAN = 17,
    GAME_TYPE_14_1 = 18,
    GAME_TYPE_BONUS = 101,
};

/// The spot number that stands for "the first spot of the free list" in PlaceBallAtSpot.
inline constexpr int FREE_LIST_SPOT = 100;
/// The live table's frame at 60 frames per second. A worker steps its periods in frames of this
/// length, so that the aiming aid's steps end where the live table's end and it plays the same
/// shot. Milliseconds.
inline constexpr DWORD LIVE_FRAME_MS = 16;
/// Simulated time per worker period of the aiming aid. Milliseconds.
inline constexpr DWORD AUX_PERIOD_MS = 1000;
/// The speed the aiming aid strikes with, whatever the stroke. Metres per second.
inline constexpr float AUX_STRIKE_SPEED_MPS = 6.0f;
/// The longest the main thread waits for a worker to park. Milliseconds.
inline constexpr DWORD PARK_WAIT_MS = 500;
/// Bytes of one recorded motion frame of the motion queue.
inline constexpr std::size_t MOTION_FRAME_SIZE = 676;

/// The stroke as it was last struck (the global shot record): written by StrikeBall on the main
/// thread, read by the game flow on the main thread.
struct SStrikeRecord
{
    CVector3 vVelocity;      ///< the cue ball's velocity (m/s)
    double dSpeed = 0.0;     ///< stroke speed (m/s)
    double dDirection = 0.0; ///< azimuth of the stroke (rad)
    double dElevation = 0.0; ///< elevation of the cue (rad)
    CVector3 vForwardSpin;   ///< rad/s
    CVector3 vSideSpin;      ///< rad/s
};
extern SStrikeRecord g_StrikeRecord;

/// The seed every random draw of the racking starts from: 1 at start; the main frame sets it from
/// the tick count when it is built and at each new rack. Main thread only.
extern unsigned int g_nRackSeed;

/// Recorded motion frames of a queued playback. No operation records a frame; the live table only
/// empties the queue, and the stop command skips what is left.
class CMotionQueue
{
public:
    /// Empties the frames and becomes idle again, as after construction.
    void Reset();
    /// Empties the frames (the engine does it at every advance and shot).
    void Clear();
    /// Moves the playback position past the last frame.
    void SkipToEnd() { m_nPosition = static_cast<int>(m_Frames.size()); }
    int GetCount() const { return static_cast<int>(m_Frames.size()); }
    int GetPosition() const { return m_nPosition; }
    BOOL IsIdle() const { return m_bIdle; }

private:
    std::vector<std::array<BYTE, MOTION_FRAME_SIZE>> m_Frames;
    int m_nPosition = 0;
    BOOL m_bIdle = TRUE;
};

class CBallEngine
{
public:
    CBallEngine();
    virtual ~CBallEngine();
    CBallEngine(const CBallEngine&) = delete;
    CBallEngine& operator=(const CBallEngine&) = delete;

    // -- Operations in their fixed order -----------------------------------------------------------

    /// Copies the source's balls (number, position, pocket state) once the source rests and this
    /// engine's worker has parked. FALSE, nothing copied, while the source's balls move, without a
    /// worker, or when the worker does not park within PARK_WAIT_MS.
    virtual BOOL SyncFrom(CBallEngine& source);
    /// Starts the worker (parked until the first Resume), stopping a running one first.
    virtual void StartThread();
    /// Asks the worker to stop, wakes it and waits for its end. It ends within one step.
    virtual void StopThread();
    /// Stops the worker and removes every ball; the engine stays usable.
    virtual void Release();
    /// Builds the spots for sixteen balls and places numbers[i] at spot i.
    virtual void PlaceBallsOnSpots(std::span<const int> numbers);
    /// Places the engine's balls for a new rack of the game type (see RackBalls in BallEngine.cpp).
    virtual void RackBalls(int nGameType);
    /// Advances the table: the base wakes the worker for dwMs (0: the time since the last advance).
    virtual void Advance(DWORD dwMs);
    /// Ball nNumber, created at its sorted place when missing (an existing ball is returned as is).
    /// Null for a number outside 0 to 15.
    virtual CBall* AddBall(int nNumber);
    virtual void RemoveBall(int nNumber);
    virtual void RemoveAllBalls();
    /// Whether ball nNumber is pocketed; FALSE without such a ball.
    virtual BOOL AskBall(int nNumber);
    /// TRUE when one of the cushions reports a contact with the ball (despite the name, the
    /// pockets are not asked; a resting ball touches nothing).
    virtual BOOL TestPockets(CBall& ball);
    /// The ball's position, and with pState its number, position and orientation. FALSE without
    /// such a ball.
    virtual BOOL GetBallPosition(int nNumber, CVector3& vOut, SBallStateRecord* pState);
    /// Puts the ball on the bed at (x, y), at rest and newly turned.
    virtual void SetBallPosition(int nNumber, double x, double y);
    /// Puts the ball at the record's position and orientation, at rest.
    virtual void SetBallState(int nNumber, const SBallStateRecord& record);
    /// Starts a shot: speed (m/s), direction and elevation (rad), side and height angle (degrees).
    /// The base strikes the cue ball (StrikeBall).
    virtual void BeginShot(float fSpeed, float fDirection, float fElevation, float fSideAngle, float fHeightAngle);
    virtual BOOL AllBallsStopped();
    virtual BOOL IsReplaying() { return m_bReplaying; }
    virtual void SetReplaying(BOOL bReplaying) { m_bReplaying = bReplaying; }
    /// Puts the ball on the first free place near its spot; leaves it where it is when there is none.
    virtual void RespotBall(int nNumber, int nGameType);
    /// Places the ball at rack spot nSpot (or, for any spot beyond the rack, at the first spot of
    /// the free list) and takes that spot off the free list. Without the ball or a spot to take the
    /// ball stays where it is.
    virtual void PlaceBallAtSpot(int nNumber, int nSpot, CDWordArray& freeSpots);
    /// Re-racks balls 1 to 15 on random spots, all but nNumber (-1: none).
    virtual void PlaceRackExcept(int nNumber);
    /// Draws the table diagram (TableDiagram.h): every ball, then the six cushions.
    virtual void NotifyAll(HDC hDC);
    /// The worker's loop: parked until woken, then one period, until asked to stop.
    virtual void Run();
    /// Wakes the worker for one period (never lost, see the protocol above).
    virtual void Resume();
    /// Parks the worker until it is woken or asked to stop (worker thread only).
    virtual void Pause();
    /// One time step of dMs milliseconds: motion, ball contacts, cushions, pockets, bed edge.
    virtual void Step(double dMs);
    /// The longest safe step for the present motion. Milliseconds.
    virtual double GetMaxStep();

    // -- Other services ----------------------------------------------------------------------------

    /// Strikes the cue ball (the struck-ball number's ball); nothing without it.
    void StrikeBall(float fSpeed, float fDirection, float fElevation, float fSideAngle, float fHeightAngle);
    CBall* FindBall(int nNumber);
    CBall* GetBallAt(int nIndex);
    int GetBallCount() const { return static_cast<int>(m_Balls.size()); }
    void StopAllBalls();
    /// The position of pocket nPocket; zero for a number outside 0 to 5.
    CVector3 GetCushionPoint(int nPocket) const;
    /// Pocket i; null outside 0 to 5.
    CWorldObject* GetWorldObject(int i);
    const CCushion* GetCushion(int i) const;
    /// -1 without the ball; 1 in the rack triangle, 3 on the head spot, 4 on the centre spot, else 0.
    int IsBallInZone(int nNumber);
    /// The event with the highest strength level (the first of equals); FALSE when there is none.
    BOOL GetStrongestEvent(CPolyRecord& out) const;
    const CPolyline& GetEvents() const { return m_Events; }
    /// The list's strength levels (the game flow sets eight when the sounds are loaded).
    void SetEventLevelCount(int nLevels) { m_Events.SetLevelCount(nLevels); }
    void SetCueBallNumber(int nNumber);
    void SetRounding(BOOL bRounding) { m_bRounding = bRounding; }
    BOOL GetRounding() const { return m_bRounding; }
    const CVector3& GetCuePoint() const { return m_vCuePoint; }
    void ClearCuePoint() { m_vCuePoint = CVector3(); }
    int GetKind() const { return m_nKind; }
    DWORD GetPeriod() const { return m_nPeriod.load(); }
    BOOL IsThreadRunning() const { return m_bRunning.load(); }
    /// Waits at most dwMs for the worker to park; TRUE when it is parked (or there is no worker).
    BOOL WaitForPark(DWORD dwMs);
    /// Holds the engine's lock: read another thread's balls (the aiming aid's tracks) under it.
    std::unique_lock<std::recursive_mutex> AcquireLock() { return std::unique_lock(m_Lock); }
    /// The copy of SyncFrom without its conditions: this engine's balls become the source's
    /// (number, position, pocket state), both locks held.
    void CopyBallsFrom(CBallEngine& source);

protected:
    explicit CBallEngine(int nKind, DWORD dwPeriod);

    /// Steps up to dMs, in frames of at most dFrameMs and each frame in safe steps, until the balls
    /// rest or the period is interrupted; then stops every ball when asked to (m_bStopAtEnd).
    void RunPeriod(double dMs, double dFrameMs, bool bInterruptible);
    /// Asks the worker to end its period and waits at most dwMs for it to park.
    BOOL InterruptAndWaitForPark(DWORD dwMs);
    /// Whether the capture test lets balls drop (the live tables) or reports them at once.
    BOOL DropsIntoPockets() const { return m_nKind == ENGINE_KIND_MAIN || m_nKind == ENGINE_KIND_QUEUED; }
    void SetPeriod(DWORD dwMs) { m_nPeriod = dwMs; }
    void SetLastTime(DWORD dwMs) { m_nLastTime = dwMs; }
    void SetStopAtEnd(BOOL bStop) { m_bStopAtEnd = bStop; }
    void SetCueMark(int nMark) { m_nCueMark = nMark; }

    std::recursive_mutex m_Lock; ///< guards the ball list and every step

private:
    static DWORD ThreadProc(void* pParam);
    void RunFrame(double dMs, bool bInterruptible);
    bool IsPeriodOver(bool bInterruptible);
    void RebuildBallView();
    BOOL IsFarFromStop(const CBall& ball) const;
    BOOL IsPlaceFree(int nNumber, double x, double y);
    BOOL FindFreePlaceAlongRail(const CBall& ball, double dSpotX, double& x, double& y);
    BOOL FindFreePlaceAlongAxis(const CBall& ball, double dSpotX, double dSpotY, double& x, double& y);
    void PickRandomBalls(int nFirst, int nLast, CDWordArray& out) const;
    void PlaceOnFreeSpots(std::span<const int> numbers, CDWordArray& freeSpots);
    /// Resolves every contact of two balls closing in, each where the two touched.
    void StepContacts();
    void StepTableParts();

    CPolyline m_Events{1}; ///< contact events of the current shot
    std::array<CCushion, CUSHION_COUNT> m_Cushions{CCushion(0), CCushion(1), CCushion(2),
                                                   CCushion(3), CCushion(4), CCushion(5)};
    std::array<CWorldObject, POCKET_COUNT> m_Pockets{CWorldObject(0), CWorldObject(1), CWorldObject(2),
                                                     CWorldObject(3), CWorldObject(4), CWorldObject(5)};
    CBedEdge m_BedEdge;
    float m_fStrikeSpeed = 0.0f;             ///< speed of the last stroke (m/s)
    std::atomic<double> m_dFrameUsedMs{0.0}; ///< how much of the current frame the last period stepped (ms)
    std::atomic<DWORD> m_nPeriod;            ///< simulated time per worker period (ms)
    int m_nKind;
    std::vector<std::unique_ptr<CBall>> m_Balls;      ///< sorted by ball number
    std::vector<const CBall*> m_BallView;             ///< the same balls, as the safe-step test takes them
    std::array<CBall*, MAX_BALLS> m_apBallByNumber{}; ///< the same balls by number, null where none
    BOOL m_bReplaying = FALSE;
    CHandle m_hThread;                ///< the worker, null when none
    std::atomic<int> m_bRunning{0};   ///< 1 from the worker's start until its loop ends
    std::atomic<int> m_bStop{0};      ///< asks the worker's loop to end
    std::atomic<int> m_bPaused{1};    ///< 1 while the worker is parked (written under m_ParkMutex)
    std::atomic<int> m_bInterrupt{0}; ///< ends the current period early
    BOOL m_bRounding = FALSE;         ///< this game's rounding switch
    std::atomic<int> m_bStopAtEnd{0}; ///< stop every ball at the end of each period
    std::mutex m_ParkMutex;           ///< guards m_bWake and the parked state
    std::condition_variable m_ParkCv;
    bool m_bWake = false; ///< a wake-up not yet taken by the worker
    CHandle m_hEvent;     ///< unnamed, manual-reset; signalled while parked
    DWORD m_nLastTime;    ///< timeGetTime of the last advance (ms)
    CVector3 m_vCuePoint; ///< the cue ball's position at a cushion contact (m)
    int m_nCueMark = -1;  ///< -1 until the aiming aid has stepped
};

/// The live table: stepped on the calling thread, in safe steps, at raised priority.
class CBallEngineMain : public CBallEngine
{
public:
    CBallEngineMain();
    /// A worker, if one was started, stops before this engine's own parts go.
    ~CBallEngineMain() override { StopThread(); }

    /// Steps the table by dwMs (0: the frame stopwatch's elapsed time) or until it rests.
    void Advance(DWORD dwMs) override;
    /// Empties the motion queue, keeps the rounding switch, strikes.
    void BeginShot(float fSpeed, float fDirection, float fElevation, float fSideAngle, float fHeightAngle) override;
    /// The stop command: what is left of a queued playback is skipped.
    void SkipQueuedFrames() { m_Queue.SkipToEnd(); }
    CMotionQueue& GetQueue() { return m_Queue; }

protected:
    explicit CBallEngineMain(int nKind);

private:
    CMotionQueue m_Queue;
    BOOL m_nSavedRounding = FALSE; ///< the rounding switch at the last shot
};

/// The aiming aid: re-simulates the aimed shot on its worker for one period of 1000 ms, recording
/// the tracks, and stops everything at the period's end.
class CBallEngineAux : public CBallEngine
{
public:
    CBallEngineAux();
    /// The worker calls this class's Step: it must stop before this part of the engine goes.
    ~CBallEngineAux() override { StopThread(); }

    /// Strikes the copied cue ball at AUX_STRIKE_SPEED_MPS under the lock, with recording on, and
    /// wakes the worker. Nothing without a worker or while the worker does not park.
    void BeginShot(float fSpeed, float fDirection, float fElevation, float fSideAngle, float fHeightAngle) override;
    /// The base step; then marks the cue point as taken and stops every pocketed ball.
    void Step(double dMs) override;
};

/// The queued engine: a live engine whose worker is started but never woken. Its worker loop,
/// pause and step are those of the base.
class CBallEngineQueued : public CBallEngineMain
{
public:
    CBallEngineQueued();
    ~CBallEngineQueued() override { StopThread(); }

    /// The same copy as the base, without waiting for the worker (which never steps).
    BOOL SyncFrom(CBallEngine& source) override;
    DWORD GetStartTime() const { return m_dwStartTime; }

private:
    DWORD m_dwStartTime = 0; ///< start time of a queued shot (ms); no shot is ever queued, so it stays 0
};

/// The three engines of the program; built with the global objects, without threads.
extern CBallEngineMain g_BallEngineMain;
extern CBallEngineAux g_BallEngineAux;
extern CBallEngineQueued g_BallEngineQueued;
