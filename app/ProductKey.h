// The program's own registry key and the values read under it, and opening a web address.
#pragma once

#include "platform/mfc/CString.h"
#include "platform/win32/Registry.h"

#include <cstddef>

/// Replaces the path (a text of nSize bytes) by the name, without folder, of the file it names as
/// the file system spells it; FALSE and the path unchanged when no such file is found.
BOOL GetLongFileName(char* szPath, std::size_t nSize);
/// "Software\Tamberlin\" and the program file's name up to its first dot ("Software\Tamberlin\Vorn").
CString GetProductRegKey();
/// The product key opened for reading under HKEY_LOCAL_MACHINE, else HKEY_CURRENT_USER; null when neither has it.
HKEY OpenProductRegKey();
/// A DWORD value of the product key, or the default when the key or the value is missing.
DWORD GetProductRegDword(const char* szName, DWORD dwDefault);
/// Copies a string value of the product key into the buffer of nSize bytes, always ending it
/// within the buffer (a longer value is cut); when the key or the value is missing, or the value is
/// not a string, the default is copied instead. Returns the length of the text copied.
DWORD GetProductRegString(const char* szName, char* szBuffer, DWORD nSize, const char* szDefault);
/// Opens the address in the browser, else with the desktop's handler of it; the last opening's
/// result (above 32 when something was started).
std::intptr_t OpenUrl(const char* szUrl);
