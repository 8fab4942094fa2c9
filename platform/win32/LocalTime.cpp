#include "platform/win32/LocalTime.h"

#include <ctime>
#include <sys/time.h>

void GetLocalTime(SYSTEMTIME* pTime)
{
    if (pTime == nullptr)
        return;
    timeval tv{};
    gettimeofday(&tv, nullptr);
    const std::time_t t = tv.tv_sec;
    std::tm local{};
    localtime_r(&t, &local);
    pTime->wYear = static_cast<WORD>(local.tm_year + 1900);
    pTime->wMonth = static_cast<WORD>(local.tm_mon + 1);
    pTime->wDayOfWeek = static_cast<WORD>(local.tm_wday);
    pTime->wDay = static_cast<WORD>(local.tm_mday);
    pTime->wHour = static_cast<WORD>(local.tm_hour);
    pTime->wMinute = static_cast<WORD>(local.tm_min);
    pTime->wSecond = static_cast<WORD>(local.tm_sec);
    pTime->wMilliseconds = static_cast<WORD>(tv.tv_usec / 1000);
}
