#include "ui/SkinDialog.h"

#include "DialogLibrary.h"

#include "platform/dx/Surface.h"
#include "platform/dx/SurfacePng.h"
#include "platform/win32/Cursor.h"
#include "platform/win32/KeyState.h"
#include "ui/LabelStatic.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
constexpr int IDD_SKIN = 300;
constexpr int IDD_NO_BUTTONS = 301;
constexpr int ID_BACKGROUND = 324;
constexpr int ID_MISSING = 325;
constexpr UINT ID_PRESSED = 489;
constexpr UINT ID_NORMAL = 490;

const char* const SKIN_TEMPLATE = "dialog 0 0 100 60\nfont 8 \"MS Sans Serif\"\n"
                                  "control ownerbutton 1 10 30 30 14 \"OK\" tabstop\n"
                                  "control push 2 50 30 40 14 \"Cancel\" tabstop\n"
                                  "control static 1200 4 4 80 12 \"Player one\"\n";
const char* const NO_BUTTONS_TEMPLATE = "dialog 0 0 100 60\nfont 8 \"MS Sans Serif\"\n";

class CTestSkinDialog : public CSkinDialog
{
public:
    CTestSkinDialog(int nTemplate, int nBackground, BOOL bFit) : CSkinDialog(nTemplate, "_DATA", nBackground, nullptr)
    {
        m_bSet0 = SetButtonImages(0, ID_PRESSED, ID_NORMAL);
        SetFitToBackground(bFit);
    }
    BOOL OnInitDialog() override
    {
        CSkinDialog::OnInitDialog();
        if (m_fnUser)
            m_fnUser(*this);
        return TRUE;
    }
    BOOL m_bSet0 = FALSE;
    std::function<void(CTestSkinDialog&)> m_fnUser;
};

class SkinDialogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_library.AddTemplate(IDD_SKIN, SKIN_TEMPLATE);
        m_library.AddTemplate(IDD_NO_BUTTONS, NO_BUTTONS_TEMPLATE);
        m_library.AddPicture(ID_BACKGROUND, 240, 160, 0, 0, 250);
        m_library.AddPicture(static_cast<int>(ID_PRESSED), 30, 20, 250, 0, 0);
        m_library.AddPicture(static_cast<int>(ID_NORMAL), 30, 20, 0, 250, 0);
        m_library.Load();
    }

    static DWORD Pixel(const CDialog& dlg, int x, int y)
    {
        int nWidth = 0;
        int nHeight = 0;
        const std::vector<DWORD>& aPixels = dlg.GetSurfacePixels(&nWidth, &nHeight);
        return aPixels.at(static_cast<std::size_t>(y * nWidth + x));
    }
    static bool Near(DWORD dwXrgb, DWORD dwExpected)
    {
        for (int nShift : {0, 8, 16})
            if (std::abs(static_cast<int>((dwXrgb >> nShift) & 0xFF) -
                         static_cast<int>((dwExpected >> nShift) & 0xFF)) > 8)
                return false;
        return true;
    }
    static void SavePng(const CDialog& dlg, const std::string& strName)
    {
        int nWidth = 0;
        int nHeight = 0;
        const std::vector<DWORD>& aPixels = dlg.GetSurfacePixels(&nWidth, &nHeight);
        SurfacePtr pSurface = CDirectDrawSurface::Create(static_cast<DWORD>(nWidth), static_cast<DWORD>(nHeight),
                                                         MakeRgbPixelFormat(32), DDSCAPS_OFFSCREENPLAIN);
        ASSERT_NE(nullptr, pSurface);
        HDC hDC = nullptr;
        ASSERT_EQ(DD_OK, pSurface->GetDC(&hDC));
        for (int y = 0; y < nHeight; ++y)
            for (int x = 0; x < nWidth; ++x)
            {
                const DWORD dw = aPixels[static_cast<std::size_t>(y * nWidth + x)];
                SetPixel(hDC, x, y, RGB((dw >> 16) & 0xFF, (dw >> 8) & 0xFF, dw & 0xFF));
            }
        pSurface->ReleaseDC(hDC);
        std::filesystem::create_directories(VORN_TEST_OUTPUT_DIR);
        EXPECT_TRUE(SaveSurfaceToPng(*pSurface, (std::filesystem::path(VORN_TEST_OUTPUT_DIR) / strName).string()));
    }

    CDialogLibrary m_library;
};

