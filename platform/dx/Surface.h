// DirectDraw surfaces held in memory: colour surfaces (16 and 32 bits, see PixelFormat.h) and depth buffers.
// Lock hands out the pixels with their pitch; blits copy, stretch, fill and honour a source colour key.
// A surface shown on screen (the primary) hands itself to its output after every change that is meant to show.
#pragma once

#include "platform/dx/DxTypes.h"
#include "platform/dx/PixelFormat.h"
#include "platform/win32/Gdi.h"

#include <cstdint>
#include <memory>
#include <vector>

class CDirectDrawSurface;
class CDirectDrawClipper;
class CWorkerPool;
using SurfacePtr = std::shared_ptr<CDirectDrawSurface>;

/// Drawing into surfaces that was queued and not done yet (the 3-D device draws a scene's triangles and clears in
/// one go at its end). A surface with pending drawing has it finished before its pixels are read, written or
/// swapped by anyone else.
class IPendingDrawing
{
public:
    virtual ~IPendingDrawing() = default;
    virtual void FinishDrawing() = 0;
};

/// Where a primary surface's pixels go to be seen: a window, or nothing at all when headless.
class ISurfaceOutput
{
public:
    virtual ~ISurfaceOutput() = default;
    /// Shows the surface's pixels; called on the thread that changed the surface.
    virtual void Show(const CDirectDrawSurface& surface) = 0;
};

class CDirectDrawSurface
{
public:
    /// A surface of the given size and format; null when the size is zero or too large to address, or the
    /// format is not one CPixelLayout accepts.
    static SurfacePtr Create(DWORD dwWidth, DWORD dwHeight, const DDPIXELFORMAT& ddpf, DWORD dwCaps);
    /// Ends a device context still handed out, so that it cannot outlive the pixels.
    ~CDirectDrawSurface();
    CDirectDrawSurface(const CDirectDrawSurface&) = delete;
    CDirectDrawSurface& operator=(const CDirectDrawSurface&) = delete;

    HRESULT Lock(const RECT* pRect, DDSURFACEDESC2* pDesc, DWORD dwFlags, void* hEvent);
    HRESULT Unlock(const RECT* pRect);
    HRESULT GetSurfaceDesc(DDSURFACEDESC2* pDesc) const;

    /// A GDI device context drawing on the pixels; the surface counts as locked until ReleaseDC.
    HRESULT GetDC(HDC* phDC);
    HRESULT ReleaseDC(HDC hDC);

    /// Copies (stretching with the nearest pixel when the sizes differ), fills with dwFillColor
    /// (DDBLT_COLORFILL) or copies only the pixels outside the source colour key (DDBLT_KEYSRC).
    HRESULT Blt(const RECT* pDestRect, CDirectDrawSurface* pSrc, const RECT* pSrcRect, DWORD dwFlags,
                const DDBLTFX* pFx);
    HRESULT BltFast(DWORD dwX, DWORD dwY, CDirectDrawSurface* pSrc, const RECT* pSrcRect, DWORD dwTrans);
    /// The colour-fill blit with a raw pixel value; a large rectangle's bands of rows are filled by the pool's
    /// threads when one is given (the device's clears of every frame).
    HRESULT ColorFill(const RECT* pRect, DWORD dwRaw, CWorkerPool* pPool);
    /// The key is a range: a pixel is transparent when every channel lies between the low and the high value's.
    HRESULT SetColorKey(DWORD dwFlags, const DDCOLORKEY* pKey);
    HRESULT GetColorKey(DWORD dwFlags, DDCOLORKEY* pKey) const;

    /// Flipping chain: the back buffer's pixels become visible and the old front pixels become the back buffer.
    /// With DDFLIP_WAIT and a refresh rate (a primary in a display mode) it waits for the display's next
    /// refresh after the one of the last flip, so that at most one frame is shown a refresh.
    HRESULT Flip(CDirectDrawSurface* pTargetOverride, DWORD dwFlags);
    /// The display's refreshes a second that a waiting flip keeps to; 0: none (it never waits).
    void SetRefreshRate(DWORD dwHz) { m_dwRefreshHz = dwHz; }
    /// The refresh (counted on the monotonic clock at the refresh rate) in which the last flip showed; 0
    /// before the first.
    std::uint64_t GetLastFlipRefresh() const { return m_nLastFlipRefresh; }
    HRESULT GetAttachedSurface(const DDSCAPS2* pCaps, SurfacePtr* ppSurface) const;
    HRESULT AddAttachedSurface(const SurfacePtr& pSurface);
    HRESULT DeleteAttachedSurface(DWORD dwFlags, CDirectDrawSurface* pSurface);

    /// Memory surfaces are never lost on their own; a test marks one lost to exercise the restore paths.
    /// While lost, Lock, Blt and Flip fail with DDERR_SURFACELOST, and Restore makes the surface usable again.
    HRESULT IsLost() const { return m_bLost ? DDERR_SURFACELOST : DD_OK; }
    HRESULT Restore();
    void MarkLost() { m_bLost = true; }

