#include "platform/dx/Rasterizer.h"

#include "platform/dx/RasterSpan.h"
#include "platform/dx/Surface.h"
#include "platform/dx/WorkerPool.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <emmintrin.h>
#include <span>
#include <utility>

namespace
{
/// Below this many pixels of bounding boxes a flush draws on the caller: waking the workers would cost more.
constexpr double MIN_PARALLEL_AREA = 16384.0;
/// Callers clip to a guard band; anything far beyond it is garbage and would overflow the integer maths.
constexpr float MAX_COORD = 1.0e6f;

int FastFloor(float f)
{
    const int i = static_cast<int>(f);
    return static_cast<float>(i) > f ? i - 1 : i;
}

/// A vertex's attributes over w as the planes hold them, four a vector: 1/w, u, v and diffuse blue; diffuse
/// green, red, alpha and specular blue; specular green, red and two zero planes.
void AttributesOverW(const SRasterVertex& p, __m128 a[3])
{
    const __m128 rhw = _mm_set1_ps(p.rhw);
    a[0] = _mm_mul_ps(_mm_setr_ps(1.0f, p.u, p.v, p.c[2]), rhw);
    a[1] = _mm_mul_ps(_mm_setr_ps(p.c[1], p.c[0], p.c[3], p.c[6]), rhw);
    a[2] = _mm_mul_ps(_mm_setr_ps(p.c[5], p.c[4], 0.0f, 0.0f), rhw);
}

/// Plane equations of 1/w and the attributes over w, three vectors at once: each lane does what one plane's
/// scalar formula does, in the same order.
void SetUpPlanes(SRasterTriangle& t, const SRasterVertex& p0, const SRasterVertex& p1, const SRasterVertex& p2,
                 float dx1, float dy1, float dx2, float dy2, float fInvArea)
{
    __m128 a0[3], a1[3], a2[3];
    AttributesOverW(p0, a0);
    AttributesOverW(p1, a1);
    AttributesOverW(p2, a2);
    const __m128 vDx1 = _mm_set1_ps(dx1), vDy1 = _mm_set1_ps(dy1), vDx2 = _mm_set1_ps(dx2), vDy2 = _mm_set1_ps(dy2);
    const __m128 vInv = _mm_set1_ps(fInvArea);
    for (int k = 0; k < 3; ++k)
    {
        const __m128 d1 = _mm_sub_ps(a1[k], a0[k]), d2 = _mm_sub_ps(a2[k], a0[k]);
        _mm_store_ps(t.a0 + 4 * k, a0[k]);
        _mm_store_ps(t.dx + 4 * k, _mm_mul_ps(_mm_sub_ps(_mm_mul_ps(d1, vDy2), _mm_mul_ps(d2, vDy1)), vInv));
        _mm_store_ps(t.dy + 4 * k, _mm_mul_ps(_mm_sub_ps(_mm_mul_ps(d2, vDx1), _mm_mul_ps(d1, vDx2)), vInv));
    }
}

SRasterEdge MakeEdge(const SRasterVertex& top, const SRasterVertex& bottom)
{
    const float dy = bottom.y - top.y;
    return SRasterEdge{top.x, top.y, dy > 0 ? (bottom.x - top.x) / dy : 0.0f};
}

/// Which sides of the stored depth pass: bit 0 nearer, bit 1 equal, bit 2 farther.
int ZFuncMask(D3DCMPFUNC e)
{
    switch (e)
    {
    case D3DCMP_NEVER:
        return 0;
    case D3DCMP_LESS:
        return 1;
    case D3DCMP_EQUAL:
        return 2;
    case D3DCMP_GREATER:
        return 4;
    case D3DCMP_NOTEQUAL:
        return 5;
    case D3DCMP_GREATEREQUAL:
        return 6;
    case D3DCMP_ALWAYS:
        return 7;
    default:
        return 3; // less or equal, also for values the device does not know
    }
}

int DefaultThreadCount() { return CWorkerPool::UsableCores(); }
} // namespace

/// What the triangles of a batch are drawn with.
struct CRasterizer::SDrawContext
{
    SSpanContext span;
    RowsFn pfnRows = nullptr;
    /// For triangles with no specular colour at any corner: the span without the specular sum, which adds
    /// nothing to them.
    RowsFn pfnRowsUnlit = nullptr;
};

CRasterizer::CRasterizer() : m_bWide(ProcessorHasWideSpans()), m_nThreads(DefaultThreadCount()) {}

CRasterizer::~CRasterizer() = default;

bool CRasterizer::ProcessorHasWideSpans() { return __builtin_cpu_supports("avx2") != 0; }

void CRasterizer::SetWideSpans(bool bWide)
{
    Flush();
    m_bWide = bWide && ProcessorHasWideSpans();
}

