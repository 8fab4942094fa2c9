// Rack spots of every game type and the bisection record.
#include "simulation/PointList.h"

#include "tests/simulation/SimTestSupport.h"

#include "simulation/TableBounds.h"

#include <cmath>

using CPointListTest = CSimulationTest;

namespace
{
/// Restores the default table bounds.
struct CTableBoundsScope
{
    ~CTableBoundsScope() { g_TableBounds = STableBounds(); }
};
} // namespace

TEST_F(CPointListTest, EveryGameTypeGetsATouchingRackAndAJitteredCueSpot)
{
    // Rack sizes (cue ball included) by game type: 0 five balls, 3 four, 9 ten, all others sixteen.
    struct SCase
    {
        int nGameType;
        int nCount;
    };
    static const SCase s_aCases[] = {{0, 5},   {3, 4},   {8, 16},  {9, 10},  {15, 16},
                                     {16, 16}, {17, 16}, {18, 16}, {101, 16}};
    const double dRowStep = std::sqrt(3.0) * R;
    for (const SCase& c : s_aCases)
    {
        SCOPED_TRACE(testing::Message() << "game type " << c.nGameType);
        CPointList list;
        list.Build(TABLE_WIDTH_M, TABLE_LENGTH_M, R, c.nCount);
        const std::vector<SRackSpot>& spots = list.GetSpots();
        ASSERT_EQ(static_cast<std::size_t>(c.nCount), spots.size());

        // The cue spot: the head spot, x off by at most 9 %, y back by at most 9 mm.
        const double dHeadX = TABLE_WIDTH_M / 2.0;
        const double dHeadY = TABLE_LENGTH_M / 4.0;
        EXPECT_LE(std::fabs(spots[0].x - dHeadX), 0.09 * dHeadX + 1e-6);
        EXPECT_LE(spots[0].y, dHeadY + 1e-6);
        EXPECT_GE(spots[0].y, dHeadY - 0.009 - 1e-6);

        // The apex on the foot spot, the rows running towards the far end.
        EXPECT_NEAR(TABLE_WIDTH_M / 2.0, spots[1].x, 1e-6);
        EXPECT_NEAR(TABLE_LENGTH_M * 0.75, spots[1].y, 1e-6);
        for (std::size_t i = 1; i < spots.size(); ++i)
        {
            SCOPED_TRACE(i);
            EXPECT_TRUE(spots[i].bFree);
            EXPECT_GE(spots[i].y, spots[1].y - 1e-9);
            const double dRows = (spots[i].y - spots[1].y) / dRowStep;
            EXPECT_NEAR(std::round(dRows), dRows, 1e-6) << "on a row";
            int nTouching = 0;
            for (std::size_t j = 1; j < spots.size(); ++j)
            {
                const double d = std::hypot(spots[i].x - spots[j].x, spots[i].y - spots[j].y);
                if (j == i)
                    continue;
                EXPECT_GT(d, 2.0 * R - 1e-6) << "overlaps spot " << j;
                if (d < 2.0 * R + 1e-6)
                    ++nTouching;
            }
            EXPECT_GE(nTouching, 2) << "each ball of the rack touches two others";
        }
    }
}

TEST_F(CPointListTest, TriangleAndDiamondsHaveTheirRowShapes)
{
    struct SCase
    {
        const char* szName;
        int nCount;
        std::vector<int> rows; // balls per row from the apex
    };
    const SCase aCases[] = {
        {"sixteen balls: a triangle of five rows", 16, {1, 2, 3, 4, 5}},
        {"ten balls: a diamond", 10, {1, 2, 3, 2, 1}},
        {"five balls: a small diamond", 5, {1, 2, 1}},
        {"four balls: two rows", 4, {1, 2}},
        {"two balls: the cue ball and one", 2, {1}},
        {"the cue ball alone", 1, {}},
    };
    const double dRowStep = std::sqrt(3.0) * R;
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CPointList list;
        list.Build(TABLE_WIDTH_M, TABLE_LENGTH_M, R, c.nCount);
        std::vector<int> rows;
        for (std::size_t i = 1; i < list.GetSpots().size(); ++i)
        {
            const auto nRow =
                static_cast<std::size_t>(std::lround((list.GetSpots()[i].y - TABLE_LENGTH_M * 0.75) / dRowStep));
            rows.resize(std::max(rows.size(), nRow + 1));
            ++rows[nRow];
        }
        EXPECT_EQ(c.rows, rows);
    }
}

