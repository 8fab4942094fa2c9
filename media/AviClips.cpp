#include "media/AviClips.h"

#include "foundation/GlobalOrder.h"
#include "platform/win32/Clock.h"
#include "render/TextureManager.h"

#include <cmath>

namespace
{

/// The scene's textures, from the texture manager.
class CSceneTextures final : public IClipTextures
{
public:
    SurfacePtr FindTextureSurface(CDirect3DDevice*, const CString& strTexture) override
    {
        return GetTextureSurface(strTexture);
    }
    void RestoreTexture(CDirect3DDevice* pDevice, const CString& strTexture) override
    {
        ::RestoreTexture(strTexture, pDevice);
    }
};

// The clip list of the scene and its texture source: touched by the main thread only (scene
// set-up, frames, release).
VORN_GLOBAL_ROW(GLOBAL_ROW_AVI_CLIPS) std::vector<std::unique_ptr<CAviClip>> s_clips;
VORN_GLOBAL_ROW(GLOBAL_ROW_AVI_CLIPS) CSceneTextures s_sceneTextures;
VORN_GLOBAL_ROW_BUILT(GLOBAL_ROW_AVI_CLIPS);
IClipTextures* s_pTextures = &s_sceneTextures;

double ElapsedSeconds(DWORD dwStartMs) { return static_cast<DWORD>(timeGetTime() - dwStartMs) / 1000.0; }

/// The frame number at a time: elapsed × rate / scale, truncated.
LONG FrameAt(const AVISTREAMINFOA& info, DWORD dwStartMs, double dSpeed)
{
    const double dFrame = ElapsedSeconds(dwStartMs) * info.dwRate / info.dwScale * dSpeed;
    return dFrame >= static_cast<double>(info.dwLength) ? static_cast<LONG>(info.dwLength)
                                                        : static_cast<LONG>(std::max(0.0, dFrame));
}

/// Opens the first video stream of a file and its frame getter; both null on failure.
bool OpenVideo(LPCSTR szPath, PAVISTREAM& pStream, PGETFRAME& pGetFrame, AVISTREAMINFOA& info)
{
    pGetFrame.reset();
    if (szPath == nullptr || AVIStreamOpenFromFileA(&pStream, szPath, streamtypeVIDEO, 0, OF_READ, nullptr) != 0)
        return false;
    pGetFrame = AVIStreamGetFrameOpen(pStream, nullptr);
    if (pGetFrame == nullptr || AVIStreamInfoA(pStream, &info, sizeof(info)) != 0)
    {
        pGetFrame.reset();
        AVIStreamRelease(pStream);
        return false;
    }
    return true;
}

WORD ReadU16(const BYTE* p) { return static_cast<WORD>(p[0] | p[1] << 8); }

/// One source pixel as 8-bit red, green and blue.
void SourceRgb(const BYTE* p, WORD nBits, BYTE& r, BYTE& g, BYTE& b)
{
    if (nBits == 24)
    {
        b = p[0];
        g = p[1];
        r = p[2];
        return;
    }
    const WORD v = ReadU16(p);
    r = static_cast<BYTE>((v >> 10 & 0x1F) << 3);
    g = static_cast<BYTE>((v >> 5 & 0x1F) << 3);
    b = static_cast<BYTE>((v & 0x1F) << 3);
}

/// A 16-bit source value in the surface's 16-bit form: 5-5-5 stays, 5-6-5 moves red and green
/// up by one bit; 24-bit pixels are cut to the form's bits.
WORD Pixel16(const BYTE* p, WORD nBits, bool b565)
{
    if (nBits == 16)
    {
        const WORD v = ReadU16(p) & 0x7FFF;
        return b565 ? static_cast<WORD>((v & 0x1F) | (v & 0x7FE0) << 1) : v;
    }
    const BYTE b = p[0];
    const BYTE g = p[1];
    const BYTE r = p[2];
    if (b565)
        return static_cast<WORD>((r & 0xF8) << 8 | (g & 0xFC) << 3 | b >> 3);
    return static_cast<WORD>((r & 0xF8) << 7 | (g & 0xF8) << 2 | b >> 3);
}

} // namespace

