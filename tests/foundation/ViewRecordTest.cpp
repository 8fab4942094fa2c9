#include "foundation/ViewRecord.h"

#include <gtest/gtest.h>

TEST(ViewRecordTest, SetStoresTheElevenValuesInOrderAndResetClearsThem)
{
    CViewRecord view;
    EXPECT_FALSE(view.IsValid());
    view.Set(1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f, 7.0f, 8.0f, 9.0f, 10.0f, 11.0f);
    EXPECT_TRUE(view.IsValid());
    const float afExpected[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    const float afActual[] = {view.m_vCamera.x,    view.m_vCamera.y,    view.m_vCamera.z, view.m_vViewPoint.x,
                              view.m_vViewPoint.y, view.m_vViewPoint.z, view.m_fShift1,   view.m_fShift2,
                              view.m_vCue.x,       view.m_vCue.y,       view.m_vCue.z};
    for (int i = 0; i < 11; ++i)
        EXPECT_EQ(afExpected[i], afActual[i]) << "value " << i;

    // A copy is a separate value: resetting the original leaves it alone.
    const CViewRecord copy = view;
    view.Reset();
    EXPECT_EQ(CViewRecord(), view);
    EXPECT_TRUE(copy.IsValid());
    EXPECT_EQ(11.0f, copy.m_vCue.z);
}
