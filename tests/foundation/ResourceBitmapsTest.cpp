#include "foundation/ResourceBitmaps.h"

#include "fixtures/ImageFixtures.h"

#include "foundation/ErrorBox.h"
#include "foundation/LogFile.h"
#include "platform/TempFolder.h"
#include "platform/mfc/AfxResource.h"
#include "platform/win32/DebugLog.h"
#include "platform/win32/Modules.h"
#include "platform/win32/ResourceLibrary.h"

#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace
{
std::vector<BYTE> BitmapBits(HBITMAP hBitmap, BITMAP& bm)
{
    EXPECT_EQ(static_cast<int>(sizeof(BITMAP)), GetObject(hBitmap, sizeof(BITMAP), &bm));
    std::vector<BYTE> bits(static_cast<std::size_t>(bm.bmWidthBytes) * static_cast<std::size_t>(bm.bmHeight));
    GetBitmapBits(hBitmap, static_cast<LONG>(bits.size()), bits.data());
    return bits;
}

// Resource ids of the test library.
constexpr UINT ID_RED = 100;
constexpr UINT ID_GREEN = 101;
constexpr UINT ID_BLUE = 102;
constexpr UINT ID_BROKEN = 103;
constexpr UINT ID_MISSING = 104;

// A library with three pictures and one broken one, made the current resource library.
class ResourceBitmapsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetErrorBoxHandler([this](const char*) { ++m_nMessages; });
        CResourceLibraryWriter writer;
        std::string strError;
        writer.Add(SResourceKey::Name("_DATA"), SResourceKey::Id(ID_RED), 0, FlatColourJpeg(3, 2, 250, 0, 0), strError);
        writer.Add(SResourceKey::Name("_DATA"), SResourceKey::Id(ID_GREEN), 0, FlatColourJpeg(4, 4, 0, 250, 0),
                   strError);
        writer.Add(SResourceKey::Name("_DATA"), SResourceKey::Id(ID_BLUE), 0, FlatColourJpeg(5, 1, 0, 0, 250),
                   strError);
        writer.Add(SResourceKey::Name("_DATA"), SResourceKey::Id(ID_BROKEN), 0, std::vector<BYTE>(50, 1), strError);
        writer.Add(SResourceKey::Name("JPG"), SResourceKey::Id(ID_RED), 0, FlatColourJpeg(7, 7, 250, 0, 0), strError);
        ASSERT_TRUE(writer.WriteFile(m_folder.File("VornRes.dll"), strError));
        m_hModule = LoadLibrary(m_folder.File("VornRes.dll").c_str());
        ASSERT_NE(nullptr, m_hModule);
        AfxSetResourceHandle(m_hModule);
    }
    void TearDown() override
    {
        AfxSetResourceHandle(nullptr);
        FreeLibrary(m_hModule);
        SetErrorBoxHandler({});
    }

    static LONG Width(const CBitmap& bitmap)
    {
        BITMAP bm;
        return bitmap.GetBitmap(&bm) != 0 ? bm.bmWidth : 0;
    }

    CTempFolder m_folder;
    HMODULE m_hModule = nullptr;
    int m_nMessages = 0;
};
} // namespace

TEST(ResourceBitmapRgbTest, RgbBecomesBlueFirstPaddedRowsAndTheBufferStaysAsItWas)
{
    const std::vector<BYTE> rgb = {10, 20, 30, 40, 50, 60}; // 1 pixel wide, 2 rows
    const std::vector<BYTE> copy = rgb;
    for (int nCall = 0; nCall < 2; ++nCall)
    {
        SCOPED_TRACE(nCall);
        const HBITMAP hBitmap = CreateBitmapFromRgb(rgb.data(), 1, 2);
        ASSERT_NE(nullptr, hBitmap);
        BITMAP bm;
        EXPECT_EQ((std::vector<BYTE>{30, 20, 10, 0, 60, 50, 40, 0}), BitmapBits(hBitmap, bm));
        EXPECT_EQ(4, bm.bmWidthBytes) << "a 1-pixel row is padded to 4 bytes";
        EXPECT_EQ(copy, rgb);
        DeleteObject(hBitmap);
    }
    EXPECT_EQ(nullptr, CreateBitmapFromRgb(nullptr, 1, 1));
    EXPECT_EQ(nullptr, CreateBitmapFromRgb(rgb.data(), 0, 2));
}

TEST(ResourceBitmapRgbTest, JpegMemoryAndFileGiveTheSameBitmap)
{
    CTempFolder folder;
    const std::vector<BYTE> jpeg = FlatColourJpeg(3, 2, 200, 100, 50);
    ASSERT_TRUE(WriteBytes(folder.File("picture.jpg"), jpeg));
    const HBITMAP hMemory = CreateBitmapFromJpegMemory(jpeg.data(), jpeg.size());
    const HBITMAP hFile = LoadJpegBitmapFile(folder.File("picture.jpg").c_str());
    ASSERT_NE(nullptr, hMemory);
    ASSERT_NE(nullptr, hFile);
    BITMAP bm;
    const std::vector<BYTE> bits = BitmapBits(hMemory, bm);
    EXPECT_EQ(bits, BitmapBits(hFile, bm));
    EXPECT_EQ(3, bm.bmWidth);
    EXPECT_EQ(2, bm.bmHeight);
    EXPECT_EQ(12, bm.bmWidthBytes);
    EXPECT_NEAR(50, bits[0], 3); // blue first
    EXPECT_NEAR(100, bits[1], 3);
    EXPECT_NEAR(200, bits[2], 3);
    DeleteObject(hMemory);
    DeleteObject(hFile);
    EXPECT_EQ(nullptr, LoadJpegBitmapFile(folder.File("none.jpg").c_str()));
}

