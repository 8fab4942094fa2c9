// A random order of the numbers 0..n-1 from the program's C-runtime generator.
#pragma once

#include "platform/mfc/Arrays.h"

/// Most elements a permutation can have: the generator draws 32768 different values.
inline constexpr int MAX_PERMUTATION_SIZE = 32768;

/// Appends 0..n-1 in random order to out (which is not emptied first) and returns 1. Seeds the
/// generator with nSeed first unless it is 0. Returns 0 and changes nothing when n is below 1 or
/// above MAX_PERMUTATION_SIZE (the draw could never finish).
int MakeRandomPermutation(int n, CDWordArray& out, unsigned int nSeed);
