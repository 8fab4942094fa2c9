#include "platform/win32/Paths.h"

#include <gtest/gtest.h>

TEST(SplitPathTest, PartsAsTheRuntimeSplitsThem)
{
    struct SCase
    {
        const char* szPath;
        const char* szDrive;
        const char* szDir;
        const char* szName;
        const char* szExt;
    };
    const SCase cases[] = {
        {"C:\\games\\Vorn.exe", "C:", "\\games\\", "Vorn", ".exe"},
        {"C:\\work", "C:", "\\", "work", ""},
        {"/home/u/game/Vorn", "", "/home/u/game/", "Vorn", ""},
        {"D:\\Music\\list.m3u", "D:", "\\Music\\", "list", ".m3u"},
        {"a/b\\c.d.e", "", "a/b\\", "c.d", ".e"},
        {"dir.x/name", "", "dir.x/", "name", ""},
        {"file.", "", "", "file", "."},
        {"", "", "", "", ""},
        {"C:", "C:", "", "", ""},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szPath);
        const SSplitPath parts = SplitPath(c.szPath);
        EXPECT_EQ(c.szDrive, parts.strDrive);
        EXPECT_EQ(c.szDir, parts.strDir);
        EXPECT_EQ(c.szName, parts.strName);
        EXPECT_EQ(c.szExt, parts.strExt);
    }
}

TEST(SplitPathTest, LongPathsAreNotCut)
{
    const std::string dir = "/" + std::string(600, 'd') + "/";
    const SSplitPath parts = SplitPath(dir + std::string(400, 'n') + ".ext");
    EXPECT_EQ(dir, parts.strDir);
    EXPECT_EQ(400u, parts.strName.size());
    EXPECT_EQ(".ext", parts.strExt);
}
