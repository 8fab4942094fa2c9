#include "ui/LinkCtrl.h"

#include <gtest/gtest.h>

namespace
{
TEST(LinkCtrlTest, BackgroundBrushFollowsTheTransparentSwitch)
{
    CLinkCtrl label;
    EXPECT_EQ(nullptr, label.GetBackgroundBrush()); // never switched: the dialog's background
    label.SetTransparent(true).SetTransparent(true);
    EXPECT_EQ(GetStockObject(NULL_BRUSH), label.GetBackgroundBrush());
    label.SetTransparent(false);
    ASSERT_NE(nullptr, label.GetBackgroundBrush());
    EXPECT_NE(GetStockObject(NULL_BRUSH), label.GetBackgroundBrush());
}

TEST(LinkCtrlTest, ChainedSettersDescribeTheFont)
{
    CLinkCtrl label;
    label.SetFontSize(12).SetBold(true).SetUnderline(1).SetFontName("Courier").SetTextColor(RGB(1, 2, 3));
    EXPECT_EQ(-12, label.GetLogFont().lfHeight);
    EXPECT_EQ(700, label.GetLogFont().lfWeight);
    EXPECT_EQ(1, label.GetLogFont().lfUnderline);
    EXPECT_STREQ("Courier", label.GetLogFont().lfFaceName);
    EXPECT_EQ(RGB(1, 2, 3), label.GetTextColor());
    label.SetBold(false);
    EXPECT_EQ(400, label.GetLogFont().lfWeight);
}
} // namespace
