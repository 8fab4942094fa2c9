#include "platform/dx/Surface.h"

#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>

namespace
{
/// Address of a rectangle written in place; it lives to the end of the enclosing expression.
const RECT* Rc(const RECT& rc) { return &rc; }

SurfacePtr MakeSurface(DWORD w, DWORD h, DWORD dwBits = 32)
{
    return CDirectDrawSurface::Create(w, h, MakeRgbPixelFormat(dwBits), DDSCAPS_OFFSCREENPLAIN);
}

void Fill(CDirectDrawSurface& s, const RECT* pRect, DWORD dwColor)
{
    DDBLTFX fx;
    fx.dwSize = sizeof(fx);
    fx.dwFillColor = dwColor;
    ASSERT_EQ(DD_OK, s.Blt(pRect, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx));
}

/// The raw 32-bit pixel at (x, y), top byte included.
DWORD RawPixel(const CDirectDrawSurface& s, DWORD x, DWORD y)
{
    DWORD dw;
    std::memcpy(&dw, s.GetBits() + static_cast<size_t>(y) * s.GetPitch() + x * 4, 4);
    return dw;
}

/// Fills a 32-bit surface with pixels that differ in every byte, the top one included.
void FillPattern(CDirectDrawSurface& s, std::uint32_t nSeed)
{
    for (DWORD y = 0; y < s.GetHeight(); ++y)
        for (DWORD x = 0; x < s.GetWidth(); ++x)
        {
            nSeed = nSeed * 1664525u + 1013904223u;
            std::memcpy(s.GetBits() + static_cast<size_t>(y) * s.GetPitch() + x * 4, &nSeed, 4);
        }
}

class CCountingOutput : public ISurfaceOutput
{
public:
    void Show(const CDirectDrawSurface& surface) override
    {
        ++m_nShown;
        m_dwFirstPixel = surface.GetPixelXrgb(0, 0);
    }
    int m_nShown = 0;
    DWORD m_dwFirstPixel = 0;
};
} // namespace

TEST(SurfaceTest, LockGivesRowsAtThePitchAndRefusesASecondLock)
{
    SurfacePtr p = MakeSurface(5, 3, 16);
    ASSERT_TRUE(p);
    DDSURFACEDESC2 desc;
    const RECT rc{1, 1, 3, 3};
    ASSERT_EQ(DD_OK, p->Lock(&rc, &desc, DDLOCK_WAIT, nullptr));
    EXPECT_EQ(10, desc.lPitch);
    EXPECT_EQ(16u, desc.ddpfPixelFormat.dwRGBBitCount);
    EXPECT_EQ(0xF800u, desc.ddpfPixelFormat.dwRBitMask);
    DDSURFACEDESC2 second;
    EXPECT_EQ(DDERR_SURFACEBUSY, p->Lock(nullptr, &second, 0, nullptr));
    const WORD red = 0xF800;
    std::memcpy(static_cast<BYTE*>(desc.lpSurface) + desc.lPitch, &red, 2); // pixel (1, 2)
    ASSERT_EQ(DD_OK, p->Unlock(nullptr));
    EXPECT_EQ(DDERR_NOTLOCKED, p->Unlock(nullptr));
    EXPECT_EQ(0xFF0000u, p->GetPixelXrgb(1, 2));
    EXPECT_EQ(DDERR_INVALIDRECT, p->Lock(Rc({0, 0, 6, 1}), &desc, 0, nullptr)) << "rectangle past the edge";
}

TEST(SurfaceTest, CreateRefusesEmptyOrUnsupportedSurfaces)
{
    EXPECT_FALSE(MakeSurface(0, 4));
    EXPECT_FALSE(MakeSurface(4, 0));
    EXPECT_FALSE(MakeSurface(1u << 20, 4));
    EXPECT_FALSE(CDirectDrawSurface::Create(4, 4, MakeRgbPixelFormat(8), 0));
}

