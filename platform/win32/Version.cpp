#include "platform/win32/Version.h"

#include "platform/win32/Files.h"
#include "platform/win32/Modules.h"
#include "platform/win32/Paths.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace
{
constexpr const char* SYSTEM_FOLDER = "C:\\Windows\\System";

/// The DirectX libraries the stand-in provides, at a version above every minimum the game asks for.
constexpr const char* s_aDirectXLibraries[] = {"d3dxof.dll", "ddraw.dll", "dinput.dll", "dsound.dll", "dsetup.dll"};
constexpr DWORD DIRECTX_VERSION_MS = (4u << 16) | 7u;
constexpr DWORD DIRECTX_VERSION_LS = 700u;

std::atomic<DWORD> s_dwProgramMs{0};
std::atomic<DWORD> s_dwProgramLs{0};

std::string_view FileNameOf(std::string_view path)
{
    const size_t nCut = path.find_last_of("/\\");
    return nCut == std::string_view::npos ? path : path.substr(nCut + 1);
}

std::string_view FolderOf(std::string_view path)
{
    const size_t nCut = path.find_last_of("/\\");
    return nCut == std::string_view::npos ? std::string_view() : path.substr(0, nCut);
}

/// The program answers to its own name with ".exe" added, as the table of required files names it.
bool NamesTheProgram(std::string_view path)
{
    const std::string strProgram = GetProgramFilePath();
    if (strProgram.empty() || FolderOf(path) != FolderOf(strProgram))
        return false;
    return EqualNoCase(FileNameOf(path), std::string(FileNameOf(strProgram)) + ".exe") ||
           EqualNoCase(FileNameOf(path), FileNameOf(strProgram));
}
} // namespace

UINT GetSystemDirectory(LPSTR szBuffer, UINT uSize)
{
    const UINT uLength = static_cast<UINT>(std::strlen(SYSTEM_FOLDER));
    if (szBuffer == nullptr || uSize <= uLength)
        return uLength + 1;
    std::memcpy(szBuffer, SYSTEM_FOLDER, uLength + 1);
    return uLength;
}

void SetProgramFileVersion(DWORD dwMs, DWORD dwLs)
{
    s_dwProgramMs = dwMs;
    s_dwProgramLs = dwLs;
}

BOOL GetFileVersion(LPCSTR szPath, DWORD* pdwMs, DWORD* pdwLs)
{
    if (szPath == nullptr || pdwMs == nullptr || pdwLs == nullptr)
        return FALSE;
    const std::string_view path(szPath);
    if (EqualNoCase(FolderOf(path), SYSTEM_FOLDER))
    {
        const bool bKnown = std::any_of(std::begin(s_aDirectXLibraries), std::end(s_aDirectXLibraries),
                                        [&](const char* szName) { return EqualNoCase(FileNameOf(path), szName); });
        *pdwMs = DIRECTX_VERSION_MS;
        *pdwLs = DIRECTX_VERSION_LS;
        return bKnown ? TRUE : FALSE;
    }
    if (NamesTheProgram(path) && s_dwProgramMs != 0)
    {
        *pdwMs = s_dwProgramMs;
        *pdwLs = s_dwProgramLs;
        return TRUE;
    }
    return GetResourceLibraryVersion(szPath, pdwMs, pdwLs);
}
