// The software ball painter on memory frames of every format it paints: sizes, rejects, coverage
// against the disc table, packing, clipping with guard bytes, the number disc, the image cache.
#include "render/BallPainter.h"

#include "simulation/DiscTable.h"

#include <cmath>
#include <gtest/gtest.h>

namespace
{
constexpr int GUARD = 8;
constexpr BYTE GUARD_BYTE = 0xAB;

DDPIXELFORMAT Format(DWORD nBits, DWORD r, DWORD g, DWORD b)
{
    DDPIXELFORMAT pf;
    pf.dwRGBBitCount = nBits;
    pf.dwRBitMask = r;
    pf.dwGBitMask = g;
    pf.dwBBitMask = b;
    return pf;
}

const DDPIXELFORMAT XRGB = Format(32, 0xFF0000, 0xFF00, 0xFF);
const DDPIXELFORMAT RGB565 = Format(16, 0xF800, 0x07E0, 0x001F);

/// A frame of w x h pixels inside a border of guard bytes.
struct SFrame
{
    SFrame(int w, int h, const DDPIXELFORMAT& pf) : nBytes(std::max<int>(1, static_cast<int>(pf.dwRGBBitCount / 8)))
    {
        const int nPitch = (w + 2 * GUARD) * nBytes;
        bytes.assign(static_cast<std::size_t>(nPitch * (h + 2 * GUARD)), GUARD_BYTE);
        desc.dwWidth = static_cast<DWORD>(w);
        desc.dwHeight = static_cast<DWORD>(h);
        desc.lPitch = nPitch;
        desc.ddpfPixelFormat = pf;
        desc.lpSurface = bytes.data() + GUARD * nPitch + GUARD * nBytes;
        for (int y = 0; y < h; ++y)
            std::fill_n(Row(y), w * nBytes, BYTE{0});
    }
    BYTE* Row(int y) { return static_cast<BYTE*>(desc.lpSurface) + y * desc.lPitch; }
    DWORD At(int x, int y)
    {
        DWORD v = 0;
        std::memcpy(&v, Row(y) + x * nBytes, static_cast<std::size_t>(nBytes));
        return v;
    }
    bool GuardIntact() const
    {
        const int w = static_cast<int>(desc.dwWidth), h = static_cast<int>(desc.dwHeight);
        for (int y = -GUARD; y < h + GUARD; ++y)
            for (int x = -GUARD; x < w + GUARD; ++x)
                if (x < 0 || y < 0 || x >= w || y >= h)
                    for (int k = 0; k < nBytes; ++k)
                        if (bytes[static_cast<std::size_t>((y + GUARD) * desc.lPitch + (x + GUARD) * nBytes + k)] !=
                            GUARD_BYTE)
                            return false;
        return true;
    }
    void Fill(DWORD v)
    {
        for (int y = 0; y < static_cast<int>(desc.dwHeight); ++y)
            for (int x = 0; x < static_cast<int>(desc.dwWidth); ++x)
                std::memcpy(Row(y) + x * nBytes, &v, static_cast<std::size_t>(nBytes));
    }
    /// Pixels that are no longer the background, and the centroid of them.
    int Painted(double* pcx = nullptr, double* pcy = nullptr, DWORD background = 0)
    {
        int n = 0;
        double sx = 0.0, sy = 0.0;
        for (int y = 0; y < static_cast<int>(desc.dwHeight); ++y)
            for (int x = 0; x < static_cast<int>(desc.dwWidth); ++x)
                if (At(x, y) != background)
                {
                    ++n;
                    sx += x + 0.5;
                    sy += y + 0.5;
                }
        if (pcx != nullptr && n > 0)
        {
            *pcx = sx / n;
            *pcy = sy / n;
        }
        return n;
    }
    int nBytes;
    std::vector<BYTE> bytes;
    DDSURFACEDESC2 desc;
};

D3DMATRIX Identity()
{
    D3DMATRIX m;
    for (int k = 0; k < 4; ++k)
        m.m[k][k] = 1.0f;
    return m;
}

SBallPose Pose(int nBall, float x, float y, float fSize, float z = 0.5f)
{
    SBallPose pose;
    pose.nBall = nBall;
    pose.matOrientation = Identity();
    pose.vPosition = {x, y, 0.0f};
    pose.vScreen = {x, y, z};
    pose.vLight = {0.0f, -0.3f, 1.0f};
    pose.fSize = fSize;
    return pose;
}

RECT Whole(const SFrame& f) { return {0, 0, static_cast<LONG>(f.desc.dwWidth), static_cast<LONG>(f.desc.dwHeight)}; }

std::vector<BYTE> TablesBytes()
{
    static const std::string s_data = BuildTablesData();
    return {s_data.begin(), s_data.end()};
}

/// A texture set whose discs are all palette index 1 (pure green) inside a 0.9 threshold.
std::vector<BYTE> GreenDiscs()
{
    SBallTextureSet set;
    set.palette[1] = 0x00FF00;
    for (SBallTexture& ball : set.balls)
    {
        ball.dThreshold = 0.9;
        ball.levels.push_back({8, std::vector<BYTE>(64, 1)});
    }
    std::vector<BYTE> out;
    std::string strError;
    EXPECT_TRUE(WriteBallTextures(set, out, strError)) << strError;
    return out;
}
} // namespace

