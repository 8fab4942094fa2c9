#include "ui/SurfaceDC.h"

CSurfaceDC::CSurfaceDC(const CDirect3DDevice* pDevice)
{
    if (pDevice == nullptr || pDevice->GetRenderTarget() == nullptr)
        return;
    SurfacePtr pSurface = pDevice->GetRenderTarget();
    if (pSurface->GetDC(&m_hDC) != DD_OK)
    {
        m_hDC = nullptr;
        return;
    }
    m_pSurface = std::move(pSurface);
}

void CSurfaceDC::Release()
{
    if (m_hDC != nullptr)
        m_pSurface->ReleaseDC(m_hDC);
    m_hDC = nullptr;
    m_pSurface.reset();
}