void CRasterizer::SetThreadCount(int nThreads)
{
    Flush();
    m_nThreads = std::max(1, nThreads);
    if (m_pPool != nullptr && m_pPool->GetThreadCount() != m_nThreads)
        m_pPool.reset();
}

CWorkerPool* CRasterizer::GetPool()
{
    if (m_nThreads <= 1)
        return nullptr;
    if (m_pPool == nullptr)
        m_pPool = std::make_unique<CWorkerPool>(m_nThreads);
    return m_pPool.get();
}

void CRasterizer::SetTarget(const SRasterTarget& target)
{
    if (target == m_target)
        return;
    Flush();
    m_target = target;
    m_bNewContext = true;
    const bool bEmpty = target.rcClip.left >= target.rcClip.right;
    m_nBands = bEmpty ? 0 : std::max(0, (static_cast<int>(target.rcClip.bottom) + BAND_HEIGHT - 1) / BAND_HEIGHT);
}

void CRasterizer::SetTexture(const SRasterTexture& texture)
{
    if (texture == m_texture)
        return;
    m_texture = texture;
    m_bNewContext = true;
}

void CRasterizer::SetState(const SRasterState& state)
{
    SRasterState s = state;
    // The combination "one, zero" is no blend at all; skip the read of the destination.
    if (s.bBlend && s.eSrcBlend == D3DBLEND_ONE && s.eDestBlend == D3DBLEND_ZERO)
        s.bBlend = false;
    if (m_texture.pTexels == nullptr || m_texture.nWidth <= 0 || m_texture.nHeight <= 0 ||
        m_texture.nWidth > MAX_TEXTURE_SIDE || m_texture.nHeight > MAX_TEXTURE_SIDE)
        s.eMagFilter = s.eMinFilter = TEXFILTER_NONE;
    if (s == m_state)
        return;
    m_state = s;
    m_bNewContext = true;
}

void CRasterizer::Fill(CDirectDrawSurface& surface, const RECT& rc, DWORD dwRaw)
{
    if (rc.left >= rc.right || rc.top >= rc.bottom)
        return;
    m_aFills.push_back(SFill{&surface, rc, dwRaw});
    BinRows(static_cast<std::uint32_t>(m_aFills.size() - 1) | FILL_ENTRY, static_cast<int>(rc.top),
            static_cast<int>(rc.bottom),
            static_cast<double>(rc.right - rc.left) * static_cast<double>(rc.bottom - rc.top));
}

void CRasterizer::Rows(int nEntry, int nTop, int nBottom)
{
    nTop = std::max(nTop, static_cast<int>(m_target.rcClip.top));
    nBottom = std::min(nBottom, static_cast<int>(m_target.rcClip.bottom));
    if (nTop >= nBottom || m_nBands == 0)
        return;
    m_aRows.push_back(SRowsEntry{nEntry, nTop, nBottom});
    BinRows(static_cast<std::uint32_t>(m_aRows.size() - 1) | ROWS_ENTRY, nTop, nBottom,
            static_cast<double>(m_target.rcClip.right - m_target.rcClip.left) * (nBottom - nTop));
}

void CRasterizer::BinRows(std::uint32_t nEntry, int nTop, int nBottom, double dArea)
{
    const int nLast = (nBottom - 1) / BAND_HEIGHT;
    SBatch& batch = m_aBatches[static_cast<size_t>(GetLastBatch())];
    if (batch.aBins.size() <= static_cast<size_t>(nLast))
        batch.aBins.resize(static_cast<size_t>(nLast) + 1);
    batch.dArea += dArea;
    batch.Bin(nEntry, nTop / BAND_HEIGHT, nLast);
}

void CRasterizer::SBatch::Bin(std::uint32_t nEntry, int nFirst, int nLast)
{
    for (int nBand = nFirst; nBand <= nLast; ++nBand)
    {
        std::vector<std::uint32_t>& bin = aBins[static_cast<size_t>(nBand)];
        if (bin.empty())
            aUsedBands.push_back(nBand);
        bin.push_back(nEntry);
    }
}

int CRasterizer::OpenBatches(int nCount)
{
    if (m_bNewContext || m_aContexts.empty())
    {
        SDrawContext& ctx = m_aContexts.emplace_back();
        ctx.span.target = m_target;
        ctx.span.texture = m_texture;
        ctx.span.state = m_state;
        ctx.span.nZFuncMask = ZFuncMask(m_state.eZFunc);
        ctx.pfnRows = m_bWide ? PickSpanAvx2(m_state) : PickSpanSse2(m_state);
        SRasterState unlit = m_state;
        unlit.bSpecular = false;
        ctx.pfnRowsUnlit = m_bWide ? PickSpanAvx2(unlit) : PickSpanSse2(unlit);
        m_bNewContext = false;
    }
    const int nFirst = m_nBatches;
    m_nBatches += nCount;
    m_bSealed = false;
    if (m_aBatches.size() < static_cast<size_t>(m_nBatches))
        m_aBatches.resize(static_cast<size_t>(m_nBatches));
    for (int i = nFirst; i < m_nBatches; ++i)
    {
        SBatch& batch = m_aBatches[static_cast<size_t>(i)];
        batch.nContext = static_cast<int>(m_aContexts.size()) - 1;
        if (batch.aBins.size() < static_cast<size_t>(m_nBands))
            batch.aBins.resize(static_cast<size_t>(m_nBands));
    }
    return nFirst;
}

