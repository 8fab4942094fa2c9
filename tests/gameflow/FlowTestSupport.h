// A game flow on a live engine of its own, with a host that records what the flow asked for.
#pragma once

#include "tests/platform/TempFolder.h"

#include "gameflow/GameFlow.h"
#include "platform/win32/CrtRandom.h"
#include "platform/win32/Files.h"
#include "simulation/BallEngine.h"
#include "simulation/GamePlugins.h"
#include "simulation/PhysicsCoefficients.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

class CRecordingHost : public IFlowHost
{
public:
    void ShowText(const char* szText, int nMs) override
    {
        m_Texts.push_back(std::string(szText) + "@" + std::to_string(nMs));
    }
    void ShowStringText(UINT nId, int nMs) override
    {
        m_Texts.push_back("#" + std::to_string(nId) + "@" + std::to_string(nMs));
    }
    std::string LoadFlowString(UINT nId) override { return "#" + std::to_string(nId); }
    void ClearTexts() override { m_Texts.push_back("clear"); }
    void SaveSettings() override { ++m_nSaves; }
    void PlayCueSound(int nSlot) override { m_CueSounds.push_back(nSlot); }
    void PlayShotEvent(int nKind, int nLevel, const CVector3&) override { m_Events.push_back(nKind * 100 + nLevel); }
    void StartPocketEffect(int nBall, int nPocket) override { m_PocketEffects.emplace_back(nBall, nPocket); }
    void CopyBallsToAimingAid() override { ++m_nAidCopies; }
    void ShowMatchResult(const char* szWinner, bool bHumanWon) override
    {
        m_Dialogs.push_back(std::string(bHumanWon ? "won: " : "lost: ") + szWinner);
    }
    void ShowMatchWon(const char* szName) override { m_Dialogs.push_back(std::string("match won: ") + szName); }

    std::vector<std::string> m_Texts;
    int m_nSaves = 0;
    std::vector<int> m_CueSounds;
    std::vector<int> m_Events;
    std::vector<std::pair<int, int>> m_PocketEffects; // ball, pocket
    int m_nAidCopies = 0;
    std::vector<std::string> m_Dialogs; ///< the end-of-match dialogs in the order shown
};

/// A reading per tick: keys and the right button stay held, the rest happens once.
class CScriptInput : public IFlowInput
{
public:
    void Read(SFlowInput& in) override
    {
        in = m_Next;
        m_Next.nPressedKey = 0;
        m_Next.nMouseX = m_Next.nMouseY = 0;
        m_Next.bLeftReleased = m_Next.bRightReleased = m_Next.bRightDoubleClick = false;
    }
    SFlowInput m_Next;
};

/// The handlers are the flow's own steps; the tests call them one at a time.
class CTestFlow : public CGameFlow
{
public:
    using CGameFlow::CGameFlow;
    using CGameFlow::Outcome14_1;
    using CGameFlow::Outcome8Ball;
    using CGameFlow::Outcome9Ball;
    using CGameFlow::OutcomeAmerican;
    using CGameFlow::OutcomeBase;
    using CGameFlow::OutcomePyramid;
};

class CFlowTest : public testing::Test
{
protected:
    void SetUp() override
    {
        g_nGameMode = 0;
        g_nPrevGameMode = 0;
        g_PhysicsCoefficients.Reset();
        CrtSrand(1);
    }
    void TearDown() override
    {
        g_nGameMode = 0;
        g_nPrevGameMode = 0;
    }

    /// A fresh rack of the game type, player 1 to shoot.
    void Start(int nGameType)
    {
        m_Flow.CreateReferee(nGameType);
        m_Flow.StartNewRack(0);
        m_Flow.SetCurrent(true);
    }
    /// The referee's verdict as a judgement would leave it.
    void Verdict(WORD wFlags, WORD wPocketedNow, int nScore = 0)
    {
        CReferee& ref = *m_Flow.GetReferee();
        ref.ClearFlags(0xffff);
        ref.SetFlags(wFlags);
        ref.GetBallTable()->SetPocketedNowMask(
            static_cast<WORD>(ref.GetBallTable()->GetPocketedBeforeMask() | wPocketedNow));
        ref.SetShotScore(nScore);
        for (int n = 0; n < 16; ++n)
            if ((wPocketedNow & (1u << n)) != 0)
                m_Engine.RemoveBall(n);
        m_Flow.SetBallLists(static_cast<WORD>(m_Flow.GetOnTableMask() & ~wPocketedNow),
                            static_cast<WORD>(m_Flow.GetPocketedMask() | wPocketedNow));
    }
    /// Progress messages posted so far.
    std::vector<SFlowMessage> Progress()
    {
        std::vector<SFlowMessage> out;
        for (const SFlowMessage& msg : m_Host.PostedMessages())
            if (msg.nMsg == FLOW_MSG_MATCH_PROGRESS)
                out.push_back(msg);
        return out;
    }

    CBallEngineMain m_Engine;
    CRecordingHost m_Host;
    CTestFlow m_Flow{m_Engine, nullptr, m_Host};
};

/// A form of the test plug-in (by default "TestGame", game type 42) beside a program in a folder of
/// its own, found by a scan, for one test's length.
class CTestPluginScope
{
public:
    explicit CTestPluginScope(const std::string& strForm = "TestGame")
    {
        OverrideProgramFilePath(m_folder.File("Vorn"));
        std::filesystem::copy_file(std::string(VORN_TEST_PLUGIN_DIR) + strForm + ".gam", m_folder.File("test.gam"));
        m_bScanned = m_Plugins.Scan() != FALSE;
    }
    ~CTestPluginScope() { OverrideProgramFilePath(""); }
    CTestPluginScope(const CTestPluginScope&) = delete;
    CTestPluginScope& operator=(const CTestPluginScope&) = delete;

    CGamePlugins& Plugins() { return m_Plugins; }
    bool IsScanned() const { return m_bScanned; }

private:
    CTempFolder m_folder;
    CGamePlugins m_Plugins;
    bool m_bScanned = false;
};
