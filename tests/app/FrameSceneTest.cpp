#include "tests/app/AppFolder.h"
#include "tests/app/FrameScope.h"
#include "tests/app/ScriptedFrame.h"

#include "app/MainFrame.h"
#include "foundation/Matrix.h"
#include "foundation/Settings.h"
#include "gameflow/CuePlacement.h"
#include "gameflow/GameFlow.h"
#include "gameflow/GameMode.h"
#include "media/AviClips.h"
#include "platform/win32/Clock.h"
#include "render/Environment3D.h"
#include "render/SceneObject.h"
#include "render/SceneRecords.h"
#include "render/TableSpace.h"
#include "render/TextureManager.h"
#include "render/TextureSet.h"
#include "simulation/Ball.h"
#include "simulation/BallEngine.h"
#include "simulation/PhysicsConstants.h"
#include "simulation/PointList.h"
#include "simulation/Referee.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <numbers>
#include <string>

namespace
{
/// A started frame on the game's own libraries: its room, table and ball sets.
class FrameSceneTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char* szLib : {"Imagery1.dll", "Imagery.dll"})
            g_astrArtworkLibraries.Add((std::string(VORN_GAME_DIR) + "/" + szLib).c_str());
        for (const char* szLib : {"VornBall.dat", "VornBall1.dat"})
            g_astrBallSetLibraries.Add((std::string(VORN_GAME_DIR) + "/" + szLib).c_str());
        g_textureSet.LoadTextureSet();
        g_Settings.SetDefaults();
        g_Settings.m_nGameType = 9;
        ASSERT_TRUE(StartDisplay());
        m_pAdapter = std::make_unique<CDisplayAdapterScope>(LoadDisplayAdapter());
        ASSERT_NE(nullptr, InstallSystemDisplayAdapter()); // frames in the display's own format
        m_pFrame = std::make_unique<CFrameScope>(true);
        ASSERT_TRUE(m_pFrame->m_bCreated);
        ASSERT_TRUE(Frame().IsGameStarted());
        g_nGameMode = 0; // the game rests: nothing but the test moves a ball
    }
    void TearDown() override
    {
        m_pFrame.reset();
        m_pAdapter.reset();
        DeleteAllTextures();
        g_astrBallSetLibraries.RemoveAll();
        g_textureSet.LoadTextureSet();
        g_nGameMode = 0;
    }
    CMainFrame& Frame() { return *m_pFrame->m_pFrame; }

    const CAppFolder m_app;
    const CTestClockScope m_clock{5000};
    std::unique_ptr<CDisplayAdapterScope> m_pAdapter;
    std::unique_ptr<CFrameScope> m_pFrame;
};

TEST_F(FrameSceneTest, VariantBallSetFollowsTheGameTypeAndFallsBackToStandard)
{
    struct SCase
    {
        int nGameType;
        const char* szTextures; // the ball set's number discs
    };
    const SCase aCases[] = {
        {9, "BALLS_STANDARD"},  {8, "BALLS_STANDARD"}, {16, "BALLS_IVORY"},
        {17, "BALLS_AMERICAN"}, {101, "BALLS_BONUS"},  {18, "BALLS_STANDARD"},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.nGameType);
        g_Settings.m_nGameType = c.nGameType;
        Frame().GetGameFlow().CreateReferee(c.nGameType);
        ASSERT_TRUE(Frame().UpdateVariant());
        ASSERT_GE(g_textureSet.m_nCurrent, 0);
        EXPECT_STREQ(c.szTextures, g_textureSet.GetAt(g_textureSet.m_nCurrent).m_strField2.GetString());
        const int nChosen = g_textureSet.m_nCurrent;
        g_textureSet.m_nCurrent = nChosen;
        EXPECT_TRUE(Frame().UpdateVariant()) << "the variant in use stays";
        EXPECT_EQ(nChosen, g_textureSet.m_nCurrent);
    }
}