int CRasterizer::GetLastBatch()
{
    return m_nBatches > 0 && !m_bNewContext && !m_bSealed ? m_nBatches - 1 : OpenBatches(1);
}

// ---------------------------------------------------------------------------------------------------------------------
// Set-up and binning
// ---------------------------------------------------------------------------------------------------------------------

void CRasterizer::DrawTriangle(int nBatch, const SRasterVertex& a, const SRasterVertex& b, const SRasterVertex& c)
{
    if (m_target.pColor == nullptr || m_nBands == 0)
        return;
    // Sort by y; ties keep their order, which does not matter: a horizontal edge is never walked.
    const SRasterVertex* v[3] = {&a, &b, &c};
    if (v[1]->y < v[0]->y)
        std::swap(v[0], v[1]);
    if (v[2]->y < v[1]->y)
        std::swap(v[1], v[2]);
    if (v[1]->y < v[0]->y)
        std::swap(v[0], v[1]);
    const SRasterVertex& p0 = *v[0];
    const SRasterVertex& p1 = *v[1];
    const SRasterVertex& p2 = *v[2];

    const float dx1 = p1.x - p0.x, dy1 = p1.y - p0.y;
    const float dx2 = p2.x - p0.x, dy2 = p2.y - p0.y;
    const float fArea2 = dx1 * dy2 - dx2 * dy1;
    if (!(std::fabs(fArea2) > 1e-12f) || !std::isfinite(fArea2))
        return;
    for (const SRasterVertex* p : v)
        if (!(std::fabs(p->x) < MAX_COORD && std::fabs(p->y) < MAX_COORD))
            return;

    const RECT& rcClip = m_target.rcClip;
    // Scanlines whose centres lie in [top, bottom), clipped.
    const int yTop = std::max(FastCeil(p0.y - 0.5f), static_cast<int>(rcClip.top));
    const int yBottom = std::min(FastCeil(p2.y - 0.5f), static_cast<int>(rcClip.bottom));
    const int xLeft = std::max(FastFloor(std::min({p0.x, p1.x, p2.x})), static_cast<int>(rcClip.left));
    const int xRight = std::min(FastCeil(std::max({p0.x, p1.x, p2.x})) + 1, static_cast<int>(rcClip.right));
    if (yTop >= yBottom || xLeft >= xRight)
        return;

    // Set up in place in the queue: copying a triangle just written field by field stalls, as the copy's wide
    // loads wait for the many narrow stores.
    SBatch& batch = m_aBatches[static_cast<size_t>(nBatch)];
    const auto nIndex = static_cast<std::uint32_t>(batch.aTriangles.size());
    SRasterTriangle& t = batch.aTriangles.emplace_back();
    t.yTop = yTop;
    t.yBottom = yBottom;
    t.xLeft = xLeft;
    t.xRight = xRight;

    // Plane equations of 1/w and the attributes over w.
    t.x0 = p0.x;
    t.y0 = p0.y;
    SetUpPlanes(t, p0, p1, p2, dx1, dy1, dx2, dy2, 1.0f / fArea2);
    // Depth in the buffer's units, in double so that 32-bit buffers keep their precision.
    const double dScale = m_target.nZBits == 32 ? 4294967295.0 : 65535.0;
    const double z0 = p0.z * dScale, z1 = p1.z * dScale, z2 = p2.z * dScale;
    const double dInvArea = 1.0 / static_cast<double>(fArea2);
    t.z0 = z0;
    // A sliver can have any slope; beyond the whole range in one pixel every pixel clamps alike, and the bound
    // keeps the per-pixel fixed-point sums inside 64 bits.
    constexpr double MAX_SLOPE = 4294967296.0;
    t.dzdx = std::clamp(((z1 - z0) * dy2 - (z2 - z0) * dy1) * dInvArea, -MAX_SLOPE, MAX_SLOPE);
    t.dzdy = std::clamp(((z2 - z0) * dx1 - (z1 - z0) * dx2) * dInvArea, -MAX_SLOPE, MAX_SLOPE);
    t.dzx = static_cast<std::int64_t>(t.dzdx * 65536.0);

    t.eLong = MakeEdge(p0, p2);
    t.eUpper = MakeEdge(p0, p1);
    t.eLower = MakeEdge(p1, p2);
    t.yMid = p1.y;
    // The long edge is on the left when the middle vertex lies to its right.
    t.bLongLeft = fArea2 > 0;
    // Specular planes of zeros give zeros at every pixel.
    t.bNoSpecular =
        std::all_of(std::begin(v), std::end(v),
                    [](const SRasterVertex* p) { return p->c[4] == 0.0f && p->c[5] == 0.0f && p->c[6] == 0.0f; });

    batch.dArea += static_cast<double>(t.xRight - t.xLeft) * static_cast<double>(t.yBottom - t.yTop);
    batch.Bin(nIndex, t.yTop / BAND_HEIGHT, (t.yBottom - 1) / BAND_HEIGHT);
}

