// ".asf" music decoded with libavformat (the ASF container only) and libavcodec (its audio codec,
// Windows Media Audio in practice), converted by libswresample to 16-bit frames at the file's own
// rate, mono kept mono and anything wider mixed down to stereo.
#pragma once

#include "platform/media/MusicDecoder.h"

#include <vector>

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct SwrContext;

class CAsfDecoder final : public IMusicDecoder
{
public:
    /// Opens a file (a Linux path) and its first audio stream's decoder; null with the reason
    /// when the file is missing, is no ASF file or holds no audio that libavcodec decodes.
    static std::unique_ptr<CAsfDecoder> Open(const std::string& strPath, std::string& strError);
    ~CAsfDecoder() override;
    CAsfDecoder(const CAsfDecoder&) = delete;
    CAsfDecoder& operator=(const CAsfDecoder&) = delete;

    int Rate() const override { return m_nRate; }
    int Channels() const override { return m_nChannels; }
    std::size_t Read(std::int16_t* pSamples, std::size_t nFrames) override;
    bool Rewind() override;

private:
    CAsfDecoder() = default;
    /// Decodes the next frame into the pending samples; false at the end or at damage.
    bool DecodeMore();
    bool ResetConverter();

    AVFormatContext* m_pFormat = nullptr;
    AVCodecContext* m_pCodec = nullptr;
    SwrContext* m_pConverter = nullptr;
    AVPacket* m_pPacket = nullptr;
    AVFrame* m_pFrame = nullptr;
    int m_nStream = -1;
    int m_nRate = 0;
    int m_nChannels = 0;
    std::vector<std::int16_t> m_anPending; // decoded, not yet read
    std::size_t m_nPendingAt = 0;          // the first unread sample
    bool m_bDrained = false;               // the file is read; the decoder is being emptied
    bool m_bEnded = false;
};
