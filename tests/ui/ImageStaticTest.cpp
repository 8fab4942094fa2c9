// The movie static plays a clip by the clock and swallows clicks; a clip that does not open leaves
// it as it was. The colour holder starts from the system's colours and font.
#include "ui/ImageStatic.h"

#include "platform/TempFolder.h"
#include "platform/win32/Clock.h"
#include "tools/aviclip/AviWriter.h"
#include "ui/InputEdit.h"

#include <gtest/gtest.h>

namespace
{
/// A 24-bit frame of one colour (0x00RRGGBB), rows at the DIB stride.
std::vector<BYTE> FlatFrame(LONG nWidth, LONG nHeight, DWORD dwColour)
{
    const std::size_t nRow = ((static_cast<std::size_t>(nWidth) * 24 + 31) / 32) * 4;
    std::vector<BYTE> aBits(nRow * static_cast<std::size_t>(nHeight), 0);
    for (LONG y = 0; y < nHeight; ++y)
        for (LONG x = 0; x < nWidth; ++x)
        {
            BYTE* p = &aBits[static_cast<std::size_t>(y) * nRow + static_cast<std::size_t>(x) * 3];
            p[0] = static_cast<BYTE>(dwColour), p[1] = static_cast<BYTE>(dwColour >> 8);
            p[2] = static_cast<BYTE>(dwColour >> 16);
        }
    return aBits;
}

/// A parent window, a movie static on it, a clip of a red then a green frame at 10 frames a second,
/// and a memory bitmap to draw on.
class ImageStaticTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        InitAviFile();
        SAviClipDesc desc;
        desc.nWidth = 4, desc.nHeight = 2, desc.dwRate = 10;
        desc.frames = {FlatFrame(4, 2, 0xFF0000), FlatFrame(4, 2, 0x00FF00)};
        std::string strError;
        ASSERT_TRUE(WriteAviClip(m_folder.File("clip.avi"), desc, strError)) << strError;
        m_folder.Write("broken.avi", "RIFF");
        WNDCLASS wc;
        wc.lpfnWndProc = &::DefWindowProc;
        wc.lpszClassName = "ImageStaticTestParent";
        RegisterClass(&wc);
        ASSERT_TRUE(m_parent.CreateEx(0, "ImageStaticTestParent", "", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr));
        ASSERT_TRUE(m_static.Create("", WS_VISIBLE, RECT{10, 10, 58, 58}, &m_parent, 1234));
        m_dc.CreateCompatibleDC(nullptr);
        m_bitmap.CreateCompatibleBitmap(nullptr, 8, 4);
        m_hOld = m_dc.SelectObject(m_bitmap);
    }
    void TearDown() override
    {
        m_dc.SelectObject(m_hOld);
        m_parent.DestroyWindow();
        ExitAviFile();
    }
    COLORREF DrawnAt(int x, int y) { return GetPixel(m_dc, x, y); }

    CTempFolder m_folder;
    CTestClockScope m_clock{5000};
    CWnd m_parent;
    CImageStatic m_static;
    CDC m_dc;
    CBitmap m_bitmap;
    HGDIOBJ m_hOld = nullptr;
};

TEST_F(ImageStaticTest, AClipPlaysByTheClockFromItsFirstFrameAndClicksChangeNothing)
{
    ASSERT_TRUE(m_static.PlayAvi(m_folder.File("clip.avi").c_str()));
    EXPECT_FALSE(m_static.IsIdle());
    EXPECT_EQ(CImageStatic::FRAME_TIMER_ID, m_static.GetTimerId());
    EXPECT_STREQ(m_folder.File("clip.avi").c_str(), m_static.GetFile());

    EXPECT_TRUE(m_static.DrawAviFrame(&m_dc, RECT{0, 0, 8, 4}));
    EXPECT_EQ(RGB(255, 0, 0), DrawnAt(0, 0));
    EXPECT_EQ(RGB(255, 0, 0), DrawnAt(7, 3)) << "stretched over the whole rectangle";
    m_clock.Advance(100);
    EXPECT_TRUE(m_static.DrawAviFrame(&m_dc, RECT{0, 0, 8, 4}));
    EXPECT_EQ(RGB(0, 255, 0), DrawnAt(4, 2)) << "the frame due 100 ms later";

    for (const UINT uMsg : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN, WM_RBUTTONUP})
        EXPECT_EQ(0, m_static.SendMessage(uMsg, 0, MAKELPARAM(5, 5)));
    EXPECT_FALSE(m_static.IsIdle());
    EXPECT_STREQ(m_folder.File("clip.avi").c_str(), m_static.GetFile());
}

TEST_F(ImageStaticTest, AClipThatDoesNotOpenLeavesTheStaticAsItWas)
{
    for (const char* szName : {"missing.avi", "broken.avi"})
    {
        SCOPED_TRACE(szName);
        EXPECT_FALSE(m_static.PlayAvi(m_folder.File(szName).c_str()));
        EXPECT_TRUE(m_static.IsIdle());
        EXPECT_EQ(0u, m_static.GetTimerId());
        EXPECT_FALSE(m_static.DrawAviFrame(&m_dc, RECT{0, 0, 8, 4}));
        EXPECT_EQ(RGB(0, 0, 0), DrawnAt(3, 1)) << "nothing drawn: the static stays blank";
    }
    ASSERT_TRUE(m_static.PlayAvi(m_folder.File("clip.avi").c_str()));
    EXPECT_FALSE(m_static.PlayAvi(m_folder.File("broken.avi").c_str()));
    EXPECT_STREQ(m_folder.File("clip.avi").c_str(), m_static.GetFile()) << "the playing clip plays on";
    EXPECT_TRUE(m_static.DrawAviFrame(&m_dc, RECT{0, 0, 8, 4}));
    EXPECT_EQ(RGB(255, 0, 0), DrawnAt(3, 1));
}

TEST(CtrlColorsTest, ColoursBrushAndFontComeFromTheSystemAndGoOnce)
{
    CCtrlColors colors;
    EXPECT_EQ(GetSysColor(COLOR_WINDOWTEXT), colors.m_crText);
    EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHTTEXT), colors.m_crHighlightText);
    LOGBRUSH brush;
    ASSERT_NE(0, GetObject(colors.m_brBackground.GetSafeHandle(), sizeof(brush), &brush));
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), brush.lbColor);
    LOGFONT stock;
    GetObject(GetStockObject(DEFAULT_GUI_FONT), sizeof(stock), &stock);
    EXPECT_EQ(stock.lfHeight, colors.m_logFont.lfHeight);
    EXPECT_NE(nullptr, colors.m_font.GetSafeHandle());
    colors.DeleteObjects();
    EXPECT_EQ(nullptr, colors.m_font.GetSafeHandle());
    EXPECT_EQ(nullptr, colors.m_brBackground.GetSafeHandle());
    colors.DeleteObjects(); // the destructor's call after the window's is harmless
}
} // namespace
