#include "simulation/ShotInfo.h"

#include <gtest/gtest.h>

namespace
{
TEST(ShotInfoTest, TheCalledBallIsTheSecondBallOfATwoBallShotElseTheObjectBall)
{
    const struct
    {
        int nKind;
        int nCalled;
    } aCases[] = {{0, 3}, {SHOT_KIND_DIRECT, 3}, {SHOT_KIND_BANK, 3}, {SHOT_KIND_KICK, 3}, {SHOT_KIND_TWO_BALL, 9}};
    for (const auto& c : aCases)
    {
        SCOPED_TRACE(c.nKind);
        CShotInfo shot;
        shot.Set(2, 0, 3, 9, 0.5, c.nKind, 0.01);
        EXPECT_EQ(c.nCalled, shot.GetCalledValue());

        // A call writes the word the called value is read from, and the pocket into word 0.
        shot.SetCalledBall(12);
        shot.SetCalledPocket(5);
        EXPECT_EQ(12, shot.GetCalledValue());
        EXPECT_EQ(5, shot.m_nPocket);
        EXPECT_EQ(c.nKind == SHOT_KIND_TWO_BALL ? 3 : 9,
                  c.nKind == SHOT_KIND_TWO_BALL ? shot.m_nObjectBall : shot.m_nSecondBall)
            << "the other ball word is kept";
        EXPECT_EQ(0, shot.m_nCueBall);
    }
}

TEST(ShotInfoTest, SetFromCopiesEveryWordButTheFifthAndNoSourceResets)
{
    CShotInfo source;
    source.Set(4, 1, 6, 7, 1.25, SHOT_KIND_BANK, -0.5);
    source.m_nWord5 = 11;
    CShotInfo shot;
    shot.m_nWord5 = 22;
    shot.SetFrom(&source);
    EXPECT_EQ(4, shot.m_nPocket);
    EXPECT_EQ(1, shot.m_nCueBall);
    EXPECT_EQ(6, shot.m_nObjectBall);
    EXPECT_EQ(7, shot.m_nSecondBall);
    EXPECT_EQ(SHOT_KIND_BANK, shot.m_nKind);
    EXPECT_EQ(1.25, shot.m_dAim);
    EXPECT_EQ(-0.5, shot.m_dDeviation);
    EXPECT_EQ(22, shot.m_nWord5) << "word 5 keeps what it held";

    shot.SetFrom(nullptr);
    EXPECT_EQ(-1, shot.m_nPocket);
    EXPECT_EQ(0, shot.m_nCueBall);
    EXPECT_EQ(-1, shot.m_nObjectBall);
    EXPECT_EQ(-1, shot.m_nSecondBall);
    EXPECT_EQ(0, shot.m_nKind);
    EXPECT_EQ(0.0, shot.m_dAim);
    EXPECT_EQ(0.0, shot.m_dDeviation);
    EXPECT_EQ(22, shot.m_nWord5);
}
} // namespace
