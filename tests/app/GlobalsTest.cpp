// The program's globals: the values they start with, and the order they go in at exit. The
// checks of the owned globals run in a fresh process of this test program (a death test of the
// re-running style), since the tests before them change those objects.
#include "app/Globals.h"

#include "fixtures/WaitFor.h"

#include "app/CommandLine.h"
#include "app/MainFrame.h"
#include "app/SplashScreen.h"
#include "app/StartupFiles.h"
#include "foundation/GlobalOrder.h"
#include "foundation/LibraryLists.h"
#include "foundation/LogFile.h"
#include "foundation/ResourceBitmaps.h"
#include "foundation/Settings.h"
#include "foundation/Stopwatch.h"
#include "gameflow/FlowInput.h"
#include "media/Speech.h"
#include "render/CursorManager.h"
#include "render/Light.h"
#include "simulation/BallEngine.h"
#include "simulation/CallRecord.h"
#include "ui/GameWidgets.h"
#include "ui/IntroSequence.h"
#include "ui/TextMessages.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

extern CString g_strSplashClip;
extern CString g_strMainClip;
extern CString g_strStartClip;
extern CString g_strFlameClip;
extern CString g_strSplashOverlayClip;

namespace
{
std::vector<std::string> Texts(const CString* pFirst, std::size_t nCount)
{
    std::vector<std::string> aTexts;
    for (std::size_t i = 0; i < nCount; ++i)
        aTexts.emplace_back(pFirst[i].GetString());
    return aTexts;
}

TEST(GlobalsTest, StartWithTheirTableValues)
{
    // Nothing in the program writes these, so this process's copies still hold their first values.
    EXPECT_TRUE(g_strEmpty.IsEmpty());
    EXPECT_EQ((std::vector<std::string>{"", "0.0004", "0.05", "0", "0.03", "0", "0.3", "0", "0.1", "0.0", "0.05", "30",
                                        "0.4", "2", "1000"}),
              Texts(g_astrAimTuning.data(), g_astrAimTuning.size()));
    EXPECT_EQ(std::vector<std::string>(17), Texts(g_astrAimSpare.data(), g_astrAimSpare.size()));
    EXPECT_EQ((std::vector<std::string>{"Ambient", "Down", "JukeBox", "Flame", "Flame1", "TV", "Fan 0", "Fan 1",
                                        "Fan 2", "Fan 3", "8 ball", "Coinman Vorn", "AMD logo", "Trees"}),
              Texts(g_astrLightNames.data(), g_astrLightNames.size()));
    struct SText
    {
        const char* szRow;
        const CString& strValue;
        const char* szExpected;
    };
    for (const SText& t :
         {SText{"16 tag", g_strProcessorTag, ""}, SText{"16 adhere", g_strAdhere, "adhere"},
          SText{"16 further", g_strFurther, ""}, SText{"17", g_strDefaultResourceType, "_DATA"},
          SText{"23", g_LogFile.GetFileName(), "VornLog.txt"}, SText{"26", g_strDisableTexture, "Disable.bmp"},
          SText{"42", g_strChatTexture, "Chat.bmp"}, SText{"46", g_strMusicFile, "VornMidi.mid"}})
    {
        SCOPED_TRACE(t.szRow);
        EXPECT_STREQ(t.szExpected, t.strValue.GetString());
    }
    struct SRect
    {
        const char* szRow;
        RECT rc;
        RECT rcExpected;
    };
    for (const SRect& r :
         {SRect{"51", g_rcSplashClip, {100, 262, 148, 310}}, SRect{"53 first", g_arcSplashSpare[0], {24, 442, 44, 542}},
          SRect{"53 second", g_arcSplashSpare[1], {346, 166, 426, 230}},
          SRect{"55", g_rcSplashOverlay, {378, 204, 430, 308}}})
    {
        SCOPED_TRACE(r.szRow);
        EXPECT_EQ(r.rcExpected.left, r.rc.left);
        EXPECT_EQ(r.rcExpected.top, r.rc.top);
        EXPECT_EQ(r.rcExpected.right, r.rc.right);
        EXPECT_EQ(r.rcExpected.bottom, r.rc.bottom);
    }
}

// -- Checks run in the fresh process -------------------------------------------------------------

/// Collects the rows whose objects are not as the table says, one line each.
class CRowReport
{
public:
    void Check(bool bAsTheTableSays, const char* szRow)
    {
        if (!bAsTheTableSays)
            m_text << szRow << '\n';
    }
    std::string Text() const { return m_text.str(); }

private:
    std::ostringstream m_text;
};

/// Ends the fresh process: status 0 when the report is empty, else 1 with the report on standard error.
[[noreturn]] void EndWith(const std::string& strReport)
{
    std::fputs(strReport.c_str(), stderr);
    std::fflush(stderr);
    std::_Exit(strReport.empty() ? 0 : 1);
}

std::string OwnedRowsAsBuilt()
{
    CRowReport report;
    for (const SCallRecord* pRecord : {&g_CallRecord, &g_SavedCallRecord})
        report.Check(pRecord->nBall == -1 && pRecord->nPocket == -1 && pRecord->nFlag == 1, "4 call records");
    // Nothing from the ini file before start-up loads it: a load would set these two switches.
    report.Check(g_Settings.m_nAIDefaultLevel == 3 && g_Settings.m_nAdvancedLighting == 0 &&
                     g_Settings.m_nNonPolygonalBalls == 0 && g_Settings.m_nGameType == 0 &&
                     g_Settings.m_strPlayer1.IsEmpty() && g_Settings.m_strIniFilePath.IsEmpty(),
                 "12 settings not in their constructor's state");
    report.Check(g_CursorManager.GetDisplayCount() == -1 && g_CursorManager.GetCursorHandle() == nullptr,
                 "29 cursor manager");
    report.Check(g_TextMessages.IsEmpty(), "34 text messages");
    for (const CBallEngine* pEngine :
         {static_cast<CBallEngine*>(&g_BallEngineMain), static_cast<CBallEngine*>(&g_BallEngineAux),
          static_cast<CBallEngine*>(&g_BallEngineQueued)})
        report.Check(!pEngine->IsThreadRunning() && pEngine->GetBallCount() == 0,
                     "35 an engine with a thread or balls");
    // The widgets are linked into the list as they are built, so the list holds the table's order.
    const std::vector<const CWidget*> aTableOrder = {&g_mainPanel, &g_secondPanel, &g_leftBar,      &g_rightBar,
                                                     &g_mouseArea, &g_webPanel,    &g_creditsPanel, &g_commentsPanel,
                                                     &g_topPanel,  &g_pausedPanel, &g_controlBar};
    std::vector<const CWidget*> aListed;
    for (const CWidget* p = CWidget::GetFirst(); p != nullptr; p = p->GetNext())
        aListed.push_back(p);
    report.Check(aListed == aTableOrder, "36 widget list not in the table's order");
    report.Check(g_strKillFile.IsEmpty() && g_astrArtworkLibraries.GetSize() == 0 &&
                     g_astrBallSetLibraries.GetSize() == 0,
                 "38 kill file and library lists");
    report.Check(g_IntroSequence.IsFinished() && !g_IntroSequence.IsArmed() &&
                     g_IntroSequence.GetIncreaseTime() == 2500 && g_IntroSequence.GetDecreaseTime() == 2500,
                 "40 intro sequence");
    report.Check(g_FrameStopwatch.GetElapsed() == 0, "44 frame stopwatch");
    report.Check(!g_Speech.IsStarted(), "49 speech started");
    for (const CString* pClip :
         {&g_strMainClip, &g_strSplashClip, &g_strStartClip, &g_strFlameClip, &g_strSplashOverlayClip})
        report.Check(pClip->IsEmpty(), "24, 52, 54, 56 clip names");
    report.Check(g_strTablesDatPath.IsEmpty(), "60 tables.dat path");
    return report.Text();
}

// -- Sentinels between rows ----------------------------------------------------------------------
// Built right after a row, so destroyed right before it: each looks, at exit, at what is gone and
// what still stands. They check only in the process the exit-order test arms.

bool s_bExitCheckArmed = false;
int s_nThreadsBeforeEngines = 0;
bool s_bEnginesStillStood = false;

int ThreadCount()
{
    const std::filesystem::directory_iterator tasks("/proc/self/task");
    return static_cast<int>(std::distance(begin(tasks), end(tasks)));
}

/// Whether the process's thread count falls below nCount (a joined thread may stay listed for a
/// moment).
bool ThreadCountFallsBelow(int nCount)
{
    return WaitFor([&] { return ThreadCount() < nCount; });
}

constexpr int SENTINEL_BALL = 5;

/// Destroyed after every widget and before the engines.
struct SAfterEngines
{
    SAfterEngines() = default;
    SAfterEngines(const SAfterEngines&) = delete;
    SAfterEngines& operator=(const SAfterEngines&) = delete;
    ~SAfterEngines()
    {
        if (!s_bExitCheckArmed)
            return;
        s_nThreadsBeforeEngines = ThreadCount();
        if (CWidget::GetFirst() != nullptr)
            EndWith("the engines go while widgets are left\n");
        if (g_BallEngineMain.FindBall(SENTINEL_BALL) == nullptr || !g_BallEngineAux.IsThreadRunning())
            EndWith("the engines went before the widgets\n");
        s_bEnginesStillStood = true;
    }
};
VORN_GLOBAL_ROW(GLOBAL_ROW_BALL_ENGINES, 9) SAfterEngines s_afterEngines;

/// Destroyed after the engines and before the settings.
struct SAfterSettings
{
    SAfterSettings() = default;
    SAfterSettings(const SAfterSettings&) = delete;
    SAfterSettings& operator=(const SAfterSettings&) = delete;
    ~SAfterSettings()
    {
        if (!s_bExitCheckArmed)
            return;
        if (!s_bEnginesStillStood)
            EndWith("the widgets were not checked before the engines went\n");
        // The engines' destructors stop and join their workers: the aiming aid's thread is gone by
        // now, though the system may list a joined thread for a moment longer.
        if (!ThreadCountFallsBelow(s_nThreadsBeforeEngines))
            EndWith("the settings go while an engine's worker runs\n");
        if (g_Settings.m_nGameType != 7)
            EndWith("the settings went before the engines\n");
        EndWith("");
    }
};
VORN_GLOBAL_ROW(GLOBAL_ROW_SETTINGS, 9) SAfterSettings s_afterSettings;

class GlobalsProcessTest : public testing::Test
{
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(GlobalsProcessTest, OwnedRowsStartInTheirTableStateBeforeAnyStartUp)
{
    EXPECT_EXIT(EndWith(OwnedRowsAsBuilt()), testing::ExitedWithCode(0), "");
}

TEST_F(GlobalsProcessTest, EnginesGoAfterTheWidgetsAndBeforeTheSettings)
{
    EXPECT_EXIT(
        {
            s_bExitCheckArmed = true;
            g_Settings.m_nGameType = 7;
            g_BallEngineMain.AddBall(SENTINEL_BALL);
            g_BallEngineAux.StartThread();
            std::exit(3); // the sentinels end the process with their verdict as the objects go
        },
        testing::ExitedWithCode(0), "");
}
} // namespace
