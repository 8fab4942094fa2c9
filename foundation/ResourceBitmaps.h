// JPEG pictures (raw resources of the resource library, or files) turned into bitmaps, and the
// image window that holds the four looks of a bitmap button.
#pragma once

#include "platform/mfc/BitmapButton.h"
#include "platform/win32/Gdi.h"

#include <cstddef>

/// The resource type of the program's raw pictures, "_DATA". Read-only.
extern CString g_strDefaultResourceType;

/// A bitmap from a JPEG held in memory; null when it does not decode.
HBITMAP CreateBitmapFromJpegMemory(const BYTE* pData, std::size_t nSize);
/// A bitmap from an RGB buffer (rows packed, top first, red first); the buffer is not changed.
HBITMAP CreateBitmapFromRgb(const BYTE* pBuffer, UINT nWidth, UINT nHeight);
/// A bitmap from a JPEG file (Windows path text); null when it is missing or does not decode.
HBITMAP LoadJpegBitmapFile(LPCSTR szPath);
/// Loads the JPEG resource nId of the given type from the current resource library into the
/// bitmap, replacing what it held; false when there is no bitmap object, no such resource, or
/// the picture does not decode.
bool LoadJpegBitmapResource(CBitmap* pBitmap, UINT nId, LPCSTR szType = g_strDefaultResourceType.GetString());

/// The image-window base of the bitmap buttons: normal, selected, focused and disabled looks.
class CImageWnd : public CBitmapButton
{
public:
    /// Drops the four bitmaps, then loads the normal one from the "_DATA" resource nIdNormal and,
    /// when that worked, each other look whose id is not 0. Returns whether the normal bitmap was set.
    virtual BOOL LoadBitmaps(UINT nIdNormal, UINT nIdSelected = 0, UINT nIdFocus = 0, UINT nIdDisabled = 0);
    /// The same with ready bitmaps, which the window then owns; null handles are skipped.
    BOOL AttachBitmaps(HBITMAP hNormal, HBITMAP hSelected = nullptr, HBITMAP hFocus = nullptr,
                       HBITMAP hDisabled = nullptr);

private:
    void DeleteBitmaps();
};
