// The real program saving a game through the saved-games dialog, by its keys or by clicks on its
// controls after a shot called by clicks, and a second run loading it and saving it again.
#include "fixtures/ProgramRun.h"
#include "tests/app/ProgramScripts.h"
#include "tests/app/SavedRefereeState.h"

#include "gameflow/FlowCamera.h"
#include "gameflow/GameMode.h"
#include "gameflow/SavedGame.h"
#include "platform/win32/DialogTemplate.h"
#include "platform/win32/Profile.h"
#include "simulation/RefereeTypes.h"
#include "ui/SaveGameDialog.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
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

/// A 14.1 game after its break as the game's own writer keeps it: the cue ball and balls 1 to 3
/// apart on the table, the rest pocketed, Ann to call her shot against Bob, both people.
void WriteStraightPoolCall(const std::filesystem::path& file)
{
    std::filesystem::create_directories(file.parent_path());
    CSavedGame save(CString(file.string()));
    const CVector3 aPlaces[] = {{0.56f, 1.94f, 0.0f}, {0.30f, 1.55f, 0.0f}, {0.85f, 1.50f, 0.0f}, {0.56f, 1.25f, 0.0f}};
    for (int i = 0; i < 16; ++i)
        save.m_apBalls[static_cast<std::size_t>(i)]->SetPosition(aPlaces[std::min(i, 3)]);
    // Behind the cue ball, looking down the table from above.
    const CVector3 vCue = BallToScene(aPlaces[0]);
    save.m_View.Set(180.0f, 300.0f, 170.0f, vCue.x, vCue.y, vCue.z, 0.0f, 0.0f, 180.0f, 5.0f, 0.0f);
    CReferee14_1 referee;
    referee.Init(GAME_14_1);
    for (int n = 4; n < 16; ++n)
        referee.GetBallTable()->SetPocketedBefore(n, TRUE);
    KeepRefereeAfterBreak(save, referee);
    save.m_Player1.GetNameRef() = "Ann";
    save.m_Player2.GetNameRef() = "Bob";
    for (CPlayer* pPlayer : {&save.m_Player1, &save.m_Player2})
        pPlayer->SetLocal();
    save.m_nCurrentPlayer = 1;
    save.m_nGameMode = modeCallShot;
    save.m_Settings = SSavedSettings{0, 0, 0, GAME_14_1, 1, 1, 0x336633, 0};
    ASSERT_TRUE(save.Write()) << save.GetReason().Str();
}

/// A click at a point of the shown dialog's client area.
std::string ClickInDialog(POINT pt)
{
    const std::string strAt = std::to_string(pt.x) + " " + std::to_string(pt.y) + " in dialog\n";
    return "after 100 mouse down left " + strAt + "after 0 mouse up left " + strAt;
}

/// A click a few pixels inside the top left of where the saved-games dialog lays out the control
/// of its template of the kind.
std::string ClickControl(EDialogControl eKind)
{
    std::ifstream in(VORN_SAVE_DIALOG_TEMPLATE);
    std::ostringstream text;
    text << in.rdbuf();
    SDialogTemplate dialog;
    std::string strError;
    EXPECT_TRUE(ParseDialogTemplate(text.str(), dialog, strError)) << strError;
    for (const SDialogControlTemplate& control : dialog.aControls)
        if (control.eKind == eKind)
        {
            const RECT rc = CSaveGameDialog::ControlPlace(control.nId);
            EXPECT_FALSE(rc.left == 0 && rc.top == 0) << "control " << control.nId << " is laid out";
            return ClickInDialog(POINT{rc.left + 6, rc.top + 6});
        }
    ADD_FAILURE() << "the template has no control of kind " << static_cast<int>(eKind);
    return {};
}

/// Ctrl and a letter; once the saved-games dialog it opens is shown, what the clicks and typing do
/// in it, then a click on OK.
std::string CtrlKeyThenClicks(const char* szKey, const std::string& strInDialog)
{
    return "after 0 key down Left Ctrl\nafter 100 key press " + std::string(szKey) + "\ndialog +1 key up Left Ctrl\n" +
           strInDialog + ClickControl(EDialogControl::DefaultButton);
}

