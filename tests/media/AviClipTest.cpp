// AVI clips: the writer's clips read back, damaged clips refused, frame conversion into 16- and
// 32-bit surfaces, and the texture clips' level and time rules on the test clock.
#include "media/AviClips.h"
#include "platform/TempFolder.h"
#include "platform/win32/Clock.h"
#include "tools/aviclip/AviWriter.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <map>

namespace
{

SAviClipDesc PatternClip(LONG nWidth, LONG nHeight, WORD nBits, int nFrames, bool bIndex = true)
{
    SAviClipDesc desc;
    desc.nWidth = nWidth;
    desc.nHeight = nHeight;
    desc.nBitCount = nBits;
    desc.dwRate = 10;
    desc.bIndex = bIndex;
    for (int n = 0; n < nFrames; ++n)
        desc.frames.push_back(PatternFrame(nWidth, nHeight, nBits, n));
    return desc;
}

std::size_t FindId(const std::vector<BYTE>& bytes, const char* szId)
{
    const auto it = std::search(bytes.begin(), bytes.end(), szId, szId + 4);
    return static_cast<std::size_t>(it - bytes.begin());
}

void PutU32At(std::vector<BYTE>& bytes, std::size_t nAt, DWORD n)
{
    for (int i = 0; i < 4; ++i)
        bytes[nAt + static_cast<std::size_t>(i)] = static_cast<BYTE>(n >> (8 * i));
}

/// 5-6-5 or 5-5-5 by the green mask at 16 bits, XRGB at 32.
DDPIXELFORMAT Format(DWORD dwBits, DWORD dwGreen)
{
    return dwBits == 16 && dwGreen == 0x3E0 ? MakePixelFormat(16, 0x7C00, 0x3E0, 0x1F) : MakeRgbPixelFormat(dwBits);
}

WORD Pixel16(CDirectDrawSurface& surface, int x, int y)
{
    DDSURFACEDESC2 desc;
    surface.Lock(nullptr, &desc, DDLOCK_WAIT, nullptr);
    const BYTE* p = static_cast<const BYTE*>(desc.lpSurface) + y * desc.lPitch + x * 2;
    const WORD v = static_cast<WORD>(p[0] | p[1] << 8);
    surface.Unlock(nullptr);
    return v;
}

/// Textures by name, counting the restores.
class CFakeTextures : public IClipTextures
{
public:
    SurfacePtr FindTextureSurface(CDirect3DDevice*, const CString& strTexture) override
    {
        const auto it = m_surfaces.find(strTexture.Str());
        return it != m_surfaces.end() ? it->second : nullptr;
    }
    void RestoreTexture(CDirect3DDevice*, const CString&) override { ++m_nRestores; }

    std::map<std::string, SurfacePtr> m_surfaces;
    int m_nRestores = 0;
};

/// A clip file in a temporary folder, the fake textures set for the clip list, the test clock.
class CAviClipTest : public testing::Test
{
protected:
    void SetUp() override
    {
        CAviClipList::SetTextures(&m_textures);
        InitAviFile();
    }
    void TearDown() override
    {
        ExitAviFile();
        CAviClipList::SetTextures(nullptr);
    }
    std::string WriteClip(const SAviClipDesc& desc, const std::string& strName = "clip.avi")
    {
        std::string strError;
        EXPECT_TRUE(WriteAviClip(m_folder.File(strName), desc, strError)) << strError;
        return m_folder.File(strName);
    }
    /// The frame number a 24-bit pattern frame shows, read from its blue ramp at (0, bottom row).
    int ShownFrame(CDirectDrawSurface& surface, LONG nHeight)
    {
        const WORD v = Pixel16(surface, 0, static_cast<int>(nHeight - 1));
        for (int n = 0; n < 50; ++n)
        {
            if ((v & 0x1F) == (static_cast<BYTE>(n * 37) >> 3))
                return n;
        }
        return -1;
    }

    CTempFolder m_folder;
    CFakeTextures m_textures;
    CTestClockScope m_clock{1000};
};

} // namespace