// ---------------------------------------------------------------------------------------------------------------------
// Drawing the bands
// ---------------------------------------------------------------------------------------------------------------------

std::uint64_t CRasterizer::DrawRows(const SDrawContext& ctx, const SRasterTriangle& t, int yBegin, int yEnd) const
{
    return (t.bNoSpecular ? ctx.pfnRowsUnlit : ctx.pfnRows)(ctx.span, t, yBegin, yEnd);
}

std::uint64_t CRasterizer::DrawBand(int nBand) const
{
    const int yBegin = nBand * BAND_HEIGHT, yEnd = yBegin + BAND_HEIGHT;
    std::uint64_t nDrawn = 0;
    for (int i = 0; i < m_nBatches; ++i)
    {
        const SBatch& batch = m_aBatches[static_cast<size_t>(i)];
        if (batch.aBins.size() <= static_cast<size_t>(nBand))
            continue;
        for (const std::uint32_t nEntry : batch.aBins[static_cast<size_t>(nBand)])
        {
            if (nEntry & FILL_ENTRY)
            {
                const SFill& fill = m_aFills[nEntry & ENTRY_INDEX];
                fill.pSurface->FillRows(fill.rc, yBegin, yEnd, fill.dwRaw);
            }
            else if (nEntry & ROWS_ENTRY)
            {
                const SRowsEntry& rows = m_aRows[nEntry & ENTRY_INDEX];
                m_pWork->DrawQueuedRows(rows.nEntry, std::max(yBegin, rows.nTop), std::min(yEnd, rows.nBottom));
            }
            else
                nDrawn +=
                    DrawRows(m_aContexts[static_cast<size_t>(batch.nContext)], batch.aTriangles[nEntry], yBegin, yEnd);
        }
    }
    return nDrawn;
}

void CRasterizer::Flush()
{
    if (m_pWork != nullptr)
        m_pWork->SetUpQueued(m_nThreads > 1 ? GetPool() : nullptr);
    if (m_nBatches == 0)
    {
        if (m_pWork != nullptr)
            m_pWork->QueuedDone();
        return;
    }
    const std::span<SBatch> aBatches(m_aBatches.data(), static_cast<size_t>(m_nBatches));
    double dArea = 0;
    for (const SBatch& batch : aBatches)
    {
        dArea += batch.dArea;
        for (const int nBand : batch.aUsedBands)
        {
            if (m_aUsed.size() <= static_cast<size_t>(nBand))
                m_aUsed.resize(static_cast<size_t>(nBand) + 1);
            if (!std::exchange(m_aUsed[static_cast<size_t>(nBand)], std::uint8_t{1}))
                m_aUsedBands.push_back(nBand);
        }
    }
    const int nJobs = static_cast<int>(m_aUsedBands.size());
    if (m_nThreads <= 1 || nJobs <= 1 || dArea < MIN_PARALLEL_AREA)
    {
        // Band by band on one thread too: a band's rows stay in the cache through all its triangles.
        for (const int nBand : m_aUsedBands)
            m_nPixelsDrawn += DrawBand(nBand);
    }
    else
    {
        std::atomic<std::uint64_t> nDrawn{0};
        GetPool()->Run(nJobs, [&](int i) { nDrawn += DrawBand(m_aUsedBands[static_cast<size_t>(i)]); });
        m_nPixelsDrawn += nDrawn.load();
    }
    for (SBatch& batch : aBatches)
    {
        for (const int nBand : batch.aUsedBands)
            batch.aBins[static_cast<size_t>(nBand)].clear();
        batch.aUsedBands.clear();
        batch.aTriangles.clear();
        batch.dArea = 0;
    }
    for (const int nBand : m_aUsedBands)
        m_aUsed[static_cast<size_t>(nBand)] = 0;
    m_aUsedBands.clear();
    m_nBatches = 0;
    m_aFills.clear();
    m_aRows.clear();
    m_aContexts.clear();
    m_bNewContext = true;
    m_bSealed = false;
    if (m_pWork != nullptr)
        m_pWork->QueuedDone();
}
