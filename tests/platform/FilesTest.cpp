#include "platform/win32/Files.h"

#include "tests/platform/EnvScope.h"
#include "tests/platform/TempFolder.h"

#include "platform/mfc/CFile.h"
#include "platform/mfc/FileDialog.h"
#include "platform/win32/CNumbers.h"
#include "platform/win32/Desktop.h"

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

TEST(FilesTest, TempPathFollowsTmpdirAndReportsTheSizeItNeeds)
{
    char buffer[MAX_PATH];
    {
        CEnvScope env("TMPDIR", "/var/tmp");
        EXPECT_EQ(9u, GetTempPath(MAX_PATH, buffer));
        EXPECT_STREQ("/var/tmp/", buffer);
        EXPECT_EQ(10u, GetTempPath(5, buffer)); // too small: the size needed, terminator included
    }
    {
        CEnvScope env("TMPDIR", nullptr);
        EXPECT_EQ(5u, GetTempPath(MAX_PATH, buffer));
        EXPECT_STREQ("/tmp/", buffer);
    }
    CEnvScope home("HOME", "/home/player");
    EXPECT_EQ("/home/player/", GetSystemDriveRoot());
}

TEST(FilesTest, ProgramPathCanBeOverridden)
{
    const std::string real = GetProgramFilePath();
    EXPECT_FALSE(real.empty());
    OverrideProgramFilePath("/opt/game/Vorn");
    EXPECT_EQ("/opt/game/Vorn", GetProgramFilePath());
    OverrideProgramFilePath("");
    EXPECT_EQ(real, GetProgramFilePath());
}

TEST(FilesTest, AttributesFoldersAndFilesWithWindowsTexts)
{
    CTempFolder dir;
    const std::string folder = dir.Folder();
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributes((folder + "Saved").c_str()));
    EXPECT_TRUE(CreateDirectory((folder + "Saved").c_str(), nullptr));
    EXPECT_FALSE(CreateDirectory((folder + "SAVED").c_str(), nullptr)); // exists, found without case
    EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY, GetFileAttributes((folder + "saved\\").c_str()));

    CFile file;
    ASSERT_TRUE(file.Open((folder + "Saved\\Marker.$$").c_str(), CFile::modeCreate | CFile::modeWrite));
    const DWORD dwZero = 0;
    EXPECT_TRUE(file.Write(&dwZero, sizeof(dwZero)));
    EXPECT_TRUE(file.Flush());
    EXPECT_TRUE(file.Close());
    CFileStatus status;
    ASSERT_TRUE(CFile::GetStatus((folder + "saved/marker.$$").c_str(), status));
    EXPECT_EQ(4u, status.m_size);
    EXPECT_TRUE(CFile::Remove((folder + "Saved\\Marker.$$").c_str()));
    EXPECT_FALSE(CFile::GetStatus((folder + "Saved\\Marker.$$").c_str(), status));
    EXPECT_FALSE(file.Open((folder + "Nope\\x").c_str(), CFile::modeCreate | CFile::modeWrite));
}

TEST(FilesTest, DesktopPlacementCoversTheDesktop)
{
    SetDesktopWindowRect({0, 0, 1280, 1024});
    WINDOWPLACEMENT wp;
    EXPECT_FALSE(GetDesktopWindowPlacement(&wp)); // length not set
    wp.length = sizeof(wp);
    ASSERT_TRUE(GetDesktopWindowPlacement(&wp));
    EXPECT_EQ(SW_SHOWNORMAL, wp.showCmd);
    EXPECT_EQ((RECT{0, 0, 1280, 1024}), wp.rcNormalPosition);
    EXPECT_EQ((POINT{-1, -1}), wp.ptMinPosition);
    SetDesktopWindowRect({0, 0, 1024, 768});
}

TEST(CNumbersTest, ScansLikePercentFInTheCLocale)
{
    struct SCase
    {
        const char* szText;
        bool bOk;
        double dExpected;
    };
    const SCase cases[] = {
        {"0.5", true, 0.5},  {"  -1.25e2xyz", true, -125.0},
        {"+3", true, 3.0},   {"7.", true, 7.0},
        {"abc", false, 0.0}, {"", false, 0.0},
        {"-", false, 0.0},   {"1e-400", true, 0.0},
        {"0,5", true, 0.0},
    };
    // Whatever the C library's locale says, a point is the decimal separator.
    const bool bComma = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szText);
        double d = -99.0;
        EXPECT_EQ(c.bOk, ScanDouble(c.szText, d));
        if (c.bOk)
        {
            EXPECT_EQ(c.dExpected, d);
        }
    }
    double d = 0;
    EXPECT_TRUE(ScanDouble("1e999", d));
    EXPECT_TRUE(std::isinf(d));
    EXPECT_TRUE(ScanDouble("nan", d));
    EXPECT_TRUE(std::isnan(d));
    float f = 0;
    EXPECT_TRUE(ScanFloat("0.1", f));
    EXPECT_EQ(0.1f, f);
    EXPECT_EQ("0.500000", FormatFixed(0.5));
    EXPECT_EQ("-2.25", FormatFixed(-2.25, 2));
    if (bComma)
        std::setlocale(LC_NUMERIC, "C");
}

