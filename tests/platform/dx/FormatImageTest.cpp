// Image tests of the device in every accepted surface and texture format, the formats it refuses, depth buffers
// of 16 and 32 bits, and textures whose sides are not powers of two.
#include "RenderFixture.h"

#include "platform/dx/DirectDraw.h"

#include <vector>

namespace
{
/// Shows the texture's texels as they are.
void SelectTexture(CDirect3DDevice& device, const SurfacePtr& pTexture)
{
    device.SetTexture(0, pTexture);
    device.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device.SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
}

DWORD RawPixel(const CDirectDrawSurface& s, DWORD x, DWORD y)
{
    DWORD dw = 0;
    const size_t nBytes = s.GetBitsPerPixel() / 8;
    std::memcpy(&dw, s.GetBits() + y * static_cast<DWORD>(s.GetPitch()) + x * nBytes, nBytes);
    return dw;
}
} // namespace

// ---------------------------------------------------------------------------------------------------------------------
// Formats
// ---------------------------------------------------------------------------------------------------------------------

TEST_F(CRenderFixture, EveryTargetFormatReceivesItsOwnBits)
{
    // 0xFF8040 cleared into the left half and drawn into the right half, read back as raw pixels.
    struct SCase
    {
        const char* szName;
        DDPIXELFORMAT ddpf;
        DWORD dwRaw;
    };
    const SCase aCases[] = {
        {"XRGB 8888", MakeRgbPixelFormat(32), 0x00FF8040},
        {"ARGB 8888", MakeArgbPixelFormat(), 0xFFFF8040},
        {"XBGR 8888", MakePixelFormat(32, 0xFF, 0xFF00, 0xFF0000), 0x004080FF},
        {"RGB 565", MakeRgbPixelFormat(16), 0xFC08},
        {"RGB 555", MakePixelFormat(16, 0x7C00, 0x03E0, 0x001F), 0x7E08},
        {"BGR 565", MakePixelFormat(16, 0x001F, 0x07E0, 0xF800), 0x441F},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        SetUpTargetFormat(16, 8, c.ddpf, MakeZBufferPixelFormat(16));
        const D3DRECT rcLeft{0, 0, 8, 8};
        ASSERT_EQ(D3D_OK, m_pViewport->Clear2(1, &rcLeft, D3DCLEAR_TARGET, 0xFF8040, 1, 0));
        const D3DTLVERTEX aQuad[] = {Tl(8, 0, 0xFFFF8040), Tl(16, 0, 0xFFFF8040), Tl(8, 8, 0xFFFF8040),
                                     Tl(16, 8, 0xFFFF8040)};
        DrawStrip(aQuad, 4);
        EXPECT_EQ(c.dwRaw, RawPixel(*m_pTarget, 3, 3)) << "cleared";
        EXPECT_EQ(c.dwRaw, RawPixel(*m_pTarget, 12, 3)) << "drawn";
    }
}

TEST_F(CRenderFixture, EveryTextureFormatDecodesItsOwnBits)
{
    struct SCase
    {
        const char* szName;
        DDPIXELFORMAT ddpf;
        DWORD dwRaw;
        DWORD dwXrgb; // what the texel shows as
    };
    const SCase aCases[] = {
        {"ARGB 8888", MakeArgbPixelFormat(), 0x80FF8040, 0xFF8040},
        {"XRGB 8888", MakeRgbPixelFormat(32), 0x00FF8040, 0xFF8040},
        {"XBGR 8888", MakePixelFormat(32, 0xFF, 0xFF00, 0xFF0000), 0x004080FF, 0xFF8040},
        {"RGB 565", MakeRgbPixelFormat(16), 0xFC08, 0xFF8242},
        {"RGB 555", MakePixelFormat(16, 0x7C00, 0x03E0, 0x001F), 0x7E08, 0xFF8442},
        {"ARGB 1555", MakePixelFormat(16, 0x7C00, 0x03E0, 0x001F, 0x8000), 0xFE08, 0xFF8442},
        {"ARGB 4444", MakePixelFormat(16, 0x0F00, 0x00F0, 0x000F, 0xF000), 0xFF84, 0xFF8844},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        SetUpTarget(8, 8);
        SurfacePtr pTexture = MakeRawTexture(2, 2, c.ddpf, std::vector<DWORD>(4, c.dwRaw));
        ASSERT_NE(nullptr, pTexture);
        SelectTexture(*m_pDevice, pTexture);
        const D3DTLVERTEX aQuad[] = {Tl(0, 0, 0xFF000000, 0.5f, 0, 0), Tl(8, 0, 0xFF000000, 0.5f, 1, 0),
                                     Tl(0, 8, 0xFF000000, 0.5f, 0, 1), Tl(8, 8, 0xFF000000, 0.5f, 1, 1)};
        DrawStrip(aQuad, 4);
        EXPECT_EQ(c.dwXrgb, Pixel(4, 4));
    }
}

