#include "platform/win32/Paths.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

class PathsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_root = fs::temp_directory_path() / ("vorn_paths_" + std::to_string(::getpid()));
        fs::create_directories(m_root / "Saved");
        std::ofstream(m_root / "Saved" / "lastgame") << "x";
        std::ofstream(m_root / "VornWave.dll") << "x";
    }
    void TearDown() override { fs::remove_all(m_root); }
    fs::path m_root;
};

TEST_F(PathsTest, WindowsTextsResolveToExistingFilesWithoutCase)
{
    struct SCase
    {
        const char* szName;
        std::string input;
        fs::path expected;
    };
    const std::string root = m_root.string();
    const SCase cases[] = {
        {"backslashes and other case", root + "\\SAVED\\LastGame", m_root / "Saved" / "lastgame"},
        {"exact spelling", root + "/VornWave.dll", m_root / "VornWave.dll"},
        {"upper-case extension", root + "\\vornwave.DLL", m_root / "VornWave.dll"},
        {"missing file keeps its spelling", root + "\\saved\\New.sav", m_root / "Saved" / "New.sav"},
        {"missing folder keeps the rest", root + "\\Nope\\Saved", m_root / "Nope" / "Saved"},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        EXPECT_EQ(c.expected.string(), ResolvePath(c.input));
    }
}

TEST(PathsNoFsTest, DriveLetterBecomesTheRoot)
{
    EXPECT_EQ("/", ResolvePath("C:\\"));
    EXPECT_TRUE(EqualNoCase("Vorn.INI", "vorn.ini"));
    EXPECT_FALSE(EqualNoCase("Vorn.ini", "Vorn.in"));
}
