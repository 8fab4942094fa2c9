#include "platform/media/AsfDecoder.h"

extern "C"
{
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <dlfcn.h>
#include <memory>

namespace
{
/// The decoding libraries, opened the first time a track needs them rather than by the loader at
/// every start: they bring a hundred shared objects of their own, which the program would otherwise
/// map and relocate before its window shows, for music most players never put in ASF files.
class CAvLibraries
{
public:
    /// The libraries, opened once; null when one of them or one of its functions is missing.
    static const CAvLibraries* Get()
    {
        static const std::unique_ptr<CAvLibraries> s_pLibraries = Open();
        return s_pLibraries.get();
    }

    decltype(&::av_log_set_level) av_log_set_level = nullptr;
    decltype(&::av_channel_layout_default) av_channel_layout_default = nullptr;
    decltype(&::av_channel_layout_uninit) av_channel_layout_uninit = nullptr;
    decltype(&::av_frame_alloc) av_frame_alloc = nullptr;
    decltype(&::av_frame_free) av_frame_free = nullptr;
    decltype(&::av_frame_unref) av_frame_unref = nullptr;
    decltype(&::swr_free) swr_free = nullptr;
    decltype(&::swr_alloc_set_opts2) swr_alloc_set_opts2 = nullptr;
    decltype(&::swr_init) swr_init = nullptr;
    decltype(&::swr_get_out_samples) swr_get_out_samples = nullptr;
    decltype(&::swr_convert) swr_convert = nullptr;
    decltype(&::avcodec_alloc_context3) avcodec_alloc_context3 = nullptr;
    decltype(&::avcodec_parameters_to_context) avcodec_parameters_to_context = nullptr;
    decltype(&::avcodec_open2) avcodec_open2 = nullptr;
    decltype(&::avcodec_receive_frame) avcodec_receive_frame = nullptr;
    decltype(&::avcodec_send_packet) avcodec_send_packet = nullptr;
    decltype(&::avcodec_flush_buffers) avcodec_flush_buffers = nullptr;
    decltype(&::avcodec_free_context) avcodec_free_context = nullptr;
    decltype(&::av_packet_alloc) av_packet_alloc = nullptr;
    decltype(&::av_packet_free) av_packet_free = nullptr;
    decltype(&::av_packet_unref) av_packet_unref = nullptr;
    decltype(&::av_find_input_format) av_find_input_format = nullptr;
    decltype(&::avformat_open_input) avformat_open_input = nullptr;
    decltype(&::avformat_find_stream_info) avformat_find_stream_info = nullptr;
    decltype(&::av_find_best_stream) av_find_best_stream = nullptr;
    decltype(&::av_read_frame) av_read_frame = nullptr;
    decltype(&::av_seek_frame) av_seek_frame = nullptr;
    decltype(&::avformat_close_input) avformat_close_input = nullptr;

private:
    struct SClose
    {
        void operator()(void* pHandle) const { dlclose(pHandle); }
    };
    using LibraryHandle = std::unique_ptr<void, SClose>;

    static std::unique_ptr<CAvLibraries> Open()
    {
        auto p = std::make_unique<CAvLibraries>();
        if (!p->Bind())
            return nullptr;
        // The libraries' own messages would go to standard error: the player reports its own.
        p->av_log_set_level(AV_LOG_QUIET);
        return p;
    }

    /// Opens a library by the name of the version the program was built against. It stays mapped
    /// past its handle (a decoder may outlive this object at the program's exit).
    void* Load(const char* szName)
    {
        void* pHandle = dlopen(szName, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
        if (pHandle != nullptr)
            m_aHandles.emplace_back(pHandle);
        return pHandle;
    }

    template <class Function> static bool Find(void* pLibrary, const char* szName, Function*& pfn)
    {
        pfn = pLibrary != nullptr ? reinterpret_cast<Function*>(dlsym(pLibrary, szName)) : nullptr;
        return pfn != nullptr;
    }

    bool Bind()
    {
        void* pUtil = Load("libavutil.so." AV_STRINGIFY(LIBAVUTIL_VERSION_MAJOR));
        void* pResample = Load("libswresample.so." AV_STRINGIFY(LIBSWRESAMPLE_VERSION_MAJOR));
        void* pCodec = Load("libavcodec.so." AV_STRINGIFY(LIBAVCODEC_VERSION_MAJOR));
        void* pFormat = Load("libavformat.so." AV_STRINGIFY(LIBAVFORMAT_VERSION_MAJOR));
        return Find(pUtil, "av_log_set_level", av_log_set_level) &&
               Find(pUtil, "av_channel_layout_default", av_channel_layout_default) &&
               Find(pUtil, "av_channel_layout_uninit", av_channel_layout_uninit) &&
               Find(pUtil, "av_frame_alloc", av_frame_alloc) && Find(pUtil, "av_frame_free", av_frame_free) &&
               Find(pUtil, "av_frame_unref", av_frame_unref) && Find(pResample, "swr_free", swr_free) &&
               Find(pResample, "swr_alloc_set_opts2", swr_alloc_set_opts2) && Find(pResample, "swr_init", swr_init) &&
               Find(pResample, "swr_get_out_samples", swr_get_out_samples) &&
               Find(pResample, "swr_convert", swr_convert) &&
               Find(pCodec, "avcodec_alloc_context3", avcodec_alloc_context3) &&
               Find(pCodec, "avcodec_parameters_to_context", avcodec_parameters_to_context) &&
               Find(pCodec, "avcodec_open2", avcodec_open2) &&
               Find(pCodec, "avcodec_receive_frame", avcodec_receive_frame) &&
               Find(pCodec, "avcodec_send_packet", avcodec_send_packet) &&
               Find(pCodec, "avcodec_flush_buffers", avcodec_flush_buffers) &&
               Find(pCodec, "avcodec_free_context", avcodec_free_context) &&
               Find(pCodec, "av_packet_alloc", av_packet_alloc) && Find(pCodec, "av_packet_free", av_packet_free) &&
               Find(pCodec, "av_packet_unref", av_packet_unref) &&
               Find(pFormat, "av_find_input_format", av_find_input_format) &&
               Find(pFormat, "avformat_open_input", avformat_open_input) &&
               Find(pFormat, "avformat_find_stream_info", avformat_find_stream_info) &&
               Find(pFormat, "av_find_best_stream", av_find_best_stream) &&
               Find(pFormat, "av_read_frame", av_read_frame) && Find(pFormat, "av_seek_frame", av_seek_frame) &&
               Find(pFormat, "avformat_close_input", avformat_close_input);
    }

    std::vector<LibraryHandle> m_aHandles;
};

} // namespace

std::unique_ptr<CAsfDecoder> CAsfDecoder::Open(const std::string& strPath, std::string& strError)
{
    const CAvLibraries* pAv = CAvLibraries::Get();
    if (pAv == nullptr)
    {
        strError = "the ASF decoding libraries cannot be loaded";
        return nullptr;
    }
    const CAvLibraries& av = *pAv;
    std::unique_ptr<CAsfDecoder> p(new CAsfDecoder);
    // Only the ASF demuxer reads the file: whatever else it holds is refused, not guessed at.
    const AVInputFormat* pAsf = av.av_find_input_format("asf");
    if (pAsf == nullptr || av.avformat_open_input(&p->m_pFormat, strPath.c_str(), pAsf, nullptr) < 0)
    {
        strError = "not an ASF file";
        return nullptr;
    }
    const AVCodec* pCodec = nullptr;
    if (av.avformat_find_stream_info(p->m_pFormat, nullptr) < 0 ||
        (p->m_nStream = av.av_find_best_stream(p->m_pFormat, AVMEDIA_TYPE_AUDIO, -1, -1, &pCodec, 0)) < 0 ||
        pCodec == nullptr)
    {
        strError = "no audio that can be decoded in the file";
        return nullptr;
    }
    p->m_pCodec = av.avcodec_alloc_context3(pCodec);
    if (p->m_pCodec == nullptr ||
        av.avcodec_parameters_to_context(p->m_pCodec, p->m_pFormat->streams[p->m_nStream]->codecpar) < 0 ||
        av.avcodec_open2(p->m_pCodec, pCodec, nullptr) < 0 || p->m_pCodec->sample_rate <= 0 ||
        p->m_pCodec->ch_layout.nb_channels < 1)
    {
        strError = "the audio's decoder did not start";
        return nullptr;
    }
    p->m_nRate = p->m_pCodec->sample_rate;
    p->m_nChannels = std::min(p->m_pCodec->ch_layout.nb_channels, 2);
    p->m_pPacket = av.av_packet_alloc();
    p->m_pFrame = av.av_frame_alloc();
    if (p->m_pPacket == nullptr || p->m_pFrame == nullptr || !p->ResetConverter())
    {
        strError = "the audio's samples cannot be converted";
        return nullptr;
    }
    return p;
}

CAsfDecoder::~CAsfDecoder()
{
    const CAvLibraries& av = *CAvLibraries::Get(); // open while a decoder is
    av.swr_free(&m_pConverter);
    av.av_frame_free(&m_pFrame);
    av.av_packet_free(&m_pPacket);
    av.avcodec_free_context(&m_pCodec);
    av.avformat_close_input(&m_pFormat);
}

bool CAsfDecoder::ResetConverter()
{
    const CAvLibraries& av = *CAvLibraries::Get(); // open while a decoder is
    av.swr_free(&m_pConverter);
    AVChannelLayout out;
    av.av_channel_layout_default(&out, m_nChannels);
    const bool bOk = av.swr_alloc_set_opts2(&m_pConverter, &out, AV_SAMPLE_FMT_S16, m_nRate, &m_pCodec->ch_layout,
                                            m_pCodec->sample_fmt, m_nRate, 0, nullptr) == 0 &&
                     av.swr_init(m_pConverter) == 0;
    av.av_channel_layout_uninit(&out);
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
    const CAvLibraries& av = *CAvLibraries::Get(); // open while a decoder is
    for (;;)
    {
        const int nReceived = av.avcodec_receive_frame(m_pCodec, m_pFrame);
        if (nReceived == 0)
        {
            const int nRoom = av.swr_get_out_samples(m_pConverter, m_pFrame->nb_samples);
            if (nRoom < 0)
                return false;
            m_anPending.resize(static_cast<std::size_t>(nRoom) * static_cast<std::size_t>(m_nChannels));
            auto* pOut = reinterpret_cast<std::uint8_t*>(m_anPending.data());
            const int nGot =
                av.swr_convert(m_pConverter, &pOut, nRoom, const_cast<const std::uint8_t**>(m_pFrame->extended_data),
                               m_pFrame->nb_samples);
            av.av_frame_unref(m_pFrame);
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
        if (av.av_read_frame(m_pFormat, m_pPacket) < 0)
        {
            // The file is read: the decoder gives up what it still holds.
            m_bDrained = true;
            av.avcodec_send_packet(m_pCodec, nullptr);
            continue;
        }
        // A damaged packet is skipped; the file's next one goes on.
        if (m_pPacket->stream_index == m_nStream)
            av.avcodec_send_packet(m_pCodec, m_pPacket);
        av.av_packet_unref(m_pPacket);
    }
}

bool CAsfDecoder::Rewind()
{
    const CAvLibraries& av = *CAvLibraries::Get(); // open while a decoder is
    m_anPending.clear();
    m_nPendingAt = 0;
    m_bDrained = false;
    m_bEnded = av.av_seek_frame(m_pFormat, m_nStream, 0, AVSEEK_FLAG_BACKWARD) < 0;
    av.avcodec_flush_buffers(m_pCodec);
    m_bEnded = !ResetConverter() || m_bEnded;
    return !m_bEnded;
}