bool ConvertFrame(const BITMAPINFOHEADER& frame, const BYTE* pPixels, const DDSURFACEDESC2& surface)
{
    const DWORD dwBits = surface.ddpfPixelFormat.dwRGBBitCount;
    if (dwBits != 16 && dwBits != 32)
        return false;
    const bool b565 = surface.ddpfPixelFormat.dwGBitMask == 0x7E0;
    const DWORD dwStride = DibStride(frame.biWidth, frame.biBitCount);
    const std::size_t nSourceBytes = frame.biBitCount / 8u;
    auto* pSurface = static_cast<BYTE*>(surface.lpSurface);
    for (LONG y = 0; y < frame.biHeight; ++y)
    {
        // DIB rows are stored bottom-up: the surface's top row is the frame's last.
        const BYTE* pSource = pPixels + static_cast<std::size_t>(frame.biHeight - 1 - y) * dwStride;
        BYTE* pRow = pSurface + static_cast<std::ptrdiff_t>(y) * surface.lPitch;
        for (LONG x = 0; x < frame.biWidth; ++x, pSource += nSourceBytes)
        {
            if (dwBits == 16)
            {
                const WORD v = Pixel16(pSource, frame.biBitCount, b565);
                pRow[x * 2] = static_cast<BYTE>(v);
                pRow[x * 2 + 1] = static_cast<BYTE>(v >> 8);
                continue;
            }
            BYTE r = 0, g = 0, b = 0;
            SourceRgb(pSource, frame.biBitCount, r, g, b);
            pRow[x * 4] = b;
            pRow[x * 4 + 1] = g;
            pRow[x * 4 + 2] = r;
            pRow[x * 4 + 3] = 0xFF;
        }
    }
    return true;
}

// ---------------------------------------------------------------------------------------------------------------------
// The stream record
// ---------------------------------------------------------------------------------------------------------------------

BOOL CAviStream::OpenAviStream(LPCSTR szPath)
{
    CloseAviStream();
    if (!OpenVideo(szPath, m_pStream, m_pGetFrame, m_info))
        return FALSE;
    m_dwStartMs = timeGetTime();
    m_nCurrentFrame = static_cast<LONG>(m_info.dwLength) - 1;
    m_bOpen = TRUE;
    return TRUE;
}

LPVOID CAviStream::GetAviFrame(float fSpeed)
{
    if (!m_bOpen)
        return nullptr;
    LONG nFrame = FrameAt(m_info, m_dwStartMs, fSpeed);
    if (nFrame >= static_cast<LONG>(m_info.dwLength))
    {
        m_dwStartMs = timeGetTime();
        nFrame = static_cast<LONG>(m_info.dwStart);
        m_bWrapped = TRUE;
    }
    m_nCurrentFrame = nFrame;
    return AVIStreamGetFrame(m_pGetFrame, nFrame);
}

void CAviStream::CloseAviStream()
{
    m_bOpen = FALSE;
    m_pGetFrame.reset();
    AVIStreamRelease(m_pStream);
}

// ---------------------------------------------------------------------------------------------------------------------
// Texture clips
// ---------------------------------------------------------------------------------------------------------------------

CAviClip::~CAviClip() { AVIStreamRelease(m_pStream); }

BOOL CAviClip::Open(LPCSTR szPath, LPCSTR szTexture, int nLevel, int nStillFrame)
{
    if (!OpenVideo(szPath, m_pStream, m_pGetFrame, m_info))
        return FALSE;
    m_strFile = szPath;
    if (szTexture != nullptr)
        m_strTexture = szTexture;
    m_dwStartMs = timeGetTime();
    m_nCurrentFrame = static_cast<LONG>(m_info.dwLength) - 1;
    m_nLevel = nLevel;
    m_nStillFrame = nStillFrame;
    return TRUE;
}

BOOL CAviClip::Update(int nLevel, CDirect3DDevice* pDevice)
{
    if (nLevel != 0 && nLevel >= m_nLevel)
    {
        if (nLevel > m_nLevel)
            return AdvanceByTime(nullptr, pDevice, FALSE, FALSE);
        return SeekFrame(m_nStillFrame, nullptr, pDevice);
    }
    // Giving the texture its image back costs a reload: done once, when the clip stops.
    if (m_bTextureChanged)
        s_pTextures->RestoreTexture(pDevice, m_strTexture);
    m_bTextureChanged = false;
    return TRUE;
}