TEST(SurfaceTest, BlitsCopyStretchFillAndKey)
{
    SurfacePtr pSrc = MakeSurface(4, 4);
    Fill(*pSrc, nullptr, 0x000000);
    Fill(*pSrc, Rc({0, 0, 2, 2}), 0x112233);
    Fill(*pSrc, Rc({2, 2, 4, 4}), 0x202020); // inside the key range below

    struct SCase
    {
        const char* szName;
        RECT rcDest;
        DWORD dwFlags;
        DWORD x, y, dwWant;
    };
    const SCase aCases[] = {
        {"plain copy", {0, 0, 4, 4}, 0, 1, 1, 0x112233},
        {"copy moved and clipped at the edge", {6, 6, 10, 10}, 0, 7, 7, 0x112233},
        {"stretch doubles the pixels", {0, 0, 8, 8}, 0, 3, 3, 0x112233},
        {"stretch: the next source pixel", {0, 0, 8, 8}, 0, 4, 3, 0x000000},
        {"key range skips dark pixels", {0, 0, 4, 4}, DDBLT_KEYSRC, 3, 3, 0xABCDEF},
        {"key range keeps others", {0, 0, 4, 4}, DDBLT_KEYSRC, 0, 0, 0x112233},
    };
    const DDCOLORKEY key{0x000000, 0x282828};
    ASSERT_EQ(DD_OK, pSrc->SetColorKey(DDCKEY_SRCBLT, &key));
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        SurfacePtr pDest = MakeSurface(8, 8);
        Fill(*pDest, nullptr, 0xABCDEF);
        ASSERT_EQ(DD_OK, pDest->Blt(&c.rcDest, pSrc.get(), nullptr, c.dwFlags | DDBLT_WAIT, nullptr));
        EXPECT_EQ(c.dwWant, pDest->GetPixelXrgb(c.x, c.y));
    }
}

TEST(SurfaceTest, KeyedBlitKeepsThePixelsWhoseChannelsAllLieInTheKey)
{
    // Rows of 13 pixels copied to a moved place: whole groups of four and a tail, against the rule pixel by
    // pixel. The source's bytes cover every value, so each key range has pixels on both sides of its bounds.
    constexpr DWORD W = 13, H = 40;
    SurfacePtr pSrc = MakeSurface(W, H);
    FillPattern(*pSrc, 7);
    for (DWORD x = 0; x < W; ++x) // pixels on the bounds of the second key below, either side of them
        std::memcpy(pSrc->GetBits() + x * 4, x % 2 ? "\x40\xA0\x10\xFF" : "\x3F\xA0\x10\x00", 4);
    struct SKey
    {
        const char* szName;
        DDCOLORKEY key;
    };
    const SKey aKeys[] = {
        {"one colour", {0x000000, 0x000000}},
        {"a range of each channel, bounds included", {0x104040, 0x80A0C0}},
        {"half of every channel", {0x000000, 0x7F7F7F}},
        {"a low bound above the high one keys nothing", {0x800000, 0x10FFFF}},
        {"every colour", {0x000000, 0xFFFFFF}},
    };
    for (const SKey& k : aKeys)
    {
        SCOPED_TRACE(k.szName);
        ASSERT_EQ(DD_OK, pSrc->SetColorKey(DDCKEY_SRCBLT, &k.key));
        SurfacePtr pDest = MakeSurface(W + 3, H);
        FillPattern(*pDest, 99);
        SurfacePtr pBefore = MakeSurface(W + 3, H);
        ASSERT_EQ(DD_OK, pBefore->BltFast(0, 0, pDest.get(), nullptr, DDBLTFAST_WAIT));
        ASSERT_EQ(DD_OK, pDest->BltFast(2, 0, pSrc.get(), nullptr, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT));
        int nKeyed = 0;
        for (DWORD y = 0; y < H; ++y)
            for (DWORD x = 0; x < W; ++x)
            {
                const DWORD c = RawPixel(*pSrc, x, y);
                bool bKeyed = true;
                for (int nShift = 0; nShift < 24; nShift += 8)
                {
                    const DWORD v = (c >> nShift) & 0xFF;
                    bKeyed = bKeyed && v >= ((k.key.dwColorSpaceLowValue >> nShift) & 0xFF) &&
                             v <= ((k.key.dwColorSpaceHighValue >> nShift) & 0xFF);
                }
                nKeyed += bKeyed ? 1 : 0;
                ASSERT_EQ(bKeyed ? RawPixel(*pBefore, x + 2, y) : c, RawPixel(*pDest, x + 2, y)) << x << ", " << y;
            }
        for (DWORD y = 0; y < H; ++y)
            for (const DWORD x : {0u, 1u, W + 2})
                ASSERT_EQ(RawPixel(*pBefore, x, y), RawPixel(*pDest, x, y)) << "outside the copy: " << x << ", " << y;
        if (k.key.dwColorSpaceLowValue == 0x104040)
        {
            EXPECT_GT(nKeyed, 0) << "the pixels on the bounds are keyed";
        }
    }
}

