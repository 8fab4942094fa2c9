// Modules and their resources: LoadLibrary opens one of the program's resource libraries or a
// rule plug-in (see ResourceLibrary.h), and the resource functions find, load and lock its entries.
//
// Resource data stays valid and unchanged until the library's last FreeLibrary; LoadResource
// and LockResource hand out pointers into it and FreeResource does nothing, as on Win32.
#pragma once

#include "platform/mfc/CString.h"
#include "platform/win32/ResourceLibrary.h"
#include "platform/win32/WinTypes.h"

#include <cstdint>
#include <span>

struct HRSRC__;
using HRSRC = HRSRC__*;
using HGLOBAL = void*;

/// A numeric resource id or type in the place of a name.
inline LPCSTR MAKEINTRESOURCE(WORD nId) { return reinterpret_cast<LPCSTR>(static_cast<std::uintptr_t>(nId)); }
inline bool IS_INTRESOURCE(LPCSTR sz) { return reinterpret_cast<std::uintptr_t>(sz) <= 0xFFFF; }

// The standard resource types used here.
inline const LPCSTR RT_BITMAP = MAKEINTRESOURCE(2);
inline const LPCSTR RT_DIALOG = MAKEINTRESOURCE(5);
inline const LPCSTR RT_STRING = MAKEINTRESOURCE(RT_STRING_ID);
inline const LPCSTR RT_RCDATA = MAKEINTRESOURCE(10);

/// A function found by GetProcAddress, cast by the caller to its real type.
using FARPROC = void (*)();

/// A shared object (a rule plug-in) may carry resources: it exports this function, which returns
/// a resource library image (as tools/respack builds it) and its size; LoadLibrary takes a copy,
/// and the resource functions below find the plug-in's resources through its handle.
inline constexpr const char* MODULE_RESOURCES_EXPORT = "GetResources";
extern "C"
{
    using PFN_GET_RESOURCES = const BYTE* (*)(DWORD* pnSize);
}

/// Opens a library by its Windows path text: one of the program's resource libraries, or a
/// shared object (ELF), which is loaded with all its symbols bound at once. Opening the same file again returns the
/// same handle and counts up; each open needs its FreeLibrary. A bare name is looked for beside the program first,
/// then in the current folder. Null (and GetLastError) when the file is missing or
/// damaged; the reason goes to the debug log.
HMODULE LoadLibrary(LPCSTR szPath);
inline HMODULE LoadLibraryA(LPCSTR szPath) { return LoadLibrary(szPath); }
BOOL FreeLibrary(HMODULE hModule);
/// The exported function szProcName of a shared object; null for a resource library or a name it
/// does not export (GetLastError ERROR_PROC_NOT_FOUND).
FARPROC GetProcAddress(HMODULE hModule, LPCSTR szProcName);

/// Finds a resource by name (text, "#id" or MAKEINTRESOURCE) and type; texts match without case.
/// The program itself holds no resources: a null module finds nothing.
HRSRC FindResource(HMODULE hModule, LPCSTR szName, LPCSTR szType);
inline HRSRC FindResourceA(HMODULE hModule, LPCSTR szName, LPCSTR szType)
{
    return FindResource(hModule, szName, szType);
}
HGLOBAL LoadResource(HMODULE hModule, HRSRC hResInfo);
LPVOID LockResource(HGLOBAL hResData);
DWORD SizeofResource(HMODULE hModule, HRSRC hResInfo);
/// Resources live as long as their library; always FALSE, as on Win32.
BOOL FreeResource(HGLOBAL hResData);
/// The bytes of a resource (FindResource, LoadResource, SizeofResource in one); empty when the
/// library has none of that name and type. Valid until the library's last FreeLibrary.
std::span<const BYTE> ResourceBytes(HMODULE hModule, LPCSTR szName, LPCSTR szType);

/// Copies string nId of the library's string table into the buffer, cut to nBufferMax - 1
/// characters and terminated; returns the characters copied, 0 when there is no such string.
int LoadString(HINSTANCE hInstance, UINT nId, LPSTR szBuffer, int nBufferMax);
inline int LoadStringA(HINSTANCE hInstance, UINT nId, LPSTR szBuffer, int nBufferMax)
{
    return LoadString(hInstance, nId, szBuffer, nBufferMax);
}

/// The version stamp of a library file (its header only is read): TRUE and the two words, or
/// FALSE when the file is missing or not a library.
BOOL GetResourceLibraryVersion(LPCSTR szPath, DWORD* pdwMs, DWORD* pdwLs);

/// The resource lookup over a scanned list of libraries: opens the libraries in list order and
/// returns the first that holds the resource, with the resource in *phResInfo. The caller frees
/// the returned library; the others are closed again. Null when no library has it.
HMODULE FindResourceInLibraries(const CStringArray& astrPaths, LPCSTR szName, LPCSTR szType, HRSRC* phResInfo);
