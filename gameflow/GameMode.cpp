#include "gameflow/GameMode.h"

DWORD g_nPrevGameMode = 0;