BOOL CAviClip::AdvanceByTime(LPCSTR szTexture, CDirect3DDevice* pDevice, BOOL bHold, BOOL bForce)
{
    LONG nFrame = FrameAt(m_info, m_dwStartMs, 1.0);
    if (nFrame >= static_cast<LONG>(m_info.dwLength))
    {
        if (m_bLooping)
        {
            m_dwStartMs = timeGetTime();
            nFrame = static_cast<LONG>(m_info.dwStart);
        }
        else
        {
            nFrame = static_cast<LONG>(m_info.dwLength) - 1;
            m_bFinished = TRUE;
        }
    }
    if (bHold || (!bForce && nFrame == m_nCurrentFrame))
        return FALSE;
    m_nCurrentFrame = nFrame;
    return DrawFrame(nFrame, szTexture, pDevice);
}

BOOL CAviClip::SeekFrame(LONG n, LPCSTR szTexture, CDirect3DDevice* pDevice)
{
    m_nCurrentFrame = n >= 0 && n < static_cast<LONG>(m_info.dwLength) ? n : static_cast<LONG>(m_info.dwStart);
    return DrawFrame(m_nCurrentFrame, szTexture, pDevice);
}

BOOL CAviClip::DrawFrame(LONG n, LPCSTR szTexture, CDirect3DDevice* pDevice)
{
    const CString strTexture = szTexture != nullptr ? CString(szTexture) : m_strTexture;
    const SurfacePtr pSurface = s_pTextures->FindTextureSurface(pDevice, strTexture);
    const auto* pDib = static_cast<const BYTE*>(AVIStreamGetFrame(m_pGetFrame, n));
    if (pSurface == nullptr || pDib == nullptr)
        return FALSE;
    CByteReader rd(std::span<const BYTE>(pDib, BITMAPINFOHEADER_SIZE));
    BITMAPINFOHEADER frame;
    if (!ReadBitmapInfoHeader(rd, frame) || (frame.biBitCount != 16 && frame.biBitCount != 24))
        return FALSE;
    DDSURFACEDESC2 desc;
    desc.dwSize = sizeof(desc);
    const HRESULT hr = pSurface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr);
    if (hr == DDERR_SURFACELOST)
    {
        pSurface->Restore();
        return TRUE;
    }
    if (FAILED(hr))
        return TRUE;
    const bool bSameSize =
        desc.dwWidth == static_cast<DWORD>(frame.biWidth) && desc.dwHeight == static_cast<DWORD>(frame.biHeight);
    const bool bDrawn = bSameSize && ConvertFrame(frame, pDib + BITMAPINFOHEADER_SIZE, desc);
    pSurface->Unlock(nullptr);
    m_bTextureChanged = m_bTextureChanged || bDrawn;
    return bDrawn ? TRUE : FALSE;
}

// ---------------------------------------------------------------------------------------------------------------------
// The clip list
// ---------------------------------------------------------------------------------------------------------------------

int CAviClipList::AddClip(LPCSTR szPath, LPCSTR szTexture, int nLevel, int nStillFrame)
{
    auto pClip = std::make_unique<CAviClip>();
    if (!pClip->Open(szPath, szTexture, nLevel, nStillFrame))
        return -1;
    s_clips.push_back(std::move(pClip));
    return static_cast<int>(s_clips.size()) - 1;
}

int CAviClipList::GetCount() { return static_cast<int>(s_clips.size()); }

CAviClip* CAviClipList::GetClip(int nIndex)
{
    return nIndex >= 0 && nIndex < GetCount() ? s_clips[static_cast<std::size_t>(nIndex)].get() : nullptr;
}

BOOL CAviClipList::UpdateClip(int nIndex, int nLevel, CDirect3DDevice* pDevice)
{
    CAviClip* pClip = GetClip(nIndex);
    if (pClip == nullptr || pClip->m_pStream == nullptr)
        return FALSE;
    return pClip->Update(nLevel, pDevice);
}

void CAviClipList::RemoveAll() { s_clips.clear(); }

void CAviClipList::SetTextures(IClipTextures* pTextures)
{
    s_pTextures = pTextures != nullptr ? pTextures : &s_sceneTextures;
}

IClipTextures* CAviClipList::GetTextures() { return s_pTextures; }

BOOL InitAviFile()
{
    AVIFileInit();
    return TRUE;
}

BOOL ExitAviFile()
{
    CAviClipList::RemoveAll();
    AVIFileExit();
    return TRUE;
}
