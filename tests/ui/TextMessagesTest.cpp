#include "ui/TextMessages.h"

#include "platform/dx/Surface.h"
#include "platform/dx/SurfacePng.h"
#include "ui/PanelFont.h"

#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
/// Records what the messages ask of the speech object.
class CFakeSpeech : public ITextMessageSpeech
{
public:
    void SayText(const CString& strName) override { said.push_back(strName.Str()); }
    void ClearQueue() override { ++nCleared; }
    std::vector<std::string> said;
    int nCleared = 0;
};

const RECT AREA{0, 0, 812, 570};

std::string Head(const CTextMessages& q) { return q.GetHeadText() != nullptr ? q.GetHeadText() : "(none)"; }
} // namespace

class TextMessagesTest : public ::testing::Test
{
protected:
    void SetUp() override { m_q.SetSpeech(&m_speech); }
    CTextMessages m_q;
    CFakeSpeech m_speech;
};

TEST_F(TextMessagesTest, PlaceholdersGiveWayOnlyToMessagesWithText)
{
    m_q.AddText("A", nullptr, 2000, 0);
    m_q.AddText("", nullptr, 2000, 0);
    m_q.AddText("B", "B.WAV", 2000, 0);
    m_q.Update(1000, AREA, 0);
    EXPECT_EQ("A", Head(m_q));
    m_q.Update(2999, AREA, 0);
    EXPECT_EQ("A", Head(m_q));
    m_q.Update(3000, AREA, 0);
    EXPECT_EQ("B", Head(m_q)); // the placeholder between them is gone
    EXPECT_EQ((std::vector<std::string>{"", "B.WAV"}), m_speech.said);
    m_q.Update(5000, AREA, 0);
    EXPECT_TRUE(m_q.IsEmpty());
    EXPECT_EQ(0u, m_q.GetStartTime());

    // Two placeholders and nothing else both stay and take their turns.
    m_q.AddText("", nullptr, 10, 0);
    m_q.AddText("", nullptr, 10, 0);
    m_q.Update(6000, AREA, 0);
    m_q.Update(6010, AREA, 0);
    EXPECT_FALSE(m_q.IsEmpty());
    m_q.Update(6020, AREA, 0);
    EXPECT_TRUE(m_q.IsEmpty());
}

TEST_F(TextMessagesTest, DroppingAStartedPlaceholderLetsTheNewMessageStartAfresh)
{
    // Symptom: the new message inherited the placeholder's start time, never started (no speech,
    // no area) and vanished at once when the placeholder had been shown long enough.
    m_q.AddText("", nullptr, 2000, 0);
    m_q.Update(1000, AREA, 0);
    EXPECT_EQ(1000u, m_q.GetStartTime());
    m_q.AddText("Call The Shot", "CALL.WAV", 2000, 0);
    EXPECT_EQ(0u, m_q.GetStartTime());
    m_q.Update(5000, AREA, 0);
    EXPECT_EQ("Call The Shot", Head(m_q));
    EXPECT_EQ(5000u, m_q.GetStartTime());
    EXPECT_EQ("CALL.WAV", m_speech.said.back());
}

TEST_F(TextMessagesTest, DurationsDismissalAndTheClockWrap)
{
    struct SStep
    {
        DWORD dwNow;
        DWORD dwDismiss;
        bool bStillThere;
    };
    struct SCase
    {
        const char* szName;
        DWORD dwDuration;
        DWORD dwDismissable;
        std::vector<SStep> steps;
    };
    const SCase cases[] = {
        {"zero ends at the next update", 0, 0, {{100, 0, true}, {100, 0, false}}},
        {"zero and dismissed ends in the starting update", 0, 1, {{100, 1, false}}},
        {"forever stays", MESSAGE_FOREVER, 0, {{100, 0, true}, {0xFFFFFFF0u, 1, true}, {50, 1, true}}},
        {"forever dismissable stays until a click",
         MESSAGE_FOREVER,
         1,
         {{100, 0, true}, {900000, 0, true}, {900001, 1, false}}},
        {"dismiss ignored when not dismissable", 2000, 0, {{100, 0, true}, {200, 1, true}, {2100, 0, false}}},
        {"time runs across the clock's wrap", 2000, 0, {{0xFFFFFF00u, 0, true}, {0x100, 0, true}, {0x6D0, 0, false}}},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        CTextMessages q;
        q.AddText("Message", nullptr, c.dwDuration, c.dwDismissable);
        for (const SStep& step : c.steps)
        {
            SCOPED_TRACE(step.dwNow);
            q.Update(step.dwNow, AREA, step.dwDismiss);
            EXPECT_EQ(step.bStillThere, !q.IsEmpty());
        }
    }
}

