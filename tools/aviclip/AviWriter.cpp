#include "tools/aviclip/AviWriter.h"

#include "platform/media/AviFormat.h"
#include "platform/win32/AtomicFile.h"

#include <algorithm>

namespace
{

void PutChunk(CByteWriter& wr, DWORD dwId, const std::vector<BYTE>& body)
{
    wr.WriteU32LE(dwId);
    wr.WriteU32LE(static_cast<DWORD>(body.size()));
    wr.WriteBytes(body);
    if (body.size() % 2 != 0)
        wr.WriteU8(0);
}

void PutList(CByteWriter& wr, DWORD dwType, const std::vector<BYTE>& body)
{
    CByteWriter list;
    list.WriteU32LE(dwType);
    list.WriteBytes(body);
    PutChunk(wr, FOURCC_LIST, list.Bytes());
}

std::vector<BYTE> HeaderList(const SAviClipDesc& desc, DWORD dwFrameBytes)
{
    SAviMainHeader main;
    main.dwMicroSecPerFrame = static_cast<DWORD>(1000000ull * desc.dwScale / (desc.dwRate != 0 ? desc.dwRate : 1));
    main.dwFlags = desc.bIndex ? AVIF_HASINDEX : 0;
    main.dwTotalFrames = static_cast<DWORD>(desc.frames.size());
    main.dwStreams = 1;
    main.dwSuggestedBufferSize = dwFrameBytes;
    main.dwWidth = static_cast<DWORD>(desc.nWidth);
    main.dwHeight = static_cast<DWORD>(desc.nHeight);
    SAviStreamHeader stream;
    stream.fccType = streamtypeVIDEO;
    stream.dwScale = desc.dwScale;
    stream.dwRate = desc.dwRate;
    stream.dwStart = desc.dwStart;
    stream.dwLength = static_cast<DWORD>(desc.frames.size());
    stream.dwSuggestedBufferSize = dwFrameBytes;
    stream.rcFrame[2] = static_cast<short>(desc.nWidth);
    stream.rcFrame[3] = static_cast<short>(desc.nHeight);
    BITMAPINFOHEADER format;
    format.biSize = BITMAPINFOHEADER_SIZE;
    format.biWidth = desc.nWidth;
    format.biHeight = desc.nHeight;
    format.biPlanes = 1;
    format.biBitCount = desc.nBitCount;
    format.biSizeImage = dwFrameBytes;

    CByteWriter avih, strh, strf, strl, hdrl;
    WriteAviMainHeader(avih, main);
    WriteAviStreamHeader(strh, stream);
    WriteBitmapInfoHeader(strf, format);
    PutChunk(strl, FOURCC_STRH, strh.Bytes());
    PutChunk(strl, FOURCC_STRF, strf.Bytes());
    PutChunk(hdrl, FOURCC_AVIH, avih.Bytes());
    PutList(hdrl, FOURCC_STRL, strl.Bytes());
    return hdrl.Take();
}

} // namespace

std::vector<BYTE> BuildAviClip(const SAviClipDesc& desc)
{
    const DWORD dwFrameBytes = DibStride(desc.nWidth, desc.nBitCount) * static_cast<DWORD>(desc.nHeight);
    const DWORD dwFrameId = MakeFourCC('0', '0', 'd', 'b');
    CByteWriter movi, index;
    for (const std::vector<BYTE>& frame : desc.frames)
    {
        // Index offsets count from the "movi" type word.
        index.WriteU32LE(dwFrameId);
        index.WriteU32LE(AVIIF_KEYFRAME);
        index.WriteU32LE(static_cast<DWORD>(movi.Size() + 4));
        index.WriteU32LE(static_cast<DWORD>(frame.size()));
        PutChunk(movi, dwFrameId, frame);
    }
    CByteWriter body;
    body.WriteU32LE(FOURCC_AVI);
    PutList(body, FOURCC_HDRL, HeaderList(desc, dwFrameBytes));
    PutList(body, FOURCC_MOVI, movi.Bytes());
    if (desc.bIndex)
        PutChunk(body, FOURCC_IDX1, index.Bytes());
    CByteWriter file;
    PutChunk(file, FOURCC_RIFF, body.Bytes());
    return file.Take();
}

bool WriteAviClip(const std::string& strPath, const SAviClipDesc& desc, std::string& strError)
{
    const std::vector<BYTE> bytes = BuildAviClip(desc);
    if (ReplaceFileContents(strPath, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())))
        return true;
    strError = "cannot write " + strPath;
    return false;
}

std::vector<BYTE> PatternFrame(LONG nWidth, LONG nHeight, WORD nBitCount, int n)
{
    const DWORD dwStride = DibStride(nWidth, nBitCount);
    std::vector<BYTE> pixels(dwStride * static_cast<DWORD>(nHeight), 0);
    for (LONG y = 0; y < nHeight; ++y)
    {
        for (LONG x = 0; x < nWidth; ++x)
        {
            const auto r = static_cast<BYTE>(x * 255 / std::max<LONG>(nWidth - 1, 1));
            const auto g = static_cast<BYTE>(y * 255 / std::max<LONG>(nHeight - 1, 1));
            const auto b = static_cast<BYTE>(n * 37 + x + y);
            BYTE* p = &pixels[static_cast<std::size_t>(y) * dwStride + static_cast<std::size_t>(x) * nBitCount / 8];
            if (nBitCount == 24)
            {
                p[0] = b;
                p[1] = g;
                p[2] = r;
            }
            else
            {
                const WORD v = static_cast<WORD>((r >> 3) << 10 | (g >> 3) << 5 | (b >> 3));
                p[0] = static_cast<BYTE>(v);
                p[1] = static_cast<BYTE>(v >> 8);
            }
        }
    }
    return pixels;
}
