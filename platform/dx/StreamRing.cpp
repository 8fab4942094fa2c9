#include "platform/dx/StreamRing.h"

#include <algorithm>
#include <bit>
#include <cstring>

CStreamRing::CStreamRing(std::size_t nFrames)
    : m_samples(std::bit_ceil(std::max<std::size_t>(nFrames, 2)) * 2), m_nMask(m_samples.size() / 2 - 1)
{
}

std::size_t CStreamRing::Queued() const
{
    return static_cast<std::size_t>(m_nWritten.load(std::memory_order_acquire) -
                                    m_nRead.load(std::memory_order_acquire));
}

std::size_t CStreamRing::Write(const std::int16_t* pStereo, std::size_t nFrames)
{
    const std::uint64_t nWritten = m_nWritten.load(std::memory_order_relaxed);
    const std::size_t nFree = Capacity() - static_cast<std::size_t>(nWritten - m_nRead.load(std::memory_order_acquire));
    const std::size_t nCount = std::min(nFrames, nFree);
    ForPieces(nWritten, nCount,
              [&](std::size_t nAt, std::size_t i, std::size_t nPiece)
              { std::memcpy(&m_samples[nAt * 2], pStereo + i * 2, nPiece * 2 * sizeof(std::int16_t)); });
    m_nWritten.store(nWritten + nCount, std::memory_order_release);
    return nCount;
}

std::size_t CStreamRing::Read(std::int16_t* pStereo, std::size_t nFrames)
{
    const std::uint64_t nRead = m_nRead.load(std::memory_order_relaxed);
    const std::size_t nQueued = static_cast<std::size_t>(m_nWritten.load(std::memory_order_acquire) - nRead);
    const std::size_t nCount = std::min(nFrames, nQueued);
    ForPieces(nRead, nCount,
              [&](std::size_t nAt, std::size_t i, std::size_t nPiece)
              { std::memcpy(pStereo + i * 2, &m_samples[nAt * 2], nPiece * 2 * sizeof(std::int16_t)); });
    m_nRead.store(nRead + nCount, std::memory_order_release);
    return nCount;
}
