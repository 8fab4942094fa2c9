// Whole games, computer against computer, without a window, with the table checked after every shot.
#include "tests/fixtures/HeadlessGame.h"

#include "tests/gameflow/FlowTestSupport.h"
#include "tests/platform/TempFolder.h"

#include "foundation/Folders.h"
#include "platform/win32/Files.h"
#include "platform/win32/Profile.h"
#include "render/TableSpace.h"
#include "simulation/Ball.h"
#include "simulation/GamePlugins.h"
#include "simulation/PhysicsCoefficients.h"
#include "simulation/PhysicsConstants.h"

#include <algorithm>
#include <array>
#include <bit>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
constexpr int TICK_CAP = 400000;

class CHeadlessGameTest : public testing::Test
{
protected:
    void SetUp() override { g_PhysicsCoefficients.Reset(); }
    void TearDown() override
    {
        g_nGameMode = 0;
        g_nPrevGameMode = 0;
    }

    /// The table after a shot: each ball once, the lists agree with the engine and the referee, and
    /// no ball rests off the table.
    void CheckTable()
    {
        SCOPED_TRACE("after shot " + std::to_string(m_nChecked + 1));
        CGameFlow& flow = m_pGame->Flow();
        const CReferee& ref = *flow.GetReferee();
        const int nBalls = ref.GetBallCount();
        const WORD wOn = flow.GetOnTableMask();
        const WORD wDown = flow.GetPocketedMask();
        EXPECT_EQ(wOn & wDown, 0);
        EXPECT_EQ(std::popcount(static_cast<unsigned>(wOn | wDown)), nBalls);
        EXPECT_EQ(m_pGame->Engine().GetBallCount(), std::popcount(static_cast<unsigned>(wOn)));
        EXPECT_FALSE(HasGameFlag(gmShotRunning));
        for (int n = 0; n < nBalls; ++n)
        {
            SCOPED_TRACE(n);
            const CBall* pBall = m_pGame->Engine().FindBall(n);
            const bool bOn = (wOn & (1u << n)) != 0;
            EXPECT_EQ(pBall != nullptr, bOn);
            EXPECT_EQ(bOn, !ref.IsPocketedNow(n) && !ref.WasPocketedBefore(n));
            if (pBall != nullptr)
            {
                EXPECT_GT(pBall->GetPosition()->z, -0.1);
            }
            // No two resting balls overlap (by more than a hundredth of a millimetre).
            for (int k = n + 1; pBall != nullptr && k < nBalls; ++k)
                if (const CBall* pOther = m_pGame->Engine().FindBall(k); pOther != nullptr)
                {
                    EXPECT_GE((*pBall->GetPosition() - *pOther->GetPosition()).Length(), 2.0f * BALL_RADIUS_M - 1e-5f)
                        << "balls " << n << " and " << k;
                }
        }
        CheckBallObjects(wOn, wDown);
        ++m_nChecked;
    }

    /// The ball objects: the drawn ones are the balls on the table, placed where the engine has
    /// them, the pocketed ones keep the order they dropped in, and every other number is hidden.
    void CheckBallObjects(WORD wOn, WORD wDown)
    {
        CBallObjects& objects = m_pGame->Flow().BallObjects();
        WORD wDrawn = 0;
        for (const CBallSceneObject* pObject : objects.Drawn())
        {
            const int n = pObject->m_nBall;
            EXPECT_EQ(pObject, &objects.Get(n)) << "lists refer to the one object of each ball";
            wDrawn |= static_cast<WORD>(1u << n);
            const CVector3 vScene = TableToScene(*m_pGame->Engine().FindBall(n)->GetPosition());
            EXPECT_LT((objects.GetPose(n).vCentre - vScene).Length(), 1e-4f) << n;
        }
        std::vector<int> pocketed;
        for (const CBallSceneObject* pObject : objects.Pocketed())
            pocketed.push_back(pObject->m_nBall);
        WORD wListed = 0;
        for (const int n : pocketed)
            wListed |= static_cast<WORD>(1u << n);
        EXPECT_EQ(wDrawn, wOn);
        EXPECT_EQ(wListed, wDown);
        EXPECT_EQ(objects.Pocketed().size() + objects.Drawn().size() + objects.Hidden().size(), 16u);
        for (const int n : objects.Hidden())
            EXPECT_EQ(((wOn | wDown) >> n) & 1u, 0u) << n;
        // Within a rack the balls pocketed before stay first, in their order.
        if (pocketed.size() >= m_LastPocketed.size() &&
            std::equal(m_LastPocketed.begin(), m_LastPocketed.end(), pocketed.begin()))
            ++m_nOrderKept;
        else
            EXPECT_LT(std::popcount(static_cast<unsigned>(wDown)), static_cast<int>(m_LastPocketed.size()))
                << "only a new rack or a put-back changes the order";
        m_LastPocketed = pocketed;
    }

    CHeadlessGame m_Game;
    CHeadlessGame* m_pGame = &m_Game; ///< the game the table checks look at
    int m_nChecked = 0;
    std::vector<int> m_LastPocketed;
    int m_nOrderKept = 0;
};

