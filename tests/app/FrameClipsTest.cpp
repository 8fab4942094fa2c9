// The game's own clips where the game shows them: the splash plays its start clip, its flame and
// its jukebox over its picture, and the pocket arrow over a called pocket plays its glow on its
// texture; each shows the clip's frames as time goes on (PNG pictures in the test frames folder).
#include "tests/app/AppFolder.h"
#include "tests/app/CalledEightGame.h"
#include "tests/app/FrameScope.h"

#include "app/SplashScreen.h"
#include "foundation/LibraryLists.h"
#include "foundation/Settings.h"
#include "gameflow/GameFlow.h"
#include "media/AviClips.h"
#include "platform/TempFolder.h"
#include "platform/dx/SurfacePng.h"
#include "platform/media/AviFormat.h"
#include "platform/media/Vfw.h"
#include "platform/mfc/AfxResource.h"
#include "platform/win32/ByteStream.h"
#include "platform/win32/Clock.h"
#include "render/TextureManager.h"
#include "render/TextureSet.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace
{

std::string GameClip(const char* szName) { return std::string(VORN_GAME_DIR) + "/Artwork/" + szName; }

std::filesystem::path OutputFolder()
{
    const std::filesystem::path dir = VORN_TEST_OUTPUT_DIR;
    std::filesystem::create_directories(dir);
    return dir;
}

/// Every frame of a clip as 0x00RRGGBB rows, top row first (the clips are 24-bit).
std::vector<std::vector<DWORD>> ClipFrames(const std::string& strPath, int* pWidth, int* pHeight)
{
    std::vector<std::vector<DWORD>> aFrames;
    PAVISTREAM pStream;
    AVISTREAMINFOA info;
    if (AVIStreamOpenFromFileA(&pStream, strPath.c_str(), streamtypeVIDEO, 0, OF_READ, nullptr) != AVIERR_OK ||
        AVIStreamInfoA(pStream, &info, sizeof info) != AVIERR_OK)
        return aFrames;
    PGETFRAME pGetter = AVIStreamGetFrameOpen(pStream, nullptr);
    for (LONG n = 0; n < static_cast<LONG>(info.dwLength); ++n)
    {
        const auto* pDib = static_cast<const BYTE*>(AVIStreamGetFrame(pGetter, n));
        BITMAPINFOHEADER header;
        CByteReader rd(std::span<const BYTE>(pDib, BITMAPINFOHEADER_SIZE));
        if (pDib == nullptr || !ReadBitmapInfoHeader(rd, header) || header.biBitCount != 24)
            return {};
        const LONG w = header.biWidth, h = std::abs(header.biHeight);
        const DWORD dwStride = DibStride(w, 24);
        std::vector<DWORD> aPixels;
        for (LONG y = 0; y < h; ++y)
            for (LONG x = 0; x < w; ++x)
            {
                const BYTE* p = pDib + BITMAPINFOHEADER_SIZE + static_cast<std::size_t>(h - 1 - y) * dwStride + x * 3;
                aPixels.push_back(static_cast<DWORD>(p[2]) << 16 | static_cast<DWORD>(p[1]) << 8 | p[0]);
            }
        aFrames.push_back(std::move(aPixels));
        *pWidth = w;
        *pHeight = h;
    }
    return aFrames;
}

/// The pixels of a rectangle of a picture nWidth wide.
std::vector<DWORD> Piece(const std::vector<DWORD>& aPixels, int nWidth, const RECT& rc)
{
    std::vector<DWORD> aPiece;
    for (LONG y = rc.top; y < rc.bottom; ++y)
        for (LONG x = rc.left; x < rc.right; ++x)
            aPiece.push_back(aPixels[static_cast<std::size_t>(y) * nWidth + x]);
    return aPiece;
}

/// Which of the frames the pixels are, -1 when none.
int WhichFrame(const std::vector<std::vector<DWORD>>& aFrames, const std::vector<DWORD>& aPixels)
{
    for (std::size_t i = 0; i < aFrames.size(); ++i)
        if (aFrames[i] == aPixels)
            return static_cast<int>(i);
    return -1;
}

bool SavePixelsPng(const std::vector<DWORD>& aPixels, int nWidth, int nHeight, const std::string& strName)
{
    const SurfacePtr pSurface = CDirectDrawSurface::Create(static_cast<DWORD>(nWidth), static_cast<DWORD>(nHeight),
                                                           MakeRgbPixelFormat(32), DDSCAPS_OFFSCREENPLAIN);
    DDSURFACEDESC2 desc;
    if (pSurface == nullptr || pSurface->Lock(nullptr, &desc, 0, nullptr) != DD_OK)
        return false;
    for (int y = 0; y < nHeight; ++y)
        std::copy_n(aPixels.begin() + static_cast<std::ptrdiff_t>(y) * nWidth, nWidth,
                    reinterpret_cast<DWORD*>(static_cast<BYTE*>(desc.lpSurface) + y * desc.lPitch));
    pSurface->Unlock(nullptr);
    return SaveSurfaceToPng(*pSurface, (OutputFolder() / strName).string());
}

} // namespace

