#include "platform/media/AviReader.h"

#include <algorithm>

namespace
{

struct SChunk
{
    DWORD dwId = 0;
    std::size_t nBody = 0; // offset of the body
    std::size_t nSize = 0; // bytes of the body, without the pad byte
    DWORD dwListType = 0;  // for RIFF and LIST chunks
};

DWORD ReadId(const std::vector<BYTE>& bytes, std::size_t nAt)
{
    return bytes[nAt] | bytes[nAt + 1] << 8 | bytes[nAt + 2] << 16 | static_cast<DWORD>(bytes[nAt + 3]) << 24;
}

/// Calls f(chunk) for each chunk in [nBegin, nEnd); false with a reason when a chunk does not
/// fit inside that range or f refuses one.
template <class F>
bool ForEachChunk(const std::vector<BYTE>& bytes, std::size_t nBegin, std::size_t nEnd, std::string& strError, F f)
{
    for (std::size_t nAt = nBegin; nAt < nEnd;)
    {
        if (nEnd - nAt < RIFF_CHUNK_HEADER_SIZE)
        {
            strError = "a chunk header is cut off";
            return false;
        }
        SChunk chunk{ReadId(bytes, nAt), nAt + RIFF_CHUNK_HEADER_SIZE, ReadId(bytes, nAt + 4), 0};
        if (chunk.nSize > nEnd - chunk.nBody)
        {
            strError = "a chunk reaches past its parent";
            return false;
        }
        if (chunk.dwId == FOURCC_LIST)
        {
            if (chunk.nSize < 4)
            {
                strError = "a list without a type";
                return false;
            }
            chunk.dwListType = ReadId(bytes, chunk.nBody);
        }
        if (!f(chunk))
            return false;
        // The body is padded to an even size; the pad of the last chunk may be missing.
        nAt = chunk.nBody + chunk.nSize + (chunk.nSize & 1);
    }
    return true;
}

std::span<const BYTE> Body(const std::vector<BYTE>& bytes, const SChunk& chunk)
{
    return std::span<const BYTE>(bytes).subspan(chunk.nBody, chunk.nSize);
}

DWORD FrameId(int nStream, char a, char b)
{
    return MakeFourCC(static_cast<char>('0' + nStream / 10), static_cast<char>('0' + nStream % 10), a, b);
}

} // namespace

std::unique_ptr<CAviReader> CAviReader::FromBytes(std::vector<BYTE> bytes, std::string& strError)
{
    std::unique_ptr<CAviReader> pReader(new CAviReader);
    pReader->m_bytes = std::move(bytes);
    if (!pReader->Parse(strError))
        return nullptr;
    return pReader;
}

std::unique_ptr<CAviReader> CAviReader::FromFile(const std::string& strPath, std::string& strError)
{
    std::vector<BYTE> bytes;
    if (!ReadWholeFile(strPath, bytes))
    {
        strError = "cannot read the file";
        return nullptr;
    }
    if (bytes.size() > AVI_MAX_FILE_BYTES)
    {
        strError = "the file is too large for a clip";
        return nullptr;
    }
    return FromBytes(std::move(bytes), strError);
}

bool CAviReader::Parse(std::string& strError)
{
    if (m_bytes.size() < 12 || ReadId(m_bytes, 0) != FOURCC_RIFF || ReadId(m_bytes, 8) != FOURCC_AVI)
    {
        strError = "not an AVI file";
        return false;
    }
    const std::size_t nRiffEnd = std::size_t{ReadId(m_bytes, 4)} + RIFF_CHUNK_HEADER_SIZE;
    if (nRiffEnd > m_bytes.size() || nRiffEnd < 12)
    {
        strError = "the file is cut off";
        return false;
    }
    bool bMovi = false;
    const bool bOk = ForEachChunk(m_bytes, 12, nRiffEnd, strError,
                                  [&](const SChunk& chunk)
                                  {
                                      if (chunk.dwId != FOURCC_LIST)
                                          return true;
                                      const std::size_t nEnd = chunk.nBody + chunk.nSize;
                                      if (chunk.dwListType == FOURCC_HDRL)
                                          return ParseHeaderList(chunk.nBody + 4, nEnd, strError);
                                      if (chunk.dwListType != FOURCC_MOVI || !m_bHaveVideo)
                                          return true;
                                      bMovi = true;
                                      return ParseFrames(chunk.nBody + 4, nEnd, 0, strError);
                                  });
    if (!bOk)
        return false;
    if (!m_bHaveVideo || !bMovi)
    {
        strError = m_bHaveVideo ? "no frames" : "no video stream";
        return false;
    }
    if (m_frames.size() < m_stream.dwLength)
    {
        strError = "fewer frames than the stream's length";
        return false;
    }
    m_frames.resize(m_stream.dwLength);
    return true;
}