TEST_F(ResourceBitmapsTest, LoadingAResourceFillsTheBitmapOrReportsFalse)
{
    CBitmap bitmap;
    EXPECT_FALSE(LoadJpegBitmapResource(nullptr, ID_RED));
    EXPECT_FALSE(LoadJpegBitmapResource(&bitmap, ID_MISSING));
    EXPECT_EQ(nullptr, bitmap.GetSafeHandle());
    EXPECT_EQ(0, m_nMessages);
    EXPECT_FALSE(LoadJpegBitmapResource(&bitmap, ID_BROKEN));
    EXPECT_EQ(1, m_nMessages) << "the decoder reports a broken picture";
    ASSERT_TRUE(LoadJpegBitmapResource(&bitmap, ID_RED));
    EXPECT_EQ(3, Width(bitmap));
    ASSERT_TRUE(LoadJpegBitmapResource(&bitmap, ID_RED, "JPG")) << "another type, and it replaces the bitmap";
    EXPECT_EQ(7, Width(bitmap));
}

TEST_F(ResourceBitmapsTest, ImageWindowLoadsTheLooksItIsGiven)
{
    struct SCase
    {
        const char* szName;
        UINT anIds[4];
        BOOL bResult;
        LONG anWidths[4]; // 0: no bitmap
    };
    const SCase cases[] = {
        {"normal only", {ID_RED, 0, 0, 0}, TRUE, {3, 0, 0, 0}},
        {"all four", {ID_RED, ID_GREEN, ID_BLUE, ID_GREEN}, TRUE, {3, 4, 5, 4}},
        {"zero ids skipped", {ID_GREEN, 0, ID_BLUE, 0}, TRUE, {4, 0, 5, 0}},
        {"a broken other look leaves it empty", {ID_GREEN, ID_BROKEN, 0, ID_RED}, TRUE, {4, 0, 0, 3}},
        {"failing normal loads nothing", {ID_MISSING, ID_GREEN, ID_BLUE, ID_RED}, FALSE, {0, 0, 0, 0}},
        {"normal id 0 loads nothing", {0, ID_GREEN, ID_BLUE, ID_RED}, FALSE, {0, 0, 0, 0}},
    };
    CImageWnd wnd;
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.szName);
        // The window starts each case holding the four looks of the previous one: they go first.
        EXPECT_EQ(c.bResult, wnd.LoadBitmaps(c.anIds[0], c.anIds[1], c.anIds[2], c.anIds[3]));
        const CBitmap* apBitmaps[] = {&wnd.m_bitmap, &wnd.m_bitmapSel, &wnd.m_bitmapFocus, &wnd.m_bitmapDisabled};
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(c.anWidths[i], Width(*apBitmaps[i])) << "look " << i;
    }
}

TEST_F(ResourceBitmapsTest, AttachingDropsTheOldLooksAndOwnsTheNewOnes)
{
    CImageWnd wnd;
    ASSERT_TRUE(wnd.LoadBitmaps(ID_RED, ID_GREEN));
    const HGDIOBJ hOldSelected = wnd.m_bitmapSel.GetSafeHandle();
    const std::vector<BYTE> rgb(6 * 3, 128);
    const HBITMAP hNormal = CreateBitmapFromRgb(rgb.data(), 6, 1);
    EXPECT_EQ(TRUE, wnd.AttachBitmaps(hNormal));
    EXPECT_EQ(hNormal, wnd.m_bitmap.GetSafeHandle());
    EXPECT_EQ(nullptr, wnd.m_bitmapSel.GetSafeHandle());
    EXPECT_EQ(FALSE, DeleteObject(hOldSelected)) << "the old look was deleted";
    const HBITMAP hSelected = CreateBitmapFromRgb(rgb.data(), 6, 1);
    EXPECT_EQ(FALSE, wnd.AttachBitmaps(nullptr, hSelected));
    EXPECT_EQ(nullptr, wnd.m_bitmapSel.GetSafeHandle()) << "without a normal look nothing is attached";
    EXPECT_EQ(TRUE, DeleteObject(hSelected)) << "and what was not attached stays the caller's";
}

TEST(LogFileTest, TakesEveryDebugLogLineFromItsOpeningUntilItIsClosed)
{
    CTempFolder folder;
    CLogFile log("VornLog.txt");
    EXPECT_STREQ("VornLog.txt", log.GetFileName().GetString());
    OutputDebugString("before\n");
    ASSERT_EQ(TRUE, log.Open(folder.File("VornLog.txt").c_str()));
    OutputDebugString("one\n");
    std::thread([] { OutputDebugString("two, from another thread\n"); }).join();
    log.Close();
    OutputDebugString("after\n");
    EXPECT_EQ("one\ntwo, from another thread\n", folder.Read("VornLog.txt"));

    EXPECT_EQ(FALSE, log.Open(folder.File("missing/VornLog.txt").c_str())) << "no folder to write it in";
    OutputDebugString("lost\n");
    EXPECT_FALSE(log.IsOpen());
    EXPECT_EQ("one\ntwo, from another thread\n", folder.Read("VornLog.txt")) << "the closed log is left alone";
}
