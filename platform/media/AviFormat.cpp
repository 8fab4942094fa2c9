#include "platform/media/AviFormat.h"

bool ReadAviMainHeader(CByteReader& rd, SAviMainHeader& hdr)
{
    DWORD dwReserved = 0;
    rd.ReadU32LE(hdr.dwMicroSecPerFrame);
    rd.ReadU32LE(hdr.dwMaxBytesPerSec);
    rd.ReadU32LE(hdr.dwPaddingGranularity);
    rd.ReadU32LE(hdr.dwFlags);
    rd.ReadU32LE(hdr.dwTotalFrames);
    rd.ReadU32LE(hdr.dwInitialFrames);
    rd.ReadU32LE(hdr.dwStreams);
    rd.ReadU32LE(hdr.dwSuggestedBufferSize);
    rd.ReadU32LE(hdr.dwWidth);
    rd.ReadU32LE(hdr.dwHeight);
    for (int i = 0; i < 4; ++i)
        rd.ReadU32LE(dwReserved);
    return !rd.Failed();
}

void WriteAviMainHeader(CByteWriter& wr, const SAviMainHeader& hdr)
{
    wr.WriteU32LE(hdr.dwMicroSecPerFrame);
    wr.WriteU32LE(hdr.dwMaxBytesPerSec);
    wr.WriteU32LE(hdr.dwPaddingGranularity);
    wr.WriteU32LE(hdr.dwFlags);
    wr.WriteU32LE(hdr.dwTotalFrames);
    wr.WriteU32LE(hdr.dwInitialFrames);
    wr.WriteU32LE(hdr.dwStreams);
    wr.WriteU32LE(hdr.dwSuggestedBufferSize);
    wr.WriteU32LE(hdr.dwWidth);
    wr.WriteU32LE(hdr.dwHeight);
    for (int i = 0; i < 4; ++i)
        wr.WriteU32LE(0);
}

bool ReadAviStreamHeader(CByteReader& rd, SAviStreamHeader& hdr)
{
    rd.ReadU32LE(hdr.fccType);
    rd.ReadU32LE(hdr.fccHandler);
    rd.ReadU32LE(hdr.dwFlags);
    rd.ReadU16LE(hdr.wPriority);
    rd.ReadU16LE(hdr.wLanguage);
    rd.ReadU32LE(hdr.dwInitialFrames);
    rd.ReadU32LE(hdr.dwScale);
    rd.ReadU32LE(hdr.dwRate);
    rd.ReadU32LE(hdr.dwStart);
    rd.ReadU32LE(hdr.dwLength);
    rd.ReadU32LE(hdr.dwSuggestedBufferSize);
    rd.ReadU32LE(hdr.dwQuality);
    rd.ReadU32LE(hdr.dwSampleSize);
    for (short& n : hdr.rcFrame)
    {
        WORD w = 0;
        rd.ReadU16LE(w);
        n = static_cast<short>(w);
    }
    return !rd.Failed();
}

void WriteAviStreamHeader(CByteWriter& wr, const SAviStreamHeader& hdr)
{
    wr.WriteU32LE(hdr.fccType);
    wr.WriteU32LE(hdr.fccHandler);
    wr.WriteU32LE(hdr.dwFlags);
    wr.WriteU16LE(hdr.wPriority);
    wr.WriteU16LE(hdr.wLanguage);
    wr.WriteU32LE(hdr.dwInitialFrames);
    wr.WriteU32LE(hdr.dwScale);
    wr.WriteU32LE(hdr.dwRate);
    wr.WriteU32LE(hdr.dwStart);
    wr.WriteU32LE(hdr.dwLength);
    wr.WriteU32LE(hdr.dwSuggestedBufferSize);
    wr.WriteU32LE(hdr.dwQuality);
    wr.WriteU32LE(hdr.dwSampleSize);
    for (const short n : hdr.rcFrame)
        wr.WriteU16LE(static_cast<WORD>(n));
}

bool ReadBitmapInfoHeader(CByteReader& rd, BITMAPINFOHEADER& hdr)
{
    rd.ReadU32LE(hdr.biSize);
    rd.ReadS32LE(hdr.biWidth);
    rd.ReadS32LE(hdr.biHeight);
    rd.ReadU16LE(hdr.biPlanes);
    rd.ReadU16LE(hdr.biBitCount);
    rd.ReadU32LE(hdr.biCompression);
    rd.ReadU32LE(hdr.biSizeImage);
    rd.ReadS32LE(hdr.biXPelsPerMeter);
    rd.ReadS32LE(hdr.biYPelsPerMeter);
    rd.ReadU32LE(hdr.biClrUsed);
    rd.ReadU32LE(hdr.biClrImportant);
    return !rd.Failed();
}

void WriteBitmapInfoHeader(CByteWriter& wr, const BITMAPINFOHEADER& hdr)
{
    wr.WriteU32LE(hdr.biSize);
    wr.WriteS32LE(hdr.biWidth);
    wr.WriteS32LE(hdr.biHeight);
    wr.WriteU16LE(hdr.biPlanes);
    wr.WriteU16LE(hdr.biBitCount);
    wr.WriteU32LE(hdr.biCompression);
    wr.WriteU32LE(hdr.biSizeImage);
    wr.WriteS32LE(hdr.biXPelsPerMeter);
    wr.WriteS32LE(hdr.biYPelsPerMeter);
    wr.WriteU32LE(hdr.biClrUsed);
    wr.WriteU32LE(hdr.biClrImportant);
}