TEST_F(CPointListTest, SpotsAreTakenMarkedAndFreedWithinTheRack)
{
    CTableBoundsScope bounds;
    // Bounds and radius in binary fractions, so that "exactly one radius away" is exact.
    g_TableBounds.vMin.SetVec3(0.0f, 0.0f, 0.0f);
    g_TableBounds.vMax.SetVec3(1.0f, 0.0f, 2.0f);
    CPointList list;
    list.Build(1.0, 2.0, 0.25, 4);
    ASSERT_EQ(4u, list.GetSpots().size());
    EXPECT_EQ(0.5, list.GetSpots()[1].x);
    EXPECT_EQ(1.5, list.GetSpots()[1].y);

    list.MarkWithinRadius(0.75, 1.5);
    EXPECT_FALSE(list.GetSpots()[1].bFree) << "exactly one radius away counts";
    EXPECT_TRUE(list.GetSpots()[2].bFree);

    double x = -1.0;
    double y = -1.0;
    EXPECT_TRUE(list.TakeSpot(3, x, y));
    EXPECT_EQ(list.GetSpots()[3].x, x);
    EXPECT_FALSE(list.GetSpots()[3].bFree);
    EXPECT_FALSE(list.TakeSpot(4, x, y)) << "no such spot";
    EXPECT_FALSE(list.TakeSpot(-1, x, y));
    EXPECT_EQ(list.GetSpots()[3].x, x) << "outputs untouched";

    list.FreeAllButFirst();
    EXPECT_TRUE(list.GetSpots()[1].bFree);
    EXPECT_TRUE(list.GetSpots()[3].bFree);
    EXPECT_TRUE(list.TakeNextSpot(x, y));
    EXPECT_EQ(0.5, x);
    EXPECT_FALSE(list.GetSpots()[1].bFree);
}

TEST_F(CPointListTest, TakeNextSpotOnAListNeverBuiltReportsNoSpot)
{
    // A fresh list claims sixteen balls but holds no spot; taking spot 1 must not read past it.
    CPointList list;
    double x = 7.0;
    double y = 7.0;
    EXPECT_FALSE(list.TakeNextSpot(x, y));
    EXPECT_EQ(7.0, x);
    list.MarkWithinRadius(0.0, 0.0);
    list.FreeAllButFirst();
    list.Build(TABLE_WIDTH_M, TABLE_LENGTH_M, R, 1);
    EXPECT_FALSE(list.TakeNextSpot(x, y)) << "a rack of the cue ball alone has no next spot";
}

TEST_F(CPointListTest, BisectorHalvesItsStepUntilTheTolerance)
{
    CBisector up(0.0, 1.0, 0.25);
    struct SStep
    {
        float fValue;
        BOOL bGoOn;
    };
    const SStep aSteps[] = {{0.5f, TRUE}, {0.75f, TRUE}, {0.875f, TRUE}, {0.9375f, FALSE}};
    for (const SStep& s : aSteps)
    {
        SCOPED_TRACE(s.fValue);
        float f = 0.0f;
        EXPECT_EQ(s.bGoOn, up.StepUp(f));
        EXPECT_EQ(s.fValue, f);
    }
    CBisector down(10.0, 12.0, 0.01);
    float f = 0.0f;
    EXPECT_TRUE(down.StepUp(f));
    EXPECT_EQ(11.0f, f);
    EXPECT_TRUE(down.StepDown(f));
    EXPECT_EQ(10.5f, f);
}

TEST_F(CPointListTest, TableSpotsLieAQuarterOfTheLengthFromEachEndOnTheDiagramToo)
{
    CTableBoundsScope bounds;
    g_TableBounds.vMin.SetVec3(-1.0f, 0.5f, 2.0f);
    g_TableBounds.vMax.SetVec3(1.0f, 0.7f, 6.0f);
    EXPECT_EQ(0.0, (GetTableSpotA() - CVector3(0.0f, 0.0f, 3.0f)).Length());
    EXPECT_EQ(0.0, (GetTableSpotB() - CVector3(0.0f, 0.0f, 5.0f)).Length());
    // A diagram 100 wide showing table x -1..1 and z 6 (top) .. 2 (bottom) over 0..200.
    CTableMap map;
    map.m_dLeftX = -1.0;
    map.m_dRightX = 1.0;
    map.m_dTopZ = 6.0;
    map.m_dBottomZ = 2.0;
    map.m_fRight = 100.0f;
    map.m_fBottom = 200.0f;
    const CVector3 vA = MapTableSpotAToScreen(map);
    const CVector3 vB = MapTableSpotBToScreen(map);
    EXPECT_FLOAT_EQ(50.0f, vA.x);
    EXPECT_FLOAT_EQ(150.0f, vA.y);
    EXPECT_FLOAT_EQ(50.0f, vB.x);
    EXPECT_FLOAT_EQ(50.0f, vB.y);
}