TEST(AviReaderTest, WrittenClipsReadBackFrameForFrame)
{
    struct SCase
    {
        LONG nWidth;
        LONG nHeight;
        WORD nBits;
        bool bIndex;
    };
    const SCase aCases[] = {{4, 3, 24, true}, {5, 3, 24, false}, {3, 2, 16, true}, {7, 5, 16, false}, {1, 1, 24, true}};
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(testing::Message() << c.nWidth << "x" << c.nHeight << ", " << c.nBits << " bits, index "
                                        << c.bIndex);
        const SAviClipDesc desc = PatternClip(c.nWidth, c.nHeight, c.nBits, 6, c.bIndex);
        std::string strError;
        const auto pReader = CAviReader::FromBytes(BuildAviClip(desc), strError);
        ASSERT_NE(pReader, nullptr) << strError;
        EXPECT_EQ(pReader->FrameCount(), 6u);
        EXPECT_EQ(pReader->StreamHeader().dwRate, 10u);
        EXPECT_EQ(pReader->StreamHeader().dwScale, 1u);
        EXPECT_EQ(pReader->Format().biWidth, c.nWidth);
        for (DWORD n = 0; n < 6; ++n)
        {
            const std::span<const BYTE> pixels = pReader->FramePixels(n);
            ASSERT_EQ(pixels.size(), desc.frames[n].size());
            EXPECT_TRUE(std::equal(pixels.begin(), pixels.end(), desc.frames[n].begin())) << "frame " << n;
        }
        EXPECT_TRUE(pReader->FramePixels(6).empty());
        std::vector<BYTE> dib;
        ASSERT_TRUE(pReader->CopyFrame(5, dib));
        EXPECT_EQ(dib.size(), BITMAPINFOHEADER_SIZE + desc.frames[5].size());
    }
}

TEST(AviReaderTest, DamagedClipsAreRefused)
{
    const std::vector<BYTE> good = BuildAviClip(PatternClip(3, 2, 24, 2));
    std::string strError;
    // Cut anywhere, up to the last byte: the RIFF chunk then reaches past the file.
    for (std::size_t nCut = 0; nCut < good.size(); ++nCut)
    {
        const std::vector<BYTE> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(nCut));
        ASSERT_EQ(CAviReader::FromBytes(cut, strError), nullptr) << "cut at " << nCut;
    }
    const std::size_t nStrh = FindId(good, "strh") + 8;
    const std::size_t nStrf = FindId(good, "strf") + 8;
    const std::size_t nFrame = FindId(good, "00db");
    const std::size_t nHdrl = FindId(good, "hdrl") - 8;
    struct SCase
    {
        const char* szName;
        std::function<void(std::vector<BYTE>&)> damage;
    };
    const SCase aCases[] = {
        {"zero scale", [&](std::vector<BYTE>& b) { PutU32At(b, nStrh + 20, 0); }},
        {"zero rate", [&](std::vector<BYTE>& b) { PutU32At(b, nStrh + 24, 0); }},
        {"zero length", [&](std::vector<BYTE>& b) { PutU32At(b, nStrh + 32, 0); }},
        {"start past the end", [&](std::vector<BYTE>& b) { PutU32At(b, nStrh + 28, 2); }},
        {"more frames claimed than stored", [&](std::vector<BYTE>& b) { PutU32At(b, nStrh + 32, 3); }},
        {"compressed", [&](std::vector<BYTE>& b) { PutU32At(b, nStrf + 16, MakeFourCC('M', 'J', 'P', 'G')); }},
        {"8-bit", [&](std::vector<BYTE>& b) { b[nStrf + 14] = 8; }},
        {"zero width", [&](std::vector<BYTE>& b) { PutU32At(b, nStrf + 4, 0); }},
        {"top-down rows", [&](std::vector<BYTE>& b) { PutU32At(b, nStrf + 8, 0xFFFFFFFEu); }},
        {"huge width", [&](std::vector<BYTE>& b) { PutU32At(b, nStrf + 4, 0x7FFFFFFF); }},
        {"a frame chunk past its list", [&](std::vector<BYTE>& b) { PutU32At(b, nFrame + 4, 0xFFFFFFF0u); }},
        {"a frame shorter than its picture", [&](std::vector<BYTE>& b) { PutU32At(b, nFrame + 4, 4); }},
        {"the header list past the file", [&](std::vector<BYTE>& b) { PutU32At(b, nHdrl + 4, 0x7FFFFFF0); }},
        {"no video stream", [&](std::vector<BYTE>& b) { std::memcpy(&b[nStrh], "auds", 4); }},
        {"not AVI", [&](std::vector<BYTE>& b) { b[8] = 'W'; }},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        std::vector<BYTE> bytes = good;
        c.damage(bytes);
        strError.clear();
        EXPECT_EQ(CAviReader::FromBytes(bytes, strError), nullptr);
        EXPECT_FALSE(strError.empty());
    }
}