TEST(SurfaceTest, BlitBetweenFormatsConverts)
{
    SurfacePtr p32 = MakeSurface(2, 2);
    Fill(*p32, nullptr, 0xFF8040);
    SurfacePtr p16 = MakeSurface(2, 2, 16);
    ASSERT_EQ(DD_OK, p16->BltFast(0, 0, p32.get(), nullptr, DDBLTFAST_WAIT));
    EXPECT_EQ(0xFF8242u, p16->GetPixelXrgb(1, 1)) << "565 keeps the top bits and repeats them below";
}

TEST(SurfaceTest, BadBlitsAreRefused)
{
    SurfacePtr pDest = MakeSurface(4, 4);
    SurfacePtr pSrc = MakeSurface(4, 4);
    EXPECT_EQ(DDERR_INVALIDPARAMS, pDest->Blt(nullptr, nullptr, nullptr, 0, nullptr));
    EXPECT_EQ(DDERR_INVALIDPARAMS, pDest->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, nullptr));
    EXPECT_EQ(DDERR_NOCOLORKEY, pDest->Blt(nullptr, pSrc.get(), nullptr, DDBLT_KEYSRC, nullptr));
    EXPECT_EQ(DDERR_INVALIDRECT, pDest->Blt(nullptr, pSrc.get(), Rc({2, 2, 6, 6}), 0, nullptr));
    EXPECT_EQ(DDERR_INVALIDRECT, pDest->Blt(Rc({-2, 0, 6, 4}), pSrc.get(), Rc({0, 0, 2, 2}), 0, nullptr))
        << "a stretch that leaves the surface";
}

TEST(SurfaceTest, LostSurfaceRefusesWorkUntilRestored)
{
    SurfacePtr p = MakeSurface(4, 4);
    EXPECT_EQ(DD_OK, p->IsLost());
    p->MarkLost();
    EXPECT_EQ(DDERR_SURFACELOST, p->IsLost());
    DDSURFACEDESC2 desc;
    EXPECT_EQ(DDERR_SURFACELOST, p->Lock(nullptr, &desc, 0, nullptr));
    DDBLTFX fx;
    EXPECT_EQ(DDERR_SURFACELOST, p->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx));
    EXPECT_EQ(DD_OK, p->Restore());
    EXPECT_EQ(DD_OK, p->IsLost());
    EXPECT_EQ(DD_OK, p->Lock(nullptr, &desc, 0, nullptr));
    EXPECT_EQ(DD_OK, p->Unlock(nullptr));
}

TEST(SurfaceTest, FlipShowsTheBackBufferAndSwapsThem)
{
    SurfacePtr pFront = MakeSurface(4, 4);
    SurfacePtr pBack = MakeSurface(4, 4);
    ASSERT_EQ(DD_OK, pFront->AddAttachedSurface(pBack));
    CCountingOutput output;
    pFront->SetOutput(&output);
    Fill(*pBack, nullptr, 0x00FF00);
    EXPECT_EQ(0, output.m_nShown) << "drawing into the back buffer shows nothing";
    ASSERT_EQ(DD_OK, pFront->Flip(nullptr, DDFLIP_WAIT));
    EXPECT_EQ(1, output.m_nShown);
    EXPECT_EQ(0x00FF00u, output.m_dwFirstPixel);
    EXPECT_EQ(0u, pBack->GetPixelXrgb(0, 0)) << "the old front pixels are now behind";
    SurfacePtr pAttached;
    const DDSCAPS2 caps{DDSCAPS_BACKBUFFER};
    ASSERT_EQ(DD_OK, pFront->GetAttachedSurface(&caps, &pAttached));
    EXPECT_EQ(pBack, pAttached);
    pFront->SetOutput(nullptr);
}