TEST_F(CHeadlessGameTest, EveryGameTypeReachesItsEndWithTheTableInOrderAfterEachShot)
{
    for (const int nType :
         {GAME_8BALL, GAME_9BALL, GAME_3BALL, GAME_DEMO, GAME_BASE, GAME_PYRAMID, GAME_AMERICAN, GAME_14_1, GAME_BONUS})
    {
        SCOPED_TRACE(nType);
        m_nChecked = 0;
        const CHeadlessGame::SResult result = m_Game.Play(nType, 7, TICK_CAP, [this] { CheckTable(); });
        EXPECT_TRUE(result.bOver) << result.nShots << " shots";
        EXPECT_EQ(result.nUnexpected, 0);
        EXPECT_TRUE(result.bBreakMade);
        EXPECT_EQ(m_nChecked, result.nShots - 1) << "every shot but the last one checked";
        EXPECT_GT(m_nOrderKept, 0);
        m_LastPocketed.clear();
    }
}

TEST_F(CHeadlessGameTest, ARulePluginsGameIsJudgedByThePluginToItsEnd)
{
    CTestPluginScope scope;
    ASSERT_TRUE(scope.IsScanned());
    CGamePlugins& plugins = scope.Plugins();
    {
        CHeadlessGame game(&plugins);
        m_pGame = &game;
        const CHeadlessGame::SResult result = game.Play(42, 7, TICK_CAP, [this] { CheckTable(); });
        m_pGame = &m_Game;
        ASSERT_NE(plugins.GetGame(), nullptr);
        EXPECT_TRUE(result.bOver) << result.nShots << " shots";
        EXPECT_EQ(result.nUnexpected, 0);
        EXPECT_EQ(m_nChecked, result.nShots - 1);
        // The plug-in's rules: each ball a point, two racks of three balls win the match (the
        // rack that ends it is not counted any more).
        CGameFlow& flow = game.Flow();
        EXPECT_EQ(flow.Player1().GetGames() + flow.Player2().GetGames(), 1);
        EXPECT_GE(flow.Player1().GetPoints() + flow.Player2().GetPoints(), 3);
        EXPECT_GT(flow.Player1().GetFouls() + flow.Player2().GetFouls(), 0) << "the white ball went down";
    }
}

TEST_F(CHeadlessGameTest, AHostilePlugInsValuesAreIgnoredAndItsGameIsPlayedToItsEnd)
{
    // Beside its rules the plug-in answers a rack naming a ball twice and a ball the game lacks,
    // every other aim no number, a target and a next ball to strike the game does not have, groups
    // out of range and balls beyond the game's count put back.
    CTestPluginScope scope("TestHostile");
    ASSERT_TRUE(scope.IsScanned());
    CHeadlessGame game(&scope.Plugins());
    m_pGame = &game;
    const CHeadlessGame::SResult result = game.Play(44, 7, TICK_CAP, [this] { CheckTable(); });
    m_pGame = &m_Game;
    EXPECT_TRUE(result.bOver) << result.nShots << " shots";
    EXPECT_EQ(result.nUnexpected, 0);
    EXPECT_EQ(m_nChecked, result.nShots - 1);
    CGameFlow& flow = game.Flow();
    EXPECT_TRUE(flow.Player1().HasNoGroup());
    EXPECT_TRUE(flow.Player2().HasNoGroup());
    EXPECT_EQ(flow.GetReferee()->GetCueBall(), 0);
    EXPECT_EQ(flow.GetTargetBall(), -1) << "a target the game does not have is none";
    EXPECT_GE(flow.Player1().GetGames() + flow.Player2().GetGames(), 1) << "a rack was won";
}

/// The aiming aid as the frame keeps it: an engine of its own that copies the live balls at each
/// strike, before the shot begins.
class CAimingAidHost : public IFlowHost
{
public:
    void CopyBallsToAimingAid() override
    {
        ++m_nCopies;
        m_bLiveAtRest = m_bLiveAtRest && m_pLive->AllBallsStopped();
        std::array<CVector3, 16> aBefore{};
        for (int n = 0; n < 16; ++n)
            m_pLive->GetBallPosition(n, aBefore[static_cast<std::size_t>(n)], nullptr);
        // The aid's worker is not started here: the copy the frame's aid makes once it has parked.
        m_Aid.CopyBallsFrom(*m_pLive);
        for (int n = 0; n < 16; ++n)
        {
            CVector3 vLive, vAid;
            const bool bLive = m_pLive->GetBallPosition(n, vLive, nullptr) != FALSE;
            const bool bAid = m_Aid.GetBallPosition(n, vAid, nullptr) != FALSE;
            m_bSame = m_bSame && bLive == bAid && (!bLive || (vLive - vAid).Length() == 0.0f);
            m_bLiveKept = m_bLiveKept && (!bLive || (vLive - aBefore[static_cast<std::size_t>(n)]).Length() == 0.0f);
        }
    }

    CBallEngine* m_pLive = nullptr;
    CBallEngine m_Aid;
    int m_nCopies = 0;
    bool m_bLiveAtRest = true;
    bool m_bSame = true;
    bool m_bLiveKept = true;
};

