// Per-ball packed counters and the ball flag mask, kept in the referee's rule state and copied
// with it (saved games store the bytes as they are).
#pragma once

#include "platform/win32/WinTypes.h"

/// Sixteen bytes, one per ball number 0..15: the low four bits count A (contacts with other
/// balls), the high four bits count B (cushion contacts). Each counter stays at 15 once it gets
/// there: wrapping to 0 would make a sixteenth contact read as none.
class CBallCounts
{
public:
    static constexpr int BALLS = 16;
    static constexpr int COUNTER_MAX = 15;

    int GetBallCountLow(int i) const;
    void SetBallCountLow(int i, int n);
    /// Adds d (clamped to 0..15); returns the new counter A.
    int AddBallCountLow(int i, int d);
    int GetBallCountHigh(int i) const;
    void SetBallCountHigh(int i, int n);
    /// Adds d (clamped to 0..15); returns the new counter B.
    int AddBallCountHigh(int i, int d);

    /// The packed byte of ball i (0 outside 0..15) and all counters at once, for the rule state.
    BYTE GetByte(int i) const;
    void SetByte(int i, BYTE b);
    void Clear();

private:
    BYTE m_Counts[BALLS] = {};
};

static_assert(sizeof(CBallCounts) == CBallCounts::BALLS, "the packed counters are 16 bytes");

/// Sets bit nBall of wMask when nOn is non-zero, else clears it; numbers outside 0..15 change nothing.
void SetBallFlag(WORD& wMask, int nBall, int nOn);
