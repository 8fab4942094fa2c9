#include "ui/SoftSpot.h"

#include "ui/Widget.h"

#include <bit>
#include <cmath>

SurfacePtr g_pSoftSpotTexture;

namespace
{
/// Format flags never taken for the blob (palettes of fewer bits, luminance, bump maps and the like).
constexpr DWORD SKIPPED_FORMAT_FLAGS = 0xE2086;
constexpr int FEW_ALPHA_BITS = 3;

struct SChoice
{
    DDPIXELFORMAT best16;
    DDPIXELFORMAT best32;
    int nBits16 = 0;
    int nBits32 = 0;
};

HRESULT KeepFormat(DDPIXELFORMAT* pFormat, void* pContext)
{
    auto& choice = *static_cast<SChoice*>(pContext);
    const DDPIXELFORMAT& f = *pFormat;
    if ((f.dwFlags & SKIPPED_FORMAT_FLAGS) != 0 || (f.dwFlags & DDPF_RGB) == 0 || (f.dwFlags & DDPF_ALPHAPIXELS) == 0)
        return D3DENUMRET_OK;
    const int nBits = std::popcount(f.dwRGBAlphaBitMask);
    if (f.dwRGBBitCount == 16 && nBits > choice.nBits16)
    {
        choice.best16 = f;
        choice.nBits16 = nBits;
    }
    if (f.dwRGBBitCount == 32 && nBits > choice.nBits32)
    {
        choice.best32 = f;
        choice.nBits32 = nBits;
    }
    return D3DENUMRET_OK;
}

/// The format with alpha to use, or none (dwRGBBitCount 0). The device has no palettes with alpha,
/// so the palettized choice of older devices never arises.
DDPIXELFORMAT ChooseFormat(const CDirect3DDevice& device)
{
    SChoice choice;
    device.EnumTextureFormats(&KeepFormat, &choice);
    if (choice.nBits16 >= FEW_ALPHA_BITS)
        return choice.best16;
    if (choice.nBits32 >= FEW_ALPHA_BITS)
        return choice.best32;
    return choice.nBits16 > 0 ? choice.best16 : choice.best32;
}

/// A white pixel of the format with the given alpha (0-255) in its alpha bits.
DWORD WhitePixel(const DDPIXELFORMAT& f, BYTE nAlpha)
{
    const DWORD dwMask = f.dwRGBAlphaBitMask;
    DWORD v = nAlpha;
    if (std::popcount(dwMask) > 1)
        v = v * 3 / 4;
    // The value's top bit goes to the mask's top bit.
    const int nShift = (31 - std::countl_zero(dwMask)) - 7;
    const DWORD dwAlpha = (nShift >= 0 ? v << nShift : v >> -nShift) & dwMask;
    const DWORD dwAll = f.dwRGBBitCount >= 32 ? 0xFFFFFFFFu : (1u << f.dwRGBBitCount) - 1;
    return dwAlpha | (dwAll & ~dwMask);
}
} // namespace

BYTE SoftSpotAlpha(DWORD x, DWORD y)
{
    // One quadrant, mirrored: the distance of the pixel's centre from the texture's centre.
    constexpr double HALF = SOFT_SPOT_SIDE / 2.0;
    const double dx = (x + 0.5) - HALF, dy = (y + 0.5) - HALF;
    const double r2 = (dx * dx + dy * dy) / (HALF * HALF);
    if (r2 >= 1.0)
        return 0;
    const double fall = 1.0 - r2;
    return static_cast<BYTE>(std::lround(254.0 * fall * fall));
}

BOOL CreateSoftSpotTexture()
{
    if (g_pSoftSpotTexture != nullptr)
        return TRUE;
    const SWidgetFrame frame = GetWidgetFrame();
    if (frame.pDevice == nullptr)
        return TRUE;
    const DDPIXELFORMAT f = ChooseFormat(*frame.pDevice);
    if (f.dwRGBBitCount != 16 && f.dwRGBBitCount != 32)
        return TRUE;
    SurfacePtr p = CDirectDrawSurface::Create(SOFT_SPOT_SIDE, SOFT_SPOT_SIDE, f, DDSCAPS_TEXTURE);
    DDSURFACEDESC2 desc;
    if (p == nullptr || p->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) != DD_OK)
        return TRUE;
    for (DWORD y = 0; y < SOFT_SPOT_SIDE; ++y)
    {
        BYTE* pRow = static_cast<BYTE*>(desc.lpSurface) + static_cast<std::ptrdiff_t>(y) * desc.lPitch;
        for (DWORD x = 0; x < SOFT_SPOT_SIDE; ++x)
        {
            const DWORD v = WhitePixel(f, SoftSpotAlpha(x, y));
            if (f.dwRGBBitCount == 32)
                reinterpret_cast<DWORD*>(pRow)[x] = v;
            else
                reinterpret_cast<WORD*>(pRow)[x] = static_cast<WORD>(v);
        }
    }
    p->Unlock(nullptr);
    g_pSoftSpotTexture = std::move(p);
    return TRUE;
}

void ReleaseSoftSpotTexture() { g_pSoftSpotTexture.reset(); }