TEST_F(FrameSceneTest, AVariantWithoutItsBallSetTakesTheStandardOneOfItsFlagOrKeepsTheOld)
{
    // The ball-set lists of the game's own libraries, less the American and bonus sets; then less
    // every set of flag 0.
    const std::string strLibrary0 = std::string(VORN_GAME_DIR) + "/VornBall1.dat";
    const std::string strLibrary1 = std::string(VORN_GAME_DIR) + "/VornBall.dat";
    const std::string strIvory = "standard, BALLS_IVORY, Ivory, COLORS_IVORY,  0;\n";
    const std::string strStandard = "standard, BALLS_STANDARD, Pool, COLORS_STANDARD,  1;\n";
    struct SCase
    {
        const char* szName;
        std::string strFlag0; // the list of the flag-0 library
        int nGameType;
        bool bSelected;
        const char* szTextures; // the set in use afterwards
    };
    const SCase aCases[] = {
        {"American falls back", strIvory, 17, true, "BALLS_IVORY"},
        {"bonus falls back", strIvory, 101, true, "BALLS_IVORY"},
        {"flag 1 unchanged", strIvory, 9, true, "BALLS_STANDARD"},
        {"no set of flag 0", "", 17, false, "BALLS_STANDARD"},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CTextureSet list;
        list.ReadText(strLibrary1.c_str(), strStandard.c_str(), strStandard.size());
        list.ReadText(strLibrary0.c_str(), c.strFlag0.c_str(), c.strFlag0.size());
        g_textureSet = list;
        g_Settings.m_nGameType = 9;
        Frame().GetGameFlow().CreateReferee(9);
        ASSERT_TRUE(Frame().SelectVariant());
        const auto rampsBefore = Frame().GetBallPainter().m_ColorRamps;

        g_Settings.m_nGameType = c.nGameType;
        Frame().GetGameFlow().CreateReferee(c.nGameType);
        EXPECT_EQ(c.bSelected, Frame().UpdateVariant() != FALSE);
        ASSERT_GE(g_textureSet.m_nCurrent, 0);
        EXPECT_STREQ(c.szTextures, g_textureSet.GetAt(g_textureSet.m_nCurrent).m_strField2.GetString());
        if (!c.bSelected)
        {
            EXPECT_EQ(rampsBefore, Frame().GetBallPainter().m_ColorRamps) << "the colours stay";
        }
    }
}

