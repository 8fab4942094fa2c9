#include "gameflow/GameMode.h"

DWORD g_nGameMode = 0;
DWORD g_nPrevGameMode = 0;