// The splash painted twice, a quarter of a second apart: its start clip, its flame and its jukebox
// each show a frame of their own clip, and a later frame the second time.
TEST(FrameClipsTest, TheSplashPlaysItsClipsOverItsPicture)
{
    ASSERT_TRUE(StartDisplay());
    const HMODULE hGame = LoadLibrary(VORN_GAME_DIR "/VornRes.dll");
    ASSERT_NE(nullptr, hGame);
    const HMODULE hBefore = AfxGetResourceHandle();
    AfxSetResourceHandle(hGame);
    const CString strSplash = g_strSplashClip, strOverlay = g_strSplashOverlayClip, strStart = g_strStartClip;
    g_strSplashClip = GameClip("Flame.AVI").c_str();
    g_strSplashOverlayClip = GameClip("jbspl.avi").c_str();
    g_strStartClip = GameClip("Start.avi").c_str();
    struct SClip
    {
        const char* szFile;
        RECT rc;         // where the splash shows it
        RECT rcCompared; // the part compared: what no other clip covers
        std::vector<std::vector<DWORD>> aFrames;
    };
    SClip aClips[] = {
        {"Flame.AVI", g_rcSplashClip, {0, 0, 48, 48}, {}},
        {"jbspl.avi", g_rcSplashOverlay, {0, 0, 52, 104}, {}},
        {"Start.avi", {0, 0, 640, 480}, {0, 0, 640, 200}, {}}, // the title, above the other two
    };
    for (SClip& clip : aClips)
    {
        int w = 0, h = 0;
        clip.aFrames = ClipFrames(GameClip(clip.szFile), &w, &h);
        ASSERT_GE(clip.aFrames.size(), 2u) << clip.szFile;
        ASSERT_EQ(clip.rc.right - clip.rc.left, w) << clip.szFile;
        ASSERT_EQ(clip.rc.bottom - clip.rc.top, h) << clip.szFile;
        // Compared as pieces of the clip's own frames.
        for (std::vector<DWORD>& frame : clip.aFrames)
            frame = Piece(frame, w, clip.rcCompared);
    }
    {
        CTestClockScope clock(50000);
        CSplashWnd splash;
        ASSERT_TRUE(splash.Create(nullptr));
        std::vector<int> aShown[std::size(aClips)];
        for (int nPaint = 0; nPaint < 2; ++nPaint)
        {
            SendMessage(splash.m_hWnd, WM_PAINT, 0, 0);
            int nWidth = 0, nHeight = 0;
            const std::vector<DWORD> aPixels = splash.GetPaintedPixels(&nWidth, &nHeight);
            ASSERT_EQ(640, nWidth);
            ASSERT_EQ(480, nHeight);
            EXPECT_TRUE(SavePixelsPng(aPixels, nWidth, nHeight, "Splash" + std::to_string(nPaint) + ".png"));
            for (std::size_t i = 0; i < std::size(aClips); ++i)
            {
                const SClip& clip = aClips[i];
                const RECT rcOnSplash{clip.rc.left + clip.rcCompared.left, clip.rc.top + clip.rcCompared.top,
                                      clip.rc.left + clip.rcCompared.right, clip.rc.top + clip.rcCompared.bottom};
                aShown[i].push_back(WhichFrame(clip.aFrames, Piece(aPixels, nWidth, rcOnSplash)));
            }
            clock.Advance(250);
        }
        for (std::size_t i = 0; i < std::size(aClips); ++i)
        {
            SCOPED_TRACE(aClips[i].szFile);
            EXPECT_GE(aShown[i][0], 0) << "a frame of the clip";
            EXPECT_GT(aShown[i][1], aShown[i][0]) << "a later frame of it";
        }
        splash.DestroyWindow();
    }
    g_strSplashClip = strSplash;
    g_strSplashOverlayClip = strOverlay;
    g_strStartClip = strStart;
    AfxSetResourceHandle(hBefore);
    FreeLibrary(hGame);
    StopDisplay();
}

