// What the start-up question keeps in the registry's store for the next start.
#pragma once

#include "platform/win32/Registry.h"

/// "Vorn warning" as the store holds it, -1 when it is not there.
inline long StoredWarning()
{
    HKEY hKey = nullptr;
    if (RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software\\Tamberlin\\Vorn", 0, KEY_ALL_ACCESS, &hKey) != ERROR_SUCCESS)
        return -1;
    DWORD dwValue = 0;
    DWORD dwSize = sizeof dwValue;
    const LONG nResult =
        RegQueryValueEx(hKey, "Vorn warning", nullptr, nullptr, reinterpret_cast<BYTE*>(&dwValue), &dwSize);
    RegCloseKey(hKey);
    return nResult == ERROR_SUCCESS ? static_cast<long>(dwValue) : -1;
}
