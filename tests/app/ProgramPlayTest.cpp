// The real program played by two people through the input script: the keyboard and mouse reach
// the game flow's handlers through the frame's DirectInput devices.
#include "fixtures/ProgramRun.h"

#include "platform/win32/Profile.h"

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
/// The speeds of every strike in the log, in m/s.
std::vector<double> StrikeSpeeds(const std::string& strLog)
{
    static const std::string strStrike = " strikes at ";
    std::vector<double> aSpeeds;
    for (size_t at = strLog.find(strStrike); at != std::string::npos; at = strLog.find(strStrike, at + 1))
        aSpeeds.push_back(std::strtod(strLog.c_str() + at + strStrike.size(), nullptr));
    return aSpeeds;
}

TEST(ProgramPlayTest, TwoPeoplePullTheCueBackStrikeAndPassTheTurn)
{
    CProgramRun run(VORN_PROGRAM, VORN_APP_FIXTURE_DIR);
    const std::string strIni = (run.Program() / "Vorn.ini").string();
    WritePrivateProfileString("Settings", "Player1", "Ann", strIni.c_str());
    WritePrivateProfileString("Settings", "Player level 2", "0", strIni.c_str());
    WritePrivateProfileString("Settings", "GameType", "9", strIni.c_str());
    WritePrivateProfileString("Settings", "Competition Type", "1", strIni.c_str());
    WritePrivateProfileString("Settings", "Player2", "Bob", strIni.c_str());
    // Each turn starts once the table is at rest. Either player may break, so both strike softly
    // first (a soft shot pockets nothing and passes the turn) and the third turn strikes hard: Bob
    // strikes after Ann whoever broke. The window closes once that shot is struck.
    // A soft turn: a click sets the ball in hand down and, once a few frames have read it, Enter
    // strikes with the cue at rest. Without the ball in hand, that click takes up the mouse's stroke
    // instead, Enter does nothing and a second click strikes.
    // The hard turn: Up, held over enough frames to draw the cue to the end of its swing, and Enter,
    // then a click and the same again; with the ball in hand the first keys do nothing and the click
    // sets the ball down, without it the first Enter strikes.
    const std::string strAtRest = "seen Game: at rest, it can be saved or loaded\n";
    const std::string strClick = "frame +3 mouse down left 400 300\nafter 0 mouse up left 400 300\n";
    const std::string strSoft = strAtRest + strClick + "frame +3 key press Return\n" + strClick;
    const std::string strHard = "frame +3 key down Up\nframe +60 key up Up\nframe +3 key press Return\n";
    const std::string strScript = strSoft + "seen Game: shot 1 judged\n" + strSoft + "seen Game: shot 2 judged\n" +
                                  strAtRest + strHard + strClick + strHard +
                                  "seen Game: shot 3 struck by\nafter 0 close\nanswer ok\n";
    ASSERT_EQ(0, run.Run(strScript, {})) << run.Log();
    const std::string strLog = run.Log();
    // Ann strikes and Bob, given the turn after her, takes the ball in hand and strikes.
    const size_t nAnn = strLog.find("Ann strikes at ");
    const size_t nBobTurn = strLog.find("Bob to play", nAnn);
    EXPECT_NE(nAnn, std::string::npos) << strLog;
    EXPECT_NE(nBobTurn, std::string::npos) << strLog;
    EXPECT_NE(strLog.find("Bob strikes at ", nBobTurn), std::string::npos) << strLog;
    // The cue at rest strikes softly; drawn back, harder. How far it is drawn depends on how many
    // frames the held key spans, so only the order of the speeds is checked.
    const std::vector<double> aSpeeds = StrikeSpeeds(strLog);
    ASSERT_GE(aSpeeds.size(), 2u) << strLog;
    const auto [itSoft, itHard] = std::minmax_element(aSpeeds.begin(), aSpeeds.end());
    EXPECT_GT(*itHard, *itSoft + 1.0) << strLog;
    EXPECT_LE(*itHard, 7.0) << strLog;
}
} // namespace
