#include "platform/GdiFixture.h"
#include "platform/mfc/Bitmap.h"
#include "platform/mfc/Dc.h"
#include "platform/win32/Gdi.h"

#include <gtest/gtest.h>
#include <vector>

namespace
{
constexpr DWORD XRGB_RED = 0xFF0000;
constexpr DWORD XRGB_GREEN = 0x00FF00;
constexpr DWORD XRGB_WHITE = 0xFFFFFF;
} // namespace

class GdiDrawTest : public CGdiFixture
{
};

TEST_F(GdiDrawTest, SurfaceIsLockedWhileItsDeviceContextIsOut)
{
    DDSURFACEDESC2 desc;
    EXPECT_EQ(DDERR_SURFACEBUSY, m_pSurface->Lock(nullptr, &desc, 0, nullptr));
    HDC hSecond = nullptr;
    EXPECT_EQ(DDERR_SURFACEBUSY, m_pSurface->GetDC(&hSecond));
    const std::uint32_t nChanges = m_pSurface->GetChangeCount();
    SetPixel(m_hDC, 3, 4, RGB(255, 0, 0));
    ReleaseTarget();
    EXPECT_GT(m_pSurface->GetChangeCount(), nChanges);
    EXPECT_EQ(XRGB_RED, Pixel(3, 4));
    EXPECT_EQ(DD_OK, m_pSurface->Lock(nullptr, &desc, 0, nullptr));
    EXPECT_EQ(DD_OK, m_pSurface->Unlock(nullptr));
    EXPECT_EQ(DDERR_NODC, m_pSurface->ReleaseDC(nullptr));
    // Only 8-8-8 and 5-6-5 pixels have a device context.
    const SurfacePtr p1555 =
        CDirectDrawSurface::Create(4, 4, MakePixelFormat(16, 0x7C00, 0x03E0, 0x001F, 0x8000), DDSCAPS_TEXTURE);
    ASSERT_NE(nullptr, p1555);
    EXPECT_EQ(DDERR_CANTCREATEDC, p1555->GetDC(&hSecond));
    m_pSurface->MarkLost();
    EXPECT_EQ(DDERR_SURFACELOST, m_pSurface->GetDC(&hSecond));
    m_pSurface->Restore();
    ASSERT_EQ(DD_OK, m_pSurface->GetDC(&m_hDC));
}

TEST_F(GdiDrawTest, LinesLeaveOutTheirEndPointAndDottedPensRunOnAcrossSegments)
{
    const HPEN hSolid = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
    const HGDIOBJ hOld = SelectObject(m_hDC, hSolid);
    MoveToEx(m_hDC, 10, 10, nullptr);
    LineTo(m_hDC, 20, 10);
    EXPECT_EQ(10, Ink().nPixels);
    EXPECT_EQ((RECT{10, 10, 20, 11}), Ink().rc);

    Clear();
    const HPEN hDot = CreatePen(PS_DOT, 1, RGB(255, 255, 255));
    SelectObject(m_hDC, hDot);
    // Two segments of 6 and 6 pixels: the 3-on, 3-off pattern carries across the corner.
    const POINT path[] = {{10, 20}, {16, 20}, {16, 26}};
    Polyline(m_hDC, path, 3);
    std::vector<int> drawn;
    for (LONG x = 10; x < 16; ++x)
        drawn.push_back(Pixel(x, 20) != 0);
    for (LONG y = 20; y < 26; ++y)
        drawn.push_back(Pixel(16, y) != 0);
    EXPECT_EQ((std::vector<int>{1, 1, 1, 0, 0, 0, 1, 1, 1, 0, 0, 0}), drawn);
    SelectObject(m_hDC, hOld);
    EXPECT_TRUE(DeleteObject(hSolid));
    EXPECT_TRUE(DeleteObject(hDot));
}

TEST_F(GdiDrawTest, WidePensDrawSolidAndThick)
{
    const HPEN hWide = CreatePen(PS_DOT, 3, RGB(255, 255, 255));
    LOGPEN lp;
    ASSERT_EQ(static_cast<int>(sizeof(LOGPEN)), GetObject(hWide, sizeof(LOGPEN), &lp));
    EXPECT_EQ(static_cast<UINT>(PS_SOLID), lp.lopnStyle);
    SelectObject(m_hDC, hWide);
    MoveToEx(m_hDC, 10, 10, nullptr);
    LineTo(m_hDC, 30, 10);
    const SInk ink = Ink();
    EXPECT_EQ(3, ink.rc.bottom - ink.rc.top);
    EXPECT_EQ(3 * 22, ink.nPixels); // 20 stamps of 3 x 3 overlapping into a 22 x 3 band
    SelectObject(m_hDC, GetStockObject(BLACK_PEN));
    DeleteObject(hWide);
}

