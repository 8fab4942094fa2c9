// The search's view of a ball engine's table (kept apart so that the candidates and their tests
// build without the engines).
#include "simulation/Ball.h"
#include "simulation/BallEngine.h"
#include "simulation/ShotTable.h"
#include "simulation/TableParts.h"

CShotTable CShotTable::FromEngine(CBallEngine& engine)
{
    CShotTable t;
    const auto lock = engine.AcquireLock();
    for (int i = 0; i < SHOT_POCKET_COUNT; ++i)
    {
        if (const CWorldObject* p = engine.GetWorldObject(i))
            t.SetPocket(i, SShotPocket{p->GetNearPoint(), p->GetFarPoint(), p->GetRadius()});
    }
    for (int i = 0; i < engine.GetBallCount(); ++i)
    {
        const CBall* b = engine.GetBallAt(i);
        if (b == nullptr)
            continue;
        if (b->IsPocketed())
            t.SetPocketed(b->GetIndex());
        else
            t.SetBall(b->GetIndex(), b->GetPosition()->x, b->GetPosition()->y);
    }
    return t;
}