TEST(BallPainter, LookupTablesEndValuesAndRamps)
{
    CBallPainter painter;
    EXPECT_EQ(painter.m_SqrtTable[0], 0);
    EXPECT_EQ(painter.m_SqrtTable[1023], 65503);
    EXPECT_EQ(painter.m_CapTable[0], 0);
    EXPECT_EQ(painter.m_CapTable[1023], 65535);
    EXPECT_EQ(painter.m_Broadcast[0], 0u);
    EXPECT_EQ(painter.m_Broadcast[255], 0x00FF00FF00FF00FFull);
    EXPECT_EQ(painter.m_ColorRamps[0][255], 0xFFFFFFu);
    EXPECT_EQ(painter.m_ColorRamps[0][0], 0u);
    // 0xDD2525 at level 128: each channel x 128 / 255, truncated.
    EXPECT_EQ(painter.m_ColorRamps[3][128], (0xDDu * 128 / 255) << 16 | (0x25u * 128 / 255) << 8 | 0x25u * 128 / 255);
    painter.SetHighlight(95, 255.0);
    EXPECT_EQ(painter.m_Highlight[1023], static_cast<BYTE>(255.0 * std::pow(1023 / 1024.0, 95)));
    EXPECT_EQ(painter.m_Highlight[0], 0);
    EXPECT_GT(painter.m_nHighlightFirst, 0);
    EXPECT_EQ(painter.m_Highlight[static_cast<std::size_t>(painter.m_nHighlightFirst - 1)], 0);
    EXPECT_GT(painter.m_Highlight[static_cast<std::size_t>(painter.m_nHighlightFirst)], 0);
    painter.SetHighlight(60, 0.0);
    EXPECT_EQ(painter.m_nHighlightFirst, 100000);
}

TEST(BallPainter, PaintedSizes)
{
    struct SCase
    {
        float fSize;
        BOOL bTable;
        float fPainted;
        BOOL bUsesTable;
    } cases[] = {{4.0f, TRUE, 5.0f, TRUE},     {300.0f, TRUE, 250.0f, FALSE}, {64.9f, TRUE, 64.75f, TRUE},
                 {65.0f, TRUE, 65.0f, FALSE},  {10.1f, TRUE, 10.0f, TRUE},    {10.2f, TRUE, 10.25f, TRUE},
                 {10.1f, FALSE, 10.1f, FALSE}, {4.0f, FALSE, 5.0f, FALSE}};
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.fSize);
        BOOL bUses = -1;
        EXPECT_FLOAT_EQ(CBallPainter::PaintedSize(c.fSize, c.bTable, &bUses), c.fPainted);
        EXPECT_EQ(bUses, c.bUsesTable);
    }
    // Painted at 5 px: a footprint no wider than the 6-pixel grid.
    CBallPainter painter;
    SFrame frame(32, 32, XRGB);
    ASSERT_TRUE(painter.DrawBall(frame.desc, Whole(frame), Pose(1, 16.0f, 16.0f, 4.0f)));
    EXPECT_GT(frame.Painted(), 15);
    EXPECT_LE(frame.Painted(), 36);
    // 300 px is painted at 250.
    SFrame big(300, 300, XRGB);
    ASSERT_TRUE(painter.DrawBall(big.desc, Whole(big), Pose(2, 150.0f, 150.0f, 300.0f)));
    EXPECT_NEAR(big.Painted(), 3.14159 * 125 * 125, 3.14159 * 250 * 1.5);
    EXPECT_TRUE(big.GuardIntact());
}

