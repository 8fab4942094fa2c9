#include "render/TextureManager.h"

#include "fixtures/ImageFixtures.h"

#include "foundation/LoadImage.h"
#include "platform/win32/Modules.h"
#include "render/ArtLibraries.h"

#include <gtest/gtest.h>

namespace
{
/// A 24-bit bitmap file of w x h pixels, every pixel the colour f(x, y) as 0x00RRGGBB.
template <class F> std::string BmpFile(LONG w, LONG h, F f)
{
    SBmpDesc desc;
    desc.nWidth = w;
    desc.nHeight = h;
    for (LONG y = 0; y < h; ++y)
        for (LONG x = 0; x < w; ++x)
            desc.pixels.push_back(f(x, y));
    const std::vector<BYTE> bytes = EncodeBmp(desc);
    return std::string(bytes.begin(), bytes.end());
}

std::string FlatBmp(LONG w, LONG h, DWORD dwColour)
{
    return BmpFile(w, h, [dwColour](LONG, LONG) { return dwColour; });
}

std::string FlatJpeg(UINT w, UINT h, BYTE r, BYTE g, BYTE b)
{
    std::vector<BYTE> samples;
    for (UINT i = 0; i < w * h; ++i)
        samples.insert(samples.end(), {r, g, b});
    const std::vector<BYTE> bytes = EncodeJpeg(w, h, 3, samples, 100);
    return std::string(bytes.begin(), bytes.end());
}

/// A 2 x 2 TGA, 32 bits: one transparent pixel.
std::string TgaFile(BYTE nType)
{
    std::vector<BYTE> v = {0, 0, nType, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 32, 8};
    if (nType == 2)
        v.insert(v.end(), {0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 255, 255, 255, 255, 255, 0});
    else
        v.insert(v.end(), {0x82, 0, 0, 255, 255, 0x00, 255, 255, 255, 0});
    return std::string(v.begin(), v.end());
}

class TextureManagerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetTextureCaps(GetStandInTextureCaps());
        m_pTarget = CDirectDrawSurface::Create(8, 8, MakeRgbPixelFormat(32), DDSCAPS_3DDEVICE);
        m_pDevice = std::make_unique<CDirect3DDevice>(m_pTarget);
    }
    void TearDown() override
    {
        DeleteAllTextures();
        SetTextureCaps(GetStandInTextureCaps());
        g_crClothColor = 0;
    }

    /// The texel at (x, y) of a texture's surface as 0xAARRGGBB (32-bit surfaces).
    DWORD Texel(const char* szName, DWORD x, DWORD y)
    {
        const SurfacePtr p = GetTextureSurface(szName);
        if (!p || p->GetBitsPerPixel() != 32)
            return 0xDEADBEEF;
        return reinterpret_cast<const DWORD*>(p->GetBits() + y * static_cast<DWORD>(p->GetPitch()))[x];
    }

    CArtLibraries m_libs;
    SurfacePtr m_pTarget;
    std::unique_ptr<CDirect3DDevice> m_pDevice;
};
} // namespace

TEST_F(TextureManagerTest, NamesWithoutCaseAndTheFirstKept)
{
    m_libs.Add("Imagery.dll", "#2", "Wood.bmp", FlatBmp(4, 4, 0x804020)).Install();
    ASSERT_EQ(S_OK, CreateTexture("wood.BMP"));
    ASSERT_EQ(S_OK, CreateTexture("WOOD.bmp", nullptr, 0, TEXF_BLACK_TRANSPARENT)); // already there
    EXPECT_EQ(0u, FindTexture("Wood.bmp")->dwFlags);
    EXPECT_EQ(S_OK, RestoreTexture("wood.bmp", m_pDevice.get()));
    EXPECT_EQ(0xFF804020u, Texel("wood.bmp", 1, 1));
    EXPECT_NE(nullptr, GetTextureBitmap("WOOD.BMP"));
    EXPECT_EQ(TEXERR_NOTFOUND, RestoreTexture("oak.bmp", m_pDevice.get()));
    EXPECT_EQ(E_INVALIDARG, RestoreTexture("wood.bmp", nullptr));
    EXPECT_EQ(TEXERR_NOTFOUND, ReleaseTexture("oak.bmp"));
    EXPECT_EQ(S_OK, DeleteTexture("Wood.Bmp"));
    EXPECT_EQ(nullptr, FindTexture("wood.bmp"));
    EXPECT_EQ(TEXERR_NOTFOUND, DeleteTexture("wood.bmp"));
}

