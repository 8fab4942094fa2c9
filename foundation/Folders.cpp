#include "foundation/Folders.h"

#include "foundation/GlobalOrder.h"
#include "platform/mfc/CFile.h"
#include "platform/win32/Files.h"
#include "platform/win32/Paths.h"
#include "platform/win32/Profile.h"

#include <filesystem>
#include <string>

namespace
{
/// The tutorial folder, made on first use. Main thread.
VORN_GLOBAL_ROW(GLOBAL_ROW_TUTORIAL_FOLDER) CString s_strTutorialFolder;
VORN_GLOBAL_ROW_BUILT(GLOBAL_ROW_TUTORIAL_FOLDER);
// Set once at start-up on the main thread (FindDataFolder, InitIniFilePath), read afterwards.
VORN_GLOBAL_ROW(GLOBAL_ROW_FOLDER_TEXTS, 2) CString s_strDataFolder;
CString s_strIniFilePath;

const char* const ARTWORK_SECTION = "Artwork";
const char* const DATA_FOLDER_MARKER = "$$3D-Vorn.$$";
// The data folder's name in the user's data folder, where a program folder takes no files.
const char* const USER_DATA_FOLDER = "vorn";

/// Makes the folder and any missing folder above it, each new one for its owner alone.
bool MakePrivateFolders(const std::filesystem::path& folder)
{
    std::error_code error;
    if (std::filesystem::is_directory(folder, error))
        return true;
    if (folder.has_parent_path() && folder.parent_path() != folder && !MakePrivateFolders(folder.parent_path()))
        return false;
    if (!std::filesystem::create_directory(folder, error))
        return std::filesystem::is_directory(folder, error); // made meanwhile by another process
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all, error);
    return true;
}

/// The data folder of an installed program: "vorn/" in the user's data folder, made when missing;
/// "" when there is none or it takes no files. It lasts, where the temporary folder is emptied at
/// every start of the machine with the settings, statistics and saved games in it.
CString FindUserDataFolder()
{
    const std::string strBase = GetUserDataPath();
    if (strBase.empty())
        return CString();
    const std::string strFolder = strBase + USER_DATA_FOLDER + "/";
    if (!MakePrivateFolders(strFolder.substr(0, strFolder.size() - 1)) || !IsFolderWritable(strFolder.c_str()))
        return CString();
    return CString(strFolder.c_str());
}
} // namespace

CFilePath::CFilePath(LPCSTR lpszPath)
{
    if (lpszPath != nullptr)
        Split(lpszPath);
}

BOOL CFilePath::Split(LPCSTR lpszPath)
{
    if (lpszPath == nullptr)
        return FALSE;
    const SSplitPath parts = SplitPath(lpszPath);
    m_strDrive = parts.strDrive;
    m_strDir = parts.strDir;
    m_strName = parts.strName;
    m_strExt = parts.strExt;
    return TRUE;
}

CString CFilePath::GetFolder()
{
    m_strFull = m_strDrive + m_strDir;
    return m_strFull;
}

CString CFilePath::GetFullPath()
{
    m_strFull = m_strDrive + m_strDir + m_strName + m_strExt;
    return m_strFull;
}

CString CFilePath::GetFileName()
{
    m_strFull = m_strName + m_strExt;
    return m_strFull;
}

BOOL CFilePath::FromModule()
{
    // Linux has no short file names, so the path is already in its long form.
    const std::string path = GetProgramFilePath();
    if (path.empty())
        return FALSE;
    return Split(path.c_str());
}

CString CFilePath::FromCurrentDirectory()
{
    std::string folder(MAX_PATH, '\0');
    DWORD n = GetCurrentDirectory(static_cast<DWORD>(folder.size()), folder.data());
    if (n >= folder.size()) // longer than the usual buffer: ask again with the size needed
    {
        folder.assign(n, '\0');
        n = GetCurrentDirectory(static_cast<DWORD>(folder.size()), folder.data());
    }
    folder.resize(n < folder.size() ? n : 0);
    Split(folder.c_str());
    m_strFull = m_strDrive + m_strDir;
    if (!m_strName.IsEmpty())
        m_strFull += m_strName + m_strExt + "\\";
    return m_strFull;
}

CString GetProgramFolder()
{
    CFilePath path;
    return path.FromModule() ? path.GetFolder() : CString();
}

CString GetProgramTitle()
{
    CFilePath path;
    return path.FromModule() ? path.GetName() : CString();
}

CString GetSharedFolder() { return CString(GetCommonFilesFolder()) + "Quellmark Shared/"; }

bool IsFolderWritable(const CString& strFolder)
{
    const CString strMarker = strFolder + DATA_FOLDER_MARKER;
    CFile file;
    if (!file.Open(strMarker, CFile::modeCreate | CFile::modeWrite | CFile::shareDenyNone))
        return false;
    const DWORD dwZero = 0;
    bool bOk = file.Write(&dwZero, sizeof(dwZero)) && file.Flush();
    bOk = file.Close() && bOk;
    // Removed even after a failed write, so no marker is left behind; a marker that cannot be
    // removed makes the folder count as read-only.
    bOk = CFile::Remove(strMarker) && bOk;
    return bOk;
}

CString FindDataFolder()
{
    CString strFolder = GetProgramFolder();
    if (!IsFolderWritable(strFolder))
        strFolder = FindUserDataFolder();
    if (strFolder.IsEmpty())
    {
        char szTemp[MAX_PATH];
        const DWORD n = GetTempPath(MAX_PATH, szTemp);
        strFolder = (n == 0 || n > MAX_PATH) ? CString(GetSystemDriveRoot()) : CString(szTemp);
    }
    s_strDataFolder = strFolder;
    return strFolder;
}

CString GetDataFolder() { return s_strDataFolder; }

CString InitIniFilePath()
{
    s_strIniFilePath = GetDataFolder() + GetProgramTitle() + ".ini";
    return s_strIniFilePath;
}

CString GetIniFilePath() { return s_strIniFilePath; }

CString GetArtworkIniString(LPCSTR lpszKey, LPCSTR lpszDefault)
{
    char szValue[512];
    GetPrivateProfileString(ARTWORK_SECTION, lpszKey, lpszDefault != nullptr ? lpszDefault : "", szValue,
                            sizeof(szValue), s_strIniFilePath);
    return szValue;
}

BOOL WriteArtworkIniString(LPCSTR lpszKey, LPCSTR lpszValue)
{
    return WritePrivateProfileString(ARTWORK_SECTION, lpszKey, lpszValue, s_strIniFilePath);
}

BOOL WriteArtFile(LPCSTR lpszPath) { return WriteArtworkIniString("ArtFile", lpszPath); }

CString GetDefaultArtFilePath(CString& strFolder)
{
    strFolder = GetDefaultArtworkFolder();
    return strFolder + "3-DVorn.art";
}

CString GetDefaultArtworkFolder() { return GetProgramFolder() + "Artwork\\"; }

CString GetTutorialFolder()
{
    if (s_strTutorialFolder.IsEmpty())
        s_strTutorialFolder = GetProgramFolder() + "Tutorial\\";
    return s_strTutorialFolder;
}
