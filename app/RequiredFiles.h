// The check at start-up that the program's libraries, the program itself and the DirectX libraries
// it names exist and are recent enough, and the text that tells the player what is wrong.
#pragma once

#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

#include <span>

/// One row of the table of required files.
struct SRequiredFile
{
    DWORD dwMinVersionLs = 0; // compared with the file's low version word
    DWORD dwMinVersionMs = 0; // compared with the file's high version word
    const char* szName = "";  // without folder
    BOOL bSearchSystemFolder = FALSE;
    BOOL bCompareLowWord = FALSE;
    BOOL bCheckVersion = FALSE;
};

/// The program's own table, in its order.
std::span<const SRequiredFile> GetRequiredFiles();

/// The version words of a file: the program's own compiled-in version for the program, a resource
/// library's from its header, the stand-in's for the system folder's DirectX libraries. 0 when the
/// path is null or has no version.
BOOL GetFileVersionString(const char* szPath, DWORD* pdwMs, DWORD* pdwLs);

/// 1 when every row passes, else 0 and, with a text, the message naming the missing files first and
/// the outdated ones after (the text grows as needed).
int CheckRequiredFiles(CString* pText, std::span<const SRequiredFile> aFiles = GetRequiredFiles());

/// 1 when every library of the program folder that the program opens besides the required ones
/// (artwork libraries, ball sets, the speech library) is whole, else 0 and, with a text, the same
/// "not found or corrupt" message naming the damaged ones as the folder spells them. A library
/// that is not there is left to the code that opens it.
int CheckOpenedLibraries(CString* pText);
