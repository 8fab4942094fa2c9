#include "simulation/CueBall.h"

#include <atomic>

namespace
{
std::atomic<int> s_nCueBallNumber{0};
} // namespace

int GetCueBallNumber() { return s_nCueBallNumber.load(std::memory_order_relaxed); }

void SetCueBallNumber(int nBall) { s_nCueBallNumber.store(nBall, std::memory_order_relaxed); }
