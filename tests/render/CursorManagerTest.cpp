// The cursor manager over a framework in a window and full screen: the counted show as a table
// (window, full screen, menu loop, no cursor; whatever earlier calls left), the software cursor
// drawn at its position less the hot spot, and the hover picker's cursors from the library.
#include "render/CursorManager.h"

#include "FrameworkFixture.h"

#include "foundation/Matrix.h"
#include "platform/CursorFile.h"
#include "platform/TempFolder.h"
#include "platform/dx/Surface.h"
#include "platform/mfc/AfxResource.h"
#include "platform/win32/Modules.h"
#include "platform/win32/ResourceLibrary.h"
#include "render/Environment3D.h"
#include "render/Picking.h"

namespace
{
/// The framework made the global one, windowed or full screen.
class CursorManagerTest : public CFrameworkFixture
{
protected:
    void SetUp() override
    {
        CFrameworkFixture::SetUp();
        g_pFramework = &m_framework;
        g_b3DReady = TRUE;
    }
    void TearDown() override
    {
        g_CursorManager.SetMenuLoop(FALSE);
        g_CursorManager.SetCursor(nullptr);
        g_pFramework = nullptr;
        g_b3DReady = FALSE;
        CFrameworkFixture::TearDown();
    }
    HRESULT Init(bool bFullScreen)
    {
        m_framework.DestroyObjects();
        return bFullScreen ? InitFullscreen() : InitWindowed();
    }
    /// The system's show count, left as it was.
    static int SystemCount()
    {
        ShowCursor(TRUE);
        return ShowCursor(FALSE);
    }
};

TEST_F(CursorManagerTest, CountedShowUsesTheSystemCursorUnlessTheGameDrawsIt)
{
    struct SCase
    {
        const char* szName;
        bool bFullScreen, bMenu, bCursor;
        BOOL bShow;
        int nReturned, nSystem, nSoftware;
    };
    const SCase aCases[] = {
        {"window, show", false, false, true, TRUE, 0, 0, -1},
        {"window, hide", false, false, true, FALSE, -1, -1, -1},
        {"full screen, show: drawn by the game", true, false, true, TRUE, 0, -1, 0},
        {"full screen, hide", true, false, true, FALSE, -1, -1, -1},
        {"full screen with a menu open, show", true, true, true, TRUE, 0, 0, -1},
        {"full screen without a cursor, show", true, false, false, TRUE, 0, 0, -1},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        ASSERT_EQ(S_OK, Init(c.bFullScreen));
        g_CursorManager.SetMenuLoop(c.bMenu ? TRUE : FALSE);
        EXPECT_EQ(c.bCursor ? TRUE : FALSE, g_CursorManager.SetSystemCursor(c.bCursor ? IDC_ARROW : nullptr));
        for (const int nEarlier : {3, -4}) // however unbalanced the earlier calls
        {
            SCOPED_TRACE(nEarlier);
            while (SystemCount() < nEarlier)
                ShowCursor(TRUE);
            while (SystemCount() > nEarlier)
                ShowCursor(FALSE);
            for (int k = 0; k < 2; ++k) // twice gives the same
                EXPECT_EQ(c.nReturned, ShowCursorCounted(c.bShow));
            EXPECT_EQ(c.nSystem, SystemCount());
            EXPECT_EQ(c.nSoftware, g_CursorManager.GetDisplayCount());
            EXPECT_EQ(c.nSoftware >= 0 ? TRUE : FALSE, g_CursorManager.IsVisible());
        }
    }
    // The menu closes: the next counted show hides the system cursor and the game draws again.
    ASSERT_EQ(S_OK, Init(true));
    g_CursorManager.SetSystemCursor(IDC_ARROW);
    g_CursorManager.SetMenuLoop(TRUE);
    ShowCursorCounted(TRUE);
    EXPECT_EQ(0, SystemCount());
    g_CursorManager.SetMenuLoop(FALSE);
    ShowCursorCounted(TRUE);
    EXPECT_EQ(-1, SystemCount());
    EXPECT_TRUE(g_CursorManager.IsVisible());
}

TEST_F(CursorManagerTest, SoftwareCursorIsDrawnAtItsPositionLessTheHotSpot)
{
    const HCURSOR hHand = LoadCursor(nullptr, IDC_HAND);
    const SCursorImage& image = *GetCursorImage(hHand);
    struct SCase
    {
        const char* szName;
        bool bFullScreen;
        int x, y;
        BOOL bDrawn;
    };
    const SCase aCases[] = {
        {"full screen", true, 100, 50, TRUE},
        {"full screen, over the corner", true, 635, 475, TRUE},
        {"full screen, off the frame", true, -100, 900, TRUE},
        {"window: the system's cursor shows", false, 100, 50, FALSE},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        ASSERT_EQ(S_OK, Init(c.bFullScreen));
        const SurfacePtr& pTarget = m_framework.GetRenderTarget();
        DDBLTFX fx;
        fx.dwFillColor = 0x203040;
        pTarget->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx);
        g_CursorManager.SetCursor(hHand);
        ShowCursorCounted(TRUE);
        g_CursorManager.SetPosition(c.x, c.y);
        EXPECT_EQ(c.bDrawn, g_CursorManager.Draw());
        const int x0 = c.x - image.nHotX, y0 = c.y - image.nHotY;
        DDSURFACEDESC2 desc;
        ASSERT_EQ(DD_OK, pTarget->GetSurfaceDesc(&desc));
        for (DWORD y = 0; y < desc.dwHeight; ++y)
            for (DWORD x = 0; x < desc.dwWidth; ++x)
            {
                const int u = static_cast<int>(x) - x0, v = static_cast<int>(y) - y0;
                const bool bOnPicture = c.bDrawn && u >= 0 && v >= 0 && u < image.nWidth && v < image.nHeight;
                const DWORD src = bOnPicture ? image.aPixels[static_cast<std::size_t>(v * image.nWidth + u)] : 0;
                const DWORD dwExpected = (src >> 24) != 0 ? src & 0xFFFFFF : 0x203040;
                ASSERT_EQ(dwExpected, pTarget->GetPixelXrgb(x, y) & 0xFFFFFF) << x << "," << y;
            }
    }
    g_CursorManager.SetCursor(nullptr);
    EXPECT_FALSE(g_CursorManager.Draw()) << "no cursor";
}

