// The game flow's shot record: the shot the computer player chose (or the player called), ten
// 32-bit words.
#pragma once

#include <cstdint>

/// The shot kinds, also the bits of the planner's option mask.
enum : int
{
    SHOT_KIND_DIRECT = 1,
    SHOT_KIND_BANK = 2,
    SHOT_KIND_KICK = 4,
    SHOT_KIND_TWO_BALL = 8,
};

class CShotInfo
{
public:
    /// Writes words 0 to 3, the aim (words 6-7), the kind (word 4) and the deviation (words 8-9);
    /// word 5 keeps what it held.
    void Set(int nPocket, int nCueBall, int nObjectBall, int nSecondBall, double dAim, int nKind, double dDeviation);
    /// No shot: pocket -1, cue ball 0, no object or second ball, aim 0, kind 0, no deviation.
    void Reset() { Set(-1, 0, -1, -1, 0.0, 0, 0.0); }
    /// The other record's words 0 to 4 and 6 to 9 (word 5 keeps what it held); Reset without one.
    void SetFrom(const CShotInfo* pSource)
    {
        if (pSource == nullptr)
            Reset();
        else
            Set(pSource->m_nPocket, pSource->m_nCueBall, pSource->m_nObjectBall, pSource->m_nSecondBall,
                pSource->m_dAim, pSource->m_nKind, pSource->m_dDeviation);
    }
    /// The ball the shot calls: the second ball of a two-ball shot, else the object ball.
    int GetCalledValue() const { return m_nKind == SHOT_KIND_TWO_BALL ? m_nSecondBall : m_nObjectBall; }
    /// Whether the record holds a shot into a pocket (a plan or a call), not the break or none.
    bool HoldsShot() const { return m_nPocket >= 0 && GetCalledValue() >= 0; }
    /// Calls ball n: the word GetCalledValue reads.
    void SetCalledBall(int n) { (m_nKind == SHOT_KIND_TWO_BALL ? m_nSecondBall : m_nObjectBall) = n; }
    /// Calls pocket p (word 0).
    void SetCalledPocket(int p) { m_nPocket = p; }

    std::int32_t m_nPocket = -1;     ///< word 0: pocket 0 to 5, -1 none
    std::int32_t m_nCueBall = 0;     ///< word 1: the ball struck
    std::int32_t m_nObjectBall = -1; ///< word 2: the ball the cue ball hits first
    std::int32_t m_nSecondBall = -1; ///< word 3: the ball driven into the pocket in a two-ball shot
    std::int32_t m_nKind = 0;        ///< word 4: 1 direct, 2 bank, 4 kick, 8 two-ball; 0 none (the break)
    std::int32_t m_nWord5 = 0;       ///< word 5: not written by Set
    double m_dAim = 0.0;             ///< words 6-7: the stroke direction (radians, as the engines' strike takes it)
    double m_dDeviation = 0.0;       ///< words 8-9: the deviation added to the aim (radians)
};

static_assert(sizeof(CShotInfo) == 10 * sizeof(std::int32_t), "the shot record is ten 32-bit words");
