#include "foundation/PlayList.h"

#include "tests/platform/TempFolder.h"

#include "foundation/Settings.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace fs = std::filesystem;

namespace
{
std::vector<std::string> Entries(const CSettings& s)
{
    std::vector<std::string> out;
    for (const CString& str : s.m_PlayList)
        out.push_back(str.Str());
    return out;
}

// The folder as a Windows text: the way the settings keep it after loading.
std::string Backslashed(std::string text)
{
    std::replace(text.begin(), text.end(), '/', '\\');
    return text;
}
} // namespace

TEST(PlayListTest, FolderScanKeepsMusicFilesSortedWithoutCase)
{
    CTempFolder dir;
    for (const char* szName : {"b.MP3", "a.mp3", "c.m3u", "d.txt", "e.Asf", "noext"})
        dir.Write(szName, "x");
    fs::create_directories(dir.Path() / "folder.mp3");
    const fs::path cwd = fs::current_path();
    CSettings s;
    s.m_nPlayListIndex = 4;
    const CString strFolder = Backslashed(dir.Folder()).c_str();
    EXPECT_TRUE(ScanMusicFolder(s, strFolder));
    const std::string base = Backslashed(dir.Folder());
    EXPECT_EQ((std::vector<std::string>{base + "a.mp3", base + "b.MP3", base + "c.m3u", base + "e.Asf"}), Entries(s));
    EXPECT_EQ(0, s.m_nPlayListIndex);
    EXPECT_EQ(0, s.m_nPlayListFlag);
    EXPECT_EQ(strFolder, s.m_strMusicDirectory);
    EXPECT_EQ(cwd, fs::current_path());

    EXPECT_FALSE(ScanMusicFolder(s, CString(dir.Folder()) + "missing\\"));
    EXPECT_TRUE(s.m_PlayList.IsEmpty());
}

TEST(PlayListTest, PlayListFileEntriesGetTheListsFolder)
{
    CTempFolder dir;
    dir.Write("list.m3u", "#EXTM3U\r\n"
                          "sub/x.mp3\r\n"
                          "\\Other\\y.mp3\n"
                          "\r\n"
                          "E:\\Music\\z.mp3\n"
                          "plain.mp3\n" +
                              std::string(5000, 'L') +
                              "\n"
                              "/abs/linux.mp3");
    const std::string base = Backslashed(dir.Folder());
    CSettings s;
    LoadPlayListFile(s, (base + "LIST.M3U").c_str());
    EXPECT_EQ((std::vector<std::string>{base + "sub\\x.mp3", "\\Other\\y.mp3", "E:\\Music\\z.mp3", base + "plain.mp3",
                                        "\\abs\\linux.mp3"}),
              Entries(s));
    EXPECT_EQ(1, s.m_nPlayListFlag);
    EXPECT_EQ(CString(base + "LIST.M3U"), s.m_strMusicDirectory);

    LoadPlayListFile(s, (base + "missing.m3u").c_str());
    EXPECT_TRUE(s.m_PlayList.IsEmpty());
    EXPECT_EQ(1, s.m_nPlayListFlag);
}

TEST(PlayListTest, APlayListThatIsNoFileIsNotWaitedOn)
{
    CTempFolder dir;
    ASSERT_EQ(0, ::mkfifo(dir.File("pipe.m3u").c_str(), 0666));
    CSettings s;
    LoadPlayListFile(s, (Backslashed(dir.Folder()) + "pipe.m3u").c_str());
    EXPECT_TRUE(s.m_PlayList.IsEmpty());
}
