// A device context on the render target, held for one painter's drawing: got from the device's
// current render target, released (context, then surface) when the holder goes.
#pragma once

#include "platform/dx/Device.h"

class CSurfaceDC
{
public:
    /// Both stay null when there is no device, no render target or no context to be had; the
    /// painter then draws nothing.
    explicit CSurfaceDC(const CDirect3DDevice* pDevice);
    ~CSurfaceDC() { Release(); }
    CSurfaceDC(const CSurfaceDC&) = delete;
    CSurfaceDC& operator=(const CSurfaceDC&) = delete;

    void Release();
    HDC GetDC() const { return m_hDC; }
    explicit operator bool() const { return m_hDC != nullptr; }

private:
    HDC m_hDC = nullptr;
    SurfacePtr m_pSurface;
};