/// The name line clicked and the name typed.
std::string NameByClick(const std::string& strName)
{
    return ClickControl(EDialogControl::Edit) + "after 100 text " + strName + "\n";
}

/// The number after the last line's text in the log, -1 when none.
int LastNamed(const std::string& strLog, const std::string& strText)
{
    const size_t nAt = strLog.rfind(strText);
    return nAt == std::string::npos ? -1 : std::atoi(strLog.c_str() + nAt + strText.size());
}

TEST(ProgramSavesTest, ShotCalledByClicksIsSavedAndLoadedThroughTheDialogByClicks)
{
    CProgramRun run(VORN_PROGRAM, VORN_APP_FIXTURE_DIR);
    const std::string strIni = (run.Program() / "Vorn.ini").string();
    WritePrivateProfileString("Settings", "GameType", "33", strIni.c_str());
    WritePrivateProfileString("Settings", "Player level 2", "0", strIni.c_str());
    const std::filesystem::path saved = run.Program() / "Saved";
    WriteStraightPoolCall(saved / "lastgame");
    // The resumed call names where a click calls a ball and a pocket once its first frame is drawn:
    // a ball, then a pocket, each clicked ten frames after the cursor is brought there, and the
    // cursor leaves the ball only ten frames after the click, so that no frame reads the click with
    // the cursor elsewhere. The flight along the called line ends at rest.
    const std::string strCall = "seen Call: pocket\n"
                                "after 0 mouse move @Call: ball\n"
                                "frame +10 mouse down left @Call: ball\nafter 0 mouse up left @Call: ball\n"
                                "frame +10 mouse move @Call: pocket\n"
                                "frame +10 mouse down left @Call: pocket\nafter 0 mouse up left @Call: pocket\n";
    ASSERT_EQ(0, run.Run(strCall + AT_REST + CtrlKeyThenClicks("S", NameByClick("Evening")) + CLOSE_ONCE_SAVED))
        << run.Log();
    const std::string strFirst = ReadBytes(saved / "Evening.sav");
    ASSERT_FALSE(strFirst.empty()) << run.Log();
    CSavedGame called(CString((saved / "Evening.sav").string()));
    ASSERT_TRUE(called.Read()) << called.GetReason().Str();
    EXPECT_EQ(1, called.m_Shot.m_nKind) << "a called shot";
    EXPECT_EQ(LastNamed(run.Log(), "Call: ball "), called.m_Shot.m_nObjectBall) << run.Log();
    EXPECT_EQ(LastNamed(run.Log(), "Call: pocket "), called.m_Shot.m_nPocket) << run.Log();
    EXPECT_EQ(modeAim, called.m_nGameMode & MODE_FIELD) << "aiming after the flight along the call";

    // A new 14.1 game; the game first in the list is clicked and loaded, then saved under another name.
    WritePrivateProfileString("Settings", "GameType", "18", strIni.c_str());
    ASSERT_EQ(0, run.Run(AT_REST + CtrlKeyThenClicks("O", ClickControl(EDialogControl::ListBox)) +
                         "wait Game: resumed\n" + CtrlKeyThenClicks("S", NameByClick("Again")) + CLOSE_ONCE_SAVED))
        << run.Log();
    EXPECT_NE(run.Log().find("Evening.sav: type 18"), std::string::npos) << run.Log();
    const std::string strAgain = ReadBytes(saved / "Again.sav");
    ASSERT_EQ(strFirst.size(), strAgain.size());
    const auto [itFirst, itAgain] = std::mismatch(strFirst.begin(), strFirst.end(), strAgain.begin());
    EXPECT_TRUE(itFirst == strFirst.end()) << "the files differ from offset " << (itFirst - strFirst.begin());
}
} // namespace