TEST(FilesTest, FindFilesMatchesWildcardsWithoutCaseInNameOrder)
{
    CTempFolder folder;
    for (const char* szName : {"b.gam", "A.GAM", "c.gam.bak", "x.gamx", "Imagery2.dll", "imagery10.DLL", "i.dll"})
        folder.Write(szName, "x");
    std::filesystem::create_directory(folder.Path() / "dir.gam");
    struct SCase
    {
        const char* szPattern;
        std::vector<std::string> expected;
    };
    const SCase cases[] = {
        {"*.gam", {"A.GAM", "b.gam"}},
        {"imagery*.dll", {"Imagery2.dll", "imagery10.DLL"}},
        {"?.*", {"A.GAM", "b.gam", "c.gam.bak", "i.dll", "x.gamx"}},
        {"*", {"A.GAM", "Imagery2.dll", "b.gam", "c.gam.bak", "i.dll", "imagery10.DLL", "x.gamx"}},
        {"none*", {}},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szPattern);
        EXPECT_EQ(c.expected, FindFiles((folder.Folder() + c.szPattern).c_str()));
    }
    EXPECT_TRUE(FindFiles((folder.Folder() + "missing\\*.gam").c_str()).empty());
    EXPECT_TRUE(FindFiles(nullptr).empty());
}

TEST(FilesTest, CurrentFolderChangesOnlyToAFolder)
{
    CTempFolder folder;
    folder.Write("file.txt", "x");
    std::filesystem::create_directory(folder.Path() / "Tutorial");
    const std::filesystem::path before = std::filesystem::current_path();
    struct SCase
    {
        const char* szName;
        std::string strPath;
        BOOL bChanged;
    };
    const SCase cases[] = {
        {"a folder in a Windows text of another case", folder.Folder() + "TUTORIAL\\", TRUE},
        {"a file", folder.File("file.txt"), FALSE},
        {"nothing of that name", folder.Folder() + "missing", FALSE},
        {"an empty text", "", FALSE},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        std::filesystem::current_path(before);
        EXPECT_EQ(c.bChanged, SetCurrentDirectory(c.strPath.c_str()));
        EXPECT_EQ(c.bChanged != FALSE, std::filesystem::current_path() == folder.Path() / "Tutorial");
        EXPECT_EQ(c.bChanged == FALSE, std::filesystem::current_path() == before);
    }
    EXPECT_FALSE(SetCurrentDirectory(nullptr));
    std::filesystem::current_path(before);
}

TEST(FileDialogTest, PathNameIsTheStartingFolderAndTheNameWithTheDefaultExtension)
{
    struct SCase
    {
        const char* szFolder;
        const char* szDefExt;
        const char* szName;
        const char* szPath;
    };
    const SCase cases[] = {
        {"C:\\Game\\Tutorial\\", ".ttr", "lesson", "C:\\Game\\Tutorial\\lesson.ttr"},
        {"C:\\Game\\Tutorial", "ttr", "lesson", "C:\\Game\\Tutorial\\lesson.ttr"},
        {"C:\\Game\\Tutorial\\", ".ttr", "lesson.old", "C:\\Game\\Tutorial\\lesson.old"},
        {"C:\\Game\\Tutorial\\", ".ttr", "v1.2\\lesson", "C:\\Game\\Tutorial\\v1.2\\lesson.ttr"},
        {nullptr, ".ttr", "lesson", "lesson.ttr"},
        {"C:\\Game\\", nullptr, "lesson", "C:\\Game\\lesson"},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szPath);
        CFileDialog dlg(TRUE, c.szDefExt, c.szName, 6, "Lessons(*.ttr)|*.ttr||");
        dlg.m_ofn.lpstrInitialDir = c.szFolder;
        EXPECT_STREQ(c.szName, dlg.GetFileName().GetString());
        EXPECT_STREQ(c.szPath, dlg.GetPathName().GetString());
    }
}

TEST(FileDialogTest, ListsOnceInNameOrderTheFilesThePatternsOfTheFirstFilterMatch)
{
    CTempFolder folder;
    for (const char* szName : {"b.ttr", "A.TTR", "c.sav", "notes.txt"})
        folder.Write(szName, "x");
    std::filesystem::create_directory(folder.Path() / "d.ttr");
    struct SCase
    {
        const char* szFilter;
        std::string strFolder;
        std::vector<CString> expected;
    };
    const SCase cases[] = {
        {"Lessons(*.ttr)|*.ttr||", folder.Folder(), {"A.TTR", "b.ttr"}},
        {"Games|*.ttr;*.TTR;*.sav|Text|*.txt||", folder.Folder(), {"A.TTR", "b.ttr", "c.sav"}},
        {"Anything", folder.Folder(), {"A.TTR", "b.ttr", "c.sav", "notes.txt"}},
        {"Lessons(*.ttr)|*.ttr||", folder.Folder() + "missing\\", {}},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szFilter);
        CFileDialog dlg(TRUE, ".ttr", nullptr, 6, c.szFilter);
        dlg.m_ofn.lpstrInitialDir = c.strFolder.c_str();
        EXPECT_EQ(c.expected, dlg.ListFiles());
    }
}
