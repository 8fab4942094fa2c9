#include "foundation/TableMap.h"

#include <gtest/gtest.h>

namespace
{
// A diagram rectangle (10, 20)-(110, 220) showing the table with z = 2.2352 at its top edge.
CTableMap DiagramMap()
{
    CTableMap map;
    map.m_dLeftX = 0.0;
    map.m_dRightX = 1.1176;
    map.m_dTopZ = 2.2352;
    map.m_dBottomZ = 0.0;
    map.m_fLeft = 10;
    map.m_fTop = 20;
    map.m_fRight = 110;
    map.m_fBottom = 220;
    return map;
}
} // namespace

TEST(TableMapTest, TablePointsMapLinearlyOntoTheDiagram)
{
    const CTableMap map = DiagramMap();
    struct SCase
    {
        const char* szName;
        CVector3 table, diagram;
    };
    const SCase cases[] = {
        {"top left", CVector3(0, 0.5f, 2.2352f), CVector3(10, 20, 0)},
        {"bottom right", CVector3(1.1176f, 0, 0), CVector3(110, 220, 0)},
        {"centre, height ignored", CVector3(0.5588f, 7, 1.1176f), CVector3(60, 120, 0)},
        {"outside the table", CVector3(-1.1176f, 0, -2.2352f), CVector3(-90, 420, 0)},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        CVector3 out(9, 9, 9);
        EXPECT_EQ(&out, &map.MapTableToPoint(out, c.table));
        EXPECT_NEAR(c.diagram.x, out.x, 1e-4);
        EXPECT_NEAR(c.diagram.y, out.y, 1e-4);
        EXPECT_EQ(0.0f, out.z);
        // And back: the diagram point and a height give the table point.
        const CVector3 back = map.MapPointToTable(out.x, out.y, 0.75f);
        EXPECT_NEAR(c.table.x, back.x, 1e-5);
        EXPECT_EQ(0.75f, back.y);
        EXPECT_NEAR(c.table.z, back.z, 1e-5);
    }
}

TEST(TableMapTest, LinearMapRoundTripsAndADegenerateRangeGivesTheStart)
{
    for (double v : {-3.0, 0.0, 0.25, 1.0, 17.5})
    {
        SCOPED_TRACE(v);
        EXPECT_NEAR(v, LinearMap(10, 110, 0, 1.1176, LinearMap(0, 1.1176, 10, 110, v)), 1e-12);
    }
    EXPECT_EQ(10.0, LinearMap(2.0, 2.0, 10.0, 110.0, 5.0));

    CTableMap map = DiagramMap();
    map.m_dRightX = map.m_dLeftX; // a map that was never set up
    CVector3 out;
    map.MapTableToPoint(out, CVector3(0.3f, 0, 1.1176f));
    EXPECT_EQ(10.0f, out.x);
    EXPECT_NEAR(120.0, out.y, 1e-4);
}
