#include "platform/dx/Surface.h"

#include "platform/dx/WorkerPool.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <emmintrin.h>
#include <thread>
#include <utility>

namespace
{
/// Largest side a surface may have; keeps every byte offset inside 32 bits.
constexpr DWORD MAX_SURFACE_SIDE = 16384;

RECT FullRect(const CDirectDrawSurface& s)
{
    return RECT{0, 0, static_cast<LONG>(s.GetWidth()), static_cast<LONG>(s.GetHeight())};
}

bool IsEmpty(const RECT& rc) { return rc.right <= rc.left || rc.bottom <= rc.top; }
/// Fills nBytes from p with a pattern that repeats every 4 bytes, 16 bytes a store: the compiler leaves a typed
/// fill of the clear's pixels one store a pixel.
void FillPattern(BYTE* p, size_t nBytes, DWORD dwPattern)
{
    const __m128i v = _mm_set1_epi32(static_cast<int>(dwPattern));
    size_t i = 0;
    for (; i + sizeof(v) <= nBytes; i += sizeof(v))
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i), v);
    alignas(16) BYTE aTail[sizeof(v)];
    _mm_store_si128(reinterpret_cast<__m128i*>(aTail), v);
    std::memcpy(p + i, aTail, nBytes - i);
}
} // namespace

DDPIXELFORMAT MakeRgbPixelFormat(DWORD dwBits)
{
    DDPIXELFORMAT ddpf;
    ddpf.dwSize = DDPIXELFORMAT_SIZE;
    ddpf.dwFlags = DDPF_RGB;
    ddpf.dwRGBBitCount = dwBits;
    if (dwBits == 16)
    {
        ddpf.dwRBitMask = 0xF800;
        ddpf.dwGBitMask = 0x07E0;
        ddpf.dwBBitMask = 0x001F;
    }
    else
    {
        ddpf.dwRBitMask = 0xFF0000;
        ddpf.dwGBitMask = 0x00FF00;
        ddpf.dwBBitMask = 0x0000FF;
    }
    return ddpf;
}

DDPIXELFORMAT MakeArgbPixelFormat() { return MakePixelFormat(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000); }

DDPIXELFORMAT MakePixelFormat(DWORD dwBits, DWORD dwRMask, DWORD dwGMask, DWORD dwBMask, DWORD dwAMask)
{
    DDPIXELFORMAT ddpf;
    ddpf.dwSize = DDPIXELFORMAT_SIZE;
    ddpf.dwFlags = DDPF_RGB | (dwAMask ? DDPF_ALPHAPIXELS : 0);
    ddpf.dwRGBBitCount = dwBits;
    ddpf.dwRBitMask = dwRMask;
    ddpf.dwGBitMask = dwGMask;
    ddpf.dwBBitMask = dwBMask;
    ddpf.dwRGBAlphaBitMask = dwAMask;
    return ddpf;
}

DDPIXELFORMAT MakeZBufferPixelFormat(DWORD dwBits)
{
    DDPIXELFORMAT ddpf;
    ddpf.dwSize = DDPIXELFORMAT_SIZE;
    ddpf.dwFlags = DDPF_ZBUFFER;
    ddpf.dwRGBBitCount = dwBits;
    ddpf.dwRBitMask = dwBits >= 32 ? 0xFFFFFFFF : ((1u << dwBits) - 1);
    return ddpf;
}

SurfacePtr CDirectDrawSurface::Create(DWORD dwWidth, DWORD dwHeight, const DDPIXELFORMAT& ddpf, DWORD dwCaps)
{
    const DWORD dwBits = ddpf.dwRGBBitCount;
    if (dwWidth == 0 || dwHeight == 0 || dwWidth > MAX_SURFACE_SIDE || dwHeight > MAX_SURFACE_SIDE ||
        !CPixelLayout::IsSupported(ddpf))
        return nullptr;
    SurfacePtr p(new CDirectDrawSurface());
    if (!(ddpf.dwFlags & DDPF_ZBUFFER))
        CPixelLayout::Describe(ddpf, &p->m_layout);
    p->m_dwWidth = dwWidth;
    p->m_dwHeight = dwHeight;
    p->m_dwCaps = dwCaps;
    p->m_ddpf = ddpf;
    p->m_ddpf.dwSize = DDPIXELFORMAT_SIZE;
    p->m_lPitch = static_cast<LONG>(dwWidth * (dwBits / 8));
    p->m_aBytes.assign(static_cast<size_t>(p->m_lPitch) * dwHeight, 0);
    return p;
}

