// AVI clips: a stream record for windows that paint a clip themselves, and texture clips whose
// frames are copied into a scene texture's surface, chosen by elapsed time.
//
// Clip time is the millisecond clock (timeGetTime), so a clip runs at its own speed whatever the
// processor does, and the elapsed time is taken as an unsigned difference, so it survives the
// clock's wrap.
#pragma once

#include "platform/dx/Surface.h"
#include "platform/media/Vfw.h"
#include "platform/mfc/CString.h"

#include <memory>
#include <vector>

class CDirect3DDevice;

/// Where texture clips find the surfaces they draw into, by texture name, and how a texture gets
/// its own image back: the scene's texture manager, unless a test sets another source.
class IClipTextures
{
public:
    virtual ~IClipTextures() = default;
    virtual SurfacePtr FindTextureSurface(CDirect3DDevice* pDevice, const CString& strTexture) = 0;
    virtual void RestoreTexture(CDirect3DDevice* pDevice, const CString& strTexture) = 0;
};

/// A clip shown by a window: opened and closed by the window, frames picked by elapsed time.
class CAviStream
{
public:
    BOOL OpenAviStream(LPCSTR szPath);
    /// The frame for now at the given speed, as a packed DIB; null when not open. At the end the
    /// clip starts again from its start frame and marks itself wrapped.
    LPVOID GetAviFrame(float fSpeed);
    void CloseAviStream();

    PAVISTREAM m_pStream;
    PGETFRAME m_pGetFrame;
    AVISTREAMINFOA m_info;
    LONG m_nCurrentFrame = -1;
    BOOL m_bWrapped = FALSE;
    DWORD m_dwStartMs = 0; ///< timeGetTime when opened or last wrapped
    BOOL m_bOpen = FALSE;
};

/// A clip drawn into a scene texture.
class CAviClip
{
public:
    virtual ~CAviClip();

    BOOL Open(LPCSTR szPath, LPCSTR szTexture, int nLevel, int nStillFrame);
    /// Plays by time above the clip's level, shows the still frame at it, and below it (or at
    /// level 0) gives the texture its own image back, once, when the clip has drawn into it.
    BOOL Update(int nLevel, CDirect3DDevice* pDevice);
    BOOL AdvanceByTime(LPCSTR szTexture, CDirect3DDevice* pDevice, BOOL bHold, BOOL bForce);
    BOOL SeekFrame(LONG n, LPCSTR szTexture, CDirect3DDevice* pDevice);
    BOOL DrawFrame(LONG n, LPCSTR szTexture, CDirect3DDevice* pDevice);

    PAVISTREAM m_pStream;
    PGETFRAME m_pGetFrame;
    AVISTREAMINFOA m_info;
    LONG m_nCurrentFrame = -1;
    CString m_strFile;
    CString m_strTexture;
    BOOL m_bLooping = TRUE;
    BOOL m_bFinished = FALSE;
    DWORD m_dwStartMs = 0; ///< timeGetTime when opened or last restarted
    int m_nLevel = 0;
    int m_nStillFrame = 0;
    bool m_bTextureChanged = false; ///< a frame was drawn since the texture last had its own image
};

/// The scene's texture clips, addressed by index.
class CAviClipList
{
public:
    /// Opens a clip and appends it: its index, or -1 when it does not open.
    static int AddClip(LPCSTR szPath, LPCSTR szTexture, int nLevel, int nStillFrame);
    static int GetCount();
    static BOOL UpdateClip(int nIndex, int nLevel, CDirect3DDevice* pDevice);
    static CAviClip* GetClip(int nIndex);
    static void RemoveAll();
    /// The texture source of every clip; null sets the scene's texture manager back.
    static void SetTextures(IClipTextures* pTextures);
    static IClipTextures* GetTextures();
};

BOOL InitAviFile();
/// Deletes every clip.
BOOL ExitAviFile();

/// Converts one frame (bottom-up rows at the DIB stride, 16-bit 5-5-5 or 24-bit B, G, R) into a
/// locked surface of 16 bits (5-6-5 when its green mask is 0x7E0, else 5-5-5) or 32 bits (XRGB),
/// top row first. False for other depths.
bool ConvertFrame(const BITMAPINFOHEADER& frame, const BYTE* pPixels, const DDSURFACEDESC2& surface);