TEST_F(FrameSceneTest, BallsArePaintedWhereTheEngineHasThem)
{
    CBall* pCue = g_BallEngineMain.FindBall(0);
    ASSERT_NE(nullptr, pCue);
    // No cue lies before the ball.
    CSceneObject::FindSceneObjectByKind(0x2)->SetEnabled(false);
    const CVector3 aSpots[] = {CVector3(TABLE_WIDTH_M / 2, TABLE_LENGTH_M * 0.3f, BALL_RADIUS_M),
                               CVector3(TABLE_WIDTH_M * 0.25f, TABLE_LENGTH_M * 0.45f, BALL_RADIUS_M)};
    std::vector<DWORD> aPixels;
    int nWidth = 0, nHeight = 0;
    const auto brightness = [&](const CVector3& vTable)
    {
        CVector3 vScreen;
        const CVector3 vScene = TableToScene(vTable);
        ProjectToScreen(&vScreen, &vScene);
        const auto x = static_cast<int>(vScreen.x), y = static_cast<int>(vScreen.y);
        EXPECT_TRUE(x >= 0 && x < nWidth && y >= 0 && y < nHeight);
        const DWORD p = aPixels[static_cast<std::size_t>(y * nWidth + x)];
        return static_cast<int>(((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF));
    };
    for (int nAt = 0; nAt < 2; ++nAt)
    {
        SCOPED_TRACE(nAt);
        pCue->SetPosition(aSpots[nAt]);
        ASSERT_TRUE(Frame().OnFrame());
        ASSERT_TRUE(ReadWindowPixels(m_pFrame->m_hWnd, aPixels, &nWidth, &nHeight));
        // The white ball lights its spot; the spot it left shows the cloth again.
        const int nBall = brightness(aSpots[nAt]);
        const int nCloth = brightness(aSpots[1 - nAt]);
        EXPECT_GT(nBall, nCloth + 150) << nBall << " against the cloth's " << nCloth;
    }
    const std::filesystem::path dir = VORN_TEST_OUTPUT_DIR;
    std::filesystem::create_directories(dir);
    EXPECT_TRUE(SaveWindowPng(m_pFrame->m_hWnd, (dir / "GameBalls.png").string()));
}
TEST_F(FrameSceneTest, TheFrameLooksThroughTheGamesCamera)
{
    CBall* pCue = g_BallEngineMain.FindBall(0);
    ASSERT_NE(nullptr, pCue);
    pCue->SetPosition(CVector3(TABLE_WIDTH_M * 0.4f, TABLE_LENGTH_M * 0.3f, BALL_RADIUS_M));
    const CVector3 vCue = TableToScene(*pCue->GetPosition());
    for (const float fYaw : {30.0f, 180.0f, 275.5f})
    {
        SCOPED_TRACE(fYaw);
        SFlowCamera& camera = Frame().GetGameFlow().Camera();
        camera.vLookAt = vCue;
        camera.fYaw = fYaw;
        camera.fDistance = 40.0f;
        camera.Place();
        ASSERT_TRUE(Frame().OnFrame());
        // The point the camera looks at is the middle of the picture: the cue ball lies there, lit
        // from above (its lower half is in shade).
        CVector3 vScreen;
        ProjectToScreen(&vScreen, &vCue);
        std::vector<DWORD> aPixels;
        int nWidth = 0, nHeight = 0;
        ASSERT_TRUE(ReadWindowPixels(m_pFrame->m_hWnd, aPixels, &nWidth, &nHeight));
        EXPECT_NEAR(nWidth / 2.0, vScreen.x, 1.5);
        DWORD dwBrightest = 0;
        for (int y = static_cast<int>(vScreen.y) - 20; y <= static_cast<int>(vScreen.y); ++y)
        {
            ASSERT_TRUE(y >= 0 && y < nHeight);
            const DWORD p = aPixels[static_cast<std::size_t>(y * nWidth + nWidth / 2)];
            dwBrightest = std::max(dwBrightest, ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF));
        }
        EXPECT_GT(dwBrightest, 300U); // the cloth sums to about 130
    }
}
} // namespace

