#include "platform/media/Mp3Decoder.h"

#include <mpg123.h>
#include <mutex>

namespace
{

bool StartLibrary()
{
    static std::once_flag s_once;
    static bool s_bReady = false;
    std::call_once(s_once, [] { s_bReady = mpg123_init() == MPG123_OK; });
    return s_bReady;
}

} // namespace

bool CMp3Decoder::LibraryReady() { return StartLibrary(); }

std::unique_ptr<CMp3Decoder> CMp3Decoder::Open(const std::string& strPath, std::string& strError)
{
    if (!StartLibrary())
    {
        strError = "libmpg123 did not start";
        return nullptr;
    }
    std::unique_ptr<CMp3Decoder> pDecoder(new CMp3Decoder);
    int nError = MPG123_OK;
    pDecoder->m_pHandle = mpg123_new(nullptr, &nError);
    if (pDecoder->m_pHandle == nullptr)
    {
        strError = "no decoder";
        return nullptr;
    }
    mpg123_handle* h = pDecoder->m_pHandle;
    mpg123_param(h, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
    // Every rate, 16-bit signed, mono or stereo: the mixer converts the rate itself.
    mpg123_format_none(h);
    const long* pRates = nullptr;
    std::size_t nRates = 0;
    mpg123_rates(&pRates, &nRates);
    for (std::size_t i = 0; i < nRates; ++i)
        mpg123_format(h, pRates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    long nRate = 0;
    int nChannels = 0;
    int nEncoding = 0;
    if (mpg123_open(h, strPath.c_str()) != MPG123_OK ||
        mpg123_getformat(h, &nRate, &nChannels, &nEncoding) != MPG123_OK || nRate <= 0 ||
        (nChannels != 1 && nChannels != 2))
    {
        strError = "no MPEG audio in the file";
        return nullptr;
    }
    pDecoder->m_nRate = static_cast<int>(nRate);
    pDecoder->m_nChannels = nChannels;
    return pDecoder;
}

CMp3Decoder::~CMp3Decoder()
{
    if (m_pHandle != nullptr)
    {
        mpg123_close(m_pHandle);
        mpg123_delete(m_pHandle);
    }
}

std::size_t CMp3Decoder::Read(std::int16_t* pSamples, std::size_t nFrames)
{
    const std::size_t nFrameBytes = sizeof(std::int16_t) * static_cast<std::size_t>(m_nChannels);
    auto* pOut = reinterpret_cast<unsigned char*>(pSamples);
    std::size_t nDone = 0;
    while (!m_bEnded && nDone < nFrames * nFrameBytes)
    {
        std::size_t nGot = 0;
        const int nResult = mpg123_read(m_pHandle, pOut + nDone, nFrames * nFrameBytes - nDone, &nGot);
        nDone += nGot;
        // The end, damage the decoder cannot get past, or a change of format mid-stream (which the
        // mixer's stream does not follow) all end the stream here.
        m_bEnded = nResult != MPG123_OK;
    }
    return nDone / nFrameBytes;
}

bool CMp3Decoder::Rewind()
{
    m_bEnded = mpg123_seek(m_pHandle, 0, SEEK_SET) < 0;
    return !m_bEnded;
}
