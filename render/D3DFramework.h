// Owns every DirectDraw and Direct3D object of the main window: the DirectDraw object, the front and back
// buffers, the render target, the z-buffer, the Direct3D object, the device and its viewport. Creates them for
// the chosen driver, device and mode, windowed or full screen, shows each frame and releases them in order.
#pragma once

#include "platform/dx/DirectDraw.h"

inline constexpr HRESULT D3DFWERR_INITIALIZATIONFAILED = static_cast<HRESULT>(0x82000000u);
inline constexpr HRESULT D3DFWERR_NODIRECTDRAW = static_cast<HRESULT>(0x82000001u);
inline constexpr HRESULT D3DFWERR_COULDNTSETCOOPLEVEL = static_cast<HRESULT>(0x82000002u);
inline constexpr HRESULT D3DFWERR_NODIRECT3D = static_cast<HRESULT>(0x82000003u);
inline constexpr HRESULT D3DFWERR_NO3DDEVICE = static_cast<HRESULT>(0x82000004u);
inline constexpr HRESULT D3DFWERR_NOZBUFFER = static_cast<HRESULT>(0x82000005u);
inline constexpr HRESULT D3DFWERR_NOVIEWPORT = static_cast<HRESULT>(0x82000006u);
inline constexpr HRESULT D3DFWERR_NOPRIMARY = static_cast<HRESULT>(0x82000007u);
inline constexpr HRESULT D3DFWERR_NOCLIPPER = static_cast<HRESULT>(0x82000008u);
inline constexpr HRESULT D3DFWERR_BADDISPLAYMODE = static_cast<HRESULT>(0x82000009u);
inline constexpr HRESULT D3DFWERR_NOBACKBUFFER = static_cast<HRESULT>(0x8200000Au);
inline constexpr HRESULT D3DFWERR_NONZEROREFCOUNT = static_cast<HRESULT>(0x8200000Bu);
inline constexpr HRESULT D3DFWERR_NORENDERTARGET = static_cast<HRESULT>(0x8200000Cu);
inline constexpr HRESULT D3DFWERR_INVALIDMODE = static_cast<HRESULT>(0x8200000Du);
inline constexpr HRESULT D3DFWERR_NOFRONTBUFFER = static_cast<HRESULT>(0x8200000Eu);

/// Creation flags of Initialize.
inline constexpr DWORD D3DFW_FULLSCREEN = 0x1;
inline constexpr DWORD D3DFW_BACKBUFFER = 0x2;
inline constexpr DWORD D3DFW_ZBUFFER = 0x4;
inline constexpr DWORD D3DFW_STENCILBUFFER = 0x8;
inline constexpr DWORD D3DFW_NO_FPUSETUP = 0x10;

class CD3DFramework
{
public:
    CD3DFramework() = default;
    ~CD3DFramework() { DestroyObjects(); }
    CD3DFramework(const CD3DFramework&) = delete;
    CD3DFramework& operator=(const CD3DFramework&) = delete;

    /// The two settings read here ("Triple Buffer", "Wait flip"); the first is switched off when it cannot be
    /// had. Unbound: no triple buffering, wait for the flip.
    void BindSettings(BOOL* pbTripleBuffer, const BOOL* pbWaitFlip)
    {
        m_pbTripleBuffer = pbTripleBuffer;
        m_pbWaitFlip = pbWaitFlip;
    }

    HRESULT Initialize(HWND hWnd, const GUID* pDriverGuid, const GUID* pDeviceGuid, const DDSURFACEDESC2* pMode,
                       DWORD dwFlags);
    HRESULT DestroyObjects();
    HRESULT ShowFrame();
    HRESULT RestoreSurfaces();
    HRESULT FlipToGDISurface(BOOL bDrawFrame);
    void Move(LONG x, LONG y);