// ---------------------------------------------------------------------------------------------------------------------
// Lock and description
// ---------------------------------------------------------------------------------------------------------------------

HRESULT CDirectDrawSurface::Lock(const RECT* pRect, DDSURFACEDESC2* pDesc, DWORD /*dwFlags*/, void* /*hEvent*/)
{
    if (pDesc == nullptr)
        return DDERR_INVALIDPARAMS;
    if (m_bLost)
        return DDERR_SURFACELOST;
    if (m_bLocked)
        return DDERR_SURFACEBUSY;
    FinishPendingDrawing();
    RECT rc = pRect ? *pRect : FullRect(*this);
    if (rc.left < 0 || rc.top < 0 || rc.right > static_cast<LONG>(m_dwWidth) ||
        rc.bottom > static_cast<LONG>(m_dwHeight) || IsEmpty(rc))
        return DDERR_INVALIDRECT;
    GetSurfaceDesc(pDesc);
    pDesc->lpSurface = m_aBytes.data() + static_cast<size_t>(rc.top) * m_lPitch +
                       static_cast<size_t>(rc.left) * (m_ddpf.dwRGBBitCount / 8);
    m_bLocked = true;
    return DD_OK;
}

HRESULT CDirectDrawSurface::Unlock(const RECT* /*pRect*/)
{
    if (!m_bLocked)
        return DDERR_NOTLOCKED;
    m_bLocked = false;
    Changed();
    return DD_OK;
}

HRESULT CDirectDrawSurface::GetSurfaceDesc(DDSURFACEDESC2* pDesc) const
{
    if (pDesc == nullptr)
        return DDERR_INVALIDPARAMS;
    *pDesc = DDSURFACEDESC2{};
    pDesc->dwSize = DDSURFACEDESC2_SIZE;
    pDesc->dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT;
    pDesc->dwWidth = m_dwWidth;
    pDesc->dwHeight = m_dwHeight;
    pDesc->lPitch = m_lPitch;
    pDesc->ddpfPixelFormat = m_ddpf;
    pDesc->ddsCaps.dwCaps = m_dwCaps;
    if (m_bHasSrcKey)
    {
        pDesc->dwFlags |= DDSD_CKSRCBLT;
        pDesc->ddckCKSrcBlt = m_ckSrc;
    }
    return DD_OK;
}

CDirectDrawSurface::~CDirectDrawSurface()
{
    if (m_hDC != nullptr)
        DeleteDC(m_hDC);
}

HRESULT CDirectDrawSurface::GetDC(HDC* phDC)
{
    if (phDC == nullptr)
        return DDERR_INVALIDPARAMS;
    *phDC = nullptr;
    if (m_bLost)
        return DDERR_SURFACELOST;
    if (m_bLocked)
        return DDERR_SURFACEBUSY;
    // GDI draws on 8-8-8 and 5-6-5 pixels; other layouts (1-5-5-5, 4-4-4-4 textures) have no context.
    const DWORD dwBits = m_ddpf.dwRGBBitCount;
    const bool bXrgb =
        dwBits == 32 && m_ddpf.dwRBitMask == 0xFF0000 && m_ddpf.dwGBitMask == 0xFF00 && m_ddpf.dwBBitMask == 0xFF;
    const bool b565 =
        dwBits == 16 && m_ddpf.dwRBitMask == 0xF800 && m_ddpf.dwGBitMask == 0x07E0 && m_ddpf.dwBBitMask == 0x001F;
    if ((m_ddpf.dwFlags & DDPF_RGB) == 0 || (!bXrgb && !b565))
        return DDERR_CANTCREATEDC;
    FinishPendingDrawing();
    const SGdiPixels pixels{m_aBytes.data(), static_cast<LONG>(m_dwWidth), static_cast<LONG>(m_dwHeight), m_lPitch,
                            dwBits == 32 ? EGdiPixelFormat::Xrgb32 : EGdiPixelFormat::Rgb565};
    m_hDC = CreatePixelsDC(pixels);
    if (m_hDC == nullptr)
        return DDERR_CANTCREATEDC;
    m_bLocked = true;
    *phDC = m_hDC;
    return DD_OK;
}

