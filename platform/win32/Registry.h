// The registry as a small file store: one ini-style file in the user's configuration folder
// ($XDG_CONFIG_HOME, else ~/.config, then "vorn/registry.ini"). Each key is a section named by
// its full path ("HKEY_LOCAL_MACHINE\Software\Tamberlin\Vorn"); each value a line
// "name=type:data". Key and value names are compared without case. Every change replaces the
// file in one step. Access rights are accepted and not enforced. Any thread.
#pragma once

#include "platform/win32/WinTypes.h"

#include <string>

struct HKEY__;
using HKEY = HKEY__*;
using REGSAM = DWORD;

inline HKEY const HKEY_CLASSES_ROOT = reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000000u));
inline HKEY const HKEY_CURRENT_USER = reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000001u));
inline HKEY const HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000002u));

inline constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
inline constexpr REGSAM KEY_SET_VALUE = 0x0002;
inline constexpr REGSAM KEY_READ = 0x20019;
inline constexpr REGSAM KEY_WRITE = 0x20006;
inline constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;
inline constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
inline constexpr DWORD REG_CREATED_NEW_KEY = 1;
inline constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;

inline constexpr LONG ERROR_SUCCESS = 0;
inline constexpr LONG ERROR_FILE_NOT_FOUND = 2;
inline constexpr LONG ERROR_ACCESS_DENIED = 5;
inline constexpr LONG ERROR_INVALID_HANDLE = 6;
inline constexpr LONG ERROR_WRITE_FAULT = 29;
inline constexpr LONG ERROR_INVALID_PARAMETER = 87;
inline constexpr LONG ERROR_MORE_DATA = 234;

/// Opens an existing key (ERROR_FILE_NOT_FOUND when it does not exist).
LONG RegOpenKeyEx(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, HKEY* phkResult);
/// Opens a key, creating it (and the keys above it) when missing; *lpdwDisposition says which.
LONG RegCreateKeyEx(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR lpClass, DWORD dwOptions, REGSAM samDesired,
                    void* lpSecurityAttributes, HKEY* phkResult, DWORD* lpdwDisposition);
/// Reads a value. With lpData null only the type and the size are given; a buffer too small
/// gives ERROR_MORE_DATA and the size needed. A REG_SZ value's size counts its terminator.
LONG RegQueryValueEx(HKEY hKey, LPCSTR lpValueName, DWORD* lpReserved, DWORD* lpType, BYTE* lpData, DWORD* lpcbData);
/// Writes a value (REG_SZ data is taken up to its first zero byte).
LONG RegSetValueEx(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData, DWORD cbData);
LONG RegDeleteValue(HKEY hKey, LPCSTR lpValueName);
/// Deletes a key that has no keys below it (ERROR_ACCESS_DENIED when it has).
LONG RegDeleteKey(HKEY hKey, LPCSTR lpSubKey);
LONG RegCloseKey(HKEY hKey);

/// The store's file, as a Linux path.
std::string GetRegistryFilePath();
