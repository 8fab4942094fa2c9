#include "app/RequiredFiles.h"

#include "foundation/Folders.h"
#include "platform/mfc/CFile.h"
#include "platform/win32/Files.h"
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

/// The path with the file's name as it is spelled in the folder (the table spells some names in
/// other cases); as given when no file matches.
CString AsSpelledInFolder(const CString& strFolder, const char* szName)
{
    const std::string strResolved = ResolvePath((strFolder + szName).GetString());
    return strFolder + strResolved.substr(strResolved.find_last_of('/') + 1).c_str();
}

void AppendNotFoundOrCorrupt(CString& strText, const CString& strList)
{
    strText.AppendFormat("File(s):\n%s\nnot found or corrupt.\n\n", strList.GetString());
}

/// The libraries the program opens after the check besides the required ones: every artwork
/// library, every ball set and the speech library, in the program folder.
constexpr const char* s_aszOpenedLibraries[] = {"Imagery*.dll", "VornBall*.dat", "VornSpeech.dat"};
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
        const CString strPath = AsSpelledInFolder(ChooseFolder(row), row.szName);
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
            AppendNotFoundOrCorrupt(*pText, strMissing);
        if (!strOutdated.IsEmpty())
            *pText += CString("You must have DirectX 6.1 or higher\n\n") + "File(s):\n" + strOutdated +
                      "\nhas(have) old version\n";
    }
    return 0;
}

int CheckOpenedLibraries(CString* pText)
{
    if (pText != nullptr)
        pText->Empty();
    const CString strFolder = GetProgramFolder();
    CString strDamaged;
    for (const char* szPattern : s_aszOpenedLibraries)
        for (const std::string& strName : FindFiles(strFolder + szPattern))
        {
            DWORD dwMs = 0, dwLs = 0;
            if (!GetFileVersionString(strFolder + strName.c_str(), &dwMs, &dwLs))
                AppendToList(strDamaged, strFolder + strName.c_str());
        }
    if (strDamaged.IsEmpty())
        return 1;
    if (pText != nullptr)
        AppendNotFoundOrCorrupt(*pText, strDamaged);
    return 0;
}
