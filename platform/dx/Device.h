// The 3-D device: fixed-function transform, per-vertex lighting, clipping and the software rasterizer,
// with the render states, texture stage 0, lights, materials and viewports that the game's drawing uses.
//
// Lighting (per vertex, in world space, colours in 0..1):
//   diffuse  = emissive + ambient state * material ambient
//              + sum over the viewport's lights of atten * spot * max(0, N.L) * light colour * material diffuse
//   specular = sum of atten * spot * max(0, N.H)^power * light colour * material specular   (N.L > 0 only)
// with H = normalise(L + V), V towards the eye. Point and spot lights reach as far as their range (0 or less:
// unlimited) and are attenuated by 1 / max(1e-6, a0 + a1 d + a2 d^2), never brightened above 1, so lamps
// written with all-zero attenuation still light. The spot factor is 1 inside theta / 2, 0 outside phi / 2 and
// ((cos a - cos(phi / 2)) / (cos(theta / 2) - cos(phi / 2)))^falloff between. A parallel-point light shines
// from its position towards the origin of the object being drawn, the same direction for all its vertices.
#pragma once

#include "platform/dx/DxTypes.h"
#include "platform/dx/Rasterizer.h"
#include "platform/dx/Surface.h"

#include <cstdint>
#include <memory>
#include <vector>

class CDirect3DDevice;

/// A viewport record of the given size over the whole clip volume: x from -1, y from 1, 2 wide and high, z 0..1.
D3DVIEWPORT2 MakeFullViewport(DWORD dwWidth, DWORD dwHeight);

class CDirect3DLight
{
public:
    HRESULT SetLight(const D3DLIGHT2* pLight);
    HRESULT GetLight(D3DLIGHT2* pLight) const;
    const D3DLIGHT2& GetData() const { return m_light; }

private:
    D3DLIGHT2 m_light;
};
using LightPtr = std::shared_ptr<CDirect3DLight>;

class CDirect3DMaterial : public std::enable_shared_from_this<CDirect3DMaterial>
{
public:
    HRESULT SetMaterial(const D3DMATERIAL* pMaterial);
    HRESULT GetMaterial(D3DMATERIAL* pMaterial) const;
    /// The handle D3DLIGHTSTATE_MATERIAL takes on the given device.
    HRESULT GetHandle(CDirect3DDevice* pDevice, DWORD* pHandle);
    const D3DMATERIAL& GetData() const { return m_material; }

private:
    D3DMATERIAL m_material;
};
using MaterialPtr = std::shared_ptr<CDirect3DMaterial>;

class CDirect3DViewport
{
public:
    CDirect3DViewport() = default;
    ~CDirect3DViewport();
    CDirect3DViewport(const CDirect3DViewport&) = delete;
    CDirect3DViewport& operator=(const CDirect3DViewport&) = delete;

    HRESULT SetViewport2(const D3DVIEWPORT2* pData);
    HRESULT GetViewport2(D3DVIEWPORT2* pData) const;
    /// Clears the rectangles (the device's target to black, the depth buffer to its far value).
    HRESULT Clear(DWORD dwCount, const D3DRECT* pRects, DWORD dwFlags);
    HRESULT Clear2(DWORD dwCount, const D3DRECT* pRects, DWORD dwFlags, D3DCOLOR dwColor, D3DVALUE dvZ,
                   DWORD dwStencil);
    HRESULT AddLight(const LightPtr& pLight);
    HRESULT DeleteLight(CDirect3DLight* pLight);
    const std::vector<LightPtr>& GetLights() const { return m_aLights; }
    const D3DVIEWPORT2& GetData() const { return m_vp; }

private:
    friend class CDirect3DDevice;
    D3DVIEWPORT2 m_vp;
    std::vector<LightPtr> m_aLights;
    CDirect3DDevice* m_pDevice = nullptr; // set while the viewport belongs to a device
};
using ViewportPtr = std::shared_ptr<CDirect3DViewport>;