namespace
{
/// The scene's cue object's tip.
CVector3 CueTip()
{
    CVector3 v;
    const CSceneObject* pCue = CSceneObject::FindSceneObjectByKind(0x2);
    EXPECT_NE(nullptr, pCue);
    if (pCue != nullptr)
        pCue->GetPosition(nullptr, v);
    return v;
}

/// Where a cue ball leaves when the stroke is made at the cue's aim (degrees), as the live engine
/// takes the stroke's direction (a quarter turn past the aim).
CVector3 StrikeDirection(float fAim)
{
    CBallEngineMain engine;
    engine.AddBall(0);
    engine.SetBallPosition(0, TABLE_WIDTH_M / 2, TABLE_LENGTH_M / 2);
    engine.StrikeBall(1.0f, (fAim + 90.0f) * std::numbers::pi_v<float> / 180.0f, 0.0f, 0.0f, 0.0f);
    return engine.FindBall(0)->GetVelocity();
}

TEST_F(FrameSceneTest, TheSceneCueStandsBehindTheCueBallAlongTheAim)
{
    CGameFlow& flow = Frame().GetGameFlow();
    flow.SelectCueBall(0);
    CVector3 vBall;
    ASSERT_TRUE(flow.GetBallScenePosition(0, vBall));
    const float fRadius = BALL_RADIUS_M / 0.0254f;
    for (const float fAim : {0.0f, 90.0f, 200.0f})
        for (const float fElevation : {5.0f, 40.0f})
            for (const float fPullBack : {2.0f, 12.0f})
            {
                SCOPED_TRACE(testing::Message() << fAim << " " << fElevation << " " << fPullBack);
                SCueStroke& cue = flow.Cue();
                cue.fAim = fAim;
                cue.fElevation = fElevation;
                cue.fPullBack = fPullBack;
                cue.fTipX = cue.fTipY = 0.0f;
                Frame().AlignCue();
                const CVector3 vBack = CueTip() - vBall;
                EXPECT_NEAR(vBack.Length(), fRadius + fPullBack, 1e-3);
                // The cue ball struck at this aim leaves the other way, and the cue is raised by its
                // elevation.
                const CVector3 vStrike = TableDirectionToScene(StrikeDirection(fAim)).GetNormalized();
                const CVector3 vBackFlat = CVector3(vBack.x, 0.0f, vBack.z).GetNormalized();
                EXPECT_NEAR(Vec3Dot(&vBackFlat, &vStrike), -1.0f, 1e-4);
                EXPECT_NEAR(vBack.y / vBack.Length(), std::sin(fElevation * std::numbers::pi_v<float> / 180.0f), 1e-4);
            }
}

TEST_F(FrameSceneTest, AResumedGameShowsTheCueAsItWasSaved)
{
    CGameFlow& flow = Frame().GetGameFlow();
    flow.Player1().SetLevel(0);
    flow.Player2().SetLevel(0);
    flow.SetCurrent(true);
    flow.SelectCueBall(0);
    flow.SetGameMode(modeAim);
    SCueStroke& cue = flow.Cue();
    auto setCue = [&](float fAim, float fElevation)
    {
        cue.fAim = fAim;
        cue.fElevation = cue.fRequestedElevation = fElevation;
        Frame().AlignCue();
        ASSERT_TRUE(Frame().OnFrame());
    };
    setCue(123.0f, 17.0f);
    const CVector3 vSavedTip = CueTip();
    auto* pCue = dynamic_cast<CSceneObjectC*>(CSceneObject::FindSceneObjectByKind(0x2));
    ASSERT_NE(nullptr, pCue);
    const float fSize = pCue->GetSize();
    const CString strFile(m_app.Folder().File("cue.sav"));
    CString strReason;
    ASSERT_TRUE(Frame().SaveGameTo(strFile, strReason)) << strReason.Str();

    setCue(33.0f, 5.0f); // played on: the cue turned and lowered
    ASSERT_GT((CueTip() - vSavedTip).Length(), 1.0f);

    ASSERT_TRUE(Frame().RestoreGame(strFile, strReason)) << strReason.Str();
    ASSERT_TRUE(Frame().OnFrame());
    EXPECT_FLOAT_EQ(123.0f, cue.fAim);
    EXPECT_FLOAT_EQ(17.0f, cue.fElevation);
    EXPECT_LT((CueTip() - vSavedTip).Length(), 1e-3f) << "the cue is drawn where it was";
    EXPECT_FLOAT_EQ(123.0f, pCue->m_fAfterA) << "the cue object holds the saved aim";
    EXPECT_FLOAT_EQ(17.0f, pCue->m_fA) << "and the saved elevation";
    EXPECT_FLOAT_EQ(fSize, pCue->GetSize()) << "its size, which no saved game holds, stays";
}

/// Straight pool between two people, set up: the balls laid after the break, the first of them the
/// cue ball, struck along -x towards the left side pocket, pulled back by fPower over the cue's
/// least and hit fTipY above its centre. Returns once the shot has been judged.
void StrikeInStraightPool(CMainFrame& frame, std::span<const SPlacedBall> balls, float fPower, float fTipY)
{
    LayTable(frame, balls, true, modeAim);
    CGameFlow& flow = frame.GetGameFlow();
    flow.GetReferee()->SetBreakMade(TRUE);
    flow.GetReferee()->SetFlags(REF_BREAK_MADE);
    CViewRecord view = flow.GetCurrentView();
    view.m_vCamera.x = view.m_vCue.x = 90.0f; // along -x
    flow.ApplyViewRecord(view);
    flow.Cue().fPullBack = flow.Cue().fMin + fPower;
    flow.Cue().fTipY = fTipY;
    flow.StrikeCueBall();
    ASSERT_TRUE(HasGameFlag(gmShotRunning));
    for (int i = 0; i < 3000 && HasGameFlag(gmShotRunning); ++i)
    {
        AdvanceTestClock(LIVE_FRAME_MS);
        ASSERT_TRUE(frame.OnFrame());
    }
    ASSERT_FALSE(HasGameFlag(gmShotRunning)) << "the shot was judged";
}

void SetUpStraightPool(CMainFrame& frame)
{
    g_Settings.m_nGameType = GAME_14_1;
    g_Settings.m_nCompetitionType = 1;
    ASSERT_TRUE(frame.SetupGame());
}

/// The cue ball before the left side pocket, struck softly into it; ball 1 on the head spot, from
/// where a cue ball is put back, and ball 2 on a spot of the rack.
void ScratchInStraightPool(CMainFrame& frame)
{
    SetUpStraightPool(frame);
    const CVector3 vHead = GetTableSpotA();
    const SRackSpot& rackSpot = g_PointList.GetSpots().at(3);
    const float fSide = TABLE_LENGTH_M / 2.0f;
    const SPlacedBall balls[] = {
        {0, 0.12f, fSide}, {1, vHead.x, vHead.z}, {2, static_cast<float>(rackSpot.x), static_cast<float>(rackSpot.y)}};
    StrikeInStraightPool(frame, balls, 2.0f, 0.0f);
}

CVector3 BallAt(int n)
{
    CVector3 v;
    EXPECT_TRUE(g_BallEngineMain.GetBallPosition(n, v, nullptr)) << "ball " << n;
    return CVector3(v.x, v.y, 0.0f);
}

TEST_F(FrameSceneTest, AScratchedCueBallGoesBackOnAFreePlaceAndTheRackSpotsFollowTheBalls)
{
    ScratchInStraightPool(Frame());
    const CVector3 vHead(GetTableSpotA().x, GetTableSpotA().z, 0.0f);
    const CVector3 vCue = BallAt(0);
    EXPECT_LT((vCue - vHead).Length(), 6.0f * BALL_RADIUS_M) << "the cue ball is back near its spot";
    for (const int n : {1, 2})
        EXPECT_GE((vCue - BallAt(n)).Length(), 2.0f * BALL_RADIUS_M - 1e-5f) << "clear of ball " << n;
    // The object-ball spots are taken exactly where a ball lies; the rack had taken them all.
    const std::vector<SRackSpot>& spots = g_PointList.GetSpots();
    for (std::size_t i = 1; i < spots.size(); ++i)
    {
        const CVector3 vSpot(static_cast<float>(spots[i].x), static_cast<float>(spots[i].y), 0.0f);
        const bool bUnderBall =
            (vSpot - BallAt(1)).Length() <= BALL_RADIUS_M || (vSpot - BallAt(2)).Length() <= BALL_RADIUS_M + 1e-5f;
        EXPECT_EQ(bUnderBall ? FALSE : TRUE, spots[i].bFree) << "spot " << i;
        EXPECT_GT((vSpot - vCue).Length(), spots[i].bFree ? 0.0f : BALL_RADIUS_M)
            << "the cue ball is not put on taken spot " << i;
    }
    EXPECT_FALSE(spots.at(3).bFree) << "ball 2 lies on spot 3";
}

TEST_F(FrameSceneTest, ABallPottedWithTheCueBallInStraightPoolComesBackTurnedAsARackSetsIt)
{
    // Ball 3 lies in the left side pocket's mouth; the cue ball, struck with follow, pots it and
    // follows it in: a foul, after which ball 3 is put back on the table turned as in a rack.
    SetUpStraightPool(Frame());
    const CVector3 vHead = GetTableSpotA();
    const float fSide = TABLE_LENGTH_M / 2.0f;
    const SPlacedBall balls[] = {{0, 0.40f, fSide}, {3, 0.05f, fSide}, {1, vHead.x, vHead.z}};
    StrikeInStraightPool(Frame(), balls, 4.0f, 40.0f);
    const CVector3 vHeadSpot(vHead.x, vHead.z, 0.0f);
    ASSERT_LT((BallAt(0) - vHeadSpot).Length(), 6.0f * BALL_RADIUS_M) << "the cue ball fell in and came back";
    ASSERT_NE(nullptr, Frame().GetGameFlow().Engine().FindBall(3)) << "ball 3 is back on the table";
    EXPECT_GT(BallAt(3).x, 0.05f) << "away from the pocket it fell into";
    EXPECT_TRUE(IsShownUpright(Frame(), 3));
    EXPECT_FALSE(IsShownUpright(Frame(), 1)) << "a ball that stayed keeps how it lay";
}

TEST_F(FrameSceneTest, AJudgedShotAndANewRackMarkTheScenesObjectOfNumber32Shown)
{
    auto* pObject = dynamic_cast<CSceneObjectB*>(CSceneObject::FindSceneObjectByKind(0x20));
    ASSERT_NE(nullptr, pObject);
    pObject->SetShown(false);
    ScratchInStraightPool(Frame());
    EXPECT_EQ(1, pObject->m_bShown) << "a judged shot";
    pObject->SetShown(false);
    Frame().GetGameFlow().AdvanceMatchOtherTypes(0);
    EXPECT_EQ(1, pObject->m_bShown) << "a new rack";
}

TEST_F(FrameSceneTest, OnlyACushionOrABallBehindTheCueBallBlocksTheSceneCue)
{
    CGameFlow& flow = Frame().GetGameFlow();
    // The cue ball and the one ball alone on the table; the cue points to +x behind the ball.
    for (int n = 2; n < 16; ++n)
        g_BallEngineMain.RemoveBall(n);
    flow.SetBallLists(0x3, 0);
    struct SCase
    {
        const char* szName;
        CVector3 vCueBall; // table points, metres
        CVector3 vOther;
        float fElevation;
        int nBlocked;
    };
    const float W = TABLE_WIDTH_M, L = TABLE_LENGTH_M, R = BALL_RADIUS_M;
    const SCase aCases[] = {
        {"open table", {W / 2, L / 2, R}, {W * 0.1f, L * 0.9f, R}, 5.0f, 0},
        {"a ball on the cue's line", {W / 2, L / 2, R}, {W / 2 + 0.15f, L / 2, R}, 5.0f, 1},
        {"the same ball under a steep cue", {W / 2, L / 2, R}, {W / 2 + 0.15f, L / 2, R}, 60.0f, 0},
        {"a ball beside the line", {W / 2, L / 2, R}, {W / 2 + 0.15f, L / 2 + 0.1f, R}, 5.0f, 0},
        {"the rail behind a ball at the cushion", {W - 0.04f, L / 2 + 0.3f, R}, {W * 0.1f, L * 0.9f, R}, 2.0f, 1},
        {"the rail cleared", {W - 0.04f, L / 2 + 0.3f, R}, {W * 0.1f, L * 0.9f, R}, 45.0f, 0},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        g_BallEngineMain.FindBall(0)->SetPosition(c.vCueBall);
        g_BallEngineMain.FindBall(1)->SetPosition(c.vOther);
        flow.SelectCueBall(0);
        SCueStroke& cue = flow.Cue();
        cue.fAim = 90.0f; // the stroke runs to -x: the cue lies towards +x
        cue.fElevation = 5.0f;
        cue.fTipX = 4.0f;
        cue.fTipY = -3.0f;
        Frame().AlignCue();
        const CVector3 vTip = CueTip();
        ICueScene* pScene = Frame().GetCueScene();
        ASSERT_NE(nullptr, pScene);
        EXPECT_EQ(c.nBlocked, IsCueObstructed(*pScene, 90.0f, c.fElevation, 0.0f, 0.0f));
        // The cue is put back as it was.
        EXPECT_EQ(cue.fElevation, 5.0f);
        EXPECT_EQ(cue.fTipX, 4.0f);
        EXPECT_EQ(cue.fTipY, -3.0f);
        EXPECT_LT((CueTip() - vTip).Length(), 1e-5f);
    }
}
} // namespace

