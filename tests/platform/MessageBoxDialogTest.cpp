// The toolkit's message box: what it answers to keys and clicks, the order in which the script's
// answers, the toolkit and the display's own box are asked, and its layout.
#include "platform/mfc/MessageBoxDialog.h"

#include "platform/win32/KeyState.h"
#include "platform/win32/MessageBox.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
std::vector<std::function<void()>> s_aSteps;
UINT_PTR s_nStepTimer = 0; // the thread timer that runs the next step, 0 when none is set

void RunNextStep(HWND, UINT, UINT_PTR nId, DWORD);

/// The next step runs from the box's own loop once it is open.
void ScheduleNextStep()
{
    if (!s_aSteps.empty())
        s_nStepTimer = SetTimer(nullptr, 0, 1, &RunNextStep);
}

void RunNextStep(HWND, UINT, UINT_PTR nId, DWORD)
{
    KillTimer(nullptr, nId);
    s_nStepTimer = 0;
    if (s_aSteps.empty())
        return;
    const std::function<void()> fnStep = s_aSteps.front();
    s_aSteps.erase(s_aSteps.begin());
    fnStep();
    ScheduleNextStep();
}

/// The box open now: the parent of the focused button.
HWND OpenBox() { return GetParent(GetFocus()); }

void Key(int nKey) { ::PostMessage(OpenBox(), WM_KEYDOWN, static_cast<WPARAM>(nKey), 0); }

void Click(int nID)
{
    const HWND hBox = OpenBox();
    auto* pBox = dynamic_cast<CDialog*>(CWnd::FromHandle(hBox));
    ASSERT_NE(nullptr, pBox);
    RECT rc;
    ::GetWindowRect(pBox->GetDlgItem(nID), &rc);
    const LPARAM lParam = MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    ::PostMessage(hBox, WM_LBUTTONDOWN, MK_LBUTTON, lParam);
    ::PostMessage(hBox, WM_LBUTTONUP, 0, lParam);
}

class MessageBoxDialogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        WNDCLASS wc;
        wc.lpfnWndProc = &DefWindowProc;
        wc.lpszClassName = "BoxTestOwner";
        RegisterClass(&wc);
        m_hOwner = CreateWindowEx(0, "BoxTestOwner", "Owner", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480, nullptr, nullptr,
                                  nullptr, nullptr);
        InstallToolkitMessageBoxes();
    }
    void TearDown() override
    {
        SetToolkitMessageBox(nullptr);
        SetMessageBoxAnswerSource(nullptr);
        SetMessageBoxHandler(nullptr);
        DestroyWindow(m_hOwner);
        s_aSteps.clear();
        // A box answered without its loop leaves its step timer set: later tests on this thread
        // must not see it.
        if (s_nStepTimer != 0)
            KillTimer(nullptr, s_nStepTimer);
        s_nStepTimer = 0;
    }

    int Ask(UINT uType, std::vector<std::function<void()>> aSteps)
    {
        s_aSteps = std::move(aSteps);
        ScheduleNextStep();
        return ::MessageBox(m_hOwner, "Do you really want to quit?", "Vorn", uType);
    }

    HWND m_hOwner = nullptr;
};

TEST_F(MessageBoxDialogTest, KeysAndClicksAnswerWithTheButtonsOfTheType)
{
    struct SCase
    {
        const char* szName;
        UINT uType;
        std::vector<std::function<void()>> aSteps;
        int nAnswer;
    };
    const SCase aCases[] = {
        {"OK: Enter", MB_OK, {[] { Key(VK_RETURN); }}, IDOK},
        {"OK: Escape is OK", MB_OK, {[] { Key(VK_ESCAPE); }}, IDOK},
        {"OK/Cancel: Escape", MB_OKCANCEL, {[] { Key(VK_ESCAPE); }}, IDCANCEL},
        {"yes/no: Escape does nothing, then Enter", MB_YESNO, {[] { Key(VK_ESCAPE); }, [] { Key(VK_RETURN); }}, IDYES},
        {"yes/no/cancel, second default: Enter", MB_YESNOCANCEL | MB_DEFBUTTON2, {[] { Key(VK_RETURN); }}, IDNO},
        {"yes/no: a click on No", MB_YESNO, {[] { Click(IDNO); }}, IDNO},
        {"retry/cancel: Tab then Space", MB_RETRYCANCEL, {[] { Key(VK_TAB); }, [] { Key(VK_SPACE); }}, IDCANCEL},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        EXPECT_EQ(c.nAnswer, Ask(c.uType, c.aSteps));
        EXPECT_TRUE(IsWindowEnabled(m_hOwner)) << "the owner is enabled again";
    }
}

TEST_F(MessageBoxDialogTest, TheScriptAnswersFirstAndTheDisplaysBoxComesOnlyWithoutAWindow)
{
    std::vector<int> aScripted{IDNO};
    SetMessageBoxAnswerSource(
        [&](UINT) -> std::optional<int>
        {
            if (aScripted.empty())
                return std::nullopt;
            const int nAnswer = aScripted.front();
            aScripted.erase(aScripted.begin());
            return nAnswer;
        });
    int nDisplayBoxes = 0;
    SetMessageBoxHandler(
        [&](const SMessageBoxRequest& request)
        {
            ++nDisplayBoxes;
            return MessageBoxDefaultButton(request.uType);
        });
    EXPECT_EQ(IDNO, Ask(MB_YESNO, {})) << "the scripted answer, nothing shown";
    EXPECT_EQ(IDYES, Ask(MB_YESNO, {[] { Key(VK_RETURN); }})) << "the toolkit's box over the window";
    EXPECT_EQ(0, nDisplayBoxes);
    DestroyWindow(m_hOwner);
    m_hOwner = nullptr;
    EXPECT_EQ(IDOK, ::MessageBox(nullptr, "No window yet.", "Vorn", MB_OK));
    EXPECT_EQ(1, nDisplayBoxes) << "before any window the display's own box";
}

TEST_F(MessageBoxDialogTest, LongTextsWrapAboveACentredRowOfButtons)
{
    SMessageBoxRequest request;
    request.strCaption = "Vorn";
    request.uType = MB_YESNOCANCEL;
    request.strText = "Short.";
    const SDialogTemplate shortBox = MakeMessageBoxTemplate(request);
    request.strText = std::string(40, 'x') + " The scene description could not be read, or it is of the wrong "
                                             "version, so the table cannot be shown until it is installed again.";
    const SDialogTemplate longBox = MakeMessageBoxTemplate(request);
    for (const SDialogTemplate* pBox : {&shortBox, &longBox})
    {
        ASSERT_EQ(4u, pBox->aControls.size());
        const RECT& rcText = pBox->aControls[0].rcUnits;
        const RECT& rcFirst = pBox->aControls[1].rcUnits;
        const RECT& rcLast = pBox->aControls[3].rcUnits;
        EXPECT_LE(rcText.bottom, rcFirst.top) << "the text above the buttons";
        EXPECT_NEAR(rcFirst.left, pBox->rcUnits.right - rcLast.right, 1) << "the row is centred";
        EXPECT_EQ(EDialogControl::DefaultButton, pBox->aControls[1].eKind);
        EXPECT_EQ(IDCANCEL, pBox->aControls[3].nId);
    }
    EXPECT_GT(longBox.aControls[0].rcUnits.bottom - longBox.aControls[0].rcUnits.top,
              2 * (shortBox.aControls[0].rcUnits.bottom - shortBox.aControls[0].rcUnits.top))
        << "the long text wraps onto several lines";
    EXPECT_GT(longBox.rcUnits.right, shortBox.rcUnits.right);
}
} // namespace