TEST(AviReaderTest, FramesConvertToEverySurfaceForm)
{
    // A 3 x 2 frame (odd width: 24-bit rows padded from 9 to 12 bytes), bottom row first:
    // bottom = pure red, green, blue; top = white, black, (8, 16, 248).
    BITMAPINFOHEADER frame;
    frame.biWidth = 3;
    frame.biHeight = 2;
    frame.biBitCount = 24;
    const BYTE a24[] = {0,   0,   255, 0, 255, 0, 255, 0,  0, 0xEE, 0xEE, 0xEE,
                        255, 255, 255, 0, 0,   0, 248, 16, 8, 0xEE, 0xEE, 0xEE};
    struct SCase
    {
        const char* szName;
        DDPIXELFORMAT ddpf;
        DWORD adwExpect[6]; // top row first
    };
    const SCase aCases[] = {
        {"5-6-5", Format(16, 0x7E0), {0xFFFF, 0x0000, 0x089F, 0xF800, 0x07E0, 0x001F}},
        {"5-5-5", Format(16, 0x3E0), {0x7FFF, 0x0000, 0x045F, 0x7C00, 0x03E0, 0x001F}},
        {"XRGB", Format(32, 0xFF00), {0xFFFFFFFF, 0xFF000000, 0xFF0810F8, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF}},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        const SurfacePtr pSurface = CDirectDrawSurface::Create(3, 2, c.ddpf, 0);
        DDSURFACEDESC2 desc;
        ASSERT_EQ(pSurface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
        ASSERT_TRUE(ConvertFrame(frame, a24, desc));
        const DWORD dwBytes = c.ddpf.dwRGBBitCount / 8;
        for (int i = 0; i < 6; ++i)
        {
            DWORD v = 0;
            std::memcpy(&v, static_cast<const BYTE*>(desc.lpSurface) + (i / 3) * desc.lPitch + (i % 3) * dwBytes,
                        dwBytes);
            EXPECT_EQ(v, c.adwExpect[i]) << "pixel " << i;
        }
        pSurface->Unlock(nullptr);
    }
    // 5-5-5 frames: copied to 5-5-5, red and green moved up a bit for 5-6-5.
    frame.biWidth = 1;
    frame.biHeight = 1;
    frame.biBitCount = 16;
    const BYTE a16[] = {0x1F, 0x7C, 0, 0}; // 0x7C1F: full red and blue
    for (const auto& [dwGreen, wExpect] : {std::pair{0x3E0u, 0x7C1F}, std::pair{0x7E0u, 0xF81F}})
    {
        const SurfacePtr pSurface = CDirectDrawSurface::Create(1, 1, Format(16, dwGreen), 0);
        DDSURFACEDESC2 desc;
        pSurface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr);
        ConvertFrame(frame, a16, desc);
        pSurface->Unlock(nullptr);
        EXPECT_EQ(Pixel16(*pSurface, 0, 0), wExpect);
    }
}

TEST_F(CAviClipTest, LevelsPlayHoldOrRestoreTheTexture)
{
    const SAviClipDesc desc = PatternClip(4, 4, 24, 5); // 10 frames a second
    const std::string strPath = WriteClip(desc);
    m_textures.m_surfaces["tv.bmp"] = CDirectDrawSurface::Create(4, 4, Format(16, 0x7E0), 0);
    CDirectDrawSurface& surface = *m_textures.m_surfaces["tv.bmp"];
    const int nClip = CAviClipList::AddClip(strPath.c_str(), "tv.bmp", 1, 3);
    ASSERT_EQ(nClip, 0);
    EXPECT_EQ(CAviClipList::GetCount(), 1);
    EXPECT_EQ(CAviClipList::AddClip(m_folder.File("missing.avi").c_str(), "tv.bmp", 1, 0), -1);
    EXPECT_FALSE(CAviClipList::UpdateClip(-1, 2, nullptr));
    EXPECT_FALSE(CAviClipList::UpdateClip(1, 2, nullptr));

    // Level 0: the texture keeps its own image; nothing to give back yet.
    EXPECT_TRUE(CAviClipList::UpdateClip(nClip, 0, nullptr));
    EXPECT_EQ(m_textures.m_nRestores, 0);
    // Above the clip's level it plays by time.
    EXPECT_TRUE(CAviClipList::UpdateClip(nClip, 2, nullptr));
    EXPECT_EQ(ShownFrame(surface, 4), 0);
    EXPECT_FALSE(CAviClipList::UpdateClip(nClip, 2, nullptr)); // same frame: not drawn again
    m_clock.Advance(250);
    EXPECT_TRUE(CAviClipList::UpdateClip(nClip, 2, nullptr));
    EXPECT_EQ(ShownFrame(surface, 4), 2);
    // At its level the still frame shows, whatever the time.
    EXPECT_TRUE(CAviClipList::UpdateClip(nClip, 1, nullptr));
    EXPECT_EQ(ShownFrame(surface, 4), 3);
    m_clock.Advance(100);
    CAviClipList::UpdateClip(nClip, 1, nullptr);
    EXPECT_EQ(ShownFrame(surface, 4), 3);
    // Turned off, the texture gets its image back once, not every frame.
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(CAviClipList::UpdateClip(nClip, 0, nullptr));
    EXPECT_EQ(m_textures.m_nRestores, 1);
}