TEST_F(CHeadlessGameTest, WithTheAimingAidOnEachStrikeCopiesTheRestingTableAndTheGameEnds)
{
    CAimingAidHost host;
    CHeadlessGame game(nullptr, &host);
    host.m_pLive = &game.Engine();
    game.Flow().Settings().nAimingAid = 1;
    game.Flow().Settings().nBallPath1 = 1;
    m_pGame = &game;
    m_nChecked = 0;
    const CHeadlessGame::SResult with = game.Play(GAME_8BALL, 7, TICK_CAP, [this] { CheckTable(); });
    m_pGame = &m_Game;
    EXPECT_TRUE(with.bOver);
    EXPECT_EQ(m_nChecked, with.nShots - 1);
    EXPECT_EQ(host.m_nCopies, with.nShots) << "one copy at each strike";
    EXPECT_TRUE(host.m_bLiveAtRest) << "the copy is taken before the shot begins";
    EXPECT_TRUE(host.m_bSame) << "the aid holds the live table's balls where they lie";
    EXPECT_TRUE(host.m_bLiveKept) << "the copy moves no live ball";
}

TEST_F(CHeadlessGameTest, EightBallShowsScratchesWithBallInHandAndAmericanPutsBallsBack)
{
    EXPECT_GT(m_Game.Play(GAME_8BALL, 7, TICK_CAP).nScratches, 0);
    // Two people, who always strike the white ball: the computer in American picks whichever ball
    // its planner strikes best and seldom sends one back.
    EXPECT_GT(m_Game.Play(GAME_AMERICAN, 7, TICK_CAP, {}, true).nPutBacks, 0);
}

TEST_F(CHeadlessGameTest, TheSameSeedPlaysTheSameGame)
{
    const CHeadlessGame::SResult a = m_Game.Play(GAME_9BALL, 3, TICK_CAP);
    const CHeadlessGame::SResult b = m_Game.Play(GAME_9BALL, 3, TICK_CAP);
    EXPECT_EQ(a.nTicks, b.nTicks);
    EXPECT_EQ(a.nShots, b.nShots);
}
} // namespace

namespace
{
TEST_F(CHeadlessGameTest, BothPlayersStatisticsAreWrittenWithTheLongestStreak)
{
    CTempFolder temp;
    OverrideProgramFilePath(temp.File("Vorn"));
    ASSERT_EQ(temp.Folder(), FindDataFolder().Str());
    m_Game.Flow().Player1().GetStats().Load("Ann");
    m_Game.Flow().Player2().GetStats().Load("Bob");
    EXPECT_TRUE(m_Game.Play(GAME_8BALL, 7, TICK_CAP).bOver);
    for (const char* szFile : {"Ann.ini", "Bob.ini"})
    {
        SCOPED_TRACE(szFile);
        // 8-ball keeps its statistics in section "1".
        const UINT nLongest = GetPrivateProfileInt("1", "m_nLongestStreak", -1, temp.File(szFile).c_str());
        EXPECT_GE(static_cast<int>(nLongest), 1);
    }
    OverrideProgramFilePath("");
    FindDataFolder();
}
} // namespace

namespace
{
TEST_F(CHeadlessGameTest, TwoPeoplePassTheTurnAsTheRulesSayAndPracticeKeepsPlayerOne)
{
    // After each shot, struck through the keys: a foul gives the other person ball in hand;
    // practice keeps player 1.
    bool bPlayer1Before = true;
    int nFoulsSeen = 0;
    auto check = [&](bool bPractice)
    {
        CGameFlow& flow = m_pGame->Flow();
        const CReferee& ref = *flow.GetReferee();
        // Up held until the cue is drawn back a quarter of its range, then Enter: half the full
        // swing's speed.
        EXPECT_NEAR(flow.GetLastStroke().fSpeed, flow.Settings().nHitVelocity * 0.5f, 0.1f);
        if (bPractice)
            EXPECT_TRUE(flow.IsPlayer1Current());
        else if (ref.HasFoul())
        {
            ++nFoulsSeen;
            EXPECT_NE(flow.IsPlayer1Current(), bPlayer1Before);
            EXPECT_EQ(flow.GetFlightEndMode(), modeBallInHand);
        }
        bPlayer1Before = flow.IsPlayer1Current();
    };
    // Games of fixed seeds until one shows a foul.
    for (unsigned nSeed = 1; nSeed <= 8 && nFoulsSeen == 0; ++nSeed)
    {
        SCOPED_TRACE(nSeed);
        const CHeadlessGame::SResult game = m_Game.Play(
            GAME_9BALL, nSeed, TICK_CAP, [&] { check(false); }, true);
        EXPECT_TRUE(game.bOver);
        EXPECT_EQ(game.nUnexpected, 0);
    }
    EXPECT_GT(nFoulsSeen, 0);

    m_Game.Flow().Settings().nCompetitionType = 0;
    const CHeadlessGame::SResult practice = m_Game.Play(
        GAME_8BALL, 11, TICK_CAP, [&] { check(true); }, true);
    m_Game.Flow().Settings().nCompetitionType = 1;
    EXPECT_TRUE(practice.bOver);
}
} // namespace