namespace
{
TEST_F(FrameSceneTest, TheGamesStartBuildsTheSceneByKindInDrawingOrder)
{
    // The cue and the clock's object of their own classes, the clock handed to the animation.
    EXPECT_NE(nullptr, dynamic_cast<CSceneObjectC*>(CSceneObject::FindSceneObjectByKind(0x2)));
    EXPECT_NE(nullptr, dynamic_cast<CSceneObjectB*>(CSceneObject::FindSceneObjectByKind(0x20)));
    EXPECT_EQ(nullptr, dynamic_cast<CSceneObjectC*>(CSceneObject::FindSceneObjectByKind(0x1)));
    ASSERT_NE(nullptr, Frame().GetSceneAnimation().GetClock());
    EXPECT_EQ(Frame().GetTableScene().GetClock(), Frame().GetSceneAnimation().GetClock());
    EXPECT_GT(static_cast<const CSceneObjectC*>(CSceneObject::FindSceneObjectByKind(0x2))->m_vExtent.LengthSq(), 0.0f)
        << "the cue's extent is measured";
    // The global list holds the scene's objects in ascending drawing order.
    int nLast = -1000000, nSceneObjects = 0;
    for (const CSceneObject* p = CSceneObject::GetFirst(); p != nullptr; p = p->GetNext())
        if (std::ranges::any_of(Frame().GetTableScene().GetObjects(),
                                [p](const auto& pObject) { return pObject.get() == p; }))
        {
            EXPECT_LE(nLast, p->m_nParam8);
            nLast = p->m_nParam8;
            ++nSceneObjects;
        }
    EXPECT_EQ(static_cast<int>(Frame().GetTableScene().GetObjects().size()), nSceneObjects);
    EXPECT_GE(nSceneObjects, 10);
}

TEST_F(FrameSceneTest, ThePocketArrowIsMadeOnceHiddenUntilPlaced)
{
    EXPECT_EQ(nullptr, Frame().GetPocketArrow());
    const int nClips = CAviClipList::GetCount();
    CSceneObject* pArrow = Frame().AddPocketArrow();
    ASSERT_NE(nullptr, pArrow);
    EXPECT_EQ(pArrow, Frame().AddPocketArrow()) << "a second call finds the arrow made";
    EXPECT_EQ(pArrow, Frame().GetPocketArrow());
    EXPECT_LE(CAviClipList::GetCount(), nClips + 1) << "its clip is added once at most";
    EXPECT_EQ(0x200, pArrow->m_nId);
    EXPECT_EQ(1, pArrow->m_nLevel);
    EXPECT_EQ(220, pArrow->m_nAmbient);
    EXPECT_NE(nullptr, pArrow->GetFrame()) << "the game's library has the arrow's mesh";
    EXPECT_FALSE(pArrow->IsEnabled());
}
} // namespace