    CDirect3DDevice* GetD3DDevice() const { return m_pd3dDevice.get(); }
    const ViewportPtr& GetViewport() const { return m_pvViewport; }
    CDirectDraw* GetDirectDraw() const { return m_pDD.get(); }
    const SurfacePtr& GetFrontBuffer() const { return m_pddsFrontBuffer; }
    const SurfacePtr& GetBackBuffer() const { return m_pddsBackBuffer; }
    const SurfacePtr& GetRenderTarget() const { return m_pRenderTarget; }
    const Direct3DPtr& GetDirect3D() const { return m_pD3D; }
    RECT* GetViewportRect() { return &m_rcViewportRect; }
    DWORD GetDeviceMemType() const { return m_dwDeviceMemType; }
    /// The chosen device's description (its hardware one, or its emulation one for a software device).
    const D3DDEVICEDESC& GetDeviceDesc() const { return m_ddDeviceDesc; }
    BOOL IsFullscreen() const { return m_bIsFullscreen; }
    DWORD GetRenderWidth() const { return m_dwRenderWidth; }
    DWORD GetRenderHeight() const { return m_dwRenderHeight; }
    const RECT& GetScreenRect() const { return m_rcScreenRect; }
    const SurfacePtr& GetZBuffer() const { return m_pddsZBuffer; }

    /// Zero-fills a surface description and sets its size, flags, caps and pixel-format size.
    static void InitSurfaceDesc(DDSURFACEDESC2& desc, DWORD dwFlags, DWORD dwCaps);
    /// A viewport of the given size over the whole clip volume: x from -1, y from 1, 2 wide and high, z 0..1.
    static void InitViewport(D3DVIEWPORT2& vp, DWORD dwWidth, DWORD dwHeight);

private:
    HRESULT CreateDirectDraw(const GUID* pDriverGuid);
    HRESULT FindDeviceAndZFormat(const GUID* pDeviceGuid, DWORD dwFlags);
    HRESULT SetCooperativeLevel(DWORD dwFlags);
    HRESULT CreateFullscreenBuffers(const DDSURFACEDESC2* pMode, DWORD dwFlags);
    HRESULT CreateWindowedBuffers(DWORD dwFlags);
    HRESULT CreateZBuffer(DWORD dwFlags);
    HRESULT CreateDevice(const GUID* pDeviceGuid);
    HRESULT CreateViewport();
    bool TripleBufferWanted() const { return m_pbTripleBuffer != nullptr && *m_pbTripleBuffer; }
    void SwitchTripleBufferOff()
    {
        if (m_pbTripleBuffer != nullptr)
            *m_pbTripleBuffer = FALSE;
    }

    HWND m_hWnd = nullptr;
    BOOL m_bIsFullscreen = FALSE;
    DWORD m_dwRenderWidth = 0;  // pixels
    DWORD m_dwRenderHeight = 0; // pixels
    RECT m_rcScreenRect;        // screen coordinates
    RECT m_rcViewportRect;
    SurfacePtr m_pddsFrontBuffer;
    SurfacePtr m_pddsBackBuffer;
    SurfacePtr m_pRenderTarget;
    SurfacePtr m_pddsZBuffer;
    std::shared_ptr<CDirect3DDevice> m_pd3dDevice;
    ViewportPtr m_pvViewport;
    DirectDrawPtr m_pDD;
    Direct3DPtr m_pD3D;
    D3DDEVICEDESC m_ddDeviceDesc;
    DWORD m_dwDeviceMemType = 0;
    DDPIXELFORMAT m_ddpfZBuffer;
    BOOL* m_pbTripleBuffer = nullptr;
    const BOOL* m_pbWaitFlip = nullptr;
};

// The main frame owns these two and defines them (app/FrameEnvironment.cpp); a program built
// without it defines its own (the tests' tests/fixtures/FrameGlobals.cpp).
/// The one framework, created and destroyed by the main frame's 3-D environment; main thread only.
extern CD3DFramework* g_pFramework;
/// Height in pixels of the panel strip at the bottom of the window, which the viewport leaves out; set by the
/// main frame, main thread only.
extern int g_nPanelHeight;
