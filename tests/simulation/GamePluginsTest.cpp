#include "simulation/GamePlugins.h"

#include "tests/platform/TempFolder.h"

#include "platform/win32/DebugLog.h"
#include "platform/win32/Files.h"
#include "platform/win32/Gdi.h"
#include "platform/win32/Modules.h"
#include "simulation/Referee.h"

#include <dlfcn.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
namespace fs = std::filesystem;

using PFN_GET_LIVE_OBJECT_COUNT = int (*)();

// A program folder of its own per test, filled with test plug-ins under chosen names; the debug
// log is captured.
class GamePluginsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        OverrideProgramFilePath(m_Folder.File("Vorn"));
        SetDebugLogSink([this](const std::string& strLine) { m_strLog += strLine; });
    }
    void TearDown() override
    {
        SetDebugLogSink(nullptr);
        OverrideProgramFilePath("");
    }

    // Copies the test plug-in of that form into the program folder as strName.
    std::string Install(const char* szForm, const std::string& strName) const
    {
        fs::copy_file(std::string(VORN_TEST_PLUGIN_DIR) + szForm + ".gam", m_Folder.File(strName));
        return m_Folder.File(strName);
    }

    // Whether the dynamic loader still has the file loaded (asked without loading it).
    static bool IsLoaded(const std::string& strPath)
    {
        void* pHandle = dlopen(strPath.c_str(), RTLD_NOW | RTLD_NOLOAD);
        if (pHandle == nullptr)
            return false;
        dlclose(pHandle);
        return true;
    }

    // The plug-in's count of its live games and referees, read through a library handle of the
    // test's own, which keeps the plug-in loaded.
    static int LiveObjects(HMODULE hHeld)
    {
        const auto pfn = reinterpret_cast<PFN_GET_LIVE_OBJECT_COUNT>(GetProcAddress(hHeld, "GetLiveObjectCount"));
        return pfn != nullptr ? pfn() : -1;
    }

    CTempFolder m_Folder;
    std::string m_strLog;
};
} // namespace

TEST_F(GamePluginsTest, AnEmptyProgramFolderHasNoPlugins)
{
    CGamePlugins plugins;
    EXPECT_EQ(FALSE, plugins.Scan());
    EXPECT_EQ(0, plugins.GetCount());
    plugins.ReleaseGame();
    EXPECT_EQ(nullptr, plugins.CreateGameById(42));
    EXPECT_EQ(FALSE, plugins.IsGameLoaded());
    EXPECT_EQ(nullptr, plugins.GetPicture(0));
    EXPECT_EQ(nullptr, plugins.FindByType(42));
}

TEST_F(GamePluginsTest, ScanListsPluginsInNameOrderAndSkipsOtherFilesWithAMessage)
{
    Install("TestGameB", "b.gam");
    Install("TestGame", "a.gam");
    Install("TestNoCreate", "f.GAM");
    Install("TestNoType", "c.gam");
    Install("TestGame", "readme.txt");
    m_Folder.Write("d.gam", "this is not a plug-in");
    m_Folder.Write("e.gam", std::string("\x7f"
                                        "ELF\x02\x01\x01",
                                        7));
    fs::create_directory(m_Folder.Path() / "folder.gam");

    CGamePlugins plugins;
    ASSERT_EQ(TRUE, plugins.Scan());
    struct SExpected
    {
        const char* szFile;
        const char* szName;
        LONG nType;
        BYTE bFlag;
    };
    const SExpected expected[] = {
        {"a.gam", "Test Game", 42, 7},
        {"b.gam", "Second Test Game", 42, 7},
        {"f.GAM", "Game Without CreateGame", 42, 7},
    };
    ASSERT_EQ(3, plugins.GetCount());
    for (int i = 0; i < 3; ++i)
    {
        SCOPED_TRACE(expected[i].szFile);
        const SGamePluginEntry* pEntry = plugins.GetEntry(i);
        ASSERT_NE(nullptr, pEntry);
        EXPECT_EQ(m_Folder.File(expected[i].szFile), pEntry->strPath.Str());
        EXPECT_EQ(expected[i].szName, pEntry->strName.Str());
        EXPECT_EQ(expected[i].nType, pEntry->nType);
        EXPECT_EQ(expected[i].bFlag, pEntry->bFlag);
    }
    EXPECT_EQ(plugins.GetEntry(0), plugins.FindByType(42));
    EXPECT_EQ(nullptr, plugins.FindByType(43));

    for (const char* szFile : {"c.gam", "d.gam", "e.gam"})
        EXPECT_NE(std::string::npos, m_strLog.find("Rule plug-in " + m_Folder.File(szFile) + " skipped"))
            << szFile << " in the log:\n"
            << m_strLog;
    EXPECT_NE(std::string::npos, m_strLog.find("c.gam skipped: it has no GetGameType"));
    // The scan leaves no plug-in loaded.
    for (const char* szFile : {"a.gam", "b.gam", "c.gam", "f.GAM"})
        EXPECT_FALSE(IsLoaded(m_Folder.File(szFile))) << szFile;
}

