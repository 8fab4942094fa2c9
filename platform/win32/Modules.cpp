#include "platform/win32/Modules.h"

#include "platform/win32/AtomicFile.h"
#include "platform/win32/ByteStream.h"
#include "platform/win32/DebugLog.h"
#include "platform/win32/Files.h"
#include "platform/win32/LastError.h"
#include "platform/win32/Paths.h"
#include "platform/win32/ResourceLibrary.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <memory>
#include <mutex>
#include <vector>

// A loaded module; its handle is its address. A resource library holds only its resources; a
// shared object (a rule plug-in) holds its dlopen handle and, when it exports them, resources.
struct HINSTANCE__
{
    HINSTANCE__() = default;
    HINSTANCE__(const HINSTANCE__&) = delete;
    HINSTANCE__& operator=(const HINSTANCE__&) = delete;
    ~HINSTANCE__()
    {
        // The resources are a copy; the code goes last.
        pLibrary.reset();
        if (pSharedObject != nullptr)
            dlclose(pSharedObject);
    }

    std::string strPath; // the Linux path it was opened from
    int nRefs = 0;
    std::unique_ptr<CResourceLibrary> pLibrary;
    void* pSharedObject = nullptr; // dlopen handle
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

// A bare library name is looked for beside the program first, as the system's loader does, so
// that the game finds its libraries whatever the current folder is.
std::string ResolveModulePath(LPCSTR szPath)
{
    const std::string_view name(szPath);
    const std::string strProgram = GetProgramFilePath();
    if (name.find_first_of("/\\:") == std::string_view::npos && !strProgram.empty())
    {
        // The library beside the program, its name spelled in any case, as the original's file
        // system found it.
        std::error_code ec;
        const std::string strBeside = ResolvePath((std::filesystem::path(strProgram).parent_path() / name).string());
        if (std::filesystem::is_regular_file(strBeside, ec))
            return strBeside;
    }
    return ResolvePath(name);
}

/// Whether the file starts as a shared object does; false also for one that cannot be read.
bool IsSharedObject(const std::string& strPath)
{
    static constexpr BYTE ELF_MAGIC[] = {0x7F, 'E', 'L', 'F'};
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> pFile(OpenRegularFile(strPath), &std::fclose);
    BYTE aStart[sizeof(ELF_MAGIC)] = {};
    return pFile != nullptr && std::fread(aStart, 1, sizeof(aStart), pFile.get()) == sizeof(aStart) &&
           std::memcmp(aStart, ELF_MAGIC, sizeof(ELF_MAGIC)) == 0;
}

HMODULE Refuse(LPCSTR szPath, const std::string& strReason, DWORD dwError)
{
    OutputDebugString(("LoadLibrary: " + std::string(szPath) + ": " + strReason + "\n").c_str());
    SetLastError(dwError);
    return nullptr;
}

// Opens a shared object and takes a copy of the resources it exports; null with the reason in
// strError (and dwError) when it does not load or its resources are damaged.
std::unique_ptr<HINSTANCE__> OpenSharedObject(const std::string& strPath, std::string& strError, DWORD& dwError)
{
    // Every symbol is bound now, so a plug-in that needs what the program lacks fails here with
    // the loader's message instead of at its first call.
    void* pHandle = dlopen(strPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (pHandle == nullptr)
    {
        const char* szError = dlerror();
        strError = std::string("the shared object does not load: ") + (szError != nullptr ? szError : "");
        dwError = ERROR_BAD_EXE_FORMAT;
        return nullptr;
    }
    auto pModule = std::make_unique<HINSTANCE__>();
    pModule->pSharedObject = pHandle;
    const auto pfnGetResources = reinterpret_cast<PFN_GET_RESOURCES>(dlsym(pHandle, MODULE_RESOURCES_EXPORT));
    if (pfnGetResources == nullptr)
        return pModule;
    DWORD nSize = 0;
    const BYTE* pData = pfnGetResources(&nSize);
    if (pData == nullptr)
        return pModule;
    pModule->pLibrary = CResourceLibrary::FromBytes(std::vector<BYTE>(pData, pData + nSize), strError);
    if (pModule->pLibrary == nullptr)
    {
        strError = "its resources are damaged: " + strError;
        dwError = ERROR_BAD_FORMAT;
        return nullptr;
    }
    return pModule;
}
} // namespace

HMODULE LoadLibrary(LPCSTR szPath)
{
    if (szPath == nullptr || szPath[0] == '\0')
        return Refuse("", "no path", ERROR_INVALID_PARAMETER);
    const std::string strPath = ResolveModulePath(szPath);
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
    if (const std::unique_ptr<std::FILE, int (*)(std::FILE*)> pFile(OpenRegularFile(strPath), &std::fclose);
        pFile == nullptr)
        return Refuse(szPath, "cannot read the file", ERROR_FILE_NOT_FOUND);
    std::string strError;
    std::unique_ptr<HINSTANCE__> pModule;
    if (IsSharedObject(strPath))
    {
        DWORD dwError = 0;
        pModule = OpenSharedObject(strPath, strError, dwError);
        if (pModule == nullptr)
            return Refuse(szPath, strError, dwError);
    }
    else
    {
        // Its header and index now, each resource's data when it is first loaded.
        auto pLibrary = CResourceLibrary::FromFile(strPath, strError);
        if (pLibrary == nullptr)
            return Refuse(szPath, strError, ERROR_BAD_FORMAT);
        pModule = std::make_unique<HINSTANCE__>();
        pModule->pLibrary = std::move(pLibrary);
    }
    pModule->strPath = strPath;
    pModule->nRefs = 1;
    std::lock_guard lock(s_mutex);
    s_modules.push_back(std::move(pModule));
    return s_modules.back().get();
}

BOOL FreeLibrary(HMODULE hModule)
{
    std::unique_ptr<HINSTANCE__> pClosing;
    {
        std::lock_guard lock(s_mutex);
        const auto it =
            std::find_if(s_modules.begin(), s_modules.end(), [hModule](const auto& p) { return p.get() == hModule; });
        if (it == s_modules.end())
        {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        if (--(*it)->nRefs > 0)
            return TRUE;
        pClosing = std::move(*it);
        s_modules.erase(it);
    }
    // Closed outside the lock: a shared object's own clean-up may load or free libraries.
    pClosing.reset();
    return TRUE;
}

FARPROC GetProcAddress(HMODULE hModule, LPCSTR szProcName)
{
    void* pSharedObject = nullptr;
    {
        std::lock_guard lock(s_mutex);
        const HINSTANCE__* pModule = FindLoadedLocked(hModule);
        pSharedObject = pModule != nullptr ? pModule->pSharedObject : nullptr;
    }
    if (pSharedObject == nullptr || szProcName == nullptr)
    {
        SetLastError(pSharedObject == nullptr ? ERROR_INVALID_HANDLE : ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    void* pSymbol = dlsym(pSharedObject, szProcName);
    if (pSymbol == nullptr)
        SetLastError(ERROR_PROC_NOT_FOUND);
    return reinterpret_cast<FARPROC>(pSymbol);
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
    // A resource the file no longer holds (cut short since the library was opened) does not load.
    const std::span<const BYTE> data = pLibrary->Data(*pEntry);
    if (data.size() != pEntry->nSize)
    {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    return const_cast<BYTE*>(data.data());
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

std::span<const BYTE> ResourceBytes(HMODULE hModule, LPCSTR szName, LPCSTR szType)
{
    HRSRC hInfo = FindResource(hModule, szName, szType);
    const auto* pData =
        hInfo != nullptr ? static_cast<const BYTE*>(LockResource(LoadResource(hModule, hInfo))) : nullptr;
    if (pData == nullptr)
        return {};
    return {pData, SizeofResource(hModule, hInfo)};
}

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
