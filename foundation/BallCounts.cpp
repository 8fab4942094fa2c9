#include "foundation/BallCounts.h"

#include <algorithm>
#include <iterator>

namespace
{
bool IsBall(int i) { return i >= 0 && i < CBallCounts::BALLS; }

int Saturate(int n) { return std::clamp(n, 0, CBallCounts::COUNTER_MAX); }
} // namespace

int CBallCounts::GetBallCountLow(int i) const { return GetByte(i) & 0x0F; }

int CBallCounts::GetBallCountHigh(int i) const { return GetByte(i) >> 4; }

void CBallCounts::SetBallCountLow(int i, int n)
{
    if (IsBall(i))
        m_Counts[i] = static_cast<BYTE>((m_Counts[i] & 0xF0) | Saturate(n));
}

void CBallCounts::SetBallCountHigh(int i, int n)
{
    if (IsBall(i))
        m_Counts[i] = static_cast<BYTE>((m_Counts[i] & 0x0F) | (Saturate(n) << 4));
}

int CBallCounts::AddBallCountLow(int i, int d)
{
    // Widened first so that a huge d cannot overflow the sum.
    SetBallCountLow(i, static_cast<int>(std::clamp<long long>(0LL + GetBallCountLow(i) + d, 0, COUNTER_MAX)));
    return GetBallCountLow(i);
}

int CBallCounts::AddBallCountHigh(int i, int d)
{
    SetBallCountHigh(i, static_cast<int>(std::clamp<long long>(0LL + GetBallCountHigh(i) + d, 0, COUNTER_MAX)));
    return GetBallCountHigh(i);
}

BYTE CBallCounts::GetByte(int i) const { return IsBall(i) ? m_Counts[i] : 0; }

void CBallCounts::SetByte(int i, BYTE b)
{
    if (IsBall(i))
        m_Counts[i] = b;
}

void CBallCounts::Clear() { std::fill(std::begin(m_Counts), std::end(m_Counts), BYTE{0}); }

void SetBallFlag(WORD& wMask, int nBall, int nOn)
{
    if (!IsBall(nBall))
        return;
    const WORD wBit = static_cast<WORD>(1u << nBall);
    wMask = static_cast<WORD>(nOn != 0 ? wMask | wBit : wMask & ~wBit);
}
