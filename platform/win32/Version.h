// File versions as the game checks them: the program's own version is compiled in, a resource
// library carries its version in its header, and the DirectX libraries the game names are the
// stand-in's own, found in the system folder that GetSystemDirectory names.
#pragma once

#include "platform/win32/WinTypes.h"

/// The system folder, without a trailing separator: a name only, no folder of the disk.
UINT GetSystemDirectory(LPSTR szBuffer, UINT uSize);

/// The program's version, set once by the program at start-up (high and low words).
void SetProgramFileVersion(DWORD dwMs, DWORD dwLs);

/// The two version words of a file; FALSE when it has none or does not exist.
BOOL GetFileVersion(LPCSTR szPath, DWORD* pdwMs, DWORD* pdwLs);
