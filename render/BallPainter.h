// The software ball painter: with polygon-free balls each ball is painted straight into the
// locked frame as a shaded, antialiased sphere with its colour, the striped balls' band and the
// number disc from the ball set's "TEXTURES" data. Coverage comes from the disc table tables.dat
// for 5 to 64.75 pixels and is computed above that (and for every size when the table is missing
// or damaged). A ball that has not changed since its last painting is copied from its cached
// image. One portable fixed-point painter serves both values of the painter flag.
#pragma once

#include "foundation/BallTextureData.h"
#include "platform/dx/DxTypes.h"
#include "platform/win32/WinTypes.h"

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

/// Largest painted diameter, pixels; larger balls are painted at this size.
inline constexpr float BALL_MAX_PAINT_SIZE = 250.0f;
/// Smallest painted diameter, pixels.
inline constexpr float BALL_MIN_PAINT_SIZE = 5.0f;
/// Balls the painter knows: 0 the cue ball, 1 to 8 solids, 9 to 15 stripes.
inline constexpr int BALL_PAINT_COUNT = 16;
/// Cache records: one per ball slot.
inline constexpr int BALL_IMAGE_RECORDS = 18;
/// Entries of the highlight and square-root tables.
inline constexpr int BALL_LOOKUP_SIZE = 1024;
/// The fixed ball-colour table (0x00RRGGBB): white, then the colours of balls 1 to 8.
inline constexpr std::array<DWORD, 9> BALL_COLOURS = {0xFFFFFF, 0xC4C41F, 0x2E2EF0, 0xDD2525, 0xBA25BA,
                                                      0xF26E25, 0x257625, 0x704323, 0x252525};

/// A frame pixel format the painter can write: its bytes per pixel and the three channel masks.
struct SBallPixelFormat
{
    int nBytes = 0;               // 2, 3 or 4; 0 for a format the painter does not paint
    int nMode = 0;                // 1 565, 2 555, 3 565 swapped, 4 555 swapped, 24 or 32
    BOOL bSwap = FALSE;           // red and blue exchanged
    std::array<DWORD, 3> masks{}; // red, green, blue
    std::array<int, 3> shifts{};  // lowest bit of each mask
    std::array<int, 3> bits{};    // width of each mask
};

/// The format of a frame, or nBytes 0 when it is none of 5-6-5, 5-5-5 (either order), 24 or 32 bits.
SBallPixelFormat DetectBallFormat(const DDPIXELFORMAT& pf);

/// Packs a 0x00RRGGBB colour into the format.
DWORD PackBallPixel(DWORD rgb, const SBallPixelFormat& fmt);

/// Mixes a painted pixel into a frame pixel channel by channel through the masks: the painted
/// side weighs a, the frame side 256 - a.
DWORD BlendPixel(DWORD src, DWORD dst, int a, const SBallPixelFormat& fmt);

/// Bilinear sample (0x00RRGGBB) of a disc image through the palette; u and v are in 1/32 texel,
/// the texel index in the upper bits and the 5-bit fraction in the low ones; edges are clamped.
DWORD SampleBallTexture(const SBallDisc& disc, const std::array<DWORD, 256>& palette, int u, int v);

/// One ball's painted image: the last painting's key, the coverage grid and the pixels in the
/// frame's format.
class BallImageCache
{
public:
    /// TRUE when matrix, position, size and format equal the last ones and the view did not
    /// change; otherwise records the new key and returns FALSE.
    BOOL IsUnchanged(const D3DMATRIX& matOrientation, const D3DVECTOR& vPosition, float fSize,
                     const SBallPixelFormat& fmt, BOOL bViewChanged);
    BOOL IsValid() const { return m_bValid; }
    /// Drops the image; a buffer of more than 64 pixels a side is freed.
    void Invalidate();
    /// Makes room for an image of nSide x nSide pixels (at least 64 a side), zero-filled, and marks
    /// it valid.
    void Begin(int nSide, int nBytesPerPixel);
    void Free();

    int Side() const { return m_nSide; }
    BYTE* Coverage() { return m_coverage.data(); }
    const BYTE* Coverage() const { return m_coverage.data(); }
    BYTE* Pixels() { return m_pixels.data(); }
    const BYTE* Pixels() const { return m_pixels.data(); }
    int BytesPerPixel() const { return m_nBytesPerPixel; }

    POINT m_ptOrigin{}; // frame position of the image's top-left pixel

private:
    D3DMATRIX m_matOrientation{};
    D3DVECTOR m_vPosition{};
    float m_fSize = -1.0f;
    std::array<DWORD, 3> m_dwFormat{};
    std::vector<BYTE> m_pixels;
    std::vector<BYTE> m_coverage;
    int m_nSide = 0;
    int m_nBytesPerPixel = 0;
    BOOL m_bValid = FALSE;
};

/// Everything a ball painting needs beyond the frame: where the ball stands on the screen and how
/// it is turned and lit.
struct SBallPose
{
    int nBall = 0;
    D3DMATRIX matOrientation{}; // rows: the ball's x, y and z axes in screen space
    D3DVECTOR vPosition{};      // the ball's scene position (the cache key)
    D3DVECTOR vScreen{};        // projected centre: pixels x and y, depth z
    D3DVECTOR vLight{};         // unit direction towards the light in screen space
    float fSize = 0.0f;         // apparent diameter, pixels
};

class CBallPainter
{
public:
    CBallPainter();

