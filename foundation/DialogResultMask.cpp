#include "foundation/DialogResultMask.h"

DWORD g_nDialogOkMask = 0;
