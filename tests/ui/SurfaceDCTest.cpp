#include "ui/SurfaceDC.h"

#include <gtest/gtest.h>

TEST(SurfaceDCTest, HoldsTheRenderTargetsContextForOnePainter)
{
    const SurfacePtr pTarget = CDirectDrawSurface::Create(32, 16, MakeRgbPixelFormat(32), DDSCAPS_3DDEVICE);
    CDirect3DDevice device(pTarget);
    {
        CSurfaceDC dc(&device);
        ASSERT_TRUE(dc);
        SetPixel(dc.GetDC(), 3, 4, RGB(0, 255, 0));
        CSurfaceDC second(&device); // the target is taken: the second painter draws nothing
        EXPECT_FALSE(second);
    }
    EXPECT_EQ(0x00FF00u, pTarget->GetPixelXrgb(3, 4));
    DDSURFACEDESC2 desc;
    EXPECT_EQ(DD_OK, pTarget->Lock(nullptr, &desc, 0, nullptr)); // released with the holder
    EXPECT_FALSE(CSurfaceDC(&device));
    pTarget->Unlock(nullptr);
    EXPECT_FALSE(CSurfaceDC(nullptr));
}
