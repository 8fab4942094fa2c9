// The sixteen ball objects and the lists that refer to them.
#include "gameflow/BallObjects.h"

#include <gtest/gtest.h>
#include <vector>

namespace
{
std::vector<int> Numbers(const std::vector<CBallSceneObject*>& list)
{
    std::vector<int> numbers;
    for (const CBallSceneObject* pObject : list)
        numbers.push_back(pObject->m_nBall);
    return numbers;
}

TEST(BallObjectsTest, ListsFollowTheBallMasksKeepingTheOrderBallsDroppedIn)
{
    struct SStep
    {
        const char* szName;
        WORD wOnTable;
        WORD wPocketed;
        std::vector<int> drawn;
        std::vector<int> pocketed;
        size_t nHidden;
    };
    // One rack of nine-ball played on: balls drop, one goes back, and a ball in both masks counts
    // as on the table.
    const SStep aSteps[] = {
        {"racked", 0x3ff, 0, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, {}, 6},
        {"5 drops, then 2", 0x3db, 0x024, {0, 1, 3, 4, 6, 7, 8, 9}, {2, 5}, 6},
        {"7 drops after them", 0x35b, 0x0a4, {0, 1, 3, 4, 6, 8, 9}, {2, 5, 7}, 6},
        {"5 goes back", 0x37b, 0x084, {0, 1, 3, 4, 5, 6, 8, 9}, {2, 7}, 6},
        {"2 in both masks", 0x37f, 0x084, {0, 1, 2, 3, 4, 5, 6, 8, 9}, {7}, 6},
        {"balls beyond the set", 0x0003, 0x8000, {0, 1}, {15}, 13},
    };
    CBallObjects objects;
    objects.Refresh(0, 0);
    for (const SStep& step : aSteps)
    {
        SCOPED_TRACE(step.szName);
        objects.Refresh(step.wOnTable, step.wPocketed);
        EXPECT_EQ(Numbers(objects.Drawn()), step.drawn);
        EXPECT_EQ(Numbers(objects.Pocketed()), step.pocketed);
        EXPECT_EQ(objects.Hidden().size(), step.nHidden);
        for (const int n : step.drawn)
            EXPECT_FALSE(objects.IsHidden(n)) << n;
        for (const CBallSceneObject* pObject : objects.Drawn())
            EXPECT_EQ(pObject, &objects.Get(pObject->m_nBall)) << "the list refers to the ball's one object";
    }
}

TEST(BallObjectsTest, AddBallsShowsEachBallOnceAndClearHidesEveryBall)
{
    CBallObjects objects;
    EXPECT_TRUE(objects.Drawn().empty());
    EXPECT_EQ(objects.Hidden().size(), 16u);
    objects.AddBalls(3);
    objects.AddBalls(4);
    EXPECT_EQ(Numbers(objects.Drawn()), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(objects.Hidden(), (std::vector<int>{4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}));
    objects.AddBalls(40);
    EXPECT_EQ(objects.Drawn().size(), 16u) << "no more than the sixteen objects";
    EXPECT_TRUE(objects.Hidden().empty());
    // Only drawn balls that are not hidden are painted.
    EXPECT_EQ(objects.DrawnPoses().size(), 16u);
    objects.Clear();
    EXPECT_TRUE(objects.Drawn().empty());
    EXPECT_TRUE(objects.Pocketed().empty());
    EXPECT_EQ(objects.Hidden().size(), 16u);
    EXPECT_TRUE(objects.DrawnPoses().empty());
}
} // namespace
