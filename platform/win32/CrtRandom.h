// The C runtime's random numbers as the game expects them: a 15-bit linear congruential
// generator (RAND_MAX 32767). The game calls these instead of the C library's rand/srand,
// whose range and sequence differ on Linux.
#pragma once

/// Largest value CrtRand returns.
inline constexpr int CRT_RAND_MAX = 32767;

/// Seeds the generator; the state before any call is the seed 1.
void CrtSrand(unsigned int nSeed);

/// Next value in 0..CRT_RAND_MAX: state = state * 214013 + 2531011, result (state >> 16) & 0x7FFF.
/// One state for the whole process, guarded so that threads never tear it.
int CrtRand();

/// While one lives on a thread, CrtRand and CrtSrand on that thread use a generator of its own
/// (starting at seed 1) and leave the process's sequence where it was. For objects built only to
/// hold or check a record, whose construction draws or reseeds, so that building them changes
/// nothing of the game's sequence. Guards nest: the innermost one serves.
class CPrivateCrtRandom
{
public:
    CPrivateCrtRandom();
    ~CPrivateCrtRandom();
    CPrivateCrtRandom(const CPrivateCrtRandom&) = delete;
    CPrivateCrtRandom& operator=(const CPrivateCrtRandom&) = delete;

private:
    friend void CrtSrand(unsigned int nSeed);
    friend int CrtRand();
    unsigned int m_nState = 1;
    CPrivateCrtRandom* m_pOuter;
};