/// Work on the pixels of the render target and its depth buffer that the device does in order with what it draws:
/// each queued piece is prepared once (the pieces side by side, with the drawing's set-up, on the drawing threads),
/// then drawn band by band in its place among the triangles, each band's rows by one thread, and told when done.
class IRowWork
{
public:
    virtual ~IRowWork() = default;
    virtual void PrepareRows(int nPiece) = 0;
    /// Draws the rows [yBegin, yEnd) of a piece into the target's pixels and the depth buffer's (lpSurface null
    /// when there is none).
    virtual void DrawRows(int nPiece, const DDSURFACEDESC2& target, const DDSURFACEDESC2& depth, LONG yBegin,
                          LONG yEnd) = 0;
    virtual void RowsDone(int nPiece) = 0;
};

/// Draws and clears are queued and done together at the end of the scene (or before anyone else touches the
/// pixels of the target, the depth buffer or a texture in use), so that the drawing threads start once a frame:
/// each draw keeps a copy of its vertices and of the state it was made with, and the flush transforms and lights
/// the vertices of every draw, sets up their triangles and draws the bands, each step shared by the threads.
class CDirect3DDevice : private IPendingDrawing, private IQueuedWork
{
public:
    /// Renders into pRenderTarget and into the depth buffer attached to it, if any.
    explicit CDirect3DDevice(SurfacePtr pRenderTarget);
    ~CDirect3DDevice();
    CDirect3DDevice(const CDirect3DDevice&) = delete;
    CDirect3DDevice& operator=(const CDirect3DDevice&) = delete;

    HRESULT BeginScene();
    /// Ends the scene; its drawing is done when a surface it draws on or reads is next touched, when
    /// the device goes, or at once when the queue has grown large.
    HRESULT EndScene();

    HRESULT SetTransform(D3DTRANSFORMSTATETYPE eType, const D3DMATRIX* pMatrix);
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE eType, D3DMATRIX* pMatrix) const;
    /// True when nothing inside the box (in the coordinates the world transform takes) can reach a
    /// pixel of the current viewport: its eight corners all lie beyond one plane of the view volume
    /// (near, far, or a side of the viewport), with room to spare for rounding. A draw whose
    /// vertices all lie in such a box draws nothing and may be left out.
    bool IsBoxOutsideView(const D3DVECTOR& vMin, const D3DVECTOR& vMax) const;
    HRESULT SetRenderState(D3DRENDERSTATETYPE eState, DWORD dwValue);
    HRESULT GetRenderState(D3DRENDERSTATETYPE eState, DWORD* pValue) const;
    HRESULT SetLightState(D3DLIGHTSTATETYPE eState, DWORD dwValue);
    HRESULT GetLightState(D3DLIGHTSTATETYPE eState, DWORD* pValue) const;
    /// Stage 0 only: the colour operation with its two arguments and the filters.
    HRESULT SetTextureStageState(DWORD dwStage, D3DTEXTURESTAGESTATETYPE eType, DWORD dwValue);
    HRESULT GetTextureStageState(DWORD dwStage, D3DTEXTURESTAGESTATETYPE eType, DWORD* pValue) const;
    /// Stage 0 only; a surface of any accepted format and size, addressed by its own sides (wrapping).
    HRESULT SetTexture(DWORD dwStage, const SurfacePtr& pTexture);
    /// The texture formats the device samples, in the order it prefers them: 32-bit ARGB, 565, 1555, 4444.
    using TextureFormatCallbackFn = HRESULT (*)(DDPIXELFORMAT* pFormat, void* pContext);
    HRESULT EnumTextureFormats(TextureFormatCallbackFn pfnCallback, void* pContext) const;

    HRESULT AddViewport(const ViewportPtr& pViewport);
    HRESULT DeleteViewport(CDirect3DViewport* pViewport);
    HRESULT SetCurrentViewport(const ViewportPtr& pViewport);
    ViewportPtr GetCurrentViewport() const { return m_pCurrentViewport; }

    /// Triangle lists and strips in the formats D3DFVF_VERTEX, D3DFVF_LVERTEX and D3DFVF_TLVERTEX.
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE eType, DWORD dwFvf, const void* pVertices, DWORD dwVertexCount,
                          DWORD dwFlags);
    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE eType, DWORD dwFvf, const void* pVertices, DWORD dwVertexCount,
                                 const WORD* pIndices, DWORD dwIndexCount, DWORD dwFlags);

    /// Queues the rows [yTop, yBottom) of a piece of row work, in order with the draws; the work must live until
    /// it is told the piece is done. The target and depth buffer are described as they will be drawn.
    HRESULT QueueRows(IRowWork& work, int nPiece, LONG yTop, LONG yBottom);
    /// Describes the render target (and its depth buffer) as a lock would, without waiting for what is queued.
    void DescribeTarget(DDSURFACEDESC2& target, DDSURFACEDESC2& depth) const;
    /// Draws what is queued now.
    void Flush() { FinishDrawing(); }

    const SurfacePtr& GetRenderTarget() const { return m_pRenderTarget; }
    /// Pixels that passed the depth test since the last call (benchmarks, tests); draws what is queued first.
    std::uint64_t TakePixelsDrawn();

    /// Threads that draw (default: the processor's cores) and whether the AVX2 path may be used (default: where
    /// the processor has it). Frames are the same to the bit whatever these are; tests and benchmarks set them.
    void SetRenderThreads(int nThreads) { m_rasterizer.SetThreadCount(nThreads); }
    void SetWideSpans(bool bWide) { m_rasterizer.SetWideSpans(bWide); }

    /// Registers a material for D3DLIGHTSTATE_MATERIAL; handles start at 1.
    DWORD RegisterMaterial(const MaterialPtr& pMaterial);

    /// Clears part of the target and the depth buffer; the viewports' clears come here.
    void ClearRects(DWORD dwCount, const D3DRECT* pRects, DWORD dwFlags, D3DCOLOR dwColor, D3DVALUE dvZ);

