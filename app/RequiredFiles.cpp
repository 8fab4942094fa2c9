#include "app/RequiredFiles.h"

#include "foundation/Folders.h"
#include "platform/mfc/CFile.h"
#include "platform/win32/Modules.h"
#include "platform/win32/Paths.h"
#include "platform/win32/Version.h"

namespace
{
constexpr DWORD Version(DWORD dwHigh, DWORD dwLow) { return (dwHigh << 16) | dwLow; }

constexpr SRequiredFile s_aRequiredFiles[] = {
    {Version(0, 0), Version(1, 7), "vornres.dll", FALSE, TRUE, TRUE},
    {Version(0, 0), Version(1, 7), "VornWave.dll", FALSE, TRUE, TRUE},
    {Version(0, 0), Version(1, 7), "VornBall.dat", FALSE, TRUE, TRUE},
    {Version(0, 0), Version(1, 7), "Imagery.dll", FALSE, TRUE, TRUE},
    {Version(0, 0), Version(1, 7), "imagery1.dll", FALSE, TRUE, TRUE},
    {Version(0, 0), Version(1, 7), "Vorn.exe", FALSE, TRUE, TRUE},
    {Version(2, 436), Version(4, 6), "d3dxof.dll", TRUE, TRUE, TRUE},
    {Version(3, 518), Version(4, 6), "ddraw.dll", TRUE, TRUE, TRUE},
    {Version(1, 1998), Version(4, 5), "dinput.dll", TRUE, TRUE, TRUE},
    {Version(1, 1998), Version(4, 5), "dsound.dll", TRUE, TRUE, TRUE},
};

bool Exists(const CString& strPath)
{
    CFileStatus status;
    return CFile::GetStatus(strPath, status) != FALSE;
}

/// The shared folder, then the program folder; rows that allow it fall back on the system folder.
CString ChooseFolder(const SRequiredFile& row)
{
    const CString strShared = GetSharedFolder();
    if (Exists(strShared + row.szName))
        return strShared;
    const CString strProgram = GetProgramFolder();
    if (!row.bSearchSystemFolder || Exists(strProgram + row.szName))
        return strProgram;
    char szSystem[MAX_PATH] = {};
    GetSystemDirectory(szSystem, MAX_PATH);
    return CString(szSystem) + "/";
}

bool IsRecentEnough(const SRequiredFile& row, DWORD dwMs, DWORD dwLs)
{
    if (dwMs != row.dwMinVersionMs)
        return dwMs > row.dwMinVersionMs;
    return !row.bCompareLowWord || dwLs >= row.dwMinVersionLs;
}

void AppendToList(CString& strList, const CString& strPath)
{
    if (!strList.IsEmpty())
        strList += ",\n";
    strList += strPath;
}
} // namespace

std::span<const SRequiredFile> GetRequiredFiles() { return s_aRequiredFiles; }

BOOL GetFileVersionString(const char* szPath, DWORD* pdwMs, DWORD* pdwLs)
{
    if (szPath == nullptr || pdwMs == nullptr || pdwLs == nullptr)
        return 0;
    return GetFileVersion(szPath, pdwMs, pdwLs);
}

int CheckRequiredFiles(CString* pText, std::span<const SRequiredFile> aFiles)
{
    if (pText != nullptr)
        pText->Empty();
    CString strMissing, strOutdated;
    for (const SRequiredFile& row : aFiles)
    {
        const CString strPath = ChooseFolder(row) + row.szName;
        DWORD dwMs = 0, dwLs = 0;
        const bool bVersioned = row.bCompareLowWord || row.bCheckVersion;
        const bool bPresent = bVersioned ? GetFileVersionString(strPath, &dwMs, &dwLs) != 0 : Exists(strPath);
        if (!bPresent)
            AppendToList(strMissing, strPath);
        else if (bVersioned && !IsRecentEnough(row, dwMs, dwLs))
            AppendToList(strOutdated, strPath);
    }
    if (strMissing.IsEmpty() && strOutdated.IsEmpty())
        return 1;
    if (pText != nullptr)
    {
        if (!strMissing.IsEmpty())
            pText->AppendFormat("File(s):\n%s\nnot found or corrupt.\n\n", strMissing.GetString());
        if (!strOutdated.IsEmpty())
            *pText += CString("You must have DirectX 6.1 or higher\n\n") + "File(s):\n" + strOutdated +
                      "\nhas(have) old version\n";
    }
    return 0;
}
