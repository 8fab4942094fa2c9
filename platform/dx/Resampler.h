// Linear-interpolating rate conversion for the mixer: whole effects at load time and music as
// it is decoded. Samples are float, interleaved by channel.
#pragma once

#include <cstddef>
#include <vector>

class CLinearResampler
{
public:
    /// nChannels 1 or 2; both rates positive.
    CLinearResampler(int nChannels, int nSourceRate, int nTargetRate);

    /// Converts the next nFrames source frames and appends the output frames to out. The output
    /// keeps one source frame of history, so blocks of any size join without a seam.
    void Process(const float* pSource, std::size_t nFrames, std::vector<float>& out);

private:
    static constexpr int MAX_CHANNELS = 2;
    int m_nChannels;
    double m_dStep;      // source frames per output frame
    double m_dPos = 1.0; // of the next output frame; 0 is the history frame, 1 the block's first
    float m_afPrev[MAX_CHANNELS] = {};
};