private:
    struct SClipVertex
    {
        float x, y, z, w;
        float u, v;
        float c[7]; // diffuse r, g, b, a and specular r, g, b, 0..255
    };
    struct SLitLight;
    struct SLightingSetup;
    /// Bit k: a draw's k-th light (lights past the mask's width count as reaching every vertex).
    using LightMask = std::uint64_t;
    /// One queued draw: what of the device's state it was made with, and where its vertices and indices lie.
    struct SQueuedDraw;
    /// A draw's vertices [dwBegin, dwEnd), transformed as one job.
    struct SVertexJob
    {
        std::uint32_t nDraw;
        DWORD dwBegin, dwEnd;
    };
    /// A draw's triangles [dwBegin, dwEnd) set up into a batch.
    struct STrianglePiece
    {
        std::uint32_t nDraw;
        DWORD dwBegin, dwEnd;
    };
    /// Consecutive pieces that go into one batch, set up in order as one job.
    struct STriangleJob
    {
        int nBatch;
        std::uint32_t nFirstPiece, nPieces;
        DWORD dwTriangles;
    };

    HRESULT Draw(D3DPRIMITIVETYPE eType, DWORD dwFvf, const void* pVertices, DWORD dwVertexCount, const WORD* pIndices,
                 DWORD dwIndexCount);
    /// What the rasterizer draws into for the current viewport.
    SRasterTarget ViewportTarget();
    bool PrepareRaster(SQueuedDraw& draw);
    /// Marks a surface as read or written by the queued drawing and keeps it alive until that is drawn.
    void HoldForDrawing(const SurfacePtr& pSurface);
    /// Draws what is queued and lets go of the surfaces it used.
    void FinishDrawing() override;
    /// Transforms the queued draws' vertices and prepares the row work, then sets up the triangles.
    void SetUpQueued(CWorkerPool* pPool) override;
    void DrawQueuedRows(int nEntry, int yBegin, int yEnd) override;
    void QueuedDone() override;
    /// Clears rc (null: the whole surface) of the target or depth buffer with a raw value.
    void ClearSurface(const SurfacePtr& pSurface, const RECT* pRect, DWORD dwRaw);
    bool SelectsTextureOnly() const;
    bool UsesTexture() const;
    /// Queues the draw's triangles in pieces of at most a job's size, each in the batch of the job it joins.
    void QueueTriangles(std::uint32_t nDraw, DWORD dwTriangles);
    std::uint32_t AddLighting();
    /// Transforms and lights a draw's vertices [dwBegin, dwEnd); returns which of the draw's lights reach one of
    /// them (bit k for its k-th light).
    LightMask TransformVertices(const SQueuedDraw& draw, DWORD dwBegin, DWORD dwEnd);
    /// The lit colours of four vertices (diffuse r, g, b, a and specular r, g, b, 0..255), worked out side by side;
    /// returns which of the lights reach one of them.
    LightMask LightFour(const SLightingSetup& light, const D3DMATRIX& world, const D3DVERTEX* pVertices,
                        float aColors[4][7]) const;
    /// Whether a vertex job's results from the last flush, still in place, hold for this flush's job of the same
    /// number: the same vertices in the same slots, transformed and lit alike. Its lights' mask is carried over.
    bool KeepsLastResults(std::size_t nJob);
    /// Sets up a draw's triangles [dwBegin, dwEnd) into a batch; safe on several threads at once, each with a
    /// batch of its own.
    void SetUpTriangles(int nBatch, const SQueuedDraw& draw, DWORD dwBegin, DWORD dwEnd);
    /// Culls, clips and queues one triangle of a draw (its vertices by the draw's numbers) into a batch.
    void DrawTriangle(int nBatch, const SQueuedDraw& draw, DWORD i0, DWORD i1, DWORD i2);
    void DrawClipped(int nBatch, const SQueuedDraw& draw, const SClipVertex* pIn[3]);
    static void ProjectVertex(const SQueuedDraw& draw, const SClipVertex& in, SRasterVertex& out);
    static bool IsCulled(const SQueuedDraw& draw, float fArea2);

    SurfacePtr m_pRenderTarget;
    SurfacePtr m_pZBuffer;
    SurfacePtr m_pTexture;
    bool m_bInScene = false;
    D3DMATRIX m_aTransforms[3] = {};
    DWORD m_aRenderStates[D3DRENDERSTATE_COUNT] = {};
    DWORD m_aStageStates[D3DTSS_COUNT] = {};
    DWORD m_dwAmbient = 0;
    DWORD m_dwMaterialHandle = 0;
    std::vector<std::weak_ptr<CDirect3DMaterial>> m_aMaterials;
    std::vector<ViewportPtr> m_aViewports;
    ViewportPtr m_pCurrentViewport;
    CRasterizer m_rasterizer;
    std::vector<SurfacePtr> m_aHeld; // surfaces the queued drawing uses

    // What is queued until the flush: cleared after it, keeping its memory, so that drawing does not allocate once
    // warmed up.
    std::vector<SQueuedDraw> m_aDraws;
    std::vector<SLightingSetup> m_aLighting;
    std::vector<SLitLight> m_aLitLights;
    std::vector<BYTE> m_aVertexBytes; // the draws' vertices as they were given
    std::vector<WORD> m_aIndices;     // the indexed draws' indices
    std::vector<SVertexJob> m_aVertexJobs;
    std::vector<STrianglePiece> m_aPieces;
    std::vector<STriangleJob> m_aTriangleJobs;
    struct SRowPiece
    {
        IRowWork* pWork;
        int nPiece;
        DDSURFACEDESC2 target, depth;
    };
    std::vector<SRowPiece> m_aRowPieces;
    std::size_t m_nVertices = 0;         // queued vertices: the first of these slots are in use
    std::vector<LightMask> m_aJobLights; // per vertex job: the lights that reach its vertices
    std::vector<SClipVertex> m_aClip;
    std::vector<BYTE> m_aOutcodes;
    std::vector<SRasterVertex> m_aProjected;

    /// What the last flush transformed and lit, whose results stay in the slots above until they are written
    /// again: a scene drawn again with little changed (the same objects, one lamp flickering) keeps the results
    /// of every vertex job whose vertices, transforms and lights are as they were.
    struct SLastFlush
    {
        std::vector<SQueuedDraw> aDraws;
        std::vector<SLightingSetup> aLighting;
        std::vector<SLitLight> aLitLights;
        std::vector<BYTE> aVertexBytes;
        std::vector<SVertexJob> aVertexJobs;
        std::vector<LightMask> aJobLights;
    };
    SLastFlush m_last;
};