TEST_F(SkinDialogTest, FitDialogTakesThePicturesSizeAndTheHoveredButtonShowsPressed)
{
    CTestSkinDialog dlg(IDD_SKIN, ID_BACKGROUND, TRUE);
    EXPECT_TRUE(dlg.m_bSet0);
    const SIZE base = DialogBaseUnits(8, "MS Sans Serif");
    const POINT ptOk{10 * base.cx / 4, 30 * base.cy / 8};
    RECT rcOk{};
    dlg.m_fnUser = [&](CTestSkinDialog& d)
    {
        ::GetWindowRect(d.GetDlgItem(IDOK), &rcOk);
        ::PostMessage(d.m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(ptOk.x + 5, ptOk.y + 5));
        ::PostMessage(d.m_hWnd, WM_KEYDOWN, VK_ESCAPE, 0);
    };
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    EXPECT_TRUE(dlg.IsBackgroundLoaded());
    int nWidth = 0;
    int nHeight = 0;
    dlg.GetSurfacePixels(&nWidth, &nHeight);
    EXPECT_EQ(240, nWidth);
    EXPECT_EQ(160, nHeight);
    EXPECT_EQ((RECT{ptOk.x, ptOk.y, ptOk.x + 30, ptOk.y + 20}), rcOk); // sized to its bitmap at its place
    EXPECT_TRUE(Near(Pixel(dlg, 2, 2), 0x0000FA)) << std::hex << Pixel(dlg, 2, 2);
    EXPECT_TRUE(Near(Pixel(dlg, ptOk.x + 3, ptOk.y + 3), 0xFA0000)) << std::hex << Pixel(dlg, ptOk.x + 3, ptOk.y + 3);
    SavePng(dlg, "SkinDialog.png");
}

TEST_F(SkinDialogTest, TheDialogShowsTheCursorAndAMoveChoosesTheArrowOrOverAButtonTheHand)
{
    const SIZE base = DialogBaseUnits(8, "MS Sans Serif");
    const POINT ptOk{10 * base.cx / 4 + 5, 30 * base.cy / 8 + 5};
    struct SCase
    {
        const char* szName;
        bool bShowOnSetCursor;
        POINT ptMove;
        int nCountAfterMove; // the system's show count after the move, hidden to -2 before it
        LPCSTR szCursor;     // the system cursor after the move
    };
    // Over a hover button the button sets its cursor and the dialog is not asked.
    const SCase aCases[] = {
        {"a plain skinned dialog", false, {3, 3}, -2, IDC_ARROW},
        {"one that shows the cursor on WM_SETCURSOR", true, {3, 3}, 0, IDC_ARROW},
        {"a plain skinned dialog, over its OK button", false, ptOk, -2, IDC_HAND},
        {"one that shows the cursor, over its OK button", true, ptOk, -2, IDC_HAND},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CTestSkinDialog dlg(IDD_SKIN, ID_BACKGROUND, TRUE);
        if (c.bShowOnSetCursor)
            dlg.SetShowCursorOnSetCursor();
        while (ShowCursor(FALSE) > -3)
        {
        }
        int nAtOpen = -10;
        dlg.m_fnUser = [&](CTestSkinDialog& d)
        {
            nAtOpen = GetCursorShowCount();
            while (ShowCursor(FALSE) > -2)
            {
            }
            SetCursor(LoadCursor(nullptr, c.szCursor == IDC_HAND ? IDC_ARROW : IDC_HAND));
            ::PostMessage(d.m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(c.ptMove.x, c.ptMove.y));
            ::PostMessage(d.m_hWnd, WM_KEYDOWN, VK_ESCAPE, 0);
        };
        EXPECT_EQ(IDCANCEL, dlg.DoModal());
        EXPECT_EQ(0, nAtOpen) << "the pointer is there while the dialog is up";
        EXPECT_EQ(c.nCountAfterMove, GetCursorShowCount());
        EXPECT_EQ(LoadCursor(nullptr, c.szCursor), GetCursor());
    }
    while (ShowCursor(TRUE) < 0)
    {
    }
}