TEST(DeviceFormatTest, FormatsTheDeviceCannotUseAreRefusedAndTheListedOnesMade)
{
    DirectDrawPtr pDD;
    ASSERT_EQ(DD_OK, DirectDrawCreate(LoadDisplayAdapter(), nullptr, &pDD));
    const auto create = [&](const DDPIXELFORMAT& ddpf, DWORD dwCaps)
    {
        DDSURFACEDESC2 desc;
        desc.dwSize = DDSURFACEDESC2_SIZE;
        desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
        desc.dwWidth = desc.dwHeight = 4;
        desc.ddsCaps.dwCaps = dwCaps;
        desc.ddpfPixelFormat = ddpf;
        SurfacePtr p;
        return pDD->CreateSurface(&desc, &p);
    };
    DDPIXELFORMAT pal8;
    pal8.dwSize = DDPIXELFORMAT_SIZE;
    pal8.dwFlags = DDPF_RGB | DDPF_PALETTEINDEXED8;
    pal8.dwRGBBitCount = 8;
    DDPIXELFORMAT fourCC = MakeRgbPixelFormat(16);
    fourCC.dwFlags = DDPF_FOURCC;
    struct SCase
    {
        const char* szName;
        DDPIXELFORMAT ddpf;
        DWORD dwCaps;
    };
    const SCase aRefused[] = {
        {"24-bit surface", MakePixelFormat(24, 0xFF0000, 0xFF00, 0xFF), DDSCAPS_OFFSCREENPLAIN},
        {"24-bit texture", MakePixelFormat(24, 0xFF0000, 0xFF00, 0xFF), DDSCAPS_TEXTURE},
        {"8-bit palettised texture", pal8, DDSCAPS_TEXTURE},
        {"FourCC texture", fourCC, DDSCAPS_TEXTURE},
        {"overlapping masks", MakePixelFormat(16, 0xFC00, 0x07E0, 0x001F), DDSCAPS_TEXTURE},
        {"split mask", MakePixelFormat(16, 0xF801, 0x07E0, 0x001E), DDSCAPS_TEXTURE},
        {"24-bit depth", MakeZBufferPixelFormat(24), DDSCAPS_ZBUFFER},
    };
    for (const SCase& c : aRefused)
    {
        SCOPED_TRACE(c.szName);
        EXPECT_EQ(DDERR_INVALIDPIXELFORMAT, create(c.ddpf, c.dwCaps));
    }

    CDirect3DDevice device(CDirectDrawSurface::Create(4, 4, MakeRgbPixelFormat(32), DDSCAPS_3DDEVICE));
    std::vector<DDPIXELFORMAT> aListed;
    ASSERT_EQ(D3D_OK, device.EnumTextureFormats(
                          [](DDPIXELFORMAT* p, void* pContext)
                          {
                              static_cast<std::vector<DDPIXELFORMAT>*>(pContext)->push_back(*p);
                              return D3DENUMRET_OK;
                          },
                          &aListed));
    ASSERT_EQ(4u, aListed.size());
    EXPECT_EQ(0xFF000000u, aListed[0].dwRGBAlphaBitMask) << "32-bit ARGB comes first";
    for (const DDPIXELFORMAT& f : aListed)
    {
        SCOPED_TRACE(f.dwRGBBitCount);
        EXPECT_EQ(0u, f.dwFlags & DDPF_PALETTEINDEXED8);
        EXPECT_EQ(DD_OK, create(f, DDSCAPS_TEXTURE));
    }
}

// ---------------------------------------------------------------------------------------------------------------------
// Depth buffers
// ---------------------------------------------------------------------------------------------------------------------

