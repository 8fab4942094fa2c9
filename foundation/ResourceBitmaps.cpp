#include "foundation/ResourceBitmaps.h"

#include "foundation/GlobalOrder.h"
#include "foundation/JpegFile.h"
#include "platform/mfc/AfxResource.h"
#include "platform/win32/DebugLog.h"
#include "platform/win32/LastError.h"
#include "platform/win32/Modules.h"

#include <string>

VORN_GLOBAL_ROW(GLOBAL_ROW_RESOURCE_TYPE) CString g_strDefaultResourceType = "_DATA";
VORN_GLOBAL_ROW_BUILT(GLOBAL_ROW_RESOURCE_TYPE);

HBITMAP CreateBitmapFromRgb(const BYTE* pBuffer, UINT nWidth, UINT nHeight)
{
    if (pBuffer == nullptr || nWidth == 0 || nHeight == 0 || nWidth > MAX_BITMAP_SIDE || nHeight > MAX_BITMAP_SIDE)
        return nullptr;
    // The bitmap wants blue first and rows padded to 4 bytes: both are done on a copy, so the
    // caller's buffer keeps its colours and a second call gives the same bitmap.
    UINT nRowSize = 0;
    std::vector<BYTE> padded = JpegFile::MakeDwordAlignedBuffer(pBuffer, nWidth, nHeight, nRowSize);
    for (UINT y = 0; y < nHeight; ++y)
        JpegFile::SwapRedBlue(padded.data() + std::size_t{y} * nRowSize, nWidth, 1);

    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = BITMAPINFOHEADER_SIZE;
    bmi.bmiHeader.biWidth = static_cast<LONG>(nWidth);
    bmi.bmiHeader.biHeight = -static_cast<LONG>(nHeight); // rows top first
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 24;
    bmi.bmiHeader.biCompression = BI_RGB;
    const HDC hDC = GetDC(nullptr);
    const HBITMAP hBitmap = CreateDIBitmap(hDC, &bmi.bmiHeader, CBM_INIT, padded.data(), &bmi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, hDC);
    if (hBitmap == nullptr)
        OutputDebugString(("CreateDIBitmap failed, error " + std::to_string(GetLastError()) + "\n").c_str());
    return hBitmap;
}

HBITMAP CreateBitmapFromJpegMemory(const BYTE* pData, std::size_t nSize)
{
    UINT nWidth = 0;
    UINT nHeight = 0;
    const std::vector<BYTE> rgb = JpegFile::ReadMemory(pData, nSize, nWidth, nHeight);
    return rgb.empty() ? nullptr : CreateBitmapFromRgb(rgb.data(), nWidth, nHeight);
}

HBITMAP LoadJpegBitmapFile(LPCSTR szPath)
{
    UINT nWidth = 0;
    UINT nHeight = 0;
    const std::vector<BYTE> rgb = JpegFile::Read(szPath, nWidth, nHeight);
    return rgb.empty() ? nullptr : CreateBitmapFromRgb(rgb.data(), nWidth, nHeight);
}

bool LoadJpegBitmapResource(CBitmap* pBitmap, UINT nId, LPCSTR szType)
{
    if (pBitmap == nullptr || nId == 0 || nId > 0xFFFF)
        return false;
    const HMODULE hModule = AfxGetResourceHandle();
    const HRSRC hResInfo = FindResource(hModule, MAKEINTRESOURCE(static_cast<WORD>(nId)), szType);
    if (hResInfo == nullptr)
        return false;
    const auto* pData = static_cast<const BYTE*>(LockResource(LoadResource(hModule, hResInfo)));
    const DWORD nSize = SizeofResource(hModule, hResInfo);
    const HBITMAP hBitmap = pData != nullptr ? CreateBitmapFromJpegMemory(pData, nSize) : nullptr;
    if (hBitmap == nullptr)
        return false;
    pBitmap->DeleteObject();
    pBitmap->Attach(hBitmap);
    return true;
}

void CImageWnd::DeleteBitmaps()
{
    m_bitmap.DeleteObject();
    m_bitmapSel.DeleteObject();
    m_bitmapFocus.DeleteObject();
    m_bitmapDisabled.DeleteObject();
}

BOOL CImageWnd::LoadBitmaps(UINT nIdNormal, UINT nIdSelected, UINT nIdFocus, UINT nIdDisabled)
{
    DeleteBitmaps();
    if (nIdNormal == 0 || !LoadJpegBitmapResource(&m_bitmap, nIdNormal))
        return FALSE;
    const std::pair<CBitmap*, UINT> others[] = {
        {&m_bitmapSel, nIdSelected}, {&m_bitmapFocus, nIdFocus}, {&m_bitmapDisabled, nIdDisabled}};
    for (const auto& [pBitmap, nId] : others)
    {
        if (nId != 0)
            LoadJpegBitmapResource(pBitmap, nId);
    }
    return TRUE;
}

BOOL CImageWnd::AttachBitmaps(HBITMAP hNormal, HBITMAP hSelected, HBITMAP hFocus, HBITMAP hDisabled)
{
    DeleteBitmaps();
    if (hNormal == nullptr)
        return FALSE;
    m_bitmap.Attach(hNormal);
    const std::pair<CBitmap*, HBITMAP> others[] = {
        {&m_bitmapSel, hSelected}, {&m_bitmapFocus, hFocus}, {&m_bitmapDisabled, hDisabled}};
    for (const auto& [pBitmap, hBitmap] : others)
    {
        if (hBitmap != nullptr)
            pBitmap->Attach(hBitmap);
    }
    return TRUE;
}
