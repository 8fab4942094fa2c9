// Tests on flag values that are true when non-zero.
#pragma once

/// 1 when exactly one of the two flags is non-zero, else 0.
constexpr int LogicalXor(int a, int b) { return (a != 0) != (b != 0) ? 1 : 0; }