TEST_F(GdiDrawTest, EllipseFillsItsBoxWithOutlineInThePenAndInsideInTheBrush)
{
    struct SCase
    {
        const char* szName;
        RECT rc;
    };
    const SCase cases[] = {{"disc of 20", {40, 20, 60, 40}}, {"wide", {10, 10, 110, 40}}, {"odd", {5, 5, 10, 12}}};
    const HPEN hPen = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
    const HBRUSH hBrush = CreateSolidBrush(RGB(0, 255, 0));
    SelectObject(m_hDC, hPen);
    SelectObject(m_hDC, hBrush);
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        Clear();
        Ellipse(m_hDC, c.rc.left, c.rc.top, c.rc.right, c.rc.bottom);
        const SInk ink = Ink();
        EXPECT_EQ(c.rc, ink.rc); // touches every side of its box, never beyond
        const LONG cx = (c.rc.left + c.rc.right) / 2, cy = (c.rc.top + c.rc.bottom) / 2;
        EXPECT_EQ(XRGB_GREEN, Pixel(cx, cy));
        EXPECT_EQ(XRGB_RED, Pixel(c.rc.left, cy));
        EXPECT_EQ(0u, Pixel(c.rc.left, c.rc.top)); // the corners stay out
    }
    SelectObject(m_hDC, GetStockObject(NULL_BRUSH));
    Clear();
    Ellipse(m_hDC, 40, 20, 60, 40);
    EXPECT_EQ(0u, Pixel(50, 30));
    SelectObject(m_hDC, GetStockObject(BLACK_PEN));
    SelectObject(m_hDC, GetStockObject(WHITE_BRUSH));
    DeleteObject(hPen);
    DeleteObject(hBrush);
}

TEST_F(GdiDrawTest, ViewportOriginMovesDrawingAndTheClipStaysWhereItWasSet)
{
    const HBRUSH hBrush = CreateSolidBrush(RGB(255, 255, 255));
    POINT old{-1, -1};
    SetViewportOrgEx(m_hDC, 50, 20, &old);
    EXPECT_EQ((POINT{0, 0}), old);
    const RECT rc{0, 0, 10, 10};
    FillRect(m_hDC, &rc, hBrush);
    EXPECT_EQ((RECT{50, 20, 60, 30}), Ink().rc);

    Clear();
    EXPECT_EQ(SIMPLEREGION, IntersectClipRect(m_hDC, 0, 0, 5, 5)); // device (50, 20)-(55, 25)
    SetViewportOrgEx(m_hDC, 0, 0, nullptr);
    const RECT big{0, 0, 200, 100};
    FillRect(m_hDC, &big, hBrush);
    EXPECT_EQ((RECT{50, 20, 55, 25}), Ink().rc);
    RECT box;
    EXPECT_EQ(SIMPLEREGION, GetClipBox(m_hDC, &box));
    EXPECT_EQ((RECT{50, 20, 55, 25}), box);
    EXPECT_EQ(NULLREGION, IntersectClipRect(m_hDC, 100, 100, 120, 120));
    SelectClipRgn(m_hDC, nullptr);
    Clear();
    FillRect(m_hDC, &big, hBrush);
    EXPECT_EQ(200 * 100, Ink().nPixels);
    DeleteObject(hBrush);
}

TEST_F(GdiDrawTest, SavedStatesComeBackWithTheirObjectsAlive)
{
    const HPEN hPen = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
    SelectObject(m_hDC, hPen);
    SetTextColor(m_hDC, RGB(1, 2, 3));
    const int nSaved = SaveDC(m_hDC);
    ASSERT_GT(nSaved, 0);
    SelectObject(m_hDC, GetStockObject(WHITE_PEN));
    SetTextColor(m_hDC, RGB(9, 9, 9));
    IntersectClipRect(m_hDC, 0, 0, 1, 1);
    // The saved state still holds the pen: deleting it now must not free it.
    EXPECT_TRUE(DeleteObject(hPen));
    EXPECT_TRUE(RestoreDC(m_hDC, -1));
    EXPECT_EQ(RGB(1, 2, 3), GetTextColor(m_hDC));
    MoveToEx(m_hDC, 0, 50, nullptr);
    LineTo(m_hDC, 5, 50);
    EXPECT_EQ(XRGB_RED, Pixel(4, 50));
    EXPECT_FALSE(RestoreDC(m_hDC, -1));
    SelectObject(m_hDC, GetStockObject(BLACK_PEN)); // lets the deleted pen go
    EXPECT_FALSE(DeleteObject(hPen));
}

