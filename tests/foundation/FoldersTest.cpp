#include "foundation/Folders.h"

#include "tests/foundation/ProgramFolder.h"
#include "tests/platform/TempFolder.h"

#include "platform/win32/Files.h"
#include "platform/win32/Profile.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>

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

TEST(FoldersTest, ReadOnlyProgramFolderPutsTheDataInTheUsersDataFolder)
{
    // Tests run as root, for whom permission bits do not stop a write: /proc/self/ is a real
    // folder in which nobody can create a file, and a missing folder cannot take one either.
    CTempFolder user;
    const std::string strData = user.File("data"), strHome = user.File("home"), strTemp = TempFolderText();
    struct SCase
    {
        const char* szName;
        const char* szProgram;
        std::optional<std::string> strDataHome, strHome; // none: unset
        std::string strFolder;                           // the data folder chosen
        bool bMade;                                      // made for the player alone
    };
    const SCase aCases[] = {
        {"the data home", "/proc/self/Vorn", strData, {}, strData + "/vorn/", true},
        {"a missing program folder", "/no/such/folder/Vorn", strData, {}, strData + "/vorn/", true},
        {"the data home with its separator", "/proc/self/Vorn", strData + "/", {}, strData + "/vorn/", true},
        {"no data home: the home's", "/proc/self/Vorn", {}, strHome, strHome + "/.local/share/vorn/", true},
        {"a relative data home is none", "/proc/self/Vorn", "data", strHome, strHome + "/.local/share/vorn/", true},
        {"a data home that takes no folder", "/proc/self/Vorn", "/proc/self", strHome, strTemp, false},
        {"neither", "/proc/self/Vorn", {}, {}, strTemp, false},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        {
            const CEnvScope data("XDG_DATA_HOME", c.strDataHome ? c.strDataHome->c_str() : nullptr);
            const CEnvScope home("HOME", c.strHome ? c.strHome->c_str() : nullptr);
            CProgramScope scope(c.szProgram);
            EXPECT_EQ(CString(c.strFolder), GetDataFolder());
            EXPECT_EQ(CString(c.strFolder) + "Vorn.ini", GetIniFilePath());
            EXPECT_FALSE(HasMarker(c.strFolder));
            if (c.bMade)
            {
                EXPECT_EQ(fs::perms::owner_all, fs::status(c.strFolder).permissions() & fs::perms::all);
            }
        }
        fs::remove_all(strData);
        fs::remove_all(strHome);
    }
    EXPECT_EQ(CString(TestProgramFolder()), GetDataFolder());
}

TEST(FoldersTest, AnExistingDataFolderIsTakenAsItIs)
{
    CTempFolder user;
    fs::create_directories(user.Path() / "vorn");
    user.Write("vorn/Vorn.ini", "[Settings]\r\nVolume=5\r\n");
    fs::permissions(user.Path() / "vorn", fs::perms::all);
    const CEnvScope data("XDG_DATA_HOME", user.Folder().c_str());
    CProgramScope scope("/proc/self/Vorn");
    EXPECT_EQ(CString(user.Folder()) + "vorn/", GetDataFolder());
    EXPECT_EQ(5, static_cast<int>(GetPrivateProfileInt("Settings", "Volume", 0, GetIniFilePath())));
    EXPECT_EQ(fs::perms::all, fs::status(user.Path() / "vorn").permissions() & fs::perms::all) << "left as it was";
}

TEST(FoldersTest, WithoutATemporaryFolderTheDataGoesToTheDriveRoot)
{
    const std::string longTmp = "/" + std::string(MAX_PATH, 't');
    CEnvScope env("TMPDIR", longTmp.c_str()); // too long for the folder buffer: the call fails
    CEnvScope data("XDG_DATA_HOME", "/proc/self");
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
