#include "render/BallPainter.h"

#include "foundation/GlobalOrder.h"
#include "platform/win32/Modules.h"
#include "platform/win32/Paths.h"
#include "simulation/DiscTable.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>

namespace
{
/// Fixed-point one of the per-pixel terms (16 fraction bits).
constexpr std::int64_t ONE = 65536;
/// Half-width of the striped balls' band, as a surface coordinate.
constexpr double BAND_HALF_WIDTH = 0.55;
/// The grey-white the band's edge fades into.
constexpr int BAND_EDGE_WHITE = 240;
/// The cue ball's small dot: its disc starts where the axis coordinate passes this.
constexpr double CUE_DISC_THRESHOLD = 0.99;

int ChannelShift(DWORD mask)
{
    int n = 0;
    while (mask != 0 && (mask & 1u) == 0)
    {
        mask >>= 1;
        ++n;
    }
    return n;
}

int ChannelBits(DWORD mask)
{
    int n = 0;
    for (mask >>= ChannelShift(mask); mask & 1u; mask >>= 1)
        ++n;
    return n;
}

DWORD ReadPixel(const BYTE* p, int nBytes)
{
    DWORD v = 0;
    std::memcpy(&v, p, static_cast<std::size_t>(nBytes));
    return v;
}

void WritePixel(BYTE* p, int nBytes, DWORD v) { std::memcpy(p, &v, static_cast<std::size_t>(nBytes)); }

int Channel(DWORD rgb, int nShift) { return static_cast<int>((rgb >> nShift) & 0xFF); }

DWORD Rgb(int r, int g, int b)
{
    return (static_cast<DWORD>(r) << 16) | (static_cast<DWORD>(g) << 8) | static_cast<DWORD>(b);
}

/// Scales each channel of a colour by level / 255.
DWORD ScaleColour(DWORD rgb, int nLevel)
{
    return Rgb(Channel(rgb, 16) * nLevel / 255, Channel(rgb, 8) * nLevel / 255, Channel(rgb, 0) * nLevel / 255);
}

/// Mixes two colours: t sixteenths of b.
DWORD MixColour(DWORD a, DWORD b, int t)
{
    const auto mix = [t](int ca, int cb) { return (ca * (16 - t) + cb * t) / 16; };
    return Rgb(mix(Channel(a, 16), Channel(b, 16)), mix(Channel(a, 8), Channel(b, 8)),
               mix(Channel(a, 0), Channel(b, 0)));
}

DWORD AddHighlight(DWORD rgb, int nAdd)
{
    const auto add = [nAdd](int c) { return std::min(255, c + nAdd); };
    return Rgb(add(Channel(rgb, 16)), add(Channel(rgb, 8)), add(Channel(rgb, 0)));
}

std::int64_t ToFixed(double d) { return static_cast<std::int64_t>(std::lround(d * static_cast<double>(ONE))); }

/// Quarter index 0..3 of a fraction in [0, 1).
int Quarter(double dFraction) { return std::clamp(static_cast<int>(dFraction * 4.0), 0, 3); }

/// The disc table's entry for a quarter: quarters 2 and 3 are the mirrors of 1 and 0.
int FoldQuarter(int q) { return q < 2 ? q : 3 - q; }

int GridSide(float fSize) { return static_cast<int>(std::ceil(fSize)) + 1; }

/// Grid coordinate of the disc centre, in eighths of a pixel: ceil(D)/2 + 0.125 + 0.25 q.
int CentreEighths(float fSize, int q) { return static_cast<int>(std::ceil(fSize)) * 4 + 1 + 2 * q; }
} // namespace

