// The table drawn as a diagram into a memory bitmap: a racked table's balls, cushions, corners and
// pockets land on the pixels their table positions give at 200 pixels per metre. The picture is
// written as PNG to the tests' frames folder for a person to look at.
#include "simulation/TableDiagram.h"

#include "tests/fixtures/ImageFixtures.h"
#include "tests/simulation/BallEngineScenes.h"
#include "tests/simulation/SimTestSupport.h"

#include <filesystem>
#include <fstream>
#include <png.h>
#include <string>
#include <vector>

namespace
{
/// Room around the bed for the cushion band, the pockets and the corner marks. Pixels.
constexpr int MARGIN = 30;
constexpr COLORREF WHITE = RGB(255, 255, 255);
constexpr COLORREF BLACK = RGB(0, 0, 0);
constexpr COLORREF BALL_FILL = RGB(40, 120, 220);

class CTableDiagramTest : public CSimulationTest
{
protected:
    void SetUp() override
    {
        CSimulationTest::SetUp();
        m_nWidth = DiagramPixels(TABLE_WIDTH_M) + 2 * MARGIN;
        m_nHeight = DiagramPixels(TABLE_LENGTH_M) + 2 * MARGIN;
        m_hDC = CreateCompatibleDC(nullptr);
        m_hBitmap = CreateCompatibleBitmap(m_hDC, m_nWidth, m_nHeight);
        ASSERT_NE(nullptr, m_hDC);
        ASSERT_NE(nullptr, m_hBitmap);
        SelectObject(m_hDC, m_hBitmap);
        PatBlt(m_hDC, 0, 0, m_nWidth, m_nHeight, WHITENESS);
        SetViewportOrgEx(m_hDC, MARGIN, MARGIN, nullptr);
        m_hBrush = CreateSolidBrush(BALL_FILL);
        m_hOldBrush = SelectObject(m_hDC, m_hBrush);
    }
    void TearDown() override
    {
        SelectObject(m_hDC, m_hOldBrush);
        DeleteObject(m_hBrush);
        DeleteDC(m_hDC);
        DeleteObject(m_hBitmap);
        g_nRackSeed = 1;
        CSimulationTest::TearDown();
    }

    /// The colour at a table point, offset by (dx, dy) pixels.
    COLORREF At(const CVector3& p, int dx = 0, int dy = 0) const
    {
        const POINT c = TableToDiagram(p);
        return GetPixel(m_hDC, c.x + dx, c.y + dy);
    }

    /// Writes the bitmap as <test name>.png in the tests' frames folder.
    void SavePicture() const
    {
        const LONG nStride = (m_nWidth * 3 + 3) / 4 * 4;
        std::vector<BYTE> bits(static_cast<std::size_t>(nStride * m_nHeight));
        ASSERT_EQ(static_cast<LONG>(bits.size()),
                  GetBitmapBits(m_hBitmap, static_cast<LONG>(bits.size()), bits.data()));
        SPngDesc desc;
        desc.nWidth = static_cast<UINT>(m_nWidth);
        desc.nHeight = static_cast<UINT>(m_nHeight);
        desc.nColorType = PNG_COLOR_TYPE_RGB;
        for (int y = 0; y < m_nHeight; ++y)
            for (int x = 0; x < m_nWidth; ++x)
            {
                const BYTE* p = &bits[static_cast<std::size_t>(y * nStride + x * 3)];
                desc.samples.insert(desc.samples.end(), {p[2], p[1], p[0]}); // stored blue, green, red
            }
        const std::filesystem::path dir = VORN_TEST_OUTPUT_DIR;
        std::filesystem::create_directories(dir);
        const auto* pInfo = testing::UnitTest::GetInstance()->current_test_info();
        const std::vector<BYTE> png = EncodePng(desc);
        ASSERT_FALSE(png.empty());
        std::ofstream file(dir / (std::string(pInfo->test_suite_name()) + "." + pInfo->name() + ".png"),
                           std::ios::binary);
        file.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
        EXPECT_TRUE(file.good());
    }

    int m_nWidth = 0;
    int m_nHeight = 0;
    HDC m_hDC = nullptr;
    HBITMAP m_hBitmap = nullptr;
    HBRUSH m_hBrush = nullptr;
    HGDIOBJ m_hOldBrush = nullptr;
};
} // namespace

