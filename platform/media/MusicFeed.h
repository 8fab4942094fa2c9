// A music file as the mixer's stream voice wants it: decoded block by block and converted to
// 16-bit stereo at the device's rate.
#pragma once

#include "platform/dx/Resampler.h"
#include "platform/media/MusicDecoder.h"

#include <memory>
#include <vector>

class CMusicFeed
{
public:
    CMusicFeed(std::unique_ptr<IMusicDecoder> pDecoder, int nDeviceRate);

    /// The next block (about 50 ms) as interleaved stereo frames at the device's rate, replacing
    /// out's contents; empty at the end of the file.
    const std::vector<std::int16_t>& Next();
    /// Back to the file's start.
    bool Rewind();

private:
    std::unique_ptr<IMusicDecoder> m_pDecoder;
    int m_nDeviceRate;
    CLinearResampler m_resampler;
    std::vector<std::int16_t> m_decoded;
    std::vector<float> m_stereo;
    std::vector<float> m_resampled;
    std::vector<std::int16_t> m_out;
};
