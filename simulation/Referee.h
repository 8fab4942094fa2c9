// The referee: judges every finished shot by the rules of one game type. CReferee holds the rule
// state that all game types share, the ball-by-ball record of the shot, the judgement flags the
// game flow reads afterwards, a packed 12-byte form of the state for saved games and a list of
// comment triggers. It is itself the referee of the base game type (15); the classes in
// RefereeTypes.h replace a few of its operations.
//
// The referee moves no ball and changes no turn: ball in hand, re-spotting, the turn change and the
// end of the game are the game flow's decisions, made from the foul, the flags and the shot score.
#pragma once

#include "platform/mfc/Arrays.h"
#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"
#include "simulation/RefereeBallTable.h"

#include <memory>

/// Judgement flags (m_wFlags) as UpdateFlags sets them.
enum ERefereeFlag : WORD
{
    REF_WON = 0x001,          ///< the game is won by this shot
    REF_LOST = 0x002,         ///< the game is lost by this shot
    REF_POCKETED = 0x004,     ///< a ball dropped in this shot
    REF_CUE_POCKETED = 0x008, ///< the cue ball dropped in this shot
    REF_OFF_TABLE = 0x010,    ///< some ball has left the table
    REF_FOUL = 0x020,         ///< the shot is a foul
    REF_BREAK_MADE = 0x040,   ///< the break has been made
    REF_FINAL_BALL = 0x080,   ///< the shooter is on the deciding ball
    REF_JUDGEMENT = 0x100,    ///< the shot has been judged and counts
};

/// Built-in game types (the referee class of each is in RefereeTypes.h).
enum ERefereeGameType : int
{
    GAME_DEMO = 0,
    GAME_3BALL = 3,
    GAME_8BALL = 8,
    GAME_9BALL = 9,
    GAME_BASE = 15,
    GAME_PYRAMID = 16,
    GAME_AMERICAN = 17,
    GAME_14_1 = 18,
    GAME_BONUS = 101,
};

/// Size of the packed rule state: six 16-bit words.
inline constexpr int REFEREE_PACKED_SIZE = 6 * 2;

/// One comment trigger: fires once per shot when its kind's test holds.
struct CRefereeEvent
{
    int nKind = -1;      ///< -1 none; 0 cue ball dropped; 2, 3 pot tests; 4 cue ball hit nothing
    int nValue = -1;     ///< returned by NextEvent when the trigger fires
    BOOL bFired = FALSE; ///< set when it fires, cleared by ReleaseEvents
    CString strName = "Unknown";
};

/// What the distance tests of the comment triggers measure against: the reference length L is
/// the absolute difference of the two lengths (metres).
struct SRefereeEventContext
{
    double dLengthA = 0.0; ///< metres
    double dLengthB = 0.0; ///< metres
};

class CReferee
{
public:
    CReferee();
    virtual ~CReferee();
    CReferee(const CReferee&) = delete;
    CReferee& operator=(const CReferee&) = delete;

    // The operations in their slot order (the later copies of GetGameType and GetBallCount that
    // the slot table repeats are the same functions).
    virtual CReferee* Assign(const CReferee& other);
    virtual void BeginShot(int nTarget, int nSecond);
    virtual int JudgeShot();
    virtual void UpdateFlags();
    virtual void Init(int nGameType);
    virtual int SetType(int nGameType);
    virtual int GetGameType() const { return m_nGameType; }
    virtual void Reset();
    virtual int GetBallCount() const { return m_nBallCount; }
    virtual int GetSecondBall() const { return m_nSecondBall; }
    virtual void SetSecondBall(int n) { m_nSecondBall = n; }
    virtual int GetTarget() const { return m_nTarget; }
    virtual void SetTarget(int n) { m_nTarget = n; }
    virtual int GetDecidedGroup() const { return -1; }
    virtual void SetCueBall(int n);
    virtual int GetCueBall() const { return m_nCueBall; }
    virtual void SetShotScore(int n) { m_nShotScore = n; }
    virtual int GetShotScore() const { return m_nShotScore; }
    virtual void SetFoul(int n) { m_nFoul = static_cast<BYTE>(n); }
    virtual int GetFoul() const { return m_nFoul; }
    virtual int GetContactBits() const;
    virtual const BYTE* PackState(int* pOutSize, int nExtra);
    virtual BOOL UnpackState(const BYTE* pRecord, int nSize, int* pOutExtra);
    virtual int GetPackedSize() const { return REFEREE_PACKED_SIZE; }
    virtual void SetJudged(BOOL b) { m_bJudged = b; }
    virtual BOOL IsJudged() const { return m_bJudged; }
    virtual BOOL HasPocketed() const { return HasFlag(REF_POCKETED); }
    virtual BOOL HasCuePocketed() const { return HasFlag(REF_CUE_POCKETED); }
    virtual BOOL IsOffTable(int i) const { return (m_wOffTable & RefereeBallBit(i)) != 0; }
    virtual BOOL HasOffTable() const { return HasFlag(REF_OFF_TABLE); }
    virtual BOOL HasFoul() const { return HasFlag(REF_FOUL); }
    virtual BOOL HasBreakMade() const { return HasFlag(REF_BREAK_MADE); }
    virtual BOOL HasJudgement() const { return HasFlag(REF_JUDGEMENT); }
    virtual WORD SetFlags(WORD bits) { return m_wFlags = static_cast<WORD>(m_wFlags | bits); }
    virtual WORD ClearFlags(WORD bits) { return m_wFlags = static_cast<WORD>(m_wFlags & ~bits); }
    virtual void SetBreakMade(BOOL n) { m_bBreakMade = n; }
    virtual void SetFinalBallFlag(BOOL b) { SetOrClearFlag(REF_FINAL_BALL, b); }
    virtual void SetLostFlag(BOOL b) { SetOrClearFlag(REF_LOST, b); }
    virtual BOOL HasFinalBall() const { return HasFlag(REF_FINAL_BALL); }
    virtual BOOL HasWon() const { return HasFlag(REF_WON); }
    virtual BOOL HasLost() const { return HasFlag(REF_LOST); }
    virtual BOOL IsOnFinalBall() const { return FALSE; }
    virtual BOOL IsGameWon() const { return FALSE; }
    virtual BOOL IsGameLost() const { return FALSE; }
    virtual BOOL WasPocketedBefore(int i) const { return m_BallTable.WasPocketedBefore(i); }
    virtual BOOL IsPocketedNow(int i) const { return m_BallTable.IsPocketedNow(i); }
    virtual BOOL IsOnTable(int i) const { return !IsPocketedNow(i) && !WasPocketedBefore(i); }
    virtual void SetOffTable(int i, BOOL b);
    virtual int CountPocketedNow() const;
    virtual int CountOnTable() const;
    virtual CRefereeBallTable* GetBallTable() { return &m_BallTable; }
    virtual void RewindEvents() { m_nEventIndex = 0; }
    virtual BOOL EventsDone() const;
    virtual void ReleaseEvents();
    /// Tests the events from the event index on: the value of the first that fires (and through
    /// pOutIsCueEvent whether its kind is 0), -1 when none fires. The index ends one past the last
    /// event tested. Without a context the kinds 2 and 3 never fire.
    virtual int NextEvent(const SRefereeEventContext* pContext, BOOL* pOutIsCueEvent);
    /// Whether the event fires for the shot just played; pContext may be null (see NextEvent).
    virtual BOOL HandleEvent(const CRefereeEvent& event, const SRefereeEventContext* pContext);
    virtual int AddEvent(const CRefereeEvent& event) { return m_Events.Add(event); }

