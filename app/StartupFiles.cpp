#include "app/StartupFiles.h"

#include "foundation/Folders.h"
#include "foundation/GlobalOrder.h"
#include "foundation/LibraryLists.h"
#include "foundation/Settings.h"
#include "platform/mfc/CFile.h"
#include "platform/win32/Files.h"
#include "platform/win32/Profile.h"

#include <vector>

VORN_GLOBAL_ROW(GLOBAL_ROW_FOLDER_PATHS, 2) CString g_strTablesDatPath;
VORN_GLOBAL_ROW_BUILT(GLOBAL_ROW_FOLDER_PATHS);

namespace
{
/// Inserts each name before the first entry that compares lower without regard to case.
BOOL ScanInto(CStringArray& aList, const char* szPattern)
{
    aList.RemoveAll();
    for (const std::string& strName : FindFiles(GetProgramFolder() + szPattern))
    {
        int nAt = 0;
        while (nAt < aList.GetSize() && aList[nAt].CompareNoCase(strName.c_str()) >= 0)
            ++nAt;
        aList.InsertAt(nAt, CString(strName));
    }
    return aList.GetSize() > 0 ? TRUE : FALSE;
}

CString TempFolder()
{
    std::vector<char> aBuffer(MAX_PATH);
    DWORD nLength = GetTempPath(static_cast<DWORD>(aBuffer.size()), aBuffer.data());
    if (nLength >= aBuffer.size())
    {
        aBuffer.resize(nLength);
        nLength = GetTempPath(static_cast<DWORD>(aBuffer.size()), aBuffer.data());
    }
    return nLength == 0 || nLength >= aBuffer.size() ? CString() : CString(aBuffer.data(), static_cast<int>(nLength));
}
} // namespace

BOOL ScanArtworkLibraries() { return ScanInto(g_astrArtworkLibraries, "Imagery*.dll"); }

BOOL ScanBallDataFiles() { return ScanInto(g_astrBallSetLibraries, "VornBall*.dat"); }

BOOL PrepareTablesData(const TablesDatBuilder& build)
{
    const CString aFolders[] = {GetDefaultArtworkFolder(), GetProgramFolder(), TempFolder()};
    for (const CString& strFolder : aFolders)
    {
        CFileStatus status;
        // A folder of that name is no table.
        if (!strFolder.IsEmpty() && CFile::GetStatus(strFolder + "tables.dat", status) && status.m_size > 0 &&
            (status.m_attribute & 0x10) == 0)
        {
            g_strTablesDatPath = strFolder + "tables.dat";
            return TRUE;
        }
    }
    for (const CString& strFolder : {aFolders[1], aFolders[0], aFolders[2]})
        if (!strFolder.IsEmpty() && build(std::string(strFolder.GetString()) + "tables.dat") == 0)
        {
            g_strTablesDatPath = strFolder + "tables.dat";
            return TRUE;
        }
    return FALSE;
}

void WriteArtworkDefaults()
{
    CFileStatus status;
    if (CFile::GetStatus(GetIniFilePath(), status))
        return;
    const CString strProgram = GetProgramFolder();
    WriteArtworkIniString("ArtFile", strProgram + "Artwork\\3-DVorn.art");
    WriteArtworkIniString("Splash AVI", strProgram + "Artwork\\Flame.AVI");
    WriteArtworkIniString("Main AVI", strProgram + "Artwork\\Flame.AVI");
    WriteArtworkIniString("Help", strProgram + "Help\\Help.htm");
    WriteArtworkIniString("Tutorial", GetTutorialFolder());
    for (int i = 1; i <= 4; ++i)
    {
        CString strKey;
        strKey.Format("Link %d", i);
        WriteArtworkIniString(strKey, "");
    }
    CSettings defaults;
    defaults.SetDefaults();
    defaults.Save();
    const CString strIni = GetIniFilePath();
    WritePrivateProfileString("Intro", "Blink lamp", "500, 300, 300, 150, 150, 150, 500, 100;", strIni);
    WritePrivateProfileString("Intro", "Start light", "20", strIni);
    WritePrivateProfileString("Intro", "Increase time", "2500", strIni);
    WritePrivateProfileString("Intro", "Decrease time", "2500", strIni);
    // The music folder the settings name by default, for the player's tracks (an installed
    // program's folder may refuse it: the game then has no music until one is chosen).
    CreateDirectory(CSettings::GetDefaultMusicDirectory(), nullptr);
}