SBallPixelFormat DetectBallFormat(const DDPIXELFORMAT& pf)
{
    SBallPixelFormat fmt;
    const DWORD r = pf.dwRBitMask;
    const DWORD g = pf.dwGBitMask;
    const DWORD b = pf.dwBBitMask;
    fmt.masks = {r, g, b};
    for (std::size_t k = 0; k < 3; ++k)
    {
        fmt.shifts[k] = ChannelShift(fmt.masks[k]);
        fmt.bits[k] = ChannelBits(fmt.masks[k]);
    }
    if (pf.dwRGBBitCount == 16)
    {
        const std::array<std::array<DWORD, 4>, 4> modes = {{{0xF800, 0x07E0, 0x001F, 1},
                                                            {0x7C00, 0x03E0, 0x001F, 2},
                                                            {0x001F, 0x07E0, 0xF800, 3},
                                                            {0x001F, 0x03E0, 0x7C00, 4}}};
        for (const auto& m : modes)
            if (r == m[0] && g == m[1] && b == m[2])
            {
                fmt.nBytes = 2;
                fmt.nMode = static_cast<int>(m[3]);
                fmt.bSwap = m[3] >= 3 ? TRUE : FALSE;
            }
        return fmt;
    }
    if ((pf.dwRGBBitCount == 24 || pf.dwRGBBitCount == 32) && g == 0xFF00 &&
        ((r == 0xFF0000 && b == 0xFF) || (r == 0xFF && b == 0xFF0000)))
    {
        fmt.nBytes = static_cast<int>(pf.dwRGBBitCount / 8);
        fmt.nMode = static_cast<int>(pf.dwRGBBitCount);
        fmt.bSwap = r == 0xFF ? TRUE : FALSE;
    }
    return fmt;
}

DWORD PackBallPixel(DWORD rgb, const SBallPixelFormat& fmt)
{
    DWORD v = 0;
    for (std::size_t k = 0; k < 3; ++k)
    {
        const DWORD c = static_cast<DWORD>(Channel(rgb, 16 - 8 * static_cast<int>(k))) >> (8 - fmt.bits[k]);
        v |= (c << fmt.shifts[k]) & fmt.masks[k];
    }
    return v;
}

DWORD BlendPixel(DWORD src, DWORD dst, int a, const SBallPixelFormat& fmt)
{
    DWORD v = 0;
    for (DWORD mask : fmt.masks)
    {
        const std::uint64_t s = src & mask;
        const std::uint64_t d = dst & mask;
        v |= static_cast<DWORD>((s * static_cast<std::uint64_t>(a) + d * static_cast<std::uint64_t>(256 - a)) >> 8) &
             mask;
    }
    return v;
}

DWORD SampleBallTexture(const SBallDisc& disc, const std::array<DWORD, 256>& palette, int u, int v)
{
    const int nLast = static_cast<int>(disc.nSide) - 1;
    const int fx = u & 31;
    const int fy = v & 31;
    const int x0 = std::clamp(u >> 5, 0, nLast);
    const int y0 = std::clamp(v >> 5, 0, nLast);
    const int x1 = std::min(x0 + 1, nLast);
    const int y1 = std::min(y0 + 1, nLast);
    const auto texel = [&](int x, int y)
    { return palette[disc.texels[static_cast<std::size_t>(y) * disc.nSide + static_cast<std::size_t>(x)]]; };
    const DWORD c00 = texel(x0, y0), c10 = texel(x1, y0), c01 = texel(x0, y1), c11 = texel(x1, y1);
    const auto mix = [&](int nShift)
    {
        const int top = Channel(c00, nShift) * (32 - fx) + Channel(c10, nShift) * fx;
        const int bottom = Channel(c01, nShift) * (32 - fx) + Channel(c11, nShift) * fx;
        return (top * (32 - fy) + bottom * fy) >> 10;
    };
    return Rgb(mix(16), mix(8), mix(0));
}

// ---- the image cache ----

BOOL BallImageCache::IsUnchanged(const D3DMATRIX& matOrientation, const D3DVECTOR& vPosition, float fSize,
                                 const SBallPixelFormat& fmt, BOOL bViewChanged)
{
    const std::array<DWORD, 3> format = {static_cast<DWORD>(fmt.nBytes), static_cast<DWORD>(fmt.nMode),
                                         static_cast<DWORD>(fmt.bSwap)};
    if (fSize == m_fSize && format == m_dwFormat && !bViewChanged &&
        std::memcmp(&matOrientation, &m_matOrientation, sizeof(D3DMATRIX)) == 0 &&
        std::memcmp(&vPosition, &m_vPosition, sizeof(D3DVECTOR)) == 0)
        return TRUE;
    m_matOrientation = matOrientation;
    m_vPosition = vPosition;
    m_fSize = fSize;
    m_dwFormat = format;
    return FALSE;
}