namespace
{
TEST_F(FrameSceneTest, TheBonusGameHasItsOwnFeltAndTheNextGameThePlayersColourBack)
{
    const int nPlayersColour = g_Settings.m_nTableColor;
    ASSERT_NE(0x707AB, nPlayersColour);
    // The felt's tint is the process's: later frames are drawn in the one they had.
    struct SClothScope
    {
        COLORREF crKept = g_crClothColor;
        ~SClothScope() { g_crClothColor = crKept; }
    } const cloth;
    struct SStep
    {
        int nGameType;
        int nColour;
        bool bReloaded;
    };
    const SStep aSteps[] = {{9, nPlayersColour, false},
                            {101, 0x707AB, true},
                            {101, 0x707AB, false},
                            {9, nPlayersColour, true},
                            {3, nPlayersColour, false}};
    for (const SStep& step : aSteps)
    {
        SCOPED_TRACE(step.nGameType);
        const TextureContainer* pFelt = FindTexture("felt.bmp");
        const COLORREF crBefore = g_crClothColor;
        g_Settings.m_nGameType = step.nGameType;
        ASSERT_TRUE(Frame().SetupGame());
        EXPECT_EQ(step.nColour, g_Settings.m_nTableColor);
        if (step.bReloaded)
        {
            EXPECT_EQ(static_cast<COLORREF>(step.nColour), g_crClothColor);
            EXPECT_NE(pFelt, FindTexture("felt.bmp")) << "the felt is made again in the colour";
        }
        else
        {
            EXPECT_EQ(crBefore, g_crClothColor);
            EXPECT_EQ(pFelt, FindTexture("felt.bmp"));
        }
    }
}
} // namespace

