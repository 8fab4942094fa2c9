#include "foundation/GameModeWord.h"

DWORD g_nGameMode = 0;