void BallImageCache::Invalidate()
{
    if (m_nSide > 64)
        Free();
    m_bValid = FALSE;
}

void BallImageCache::Begin(int nSide, int nBytesPerPixel)
{
    const int nRoom = std::max(64, nSide);
    const auto nPixels = static_cast<std::size_t>(nRoom) * static_cast<std::size_t>(nRoom);
    if (m_pixels.size() < nPixels * static_cast<std::size_t>(nBytesPerPixel))
        m_pixels.resize(nPixels * static_cast<std::size_t>(nBytesPerPixel));
    if (m_coverage.size() < nPixels)
        m_coverage.resize(nPixels);
    m_nSide = nSide;
    m_nBytesPerPixel = nBytesPerPixel;
    std::fill_n(m_pixels.begin(), static_cast<std::size_t>(nSide * nSide * nBytesPerPixel), BYTE{0});
    std::fill_n(m_coverage.begin(), static_cast<std::size_t>(nSide * nSide), BYTE{0});
    m_bValid = TRUE;
}

void BallImageCache::Free()
{
    m_pixels = {};
    m_coverage = {};
    m_nSide = 0;
    m_bValid = FALSE;
}

// ---- the painter's data ----

VORN_GLOBAL_ROW(GLOBAL_ROW_BALL_PAINTER) CBallPainter g_BallPainter;
VORN_GLOBAL_ROW_BUILT(GLOBAL_ROW_BALL_PAINTER);

