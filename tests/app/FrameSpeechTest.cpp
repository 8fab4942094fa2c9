#include "tests/app/AppFolder.h"
#include "tests/app/FrameScope.h"

#include "foundation/Settings.h"
#include "gameflow/GameFlow.h"
#include "media/Speech.h"
#include "platform/mfc/AfxResource.h"
#include "platform/win32/Modules.h"
#include "ui/TextMessages.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace
{
// A rule's written comment reaches the on-screen messages only through the frame's link, and only
// while the frame lives; written text is shown for the speech type that asks for it alone.
TEST(FrameSpeechTest, WrittenCommentsBecomeMessagesWhileTheFrameLives)
{
    const CSettings saved = g_Settings;
    g_Speech.SetCommentaryForTest(TRUE);
    const RECT rcArea{0, 0, 640, 100};
    struct SCase
    {
        const char* szName;
        bool bFrame;
        int nSpeechType;
        const char* szShown; // null: nothing is shown
    };
    const SCase aCases[] = {
        {"written text with the frame", true, 10, "Nice cut"},
        {"spoken comments show no text", true, 0, nullptr},
        {"written text without a frame", false, 10, nullptr},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        const CAppFolder app;
        app.AddArtworkLibrary();
        std::unique_ptr<CFrameScope> pFrame;
        if (c.bFrame)
        {
            pFrame = std::make_unique<CFrameScope>(true);
            ASSERT_TRUE(pFrame->m_bCreated);
        }
        g_Settings.m_nSpeechMode = 2; // after the frame, which reads the settings file
        g_Settings.m_nSpeechType = c.nSpeechType;
        g_TextMessages.Clear();
        CSpeechRule rule;
        rule.m_strText = "Nice cut";
        rule.m_strSound = "nice.wav";
        g_Speech.SayRuleComment(&rule, 0, 0);
        if (c.szShown == nullptr)
        {
            EXPECT_EQ(nullptr, g_TextMessages.GetHeadText());
            continue;
        }
        ASSERT_NE(nullptr, g_TextMessages.GetHeadText());
        EXPECT_STREQ(c.szShown, g_TextMessages.GetHeadText());
        g_TextMessages.Update(50000, rcArea, 0);
        g_TextMessages.Update(51999, rcArea, 0);
        EXPECT_FALSE(g_TextMessages.IsEmpty()) << "shown for 2000 ms";
        g_TextMessages.Update(52000, rcArea, 0);
        EXPECT_TRUE(g_TextMessages.IsEmpty());
    }
    g_Speech.SetCommentaryForTest(FALSE);
    g_Settings = saved;
}

TEST(FrameSpeechTest, TheMessagesTalkToTheSpeechObjectOnlyWhileTheFrameLives)
{
    const CAppFolder app;
    app.AddArtworkLibrary();
    {
        CFrameScope frame(true);
        ASSERT_TRUE(frame.m_bCreated);
        ASSERT_NE(nullptr, g_TextMessages.GetSpeech());
        EXPECT_EQ(g_Speech.GetRuleTextSink(), dynamic_cast<IRuleTextSink*>(g_TextMessages.GetSpeech()))
            << "one link both ways";
        // Starting and clearing messages with a phrase goes through the link without harm.
        g_TextMessages.AddText("Use the mouse", "USEMOUSE.WAV", MESSAGE_FOREVER, 1);
        g_TextMessages.Update(1000, RECT{0, 0, 640, 100}, 0);
        g_TextMessages.Clear();
    }
    EXPECT_EQ(nullptr, g_TextMessages.GetSpeech());
    EXPECT_EQ(nullptr, g_Speech.GetRuleTextSink());
}
// The flow's texts by string number: a string the program has is shown for its time, one it
// lacks shows nothing; clearing drops what is shown and waiting; the mode hint takes its string.
TEST(FrameSpeechTest, StringTextsAndModeHintsComeFromTheProgramsStrings)
{
    const CAppFolder app;
    app.AddArtworkLibrary();
    // The texts come from the program's library, as after start-up.
    struct SResources
    {
        explicit SResources(const std::string& strPath) : hModule(LoadLibrary(strPath.c_str()))
        {
            AfxSetResourceHandle(hModule);
        }
        ~SResources()
        {
            AfxSetResourceHandle(nullptr);
            FreeLibrary(hModule);
        }
        HMODULE hModule;
    } resources(app.Folder().File("Imagery.dll"));
    CFrameScope frame(true);
    ASSERT_TRUE(frame.m_bCreated);
    const RECT rcArea{0, 0, 640, 100};
    g_TextMessages.Clear();
    frame.m_pFrame->ShowStringText(21613, 4000);
    frame.m_pFrame->ShowStringText(29999, 4000); // no such string
    ASSERT_NE(nullptr, g_TextMessages.GetHeadText());
    EXPECT_STREQ("Foul! No ball was hit.", g_TextMessages.GetHeadText());
    g_TextMessages.Update(10000, rcArea, 0);
    g_TextMessages.Update(13999, rcArea, 0);
    EXPECT_FALSE(g_TextMessages.IsEmpty());
    g_TextMessages.Update(14000, rcArea, 0);
    EXPECT_TRUE(g_TextMessages.IsEmpty()) << "nothing queued for the missing string";

    // The mode's help comes from the same strings, with two blanks after it.
    frame.m_pFrame->GetGameFlow().SetGameMode(modeElevation);
    EXPECT_STREQ("Raise or lower the cue.  ", frame.m_pFrame->GetModeHint().GetString());
    frame.m_pFrame->GetGameFlow().SetGameMode(modeStrikeNow);
    EXPECT_STREQ("", frame.m_pFrame->GetModeHint().GetString());
    g_nGameMode = 0;

    frame.m_pFrame->ShowText("one", 2000);
    frame.m_pFrame->ShowText("two", 2000);
    frame.m_pFrame->ClearTexts();
    EXPECT_TRUE(g_TextMessages.IsEmpty());
}
} // namespace
