// The text list: breaking texts into lines of its width, the lines that fit and the top index.
#include "ui/SkinList.h"

#include <gtest/gtest.h>
#include <string>

namespace
{
class SkinListTest : public ::testing::Test
{
protected:
    void SetUp() override { m_hDC = CreateCompatibleDC(nullptr); }
    void TearDown() override { DeleteDC(m_hDC); }

    /// The width of a text in the list's font.
    LONG Width(CSkinList& list, const std::string& str) const
    {
        const HGDIOBJ hOld = SelectObject(m_hDC, list.m_font.GetSafeHandle());
        RECT rc{0, 0, 0, 0};
        DrawText(m_hDC, str.c_str(), static_cast<int>(str.size()), &rc, DT_CALCRECT | DT_NOCLIP);
        SelectObject(m_hDC, hOld);
        return rc.right - rc.left;
    }

    HDC m_hDC = nullptr;
};

TEST_F(SkinListTest, TextsBreakIntoLinesThatFitAndUseUpEveryCharacter)
{
    struct SCase
    {
        const char* szName;
        LONG nWidth;
        std::string strText;
        bool bWords; // the lines are whole words; else the text is cut anywhere
        int nMinLines;
    };
    const SCase aCases[] = {
        {"fits", 400, "Hello world", true, 1},
        {"long, broken at spaces", 150, "The quick brown fox jumps over the lazy dog and runs far away", true, 3},
        {"no spaces: cut where the room ends", 150, std::string(60, 'x'), false, 3},
        {"a glyph wider than the room: one a line", 41, "WM WM", false, 4},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        const RECT rc{0, 0, c.nWidth, 300};
        CSkinList list(nullptr, &rc);
        const int nLast = list.AddString(m_hDC, ("  " + c.strText + " ").c_str());
        ASSERT_GE(list.GetCount(), c.nMinLines);
        EXPECT_EQ(list.GetCount() - 1, nLast);
        std::string strJoined;
        for (int i = 0; i < list.GetCount(); ++i)
        {
            const std::string strLine = list.GetLine(i).GetString();
            ASSERT_FALSE(strLine.empty());
            EXPECT_NE(' ', strLine.front()) << strLine;
            EXPECT_NE(' ', strLine.back()) << strLine;
            if (c.bWords || strLine.size() > 1)
            {
                EXPECT_LE(Width(list, strLine), c.nWidth - 40) << strLine;
            }
            strJoined += (c.bWords && i > 0 ? " " : "") + strLine;
        }
        std::string strExpected = c.strText;
        if (!c.bWords)
            std::erase(strExpected, ' ');
        EXPECT_EQ(strExpected, strJoined);
    }
}

TEST_F(SkinListTest, EmptyTextsAndListsWithoutRoomAddNothing)
{
    const RECT rcWide{0, 0, 300, 100};
    const RECT rcNarrow{0, 0, 40, 100}; // no room between the two line-height margins
    CSkinList wide(nullptr, &rcWide);
    CSkinList narrow(nullptr, &rcNarrow);
    EXPECT_EQ(-1, wide.AddString(m_hDC, ""));
    EXPECT_EQ(-1, wide.AddString(m_hDC, nullptr));
    EXPECT_EQ(-1, narrow.AddString(m_hDC, "Any text at all"));
    EXPECT_EQ(0, wide.GetCount());
    EXPECT_EQ(0, narrow.GetCount());
}

TEST_F(SkinListTest, VisibleLinesFollowTheTitleAndTheTopIndexScrollsToTheEnd)
{
    const RECT rc{0, 0, 300, 200};
    CSkinList list(nullptr, &rc);
    EXPECT_EQ(0, list.GetVisibleLines(nullptr)) << "nothing measured yet";
    EXPECT_EQ(0, list.GetVisibleLines(m_hDC)) << "no lines to measure";
    list.AddString(m_hDC, "One");
    const int nWithoutTitle = list.GetVisibleLines(m_hDC);
    const int nLineHeight = list.GetLineHeight();
    ASSERT_GT(nLineHeight, 0);
    EXPECT_EQ((200 - nLineHeight) / nLineHeight, nWithoutTitle);
    EXPECT_EQ(nWithoutTitle, list.GetVisibleLines(nullptr)) << "the last count";
    EXPECT_EQ(0, list.SetTopIndex(-1)) << "fewer lines than fit";

    list.SetTitle(RECT{0, 0, 300, 20}, "News");
    EXPECT_EQ((180 - nLineHeight) / nLineHeight, list.GetVisibleLines(m_hDC));
    for (int i = 0; i < 40; ++i)
        list.AddString(m_hDC, ("Line " + std::to_string(i)).c_str());
    EXPECT_EQ(list.GetCount() - list.GetVisibleLines(m_hDC), list.SetTopIndex(-1));
    EXPECT_EQ(3, list.SetTopIndex(3));
    list.ResetContent();
    EXPECT_EQ(0, list.GetCount());
    EXPECT_EQ(0, list.GetTopIndex());
    EXPECT_EQ(-1, list.GetSelection());
}
} // namespace
