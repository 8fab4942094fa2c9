#include "tests/app/AppFolder.h"
#include "tests/app/FrameScope.h"

#include "app/MainFrame.h"
#include "foundation/ErrorBox.h"
#include "foundation/Settings.h"
#include "gameflow/GameFlow.h"
#include "gameflow/SavedGame.h"
#include "platform/win32/CrtRandom.h"
#include "simulation/BallEngine.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace
{
/// A started game of two people in a folder of its own.
class CSavesFrame
{
public:
    explicit CSavesFrame(int nGameType)
    {
        m_app.AddArtworkLibrary();
        g_Settings.SetDefaults();
        g_Settings.m_nGameType = nGameType;
        g_Settings.m_nCompetitionType = 1;
        g_Settings.m_strPlayer1 = "Ann";
        g_Settings.m_strPlayer2 = "Bea";
        g_Settings.m_nPlayerLevel2 = 0;
        g_nGameMode = gmStartupFlag;
        m_pScope = std::make_unique<CFrameScope>(true);
    }
    ~CSavesFrame()
    {
        m_pScope.reset();
        g_nGameMode = 0;
    }
    CSavesFrame(const CSavesFrame&) = delete;
    CSavesFrame& operator=(const CSavesFrame&) = delete;

    bool Started() const { return m_pScope->m_bCreated && m_pScope->m_pFrame->IsGameStarted(); }
    CMainFrame& Frame() { return *m_pScope->m_pFrame; }
    CGameFlow& Flow() { return Frame().GetGameFlow(); }
    CString File(const char* szName) const { return CString(m_app.Folder().File(szName)); }

    /// The live game as a saved game would hold it.
    std::vector<BYTE> Snapshot()
    {
        CSavedGame save(File("probe.sav"));
        Frame().FillSavedGame(save);
        return save.Build();
    }

    /// Ball 3 pocketed for good, ball 1 moved, scores and the second player's turn in aiming.
    void PlaySomeOfTheGame()
    {
        CGameFlow& flow = Flow();
        flow.Engine().RemoveBall(3);
        flow.GetReferee()->GetBallTable()->SetPocketedBefore(3, TRUE);
        flow.SetBallLists(static_cast<WORD>(flow.GetOnTableMask() & ~0x8), flow.GetPocketedMask() | 0x8);
        CBall* pBall = flow.Engine().FindBall(1);
        pBall->SetPositionXYZ(pBall->GetPosition()->x + 0.2f, pBall->GetPosition()->y, pBall->GetPosition()->z);
        flow.Player1().SetPoints(4);
        flow.Player2().SetPoints(7);
        flow.SetCurrent(false);
        flow.SetGameMode(modeAim);
    }

private:
    CAppFolder m_app;
    std::unique_ptr<CFrameScope> m_pScope;
};

/// The first number the shared generator gives after the seed.
int FirstDraw(unsigned int nSeed)
{
    CrtSrand(nSeed);
    return CrtRand();
}

std::vector<BYTE> FileBytes(const CString& strPath)
{
    std::ifstream in(strPath.Str(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

/// Every file under the folder with its bytes: the settings, the players' statistics, the games.
std::map<std::string, std::vector<BYTE>> FolderContents(const std::filesystem::path& folder)
{
    std::map<std::string, std::vector<BYTE>> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            files[entry.path().string()] = FileBytes(CString(entry.path().string()));
    return files;
}

TEST(FrameSavesTest, SavedGameResumesOverAnotherGameAndSavesTheSameBytesAgain)
{
    CSavesFrame frame(GAME_9BALL);
    ASSERT_TRUE(frame.Started());
    frame.PlaySomeOfTheGame();
    g_Settings.m_nBallPath1 = 1;
    g_Settings.m_nRecommendedShot = 0;
    frame.Flow().SetPutBackMask(0x6);
    frame.Flow().ShotRecord().Set(4, 0, 6, -1, 0.5, SHOT_KIND_BANK, 0.01); // the computer's last plan
    frame.Flow().SetMatchGoal(12);
    const CString strFile = frame.File("kept.sav");
    CString strReason;
    const int nFirstDraw = FirstDraw(4242);
    CrtSrand(4242);
    ASSERT_TRUE(frame.Frame().SaveGameTo(strFile, strReason)) << strReason.Str();
    EXPECT_EQ(nFirstDraw, CrtRand()) << "saving leaves the game's random sequence where it was";
    const std::vector<BYTE> saved = frame.Snapshot();
    const CVector3 vBall1 = *frame.Flow().Engine().FindBall(1)->GetPosition();

    // Another game of another type in between.
    g_Settings.m_nGameType = GAME_8BALL;
    g_Settings.m_nBallPath1 = 0;
    g_Settings.m_nRecommendedShot = 1;
    g_Settings.SetMatchGoal(30);
    ASSERT_TRUE(frame.Frame().SetupGame());
    ASSERT_EQ(30, frame.Flow().GetMatchGoal());
    ASSERT_EQ(16, g_BallEngineMain.GetBallCount());
    frame.Flow().SetPutBackMask(0x1);
    frame.Flow().ShotRecord().Set(1, 0, 2, -1, 0.0, SHOT_KIND_DIRECT, 0.0);

    ASSERT_TRUE(frame.Frame().RestoreGame(strFile, strReason)) << strReason.Str();
    CGameFlow& flow = frame.Flow();
    EXPECT_EQ(GAME_9BALL, flow.GetGameType());
    EXPECT_EQ(GAME_9BALL, g_Settings.m_nGameType);
    EXPECT_EQ(9, g_BallEngineMain.GetBallCount()) << "ten balls less the pocketed one";
    EXPECT_EQ(nullptr, g_BallEngineMain.FindBall(3));
    EXPECT_EQ(0x3f7, flow.GetOnTableMask());
    EXPECT_EQ(0x8, flow.GetPocketedMask());
    EXPECT_TRUE(flow.GetReferee()->WasPocketedBefore(3));
    const CVector3 vBack = *g_BallEngineMain.FindBall(1)->GetPosition();
    EXPECT_FLOAT_EQ(vBall1.x, vBack.x);
    EXPECT_FLOAT_EQ(vBall1.y, vBack.y);
    EXPECT_STREQ("Ann", flow.Player1().GetName());
    EXPECT_STREQ("Bea", flow.Player2().GetName());
    EXPECT_EQ(4, flow.Player1().GetPoints());
    EXPECT_EQ(7, flow.Player2().GetPoints());
    EXPECT_EQ(12, flow.GetMatchGoal()) << "the game is played to its own goal again";
    EXPECT_FALSE(flow.IsPlayer1Current());
    EXPECT_EQ(0x6, flow.GetPutBackMask());
    EXPECT_EQ(SHOT_KIND_BANK, flow.ShotRecord().m_nKind);
    EXPECT_EQ(4, flow.ShotRecord().m_nPocket);
    EXPECT_EQ(6, flow.ShotRecord().m_nObjectBall);
    EXPECT_DOUBLE_EQ(0.01, flow.ShotRecord().m_dDeviation);
    EXPECT_EQ(modeAim, GetModeField());
    EXPECT_EQ(1, g_Settings.m_nBallPath1);
    EXPECT_EQ(0, g_Settings.m_nRecommendedShot);
    EXPECT_EQ(saved, frame.Snapshot()) << "the resumed game saves as it was saved";
}

TEST(FrameSavesTest, AFileWithoutAViewKeepsTheCameraAndTheCue)
{
    CSavesFrame frame(GAME_9BALL);
    ASSERT_TRUE(frame.Started());
    frame.PlaySomeOfTheGame();
    const CString strFile = frame.File("viewless.sav");
    CSavedGame save(strFile);
    frame.Frame().FillSavedGame(save);
    save.m_View = CViewRecord();
    ASSERT_TRUE(save.Write()) << save.GetReason().Str();

    CGameFlow& flow = frame.Flow();
    CViewRecord before = flow.GetCurrentView();
    before.m_vCamera = CVector3(200.0f, 330.0f, 90.0f);
    before.m_vCue.x = 33.0f;
    flow.ApplyViewRecord(before);
    const CViewRecord kept = flow.GetCurrentView();
    CString strReason;
    ASSERT_TRUE(frame.Frame().RestoreGame(strFile, strReason)) << strReason.Str();
    const CViewRecord after = flow.GetCurrentView();
    EXPECT_FLOAT_EQ(kept.m_vCamera.x, after.m_vCamera.x);
    EXPECT_FLOAT_EQ(kept.m_vCamera.y, after.m_vCamera.y);
    EXPECT_FLOAT_EQ(kept.m_vCamera.z, after.m_vCamera.z);
    EXPECT_FLOAT_EQ(kept.m_vCue.x, after.m_vCue.x) << "the cue keeps its aim";
    EXPECT_FLOAT_EQ(kept.m_vCue.y, after.m_vCue.y) << "and its elevation";
}

TEST(FrameSavesTest, RefusedFileOrUnplayableGameChangesNothing)
{
    CSavesFrame frame(GAME_8BALL);
    ASSERT_TRUE(frame.Started());
    frame.PlaySomeOfTheGame();
    struct SCase
    {
        const char* szName;
        std::function<void(CSavedGame&)> damage; ///< null: garbage bytes on disk
    };
    const SCase aCases[] = {
        {"not a saved game", nullptr},
        {"two balls on one place", [](CSavedGame& s) { s.m_apBalls[2]->SetPosition(*s.m_apBalls[1]->GetPosition()); }},
        {"a ball off the bed", [](CSavedGame& s) { s.m_apBalls[5]->SetPositionXYZ(9.0f, 9.0f, 0.0f); }},
        {"the ball to strike is down while aiming", [](CSavedGame& s) { s.m_abRefereeState[10] = 3; }},
        {"a plug-in type not installed",
         [](CSavedGame& s)
         {
             s.m_Settings.nGameType = 77;
             s.m_abRefereeState[9] = 77;
         }},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        const CString strFile = frame.File("bad.sav");
        if (c.damage)
        {
            CSavedGame save(strFile);
            frame.Frame().FillSavedGame(save);
            c.damage(save);
            ASSERT_TRUE(save.Write()) << save.GetReason().Str();
        }
        else
        {
            std::ofstream(strFile.Str(), std::ios::binary) << "SAV7 and then nothing a game holds";
        }
        const auto folderBefore = FolderContents(std::filesystem::path(strFile.Str()).parent_path());
        const std::vector<BYTE> before = frame.Snapshot();
        const CSettings settings = g_Settings;
        CString strReason;
        const int nFirstDraw = FirstDraw(4242);
        CrtSrand(4242);
        EXPECT_FALSE(frame.Frame().RestoreGame(strFile, strReason));
        EXPECT_EQ(nFirstDraw, CrtRand()) << "the game's random sequence is where it was";
        EXPECT_FALSE(strReason.IsEmpty());
        EXPECT_EQ(before, frame.Snapshot()) << "the game is as it was";
        EXPECT_EQ(settings.m_nGameType, g_Settings.m_nGameType);
        EXPECT_TRUE(folderBefore == FolderContents(std::filesystem::path(strFile.Str()).parent_path()))
            << "the file, the settings and the statistics on disk are as they were";
    }
}

TEST(FrameSavesTest, SettingsTheFileCannotHoldAreHeldToItsRangeWhenSaved)
{
    CSavesFrame frame(GAME_9BALL);
    ASSERT_TRUE(frame.Started());
    g_Settings.m_nBallPath1 = 3;
    g_Settings.m_nShortPath1 = -1;
    g_Settings.m_nRecommendedShot = 2;
    g_Settings.m_nViewType = 7;
    g_Settings.m_nCompetitionType = -4;
    g_Settings.m_nGameType = 33; // the settings' type resumes; the game played is nine-ball
    CSavedGame save(frame.File("odd.sav"));
    frame.Frame().FillSavedGame(save);
    CString strReason;
    ASSERT_TRUE(save.Write()) << save.GetReason().Str();
    const SSavedSettings& s = save.m_Settings;
    EXPECT_EQ(1, s.nBallPath1);
    EXPECT_EQ(1, s.nShortPath1);
    EXPECT_EQ(1, s.nRecommendedShot);
    EXPECT_EQ(2, s.nViewType);
    EXPECT_EQ(0, s.nCompetitionType);
    EXPECT_EQ(GAME_9BALL, s.nGameType);
    EXPECT_EQ(3, g_Settings.m_nBallPath1) << "the live settings stay";
}
TEST(FrameSavesTest, SaveAndLoadRunOnlyWithTheGameAtRestAndNameARefusedFile)
{
    CSavesFrame frame(GAME_9BALL);
    ASSERT_TRUE(frame.Started());
    struct SState
    {
        DWORD dwMode;
        bool bAllowed;
    };
    const SState aStates[] = {{modeAim, true},
                              {modeBallInHand, true},
                              {modeCameraFlight, false},
                              {modeAim | gmShotRunning, false},
                              {modeAim | gmReplay, false},
                              {modeAim | gmPresentation, false}};
    for (const SState& s : aStates)
    {
        SCOPED_TRACE(testing::Message() << std::hex << s.dwMode);
        g_nGameMode = s.dwMode;
        EXPECT_EQ(s.bAllowed, frame.Frame().CanSaveOrLoad());
    }
    g_nGameMode = modeAim;

    g_Settings.m_strSavedDirectory = frame.File("");
    std::vector<std::string> astrErrors;
    SetErrorBoxHandler([&](const char* szText) { astrErrors.emplace_back(szText); });
    EXPECT_TRUE(frame.Frame().SaveOrLoadNamed(TRUE, "One.sav"));
    EXPECT_TRUE(frame.Frame().SaveOrLoadNamed(FALSE, "One.sav"));
    EXPECT_TRUE(astrErrors.empty());
    EXPECT_FALSE(frame.Frame().SaveOrLoadNamed(FALSE, "Missing.sav"));
    SetErrorBoxHandler(nullptr);
    ASSERT_EQ(1u, astrErrors.size());
    EXPECT_NE(std::string::npos, astrErrors[0].find("\"Missing.sav\" could not be loaded: the file does not exist"))
        << astrErrors[0];
}
} // namespace