TEST_F(TextureManagerTest, PicturesFromEachSourceAndFailuresLeaveNoContainer)
{
    CTempFolder files;
    files.Write("plain.bmp", FlatBmp(2, 2, 0x102030));
    files.Write("photo.jpg", FlatJpeg(8, 8, 200, 100, 50));
    files.Write("nightgarden.bmp", FlatBmp(2, 2, 0x0000FF));
    files.Write("star.TGA", TgaFile(2));
    files.Write("bad.tga", "not a tga");
    m_libs.Add("Imagery1.dll", "JPG", "felt", FlatJpeg(8, 8, 0, 200, 0))
        .Add("Imagery.dll", "#2", "b_00.bmp", FlatBmp(2, 2, 0xFFFFFF))
        .Install();
    struct SCase
    {
        const char* szName;
        std::string strName;
        HRESULT hr;
    };
    const SCase aCases[] = {
        {"JPEG resource by its file part", "art\\felt.bmp", S_OK},
        {"bitmap resource by its whole name", "B_00.BMP", S_OK},
        {"bitmap file", files.File("plain.bmp"), S_OK},
        {"JPEG file", files.File("photo.jpg"), S_OK},
        {"a name containing tga is no TGA", files.File("nightgarden.bmp"), S_OK},
        {"TGA by its extension, any case", files.File("star.TGA"), S_OK},
        {"damaged TGA", files.File("bad.tga"), E_FAIL},
        {"missing TGA", files.File("none.tga"), E_FAIL},
        {"missing bitmap", files.File("none.bmp"), TEXERR_NOTFOUND},
        {"other kind of file", files.File("plain.png"), E_NOTIMPL},
        {"name past 259 characters", std::string(260, 'a') + ".bmp", E_INVALIDARG},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        EXPECT_EQ(c.hr, CreateTexture(c.strName.c_str()));
        EXPECT_EQ(c.hr == S_OK, FindTexture(c.strName.c_str()) != nullptr);
        if (c.hr == S_OK)
        {
            EXPECT_EQ(S_OK, RestoreTexture(c.strName.c_str(), m_pDevice.get()));
        }
    }
    EXPECT_EQ(32u, FindTexture("art\\felt.bmp")->dwBPP); // 16 asked for, the 32-bit ARGB format taken at once

    DeleteAllTextures();
    g_astrArtworkLibraries.RemoveAll();
    EXPECT_EQ(TEXERR_NOTFOUND, CreateTexture(files.File("plain.bmp").c_str())); // no artwork library at all
}

TEST_F(TextureManagerTest, SizesFollowTheDeviceRules)
{
    m_libs.Add("Imagery.dll", "#2", "odd.bmp", FlatBmp(100, 60, 0x00FF00)).Install();
    ASSERT_EQ(S_OK, CreateTexture("odd.bmp"));
    struct SCase
    {
        const char* szName;
        bool bPow2, bSquare;
        DWORD dwMax;
        DWORD w, h;
    };
    const SCase aCases[] = {
        {"no rule", false, false, 2048, 100, 60},
        {"powers of two", true, false, 2048, 128, 64},
        {"square powers of two", true, true, 2048, 128, 128},
        {"square", false, true, 2048, 100, 100},
        {"largest side 32", true, false, 32, 32, 32},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        STextureCaps caps = GetStandInTextureCaps();
        caps.bPow2 = c.bPow2;
        caps.bSquareOnly = c.bSquare;
        caps.dwMaxWidth = caps.dwMaxHeight = c.dwMax;
        SetTextureCaps(caps);
        ASSERT_EQ(S_OK, RestoreTexture("odd.bmp", m_pDevice.get()));
        const SurfacePtr p = GetTextureSurface("odd.bmp");
        EXPECT_EQ(c.w, p->GetWidth());
        EXPECT_EQ(c.h, p->GetHeight());
        EXPECT_EQ(0xFF00FF00u, Texel("odd.bmp", c.w - 1, c.h - 1)); // the picture fills the surface
    }
    ASSERT_EQ(S_OK, ReloadTexture("odd.bmp", m_pDevice.get())); // its own size
    EXPECT_EQ(100u, GetTextureSurface("odd.bmp")->GetWidth());
}

