// The referee's record of one shot, ball by ball: where the balls stood, how often each touched
// another ball and a cushion, the first ball hit and the first ball dropped, and the two pocket
// masks. The ball engine and the game flow fill it while the balls roll; the referee reads it.
#pragma once

#include "foundation/BallCounts.h"
#include "foundation/Vector3.h"
#include "platform/win32/WinTypes.h"

#include <array>

/// Ball numbers 0 to 15; ball 0 is the cue ball of every standard rack.
inline constexpr int REFEREE_BALLS = 16;
/// "No ball" in the table's single-byte ball numbers.
inline constexpr BYTE REFEREE_NO_BALL = 255;

/// True for a ball number the pocket masks and counters have a place for.
constexpr bool IsRefereeBall(int i) { return i >= 0 && i < REFEREE_BALLS; }
/// The mask bit of ball i; 0 for a number outside 0 to 15, so such a ball never reads as marked.
constexpr WORD RefereeBallBit(int i) { return IsRefereeBall(i) ? static_cast<WORD>(1u << i) : WORD{0}; }

class CRefereeBallTable
{
public:
    CRefereeBallTable() { ResetAll(); }

    /// Starts ball i's record of a shot: the shot's single bytes back to "none", both positions to
    /// pos (zero without one), both counters to 0; a ball that dropped in the last shot moves from
    /// the pocketed-now mask to the pocketed-before mask.
    void SetBall(int i, const CVector3* pPos = nullptr);
    /// Empties the ball list and starts every ball's record (SetBall without a position).
    void Reset();
    /// Reset, then forgets the balls pocketed earlier too: a new rack.
    void ResetAll();
    /// Copies everything but the ball list.
    void Assign(const CRefereeBallTable& other);

    BOOL IsPocketedNow(int i) const { return (m_wPocketedNow & RefereeBallBit(i)) != 0; }
    BOOL WasPocketedBefore(int i) const { return (m_wPocketedBefore & RefereeBallBit(i)) != 0; }
    void SetPocketedNow(int i, BOOL b) { SetBallFlag(m_wPocketedNow, i, b); }
    void SetPocketedBefore(int i, BOOL b) { SetBallFlag(m_wPocketedBefore, i, b); }
    WORD GetPocketedNowMask() const { return m_wPocketedNow; }
    WORD GetPocketedBeforeMask() const { return m_wPocketedBefore; }
    void SetPocketedNowMask(WORD w) { m_wPocketedNow = w; }
    void SetPocketedBeforeMask(WORD w) { m_wPocketedBefore = w; }

    /// Ball i's contacts with other balls in this shot (the low counter).
    int GetBallCountLow(int i) const { return m_Counts.GetBallCountLow(i); }
    void SetBallCountLow(int i, int n) { m_Counts.SetBallCountLow(i, n); }
    int AddBallCountLow(int i, int d) { return m_Counts.AddBallCountLow(i, d); }
    /// Ball i's cushion contacts in this shot (the high counter).
    int GetBallCountHigh(int i) const { return m_Counts.GetBallCountHigh(i); }
    void SetBallCountHigh(int i, int n) { m_Counts.SetBallCountHigh(i, n); }
    int AddBallCountHigh(int i, int d) { return m_Counts.AddBallCountHigh(i, d); }

    /// Notes the cue ball's first contact with ball nBall, with the cue ball's cushion count at that
    /// moment; later contacts leave the record as it is.
    void NoteFirstHit(int nBall, int nCueCushions);
    /// Notes that ball nBall dropped with nCushions cushion contacts behind it: its pocketed-now bit,
    /// and, for the first ball that drops in the shot, the first-pocketed record.
    void NotePocketed(int nBall, int nCushions);

    // Fields in their record order. Public: the engine, the game flow and the rules read them.
    std::array<CVector3, REFEREE_BALLS> m_Pos;       ///< each ball's position at the shot's start (metres)
    std::array<CVector3, REFEREE_BALLS> m_SavedPos;  ///< a second copy, set together with m_Pos (metres)
    CBallCounts m_Counts;                            ///< per ball: low 4 bits ball contacts, high 4 bits cushions
    BYTE m_nFirstPocketed = REFEREE_NO_BALL;         ///< first ball that dropped in this shot
    BYTE m_nFirstHit = REFEREE_NO_BALL;              ///< first ball that the cue ball touched
    BYTE m_nCueCushionsAtHit = 0;                    ///< the cue ball's cushion count at its first contact
    BYTE m_nCushionsAtPocket = 0;                    ///< the first dropped ball's cushion count as it dropped
    std::array<signed char, REFEREE_BALLS> m_List{}; ///< ball numbers the game flow lists; -1 = empty slot
    int m_nListCount = 0;                            ///< entries of m_List
    WORD m_wPocketedNow = 0;                         ///< bit i: ball i dropped in this shot
    WORD m_wPocketedBefore = 0;                      ///< bit i: ball i dropped in an earlier shot
};