HRESULT CDirectDrawSurface::ReleaseDC(HDC hDC)
{
    if (hDC == nullptr || hDC != m_hDC)
        return DDERR_NODC;
    DeleteDC(m_hDC);
    m_hDC = nullptr;
    m_bLocked = false;
    Changed();
    return DD_OK;
}

HRESULT CDirectDrawSurface::Restore()
{
    m_bLost = false;
    return DD_OK;
}

void CDirectDrawSurface::SetPendingDrawing(IPendingDrawing* pDrawing)
{
    if (m_pPending != pDrawing)
        FinishPendingDrawing();
    m_pPending = pDrawing;
}

void CDirectDrawSurface::FinishPendingDrawing() const
{
    // Cleared before the call: the drawing ends its claim on every surface it holds, this one included.
    if (IPendingDrawing* p = std::exchange(m_pPending, nullptr))
        p->FinishDrawing();
}

void CDirectDrawSurface::Changed()
{
    ++m_nChangeCount;
    if (m_pOutput != nullptr)
        m_pOutput->Show(*this);
}

// ---------------------------------------------------------------------------------------------------------------------
// Pixel access and conversion
// ---------------------------------------------------------------------------------------------------------------------

DWORD CDirectDrawSurface::ReadRaw(DWORD x, DWORD y) const
{
    const BYTE* p = m_aBytes.data() + static_cast<size_t>(y) * m_lPitch;
    if (m_ddpf.dwRGBBitCount == 16)
    {
        WORD w;
        std::memcpy(&w, p + x * 2, 2);
        return w;
    }
    DWORD d;
    std::memcpy(&d, p + x * 4, 4);
    return d;
}

void CDirectDrawSurface::WriteRaw(DWORD x, DWORD y, DWORD dwValue)
{
    BYTE* p = m_aBytes.data() + static_cast<size_t>(y) * m_lPitch;
    if (m_ddpf.dwRGBBitCount == 16)
    {
        const WORD w = static_cast<WORD>(dwValue);
        std::memcpy(p + x * 2, &w, 2);
    }
    else
        std::memcpy(p + x * 4, &dwValue, 4);
}

DWORD CDirectDrawSurface::RawToXrgb(DWORD dwRaw) const
{
    if (m_ddpf.dwFlags & DDPF_ZBUFFER)
        return dwRaw;
    return m_layout.ToArgb(dwRaw) & 0x00FFFFFF;
}

DWORD CDirectDrawSurface::XrgbToRaw(DWORD dwXrgb) const
{
    // A surface with an alpha channel keeps it opaque when written from a colour without one.
    return m_layout.FromArgb(dwXrgb | 0xFF000000);
}

DWORD CDirectDrawSurface::GetPixelXrgb(DWORD x, DWORD y) const
{
    if (x >= m_dwWidth || y >= m_dwHeight)
        return 0;
    FinishPendingDrawing();
    return RawToXrgb(ReadRaw(x, y));
}

const DWORD* CDirectDrawSurface::GetTexels32()
{
    if (m_layout.IsXrgb8888())
        return reinterpret_cast<const DWORD*>(m_aBytes.data());
    if (m_nTexelsVersion != m_nChangeCount || m_aTexels32.empty())
    {
        m_aTexels32.resize(static_cast<size_t>(m_dwWidth) * m_dwHeight);
        const CRowDecoder decoder(m_layout);
        for (DWORD y = 0; y < m_dwHeight; ++y)
            decoder.Row(m_aBytes.data() + static_cast<size_t>(y) * m_lPitch,
                        m_aTexels32.data() + static_cast<size_t>(y) * m_dwWidth, static_cast<int>(m_dwWidth));
        m_nTexelsVersion = m_nChangeCount;
    }
    return m_aTexels32.data();
}

// ---------------------------------------------------------------------------------------------------------------------
// Blits
// ---------------------------------------------------------------------------------------------------------------------

bool CDirectDrawSurface::ClipToSurface(RECT& rc) const
{
    rc.left = std::max<LONG>(rc.left, 0);
    rc.top = std::max<LONG>(rc.top, 0);
    rc.right = std::min<LONG>(rc.right, static_cast<LONG>(m_dwWidth));
    rc.bottom = std::min<LONG>(rc.bottom, static_cast<LONG>(m_dwHeight));
    return !IsEmpty(rc);
}

