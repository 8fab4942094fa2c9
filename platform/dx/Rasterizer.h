// The scan converter under the 3-D device (private to platform/dx): fills screen-space triangles into a colour
// surface of any accepted format with a 16-bit or 32-bit depth buffer.
//
// Coverage follows the top-left rule on pixel centres (x + 0.5, y + 0.5): a centre exactly on a left or top
// edge is inside, on a right or bottom edge outside. Every edge is walked from its upper to its lower end and
// its x at a scanline is a function of the two end points alone, so two triangles sharing an edge agree on it
// to the bit: no cracks and no pixel drawn twice.
//
// Work is split in two. DrawTriangle sets a triangle up once (plane equations of 1/w and of the attributes
// over w, a fixed-point depth plane, its edges) and bins it into the bands of rows it covers; Flush draws the
// bands, each on one thread, its triangles in submission order.
// Triangles are queued in batches drawn in the order they were opened, each with the texture and state it was
// opened under; several batches opened at once can be filled by several threads, so that a large draw is set up
// in parallel. A frame is drawn in one flush whatever its textures and states.
// Fills of rectangles (the clears of a frame) are queued with the triangles and done band by band too, so that
// a band's rows are cleared by the thread that then draws them, while they are in its cache. Every pixel's value is a
// function of the triangle and the pixel's position alone: texture coordinates and colours are divided by 1/w at
// every pixel, depth steps in fixed point from column 0. So a frame is the same to the bit whatever the number of
// threads and whichever span path (SSE2, or AVX2 where the processor has it) draws it.
#pragma once

#include "platform/dx/DxTypes.h"
#include "platform/dx/PixelFormat.h"

#include <cstdint>
#include <memory>
#include <vector>

/// A vertex after projection: screen position in pixels, depth 0..1, 1/w, and the attributes.
struct SRasterVertex
{
    float x = 0, y = 0, z = 0, rhw = 1;
    float u = 0, v = 0;
    float c[7] = {}; // diffuse r, g, b, a and specular r, g, b, each 0..255
};

enum ETextureFilter : std::uint8_t
{
    TEXFILTER_NONE,  // no texture: the diffuse colour alone
    TEXFILTER_POINT, // nearest texel
    TEXFILTER_LINEAR // bilinear between the four nearest texels
};

struct SRasterTexture
{
    const DWORD* pTexels = nullptr; // 0xAARRGGBB rows of nWidth texels; any size, wrapped at its own sides
    int nWidth = 0;
    int nHeight = 0;
    bool bOpaque = false; // the format has no alpha: every texel's alpha reads as 255, whatever its top byte holds
    friend bool operator==(const SRasterTexture&, const SRasterTexture&) = default;
};

/// What a triangle is drawn into; the clip rectangle is inside both surfaces.
struct SRasterTarget
{
    BYTE* pColor = nullptr;
    LONG lColorPitch = 0; // bytes
    CPixelLayout layout;
    BYTE* pZ = nullptr; // null: no depth test and no depth writes
    LONG lZPitch = 0;   // bytes
    int nZBits = 16;    // 16 or 32
    RECT rcClip;
    friend bool operator==(const SRasterTarget&, const SRasterTarget&) = default;
};

struct SRasterState
{
    ETextureFilter eMagFilter = TEXFILTER_NONE; // texels larger than a pixel
    ETextureFilter eMinFilter = TEXFILTER_NONE; // texels smaller than a pixel
    D3DCMPFUNC eZFunc = D3DCMP_LESSEQUAL;
    bool bZWrite = true;
    bool bSpecular = false;
    bool bBlend = false;
    D3DBLEND eSrcBlend = D3DBLEND_ONE;
    D3DBLEND eDestBlend = D3DBLEND_ZERO;
    friend bool operator==(const SRasterState&, const SRasterState&) = default;
    /// Whether the blend weighs by the source's alpha: the texel's alpha times the diffuse alpha, as the colours are
    /// modulated. Only then is alpha shaded at all.
    bool BlendsByAlpha() const { return bBlend && (eSrcBlend == D3DBLEND_SRCALPHA || eDestBlend == D3DBLEND_SRCALPHA); }
};

struct SRasterTriangle;
struct SSpanContext;
class CWorkerPool;
class CDirectDrawSurface;

/// Work queued with the triangles for the flush: triangles not set up yet, which the flush first has set up into
/// the batches they were given (on the drawing threads when there are several), and rows drawn by someone else,
/// whose entries the bands take in their place among the triangles.
class IQueuedWork
{
public:
    virtual ~IQueuedWork() = default;
    /// Sets up everything queued; pPool is null when the flush draws on one thread.
    virtual void SetUpQueued(CWorkerPool* pPool) = 0;
    /// Draws the rows [yBegin, yEnd) of a rows entry (on any drawing thread, one band's rows at a time).
    virtual void DrawQueuedRows(int nEntry, int yBegin, int yEnd) = 0;
    /// The flush has drawn every band.
    virtual void QueuedDone() = 0;
};

/// Draws the rows [yBegin, yEnd) of a triangle, clipped; returns the pixels that passed the depth test. Defined in
/// RasterSpan.inl.
using RowsFn = std::uint64_t (*)(const SSpanContext& ctx, const SRasterTriangle& t, int yBegin, int yEnd);

class CRasterizer
{
public:
    /// Rows of the clip rectangle drawn as one job. A triangle is set up again in every band it crosses, and its
    /// runs of groups end at each band's edge: taller bands draw faster, as long as there are enough of them for
    /// every thread (600 rows give 38).
    static constexpr int BAND_HEIGHT = 16;
    /// Texels a side that are addressed exactly; a larger texture is drawn untextured.
    static constexpr int MAX_TEXTURE_SIDE = 16384;

