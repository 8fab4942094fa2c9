// The real program saving a game through the saved-games dialog by its keys, and a second run
// loading it and saving it again.
#include "fixtures/ProgramRun.h"

#include "platform/win32/Profile.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>

namespace
{
std::string ReadBytes(const std::filesystem::path& file)
{
    if (!std::filesystem::is_regular_file(file))
        return {};
    std::string strBytes(std::filesystem::file_size(file), '\0');
    std::ifstream(file, std::ios::binary).read(strBytes.data(), static_cast<std::streamsize>(strBytes.size()));
    return strBytes;
}

/// Ctrl and a letter; once the saved-games dialog it opens is shown, the name typed into its name
/// line, or else the game first in its list, and Enter.
std::string CtrlKeyInDialog(const char* szKey, const std::string& strName = {})
{
    // Ctrl goes up once the dialog is shown: it is the next one opened after the key.
    std::string strScript =
        "after 0 key down Left Ctrl\nafter 100 key press " + std::string(szKey) + "\ndialog +1 key up Left Ctrl\n";
    if (!strName.empty())
        strScript += "after 100 key press Tab\nafter 100 text " + strName + "\n";
    return strScript + "after 100 key press Return\n";
}

constexpr const char* AT_REST = "wait Game: at rest, it can be saved or loaded\n";
constexpr const char* CLOSE_ONCE_SAVED = "wait Game: saved as \nafter 0 close\nanswer ok\n";

TEST(ProgramSavesTest, GameSavedByCtrlSLoadsInANewRunAndSavesTheSameFile)
{
    CProgramRun run(VORN_PROGRAM, VORN_APP_FIXTURE_DIR);
    const std::string strIni = (run.Program() / "Vorn.ini").string();
    WritePrivateProfileString("Settings", "GameType", "9", strIni.c_str());
    WritePrivateProfileString("Settings", "Player level 2", "0", strIni.c_str());
    WritePrivateProfileString("Settings", "Competition Type", "1", strIni.c_str());
    const std::filesystem::path saved = run.Program() / "Saved";
    // Once the first flight is over: Ctrl+S, the name line after the list, the name, Enter.
    ASSERT_EQ(0, run.Run(AT_REST + CtrlKeyInDialog("S", "Evening") + CLOSE_ONCE_SAVED)) << run.Log();
    const std::string strFirst = ReadBytes(saved / "Evening.sav");
    ASSERT_FALSE(strFirst.empty()) << run.Log();

    // Ctrl+O takes the first game of the list; once it is resumed, it is saved under another name.
    ASSERT_EQ(0, run.Run(AT_REST + CtrlKeyInDialog("O") + "wait Game: resumed\n" + CtrlKeyInDialog("S", "Again") +
                         CLOSE_ONCE_SAVED))
        << run.Log();
    EXPECT_NE(run.Log().find("Game: resumed"), std::string::npos) << run.Log();
    EXPECT_EQ(strFirst, ReadBytes(saved / "Again.sav"));
}
} // namespace