bool CDirectDrawSurface::IsKeyed(DWORD dwXrgb) const
{
    const DWORD lo = RawToXrgb(m_ckSrc.dwColorSpaceLowValue);
    const DWORD hi = RawToXrgb(m_ckSrc.dwColorSpaceHighValue);
    for (int shift = 0; shift < 24; shift += 8)
    {
        const DWORD c = (dwXrgb >> shift) & 0xFF;
        if (c < ((lo >> shift) & 0xFF) || c > ((hi >> shift) & 0xFF))
            return false;
    }
    return true;
}

void CDirectDrawSurface::FillRows(const RECT& rc, LONG nTop, LONG nBottom, DWORD dwRaw)
{
    // Clears run every frame over the whole target: fill rows in wide stores rather than pixel by pixel.
    const bool b16 = m_ddpf.dwRGBBitCount == 16;
    const size_t nPixelBytes = b16 ? 2 : 4;
    const DWORD dwPattern = b16 ? (dwRaw & 0xFFFF) * 0x10001u : dwRaw;
    const size_t nBytes = static_cast<size_t>(rc.right - rc.left) * nPixelBytes;
    for (LONG y = std::max(rc.top, nTop); y < std::min(rc.bottom, nBottom); ++y)
        FillPattern(m_aBytes.data() + static_cast<size_t>(y) * m_lPitch + static_cast<size_t>(rc.left) * nPixelBytes,
                    nBytes, dwPattern);
}

HRESULT CDirectDrawSurface::ColorFill(const RECT* pRect, DWORD dwRaw, CWorkerPool* pPool)
{
    // Rows per job, and the least area worth waking the threads for.
    constexpr LONG BAND_ROWS = 16;
    constexpr LONG MIN_PARALLEL_PIXELS = 65536;
    if (m_bLost)
        return DDERR_SURFACELOST;
    if (m_bLocked)
        return DDERR_SURFACEBUSY;
    FinishPendingDrawing();
    RECT rc = pRect ? *pRect : FullRect(*this);
    if (ClipToSurface(rc))
    {
        const LONG nRows = rc.bottom - rc.top;
        if (pPool == nullptr || nRows * (rc.right - rc.left) < MIN_PARALLEL_PIXELS)
            FillRows(rc, rc.top, rc.bottom, dwRaw);
        else
            pPool->Run(static_cast<int>((nRows + BAND_ROWS - 1) / BAND_ROWS),
                       [&](int i)
                       {
                           const LONG nTop = rc.top + i * BAND_ROWS;
                           FillRows(rc, nTop, nTop + BAND_ROWS, dwRaw);
                       });
    }
    Changed();
    return DD_OK;
}

HRESULT CDirectDrawSurface::PrepareDeferredFill(RECT& rc)
{
    if (m_bLost)
        return DDERR_SURFACELOST;
    if (m_bLocked)
        return DDERR_SURFACEBUSY;
    if (!ClipToSurface(rc))
        rc = RECT{0, 0, 0, 0};
    ++m_nChangeCount;
    return DD_OK;
}

