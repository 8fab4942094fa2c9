// The start-up question, the physics coefficients and the match won, opened as the game opens them.
#include "GameDialogFixture.h"
#include "StoredWarning.h"

#include "foundation/Settings.h"
#include "platform/EnvScope.h"
#include "platform/TempFolder.h"
#include "platform/win32/Registry.h"
#include "simulation/PhysicsCoefficients.h"
#include "ui/SmallDialogs.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <string>
#include <vector>

namespace
{
using Driver = CDialogDriver;

class GameSmallDialogsTest : public CGameDialogFixture
{
protected:
    void TearDown() override
    {
        SetMessageBoxHandler(nullptr);
        CGameDialogFixture::TearDown();
    }

    CTempFolder m_folder;
    CEnvScope m_config{"XDG_CONFIG_HOME", m_folder.Path().c_str()};
    CLiveSettingsScope m_settings{m_folder};
};

TEST_F(GameSmallDialogsTest, TheStartUpQuestionStoresItsBoxOnOkAndOnCancel)
{
    struct SCase
    {
        const char* szName;
        bool bTick;
        int nCloseKey;
        INT_PTR nResult;
        long nStored;
    };
    const SCase aCases[] = {
        {"ticked, then Escape", true, VK_ESCAPE, IDCANCEL, 1},
        {"not ticked, then Enter", false, VK_RETURN, IDOK, 0},
        {"ticked, then Enter", true, VK_RETURN, IDOK, 1},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CWaitOpponentDlg dlg(nullptr);
        Driver::Play({[&]
                      {
                          if (c.bTick)
                              Driver::ClickControl(dlg, IDC_WAIT_DO_NOT_ASK);
                      },
                      [&]
                      {
                          SaveWindowPng(
                              dlg.m_hWnd,
                              (std::filesystem::path(VORN_TEST_OUTPUT_DIR) / "WaitOpponentDialog.png").string());
                          // The box's label is written dark on the light face, as the question is.
                          int nWidth = 0;
                          int nHeight = 0;
                          const std::vector<DWORD>& aPixels = dlg.GetSurfacePixels(&nWidth, &nHeight);
                          const RECT rc = Driver::ControlRect(dlg, IDC_WAIT_DO_NOT_ASK);
                          int nDark = 0;
                          for (LONG y = std::max<LONG>(rc.top, 0); y < std::min<LONG>(rc.bottom, nHeight); ++y)
                              for (LONG x = std::max<LONG>(rc.left + 16, 0); x < std::min<LONG>(rc.right, nWidth); ++x)
                                  nDark += (aPixels[static_cast<std::size_t>(y * nWidth + x)] & 0xC0C0C0) == 0 ? 1 : 0;
                          EXPECT_GT(nDark, 20) << "the label is readable";
                          Driver::Key(dlg, c.nCloseKey);
                      }},
                     true);
        EXPECT_EQ(c.nResult, dlg.DoModal());
        EXPECT_EQ(c.nStored, StoredWarning());
    }
    // A scripted answer is taken without showing the question, and nothing is stored.
    RegDeleteKey(HKEY_LOCAL_MACHINE, "Software\\Tamberlin\\Vorn");
    SetMessageBoxAnswerSource([](UINT) -> std::optional<int> { return IDCANCEL; });
    EXPECT_EQ(IDCANCEL, CWaitOpponentDlg(nullptr).DoModal());
    SetMessageBoxAnswerSource(nullptr);
    EXPECT_EQ(-1, StoredWarning());
}

TEST_F(GameSmallDialogsTest, StartUpAsksWithTheLibrarysDialogOrElseAMessageBox)
{
    std::vector<std::string> aBoxes;
    SetMessageBoxHandler(
        [&](const SMessageBoxRequest& request)
        {
            aBoxes.push_back(request.strText);
            return IDCANCEL;
        });
    const HINSTANCE hBefore = AfxGetResourceHandle();
    // The library is opened for the question alone: its dialog is the one shown.
    CDialog* pShown = nullptr;
    Driver::Play({[&]
                  {
                      pShown = dynamic_cast<CDialog*>(CWnd::FromHandle(FindWindow("VornDialog", nullptr)));
                      ASSERT_NE(nullptr, pShown);
                      Driver::ClickControl(*pShown, IDC_WAIT_DO_NOT_ASK);
                  },
                  [&] { Driver::Key(*pShown, VK_RETURN); }},
                 true);
    EXPECT_EQ(IDOK, AskToEndWaitingGame(CString(VORN_GAME_DIR) + "/VornRes.dll"));
    EXPECT_EQ(1, StoredWarning());
    EXPECT_EQ(hBefore, AfxGetResourceHandle());
    EXPECT_TRUE(aBoxes.empty());
    // Without the library the question is still asked, as a message box.
    EXPECT_EQ(IDCANCEL, AskToEndWaitingGame(m_folder.File("missing.dll").c_str()));
    ASSERT_EQ(1u, aBoxes.size());
    EXPECT_NE(std::string::npos, aBoxes[0].find("A game is waiting for an opponent")) << aBoxes[0];
    EXPECT_EQ(hBefore, AfxGetResourceHandle());
}

TEST_F(GameSmallDialogsTest, PhysicsValuesAreTakenAsFloatsAndWhatIsNoFloatOrNotPhysicalKeepsTheDialogOpen)
{
    const CPhysicsCoefficientsScope restore;
    std::vector<std::string> aRefusals;
    SetMessageBoxHandler(
        [&](const SMessageBoxRequest& request)
        {
            aRefusals.push_back(request.strText);
            return IDOK;
        });
    using D = SPhysicsCoefficients;
    struct SCase
    {
        int nId;
        std::atomic<float> D::*pCoefficient;
        const char* szTyped;
        const char* szRefusal; ///< null when the value is taken
    };
    constexpr const char* NO_NUMBER = "Please enter a number.";
    const SCase aCases[] = {
        {1003, &D::accelRollDeceler, "0.1234567891234", nullptr},
        {1003, &D::accelRollDeceler, "2.5e-1", nullptr},
        {1003, &D::accelRollDeceler, "abc", NO_NUMBER},
        {1003, &D::accelRollDeceler, "1e39", NO_NUMBER},
        {1003, &D::accelRollDeceler, "inf", NO_NUMBER},
        {1003, &D::accelRollDeceler, "nan", NO_NUMBER},
        {1003, &D::accelRollDeceler, "", NO_NUMBER},
        // A cloth that never stops a ball, a cushion that speeds it up, spin that never ends.
        {1003, &D::accelRollDeceler, "-3.4e38", "Please enter a number between 0.05 and 1."},
        {1043, &D::Decay, "5", "Please enter a number between 0 and 0.9."},
        {1043, &D::Decay, "0.9", nullptr},
        {1005, &D::SideSpinDeceleration, "0", "Please enter a number between 1 and 100."},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(testing::Message() << c.nId << " " << c.szTyped);
        g_PhysicsCoefficients.Reset();
        aRefusals.clear();
        const float fBefore = Coef(g_PhysicsCoefficients.*c.pCoefficient);
        CPhysicsDlg dlg(&m_game);
        CString strShown;
        bool bStillOpen = false;
        Driver::Play({[&]
                      {
                          strShown = dlg.GetDlgItemText(1003);
                          dlg.SetDlgItemText(c.nId, c.szTyped);
                          dlg.SetDlgItemText(1045, "0.55");
                          Shot("PhysicsDialog");
                          Driver::Key(dlg, VK_RETURN);
                      },
                      [&]
                      {
                          bStillOpen = true;
                          Driver::Key(dlg, VK_ESCAPE);
                      }},
                     true);
        const INT_PTR nResult = dlg.DoModal();
        EXPECT_EQ("0.15", std::string(strShown.GetString())) << "the live value is shown";
        if (c.szRefusal == nullptr)
        {
            EXPECT_EQ(IDOK, nResult);
            EXPECT_EQ(static_cast<float>(std::stod(c.szTyped)), Coef(g_PhysicsCoefficients.*c.pCoefficient));
            EXPECT_EQ(0.55f, Coef(g_PhysicsCoefficients.SideSpinInfluence));
            EXPECT_TRUE(aRefusals.empty());
        }
        else
        {
            EXPECT_EQ(IDCANCEL, nResult);
            EXPECT_TRUE(bStillOpen);
            EXPECT_EQ(std::vector<std::string>{c.szRefusal}, aRefusals);
            EXPECT_EQ(fBefore, Coef(g_PhysicsCoefficients.*c.pCoefficient));
            EXPECT_EQ(DEFAULT_SIDE_SPIN_INFLUENCE, Coef(g_PhysicsCoefficients.SideSpinInfluence))
                << "nothing is written back";
        }
    }
}

TEST_F(GameSmallDialogsTest, TheMatchWonNamesTheWinnerCentredOverTheGame)
{
    struct SCase
    {
        const char* szWinner;
        int nCloseKey;
        INT_PTR nResult;
        bool bSaved;
    };
    const std::string strLong(120, 'W');
    const SCase aCases[] = {{"Bob", VK_RETURN, IDOK, true}, {strLong.c_str(), VK_ESCAPE, IDCANCEL, false}};
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szWinner);
        std::filesystem::remove(m_folder.File("Vorn.ini"));
        CMatchWonDlg dlg(&m_game);
        dlg.SetWinnerText(c.szWinner);
        RECT rcWindow{};
        RECT rcLabel{};
        CString strLabel;
        Driver::Play({[&]
                      {
                          dlg.GetWindowRect(&rcWindow);
                          rcLabel = Driver::ControlRect(dlg, IDC_MATCH_WON_LABEL);
                          strLabel = dlg.GetDlgItemText(IDC_MATCH_WON_LABEL);
                          Shot("MatchWonDialog");
                          Driver::Key(dlg, c.nCloseKey);
                      }},
                     true);
        EXPECT_EQ(c.nResult, dlg.DoModal());
        EXPECT_EQ(std::string(c.szWinner) + " has won the match!", strLabel.GetString());
        EXPECT_EQ(490, rcWindow.right - rcWindow.left);
        EXPECT_EQ(193, rcWindow.bottom - rcWindow.top);
        EXPECT_EQ((RECT{0, 74, 490, 104}), rcLabel) << "one line, clipped by the label";
        RECT rcGame;
        ::GetWindowRect(m_hGame, &rcGame);
        EXPECT_EQ((rcGame.left + rcGame.right) / 2, (rcWindow.left + rcWindow.right) / 2);
        EXPECT_EQ(c.bSaved, std::filesystem::exists(m_folder.File("Vorn.ini"))) << "OK saves the settings";
    }
}
} // namespace
