// MP3 files decoded with libmpg123 into 16-bit frames, mono or stereo at the file's own rate.
#pragma once

#include "platform/media/MusicDecoder.h"

struct mpg123_handle_struct;

class CMp3Decoder final : public IMusicDecoder
{
public:
    /// Opens a file (a Linux path) and reads up to its first frame; null with the reason when it is
    /// missing, empty, or holds no MPEG audio (a file of tags only, garbage).
    static std::unique_ptr<CMp3Decoder> Open(const std::string& strPath, std::string& strError);
    /// Whether libmpg123 started (it is started once, on first use).
    static bool LibraryReady();
    ~CMp3Decoder() override;
    CMp3Decoder(const CMp3Decoder&) = delete;
    CMp3Decoder& operator=(const CMp3Decoder&) = delete;

    int Rate() const override { return m_nRate; }
    int Channels() const override { return m_nChannels; }
    std::size_t Read(std::int16_t* pSamples, std::size_t nFrames) override;
    bool Rewind() override;

private:
    CMp3Decoder() = default;

    mpg123_handle_struct* m_pHandle = nullptr;
    int m_nRate = 0;
    int m_nChannels = 0;
    bool m_bEnded = false;
};
