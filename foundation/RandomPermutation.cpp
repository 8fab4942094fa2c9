#include "foundation/RandomPermutation.h"

#include "platform/win32/CrtRandom.h"

#include <vector>

int MakeRandomPermutation(int n, CDWordArray& out, unsigned int nSeed)
{
    if (n < 1 || n > MAX_PERMUTATION_SIZE)
        return 0;
    if (nSeed != 0)
        CrtSrand(nSeed);
    // Draw until every number has come up once; each draw is rand() % n.
    std::vector<bool> drawn(static_cast<std::size_t>(n), false);
    for (int nLeft = n; nLeft > 0;)
    {
        const int v = CrtRand() % n;
        if (drawn[static_cast<std::size_t>(v)])
            continue;
        drawn[static_cast<std::size_t>(v)] = true;
        out.Add(static_cast<DWORD>(v));
        --nLeft;
    }
    return 1;
}
