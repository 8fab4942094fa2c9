// The sound card as the game sees it: one SDL audio device, 16-bit stereo, whose callback pulls
// the next frames from a source (the mixer) on SDL's audio thread.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

/// What the output pulls from. Pull runs on the audio thread: it must not allocate, touch files
/// or hold a lock for long, and it fills every frame it is given (silence where nothing plays).
class IAudioSource
{
public:
    virtual ~IAudioSource() = default;
    /// Fills interleaved stereo frames (left, right) at the output's rate.
    virtual void Pull(std::span<std::int16_t> stereo) = 0;
};

/// Runs a call on the thread that owns SDL and answers whether it ran there.
using AudioThreadRunner = std::function<bool(const std::function<void()>&)>;
/// The display installs its runner while it runs, so that the audio device is opened and closed
/// on the display thread; without one (no display) the calling thread does it.
void SetAudioThreadRunner(AudioThreadRunner runner);

/// The rates tried in order; the first the device accepts is kept.
inline constexpr int AUDIO_RATE_PREFERRED = 44100;
inline constexpr int AUDIO_RATE_FALLBACK = 22050;
/// Frames per callback: about 23 ms at 44.1 kHz, short enough for effects to start promptly.
inline constexpr int AUDIO_CALLBACK_FRAMES = 1024;

class CAudioOutput
{
public:
    /// Opens the default device at 44.1 kHz, else 22.05 kHz, paused. Null when SDL has no audio
    /// device (the game runs silent); the reason goes to the debug log.
    static std::unique_ptr<CAudioOutput> Open();
    ~CAudioOutput();
    CAudioOutput(const CAudioOutput&) = delete;
    CAudioOutput& operator=(const CAudioOutput&) = delete;

    int Rate() const { return m_nRate; }
    /// Starts pulling from pSource, which must outlive the output (or the next Start).
    void Start(IAudioSource* pSource);

    /// Test seam: from now on the callback also copies what it pulled into a buffer of nFrames
    /// stereo frames until that is full. TapFrames tells how many frames it holds so far.
    void StartTap(std::size_t nFrames);
    std::size_t TapFrames() const { return m_nTapFrames.load(std::memory_order_acquire); }
    /// The frames tapped so far (valid once TapFrames says they are there).
    std::span<const std::int16_t> Tapped() const;

private:
    CAudioOutput() = default;
    static void Callback(void* pUser, std::uint8_t* pStream, int nBytes);
    void Fill(std::span<std::int16_t> stereo);

    std::uint32_t m_nDevice = 0;
    int m_nRate = 0;
    IAudioSource* m_pSource = nullptr;
    std::vector<std::int16_t> m_tap;
    std::atomic<std::size_t> m_nTapFrames{0};
};
