#include "ui/MessageDlg.h"

#include "DialogDriver.h"
#include "DialogLibrary.h"

#include "foundation/ErrorBox.h"
#include "platform/mfc/AfxResource.h"
#include "platform/win32/KeyState.h"
#include "platform/win32/MessageBox.h"
#include "platform/win32/Modules.h"
#include "platform/win32/ResourceLibrary.h"
#include "render/Environment3D.h"

#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
const char* const LABEL_TEMPLATE = "dialog 0 0 160 100\nfont 8 \"MS Sans Serif\"\n"
                                   "control static 1134 10 10 100 20 \"\"\n"
                                   "control ownerbutton 1 10 60 40 14 \"OK\" tabstop\n";
const char* const TWO_BUTTON_TEMPLATE = "dialog 0 0 160 100\nfont 8 \"MS Sans Serif\"\n"
                                        "control ownerbutton 1 10 60 40 14 \"OK\" tabstop\n"
                                        "control ownerbutton 2 60 60 40 14 \"Cancel\" tabstop\n";
const char* const EXIT_TEMPLATE = "dialog 0 0 160 100\nfont 8 \"MS Sans Serif\"\n"
                                  "control ownerbutton 1 10 60 40 14 \"OK\" tabstop\n"
                                  "control ownerbutton 2 60 60 40 14 \"Cancel\" tabstop\n"
                                  "control ownerbutton 4 110 60 40 14 \"Back\" tabstop\n";

void Play(std::vector<std::function<void()>> aSteps) { CDialogDriver::Play(std::move(aSteps)); }

void Next() { CDialogDriver::Next(); }

void Key(int nKey)
{
    ASSERT_NE(nullptr, CMessageDlg::GetOpen());
    CDialogDriver::Key(*CMessageDlg::GetOpen(), nKey);
}

void ClickControl(int nID)
{
    ASSERT_NE(nullptr, CMessageDlg::GetOpen());
    CDialogDriver::ClickControl(*CMessageDlg::GetOpen(), nID);
}

RECT ControlRect(int nID) { return CDialogDriver::ControlRect(*CMessageDlg::GetOpen(), nID); }

class MessageDlgTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_library.AddTemplate(294, LABEL_TEMPLATE);
        m_library.AddTemplate(298, LABEL_TEMPLATE);
        m_library.AddTemplate(296, TWO_BUTTON_TEMPLATE);
        m_library.AddTemplate(299, TWO_BUTTON_TEMPLATE);
        m_library.AddTemplate(65535, EXIT_TEMPLATE);
        for (int nBackground : {324, 326, 651, 919})
            m_library.AddPicture(nBackground, 320, 200, 20, 40, 120);
        for (int nButton : {306, 307, 314, 315, 316, 317, 487, 488, 489, 490, 645, 646, 647, 648, 649, 650})
            m_library.AddPicture(nButton, 40, 20, 200, 160, 40);
        m_library.Load();
    }
    void TearDown() override { SetErrorBoxHandler(nullptr); }

    CDialogLibrary m_library;
};