void CDirectDrawSurface::CopyKeyed32(const RECT& rcDest, const CDirectDrawSurface& src, const RECT& rcSrc)
{
    // The overlays of every frame (widgets, panels) come this way: the key's channel bounds are
    // taken once and each row is walked four pixels at a time, the rest as words.
    const DWORD lo = src.RawToXrgb(src.m_ckSrc.dwColorSpaceLowValue);
    const DWORD hi = src.RawToXrgb(src.m_ckSrc.dwColorSpaceHighValue);
    const auto inside = [lo, hi](DWORD c, int nShift)
    {
        const DWORD v = (c >> nShift) & 0xFF;
        return v >= ((lo >> nShift) & 0xFF) && v <= ((hi >> nShift) & 0xFF);
    };
    // A channel byte lies in the key's range when neither saturated difference, low - v nor v - high, is above
    // zero; a pixel is keyed when its blue, green and red bytes all do (the top byte is no channel).
    const __m128i vLo = _mm_set1_epi32(static_cast<int>(lo)), vHi = _mm_set1_epi32(static_cast<int>(hi));
    const __m128i vChannels = _mm_set1_epi32(0x00FFFFFF);
    const auto keyedFour = [&](__m128i c)
    {
        const __m128i out = _mm_or_si128(_mm_subs_epu8(vLo, c), _mm_subs_epu8(c, vHi));
        return _mm_cmpeq_epi32(_mm_and_si128(out, vChannels), _mm_setzero_si128());
    };
    const LONG dw = rcDest.right - rcDest.left;
    for (LONG y = 0; y < rcDest.bottom - rcDest.top; ++y)
    {
        const auto* pFrom =
            reinterpret_cast<const DWORD*>(src.m_aBytes.data() + static_cast<size_t>(rcSrc.top + y) * src.m_lPitch) +
            rcSrc.left;
        auto* pTo =
            reinterpret_cast<DWORD*>(m_aBytes.data() + static_cast<size_t>(rcDest.top + y) * m_lPitch) + rcDest.left;
        LONG x = 0;
        for (; x + 4 <= dw; x += 4)
        {
            const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pFrom + x));
            const __m128i keyed = keyedFour(c);
            const int nKeyed = _mm_movemask_ps(_mm_castsi128_ps(keyed));
            if (nKeyed == 0xF)
                continue;
            auto* pFour = reinterpret_cast<__m128i*>(pTo + x);
            // Keyed pixels keep what is there; the surfaces are two, so the rows do not overlap.
            _mm_storeu_si128(pFour, nKeyed == 0 ? c
                                                : _mm_or_si128(_mm_and_si128(keyed, _mm_loadu_si128(pFour)),
                                                               _mm_andnot_si128(keyed, c)));
        }
        for (; x < dw; ++x)
        {
            const DWORD c = pFrom[x];
            if (!(inside(c, 0) && inside(c, 8) && inside(c, 16)))
                pTo[x] = c;
        }
    }
}

void CDirectDrawSurface::CopyRect(const RECT& rcDest, const CDirectDrawSurface& src, const RECT& rcSrc, bool bKeyed)
{
    const LONG dw = rcDest.right - rcDest.left;
    const LONG dh = rcDest.bottom - rcDest.top;
    const LONG sw = rcSrc.right - rcSrc.left;
    const LONG sh = rcSrc.bottom - rcSrc.top;
    const DDPIXELFORMAT& a = src.m_ddpf;
    const bool bSameFormat = a.dwRGBBitCount == m_ddpf.dwRGBBitCount && a.dwRBitMask == m_ddpf.dwRBitMask &&
                             a.dwGBitMask == m_ddpf.dwGBitMask && a.dwBBitMask == m_ddpf.dwBBitMask &&
                             a.dwRGBAlphaBitMask == m_ddpf.dwRGBAlphaBitMask;
    if (!bKeyed && bSameFormat && dw == sw && dh == sh && &src != this)
    {
        const size_t nBpp = m_ddpf.dwRGBBitCount / 8;
        for (LONG y = 0; y < dh; ++y)
            std::memcpy(m_aBytes.data() + static_cast<size_t>(rcDest.top + y) * m_lPitch + rcDest.left * nBpp,
                        src.m_aBytes.data() + static_cast<size_t>(rcSrc.top + y) * src.m_lPitch + rcSrc.left * nBpp,
                        static_cast<size_t>(dw) * nBpp);
        return;
    }
    if (bKeyed && bSameFormat && dw == sw && dh == sh && &src != this && m_ddpf.dwRGBBitCount == 32)
    {
        CopyKeyed32(rcDest, src, rcSrc);
        return;
    }
    // Nearest pixel: destination pixel centre mapped back into the source rectangle.
    for (LONG y = 0; y < dh; ++y)
    {
        const LONG sy = rcSrc.top + static_cast<LONG>((static_cast<std::int64_t>(2 * y + 1) * sh) / (2 * dh));
        for (LONG x = 0; x < dw; ++x)
        {
            const LONG sx = rcSrc.left + static_cast<LONG>((static_cast<std::int64_t>(2 * x + 1) * sw) / (2 * dw));
            const DWORD xrgb = src.RawToXrgb(src.ReadRaw(static_cast<DWORD>(sx), static_cast<DWORD>(sy)));
            if (bKeyed && src.IsKeyed(xrgb))
                continue;
            const DWORD raw =
                bSameFormat ? src.ReadRaw(static_cast<DWORD>(sx), static_cast<DWORD>(sy)) : XrgbToRaw(xrgb);
            WriteRaw(static_cast<DWORD>(rcDest.left + x), static_cast<DWORD>(rcDest.top + y), raw);
        }
    }
}

