#include "platform/dx/Resampler.h"

#include "platform/win32/Assert.h"

#include <algorithm>

CLinearResampler::CLinearResampler(int nChannels, int nSourceRate, int nTargetRate)
    : m_nChannels(std::clamp(nChannels, 1, MAX_CHANNELS)),
      m_dStep(static_cast<double>(std::max(nSourceRate, 1)) / std::max(nTargetRate, 1))
{
    ASSERT(nChannels >= 1 && nChannels <= MAX_CHANNELS && "the mixer converts mono or stereo only");
}

void CLinearResampler::Process(const float* pSource, std::size_t nFrames, std::vector<float>& out)
{
    if (nFrames == 0)
        return;
    // Index 0 is the last frame of the previous block, index k the block's frame k - 1.
    const auto Sample = [&](std::size_t nIndex, int nChannel)
    { return nIndex == 0 ? m_afPrev[nChannel] : pSource[(nIndex - 1) * m_nChannels + nChannel]; };
    out.reserve(out.size() + static_cast<std::size_t>(nFrames / m_dStep + 2) * m_nChannels);
    while (m_dPos < static_cast<double>(nFrames))
    {
        const auto nIndex = static_cast<std::size_t>(m_dPos);
        const auto fFrac = static_cast<float>(m_dPos - static_cast<double>(nIndex));
        for (int c = 0; c < m_nChannels; ++c)
        {
            const float a = Sample(nIndex, c);
            const float b = Sample(nIndex + 1, c);
            out.push_back(a + (b - a) * fFrac);
        }
        m_dPos += m_dStep;
    }
    m_dPos -= static_cast<double>(nFrames);
    for (int c = 0; c < m_nChannels; ++c)
        m_afPrev[c] = pSource[(nFrames - 1) * m_nChannels + c];
}