TEST_F(CRenderFixture, ThirtyTwoBitDepthTellsApartWhatSixteenBitsCannot)
{
    // Two quads 1e-6 apart in depth, the farther drawn last with "less": 32 bits keep the nearer one, 16 bits see
    // one depth and keep the first as well; drawn nearer last, only 32 bits let it through.
    struct SCase
    {
        DWORD dwZBits;
        bool bNearerLast;
        DWORD dwExpected;
    };
    const SCase aCases[] = {{32, false, 0x00FF00}, {32, true, 0x0000FF}, {16, true, 0x00FF00}};
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(testing::Message() << c.dwZBits << " bits, nearer last " << c.bNearerLast);
        SetUpTargetFormat(8, 8, MakeRgbPixelFormat(32), MakeZBufferPixelFormat(c.dwZBits));
        m_pDevice->SetRenderState(D3DRENDERSTATE_ZFUNC, D3DCMP_LESS);
        const float fFirst = c.bNearerLast ? 0.500001f : 0.5f, fSecond = c.bNearerLast ? 0.5f : 0.500001f;
        const D3DTLVERTEX aFirst[] = {Tl(0, 0, 0xFF00FF00, fFirst), Tl(8, 0, 0xFF00FF00, fFirst),
                                      Tl(0, 8, 0xFF00FF00, fFirst), Tl(8, 8, 0xFF00FF00, fFirst)};
        const D3DTLVERTEX aSecond[] = {Tl(0, 0, 0xFF0000FF, fSecond), Tl(8, 0, 0xFF0000FF, fSecond),
                                       Tl(0, 8, 0xFF0000FF, fSecond), Tl(8, 8, 0xFF0000FF, fSecond)};
        DrawStrip(aFirst, 4);
        DrawStrip(aSecond, 4);
        EXPECT_EQ(c.dwExpected, Pixel(4, 4));
    }
}

TEST_F(CRenderFixture, ThirtyTwoBitDepthBufferClearsToItsFullRange)
{
    SetUpTargetFormat(4, 4, MakeRgbPixelFormat(32), MakeZBufferPixelFormat(32));
    ASSERT_EQ(D3D_OK, m_pViewport->Clear2(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0));
    EXPECT_EQ(0xFFFFFFFFu, RawPixel(*m_pZ, 1, 1));
    ASSERT_EQ(D3D_OK, m_pViewport->Clear2(0, nullptr, D3DCLEAR_ZBUFFER, 0, 0.25f, 0));
    EXPECT_EQ(0x40000000u, RawPixel(*m_pZ, 1, 1));
}

// ---------------------------------------------------------------------------------------------------------------------
// Texture sizes
// ---------------------------------------------------------------------------------------------------------------------

TEST_F(CRenderFixture, NonPowerOfTwoTextureIsAddressedByItsOwnSize)
{
    // A 100 x 60 texture of distinct texels drawn twice across and twice down, one texel per pixel: every pixel
    // shows the texel at its position modulo the texture's size.
    constexpr DWORD W = 100, H = 60;
    std::vector<DWORD> aTexels(W * H);
    for (DWORD y = 0; y < H; ++y)
        for (DWORD x = 0; x < W; ++x)
            aTexels[y * W + x] = (x * 2) << 16 | (y * 4) << 8 | ((x * 7 + y * 13) & 0xFF);
    SetUpTarget(2 * W, 2 * H);
    SelectTexture(*m_pDevice, MakeRawTexture(W, H, MakeRgbPixelFormat(32), aTexels));
    const float fw = 2 * W, fh = 2 * H;
    const D3DTLVERTEX aQuad[] = {Tl(0, 0, 0xFF000000, 0.5f, 0, 0), Tl(fw, 0, 0xFF000000, 0.5f, 2, 0),
                                 Tl(0, fh, 0xFF000000, 0.5f, 0, 2), Tl(fw, fh, 0xFF000000, 0.5f, 2, 2)};
    DrawStrip(aQuad, 4);
    SaveFrame();
    int nWrong = 0;
    for (DWORD y = 0; y < 2 * H; ++y)
        for (DWORD x = 0; x < 2 * W; ++x)
        {
            const DWORD dwWant = aTexels[(y % H) * W + x % W];
            if (Pixel(static_cast<int>(x), static_cast<int>(y)) != dwWant && ++nWrong <= 5)
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") shows " << std::hex
                              << Pixel(static_cast<int>(x), static_cast<int>(y)) << ", want " << dwWant;
        }
    EXPECT_EQ(0, nWrong);
}

TEST_F(CRenderFixture, SliverWithASteepDepthSlopeDrawsOnlyItsOwnColour)
{
    // Nearly collinear corners: the depth plane's slope is far beyond a whole depth range per pixel.
    for (const DWORD dwZBits : {16u, 32u})
    {
        SCOPED_TRACE(dwZBits);
        SetUpTargetFormat(64, 32, MakeRgbPixelFormat(32), MakeZBufferPixelFormat(dwZBits));
        const D3DTLVERTEX aSliver[] = {Tl(0, 0, 0xFF00FF00, 0), Tl(64, 32, 0xFF00FF00, 1),
                                       Tl(32, 16.0001f, 0xFF00FF00, 0)};
        m_pDevice->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
        DrawStrip(aSliver, 3);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 64; ++x)
                if (Pixel(x, y) != 0 && Pixel(x, y) != 0x00FF00)
                    ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << Pixel(x, y);
    }
}
