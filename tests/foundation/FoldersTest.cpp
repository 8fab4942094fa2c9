#include "foundation/Folders.h"

#include "tests/foundation/ProgramFolder.h"
#include "tests/platform/TempFolder.h"

#include "platform/win32/Files.h"
#include "platform/win32/Profile.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace
{
std::string TempFolderText()
{
    char sz[MAX_PATH];
    GetTempPath(MAX_PATH, sz);
    return sz;
}

bool HasMarker(const std::string& folder) { return fs::exists(folder + "$$3D-Vorn.$$"); }
} // namespace

TEST(FilePathTest, SplitsAndRebuilds)
{
    CFilePath path("C:\\games\\Vorn.exe");
    EXPECT_EQ("C:\\games\\", path.GetFolder());
    EXPECT_EQ("Vorn.exe", path.GetFileName());
    EXPECT_EQ("Vorn", path.GetName());
    EXPECT_EQ(".exe", path.GetExt());
    EXPECT_EQ("C:\\games\\Vorn.exe", path.GetFullPath());
    EXPECT_FALSE(path.Split(nullptr));
}

TEST(FilePathTest, CurrentDirectoryBecomesAFolder)
{
    CTempFolder dir;
    fs::create_directories(dir.Path() / "work.d");
    const fs::path old = fs::current_path();
    fs::current_path(dir.Path() / "work.d");
    CFilePath path;
    const CString strFolder = path.FromCurrentDirectory();
    fs::current_path(old);
    EXPECT_EQ(CString(dir.Folder()) + "work.d\\", strFolder);
}

TEST(FoldersTest, ProgramFolderTitleAndIniPath)
{
    EXPECT_EQ(CString(TestProgramFolder()), GetProgramFolder());
    EXPECT_EQ("Vorn", GetProgramTitle());
    EXPECT_EQ(CString(TestProgramFolder()), GetDataFolder()); // the program folder is writable
    EXPECT_EQ(CString(TestProgramFolder()) + "Vorn.ini", GetIniFilePath());
    EXPECT_FALSE(HasMarker(TestProgramFolder()));
    EXPECT_EQ(CString(TestProgramFolder()) + "Tutorial\\", GetTutorialFolder());
    CString strFolder;
    EXPECT_EQ(CString(TestProgramFolder()) + "Artwork\\3-DVorn.art", GetDefaultArtFilePath(strFolder));
    EXPECT_EQ(CString(TestProgramFolder()) + "Artwork\\", strFolder);
    EXPECT_EQ("Quellmark Shared/", GetSharedFolder().Right(17));
}

TEST(FoldersTest, ReadOnlyProgramFolderPutsTheDataInTheTemporaryFolder)
{
    // Tests run as root, for whom permission bits do not stop a write: /proc/self/ is a real
    // folder in which nobody can create a file, and a missing folder cannot take one either.
    for (const char* szProgram : {"/proc/self/Vorn", "/no/such/folder/Vorn"})
    {
        SCOPED_TRACE(szProgram);
        CProgramScope scope(szProgram);
        EXPECT_EQ(CString(TempFolderText()), GetDataFolder());
        EXPECT_EQ(CString(TempFolderText()) + "Vorn.ini", GetIniFilePath());
    }
    EXPECT_EQ(CString(TestProgramFolder()), GetDataFolder());
}

TEST(FoldersTest, WithoutATemporaryFolderTheDataGoesToTheDriveRoot)
{
    const std::string longTmp = "/" + std::string(MAX_PATH, 't');
    CEnvScope env("TMPDIR", longTmp.c_str()); // too long for the folder buffer: the call fails
    CProgramScope scope("/proc/self/Vorn");
    EXPECT_EQ(CString(GetSystemDriveRoot()), GetDataFolder());
}

TEST(FoldersTest, ArtworkKeysLeaveOtherSectionsAlone)
{
    const CString strIni = GetIniFilePath();
    ASSERT_TRUE(WritePrivateProfileString("Settings", "Volume", "5", strIni));
    EXPECT_EQ("", GetArtworkIniString("Nope"));
    EXPECT_EQ("dflt", GetArtworkIniString("Nope", "dflt"));
    EXPECT_TRUE(WriteArtFile("C:\\art\\3-DVorn.art"));
    EXPECT_TRUE(WriteArtworkIniString("Link 1", ""));
    EXPECT_EQ("C:\\art\\3-DVorn.art", GetArtworkIniString("artfile"));
    EXPECT_EQ(5, static_cast<int>(GetPrivateProfileInt("Settings", "Volume", 0, strIni)));
    std::remove(std::string(strIni).c_str());
}