TEST(BallPainter, RejectsDepthOutsideTheRangeAndUnpaintedFormats)
{
    CBallPainter painter;
    for (float z : {0.0f, 1.0f, -0.5f, 1.5f})
    {
        SCOPED_TRACE(z);
        SFrame frame(32, 32, XRGB);
        EXPECT_FALSE(painter.DrawBall(frame.desc, Whole(frame), Pose(1, 16.0f, 16.0f, 20.0f, z)));
        EXPECT_EQ(frame.Painted(), 0);
    }
    for (const DDPIXELFORMAT& pf :
         {Format(8, 0, 0, 0), Format(16, 0xF00, 0xF0, 0xF), Format(32, 0x3FF00000, 0xFFC00, 0x3FF)})
    {
        SCOPED_TRACE(pf.dwRGBBitCount);
        SFrame frame(32, 32, pf);
        const std::vector<BYTE> before = frame.bytes;
        EXPECT_FALSE(painter.DrawBall(frame.desc, Whole(frame), Pose(1, 16.0f, 16.0f, 20.0f)));
        EXPECT_EQ(frame.bytes, before);
    }
    SFrame frame(32, 32, XRGB);
    EXPECT_FALSE(painter.DrawBall(frame.desc, Whole(frame), Pose(16, 16.0f, 16.0f, 20.0f)));
    EXPECT_FALSE(painter.DrawBall(frame.desc, Whole(frame), Pose(1, 3.0e9f, 16.0f, 20.0f)));
    EXPECT_FALSE(painter.DrawBall(frame.desc, Whole(frame), Pose(1, 16.0f, std::nanf(""), 20.0f)));
    EXPECT_FALSE(painter.DrawBall(frame.desc, Whole(frame), Pose(1, 16.0f, 16.0f, std::nanf(""))));
    EXPECT_EQ(frame.Painted(), 0);
}

TEST(BallPainter, TableCoverageMatchesTheDiscTableInEveryQuarter)
{
    // The table holds quarters 0 and 1; 2 and 3 are read mirrored. Computed coverage uses the same
    // disc, so both must agree at every quarter.
    CBallPainter table;
    ASSERT_TRUE(table.SetTablesData(TablesBytes()));
    CBallPainter computed;
    for (float fSize : {5.0f, 11.25f, 30.5f, 64.75f})
        for (int qy = 0; qy < 4; ++qy)
            for (int qx = 0; qx < 4; ++qx)
            {
                SCOPED_TRACE(testing::Message() << fSize << " " << qx << "," << qy);
                std::vector<BYTE> a, b;
                ASSERT_EQ(table.BuildCoverage(fSize, qx, qy, a), computed.BuildCoverage(fSize, qx, qy, b));
                EXPECT_EQ(a, b);
            }
}

TEST(BallPainter, DamagedTablesGiveComputedCoverage)
{
    CBallPainter painter;
    std::vector<BYTE> data = TablesBytes();
    data.resize(data.size() - 3);
    EXPECT_FALSE(painter.SetTablesData(data));
    EXPECT_FALSE(painter.HasCoverageTable());
    EXPECT_EQ(painter.InitBallPainter("/nonexistent/tables.dat"), 1);
    EXPECT_EQ(painter.m_SqrtTable[1023], 65503);
    data = GreenDiscs();
    data[BALL_TEXTURE_PALETTE_BYTES] = 0xFF; // first offset now points outside
    data[BALL_TEXTURE_PALETTE_BYTES + 3] = 0x7F;
    EXPECT_FALSE(painter.SetBallTextureData(data));
    SFrame frame(40, 40, XRGB);
    EXPECT_TRUE(painter.DrawBall(frame.desc, Whole(frame), Pose(3, 20.0f, 20.0f, 20.0f)));
    EXPECT_GT(frame.Painted(), 250);
}