    /// The judgement flags as they stand.
    WORD GetFlags() const { return m_wFlags; }
    BOOL IsBreakMade() const { return m_bBreakMade; }
    WORD GetOffTableMask() const { return m_wOffTable; }
    const CRefereeBallTable* GetBallTable() const { return &m_BallTable; }
    int GetEventIndex() const { return m_nEventIndex; }

protected:
    BOOL HasFlag(WORD bit) const { return (m_wFlags & bit) != 0; }
    void SetOrClearFlag(WORD bit, BOOL b) { b ? SetFlags(bit) : ClearFlags(bit); }
    /// The flags 0x001 to 0x080 from the rule tests and the shot record (no judgement flag).
    WORD BuildFlags() const;
    /// Ends a judgement by the base rules: judged, the break made unless the cue ball dropped, the
    /// foul stored and the flags updated; returns the foul.
    int RecordJudgement(BOOL bFoul);
    /// Shared body of the classes' SetType: traces a type that is not nOwnType to the debug log
    /// with the class's own message and keeps nOwnType.
    int SetOwnType(int nGameType, int nOwnType, const char* szClass);
    /// Number of the first ball hit, or REFEREE_NO_BALL.
    int FirstHit() const { return m_BallTable.m_nFirstHit; }
    BOOL NoBallHit() const { return m_BallTable.m_nFirstHit == REFEREE_NO_BALL; }
    BOOL AnyBallDropped() const { return m_BallTable.m_nFirstPocketed != REFEREE_NO_BALL; }
    /// Cushion counters summed over balls nFirst to nLast that did not drop in an earlier shot.
    int SumCushionsInPlay(int nFirst, int nLast) const;
    /// Cushion counters summed over balls nFirst to nLast.
    int SumCushions(int nFirst, int nLast) const;
    /// Ball i's cushion counter (the high one) and ball-contact counter (the low one).
    int Cushions(int i) const { return m_BallTable.GetBallCountHigh(i); }
    int Contacts(int i) const { return m_BallTable.GetBallCountLow(i); }
    /// Balls 1 to m_nBallCount-1 that dropped in this shot and not before, each weighted by
    /// weight(ball number), added up.
    template <class TWeight> int SumNewlyPocketed(TWeight weight) const
    {
        int nSum = 0;
        for (int i = 1; i < m_nBallCount; ++i)
            if (IsPocketedNow(i) && !WasPocketedBefore(i))
                nSum += weight(i);
        return nSum;
    }

    WORD m_wFlags = 0;
    int m_nShotScore = 0; ///< a full integer while judging; the packed state saturates it to a byte
    BYTE m_nBallCount = 16;
    BYTE m_nFoul = 0;
    BOOL m_bBreakMade = FALSE;
    int m_nGameType = GAME_BASE;
    int m_nTarget = 255;
    int m_nSecondBall = 255;
    WORD m_wOffTable = 0;
    CRefereeBallTable m_BallTable;
    int m_nCueBall = 0;
    BOOL m_bJudged = FALSE;
    CArray<CRefereeEvent> m_Events;
    int m_nEventIndex = 0;
    int m_nPackedSize = 0;
    std::unique_ptr<BYTE[]> m_pPacked;
};
