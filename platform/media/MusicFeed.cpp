#include "platform/media/MusicFeed.h"

#include <algorithm>
#include <cmath>

namespace
{
/// Frames decoded at a time: about 50 ms at 44.1 kHz.
constexpr std::size_t DECODE_FRAMES = 2304;
} // namespace

CMusicFeed::CMusicFeed(std::unique_ptr<IMusicDecoder> pDecoder, int nDeviceRate)
    : m_pDecoder(std::move(pDecoder)), m_nDeviceRate(nDeviceRate), m_resampler(2, m_pDecoder->Rate(), nDeviceRate),
      m_decoded(DECODE_FRAMES * 2)
{
}

const std::vector<std::int16_t>& CMusicFeed::Next()
{
    const std::size_t nFrames = m_pDecoder->Read(m_decoded.data(), DECODE_FRAMES);
    const int nChannels = m_pDecoder->Channels();
    m_stereo.resize(nFrames * 2);
    for (std::size_t i = 0; i < nFrames; ++i)
    {
        const float fLeft = m_decoded[i * nChannels] / 32768.0f;
        m_stereo[i * 2] = fLeft;
        m_stereo[i * 2 + 1] = nChannels == 2 ? m_decoded[i * 2 + 1] / 32768.0f : fLeft;
    }
    m_resampled.clear();
    m_resampler.Process(m_stereo.data(), nFrames, m_resampled);
    m_out.resize(m_resampled.size());
    for (std::size_t i = 0; i < m_resampled.size(); ++i)
        m_out[i] = static_cast<std::int16_t>(std::lrint(std::clamp(m_resampled[i], -1.0f, 1.0f) * 32767.0f));
    return m_out;
}

bool CMusicFeed::Rewind()
{
    m_resampler = CLinearResampler(2, m_pDecoder->Rate(), m_nDeviceRate);
    return m_pDecoder->Rewind();
}