TEST_F(TextureManagerTest, FormatChoiceOverOtherEnumerations)
{
    m_libs.Add("Imagery.dll", "JPG", "photo", FlatJpeg(4, 4, 255, 0, 0)).Install();
    ASSERT_EQ(S_OK, CreateTexture("photo.jpg"));
    const STextureCaps standIn = GetStandInTextureCaps();
    struct SCase
    {
        const char* szName;
        std::vector<DDPIXELFORMAT> aFormats;
        HRESULT hr;
        DWORD dwBits;
    };
    const SCase aCases[] = {
        {"565 for a 16-bit picture without alpha", {standIn.aFormats[2], standIn.aFormats[1]}, S_OK, 16},
        {"only alpha formats of 16 bits", {standIn.aFormats[2], standIn.aFormats[3]}, E_FAIL, 0},
        {"nothing at all", {}, E_FAIL, 0},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        STextureCaps caps = standIn;
        caps.aFormats = c.aFormats;
        SetTextureCaps(caps);
        FindTexture("photo.jpg")->dwBPP = 16; // as the JPEG left it
        EXPECT_EQ(c.hr, RestoreTexture("photo.jpg", m_pDevice.get()));
        if (c.hr == S_OK)
        {
            EXPECT_EQ(c.dwBits, FindTexture("photo.jpg")->dwBPP);
            EXPECT_EQ(0xFF0000u, GetTextureSurface("photo.jpg")->GetPixelXrgb(0, 0));
        }
    }
}

TEST_F(TextureManagerTest, KeyingFlags)
{
    // Left pixel white, right pixel black, the middle one a dark red (red 0x40).
    m_libs
        .Add("Imagery.dll", "#2", "k.bmp",
             BmpFile(4, 1, [](LONG x, LONG) -> DWORD { return x == 0 ? 0xFFFFFF : (x == 1 ? 0x000000 : 0x400000); }))
        .Install();
    struct SCase
    {
        const char* szName;
        DWORD dwFlags;
        DWORD aTexels[3];
    };
    const SCase aCases[] = {
        {"none", 0, {0xFFFFFFFF, 0xFF000000, 0xFF400000}},
        {"white transparent", TEXF_WHITE_TRANSPARENT, {0x00FFFFFF, 0xFF000000, 0xFF400000}},
        {"black transparent", TEXF_BLACK_TRANSPARENT, {0xFFFFFFFF, 0x00000000, 0xFF400000}},
        {"uses transparency", TEXF_TRANSPARENT, {0xFFFFFFFF, 0x00000000, 0xFF400000}},
        {"alpha from red, white", TEXF_ALPHA_FROM_RED_WHITE, {0xFFFFFFFF, 0x00FFFFFF, 0x40FFFFFF}},
        {"alpha from red, black", TEXF_ALPHA_FROM_RED_BLACK, {0xFF000000, 0x00000000, 0x40000000}},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        DeleteAllTextures();
        ASSERT_EQ(S_OK, CreateTexture("k.bmp", nullptr, 0, c.dwFlags));
        ASSERT_EQ(S_OK, RestoreTexture("k.bmp", m_pDevice.get()));
        for (DWORD x = 0; x < 3; ++x)
            EXPECT_EQ(c.aTexels[x], Texel("k.bmp", x, 0)) << x;
    }
}

TEST_F(TextureManagerTest, TgaTypesKeepTheirAlpha)
{
    CTempFolder files;
    m_libs.Add("Imagery.dll", "SET", "x", "x").Install();
    for (BYTE nType : {BYTE{2}, BYTE{10}})
    {
        SCOPED_TRACE(nType);
        const std::string strName = files.File("p" + std::to_string(nType) + ".tga");
        files.Write("p" + std::to_string(nType) + ".tga", TgaFile(nType));
        ASSERT_EQ(S_OK, CreateTexture(strName.c_str()));
        EXPECT_TRUE(FindTexture(strName.c_str())->bHasAlpha);
        ASSERT_EQ(S_OK, RestoreTexture(strName.c_str(), m_pDevice.get()));
        // Rows bottom first: the file's last pixel (transparent white) is the top row's second.
        EXPECT_EQ(0xFFFF0000u, Texel(strName.c_str(), 0, 0));
        EXPECT_EQ(0x00FFFFFFu, Texel(strName.c_str(), 1, 0));
        EXPECT_EQ(0xFFFF0000u, Texel(strName.c_str(), 1, 1));
    }
}

