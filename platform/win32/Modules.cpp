#include "platform/win32/Modules.h"

#include "platform/win32/ByteStream.h"
#include "platform/win32/DebugLog.h"
#include "platform/win32/LastError.h"
#include "platform/win32/Paths.h"
#include "platform/win32/ResourceLibrary.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

// A loaded module; its handle is its address. Only resource libraries exist so far: a rule
// plug-in, a shared object, will be opened with dlopen in LoadLibrary and keep its handle here.
struct HINSTANCE__
{
    std::string strPath; // the Linux path it was opened from
    int nRefs = 0;
    std::unique_ptr<CResourceLibrary> pLibrary;
};

namespace
{
// Every loaded module. Any thread may load and free libraries; the mutex guards the list, and
// a module stays alive until its last FreeLibrary. Tests see it only through the functions below.
std::mutex s_mutex;
std::vector<std::unique_ptr<HINSTANCE__>> s_modules;

HINSTANCE__* FindLoadedLocked(HMODULE hModule)
{
    for (const auto& pModule : s_modules)
    {
        if (pModule.get() == hModule)
            return pModule.get();
    }
    return nullptr;
}

const CResourceLibrary* LibraryOf(HMODULE hModule)
{
    std::lock_guard lock(s_mutex);
    const HINSTANCE__* pModule = FindLoadedLocked(hModule);
    return pModule != nullptr ? pModule->pLibrary.get() : nullptr;
}

// The entry hResInfo stands for, when it is one of the library's own.
const SResourceEntry* EntryOf(const CResourceLibrary& library, HRSRC hResInfo)
{
    const auto& entries = library.Entries();
    const auto it = std::find_if(entries.begin(), entries.end(),
                                 [hResInfo](const SResourceEntry& entry)
                                 { return reinterpret_cast<HRSRC>(const_cast<SResourceEntry*>(&entry)) == hResInfo; });
    return it != entries.end() ? &*it : nullptr;
}

bool IsSharedObject(const std::vector<BYTE>& bytes)
{
    static constexpr BYTE ELF_MAGIC[] = {0x7F, 'E', 'L', 'F'};
    return bytes.size() >= sizeof(ELF_MAGIC) && std::memcmp(bytes.data(), ELF_MAGIC, sizeof(ELF_MAGIC)) == 0;
}

HMODULE Refuse(LPCSTR szPath, const std::string& strReason, DWORD dwError)
{
    OutputDebugString(("LoadLibrary: " + std::string(szPath) + ": " + strReason + "\n").c_str());
    SetLastError(dwError);
    return nullptr;
}
} // namespace

HMODULE LoadLibrary(LPCSTR szPath)
{
    if (szPath == nullptr || szPath[0] == '\0')
        return Refuse("", "no path", ERROR_INVALID_PARAMETER);
    const std::string strPath = ResolvePath(szPath);
    {
        std::lock_guard lock(s_mutex);
        for (const auto& pModule : s_modules)
        {
            if (pModule->strPath == strPath)
            {
                ++pModule->nRefs;
                return pModule.get();
            }
        }
    }
    std::vector<BYTE> bytes;
    if (!ReadWholeFile(strPath, bytes))
        return Refuse(szPath, "cannot read the file", ERROR_FILE_NOT_FOUND);
    if (IsSharedObject(bytes))
        return Refuse(szPath, "shared objects are not loaded yet", ERROR_BAD_EXE_FORMAT);
    std::string strError;
    auto pLibrary = CResourceLibrary::FromBytes(std::move(bytes), strError);
    if (pLibrary == nullptr)
        return Refuse(szPath, strError, ERROR_BAD_FORMAT);

    auto pModule = std::make_unique<HINSTANCE__>();
    pModule->strPath = strPath;
    pModule->nRefs = 1;
    pModule->pLibrary = std::move(pLibrary);
    std::lock_guard lock(s_mutex);
    s_modules.push_back(std::move(pModule));
    return s_modules.back().get();
}