TEST_F(TextMessagesTest, ClearEmptiesTellsTheSpeechAndAreasFollowTheRules)
{
    m_q.SetRect(0, 0, 100, 100); // ignored while empty
    EXPECT_EQ((RECT{}), m_q.GetRect());
    m_q.AddText("Foul", nullptr, MESSAGE_FOREVER, 0);
    m_q.Update(10, AREA, 0);
    EXPECT_EQ(AREA, m_q.GetRect());
    m_q.SetRect(5, 5, 817, 575); // same size: kept
    EXPECT_EQ(AREA, m_q.GetRect());
    m_q.SetRect(0, 0, 640, 480);
    EXPECT_EQ((RECT{0, 0, 640, 480}), m_q.GetRect());
    m_q.Clear();
    EXPECT_TRUE(m_q.IsEmpty());
    EXPECT_EQ(nullptr, m_q.GetHeadText());
    EXPECT_EQ(0u, m_q.GetStartTime());
    EXPECT_EQ(1, m_speech.nCleared);
    m_q.Update(20, AREA, 1); // nothing to do
    EXPECT_TRUE(m_q.IsEmpty());
}

TEST(TextMessagePainterTest, LongMessageIsWrappedCentredAndLeavesTheFontAsItWas)
{
    const SurfacePtr pFrame = CDirectDrawSurface::Create(812, 600, MakeRgbPixelFormat(32), DDSCAPS_OFFSCREENPLAIN);
    ASSERT_NE(nullptr, pFrame);
    const RECT panel{0, 0, 812, 600};
    CPanelFont font;
    font.SetHeight(20).SetItalic(1);
    LOGFONT before;
    font.SaveLogFont(before);
    HDC hDC = nullptr;
    ASSERT_EQ(DD_OK, pFrame->GetDC(&hDC));
    const HGDIOBJ hFont = SelectObject(hDC, GetStockObject(ANSI_VAR_FONT));
    PaintTextMessage(hDC, font, panel,
                     "A message far too long for one line of the box, so that the painter has to break it "
                     "on its word boundaries and centre every line");
    EXPECT_EQ(GetStockObject(ANSI_VAR_FONT), SelectObject(hDC, hFont));
    EXPECT_EQ(OPAQUE, GetBkMode(hDC)); // the context's own mode, back again
    ASSERT_EQ(DD_OK, pFrame->ReleaseDC(hDC));
    LOGFONT after;
    font.SaveLogFont(after);
    EXPECT_EQ(0, std::memcmp(&before, &after, sizeof(LOGFONT)));

    // Ink: near-white pixels only inside the box, centred within a pixel, on several rows of text.
    RECT ink{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (LONG y = 0; y < 600; ++y)
        for (LONG x = 0; x < 812; ++x)
            if (pFrame->GetPixelXrgb(static_cast<DWORD>(x), static_cast<DWORD>(y)) != 0)
                ink = RECT{std::min(ink.left, x), std::min(ink.top, y), std::max(ink.right, x + 1),
                           std::max(ink.bottom, y + 1)};
    EXPECT_GE(ink.left, 40);
    EXPECT_LE(ink.right, 812 - 40);
    EXPECT_LE(std::abs((ink.left + ink.right) - 812), 2);
    EXPECT_LE(std::abs((ink.top + ink.bottom) - 600), 8); // the lines' cells hold some space under the ink
    EXPECT_GT(ink.bottom - ink.top, 20);                  // more than one line of a 20-pixel cell
    const std::filesystem::path dir = VORN_TEST_OUTPUT_DIR;
    std::filesystem::create_directories(dir);
    EXPECT_TRUE(SaveSurfaceToPng(*pFrame, (dir / "TextMessagePainter.png").string()));
}