TEST(BallPainter, PackingAndBlendingPerFormat)
{
    struct SCase
    {
        DDPIXELFORMAT pf;
        int nMode;
        DWORD packed; // of 0x00FF8040
    } cases[] = {
        {RGB565, 1, 0xF800 | (0x80 >> 2) << 5 | 0x40 >> 3},
        {Format(16, 0x7C00, 0x03E0, 0x001F), 2, 0x7C00 | (0x80 >> 3) << 5 | 0x40 >> 3},
        {Format(16, 0x001F, 0x07E0, 0xF800), 3, 0x1F | (0x80 >> 2) << 5 | (0x40 >> 3) << 11},
        {Format(16, 0x001F, 0x03E0, 0x7C00), 4, 0x1F | (0x80 >> 3) << 5 | (0x40 >> 3) << 10},
        {Format(24, 0xFF0000, 0xFF00, 0xFF), 24, 0xFF8040},
        {XRGB, 32, 0xFF8040},
        {Format(32, 0xFF, 0xFF00, 0xFF0000), 32, 0x4080FF},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.nMode);
        const SBallPixelFormat fmt = DetectBallFormat(c.pf);
        EXPECT_EQ(fmt.nMode, c.nMode);
        EXPECT_EQ(PackBallPixel(0xFF8040, fmt), c.packed);
        EXPECT_EQ(BlendPixel(c.packed, 0, 256, fmt), c.packed);
        EXPECT_EQ(BlendPixel(c.packed, c.packed, 0, fmt), c.packed);
        EXPECT_EQ(BlendPixel(PackBallPixel(0xFFFFFF, fmt), 0, 128, fmt), PackBallPixel(0x7F7F7F, fmt));
        // A ball in a frame of the format: its pixels written, nothing past them.
        SFrame frame(24, 24, c.pf);
        CBallPainter painter;
        ASSERT_TRUE(painter.DrawBall(frame.desc, Whole(frame), Pose(4, 12.0f, 12.0f, 16.0f)));
        EXPECT_GT(frame.Painted(), 150);
        EXPECT_TRUE(frame.GuardIntact());
    }
}

TEST(BallPainter, ClipsAtEveryFrameAndViewportEdge)
{
    CBallPainter painter;
    ASSERT_TRUE(painter.SetTablesData(TablesBytes()));
    const std::pair<float, float> places[] = {{0, 30}, {60, 30}, {30, 0}, {30, 60}, {-3, -3}, {63, 63}, {2, 58}};
    for (const DDPIXELFORMAT& pf : {XRGB, RGB565, Format(24, 0xFF0000, 0xFF00, 0xFF)})
        for (auto [x, y] : places)
        {
            SCOPED_TRACE(testing::Message() << pf.dwRGBBitCount << " at " << x << "," << y);
            SFrame frame(60, 60, pf);
            painter.DrawBall(frame.desc, Whole(frame), Pose(5, x, y, 24.0f));
            EXPECT_TRUE(frame.GuardIntact());
            EXPECT_GT(frame.Painted(), 0);
            // The viewport stops above a 20-pixel panel: nothing below it changes.
            SFrame panel(60, 60, pf);
            painter.DrawBall(panel.desc, RECT{0, 0, 60, 40}, Pose(5, x, y, 24.0f));
            for (int py = 40; py < 60; ++py)
                for (int px = 0; px < 60; ++px)
                    ASSERT_EQ(panel.At(px, py), 0u) << px << "," << py;
        }
}

TEST(BallPainter, DiscCentredOnTheProjectedCentre)
{
    CBallPainter painter;
    ASSERT_TRUE(painter.SetTablesData(TablesBytes()));
    for (float fSize : {6.0f, 17.3f, 40.0f, 90.0f})
        for (float fx : {0.0f, 0.2f, 0.5f, 0.8f})
        {
            SCOPED_TRACE(testing::Message() << fSize << " +" << fx);
            SFrame frame(128, 128, XRGB);
            const float x = 64.0f + fx, y = 60.0f + fx / 2;
            // Against a grey no painted pixel matches, so the unlit side counts too.
            frame.Fill(0x808080);
            painter.ResetBallImages();
            ASSERT_TRUE(painter.DrawBall(frame.desc, Whole(frame), Pose(8, x, y, fSize)));
            double cx = 0, cy = 0;
            frame.Painted(&cx, &cy, 0x808080);
            EXPECT_NEAR(cx, x, 0.3);
            EXPECT_NEAR(cy, y, 0.3);
        }
}

