#include "platform/dx/Device.h"

#include "platform/dx/WorkerPool.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <emmintrin.h>

namespace
{
/// Triangles are clipped to the near and far planes always, and to the sides only beyond this many times the
/// view's half width: the rasterizer's scissor cuts the rest, which is cheaper and keeps shared edges exact.
constexpr float GUARD_BAND = 4.0f;
/// A scene's end draws what is queued once the queue holds this many bytes of vertices or this many draws:
/// scenes that nobody looks at (a frame never shown) do not pile up without end.
constexpr std::size_t MAX_QUEUED_VERTEX_BYTES = std::size_t{32} << 20;
constexpr std::size_t MAX_QUEUED_DRAWS = 1 << 16;

enum EOutcode : BYTE
{
    OUT_NEAR = 1,
    OUT_FAR = 2,
    OUT_LEFT = 4,
    OUT_RIGHT = 8,
    OUT_BOTTOM = 16,
    OUT_TOP = 32,
};

struct SVec3
{
    float x, y, z;
};
SVec3 operator-(SVec3 a, SVec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
SVec3 operator+(SVec3 a, SVec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
SVec3 operator*(SVec3 a, float f) { return {a.x * f, a.y * f, a.z * f}; }
float Dot(SVec3 a, SVec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
SVec3 Normalize(SVec3 a)
{
    const float l = std::sqrt(Dot(a, a));
    return l > 0 ? a * (1.0f / l) : a;
}
SVec3 ToVec(const D3DVECTOR& v) { return {v.x, v.y, v.z}; }

D3DMATRIX Identity()
{
    D3DMATRIX m{};
    for (int i = 0; i < 4; ++i)
        m.m[i][i] = 1;
    return m;
}

D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b)
{
    D3DMATRIX r{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] + a.m[i][3] * b.m[3][j];
    return r;
}

/// Point (w = 1) times matrix, rows as in the Direct3D layout.
SVec3 TransformPoint(const D3DMATRIX& m, SVec3 p)
{
    return {p.x * m.m[0][0] + p.y * m.m[1][0] + p.z * m.m[2][0] + m.m[3][0],
            p.x * m.m[0][1] + p.y * m.m[1][1] + p.z * m.m[2][1] + m.m[3][1],
            p.x * m.m[0][2] + p.y * m.m[1][2] + p.z * m.m[2][2] + m.m[3][2]};
}

/// The eye position of a view matrix made of a rotation and a translation: -t * R^T.
SVec3 EyeFromView(const D3DMATRIX& v)
{
    const float tx = v.m[3][0], ty = v.m[3][1], tz = v.m[3][2];
    return {-(tx * v.m[0][0] + ty * v.m[0][1] + tz * v.m[0][2]), -(tx * v.m[1][0] + ty * v.m[1][1] + tz * v.m[1][2]),
            -(tx * v.m[2][0] + ty * v.m[2][1] + tz * v.m[2][2])};
}

void UnpackColor(D3DCOLOR c, float* pOut, bool bWithAlpha)
{
    pOut[0] = static_cast<float>((c >> 16) & 0xFF);
    pOut[1] = static_cast<float>((c >> 8) & 0xFF);
    pOut[2] = static_cast<float>(c & 0xFF);
    if (bWithAlpha)
        pOut[3] = static_cast<float>(c >> 24);
}

SVec3 ColorRgb(const D3DCOLORVALUE& c) { return {c.r, c.g, c.b}; }
SVec3 Mul(SVec3 a, SVec3 b) { return {a.x * b.x, a.y * b.y, a.z * b.z}; }

/// Whether two values of a type without padding hold the same bits: what a result worked out from them is the same
/// to the bit for (so 0 and -0 differ, and a NaN is the same as itself).
template <class T> bool SameBits(const T& a, const T& b) { return std::memcmp(&a, &b, sizeof(T)) == 0; }
} // namespace

// ---------------------------------------------------------------------------------------------------------------------
// Lights, materials, viewports
// ---------------------------------------------------------------------------------------------------------------------

D3DVIEWPORT2 MakeFullViewport(DWORD dwWidth, DWORD dwHeight)
{
    D3DVIEWPORT2 vp;
    vp.dwSize = sizeof(D3DVIEWPORT2);
    vp.dwWidth = dwWidth;
    vp.dwHeight = dwHeight;
    vp.dvClipX = -1.0f;
    vp.dvClipY = 1.0f;
    vp.dvClipWidth = 2.0f;
    vp.dvClipHeight = 2.0f;
    vp.dvMinZ = 0.0f;
    vp.dvMaxZ = 1.0f;
    return vp;
}

HRESULT CDirect3DLight::SetLight(const D3DLIGHT2* pLight)
{
    if (pLight == nullptr)
        return DDERR_INVALIDPARAMS;
    m_light = *pLight;
    return D3D_OK;
}

HRESULT CDirect3DLight::GetLight(D3DLIGHT2* pLight) const
{
    if (pLight == nullptr)
        return DDERR_INVALIDPARAMS;
    *pLight = m_light;
    return D3D_OK;
}

HRESULT CDirect3DMaterial::SetMaterial(const D3DMATERIAL* pMaterial)
{
    if (pMaterial == nullptr)
        return DDERR_INVALIDPARAMS;
    m_material = *pMaterial;
    return D3D_OK;
}

HRESULT CDirect3DMaterial::GetMaterial(D3DMATERIAL* pMaterial) const
{
    if (pMaterial == nullptr)
        return DDERR_INVALIDPARAMS;
    *pMaterial = m_material;
    return D3D_OK;
}

HRESULT CDirect3DMaterial::GetHandle(CDirect3DDevice* pDevice, DWORD* pHandle)
{
    if (pDevice == nullptr || pHandle == nullptr)
        return DDERR_INVALIDPARAMS;
    *pHandle = pDevice->RegisterMaterial(shared_from_this());
    return D3D_OK;
}

CDirect3DViewport::~CDirect3DViewport() = default;

HRESULT CDirect3DViewport::SetViewport2(const D3DVIEWPORT2* pData)
{
    if (pData == nullptr || pData->dwWidth == 0 || pData->dwHeight == 0 || pData->dvClipWidth == 0 ||
        pData->dvClipHeight == 0)
        return DDERR_INVALIDPARAMS;
    m_vp = *pData;
    return D3D_OK;
}

HRESULT CDirect3DViewport::GetViewport2(D3DVIEWPORT2* pData) const
{
    if (pData == nullptr)
        return DDERR_INVALIDPARAMS;
    *pData = m_vp;
    return D3D_OK;
}

HRESULT CDirect3DViewport::Clear(DWORD dwCount, const D3DRECT* pRects, DWORD dwFlags)
{
    return Clear2(dwCount, pRects, dwFlags, 0, 1.0f, 0);
}

HRESULT CDirect3DViewport::Clear2(DWORD dwCount, const D3DRECT* pRects, DWORD dwFlags, D3DCOLOR dwColor, D3DVALUE dvZ,
                                  DWORD /*dwStencil*/)
{
    if (m_pDevice == nullptr)
        return DDERR_GENERIC;
    if (dwCount > 0 && pRects == nullptr)
        return DDERR_INVALIDPARAMS;
    m_pDevice->ClearRects(dwCount, pRects, dwFlags, dwColor, dvZ);
    return D3D_OK;
}

HRESULT CDirect3DViewport::AddLight(const LightPtr& pLight)
{
    if (pLight == nullptr)
        return DDERR_INVALIDPARAMS;
    if (std::find(m_aLights.begin(), m_aLights.end(), pLight) != m_aLights.end())
        return D3DERR_LIGHTHASVIEWPORT;
    m_aLights.push_back(pLight);
    return D3D_OK;
}

HRESULT CDirect3DViewport::DeleteLight(CDirect3DLight* pLight)
{
    const auto it =
        std::find_if(m_aLights.begin(), m_aLights.end(), [&](const LightPtr& p) { return p.get() == pLight; });
    if (it == m_aLights.end())
        return D3DERR_LIGHTNOTINTHISVIEWPORT;
    m_aLights.erase(it);
    return D3D_OK;
}

// ---------------------------------------------------------------------------------------------------------------------
// Device state
// ---------------------------------------------------------------------------------------------------------------------

CDirect3DDevice::CDirect3DDevice(SurfacePtr pRenderTarget) : m_pRenderTarget(std::move(pRenderTarget))
{
    m_rasterizer.SetQueuedWork(this);
    if (m_pRenderTarget)
    {
        const DDSCAPS2 caps{DDSCAPS_ZBUFFER};
        m_pRenderTarget->GetAttachedSurface(&caps, &m_pZBuffer);
    }
    for (D3DMATRIX& m : m_aTransforms)
        m = Identity();
    m_aRenderStates[D3DRENDERSTATE_ZENABLE] = m_pZBuffer ? TRUE : FALSE;
    m_aRenderStates[D3DRENDERSTATE_ZWRITEENABLE] = TRUE;
    m_aRenderStates[D3DRENDERSTATE_ZFUNC] = D3DCMP_LESSEQUAL;
    m_aRenderStates[D3DRENDERSTATE_CULLMODE] = D3DCULL_CCW;
    m_aRenderStates[D3DRENDERSTATE_SRCBLEND] = D3DBLEND_ONE;
    m_aRenderStates[D3DRENDERSTATE_DESTBLEND] = D3DBLEND_ZERO;
    m_aRenderStates[D3DRENDERSTATE_SPECULARENABLE] = TRUE;
    m_aRenderStates[D3DRENDERSTATE_DITHERENABLE] = FALSE;
    m_aRenderStates[D3DRENDERSTATE_LIGHTING] = TRUE;
    m_aStageStates[D3DTSS_COLOROP] = D3DTOP_MODULATE;
    m_aStageStates[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
    m_aStageStates[D3DTSS_COLORARG2] = D3DTA_DIFFUSE;
    m_aStageStates[D3DTSS_MAGFILTER] = D3DTFG_POINT;
    m_aStageStates[D3DTSS_MINFILTER] = D3DTFG_POINT;
}

CDirect3DDevice::~CDirect3DDevice()
{
    FinishDrawing();
    for (const ViewportPtr& p : m_aViewports)
        p->m_pDevice = nullptr;
}

HRESULT CDirect3DDevice::BeginScene()
{
    if (m_bInScene)
        return D3DERR_SCENE_IN_SCENE;
    m_bInScene = true;
    return D3D_OK;
}

HRESULT CDirect3DDevice::EndScene()
{
    if (!m_bInScene)
        return D3DERR_SCENE_NOT_IN_SCENE;
    // The scene's drawing stays queued until its surfaces are next touched (or the device goes), so that
    // scenes in a row are drawn in one pass of the drawing threads.
    m_bInScene = false;
    if (m_aVertexBytes.size() > MAX_QUEUED_VERTEX_BYTES || m_aDraws.size() > MAX_QUEUED_DRAWS)
        FinishDrawing();
    return D3D_OK;
}

HRESULT CDirect3DDevice::SetTransform(D3DTRANSFORMSTATETYPE eType, const D3DMATRIX* pMatrix)
{
    if (pMatrix == nullptr || eType < D3DTRANSFORMSTATE_WORLD || eType > D3DTRANSFORMSTATE_PROJECTION)
        return DDERR_INVALIDPARAMS;
    m_aTransforms[eType - 1] = *pMatrix;
    return D3D_OK;
}

HRESULT CDirect3DDevice::GetTransform(D3DTRANSFORMSTATETYPE eType, D3DMATRIX* pMatrix) const
{
    if (pMatrix == nullptr || eType < D3DTRANSFORMSTATE_WORLD || eType > D3DTRANSFORMSTATE_PROJECTION)
        return DDERR_INVALIDPARAMS;
    *pMatrix = m_aTransforms[eType - 1];
    return D3D_OK;
}

bool CDirect3DDevice::IsBoxOutsideView(const D3DVECTOR& vMin, const D3DVECTOR& vMax) const
{
    if (m_pCurrentViewport == nullptr)
        return false;
    const D3DVIEWPORT2& vp = m_pCurrentViewport->GetData();
    const D3DMATRIX clip =
        Multiply(Multiply(m_aTransforms[D3DTRANSFORMSTATE_WORLD - 1], m_aTransforms[D3DTRANSFORMSTATE_VIEW - 1]),
                 m_aTransforms[D3DTRANSFORMSTATE_PROJECTION - 1]);
    // Each plane as a linear function of the clip coordinates, negative outside. A visible point has
    // 0 <= z <= w, and x / w and y / w within the viewport's clip rectangle; a linear function that is
    // negative at every corner is negative all over the box.
    const bool bSides = vp.dvClipWidth > 0 && vp.dvClipHeight > 0;
    const float fLeft = vp.dvClipX, fRight = vp.dvClipX + vp.dvClipWidth;
    const float fTop = vp.dvClipY, fBottom = vp.dvClipY - vp.dvClipHeight;
    const int nPlanes = bSides ? 6 : 2;
    unsigned nOutsideAll = (1u << nPlanes) - 1;
    for (int k = 0; k < 8 && nOutsideAll != 0; ++k)
    {
        const SVec3 p{(k & 1) != 0 ? vMax.x : vMin.x, (k & 2) != 0 ? vMax.y : vMin.y, (k & 4) != 0 ? vMax.z : vMin.z};
        const SVec3 c = TransformPoint(clip, p);
        const float w = p.x * clip.m[0][3] + p.y * clip.m[1][3] + p.z * clip.m[2][3] + clip.m[3][3];
        const float aDistance[6] = {c.z, w - c.z, c.x - fLeft * w, fRight * w - c.x, c.y - fBottom * w, fTop * w - c.y};
        // The margin is far above the rounding of the device's own transform of a vertex in the box.
        const float fMargin = 1e-5f * (std::fabs(c.x) + std::fabs(c.y) + std::fabs(c.z) + 4.0f * std::fabs(w)) + 1e-6f;
        for (int i = 0; i < nPlanes; ++i)
            if (aDistance[i] >= -fMargin)
                nOutsideAll &= ~(1u << i);
    }
    return nOutsideAll != 0;
}

HRESULT CDirect3DDevice::SetRenderState(D3DRENDERSTATETYPE eState, DWORD dwValue)
{
    if (eState >= D3DRENDERSTATE_COUNT)
        return DDERR_INVALIDPARAMS;
    m_aRenderStates[eState] = dwValue;
    return D3D_OK;
}

HRESULT CDirect3DDevice::GetRenderState(D3DRENDERSTATETYPE eState, DWORD* pValue) const
{
    if (pValue == nullptr || eState >= D3DRENDERSTATE_COUNT)
        return DDERR_INVALIDPARAMS;
    *pValue = m_aRenderStates[eState];
    return D3D_OK;
}

HRESULT CDirect3DDevice::SetLightState(D3DLIGHTSTATETYPE eState, DWORD dwValue)
{
    if (eState == D3DLIGHTSTATE_AMBIENT)
        m_dwAmbient = dwValue;
    else if (eState == D3DLIGHTSTATE_MATERIAL)
        m_dwMaterialHandle = dwValue;
    else
        return DDERR_INVALIDPARAMS;
    return D3D_OK;
}

HRESULT CDirect3DDevice::GetLightState(D3DLIGHTSTATETYPE eState, DWORD* pValue) const
{
    if (pValue == nullptr)
        return DDERR_INVALIDPARAMS;
    if (eState == D3DLIGHTSTATE_AMBIENT)
        *pValue = m_dwAmbient;
    else if (eState == D3DLIGHTSTATE_MATERIAL)
        *pValue = m_dwMaterialHandle;
    else
        return DDERR_INVALIDPARAMS;
    return D3D_OK;
}

HRESULT CDirect3DDevice::SetTextureStageState(DWORD dwStage, D3DTEXTURESTAGESTATETYPE eType, DWORD dwValue)
{
    if (dwStage != 0 || eType >= D3DTSS_COUNT)
        return DDERR_INVALIDPARAMS;
    m_aStageStates[eType] = dwValue;
    return D3D_OK;
}

HRESULT CDirect3DDevice::GetTextureStageState(DWORD dwStage, D3DTEXTURESTAGESTATETYPE eType, DWORD* pValue) const
{
    if (dwStage != 0 || eType >= D3DTSS_COUNT || pValue == nullptr)
        return DDERR_INVALIDPARAMS;
    *pValue = m_aStageStates[eType];
    return D3D_OK;
}

HRESULT CDirect3DDevice::SetTexture(DWORD dwStage, const SurfacePtr& pTexture)
{
    if (dwStage != 0)
        return DDERR_INVALIDPARAMS;
    m_pTexture = pTexture;
    return D3D_OK;
}

HRESULT CDirect3DDevice::EnumTextureFormats(TextureFormatCallbackFn pfnCallback, void* pContext) const
{
    if (pfnCallback == nullptr)
        return DDERR_INVALIDPARAMS;
    const DDPIXELFORMAT aFormats[] = {MakeArgbPixelFormat(), MakeRgbPixelFormat(16),
                                      MakePixelFormat(16, 0x7C00, 0x03E0, 0x001F, 0x8000),
                                      MakePixelFormat(16, 0x0F00, 0x00F0, 0x000F, 0xF000)};
    for (const DDPIXELFORMAT& f : aFormats)
    {
        DDPIXELFORMAT copy = f;
        if (pfnCallback(&copy, pContext) == D3DENUMRET_CANCEL)
            break;
    }
    return D3D_OK;
}

HRESULT CDirect3DDevice::AddViewport(const ViewportPtr& pViewport)
{
    if (pViewport == nullptr || pViewport->m_pDevice != nullptr)
        return DDERR_INVALIDPARAMS;
    pViewport->m_pDevice = this;
    m_aViewports.push_back(pViewport);
    return D3D_OK;
}

HRESULT CDirect3DDevice::DeleteViewport(CDirect3DViewport* pViewport)
{
    const auto it = std::find_if(m_aViewports.begin(), m_aViewports.end(),
                                 [&](const ViewportPtr& p) { return p.get() == pViewport; });
    if (it == m_aViewports.end())
        return DDERR_INVALIDPARAMS;
    (*it)->m_pDevice = nullptr;
    if (m_pCurrentViewport == *it)
        m_pCurrentViewport.reset();
    m_aViewports.erase(it);
    return D3D_OK;
}

HRESULT CDirect3DDevice::SetCurrentViewport(const ViewportPtr& pViewport)
{
    if (pViewport == nullptr || pViewport->m_pDevice != this)
        return DDERR_INVALIDPARAMS;
    m_pCurrentViewport = pViewport;
    return D3D_OK;
}

DWORD CDirect3DDevice::RegisterMaterial(const MaterialPtr& pMaterial)
{
    for (size_t i = 0; i < m_aMaterials.size(); ++i)
        if (m_aMaterials[i].lock() == pMaterial)
            return static_cast<DWORD>(i + 1);
    m_aMaterials.push_back(pMaterial);
    return static_cast<DWORD>(m_aMaterials.size());
}

std::uint64_t CDirect3DDevice::TakePixelsDrawn()
{
    FinishDrawing();
    const std::uint64_t n = m_rasterizer.GetPixelsDrawn();
    m_rasterizer.ResetPixelsDrawn();
    return n;
}

void CDirect3DDevice::HoldForDrawing(const SurfacePtr& pSurface)
{
    if (std::find(m_aHeld.begin(), m_aHeld.end(), pSurface) != m_aHeld.end())
        return;
    pSurface->SetPendingDrawing(this);
    m_aHeld.push_back(pSurface);
}

void CDirect3DDevice::FinishDrawing()
{
    m_rasterizer.Flush();
    for (const SurfacePtr& p : m_aHeld)
        p->EndPendingDrawing(this);
    m_aHeld.clear();
}

void CDirect3DDevice::ClearSurface(const SurfacePtr& pSurface, const RECT* pRect, DWORD dwRaw)
{
    // A surface on show is filled at once, so that what it shows is cleared; others with the queued drawing.
    RECT rc =
        pRect ? *pRect : RECT{0, 0, static_cast<LONG>(pSurface->GetWidth()), static_cast<LONG>(pSurface->GetHeight())};
    if (pSurface->HasOutput())
        pSurface->ColorFill(&rc, dwRaw, m_rasterizer.GetPool());
    else if (pSurface->PrepareDeferredFill(rc) == DD_OK)
    {
        HoldForDrawing(pSurface);
        // After the triangles queued before it, which are binned only when the flush sets them up.
        m_rasterizer.SealLastBatch();
        m_rasterizer.Fill(*pSurface, rc, dwRaw);
    }
}

void CDirect3DDevice::ClearRects(DWORD dwCount, const D3DRECT* pRects, DWORD dwFlags, D3DCOLOR dwColor, D3DVALUE dvZ)
{
    const auto clearOne = [&](const RECT* pRect)
    {
        if ((dwFlags & D3DCLEAR_TARGET) && m_pRenderTarget)
            ClearSurface(m_pRenderTarget, pRect, m_pRenderTarget->GetLayout().FromArgb(dwColor | 0xFF000000));
        if ((dwFlags & D3DCLEAR_ZBUFFER) && m_pZBuffer)
        {
            const double dMax = m_pZBuffer->GetBitsPerPixel() == 32 ? 4294967295.0 : 65535.0;
            ClearSurface(m_pZBuffer, pRect,
                         static_cast<DWORD>(std::llround(std::clamp(static_cast<double>(dvZ), 0.0, 1.0) * dMax)));
        }
    };
    if (dwCount == 0)
    {
        clearOne(nullptr);
        return;
    }
    for (DWORD i = 0; i < dwCount; ++i)
    {
        const RECT rc{pRects[i].x1, pRects[i].y1, pRects[i].x2, pRects[i].y2};
        clearOne(&rc);
    }
}

void CDirect3DDevice::DescribeTarget(DDSURFACEDESC2& target, DDSURFACEDESC2& depth) const
{
    target = DDSURFACEDESC2{};
    depth = DDSURFACEDESC2{};
    if (m_pRenderTarget)
    {
        m_pRenderTarget->GetSurfaceDesc(&target);
        target.lpSurface = m_pRenderTarget->GetDrawingBits();
    }
    if (m_pZBuffer)
    {
        m_pZBuffer->GetSurfaceDesc(&depth);
        depth.lpSurface = m_pZBuffer->GetDrawingBits();
    }
}

HRESULT CDirect3DDevice::QueueRows(IRowWork& work, int nPiece, LONG yTop, LONG yBottom)
{
    if (!m_bInScene)
        return D3DERR_SCENE_NOT_IN_SCENE;
    if (!m_pRenderTarget || m_pCurrentViewport == nullptr)
        return DDERR_GENERIC;
    // The rows are drawn into the whole target, as into a locked one; its change is counted now.
    RECT rc{0, yTop, static_cast<LONG>(m_pRenderTarget->GetWidth()), yBottom};
    if (const HRESULT hr = m_pRenderTarget->PrepareDeferredFill(rc); hr != DD_OK)
        return hr;
    SRowPiece piece{&work, nPiece, {}, {}};
    DescribeTarget(piece.target, piece.depth);
    m_rasterizer.SetTarget(ViewportTarget());
    HoldForDrawing(m_pRenderTarget);
    if (m_pZBuffer)
    {
        RECT rcDepth = rc;
        if (m_pZBuffer->PrepareDeferredFill(rcDepth) == DD_OK)
            HoldForDrawing(m_pZBuffer);
        else
            piece.depth.lpSurface = nullptr;
    }
    m_aRowPieces.push_back(piece);
    // After the triangles queued before it, which are binned only when the flush sets them up.
    m_rasterizer.SealLastBatch();
    m_rasterizer.Rows(static_cast<int>(m_aRowPieces.size() - 1), static_cast<int>(rc.top), static_cast<int>(rc.bottom));
    return D3D_OK;
}

void CDirect3DDevice::DrawQueuedRows(int nEntry, int yBegin, int yEnd)
{
    const SRowPiece& piece = m_aRowPieces[static_cast<std::size_t>(nEntry)];
    piece.pWork->DrawRows(piece.nPiece, piece.target, piece.depth, yBegin, yEnd);
}

void CDirect3DDevice::QueuedDone()
{
    for (const SRowPiece& piece : m_aRowPieces)
        piece.pWork->RowsDone(piece.nPiece);
    m_aRowPieces.clear();
}

// ---------------------------------------------------------------------------------------------------------------------
// Drawing
// ---------------------------------------------------------------------------------------------------------------------

HRESULT CDirect3DDevice::DrawPrimitive(D3DPRIMITIVETYPE eType, DWORD dwFvf, const void* pVertices, DWORD dwVertexCount,
                                       DWORD /*dwFlags*/)
{
    return Draw(eType, dwFvf, pVertices, dwVertexCount, nullptr, dwVertexCount);
}

HRESULT CDirect3DDevice::DrawIndexedPrimitive(D3DPRIMITIVETYPE eType, DWORD dwFvf, const void* pVertices,
                                              DWORD dwVertexCount, const WORD* pIndices, DWORD dwIndexCount,
                                              DWORD /*dwFlags*/)
{
    if (pIndices == nullptr && dwIndexCount > 0)
        return DDERR_INVALIDPARAMS;
    return Draw(eType, dwFvf, pVertices, dwVertexCount, pIndices, dwIndexCount);
}

// ---------------------------------------------------------------------------------------------------------------------
// Queued draws
// ---------------------------------------------------------------------------------------------------------------------

namespace
{
/// Vertices transformed as one job, and at most this many triangles set up as one: jobs small enough for every
/// thread to have several, large enough that taking one costs little.
constexpr DWORD VERTEX_JOB = 256;
constexpr DWORD TRIANGLE_JOB = 128;
/// Below this much work a flush sets up on the caller: waking the threads would cost more.
constexpr std::size_t MIN_PARALLEL_VERTICES = 4 * VERTEX_JOB;
constexpr std::size_t MIN_PARALLEL_TRIANGLES = 4 * TRIANGLE_JOB;
/// Both untransformed vertex formats are this many bytes; a transformed one, D3DTLVERTEX.
constexpr std::size_t VERTEX_BYTES = 32;
static_assert(sizeof(D3DVERTEX) == VERTEX_BYTES && sizeof(D3DLVERTEX) == VERTEX_BYTES);
/// The lights of a draw that a light mask tells apart.
constexpr std::uint32_t LIGHT_MASK_BITS = 64;
} // namespace

namespace
{
/// Where one light shines, the same at every vertex of a draw.
struct SLightShape
{
    SVec3 L{0, 0, 0};                   // directional and parallel-point lights: the direction to the light
    SVec3 spotDir{0, 0, 0};             // spot: its unit direction
    float fCosInner = 1, fCosOuter = 1; // spot: cosines of half the inner and outer cone angles
};
} // namespace

/// What of one active light is the same at every vertex of a draw, worked out once; the light's record is
/// copied, as the light may change before the draw is done.
struct CDirect3DDevice::SLitLight
{
    D3DLIGHT2 light{};
    SVec3 color;
    SLightShape shape;
};
// Lights are compared bit by bit: their parts, all of 4-byte fields, leave no padding.
static_assert(sizeof(D3DLIGHT2) == 20 * 4 && sizeof(SVec3) == 3 * 4 && sizeof(SLightShape) == 8 * 4);

struct CDirect3DDevice::SLightingSetup
{
    SVec3 base;        // emissive + ambient * material ambient, 0..1
    SVec3 matDiffuse;  // material diffuse
    float fAlpha = 1;  // material diffuse alpha
    SVec3 matSpecular; // material specular
    float fPower = 0;
    SVec3 eye; // world position of the eye
    bool bSpecular = false;
    std::uint32_t nFirstLight = 0, nLights = 0; // the active ones, in m_aLitLights

    /// Whether the material, the eye and the number of lights are the other's.
    bool MaterialAs(const SLightingSetup& o) const
    {
        return SameBits(base, o.base) && SameBits(matDiffuse, o.matDiffuse) && SameBits(fAlpha, o.fAlpha) &&
               SameBits(matSpecular, o.matSpecular) && SameBits(fPower, o.fPower) && SameBits(eye, o.eye) &&
               bSpecular == o.bSpecular && nLights == o.nLights;
    }
};

struct CDirect3DDevice::SQueuedDraw
{
    DWORD dwFvf = 0;
    bool bList = true;         // a triangle list, else a strip
    bool bTransformed = false; // the vertices are already in screen space
    bool bLit = false;
    bool bWhite = false; // texture-only colour operation: the diffuse colour is white
    DWORD dwCull = D3DCULL_CCW;
    D3DMATRIX world{}, clip{};
    std::uint32_t nLighting = 0;  // in m_aLighting, when lit
    float fViewportScale[4] = {}; // x scale, x offset, y scale, y offset of the clip-to-screen mapping
    float fZScale = 1, fZOffset = 0;
    std::size_t nVertexBytes = 0; // the first byte of the vertices in m_aVertexBytes
    std::size_t nFirstVertex = 0; // the first slot of the transformed vertices
    DWORD dwVertexCount = 0;
    std::size_t nFirstIndex = 0; // in m_aIndices, when indexed
    bool bIndexed = false;
    DWORD dwTriangles = 0;

    /// The draw's k-th index.
    DWORD Index(const std::vector<WORD>& aIndices, DWORD k) const
    {
        return bIndexed ? static_cast<DWORD>(aIndices[nFirstIndex + k]) : k;
    }
    /// Whether the same vertices with the same lights come out of this draw's transform as out of the other's.
    bool TransformsAs(const SQueuedDraw& o) const
    {
        return dwFvf == o.dwFvf && bTransformed == o.bTransformed && bLit == o.bLit && bWhite == o.bWhite &&
               SameBits(world, o.world) && SameBits(clip, o.clip) && SameBits(fViewportScale, o.fViewportScale) &&
               SameBits(fZScale, o.fZScale) && SameBits(fZOffset, o.fZOffset);
    }
};

HRESULT CDirect3DDevice::Draw(D3DPRIMITIVETYPE eType, DWORD dwFvf, const void* pVertices, DWORD dwVertexCount,
                              const WORD* pIndices, DWORD dwIndexCount)
{
    if (!m_bInScene)
        return D3DERR_SCENE_NOT_IN_SCENE;
    if (dwFvf != D3DFVF_VERTEX && dwFvf != D3DFVF_LVERTEX && dwFvf != D3DFVF_TLVERTEX)
        return D3DERR_INVALIDVERTEXTYPE;
    if (eType != D3DPT_TRIANGLELIST && eType != D3DPT_TRIANGLESTRIP)
        return D3DERR_INVALIDPRIMITIVETYPE;
    if (pVertices == nullptr && dwVertexCount > 0)
        return DDERR_INVALIDPARAMS;
    // An index past the vertex array is the caller's fault: refuse the whole call rather than read beyond it.
    if (pIndices != nullptr)
        for (DWORD i = 0; i < dwIndexCount; ++i)
            if (pIndices[i] >= dwVertexCount)
                return DDERR_INVALIDPARAMS;
    SQueuedDraw draw;
    if (m_pCurrentViewport == nullptr || !PrepareRaster(draw))
        return DDERR_GENERIC;

    const bool bList = eType == D3DPT_TRIANGLELIST;
    draw.dwFvf = dwFvf;
    draw.bList = bList;
    draw.bTransformed = dwFvf == D3DFVF_TLVERTEX;
    draw.bLit = dwFvf == D3DFVF_VERTEX && m_aRenderStates[D3DRENDERSTATE_LIGHTING] != FALSE;
    draw.bWhite = SelectsTextureOnly();
    draw.dwCull = m_aRenderStates[D3DRENDERSTATE_CULLMODE];
    draw.world = m_aTransforms[D3DTRANSFORMSTATE_WORLD - 1];
    draw.clip = Multiply(Multiply(draw.world, m_aTransforms[D3DTRANSFORMSTATE_VIEW - 1]),
                         m_aTransforms[D3DTRANSFORMSTATE_PROJECTION - 1]);
    if (draw.bLit)
        draw.nLighting = AddLighting();
    draw.dwTriangles = bList ? dwIndexCount / 3 : (dwIndexCount >= 3 ? dwIndexCount - 2 : 0);
    if (draw.dwTriangles == 0)
        return D3D_OK;
    // The vertices and indices are copied: the caller may change or free them once the call returns.
    const std::size_t nBytes =
        static_cast<std::size_t>(dwVertexCount) * (draw.bTransformed ? sizeof(D3DTLVERTEX) : VERTEX_BYTES);
    draw.nVertexBytes = m_aVertexBytes.size();
    m_aVertexBytes.insert(m_aVertexBytes.end(), static_cast<const BYTE*>(pVertices),
                          static_cast<const BYTE*>(pVertices) + nBytes);
    draw.bIndexed = pIndices != nullptr;
    draw.nFirstIndex = m_aIndices.size();
    if (draw.bIndexed)
        m_aIndices.insert(m_aIndices.end(), pIndices, pIndices + dwIndexCount);
    draw.nFirstVertex = m_nVertices;
    draw.dwVertexCount = dwVertexCount;
    m_nVertices += dwVertexCount;

    const auto nDraw = static_cast<std::uint32_t>(m_aDraws.size());
    m_aDraws.push_back(draw);
    for (DWORD dwBegin = 0; dwBegin < dwVertexCount; dwBegin += VERTEX_JOB)
        m_aVertexJobs.push_back(SVertexJob{nDraw, dwBegin, std::min(dwVertexCount, dwBegin + VERTEX_JOB)});
    QueueTriangles(nDraw, draw.dwTriangles);
    return D3D_OK;
}

void CDirect3DDevice::QueueTriangles(std::uint32_t nDraw, DWORD dwTriangles)
{
    DWORD dwBegin = 0;
    while (dwBegin < dwTriangles)
    {
        // The batch the triangles go into: the last job's while its texture and state hold and it has room.
        int nBatch = m_rasterizer.GetLastBatch();
        const bool bJoins = !m_aTriangleJobs.empty() && m_aTriangleJobs.back().nBatch == nBatch;
        if (bJoins && m_aTriangleJobs.back().dwTriangles >= TRIANGLE_JOB)
        {
            m_rasterizer.SealLastBatch();
            nBatch = m_rasterizer.GetLastBatch();
        }
        if (m_aTriangleJobs.empty() || m_aTriangleJobs.back().nBatch != nBatch)
            m_aTriangleJobs.push_back(STriangleJob{nBatch, static_cast<std::uint32_t>(m_aPieces.size()), 0, 0});
        STriangleJob& job = m_aTriangleJobs.back();
        const DWORD dwEnd = std::min(dwTriangles, dwBegin + (TRIANGLE_JOB - job.dwTriangles));
        m_aPieces.push_back(STrianglePiece{nDraw, dwBegin, dwEnd});
        ++job.nPieces;
        job.dwTriangles += dwEnd - dwBegin;
        dwBegin = dwEnd;
    }
}

bool CDirect3DDevice::SelectsTextureOnly() const
{
    const DWORD dwOp = m_aStageStates[D3DTSS_COLOROP];
    return (dwOp == D3DTOP_SELECTARG1 && m_aStageStates[D3DTSS_COLORARG1] == D3DTA_TEXTURE) ||
           (dwOp == D3DTOP_SELECTARG2 && m_aStageStates[D3DTSS_COLORARG2] == D3DTA_TEXTURE);
}

bool CDirect3DDevice::UsesTexture() const
{
    // Modulate uses both arguments; a select uses the texture only when the selected argument is it.
    const DWORD dwOp = m_aStageStates[D3DTSS_COLOROP];
    return dwOp == D3DTOP_MODULATE || SelectsTextureOnly();
}

SRasterTarget CDirect3DDevice::ViewportTarget()
{
    const D3DVIEWPORT2& vp = m_pCurrentViewport->GetData();
    SRasterTarget target;
    target.pColor = m_pRenderTarget->GetDrawingBits();
    target.lColorPitch = m_pRenderTarget->GetPitch();
    target.layout = m_pRenderTarget->GetLayout();
    const bool bZ = m_pZBuffer && m_aRenderStates[D3DRENDERSTATE_ZENABLE];
    target.pZ = bZ ? m_pZBuffer->GetDrawingBits() : nullptr;
    target.lZPitch = bZ ? m_pZBuffer->GetPitch() : 0;
    target.nZBits = bZ ? static_cast<int>(m_pZBuffer->GetBitsPerPixel()) : 16;
    const LONG right =
        std::min<LONG>(static_cast<LONG>(vp.dwX + vp.dwWidth), static_cast<LONG>(m_pRenderTarget->GetWidth()));
    const LONG bottom =
        std::min<LONG>(static_cast<LONG>(vp.dwY + vp.dwHeight), static_cast<LONG>(m_pRenderTarget->GetHeight()));
    target.rcClip = RECT{static_cast<LONG>(vp.dwX), static_cast<LONG>(vp.dwY), right, bottom};
    return target;
}

bool CDirect3DDevice::PrepareRaster(SQueuedDraw& draw)
{
    if (!m_pRenderTarget)
        return false;
    const D3DVIEWPORT2& vp = m_pCurrentViewport->GetData();
    if (vp.dwWidth == 0 || vp.dwHeight == 0)
        return false;

    const SRasterTarget target = ViewportTarget();
    m_rasterizer.SetTarget(target);
    HoldForDrawing(m_pRenderTarget);
    if (target.pZ != nullptr)
        HoldForDrawing(m_pZBuffer);

    // Clip space to pixels: x from the clip rectangle's left edge rightwards, y from its top edge downwards.
    draw.fViewportScale[0] = static_cast<float>(vp.dwWidth) / vp.dvClipWidth;
    draw.fViewportScale[1] = static_cast<float>(vp.dwX) - vp.dvClipX * draw.fViewportScale[0];
    draw.fViewportScale[2] = -static_cast<float>(vp.dwHeight) / vp.dvClipHeight;
    draw.fViewportScale[3] = static_cast<float>(vp.dwY) - vp.dvClipY * draw.fViewportScale[2];
    draw.fZScale = vp.dvMaxZ - vp.dvMinZ;
    draw.fZOffset = vp.dvMinZ;
    if (draw.fZScale == 0 && draw.fZOffset == 0)
        draw.fZScale = 1; // a viewport record left with both depths zero means the whole range

    SRasterTexture texture;
    const bool bUseTexture = m_pTexture && UsesTexture();
    if (bUseTexture)
    {
        HoldForDrawing(m_pTexture);
        texture.pTexels = m_pTexture->GetTexels32();
        texture.nWidth = static_cast<int>(m_pTexture->GetWidth());
        texture.nHeight = static_cast<int>(m_pTexture->GetHeight());
        texture.bOpaque = !m_pTexture->GetLayout().HasAlpha();
    }
    m_rasterizer.SetTexture(texture);

    SRasterState state;
    const auto filter = [&](D3DTEXTURESTAGESTATETYPE eType)
    {
        if (!bUseTexture)
            return TEXFILTER_NONE;
        return m_aStageStates[eType] == D3DTFG_LINEAR ? TEXFILTER_LINEAR : TEXFILTER_POINT;
    };
    state.eMagFilter = filter(D3DTSS_MAGFILTER);
    state.eMinFilter = filter(D3DTSS_MINFILTER);
    state.eZFunc = static_cast<D3DCMPFUNC>(m_aRenderStates[D3DRENDERSTATE_ZFUNC]);
    state.bZWrite = m_aRenderStates[D3DRENDERSTATE_ZWRITEENABLE] != FALSE;
    state.bSpecular = m_aRenderStates[D3DRENDERSTATE_SPECULARENABLE] != FALSE;
    state.bBlend = m_aRenderStates[D3DRENDERSTATE_ALPHABLENDENABLE] != FALSE;
    state.eSrcBlend = static_cast<D3DBLEND>(m_aRenderStates[D3DRENDERSTATE_SRCBLEND]);
    state.eDestBlend = static_cast<D3DBLEND>(m_aRenderStates[D3DRENDERSTATE_DESTBLEND]);
    m_rasterizer.SetState(state);
    return true;
}

void CDirect3DDevice::SetUpQueued(CWorkerPool* pPool)
{
    if (m_aDraws.empty() && m_aRowPieces.empty())
        return;
    if (m_aClip.size() < m_nVertices)
    {
        m_aClip.resize(m_nVertices);
        m_aOutcodes.resize(m_nVertices);
        m_aProjected.resize(m_nVertices);
    }
    // Each vertex and each job's batch is written by one job alone, so the results do not depend on which
    // thread runs which job: the frame is the one a single thread draws.
    const auto run = [](CWorkerPool* p, std::size_t nJobs, const auto& fnJob)
    {
        if (p == nullptr)
            for (std::size_t i = 0; i < nJobs; ++i)
                fnJob(i);
        else
            p->Run(static_cast<int>(nJobs), [&](int i) { fnJob(static_cast<std::size_t>(i)); });
    };
    // The row work's preparations come after the vertex jobs in the same round.
    const std::size_t nVertexJobs = m_aVertexJobs.size();
    m_aJobLights.resize(nVertexJobs);
    run(m_nVertices >= MIN_PARALLEL_VERTICES || m_aRowPieces.size() > 1 ? pPool : nullptr,
        nVertexJobs + m_aRowPieces.size(),
        [this, nVertexJobs](std::size_t i)
        {
            if (i >= nVertexJobs)
            {
                const SRowPiece& piece = m_aRowPieces[i - nVertexJobs];
                piece.pWork->PrepareRows(piece.nPiece);
                return;
            }
            const SVertexJob& job = m_aVertexJobs[i];
            if (!KeepsLastResults(i))
                m_aJobLights[i] = TransformVertices(m_aDraws[job.nDraw], job.dwBegin, job.dwEnd);
        });
    std::size_t nTriangles = 0;
    for (const STriangleJob& job : m_aTriangleJobs)
        nTriangles += job.dwTriangles;
    run(nTriangles >= MIN_PARALLEL_TRIANGLES ? pPool : nullptr, m_aTriangleJobs.size(),
        [this](std::size_t i)
        {
            const STriangleJob& job = m_aTriangleJobs[i];
            for (std::uint32_t k = job.nFirstPiece; k < job.nFirstPiece + job.nPieces; ++k)
            {
                const STrianglePiece& piece = m_aPieces[k];
                SetUpTriangles(job.nBatch, m_aDraws[piece.nDraw], piece.dwBegin, piece.dwEnd);
            }
        });
    // What the vertex jobs worked from is kept for the next flush to compare with.
    m_last.aDraws.swap(m_aDraws);
    m_last.aLighting.swap(m_aLighting);
    m_last.aLitLights.swap(m_aLitLights);
    m_last.aVertexBytes.swap(m_aVertexBytes);
    m_last.aVertexJobs.swap(m_aVertexJobs);
    m_last.aJobLights.swap(m_aJobLights);
    m_aDraws.clear();
    m_aLighting.clear();
    m_aLitLights.clear();
    m_aVertexBytes.clear();
    m_aIndices.clear();
    m_aVertexJobs.clear();
    m_aPieces.clear();
    m_aTriangleJobs.clear();
    m_nVertices = 0;
}

bool CDirect3DDevice::KeepsLastResults(std::size_t nJob)
{
    if (nJob >= m_last.aVertexJobs.size())
        return false;
    const SVertexJob& job = m_aVertexJobs[nJob];
    const SVertexJob& lastJob = m_last.aVertexJobs[nJob];
    const SQueuedDraw& draw = m_aDraws[job.nDraw];
    const SQueuedDraw& last = m_last.aDraws[lastJob.nDraw];
    // The results stay where the last flush wrote them: only a job over the same slots finds its own.
    if (job.dwBegin != lastJob.dwBegin || job.dwEnd != lastJob.dwEnd || draw.nFirstVertex != last.nFirstVertex ||
        !draw.TransformsAs(last))
        return false;
    const std::size_t nStride = draw.bTransformed ? sizeof(D3DTLVERTEX) : VERTEX_BYTES;
    if (std::memcmp(m_aVertexBytes.data() + draw.nVertexBytes + job.dwBegin * nStride,
                    m_last.aVertexBytes.data() + last.nVertexBytes + job.dwBegin * nStride,
                    (job.dwEnd - job.dwBegin) * nStride) != 0)
        return false;
    if (draw.bLit)
    {
        const SLightingSetup& now = m_aLighting[draw.nLighting];
        const SLightingSetup& then = m_last.aLighting[last.nLighting];
        if (!now.MaterialAs(then))
            return false;
        const LightMask nReached = m_last.aJobLights[nJob];
        for (std::uint32_t k = 0; k < now.nLights; ++k)
        {
            const SLitLight& a = m_aLitLights[now.nFirstLight + k];
            const SLitLight& b = m_last.aLitLights[then.nFirstLight + k];
            // A light whose range reached none of the vertices, of the same kind, place and range, reaches none
            // now: what else of it changed (a flickering lamp's colour) adds nothing to them.
            const bool bReached = k >= LIGHT_MASK_BITS || ((nReached >> k) & 1) != 0;
            if (!SameBits(a, b) &&
                (bReached || a.light.dltType != b.light.dltType || !SameBits(a.light.dvPosition, b.light.dvPosition) ||
                 !SameBits(a.light.dvRange, b.light.dvRange)))
                return false;
        }
    }
    m_aJobLights[nJob] = m_last.aJobLights[nJob];
    return true;
}

// ---------------------------------------------------------------------------------------------------------------------
// Vertex processing: transform, light, outcodes
// ---------------------------------------------------------------------------------------------------------------------

std::uint32_t CDirect3DDevice::AddLighting()
{
    SLightingSetup s;
    D3DMATERIAL mat;
    // Without a material the device lights as if with a white one, so unlit set-ups still show.
    mat.diffuse = mat.ambient = D3DCOLORVALUE{1, 1, 1, 1};
    if (m_dwMaterialHandle > 0 && m_dwMaterialHandle <= m_aMaterials.size())
        if (const MaterialPtr p = m_aMaterials[m_dwMaterialHandle - 1].lock())
            mat = p->GetData();
    float amb[3];
    UnpackColor(m_dwAmbient, amb, false);
    s.base = ColorRgb(mat.emissive) + Mul(SVec3{amb[0], amb[1], amb[2]} * (1.0f / 255.0f), ColorRgb(mat.ambient));
    s.matDiffuse = ColorRgb(mat.diffuse);
    s.fAlpha = mat.diffuse.a;
    s.matSpecular = ColorRgb(mat.specular);
    s.fPower = mat.power;
    s.eye = EyeFromView(m_aTransforms[D3DTRANSFORMSTATE_VIEW - 1]);
    const D3DMATRIX& world = m_aTransforms[D3DTRANSFORMSTATE_WORLD - 1];
    const SVec3 objectOrigin{world.m[3][0], world.m[3][1], world.m[3][2]};
    s.bSpecular = m_aRenderStates[D3DRENDERSTATE_SPECULARENABLE] != FALSE;
    s.nFirstLight = static_cast<std::uint32_t>(m_aLitLights.size());
    for (const LightPtr& pLight : m_pCurrentViewport->GetLights())
    {
        const D3DLIGHT2& l = pLight->GetData();
        if (!(l.dwFlags & D3DLIGHT_ACTIVE))
            continue;
        SLitLight lit;
        lit.light = l;
        lit.color = ColorRgb(l.dcvColor);
        if (l.dltType == D3DLIGHT_DIRECTIONAL)
            lit.shape.L = Normalize(ToVec(l.dvDirection) * -1.0f);
        else if (l.dltType == D3DLIGHT_PARALLELPOINT)
            lit.shape.L = Normalize(ToVec(l.dvPosition) - objectOrigin);
        else if (l.dltType == D3DLIGHT_SPOT)
        {
            lit.shape.spotDir = Normalize(ToVec(l.dvDirection));
            lit.shape.fCosInner = std::cos(l.dvTheta * 0.5f);
            lit.shape.fCosOuter = std::cos(l.dvPhi * 0.5f);
        }
        m_aLitLights.push_back(lit);
    }
    s.nLights = static_cast<std::uint32_t>(m_aLitLights.size()) - s.nFirstLight;
    m_aLighting.push_back(s);
    return static_cast<std::uint32_t>(m_aLighting.size() - 1);
}

namespace
{
/// Four points or directions, one per lane. Every operation does in each lane what the scalar SVec3 operation
/// does, in the same order, so that four vertices lit at once get the bits one vertex lit alone would.
struct SVec3x4
{
    __m128 x, y, z;
};
SVec3x4 Splat(SVec3 a) { return {_mm_set1_ps(a.x), _mm_set1_ps(a.y), _mm_set1_ps(a.z)}; }
SVec3x4 operator-(const SVec3x4& a, const SVec3x4& b)
{
    return {_mm_sub_ps(a.x, b.x), _mm_sub_ps(a.y, b.y), _mm_sub_ps(a.z, b.z)};
}
SVec3x4 operator+(const SVec3x4& a, const SVec3x4& b)
{
    return {_mm_add_ps(a.x, b.x), _mm_add_ps(a.y, b.y), _mm_add_ps(a.z, b.z)};
}
SVec3x4 operator*(const SVec3x4& a, __m128 f) { return {_mm_mul_ps(a.x, f), _mm_mul_ps(a.y, f), _mm_mul_ps(a.z, f)}; }
__m128 Dot(const SVec3x4& a, const SVec3x4& b)
{
    return _mm_add_ps(_mm_add_ps(_mm_mul_ps(a.x, b.x), _mm_mul_ps(a.y, b.y)), _mm_mul_ps(a.z, b.z));
}
/// Lanes of a where mask is set, else of b.
__m128 Select(__m128 mask, __m128 a, __m128 b) { return _mm_or_ps(_mm_and_ps(mask, a), _mm_andnot_ps(mask, b)); }
SVec3x4 Select(__m128 mask, const SVec3x4& a, const SVec3x4& b)
{
    return {Select(mask, a.x, b.x), Select(mask, a.y, b.y), Select(mask, a.z, b.z)};
}
SVec3x4 Normalize(const SVec3x4& a)
{
    const __m128 l = _mm_sqrt_ps(Dot(a, a));
    return Select(_mm_cmpgt_ps(l, _mm_setzero_ps()), a * _mm_div_ps(_mm_set1_ps(1.0f), l), a);
}
/// Rows as in the Direct3D layout; bTranslate: a point (w = 1), else a direction.
SVec3x4 Transform(const D3DMATRIX& m, const SVec3x4& p, bool bTranslate)
{
    const auto row = [&](int j)
    {
        const __m128 v =
            _mm_add_ps(_mm_add_ps(_mm_mul_ps(p.x, _mm_set1_ps(m.m[0][j])), _mm_mul_ps(p.y, _mm_set1_ps(m.m[1][j]))),
                       _mm_mul_ps(p.z, _mm_set1_ps(m.m[2][j])));
        return bTranslate ? _mm_add_ps(v, _mm_set1_ps(m.m[3][j])) : v;
    };
    return {row(0), row(1), row(2)};
}
/// std::pow lane by lane where mask is set (0 elsewhere): the library's results, whatever the lanes.
__m128 PowWhere(__m128 mask, __m128 base, float fExponent)
{
    alignas(16) float aBase[4], aOut[4] = {};
    _mm_store_ps(aBase, base);
    const int nMask = _mm_movemask_ps(mask);
    for (int i = 0; i < 4; ++i)
        if ((nMask >> i) & 1)
            aOut[i] = std::pow(aBase[i], fExponent);
    return _mm_load_ps(aOut);
}

/// The factor of one light at four points (attenuation times spot cone; 0 out of reach); the unit direction to
/// the light goes to L. bInRange: whether one of the points is within the light's range (always, when unlimited).
__m128 LightFactor(const D3DLIGHT2& l, const SLightShape& lit, const SVec3x4& p, SVec3x4& L, bool& bInRange)
{
    const __m128 zero = _mm_setzero_ps(), one = _mm_set1_ps(1.0f), tiny = _mm_set1_ps(1e-6f);
    bInRange = true;
    if (l.dltType == D3DLIGHT_DIRECTIONAL || l.dltType == D3DLIGHT_PARALLELPOINT)
    {
        L = Splat(lit.L);
        return one;
    }
    const SVec3x4 toLight = Splat(ToVec(l.dvPosition)) - p;
    const __m128 d = _mm_sqrt_ps(Dot(toLight, toLight));
    __m128 reached = _mm_cmpeq_ps(zero, zero);
    if (l.dvRange > 0)
    {
        reached = _mm_cmpngt_ps(d, _mm_set1_ps(l.dvRange));
        bInRange = _mm_movemask_ps(reached) != 0;
    }
    L = Select(_mm_cmpgt_ps(d, zero), toLight * _mm_div_ps(one, d), SVec3x4{zero, zero, zero});
    // a0 + a1 d + a2 d d, added up as written.
    const __m128 denom =
        _mm_add_ps(_mm_add_ps(_mm_set1_ps(l.dvAttenuation0), _mm_mul_ps(_mm_set1_ps(l.dvAttenuation1), d)),
                   _mm_mul_ps(_mm_mul_ps(_mm_set1_ps(l.dvAttenuation2), d), d));
    __m128 f = _mm_min_ps(_mm_div_ps(one, _mm_max_ps(denom, tiny)), one);
    if (l.dltType == D3DLIGHT_SPOT)
    {
        const __m128 cosA = Dot(L * _mm_set1_ps(-1.0f), Splat(lit.spotDir));
        reached = _mm_and_ps(reached, _mm_cmpnle_ps(cosA, _mm_set1_ps(lit.fCosOuter)));
        const __m128 penumbra = _mm_cmplt_ps(cosA, _mm_set1_ps(lit.fCosInner));
        const __m128 t = _mm_div_ps(_mm_sub_ps(cosA, _mm_set1_ps(lit.fCosOuter)),
                                    _mm_max_ps(_mm_set1_ps(lit.fCosInner - lit.fCosOuter), tiny));
        const __m128 fall = l.dvFalloff == 1.0f ? t : PowWhere(_mm_and_ps(reached, penumbra), t, l.dvFalloff);
        f = Select(penumbra, _mm_mul_ps(f, fall), f);
    }
    return _mm_and_ps(reached, f);
}
} // namespace

CDirect3DDevice::LightMask CDirect3DDevice::LightFour(const SLightingSetup& light, const D3DMATRIX& world,
                                                      const D3DVERTEX* pVertices, float aColors[4][7]) const
{
    const auto lanes = [&](auto member)
    { return _mm_setr_ps(pVertices[0].*member, pVertices[1].*member, pVertices[2].*member, pVertices[3].*member); };
    const SVec3x4 wp = Transform(world, {lanes(&D3DVERTEX::x), lanes(&D3DVERTEX::y), lanes(&D3DVERTEX::z)}, true);
    const SVec3x4 n =
        Normalize(Transform(world, {lanes(&D3DVERTEX::nx), lanes(&D3DVERTEX::ny), lanes(&D3DVERTEX::nz)}, false));
    const __m128 zero = _mm_setzero_ps();
    SVec3x4 diffuse = Splat(light.base), specular{zero, zero, zero};
    const bool bHighlights = light.bSpecular && light.fPower > 0;
    const SVec3x4 toEye = bHighlights ? Normalize(Splat(light.eye) - wp) : SVec3x4{zero, zero, zero};
    LightMask nReach = 0;
    for (std::uint32_t k = 0; k < light.nLights; ++k)
    {
        const SLitLight& lit = m_aLitLights[light.nFirstLight + k];
        SVec3x4 L;
        bool bInRange = true;
        const __m128 f = LightFactor(lit.light, lit.shape, wp, L, bInRange);
        if (bInRange && k < LIGHT_MASK_BITS)
            nReach |= LightMask{1} << k;
        const __m128 nl = Dot(n, L);
        // A light adds nothing where it does not reach or lights the back: f <= 0 or nl <= 0 skip it.
        const __m128 lit4 = _mm_and_ps(_mm_cmpnle_ps(f, zero), _mm_cmpnle_ps(nl, zero));
        if (_mm_movemask_ps(lit4) == 0)
            continue;
        const SVec3x4 lc = Splat(lit.color) * f;
        const SVec3x4 lcDiffuse{_mm_mul_ps(lc.x, _mm_set1_ps(light.matDiffuse.x)),
                                _mm_mul_ps(lc.y, _mm_set1_ps(light.matDiffuse.y)),
                                _mm_mul_ps(lc.z, _mm_set1_ps(light.matDiffuse.z))};
        diffuse = Select(lit4, diffuse + lcDiffuse * nl, diffuse);
        if (!bHighlights)
            continue;
        const __m128 nh = Dot(n, Normalize(L + toEye));
        const __m128 shine = _mm_and_ps(lit4, _mm_cmpgt_ps(nh, zero));
        if (_mm_movemask_ps(shine) == 0)
            continue;
        const SVec3x4 lcSpecular{_mm_mul_ps(lc.x, _mm_set1_ps(light.matSpecular.x)),
                                 _mm_mul_ps(lc.y, _mm_set1_ps(light.matSpecular.y)),
                                 _mm_mul_ps(lc.z, _mm_set1_ps(light.matSpecular.z))};
        specular = Select(shine, specular + lcSpecular * PowWhere(shine, nh, light.fPower), specular);
    }
    alignas(16) float aChannels[7][4];
    const __m128 aLanes[7] = {diffuse.x,  diffuse.y,  diffuse.z, _mm_set1_ps(light.fAlpha),
                              specular.x, specular.y, specular.z};
    for (int k = 0; k < 7; ++k)
        _mm_store_ps(aChannels[k], aLanes[k]);
    for (int i = 0; i < 4; ++i)
        for (int k = 0; k < 7; ++k)
            aColors[i][k] = std::clamp(aChannels[k][i], 0.0f, 1.0f) * 255.0f;
    return nReach;
}

CDirect3DDevice::LightMask CDirect3DDevice::TransformVertices(const SQueuedDraw& draw, DWORD dwBegin, DWORD dwEnd)
{
    const BYTE* pVertices = m_aVertexBytes.data() + draw.nVertexBytes;
    SClipVertex* pClip = m_aClip.data() + draw.nFirstVertex;
    BYTE* pOutcodes = m_aOutcodes.data() + draw.nFirstVertex;
    SRasterVertex* pProjected = m_aProjected.data() + draw.nFirstVertex;
    if (draw.bTransformed)
    {
        for (DWORD i = dwBegin; i < dwEnd; ++i)
        {
            D3DTLVERTEX v;
            std::memcpy(&v, pVertices + i * sizeof(D3DTLVERTEX), sizeof(v));
            SRasterVertex& r = pProjected[i];
            r.x = v.sx;
            r.y = v.sy;
            r.z = v.sz;
            r.rhw = v.rhw > 0 ? v.rhw : 1.0f;
            r.u = v.tu;
            r.v = v.tv;
            UnpackColor(v.color, r.c, true);
            UnpackColor(v.specular, r.c + 4, false);
            if (draw.bWhite)
                r.c[0] = r.c[1] = r.c[2] = 255.0f;
            pOutcodes[i] = 0;
        }
        return 0;
    }

    const D3DMATRIX& clip = draw.clip;
    float aGroupColors[4][7];
    LightMask nReach = 0;
    for (DWORD i = dwBegin; i < dwEnd; ++i)
    {
        const BYTE* p = pVertices + i * VERTEX_BYTES;
        SClipVertex& o = pClip[i];
        SVec3 pos;
        if (draw.dwFvf == D3DFVF_VERTEX)
        {
            D3DVERTEX v;
            std::memcpy(&v, p, sizeof(v));
            pos = {v.x, v.y, v.z};
            o.u = v.tu;
            o.v = v.tv;
            if (draw.bLit)
            {
                // Lit four at a time: the group's first vertex lights the group (the last group is padded with
                // its own last vertex). Each lane is lit on its own, so the groups' bounds change nothing.
                if ((i - dwBegin) % 4 == 0)
                {
                    D3DVERTEX aGroup[4];
                    for (DWORD j = 0; j < 4; ++j)
                        std::memcpy(&aGroup[j], pVertices + std::min(i + j, dwEnd - 1) * VERTEX_BYTES,
                                    sizeof(D3DVERTEX));
                    nReach |= LightFour(m_aLighting[draw.nLighting], draw.world, aGroup, aGroupColors);
                }
                std::copy(aGroupColors[(i - dwBegin) % 4], aGroupColors[(i - dwBegin) % 4] + 7, o.c);
            }
            else
            {
                for (int k = 0; k < 4; ++k)
                    o.c[k] = 255.0f;
                o.c[4] = o.c[5] = o.c[6] = 0;
            }
        }
        else
        {
            D3DLVERTEX v;
            std::memcpy(&v, p, sizeof(v));
            pos = {v.x, v.y, v.z};
            o.u = v.tu;
            o.v = v.tv;
            UnpackColor(v.color, o.c, true);
            UnpackColor(v.specular, o.c + 4, false);
        }
        if (draw.bWhite)
            o.c[0] = o.c[1] = o.c[2] = 255.0f;

        const SVec3 cp = TransformPoint(clip, pos);
        o.x = cp.x;
        o.y = cp.y;
        o.z = cp.z;
        o.w = pos.x * clip.m[0][3] + pos.y * clip.m[1][3] + pos.z * clip.m[2][3] + clip.m[3][3];
        const float g = GUARD_BAND * o.w;
        BYTE code = 0;
        code |= o.z < 0 ? OUT_NEAR : 0;
        code |= o.z > o.w ? OUT_FAR : 0;
        code |= o.x < -g ? OUT_LEFT : 0;
        code |= o.x > g ? OUT_RIGHT : 0;
        code |= o.y < -g ? OUT_BOTTOM : 0;
        code |= o.y > g ? OUT_TOP : 0;
        pOutcodes[i] = code;
        if (code == 0)
            ProjectVertex(draw, o, pProjected[i]);
    }
    return nReach;
}

void CDirect3DDevice::ProjectVertex(const SQueuedDraw& draw, const SClipVertex& in, SRasterVertex& out)
{
    const float rhw = 1.0f / in.w;
    out.x = in.x * rhw * draw.fViewportScale[0] + draw.fViewportScale[1];
    out.y = in.y * rhw * draw.fViewportScale[2] + draw.fViewportScale[3];
    out.z = in.z * rhw * draw.fZScale + draw.fZOffset;
    out.rhw = rhw;
    out.u = in.u;
    out.v = in.v;
    std::copy(in.c, in.c + 7, out.c);
}

// ---------------------------------------------------------------------------------------------------------------------
// Triangles: cull, clip, rasterize
// ---------------------------------------------------------------------------------------------------------------------

bool CDirect3DDevice::IsCulled(const SQueuedDraw& draw, float fArea2)
{
    // Screen y grows downwards, so a positive doubled area is a clockwise triangle on screen.
    if (draw.dwCull == D3DCULL_CCW)
        return fArea2 < 0;
    if (draw.dwCull == D3DCULL_CW)
        return fArea2 > 0;
    return false;
}

void CDirect3DDevice::SetUpTriangles(int nBatch, const SQueuedDraw& draw, DWORD dwBegin, DWORD dwEnd)
{
    const auto index = [&](DWORD k) { return draw.Index(m_aIndices, k); };
    for (DWORD k = dwBegin; k < dwEnd; ++k)
    {
        if (draw.bList)
            DrawTriangle(nBatch, draw, index(3 * k), index(3 * k + 1), index(3 * k + 2));
        else if (k % 2 == 0)
            DrawTriangle(nBatch, draw, index(k), index(k + 1), index(k + 2));
        else // every second triangle of a strip is listed the other way round; swapping two keeps one winding
            DrawTriangle(nBatch, draw, index(k + 1), index(k), index(k + 2));
    }
}

void CDirect3DDevice::DrawTriangle(int nBatch, const SQueuedDraw& draw, DWORD i0, DWORD i1, DWORD i2)
{
    const BYTE* pOutcodes = m_aOutcodes.data() + draw.nFirstVertex;
    const BYTE c0 = pOutcodes[i0], c1 = pOutcodes[i1], c2 = pOutcodes[i2];
    if (c0 & c1 & c2)
        return; // wholly outside one plane
    if ((c0 | c1 | c2) == 0)
    {
        const SRasterVertex* pProjected = m_aProjected.data() + draw.nFirstVertex;
        const SRasterVertex& a = pProjected[i0];
        const SRasterVertex& b = pProjected[i1];
        const SRasterVertex& c = pProjected[i2];
        if (!IsCulled(draw, (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y)))
            m_rasterizer.DrawTriangle(nBatch, a, b, c);
        return;
    }
    const SClipVertex* pClip = m_aClip.data() + draw.nFirstVertex;
    const SClipVertex* in[3] = {&pClip[i0], &pClip[i1], &pClip[i2]};
    DrawClipped(nBatch, draw, in);
}

void CDirect3DDevice::DrawClipped(int nBatch, const SQueuedDraw& draw, const SClipVertex* pIn[3])
{
    // Sutherland-Hodgman against the planes a vertex is outside of; each plane adds at most one vertex.
    constexpr int MAX_POLY = 3 + 6;
    SClipVertex aBuf[2][MAX_POLY];
    int n = 3;
    for (int i = 0; i < 3; ++i)
        aBuf[0][i] = *pIn[i];
    int cur = 0;
    // Signed distance to each plane, positive inside.
    const auto dist = [](const SClipVertex& v, int plane)
    {
        switch (plane)
        {
        case 0:
            return v.z;
        case 1:
            return v.w - v.z;
        case 2:
            return v.x + GUARD_BAND * v.w;
        case 3:
            return GUARD_BAND * v.w - v.x;
        case 4:
            return v.y + GUARD_BAND * v.w;
        default:
            return GUARD_BAND * v.w - v.y;
        }
    };
    for (int plane = 0; plane < 6 && n >= 3; ++plane)
    {
        const SClipVertex* src = aBuf[cur];
        SClipVertex* dst = aBuf[cur ^ 1];
        int m = 0;
        for (int i = 0; i < n; ++i)
        {
            const SClipVertex& a = src[i];
            const SClipVertex& b = src[(i + 1) % n];
            const float da = dist(a, plane), db = dist(b, plane);
            if (da >= 0)
                dst[m++] = a;
            if ((da >= 0) != (db >= 0))
            {
                // Every attribute is linear in clip space, so one parameter serves them all.
                const float t = da / (da - db);
                const auto lerp = [t](float fa, float fb) { return fa + (fb - fa) * t; };
                SClipVertex& o = dst[m++];
                o.x = lerp(a.x, b.x);
                o.y = lerp(a.y, b.y);
                o.z = lerp(a.z, b.z);
                o.w = lerp(a.w, b.w);
                o.u = lerp(a.u, b.u);
                o.v = lerp(a.v, b.v);
                for (int k = 0; k < 7; ++k)
                    o.c[k] = lerp(a.c[k], b.c[k]);
            }
        }
        n = m;
        cur ^= 1;
    }
    if (n < 3)
        return;
    SRasterVertex aOut[MAX_POLY];
    for (int i = 0; i < n; ++i)
    {
        if (!(aBuf[cur][i].w > 0))
            return;
        ProjectVertex(draw, aBuf[cur][i], aOut[i]);
    }
    // The polygon is convex and flat: its shoelace area gives the winding of every fan triangle.
    float fArea2 = 0;
    for (int i = 0; i < n; ++i)
    {
        const SRasterVertex& a = aOut[i];
        const SRasterVertex& b = aOut[(i + 1) % n];
        fArea2 += a.x * b.y - b.x * a.y;
    }
    if (IsCulled(draw, fArea2))
        return;
    for (int i = 1; i + 1 < n; ++i)
        m_rasterizer.DrawTriangle(nBatch, aOut[0], aOut[i], aOut[i + 1]);
}
