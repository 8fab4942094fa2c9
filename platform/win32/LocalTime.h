// The local wall-clock time (GetLocalTime).
#pragma once

#include "platform/win32/WinTypes.h"

struct SYSTEMTIME
{
    WORD wYear = 0;
    WORD wMonth = 0;
    WORD wDayOfWeek = 0;
    WORD wDay = 0;
    WORD wHour = 0;
    WORD wMinute = 0;
    WORD wSecond = 0;
    WORD wMilliseconds = 0;
};

/// The current local date and time. Any thread.
void GetLocalTime(SYSTEMTIME* pTime);
