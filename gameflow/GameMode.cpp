#include "gameflow/GameMode.h"

DWORD g_nPrevGameMode = 0;
int g_bTabHeld = 0;
