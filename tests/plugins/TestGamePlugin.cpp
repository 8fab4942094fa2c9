// A rule plug-in for the tests. The build makes several forms of it from this one source: the
// name, the game type and which exports it has are given as compile definitions.
#include "simulation/BallEngine.h"
#include "simulation/GamePlugin.h"
#include "simulation/Referee.h"

#include <atomic>
#include <cmath>
#include <cstring>
#include <string>

namespace
{
/// The cue's aim angle (radians) that strikes from one table point towards another: the stroke
/// runs along (-sin, cos) of it.
float AimAt(const CVector3& vFrom, const CVector3& vTo) { return std::atan2(vFrom.x - vTo.x, vTo.y - vFrom.y); }

// The hostile form answers, beside its rules, values no game can take: the program must ignore them.
#ifdef TEST_PLUGIN_WITH_HOSTILE
constexpr bool HOSTILE = true;
#else
constexpr bool HOSTILE = false;
#endif

// The planner form asks the program's planner for the computer's shot instead of aiming itself: every
// other request keeps ball 1 out of the object balls as a money ball of kind 3, the others name none.
#ifdef TEST_PLUGIN_WITH_PLANNER
constexpr bool ASKS_PLANNER = true;
#else
constexpr bool ASKS_PLANNER = false;
#endif

// The one-shot form's every shot wins the rack, and one rack wins the match: a whole game in one
// stroke.
#ifdef TEST_PLUGIN_WITH_ONE_SHOT
constexpr bool ONE_SHOT = true;
#else
constexpr bool ONE_SHOT = false;
#endif

// Objects of this plug-in alive right now (games and referees); the tests read it through
// GetLiveObjectCount to see that releasing a game frees everything.
std::atomic<int> s_nLiveObjects{0};

class CTestReferee : public CReferee
{
public:
    CTestReferee() { ++s_nLiveObjects; }
    ~CTestReferee() override { --s_nLiveObjects; }
    /// The white ball and three object balls.
    void Init(int nGameType) override
    {
        CReferee::Init(nGameType);
        m_nBallCount = 4;
    }
    CTestReferee(const CTestReferee&) = delete;
    CTestReferee& operator=(const CTestReferee&) = delete;
};

class CTestGame : public CPluginGame
{
public:
    CTestGame() { ++s_nLiveObjects; }
    ~CTestGame() override { --s_nLiveObjects; }
    CTestGame(const CTestGame&) = delete;
    CTestGame& operator=(const CTestGame&) = delete;

    const std::uint8_t* GetPictureData(std::int32_t /*nId*/, std::uint32_t* pnSize) override
    {
        if (pnSize != nullptr)
            *pnSize = 0;
        return nullptr;
    }
    std::int32_t GetGameType() override { return TEST_PLUGIN_TYPE; }
    const char* GetTextureSetName(std::int32_t* pnFlag) override
    {
        if (pnFlag != nullptr)
            *pnFlag = 0;
        return TEST_PLUGIN_NAME;
    }
    void CreateReferees(CReferee** ppReferee, CReferee** ppShadow) override
    {
        *ppReferee = new CTestReferee;
        *ppShadow = new CTestReferee;
    }
    void ReleaseReferees(CReferee** ppReferee, CReferee** ppShadow) override
    {
        for (CReferee** pp : {ppReferee, ppShadow})
        {
            delete *pp;
            *pp = nullptr;
        }
    }
    const std::int32_t* GetRackBalls(std::int32_t /*nRack*/, std::int32_t* pnCount) override
    {
        // The white ball on its spot, then the three object balls (hostile: one twice, and a ball
        // the game does not have).
        static const std::int32_t s_anBalls[] = {0, 1, 2, 3};
        static const std::int32_t s_anHostile[] = {0, 1, 1, 9};
        *pnCount = 4;
        return HOSTILE ? s_anHostile : s_anBalls;
    }
    /// Straight at the lowest object ball on the table: the cue's aim angle from the white ball.
    void PlanShot(SPluginShotRequest* pRequest) override
    {
        if (ASKS_PLANNER)
        {
            pRequest->bEvaluation = 1;
            pRequest->nMoneyBallKind3 = (++m_nPlans % 2) == 1 ? 1 : -1;
            return;
        }
        // Hostile: every other aim is no number.
        if (HOSTILE && (++m_nPlans % 2) == 0)
        {
            pRequest->bPlanned = 1;
            pRequest->fAimAngle = std::nanf("");
            return;
        }
        CVector3 vCue, vBall;
        if (pRequest->pEngine == nullptr || !pRequest->pEngine->GetBallPosition(0, vCue, nullptr))
            return;
        for (int n = 1; n <= RACK_BALLS; ++n)
            if (pRequest->pEngine->GetBallPosition(n, vBall, nullptr))
            {
                pRequest->bPlanned = 1;
                pRequest->fAimAngle = AimAt(vCue, vBall);
                return;
            }
    }
    /// Ball 1 (the planner form: any ball, the money ball aside).
    std::int32_t GetTargetBall() override { return HOSTILE ? 99 : ASKS_PLANNER ? -1 : 1; }
    void FillStepBlock(SPluginStepBlock* /*pBlock*/) override {}
    void AssignGroups(SPluginGroups* pGroups) override
    {
        if (HOSTILE)
            *pGroups = SPluginGroups{pGroups->pReferee, 7, -5, 1};
    }
    // The rules: each object ball pocketed scores a point; the white ball in a pocket is a foul
    // that puts it back and gives the other player the ball in hand; a shot that pockets nothing
    // passes the turn; the player who pockets the third object ball of the rack wins it, and two
    // racks win the match (one in practice, or the points needed).
    void FillShotOutcome(CShotOutcome* pOutcome) override
    {
        FillRulesOutcome(pOutcome);
        if (ONE_SHOT)
        {
            pOutcome->bShooterWon = 1;
            pOutcome->bTurnPasses = pOutcome->bBallInHand = 0;
            pOutcome->dwPutBack = pOutcome->dwShownPutBack = 0;
        }
        if (HOSTILE)
        {
            // A ball to strike the game does not have, and balls beyond its count put back.
            pOutcome->nNextCueBall = 77;
            pOutcome->dwPutBack |= 0xfff0;
            pOutcome->dwShownPutBack |= 0xfff0;
        }
    }
    std::uint8_t ShotOutcomeDone(CShotOutcome* /*pOutcome*/) override { return 0; }
    void DecideRack(CShotOutcome* pRack) override
    {
        ++pRack->nShooterGames;
        pRack->bMatchOver = pRack->nShooterGames >= MATCH_RACKS ? 1 : 0;
    }
    void DecidePracticeRack(CShotOutcome* pRack) override
    {
        ++pRack->nShooterPoints;
        pRack->bMatchOver = pRack->nShooterPoints >= pRack->nPointsNeeded ? 1 : 0;
    }
    /// A dark plate 150 pixels wide with the name and the points where a score panel has its texts, and the
    /// player's first object ball.
    void PaintScorePanel(SPluginScorePanel* pPanel) override
    {
        pPanel->nBall = pPanel->nPlayer + 1;
        if (pPanel->nWidth < PANEL_WIDTH)
        {
            pPanel->nNeedWidth = PANEL_WIDTH;
            pPanel->nNeedHeight = pPanel->nHeight;
            return;
        }
        if (pPanel->bRepaint == 0)
            return;
        pPanel->pfnFill(pPanel->pCanvas, nullptr, PANEL_COLOUR);
        const std::string strPoints = std::to_string(pPanel->nPoints);
        pPanel->pfnDrawText(pPanel->pCanvas, pPanel->szName, &pPanel->rcLeft, TEXT_COLOUR,
                            PLUGIN_TEXT_RIGHT | PLUGIN_TEXT_VCENTRE);
        pPanel->pfnDrawText(pPanel->pCanvas, strPoints.c_str(), &pPanel->rcRight, TEXT_COLOUR,
                            PLUGIN_TEXT_CENTRE | PLUGIN_TEXT_VCENTRE);
    }

private:
    static constexpr int RACK_BALLS = 3;
    static constexpr int MATCH_RACKS = ONE_SHOT ? 1 : 2;
    static constexpr std::int32_t PANEL_WIDTH = 150;
    static constexpr std::uint32_t PANEL_COLOUR = 0x203040;
    static constexpr std::uint32_t TEXT_COLOUR = 0xF0F0F0;

