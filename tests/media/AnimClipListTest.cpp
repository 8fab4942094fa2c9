// The animated clip list: empty at start, reads outside it give null, entries copy whole.
#include "media/AnimClipList.h"

#include <gtest/gtest.h>

TEST(AnimClipList, EmptyListGivesNoEntryAndEntriesCopyWhole)
{
    EXPECT_EQ(g_AnimList.GetCount(), 0);
    EXPECT_EQ(g_AnimList.GetCurrent(), nullptr);
    EXPECT_EQ(g_AnimList.GetAt(0), nullptr);

    CAnimList list;
    CAnimClip clip;
    EXPECT_FALSE(clip.m_bLoaded);
    EXPECT_EQ(clip.m_ranges[15], std::make_pair(-1.0, -1.0));
    clip.m_strTitle = "Break";
    clip.m_placement = {1.0, 2.0, 3.0};
    clip.m_ranges[3] = {0.5, 1.5};
    clip.m_strFile = "break.avi";
    list.Add(clip);
    for (int nIndex : {-1, 1, 7})
    {
        SCOPED_TRACE(nIndex);
        EXPECT_EQ(list.GetAt(nIndex), nullptr);
    }
    ASSERT_NE(list.GetCurrent(), nullptr);
    EXPECT_EQ(list.GetCurrent()->m_strTitle, "Break");
    EXPECT_EQ(list.GetCurrent()->m_placement[2], 3.0);
    EXPECT_EQ(list.GetCurrent()->m_ranges[3], std::make_pair(0.5, 1.5));
    EXPECT_EQ(list.GetCurrent()->m_strFile, "break.avi");
    list.m_nCurrent = 1;
    EXPECT_EQ(list.GetCurrent(), nullptr);
}