TEST_F(CAviClipTest, ClipsLoopFromTheirStartOrHoldTheirEnd)
{
    SAviClipDesc desc = PatternClip(4, 4, 24, 5);
    desc.dwStart = 1;
    const int nClip = CAviClipList::AddClip(WriteClip(desc).c_str(), "tv.bmp", 1, 0);
    m_textures.m_surfaces["tv.bmp"] = CDirectDrawSurface::Create(4, 4, Format(16, 0x7E0), 0);
    CDirectDrawSurface& surface = *m_textures.m_surfaces["tv.bmp"];
    CAviClip& clip = *CAviClipList::GetClip(nClip);
    m_clock.Advance(450);
    // An opened clip stands on its last frame: only a forced draw shows it.
    EXPECT_FALSE(clip.AdvanceByTime(nullptr, nullptr, FALSE, FALSE));
    EXPECT_TRUE(clip.AdvanceByTime(nullptr, nullptr, FALSE, TRUE));
    EXPECT_EQ(ShownFrame(surface, 4), 4);
    m_clock.Advance(100); // past the end: restarts at the start frame
    EXPECT_TRUE(clip.AdvanceByTime(nullptr, nullptr, FALSE, FALSE));
    EXPECT_EQ(ShownFrame(surface, 4), 1);
    EXPECT_EQ(clip.m_nCurrentFrame, 1);
    EXPECT_FALSE(clip.AdvanceByTime(nullptr, nullptr, TRUE, TRUE)); // hold: nothing drawn

    clip.m_bLooping = FALSE;
    m_clock.Advance(5000);
    EXPECT_TRUE(clip.AdvanceByTime(nullptr, nullptr, FALSE, FALSE));
    EXPECT_TRUE(clip.m_bFinished);
    EXPECT_EQ(ShownFrame(surface, 4), 4);
    // A frame of another size is not drawn; a lost surface is restored.
    m_textures.m_surfaces["tv.bmp"] = CDirectDrawSurface::Create(8, 4, Format(16, 0x7E0), 0);
    EXPECT_FALSE(clip.SeekFrame(2, nullptr, nullptr));
    m_textures.m_surfaces["tv.bmp"] = CDirectDrawSurface::Create(4, 4, Format(16, 0x7E0), 0);
    m_textures.m_surfaces["tv.bmp"]->MarkLost();
    EXPECT_TRUE(clip.SeekFrame(2, nullptr, nullptr));
    EXPECT_EQ(m_textures.m_surfaces["tv.bmp"]->IsLost(), DD_OK);
    EXPECT_FALSE(clip.SeekFrame(2, "no such texture", nullptr));
}

TEST_F(CAviClipTest, StreamRecordsWrapAndMarkIt)
{
    SAviClipDesc desc = PatternClip(2, 2, 16, 4);
    desc.dwStart = 2;
    const std::string strPath = WriteClip(desc);
    CAviStream stream;
    EXPECT_EQ(stream.GetAviFrame(1.0f), nullptr); // not open
    EXPECT_FALSE(stream.OpenAviStream(m_folder.File("missing.avi").c_str()));
    ASSERT_TRUE(stream.OpenAviStream(strPath.c_str()));
    EXPECT_EQ(stream.m_nCurrentFrame, 3);
    EXPECT_NE(stream.GetAviFrame(1.0f), nullptr);
    EXPECT_EQ(stream.m_nCurrentFrame, 0);
    m_clock.Advance(150);
    stream.GetAviFrame(2.0f); // double speed: frame 3
    EXPECT_EQ(stream.m_nCurrentFrame, 3);
    EXPECT_FALSE(stream.m_bWrapped);
    m_clock.Advance(100);
    EXPECT_NE(stream.GetAviFrame(2.0f), nullptr);
    EXPECT_EQ(stream.m_nCurrentFrame, 2);
    EXPECT_TRUE(stream.m_bWrapped);
    stream.CloseAviStream();
    EXPECT_EQ(stream.GetAviFrame(1.0f), nullptr);
}