TEST_F(GamePluginsTest, PicturesComeFromThePluginsOwnResources)
{
    const std::string strPath = Install("TestGame", "a.gam");
    Install("TestNoCreate", "b.gam");
    CGamePlugins plugins;
    ASSERT_EQ(TRUE, plugins.Scan());

    {
        const std::unique_ptr<CGamePicture> pPicture = plugins.GetPicture(0);
        ASSERT_NE(nullptr, pPicture);
        EXPECT_EQ(500, pPicture->m_nPictureId);
        EXPECT_EQ(42, pPicture->m_nType);
        EXPECT_EQ("Test Game", pPicture->m_strName.Str());
        EXPECT_EQ(1, pPicture->m_nFlag);
        EXPECT_EQ(strPath, pPicture->m_strPath.Str());
        const std::span<const BYTE> data = pPicture->GetPictureData();
        ASSERT_GE(data.size(), 2u);
        EXPECT_EQ(0xFF, data[0]) << "a JPEG";
        EXPECT_EQ(0xD8, data[1]);
        const HBITMAP hBitmap = pPicture->CreateBitmap();
        ASSERT_NE(nullptr, hBitmap);
        BITMAP bitmap;
        ASSERT_NE(0, GetObject(hBitmap, sizeof(bitmap), &bitmap));
        EXPECT_EQ(24, bitmap.bmWidth);
        EXPECT_EQ(16, bitmap.bmHeight);
        DeleteObject(hBitmap);
        EXPECT_TRUE(IsLoaded(strPath)) << "the picture keeps its library open";
    }
    EXPECT_FALSE(IsLoaded(strPath)) << "and closes it when it goes";

    // Listing again and again takes no further hold on the library.
    for (int i = 0; i < 20; ++i)
        EXPECT_NE(nullptr, plugins.GetPicture(0));
    EXPECT_FALSE(IsLoaded(strPath));

    EXPECT_EQ(nullptr, plugins.GetPicture(1)) << "a plug-in without GetPictureID has no picture";
    EXPECT_EQ(nullptr, plugins.GetPicture(2));
    EXPECT_EQ(nullptr, plugins.GetPicture(-1));
}