TEST_F(MessageDlgTest, TheErrorBoxShowsItsTextWrappedAndCutToFitWithTheModalModeOn)
{
    InstallErrorBoxDialog();
    const std::string strLong = "The file C:\\Games\\Vorn\\Data\\tables.dat could not be read because it is damaged, "
                                "so the game cannot start until it is installed again from the original disc.";
    CString strShown;
    bool bModal = false;
    RECT rcOk{};
    Play({[&]
          {
              ASSERT_NE(nullptr, CMessageDlg::GetOpen());
              auto* pError = dynamic_cast<CErrorDlg*>(CMessageDlg::GetOpen());
              ASSERT_NE(nullptr, pError);
              strShown = pError->m_label.GetText();
              bModal = g_bModalMode != FALSE;
              rcOk = ControlRect(IDOK);
              EXPECT_EQ(RGB(255, 255, 255), pError->m_label.GetTextColor());
              EXPECT_EQ(-14, pError->m_label.GetLogFont().lfHeight);
              EXPECT_EQ(700, pError->m_label.GetLogFont().lfWeight);
              Key(VK_RETURN);
          }});
    ShowErrorBoxText(strLong.c_str());
    EXPECT_EQ(nullptr, CMessageDlg::GetOpen());
    EXPECT_TRUE(bModal);
    EXPECT_FALSE(g_bModalMode);
    EXPECT_EQ(64, rcOk.left);
    EXPECT_EQ(150, rcOk.top);
    const std::string strCut = strShown.GetString();
    ASSERT_GT(strCut.size(), 3u);
    EXPECT_EQ("...", strCut.substr(strCut.size() - 3));
    EXPECT_EQ(0u, strLong.find(strCut.substr(0, strCut.size() - 3))) << strCut; // the beginning is kept
    EXPECT_LT(strCut.size(), strLong.size());

    // A long path keeps its beginning and the file it names, with the ellipsis between.
    const std::string strPath = "Can't load C:\\Program Files\\Common Files\\Vorn Games\\Shared Libraries\\"
                                "Version 2\\Artwork\\Imagery\\Textures\\Tables\\Felts\\Green\\"
                                "Felt.bmp";
    Play({[&]
          {
              strShown = dynamic_cast<CErrorDlg*>(CMessageDlg::GetOpen())->m_label.GetText();
              Key(VK_ESCAPE);
          }});
    ShowErrorBoxText(strPath.c_str());
    const std::string strFitted = strShown.GetString();
    const std::size_t nEllipsis = strFitted.find("...\\Felt.bmp");
    ASSERT_NE(std::string::npos, nEllipsis) << strFitted;
    EXPECT_EQ(nEllipsis + 12, strFitted.size()) << strFitted;
    EXPECT_GT(nEllipsis, 10u) << strFitted;
    EXPECT_EQ(0u, strPath.find(strFitted.substr(0, nEllipsis))) << strFitted;

    // A short text is shown whole.
    Play({[&]
          {
              strShown = dynamic_cast<CErrorDlg*>(CMessageDlg::GetOpen())->m_label.GetText();
              Key(VK_ESCAPE);
          }});
    ShowErrorBoxText("Out of memory.");
    EXPECT_EQ("Out of memory.", std::string(strShown.GetString()));
}

TEST_F(MessageDlgTest, AnErrorBoxWithoutItsTemplateFallsBackToAPlainBox)
{
    AfxSetResourceHandle(nullptr);
    std::vector<std::string> aTexts;
    SetMessageBoxHandler(
        [&](const SMessageBoxRequest& request)
        {
            aTexts.push_back(request.strText);
            return IDOK;
        });
    InstallErrorBoxDialog();
    ShowErrorBoxText("Cannot read tables.dat.");
    SetMessageBoxHandler(nullptr);
    EXPECT_EQ((std::vector<std::string>{"Cannot read tables.dat."}), aTexts);
}

TEST_F(MessageDlgTest, ResultsOfEachDialogAndTheExitChoicesThirdButton)
{
    struct SCase
    {
        const char* szName;
        std::function<INT_PTR()> fnRun;
        std::function<void()> fnUser;
        INT_PTR nResult;
    };
    const SCase aCases[] = {
        {"sure: yes", [] { return CMsgSureDlg(nullptr, 919).DoModal(); }, [] { ClickControl(IDOK); }, IDOK},
        {"new game: no", [] { return CMsgNewGameDlg(nullptr, 919).DoModal(); }, [] { ClickControl(IDCANCEL); },
         IDCANCEL},
        {"lost: escape", [] { return CMsgLostDlg(nullptr).DoModal(); }, [] { Key(VK_ESCAPE); }, IDCANCEL},
        {"exit: third button", [] { return CMsgExitDlg(nullptr).DoModal(); }, [] { ClickControl(4); }, 4},
        {"exit: OK", [] { return CMsgExitDlg(nullptr).DoModal(); }, [] { ClickControl(IDOK); }, IDOK},
        {"text: enter", [] { return CMsgTextDlg("Game over", nullptr, 919).DoModal(); }, [] { Key(VK_RETURN); }, IDOK},
        // The card's OK button is hidden: Enter does nothing, Escape closes it.
        {"card: enter then escape", [] { return CMsgDlg299(nullptr, 919).DoModal(); },
         []
         {
             Key(VK_RETURN);
             Key(VK_ESCAPE);
         },
         IDCANCEL},
        {"close: missing template", [] { return CMsgCloseDlg(nullptr).DoModal(); }, [] {}, -1},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        Play({c.fnUser});
        EXPECT_EQ(c.nResult, c.fnRun());
        EXPECT_EQ(nullptr, CMessageDlg::GetOpen());
    }
}

