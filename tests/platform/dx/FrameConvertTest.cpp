// Frames turned into display rows: the fitted rectangle, the bulk 16-bit decoding against pixel-by-pixel decoding,
// the parts of a frame that lie outside its surface, and the same frame whoever converts its rows.
#include "platform/dx/FrameConvert.h"

#include "platform/dx/WorkerPool.h"

#include <cstring>
#include <gtest/gtest.h>
#include <vector>

TEST(FrameConvertTest, FittedFrameKeepsItsShapeCentred)
{
    struct SCase
    {
        const char* szName;
        int fw, fh, w, h;
        RECT rcExpected;
    };
    const SCase aCases[] = {
        {"wider output: bars left and right", 800, 600, 1280, 720, {160, 0, 1120, 720}},
        {"taller output: bars above and below", 800, 600, 800, 800, {0, 100, 800, 700}},
        {"same shape", 800, 600, 1024, 768, {0, 0, 1024, 768}},
        {"empty frame", 0, 600, 640, 480, {0, 0, 640, 480}},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        EXPECT_EQ(c.rcExpected, FitFrame(c.fw, c.fh, c.w, c.h));
    }
}

TEST(FrameConvertTest, BulkDecodingOfSixteenBitRowsMatchesEachPixel)
{
    const DDPIXELFORMAT aFormats[] = {MakeRgbPixelFormat(16), MakePixelFormat(16, 0x7C00, 0x03E0, 0x001F),
                                      MakePixelFormat(16, 0x001F, 0x07E0, 0xF800),
                                      MakePixelFormat(16, 0x7C00, 0x03E0, 0x001F, 0x8000),
                                      MakePixelFormat(16, 0x0F00, 0x00F0, 0x000F, 0xF000)};
    std::vector<WORD> aRaw(65536);
    for (size_t i = 0; i < aRaw.size(); ++i)
        aRaw[i] = static_cast<WORD>(i);
    std::vector<DWORD> aOut(aRaw.size());
    for (const DDPIXELFORMAT& f : aFormats)
    {
        SCOPED_TRACE(testing::Message() << std::hex << f.dwRBitMask << " " << f.dwRGBAlphaBitMask);
        CPixelLayout layout;
        ASSERT_TRUE(CPixelLayout::Describe(f, &layout));
        CRowDecoder(layout).Row(reinterpret_cast<const BYTE*>(aRaw.data()), aOut.data(), 65536);
        int nWrong = 0;
        for (DWORD i = 0; i < 65536; ++i)
            nWrong += aOut[i] != layout.ToArgb(i) ? 1 : 0;
        EXPECT_EQ(0, nWrong);
    }
}

TEST(FrameConvertTest, SourceOutsideTheSurfaceAndOutputAroundTheFrameAreBlack)
{
    SurfacePtr p = CDirectDrawSurface::Create(4, 2, MakeRgbPixelFormat(16), DDSCAPS_OFFSCREENPLAIN);
    DDBLTFX fx;
    fx.dwFillColor = 0xF800; // red
    ASSERT_EQ(DD_OK, p->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx));
    // A window hanging off the surface's left edge by two pixels, drawn 1:1 into a 4 x 2 output.
    std::vector<DWORD> aOut(8, 0x123456);
    ConvertFrame(*p, RECT{-2, 0, 2, 2}, aOut.data(), 4, 2, RECT{0, 0, 4, 2});
    EXPECT_EQ(0u, aOut[0] & 0xFFFFFF);
    EXPECT_EQ(0xFF0000u, aOut[2] & 0xFFFFFF);
    // The whole surface doubled into the middle of an 8 x 6 output: rows 1 .. 4, every row red.
    aOut.assign(48, 0x123456);
    ConvertFrame(*p, RECT{0, 0, 4, 2}, aOut.data(), 8, 6, FitFrame(4, 2, 8, 6));
    for (int y = 0; y < 6; ++y)
    {
        SCOPED_TRACE(y);
        EXPECT_EQ(y >= 1 && y <= 4 ? 0xFF0000u : 0u, aOut[static_cast<size_t>(y) * 8 + 3] & 0xFFFFFF);
    }
}

TEST(FrameConvertTest, RowsSharedByThreadsAndPicturesScaledLaterGiveTheSameFrame)
{
    // A frame of distinct pixels converted on one thread into outputs of its own size and larger and smaller
    // ones, letterboxed: with the rows shared by four threads, and from the picture converted at its own size
    // and scaled afterwards, as the display does, the pixels are the same.
    CWorkerPool pool(4);
    for (const DWORD dwBits : {32u, 16u})
    {
        SurfacePtr p = CDirectDrawSurface::Create(203, 77, MakeRgbPixelFormat(dwBits), DDSCAPS_OFFSCREENPLAIN);
        DDSURFACEDESC2 desc;
        ASSERT_EQ(DD_OK, p->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr));
        for (DWORD y = 0; y < 77; ++y)
            for (DWORD x = 0; x < 203; ++x)
            {
                const DWORD dw = (x * 2654435761u) ^ (y * 40503u);
                std::memcpy(static_cast<BYTE*>(desc.lpSurface) + y * desc.lPitch + x * (dwBits / 8), &dw, dwBits / 8);
            }
        ASSERT_EQ(DD_OK, p->Unlock(nullptr));
        const RECT rcAll{0, 0, 203, 77};
        std::vector<DWORD> aPicture(203 * 77);
        ConvertFrame(*p, rcAll, aPicture.data(), 203, 77, rcAll);
        for (const SIZE out : {SIZE{203, 77}, SIZE{640, 480}, SIZE{150, 100}})
        {
            SCOPED_TRACE(testing::Message() << dwBits << " bits into " << out.cx << " x " << out.cy);
            const auto size = static_cast<std::size_t>(out.cx * out.cy);
            const RECT rcDest = FitFrame(203, 77, out.cx, out.cy);
            std::vector<DWORD> aAlone(size), aShared(size), aScaled(size);
            ConvertFrame(*p, rcAll, aAlone.data(), out.cx, out.cy, rcDest);
            ConvertFrame(*p, rcAll, aShared.data(), out.cx, out.cy, rcDest, &pool);
            ScaleFrame(aPicture.data(), 203, 77, aScaled.data(), out.cx, out.cy, rcDest);
            const auto rgb = [](std::vector<DWORD> a)
            {
                for (DWORD& dw : a)
                    dw &= 0xFFFFFF;
                return a;
            };
            EXPECT_TRUE(rgb(aShared) == rgb(aAlone));
            EXPECT_TRUE(rgb(aScaled) == rgb(aAlone));
        }
    }
}
