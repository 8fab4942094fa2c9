// The real program played by two people through the input script: the keyboard and mouse reach
// the game flow's handlers through the frame's DirectInput devices.
#include "tests/app/TestProgramRun.h"

#include "platform/win32/Profile.h"
#include "platform/win32/WindowTable.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <thread>
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

/// Whether Ann has struck, Bob has had the turn after her and struck, and one strike was hard.
bool BobStruckAfterAnnAndOneStrikeWasHard(const std::string& strLog)
{
    const size_t nBobTurn = strLog.find("Bob to play", strLog.find("Ann strikes at "));
    const std::vector<double> aSpeeds = StrikeSpeeds(strLog);
    return nBobTurn != std::string::npos && strLog.find("Bob strikes at ", nBobTurn) != std::string::npos &&
           std::any_of(aSpeeds.begin(), aSpeeds.end(), [](double dSpeed) { return dSpeed > 5.0; });
}

TEST(ProgramPlayTest, TwoPeoplePullTheCueBackStrikeAndPassTheTurn)
{
    CTestProgramRun run;
    run.ShareEnvironment();
    const std::string strIni = (run.Program() / "Vorn.ini").string();
    WritePrivateProfileString("Settings", "Player1", "Ann", strIni.c_str());
    WritePrivateProfileString("Settings", "Player level 2", "0", strIni.c_str());
    WritePrivateProfileString("Settings", "GameType", "9", strIni.c_str());
    WritePrivateProfileString("Settings", "Competition Type", "1", strIni.c_str());
    WritePrivateProfileString("Settings", "Player2", "Bob", strIni.c_str());
    // Each turn starts once the table is at rest. Either player may break and a shot may keep the
    // table, so turns go on, soft and hard by turns, until Bob has struck after Ann and one strike
    // was hard; then the test, as a peer, asks the window to close.
    // A soft turn: a click sets the ball in hand down and, once a few frames have read it, Enter
    // strikes with the cue at rest. Without the ball in hand, that click takes up the mouse's stroke
    // instead, Enter does nothing and a second click strikes.
    // A hard turn: Up, held over enough frames to draw the cue to the end of its swing, and Enter,
    // then a click and the same again; with the ball in hand the first keys do nothing and the click
    // sets the ball down, without it the first Enter strikes.
    const std::string strAtRest = "seen Game: at rest, it can be saved or loaded\n";
    const std::string strClick = "frame +3 mouse down left 400 300\nafter 0 mouse up left 400 300\n";
    // A ball in hand set down flies the camera behind it first: the keys wait for the flight.
    const std::string strFlight = "after 3000 mouse move 400 300\n";
    const std::string strSoft = strAtRest + strClick + strFlight + "frame +3 key press Return\n" + strClick;
    const std::string strUpAndEnter = "frame +3 key down Up\nframe +60 key up Up\nframe +3 key press Return\n";
    const std::string strHard = strAtRest + strUpAndEnter + strClick + strFlight + strUpAndEnter;
    std::string strScript = "answer ok\n";
    for (int nShot = 1; nShot <= 12; ++nShot)
        strScript += (nShot % 3 == 0 ? strHard : strSoft) + "seen Game: shot " + std::to_string(nShot) + " judged\n";
    ASSERT_TRUE(run.Start(strScript));
    for (int i = 0; i < 1800 && !BobStruckAfterAnnAndOneStrikeWasHard(run.Log()); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const HWND hWnd = FindWindow("Vorn class", "Vorn Deluxe");
    ASSERT_NE(nullptr, hWnd) << run.Log();
    EXPECT_TRUE(PostMessage(hWnd, WM_CLOSE, 0, 0));
    ASSERT_EQ(0, run.Wait()) << run.Log();
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