HRESULT CDirectDrawSurface::Blt(const RECT* pDestRect, CDirectDrawSurface* pSrc, const RECT* pSrcRect, DWORD dwFlags,
                                const DDBLTFX* pFx)
{
    if (m_bLost || (pSrc != nullptr && pSrc->m_bLost))
        return DDERR_SURFACELOST;
    if (m_bLocked || (pSrc != nullptr && pSrc->m_bLocked))
        return DDERR_SURFACEBUSY;
    FinishPendingDrawing();
    if (pSrc != nullptr)
        pSrc->FinishPendingDrawing();
    RECT rcDest = pDestRect ? *pDestRect : FullRect(*this);
    if (dwFlags & DDBLT_COLORFILL)
    {
        if (pFx == nullptr)
            return DDERR_INVALIDPARAMS;
        return ColorFill(&rcDest, pFx->dwFillColor, nullptr);
    }
    if (pSrc == nullptr)
        return DDERR_INVALIDPARAMS;
    const bool bKeyed = (dwFlags & DDBLT_KEYSRC) != 0;
    if (bKeyed && !pSrc->m_bHasSrcKey)
        return DDERR_NOCOLORKEY;
    RECT rcSrc = pSrcRect ? *pSrcRect : FullRect(*pSrc);
    if (IsEmpty(rcDest) || IsEmpty(rcSrc) || rcSrc.left < 0 || rcSrc.top < 0 ||
        rcSrc.right > static_cast<LONG>(pSrc->m_dwWidth) || rcSrc.bottom > static_cast<LONG>(pSrc->m_dwHeight))
        return DDERR_INVALIDRECT;
    const bool bStretch = (rcDest.right - rcDest.left) != (rcSrc.right - rcSrc.left) ||
                          (rcDest.bottom - rcDest.top) != (rcSrc.bottom - rcSrc.top);
    if (bStretch)
    {
        // A stretch must land wholly on the surface: clipping it would change its scale.
        RECT rcClipped = rcDest;
        if (!ClipToSurface(rcClipped) || !(rcClipped == rcDest))
            return DDERR_INVALIDRECT;
    }
    else
    {
        // An unscaled copy is clipped to the destination, moving the source corner with it.
        const RECT rcWanted = rcDest;
        if (!ClipToSurface(rcDest))
            return DD_OK;
        rcSrc.left += rcDest.left - rcWanted.left;
        rcSrc.top += rcDest.top - rcWanted.top;
        rcSrc.right = rcSrc.left + (rcDest.right - rcDest.left);
        rcSrc.bottom = rcSrc.top + (rcDest.bottom - rcDest.top);
    }
    CopyRect(rcDest, *pSrc, rcSrc, bKeyed);
    Changed();
    return DD_OK;
}

HRESULT CDirectDrawSurface::BltFast(DWORD dwX, DWORD dwY, CDirectDrawSurface* pSrc, const RECT* pSrcRect, DWORD dwTrans)
{
    if (pSrc == nullptr)
        return DDERR_INVALIDPARAMS;
    const RECT rcSrc = pSrcRect ? *pSrcRect : FullRect(*pSrc);
    const RECT rcDest{static_cast<LONG>(dwX), static_cast<LONG>(dwY),
                      static_cast<LONG>(dwX) + (rcSrc.right - rcSrc.left),
                      static_cast<LONG>(dwY) + (rcSrc.bottom - rcSrc.top)};
    return Blt(&rcDest, pSrc, &rcSrc, (dwTrans & DDBLTFAST_SRCCOLORKEY) ? DDBLT_KEYSRC : 0, nullptr);
}

HRESULT CDirectDrawSurface::SetColorKey(DWORD dwFlags, const DDCOLORKEY* pKey)
{
    if (!(dwFlags & DDCKEY_SRCBLT))
        return DDERR_INVALIDPARAMS;
    m_bHasSrcKey = pKey != nullptr;
    if (pKey != nullptr)
        m_ckSrc = *pKey;
    return DD_OK;
}

