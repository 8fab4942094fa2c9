// A rule plug-in for the tests. The build makes several forms of it from this one source: the
// name, the game type and which exports it has are given as compile definitions.
#include "simulation/GamePlugin.h"
#include "simulation/Referee.h"

#include <atomic>
#include <cstring>

namespace
{
// Objects of this plug-in alive right now (games and referees); the tests read it through
// GetLiveObjectCount to see that releasing a game frees everything.
std::atomic<int> s_nLiveObjects{0};

class CTestReferee : public CReferee
{
public:
    CTestReferee() { ++s_nLiveObjects; }
    ~CTestReferee() override { --s_nLiveObjects; }
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
        static const std::int32_t s_anBalls[] = {1, 2, 3};
        *pnCount = 3;
        return s_anBalls;
    }
    void PlanShot(SPluginShotRequest* pRequest) override
    {
        pRequest->bPlanned = 1;
        pRequest->fAimAngle = 1.5f;
    }
    std::int32_t GetTargetBall() override { return 1; }
    void FillStepBlock(SPluginStepBlock* /*pBlock*/) override {}
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
