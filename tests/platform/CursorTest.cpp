// Cursors: a library's .cur file read whole or refused when damaged, the system's arrow and hand
// shared by id, the hot spot, drawing blended by alpha, and the counted show.
#include "platform/win32/Cursor.h"

#include "platform/CursorFile.h"
#include "platform/TempFolder.h"
#include "platform/win32/Gdi.h"
#include "platform/win32/Modules.h"
#include "platform/win32/ResourceLibrary.h"

#include <gtest/gtest.h>
#include <span>

namespace
{
std::span<const BYTE> Bytes(const std::string& s) { return {reinterpret_cast<const BYTE*>(s.data()), s.size()}; }

/// Opaque red on the left half, half-transparent blue in the lower right, clear in the upper right.
DWORD Pattern(int x, int y) { return x < 16 ? 0xFFFF0000u : (y >= 16 ? 0x800000FFu : 0u); }

TEST(CursorTest, CursorFilesAreReadWholeOrRefused)
{
    const std::string good = MakeCursorFile(32, 12, 3, Pattern);
    SCursorImage image;
    ASSERT_TRUE(ParseCursorFile(Bytes(good), image));
    EXPECT_EQ(32, image.nWidth);
    EXPECT_EQ(32, image.nHeight);
    EXPECT_EQ(12, image.nHotX);
    EXPECT_EQ(3, image.nHotY);
    for (const auto& [x, y] : {std::pair{0, 0}, std::pair{20, 2}, std::pair{31, 31}, std::pair{15, 31}})
        EXPECT_EQ(Pattern(x, y), image.aPixels[static_cast<std::size_t>(y * 32 + x)]) << x << "," << y;

    struct SCase
    {
        const char* szName;
        std::function<void(std::string&)> damage;
    };
    const SCase aCases[] = {
        {"empty", [](std::string& s) { s.clear(); }},
        {"cut inside the directory", [](std::string& s) { s.resize(10); }},
        {"cut inside the pixels", [](std::string& s) { s.resize(22 + 40 + 100); }},
        {"an icon, not a cursor", [](std::string& s) { s[2] = 1; }},
        {"no entry", [](std::string& s) { s[4] = 0; }},
        {"picture beyond the file", [](std::string& s) { s[6 + 12] = static_cast<char>(0xF0); }},
        {"size overflowing the offset", [](std::string& s) { s.replace(6 + 8, 4, "\xFF\xFF\xFF\xFF"); }},
        {"24 bits", [](std::string& s) { s[22 + 14] = 24; }},
        {"no width", [](std::string& s) { s.replace(22 + 4, 4, std::string(4, '\0')); }},
        {"negative height", [](std::string& s) { s.replace(22 + 8, 4, "\0\0\0\x80"); }},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        std::string bad = good;
        c.damage(bad);
        EXPECT_FALSE(ParseCursorFile(Bytes(bad), image));
    }
}

TEST(CursorTest, SystemCursorsAreSharedAndCarryTheirHotSpots)
{
    const HCURSOR hArrow = LoadCursor(nullptr, IDC_ARROW);
    const HCURSOR hHand = LoadCursor(nullptr, IDC_HAND);
    ASSERT_NE(nullptr, hArrow);
    ASSERT_NE(nullptr, hHand);
    EXPECT_NE(hArrow, hHand);
    EXPECT_EQ(hArrow, LoadCursor(nullptr, IDC_ARROW)) << "loaded once, shared";
    EXPECT_EQ(nullptr, LoadCursor(nullptr, reinterpret_cast<LPCSTR>(static_cast<std::uintptr_t>(32650))));
    for (const HCURSOR h : {hArrow, hHand})
    {
        ICONINFO info;
        ASSERT_TRUE(GetIconInfo(h, &info));
        const SCursorImage& image = *GetCursorImage(h);
        EXPECT_EQ(static_cast<DWORD>(image.nHotX), info.xHotspot);
        EXPECT_EQ(static_cast<DWORD>(image.nHotY), info.yHotspot);
        // The hot spot lies on the drawn picture.
        EXPECT_NE(0u, image.aPixels[static_cast<std::size_t>(image.nHotY * image.nWidth + image.nHotX)] >> 24);
    }
    ICONINFO info;
    EXPECT_FALSE(GetIconInfo(nullptr, &info));
}

TEST(CursorTest, LibraryCursorsDrawBlendedByAlphaInsideTheContext)
{
    // A library holding one cursor.
    const CTempFolder folder;
    const std::string file = MakeCursorFile(32, 4, 2, Pattern);
    CResourceLibraryWriter writer;
    std::string strError;
    ASSERT_TRUE(writer.Add(SResourceKey::FromWin(RT_CURSOR_FILE), SResourceKey::FromWin(MAKEINTRESOURCE(369)), 0,
                           std::vector<BYTE>(file.begin(), file.end()), strError));
    ASSERT_TRUE(writer.WriteFile(folder.File("Cursors.dll"), strError)) << strError;
    const HMODULE hLib = LoadLibrary(folder.File("Cursors.dll").c_str());
    ASSERT_NE(nullptr, hLib);
    const HCURSOR hCursor = LoadCursor(hLib, MAKEINTRESOURCE(369));
    ASSERT_NE(nullptr, hCursor);
    EXPECT_EQ(hCursor, LoadCursor(hLib, MAKEINTRESOURCE(369)));
    EXPECT_EQ(nullptr, LoadCursor(hLib, MAKEINTRESOURCE(262)));
    ICONINFO info;
    ASSERT_TRUE(GetIconInfo(hCursor, &info));
    EXPECT_EQ(4u, info.xHotspot);
    EXPECT_EQ(2u, info.yHotspot);

    std::vector<DWORD> aFrame(64 * 48, 0xFF808080u);
    SGdiPixels pixels{reinterpret_cast<BYTE*>(aFrame.data()), 64, 48, 64 * 4, EGdiPixelFormat::Xrgb32};
    HDC hDC = CreatePixelsDC(pixels);
    EXPECT_TRUE(DrawIcon(hDC, 50, 40, hCursor)) << "partly outside: clipped";
    EXPECT_TRUE(DrawIcon(hDC, 3, 5, hCursor));
    struct SCase
    {
        int x, y;    // in the cursor
        DWORD dwRgb; // on the frame
    };
    const SCase aCases[] = {{0, 0, 0xFF0000}, {15, 31, 0xFF0000}, {20, 2, 0x808080}, {20, 20, 0x4040C0}};
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        const DWORD dw = aFrame[static_cast<std::size_t>((c.y + 5) * 64 + c.x + 3)];
        for (const int nShift : {0, 8, 16}) // half-transparent pixels may round either way
            EXPECT_NEAR(static_cast<double>(c.dwRgb >> nShift & 0xFF), static_cast<double>(dw >> nShift & 0xFF), 1.0);
    }
    EXPECT_EQ(0xFF808080u, aFrame[0]) << "nothing drawn outside the picture";
    EXPECT_EQ(0xFF0000u, aFrame[47 * 64 + 63] & 0xFFFFFF) << "the clipped copy's corner";
    EXPECT_FALSE(DrawIcon(hDC, 0, 0, nullptr));
    DeleteDC(hDC);
    FreeLibrary(hLib);
}

TEST(CursorTest, ShowCountsUpAndDownAndTheWindowKeepsItsCursor)
{
    const int nStart = GetCursorShowCount();
    EXPECT_EQ(nStart - 1, ShowCursor(FALSE));
    EXPECT_EQ(nStart - 2, ShowCursor(FALSE));
    EXPECT_EQ(nStart - 1, ShowCursor(TRUE));
    EXPECT_EQ(nStart, ShowCursor(TRUE));
    const HCURSOR hArrow = LoadCursor(nullptr, IDC_ARROW);
    const HCURSOR hBefore = SetCursor(hArrow);
    EXPECT_EQ(hArrow, GetCursor());
    EXPECT_EQ(hArrow, SetCursor(hBefore));
}
} // namespace