TEST_F(SkinDialogTest, WithoutFitThePictureIsStretchedAndWithoutPictureNothingIsPainted)
{
    struct SCase
    {
        const char* szName;
        int nBackground;
        BOOL bFit;
        bool bLoaded;
        DWORD dwCorner;
    };
    const SCase aCases[] = {{"stretched", ID_BACKGROUND, FALSE, true, 0x0000FA},
                            {"missing, fit asked", ID_MISSING, TRUE, false, 0}};
    const SIZE base = DialogBaseUnits(8, "MS Sans Serif");
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        CTestSkinDialog dlg(IDD_SKIN, c.nBackground, c.bFit);
        dlg.m_fnUser = [](CTestSkinDialog& d) { ::PostMessage(d.m_hWnd, WM_KEYDOWN, VK_RETURN, 0); };
        EXPECT_EQ(IDOK, dlg.DoModal());
        EXPECT_EQ(c.bLoaded, dlg.IsBackgroundLoaded());
        int nWidth = 0;
        int nHeight = 0;
        dlg.GetSurfacePixels(&nWidth, &nHeight);
        EXPECT_EQ(100 * base.cx / 4, nWidth);
        EXPECT_EQ(60 * base.cy / 8, nHeight);
        EXPECT_TRUE(Near(Pixel(dlg, nWidth - 2, nHeight - 2), c.dwCorner))
            << std::hex << Pixel(dlg, nWidth - 2, nHeight - 2);
    }
}

TEST_F(SkinDialogTest, ImageSetsOutsideZeroAndOneAndTemplatesWithoutTheButtonsAreHarmless)
{
    CTestSkinDialog dlg(IDD_NO_BUTTONS, ID_BACKGROUND, FALSE);
    EXPECT_FALSE(dlg.SetButtonImages(2, ID_PRESSED, ID_NORMAL));
    EXPECT_FALSE(dlg.SetButtonImages(-1, ID_PRESSED, ID_NORMAL));
    EXPECT_FALSE(dlg.SetButtonImages(1, ID_MISSING, ID_MISSING));
    dlg.m_fnUser = [](CTestSkinDialog& d) { ::PostMessage(d.m_hWnd, WM_KEYDOWN, VK_ESCAPE, 0); };
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
}

// A label drawn alone repaints the picture under it before its text, so an old text never shows.
TEST_F(SkinDialogTest, ALabelRepaintsThePictureUnderItsText)
{
    CTestSkinDialog dlg(IDD_SKIN, ID_BACKGROUND, TRUE);
    CLabelStatic label;
    std::vector<DWORD> aPixels;
    RECT rcLabel{};
    dlg.m_fnUser = [&](CTestSkinDialog& d)
    {
        ASSERT_TRUE(label.SubclassDlgItem(1200, &d));
        ::GetWindowRect(d.GetDlgItem(1200), &rcLabel);
        RECT rcClient;
        d.GetClientRect(&rcClient);
        const int nWidth = rcClient.right - rcClient.left;
        const int nHeight = rcClient.bottom - rcClient.top;
        aPixels.assign(static_cast<std::size_t>(nWidth * nHeight), 0);
        SGdiPixels pixels{reinterpret_cast<BYTE*>(aPixels.data()), nWidth, nHeight, nWidth * 4};
        HDC hDC = CreatePixelsDC(pixels);
        HBRUSH hRed = CreateSolidBrush(RGB(255, 0, 0));
        FillRect(hDC, &rcLabel, hRed); // an old drawing under the label
        DeleteObject(hRed);
        DRAWITEMSTRUCT dis;
        dis.hDC = hDC;
        dis.rcItem = rcLabel;
        dis.hwndItem = d.GetDlgItem(1200);
        label.DrawItem(&dis);
        DeleteDC(hDC);
        ::PostMessage(d.m_hWnd, WM_KEYDOWN, VK_ESCAPE, 0);
    };
    dlg.DoModal();
    int nYellow = 0;
    for (LONG y = rcLabel.top; y < rcLabel.bottom; ++y)
        for (LONG x = rcLabel.left; x < rcLabel.right; ++x)
        {
            const DWORD dw = aPixels[static_cast<std::size_t>(y * 240 + x)];
            EXPECT_FALSE(Near(dw, 0xFF0000)) << x << "," << y;
            nYellow += Near(dw, 0xEBEB85) ? 1 : 0;
        }
    EXPECT_GT(nYellow, 10);
    EXPECT_TRUE(Near(aPixels[static_cast<std::size_t>(rcLabel.top * 240 + rcLabel.right - 1)], 0x0000FA));
}
} // namespace