BOOL FreeLibrary(HMODULE hModule)
{
    std::lock_guard lock(s_mutex);
    HINSTANCE__* pModule = FindLoadedLocked(hModule);
    if (pModule == nullptr)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (--pModule->nRefs == 0)
        std::erase_if(s_modules, [pModule](const auto& p) { return p.get() == pModule; });
    return TRUE;
}

HRSRC FindResource(HMODULE hModule, LPCSTR szName, LPCSTR szType)
{
    const CResourceLibrary* pLibrary = LibraryOf(hModule);
    if (pLibrary == nullptr || szName == nullptr || szType == nullptr)
    {
        SetLastError(pLibrary == nullptr ? ERROR_INVALID_HANDLE : ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const SResourceEntry* pEntry = pLibrary->Find(SResourceKey::FromWin(szName), SResourceKey::FromWin(szType));
    if (pEntry == nullptr)
    {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<HRSRC>(const_cast<SResourceEntry*>(pEntry));
}

HGLOBAL LoadResource(HMODULE hModule, HRSRC hResInfo)
{
    const CResourceLibrary* pLibrary = LibraryOf(hModule);
    const SResourceEntry* pEntry = pLibrary != nullptr ? EntryOf(*pLibrary, hResInfo) : nullptr;
    if (pEntry == nullptr)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return const_cast<BYTE*>(pLibrary->Data(*pEntry).data());
}

LPVOID LockResource(HGLOBAL hResData) { return hResData; }

DWORD SizeofResource(HMODULE hModule, HRSRC hResInfo)
{
    const CResourceLibrary* pLibrary = LibraryOf(hModule);
    const SResourceEntry* pEntry = pLibrary != nullptr ? EntryOf(*pLibrary, hResInfo) : nullptr;
    if (pEntry == nullptr)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return pEntry->nSize;
}

BOOL FreeResource(HGLOBAL /*hResData*/) { return FALSE; }

int LoadString(HINSTANCE hInstance, UINT nId, LPSTR szBuffer, int nBufferMax)
{
    if (szBuffer == nullptr || nBufferMax <= 0)
        return 0;
    szBuffer[0] = '\0';
    if (nId == 0 || nId > 0xFFFF)
        return 0;
    const HRSRC hResInfo = FindResource(hInstance, MAKEINTRESOURCE(static_cast<WORD>(nId)), RT_STRING);
    if (hResInfo == nullptr)
        return 0;
    const auto* pText = static_cast<const char*>(LockResource(LoadResource(hInstance, hResInfo)));
    const DWORD nSize = SizeofResource(hInstance, hResInfo);
    const int nCount = static_cast<int>(std::min<DWORD>(nSize, static_cast<DWORD>(nBufferMax - 1)));
    std::memcpy(szBuffer, pText, static_cast<std::size_t>(nCount));
    szBuffer[nCount] = '\0';
    return nCount;
}

BOOL GetResourceLibraryVersion(LPCSTR szPath, DWORD* pdwMs, DWORD* pdwLs)
{
    if (szPath == nullptr || pdwMs == nullptr || pdwLs == nullptr)
        return FALSE;
    SResourceVersion version;
    std::string strError;
    if (!CResourceLibrary::ReadVersion(ResolvePath(szPath), version, strError))
        return FALSE;
    *pdwMs = version.dwMs;
    *pdwLs = version.dwLs;
    return TRUE;
}

HMODULE FindResourceInLibraries(const CStringArray& astrPaths, LPCSTR szName, LPCSTR szType, HRSRC* phResInfo)
{
    for (int i = 0; i < astrPaths.GetSize(); ++i)
    {
        const HMODULE hModule = LoadLibrary(astrPaths[i]);
        if (hModule == nullptr)
            continue;
        const HRSRC hResInfo = FindResource(hModule, szName, szType);
        if (hResInfo != nullptr)
        {
            if (phResInfo != nullptr)
                *phResInfo = hResInfo;
            return hModule;
        }
        FreeLibrary(hModule);
    }
    if (phResInfo != nullptr)
        *phResInfo = nullptr;
    return nullptr;
}