TEST_F(GamePluginsTest, CreateUsesTheFirstPluginOfTheTypeThatCreatesAndReleaseFreesAllBeforeUnloading)
{
    Install("TestNoCreate", "a.gam");
    const std::string strPath = Install("TestGameB", "b.gam");
    Install("TestGame", "c.gam");
    CGamePlugins plugins;
    ASSERT_EQ(TRUE, plugins.Scan());
    ASSERT_EQ(3, plugins.GetCount());

    const HMODULE hHeld = LoadLibrary(strPath.c_str());
    ASSERT_NE(nullptr, hHeld);
    CPluginGame* pGame = plugins.CreateGameById(42);
    ASSERT_NE(nullptr, pGame);
    EXPECT_EQ(TRUE, plugins.IsGameLoaded());
    EXPECT_EQ(pGame, plugins.GetGame());
    EXPECT_EQ(42, pGame->GetGameType());
    std::int32_t nFlag = -1;
    EXPECT_STREQ("Second Test Game", pGame->GetTextureSetName(&nFlag)) << "b.gam, the first that creates";
    EXPECT_NE(std::string::npos, m_strLog.find("a.gam skipped: it has no CreateGame"));

    CReferee* pReferee = nullptr;
    CReferee* pShadow = nullptr;
    ASSERT_EQ(TRUE, plugins.CreateReferees(&pReferee, &pShadow));
    ASSERT_NE(nullptr, pReferee);
    ASSERT_NE(nullptr, pShadow);
    pReferee->Init(42);
    EXPECT_EQ(3, LiveObjects(hHeld)) << "the game and its two referees";

    plugins.ReleaseGame();
    EXPECT_EQ(FALSE, plugins.IsGameLoaded());
    EXPECT_EQ(nullptr, pReferee);
    EXPECT_EQ(nullptr, pShadow);
    EXPECT_EQ(0, LiveObjects(hHeld)) << "referees and game freed by the plug-in's own code";
    plugins.ReleaseGame();

    EXPECT_EQ(TRUE, FreeLibrary(hHeld));
    EXPECT_FALSE(IsLoaded(strPath)) << "the game's hold on its library is gone too";
}

TEST_F(GamePluginsTest, EveryWayOfEndingAGameReleasesIt)
{
    const std::string strPath = Install("TestGame", "a.gam");
    const HMODULE hHeld = LoadLibrary(strPath.c_str());
    ASSERT_NE(nullptr, hHeld);
    CReferee* pReferee = nullptr;
    CReferee* pShadow = nullptr;
    {
        CGamePlugins plugins;
        ASSERT_EQ(TRUE, plugins.Scan());

        // Creating the next game releases the one before.
        ASSERT_NE(nullptr, plugins.CreateGameById(42));
        plugins.CreateReferees(&pReferee, &pShadow);
        ASSERT_NE(nullptr, plugins.CreateGameById(42));
        EXPECT_EQ(nullptr, pReferee);
        EXPECT_EQ(1, LiveObjects(hHeld));

        // Releasing the referees through the game, then the game, frees each once.
        plugins.CreateReferees(&pReferee, &pShadow);
        plugins.ReleaseReferees(&pReferee, &pShadow);
        EXPECT_EQ(nullptr, pShadow);
        EXPECT_EQ(1, LiveObjects(hHeld));

        // A type that no plug-in has leaves no game.
        EXPECT_EQ(nullptr, plugins.CreateGameById(99));
        EXPECT_EQ(FALSE, plugins.IsGameLoaded());
        EXPECT_EQ(0, LiveObjects(hHeld));

        // Scanning again releases the game.
        ASSERT_NE(nullptr, plugins.CreateGameById(42));
        plugins.CreateReferees(&pReferee, &pShadow);
        EXPECT_EQ(TRUE, plugins.Scan());
        EXPECT_EQ(FALSE, plugins.IsGameLoaded());
        EXPECT_EQ(0, LiveObjects(hHeld));

        // And so does the manager's end.
        ASSERT_NE(nullptr, plugins.CreateGameById(42));
        plugins.CreateReferees(&pReferee, &pShadow);
        EXPECT_EQ(3, LiveObjects(hHeld));
    }
    EXPECT_EQ(nullptr, pReferee);
    EXPECT_EQ(0, LiveObjects(hHeld));
    FreeLibrary(hHeld);
    EXPECT_FALSE(IsLoaded(strPath));
}

TEST(GamePluginsPathTest, CombinePathJoinsWithoutInsertingAnything)
{
    EXPECT_EQ("C:\\Games\\Vorn.ini", CGamePlugins::CombinePath("C:\\Games\\", "Vorn.ini").Str());
    EXPECT_EQ("dirfile", CGamePlugins::CombinePath("dir", "file").Str());
    EXPECT_EQ("file", CGamePlugins::CombinePath(nullptr, "file").Str());
    EXPECT_EQ("dir/", CGamePlugins::CombinePath("dir/", nullptr).Str());
}
