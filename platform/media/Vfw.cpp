#include "platform/media/Vfw.h"

#include "platform/win32/DebugLog.h"
#include "platform/win32/Paths.h"

LPVOID CAviFrameGetter::GetFrame(LONG n)
{
    if (n < 0 || !m_pStream->CopyFrame(static_cast<DWORD>(n), m_dib))
        return nullptr;
    return m_dib.data();
}

HRESULT AVIStreamOpenFromFileA(PAVISTREAM* ppStream, LPCSTR szFile, DWORD fccType, LONG /*lParam*/, UINT /*nMode*/,
                               void* /*pHandler*/)
{
    if (ppStream == nullptr || szFile == nullptr)
        return E_POINTER;
    ppStream->reset();
    if (fccType != streamtypeVIDEO)
        return AVIERR_NODATA;
    std::string strError;
    std::unique_ptr<CAviReader> pReader = CAviReader::FromFile(ResolvePath(szFile), strError);
    if (pReader == nullptr)
    {
        OutputDebugString((std::string("AVI: ") + szFile + ": " + strError + "\n").c_str());
        return strError == "cannot read the file" ? AVIERR_FILEOPEN : AVIERR_BADFORMAT;
    }
    *ppStream = std::move(pReader);
    return AVIERR_OK;
}

PGETFRAME AVIStreamGetFrameOpen(const PAVISTREAM& pStream, const BITMAPINFOHEADER* pWanted)
{
    if (pStream == nullptr || pWanted != nullptr)
        return nullptr;
    return std::make_shared<CAviFrameGetter>(pStream);
}

HRESULT AVIStreamInfoA(const PAVISTREAM& pStream, AVISTREAMINFOA* pInfo, LONG nSize)
{
    if (pStream == nullptr || pInfo == nullptr || nSize < 0)
        return E_POINTER;
    const SAviStreamHeader& hdr = pStream->StreamHeader();
    *pInfo = AVISTREAMINFOA{};
    pInfo->fccType = hdr.fccType;
    pInfo->fccHandler = hdr.fccHandler;
    pInfo->dwFlags = hdr.dwFlags;
    pInfo->wPriority = hdr.wPriority;
    pInfo->wLanguage = hdr.wLanguage;
    pInfo->dwScale = hdr.dwScale;
    pInfo->dwRate = hdr.dwRate;
    pInfo->dwStart = hdr.dwStart;
    pInfo->dwLength = hdr.dwLength;
    pInfo->dwInitialFrames = hdr.dwInitialFrames;
    pInfo->dwSuggestedBufferSize = hdr.dwSuggestedBufferSize;
    pInfo->dwQuality = hdr.dwQuality;
    pInfo->dwSampleSize = hdr.dwSampleSize;
    pInfo->rcFrame = RECT{0, 0, pStream->Format().biWidth, pStream->Format().biHeight};
    return AVIERR_OK;
}