TEST_F(CursorManagerTest, HoverPickerTakesTheLibrarysHandOverABallAndItsTableCursorElsewhere)
{
    const CTempFolder folder;
    CResourceLibraryWriter writer;
    std::string strError;
    for (const int nId : {CURSOR_HAND, CURSOR_OVER_TABLE})
    {
        const std::string file = MakeCursorFile(32, nId == CURSOR_HAND ? 12 : 16, nId == CURSOR_HAND ? 1 : 16,
                                                [](int, int) { return 0xFF000000u; });
        ASSERT_TRUE(writer.Add(SResourceKey::FromWin(RT_CURSOR_FILE),
                               SResourceKey::FromWin(MAKEINTRESOURCE(static_cast<WORD>(nId))), 0,
                               std::vector<BYTE>(file.begin(), file.end()), strError));
    }
    ASSERT_TRUE(writer.WriteFile(folder.File("Res.dll"), strError)) << strError;
    const HMODULE hLib = LoadLibrary(folder.File("Res.dll").c_str());
    ASSERT_NE(nullptr, hLib);
    const HMODULE hEmpty = nullptr;

    // One ball at the table's centre, seen from above.
    MatrixLookAt(g_matView, CVector3(0, 100, 0), CVector3(0, -1, 0), CVector3(0, 0, 1));
    g_nPanelHeight = 0;
    ASSERT_EQ(S_OK, BuildProjection(0.7f, 320, 240, nullptr));
    const RECT rc = {0, 0, 320, 240};
    const SPickBall balls[] = {{7, CVector3(0, 0, 0), 1.12f}};
    struct SCase
    {
        const char* szName;
        HMODULE hLibrary;
        float x, y;
        int nCursor;      // the library's cursor expected, 0 none
        bool bArrowShown; // the window shows the arrow
    };
    const SCase aCases[] = {
        {"over the ball: the hand", hLib, 160, 120, CURSOR_HAND, false},
        {"over the table", hLib, 20, 20, CURSOR_OVER_TABLE, false},
        {"no cursors in the library: the arrow", hEmpty, 160, 120, 0, true},
    };
    CHoverPicker picker;
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        AfxSetResourceHandle(c.hLibrary);
        SetCursor(nullptr);
        picker.Highlight(balls, c.x, c.y, rc);
        const HCURSOR hExpected =
            c.nCursor != 0 ? LoadCursor(hLib, MAKEINTRESOURCE(static_cast<WORD>(c.nCursor))) : nullptr;
        EXPECT_EQ(hExpected, g_CursorManager.GetCursorHandle());
        EXPECT_EQ(c.bArrowShown ? LoadCursor(nullptr, IDC_ARROW) : hExpected, GetCursor());
    }
    picker.Reset();
    EXPECT_EQ(LoadCursor(nullptr, IDC_ARROW), g_CursorManager.GetCursorHandle());
    EXPECT_EQ(LoadCursor(nullptr, IDC_ARROW), GetCursor());
    EXPECT_EQ(-1, picker.GetHighlightId());
    AfxSetResourceHandle(nullptr);
    FreeLibrary(hLib);
}
} // namespace