HRESULT CDirectDrawSurface::GetColorKey(DWORD dwFlags, DDCOLORKEY* pKey) const
{
    if (!(dwFlags & DDCKEY_SRCBLT) || pKey == nullptr)
        return DDERR_INVALIDPARAMS;
    if (!m_bHasSrcKey)
        return DDERR_NOCOLORKEY;
    *pKey = m_ckSrc;
    return DD_OK;
}

// ---------------------------------------------------------------------------------------------------------------------
// Flipping chain and attachments
// ---------------------------------------------------------------------------------------------------------------------

HRESULT CDirectDrawSurface::Flip(CDirectDrawSurface* /*pTargetOverride*/, DWORD dwFlags)
{
    if (m_pBackBuffer == nullptr)
        return DDERR_INVALIDPARAMS;
    if (m_bLost || m_pBackBuffer->m_bLost)
        return DDERR_SURFACELOST;
    if ((dwFlags & DDFLIP_WAIT) != 0 && m_dwRefreshHz > 0)
        WaitForNextRefresh();
    FinishPendingDrawing();
    m_pBackBuffer->FinishPendingDrawing();
    // Both surfaces have the same size and format: swapping the pixel stores is the flip.
    m_aBytes.swap(m_pBackBuffer->m_aBytes);
    ++m_pBackBuffer->m_nChangeCount;
    Changed();
    return DD_OK;
}

void CDirectDrawSurface::WaitForNextRefresh()
{
    // The display's refreshes are counted on the monotonic clock at the refresh rate: the flip shows in
    // the first refresh after the last flip's, sleeping until it begins.
    using namespace std::chrono;
    const auto refreshOf = [this](steady_clock::time_point t)
    {
        return static_cast<std::uint64_t>(duration_cast<nanoseconds>(t.time_since_epoch()).count()) * m_dwRefreshHz /
               1'000'000'000ull;
    };
    std::uint64_t nNow = refreshOf(steady_clock::now());
    if (nNow <= m_nLastFlipRefresh)
    {
        const auto next =
            steady_clock::time_point(nanoseconds((m_nLastFlipRefresh + 1) * 1'000'000'000ull / m_dwRefreshHz + 1));
        std::this_thread::sleep_until(next);
        nNow = std::max<std::uint64_t>(refreshOf(steady_clock::now()), m_nLastFlipRefresh + 1);
    }
    m_nLastFlipRefresh = nNow;
}

HRESULT CDirectDrawSurface::GetAttachedSurface(const DDSCAPS2* pCaps, SurfacePtr* ppSurface) const
{
    if (pCaps == nullptr || ppSurface == nullptr)
        return DDERR_INVALIDPARAMS;
    if ((pCaps->dwCaps & DDSCAPS_BACKBUFFER) && m_pBackBuffer)
        *ppSurface = m_pBackBuffer;
    else if ((pCaps->dwCaps & DDSCAPS_ZBUFFER) && m_pZBuffer)
        *ppSurface = m_pZBuffer;
    else
        return DDERR_NOTFOUND;
    return DD_OK;
}

HRESULT CDirectDrawSurface::AddAttachedSurface(const SurfacePtr& pSurface)
{
    if (pSurface == nullptr || pSurface.get() == this)
        return DDERR_INVALIDPARAMS;
    if (pSurface->GetWidth() != m_dwWidth || pSurface->GetHeight() != m_dwHeight)
        return DDERR_INVALIDPARAMS;
    if (pSurface->m_dwCaps & DDSCAPS_ZBUFFER)
    {
        if (!(pSurface->m_ddpf.dwFlags & DDPF_ZBUFFER))
            return DDERR_INVALIDPIXELFORMAT;
        m_pZBuffer = pSurface;
    }
    else if (pSurface->GetBitsPerPixel() == GetBitsPerPixel())
        m_pBackBuffer = pSurface;
    else
        return DDERR_INVALIDPARAMS;
    return DD_OK;
}

HRESULT CDirectDrawSurface::DeleteAttachedSurface(DWORD /*dwFlags*/, CDirectDrawSurface* pSurface)
{
    if (pSurface == nullptr || pSurface == m_pZBuffer.get())
        m_pZBuffer.reset();
    if (pSurface == nullptr || pSurface == m_pBackBuffer.get())
        m_pBackBuffer.reset();
    return DD_OK;
}
