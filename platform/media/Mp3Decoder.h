// MP3 files decoded with libmpg123 into 16-bit frames, mono or stereo at the file's own rate.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

struct mpg123_handle_struct;

class CMp3Decoder
{
public:
    /// Opens a file (a Linux path) and reads up to its first frame; null with the reason when it is
    /// missing, empty, or holds no MPEG audio (a file of tags only, garbage).
    static std::unique_ptr<CMp3Decoder> Open(const std::string& strPath, std::string& strError);
    /// Whether libmpg123 started (it is started once, on first use).
    static bool LibraryReady();
    ~CMp3Decoder();
    CMp3Decoder(const CMp3Decoder&) = delete;
    CMp3Decoder& operator=(const CMp3Decoder&) = delete;

    int Rate() const { return m_nRate; }
    int Channels() const { return m_nChannels; }
    /// Decodes up to nFrames frames (interleaved samples); 0 at the end of the stream or at damage
    /// the decoder cannot get past, so a damaged file ends early rather than hanging.
    std::size_t Read(std::int16_t* pSamples, std::size_t nFrames);
    /// Back to the first frame.
    bool Rewind();

private:
    CMp3Decoder() = default;

    mpg123_handle_struct* m_pHandle = nullptr;
    int m_nRate = 0;
    int m_nChannels = 0;
    bool m_bEnded = false;
};