TEST_F(MessageDlgTest, ButtonsAndLabelsTakeTheirPlaces)
{
    RECT rcOk{};
    RECT rcCancel{};
    bool bOkVisible = true;
    bool bLabelVisible = true;
    Play({[&]
          {
              rcOk = ControlRect(IDOK);
              rcCancel = ControlRect(IDCANCEL);
              Key(VK_ESCAPE);
          }});
    CMsgSureDlg(nullptr, 919).DoModal();
    EXPECT_EQ(64, rcOk.left);
    EXPECT_EQ(150, rcOk.top);
    EXPECT_EQ(203, rcCancel.left);
    EXPECT_EQ(40, rcOk.right - rcOk.left); // sized to its image
    EXPECT_EQ(20, rcOk.bottom - rcOk.top);

    Play({[&]
          {
              bOkVisible = ::IsWindowVisible(CMessageDlg::GetOpen()->GetDlgItem(IDOK)) != FALSE;
              rcCancel = ControlRect(IDCANCEL);
              Key(VK_ESCAPE);
          }});
    CMsgDlg299(nullptr, 919).DoModal();
    EXPECT_FALSE(bOkVisible);
    EXPECT_EQ(256, rcCancel.left);
    EXPECT_EQ(457, rcCancel.top);

    Play({[&]
          {
              bLabelVisible = ::IsWindowVisible(CMessageDlg::GetOpen()->GetDlgItem(IDC_MESSAGE_LABEL)) != FALSE;
              Key(VK_ESCAPE);
          }});
    CMsgTextDlg(nullptr, nullptr, 919).DoModal();
    EXPECT_FALSE(bLabelVisible);
}

TEST_F(MessageDlgTest, TheOpenDialogPointerNestsAndTheWindowTakesThePicturesSize)
{
    CMessageDlg* pOuter = nullptr;
    CMessageDlg* pInner = nullptr;
    CMessageDlg* pAfterInner = nullptr;
    RECT rcOuter{};
    Play({[&]
          {
              pOuter = CMessageDlg::GetOpen();
              pOuter->GetWindowRect(&rcOuter);
              Next();
              CMsgLostDlg(pOuter).DoModal(); // the inner box runs inside the outer's loop
              pAfterInner = CMessageDlg::GetOpen();
              Key(VK_ESCAPE);
          },
          [&]
          {
              pInner = CMessageDlg::GetOpen();
              Key(VK_ESCAPE);
          }});
    CMsgSureDlg outer(nullptr, 919);
    EXPECT_EQ(IDCANCEL, outer.DoModal());
    EXPECT_EQ(&outer, pOuter);
    EXPECT_NE(nullptr, pInner);
    EXPECT_NE(pOuter, pInner);
    EXPECT_EQ(pOuter, pAfterInner);
    EXPECT_EQ(nullptr, CMessageDlg::GetOpen());
    EXPECT_EQ(320, rcOuter.right - rcOuter.left);
    EXPECT_EQ(200, rcOuter.bottom - rcOuter.top);
}
} // namespace