TEST(BallPainter, NumberDiscFollowsTheOrientation)
{
    CBallPainter painter;
    ASSERT_TRUE(painter.SetBallTextureData(GreenDiscs()));
    const auto centre = [&](const D3DMATRIX& m)
    {
        SFrame frame(64, 64, XRGB);
        SBallPose pose = Pose(1, 32.0f, 32.0f, 40.0f);
        pose.vLight = {0.0f, 0.0f, 1.0f};
        pose.matOrientation = m;
        painter.ResetBallImages();
        painter.DrawBall(frame.desc, Whole(frame), pose);
        return std::pair(frame.At(32, 32), frame.At(32, 18));
    };
    // Axis z towards the viewer: the disc is in the middle, pure green; yellow 0xC4C41F around it.
    auto [mid, top] = centre(Identity());
    EXPECT_LT(mid >> 16, 0x10u) << std::hex << mid; // only the highlight's touch of red and blue
    EXPECT_LT(mid & 0xFF, 0x10u) << std::hex << mid;
    EXPECT_GT(mid & 0xFF00, 0xC000u);
    EXPECT_GT(top >> 16, 0x80u) << std::hex << top;
    // Axis z turned up (towards -y on screen): the disc moves up, the middle is yellow.
    D3DMATRIX up = Identity();
    up.m[1][1] = 0.0f;
    up.m[1][2] = 1.0f;
    up.m[2][1] = -1.0f;
    up.m[2][2] = 0.0f;
    std::tie(mid, top) = centre(up);
    EXPECT_GT(mid >> 16, 0x80u) << std::hex << mid;
    // Turned away: no green anywhere near the middle.
    D3DMATRIX away = Identity();
    away.m[2][2] = -1.0f;
    away.m[0][0] = -1.0f;
    std::tie(mid, top) = centre(away);
    EXPECT_GT(mid >> 16, 0x80u) << std::hex << mid;
}

TEST(BallPainter, UnchangedBallIsCopiedAndAnyChangeRepaints)
{
    CBallPainter painter;
    SFrame first(64, 64, XRGB);
    SBallPose pose = Pose(9, 30.0f, 30.0f, 30.0f);
    painter.DrawBall(first.desc, Whole(first), pose);
    EXPECT_EQ(painter.GetPaintCount(), 1);
    SFrame second(64, 64, XRGB);
    painter.DrawBall(second.desc, Whole(second), pose);
    EXPECT_EQ(painter.GetPaintCount(), 1);
    EXPECT_EQ(first.bytes, second.bytes);

    int nExpected = 1;
    const auto changed = [&](const char* szWhat, auto change)
    {
        SCOPED_TRACE(szWhat);
        SBallPose p = pose;
        change(p);
        SFrame frame(64, 64, XRGB);
        painter.DrawBall(frame.desc, Whole(frame), p);
        EXPECT_EQ(painter.GetPaintCount(), ++nExpected);
        painter.SetViewChanged(FALSE);
    };
    changed("position", [](SBallPose& p) { p.vPosition.x += 0.01f; });
    changed("size",
            [](SBallPose& p)
            {
                p.vPosition.x += 0.01f;
                p.fSize = 31.0f;
            });
    changed("matrix",
            [](SBallPose& p)
            {
                p.vPosition.x += 0.01f;
                p.fSize = 31.0f;
                p.matOrientation.m[0][1] = 0.1f;
            });
    changed("view",
            [&](SBallPose& p)
            {
                p.vPosition.x += 0.01f;
                p.fSize = 31.0f;
                p.matOrientation.m[0][1] = 0.1f;
                painter.SetViewChanged(TRUE);
            });
    SFrame other(64, 64, RGB565);
    SBallPose p = pose;
    p.vPosition.x += 0.01f;
    p.fSize = 31.0f;
    p.matOrientation.m[0][1] = 0.1f;
    painter.DrawBall(other.desc, Whole(other), p);
    EXPECT_EQ(painter.GetPaintCount(), ++nExpected) << "format";
}