    /// The output a primary surface shows on; null for every other surface.
    void SetOutput(ISurfaceOutput* pOutput) { m_pOutput = pOutput; }
    /// Names the drawing queued for the surface, finishing another party's first; the party keeps the surface
    /// alive until it has drawn, and calls EndPendingDrawing then.
    void SetPendingDrawing(IPendingDrawing* pDrawing);
    void EndPendingDrawing(const IPendingDrawing* pDrawing)
    {
        if (m_pPending == pDrawing)
            m_pPending = nullptr;
    }
    /// Whether the surface shows itself on an output after each change.
    bool HasOutput() const { return m_pOutput != nullptr; }
    /// Checks that a fill done later by the pending drawing can go ahead and clips rc to the surface (empty when
    /// nothing is left); counts the change. DDERR_SURFACELOST or DDERR_SURFACEBUSY as ColorFill.
    HRESULT PrepareDeferredFill(RECT& rc);
    /// Fills the rows [nTop, nBottom) of rc with a raw pixel value (a deferred fill's share).
    void FillRows(const RECT& rc, LONG nTop, LONG nBottom, DWORD dwRaw);

    /// Keeps the clipper that names the primary's window; drawing is never clipped by it here.
    HRESULT SetClipper(std::shared_ptr<CDirectDrawClipper> pClipper)
    {
        m_pClipper = std::move(pClipper);
        return DD_OK;
    }

    // Direct access for the renderer and for tests, which read frames back. GetBits and GetPixelXrgb finish the
    // pending drawing first; GetDrawingBits is for the party whose drawing is pending.
    DWORD GetWidth() const { return m_dwWidth; }
    DWORD GetHeight() const { return m_dwHeight; }
    DWORD GetBitsPerPixel() const { return m_ddpf.dwRGBBitCount; }
    DWORD GetCaps() const { return m_dwCaps; }
    const DDPIXELFORMAT& GetPixelFormat() const { return m_ddpf; }
    /// How the channels of a colour surface's pixels lie (meaningless for a depth buffer).
    const CPixelLayout& GetLayout() const { return m_layout; }
    LONG GetPitch() const { return m_lPitch; }
    BYTE* GetBits()
    {
        FinishPendingDrawing();
        return m_aBytes.data();
    }
    const BYTE* GetBits() const
    {
        FinishPendingDrawing();
        return m_aBytes.data();
    }
    BYTE* GetDrawingBits() { return m_aBytes.data(); }
    /// One pixel as 0x00RRGGBB, whatever the surface's format.
    DWORD GetPixelXrgb(DWORD x, DWORD y) const;
    /// Counts changes of the pixels, so that a texture cache can tell when to convert again.
    std::uint32_t GetChangeCount() const { return m_nChangeCount; }
    /// The pixels as 32-bit texels, 0xAARRGGBB (the surface itself when it is 32-bit XRGB or ARGB, else a
    /// converted copy, made again after every change). Does not finish pending drawing: the device reads the
    /// texture it queued triangles with.
    const DWORD* GetTexels32();

private:
    void WaitForNextRefresh();
    CDirectDrawSurface() = default;
    bool ClipToSurface(RECT& rc) const;
    DWORD ReadRaw(DWORD x, DWORD y) const;
    void WriteRaw(DWORD x, DWORD y, DWORD dwValue);
    DWORD RawToXrgb(DWORD dwRaw) const;
    DWORD XrgbToRaw(DWORD dwXrgb) const;
    bool IsKeyed(DWORD dwXrgb) const;
    void CopyRect(const RECT& rcDest, const CDirectDrawSurface& src, const RECT& rcSrc, bool bKeyed);
    /// CopyRect for two 32-bit surfaces of one format and size, with the source's colour key.
    void CopyKeyed32(const RECT& rcDest, const CDirectDrawSurface& src, const RECT& rcSrc);
    void Changed();
    void FinishPendingDrawing() const;

    DWORD m_dwWidth = 0;
    DWORD m_dwHeight = 0;
    DWORD m_dwCaps = 0;
    DDPIXELFORMAT m_ddpf;
    CPixelLayout m_layout;
    LONG m_lPitch = 0; // bytes per row
    std::vector<BYTE> m_aBytes;
    bool m_bLocked = false;
    HDC m_hDC = nullptr; // the device context handed out, if any
    bool m_bLost = false;
    bool m_bHasSrcKey = false;
    DDCOLORKEY m_ckSrc;
    std::uint32_t m_nChangeCount = 0;
    std::vector<DWORD> m_aTexels32; // converted copy for 16-bit textures
    std::uint32_t m_nTexelsVersion = ~0u;
    SurfacePtr m_pBackBuffer; // attached back buffer of a flipping chain
    SurfacePtr m_pZBuffer;    // attached depth buffer
    ISurfaceOutput* m_pOutput = nullptr;
    DWORD m_dwRefreshHz = 0;
    std::uint64_t m_nLastFlipRefresh = 0;
    mutable IPendingDrawing* m_pPending = nullptr; // drawing queued into the pixels, or that reads them
    std::shared_ptr<CDirectDrawClipper> m_pClipper;
};
