#include "platform/media/AsfDecoder.h"

extern "C"
{
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <mutex>

namespace
{
/// The libraries' own messages would go to standard error: the player reports its own.
void QuietLibraries()
{
    static std::once_flag s_once;
    std::call_once(s_once, [] { av_log_set_level(AV_LOG_QUIET); });
}

} // namespace

std::unique_ptr<CAsfDecoder> CAsfDecoder::Open(const std::string& strPath, std::string& strError)
{
    QuietLibraries();
    std::unique_ptr<CAsfDecoder> p(new CAsfDecoder);
    // Only the ASF demuxer reads the file: whatever else it holds is refused, not guessed at.
    const AVInputFormat* pAsf = av_find_input_format("asf");
    if (pAsf == nullptr || avformat_open_input(&p->m_pFormat, strPath.c_str(), pAsf, nullptr) < 0)
    {
        strError = "not an ASF file";
        return nullptr;
    }
    const AVCodec* pCodec = nullptr;
    if (avformat_find_stream_info(p->m_pFormat, nullptr) < 0 ||
        (p->m_nStream = av_find_best_stream(p->m_pFormat, AVMEDIA_TYPE_AUDIO, -1, -1, &pCodec, 0)) < 0 ||
        pCodec == nullptr)
    {
        strError = "no audio that can be decoded in the file";
        return nullptr;
    }
    p->m_pCodec = avcodec_alloc_context3(pCodec);
    if (p->m_pCodec == nullptr ||
        avcodec_parameters_to_context(p->m_pCodec, p->m_pFormat->streams[p->m_nStream]->codecpar) < 0 ||
        avcodec_open2(p->m_pCodec, pCodec, nullptr) < 0 || p->m_pCodec->sample_rate <= 0 ||
        p->m_pCodec->ch_layout.nb_channels < 1)
    {
        strError = "the audio's decoder did not start";
        return nullptr;
    }
    p->m_nRate = p->m_pCodec->sample_rate;
    p->m_nChannels = std::min(p->m_pCodec->ch_layout.nb_channels, 2);
    p->m_pPacket = av_packet_alloc();
    p->m_pFrame = av_frame_alloc();
    if (p->m_pPacket == nullptr || p->m_pFrame == nullptr || !p->ResetConverter())
    {
        strError = "the audio's samples cannot be converted";
        return nullptr;
    }
    return p;
}

CAsfDecoder::~CAsfDecoder()
{
    swr_free(&m_pConverter);
    av_frame_free(&m_pFrame);
    av_packet_free(&m_pPacket);
    avcodec_free_context(&m_pCodec);
    avformat_close_input(&m_pFormat);
}

bool CAsfDecoder::ResetConverter()
{
    swr_free(&m_pConverter);
    AVChannelLayout out;
    av_channel_layout_default(&out, m_nChannels);
    const bool bOk = swr_alloc_set_opts2(&m_pConverter, &out, AV_SAMPLE_FMT_S16, m_nRate, &m_pCodec->ch_layout,
                                         m_pCodec->sample_fmt, m_nRate, 0, nullptr) == 0 &&
                     swr_init(m_pConverter) == 0;
    av_channel_layout_uninit(&out);
    return bOk;
}

std::size_t CAsfDecoder::Read(std::int16_t* pSamples, std::size_t nFrames)
{
    const auto nChannels = static_cast<std::size_t>(m_nChannels);
    std::size_t nDone = 0;
    while (nDone < nFrames)
    {
        if (m_nPendingAt >= m_anPending.size())
        {
            m_anPending.clear();
            m_nPendingAt = 0;
            if (m_bEnded || !DecodeMore())
            {
                m_bEnded = true;
                break;
            }
            continue;
        }
        const std::size_t nTake = std::min(nFrames - nDone, (m_anPending.size() - m_nPendingAt) / nChannels);
        std::copy_n(m_anPending.begin() + static_cast<std::ptrdiff_t>(m_nPendingAt), nTake * nChannels,
                    pSamples + nDone * nChannels);
        m_nPendingAt += nTake * nChannels;
        nDone += nTake;
    }
    return nDone;
}

bool CAsfDecoder::DecodeMore()
{
    for (;;)
    {
        const int nReceived = avcodec_receive_frame(m_pCodec, m_pFrame);
        if (nReceived == 0)
        {
            const int nRoom = swr_get_out_samples(m_pConverter, m_pFrame->nb_samples);
            if (nRoom < 0)
                return false;
            m_anPending.resize(static_cast<std::size_t>(nRoom) * static_cast<std::size_t>(m_nChannels));
            auto* pOut = reinterpret_cast<std::uint8_t*>(m_anPending.data());
            const int nGot =
                swr_convert(m_pConverter, &pOut, nRoom, const_cast<const std::uint8_t**>(m_pFrame->extended_data),
                            m_pFrame->nb_samples);
            av_frame_unref(m_pFrame);
            if (nGot < 0)
                return false;
            m_anPending.resize(static_cast<std::size_t>(nGot) * static_cast<std::size_t>(m_nChannels));
            if (nGot > 0)
                return true;
            continue;
        }
        // Anything but "more input wanted" is the end, or damage it cannot get past.
        if (nReceived != AVERROR(EAGAIN) || m_bDrained)
            return false;
        if (av_read_frame(m_pFormat, m_pPacket) < 0)
        {
            // The file is read: the decoder gives up what it still holds.
            m_bDrained = true;
            avcodec_send_packet(m_pCodec, nullptr);
            continue;
        }
        // A damaged packet is skipped; the file's next one goes on.
        if (m_pPacket->stream_index == m_nStream)
            avcodec_send_packet(m_pCodec, m_pPacket);
        av_packet_unref(m_pPacket);
    }
}

bool CAsfDecoder::Rewind()
{
    m_anPending.clear();
    m_nPendingAt = 0;
    m_bDrained = false;
    m_bEnded = av_seek_frame(m_pFormat, m_nStream, 0, AVSEEK_FLAG_BACKWARD) < 0;
    avcodec_flush_buffers(m_pCodec);
    m_bEnded = !ResetConverter() || m_bEnded;
    return !m_bEnded;
}