bool CAviReader::ParseHeaderList(std::size_t nBegin, std::size_t nEnd, std::string& strError)
{
    return ForEachChunk(m_bytes, nBegin, nEnd, strError,
                        [&](const SChunk& chunk)
                        {
                            if (chunk.dwId != FOURCC_LIST || chunk.dwListType != FOURCC_STRL)
                                return true;
                            const bool bOk =
                                m_bHaveVideo || ParseStreamList(chunk.nBody + 4, chunk.nBody + chunk.nSize, strError);
                            ++m_nStreamsSeen;
                            return bOk;
                        });
}

// A stream list: the first one of type "vids" is the clip's video.
bool CAviReader::ParseStreamList(std::size_t nBegin, std::size_t nEnd, std::string& strError)
{
    SAviStreamHeader stream;
    BITMAPINFOHEADER format;
    bool bHeader = false;
    bool bFormat = false;
    const bool bOk = ForEachChunk(m_bytes, nBegin, nEnd, strError,
                                  [&](const SChunk& chunk)
                                  {
                                      CByteReader rd(Body(m_bytes, chunk));
                                      if (chunk.dwId == FOURCC_STRH)
                                          bHeader = ReadAviStreamHeader(rd, stream);
                                      else if (chunk.dwId == FOURCC_STRF)
                                          bFormat = ReadBitmapInfoHeader(rd, format);
                                      return true;
                                  });
    if (!bOk || !bHeader || stream.fccType != streamtypeVIDEO)
        return bOk;
    if (!bFormat || m_nStreamsSeen > 99)
    {
        strError = "the video stream has no format";
        return false;
    }
    m_stream = stream;
    m_format = format;
    m_bHaveVideo = true;
    m_dwFrameId1 = FrameId(m_nStreamsSeen, 'd', 'b');
    m_dwFrameId2 = FrameId(m_nStreamsSeen, 'd', 'c');
    return CheckStream(strError);
}

bool CAviReader::CheckStream(std::string& strError) const
{
    if (m_stream.dwScale == 0 || m_stream.dwRate == 0 || m_stream.dwLength == 0)
        strError = "the stream has no scale, rate or length";
    else if (m_stream.dwStart >= m_stream.dwLength)
        strError = "the stream starts past its end";
    else if (m_format.biSize < BITMAPINFOHEADER_SIZE || m_format.biCompression != BI_RGB_FORMAT)
        strError = "the frames are compressed";
    else if (m_format.biBitCount != 16 && m_format.biBitCount != 24)
        strError = "the frames are neither 16 nor 24 bits";
    else if (m_format.biWidth < 1 || m_format.biWidth > AVI_MAX_SIDE || m_format.biHeight < 1 ||
             m_format.biHeight > AVI_MAX_SIDE)
        strError = "the frame size is out of range";
    else
        return true;
    return false;
}

// The frames of the video stream, in file order; "rec " lists may group them.
bool CAviReader::ParseFrames(std::size_t nBegin, std::size_t nEnd, int nDepth, std::string& strError)
{
    return ForEachChunk(m_bytes, nBegin, nEnd, strError,
                        [&](const SChunk& chunk)
                        {
                            if (chunk.dwId == FOURCC_LIST && chunk.dwListType == FOURCC_REC && nDepth == 0)
                                return ParseFrames(chunk.nBody + 4, chunk.nBody + chunk.nSize, 1, strError);
                            if (chunk.dwId != m_dwFrameId1 && chunk.dwId != m_dwFrameId2)
                                return true;
                            if (chunk.nSize < FrameBytes())
                            {
                                strError = "a frame is shorter than its picture";
                                return false;
                            }
                            m_frames.push_back(chunk.nBody);
                            return true;
                        });
}

std::span<const BYTE> CAviReader::FramePixels(DWORD n) const
{
    if (n >= m_frames.size())
        return {};
    return std::span<const BYTE>(m_bytes).subspan(m_frames[n], FrameBytes());
}

bool CAviReader::CopyFrame(DWORD n, std::vector<BYTE>& dib) const
{
    const std::span<const BYTE> pixels = FramePixels(n);
    if (pixels.empty())
        return false;
    BITMAPINFOHEADER header = m_format;
    header.biSize = BITMAPINFOHEADER_SIZE;
    header.biSizeImage = FrameBytes();
    CByteWriter wr;
    WriteBitmapInfoHeader(wr, header);
    dib = wr.Take();
    dib.insert(dib.end(), pixels.begin(), pixels.end());
    return true;
}