    CRasterizer();
    ~CRasterizer();
    CRasterizer(const CRasterizer&) = delete;
    CRasterizer& operator=(const CRasterizer&) = delete;

    // Changing the target first draws what is queued; a texture or state applies to the triangles queued after it
    // (the texels must stay as they are until the flush). Setting what is already set does nothing.
    void SetTarget(const SRasterTarget& target);
    void SetTexture(const SRasterTexture& texture);
    void SetState(const SRasterState& state);
    /// Opens nCount batches after everything queued and returns the first one's number. Different batches may be
    /// filled at the same time by different threads, until the next call of anything else.
    int OpenBatches(int nCount);
    /// The batch that the next triangle goes into after everything queued (opened when there is none, when the
    /// texture or state changed, or when the last one was sealed).
    int GetLastBatch();
    /// Keeps the last batch from taking anything more through GetLastBatch: its triangles come later, from a
    /// queued set-up, and whatever is queued after it must follow them.
    void SealLastBatch() { m_bSealed = true; }
    /// What the flush sets up first and whose rows entries it draws (null: nothing).
    void SetQueuedWork(IQueuedWork* pWork) { m_pWork = pWork; }
    /// Sets up and queues one triangle of either winding in a batch (culling is the caller's business).
    void DrawTriangle(int nBatch, const SRasterVertex& a, const SRasterVertex& b, const SRasterVertex& c);
    void DrawTriangle(const SRasterVertex& a, const SRasterVertex& b, const SRasterVertex& c)
    {
        DrawTriangle(GetLastBatch(), a, b, c);
    }
    /// Queues a fill of rc (inside the surface) with a raw pixel value, in order with the triangles. The surface
    /// must live until the next flush.
    void Fill(CDirectDrawSurface& surface, const RECT& rc, DWORD dwRaw);
    /// Queues the rows [nTop, nBottom) of the clip rectangle's width as a rows entry of the queued work, in order
    /// with the triangles.
    void Rows(int nEntry, int nTop, int nBottom);
    /// Draws every queued triangle and fill.
    void Flush();

    /// Threads that draw bands, the caller's included (default: the processor's cores); 1 draws on the caller.
    void SetThreadCount(int nThreads);
    int GetThreadCount() const { return m_nThreads; }
    /// Whether the AVX2 span path is used (default: where the processor has it); false forces SSE2.
    void SetWideSpans(bool bWide);
    static bool ProcessorHasWideSpans();
    /// The threads that draw, for other work of the frame that splits into independent jobs (clears); null on
    /// one thread. Made at first use.
    CWorkerPool* GetPool();

    /// Pixels that passed the depth test since the counter was last reset (benchmarks and tests).
    std::uint64_t GetPixelsDrawn() const { return m_nPixelsDrawn; }
    void ResetPixelsDrawn() { m_nPixelsDrawn = 0; }

private:
    /// Draws the rows [yBegin, yEnd) of a triangle.
    struct SDrawContext;
    std::uint64_t DrawRows(const SDrawContext& ctx, const SRasterTriangle& t, int yBegin, int yEnd) const;
    std::uint64_t DrawBand(int nBand) const;

    /// Triangles queued by one thread at a time, with their entries and the fills' per band.
    struct SBatch
    {
        std::vector<SRasterTriangle> aTriangles;
        std::vector<std::vector<std::uint32_t>> aBins; // triangle and fill entries per band, in submission order
        std::vector<int> aUsedBands;                   // bands with at least one entry
        double dArea = 0;                              // pixels of the triangles' bounding boxes and the fills
        int nContext = 0;                              // the texture and state its triangles are drawn with
        /// Adds an entry to the bins of the bands [nFirst, nLast].
        void Bin(std::uint32_t nEntry, int nFirst, int nLast);
    };

    struct SFill
    {
        CDirectDrawSurface* pSurface;
        RECT rc;
        DWORD dwRaw;
    };
    /// A bin entry with this bit set is an index into m_aFills, with this one a rows entry of the queued work,
    /// else an index into its batch's triangles.
    static constexpr std::uint32_t FILL_ENTRY = 0x80000000u;
    static constexpr std::uint32_t ROWS_ENTRY = 0x40000000u;
    static constexpr std::uint32_t ENTRY_INDEX = 0x3FFFFFFFu;
    /// The rows of a rows entry.
    struct SRowsEntry
    {
        int nEntry, nTop, nBottom;
    };
    /// Bins an entry over the rows [nTop, nBottom) into the last batch, counting its area.
    void BinRows(std::uint32_t nEntry, int nTop, int nBottom, double dArea);

    SRasterTarget m_target;
    SRasterTexture m_texture;
    SRasterState m_state;
    bool m_bWide = false;
    std::vector<SDrawContext> m_aContexts; // of the open batches
    bool m_bNewContext = true;             // the texture or state changed since the last batch was opened
    bool m_bSealed = false;                // the last batch takes nothing more through GetLastBatch
    IQueuedWork* m_pWork = nullptr;
    std::vector<SBatch> m_aBatches; // the first m_nBatches are open; the others keep their memory for later
    int m_nBatches = 0;
    std::vector<SFill> m_aFills;
    std::vector<SRowsEntry> m_aRows;
    int m_nBands = 0;                  // of the target's clip rectangle
    std::vector<int> m_aUsedBands;     // bands with an entry in any batch, gathered by Flush
    std::vector<std::uint8_t> m_aUsed; // per band: listed in m_aUsedBands
    int m_nThreads = 1;
    std::unique_ptr<CWorkerPool> m_pPool; // made at the first flush that can use it
    std::uint64_t m_nPixelsDrawn = 0;
};
