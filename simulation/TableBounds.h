// The table bounds that the simulation reads of the game flow: the game flow's table set-up writes
// them; the rack spots read them, so that racking runs without the game flow in tests.
#pragma once

#include "foundation/Vector3.h"

/// The table's box in scene coordinates (metres; y up, the table's length along z). Until the
/// table set-up fills it, it is the bed itself. Main thread only; tests that change it put the
/// default back.
struct STableBounds
{
    CVector3 vMin{0.0f, 0.0f, 0.0f};
    CVector3 vMax{1.1176f, 0.0f, 2.2352f};
};
extern STableBounds g_TableBounds;