TEST_F(CTableDiagramTest, RackedTableDrawsEveryBallAndCushionWhereItLies)
{
    CBallEngineMain engine;
    RackGame(engine, GAME_TYPE_8BALL, 3);
    engine.NotifyAll(m_hDC);
    for (int i = 0; i < POCKET_COUNT; ++i)
        engine.GetWorldObject(i)->DrawMark(m_hDC);
    SavePicture();

    // Each ball: a disc in the brush's colour, its outline in the pen's; the cue ball's centre
    // lies under its cross.
    const int r = DiagramPixels(BALL_RADIUS_M);
    for (int i = 0; i < engine.GetBallCount(); ++i)
    {
        const CBall& ball = *engine.GetBallAt(i);
        SCOPED_TRACE(testing::Message() << "ball " << ball.GetIndex());
        const CVector3& p = *ball.GetPosition();
        const bool bCue = ball.GetIndex() == GetCueBallNumber();
        EXPECT_EQ(bCue ? BLACK : BALL_FILL, At(p));
        for (const POINT d : {POINT{2, 2}, POINT{-2, 2}, POINT{2, -2}, POINT{-2, -2}})
            EXPECT_EQ(BALL_FILL, At(p, d.x, d.y)) << d.x << ", " << d.y;
        if (bCue)
        {
            EXPECT_EQ(BLACK, At(p, r / 2, 0)) << "the cross";
            EXPECT_EQ(BLACK, At(p, 0, -r / 2)) << "the cross";
            EXPECT_EQ(BLACK, At(p, -r, 0)) << "the outline";
            EXPECT_EQ(WHITE, At(p, -r - 2, 0)) << "outside";
        }
    }

    // Each cushion: its rail face is a line; just inside the bed there is nothing.
    const struct
    {
        int nCushion;
        int dx, dy; // towards the bed
    } aRails[] = {{0, 1, 0}, {1, 1, 0}, {2, -1, 0}, {3, -1, 0}, {4, 0, -1}, {5, 0, 1}};
    for (const auto& rail : aRails)
    {
        SCOPED_TRACE(testing::Message() << "cushion " << rail.nCushion);
        const CTableSegment& face = engine.GetCushion(rail.nCushion)->GetSegment(1);
        const CVector3 mid = (face.GetStart() + face.GetEnd()) * 0.5f;
        EXPECT_EQ(BLACK, At(mid));
        EXPECT_EQ(WHITE, At(mid, 3 * rail.dx, 3 * rail.dy));
        // A jaw face runs from the rail to the pocket's side.
        const CTableSegment& jaw = engine.GetCushion(rail.nCushion)->GetSegment(0);
        EXPECT_EQ(BLACK, At((jaw.GetStart() + jaw.GetEnd()) * 0.5f));
    }

    // A corner's square, 0.1 m either way of its point; a pocket's capture circle.
    const CVector3 corner = engine.GetCushion(5)->GetCorner(1).GetPoint();
    const int s = DiagramPixels(DIAGRAM_CORNER_HALF_SIZE_M);
    EXPECT_EQ(BLACK, At(corner, s, 0));
    EXPECT_EQ(BLACK, At(corner, 0, -s));
    const CWorldObject& side = *engine.GetWorldObject(1);
    EXPECT_EQ(BLACK, At(side.GetPosition(), -DiagramPixels(side.GetRadius()), 0));
    EXPECT_EQ(WHITE, At(side.GetPosition(), -DiagramPixels(side.GetRadius()) + 3, 0)) << "the circle is hollow";
}

TEST_F(CTableDiagramTest, FarOffPointsStayInRange)
{
    // A ball a long way off (a bad record cannot put one there, but nothing bounds a finite place)
    // is drawn far outside the picture without overflowing a coordinate.
    EXPECT_EQ(1000000, DiagramPixels(1.0e30));
    EXPECT_EQ(-1000000, DiagramPixels(-1.0e30));
    CBall ball(3, 1.0e20f, -1.0e20f);
    ball.Draw2D(m_hDC);
    EXPECT_EQ(WHITE, GetPixel(m_hDC, 10, 10));
}
