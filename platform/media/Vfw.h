// The AVIFile calls the game makes, over the project's own AVI reader: open the first video
// stream of a file, read its information, and get its frames as packed DIBs.
#pragma once

#include "platform/media/AviReader.h"

#include <memory>

class CAviFrameGetter;
using PAVISTREAM = std::shared_ptr<CAviReader>;
using PGETFRAME = std::shared_ptr<CAviFrameGetter>;

inline constexpr UINT OF_READ = 0;
inline constexpr HRESULT AVIERR_OK = 0;
inline constexpr HRESULT AVIERR_FILEOPEN = static_cast<HRESULT>(0x80044074u);
inline constexpr HRESULT AVIERR_BADFORMAT = static_cast<HRESULT>(0x80044066u);
inline constexpr HRESULT AVIERR_NODATA = static_cast<HRESULT>(0x80044071u);

/// The stream information (the fields the game reads and their neighbours).
struct AVISTREAMINFOA
{
    DWORD fccType = 0;
    DWORD fccHandler = 0;
    DWORD dwFlags = 0;
    DWORD dwCaps = 0;
    WORD wPriority = 0;
    WORD wLanguage = 0;
    DWORD dwScale = 0;
    DWORD dwRate = 0;
    DWORD dwStart = 0;
    DWORD dwLength = 0;
    DWORD dwInitialFrames = 0;
    DWORD dwSuggestedBufferSize = 0;
    DWORD dwQuality = 0;
    DWORD dwSampleSize = 0;
    RECT rcFrame;
    DWORD dwEditCount = 0;
    DWORD dwFormatChangeCount = 0;
    char szName[64] = {};
};

/// Holds the frame handed out last.
class CAviFrameGetter
{
public:
    explicit CAviFrameGetter(PAVISTREAM pStream) : m_pStream(std::move(pStream)) {}
    /// Frame n as a packed DIB, valid until the next call; null past the last frame.
    LPVOID GetFrame(LONG n);

private:
    PAVISTREAM m_pStream;
    std::vector<BYTE> m_dib;
};

/// Nothing to start or end: the reader keeps no library state.
inline void AVIFileInit() {}
inline void AVIFileExit() {}
/// Opens the first stream of type fccType (streamtypeVIDEO) of a file given by its Windows path;
/// AVIERR_FILEOPEN when it cannot be read, AVIERR_BADFORMAT when it is damaged or not a clip
/// the reader takes (the reason goes to the debug log).
HRESULT AVIStreamOpenFromFileA(PAVISTREAM* ppStream, LPCSTR szFile, DWORD fccType, LONG lParam, UINT nMode,
                               void* pHandler);
/// A frame getter giving frames in the stream's own format (pWanted must be null).
PGETFRAME AVIStreamGetFrameOpen(const PAVISTREAM& pStream, const BITMAPINFOHEADER* pWanted);
HRESULT AVIStreamInfoA(const PAVISTREAM& pStream, AVISTREAMINFOA* pInfo, LONG nSize);
inline LPVOID AVIStreamGetFrame(const PGETFRAME& pGetter, LONG n)
{
    return pGetter != nullptr ? pGetter->GetFrame(n) : nullptr;
}
inline void AVIStreamGetFrameClose(PGETFRAME& pGetter) { pGetter.reset(); }
inline void AVIStreamRelease(PAVISTREAM& pStream) { pStream.reset(); }