TEST_F(GdiDrawTest, ObjectsLiveWhileSelectedAndBitmapsGoIntoOneContextAtATime)
{
    const HBRUSH hBrush = CreateSolidBrush(RGB(1, 2, 3));
    EXPECT_EQ(GetStockObject(WHITE_BRUSH), SelectObject(m_hDC, hBrush));
    EXPECT_TRUE(DeleteObject(hBrush));
    EXPECT_EQ(nullptr, SelectObject(m_hDC, hBrush)); // deleted: no longer selectable
    EXPECT_EQ(hBrush, SelectObject(m_hDC, GetStockObject(WHITE_BRUSH)));
    EXPECT_FALSE(DeleteObject(hBrush));
    EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_PEN))); // stock objects stay
    EXPECT_NE(nullptr, SelectObject(m_hDC, GetStockObject(BLACK_PEN)));

    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateCompatibleBitmap(m_hDC, 4, 4));
    CDC first, second;
    ASSERT_TRUE(first.CreateCompatibleDC(nullptr));
    ASSERT_TRUE(second.CreateCompatibleDC(nullptr));
    EXPECT_NE(nullptr, first.SelectObject(&bitmap));
    EXPECT_EQ(nullptr, second.SelectObject(&bitmap));
    EXPECT_EQ(nullptr, SelectObject(m_hDC, bitmap)); // a surface's context draws on the surface only
}

TEST_F(GdiDrawTest, BlitsCopyBetweenBitmapsAndSurfacesOfAnyFormat)
{
    // A 4 x 2 bitmap: red, green, blue, white on top; black below.
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateCompatibleBitmap(m_hDC, 4, 2));
    CDC memory;
    ASSERT_TRUE(memory.CreateCompatibleDC(nullptr));
    memory.SelectObject(&bitmap);
    const COLORREF colours[] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 255, 255)};
    for (int x = 0; x < 4; ++x)
        SetPixel(memory, x, 0, colours[x]);
    std::vector<BYTE> bits(16);
    ASSERT_EQ(16, GetBitmapBits(bitmap, 16, bits.data()));
    EXPECT_EQ((std::vector<BYTE>{0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255}),
              std::vector<BYTE>(bits.begin(), bits.begin() + 12));

    for (DWORD dwBits : {32u, 16u})
    {
        SCOPED_TRACE(dwBits);
        MakeTarget(40, 20, dwBits);
        PatBlt(memory, 0, 1, 4, 1, BLACKNESS);
        // Partly off the surface's left edge: only the visible columns land.
        EXPECT_TRUE(BitBlt(m_hDC, -1, 0, 4, 2, memory, 0, 0, SRCCOPY));
        EXPECT_EQ(XRGB_GREEN, Pixel(0, 0));
        EXPECT_EQ(XRGB_WHITE, Pixel(2, 0));
        EXPECT_EQ(0u, Pixel(3, 0));
        // Doubled and mirrored left to right: white first, two pixels per source pixel.
        EXPECT_TRUE(StretchBlt(m_hDC, 10, 10, 8, 4, memory, 4, 0, -4, 2, SRCCOPY));
        EXPECT_EQ(XRGB_WHITE, Pixel(10, 10));
        EXPECT_EQ(XRGB_WHITE, Pixel(11, 10));
        EXPECT_EQ(0x0000FFu, Pixel(12, 10));
        EXPECT_EQ(XRGB_RED, Pixel(17, 11));
        EXPECT_EQ(0u, Pixel(17, 12));
        // And back from the surface into the bitmap.
        EXPECT_TRUE(BitBlt(memory, 0, 1, 4, 1, m_hDC, 14, 10, SRCCOPY));
        EXPECT_EQ(RGB(0, 255, 0), GetPixel(memory, 0, 1));
        EXPECT_TRUE(PatBlt(m_hDC, 0, 0, 40, 20, BLACKNESS));
        EXPECT_TRUE(Ink().Empty());
    }
}