// The arrow over a called pocket plays its clip on its texture while it shows: a frame of the
// clip, and a later one a quarter of a second on.
TEST(FrameClipsTest, ThePocketArrowOverACalledPocketPlaysItsClip)
{
    const CAppFolder app;
    std::filesystem::create_directories(app.Folder().Path() / "Artwork");
    std::filesystem::copy_file(GameClip("arrow.avi"), app.Folder().Path() / "Artwork" / "arrow.avi");
    for (const char* szLib : {"Imagery1.dll", "Imagery.dll"})
        g_astrArtworkLibraries.Add((std::string(VORN_GAME_DIR) + "/" + szLib).c_str());
    for (const char* szLib : {"VornBall.dat", "VornBall1.dat"})
        g_astrBallSetLibraries.Add((std::string(VORN_GAME_DIR) + "/" + szLib).c_str());
    g_textureSet.LoadTextureSet();
    const CSettings saved = g_Settings;
    g_Settings.SetDefaults();
    g_Settings.m_nGameType = GAME_8BALL;
    g_Settings.m_nCompetitionType = 1;
    g_Settings.m_nPlayerLevel2 = 0;
    ASSERT_NE(0, g_Settings.m_nAnimTV) << "clips play by default";
    {
        CTestClockScope clock(30000);
        CFrameScope frame(true);
        ASSERT_TRUE(frame.m_bCreated && frame.m_pFrame->IsGameStarted());
        CMainFrame& main = *frame.m_pFrame;
        const CTempFolder folder;
        WriteCalledEight(folder.Path() / "eight.sav", LEFT_SIDE_POCKET);
        CString strReason;
        ASSERT_TRUE(main.RestoreGame(CString((folder.Path() / "eight.sav").string()), strReason)) << strReason.Str();
        main.UpdatePocketArrow();
        ASSERT_TRUE(main.GetPocketArrow()->IsEnabled());
        const int nClip = main.GetPocketArrow()->m_nClip;
        ASSERT_GE(nClip, 0) << "the arrow's clip opened";

        // The clip's frames as the texture's surface holds them (the texture is made when the
        // arrow is first drawn).
        main.OnFrame();
        const SurfacePtr pTexture = GetTextureSurface("arrow.bmp");
        ASSERT_NE(nullptr, pTexture);
        const CAviClip& clip = *CAviClipList::GetClip(nClip);
        std::vector<std::vector<DWORD>> aFrames;
        const SurfacePtr pScratch =
            CDirectDrawSurface::Create(pTexture->GetWidth(), pTexture->GetHeight(), pTexture->GetPixelFormat(), 0);
        ASSERT_NE(nullptr, pScratch);
        const auto pixels = [](const CDirectDrawSurface& surface)
        {
            std::vector<DWORD> a;
            for (DWORD y = 0; y < surface.GetHeight(); ++y)
                for (DWORD x = 0; x < surface.GetWidth(); ++x)
                    a.push_back(surface.GetPixelXrgb(x, y));
            return a;
        };
        for (LONG n = 0; n < static_cast<LONG>(clip.m_info.dwLength); ++n)
        {
            const auto* pDib = static_cast<const BYTE*>(AVIStreamGetFrame(clip.m_pGetFrame, n));
            ASSERT_NE(nullptr, pDib);
            BITMAPINFOHEADER header;
            CByteReader rd(std::span<const BYTE>(pDib, BITMAPINFOHEADER_SIZE));
            ASSERT_TRUE(ReadBitmapInfoHeader(rd, header));
            DDSURFACEDESC2 desc;
            ASSERT_EQ(DD_OK, pScratch->Lock(nullptr, &desc, 0, nullptr));
            ASSERT_TRUE(ConvertFrame(header, pDib + BITMAPINFOHEADER_SIZE, desc));
            pScratch->Unlock(nullptr);
            aFrames.push_back(pixels(*pScratch));
        }

        std::vector<int> aShown;
        clock.Advance(100); // past the clip's first frame, drawn before its texture was made
        for (int nTick = 0; nTick < 2; ++nTick)
        {
            main.OnFrame();
            aShown.push_back(WhichFrame(aFrames, pixels(*pTexture)));
            EXPECT_TRUE(SaveSurfaceToPng(*pTexture,
                                         (OutputFolder() / ("PocketArrow" + std::to_string(nTick) + ".png")).string()));
            clock.Advance(250);
        }
        EXPECT_GE(aShown[0], 0) << "a frame of the clip";
        EXPECT_GT(aShown[1], aShown[0]) << "a later frame of it";
    }
    DeleteAllTextures();
    g_astrBallSetLibraries.RemoveAll();
    g_textureSet.LoadTextureSet();
    g_nGameMode = 0;
    g_Settings = saved;
}
