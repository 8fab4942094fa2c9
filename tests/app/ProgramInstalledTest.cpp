// The game as the install lays it out, started by its launcher from a folder the player cannot
// write: its settings and saved games go to the player's data folder and are there at the next
// start.
#include "fixtures/ProgramRun.h"
#include "tests/app/ProgramScripts.h"

#include "platform/win32/Profile.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace
{
namespace fs = std::filesystem;

/// The build installed into a prefix below a fresh folder, then made read-only; writable again at
/// the end, so that the folder can go.
class CInstall
{
public:
    CInstall()
    {
        const std::string strCommand = std::string("'") + VORN_CMAKE_COMMAND + "' --install '" + VORN_BUILD_DIR +
                                       "' --prefix '" + Prefix().string() + "' >'" + m_folder.File("install.txt") +
                                       "' 2>&1";
        m_bInstalled = std::system(strCommand.c_str()) == 0;
        SetWritable(false);
    }
    ~CInstall() { SetWritable(true); }
    CInstall(const CInstall&) = delete;
    CInstall& operator=(const CInstall&) = delete;

    bool Installed() const { return m_bInstalled; }
    std::string Log() const { return m_folder.Read("install.txt"); }
    fs::path Prefix() const { return m_folder.Path() / "prefix"; }

private:
    void SetWritable(bool bWritable) const
    {
        const fs::perms eWrite = bWritable ? fs::perms::owner_write
                                           : fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
        const fs::perm_options eHow = bWritable ? fs::perm_options::add : fs::perm_options::remove;
        std::error_code error;
        fs::permissions(Prefix(), eWrite, eHow, error);
        for (auto it = fs::recursive_directory_iterator(Prefix(), error); it != fs::recursive_directory_iterator();
             it.increment(error))
            if (!it->is_symlink())
                fs::permissions(it->path(), eWrite, eHow, error);
    }

    CTempFolder m_folder;
    bool m_bInstalled = false;
};

/// Every file below the folder, as paths below it, one a line in order.
std::string FilesBelow(const fs::path& folder)
{
    std::vector<std::string> aNames;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        aNames.push_back(fs::relative(entry.path(), folder).string());
    std::sort(aNames.begin(), aNames.end());
    std::ostringstream text;
    for (const std::string& strName : aNames)
        text << strName << "\n";
    return text.str();
}

TEST(ProgramInstalledTest, RunFromAReadOnlyFolderItKeepsTheSettingsAndSavedGamesForTheNextStart)
{
    const CInstall install;
    ASSERT_TRUE(install.Installed()) << install.Log();
    CProgramRun run(install.Prefix() / "bin" / "vorn");
    if (!run.RunUnprivileged())
        GTEST_SKIP() << "running as root, and no unprivileged user to run the game as";
    ASSERT_EQ(install.Prefix() / "lib" / "vorn", run.Program()) << "the launcher starts the installed program";
    const std::string strInstalled = FilesBelow(install.Prefix());
    const fs::path data = run.Root() / "data" / "vorn";

    // Nine-ball practice chosen on the start screen, a game saved once the table is at rest.
    run.SetStartScreenAnswer("");
    ASSERT_EQ(0, run.Run(ClickAt(555, 222) + ClickAt(66, 453) + ClickAt(638, 451) + AT_REST +
                         CtrlKeyInDialog("S", "Evening") + CLOSE_ONCE_SAVED))
        << run.Log();
    const std::string strIni = (data / "Vorn.ini").string();
    EXPECT_EQ(9, static_cast<int>(GetPrivateProfileInt("Settings", "GameType", 0, strIni.c_str()))) << run.Log();
    EXPECT_TRUE(fs::is_regular_file(data / "Saved" / "Evening.sav")) << run.Log();
    EXPECT_EQ(strInstalled, FilesBelow(install.Prefix())) << "nothing written where the game lies";
    EXPECT_EQ("tables.dat\n", FilesBelow(run.Root() / "tmp")) << "only the table data, made again at each start";

    // The next start plays the game the settings name and resumes the game first in the list.
    run.SetStartScreenAnswer("dialog 1 key press Return\n");
    ASSERT_EQ(0, run.Run(AT_REST + CtrlKeyInDialog("O") + "wait Game: resumed\nafter 0 close\nanswer ok\n"))
        << run.Log();
    EXPECT_NE(std::string::npos, run.Log().find("Game: type 9, ")) << run.Log();
    EXPECT_NE(std::string::npos, run.Log().find("Evening.sav: type 9")) << run.Log();
    EXPECT_EQ(strInstalled, FilesBelow(install.Prefix()));
}
} // namespace