TEST_F(TextureManagerTest, InvalidateAndRestoreGiveIdenticalPixels)
{
    m_libs
        .Add("Imagery.dll", "#2", "g.bmp",
             BmpFile(16, 8,
                     [](LONG x, LONG y) -> DWORD { return static_cast<DWORD>((x * 16) << 16 | (y * 32) << 8 | 0x55); }))
        .Install();
    ASSERT_EQ(S_OK, CreateTexture("g.bmp"));
    EXPECT_TRUE(g_bTexturesDirty);
    ASSERT_EQ(S_OK, RestoreAllTextures(m_pDevice.get()));
    const SurfacePtr pBefore = GetTextureSurface("g.bmp");
    const std::vector<BYTE> before(pBefore->GetBits(), pBefore->GetBits() + pBefore->GetPitch() * 8);
    InvalidateAllTextures();
    EXPECT_EQ(nullptr, GetTextureSurface("g.bmp"));
    ASSERT_EQ(S_OK, RestoreAllTextures(m_pDevice.get()));
    const SurfacePtr pAfter = GetTextureSurface("g.bmp");
    ASSERT_NE(nullptr, pAfter);
    EXPECT_EQ(before, std::vector<BYTE>(pAfter->GetBits(), pAfter->GetBits() + pAfter->GetPitch() * 8));
}

TEST_F(TextureManagerTest, FeltIsTintedWithTheClothColourAndKeptWhenItCannotReload)
{
    m_libs.Add("Imagery.dll", "JPG", "felt", FlatJpeg(8, 8, 0, 200, 0))
        .Add("Imagery.dll", "JPG", "felt_d", FlatJpeg(8, 8, 100, 100, 100))
        .Install();
    g_crClothColor = 0x00C80000; // blue 200 (0x00BBGGRR)
    ASSERT_EQ(S_OK, LoadFeltTextures(m_pDevice.get()));
    // The average of the picture and the cloth colour, within the JPEG's rounding.
    const DWORD dwFelt = GetTextureSurface("felt.bmp")->GetPixelXrgb(3, 3);
    EXPECT_NEAR(0, static_cast<int>((dwFelt >> 16) & 0xFF), 2);
    EXPECT_NEAR(100, static_cast<int>((dwFelt >> 8) & 0xFF), 2);
    EXPECT_NEAR(100, static_cast<int>(dwFelt & 0xFF), 2);
    const DWORD dwFeltD = GetTextureSurface("felt_d.bmp")->GetPixelXrgb(3, 3);
    EXPECT_NEAR(50, static_cast<int>((dwFeltD >> 16) & 0xFF), 2);

    // The libraries gone, the reload fails and the old felt stays.
    g_astrArtworkLibraries.RemoveAll();
    EXPECT_NE(S_OK, LoadFeltTextures(m_pDevice.get()));
    ASSERT_NE(nullptr, GetTextureSurface("felt.bmp"));
    EXPECT_EQ(dwFelt, GetTextureSurface("felt.bmp")->GetPixelXrgb(3, 3));
}

TEST(LoadImageTest, BitmapResourcesWholeOrPackedAndFiles)
{
    CArtLibraries libs;
    const std::string strFile = FlatBmp(3, 2, 0x123456);
    libs.Add("Imagery.dll", "#2", "whole.bmp", strFile)
        .Add("Imagery.dll", "#2", "packed.bmp", strFile.substr(14))
        .Install();
    const HMODULE hModule = LoadLibrary(libs.Path("Imagery.dll").c_str());
    ASSERT_NE(nullptr, hModule);
    for (const char* sz : {"whole.bmp", "packed.bmp"})
    {
        SCOPED_TRACE(sz);
        const HBITMAP h = LoadImage(hModule, sz, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
        ASSERT_NE(nullptr, h);
        BITMAP bm;
        ASSERT_NE(0, GetObject(h, sizeof bm, &bm));
        EXPECT_EQ(3, bm.bmWidth);
        EXPECT_EQ(2, bm.bmHeight);
        DeleteObject(h);
    }
    EXPECT_EQ(nullptr, LoadImage(hModule, "none.bmp", IMAGE_BITMAP, 0, 0, 0));
    FreeLibrary(hModule);
    libs.Folder().Write("f.bmp", strFile);
    const HBITMAP hFile = LoadImage(nullptr, libs.Folder().File("f.bmp").c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
    EXPECT_NE(nullptr, hFile);
    DeleteObject(hFile);
    EXPECT_EQ(nullptr, LoadImage(nullptr, libs.Folder().File("g.bmp").c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
}