    void FillRulesOutcome(CShotOutcome* pOutcome)
    {
        CReferee& referee = *pOutcome->pReferee;
        int nNow = 0;
        int nDown = 0;
        for (int n = 1; n < referee.GetBallCount(); ++n)
        {
            nNow += referee.IsPocketedNow(n) && !referee.WasPocketedBefore(n) ? 1 : 0;
            nDown += referee.IsOnTable(n) ? 0 : 1;
        }
        pOutcome->nNextCueBall = 0;
        if (referee.IsPocketedNow(0))
        {
            ++pOutcome->nShooterFouls;
            pOutcome->dwPutBack = pOutcome->dwShownPutBack = 1;
            pOutcome->bBallInHand = 1;
            pOutcome->bTurnPasses = 1;
            return;
        }
        pOutcome->nShooterPoints += nNow;
        pOutcome->bTurnPasses = nNow == 0 ? 1 : 0;
        pOutcome->bShooterWon = nDown >= RACK_BALLS ? 1 : 0;
    }

    int m_nPlans = 0;
};
} // namespace

#ifdef TEST_PLUGIN_RESOURCES
// The resource library image that respack made, embedded as it is.
asm(".section .rodata\n"
    ".balign 4\n"
    ".globl test_plugin_resources\n"
    ".hidden test_plugin_resources\n"
    ".globl test_plugin_resources_end\n"
    ".hidden test_plugin_resources_end\n"
    "test_plugin_resources:\n"
    ".incbin \"" TEST_PLUGIN_RESOURCES "\"\n"
    "test_plugin_resources_end:\n"
    ".previous\n");
extern "C" __attribute__((visibility("hidden"))) const BYTE test_plugin_resources[];
extern "C" __attribute__((visibility("hidden"))) const BYTE test_plugin_resources_end[];
#endif

extern "C"
{
    int GetLiveObjectCount() { return s_nLiveObjects; }

#ifdef TEST_PLUGIN_WITH_TYPE
    std::int32_t GetGameType(char* szName, std::uint32_t nNameSize, std::uint8_t* pbFlag)
    {
        std::strncpy(szName, TEST_PLUGIN_NAME, nNameSize);
        *pbFlag = 7;
        return TEST_PLUGIN_TYPE;
    }
#endif

#ifdef TEST_PLUGIN_WITH_CREATE
    void CreateGame(CPluginGame** ppGame, std::uint32_t nInterfaceVersion)
    {
        *ppGame = nInterfaceVersion == GAME_PLUGIN_INTERFACE_VERSION ? new CTestGame : nullptr;
    }
#endif

#ifdef TEST_PLUGIN_WITH_PICTURE
    std::int32_t GetPictureID(std::int32_t /*n*/) { return 500; }
#endif

#ifdef TEST_PLUGIN_RESOURCES
    const BYTE* GetResources(DWORD* pnSize)
    {
        *pnSize = static_cast<DWORD>(test_plugin_resources_end - test_plugin_resources);
        return test_plugin_resources;
    }
#endif
}