namespace
{
TEST_F(FrameSceneTest, TheStrokeIsAsLongAsTheScenesCueAndTheDetailLevelKeepsTheCueHidden)
{
    // The scene's cue, sized for the balls: a stroke 25 radii long, drawn back at least one radius.
    const float fRadius = BALL_RADIUS_M / 0.0254f;
    const std::vector<CSceneObjectC*> cues = Frame().SceneCues();
    ASSERT_EQ(1u, cues.size());
    EXPECT_FLOAT_EQ(fRadius, cues[0]->GetSize());
    const SCueStroke& stroke = Frame().GetGameFlow().Cue();
    EXPECT_FLOAT_EQ(25.0f * fRadius, stroke.fMax);
    EXPECT_FLOAT_EQ(fRadius, stroke.fMin);
    // The game's cue shows at every detail level; a scene may give it a level of its own. Below
    // the cue's level the cue is not drawn, whatever mode the game comes to; back at its level it
    // shows, but not while a shot runs.
    EXPECT_EQ(0, cues[0]->m_nLevel);
    cues[0]->m_nLevel = 1;
    struct SStep
    {
        int nDrawLevel;
        DWORD dwMode;
        bool bShown;
    };
    const SStep aSteps[] = {{0, 0, false}, {0, 0, false}, {255, 0, true}, {255, gmShotRunning, false}, {1, 0, true}};
    for (const SStep& step : aSteps)
    {
        SCOPED_TRACE(testing::Message() << step.nDrawLevel << " " << step.dwMode);
        const CSettings old = g_Settings;
        g_Settings.m_nDrawLevel = step.nDrawLevel;
        Frame().ApplySettingsChange(old);
        g_nGameMode = step.dwMode;
        Frame().RefreshCue(); // as each turn and shot does
        EXPECT_EQ(step.bShown, cues[0]->IsEnabled() != 0);
    }
    g_nGameMode = 0;
    cues[0]->m_nLevel = 0;
}

TEST_F(FrameSceneTest, EachLinkedPictureTakesItsPicturesProportions)
{
    int nPictures = 0;
    for (const auto& pObject : Frame().GetTableScene().GetObjects())
    {
        if (pObject->m_nLink < 0)
            continue;
        SCOPED_TRACE(pObject->m_strMesh);
        ++nPictures;
        const CLinkRec link = g_linkList.GetAt(pObject->m_nLink);
        const TextureContainer* pTexture = FindTexture(link.m_strPicture.GetString());
        ASSERT_NE(nullptr, pTexture) << link.m_strPicture.Str();
        BITMAP bm;
        ASSERT_NE(0, GetObject(pTexture->hbmBitmap, sizeof bm, &bm));
        // The mesh's span along the wall (x or z) over its height is the picture's width over its height.
        const CXFileObject* pMesh = pObject->GetFrame()->GetFirstMesh();
        ASSERT_NE(nullptr, pMesh);
        float aMin[3] = {1e9f, 1e9f, 1e9f}, aMax[3] = {-1e9f, -1e9f, -1e9f};
        for (const D3DVERTEX& v : pMesh->Vertices())
            for (int k = 0; k < 3; ++k)
            {
                const float f = k == 0 ? v.x : k == 1 ? v.y : v.z;
                aMin[k] = std::min(aMin[k], f);
                aMax[k] = std::max(aMax[k], f);
            }
        const float fWide = (aMax[0] - aMin[0]) + (aMax[2] - aMin[2]), fHigh = aMax[1] - aMin[1];
        ASSERT_GT(fHigh, 0.0f);
        EXPECT_NEAR(static_cast<double>(bm.bmWidth) / bm.bmHeight, fWide / fHigh, 0.02);
        EXPECT_NEAR(link.m_fCenterY, (aMin[1] + aMax[1]) / 2, 1e-3) << "it stays where the link's box is";
    }
    EXPECT_EQ(4, nPictures);
}
} // namespace
