// What the main frame keeps for its heads-up display and its frame painter: the panel font, the
// panel surfaces, the frame-rate counter, the title's dirty flag, the ball painter of the icons and the draw-order log
// of the tests.
#pragma once

#include "foundation/RunningStat.h"
#include "platform/mfc/CString.h"
#include "render/BallPainter.h"
#include "ui/FrameRate.h"
#include "ui/HudPanels.h"
#include "ui/PanelFont.h"
#include "ui/SceneOrder.h"

#include <array>
#include <vector>

/// The panel loader's errors: the scene text's objects or table cannot be read.
inline constexpr unsigned int IDS_SCENE_OBJECTS_UNREADABLE = 21535;
inline constexpr unsigned int IDS_SCENE_TABLE_UNREADABLE = 21536;
inline constexpr unsigned int IDS_SCENE_NOT_BUILT = 21537;
/// The watermark's own picture, which the scene gives it.
inline constexpr const char* WATERMARK_PICTURE = "watermark.bmp";
/// The ball goal of 14.1 before a game sets it.
inline constexpr LONG DEFAULT_BALL_GOAL = 50;

/// The HUD's surface slots; the later ones are kept for panels that come with the plug-in games.
enum EHudSurface
{
    HUD_FRAME_RATE,
    HUD_PLUGIN_SCORE1,
    HUD_PLUGIN_SCORE2,
    HUD_BANNER,
    HUD_TITLE,
    HUD_SURFACE_COUNT = 11
};

/// The design width the display is laid out for, pixels; it is centred in the view.
inline constexpr LONG HUD_DESIGN_WIDTH = 812;
/// The turn banner's and the title's least size, pixels.
inline constexpr SIZE HUD_BANNER_SIZE{288, 38};
inline constexpr POINT HUD_BANNER_AT{311, 4};
inline constexpr POINT HUD_TITLE_AT{124, 3};
/// The frame-rate counter's surface, pixels.
inline constexpr SIZE HUD_RATE_SIZE{108, 20};
/// A plug-in game's score panel before it asks for more: a score panel's width, 16 high.
inline constexpr SIZE HUD_PLUGIN_PANEL_SIZE{109, 16};

class CFrameHud
{
public:
    CFrameHud();
    /// Releases every panel surface (before the device goes).
    void Release();

    CPanelFont m_font; // the frame's panel font: "Arial", character height 20, italic
    std::array<SurfacePtr, HUD_SURFACE_COUNT> m_apSurfaces;
    SIZE m_sizeBanner = HUD_BANNER_SIZE;
    SIZE m_sizeTitle = HUD_BANNER_SIZE;
    CFrameRateCounter m_rate;
    LONG m_nRateNumberLeft = 0;    // where the frame-rate number starts in its surface
    bool m_bTimingStarted = false; // a timing run's frames are being counted
    int m_nTimingFrames = 0;       // frames counted towards its next sample
    DWORD m_dwTimingStart = 0;     // when that count began
    std::array<SIZE, 2> m_asizePlugin{HUD_PLUGIN_PANEL_SIZE, HUD_PLUGIN_PANEL_SIZE};
    bool m_bTitleDirty = true;
    CString m_strTitle;    // the text the title's surface shows
    LONG m_nPanelBand = 0; // height of the black band ClearPanel fills at the bottom
    CBallPainter m_iconPainter;
    CBallLabel m_ballLabel;      // the number of the ball to play, over the ball
    bool m_bPathMarks = false;   // the marks at the predicted paths' ends are lit
    DWORD m_dwPathMarksTime = 0; // when they last turned on or off
    SBallSplit m_split;
    CString m_strWatermark = WATERMARK_PICTURE;    // the picture the watermark shows
    CString m_strTrophy;                           // the medal the trophy shows
    std::vector<ESceneStep>* m_pDrawLog = nullptr; // test seam: every step painted is appended
};

/// The frame-rate statistic of a timing run (nothing enables it yet); the window's creation resets
/// it. Main thread.
extern CRunningStat g_FrameRateStat;