CBallPainter::CBallPainter() : m_aBegun(BALL_PAINT_COUNT)
{
    for (int i = 0; i < BALL_LOOKUP_SIZE; ++i)
    {
        const double t = i / 1024.0;
        m_SqrtTable[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(std::sqrt(t) * 65536.0);
        const double dCap = std::sqrt(1.0 - (1.0 - t) * (1.0 - t)) * 65536.0;
        m_CapTable[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(std::min(dCap, 65535.0));
    }
    for (std::size_t i = 0; i < m_Broadcast.size(); ++i)
        m_Broadcast[i] = i * 0x0001000100010001ull;
    SetBallColours(BALL_COLOURS);
    SetHighlight(60, 2.0);
}

int CBallPainter::InitBallPainter(std::string_view strTablesPath)
{
    FreeTablesData();
    FreeBallTextures();
    ResetBallImages();
    std::ifstream in(ResolvePath(strTablesPath), std::ios::binary);
    const std::vector<BYTE> data{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return in.bad() || !SetTablesData(data) ? 1 : 0;
}

BOOL CBallPainter::SetTablesData(std::span<const BYTE> data)
{
    FreeTablesData();
    if (!IsTablesDataValid(data))
        return FALSE;
    m_tables.assign(data.begin(), data.end());
    return TRUE;
}

BOOL CBallPainter::LoadBallTextures(LPCSTR strModule, LPCSTR strResource)
{
    FreeBallTextures();
    HMODULE hModule = LoadLibrary(strModule);
    if (hModule == nullptr)
        return FALSE;
    BOOL bOk = FALSE;
    if (HRSRC hInfo = FindResource(hModule, strResource, "TEXTURES"); hInfo != nullptr)
    {
        const auto* p = static_cast<const BYTE*>(LockResource(LoadResource(hModule, hInfo)));
        if (p != nullptr)
            bOk = SetBallTextureData(std::span(p, SizeofResource(hModule, hInfo)));
    }
    FreeLibrary(hModule);
    return bOk;
}

BOOL CBallPainter::SetBallTextureData(std::span<const BYTE> data)
{
    std::string strError;
    SBallTextureSet set;
    FreeBallTextures();
    if (!ReadBallTextures(data, set, strError))
        return FALSE;
    m_textures = std::move(set);
    m_bTextures = TRUE;
    return TRUE;
}

void CBallPainter::SetBallColours(const std::array<DWORD, 9>& colours)
{
    m_colours = colours;
    for (std::size_t k = 0; k < colours.size(); ++k)
        for (int i = 0; i < 256; ++i)
            m_ColorRamps[k][static_cast<std::size_t>(i)] = ScaleColour(colours[k], i);
    ResetBallImages();
}

void CBallPainter::FreeBallTextures()
{
    m_textures = {};
    m_bTextures = FALSE;
}

void CBallPainter::FreeTablesData() { m_tables = {}; }

void CBallPainter::ResetBallImages()
{
    for (BallImageCache& rec : m_images)
        rec = BallImageCache{};
}

void CBallPainter::SetHighlight(int nExponent, double dIntensity)
{
    if (nExponent == m_nExponent && dIntensity == m_dIntensity)
        return;
    m_nExponent = nExponent;
    m_dIntensity = dIntensity;
    m_nHighlightFirst = 100000;
    for (int i = 0; i < BALL_LOOKUP_SIZE; ++i)
    {
        const double v = std::min(255.0, dIntensity * std::pow(i / 1024.0, nExponent));
        m_Highlight[static_cast<std::size_t>(i)] = static_cast<BYTE>(v);
        if (v >= 1.0 && m_nHighlightFirst == 100000)
            m_nHighlightFirst = i;
    }
    ResetBallImages();
}

float CBallPainter::PaintedSize(float fSize, BOOL bTable, BOOL* pbUsesTable)
{
    fSize = std::max(fSize, BALL_MIN_PAINT_SIZE);
    const BOOL bUsesTable = bTable && static_cast<int>(fSize) <= 64 ? TRUE : FALSE;
    if (pbUsesTable != nullptr)
        *pbUsesTable = bUsesTable;
    if (!bUsesTable)
        return std::min(fSize, BALL_MAX_PAINT_SIZE);
    // Sizes up to 64.99 round to the table's nearest diameter; the last one serves those past it.
    const int i = std::min(static_cast<int>((fSize + 0.125f) / 0.25f) - 20, DISC_SIZE_COUNT - 1);
    return static_cast<float>(DISC_FIRST_DIAMETER + DISC_DIAMETER_STEP * i);
}

int CBallPainter::BuildCoverage(float fSize, int qx, int qy, std::vector<BYTE>& grid) const
{
    BOOL bTable = FALSE;
    fSize = PaintedSize(fSize, HasCoverageTable(), &bTable);
    const int n = GridSide(fSize);
    grid.assign(static_cast<std::size_t>(n * n), 0);
    if (!bTable)
    {
        const double cx = CentreEighths(fSize, qx) / 8.0;
        const double cy = CentreEighths(fSize, qy) / 8.0;
        for (int r = 0; r < n; ++r)
            for (int c = 0; c < n; ++c)
            {
                double sx = 0.0, sy = 0.0;
                const double a = DiscCoverage(c, r, 1.0, cx, cy, fSize / 2.0, sx, sy);
                grid[static_cast<std::size_t>(r * n + c)] =
                    static_cast<BYTE>(static_cast<int>(std::min(a, 1.0) * 255.0));
            }
        return n;
    }
    // Quarters 2 and 3 read the rows of quarters 1 and 0 backwards.
    const int nEntry = DiscEntryIndex(static_cast<int>((fSize - DISC_FIRST_DIAMETER) / DISC_DIAMETER_STEP),
                                      FoldQuarter(qy), FoldQuarter(qx));
    std::size_t at = 0;
    std::memcpy(&at, &m_tables[static_cast<std::size_t>(nEntry) * 4], 4);
    for (int r = 0; r < n; ++r)
    {
        const BYTE* row = &m_tables[at];
        const int nRow = qy >= 2 ? n - 1 - r : r;
        at += DISC_ROW_HEADER_SIZE;
        int c = row[0];
        const auto put = [&](int col, BYTE a)
        { grid[static_cast<std::size_t>(nRow * n + (qx >= 2 ? n - 1 - col : col))] = a; };
        for (int k = 0; k < row[1]; ++k, ++c, at += DISC_PIXEL_RECORD_SIZE)
            put(c, m_tables[at]);
        for (int k = 0; k < row[2]; ++k, ++c)
            put(c, 255);
        for (int k = 0; k < row[3]; ++k, ++c, at += DISC_PIXEL_RECORD_SIZE)
            put(c, m_tables[at]);
    }
    return n;
}

// ---- painting ----

BOOL CBallPainter::SetUpBall(const DDSURFACEDESC2& frame, const SBallPose& pose, SSetUp& s) const
{
    // Behind the camera or past the far plane; a centre far off any frame (or not a number, which
    // fails every comparison) is not painted either.
    constexpr float FAR_OFF_PIXELS = 1.0e6f;
    if (!(pose.vScreen.z > 0.0f && pose.vScreen.z < 1.0f) || !(std::fabs(pose.vScreen.x) < FAR_OFF_PIXELS) ||
        !(std::fabs(pose.vScreen.y) < FAR_OFF_PIXELS) || std::isnan(pose.fSize))
        return FALSE;
    s.fmt = DetectBallFormat(frame.ddpfPixelFormat);
    if (s.fmt.nBytes == 0)
        return FALSE;
    s.nBall = pose.nBall;
    s.fSize = PaintedSize(pose.fSize, HasCoverageTable(), nullptr);
    s.nSide = GridSide(s.fSize);
    // The grid's centre point ceil(D)/2 sits on the projected centre; its whole pixels place the
    // image and its fraction picks the quarter the disc is drawn at.
    const double sx = pose.vScreen.x - std::ceil(s.fSize) / 2.0;
    const double sy = pose.vScreen.y - std::ceil(s.fSize) / 2.0;
    s.ptOrigin = {static_cast<LONG>(std::floor(sx)), static_cast<LONG>(std::floor(sy))};
    s.qx = Quarter(sx - std::floor(sx));
    s.qy = Quarter(sy - std::floor(sy));
    s.cx8 = CentreEighths(s.fSize, s.qx);
    s.cy8 = CentreEighths(s.fSize, s.qy);
    s.nInvRadius = static_cast<std::int64_t>(std::lround((1 << 28) / (4.0 * s.fSize)));

    const double dLen =
        std::sqrt(pose.vLight.x * pose.vLight.x + pose.vLight.y * pose.vLight.y + pose.vLight.z * pose.vLight.z);
    const double dInv = dLen > 0.0 ? 1.0 / dLen : 0.0;
    s.light = {ToFixed(pose.vLight.x * dInv), ToFixed(pose.vLight.y * dInv), ToFixed(pose.vLight.z * dInv)};
    for (std::size_t k = 0; k < 3; ++k)
        for (std::size_t j = 0; j < 3; ++j)
            s.axes[k][j] = ToFixed(pose.matOrientation.m[k][j]);

    const SBallTexture& tex = m_textures.balls[static_cast<std::size_t>(pose.nBall)];
    const double dThreshold = m_bTextures ? tex.dThreshold : (pose.nBall == 0 ? CUE_DISC_THRESHOLD : 2.0);
    s.nThreshold = ToFixed(dThreshold);
    s.nBand = ToFixed(BAND_HALF_WIDTH);
    s.nBandEdge = std::max<std::int64_t>(1, ToFixed(100.0 / s.fSize * 0.04));
    s.pDisc = nullptr;
    if (m_bTextures && !tex.levels.empty())
    {
        // The smallest image still at least as wide as the disc appears.
        const double dRim = BallDiscRadius(tex.dThreshold);
        const double dDiscPixels = dRim * s.fSize;
        s.pDisc = &tex.levels.front();
        for (const SBallDisc& level : tex.levels)
            if (level.nSide >= dDiscPixels)
                s.pDisc = &level;
        s.nDiscRim = ToFixed(dRim);
        s.nTexScale = ToFixed(s.pDisc->nSide * 32.0 / (2.0 * std::max(dRim, 1e-6)));
    }
    return TRUE;
}

DWORD CBallPainter::ShadePixel(const SSetUp& s, int px8, int py8) const
{
    // The sphere's normal at the pixel: x and y from the offset, z = sqrt(1 - x^2 - y^2).
    const std::int64_t nx = (px8 * s.nInvRadius) >> 12;
    const std::int64_t ny = (py8 * s.nInvRadius) >> 12;
    const std::int64_t d2 = std::min<std::int64_t>((nx * nx + ny * ny) >> 16, ONE);
    const std::int64_t nz = m_SqrtTable[static_cast<std::size_t>(std::min<std::int64_t>((ONE - d2) >> 6, 1023))];
    const auto dot = [&](const std::array<std::int64_t, 3>& v) { return (nx * v[0] + ny * v[1] + nz * v[2]) >> 16; };

    const std::int64_t nDiffuse = std::max<std::int64_t>(0, dot(s.light));
    const int nLevel = static_cast<int>(std::min<std::int64_t>(255, (nDiffuse * 255) >> 16));
    const std::int64_t c = dot(s.axes[2]);
    const std::int64_t cAbs = c < 0 ? -c : c;
    DWORD rgb = 0;
    if (s.nBall > 8 && cAbs < s.nBand)
    {
        rgb = m_ColorRamps[static_cast<std::size_t>(s.nBall - 8)][static_cast<std::size_t>(nLevel)];
        const std::int64_t nInto = cAbs - (s.nBand - s.nBandEdge);
        if (nInto > 0)
            rgb = MixColour(rgb, ScaleColour(Rgb(BAND_EDGE_WHITE, BAND_EDGE_WHITE, BAND_EDGE_WHITE), nLevel),
                            static_cast<int>(nInto * 16 / s.nBandEdge));
    }
    else if (c > s.nThreshold && s.pDisc != nullptr)
    {
        // The disc's columns run along the ball's -x, its rows along -y.
        const auto u = static_cast<int>(((s.nDiscRim - dot(s.axes[0])) * s.nTexScale) >> 32) - 16;
        const auto v = static_cast<int>(((s.nDiscRim - dot(s.axes[1])) * s.nTexScale) >> 32) - 16;
        rgb = ScaleColour(SampleBallTexture(*s.pDisc, m_textures.palette, u, v), nLevel);
    }
    else
    {
        const std::size_t nRamp = s.nBall > 8 ? 0 : static_cast<std::size_t>(s.nBall);
        rgb = m_ColorRamps[nRamp][static_cast<std::size_t>(nLevel)];
    }
    // The highlight: the reflected light's z towards the viewer, r = 2 (n.l) n - l.
    const std::int64_t rz = ((2 * dot(s.light) * nz) >> 16) - s.light[2];
    const int nIndex = static_cast<int>(std::clamp<std::int64_t>(rz >> 6, 0, 1023));
    if (nIndex >= m_nHighlightFirst)
        rgb = AddHighlight(rgb, m_Highlight[static_cast<std::size_t>(nIndex)]);
    return rgb;
}

void CBallPainter::PaintBall(const SSetUp& s, BallImageCache& rec, std::vector<BYTE>& grid) const
{
    rec.Begin(s.nSide, s.fmt.nBytes);
    BuildCoverage(s.fSize, s.qx, s.qy, grid);
    std::copy(grid.begin(), grid.end(), rec.Coverage());
    rec.m_ptOrigin = s.ptOrigin;
    for (int r = 0; r < s.nSide; ++r)
        for (int col = 0; col < s.nSide; ++col)
        {
            const int k = r * s.nSide + col;
            if (rec.Coverage()[k] == 0)
                continue;
            const DWORD rgb = ShadePixel(s, col * 8 + 4 - s.cx8, r * 8 + 4 - s.cy8);
            WritePixel(rec.Pixels() + k * s.fmt.nBytes, s.fmt.nBytes, PackBallPixel(rgb, s.fmt));
        }
}

BOOL CBallPainter::BeginBall(const DDSURFACEDESC2& frame, const SBallPose& pose, LONG& yTop, LONG& yBottom)
{
    if (pose.nBall < 0 || pose.nBall >= BALL_PAINT_COUNT || frame.lpSurface == nullptr)
        return FALSE;
    const auto nBall = static_cast<std::size_t>(pose.nBall);
    SSetUp& s = m_aBegun[nBall];
    m_abToPaint[nBall] = false;
    if (!SetUpBall(frame, pose, s))
        return FALSE;
    BallImageCache& rec = m_images[nBall];
    if (!rec.IsUnchanged(pose.matOrientation, pose.vPosition, s.fSize, s.fmt, m_bViewChanged) ||
        rec.m_ptOrigin.x != s.ptOrigin.x || rec.m_ptOrigin.y != s.ptOrigin.y)
        rec.Invalidate();
    if (!rec.IsValid())
    {
        m_abToPaint[nBall] = true;
        ++m_nPaintCount;
    }
    yTop = s.ptOrigin.y;
    yBottom = s.ptOrigin.y + s.nSide;
    return TRUE;
}

void CBallPainter::PaintBegunBall(int nBall)
{
    const auto n = static_cast<std::size_t>(nBall);
    if (n >= m_abToPaint.size() || !m_abToPaint[n])
        return;
    PaintBall(m_aBegun[n], m_images[n], m_aGrids[n]);
    m_abToPaint[n] = false;
}

void CBallPainter::CopyBegunBall(int nBall, const DDSURFACEDESC2& frame, const RECT& rcClip) const
{
    const auto n = static_cast<std::size_t>(nBall);
    const BallImageCache& rec = m_images[n];
    const SSetUp& s = m_aBegun[n];
    const LONG nLeft = std::max<LONG>(rcClip.left, 0);
    const LONG nTop = std::max<LONG>(rcClip.top, 0);
    const LONG nRight = std::min<LONG>(rcClip.right, static_cast<LONG>(frame.dwWidth));
    const LONG nBottom = std::min<LONG>(rcClip.bottom, static_cast<LONG>(frame.dwHeight));
    const int nBytes = s.fmt.nBytes;
    const int nSide = rec.Side();
    // The image's columns and rows that land inside the clip.
    const int nFirst = static_cast<int>(std::clamp<LONG>(nLeft - rec.m_ptOrigin.x, 0, nSide));
    const int nEnd = static_cast<int>(std::clamp<LONG>(nRight - rec.m_ptOrigin.x, 0, nSide));
    const int nFirstRow = static_cast<int>(std::clamp<LONG>(nTop - rec.m_ptOrigin.y, 0, nSide));
    const int nEndRow = static_cast<int>(std::clamp<LONG>(nBottom - rec.m_ptOrigin.y, 0, nSide));
    auto* pBits = static_cast<BYTE*>(frame.lpSurface);
    for (int r = nFirstRow; r < nEndRow; ++r)
    {
        // Only columns inside the frame are ever addressed.
        BYTE* pRow = pBits + static_cast<std::ptrdiff_t>(rec.m_ptOrigin.y + r) * frame.lPitch;
        const auto dst = [&](int col) { return pRow + static_cast<std::ptrdiff_t>(rec.m_ptOrigin.x + col) * nBytes; };
        const BYTE* pCoverage = rec.Coverage() + r * nSide;
        const BYTE* pImage = rec.Pixels() + r * nSide * nBytes;
        for (int col = nFirst; col < nEnd;)
        {
            if (pCoverage[col] == 255)
            {
                // The inner run is copied as it stands.
                int nRun = col;
                while (nRun < nEnd && pCoverage[nRun] == 255)
                    ++nRun;
                std::memcpy(dst(col), pImage + col * nBytes, static_cast<std::size_t>((nRun - col) * nBytes));
                col = nRun;
                continue;
            }
            if (pCoverage[col] != 0)
            {
                BYTE* pDst = dst(col);
                const DWORD src = ReadPixel(pImage + col * nBytes, nBytes);
                WritePixel(pDst, nBytes, BlendPixel(src, ReadPixel(pDst, nBytes), pCoverage[col], s.fmt));
            }
            ++col;
        }
    }
}

BOOL CBallPainter::DrawBall(const DDSURFACEDESC2& frame, const RECT& rcClip, const SBallPose& pose)
{
    LONG yTop = 0, yBottom = 0;
    if (!BeginBall(frame, pose, yTop, yBottom))
        return FALSE;
    PaintBegunBall(pose.nBall);
    CopyBegunBall(pose.nBall, frame, rcClip);
    return TRUE;
}