    /// Builds the fixed tables and reads the disc table at strTablesPath. 0 when the coverage rows
    /// were loaded, 1 when the file is missing or damaged (balls are then covered by computation).
    int InitBallPainter(std::string_view strTablesPath);
    /// Takes a disc table's bytes; FALSE (and no coverage rows) unless it is complete.
    BOOL SetTablesData(std::span<const BYTE> data);
    /// Reads resource strResource of type "TEXTURES" from the library strModule. TRUE on success;
    /// FALSE leaves the balls untextured.
    BOOL LoadBallTextures(LPCSTR strModule, LPCSTR strResource);
    /// Takes a "TEXTURES" resource's bytes; FALSE (and untextured balls) when they do not fit.
    BOOL SetBallTextureData(std::span<const BYTE> data);
    /// The nine ball colours the ramps are built from (the variant's colour table).
    void SetBallColours(const std::array<DWORD, 9>& colours);
    void FreeBallTextures();
    void FreeTablesData();
    void ResetBallImages();

    /// The highlight: min(255, intensity x (i / 1024) ^ exponent).
    void SetHighlight(int nExponent, double dIntensity);
    void SetViewChanged(BOOL bViewChanged) { m_bViewChanged = bViewChanged; }

    /// Paints one ball into the locked frame, clipped to rcClip and to the frame. FALSE when
    /// nothing was drawn (ball number out of range, depth outside (0, 1), format not painted).
    BOOL DrawBall(const DDSURFACEDESC2& frame, const RECT& rcClip, const SBallPose& pose);

    // DrawBall in three steps, for a frame drawn later: the ball begun for a frame of that size and
    // format (its image kept when unchanged), its image painted (any thread, balls side by side),
    // and its rows copied into the frame (any rows, in any order, on any thread). A ball begun again
    // before its rows are copied starts over.
    /// FALSE when the ball is not drawn (as DrawBall); else the frame rows its image covers.
    BOOL BeginBall(const DDSURFACEDESC2& frame, const SBallPose& pose, LONG& yTop, LONG& yBottom);
    void PaintBegunBall(int nBall);
    /// A begun ball's image into the frame, clipped to rcClip and to the frame.
    void CopyBegunBall(int nBall, const DDSURFACEDESC2& frame, const RECT& rcClip) const;

    BOOL HasCoverageTable() const { return m_tables.empty() ? FALSE : TRUE; }
    BOOL HasTextures() const { return m_bTextures; }
    /// Paintings done (not copies): the cache's effect is visible through it.
    int GetPaintCount() const { return m_nPaintCount; }

    /// The painted diameter for a requested one (5 to 250) and whether it uses the disc table.
    static float PaintedSize(float fSize, BOOL bTable, BOOL* pbUsesTable);

    /// Fills grid (nSide x nSide, nSide returned) with the coverage of a disc of fSize pixels
    /// whose centre lies at quarter qx, qy (0 to 3) past the grid's centre point ceil(D)/2.
    int BuildCoverage(float fSize, int qx, int qy, std::vector<BYTE>& grid) const;

    BOOL m_bPlainPainter = TRUE;
    std::array<std::uint16_t, BALL_LOOKUP_SIZE> m_SqrtTable{};
    std::array<std::uint16_t, BALL_LOOKUP_SIZE> m_CapTable{};
    std::array<std::uint64_t, 256> m_Broadcast{};
    std::array<std::array<DWORD, 256>, 9> m_ColorRamps{};
    std::array<BYTE, BALL_LOOKUP_SIZE> m_Highlight{};
    int m_nHighlightFirst = 100000;

private:
    /// What painting one ball needs, worked out from its pose and the frame.
    struct SSetUp
    {
        SBallPixelFormat fmt;
        int nBall = 0;
        float fSize = 0.0f;
        int nSide = 0;
        int qx = 0, qy = 0;
        POINT ptOrigin{};
        int cx8 = 0, cy8 = 0;                // disc centre on the grid, eighths of a pixel
        std::int64_t nInvRadius = 0;         // 2^28 / (8 r): eighths of a pixel to 16.16 normal units
        std::array<std::int64_t, 3> light{}; // 16.16
        std::array<std::array<std::int64_t, 3>, 3> axes{};
        std::int64_t nThreshold = 0, nBand = 0, nBandEdge = 0;
        const SBallDisc* pDisc = nullptr;
        std::int64_t nDiscRim = 0;  // rim radius in 16.16 ball radii
        std::int64_t nTexScale = 0; // 1/32 texels per 16.16 unit, times 65536
    };
    BOOL SetUpBall(const DDSURFACEDESC2& frame, const SBallPose& pose, SSetUp& s) const;
    void PaintBall(const SSetUp& s, BallImageCache& rec, std::vector<BYTE>& grid) const;
    DWORD ShadePixel(const SSetUp& s, int px8, int py8) const;

    std::vector<BYTE> m_tables;
    std::vector<SSetUp> m_aBegun;                             // per ball: its last BeginBall
    std::array<bool, BALL_PAINT_COUNT> m_abToPaint{};         // per ball: its image is to be painted
    std::array<std::vector<BYTE>, BALL_PAINT_COUNT> m_aGrids; // per ball: coverage scratch
    SBallTextureSet m_textures;
    BOOL m_bTextures = FALSE;
    std::array<DWORD, 9> m_colours = BALL_COLOURS;
    std::array<BallImageCache, BALL_IMAGE_RECORDS> m_images;
    BOOL m_bViewChanged = FALSE;
    int m_nExponent = -1;
    double m_dIntensity = -1.0;
    int m_nPaintCount = 0;
};

/// The game's ball painter, whose state is set up for each ball it paints; built before the
/// program starts and destroyed last of its globals. Main thread.
extern CBallPainter g_BallPainter;
