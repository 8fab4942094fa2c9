// A ring of stereo 16-bit frames at the device's rate between one writer (a music decoder's
// thread) and one reader (the audio callback). Neither side locks or allocates.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

class CStreamRing
{
public:
    /// Room for at least nFrames frames (rounded up to a power of two).
    explicit CStreamRing(std::size_t nFrames);

    /// Writer: copies up to nFrames frames in; answers how many fitted.
    std::size_t Write(const std::int16_t* pStereo, std::size_t nFrames);
    /// Writer: no more frames will come.
    void EndOfStream() { m_bEnded.store(true, std::memory_order_release); }

    /// Reader: copies up to nFrames frames out; answers how many there were.
    std::size_t Read(std::int16_t* pStereo, std::size_t nFrames);

    std::size_t Capacity() const { return m_nMask + 1; }
    std::size_t Queued() const;
    std::size_t Free() const { return Capacity() - Queued(); }
    /// Every frame written has been read and the writer said the stream ended.
    bool Drained() const { return m_bEnded.load(std::memory_order_acquire) && Queued() == 0; }

private:
    /// Calls f(ring index, offset in the caller's frames, frames) for the one or two pieces that
    /// nCount frames from frame counter nStart take: up to the ring's end, then from its start.
    template <class F> void ForPieces(std::uint64_t nStart, std::size_t nCount, F f) const
    {
        for (std::size_t i = 0; i < nCount;)
        {
            const std::size_t nAt = static_cast<std::size_t>(nStart + i) & m_nMask;
            const std::size_t nPiece = std::min(nCount - i, Capacity() - nAt);
            f(nAt, i, nPiece);
            i += nPiece;
        }
    }

    std::vector<std::int16_t> m_samples; // 2 per frame
    std::size_t m_nMask;
    std::atomic<std::uint64_t> m_nWritten{0}; // frames, only the writer stores
    std::atomic<std::uint64_t> m_nRead{0};    // frames, only the reader stores
    std::atomic<bool> m_bEnded{false};
};
