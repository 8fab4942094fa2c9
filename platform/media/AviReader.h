// A reader of our own for the game's AVI clips: the first video stream of uncompressed 16-bit
// (5-5-5) or 24-bit frames. The whole file is checked when it is opened: every chunk must lie
// inside its parent, sizes are capped, and a clip with no scale, rate or length, a compressed or
// other-depth format, or fewer frames than it claims is refused with a text that says why.
#pragma once

#include "platform/media/AviFormat.h"

#include <memory>
#include <span>
#include <string>
#include <vector>

/// Largest clip file read, and largest frame side.
inline constexpr std::size_t AVI_MAX_FILE_BYTES = 256u << 20;
inline constexpr LONG AVI_MAX_SIDE = 4096;

class CAviReader
{
public:
    static std::unique_ptr<CAviReader> FromBytes(std::vector<BYTE> bytes, std::string& strError);
    /// Reads a clip file (a Linux path).
    static std::unique_ptr<CAviReader> FromFile(const std::string& strPath, std::string& strError);

    const SAviStreamHeader& StreamHeader() const { return m_stream; }
    const BITMAPINFOHEADER& Format() const { return m_format; }
    DWORD FrameCount() const { return static_cast<DWORD>(m_frames.size()); }
    /// Bytes of one frame's pixels: stride × height.
    DWORD FrameBytes() const { return DibStride(m_format.biWidth, m_format.biBitCount) * m_format.biHeight; }
    /// The pixels of frame n (bottom-up rows at the DIB stride); empty past the last frame.
    std::span<const BYTE> FramePixels(DWORD n) const;
    /// Frame n as a packed DIB (the header, then the pixels) into dib; false past the last frame.
    bool CopyFrame(DWORD n, std::vector<BYTE>& dib) const;

private:
    CAviReader() = default;
    bool Parse(std::string& strError);
    bool ParseHeaderList(std::size_t nBegin, std::size_t nEnd, std::string& strError);
    bool ParseStreamList(std::size_t nBegin, std::size_t nEnd, std::string& strError);
    bool ParseFrames(std::size_t nBegin, std::size_t nEnd, int nDepth, std::string& strError);
    bool CheckStream(std::string& strError) const;

    std::vector<BYTE> m_bytes;
    SAviStreamHeader m_stream;
    BITMAPINFOHEADER m_format;
    bool m_bHaveVideo = false;
    int m_nStreamsSeen = 0;
    DWORD m_dwFrameId1 = 0; // "NNdb" and "NNdc" of the video stream
    DWORD m_dwFrameId2 = 0;
    std::vector<std::size_t> m_frames; // offsets of the frames' pixels
};
