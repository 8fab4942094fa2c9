// A music file decoded into 16-bit frames, mono or stereo at the file's own rate: ".mp3" through
// libmpg123, ".asf" through libavformat and libavcodec.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class IMusicDecoder
{
public:
    virtual ~IMusicDecoder() = default;
    virtual int Rate() const = 0;
    /// 1 or 2.
    virtual int Channels() const = 0;
    /// Decodes up to nFrames frames (interleaved samples); 0 at the end of the stream or at damage
    /// the decoder cannot get past, so a damaged file ends early rather than hanging.
    virtual std::size_t Read(std::int16_t* pSamples, std::size_t nFrames) = 0;
    /// Back to the first frame.
    virtual bool Rewind() = 0;
};

/// The decoder of a file (a Linux path) chosen by its extension (letter case ignored): ".asf" or
/// else MPEG audio. Null with the reason when the file is missing or holds no audio it can decode.
std::unique_ptr<IMusicDecoder> OpenMusicDecoder(const std::string& strPath, std::string& strError);
